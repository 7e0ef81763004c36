#include "editor/model/AnimationPlayback.h"

#include <algorithm>
#include <cstring>

#include "imaging/LayerStack.h"

namespace {

Rect Union(const Rect& a, const Rect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

// The frame's image and selection rectangles on the canvas, united.
Rect FrameCanvasRect(const CAnimFrame& frame) {
  Rect r;
  if (!frame.m_image.IsEmpty())
    r = Rect{frame.m_nLeft, frame.m_nTop, frame.m_nLeft + frame.m_image.GetWidth(),
             frame.m_nTop + frame.m_image.GetHeight()};
  if (!frame.m_selection.IsEmpty()) {
    const int left = frame.m_nLeft + frame.m_rcSelection.left, top = frame.m_nTop + frame.m_rcSelection.top;
    r = Union(r, Rect{left, top, left + frame.m_selection.GetWidth(), top + frame.m_selection.GetHeight()});
  }
  return r;
}

// When the shown frame's time is up: its delay after it was shown (a delay
// of 0: one tick).
int64_t DueTimeUs(const PLAYBACK_STATE& state, const std::vector<CAnimFrame>& frames) {
  const int delay = state.frame >= 0 && state.frame < static_cast<int>(frames.size())
                        ? frames[static_cast<size_t>(state.frame)].m_nDelay
                        : 0;
  return state.lastTickUs + (delay == 0 ? int64_t{kPlaybackTickMs} * 1000 : int64_t{delay} * 10000);
}

}  // namespace

int FirstPlaybackFrame(int current, int count) {
  if (current < 0 || current >= count - 1) return 0;
  return current;
}

void StartPlayback(PLAYBACK_STATE& state, int current, int count, int64_t nowUs) {
  state.playing = true;
  state.count = count;
  state.frame = FirstPlaybackFrame(current, count);
  state.loops = 0;
  state.lastTickUs = nowUs;
}

PLAYBACK_TICK PlaybackTick(PLAYBACK_STATE& state, const std::vector<CAnimFrame>& frames, uint16_t loopCount,
                           int64_t nowUs) {
  state.count = static_cast<int>(frames.size());
  if (!state.playing || state.count == 0) return PLAYBACK_WAIT;
  if (state.frame >= state.count) state.frame = state.count - 1;
  const int64_t due = DueTimeUs(state, frames);
  if (nowUs < due) return PLAYBACK_WAIT;
  int next = state.frame + 1;
  if (next >= state.count) {
    state.loops = static_cast<uint16_t>(state.loops + 1);
    if (loopCount < state.loops) return PLAYBACK_FINISHED;
    next = 0;
  }
  state.frame = next;
  // The next frame counts from when this one was due, so a look that came
  // a little late does not push every later frame back; after a longer
  // hold-up it counts from now (no burst of frames to catch up).
  state.lastTickUs = nowUs - due <= int64_t{kPlaybackTickMs} * 1000 ? due : nowUs;
  return PLAYBACK_ADVANCED;
}

int NextPlaybackTickMs(const PLAYBACK_STATE& state, const std::vector<CAnimFrame>& frames, int64_t nowUs) {
  const int64_t waitUs = DueTimeUs(state, frames) - nowUs;
  const int64_t ms = (waitUs + 999) / 1000;
  return static_cast<int>(std::clamp<int64_t>(ms, 1, kPlaybackTickMs));
}

Rect GetPlaybackCanvasRect(const std::vector<CAnimFrame>& frames, int shown, int canvasWidth, int canvasHeight,
                           bool currentOnly) {
  const int count = static_cast<int>(frames.size());
  if (shown <= 0 || shown >= count) return Rect{0, 0, canvasWidth, canvasHeight};
  Rect r = FrameCanvasRect(frames[static_cast<size_t>(shown)]);
  const CAnimFrame& previous = frames[static_cast<size_t>(shown - 1)];
  if (!previous.StaysUnderNext() || currentOnly) r = Union(r, FrameCanvasRect(previous));
  return r;
}

bool AddFrameToComposite(FRAME_COMPOSITE& composite, const CAnimFrame& frame, int canvasWidth, int canvasHeight) {
  if (composite.image.IsEmpty() || !composite.image.HasMask() || !frame.StaysUnderNext()) return false;
  const Rect frameRect = FrameCanvasRect(frame);
  const Rect box{composite.left, composite.top, composite.left + composite.image.GetWidth(),
                 composite.top + composite.image.GetHeight()};
  // Only what lies inside the composite is drawn: a frame may reach past it.
  const Rect r{std::max(frameRect.left, box.left), std::max(frameRect.top, box.top),
               std::min(frameRect.right, box.right), std::min(frameRect.bottom, box.bottom)};
  if (r.IsEmpty()) return false;
  // The composite's own buffers, made unshared before the layer below takes
  // a share: the rendering reads each row whole before it writes it back.
  uint8_t* bits = composite.image.GetWritableBits();
  uint8_t* mask = composite.image.GetWritableMaskBits();
  const int32_t stride = composite.image.GetStride(), maskStride = composite.image.GetMaskStride();
  CLayerStack stack(canvasWidth, canvasHeight);
  stack.AddImage(composite.image, composite.left, composite.top);
  if (!frame.m_image.IsEmpty()) stack.AddImage(frame.m_image, frame.m_nLeft, frame.m_nTop);
  if (!frame.m_selection.IsEmpty())
    stack.AddImage(frame.m_selection, frame.m_nLeft + frame.m_rcSelection.left,
                   frame.m_nTop + frame.m_rcSelection.top);
  const LayerRect rect{r.left, r.top, r.right - 1, r.bottom - 1};
  const int64_t dy = r.top - composite.top, dx = r.left - composite.left;
  stack.Render(rect, bits + dy * stride + dx * 3, stride, mask + dy * maskStride + dx, maskStride);
  return true;
}

void ClearComposite(FRAME_COMPOSITE& composite) {
  composite.composedFrame = -1;
  if (composite.image.IsEmpty()) return;
  const int height = composite.image.GetHeight();
  uint8_t* bits = composite.image.GetWritableBits();
  std::memset(bits, 0, static_cast<size_t>(composite.image.GetStride()) * static_cast<size_t>(height));
  if (composite.image.HasMask()) {
    uint8_t* mask = composite.image.GetWritableMaskBits();
    std::memset(mask, 0, static_cast<size_t>(composite.image.GetMaskStride()) * static_cast<size_t>(height));
  }
}
