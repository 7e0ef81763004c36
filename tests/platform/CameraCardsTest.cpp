#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/CameraCards.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using testing_support::TempDir;

TEST(CameraCards, OnlyRootsWithDcimInPathOrder) {
  TempDir dir;
  fs::create_directories(dir / "cardB/DCIM/100CANON");
  fs::create_directories(dir / "cardA/DCIM");
  fs::create_directories(dir / "stick/photos/DCIM");  // DCIM not at the root
  fs::create_directories(dir / "fileCard");
  std::ofstream(dir / "fileCard/DCIM") << "x";  // a file named DCIM still counts
  std::vector<std::string> roots = {(dir / "cardB").string(), (dir / "stick").string(),
                                    (dir / "fileCard").string(), (dir / "cardA/").string(),
                                    (dir / "missing").string()};
  std::vector<CAMERA_CARD> cards = SelectCameraCards(roots);
  ASSERT_EQ(cards.size(), 3u);
  EXPECT_EQ(cards[0].strRoot, (dir / "cardA/").string());
  EXPECT_EQ(cards[0].strName, "cardA");
  EXPECT_EQ(cards[1].strRoot, (dir / "cardB").string());
  EXPECT_EQ(cards[2].strName, "fileCard");
  EXPECT_EQ(CameraCardRoots(cards).size(), 3u);
}

TEST(CameraCards, InjectedRootsReplaceTheMounts) {
  TempDir dir;
  fs::create_directories(dir / "one/DCIM");
  fs::create_directories(dir / "two/DCIM");
  std::string value = (dir / "two").string() + "::" + (dir / "one").string() + ":" + (dir / "none").string();
  ::setenv("PICTORAVELL_CARD_ROOTS", value.c_str(), 1);
  std::vector<CAMERA_CARD> cards = FindCameraCards();
  ::unsetenv("PICTORAVELL_CARD_ROOTS");
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0].strName, "one");
  EXPECT_EQ(cards[1].strName, "two");
  // The real mounts under Xvfb / CI: no crash; whatever is found holds DCIM.
  for (const CAMERA_CARD& c : FindCameraCards()) EXPECT_TRUE(fs::exists(fs::path(c.strRoot) / "DCIM"));
}
