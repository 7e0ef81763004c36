// The mode tab bar: the glow and pulse stepper without windows, the tab
// geometry, clicks switching the main window's mode (ignored in print
// preview), the toolbar of each mode and the tab pixels.

#include <gtest/gtest.h>

#include <wx/uiaction.h>

#include <vector>

#include "resources/CommandIds.h"
#include "shell/FlatToolBar.h"
#include "resources/ToolbarResources.h"
#include "shell/MainFrame.h"
#include "shell/ModeTabBar.h"
#include "shell/TaskPane.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"
#include "tests/shell/ShellTestSupport.h"

namespace {

using shell_testing::FrameFixture;

TEST(ModeTabStepper, PulseBouncesAndGlowReachesFullInThreeSteps) {
  std::vector<CModeTab> tabs(2);
  ModeTabHover(tabs, 0);
  EXPECT_EQ(tabs[0].hover, 1);
  EXPECT_EQ(tabs[1].hover, 0);
  std::vector<int> pulses, glows;
  for (int i = 0; i < 22; ++i) {
    EXPECT_FALSE(ModeTabStep(tabs));
    pulses.push_back(tabs[0].pulse);
    glows.push_back(tabs[0].glow);
  }
  EXPECT_EQ(pulses, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4}));
  EXPECT_EQ(glows[0], 3);
  EXPECT_EQ(glows[1], 6);
  EXPECT_EQ(glows[2], 9);
  EXPECT_EQ(glows.back(), 9);
  // Hovering the same tab again keeps its pulse running.
  ModeTabHover(tabs, 0);
  EXPECT_NE(tabs[0].hover, 0);
  // Left behind, the tab fades out; the step that finds everything settled says so.
  ModeTabHover(tabs, -1);
  int steps = 0;
  while (!ModeTabStep(tabs) && steps < 50) ++steps;
  EXPECT_EQ(tabs[0].glow, 0);
  EXPECT_EQ(tabs[0].pulse, 0);
  EXPECT_EQ(steps, 4);  // the pulse 4 falls to 0 in four steps, glow 9 in three
}

TEST(ModeTabStepper, MovingToAnotherTabSwitchesTheHover) {
  std::vector<CModeTab> tabs(2);
  ModeTabHover(tabs, 0);
  ModeTabStep(tabs);
  ModeTabHover(tabs, 1);
  EXPECT_EQ(tabs[0].hover, 0);
  EXPECT_EQ(tabs[1].hover, 1);
  ModeTabStep(tabs);
  EXPECT_EQ(tabs[0].glow, 0);
  EXPECT_EQ(tabs[1].glow, 3);
}

TEST(ModeTabBar, GeometryClicksPreviewAndToolbars) {
  CFixedUiTheme theme;
  FrameFixture f;
  CModeTabBar* bar = f.frame->GetModeTabBar();
  ASSERT_EQ(bar->GetTabCount(), 2);
  const wxRect first = bar->GetTabRect(0), second = bar->GetTabRect(1);
  EXPECT_EQ(first.x, 3);
  EXPECT_EQ(first.y, 3);  // selected: 4 pixels taller
  EXPECT_EQ(second.y, 7);
  EXPECT_EQ(second.x, first.GetRight() + 1 + 3);
  EXPECT_EQ(bar->GetTabRect(5), wxRect());
  EXPECT_EQ(bar->HitTestTab(wxPoint(1, 20)), -1);
  // The toolbar sits right of the last tab and carries the mode's buttons.
  EXPECT_EQ(bar->GetToolBar()->GetPosition().x, second.GetRight() + 1 + 12);
  EXPECT_EQ(bar->GetToolbarResource(), IDR_MAINFRAME);
  // A tab click sends its command: the mode changes and loads its toolbar.
  const int starts = bar->GetTimerStarts();
  bar->MouseMove(second.GetPosition() + wxPoint(4, 4));
  EXPECT_TRUE(bar->IsTimerRunning());
  bar->MouseMove(first.GetPosition() + wxPoint(4, 4));  // another tab: no new timer
  EXPECT_EQ(bar->GetTimerStarts(), starts + 1);
  bar->MouseDown(second.GetPosition() + wxPoint(4, 4));
  EXPECT_EQ(f.frame->GetMode(), MODE_BROWSE);
  EXPECT_EQ(bar->GetSelectedTab(), 1);
  EXPECT_EQ(bar->GetToolbarResource(), IDR_BROWSE_TOOLBAR);
  EXPECT_EQ(bar->GetButtonText(13), "Slide Show");
  bar->MouseDown(bar->GetTabRect(0).GetPosition() + wxPoint(4, 4));
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  EXPECT_EQ(bar->GetToolbarResource(), IDR_MAINFRAME);
  // Print preview: the preview toolbar, tab clicks ignored.
  ASSERT_TRUE(f.frame->SetMode(MODE_PRINT_PREVIEW));
  EXPECT_TRUE(bar->IsPreviewMode());
  EXPECT_EQ(bar->GetToolbarResource(), IDR_PREVIEW_TOOLBAR);
  EXPECT_EQ(bar->GetSelectedTab(), 0);
  bar->MouseDown(bar->GetTabRect(1).GetPosition() + wxPoint(4, 4));
  EXPECT_EQ(f.frame->GetMode(), MODE_PRINT_PREVIEW);
  // Hovering still changes the (unseen) states of the unselected tabs.
  bar->MouseMove(bar->GetTabRect(1).GetPosition() + wxPoint(4, 4));
  EXPECT_EQ(bar->GetTabs()[1].hover, 1);
  ASSERT_TRUE(f.frame->SetMode(MODE_CONTACT_SHEET));
  EXPECT_EQ(bar->GetSelectedTab(), 1);
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  EXPECT_FALSE(bar->IsPreviewMode());
  bar->SelectTab(9);
  EXPECT_EQ(bar->GetSelectedTab(), 0);
  // The timer stops once the tabs have settled.
  bar->MouseLeave();
  EXPECT_TRUE(testing_support::PumpUntil([&] { return !bar->IsTimerRunning(); }));
}

TEST(ModeTabBar, EmptyCaptionIsSixteenWideAndToolbarButtonsSendCommands) {
  FrameFixture f;
  auto* bar = new CModeTabBar(f.frame, wxID_ANY);
  bar->AddTab("", ID_VIEW_EDIT_IMAGES, IDR_MAINFRAME);
  EXPECT_EQ(bar->GetTabRect(0).width, 16);
  bar->SelectTab(0);
  EXPECT_EQ(bar->GetToolbarResource(), IDR_MAINFRAME);
  bar->Destroy();
  // The toolbar enables a button by the frame's update rule and sends its command.
  CModeTabBar* real = f.frame->GetModeTabBar();
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  CTrueColorToolBar* toolbar = real->GetToolBar();
  ASSERT_TRUE(f.frame->SetMode(MODE_PRINT_PREVIEW));
  toolbar->UpdateButtonStates();
  const int close = toolbar->CommandToIndex(ID_PREVIEW_CLOSE);
  ASSERT_GE(close, 0);
  EXPECT_EQ(toolbar->GetButtonText(close), "Exit Print Preview");
  ASSERT_TRUE(toolbar->GetItem(close).enabled);
  // A real click on the button.
  wxUIActionSimulator sim;
  sim.MouseMove(toolbar->ClientToScreen(toolbar->GetItemRect(close).GetPosition() + wxPoint(6, 6)));
  testing_support::PumpFor(30);
  sim.MouseClick();
  EXPECT_TRUE(testing_support::PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }));
}

// Each mode's toolbar: the buttons of its resource with the desktop's icons
// (the program's own art where the theme has none), the labels of the mode,
// and the enable rules of the frame: a button nobody handles stays grey.
TEST(ModeTabBar, ToolbarsCarryTheModesButtonsWithIconsAndRules) {
  FrameFixture f;
  CTrueColorToolBar* toolbar = f.frame->GetModeTabBar()->GetToolBar();
  struct Row {
    int mode, resource;
    std::vector<std::pair<int, std::string>> labels;
  };
  const Row rows[] = {
      {MODE_VIEW_EDIT, IDR_MAINFRAME, {{0, "Print"}}},
      {MODE_BROWSE, IDR_BROWSE_TOOLBAR, {{0, "Print"}, {10, "Batch"}, {11, "Email"}, {12, "Publish"}, {13, "Slide Show"}}},
      {MODE_PRINT_PREVIEW, IDR_PREVIEW_TOOLBAR, {{0, "Exit Print Preview"}, {2, "Print"}, {3, "Printer Settings"}}},
  };
  for (const Row& row : rows) {
    ASSERT_TRUE(f.frame->SetMode(row.mode));
    const auto& buttons = GetToolbarResource(row.resource);
    ASSERT_EQ(toolbar->GetItemCount(), static_cast<int>(buttons.size())) << row.mode;
    for (int i = 0; i < toolbar->GetItemCount(); ++i) EXPECT_EQ(toolbar->GetItem(i).id, buttons[i].command);
    for (const auto& [index, text] : row.labels) EXPECT_EQ(toolbar->GetButtonText(index), text) << row.mode;
    EXPECT_LE(toolbar->GetMinSize().y, CModeTabBar::kHeight);
    // Every button shows an image: some pixels of its cell are not transparent.
    const wxImage& images = toolbar->GetColorImages();
    ASSERT_TRUE(images.HasAlpha());
    const int side = images.GetHeight();
    for (int i = 0; i < toolbar->GetItemCount(); ++i) {
      const FLAT_TOOL_ITEM& item = toolbar->GetItem(i);
      if (item.separator) continue;
      int opaque = 0;
      for (int y = 0; y < side; ++y)
        for (int x = item.image * side; x < (item.image + 1) * side; ++x) opaque += images.GetAlpha(x, y) > 128;
      EXPECT_GT(opaque, side) << "button " << item.id << " of mode " << row.mode;
    }
  }
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  toolbar->UpdateButtonStates();
  // Without a document: Save, Undo and zooming off.
  EXPECT_FALSE(toolbar->GetItem(toolbar->CommandToIndex(ID_ZOOM_IN)).enabled);
  EXPECT_FALSE(toolbar->GetItem(toolbar->CommandToIndex(ID_FILE_SAVE)).enabled);
  EXPECT_FALSE(toolbar->GetItem(toolbar->CommandToIndex(ID_EDIT_UNDO)).enabled);
}

TEST(ModeTabBar, TabPixels) {
  CFixedUiTheme theme;
  FrameFixture f;
  CModeTabBar* bar = f.frame->GetModeTabBar();
  const wxImage image = RenderToImage(*bar);
  paint_testing::SaveForLooking(image, "mode_tab_bar.png");
  const wxColour face(240, 240, 240), shadow(160, 160, 160), orange(255, 190, 60), white(255, 255, 255);
  const wxRect sel = bar->GetTabRect(0);
  const int l = sel.x, t = sel.y, r = sel.GetRight() + 1;
  const wxColour E = BlendColor(orange, shadow, 0.5);
  EXPECT_PIXEL(image, l + 5, t, E);  // the selected tab's orange top edge
  EXPECT_PIXEL(image, l + 1, t, BlendColor(E, face, 0.75));
  EXPECT_PIXEL(image, r - 1, t, BlendColor(E, face, 0.75));
  EXPECT_PIXEL(image, l, t + 1, BlendColor(shadow, face, 0.75));
  EXPECT_PIXEL(image, l, t + 10, shadow);  // side edge
  EXPECT_PIXEL(image, l + 2, t + 2, TabShade(white, orange, 9, 9));  // glow row 2 at full pulse
  EXPECT_PIXEL(image, l + 2, sel.GetBottom(), white);  // the selected tab's body is white
  const wxRect other = bar->GetTabRect(1);
  EXPECT_PIXEL(image, other.x + 5, other.y, shadow);  // unselected: a grey top edge
  EXPECT_PIXEL(image, other.x, other.y + 10, shadow);
}

}  // namespace

namespace {

TEST(ModeTabBar, RealClicksOnTheTabs) {
  FrameFixture f;
  CModeTabBar* bar = f.frame->GetModeTabBar();
  wxUIActionSimulator sim;
  auto click = [&](int tab) {
    sim.MouseMove(bar->ClientToScreen(bar->GetTabRect(tab).GetPosition() + wxPoint(6, 8)));
    testing_support::PumpFor(30);
    sim.MouseClick();
  };
  click(1);
  EXPECT_TRUE(testing_support::PumpUntil([&] { return f.frame->GetMode() == MODE_BROWSE; }));
  EXPECT_TRUE(bar->IsTimerRunning() || bar->GetTimerStarts() > 0);  // the hover started the glow
  click(0);
  EXPECT_TRUE(testing_support::PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }));
  ASSERT_TRUE(f.frame->SetMode(MODE_PRINT_PREVIEW));
  click(1);
  testing_support::PumpFor(100);
  EXPECT_EQ(f.frame->GetMode(), MODE_PRINT_PREVIEW);
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
}

}  // namespace
