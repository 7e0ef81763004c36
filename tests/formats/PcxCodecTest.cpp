#include <gtest/gtest.h>

#include <vector>

#include "formats/PcxCodec.h"
#include "imaging/PixelAccess.h"
#include "tests/support/CodecRoundTrip.h"

namespace {

using namespace testing_support;

std::vector<uint8_t> PcxHeader(int bits, int planes, int width, int height, int bytesPerLine) {
  std::vector<uint8_t> h(128, 0);
  h[0] = 10;
  h[1] = 5;
  h[2] = 1;
  h[3] = static_cast<uint8_t>(bits);
  h[8] = static_cast<uint8_t>(width - 1);
  h[9] = static_cast<uint8_t>((width - 1) >> 8);
  h[10] = static_cast<uint8_t>(height - 1);
  h[11] = static_cast<uint8_t>((height - 1) >> 8);
  h[65] = static_cast<uint8_t>(planes);
  h[66] = static_cast<uint8_t>(bytesPerLine);
  h[67] = static_cast<uint8_t>(bytesPerLine >> 8);
  return h;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---- files from other programs ------------------------------------------------

struct ToolCase {
  const char* name;
  const char* tool;
  const char* command;  // %IN% a PPM, %OUT% the PCX
  int colors;           // colours in the source picture: 2, 16 or 0 for many
  int depth;            // depth we read the file at
};

const ToolCase kToolCases[] = {
    {"netpbm_24bit", "ppmtopcx", "ppmtopcx -24bit %IN% > %OUT%", 0, 24},
    {"netpbm_8bit", "ppmtopcx", "ppmtopcx -8bit %IN% > %OUT%", 16, 8},
    {"netpbm_16_colours_planes", "ppmtopcx", "ppmtopcx -planes 4 %IN% > %OUT%", 16, 4},
    {"netpbm_16_colours_packed", "ppmtopcx", "ppmtopcx -packed %IN% > %OUT%", 16, 4},
    {"netpbm_bilevel", "ppmtopcx", "ppmtopcx -planes 1 %IN% > %OUT%", 2, 1},
    {"im_24bit", "convert", "convert %IN% pcx:%OUT%", 0, 24},
    {"im_palette", "convert", "convert %IN% -type Palette pcx:%OUT%", 16, 8},
    {"im_bilevel", "convert", "convert %IN% -type Bilevel pcx:%OUT%", 2, 24},  // ImageMagick writes 24-bit
};

CRasterImage MakeSource(int colors) {
  CRasterImage picture = MakeTestPicture(37, 21);
  for (int y = 0; y < picture.GetHeight(); ++y) {
    uint8_t* row = picture.GetWritableBits() + y * picture.GetStride();
    for (int x = 0; x < picture.GetWidth(); ++x) {
      uint8_t* p = row + 3 * x;
      if (colors == 2) {
        const uint8_t v = ((x / 3 + y / 2) & 1) ? 255 : 0;
        p[0] = p[1] = p[2] = v;
      } else if (colors == 16) {
        // 16 distinct colours: two bits each of red and green, blue from both.
        const int i = (x + 2 * y) % 16;
        p[0] = static_cast<uint8_t>((i & 3) * 85);
        p[1] = static_cast<uint8_t>((i >> 2) * 85);
        p[2] = static_cast<uint8_t>(i * 17);
      }
    }
  }
  return picture;
}

std::string Expand(std::string command, const fs::path& in, const fs::path& out) {
  for (auto [key, value] : {std::pair{"%IN%", in.string()}, std::pair{"%OUT%", out.string()}})
    for (size_t at; (at = command.find(key)) != std::string::npos;) command.replace(at, std::string(key).size(), ShellQuote(value));
  return command;
}

class PcxFromTools : public ::testing::TestWithParam<ToolCase> {};

TEST_P(PcxFromTools, ReadsLikeTheSource) {
  const ToolCase& c = GetParam();
  REQUIRE_TOOL(c.tool);
  TempDir dir;
  const CRasterImage source = MakeSource(c.colors);
  WritePam(dir / "in.pam", source);
  ASSERT_EQ(RunCommand("pamtopnm " + ShellQuote((dir / "in.pam").string()) + " > " + ShellQuote((dir / "in.ppm").string())), 0);
  ASSERT_EQ(RunCommand(Expand(c.command, dir / "in.ppm", dir / "out.pcx") + " 2>/dev/null"), 0) << c.command;
  const auto read = ReadWithCodec(ReadPcx, dir / "out.pcx");
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetBitsPerPixel(), c.depth);
  EXPECT_EQ(CompareRgb(read.image, source), "");
  CBufferedFile f;
  ASSERT_TRUE(f.Open((dir / "out.pcx").string().c_str(), 1));
  CImageFileInfo info;
  ASSERT_TRUE(GetPcxInfo(&f, &info));
  EXPECT_EQ(info.m_nWidth, 37);
  EXPECT_EQ(info.m_nHeight, 21);
}

INSTANTIATE_TEST_SUITE_P(Tools, PcxFromTools, ::testing::ValuesIn(kToolCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- reader edge cases ----------------------------------------------------------

TEST(PcxReader, RunCarriedAcrossLinesContinuesOnTheNextLine) {
  // 8-bit, 3 x 2, bytes per line 3: one run of 5 then a literal.
  std::vector<uint8_t> file = Concat(PcxHeader(8, 1, 3, 2, 3), {0xC5, 7, 9});
  file.push_back(0x0C);
  file.resize(file.size() + 768, 0);
  const auto read = ReadBytesWithCodec(ReadPcx, file);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetRow(0)[0], 7);
  EXPECT_EQ(read.image.GetRow(1)[1], 7);
  EXPECT_EQ(read.image.GetRow(1)[2], 9);
}

TEST(PcxReader, PaletteIsTheLast768BytesWithOrWithoutMarker) {
  for (bool marker : {true, false}) {
    std::vector<uint8_t> file = Concat(PcxHeader(8, 1, 2, 1, 2), {1, 2});
    file.push_back(marker ? 0x0C : 0x55);
    for (int i = 0; i < 256; ++i) file.insert(file.end(), {static_cast<uint8_t>(i), 3, static_cast<uint8_t>(255 - i)});
    const auto read = ReadBytesWithCodec(ReadPcx, file);
    ASSERT_EQ(read.result, IMAGEIO_OK);
    EXPECT_EQ(read.image.GetPalette()[2], MakeRGBQuad(2, 3, 253)) << marker;
  }
}

TEST(PcxReader, OneBitIsBlackAndWhiteWhateverTheHeaderSays) {
  std::vector<uint8_t> header = PcxHeader(1, 1, 8, 1, 2);
  for (int i = 16; i < 64; ++i) header[i] = 0x77;
  const auto read = ReadBytesWithCodec(ReadPcx, Concat(header, {0xC1, 0xF0, 0}));
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetPalette()[0], MakeRGBQuad(0, 0, 0));
  EXPECT_EQ(read.image.GetPalette()[1], MakeRGBQuad(255, 255, 255));
  EXPECT_EQ(read.image.GetRow(0)[0], 0xF0);
}

TEST(PcxReader, RefusesLayoutsAndHeadersItCannotHold) {
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    int result;
  } cases[] = {
      {"not a PCX", Concat({0x0B}, std::vector<uint8_t>(200, 0)), IMAGEIO_CORRUPT},
      {"short header", {10, 5, 1, 8}, IMAGEIO_CORRUPT},
      {"2 bits, 1 plane", Concat(PcxHeader(2, 1, 4, 1, 2), {0, 0}), IMAGEIO_BAD_COLOR_MODE},
      {"4 bits, 2 planes", Concat(PcxHeader(4, 2, 4, 1, 2), {0, 0, 0, 0}), IMAGEIO_BAD_COLOR_MODE},
      {"2 bits, 4 planes", Concat(PcxHeader(2, 4, 4, 1, 2), std::vector<uint8_t>(8, 0)), IMAGEIO_BAD_COLOR_MODE},
      {"1 bit, 3 planes", Concat(PcxHeader(1, 3, 8, 1, 2), std::vector<uint8_t>(6, 0)), IMAGEIO_BAD_COLOR_MODE},
      {"8 bits, 4 planes", Concat(PcxHeader(8, 4, 2, 1, 2), std::vector<uint8_t>(8, 0)), IMAGEIO_BAD_COLOR_MODE},
      {"x max before x min", [] {
         auto h = PcxHeader(8, 1, 1, 1, 2);
         h[4] = 5;
         return h;
       }(), IMAGEIO_CORRUPT},
      {"wider than the model holds", PcxHeader(8, 1, 40000, 1, 2), IMAGEIO_NO_MEMORY},
  };
  for (const auto& c : cases) {
    const auto read = ReadBytesWithCodec(ReadPcx, c.file);
    EXPECT_EQ(read.result, c.result) << c.what;
    EXPECT_TRUE(read.image.IsEmpty()) << c.what;
  }
}

TEST(PcxReader, BytesPerLineShorterThanThePlaneStaysInside) {
  // 24-bit, 20 pixels wide, but only 2 bytes per plane line: the rest is zero.
  std::vector<uint8_t> file = Concat(PcxHeader(8, 3, 20, 2, 2), {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6});
  const auto read = ReadBytesWithCodec(ReadPcx, file);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  const uint8_t* row = read.image.GetRow(1);
  EXPECT_EQ(row[0], 1);
  EXPECT_EQ(row[1], 3);
  EXPECT_EQ(row[2], 5);
  EXPECT_EQ(row[3], 2);
  EXPECT_EQ(row[3 * 19], 0);
  // The same for 16 colours.
  const auto read4 = ReadBytesWithCodec(ReadPcx, Concat(PcxHeader(1, 4, 40, 1, 1), {0xC1, 0xFF, 0, 0, 0xC1, 0xFF}));
  ASSERT_EQ(read4.result, IMAGEIO_OK);
  EXPECT_EQ(GetPixel4(read4.image.GetRow(0), 0), 9);
  EXPECT_EQ(GetPixel4(read4.image.GetRow(0), 39), 0);
}

TEST(PcxReader, TruncatedFileKeepsTheRowsRead) {
  const auto read = ReadBytesWithCodec(ReadPcx, Concat(PcxHeader(1, 1, 16, 4, 2), {0xC1, 0xFF, 0xC2}));
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetRow(0)[0], 0xFF);
  EXPECT_EQ(read.image.GetRow(3)[0], 0);
}

// ---- writer -------------------------------------------------------------------

TEST(PcxWriter, OddWidthPlanesRepeatTheirLastByte) {
  CRasterImage image;
  image.Create(5, 1, 24);
  for (int x = 0; x < 5; ++x) {
    image.GetWritableBits()[3 * x] = static_cast<uint8_t>(10 + x);
    image.GetWritableBits()[3 * x + 1] = static_cast<uint8_t>(20 + x);
    image.GetWritableBits()[3 * x + 2] = static_cast<uint8_t>(30 + x);
  }
  const auto bytes = WriteToBytes(WritePcx, image);
  ASSERT_GE(bytes.size(), 128u);
  EXPECT_EQ(bytes[1], 5);
  EXPECT_EQ(bytes[65], 3);
  EXPECT_EQ(bytes[66] | bytes[67] << 8, 6);
  const std::vector<uint8_t> line(bytes.begin() + 128, bytes.end());
  // 10..14 then a run of two 14s; the same for green and blue.
  const std::vector<uint8_t> expected = {10, 11, 12, 13, 0xC2, 14, 20, 21, 22, 23, 0xC2, 24, 30, 31, 32, 33, 0xC2, 34};
  EXPECT_EQ(line, expected);
}

TEST(PcxWriter, LongRunsSplitAt63AndHighBytesAreEscaped) {
  CRasterImage image;
  image.Create(101, 1, 8);
  std::fill(image.GetWritableBits(), image.GetWritableBits() + 100, 0x42);
  image.GetWritableBits()[100] = 0xC5;
  const auto bytes = WriteToBytes(WritePcx, image);
  const std::vector<uint8_t> line(bytes.begin() + 128, bytes.begin() + 128 + 8);
  // bytes per line 102: the padding byte repeats 0xC5, so it ends in a run of 2.
  const std::vector<uint8_t> expected = {0xFF, 0x42, 0xC0 | 37, 0x42, 0xC2, 0xC5, 0x0C, 0};
  EXPECT_EQ(line, expected);
  ASSERT_EQ(bytes.size(), 128u + 6 + 769);
}

TEST(PcxWriter, SingleHighByteIsWrittenAsARunOfOne) {
  CRasterImage image;
  image.Create(2, 1, 8);
  image.GetWritableBits()[0] = 0xC5;
  image.GetWritableBits()[1] = 0x01;
  const auto bytes = WriteToBytes(WritePcx, image);
  const std::vector<uint8_t> line(bytes.begin() + 128, bytes.begin() + 131);
  EXPECT_EQ(line, (std::vector<uint8_t>{0xC1, 0xC5, 0x01}));
}

TEST(PcxWriter, RefusesEmptyImage) {
  int rc = 0;
  WriteToBytes(WritePcx, CRasterImage(), {}, &rc);
  EXPECT_EQ(rc, IMAGEIO_INTERNAL_ERROR);
}

struct WriteCase {
  const char* name;
  CRasterImage (*make)();
};

CRasterImage Rgb() { return MakeTestPicture(43, 17); }
CRasterImage Rgb5() { return MakeTestPicture(5, 3); }
CRasterImage Indexed8() { return MakeIndexedPicture(31, 9, 8); }
CRasterImage Indexed4() { return MakeIndexedPicture(21, 7, 4); }
CRasterImage BlackWhite() {
  CRasterImage p = MakeIndexedPicture(19, 5, 1);
  p.GetWritablePalette()[0] = MakeRGBQuad(0, 0, 0);
  p.GetWritablePalette()[1] = MakeRGBQuad(255, 255, 255);
  return p;
}
CRasterImage WhiteBlack() {
  CRasterImage p = BlackWhite();
  p.GetWritablePalette()[0] = MakeRGBQuad(255, 255, 255);
  p.GetWritablePalette()[1] = MakeRGBQuad(0, 0, 0);
  return p;
}

const WriteCase kWriteCases[] = {
    {"rgb", Rgb}, {"rgb_width5", Rgb5}, {"indexed8", Indexed8}, {"indexed4", Indexed4},
    {"black_white", BlackWhite}, {"white_black", WhiteBlack},
};

class PcxRoundTrip : public ::testing::TestWithParam<WriteCase> {};

TEST_P(PcxRoundTrip, ReadsBackIdentically) {
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WritePcx, dir / "ours.pcx", image), IMAGEIO_OK);
  const auto read = ReadWithCodec(ReadPcx, dir / "ours.pcx");
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetBitsPerPixel(), image.GetBitsPerPixel());
  EXPECT_EQ(CompareRgb(read.image, image), "");
}

TEST_P(PcxRoundTrip, ImageMagickReadsOurs) {
  REQUIRE_TOOL("convert");
  const CRasterImage image = GetParam().make();
  // ImageMagick 6 reads every 1-bit PCX with 0 as white, whatever its
  // header says; Pillow, netpbm and the format's own convention take 0 as black.
  if (image.GetBitsPerPixel() == 1) GTEST_SKIP() << "ImageMagick inverts 1-bit PCX files";
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WritePcx, dir / "ours.pcx", image), IMAGEIO_OK);
  ASSERT_TRUE(ImageMagickToPam(dir / "ours.pcx", dir / "im.pam"));
  EXPECT_EQ(CompareRgb(ReadPnm(dir / "im.pam"), image), "");
}

TEST_P(PcxRoundTrip, NetpbmReadsOurs) {
  REQUIRE_TOOL("pcxtoppm");
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WritePcx, dir / "ours.pcx", image), IMAGEIO_OK);
  ASSERT_EQ(RunCommand("pcxtoppm " + ShellQuote((dir / "ours.pcx").string()) + " > " +
                       ShellQuote((dir / "nb.ppm").string()) + " 2>/dev/null"),
            0);
  EXPECT_EQ(CompareRgb(ReadPnm(dir / "nb.ppm"), image), "");
}

TEST_P(PcxRoundTrip, PillowReadsOurs) {
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WritePcx, dir / "ours.pcx", image), IMAGEIO_OK);
  ASSERT_TRUE(PillowToPam(dir / "ours.pcx", dir / "pil.pam"));
  EXPECT_EQ(CompareRgb(ReadPnm(dir / "pil.pam"), image), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, PcxRoundTrip, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
