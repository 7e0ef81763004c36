#include "shell/UiTheme.h"

wxColour UiTheme::Colour(wxSystemColour id) const {
  const auto it = m_colours.find(id);
  return it != m_colours.end() ? it->second : wxSystemSettings::GetColour(id);
}

wxFont UiTheme::IconTitleFont() const {
  return m_font.IsOk() ? m_font : wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
}

void UiTheme::Reset() {
  m_colours.clear();
  m_font = wxFont();
}

UiTheme& GetUiTheme() {
  static UiTheme theme;
  return theme;
}

CFixedUiTheme::CFixedUiTheme() {
  UiTheme& t = GetUiTheme();
  t.Reset();
  const wxColour white(255, 255, 255), black(0, 0, 0);
  t.SetColour(wxSYS_COLOUR_WINDOW, white);
  t.SetColour(wxSYS_COLOUR_WINDOWTEXT, black);
  t.SetColour(wxSYS_COLOUR_BTNFACE, wxColour(240, 240, 240));
  t.SetColour(wxSYS_COLOUR_BTNTEXT, black);
  t.SetColour(wxSYS_COLOUR_BTNSHADOW, wxColour(160, 160, 160));
  t.SetColour(wxSYS_COLOUR_BTNHIGHLIGHT, white);
  t.SetColour(wxSYS_COLOUR_HIGHLIGHT, wxColour(0, 120, 215));
  t.SetColour(wxSYS_COLOUR_HIGHLIGHTTEXT, white);
  t.SetColour(wxSYS_COLOUR_APPWORKSPACE, wxColour(171, 171, 171));
  t.SetColour(wxSYS_COLOUR_GRAYTEXT, wxColour(109, 109, 109));
  t.SetColour(wxSYS_COLOUR_INFOBK, wxColour(255, 255, 225));
  t.SetColour(wxSYS_COLOUR_INFOTEXT, black);
  t.SetColour(wxSYS_COLOUR_SCROLLBAR, wxColour(200, 200, 200));
  t.SetIconTitleFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_SWISS).FaceName("DejaVu Sans")));
}

CFixedUiTheme::~CFixedUiTheme() { GetUiTheme().Reset(); }
