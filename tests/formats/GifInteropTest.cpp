// GIF files written by other programs read as those programs decode them,
// and files written here read back alike in giflib, gifsicle and Pillow.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "formats/GifCodec.h"
#include "imaging/PixelAccess.h"
#include "tests/formats/GifTestFiles.h"
#include "tests/formats/GifTestStreams.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using gif_test::ComposeFrames;
using gif_test::GifFile;
using gif_test::MakeFrame;
using gif_test::MakeIndexedImage;
using gif_test::ReadGifPath;
using gif_test::SetMask;
using gif_test::WriteGifBytes;
using gif_test::WriteRequest;
using testing_support::CompareRgb;
using testing_support::Python;
using testing_support::ReadPnm;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

std::string Q(const fs::path& p) { return ShellQuote(p.string()); }

void Shell(const std::string& command) {
  std::string output;
  ASSERT_EQ(RunCommand(command, &output), 0) << command << "\n" << output;
}

// --- what the other decoders see ------------------------------------------------

struct OracleFrame {
  int left = 0, top = 0, width = 0, height = 0, delay = 0, disposal = 0, transparent = -1;
  CRasterImage rgba;
};
struct Oracle {
  int screenWidth = 0, screenHeight = 0, loop = -1, commentLength = -1;
  std::vector<OracleFrame> frames;
  std::vector<std::pair<int, int>> pillow;  // delay, disposal of each frame as Pillow reads the whole file
};

Oracle RunOracle(const fs::path& gif, const fs::path& dir) {
  fs::create_directories(dir);
  std::string output;
  const std::string command = Python() + " " + Q(testing_support::SourceDir() / "tests/formats/gif_frames.py") + " " +
                              Q(gif) + " " + Q(dir);
  Oracle o;
  EXPECT_EQ(RunCommand(command, &output), 0) << output;
  std::istringstream in(output);
  std::string word;
  while (in >> word) {
    if (word == "screen") {
      std::string l, c;
      in >> o.screenWidth >> o.screenHeight >> l >> o.loop >> c >> o.commentLength;
    } else if (word == "pillow") {
      int k, delay, disposal;
      in >> k >> delay >> disposal;
      o.pillow.emplace_back(delay, disposal);
    } else if (word == "frame") {
      OracleFrame f;
      int k;
      in >> k >> f.left >> f.top >> f.width >> f.height >> f.delay >> f.disposal >> f.transparent;
      f.rgba = ReadPnm(dir / ("frame_" + std::to_string(k) + ".pam"));
      o.frames.push_back(f);
    }
  }
  return o;
}

// Every frame's position, size, delay, disposal, colours and transparency
// as gifsicle and Pillow decode them.
void ExpectFramesMatch(const GifFile& ours, const Oracle& o, bool transparencyKnown = true) {
  ASSERT_EQ(ours.result, IMAGEIO_OK);
  ASSERT_EQ(ours.frames.size(), o.frames.size());
  EXPECT_EQ(o.pillow.size(), o.frames.size());
  EXPECT_EQ(ours.loopCount, o.loop == -1 ? 0 : o.loop == 0 ? -1 : o.loop);
  for (size_t k = 0; k < o.frames.size(); ++k) {
    const CAnimFrame& f = ours.frames[k];
    const OracleFrame& e = o.frames[k];
    SCOPED_TRACE("frame " + std::to_string(k));
    EXPECT_EQ(f.m_nLeft, e.left);
    EXPECT_EQ(f.m_nTop, e.top);
    EXPECT_EQ(f.m_nDelay, e.delay);
    EXPECT_EQ(f.GetDisposal(), e.disposal);
    if (k < o.pillow.size()) {
      EXPECT_EQ(f.m_nDelay, o.pillow[k].first);
      EXPECT_EQ(f.GetDisposal(), o.pillow[k].second);
    }
    EXPECT_EQ(f.m_image.HasMask(), e.transparent >= 0 && transparencyKnown);
    EXPECT_EQ(CompareRgb(f.m_image, e.rgba), "");
  }
}

// The canvas after each frame as ImageMagick composes it.
void ExpectCoalescedMatch(const fs::path& gif, const GifFile& ours, const fs::path& dir) {
  fs::create_directories(dir);
  Shell("convert " + Q(gif) + " -coalesce +adjoin " + Q(dir / "c_%d.pam"));
  const auto composed = ComposeFrames(ours.frames, ours.screenWidth, ours.screenHeight);
  for (size_t k = 0; k < composed.size(); ++k) {
    const CRasterImage theirs = ReadPnm(dir / ("c_" + std::to_string(k) + ".pam"));
    EXPECT_EQ(CompareRgb(composed[k], theirs), "") << "composed frame " << k;
  }
}

// Eight 64 x 48 pictures: a gradient with a moving ball and box.
void MakeSourcePictures(const fs::path& dir) {
  const std::string script =
      "import sys\n"
      "from PIL import Image, ImageDraw\n"
      "for k in range(8):\n"
      "    im = Image.new('RGB', (64, 48))\n"
      "    d = ImageDraw.Draw(im)\n"
      "    for y in range(48): d.line([(0, y), (63, y)], fill=(y * 5, 100, 255 - y * 5))\n"
      "    d.ellipse([5 + k * 6, 10, 20 + k * 6, 25], fill=(255, 255, 0))\n"
      "    d.rectangle([40 - k * 3, 30, 50 - k * 3, 40], fill=(k * 30, 0, 0))\n"
      "    im.save(sys.argv[1] + '/src_%d.png' % k)\n";
  std::ofstream(dir / "make.py") << script;
  Shell(Python() + " " + Q(dir / "make.py") + " " + Q(dir));
}

class GifFromOtherPrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_TOOL("convert");
    REQUIRE_TOOL("gifsicle");
    MakeSourcePictures(dir.path());
  }
  std::string Sources() const { return Q(dir.path()) + "/src_*.png"; }
  void Check(const fs::path& gif, bool coalesce = true) {
    SCOPED_TRACE(gif.filename().string());
    const GifFile ours = ReadGifPath(gif);
    EXPECT_EQ(ours.counted, static_cast<int>(ours.frames.size()));
    const Oracle o = RunOracle(gif, dir / (gif.filename().string() + ".oracle"));
    ExpectFramesMatch(ours, o);
    EXPECT_EQ(ours.screenWidth, o.screenWidth);
    EXPECT_EQ(ours.screenHeight, o.screenHeight);
    if (coalesce) ExpectCoalescedMatch(gif, ours, dir / (gif.filename().string() + ".composed"));
  }
  TempDir dir;
};

TEST_F(GifFromOtherPrograms, ImageMagickOptimisedAnimation) {
  const fs::path gif = dir / "im-optimized.gif";
  Shell("convert -delay 8 -loop 0 " + Sources() + " -layers optimize " + Q(gif));
  Check(gif);
}

TEST_F(GifFromOtherPrograms, ImageMagickInterlacedWithDisposalAndComment) {
  const fs::path gif = dir / "im-interlaced.gif";
  Shell("convert -delay 12 -dispose background " + Sources() +
      " -loop 3 -set comment 'made by the other program' -interlace GIF " + Q(gif));
  Check(gif);
  EXPECT_EQ(ReadGifPath(gif).comment, "made by the other program");
}

TEST_F(GifFromOtherPrograms, ImageMagickStill87a) {
  const fs::path gif = dir / "im-87a.gif";
  Shell("convert " + Q(dir / "src_3.png") + " -colors 16 GIF87:" + Q(gif));
  ASSERT_EQ(testing_support::ReadFileBytes(gif)[4], '7');
  Check(gif);
}

TEST_F(GifFromOtherPrograms, GifsicleOptimisedAndInterlaced) {
  const fs::path plain = dir / "plain.gif";
  Shell("convert -delay 8 " + Sources() + " " + Q(plain));
  const fs::path o3 = dir / "gifsicle-O3.gif";
  Shell("gifsicle --no-warnings -O3 --colors 32 --loopcount=4 " + Q(plain) + " -o " + Q(o3));
  Check(o3);
  const fs::path interlaced = dir / "gifsicle-interlaced.gif";
  Shell("gifsicle --no-warnings --interlace --disposal previous -d 15 --loopcount=forever " + Q(plain) + " -o " +
      Q(interlaced));
  Check(interlaced);
  const fs::path background = dir / "gifsicle-background.gif";
  Shell("gifsicle --no-warnings -O2 --disposal background --comment 'gifsicle comment' " + Q(plain) + " -o " +
      Q(background));
  Check(background);
  EXPECT_EQ(ReadGifPath(background).comment, "gifsicle comment");
}

TEST_F(GifFromOtherPrograms, PillowAnimationWithTransparencyAndDifferences) {
  const fs::path gif = dir / "pillow.gif";
  const std::string script =
      "import sys\n"
      "from PIL import Image\n"
      "d = sys.argv[1]\n"
      "frames = [Image.open(d + '/src_%d.png' % k).convert('P', palette=Image.ADAPTIVE, colors=64) for k in "
      "range(8)]\n"
      "frames[0].save(d + '/pillow.gif', save_all=True, append_images=frames[1:], duration=[30, 40, 50, 60, 70, 80, "
      "90, 100], loop=2, disposal=[1, 1, 2, 1, 3, 1, 1, 1], transparency=0, comment=b'pillow comment')\n";
  std::ofstream(dir / "pillow.py") << script;
  Shell(Python() + " " + Q(dir / "pillow.py") + " " + Q(dir.path()));
  Check(gif);
  EXPECT_EQ(ReadGifPath(gif).comment, "pillow comment");
}

// --- what other programs make of ours ---------------------------------------------

// An animation with every depth, masks, positions, delays and disposals.
WriteRequest MakeAnimation(bool interlace) {
  WriteRequest request;
  request.screenWidth = 40;
  request.screenHeight = 30;
  request.loopCount = 5;
  request.comment = "written here";
  request.options.nCommentOption = 1;
  request.options.nInterlace = interlace;
  request.frames.push_back(MakeFrame(MakeIndexedImage(40, 30, 8, 1, 200), 0, 0, 10, 0x04));
  CRasterImage b = MakeIndexedImage(17, 9, 4, 2);
  SetMask(b, [](int x, int y) { return (x * y) % 3 != 0; });
  request.frames.push_back(MakeFrame(b, 5, 7, 20, 0x08));
  CRasterImage c = MakeIndexedImage(13, 21, 1, 3);
  SetMask(c, [](int x, int) { return x % 4 != 1; });
  request.frames.push_back(MakeFrame(c, 20, 3, 30, 0x0C));
  CRasterImage d = MakeIndexedImage(25, 11, 8, 4, 256);
  SetMask(d, [](int x, int y) { return x + y > 6; });
  request.frames.push_back(MakeFrame(d, 15, 19, 40, 0x04));
  return request;
}

class GifReadByOtherPrograms : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    request = MakeAnimation(GetParam());
    int result = -1;
    testing_support::WriteFileBytes(gif, WriteGifBytes(request, &result));
    ASSERT_EQ(result, IMAGEIO_OK);
  }
  TempDir dir;
  fs::path gif = dir / "ours.gif";
  WriteRequest request;
};

TEST_P(GifReadByOtherPrograms, GifsicleAndPillowDecodeTheFramesAlike) {
  REQUIRE_TOOL("gifsicle");
  const Oracle o = RunOracle(gif, dir / "oracle");
  GifFile expected;
  expected.loopCount = 5;
  expected.frames = request.frames;
  ExpectFramesMatch(expected, o);
  EXPECT_EQ(o.screenWidth, 40);
  EXPECT_EQ(o.commentLength, static_cast<int>(request.comment.size()));
  std::string info;
  ASSERT_EQ(RunCommand("gifsicle --info " + Q(gif), &info), 0);
  EXPECT_NE(info.find("loop count 5"), std::string::npos) << info;
  EXPECT_NE(info.find("comment written here"), std::string::npos) << info;
  EXPECT_NE(info.find("disposal previous delay 0.30s"), std::string::npos) << info;
}

TEST_P(GifReadByOtherPrograms, GiflibReadsTheBlocksAndPixels) {
  REQUIRE_TOOL("giftext");
  std::string text;
  ASSERT_EQ(RunCommand("giftext " + Q(gif), &text), 0) << text;
  EXPECT_NE(text.find("GIF file terminated normally"), std::string::npos) << text;
  const std::regex delayRe("DelayTime: (\\d+)"), disposalRe("Disposal Mode: (\\d+)");
  std::vector<int> delays, disposals;
  for (std::sregex_iterator it(text.begin(), text.end(), delayRe), end; it != end; ++it)
    delays.push_back(std::stoi((*it)[1]));
  for (std::sregex_iterator it(text.begin(), text.end(), disposalRe), end; it != end; ++it)
    disposals.push_back(std::stoi((*it)[1]));
  EXPECT_EQ(delays, (std::vector<int>{10, 20, 30, 40}));
  EXPECT_EQ(disposals, (std::vector<int>{1, 2, 3, 1}));
  // giflib's raw pixels (rows in file order) against what this reader decodes.
  std::string raw;
  ASSERT_EQ(RunCommand("giftext -r " + Q(gif) + " 2>/dev/null", &raw), 0);
  const GifFile ours = ReadGifPath(gif);
  ASSERT_EQ(ours.result, IMAGEIO_OK);
  size_t pos = 0;
  for (const CAnimFrame& f : ours.frames) {
    const CRasterImage& im = f.m_image;
    const int h = im.GetHeight(), w = im.GetWidth();
    std::vector<int> order;
    if (GetParam()) {
      for (const auto& [start, step] : std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < h; y += step) order.push_back(y);
    } else {
      for (int y = 0; y < h; ++y) order.push_back(y);
    }
    const PIXELGETPROC get = GetPixelGetter(im.GetBitsPerPixel());
    ASSERT_LE(pos + static_cast<size_t>(w * h), raw.size());
    for (int y : order)
      for (int x = 0; x < w; ++x, ++pos) {
        // Transparent pixels are stored as the transparent index, which this
        // reader keeps as their value.
        ASSERT_EQ(static_cast<uint8_t>(raw[pos]), get(im.GetRow(y), static_cast<int16_t>(x)))
            << "pixel " << x << "," << y;
      }
  }
  EXPECT_EQ(pos, raw.size());
}

TEST_P(GifReadByOtherPrograms, OwnReaderGivesTheFramesBack) {
  const GifFile ours = ReadGifPath(gif);
  ASSERT_EQ(ours.result, IMAGEIO_OK);
  ASSERT_EQ(ours.frames.size(), 4u);
  EXPECT_EQ(ours.loopCount, 5);
  EXPECT_EQ(ours.comment, "written here");
  for (size_t k = 0; k < 4; ++k) EXPECT_EQ(CompareRgb(ours.frames[k].m_image, request.frames[k].m_image), "") << k;
}

INSTANTIATE_TEST_SUITE_P(Interlace, GifReadByOtherPrograms, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "interlaced" : "progressive"; });

TEST(GifStillReadByGiflib, Gif2RgbShowsTheSameColours) {
  REQUIRE_TOOL("gif2rgb");
  TempDir dir;
  WriteRequest request;
  request.frames.push_back(MakeFrame(MakeIndexedImage(37, 23, 8, 5, 150)));
  request.options.nSubType = 0;
  testing_support::WriteFileBytes(dir / "still.gif", WriteGifBytes(request));
  Shell("gif2rgb -1 -o " + Q(dir / "still.rgb") + " " + Q(dir / "still.gif"));
  const auto rgb = testing_support::ReadFileBytes(dir / "still.rgb");
  const CRasterImage expected = testing_support::ToRgb(request.frames[0].m_image);
  ASSERT_EQ(rgb.size(), 37u * 23u * 3u);
  EXPECT_TRUE(std::equal(rgb.begin(), rgb.end(), expected.GetBits()));
}

}  // namespace

namespace {

// Pixel data that goes on with 12-bit codes once the table is full and
// clears only much later: Pillow, giflib and this reader agree on it.
TEST(GifDeferredClear, ReadAsPillowAndGiflibReadIt) {
  REQUIRE_TOOL("gif2rgb");
  TempDir dir;
  const int width = 120, height = 100;
  std::vector<uint8_t> pixels(static_cast<size_t>(width * height));
  unsigned seed = 5;
  for (auto& p : pixels) {
    seed = seed * 1103515245u + 12345u;
    p = static_cast<uint8_t>((seed >> 16) % 16);
  }
  std::vector<uint8_t> file = {'G', 'I', 'F', '8', '9', 'a', width, 0, height, 0, 0x83, 0, 0};
  for (int i = 0; i < 16; ++i) {
    file.push_back(static_cast<uint8_t>(i * 16));
    file.push_back(static_cast<uint8_t>(255 - i * 16));
    file.push_back(static_cast<uint8_t>(i * 5));
  }
  const std::vector<uint8_t> descriptor = {0x2C, 0, 0, 0, 0, width, 0, height, 0, 0, 4};
  file.insert(file.end(), descriptor.begin(), descriptor.end());
  const auto data = gif_test::EncodeDeferredClear(pixels, 4, 1500);
  file.insert(file.end(), data.begin(), data.end());
  file.push_back(0x3B);
  testing_support::WriteFileBytes(dir / "deferred-clear.gif", file);

  const GifFile ours = ReadGifPath(dir / "deferred-clear.gif");
  ASSERT_EQ(ours.result, IMAGEIO_OK);
  const CRasterImage& image = ours.frames[0].m_image;
  ASSERT_EQ(image.GetBitsPerPixel(), 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      ASSERT_EQ(GetPixel4(image.GetRow(y), static_cast<int16_t>(x)), pixels[static_cast<size_t>(y * width + x)]) << x << "," << y;

  Shell("gif2rgb -1 -o " + Q(dir / "giflib.rgb") + " " + Q(dir / "deferred-clear.gif"));
  const auto rgb = testing_support::ReadFileBytes(dir / "giflib.rgb");
  const CRasterImage expected = testing_support::ToRgb(image);
  ASSERT_EQ(rgb.size(), static_cast<size_t>(width * height * 3));
  EXPECT_TRUE(std::equal(rgb.begin(), rgb.end(), expected.GetBits()));

  Shell(Python() + " -c " +
        ShellQuote("import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]).convert('RGB')\n"
                   "open(sys.argv[2], 'wb').write(im.tobytes())\n") +
        " " + Q(dir / "deferred-clear.gif") + " " + Q(dir / "pillow.rgb"));
  const auto pil = testing_support::ReadFileBytes(dir / "pillow.rgb");
  ASSERT_EQ(pil.size(), rgb.size());
  EXPECT_TRUE(std::equal(pil.begin(), pil.end(), expected.GetBits()));
}

}  // namespace
