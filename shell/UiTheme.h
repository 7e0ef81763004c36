#pragma once
// The one place painted windows take system colours and the control font
// from. Every painted control and dialog of the program asks the theme, never
// wxSystemSettings directly, so tests can fix the colours and the font and
// compare pixels on any desktop.

#include <wx/colour.h>
#include <wx/font.h>
#include <wx/settings.h>

#include <map>

class UiTheme {
 public:
  // The system colour, or the one a test put in its place.
  wxColour Colour(wxSystemColour id) const;
  // The font of custom controls (the desktop's GUI font), or the test's one.
  wxFont IconTitleFont() const;

  void SetColour(wxSystemColour id, const wxColour& colour) { m_colours[id] = colour; }
  void SetIconTitleFont(const wxFont& font) { m_font = font; }
  // Back to the system's values.
  void Reset();

 private:
  std::map<wxSystemColour, wxColour> m_colours;
  wxFont m_font;
};

// The program's theme.
UiTheme& GetUiTheme();
inline wxColour ThemeColour(wxSystemColour id) { return GetUiTheme().Colour(id); }
inline wxFont ThemeFont() { return GetUiTheme().IconTitleFont(); }

// Fixed colours for tests: window and text black on white, button face
// (240, 240, 240), shadow (160, 160, 160), scroll bar (200, 200, 200),
// highlight (0, 120, 215) with white
// text, application workspace (171, 171, 171). Restores the system's values
// when it goes.
class CFixedUiTheme {
 public:
  CFixedUiTheme();
  ~CFixedUiTheme();
  CFixedUiTheme(const CFixedUiTheme&) = delete;
  CFixedUiTheme& operator=(const CFixedUiTheme&) = delete;
};
