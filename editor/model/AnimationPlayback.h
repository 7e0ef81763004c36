#pragma once
// Playing an animation in the editing view, without the window: the
// stepper that decides when the shown frame advances and when the playback
// ends (delays, loop count), when its one-shot timer should look again, the
// canvas rectangle a new frame repaints, and drawing a shown frame into the
// composite of the frames its disposal keeps. The view (editor/
// PictoravellView.cpp) owns the timer, the clock and the repaint.
//
// Times are microseconds of a steady clock; delays are hundredths of a
// second. A frame stays until its delay has passed since it was due to be
// shown (to the microsecond, and counted from when it was due unless the
// look came more than a tick late, so a playback takes the sum of its delays
// plus the lateness of its last look); a delay of 0 stays for one tick.

#include <cstdint>
#include <vector>

#include "editor/model/ViewGeometry.h"
#include "imaging/AnimFrame.h"
#include "imaging/ImageTypes.h"

// The longest wait of the playback timer between two looks (ms).
constexpr int kPlaybackTickMs = 10;

struct PLAYBACK_STATE {
  bool playing = false;
  int frame = 0;          // the frame shown
  int count = 0;          // the document's frame count
  uint16_t loops = 0;     // passes completed (wraps at 65536)
  int64_t lastTickUs = 0; // when the shown frame was due (or shown, when that was late)
};

enum PLAYBACK_TICK {
  PLAYBACK_WAIT = 0,      // the shown frame stays
  PLAYBACK_ADVANCED = 1,  // state.frame is the next frame to show
  PLAYBACK_FINISHED = 2,  // the last pass is over: stop (state.frame is still the last frame)
};

// The frame a playback starts on: the current one, or 0 when the current
// one is the last (or outside the frames).
int FirstPlaybackFrame(int current, int count);

// Starts the state on the frames at the time.
void StartPlayback(PLAYBACK_STATE& state, int current, int count, int64_t nowUs);

// One look of the timer at the time: advances past the shown frame once its
// delay is over; after the last frame a pass is counted and the playback
// finishes when the loop count is less than the passes (a loop count of 0
// plays once, n plays n + 1 times, 65535 without end), else it goes back to
// frame 0.
PLAYBACK_TICK PlaybackTick(PLAYBACK_STATE& state, const std::vector<CAnimFrame>& frames, uint16_t loopCount,
                           int64_t nowUs);

// Milliseconds until the timer should look again: when the shown frame's
// time is up (never less than 1), at most kPlaybackTickMs.
int NextPlaybackTickMs(const PLAYBACK_STATE& state, const std::vector<CAnimFrame>& frames, int64_t nowUs);

// The canvas rectangle (right and bottom exclusive) to repaint for the shown
// frame: the whole canvas for frame 0; else the shown frame's image and
// selection rectangles, with the previous frame's when that frame is not
// kept under it (disposal 2 or 3) or only the current frame is shown.
Rect GetPlaybackCanvasRect(const std::vector<CAnimFrame>& frames, int shown, int canvasWidth, int canvasHeight,
                           bool currentOnly);

// Draws a frame that its disposal keeps into the composite (over what it
// holds, at the frame's place, clipped to the composite). False when the
// composite is empty, the frame is not kept or nothing of it lies inside.
bool AddFrameToComposite(FRAME_COMPOSITE& composite, const CAnimFrame& frame, int canvasWidth, int canvasHeight);

// Every pixel and mask byte of the composite to 0; composedFrame -1.
void ClearComposite(FRAME_COMPOSITE& composite);
