#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/MessageReport.h"
#include "formats/PngCodec.h"
#include "tests/formats/JpegPngTestHelpers.h"

namespace {

using codec_test::ReadBytesWith;
using codec_test::ReadFileWith;
using codec_test::ReadImageWith;
using codec_test::Shell;
using codec_test::StreamBytes;
using codec_test::WritePnmFile;
using testing_support::CompareRgb;
using testing_support::ToRgb;
using testing_support::MakeTestPicture;
using testing_support::Python;
using testing_support::ReadFileBytes;
using testing_support::ReadPnm;
using testing_support::RecordingMessageSink;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

using Bytes = std::vector<uint8_t>;
std::string Q(const std::filesystem::path& p) { return ShellQuote(p.string()); }

// Decodes a PNG with Pillow into an RGBA PAM (16-bit samples keep their
// high byte, as libpng's stripping does).
const char* const kPillowDecode = R"(
import sys, numpy as np
from PIL import Image
def decode(src, dst):
    im = Image.open(src); im.load()
    if im.mode.startswith('I'):
        raw = np.array(im).astype(np.uint32)
        g = (raw >> 8).astype(np.uint8)
        a = np.full(g.shape, 255, np.uint8)
        t = im.info.get('transparency')
        if t is not None: a[raw == t] = 0
        rgba = np.dstack([g, g, g, a])
    else:
        rgba = np.array(im.convert('RGBA'))
    h, w = rgba.shape[:2]
    with open(dst, 'wb') as f:
        f.write(b'P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n' % (w, h))
        f.write(rgba.astype(np.uint8).tobytes())
if __name__ == '__main__':
    for i in range(1, len(sys.argv), 2): decode(sys.argv[i], sys.argv[i + 1])
)";

// Fixtures of every colour type and depth, written by Pillow and ImageMagick
// and rewritten by pngcrush and optipng.
const char* const kMakeFixtures = R"(
import sys, os, numpy as np
from PIL import Image, PngImagePlugin
os.chdir(sys.argv[1])
w, h = 37, 23
y, x = np.mgrid[0:h, 0:w]
rgb = np.dstack([(x * 7) % 256, (y * 11) % 256, ((x + y) * 5) % 256]).astype(np.uint8)
rgb[5:9, 3:30] = (255, 0, 0)
alpha = ((x * 13 + y * 3) % 256).astype(np.uint8)
alpha[0:3, :] = 0
alpha[-3:, :] = 255
im = Image.fromarray(rgb, 'RGB')
gray = im.convert('L')
gray.save('pil_L.png')
gray.point(lambda v: 255 if v > 100 else 0).convert('1').save('pil_1.png')
Image.merge('LA', [gray, Image.fromarray(alpha)]).save('pil_LA.png')
im.save('pil_RGB.png')
Image.fromarray(np.dstack([rgb, alpha]), 'RGBA').save('pil_RGBA.png')
p8 = im.quantize(200)
p8.save('pil_P8.png')
im.quantize(16).save('pil_P4.png', bits=4)
im.quantize(4).save('pil_P2.png', bits=2)
im.quantize(2).save('pil_P1.png', bits=1)
p8.save('pil_P_key.png', transparency=int(np.array(p8)[4, 4]))
p8.save('pil_P_partial.png', transparency=bytes([255, 128, 0, 255, 10] + [255] * 20))
gray.save('pil_L_key.png', transparency=int(np.array(gray)[4, 4]))
im.save('pil_RGB_key.png', transparency=(255, 0, 0))
g16 = (np.array(gray).astype(np.uint32) * 257 + (x % 200)).astype(np.uint16)
Image.fromarray(g16, 'I;16').save('pil_I16.png')
os.system('convert pil_L.png -colorspace gray -depth 2 -define png:bit-depth=2 im_gray2.png')
os.system('convert pil_L.png -colorspace gray -depth 4 -define png:bit-depth=4 im_gray4.png')
os.system('convert pil_RGB.png -depth 16 PNG48:im_rgb48.png')
os.system('convert pil_RGBA.png -depth 16 PNG64:im_rgba64.png')
os.system('convert pil_RGB.png -interlace PNG PNG24:im_rgb_adam7.png')
os.system('convert pil_RGBA.png -interlace PNG PNG32:im_rgba_adam7.png')
os.system('convert pil_P8.png -interlace PNG PNG8:im_p8_adam7.png')
os.system('convert pil_L.png -colorspace gray -depth 2 -define png:bit-depth=2 -interlace PNG im_gray2_adam7.png')
os.system('pngcrush -q -reduce pil_RGB.png crush_rgb.png')
os.system('pngcrush -q -reduce pil_P_partial.png crush_p_partial.png')
os.system('optipng -quiet -i1 -out opti_la_adam7.png pil_LA.png')
os.system('optipng -quiet -i1 -out opti_p2_adam7.png pil_P2.png')
)";

void WriteScript(const std::filesystem::path& path, const char* text) {
  WriteFileBytes(path, Bytes(text, text + std::strlen(text)));
}

struct FixtureCase {
  const char* name;
  int bpp;
  int maskBits;  // 0 none
};

class PngReadsFixtures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new TempDir;
    WriteScript(*s_dir / "make.py", kMakeFixtures);
    WriteScript(*s_dir / "decode.py", kPillowDecode);
    s_ok = RunCommand(Python() + " " + Q(*s_dir / "make.py") + " " + Q(s_dir->path()) + " >/dev/null 2>&1") == 0;
  }
  static void TearDownTestSuite() {
    delete s_dir;
    s_dir = nullptr;
  }
  static TempDir* s_dir;
  static bool s_ok;
};
TempDir* PngReadsFixtures::s_dir = nullptr;
bool PngReadsFixtures::s_ok = false;

// Every colour type, depth, transparency kind and interlacing reads with the
// pixels Pillow gives, into the image layout the codec promises.
TEST_F(PngReadsFixtures, PixelsMatchPillow) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("pngcrush");
  REQUIRE_TOOL("optipng");
  ASSERT_TRUE(s_ok);
  const FixtureCase cases[] = {
      {"pil_1", 1, 0},          {"pil_L", 8, 0},           {"pil_LA", 24, 8},        {"pil_RGB", 24, 0},
      {"pil_RGBA", 24, 8},      {"pil_P8", 8, 0},          {"pil_P4", 4, 0},         {"pil_P2", 4, 0},
      {"pil_P1", 1, 0},         {"pil_P_key", 8, 1},       {"pil_P_partial", 24, 8}, {"pil_L_key", 8, 1},
      {"pil_RGB_key", 24, 8},   {"pil_I16", 8, 0},         {"im_gray2", 4, 0},       {"im_gray4", 4, 0},
      {"im_rgb48", 24, 0},      {"im_rgba64", 24, 8},      {"im_rgb_adam7", 24, 0},  {"im_rgba_adam7", 24, 8},
      {"im_p8_adam7", 8, 0},    {"im_gray2_adam7", 4, 0},  {"crush_rgb", -1, -1},    {"crush_p_partial", -1, -1},
      {"opti_la_adam7", -1, 8}, {"opti_p2_adam7", 4, 0},
  };
  for (const auto& c : cases) {
    const auto png = *s_dir / (std::string(c.name) + ".png");
    const auto pam = *s_dir / (std::string(c.name) + ".pam");
    ASSERT_TRUE(std::filesystem::exists(png)) << c.name;
    Shell(Python() + " " + Q(*s_dir / "decode.py") + " " + Q(png) + " " + Q(pam));
    int result = -1;
    const CRasterImage image = ReadImageWith(ReadPng, png, &result);
    ASSERT_EQ(result, IMAGEIO_OK) << c.name;
    if (c.bpp > 0) {
      EXPECT_EQ(image.GetBitsPerPixel(), c.bpp) << c.name;
    }
    if (c.maskBits >= 0) {
      EXPECT_EQ(image.HasValidMask() ? image.GetMaskBitsPerPixel() : 0, c.maskBits) << c.name;
    }
    EXPECT_EQ(CompareRgb(image, ReadPnm(pam)), "") << c.name;
  }
}

TEST_F(PngReadsFixtures, TwoBitGrayHasTheFourLevelPalette) {
  REQUIRE_TOOL("convert");
  ASSERT_TRUE(s_ok);
  const CRasterImage image = ReadImageWith(ReadPng, *s_dir / "im_gray2.png");
  ASSERT_EQ(image.GetBitsPerPixel(), 4);
  const int levels[] = {0, 85, 170, 255};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(image.GetPalette()[i], MakeRGBQuad(levels[i], levels[i], levels[i]));
}

TEST_F(PngReadsFixtures, SingleTransparentEntryBecomesAColourKeyMask) {
  ASSERT_TRUE(s_ok);
  const CRasterImage image = ReadImageWith(ReadPng, *s_dir / "pil_P_key.png");
  ASSERT_EQ(image.GetBitsPerPixel(), 8);
  ASSERT_TRUE(image.HasValidMask());
  const int key = image.GetRow(4)[4];
  int transparent = 0;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const bool opaque = (image.GetMaskRow(y)[x >> 3] >> (7 - (x & 7))) & 1;
      EXPECT_EQ(opaque, image.GetRow(y)[x] != key);
      transparent += !opaque;
    }
  EXPECT_GT(transparent, 0);
}

TEST_F(PngReadsFixtures, InfoGivesSizeAndFileDepth) {
  ASSERT_TRUE(s_ok);
  const struct {
    const char* name;
    int bpp;
  } cases[] = {{"pil_RGB", 24}, {"pil_RGBA", 32}, {"im_rgb48", 48}, {"pil_L", 8}, {"pil_P2", 2}, {"pil_LA", 16}};
  for (const auto& c : cases) {
    CBufferedFile file;
    ASSERT_TRUE(file.Open((*s_dir / (std::string(c.name) + ".png")).c_str(), 1));
    CImageFileInfo info;
    ASSERT_TRUE(GetPngInfo(&file, &info)) << c.name;
    EXPECT_EQ(info.m_nWidth, 37);
    EXPECT_EQ(info.m_nHeight, 23);
    EXPECT_EQ(info.m_nBitsPerPixel, c.bpp) << c.name;
  }
}

TEST(PngReader, TextChunksBecomeTheCommentAndProperties) {
  TempDir dir;
  const std::string script =
      "import sys\nfrom PIL import Image, PngImagePlugin\n"
      "info = PngImagePlugin.PngInfo()\n"
      "info.add_text('Title', 'a')\ninfo.add_text('Author', 'b', zip=True)\n"
      "info.add_itxt('Comment', 'c\\u00e9', lang='fr')\n"
      "Image.new('RGB', (3, 2), (1, 2, 3)).save(sys.argv[1], pnginfo=info)\n";
  WriteFileBytes(dir / "t.py", Bytes(script.begin(), script.end()));
  Shell(Python() + " " + Q(dir / "t.py") + " " + Q(dir / "t.png"));
  CCodecJob job;
  ASSERT_EQ(ReadFileWith(ReadPng, dir / "t.png", job), IMAGEIO_OK);
  EXPECT_EQ(job.m_strComment, "a\nb\nc\xc3\xa9");
  CBufferedFile file;
  ASSERT_TRUE(file.Open((dir / "t.png").c_str(), 1));
  CImageFileInfo info;
  ASSERT_TRUE(GetPngInfo(&file, &info));
  CPropertyList expected;
  expected.Add("Title", "a");
  expected.Add("Author", "b");
  expected.Add("Comment", "c\xc3\xa9");
  EXPECT_EQ(info.m_properties, expected);
}

// Gamma is corrected for a file that states a gAMA other than the screen's,
// and left alone for files without one (the program's own files included).
TEST(PngReader, GammaOnlyWhereTheFileStatesIt) {
  TempDir dir;
  const std::string script =
      "import sys, struct\nfrom PIL import Image, PngImagePlugin\n"
      "im = Image.new('L', (4, 1)); im.putdata([0, 64, 128, 200])\n"
      "im.save(sys.argv[1])\n"
      "info = PngImagePlugin.PngInfo(); info.add(b'gAMA', struct.pack('>I', 100000))\n"
      "im.save(sys.argv[2], pnginfo=info)\n"
      "info = PngImagePlugin.PngInfo(); info.add(b'gAMA', struct.pack('>I', 45455))\n"
      "im.save(sys.argv[3], pnginfo=info)\n";
  WriteFileBytes(dir / "g.py", Bytes(script.begin(), script.end()));
  Shell(Python() + " " + Q(dir / "g.py") + " " + Q(dir / "none.png") + " " + Q(dir / "linear.png") + " " +
        Q(dir / "srgb.png"));
  const struct {
    const char* file;
    int values[4];
  } cases[] = {{"none.png", {0, 64, 128, 200}}, {"srgb.png", {0, 64, 128, 200}}, {"linear.png", {0, 136, 186, 228}}};
  for (const auto& c : cases) {
    const CRasterImage image = ReadImageWith(ReadPng, dir / c.file);
    ASSERT_EQ(image.GetBitsPerPixel(), 8) << c.file;
    for (int x = 0; x < 4; ++x) EXPECT_NEAR(image.GetRow(0)[x], c.values[x], 1) << c.file << " x=" << x;
  }
}

// Indexed pixels left indexed take the gamma correction on their palette, by
// the rule libpng corrects the same colours with as RGB pixels or as a
// palette it expands.
TEST(PngReader, PaletteEntriesAreGammaCorrectedLikeThePixels) {
  TempDir dir;
  const std::string script =
      "import sys, struct\nfrom PIL import Image, PngImagePlugin\n"
      "colours = [(51, 0, 0), (0, 0, 0), (255, 255, 255), (1, 2, 3), (128, 64, 32), (200, 100, 250), (17, 34, 254)]\n"
      "rgb = Image.new('RGB', (len(colours), 1)); rgb.putdata(colours)\n"
      "pal = Image.new('P', rgb.size); pal.putpalette([c for t in colours for c in t]); pal.putdata(range(len(colours)))\n"
      "for value, suffix in ((100000, 'linear'), (45455, 'srgb'), (70000, 'mid')):\n"
      "    info = PngImagePlugin.PngInfo(); info.add(b'gAMA', struct.pack('>I', value))\n"
      "    rgb.save(sys.argv[1] + '/rgb_' + suffix + '.png', pnginfo=info)\n"
      "    pal.save(sys.argv[1] + '/pal_' + suffix + '.png', pnginfo=info, bits=8)\n"
      "    pal.save(sys.argv[1] + '/pal4_' + suffix + '.png', pnginfo=info, bits=4)\n"
      "    pal.save(sys.argv[1] + '/palalpha_' + suffix + '.png', pnginfo=info, transparency=bytes([255, 128] + [255] * 5))\n";
  WriteFileBytes(dir / "p.py", Bytes(script.begin(), script.end()));
  Shell(Python() + " " + Q(dir / "p.py") + " " + Q(dir.path()));
  for (const char* suffix : {"linear", "srgb", "mid"}) {
    const CRasterImage rgb = ReadImageWith(ReadPng, dir / (std::string("rgb_") + suffix + ".png"));
    ASSERT_EQ(rgb.GetBitsPerPixel(), 24) << suffix;
    for (const char* kind : {"pal_", "pal4_", "palalpha_"}) {
      const std::string name = std::string(kind) + suffix + ".png";
      const CRasterImage indexed = ReadImageWith(ReadPng, dir / name);
      ASSERT_FALSE(indexed.IsEmpty()) << name;
      if (std::string(kind) != "palalpha_") { EXPECT_LE(indexed.GetBitsPerPixel(), 8) << name; }
      CRasterImage opaque = ToRgb(indexed);
      opaque.RemoveMask();
      EXPECT_EQ(CompareRgb(opaque, rgb), "") << name;
    }
  }
  // The case that showed it: a linear file's (51, 0, 0) is (123, 0, 0) on the screen.
  const CRasterImage linear = ReadImageWith(ReadPng, dir / "pal_linear.png");
  ASSERT_EQ(linear.GetBitsPerPixel(), 8);
  EXPECT_EQ(linear.GetPalette()[linear.GetRow(0)[0]], MakeRGBQuad(123, 0, 0));
  const CRasterImage srgb = ReadImageWith(ReadPng, dir / "pal_srgb.png");
  EXPECT_EQ(srgb.GetPalette()[srgb.GetRow(0)[0]], MakeRGBQuad(51, 0, 0));
}

Bytes EncodePng(const CRasterImage& image, int* result = nullptr, const std::string& comment = {}) {
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = image;
  job.m_strComment = comment;
  const int r = WritePng(&job);
  if (result) *result = r;
  return StreamBytes(out);
}

CRasterImage Indexed(int width, int height, int bpp, int colours, bool withMask, bool useEveryIndex) {
  CRasterImage image;
  image.Create(width, height, bpp);
  RGBQUAD* pal = image.GetWritablePalette();
  for (int i = 0; i < (1 << bpp); ++i) pal[i] = MakeRGBQuad(uint8_t(i * 37), uint8_t(255 - i), uint8_t(i * 11 + 3));
  uint8_t* bits = image.GetWritableBits();
  const int entries = std::min(colours, 1 << bpp);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int v = useEveryIndex ? (y * width + x) % entries : (x + 2 * y) % entries;
      uint8_t* row = bits + y * image.GetStride();
      if (bpp == 8) row[x] = uint8_t(v);
      if (bpp == 4) row[x >> 1] |= uint8_t((x & 1) ? v : v << 4);
      if (bpp == 1) row[x >> 3] |= uint8_t(v << (7 - (x & 7)));
    }
  if (withMask) {
    image.CreateMask();
    uint8_t* mask = image.GetWritableMaskBits();
    // Transparent: the first row and a diagonal; every index stays in use
    // by opaque pixels elsewhere.
    for (int y = 1; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (x != y) mask[y * image.GetMaskStride() + (x >> 3)] |= uint8_t(0x80 >> (x & 7));
  }
  return image;
}

struct WriteCase {
  const char* name;
  CRasterImage image;
  int bitDepth, colorType;
};

// Every writer layout: pngcheck accepts the file, its header says what the
// layout table promises, it is interlaced, and Pillow and our reader give
// back the image exactly (a palette image with a mask that uses every index
// keeps all its colours).
TEST(PngWriter, EveryLayoutIsValidAndReadsBackIdentically) {
  REQUIRE_TOOL("pngcheck");
  TempDir dir;
  WriteScript(dir / "decode.py", kPillowDecode);
  auto bw = [](RGBQUAD a, RGBQUAD b, bool mask) {
    CRasterImage i = Indexed(19, 11, 1, 2, mask, false);
    i.GetWritablePalette()[0] = a;
    i.GetWritablePalette()[1] = b;
    return i;
  };
  const RGBQUAD black = MakeRGBQuad(0, 0, 0), white = MakeRGBQuad(255, 255, 255);
  CRasterImage gray = codec_test::MakeGrayPicture(21, 13);
  CRasterImage grayMasked = gray;
  grayMasked.CreateMask();
  for (int y = 0; y < 13; ++y) grayMasked.GetWritableMaskBits()[y * grayMasked.GetMaskStride()] = 0xF0;
  CRasterImage rgbMasked = MakeTestPicture(23, 9);
  rgbMasked.CreateMask();
  for (int i = 0; i < 23 * 9; ++i) rgbMasked.GetWritableMaskBits()[i] = uint8_t(i * 7);
  WriteCase cases[] = {
      {"1-bit black white", bw(black, white, false), 1, 0},
      {"1-bit white black", bw(white, black, false), 1, 0},
      {"1-bit colours", bw(MakeRGBQuad(10, 200, 30), white, false), 1, 3},
      {"1-bit masked", bw(black, white, true), 4, 3},
      {"4-bit", Indexed(17, 7, 4, 16, false, false), 4, 3},
      {"4-bit masked, free index", Indexed(17, 7, 4, 12, true, false), 4, 3},
      {"4-bit masked, every index", Indexed(17, 7, 4, 16, true, true), 8, 3},
      {"8-bit gray", gray, 8, 0},
      {"8-bit gray masked", grayMasked, 8, 4},
      {"8-bit", Indexed(40, 9, 8, 256, false, true), 8, 3},
      {"8-bit masked, free index", Indexed(40, 9, 8, 200, true, true), 8, 3},
      {"8-bit masked, every index", Indexed(40, 16, 8, 256, true, true), 8, 6},
      {"24-bit", MakeTestPicture(23, 9), 8, 2},
      {"24-bit masked", rgbMasked, 8, 6},
  };
  for (const auto& c : cases) {
    int result = -1;
    const Bytes bytes = EncodePng(c.image, &result, "written by a test");
    ASSERT_EQ(result, IMAGEIO_OK) << c.name;
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes[24], c.bitDepth) << c.name;
    EXPECT_EQ(bytes[25], c.colorType) << c.name;
    EXPECT_EQ(bytes[28], 1) << c.name << ": interlaced";
    const auto png = dir / "w.png";
    WriteFileBytes(png, bytes);
    std::string out;
    EXPECT_EQ(RunCommand("pngcheck -v " + Q(png) + " 2>&1", &out), 0) << c.name << "\n" << out;
    Shell(Python() + " " + Q(dir / "decode.py") + " " + Q(png) + " " + Q(dir / "w.pam"));
    EXPECT_EQ(CompareRgb(c.image, ReadPnm(dir / "w.pam")), "") << c.name << " (Pillow)";
    CCodecJob job;
    ASSERT_EQ(ReadBytesWith(ReadPng, bytes, job), IMAGEIO_OK) << c.name;
    EXPECT_EQ(CompareRgb(c.image, job.m_image), "") << c.name << " (ours)";
    EXPECT_EQ(job.m_strComment, "written by a test");
  }
}

TEST(PngWriter, OneBitLayoutsAndTransparentIndex) {
  CRasterImage image = Indexed(9, 3, 1, 2, true, false);
  image.GetWritablePalette()[0] = MakeRGBQuad(0, 0, 0);
  image.GetWritablePalette()[1] = MakeRGBQuad(255, 255, 255);
  CCodecJob job;
  ASSERT_EQ(ReadBytesWith(ReadPng, EncodePng(image), job), IMAGEIO_OK);
  // tRNS FF FF 00: a single transparent entry, index 2, read as a key mask.
  ASSERT_EQ(job.m_image.GetBitsPerPixel(), 4);
  ASSERT_TRUE(job.m_image.HasValidMask());
  EXPECT_EQ(job.m_image.GetRow(0)[0] >> 4, 2);
}

int g_calls = 0;
int g_lastDone = 0, g_lastTotal = 0;
bool CancelAfter30() { return ++g_calls > 30; }
void Record(int done, int total) {
  EXPECT_LE(done, total);
  g_lastDone = done;
  g_lastTotal = total;
}

TEST(PngWriter, ProgressRunsToEightTimesTheHeightAndCancelFails) {
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = MakeTestPicture(10, 20);
  job.m_pfnProgress = Record;
  ASSERT_EQ(WritePng(&job), IMAGEIO_OK);
  EXPECT_EQ(g_lastDone, 160);
  EXPECT_EQ(g_lastTotal, 160);

  RecordingMessageSink sink;
  g_calls = 0;
  job.m_pfnCancel = CancelAfter30;
  out.SetMode(CBufferedFile::kWrite);
  EXPECT_EQ(WritePng(&job), IMAGEIO_FAILED);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], (std::pair<int, std::string>{MESSAGE_ERROR, "User aborted !"}));
}

TEST(PngReader, CancelFailsWithTheMessageAndNoImage) {
  const Bytes bytes = EncodePng(MakeTestPicture(10, 40));
  RecordingMessageSink sink;
  g_calls = 0;
  CCodecJob job;
  job.m_pfnCancel = CancelAfter30;
  EXPECT_EQ(ReadBytesWith(ReadPng, bytes, job), IMAGEIO_FAILED);
  EXPECT_TRUE(job.m_image.IsEmpty());
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].second, "User aborted !");
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  const uint32_t n = uint32_t(data.size());
  out.insert(out.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  const uint32_t crc = uint32_t(crc32(0, body.data(), uInt(body.size())));
  out.insert(out.end(), {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
}

Bytes DeclaredPng(uint32_t width, uint32_t height, uint8_t colorType) {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(out, "IHDR",
           {uint8_t(width >> 24), uint8_t(width >> 16), uint8_t(width >> 8), uint8_t(width), uint8_t(height >> 24),
            uint8_t(height >> 16), uint8_t(height >> 8), uint8_t(height), 8, colorType, 0, 0, 0});
  PutChunk(out, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
  PutChunk(out, "IEND", {});
  return out;
}

// A text chunk that declares 1.8 GB: skipped as too large, never allocated
// (the fuzz corpus keeps the input that found it).
Bytes HugeTextChunk() {
  Bytes out = DeclaredPng(8, 6, 2);
  out.resize(33);  // signature and IHDR
  const Bytes chunk = {0x70, 0x00, 0x00, 0x07, 't', 'E', 'X', 't', 'T', 'i', 't', 'l', 'e', 0, 'x'};
  out.insert(out.end(), chunk.begin(), chunk.end());
  return out;
}

TEST(PngReader, DamagedAndHugeFilesGiveResultCodes) {
  const Bytes good = EncodePng(MakeTestPicture(40, 30));
  auto cut = [&](size_t n) { return Bytes(good.begin(), good.begin() + long(std::min(n, good.size()))); };
  Bytes badCrc = good;
  badCrc[40] ^= 0x55;  // inside IHDR/first chunks
  Bytes badData = good;
  for (size_t i = 60; i < badData.size() - 20; i += 3) badData[i] ^= 0xA5;
  struct Case {
    const char* name;
    Bytes bytes;
    int result;
    bool message;
  } cases[] = {
      {"empty", {}, IMAGEIO_FAILED, true},
      {"signature only", cut(8), IMAGEIO_FAILED, true},
      {"truncated data", cut(good.size() / 2), IMAGEIO_FAILED, true},
      {"no IEND", cut(good.size() - 12), IMAGEIO_FAILED, true},
      {"bad crc", badCrc, IMAGEIO_FAILED, true},
      {"bad data", badData, IMAGEIO_FAILED, true},
      {"not png", Bytes(100, 'x'), IMAGEIO_FAILED, true},
      {"30000 x 30000 rgb", DeclaredPng(30000, 30000, 2), IMAGEIO_NO_MEMORY, false},
      {"40000 x 1 gray", DeclaredPng(40000, 1, 0), IMAGEIO_NO_MEMORY, false},
      {"huge text chunk", HugeTextChunk(), IMAGEIO_FAILED, true},
  };
  for (const auto& c : cases) {
    RecordingMessageSink sink;
    CCodecJob job;
    job.m_strComment = "stale";
    EXPECT_EQ(ReadBytesWith(ReadPng, c.bytes, job), c.result) << c.name;
    EXPECT_TRUE(job.m_image.IsEmpty()) << c.name;
    EXPECT_EQ(job.m_strComment, "") << c.name;
    EXPECT_EQ(!sink.messages.empty(), c.message) << c.name;
    for (const auto& m : sink.messages) EXPECT_EQ(m.first, MESSAGE_ERROR);
  }
  CMemStream stream(DeclaredPng(30000, 30000, 2).data(), 57);
  CImageFileInfo info;
  EXPECT_TRUE(GetPngInfo(&stream, &info));
  EXPECT_EQ(info.m_nWidth, 30000);
}

}  // namespace

namespace {

// A full disk is a failure, reported once, never a file taken for written.
TEST(PngWriter, FullDiskFails) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (int size : {8, 300}) {
    CBufferedFile file;
    ASSERT_TRUE(file.Open("/dev/full", CBufferedFile::kWrite));
    CCodecJob job;
    job.m_pStream = &file;
    job.m_image = MakeTestPicture(size, size);
    RecordingMessageSink sink;
    EXPECT_EQ(WritePng(&job), IMAGEIO_FAILED) << size;
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], (std::pair<int, std::string>{MESSAGE_ERROR, "Write Error"}));
  }
}

}  // namespace
