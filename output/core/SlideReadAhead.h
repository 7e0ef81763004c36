#pragma once
// Reading the show's pictures ahead: while one picture is on the screen a
// worker thread reads the next file and composes its first frame at screen
// size, so that a change of picture never waits for decoding.
//
// The images made by the worker are handed over whole (moved under a lock),
// and the worker keeps no share of them: image buffers count their users
// without atomics, so no buffer is ever shared between the two threads.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/ResultCodes.h"
#include "output/core/SlideShowModel.h"

// The CANCELPROC of the show's reads: true once the show is closing (and when
// no show runs).
bool IsSlideShowClosing();
// Set by the show as it starts (false) and as it closes (true).
void SetSlideShowClosing(bool closing);

// One picture of a show: the file and the turn the browser gives it
// (degrees clockwise, a multiple of 90; 0 shows the file as it is).
struct SLIDE_SHOW_ITEM {
  std::string path;
  int rotation = 0;
};

// Reads one file, turns its frames by `rotation` (as the browser's items
// do) and composes frame 0 fitted to the client area. A file
// that cannot be opened or read gives its result and the message
// "Failed to open <name>: <reason>"; the reader's own messages are collected
// in the result instead of being reported from this thread.
PREPARED_SLIDE PrepareSlide(const std::string& path, int32_t clientWidth, int32_t clientHeight,
                            CANCELPROC cancel = nullptr, int rotation = 0);

class CSlideReadAhead : public ISlideSource {
 public:
  // pump dispatches the window's events while Take waits and answers true
  // when the show is to stop (Take then gives IMAGEIO_CANCELLED).
  CSlideReadAhead(std::vector<SLIDE_SHOW_ITEM> items, int32_t clientWidth, int32_t clientHeight,
                  std::function<bool()> pump = {});
  ~CSlideReadAhead() override;
  CSlideReadAhead(const CSlideReadAhead&) = delete;
  CSlideReadAhead& operator=(const CSlideReadAhead&) = delete;

  int GetCount() const override { return static_cast<int>(m_items.size()); }
  PREPARED_SLIDE Take(int index) override;
  void Prefetch(int index) override;
  // Ends the worker (a running read is cancelled).
  void Stop();

  // How long the last Take waited for its picture (0 when it was ready), and
  // how many reads the worker has finished.
  int64_t GetLastWaitMs() const { return m_nLastWaitMs; }
  int GetReadCount() const;

 private:
  void Run();

  std::vector<SLIDE_SHOW_ITEM> m_items;
  int32_t m_nClientWidth, m_nClientHeight;
  std::function<bool()> m_pump;
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_nWanted = -1;   // the item the worker is to read next
  int m_nReading = -1;  // the item it reads now
  std::optional<std::pair<int, PREPARED_SLIDE>> m_ready;
  bool m_bQuit = false;
  int m_nReads = 0;
  int64_t m_nLastWaitMs = 0;
  std::thread m_thread;
};
