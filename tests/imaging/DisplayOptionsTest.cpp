#include <gtest/gtest.h>

#include "imaging/DisplayOptions.h"
#include "imaging/ImageDrawing.h"
#include "base/Profile.h"

namespace {

class DisplayOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override { m_previous = InstallProfileStore(MakeMemoryProfileStore()); }
  void TearDown() override {
    InstallProfileStore(std::move(m_previous));
    LoadDisplayOptions();
  }
  std::unique_ptr<IProfileStore> m_previous;
};

TEST_F(DisplayOptionsTest, AnEmptyProfileGivesTheDefaults) {
  LoadDisplayOptions();
  DISPLAY_OPTIONS o;
  GetDisplayOptions(o);
  EXPECT_EQ(o.bDrawBorder, 1);
  EXPECT_EQ(o.bDrawShadow, 1);
  EXPECT_EQ(o.nTransparency, TRANSPARENCY_CHECKERBOARD);
  EXPECT_EQ(o.checkerColor1, MakeRGBQuad(192, 192, 255));
  EXPECT_EQ(o.checkerColor2, MakeRGBQuad(255, 255, 255));
  EXPECT_EQ(o.solidColor, MakeRGBQuad(255, 255, 255));
  EXPECT_EQ(o.windowColor, MakeRGBQuad(255, 255, 255));
}

TEST_F(DisplayOptionsTest, SetWritesEveryKeyUnderItsName) {
  DISPLAY_OPTIONS o;
  o.bDrawBorder = 0;
  o.nTransparency = TRANSPARENCY_WINDOW;
  o.checkerColor1 = MakeRGBQuad(1, 2, 3);
  o.checkerColor2 = MakeRGBQuad(4, 5, 6);
  o.solidColor = MakeRGBQuad(7, 8, 9);
  o.windowColor = MakeRGBQuad(10, 11, 12);
  SetDisplayOptions(o);
  const char* s = "Display options";
  EXPECT_EQ(GetProfileInt(s, "Draw border", -1), 0);
  EXPECT_EQ(GetProfileInt(s, "Draw shadow", -1), 1);
  EXPECT_EQ(GetProfileInt(s, "Transparency", -1), 2);
  const struct {
    const char* key;
    int value;
  } keys[] = {{"Color 1 - red", 1},      {"Color 1 - green", 2},      {"Color 1 - blue", 3},
              {"Color 2 - red", 4},      {"Color 2 - green", 5},      {"Color 2 - blue", 6},
              {"Solid color - red", 7},  {"Solid color - green", 8},  {"Solid color - blue", 9},
              {"Bk color - red", 10},    {"Bk color - green", 11},    {"Bk color - blue", 12}};
  for (const auto& k : keys) EXPECT_EQ(GetProfileInt(s, k.key, -1), k.value) << k.key;
  // A fresh load reads back what was written.
  LoadDisplayOptions();
  DISPLAY_OPTIONS back;
  GetDisplayOptions(back);
  EXPECT_EQ(back.checkerColor1, o.checkerColor1);
  EXPECT_EQ(back.windowColor, o.windowColor);
  EXPECT_EQ(back.nTransparency, 2);
  EXPECT_EQ(back.bDrawBorder, 0);
}

TEST_F(DisplayOptionsTest, ValuesOutOfRangeInTheFileAreClamped) {
  const char* s = "Display options";
  WriteProfileInt(s, "Draw border", 7);
  WriteProfileInt(s, "Draw shadow", -3);
  WriteProfileInt(s, "Transparency", 9);
  WriteProfileInt(s, "Color 1 - red", 300);
  WriteProfileInt(s, "Color 1 - green", -20);
  WriteProfileInt(s, "Bk color - blue", 1000000);
  LoadDisplayOptions();
  DISPLAY_OPTIONS o;
  GetDisplayOptions(o);
  EXPECT_EQ(o.bDrawBorder, 1);
  EXPECT_EQ(o.bDrawShadow, 1);
  EXPECT_EQ(o.nTransparency, TRANSPARENCY_CHECKERBOARD);  // an unknown mode falls back to the default
  EXPECT_EQ(o.checkerColor1.rgbRed, 255);
  EXPECT_EQ(o.checkerColor1.rgbGreen, 0);
  EXPECT_EQ(o.checkerColor1.rgbBlue, 255);  // missing: default
  EXPECT_EQ(o.windowColor.rgbBlue, 255);
}

TEST_F(DisplayOptionsTest, SamplerOfAnEditedRecordLeavesTheProgramsAlone) {
  DISPLAY_OPTIONS edited;
  edited.nTransparency = TRANSPARENCY_SOLID;
  edited.solidColor = MakeRGBQuad(10, 20, 30);
  uint8_t r, g, b;
  EXPECT_EQ(SelectBackgroundSampler(edited)(5, 5, &r, &g, &b) & 255, 255);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(b, 30);
  DISPLAY_OPTIONS program;
  GetDisplayOptions(program);
  EXPECT_EQ(program.nTransparency, TRANSPARENCY_CHECKERBOARD);
  SelectBackgroundSampler()(0, 0, &r, &g, &b);
  EXPECT_EQ(r, 192);  // checker colour 1 at (0, 0)
  EXPECT_EQ(b, 255);
}

}  // namespace
