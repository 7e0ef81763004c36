#pragma once
// The slide show and the full-screen player without their window: which
// picture and frame is shown, the two one-shot timers, the cross-fade's busy
// phase and the deferred close. The window (output/SlideShowWnd) is the
// host: it runs the timers, paints SLIDE_PICTURE, plays fades and goes away
// when told.

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "imaging/AnimFrame.h"
#include "output/core/SlideShowPictures.h"

// A picture of the show as it comes from the file: the file's frames and
// frame 0 already composed and fitted to the screen, or the read's result
// code and the messages its reader gave.
struct PREPARED_SLIDE {
  int result = 0;  // IMAGEIO_OK, or why the file could not be shown
  std::string path;
  CMultiFrameImage image;
  SLIDE_PICTURE first;
  // Messages of the read, to be reported on the user-interface thread.
  std::vector<std::pair<int, std::string>> messages;
};

// Where the show's pictures come from.
class ISlideSource {
 public:
  virtual ~ISlideSource() = default;
  virtual int GetCount() const = 0;
  // The picture of item `index`, waiting for it when it is not ready.
  virtual PREPARED_SLIDE Take(int index) = 0;
  // Starts making item `index` ready while the show goes on.
  virtual void Prefetch(int index) {}
};

class ISlideShowHost {
 public:
  virtual ~ISlideShowHost() = default;
  // Starts the one timer of the show (a running one is replaced), one-shot.
  virtual void StartTimer(int id, int milliseconds) = 0;
  virtual void StopTimer() = 0;
  virtual void GetClientSize(int32_t* width, int32_t* height) = 0;
  // The picture changed: repaint (erasing the background first or not).
  virtual void Invalidate(bool erase) = 0;
  // Plays the fade; false when a stop was asked for during it.
  virtual bool PlayFade(const FADE_PAIR& pair) = 0;
  virtual void DestroyWindow() = 0;
  virtual void Report(int level, const std::string& text) = 0;
};

// Loop counts as the documents keep them: n plays the frames n + 1 times,
// kLoopForever without end.
constexpr uint16_t kLoopForever = 65535;

class CSlideShowModel {
 public:
  static constexpr int kSlideTimer = 101;
  static constexpr int kFrameTimer = 102;

  explicit CSlideShowModel(ISlideShowHost* host) : m_pHost(host) {}

  // A slide show of the source's items, `seconds` apart (below 0 counts as 0).
  void SetSource(ISlideSource* source);
  void SetInterval(int seconds);
  void SetTransition(bool transition) { m_bTransition = transition; }
  // Shows the first (next) item.
  void NextSlide();

  // The full-screen player: the frames of one animation on its canvas,
  // played loopCount + 1 times (kLoopForever: without end); the last frame
  // then stays. Frame 0 is composed at once.
  void SetFrames(std::vector<CAnimFrame> frames, int32_t width, int32_t height, uint16_t loopCount = kLoopForever);

  void OnTimer(int id);
  // Any key or mouse button.
  void Close();

  bool IsClosing() const { return m_bClosing; }
  bool IsBusy() const { return m_bBusy; }
  int GetCurrentItem() const { return m_nCurrentItem; }
  // The item whose picture is on the screen, -1 before the first.
  int GetShownItem() const { return m_nShownItem; }
  int GetCurrentFrame() const { return m_nCurrentFrame; }
  int GetFrameCount() const { return static_cast<int>(m_frames.size()); }
  int GetInterval() const { return m_nInterval; }
  const SLIDE_PICTURE& GetPicture() const { return m_picture; }
  const std::vector<CAnimFrame>& GetFrames() const { return m_frames; }
  bool HasFailed(int index) const { return m_failed.count(index) != 0; }

 private:
  void NextFrame();
  void Compose();
  void TransitionTo(SLIDE_PICTURE next);
  int ItemsInPlay() const;
  // The item after `index` that has not failed, or -1.
  int NextPlayable(int index) const;

  ISlideShowHost* m_pHost;
  ISlideSource* m_pSource = nullptr;
  int m_nItems = 0;
  int m_nCurrentItem = 0;
  int m_nShownItem = -1;
  std::vector<CAnimFrame> m_frames;
  int m_nCurrentFrame = 0;
  int32_t m_nCanvasWidth = 0;
  int32_t m_nCanvasHeight = 0;
  int m_nInterval = 0;
  bool m_bClosing = false;
  bool m_bBusy = false;
  bool m_bTransition = true;
  bool m_bClosed = false;
  SLIDE_PICTURE m_picture;
  uint16_t m_nLoopCount = kLoopForever;
  uint16_t m_nLoops = 0;
  std::set<int> m_failed;
};
