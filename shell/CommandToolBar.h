#pragma once
// A plain toolbar of painted picture buttons: each button sends its command
// to the top-level window as a menu item would, and is enabled by the same
// update-UI rule as the menus (a command that nobody enables stays grey, its
// picture greyed as the flat toolbars grey theirs). Pictures come from the
// desktop icon theme, else from the program's own art (MakeToolImage); the
// button's text is its tooltip and its help shows in the status bar while
// the mouse is over it. The Animation page loads its buttons from the table
// by resource id (the mode tab bar's toolbars: shell/FlatToolBar).

#include <wx/image.h>

#include <string>
#include <vector>

#include "resources/ToolbarResources.h"
#include "shell/PaintedWindow.h"

struct TOOLBAR_BUTTON {
  int command = 0;  // 0: a separator
  const char* text = "";       // the tooltip
  const char* themeIcon = "";  // the icon-theme name
  TOOL_ART art = TOOL_ART_NONE;  // our own art when the theme has none
  const char* help = "";       // the status-bar text
};

// The buttons of a toolbar resource (empty for an unknown one).
std::vector<TOOLBAR_BUTTON> GetToolbarButtons(int resource);

// The Animation page's toolbar.
constexpr int IDR_ANIMATION_TOOLBAR = 314;

class CCommandToolBar : public CPaintedWindow {
 public:
  CCommandToolBar(wxWindow* parent, wxWindowID id);
  ~CCommandToolBar() override;
  // False for an unknown resource (the buttons are then left as they were).
  bool LoadButtons(int resource);
  int GetResource() const { return m_resource; }
  int GetButtonCount() const { return static_cast<int>(m_buttons.size()); }
  int GetButtonCommand(int index) const;
  // The label of a button: the table's text unless one was set.
  void SetButtonText(int index, const std::string& text);
  std::string GetButtonText(int index) const;
  bool IsButtonEnabled(int index) const;
  std::string GetButtonHelp(int index) const;
  // The picture a button shows (enabled or greyed); empty for a separator.
  wxImage GetButtonImage(int index, bool disabled = false) const;
  // The size of the pictures in pixels (16 times the content scale).
  int GetImageSize() const { return m_imageSize; }
  wxRect GetButtonRect(int index) const;
  int HitTest(const wxPoint& point) const;
  // Asks the top-level window which buttons are enabled (done at idle).
  void UpdateButtons();
  // Sends a button's command, as a click does.
  void ClickButton(int index);

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;

 private:
  struct Button {
    int command;
    std::string text;
    bool enabled;
    std::string help;
    wxImage image, grey;
  };
  void Relayout();
  void ShowHelp(int index);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnIdle(wxIdleEvent& event);

  std::vector<Button> m_buttons;
  std::vector<wxRect> m_rects;
  int m_resource = 0;
  int m_hot = -1;
  int m_pressed = -1;
  int m_imageSize = 16;
  bool m_helpShown = false;
};
