#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "browser/core/FolderDrop.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using testing_support::TempDir;

namespace {
std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
}  // namespace

TEST(FolderDrop, CopiesWithoutOverwritingAndRefusesFolders) {
  TempDir dir;
  fs::create_directories(dir / "from/sub");
  fs::create_directories(dir / "to");
  std::ofstream(dir / "from/new.jpg") << "new";
  std::ofstream(dir / "from/taken.jpg") << "dropped";
  std::ofstream(dir / "to/taken.jpg") << "kept";
  std::ofstream(dir / "to/here.jpg") << "here";
  const std::string to = (dir / "to").string();
  const FOLDER_DROP_RESULT result =
      CopyDroppedFiles({(dir / "from/new.jpg").string(), (dir / "from/taken.jpg").string(),
                        (dir / "from/sub").string(), (dir / "to/here.jpg").string()},
                       to + "/");
  EXPECT_EQ(result.copied, 1);
  ASSERT_EQ(result.failures.size(), 2u);
  EXPECT_EQ(result.failures[0], "Failed to copy 'taken.jpg' into '" + to + "'");
  EXPECT_EQ(result.failures[1], "Failed to copy 'sub' into '" + to + "'");
  EXPECT_EQ(Read(dir / "to/new.jpg"), "new");
  EXPECT_EQ(Read(dir / "to/taken.jpg"), "kept");  // byte-identical
  EXPECT_FALSE(fs::exists(dir / "to/sub"));
  // A file already in the folder: nothing happens, nothing is said.
  const FOLDER_DROP_RESULT same = CopyDroppedFiles({(dir / "to/here.jpg").string()}, to);
  EXPECT_EQ(same.copied, 0);
  EXPECT_TRUE(same.failures.empty());
}
