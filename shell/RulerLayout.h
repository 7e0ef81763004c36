#pragma once
// What a ruler draws, worked out without a window: the ticks and labels of
// pixel mode (image coordinates at a zoom) and of unit mode (a number of
// inches or centimetres over a length), the pixels of the 5 x 7 digit font,
// the ruler's areas and the position of the mouse marker. CRulerBar paints
// what these functions return; tests check them directly.

#include <vector>

// A rectangle, right and bottom exclusive.
struct RULER_RECT {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
};

// One tick: a line of one pixel across the ruler at `pos` along it, covering
// the cross coordinates from `from` to `to` (to exclusive).
struct RULER_TICK {
  int pos = 0;
  int from = 0, to = 0;
};

// A label: the number's top-left pixel.
struct RULER_LABEL {
  int x = 0, y = 0;
  int value = 0;
};

struct RULER_MARKS {
  std::vector<RULER_TICK> ticks;
  std::vector<RULER_LABEL> labels;
};

constexpr int kHorizontalRulerHeight = 26;
constexpr int kVerticalRulerWidth = 22;
// Where the ruler area starts along a horizontal ruler: the width of the
// vertical ruler beside it, and a little.
constexpr int kRulerLead = 24;

// The ruler area inside the client rectangle.
RULER_RECT RulerArea(int clientWidth, int clientHeight, bool vertical);
// The span of the image (or page) on the ruler: the part of the area it
// covers, before the frame around it (empty when it lies outside).
RULER_RECT RulerSpan(const RULER_RECT& area, bool vertical, int offset, int length);
// Where ticks go: the span inside its two-pixel frame.
RULER_RECT RulerTickRect(const RULER_RECT& span);

// Pixel mode: the tick step in screen pixels for a zoom, the label value at
// a screen distance, and the ticks and labels over the tick rectangle.
int PixelTickStep(int zoom);
int PixelLabelValue(int distance, int zoom);
RULER_MARKS PixelRulerMarks(const RULER_RECT& r, bool vertical, int zoom);

// Unit mode: `units` units over `length` pixels, subdivided down to
// sixteenths while the ticks stay at least 4 pixels apart. No ticks when
// the length or the number of units is not positive.
RULER_MARKS UnitRulerMarks(const RULER_RECT& r, bool vertical, int length, float units);

// The pixels of a number in the digit font, drawn from (x, y): along the
// ruler for a horizontal one, digits stacked for a vertical one.
struct RULER_PIXEL {
  int x, y;
};
std::vector<RULER_PIXEL> RulerNumberPixels(bool vertical, int value, int x, int y);

// The mouse marker: whether it shows, and the rectangle its dotted line
// covers (one pixel across the ruler).
bool RulerMarkerLine(int clientWidth, int clientHeight, bool vertical, int offset, int length, int marker,
                     RULER_RECT& line);
