#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/uiaction.h>

#include "base/StatusStack.h"
#include "resources/CommandIds.h"
#include "shell/EventPump.h"
#include "shell/MainFrame.h"
#include "shell/ProgressDialog.h"
#include "tests/shell/ShellTestSupport.h"

namespace {

using shell_testing::FrameFixture;
using testing_support::PumpUntil;

// Clicks a window's centre with the pointer.
void ClickCentre(wxWindow* window) {
  wxUIActionSimulator sim;
  const wxRect r = window->GetScreenRect();
  sim.MouseMove(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
  PumpUntil([] { return false; }, 50);
  sim.MouseClick();
}

TEST(ProgressDialog, CancelIsSeenByTheNextCheckAndLeavesTheBar) {
  FrameFixture f;
  CEventPump pump;
  pump.Install();
  CProgressDialog progress(f.frame);
  EXPECT_EQ(GetStatusDepth(), 1);  // the extra, empty level
  EXPECT_EQ(GetStatusText(1), "");
  progress.Start("Uploading holiday.jpg...");
  ASSERT_TRUE(PumpUntil([&] { return progress.GetWindow()->IsShownOnScreen(); }));
  EXPECT_EQ(progress.GetMessage(), "Uploading holiday.jpg...");
  ReportDialogProgress(3, 4);
  EXPECT_EQ(progress.GetBarPosition(), 75);
  EXPECT_FALSE(CheckDialogAbort());

  wxWindow* cancel = progress.GetWindow()->FindWindow(wxID_CANCEL);
  ASSERT_NE(cancel, nullptr);
  ClickCentre(cancel);
  ASSERT_TRUE(PumpUntil([&] { return progress.IsCancelled(); }));
  EXPECT_TRUE(CheckDialogAbort());
  EXPECT_TRUE(progress.GetWindow()->IsShown());  // Cancel never closes it
  EXPECT_EQ(progress.GetBarPosition(), 75);
  progress.Stop();
  EXPECT_EQ(progress.GetWindow(), nullptr);
}

TEST(ProgressDialog, BarPositionsTable) {
  FrameFixture f;
  CProgressDialog progress(f.frame);
  progress.Start("");
  struct Case {
    int done, total, percent;
  } cases[] = {{3, 4, 75}, {0, 10, 0}, {10, 10, 100}, {1, 3, 33}, {5, 0, 0}, {-1, 0, 0},
               {2000000000, 2000000000, 100}, {1500000000, 2000000000, 75}, {12, 10, 100}, {-3, 10, 0}};
  for (const Case& c : cases) {
    ReportDialogProgress(c.done, c.total);
    EXPECT_EQ(progress.GetBarPosition(), c.percent) << c.done << "/" << c.total;
  }
}

TEST(ProgressDialog, WithoutADialogTheJobStops) {
  EXPECT_EQ(g_pProgressDialog, nullptr);
  EXPECT_TRUE(CheckDialogAbort());
  ReportDialogProgress(1, 2);  // harmless
}

TEST(ProgressDialog, NestedDialogsKeepTheOuterOne) {
  FrameFixture f;
  auto outer = std::make_unique<CProgressDialog>(f.frame);
  outer->Start("outer");
  EXPECT_EQ(g_pProgressDialog, outer.get());
  {
    CProgressDialog inner(f.frame);
    EXPECT_EQ(g_pProgressDialog, &inner);
    EXPECT_EQ(GetStatusDepth(), 2);
    inner.Start("inner");
    ReportDialogProgress(1, 2);
    EXPECT_EQ(inner.GetBarPosition(), 50);
    EXPECT_EQ(outer->GetBarPosition(), 0);
    inner.Stop();
  }
  // The outer job carries on with its own dialog.
  EXPECT_EQ(g_pProgressDialog, outer.get());
  EXPECT_EQ(GetStatusDepth(), 1);
  EXPECT_FALSE(CheckDialogAbort());
  ReportDialogProgress(3, 4);
  EXPECT_EQ(outer->GetBarPosition(), 75);
  // Destroyed out of order, the remaining one stays current.
  auto second = std::make_unique<CProgressDialog>(f.frame);
  outer.reset();
  EXPECT_EQ(g_pProgressDialog, second.get());
  second.reset();
  EXPECT_EQ(g_pProgressDialog, nullptr);
  EXPECT_EQ(GetStatusDepth(), 0);
}

TEST(ProgressDialog, MainWindowIsDisabledBehindIt) {
  FrameFixture f;
  EXPECT_TRUE(f.frame->IsEnabled());
  {
    CProgressDialog progress(f.frame);
    progress.Start("Working...");
    EXPECT_FALSE(f.frame->IsEnabled());
    EXPECT_TRUE(progress.GetWindow()->IsEnabled());
    // "Close All" is off while the job runs.
    wxUpdateUIEvent update(ID_CLOSE_ALL);
    update.SetEventObject(f.frame);
    f.frame->ProcessWindowEvent(update);
    EXPECT_TRUE(update.GetSetEnabled() && !update.GetEnabled());
    progress.Stop();
    EXPECT_TRUE(f.frame->IsEnabled());
  }
}

TEST(ProgressDialog, CloseWhileUpIsDeferredThenHonoured) {
  ResetStatusStack();
  CEventPump pump;
  pump.Install();
  auto* frame = new CMainFrame(nullptr);
  frame->Show();
  ASSERT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
  {
    CProgressDialog progress(frame);
    progress.Start("Publishing...");
    EXPECT_FALSE(frame->Close());  // vetoed: a job runs
    EXPECT_EQ(g_pMainFrame, frame);
    EXPECT_TRUE(IsCloseRequested());
    // The job sees the request as a cancel and unwinds.
    EXPECT_TRUE(CheckDialogAbort());
    EXPECT_TRUE(progress.IsCancelled());
    progress.Stop();
    EXPECT_EQ(g_pMainFrame, frame);  // still up while the object lives
  }
  // Now the stack is empty and the close goes through.
  EXPECT_TRUE(PumpUntil([] {
    wxTheApp->ProcessIdle();
    return g_pMainFrame == nullptr;
  }));
  SetCloseRequested(false);
  ResetStatusStack();
}

TEST(ProgressDialog, EscapeCountsAsCancel) {
  FrameFixture f;
  CEventPump pump;
  pump.Install();
  CProgressDialog progress(f.frame);
  progress.Start("Working...");
  ASSERT_TRUE(PumpUntil([&] { return progress.GetWindow()->IsShownOnScreen(); }));
  progress.GetWindow()->Raise();
  progress.GetWindow()->FindWindow(wxID_CANCEL)->SetFocus();
  PumpUntil([] { return false; }, 50);
  wxUIActionSimulator sim;
  sim.Char(WXK_ESCAPE);
  EXPECT_TRUE(PumpUntil([] { return CheckDialogAbort(); }));
  EXPECT_TRUE(progress.IsCancelled());
  EXPECT_TRUE(progress.GetWindow()->IsShown());
}

}  // namespace
