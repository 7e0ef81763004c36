// Browse mode's commands in the main window: the enable rules of the menu
// and the context menu, Enter opening the selection as documents without a
// rescan on return, Delete to the Trash, Rename, the properties dialogs and
// the wallpaper, driven like a user would.

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <functional>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/OrganizeHooks.h"
#include "base/Profile.h"
#include "output/HtmlAlbumDialog.h"
#include "output/WebPublishDialog.h"
#include "output/core/EmailPictures.h"
#include "browser/BrowserFileDialogs.h"
#include "browser/OrganizeBrowserView.h"
#include "browser/core/CacheFile.h"
#include "editor/PictoravellDoc.h"
#include "formats/ImageFile.h"
#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/ModalDialog.h"
#include "shell/StandInViews.h"
#include "tests/browser/BrowserViewTestSupport.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxDialogScript.h"

namespace {

namespace fs = std::filesystem;
using testing_support::PumpUntil;

// A picture of part of the screen into $PICTORAVELL_SCREENSHOT_DIR, when set.
void Shot(const wxRect& r, const std::string& name, std::function<bool()> ready) {
  const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!dir || !*dir) return;
  PumpUntil(ready, 3000);
  testing_support::PumpFor(300);
  const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                           std::to_string(r.y);
  testing_support::RunCommand("import -window root -crop " + crop + " " +
                              testing_support::ShellQuote(std::string(dir) + "/" + name));
}

// The main window in Browse mode over a folder of four pictures, with the
// browse view and the application's hooks (documents open in the frame's
// document manager).
class OrganizeFixture {
 public:
  OrganizeFixture() {
    root = fs::temp_directory_path() / ("organize-" + std::to_string(::getpid()));
    fs::remove_all(root);
    folder = root / "pictures";
    browser_testing::MakeGreyPictures(folder, 4, 60, 40);
    const std::string cache = (root / "cache").string();
    COrganizeView::SetContentFactory(
        [cache](wxWindow* parent) -> IBrowseContent* { return new COrganizeBrowserView(parent, cache); });
    docs = std::make_unique<editor_testing::DocumentWindowFixture>();
    wxDocManager* manager = docs->manager.get();
    InstallOrganizeHooks([manager](const std::string& path) {
      opened.push_back(path);
      return manager->CreateDocument(wxString::FromUTF8(path), wxDOC_SILENT) != nullptr;
    });
    frame = docs->frame;
    view = dynamic_cast<COrganizeBrowserView*>(frame->GetBrowseView()->GetContent());
  }
  ~OrganizeFixture() {
    COrganizeBrowserView::SetPopupRunner(nullptr);
    docs.reset();
    COrganizeView::SetContentFactory(nullptr);
    COrganizeBrowserView::SetHooks({});
    opened.clear();
    fs::remove_all(root);
  }
  bool EnterAndLoad() {
    if (!frame->SetMode(MODE_BROWSE)) return false;
    const int before = view->GetReloadCount();
    frame->GetBrowseView()->BrowseFolder(folder.string());
    return PumpUntil([&] { return view->GetReloadCount() > before && !view->IsBusy(); }, 20000);
  }
  void Select(std::initializer_list<int> indexes) {
    view->SelectNone();
    for (int i : indexes) view->GetItems()[i].m_bSelected = 1;
  }
  bool Enabled(int id) { return docs->IsEnabled(id); }
  void Key(int code) {
    wxKeyEvent event(wxEVT_KEY_DOWN);
    event.m_keyCode = code;
    event.SetEventObject(view);
    view->GetEventHandler()->ProcessEvent(event);
  }

  CFixedUiTheme theme;
  fs::path root, folder;
  std::unique_ptr<editor_testing::DocumentWindowFixture> docs;
  CMainFrame* frame = nullptr;
  COrganizeBrowserView* view = nullptr;
  static inline std::vector<std::string> opened;
};

TEST(OrganizeView, MenuCommandsFollowTheSelectionAndTheBusyState) {
  OrganizeFixture f;
  ASSERT_NE(f.view, nullptr);
  ASSERT_TRUE(f.EnterAndLoad());
  ASSERT_EQ(f.view->GetItems().GetCount(), 4);
  // E-mail needs the desktop's mail hand-off.
  const bool mail = IsMailClientAvailable(true);
  struct Row {
    int id;
    bool none, one, three;
  };
  const Row rows[] = {
      {ID_VIEW_EDIT_IMAGES, true, true, true},      {ID_OPEN_SELECTED, false, true, true},
      {ID_BATCH_PROCESS, true, true, true},         {ID_SLIDE_SHOW, true, true, true},
      {ID_WALLPAPER_TILED, false, true, false},     {ID_WALLPAPER_CENTERED, false, true, false},
      {ID_BROWSE_SELECT_ALL, true, true, true},     {ID_BROWSE_SELECT_NONE, false, true, true},
      {ID_BROWSE_INVERT_SELECTION, true, true, true}, {ID_BROWSE_DELETE, false, true, true},
      {ID_ROTATE_90, false, true, true},            {ID_BROWSE_RENAME, false, true, true},
      {ID_BROWSE_PROPERTIES, true, true, true},     {ID_BROWSE_STOP, false, false, false},
      {ID_BROWSE_REFRESH, true, true, true},        {ID_BROWSE_RELOAD_ALL, true, true, true},
      {ID_SORT_NAME, true, true, true},             {ID_SORT_REVERSE, true, true, true},
      {ID_DISPLAY_FILENAMES, true, true, true},     {ID_BROWSE_RECURSIVE, true, true, true},
      {ID_SEND_EMAIL, false, mail, mail},           {ID_PUBLISH_WEB, false, true, true},
      {ID_HTML_ALBUM, false, true, true},
  };
  for (const auto& [selection, column] : std::vector<std::pair<std::vector<int>, int>>{{{}, 0}, {{1}, 1}, {{0, 2, 3}, 2}}) {
    f.view->SelectNone();
    for (int i : selection) f.view->GetItems()[i].m_bSelected = 1;
    for (const Row& row : rows) {
      const bool expected = column == 0 ? row.none : column == 1 ? row.one : row.three;
      EXPECT_EQ(f.Enabled(row.id), expected) << "command " << row.id << " with " << selection.size() << " selected";
    }
  }
  // All selected: Select All has nothing left to do.
  f.view->SelectAll();
  EXPECT_FALSE(f.Enabled(ID_BROWSE_SELECT_ALL));
  // The menu's commands work through the frame: Select None, Invert.
  f.docs->Command(ID_BROWSE_SELECT_NONE);
  EXPECT_EQ(f.view->GetItems().GetSelectedCount(), 0);
  f.docs->Command(ID_BROWSE_INVERT_SELECTION);
  EXPECT_EQ(f.view->GetItems().GetSelectedCount(), 4);
  // While a reload runs, only Stop (and what is always on) is enabled.
  f.view->Reload(true);
  ASSERT_TRUE(PumpUntil([&] { return f.view->IsBusy(); }, 5000) || !f.view->IsBusy());
  if (f.view->IsBusy()) {
    EXPECT_TRUE(f.Enabled(ID_BROWSE_STOP));
    EXPECT_FALSE(f.Enabled(ID_BROWSE_DELETE));
    EXPECT_FALSE(f.Enabled(ID_BROWSE_REFRESH));
    EXPECT_TRUE(f.Enabled(ID_BROWSE_RELOAD_ALL));
  }
  PumpUntil([&] { return !f.view->IsBusy(); }, 20000);
  // The check marks: thumbnail size and Display Filenames.
  f.docs->Command(ID_THUMB_SIZE_FIRST);
  EXPECT_EQ(f.view->GetThumbnailSizeIndex(), 1);
  wxUpdateUIEvent size(ID_THUMB_SIZE_FIRST);
  size.SetEventObject(f.frame);
  f.frame->ProcessWindowEvent(size);
  EXPECT_TRUE(size.GetChecked());
  f.docs->Command(ID_DISPLAY_FILENAMES);
  EXPECT_FALSE(f.view->GetSettings().bShowNames);
  f.docs->Command(ID_DISPLAY_FILENAMES);
  EXPECT_TRUE(f.view->GetSettings().bShowNames);
}

TEST(OrganizeView, EnterOpensTheSelectedFilesAndReturningDoesNotRescan) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({0, 2, 3});
  std::vector<std::string> expected;
  for (int i : {0, 2, 3}) expected.push_back(f.view->GetItems()[i].GetFullPath());
  const int reloads = f.view->GetReloadCount();
  f.Key(WXK_RETURN);
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  EXPECT_EQ(OrganizeFixture::opened, expected);
  EXPECT_EQ(f.docs->manager->GetDocuments().GetCount(), 3u);
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  for (int i = 0; i < 20; ++i) wxTheApp->ProcessIdle();
  wxYield();
  EXPECT_EQ(f.view->GetReloadCount(), reloads);
  EXPECT_FALSE(f.view->IsBusy());
  EXPECT_EQ(f.view->GetItems().GetCount(), 4);
  EXPECT_EQ(f.view->GetItems().GetSelectedCount(), 3);
}

TEST(OrganizeView, ContextMenuSelectsTheClickedPictureAndOffersItsCommands) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({0});
  std::map<std::string, bool> shown;
  COrganizeBrowserView::SetPopupRunner([&](wxMenu& menu) {
    for (wxMenuItem* item : menu.GetMenuItems())
      if (!item->IsSeparator()) shown[std::string(item->GetItemLabelText().utf8_str())] = item->IsEnabled();
  });
  const wxRect cell = f.view->GetThumbnailClientRect(2);
  f.view->ShowContextMenu(cell.GetPosition() + wxPoint(cell.width / 2, cell.height / 2));
  EXPECT_EQ(f.view->GetItems().GetSelectedCount(), 1);
  EXPECT_TRUE(f.view->GetItems()[2].m_bSelected);
  const std::map<std::string, bool> expected = {
      {"Select All", true},     {"Select None", true},          {"Invert Selection", true},
      {"Cut", true},            {"Copy", true},                 {"Paste", false},
      {"Delete", true},         {"Open Selected Files", true},  {"Batch Process...", true},
      {"Send E-mail...", IsMailClientAvailable(true)}, {"Publish to Web...", true}, {"Generate HTML Album...", true},
      {"Rename...", true},      {"Properties...", true},
  };
  for (const auto& [label, enabled] : expected) {
    ASSERT_TRUE(shown.count(label)) << label;
    if (label != "Paste") {
      EXPECT_EQ(shown[label], enabled) << label;
    }
  }
  // Beside the pictures the selection stays.
  shown.clear();
  f.view->ShowContextMenu(wxPoint(f.view->GetClientSize().x - 3, f.view->GetClientSize().y - 3));
  EXPECT_TRUE(f.view->GetItems()[2].m_bSelected);
  EXPECT_EQ(f.view->GetItems().GetSelectedCount(), 1);
}

TEST(OrganizeView, SlideShowAndBatchReceiveTheSelection) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({1, 3});
  std::vector<std::string> slides, batch;
  ORGANIZE_HOOKS hooks = COrganizeBrowserView::GetHooks();
  hooks.slideShow = [&](COrganizeBrowserView& v) {
    for (const CBrowserItem& item : v.GetItems())
      if (item.m_bSelected) slides.push_back(item.GetFullPath());
  };
  hooks.batch = [&](COrganizeBrowserView& v) {
    for (const CBrowserItem& item : v.GetItems())
      if (item.m_bSelected) batch.push_back(item.GetFullPath());
  };
  COrganizeBrowserView::SetHooks(hooks);
  f.docs->Command(ID_SLIDE_SHOW);
  f.docs->Command(ID_BATCH_PROCESS);
  const std::vector<std::string> expected = {f.view->GetItems()[1].GetFullPath(), f.view->GetItems()[3].GetFullPath()};
  EXPECT_EQ(slides, expected);
  EXPECT_EQ(batch, expected);
}

TEST(OrganizeView, BatchWizardOpensOverTheSelection) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({0, 1});
  int dialogs = 0;
  std::string title;
  CModalDialogHook hook([&](wxDialog& dialog) {
    ++dialogs;
    title = std::string(dialog.GetTitle().utf8_str());
    return wxID_CANCEL;
  });
  f.docs->Command(ID_BATCH_PROCESS);
  EXPECT_EQ(dialogs, 1) << title;
}

TEST(OrganizeView, DeleteAsksThenSendsToTheTrash) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({1});
  const std::string path = f.view->GetItems()[1].GetFullPath();
  {
    testing_support::DialogScript script;
    script.Answer(wxID_NO);
    f.Key(WXK_DELETE);
  }
  EXPECT_TRUE(fs::exists(path));
  // Yes: the file goes to the user's Trash (this process's data folder is
  // private to the test run), and the view reloads.
  const char* data = std::getenv("XDG_DATA_HOME");
  {
    testing_support::DialogScript script;
    script.Answer(wxID_YES);
    f.docs->Command(ID_BROWSE_DELETE);
  }
  EXPECT_FALSE(fs::exists(path));
  if (data) {
    EXPECT_TRUE(fs::exists(fs::path(data) / "Trash/files" / fs::path(path).filename()));
  }
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetItems().GetCount() == 3 && !f.view->IsBusy(); }, 20000));
}

// Two read-only files among three selected: one question with Yes To All
// offered covers both, and all three go to the Trash.
TEST(OrganizeView, ReadOnlyFilesAskOnceWithYesToAll) {
  OrganizeFixture f;
  std::vector<fs::path> names;
  for (const auto& entry : fs::directory_iterator(f.folder)) names.push_back(entry.path());
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 4u);
  for (int i : {0, 1}) fs::permissions(names[i], fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ASSERT_TRUE(f.EnterAndLoad());
  std::vector<int> selected;
  std::vector<std::string> paths;
  int writable = -1;
  for (int i = 0; i < f.view->GetItems().GetCount(); ++i) {
    const CBrowserItem& item = f.view->GetItems()[i];
    if (item.m_bReadOnly) {
      selected.push_back(i);
      paths.push_back(item.GetFullPath());
    } else if (writable < 0) {
      writable = i;
    }
  }
  ASSERT_EQ(selected.size(), 2u);
  ASSERT_GE(writable, 0);
  selected.push_back(writable);
  paths.push_back(f.view->GetItems()[writable].GetFullPath());
  f.view->SelectNone();
  for (int i : selected) f.view->GetItems()[i].m_bSelected = 1;
  bool offered = false;
  {
    testing_support::DialogScript script;
    script.Answer(wxID_YES);
    script.Run([&](wxDialog& dialog) {
      wxWindow* all = dialog.FindWindow(IDC_CONFIRM_YES_TO_ALL);
      offered = all && all->IsEnabled();
      wxCommandEvent click(wxEVT_BUTTON, IDC_CONFIRM_YES_TO_ALL);
      click.SetEventObject(all);
      if (all) all->GetEventHandler()->ProcessEvent(click);
    });
    f.Key(WXK_DELETE);
    EXPECT_EQ(script.titles(), (std::vector<std::string>{"Confirm File Delete", "Confirm File Delete"}));
    EXPECT_EQ(script.Remaining(), 0u);
  }
  EXPECT_TRUE(offered);
  for (const std::string& path : paths) EXPECT_FALSE(fs::exists(path)) << path;
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetItems().GetCount() == 1 && !f.view->IsBusy(); }, 20000));
}

// Purge Browser Cache deletes the whole thumbnail cache (the cache files of
// the browsed folder, their mirror folders and the root) and says how much.
TEST(OrganizeView, PurgeBrowserCacheEmptiesTheCacheTreeAndReportsTheCounts) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  const fs::path cache = f.root / "cache";
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(cache) && !fs::is_empty(cache); }, 20000));
  int files = 0, folders = 0;
  for (const auto& entry : fs::recursive_directory_iterator(cache))
    (entry.is_directory() ? folders : files) += 1;
  ASSERT_GT(files, 0);
  EXPECT_TRUE(f.Enabled(ID_PURGE_CACHE));
  {
    testing_support::DialogScript script;
    script.Answer(wxID_OK);
    f.docs->Command(ID_PURGE_CACHE);
    ASSERT_EQ(script.titles().size(), 1u);
    EXPECT_EQ(script.titles()[0], "Purge Cache");
    ASSERT_EQ(script.messages().size(), 1u);
    // Every file and every folder below the root, and the root itself.
    EXPECT_EQ(script.messages()[0], FormatPurgeMessage(files, folders + 1, "Pictoravell"));
  }
  EXPECT_FALSE(fs::exists(cache));
  // The browser goes on: a reload makes the cache again.
  f.docs->Command(ID_BROWSE_RELOAD_ALL);
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(cache) && !f.view->IsBusy(); }, 20000));
  EXPECT_EQ(f.view->GetItems().GetCount(), 4);
}

TEST(OrganizeView, RenameDialogShowsTheExampleAndRenamesTheSelection) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({0, 1, 2});
  std::string example, refusedName;
  int calls = 0;
  {
    testing_support::DialogScript script;
    script.Run([&](wxDialog& dialog) {
      ++calls;
      auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(IDC_NAME_EDIT));
      auto* combo = dynamic_cast<wxChoice*>(dialog.FindWindow(IDC_DIGITS_COMBO));
      auto* text = dynamic_cast<wxStaticText*>(dialog.FindWindow(IDC_EXAMPLE_TEXT));
      ASSERT_TRUE(edit && combo && text);
      EXPECT_TRUE(combo->IsEnabled());
      edit->SetValue("Trip");
      combo->SetSelection(2);
      wxCommandEvent choice(wxEVT_CHOICE, IDC_DIGITS_COMBO);
      choice.SetEventObject(combo);
      combo->GetEventHandler()->ProcessEvent(choice);
      example = std::string(text->GetLabel().utf8_str());
      dialog.EndModal(wxID_OK);
    });
    f.docs->Command(ID_BROWSE_RENAME);
  }
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(example, "Trip001.jpg");
  for (const char* name : {"Trip001.jpg", "Trip002.jpg", "Trip003.jpg"}) EXPECT_TRUE(fs::exists(f.folder / name)) << name;
}

TEST(OrganizeView, MultiplePropertiesShowsFactsAndNeverOffersTheThirdState) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({0, 1, 2});
  f.view->GetItems()[1].SetAttributes(true, false, false);
  std::string count, total;
  wxCheckBoxState before = wxCHK_UNCHECKED, after = wxCHK_UNCHECKED;
  {
    CModalDialogHook hook([&](wxDialog& dialog) {
      count = std::string(dynamic_cast<wxStaticText*>(dialog.FindWindow(IDC_FILE_COUNT_TEXT))->GetLabel().utf8_str());
      total = std::string(dynamic_cast<wxStaticText*>(dialog.FindWindow(IDC_TOTAL_SIZE_TEXT))->GetLabel().utf8_str());
      auto* box = dynamic_cast<wxCheckBox*>(dialog.FindWindow(IDC_READ_ONLY_CHECK));
      before = box->Get3StateValue();
      EXPECT_FALSE(box->Is3rdStateAllowedForUser());
      return wxID_CANCEL;
    });
    f.docs->Command(ID_BROWSE_PROPERTIES);
  }
  EXPECT_EQ(count, "3 files selected");
  uint64_t bytes = 0;
  for (int i : {0, 1, 2}) bytes += fs::file_size(f.view->GetItems()[i].GetFullPath());
  EXPECT_EQ(total, "Total file size: " + FormatDiskSize(bytes));
  EXPECT_EQ(before, wxCHK_UNDETERMINED);
  // Cancel changed nothing; a click turns the mixed box off, OK applies it.
  EXPECT_TRUE(f.view->GetItems()[1].m_bReadOnly);
  {
    CModalDialogHook hook([&](wxDialog& dialog) {
      auto* box = dynamic_cast<wxCheckBox*>(dialog.FindWindow(IDC_READ_ONLY_CHECK));
      wxCommandEvent click(wxEVT_CHECKBOX, IDC_READ_ONLY_CHECK);
      click.SetEventObject(box);
      box->GetEventHandler()->ProcessEvent(click);
      after = box->Get3StateValue();
      return wxID_OK;
    });
    f.docs->Command(ID_BROWSE_PROPERTIES);
  }
  EXPECT_EQ(after, wxCHK_UNCHECKED);
  EXPECT_FALSE(f.view->GetItems()[1].m_bReadOnly);
  EXPECT_NE(fs::status(f.view->GetItems()[1].GetFullPath()).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST(OrganizeView, FilePropertiesShowsTheRowsAndAppliesOnlyOnOk) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({1});
  std::map<std::string, std::string> rows;
  {
    CModalDialogHook hook([&](wxDialog& dialog) {
      auto* list = dynamic_cast<wxListCtrl*>(dialog.FindWindow(IDC_PROPERTY_LIST));
      for (long i = 0; i < list->GetItemCount(); ++i)
        rows[std::string(list->GetItemText(i, 0).utf8_str())] = std::string(list->GetItemText(i, 1).utf8_str());
      dynamic_cast<wxTextCtrl*>(dialog.FindWindow(IDC_NAME_EDIT))->SetValue("changed.jpg");
      Shot(dialog.GetScreenRect(), "file-properties.png", [&] { return dialog.IsShownOnScreen(); });
      return wxID_CANCEL;
    });
    f.docs->Command(ID_BROWSE_PROPERTIES);
  }
  const CBrowserItem& item = f.view->GetItems()[1];
  EXPECT_EQ(rows["File Size"], FormatDiskSize(fs::file_size(item.GetFullPath())));
  EXPECT_EQ(rows["Location"], item.GetFolder());
  EXPECT_EQ(rows["Image Dimension"], "W: 60  H: 40");
  EXPECT_FALSE(rows["Date Modified"].empty());
  EXPECT_FALSE(fs::exists(f.folder / "changed.jpg"));
  {
    CModalDialogHook hook([&](wxDialog& dialog) {
      dynamic_cast<wxTextCtrl*>(dialog.FindWindow(IDC_NAME_EDIT))->SetValue("changed.jpg");
      return wxID_OK;
    });
    f.docs->Command(ID_BROWSE_PROPERTIES);
  }
  EXPECT_TRUE(fs::exists(f.folder / "changed.jpg"));
}

// << and >> step through the folder (round at either end); a change made
// before stepping is kept only when the question is answered Yes.
TEST(OrganizeView, FilePropertiesStepsAndAsksBeforeLeavingAChangedFile) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({0});
  CBrowserItemList& items = f.view->GetItems();
  const std::string first = items[0].m_strName, second = items[1].m_strName;
  const std::string secondPath = items[1].GetFullPath();
  std::vector<std::string> shown;
  bool applyOff = false, applyOn = false;
  {
    testing_support::DialogScript script;
    script.Run([&](wxDialog& dialog) {
      auto* name = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(IDC_NAME_EDIT));
      auto* readOnly = dynamic_cast<wxCheckBox*>(dialog.FindWindow(IDC_READ_ONLY_CHECK));
      wxWindow* apply = dialog.FindWindow(IDC_APPLY);
      auto click = [&](int id) {
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(dialog.FindWindow(id));
        dialog.FindWindow(id)->GetEventHandler()->ProcessEvent(event);
      };
      applyOff = !apply->IsEnabled();
      name->SetValue("renamed.jpg");  // then >>, answered No
      click(IDC_NEXT_FILE);
      shown.push_back(name->GetValue().utf8_string());
      readOnly->SetValue(true);  // then >>, answered Yes
      wxCommandEvent tick(wxEVT_CHECKBOX, IDC_READ_ONLY_CHECK);
      tick.SetEventObject(readOnly);
      readOnly->GetEventHandler()->ProcessEvent(tick);
      applyOn = apply->IsEnabled();
      click(IDC_NEXT_FILE);
      shown.push_back(name->GetValue().utf8_string());
      for (int i = 0; i < 3; ++i) click(IDC_PREVIOUS_FILE);  // 2, 1, 0, then round to the last
      shown.push_back(name->GetValue().utf8_string());
      dialog.EndModal(wxID_CANCEL);
    });
    script.Answer(wxID_NO);
    script.Answer(wxID_YES);
    f.docs->Command(ID_BROWSE_PROPERTIES);
    EXPECT_EQ(script.Remaining(), 0u);
    EXPECT_EQ(std::count(script.titles().begin(), script.titles().end(), "File Properties"), 3);
  }
  EXPECT_TRUE(applyOff);
  EXPECT_TRUE(applyOn);
  EXPECT_EQ(shown, (std::vector<std::string>{second, items[2].m_strName, items[3].m_strName}));
  EXPECT_EQ(items[0].m_strName, first);
  EXPECT_FALSE(fs::exists(f.folder / "renamed.jpg"));
  EXPECT_EQ(fs::status(secondPath).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_TRUE(items[1].m_bReadOnly);
  EXPECT_TRUE(items[3].m_bSelected);
}

TEST(OrganizeView, WallpaperIsFittedSavedAndHandedToTheDesktop) {
  OrganizeFixture f;
  ASSERT_TRUE(browser_testing::Magick("-size 3000x2000 xc:orange " + (f.folder / "big.png").string()));
  ASSERT_TRUE(f.EnterAndLoad());
  int index = -1;
  for (int i = 0; i < f.view->GetItems().GetCount(); ++i)
    if (f.view->GetItems()[i].m_strName == "big.png") index = i;
  ASSERT_GE(index, 0);
  f.Select({index});
  std::string setPath;
  bool setTiled = false;
  ORGANIZE_HOOKS hooks = COrganizeBrowserView::GetHooks();
  hooks.setBackground = [&](const std::string& path, bool tiled) {
    setPath = path;
    setTiled = tiled;
    return true;
  };
  COrganizeBrowserView::SetHooks(hooks);
  ASSERT_TRUE(f.view->SetWallpaper(true, 1024, 768));
  EXPECT_TRUE(setTiled);
  CImageFileInfo info;
  ASSERT_TRUE(ReadImageFileInfo(setPath, &info)) << setPath;
  EXPECT_EQ(info.m_nWidth, 1024);
  EXPECT_EQ(info.m_nHeight, 682);
  EXPECT_EQ(setPath.substr(setPath.size() - 4), ".bmp");
}

// Browse mode with the context menu open (a real popup, closed with Esc).
TEST(OrganizeView, ScreenshotWithTheContextMenuOpen) {
  if (!std::getenv("PICTORAVELL_SCREENSHOT_DIR")) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  f.Select({1});
  f.view->Refresh();
  f.view->Update();
  bool shot = false;
  wxTimer timer;
  timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    Shot(f.frame->GetScreenRect(), "browse-context-menu.png", [] { return true; });
    shot = true;
    wxUIActionSimulator sim;
    sim.Char(WXK_ESCAPE);
  });
  timer.StartOnce(800);
  const wxRect cell = f.view->GetThumbnailClientRect(1);
  f.view->ShowContextMenu(cell.GetPosition() + wxPoint(cell.width / 2, cell.height / 2));
  PumpUntil([&] { return shot; }, 5000);
  EXPECT_TRUE(shot);
}

// E-mail, the HTML album and web publishing from browse mode get the
// selection in list order through their dialogs: the album's pages are
// written and opened, the mail client gets one attachment per picture, and
// the album dialog refuses an empty folder and out-of-range numbers without
// storing anything.
TEST(OrganizeView, SharingCommandsTakeTheSelection) {
  OrganizeFixture f;
  ASSERT_TRUE(f.EnterAndLoad());
  const fs::path bin = f.root / "bin";
  fs::create_directories(bin);
  const fs::path openLog = f.root / "open.log", mailLog = f.root / "mail.log";
  auto stub = [&](const char* name, const std::string& body) {
    std::ofstream(bin / name) << "#!/bin/sh\n" << body;
    fs::permissions(bin / name, fs::perms::owner_all);
  };
  stub("xdg-open", "printf '%s\\n' \"$1\" > " + testing_support::ShellQuote(openLog.string()) + "\n");
  // The stand-in mail client lists its attachments that exist.
  stub("xdg-email", "for a in \"$@\"; do [ -f \"$a\" ] && printf '%s\\n' \"$a\"; done > " +
                        testing_support::ShellQuote(mailLog.string()) + "\n");
  const std::string oldPath = getenv("PATH");
  setenv("PATH", (bin.string() + ":" + oldPath).c_str(), 1);
  setenv("XDG_CACHE_HOME", (f.root / "xdg-cache").c_str(), 1);
  struct RestorePath {
    std::string path;
    ~RestorePath() {
      setenv("PATH", path.c_str(), 1);
      IsMailClientAvailable(true);
    }
  } restore{oldPath};
  ASSERT_TRUE(IsMailClientAvailable(true));
  f.Select({0, 2});
  ASSERT_TRUE(f.Enabled(ID_HTML_ALBUM));
  ASSERT_TRUE(f.Enabled(ID_SEND_EMAIL));
  ASSERT_TRUE(f.Enabled(ID_PUBLISH_WEB));

  // The album dialog: an empty folder and a thumbnail size of 0 are refused
  // with their messages, then good values go through.
  const fs::path album = f.root / "album";
  std::vector<std::string> refusals;
  {
    testing_support::DialogScript script;
    script.Run([&](wxDialog& d) {
      EXPECT_EQ(d.GetTitle(), "Generate HTML Album");
      auto text = [&](int id) { return dynamic_cast<wxTextCtrl*>(d.FindWindow(id)); };
      text(CHtmlAlbumDialog::IDC_ALBUM_FOLDER)->SetValue("");
      if (d.TransferDataFromWindow()) ADD_FAILURE() << "an empty folder was accepted";
      text(CHtmlAlbumDialog::IDC_ALBUM_FOLDER)->SetValue(wxString::FromUTF8(album.string()));
      text(CHtmlAlbumDialog::IDC_ALBUM_THUMBNAIL_SIZE)->SetValue("0");
      if (d.TransferDataFromWindow()) ADD_FAILURE() << "thumbnail size 0 was accepted";
      EXPECT_EQ(GetProfileString("HTML Album Options", "Output Directory", "unset"), "unset");
      text(CHtmlAlbumDialog::IDC_ALBUM_THUMBNAIL_SIZE)->SetValue("80");
      Shot(d.GetScreenRect(), "html-album-dialog.png", [&] { return d.IsShownOnScreen(); });
      wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
      ok.SetEventObject(d.FindWindow(wxID_OK));
      d.ProcessWindowEvent(ok);
    });
    script.Answer(wxID_OK);  // the two refusals
    script.Answer(wxID_OK);
    f.docs->Command(ID_HTML_ALBUM);
    refusals = script.messages();
  }
  ASSERT_EQ(refusals.size(), 2u);
  EXPECT_EQ(refusals[0], "Please enter the output directory.");
  EXPECT_EQ(refusals[1], "Please enter an integer between 1 and 200.");
  EXPECT_EQ(GetProfileString("HTML Album Options", "Output Directory", ""), album.string());
  EXPECT_EQ(GetProfileInt("HTML Album Options", "Thumbnail Size", 0), 80);
  const std::string names[] = {fs::path(f.view->GetItems()[0].GetFullPath()).filename().string(), fs::path(f.view->GetItems()[2].GetFullPath()).filename().string()};
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(openLog) && fs::file_size(openLog) > 0; }, 10000));
  std::ifstream page(album / "index.html");
  const std::string html((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
  for (const std::string& name : names) {
    const std::string stem = fs::path(name).stem().string();
    EXPECT_NE(html.find("href=\"" + stem + ".jpg\""), std::string::npos) << html;
    EXPECT_TRUE(fs::exists(album / (stem + ".jpg")));
    EXPECT_TRUE(fs::exists(album / ("sm-" + stem + ".jpg")));
  }
  EXPECT_EQ(html.find(fs::path(fs::path(f.view->GetItems()[1].GetFullPath()).filename().string()).stem().string() + ".jpg"), std::string::npos);

  // E-mail: the dialog, then one attachment per selected picture.
  {
    CModalDialogHook hook([&](wxDialog& d) {
      EXPECT_EQ(d.GetTitle(), "Send E-mail");
      return wxID_OK;
    });
    f.docs->Command(ID_SEND_EMAIL);
    EXPECT_EQ(hook.GetCalls(), 1);
  }
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(mailLog) && fs::file_size(mailLog) > 0; }, 10000));
  std::ifstream mail(mailLog);
  std::vector<std::string> attachments;
  for (std::string line; std::getline(mail, line);) attachments.push_back(line);
  ASSERT_EQ(attachments.size(), 2u);
  for (const std::string& a : attachments) EXPECT_NE(a.find("Email Temp"), std::string::npos) << a;

  // Publishing: the dialog comes with the selection; Cancel does nothing.
  {
    CModalDialogHook hook([&](wxDialog& d) {
      EXPECT_EQ(d.GetTitle(), "Publish To Web");
      auto* index = d.FindWindow(CWebPublishDialog::IDC_WEB_INDEX);
      EXPECT_TRUE(index && index->IsEnabled());
      Shot(d.GetScreenRect(), "publish-dialog.png", [&] { return d.IsShownOnScreen(); });
      return wxID_CANCEL;
    });
    f.docs->Command(ID_PUBLISH_WEB);
    EXPECT_EQ(hook.GetCalls(), 1);
  }
}

}  // namespace

