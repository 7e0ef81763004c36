// The folder tree: roots, folders only in file-name order, children read on
// opening and forgotten on closing, selection by path compared byte for
// byte, copying dropped files; and the tree in the Folders page driving the
// browse view.

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "browser/FolderTreeCtrl.h"
#include "browser/OrganizeBrowserView.h"
#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/StandInViews.h"
#include "shell/TaskPanePages.h"
#include "shell/UiTheme.h"
#include "tests/browser/BrowserViewTestSupport.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::PumpUntil;

std::vector<std::string> ChildLabels(CFolderTreeCtrl& tree, const wxTreeItemId& item) {
  std::vector<std::string> labels;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = tree.GetFirstChild(item, cookie); child.IsOk(); child = tree.GetNextChild(item, cookie))
    labels.push_back(tree.GetItemText(child).utf8_string());
  return labels;
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A tree in a frame of its own over a private folder T.
class TreeFixture {
 public:
  TreeFixture() {
    root = fs::temp_directory_path() / ("folder-tree-" + std::to_string(::getpid()));
    fs::remove_all(root);
    for (const char* name : {"T/beta", "T/Alpha", "T/Photos/2021", "T/Photos/2020", "T/.hidden", "T/a/b", "T/x/a/b",
                             "U"})
      fs::create_directories(root / name);
    std::ofstream(root / "T/file.txt") << "x";
    frame = new wxFrame(nullptr, wxID_ANY, "Tree", wxPoint(0, 0), wxSize(300, 500));
    tree = new CFolderTreeCtrl(frame, wxID_ANY, {{"Top", (root / "T").string()}, {"Other", (root / "U").string()}});
    frame->Show();
    PumpUntil([this] { return frame->IsShownOnScreen(); });
    tree->SetSelectCallback([this](const std::string& path) { selected.push_back(path); });
  }
  ~TreeFixture() {
    frame->Destroy();
    testing_support::PumpFor(50);
    fs::remove_all(root);
  }
  wxTreeItemId Top() {
    wxTreeItemIdValue cookie;
    return tree->GetFirstChild(tree->GetRootItem(), cookie);
  }
  std::string Path(const std::string& rel) const { return (root / rel).string(); }

  CFixedUiTheme theme;
  fs::path root;
  wxFrame* frame = nullptr;
  CFolderTreeCtrl* tree = nullptr;
  std::vector<std::string> selected;
};

TEST(FolderTree, FoldersOnlyReadOnOpeningAndForgottenOnClosing) {
  TreeFixture f;
  EXPECT_EQ(ChildLabels(*f.tree, f.tree->GetRootItem()), (std::vector<std::string>{"Top", "Other"}));
  const wxTreeItemId top = f.Top();
  // Nothing read before opening, but the button is there; "Other" has none.
  EXPECT_EQ(f.tree->GetChildrenCount(top, false), 0u);
  EXPECT_TRUE(f.tree->ItemHasChildren(top));
  wxTreeItemIdValue cookie;
  f.tree->GetFirstChild(f.tree->GetRootItem(), cookie);
  EXPECT_FALSE(f.tree->ItemHasChildren(f.tree->GetNextChild(f.tree->GetRootItem(), cookie)));
  f.tree->Expand(top);
  EXPECT_EQ(ChildLabels(*f.tree, top), (std::vector<std::string>{"a", "Alpha", "beta", "Photos", "x"}));
  // Closed, it forgets; a folder made meanwhile shows on reopening.
  f.tree->Collapse(top);
  EXPECT_EQ(f.tree->GetChildrenCount(top, false), 0u);
  fs::create_directories(f.root / "T" / "Gamma");
  f.tree->Expand(top);
  EXPECT_EQ(ChildLabels(*f.tree, top), (std::vector<std::string>{"a", "Alpha", "beta", "Gamma", "Photos", "x"}));
  EXPECT_TRUE(f.selected.empty());
}

TEST(FolderTree, SelectPathComparesBytesAndDescendsOnlyIntoPrefixes) {
  TreeFixture f;
  EXPECT_TRUE(f.tree->SelectPath(f.Path("T/Photos/2021") + "/"));
  EXPECT_EQ(f.tree->GetSelectedPath(), f.Path("T/Photos/2021"));
  EXPECT_TRUE(f.tree->IsExpanded(f.Top()));
  // "/x/a/b" is not taken for "/a/b" (nor the other way round).
  EXPECT_TRUE(f.tree->SelectPath(f.Path("T/x/a/b")));
  EXPECT_EQ(f.tree->GetSelectedPath(), f.Path("T/x/a/b"));
  EXPECT_TRUE(f.tree->SelectPath(f.Path("T/a/b")));
  EXPECT_EQ(f.tree->GetSelectedPath(), f.Path("T/a/b"));
  // A difference of letter case is another (missing) folder: no selection.
  EXPECT_FALSE(f.tree->SelectPath(f.Path("T/photos/2021")));
  EXPECT_EQ(f.tree->GetSelectedPath(), "");
  // A folder outside every root leaves the tree as it is.
  EXPECT_FALSE(f.tree->SelectPath("/"));
  // None of this called the select callback; a selection by the user does.
  EXPECT_TRUE(f.selected.empty());
  const wxTreeItemId photos = f.tree->FindChild(f.Top(), "Photos");
  ASSERT_TRUE(photos.IsOk());
  f.tree->SelectItem(photos);
  ASSERT_EQ(f.selected.size(), 1u);
  EXPECT_EQ(f.selected[0], f.Path("T/Photos"));
  // Selecting a folder reads its children without opening it.
  EXPECT_EQ(f.tree->GetChildrenCount(photos, false), 2u);
}

TEST(FolderTree, DroppedFilesAreCopiedWithoutOverwriting) {
  TreeFixture f;
  fs::create_directories(f.root / "from/folder");
  std::ofstream(f.root / "from/new.jpg") << "new";
  std::ofstream(f.root / "from/taken.jpg") << "dropped";
  std::ofstream(f.root / "T/beta/taken.jpg") << "kept";
  f.tree->Expand(f.Top());
  const wxTreeItemId beta = f.tree->FindChild(f.Top(), "beta");
  wxRect rect;
  ASSERT_TRUE(f.tree->GetBoundingRect(beta, rect, true));
  // Over the label: the folder is highlighted; over nothing: no target.
  EXPECT_FALSE(f.tree->DragOver(wxPoint(rect.x + 2, f.tree->GetClientSize().y - 20)));
  EXPECT_TRUE(f.tree->DragOver(rect.GetPosition() + wxPoint(2, rect.height / 2)));
  EXPECT_EQ(f.tree->GetDropHighlight(), beta);
  CMessageCapture capture;
  EXPECT_TRUE(f.tree->DropFiles({(f.root / "from/new.jpg").string(), (f.root / "from/taken.jpg").string(),
                                 (f.root / "from/folder").string()}));
  EXPECT_FALSE(f.tree->GetDropHighlight().IsOk());
  EXPECT_EQ(f.tree->GetLastDrop().copied, 1);
  EXPECT_EQ(Read(f.root / "T/beta/new.jpg"), "new");
  EXPECT_EQ(Read(f.root / "T/beta/taken.jpg"), "kept");
  ASSERT_EQ(capture.messages.size(), 2u);
  EXPECT_EQ(capture.messages[0].first, MESSAGE_ERROR);
  EXPECT_EQ(capture.messages[0].second, "Failed to copy 'taken.jpg' into '" + f.Path("T/beta") + "'");
  EXPECT_EQ(capture.messages[1].second, "Failed to copy 'folder' into '" + f.Path("T/beta") + "'");
  // Without a highlighted folder a drop does nothing.
  EXPECT_FALSE(f.tree->DropFiles({(f.root / "from/new.jpg").string()}));
}

// --- in the main window ---------------------------------------------------------------

class FoldersPageFixture {
 public:
  FoldersPageFixture() {
    Profile().DeleteSection("Browser History");
    root = fs::temp_directory_path() / ("folders-page-" + std::to_string(::getpid()));
    fs::remove_all(root);
    for (const char* name : {"Pictures/Holiday", "Pictures/Garden", "Documents"}) fs::create_directories(root / name);
    browser_testing::MakeGreyPictures(root / "Pictures/Holiday", 5, 80, 60);
    browser_testing::MakeGreyPictures(root / "Pictures/Garden", 3, 60, 80);
    const std::string cache = (root / ".cache").string();
    COrganizeView::SetContentFactory(
        [cache](wxWindow* parent) -> IBrowseContent* { return new COrganizeBrowserView(parent, cache); });
    docs = std::make_unique<editor_testing::DocumentWindowFixture>();
    frame = docs->frame;
    frame->SetSize(1000, 700);
    view = dynamic_cast<COrganizeBrowserView*>(frame->GetBrowseView()->GetContent());
  }
  ~FoldersPageFixture() {
    docs.reset();
    COrganizeView::SetContentFactory(nullptr);
    Profile().DeleteSection("Browser History");
    fs::remove_all(root);
  }
  bool Loaded(int before) {
    return PumpUntil([&] { return view->GetReloadCount() > before && !view->IsBusy(); }, 20000);
  }

  CFixedUiTheme theme;
  fs::path root;
  std::unique_ptr<editor_testing::DocumentWindowFixture> docs;
  CMainFrame* frame = nullptr;
  COrganizeBrowserView* view = nullptr;
};

TEST(FolderTree, FoldersPageTreeDrivesTheBrowseView) {
  FoldersPageFixture f;
  ASSERT_NE(f.view, nullptr);
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  CFolderTreeCtrl* tree = f.view->GetFolderTree();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->GetParent(), f.frame->GetFoldersPage());
  EXPECT_EQ(f.frame->GetFoldersPage()->GetTree(), tree);
  // The desktop's roots come first; the test then takes a private one.
  wxTreeItemIdValue first;
  EXPECT_EQ(tree->GetItemText(tree->GetFirstChild(tree->GetRootItem(), first)), "Home");
  tree->SetRoots({{"Home", f.root.string()}, {"/", "/"}});
  int before = f.view->GetReloadCount();
  f.frame->GetBrowseView()->BrowseFolder((f.root / "Pictures/Holiday").string());
  ASSERT_TRUE(f.Loaded(before));
  EXPECT_EQ(tree->GetSelectedPath(), (f.root / "Pictures/Holiday").string());
  EXPECT_EQ(f.view->GetItems().GetCount(), 5);
  // The user picks Garden in the tree: the view browses it and Back returns.
  wxTreeItemIdValue cookie;
  const wxTreeItemId home = tree->GetFirstChild(tree->GetRootItem(), cookie);
  const wxTreeItemId garden = tree->FindChild(tree->FindChild(home, "Pictures"), "Garden");
  ASSERT_TRUE(garden.IsOk());
  before = f.view->GetReloadCount();
  tree->SelectItem(garden);
  ASSERT_TRUE(f.Loaded(before));
  EXPECT_EQ(f.view->GetBrowseFolder(), (f.root / "Pictures/Garden").string());
  EXPECT_EQ(f.view->GetItems().GetCount(), 3);
  EXPECT_TRUE(f.docs->IsEnabled(ID_GO_BACK));
  before = f.view->GetReloadCount();
  f.docs->Command(ID_GO_BACK);
  ASSERT_TRUE(f.Loaded(before));
  EXPECT_EQ(tree->GetSelectedPath(), (f.root / "Pictures/Holiday").string());
  // The page is shown and as high as the open items.
  PumpUntil([&] { return !f.frame->GetTaskPane()->IsTimerRunning(); }, 2000);
  EXPECT_TRUE(f.frame->GetFoldersPage()->IsPageShown());
  EXPECT_GT(tree->GetSize().y, 100);
  testing_support::PumpFor(200);
  // A picture of the window, for looking at.
  if (const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR"); dir && *dir) {
    f.frame->Raise();
    testing_support::PumpFor(500);
    const wxRect r = f.frame->GetScreenRect();
    testing_support::RunCommand("import -window root -crop " + std::to_string(r.width) + "x" +
                                std::to_string(r.height) + "+" + std::to_string(r.x) + "+" + std::to_string(r.y) +
                                " " + testing_support::ShellQuote(std::string(dir) + "/folders-page-browse.png"));
  }
}

}  // namespace
