// The batch run: counters, serial numbers, stopping, and that running files
// on several workers shows the same results and messages in the same order
// as running them one at a time.

#include <gtest/gtest.h>

#include "base/StatusStack.h"
#include "output/core/BatchRun.h"
#include "output/core/BatchScript.h"
#include "output/core/ImageConverter.h"
#include "platform/PathFunctions.h"
#include "tests/output/core/OutputJobTestSupport.h"

namespace {

using namespace output_test;
using testing_support::RecordingMessageSink;

struct RunRecord {
  BatchRunCounts counts;
  std::vector<std::string> shown;     // what the dialog showed before each file
  std::vector<std::string> results;   // file written, or "-" for a failure
  std::vector<std::pair<int, std::string>> messages;
};

RunRecord RunOver(CImageConverter& job, const std::vector<std::string>& files, int workers,
                  std::function<void(CBatchRun&, int)> beforeFile = {}) {
  RunRecord record;
  RecordingMessageSink sink;
  CBatchRun run(job, files);
  run.SetWorkerCount(workers);
  run.SetFileCallback([&](int k, int n, const std::string& path) {
    char text[64];
    std::snprintf(text, sizeof text, "Now processing %d of %d", k + 1, n);
    record.shown.push_back(text + std::string(" ") + GetFileNamePart(path));
    if (beforeFile) beforeFile(run, k);
  });
  run.SetResultCallback([&](int, bool ok, const std::string& written) {
    record.results.push_back(ok ? GetFileNamePart(written) : "-");
  });
  record.counts = run.Run();
  record.messages = sink.messages;
  return record;
}

class BatchRunTest : public ::testing::TestWithParam<int> {};

TEST_P(BatchRunTest, OneUnreadableFileInTheSelection) {
  TempDir dir;
  WritePicture(dir / "one.png", 64, 48, 1);
  testing_support::WriteFileBytes(dir / "two.jpg", {0xFF, 0xD8, 'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
  WritePicture(dir / "three.png", 48, 64, 3);
  fs::create_directories(dir / "out");
  CBatchScript script;
  script.m_strName = "Small";
  script.m_nFormat = 7;
  script.m_nResizeMethod = 4;
  script.m_nMaxWidth = 32;
  script.m_strFilePrefix = "pic";
  script.m_nDigits = 2;
  script.m_nDestination = 1;
  script.m_strCommonFolder = (dir / "out").string();
  CImageConverter job;
  script.ApplyTo(job);
  const std::vector<std::string> files = {(dir / "one.png").string(), (dir / "two.jpg").string(),
                                          (dir / "three.png").string()};
  const RunRecord r = RunOver(job, files, GetParam());
  EXPECT_EQ(FormatBatchResults(script.m_strName, r.counts.processed, r.counts.completed, r.counts.failed),
            "Results of running batch script: Small\n\n3 file(s) processed\n2 file(s) completed\n1 file(s) failed");
  EXPECT_EQ(r.shown, (std::vector<std::string>{"Now processing 1 of 3 one.png", "Now processing 2 of 3 two.jpg",
                                               "Now processing 3 of 3 three.png"}));
  EXPECT_EQ(r.results, (std::vector<std::string>{"pic01.jpg", "-", "pic03.jpg"}));
  EXPECT_EQ(ReadBack(dir / "out/pic03.jpg").m_nWidth, 32);
  ASSERT_FALSE(r.messages.empty());
  EXPECT_EQ(r.messages[0].first, MESSAGE_ERROR);
  EXPECT_EQ(GetStatusDepth(), 0);
}

TEST_P(BatchRunTest, OneFileHasNoSerial) {
  TempDir dir;
  WritePicture(dir / "only.png", 20, 10);
  CImageConverter job;
  job.SetFileTitle("pic", 4);
  const RunRecord r = RunOver(job, {(dir / "only.png").string()}, GetParam());
  EXPECT_EQ(r.results, std::vector<std::string>{"pic.png"});
}

// Cancel while the second file is being converted: it counts as failed and
// the third is never touched.
TEST_P(BatchRunTest, CancelCountsTheCurrentFileAsFailedAndStops) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 4; ++i) {
    const fs::path path = dir / ("f" + std::to_string(i) + ".png");
    WritePicture(path, 300, 200, static_cast<unsigned>(i + 1));
    files.push_back(path.string());
  }
  fs::create_directories(dir / "out");
  CImageConverter job;
  job.SetOutputFolder((dir / "out").c_str());
  const RunRecord r = RunOver(job, files, GetParam(), [](CBatchRun& run, int k) {
    if (k == 1) run.RequestStop();  // as the dialog's Cancel does
  });
  EXPECT_EQ(r.counts.processed, 2);
  EXPECT_EQ(r.counts.completed, 1);
  EXPECT_EQ(r.counts.failed, 1);
  EXPECT_EQ(r.results, (std::vector<std::string>{"f0.png", "-"}));
  EXPECT_TRUE(fs::exists(dir / "out/f0.png"));
  EXPECT_FALSE(fs::exists(dir / "out/f1.png"));
  EXPECT_FALSE(fs::exists(dir / "out/f2.png"));
  EXPECT_EQ(GetStatusDepth(), 0);
}

// The job's own cancel callback answering true stops the run the same way.
bool g_cancelNow = false;
bool CancelWhenAsked() { return g_cancelNow; }

TEST_P(BatchRunTest, TheJobsCancelCallbackStopsTheRun) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 3; ++i) {
    const fs::path path = dir / ("g" + std::to_string(i) + ".png");
    WritePicture(path, 200, 100, static_cast<unsigned>(i + 7));
    files.push_back(path.string());
  }
  CImageConverter job;
  job.SetFileTitle("done", 1);
  job.SetCallbacks(nullptr, CancelWhenAsked);
  g_cancelNow = false;
  const RunRecord r = RunOver(job, files, GetParam(), [](CBatchRun&, int k) { g_cancelNow = k == 1; });
  g_cancelNow = false;
  EXPECT_EQ(r.counts.processed, 2);
  EXPECT_EQ(r.counts.completed, 1);
  EXPECT_EQ(r.counts.failed, 1);
  EXPECT_EQ(job.m_pfnCancel, &CancelWhenAsked);  // the caller's callback is back
}

INSTANTIATE_TEST_SUITE_P(Workers, BatchRunTest, ::testing::Values(1, 4));

// Many files, some unreadable, some with names taken: the parallel run writes
// the same files and reports the same messages in the same order.
TEST(BatchRunOrder, WorkersChangeNothingTheUserSees) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 12; ++i) {
    const fs::path path = dir / ("p" + std::to_string(i) + (i % 5 == 2 ? ".gif" : ".png"));
    if (i % 4 == 3)
      testing_support::WriteFileBytes(path, {'b', 'a', 'd', static_cast<uint8_t>('0' + i)});
    else
      WritePicture(path, 90 + 7 * i, 60 + 3 * i, static_cast<unsigned>(i));
    files.push_back(path.string());
  }
  RunRecord records[2];
  for (int pass = 0; pass < 2; ++pass) {
    const fs::path out = dir / ("out" + std::to_string(pass));
    fs::create_directories(out);
    testing_support::WriteFileBytes(out / "n05.jpg", {'x'});  // a taken name
    CImageConverter job;
    job.SetOutputFolder(out.c_str());
    job.SetOutputFormat(7);
    job.SetScale(50);
    job.SetColorMode(CM_GRAYSCALE);
    job.SetFileTitle("n", 2);
    records[pass] = RunOver(job, files, pass == 0 ? 1 : 6);
  }
  EXPECT_EQ(records[0].counts.completed, 9);
  EXPECT_EQ(records[0].counts.failed, 3);
  EXPECT_EQ(records[1].results, records[0].results);
  EXPECT_EQ(records[1].shown, records[0].shown);
  EXPECT_EQ(records[1].messages, records[0].messages);
  EXPECT_EQ(records[0].results[4], "n05-1.jpg");
  for (const std::string& name : records[0].results) {
    if (name == "-") continue;
    EXPECT_EQ(testing_support::ReadFileBytes(dir / "out0" / name), testing_support::ReadFileBytes(dir / "out1" / name))
        << name;
  }
}

}  // namespace
