#include "shell/DeviceDrawing.h"

#include <wx/bitmap.h>
#include <wx/dcgraph.h>
#include <wx/dcmemory.h>
#include <wx/dcprint.h>
#include <wx/graphics.h>
#include <wx/gdicmn.h>
#include <wx/image.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

bool g_forceEightBit = false;

// Switches a DC to plain device pixels for the time of one drawing.
class DevicePixelScope {
 public:
  explicit DevicePixelScope(wxDC& dc) : m_dc(dc) {
    m_mapMode = dc.GetMapMode();
    dc.GetUserScale(&m_userX, &m_userY);
    dc.GetLogicalScale(&m_logicalX, &m_logicalY);
    m_logicalOrigin = dc.GetLogicalOrigin();
    m_deviceOrigin = dc.GetDeviceOrigin();
    dc.SetMapMode(wxMM_TEXT);
    dc.SetUserScale(1, 1);
    dc.SetLogicalScale(1, 1);
    dc.SetLogicalOrigin(0, 0);
    dc.SetDeviceOrigin(0, 0);
  }
  ~DevicePixelScope() {
    m_dc.SetMapMode(m_mapMode);
    m_dc.SetUserScale(m_userX, m_userY);
    m_dc.SetLogicalScale(m_logicalX, m_logicalY);
    m_dc.SetLogicalOrigin(m_logicalOrigin.x, m_logicalOrigin.y);
    m_dc.SetDeviceOrigin(m_deviceOrigin.x, m_deviceOrigin.y);
  }

 private:
  wxDC& m_dc;
  wxMappingMode m_mapMode;
  double m_userX, m_userY, m_logicalX, m_logicalY;
  wxPoint m_logicalOrigin, m_deviceOrigin;
};

Rect ToDevice(const wxDC& dc, const Rect& r) {
  return Rect{dc.LogicalToDeviceX(r.left), dc.LogicalToDeviceY(r.top), dc.LogicalToDeviceX(r.right),
              dc.LogicalToDeviceY(r.bottom)};
}

// The DC's clipping box in device pixels; the whole DC when it has none.
Rect DeviceClipBox(const wxDC& dc) {
  wxCoord x = 0, y = 0, w = 0, h = 0;
  dc.GetClippingBox(&x, &y, &w, &h);
  if (w <= 0 || h <= 0) {
    const wxSize size = dc.GetSize();
    return Rect{0, 0, size.x, size.y};
  }
  return ToDevice(dc, Rect{x, y, x + w, y + h});
}

void PutBand(wxDC& dc, const uint8_t* rgb, int width, int rows, int x, int y) {
  // wxImage takes ownership of a malloc'ed buffer; copy the band into one.
  auto* data = static_cast<unsigned char*>(malloc(static_cast<size_t>(width) * rows * 3));
  if (!data) return;
  std::memcpy(data, rgb, static_cast<size_t>(width) * rows * 3);
  wxImage image(width, rows, data);
  dc.DrawBitmap(wxBitmap(image), x, y, false);
}

// Composes the composer's area band by band and puts each band on the DC.
template <class Composer>
void PutBands(wxDC& dc, Composer& composer, int bandHeight) {
  const Rect& area = composer.GetArea();
  const int rowsPerBand = std::max(1, std::min(bandHeight, area.Height()));
  std::vector<uint8_t> band(static_cast<size_t>(area.Width()) * rowsPerBand * 3);
  DevicePixelScope scope(dc);
  for (int first = 0; first < area.Height(); first += rowsPerBand) {
    const int rows = std::min(rowsPerBand, area.Height() - first);
    composer.ComposeRows(first, rows, band.data(), int64_t{area.Width()} * 3);
    PutBand(dc, band.data(), area.Width(), rows, area.left, area.top + first);
  }
}

}  // namespace

bool IsEightBitDisplay() { return g_forceEightBit || wxDisplayDepth() == 8; }
void ForceEightBitDisplay(bool force) { g_forceEightBit = force; }

void DrawImage(wxDC& dc, const Rect& drawing, const Rect& target, int bandHeight, const CRasterImage& image,
               const Rect& source, COLORSAMPLEPROC sampler) {
  if (!dc.IsOk()) return;
  // The target is relative to the drawing rectangle: scale it, don't move it.
  const Rect deviceDrawing = ToDevice(dc, drawing);
  const double sx = dc.LogicalToDeviceXRel(1000) / 1000.0, sy = dc.LogicalToDeviceYRel(1000) / 1000.0;
  const Rect deviceTarget{static_cast<int32_t>(target.left * sx), static_cast<int32_t>(target.top * sy),
                          static_cast<int32_t>(target.right * sx), static_cast<int32_t>(target.bottom * sy)};
  const Rect clip = DeviceClipBox(dc);
  CImageBandComposer composer(image, deviceDrawing, deviceTarget, source, clip, sampler, IsEightBitDisplay());
  if (composer.IsEmpty()) return;
  PutBands(dc, composer, bandHeight);
}

void DrawImageUnscaled(wxDC& dc, const CRasterImage& image, int x, int y) {
  if (!dc.IsOk() || image.IsEmpty() || image.GetBitsPerPixel() != 24) return;
  const Rect placed = ToDevice(dc, Rect{x, y, x + image.GetWidth(), y + image.GetHeight()});
  const Rect clip = DeviceClipBox(dc);
  const Rect area{std::max(placed.left, clip.left), std::max(placed.top, clip.top),
                  std::min({placed.right, clip.right, placed.left + image.GetWidth()}),
                  std::min({placed.bottom, clip.bottom, placed.top + image.GetHeight()})};
  if (area.IsEmpty()) return;
  std::vector<uint8_t> rgb(static_cast<size_t>(area.Width()) * area.Height() * 3);
  for (int32_t row = 0; row < area.Height(); ++row)
    std::memcpy(&rgb[static_cast<size_t>(row) * area.Width() * 3],
                image.GetRow(area.top - placed.top + row) + 3 * (area.left - placed.left),
                static_cast<size_t>(area.Width()) * 3);
  DevicePixelScope scope(dc);
  PutBand(dc, rgb.data(), area.Width(), area.Height(), area.left, area.top);
}

void DrawLayerStack(wxDC& dc, const Rect& target, int bandHeight, CLayerStack& stack, COLORSAMPLEPROC sampler) {
  if (!dc.IsOk()) return;
  const Rect deviceTarget = ToDevice(dc, target);
  const Rect clip = DeviceClipBox(dc);
  CLayerStackBandComposer composer(stack, deviceTarget, clip, sampler, IsEightBitDisplay());
  if (composer.IsEmpty()) return;
  PutBands(dc, composer, bandHeight);
}

void DrawLayerStackStretched(wxDC& dc, const Rect& target, int bandHeight, CLayerStack& stack) {
  if (!dc.IsOk()) return;
  // Printing works in the DC's logical units. Without a clipping box the
  // whole target is drawn (the device clips to its page).
  Rect clip = target;
  wxCoord cx = 0, cy = 0, cw = 0, ch = 0;
  dc.GetClippingBox(&cx, &cy, &cw, &ch);
  if (cw > 0 && ch > 0) clip = Rect{cx, cy, cx + cw, cy + ch};
  CStretchedStackComposer composer(stack, target, clip);
  if (composer.IsEmpty()) return;
  const Rect& source = composer.GetSource();

  wxGraphicsContext* gc = dc.GetGraphicsContext();
  std::unique_ptr<wxGCDC> printerGc;
  if (!gc) {
    if (auto* printer = dynamic_cast<wxPrinterDC*>(&dc)) {
      printerGc = std::make_unique<wxGCDC>(*printer);
      gc = printerGc->GetGraphicsContext();
    }
  }
  wxInterpolationQuality previous = wxINTERPOLATION_DEFAULT;
  if (gc) {
    previous = gc->GetInterpolationQuality();
    gc->SetInterpolationQuality(wxINTERPOLATION_NONE);
  }

  // Graphics contexts may smooth what they stretch whatever quality is
  // asked for (cairo does), so each band is stretched here, nearest pixel,
  // to the device pixels it covers and drawn 1:1. Bands are cut so that a
  // stretched band stays within a few tens of megabytes.
  const double deviceX = std::max(dc.LogicalToDeviceXRel(1000) / 1000.0, 0.001);
  const double deviceY = std::max(dc.LogicalToDeviceYRel(1000) / 1000.0, 0.001);
  const Rect one = composer.GetBandDestination(source.top, 1);
  const double rowPixels =
      std::max(1.0, std::ceil(one.Width() * deviceX)) * std::max(1.0, std::ceil(one.Height() * deviceY));
  const int budgetRows = static_cast<int>(std::clamp(16e6 / rowPixels, 1.0, 1e6));
  const int rowsPerBand = std::max(1, std::min({bandHeight, source.Height(), budgetRows}));
  std::vector<uint8_t> band(static_cast<size_t>(source.Width()) * rowsPerBand * 3);
  std::unique_ptr<DevicePixelScope> deviceScope;
  for (int32_t first = source.top; first < source.bottom; first += rowsPerBand) {
    const int rows = std::min(rowsPerBand, source.bottom - first);
    composer.ComposeRows(first, rows, band.data(), int64_t{source.Width()} * 3);
    const Rect to = composer.GetBandDestination(first, rows);
    const Rect device = ToDevice(dc, to);
    if (device.IsEmpty()) continue;
    auto* data = static_cast<unsigned char*>(malloc(static_cast<size_t>(source.Width()) * rows * 3));
    if (!data) break;
    std::memcpy(data, band.data(), static_cast<size_t>(source.Width()) * rows * 3);
    wxImage image(source.Width(), rows, data);
    image.Rescale(device.Width(), device.Height(), wxIMAGE_QUALITY_NEAREST);
    if (!image.IsOk()) break;
    if (gc) {
      gc->DrawBitmap(wxBitmap(image), to.left, to.top, to.Width(), to.Height());
    } else {
      if (!deviceScope) deviceScope = std::make_unique<DevicePixelScope>(dc);
      dc.DrawBitmap(wxBitmap(image), device.left, device.top, false);
    }
  }
  if (gc) gc->SetInterpolationQuality(previous);
}

void BitBltBitmap(wxDC& dc, const wxBitmap& bitmap, int sourceX, int sourceY, int targetX, int targetY, int width,
                  int height) {
  if (!dc.IsOk() || !bitmap.IsOk()) return;
  wxMemoryDC memory;
  memory.SelectObjectAsSource(bitmap);
  if (!memory.IsOk()) return;
  dc.Blit(targetX, targetY, width, height, &memory, sourceX, sourceY, wxCOPY);
  memory.SelectObject(wxNullBitmap);
}
