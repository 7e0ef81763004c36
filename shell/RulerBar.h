#pragma once
// CRulerBar: a ruler along one edge of a view, horizontal above it or
// vertical to its left. In pixel mode its ticks follow the zoom and its
// labels give image coordinates; in unit mode it spans a number of units
// with ticks down to sixteenths. A dotted marker follows the mouse. The
// ruler is painted from an RGB buffer (digits from a built-in 5 x 7 font),
// so it looks the same on every display; what it draws comes from
// shell/RulerLayout.

#include "shell/PaintedWindow.h"
#include "shell/RulerLayout.h"

class CRulerBar : public CPaintedWindow {
 public:
  CRulerBar() = default;
  // Shows, takes no keys: the keyboard passes it by.
  bool AcceptsFocus() const override { return false; }
  // A horizontal ruler is 26 pixels high, a vertical one 22 wide.
  bool Create(wxWindow* parent, wxWindowID id, bool vertical);

  bool IsVertical() const { return m_vertical; }
  void SetUnitMode(bool unitMode);
  bool IsUnitMode() const { return m_unitMode; }
  // The image's (or page's) start and length along the ruler, in the view's
  // pixels, and the zoom (n > 1 n:1, n < -1 1:|n|, else 1:1). Repaints only
  // on a change of the values or of the ruler's size.
  void SetPixelRange(int offset, int length, int zoom);
  // Unit mode: `units` units over the length.
  void SetUnitRange(int offset, int length, float units);
  // The mouse position along the view (-1: none); moves the dotted line.
  void SetMarker(int position);

  int GetOffset() const { return m_offset; }
  int GetLength() const { return m_length; }
  int GetZoom() const { return m_zoom; }
  float GetUnits() const { return m_units; }
  int GetMarker() const { return m_marker; }
  // How often the ruler asked to be repainted (tests).
  int GetRepaintRequests() const { return m_repaints; }

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;
  // The ruler itself without the marker, as an image of the given size.
  wxImage RenderRuler(const wxSize& size) const;

 private:
  bool RangeUnchanged(int offset, int length, int zoom, float units);
  void Repaint();

  int m_offset = 0;
  int m_length = 0;
  int m_marker = -1;
  int m_zoom = 1;
  bool m_unitMode = false;
  float m_units = 0.0f;
  bool m_vertical = false;
  wxSize m_lastClient;
  int m_repaints = 0;
};
