// The editing view's mouse tools driven by the real pointer and keyboard
// (injected events): rectangle selection with auto-scroll, the magic wand
// with Shift and Ctrl, the marching ants, moving and nudging the selection,
// hand scrolling and the zoom tool. Every action is one named undo step, and
// selecting never marks the document modified.

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <string>

#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "resources/CommandIds.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/shell/PaintTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

struct PointerGuard {
  wxPoint at = wxGetMousePosition();
  ~PointerGuard() {
    wxUIActionSimulator sim;
    sim.MouseMove(at);
    PumpUntil([this] { return wxGetMousePosition() == at; }, 1000);
  }
};

void Fill(CRasterImage& image, int x0, int y0, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  for (int y = y0; y < y0 + h; ++y) {
    uint8_t* row = image.GetWritableBits() + int64_t{y} * image.GetStride();
    for (int x = x0; x < x0 + w; ++x) {
      row[3 * x] = r;
      row[3 * x + 1] = g;
      row[3 * x + 2] = b;
    }
  }
}

// White with a red square (40 x 30 at 50, 40) and a green one (30 x 30 at 120, 80).
CRasterImage TwoSquares(int w, int h) {
  CRasterImage image = SolidImage(w, h, 255, 255, 255);
  Fill(image, 50, 40, 40, 30, 255, 0, 0);
  Fill(image, 120, 80, 30, 30, 0, 160, 0);
  return image;
}

std::string WriteBmp(const TempDir& dir, const CRasterImage& image) {
  CImageFileRequest request;
  request.m_strFileName = (dir.path() / "tools.bmp").string();
  request.m_nWidth = static_cast<int16_t>(image.GetWidth());
  request.m_nHeight = static_cast<int16_t>(image.GetHeight());
  request.m_frames.push_back(MakeFrame(image));
  EXPECT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  return request.m_strFileName;
}

class SelectionTools : public ::testing::Test {
 protected:
  void Open(const CRasterImage& image, int zoom) {
    doc = OpenImageDocument(WriteBmp(dir, image));
    ASSERT_TRUE(doc);
    view = f.ViewOf(doc);
    ASSERT_TRUE(view);
    PumpFor(100);
    view->SetZoom(zoom);
    PumpFor(100);
    window = view->GetViewWindow();
  }
  void Tool(int id) {
    if (f.frame->GetCurrentTool() != id) f.frame->SelectTool(id);
    ASSERT_EQ(f.frame->GetCurrentTool(), id);
  }
  wxPoint Screen(int x, int y) const {
    const Point at = view->ImageToClient(Point{x, y});
    return window->ClientToScreen(wxPoint(at.x, at.y));
  }
  void MoveTo(const wxPoint& screen) {
    sim.MouseMove(screen);
    PumpUntil([&] { return wxGetMousePosition() == screen; }, 1000);
    PumpFor(30);
  }
  int Steps() const { return static_cast<int>(doc->GetUndoSteps().size()); }
  std::string UndoLabel() const {
    std::string label;
    doc->GetUndoLabel(label);
    return label;
  }
  // A click at a canvas pixel with keys held; waits for the undo history to grow.
  void ClickAt(int x, int y, int key = 0) {
    MoveTo(Screen(x, y));
    const int before = Steps();
    if (key) sim.KeyDown(key);
    PumpFor(30);
    sim.MouseClick();
    PumpUntil([&] { return Steps() > before; }, 2000);
    if (key) sim.KeyUp(key);
    PumpFor(50);
  }
  void Drag(const wxPoint& from, const wxPoint& to) {
    MoveTo(from);
    sim.MouseDown();
    PumpFor(50);
    MoveTo(wxPoint((from.x + to.x) / 2, (from.y + to.y) / 2));
    MoveTo(to);
    sim.MouseUp();
    PumpUntil([&] { return !view->IsDragging(); }, 2000);
    PumpFor(50);
  }
  CAnimFrame& Frame() { return *doc->GetCurrentFrame(); }
  Rect SelectionOnCanvas() {
    const CAnimFrame& fr = Frame();
    return Rect{fr.m_nLeft + fr.m_rcSelection.left, fr.m_nTop + fr.m_rcSelection.top,
                fr.m_nLeft + fr.m_rcSelection.left + fr.m_selection.GetWidth(),
                fr.m_nTop + fr.m_rcSelection.top + fr.m_selection.GetHeight()};
  }

  DocumentWindowFixture f;
  TempDir dir;
  PointerGuard pointer;
  wxUIActionSimulator sim;
  CPictoravellDoc* doc = nullptr;
  CPictoravellView* view = nullptr;
  CImageViewWindow* window = nullptr;
};

TEST_F(SelectionTools, RectangleDragSelectsAsOneStepWithoutModifying) {
  Open(TwoSquares(200, 150), 1);
  Tool(ID_TOOL_RECT_SELECT);
  const int before = Steps();
  Drag(Screen(10, 10), Screen(60, 40));
  EXPECT_EQ(Steps(), before + 1);
  EXPECT_EQ(UndoLabel(), "Selection Change");
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(Frame().m_selection.GetWidth(), 50);
  EXPECT_EQ(Frame().m_selection.GetHeight(), 30);
  const Rect s = SelectionOnCanvas();
  EXPECT_EQ(s.left, 10);
  EXPECT_EQ(s.top, 10);
  EXPECT_TRUE(view->AreAntsRunning());
  EXPECT_EQ(Frame().m_bBusy, 0);
  // A click without a drag drops the selection: one more step.
  ClickAt(100, 100);
  EXPECT_EQ(Steps(), before + 2);
  EXPECT_TRUE(Frame().m_selection.IsEmpty());
  EXPECT_EQ(Frame().m_image.GetWidth(), 200);
  EXPECT_FALSE(doc->IsModified());
  // A click without a selection records nothing.
  MoveTo(Screen(30, 30));
  sim.MouseClick();
  PumpFor(200);
  EXPECT_EQ(Steps(), before + 2);
  // Undo brings the selection back.
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(Frame().m_selection.GetWidth(), 50);
}

TEST_F(SelectionTools, RectangleAutoScrollsPastTheEdge) {
  Open(TwoSquares(400, 300), 4);
  Tool(ID_TOOL_RECT_SELECT);
  ASSERT_EQ(window->GetScrollPixels(), wxPoint(0, 0));
  const wxSize client = window->GetClientSize();
  MoveTo(Screen(5, 5));
  sim.MouseDown();
  PumpFor(50);
  // Held still below and right of the window: the view keeps scrolling.
  MoveTo(window->ClientToScreen(wxPoint(client.x + 20, client.y + 20)));
  PumpUntil([&] { return window->GetScrollPixels().x > 200 && window->GetScrollPixels().y > 200; }, 5000);
  const wxPoint scrolled = window->GetScrollPixels();
  EXPECT_GT(scrolled.x, 200);
  EXPECT_GT(scrolled.y, 200);
  EXPECT_TRUE(view->IsDragging());
  EXPECT_NE(Frame().m_bBusy, 0);  // commands wait while the rectangle is drawn
  sim.MouseUp();
  PumpUntil([&] { return !view->IsDragging(); }, 2000);
  // The selection reaches past what the window showed when the drag began.
  const Rect s = SelectionOnCanvas();
  EXPECT_EQ(s.left, 5);
  EXPECT_GT(s.right, client.x / 4 + 40);
  EXPECT_GT(s.bottom, client.y / 4 + 40);
  EXPECT_EQ(UndoLabel(), "Selection Change");
  EXPECT_EQ(Frame().m_bBusy, 0);
}

TEST_F(SelectionTools, MagicWandShiftAddsCtrlSubtracts) {
  Open(TwoSquares(200, 150), 2);
  Tool(ID_TOOL_MAGIC_WAND);
  const int before = Steps();
  ClickAt(60, 50);
  ASSERT_EQ(Steps(), before + 1);
  EXPECT_EQ(UndoLabel(), "Selection Change");
  Rect s = SelectionOnCanvas();
  EXPECT_EQ(s.left, 50);
  EXPECT_EQ(s.top, 40);
  EXPECT_EQ(s.right, 90);
  EXPECT_EQ(s.bottom, 70);
  ClickAt(130, 90, WXK_SHIFT);
  ASSERT_EQ(Steps(), before + 2);
  s = SelectionOnCanvas();
  EXPECT_EQ(s.left, 50);
  EXPECT_EQ(s.right, 150);
  EXPECT_EQ(s.bottom, 110);
  ClickAt(60, 50, WXK_CONTROL);
  ASSERT_EQ(Steps(), before + 3);
  s = SelectionOnCanvas();
  EXPECT_EQ(s.left, 120);
  EXPECT_EQ(s.top, 80);
  EXPECT_EQ(s.right, 150);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(Frame().m_bBusy, 0);
}

TEST_F(SelectionTools, MarchingAntsStepOnTheirTimerAroundTheOutline) {
  Open(TwoSquares(200, 150), 2);
  Tool(ID_TOOL_MAGIC_WAND);
  ClickAt(60, 50);
  ASSERT_TRUE(view->AreAntsRunning());
  EXPECT_EQ(view->GetAntsInterval() >= 150, true);
  const int phase = view->GetAntsPhase();
  PumpUntil([&] { return view->GetAntsPhase() != phase; }, 1000);
  EXPECT_NE(view->GetAntsPhase(), phase);
  const wxImage shot = paint_testing::CaptureWindow(window);
  const Point corner = view->ImageToClient(Point{50, 40});
  const Point inside = view->ImageToClient(Point{70, 55});
  // The outline is black or white; inside the selection the red stays.
  int outline = 0;
  for (int x = corner.x; x < corner.x + 80; ++x) {
    const wxColour c = paint_testing::PixelAt(shot, x, corner.y);
    outline += c == *wxBLACK || c == *wxWHITE;
  }
  EXPECT_EQ(outline, 80);
  EXPECT_EQ(paint_testing::PixelAt(shot, inside.x, inside.y), wxColour(255, 0, 0));
  // Outside the selection nothing is drawn over the white.
  const Point outside = view->ImageToClient(Point{30, 20});
  EXPECT_EQ(paint_testing::PixelAt(shot, outside.x, outside.y), wxColour(255, 255, 255));
  paint_testing::SaveForLooking(shot, "magic-wand-ants.png");
}

TEST_F(SelectionTools, MoveIsOneStepAndUndoIsOffWhileMoving) {
  Open(TwoSquares(200, 150), 1);
  Tool(ID_TOOL_MAGIC_WAND);
  ClickAt(60, 50);
  Tool(ID_TOOL_MOVE);
  const int before = Steps();
  MoveTo(Screen(60, 50));
  sim.MouseDown();
  PumpFor(50);
  MoveTo(Screen(70, 55));
  MoveTo(Screen(80, 60));
  EXPECT_TRUE(view->IsDragging());
  EXPECT_FALSE(f.IsEnabled(ID_EDIT_UNDO));
  sim.MouseUp();
  PumpUntil([&] { return !view->IsDragging(); }, 2000);
  EXPECT_EQ(Steps(), before + 1);
  EXPECT_EQ(UndoLabel(), "Move Selection");
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(SelectionOnCanvas().left, 70);
  EXPECT_EQ(SelectionOnCanvas().top, 50);
  EXPECT_TRUE(f.IsEnabled(ID_EDIT_UNDO));
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(SelectionOnCanvas().left, 50);

  // The image moves when the click misses the selection.
  MoveTo(Screen(10, 10));
  const int beforeImage = doc->GetUndoPosition();
  sim.MouseDown();
  PumpFor(50);
  MoveTo(Screen(15, 12));
  sim.MouseUp();
  PumpUntil([&] { return !view->IsDragging(); }, 2000);
  EXPECT_EQ(doc->GetUndoPosition(), beforeImage + 1);
  EXPECT_EQ(UndoLabel(), "Move Image");
  EXPECT_EQ(Frame().m_nLeft, 5);
  EXPECT_EQ(SelectionOnCanvas().left, 50);  // the selection stays in place
}

TEST_F(SelectionTools, LostCaptureMidMoveLeavesExactlyOneStep) {
  Open(TwoSquares(200, 150), 1);
  Tool(ID_TOOL_MAGIC_WAND);
  ClickAt(60, 50);
  Tool(ID_TOOL_MOVE);
  const int before = Steps();
  MoveTo(Screen(60, 50));
  sim.MouseDown();
  PumpFor(50);
  MoveTo(Screen(72, 58));
  ASSERT_TRUE(view->IsDragging());
  // Something else takes the mouse.
  wxWindow* other = f.frame;
  other->CaptureMouse();
  PumpUntil([&] { return !view->IsDragging(); }, 2000);
  other->ReleaseMouse();
  sim.MouseUp();
  PumpFor(100);
  EXPECT_FALSE(view->IsDragging());
  EXPECT_EQ(Steps(), before + 1);
  EXPECT_EQ(UndoLabel(), "Move Selection");
  EXPECT_EQ(SelectionOnCanvas().left, 62);
  EXPECT_EQ(Frame().m_bBusy, 0);
}

TEST_F(SelectionTools, ArrowKeysNudgeAsOneStepAtKeyUp) {
  Open(TwoSquares(200, 150), 2);
  Tool(ID_TOOL_MAGIC_WAND);
  ClickAt(60, 50);
  window->SetFocus();
  PumpFor(50);
  const int before = Steps();
  // Held down: the key repeats (key-downs only) until it is released.
  sim.KeyDown(WXK_RIGHT);
  PumpUntil([&] { return SelectionOnCanvas().left >= 53; }, 3000);
  EXPECT_TRUE(view->IsNudging());
  EXPECT_FALSE(f.IsEnabled(ID_EDIT_UNDO));
  sim.KeyUp(WXK_RIGHT);
  PumpUntil([&] { return !view->IsNudging(); }, 2000);
  const int moved = SelectionOnCanvas().left - 50;
  EXPECT_GE(moved, 3);
  EXPECT_EQ(Steps(), before + 1);
  EXPECT_EQ(UndoLabel(), "Move Selection");
  // Undo takes the whole nudge back.
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(SelectionOnCanvas().left, 50);
  f.Command(ID_EDIT_REDO);
  EXPECT_EQ(SelectionOnCanvas().left, 50 + moved);
  EXPECT_EQ(SelectionOnCanvas().top, 40);
  EXPECT_EQ(window->GetScrollPixels(), wxPoint(0, 0));  // the arrows did not scroll
}

TEST_F(SelectionTools, HandScrollsAndZoomToolKeepsThePixelUnderThePointer) {
  Open(TwoSquares(400, 300), 4);
  Tool(ID_TOOL_FREE_SCROLL);
  const wxPoint from = window->ClientToScreen(wxPoint(300, 300));
  Drag(from, from - wxPoint(100, 60));
  EXPECT_EQ(window->GetScrollPixels(), wxPoint(100, 60));
  EXPECT_EQ(Steps(), 0);

  // Magnified 4 and scrolled to the middle: room to keep the pixel in place.
  view->ScrollByPixels(300, 200);
  PumpFor(50);
  Tool(ID_TOOL_ZOOM);
  const wxPoint at = Screen(180, 120);
  MoveTo(at);
  sim.MouseClick();
  PumpUntil([&] { return view->GetZoom() == 5; }, 2000);
  EXPECT_EQ(view->GetZoom(), 5);
  const wxPoint client = window->ScreenToClient(at);
  EXPECT_EQ(view->ClientToImage(Point{client.x, client.y}).x, 180);
  EXPECT_EQ(view->ClientToImage(Point{client.x, client.y}).y, 120);
  sim.MouseClick(wxMOUSE_BTN_RIGHT);
  PumpUntil([&] { return view->GetZoom() == 4; }, 2000);
  EXPECT_EQ(view->GetZoom(), 4);
  EXPECT_EQ(view->ClientToImage(Point{client.x, client.y}).x, 180);
  EXPECT_EQ(view->ClientToImage(Point{client.x, client.y}).y, 120);
  // Ctrl-click at actual size gives -2.
  view->SetZoom(1);
  PumpFor(100);
  sim.KeyDown(WXK_CONTROL);
  PumpFor(30);
  MoveTo(Screen(100, 80));
  sim.MouseClick();
  sim.KeyUp(WXK_CONTROL);
  PumpUntil([&] { return view->GetZoom() == -2; }, 2000);
  EXPECT_EQ(view->GetZoom(), -2);
}

}  // namespace

namespace {

// Select All (Ctrl+A), Inverse Selection and Select None (Ctrl+D) from the
// keyboard and the menu: each one step, never marking the document
// modified; the edges can be hidden and shown again (Ctrl+H).
TEST_F(SelectionTools, SelectAllInverseAndNoneAreStepsThatNeverModify) {
  Open(TwoSquares(200, 150), 1);
  const int before = Steps();
  EXPECT_TRUE(f.IsEnabled(ID_SELECT_ALL));
  EXPECT_FALSE(f.IsEnabled(ID_SELECT_NONE));
  EXPECT_FALSE(f.IsEnabled(ID_SELECT_INVERSE));
  MoveTo(Screen(100, 75));
  window->SetFocus();
  sim.Char('A', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return Steps() == before + 1; }, 2000));
  EXPECT_EQ(UndoLabel(), "Select All");
  EXPECT_TRUE(Frame().m_image.IsEmpty());
  EXPECT_EQ(Frame().m_selection.GetWidth(), 200);
  EXPECT_FALSE(f.IsEnabled(ID_SELECT_ALL));
  EXPECT_TRUE(view->AreAntsRunning());
  // Inverse: image and selection change places.
  f.Command(ID_SELECT_INVERSE);
  EXPECT_EQ(UndoLabel(), "Select Inverse");
  EXPECT_TRUE(Frame().m_selection.IsEmpty());
  EXPECT_EQ(Frame().m_image.GetWidth(), 200);
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(Frame().m_selection.GetWidth(), 200);
  // Ctrl+H hides the edges (the ants stop), Ctrl+H shows them again.
  sim.Char('H', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return !view->AreSelectionEdgesShown(); }, 2000));
  EXPECT_FALSE(view->AreAntsRunning());
  sim.Char('H', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return view->AreSelectionEdgesShown(); }, 2000));
  EXPECT_TRUE(view->AreAntsRunning());
  // Ctrl+D composes the selection back into the image.
  const int position = doc->GetUndoPosition();
  sim.Char('D', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return doc->GetUndoPosition() == position + 1; }, 2000));
  EXPECT_EQ(UndoLabel(), "Select None");
  EXPECT_TRUE(Frame().m_selection.IsEmpty());
  EXPECT_EQ(Frame().m_image.GetWidth(), 200);
  EXPECT_FALSE(doc->IsModified());
}

}  // namespace
