#include "output/core/SlideReadAhead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "formats/ImageFile.h"
#include "tests/output/core/SlideShowTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::TempDir;

std::string WritePicture(const TempDir& dir, const std::string& name, const CRasterImage& image) {
  CImageFileRequest request;
  request.m_strFileName = (dir / name).string();
  CAnimFrame frame;
  frame.m_image = image;
  request.m_frames.push_back(frame);
  request.m_nWidth = static_cast<int16_t>(image.GetWidth());
  request.m_nHeight = static_cast<int16_t>(image.GetHeight());
  EXPECT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  return request.m_strFileName;
}

TEST(SlideReadAhead, PreparesTheFirstFrameAtScreenSize) {
  TempDir dir;
  const std::string path = WritePicture(dir, "wide.png", testing_support::MakeTestPicture(400, 100, 1));
  const PREPARED_SLIDE slide = PrepareSlide(path, 200, 150);
  ASSERT_EQ(slide.result, IMAGEIO_OK);
  EXPECT_TRUE(slide.messages.empty());
  EXPECT_EQ(slide.image.GetFrameCount(), 1);
  EXPECT_EQ(slide.first.displayWidth, 200);
  EXPECT_EQ(slide.first.displayHeight, 50);
  EXPECT_EQ(slide.first.picture.GetWidth(), 200);
}

TEST(SlideReadAhead, ItemsAreTurnedAsTheBrowserTurnedThem) {
  TempDir dir;
  const std::string path = WritePicture(dir, "wide.png", testing_support::MakeTestPicture(400, 100, 1));
  struct Case {
    int rotation, width, height;
  };
  for (const Case c : {Case{0, 400, 100}, Case{90, 100, 400}, Case{180, 400, 100}, Case{-90, 100, 400}, Case{360, 400, 100}}) {
    const PREPARED_SLIDE slide = PrepareSlide(path, 1000, 1000, nullptr, c.rotation);
    ASSERT_EQ(slide.result, IMAGEIO_OK) << c.rotation;
    EXPECT_EQ(slide.image.m_nWidth, c.width) << c.rotation;
    EXPECT_EQ(slide.image.m_nHeight, c.height) << c.rotation;
    EXPECT_EQ(slide.first.picture.GetWidth(), c.width) << c.rotation;
  }
}

struct BadFile {
  const char* name;
  std::string bytes;  // empty: the file does not exist
  const char* message;
};

TEST(SlideReadAhead, DamagedAndVanishedFilesGiveAMessage) {
  TempDir dir;
  const std::string png = WritePicture(dir, "good.png", testing_support::MakeTestPicture(64, 64, 2));
  std::vector<uint8_t> bytes = testing_support::ReadFileBytes(png);
  bytes.resize(bytes.size() / 2);
  testing_support::WriteFileBytes(dir / "cut.png", bytes);
  testing_support::WriteFileBytes(dir / "noise.jpg", std::vector<uint8_t>(500, 0x5A));
  const BadFile cases[] = {
      {"gone.jpg", "", "Failed to open gone.jpg: No such file or directory"},
      {"cut.png", "-", "Failed to open cut.png: "},
      {"noise.jpg", "-", "Failed to open noise.jpg: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PREPARED_SLIDE slide = PrepareSlide((dir / c.name).string(), 100, 100);
    EXPECT_NE(slide.result, IMAGEIO_OK);
    EXPECT_TRUE(slide.first.picture.IsEmpty());
    bool found = false;
    for (const auto& [level, text] : slide.messages)
      if (text.rfind(c.message, 0) == 0 && level == MESSAGE_ERROR) found = true;
    std::string all;
    for (const auto& m : slide.messages) all += m.second + "|";
    EXPECT_TRUE(found) << all << " result " << slide.result;
  }
}

TEST(SlideReadAhead, TheNextPictureIsReadWhileTheCurrentOneShows) {
  TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 3; ++i)
    paths.push_back(WritePicture(dir, "p" + std::to_string(i) + ".png", testing_support::MakeTestPicture(300, 200, i)));
  std::vector<SLIDE_SHOW_ITEM> items;
  for (const auto& p : paths) items.push_back({p, 0});
  CSlideReadAhead ahead(items, 150, 100);
  PREPARED_SLIDE first = ahead.Take(0);
  EXPECT_EQ(first.result, IMAGEIO_OK);
  ahead.Prefetch(1);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ahead.GetReadCount() < 2 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_EQ(ahead.GetReadCount(), 2);
  PREPARED_SLIDE second = ahead.Take(1);
  EXPECT_EQ(second.result, IMAGEIO_OK);
  EXPECT_EQ(second.path, paths[1]);
  EXPECT_EQ(ahead.GetLastWaitMs(), 0);  // it was ready
  EXPECT_EQ(ahead.GetReadCount(), 2);
  EXPECT_EQ(second.first.picture.GetWidth(), 150);
}

TEST(SlideReadAhead, AStopWhileWaitingGivesUp) {
  TempDir dir;
  const std::string path = WritePicture(dir, "a.png", testing_support::MakeTestPicture(32, 32, 1));
  int pumps = 0;
  CSlideReadAhead ahead({{path, 0}, {path, 0}}, 100, 100, [&] { return ++pumps >= 1; });
  ahead.Stop();
  EXPECT_TRUE(IsSlideShowClosing());
  EXPECT_EQ(ahead.Take(1).result, IMAGEIO_CANCELLED);
}

}  // namespace
