// The animation frame list: the selection and drag state machine and the
// geometry without windows, then the control under the display (rows with
// thumbnails, delays and disposal glyphs; dragging with auto-scroll and the
// insertion mark; the keyboard) and its glyph pixels.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/uiaction.h>

#include <vector>

#include "shell/FrameListCtrl.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

using paint_testing::PixelAt;
using testing_support::PumpFor;
using testing_support::PumpUntil;

std::vector<CAnimFrame> MakeFrames(int count, int width = 40, int height = 30, bool expanded = false) {
  std::vector<CAnimFrame> frames(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    CAnimFrame& f = frames[static_cast<std::size_t>(i)];
    f.m_image = testing_support::MakeTestPicture(width, height, static_cast<unsigned>(i + 1));
    f.m_nDelay = static_cast<uint16_t>(10 + i);
    f.m_nFlags = static_cast<uint8_t>((i % 4) << 2);
    f.m_bExpanded = expanded ? 1 : 0;
  }
  return frames;
}

std::string Selection(const std::vector<CAnimFrame>& frames) {
  std::string s;
  for (const auto& f : frames) s += f.m_bSelected ? 'x' : '.';
  return s;
}

TEST(FrameListModel, ThumbnailFit) {
  struct Case {
    int w, h, tw, th;
  } cases[] = {{640, 480, 64, 48}, {100, 400, 12, 48}, {50, 40, 50, 40}, {64, 48, 64, 48},
               {1000, 10, 64, 0},  {0, 40, 0, 0},      {40, 0, 0, 0},   {-3, 5, 0, 0}};
  for (const auto& c : cases) {
    int tw = -1, th = -1;
    FitFrameThumbnail(c.w, c.h, tw, th);
    EXPECT_EQ(tw, c.tw) << c.w << "x" << c.h;
    EXPECT_EQ(th, c.th) << c.w << "x" << c.h;
  }
}

TEST(FrameListModel, GeometryAndInsertionHalves) {
  auto frames = MakeFrames(4);
  frames[1].m_bExpanded = 1;
  CFrameListModel m;
  m.SetFrames(640, 480, &frames, 14);
  EXPECT_EQ(m.GetRowHeight(), 19);
  EXPECT_EQ(m.GetExtraHeight(), std::max(48, 2 * 14 + 3) + 9);
  EXPECT_EQ(m.RowTop(2), 19 + 19 + 57);
  EXPECT_EQ(m.GetContentHeight(), 4 * 19 + 57);
  EXPECT_EQ(m.RowAt(0), 0);
  EXPECT_EQ(m.RowAt(19), 1);
  EXPECT_EQ(m.RowAt(m.GetContentHeight()), -1);
  EXPECT_EQ(m.HitTestInsertion(0), 0);
  EXPECT_EQ(m.HitTestInsertion(8), 0);
  EXPECT_EQ(m.HitTestInsertion(10), 1);  // lower half of row 0
  EXPECT_EQ(m.HitTestInsertion(19 + 37), 1);
  EXPECT_EQ(m.HitTestInsertion(19 + 38), 2);
  EXPECT_EQ(m.HitTestInsertion(5000), 4);
  CFrameListModel small;
  small.SetFrames(64, 64, &frames, 9);
  EXPECT_EQ(small.GetRowHeight(), 16);
  CFrameListModel none;
  none.SetFrames(0, 0, nullptr, 14);
  EXPECT_EQ(none.GetContentHeight(), 0);
  EXPECT_EQ(none.Press(5, 5, false, false).selectionChanged, false);
}

TEST(FrameListModel, AnchorShiftCtrlAndRelease) {
  auto frames = MakeFrames(6);
  CFrameListModel m;
  m.SetFrames(40, 30, &frames, 14);
  const int rh = m.GetRowHeight();
  auto y = [rh](int row) { return row * rh + rh / 2; };
  // Shift with no anchor: only the clicked row, which becomes the anchor.
  EXPECT_TRUE(m.Press(40, y(2), true, false).selectionChanged);
  EXPECT_EQ(Selection(frames), "..x...");
  EXPECT_EQ(m.GetAnchorRow(), 2);
  EXPECT_EQ(m.GetMouseState(), CFrameListModel::MOUSE_IDLE);
  m.Press(40, y(4), true, false);
  EXPECT_EQ(Selection(frames), "..xxx.");
  m.Press(40, y(0), true, false);
  EXPECT_EQ(Selection(frames), "xxx...");
  EXPECT_EQ(m.GetAnchorRow(), 2);
  // Ctrl toggles; on the anchor it clears the anchor.
  m.Press(40, y(5), false, true);
  EXPECT_EQ(Selection(frames), "xxx..x");
  m.Press(40, y(2), false, true);
  EXPECT_EQ(Selection(frames), "xx...x");
  EXPECT_EQ(m.GetAnchorRow(), -1);
  // A plain press on a selected row keeps the selection until release, which reduces it.
  m.Press(40, y(1), false, false);
  EXPECT_EQ(Selection(frames), "xx...x");
  EXPECT_EQ(m.GetMouseState(), CFrameListModel::MOUSE_ROW);
  EXPECT_TRUE(m.Release(40, y(1), false, false).selectionChanged);
  EXPECT_EQ(Selection(frames), ".x....");
  EXPECT_EQ(m.GetAnchorRow(), 1);
  // A plain press on an unselected row selects only it at once.
  m.Press(40, y(3), false, false);
  EXPECT_EQ(Selection(frames), "...x..");
  m.Release(40, y(3), false, false);
  // A click below the rows clears the selection.
  EXPECT_TRUE(m.Press(40, 6 * rh + 3, false, false).selectionChanged);
  EXPECT_EQ(Selection(frames), "......");
  // New frames forget the anchor.
  m.Press(40, y(3), false, false);
  m.Release(40, y(3), false, false);
  m.SetFrames(40, 30, &frames, 14);
  EXPECT_EQ(m.GetAnchorRow(), -1);
}

TEST(FrameListModel, TheSmallestDragReportsAnIndex) {
  auto frames = MakeFrames(5);
  CFrameListModel m;
  m.SetFrames(40, 30, &frames, 14);
  const int rh = m.GetRowHeight();
  m.Press(40, 2 * rh + 2, false, false);
  const auto moved = m.Move(40, 2 * rh + 3, m.HitTestInsertion(2 * rh + 3));
  EXPECT_TRUE(m.IsDragging());
  EXPECT_TRUE(moved.markChanged);
  const auto result = m.Release(40, 2 * rh + 3, false, false);
  EXPECT_TRUE(result.moved);
  EXPECT_EQ(result.insertAt, 2);
  EXPECT_EQ(m.GetAnchorRow(), 2);  // the first selected frame
  EXPECT_FALSE(m.IsDragging());
  // A drag to the end reports the frame count.
  m.Press(40, 1, false, false);
  m.Move(40, 500, m.HitTestInsertion(500));
  EXPECT_EQ(m.Release(40, 500, false, false).insertAt, 5);
}

TEST(FrameListModel, ExpandTriangle) {
  auto frames = MakeFrames(3);
  CFrameListModel m;
  m.SetFrames(40, 30, &frames, 14);
  // Press on row 1's triangle, release outside: nothing changes.
  const int d = m.RowTop(1);
  EXPECT_TRUE(m.Press(8, d + 8, false, false).repaintTriangle);
  EXPECT_EQ(m.GetMouseState(), CFrameListModel::MOUSE_TRIANGLE);
  EXPECT_TRUE(m.IsTriangleHot());
  EXPECT_TRUE(m.Move(30, d + 8, 0).repaintTriangle);
  EXPECT_FALSE(m.IsTriangleHot());
  EXPECT_FALSE(m.Release(30, d + 8, false, false).expandChanged);
  EXPECT_EQ(frames[1].m_bExpanded, 0);
  // Released over it: toggled.
  m.Press(8, d + 8, false, false);
  EXPECT_TRUE(m.Release(8, d + 8, false, false).expandChanged);
  EXPECT_EQ(frames[1].m_bExpanded, 1);
  EXPECT_EQ(Selection(frames), "...");  // the triangle does not select
  // With Shift every frame takes the opposite of the pressed one's old value.
  m.Press(8, 8, false, false);
  m.Release(8, 8, true, false);
  EXPECT_EQ(frames[0].m_bExpanded, 1);
  EXPECT_EQ(frames[1].m_bExpanded, 1);
  EXPECT_EQ(frames[2].m_bExpanded, 1);
}

TEST(FrameListModel, Keyboard) {
  auto frames = MakeFrames(5);
  CFrameListModel m;
  m.SetFrames(40, 30, &frames, 14);
  EXPECT_EQ(m.Key(1, false).ensureVisible, 0);  // nothing selected: the first row
  EXPECT_EQ(Selection(frames), "x....");
  m.Key(1, false);
  EXPECT_EQ(Selection(frames), ".x...");
  m.Key(2, true);
  EXPECT_EQ(Selection(frames), ".xxx.");
  m.Key(100, true);
  EXPECT_EQ(Selection(frames), ".xxxx");
  m.Key(-100, false);
  EXPECT_EQ(Selection(frames), "x....");
  EXPECT_EQ(m.Activate().activated, 0);
  EXPECT_TRUE(m.Expand(true).expandChanged);
  EXPECT_EQ(frames[0].m_bExpanded, 1);
  EXPECT_FALSE(m.Expand(true).expandChanged);
  EXPECT_EQ(m.DoubleClick(m.RowTop(3) + 1).activated, 3);
  EXPECT_EQ(m.GetAnchorRow(), 3);
}

TEST(FrameListGlyphs, DisposalClockAndTrianglePixels) {
  const wxColour bg(255, 255, 255), ink(0, 0, 0), red(255, 0, 0), lilac(192, 192, 255);
  const wxImage image = RenderToImage(wxSize(80, 20), bg, [&](wxDC& dc) {
    CFrameListCtrl::DrawDisposalGlyph(dc, 0, 0, 0, ink);
    CFrameListCtrl::DrawDisposalGlyph(dc, 1, 12, 0, ink);
    CFrameListCtrl::DrawDisposalGlyph(dc, 2, 24, 0, ink);
    CFrameListCtrl::DrawDisposalGlyph(dc, 3, 36, 0, ink);
    CFrameListCtrl::DrawClockGlyph(dc, 48, 0, ink);
    CFrameListCtrl::DrawExpandTriangle(dc, 60, 0, false, ink, false);
  });
  paint_testing::SaveForLooking(image, "frame_list_glyphs.png");
  // Type 0: a dotted dash on row 5.
  EXPECT_PIXEL(image, 0, 5, ink);
  EXPECT_PIXEL(image, 1, 5, bg);
  EXPECT_PIXEL(image, 8, 5, ink);
  EXPECT_PIXEL(image, 0, 4, bg);
  // Type 1: pattern A with a and b in red.
  EXPECT_PIXEL(image, 12 + 4, 0, ink);
  EXPECT_PIXEL(image, 12 + 0, 1, red);
  EXPECT_PIXEL(image, 12 + 1, 2, red);
  EXPECT_PIXEL(image, 12 + 1, 1, bg);
  // Type 2: pattern B, dots lilac, a white, frame ink.
  EXPECT_PIXEL(image, 24, 0, ink);
  EXPECT_PIXEL(image, 24 + 1, 1, lilac);
  EXPECT_PIXEL(image, 24 + 5, 1, bg);  // a = white on white
  EXPECT_PIXEL(image, 24 + 9, 9, ink);
  // Type 3: pattern A, b in the ink, a untouched.
  EXPECT_PIXEL(image, 36 + 0, 1, bg);
  EXPECT_PIXEL(image, 36 + 1, 2, ink);
  // Clock: the hand.
  EXPECT_PIXEL(image, 48 + 4, 2, ink);
  EXPECT_PIXEL(image, 48 + 6, 5, ink);
  EXPECT_PIXEL(image, 48 + 7, 5, bg);
  // Collapsed triangle: outline ink, inside the fill colour.
  EXPECT_PIXEL(image, 60 + 3, 0, ink);
  EXPECT_PIXEL(image, 60 + 4, 3, wxColour(128, 128, 255));
}

struct ListHost {
  explicit ListHost(int listHeight = 200) {
    frame = new wxFrame(nullptr, wxID_ANY, "frames", wxPoint(0, 0), wxSize(260, listHeight + 40));
    list = new CFrameListCtrl(frame, wxID_ANY, wxPoint(0, 0), wxSize(240, listHeight));
    list->SetMoveCallback([this](int at) { moves.push_back(at); });
    list->SetActivateCallback([this](int index) { activated.push_back(index); });
    list->SetSelectionCallback([this](int count) { selections.push_back(count); });
    list->SetHeightCallback([this] { ++heights; });
    frame->Show();
    PumpUntil([this] { return frame->IsShownOnScreen(); });
  }
  ~ListHost() {
    list->SetFrames(0, 0, nullptr);  // the frames go before the deferred destruction
    frame->Destroy();
  }
  wxFrame* frame;
  CFrameListCtrl* list;
  std::vector<int> moves, activated, selections;
  int heights = 0;
};

TEST(FrameListCtrl, RowsWithThumbnailsDelaysAndGlyphs) {
  CFixedUiTheme theme;
  ListHost h(300);
  auto frames = MakeFrames(3, 40, 30, true);
  frames[1].m_bSelected = 1;
  frames[2].m_image = CRasterImage();  // an empty frame: n/a and an empty thumbnail
  h.list->SetFrames(40, 30, &frames);
  EXPECT_EQ(h.heights, 1);
  const wxImage image = RenderToImage(*h.list);
  paint_testing::SaveForLooking(image, "frame_list_rows.png");
  CFrameListModel& m = h.list->GetModel();
  const int rh = m.GetRowHeight(), extra = m.GetExtraHeight(), r = h.list->GetListRect().width;
  const wxColour white(255, 255, 255), black(0, 0, 0), highlight(0, 120, 215);
  // Row 0: the clock glyph in the text colour, and the thumbnail framed one pixel outside.
  EXPECT_PIXEL(image, r - 100 + 4, (rh - 10) / 2 + 2, black);
  const int ty = rh + (extra - 30) / 2;
  EXPECT_PIXEL(image, 11, ty + 5, black);
  EXPECT_PIXEL(image, 12 + 40, ty + 5, black);
  // The thumbnail holds the frame's pixels (the test picture is not flat white).
  int coloured = 0;
  for (int x = 12; x < 52; ++x)
    if (PixelAt(image, x, ty + 10) != white) ++coloured;
  EXPECT_GT(coloured, 20);
  // Row 1 is selected: highlight background, its glyphs in the highlight text colour.
  const int y1 = rh + extra;
  EXPECT_PIXEL(image, 100, y1 + 1, highlight);
  EXPECT_PIXEL(image, r - 100 + 4, y1 + (rh - 10) / 2 + 2, white);
  // Row 2's disposal (type 2) has its lilac squares; its thumbnail is empty inside.
  const int y2 = 2 * (rh + extra);
  EXPECT_PIXEL(image, r - 16 + 1, y2 + (rh - 11) / 2 + 1, wxColour(192, 192, 255));
  int inside = 0;
  for (int x = 12; x < 52; ++x) inside += PixelAt(image, x, y2 + ty + 10) != white ? 1 : 0;
  EXPECT_EQ(inside, 0);
  // Dark text pixels where the delay stands ("0.10s").
  EXPECT_GT(paint_testing::CountColour(image, wxRect(r - 80, 0, 40, rh), black), 0);
}

TEST(FrameListCtrl, ASingleFrameShowsNoGlyphsAndACanvasOfZeroAnEmptyThumbnail) {
  CFixedUiTheme theme;
  ListHost h;
  auto one = MakeFrames(1);
  h.list->SetFrames(40, 30, &one);
  const wxImage image = RenderToImage(*h.list);
  const int rh = h.list->GetModel().GetRowHeight(), r = h.list->GetListRect().width;
  EXPECT_EQ(paint_testing::CountColour(image, wxRect(r - 100, 0, 100, rh), wxColour(0, 0, 0)), 0);
  auto frames = MakeFrames(2, 40, 30, true);
  h.list->SetFrames(0, 30, &frames);
  EXPECT_EQ(h.list->GetModel().GetThumbWidth(), 0);
  const wxImage zero = RenderToImage(*h.list);  // nothing to divide by zero, nothing drawn in the thumbnail
  EXPECT_EQ(zero.GetWidth(), h.list->GetClientSize().x);
}

TEST(FrameListCtrl, DraggingAutoScrollsAndShowsTheInsertionMark) {
  CFixedUiTheme theme;
  ListHost h(200);
  auto frames = MakeFrames(40);
  h.list->SetFrames(40, 30, &frames);
  ASSERT_GT(h.list->GetContentHeight(), 200);
  EXPECT_TRUE(h.list->IsScrollBarShown());
  const int rh = h.list->GetModel().GetRowHeight();
  h.list->MouseDown(wxPoint(60, rh / 2), false, false);
  h.list->MouseMove(wxPoint(60, rh + 2));
  EXPECT_EQ(h.list->GetInsertionMarkY(), rh);
  const wxImage marked = RenderToImage(*h.list);
  paint_testing::SaveForLooking(marked, "frame_list_mark.png");
  EXPECT_PIXEL(marked, 100, rh, wxColour(0, 0, 0));
  EXPECT_PIXEL(marked, 100, rh - 2, wxColour(0, 0, 0));
  // Held below the list: it keeps paging down by itself until the end of the content.
  h.list->MouseMove(wxPoint(60, 260));
  EXPECT_GT(h.list->GetScrollPosition(), 0);
  const int maximum = h.list->GetContentHeight() - h.list->GetClientSize().y;
  EXPECT_TRUE(PumpUntil([&] { return h.list->GetScrollPosition() == maximum; }, 5000));
  EXPECT_TRUE(PumpUntil([&] { return !h.list->IsAutoScrolling(); }));
  h.list->MouseUp(wxPoint(60, 260), false, false);
  ASSERT_EQ(h.moves.size(), 1u);
  EXPECT_EQ(h.moves[0], 40);
  EXPECT_EQ(h.list->GetInsertionMarkY(), -1);
  // Held above: pages back up.
  h.list->MouseDown(wxPoint(60, 100), false, false);
  h.list->MouseMove(wxPoint(60, -30));
  EXPECT_TRUE(PumpUntil([&] { return h.list->GetScrollPosition() == 0; }, 5000));
  h.list->MouseUp(wxPoint(60, -30), false, false);
  ASSERT_EQ(h.moves.size(), 2u);
  EXPECT_EQ(h.moves[1], 0);
}

TEST(FrameListCtrl, KeyboardMovesTheSelectionAndScrolls) {
  CFixedUiTheme theme;
  ListHost h(100);
  auto frames = MakeFrames(30);
  h.list->SetFrames(40, 30, &frames);
  EXPECT_TRUE(h.list->KeyDown(WXK_DOWN, false));
  EXPECT_EQ(Selection(frames).substr(0, 3), "x..");
  EXPECT_TRUE(h.list->KeyDown(WXK_END, false));
  EXPECT_EQ(frames[29].m_bSelected, 1);
  EXPECT_EQ(h.list->GetScrollPosition(), h.list->GetContentHeight() - h.list->GetClientSize().y);
  EXPECT_TRUE(h.list->KeyDown(WXK_UP, true));
  EXPECT_EQ(h.list->GetSelectedCount(), 2);
  EXPECT_TRUE(h.list->KeyDown(WXK_HOME, false));
  EXPECT_EQ(h.list->GetScrollPosition(), 0);
  EXPECT_TRUE(h.list->KeyDown(WXK_RETURN, false));
  ASSERT_EQ(h.activated.size(), 1u);
  EXPECT_EQ(h.activated[0], 0);
  const int before = h.heights;
  EXPECT_TRUE(h.list->KeyDown(WXK_RIGHT, false));
  EXPECT_EQ(frames[0].m_bExpanded, 1);
  EXPECT_EQ(h.heights, before + 1);
  EXPECT_FALSE(h.list->KeyDown('A', false));
  // Real key presses reach it once it has the focus.
  h.list->SetFocus();
  wxUIActionSimulator sim;
  sim.Char(WXK_DOWN);
  EXPECT_TRUE(PumpUntil([&] { return frames[1].m_bSelected != 0; }));
}

}  // namespace

namespace {

TEST(FrameListCtrl, ARealMouseDragMovesTheSelectedFrames) {
  CFixedUiTheme theme;
  ListHost h(200);
  auto frames = MakeFrames(6);
  h.list->SetFrames(40, 30, &frames);
  h.list->Update();
  PumpFor(50);
  const int rh = h.list->GetModel().GetRowHeight();
  const wxPoint origin = h.list->GetScreenPosition();
  wxUIActionSimulator sim;
  // Click row 1, Shift-click row 2, then drag the two below row 4.
  sim.MouseMove(origin + wxPoint(60, rh + rh / 2));
  PumpFor(30);
  sim.MouseClick();
  EXPECT_TRUE(PumpUntil([&] { return Selection(frames) == ".x...."; }));
  sim.KeyDown(WXK_SHIFT);
  sim.MouseMove(origin + wxPoint(60, 2 * rh + rh / 2));
  PumpFor(30);
  sim.MouseClick();
  sim.KeyUp(WXK_SHIFT);
  EXPECT_TRUE(PumpUntil([&] { return Selection(frames) == ".xx..."; }));
  sim.MouseMove(origin + wxPoint(60, 2 * rh + rh / 2 + 1));
  PumpFor(30);  // within the double-click time: the press still starts a drag
  sim.MouseDown();
  PumpFor(30);
  for (int y = 2 * rh + rh / 2; y <= 4 * rh + rh - 2; y += 4) {
    sim.MouseMove(origin + wxPoint(60, y));
    PumpFor(10);
  }
  PumpFor(30);
  EXPECT_EQ(h.list->GetInsertionMarkY(), 5 * rh);
  sim.MouseUp();
  EXPECT_TRUE(PumpUntil([&] { return !h.moves.empty(); }));
  ASSERT_EQ(h.moves.size(), 1u);
  EXPECT_EQ(h.moves[0], 5);
  EXPECT_EQ(h.list->GetInsertionMarkY(), -1);
}

}  // namespace
