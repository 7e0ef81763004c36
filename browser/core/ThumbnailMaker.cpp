#include "browser/core/ThumbnailMaker.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "formats/BufferedFile.h"
#include "formats/ImageFile.h"
#include "formats/JpegCodec.h"
#include "base/ImageGeometry.h"
#include "imaging/Resample.h"
#include "base/StatusStack.h"
#include "platform/PathFunctions.h"

namespace {

std::atomic<int> g_threads{0};

// The stop flag a worker's decoder polls through its cancel callback.
thread_local const std::atomic<bool>* t_pStop = nullptr;
bool WorkerCancel() { return t_pStop && t_pStop->load(std::memory_order_relaxed); }

bool IsRightAngleSideways(int32_t rotation) {
  const int angle = ReduceRightAngle(rotation);
  return angle == 90 || angle == 270;
}

// The wanted thumbnail of a picture: fitted into the cell when larger, else
// its own size.
void WantedSize(int32_t width, int32_t height, int32_t cellWidth, int32_t cellHeight, int32_t& w, int32_t& h) {
  w = width;
  h = height;
  if (cellWidth < width || cellHeight < height) FitSizeInBox(w, h, cellWidth, cellHeight);
}

int DecodeJpegThumbnail(const std::string& path, int32_t rotation, int32_t cellWidth, int32_t cellHeight,
                        CANCELPROC cancel, PROGRESSPROC progress, THUMBNAIL_DATA& out) {
  CBufferedFile stream;
  if (!stream.Open(path.c_str(), CBufferedFile::kRead)) return IMAGEIO_UNKNOWN_ERROR;
  const bool sideways = IsRightAngleSideways(rotation);
  CCodecJob job;
  job.m_pStream = &stream;
  job.m_pfnCancel = cancel;
  job.m_pfnProgress = progress;
  int32_t fullWidth = 0, fullHeight = 0;
  const int result = ReadJpegScaled(&job, kMaxImageSide, sideways ? cellHeight : cellWidth,
                                    sideways ? cellWidth : cellHeight, &fullWidth, &fullHeight);
  if (result != IMAGEIO_OK) return result;

  // The size wanted after the turn, and the same before it.
  const int32_t turnedWidth = sideways ? fullHeight : fullWidth;
  const int32_t turnedHeight = sideways ? fullWidth : fullHeight;
  int32_t wantWidth, wantHeight;
  WantedSize(turnedWidth, turnedHeight, cellWidth, cellHeight, wantWidth, wantHeight);
  const int32_t plainWidth = sideways ? wantHeight : wantWidth;
  const int32_t plainHeight = sideways ? wantWidth : wantHeight;

  std::vector<CAnimFrame> frames(1);
  if (job.m_image.GetWidth() == plainWidth && job.m_image.GetHeight() == plainHeight) {
    frames[0].m_image = std::move(job.m_image);
  } else {
    frames[0].m_image = ReduceImage(job.m_image, plainWidth, plainHeight);
    if (frames[0].m_image.IsEmpty()) return IMAGEIO_NO_MEMORY;
  }
  CMultiFrameImage image(plainWidth, plainHeight, std::move(frames));
  image.Rotate(rotation);
  out.nWidth = turnedWidth;
  out.nHeight = turnedHeight;
  out.nFrames = 1;
  out.nThumbWidth = image.m_nWidth;
  out.nThumbHeight = image.m_nHeight;
  out.frames = std::make_shared<const std::vector<CAnimFrame>>(std::move(image.m_frames));
  out.strComment = std::move(job.m_strComment);
  return IMAGEIO_OK;
}

int DecodeWholeThumbnail(const std::string& path, int32_t rotation, int32_t cellWidth, int32_t cellHeight,
                         CANCELPROC cancel, PROGRESSPROC progress, THUMBNAIL_DATA& out) {
  CImageFileRequest request;
  request.m_strFileName = path;
  request.m_pfnCancel = cancel;
  request.m_pfnProgress = progress;
  const int result = ReadImageFile(&request);
  if (result != IMAGEIO_OK) return result;
  if (request.m_frames.empty()) return IMAGEIO_CORRUPT;
  CMultiFrameImage image(request.m_nWidth, request.m_nHeight, std::move(request.m_frames));
  image.Rotate(rotation);
  out.nWidth = image.m_nWidth;
  out.nHeight = image.m_nHeight;
  out.nFrames = image.GetFrameCount();
  out.strComment = std::move(request.m_strComment);
  int32_t w, h;
  WantedSize(image.m_nWidth, image.m_nHeight, cellWidth, cellHeight, w, h);
  if (w < image.m_nWidth || h < image.m_nHeight) {
    if (w <= 0 || h <= 0 ||
        ShrinkFrames(image.m_frames.data(), image.GetFrameCount(), image.m_nWidth, image.m_nHeight, w, h) !=
            IMAGEIO_OK)
      return IMAGEIO_OK;  // read, but no thumbnail: out.frames stays null
  } else {
    w = image.m_nWidth;
    h = image.m_nHeight;
  }
  out.nThumbWidth = w;
  out.nThumbHeight = h;
  out.frames = std::make_shared<const std::vector<CAnimFrame>>(std::move(image.m_frames));
  return IMAGEIO_OK;
}

}  // namespace

bool CanMakeThumbnailOnWorker(const std::string& path) { return GetImageFormat(path) == IMAGE_FORMAT_JPEG; }

int DecodeThumbnail(const std::string& path, int32_t rotation, int32_t cellWidth, int32_t cellHeight,
                    CANCELPROC cancel, PROGRESSPROC progress, THUMBNAIL_DATA& out) {
  out = THUMBNAIL_DATA();
  if (path.empty() || cellWidth <= 0 || cellHeight <= 0) return IMAGEIO_INTERNAL_ERROR;
  if (cancel && cancel()) return IMAGEIO_CANCELLED;
  try {
    if (GetImageFormat(path) == IMAGE_FORMAT_JPEG)
      return DecodeJpegThumbnail(path, rotation, cellWidth, cellHeight, cancel, progress, out);
    return DecodeWholeThumbnail(path, rotation, cellWidth, cellHeight, cancel, progress, out);
  } catch (const std::bad_alloc&) {
    out = THUMBNAIL_DATA();
    return IMAGEIO_NO_MEMORY;
  }
}

void SetThumbnailThreads(int threads) { g_threads = std::max(0, threads); }

int GetThumbnailThreads() {
  const int set = g_threads.load();
  if (set > 0) return set;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

namespace {

// One run of MakeThumbnailsInOrder: the jobs, their results and the workers.
class CThumbnailRun {
 public:
  CThumbnailRun(const std::vector<THUMBNAIL_JOB>& jobs, int32_t cellWidth, int32_t cellHeight)
      : m_jobs(jobs), m_nCellWidth(cellWidth), m_nCellHeight(cellHeight), m_slots(jobs.size()) {
    for (size_t i = 0; i < jobs.size(); ++i) m_slots[i].onWorker = CanMakeThumbnailOnWorker(jobs[i].strPath);
  }
  ~CThumbnailRun() { StopWorkers(); }

  void StartWorkers(int count) {
    // Enough results ahead of the deliveries to keep every worker busy, few
    // enough that memory stays bounded however long the run.
    m_nWindow = static_cast<size_t>(2 * count + 2);
    // A system that refuses more threads runs with the ones it gave (none:
    // every thumbnail is made on the calling thread).
    try {
      for (int i = 0; i < count; ++i) m_workers.emplace_back([this] { WorkerLoop(); });
    } catch (const std::system_error&) {
    }
  }

  void StopWorkers() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers) worker.join();
    m_workers.clear();
  }

  bool IsOnWorker(size_t index) const { return !m_workers.empty() && m_slots[index].onWorker; }

  // Waits for a worker's result, asking cancel every 25 ms. False when
  // cancel answered true.
  bool WaitFor(size_t index, CANCELPROC cancel, int& result, THUMBNAIL_DATA& data) {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_slots[index].done) {
      if (m_changed.wait_for(lock, std::chrono::milliseconds(25), [&] { return m_slots[index].done; })) break;
      if (cancel) {
        lock.unlock();
        const bool stop = cancel();
        lock.lock();
        if (stop) return false;
      }
    }
    result = m_slots[index].result;
    data = std::move(m_slots[index].data);
    return true;
  }

  void Delivered(size_t index) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_nDelivered = index + 1;
    }
    m_changed.notify_all();
  }

 private:
  struct Slot {
    bool onWorker = false;
    bool done = false;
    int result = IMAGEIO_OK;
    THUMBNAIL_DATA data;
  };

  void WorkerLoop() {
    t_pStop = &m_stopFlag;
    for (;;) {
      size_t index;
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
          while (m_nNext < m_slots.size() && !m_slots[m_nNext].onWorker) ++m_nNext;
          if (m_stop || m_nNext >= m_slots.size()) return;
          if (m_nNext < m_nDelivered + m_nWindow) break;
          m_changed.wait(lock);
        }
        index = m_nNext++;
      }
      THUMBNAIL_DATA data;
      const int result = DecodeThumbnail(m_jobs[index].strPath, m_jobs[index].nRotation, m_nCellWidth,
                                         m_nCellHeight, WorkerCancel, nullptr, data);
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_slots[index].result = result;
        m_slots[index].data = std::move(data);
        m_slots[index].done = true;
      }
      m_changed.notify_all();
    }
  }

 public:
  // Set with the mutex-guarded stop so that decoders notice it between rows.
  void RaiseStop() {
    m_stopFlag = true;
    StopWorkers();
  }

 private:
  const std::vector<THUMBNAIL_JOB>& m_jobs;
  int32_t m_nCellWidth;
  int32_t m_nCellHeight;
  std::vector<Slot> m_slots;
  std::vector<std::thread> m_workers;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  size_t m_nNext = 0;
  size_t m_nDelivered = 0;
  size_t m_nWindow = 1;
  bool m_stop = false;
  std::atomic<bool> m_stopFlag{false};
};

}  // namespace

bool MakeThumbnailsInOrder(const std::vector<THUMBNAIL_JOB>& jobs, int32_t cellWidth, int32_t cellHeight,
                           CANCELPROC cancel, PROGRESSPROC progress, const THUMBNAIL_DELIVERY& deliver) {
  CThumbnailRun run(jobs, cellWidth, cellHeight);
  const int threads = GetThumbnailThreads();
  if (threads > 1) {
    const size_t onWorker = static_cast<size_t>(std::count_if(
        jobs.begin(), jobs.end(), [](const THUMBNAIL_JOB& job) { return CanMakeThumbnailOnWorker(job.strPath); }));
    run.StartWorkers(static_cast<int>(std::min<size_t>(onWorker, static_cast<size_t>(threads))));
  }
  for (size_t i = 0; i < jobs.size(); ++i) {
    if (cancel && cancel()) {
      run.RaiseStop();
      return false;
    }
    int result;
    THUMBNAIL_DATA data;
    if (run.IsOnWorker(i)) {
      if (!run.WaitFor(i, cancel, result, data)) {
        run.RaiseStop();
        return false;
      }
    } else {
      CStatusScope status("Reading " + GetFileNamePart(jobs[i].strPath));
      result = DecodeThumbnail(jobs[i].strPath, jobs[i].nRotation, cellWidth, cellHeight, cancel, progress, data);
    }
    run.Delivered(i);
    deliver(i, result, std::move(data));
  }
  return true;
}
