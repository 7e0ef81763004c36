#include "shell/RulerBar.h"

#include <wx/dc.h>

#include <algorithm>

#include "shell/UiTheme.h"

namespace {

struct RGB {
  unsigned char r, g, b;
};

RGB ToRgb(const wxColour& c) { return {c.Red(), c.Green(), c.Blue()}; }

// An RGB buffer with the few operations the ruler needs, all clipped to a
// rectangle.
class CPixelCanvas {
 public:
  explicit CPixelCanvas(wxImage& image) : m_image(image), m_clip{0, 0, image.GetWidth(), image.GetHeight()} {}
  void SetClip(const RULER_RECT& clip) {
    m_clip = {std::max(0, clip.left), std::max(0, clip.top), std::min(m_image.GetWidth(), clip.right),
              std::min(m_image.GetHeight(), clip.bottom)};
  }
  void Set(int x, int y, RGB c) {
    if (x < m_clip.left || y < m_clip.top || x >= m_clip.right || y >= m_clip.bottom) return;
    m_image.SetRGB(x, y, c.r, c.g, c.b);
  }
  void Fill(const RULER_RECT& r, RGB c) {
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) Set(x, y, c);
  }
  // A one-pixel frame: top and left in one colour, bottom and right in the other.
  void Frame(const RULER_RECT& r, RGB topLeft, RGB bottomRight) {
    if (r.IsEmpty()) return;
    Fill({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    Fill({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    Fill({r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    Fill({r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  }

 private:
  wxImage& m_image;
  RULER_RECT m_clip;
};

}  // namespace

bool CRulerBar::Create(wxWindow* parent, wxWindowID id, bool vertical) {
  m_vertical = vertical;
  const wxSize size = vertical ? wxSize(kVerticalRulerWidth, -1) : wxSize(-1, kHorizontalRulerHeight);
  if (!CPaintedWindow::Create(parent, id, wxDefaultPosition, size, wxBORDER_NONE, "ruler")) return false;
  SetMinSize(vertical ? wxSize(kVerticalRulerWidth, 1) : wxSize(1, kHorizontalRulerHeight));
  return true;
}

wxColour CRulerBar::GetPaintBackground() const { return ThemeColour(wxSYS_COLOUR_BTNFACE); }

void CRulerBar::SetUnitMode(bool unitMode) {
  if (m_unitMode == unitMode) return;
  m_unitMode = unitMode;
  Repaint();
}

bool CRulerBar::RangeUnchanged(int offset, int length, int zoom, float units) {
  const wxSize client = GetClientSize();
  const bool sameClient = client == m_lastClient;
  m_lastClient = client;
  return sameClient && offset == m_offset && length == m_length && zoom == m_zoom && units == m_units;
}

void CRulerBar::SetPixelRange(int offset, int length, int zoom) {
  if (RangeUnchanged(offset, length, zoom, m_units)) return;
  m_offset = offset;
  m_length = length;
  m_zoom = zoom;
  Repaint();
}

void CRulerBar::SetUnitRange(int offset, int length, float units) {
  if (RangeUnchanged(offset, length, m_zoom, units)) return;
  m_offset = offset;
  m_length = length;
  m_units = units;
  Repaint();
}

void CRulerBar::SetMarker(int position) {
  if (position == m_marker) return;
  // Only the two lines change: the old one's pixels and the new one's.
  const wxSize client = GetClientSize();
  RULER_RECT line;
  if (RulerMarkerLine(client.x, client.y, m_vertical, m_offset, m_length, m_marker, line))
    RefreshRect(wxRect(line.left, line.top, line.Width(), line.Height()), false);
  m_marker = position;
  if (RulerMarkerLine(client.x, client.y, m_vertical, m_offset, m_length, m_marker, line))
    RefreshRect(wxRect(line.left, line.top, line.Width(), line.Height()), false);
}

void CRulerBar::Repaint() {
  ++m_repaints;
  if (!GetHandle()) return;
  Refresh(false);
  Update();
}

wxImage CRulerBar::RenderRuler(const wxSize& size) const {
  wxImage image(std::max(1, size.x), std::max(1, size.y), false);
  const RGB face = ToRgb(ThemeColour(wxSYS_COLOUR_BTNFACE)), shadow = ToRgb(ThemeColour(wxSYS_COLOUR_BTNSHADOW)),
            light = ToRgb(ThemeColour(wxSYS_COLOUR_BTNHIGHLIGHT)), track = ToRgb(ThemeColour(wxSYS_COLOUR_SCROLLBAR)),
            black{0, 0, 0};
  CPixelCanvas canvas(image);
  canvas.Fill({0, 0, image.GetWidth(), image.GetHeight()}, face);
  const RULER_RECT area = RulerArea(size.x, size.y, m_vertical);
  if (area.IsEmpty()) return image;
  // The area with an etched frame.
  canvas.Frame(area, shadow, light);
  canvas.Frame({area.left + 1, area.top + 1, area.right - 1, area.bottom - 1}, light, shadow);
  canvas.SetClip(area);
  // The image's span, sunk into it.
  const RULER_RECT span = RulerSpan(area, m_vertical, m_offset, m_length);
  if (span.IsEmpty()) return image;
  canvas.Fill(span, track);
  canvas.Frame(span, shadow, light);
  const RULER_RECT r = RulerTickRect(span);
  canvas.SetClip(r);
  const RULER_MARKS marks =
      m_unitMode ? UnitRulerMarks(r, m_vertical, m_length, m_units) : PixelRulerMarks(r, m_vertical, m_zoom);
  for (const RULER_TICK& t : marks.ticks) {
    if (m_vertical)
      canvas.Fill({t.from, t.pos, t.to, t.pos + 1}, black);
    else
      canvas.Fill({t.pos, t.from, t.pos + 1, t.to}, black);
  }
  for (const RULER_LABEL& l : marks.labels)
    for (const RULER_PIXEL& p : RulerNumberPixels(m_vertical, l.value, l.x, l.y)) canvas.Set(p.x, p.y, black);
  return image;
}

void CRulerBar::Render(wxDC& dc) {
  const wxSize size = GetRenderSize();
  wxImage image = RenderRuler(size);
  // The marker: a dotted line across the ruler, every other pixel dark.
  RULER_RECT line;
  if (RulerMarkerLine(size.x, size.y, m_vertical, m_offset, m_length, m_marker, line)) {
    for (int y = line.top; y < line.bottom; ++y)
      for (int x = line.left; x < line.right; ++x)
        if (((x + y) & 1) == 0 && x < image.GetWidth() && y < image.GetHeight()) image.SetRGB(x, y, 0, 0, 0);
  }
  dc.DrawBitmap(wxBitmap(image), 0, 0);
}
