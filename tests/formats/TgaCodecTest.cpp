#include <gtest/gtest.h>

#include <vector>

#include "formats/TgaCodec.h"
#include "imaging/PixelAccess.h"
#include "tests/support/CodecRoundTrip.h"

namespace {

using namespace testing_support;

// An 18-byte header followed by the given bytes.
std::vector<uint8_t> TgaFile(int type, int width, int height, int depth, int descriptor, std::vector<uint8_t> body,
                             int mapType = 0, int mapFirst = 0, int mapLength = 0, int mapEntry = 0) {
  std::vector<uint8_t> f = {0,
                            static_cast<uint8_t>(mapType),
                            static_cast<uint8_t>(type),
                            static_cast<uint8_t>(mapFirst),
                            static_cast<uint8_t>(mapFirst >> 8),
                            static_cast<uint8_t>(mapLength),
                            static_cast<uint8_t>(mapLength >> 8),
                            static_cast<uint8_t>(mapEntry),
                            0,
                            0,
                            0,
                            0,
                            static_cast<uint8_t>(width),
                            static_cast<uint8_t>(width >> 8),
                            static_cast<uint8_t>(height),
                            static_cast<uint8_t>(height >> 8),
                            static_cast<uint8_t>(depth),
                            static_cast<uint8_t>(descriptor)};
  f.resize(18 + body.size());
  std::copy(body.begin(), body.end(), f.begin() + 18);
  return f;
}

RGBQUAD PixelAt(const CRasterImage& image, int x, int y) {
  const uint8_t* row = image.GetRow(y);
  if (image.GetBitsPerPixel() == 24) return MakeRGBQuad(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
  return image.GetPalette()[GetPixelGetter(image.GetBitsPerPixel())(row, static_cast<int16_t>(x))];
}

// Files other programs write, read against the picture they were made from.
struct ToolCase {
  const char* name;
  const char* tool;
  const char* command;  // %IN% source PAM/PPM, %OUT% the TGA
  bool alpha;           // the source has an alpha channel
  bool gray;            // the source is gray
  bool fewColors;       // the source has few colours (for colour-mapped outputs)
};

// ImageMagick writes rows in image order and labels them bottom-up unless
// told the orientation, so its files are made top-down; netpbm's are
// bottom-up.
const ToolCase kToolCases[] = {
    {"im_rle_top_down", "convert", "convert %IN% -orient TopLeft -compress RLE tga:%OUT%", false, false, false},
    {"im_raw_top_down", "convert", "convert %IN% -orient TopLeft -compress None tga:%OUT%", false, false, false},
    {"im_rle_32_alpha", "convert", "convert %IN% -orient TopLeft -compress RLE tga:%OUT%", true, false, false},
    {"im_raw_32_alpha", "convert", "convert %IN% -orient TopLeft -compress None tga:%OUT%", true, false, false},
    {"im_colour_mapped", "convert", "convert %IN% -orient TopLeft -type Palette -compress None tga:%OUT%", false, false, true},
    {"im_colour_mapped_rle", "convert", "convert %IN% -orient TopLeft -type Palette -compress RLE tga:%OUT%", false, false,
     true},
    {"im_gray", "convert", "convert %IN% -orient TopLeft -compress None tga:%OUT%", false, true, false},
    {"netpbm_rgb_rle", "pamtotga", "pamtotga -rgb %IN% > %OUT%", false, false, false},
    {"netpbm_rgb_raw", "pamtotga", "pamtotga -rgb -norle %IN% > %OUT%", false, false, false},
    {"netpbm_cmap", "pamtotga", "pamtotga -cmap %IN% > %OUT%", false, false, true},
    {"netpbm_cmap_raw", "pamtotga", "pamtotga -cmap -norle %IN% > %OUT%", false, false, true},
    {"netpbm_gray", "pamtotga", "pamtotga -mono %IN% > %OUT%", false, true, false},
    {"pillow_rgba_rle", "/usr/bin/python3", "%PIL% %IN% %OUT% tga_rle", true, false, false},
    {"pillow_rgb_raw", "/usr/bin/python3", "%PIL% %IN% %OUT% none", false, false, false},
    // Gray with alpha: 16 bits a pixel, a level byte and an alpha byte.
    {"pillow_gray_alpha_raw_top_down", "/usr/bin/python3", "%PIL% %IN% %OUT% none LA 1", true, true, false},
    {"pillow_gray_alpha_raw_bottom_up", "/usr/bin/python3", "%PIL% %IN% %OUT% none LA -1", true, true, false},
    {"pillow_gray_alpha_rle_top_down", "/usr/bin/python3", "%PIL% %IN% %OUT% tga_rle LA 1", true, true, false},
    {"pillow_gray_alpha_rle_bottom_up", "/usr/bin/python3", "%PIL% %IN% %OUT% tga_rle LA -1", true, true, false},
};

// Pillow cannot read PAM: a small script reads it and saves a TGA.
const char kPillowSave[] =
    "import sys\n"
    "from PIL import Image\n"
    "data = open(sys.argv[1], 'rb').read()\n"
    "head, _, body = data.partition(b'ENDHDR\\n')\n"
    "f = dict(l.split(b' ', 1) for l in head.split(b'\\n')[1:] if b' ' in l)\n"
    "w, h, d = int(f[b'WIDTH']), int(f[b'HEIGHT']), int(f[b'DEPTH'])\n"
    "im = Image.frombytes('RGBA' if d == 4 else 'RGB', (w, h), body)\n"
    "extra = {}\n"
    "if len(sys.argv) > 4:\n"
    "    im = im.convert(sys.argv[4])\n"
    "    extra['orientation'] = int(sys.argv[5])\n"
    "im.save(sys.argv[2], compression=None if sys.argv[3] == 'none' else sys.argv[3], **extra)\n";

std::string Expand(std::string command, const fs::path& in, const fs::path& out) {
  const std::string pil = Python() + " -c " + ShellQuote(kPillowSave);
  for (size_t at; (at = command.find("%PIL%")) != std::string::npos;) command.replace(at, 5, pil);
  for (auto [key, value] : {std::pair{"%IN%", in.string()}, std::pair{"%OUT%", out.string()}}) {
    for (size_t at; (at = command.find(key)) != std::string::npos;) command.replace(at, std::string(key).size(), ShellQuote(value));
  }
  return command;
}

CRasterImage MakeSource(const ToolCase& c) {
  CRasterImage picture = MakeTestPicture(37, 23);
  if (c.fewColors) {
    // Quantise to 8 levels per channel pair, so colour maps hold it exactly.
    for (int y = 0; y < picture.GetHeight(); ++y) {
      uint8_t* row = picture.GetWritableBits() + y * picture.GetStride();
      for (int x = 0; x < picture.GetWidth() * 3; ++x) row[x] = static_cast<uint8_t>((row[x] / 64) * 85);
    }
  }
  if (c.gray) {
    for (int y = 0; y < picture.GetHeight(); ++y) {
      uint8_t* row = picture.GetWritableBits() + y * picture.GetStride();
      for (int x = 0; x < picture.GetWidth(); ++x) row[3 * x + 1] = row[3 * x + 2] = row[3 * x];
    }
  }
  if (c.alpha) {
    picture.CreateMask();
    for (int y = 0; y < picture.GetHeight(); ++y)
      for (int x = 0; x < picture.GetWidth(); ++x)
        picture.GetWritableMaskBits()[y * picture.GetMaskStride() + x] = static_cast<uint8_t>((x * 7 + y * 11) % 256);
  }
  return picture;
}

class TgaFromTools : public ::testing::TestWithParam<ToolCase> {};

TEST_P(TgaFromTools, ReadsLikeTheSource) {
  const ToolCase& c = GetParam();
  REQUIRE_TOOL(c.tool);
  TempDir dir;
  const CRasterImage source = MakeSource(c);
  WritePam(dir / "in.pam", source);
  ASSERT_EQ(RunCommand(Expand(c.command, dir / "in.pam", dir / "out.tga")), 0) << c.command;
  const auto read = ReadWithCodec(ReadTga, dir / "out.tga");
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(CompareRgb(read.image, source), "");
  EXPECT_EQ(read.image.HasValidMask(), c.alpha);
  CImageFileInfo info;
  CBufferedFile f;
  ASSERT_TRUE(f.Open((dir / "out.tga").string().c_str(), 1));
  ASSERT_TRUE(GetTgaInfo(&f, &info));
  EXPECT_EQ(info.m_nWidth, 37);
  EXPECT_EQ(info.m_nHeight, 23);
}

INSTANTIATE_TEST_SUITE_P(Tools, TgaFromTools, ::testing::ValuesIn(kToolCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every orientation gives the same picture: 2 x 2 pixels A B / C D.
TEST(TgaReader, EveryOrientationReadsTheSamePicture) {
  const uint8_t A[3] = {1, 2, 3}, B[3] = {4, 5, 6}, C[3] = {7, 8, 9}, D[3] = {10, 11, 12};
  auto body = [](std::initializer_list<const uint8_t*> px) {
    std::vector<uint8_t> v;
    for (const uint8_t* p : px) v.insert(v.end(), p, p + 3);
    return v;
  };
  const struct {
    int descriptor;
    std::vector<uint8_t> pixels;
  } cases[] = {
      {0x20, body({A, B, C, D})},  // top-left
      {0x00, body({C, D, A, B})},  // bottom-left
      {0x30, body({B, A, D, C})},  // top-right
      {0x10, body({D, C, B, A})},  // bottom-right
  };
  for (const auto& c : cases) {
    const auto read = ReadBytesWithCodec(ReadTga, TgaFile(2, 2, 2, 24, c.descriptor, c.pixels));
    ASSERT_EQ(read.result, IMAGEIO_OK) << c.descriptor;
    // Stored blue, green, red: A's bytes 1, 2, 3 are blue 1, green 2, red 3.
    EXPECT_EQ(PixelAt(read.image, 0, 0), MakeRGBQuad(3, 2, 1)) << c.descriptor;
    EXPECT_EQ(PixelAt(read.image, 1, 0), MakeRGBQuad(6, 5, 4)) << c.descriptor;
    EXPECT_EQ(PixelAt(read.image, 0, 1), MakeRGBQuad(9, 8, 7)) << c.descriptor;
    EXPECT_EQ(PixelAt(read.image, 1, 1), MakeRGBQuad(12, 11, 10)) << c.descriptor;
  }
}

// Gray with alpha (types 3 and 11 at 16 bits, 8 alpha bits): level, alpha
// for each pixel; gray levels (24 bits, the depth that holds an 8-bit mask)
// with an 8-bit mask in every orientation.
TEST(TgaReader, GrayWithAlphaInEveryOrientationRawAndRunLength) {
  // Pixels A B / C D as (level, alpha).
  const uint8_t A[2] = {10, 0}, B[2] = {20, 100}, C[2] = {30, 200}, D[2] = {40, 255};
  auto raw = [](std::initializer_list<const uint8_t*> px) {
    std::vector<uint8_t> v;
    for (const uint8_t* p : px) v.insert(v.end(), p, p + 2);
    return v;
  };
  // The same four pixels as run-length packets: one raw packet of two, then
  // two repeat packets of one each (a packet may cross the row end).
  auto rle = [](std::initializer_list<const uint8_t*> px) {
    std::vector<const uint8_t*> p(px);
    std::vector<uint8_t> v = {0x01, p[0][0], p[0][1], p[1][0], p[1][1]};
    v.insert(v.end(), {0x80, p[2][0], p[2][1], 0x80, p[3][0], p[3][1]});
    return v;
  };
  const struct {
    int descriptor;
    std::vector<const uint8_t*> order;
  } cases[] = {
      {0x28, {A, B, C, D}},  // top-left
      {0x08, {C, D, A, B}},  // bottom-left
      {0x38, {B, A, D, C}},  // top-right
      {0x18, {D, C, B, A}},  // bottom-right
  };
  for (const auto& c : cases) {
    const std::initializer_list<const uint8_t*> px = {c.order[0], c.order[1], c.order[2], c.order[3]};
    for (const int type : {3, 11}) {
      const auto read = ReadBytesWithCodec(ReadTga, TgaFile(type, 2, 2, 16, c.descriptor, type == 3 ? raw(px) : rle(px)));
      ASSERT_EQ(read.result, IMAGEIO_OK) << c.descriptor << " type " << type;
      const CRasterImage& im = read.image;
      ASSERT_EQ(im.GetBitsPerPixel(), 24);
      ASSERT_TRUE(im.HasValidMask());
      ASSERT_EQ(im.GetMaskBitsPerPixel(), 8);
      const uint8_t* expected[2][2] = {{A, B}, {C, D}};
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
          const uint8_t level = expected[y][x][0];
          EXPECT_EQ(PixelAt(im, x, y), MakeRGBQuad(level, level, level)) << c.descriptor << " " << x << "," << y;
          EXPECT_EQ(im.GetMaskRow(y)[x], expected[y][x][1]) << c.descriptor << " " << x << "," << y;
        }
    }
  }
  // No alpha bits declared: the second byte is not alpha.
  const auto noAlpha = ReadBytesWithCodec(ReadTga, TgaFile(3, 2, 1, 16, 0x20, {5, 0, 6, 0}));
  ASSERT_EQ(noAlpha.result, IMAGEIO_OK);
  EXPECT_FALSE(noAlpha.image.HasMask());
  EXPECT_EQ(noAlpha.image.GetBitsPerPixel(), 8);
  EXPECT_EQ(PixelAt(noAlpha.image, 1, 0), MakeRGBQuad(6, 6, 6));
  // Other gray depths stay refused.
  EXPECT_EQ(ReadBytesWithCodec(ReadTga, TgaFile(3, 1, 1, 24, 0x20, {1, 2, 3})).result, IMAGEIO_BAD_COLOR_MODE);
}

TEST(TgaReader, FifteenAndSixteenBitPixels) {
  // 0x7FFF white, 0x0421 = (1, 1, 1) in 5 bits.
  auto r15 = ReadBytesWithCodec(ReadTga, TgaFile(2, 2, 1, 15, 0x20, {0xFF, 0x7F, 0x21, 0x04}));
  ASSERT_EQ(r15.result, IMAGEIO_OK);
  EXPECT_EQ(PixelAt(r15.image, 0, 0), MakeRGBQuad(255, 255, 255));
  EXPECT_EQ(PixelAt(r15.image, 1, 0), MakeRGBQuad(8, 8, 8));
  EXPECT_FALSE(r15.image.HasMask());

  // Attribute bits all set: opaque, no mask.
  auto all = ReadBytesWithCodec(ReadTga, TgaFile(2, 2, 1, 16, 0x21, {0xFF, 0xFF, 0x21, 0x84}));
  ASSERT_EQ(all.result, IMAGEIO_OK);
  EXPECT_FALSE(all.image.HasMask());
  // Mixed: an 8-bit mask of 255 and 0.
  auto mixed = ReadBytesWithCodec(ReadTga, TgaFile(2, 2, 1, 16, 0x21, {0xFF, 0xFF, 0x21, 0x04}));
  ASSERT_EQ(mixed.result, IMAGEIO_OK);
  ASSERT_TRUE(mixed.image.HasValidMask());
  EXPECT_EQ(mixed.image.GetMaskBitsPerPixel(), 8);
  EXPECT_EQ(mixed.image.GetMaskRow(0)[0], 255);
  EXPECT_EQ(mixed.image.GetMaskRow(0)[1], 0);
}

TEST(TgaReader, ThirtyTwoBitWithAllAlphaZeroIsOpaque) {
  auto read = ReadBytesWithCodec(ReadTga, TgaFile(2, 2, 1, 32, 0x20, {1, 2, 3, 0, 4, 5, 6, 0}));
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_FALSE(read.image.HasMask());
  EXPECT_EQ(PixelAt(read.image, 1, 0), MakeRGBQuad(6, 5, 4));
}

TEST(TgaReader, RunsThatCrossRowsCarryIntoTheNextRow) {
  // 3 x 2, 8-bit gray, one repeat packet of 4 then a raw packet of 2 that
  // starts in the middle of row 1.
  auto read = ReadBytesWithCodec(ReadTga, TgaFile(11, 3, 2, 8, 0x20, {0x83, 50, 0x01, 60, 70}));
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetRow(0)[0], 50);
  EXPECT_EQ(read.image.GetRow(0)[2], 50);
  EXPECT_EQ(read.image.GetRow(1)[0], 50);
  EXPECT_EQ(read.image.GetRow(1)[1], 60);
  EXPECT_EQ(read.image.GetRow(1)[2], 70);
}

TEST(TgaReader, ColourMapOnATrueColourTypeIsSkipped) {
  // Type 2 with a 2-entry 24-bit map that the pixels do not use.
  auto read = ReadBytesWithCodec(ReadTga, TgaFile(2, 1, 1, 24, 0x20, {9, 9, 9, 9, 9, 9, 30, 20, 10}, 1, 0, 2, 24));
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(PixelAt(read.image, 0, 0), MakeRGBQuad(10, 20, 30));
}

TEST(TgaReader, ColourMapEntriesFromTheFirstIndexOn) {
  // Map starts at index 254 with 3 entries: the third falls beyond 255.
  auto read = ReadBytesWithCodec(
      ReadTga, TgaFile(1, 2, 1, 8, 0x20, {1, 2, 3, 4, 5, 6, 7, 8, 9, 254, 255}, 1, 254, 3, 24));
  ASSERT_EQ(read.result, IMAGEIO_OK);
  ASSERT_EQ(read.image.GetBitsPerPixel(), 8);
  EXPECT_EQ(PixelAt(read.image, 0, 0), MakeRGBQuad(3, 2, 1));
  EXPECT_EQ(PixelAt(read.image, 1, 0), MakeRGBQuad(6, 5, 4));
}

TEST(TgaReader, RefusesHeadersThatMakeNoSense) {
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    int result;
  } cases[] = {
      {"short header", {0, 0, 2, 0, 0}, IMAGEIO_CORRUPT},
      {"no image data type", TgaFile(0, 1, 1, 24, 0, {1, 2, 3}), IMAGEIO_BAD_FORMAT},
      {"unknown type", TgaFile(32, 1, 1, 24, 0, {1, 2, 3}), IMAGEIO_BAD_FORMAT},
      {"depth 12", TgaFile(2, 1, 1, 12, 0, {1, 2}), IMAGEIO_BAD_COLOR_MODE},
      {"colour-mapped 16-bit indexes", TgaFile(1, 1, 1, 16, 0, {0, 0, 0, 0, 0}, 1, 0, 1, 24), IMAGEIO_BAD_COLOR_MODE},
      {"colour-mapped without a map", TgaFile(1, 1, 1, 8, 0, {0}), IMAGEIO_CORRUPT},
      {"map entries of 7 bits", TgaFile(1, 1, 1, 8, 0, {0, 0}, 1, 0, 1, 7), IMAGEIO_CORRUPT},
      {"zero width", TgaFile(2, 0, 1, 24, 0, {}), IMAGEIO_CORRUPT},
      {"zero height", TgaFile(2, 1, 0, 24, 0, {}), IMAGEIO_CORRUPT},
      {"wider than the model holds", TgaFile(2, 40000, 1, 24, 0, {}), IMAGEIO_NO_MEMORY},
      {"truncated colour map", TgaFile(1, 1, 1, 8, 0, {1, 2}, 1, 0, 4, 24), IMAGEIO_CORRUPT},
  };
  for (const auto& c : cases) {
    const auto read = ReadBytesWithCodec(ReadTga, c.file);
    EXPECT_EQ(read.result, c.result) << c.what;
    EXPECT_TRUE(read.image.IsEmpty()) << c.what;
  }
}

TEST(TgaReader, TruncatedPixelsKeepTheRowsRead) {
  auto read = ReadBytesWithCodec(ReadTga, TgaFile(10, 4, 4, 24, 0x20, {0x83, 1, 2, 3, 0x80}));
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(PixelAt(read.image, 3, 0), MakeRGBQuad(3, 2, 1));
  EXPECT_EQ(PixelAt(read.image, 0, 3), MakeRGBQuad(0, 0, 0));
}

TEST(TgaReader, CancelEmptiesTheImage) {
  std::vector<uint8_t> body(3 * 4 * 4, 7);
  CMemStream stream;
  stream.SetMode(CBufferedFile::kWrite);
  const auto file = TgaFile(2, 4, 4, 24, 0x20, body);
  stream.Write(file.data(), static_cast<int>(file.size()));
  stream.SetMode(CBufferedFile::kRead);
  CCodecJob job;
  job.m_pStream = &stream;
  job.m_pfnCancel = [] { return true; };
  EXPECT_EQ(ReadTga(&job), IMAGEIO_CANCELLED);
  EXPECT_EQ(job.m_nResult, IMAGEIO_CANCELLED);
  EXPECT_TRUE(job.m_image.IsEmpty());
}

// ---- writer -----------------------------------------------------------------

TEST(TgaWriter, RowOfThreeHundredEqualPixelsIsThreeRepeatPackets) {
  CRasterImage image;
  image.Create(300, 1, 24);
  for (int x = 0; x < 300; ++x) {
    image.GetWritableBits()[3 * x] = 10;
    image.GetWritableBits()[3 * x + 1] = 20;
    image.GetWritableBits()[3 * x + 2] = 30;
  }
  const auto bytes = WriteToBytes(WriteTga, image);
  ASSERT_EQ(bytes.size(), 18u + 3 * 4);
  EXPECT_EQ(bytes[2], 10);
  EXPECT_EQ(bytes[16], 24);
  EXPECT_EQ(bytes[17], 0x20);
  EXPECT_EQ(bytes[18], 0x80 | 127);
  EXPECT_EQ(bytes[19], 30);  // blue, green, red
  EXPECT_EQ(bytes[22], 0x80 | 127);
  EXPECT_EQ(bytes[26], 0x80 | 43);
}

TEST(TgaWriter, FourBitImageIsColourMappedWithOneBytePerPixel) {
  const CRasterImage image = MakeIndexedPicture(5, 2, 4);
  const auto bytes = WriteToBytes(WriteTga, image);
  EXPECT_EQ(bytes[1], 1);
  EXPECT_EQ(bytes[2], 9);
  EXPECT_EQ(bytes[5] | bytes[6] << 8, 16);
  EXPECT_EQ(bytes[7], 24);
  EXPECT_EQ(bytes[16], 8);
  // The first pixel packet follows the 16 * 3 map bytes.
  const size_t pixels = 18 + 48;
  EXPECT_EQ(bytes[pixels], 4);  // raw packet of 5
  EXPECT_EQ(bytes[pixels + 1], 0);
  EXPECT_EQ(bytes[pixels + 2], 1);
  const auto read = ReadBytesWithCodec(ReadTga, bytes);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(CompareRgb(read.image, image), "");
}

TEST(TgaWriter, OneBitWithMaskIsSixteenBitWithAttributeBits) {
  for (bool whiteFirst : {false, true}) {
    CRasterImage image;
    image.Create(2, 1, 1);
    image.GetWritablePalette()[whiteFirst ? 1 : 0] = MakeRGBQuad(0, 0, 0);
    image.GetWritablePalette()[whiteFirst ? 0 : 1] = MakeRGBQuad(255, 255, 255);
    SetPixel1(image.GetWritableBits(), 1, 1);  // pixel 0 index 0, pixel 1 index 1
    image.CreateMask();
    SetPixel1(image.GetWritableMaskBits(), 0, 1);  // pixel 0 opaque, pixel 1 transparent
    const auto bytes = WriteToBytes(WriteTga, image);
    EXPECT_EQ(bytes[16], 16);
    EXPECT_EQ(bytes[17], 0x21);
    ASSERT_EQ(bytes.size(), 18u + 1 + 4);
    EXPECT_EQ(bytes[18], 1);  // raw packet of 2
    const int p0 = bytes[19] | bytes[20] << 8, p1 = bytes[21] | bytes[22] << 8;
    EXPECT_EQ(p0, whiteFirst ? 0xFFFF : 0x8000);
    EXPECT_EQ(p1, whiteFirst ? 0x0000 : 0x7FFF);
  }
}

// Our files read back identically by us and by other programs.
struct WriteCase {
  const char* name;
  CRasterImage (*make)();
};

CRasterImage Rgb() { return MakeTestPicture(41, 19); }
CRasterImage Rgba() {
  CRasterImage p = MakeTestPicture(41, 19);
  p.CreateMask();
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 41; ++x) p.GetWritableMaskBits()[y * p.GetMaskStride() + x] = static_cast<uint8_t>(x * 6);
  return p;
}
CRasterImage Gray() {
  CRasterImage p;
  p.Create(33, 9, 8);
  SetGrayPalette(p);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 33; ++x) p.GetWritableBits()[y * p.GetStride() + x] = static_cast<uint8_t>(x * 7 + y);
  return p;
}
CRasterImage Indexed8() { return MakeIndexedPicture(33, 9, 8); }
CRasterImage Indexed4() { return MakeIndexedPicture(15, 7, 4); }
CRasterImage Indexed1() { return MakeIndexedPicture(9, 7, 1); }
CRasterImage Indexed4Masked() {
  CRasterImage p = MakeIndexedPicture(15, 7, 4);
  p.CreateMask();
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 15; ++x) SetPixel1(p.GetWritableMaskBits() + y * p.GetMaskStride(), static_cast<int16_t>(x), (x + y) & 1);
  return p;
}
CRasterImage BlackWhiteMasked() {
  CRasterImage p = MakeIndexedPicture(9, 5, 1);
  p.GetWritablePalette()[0] = MakeRGBQuad(0, 0, 0);
  p.GetWritablePalette()[1] = MakeRGBQuad(255, 255, 255);
  p.CreateMask();
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x) SetPixel1(p.GetWritableMaskBits() + y * p.GetMaskStride(), static_cast<int16_t>(x), x % 3 != 0);
  return p;
}

const WriteCase kWriteCases[] = {
    {"rgb", Rgb},         {"rgba", Rgba},         {"gray", Gray},
    {"indexed8", Indexed8}, {"indexed4", Indexed4}, {"indexed1", Indexed1},
    {"indexed4_masked", Indexed4Masked}, {"black_white_masked", BlackWhiteMasked},
};

class TgaRoundTrip : public ::testing::TestWithParam<WriteCase> {};

TEST_P(TgaRoundTrip, ReadsBackIdentically) {
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WriteTga, dir / "ours.tga", image), IMAGEIO_OK);
  const auto read = ReadWithCodec(ReadTga, dir / "ours.tga");
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(CompareRgb(read.image, image), "");
  EXPECT_EQ(read.image.HasValidMask(), image.HasValidMask());
}

TEST_P(TgaRoundTrip, ImageMagickReadsOurs) {
  REQUIRE_TOOL("convert");
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WriteTga, dir / "ours.tga", image), IMAGEIO_OK);
  ASSERT_TRUE(ImageMagickToPam(dir / "ours.tga", dir / "im.pam"));
  EXPECT_EQ(CompareRgb(ReadPnm(dir / "im.pam"), image), "");
}

TEST_P(TgaRoundTrip, PillowReadsOurs) {
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WriteTga, dir / "ours.tga", image), IMAGEIO_OK);
  ASSERT_TRUE(PillowToPam(dir / "ours.tga", dir / "pil.pam"));
  CRasterImage expected = image;
  // Pillow reads 16-bit files as 5-5-5 colour without the attribute bit.
  if (std::string(GetParam().name) == "black_white_masked") expected.RemoveMask();
  EXPECT_EQ(CompareRgb(ReadPnm(dir / "pil.pam"), expected), "");
}

TEST_P(TgaRoundTrip, NetpbmReadsOurColours) {
  REQUIRE_TOOL("tgatoppm");
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WriteTga, dir / "ours.tga", image), IMAGEIO_OK);
  ASSERT_EQ(RunCommand("tgatoppm " + ShellQuote((dir / "ours.tga").string()) + " > " + ShellQuote((dir / "nb.ppm").string()) +
                       " 2>/dev/null"),
            0);
  CRasterImage opaque = ToRgb(image);
  opaque.RemoveMask();
  CRasterImage theirs = ReadPnm(dir / "nb.ppm");
  EXPECT_EQ(CompareRgb(theirs, opaque), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, TgaRoundTrip, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
