#include "output/core/BatchRun.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "formats/ImageFile.h"
#include "base/ResultCodes.h"
#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "output/core/ImageConverter.h"

namespace {

// The run on this thread and the cancel callback its caller gave the job:
// the job's callback during a run is RunCancel, which also carries the stop
// flag into the reader and writer.
thread_local CBatchRun* t_pRun = nullptr;
thread_local CANCELPROC t_pfnCallerCancel = nullptr;

bool RunCancel() {
  if (!t_pRun) return false;
  if (!t_pRun->IsStopRequested() && t_pfnCallerCancel && t_pfnCallerCancel()) t_pRun->RequestStop();
  return t_pRun->IsStopRequested();
}

// What a worker thread polls and reports through while it prepares a file.
struct WorkerSignals {
  const std::atomic<bool>* stop = nullptr;   // the whole run stops
  const std::atomic<bool>* abandon = nullptr;  // this file is abandoned
  std::atomic<int>* done = nullptr;
  std::atomic<int>* total = nullptr;
};
thread_local WorkerSignals t_signals;

bool WorkerCancel() {
  return (t_signals.stop && t_signals.stop->load()) || (t_signals.abandon && t_signals.abandon->load());
}

void WorkerProgress(int done, int total) {
  if (t_signals.done) t_signals.done->store(done);
  if (t_signals.total) t_signals.total->store(total);
}

// Installs the run's cancel callback in the job for the length of a run and
// puts the caller's back afterwards.
class CRunCallbacks {
 public:
  CRunCallbacks(CBatchRun* run, CImageConverter& job) : m_job(job), m_pfnCancel(job.m_pfnCancel) {
    m_pPreviousRun = t_pRun;
    m_pfnPreviousCancel = t_pfnCallerCancel;
    t_pRun = run;
    t_pfnCallerCancel = job.m_pfnCancel;
    job.m_pfnCancel = RunCancel;
  }
  ~CRunCallbacks() {
    m_job.m_pfnCancel = m_pfnCancel;
    t_pRun = m_pPreviousRun;
    t_pfnCallerCancel = m_pfnPreviousCancel;
  }

 private:
  CImageConverter& m_job;
  CANCELPROC m_pfnCancel;
  CBatchRun* m_pPreviousRun;
  CANCELPROC m_pfnPreviousCancel;
};

struct PreparedFile {
  CImageFileRequest request;
  int colors = -1;
  bool ok = false;
  bool ready = false;  // guarded by the run's mutex
  std::vector<std::pair<int, std::string>> messages;
  std::atomic<bool> abandon{false};
  std::atomic<int> done{0};
  std::atomic<int> total{0};
};

}  // namespace

CBatchRun::CBatchRun(CImageConverter& job, std::vector<std::string> files)
    : m_job(job), m_files(std::move(files)) {
  const unsigned cores = std::thread::hardware_concurrency();
  m_nWorkers = cores == 0 ? 1 : static_cast<int>(std::min(cores, 64u));
}

BatchRunCounts CBatchRun::Run() {
  m_counts = {};
  m_bStop = false;
  CRunCallbacks callbacks(this, m_job);
  // A title the job refuses fails every file with its message: the plain
  // run reports that once per file.
  if (m_nWorkers <= 1 || m_files.size() < 2 || (!m_job.m_strFileTitle.empty() && !IsValidFileTitle(m_job.m_strFileTitle)))
    RunSerial();
  else
    RunParallel();
  return m_counts;
}

void CBatchRun::RunSerial() {
  const int n = static_cast<int>(m_files.size());
  for (int k = 0; k < n && !m_bStop; ++k) {
    if (m_onFile) m_onFile(k, n, m_files[static_cast<size_t>(k)]);
    ++m_counts.processed;
    std::string written;
    const bool ok = m_job.ConvertTo(m_files[static_cast<size_t>(k)].c_str(), written, SerialOf(k));
    ++(ok ? m_counts.completed : m_counts.failed);
    if (m_onResult) m_onResult(k, ok, ok ? written : std::string());
  }
}

void CBatchRun::RunParallel() {
  const int n = static_cast<int>(m_files.size());
  const int workers = std::min(m_nWorkers, n);
  // Files prepared ahead of the current one: enough to keep every worker
  // busy, few enough that the prepared images stay small in memory.
  const int window = 2 * workers;
  std::vector<std::unique_ptr<PreparedFile>> files;
  files.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) files.push_back(std::make_unique<PreparedFile>());

  std::mutex mutex;
  std::condition_variable changed;
  int nextToPrepare = 0;
  int current = 0;
  std::atomic<bool> quit{false};
  const CImageConverter& job = m_job;
  // The workers read the job's settings while they run; the palette size
  // that the one-at-a-time run leaves in the job is stored once they are done.
  int loadedColors = -1;

  auto work = [&] {
    for (;;) {
      int index;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return quit || nextToPrepare >= n || nextToPrepare < current + window; });
        if (quit || nextToPrepare >= n) return;
        index = nextToPrepare++;
      }
      PreparedFile& file = *files[static_cast<size_t>(index)];
      t_signals = {&quit, &file.abandon, &file.done, &file.total};
      bool ok = false;
      std::vector<std::pair<int, std::string>> messages;
      {
        CMessageCapture capture;
        try {
          ok = job.PrepareFile(m_files[static_cast<size_t>(index)], file.request, &file.colors, WorkerCancel,
                               WorkerProgress);
        } catch (...) {
          ok = false;
        }
        messages = std::move(capture.messages);
      }
      t_signals = {};
      {
        std::lock_guard lock(mutex);
        file.ok = ok;
        file.messages = std::move(messages);
        file.ready = true;
      }
      changed.notify_all();
    }
  };

  std::vector<std::thread> threads;
  threads.reserve(static_cast<size_t>(workers));
  for (int i = 0; i < workers; ++i) threads.emplace_back(work);

  for (int k = 0; k < n && !m_bStop; ++k) {
    const std::string& source = m_files[static_cast<size_t>(k)];
    if (m_onFile) m_onFile(k, n, source);
    ++m_counts.processed;
    PreparedFile& file = *files[static_cast<size_t>(k)];
    bool ok = false;
    std::string written;
    {
      CStatusScope status("Processing " + source);
      // Wait for the file, answering the window and the cancel callback
      // meanwhile; a stop abandons the file at its reader's next poll.
      int shownDone = -1;
      std::unique_lock lock(mutex);
      while (!file.ready) {
        changed.wait_for(lock, std::chrono::milliseconds(15));
        if (file.ready) break;
        lock.unlock();
        if (m_job.m_pfnCancel && m_job.m_pfnCancel()) file.abandon = true;
        const int done = file.done, total = file.total;
        if (m_job.m_pfnProgress && total > 0 && done != shownDone) {
          m_job.m_pfnProgress(done, total);
          shownDone = done;
        }
        lock.lock();
      }
      lock.unlock();
      for (auto& [level, text] : file.messages) ReportMessage(level, text);
      try {
        if (file.colors >= 0) loadedColors = file.colors;
        if (file.ok && !file.abandon && !m_bStop) {
          written = m_job.MakeOutputPath(source, SerialOf(k));
          ok = m_job.SaveFile(source, file.request, written);
        }
      } catch (...) {
        ok = false;
      }
    }
    ++(ok ? m_counts.completed : m_counts.failed);
    if (m_onResult) m_onResult(k, ok, ok ? written : std::string());
    file.request = CImageFileRequest();
    {
      std::lock_guard lock(mutex);
      current = k + 1;
    }
    changed.notify_all();
  }

  {
    std::lock_guard lock(mutex);
    quit = true;
  }
  changed.notify_all();
  for (auto& thread : threads) thread.join();
  if (loadedColors >= 0) m_job.m_nColors = loadedColors;
}
