#include "output/core/FramePlayer.h"

#include <chrono>
#include <cstring>
#include <new>
#include <thread>

CPlayerFrame::CPlayerFrame(const CRasterImage& image, int milliseconds) {
  if (image.IsEmpty() || image.GetBitsPerPixel() != 24) return;
  if (!Allocate(image.GetWidth(), image.GetHeight(), milliseconds)) return;
  for (int32_t row = 0; row < m_nHeight; ++row)
    std::memcpy(&m_rgb[static_cast<size_t>(row * GetStride())], image.GetRow(row), static_cast<size_t>(GetStride()));
}

bool CPlayerFrame::Allocate(int32_t width, int32_t height, int milliseconds) {
  m_rgb.clear();
  m_nWidth = m_nHeight = 0;
  m_nMilliseconds = milliseconds;
  if (width <= 0 || height <= 0) return false;
  try {
    m_rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  } catch (const std::bad_alloc&) {
    return false;
  }
  m_nWidth = width;
  m_nHeight = height;
  return true;
}

int64_t IPlayerScreen::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void IPlayerScreen::SleepMs(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool CFramePlayer::AddFrame(const CRasterImage& image, int milliseconds) {
  CPlayerFrame frame(image, milliseconds);
  if (frame.IsEmpty()) return !IsStopped();
  return AddFrame(std::move(frame));
}

bool CFramePlayer::AddFrame(CPlayerFrame frame) {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [this] { return m_bStopped || m_frames.size() < m_nCapacity; });
  if (m_bStopped) return false;
  m_frames.push_back(std::move(frame));
  m_changed.notify_all();
  return true;
}

void CFramePlayer::Finish() {
  std::lock_guard lock(m_mutex);
  m_bFinished = true;
  m_changed.notify_all();
}

void CFramePlayer::Stop() {
  std::lock_guard lock(m_mutex);
  m_bStopped = true;
  m_frames.clear();
  m_changed.notify_all();
}

bool CFramePlayer::IsStopped() const {
  std::lock_guard lock(m_mutex);
  return m_bStopped;
}

bool CFramePlayer::Play(IPlayerScreen* screen, CProgressSink* sink) {
  m_stats = PLAYER_STATS{};
  bool completed = true;
  for (;;) {
    if (sink && sink->PumpMessages()) {
      completed = false;
      break;
    }
    // The next frame; while the producer is behind, keep the window alive.
    CPlayerFrame frame;
    const int64_t waitStart = screen->NowMs();
    bool stopped = false, done = false;
    for (;;) {
      std::unique_lock lock(m_mutex);
      if (m_changed.wait_for(lock, std::chrono::milliseconds(5),
                             [this] { return m_bStopped || !m_frames.empty() || m_bFinished; })) {
        if (!m_frames.empty()) {
          frame = std::move(m_frames.front());
          m_frames.pop_front();
          m_changed.notify_all();
        } else {
          done = true;
          stopped = m_bStopped;
        }
        break;
      }
      lock.unlock();
      if (sink && sink->PumpMessages()) {
        stopped = true;
        break;
      }
    }
    if (stopped) {
      completed = false;
      break;
    }
    if (done) break;
    const int64_t start = screen->NowMs();
    const int64_t wait = start - waitStart;
    if (m_stats.framesShown == 0) m_stats.firstFrameWaitMs = wait;
    m_stats.maxFrameWaitMs = std::max(m_stats.maxFrameWaitMs, wait);
    screen->DrawFrame(frame);
    const int64_t drawn = screen->NowMs() - start;
    m_stats.maxDrawMs = std::max(m_stats.maxDrawMs, drawn);
    m_stats.totalDrawMs += drawn;
    ++m_stats.framesShown;
    if (drawn < frame.m_nMilliseconds) screen->SleepMs(static_cast<int>(frame.m_nMilliseconds - drawn));
  }
  Stop();
  return completed;
}

bool PlayCrossFade(const FADE_PAIR& pair, IPlayerScreen* screen, CProgressSink* sink, PLAYER_STATS* stats) {
  CFramePlayer player;
  const BLEND_GEOMETRY geometry = GetBlendGeometry(pair.newPicture, pair.oldPicture, pair.dx, pair.dy);
  std::thread producer([&] {
    for (int step = 1; step <= kFadeSteps; ++step) {
      CPlayerFrame frame;
      if (!frame.Allocate(geometry.width, geometry.height, kFadeFrameMs)) break;
      if (!BlendPicturesInto(pair.newPicture, pair.oldPicture, pair.dx, pair.dy, FadeWeight(step),
                             frame.m_rgb.data(), frame.GetStride()))
        break;
      if (!player.AddFrame(std::move(frame))) break;
    }
    player.Finish();
  });
  const bool completed = player.Play(screen, sink);
  producer.join();
  if (stats) *stats = player.GetStats();
  return completed;
}
