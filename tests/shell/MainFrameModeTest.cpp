#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/uiaction.h>

#include <string>
#include <vector>

#include "base/Profile.h"
#include "base/StatusStack.h"
#include "platform/RecentFileList.h"
#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/MainStatusBar.h"
#include "shell/ShellFunctions.h"
#include "shell/FlatToolBar.h"
#include "shell/ModeTabBar.h"
#include "shell/StandInViews.h"
#include "shell/TaskPanePages.h"
#include "tests/shell/ShellTestSupport.h"

namespace {

using shell_testing::FrameFixture;
using testing_support::PumpUntil;

// S = shown, H = hidden, for Folders, Documents, Animation, Print, Effect.
// (The Animation page shows only for a document with several frames.)
struct ModeRow {
  int mode;
  const char* pages;
  int menu;
  int accelerators;
  int statusLayout;
  int clientPage;
  bool acceptsDrops;
};

const ModeRow kModeTable[] = {
    {MODE_VIEW_EDIT, "HSHHH", IDR_MAINFRAME, IDR_MAINFRAME, STATUS_LAYOUT_PIXEL, kDocumentAreaPage, true},
    {MODE_BROWSE, "SHHHH", IDR_BROWSE, IDR_BROWSE_ACCEL, STATUS_LAYOUT_FILES, kBrowsePage, false},
    {MODE_PRINT_PREVIEW, "HSHSH", IDR_PREVIEW, 0, STATUS_LAYOUT_BLANK, kPreviewPage, false},
    {MODE_CONTACT_SHEET, "HHHSH", IDR_PREVIEW, 0, STATUS_LAYOUT_BLANK, kPreviewPage, false},
};

std::string PageStates(CMainFrame* frame) {
  std::string s;
  for (int i = 0; i < 5; ++i) s += frame->GetPage(i)->IsPageShown() ? 'S' : 'H';
  return s;
}

void ExpectMode(CMainFrame* frame, const ModeRow& row) {
  SCOPED_TRACE("mode " + std::to_string(row.mode));
  EXPECT_EQ(frame->GetMode(), row.mode);
  EXPECT_EQ(PageStates(frame), row.pages);
  EXPECT_EQ(frame->GetInstalledMenu(), row.menu);
  EXPECT_EQ(frame->GetInstalledAccelerators(), row.accelerators);
  EXPECT_EQ(frame->GetMainStatusBar()->GetLayout(), row.statusLayout);
  EXPECT_EQ(frame->GetClientBook()->GetSelection(), row.clientPage);
  EXPECT_EQ(frame->AcceptsDroppedFiles(), row.acceptsDrops);
  ASSERT_NE(frame->GetMenuBar(), nullptr);
}

TEST(MainFrameModes, EachModeInstallsItsMenuAcceleratorsPagesAndClient) {
  FrameFixture f;
  ExpectMode(f.frame, kModeTable[0]);
  for (const auto& row : kModeTable) {
    for (const auto& from : kModeTable) {
      ASSERT_TRUE(f.frame->SetMode(from.mode));
      ASSERT_TRUE(f.frame->SetMode(row.mode)) << from.mode << " -> " << row.mode;
      ExpectMode(f.frame, row);
    }
  }
}

TEST(MainFrameModes, PageFlagsFollowTheMode) {
  FrameFixture f;
  auto* documents = f.frame->GetDocumentsPage();
  EXPECT_FALSE(documents->IsCollapsible());
  EXPECT_FALSE(documents->IsPrintMode());
  EXPECT_TRUE(f.frame->GetPage(2)->IsCollapsible());
  ASSERT_TRUE(f.frame->SetMode(MODE_PRINT_PREVIEW));
  EXPECT_TRUE(documents->IsCollapsible());
  EXPECT_TRUE(documents->IsPrintMode());
  EXPECT_FALSE(documents->IsCollapsed());
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  EXPECT_FALSE(documents->IsPrintMode());
  EXPECT_FALSE(f.frame->GetPage(0)->IsCollapsed());
  ASSERT_TRUE(f.frame->SetMode(MODE_CONTACT_SHEET));
  EXPECT_TRUE(documents->IsPrintMode());
}

TEST(MainFrameModes, ModeBarFollowsTheMode) {
  FrameFixture f;
  auto* bar = f.frame->GetModeTabBar();
  EXPECT_EQ(bar->GetSelectedTab(), 0);
  EXPECT_EQ(bar->GetButtonText(0), "Print");
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  EXPECT_EQ(bar->GetSelectedTab(), 1);
  EXPECT_EQ(bar->GetToolbarResource(), IDR_BROWSE_TOOLBAR);
  EXPECT_EQ(bar->GetButtonText(10), "Batch");
  EXPECT_EQ(bar->GetButtonText(11), "Email");
  EXPECT_EQ(bar->GetButtonText(12), "Publish");
  EXPECT_EQ(bar->GetButtonText(13), "Slide Show");
  ASSERT_TRUE(f.frame->SetMode(MODE_CONTACT_SHEET));
  EXPECT_EQ(bar->GetToolbarResource(), IDR_PREVIEW_TOOLBAR);
  EXPECT_TRUE(bar->IsContactSheetToolbar());
  EXPECT_EQ(bar->GetButtonText(0), "Exit Print Preview");
  EXPECT_EQ(bar->GetButtonText(2), "Print");
  EXPECT_EQ(bar->GetButtonText(3), "Printer Settings");
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  EXPECT_EQ(bar->GetSelectedTab(), 0);
  bar->SelectTab(7);  // out of range: ignored
  EXPECT_EQ(bar->GetSelectedTab(), 0);
}

TEST(MainFrameModes, SetModeRefusesEffectModeAndValuesOutOfRange) {
  FrameFixture f;
  EXPECT_FALSE(f.frame->SetMode(MODE_EFFECT));
  EXPECT_FALSE(f.frame->SetMode(-1));
  EXPECT_FALSE(f.frame->SetMode(5));
  EXPECT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));  // the current mode: nothing to do
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);

  ASSERT_TRUE(f.frame->EnterEffectMode("Blur"));
  EXPECT_EQ(f.frame->GetMode(), MODE_EFFECT);
  EXPECT_EQ(PageStates(f.frame), "HHHHS");
  EXPECT_EQ(f.frame->GetInstalledMenu(), IDR_EFFECT);
  EXPECT_EQ(f.frame->GetInstalledAccelerators(), IDR_EFFECT_ACCEL);
  EXPECT_FALSE(f.frame->AcceptsDroppedFiles());
  for (int mode : {0, 1, 2, 3, 4}) EXPECT_FALSE(f.frame->SetMode(mode)) << mode;
  EXPECT_FALSE(f.frame->EnterEffectMode("Blur"));
  f.frame->LeaveEffectMode();
  ExpectMode(f.frame, kModeTable[0]);

  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  EXPECT_FALSE(f.frame->EnterEffectMode("Blur"));  // only from View and Edit
}

TEST(MainFrameModes, EffectModeSwitchesSelectionToolsOff) {
  FrameFixture f;
  const int wand = CommandId(32807), zoom = CommandId(32806);
  f.frame->SelectTool(wand);
  ASSERT_TRUE(f.frame->EnterEffectMode("Sepia"));
  EXPECT_EQ(f.frame->GetCurrentTool(), -1);
  f.frame->LeaveEffectMode();
  EXPECT_EQ(f.frame->GetCurrentTool(), -1);  // not switched back on
  f.frame->SelectTool(zoom);
  ASSERT_TRUE(f.frame->EnterEffectMode("Sepia"));
  EXPECT_EQ(f.frame->GetCurrentTool(), zoom);
  f.frame->LeaveEffectMode();
  f.frame->SelectTool(zoom);  // a second click switches it off
  EXPECT_EQ(f.frame->GetCurrentTool(), -1);
}

TEST(MainFrameModes, EveryChangePassesThroughViewAndEdit) {
  FrameFixture f;
  auto* browse = f.frame->GetBrowseView();
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  EXPECT_EQ(browse->GetLeaveCount(), 0);
  ASSERT_TRUE(f.frame->SetMode(MODE_PRINT_PREVIEW));
  EXPECT_EQ(browse->GetLeaveCount(), 1);  // the browse view's leave operation ran
  EXPECT_EQ(f.frame->GetMode(), MODE_PRINT_PREVIEW);
}

TEST(MainFrameModes, AcceleratorsOfEachMode) {
  FrameFixture f;
  struct Case {
    int mode;
    int flags;
    int key;
    int command;
  };
  const Case cases[] = {
      {MODE_VIEW_EDIT, wxACCEL_CTRL, 'O', ID_FILE_OPEN},
      {MODE_VIEW_EDIT, wxACCEL_CTRL, '`', ID_BROWSE_PHOTOS},
      {MODE_VIEW_EDIT, wxACCEL_CTRL, WXK_NUMPAD_ADD, ID_ZOOM_IN},
      {MODE_BROWSE, wxACCEL_CTRL, '`', ID_VIEW_EDIT_IMAGES},
      {MODE_BROWSE, wxACCEL_NORMAL, WXK_F5, ID_BROWSE_REFRESH},
      {MODE_BROWSE, wxACCEL_CTRL, WXK_F5, ID_BROWSE_RELOAD_ALL},
      {MODE_BROWSE, wxACCEL_CTRL, 'A', ID_BROWSE_SELECT_ALL},
      {MODE_BROWSE, wxACCEL_NORMAL, WXK_F11, ID_SLIDE_SHOW},
      {MODE_BROWSE, wxACCEL_CTRL, 'O', -1},
      {MODE_PRINT_PREVIEW, wxACCEL_CTRL, 'Q', -1},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(f.frame->SetMode(c.mode));
    EXPECT_EQ(f.frame->GetAcceleratorCommand(c.flags, c.key), c.command) << c.mode << " key " << c.key;
  }
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  ASSERT_TRUE(f.frame->EnterEffectMode("Blur"));
  EXPECT_EQ(f.frame->GetAcceleratorCommand(wxACCEL_NORMAL, WXK_F10), ID_BEST_FIT);
  EXPECT_EQ(f.frame->GetAcceleratorCommand(wxACCEL_CTRL, 'W'), ID_FILE_CLOSE);
  EXPECT_EQ(f.frame->GetAcceleratorCommand(wxACCEL_CTRL, 'O'), -1);
  f.frame->LeaveEffectMode();
}

// The accelerator and menu commands reach the frame and switch modes.
TEST(MainFrameModes, ModeCommandsSwitchModes) {
  FrameFixture f;
  auto send = [&](int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    f.frame->GetEventHandler()->ProcessEvent(event);
  };
  send(ID_BROWSE_PHOTOS);
  EXPECT_EQ(f.frame->GetMode(), MODE_BROWSE);
  send(ID_VIEW_EDIT_IMAGES);
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  ASSERT_TRUE(f.frame->SetMode(MODE_PRINT_PREVIEW));
  send(ID_PREVIEW_CLOSE);
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
}

TEST(MainFrameModes, MenusOfEachModeHoldTheirCommands) {
  FrameFixture f;
  struct Case {
    int mode;
    std::vector<int> present;
    std::vector<int> absent;
  };
  const Case cases[] = {
      {MODE_VIEW_EDIT, {ID_FILE_OPEN, ID_FILE_MRU_FIRST, ID_APP_EXIT, ID_VIEW_MESSAGE_PANE, ID_DISPLAY_COMMENTS},
       {ID_VIEW_EDIT_IMAGES, ID_PREVIEW_CLOSE}},
      {MODE_BROWSE, {ID_VIEW_EDIT_IMAGES, ID_BROWSE_DELETE, ID_SORT_REVERSE, ID_ADD_FAVORITE, ID_APP_EXIT},
       {ID_FILE_OPEN, ID_PREVIEW_CLOSE}},
      {MODE_PRINT_PREVIEW, {ID_PREVIEW_CLOSE, ID_FILE_PRINT, ID_APP_EXIT}, {ID_FILE_OPEN, ID_BROWSE_DELETE}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(f.frame->SetMode(c.mode));
    wxMenuBar* bar = f.frame->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    for (int id : c.present) EXPECT_NE(bar->FindItem(id), nullptr) << c.mode << " " << id;
    for (int id : c.absent) EXPECT_EQ(bar->FindItem(id), nullptr) << c.mode << " " << id;
  }
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  ASSERT_TRUE(f.frame->EnterEffectMode("Blur"));
  EXPECT_NE(f.frame->GetMenuBar()->FindItem(ID_BEST_FIT), nullptr);
  EXPECT_EQ(f.frame->GetMenuBar()->FindItem(ID_FILE_OPEN), nullptr);
  f.frame->LeaveEffectMode();
  EXPECT_NE(f.frame->GetMenuBar()->FindItem(ID_FILE_OPEN), nullptr);
}

TEST(MainFrameModes, RecentFileItemIsDisabledWithoutAList) {
  FrameFixture f;
  wxMenuItem* item = f.frame->GetMenuBar()->FindItem(ID_FILE_MRU_FIRST);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetItemLabelText(), "Recent File");
  EXPECT_FALSE(item->IsEnabled());
}

TEST(MainFrameClose, ClosingInBrowseLeavesTheModeFirst) {
  auto* frame = new CMainFrame(nullptr);
  frame->Show();
  PumpUntil([&] { return frame->IsShownOnScreen(); });
  ASSERT_TRUE(frame->SetMode(MODE_BROWSE));
  EXPECT_TRUE(frame->Close());
  // The window itself goes at the next idle time; the mode was left on the way.
  EXPECT_EQ(frame->GetBrowseView()->GetLeaveCount(), 1);
  EXPECT_EQ(frame->GetMode(), MODE_VIEW_EDIT);
  shell_testing::DestroyFrame(frame);
  EXPECT_EQ(g_pMainFrame, nullptr);
}

TEST(MainFrameClose, CloseDuringALongOperationIsCarriedOutAfterIt) {
  ResetStatusStack();
  auto* frame = new CMainFrame(nullptr);
  frame->Show();
  PumpUntil([&] { return frame->IsShownOnScreen(); });
  int checksAfterRequest = 0;
  {
    CStatusScope scope("Reading big.tif...");
    EXPECT_FALSE(CheckUserAbort());
    EXPECT_FALSE(frame->Close());  // vetoed: the operation runs
    EXPECT_TRUE(IsCloseRequested());
    EXPECT_EQ(g_pMainFrame, frame);
    for (int row = 0; row < 3; ++row)
      if (CheckUserAbort()) ++checksAfterRequest;
    testing_support::PumpFor(50);
    EXPECT_EQ(g_pMainFrame, frame);  // still there while the operation unwinds
  }
  EXPECT_EQ(checksAfterRequest, 3);
  EXPECT_TRUE(PumpUntil([] {
    wxTheApp->ProcessIdle();
    return g_pMainFrame == nullptr;
  }));
  EXPECT_FALSE(IsCloseRequested());
  ResetStatusStack();
}

}  // namespace

namespace {

TEST(MainFrameKeys, TabIsSwallowedInEffectModeOnly) {
  FrameFixture f;
  auto tabReachesWindows = [&] {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = WXK_TAB;
    event.SetEventObject(f.frame);
    f.frame->GetEventHandler()->ProcessEvent(event);
    return event.GetSkipped();
  };
  EXPECT_TRUE(tabReachesWindows());
  ASSERT_TRUE(f.frame->EnterEffectMode("Emboss"));
  EXPECT_FALSE(tabReachesWindows());
  f.frame->LeaveEffectMode();
  EXPECT_TRUE(tabReachesWindows());
}

TEST(MainFramePopups, UpdatePopupMenuRunsTheFramesUpdateHandlers) {
  FrameFixture f;
  wxMenu menu;
  menu.AppendCheckItem(ID_VIEW_MESSAGE_PANE, "Message Pane");
  menu.Append(ID_CLEAR_MESSAGE_PANE, "Clear Message Pane");
  menu.AppendSeparator();
  auto* sub = new wxMenu;
  sub->AppendCheckItem(ID_TOOL_ZOOM, "Zoom");
  sub->Append(ID_BROWSE_DELETE, "Delete");  // nobody handles it here
  menu.AppendSubMenu(sub, "Tools");
  f.frame->ShowMessagePane(true);
  f.frame->SelectTool(ID_TOOL_ZOOM);
  UpdatePopupMenu(&menu, f.frame);
  EXPECT_TRUE(menu.IsChecked(ID_VIEW_MESSAGE_PANE));
  EXPECT_FALSE(menu.IsEnabled(ID_CLEAR_MESSAGE_PANE));  // the pane is empty
  EXPECT_TRUE(menu.IsChecked(ID_TOOL_ZOOM));
  EXPECT_FALSE(menu.IsEnabled(ID_BROWSE_DELETE));
  f.frame->SelectTool(ID_TOOL_ZOOM);
}

TEST(MainFramePlacement, PlacementRoundTripsThroughTheFrame) {
  FrameFixture f;
  WINDOWPLACEMENT p;
  p.showCmd = kShowNormal;
  p.left = 40;
  p.top = 30;
  p.right = 840;
  p.bottom = 630;
  f.frame->ApplyPlacement(p);
  PumpUntil([&] { return f.frame->GetSize() == wxSize(800, 600); });
  WINDOWPLACEMENT q;
  f.frame->GetPlacement(q);
  EXPECT_EQ(q.showCmd, kShowNormal);
  EXPECT_EQ(q.right - q.left, 800);
  EXPECT_EQ(q.bottom - q.top, 600);

  // A placement far off every display comes back onto one.
  p.left = 50000;
  p.top = 50000;
  p.right = 50800;
  p.bottom = 50600;
  f.frame->ApplyPlacement(p);
  f.frame->GetPlacement(q);
  EXPECT_LT(q.left, 5000);
  EXPECT_LT(q.top, 5000);
}

}  // namespace

namespace {

TEST(MainFrameRecentFiles, FileMenuListsTheRecentFiles) {
  CRecentFileList list("Recent File List", "File%d", 4, 30);
  list.SetEmptyText("Recent File");
  for (const char* path : {"/p/1.gif", "/p/2.gif", "/p/3.gif"}) list.Add(path);
  g_pRecentFileList = &list;
  {
    FrameFixture f;
    wxMenuBar* bar = f.frame->GetMenuBar();
    for (int i = 0; i < 3; ++i) {
      wxMenuItem* item = bar->FindItem(ID_FILE_MRU_FIRST + i);
      ASSERT_NE(item, nullptr) << i;
      EXPECT_EQ(item->GetItemLabel().utf8_string(), list.GetDisplayName(i));
    }
    EXPECT_EQ(bar->FindItem(ID_FILE_MRU_FIRST + 3), nullptr);
    EXPECT_EQ(bar->FindItem(ID_FILE_MRU_FIRST)->GetItemLabelText(), "1 /p/3.gif");

    // The list shrinks at run time: the menu follows at its next update.
    list.SetSize(1);
    ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
    ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
    EXPECT_NE(bar->FindItem(ID_FILE_MRU_FIRST), nullptr);
    EXPECT_EQ(bar->FindItem(ID_FILE_MRU_FIRST + 1), nullptr);

    list.Clear();
    ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
    ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
    EXPECT_EQ(bar->FindItem(ID_FILE_MRU_FIRST)->GetItemLabelText(), "Recent File");
    EXPECT_FALSE(bar->FindItem(ID_FILE_MRU_FIRST)->IsEnabled());
  }
  g_pRecentFileList = nullptr;
}

}  // namespace

namespace {

TEST(MainFrameDrops, DroppedFilesOpenInViewAndEditOnly) {
  std::vector<std::string> opened;
  CMainFrame::SetOpenFileCallback([&](const std::string& path) {
    opened.push_back(path);
    return true;
  });
  {
    FrameFixture f;
    EXPECT_NE(f.frame->GetDropTarget(), nullptr);
    EXPECT_TRUE(f.frame->OnDropFiles({"/p/a.png", "/p/b.gif"}));
    EXPECT_EQ(opened, (std::vector<std::string>{"/p/a.png", "/p/b.gif"}));
    ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
    EXPECT_FALSE(f.frame->OnDropFiles({"/p/c.png"}));
    ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
    ASSERT_TRUE(f.frame->EnterEffectMode("Blur"));
    EXPECT_FALSE(f.frame->OnDropFiles({"/p/d.png"}));
    f.frame->LeaveEffectMode();
    EXPECT_EQ(opened.size(), 2u);
  }
  CMainFrame::SetOpenFileCallback(nullptr);
}

TEST(MainFrameTabs, ClickingATabSwitchesTheMode) {
  FrameFixture f;
  CModeTabBar* bar = f.frame->GetModeTabBar();
  bar->MouseDown(bar->GetTabRect(1).GetPosition() + wxPoint(5, 5));
  EXPECT_EQ(f.frame->GetMode(), MODE_BROWSE);
  EXPECT_EQ(bar->GetSelectedTab(), 1);
  EXPECT_EQ(bar->GetToolbarResource(), IDR_BROWSE_TOOLBAR);
  bar->MouseDown(bar->GetTabRect(0).GetPosition() + wxPoint(5, 5));
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  EXPECT_EQ(bar->GetToolbarResource(), IDR_MAINFRAME);
}

}  // namespace

namespace {

TEST(MainFrameBars, ViewCommandsShowAndHideTheBars) {
  FrameFixture f;
  auto send = [&](int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    f.frame->GetEventHandler()->ProcessEvent(event);
  };
  auto checked = [&](int id) {
    wxUpdateUIEvent event(id);
    event.SetEventObject(f.frame);
    f.frame->GetEventHandler()->ProcessEvent(event);
    return event.GetChecked();
  };
  ASSERT_TRUE(f.frame->IsToolbarShown());
  EXPECT_TRUE(checked(ID_VIEW_TOOLBAR));
  send(ID_VIEW_TOOLBAR);
  EXPECT_FALSE(f.frame->IsToolbarShown());
  EXPECT_FALSE(f.frame->GetModeTabBar()->IsShown());
  EXPECT_FALSE(checked(ID_VIEW_TOOLBAR));
  send(ID_VIEW_TOOLBAR);
  EXPECT_TRUE(f.frame->GetModeTabBar()->IsShown());

  EXPECT_TRUE(checked(ID_VIEW_STATUS_BAR));
  send(ID_VIEW_STATUS_BAR);
  EXPECT_FALSE(f.frame->GetMainStatusBar()->IsShown());
  EXPECT_FALSE(checked(ID_VIEW_STATUS_BAR));
  send(ID_VIEW_STATUS_BAR);
  EXPECT_TRUE(f.frame->GetMainStatusBar()->IsShown());
}

}  // namespace

namespace {

// Whether the frame's update handlers enable and check a command.
struct CommandState {
  bool set, enabled, checked;
};

CommandState StateOf(CMainFrame* frame, int id) {
  wxUpdateUIEvent event(id);
  event.SetEventObject(frame);
  frame->ProcessWindowEvent(event);
  return {event.GetSetEnabled(), event.GetEnabled(), event.GetSetChecked() && event.GetChecked()};
}

void SendCommand(CMainFrame* frame, int id) {
  wxCommandEvent event(wxEVT_MENU, id);
  event.SetEventObject(frame);
  frame->ProcessWindowEvent(event);
}

// Every tool from its toolbar button (a real click) and from the menu: the
// check mark follows the current tool, a second choice switches it off, and
// in effect mode only the selection tools are disabled.
TEST(MainFrameCommandRules, ToolsFromTheToolbarAndTheMenu) {
  FrameFixture f;
  struct Tool {
    int id;
    bool offInEffectMode;
  };
  const Tool tools[] = {{ID_TOOL_RECT_SELECT, true},
                        {ID_TOOL_MAGIC_WAND, true},
                        {ID_TOOL_FREE_SCROLL, false},
                        {ID_TOOL_ZOOM, false},
                        {ID_TOOL_MOVE, false}};
  CTrueColorToolBar* toolbar = f.frame->GetModeTabBar()->GetToolBar();
  wxUIActionSimulator sim;
  for (const Tool& tool : tools) {
    SCOPED_TRACE("tool " + std::to_string(tool.id));
    const int index = toolbar->CommandToIndex(tool.id);
    ASSERT_GE(index, 0);
    EXPECT_TRUE(StateOf(f.frame, tool.id).enabled);
    sim.MouseMove(toolbar->ClientToScreen(toolbar->GetItemRect(index).GetPosition() + wxPoint(6, 6)));
    testing_support::PumpFor(30);
    sim.MouseClick();
    ASSERT_TRUE(PumpUntil([&] { return f.frame->GetCurrentTool() == tool.id; }));
    EXPECT_TRUE(StateOf(f.frame, tool.id).checked);
    toolbar->UpdateButtonStates();
    EXPECT_TRUE(toolbar->GetItem(index).checked);
    for (const Tool& other : tools)
      if (other.id != tool.id) EXPECT_FALSE(StateOf(f.frame, other.id).checked);
    SendCommand(f.frame, tool.id);  // the menu item again: no tool
    EXPECT_EQ(f.frame->GetCurrentTool(), -1);
    EXPECT_FALSE(StateOf(f.frame, tool.id).checked);
    SendCommand(f.frame, tool.id);
    EXPECT_EQ(f.frame->GetCurrentTool(), tool.id);
    ASSERT_TRUE(f.frame->EnterEffectMode("Sepia"));
    const CommandState inEffect = StateOf(f.frame, tool.id);
    EXPECT_TRUE(inEffect.set);
    EXPECT_EQ(inEffect.enabled, !tool.offInEffectMode);
    f.frame->LeaveEffectMode();
    if (f.frame->GetCurrentTool() == tool.id) SendCommand(f.frame, tool.id);
  }
}

// New and Open are refused in effect mode before the application sees them.
TEST(MainFrameCommandRules, NewAndOpenAreOffInEffectMode) {
  FrameFixture f;
  for (int id : {ID_FILE_NEW, ID_FILE_OPEN}) {
    SCOPED_TRACE(id);
    ASSERT_TRUE(f.frame->EnterEffectMode("Blur"));
    const CommandState state = StateOf(f.frame, id);
    EXPECT_TRUE(state.set);
    EXPECT_FALSE(state.enabled);
    f.frame->LeaveEffectMode();
    const CommandState after = StateOf(f.frame, id);
    EXPECT_FALSE(after.set && !after.enabled);  // left to the application
  }
}

}  // namespace
