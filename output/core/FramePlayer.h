#pragma once
// The frame player of the cross-fade: frames made ahead (by a worker thread
// when the fade runs) and shown one after another for their display time.
//
// The player holds at most a few frames at once: a producer that gets ahead
// waits until the screen has taken a frame, so a fade never holds its 24
// screen-sized pictures in memory together.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "imaging/RasterImage.h"
#include "output/core/SlideShowPictures.h"

// A byte vector whose new elements are left uninitialised (the frames are
// written whole right after they are made).
template <class T>
struct UninitializedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <class U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// One picture of the player: rows of red, green, blue bytes, top row first,
// width * 3 bytes each (the layout the screen side hands to the toolkit), and
// how long it stays on the screen.
class CPlayerFrame {
 public:
  CPlayerFrame() = default;
  // From a 24-bit image (an empty frame for other images).
  CPlayerFrame(const CRasterImage& image, int milliseconds);
  virtual ~CPlayerFrame() = default;
  CPlayerFrame(CPlayerFrame&&) noexcept = default;
  CPlayerFrame& operator=(CPlayerFrame&&) noexcept = default;

  // Room for width x height pixels (contents undefined until written); false
  // when it cannot be had.
  bool Allocate(int32_t width, int32_t height, int milliseconds);
  bool IsEmpty() const { return m_rgb.empty(); }
  int64_t GetStride() const { return int64_t{m_nWidth} * 3; }

  std::vector<uint8_t, UninitializedAllocator<uint8_t>> m_rgb;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_nMilliseconds = 0;
};

// What a long phase of the show asks of its window.
class CProgressSink {
 public:
  virtual ~CProgressSink() = default;
  virtual void BeginBusy(int) = 0;
  virtual void EndBusy() = 0;
  // Dispatches the window's pending events; true when a stop was asked for.
  virtual bool PumpMessages() = 0;
};

// Where the player's frames go.
class IPlayerScreen {
 public:
  virtual ~IPlayerScreen() = default;
  // Puts the frame centred on the screen at once; true when it was drawn.
  virtual bool DrawFrame(const CPlayerFrame& frame) = 0;
  // The clock and the wait between frames (tests replace them).
  virtual int64_t NowMs();
  virtual void SleepMs(int milliseconds);
};

// How a playback went, for the benchmarks and tests.
struct PLAYER_STATS {
  int framesShown = 0;
  // Time the screen waited for a frame that was not made yet (the first
  // frame's wait is the gap before the fade starts), and the time a frame
  // took to be drawn.
  int64_t firstFrameWaitMs = 0;
  int64_t maxFrameWaitMs = 0;
  int64_t maxDrawMs = 0;
  int64_t totalDrawMs = 0;
};

class CFramePlayer {
 public:
  explicit CFramePlayer(size_t capacity = 4) : m_nCapacity(capacity < 1 ? 1 : capacity) {}
  virtual ~CFramePlayer() = default;
  CFramePlayer(const CFramePlayer&) = delete;
  CFramePlayer& operator=(const CFramePlayer&) = delete;

  // Appends a frame made from a 24-bit image. Safe from another thread;
  // waits while the player holds its capacity of unshown frames. False when
  // the playback was stopped (the frame is dropped).
  bool AddFrame(const CRasterImage& image, int milliseconds);
  bool AddFrame(CPlayerFrame frame);
  // No more frames will be added.
  void Finish();
  // Ends the playback: waiting producers return false from AddFrame.
  void Stop();
  bool IsStopped() const;

  // Plays every frame once, each for its time: before each frame the sink is
  // asked whether to stop. Returns false when it stopped early.
  bool Play(IPlayerScreen* screen, CProgressSink* sink);

  const PLAYER_STATS& GetStats() const { return m_stats; }

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<CPlayerFrame> m_frames;
  size_t m_nCapacity;
  bool m_bFinished = false;
  bool m_bStopped = false;
  PLAYER_STATS m_stats;
};

// Plays the cross-fade from pair.oldPicture to pair.newPicture: the blends
// of the 24 steps are made on a worker thread while the screen shows the
// previous ones. The pair is only read (see SlideShowPictures.h) and must
// stay unchanged until this returns. False when the sink asked to stop.
// Memory running out ends the fade early (the caller then shows the new
// picture at once).
bool PlayCrossFade(const FADE_PAIR& pair, IPlayerScreen* screen, CProgressSink* sink, PLAYER_STATS* stats = nullptr);
