// The editing view's cursor under the real pointer: each tool's cursor over
// the image and the arrow beside it, the zoom tool's magnifier turning to
// zoom out while Ctrl is held, the closed hand while scrolling by hand, and
// a click of a selection tool on a busy frame blinking two cursors six times,
// 100 ms each, before the tool's cursor comes back.

#include <gtest/gtest.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <vector>

#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "editor/ViewCursors.h"
#include "resources/CommandIds.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

TEST(ToolCursorChoice, TableOfStates) {
  struct Case {
    int tool;
    bool over;
    int blink;
    bool ctrl;
    bool scrolling;
    int cursor;
  } cases[] = {
      {ID_TOOL_RECT_SELECT, true, 0, false, false, VIEW_CURSOR_RECT_SELECT},
      {ID_TOOL_RECT_SELECT, false, 0, false, false, VIEW_CURSOR_ARROW},
      {ID_TOOL_MAGIC_WAND, true, 0, true, false, VIEW_CURSOR_MAGIC_WAND},
      {ID_TOOL_MOVE, true, 0, false, false, VIEW_CURSOR_MOVE},
      {ID_TOOL_FREE_SCROLL, true, 0, false, false, VIEW_CURSOR_FREE_SCROLL},
      {ID_TOOL_FREE_SCROLL, true, 0, false, true, VIEW_CURSOR_SCROLLING},
      {ID_TOOL_ZOOM, true, 0, false, false, VIEW_CURSOR_ZOOM_IN},
      {ID_TOOL_ZOOM, true, 0, true, false, VIEW_CURSOR_ZOOM_OUT},
      {ID_TOOL_ZOOM, false, 0, true, false, VIEW_CURSOR_ARROW},
      {-1, true, 0, false, false, VIEW_CURSOR_ARROW},
      {ID_FILE_NEW, true, 0, false, false, VIEW_CURSOR_ARROW},
      {ID_TOOL_RECT_SELECT, true, 6, false, false, VIEW_CURSOR_REFUSED_EVEN},
      {ID_TOOL_MAGIC_WAND, false, 5, false, false, VIEW_CURSOR_REFUSED_ODD},  // outside too
      {ID_TOOL_RECT_SELECT, true, 1, false, false, VIEW_CURSOR_REFUSED_ODD},
  };
  for (const Case& c : cases) {
    TOOL_CURSOR_STATE state;
    state.tool = c.tool;
    state.overImage = c.over;
    state.blinkCount = c.blink;
    state.ctrlDown = c.ctrl;
    state.scrolling = c.scrolling;
    EXPECT_EQ(ChooseToolCursor(state), c.cursor) << c.tool << " " << c.over << " " << c.blink;
  }
}

TEST(ToolCursorChoice, DrawnCursorsHaveHotSpotsAndBothInks) {
  for (int cursor : {VIEW_CURSOR_FREE_SCROLL, VIEW_CURSOR_MAGIC_WAND, VIEW_CURSOR_ZOOM_IN, VIEW_CURSOR_SCROLLING,
                     VIEW_CURSOR_ZOOM_OUT, VIEW_CURSOR_REFUSED_EVEN, VIEW_CURSOR_REFUSED_ODD}) {
    const wxImage image = DrawViewCursor(cursor);
    ASSERT_TRUE(image.IsOk()) << cursor;
    EXPECT_EQ(image.GetWidth(), 32);
    EXPECT_TRUE(image.HasAlpha());
    const int hx = image.GetOptionInt(wxIMAGE_OPTION_CUR_HOTSPOT_X);
    const int hy = image.GetOptionInt(wxIMAGE_OPTION_CUR_HOTSPOT_Y);
    EXPECT_TRUE(hx >= 0 && hx < 32 && hy >= 0 && hy < 32) << cursor;
    int black = 0, white = 0, clear = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        if (image.GetAlpha(x, y) == 0) ++clear;
        else if (image.GetRed(x, y) == 0) ++black;
        else ++white;
      }
    EXPECT_GT(black, 20) << cursor;
    EXPECT_GT(white, 5) << cursor;
    EXPECT_GT(clear, 300) << cursor;
  }
  // The two refused-click pictures differ, and so do the magnifiers.
  EXPECT_EQ(DrawViewCursor(VIEW_CURSOR_REFUSED_EVEN).GetRed(15, 15), 0);  // black bar on white
  EXPECT_EQ(DrawViewCursor(VIEW_CURSOR_REFUSED_ODD).GetRed(15, 15), 255);  // white bar on black
  EXPECT_FALSE(DrawViewCursor(VIEW_CURSOR_ZOOM_IN).IsSameAs(DrawViewCursor(VIEW_CURSOR_ZOOM_OUT)));
  EXPECT_FALSE(DrawViewCursor(VIEW_CURSOR_RECT_SELECT).IsOk());  // a stock cross
}

class ToolCursors : public ::testing::Test {
 protected:
  void SetUp() override {
    doc = OpenImageDocument(WriteBmp(dir, "c.bmp", SolidImage(120, 90, 200, 100, 50)));
    ASSERT_TRUE(doc);
    view = f.ViewOf(doc);
    ASSERT_TRUE(view);
    PumpFor(100);
    view->SetZoom(1);
    PumpFor(100);
    window = view->GetViewWindow();
    window->SetFocus();
  }
  void TearDown() override {
    sim.MouseMove(start);
    PumpFor(30);
  }
  void Tool(int id) {
    if (f.frame->GetCurrentTool() != id) f.frame->SelectTool(id);
    ASSERT_EQ(f.frame->GetCurrentTool(), id);
  }
  wxPoint OnImage(int x, int y) const {
    const Point at = view->ImageToClient(Point{x, y});
    return window->ClientToScreen(wxPoint(at.x, at.y));
  }
  void MoveTo(const wxPoint& screen) {
    sim.MouseMove(screen);
    PumpUntil([&] { return wxGetMousePosition() == screen; }, 1000);
    PumpFor(40);
  }
  // The cursor the view chose is the one its window shows.
  void ExpectShown(int cursor) {
    EXPECT_EQ(view->GetToolCursor(), cursor);
    EXPECT_TRUE(window->GetCursor().IsSameAs(GetViewCursor(cursor))) << cursor;
  }

  wxPoint start = wxGetMousePosition();
  DocumentWindowFixture f;
  TempDir dir;
  wxUIActionSimulator sim;
  CPictoravellDoc* doc = nullptr;
  CPictoravellView* view = nullptr;
  CImageViewWindow* window = nullptr;
};

TEST_F(ToolCursors, EachToolShowsItsCursorOverTheImageAndTheArrowBesideIt) {
  const struct {
    int tool;
    int cursor;
  } tools[] = {{ID_TOOL_RECT_SELECT, VIEW_CURSOR_RECT_SELECT},
               {ID_TOOL_MAGIC_WAND, VIEW_CURSOR_MAGIC_WAND},
               {ID_TOOL_MOVE, VIEW_CURSOR_MOVE},
               {ID_TOOL_FREE_SCROLL, VIEW_CURSOR_FREE_SCROLL},
               {ID_TOOL_ZOOM, VIEW_CURSOR_ZOOM_IN}};
  // Beside the image: the window is larger than the 120 x 90 canvas.
  const Point corner = view->ImageToClient(Point{120, 90});
  const wxPoint beside = window->ClientToScreen(wxPoint(corner.x + 20, corner.y + 20));
  ASSERT_LT(corner.x + 20, window->GetClientSize().x);
  for (const auto& t : tools) {
    Tool(t.tool);
    MoveTo(OnImage(60, 45));
    MoveTo(OnImage(61, 45));
    ExpectShown(t.cursor);
    MoveTo(beside);
    ExpectShown(VIEW_CURSOR_ARROW);
  }
}

TEST_F(ToolCursors, CtrlTurnsTheZoomCursorAndTheHandClosesWhileScrolling) {
  Tool(ID_TOOL_ZOOM);
  MoveTo(OnImage(60, 45));
  MoveTo(OnImage(61, 45));
  ExpectShown(VIEW_CURSOR_ZOOM_IN);
  sim.KeyDown(WXK_CONTROL);
  PumpUntil([&] { return view->GetToolCursor() == VIEW_CURSOR_ZOOM_OUT; }, 2000);
  ExpectShown(VIEW_CURSOR_ZOOM_OUT);
  sim.KeyUp(WXK_CONTROL);
  PumpUntil([&] { return view->GetToolCursor() == VIEW_CURSOR_ZOOM_IN; }, 2000);
  ExpectShown(VIEW_CURSOR_ZOOM_IN);

  Tool(ID_TOOL_FREE_SCROLL);
  MoveTo(OnImage(62, 45));
  ExpectShown(VIEW_CURSOR_FREE_SCROLL);
  sim.MouseDown();
  PumpUntil([&] { return view->IsDragging(); }, 2000);
  ExpectShown(VIEW_CURSOR_SCROLLING);
  MoveTo(OnImage(70, 50));
  ExpectShown(VIEW_CURSOR_SCROLLING);
  sim.MouseUp();
  PumpUntil([&] { return !view->IsDragging(); }, 2000);
  PumpFor(30);
  ExpectShown(VIEW_CURSOR_FREE_SCROLL);
}

TEST_F(ToolCursors, ARefusedClickBlinksSixTimesThenTheToolCursorComesBack) {
  for (int tool : {ID_TOOL_RECT_SELECT, ID_TOOL_MAGIC_WAND}) {
    Tool(tool);
    MoveTo(OnImage(40, 40));
    MoveTo(OnImage(41, 40));
    const int toolCursor = tool == ID_TOOL_RECT_SELECT ? VIEW_CURSOR_RECT_SELECT : VIEW_CURSOR_MAGIC_WAND;
    ExpectShown(toolCursor);
    std::vector<int> seen;
    std::vector<long> at;
    {
      CFrameBusyGuard busy(doc, 0);  // a command holds the frame
      sim.MouseClick();
      wxStopWatch watch;
      PumpUntil([&] { return view->IsBlinking(); }, 1000);
      // Watch the shown cursor until the blinking ends.
      PumpUntil(
          [&] {
            const int now = view->GetToolCursor();
            if (seen.empty() || seen.back() != now) {
              seen.push_back(now);
              at.push_back(watch.Time());
            }
            return !view->IsBlinking() && view->GetBlinkCount() == 0 && now == toolCursor;
          },
          3000);
      EXPECT_EQ(doc->GetUndoPosition(), -1);  // refused: nothing happened
      EXPECT_FALSE(view->IsDragging());
    }
    const std::vector<int> expected = {toolCursor,
                                       VIEW_CURSOR_REFUSED_EVEN,
                                       VIEW_CURSOR_REFUSED_ODD,
                                       VIEW_CURSOR_REFUSED_EVEN,
                                       VIEW_CURSOR_REFUSED_ODD,
                                       VIEW_CURSOR_REFUSED_EVEN,
                                       VIEW_CURSOR_REFUSED_ODD,
                                       toolCursor};
    EXPECT_EQ(seen, expected) << tool;
    ASSERT_EQ(at.size(), expected.size());
    std::printf("refused click: six pictures in %ld ms\n", at.back() - at[1]);
    // Six pictures of about 100 ms each (timers are late, never early).
    EXPECT_GE(at.back() - at[1], 580) << tool;
    EXPECT_LT(at.back() - at[1], 1500) << tool;
    ExpectShown(toolCursor);
    EXPECT_FALSE(view->IsBlinking());
  }
}

}  // namespace
