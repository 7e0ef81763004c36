#pragma once
// The frame and drop shadow drawn around every displayed image (editing
// view, preview controls, the Display Options sample). Rectangles are in the
// DC's logical units with right and bottom exclusive.

#include <wx/dc.h>

#include "imaging/ImageTypes.h"

// A one-pixel outline just outside the image rectangle, in the colour of the
// DC's current pen: through (left - 1, top - 1), (right, top - 1),
// (right, bottom) and (left - 1, bottom).
void DrawRectOutline(wxDC& dc, const Rect& image);

// The stippled shadow to the right of and below the image rectangle: pixels
// in the theme's window-text colour where (x + y) & 1 equals parity, others
// left as they are. Right strip: columns right + 1 .. right + 3, rows
// top + 3 .. bottom + 3; bottom strip: columns left + 3 .. right, rows
// bottom + 1 .. bottom + 3 (the column and row next to the image are the
// outline's). Both strips are first clamped to the clip rectangle.
void DrawStippledShadow(wxDC& dc, const Rect& clip, const Rect& image, int parity);
