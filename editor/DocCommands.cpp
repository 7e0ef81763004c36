// The document's command table, its one check of what commands share (busy
// frames, a running effect, frames at all), and the Edit commands.

#include "editor/DocumentInternals.h"
#include "editor/EditCommentsDialog.h"
#include "editor/EffectTool.h"
#include "editor/PictoravellDoc.h"
#include "resources/CommandIds.h"
#include "shell/CommandTable.h"
#include "shell/ImageClipboard.h"

namespace {

using Doc = CPictoravellDoc;

// Every command the document owns. A command of a group lives in that
// group's file (editor/Doc<Group>Commands.cpp).
const COMMAND_ENTRY<Doc> kDocCommands[] = {
    // File (editor/DocFileCommands.cpp)
    {ID_FILE_CLOSE, &Doc::OnFileClose, nullptr, NEEDS_IDLE | NEEDS_FRAMES},
    {ID_FILE_SAVE, &Doc::OnFileSave, nullptr, NEEDS_IDLE | NEEDS_FRAMES},
    {ID_FILE_SAVE_AS, &Doc::OnFileSaveAs, nullptr, NEEDS_IDLE | NEEDS_FRAMES},
    {ID_FILE_SAVE_COPY_AS, &Doc::OnFileSaveCopyAs, nullptr, NEEDS_IDLE | NEEDS_FRAMES},
    // Edit (below)
    {ID_EDIT_UNDO, &Doc::OnEditUndo, &Doc::CanUndo, NEEDS_IDLE | NEEDS_NO_EFFECT, nullptr, &Doc::OnUpdateUndoText},
    {ID_EDIT_REDO, &Doc::OnEditRedo, &Doc::CanRedo, NEEDS_IDLE | NEEDS_NO_EFFECT, nullptr, &Doc::OnUpdateUndoText},
    {ID_EDIT_COMMENTS, &Doc::OnEditComments},
    {ID_EDIT_COPY, &Doc::OnEditCopy, &Doc::CanCopy, NEEDS_IDLE | NEEDS_FRAMES},
    {ID_EDIT_CUT, &Doc::OnEditCut, &Doc::HasFloatingSelection, NEEDS_EDITABLE, "Cut"},
    {ID_EDIT_PASTE, &Doc::OnEditPaste, &Doc::CanPasteImage, NEEDS_EDITABLE, "Paste"},
    // Edit: the selection (editor/DocImageCommands.cpp)
    {ID_EDIT_DELETE, &Doc::OnEditDelete, &Doc::HasFloatingSelection, NEEDS_EDITABLE, "Delete"},
    // Image (editor/DocImageCommands.cpp)
    {ID_RESIZE_IMAGE, &Doc::OnResizeImage, &Doc::CanEditFrame, NEEDS_EDITABLE, "Image Size Change"},
    {ID_CROP, &Doc::OnCrop, &Doc::CanCrop, NEEDS_EDITABLE, "Crop"},
    {ID_CROP_SPECIAL, &Doc::OnCropSpecial, &Doc::CanEditFrame, NEEDS_EDITABLE, "Crop Special"},
    {ID_CANVAS_SIZE, &Doc::OnCanvasSize, nullptr, NEEDS_EDITABLE, "Canvas Size Change"},
    {ID_FIT_CANVAS, &Doc::OnFitCanvas, &Doc::CanFitCanvasToFrames, NEEDS_EDITABLE, "Canvas Size Change"},
    {ID_FLIP_HORIZONTAL, &Doc::OnFlipHorizontal, &Doc::CanEditFrame, NEEDS_EDITABLE},
    {ID_FLIP_VERTICAL, &Doc::OnFlipVertical, &Doc::CanEditFrame, NEEDS_EDITABLE},
    {ID_IMAGE_ROTATE_90, &Doc::OnRotate90, &Doc::CanEditFrame, NEEDS_EDITABLE},
    {ID_IMAGE_ROTATE_180, &Doc::OnRotate180, &Doc::CanEditFrame, NEEDS_EDITABLE},
    {ID_IMAGE_ROTATE_270, &Doc::OnRotate270, &Doc::CanEditFrame, NEEDS_EDITABLE},
    {ID_IMAGE_ROTATE_ARBITRARY, &Doc::OnRotateArbitrary, &Doc::CanEditFrame, NEEDS_EDITABLE},
    {ID_FEATHER, &Doc::OnFeather, &Doc::CanFeather, NEEDS_EDITABLE, "Feather Selection Edge"},
    // Image: fills (editor/DocFillCommands.cpp)
    {ID_FILL_COLOR, &Doc::OnFillColor, &Doc::HasFloatingSelection, NEEDS_EDITABLE, "Fill With Color"},
    {ID_FILL_PATTERN, &Doc::OnFillPattern, &Doc::CanFillPattern, NEEDS_EDITABLE, "Fill With Pattern"},
    {ID_FILL_BACKGROUND, &Doc::OnFillBackground, nullptr, NEEDS_EDITABLE, "Add Background Fill"},
    {ID_DEFINE_PATTERN, &Doc::OnDefinePattern, &Doc::HasFloatingSelection, NEEDS_EDITABLE},
    {ID_DROP_SHADOW, &Doc::OnDropShadow, &Doc::CanDropShadow, NEEDS_EDITABLE, "Add Drop Shadow"},
    // Animation (editor/DocFrameCommands.cpp); stepping and the loop count
    // stay on while a view plays the frames
    {ID_STEP_FORWARD, &Doc::OnStepForward, &Doc::CanStepForward, NEEDS_NO_EFFECT | NEEDS_FRAMES},
    {ID_STEP_BACKWARD, &Doc::OnStepBackward, &Doc::CanStepBackward, NEEDS_NO_EFFECT | NEEDS_FRAMES},
    {ID_NEW_FRAME, &Doc::OnNewFrame, nullptr, NEEDS_EDITABLE, "Insert New Frame"},
    {ID_INSERT_FILE, &Doc::OnInsertFile, nullptr, NEEDS_EDITABLE, "Insert File"},
    {ID_REMOVE_FRAMES, &Doc::OnRemoveFrames, &Doc::HasSelectedFrames, NEEDS_EDITABLE, "Remove Frames"},
    {ID_CREATE_DUPLICATES, &Doc::OnCreateDuplicates, nullptr, NEEDS_EDITABLE, "Create Duplicates"},
    {ID_OPTIMIZE_FRAMES, &Doc::OnOptimizeFrames, &Doc::HasSeveralFrames, NEEDS_EDITABLE, "Optimize Frames"},
    {ID_EXPAND_FRAMES, &Doc::OnExpandFrames, &Doc::HasSeveralFrames, NEEDS_EDITABLE, "Expand Frames"},
    {ID_LOOP_COUNT, &Doc::OnLoopCount, &Doc::HasSeveralFrames, NEEDS_NO_EFFECT | NEEDS_FRAMES, "Loop Count Change"},
    {ID_PURGE_UNDO, &Doc::OnPurgeUndo, &Doc::HasUndoHistory, NEEDS_NO_EFFECT},
    // Export (editor/DocExportCommands.cpp)
    {ID_EXPORT_MNG, &Doc::OnExportMng, &Doc::CanExportMng, NEEDS_IDLE | NEEDS_FRAMES},
    // Play (editor/DocPlayCommands.cpp): a view that plays the frames marks
    // them busy, so the command has its own rule instead of NEEDS_IDLE.
    {ID_FULL_SCREEN, &Doc::OnFullScreen, &Doc::CanPlayFullScreen, NEEDS_FRAMES},
    // Colors (editor/DocColorCommands.cpp)
    {ID_CONVERT_TO_BITMAP, &Doc::OnConvertToBitmap, &Doc::CanConvertToBitmap, NEEDS_EDITABLE, "Convert To Bitmap"},
    {ID_CONVERT_TO_INDEXED, &Doc::OnConvertToIndexed, &Doc::CanChangeColors, NEEDS_EDITABLE,
     "Convert To Indexed Color"},
    {ID_CONVERT_TO_GRAYSCALE, &Doc::OnConvertToGrayscale, &Doc::CanConvertToGrayscale, NEEDS_EDITABLE,
     "Convert To Grayscale"},
    {ID_CONVERT_TO_FULL_COLOR, &Doc::OnConvertToFullColor, &Doc::CanConvertToFullColor, NEEDS_EDITABLE,
     "Convert To Full Color"},
    {ID_INVERT_COLORS, &Doc::OnInvertColors, &Doc::CanChangeColors, NEEDS_EDITABLE, "Invert Colors"},
    {ID_SHARPEN, &Doc::OnSharpen, &Doc::CanSharpen, NEEDS_EDITABLE, "Sharpen"},
    {ID_SHARPEN_MORE, &Doc::OnSharpenMore, &Doc::CanSharpen, NEEDS_EDITABLE, "Sharpen More"},
    {ID_COUNT_COLORS, &Doc::OnCountColors, nullptr, NEEDS_NOTHING},
    {ID_REMOVE_UNUSED_COLORS, &Doc::OnRemoveUnusedColors, &Doc::CanEditPalette, NEEDS_EDITABLE,
     "Remove Unused Colors"},
    {ID_EDIT_PALETTE, &Doc::OnEditPalette, &Doc::CanEditPalette, NEEDS_EDITABLE, "Edit Color Palette"},
    {ID_SAVE_PALETTE, &Doc::OnSavePalette, &Doc::CanEditPalette, NEEDS_IDLE | NEEDS_FRAMES},
    // Effects (editor/DocEffectCommands.cpp): the step is the effect's, named by it
    {ID_BLUR, &Doc::OnBlur, &Doc::CanEditFrame, NEEDS_EDITABLE, "Blur"},
    {ID_EMBOSS, &Doc::OnEmboss, &Doc::CanEditFrame, NEEDS_EDITABLE, "Emboss"},
    {ID_BRIGHTNESS_CONTRAST, &Doc::OnBrightnessContrast, &Doc::CanEditFrame, NEEDS_EDITABLE,
     "Brightness && Contrast"},
    {ID_SEPIA, &Doc::OnSepia, &Doc::CanEditFrame, NEEDS_EDITABLE, "Sepia"},
    {ID_REMOVE_RED_EYE, &Doc::OnRemoveRedEye, &Doc::CanEditFrame, NEEDS_EDITABLE, "Remove Red Eye"},
    {ID_ADJUST_TRANSPARENCY, &Doc::OnAdjustTransparency, &Doc::CanEditFrame, NEEDS_EDITABLE, "Transparency"},
    {ID_ADD_TEXT, &Doc::OnAddText, &Doc::CanEditFrame, NEEDS_EDITABLE, "Add Text"},
};

}  // namespace

void CPictoravellDoc::BindCommands() {
  BindCommandTable<Doc>(*this, *this, kDocCommands);
  // Bound last, so it runs first: a command (Save, Copy...) reads the whole
  // frame, not a running effect's preview of the part a view shows.
  Bind(wxEVT_MENU, [](wxCommandEvent& event) {
    CompleteLivePreview();
    event.Skip();
  });
}

bool CPictoravellDoc::CommandAllowed(unsigned needs) const {
  if ((needs & NEEDS_IDLE) && IsAnyFrameBusy()) return false;
  if ((needs & NEEDS_NO_EFFECT) && IsToolRunning()) return false;
  if ((needs & NEEDS_FRAMES) && m_frames.empty()) return false;
  return true;
}

const char* CPictoravellDoc::UndoLabel(int id) { return UndoLabelOf<Doc>(kDocCommands, id); }

// --- Edit ---------------------------------------------------------------------------

void CPictoravellDoc::OnEditUndo() { Undo(); }

void CPictoravellDoc::OnEditRedo() { Redo(); }

bool CPictoravellDoc::CanCopy() const {
  const CAnimFrame* frame = GetCurrentFrame();
  return frame && (!frame->m_selection.IsEmpty() || !frame->m_image.IsEmpty());
}

// The file comment is no step of the history: OK marks the document
// modified even without a change, and the caption may change its height.
void CPictoravellDoc::OnEditComments() {
  if (!EditCommentText(doc_detail::DialogParent(), m_strComment)) return;
  Modify(true);
  UpdateViews(HINT_ERASE);
}

void CPictoravellDoc::OnEditCopy() {
  const CAnimFrame* frame = GetCurrentFrame();
  if (!frame) return;
  PutImageOnClipboard(!frame->m_selection.IsEmpty() ? frame->m_selection : frame->m_image);
}

void CPictoravellDoc::OnUpdateUndoText(wxUpdateUIEvent& event) {
  // The menu item names the step: "&Undo Rotate\tCtrl+Z".
  if (!dynamic_cast<wxMenu*>(event.GetEventObject())) return;
  const bool undo = event.GetId() == ID_EDIT_UNDO;
  // The step is named whenever there is one (a busy frame only disables it).
  std::string label;
  if (undo ? CanUndo() : CanRedo()) undo ? GetUndoLabel(label) : GetRedoLabel(label);
  const std::string name = undo ? "&Undo" : "&Redo";
  const std::string accel = undo ? "\tCtrl+Z" : "\tCtrl+Y";
  event.SetText(wxString::FromUTF8(name + (label.empty() ? "" : " " + label) + accel));
}
