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

// A reload of a folder whose cache is current: the view's Refresh and
// LoadPreviews, which open no image.
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
  for (auto _ : state) {
    CBrowserItemList again;
    scanner.Refresh(folder, again);
    scanner.LoadPreviews(folder, again);
    if (again.size() != items.size()) state.SkipWithError("the warm scan lost files");
    benchmark::DoNotOptimize(again.data());
  }
  state.counters["files"] = static_cast<double>(items.size());
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_BrowserWarmRescan)->Arg(100)->Arg(160)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
