#include "shell/CommandToolBar.h"

#include <wx/dc.h>

#include "resources/CommandIds.h"
#include "shell/UiTheme.h"

std::vector<TOOLBAR_BUTTON> GetToolbarButtons(int resource) {
  switch (resource) {
    case IDR_ANIMATION_TOOLBAR:
      return {{ID_PLAY, "Play"},         {ID_STOP, "Stop"}, {ID_STEP_BACKWARD, "Back"},
              {ID_STEP_FORWARD, "Next"}, {0, ""},           {ID_FRAME_PROPERTIES, "Properties"}};
    default:
      return {};
  }
}

namespace {
constexpr int kSeparatorWidth = 7;
constexpr int kButtonPadding = 8;
}  // namespace

CCommandToolBar::CCommandToolBar(wxWindow* parent, wxWindowID id) {
  Create(parent, id, wxDefaultPosition, wxSize(-1, 30), 0, "toolbar");
  Bind(wxEVT_LEFT_DOWN, &CCommandToolBar::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &CCommandToolBar::OnLeftDown, this);  // a quick second click is a click
  Bind(wxEVT_LEFT_UP, &CCommandToolBar::OnLeftUp, this);
  Bind(wxEVT_MOTION, &CCommandToolBar::OnMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, &CCommandToolBar::OnLeave, this);
  Bind(wxEVT_IDLE, &CCommandToolBar::OnIdle, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_pressed = -1; });
}

CCommandToolBar::~CCommandToolBar() = default;

bool CCommandToolBar::LoadButtons(int resource) {
  const auto table = GetToolbarButtons(resource);
  if (table.empty()) return false;
  m_resource = resource;
  m_buttons.clear();
  for (const auto& b : table) m_buttons.push_back({b.command, b.text, false});
  m_hot = m_pressed = -1;
  Relayout();
  UpdateButtons();
  Refresh();
  return true;
}

int CCommandToolBar::GetButtonCommand(int index) const {
  if (index < 0 || index >= GetButtonCount()) return 0;
  return m_buttons[static_cast<std::size_t>(index)].command;
}

void CCommandToolBar::SetButtonText(int index, const std::string& text) {
  if (index < 0 || index >= GetButtonCount()) return;
  m_buttons[static_cast<std::size_t>(index)].text = text;
  Relayout();
  Refresh();
}

std::string CCommandToolBar::GetButtonText(int index) const {
  if (index < 0 || index >= GetButtonCount()) return {};
  return m_buttons[static_cast<std::size_t>(index)].text;
}

bool CCommandToolBar::IsButtonEnabled(int index) const {
  return index >= 0 && index < GetButtonCount() && m_buttons[static_cast<std::size_t>(index)].enabled;
}

wxRect CCommandToolBar::GetButtonRect(int index) const {
  if (index < 0 || index >= static_cast<int>(m_rects.size())) return {};
  return m_rects[static_cast<std::size_t>(index)];
}

int CCommandToolBar::HitTest(const wxPoint& point) const {
  for (int i = 0; i < static_cast<int>(m_rects.size()); ++i)
    if (m_buttons[static_cast<std::size_t>(i)].command != 0 && m_rects[static_cast<std::size_t>(i)].Contains(point))
      return i;
  return -1;
}

void CCommandToolBar::Relayout() {
  m_rects.clear();
  const int height = GetClientSize().y;
  int x = 3;
  const wxFont font = ThemeFont();
  for (const auto& b : m_buttons) {
    int textWidth = 0, textHeight = 0;
    if (b.command != 0) GetTextExtent(wxString::FromUTF8(b.text), &textWidth, &textHeight, nullptr, nullptr, &font);
    const int w = b.command == 0 ? kSeparatorWidth : textWidth + 2 * kButtonPadding;
    m_rects.emplace_back(x, 2, w, std::max(0, height - 4));
    x += w + 1;
  }
}

void CCommandToolBar::UpdateButtons() {
  wxWindow* top = wxGetTopLevelParent(this);
  bool changed = false;
  for (auto& b : m_buttons) {
    if (b.command == 0) continue;
    bool enabled = false;
    if (top) {
      wxUpdateUIEvent event(b.command);
      event.SetEventObject(this);
      if (top->GetEventHandler()->ProcessEvent(event)) enabled = event.GetSetEnabled() ? event.GetEnabled() : true;
    }
    if (enabled != b.enabled) {
      b.enabled = enabled;
      changed = true;
    }
  }
  if (changed) Refresh(false);
}

void CCommandToolBar::ClickButton(int index) {
  if (!IsButtonEnabled(index)) return;
  wxWindow* top = wxGetTopLevelParent(this);
  if (!top) return;
  wxCommandEvent event(wxEVT_MENU, GetButtonCommand(index));
  event.SetEventObject(top);
  top->GetEventHandler()->ProcessEvent(event);
}

void CCommandToolBar::OnLeftDown(wxMouseEvent& event) {
  const int hit = HitTest(event.GetPosition());
  if (hit < 0 || !IsButtonEnabled(hit)) return;
  m_pressed = hit;
  if (!HasCapture()) CaptureMouse();
  Refresh(false);
}

void CCommandToolBar::OnLeftUp(wxMouseEvent& event) {
  if (m_pressed < 0) return;
  const int pressed = m_pressed;
  m_pressed = -1;
  if (HasCapture()) ReleaseMouse();
  Refresh(false);
  if (HitTest(event.GetPosition()) == pressed) CallAfter([this, pressed] { ClickButton(pressed); });
}

void CCommandToolBar::OnMotion(wxMouseEvent& event) {
  const int hit = HitTest(event.GetPosition());
  if (hit != m_hot) {
    m_hot = hit;
    SetToolTip(hit >= 0 ? wxString::FromUTF8(GetButtonText(hit)) : wxString());
    Refresh(false);
  }
}

void CCommandToolBar::OnLeave(wxMouseEvent&) {
  if (m_hot >= 0) {
    m_hot = -1;
    Refresh(false);
  }
}

void CCommandToolBar::OnIdle(wxIdleEvent& event) {
  event.Skip();
  if (m_rects.empty() || (!m_rects.empty() && m_rects[0].height != std::max(0, GetClientSize().y - 4))) Relayout();
  if (IsShownOnScreen() && wxUpdateUIEvent::CanUpdate(this)) UpdateButtons();
}

wxColour CCommandToolBar::GetPaintBackground() const { return ThemeColour(wxSYS_COLOUR_BTNFACE); }

void CCommandToolBar::Render(wxDC& dc) {
  dc.SetFont(ThemeFont());
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const wxColour shadow = ThemeColour(wxSYS_COLOUR_BTNSHADOW), light = ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT);
  dc.SetPen(*wxTRANSPARENT_PEN);
  for (int i = 0; i < static_cast<int>(m_buttons.size()) && i < static_cast<int>(m_rects.size()); ++i) {
    const auto& b = m_buttons[static_cast<std::size_t>(i)];
    const wxRect r = m_rects[static_cast<std::size_t>(i)];
    if (b.command == 0) {
      dc.SetBrush(wxBrush(shadow));
      dc.DrawRectangle(r.x + 3, r.y + 2, 1, r.height - 4);
      dc.SetBrush(wxBrush(light));
      dc.DrawRectangle(r.x + 4, r.y + 2, 1, r.height - 4);
      continue;
    }
    const bool pressed = i == m_pressed && i == m_hot;
    if (b.enabled && (i == m_hot || pressed)) {
      const wxColour topLeft = pressed ? shadow : light, bottomRight = pressed ? light : shadow;
      dc.SetBrush(wxBrush(topLeft));
      dc.DrawRectangle(r.x, r.y, r.width, 1);
      dc.DrawRectangle(r.x, r.y, 1, r.height);
      dc.SetBrush(wxBrush(bottomRight));
      dc.DrawRectangle(r.x, r.GetBottom(), r.width, 1);
      dc.DrawRectangle(r.GetRight(), r.y, 1, r.height);
    }
    dc.SetTextForeground(ThemeColour(b.enabled ? wxSYS_COLOUR_BTNTEXT : wxSYS_COLOUR_GRAYTEXT));
    wxRect textRect = r;
    if (pressed) textRect.Offset(1, 1);
    dc.DrawLabel(wxString::FromUTF8(b.text), textRect, wxALIGN_CENTER);
  }
}
