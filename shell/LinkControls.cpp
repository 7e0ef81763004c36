#include "shell/LinkControls.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "shell/LinkLauncher.h"
#include "shell/UiTheme.h"

// --- CHyperlinkStatic ---------------------------------------------------------

CHyperlinkStatic::CHyperlinkStatic(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                                   const wxSize& size) {
  Create(parent, id, label, pos, size);
}

bool CHyperlinkStatic::Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                              const wxSize& size) {
  if (!CPaintedWindow::Create(parent, id, pos, size, 0, "hyperlink")) return false;
  SetLabel(label);
  SetCursor(wxCursor(wxCURSOR_HAND));
  Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) { Open(); });  // no default handling
  if (size == wxDefaultSize) SetInitialSize(GetBestSize());
  return true;
}

wxFont CHyperlinkStatic::LinkFont() const {
  wxFont font = GetFont().IsOk() ? GetFont() : ThemeFont();
  font.SetUnderlined(true);
  return font;
}

wxColour CHyperlinkStatic::GetPaintBackground() const {
  return GetParent() ? GetParent()->GetBackgroundColour() : GetBackgroundColour();
}

wxSize CHyperlinkStatic::DoGetBestClientSize() const {
  wxClientDC dc(const_cast<CHyperlinkStatic*>(this));
  dc.SetFont(LinkFont());
  return dc.GetTextExtent(GetLabel());
}

void CHyperlinkStatic::Open() {
  if (m_target.empty()) return;
  if (!OpenLinkInBrowser(m_target)) return;  // stays unvisited, no message
  m_bVisited = true;
  if (GetHandle()) Refresh();
}

void CHyperlinkStatic::Render(wxDC& dc) {
  dc.SetFont(LinkFont());
  dc.SetTextForeground(LinkColour(m_bVisited));
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.DrawText(GetLabel(), 0, 0);
}

// --- CLinkEdit ---------------------------------------------------------------

CLinkEdit::CLinkEdit(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  Create(parent, id, pos, size);
}

bool CLinkEdit::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  if (!CPaintedWindow::Create(parent, id, pos, size, 0, "linkedit")) return false;
  SetFont(ThemeFont());
  Bind(wxEVT_MOTION, &CLinkEdit::OnMotion, this);
  Bind(wxEVT_LEFT_DOWN, &CLinkEdit::OnLeftDown, this);
  Bind(wxEVT_CONTEXT_MENU, [](wxContextMenuEvent&) {});  // no context menu
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    m_layoutWidth = -1;
    e.Skip();
  });
  return true;
}

void CLinkEdit::SetText(const std::string& text) {
  m_text = text;
  m_layoutWidth = -1;
  if (GetHandle()) Refresh();
}

void CLinkEdit::Relayout(int width) {
  if (width == m_layoutWidth) return;
  wxBitmap one(1, 1);
  wxMemoryDC dc(one);
  dc.SetFont(GetFont());
  m_lineHeight = std::max(1, dc.GetCharHeight());
  m_words = LayoutLinkText(m_text, width, [&dc](std::string_view s) {
    return dc.GetTextExtent(wxString::FromUTF8(s.data(), s.size())).x;
  });
  m_layoutWidth = width;
}

int CLinkEdit::GetTextHeight(int width) {
  Relayout(width);
  return CountLayoutLines(m_words) * m_lineHeight;
}

std::string CLinkEdit::GetLinkAt(const wxPoint& point) {
  Relayout(GetClientSize().x);
  return LinkAtPoint(m_text, m_words, m_lineHeight, point.x, point.y);
}

void CLinkEdit::Render(wxDC& dc) {
  Relayout(GetRenderSize().x);
  wxFont normal = GetFont(), link = GetFont();
  link.SetUnderlined(true);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const wxColour text = ThemeColour(wxSYS_COLOUR_WINDOWTEXT);
  for (const LAYOUT_WORD& w : m_words) {
    dc.SetFont(w.link ? link : normal);
    dc.SetTextForeground(w.link ? LinkColour() : text);
    dc.DrawText(wxString::FromUTF8(m_text.data() + w.begin, w.end - w.begin), w.x, w.line * m_lineHeight);
  }
}

void CLinkEdit::OnMotion(wxMouseEvent& event) {
  SetCursor(wxCursor(GetLinkAt(event.GetPosition()).empty() ? wxCURSOR_ARROW : wxCURSOR_HAND));
  event.Skip();
}

void CLinkEdit::OnLeftDown(wxMouseEvent& event) {
  // No default handling: no caret, no selection.
  const std::string link = GetLinkAt(event.GetPosition());
  if (!link.empty()) OpenLinkInBrowser(link);  // a failure is ignored
}
