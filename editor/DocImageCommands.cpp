// The document's commands on the current frame's shape and place: crop to
// the selection, fit the canvas, flips, right-angle rotations, and the
// selection's delete, cut and paste. The geometry is editor/model/FrameEdits; each command
// works on the copies of an undo transaction, so a refusal or a failure
// records nothing and leaves the document unmodified.

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "editor/CanvasSizeDialog.h"
#include "editor/CropDialog.h"
#include "editor/DocumentInternals.h"
#include "editor/FeatherDialog.h"
#include "editor/PictoravellDoc.h"
#include "editor/ResizeDialog.h"
#include "editor/RotateDialog.h"
#include "editor/model/CropRect.h"
#include "editor/model/FrameEdits.h"
#include "imaging/ImageFlip.h"
#include "resources/CommandIds.h"
#include "shell/ImageClipboard.h"

#include <wx/utils.h>

namespace {

// Commits the transaction when the edit changed something; reports a refusal.
void Finish(CUndoTransaction& change, const FRAME_EDIT_RESULT& result) {
  if (!result.refusal.empty()) ReportMessage(MESSAGE_ERROR, result.refusal);
  if (result.changed) change.Commit(result.hint);
}

}  // namespace

bool CPictoravellDoc::CanEditFrame() const {
  const CAnimFrame* frame = GetCurrentFrame();
  return frame && !frame->IsEmpty();
}

bool CPictoravellDoc::CanCrop() const {
  const CAnimFrame* frame = GetCurrentFrame();
  return frame && !frame->m_image.IsEmpty() && !frame->m_selection.IsEmpty();
}

bool CPictoravellDoc::HasFloatingSelection() const {
  const CAnimFrame* frame = GetCurrentFrame();
  return frame && !frame->m_selection.IsEmpty();
}

bool CPictoravellDoc::CanFitCanvasToFrames() const {
  return CanFitCanvas(m_frames, m_nCanvasWidth, m_nCanvasHeight);
}

void CPictoravellDoc::OnCrop() {
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  CUndoTransaction change(*this, UndoLabel(ID_CROP));
  Finish(change, CropToSelection(change.Frames(), GetCurrentFrameIndex()));
}

// Crop Special: the current frame, its selection merged into a copy, is
// shown in the dialog; the rectangle chosen there (on the canvas) crops the
// image and the selection as one step.
void CPictoravellDoc::OnCropSpecial() {
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  const CAnimFrame* frame = GetCurrentFrame();
  if (!frame || frame->IsEmpty()) return;
  CAnimFrame merged = *frame;
  merged.MergeSelection();
  if (merged.m_image.IsEmpty()) return;
  CROP_SPECIAL_VALUES values;
  if (!RunCropSpecialDialog(doc_detail::DialogParent(), merged.m_image, values)) return;
  // The dialog let events through: the frame may be gone.
  if (!GetCurrentFrame() || GetCurrentFrame()->IsEmpty()) return;
  const Rect& r = values.crop;
  const Rect onCanvas{r.left + merged.m_nLeft, r.top + merged.m_nTop, r.right + merged.m_nLeft,
                      r.bottom + merged.m_nTop};
  CUndoTransaction change(*this, UndoLabel(ID_CROP_SPECIAL));
  Finish(change, CropFrameToCanvasRect(change.Frames(), GetCurrentFrameIndex(), onCanvas));
}

void CPictoravellDoc::OnEditDelete() {
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  CUndoTransaction change(*this, UndoLabel(ID_EDIT_DELETE));
  Finish(change, DeleteSelection(change.Frames(), GetCurrentFrameIndex()));
}

// Cut takes the floating selection: it goes to the clipboard and leaves the
// frame, as one undo step.
void CPictoravellDoc::OnEditCut() {
  const CAnimFrame* frame = GetCurrentFrame();
  if (!frame || frame->m_selection.IsEmpty()) return;
  PutImageOnClipboard(frame->m_selection);
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  CUndoTransaction change(*this, UndoLabel(ID_EDIT_CUT));
  FRAME_EDIT_RESULT result = DeleteSelection(change.Frames(), GetCurrentFrameIndex());
  result.label = UndoLabel(ID_EDIT_CUT);
  Finish(change, result);
}

// The cached answer: a menu never waits on another program.
bool CPictoravellDoc::CanPasteImage() const { return IsClipboardImageCached(); }

void CPictoravellDoc::OnEditPaste() {
  wxBusyCursor wait;
  const CRasterImage pasted = ReadClipboardImage();
  if (pasted.IsEmpty()) return;
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  CUndoTransaction change(*this, UndoLabel(ID_EDIT_PASTE));
  Finish(change, PasteIntoFrame(change.Frames(), GetCurrentFrameIndex(), change.CanvasWidth(), change.CanvasHeight(),
                                pasted));
}

void CPictoravellDoc::OnFitCanvas() {
  CUndoTransaction change(*this, UndoLabel(ID_FIT_CANVAS));
  Finish(change, ::FitCanvasToFrames(change.Frames(), change.CanvasWidth(), change.CanvasHeight()));
}

namespace {

void Flip(CPictoravellDoc& doc, int flags) {
  CFrameBusyGuard busy(&doc, doc.GetCurrentFrameIndex());
  // A floating selection is flipped in place, else the image.
  const CAnimFrame* frame = doc.GetCurrentFrame();
  if (!frame) return;
  CUndoTransaction change(doc, frame->m_selection.IsEmpty() ? "Flip Image" : "Flip Selection");
  Finish(change, FlipCurrentFrame(change.Frames(), doc.GetCurrentFrameIndex(), flags));
}

}  // namespace

void CPictoravellDoc::OnFlipHorizontal() { Flip(*this, FLIP_HORIZONTAL); }

void CPictoravellDoc::OnFlipVertical() { Flip(*this, FLIP_VERTICAL); }

void CPictoravellDoc::ApplyRotation(int angle) {
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  CUndoTransaction change(*this, RotationLabel(angle));
  Finish(change, RotateCurrentFrame(change.Frames(), change.CanvasWidth(), change.CanvasHeight(),
                                    GetCurrentFrameIndex(), angle));
}

void CPictoravellDoc::OnRotate90() { ApplyRotation(90); }

void CPictoravellDoc::OnRotate180() { ApplyRotation(180); }

void CPictoravellDoc::OnRotate270() { ApplyRotation(270); }

void CPictoravellDoc::OnRotateArbitrary() {
  ROTATE_VALUES values;
  {
    CFrameBusyGuard busy(this, GetCurrentFrameIndex());
    const CAnimFrame* frame = GetCurrentFrame();
    if (!frame || frame->IsEmpty()) return;
    if (!RunRotateDialog(doc_detail::DialogParent(), values)) return;
  }
  // The dialog let events through: the frame may be gone.
  if (!GetCurrentFrame() || GetCurrentFrame()->IsEmpty()) return;
  ApplyRotation(values.angle);
}

bool CPictoravellDoc::CanFeather() const {
  const CAnimFrame* frame = GetCurrentFrame();
  return frame && !frame->m_selection.IsEmpty() && frame->m_selection.GetBitsPerPixel() == 24;
}

// The selection's copy is feathered; the step is recorded only when the
// dialog was confirmed and the copy changed.
void CPictoravellDoc::OnFeather() {
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  const CAnimFrame* frame = GetCurrentFrame();
  if (!frame || frame->m_selection.IsEmpty()) return;
  CRasterImage feathered = frame->m_selection;
  if (!FeatherSelection(doc_detail::DialogParent(), feathered)) return;
  if (!GetCurrentFrame() || GetCurrentFrame()->m_selection.IsEmpty()) return;
  CUndoTransaction change(*this, UndoLabel(ID_FEATHER));
  CAnimFrame* target = GetCurrentFrameIndex() >= 0 && GetCurrentFrameIndex() < static_cast<int>(change.Frames().size())
                           ? &change.Frames()[static_cast<size_t>(GetCurrentFrameIndex())]
                           : nullptr;
  if (!target) return;
  target->m_selection = std::move(feathered);
  change.Commit(HINT_REPAINT);
}

void CPictoravellDoc::OnResizeImage() {
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  const CAnimFrame* frame = GetCurrentFrame();
  if (!frame || frame->IsEmpty()) return;
  RESIZE_VALUES values;
  if (!RunResizeDialog(doc_detail::DialogParent(), frame->m_selection.IsEmpty() ? frame->m_image : frame->m_selection,
                       values))
    return;
  // The dialog let events through: the frame may be gone.
  if (!GetCurrentFrame() || GetCurrentFrame()->IsEmpty()) return;
  busy.PushStatus("Resizing image...");
  CUndoTransaction change(*this, UndoLabel(ID_RESIZE_IMAGE));
  Finish(change, ResizeCurrentFrame(change.Frames(), change.CanvasWidth(), change.CanvasHeight(),
                                    GetCurrentFrameIndex(), values.width, values.height, values.method,
                                    CheckUserAbort, ReportProgress));
}

void CPictoravellDoc::OnCanvasSize() {
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  CANVAS_SIZE_VALUES values;
  values.width = m_nCanvasWidth;
  values.height = m_nCanvasHeight;
  if (!RunCanvasSizeDialog(doc_detail::DialogParent(), values)) return;
  bool any = false;
  for (const CAnimFrame& frame : m_frames) any = any || !frame.IsEmpty();
  const int dx = any ? CanvasOffset(m_nCanvasWidth, values.width, values.horizontal) : 0;
  const int dy = any ? CanvasOffset(m_nCanvasHeight, values.height, values.vertical) : 0;
  CUndoTransaction change(*this, UndoLabel(ID_CANVAS_SIZE));
  Finish(change, SetFramesCanvasSize(change.Frames(), change.CanvasWidth(), change.CanvasHeight(), values.width,
                                     values.height, dx, dy));
}
