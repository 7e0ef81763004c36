#pragma once
// CBatchRun: converts a list of files (the browser's selected items, in list
// order) with one conversion job and counts how many were processed,
// completed and failed. Window-free: the progress dialog drives it and shows
// what it reports through the file callback.
//
// File k of n gets serial k + 1 (no serial when n < 2). A stop request (the
// dialog's Cancel, or the job's cancel callback answering true) abandons the
// file being converted - it counts as failed - and ends the run before the
// next file.
//
// With more than one worker, files are loaded, resized, rotated and colour
// converted on worker threads ahead of the current file, while writing,
// recycling, status texts, messages and the counters stay on the calling
// thread in list order: what the user sees is what the one-file-at-a-time run
// shows, in the same order.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class CImageConverter;

struct BatchRunCounts {
  int processed = 0;
  int completed = 0;
  int failed = 0;
};

class CBatchRun {
 public:
  CBatchRun(CImageConverter& job, std::vector<std::string> files);
  CBatchRun(const CBatchRun&) = delete;
  CBatchRun& operator=(const CBatchRun&) = delete;

  // Workers that prepare files ahead; 1 runs everything on the calling
  // thread. The default is the number of processor cores.
  void SetWorkerCount(int workers) { m_nWorkers = workers < 1 ? 1 : workers; }
  int GetWorkerCount() const { return m_nWorkers; }
  // Told before each file: its index (0-based), the number of files and its path.
  void SetFileCallback(std::function<void(int, int, const std::string&)> callback) { m_onFile = std::move(callback); }
  // Told after each file: its index, whether it was converted and the path written.
  void SetResultCallback(std::function<void(int, bool, const std::string&)> callback) {
    m_onResult = std::move(callback);
  }

  // Runs over every file until done or stopped; returns the counters.
  BatchRunCounts Run();

  // The stop flag: set by Cancel (any thread) or when the job's cancel
  // callback answers true.
  void RequestStop() { m_bStop = true; }
  bool IsStopRequested() const { return m_bStop; }
  const BatchRunCounts& GetCounts() const { return m_counts; }

 private:
  void RunSerial();
  void RunParallel();
  int SerialOf(int index) const { return m_files.size() < 2 ? -1 : index + 1; }

  CImageConverter& m_job;
  std::vector<std::string> m_files;
  int m_nWorkers;
  std::function<void(int, int, const std::string&)> m_onFile;
  std::function<void(int, bool, const std::string&)> m_onResult;
  std::atomic<bool> m_bStop{false};
  BatchRunCounts m_counts;
};
