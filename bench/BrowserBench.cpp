// The thumbnail browser's folder passes, on folders that bench/compare_browser.sh
// makes (the benchmarks are skipped without them):
//   PICTORAVELL_BENCH_COLD_FOLDER  camera photographs: a first visit (no cache)
//                                  scans the folder and makes every thumbnail
//   PICTORAVELL_BENCH_WARM_FOLDER  thousands of files: a reload of a folder
//                                  whose cache is current
// Arguments: the thumbnail cell (pixels) and the worker threads (0 = cores).
// Counters: files per second, and the process's peak resident memory.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "browser/core/FolderScanner.h"
#include "browser/core/ThumbnailMaker.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

const char* Folder(const char* variable) {
  const char* folder = std::getenv(variable);
  return folder && *folder ? folder : nullptr;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A first visit: scan (headers and embedded thumbnails), then the missing
// thumbnails, then the cache written; the cache root starts empty each time.
void BM_BrowserColdFolder(benchmark::State& state) {
  const char* folder = Folder("PICTORAVELL_BENCH_COLD_FOLDER");
  if (!folder) {
    state.SkipWithError("PICTORAVELL_BENCH_COLD_FOLDER not set (bench/compare_browser.sh sets it)");
    return;
  }
  const int cell = static_cast<int>(state.range(0));
  SetThumbnailThreads(static_cast<int>(state.range(1)));
  testing_support::TempDir cache;
  size_t files = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(cache / "Cache");
    state.ResumeTiming();
    CFolderScanner scanner((cache / "Cache").string());
    scanner.SetCellSize(cell, cell);
    CBrowserItemList items;
    scanner.Refresh(folder, items);
    scanner.LoadPreviews(folder, items);
    files = items.size();
    benchmark::DoNotOptimize(items.data());
  }
  SetThumbnailThreads(0);
  state.counters["files"] = static_cast<double>(files);
  state.counters["files/s"] = benchmark::Counter(static_cast<double>(files) * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_BrowserColdFolder)
    ->Args({160, 1})
    ->Args({160, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// Where the time of one pass goes: user and system CPU and page faults per
// iteration (in a virtual machine, the first touch of memory new to the
// process can cost tens of microseconds per 4 KB page).
class CpuCounters {
 public:
  CpuCounters() { getrusage(RUSAGE_SELF, &m_before); }
  void Report(benchmark::State& state) const {
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const double runs = static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
    auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    state.counters["user_ms"] = (ms(after.ru_utime) - ms(m_before.ru_utime)) / runs;
    state.counters["sys_ms"] = (ms(after.ru_stime) - ms(m_before.ru_stime)) / runs;
    state.counters["faults"] = static_cast<double>(after.ru_minflt - m_before.ru_minflt) / runs;
  }

 private:
  rusage m_before{};
};

// A folder whose cache is current, entered anew (the view's list starts
// empty, as when another folder is browsed): the view's Refresh and
// LoadPreviews, which open no image and read every thumbnail from the cache.
void BM_BrowserWarmRescan(benchmark::State& state) {
  const char* folder = Folder("PICTORAVELL_BENCH_WARM_FOLDER");
  if (!folder) {
    state.SkipWithError("PICTORAVELL_BENCH_WARM_FOLDER not set (bench/compare_browser.sh sets it)");
    return;
  }
  const int cell = static_cast<int>(state.range(0));
  testing_support::TempDir cache;
  CFolderScanner scanner((cache / "Cache").string());
  scanner.SetCellSize(cell, cell);
  CBrowserItemList items;
  scanner.Refresh(folder, items);
  scanner.LoadPreviews(folder, items);  // the cold visit that fills the cache
  CpuCounters cpu;
  for (auto _ : state) {
    CBrowserItemList again;
    scanner.Refresh(folder, again);
    scanner.LoadPreviews(folder, again);
    if (again.size() != items.size()) state.SkipWithError("the warm scan lost files");
    benchmark::DoNotOptimize(again.data());
  }
  cpu.Report(state);
  state.counters["files"] = static_cast<double>(items.size());
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_BrowserWarmRescan)->Arg(100)->Arg(160)->Unit(benchmark::kMillisecond)->UseRealTime();

// A reload of the folder on screen (F5, or a file changed in it): Refresh
// and LoadPreviews of the list in hand, whose items hold their thumbnails.
void BM_BrowserReloadShownFolder(benchmark::State& state) {
  const char* folder = Folder("PICTORAVELL_BENCH_WARM_FOLDER");
  if (!folder) {
    state.SkipWithError("PICTORAVELL_BENCH_WARM_FOLDER not set (bench/compare_browser.sh sets it)");
    return;
  }
  const int cell = static_cast<int>(state.range(0));
  testing_support::TempDir cache;
  CFolderScanner scanner((cache / "Cache").string());
  scanner.SetCellSize(cell, cell);
  CBrowserItemList items;
  scanner.Refresh(folder, items);
  scanner.LoadPreviews(folder, items);  // the cold visit that fills the cache
  const size_t files = items.size();
  CpuCounters cpu;
  for (auto _ : state) {
    scanner.Refresh(folder, items);
    scanner.LoadPreviews(folder, items);
    if (items.size() != files) state.SkipWithError("the reload lost files");
    benchmark::DoNotOptimize(items.data());
  }
  cpu.Report(state);
  state.counters["files"] = static_cast<double>(files);
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_BrowserReloadShownFolder)->Arg(100)->Arg(160)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
