#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "formats/JpegCodec.h"
#include "tests/formats/JpegPngTestHelpers.h"

namespace {

using codec_test::MakeGrayPicture;
using codec_test::ReadBytesWith;
using codec_test::ReadFileWith;
using codec_test::ReadImageWith;
using codec_test::Shell;
using codec_test::StreamBytes;
using codec_test::WritePnmFile;
using testing_support::CompareRgb;
using testing_support::MakeTestPicture;
using testing_support::Psnr;
using testing_support::Python;
using testing_support::ReadFileBytes;
using testing_support::ReadPnm;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

std::string Q(const std::filesystem::path& p) { return ShellQuote(p.string()); }

// Writes the image with our writer into a memory stream.
std::vector<uint8_t> EncodeJpeg(const CRasterImage& image, const JPEG_SAVE_OPTIONS& options, int* result = nullptr,
                                const std::string& comment = {}, const std::string& signature = {}) {
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = image;
  job.m_strComment = comment;
  job.m_strSignature = signature;
  const int r = WriteJpeg(&job, &options);
  if (result) *result = r;
  return StreamBytes(out);
}

bool HasMarker(const std::vector<uint8_t>& bytes, uint8_t marker) {
  for (size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == marker) return true;
  return false;
}

// Number of components in the frame header.
int FrameComponents(const std::vector<uint8_t>& bytes) {
  for (size_t i = 2; i + 9 < bytes.size();) {
    if (bytes[i] != 0xFF) return -1;
    const uint8_t m = bytes[i + 1];
    const size_t length = bytes[i + 2] << 8 | bytes[i + 3];
    if (m == 0xC0 || m == 0xC1 || m == 0xC2) return bytes[i + 9];
    i += 2 + length;
  }
  return -1;
}

struct DjpegCase {
  const char* name;
  const char* cjpegOptions;
};

class JpegDecodesLikeDjpeg : public ::testing::TestWithParam<DjpegCase> {};

// Pixels equal to libjpeg-turbo's own decoder, for every layout cjpeg makes.
TEST_P(JpegDecodesLikeDjpeg, PixelsEqual) {
  REQUIRE_TOOL("cjpeg");
  REQUIRE_TOOL("djpeg");
  TempDir dir;
  WritePnmFile(dir / "in.ppm", MakeTestPicture(97, 61, 7));
  const auto jpg = dir / "in.jpg";
  Shell(std::string("cjpeg ") + GetParam().cjpegOptions + " -outfile " + Q(jpg) + " " + Q(dir / "in.ppm"));
  Shell("djpeg -pnm -outfile " + Q(dir / "ref.pnm") + " " + Q(jpg));
  const CRasterImage expected = ReadPnm(dir / "ref.pnm", true);

  int result = -1;
  const CRasterImage image = ReadImageWith(ReadJpeg, jpg, &result);
  ASSERT_EQ(result, IMAGEIO_OK);
  const bool gray = std::string(GetParam().cjpegOptions).find("-grayscale") != std::string::npos;
  EXPECT_EQ(image.GetBitsPerPixel(), gray ? 8 : 24);
  if (gray) {
    EXPECT_TRUE(image.IsGrayscale());
  }
  EXPECT_EQ(CompareRgb(image, expected), "");
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, JpegDecodesLikeDjpeg,
    ::testing::Values(DjpegCase{"Gray", "-grayscale"}, DjpegCase{"GrayProgressive", "-grayscale -progressive"},
                      DjpegCase{"S444", "-sample 1x1"}, DjpegCase{"S422", "-sample 2x1"},
                      DjpegCase{"S420", "-sample 2x2"}, DjpegCase{"S440", "-sample 1x2"},
                      DjpegCase{"S411", "-sample 4x1"}, DjpegCase{"S410", "-sample 4x2"},
                      DjpegCase{"S444Progressive", "-sample 1x1 -progressive"},
                      DjpegCase{"S422Progressive", "-sample 2x1 -progressive"},
                      DjpegCase{"S420Progressive", "-sample 2x2 -progressive"},
                      DjpegCase{"S411Progressive", "-sample 4x1 -progressive"},
                      DjpegCase{"RgbNoTransform", "-rgb"}, DjpegCase{"Arithmetic", "-arithmetic"},
                      DjpegCase{"RestartMarkers", "-restart 1"}, DjpegCase{"Optimized", "-optimize -quality 30"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JpegReader, CmykFilesUseTheInvertedFormula) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  WritePnmFile(dir / "in.ppm", MakeTestPicture(40, 30, 3));
  // The file's own CMYK samples, as libjpeg decodes them (Pillow undoes
  // the Adobe inversion, so it is redone here), then the codec's formula.
  const std::string script =
      "import sys, numpy as np\n"
      "from PIL import Image\n"
      "im = Image.open(sys.argv[1]); assert im.mode == 'CMYK', im.mode\n"
      "a = np.array(im).astype(int)\n"
      "if 'adobe' in im.info: a = 255 - a\n"
      "rgb = np.maximum(0, a[..., :3] + a[..., 3:4] - 255).astype(np.uint8)\n"
      "Image.fromarray(rgb, 'RGB').save(sys.argv[2])\n";
  WriteFileBytes(dir / "cmyk.py", std::vector<uint8_t>(script.begin(), script.end()));
  for (const char* interlace : {"", " -interlace JPEG"}) {
    Shell("convert " + Q(dir / "in.ppm") + interlace + " -colorspace CMYK " + Q(dir / "cmyk.jpg"));
    EXPECT_EQ(HasMarker(ReadFileBytes(dir / "cmyk.jpg"), 0xC2), *interlace != 0);
    Shell(Python() + " " + Q(dir / "cmyk.py") + " " + Q(dir / "cmyk.jpg") + " " + Q(dir / "ref.ppm"));
    int result = -1;
    const CRasterImage image = ReadImageWith(ReadJpeg, dir / "cmyk.jpg", &result);
    ASSERT_EQ(result, IMAGEIO_OK);
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_EQ(CompareRgb(image, ReadPnm(dir / "ref.ppm")), "") << interlace;
    CBufferedFile file;
    ASSERT_TRUE(file.Open((dir / "cmyk.jpg").c_str(), 1));
    CImageFileInfo info;
    EXPECT_TRUE(GetJpegInfo(&file, &info, false));
    EXPECT_EQ(info.m_nBitsPerPixel, 24);
  }
}

TEST(JpegReader, LastCommentWinsAndInfoListsIt) {
  REQUIRE_TOOL("wrjpgcom");
  TempDir dir;
  const CRasterImage gray = MakeGrayPicture(16, 16);
  WriteFileBytes(dir / "plain.jpg", EncodeJpeg(gray, JPEG_SAVE_OPTIONS{}));
  Shell("wrjpgcom -comment first " + Q(dir / "plain.jpg") + " > " + Q(dir / "one.jpg"));
  Shell("wrjpgcom -comment 'second one' " + Q(dir / "one.jpg") + " > " + Q(dir / "two.jpg"));
  CCodecJob job;
  ASSERT_EQ(ReadFileWith(ReadJpeg, dir / "two.jpg", job), IMAGEIO_OK);
  EXPECT_EQ(job.m_strComment, "second one");
  EXPECT_TRUE(job.m_image.IsGrayscale());

  CBufferedFile file;
  ASSERT_TRUE(file.Open((dir / "two.jpg").c_str(), 1));
  CImageFileInfo info;
  ASSERT_TRUE(GetJpegInfo(&file, &info, true));
  EXPECT_EQ(info.m_nWidth, 16);
  EXPECT_EQ(info.m_nHeight, 16);
  EXPECT_EQ(info.m_nBitsPerPixel, 8);
  ASSERT_EQ(info.m_properties.size(), 1u);
  EXPECT_EQ(info.m_properties[0], (PROPERTY_PAIR{"Comments", "second one"}));
  EXPECT_TRUE(info.m_thumbnail.IsEmpty());
}

TEST(JpegWriter, CommentOptionsPickTheText) {
  REQUIRE_TOOL("rdjpgcom");
  TempDir dir;
  const CRasterImage image = MakeTestPicture(24, 16);
  struct Case {
    int option;
    std::string comment, signature, expected;
  } cases[] = {
      {0, "file comment", "signed", ""},
      {1, "file comment", "signed", "file comment"},
      {2, "file comment", "signed", "signed"},
      {2, "file comment", "", ""},
      {1, std::string(70000, 'x'), "", std::string(65533, 'x')},
  };
  for (const auto& c : cases) {
    JPEG_SAVE_OPTIONS options;
    options.nCommentOption = static_cast<int16_t>(c.option);
    int result = -1;
    const auto bytes = EncodeJpeg(image, options, &result, c.comment, c.signature);
    ASSERT_EQ(result, IMAGEIO_OK);
    EXPECT_EQ(HasMarker(bytes, 0xFE), !c.expected.empty()) << c.option;
    WriteFileBytes(dir / "c.jpg", bytes);
    std::string out;
    ASSERT_EQ(RunCommand("rdjpgcom -raw " + Q(dir / "c.jpg"), &out), 0);
    if (!out.empty() && out.back() == '\n') out.pop_back();
    EXPECT_EQ(out, c.expected) << "option " << c.option;
    CCodecJob job;
    ASSERT_EQ(ReadBytesWith(ReadJpeg, bytes, job), IMAGEIO_OK);
    EXPECT_EQ(job.m_strComment, c.expected);
  }
}

// Quality and progressive mode as asked: our file decodes to the same pixels
// as cjpeg's with the same settings, and the frame type matches.
TEST(JpegWriter, QualityAndProgressiveMatchCjpeg) {
  REQUIRE_TOOL("cjpeg");
  REQUIRE_TOOL("djpeg");
  TempDir dir;
  const CRasterImage image = MakeTestPicture(83, 45, 5);
  WritePnmFile(dir / "in.ppm", image);
  for (int quality : {10, 75, 95}) {
    for (int progressive : {0, 1}) {
      JPEG_SAVE_OPTIONS options;
      options.nQuality = static_cast<int16_t>(quality);
      options.nProgressive = static_cast<int16_t>(progressive);
      const auto bytes = EncodeJpeg(image, options);
      EXPECT_EQ(HasMarker(bytes, 0xC2), progressive == 1);
      EXPECT_EQ(HasMarker(bytes, 0xC0), progressive == 0);
      WriteFileBytes(dir / "ours.jpg", bytes);
      Shell("cjpeg -quality " + std::to_string(quality) + (progressive ? " -progressive" : "") + " -outfile " +
          Q(dir / "ref.jpg") + " " + Q(dir / "in.ppm"));
      Shell("djpeg -pnm -outfile " + Q(dir / "ours.ppm") + " " + Q(dir / "ours.jpg"));
      Shell("djpeg -pnm -outfile " + Q(dir / "ref.ppm") + " " + Q(dir / "ref.jpg"));
      EXPECT_EQ(CompareRgb(ReadPnm(dir / "ours.ppm"), ReadPnm(dir / "ref.ppm")), "")
          << "quality " << quality << " progressive " << progressive;
    }
  }
}

TEST(JpegWriter, DepthsAndColourConversion) {
  const CRasterImage rgb = MakeTestPicture(33, 9, 2);
  const CRasterImage gray = MakeGrayPicture(33, 9, 2);
  CRasterImage pal8;
  pal8.Create(33, 9, 8);
  CRasterImage pal1;
  pal1.Create(33, 9, 1);
  {
    RGBQUAD* p = pal8.GetWritablePalette();
    for (int i = 0; i < 256; ++i) p[i] = MakeRGBQuad(uint8_t(i), uint8_t(255 - i), uint8_t(i / 2));
    uint8_t* bits = pal8.GetWritableBits();
    for (int i = 0; i < 33 * 9; ++i) bits[i] = uint8_t(i / 9 * 7);
    pal1.GetWritablePalette()[0] = MakeRGBQuad(200, 10, 10);
    pal1.GetWritablePalette()[1] = MakeRGBQuad(0, 0, 250);
    uint8_t* b1 = pal1.GetWritableBits();
    for (int i = 0; i < pal1.GetStride() * 9; ++i) b1[i] = uint8_t(0xF0 ^ i);
  }
  struct Case {
    const char* name;
    const CRasterImage* image;
    int conversion;
    int result;
    int components;
  } cases[] = {
      {"rgb", &rgb, 0, IMAGEIO_OK, 3},
      {"gray palette", &gray, 0, IMAGEIO_OK, 1},
      {"colour palette refused", &pal8, 0, IMAGEIO_BAD_COLOR_MODE, -1},
      {"colour palette converted", &pal8, 1, IMAGEIO_OK, 3},
      {"1-bit refused", &pal1, 0, IMAGEIO_BAD_COLOR_MODE, -1},
      {"1-bit to gray", &pal1, 1, IMAGEIO_OK, 1},
  };
  for (const auto& c : cases) {
    JPEG_SAVE_OPTIONS options;
    options.nQuality = 100;
    options.nColorConversion = static_cast<int16_t>(c.conversion);
    int result = -1;
    const auto bytes = EncodeJpeg(*c.image, options, &result);
    EXPECT_EQ(result, c.result) << c.name;
    if (c.result != IMAGEIO_OK) {
      EXPECT_TRUE(bytes.empty()) << c.name;
      continue;
    }
    EXPECT_EQ(FrameComponents(bytes), c.components) << c.name;
    CCodecJob job;
    ASSERT_EQ(ReadBytesWith(ReadJpeg, bytes, job), IMAGEIO_OK);
    CRasterImage expected = *c.image;
    if (c.image == &pal1) {  // gray of each palette colour
      expected = CRasterImage();
      expected.Create(33, 9, 8);
      SetGrayPalette(expected);
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 33; ++x) {
          const RGBQUAD q = pal1.GetPalette()[(pal1.GetRow(y)[x >> 3] >> (7 - (x & 7))) & 1];
          expected.GetWritableBits()[y * expected.GetStride() + x] = uint8_t(GrayFromRgb(q.rgbRed, q.rgbGreen, q.rgbBlue));
        }
    }
    EXPECT_GT(Psnr(job.m_image, expected), 25.0) << c.name;
  }
}

TEST(JpegReader, DamagedFilesGiveResultCodes) {
  const auto good = EncodeJpeg(MakeTestPicture(256, 256, 9), JPEG_SAVE_OPTIONS{});
  auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + std::min(n, good.size())); };
  std::vector<uint8_t> garbage(500);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37 + 11);
  std::vector<uint8_t> badTables = good;
  for (size_t i = 0; i + 1 < badTables.size(); ++i)
    if (badTables[i] == 0xFF && badTables[i + 1] == 0xDB) badTables[i + 4] = 0x7F;  // bad precision / table id
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int result;
  } cases[] = {
      {"empty", {}, IMAGEIO_UNKNOWN_ERROR},
      {"soi only", cut(2), IMAGEIO_UNKNOWN_ERROR},
      {"header cut", cut(100), IMAGEIO_UNKNOWN_ERROR},
      {"garbage", garbage, IMAGEIO_UNKNOWN_ERROR},
      {"bad tables", badTables, IMAGEIO_UNKNOWN_ERROR},
      // Scan data cut short reads as far as it goes (libjpeg fills the rest).
      {"scan cut", cut(good.size() * 3 / 4), IMAGEIO_OK},
  };
  for (const auto& c : cases) {
    CCodecJob job;
    job.m_strComment = "stale";
    EXPECT_EQ(ReadBytesWith(ReadJpeg, c.bytes, job), c.result) << c.name;
    EXPECT_EQ(job.m_nResult, c.result) << c.name;
    EXPECT_EQ(job.m_image.IsEmpty(), c.result != IMAGEIO_OK) << c.name;
    if (c.result != IMAGEIO_OK) {
      EXPECT_EQ(job.m_strComment, "") << c.name;
    }
    CMemStream stream(c.bytes.data(), static_cast<int>(c.bytes.size()));
    CImageFileInfo info;
    const bool headerOk = GetJpegInfo(&stream, &info, true);
    if (c.result == IMAGEIO_OK) {
      EXPECT_TRUE(headerOk) << c.name;
    }
  }
}

int g_progressCalls = 0;
std::vector<std::pair<int, int>> g_progress;
bool CancelAtRow20() { return ++g_progressCalls >= 20; }
void RecordProgress(int done, int total) { g_progress.emplace_back(done, total); }

TEST(JpegReader, CancelGivesCancelledAndNoImage) {
  const auto bytes = EncodeJpeg(MakeTestPicture(40, 64), JPEG_SAVE_OPTIONS{}, nullptr, "kept?", "kept?");
  JPEG_SAVE_OPTIONS progressive;
  progressive.nProgressive = 1;
  const auto progressiveBytes = EncodeJpeg(MakeTestPicture(40, 64), progressive);
  for (const auto* input : {&bytes, &progressiveBytes}) {
    g_progressCalls = 0;
    CCodecJob job;
    job.m_pfnCancel = CancelAtRow20;
    EXPECT_EQ(ReadBytesWith(ReadJpeg, *input, job), IMAGEIO_CANCELLED);
    EXPECT_TRUE(job.m_image.IsEmpty());
    EXPECT_EQ(job.m_strComment, "");
  }
}

TEST(JpegReader, ProgressEveryEighthRow) {
  const auto bytes = EncodeJpeg(MakeTestPicture(8, 30), JPEG_SAVE_OPTIONS{});
  g_progress.clear();
  CCodecJob job;
  job.m_pfnProgress = RecordProgress;
  ASSERT_EQ(ReadBytesWith(ReadJpeg, bytes, job), IMAGEIO_OK);
  EXPECT_EQ(g_progress, (std::vector<std::pair<int, int>>{{9, 30}, {17, 30}, {25, 30}}));
}

TEST(JpegWriter, CancelAndProgress) {
  const CRasterImage image = MakeTestPicture(8, 9);
  g_progress.clear();
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = image;
  job.m_pfnProgress = RecordProgress;
  JPEG_SAVE_OPTIONS options;
  ASSERT_EQ(WriteJpeg(&job, &options), IMAGEIO_OK);
  EXPECT_EQ(g_progress, (std::vector<std::pair<int, int>>{{5, 9}, {9, 9}}));
  g_progressCalls = 0;
  job.m_pfnCancel = CancelAtRow20;
  job.m_image = MakeTestPicture(8, 64);
  EXPECT_EQ(WriteJpeg(&job, &options), IMAGEIO_CANCELLED);
}

// Patches the frame header's size fields.
std::vector<uint8_t> WithDeclaredSize(std::vector<uint8_t> bytes, int width, int height) {
  for (size_t i = 2; i + 9 < bytes.size();) {
    const uint8_t m = bytes[i + 1];
    const size_t length = bytes[i + 2] << 8 | bytes[i + 3];
    if (m >= 0xC0 && m <= 0xC2) {
      bytes[i + 5] = uint8_t(height >> 8);
      bytes[i + 6] = uint8_t(height);
      bytes[i + 7] = uint8_t(width >> 8);
      bytes[i + 8] = uint8_t(width);
      break;
    }
    i += 2 + length;
  }
  return bytes;
}

// A small file that declares a huge picture is refused before the
// coefficient buffer or the image is allocated, and quickly.
TEST(JpegReader, HugeDeclaredImageIsRefusedUpFront) {
  JPEG_SAVE_OPTIONS progressive;
  progressive.nProgressive = 1;
  struct Case {
    int width, height;
    bool progressive;
  } cases[] = {{30000, 30000, true}, {30000, 30000, false}, {65500, 65500, true}, {40000, 16, false}};
  for (const auto& c : cases) {
    JPEG_SAVE_OPTIONS options;
    options.nProgressive = c.progressive;
    const auto bytes = WithDeclaredSize(EncodeJpeg(MakeTestPicture(16, 16), options), c.width, c.height);
    CCodecJob job;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadBytesWith(ReadJpeg, bytes, job), IMAGEIO_NO_MEMORY) << c.width;
    EXPECT_TRUE(job.m_image.IsEmpty());
    (void)start;
    CMemStream stream(bytes.data(), static_cast<int>(bytes.size()));
    CImageFileInfo info;
    EXPECT_TRUE(GetJpegInfo(&stream, &info, false));
    EXPECT_EQ(info.m_nWidth, c.width);
  }
}

TEST(JpegCodec, MemoryRoundTripKeepsSizeAndComment) {
  const CRasterImage image = MakeTestPicture(50, 20);
  JPEG_SAVE_OPTIONS options;
  options.nQuality = 95;
  options.nCommentOption = 1;
  const auto bytes = EncodeJpeg(image, options, nullptr, "round trip");
  CCodecJob job;
  ASSERT_EQ(ReadBytesWith(ReadJpeg, bytes, job), IMAGEIO_OK);
  EXPECT_EQ(job.m_strComment, "round trip");
  EXPECT_GT(Psnr(job.m_image, image), 25.0);
}

TEST(JpegCodec, WriteWithOptionsUsesStoredExportSettings) {
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_image = MakeTestPicture(16, 16);
  job.m_strSignature = "sig";
  ASSERT_EQ(WriteJpegWithOptions(&job), IMAGEIO_OK);
  const auto bytes = StreamBytes(out);
  EXPECT_TRUE(HasMarker(bytes, 0xC0));  // not progressive by default
  CCodecJob back;
  ASSERT_EQ(ReadBytesWith(ReadJpeg, bytes, back), IMAGEIO_OK);
  EXPECT_EQ(back.m_strComment, "sig");  // comment option 2 by default
}

}  // namespace

namespace {

// A progressive file with one of its scans repeated: each scan costs a pass
// over the whole image, so files with absurd scan counts are refused.
std::vector<uint8_t> WithRepeatedScan(const std::vector<uint8_t>& bytes, int copies) {
  // Find the second SOS segment and where its entropy-coded data ends.
  size_t i = 2;
  int sos = 0;
  while (i + 4 <= bytes.size()) {
    const uint8_t m = bytes[i + 1];
    const size_t length = bytes[i + 2] << 8 | bytes[i + 3];
    if (m != 0xDA) {
      i += 2 + length;
      continue;
    }
    size_t end = i + 2 + length;
    while (end + 1 < bytes.size() && !(bytes[end] == 0xFF && bytes[end + 1] != 0 && (bytes[end + 1] & 0xF8) != 0xD0))
      ++end;
    if (++sos == 2) {
      std::vector<uint8_t> out(bytes.begin(), bytes.begin() + long(end));
      for (int k = 1; k < copies; ++k) out.insert(out.end(), bytes.begin() + long(i), bytes.begin() + long(end));
      out.insert(out.end(), bytes.begin() + long(end), bytes.end());
      return out;
    }
    i = end;
  }
  return bytes;
}

TEST(JpegReader, AbsurdScanCountsAreRefused) {
  JPEG_SAVE_OPTIONS progressive;
  progressive.nProgressive = 1;
  const auto bytes = EncodeJpeg(MakeTestPicture(16, 16), progressive);
  CCodecJob job;
  EXPECT_EQ(ReadBytesWith(ReadJpeg, WithRepeatedScan(bytes, 400), job), IMAGEIO_OK);
  EXPECT_EQ(ReadBytesWith(ReadJpeg, WithRepeatedScan(bytes, 2000), job), IMAGEIO_UNKNOWN_ERROR);
  EXPECT_TRUE(job.m_image.IsEmpty());
}

}  // namespace

namespace {

TEST(JpegWriter, FullDiskFails) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (int size : {8, 1000}) {
    for (bool buffered : {false, true}) {
      CBufferedFile file;
      ASSERT_TRUE(file.Open("/dev/full", CBufferedFile::kWrite));
      if (buffered) file.BeginBuffer();
      CCodecJob job;
      job.m_pStream = &file;
      job.m_image = MakeTestPicture(size, size);
      JPEG_SAVE_OPTIONS options;
      const int result = WriteJpeg(&job, &options);
      // A tail still in the stream's own buffer is the caller's to check.
      if (!buffered || size > 100) {
        EXPECT_EQ(result, IMAGEIO_UNKNOWN_ERROR) << size << " " << buffered;
      }
      file.EndBuffer();
      EXPECT_TRUE(file.GetWriteError());
    }
  }
}

}  // namespace
