#include <gtest/gtest.h>

#include "base/Profile.h"
#include "browser/core/BrowseModeSettings.h"

namespace {

class BrowseModeSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { m_previous = InstallProfileStore(MakeMemoryProfileStore()); }
  void TearDown() override { InstallProfileStore(std::move(m_previous)); }
  std::unique_ptr<IProfileStore> m_previous;
};

TEST_F(BrowseModeSettingsTest, DefaultsAndClampedSize) {
  BROWSE_MODE_SETTINGS s;
  s.Read();
  EXPECT_FALSE(s.strBrowseFolder.empty());  // the current folder
  EXPECT_FALSE(s.bReverseSort);
  EXPECT_FALSE(s.bRecursive);
  EXPECT_FALSE(s.bCameraMode);
  EXPECT_TRUE(s.bShowNames);
  EXPECT_EQ(s.nThumbSizeIndex, 2);
  const std::pair<int, int> sizes[] = {{7, 4}, {4, 4}, {1, 1}, {0, 1}, {-3, 1}, {3, 3}};
  for (auto [stored, read] : sizes) {
    WriteProfileInt("Browse Mode", "Thumbnail Size", stored);
    s.Read();
    EXPECT_EQ(s.nThumbSizeIndex, read) << stored;
  }
}

TEST_F(BrowseModeSettingsTest, CameraModeDeletesTheFolder) {
  BROWSE_MODE_SETTINGS s;
  s.strBrowseFolder = "/home/me/Photos";
  s.bRecursive = true;
  s.Write();
  EXPECT_EQ(GetProfileString("Browse Mode", "Browse Directory", "none"), "/home/me/Photos");
  EXPECT_EQ(GetProfileInt("Browse Mode", "Recursive", 0), 1);
  s.bCameraMode = true;
  s.Write();
  EXPECT_EQ(GetProfileString("Browse Mode", "Browse Directory", "none"), "none");
  EXPECT_EQ(GetProfileInt("Browse Mode", "Browsing Camera", 0), 1);
}

TEST(BrowserCellMetrics, BoxesAndGaps) {
  const std::pair<int, int> boxes[] = {{1, 80}, {2, 100}, {3, 120}, {4, 160}, {0, 80}, {9, 160}};
  for (auto [index, box] : boxes) EXPECT_EQ(GetThumbnailBoxSize(index), box) << index;
  const BROWSER_CELL_METRICS plain = GetCellMetrics(2, false, 15);
  EXPECT_EQ(plain.nCellWidth, 100);
  EXPECT_EQ(plain.nGapX, 32);
  EXPECT_EQ(plain.nGapY, 20);
  EXPECT_EQ(plain.nMarginX, 16);
  EXPECT_EQ(plain.nZoomGrowX, 18);
  EXPECT_EQ(plain.nZoomGrowY, 12);
  EXPECT_EQ(plain.nZoomSteps, 6);
  EXPECT_EQ(plain.nMarkerSteps, 5);
  EXPECT_EQ(GetCellMetrics(4, true, 15).nGapY, 35);
}

}  // namespace
