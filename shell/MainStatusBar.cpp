#include "shell/MainStatusBar.h"

#include <wx/dcclient.h>
#include <wx/utils.h>
#include <wx/settings.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "resources/Strings.h"

CMainStatusBar* g_pStatusBar = nullptr;
const char* const kImageViewWindowName = "PictoravellView";

namespace {

std::string Format(const char* format, int a, int b = 0, int c = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

wxColour Sys(wxSystemColour c) { return wxSystemSettings::GetColour(c); }

// Draws text embossed: highlight one pixel right (and down for glyphs), the
// shadow colour on top.
void DrawEmbossedText(wxDC& dc, const wxString& text, int x, int y) {
  dc.SetTextForeground(Sys(wxSYS_COLOUR_BTNHIGHLIGHT));
  dc.DrawText(text, x + 1, y);
  dc.SetTextForeground(Sys(wxSYS_COLOUR_BTNSHADOW));
  dc.DrawText(text, x, y);
}

// Small glyphs are pixel patterns built in an image and drawn once, so they
// come out exactly (the device may antialias lines).
wxBitmap PatternBitmap(int width, int height, const std::function<bool(int, int)>& ink, const wxColour& colour) {
  wxImage image(width, height);
  image.InitAlpha();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      image.SetRGB(x, y, colour.Red(), colour.Green(), colour.Blue());
      image.SetAlpha(x, y, ink(x, y) ? 255 : 0);
    }
  return wxBitmap(image);
}

// The 9 x 9 dotted crosshair: every other pixel along the middle row and
// column, plus the four pixels next to the centre at distance 3.
void DrawCrosshair(wxDC& dc, int left, int top, const wxColour& colour) {
  const wxBitmap glyph = PatternBitmap(
      9, 9,
      [](int x, int y) {
        if (y == 4 && (x % 2 == 0 || x == 1 || x == 7)) return true;
        return x == 4 && (y % 2 == 0 || y == 1 || y == 7);
      },
      colour);
  dc.DrawBitmap(glyph, left, top, true);
}

void DrawSquareOutline(wxDC& dc, int left, int top, int size, const wxColour& colour) {
  const wxBitmap glyph = PatternBitmap(
      size, size, [size](int x, int y) { return x == 0 || y == 0 || x == size - 1 || y == size - 1; }, colour);
  dc.DrawBitmap(glyph, left, top, true);
}

// The 10 x 10 colour swatch: a black outline around 8 x 8 pixels of the
// colour, or of a checkerboard of 4 x 4 cells for a fully transparent pixel.
void DrawSwatch(wxDC& dc, int left, int top, int red, int green, int blue, bool transparent) {
  wxImage image(10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      wxColour c;
      if (x == 0 || y == 0 || x == 9 || y == 9)
        c = *wxBLACK;
      else if (transparent)
        c = ((x - 1) / 4 == (y - 1) / 4) ? wxColour(192, 192, 255) : *wxWHITE;
      else
        c = wxColour(static_cast<unsigned char>(red), static_cast<unsigned char>(green),
                     static_cast<unsigned char>(blue));
      image.SetRGB(x, y, c.Red(), c.Green(), c.Blue());
    }
  dc.DrawBitmap(wxBitmap(image), left, top);
}

}  // namespace

// A pane drawn by the status bar itself (wxGTK's bar draws only texts).
class CMainStatusBar::CPaneWindow : public wxWindow {
 public:
  CPaneWindow(CMainStatusBar* bar, int pane) : m_bar(bar), m_pane(pane) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Create(bar, wxID_ANY, wxDefaultPosition, wxSize(1, 1), wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
      wxPaintDC dc(this);
      dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
      dc.Clear();
      m_bar->RenderPane(dc, m_pane, wxRect(GetClientSize()));
    });
  }

 private:
  CMainStatusBar* m_bar;
  int m_pane;
};

CMainStatusBar::CMainStatusBar() {
  m_font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  g_pStatusBar = this;
}

CMainStatusBar::~CMainStatusBar() {
  if (g_pStatusBar == this) g_pStatusBar = nullptr;
}

bool CMainStatusBar::Create(wxWindow* parent) {
  if (!wxStatusBar::Create(parent, wxID_ANY, wxSTB_DEFAULT_STYLE & ~wxSTB_SIZEGRIP)) return false;
  SetFieldsCount(4);
  for (int pane = 1; pane <= 3; ++pane) m_panes[static_cast<std::size_t>(pane)] = new CPaneWindow(this, pane);
  SetStatusText(kReadyText, 0);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    e.Skip();
    PlacePanes();
  });
  SetLayout(m_layout);
  return true;
}

void CMainStatusBar::SetLayout(int layout) {
  m_layout = layout;
  if (!GetHandle()) return;
  wxClientDC dc(this);
  dc.SetFont(m_font);
  int w2 = 32, w3 = 32;
  if (layout == STATUS_LAYOUT_PIXEL) {
    w2 = dc.GetTextExtent(Format(": %d, %d", 65535, 65535)).x + 19;
    w3 = dc.GetTextExtent(Format(": %d, %d, %d", 255, 255, 255)).x + 36;
  } else if (layout == STATUS_LAYOUT_FILES) {
    w2 = dc.GetTextExtent(Format("%d Files", 65535)).x + 6;
    w3 = dc.GetTextExtent(Format("%d Selected", 65535)).x + 6;
  }
  const int widths[4] = {-1, 50, w2, w3};
  SetStatusWidths(4, widths);
  PlacePanes();
  RefreshPane(2);
  RefreshPane(3);
}

void CMainStatusBar::PlacePanes() {
  for (int pane = 1; pane <= 3; ++pane) {
    wxRect rect;
    if (m_panes[static_cast<std::size_t>(pane)] && GetFieldRect(pane, rect))
      m_panes[static_cast<std::size_t>(pane)]->SetSize(rect.Deflate(1));
  }
}

void CMainStatusBar::RefreshPane(int pane, bool now) {
  ++m_refreshCounts[static_cast<std::size_t>(pane)];
  CPaneWindow* w = m_panes[static_cast<std::size_t>(pane)];
  if (!w) return;
  w->Refresh(false);
  if (now) w->Update();
}

void CMainStatusBar::SetPixelInfo(int x, int y, int red, int green, int blue, int alpha) {
  m_readoutValid = true;
  if (x != m_x || y != m_y) {
    m_x = x;
    m_y = y;
    if (m_layout == STATUS_LAYOUT_PIXEL) RefreshPane(2);
  }
  if (red != m_red || green != m_green || blue != m_blue || alpha != m_alpha) {
    m_red = red;
    m_green = green;
    m_blue = blue;
    m_alpha = alpha;
    if (m_layout == STATUS_LAYOUT_PIXEL) RefreshPane(3);
  }
}

void CMainStatusBar::ClearPixelInfo() {
  if (!m_readoutValid) return;
  m_x = m_y = m_red = m_green = m_blue = -1;  // the alpha value stays
  m_readoutValid = false;
  RefreshPane(2);
  RefreshPane(3);
}

void CMainStatusBar::SetFileCounts(int files, int selected) {
  if (files != m_files) {
    m_files = files;
    if (m_layout == STATUS_LAYOUT_FILES) RefreshPane(2);
  }
  if (selected != m_selected) {
    m_selected = selected;
    if (m_layout == STATUS_LAYOUT_FILES) RefreshPane(3);
  }
}

void CMainStatusBar::ShowStatusText(const std::string& text) {
  SetStatusText(wxString::FromUTF8(text), 0);
  Update();  // shown at once: the operation does not return to the event loop
}

void CMainStatusBar::StartProgress() {
  m_progressSteps = 0;
  RefreshPane(1, true);
}

void CMainStatusBar::ShowProgressSteps(int steps) {
  if (steps == m_progressSteps) return;
  m_progressSteps = steps;
  RefreshPane(1, true);
}

void CMainStatusBar::EndProgress() {
  m_progressSteps = -1;
  RefreshPane(1);
  // The stack is empty now: a close requested during the operation goes through.
  if (g_pMainFrame) g_pMainFrame->OnStatusStackEmpty();
}

std::string CMainStatusBar::GetPaneText(int pane) const {
  if (m_layout == STATUS_LAYOUT_PIXEL) {
    if (pane == 2) return m_readoutValid ? Format(": %d, %d", m_x, m_y) : ": X, Y";
    if (pane == 3) {
      const bool show = m_readoutValid && m_red >= 0 && m_red <= 255 && m_green >= 0 && m_green <= 255 &&
                        m_blue >= 0 && m_blue <= 255 && m_alpha >= 1 && m_alpha <= 255;
      return show ? Format(": %d, %d, %d", m_red, m_green, m_blue) : ": R, G, B";
    }
  } else if (m_layout == STATUS_LAYOUT_FILES) {
    if (pane == 2) return Format("%d File", m_files) + (m_files > 1 ? "s" : "");
    if (pane == 3) return Format("%d Selected", m_selected);
  }
  return {};
}

void CMainStatusBar::RenderPane(wxDC& dc, int pane, const wxRect& rect) const {
  dc.SetFont(m_font);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  if (pane == 1) {
    DrawProgress(dc, rect);
  } else if (m_layout == STATUS_LAYOUT_PIXEL) {
    DrawPixelPane(dc, pane, rect);
  } else if (m_layout == STATUS_LAYOUT_FILES) {
    const wxString text = wxString::FromUTF8(GetPaneText(pane));
    dc.SetTextForeground(Sys(wxSYS_COLOUR_BTNTEXT));
    dc.DrawText(text, rect.x + 3, rect.y + (rect.height - dc.GetCharHeight()) / 2);
  }
}

wxColour CMainStatusBar::GetProgressColour(bool done) {
  // The done part in the active-caption colour of the theme's title bars;
  // GTK themes give both caption colours as near-equal light greys, so the
  // selection colour stands in for the active one.
  return Sys(done ? wxSYS_COLOUR_HIGHLIGHT : wxSYS_COLOUR_INACTIVECAPTION);
}

void CMainStatusBar::DrawProgress(wxDC& dc, const wxRect& rect) const {
  if (m_progressSteps < 0 || m_progressSteps > kProgressSteps) return;
  const int done = m_progressSteps * rect.width / kProgressSteps;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(GetProgressColour(true)));
  if (done > 0) dc.DrawRectangle(rect.x, rect.y, done, rect.height);
  dc.SetBrush(wxBrush(GetProgressColour(false)));
  if (rect.width - done > 0) dc.DrawRectangle(rect.x + done, rect.y, rect.width - done, rect.height);
}

void CMainStatusBar::DrawPixelPane(wxDC& dc, int pane, const wxRect& rect) const {
  const int iconLeft = rect.x + 3;
  const int textLeft = rect.x + 15;
  const int textTop = rect.y + (rect.height - dc.GetCharHeight()) / 2;
  const wxString text = wxString::FromUTF8(GetPaneText(pane));
  const wxColour highlight = Sys(wxSYS_COLOUR_BTNHIGHLIGHT), shadow = Sys(wxSYS_COLOUR_BTNSHADOW);
  if (pane == 2) {
    const int top = rect.y + (rect.height - 9) / 2;
    if (m_readoutValid) {
      DrawCrosshair(dc, iconLeft, top, *wxBLACK);
    } else {
      DrawCrosshair(dc, iconLeft + 1, top + 1, highlight);
      DrawCrosshair(dc, iconLeft, top, shadow);
    }
  } else {
    const int top = rect.y + (rect.height - 10) / 2;
    if (m_readoutValid) {
      DrawSwatch(dc, iconLeft, top, std::clamp(m_red, 0, 255), std::clamp(m_green, 0, 255),
                 std::clamp(m_blue, 0, 255), m_alpha == 0);
    } else {
      DrawSquareOutline(dc, iconLeft + 1, top + 1, 10, highlight);
      DrawSquareOutline(dc, iconLeft, top, 10, shadow);
    }
  }
  const bool plain = pane == 2 ? m_readoutValid : text.StartsWith(": R") == false;
  if (plain) {
    dc.SetTextForeground(Sys(wxSYS_COLOUR_BTNTEXT));
    dc.DrawText(text, textLeft, textTop);
  } else {
    DrawEmbossedText(dc, text, textLeft, textTop);
  }
}

void SetStatusPixelInfo(int x, int y, int red, int green, int blue, int alpha) {
  if (g_pStatusBar) g_pStatusBar->SetPixelInfo(x, y, red, green, blue, alpha);
}

void ClearStatusPixelInfo() {
  if (g_pStatusBar) g_pStatusBar->ClearPixelInfo();
}

void SetStatusFileCounts(int files, int selected) {
  if (g_pStatusBar) g_pStatusBar->SetFileCounts(files, selected);
}

void ClearStatusPixelInfoOutsideImageViews() {
  if (!g_pStatusBar || !g_pStatusBar->IsReadoutValid()) return;
  for (wxWindow* w = wxFindWindowAtPoint(wxGetMousePosition()); w; w = w->GetParent())
    if (w->GetName() == kImageViewWindowName) return;
  ClearStatusPixelInfo();
}
