#pragma once
// The owner-painted list of an animation's frames (the Animation page of the
// task pane). One row per frame: an expand triangle, the frame number and,
// with more than one frame, the disposal glyph, a clock and the display time;
// an expanded row adds the frame's thumbnail composed on the canvas and the
// sizes of its image and selection. Rows are selected with clicks, Shift
// ranges and Ctrl toggles or the keyboard, and the selected frames are
// dragged to a new place (the list scrolls while the mouse is held beyond
// its top or bottom). Four callbacks tell the owner: selection changed,
// frames moved (to an insertion index), frame activated (double-click or
// Enter) and content height changed.
//
// The state machine and geometry live in CFrameListModel.

#include <wx/scrolbar.h>
#include <wx/timer.h>

#include <functional>
#include <map>
#include <string>

#include "shell/FrameListModel.h"
#include "shell/PaintedWindow.h"

class CFrameListCtrl : public CPaintedWindow {
 public:
  CFrameListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize);
  ~CFrameListCtrl() override;

  // The canvas size and the frame array (null: no image). Forgets the anchor.
  void SetFrames(int canvasWidth, int canvasHeight, std::vector<CAnimFrame>* frames);
  // The same frames changed in place (count, flags, images): repaint and
  // re-measure, keeping the anchor.
  void FramesChanged();
  int GetContentHeight() const { return m_model.GetContentHeight(); }
  int GetSelectedCount() const { return m_model.GetSelectedCount(); }
  CFrameListModel& GetModel() { return m_model; }

  void SetSelectionCallback(std::function<void(int)> callback) { m_onSelection = std::move(callback); }
  void SetMoveCallback(std::function<void(int)> callback) { m_onMove = std::move(callback); }
  void SetActivateCallback(std::function<void(int)> callback) { m_onActivate = std::move(callback); }
  void SetHeightCallback(std::function<void()> callback) { m_onHeight = std::move(callback); }

  int GetScrollPosition() const { return m_scroll; }
  // Scrolls to a content position (clamped); the SB_ codes as functions.
  void ScrollTo(int position);
  void PageDown();
  void PageUp();
  bool IsScrollBarShown() const { return m_scrollBar && m_scrollBar->IsShown(); }
  // The list area: the client area less the scroll bar when it is shown.
  wxRect GetListRect() const;
  // The insertion index for a client y (clamped to the client area).
  int HitTestInsertion(int clientY) const;
  // Content y of the insertion mark, or -1 when none is shown.
  int GetInsertionMarkY() const;
  bool IsAutoScrolling() const { return m_autoScroll.IsRunning(); }

  // Input in client coordinates, as the events give it; public for tests.
  void MouseDown(const wxPoint& point, bool shift, bool ctrl);
  void MouseMove(const wxPoint& point);
  void MouseUp(const wxPoint& point, bool shift, bool ctrl);
  void MouseDoubleClick(const wxPoint& point);
  bool KeyDown(int keyCode, bool shift);

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;
  // Draws one row with its top at y (client coordinates) over width.
  void DrawRow(wxDC& dc, int index, int y, int width);

  // The glyphs (tests check their pixels).
  static void DrawDisposalGlyph(wxDC& dc, int type, int x, int y, const wxColour& colour);
  static void DrawClockGlyph(wxDC& dc, int x, int y, const wxColour& colour);
  static void DrawExpandTriangle(wxDC& dc, int x, int y, bool expanded, const wxColour& colour, bool highlighted);

 private:
  void Apply(const FRAME_LIST_RESULT& result);
  void UpdateScrollBar();
  void EnsureVisible(int row);
  void RefreshMark(int index);
  void StartAutoScroll();
  bool AutoScrollStep();
  int MeasureTextHeight() const;

  void OnLeftDown(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnDoubleClick(wxMouseEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnWheel(wxMouseEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnScroll(wxScrollEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);

  CFrameListModel m_model;
  wxScrollBar* m_scrollBar = nullptr;
  int m_scroll = 0;
  wxTimer m_autoScroll;
  wxPoint m_lastPoint;
  std::function<void(int)> m_onSelection, m_onMove, m_onActivate;
  std::function<void()> m_onHeight;
};
