// Batch scripts: what is stored where, which names are refused, what a
// script sets in a job, and the texts of its summary.

#include <gtest/gtest.h>

#include "base/Profile.h"
#include "output/core/BatchScript.h"
#include "output/core/ImageConverter.h"

namespace {

class BatchScriptTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallProfileStore(nullptr); }
  void TearDown() override { InstallProfileStore(nullptr); }
};

CBatchScript Unusual() {
  CBatchScript s;
  s.m_strName = "Web pictures";
  s.m_nFormat = 3;
  s.m_nCommentOption = 2;
  s.m_nGifSubType = 0;
  s.m_bGifInterlace = true;
  s.m_bGifSingleImage = true;
  s.m_nJpegQuality = 42;
  s.m_bJpegProgressive = true;
  s.m_nColorMode = 2;
  s.m_bDither = false;
  s.m_nColors = 17;
  s.m_nPaletteOption = 4;
  s.m_strPaletteFile = "/home/u/pal/warm.pal";
  s.m_nResizeMethod = 5;
  s.m_nFixedWidth = 11;
  s.m_nFixedHeight = 12;
  s.m_nScale = 13;
  s.m_nMaxWidth = 14;
  s.m_nMaxHeight = 15;
  s.m_nRotateOption = 3;
  s.m_strFilePrefix = "pic";
  s.m_nDigits = 3;
  s.m_nDestination = 1;
  s.m_strCommonFolder = "/tmp/out";
  s.m_bRecycleOriginal = true;
  return s;
}

TEST_F(BatchScriptTest, TheTwentyFourValuesRoundTripUnderTheirKeys) {
  const CBatchScript saved = Unusual();
  ASSERT_TRUE(saved.Save());
  CBatchScript loaded;
  ASSERT_TRUE(loaded.Load("Web pictures"));
  EXPECT_EQ(loaded, saved);

  const std::string section = "Batch Scripts\\Web pictures";
  const std::pair<const char*, int> ints[] = {
      {"Format Option", 3},    {"Comment Option", 2}, {"GIF Sub Type", 0},      {"GIF Interlace Scanlines", 1},
      {"GIF Single Image", 1}, {"JPEG Quality", 42},  {"JPEG Progressive", 1},  {"Color Mode", 2},
      {"Use Dithering", 0},    {"Number Of Colors", 17}, {"Palette Option", 4}, {"Resize Method", 5},
      {"Fixed Width", 11},     {"Fixed Height", 12},  {"Scale", 13},            {"Max Width", 14},
      {"Max Height", 15},      {"Rotate Option", 3},  {"Number Of Digits", 3},  {"Destination Folder Option", 1},
      {"Recycle Original", 1},
  };
  for (auto [key, value] : ints) EXPECT_EQ(GetProfileInt(section, key, -999), value) << key;
  EXPECT_EQ(GetProfileString(section, "Palette File Path", "?"), "/home/u/pal/warm.pal");
  EXPECT_EQ(GetProfileString(section, "File Name Prefix", "?"), "pic");
  EXPECT_EQ(GetProfileString(section, "Common Folder Path", "?"), "/tmp/out");
}

TEST_F(BatchScriptTest, MissingKeysTakeTheDefaultsAndSaveReplacesTheSection) {
  WriteProfileInt("Batch Scripts\\Half", "JPEG Quality", 55);
  WriteProfileInt("Batch Scripts\\Half", "Stale Key", 1);
  CBatchScript s;
  ASSERT_TRUE(s.Load("Half"));
  CBatchScript expected;
  expected.m_strName = "Half";
  expected.m_nJpegQuality = 55;
  EXPECT_EQ(s, expected);
  ASSERT_TRUE(s.Save());
  EXPECT_EQ(GetProfileInt("Batch Scripts\\Half", "Stale Key", -1), -1);
  // Resize method 0 still stores all five resize values.
  EXPECT_EQ(GetProfileInt("Batch Scripts\\Half", "Fixed Width", -1), 640);
  EXPECT_EQ(GetProfileInt("Batch Scripts\\Half", "Max Height", -1), 480);
}

TEST_F(BatchScriptTest, NamesThatWouldReachOtherSectionsAreRefused) {
  WriteProfileInt("General", "Usage", 7);
  WriteProfileInt("Batch Scripts\\Kept", "Scale", 50);
  for (const char* name : {"", "..", "a/../General", "/", "a\\..\\General", ".hidden", "new\nline", "../General"}) {
    CBatchScript s;
    s.m_strName = name;
    s.m_nScale = 1;
    EXPECT_FALSE(s.Save()) << name;
    EXPECT_FALSE(DeleteBatchScript(name)) << name;
    EXPECT_FALSE(CBatchScript().Load(name)) << name;
  }
  EXPECT_EQ(GetProfileInt("General", "Usage", 0), 7);
  EXPECT_EQ(GetProfileInt("Batch Scripts\\Kept", "Scale", 0), 50);
  EXPECT_EQ(ListBatchScripts(), std::vector<std::string>{"Kept"});
  EXPECT_TRUE(IsValidBatchScriptName("Copy of Web pictures (2)"));
}

TEST_F(BatchScriptTest, ListAndDelete) {
  for (const char* name : {"zeta", "Alpha", "beta"}) {
    CBatchScript s;
    s.m_strName = name;
    ASSERT_TRUE(s.Save());
  }
  EXPECT_EQ(ListBatchScripts(), (std::vector<std::string>{"Alpha", "beta", "zeta"}));
  EXPECT_TRUE(DeleteBatchScript("beta"));
  EXPECT_EQ(ListBatchScripts(), (std::vector<std::string>{"Alpha", "zeta"}));
}

TEST_F(BatchScriptTest, ApplyToSetsTheJob) {
  struct {
    int method;
    int mode, width, height, percent;
  } cases[] = {
      {0, RESIZE_NONE, -1, -1, 100},   {1, RESIZE_FIXED, 11, -1, 100}, {2, RESIZE_FIXED, -1, 12, 100},
      {3, RESIZE_PERCENT, -1, -1, 13}, {4, RESIZE_LIMIT, 14, -1, 100}, {5, RESIZE_LIMIT, -1, 15, 100},
  };
  for (auto c : cases) {
    CBatchScript s = Unusual();
    s.m_nResizeMethod = c.method;
    CImageConverter job;
    s.ApplyTo(job);
    EXPECT_EQ(job.m_nResizeMode, c.mode) << c.method;
    EXPECT_EQ(job.m_nResizeWidth, c.width) << c.method;
    EXPECT_EQ(job.m_nResizeHeight, c.height) << c.method;
    EXPECT_EQ(job.m_nScalePercent, c.percent) << c.method;
  }
  CBatchScript gif = Unusual();
  CImageConverter job;
  gif.ApplyTo(job);
  EXPECT_EQ(job.m_nFormat, 3);
  EXPECT_EQ(job.m_nGifSubType, 0);
  EXPECT_TRUE(job.m_bGifInterlace);
  EXPECT_TRUE(job.m_bGifSingleImage);
  EXPECT_EQ(job.m_nJpegQuality, 100);  // JPEG options only for JPEG
  EXPECT_EQ(job.m_nCommentOption, 2);
  EXPECT_EQ(job.m_nColorMode, 2);
  EXPECT_FALSE(job.m_bDither);
  EXPECT_EQ(job.m_nPaletteOption, 4);
  EXPECT_EQ(job.m_nColors, 17);
  EXPECT_EQ(job.m_strPaletteFile, "/home/u/pal/warm.pal");
  EXPECT_EQ(job.m_nRotation, 270);
  EXPECT_EQ(job.m_strFileTitle, "pic");
  EXPECT_EQ(job.m_nDigits, 3);
  EXPECT_EQ(job.m_strOutputFolder, "/tmp/out");
  EXPECT_TRUE(job.m_bRecycleSource);

  CBatchScript jpeg = Unusual();
  jpeg.m_nFormat = 7;
  jpeg.m_nDestination = 0;
  CImageConverter job2;
  jpeg.ApplyTo(job2);
  EXPECT_EQ(job2.m_nJpegQuality, 42);
  EXPECT_TRUE(job2.m_bJpegProgressive);
  EXPECT_EQ(job2.m_nGifSubType, 1);
  EXPECT_EQ(job2.m_strOutputFolder, "");
}

std::string Rows(const CBatchScript& s) {
  std::string text;
  for (const auto& [option, value] : s.GetSummary()) text += option + " | " + value + "\n";
  return text;
}

TEST_F(BatchScriptTest, SummaryOfANewScript) {
  EXPECT_EQ(Rows(CBatchScript()),
            "Format | Keep Original Format\n"
            "Color Mode | Keep Original Color Mode\n"
            "Resize Image | No\n"
            "Rotate Image | No\n"
            "Output File Name | Original File Name\n"
            "Output Folder | Original Folder\n"
            "Recycle Source Files | No\n");
}

TEST_F(BatchScriptTest, SummaryOfAGifScriptWithAPaletteFile) {
  EXPECT_EQ(Rows(Unusual()),
            "Format | CompuServe (*.GIF)\n"
            "    Sub-Type Version | GIF87a\n"
            "    Interlace Scanlines | Yes\n"
            "    Save As Single-Image GIF File | Yes\n"
            "    Comment | Use Personal Signature\n"
            "Color Mode | Indexed Color\n"
            "    Palette | /home/u/pal/warm.pal\n"
            "    Dithering | No\n"
            "Resize Image | Limiting Maximum Height (15)\n"
            "Rotate Image | 90 Degrees Counter-Clockwise\n"
            "Output File Name | pic001\n"
            "Output Folder | /tmp/out\n"
            "Recycle Source Files | Yes\n");
}

TEST_F(BatchScriptTest, SummaryOfAJpegScript) {
  CBatchScript s;
  s.m_nFormat = 7;
  s.m_nJpegQuality = 85;
  s.m_nCommentOption = 1;
  s.m_nColorMode = 4;
  s.m_nResizeMethod = 3;
  s.m_nScale = 25;
  s.m_nRotateOption = 1;
  EXPECT_EQ(Rows(s),
            "Format | JPEG (*.JPG)\n"
            "    JPEG Quality | 85\n"
            "    Progressive JPEG | No\n"
            "    Comment | Keep Original File Comments\n"
            "Color Mode | RGB Full Color\n"
            "Resize Image | By 25%\n"
            "Rotate Image | 90 Degrees Clockwise\n"
            "Output File Name | Original File Name\n"
            "Output Folder | Original Folder\n"
            "Recycle Source Files | No\n");
}

TEST_F(BatchScriptTest, PaletteAndResizeTexts) {
  const char* palettes[] = {"Windows 16 Color Palette", "Windows 256 Color Palette", "Web-Safe 216 Color Palette",
                            "Best Matched 64 Color Palette"};
  for (int option = 0; option < 4; ++option) {
    CBatchScript s;
    s.m_nColorMode = 2;
    s.m_nPaletteOption = option;
    s.m_nColors = 64;
    const auto rows = s.GetSummary();
    EXPECT_EQ(rows[2], SummaryRow("    Palette", palettes[option]));
    EXPECT_EQ(rows[3], SummaryRow("    Dithering", "Yes"));
  }
  const char* resize[] = {"No", "Using Fixed Width (640)", "Using Fixed Height (480)", "By 100%",
                          "Limiting Maximum Width (640)", "Limiting Maximum Height (480)"};
  for (int method = 0; method < 6; ++method) {
    CBatchScript s;
    s.m_nResizeMethod = method;
    EXPECT_EQ(s.GetSummary()[2], SummaryRow("Resize Image", resize[method]));
  }
}

TEST(BatchResults, TheResultText) {
  EXPECT_EQ(FormatBatchResults("Small", 3, 2, 1),
            "Results of running batch script: Small\n\n3 file(s) processed\n2 file(s) completed\n1 file(s) failed");
  EXPECT_STREQ(kBatchResultsCaption, "Batch Processing Results");
}

}  // namespace
