// Browse mode's navigation in the main window: Back and Forward (menu and
// Alt+arrow keys), Clear History, Add to Favorites, the favourites menu with
// its "More..." chooser, and Browse My Camera over injected card roots.

#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "browser/OrganizeBrowserView.h"
#include "browser/OrganizeFavoritesDlg.h"
#include "browser/core/FavoriteFolderList.h"
#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/ModalDialog.h"
#include "shell/StandInViews.h"
#include "tests/browser/BrowserViewTestSupport.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::PumpUntil;

// The main window in browse mode with the browse view; folders A to D, the
// first with two pictures.
class NavigationFixture {
 public:
  NavigationFixture() {
    Profile().DeleteSection("Favorite Folder List");
    Profile().DeleteSection("Browser History");
    root = fs::temp_directory_path() / ("navigation-" + std::to_string(::getpid()));
    fs::remove_all(root);
    for (const char* name : {"A", "B", "C", "D"}) fs::create_directories(root / name);
    browser_testing::MakeGreyPictures(root / "A", 2, 40, 30);
    const std::string cache = (root / "cache").string();
    COrganizeView::SetContentFactory(
        [cache](wxWindow* parent) -> IBrowseContent* { return new COrganizeBrowserView(parent, cache); });
    docs = std::make_unique<editor_testing::DocumentWindowFixture>();
    frame = docs->frame;
    view = dynamic_cast<COrganizeBrowserView*>(frame->GetBrowseView()->GetContent());
  }
  ~NavigationFixture() {
    docs.reset();
    COrganizeView::SetContentFactory(nullptr);
    Profile().DeleteSection("Favorite Folder List");
    Profile().DeleteSection("Browser History");
    fs::remove_all(root);
  }
  std::string Path(const char* name) const { return (root / name).string(); }
  bool Enter() { return frame->SetMode(MODE_BROWSE); }
  // Browses a folder the way the frame hands one over and waits for its load.
  bool Browse(const std::string& folder) {
    const int before = view->GetReloadCount();
    frame->GetBrowseView()->BrowseFolder(folder);
    return Loaded(before);
  }
  bool Command(int id) {
    const int before = view->GetReloadCount();
    docs->Command(id);
    return Loaded(before);
  }
  bool Loaded(int before) {
    return PumpUntil([&] { return view->GetReloadCount() > before && !view->IsBusy(); }, 20000);
  }
  bool Enabled(int id) { return docs->IsEnabled(id); }
  // The menu of the installed bar that holds a command.
  wxMenu* MenuOf(int id) {
    wxMenu* menu = nullptr;
    frame->GetMenuBar()->FindItem(id, &menu);
    return menu;
  }
  // Opens a menu of the bar as the toolkit does.
  void Open(wxMenu* menu) {
    wxMenuEvent event(wxEVT_MENU_OPEN, 0, menu);
    event.SetEventObject(menu);
    frame->ProcessWindowEvent(event);
  }

  CFixedUiTheme theme;
  fs::path root;
  std::unique_ptr<editor_testing::DocumentWindowFixture> docs;
  CMainFrame* frame = nullptr;
  COrganizeBrowserView* view = nullptr;
};

TEST(Navigation, BackAndForwardFollowTheFoldersVisited) {
  NavigationFixture f;
  ASSERT_NE(f.view, nullptr);
  ASSERT_TRUE(f.Enter());
  ASSERT_TRUE(f.Browse(f.Path("A")));
  ASSERT_TRUE(f.Browse(f.Path("B") + "/"));
  ASSERT_TRUE(f.Browse(f.Path("C")));
  EXPECT_EQ(f.view->GetBrowseFolder(), f.Path("C"));
  EXPECT_TRUE(f.Enabled(ID_GO_BACK));
  EXPECT_FALSE(f.Enabled(ID_GO_FORWARD));
  // The keys of the mode are Alt+Left and Alt+Right.
  EXPECT_EQ(f.frame->GetAcceleratorCommand(wxACCEL_ALT, WXK_LEFT), ID_GO_BACK);
  EXPECT_EQ(f.frame->GetAcceleratorCommand(wxACCEL_ALT, WXK_RIGHT), ID_GO_FORWARD);
  ASSERT_TRUE(f.Command(f.frame->GetAcceleratorCommand(wxACCEL_ALT, WXK_LEFT)));
  EXPECT_EQ(f.view->GetBrowseFolder(), f.Path("B"));
  EXPECT_TRUE(f.Enabled(ID_GO_FORWARD));
  ASSERT_TRUE(f.Command(ID_GO_BACK));
  EXPECT_EQ(f.view->GetBrowseFolder(), f.Path("A"));
  EXPECT_EQ(f.view->GetItems().GetCount(), 2);
  ASSERT_TRUE(f.Command(ID_GO_FORWARD));
  EXPECT_EQ(f.view->GetBrowseFolder(), f.Path("B"));
  ASSERT_TRUE(f.Command(ID_GO_BACK));
  // A new folder cuts the forward history: A, D with Forward off.
  ASSERT_TRUE(f.Browse(f.Path("D")));
  const std::vector<std::string>& history = f.view->GetAddressHistory().GetHistory();
  ASSERT_GE(history.size(), 2u);
  EXPECT_EQ(history[history.size() - 2], f.Path("A"));
  EXPECT_EQ(history.back(), f.Path("D"));
  EXPECT_FALSE(f.Enabled(ID_GO_FORWARD));
  EXPECT_TRUE(f.Enabled(ID_GO_BACK));
  // The remembered folders, newest first; the same folder again only reloads.
  const std::vector<std::string>& remembered = f.view->GetAddressHistory().GetRemembered();
  ASSERT_GE(remembered.size(), 4u);
  EXPECT_EQ(remembered[0], f.Path("D"));
  EXPECT_EQ(remembered[1], f.Path("C"));
  EXPECT_EQ(remembered[2], f.Path("B"));
  EXPECT_EQ(remembered[3], f.Path("A"));
  const size_t length = history.size();
  ASSERT_TRUE(f.Browse(f.Path("D")));
  EXPECT_EQ(f.view->GetAddressHistory().GetHistory().size(), length);
  // Leaving browse mode keeps them in "Browser History"; Clear History
  // forgets them and keeps Back.
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  EXPECT_EQ(GetProfileString("Browser History", "Address-0"), f.Path("D"));
  EXPECT_EQ(GetProfileString("Browser History", "Address-3"), f.Path("A"));
  ASSERT_TRUE(f.Enter());
  EXPECT_TRUE(f.Enabled(ID_CLEAR_HISTORY));
  f.docs->Command(ID_CLEAR_HISTORY);
  EXPECT_TRUE(f.view->GetAddressHistory().GetRemembered().empty());
  EXPECT_EQ(GetProfileString("Browser History", "Address-0"), "");
  EXPECT_TRUE(f.Enabled(ID_GO_BACK));
}

TEST(Navigation, AddToFavoritesKeepsRootAndRefusesDuplicates) {
  NavigationFixture f;
  ASSERT_TRUE(f.Enter());
  ASSERT_TRUE(f.Browse(f.Path("A") + "/"));
  ASSERT_TRUE(f.Enabled(ID_ADD_FAVORITE));
  f.docs->Command(ID_ADD_FAVORITE);
  f.docs->Command(ID_ADD_FAVORITE);  // already there: nothing
  ASSERT_TRUE(f.Browse("/"));
  f.docs->Command(ID_ADD_FAVORITE);
  ASSERT_TRUE(f.Browse(f.Path("B")));
  f.docs->Command(ID_ADD_FAVORITE);
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 1"), f.Path("A"));
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 2"), "/");
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 3"), f.Path("B"));
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 4"), "");
  // "/" does not end the list on reading.
  CFavoriteFolderList list;
  list.Load();
  EXPECT_EQ(list.Folders().size(), 3u);
}

TEST(Navigation, FavoritesMenuShowsSixteenThenMore) {
  NavigationFixture f;
  ASSERT_TRUE(f.Enter());
  wxMenu* menu = f.MenuOf(ID_ADD_FAVORITE);
  ASSERT_NE(menu, nullptr);
  // Without favourites the placeholder is shown, disabled.
  f.Open(menu);
  ASSERT_NE(menu->FindChildItem(ID_FAVORITE_FIRST), nullptr);
  EXPECT_EQ(menu->FindChildItem(ID_FAVORITE_FIRST)->GetItemLabel(), "Favorite Folder");
  EXPECT_FALSE(f.Enabled(ID_FAVORITE_FIRST));
  EXPECT_EQ(menu->FindChildItem(ID_FAVORITE_MORE), nullptr);
  // Seventeen favourites: sixteen entries, then "More...".
  for (int i = 1; i <= 17; ++i) {
    const std::string folder = f.Path("fav") + std::to_string(i) + "&x";
    fs::create_directories(folder);
    WriteProfileString("Favorite Folder List", "Folder " + std::to_string(i), folder);
  }
  f.Open(menu);
  for (int i = 0; i < 16; ++i) {
    wxMenuItem* item = menu->FindChildItem(ID_FAVORITE_FIRST + i);
    ASSERT_NE(item, nullptr) << i;
    EXPECT_EQ(item->GetItemLabel().utf8_string(), f.Path("fav") + std::to_string(i + 1) + "&&x");
    EXPECT_TRUE(f.Enabled(ID_FAVORITE_FIRST + i));
  }
  size_t more = 0, last = 0, organize = 0;
  ASSERT_NE(menu->FindChildItem(ID_FAVORITE_MORE, &more), nullptr);
  menu->FindChildItem(ID_FAVORITE_LAST, &last);
  menu->FindChildItem(ID_ORGANIZE_FAVORITES, &organize);
  EXPECT_EQ(more, last + 1);
  EXPECT_EQ(organize, more + 1);
  // Opening again builds the same menu.
  const size_t count = menu->GetMenuItemCount();
  f.Open(menu);
  EXPECT_EQ(menu->GetMenuItemCount(), count);
  // An entry browses its folder.
  ASSERT_TRUE(f.Command(ID_FAVORITE_FIRST + 2));
  EXPECT_EQ(f.view->GetBrowseFolder(), f.Path("fav") + "3&x");
  // "More..." lists all seventeen; OK waits for a choice.
  int rows = 0;
  bool okBefore = true;
  CModalDialogHook hook([&](wxDialog& dialog) {
    auto* list = dynamic_cast<wxListCtrl*>(dialog.FindWindow(kFavoriteListId));
    if (!list) return wxID_CANCEL;
    rows = list->GetItemCount();
    okBefore = dialog.FindWindow(wxID_OK)->IsEnabled();
    list->SetItemState(16, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    return wxID_OK;
  });
  ASSERT_TRUE(f.Command(ID_FAVORITE_MORE));
  EXPECT_EQ(hook.GetCalls(), 1);
  EXPECT_EQ(rows, 17);
  EXPECT_FALSE(okBefore);
  EXPECT_EQ(f.view->GetBrowseFolder(), f.Path("fav") + "17&x");
}

// In View and Edit the favourites menu is the same, and a folder goes to
// the mode's folder action (the application's: the Open dialog there); in a
// mode without one the entries are disabled and do nothing.
TEST(Navigation, FavoritesInViewAndEditGoToTheModesFolderAction) {
  std::vector<std::string> opened;
  CMainFrame::SetOpenFolderCallback([&](const std::string& folder) { opened.push_back(folder); });
  struct Reset {
    ~Reset() { CMainFrame::SetOpenFolderCallback({}); }
  } reset;
  NavigationFixture f;
  WriteProfileString("Favorite Folder List", "Folder 1", f.Path("A"));
  WriteProfileString("Favorite Folder List", "Folder 2", f.Path("B"));
  ASSERT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  wxMenu* menu = f.MenuOf(ID_ORGANIZE_FAVORITES);
  ASSERT_NE(menu, nullptr);
  f.Open(menu);
  ASSERT_NE(menu->FindChildItem(ID_FAVORITE_FIRST + 1), nullptr);
  EXPECT_EQ(menu->FindChildItem(ID_FAVORITE_FIRST + 1)->GetItemLabel().utf8_string(), f.Path("B"));
  EXPECT_TRUE(f.Enabled(ID_FAVORITE_FIRST));
  EXPECT_TRUE(f.Enabled(ID_FAVORITE_FIRST + 1));
  EXPECT_FALSE(f.Enabled(ID_FAVORITE_FIRST + 2));
  EXPECT_TRUE(f.Enabled(ID_ORGANIZE_FAVORITES));
  f.docs->Command(ID_FAVORITE_FIRST + 1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], f.Path("B"));
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);  // no browsing behind the user's back
  // "More...": the chooser's answer goes the same way; Cancel sends nothing.
  int answer = wxID_CANCEL;
  CModalDialogHook hook([&](wxDialog& dialog) -> int {
    auto* list = dynamic_cast<wxListCtrl*>(dialog.FindWindow(kFavoriteListId));
    if (!list) return wxID_CANCEL;
    list->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    return answer;
  });
  ASSERT_TRUE(f.Enabled(ID_FAVORITE_MORE));
  f.docs->Command(ID_FAVORITE_MORE);
  EXPECT_EQ(opened.size(), 1u);
  answer = wxID_OK;
  f.docs->Command(ID_FAVORITE_MORE);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], f.Path("A"));
  EXPECT_EQ(hook.GetCalls(), 2);
  // Print preview has no folder action.
  ASSERT_TRUE(f.frame->SetMode(MODE_PRINT_PREVIEW));
  EXPECT_FALSE(f.Enabled(ID_FAVORITE_FIRST));
  f.docs->Command(ID_FAVORITE_FIRST);
  EXPECT_EQ(opened.size(), 2u);
}

// Entering Browse gives the keys to the thumbnails: the mode's shortcut
// (Ctrl+`) takes the user back at once.
TEST(Navigation, EnteringBrowseGivesTheKeysToTheThumbnails) {
  NavigationFixture f;
  ASSERT_TRUE(f.Enter());
  ASSERT_TRUE(f.Browse(f.Path("A")));
  testing_support::PumpFor(50);
  EXPECT_EQ(wxWindow::FindFocus(), f.view->GetContentWindow());
  wxUIActionSimulator sim;
  sim.Char('`', wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 3000));
  // Back in View & Edit the document's view has them, and the same key
  // goes to Browse again.
  testing_support::TempDir dir;
  auto* doc = OpenImageDocument(editor_testing::WriteBmp(dir, "one.bmp", testing_support::MakeTestPicture(40, 30)));
  ASSERT_NE(doc, nullptr);
  auto* view = f.docs->ViewOf(doc);
  ASSERT_TRUE(f.Enter());
  testing_support::PumpFor(50);
  sim.Char('`', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 3000));
  testing_support::PumpFor(50);
  EXPECT_EQ(wxWindow::FindFocus(), view->GetViewWindow());
  sim.Char('`', wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_BROWSE; }, 3000));
}

TEST(Navigation, BrowseMyCameraOverInjectedCards) {
  NavigationFixture f;
  const fs::path cardA = f.root / "CARD_A", cardB = f.root / "CARD_B";
  browser_testing::MakeGreyPictures(cardA / "DCIM" / "100CAM", 2, 40, 30);
  fs::create_directories(cardB);
  std::ofstream(cardB / "DCIM") << "a file";  // a card without photos
  ASSERT_EQ(::setenv("PICTORAVELL_CARD_ROOTS", (cardB.string() + ":" + cardA.string()).c_str(), 1), 0);
  struct Unset {
    ~Unset() { ::unsetenv("PICTORAVELL_CARD_ROOTS"); }
  } unset;
  ASSERT_TRUE(f.Enter());
  ASSERT_TRUE(f.Browse(f.Path("A")));
  ASSERT_TRUE(f.Enabled(ID_BROWSE_CAMERA));
  ASSERT_TRUE(f.Command(ID_BROWSE_CAMERA));
  EXPECT_TRUE(f.view->IsCameraMode());
  const auto& groups = f.view->GetLayout().m_groups;
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].strName, "CARD_A");
  EXPECT_EQ(groups[0].nPhotos, 2);
  EXPECT_EQ(groups[1].nPhotos, 0);
  EXPECT_EQ(f.view->GetItems().GetCount(), 2);
  EXPECT_EQ(f.view->GetAddressBar()->GetCombo()->GetValue(), "My Cameras");
  EXPECT_FALSE(f.Enabled(ID_ADD_FAVORITE));
  EXPECT_FALSE(f.Enabled(ID_BROWSE_RECURSIVE));
  // A new photo, then Refresh: every card is read again, bands and list agree.
  browser_testing::MakeGreyPictures(cardA / "DCIM" / "101CAM", 1, 40, 30);
  ASSERT_TRUE(f.Command(ID_BROWSE_REFRESH));
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].nPhotos, 2 + 1);
  EXPECT_EQ(f.view->GetItems().GetCount(), groups[0].nPhotos + groups[1].nPhotos);
  // Any folder ends camera mode.
  ASSERT_TRUE(f.Browse(f.Path("B")));
  EXPECT_FALSE(f.view->IsCameraMode());
  EXPECT_TRUE(f.view->GetLayout().m_groups.empty());
}

TEST(Navigation, OrganizeFavoritesEditsTheListAndEscKeepsTheEdits) {
  NavigationFixture f;
  for (const char* name : {"A", "B", "C"})
    WriteProfileString("Favorite Folder List", std::string("Folder ") + static_cast<char>('1' + (name[0] - 'A')), f.Path(name));
  COrganizeBrowserView::OrganizeFavoritesRoots() = {{"Top", f.root.string()}};
  ASSERT_TRUE(f.Enter());
  std::vector<std::string> seen;
  std::map<int, bool> enabled;
  auto click = [](wxDialog& dialog, int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(dialog.FindWindow(id));
    dialog.ProcessWindowEvent(event);
  };
  CModalDialogHook hook([&](wxDialog& dialog) {
    auto* list = dynamic_cast<wxListCtrl*>(dialog.FindWindow(IDC_FAVORITE_LIST));
    auto* tree = dynamic_cast<CFolderTreeCtrl*>(dialog.FindWindow(IDC_FAVORITE_TREE));
    if (!list || !tree) return wxID_CANCEL;
    seen.push_back(dialog.GetTitle().utf8_string());
    seen.push_back(list->GetItemText(0).utf8_string());
    enabled[0] = dialog.FindWindow(IDC_FAVORITE_REMOVE)->IsEnabled();
    enabled[1] = dialog.FindWindow(IDC_FAVORITE_ADD)->IsEnabled();
    // B up above A.
    list->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    enabled[2] = dialog.FindWindow(IDC_FAVORITE_UP)->IsEnabled();
    click(dialog, IDC_FAVORITE_UP);
    // D from the tree, added as the tree gives it.
    wxTreeItemIdValue cookie;
    const wxTreeItemId top = tree->GetFirstChild(tree->GetRootItem(), cookie);
    tree->SelectItem(tree->FindChild(top, "D"));
    enabled[3] = dialog.FindWindow(IDC_FAVORITE_ADD)->IsEnabled();
    click(dialog, IDC_FAVORITE_ADD);
    enabled[4] = dialog.FindWindow(IDC_FAVORITE_ADD)->IsEnabled();  // now in the list
    // C goes.
    for (long i = 0; i < list->GetItemCount(); ++i) list->SetItemState(i, 0, wxLIST_STATE_SELECTED);
    list->SetItemState(2, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    click(dialog, IDC_FAVORITE_REMOVE);
    // Esc closes it.
    wxKeyEvent esc(wxEVT_CHAR_HOOK);
    esc.m_keyCode = WXK_ESCAPE;
    esc.SetEventObject(&dialog);
    dialog.ProcessWindowEvent(esc);
    return wxID_CANCEL;
  });
  f.docs->Command(ID_ORGANIZE_FAVORITES);
  COrganizeBrowserView::OrganizeFavoritesRoots() = DefaultFolderTreeRoots();
  ASSERT_EQ(hook.GetCalls(), 1);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "Organize Favorites");
  EXPECT_EQ(seen[1], f.Path("A"));
  EXPECT_FALSE(enabled[0]);
  EXPECT_FALSE(enabled[1]);
  EXPECT_TRUE(enabled[2]);
  EXPECT_TRUE(enabled[3]);
  EXPECT_FALSE(enabled[4]);
  // Saved renumbered from 1, the added folder with its '/'.
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 1"), f.Path("B"));
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 2"), f.Path("A"));
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 3"), f.Path("D") + "/");
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 4"), "");
  // Add to Favorites compares without the '/': the folder is there twice.
  ASSERT_TRUE(f.Browse(f.Path("D")));
  f.docs->Command(ID_ADD_FAVORITE);
  EXPECT_EQ(GetProfileString("Favorite Folder List", "Folder 4"), f.Path("D"));
}

TEST(Navigation, AddressBarGoesToTypedFoldersAndRefusesOthers) {
  NavigationFixture f;
  ASSERT_TRUE(f.Enter());
  CAddressBar* bar = f.view->GetAddressBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetParent(), f.frame->GetBrowseView());
  EXPECT_LT(bar->GetPosition().y, f.view->GetPosition().y);
  wxComboBox* combo = bar->GetCombo();
  ASSERT_TRUE(f.Browse(f.Path("A")));
  ASSERT_TRUE(f.Browse(f.Path("B") + "/"));
  EXPECT_EQ(combo->GetValue().utf8_string(), f.Path("B"));
  ASSERT_GE(combo->GetCount(), 2u);
  EXPECT_EQ(combo->GetString(0).utf8_string(), f.Path("B"));
  EXPECT_EQ(combo->GetString(1).utf8_string(), f.Path("A"));
  // Typing a folder and Enter, with the keyboard.
  f.frame->Raise();
  combo->SetFocus();
  testing_support::PumpFor(100);
  combo->ChangeValue(wxString::FromUTF8(f.Path("C")));
  int before = f.view->GetReloadCount();
  wxUIActionSimulator keys;
  keys.Char(WXK_RETURN);
  const bool byKeyboard = PumpUntil([&] { return f.view->GetBrowseFolder() == f.Path("C"); }, 2000);
  std::cout << "[ info     ] Enter reached the box " << (byKeyboard ? "from the keyboard" : "as its event") << "\n";
  if (!byKeyboard) {
    // Without the keyboard's focus (some window managers), Enter as the box sends it.
    wxCommandEvent enter(wxEVT_TEXT_ENTER, combo->GetId());
    enter.SetEventObject(combo);
    combo->GetEventHandler()->ProcessEvent(enter);
  }
  ASSERT_TRUE(f.Loaded(before));
  EXPECT_EQ(f.view->GetBrowseFolder(), f.Path("C"));
  EXPECT_EQ(combo->GetString(0).utf8_string(), f.Path("C"));
  // A file, or a folder that is not there: the message, the text restored.
  std::ofstream(f.root / "A" / "note.txt") << "x";
  for (const std::string& wrong : {f.Path("A") + "/note.txt", f.Path("missing")}) {
    CMessageCapture capture;
    combo->ChangeValue(wxString::FromUTF8(wrong));
    bar->OnEnter();
    ASSERT_EQ(capture.messages.size(), 1u) << wrong;
    EXPECT_EQ(capture.messages[0].first, MESSAGE_ERROR);
    EXPECT_EQ(capture.messages[0].second, "The path is not a valid directory");
    EXPECT_EQ(combo->GetValue().utf8_string(), f.Path("C"));
    EXPECT_EQ(f.view->GetBrowseFolder(), f.Path("C"));
  }
  // The root stays "/".
  combo->ChangeValue("/");
  before = f.view->GetReloadCount();
  bar->OnEnter();
  ASSERT_TRUE(f.Loaded(before));
  EXPECT_EQ(f.view->GetBrowseFolder(), "/");
  EXPECT_EQ(combo->GetValue(), "/");
  // A folder chosen from the list goes to the front; the text follows.
  const int index = combo->FindString(wxString::FromUTF8(f.Path("A")));
  ASSERT_GE(index, 0);
  before = f.view->GetReloadCount();
  combo->SetSelection(index);
  wxCommandEvent choice(wxEVT_COMBOBOX, combo->GetId());
  choice.SetInt(index);
  choice.SetEventObject(combo);
  combo->GetEventHandler()->ProcessEvent(choice);
  ASSERT_TRUE(f.Loaded(before));
  testing_support::PumpFor(50);
  EXPECT_EQ(f.view->GetBrowseFolder(), f.Path("A"));
  EXPECT_EQ(combo->GetValue().utf8_string(), f.Path("A"));
  EXPECT_EQ(combo->GetString(0).utf8_string(), f.Path("A"));
  EXPECT_EQ(combo->GetString(1), "/");
}

}  // namespace
