#include "shell/MessagePane.h"

#include <wx/artprov.h>
#include <wx/dcbuffer.h>
#include <wx/image.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include <algorithm>

#include "base/Profile.h"

CMessagePane* g_pMessagePane = nullptr;

namespace {

const char* const kSection = "Message Pane";

int Metric(wxSystemMetric metric, int fallback) {
  const int value = wxSystemSettings::GetMetric(metric);
  return value > 0 ? value : fallback;
}
int FrameHeight() { return Metric(wxSYS_FRAMESIZE_Y, 4); }
int EdgeX() { return Metric(wxSYS_EDGE_X, 2); }
int EdgeY() { return Metric(wxSYS_EDGE_Y, 2); }

// System colours without their translucency (themes give the tooltip colours
// with alpha): composed over the button face.
wxColour Sys(wxSystemColour c) {
  const wxColour colour = wxSystemSettings::GetColour(c);
  if (colour.Alpha() == wxALPHA_OPAQUE || c == wxSYS_COLOUR_BTNFACE) return colour;
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const int a = colour.Alpha();
  auto mix = [a](int fg, int bg) { return static_cast<unsigned char>((fg * a + bg * (255 - a) + 127) / 255); };
  return wxColour(mix(colour.Red(), face.Red()), mix(colour.Green(), face.Green()), mix(colour.Blue(), face.Blue()));
}

// The close glyph: a small cross, 8 x 7 pixels, drawn in the button text colour.
wxBitmap MakeCloseBitmap() {
  static const char* const rows[] = {
      "XX....XX",
      ".XX..XX.",
      "..XXXX..",
      "...XX...",
      "..XXXX..",
      ".XX..XX.",
      "XX....XX",
  };
  const wxColour ink = Sys(wxSYS_COLOUR_BTNTEXT);
  wxImage image(8, 7);
  image.InitAlpha();
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 8; ++x) {
      image.SetRGB(x, y, ink.Red(), ink.Green(), ink.Blue());
      image.SetAlpha(x, y, rows[y][x] == 'X' ? 255 : 0);
    }
  return wxBitmap(image);
}

}  // namespace

CMessagePane::CMessagePane() {
  m_font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  m_closeBitmap = MakeCloseBitmap();
  const wxArtID ids[3] = {wxART_INFORMATION, wxART_WARNING, wxART_ERROR};
  for (int i = 0; i < 3; ++i) {
    m_icons[i] = wxArtProvider::GetBitmap(ids[i], wxART_MENU, wxSize(16, 16));
    if (m_icons[i].IsOk() && (m_icons[i].GetWidth() != 16 || m_icons[i].GetHeight() != 16))
      m_icons[i] = wxBitmap(m_icons[i].ConvertToImage().Rescale(16, 16, wxIMAGE_QUALITY_HIGH));
  }
  m_height = GetProfileInt(kSection, "Height", kDefaultHeight);
  if (m_height <= 0) m_height = kDefaultHeight;  // a broken value would hide the list for good
  m_visible = GetProfileInt(kSection, "Visible", 1) != 0;
  g_pMessagePane = this;
}

CMessagePane::~CMessagePane() {
  m_messages.clear();
  if (g_pMessagePane == this) g_pMessagePane = nullptr;
}

bool CMessagePane::Create(wxWindow* parent, wxWindowID id) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (!wxWindow::Create(parent, id, wxDefaultPosition, wxSize(-1, m_height), wxBORDER_NONE | wxCLIP_CHILDREN))
    return false;
  SetMinSize(wxSize(-1, m_height));
  Show(m_visible);
  m_scrollBar = new wxScrollBar(this, kScrollBarId, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);
  m_scrollBar->Hide();
  Bind(wxEVT_PAINT, &CMessagePane::OnPaint, this);
  Bind(wxEVT_SIZE, &CMessagePane::OnSize, this);
  Bind(wxEVT_LEFT_DOWN, &CMessagePane::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CMessagePane::OnLeftUp, this);
  Bind(wxEVT_MOTION, &CMessagePane::OnMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, &CMessagePane::OnLeave, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CMessagePane::OnCaptureLost, this);
  m_scrollBar->Bind(wxEVT_SCROLL_LINEUP, &CMessagePane::OnScroll, this);
  m_scrollBar->Bind(wxEVT_SCROLL_LINEDOWN, &CMessagePane::OnScroll, this);
  m_scrollBar->Bind(wxEVT_SCROLL_PAGEUP, &CMessagePane::OnScroll, this);
  m_scrollBar->Bind(wxEVT_SCROLL_PAGEDOWN, &CMessagePane::OnScroll, this);
  m_scrollBar->Bind(wxEVT_SCROLL_THUMBTRACK, &CMessagePane::OnScroll, this);
  m_scrollBar->Bind(wxEVT_SCROLL_THUMBRELEASE, &CMessagePane::OnScroll, this);
  m_scrollBar->Bind(wxEVT_SCROLL_TOP, &CMessagePane::OnScroll, this);
  m_scrollBar->Bind(wxEVT_SCROLL_BOTTOM, &CMessagePane::OnScroll, this);
  PlaceScrollBar();
  UpdateScrollBar();
  return true;
}

wxRect CMessagePane::GetListOuterRect() const {
  const wxSize client = GetClientSize();
  const int fc = FrameHeight();
  wxRect frame(0, fc, client.x, std::max(0, client.y - 2 * fc));
  wxRect outer = frame;
  outer.x += 20;
  outer.width = std::max(0, outer.width - 20);
  outer.height = std::max(0, outer.height - 2);
  return outer;
}

wxRect CMessagePane::GetListInnerRect() const {
  wxRect inner = GetListOuterRect();
  inner.Deflate(EdgeX(), EdgeY());
  if (IsScrollBarShown()) inner.width = std::max(0, inner.width - m_scrollBar->GetSize().x);
  inner.width = std::max(0, inner.width);
  inner.height = std::max(0, inner.height);
  return inner;
}

wxRect CMessagePane::GetSizeStripRect() const {
  const wxRect outer = GetListOuterRect();
  return wxRect(outer.x, 0, outer.width, outer.y);
}

wxRect CMessagePane::GetCloseButtonRect() const {
  const int left = 5, top = FrameHeight() + 3;
  const wxSize bmp = m_closeBitmap.GetSize();
  return wxRect(wxPoint(left - 3, top - 3), wxPoint(left + bmp.x + 3, top + bmp.y + 3));
}

void CMessagePane::AddMessage(int level, const std::string& text) {
  if (level == MESSAGE_ERROR) wxBell();
  m_messages.push_back(Entry{text, std::clamp(level, 0, 2)});
  if (!GetHandle()) return;
  if (!IsShown()) SetPaneVisible(true);
  if (UpdateScrollBar()) ScrollTo(MaxScrollPos());
  RefreshRect(GetListInnerRect(), false);
}

void CMessagePane::Clear() {
  if (m_messages.empty()) return;
  m_messages.clear();
  m_scrollPos = 0;
  UpdateScrollBar();
  RefreshRect(GetListInnerRect(), false);
}

void CMessagePane::SaveState() {
  if (GetHandle()) m_visible = IsShown();
  WriteProfileInt(kSection, "Height", m_height);
  WriteProfileInt(kSection, "Visible", m_visible ? 1 : 0);
}

void CMessagePane::SetPaneVisible(bool visible) {
  Show(visible);
  m_visible = visible;
  if (GetParent()) GetParent()->Layout();
}

int CMessagePane::MaxScrollPos() const {
  wxRect inner = GetListOuterRect();
  inner.Deflate(EdgeX(), EdgeY());
  return GetCount() * kRowHeight - std::max(0, inner.height);
}

bool CMessagePane::UpdateScrollBar() {
  wxRect inner = GetListOuterRect();
  inner.Deflate(EdgeX(), EdgeY());
  const int total = GetCount() * kRowHeight;
  const int page = std::max(0, inner.height);
  const int maxPos = total - page;
  if (m_scrollPos < 0 || maxPos < 0)
    m_scrollPos = 0;
  else
    m_scrollPos = std::min(m_scrollPos, maxPos);
  const bool show = page < total;
  if (m_scrollBar) {
    m_scrollBar->SetScrollbar(m_scrollPos, std::max(1, page), std::max(total, 1), std::max(1, page - kRowHeight));
    if (m_scrollBar->IsShown() != show) {
      m_scrollBar->Show(show);
      Refresh(false);
    }
  }
  return show;
}

void CMessagePane::ScrollTo(int position) {
  const int maxPos = MaxScrollPos();
  position = maxPos > 0 ? std::clamp(position, 0, maxPos) : 0;
  if (position == m_scrollPos) return;
  m_scrollPos = position;
  UpdateScrollBar();
  RefreshRect(GetListInnerRect(), false);
}

void CMessagePane::PlaceScrollBar() {
  if (!m_scrollBar) return;
  wxRect inner = GetListOuterRect();
  inner.Deflate(EdgeX(), EdgeY());
  const int width = m_scrollBar->GetBestSize().x;
  m_scrollBar->SetSize(inner.GetRight() + 1 - width, inner.y, width, std::max(1, inner.height));
}

void CMessagePane::OnSize(wxSizeEvent& event) {
  event.Skip();
  Refresh(false);
  PlaceScrollBar();
  UpdateScrollBar();
}

void CMessagePane::OnScroll(wxScrollEvent& event) {
  const wxEventType type = event.GetEventType();
  const int inner = GetListInnerRect().height;
  int pos = m_scrollPos;
  if (type == wxEVT_SCROLL_LINEUP)
    pos -= kRowHeight;
  else if (type == wxEVT_SCROLL_LINEDOWN)
    pos += kRowHeight;
  else if (type == wxEVT_SCROLL_PAGEUP)
    pos -= inner - kRowHeight;
  else if (type == wxEVT_SCROLL_PAGEDOWN)
    pos += inner - kRowHeight;
  else if (type == wxEVT_SCROLL_TOP)
    pos = 0;
  else if (type == wxEVT_SCROLL_BOTTOM)
    pos = MaxScrollPos();
  else
    pos = event.GetPosition();
  ScrollTo(pos);
}

void CMessagePane::SetHeight(int height) {
  if (height == m_height) return;
  m_height = height;
  SetMinSize(wxSize(-1, m_height));
  if (GetParent()) GetParent()->Layout();
}

void CMessagePane::UpdateCloseLook(const wxPoint& point) {
  const bool inside = GetCloseButtonRect().Contains(point);
  const int look = !inside ? 0 : (m_drag == DRAG_CLOSE ? 1 : 2);
  if (look == m_closeLook) return;
  m_closeLook = look;
  RefreshRect(GetCloseButtonRect(), false);
}

void CMessagePane::OnLeftDown(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  if (GetCloseButtonRect().Contains(p))
    m_drag = DRAG_CLOSE;
  else if (GetSizeStripRect().Contains(p))
    m_drag = DRAG_HEIGHT;
  if (m_drag != DRAG_NONE) {
    m_dragStart = p;
    if (!HasCapture()) CaptureMouse();
  }
  UpdateCloseLook(p);
  event.Skip();
}

void CMessagePane::OnLeftUp(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  const int drag = m_drag;
  if (drag != DRAG_NONE) {
    m_drag = DRAG_NONE;
    if (HasCapture()) ReleaseMouse();
  }
  if (drag == DRAG_CLOSE && GetCloseButtonRect().Contains(p)) {
    m_closeLook = 0;
    SetPaneVisible(false);
    return;
  }
  UpdateCloseLook(p);
  event.Skip();
}

void CMessagePane::OnMotion(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  if (m_drag == DRAG_HEIGHT) {
    const wxRect inner = GetListInnerRect();
    const int chrome = GetClientSize().y - inner.height;
    const int wanted = std::clamp(m_height + (m_dragStart.y - p.y), chrome + kRowHeight, chrome + 6 * kRowHeight);
    SetHeight(wanted);
  }
  SetCursor(m_drag == DRAG_HEIGHT || GetSizeStripRect().Contains(p) ? wxCursor(wxCURSOR_SIZENS) : wxNullCursor);
  UpdateCloseLook(p);
  event.Skip();
}

void CMessagePane::OnLeave(wxMouseEvent& event) {
  if (m_drag == DRAG_NONE) UpdateCloseLook(wxPoint(-1, -1));
  event.Skip();
}

void CMessagePane::OnCaptureLost(wxMouseCaptureLostEvent&) { m_drag = DRAG_NONE; }

void CMessagePane::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  Render(dc);
}

wxColour CMessagePane::GetListBackgroundColour() const { return Sys(wxSYS_COLOUR_INFOBK); }

void CMessagePane::Render(wxDC& dc) {
  const wxSize client = GetClientSize();
  const wxRect outer = GetListOuterRect();
  const wxColour face = Sys(wxSYS_COLOUR_BTNFACE);
  // The strips around the list.
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(face));
  dc.DrawRectangle(0, 0, client.x, outer.y);
  dc.DrawRectangle(0, outer.y, outer.x, outer.height);
  dc.DrawRectangle(outer.GetRight() + 1, outer.y, client.x - outer.GetRight() - 1, outer.height);
  dc.DrawRectangle(0, outer.GetBottom() + 1, client.x, client.y - outer.GetBottom() - 1);
  // A sunken edge around the list.
  const wxColour shadow = Sys(wxSYS_COLOUR_BTNSHADOW), highlight = Sys(wxSYS_COLOUR_BTNHIGHLIGHT);
  dc.SetPen(wxPen(shadow));
  dc.DrawLine(outer.x, outer.y, outer.GetRight(), outer.y);
  dc.DrawLine(outer.x, outer.y, outer.x, outer.GetBottom());
  dc.SetPen(wxPen(highlight));
  dc.DrawLine(outer.x, outer.GetBottom(), outer.GetRight() + 1, outer.GetBottom());
  dc.DrawLine(outer.GetRight(), outer.y, outer.GetRight(), outer.GetBottom());
  DrawCloseButton(dc);

  // The rows.
  const wxRect inner = GetListInnerRect();
  dc.SetBrush(wxBrush(Sys(wxSYS_COLOUR_INFOBK)));
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.DrawRectangle(inner);
  wxDCClipper clip(dc, inner);
  dc.SetFont(m_font);
  dc.SetTextForeground(Sys(wxSYS_COLOUR_INFOTEXT));
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const int first = std::max(0, m_scrollPos / kRowHeight);
  for (int i = first; i < GetCount(); ++i) {
    const int y = inner.y - m_scrollPos + i * kRowHeight;
    if (y > inner.GetBottom()) break;
    const Entry& e = m_messages[static_cast<std::size_t>(i)];
    if (m_icons[e.level].IsOk()) dc.DrawBitmap(m_icons[e.level], inner.x + 2, y + 2, true);
    dc.DrawText(wxString::FromUTF8(e.text), inner.x + 22, y + 2);
  }
}

void CMessagePane::DrawCloseButton(wxDC& dc) {
  const wxRect r = GetCloseButtonRect();
  const wxColour face = Sys(wxSYS_COLOUR_BTNFACE);
  wxColour topLeft = face, bottomRight = face;
  if (m_closeLook == 1) {
    topLeft = Sys(wxSYS_COLOUR_BTNSHADOW);
    bottomRight = Sys(wxSYS_COLOUR_BTNHIGHLIGHT);
  } else if (m_closeLook == 2) {
    topLeft = Sys(wxSYS_COLOUR_BTNHIGHLIGHT);
    bottomRight = Sys(wxSYS_COLOUR_BTNSHADOW);
  }
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(face));
  dc.DrawRectangle(r.x + 1, r.y + 1, r.width - 2, r.height - 2);
  dc.SetPen(wxPen(topLeft));
  dc.DrawLine(r.x, r.y, r.GetRight(), r.y);
  dc.DrawLine(r.x, r.y, r.x, r.GetBottom());
  dc.SetPen(wxPen(bottomRight));
  dc.DrawLine(r.x, r.GetBottom(), r.GetRight() + 1, r.GetBottom());
  dc.DrawLine(r.GetRight(), r.y, r.GetRight(), r.GetBottom());
  const int shift = m_closeLook == 1 ? 1 : 0;
  dc.DrawBitmap(m_closeBitmap, r.x + 4 + shift, r.y + 4 + shift, true);
}
