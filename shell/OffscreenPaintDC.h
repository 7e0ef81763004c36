#pragma once
// Flicker-free painting: COffscreenPaintDC redirects drawing into a memory
// bitmap of the painted rectangle and copies the result to the target DC when
// it goes. Drawing through it uses the target's logical coordinates and
// mapping. The rectangle starts filled with the target's background brush
// (wxDC::SetBackground), so painting code sets that first and then covers
// only what differs from it.
//
// Window and memory DCs are buffered; every other DC (a printer, a PDF or
// SVG surface, a graphics-context DC) is drawn on directly, so printed
// output keeps its resolution.
//
// Lifetime: create it on the stack of a paint handler after the wxPaintDC
// and let it go before the wxPaintDC does.

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/dcmemory.h>
#include <wx/font.h>
#include <wx/gdicmn.h>

class COffscreenPaintDC {
 public:
  // rect: the area to cover in the target's logical coordinates; null: the
  // target's clipping box, or all of the target when it has none.
  explicit COffscreenPaintDC(wxDC& target, const wxRect* rect = nullptr);
  ~COffscreenPaintDC();
  COffscreenPaintDC(const COffscreenPaintDC&) = delete;
  COffscreenPaintDC& operator=(const COffscreenPaintDC&) = delete;

  // Where to draw.
  wxDC& GetDC() { return m_buffered ? static_cast<wxDC&>(m_memory) : m_target; }
  operator wxDC&() { return GetDC(); }
  // The covered area, logical coordinates.
  const wxRect& GetRect() const { return m_rect; }
  // False when drawing goes straight to the target.
  bool IsBuffered() const { return m_buffered; }

  // The logical clipping box of dc, or all of it when it has none.
  static wxRect ClipBoxOf(const wxDC& dc);

 private:
  wxDC& m_target;
  wxRect m_rect;
  wxRect m_device;  // m_rect in the target's device pixels
  bool m_buffered = false;
  wxBitmap m_bitmap;
  wxMemoryDC m_memory;
};

// The character height of a font (ascent plus descent) on the screen.
int GetFontHeight(const wxFont& font);
