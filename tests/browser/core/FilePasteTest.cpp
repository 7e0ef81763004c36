#include "browser/core/FilePaste.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class PasteFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("paste-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "from");
    fs::create_directories(root / "to");
  }
  void TearDown() override { fs::remove_all(root); }
  std::string Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path root;
};

TEST_F(PasteFolders, CopiesFilesAndReportsProgress) {
  const std::string a = Write(root / "from/a.jpg", "AAAA");
  const std::string b = Write(root / "from/b.png", std::string(200000, 'b'));
  static std::vector<std::pair<int, int>> steps;
  steps.clear();
  const PASTE_RESULT r = PasteFiles({a, b}, (root / "to").string(), false, nullptr,
                                    [](int done, int total) { steps.emplace_back(done, total); });
  EXPECT_EQ(r.nDone, 2);
  EXPECT_EQ(Read(root / "to/a.jpg"), "AAAA");
  EXPECT_EQ(Read(root / "to/b.png"), std::string(200000, 'b'));
  EXPECT_EQ(Read(a), "AAAA");  // a copy keeps the source
  EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(root / "to"), fs::directory_iterator()), 2);
}

TEST_F(PasteFolders, PastingIntoTheFilesOwnFolderMakesNumberedCopiesAndKeepsTheSource) {
  const std::string a = Write(root / "from/a.jpg", "original bytes");
  Write(root / "from/a-1.jpg", "taken");
  const PASTE_RESULT r = PasteFiles({a}, (root / "from").string(), false, [](const std::string&) {
    ADD_FAILURE() << "the file itself is never a name clash";
    return PASTE_REPLACE;
  });
  EXPECT_EQ(r.nDone, 1);
  EXPECT_EQ(Read(a), "original bytes");
  EXPECT_EQ(Read(root / "from/a-1.jpg"), "taken");
  EXPECT_EQ(Read(root / "from/a-2.jpg"), "original bytes");
  // A move onto itself does nothing.
  const PASTE_RESULT m = PasteFiles({a}, (root / "from").string(), true, nullptr);
  EXPECT_EQ(m.nDone, 1);
  EXPECT_EQ(Read(a), "original bytes");
  EXPECT_FALSE(fs::exists(root / "from/a-3.jpg"));
}

TEST_F(PasteFolders, NumberedNames) {
  EXPECT_EQ(MakeNumberedCopyPath((root / "to").string(), "x.jpg"), (root / "to/x-1.jpg").string());
  EXPECT_EQ(MakeNumberedCopyPath((root / "to").string() + "/", "noext"), (root / "to/noext-1").string());
  EXPECT_EQ(MakeNumberedCopyPath((root / "to").string(), ".hidden"), (root / "to/.hidden-1").string());
}

TEST_F(PasteFolders, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
  struct Row {
    int answer;
    const char* after;
    int done, skipped;
    bool cancelled;
  };
  const Row rows[] = {
      {PASTE_REPLACE, "new", 1, 0, false},
      {PASTE_SKIP, "old", 0, 1, false},
      {PASTE_CANCEL, "old", 0, 0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.answer);
    const std::string source = Write(root / "from/p.jpg", "new");
    Write(root / "to/p.jpg", "old");
    std::vector<std::string> asked;
    const PASTE_RESULT r = PasteFiles({source}, (root / "to").string(), false, [&](const std::string& target) {
      asked.push_back(target);
      return row.answer;
    });
    EXPECT_EQ(asked, std::vector<std::string>{(root / "to/p.jpg").string()});
    EXPECT_EQ(Read(root / "to/p.jpg"), row.after);
    EXPECT_EQ(r.nDone, row.done);
    EXPECT_EQ(r.nSkipped, row.skipped);
    EXPECT_EQ(r.bCancelled, row.cancelled);
    EXPECT_EQ(Read(source), "new");
  }
}

TEST_F(PasteFolders, MoveTakesTheFileAwayAndRefusesFolders) {
  const std::string a = Write(root / "from/m.gif", "GIF89a");
  fs::create_directories(root / "from/sub");
  const PASTE_RESULT r = PasteFiles({a, (root / "from/sub").string(), (root / "from/gone.jpg").string()},
                                    (root / "to").string(), true, nullptr);
  EXPECT_EQ(r.nDone, 1);
  EXPECT_EQ(r.nFailed, 2);
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(Read(root / "to/m.gif"), "GIF89a");
}

TEST_F(PasteFolders, CancelBeforeAFileEndsThePaste) {
  const std::string a = Write(root / "from/a.jpg", "A");
  const PASTE_RESULT r = PasteFiles({a}, (root / "to").string(), false, nullptr, nullptr, [] { return true; });
  EXPECT_TRUE(r.bCancelled);
  EXPECT_FALSE(fs::exists(root / "to/a.jpg"));
}

}  // namespace
