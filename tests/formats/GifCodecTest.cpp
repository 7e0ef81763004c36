#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/ImageGeometry.h"
#include "base/StatusStack.h"
#include "formats/GifCodec.h"
#include "formats/MemStream.h"
#include "imaging/PixelAccess.h"
#include "imaging/PixelRect.h"
#include "tests/formats/GifTestFiles.h"
#include "tests/formats/GifTestStreams.h"
#include "tests/support/TestSupport.h"

namespace {

using gif_test::CodeWriter;
using gif_test::MakeFrame;
using gif_test::MakeIndexedImage;
using gif_test::ReadGifBytes;
using gif_test::SetMask;
using gif_test::WriteGifBytes;
using gif_test::WriteRequest;
using testing_support::CompareRgb;

// Hand-built files: header, screen, tables and blocks as bytes.
class Bytes : public std::vector<uint8_t> {
 public:
  Bytes& operator<<(std::initializer_list<int> values) {
    for (int v : values) push_back(static_cast<uint8_t>(v));
    return *this;
  }
  Bytes& Word(int v) { return *this << std::initializer_list<int>{v & 0xFF, (v >> 8) & 0xFF}; }
  Bytes& Text(const std::string& s) {
    insert(end(), s.begin(), s.end());
    return *this;
  }
  Bytes& Append(const std::vector<uint8_t>& v) {
    insert(end(), v.begin(), v.end());
    return *this;
  }
};

// "GIF89a", a screen with a 4-entry global table (black, red, green, blue).
Bytes Header(int width, int height, const char* version = "GIF89a") {
  Bytes b;
  b.Text(version).Word(width).Word(height);
  b << std::initializer_list<int>{0x81, 0, 0, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
  return b;
}

// Pixel data of code size 2 for the given pixels (all < 4).
std::vector<uint8_t> Pixels(const std::vector<int>& pixels) {
  CodeWriter w;
  w.Put(4, 3);
  // One literal per pixel with a clear before the table would widen the codes.
  int defined = 0;
  for (int p : pixels) {
    if (defined == 1) {
      w.Put(4, 3);
      defined = 0;
    }
    w.Put(p, 3);
    ++defined;
  }
  w.Put(5, 3);
  std::vector<uint8_t> out{2};
  const auto data = w.Finish();
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes& Image(Bytes& b, int left, int top, int width, int height, const std::vector<int>& pixels, int packed = 0) {
  b << std::initializer_list<int>{0x2C};
  b.Word(left).Word(top).Word(width).Word(height) << std::initializer_list<int>{packed};
  return b.Append(Pixels(pixels));
}

Bytes& Control(Bytes& b, int flags, int delay, int index) {
  b << std::initializer_list<int>{0x21, 0xF9, 4, flags};
  b.Word(delay) << std::initializer_list<int>{index, 0};
  return b;
}

std::vector<int> PixelsOf(const CRasterImage& image) {
  std::vector<int> v;
  const PIXELGETPROC get = GetPixelGetter(image.GetBitsPerPixel());
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) v.push_back(get(image.GetRow(y), static_cast<int16_t>(x)));
  return v;
}

std::vector<int> MaskOf(const CRasterImage& image) {
  std::vector<int> v;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) v.push_back(GetPixel1(image.GetMaskRow(y), static_cast<int16_t>(x)));
  return v;
}

// --- reading -----------------------------------------------------------------

TEST(GifRead, FramesCarryPositionDelayFlagsAndTransparency) {
  Bytes b = Header(4, 2);
  Control(b, 0x09, 25, 2);  // disposal 2, transparent index 2
  Image(b, 1, 0, 3, 2, {1, 2, 3, 2, 0, 1});
  Control(b, 0x04, 7, 0);
  Image(b, 0, 1, 2, 1, {3, 3});
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  ASSERT_EQ(file.counted, 2);
  const CAnimFrame& f0 = file.frames[0];
  EXPECT_EQ(f0.m_nLeft, 1);
  EXPECT_EQ(f0.m_nDelay, 25);
  EXPECT_EQ(f0.m_nFlags, 0x09);
  EXPECT_EQ(f0.GetDisposal(), 2);
  EXPECT_EQ(f0.m_image.GetBitsPerPixel(), 4);  // a 4-entry table is held in 4 bits
  EXPECT_EQ(PixelsOf(f0.m_image), (std::vector<int>{1, 2, 3, 2, 0, 1}));
  EXPECT_EQ(MaskOf(f0.m_image), (std::vector<int>{1, 0, 1, 0, 1, 1}));
  EXPECT_EQ(f0.m_image.GetPalette()[1], MakeRGBQuad(255, 0, 0));
  const CAnimFrame& f1 = file.frames[1];
  EXPECT_EQ(f1.m_nTop, 1);
  EXPECT_EQ(f1.m_nDelay, 7);
  EXPECT_FALSE(f1.m_image.HasMask());
  EXPECT_EQ(file.screenWidth, 4);
  EXPECT_EQ(file.screenHeight, 2);
}

TEST(GifRead, OneFrameOfThreeTakesOnlyItsOwnGraphicControl) {
  Bytes b = Header(2, 1);
  Control(b, 0x01, 11, 1);
  Image(b, 0, 0, 2, 1, {1, 1});
  Control(b, 0x00, 22, 0);
  Image(b, 0, 0, 2, 1, {2, 3});
  Control(b, 0x01, 33, 3);
  Image(b, 0, 0, 2, 1, {3, 3});
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b, 1, 1);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  ASSERT_EQ(file.frames.size(), 1u);
  EXPECT_EQ(file.frames[0].m_nDelay, 22);
  EXPECT_EQ(file.frames[0].m_nFlags, 0);
  EXPECT_FALSE(file.frames[0].m_image.HasMask());
  EXPECT_EQ(PixelsOf(file.frames[0].m_image), (std::vector<int>{2, 3}));
}

TEST(GifRead, LoopCountZeroMeansEndlessAndOnlyTheFirstCommentIsKept) {
  Bytes b = Header(1, 1);
  b << std::initializer_list<int>{0x21, 0xFF, 11};
  b.Text("NETSCAPE2.0") << std::initializer_list<int>{3, 1, 0, 0, 0};
  const std::string first = std::string(255, 'a') + std::string(10, 'b');
  b << std::initializer_list<int>{0x21, 0xFE, 255};
  b.Text(first.substr(0, 255)) << std::initializer_list<int>{10};
  b.Text(first.substr(255)) << std::initializer_list<int>{0};
  b << std::initializer_list<int>{0x21, 0xFE, 3};
  b.Text("two") << std::initializer_list<int>{0};
  Image(b, 0, 0, 1, 1, {1});
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b);
  EXPECT_EQ(file.loopCount, -1);
  EXPECT_EQ(file.comment.size(), 265u);
  EXPECT_EQ(file.comment, first);
}

TEST(GifRead, LoopCountsAreKeptAndLargeOnesClamped) {
  for (const auto& [stored, expected] : std::vector<std::pair<int, int>>{{5, 5}, {32767, 32767}, {65535, 32767}}) {
    Bytes b = Header(1, 1);
    b << std::initializer_list<int>{0x21, 0xFF, 11};
    b.Text("NETSCAPE2.0") << std::initializer_list<int>{3, 1};
    b.Word(stored) << std::initializer_list<int>{0};
    Image(b, 0, 0, 1, 1, {1});
    EXPECT_EQ(ReadGifBytes(b).loopCount, expected) << stored;
  }
}

TEST(GifRead, ScreenGrowsToCoverEveryFrame) {
  Bytes b = Header(120, 60);
  std::vector<int> pixels(40 * 30, 1);
  Image(b, 100, 50, 40, 30, pixels);
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  EXPECT_EQ(file.screenWidth, 140);
  EXPECT_EQ(file.screenHeight, 80);
}

TEST(GifRead, InterlacedRowsGoToTheirPasses) {
  // Three rows stored in the order 0, 2, 1.
  Bytes b = Header(1, 3);
  Image(b, 0, 0, 1, 3, {1, 2, 3}, 0x40);
  const auto file = ReadGifBytes(b);
  EXPECT_EQ(PixelsOf(file.frames[0].m_image), (std::vector<int>{1, 3, 2}));
  // Ten rows: 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
  Bytes c = Header(1, 10);
  Image(c, 0, 0, 1, 10, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, 0x40);
  EXPECT_EQ(PixelsOf(ReadGifBytes(c).frames[0].m_image), (std::vector<int>{0, 1, 3, 2, 2, 3, 0, 0, 1, 1}));
}

TEST(GifRead, LocalTableTakesPrecedence) {
  Bytes b = Header(2, 1, "GIF87a");
  b << std::initializer_list<int>{0x2C};
  b.Word(0).Word(0).Word(2).Word(1) << std::initializer_list<int>{0x80, 10, 20, 30, 40, 50, 60};
  b.Append(Pixels({0, 1}));
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  const CRasterImage& image = file.frames[0].m_image;
  EXPECT_EQ(image.GetBitsPerPixel(), 1);
  EXPECT_EQ(image.GetPalette()[0], MakeRGBQuad(10, 20, 30));
  EXPECT_EQ(image.GetPalette()[1], MakeRGBQuad(40, 50, 60));
}

TEST(GifRead, UnknownExtensionsAndStrayBytesArePassedOver) {
  Bytes b = Header(2, 1);
  b << std::initializer_list<int>{0x21, 0x01, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 'h', 'i', 0};
  b << std::initializer_list<int>{0x21, 0xFF, 11};
  b.Text("XMP DataXMP") << std::initializer_list<int>{3, 1, 2, 3, 0};
  b << std::initializer_list<int>{0x00, 0x99};
  Control(b, 0x00, 5, 0);
  Image(b, 0, 0, 2, 1, {3, 1});
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  ASSERT_EQ(file.counted, 1);
  EXPECT_EQ(file.loopCount, 0);
  EXPECT_EQ(PixelsOf(file.frames[0].m_image), (std::vector<int>{3, 1}));
}

TEST(GifRead, GraphicControlWithALongerBlockIsSkippedByItsSize) {
  Bytes b = Header(2, 1);
  b << std::initializer_list<int>{0x21, 0xF9, 6, 0x05, 9, 0, 1, 0xAA, 0xBB, 0};
  Image(b, 0, 0, 2, 1, {1, 2});
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b);
  ASSERT_EQ(file.counted, 1);
  EXPECT_EQ(file.frames[0].m_nDelay, 9);
  EXPECT_EQ(MaskOf(file.frames[0].m_image), (std::vector<int>{0, 1}));
}

TEST(GifRead, HeaderOtherThanGifIsRefused) {
  for (const char* text : {"GIF88a", "GIF8", "", "\x89PNG\r\n\x1a\n"}) {
    Bytes b;
    b.Text(text);
    EXPECT_EQ(ReadGifBytes(b, 0, 1).result, IMAGEIO_BAD_FORMAT) << text;
    CMemStream in(b.data(), static_cast<int>(b.size()));
    EXPECT_EQ(CountGifFrames(&in), 0);
    CImageFileInfo info;
    in.Seek(0, CBufferedFile::kBegin);
    EXPECT_FALSE(GetGifInfo(&in, &info));
  }
}

TEST(GifRead, InfoGivesTheScreenAndTableBits) {
  Bytes b = Header(300, 200);
  CMemStream in(b.data(), static_cast<int>(b.size()));
  CImageFileInfo info;
  ASSERT_TRUE(GetGifInfo(&in, &info));
  EXPECT_EQ(info.m_nWidth, 300);
  EXPECT_EQ(info.m_nHeight, 200);
  EXPECT_EQ(info.m_nBitsPerPixel, 2);
}

TEST(GifRead, TruncatedLastFrameKeepsTheRowsThatArrived) {
  Bytes b = Header(4, 4);
  Image(b, 0, 0, 4, 4, std::vector<int>(16, 3));
  b << std::initializer_list<int>{0x3B};
  // Cut inside the pixel data of the only image.
  Bytes cut;
  cut.assign(b.begin(), b.begin() + static_cast<long>(b.size()) - 6);
  const auto file = ReadGifBytes(cut);
  EXPECT_EQ(file.counted, 1);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  const auto pixels = PixelsOf(file.frames[0].m_image);
  EXPECT_EQ(pixels.front(), 3);
  EXPECT_EQ(pixels.back(), 0);
}

TEST(GifRead, DamagedPixelDataKeepsTheFrameAndTheFollowingOnes) {
  Bytes b = Header(3, 1);
  // code 7 when the next free code is 6: the rest of the row stays 0
  b << std::initializer_list<int>{0x2C};
  b.Word(0).Word(0).Word(3).Word(1) << std::initializer_list<int>{0};
  CodeWriter w;
  w.Put(4, 3);
  w.Put(2, 3);
  w.Put(7, 3);
  w.Put(5, 3);
  b << std::initializer_list<int>{2};
  b.Append(w.Finish());
  Image(b, 0, 0, 3, 1, {1, 2, 3});
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  ASSERT_EQ(file.counted, 2);
  EXPECT_EQ(PixelsOf(file.frames[0].m_image), (std::vector<int>{2, 0, 0}));
  EXPECT_EQ(PixelsOf(file.frames[1].m_image), (std::vector<int>{1, 2, 3}));
}

TEST(GifRead, CodeSizeAboveElevenIsCorrupt) {
  Bytes b = Header(2, 1);
  b << std::initializer_list<int>{0x2C};
  b.Word(0).Word(0).Word(2).Word(1) << std::initializer_list<int>{0, 12, 2, 0xFF, 0xFF, 0, 0x3B};
  EXPECT_EQ(ReadGifBytes(b).result, IMAGEIO_CORRUPT);
}

TEST(GifRead, HugeImageSizeIsRefusedBeforeAllocating) {
  Bytes b = Header(2, 1);
  b << std::initializer_list<int>{0x2C};
  b.Word(0).Word(0).Word(65535).Word(65535) << std::initializer_list<int>{0};
  b.Append(Pixels({1}));
  b << std::initializer_list<int>{0x3B};
  EXPECT_EQ(ReadGifBytes(b).result, IMAGEIO_NO_MEMORY);
}

TEST(GifRead, ZeroSizedImageGivesAnEmptyFrame) {
  Bytes b = Header(2, 1);
  Image(b, 0, 0, 0, 1, {});
  Image(b, 0, 0, 2, 1, {1, 2});
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  ASSERT_EQ(file.counted, 2);
  EXPECT_TRUE(file.frames[0].m_image.IsEmpty());
  EXPECT_EQ(PixelsOf(file.frames[1].m_image), (std::vector<int>{1, 2}));
}

TEST(GifRead, CancelStopsTheRead) {
  Bytes b = Header(2, 2);
  Image(b, 0, 0, 2, 2, {1, 2, 3, 0});
  b << std::initializer_list<int>{0x3B};
  CMemStream in(b.data(), static_cast<int>(b.size()));
  CAnimFrame frame;
  CCodecJob job;
  job.m_pStream = &in;
  job.m_pFrames = &frame;
  job.m_pfnCancel = [] { return true; };
  EXPECT_EQ(ReadGif(&job, 0, 1), IMAGEIO_CANCELLED);
  EXPECT_TRUE(frame.m_image.IsEmpty());
}

// --- writing -----------------------------------------------------------------

struct RoundTripCase {
  int bpp;
  bool mask;
  bool interlace;
  int subType;
  int width, height;
};

class GifRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(GifRoundTrip, WrittenFramesReadBackAlike) {
  const RoundTripCase c = GetParam();
  WriteRequest request;
  request.options.nSubType = static_cast<int16_t>(c.subType);
  request.options.nInterlace = c.interlace;
  for (int k = 0; k < 3; ++k) {
    CRasterImage image = MakeIndexedImage(c.width - k, c.height - k, c.bpp, static_cast<unsigned>(k + 1));
    if (c.mask) SetMask(image, [k](int x, int y) { return (x + y + k) % 5 != 0; });
    request.frames.push_back(MakeFrame(image, k, 2 * k, 10 + k, k == 1 ? 0x08 : 0x04));
  }
  request.screenWidth = c.width + 2;
  request.screenHeight = c.height + 2;
  request.loopCount = 3;
  int result = -1;
  const auto bytes = WriteGifBytes(request, &result);
  ASSERT_EQ(result, IMAGEIO_OK);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), c.subType ? "GIF89a" : "GIF87a");
  const auto file = ReadGifBytes(bytes);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  ASSERT_EQ(file.counted, 3);
  EXPECT_EQ(file.screenWidth, c.width + 2);
  EXPECT_EQ(file.loopCount, c.subType == 1 ? 3 : 0);
  for (int k = 0; k < 3; ++k) {
    const CAnimFrame& in = request.frames[static_cast<size_t>(k)];
    const CAnimFrame& out = file.frames[static_cast<size_t>(k)];
    // Without the 89a extensions transparency is lost: only opaque pixels are compared.
    CRasterImage got = out.m_image;
    if (c.subType != 1) got.m_mask = in.m_image.m_mask;
    EXPECT_EQ(CompareRgb(got, in.m_image), "") << "frame " << k;
    EXPECT_EQ(out.m_image.HasMask(), c.mask && c.subType == 1);
    EXPECT_EQ(out.m_nLeft, k);
    EXPECT_EQ(out.m_nTop, 2 * k);
    if (c.subType == 1) {
      EXPECT_EQ(out.m_nDelay, 10 + k);
      EXPECT_EQ(out.GetDisposal(), k == 1 ? 2 : 1);
    }
  }
}

std::vector<RoundTripCase> WriteCases() {
  std::vector<RoundTripCase> cases;
  for (int bpp : {1, 4, 8})
    for (bool mask : {false, true})
      for (bool interlace : {false, true}) cases.push_back({bpp, mask, interlace, 1, 33, 17});
  cases.push_back({8, false, false, 0, 9, 9});
  cases.push_back({4, true, true, 2, 20, 11});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Depths, GifRoundTrip, ::testing::ValuesIn(WriteCases()), [](const auto& info) {
  const auto& c = info.param;
  return "bpp" + std::to_string(c.bpp) + (c.mask ? "_mask" : "") + (c.interlace ? "_interlaced" : "") + "_sub" +
         std::to_string(c.subType);
});

// Parsed block structure of a written file, enough for the writer's choices.
struct WrittenImage {
  int left = 0, top = 0, width = 0, height = 0;
  int localEntries = 0;  // 0 without a local table
  int codeSize = 0;
  int flags = -1, delay = -1, transparent = -1;
  std::vector<RGBQUAD> localTable;
};
struct WrittenFile {
  int globalEntries = 0;
  std::vector<RGBQUAD> globalTable;
  std::vector<WrittenImage> images;
  int loop = -2;
  std::vector<std::string> comments;
};

WrittenFile Parse(const std::vector<uint8_t>& b) {
  WrittenFile f;
  size_t p = 10;
  auto table = [&](int n) {
    std::vector<RGBQUAD> t;
    for (int i = 0; i < n; ++i, p += 3) t.push_back(MakeRGBQuad(b[p], b[p + 1], b[p + 2]));
    return t;
  };
  auto skipBlocks = [&] {
    while (b[p] != 0) p += b[p] + 1;
    ++p;
  };
  if (b[p] & 0x80) {
    f.globalEntries = 2 << (b[p] & 7);
    p += 3;
    f.globalTable = table(f.globalEntries);
  } else {
    p += 3;
  }
  WrittenImage pending;
  while (p < b.size() && b[p] != 0x3B) {
    if (b[p] == 0x21 && b[p + 1] == 0xF9) {
      pending.flags = b[p + 3];
      pending.delay = b[p + 4] | (b[p + 5] << 8);
      pending.transparent = (b[p + 3] & 1) ? b[p + 6] : -1;
      p += 8;
    } else if (b[p] == 0x21 && b[p + 1] == 0xFF) {
      f.loop = b[p + 16] | (b[p + 17] << 8);
      p += 19;
    } else if (b[p] == 0x21 && b[p + 1] == 0xFE) {
      p += 2;
      std::string text;
      while (b[p] != 0) {
        text.append(reinterpret_cast<const char*>(&b[p + 1]), b[p]);
        p += b[p] + 1;
      }
      ++p;
      f.comments.push_back(text);
    } else {
      EXPECT_EQ(b[p], 0x2C);
      WrittenImage im = pending;
      pending = WrittenImage();
      im.left = b[p + 1] | (b[p + 2] << 8);
      im.top = b[p + 3] | (b[p + 4] << 8);
      im.width = b[p + 5] | (b[p + 6] << 8);
      im.height = b[p + 7] | (b[p + 8] << 8);
      const int packed = b[p + 9];
      p += 10;
      if (packed & 0x80) {
        im.localEntries = 2 << (packed & 7);
        im.localTable = table(im.localEntries);
      }
      im.codeSize = b[p++];
      skipBlocks();
      f.images.push_back(im);
    }
  }
  return f;
}

TEST(GifWrite, OneBitFrameWhoseTransparentIndexIsInUseGetsANewIndex) {
  CRasterImage image = MakeIndexedImage(8, 4, 1);
  SetMask(image, [](int x, int) { return x != 3; });
  WriteRequest request;
  request.frames.push_back(MakeFrame(image));
  request.screenWidth = 8;
  request.screenHeight = 4;
  const auto bytes = WriteGifBytes(request);
  const WrittenFile f = Parse(bytes);
  ASSERT_EQ(f.images.size(), 1u);
  EXPECT_EQ(f.globalEntries, 4);
  EXPECT_EQ(f.globalTable[0], image.GetPalette()[0]);
  EXPECT_EQ(f.globalTable[1], image.GetPalette()[1]);
  EXPECT_EQ(f.globalTable[2], RGBQUAD());
  EXPECT_EQ(f.images[0].transparent, 2);
  EXPECT_EQ(f.images[0].codeSize, 2);
  EXPECT_EQ(f.images[0].localEntries, 0);
  const auto file = ReadGifBytes(bytes);
  EXPECT_EQ(CompareRgb(file.frames[0].m_image, image), "");
}

TEST(GifWrite, FourBitFrameWhoseTransparentIndexIsInUseGetsIndexSixteen) {
  CRasterImage image = MakeIndexedImage(16, 4, 4);
  SetMask(image, [](int x, int y) { return x != y; });
  WriteRequest request;
  request.frames.push_back(MakeFrame(image));
  const auto bytes = WriteGifBytes(request);
  const WrittenFile f = Parse(bytes);
  EXPECT_EQ(f.globalEntries, 32);
  EXPECT_EQ(f.images[0].transparent, 16);
  EXPECT_EQ(f.images[0].codeSize, 5);
  EXPECT_EQ(CompareRgb(ReadGifBytes(bytes).frames[0].m_image, image), "");
}

TEST(GifWrite, FullEightBitFrameGivesUpItsLeastUsedColourForTransparency) {
  CRasterImage image;
  ASSERT_TRUE(image.Create(32, 16, 8));
  RGBQUAD* pal = image.GetWritablePalette();
  for (int i = 0; i < 256; ++i) pal[i] = MakeRGBQuad(static_cast<uint8_t>(i), static_cast<uint8_t>(i), 100);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) image.GetWritableBits()[y * 32 + x] = static_cast<uint8_t>((y * 32 + x) % 256);
  // Every index is used twice, except 77 once.
  image.GetWritableBits()[256 + 77] = 78;
  SetMask(image, [](int x, int y) { return !(x == 0 && y == 0); });  // index 0 at (0,0) transparent
  WriteRequest request;
  request.frames.push_back(MakeFrame(image));
  const auto bytes = WriteGifBytes(request);
  const WrittenFile f = Parse(bytes);
  ASSERT_EQ(f.images.size(), 1u);
  // Index 0 is used once by an opaque pixel (at 256) and 77 once: the lower wins.
  EXPECT_EQ(f.images[0].transparent, 0);
  const auto file = ReadGifBytes(bytes);
  const CRasterImage& back = file.frames[0].m_image;
  EXPECT_EQ(GetPixel1(back.GetMaskRow(0), 0), 0);
  // The opaque pixel of index 0 now shows its nearest other colour, entry 1.
  EXPECT_EQ(back.GetRow(8)[0], 1);
  EXPECT_EQ(GetPixel1(back.GetMaskRow(8), 0), 1);
}

// Indexed frames whose colours together fit one table are written on one
// shared palette, whatever their own palettes and depths: no local tables,
// every pixel keeps its colour.
TEST(GifWrite, FramesOfDifferentPalettesShareOneTableWhenTheirColoursFit) {
  CRasterImage a = MakeIndexedImage(10, 10, 8, 1, 16);
  CRasterImage b = MakeIndexedImage(6, 6, 8, 2, 16);
  b.GetWritablePalette();  // same colours, own buffer
  CRasterImage d = MakeIndexedImage(6, 6, 8, 1, 16);
  d.GetWritablePalette()[5] = MakeRGBQuad(1, 2, 3);  // one colour differs
  CRasterImage e = MakeIndexedImage(7, 5, 4, 3);     // 4 bits, the colours in another order
  for (int i = 0; i < 16; ++i) e.GetWritablePalette()[i] = a.GetPalette()[15 - i];
  SetMask(e, [](int x, int y) { return (x + y) % 3 != 0; });
  WriteRequest request;
  for (auto* im : {&a, &b, &d, &e}) request.frames.push_back(MakeFrame(*im));
  request.screenWidth = request.screenHeight = 10;
  const auto bytes = WriteGifBytes(request);
  const WrittenFile f = Parse(bytes);
  ASSERT_EQ(f.images.size(), 4u);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(f.images[static_cast<size_t>(k)].localEntries, 0) << k;
  EXPECT_LE(f.globalEntries, 32);
  const auto file = ReadGifBytes(bytes);
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(CompareRgb(file.frames[static_cast<size_t>(k)].m_image, request.frames[static_cast<size_t>(k)].m_image),
              "")
        << k;
}

// Frames whose colours do not fit one table keep their own palettes: the
// first frame's colours are the global table, the other frame gets a local one.
TEST(GifWrite, FramesWhoseColoursDoNotFitOneTableKeepTheirOwn) {
  CRasterImage a = MakeIndexedImage(40, 40, 8, 1, 200);
  CRasterImage c = MakeIndexedImage(40, 40, 8, 3, 200);
  for (int i = 0; i < 256; ++i) c.GetWritablePalette()[i] = MakeRGBQuad(static_cast<uint8_t>(i), 17, static_cast<uint8_t>(255 - i));
  WriteRequest request;
  for (auto* im : {&a, &c}) request.frames.push_back(MakeFrame(*im));
  request.screenWidth = request.screenHeight = 40;
  const auto bytes = WriteGifBytes(request);
  const WrittenFile f = Parse(bytes);
  ASSERT_EQ(f.images.size(), 2u);
  EXPECT_EQ(f.globalEntries, 256);
  EXPECT_EQ(f.images[0].localEntries, 0);
  EXPECT_EQ(f.images[1].localEntries, 256);
  const auto file = ReadGifBytes(bytes);
  for (int k = 0; k < 2; ++k)
    EXPECT_EQ(CompareRgb(file.frames[static_cast<size_t>(k)].m_image, request.frames[static_cast<size_t>(k)].m_image),
              "")
        << k;
}

// An animation of one shared palette whose later frames use a few high
// indices: the palette is reordered so that those frames code with small
// indices, and every frame keeps its colours.
TEST(GifWrite, SharedPaletteIsReorderedForSmallerCodes) {
  CRasterImage full = MakeIndexedImage(16, 16, 8, 1, 256);
  for (int i = 0; i < 256; ++i) full.GetWritableBits()[i] = static_cast<uint8_t>(i);
  CRasterImage small = MakeIndexedImage(4, 4, 8, 1, 256);
  for (int i = 0; i < 16; ++i) small.GetWritableBits()[i] = static_cast<uint8_t>(i % 2 ? 200 : 201);
  WriteRequest request;
  request.frames.push_back(MakeFrame(full));
  request.frames.push_back(MakeFrame(small));
  request.frames.push_back(MakeFrame(small));
  request.screenWidth = request.screenHeight = 16;
  const auto bytes = WriteGifBytes(request);
  const WrittenFile f = Parse(bytes);
  ASSERT_EQ(f.images.size(), 3u);
  EXPECT_EQ(f.images[1].localEntries, 0);
  EXPECT_EQ(f.images[1].codeSize, 2);  // two colours, now indices 0 and 1
  const auto file = ReadGifBytes(bytes);
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(CompareRgb(file.frames[static_cast<size_t>(k)].m_image, request.frames[static_cast<size_t>(k)].m_image),
              "")
        << k;
  // The caller's frames are untouched.
  EXPECT_EQ(request.frames[1].m_image.GetRow(0)[0], 201);
}

TEST(GifWrite, LoopCommentAndControlAreWrittenFor89aOnly) {
  WriteRequest request;
  request.frames.push_back(MakeFrame(MakeIndexedImage(4, 4, 4), 0, 0, 5, 0x08));
  request.frames.push_back(MakeFrame(MakeIndexedImage(4, 4, 4, 2), 0, 0, 6, 0x0C));
  request.loopCount = -1;
  request.comment = "the comment";
  request.signature = "the signature";
  request.options.nCommentOption = 1;
  WrittenFile f = Parse(WriteGifBytes(request));
  EXPECT_EQ(f.loop, 0);
  EXPECT_EQ(f.comments, std::vector<std::string>{"the comment"});
  EXPECT_EQ(f.images[1].flags, 0x0C);
  EXPECT_EQ(f.images[1].delay, 6);
  request.options.nCommentOption = 2;
  request.loopCount = 7;
  f = Parse(WriteGifBytes(request));
  EXPECT_EQ(f.loop, 7);
  EXPECT_EQ(f.comments, std::vector<std::string>{"the signature"});
  request.options.nCommentOption = 0;
  request.loopCount = 0;
  f = Parse(WriteGifBytes(request));
  EXPECT_EQ(f.loop, -2);
  EXPECT_TRUE(f.comments.empty());
  // A single frame gets no loop block; GIF87a none of the extensions.
  request.loopCount = 4;
  request.options.nCommentOption = 1;
  f = Parse(WriteGifBytes(request, nullptr, 0, 1));
  EXPECT_EQ(f.loop, -2);
  request.options.nSubType = 0;
  f = Parse(WriteGifBytes(request));
  EXPECT_EQ(f.loop, -2);
  EXPECT_TRUE(f.comments.empty());
  EXPECT_EQ(f.images[0].flags, -1);
}

TEST(GifWrite, LongCommentIsSplitInto255ByteSubBlocks) {
  WriteRequest request;
  request.frames.push_back(MakeFrame(MakeIndexedImage(2, 2, 1)));
  request.comment = std::string(600, 'x');
  request.options.nCommentOption = 1;
  const auto bytes = WriteGifBytes(request);
  EXPECT_EQ(ReadGifBytes(bytes).comment, request.comment);
  const std::vector<uint8_t> head = {0x21, 0xFE, 255};
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), head.begin(), head.end()), bytes.end());
}

TEST(GifWrite, FramesOutsideTheScreenAreLeftOutAndPartlyOutsideOnesCut) {
  WriteRequest request;
  request.screenWidth = 20;
  request.screenHeight = 10;
  request.frames.push_back(MakeFrame(MakeIndexedImage(20, 10, 4)));
  request.frames.push_back(MakeFrame(MakeIndexedImage(5, 5, 4), 30, 0));
  request.frames.push_back(MakeFrame(MakeIndexedImage(6, 6, 4), -2, 7));
  const auto bytes = WriteGifBytes(request);
  const WrittenFile f = Parse(bytes);
  ASSERT_EQ(f.images.size(), 2u);
  EXPECT_EQ(f.images[1].left, 0);
  EXPECT_EQ(f.images[1].top, 7);
  EXPECT_EQ(f.images[1].width, 4);
  EXPECT_EQ(f.images[1].height, 3);
  const auto file = ReadGifBytes(bytes);
  EXPECT_EQ(CompareRgb(file.frames[1].m_image, CropImage(request.frames[2].m_image, Rect{2, 0, 6, 3})), "");
}

TEST(GifWrite, LeadingEmptyFramesAreDroppedAndAllEmptyIsRefused) {
  WriteRequest request;
  request.frames.resize(2);
  request.frames.push_back(MakeFrame(MakeIndexedImage(3, 3, 8), 0, 0, 4));
  int result = -1;
  const auto bytes = WriteGifBytes(request, &result);
  EXPECT_EQ(result, IMAGEIO_OK);
  EXPECT_EQ(Parse(bytes).images.size(), 1u);
  EXPECT_EQ(ReadGifBytes(bytes).screenWidth, 3);  // a 0 x 0 screen covers the frames
  const auto none = WriteGifBytes(request, &result, 0, 2);
  EXPECT_EQ(result, IMAGEIO_INTERNAL_ERROR);
  EXPECT_TRUE(none.empty());
}

TEST(GifWrite, ALaterEmptyFrameKeepsItsDelayAndDisposalAsOneTransparentPixel) {
  WriteRequest request;
  request.frames.push_back(MakeFrame(MakeIndexedImage(4, 4, 8), 0, 0, 10, 0x04));
  request.frames.push_back(CAnimFrame{});
  request.frames.back().m_nDelay = 35;
  request.frames.back().m_nFlags = 0x08;
  request.frames.push_back(MakeFrame(MakeIndexedImage(2, 2, 8), 1, 1, 20, 0x04));
  const auto bytes = WriteGifBytes(request);
  const WrittenFile f = Parse(bytes);
  ASSERT_EQ(f.images.size(), 3u);
  EXPECT_EQ(f.images[1].width, 1);
  EXPECT_EQ(f.images[1].height, 1);
  EXPECT_EQ(f.images[1].left, 0);
  EXPECT_EQ(f.images[1].delay, 35);
  EXPECT_EQ(f.images[1].flags, 0x08 | 1);  // its disposal, transparent
  EXPECT_EQ(f.images[1].localEntries, 0);  // on the global table
  const auto file = ReadGifBytes(bytes);
  ASSERT_EQ(file.frames.size(), 3u);
  EXPECT_EQ(file.frames[1].m_nDelay, 35);
  EXPECT_EQ(file.frames[2].m_nDelay, 20);
}

TEST(GifWrite, FullColourFrameWithoutConversionIsRefusedBeforeWriting) {
  WriteRequest request;
  request.frames.push_back(MakeFrame(MakeIndexedImage(3, 3, 8)));
  request.frames.push_back(MakeFrame(testing_support::MakeTestPicture(4, 4)));
  request.options.nColorConversion = 0;
  int result = -1;
  const auto bytes = WriteGifBytes(request, &result);
  EXPECT_EQ(result, IMAGEIO_BAD_COLOR_MODE);
  EXPECT_TRUE(bytes.empty());
}

TEST(GifWrite, SelectionAloneIsWrittenAtItsPlace) {
  CAnimFrame frame;
  frame.m_nLeft = 3;
  frame.m_nTop = 1;
  frame.m_selection = MakeIndexedImage(4, 2, 4);
  frame.m_rcSelection = Rect{2, 1, 6, 3};
  WriteRequest request;
  request.frames.push_back(frame);
  request.screenWidth = 20;
  request.screenHeight = 10;
  const WrittenFile f = Parse(WriteGifBytes(request));
  ASSERT_EQ(f.images.size(), 1u);
  EXPECT_EQ(f.images[0].left, 5);
  EXPECT_EQ(f.images[0].top, 2);
}

TEST(GifWrite, CancelEndsWithCancelled) {
  WriteRequest request;
  request.frames.push_back(MakeFrame(MakeIndexedImage(30, 30, 8)));
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_pFrames = request.frames.data();
  job.m_pfnCancel = [] { return true; };
  EXPECT_EQ(WriteGif(&job, 0, 1, &request.options), IMAGEIO_CANCELLED);
}

}  // namespace

namespace {

class RecordingStatusDisplay : public IStatusDisplay {
 public:
  void ShowStatusText(const std::string& text) override { texts.push_back(text); }
  void StartProgress() override {}
  void ShowProgressSteps(int) override {}
  void EndProgress() override {}
  std::vector<std::string> texts;
};

TEST(GifWrite, FullColourFrameIsReducedToAnOptimalPalette) {
  RecordingStatusDisplay display;
  SetStatusDisplay(&display);
  CRasterImage picture = testing_support::MakeTestPicture(64, 48);
  ASSERT_TRUE(picture.CreateMask());
  uint8_t* alpha = picture.GetWritableMaskBits();
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) alpha[y * picture.GetMaskStride() + x] = x < 8 ? 0 : 255;
  WriteRequest request;
  request.frames.push_back(MakeFrame(picture, 0, 0, 9));
  int result = -1;
  const auto bytes = WriteGifBytes(request, &result);
  SetStatusDisplay(nullptr);
  ASSERT_EQ(result, IMAGEIO_OK);
  EXPECT_NE(std::find(display.texts.begin(), display.texts.end(), "Convert to GIF indexed colors..."),
            display.texts.end());
  EXPECT_EQ(GetStatusDepth(), 0);
  const auto file = ReadGifBytes(bytes);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  const CRasterImage& back = file.frames[0].m_image;
  ASSERT_EQ(back.GetBitsPerPixel(), 8);
  EXPECT_EQ(file.frames[0].m_nDelay, 9);
  // Transparent columns stay transparent, the rest is close to the picture.
  for (int y = 0; y < 48; ++y) {
    EXPECT_EQ(GetPixel1(back.GetMaskRow(y), 3), 0);
    EXPECT_EQ(GetPixel1(back.GetMaskRow(y), 30), 1);
  }
  CRasterImage opaque = CropImage(back, Rect{8, 0, 64, 48});
  CRasterImage original = CropImage(picture, Rect{8, 0, 64, 48});
  opaque.RemoveMask();
  original.RemoveMask();
  EXPECT_GT(testing_support::Psnr(opaque, original), 30.0);
}

TEST(GifWrite, FloatingSelectionIsComposedIn) {
  // A selection reaching 2 pixels left of and 1 above the image: the written
  // image starts there.
  CAnimFrame frame = MakeFrame(MakeIndexedImage(10, 8, 8, 1, 16), 5, 4, 3);
  CRasterImage selection;
  ASSERT_TRUE(selection.Create(4, 3, 8));
  std::memcpy(selection.GetWritablePalette(), frame.m_image.GetPalette(), 256 * sizeof(RGBQUAD));
  std::memset(selection.GetWritableBits(), 9, static_cast<size_t>(selection.GetStride()) * 3);
  frame.m_selection = selection;
  frame.m_rcSelection = Rect{-2, -1, 2, 2};
  WriteRequest request;
  request.frames.push_back(frame);
  request.screenWidth = 30;
  request.screenHeight = 20;
  const auto bytes = WriteGifBytes(request);
  const auto file = ReadGifBytes(bytes);
  ASSERT_EQ(file.result, IMAGEIO_OK);
  const CAnimFrame& out = file.frames[0];
  EXPECT_EQ(out.m_nLeft, 3);
  EXPECT_EQ(out.m_nTop, 3);
  ASSERT_EQ(out.m_image.GetWidth(), 12);
  ASSERT_EQ(out.m_image.GetHeight(), 9);
  EXPECT_EQ(out.m_image.GetRow(0)[0], 9);                                   // selection
  EXPECT_EQ(out.m_image.GetRow(1)[4], frame.m_image.GetRow(0)[2]);          // image beside the selection
  EXPECT_EQ(out.m_image.GetRow(8)[11], frame.m_image.GetRow(7)[9]);         // image corner
  EXPECT_TRUE(out.m_image.HasMask());                                       // the uncovered corner
  EXPECT_EQ(GetPixel1(out.m_image.GetMaskRow(8), 0), 0);
}

}  // namespace

namespace {

TEST(GifRead, ManyHugeFramesStopAtTheFileBudget) {
  // Each frame is within the one-image budget, all of them together are not.
  const int64_t saved = GetImageByteBudget();
  SetImageByteBudget(1 << 20);
  Bytes b = Header(2, 1);
  for (int k = 0; k < 8; ++k) {
    b << std::initializer_list<int>{0x2C};
    b.Word(0).Word(0).Word(1000).Word(1000) << std::initializer_list<int>{0};
    b.Append(Pixels({1}));
  }
  b << std::initializer_list<int>{0x3B};
  const auto file = ReadGifBytes(b);
  SetImageByteBudget(saved);
  EXPECT_EQ(file.counted, 8);
  EXPECT_EQ(file.result, IMAGEIO_NO_MEMORY);
}

}  // namespace

namespace {

std::vector<std::pair<int, int>> g_progress;

TEST(GifRead, ProgressCountsFramesOrRowsOfASingleFrame) {
  WriteRequest request;
  for (int k = 0; k < 3; ++k) request.frames.push_back(MakeFrame(MakeIndexedImage(4, 9, 4, static_cast<unsigned>(k))));
  const auto bytes = WriteGifBytes(request);
  for (int count : {3, 1}) {
    g_progress.clear();
    CMemStream in(bytes.data(), static_cast<int>(bytes.size()));
    std::vector<CAnimFrame> frames(3);
    CCodecJob job;
    job.m_pStream = &in;
    job.m_pFrames = frames.data();
    job.m_pfnProgress = [](int done, int total) { g_progress.emplace_back(done, total); };
    ASSERT_EQ(ReadGif(&job, 0, count), IMAGEIO_OK);
    if (count == 3)
      EXPECT_EQ(g_progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    else
      EXPECT_EQ(g_progress, (std::vector<std::pair<int, int>>{{0, 9}, {4, 9}, {8, 9}}));
  }
}

}  // namespace

namespace {

TEST(GifFile, CountAndReadThroughAFileStreamBufferedOrNot) {
  testing_support::TempDir dir;
  WriteRequest request;
  for (int k = 0; k < 4; ++k) request.frames.push_back(MakeFrame(MakeIndexedImage(50, 40, 8, static_cast<unsigned>(k))));
  request.loopCount = 2;
  testing_support::WriteFileBytes(dir / "a.gif", WriteGifBytes(request));
  for (bool callerBuffers : {false, true}) {
    CBufferedFile file;
    ASSERT_TRUE(file.Open((dir / "a.gif").c_str(), CBufferedFile::kRead));
    if (callerBuffers) file.BeginBuffer();
    ASSERT_EQ(CountGifFrames(&file), 4);
    EXPECT_EQ(file.IsBuffered(), callerBuffers);
    file.Seek(0, CBufferedFile::kBegin);
    std::vector<CAnimFrame> frames(4);
    CCodecJob job;
    job.m_pStream = &file;
    job.m_pFrames = frames.data();
    ASSERT_EQ(ReadGif(&job, 0, 4), IMAGEIO_OK);
    EXPECT_EQ(job.m_nLoopCount, 2);
    EXPECT_EQ(file.IsBuffered(), callerBuffers);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(CompareRgb(frames[k].m_image, request.frames[k].m_image), "") << k;
  }
}

}  // namespace
