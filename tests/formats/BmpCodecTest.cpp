// The BMP codec against files other programs write and read: ImageMagick,
// netpbm and Pillow make files in every layout the reader takes, and read the
// files the writer makes; hand-built files pin RLE details and hostile
// headers.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "formats/BmpCodec.h"
#include "formats/ImageFile.h"
#include "formats/MemStream.h"
#include "imaging/PixelAccess.h"
#include "tests/formats/BmpTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;
using bmp_test::BmpSpec;
using bmp_test::BuildBmp;
using bmp_test::TestPalette;

// Writes a BMP through the front end; the path's extension picks the codec.
int SaveBmp(const CRasterImage& image, const fs::path& path) {
  CImageFileRequest request;
  request.m_strFileName = path.string();
  request.m_nWidth = int16_t(image.GetWidth());
  request.m_nHeight = int16_t(image.GetHeight());
  request.m_frames.resize(1);
  request.m_frames[0].m_image = image;
  return WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr);
}

CRasterImage LoadImage(const fs::path& path, int* result = nullptr) {
  CImageFileRequest request;
  request.m_strFileName = path.string();
  const int rc = ReadImageFile(&request);
  if (result) *result = rc;
  if (rc != IMAGEIO_OK || request.m_frames.empty()) return {};
  return request.m_frames[0].m_image;
}

CRasterImage DecodeBytes(const std::vector<uint8_t>& bytes, int* result) {
  CMemStream stream(bytes.data(), int(bytes.size()));
  CCodecJob job;
  job.m_pStream = &stream;
  *result = ReadBmp(&job);
  EXPECT_EQ(job.m_nResult, *result);
  return job.m_image;
}

// Pillow's decoding of a file as RGB or RGBA PAM.
const char kPillowToPam[] = R"(
import sys
from PIL import Image
src, dst, alpha = sys.argv[1], sys.argv[2], sys.argv[3] == '1'
im = Image.open(src); im.load()
im = im.convert('RGBA' if alpha else 'RGB')
with open(dst, 'wb') as f:
    f.write(b'P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n' % (
        im.width, im.height, 4 if alpha else 3, b'RGB_ALPHA' if alpha else b'RGB'))
    f.write(im.tobytes())
)";

// Pillow writes a PAM (RGB or RGB_ALPHA) in the mode given.
const char kPillowFromPam[] = R"(
import sys
from PIL import Image
src, dst, mode = sys.argv[1], sys.argv[2], sys.argv[3]
data = open(src, 'rb').read()
head, body = data.split(b'ENDHDR\n', 1)
fields = dict(l.split(b' ', 1) for l in head.split(b'\n')[1:] if b' ' in l)
w, h, d = int(fields[b'WIDTH']), int(fields[b'HEIGHT']), int(fields[b'DEPTH'])
im = Image.frombytes('RGBA' if d == 4 else 'RGB', (w, h), body)
if mode == 'P':
    im = im.convert('RGB').quantize(200)
elif mode != 'keep':
    im = im.convert(mode)
im.save(dst)
)";

std::string WriteScript(const TempDir& dir, const char* name, const char* text) {
  const fs::path path = dir / name;
  std::vector<uint8_t> bytes(text, text + std::strlen(text));
  WriteFileBytes(path, bytes);
  return path.string();
}

enum class Oracle { ImageMagick, Netpbm, Pillow };

// The oracle's own decoding of a BMP file.
CRasterImage OracleDecode(Oracle oracle, const TempDir& dir, const fs::path& bmp, bool alpha) {
  const fs::path out = dir / (bmp.stem().string() + "-ref.pam");
  std::string cmd;
  switch (oracle) {
    case Oracle::ImageMagick:
      cmd = "convert " + ShellQuote(bmp.string()) + (alpha ? " -type TrueColorAlpha" : " -type TrueColor -alpha off") +
            " -depth 8 " + ShellQuote("pam:" + out.string());
      break;
    case Oracle::Netpbm:
      cmd = "bmptopnm " + ShellQuote(bmp.string()) + " 2>/dev/null | pamtopnm > " + ShellQuote(out.string());
      break;
    case Oracle::Pillow:
      cmd = Python() + " " + ShellQuote(WriteScript(dir, "topam.py", kPillowToPam)) + " " + ShellQuote(bmp.string()) +
            " " + ShellQuote(out.string()) + (alpha ? " 1" : " 0");
      break;
  }
  EXPECT_EQ(RunCommand("{ " + cmd + "; } 2>/dev/null"), 0) << cmd;
  return ReadPnm(out);
}

// ---------------------------------------------------------------------------
// Files other programs write.

struct ForeignCase {
  const char* name;
  const char* make;  // shell command; {in} is a 24-bit PPM (or a PAM with alpha), {out} the BMP
  Oracle decoder;
  int depth;          // bits per pixel of the image we deliver
  bool alpha;         // the file has real alpha
  int tolerance;
  int headerSize;     // what the tool is known to write (0: not checked)
};

const ForeignCase kForeign[] = {
    {"im-bmp3-24", "convert {in} BMP3:{out}", Oracle::ImageMagick, 24, false, 0, 40},
    {"im-v5-24", "convert {in} {out}", Oracle::ImageMagick, 24, false, 0, 124},
    {"im-core-24", "convert {in} BMP2:{out}", Oracle::ImageMagick, 24, false, 0, 12},
    {"im-v5-8-rle8", "convert {in} -type Palette {out}", Oracle::ImageMagick, 8, false, 0, 124},
    {"im-v5-8-raw", "convert {in} -type Palette -compress None {out}", Oracle::ImageMagick, 8, false, 0, 124},
    {"im-bmp3-rle8", "convert {in} -type Palette -compress RLE BMP3:{out}", Oracle::ImageMagick, 8, false, 0, 40},
    {"im-bmp3-4", "convert {in} -colors 12 -type Palette BMP3:{out}", Oracle::ImageMagick, 4, false, 0, 40},
    {"im-bmp3-1", "convert {in} -monochrome BMP3:{out}", Oracle::ImageMagick, 1, false, 0, 40},
    {"im-v5-565", "convert {in} -define bmp:subtype=RGB565 {out}", Oracle::ImageMagick, 24, false, 4, 124},
    {"im-v5-32-alpha", "convert {in} {out}", Oracle::ImageMagick, 24, true, 0, 124},
    {"netpbm-24", "ppmtobmp {in} > {out}", Oracle::Netpbm, 24, false, 0, 40},
    {"netpbm-8", "pnmquant 200 {in} | ppmtobmp -bpp=8 > {out}", Oracle::Netpbm, 8, false, 0, 40},
    {"netpbm-4", "pnmquant 16 {in} | ppmtobmp -bpp=4 > {out}", Oracle::Netpbm, 4, false, 0, 40},
    {"netpbm-1", "ppmtopgm {in} | pgmtopbm | ppmtobmp > {out}", Oracle::Netpbm, 1, false, 0, 40},
    {"netpbm-os2-8", "pnmquant 200 {in} | ppmtobmp -os2 > {out}", Oracle::Netpbm, 8, false, 0, 12},
    {"pil-24", "PIL {in} {out} RGB", Oracle::Pillow, 24, false, 0, 40},
    {"pil-8", "PIL {in} {out} P", Oracle::Pillow, 8, false, 0, 40},
    {"pil-gray", "PIL {in} {out} L", Oracle::Pillow, 8, false, 0, 40},
    {"pil-1", "PIL {in} {out} 1", Oracle::Pillow, 1, false, 0, 40},
};

std::string Expand(std::string text, const std::string& key, const std::string& value) {
  for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
  return text;
}

// A 24-bit picture with an alpha ramp (for the alpha cases).
CRasterImage PictureWithAlpha(int w, int h) {
  CRasterImage image = MakeTestPicture(w, h, 3);
  image.CreateMask();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.GetWritableMaskBits()[y * image.GetMaskStride() + x] = uint8_t((x * 255) / (w - 1));
  return image;
}

class BmpForeign : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(BmpForeign, ReadsPixelsAsTheWritingProgramDecodesThem) {
  const ForeignCase& c = GetParam();
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("ppmtobmp");
  TempDir dir;
  const CRasterImage source = c.alpha ? PictureWithAlpha(37, 23) : MakeTestPicture(37, 23, 2);
  const fs::path in = dir / (c.alpha ? "in.pam" : "in.ppm");
  if (c.alpha) {
    WritePam(in, source);
  } else {
    WritePam(dir / "in.pam", source);
    ASSERT_EQ(RunCommand("pamtopnm " + ShellQuote((dir / "in.pam").string()) + " > " + ShellQuote(in.string())), 0);
  }
  const fs::path bmp = dir / (std::string(c.name) + ".bmp");
  std::string cmd = Expand(Expand(c.make, "{in}", ShellQuote(in.string())), "{out}", ShellQuote(bmp.string()));
  if (cmd.rfind("PIL ", 0) == 0)
    cmd = Python() + " " + ShellQuote(WriteScript(dir, "frompam.py", kPillowFromPam)) + " " +
          ShellQuote((dir / "in.pam").string()) + cmd.substr(cmd.find(' ', 4));
  const fs::path log = dir / "make.log";
  ASSERT_EQ(RunCommand("{ " + cmd + "; } 2>" + ShellQuote(log.string())), 0) << cmd;
  const auto bytes = ReadFileBytes(bmp);
  ASSERT_GE(bytes.size(), 26u);
  if (c.headerSize) { EXPECT_EQ(bytes[14] | bytes[15] << 8, c.headerSize) << "the tool changed its layout"; }

  int rc = -1;
  const CRasterImage ours = LoadImage(bmp, &rc);
  ASSERT_EQ(rc, IMAGEIO_OK);
  EXPECT_EQ(ours.GetBitsPerPixel(), c.depth);
  EXPECT_EQ(ours.HasValidMask(), c.alpha);
  const CRasterImage ref = OracleDecode(c.decoder, dir, bmp, c.alpha);
  EXPECT_EQ(CompareRgb(ours, ref, c.tolerance), "");
  if (c.depth == 24 && c.tolerance == 0) { EXPECT_EQ(CompareRgb(ours, source), ""); }
}

INSTANTIATE_TEST_SUITE_P(Tools, BmpForeign, ::testing::ValuesIn(kForeign),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& ch : n)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

// The same file top-down (negative height, rows in reverse order) and with
// its 124-byte header cut to the 108-byte one reads the same.
TEST(BmpRead, TopDownAndV4HeaderVariantsReadAlike) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  const CRasterImage source = PictureWithAlpha(19, 7);
  WritePam(dir / "in.pam", source);
  struct Variant {
    const char* args;
    int rowBytes;
  } variants[] = {{"-alpha off BMP3:", 19 * 3 + 3}, {"", 19 * 4}, {"-alpha off -define bmp:subtype=RGB565 ", 40}};
  for (const auto& v : variants) {
    const fs::path bmp = dir / "v.bmp";
    const std::string args = v.args;
    const bool prefix = !args.empty() && args.back() == ':';
    ASSERT_EQ(RunCommand("convert " + ShellQuote((dir / "in.pam").string()) + " " +
                         (prefix ? ShellQuote(args.substr(args.rfind(' ') + 1) + bmp.string())
                                     .insert(0, args.substr(0, args.rfind(' ') + 1))
                                 : args + ShellQuote(bmp.string()))),
              0)
        << args;
    std::vector<uint8_t> bytes = ReadFileBytes(bmp);
    int rc = -1;
    const CRasterImage bottomUp = DecodeBytes(bytes, &rc);
    ASSERT_EQ(rc, IMAGEIO_OK) << v.args;

    const uint32_t offset = bytes[10] | bytes[11] << 8;
    std::vector<uint8_t> flipped(bytes.begin(), bytes.begin() + offset);
    for (int y = 6; y >= 0; --y)
      flipped.insert(flipped.end(), bytes.begin() + offset + y * v.rowBytes,
                     bytes.begin() + offset + (y + 1) * v.rowBytes);
    bmp_test::Put32(flipped, 22, uint32_t(-7));
    const CRasterImage topDown = DecodeBytes(flipped, &rc);
    ASSERT_EQ(rc, IMAGEIO_OK);
    EXPECT_EQ(CompareRgb(topDown, bottomUp), "") << v.args;

    if ((bytes[14] | bytes[15] << 8) == 124) {
      std::vector<uint8_t> v4(bytes);
      v4.erase(v4.begin() + 14 + 108, v4.begin() + 14 + 124);
      bmp_test::Put32(v4, 14, 108);
      bmp_test::Put32(v4, 10, offset - 16);
      const CRasterImage fromV4 = DecodeBytes(v4, &rc);
      ASSERT_EQ(rc, IMAGEIO_OK);
      EXPECT_EQ(CompareRgb(fromV4, bottomUp), "") << v.args;
    }
  }
}

TEST(BmpRead, PillowRgbaWithAlphaInTheFourthByteKeepsIt) {
  TempDir dir;
  const CRasterImage source = PictureWithAlpha(21, 9);
  WritePam(dir / "in.pam", source);
  const fs::path bmp = dir / "rgba.bmp";
  ASSERT_EQ(RunCommand(Python() + " " + ShellQuote(WriteScript(dir, "frompam.py", kPillowFromPam)) + " " +
                       ShellQuote((dir / "in.pam").string()) + " " + ShellQuote(bmp.string()) + " keep"),
            0);
  const auto bytes = ReadFileBytes(bmp);
  ASSERT_EQ(bytes[28], 32);
  const CRasterImage ours = LoadImage(bmp);
  ASSERT_TRUE(ours.HasValidMask());
  EXPECT_EQ(CompareRgb(ours, source), "");
}

// ---------------------------------------------------------------------------
// Files we write, read by other programs.

CRasterImage IndexedPicture(int w, int h, int bpp) {
  CRasterImage image;
  image.Create(w, h, bpp);
  const int n = 1 << bpp;
  const auto pal = TestPalette(n);
  for (int i = 0; i < n; ++i)
    image.GetWritablePalette()[i] = MakeRGBQuad(pal[4 * i + 2], pal[4 * i + 1], pal[4 * i]);
  const PIXELSETPROC set = GetPixelSetter(bpp);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Runs, literals and single pixels in every row.
      const int v = x < w / 3 ? y : (x < w / 2 ? x * 7 + y : (x / 5) + y);
      set(image.GetWritableBits() + y * image.GetStride(), int16_t(x), v % n);
    }
  return image;
}

struct WriteCase {
  const char* name;
  int bpp;
  bool mask;
  int width;
};
const WriteCase kWrites[] = {
    {"1bit", 1, false, 37}, {"4bit", 4, false, 33}, {"8bit-rle8", 8, false, 301}, {"8bit-width5", 8, false, 5},
    {"24bit", 24, false, 31}, {"24bit-mask-as-32", 24, true, 29},
};

class BmpWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(BmpWrite, RoundTripsAndOtherProgramsReadTheSamePixels) {
  const WriteCase& c = GetParam();
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("bmptopnm");
  TempDir dir;
  const CRasterImage image = c.bpp == 24 ? (c.mask ? PictureWithAlpha(c.width, 13) : MakeTestPicture(c.width, 13, 5))
                                         : IndexedPicture(c.width, 13, c.bpp);
  const fs::path bmp = dir / "ours.bmp";
  ASSERT_EQ(SaveBmp(image, bmp), IMAGEIO_OK);
  const auto bytes = ReadFileBytes(bmp);
  EXPECT_EQ(bytes[28], c.mask ? 32 : c.bpp);
  EXPECT_EQ(bytes[30], c.bpp == 8 ? 1 : c.mask ? 3 : 0);
  EXPECT_EQ(bytes[2] | bytes[3] << 8 | bytes[4] << 16, int(bytes.size()));

  const CRasterImage back = LoadImage(bmp);
  ASSERT_EQ(back.GetBitsPerPixel(), c.bpp);
  EXPECT_EQ(CompareRgb(back, image), "");
  if (c.bpp <= 8) {
    for (int y = 0; y < image.GetHeight(); ++y)
      ASSERT_EQ(std::memcmp(back.GetRow(y), image.GetRow(y), size_t(image.GetStride())), 0) << "row " << y;
  }
  EXPECT_EQ(CompareRgb(OracleDecode(Oracle::ImageMagick, dir, bmp, c.mask), image), "") << "ImageMagick";
  EXPECT_EQ(CompareRgb(OracleDecode(Oracle::Pillow, dir, bmp, c.mask), image), "") << "Pillow";
  CRasterImage opaque = image;
  opaque.RemoveMask();
  EXPECT_EQ(CompareRgb(OracleDecode(Oracle::Netpbm, dir, bmp, false), opaque), "") << "bmptopnm";
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpWrite, ::testing::ValuesIn(kWrites), [](const auto& info) {
  std::string n = info.param.name;
  for (char& ch : n)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
});

// ---------------------------------------------------------------------------
// RLE8 encoder.

std::vector<uint8_t> EncodeRow(const std::vector<uint8_t>& row, bool last) {
  CMemStream out;
  out.Open(nullptr, 2);
  const int n = WriteBmpRle8Row(&out, row.data(), int(row.size()), last);
  EXPECT_EQ(n, out.GetLength());
  return std::vector<uint8_t>(out.GetData(), out.GetData() + out.GetLength());
}

TEST(BmpRle8Encoder, WritesRunsLiteralsAndShortLiteralsAsSingleRuns) {
  EXPECT_EQ(EncodeRow({1, 2, 3, 3, 3, 3, 4, 5}, false),
            (std::vector<uint8_t>{1, 1, 1, 2, 4, 3, 1, 4, 1, 5, 0, 0}));
  EXPECT_EQ(EncodeRow(std::vector<uint8_t>(300, 9), true), (std::vector<uint8_t>{255, 9, 45, 9, 0, 1}));
  // A literal of odd length is padded; four equal bytes end it.
  EXPECT_EQ(EncodeRow({1, 2, 3, 7, 7, 7, 7}, false), (std::vector<uint8_t>{0, 3, 1, 2, 3, 0, 4, 7, 0, 0}));
  // Three equal bytes stay inside a literal.
  EXPECT_EQ(EncodeRow({1, 5, 5, 5, 2}, false), (std::vector<uint8_t>{0, 5, 1, 5, 5, 5, 2, 0, 0, 0}));
}

TEST(BmpRle8Encoder, FindRunCasesOfFewBytes) {
  struct Case {
    std::vector<uint8_t> bytes;
    int length;
    bool run;
  } cases[] = {{{4}, 1, false}, {{4, 4}, 2, true}, {{4, 5}, 2, false}, {{4, 4, 4}, 3, true},
               {{4, 4, 5}, 3, false}, {{4, 4, 4, 5}, 4, false}, {{4, 4, 4, 4, 5}, 4, true}};
  for (const auto& c : cases) {
    bool run = !c.run;
    EXPECT_EQ(FindRle8Run(c.bytes.data(), int(c.bytes.size()), &run), c.length);
    EXPECT_EQ(run, c.run);
  }
  std::vector<uint8_t> ramp(600);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = uint8_t(i);
  bool run = true;
  EXPECT_EQ(FindRle8Run(ramp.data(), 600, &run), 255);
  EXPECT_FALSE(run);
}

TEST(BmpWrite, Width5IsEncodedOverItsFivePixelsOnly) {
  CRasterImage image;
  image.Create(5, 1, 8);
  for (int x = 0; x < 5; ++x) image.GetWritableBits()[x] = uint8_t(10 + x);
  CMemStream out;
  out.Open(nullptr, 2);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = image;
  ASSERT_EQ(WriteBmp(&job), IMAGEIO_OK);
  const std::vector<uint8_t> data(out.GetData() + 54 + 1024, out.GetData() + out.GetLength());
  EXPECT_EQ(data, (std::vector<uint8_t>{0, 5, 10, 11, 12, 13, 14, 0, 0, 1}));
}

// ---------------------------------------------------------------------------
// Reader details on hand-built files.

TEST(BmpRead, SixteenBitPixelsKeepFiveBitsAtTheTop) {
  BmpSpec s;
  s.width = 2;
  s.height = 1;
  s.bitCount = 16;
  s.data = {0xFF, 0x7F, 0x1F, 0x7C};  // 0x7FFF white, 0x7C1F red + blue
  int rc = -1;
  const CRasterImage image = DecodeBytes(BuildBmp(s), &rc);
  ASSERT_EQ(rc, IMAGEIO_OK);
  ASSERT_EQ(image.GetBitsPerPixel(), 24);
  EXPECT_EQ(std::vector<uint8_t>(image.GetRow(0), image.GetRow(0) + 6), (std::vector<uint8_t>{248, 248, 248, 248, 0, 248}));
}

TEST(BmpRead, ThirtyTwoBitAlphaBecomesAMaskUnlessUniform) {
  struct Case {
    uint8_t a0, a1;
    bool mask;
  } cases[] = {{0, 0, false}, {255, 255, false}, {0, 255, true}, {128, 128, true}};
  for (const auto& c : cases) {
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.bitCount = 32;
    s.data = {1, 2, 3, c.a0, 4, 5, 6, c.a1};
    int rc = -1;
    const CRasterImage image = DecodeBytes(BuildBmp(s), &rc);
    ASSERT_EQ(rc, IMAGEIO_OK);
    EXPECT_EQ(image.GetRow(0)[0], 3);
    EXPECT_EQ(image.GetRow(0)[2], 1);
    ASSERT_EQ(image.HasValidMask(), c.mask) << int(c.a0) << "," << int(c.a1);
    if (c.mask) { EXPECT_EQ(image.GetMaskRow(0)[1], c.a1); }
  }
}

// Bit fields after a 40-byte header, inside a 52- or 56-byte one, with and
// without an alpha field.
TEST(BmpRead, BitFieldsWhereverTheHeaderKeepsThem) {
  struct Case {
    const char* name;
    uint16_t bits;
    uint32_t compression;
    uint32_t headerSize;
    std::vector<uint32_t> masks;
    std::vector<uint8_t> pixel;
    uint8_t rgb[3];
    int alpha;  // -1: no mask expected
  } cases[] = {
      {"565-after-40", 16, 3, 40, {0xF800, 0x07E0, 0x001F}, {0x1F, 0xF8}, {255, 0, 255}, -1},
      {"565-in-52", 16, 3, 52, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07}, {0, 255, 0}, -1},
      {"4444-in-56", 16, 3, 56, {0x0F00, 0x00F0, 0x000F, 0xF000}, {0x5F, 0x80}, {0, 85, 255}, 136},
      {"alphabitfields-after-40", 32, 6, 40, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, {1, 2, 3, 9}, {1, 2, 3}, 9},
      {"xrgb-in-124", 32, 3, 124, {0xFF0000, 0xFF00, 0xFF, 0}, {1, 2, 3, 9}, {3, 2, 1}, -1},
  };
  for (const auto& c : cases) {
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.bitCount = c.bits;
    s.compression = c.compression;
    s.headerSize = c.headerSize;
    s.masks = c.masks;
    s.data = c.pixel;
    s.data.insert(s.data.end(), c.pixel.begin(), c.pixel.end());
    if (c.alpha >= 0) s.data[s.data.size() - 1] = 0;  // a second alpha value keeps the mask
    while (s.data.size() % 4) s.data.push_back(0);
    int rc = -1;
    const CRasterImage image = DecodeBytes(BuildBmp(s), &rc);
    ASSERT_EQ(rc, IMAGEIO_OK) << c.name;
    EXPECT_EQ(std::vector<uint8_t>(image.GetRow(0), image.GetRow(0) + 3), std::vector<uint8_t>(c.rgb, c.rgb + 3))
        << c.name;
    ASSERT_EQ(image.HasValidMask(), c.alpha >= 0) << c.name;
    if (c.alpha >= 0) { EXPECT_EQ(image.GetMaskRow(0)[0], c.alpha) << c.name; }
  }
}

TEST(BmpRead, PaletteStopsAtColoursUsedAndTheDataOffset) {
  BmpSpec s;
  s.width = 4;
  s.height = 1;
  s.bitCount = 4;
  s.colorsUsed = 4;
  s.palette = TestPalette(4);
  s.data = {0x01, 0x23, 0xFF, 0xFF};
  int rc = -1;
  const CRasterImage image = DecodeBytes(BuildBmp(s), &rc);
  ASSERT_EQ(rc, IMAGEIO_OK);
  ASSERT_EQ(image.GetPaletteSize(), 16);
  EXPECT_EQ(image.GetPalette()[3], MakeRGBQuad(48, 255 - 48, 21));
  EXPECT_EQ(image.GetPalette()[4], RGBQUAD{});  // not taken from the pixel bytes
  EXPECT_EQ(image.GetRow(0)[0], 0x01);
  EXPECT_EQ(image.GetRow(0)[1], 0x23);
}

// RLE4: a run across nibbles, a literal with its pad, a run cut at the row
// end, a delta that skips a row; pixels never set stay index 0.
TEST(BmpRead, Rle4RunsLiteralsAndDeltas) {
  BmpSpec s;
  s.width = 10;
  s.height = 4;
  s.bitCount = 4;
  s.compression = 2;
  s.palette = TestPalette(16);
  s.data = {10, 0x12, 0, 0,                     // bottom row: 1 2 1 2 ...
            0, 5, 0x34, 0x56, 0x70, 0, 20, 0x89, 0, 0,  // literal 3..7 (pad), run cut at the end
            0, 2, 7, 1,                         // delta: right 7, up 1 (row 2 stays clear)
            3, 0xAB, 0, 1};
  int rc = -1;
  const CRasterImage image = DecodeBytes(BuildBmp(s), &rc);
  ASSERT_EQ(rc, IMAGEIO_OK);
  const char* expected[] = {"0000000aba", "0000000000", "3456789898", "1212121212"};
  for (int y = 0; y < 4; ++y) {
    std::string row;
    for (int x = 0; x < 10; ++x) row += "0123456789abcdef"[GetPixel4(image.GetRow(y), int16_t(x))];
    EXPECT_EQ(row, expected[y]) << "row " << y;
  }
  // ImageMagick lets runs wrap into the next row: compare on a run that fits.
  REQUIRE_TOOL("convert");
  TempDir dir;
  s.data[10] = 5;
  WriteFileBytes(dir / "rle4.bmp", BuildBmp(s));
  EXPECT_EQ(CompareRgb(image, OracleDecode(Oracle::ImageMagick, dir, dir / "rle4.bmp", false)), "");
}

TEST(BmpRead, Rle8RunPastTheRowEndIsCutAndLeavesTheNextRowAlone) {
  BmpSpec s;
  s.width = 4;
  s.height = 2;
  s.bitCount = 8;
  s.compression = 1;
  s.palette = TestPalette(256);
  s.data = {6, 7, 0, 0, 0, 6, 1, 2, 3, 4, 5, 6, 0, 1};
  int rc = -1;
  const CRasterImage image = DecodeBytes(BuildBmp(s), &rc);
  ASSERT_EQ(rc, IMAGEIO_OK);
  EXPECT_EQ(std::vector<uint8_t>(image.GetRow(1), image.GetRow(1) + 4), (std::vector<uint8_t>{7, 7, 7, 7}));
  EXPECT_EQ(std::vector<uint8_t>(image.GetRow(0), image.GetRow(0) + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(BmpRead, ProgressEveryRowWhenReadingAndEveryFourthWhenWriting) {
  static std::vector<int> calls;
  calls.clear();
  const CRasterImage picture = MakeTestPicture(5, 9);
  CMemStream out;
  out.Open(nullptr, 2);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = picture;
  job.m_pfnProgress = [](int done, int) { calls.push_back(done); };
  ASSERT_EQ(WriteBmp(&job), IMAGEIO_OK);
  EXPECT_EQ(calls, (std::vector<int>{0, 4, 8}));
  calls.clear();
  CMemStream in(out.GetData(), out.GetLength());
  CCodecJob read;
  read.m_pStream = &in;
  read.m_pfnProgress = job.m_pfnProgress;
  ASSERT_EQ(ReadBmp(&read), IMAGEIO_OK);
  EXPECT_EQ(calls, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(CompareRgb(read.m_image, picture), "");
}

TEST(BmpRead, CancelEmptiesTheImage) {
  CMemStream out;
  out.Open(nullptr, 2);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = MakeTestPicture(5, 9);
  ASSERT_EQ(WriteBmp(&job), IMAGEIO_OK);
  CMemStream in(out.GetData(), out.GetLength());
  CCodecJob read;
  read.m_pStream = &in;
  read.m_pfnCancel = [] { return true; };
  EXPECT_EQ(ReadBmp(&read), IMAGEIO_CANCELLED);
  EXPECT_TRUE(read.m_image.IsEmpty());
}

TEST(BmpInfo, SizeAndStoredDepthFromTheHeader) {
  TempDir dir;
  BmpSpec s;
  s.width = 300;
  s.height = -20;
  s.bitCount = 16;
  s.data.assign(600 * 20, 0);
  WriteFileBytes(dir / "x.dib", BuildBmp(s));
  CImageFileInfo info;
  ASSERT_TRUE(ReadImageFileInfo((dir / "x.dib").string(), &info));
  EXPECT_EQ(info.m_nWidth, 300);
  EXPECT_EQ(info.m_nHeight, 20);
  EXPECT_EQ(info.m_nBitsPerPixel, 16);
  WriteFileBytes(dir / "short.bmp", {'B', 'M', 0, 0});
  EXPECT_FALSE(ReadImageFileInfo((dir / "short.bmp").string(), &info));
}

// ---------------------------------------------------------------------------
// Hostile headers: every one gives a result code, never a crash or a huge
// allocation.

struct HostileCase {
  const char* name;
  BmpSpec spec;
  int result;
  int truncateTo = -1;
};

BmpSpec Spec(int w, int h, int bits, int compression, std::vector<uint8_t> data, std::vector<uint8_t> palette = {}) {
  BmpSpec s;
  s.width = w;
  s.height = h;
  s.bitCount = uint16_t(bits);
  s.compression = uint32_t(compression);
  s.data = std::move(data);
  s.palette = std::move(palette);
  return s;
}

TEST(BmpHostile, HeadersGiveResultCodes) {
  std::vector<HostileCase> cases = {
      {"huge-width", Spec(1 << 30, 1, 24, 0, {1, 2, 3, 4}), IMAGEIO_NO_MEMORY},
      {"huge-both", Spec(32767, 32767, 32, 0, {1, 2, 3, 4}), IMAGEIO_NO_MEMORY},
      {"zero-width", Spec(0, 4, 24, 0, {1, 2, 3}), IMAGEIO_CORRUPT},
      {"negative-width", Spec(-5, 4, 24, 0, {1, 2, 3}), IMAGEIO_CORRUPT},
      {"min-height", Spec(4, INT32_MIN, 24, 0, {1, 2, 3}), IMAGEIO_NO_MEMORY},
      {"two-bits", Spec(4, 4, 2, 0, {1, 2, 3}), IMAGEIO_BAD_COLOR_MODE},
      {"jpeg-inside", Spec(4, 4, 24, 4, {1, 2, 3}), IMAGEIO_BAD_FORMAT},
      {"rle8-at-4-bits", Spec(4, 4, 4, 1, {1, 2, 0, 1}, TestPalette(16)), IMAGEIO_BAD_FORMAT},
      {"rle4-top-down", Spec(4, -4, 4, 2, {1, 2, 0, 1}, TestPalette(16)), IMAGEIO_BAD_FORMAT},
      {"bitfields-at-24", Spec(4, 4, 24, 3, std::vector<uint8_t>(60, 1)), IMAGEIO_BAD_FORMAT},
      {"rle8-run-past-image", Spec(3, 2, 8, 1, {255, 1, 0, 0, 255, 2, 0, 0, 255, 3, 0, 0, 0, 2, 255, 255, 9, 9}, TestPalette(256)),
       IMAGEIO_OK},
      {"rle8-literal-past-row", Spec(2, 1, 8, 1, {0, 255, 1, 2, 3}, TestPalette(256)), IMAGEIO_OK},
      {"rle4-delta-past-image", Spec(5, 3, 4, 2, {0, 2, 255, 255, 5, 0x11, 0, 2, 200, 0, 3, 0x22}, TestPalette(16)),
       IMAGEIO_OK},
      {"rle-without-end", Spec(5, 3, 8, 1, {2, 1}, TestPalette(256)), IMAGEIO_OK},
      {"truncated-rows", Spec(16, 16, 24, 0, std::vector<uint8_t>(100, 7)), IMAGEIO_OK},
  };
  {
    HostileCase c{"offset-past-end", Spec(4, 4, 24, 0, {1, 2, 3}), IMAGEIO_CORRUPT};
    cases.push_back(c);
  }
  {
    HostileCase c{"header-size-13", Spec(4, 4, 24, 0, {1, 2, 3}), IMAGEIO_CORRUPT};
    c.spec.headerSize = 40;
    cases.push_back(c);
  }
  {
    HostileCase c{"truncated-header", Spec(4, 4, 24, 0, {}), IMAGEIO_CORRUPT, 30};
    cases.push_back(c);
  }
  {
    HostileCase c{"huge-header-size", Spec(4, 4, 24, 0, {1, 2, 3}), IMAGEIO_CORRUPT};
    c.spec.headerSize = 40;
    cases.push_back(c);
  }
  for (auto& c : cases) {
    auto bytes = BuildBmp(c.spec);
    if (std::string(c.name) == "header-size-13") bmp_test::Put32(bytes, 14, 13);
    if (std::string(c.name) == "offset-past-end") bmp_test::Put32(bytes, 10, 1u << 30);
    if (std::string(c.name) == "huge-header-size") bmp_test::Put32(bytes, 14, 0xFFFFFFF0u);
    if (c.truncateTo >= 0) bytes.resize(size_t(c.truncateTo));
    int rc = -1;
    const CRasterImage image = DecodeBytes(bytes, &rc);
    EXPECT_EQ(rc, c.result) << c.name;
    EXPECT_EQ(image.IsEmpty(), rc != IMAGEIO_OK) << c.name;
  }
}

TEST(BmpHostile, TruncatedPixelsKeepWhatWasThereAndClearTheRest) {
  BmpSpec s = Spec(2, 3, 24, 0, {10, 20, 30, 40, 50, 60, 0, 0, 11});
  int rc = -1;
  const CRasterImage image = DecodeBytes(BuildBmp(s), &rc);
  ASSERT_EQ(rc, IMAGEIO_OK);
  EXPECT_EQ(image.GetRow(2)[0], 30);
  EXPECT_EQ(image.GetRow(2)[5], 40);
  EXPECT_EQ(image.GetRow(1)[2], 11);  // the partial row
  EXPECT_EQ(image.GetRow(0)[0], 0);
}

}  // namespace
