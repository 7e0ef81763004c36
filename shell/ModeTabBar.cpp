#include "shell/ModeTabBar.h"

#include <wx/dc.h>

#include <algorithm>

#include "shell/FlatToolBar.h"
#include "shell/TaskPane.h"
#include "shell/UiTheme.h"

namespace {

constexpr int kTabTimerId = 1001;
constexpr int kTabTimerMs = 70;
const wxColour kOrange(255, 190, 60);

}  // namespace

void ModeTabHover(std::vector<CModeTab>& tabs, int hit) {
  for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
    CModeTab& tab = tabs[static_cast<std::size_t>(i)];
    if (i != hit)
      tab.hover = 0;
    else if (tab.hover == 0)
      tab.hover = 1;
  }
}

bool ModeTabStep(std::vector<CModeTab>& tabs) {
  constexpr int M = kModeTabLevels;
  bool settled = true;
  for (auto& tab : tabs) {
    switch (tab.hover) {
      case 1:
        settled = false;
        if (tab.glow < M) tab.glow = std::min(M, tab.glow + 3);
        if (tab.pulse < M) {
          ++tab.pulse;
        } else {
          tab.hover = 2;
          --tab.pulse;
        }
        break;
      case 2:
        settled = false;
        if (tab.glow < M) tab.glow = std::min(M, tab.glow + 3);
        if (tab.pulse > 0) {
          --tab.pulse;
        } else {
          tab.hover = 1;
          ++tab.pulse;
        }
        break;
      default:
        if (tab.glow != 0 || tab.pulse != 0) settled = false;
        if (tab.glow > 0) tab.glow = std::max(0, tab.glow - 3);
        if (tab.pulse > 0) --tab.pulse;
        break;
    }
  }
  return settled;
}

wxColour TabShade(const wxColour& a, const wxColour& b, int i, int n) {
  const double t = n == 0 ? 0.0 : static_cast<double>(i) / n;
  return BlendColor(a, b, t * t);
}

CModeTabBar::CModeTabBar(wxWindow* parent, wxWindowID id) : m_timer(this, kTabTimerId) {
  Create(parent, id, wxDefaultPosition, wxSize(-1, kHeight), wxCLIP_CHILDREN, "modetabbar");
  SetMinSize(wxSize(-1, kHeight));
  m_toolbar = new CTrueColorToolBar;
  m_toolbar->Create(this, wxID_ANY);
  Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) { MouseDown(e.GetPosition()); });
  Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& e) { MouseDown(e.GetPosition()); });
  Bind(wxEVT_MOTION, [this](wxMouseEvent& e) {
    MouseMove(e.GetPosition());
    e.Skip();
  });
  Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& e) {
    MouseLeave();
    e.Skip();
  });
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { AnimationStep(); }, kTabTimerId);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    e.Skip();
    PlaceToolbar();
  });
}

CModeTabBar::~CModeTabBar() { m_timer.Stop(); }

void CModeTabBar::AddTab(const wxString& caption, int command, int toolbarResource) {
  CModeTab tab;
  tab.caption = caption;
  tab.command = command;
  tab.toolbarResource = toolbarResource;
  m_tabs.push_back(tab);
  PlaceToolbar();
  Refresh();
}

void CModeTabBar::SelectTab(int index) {
  if (index < 0 || index >= GetTabCount()) return;
  m_preview = false;
  m_contactSheet = false;
  if (!LoadToolbar(m_tabs[static_cast<std::size_t>(index)].toolbarResource)) return;
  m_selected = index;
  PlaceToolbar();
  InvalidateTabs();
}

void CModeTabBar::SetPreviewToolbar(int index, int toolbarResource, bool contactSheet) {
  m_preview = true;
  m_contactSheet = contactSheet;
  m_selected = index;
  PlaceToolbar();
  InvalidateTabs();
  LoadToolbar(toolbarResource);
}

bool CModeTabBar::LoadToolbar(int resource) {
  if (resource == m_toolbarResource) return true;
  if (!m_toolbar->LoadToolBar(resource, kToolImageSize)) return false;
  m_toolbarResource = resource;
  m_toolbar->UpdateButtonStates();
  return true;
}

void CModeTabBar::SetButtonText(int index, const std::string& text) { m_toolbar->SetButtonText(index, text); }

std::string CModeTabBar::GetButtonText(int index) const { return m_toolbar->GetButtonText(index); }

wxFont CModeTabBar::CaptionFont(bool selected) const {
  wxFont font = ThemeFont();
  if (selected) font.SetNumericWeight(600);
  return font;
}

namespace {
wxString ShownCaption(const wxString& caption) {
  wxString s = caption;
  s.Replace("&&", "&");
  return s;
}
}  // namespace

wxRect CModeTabBar::GetTabRect(int index) const {
  if (index < 0 || index >= GetTabCount()) return {};
  const wxFont font = CaptionFont(true);
  const wxSize client = GetClientSize();
  auto width = [&](int k) {
    const wxString caption = ShownCaption(m_tabs[static_cast<std::size_t>(k)].caption);
    if (caption.empty()) return 0;
    int w = 0, h = 0;
    GetTextExtent(caption, &w, &h, nullptr, nullptr, &font);
    return w;
  };
  int x = 3;
  for (int j = 0; j < index; ++j) x += width(j) + 19;
  const int w = width(index);
  const int top = index == m_selected ? 3 : 7;
  return wxRect(x, top, w + 16, std::max(0, client.y - top));
}

int CModeTabBar::HitTestTab(const wxPoint& point) const {
  for (int i = 0; i < GetTabCount(); ++i)
    if (GetTabRect(i).Contains(point)) return i;
  return -1;
}

void CModeTabBar::InvalidateTabs() {
  wxRect all;
  for (int i = 0; i < GetTabCount(); ++i) all.Union(GetTabRect(i));
  all.y = 0;
  all.height = GetClientSize().y;
  RefreshRect(all, false);
}

void CModeTabBar::PlaceToolbar() {
  if (!m_toolbar) return;
  const wxSize client = GetClientSize();
  const int x = m_tabs.empty() ? 12 : GetTabRect(GetTabCount() - 1).GetRight() + 1 + 12;
  m_toolbar->SetSize(x, 0, std::max(0, client.x - x), client.y);
}

void CModeTabBar::MouseDown(const wxPoint& point) {
  if (m_preview) return;
  const int hit = HitTestTab(point);
  if (hit < 0) return;
  wxWindow* target = GetParent();
  if (!target) return;
  wxCommandEvent event(wxEVT_MENU, m_tabs[static_cast<std::size_t>(hit)].command);
  event.SetEventObject(target);
  target->GetEventHandler()->ProcessEvent(event);
}

void CModeTabBar::MouseMove(const wxPoint& point) {
  const int hit = HitTestTab(point);
  if (hit >= 0) {
    ModeTabHover(m_tabs, hit);
    if (!m_tracking) {
      m_tracking = true;
      if (!m_timer.IsRunning()) {
        m_timer.Start(kTabTimerMs);
        ++m_timerStarts;
      }
    }
  } else if (m_tracking) {
    MouseLeave();
  }
}

void CModeTabBar::MouseLeave() {
  if (!m_tracking) return;
  ModeTabHover(m_tabs, -1);
  m_tracking = false;  // the timer runs on until the tabs have settled
}

void CModeTabBar::AnimationStep() {
  const bool settled = ModeTabStep(m_tabs);
  InvalidateTabs();
  if (settled) m_timer.Stop();
}

wxColour CModeTabBar::GetPaintBackground() const { return ThemeColour(wxSYS_COLOUR_BTNFACE); }

void CModeTabBar::Render(wxDC& dc) {
  const wxSize size = GetRenderSize();
  // The bar's top border: an etched line.
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(ThemeColour(wxSYS_COLOUR_BTNSHADOW)));
  dc.DrawRectangle(0, 0, size.x, 1);
  dc.SetBrush(wxBrush(ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT)));
  dc.DrawRectangle(0, 1, size.x, 1);
  for (int i = GetTabCount() - 1; i >= 0; --i)
    DrawTab(dc, m_tabs[static_cast<std::size_t>(i)], GetTabRect(i), i == m_selected);
}

void CModeTabBar::DrawTab(wxDC& dc, const CModeTab& tab, const wxRect& rect, bool selected) {
  const int l = rect.x, t = rect.y, r = rect.GetRight() + 1, b = rect.GetBottom() + 1, H = b - t;
  if (H <= 0) return;
  const int M = kModeTabLevels;
  const int P = selected ? M : (m_preview ? 0 : tab.pulse);
  const int G = m_preview ? M : tab.glow;
  const wxColour face = ThemeColour(wxSYS_COLOUR_BTNFACE), shadow = ThemeColour(wxSYS_COLOUR_BTNSHADOW);
  const wxColour white(255, 255, 255), black(0, 0, 0);
  const wxColour Lc = selected ? white : BlendColor(face, white, 0.95);
  const wxColour Dc = selected ? white : BlendColor(face, black, 0.15 * (M - G) / M);
  const wxColour E = selected ? BlendColor(kOrange, shadow, 0.5) : shadow;
  auto body = [&](int i) { return TabShade(Lc, Dc, i, H); };
  auto glowRow = [&](int i) { return TabShade(body(i), kOrange, P, M); };
  auto line = [&](int x0, int x1, int y, const wxColour& c) {  // x0..x1 inclusive
    if (x1 < x0) return;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(c));
    dc.DrawRectangle(x0, y, x1 - x0 + 1, 1);
  };
  auto px = [&](int x, int y, const wxColour& c) { SetPixelV(dc, x, y, c); };
  // Side edges.
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(shadow));
  if (H > 3) {
    dc.DrawRectangle(l, t + 3, 1, H - 3);
    dc.DrawRectangle(r, t + 3, 1, H - 3);
  }
  // The four top rows.
  px(l + 1, t, BlendColor(E, face, 0.75));
  px(l + 2, t, BlendColor(E, face, 0.3));
  line(l + 3, r - 3, t, E);
  px(r - 2, t, BlendColor(E, face, 0.3));
  px(r - 1, t, BlendColor(E, face, 0.75));
  if (H > 1) {
    const wxColour g1 = glowRow(1);
    px(l, t + 1, BlendColor(shadow, face, 0.75));
    px(l + 1, t + 1, BlendColor(shadow, face, 0.45));
    px(l + 2, t + 1, BlendColor(shadow, g1, 0.3));
    line(l + 3, r - 3, t + 1, g1);
    px(r - 2, t + 1, BlendColor(shadow, g1, 0.3));
    px(r - 1, t + 1, BlendColor(shadow, face, 0.45));
    px(r, t + 1, BlendColor(shadow, face, 0.75));
  }
  if (H > 2) {
    const wxColour g2 = glowRow(2);
    px(l, t + 2, BlendColor(shadow, face, 0.3));
    px(l + 1, t + 2, BlendColor(shadow, g2, 0.3));
    line(l + 2, r - 2, t + 2, g2);
    px(r - 1, t + 2, BlendColor(shadow, g2, 0.3));
    px(r, t + 2, BlendColor(shadow, face, 0.3));
  }
  if (H > 3) {
    const wxColour g3 = glowRow(3);
    px(l, t + 3, BlendColor(g3, shadow, 0.75));
    line(l + 1, r - 1, t + 3, g3);
    px(r, t + 3, BlendColor(g3, shadow, 0.75));
  }
  for (int y = t + 4; y < b; ++y) line(l + 1, r - 1, y, body(y - t));
  dc.SetFont(CaptionFont(selected));
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetTextForeground(ThemeColour(wxSYS_COLOUR_BTNTEXT));
  const wxString caption = ShownCaption(tab.caption);
  const wxSize extent = dc.GetTextExtent(caption);
  dc.DrawText(caption, l + (r - l - extent.x) / 2, t + (H - extent.y) / 2);
}
