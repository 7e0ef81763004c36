#include "output/core/SlideReadAhead.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>

#include "formats/ImageFile.h"
#include "base/MessageReport.h"

namespace {

std::atomic<bool> g_closing{true};

// Collects the messages of one read on the worker thread.
class CCollectingSink : public IMessageSink {
 public:
  explicit CCollectingSink(std::vector<std::pair<int, std::string>>* messages)
      : m_pMessages(messages), m_pPrevious(SetThreadMessageSink(this)) {}
  ~CCollectingSink() override { SetThreadMessageSink(m_pPrevious); }
  void AddMessage(int level, const std::string& text) override { m_pMessages->emplace_back(level, text); }

 private:
  std::vector<std::pair<int, std::string>>* m_pMessages;
  IMessageSink* m_pPrevious;
};

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() > 260) name.resize(260);
  return name;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

bool IsSlideShowClosing() { return g_closing.load(std::memory_order_relaxed); }
void SetSlideShowClosing(bool closing) { g_closing.store(closing, std::memory_order_relaxed); }

PREPARED_SLIDE PrepareSlide(const std::string& path, int32_t clientWidth, int32_t clientHeight, CANCELPROC cancel,
                            int rotation) {
  PREPARED_SLIDE slide;
  slide.path = path;
  CCollectingSink sink(&slide.messages);
  if (access(path.c_str(), R_OK) != 0) {
    slide.result = IMAGEIO_FAILED;
    ReportMessage(MESSAGE_ERROR, "Failed to open " + FileName(path) + ": " + std::strerror(errno));
    return slide;
  }
  try {
    CImageFileRequest request;
    request.m_strFileName = path;
    request.m_pfnCancel = cancel;
    slide.result = ReadImageFile(&request);
    if (slide.result == IMAGEIO_OK && request.m_frames.empty()) slide.result = IMAGEIO_CORRUPT;
    if (slide.result == IMAGEIO_OK) {
      slide.image.m_nWidth = request.m_nWidth;
      slide.image.m_nHeight = request.m_nHeight;
      slide.image.m_frames = std::move(request.m_frames);
      slide.image.m_nLoopCount = static_cast<uint16_t>(request.m_nLoopCount);
      slide.image.m_strComment = std::move(request.m_strComment);
      if (rotation % 360 != 0) slide.image.Rotate(rotation);
      slide.first = ComposeSlideFrame(slide.image.m_frames.data(), slide.image.GetFrameCount(), 0, slide.image.m_nWidth,
                                      slide.image.m_nHeight, clientWidth, clientHeight);
      if (slide.first.picture.IsEmpty()) slide.result = IMAGEIO_NO_MEMORY;
    }
  } catch (const std::bad_alloc&) {
    slide.result = IMAGEIO_NO_MEMORY;
  } catch (const std::exception&) {
    slide.result = IMAGEIO_UNKNOWN_ERROR;
  }
  if (slide.result != IMAGEIO_OK) {
    slide.image = CMultiFrameImage{};
    slide.first = SLIDE_PICTURE{};
    if (const char* text = GetResultText(slide.result); text && *text) {
      ReportMessage(MESSAGE_ERROR, "Failed to open " + FileName(path) + ": " + text);
    } else if (slide.result != IMAGEIO_CANCELLED) {
      // The reader told its own reason; say which file of the show it was.
      bool named = false;
      for (auto& [level, message] : slide.messages)
        if (level == MESSAGE_ERROR) {
          message = "Failed to open " + FileName(path) + ": " + message;
          named = true;
        }
      if (!named) ReportMessage(MESSAGE_ERROR, "Failed to open " + FileName(path));
    }
  }
  return slide;
}

CSlideReadAhead::CSlideReadAhead(std::vector<SLIDE_SHOW_ITEM> items, int32_t clientWidth, int32_t clientHeight,
                                 std::function<bool()> pump)
    : m_items(std::move(items)), m_nClientWidth(clientWidth), m_nClientHeight(clientHeight), m_pump(std::move(pump)) {
  SetSlideShowClosing(false);
  m_thread = std::thread([this] { Run(); });
}

CSlideReadAhead::~CSlideReadAhead() { Stop(); }

void CSlideReadAhead::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_bQuit = true;
    m_changed.notify_all();
  }
  SetSlideShowClosing(true);
  if (m_thread.joinable()) m_thread.join();
  // What the worker made is released here, on the thread that owns the show.
  m_ready.reset();
}

int CSlideReadAhead::GetReadCount() const {
  std::lock_guard lock(m_mutex);
  return m_nReads;
}

void CSlideReadAhead::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return m_bQuit || m_nWanted >= 0; });
    if (m_bQuit) return;
    const int index = m_nWanted;
    m_nWanted = -1;
    m_nReading = index;
    lock.unlock();
    const SLIDE_SHOW_ITEM& item = m_items[static_cast<size_t>(index)];
    PREPARED_SLIDE slide = PrepareSlide(item.path, m_nClientWidth, m_nClientHeight, IsSlideShowClosing, item.rotation);
    lock.lock();
    m_nReading = -1;
    ++m_nReads;
    if (m_bQuit) {
      // Released by this thread: nobody else saw these images.
      lock.unlock();
      slide = PREPARED_SLIDE{};
      return;
    }
    m_ready.reset();
    m_ready.emplace(index, std::move(slide));
    m_changed.notify_all();
  }
}

void CSlideReadAhead::Prefetch(int index) {
  if (index < 0 || index >= GetCount()) return;
  std::lock_guard lock(m_mutex);
  if ((m_ready && m_ready->first == index) || m_nReading == index || m_bQuit) return;
  m_nWanted = index;
  m_changed.notify_all();
}

PREPARED_SLIDE CSlideReadAhead::Take(int index) {
  PREPARED_SLIDE out;
  out.result = IMAGEIO_CANCELLED;
  if (index < 0 || index >= GetCount()) {
    out.result = IMAGEIO_INTERNAL_ERROR;
    return out;
  }
  const int64_t start = NowMs();
  std::unique_lock lock(m_mutex);
  if (!(m_ready && m_ready->first == index) && m_nReading != index && m_nWanted != index) {
    m_nWanted = index;
    m_changed.notify_all();
  }
  for (;;) {
    if (m_bQuit) break;
    if (m_ready && m_ready->first == index) {
      out = std::move(m_ready->second);
      m_ready.reset();
      break;
    }
    if (m_changed.wait_for(lock, std::chrono::milliseconds(10),
                           [&] { return m_bQuit || (m_ready && m_ready->first == index); }))
      continue;
    if (m_pump) {
      lock.unlock();
      const bool stop = m_pump();
      lock.lock();
      if (stop) break;
    }
  }
  m_nLastWaitMs = NowMs() - start;
  return out;
}
