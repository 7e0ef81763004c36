// The browser view driven as a user drives it: injected mouse and keys,
// the clipboard read back by another process, files appearing on disk.

#include <gtest/gtest.h>
#include <wx/clipbrd.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/process.h>
#include <wx/stopwatch.h>
#include <wx/txtstrm.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "browser/FolderTreeCtrl.h"
#include "browser/core/ThumbnailMaker.h"
#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/ProgressDialog.h"
#include "shell/StandInViews.h"
#include "tests/browser/BrowserViewTestSupport.h"
#include "tests/shell/PaintTestSupport.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using browser_testing::fs::path;
using browser_testing::MakeGreyPictures;
using browser_testing::ViewFixture;
using testing_support::PumpFor;
using testing_support::PumpUntil;

std::string ReadFile(const path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Names(const CBrowserItemList& items) {
  std::vector<std::string> names;
  for (const CBrowserItem& item : items) names.push_back(item.m_strName);
  return names;
}

std::set<int> Selected(const CBrowserItemList& items) {
  std::set<int> s;
  for (int i = 0; i < items.GetCount(); ++i)
    if (items[static_cast<size_t>(i)].m_bSelected) s.insert(i);
  return s;
}

// The grey of a thumbnail's middle pixel.
int ThumbnailGrey(const CBrowserItem& item) {
  const CRasterImage& image = (*item.m_pThumbFrames)[0].m_image;
  const uint8_t* row = image.GetRow(image.GetHeight() / 2);
  return row[(image.GetWidth() / 2) * 3];
}

// Clicks the middle of an item's thumbnail with modifier keys held.
void ClickItem(ViewFixture& f, int index, int modifiers = 0) {
  wxUIActionSimulator sim;
  sim.MouseMove(f.ScreenPointOf(index));
  PumpFor(20);
  if (modifiers & wxMOD_SHIFT) sim.KeyDown(WXK_SHIFT);
  if (modifiers & wxMOD_CONTROL) sim.KeyDown(WXK_CONTROL);
  PumpFor(20);
  sim.MouseClick();
  PumpFor(20);
  if (modifiers & wxMOD_CONTROL) sim.KeyUp(WXK_CONTROL);
  if (modifiers & wxMOD_SHIFT) sim.KeyUp(WXK_SHIFT);
  PumpFor(40);
}

// Runs a command line without a shell and answers what it wrote, while this
// process keeps serving its windows (and its clipboard).
std::string RunAndRead(const wxString& command) {
  auto* process = new wxProcess();
  process->Redirect();
  bool ended = false;
  process->Bind(wxEVT_END_PROCESS, [&](wxProcessEvent&) { ended = true; });
  if (wxExecute(command, wxEXEC_ASYNC, process) <= 0) return "<not started>";
  std::string out;
  PumpUntil(
      [&] {
        while (process->IsInputAvailable()) out += static_cast<char>(process->GetInputStream()->GetC());
        return ended;
      },
      10000);
  while (process->IsInputAvailable()) out += static_cast<char>(process->GetInputStream()->GetC());
  if (wxInputStream* in = process->GetInputStream()) {
    char buffer[256];
    while (in->CanRead()) {
      in->Read(buffer, sizeof buffer);
      if (in->LastRead() == 0) break;
      out.append(buffer, in->LastRead());
    }
  }
  delete process;
  return out;
}

const char* const kReadUriList = "xclip -selection clipboard -o -t text/uri-list";

TEST(BrowserView, ThumbnailsAppearAsMadeInListOrder) {
  ViewFixture f("order");
  MakeGreyPictures(f.folder, 12, 400, 300);
  // Every moment of the run, the items with thumbnails are the first ones.
  bool prefix = true;
  int samples = 0;
  wxTimer sampler;
  sampler.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    const CBrowserItemList& items = f.view->GetItems();
    bool seenMissing = false;
    for (const CBrowserItem& item : items) {
      if (!item.HasThumbnail()) seenMissing = true;
      else if (seenMissing) prefix = false;
    }
    ++samples;
  });
  sampler.Start(3);
  ASSERT_TRUE(f.Load());
  sampler.Stop();
  EXPECT_TRUE(prefix);
  EXPECT_GT(samples, 0);
  const CBrowserItemList& items = f.view->GetItems();
  ASSERT_EQ(items.GetCount(), 12);
  for (const CBrowserItem& item : items) {
    ASSERT_TRUE(item.HasThumbnail()) << item.m_strName;
    EXPECT_NEAR(ThumbnailGrey(item), std::stoi(item.m_strName.substr(1, 3)), 3) << item.m_strName;
  }
  // The view is drawn: the shadow of the first thumbnail is on the screen.
  const wxImage shot = paint_testing::CaptureWindow(f.view);
  const wxRect r = f.view->GetThumbnailClientRect(0);
  EXPECT_PIXEL(shot, r.x - 1, r.y + r.height / 2, wxColour(242, 242, 242));
  EXPECT_PIXEL(shot, r.GetRight() + 1, r.y + r.height / 2, wxColour(137, 137, 137));
}

TEST(BrowserView, ReorderingWhileThumbnailsAreMadeNeverMisattachesOne) {
  ViewFixture f("reorder");
  MakeGreyPictures(f.folder, 30, 900, 700);
  SetThumbnailThreads(1);  // made on this thread, one by one, with pumping between
  int reorders = 0;
  wxTimer shuffler;
  shuffler.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (!f.view->IsBusy() || f.view->GetItems().empty()) return;
    switch (reorders++ % 3) {
      case 0: f.view->ReverseOrder(); break;
      case 1: f.view->SortItems(SORT_BY_NAME); break;
      default: {  // drop the selected first two items at the end
        CBrowserItemList& items = f.view->GetItems();
        items.SelectNone();
        items[0].m_bSelected = items[1].m_bSelected = 1;
        f.view->OnDragEnter(wxPoint(0, 0));
        f.view->OnDragOver(wxPoint(-10, -10));  // in no cell: the end
        f.view->OnDrop(wxPoint(-10, -10));
      }
    }
  });
  shuffler.Start(7);
  ASSERT_TRUE(f.Load(60000));
  shuffler.Stop();
  EXPECT_GT(reorders, 3);
  for (const CBrowserItem& item : f.view->GetItems()) {
    ASSERT_TRUE(item.HasThumbnail()) << item.m_strName;
    EXPECT_NEAR(ThumbnailGrey(item), std::stoi(item.m_strName.substr(1, 3)), 3) << item.m_strName;
  }
}

TEST(BrowserView, ANewFileAppearsLastWithinTwoSecondsKeepingSelectionAndOrder) {
  ViewFixture f("newfile");
  MakeGreyPictures(f.folder, 4, 64, 48);
  ASSERT_TRUE(f.Load());
  f.view->ReverseOrder();
  f.view->GetItems()[1].m_bSelected = 1;
  const std::vector<std::string> before = Names(f.view->GetItems());
  ASSERT_TRUE(browser_testing::Magick("-size 64x48 xc:red " + (f.folder / "new.jpg").string()));
  wxStopWatch watch;
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetItems().GetCount() == 5 && !f.view->IsBusy(); }, 5000));
  EXPECT_LT(watch.Time(), 2500);
  std::vector<std::string> expected = before;
  expected.push_back("new.jpg");
  EXPECT_EQ(Names(f.view->GetItems()), expected);
  EXPECT_EQ(Selected(f.view->GetItems()), std::set<int>{1});
}

TEST(BrowserView, EscapeStopsTheThumbnailRunAndKeepsWhatWasMade) {
  ViewFixture f("escape");
  MakeGreyPictures(f.folder, 40, 1200, 900);
  SetThumbnailThreads(1);
  bool pressed = false;
  wxTimer presser;
  presser.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (pressed || !f.view->IsBusy()) return;
    const CBrowserItemList& items = f.view->GetItems();
    if (items.empty() || !items[0].HasThumbnail()) return;
    pressed = true;
    wxUIActionSimulator().Char(WXK_ESCAPE);
  });
  presser.Start(5);
  ASSERT_TRUE(f.Load(60000));
  presser.Stop();
  ASSERT_TRUE(pressed);
  int made = 0;
  for (const CBrowserItem& item : f.view->GetItems()) made += item.HasThumbnail() ? 1 : 0;
  EXPECT_GE(made, 1);
  EXPECT_LT(made, 40);
  // What was made is in the cache: a new view takes it without decoding.
  CFolderScanner scanner((f.root / "cache").string());
  CBrowserItemList cached;
  scanner.LoadCache(f.folder.string() + "/", cached);
  EXPECT_EQ(cached.GetCount(), made);
}

TEST(BrowserView, ClickRulesWithInjectedMouseAndKeys) {
  ViewFixture f("clicks");
  MakeGreyPictures(f.folder, 8, 80, 60);
  ASSERT_TRUE(f.Load());
  const CBrowserItemList& items = f.view->GetItems();
  struct Step {
    int index, modifiers;
    std::set<int> selected;
    int anchor;
  } steps[] = {
      {3, wxMOD_SHIFT, {3}, 3},            // Shift without an anchor: a plain click
      {5, wxMOD_SHIFT, {3, 4, 5}, 3},      // a range from the anchor
      {1, wxMOD_SHIFT, {1, 2, 3}, 3},
      {2, wxMOD_CONTROL, {1, 3}, -1},      // Ctrl on a selected item: off, anchor gone
      {6, wxMOD_SHIFT, {6}, 6},            // so Shift acts as a plain click
      {0, wxMOD_CONTROL, {0, 6}, 0},       // Ctrl adds
      {6, 0, {0, 6}, 6},                   // a plain click on a selected item keeps the selection
      {-1, 0, {}, -1},                     // beside every picture: nothing selected
  };
  for (const Step& step : steps) {
    SCOPED_TRACE("click on " + std::to_string(step.index) + " modifiers " + std::to_string(step.modifiers));
    if (step.index >= 0) {
      ClickItem(f, step.index, step.modifiers);
    } else {
      wxUIActionSimulator sim;
      const wxRect cell = f.view->GetCellClientRect(0);
      sim.MouseMove(f.view->ClientToScreen(wxPoint(cell.x + 2, cell.y + 2)));
      PumpFor(20);
      sim.MouseClick();
      PumpFor(40);
    }
    EXPECT_EQ(Selected(items), step.selected);
    EXPECT_EQ(f.view->GetAnchor(), step.anchor);
  }
}

TEST(BrowserView, HoverZoomGrowsInStepsAndGoesBackOnLeave) {
  ViewFixture f("hover");
  MakeGreyPictures(f.folder, 4, 200, 150);
  ASSERT_TRUE(f.Load());
  const wxRect still = f.view->GetThumbnailClientRect(1);
  std::vector<int> seen;
  wxUIActionSimulator sim;
  sim.MouseMove(f.ScreenPointOf(1));
  ASSERT_TRUE(PumpUntil([&] {
    const int step = f.view->GetItems()[1].m_nZoomStep;
    if (seen.empty() || seen.back() != step) seen.push_back(step);
    return step == 6;
  }));
  EXPECT_GE(seen.size(), 4u);  // several steps were shown on the way
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
  const wxRect zoomed = f.view->GetThumbnailClientRect(1);
  EXPECT_EQ(still.width, 100);  // 200 x 150 shown as 100 x 75
  EXPECT_EQ(zoomed.width, 116);  // the zoom box (118, 87): the height limits, 116 x 87
  EXPECT_EQ(zoomed.height, 87);
  EXPECT_EQ(zoomed.GetBottom(), still.GetBottom());
  EXPECT_EQ(f.view->GetItems()[0].m_nZoomStep, 0);
  const wxImage shot = paint_testing::CaptureWindow(f.view);
  EXPECT_PIXEL(shot, zoomed.x - 1, zoomed.y + zoomed.height / 2, wxColour(242, 242, 242));
  // Leaving the window takes the zoom back.
  sim.MouseMove(wxPoint(1250, 1000));
  EXPECT_TRUE(PumpUntil([&] { return f.view->GetItems()[1].m_nZoomStep == 0; }));
}

TEST(BrowserView, DragToReorderShowsTheInsertionMarker) {
  ViewFixture f("drag");
  MakeGreyPictures(f.folder, 6, 80, 60);
  ASSERT_TRUE(f.Load());
  const std::vector<std::string> names = Names(f.view->GetItems());
  ClickItem(f, 0);
  ClickItem(f, 1, wxMOD_CONTROL);
  // The gap between items 3 and 4: the left half of cell 4.
  const wxRect cell4 = f.view->GetCellClientRect(4);
  const wxPoint gap(cell4.x + 10, cell4.y + cell4.height / 2);
  std::vector<std::string> dragged;
  wxImage during;
  std::vector<int> levels;
  CImageBrowserView::SetDragRunner([&](CImageBrowserView& view, const std::vector<std::string>& files) {
    dragged = files;
    view.OnDragEnter(gap);
    PumpUntil([&] {
      view.OnDragOver(gap);
      return view.GetMarkerLevels().size() == 7 && view.GetMarkerLevels()[4] == 5;
    });
    levels = view.GetMarkerLevels();
    during = paint_testing::CaptureWindow(&view);
    view.OnDrop(gap);
  });
  // Press on a selected item and move: the drag starts with the first movement.
  PumpFor(700);  // not a double click
  wxUIActionSimulator sim;
  sim.MouseMove(f.ScreenPointOf(1));
  PumpFor(20);
  sim.MouseDown();
  PumpFor(40);
  sim.MouseMove(f.ScreenPointOf(1) + wxPoint(3, 2));
  ASSERT_TRUE(PumpUntil([&] { return !dragged.empty(); }));
  sim.MouseUp();
  PumpFor(40);
  EXPECT_EQ(dragged.size(), 2u);
  EXPECT_EQ(levels, (std::vector<int>{0, 0, 0, 0, 5, 0, 0}));
  // The bars at the gap: cell 3's right edge and cell 4's left edge in grey 155.
  const wxRect cell3 = f.view->GetCellClientRect(3);
  EXPECT_PIXEL(during, cell3.GetRight(), cell3.y + cell3.height / 2, wxColour(155, 155, 155));
  EXPECT_PIXEL(during, cell4.x, cell4.y + cell4.height / 2, wxColour(155, 155, 155));
  paint_testing::SaveForLooking(during, "browser-drag-marker.png");
  EXPECT_TRUE(f.view->GetMarkerLevels().empty());
  EXPECT_EQ(f.view->GetInsertIndex(), -1);
  // Unselected before the gap, the selection, the rest.
  EXPECT_EQ(Names(f.view->GetItems()),
            (std::vector<std::string>{names[2], names[3], names[0], names[1], names[4], names[5]}));
}

// Drags the selection with the toolkit's own drag loop: presses on a selected
// item and moves a little (the drag starts), then a timer, running inside the
// drag loop, moves the mouse in steps to the screen point and releases there.
// Answers whether the drag ran and ended.
bool DragSelectionTo(ViewFixture& f, int from, const wxPoint& to) {
  wxUIActionSimulator sim;
  const wxPoint start = f.ScreenPointOf(from);
  int step = -1;
  bool released = false;
  wxTimer mover;
  mover.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (released) return;
    if (step < 0) {
      if (f.view->GetDropTarget() == nullptr) return;  // the drag has not begun yet
      step = 0;
    }
    const int steps = 12;
    if (step <= steps) {
      sim.MouseMove(start + (to - start) * step / steps);
    } else if (step <= steps + 10) {
      sim.MouseMove(to + wxPoint(step % 2, 0));  // stays over the target a while
    } else {
      sim.MouseUp();
      released = true;
    }
    ++step;
  });
  PumpFor(700);  // not a double click
  sim.MouseMove(start);
  PumpFor(20);
  sim.MouseDown();
  PumpFor(40);
  mover.Start(40);
  sim.MouseMove(start + wxPoint(3, 2));
  const bool ended = PumpUntil([&] { return released && f.view->GetDropTarget() == nullptr; }, 15000);
  mover.Stop();
  if (!released) sim.MouseUp();
  PumpFor(100);
  return ended;
}

TEST(BrowserView, SelectedFilesDraggedOntoAFolderOfTheTreeAreCopiedThere) {
  ViewFixture f("dragout");
  MakeGreyPictures(f.folder, 4, 80, 60);
  ASSERT_TRUE(f.Load());
  const path target = f.root / "target";
  browser_testing::fs::create_directories(target);
  auto* treeFrame = new wxFrame(nullptr, wxID_ANY, "Folders", wxPoint(760, 0), wxSize(300, 300));
  auto* tree = new CFolderTreeCtrl(treeFrame, wxID_ANY, {{"Target", target.string()}});
  treeFrame->Show();
  ASSERT_TRUE(PumpUntil([&] { return treeFrame->IsShownOnScreen(); }));
  wxTreeItemIdValue cookie;
  const wxTreeItemId folder = tree->GetFirstChild(tree->GetRootItem(), cookie);
  wxRect label;
  // The tree lays its items out when idle.
  ASSERT_TRUE(PumpUntil([&] { return tree->GetBoundingRect(folder, label, true) && label.width > 0; }));
  const std::vector<std::string> names = Names(f.view->GetItems());
  f.frame->Raise();
  ClickItem(f, 0);
  ClickItem(f, 2, wxMOD_CONTROL);
  EXPECT_TRUE(DragSelectionTo(f, 2, tree->ClientToScreen(label.GetPosition() + wxPoint(4, label.height / 2))));
  EXPECT_EQ(tree->GetLastDrop().copied, 2);
  EXPECT_TRUE(browser_testing::fs::exists(target / names[0]));
  EXPECT_TRUE(browser_testing::fs::exists(target / names[2]));
  EXPECT_FALSE(browser_testing::fs::exists(target / names[1]));
  EXPECT_EQ(browser_testing::fs::file_size(target / names[0]), browser_testing::fs::file_size(f.folder / names[0]));
  // The view is no drop target after the drag, its order is unchanged.
  EXPECT_EQ(f.view->GetDropTarget(), nullptr);
  EXPECT_EQ(f.view->GetInsertIndex(), -1);
  EXPECT_TRUE(f.view->GetMarkerLevels().empty());
  EXPECT_EQ(Names(f.view->GetItems()), names);
  treeFrame->Destroy();
  PumpFor(50);
}

TEST(BrowserView, SelectedFilesDraggedBackOntoTheViewReorderIt) {
  ViewFixture f("dragback");
  MakeGreyPictures(f.folder, 6, 80, 60);
  ASSERT_TRUE(f.Load());
  const std::vector<std::string> names = Names(f.view->GetItems());
  ClickItem(f, 0);
  ClickItem(f, 1, wxMOD_CONTROL);
  const wxRect cell4 = f.view->GetCellClientRect(4);
  EXPECT_TRUE(DragSelectionTo(f, 1, f.view->ClientToScreen(wxPoint(cell4.x + 10, cell4.y + cell4.height / 2))));
  EXPECT_EQ(f.view->GetDropTarget(), nullptr);
  EXPECT_EQ(f.view->GetInsertIndex(), -1);
  EXPECT_TRUE(f.view->GetMarkerLevels().empty());
  EXPECT_EQ(Names(f.view->GetItems()),
            (std::vector<std::string>{names[2], names[3], names[0], names[1], names[4], names[5]}));
}

TEST(BrowserView, CopyGivesAUriListThatAnotherProgramReads) {
  REQUIRE_TOOL("xclip");
  ViewFixture f("copy");
  MakeGreyPictures(f.folder, 3, 64, 48);
  ASSERT_TRUE(f.Load());
  ClickItem(f, 0);
  ClickItem(f, 2, wxMOD_CONTROL);
  wxUIActionSimulator().Char('c', wxMOD_CONTROL);
  PumpFor(100);
  const std::string list = RunAndRead(kReadUriList);
  const std::string uri0 = "file://" + (f.folder / f.view->GetItems()[0].m_strName).string();
  const std::string uri2 = "file://" + (f.folder / f.view->GetItems()[2].m_strName).string();
  EXPECT_NE(list.find(uri0), std::string::npos) << list;
  EXPECT_NE(list.find(uri2), std::string::npos) << list;
  EXPECT_EQ(list.find(f.view->GetItems()[1].m_strName), std::string::npos) << list;
}

TEST(BrowserView, CutThenCopyClearsTheVeilsAndPasteThenCopies) {
  ViewFixture f("cut");
  MakeGreyPictures(f.folder, 4, 64, 48);
  ASSERT_TRUE(f.Load());
  ClickItem(f, 0);
  ClickItem(f, 1, wxMOD_CONTROL);
  wxUIActionSimulator().Char('x', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetCutFiles().size() == 2; }));
  PumpFor(100);
  EXPECT_EQ(f.view->GetItems()[0].m_bCut, 1);
  EXPECT_EQ(f.view->GetItems()[1].m_bCut, 1);
  // The veil shows: the picture is lighter than its file.
  wxImage shot = paint_testing::CaptureWindow(f.view);
  const wxRect r0 = f.view->GetThumbnailClientRect(0);
  const int grey = std::stoi(f.view->GetItems()[0].m_strName.substr(1, 3));
  EXPECT_GT(shot.GetRed(r0.x + r0.width / 2, r0.y + r0.height / 2), grey + 30);
  ClickItem(f, 3);
  wxUIActionSimulator().Char('c', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetCutFiles().empty(); }));
  EXPECT_EQ(f.view->GetItems()[0].m_bCut, 0);
  shot = paint_testing::CaptureWindow(f.view);
  EXPECT_NEAR(shot.GetRed(r0.x + r0.width / 2, r0.y + r0.height / 2), grey, 3);
  // Paste now copies (into the same folder: a numbered copy), the cut files stay.
  const std::string name3 = f.view->GetItems()[3].m_strName;
  const std::string bytes = ReadFile(f.folder / name3);
  testing_support::AnswerMessageBoxes boxes([](const auto&) { return wxID_YES; });
  const int reloads = f.view->GetReloadCount();
  wxUIActionSimulator().Char('v', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetReloadCount() > reloads && !f.view->IsBusy(); }, 10000));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(ReadFile(f.folder / name3), bytes);
  const std::string copy = name3.substr(0, name3.size() - 4) + "-1.jpg";
  EXPECT_EQ(ReadFile(f.folder / copy), bytes);
  EXPECT_EQ(f.view->GetItems().GetCount(), 5);
  EXPECT_EQ(f.view->GetItems()[4].m_strName, copy);
  EXPECT_TRUE(browser_testing::fs::exists(f.folder / f.view->GetItems()[0].m_strName));
}

TEST(BrowserView, PasteCopiesWithProgressAndAsksBeforeReplacing) {
  ViewFixture f("paste");
  MakeGreyPictures(f.folder, 1, 64, 48);  // g020
  const path other = f.root / "other";
  MakeGreyPictures(other, 3, 32, 24);  // g020, g120, g220: g020 clashes
  ASSERT_TRUE(f.Load());
  const std::string before = ReadFile(f.folder / "g020.jpg");
  ASSERT_TRUE(wxTheClipboard->Open());
  auto* data = new wxFileDataObject;
  for (const char* name : {"g020.jpg", "g120.jpg", "g220.jpg"}) data->AddFile((other / name).string());
  wxTheClipboard->SetData(data);
  wxTheClipboard->Close();
  bool progressShown = false;
  std::string progressText;
  testing_support::AnswerMessageBoxes boxes([&](const auto&) {
    progressShown = g_pProgressDialog && g_pProgressDialog->IsShown();
    if (progressShown) progressText = g_pProgressDialog->GetMessage();
    return wxID_NO;  // keep the existing file
  });
  const int reloads = f.view->GetReloadCount();
  f.view->OnEditPaste();
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetReloadCount() > reloads && !f.view->IsBusy(); }, 10000));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Confirm File Replace");
  EXPECT_NE(boxes.boxes[0].message.find("g020.jpg"), std::string::npos);
  EXPECT_TRUE(progressShown);
  EXPECT_EQ(progressText, "Copying files...");
  EXPECT_EQ(ReadFile(f.folder / "g020.jpg"), before);  // kept
  EXPECT_EQ(ReadFile(f.folder / "g120.jpg"), ReadFile(other / "g120.jpg"));
  EXPECT_EQ(ReadFile(f.folder / "g220.jpg"), ReadFile(other / "g220.jpg"));
  EXPECT_EQ(f.view->GetItems().GetCount(), 3);
}

TEST(BrowserView, TooManyFilesForTheScrollExtentAreReported) {
  ViewFixture f("many");
  std::vector<std::string> messages;
  class Sink : public IMessageSink {
   public:
    explicit Sink(std::vector<std::string>& m) : m_messages(m) {}
    void AddMessage(int, const std::string& text) override { m_messages.push_back(text); }
    std::vector<std::string>& m_messages;
  } sink(messages);
  IMessageSink* previous = SetMessageSink(&sink);
  f.view->SetThumbnailSize(4);
  f.view->GetItems().resize(20000);
  f.view->RecalcLayout(false);
  EXPECT_TRUE(messages.empty());
  EXPECT_GT(f.view->GetLayout().GetColumns(), 100);
  f.view->GetItems().resize(40000);
  f.view->RecalcLayout(false);
  EXPECT_EQ(messages, std::vector<std::string>{"There are too many files to display in this window !"});
  f.view->GetItems().clear();
  SetMessageSink(previous);
}

TEST(BrowserView, BrowseModeOfTheMainWindowShowsTheViewAndRoutesClipboardCommands) {
  REQUIRE_TOOL("xclip");
  CFixedUiTheme theme;
  COrganizeView::SetContentFactory([](wxWindow* parent) -> IBrowseContent* {
    return new CImageBrowserView(parent, (browser_testing::fs::temp_directory_path() / "browser-frame-cache").string());
  });
  {
    shell_testing::FrameFixture f;
    auto* view = dynamic_cast<CImageBrowserView*>(f.frame->GetBrowseView()->GetContent());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
    EXPECT_TRUE(view->IsShownOnScreen());
    const path folder = browser_testing::fs::temp_directory_path() / ("browser-frame-" + std::to_string(::getpid()));
    MakeGreyPictures(folder, 2, 40, 30);
    const int reloads = view->GetReloadCount();
    f.frame->GetBrowseView()->BrowseFolder(folder.string());
    ASSERT_TRUE(PumpUntil([&] { return view->GetReloadCount() > reloads; }, 10000));
    EXPECT_EQ(view->GetItems().GetCount(), 2);
    view->GetItems()[1].m_bSelected = 1;
    wxCommandEvent copy(wxEVT_MENU, ID_EDIT_COPY);
    f.frame->GetEventHandler()->ProcessEvent(copy);
    const std::string list = RunAndRead(kReadUriList);
    EXPECT_NE(list.find(view->GetItems()[1].m_strName), std::string::npos) << list;
    // Leaving the mode stops the view's timers.
    ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
    EXPECT_FALSE(view->IsPolling());
    browser_testing::fs::remove_all(folder);
  }
  COrganizeView::SetContentFactory(nullptr);
  browser_testing::fs::remove_all(browser_testing::fs::temp_directory_path() / "browser-frame-cache");
}

}  // namespace

namespace {

TEST(BrowserView, CameraCardsGetHeaderBandsInOrder) {
  ViewFixture f("camera");
  const path cardB = f.root / "CARD_B", cardA = f.root / "CARD_A", cardE = f.root / "EMPTY";
  MakeGreyPictures(cardB / "DCIM" / "100CANON", 3, 64, 48);
  MakeGreyPictures(cardA / "DCIM", 1, 64, 48);
  browser_testing::fs::create_directories(cardE);
  std::ofstream(cardE / "DCIM") << "not a folder";  // a file named DCIM: a card without photos
  const int reloads = f.view->GetReloadCount();
  f.view->BrowseCameras({cardB.string(), cardE.string(), cardA.string(), (f.root / "nocard").string()});
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetReloadCount() > reloads; }, 10000));
  const CBrowserLayout& layout = f.view->GetLayout();
  ASSERT_EQ(layout.m_groups.size(), 3u);
  EXPECT_EQ(layout.m_groups[0].strName, "CARD_A");
  EXPECT_EQ(layout.m_groups[0].nPhotos, 1);
  EXPECT_EQ(layout.m_groups[1].strName, "CARD_B");
  EXPECT_EQ(layout.m_groups[1].nPhotos, 3);
  EXPECT_EQ(layout.m_groups[2].strName, "EMPTY");
  EXPECT_EQ(layout.m_groups[2].nPhotos, 0);
  EXPECT_EQ(f.view->GetItems().GetCount(), 4);
  for (const CBrowserItem& item : f.view->GetItems()) EXPECT_TRUE(item.HasThumbnail()) << item.m_strName;
  // Bands in the highlight colour above each card's rows; the empty card's
  // band follows the last row.
  const wxImage shot = paint_testing::CaptureWindow(f.view);
  paint_testing::SaveForLooking(shot, "browser-camera-cards.png");
  for (int g = 0; g < 3; ++g) {
    const int top = layout.GetGroupHeaderTop(g);
    EXPECT_PIXEL(shot, 5, top + 2, wxColour(0, 120, 215)) << g;
    EXPECT_PIXEL(shot, 600, top + 38, wxColour(0, 120, 215)) << g;
  }
  EXPECT_EQ(layout.GetGroupHeaderTop(2), layout.GetExtentHeight() - kGroupHeaderHeight);
  EXPECT_EQ(f.view->GetCellClientRect(1).y, layout.GetGroupHeaderTop(1) + kGroupHeaderHeight);
  EXPECT_TRUE(f.view->IsCameraMode());
}

TEST(BrowserView, SizeChangesDuringAReloadStopItAndRunOneNewReload) {
  ViewFixture f("sizes");
  MakeGreyPictures(f.folder, 30, 1200, 900);
  SetThumbnailThreads(1);
  bool changed = false;
  wxTimer changer;
  changer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (changed || !f.view->IsBusy()) return;
    const CBrowserItemList& items = f.view->GetItems();
    if (items.empty() || !items[0].HasThumbnail()) return;
    changed = true;
    f.view->SetThumbnailSize(3);
    f.view->SetThumbnailSize(4);
  });
  changer.Start(5);
  const int before = f.view->GetReloadCount();
  f.view->BrowseFolder(f.folder.string());
  // The first reload ends early (stopped); one more runs to the end.
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetReloadCount() >= before + 2 && !f.view->IsBusy(); }, 60000));
  changer.Stop();
  ASSERT_TRUE(changed);
  PumpFor(600);  // no third reload follows
  EXPECT_EQ(f.view->GetReloadCount(), before + 2);
  EXPECT_EQ(f.view->GetLayout().m_metrics.nCellWidth, 160);
  for (const CBrowserItem& item : f.view->GetItems()) {
    ASSERT_TRUE(item.HasThumbnail()) << item.m_strName;
    EXPECT_EQ(item.m_nThumbWidth, 160) << item.m_strName;
  }
}

TEST(BrowserView, LongCaptionsEndInAnEllipsisInsideTheirCell) {
  ViewFixture f("caption");
  MakeGreyPictures(f.folder, 1, 64, 48);
  browser_testing::fs::rename(f.folder / "g020.jpg",
                              f.folder / "A very long name for a picture taken on the last day of the trip.jpg");
  ASSERT_TRUE(f.Load());
  const wxString caption = f.view->GetCaptionText(0);
  EXPECT_TRUE(caption.EndsWith("...") || caption.EndsWith(wxString::FromUTF8("\xE2\x80\xA6"))) << caption;
  EXPECT_TRUE(caption.StartsWith("A very")) << caption;
  const wxImage cell = f.view->RenderCell(0).ConvertToImage();
  // Text pixels lie in the caption band, never in the cell's outer columns.
  const int band = cell.GetHeight() - f.view->GetCaptionHeight();
  int dark = 0;
  for (int y = band; y < cell.GetHeight(); ++y)
    for (int x = 0; x < cell.GetWidth(); ++x)
      if (cell.GetRed(x, y) < 128) {
        ++dark;
        EXPECT_GT(x, 0);
        EXPECT_LT(x, cell.GetWidth() - 1);
      }
  EXPECT_GT(dark, 20);
}

// What the window shows now, read back from the display without asking for
// a repaint first.
wxImage ShownPixels(CImageBrowserView& view) {
  const wxSize size = view.GetClientSize();
  wxBitmap shot(size.x, size.y, 24);
  {
    wxClientDC source(&view);
    wxMemoryDC dc(shot);
    dc.Blit(0, 0, size.x, size.y, &source, 0, 0);
  }
  return shot.ConvertToImage();
}

// The whole client area composed afresh at the present scroll position.
wxImage FullRepaint(CImageBrowserView& view) {
  const wxSize size = view.GetClientSize();
  wxBitmap full(size.x, size.y, 24);
  {
    wxMemoryDC dc(full);
    view.PaintArea(dc, wxRect(size));
  }
  return full.ConvertToImage();
}

// Pixels that differ left of column `width` (all columns by default).
int DifferingPixels(const wxImage& a, const wxImage& b, int width = -1) {
  if (a.GetSize() != b.GetSize()) return -1;
  if (width < 0) width = a.GetWidth();
  int n = 0;
  for (int y = 0; y < a.GetHeight(); ++y) {
    const unsigned char* p = a.GetData() + static_cast<size_t>(y) * a.GetWidth() * 3;
    const unsigned char* q = b.GetData() + static_cast<size_t>(y) * b.GetWidth() * 3;
    for (int x = 0; x < width; ++x, p += 3, q += 3)
      if (p[0] != q[0] || p[1] != q[1] || p[2] != q[2]) ++n;
  }
  return n;
}

TEST(BrowserView, ScrollingShowsTheSamePixelsAsAFullRepaint) {
  ViewFixture f("scroll");
  MakeGreyPictures(f.folder, 60, 80, 60);
  ASSERT_TRUE(f.Load());
  CImageBrowserView& view = *f.view;
  view.PauseTimers();
  int ux = 1, uy = 1;
  view.GetScrollPixelsPerUnit(&ux, &uy);
  const int maxUnits = (view.GetVirtualSize().y - view.GetClientSize().y) / uy;
  ASSERT_GT(maxUnits, 12);
  int y = 0;
  // Steps down and up of one unit to more than a screenful, with cells
  // changing (selection) between scrolls and right after one.
  const int steps[] = {1, 2, 5, -1, -3, 7, 40, -40, 3, -2, 1};
  for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
    y = std::clamp(y + steps[i], 0, maxUnits);
    if (i == 4) view.SelectAll();
    const int paints = view.GetPaintCount();
    view.Scroll(0, y);
    if (i == 8) view.InvalidateItem(view.HitTest(wxPoint(5, 5)));
    if (i == 9) view.SelectNone();
    view.Update();
    ASSERT_TRUE(PumpUntil([&] { return view.GetPaintCount() > paints; }));
    PumpFor(30);
    const wxImage shown = ShownPixels(view);
    const wxImage full = FullRepaint(view);
    // The display's copy leaves out the right edge, where the toolkit lays
    // its overlay scrollbar indicator over the client area.
    EXPECT_EQ(DifferingPixels(shown, full, shown.GetWidth() - 16), 0) << "after step " << i << " to unit " << y;
    EXPECT_EQ(DifferingPixels(view.GetScreenBuffer().ConvertToImage(), full), 0) << "after step " << i;
    if (i == 6) paint_testing::SaveForLooking(shown, "browser-scrolled.png");
  }
}

}  // namespace

namespace {

TEST(BrowserView, PasteAfterCutMovesTheFilesAndEmptiesTheClipboard) {
  ViewFixture f("move");
  MakeGreyPictures(f.folder, 2, 64, 48);
  const path target = f.root / "target";
  browser_testing::fs::create_directories(target);
  ASSERT_TRUE(f.Load());
  const std::string name = f.view->GetItems()[0].m_strName;
  const std::string bytes = ReadFile(f.folder / name);
  f.view->GetItems().SelectOnly(0);
  f.view->OnEditCut();
  ASSERT_EQ(f.view->GetCutFiles().size(), 1u);
  int reloads = f.view->GetReloadCount();
  f.view->BrowseFolder(target.string());
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetReloadCount() > reloads; }, 10000));
  reloads = f.view->GetReloadCount();
  f.view->OnEditPaste();
  ASSERT_TRUE(PumpUntil([&] { return f.view->GetReloadCount() > reloads && !f.view->IsBusy(); }, 10000));
  EXPECT_FALSE(browser_testing::fs::exists(f.folder / name));
  EXPECT_EQ(ReadFile(target / name), bytes);
  EXPECT_TRUE(f.view->GetCutFiles().empty());
  EXPECT_FALSE(f.view->CanPaste());  // the clipboard was emptied
  ASSERT_EQ(f.view->GetItems().GetCount(), 1);
  EXPECT_EQ(f.view->GetItems()[0].m_strName, name);
}

}  // namespace
