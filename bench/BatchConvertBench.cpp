// A batch run over a folder of camera pictures: every JPEG limited to
// 640 x 480 and written as JPEG at quality 100, as a batch script with
// "Limiting Maximum Width (640)" does... through the whole job: read, shrink,
// write a new file. Argument: the number of workers (1 = one file at a time).
//
// bench/compare_batch.sh makes the pictures, points PICTORAVELL_BENCH_BATCH_DIR
// at them and times `mogrify -resize 640x480 -quality 100` on copies of the
// same files. Without the variable the benchmark makes 16 pictures of its own.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "formats/ImageFile.h"
#include "output/core/BatchRun.h"
#include "output/core/ImageConverter.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Pictures(const fs::path& scratch) {
  std::vector<std::string> files;
  if (const char* dir = std::getenv("PICTORAVELL_BENCH_BATCH_DIR")) {
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.path().extension() == ".jpg") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
  }
  CAnimFrame frame;
  frame.m_image = testing_support::MakeTestPicture(4000, 3000);
  for (int i = 0; i < 16; ++i) {
    CImageFileRequest request;
    request.m_strFileName = (scratch / ("cam" + std::to_string(i) + ".jpg")).string();
    request.m_frames = {frame};
    request.m_nWidth = 4000;
    request.m_nHeight = 3000;
    JPEG_SAVE_OPTIONS options;
    options.nQuality = 92;
    WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, &options);
    files.push_back(request.m_strFileName);
  }
  return files;
}

void BM_BatchLimit640Jpeg(benchmark::State& state) {
  testing_support::TempDir scratch;
  const std::vector<std::string> files = Pictures(scratch.path());
  int round = 0;
  for (auto _ : state) {
    const fs::path out = scratch / ("out" + std::to_string(round++));
    fs::create_directories(out);
    CImageConverter job;
    job.SetOutputFormat(7);
    job.SetJpegOptions(100, false);
    job.SetMaxSize(640, 480);
    job.SetOutputFolder(out.c_str());
    CBatchRun run(job, files);
    run.SetWorkerCount(static_cast<int>(state.range(0)));
    const BatchRunCounts counts = run.Run();
    if (counts.completed != static_cast<int>(files.size())) state.SkipWithError("a file failed");
    state.PauseTiming();
    fs::remove_all(out);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}
BENCHMARK(BM_BatchLimit640Jpeg)
    ->Arg(1)
    ->Arg(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
