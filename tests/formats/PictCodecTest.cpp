#include <gtest/gtest.h>

#include <vector>

#include "formats/PictCodec.h"
#include "imaging/PixelAccess.h"
#include "tests/support/CodecRoundTrip.h"

namespace {

using namespace testing_support;

// Big-endian byte builder for hand-made pictures.
struct Bytes {
  std::vector<uint8_t> v;
  Bytes& b(int x) {
    v.push_back(static_cast<uint8_t>(x));
    return *this;
  }
  Bytes& w(int x) { return b(x >> 8).b(x); }
  Bytes& l(uint32_t x) { return w(static_cast<int>(x >> 16)).w(static_cast<int>(x & 0xFFFF)); }
  Bytes& rect(int top, int left, int bottom, int right) { return w(top).w(left).w(bottom).w(right); }
  Bytes& raw(std::initializer_list<int> xs) {
    for (int x : xs) b(x);
    return *this;
  }
};

// 512-byte header, size, frame and the version 2 opening up to the header opcode's data.
Bytes Version2(int height, int width) {
  Bytes f;
  f.v.assign(512, 0);
  f.w(0).rect(0, 0, height, width).w(0x0011).w(0x02FF).w(0x0C00);
  f.w(0xFFFE).w(0).l(0x00480000).l(0x00480000).rect(0, 0, height, width).l(0);
  return f;
}

// A PackBitsRect PixMap of 8 bits, rows raw (row bytes below 8), with a
// 2-entry colour table.
void PixMap8(Bytes& f, int top, int width, int height, RGBQUAD c0, RGBQUAD c1, const std::vector<uint8_t>& pixels) {
  const int rowBytes = 4;
  f.w(0x0098).w(0x8000 | rowBytes).rect(top, 0, top + height, width);
  f.w(0).w(0).l(0).l(0x00480000).l(0x00480000).w(0).w(8).w(1).w(8).l(0).l(0).l(0);
  f.l(0).w(0).w(1);
  f.w(0).w(c0.rgbRed * 257).w(c0.rgbGreen * 257).w(c0.rgbBlue * 257);
  f.w(1).w(c1.rgbRed * 257).w(c1.rgbGreen * 257).w(c1.rgbBlue * 257);
  f.rect(top, 0, top + height, width).rect(top, 0, top + height, width).w(0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < rowBytes; ++x) f.b(x < width ? pixels[static_cast<size_t>(y * width + x)] : 0);
}

// A DirectBitsRect of 32-bit pixels, packed planes (rows of 8 bytes or more).
void DirectBits32(Bytes& f, int width, int height, int components, const std::vector<std::vector<uint8_t>>& planeRows) {
  const int rowBytes = 4 * width;
  f.w(0x009A).l(0xFF).w(0x8000 | rowBytes).rect(0, 0, height, width);
  f.w(0).w(4).l(0).l(0x00480000).l(0x00480000).w(16).w(32).w(components).w(8).l(0).l(0).l(0);
  f.rect(0, 0, height, width).rect(0, 0, height, width).w(0);
  size_t total = 0;
  for (const auto& row : planeRows) {
    // Literal items of at most 128 bytes.
    Bytes packed;
    for (size_t at = 0; at < row.size(); at += 128) {
      const size_t n = std::min<size_t>(128, row.size() - at);
      packed.b(static_cast<int>(n - 1));
      for (size_t k = 0; k < n; ++k) packed.b(row[at + k]);
    }
    f.b(static_cast<int>(packed.v.size()));
    f.v.insert(f.v.end(), packed.v.begin(), packed.v.end());
    total += 1 + packed.v.size();
  }
  if (total & 1) f.b(0);
}

RGBQUAD PixelAt(const CRasterImage& image, int x, int y) {
  const uint8_t* row = image.GetRow(y);
  if (image.GetBitsPerPixel() == 24) return MakeRGBQuad(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
  return image.GetPalette()[GetPixelGetter(image.GetBitsPerPixel())(row, static_cast<int16_t>(x))];
}

// ---- reader -------------------------------------------------------------------

TEST(PictReader, TwoBandsWithEqualTablesStackAtEightBits) {
  Bytes f = Version2(4, 3);
  const RGBQUAD red = MakeRGBQuad(200, 0, 0), blue = MakeRGBQuad(0, 0, 200);
  PixMap8(f, 0, 3, 2, red, blue, {0, 1, 0, 1, 0, 1});
  PixMap8(f, 2, 3, 2, red, blue, {1, 1, 1, 0, 0, 0});
  f.w(0x00FF);
  const auto read = ReadBytesWithCodec(ReadPict, f.v);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetBitsPerPixel(), 8);
  EXPECT_EQ(read.image.GetHeight(), 4);
  EXPECT_EQ(PixelAt(read.image, 1, 0), blue);
  EXPECT_EQ(PixelAt(read.image, 0, 2), blue);
  EXPECT_EQ(PixelAt(read.image, 0, 3), red);
}

TEST(PictReader, TwoBandsWithDifferentTablesStackAsColour) {
  Bytes f = Version2(2, 3);
  const RGBQUAD red = MakeRGBQuad(200, 0, 0), blue = MakeRGBQuad(0, 0, 200), green = MakeRGBQuad(0, 150, 0);
  PixMap8(f, 0, 3, 1, red, blue, {0, 1, 0});
  PixMap8(f, 1, 2, 1, green, red, {0, 1});
  f.w(0x00FF);
  const auto read = ReadBytesWithCodec(ReadPict, f.v);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetBitsPerPixel(), 24);
  EXPECT_EQ(read.image.GetWidth(), 3);
  EXPECT_EQ(PixelAt(read.image, 1, 0), blue);
  EXPECT_EQ(PixelAt(read.image, 0, 1), green);
  EXPECT_EQ(PixelAt(read.image, 1, 1), red);
  EXPECT_EQ(PixelAt(read.image, 2, 1), MakeRGBQuad(0, 0, 0));  // right of the narrower band
}

TEST(PictReader, DirectBitsWithThreeComponentsHasNoMask) {
  Bytes f = Version2(1, 3);
  DirectBits32(f, 3, 1, 3, {{10, 11, 12, 20, 21, 22, 30, 31, 32}});
  f.w(0x00FF);
  const auto read = ReadBytesWithCodec(ReadPict, f.v);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetBitsPerPixel(), 24);
  EXPECT_FALSE(read.image.HasMask());
  EXPECT_EQ(PixelAt(read.image, 0, 0), MakeRGBQuad(10, 20, 30));
  EXPECT_EQ(PixelAt(read.image, 2, 0), MakeRGBQuad(12, 22, 32));
}

TEST(PictReader, DirectBitsWithFourComponentsAndVaryingAlphaHasMask) {
  Bytes f = Version2(1, 3);
  DirectBits32(f, 3, 1, 4, {{0, 128, 255, 10, 11, 12, 20, 21, 22, 30, 31, 32}});
  f.w(0x00FF);
  const auto read = ReadBytesWithCodec(ReadPict, f.v);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  ASSERT_TRUE(read.image.HasValidMask());
  EXPECT_EQ(read.image.GetMaskRow(0)[1], 128);
  EXPECT_EQ(PixelAt(read.image, 1, 0), MakeRGBQuad(11, 21, 31));
}

// A version 2 PixMap of the given pixel size with packed rows (row bytes of
// 8 or more) or raw rows, no colour table for 16 bits.
void PixMapRows(Bytes& f, int pixelSize, int width, int rowBytes, int packType,
                const std::vector<std::vector<uint8_t>>& rows) {
  f.w(pixelSize == 16 ? 0x009A : 0x0098);
  if (pixelSize == 16) f.l(0xFF);
  f.w(0x8000 | rowBytes).rect(0, 0, static_cast<int>(rows.size()), width);
  f.w(0).w(packType).l(0).l(0x00480000).l(0x00480000).w(pixelSize == 16 ? 16 : 0).w(pixelSize);
  f.w(pixelSize == 16 ? 3 : 1).w(pixelSize == 16 ? 5 : pixelSize).l(0).l(0).l(0);
  if (pixelSize <= 8) {
    f.l(0).w(0x8000).w(3);
    const int colours[4][3] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int i = 0; i < 4; ++i) f.w(i).w(colours[i][0] * 257).w(colours[i][1] * 257).w(colours[i][2] * 257);
  }
  f.rect(0, 0, static_cast<int>(rows.size()), width).rect(0, 0, static_cast<int>(rows.size()), width).w(0);
  size_t total = 0;
  for (const auto& row : rows) {
    if (rowBytes >= 8) {
      f.b(static_cast<int>(row.size()));
      ++total;
    }
    f.v.insert(f.v.end(), row.begin(), row.end());
    total += row.size();
  }
  if (total & 1) f.b(0);
}

TEST(PictReader, SixteenBitPixelsPackedAsWords) {
  // 4 pixels: a run of 3 words 0x7C00 (red) then a literal word 0x001F (blue).
  Bytes f = Version2(1, 4);
  PixMapRows(f, 16, 4, 8, 0, {{0xFE, 0x7C, 0x00, 0x00, 0x00, 0x1F}});
  f.w(0x00FF);
  const auto read = ReadBytesWithCodec(ReadPict, f.v);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  ASSERT_EQ(read.image.GetBitsPerPixel(), 24);
  EXPECT_EQ(PixelAt(read.image, 2, 0), MakeRGBQuad(0xF8, 0, 0));
  EXPECT_EQ(PixelAt(read.image, 3, 0), MakeRGBQuad(0, 0, 0xF8));
}

TEST(PictReader, TwoBitPixelsWidenToFourBits) {
  // 5 pixels of 2 bits: indexes 0 1 2 3 1, raw row of 2 bytes (row bytes 2).
  Bytes f = Version2(1, 5);
  PixMapRows(f, 2, 5, 2, 0, {{0x1B, 0x40}});
  f.w(0x00FF);
  const auto read = ReadBytesWithCodec(ReadPict, f.v);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  ASSERT_EQ(read.image.GetBitsPerPixel(), 4);
  EXPECT_EQ(PixelAt(read.image, 1, 0), MakeRGBQuad(255, 0, 0));
  EXPECT_EQ(PixelAt(read.image, 3, 0), MakeRGBQuad(0, 0, 255));
  EXPECT_EQ(PixelAt(read.image, 4, 0), MakeRGBQuad(255, 0, 0));
}

TEST(PictReader, VersionOneBitmapSetBitsAreBlack) {
  Bytes f;
  f.v.assign(512, 0);
  f.w(0).rect(0, 0, 1, 8).raw({0x11, 0x01});
  f.b(0x98).w(2).rect(0, 0, 1, 8).rect(0, 0, 1, 8).rect(0, 0, 1, 8).w(0).raw({0xF0, 0x00});
  f.b(0xFF);
  const auto read = ReadBytesWithCodec(ReadPict, f.v);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  ASSERT_EQ(read.image.GetBitsPerPixel(), 1);
  EXPECT_EQ(PixelAt(read.image, 0, 0), MakeRGBQuad(0, 0, 0));
  EXPECT_EQ(PixelAt(read.image, 7, 0), MakeRGBQuad(255, 255, 255));
}

TEST(PictReader, BitmapWithZeroRowBytesReadsBlank) {
  Bytes f;
  f.v.assign(512, 0);
  f.w(0).rect(0, 0, 2, 8).raw({0x11, 0x01});
  f.b(0x98).w(0).rect(0, 0, 2, 8).rect(0, 0, 2, 8).rect(0, 0, 2, 8).w(0);
  f.b(0xFF);
  const auto read = ReadBytesWithCodec(ReadPict, f.v);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(PixelAt(read.image, 7, 1), MakeRGBQuad(255, 255, 255));
}

TEST(PictReader, RefusesWhatItCannotRead) {
  auto withOpcodes = [](std::initializer_list<int> words) {
    Bytes f = Version2(1, 1);
    for (int x : words) f.w(x);
    return f.v;
  };
  std::vector<uint8_t> tooShort(600, 0);
  tooShort[522] = 0x42;
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    int result;
  } cases[] = {
      {"smaller than the header", std::vector<uint8_t>(100, 0), IMAGEIO_BAD_FORMAT},
      {"unknown version", tooShort, IMAGEIO_BAD_FORMAT},
      {"text font opcode", withOpcodes({0x0003, 0x0001, 0x00FF}), IMAGEIO_CORRUPT},
      {"no bitmap", withOpcodes({0x001E, 0x00FF}), IMAGEIO_CORRUPT},
      // A region whose size is below its own 2 bytes must not step backwards.
      {"region size 0", withOpcodes({0x0001, 0x0000, 0x0001, 0x0000, 0x00FF}), IMAGEIO_CORRUPT},
      // Lengths past the end of the file stop the walk.
      {"long comment past the end", withOpcodes({0x00A1, 0x0064, 0x7FFF}), IMAGEIO_CORRUPT},
      {"32-bit length past the end", withOpcodes({0x00D0, 0xFFFF, 0xFFF0}), IMAGEIO_CORRUPT},
      {"no end opcode", withOpcodes({0x001E}), IMAGEIO_CORRUPT},
      {"pixel size 3", [] {
         Bytes f = Version2(1, 1);
         f.w(0x0098).w(0x8004).rect(0, 0, 1, 1).w(0).w(0).l(0).l(0).l(0).w(0).w(3).w(1).w(3).l(0).l(0).l(0);
         return f.v;
       }(), IMAGEIO_CORRUPT},
      {"empty bounds", [] {
         Bytes f = Version2(1, 1);
         f.w(0x0098).w(0x8004).rect(5, 0, 5, 1).w(0).w(0).l(0).l(0).l(0).w(0).w(8).w(1).w(8).l(0).l(0).l(0);
         return f.v;
       }(), IMAGEIO_CORRUPT},
  };
  for (const auto& c : cases) {
    const auto read = ReadBytesWithCodec(ReadPict, c.file);
    EXPECT_EQ(read.result, c.result) << c.what;
    EXPECT_TRUE(read.image.IsEmpty()) << c.what;
  }
}

TEST(PictReader, PackBitsRunsStayInsideTheRow) {
  // 8-bit PixMap with row bytes 8 (4 pixels wide would be 4; width 8 here):
  // a repeat of 128 and a literal longer than the packed count.
  Bytes f = Version2(2, 8);
  f.w(0x0098).w(0x8000 | 8).rect(0, 0, 2, 8);
  f.w(0).w(0).l(0).l(0x00480000).l(0x00480000).w(0).w(8).w(1).w(8).l(0).l(0).l(0);
  f.l(0).w(0).w(0).w(0).w(0xFFFF).w(0xFFFF).w(0xFFFF);
  f.rect(0, 0, 2, 8).rect(0, 0, 2, 8).w(0);
  f.b(2).raw({0x81, 0x00});        // repeat of 128 into 8 bytes
  f.b(3).raw({0x7F, 0x00, 0x00});  // literal of 128 with 2 bytes present
  f.w(0x00FF);
  const auto read = ReadBytesWithCodec(ReadPict, f.v);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetRow(0)[7], 0);
}

// ---- writer -------------------------------------------------------------------

TEST(PictWriter, RowOfTwoHundredEqualBytesPacksAs128And72) {
  CRasterImage image;
  image.Create(200, 1, 8);
  std::fill(image.GetWritableBits(), image.GetWritableBits() + 200, 9);
  const auto bytes = WriteToBytes(WritePict, image);
  // 512 + size 2 + frame 8 + version 4 + header 26 + clip 12 + opcode 2 +
  // PixMap 46 + table 8 + 256 * 8 + rects and mode 18 = 2686; then the count.
  const size_t row = 2686;
  ASSERT_GT(bytes.size(), row + 5);
  EXPECT_EQ(bytes[row], 4);
  EXPECT_EQ(bytes[row + 1], 0x81);  // 1 - 128
  EXPECT_EQ(bytes[row + 2], 9);
  EXPECT_EQ(bytes[row + 3], 0xB9);  // 1 - 72
  EXPECT_EQ(bytes[row + 4], 9);
}

TEST(PictWriter, SizeWordHoldsTheFileSizeMinus512) {
  for (int depth : {1, 4, 8, 24}) {
    const CRasterImage image = depth == 24 ? MakeTestPicture(13, 5) : MakeIndexedPicture(13, 5, depth);
    const auto bytes = WriteToBytes(WritePict, image);
    ASSERT_GT(bytes.size(), 514u);
    EXPECT_EQ((bytes[512] << 8 | bytes[513]), static_cast<int>((bytes.size() - 512) & 0xFFFF)) << depth;
  }
}

TEST(PictWriter, OneBitPaletteDecidesWhichBitsAreSet) {
  for (bool blackFirst : {true, false}) {
    CRasterImage image;
    image.Create(8, 1, 1);
    image.GetWritablePalette()[blackFirst ? 0 : 1] = MakeRGBQuad(0, 0, 0);
    image.GetWritablePalette()[blackFirst ? 1 : 0] = MakeRGBQuad(255, 255, 255);
    image.GetWritableBits()[0] = 0x0F;
    const auto bytes = WriteToBytes(WritePict, image);
    // Version 1: the first row byte follows the 28-byte BitMap record.
    const size_t at = 512 + 2 + 8 + 2 + 2 + 10 + 2 + 28;
    ASSERT_GT(bytes.size(), at);
    EXPECT_EQ(bytes[at], blackFirst ? 0xF0 : 0x0F);
    const auto read = ReadBytesWithCodec(ReadPict, bytes);
    ASSERT_EQ(read.result, IMAGEIO_OK);
    EXPECT_EQ(CompareRgb(read.image, image), "");
  }
}

struct WriteCase {
  const char* name;
  CRasterImage (*make)();
};

CRasterImage Rgb() { return MakeTestPicture(45, 13); }
CRasterImage RgbTiny() { return MakeTestPicture(1, 3); }  // raw rows
CRasterImage RgbWide() { return MakeTestPicture(90, 2); }  // row bytes above 250
CRasterImage Indexed8() { return MakeIndexedPicture(37, 9, 8); }
CRasterImage Indexed8Narrow() { return MakeIndexedPicture(3, 4, 8); }  // raw rows
CRasterImage Indexed8Wide() { return MakeIndexedPicture(300, 3, 8); }
CRasterImage Indexed4() { return MakeIndexedPicture(29, 7, 4); }
CRasterImage BlackWhite() {
  CRasterImage p = MakeIndexedPicture(77, 6, 1);
  p.GetWritablePalette()[0] = MakeRGBQuad(0, 0, 0);
  p.GetWritablePalette()[1] = MakeRGBQuad(255, 255, 255);
  return p;
}
CRasterImage WhiteBlack() {
  CRasterImage p = BlackWhite();
  std::swap(p.GetWritablePalette()[0], p.GetWritablePalette()[1]);
  return p;
}
CRasterImage BlackWhiteWide() {
  CRasterImage p = MakeIndexedPicture(2100, 2, 1);
  p.GetWritablePalette()[0] = MakeRGBQuad(0, 0, 0);
  p.GetWritablePalette()[1] = MakeRGBQuad(255, 255, 255);
  return p;
}

const WriteCase kWriteCases[] = {
    {"rgb", Rgb},
    {"rgb_tiny", RgbTiny},
    {"rgb_wide", RgbWide},
    {"indexed8", Indexed8},
    {"indexed8_narrow", Indexed8Narrow},
    {"indexed8_wide", Indexed8Wide},
    {"indexed4", Indexed4},
    {"black_white", BlackWhite},
    {"white_black", WhiteBlack},
    {"black_white_wide", BlackWhiteWide},
};

class PictRoundTrip : public ::testing::TestWithParam<WriteCase> {};

TEST_P(PictRoundTrip, ReadsBackIdentically) {
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WritePict, dir / "ours.pct", image), IMAGEIO_OK);
  const auto read = ReadWithCodec(ReadPict, dir / "ours.pct");
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetBitsPerPixel(), image.GetBitsPerPixel());
  EXPECT_EQ(CompareRgb(read.image, image), "");
}

TEST_P(PictRoundTrip, ImageMagickReadsOurs) {
  REQUIRE_TOOL("convert");
  const CRasterImage image = GetParam().make();
  TempDir dir;
  // ImageMagick decodes version 1 BitMaps but never draws them (only PixMaps
  // reach its canvas), and reads the one-pixel-wide unpacked 32-bit rows as
  // planes.
  if (image.GetBitsPerPixel() == 1) GTEST_SKIP() << "ImageMagick does not draw BitMap records";
  if (image.GetBitsPerPixel() == 24 && image.GetWidth() == 1) GTEST_SKIP() << "ImageMagick reads unpacked rows as planes";
  ASSERT_EQ(WriteWithCodec(WritePict, dir / "ours.pct", image), IMAGEIO_OK);
  ASSERT_TRUE(ImageMagickToPam("pict:" + (dir / "ours.pct").string(), dir / "im.pam"));
  EXPECT_EQ(CompareRgb(ReadPnm(dir / "im.pam"), image), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, PictRoundTrip, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- files from other programs ------------------------------------------------

TEST(PictFromTools, NetpbmPictureReadsLikeTheSource) {
  REQUIRE_TOOL("ppmtopict");
  TempDir dir;
  // ppmtopict writes 8-bit PackBits PixMaps: at most 256 colours.
  CRasterImage source = MakeIndexedPicture(300, 11, 8);
  WritePam(dir / "in.pam", source);
  ASSERT_EQ(RunCommand("pamtopnm " + ShellQuote((dir / "in.pam").string()) + " | ppmtopict > " +
                       ShellQuote((dir / "out.pct").string()) + " 2>/dev/null"),
            0);
  const auto read = ReadWithCodec(ReadPict, dir / "out.pct");
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetBitsPerPixel(), 8);
  EXPECT_EQ(CompareRgb(read.image, source), "");
}

TEST(PictFromTools, ImageMagickPicturesReadLikeTheSource) {
  REQUIRE_TOOL("convert");
  const struct {
    const char* options;
    CRasterImage source;
  } cases[] = {
      {"", MakeTestPicture(61, 17)},
      {"-type Palette", MakeIndexedPicture(61, 17, 8)},
      {"-type Palette", MakeIndexedPicture(5, 3, 4)},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WritePam(dir / "in.pam", c.source);
    ASSERT_EQ(RunCommand("convert " + ShellQuote((dir / "in.pam").string()) + " " + c.options + " pict:" +
                         ShellQuote((dir / "out.pct").string())),
              0);
    const auto read = ReadWithCodec(ReadPict, dir / "out.pct");
    ASSERT_EQ(read.result, IMAGEIO_OK) << c.options;
    // ImageMagick may reduce the colours as it writes: the reference is what
    // it reads back from its own file.
    ASSERT_TRUE(ImageMagickToPam("pict:" + (dir / "out.pct").string(), dir / "im.pam"));
    EXPECT_EQ(CompareRgb(read.image, ReadPnm(dir / "im.pam")), "") << c.options;
  }
}

}  // namespace
