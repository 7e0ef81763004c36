#include "browser/core/FileCommands.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/MessageReport.h"
#include "formats/ImageFile.h"
#include "tests/browser/core/BrowserTestFiles.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RecordingMessageSink;
using testing_support::TempDir;

void Touch(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// One item per file (made with its name as content), selected as asked.
CBrowserItemList MakeItems(const fs::path& folder, const std::vector<std::pair<std::string, bool>>& files) {
  CBrowserItemList items;
  for (const auto& [name, selected] : files) {
    if (!fs::exists(folder / name)) Touch(folder / name, name);
    FOUND_FILE found;
    EXPECT_TRUE(GetFoundFile((folder / name).string(), found));
    CBrowserItem item(found);
    item.m_bSelected = selected ? 1 : 0;
    items.push_back(std::move(item));
  }
  return items;
}

// The owner's write bit (root may write regardless, so access() cannot tell).
bool OwnerWrites(const fs::path& path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

void MakeReadOnly(CBrowserItemList& items, int index) {
  chmod(items[index].GetFullPath().c_str(), 0444);
  items[index].m_bReadOnly = 1;
}

struct Asked {
  std::string name, newName;
  bool offerYesToAll;
};

CONFIRM_READ_ONLY Answering(std::vector<Asked>& log, std::vector<READ_ONLY_ANSWER> answers) {
  return [&log, answers](const std::string& name, const std::string& newName, bool offer) {
    log.push_back({name, newName, offer});
    return log.size() <= answers.size() ? answers[log.size() - 1] : ANSWER_NO;
  };
}

TEST(TypedNames, RefusesNamesThatLeaveTheFolderOrHideTheFile) {
  for (const char* good : {"Trip", "a.b", "Été 2004", "x y", "..a", "-"}) EXPECT_TRUE(IsValidTypedName(good)) << good;
  for (const std::string& bad : {std::string(), std::string("."), std::string(".."), std::string("a/b"),
                                std::string("/"), std::string("a\tb"), std::string("a\nb"), std::string("a\x7f"),
                                std::string("a\0b", 3)})
    EXPECT_FALSE(IsValidTypedName(bad)) << bad;
}

TEST(SeriesNames, NumberSeveralFilesAndLeaveOneWithoutASerial) {
  struct Case {
    std::vector<std::string> old;
    int digits;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {{"a.jpg", "b.png", "c.JPG"}, 3, {"Trip001.jpg", "Trip002.png", "Trip003.JPG"}},
      {{"a.jpg"}, 3, {"Trip.jpg"}},
      {{"a.jpg", "README"}, 1, {"Trip1.jpg", "Trip2"}},
      {{"x.tar.gz", "y.gif"}, 0, {"Trip1.gz", "Trip2.gif"}},
  };
  for (const Case& c : cases) EXPECT_EQ(MakeSeriesNames(c.old, "Trip", c.digits), c.expected);
  std::vector<std::string> twelve(12, "p.png");
  EXPECT_EQ(MakeSeriesNames(twelve, "T", 1)[11], "T12.png");
}

TEST(RenameSelected, NumbersTheSelectionInListOrderKeepingExtensions) {
  TempDir dir;
  CBrowserItemList items = MakeItems(dir.path(), {{"c.png", true}, {"skip.gif", false}, {"a.jpg", true}, {"b.gif", true}});
  std::vector<Asked> asked;
  EXPECT_EQ(RenameSelectedItems(items, "Trip", 3, Answering(asked, {})), 3);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(ReadText(dir / "Trip001.png"), "c.png");
  EXPECT_EQ(ReadText(dir / "Trip002.jpg"), "a.jpg");
  EXPECT_EQ(ReadText(dir / "Trip003.gif"), "b.gif");
  EXPECT_EQ(ReadText(dir / "skip.gif"), "skip.gif");
  EXPECT_EQ(items[0].m_strName, "Trip001.png");
  EXPECT_EQ(items[1].m_strName, "skip.gif");
}

TEST(RenameSelected, OneFileKeepsNoSerialAndAnUnchangedNameAsksNothing) {
  TempDir dir;
  CBrowserItemList items = MakeItems(dir.path(), {{"holiday.jpg", true}});
  MakeReadOnly(items, 0);
  std::vector<Asked> asked;
  EXPECT_EQ(RenameSelectedItems(items, "holiday", 2, Answering(asked, {ANSWER_YES})), 0);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(RenameSelectedItems(items, "Trip", 2, Answering(asked, {ANSWER_YES})), 1);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].name, "holiday.jpg");
  EXPECT_EQ(asked[0].newName, "Trip.jpg");
  EXPECT_FALSE(asked[0].offerYesToAll);
  EXPECT_EQ(ReadText(dir / "Trip.jpg"), "holiday.jpg");
}

TEST(RenameSelected, NeverOverwritesAnExistingFile) {
  TempDir dir;
  Touch(dir / "Trip2.jpg", "precious");
  CBrowserItemList items = MakeItems(dir.path(), {{"a.jpg", true}, {"b.jpg", true}, {"c.jpg", true}});
  RecordingMessageSink sink;
  EXPECT_EQ(RenameSelectedItems(items, "Trip", 1, nullptr), 2);
  EXPECT_EQ(ReadText(dir / "Trip2.jpg"), "precious");
  EXPECT_EQ(ReadText(dir / "b.jpg"), "b.jpg");
  EXPECT_EQ(items[1].m_strName, "b.jpg");
  EXPECT_EQ(ReadText(dir / "Trip1.jpg"), "a.jpg");
  EXPECT_EQ(ReadText(dir / "Trip3.jpg"), "c.jpg");
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, MESSAGE_ERROR);
}

TEST(RenameSelected, RefusesBadBaseNamesTouchingNothing) {
  TempDir dir;
  fs::create_directories(dir / "sub");
  CBrowserItemList items = MakeItems(dir.path(), {{"a.jpg", true}});
  for (const std::string& base : {std::string(), std::string("."), std::string(".."), std::string("sub/x"),
                                 std::string("../x"), std::string("a\rb")}) {
    bool refused = false;
    EXPECT_EQ(RenameSelectedItems(items, base, 3, nullptr, &refused), 0) << base;
    EXPECT_TRUE(refused) << base;
  }
  EXPECT_EQ(ReadText(dir / "a.jpg"), "a.jpg");
  EXPECT_TRUE(fs::is_empty(dir / "sub"));
}

TEST(RenameSelected, ReadOnlyFilesAskWithYesToAllNoAndCancel) {
  TempDir dir;
  CBrowserItemList items = MakeItems(dir.path(), {{"a.jpg", true}, {"b.jpg", true}, {"c.jpg", true}});
  MakeReadOnly(items, 0);
  MakeReadOnly(items, 2);
  std::vector<Asked> asked;
  EXPECT_EQ(RenameSelectedItems(items, "T", 1, Answering(asked, {ANSWER_YES_TO_ALL})), 3);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_TRUE(asked[0].offerYesToAll);

  asked.clear();
  EXPECT_EQ(RenameSelectedItems(items, "U", 1, Answering(asked, {ANSWER_NO, ANSWER_YES})), 2);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_TRUE(fs::exists(dir / "T1.jpg"));
  EXPECT_TRUE(fs::exists(dir / "U2.jpg"));
  EXPECT_TRUE(fs::exists(dir / "U3.jpg"));

  asked.clear();
  EXPECT_EQ(RenameSelectedItems(items, "V", 1, Answering(asked, {ANSWER_CANCEL})), 0);
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_TRUE(fs::exists(dir / "T1.jpg"));
  EXPECT_TRUE(fs::exists(dir / "U2.jpg"));
}

// GLib reads XDG_DATA_HOME once per process; ctest runs each test alone.
TEST(DeleteSelected, SendsToTheTrashAsksForReadOnlyAndReportsFailures) {
  TempDir dir;
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "pics");
  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  setenv("HOME", dir.path().c_str(), 1);
  CBrowserItemList items = MakeItems(dir / "pics", {{"a.jpg", true},
                                                    {"keep.jpg", false},
                                                    {"ro1.gif", true},
                                                    {"gone.png", true},
                                                    {"ro2.gif", true},
                                                    {"b.jpg", true}});
  MakeReadOnly(items, 2);
  MakeReadOnly(items, 4);
  fs::remove(dir / "pics/gone.png");  // the Trash cannot take it
  RecordingMessageSink sink;
  std::vector<Asked> asked;
  EXPECT_EQ(DeleteSelectedItems(items, Answering(asked, {ANSWER_YES_TO_ALL})), 4);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].name, "ro1.gif");
  EXPECT_TRUE(asked[0].offerYesToAll);
  for (const char* name : {"a.jpg", "ro1.gif", "ro2.gif", "b.jpg"}) {
    EXPECT_FALSE(fs::exists(dir / "pics" / name)) << name;
    EXPECT_EQ(ReadText(dir / "data/Trash/files" / name), name);
    EXPECT_TRUE(fs::exists(dir / "data/Trash/info" / (std::string(name) + ".trashinfo"))) << name;
  }
  EXPECT_TRUE(fs::exists(dir / "pics/keep.jpg"));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, MESSAGE_ERROR);
  EXPECT_EQ(sink.messages[0].second, "Cannot delete gone.png. This file may be on a read-only media.");
}

TEST(DeleteSelected, NoAndCancelKeepReadOnlyFiles) {
  TempDir dir;
  fs::create_directories(dir / "data");
  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  setenv("HOME", dir.path().c_str(), 1);
  fs::create_directories(dir / "pics");
  CBrowserItemList items =
      MakeItems(dir / "pics", {{"ro1.gif", true}, {"a.jpg", true}, {"ro2.gif", true}, {"b.jpg", true}});
  MakeReadOnly(items, 0);
  MakeReadOnly(items, 2);
  std::vector<Asked> asked;
  EXPECT_EQ(DeleteSelectedItems(items, Answering(asked, {ANSWER_NO, ANSWER_CANCEL})), 1);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_TRUE(fs::exists(dir / "pics/ro1.gif"));
  EXPECT_FALSE(fs::exists(dir / "pics/a.jpg"));
  EXPECT_TRUE(fs::exists(dir / "pics/ro2.gif"));
  EXPECT_TRUE(fs::exists(dir / "pics/b.jpg"));
}

TEST(MultiFileFacts, SizesIn64BitsAndThreeStateAttributes) {
  TempDir dir;
  CBrowserItemList items =
      MakeItems(dir.path(), {{"a", true}, {"b", true}, {"c", true}, {"d", true}, {"e", true}, {"f", false}});
  // A sparse file above 4 GB: the total needs more than 32 bits.
  fs::resize_file(dir / "a", (uint64_t{5} << 30) + 7);
  MakeReadOnly(items, 1);
  MakeReadOnly(items, 3);
  const MULTI_FILE_FACTS facts = GetMultiFileFacts(items);
  EXPECT_EQ(facts.nFiles, 5);
  EXPECT_EQ(facts.nTotalSize, (uint64_t{5} << 30) + 7 + 1 + 1 + 1 + 1);
  EXPECT_EQ(facts.nReadOnly, TRI_SOME);
  EXPECT_EQ(facts.nHidden, TRI_NONE);
  EXPECT_EQ(facts.nArchive, TRI_NONE);

  // The third state keeps each file's own flag.
  EXPECT_TRUE(ApplyMultiFileAttributes(items, TRI_SOME, TRI_SOME, TRI_NONE));
  EXPECT_TRUE(OwnerWrites(dir / "a"));
  EXPECT_FALSE(OwnerWrites(dir / "b"));
  EXPECT_EQ(GetMultiFileFacts(items).nReadOnly, TRI_SOME);
  EXPECT_TRUE(ApplyMultiFileAttributes(items, TRI_ALL, TRI_SOME, TRI_NONE));
  EXPECT_EQ(GetMultiFileFacts(items).nReadOnly, TRI_ALL);
  EXPECT_TRUE(OwnerWrites(dir / "f"));  // not selected
  EXPECT_TRUE(ApplyMultiFileAttributes(items, TRI_NONE, TRI_SOME, TRI_NONE));
  EXPECT_EQ(GetMultiFileFacts(items).nReadOnly, TRI_NONE);
  EXPECT_TRUE(OwnerWrites(dir / "b"));
}

TEST(Wallpaper, FitsToTheScreenAndNeverEnlarges) {
  struct Case {
    int w, h, sw, sh, ew, eh;
  };
  const Case cases[] = {
      {3000, 2000, 1024, 768, 1024, 682}, {500, 2000, 1024, 768, 192, 768}, {800, 600, 1024, 768, 800, 600},
      {1024, 768, 1024, 768, 1024, 768},  {2048, 10, 1024, 768, 1024, 5},   {10, 4000, 1024, 768, 1, 768},
  };
  for (const Case& c : cases) {
    int32_t w = c.w, h = c.h;
    FitWallpaperSize(w, h, c.sw, c.sh);
    EXPECT_EQ(w, c.ew) << c.w << "x" << c.h;
    EXPECT_EQ(h, c.eh) << c.w << "x" << c.h;
  }
}

TEST(Wallpaper, SavesTheUnturnedFirstFrameAsAFittedBmp) {
  TempDir dir;
  CImageFileRequest write;
  write.m_strFileName = (dir / "photo.png").string();
  write.m_nWidth = 3000;
  write.m_nHeight = 2000;
  write.m_frames.resize(1);
  write.m_frames[0].m_image = testing_support::MakeTestPicture(3000, 2000);
  ASSERT_EQ(WriteImageFile(&write, 1, nullptr, nullptr), IMAGEIO_OK);
  FOUND_FILE found;
  ASSERT_TRUE(GetFoundFile((dir / "photo.png").string(), found));
  CBrowserItem item(found);
  item.m_nRotation = 90;
  const std::string wallpaper = (dir / "PtWallpaper_me.bmp").string();
  Touch(wallpaper, "old");
  ASSERT_TRUE(SaveWallpaperFile(item, 1024, 768, wallpaper));
  CImageFileInfo info;
  ASSERT_TRUE(ReadImageFileInfo(wallpaper, &info));
  EXPECT_EQ(GetImageFileFormat(wallpaper), GetImageFormat("x.bmp"));
  CImageFileRequest read;
  read.m_strFileName = wallpaper;
  ASSERT_EQ(ReadImageFile(&read), IMAGEIO_OK);
  EXPECT_EQ(read.m_nWidth, 1024);
  EXPECT_EQ(read.m_nHeight, 682);

  CBrowserItem missing;
  missing.SetFolder(dir.path().string());
  missing.m_strName = "none.png";
  RecordingMessageSink sink;
  EXPECT_FALSE(SaveWallpaperFile(missing, 1024, 768, (dir / "other.bmp").string()));
  EXPECT_FALSE(fs::exists(dir / "other.bmp"));
}

}  // namespace
