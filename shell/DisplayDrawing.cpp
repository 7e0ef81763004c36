#include "shell/DisplayDrawing.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include <algorithm>

#include "shell/UiTheme.h"

namespace {

// Inclusive ranges clamped to the clip rectangle (right and bottom exclusive).
void StippleStrip(wxDC& dc, const Rect& clip, int x1, int x2, int y1, int y2, int parity, const wxColour& colour) {
  x1 = std::max(x1, clip.left);
  x2 = std::min(x2, clip.right - 1);
  y1 = std::max(y1, clip.top);
  y2 = std::min(y2, clip.bottom - 1);
  if (x2 < x1 || y2 < y1) return;
  const int w = x2 - x1 + 1, h = y2 - y1 + 1;
  // The unset pixels take a key colour that becomes the bitmap's mask, so
  // what lies under them stays.
  const unsigned char key[3] = {static_cast<unsigned char>(colour.Red() ^ 0x80), colour.Green(), colour.Blue()};
  wxImage strip(w, h);
  unsigned char* p = strip.GetData();
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x, p += 3) {
      const bool set = ((x + y) & 1) == (parity & 1);
      p[0] = set ? colour.Red() : key[0];
      p[1] = set ? colour.Green() : key[1];
      p[2] = set ? colour.Blue() : key[2];
    }
  strip.SetMaskColour(key[0], key[1], key[2]);
  dc.DrawBitmap(wxBitmap(strip), x1, y1, true);
}

}  // namespace

void DrawRectOutline(wxDC& dc, const Rect& r) {
  // Filled one-pixel bars: a stroked rectangle would be antialiased at the
  // corners by cairo.
  const wxPen oldPen = dc.GetPen();
  const wxBrush oldBrush = dc.GetBrush();
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(oldPen.IsOk() ? oldPen.GetColour() : *wxBLACK));
  const int w = r.Width() + 2;
  dc.DrawRectangle(r.left - 1, r.top - 1, w, 1);
  dc.DrawRectangle(r.left - 1, r.bottom, w, 1);
  dc.DrawRectangle(r.left - 1, r.top, 1, r.Height());
  dc.DrawRectangle(r.right, r.top, 1, r.Height());
  dc.SetPen(oldPen);
  dc.SetBrush(oldBrush);
}

void DrawStippledShadow(wxDC& dc, const Rect& clip, const Rect& image, int parity) {
  const wxColour colour = ThemeColour(wxSYS_COLOUR_WINDOWTEXT);
  StippleStrip(dc, clip, image.right + 1, image.right + 3, image.top + 3, image.bottom + 3, parity, colour);
  StippleStrip(dc, clip, image.left + 3, image.right, image.bottom + 1, image.bottom + 3, parity, colour);
}
