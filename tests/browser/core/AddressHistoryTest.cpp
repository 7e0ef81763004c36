#include <gtest/gtest.h>

#include "base/Profile.h"
#include "browser/core/AddressHistory.h"
#include "browser/core/FavoriteFolderList.h"

namespace {

class NavigationModelTest : public ::testing::Test {
 protected:
  void SetUp() override { m_previous = InstallProfileStore(MakeMemoryProfileStore()); }
  void TearDown() override { InstallProfileStore(std::move(m_previous)); }
  std::unique_ptr<IProfileStore> m_previous;
};

using Paths = std::vector<std::string>;

TEST_F(NavigationModelTest, NormalisesOnlyTheTrailingSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"/photos/", "/photos"}, {"/photos", "/photos"}, {"/", "/"}, {"", ""}, {"/a/b/", "/a/b"}};
  for (auto [in, out] : cases) EXPECT_EQ(CAddressHistory::NormalizePath(in), out) << in;
  CAddressHistory h;
  EXPECT_EQ(h.Navigate("/"), "/");
  EXPECT_EQ(h.GetPath(), "/");
}

TEST_F(NavigationModelTest, BackTwiceThenNewFolderCutsForwardHistory) {
  CAddressHistory h;
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_FALSE(h.CanGoForward());
  h.Navigate("/A");
  h.Navigate("/B");
  h.Navigate("/C");
  EXPECT_EQ(h.GoBack(), "/B");
  EXPECT_EQ(h.GoBack(), "/A");
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_TRUE(h.CanGoForward());
  EXPECT_EQ(h.GoBack(), "/A");  // nothing further back
  h.Navigate("/D");
  EXPECT_EQ(h.GetHistory(), (Paths{"/A", "/D"}));
  EXPECT_EQ(h.GetHistoryPos(), 2);
  EXPECT_FALSE(h.CanGoForward());
  EXPECT_TRUE(h.CanGoBack());
  // Back and forward leave the remembered folders alone.
  EXPECT_EQ(h.GetRemembered(), (Paths{"/D", "/C", "/B", "/A"}));
  EXPECT_EQ(h.GoBack(), "/A");
  EXPECT_EQ(h.GoForward(), "/D");
  EXPECT_EQ(h.GetRemembered(), (Paths{"/D", "/C", "/B", "/A"}));
}

TEST_F(NavigationModelTest, SameFolderChangesNoListAndComparesBytewise) {
  CAddressHistory h;
  h.Navigate("/photos");
  EXPECT_EQ(h.Navigate("/photos/"), "/photos");
  EXPECT_EQ(h.GetHistory(), (Paths{"/photos"}));
  h.Navigate("/Photos");
  EXPECT_EQ(h.GetHistory(), (Paths{"/photos", "/Photos"}));
  h.Navigate("/photos");  // moves to the front of the remembered folders
  EXPECT_EQ(h.GetRemembered(), (Paths{"/photos", "/Photos"}));
}

TEST_F(NavigationModelTest, RememberedFoldersRoundTripNewestFirst) {
  CAddressHistory h;
  h.SetProfileSection("Browser History");
  h.Navigate("/one");
  h.Navigate("/");
  h.Navigate("/two");
  h.SaveHistory();
  EXPECT_EQ(GetProfileString("Browser History", "Address-0"), "/two");
  EXPECT_EQ(GetProfileString("Browser History", "Address-1"), "/");
  EXPECT_EQ(GetProfileString("Browser History", "Address-2"), "/one");
  EXPECT_EQ(GetProfileString("Browser History", "Address-3"), "");
  CAddressHistory again;
  again.SetProfileSection("Browser History");
  again.LoadHistory();
  EXPECT_EQ(again.GetRemembered(), (Paths{"/two", "/", "/one"}));
  // Reading stops at the first empty value.
  WriteProfileString("Browser History", "Address-1", "");
  again.LoadHistory();
  EXPECT_EQ(again.GetRemembered(), (Paths{"/two"}));
  h.ClearHistory();
  EXPECT_TRUE(h.GetRemembered().empty());
  EXPECT_EQ(GetProfileString("Browser History", "Address-0"), "");
  EXPECT_EQ(h.GetHistory().size(), 3u);  // back/forward kept
  // Without a section nothing is kept.
  CAddressHistory none;
  none.Navigate("/x");
  none.SaveHistory();
  EXPECT_EQ(GetProfileString("Browser History", "Address-0"), "");
}

TEST_F(NavigationModelTest, FavouritesKeepRootAndRenumberOnSave) {
  CFavoriteFolderList list;
  list.Add("/");
  list.Add("/photos/");
  list.Add("/photos");   // the same folder
  list.Add("/Photos");   // another folder on this file system
  list.Add("");
  EXPECT_EQ(list.Folders(), (Paths{"/", "/photos", "/Photos"}));
  EXPECT_FALSE(list.IsNew("/"));
  EXPECT_FALSE(list.IsNew(""));
  list.Save();
  CFavoriteFolderList again;
  again.Load();
  EXPECT_EQ(again.Folders(), (Paths{"/", "/photos", "/Photos"}));  // "/" survives the reload
  // Removing two of three renumbers the rest from 1.
  again.Folders().erase(again.Folders().begin(), again.Folders().begin() + 2);
  again.Save();
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 1"), "/Photos");
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 2"), "");
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 3"), "");
  // Seventeen favourites round-trip in order.
  CFavoriteFolderList many;
  for (int i = 0; i < 17; ++i) many.Add("/f" + std::to_string(i));
  many.Save();
  CFavoriteFolderList read;
  read.Load();
  ASSERT_EQ(read.Folders().size(), 17u);
  EXPECT_EQ(read.Folders()[16], "/f16");
}

}  // namespace
