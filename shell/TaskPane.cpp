#include "shell/TaskPane.h"

#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/frame.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "shell/UiTheme.h"

namespace {

constexpr int kLayoutTimerId = 100;

int CosineRamp(int a, int b) {
  if (b == 0) return 0;
  return static_cast<int>((0.5 - 0.5 * std::cos(3.1415926535 * a / b)) * 255);
}

// Rows of the chevron: an expanded page draws them top down (pointing up).
constexpr const char* kChevron[8] = {"...X...", "..XXX..", ".XX.XX.", "XX...XX",
                                     "...X...", "..XXX..", ".XX.XX.", "XX...XX"};

void FillRect(wxDC& dc, const wxRect& r, const wxColour& colour) {
  if (r.width <= 0 || r.height <= 0) return;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(colour));
  dc.DrawRectangle(r);
}

}  // namespace

wxColour BlendColor(const wxColour& a, const wxColour& b, double t) {
  auto mix = [t](int x, int y) { return static_cast<unsigned char>(static_cast<int>(x * (1.0 - t) + y * t)); };
  return wxColour(mix(a.Red(), b.Red()), mix(a.Green(), b.Green()), mix(a.Blue(), b.Blue()));
}

wxColour GradientRowColor(int rows, int row, const wxColour& base, const wxColour& target) {
  return BlendColor(base, target, CosineRamp(rows - row, rows) / 1275.0);
}

void SetPixelV(wxDC& dc, int x, int y, const wxColour& colour) { FillRect(dc, wxRect(x, y, 1, 1), colour); }

// --- layout ---------------------------------------------------------------------

std::vector<int> TaskPaneTargets(const std::vector<TASK_PANE_SLOT>& slots, int clientHeight) {
  std::int64_t room = clientHeight - kTaskPaneMargin, extra = 0;
  for (const auto& s : slots) {
    extra += s.wanted - s.collapsed;
    room -= s.collapsed;
    if (s.collapsed > 0) room -= kTaskPaneMargin;
  }
  std::vector<int> targets;
  targets.reserve(slots.size());
  for (const auto& s : slots) {
    const int w = s.wanted, m = s.collapsed, x = w - m;
    std::int64_t t = x;
    if (x > 0 && extra > 0) t = m + room * x / extra;
    if (std::min<std::int64_t>(w, t) < m)
      t = m;
    else if (w < t)
      t = w;
    targets.push_back(static_cast<int>(t));
  }
  return targets;
}

std::vector<TASK_PANE_PLACE> LayoutTaskPaneStep(const std::vector<TASK_PANE_SLOT>& slots, int clientHeight,
                                                int stepsRemaining) {
  const std::vector<int> targets = TaskPaneTargets(slots, clientHeight);
  std::vector<TASK_PANE_PLACE> places;
  places.reserve(slots.size());
  int y = kTaskPaneMargin;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const int p = slots[i].current;
    const int delta = p - targets[i];
    const int step = ((kTaskPaneSteps - stepsRemaining) * std::abs(delta) + kTaskPaneSteps - 1) / kTaskPaneSteps;
    const int n = delta >= 0 ? p - step : p + step;
    places.push_back({y, n});
    y += n;
    if (slots[i].collapsed > 0) y += kTaskPaneMargin;
  }
  return places;
}

int TaskPaneSplitterWidth(int width, int lastX, int x) {
  return std::clamp(width + (x - lastX), kTaskPaneMinWidth, kTaskPaneMaxWidth);
}

// --- page -----------------------------------------------------------------------

CTaskPanePage::CTaskPanePage() = default;
CTaskPanePage::~CTaskPanePage() = default;

void CTaskPanePage::SetCollapsed(bool collapsed) {
  if (collapsed == m_collapsed) return;
  m_collapsed = collapsed;
  if (GetHandle()) Refresh(false);
  RequestLayout();
}

void CTaskPanePage::ShowPage(bool shown) {
  if (shown == m_shown) return;
  m_shown = shown;
  RequestLayout();
}

void CTaskPanePage::SetCollapsible(bool collapsible) {
  if (collapsible == m_collapsible) return;
  m_collapsible = collapsible;
  if (GetHandle()) Refresh();
}

bool CTaskPanePage::CreatePage(int x, int y, int width, int height, wxWindow* parent, bool shown) {
  m_shown = shown;
  if (!CPaintedWindow::Create(parent, wxID_ANY, wxPoint(x, y), wxSize(width, shown ? height : 0),
                              wxCLIP_CHILDREN, GetCaption()))
    return false;
  SetLabel(GetCaption());
  Bind(wxEVT_LEFT_DOWN, &CTaskPanePage::OnLeftDown, this);
  return true;
}

int CTaskPanePage::GetWantedHeight() const {
  if (!m_shown) return 0;
  return m_collapsed ? GetCollapsedHeight() : GetExpandedHeight();
}

void CTaskPanePage::MoveTo(int top, int height) {
  const wxPoint pos = GetPosition();
  SetSize(pos.x, top, GetSize().x, height);
}

void CTaskPanePage::SetWidth(int width) {
  if (width != GetSize().x) SetSize(wxDefaultCoord, wxDefaultCoord, width, GetSize().y, wxSIZE_USE_EXISTING);
}

wxColour CTaskPanePage::GetBodyColor() const { return ThemeColour(wxSYS_COLOUR_WINDOW); }

void CTaskPanePage::Toggle() {
  if (m_collapsible) SetCollapsed(!m_collapsed);
}

void CTaskPanePage::SetHeaderText(const wxString& text) {
  SetLabel(text);
  if (GetHandle()) Refresh(false);
}

wxColour CTaskPanePage::GetPaintBackground() const { return ThemeColour(wxSYS_COLOUR_BTNFACE); }

wxFont CTaskPanePage::CaptionFont() const { return ThemeFont(); }

wxRect CTaskPanePage::GetChildArea() const {
  wxRect r(GetClientSize());
  r.Deflate(1);
  r.y += kTaskPaneHeaderHeight;
  r.height -= kTaskPaneHeaderHeight;
  if (r.height < 0) r.height = 0;
  return r;
}

void CTaskPanePage::DrawChevron(wxDC& dc, int x, int y, const wxColour& colour, bool up) {
  for (int r = 0; r < 8; ++r) {
    const char* row = kChevron[up ? r : 7 - r];
    for (int c = 0; c < 7; ++c)
      if (row[c] == 'X') SetPixelV(dc, x + c, y + r, colour);
  }
}

void CTaskPanePage::DrawHeader(wxDC& dc) {
  wxFont font = CaptionFont();
  font.SetNumericWeight(600);
  dc.SetFont(font);
  const wxString caption = GetLabel();
  m_hitWidth = dc.GetTextExtent(caption).x + 24 + (m_collapsible ? 20 : 0);
  const wxSize client = GetRenderSize();
  const wxRect header(0, 0, m_hitWidth, std::min(client.y, kTaskPaneHeaderHeight));
  if (header.height <= 0) return;
  const wxColour background = ThemeColour(wxSYS_COLOUR_BTNFACE);
  wxColour fill = ThemeColour(wxSYS_COLOUR_HIGHLIGHT), text = ThemeColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
  if (header.height < kTaskPaneHeaderHeight) {
    const double t = header.height / 28.0;
    fill = BlendColor(background, fill, t);
    text = BlendColor(background, text, t);
  }
  for (int y = header.y; y < header.GetBottom() + 1; ++y)
    FillRect(dc, wxRect(header.x, y, header.width, 1), GradientRowColor(header.height, y - header.y, fill, *wxWHITE));
  const wxColour corner = BlendColor(background, fill, 0.5);
  const int right = header.GetRight() + 1;
  SetPixelV(dc, 0, 0, background);
  SetPixelV(dc, 1, 0, corner);
  SetPixelV(dc, 0, 1, corner);
  SetPixelV(dc, right - 1, 0, background);
  SetPixelV(dc, right - 2, 0, corner);
  SetPixelV(dc, right - 1, 1, corner);
  if (m_collapsible) DrawChevron(dc, right - 20, (header.height - 8) / 2, text, !m_collapsed);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetTextForeground(text);
  wxRect textRect = header;
  textRect.x = 12;
  textRect.width = right - 12;
  const wxString shown = wxControl::Ellipsize(caption, dc, wxELLIPSIZE_END, std::max(0, textRect.width));
  dc.DrawLabel(shown, textRect, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
}

void CTaskPanePage::Render(wxDC& dc) {
  DrawHeader(dc);
  const wxSize client = GetRenderSize();
  wxRect body(0, 24, client.x, client.y - 24);
  if (body.width <= 0 || body.height <= 0) return;
  const wxColour highlight = ThemeColour(wxSYS_COLOUR_HIGHLIGHT);
  FillRect(dc, wxRect(body.x, body.y, body.width, std::min(4, body.height)), highlight);
  FillRect(dc, wxRect(body.x, body.y, 1, body.height), highlight);
  FillRect(dc, wxRect(body.GetRight(), body.y, 1, body.height), highlight);
  FillRect(dc, wxRect(body.x, body.GetBottom(), body.width, 1), highlight);
  FillRect(dc, wxRect(body.x + 1, body.y + 5, body.width - 2, body.height - 6), GetBodyColor());
  DrawBody(dc);
}

void CTaskPanePage::ClickAt(const wxPoint& point) {
  if (point.x >= 0 && point.x < m_hitWidth && point.y >= 0 && point.y < kTaskPaneHeaderHeight) Toggle();
}

void CTaskPanePage::OnLeftDown(wxMouseEvent& event) {
  PageLeftDown(event.GetPosition());
  event.Skip();
}

// --- bar ------------------------------------------------------------------------

CTaskPaneBar::CTaskPaneBar() : m_timer(this, kLayoutTimerId) {}

CTaskPaneBar::~CTaskPaneBar() {
  m_timer.Stop();
  for (auto* page : m_pages) page->SetLayoutRequest(nullptr);
}

bool CTaskPaneBar::AddPage(CTaskPanePage* page) {
  if (GetHandle()) return false;
  m_pages.push_back(page);
  return true;
}

bool CTaskPaneBar::CreateBar(wxWindow* parent, wxWindowID id) {
  if (!CPaintedWindow::Create(parent, id, wxDefaultPosition, wxSize(m_width, -1), wxCLIP_CHILDREN, "taskpane"))
    return false;
  SetMinSize(wxSize(m_width, -1));
  Bind(wxEVT_TIMER, &CTaskPaneBar::OnTimer, this, kLayoutTimerId);
  Bind(wxEVT_SIZE, &CTaskPaneBar::OnSize, this);
  Bind(wxEVT_LEFT_DOWN, &CTaskPaneBar::OnLeftDown, this);
  Bind(wxEVT_MOTION, &CTaskPaneBar::OnMotion, this);
  Bind(wxEVT_LEFT_UP, &CTaskPaneBar::OnLeftUp, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CTaskPaneBar::OnCaptureLost, this);
  int y = kTaskPaneMargin;
  for (auto* page : m_pages) {
    page->CreatePage(kTaskPaneMargin, y, m_width - 2 * kTaskPaneMargin, 100, this, page->IsPageShown());
    page->SetLayoutRequest(this);
    y += 110;
  }
  RequestLayout();
  return true;
}

void CTaskPaneBar::RequestLayout() {
  if (m_animation.Request() && GetHandle()) {
    m_timer.Start(kTaskPaneTimerMs);
    ++m_timerStarts;
  }
}

void CTaskPaneBar::LayoutPages() {
  std::vector<TASK_PANE_SLOT> slots;
  slots.reserve(m_pages.size());
  for (auto* page : m_pages) {
    page->SetWidth(m_width - 2 * kTaskPaneMargin);
    slots.push_back({page->GetWantedHeight(), page->GetCollapsedHeight(), page->GetHeight()});
  }
  const auto places = LayoutTaskPaneStep(slots, GetClientSize().y, m_animation.GetStepsRemaining());
  bool moved = false;
  for (std::size_t i = 0; i < m_pages.size(); ++i) {
    CTaskPanePage* page = m_pages[i];
    if (page->GetPosition().y != places[i].top || page->GetHeight() != places[i].height) moved = true;
    page->MoveTo(places[i].top, places[i].height);
  }
  if (!moved) m_animation.Stop();
}

void CTaskPaneBar::AnimationStep() {
  m_animation.Step();
  LayoutPages();
  if (!m_animation.IsRunning()) m_timer.Stop();
}

void CTaskPaneBar::FinishLayout() {
  m_animation.Stop();
  LayoutPages();
  m_timer.Stop();
}

void CTaskPaneBar::OnTimer(wxTimerEvent&) { AnimationStep(); }

void CTaskPaneBar::OnSize(wxSizeEvent& event) {
  event.Skip();
  Refresh(false);
  RequestLayout();
}

wxRect CTaskPaneBar::GetSplitterRect() const {
  const wxSize size = GetClientSize();
  return wxRect(size.x - kTaskPaneMargin, 0, kTaskPaneMargin, size.y);
}

void CTaskPaneBar::SplitterDown(const wxPoint& point) {
  if (m_dragging || !GetSplitterRect().Contains(point)) return;
  m_dragging = true;
  m_lastDrag = point;
  if (GetHandle() && !HasCapture()) CaptureMouse();
}

void CTaskPaneBar::SplitterMove(const wxPoint& point) {
  if (!m_dragging) return;
  const int width = TaskPaneSplitterWidth(m_width, m_lastDrag.x, point.x);
  if (width == m_width) return;
  m_lastDrag = point;
  m_width = width;
  SetMinSize(wxSize(m_width, -1));
  SetSize(wxDefaultCoord, wxDefaultCoord, m_width, GetSize().y, wxSIZE_USE_EXISTING);
  if (wxWindow* parent = GetParent()) parent->CallAfter([parent] { parent->Layout(); });
  RequestLayout();
}

void CTaskPaneBar::SplitterUp() {
  if (!m_dragging) return;
  m_dragging = false;
  if (GetHandle() && HasCapture()) ReleaseMouse();
  Refresh();
}

void CTaskPaneBar::OnLeftDown(wxMouseEvent& event) {
  SplitterDown(event.GetPosition());
  if (!m_dragging) event.Skip();
}

void CTaskPaneBar::OnMotion(wxMouseEvent& event) {
  if (m_dragging)
    SplitterMove(event.GetPosition());
  else
    SetCursor(GetSplitterRect().Contains(event.GetPosition()) ? wxCursor(wxCURSOR_SIZEWE) : wxNullCursor);
  event.Skip();
}

void CTaskPaneBar::OnLeftUp(wxMouseEvent& event) {
  if (m_dragging)
    SplitterUp();
  else
    event.Skip();
}

void CTaskPaneBar::OnCaptureLost(wxMouseCaptureLostEvent&) { m_dragging = false; }

wxColour CTaskPaneBar::GetPaintBackground() const { return ThemeColour(wxSYS_COLOUR_BTNFACE); }

void CTaskPaneBar::DrawSplitterGripper(wxDC& dc, const wxRect& strip) {
  const int cx = strip.x + strip.width / 2, cy = strip.y + strip.height / 2;
  const wxColour light = ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT), dark = ThemeColour(wxSYS_COLOUR_BTNSHADOW);
  for (int i = 0; i < 4; ++i)
    for (int x0 : {cx - 3, cx + 1}) {
      FillRect(dc, wxRect(x0 + 1, cy - 7 + 4 * i, 2, 2), light);
      FillRect(dc, wxRect(x0, cy - 8 + 4 * i, 2, 2), dark);
    }
}

void CTaskPaneBar::Render(wxDC& dc) {
  const wxSize size = GetRenderSize();
  // The bar's borders: an etched line at the top and at the bottom.
  FillRect(dc, wxRect(0, 0, size.x, 1), ThemeColour(wxSYS_COLOUR_BTNSHADOW));
  FillRect(dc, wxRect(0, 1, size.x, 1), ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT));
  FillRect(dc, wxRect(0, size.y - 2, size.x, 1), ThemeColour(wxSYS_COLOUR_BTNSHADOW));
  FillRect(dc, wxRect(0, size.y - 1, size.x, 1), ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT));
  DrawSplitterGripper(dc, wxRect(size.x - kTaskPaneMargin, 2, kTaskPaneMargin, size.y - 4));
}
