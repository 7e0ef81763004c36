#pragma once
// The mode tab bar under the main window's menu: painted tabs for the modes
// the user can choose ("View & Edit", "Browse"), and right of them a toolbar
// whose buttons follow the mode. A click on a tab sends the tab's command to
// the main window, which switches the mode and selects the tab again. A
// hovered tab glows and its orange top edge pulses, stepped by a 70 ms
// timer that runs only until every tab has settled.
//
// The glow and pulse stepper (ModeTabHover, ModeTabStep) is window-free.

#include <wx/timer.h>

#include <string>
#include <vector>

#include "shell/PaintedWindow.h"

class CTrueColorToolBar;

constexpr int kModeTabLevels = 9;

struct CModeTab {
  int toolbarResource = 0;
  int command = 0;
  wxString caption;
  int pulse = 0;  // 0..9, the orange of the top edge while hovered
  int hover = 0;  // 0 not hovered, 1 pulse rising, 2 pulse falling
  int glow = 0;   // 0..9, how far the body has lightened
};

// The mouse is over tab hit (-1: none): every other tab stops hovering; the
// hit tab starts rising unless it already pulses.
void ModeTabHover(std::vector<CModeTab>& tabs, int hit);
// One animation step; true when every tab was settled at its start (the
// timer may stop).
bool ModeTabStep(std::vector<CModeTab>& tabs);

// TabShade: a blended towards b by (i / n) squared.
wxColour TabShade(const wxColour& a, const wxColour& b, int i, int n);

class CModeTabBar : public CPaintedWindow {
 public:
  static constexpr int kHeight = 32;
  static constexpr int kToolImageSize = 16;  // logical pixels
  CModeTabBar(wxWindow* parent, wxWindowID id);
  ~CModeTabBar() override;

  void AddTab(const wxString& caption, int command, int toolbarResource);
  // Nothing for an index beyond the tabs; else leaves preview mode and loads
  // the tab's toolbar.
  void SelectTab(int index);
  // The print preview modes: the tab shown as selected, the preview toolbar;
  // tab clicks are ignored until a tab is selected again.
  void SetPreviewToolbar(int index, int toolbarResource, bool contactSheet);
  int GetSelectedTab() const { return m_selected; }
  bool IsPreviewMode() const { return m_preview; }
  int GetTabCount() const { return static_cast<int>(m_tabs.size()); }
  const std::vector<CModeTab>& GetTabs() const { return m_tabs; }
  wxRect GetTabRect(int index) const;
  int HitTestTab(const wxPoint& point) const;

  // The toolbar right of the tabs.
  CTrueColorToolBar* GetToolBar() const { return m_toolbar; }
  int GetToolbarResource() const { return m_toolbarResource; }
  bool IsContactSheetToolbar() const { return m_contactSheet; }
  void SetButtonText(int index, const std::string& text);
  std::string GetButtonText(int index) const;

  // Input as the mouse gives it (client coordinates); public for tests.
  void MouseDown(const wxPoint& point);
  void MouseMove(const wxPoint& point);
  void MouseLeave();
  void AnimationStep();
  bool IsTimerRunning() const { return m_timer.IsRunning(); }
  int GetTimerStarts() const { return m_timerStarts; }

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;

 private:
  void DrawTab(wxDC& dc, const CModeTab& tab, const wxRect& rect, bool selected);
  void PlaceToolbar();
  void InvalidateTabs();
  wxFont CaptionFont(bool selected) const;

  std::vector<CModeTab> m_tabs;
  bool LoadToolbar(int resource);

  CTrueColorToolBar* m_toolbar = nullptr;
  int m_toolbarResource = 0;
  bool m_preview = false;
  bool m_contactSheet = false;
  int m_selected = -1;
  bool m_tracking = false;
  wxTimer m_timer;
  int m_timerStarts = 0;
};
