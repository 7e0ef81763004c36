// The document's fill commands: the floating selection filled with a colour
// the user picks or with the program-wide pattern, the selection made the
// pattern, and a background of the fill colour put under the frame. The
// fills themselves are editor/model/FrameFills; each runs on the copies of
// an undo transaction.

#include "base/MessageReport.h"
#include "editor/ColorPickerDialog.h"
#include "editor/DocumentInternals.h"
#include "editor/DropShadowDialog.h"
#include "editor/PictoravellDoc.h"
#include "editor/model/FrameFills.h"
#include "imaging/ImageFill.h"
#include "resources/CommandIds.h"

using doc_detail::DialogParent;

namespace {

void Finish(CUndoTransaction& change, const FRAME_EDIT_RESULT& result) {
  if (!result.refusal.empty()) ReportMessage(MESSAGE_ERROR, result.refusal);
  if (result.changed) change.Commit(result.hint);
}

}  // namespace

bool CPictoravellDoc::CanFillPattern() const { return CanFillWithPattern(m_frames, GetCurrentFrameIndex()); }

void CPictoravellDoc::OnFillColor() {
  const CAnimFrame* frame = GetCurrentFrame();
  if (!frame || frame->m_selection.IsEmpty()) return;
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  const CRasterImage source = FillColorSource(*frame);
  RGBQUAD colour{};
  if (!RunColorPicker(DialogParent(), source, colour)) return;
  CUndoTransaction change(*this, UndoLabel(ID_FILL_COLOR));
  Finish(change, FillSelectionWithColor(change.Frames(), GetCurrentFrameIndex(), colour));
}

void CPictoravellDoc::OnFillPattern() {
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  CUndoTransaction change(*this, UndoLabel(ID_FILL_PATTERN));
  Finish(change, FillSelectionWithPattern(change.Frames(), GetCurrentFrameIndex()));
}

void CPictoravellDoc::OnFillBackground() {
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  CUndoTransaction change(*this, UndoLabel(ID_FILL_BACKGROUND));
  std::string warning;
  const FRAME_EDIT_RESULT result = AddBackgroundFill(change.Frames(), GetCurrentFrameIndex(), change.CanvasWidth(),
                                                     change.CanvasHeight(), GetBackgroundColor(), &warning);
  if (result.changed && !warning.empty()) ReportMessage(MESSAGE_WARNING, warning);
  Finish(change, result);
}

// The selection is shared with the pattern; nothing is recorded and the
// document stays as it was.
void CPictoravellDoc::OnDefinePattern() {
  const CAnimFrame* frame = GetCurrentFrame();
  if (frame && !frame->m_selection.IsEmpty()) SetPattern(frame->m_selection);
}

// --- Drop Shadow ------------------------------------------------------------------

bool CPictoravellDoc::CanDropShadow() const {
  const CAnimFrame* frame = GetCurrentFrame();
  return frame && !frame->m_bBusy && frame->m_selection.GetBitsPerPixel() == 24 && !frame->m_selection.IsEmpty();
}

// The selection over its shadow replaces the selection; its rectangle keeps
// the top-left corner, takes the new size and moves by the shifts.
void CPictoravellDoc::OnDropShadow() {
  const CAnimFrame* frame = GetCurrentFrame();
  if (!frame || frame->m_selection.IsEmpty() || frame->m_selection.GetBitsPerPixel() != 24) return;
  CFrameBusyGuard busy(this, GetCurrentFrameIndex());
  CRasterImage result;
  int dx = 0, dy = 0;
  if (!RunDropShadowDialog(DialogParent(), frame->m_selection, result, dx, dy) || result.IsEmpty()) return;
  CUndoTransaction change(*this, UndoLabel(ID_DROP_SHADOW));
  CAnimFrame& edited = change.Frames()[static_cast<size_t>(GetCurrentFrameIndex())];
  Rect& r = edited.m_rcSelection;
  r.left += dx;
  r.top += dy;
  r.right = r.left + result.GetWidth();
  r.bottom = r.top + result.GetHeight();
  edited.m_selection = std::move(result);
  change.Commit(HINT_REPAINT);
}
