#include "shell/FlatToolBar.h"

#include <wx/dcmemory.h>
#include <wx/frame.h>

#include <algorithm>
#include <cmath>

#include "resources/ToolbarResources.h"
#include "shell/UiTheme.h"

// --- derived images ------------------------------------------------------------

wxImage MakeDisabledStrip(const wxImage& strip, int imageWidth, const wxColour& shadow, const wxColour& face,
                          const wxColour& highlight) {
  const int width = strip.GetWidth(), height = strip.GetHeight();
  wxImage out(width, height, false);
  // Two tones first, remembered as flags for the emboss pass.
  std::vector<unsigned char> dark(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int value = 6 * strip.GetGreen(x, y) + 3 * strip.GetRed(x, y) + strip.GetBlue(x, y);
      const bool isDark = value < 1280;
      dark[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = isDark;
      const wxColour& c = isDark ? shadow : face;
      out.SetRGB(x, y, c.Red(), c.Green(), c.Blue());
    }
  // Emboss within each button image: a light pixel whose upper-left
  // neighbour is dark becomes highlight.
  const int w = std::max(1, imageWidth);
  auto isDark = [&](int x, int y) {
    return dark[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] != 0;
  };
  for (int k = 0; k < width / w; ++k)
    for (int y = 1; y < height; ++y)
      for (int x = 1; x < w; ++x) {
        const int px = k * w + x;
        if (!isDark(px, y) && isDark(px - 1, y - 1)) out.SetRGB(px, y, highlight.Red(), highlight.Green(), highlight.Blue());
      }
  return out;
}

wxImage MakeCheckedStrip(const wxImage& strip, const wxColour& face, const wxColour& highlight) {
  wxImage out = strip.Copy();
  if (out.HasAlpha()) out.ClearAlpha();
  for (int y = 0; y < out.GetHeight(); ++y)
    for (int x = 0; x < out.GetWidth(); ++x)
      if (((x + y) & 1) == 1 && out.GetRed(x, y) == face.Red() && out.GetGreen(x, y) == face.Green() &&
          out.GetBlue(x, y) == face.Blue())
        out.SetRGB(x, y, highlight.Red(), highlight.Green(), highlight.Blue());
  return out;
}

wxImage MakeColorStrip(const wxImage& strip) {
  wxImage out = strip.Copy();
  if (!out.HasAlpha()) {
    out.InitAlpha();  // a mask colour becomes transparency, else opaque
  }
  for (int y = 0; y < out.GetHeight(); ++y)
    for (int x = 0; x < out.GetWidth(); ++x)
      if (out.GetRed(x, y) == 192 && out.GetGreen(x, y) == 192 && out.GetBlue(x, y) == 192) out.SetAlpha(x, y, 0);
  return out;
}

wxImage MakeGreyStrip(const wxImage& colorStrip) {
  wxImage out = colorStrip.Copy();
  for (int y = 0; y < out.GetHeight(); ++y)
    for (int x = 0; x < out.GetWidth(); ++x) {
      const double luma = 0.299 * out.GetRed(x, y) + 0.587 * out.GetGreen(x, y) + 0.114 * out.GetBlue(x, y);
      const auto g = static_cast<unsigned char>(std::clamp(255.0 * std::sqrt(luma / 255.0), 0.0, 255.0));
      out.SetRGB(x, y, g, g, g);
    }
  return out;
}

wxImage FlattenStrip(const wxImage& strip, const wxColour& background) {
  wxImage out(strip.GetWidth(), strip.GetHeight(), false);
  const bool alpha = strip.HasAlpha();
  const bool mask = !alpha && strip.HasMask();
  for (int y = 0; y < strip.GetHeight(); ++y)
    for (int x = 0; x < strip.GetWidth(); ++x) {
      int a = alpha ? strip.GetAlpha(x, y) : 255;
      if (mask && strip.IsTransparent(x, y)) a = 0;
      auto mix = [a](int fg, int bg) { return static_cast<unsigned char>((fg * a + bg * (255 - a) + 127) / 255); };
      out.SetRGB(x, y, mix(strip.GetRed(x, y), background.Red()), mix(strip.GetGreen(x, y), background.Green()),
                 mix(strip.GetBlue(x, y), background.Blue()));
    }
  return out;
}

// --- the toolbar -------------------------------------------------------------------

namespace {

void FillRect(wxDC& dc, const wxRect& r, const wxColour& c) {
  if (r.width <= 0 || r.height <= 0) return;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(c));
  dc.DrawRectangle(r);
}

// A one-pixel frame: top and left in one colour, bottom and right in the other.
void Frame3D(wxDC& dc, const wxRect& r, const wxColour& topLeft, const wxColour& bottomRight) {
  FillRect(dc, wxRect(r.x, r.y, r.width, 1), topLeft);
  FillRect(dc, wxRect(r.x, r.y, 1, r.height), topLeft);
  FillRect(dc, wxRect(r.x, r.GetBottom(), r.width, 1), bottomRight);
  FillRect(dc, wxRect(r.GetRight(), r.y, 1, r.height), bottomRight);
}

constexpr int kPadding = 2;

}  // namespace

CFlatToolBar::CFlatToolBar() = default;
CFlatToolBar::~CFlatToolBar() {
  if (HasCapture()) ReleaseMouse();
}

bool CFlatToolBar::Create(wxWindow* parent, wxWindowID id) {
  if (!CPaintedWindow::Create(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxWANTS_CHARS, "toolbar"))
    return false;
  SetFont(ThemeFont());
  Bind(wxEVT_MOTION, &CFlatToolBar::OnMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, &CFlatToolBar::OnLeave, this);
  Bind(wxEVT_LEFT_DOWN, &CFlatToolBar::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &CFlatToolBar::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CFlatToolBar::OnLeftUp, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CFlatToolBar::OnCaptureLost, this);
  Bind(wxEVT_IDLE, &CFlatToolBar::OnIdle, this);
  Bind(wxEVT_SIZE, &CFlatToolBar::OnSize, this);
  Bind(wxEVT_SYS_COLOUR_CHANGED, [this](wxSysColourChangedEvent& e) {
    e.Skip();
    DeleteDerivedBitmaps();
  });
  Relayout();
  return true;
}

wxColour CFlatToolBar::GetPaintBackground() const { return ThemeColour(wxSYS_COLOUR_BTNFACE); }

void CFlatToolBar::SetImageStrip(const wxImage& strip, int imageWidth, int imageHeight, int scale) {
  m_strip = strip;
  m_imageWidth = imageWidth;
  m_imageHeight = imageHeight;
  m_scale = std::max(1, scale);
  DeleteDerivedBitmaps();
  Relayout();
}

void CFlatToolBar::DeleteDerivedBitmaps() {
  m_flat = wxImage();
  m_disabled = wxImage();
  m_checked = wxImage();
  if (GetHandle()) Refresh(false);
}

void CFlatToolBar::BuildDerivedBitmaps() {
  if (!m_strip.IsOk()) return;
  const wxColour face = ThemeColour(wxSYS_COLOUR_BTNFACE);
  m_flat = FlattenStrip(m_strip, face);
  m_disabled = MakeDisabledStrip(m_flat, m_imageWidth * m_scale, ThemeColour(wxSYS_COLOUR_BTNSHADOW), face,
                                 ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT));
  m_checked = MakeCheckedStrip(m_flat, face, ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT));
}

void CFlatToolBar::SetItems(std::vector<FLAT_TOOL_ITEM> items) {
  m_items = std::move(items);
  m_hot = m_pressed = -1;
  Relayout();
}

int CFlatToolBar::AddButton(int id, int image, const std::string& tooltip, const std::string& help) {
  FLAT_TOOL_ITEM item;
  item.id = id;
  item.image = image;
  item.tooltip = tooltip;
  item.help = help;
  m_items.push_back(item);
  Relayout();
  return GetItemCount() - 1;
}

int CFlatToolBar::AddSeparator(int id, int width) {
  FLAT_TOOL_ITEM item;
  item.id = id;
  item.separator = true;
  item.width = width;
  m_items.push_back(item);
  Relayout();
  return GetItemCount() - 1;
}

int CFlatToolBar::CommandToIndex(int id) const {
  for (int i = 0; i < GetItemCount(); ++i)
    if (m_items[static_cast<std::size_t>(i)].id == id) return i;
  return -1;
}

void CFlatToolBar::SetButtonText(int index, const std::string& text) {
  if (index < 0 || index >= GetItemCount()) return;
  m_items[static_cast<std::size_t>(index)].text = text;
  Relayout();
}

std::string CFlatToolBar::GetButtonText(int index) const {
  if (index < 0 || index >= GetItemCount()) return {};
  return m_items[static_cast<std::size_t>(index)].text;
}

void CFlatToolBar::SetSeparatorWidth(int index, int width) {
  if (index < 0 || index >= GetItemCount()) return;
  auto& item = m_items[static_cast<std::size_t>(index)];
  if (item.width == width) return;
  item.width = width;
  Relayout();
}

void CFlatToolBar::EnableButton(int id, bool enable) {
  const int index = CommandToIndex(id);
  if (index < 0 || m_items[static_cast<std::size_t>(index)].enabled == enable) return;
  m_items[static_cast<std::size_t>(index)].enabled = enable;
  if (!enable && m_hot == index) SetHotItem(-1);
  RefreshItem(index);
}

void CFlatToolBar::CheckButton(int id, bool check) {
  const int index = CommandToIndex(id);
  if (index < 0 || m_items[static_cast<std::size_t>(index)].checked == check) return;
  m_items[static_cast<std::size_t>(index)].checked = check;
  RefreshItem(index);
}

int CFlatToolBar::GetTextWidth(const std::string& text) const {
  wxBitmap bitmap(1, 1);
  wxMemoryDC dc(bitmap);
  dc.SetFont(ThemeFont());
  return dc.GetTextExtent(wxString::FromUTF8(text)).x + 6;
}

void CFlatToolBar::Relayout() {
  const int iw = m_imageWidth * m_scale, ih = m_imageHeight * m_scale;
  const int height = ih + 9 * m_scale;
  int x = kPadding;
  for (auto& item : m_items) {
    int width;
    if (item.separator)
      width = item.width;
    else if (!item.text.empty())
      width = iw + 6 + GetTextWidth(item.text);
    else
      width = iw + 7 * m_scale;
    item.rect = wxRect(x, kPadding, width, height);
    x += width;
  }
  SetMinSize(wxSize(x + kPadding, height + 2 * kPadding));
  OnLayout();
  if (GetHandle()) {
    if (GetParent()) GetParent()->Layout();
    Refresh(false);
  }
}

void CFlatToolBar::OnSize(wxSizeEvent& event) {
  event.Skip();
  OnLayout();
  Refresh(false);
}

int CFlatToolBar::HitTest(const wxPoint& point) const {
  for (int i = 0; i < GetItemCount(); ++i)
    if (m_items[static_cast<std::size_t>(i)].rect.Contains(point)) return i;
  return -1;
}

void CFlatToolBar::RefreshItem(int index) {
  if (index < 0 || index >= GetItemCount() || !GetHandle()) return;
  RefreshRect(m_items[static_cast<std::size_t>(index)].rect, false);
}

wxEvtHandler* CFlatToolBar::GetCommandTarget() const {
  wxWindow* top = wxGetTopLevelParent(const_cast<CFlatToolBar*>(this));
  return top ? top->GetEventHandler() : nullptr;
}

void CFlatToolBar::ShowHelp(int index) {
  auto* frame = wxDynamicCast(wxGetTopLevelParent(this), wxFrame);
  if (!frame || !frame->GetStatusBar()) return;
  if (index >= 0 && !m_items[static_cast<std::size_t>(index)].help.empty()) {
    frame->DoGiveHelp(wxString::FromUTF8(m_items[static_cast<std::size_t>(index)].help), true);
    m_helpShown = true;
  } else if (m_helpShown) {
    frame->DoGiveHelp(wxString(), false);
    m_helpShown = false;
  }
}

void CFlatToolBar::SetHotItem(int index) {
  if (index >= 0) {
    const auto& item = m_items[static_cast<std::size_t>(index)];
    // Separators, disabled buttons and a held button do not light up.
    if (item.separator || !item.enabled || index == m_pressed) index = -1;
  }
  if (index == m_hot) return;
  RefreshItem(m_hot);
  m_hot = index;
  RefreshItem(m_hot);
  if (GetHandle()) {
    if (m_hot >= 0 && !m_items[static_cast<std::size_t>(m_hot)].tooltip.empty())
      SetToolTip(wxString::FromUTF8(m_items[static_cast<std::size_t>(m_hot)].tooltip));
    else
      UnsetToolTip();
  }
  ShowHelp(m_hot);
}

void CFlatToolBar::OnMotion(wxMouseEvent& event) {
  const int hit = HitTest(event.GetPosition());
  if (m_pressed >= 0) {
    const bool inside = hit == m_pressed;
    if (inside != m_pressedInside) {
      m_pressedInside = inside;
      RefreshItem(m_pressed);
    }
    return;
  }
  SetHotItem(hit);
}

void CFlatToolBar::OnLeave(wxMouseEvent&) {
  if (m_pressed < 0) SetHotItem(-1);
}

void CFlatToolBar::OnLeftDown(wxMouseEvent& event) {
  const int hit = HitTest(event.GetPosition());
  if (hit < 0) return;
  const auto& item = m_items[static_cast<std::size_t>(hit)];
  if (item.separator || !item.enabled) return;
  m_pressed = hit;
  m_pressedInside = true;
  if (!HasCapture()) CaptureMouse();
  RefreshItem(hit);
}

void CFlatToolBar::OnLeftUp(wxMouseEvent& event) {
  if (m_pressed < 0) return;
  const int pressed = m_pressed;
  const bool inside = HitTest(event.GetPosition()) == pressed;
  m_pressed = -1;
  m_pressedInside = false;
  if (HasCapture()) ReleaseMouse();
  RefreshItem(pressed);
  m_hot = -1;
  SetHotItem(HitTest(event.GetPosition()));
  if (!inside) return;
  const int id = m_items[static_cast<std::size_t>(pressed)].id;
  if (wxEvtHandler* target = GetCommandTarget()) {
    wxCommandEvent command(wxEVT_MENU, id);
    command.SetEventObject(this);
    target->ProcessEvent(command);
  }
}

void CFlatToolBar::OnCaptureLost(wxMouseCaptureLostEvent&) {
  RefreshItem(m_pressed);
  m_pressed = -1;
  m_pressedInside = false;
}

void CFlatToolBar::OnIdle(wxIdleEvent& event) {
  event.Skip();
  if (IsShownOnScreen()) UpdateButtonStates();
}

bool CFlatToolBar::UpdateButtonStates() {
  wxEvtHandler* target = GetCommandTarget();
  if (!target) return false;
  bool changed = false;
  for (int i = 0; i < GetItemCount(); ++i) {
    auto& item = m_items[static_cast<std::size_t>(i)];
    if (item.separator || item.id == 0) continue;
    wxUpdateUIEvent update(item.id);
    update.SetEventObject(this);
    const bool handled = target->ProcessEvent(update);
    // A command nobody answers for is greyed, as its menu item would be.
    const bool enabled = handled && (!update.GetSetEnabled() || update.GetEnabled());
    const bool checked = update.GetSetChecked() ? update.GetChecked() : item.checked;
    if (enabled != item.enabled || checked != item.checked) {
      item.enabled = enabled;
      item.checked = checked;
      if (!enabled && m_hot == i) SetHotItem(-1);
      RefreshItem(i);
      changed = true;
    }
  }
  return changed;
}

// --- painting ------------------------------------------------------------------------

void CFlatToolBar::DrawButtonImage(wxDC& dc, int type, int sourceX, int sourceY, int x, int y, int width,
                                   int height) {
  const wxImage& source = type == FLAT_IMAGE_DISABLED ? m_disabled : type == FLAT_IMAGE_CHECKED ? m_checked : m_flat;
  if (!source.IsOk() || sourceX < 0 || sourceX + width > source.GetWidth() || height > source.GetHeight()) return;
  dc.DrawBitmap(wxBitmap(source.GetSubImage(wxRect(sourceX, sourceY, width, height))), x, y);
}

void CFlatToolBar::DrawSeparator(wxDC& dc, int index, int id, int) {
  // Placeholders with an id belong to their owner; none at either end.
  if (index <= 0 || index >= GetItemCount() - 1 || id != 0) return;
  const wxRect& p = m_items[static_cast<std::size_t>(index - 1)].rect;
  const wxRect& n = m_items[static_cast<std::size_t>(index + 1)].rect;
  const int x = (p.GetRight() + 1 + n.x) / 2;
  const int h = p.height - 2 - 2;
  FillRect(dc, wxRect(x, p.y, 1, h), ThemeColour(wxSYS_COLOUR_BTNSHADOW));
  FillRect(dc, wxRect(x + 1, p.y, 1, h), ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT));
}

bool CFlatToolBar::HasSeparatorText(int, int) const { return false; }
std::string CFlatToolBar::GetSeparatorText(int, int) const { return {}; }

void CFlatToolBar::DrawSeparatorText(wxDC& dc, int index, int id) {
  const wxRect& r = m_items[static_cast<std::size_t>(index)].rect;
  const wxString text = wxString::FromUTF8(GetSeparatorText(index, id));
  dc.SetFont(ThemeFont());
  dc.SetTextForeground(ThemeColour(wxSYS_COLOUR_BTNTEXT));
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const wxSize extent = dc.GetTextExtent(text);
  dc.DrawText(text, r.x + 3, r.y + (r.height - extent.y) / 2);
}

void CFlatToolBar::Render(wxDC& dc) {
  if (m_strip.IsOk() && (!m_flat.IsOk() || !m_disabled.IsOk() || !m_checked.IsOk())) BuildDerivedBitmaps();
  const wxColour face = ThemeColour(wxSYS_COLOUR_BTNFACE), shadow = ThemeColour(wxSYS_COLOUR_BTNSHADOW),
                 light = ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT);
  const int iw = m_imageWidth * m_scale, ih = m_imageHeight * m_scale;
  dc.SetFont(ThemeFont());
  for (int i = 0; i < GetItemCount(); ++i) {
    const FLAT_TOOL_ITEM& item = m_items[static_cast<std::size_t>(i)];
    wxRect r = item.rect;
    FillRect(dc, r, face);
    r.height -= 2;
    if (item.separator) {
      if (HasSeparatorText(i, item.id))
        DrawSeparatorText(dc, i, item.id);
      else
        DrawSeparator(dc, i, item.id, item.image);
      continue;
    }
    const bool hot = i == m_hot;
    const bool pressed = i == m_pressed && m_pressedInside;
    int shift = 0, type = FLAT_IMAGE_NORMAL;
    if (pressed) {
      Frame3D(dc, r, shadow, light);
      shift = 1;
      type = hot ? FLAT_IMAGE_HOT : FLAT_IMAGE_NORMAL;
    } else if (!item.enabled) {
      type = FLAT_IMAGE_DISABLED;
    } else if (item.checked) {
      Frame3D(dc, r, shadow, light);
      if (!hot) FillRect(dc, wxRect(r.x + 1, r.y + 1, r.width - 2, r.height - 2), light);
      shift = 1;
      type = hot ? FLAT_IMAGE_HOT : FLAT_IMAGE_CHECKED;
    } else if (hot) {
      Frame3D(dc, r, light, shadow);
      type = FLAT_IMAGE_HOT;
    }
    int x;
    if (!item.text.empty()) {
      dc.SetTextForeground(item.enabled ? ThemeColour(wxSYS_COLOUR_BTNTEXT) : shadow);
      dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
      const wxString text = wxString::FromUTF8(item.text);
      const wxSize extent = dc.GetTextExtent(text);
      const int textTop = r.y + (r.height + 2 - extent.y) / 2;
      dc.DrawText(text, r.x + iw + 6 + shift, textTop + shift);
      x = r.x + 2;
    } else {
      x = (r.x + r.GetRight() + 1 - iw) / 2;
    }
    const int y = (r.y + r.GetBottom() + 1 - ih) / 2;
    if (item.image >= 0) DrawButtonImage(dc, type, iw * item.image, 0, x + shift, y + shift, iw, ih);
  }
}

// --- full-colour toolbar ----------------------------------------------------------------

void CTrueColorToolBar::SetColorImages(const wxImage& strip, int imageWidth, int imageHeight, int scale) {
  m_color = MakeColorStrip(strip);
  m_grey = MakeGreyStrip(m_color);
  SetImageStrip(m_color, imageWidth, imageHeight, scale);
}

void CTrueColorToolBar::DrawButtonImage(wxDC& dc, int type, int sourceX, int sourceY, int x, int y, int width,
                                        int height) {
  if (!m_color.IsOk()) {
    CFlatToolBar::DrawButtonImage(dc, type, sourceX, sourceY, x, y, width, height);
    return;
  }
  const wxImage& images = type == FLAT_IMAGE_DISABLED && m_grey.IsOk() ? m_grey : m_color;
  if (sourceX < 0 || sourceX + width > images.GetWidth() || height > images.GetHeight()) return;
  // Transparent pixels show a flat background: highlight behind a checked
  // button (no checkerboard), the face colour elsewhere.
  const wxColour background = ThemeColour(type == FLAT_IMAGE_CHECKED ? wxSYS_COLOUR_BTNHIGHLIGHT : wxSYS_COLOUR_BTNFACE);
  const wxImage cell = FlattenStrip(images.GetSubImage(wxRect(sourceX, sourceY, width, height)), background);
  dc.DrawBitmap(wxBitmap(cell), x, y);
}

bool CTrueColorToolBar::LoadToolBar(int resource, int imageSize, int scale) {
  const auto& buttons = GetToolbarResource(resource);
  if (buttons.empty()) return false;
  if (scale <= 0) scale = std::max(1, static_cast<int>(std::lround(GetContentScaleFactor())));
  const int device = imageSize * scale;
  int images = 0;
  for (const auto& b : buttons)
    if (b.command != 0) ++images;
  wxImage strip(std::max(1, images * device), device, true);
  strip.InitAlpha();
  std::fill_n(strip.GetAlpha(), static_cast<std::size_t>(strip.GetWidth()) * static_cast<std::size_t>(device), 0);
  std::vector<FLAT_TOOL_ITEM> items;
  int index = 0;
  for (const auto& b : buttons) {
    FLAT_TOOL_ITEM item;
    if (b.command == 0) {
      item.separator = true;
      item.width = 3 * scale;
    } else {
      item.id = b.command;
      item.image = index;
      item.tooltip = b.tooltip;
      item.help = b.help;
      const wxImage icon = MakeToolImage(b.themeIcon, b.art, device);
      strip.Paste(icon, index * device, 0, wxIMAGE_ALPHA_BLEND_COMPOSE);
      ++index;
    }
    items.push_back(item);
  }
  SetItems(std::move(items));
  SetColorImages(strip, imageSize, imageSize, scale);
  return true;
}
