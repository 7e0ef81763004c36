// A folder of photograph-like pictures in the browser view, with one
// thumbnail under the mouse (hover zoom), two selected and one cut; the
// picture goes to $PICTORAVELL_SCREENSHOT_DIR for looking at.

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <string>
#include <vector>

#include "tests/browser/BrowserViewTestSupport.h"
#include "tests/shell/PaintTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using browser_testing::Magick;
using testing_support::PumpFor;
using testing_support::PumpUntil;

TEST(BrowserScreenshot, PhotographsWithHoverZoomSelectionAndCut) {
  REQUIRE_TOOL("convert");
  browser_testing::ViewFixture f("shot", wxSize(900, 620));
  const auto& dir = f.folder;
  const struct {
    const char* name;
    const char* arguments;
  } pictures[] = {
      {"Beach at dusk.jpg", "-seed 11 -size 640x480 plasma:orange-navy -blur 0x2"},
      {"Forest.jpg", "-seed 4 -size 640x480 plasma:darkgreen-yellowgreen -blur 0x1"},
      {"Rose.jpg", "rose: -resize 480x320!"},
      {"Portrait of the dog.jpg", "-seed 9 -size 360x480 plasma:sienna-wheat -blur 0x2"},
      {"Lake.png", "-seed 21 -size 640x400 plasma:steelblue-white -blur 0x1"},
      {"Sunset over the harbour on the last evening of the summer trip.jpg",
       "-seed 5 -size 640x360 plasma:red-gold -blur 0x3"},
      {"Meadow.jpg", "-seed 30 -size 600x450 plasma:olive-khaki"},
      {"Snow.jpg", "-seed 2 -size 640x480 plasma:white-lightsteelblue -blur 0x2"},
      {"Night sky.gif", "-seed 8 -size 320x240 plasma:black-midnightblue"},
      {"Tulips.jpg", "-seed 14 -size 480x640 plasma:magenta-green"},
  };
  for (const auto& p : pictures) ASSERT_TRUE(Magick(std::string(p.arguments) + " '" + (dir / p.name).string() + "'"));
  f.view->SetThumbnailSize(3);
  ASSERT_TRUE(f.Load());
  ASSERT_EQ(f.view->GetItems().GetCount(), 10);
  f.view->SortItems(SORT_BY_NAME);
  CBrowserItemList& items = f.view->GetItems();
  // One cut, two selected.
  items.SelectOnly(4);
  f.view->OnEditCut();
  items.SelectNone();
  items[0].m_bSelected = items[5].m_bSelected = 1;
  f.view->Refresh();
  wxUIActionSimulator sim;
  sim.MouseMove(f.ScreenPointOf(6));
  ASSERT_TRUE(PumpUntil([&] { return items[6].m_nZoomStep == 6; }));
  PumpFor(100);
  const wxImage shot = paint_testing::CaptureWindow(f.view);
  paint_testing::SaveForLooking(shot, "browser-photographs.png");
  // The selection ring, the zoomed shadow and the veil are on the screen.
  const wxRect selected = f.view->GetThumbnailClientRect(5);
  EXPECT_PIXEL(shot, selected.x, selected.y + 5, wxColour(0, 0, 255));
  EXPECT_PIXEL(shot, selected.x + 1, selected.y + 5, wxColour(128, 128, 255));
  const wxRect zoomed = f.view->GetThumbnailClientRect(6);
  EXPECT_PIXEL(shot, zoomed.GetRight() + 1, zoomed.y + zoomed.height / 2, wxColour(137, 137, 137));
  EXPECT_EQ(items[4].m_bCut, 1);
  sim.MouseMove(wxPoint(1250, 1000));
  PumpUntil([&] { return items[6].m_nZoomStep == 0; });
}

}  // namespace
