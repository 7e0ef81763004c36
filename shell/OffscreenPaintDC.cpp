#include "shell/OffscreenPaintDC.h"

#include <wx/dcclient.h>
#include <wx/dcscreen.h>

#include <algorithm>

namespace {

bool IsScreenLike(wxDC& dc) {
  return dynamic_cast<wxWindowDC*>(&dc) != nullptr || dynamic_cast<wxMemoryDC*>(&dc) != nullptr;
}

wxRect ToDevice(const wxDC& dc, const wxRect& r) {
  const int x1 = dc.LogicalToDeviceX(r.x), y1 = dc.LogicalToDeviceY(r.y);
  const int x2 = dc.LogicalToDeviceX(r.x + r.width), y2 = dc.LogicalToDeviceY(r.y + r.height);
  return wxRect(wxPoint(std::min(x1, x2), std::min(y1, y2)), wxSize(std::abs(x2 - x1), std::abs(y2 - y1)));
}

// Plain device pixels on a DC for the time of a copy.
class IdentityMapping {
 public:
  explicit IdentityMapping(wxDC& dc) : m_dc(dc) {
    m_mode = dc.GetMapMode();
    dc.GetUserScale(&m_ux, &m_uy);
    dc.GetLogicalScale(&m_lx, &m_ly);
    m_logical = dc.GetLogicalOrigin();
    m_device = dc.GetDeviceOrigin();
    dc.SetMapMode(wxMM_TEXT);
    dc.SetUserScale(1, 1);
    dc.SetLogicalScale(1, 1);
    dc.SetLogicalOrigin(0, 0);
    dc.SetDeviceOrigin(0, 0);
  }
  ~IdentityMapping() {
    m_dc.SetMapMode(m_mode);
    m_dc.SetUserScale(m_ux, m_uy);
    m_dc.SetLogicalScale(m_lx, m_ly);
    m_dc.SetLogicalOrigin(m_logical.x, m_logical.y);
    m_dc.SetDeviceOrigin(m_device.x, m_device.y);
  }

 private:
  wxDC& m_dc;
  wxMappingMode m_mode;
  double m_ux, m_uy, m_lx, m_ly;
  wxPoint m_logical, m_device;
};

}  // namespace

wxRect COffscreenPaintDC::ClipBoxOf(const wxDC& dc) {
  wxCoord x = 0, y = 0, w = 0, h = 0;
  dc.GetClippingBox(&x, &y, &w, &h);
  if (w > 0 && h > 0) return wxRect(x, y, w, h);
  const wxSize size = dc.GetSize();
  const int x1 = dc.DeviceToLogicalX(0), y1 = dc.DeviceToLogicalY(0);
  const int x2 = dc.DeviceToLogicalX(size.x), y2 = dc.DeviceToLogicalY(size.y);
  return wxRect(wxPoint(std::min(x1, x2), std::min(y1, y2)), wxSize(std::abs(x2 - x1), std::abs(y2 - y1)));
}

COffscreenPaintDC::COffscreenPaintDC(wxDC& target, const wxRect* rect)
    : m_target(target), m_rect(rect ? *rect : ClipBoxOf(target)) {
  const wxBrush background = target.GetBackground();
  m_device = ToDevice(target, m_rect);
  m_buffered = target.IsOk() && IsScreenLike(target) && m_device.width > 0 && m_device.height > 0;
  if (m_buffered) {
    m_bitmap.Create(m_device.width, m_device.height, 24);
    m_memory.SelectObject(m_bitmap);
    m_buffered = m_memory.IsOk();
  }
  if (m_buffered) {
    // The same mapping as the target, shifted so that the rectangle's
    // top-left corner lands on the bitmap's first pixel.
    m_memory.SetMapMode(target.GetMapMode());
    double x, y;
    target.GetUserScale(&x, &y);
    m_memory.SetUserScale(x, y);
    target.GetLogicalScale(&x, &y);
    m_memory.SetLogicalScale(x, y);
    const wxPoint logical = target.GetLogicalOrigin();
    m_memory.SetLogicalOrigin(logical.x, logical.y);
    const wxPoint device = target.GetDeviceOrigin();
    m_memory.SetDeviceOrigin(device.x - m_device.x, device.y - m_device.y);
    m_memory.SetFont(target.GetFont());
    m_memory.SetPen(target.GetPen());
    m_memory.SetTextForeground(target.GetTextForeground());
    m_memory.SetTextBackground(target.GetTextBackground());
    m_memory.SetBackground(background);
  }
  if (background.IsOk() && !background.IsTransparent() && m_rect.width > 0 && m_rect.height > 0) {
    wxDC& dc = GetDC();
    const wxPen pen = dc.GetPen();
    const wxBrush brush = dc.GetBrush();
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(background.GetColour()));
    dc.DrawRectangle(m_rect);
    dc.SetPen(pen);
    dc.SetBrush(brush);
  }
}

COffscreenPaintDC::~COffscreenPaintDC() {
  if (!m_buffered) return;
  {
    IdentityMapping source(m_memory);
    IdentityMapping target(m_target);
    m_target.Blit(m_device.x, m_device.y, m_device.width, m_device.height, &m_memory, 0, 0);
  }
  m_memory.SelectObject(wxNullBitmap);
}

int GetFontHeight(const wxFont& font) {
  wxMemoryDC dc;
  wxBitmap one(1, 1);
  dc.SelectObject(one);
  dc.SetFont(font.IsOk() ? font : *wxNORMAL_FONT);
  const int height = dc.GetCharHeight();
  dc.SelectObject(wxNullBitmap);
  return height;
}
