#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/FolderListing.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using testing_support::TempDir;

TEST(FolderListing, FoldersOnlyWithoutDotNamesInFileNameOrder) {
  TempDir dir;
  for (const char* name : {"beta", "Alpha", "photo10", "photo9", ".hidden", "Zeta"}) fs::create_directories(dir / name);
  std::ofstream(dir / "file.txt") << "x";
  fs::create_directory_symlink(dir / "Alpha", dir / "link");
  const std::vector<std::string> names = ListSubfolders(dir.path().string());
  const std::vector<std::string> expected = {"Alpha", "beta", "link", "photo9", "photo10", "Zeta"};
  EXPECT_EQ(names, expected);
  EXPECT_TRUE(HasSubfolders(dir.path().string()));
  EXPECT_FALSE(HasSubfolders((dir / "beta").string()));
  EXPECT_TRUE(ListSubfolders((dir / "missing").string()).empty());
  EXPECT_EQ(JoinFolder("/", "usr"), "/usr");
  EXPECT_EQ(JoinFolder("/usr", "lib"), "/usr/lib");
  EXPECT_FALSE(HomeFolder().empty());
}
