// The bars around a document: the info bar follows the active document and
// runs its buttons' commands, the rulers follow the view and the mouse, and
// a picture of the whole window.

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <cstdlib>

#include "editor/ChildFrame.h"
#include "formats/ImageFile.h"
#include "resources/CommandIds.h"
#include "shell/FlatToolBar.h"
#include "shell/ImageInfoBar.h"
#include "shell/MainFrame.h"
#include "shell/ModeTabBar.h"
#include "shell/RulerBar.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/shell/PaintTestSupport.h"

namespace {

// Puts the pointer back where it was, for the tests that follow.
struct PointerGuard {
  wxPoint at = wxGetMousePosition();
  ~PointerGuard() {
    wxUIActionSimulator sim;
    sim.MouseMove(at);
    testing_support::PumpUntil([this] { return wxGetMousePosition() == at; }, 1000);
  }
};

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

TEST(DocumentChrome, TheInfoBarFollowsTheActiveDocument) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* a = OpenImageDocument(WriteBmp(dir, "a.bmp", SolidImage(64, 48, 1, 2, 3)));
  ASSERT_TRUE(RunCommand("convert -size 30x20 gradient: -colors 16 -type Palette " + ShellQuote((dir / "b.gif").string())) == 0);
  CPictoravellDoc* b = OpenImageDocument((dir / "b.gif").string());
  ASSERT_TRUE(a && b);
  PumpFor(50);
  CImageInfoBar* barA = f.ViewOf(a)->GetChildFrame()->GetInfoBar();
  CImageInfoBar* barB = f.ViewOf(b)->GetChildFrame()->GetInfoBar();
  EXPECT_EQ(barA->GetImageWidth(), 64);
  EXPECT_EQ(barA->GetColorMode(), 24);
  EXPECT_EQ(barB->GetImageWidth(), 30);
  EXPECT_EQ(barB->GetImageHeight(), 20);
  EXPECT_NE(barB->GetColorMode(), 24);
  EXPECT_EQ(f.frame->GetActiveDocument(), b);
  // The zoom readout follows the view's zoom.
  f.ViewOf(b)->SetZoom(3);
  EXPECT_EQ(barB->GetZoomValue(), 3);
  EXPECT_EQ(FormatInfoZoom(barB->GetZoomValue()), ": x3");
  // Zoom In on the shown document's bar, clicked on the screen.
  ASSERT_TRUE(PumpUntil([&] {
    wxTheApp->ProcessIdle();
    return barB->GetItem(INFO_ITEM_ZOOM_IN).enabled;
  }));
  const wxRect zoomIn = barB->GetItemRect(INFO_ITEM_ZOOM_IN);
  PointerGuard pointer;
  wxUIActionSimulator sim;
  sim.MouseMove(barB->ClientToScreen(zoomIn.GetPosition() + wxPoint(zoomIn.width / 2, zoomIn.height / 2)));
  PumpUntil([&] { return barB->GetHotItem() == INFO_ITEM_ZOOM_IN; });
  sim.MouseClick();
  EXPECT_TRUE(PumpUntil([&] { return f.ViewOf(b)->GetZoom() > 3; }));
  EXPECT_EQ(barB->GetZoomValue(), f.ViewOf(b)->GetZoom());
  // The other document's tab: its bar, its values; the active document follows.
  f.frame->ActivateDocumentWindow(f.ViewOf(a)->GetChildFrame());
  PumpFor(30);
  EXPECT_EQ(f.frame->GetActiveDocument(), a);
  EXPECT_EQ(barA->GetImageWidth(), 64);
  // Close on the bar closes its document.
  ASSERT_TRUE(PumpUntil([&] {
    wxTheApp->ProcessIdle();
    return barA->GetItem(INFO_ITEM_CLOSE).enabled;
  }));
  const wxRect close = barA->GetItemRect(INFO_ITEM_CLOSE);
  sim.MouseMove(barA->ClientToScreen(close.GetPosition() + wxPoint(close.width / 2, close.height / 2)));
  PumpUntil([&] { return barA->GetHotItem() == INFO_ITEM_CLOSE; });
  sim.MouseClick();
  EXPECT_TRUE(PumpUntil([&] { return f.frame->GetDocumentWindowCount() == 1; }));
}

TEST(DocumentChrome, TheFrameCounterFollowsTheCurrentFrame) {
  DocumentWindowFixture f;
  TempDir dir;
  const std::string gif = (dir / "anim.gif").string();
  ASSERT_EQ(RunCommand("convert -size 20x20 xc:red xc:lime xc:blue xc:white xc:black -loop 0 " + ShellQuote(gif)), 0);
  CPictoravellDoc* doc = OpenImageDocument(gif);
  ASSERT_TRUE(doc);
  CImageInfoBar* bar = f.ViewOf(doc)->GetChildFrame()->GetInfoBar();
  EXPECT_EQ(bar->GetFrameCount(), 5);
  doc->SetCurrentFrame(4);
  PumpFor(20);
  EXPECT_EQ(bar->GetCurrentFrame(), 4);
  EXPECT_EQ(FormatFrameCounter(bar->GetCurrentFrame(), bar->GetFrameCount()), "5/5");
  EXPECT_EQ(FrameCounterPhase(bar->GetCurrentFrame()), 1);
}

TEST(DocumentChrome, RulersFollowTheViewAndTheMouse) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "r.bmp", SolidImage(100, 80, 9, 9, 9)));
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  CChildFrame* child = view->GetChildFrame();
  PumpFor(50);
  view->SetZoom(2);
  PumpFor(20);
  const Point origin = view->ImageToClient(Point{0, 0});
  EXPECT_EQ(child->GetHorizontalRuler()->GetOffset(), origin.x);
  EXPECT_EQ(child->GetVerticalRuler()->GetOffset(), origin.y);
  EXPECT_EQ(child->GetHorizontalRuler()->GetLength(), 200);
  EXPECT_EQ(child->GetVerticalRuler()->GetLength(), 160);
  EXPECT_EQ(child->GetHorizontalRuler()->GetZoom(), 2);
  // The real mouse over the image moves both markers.
  PointerGuard pointer;
  wxUIActionSimulator sim;
  wxWindow* window = view->GetViewWindow();
  const Point at = view->ImageToClient(Point{30, 20});
  sim.MouseMove(window->ClientToScreen(wxPoint(at.x, at.y)));
  EXPECT_TRUE(PumpUntil([&] { return child->GetHorizontalRuler()->GetMarker() == at.x; }));
  EXPECT_EQ(child->GetVerticalRuler()->GetMarker(), at.y);
  const wxImage shot = paint_testing::CaptureWindow(child->GetHorizontalRuler());
  int dots = 0;
  for (int y = 7; y < kHorizontalRulerHeight - 5; ++y)
    dots += paint_testing::PixelAt(shot, at.x + kRulerLead, y) == wxColour(0, 0, 0);
  EXPECT_GE(dots, 6);
  sim.MouseMove(window->ClientToScreen(wxPoint(at.x + 7, at.y + 5)));
  EXPECT_TRUE(PumpUntil([&] { return child->GetHorizontalRuler()->GetMarker() == at.x + 7; }));
  EXPECT_EQ(child->GetVerticalRuler()->GetMarker(), at.y + 5);
}

TEST(DocumentChrome, Screenshot) {
  const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!out || !*out) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  REQUIRE_TOOL("import");
  TempDir dir;
  const std::string photo = (dir / "rose.jpg").string();
  ASSERT_EQ(RunCommand("convert rose: -resize 600x400 " + ShellQuote(photo)), 0);
  DocumentWindowFixture f;
  f.frame->SetSize(1000, 720);
  PumpFor(100);
  CPictoravellDoc* doc = OpenImageDocument(photo);
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  view->SetZoom(1);
  PumpFor(100);
  const Point at = view->ImageToClient(Point{200, 120});
  PointerGuard pointer;
  wxUIActionSimulator sim;
  sim.MouseMove(view->GetViewWindow()->ClientToScreen(wxPoint(at.x, at.y)));
  PumpUntil([&] { return view->GetChildFrame()->GetHorizontalRuler()->GetMarker() == at.x; });
  f.frame->Refresh();
  f.frame->Update();
  PumpFor(300);
  const wxRect r = f.frame->GetScreenRect();
  const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                           std::to_string(r.y);
  EXPECT_EQ(RunCommand("import -window root -crop " + crop + " " + ShellQuote(std::string(out) + "/document-chrome.png")),
            0);
}

}  // namespace

namespace {

// The frame's rules that follow the active document, and Print Preview
// carried out by a real click on its toolbar button.
TEST(DocumentChrome, DocumentRulesAndThePrintPreviewButton) {
  DocumentWindowFixture f;
  const int rules[] = {ID_FILE_PRINT_PREVIEW, ID_CLOSE_ALL};
  for (int id : rules) EXPECT_FALSE(f.IsEnabled(id)) << id;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "one.bmp", testing_support::MakeTestPicture(60, 40)));
  ASSERT_TRUE(doc);
  PumpFor(30);
  for (int id : rules) EXPECT_TRUE(f.IsEnabled(id)) << id;
  CTrueColorToolBar* toolbar = f.frame->GetModeTabBar()->GetToolBar();
  toolbar->UpdateButtonStates();
  const int index = toolbar->CommandToIndex(ID_FILE_PRINT_PREVIEW);
  ASSERT_GE(index, 0);
  ASSERT_TRUE(toolbar->GetItem(index).enabled);
  wxUIActionSimulator sim;
  sim.MouseMove(toolbar->ClientToScreen(toolbar->GetItemRect(index).GetPosition() + wxPoint(6, 6)));
  PumpFor(30);
  sim.MouseClick();
  EXPECT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_PRINT_PREVIEW; }));
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  doc->Modify(false);
  f.Command(ID_CLOSE_ALL);
  PumpFor(30);
  for (int id : rules) EXPECT_FALSE(f.IsEnabled(id)) << id;
}

}  // namespace
