#pragma once
// Puts composed image bands on a wxDC: the device side of image drawing.
// Rectangles are in the DC's logical units; they are converted to device
// pixels, and the DC's mapping is restored afterwards.

#include <wx/dc.h>

#include "imaging/ImageDrawing.h"

// Paints the drawing rectangle: the source rectangle of the image scaled
// into the target rectangle (given relative to the drawing rectangle's
// top-left corner), the sampler's colour elsewhere. Only the part inside the
// DC's clipping box is drawn. sampler null: the display options' background.
void DrawImage(wxDC& dc, const Rect& drawing, const Rect& target, int bandHeight, const CRasterImage& image,
               const Rect& source, COLORSAMPLEPROC sampler = nullptr);

// Draws an opaque 24-bit image 1:1 with its top-left corner at (x, y).
void DrawImageUnscaled(wxDC& dc, const CRasterImage& image, int x, int y);

// True when the display has 8 bits per pixel (drawing then dithers to the
// 216-colour display palette). Tests may force it.
bool IsEightBitDisplay();
void ForceEightBitDisplay(bool force);
