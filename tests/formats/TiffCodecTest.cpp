#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <vector>

#include "base/ImageGeometry.h"
#include "formats/TiffCodec.h"
#include "imaging/PixelAccess.h"
#include "tests/support/CodecRoundTrip.h"

namespace {

using namespace testing_support;

// ---- a small reader of little-endian TIFF directories, for layout checks ----

struct Entry {
  int type = 0;
  uint32_t count = 0;
  uint32_t value = 0;  // a SHORT value, or the field as a 32-bit number
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
int Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }

struct Directory {
  uint32_t offset = 0;
  std::vector<int> tags;  // in file order
  std::map<int, Entry> entries;
  uint32_t next = 0;
};

Directory ReadDirectory(const std::vector<uint8_t>& b, uint32_t offset) {
  Directory d;
  d.offset = offset;
  const int n = Le16(b, offset);
  for (int i = 0; i < n; ++i) {
    const size_t at = offset + 2 + 12 * static_cast<size_t>(i);
    Entry e;
    e.type = Le16(b, at + 2);
    e.count = Le32(b, at + 4);
    e.value = (e.type == 3 && e.count == 1) ? static_cast<uint32_t>(Le16(b, at + 8)) : Le32(b, at + 8);
    d.tags.push_back(Le16(b, at));
    d.entries[Le16(b, at)] = e;
  }
  d.next = Le32(b, offset + 2 + 12 * static_cast<size_t>(n));
  return d;
}

RGBQUAD PixelAt(const CRasterImage& image, int x, int y) {
  const uint8_t* row = image.GetRow(y);
  if (image.GetBitsPerPixel() == 24) return MakeRGBQuad(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
  return image.GetPalette()[GetPixelGetter(image.GetBitsPerPixel())(row, static_cast<int16_t>(x))];
}

CRasterImage WithAlpha(CRasterImage p) {
  p.CreateMask();
  for (int y = 0; y < p.GetHeight(); ++y)
    for (int x = 0; x < p.GetWidth(); ++x)
      p.GetWritableMaskBits()[y * p.GetMaskStride() + x] = static_cast<uint8_t>((x * 9 + y * 5) % 256);
  return p;
}

CRasterImage WithOneBitMask(CRasterImage p) {
  p.CreateMask();
  for (int y = 0; y < p.GetHeight(); ++y)
    for (int x = 0; x < p.GetWidth(); ++x)
      SetPixel1(p.GetWritableMaskBits() + y * p.GetMaskStride(), static_cast<int16_t>(x), (x / 2 + y) % 3 != 0);
  return p;
}

// ---- writer layout ------------------------------------------------------------------

TEST(TiffWriter, HundredSquareColourImageHasFourStripsOf26Rows) {
  const auto bytes = WriteToBytes(WriteTiff, MakeTestPicture(100, 100));
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes[0], 'I');
  EXPECT_EQ(Le16(bytes, 2), 42);
  const Directory d = ReadDirectory(bytes, Le32(bytes, 4));
  EXPECT_EQ(d.offset % 4, 0u);
  EXPECT_EQ(d.entries.at(278).value, 26u);
  EXPECT_EQ(d.entries.at(273).count, 4u);
  EXPECT_EQ(d.entries.at(279).count, 4u);
  EXPECT_EQ(Le32(bytes, d.entries.at(279).value + 12), 22u * 300);  // the last strip holds the rest
  EXPECT_EQ(d.entries.at(262).value, 2u);
  EXPECT_EQ(d.entries.at(277).value, 3u);
  EXPECT_EQ(d.tags.size(), 10u);
  EXPECT_EQ(d.next, 0u);
}

TEST(TiffWriter, RowsOf8000BytesOrMoreGetOneRowPerStrip) {
  const auto bytes = WriteToBytes(WriteTiff, MakeTestPicture(2700, 3));
  const Directory d = ReadDirectory(bytes, Le32(bytes, 4));
  EXPECT_EQ(d.entries.at(278).value, 1u);
  EXPECT_EQ(d.entries.at(273).count, 3u);
}

TEST(TiffWriter, PaletteImageWithMaskAndCommentLinksAMaskDirectory) {
  const CRasterImage image = WithOneBitMask(MakeIndexedPicture(21, 5, 8));
  const auto bytes = WriteToBytes(WriteTiff, image, "a comment");
  const Directory d = ReadDirectory(bytes, Le32(bytes, 4));
  EXPECT_EQ(d.tags, (std::vector<int>{254, 256, 257, 258, 259, 262, 270, 273, 277, 278, 279, 320}));
  EXPECT_EQ(d.entries.at(262).value, 3u);
  EXPECT_EQ(d.entries.at(320).count, 768u);
  ASSERT_NE(d.next, 0u);
  const Directory m = ReadDirectory(bytes, d.next);
  EXPECT_EQ(m.tags.size(), 10u);
  EXPECT_EQ(m.entries.at(254).value, 4u);
  EXPECT_EQ(m.entries.at(262).value, 4u);
  EXPECT_EQ(m.entries.at(258).value, 1u);
  EXPECT_EQ(m.next, 0u);
  // The mask strip holds the mask rows.
  EXPECT_EQ(bytes[m.entries.at(273).value], image.GetMaskRow(0)[0]);
}

TEST(TiffWriter, CommentsInlineUpToFourCharactersElseAtAnOffset) {
  const CRasterImage image = MakeTestPicture(3, 2);
  {
    const auto bytes = WriteToBytes(WriteTiff, image, "abc");
    const Entry e = ReadDirectory(bytes, Le32(bytes, 4)).entries.at(270);
    EXPECT_EQ(e.type, 2);
    EXPECT_EQ(e.count, 3u);
    EXPECT_EQ(e.value, 'a' | 'b' << 8 | 'c' << 16);
  }
  for (const std::string text : {"seven c", "eight ch"}) {
    const auto bytes = WriteToBytes(WriteTiff, image, text);
    const Directory d = ReadDirectory(bytes, Le32(bytes, 4));
    const Entry e = d.entries.at(270);
    EXPECT_EQ(e.count, text.size() + 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + e.value)), text);
    EXPECT_EQ(e.value % 2, 0u);
  }
  // No comment: no ImageDescription.
  const auto none = WriteToBytes(WriteTiff, image);
  EXPECT_EQ(ReadDirectory(none, Le32(none, 4)).entries.count(270), 0u);
}

TEST(TiffWriter, ValuesStartOnEvenOffsets) {
  // 3 x 1 RGB: 9 bytes of strip, so the BitsPerSample values would be odd.
  const auto bytes = WriteToBytes(WriteTiff, MakeTestPicture(3, 1));
  const Directory d = ReadDirectory(bytes, Le32(bytes, 4));
  EXPECT_EQ(d.entries.at(258).value % 2, 0u);
  EXPECT_EQ(Le16(bytes, d.entries.at(258).value), 8);
}

TEST(TiffWriter, OneBitImagesKeepTheirPalette) {
  const struct {
    RGBQUAD c0, c1;
    uint32_t photometric;
  } cases[] = {
      {MakeRGBQuad(0, 0, 0), MakeRGBQuad(255, 255, 255), 1},
      {MakeRGBQuad(255, 255, 255), MakeRGBQuad(0, 0, 0), 3},
      {MakeRGBQuad(200, 10, 10), MakeRGBQuad(10, 10, 200), 3},
  };
  for (const auto& c : cases) {
    CRasterImage image = MakeIndexedPicture(13, 3, 1);
    image.GetWritablePalette()[0] = c.c0;
    image.GetWritablePalette()[1] = c.c1;
    const auto bytes = WriteToBytes(WriteTiff, image);
    EXPECT_EQ(ReadDirectory(bytes, Le32(bytes, 4)).entries.at(262).value, c.photometric);
    const auto read = ReadBytesWithCodec(ReadTiff, bytes);
    ASSERT_EQ(read.result, IMAGEIO_OK);
    EXPECT_EQ(read.image.GetBitsPerPixel(), 1);
    EXPECT_EQ(CompareRgb(read.image, image), "");
  }
}

// ---- round trips and other programs reading ours ----------------------------------

struct WriteCase {
  const char* name;
  CRasterImage (*make)();
};

CRasterImage Rgb() { return MakeTestPicture(45, 31); }
CRasterImage Rgba() { return WithAlpha(MakeTestPicture(45, 31)); }
CRasterImage Gray() {
  CRasterImage p;
  p.Create(35, 9, 8);
  SetGrayPalette(p);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 35; ++x) p.GetWritableBits()[y * p.GetStride() + x] = static_cast<uint8_t>(x * 7 + y);
  return p;
}
CRasterImage Indexed8() { return MakeIndexedPicture(33, 9, 8); }
CRasterImage Indexed4() { return MakeIndexedPicture(15, 7, 4); }
CRasterImage BlackWhite() {
  CRasterImage p = MakeIndexedPicture(19, 5, 1);
  p.GetWritablePalette()[0] = MakeRGBQuad(0, 0, 0);
  p.GetWritablePalette()[1] = MakeRGBQuad(255, 255, 255);
  return p;
}
CRasterImage WhiteBlack() {
  CRasterImage p = BlackWhite();
  std::swap(p.GetWritablePalette()[0], p.GetWritablePalette()[1]);
  return p;
}
CRasterImage TwoColours() { return MakeIndexedPicture(19, 5, 1); }
CRasterImage Indexed8Masked() { return WithOneBitMask(MakeIndexedPicture(33, 9, 8)); }
CRasterImage Indexed1Masked() { return WithOneBitMask(BlackWhite()); }

const WriteCase kWriteCases[] = {
    {"rgb", Rgb},
    {"rgba", Rgba},
    {"gray", Gray},
    {"indexed8", Indexed8},
    {"indexed4", Indexed4},
    {"black_white", BlackWhite},
    {"white_black", WhiteBlack},
    {"two_colours", TwoColours},
    {"indexed8_masked", Indexed8Masked},
    {"indexed1_masked", Indexed1Masked},
};

// Indexed masks live in a second directory that other programs read as a
// page of its own: they are compared on the first page's colours.
CRasterImage SeenByOthers(const CRasterImage& image) {
  if (image.GetBitsPerPixel() == 24) return image;
  CRasterImage opaque = image;
  opaque.RemoveMask();
  return opaque;
}

class TiffRoundTrip : public ::testing::TestWithParam<WriteCase> {};

TEST_P(TiffRoundTrip, ReadsBackIdentically) {
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WriteTiff, dir / "ours.tif", image, "round trip"), IMAGEIO_OK);
  CAnimFrame frames[2];
  const auto read = ReadWithCodec(ReadTiff, dir / "ours.tif", frames, 2);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetBitsPerPixel(), image.GetBitsPerPixel());
  EXPECT_EQ(CompareRgb(read.image, image), "");
  EXPECT_EQ(read.image.HasValidMask(), image.HasValidMask());
  EXPECT_EQ(read.job.m_strComment, "round trip");
  // A mask directory is not a page.
  CBufferedFile f;
  ASSERT_TRUE(f.Open((dir / "ours.tif").string().c_str(), 1));
  EXPECT_EQ(CountTiffPages(&f), 1);
  EXPECT_EQ(CompareRgb(frames[0].m_image, image), "");
  EXPECT_EQ(frames[0].m_nDelay, 100);
  EXPECT_TRUE(frames[1].m_image.IsEmpty());
}

TEST_P(TiffRoundTrip, LibtiffToolsAcceptOurs) {
  REQUIRE_TOOL("tiffinfo");
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WriteTiff, dir / "ours.tif", image, "a longer comment"), IMAGEIO_OK);
  std::string output;
  EXPECT_EQ(RunCommand("tiffinfo -D " + ShellQuote((dir / "ours.tif").string()), &output), 0) << output;
  EXPECT_EQ(output.find("Warning"), std::string::npos) << output;
  EXPECT_EQ(output.find("Error"), std::string::npos) << output;
}

TEST_P(TiffRoundTrip, ImageMagickReadsOurs) {
  REQUIRE_TOOL("convert");
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WriteTiff, dir / "ours.tif", image), IMAGEIO_OK);
  ASSERT_TRUE(ImageMagickToPam((dir / "ours.tif").string() + "[0]", dir / "im.pam"));
  EXPECT_EQ(CompareRgb(ReadPnm(dir / "im.pam"), SeenByOthers(image)), "");
}

TEST_P(TiffRoundTrip, PillowReadsOurs) {
  const CRasterImage image = GetParam().make();
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WriteTiff, dir / "ours.tif", image), IMAGEIO_OK);
  ASSERT_TRUE(PillowToPam(dir / "ours.tif", dir / "pil.pam"));
  EXPECT_EQ(CompareRgb(ReadPnm(dir / "pil.pam"), SeenByOthers(image)), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, TiffRoundTrip, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- files from other programs --------------------------------------------------------

struct ToolCase {
  const char* name;
  const char* tool;
  // Makes src.tif from in.pam (or, for bilevel cases, bw.tif), then out.tif from it.
  const char* source;
  const char* command;
  int depth;  // depth we read the page at
};

// src: the picture as an uncompressed TIFF written by ImageMagick or Pillow.
const char kRgb[] = "convert in.pam -depth 8 -compress None src.tif";
const char kPalette[] = "convert in.pam -depth 8 -type Palette -compress None src.tif";
const char kGray[] = "convert in.pam -depth 8 -type Grayscale -compress None src.tif";
const char kGray4[] = "convert in.pam -depth 4 -type Grayscale -compress None src.tif";
const char kRgb16[] = "convert in.pam -depth 16 -compress None src.tif";
const char kGray16[] = "convert in.pam -depth 16 -type Grayscale -compress None src.tif";
const char kBilevel[] = "/usr/bin/python3 make_bilevel.py src.tif";
const char kRgbaPillow[] = "/usr/bin/python3 make_rgba.py in.pam src.tif";
const char kRgba16[] = "convert in.pam -depth 16 -compress None src.tif";

const ToolCase kToolCases[] = {
    {"rgb_none", "tiffcp", kRgb, "tiffcp -c none src.tif out.tif", 24},
    {"rgb_lzw", "tiffcp", kRgb, "tiffcp -c lzw src.tif out.tif", 24},
    {"rgb_lzw_predictor", "tiffcp", kRgb, "tiffcp -c lzw:2 src.tif out.tif", 24},
    {"rgb_packbits", "tiffcp", kRgb, "tiffcp -c packbits src.tif out.tif", 24},
    {"rgb_deflate", "tiffcp", kRgb, "tiffcp -c zip src.tif out.tif", 24},
    {"rgb_tiles", "tiffcp", kRgb, "tiffcp -c lzw -t -w 16 -l 16 src.tif out.tif", 24},
    {"rgb_tiles_uncompressed", "tiffcp", kRgb, "tiffcp -c none -t -w 32 -l 16 src.tif out.tif", 24},
    {"palette_tiles_uncompressed", "tiffcp", kPalette, "tiffcp -c none -t -w 16 -l 32 src.tif out.tif", 8},
    {"rgb_strips_of_one_row", "tiffcp", kRgb, "tiffcp -c packbits -r 1 src.tif out.tif", 24},
    {"rgb_planar", "tiffcp", kRgb, "tiffcp -p separate src.tif out.tif", 24},
    {"rgb_single_strip", "tiffcp", kRgb, "tiffcp -c lzw -r 100000 src.tif out.tif", 24},
    {"rgb_16bit", "tiffcp", kRgb16, "tiffcp -c zip src.tif out.tif", 24},
    {"palette_none", "tiffcp", kPalette, "tiffcp -c none src.tif out.tif", 8},
    {"palette_lzw_tiles", "tiffcp", kPalette, "tiffcp -c lzw -t -w 16 -l 16 src.tif out.tif", 8},
    {"palette_packbits", "tiffcp", kPalette, "tiffcp -c packbits src.tif out.tif", 8},
    {"gray_deflate", "tiffcp", kGray, "tiffcp -c zip src.tif out.tif", 8},
    {"gray_tiles", "tiffcp", kGray, "tiffcp -t -w 32 -l 16 src.tif out.tif", 8},
    {"gray4", "tiffcp", kGray4, "tiffcp -c lzw src.tif out.tif", 4},
    {"gray_16bit", "tiffcp", kGray16, "tiffcp -c zip src.tif out.tif", 8},
    {"gray_16bit_tiles", "tiffcp", kGray16, "tiffcp -c lzw -t -w 16 -l 16 src.tif out.tif", 8},
    {"bilevel_none", "tiffcp", kBilevel, "tiffcp -c none src.tif out.tif", 1},
    {"bilevel_g3", "tiffcp", kBilevel, "tiffcp -c g3 src.tif out.tif", 1},
    {"bilevel_g3_2d", "tiffcp", kBilevel, "tiffcp -c g3:2d src.tif out.tif", 1},
    {"bilevel_g4", "tiffcp", kBilevel, "tiffcp -c g4 src.tif out.tif", 1},
    {"bilevel_packbits_tiles", "tiffcp", kBilevel, "tiffcp -c packbits -t -w 16 -l 16 src.tif out.tif", 1},
    {"bilevel_fax2tiff", "fax2tiff", kBilevel,
     "tiffcp -c g3:1d -r 100000 src.tif g3.tif && /usr/bin/python3 strip0.py g3.tif raw.g3 && "
     "fax2tiff -M -X 64 -o out.tif raw.g3",
     1},
    {"rgba_straight_pillow", "tiffcp", kRgbaPillow, "tiffcp -c lzw src.tif out.tif", 24},
    {"rgba_straight_tiles", "tiffcp", kRgbaPillow, "tiffcp -t -w 16 -l 16 src.tif out.tif", 24},
    {"rgba_straight_planar", "tiffcp", kRgbaPillow, "tiffcp -p separate src.tif out.tif", 24},
    {"rgba_straight_16bit", "tiffcp", kRgba16, "tiffcp -c zip src.tif out.tif", 24},
};

const char kMakeBilevel[] =
    "import sys\n"
    "from PIL import Image\n"
    "im = Image.new('1', (64, 21), 1)\n"
    "for y in range(21):\n"
    "    for x in range(64):\n"
    "        if (x // 4 + y // 3) % 2 or x == y: im.putpixel((x, y), 0)\n"
    "im.save(sys.argv[1])\n";
const char kMakeRgba[] =
    "import sys\n"
    "from PIL import Image\n"
    "data = open(sys.argv[1], 'rb').read()\n"
    "head, _, body = data.partition(b'ENDHDR\\n')\n"
    "f = dict(l.split(b' ', 1) for l in head.split(b'\\n')[1:] if b' ' in l)\n"
    "w, h = int(f[b'WIDTH']), int(f[b'HEIGHT'])\n"
    "Image.frombytes('RGBA', (w, h), body).save(sys.argv[2])\n";
const char kStrip0[] =
    "import sys\n"
    "from PIL import Image\n"
    "t = Image.open(sys.argv[1]).tag_v2\n"
    "o, n = t[273][0], t[279][0]\n"
    "open(sys.argv[2], 'wb').write(open(sys.argv[1], 'rb').read()[o:o + n])\n";

class TiffFromTools : public ::testing::TestWithParam<ToolCase> {};

TEST_P(TiffFromTools, ReadsLikeImageMagickAndTheSource) {
  const ToolCase& c = GetParam();
  REQUIRE_TOOL(c.tool);
  REQUIRE_TOOL("convert");
  TempDir dir;
  const bool alpha = c.source == kRgbaPillow || c.source == kRgba16;
  const CRasterImage source = c.depth == 8 && c.source == kPalette ? MakeIndexedPicture(37, 29, 8)
                              : alpha                                ? WithAlpha(MakeTestPicture(37, 29))
                                                                     : MakeTestPicture(37, 29);
  WritePam(dir / "in.pam", source);
  WriteFileBytes(dir / "make_bilevel.py", std::vector<uint8_t>(kMakeBilevel, kMakeBilevel + sizeof kMakeBilevel - 1));
  WriteFileBytes(dir / "make_rgba.py", std::vector<uint8_t>(kMakeRgba, kMakeRgba + sizeof kMakeRgba - 1));
  WriteFileBytes(dir / "strip0.py", std::vector<uint8_t>(kStrip0, kStrip0 + sizeof kStrip0 - 1));
  const std::string cd = "cd " + ShellQuote(dir.path().string()) + " && ";
  ASSERT_EQ(RunCommand(cd + c.source + " 2>/dev/null"), 0) << c.source;
  ASSERT_EQ(RunCommand(cd + c.command + " 2>/dev/null"), 0) << c.command;
  CAnimFrame frames[1];
  const auto read = ReadWithCodec(ReadTiff, dir / "out.tif", frames, 1);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.image.GetBitsPerPixel(), c.depth);
  EXPECT_EQ(read.image.HasValidMask(), alpha);
  // 16-bit gray is rounded to 8 bits; ImageMagick truncates some levels
  // instead (checked exactly elsewhere). libtiff's own RGBA conversion of
  // 16-bit gray misplaces the pixels of partial tiles, so it is no oracle here.
  const int tolerance = c.source == kGray16 ? 1 : 0;
  ASSERT_TRUE(ImageMagickToPam(dir / "out.tif", dir / "im.pam"));
  EXPECT_EQ(CompareRgb(read.image, ReadPnm(dir / "im.pam"), tolerance), "");
  if (c.source == kRgb || c.source == kRgb16 || alpha || c.source == kPalette) { EXPECT_EQ(CompareRgb(read.image, source), ""); }
  if (!alpha && c.source != kGray16 && HaveTool("tiff2rgba")) {
    // libtiff's own conversion to RGBA, read back through ImageMagick.
    ASSERT_EQ(RunCommand(cd + "tiff2rgba -c none out.tif rgba.tif"), 0);
    ASSERT_TRUE(ImageMagickToPam(dir / "rgba.tif", dir / "rgba.pam"));
    CRasterImage opaque = read.image;
    opaque.RemoveMask();
    CRasterImage reference = ReadPnm(dir / "rgba.pam");
    reference.RemoveMask();
    EXPECT_EQ(CompareRgb(opaque, reference), "");
  }
  EXPECT_EQ(CompareRgb(frames[0].m_image, read.image), "");
}

INSTANTIATE_TEST_SUITE_P(Tools, TiffFromTools, ::testing::ValuesIn(kToolCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TiffReader, JpegCompressedPagesReadLikeImageMagick) {
  REQUIRE_TOOL("tiffcp");
  REQUIRE_TOOL("convert");
  TempDir dir;
  const CRasterImage source = MakeTestPicture(40, 24);
  WritePam(dir / "in.pam", source);
  const std::string cd = "cd " + ShellQuote(dir.path().string()) + " && ";
  ASSERT_EQ(RunCommand(cd + "convert in.pam -depth 8 -compress None src.tif && tiffcp -c jpeg:90 src.tif out.tif"), 0);
  const auto read = ReadWithCodec(ReadTiff, dir / "out.tif");
  ASSERT_EQ(read.result, IMAGEIO_OK);
  ASSERT_TRUE(ImageMagickToPam(dir / "out.tif", dir / "im.pam"));
  EXPECT_EQ(CompareRgb(read.image, ReadPnm(dir / "im.pam"), 2), "");
  EXPECT_GT(Psnr(read.image, source), 25.0);
}

TEST(TiffReader, StraightAlphaKeepsItsColours) {
  // (200, 100, 50) at alpha 128: libtiff's own RGBA routines would give it
  // premultiplied as (100, 50, 25).
  TempDir dir;
  const std::string script =
      "from PIL import Image\n"
      "Image.new('RGBA', (4, 2), (200, 100, 50, 128)).save('a.tif')\n";
  ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.path().string()) + " && " + Python() + " -c " + ShellQuote(script)), 0);
  const auto read = ReadWithCodec(ReadTiff, dir / "a.tif");
  ASSERT_EQ(read.result, IMAGEIO_OK);
  ASSERT_TRUE(read.image.HasValidMask());
  EXPECT_EQ(PixelAt(read.image, 3, 1), MakeRGBQuad(200, 100, 50));
  EXPECT_EQ(read.image.GetMaskRow(1)[3], 128);
}

TEST(TiffReader, MultiPageFileFillsTheFrames) {
  REQUIRE_TOOL("tiffcp");
  TempDir dir;
  const CRasterImage a = MakeTestPicture(20, 10, 1), b = MakeIndexedPicture(7, 5, 8), c = BlackWhite();
  ASSERT_EQ(WriteWithCodec(WriteTiff, dir / "a.tif", a), IMAGEIO_OK);
  ASSERT_EQ(WriteWithCodec(WriteTiff, dir / "b.tif", WithOneBitMask(b)), IMAGEIO_OK);
  ASSERT_EQ(WriteWithCodec(WriteTiff, dir / "c.tif", c), IMAGEIO_OK);
  ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.path().string()) + " && tiffcp -c lzw a.tif b.tif c.tif multi.tif"), 0);
  CBufferedFile f;
  ASSERT_TRUE(f.Open((dir / "multi.tif").string().c_str(), 1));
  EXPECT_EQ(CountTiffPages(&f), 3);
  CAnimFrame frames[4];
  const auto read = ReadWithCodec(ReadTiff, dir / "multi.tif", frames, 4);
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(CompareRgb(read.image, a), "");
  EXPECT_EQ(read.job.m_nScreenWidth, 20);
  EXPECT_EQ(read.job.m_nScreenHeight, 10);
  EXPECT_EQ(CompareRgb(frames[0].m_image, a), "");
  EXPECT_EQ(CompareRgb(frames[1].m_image, WithOneBitMask(b)), "");
  EXPECT_TRUE(frames[1].m_image.HasValidMask());
  EXPECT_EQ(CompareRgb(frames[2].m_image, c), "");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(frames[i].m_nDelay, 100);
  EXPECT_TRUE(frames[3].m_image.IsEmpty());
}

// 16-bit gray pages read as 8-bit gray, each level rounded (v * 255 / 65535),
// in a file of several pages too; white-is-zero pages are inverted.
TEST(TiffReader, SixteenBitGrayPagesReadAsEightBitGray) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("tiffcp");
  REQUIRE_TOOL("tiffset");
  TempDir dir;
  const std::string cd = "cd " + ShellQuote(dir.path().string()) + " && ";
  WritePam(dir / "in.pam", MakeTestPicture(9, 4));
  ASSERT_EQ(RunCommand(cd + "convert in.pam -depth 8 -type Grayscale g8.tif && "
                            "convert in.pam -depth 16 -type Grayscale g16.tif && tiffcp g8.tif g16.tif both.tif && "
                            "tiffcp g16.tif g8.tif first16.tif && cp g16.tif white.tif && tiffset -s 262 0 white.tif"),
            0);
  // The 16-bit levels as Pillow decodes them, rounded: the expected picture.
  const std::string script =
      "import sys\nfrom PIL import Image\n"
      "im = Image.open(sys.argv[1])\n"
      "open(sys.argv[2], 'w').write(' '.join(str((v * 255 + 32767) // 65535) for v in im.getdata()))\n";
  WriteFileBytes(dir / "levels.py", std::vector<uint8_t>(script.begin(), script.end()));
  ASSERT_EQ(RunCommand(cd + Python() + " levels.py g16.tif levels.txt"), 0);
  CRasterImage expected;
  ASSERT_TRUE(expected.Create(9, 4, 8));
  SetGrayPalette(expected);
  {
    std::istringstream levels(std::string(reinterpret_cast<const char*>(ReadFileBytes(dir / "levels.txt").data()),
                                          ReadFileBytes(dir / "levels.txt").size()));
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 9; ++x) {
        int v = -1;
        levels >> v;
        ASSERT_GE(v, 0);
        expected.GetWritableBits()[y * expected.GetStride() + x] = static_cast<uint8_t>(v);
      }
  }
  const CRasterImage g8 = ReadWithCodec(ReadTiff, dir / "g8.tif").image;
  ASSERT_EQ(g8.GetBitsPerPixel(), 8);
  CAnimFrame frames[2];
  const auto both = ReadWithCodec(ReadTiff, dir / "both.tif", frames, 2);
  ASSERT_EQ(both.result, IMAGEIO_OK);
  ASSERT_FALSE(frames[1].m_image.IsEmpty());
  EXPECT_EQ(frames[1].m_image.GetBitsPerPixel(), 8);
  EXPECT_TRUE(frames[1].m_image.IsGrayscale());
  EXPECT_EQ(CompareRgb(frames[1].m_image, expected), "");
  EXPECT_EQ(CompareRgb(frames[0].m_image, g8), "");
  const auto first16 = ReadWithCodec(ReadTiff, dir / "first16.tif");
  ASSERT_EQ(first16.result, IMAGEIO_OK);
  EXPECT_EQ(CompareRgb(first16.image, expected), "");
  const auto white = ReadWithCodec(ReadTiff, dir / "white.tif");
  ASSERT_EQ(white.result, IMAGEIO_OK);
  ASSERT_EQ(white.image.GetBitsPerPixel(), 8);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x)
      EXPECT_EQ(PixelAt(white.image, x, y).rgbRed, 255 - PixelAt(expected, x, y).rgbRed) << x << "," << y;
}

TEST(TiffReader, OrientationsReadAsShown) {
  REQUIRE_TOOL("tiffset");
  REQUIRE_TOOL("convert");
  for (int bpp : {8, 24}) {
    const CRasterImage image = bpp == 8 ? MakeIndexedPicture(7, 5, 8) : MakeTestPicture(7, 5);
    for (int orientation : {1, 2, 3, 4}) {
      TempDir dir;
      ASSERT_EQ(WriteWithCodec(WriteTiff, dir / "a.tif", image), IMAGEIO_OK);
      ASSERT_EQ(RunCommand("tiffset -s 274 " + std::to_string(orientation) + " " + ShellQuote((dir / "a.tif").string())), 0);
      const auto read = ReadWithCodec(ReadTiff, dir / "a.tif");
      ASSERT_EQ(read.result, IMAGEIO_OK);
      ASSERT_EQ(RunCommand("convert " + ShellQuote((dir / "a.tif").string()) + " -auto-orient -depth 8 pam:" +
                           ShellQuote((dir / "im.pam").string())),
                0);
      EXPECT_EQ(CompareRgb(read.image, ReadPnm(dir / "im.pam")), "") << bpp << " " << orientation;
    }
  }
}

TEST(TiffReader, ResolutionAndInfoTags) {
  REQUIRE_TOOL("tiffset");
  TempDir dir;
  ASSERT_EQ(WriteWithCodec(WriteTiff, dir / "a.tif", MakeTestPicture(6, 4), "described"), IMAGEIO_OK);
  const std::string cd = "cd " + ShellQuote(dir.path().string()) + " && ";
  ASSERT_EQ(RunCommand(cd + "tiffset -s 271 'Maker' a.tif && tiffset -s 272 'Model X' a.tif && "
                            "tiffset -s 282 150 a.tif && tiffset -s 283 75.9 a.tif"),
            0);
  const auto read = ReadWithCodec(ReadTiff, dir / "a.tif");
  ASSERT_EQ(read.result, IMAGEIO_OK);
  EXPECT_EQ(read.job.m_nXResolution, 150);
  EXPECT_EQ(read.job.m_nYResolution, 75);
  CBufferedFile f;
  ASSERT_TRUE(f.Open((dir / "a.tif").string().c_str(), 1));
  CImageFileInfo info;
  ASSERT_TRUE(GetTiffInfo(&f, &info));
  EXPECT_EQ(info.m_nWidth, 6);
  EXPECT_EQ(info.m_nHeight, 4);
  EXPECT_EQ(info.m_nBitsPerPixel, 24);
  const CPropertyList expected = [] {
    CPropertyList l;
    l.Add("Image Description", "described");
    l.Add("Make", "Maker");
    l.Add("Model", "Model X");
    return l;
  }();
  EXPECT_EQ(info.m_properties, expected);
}

// A copy of our file with one directory entry's value replaced.
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, int tag, uint32_t value) {
  const uint32_t d = Le32(bytes, 4);
  const int n = Le16(bytes, d);
  for (int i = 0; i < n; ++i) {
    const size_t at = d + 2 + 12 * static_cast<size_t>(i);
    if (Le16(bytes, at) == tag) std::memcpy(bytes.data() + at + 8, &value, 4);
  }
  return bytes;
}

// A copy of our file without the given entry in its first directory.
std::vector<uint8_t> WithoutEntry(std::vector<uint8_t> bytes, int tag) {
  const uint32_t d = Le32(bytes, 4);
  const int n = Le16(bytes, d);
  for (int i = 0; i < n; ++i) {
    const size_t at = d + 2 + 12 * static_cast<size_t>(i);
    if (Le16(bytes, at) != tag) continue;
    // Move the later entries and the next-directory offset up by one entry.
    std::memmove(bytes.data() + at, bytes.data() + at + 12, 12 * static_cast<size_t>(n - i - 1) + 4);
    bytes[d] = static_cast<uint8_t>(n - 1);
    break;
  }
  return bytes;
}

TEST(TiffReader, RowsPerStripMissingOrOutOfRange) {
  const CRasterImage image = MakeTestPicture(30, 40);
  const auto bytes = WriteToBytes(WriteTiff, image);
  {
    const auto read = ReadBytesWithCodec(ReadTiff, WithoutEntry(bytes, 278));
    ASSERT_EQ(read.result, IMAGEIO_OK);
    EXPECT_EQ(CompareRgb(read.image, image), "");
  }
  // Our file has one strip for these 40 rows; the reader must decode them all
  // whatever RowsPerStrip says (the library's default for an absent tag is
  // 2^32 - 1).
  for (uint32_t rows : {0xFFFFFFFFu, 0x80000000u, 1000u, 40u}) {
    const auto read = ReadBytesWithCodec(ReadTiff, Patched(bytes, 278, rows));
    ASSERT_EQ(read.result, IMAGEIO_OK) << rows;
    EXPECT_EQ(CompareRgb(read.image, image), "") << rows;
  }
}

TEST(TiffReader, HostileFilesEndCleanly) {
  const auto good = WriteToBytes(WriteTiff, MakeTestPicture(30, 40));
  std::vector<uint8_t> loop = good;
  // The directory's next offset points back at itself.
  const uint32_t d = Le32(good, 4);
  const size_t next = d + 2 + 12 * static_cast<size_t>(Le16(good, d));
  std::memcpy(loop.data() + next, &d, 4);
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    bool opens;
  } cases[] = {
      {"directory loop", loop, true},
      {"huge width", Patched(good, 256, 0x7FFFFFFF), true},
      {"huge height", Patched(good, 257, 0xFFFFFFF0), true},
      {"strip past the end", Patched(good, 273, 0x7FFFFF00), true},
      {"byte count past the end", Patched(good, 279, 0x7FFFFF00), true},
      {"not a TIFF", std::vector<uint8_t>(64, 'x'), false},
      {"truncated header", std::vector<uint8_t>{'I', 'I', 42, 0, 8}, false},
  };
  for (const auto& c : cases) {
    CMemStream stream(c.file.data(), static_cast<int>(c.file.size()));
    EXPECT_LE(CountTiffPages(&stream), 1) << c.what;
    const auto read = ReadBytesWithCodec(ReadTiff, c.file);
    if (!c.opens) { EXPECT_EQ(read.result, IMAGEIO_CORRUPT) << c.what; }
    if (read.result != IMAGEIO_OK) { EXPECT_TRUE(read.image.IsEmpty()) << c.what; }
  }
}

TEST(TiffReader, PagesAboveTheByteBudgetAreRefused) {
  const auto bytes = WriteToBytes(WriteTiff, MakeTestPicture(300, 300));
  const int64_t saved = GetImageByteBudget();
  SetImageByteBudget(10000);
  const auto read = ReadBytesWithCodec(ReadTiff, bytes);
  SetImageByteBudget(saved);
  EXPECT_EQ(read.result, IMAGEIO_UNKNOWN_ERROR);
  EXPECT_TRUE(read.image.IsEmpty());
}

}  // namespace
