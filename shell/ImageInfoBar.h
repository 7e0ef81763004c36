#pragma once
// CImageInfoBar: the bar on top of an image document window. Zoom In, Zoom
// Out and Close buttons, a frame-counter pane (an icon that steps through
// three phases as an animation advances, and "current/count") and an
// information pane (size, colour mode and zoom, each after its icon). The
// panes are separators the bar sizes and paints itself; the information
// pane takes the room up to the Close button, which so stays at the right.

#include <string>

#include "shell/FlatToolBar.h"

// The texts of the panes (window-free).
std::string FormatInfoSize(int width, int height);   // "W: 640  H: 480"
std::string FormatInfoColorMode(int colorMode);      // ": Full Color" (-1 none, 0 gray, 1, 4, 8, 24)
std::string FormatInfoZoom(int zoom);                // ": x1", ": x3", ": x1/4"
std::string FormatFrameCounter(int current, int count);  // "1/12" (current is 0-based)
int FrameCounterPhase(int current);                  // 0, 1 or 2

// Item indexes and the panes' ids.
enum INFO_BAR_ITEM {
  INFO_ITEM_ZOOM_IN = 0,
  INFO_ITEM_ZOOM_OUT = 1,
  INFO_ITEM_COUNTER = 2,
  INFO_ITEM_INFO = 3,
  INFO_ITEM_CLOSE = 4,
};
constexpr int kInfoPaneId = 1;
constexpr int kCounterPaneId = 2;

class CImageInfoBar : public CFlatToolBar {
 public:
  bool Create(wxWindow* parent, wxWindowID id, int scale = 0);

  // Stores the values and repaints the panes whose values changed.
  void SetImageInfo(int width, int height, int colorMode, int zoom, int current, int count);
  void SetFrameCounter(int current, int count);

  int GetImageWidth() const { return m_width; }
  int GetImageHeight() const { return m_height; }
  int GetColorMode() const { return m_colorMode; }
  int GetZoomValue() const { return m_zoom; }
  int GetCurrentFrame() const { return m_current; }
  int GetFrameCount() const { return m_count; }
  // How often each pane was invalidated (tests).
  int GetInfoRepaints() const { return m_infoRepaints; }
  int GetCounterRepaints() const { return m_counterRepaints; }

 protected:
  void DrawSeparator(wxDC& dc, int index, int id, int image) override;
  void OnLayout() override;

 private:
  void SizePanes();
  void DrawIcon(wxDC& dc, int image, int x, const wxRect& r);

  bool m_created = false;
  int m_width = 0, m_height = 0, m_colorMode = -1, m_zoom = 1, m_current = 0, m_count = 0;
  int m_infoRepaints = 0, m_counterRepaints = 0;
};
