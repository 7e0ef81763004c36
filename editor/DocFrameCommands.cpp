// The document's commands on the frame array and the undo history: stepping
// through the frames, a new frame, the frames of files, copies of the
// current frame and the removal of the selected ones (each a new array
// handed to ReplaceFrames, one undo step), Optimize and Expand of the whole
// animation (every frame busy while they run; Escape stops them and
// leaves no step), the loop count, and purging the history. The command
// table is in editor/DocCommands.cpp.

#include "base/StatusStack.h"
#include "editor/ColorOptionsDialogs.h"
#include "editor/DocumentInternals.h"
#include "editor/DuplicateFrameDialog.h"
#include "editor/FrameOptimizationDialog.h"
#include "editor/LoopCountDialog.h"
#include "editor/model/FrameArrayEdits.h"
#include "resources/CommandIds.h"
#include "shell/PaletteFileDialog.h"

using namespace doc_detail;

namespace {

const char kPurgeQuestion[] =
    "Do you want to proceed and release the memory\nused by the undo states? Once completed,\nyou will not be able "
    "to revert the image document\nback to states before this point.";

}  // namespace

bool CPictoravellDoc::CanStepForward() const {
  return GetFrameCount() > 1 && GetCurrentFrameIndex() < GetFrameCount() - 1;
}

bool CPictoravellDoc::CanStepBackward() const { return GetFrameCount() >= 2 && GetCurrentFrameIndex() > 0; }

bool CPictoravellDoc::HasSelectedFrames() const { return GetSelectedFrameCount() > 0; }

bool CPictoravellDoc::HasSeveralFrames() const { return GetFrameCount() > 1; }

bool CPictoravellDoc::HasUndoHistory() const { return !GetUndoSteps().empty(); }

// Stepping moves the current frame only: no step, not modified.
void CPictoravellDoc::OnStepForward() {
  if (CanStepForward()) SetCurrentFrame(GetCurrentFrameIndex() + 1);
}

void CPictoravellDoc::OnStepBackward() {
  if (CanStepBackward()) SetCurrentFrame(GetCurrentFrameIndex() - 1);
}

void CPictoravellDoc::OnNewFrame() {
  std::vector<CAnimFrame> frames = InsertNewFrameAfter(m_frames, m_nCurrentFrame);
  ++m_nCurrentFrame;  // the new frame
  ReplaceFrames(std::move(frames), UndoLabel(ID_NEW_FRAME));
}

void CPictoravellDoc::OnInsertFile() {
  std::vector<CAnimFrame> imported;
  {
    CFrameBusyGuard busy(this, GetCurrentFrameIndex());
    // No loop count is asked for: the document keeps its own.
    if (!ImportFileSequence(imported, nullptr) || imported.empty()) return;
  }
  std::vector<CAnimFrame> frames = InsertFramesAfter(m_frames, m_nCurrentFrame, std::move(imported));
  ++m_nCurrentFrame;  // the first inserted frame
  ReplaceFrames(std::move(frames), UndoLabel(ID_INSERT_FILE));
}

void CPictoravellDoc::OnRemoveFrames() {
  if (GetSelectedFrameCount() == 0) return;
  ReplaceFrames(RemoveSelectedFrames(m_frames), UndoLabel(ID_REMOVE_FRAMES));
}

void CPictoravellDoc::OnCreateDuplicates() {
  int n = 0;
  {
    CFrameBusyGuard busy(this, GetCurrentFrameIndex());
    n = RunDuplicateFrameDialog(DialogParent());
  }
  if (n <= 0 || !GetCurrentFrame()) return;
  // The current frame stays on the frame that was copied.
  ReplaceFrames(DuplicateFrameAfter(m_frames, m_nCurrentFrame, n), UndoLabel(ID_CREATE_DUPLICATES));
}

void CPictoravellDoc::OnOptimizeFrames() {
  std::vector<CAnimFrame> result;
  {
    CAllFramesBusyGuard busy(*this);
    FRAME_OPTIMIZATION_VALUES values;  // frame differencing, one palette
    if (!RunFrameOptimizationDialog(DialogParent(), values)) return;
    GLOBAL_PALETTE_OPTIONS palette;
    if (values.globalPalette) {
      PALETTE_OPTIONS_VALUES options;
      if (!GetPaletteOptions(options, true, DialogParent())) return;
      palette.kind = options.kind;
      palette.count = options.count;
      palette.dither = options.dither;
      palette.loadPalette = [](int* count, RGBQUAD* entries) {
        const auto& ask = Prompts().loadPalette;
        return ask ? ask(count, entries) : LoadPaletteFileWithDialog(count, entries, DialogParent());
      };
    }
    CStatusScope status("Optimizing frames...");
    result = OptimizeFrames(m_frames, m_nCanvasWidth, m_nCanvasHeight, values.method,
                            values.globalPalette ? &palette : nullptr, CheckUserAbort, ReportProgress);
  }
  if (result.empty() || result.size() != m_frames.size()) return;
  PushUndo(UndoLabel(ID_OPTIMIZE_FRAMES));
  m_frames = std::move(result);
  for (auto& frame : m_frames) frame.m_bBusy = 0;
  Modify(true);
  UpdateViews(HINT_REPAINT);
}

void CPictoravellDoc::OnExpandFrames() {
  std::vector<CAnimFrame> result;
  {
    CAllFramesBusyGuard busy(*this);
    CStatusScope status("Expanding frames...");
    result = ExpandAllFrames(m_frames, m_nCanvasWidth, m_nCanvasHeight, CheckUserAbort, ReportProgress);
  }
  if (result.empty() || result.size() != m_frames.size()) return;
  PushUndo(UndoLabel(ID_EXPAND_FRAMES));
  m_frames = std::move(result);
  for (auto& frame : m_frames) frame.m_bBusy = 0;
  Modify(true);
  UpdateViews(HINT_REPAINT);
}

// The views do not show the loop count: no update.
void CPictoravellDoc::OnLoopCount() {
  uint16_t loopCount = m_nLoopCount;
  if (!RunLoopCountDialog(DialogParent(), loopCount) || loopCount == m_nLoopCount) return;
  PushUndo(UndoLabel(ID_LOOP_COUNT));
  m_nLoopCount = loopCount;
  Modify(true);
}

// The history goes; the modified flag stays as it is.
void CPictoravellDoc::OnPurgeUndo() {
  if (!AskYesNo(kPurgeQuestion)) return;
  ClearUndoHistory();
}
