// Reading a list of files into one frame array, with a scripted reader and
// with files written by ImageMagick.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "editor/model/SequenceImport.h"
#include "formats/ImageFile.h"
#include "tests/editor/model/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using editor_testing::SolidImage;
using testing_support::RecordingMessageSink;
using testing_support::TempDir;

// A reader of made-up files: a name's frames are listed in `files`, their
// red value tells which they are; "bad" fails with the code in `failure`.
struct ScriptedFiles {
  std::map<std::string, int> counted;               // what GetImageFileFrameCount says
  std::map<std::string, std::vector<int>> frames;   // the red values read
  std::map<std::string, int> failure;
  std::vector<std::string> statusTexts;
  std::vector<std::string> read;

  SEQUENCE_FILE_ACCESS Access() {
    SEQUENCE_FILE_ACCESS access;
    access.frameCount = [this](const std::string& path) { return counted.count(path) ? counted[path] : 0; };
    access.read = [this](CImageFileRequest* request) {
      read.push_back(request->m_strFileName);
      statusTexts.push_back(GetStatusText(GetStatusDepth()));
      if (failure.count(request->m_strFileName)) return failure[request->m_strFileName];
      for (int red : frames[request->m_strFileName]) {
        CAnimFrame frame;
        frame.m_image = SolidImage(3 + red, 2, static_cast<uint8_t>(red), 0, 0);
        frame.m_nLeft = static_cast<int16_t>(red);
        frame.m_nTop = 1;
        frame.m_nDelay = static_cast<uint16_t>(100 + red);
        frame.m_nFlags = 0x09;  // restore to background, transparent
        frame.m_bSelected = 1;
        frame.m_bBusy = 1;
        request->m_frames.push_back(frame);
      }
      return static_cast<int>(IMAGEIO_OK);
    };
    return access;
  }
};

std::vector<int> Reds(const std::vector<CAnimFrame>& frames) {
  std::vector<int> out;
  for (const auto& frame : frames) out.push_back(frame.m_image.GetRow(0)[0]);
  return out;
}

TEST(SequenceImport, AnimationAndSingleImagesInListOrderOnlySinglesTakeDelayAndDisposal) {
  ScriptedFiles files;
  files.counted = {{"/a/anim.gif", 5}, {"/a/one.bmp", 1}, {"/a/two.png", 1}};
  files.frames = {{"/a/anim.gif", {1, 2, 3, 4, 5}}, {"/a/one.bmp", {10}}, {"/a/two.png", {20}}};
  std::vector<CAnimFrame> frames;
  ASSERT_EQ(ImportSequenceFiles({"/a/one.bmp", "/a/anim.gif", "/a/two.png"}, 25, 2, frames, nullptr, nullptr,
                                files.Access()),
            IMAGEIO_OK);
  EXPECT_EQ(Reds(frames), (std::vector<int>{10, 1, 2, 3, 4, 5, 20}));
  for (size_t i = 0; i < frames.size(); ++i) {
    const bool single = i == 0 || i == 6;
    const int red = Reds(frames)[i];
    EXPECT_EQ(frames[i].m_nDelay, single ? 25 : 100 + red) << i;
    EXPECT_EQ(frames[i].m_nFlags, single ? 2 << 2 : 0x09) << i;  // the whole byte replaced
    EXPECT_EQ(frames[i].m_nLeft, red) << i;                      // position taken over
    EXPECT_EQ(frames[i].m_nTop, 1) << i;
    EXPECT_EQ(frames[i].m_bBusy, 0) << i;                        // marks are the document's
    EXPECT_EQ(frames[i].m_bSelected, 0) << i;
  }
  EXPECT_EQ(files.statusTexts,
            (std::vector<std::string>{"Importing one.bmp", "Importing anim.gif", "Importing two.png"}));
}

TEST(SequenceImport, TableOfLists) {
  struct Case {
    const char* name;
    std::vector<std::string> paths;
    int result;
    std::vector<int> reds;
  } cases[] = {
      {"one file twice gives its frames twice", {"/g.gif", "/g.gif"}, IMAGEIO_OK, {1, 2, 1, 2}},
      {"files of no known format are skipped", {"/x.txt", "/s.bmp", "/x.txt"}, IMAGEIO_OK, {7}},
      {"only unknown files: nothing", {"/x.txt"}, IMAGEIO_FAILED, {}},
      {"an empty list: nothing", {}, IMAGEIO_FAILED, {}},
      {"a failed second file discards all", {"/s.bmp", "/bad.png", "/g.gif"}, IMAGEIO_CORRUPT, {}},
      {"a cancelled read discards all", {"/g.gif", "/esc.png"}, IMAGEIO_CANCELLED, {}},
      {"more frames than counted are all kept", {"/more.gif"}, IMAGEIO_OK, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    ScriptedFiles files;
    files.counted = {{"/g.gif", 2}, {"/s.bmp", 1}, {"/bad.png", 1}, {"/esc.png", 1}, {"/more.gif", 2}};
    files.frames = {{"/g.gif", {1, 2}}, {"/s.bmp", {7}}, {"/more.gif", {1, 2, 3, 4}}};
    files.failure = {{"/bad.png", IMAGEIO_CORRUPT}, {"/esc.png", IMAGEIO_CANCELLED}};
    RecordingMessageSink sink;
    std::vector<CAnimFrame> frames(3);  // what was there goes
    EXPECT_EQ(ImportSequenceFiles(c.paths, 0, 0, frames, nullptr, nullptr, files.Access()), c.result) << c.name;
    EXPECT_EQ(Reds(frames), c.reds) << c.name;
    if (c.result == IMAGEIO_CORRUPT) {
      ASSERT_EQ(sink.messages.size(), 1u) << c.name;
      EXPECT_EQ(sink.messages[0].second, GetResultText(IMAGEIO_CORRUPT));
      EXPECT_EQ(files.read, (std::vector<std::string>{"/s.bmp", "/bad.png"})) << "the import stops at the failure";
    } else {
      EXPECT_TRUE(sink.messages.empty()) << c.name;  // a cancel says nothing
    }
  }
}

// Files of different sizes and depths written by ImageMagick: each keeps its
// own size, depth and place; a GIF animation keeps its delays.
TEST(SequenceImport, FilesWrittenByImageMagick) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  const std::string q = testing_support::ShellQuote(dir.path().string());
  std::string output;
  ASSERT_EQ(testing_support::RunCommand(
                "cd " + q +
                    " && convert -size 40x30 gradient:red-blue rgb.png"
                    " && convert -size 20x50 gradient:black-white -colorspace Gray -depth 8 gray.png"
                    " && convert -size 16x16 xc:yellow -type Palette -colors 16 BMP3:pal.bmp"
                    " && convert -delay 7 -size 24x24 xc:red xc:lime xc:blue -loop 0 anim.gif",
                &output),
            0)
      << output;
  const auto path = [&](const char* name) { return (dir / name).string(); };
  std::vector<CAnimFrame> frames;
  RecordingMessageSink sink;
  ASSERT_EQ(ImportSequenceFiles({path("rgb.png"), path("anim.gif"), path("gray.png"), path("pal.bmp")}, 40, 1,
                                frames),
            IMAGEIO_OK);
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_EQ(frames.size(), 6u);
  const int widths[] = {40, 24, 24, 24, 20, 16};
  const int heights[] = {30, 24, 24, 24, 50, 16};
  const int delays[] = {40, 7, 7, 7, 40, 40};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(frames[i].m_image.GetWidth(), widths[i]) << i;
    EXPECT_EQ(frames[i].m_image.GetHeight(), heights[i]) << i;
    EXPECT_EQ(frames[i].m_nDelay, delays[i]) << i;
  }
  EXPECT_EQ(frames[0].m_image.GetBitsPerPixel(), 24);
  EXPECT_EQ(frames[4].m_image.GetBitsPerPixel(), 8);  // gray stays 8-bit
  EXPECT_LE(frames[5].m_image.GetBitsPerPixel(), 8);  // the palette file stays indexed
  EXPECT_EQ(frames[0].m_nFlags, 1 << 2);
  EXPECT_EQ(frames[4].m_nFlags, 1 << 2);
  // The GIF's frames are its three colours, in order.
  const int expected[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  for (int i = 0; i < 3; ++i) {
    const CRasterImage rgb = testing_support::ToRgb(frames[1 + i].m_image);
    const uint8_t* row = rgb.GetRow(5);
    EXPECT_EQ(row[15], expected[i][0]) << i;
    EXPECT_EQ(row[16], expected[i][1]) << i;
    EXPECT_EQ(row[17], expected[i][2]) << i;
  }
}

}  // namespace
