#pragma once
// The message pane: a bar along the bottom of the main frame, above the status
// bar, listing every message reported through ReportMessage with an icon for
// its level. It shows itself when a message arrives, scrolls to the newest
// one, has a close button at its top left and a strip along its top edge by
// which its height is dragged, and keeps its height and visibility in the
// "Message Pane" settings.

#include <wx/bitmap.h>
#include <wx/scrolbar.h>
#include <wx/window.h>

#include <string>
#include <vector>

#include "base/MessageReport.h"

class CMessagePane : public wxWindow, public IMessageSink {
 public:
  static constexpr int kRowHeight = 20;
  // The id of the pane's vertical scroll bar.
  static constexpr int kScrollBarId = 102;
  static constexpr int kDefaultHeight = 80;

  // Reads "Height" and "Visible"; sets g_pMessagePane.
  CMessagePane();
  ~CMessagePane() override;
  // Creates the window as a child of the frame, shown only when the stored
  // visible flag is set.
  bool Create(wxWindow* parent, wxWindowID id);

  // IMessageSink: adds a row (errors beep first), shows the pane when hidden
  // and scrolls to the new row.
  void AddMessage(int level, const std::string& text) override;
  void Clear();
  int GetCount() const { return static_cast<int>(m_messages.size()); }
  int GetMessageLevel(int index) const { return m_messages[static_cast<std::size_t>(index)].level; }
  const std::string& GetMessageText(int index) const { return m_messages[static_cast<std::size_t>(index)].text; }
  // Writes "Height" and the current visibility as "Visible".
  void SaveState();
  // Sets the scroll bar from the list and the position; true when it is shown.
  bool UpdateScrollBar();

  int GetPaneHeight() const { return m_height; }
  int GetScrollPos() const { return m_scrollPos; }
  bool IsScrollBarShown() const { return m_scrollBar && m_scrollBar->IsShown(); }
  int GetCloseLook() const { return m_closeLook; }

  // Geometry in client coordinates.
  wxRect GetListOuterRect() const;
  wxRect GetListInnerRect() const;
  wxRect GetSizeStripRect() const;
  wxRect GetCloseButtonRect() const;

  // The opaque colour of the list (the tooltip background over the button face).
  wxColour GetListBackgroundColour() const;
  // Draws the whole pane into dc (the paint handler's work).
  void Render(wxDC& dc);

 private:
  struct Entry {
    std::string text;
    int level;
  };
  enum { DRAG_NONE = 0, DRAG_CLOSE = 1, DRAG_HEIGHT = 2 };

  void SetPaneVisible(bool visible);
  void ScrollTo(int position);
  int MaxScrollPos() const;
  void SetHeight(int height);
  void UpdateCloseLook(const wxPoint& point);
  void PlaceScrollBar();
  void DrawCloseButton(wxDC& dc);

  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnScroll(wxScrollEvent& event);

  wxBitmap m_closeBitmap;
  wxFont m_font;
  wxBitmap m_icons[3];
  wxScrollBar* m_scrollBar = nullptr;
  int m_scrollPos = 0;
  std::vector<Entry> m_messages;
  int m_drag = DRAG_NONE;
  int m_closeLook = 0;  // 0 flat, 1 pressed, 2 hot
  wxPoint m_dragStart;
  int m_height = kDefaultHeight;
  bool m_visible = true;
};

extern CMessagePane* g_pMessagePane;
