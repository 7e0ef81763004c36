#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/uiaction.h>

#include <string>

#include "base/StatusStack.h"
#include "shell/EventPump.h"
#include "shell/MainFrame.h"
#include "shell/TaskPane.h"
#include "shell/MainStatusBar.h"
#include "shell/StandInViews.h"
#include "tests/shell/ShellTestSupport.h"

namespace {

using shell_testing::FrameFixture;
using testing_support::PumpFor;
using testing_support::PumpUntil;

wxImage RenderPane(CMainStatusBar* bar, int pane, wxSize size) {
  wxBitmap bitmap(size);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    bar->RenderPane(dc, pane, wxRect(size));
  }
  return bitmap.ConvertToImage();
}

std::string At(const wxImage& image, int x, int y) {
  return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)).GetAsString(wxC2S_CSS_SYNTAX).utf8_string();
}
std::string Css(const wxColour& c) { return c.GetAsString(wxC2S_CSS_SYNTAX).utf8_string(); }

TEST(MainStatusBar, ShowsTheStatusStackTextAndProgress) {
  FrameFixture f;
  CMainStatusBar* bar = f.frame->GetMainStatusBar();
  EXPECT_EQ(bar->GetStatusText(0), "Ready");
  EXPECT_EQ(bar->GetProgressSteps(), -1);
  PushStatusMessage("Reading A...");
  EXPECT_EQ(bar->GetStatusText(0), "Reading A...");
  EXPECT_EQ(bar->GetProgressSteps(), 0);
  ReportProgress(1, 2);
  EXPECT_EQ(bar->GetProgressSteps(), 25);
  PushStatusMessage("Converting B...");
  EXPECT_EQ(bar->GetStatusText(0), "Converting B...");
  ReportProgress(3, 3);
  EXPECT_EQ(bar->GetProgressSteps(), 50);
  PopStatusMessage();
  EXPECT_EQ(bar->GetStatusText(0), "Reading A...");
  EXPECT_EQ(bar->GetProgressSteps(), 25);  // A's last percent again
  PopStatusMessage();
  EXPECT_EQ(bar->GetStatusText(0), "Ready");
  EXPECT_EQ(bar->GetProgressSteps(), -1);
}

TEST(MainStatusBar, ProgressStepsFillTheirShareOfThePane) {
  FrameFixture f;
  CMainStatusBar* bar = f.frame->GetMainStatusBar();
  const wxColour active = CMainStatusBar::GetProgressColour(true);
  const wxColour inactive = CMainStatusBar::GetProgressColour(false);
  ASSERT_NE(Css(active), Css(inactive));
  PushStatusMessage("Working...");
  ReportProgress(50, 100);
  const wxImage half = RenderPane(bar, 1, wxSize(100, 10));
  EXPECT_EQ(At(half, 10, 5), Css(active));
  EXPECT_EQ(At(half, 49, 5), Css(active));
  EXPECT_EQ(At(half, 50, 5), Css(inactive));
  EXPECT_EQ(At(half, 99, 5), Css(inactive));
  ReportProgress(0, 100);
  EXPECT_EQ(At(RenderPane(bar, 1, wxSize(100, 10)), 0, 5), Css(inactive));
  PopStatusMessage();
  EXPECT_EQ(At(RenderPane(bar, 1, wxSize(100, 10)), 50, 5), Css(*wxWHITE));  // off: nothing drawn
}

TEST(MainStatusBar, ReadoutTextsFollowTheLayout) {
  FrameFixture f;
  CMainStatusBar* bar = f.frame->GetMainStatusBar();
  EXPECT_EQ(bar->GetLayout(), STATUS_LAYOUT_PIXEL);
  EXPECT_EQ(bar->GetPaneText(2), ": X, Y");
  EXPECT_EQ(bar->GetPaneText(3), ": R, G, B");
  SetStatusPixelInfo(12, 34, 255, 128, 0, 255);
  EXPECT_EQ(bar->GetPaneText(2), ": 12, 34");
  EXPECT_EQ(bar->GetPaneText(3), ": 255, 128, 0");
  SetStatusPixelInfo(12, 34, 10, 20, 30, 0);  // fully transparent
  EXPECT_EQ(bar->GetPaneText(3), ": R, G, B");
  ClearStatusPixelInfo();
  EXPECT_FALSE(bar->IsReadoutValid());
  EXPECT_EQ(bar->GetPaneText(2), ": X, Y");

  wxRect pixelWidth2, pixelWidth3;
  bar->GetFieldRect(2, pixelWidth2);
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  EXPECT_EQ(bar->GetLayout(), STATUS_LAYOUT_FILES);
  SetStatusFileCounts(1, 0);
  EXPECT_EQ(bar->GetPaneText(2), "1 File");
  SetStatusFileCounts(2, 1);
  EXPECT_EQ(bar->GetPaneText(2), "2 Files");
  EXPECT_EQ(bar->GetPaneText(3), "1 Selected");
  ASSERT_TRUE(f.frame->SetMode(MODE_PRINT_PREVIEW));
  EXPECT_EQ(bar->GetLayout(), STATUS_LAYOUT_BLANK);
  EXPECT_EQ(bar->GetPaneText(2), "");
  wxRect blank2;
  bar->GetFieldRect(2, blank2);
  EXPECT_LE(blank2.width, 34);
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  wxRect again;
  bar->GetFieldRect(2, again);
  EXPECT_EQ(again.width, pixelWidth2.width);  // widened to the position-and-colour width
  EXPECT_GT(again.width, blank2.width);
}

TEST(MainStatusBar, OnlyThePaneWhoseValuesChangedRepaints) {
  FrameFixture f;
  CMainStatusBar* bar = f.frame->GetMainStatusBar();
  SetStatusPixelInfo(1, 1, 5, 5, 5, 255);
  const int pos = bar->GetPaneRefreshCount(2), colour = bar->GetPaneRefreshCount(3);
  SetStatusPixelInfo(2, 1, 5, 5, 5, 255);
  EXPECT_EQ(bar->GetPaneRefreshCount(2), pos + 1);
  EXPECT_EQ(bar->GetPaneRefreshCount(3), colour);
  SetStatusPixelInfo(2, 1, 6, 5, 5, 255);
  EXPECT_EQ(bar->GetPaneRefreshCount(2), pos + 1);
  EXPECT_EQ(bar->GetPaneRefreshCount(3), colour + 1);
  SetStatusPixelInfo(2, 1, 6, 5, 5, 255);
  EXPECT_EQ(bar->GetPaneRefreshCount(2), pos + 1);
  EXPECT_EQ(bar->GetPaneRefreshCount(3), colour + 1);
}

TEST(MainStatusBar, TransparentPixelShowsTheCheckerboardSwatch) {
  FrameFixture f;
  CMainStatusBar* bar = f.frame->GetMainStatusBar();
  SetStatusPixelInfo(3, 4, 200, 0, 0, 0);
  const wxImage image = RenderPane(bar, 3, wxSize(120, 20));
  const int left = 3, top = (20 - 10) / 2;
  EXPECT_EQ(At(image, left, top), Css(*wxBLACK));  // outline
  EXPECT_EQ(At(image, left + 2, top + 2), Css(wxColour(192, 192, 255)));
  EXPECT_EQ(At(image, left + 6, top + 2), Css(*wxWHITE));
  EXPECT_EQ(At(image, left + 6, top + 6), Css(wxColour(192, 192, 255)));
  SetStatusPixelInfo(3, 4, 200, 0, 0, 255);
  EXPECT_EQ(At(RenderPane(bar, 3, wxSize(120, 20)), left + 4, top + 4), Css(wxColour(200, 0, 0)));
}

// Escape pressed during a long operation stops it and reaches no window.
TEST(EventPump, EscapeStopsTheOperationAndIsSwallowed) {
  FrameFixture f;
  CEventPump pump;
  pump.Install();
  auto* target = f.frame->GetClientBook();
  int keysSeen = 0;
  target->Bind(wxEVT_KEY_DOWN, [&](wxKeyEvent& e) {
    ++keysSeen;
    e.Skip();
  });
  CStatusScope scope("Loading...");
  EXPECT_FALSE(CheckUserAbort());

  wxKeyEvent other(wxEVT_KEY_DOWN);
  other.m_keyCode = 'A';
  other.SetEventObject(target);
  target->GetEventHandler()->QueueEvent(other.Clone());
  EXPECT_FALSE(CheckUserAbort());
  EXPECT_EQ(keysSeen, 1);  // other keys are dispatched

  wxKeyEvent escape(wxEVT_KEY_DOWN);
  escape.m_keyCode = WXK_ESCAPE;
  escape.SetEventObject(target);
  target->GetEventHandler()->QueueEvent(escape.Clone());
  EXPECT_TRUE(CheckUserAbort());
  EXPECT_EQ(keysSeen, 1);
  EXPECT_FALSE(CheckUserAbort());  // taken once
}

// The same with a key pressed on the X display.
TEST(EventPump, RealEscapeKeyStopsTheOperation) {
  FrameFixture f;
  CEventPump pump;
  pump.Install();
  f.frame->Raise();
  f.frame->GetClientBook()->SetFocus();
  wxUIActionSimulator sim;
  // Without a window manager the key goes to the window under the pointer.
  sim.MouseMove(f.frame->GetClientBook()->GetScreenRect().GetPosition() + wxPoint(40, 40));
  PumpFor(50);
  CStatusScope scope("Loading...");
  sim.Char(WXK_ESCAPE);
  bool stopped = false;
  PumpUntil([&] { return stopped = CheckUserAbort(); }, 2000);
  EXPECT_TRUE(stopped);
}

}  // namespace

namespace {

TEST(MainStatusBar, ReadoutIsClearedWhenTheMouseIsOverNoImageView) {
  FrameFixture f;
  auto* view = new wxPanel(f.frame->GetDocumentArea(), wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                           kImageViewWindowName);
  f.frame->GetDocumentArea()->AddPage(view, wxString(), true);
  f.frame->Layout();
  PumpFor(30);
  wxUIActionSimulator sim;
  sim.MouseMove(view->GetScreenRect().GetPosition() + wxPoint(20, 20));
  PumpUntil([&] { return wxFindWindowAtPoint(wxGetMousePosition()) == view; }, 1000);
  SetStatusPixelInfo(5, 6, 1, 2, 3, 255);
  ClearStatusPixelInfoOutsideImageViews();
  EXPECT_TRUE(f.frame->GetMainStatusBar()->IsReadoutValid());
  sim.MouseMove(f.frame->GetTaskPane()->GetScreenRect().GetPosition() + wxPoint(20, 20));
  PumpUntil([&] { return wxFindWindowAtPoint(wxGetMousePosition()) != view; }, 1000);
  ClearStatusPixelInfoOutsideImageViews();
  EXPECT_FALSE(f.frame->GetMainStatusBar()->IsReadoutValid());
  EXPECT_EQ(f.frame->GetMainStatusBar()->GetPaneText(2), ": X, Y");
}

}  // namespace
