#include "shell/ImageInfoBar.h"

#include <wx/dcmemory.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "resources/CommandIds.h"
#include "resources/ToolbarResources.h"
#include "shell/UiTheme.h"

std::string FormatInfoSize(int width, int height) {
  char text[64];
  std::snprintf(text, sizeof text, "W: %d  H: %d", width, height);
  return text;
}

std::string FormatInfoColorMode(int colorMode) {
  switch (colorMode) {
    case 0: return ": Grayscale";
    case 1: return ": Bitmap";
    case 4: return ": 16 Index";
    case 8: return ": 256 Index";
    case 24: return ": Full Color";
    default: return ": ";
  }
}

std::string FormatInfoZoom(int zoom) {
  char text[32];
  if (zoom > 1)
    std::snprintf(text, sizeof text, ": x%d", zoom);
  else if (zoom < -1)
    std::snprintf(text, sizeof text, ": x1/%d", -zoom);
  else
    std::snprintf(text, sizeof text, ": x1");
  return text;
}

std::string FormatFrameCounter(int current, int count) {
  char text[32];
  std::snprintf(text, sizeof text, "%d/%d", current + 1, count);
  return text;
}

int FrameCounterPhase(int current) { return ((current % 3) + 3) % 3; }

namespace {

constexpr int kImageSize = 16;

// The nine images: three counter phases, Zoom In, Zoom Out, size, colour
// mode, zoom, Close.
wxImage MakeInfoBarStrip(int scale) {
  struct Art {
    const char* theme;
    int art;
  };
  const Art arts[9] = {{"", TOOL_ART_FRAME_0},  {"", TOOL_ART_FRAME_1},       {"", TOOL_ART_FRAME_2},
                       {"zoom-in", TOOL_ART_ZOOM_TOOL}, {"zoom-out", TOOL_ART_ZOOM_TOOL}, {"", TOOL_ART_SIZE},
                       {"", TOOL_ART_COLOR_MODE}, {"", TOOL_ART_ZOOM_LEVEL}, {"window-close", TOOL_ART_NONE}};
  const int device = kImageSize * scale;
  wxImage strip(9 * device, device, true);
  strip.InitAlpha();
  std::fill_n(strip.GetAlpha(), static_cast<std::size_t>(9 * device) * static_cast<std::size_t>(device), 0);
  for (int i = 0; i < 9; ++i)
    strip.Paste(MakeToolImage(arts[i].theme, arts[i].art, device), i * device, 0, wxIMAGE_ALPHA_BLEND_COMPOSE);
  return strip;
}

}  // namespace

bool CImageInfoBar::Create(wxWindow* parent, wxWindowID id, int scale) {
  if (!CFlatToolBar::Create(parent, id)) return false;
  if (scale <= 0) scale = std::max(1, static_cast<int>(std::lround(GetContentScaleFactor())));
  std::vector<FLAT_TOOL_ITEM> items(5);
  items[INFO_ITEM_ZOOM_IN].id = ID_ZOOM_IN;
  items[INFO_ITEM_ZOOM_IN].image = 3;
  items[INFO_ITEM_ZOOM_IN].tooltip = "Zoom In";
  items[INFO_ITEM_ZOOM_IN].help = "Zoom in";
  items[INFO_ITEM_ZOOM_OUT].id = ID_ZOOM_OUT;
  items[INFO_ITEM_ZOOM_OUT].image = 4;
  items[INFO_ITEM_ZOOM_OUT].tooltip = "Zoom Out";
  items[INFO_ITEM_ZOOM_OUT].help = "Zoom out";
  items[INFO_ITEM_COUNTER].id = kCounterPaneId;
  items[INFO_ITEM_COUNTER].separator = true;
  items[INFO_ITEM_INFO].id = kInfoPaneId;
  items[INFO_ITEM_INFO].separator = true;
  items[INFO_ITEM_CLOSE].id = ID_FILE_CLOSE;
  items[INFO_ITEM_CLOSE].image = 8;
  items[INFO_ITEM_CLOSE].tooltip = "Close";
  items[INFO_ITEM_CLOSE].help = "Close the active image";
  SetItems(std::move(items));
  SetImageStrip(MakeInfoBarStrip(scale), kImageSize, kImageSize, scale);
  m_created = true;
  SizePanes();
  return true;
}

void CImageInfoBar::OnLayout() {
  if (m_created) SizePanes();
}

void CImageInfoBar::SizePanes() {
  if (m_items.size() != 5) return;
  const int iw = m_imageWidth * m_scale;
  char text[64];
  std::snprintf(text, sizeof text, ": %d/%d", m_count, m_count);
  const int counter = iw + GetTextWidth(text) - 6 + 10;
  // Lay the items out by hand: the information pane fills the room left of Close.
  auto& items = m_items;
  int x = items[INFO_ITEM_ZOOM_IN].rect.x;
  for (int i = 0; i < 5; ++i) {
    auto& item = items[static_cast<std::size_t>(i)];
    if (i == INFO_ITEM_COUNTER) item.width = counter;
    item.rect.x = x;
    if (item.separator) item.rect.width = item.width;
    if (i == INFO_ITEM_INFO) {
      const int closeWidth = items[INFO_ITEM_CLOSE].rect.width;
      item.width = std::max(0, GetClientSize().x - closeWidth - x);
      item.rect.width = item.width;
    }
    x += item.rect.width;
  }
  SetMinSize(wxSize(x, GetMinSize().y));
}

void CImageInfoBar::SetImageInfo(int width, int height, int colorMode, int zoom, int current, int count) {
  if (width != m_width || height != m_height || colorMode != m_colorMode || zoom != m_zoom) {
    m_width = width;
    m_height = height;
    m_colorMode = colorMode;
    m_zoom = zoom;
    SizePanes();
    ++m_infoRepaints;
    if (GetHandle()) RefreshRect(GetItemRect(INFO_ITEM_INFO), false);
  }
  SetFrameCounter(current, count);
}

void CImageInfoBar::SetFrameCounter(int current, int count) {
  if (current == m_current && count == m_count) return;
  m_current = current;
  m_count = count;
  SizePanes();
  ++m_counterRepaints;
  if (GetHandle()) {
    // The counter's width may change, and the information pane with it.
    RefreshRect(GetItemRect(INFO_ITEM_COUNTER), false);
    RefreshRect(GetItemRect(INFO_ITEM_INFO), false);
  }
}

void CImageInfoBar::DrawIcon(wxDC& dc, int image, int x, const wxRect& r) {
  const int iw = m_imageWidth * m_scale, ih = m_imageHeight * m_scale;
  DrawButtonImage(dc, FLAT_IMAGE_NORMAL, iw * image, 0, x, r.y + (r.height - ih) / 2, iw, ih);
}

void CImageInfoBar::DrawSeparator(wxDC& dc, int index, int id, int image) {
  if (id != kInfoPaneId && id != kCounterPaneId) {
    CFlatToolBar::DrawSeparator(dc, index, id, image);
    return;
  }
  wxRect r = GetItemRect(index);
  r.height -= 2;
  const int iw = m_imageWidth * m_scale;
  dc.SetFont(ThemeFont());
  dc.SetTextForeground(ThemeColour(wxSYS_COLOUR_BTNTEXT));
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetClippingRegion(r);
  auto text = [&](const std::string& s, int x) {
    const wxString t = wxString::FromUTF8(s);
    const wxSize extent = dc.GetTextExtent(t);
    dc.DrawText(t, x, r.y + (r.height - extent.y) / 2);
    return x + extent.x;
  };
  if (id == kInfoPaneId) {
    DrawIcon(dc, 5, r.x + 4, r);
    int x = text(FormatInfoSize(m_width, m_height), r.x + iw + 8) + 12;
    DrawIcon(dc, 6, x, r);
    x = text(FormatInfoColorMode(m_colorMode), x + iw + 4) + 12;
    DrawIcon(dc, 7, x, r);
    text(FormatInfoZoom(m_zoom), x + iw + 4);
  } else {
    DrawIcon(dc, FrameCounterPhase(m_current), r.x + 4, r);
    text(":", r.x + 4 + iw + 2);
    const wxString counter = wxString::FromUTF8(FormatFrameCounter(m_current, m_count));
    const wxSize extent = dc.GetTextExtent(counter);
    dc.DrawText(counter, r.GetRight() + 1 - 4 - extent.x, r.y + (r.height - extent.y) / 2);
  }
  dc.DestroyClippingRegion();
}
