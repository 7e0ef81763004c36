#include "shell/HistogramCtrl.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include <algorithm>

#include "imaging/Histogram.h"

CHistogramCtrl::CHistogramCtrl(wxWindow* parent, wxWindowID id, const CRasterImage* image, const wxPoint& pos,
                               const wxSize& size)
    : m_image(image) {
  Create(parent, id, pos, size);
}

bool CHistogramCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  return CPaintedWindow::Create(parent, id, pos, size, 0, "histogram");
}

void CHistogramCtrl::Recalculate() {
  m_counts.fill(0);
  if (m_image && m_image->HasPixels()) ComputeHistogram(*m_image, m_counts.data());
  if (GetHandle()) Refresh(false);
}

int CHistogramCtrl::BarHeight(uint32_t count, int64_t pixels, int graphHeight) {
  if (pixels <= 0 || graphHeight <= 0) return 0;
  // In 64 bits: a 32-bit product overflows for large images and would show
  // a full bar for a bin of a few per cent.
  const int64_t h = int64_t{count} * graphHeight * 85 / pixels;
  return static_cast<int>(std::min<int64_t>(h, graphHeight + 1));
}

void CHistogramCtrl::Render(wxDC& dc) {
  const wxSize s = GetRenderSize();
  if (s.x <= 0 || s.y <= 0) return;
  const int graphBottom = s.y - 6;
  const int64_t pixels = m_image ? int64_t{m_image->GetWidth()} * m_image->GetHeight() : 0;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(*wxBLACK_BRUSH);
  for (int i = 0; i < 256; ++i) {
    const int h = BarHeight(m_counts[static_cast<size_t>(i)], pixels, graphBottom);
    if (h <= 0) continue;
    // From the graph's bottom edge up, h pixels (rows graphBottom - h + 1 .. graphBottom).
    const int x = i * s.x / 256;
    dc.DrawRectangle(x, graphBottom - h + 1, 1, h);
  }
  // The grey ramp in the three bottom rows.
  const int rows = std::min(3, s.y);
  wxImage ramp(s.x, rows);
  unsigned char* p = ramp.GetData();
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < s.x; ++x, p += 3) p[0] = p[1] = p[2] = static_cast<unsigned char>((x * 255 / s.x) & 255);
  dc.DrawBitmap(wxBitmap(ramp), 0, s.y - rows, false);
}
