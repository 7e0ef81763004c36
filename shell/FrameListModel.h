#pragma once
// The window-free part of the animation frame list: row geometry over the
// document's frame array, the thumbnail fit, and the mouse and keyboard state
// machine (anchor, Shift ranges, Ctrl toggles, expand triangles, dragging
// with the insertion index). CFrameListCtrl feeds it points in content
// coordinates (y from the top of the first row) and paints what it says.
//
// The model works directly on the frames: it reads them and writes their
// selected and expanded flags; it does not own them. The owner hands it the
// array again whenever the document or its frames change.

#include <vector>

#include "imaging/AnimFrame.h"

// The canvas fitted into 64 x 48 (kept when it fits; 0 x 0 for a canvas
// with a side of 0 or less).
void FitFrameThumbnail(int canvasWidth, int canvasHeight, int& width, int& height);

// What an input did.
struct FRAME_LIST_RESULT {
  bool selectionChanged = false;  // repaint and tell the owner
  bool expandChanged = false;     // the content height changed
  bool repaintTriangle = false;   // the pressed triangle's highlight changed
  bool markChanged = false;       // the insertion mark moved
  bool moved = false;             // frames-moved with insertAt
  int insertAt = -1;
  int activated = -1;             // frame-activated with this index
  int ensureVisible = -1;         // a row the keyboard moved to
};

class CFrameListModel {
 public:
  enum MouseState { MOUSE_IDLE = 0, MOUSE_TRIANGLE = 1, MOUSE_ROW = 2 };

  // frames null: no image. textHeight: the measured height of the row text
  // (row height 16 below 12, else text height + 5).
  void SetFrames(int canvasWidth, int canvasHeight, std::vector<CAnimFrame>* frames, int textHeight);
  std::vector<CAnimFrame>* GetFrames() const { return m_frames; }
  int GetFrameCount() const { return m_frames ? static_cast<int>(m_frames->size()) : 0; }
  const CAnimFrame& Frame(int i) const { return (*m_frames)[static_cast<std::size_t>(i)]; }
  CAnimFrame& Frame(int i) { return (*m_frames)[static_cast<std::size_t>(i)]; }

  int GetRowHeight() const { return m_rowHeight; }
  int GetExtraHeight() const { return m_extraHeight; }
  int GetThumbWidth() const { return m_thumbWidth; }
  int GetThumbHeight() const { return m_thumbHeight; }
  int GetCanvasWidth() const { return m_canvasWidth; }
  int GetCanvasHeight() const { return m_canvasHeight; }
  int RowHeight(int i) const;
  int RowTop(int i) const;  // the sum of the rows above
  int GetContentHeight() const;
  // The row containing content y, or -1 (above 0 or below the last row).
  int RowAt(int y) const;
  // The insertion index for content y: the row whose upper half holds it,
  // the next one for a lower half, the frame count below every row.
  int HitTestInsertion(int y) const;
  int GetSelectedCount() const;
  int FirstSelected() const;

  // The mouse, in content coordinates.
  FRAME_LIST_RESULT Press(int x, int y, bool shift, bool ctrl);
  FRAME_LIST_RESULT Move(int x, int y, int insertion);
  FRAME_LIST_RESULT Release(int x, int y, bool shift, bool ctrl);
  FRAME_LIST_RESULT DoubleClick(int y);
  // Ends a press without effects (the mouse capture was lost).
  void Cancel();

  // The keyboard: up/down (delta rows, clamped), Home (-big), End (+big);
  // Shift extends from the anchor; Enter activates; Left/Right collapse and
  // expand the caret row.
  FRAME_LIST_RESULT Key(int delta, bool shift);
  FRAME_LIST_RESULT Activate();
  FRAME_LIST_RESULT Expand(bool expand);

  int GetMouseState() const { return m_mouseState; }
  bool IsDragging() const { return m_dragging; }
  int GetPressedRow() const { return m_pressedRow; }
  int GetAnchorRow() const { return m_anchorRow; }
  int GetCaretRow() const { return m_caretRow; }
  bool IsTriangleHot() const { return m_triangleHot; }
  // The held triangle's box in content coordinates (left, top, right, bottom exclusive).
  int ExpandBoxTop() const { return m_boxTop; }

 private:
  bool InExpandBox(int x, int y) const;
  void SelectOnly(int row);
  void SelectRange(int from, int to);

  std::vector<CAnimFrame>* m_frames = nullptr;
  int m_canvasWidth = 64, m_canvasHeight = 64;
  int m_thumbWidth = 64, m_thumbHeight = 48;
  int m_rowHeight = 16, m_extraHeight = 32;
  int m_mouseState = MOUSE_IDLE;
  int m_boxLeft = 0, m_boxTop = 0, m_boxRight = 0, m_boxBottom = 0;
  bool m_triangleHot = false;
  int m_pressedRow = -1;
  int m_anchorRow = -1;
  int m_caretRow = -1;
  bool m_dragging = false;
};
