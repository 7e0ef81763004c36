#include "shell/CommandToolBar.h"

#include <wx/dc.h>
#include <wx/frame.h>

#include <algorithm>
#include <cmath>

#include "resources/CommandIds.h"
#include "shell/FlatToolBar.h"
#include "shell/UiTheme.h"

std::vector<TOOLBAR_BUTTON> GetToolbarButtons(int resource) {
  switch (resource) {
    case IDR_ANIMATION_TOOLBAR:
      return {{ID_PLAY, "Play", "media-playback-start", TOOL_ART_PLAY, "Play the animation"},
              {ID_STOP, "Stop", "media-playback-stop", TOOL_ART_STOP, "Stop playing the animation"},
              {ID_STEP_BACKWARD, "Step Backward", "media-skip-backward", TOOL_ART_STEP_BACKWARD,
               "Show the previous frame"},
              {ID_STEP_FORWARD, "Step Forward", "media-skip-forward", TOOL_ART_STEP_FORWARD, "Show the next frame"},
              {0, ""},
              {ID_FRAME_PROPERTIES, "Animation Properties", "document-properties", TOOL_ART_FRAME_PROPERTIES,
               "Change the delay and disposal of the selected frames"}};
    default:
      return {};
  }
}

namespace {
constexpr int kSeparatorWidth = 7;
constexpr int kButtonPadding = 4;
constexpr int kImageSize = 16;
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
  const int scale = std::max(1, static_cast<int>(std::lround(GetContentScaleFactor())));
  m_imageSize = kImageSize * scale;
  for (const auto& b : table) {
    Button button{b.command, b.text, false, b.help, {}, {}};
    if (b.command != 0) {
      button.image = MakeColorStrip(MakeToolImage(b.themeIcon, b.art, m_imageSize));
      button.grey = MakeGreyStrip(button.image);
    }
    m_buttons.push_back(std::move(button));
  }
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

std::string CCommandToolBar::GetButtonHelp(int index) const {
  if (index < 0 || index >= GetButtonCount()) return {};
  return m_buttons[static_cast<std::size_t>(index)].help;
}

wxImage CCommandToolBar::GetButtonImage(int index, bool disabled) const {
  if (index < 0 || index >= GetButtonCount()) return {};
  const Button& b = m_buttons[static_cast<std::size_t>(index)];
  return disabled ? b.grey : b.image;
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
  for (const auto& b : m_buttons) {
    const int w = b.command == 0 ? kSeparatorWidth : m_imageSize + 2 * kButtonPadding;
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
    ShowHelp(hit);
    Refresh(false);
  }
}

void CCommandToolBar::ShowHelp(int index) {
  auto* frame = wxDynamicCast(wxGetTopLevelParent(this), wxFrame);
  if (!frame || !frame->GetStatusBar()) return;
  const std::string help = GetButtonHelp(index);
  if (!help.empty()) {
    frame->DoGiveHelp(wxString::FromUTF8(help), true);
    m_helpShown = true;
  } else if (m_helpShown) {
    frame->DoGiveHelp(wxString(), false);
    m_helpShown = false;
  }
}

void CCommandToolBar::OnLeave(wxMouseEvent&) {
  ShowHelp(-1);
  UnsetToolTip();
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
    const wxImage& image = b.enabled ? b.image : b.grey;
    if (!image.IsOk()) continue;
    const int shift = pressed ? 1 : 0;
    const wxImage flat = FlattenStrip(image, ThemeColour(wxSYS_COLOUR_BTNFACE));
    dc.DrawBitmap(wxBitmap(flat), r.x + (r.width - image.GetWidth()) / 2 + shift,
                  r.y + (r.height - image.GetHeight()) / 2 + shift);
  }
}
