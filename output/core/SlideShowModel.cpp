#include "output/core/SlideShowModel.h"

#include <algorithm>

#include "base/ResultCodes.h"

void CSlideShowModel::SetSource(ISlideSource* source) {
  m_pSource = source;
  m_nItems = source ? source->GetCount() : 0;
  m_nCurrentItem = 0;
  m_failed.clear();
}

void CSlideShowModel::SetInterval(int seconds) { m_nInterval = std::max(seconds, 0) * 1000; }

int CSlideShowModel::ItemsInPlay() const { return m_nItems - static_cast<int>(m_failed.size()); }

int CSlideShowModel::NextPlayable(int index) const {
  for (int step = 1; step <= m_nItems; ++step) {
    const int candidate = (index + step) % m_nItems;
    if (!HasFailed(candidate)) return candidate;
  }
  return -1;
}

void CSlideShowModel::NextSlide() {
  if (!m_pSource || m_nItems <= 0 || m_bClosed) return;
  if (m_nCurrentItem >= m_nItems || m_nCurrentItem < 0) m_nCurrentItem = 0;
  // A file that could not be read is not tried again on later rounds.
  if (HasFailed(m_nCurrentItem)) {
    const int next = NextPlayable(m_nCurrentItem);
    if (next < 0) return;  // nothing left to show: the screen stays as it is
    m_nCurrentItem = next;
  }
  PREPARED_SLIDE slide = m_pSource->Take(m_nCurrentItem);
  m_frames.clear();
  if (m_bClosing) return;
  for (const auto& [level, text] : slide.messages) m_pHost->Report(level, text);
  if (slide.result != IMAGEIO_OK || slide.image.m_frames.empty() || slide.first.picture.IsEmpty()) {
    m_failed.insert(m_nCurrentItem);
    ++m_nCurrentItem;
    if (ItemsInPlay() > 0) {
      if (const int next = NextPlayable(m_nCurrentItem - 1); next >= 0) m_pSource->Prefetch(next);
      m_pHost->StartTimer(kSlideTimer, m_nInterval);
    }
    return;
  }
  m_frames = std::move(slide.image.m_frames);
  m_nCanvasWidth = slide.image.m_nWidth;
  m_nCanvasHeight = slide.image.m_nHeight;
  m_nCurrentFrame = 0;
  m_nShownItem = m_nCurrentItem;
  if (m_bTransition) {
    TransitionTo(std::move(slide.first));
    if (m_bClosing) return;
  } else {
    m_picture = std::move(slide.first);
    m_pHost->Invalidate(true);
  }
  // Read the next item while this one is on the screen (after the fade, so
  // that the two do not compete for the processor).
  if (const int next = NextPlayable(m_nCurrentItem); next >= 0 && next != m_nCurrentItem) m_pSource->Prefetch(next);
  if (m_frames.size() >= 2) {
    m_pHost->StartTimer(kFrameTimer, m_frames[0].m_nDelay * 10);
  } else if (ItemsInPlay() >= 2) {
    ++m_nCurrentItem;
    m_pHost->StartTimer(kSlideTimer, m_nInterval);
  }
}

void CSlideShowModel::NextFrame() {
  if (m_bClosing || m_frames.empty()) return;
  ++m_nCurrentFrame;
  if (m_nCurrentFrame >= static_cast<int>(m_frames.size())) {
    if (m_pSource && ItemsInPlay() >= 2) {
      // The last frame stays while the pause runs.
      m_nCurrentFrame = static_cast<int>(m_frames.size()) - 1;
      ++m_nCurrentItem;
      m_pHost->StartTimer(kSlideTimer, m_nInterval);
      return;
    }
    if (!m_pSource) {
      ++m_nLoops;
      if (m_nLoopCount < m_nLoops) {
        m_nCurrentFrame = static_cast<int>(m_frames.size()) - 1;
        return;
      }
    }
    m_nCurrentFrame = 0;
  }
  if (m_frames.size() >= 2) {
    Compose();
    m_pHost->Invalidate(false);
    m_pHost->StartTimer(kFrameTimer, m_frames[static_cast<size_t>(m_nCurrentFrame)].m_nDelay * 10);
  }
}

void CSlideShowModel::Compose() {
  int32_t cw = 0, ch = 0;
  m_pHost->GetClientSize(&cw, &ch);
  m_picture = ComposeSlideFrame(m_frames.data(), static_cast<int>(m_frames.size()), m_nCurrentFrame, m_nCanvasWidth,
                                m_nCanvasHeight, cw, ch);
}

void CSlideShowModel::TransitionTo(SLIDE_PICTURE next) {
  int32_t cw = 0, ch = 0;
  m_pHost->GetClientSize(&cw, &ch);
  const FADE_PAIR pair = MakeFadePair(m_picture, next, cw, ch);
  m_bBusy = true;
  m_pHost->PlayFade(pair);
  m_bBusy = false;
  m_picture = std::move(next);
  m_pHost->Invalidate(false);
  if (m_bClosing) Close();
}

void CSlideShowModel::SetFrames(std::vector<CAnimFrame> frames, int32_t width, int32_t height, uint16_t loopCount) {
  m_frames = std::move(frames);
  m_nCanvasWidth = width;
  m_nCanvasHeight = height;
  m_nCurrentFrame = 0;
  m_nLoopCount = loopCount;
  m_nLoops = 0;
  if (m_frames.empty()) {
    m_picture = SLIDE_PICTURE{};
    return;
  }
  Compose();
  m_pHost->Invalidate(true);
  if (m_frames.size() >= 2) m_pHost->StartTimer(kFrameTimer, m_frames[0].m_nDelay * 10);
}

void CSlideShowModel::OnTimer(int id) {
  if (id == kSlideTimer) NextSlide();
  else if (id == kFrameTimer) NextFrame();
}

void CSlideShowModel::Close() {
  m_bClosing = true;
  if (m_bBusy || m_bClosed) return;
  m_bClosed = true;
  m_pHost->StopTimer();
  m_pHost->DestroyWindow();
}
