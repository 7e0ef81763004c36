#include "shell/ColorBox.h"

#include "shell/UiTheme.h"

CColorBox::CColorBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  Create(parent, id, pos, size);
}

bool CColorBox::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  if (!CPaintedWindow::Create(parent, id, pos, size, 0, "colorbox")) return false;
  Bind(wxEVT_LEFT_DOWN, &CColorBox::OnLeftDown, this);
  return true;
}

void CColorBox::SetColor(uint8_t blue, uint8_t green, uint8_t red) {
  m_color = MakeRGBQuad(red, green, blue);
  m_bHasColor = true;
  if (GetHandle()) Refresh();
}

void CColorBox::ClearColor() {
  m_color = RGBQUAD();
  m_bHasColor = false;
  if (GetHandle()) Refresh();
}

bool CColorBox::GetColor(RGBQUAD* out) const {
  if (!m_bHasColor || !out) return false;
  *out = m_color;
  out->rgbReserved = 0;
  return true;
}

void CColorBox::Render(wxDC& dc) {
  const wxSize s = GetRenderSize();
  const wxColour fill =
      m_bHasColor ? wxColour(m_color.rgbRed, m_color.rgbGreen, m_color.rgbBlue) : ThemeColour(wxSYS_COLOUR_APPWORKSPACE);
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(ThemeColour(wxSYS_COLOUR_WINDOWTEXT)));
  dc.DrawRectangle(0, 0, s.x, s.y);
  dc.SetBrush(wxBrush(fill));
  if (s.x > 2 && s.y > 2) dc.DrawRectangle(1, 1, s.x - 2, s.y - 2);
}

void CColorBox::OnLeftDown(wxMouseEvent& event) {
  if (m_callback) m_callback();
  event.Skip();
}
