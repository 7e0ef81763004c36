// The conversion job: output names, sizes, turns, colour modes, what is
// written where, and that no picture is ever lost or overwritten.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "formats/PaletteFile.h"
#include "formats/PersonalSignature.h"
#include "base/Profile.h"
#include "imaging/StandardPalettes.h"
#include "output/core/ImageConverter.h"
#include "tests/output/core/OutputJobTestSupport.h"

namespace {

using namespace output_test;
using testing_support::RecordingMessageSink;

struct NameCase {
  const char* title;
  int digits;
  int serial;
  const char* folder;
  int format;
  const char* source;
  const char* expected;
};

TEST(ImageConverterNames, OutputPathTable) {
  const NameCase cases[] = {
      {"Picture", 4, 7, "", 0, "/p/a.png", "/p/Picture0007.png"},
      {"Picture", 4, 12345, "", 0, "/p/a.png", "/p/Picture12345.png"},
      {"Picture", 4, -1, "", 0, "/p/a.png", "/p/Picture.png"},
      {"Picture", 0, 7, "", 0, "/p/a.png", "/p/Picture.png"},
      {"", 4, 7, "", 0, "/p/a.png", "/p/a.png"},                    // empty title keeps the source's
      {"", 1, 1, "/out", 7, "/p/a.png", "/out/a.jpg"},              // folder without its slash...
      {"", 1, 1, "/out/", 7, "/p/a.png", "/out/a.jpg"},             // ...and with it
      {"", 1, 1, "", 0, "/p/a.dib", "/p/a.bmp"},                    // a DIB is a BMP
      {"", 1, 1, "", 2, "/p/a.png", "/p/a.dib"},
      {"", 1, 1, "", 0, "/p/a.pcd", "/p/a."},                       // no codec: no extension
      {"", 1, 1, "", 0, "/p/a.xyz", "/p/a."},
      {"x", 2, 3, "", 9, "a.png", "x03.tga"},                       // no folder: no leading '/'
      {"", 1, 1, "", 8, "/p/my.photo.jpg", "/p/my.photo.png"},
  };
  for (const NameCase& c : cases) {
    CImageConverter job;
    job.SetFileTitle(c.title, c.digits);
    job.SetOutputFolder(c.folder);
    job.SetOutputFormat(c.format);
    EXPECT_EQ(job.MakeOutputPath(c.source, c.serial), c.expected) << c.title << " " << c.serial << " " << c.source;
  }
}

TEST(ImageConverterNames, SettersKeepTheirRules) {
  CImageConverter job;
  job.SetFileTitle("a", 5);
  job.SetFileTitle(nullptr, 9);  // a null title keeps the digits
  EXPECT_EQ(job.m_strFileTitle, "");
  EXPECT_EQ(job.m_nDigits, 5);
  job.SetCommentOption(-3);
  EXPECT_EQ(job.m_nCommentOption, 0);
  job.SetCommentOption(7);
  EXPECT_EQ(job.m_nCommentOption, 2);
  const int rotations[][2] = {{1, 90}, {2, 180}, {3, 270}, {0, 0}, {4, 0}, {-1, 0}};
  for (auto [option, degrees] : rotations) {
    job.SetRotation(option);
    EXPECT_EQ(job.m_nRotation, degrees) << option;
  }
  EXPECT_TRUE(IsValidFileTitle("Holiday 2026"));
  for (const char* bad : {"", ".", "..", "a/b", "../x", "tab\there"}) EXPECT_FALSE(IsValidFileTitle(bad)) << bad;
}

struct SizeCase {
  int mode, width, height, percent, w, h;
  bool ok;
  int W, H;
};

TEST(ImageConverterSizes, TargetSizeTable) {
  const SizeCase cases[] = {
      {RESIZE_LIMIT, 640, 480, 100, 1600, 1200, true, 640, 480},
      {RESIZE_LIMIT, 640, 480, 100, 1200, 1600, true, 360, 480},
      {RESIZE_LIMIT, 640, 480, 100, 320, 240, true, 320, 240},
      {RESIZE_LIMIT, 100, -1, 100, 400, 50, true, 100, 12},
      {RESIZE_LIMIT, -1, -1, 100, 400, 50, true, 400, 50},
      {RESIZE_LIMIT, 0, -1, 100, 400, 50, false, 0, 0},
      {RESIZE_FIXED, 300, -1, 100, 600, 400, true, 300, 200},
      {RESIZE_FIXED, -1, 300, 100, 600, 400, true, 450, 300},
      {RESIZE_FIXED, 300, 300, 100, 600, 400, true, 300, 300},
      {RESIZE_FIXED, 0, 0, 100, 600, 400, true, 600, 400},
      {RESIZE_FIXED, 1, -1, 100, 1000, 10, false, 1, 0},  // the height rounds to 0
      {RESIZE_PERCENT, -1, -1, 50, 101, 51, true, 50, 25},
      {RESIZE_PERCENT, -1, -1, 0, 101, 51, false, 0, 0},
      {RESIZE_PERCENT, -1, -1, 1000000, 3000, 2000, false, 30000000, 20000000},  // beyond the side limit
      {RESIZE_NONE, -1, -1, 100, 7, 9, true, 7, 9},
  };
  for (const SizeCase& c : cases) {
    int W = -9, H = -9;
    EXPECT_EQ(ComputeTargetSize(c.mode, c.width, c.height, c.percent, c.w, c.h, &W, &H), c.ok)
        << c.mode << " " << c.w << "x" << c.h;
    EXPECT_EQ(W, c.W) << c.mode << " " << c.w << "x" << c.h;
    EXPECT_EQ(H, c.H) << c.mode << " " << c.w << "x" << c.h;
  }
}

// Converts one file with the job; returns the output path ("" on failure).
std::string Convert(CImageConverter& job, const fs::path& source, int serial = -1, int* w = nullptr, int* h = nullptr) {
  std::string out;
  return job.ProcessFile(source.c_str(), out, serial, w, h) ? out : std::string();
}

TEST(ImageConverterFiles, LimitWritesTheScaledPictureWhereItSays) {
  TempDir dir;
  struct {
    int w, h, W, H;
  } cases[] = {{1600, 1200, 640, 480}, {1200, 1600, 360, 480}, {320, 240, 320, 240}};
  fs::create_directories(dir / "out");
  int serial = 1;
  for (auto c : cases) {
    const fs::path source = dir / ("src" + std::to_string(c.w) + ".png");
    WritePicture(source, c.w, c.h);
    CImageConverter job;
    job.SetMaxSize(640, 480);
    job.SetOutputFormat(7);
    job.SetFileTitle("Picture", 4);
    job.SetOutputFolder((dir / "out").c_str());
    int W = 0, H = 0;
    const std::string out = Convert(job, source, serial, &W, &H);
    const std::string expected = (dir / "out" / ("Picture000" + std::to_string(serial) + ".jpg")).string();
    EXPECT_EQ(out, expected);
    EXPECT_EQ(W, c.W);
    EXPECT_EQ(H, c.H);
    const CImageFileRequest back = ReadBack(expected);
    EXPECT_EQ(back.m_nWidth, c.W);
    EXPECT_EQ(back.m_nHeight, c.H);
    EXPECT_TRUE(fs::exists(source));
    ++serial;
  }
  // Another program agrees on the size written.
  REQUIRE_TOOL("identify");
  std::string text;
  ASSERT_EQ(testing_support::RunCommand("identify -format '%w %h' " + testing_support::ShellQuote((dir / "out/Picture0002.jpg").string()), &text), 0);
  EXPECT_EQ(text, "360 480");
}

TEST(ImageConverterFiles, PercentAndZeroSides) {
  TempDir dir;
  WritePicture(dir / "a.png", 101, 51);
  CImageConverter job;
  job.SetScale(50);
  job.SetFileTitle("half", 1);
  int W = 0, H = 0;
  EXPECT_EQ(Convert(job, dir / "a.png", -1, &W, &H), (dir / "half.png").string());
  EXPECT_EQ(W, 50);
  EXPECT_EQ(H, 25);

  // A side of 0 fails the file and writes nothing.
  for (int option = 0; option < 3; ++option) {
    CImageConverter zero;
    zero.SetFileTitle("zero", 1);
    if (option == 0) zero.SetScale(0);
    if (option == 1) zero.SetMaxSize(0, -1);
    if (option == 2) zero.SetFixedSize(1, -1);  // 101 x 51 at width 1: height 0
    EXPECT_EQ(Convert(zero, dir / "a.png"), "") << option;
    EXPECT_FALSE(fs::exists(dir / "zero.png")) << option;
  }
}

TEST(ImageConverterFiles, RotationTurnsCanvasAndPixels) {
  TempDir dir;
  const CRasterImage picture = testing_support::MakeTestPicture(200, 100, 3);
  WritePicture(dir / "a.png", picture);
  CImageConverter job;
  job.SetRotation(1);
  job.SetFileTitle("turned", 1);
  int W = 0, H = 0;
  const std::string out = Convert(job, dir / "a.png", -1, &W, &H);
  ASSERT_EQ(out, (dir / "turned.png").string());
  EXPECT_EQ(W, 100);
  EXPECT_EQ(H, 200);
  ASSERT_EQ(job.GetRequest().GetFrameCount(), 1);
  EXPECT_EQ(job.GetRequest().m_frames[0].m_nLeft, 0);
  EXPECT_EQ(job.GetRequest().m_frames[0].m_nTop, 0);
  // Clockwise: the turned picture's top row is the source's left column, bottom up.
  const CImageFileRequest back = ReadBack(out);
  ASSERT_EQ(back.GetFrameCount(), 1);
  const CRasterImage& t = back.m_frames[0].m_image;
  ASSERT_EQ(t.GetBitsPerPixel(), 24);
  for (int x : {0, 37, 99})
    for (int y : {0, 101, 199}) {
      const uint8_t* got = t.GetRow(y) + 3 * x;
      const uint8_t* want = picture.GetRow(99 - x) + 3 * y;
      ASSERT_EQ(std::vector<uint8_t>(got, got + 3), std::vector<uint8_t>(want, want + 3)) << x << "," << y;
    }
}

// An 8-bit palette image of `colors` distinct colours from a palette.
CRasterImage ColourBars(int width, int height, const RGBQUAD* palette, int colors) {
  CRasterImage image;
  image.Create(width, height, 8);
  for (int i = 0; i < colors; ++i) image.GetWritablePalette()[i] = palette[i];
  uint8_t* bits = image.GetWritableBits();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bits[y * image.GetStride() + x] = static_cast<uint8_t>(x * colors / width);
  return image;
}

TEST(ImageConverterColors, ModesGiveTheirDepths) {
  TempDir dir;
  WritePicture(dir / "a.png", 64, 48);
  struct {
    int mode, palette, bpp;
    bool gray;
  } cases[] = {
      {CM_BITMAP, 3, 1, false},    {CM_INDEXED, PAL_WINDOWS16, 4, false}, {CM_INDEXED, PAL_WINDOWS256, 8, false},
      {CM_INDEXED, PAL_WEB, 8, false}, {CM_INDEXED, PAL_ADAPTIVE, 8, false}, {CM_GRAYSCALE, 3, 8, true},
      {CM_RGB, 3, 24, false},
  };
  int serial = 0;
  for (auto c : cases) {
    CImageConverter job;
    job.SetColorMode(c.mode);
    job.SetPalette(c.palette, 256, nullptr);
    job.SetOutputFormat(1);  // BMP keeps every depth
    job.SetFileTitle("m", 1);
    const std::string out = Convert(job, dir / "a.png", serial++);
    ASSERT_FALSE(out.empty()) << c.mode << " " << c.palette;
    const CRasterImage& image = job.GetRequest().m_frames[0].m_image;
    EXPECT_EQ(image.GetBitsPerPixel(), c.bpp) << c.mode << " " << c.palette;
    EXPECT_EQ(image.IsGrayscale(), c.gray) << c.mode;
    const CImageFileRequest back = ReadBack(out);
    ASSERT_EQ(back.GetFrameCount(), 1);
    EXPECT_EQ(back.m_frames[0].m_image.GetBitsPerPixel(), c.bpp) << out;
    if (c.mode == CM_INDEXED && c.palette != PAL_ADAPTIVE) {
      // The loaded palette's size replaces the job's colour count.
      EXPECT_EQ(job.m_nColors, c.palette == PAL_WINDOWS16 ? 16 : c.palette == PAL_WEB ? 216 : 256);
    }
  }
}

TEST(ImageConverterColors, PaletteFileColoursOnly) {
  TempDir dir;
  WritePicture(dir / "a.png", 40, 30);
  RGBQUAD five[5] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {0, 0, 0, 0}, {255, 255, 255, 0}};
  ASSERT_TRUE(SavePaletteFile(five, 5, (dir / "five.pal").string()));
  CImageConverter job;
  job.SetColorMode(CM_INDEXED);
  job.SetPalette(PAL_FILE, 256, (dir / "five.pal").c_str());
  job.SetFileTitle("p", 1);
  ASSERT_FALSE(Convert(job, dir / "a.png").empty());
  EXPECT_EQ(job.m_nColors, 5);
  const CRasterImage& image = job.GetRequest().m_frames[0].m_image;
  ASSERT_EQ(image.GetBitsPerPixel(), 4);
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const int index = (image.GetRow(y)[x / 2] >> (x % 2 ? 0 : 4)) & 15;
      ASSERT_LT(index, 5) << x << "," << y;
    }
}

TEST(ImageConverterColors, MissingOrEmptyPaletteFileFailsWithAMessage) {
  TempDir dir;
  WritePicture(dir / "a.png", 20, 20);
  testing_support::WriteFileBytes(dir / "empty.pal", {});
  testing_support::WriteFileBytes(dir / "text.pal", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'a', 'l'});
  for (const char* name : {"none.pal", "empty.pal", "text.pal"}) {
    RecordingMessageSink sink;
    CImageConverter job;
    job.SetColorMode(CM_INDEXED);
    job.SetPalette(PAL_FILE, 256, (dir / name).c_str());
    job.SetFileTitle("p", 1);
    EXPECT_EQ(Convert(job, dir / "a.png"), "") << name;
    EXPECT_FALSE(fs::exists(dir / "p.png")) << name;
    ASSERT_EQ(sink.messages.size(), 1u) << name;
    EXPECT_EQ(sink.messages[0].first, MESSAGE_ERROR);
    EXPECT_NE(sink.messages[0].second.find((dir / name).string()), std::string::npos) << sink.messages[0].second;
    EXPECT_EQ(job.m_nColors, 0) << name;
  }
}

TEST(ImageConverterColors, AdaptivePaletteIsBuiltPerFrame) {
  TempDir dir;
  RGBQUAD reds[4], blues[4];
  for (int i = 0; i < 4; ++i) {
    reds[i] = RGBQUAD{0, 0, static_cast<uint8_t>(60 + 60 * i), 0};
    blues[i] = RGBQUAD{static_cast<uint8_t>(60 + 60 * i), 0, 0, 0};
  }
  CAnimFrame first, second;
  first.m_image = ColourBars(32, 16, reds, 4);
  second.m_image = ColourBars(32, 16, blues, 4);
  second.m_nDelay = 10;
  WriteFrames(dir / "anim.gif", {first, second}, 32, 16);
  CImageConverter job;
  job.SetColorMode(CM_INDEXED);
  job.SetPalette(PAL_ADAPTIVE, 256, nullptr);
  job.SetFileTitle("anim2", 1);
  ASSERT_FALSE(Convert(job, dir / "anim.gif").empty());
  const auto& frames = job.GetRequest().m_frames;
  ASSERT_EQ(frames.size(), 2u);
  auto hasOnly = [](const CRasterImage& image, bool red) {
    for (int i = 0; i < image.GetPaletteSize(); ++i) {
      const RGBQUAD c = image.GetPalette()[i];
      if (c.rgbRed == 0 && c.rgbBlue == 0) continue;  // unused entries
      if (red ? c.rgbBlue != 0 : c.rgbRed != 0) return false;
    }
    return true;
  };
  EXPECT_TRUE(hasOnly(frames[0].m_image, true));
  EXPECT_TRUE(hasOnly(frames[1].m_image, false));
}

TEST(ImageConverterFiles, AnExistingFileIsNeverOverwritten) {
  TempDir dir;
  fs::create_directories(dir / "out");
  WritePicture(dir / "a.gif", 30, 20);
  testing_support::WriteFileBytes(dir / "out/a.gif", {'m', 'i', 'n', 'e'});
  fs::create_symlink(dir / "nowhere.gif", dir / "out/a-1.gif");  // a dangling link takes its name too
  CImageConverter job;
  job.SetOutputFolder((dir / "out").c_str());
  EXPECT_EQ(Convert(job, dir / "a.gif"), (dir / "out/a-2.gif").string());
  EXPECT_EQ(testing_support::ReadFileBytes(dir / "out/a.gif"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
  EXPECT_TRUE(fs::is_symlink(dir / "out/a-1.gif"));
  EXPECT_FALSE(fs::exists(dir / "nowhere.gif"));
  EXPECT_EQ(ReadBack(dir / "out/a-2.gif").m_nWidth, 30);
}

TEST(ImageConverterFiles, KeptGifFormatUsesTheStoredGifDefaults) {
  TempDir dir;
  WritePicture(dir / "a.gif", 16, 16);
  InstallProfileStore(nullptr);
  WriteProfileInt("GIF export", "Sub type", 0);
  auto signatureOf = [](const fs::path& path) {
    const auto bytes = testing_support::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.begin() + 6);
  };
  CImageConverter keep;  // format 0: the stored defaults, not the job's GIF89a
  keep.SetFileTitle("keep", 1);
  ASSERT_FALSE(Convert(keep, dir / "a.gif").empty());
  EXPECT_EQ(signatureOf(dir / "keep.gif"), "GIF87a");

  WriteProfileInt("GIF export", "Sub type", 1);
  CImageConverter old;
  old.SetOutputFormat(3);
  old.SetGifOptions(0, false, false);
  old.SetFileTitle("old", 1);
  ASSERT_FALSE(Convert(old, dir / "a.gif").empty());
  EXPECT_EQ(signatureOf(dir / "old.gif"), "GIF87a");
  InstallProfileStore(nullptr);
}

TEST(ImageConverterFiles, JpegCarriesTheExpandedSignature) {
  TempDir dir;
  WritePicture(dir / "a.png", 32, 32);
  InstallProfileStore(nullptr);
  SetPersonalSignature("Made from <FILENAME> on <Date>");
  CImageConverter job;
  job.SetOutputFormat(7);
  job.SetJpegOptions(90, false);
  job.SetCommentOption(2);
  job.SetFileTitle("signed", 1);
  ASSERT_FALSE(Convert(job, dir / "a.png").empty());
  const CImageFileRequest back = ReadBack(dir / "signed.jpg");
  EXPECT_EQ(back.m_strComment.rfind("Made from signed.jpg on ", 0), 0u) << back.m_strComment;
  EXPECT_EQ(back.m_strComment.find('<'), std::string::npos) << back.m_strComment;
  InstallProfileStore(nullptr);
}

TEST(ImageConverterFiles, AnUnreadableSourceWritesNothingAndStaysPut) {
  TrashHome();
  TempDir dir;
  testing_support::WriteFileBytes(dir / "bad.png", {'n', 'o', 't', ' ', 'p', 'n', 'g'});
  RecordingMessageSink sink;
  CImageConverter job;
  job.SetRecycleSource(true);
  job.SetFileTitle("out", 1);
  EXPECT_EQ(Convert(job, dir / "bad.png"), "");
  EXPECT_TRUE(fs::exists(dir / "bad.png"));
  EXPECT_FALSE(fs::exists(dir / "out.png"));
  EXPECT_FALSE(sink.messages.empty());
}

TEST(ImageConverterRecycle, SourceGoesToTheTrashOnlyAfterTheNewFileIsWritten) {
  TrashHome();
  TempDir dir;
  WritePicture(dir / "a.png", 50, 40);
  CImageConverter job;
  job.SetRecycleSource(true);
  job.SetOutputFormat(7);
  EXPECT_EQ(Convert(job, dir / "a.png"), (dir / "a.jpg").string());
  EXPECT_FALSE(fs::exists(dir / "a.png"));
  EXPECT_TRUE(fs::exists(TrashedFile("a.png")));
  EXPECT_EQ(ReadBack(dir / "a.jpg").m_nWidth, 50);
}

TEST(ImageConverterRecycle, AResultForTheSourcesOwnNameTakesItOnceTheSourceIsInTheTrash) {
  TrashHome();
  TempDir dir;
  WritePicture(dir / "b.png", 80, 60);
  CImageConverter job;
  job.SetRecycleSource(true);
  job.SetScale(50);
  EXPECT_EQ(Convert(job, dir / "b.png"), (dir / "b.png").string());
  EXPECT_EQ(ReadBack(dir / "b.png").m_nWidth, 40);
  EXPECT_FALSE(fs::exists(dir / "b-1.png"));
  EXPECT_EQ(ReadBack(TrashedFile("b.png")).m_nWidth, 80);
}

TEST(ImageConverterRecycle, AFailedSaveKeepsTheSourceWhereItWas) {
  TrashHome();
  TempDir dir;
  WritePicture(dir / "c.png", 20, 20);
  fs::create_directories(dir / "locked");
  ::chmod((dir / "locked").c_str(), 0555);
  RecordingMessageSink sink;
  CImageConverter job;
  job.SetRecycleSource(true);
  job.SetOutputFolder((dir / "locked").c_str());
  EXPECT_EQ(Convert(job, dir / "c.png"), "");
  EXPECT_TRUE(fs::exists(dir / "c.png"));
  EXPECT_FALSE(fs::exists(TrashedFile("c.png")));
  EXPECT_TRUE(fs::is_empty(dir / "locked"));
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages.back().second, "File save failed: The disk is either full or wrtie-protected.");
}

TEST(ImageConverterFiles, ATitleThatLeavesItsFolderIsRefused) {
  TempDir dir;
  fs::create_directories(dir / "in");
  WritePicture(dir / "in/a.png", 8, 8);
  RecordingMessageSink sink;
  CImageConverter job;
  job.SetFileTitle("../escaped", 0);
  EXPECT_EQ(Convert(job, dir / "in/a.png"), "");
  EXPECT_FALSE(fs::exists(dir / "escaped.png"));
  ASSERT_EQ(sink.messages.size(), 1u);
}

}  // namespace
