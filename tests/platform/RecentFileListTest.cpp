#include <gtest/gtest.h>

#include "base/Profile.h"
#include "platform/RecentFileList.h"

namespace {

class RecentFileListTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallProfileStore(MakeMemoryProfileStore()); }
  void TearDown() override { InstallProfileStore(nullptr); }
};

TEST_F(RecentFileListTest, NewestFirstWithoutDuplicatesUpToTheSize) {
  CRecentFileList list("Recent File List", "File%d", 3, 30);
  list.Add("/p/a.gif");
  list.Add("/p/b.gif");
  list.Add("/p/a.gif");
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list[0], "/p/a.gif");
  EXPECT_EQ(list[1], "/p/b.gif");
  list.Add("/p/c.gif");
  list.Add("/p/d.gif");
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list[0], "/p/d.gif");
  EXPECT_EQ(list[2], "/p/a.gif");
}

TEST_F(RecentFileListTest, ReadsAndWritesFileEntries) {
  WriteProfileString("Recent File List", "File1", "/x/1.png");
  WriteProfileString("Recent File List", "File2", "/x/2.png");
  WriteProfileString("Recent File List", "File5", "/x/5.png");
  CRecentFileList list("Recent File List", "File%d", 4, 30);
  list.ReadList();
  ASSERT_EQ(list.GetCount(), 2);  // File5 lies beyond the size
  list.Add("/x/new.png");
  list.WriteList();
  EXPECT_EQ(GetProfileString("Recent File List", "File1"), "/x/new.png");
  EXPECT_EQ(GetProfileString("Recent File List", "File2"), "/x/1.png");
  EXPECT_EQ(GetProfileString("Recent File List", "File3"), "/x/2.png");
  EXPECT_EQ(GetProfileString("Recent File List", "File4", "none"), "none");
}

TEST_F(RecentFileListTest, ShrinkingKeepsTheNewest) {
  CRecentFileList list("Recent File List", "File%d", 10, 30);
  for (int i = 0; i < 10; ++i) list.Add("/f/" + std::to_string(i) + ".bmp");
  list.SetSize(4);
  ASSERT_EQ(list.GetCount(), 4);
  EXPECT_EQ(list[0], "/f/9.bmp");
  EXPECT_EQ(list[3], "/f/6.bmp");
  list.SetSize(0);
  EXPECT_EQ(list.GetCount(), 0);
  list.Add("/f/x.bmp");
  EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(RecentFileListTest, MenuTextsAreNumberedAndShortened) {
  CRecentFileList list("Recent File List", "File%d", 10, 30);
  list.Add("/home/user/pictures/2024/summer/holiday/beach & sea.jpg");
  list.Add("/tmp/a.gif");
  EXPECT_EQ(list.GetDisplayName(0), "&1 /tmp/a.gif");
  const std::string second = list.GetDisplayName(1);
  EXPECT_EQ(second.substr(0, 3), "&2 ");
  EXPECT_NE(second.find("beach && sea.jpg"), std::string::npos) << second;
  EXPECT_NE(second.find("..."), std::string::npos) << second;
  EXPECT_EQ(list.GetDisplayName(5), "");
}

TEST(AbbreviatePath, KeepsTheFileNameAndAsMuchTailAsFits) {
  struct Case {
    const char* path;
    int max;
    const char* expected;
  };
  const Case cases[] = {
      {"/tmp/a.gif", 30, "/tmp/a.gif"},
      {"/home/user/pictures/2024/summer/x.jpg", 30, "/home/.../2024/summer/x.jpg"},
      {"/home/user/a-very-long-file-name-beyond-limits.jpg", 30, ".../a-very-long-file-name-beyond-limits.jpg"},
      {"no-folder-at-all-but-a-long-file-name.png", 10, "no-folder-at-all-but-a-long-file-name.png"},
  };
  for (const auto& c : cases) EXPECT_EQ(AbbreviatePath(c.path, c.max), c.expected) << c.path;
}

}  // namespace

namespace {

TEST_F(RecentFileListTest, ResizingKeepsOnlyWhatFitsInTheStoredList) {
  auto list = std::make_unique<CRecentFileList>("Recent File List", "File%d", 10, 30);
  list->SetEmptyText("Recent File");
  for (int i = 1; i <= 6; ++i) list->Add("/f/" + std::to_string(i) + ".png");
  list->WriteList();
  list = ResizeRecentFileList(std::move(list), 3);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetSize(), 3);
  ASSERT_EQ(list->GetCount(), 3);
  EXPECT_EQ((*list)[0], "/f/6.png");
  EXPECT_EQ(GetProfileString("Recent File List", "File4", "gone"), "gone");
  EXPECT_EQ(list->GetEmptyText(), "Recent File");

  // Growing again finds only what was kept.
  list = ResizeRecentFileList(std::move(list), 8);
  EXPECT_EQ(list->GetCount(), 3);

  // Size 0 removes the list and its entries.
  list = ResizeRecentFileList(std::move(list), 0);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(GetProfileString("Recent File List", "File1", "gone"), "gone");
  list = ResizeRecentFileList(nullptr, 4);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetCount(), 0);
}

}  // namespace
