#pragma once
// The main frame's status bar: the message text (menu help and the status
// stack's texts), a 50-step progress pane, and two readout panes whose
// content follows the frame's mode (cursor position and pixel colour in View
// and Edit, file counts in Browse, blank otherwise).

#include <wx/statusbr.h>

#include <array>
#include <string>

#include "base/StatusStack.h"

enum STATUS_LAYOUT { STATUS_LAYOUT_BLANK = 0, STATUS_LAYOUT_PIXEL = 1, STATUS_LAYOUT_FILES = 2 };

class CMainStatusBar : public wxStatusBar, public IStatusDisplay {
 public:
  CMainStatusBar();
  ~CMainStatusBar() override;
  bool Create(wxWindow* parent);

  void SetLayout(int layout);
  int GetLayout() const { return m_layout; }

  // Readouts (through g_pStatusBar by the free functions below).
  void SetPixelInfo(int x, int y, int red, int green, int blue, int alpha);
  void ClearPixelInfo();
  void SetFileCounts(int files, int selected);
  bool IsReadoutValid() const { return m_readoutValid; }

  // IStatusDisplay: the status stack's text and progress.
  void ShowStatusText(const std::string& text) override;
  void StartProgress() override;
  void ShowProgressSteps(int steps) override;
  void EndProgress() override;
  int GetProgressSteps() const { return m_progressSteps; }

  // What pane 2 or 3 shows now (the text part), for tests and tooltips.
  std::string GetPaneText(int pane) const;
  // The colours of the progress pane's done and remaining parts.
  static wxColour GetProgressColour(bool done);
  // Draws pane 1, 2 or 3 into rect (client coordinates of dc).
  void RenderPane(wxDC& dc, int pane, const wxRect& rect) const;
  // How many times each pane was asked to repaint (tests of the partial updates).
  int GetPaneRefreshCount(int pane) const { return m_refreshCounts[static_cast<std::size_t>(pane)]; }

 private:
  class CPaneWindow;
  void PlacePanes();
  void RefreshPane(int pane, bool now = false);
  void DrawProgress(wxDC& dc, const wxRect& rect) const;
  void DrawPixelPane(wxDC& dc, int pane, const wxRect& rect) const;

  wxFont m_font;
  int m_layout = STATUS_LAYOUT_BLANK;
  int m_files = 0;
  int m_selected = 0;
  bool m_readoutValid = false;
  int m_x = -1, m_y = -1;
  int m_red = -1, m_green = -1, m_blue = -1, m_alpha = -1;
  int m_progressSteps = -1;
  std::array<CPaneWindow*, 4> m_panes{};
  std::array<int, 4> m_refreshCounts{};
};

extern CMainStatusBar* g_pStatusBar;

void SetStatusPixelInfo(int x, int y, int red, int green, int blue, int alpha);
void ClearStatusPixelInfo();
void SetStatusFileCounts(int files, int selected);

// The name image editing views are created with.
extern const char* const kImageViewWindowName;
// Clears the readout unless the mouse is over an image editing view (run at
// idle time: the readout must not stay when the mouse has left the image).
void ClearStatusPixelInfoOutsideImageViews();
