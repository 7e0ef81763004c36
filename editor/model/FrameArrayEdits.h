#pragma once
// The frame-array commands without windows: each builds the new frame array
// of a command (a new empty frame, imported frames, copies of the current
// frame, the frames left after a removal) from the document's frames, and
// OptimizeFrames puts the frames on one palette and/or keeps only what
// changes from frame to frame. None touches a document: the commands hand
// the result to CImageDocModel::ReplaceFrames, which records the step.
//
// Selection marks: inserted frames come selected, every other frame loses
// its mark; a removal keeps the marks of the frames it keeps (none is
// selected then).

#include <cstdint>
#include <functional>
#include <vector>

#include "base/ResultCodes.h"
#include "imaging/AnimFrame.h"

class CImageDocModel;

// The old frames with their marks cleared and, right after the current
// frame, the inserted ones, each selected (a current index outside the
// frames inserts at the end).
std::vector<CAnimFrame> InsertFramesAfter(const std::vector<CAnimFrame>& frames, int current,
                                          std::vector<CAnimFrame> inserted);
// One new, empty frame (position 0, 0, delay 0, flags 0) after the current one.
std::vector<CAnimFrame> InsertNewFrameAfter(const std::vector<CAnimFrame>& frames, int current);
// n copies of the current frame (all fields, images shared) after it; the
// frames unchanged when n <= 0 or the index is outside the frames.
std::vector<CAnimFrame> DuplicateFrameAfter(const std::vector<CAnimFrame>& frames, int current, int n);
// The frames not selected, in their order; one new, empty frame when every
// frame is selected (a document always keeps one frame).
std::vector<CAnimFrame> RemoveSelectedFrames(const std::vector<CAnimFrame>& frames);

// The one palette of OptimizeFrames: the Palette Options' kind, colour count
// and dither, and where a palette file comes from (kind 4: its count and
// entries, room for 256; false when cancelled or unreadable).
struct GLOBAL_PALETTE_OPTIONS {
  int kind = 3;
  int count = 256;
  int dither = 1;
  std::function<bool(int*, RGBQUAD*)> loadPalette;
};

// The palette of the options for the frames: Adaptive from the pixels of
// every image and floating selection, Load From File through loadPalette,
// else the fixed palette of the kind. Returns the number of entries (0 on
// failure); nothing is built for ordered dither (2), which ignores the
// palette, and the count is returned as it is.
int BuildGlobalPalette(const std::vector<CAnimFrame>& frames, const GLOBAL_PALETTE_OPTIONS& options,
                       RGBQUAD* palette);

// The optimised frames, as many as given, or an empty array when there is
// nothing to do (method 0 without a palette), the user cancels or anything
// fails. method: 0 none, 1 unchanged pixels transparent, 2 crop only
// (imaging/FrameOptimizer.h); palette: null for no global palette.
std::vector<CAnimFrame> OptimizeFrames(const std::vector<CAnimFrame>& frames, int canvasWidth, int canvasHeight,
                                       int method, const GLOBAL_PALETTE_OPTIONS* palette, CANCELPROC cancel,
                                       PROGRESSPROC progress);
// Every frame as the picture shown at its time (imaging/FrameOptimizer.h);
// empty when cancelled or failed.
std::vector<CAnimFrame> ExpandAllFrames(const std::vector<CAnimFrame>& frames, int canvasWidth, int canvasHeight,
                                        CANCELPROC cancel, PROGRESSPROC progress);

// Marks every frame of a document busy for the life of a command and
// clears every mark on every way out (the frames are not replaced while
// they are busy, so the marks are cleared on the same frames).
class CAllFramesBusyGuard {
 public:
  explicit CAllFramesBusyGuard(CImageDocModel& document);
  ~CAllFramesBusyGuard();
  CAllFramesBusyGuard(const CAllFramesBusyGuard&) = delete;
  CAllFramesBusyGuard& operator=(const CAllFramesBusyGuard&) = delete;

 private:
  CImageDocModel& m_document;
};
