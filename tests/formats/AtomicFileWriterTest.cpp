#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "formats/AtomicFileWriter.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

void WriteText(const fs::path& path, const std::string& text) {
  WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string ReadText(const fs::path& path) {
  const auto bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

int EntriesIn(const fs::path& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
  return n;
}

mode_t ModeOf(const fs::path& path) {
  struct stat st;
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

TEST(AtomicFileWriter, ReplacesTheTargetFromATemporaryFileInItsFolderAndKeepsItsMode) {
  TempDir dir;
  const fs::path target = dir / "picture.bmp";
  WriteText(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  CAtomicFileWriter writer(target.string());
  ASSERT_TRUE(writer.Begin());
  EXPECT_EQ(fs::path(writer.TempPath()).parent_path(), dir.path());
  EXPECT_EQ(fs::path(writer.TempPath()).filename().string().rfind("~pt", 0), 0u);
  WriteText(writer.TempPath(), "new");
  EXPECT_EQ(ReadText(target), "old");  // untouched until the commit
  EXPECT_EQ(writer.Commit(), ATOMIC_OK);
  EXPECT_EQ(ReadText(target), "new");
  EXPECT_EQ(ModeOf(target), 0640u);
  EXPECT_EQ(EntriesIn(dir.path()), 1);
}

TEST(AtomicFileWriter, ANewFileTakesTheUsualModeUnderTheUmask) {
  TempDir dir;
  const mode_t old = ::umask(022);
  {
    CAtomicFileWriter writer((dir / "new.png").string());
    ASSERT_TRUE(writer.Begin());
    WriteText(writer.TempPath(), "x");
    EXPECT_EQ(writer.Commit(), ATOMIC_OK);
  }
  ::umask(old);
  EXPECT_EQ(ModeOf(dir / "new.png"), 0644u);
}

TEST(AtomicFileWriter, AnAbandonedOrDroppedWriteLeavesTheTargetAndNoTemporaryFile) {
  TempDir dir;
  const fs::path target = dir / "keep.gif";
  WriteText(target, "old");
  {
    CAtomicFileWriter writer(target.string());
    ASSERT_TRUE(writer.Begin());
    WriteText(writer.TempPath(), "partial");
    writer.Abandon();
    EXPECT_TRUE(writer.TempPath().empty());
  }
  {
    CAtomicFileWriter writer(target.string());
    ASSERT_TRUE(writer.Begin());
    WriteText(writer.TempPath(), "partial");
  }  // destroyed without a commit
  EXPECT_EQ(ReadText(target), "old");
  EXPECT_EQ(EntriesIn(dir.path()), 1);
}

TEST(AtomicFileWriter, ALinkStaysAndTheFileItNamesIsReplaced) {
  TempDir dir;
  fs::create_directory(dir / "real");
  const fs::path real = dir / "real" / "a.tga";
  WriteText(real, "old");
  fs::create_symlink(real, dir / "link.tga");
  CAtomicFileWriter writer((dir / "link.tga").string());
  EXPECT_EQ(fs::path(writer.TargetPath()), fs::canonical(real));
  ASSERT_TRUE(writer.Begin());
  EXPECT_EQ(fs::path(writer.TempPath()).parent_path(), fs::canonical(dir / "real"));
  WriteText(writer.TempPath(), "new");
  EXPECT_EQ(writer.Commit(), ATOMIC_OK);
  EXPECT_TRUE(fs::is_symlink(dir / "link.tga"));
  EXPECT_EQ(ReadText(real), "new");
}

TEST(AtomicFileWriter, RefusalsLeaveNothingBehind) {
  TempDir dir;
  // No folder: no temporary file.
  CAtomicFileWriter missing((dir / "no" / "such.bmp").string());
  EXPECT_FALSE(missing.Begin());
  EXPECT_EQ(missing.Commit(), ATOMIC_NO_TEMPORARY);
  // A folder in the target's place: the rename is refused, the folder stays.
  fs::create_directory(dir / "taken.bmp");
  WriteText(dir / "taken.bmp" / "inside", "x");
  CAtomicFileWriter busy((dir / "taken.bmp").string());
  ASSERT_TRUE(busy.Begin());
  EXPECT_EQ(busy.Commit(), ATOMIC_TARGET_BUSY);
  EXPECT_TRUE(fs::is_directory(dir / "taken.bmp"));
  EXPECT_EQ(EntriesIn(dir.path()), 1);
  // No write bit at all on the target reads as read-only.
  WriteText(dir / "ro.bmp", "x");
  ASSERT_EQ(::chmod((dir / "ro.bmp").c_str(), 0444), 0);
  EXPECT_TRUE(CAtomicFileWriter((dir / "ro.bmp").string()).TargetIsReadOnly());
  EXPECT_FALSE(CAtomicFileWriter((dir / "none.bmp").string()).TargetIsReadOnly());
}

// A name taken after it was found free (by a file or a dangling link) is
// never replaced: the temporary file stays for another name.
TEST(AtomicFileWriter, CommitAsNewNeverReplaces) {
  TempDir dir;
  const fs::path target = dir / "new.png";
  CAtomicFileWriter writer(target.string());
  ASSERT_TRUE(writer.Begin());
  WriteText(writer.TempPath(), "fresh");
  WriteText(target, "someone else's");
  fs::create_symlink(dir / "gone.png", dir / "link.png");
  EXPECT_EQ(writer.CommitAsNew(target.string()), ATOMIC_TARGET_EXISTS);
  EXPECT_EQ(writer.CommitAsNew((dir / "link.png").string()), ATOMIC_TARGET_EXISTS);
  EXPECT_EQ(ReadText(target), "someone else's");
  EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
  ASSERT_TRUE(fs::exists(writer.TempPath()));
  EXPECT_EQ(writer.CommitAsNew((dir / "new-1.png").string()), ATOMIC_OK);
  EXPECT_EQ(ReadText(dir / "new-1.png"), "fresh");
  EXPECT_EQ(writer.TargetPath(), (dir / "new-1.png").string());
  EXPECT_EQ(EntriesIn(dir.path()), 3);  // no temporary file left
}

}  // namespace
