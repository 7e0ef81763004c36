#include "shell/WelcomePage.h"

#include <wx/dc.h>
#include <wx/settings.h>

namespace {

// Measures with the page's fonts, as the paint draws.
class CWindowMeasurer : public welcome::ITextMeasurer {
 public:
  CWindowMeasurer(const wxWindow& window, const wxFont* fonts) : m_window(window), m_fonts(fonts) {}
  int TextWidth(const std::string& text, welcome::MarkupFont font) const override {
    int w = 0, h = 0;
    m_window.GetTextExtent(wxString::FromUTF8(text), &w, &h, nullptr, nullptr, &m_fonts[font]);
    return w;
  }
  int TextHeight(welcome::MarkupFont font) const override {
    int w = 0, h = 0;
    m_window.GetTextExtent("Ag", &w, &h, nullptr, nullptr, &m_fonts[font]);
    return h;
  }

 private:
  const wxWindow& m_window;
  const wxFont* m_fonts;
};

}  // namespace

CWelcomePage::CWelcomePage(wxWindow* parent)
    : CPaintedWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "welcome"),
      m_linkCursor(wxCURSOR_HAND),
      m_arrowCursor(wxCURSOR_ARROW),
      m_markup(welcome::WelcomeMarkupText()) {
  const wxFont base = wxSystemSettings::GetFont(wxSYS_ICONTITLE_FONT);
  wxFont bold = base;
  bold.SetNumericWeight(600);
  m_fonts[welcome::FONT_NORMAL] = base;
  m_fonts[welcome::FONT_UNDERLINED] = base.Underlined();
  m_fonts[welcome::FONT_BOLD] = bold;
  m_fonts[welcome::FONT_BOLD_UNDERLINED] = bold.Underlined();
  SetBackgroundColour(*wxWHITE);
  Bind(wxEVT_MOTION, &CWelcomePage::OnMotion, this);
  Bind(wxEVT_LEFT_DOWN, &CWelcomePage::OnLeftDown, this);
  Bind(wxEVT_SIZE, &CWelcomePage::OnSize, this);
}

const welcome::MarkupLayout& CWelcomePage::GetLayout() {
  const wxSize size = GetClientSize();
  if (size != m_layoutSize) {
    m_layout = welcome::LayOutMarkup(m_markup, size.x, size.y, CWindowMeasurer(*this, m_fonts));
    m_layoutSize = size;
  }
  return m_layout;
}

void CWelcomePage::Render(wxDC& dc) {
  const welcome::MarkupLayout& layout = GetLayout();
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const wxColour caption = wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVECAPTION);
  dc.SetPen(wxPen(caption));
  dc.SetBrush(wxBrush(caption));
  for (const welcome::LinkRect& b : layout.bullets)
    dc.DrawEllipse(b.left, b.top, b.right - b.left, b.bottom - b.top);
  for (const welcome::LaidWord& word : layout.words) {
    dc.SetFont(m_fonts[word.font]);
    dc.SetTextForeground(word.link ? wxColour(0, 0, 255) : *wxBLACK);
    dc.DrawText(wxString::FromUTF8(word.text), word.x, word.y);
  }
}

bool CWelcomePage::ClickAt(const wxPoint& point) {
  const welcome::LinkRecord* link = welcome::HitTestLinks(GetLayout(), point.x, point.y);
  if (!link) return false;
  const int command = welcome::CommandForKeyword(link->keyword);
  wxWindow* top = wxGetTopLevelParent(this);
  if (!command || !top) return false;
  wxCommandEvent event(wxEVT_MENU, command);
  event.SetEventObject(top);
  top->GetEventHandler()->ProcessEvent(event);
  return true;
}

void CWelcomePage::OnMotion(wxMouseEvent& event) {
  const bool overLink = welcome::HitTestLinks(GetLayout(), event.GetX(), event.GetY()) != nullptr;
  SetCursor(overLink ? m_linkCursor : m_arrowCursor);
  event.Skip();
}

void CWelcomePage::OnLeftDown(wxMouseEvent& event) {
  // The command may destroy or hide this page (browse mode, an opened
  // document), so nothing of the page is used after it.
  ClickAt(event.GetPosition());
}

void CWelcomePage::OnSize(wxSizeEvent& event) {
  Refresh();  // the text wraps again at the new width
  event.Skip();
}
