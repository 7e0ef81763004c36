#include <gtest/gtest.h>
#include <wx/dcmemory.h>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MessagePane.h"
#include "tests/shell/ShellTestSupport.h"

namespace {

using shell_testing::FrameFixture;
using testing_support::PumpFor;
using testing_support::PumpUntil;

void SendMouse(CMessagePane* pane, wxEventType type, wxPoint point) {
  wxMouseEvent event(type);
  event.SetPosition(point);
  event.m_x = point.x;
  event.m_y = point.y;
  event.SetEventObject(pane);
  pane->GetEventHandler()->ProcessEvent(event);
}

TEST(MessagePane, ReportedMessagesAppearWithTheirLevel) {
  FrameFixture f;
  CMessagePane* pane = f.frame->GetMessagePane();
  ASSERT_EQ(pane->GetCount(), 0);
  ReportMessage(MESSAGE_INFO, "one");
  ReportMessage(MESSAGE_WARNING, "two");
  ReportMessage(MESSAGE_ERROR, "Failed to open x.gif: bad header");
  ASSERT_EQ(pane->GetCount(), 3);
  EXPECT_EQ(pane->GetMessageLevel(0), MESSAGE_INFO);
  EXPECT_EQ(pane->GetMessageLevel(1), MESSAGE_WARNING);
  EXPECT_EQ(pane->GetMessageLevel(2), MESSAGE_ERROR);
  EXPECT_EQ(pane->GetMessageText(2), "Failed to open x.gif: bad header");
}

TEST(MessagePane, AMessageShowsTheHiddenPaneAndScrollsToTheNewRow) {
  FrameFixture f;
  CMessagePane* pane = f.frame->GetMessagePane();
  f.frame->ShowMessagePane(false);
  ASSERT_FALSE(pane->IsShown());
  for (int i = 0; i < 12; ++i) ReportMessage(MESSAGE_INFO, "row " + std::to_string(i));
  EXPECT_TRUE(pane->IsShown());
  PumpFor(20);
  const wxRect inner = pane->GetListInnerRect();
  ASSERT_GT(inner.height, 0);
  EXPECT_TRUE(pane->IsScrollBarShown());
  // The last row is in view at the bottom.
  EXPECT_EQ(pane->GetScrollPos(), 12 * CMessagePane::kRowHeight - inner.height);
  pane->Clear();
  EXPECT_EQ(pane->GetCount(), 0);
  EXPECT_FALSE(pane->IsScrollBarShown());
  EXPECT_EQ(pane->GetScrollPos(), 0);
}

TEST(MessagePane, ReportsBeforeThePaneExistsArriveWhenItIsCreated) {
  ResetStatusStack();
  SetMessageSink(nullptr);
  ReportMessage(MESSAGE_WARNING, "early warning");
  FrameFixture f;
  ASSERT_GE(f.frame->GetMessagePane()->GetCount(), 1);
  EXPECT_EQ(f.frame->GetMessagePane()->GetMessageText(f.frame->GetMessagePane()->GetCount() - 1), "early warning");
}

TEST(MessagePane, DraggingTheTopEdgeChangesTheHeightWithinLimits) {
  FrameFixture f;
  CMessagePane* pane = f.frame->GetMessagePane();
  PumpFor(20);
  const int start = pane->GetPaneHeight();
  const wxRect strip = pane->GetSizeStripRect();
  ASSERT_GT(strip.height, 0);
  const wxPoint press(strip.x + 50, strip.y + strip.height / 2);
  SendMouse(pane, wxEVT_LEFT_DOWN, press);
  SendMouse(pane, wxEVT_MOTION, press - wxPoint(0, 10));
  EXPECT_EQ(pane->GetPaneHeight(), start + 10);
  const int chrome = pane->GetClientSize().y - pane->GetListInnerRect().height;
  SendMouse(pane, wxEVT_MOTION, press - wxPoint(0, 1000));
  EXPECT_EQ(pane->GetPaneHeight(), chrome + 6 * CMessagePane::kRowHeight);
  SendMouse(pane, wxEVT_MOTION, press + wxPoint(0, 1000));
  EXPECT_EQ(pane->GetPaneHeight(), chrome + CMessagePane::kRowHeight);
  SendMouse(pane, wxEVT_LEFT_UP, press + wxPoint(0, 1000));
  const int after = pane->GetPaneHeight();
  SendMouse(pane, wxEVT_MOTION, press - wxPoint(0, 30));  // no drag any more
  EXPECT_EQ(pane->GetPaneHeight(), after);
}

TEST(MessagePane, CloseButtonHidesOnlyWhenReleasedInside) {
  FrameFixture f;
  CMessagePane* pane = f.frame->GetMessagePane();
  f.frame->ShowMessagePane(true);
  PumpFor(20);
  const wxRect button = pane->GetCloseButtonRect();
  const wxPoint inside(button.x + button.width / 2, button.y + button.height / 2);
  SendMouse(pane, wxEVT_LEFT_DOWN, inside);
  EXPECT_EQ(pane->GetCloseLook(), 1);
  SendMouse(pane, wxEVT_LEFT_UP, inside + wxPoint(200, 0));
  EXPECT_TRUE(pane->IsShown());
  SendMouse(pane, wxEVT_MOTION, inside);
  EXPECT_EQ(pane->GetCloseLook(), 2);  // hot
  SendMouse(pane, wxEVT_LEFT_DOWN, inside);
  SendMouse(pane, wxEVT_LEFT_UP, inside);
  EXPECT_FALSE(pane->IsShown());
}

TEST(MessagePane, ViewCommandsToggleAndClear) {
  FrameFixture f;
  CMessagePane* pane = f.frame->GetMessagePane();
  auto send = [&](int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    f.frame->GetEventHandler()->ProcessEvent(event);
  };
  auto enabled = [&](int id) {
    wxUpdateUIEvent event(id);
    event.SetEventObject(f.frame);
    f.frame->GetEventHandler()->ProcessEvent(event);
    return event.GetEnabled();
  };
  EXPECT_FALSE(enabled(CommandId(32969)));  // nothing to clear
  ReportMessage(MESSAGE_INFO, "x");
  EXPECT_TRUE(enabled(CommandId(32969)));
  send(CommandId(32969));
  EXPECT_EQ(pane->GetCount(), 0);
  const bool shown = pane->IsShown();
  send(CommandId(32970));
  EXPECT_NE(pane->IsShown(), shown);
}

TEST(MessagePane, PaintsRowsOnTheTooltipBackground) {
  FrameFixture f;
  CMessagePane* pane = f.frame->GetMessagePane();
  f.frame->ShowMessagePane(true);
  ReportMessage(MESSAGE_ERROR, "WWWWWWWWWWWWWW");
  PumpFor(20);
  const wxSize size = pane->GetClientSize();
  wxBitmap bitmap(size);
  {
    wxMemoryDC dc(bitmap);
    pane->Render(dc);
  }
  const wxImage image = bitmap.ConvertToImage();
  const wxRect inner = pane->GetListInnerRect();
  const wxColour infobk = pane->GetListBackgroundColour();
  const wxPoint blank(inner.GetRight() - 2, inner.GetBottom() - 2);
  EXPECT_EQ(wxColour(image.GetRed(blank.x, blank.y), image.GetGreen(blank.x, blank.y), image.GetBlue(blank.x, blank.y))
                .GetAsString(wxC2S_CSS_SYNTAX),
            infobk.GetAsString(wxC2S_CSS_SYNTAX));
  // Something other than the background is drawn where the text of the last row is.
  const int rowTop = inner.y - pane->GetScrollPos() + (pane->GetCount() - 1) * CMessagePane::kRowHeight;
  int inked = 0;
  for (int y = rowTop + 2; y < rowTop + 18 && y <= inner.GetBottom(); ++y)
    for (int x = inner.x + 22; x < inner.x + 80; ++x)
      if (wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)) != infobk) ++inked;
  EXPECT_GT(inked, 10);
}

}  // namespace

namespace {

TEST(MessagePane, ScrollBarMovesTheListByRowsAndPages) {
  FrameFixture f;
  CMessagePane* pane = f.frame->GetMessagePane();
  f.frame->ShowMessagePane(true);
  for (int i = 0; i < 20; ++i) ReportMessage(MESSAGE_INFO, "row " + std::to_string(i));
  PumpFor(20);
  ASSERT_TRUE(pane->IsScrollBarShown());
  const int bottom = pane->GetScrollPos();
  ASSERT_GT(bottom, 0);
  wxScrollBar* bar = nullptr;
  for (wxWindow* child : pane->GetChildren())
    if ((bar = dynamic_cast<wxScrollBar*>(child))) break;
  ASSERT_NE(bar, nullptr);
  auto scroll = [&](wxEventType type) {
    wxScrollEvent event(type, bar->GetId(), bar->GetThumbPosition(), wxVERTICAL);
    event.SetEventObject(bar);
    bar->GetEventHandler()->ProcessEvent(event);
  };
  scroll(wxEVT_SCROLL_LINEUP);
  EXPECT_EQ(pane->GetScrollPos(), bottom - CMessagePane::kRowHeight);
  scroll(wxEVT_SCROLL_TOP);
  EXPECT_EQ(pane->GetScrollPos(), 0);
  scroll(wxEVT_SCROLL_LINEUP);
  EXPECT_EQ(pane->GetScrollPos(), 0);  // clamped
  scroll(wxEVT_SCROLL_PAGEDOWN);
  EXPECT_EQ(pane->GetScrollPos(), std::min(bottom, pane->GetListInnerRect().height - CMessagePane::kRowHeight));
  scroll(wxEVT_SCROLL_BOTTOM);
  EXPECT_EQ(pane->GetScrollPos(), bottom);
}

TEST(MessagePane, ABrokenStoredHeightFallsBackToTheDefault) {
  WriteProfileInt("Message Pane", "Height", -5);
  FrameFixture f;
  EXPECT_EQ(f.frame->GetMessagePane()->GetPaneHeight(), CMessagePane::kDefaultHeight);
  InstallProfileStore(nullptr);
}

}  // namespace
