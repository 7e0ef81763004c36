#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/PathFunctions.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RecordingMessageSink;
using testing_support::TempDir;

void Touch(const fs::path& path, const std::string& text = "x") { std::ofstream(path) << text; }

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(PathParts, SplitAtTheLastSlashAndDot) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
    const char* title;
    const char* ext;
  };
  const Case cases[] = {
      {"/d/a/b.gif", "/d/a/", "b.gif", "b", ".gif"},
      {"b.gif", "", "b.gif", "b", ".gif"},
      {"/x/x.tar.gz", "/x/", "x.tar.gz", "x.tar", ".gz"},
      {"/x/README", "/x/", "README", "README", ""},
      {"/x/folder/", "/x/folder/", "", "", ""},
      {"/a.b/c", "/a.b/", "c", "c", ""},
      {"", "", "", "", ""},
      {"/", "/", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetFolderPart(c.path), c.folder) << c.path;
    EXPECT_EQ(GetFileNamePart(c.path), c.name) << c.path;
    EXPECT_EQ(GetFileTitlePart(c.path), c.title) << c.path;
    EXPECT_EQ(GetFileExtension(c.path), c.ext) << c.path;
  }
}

TEST(PathParts, ProgramFolderHoldsThisProgram) {
  const std::string folder = GetProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(fs::exists(folder + "platform_tests"));
}

TEST(FolderExists, SameAnswerWithAndWithoutTrailingSlash) {
  TempDir dir;
  fs::create_directories(dir / "sub");
  Touch(dir / "file.txt");
  const std::string sub = (dir / "sub").string();
  EXPECT_TRUE(FolderExists(sub));
  EXPECT_TRUE(FolderExists(sub + "/"));
  EXPECT_TRUE(FolderExists((dir / "file.txt").string()));
  EXPECT_FALSE(FolderExists((dir / "none").string()));
  EXPECT_FALSE(FolderExists((dir / "none").string() + "/"));
  EXPECT_FALSE(FolderExists(""));
  EXPECT_TRUE(FolderExists("/"));
}

TEST(RenameFile, NeverReplacesAnExistingTarget) {
  TempDir dir;
  Touch(dir / "a.png", "A");
  Touch(dir / "b.png", "B");
  RecordingMessageSink sink;
  EXPECT_FALSE(RenameFile((dir / "a.png").string(), (dir / "b.png").string(), false));
  EXPECT_EQ(ReadText(dir / "b.png"), "B");
  EXPECT_EQ(ReadText(dir / "a.png"), "A");
  EXPECT_TRUE(sink.messages.empty());

  EXPECT_TRUE(RenameFile((dir / "a.png").string(), (dir / "c.png").string(), true));
  EXPECT_FALSE(fs::exists(dir / "a.png"));
  EXPECT_EQ(ReadText(dir / "c.png"), "A");
  EXPECT_TRUE(sink.messages.empty());

  EXPECT_FALSE(RenameFile("", (dir / "d.png").string(), false));
  EXPECT_FALSE(RenameFile((dir / "c.png").string(), "", false));
}

TEST(RenameFile, FailureWithReportAddsOneErrorLine) {
  TempDir dir;
  Touch(dir / "holiday.photo.jpg");
  Touch(dir / "taken.jpg");
  RecordingMessageSink sink;
  EXPECT_FALSE(RenameFile((dir / "holiday.photo.jpg").string(), (dir / "taken.jpg").string(), true));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, MESSAGE_ERROR);
  EXPECT_EQ(sink.messages[0].second, "Cannot rename holiday.photo. This file may be on a read-only media.");
}

TEST(RenameFile, ReadOnlyFolderFailsAndReports) {
  if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
  TempDir dir;
  fs::create_directories(dir / "ro");
  Touch(dir / "ro/x.gif");
  chmod((dir / "ro").c_str(), 0555);
  RecordingMessageSink sink;
  EXPECT_FALSE(RenameFile((dir / "ro/x.gif").string(), (dir / "ro/y.gif").string(), true));
  chmod((dir / "ro").c_str(), 0755);
  EXPECT_EQ(sink.messages.size(), 1u);
}

TEST(EmptyFolder, RefusesEmptyRootAndHome) {
  EXPECT_FALSE(EmptyFolder("", false));
  EXPECT_FALSE(EmptyFolder("/", false));
  EXPECT_FALSE(EmptyFolder("//", false));
  EXPECT_FALSE(EmptyFolder("/tmp/..", false));
  TempDir dir;
  const char* oldHome = getenv("HOME");
  const std::string saved = oldHome ? oldHome : "";
  setenv("HOME", dir.path().c_str(), 1);
  Touch(dir / "keep.txt");
  EXPECT_FALSE(EmptyFolder(dir.path().string() + "/", false));
  EXPECT_TRUE(fs::exists(dir / "keep.txt"));
  if (oldHome) setenv("HOME", saved.c_str(), 1); else unsetenv("HOME");
}

TEST(EmptyFolder, RemovesContentsButNotLinkTargets) {
  TempDir dir;
  fs::create_directories(dir / "cache/sub/deeper");
  fs::create_directories(dir / "outside");
  Touch(dir / "cache/a.bcf");
  Touch(dir / "cache/sub/deeper/b.bcf");
  Touch(dir / "outside/precious.txt");
  fs::create_directory_symlink(dir / "outside", dir / "cache/link");
  EXPECT_TRUE(EmptyFolder((dir / "cache").string(), false));
  EXPECT_TRUE(fs::exists(dir / "cache"));
  EXPECT_TRUE(fs::is_empty(dir / "cache"));
  EXPECT_TRUE(fs::exists(dir / "outside/precious.txt"));

  Touch(dir / "cache/c.bcf");
  EXPECT_TRUE(EmptyFolder((dir / "cache").string(), true));
  EXPECT_FALSE(fs::exists(dir / "cache"));
}

// GLib reads XDG_DATA_HOME once per process: this is the only test of the
// binary that uses the Trash.
TEST(DeleteToRecycleBin, MovesTheFileIntoTheUsersTrash) {
  TempDir dir;
  fs::create_directories(dir / "data");
  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  setenv("HOME", dir.path().c_str(), 1);
  fs::create_directories(dir / "pictures");
  Touch(dir / "pictures/dog one.gif", "GIF89a");

  EXPECT_FALSE(DeleteToRecycleBin(""));
  ASSERT_TRUE(DeleteToRecycleBin((dir / "pictures/dog one.gif").string()));
  EXPECT_FALSE(fs::exists(dir / "pictures/dog one.gif"));
  EXPECT_EQ(ReadText(dir / "data/Trash/files/dog one.gif"), "GIF89a");
  const std::string info = ReadText(dir / "data/Trash/info/dog one.gif.trashinfo");
  EXPECT_NE(info.find("[Trash Info]"), std::string::npos) << info;
  EXPECT_NE(info.find("Path="), std::string::npos) << info;
  EXPECT_NE(info.find("DeletionDate="), std::string::npos) << info;

  EXPECT_FALSE(DeleteToRecycleBin((dir / "pictures/none.gif").string()));
}

}  // namespace
