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

// Draws the stack's canvas scaled into the target rectangle, transparent
// pixels over the sampler (null: the display options' background), whose
// pattern starts at the target's top-left corner. Only the part inside the
// DC's clipping box is drawn, in bands of at most bandHeight rows.
void DrawLayerStack(wxDC& dc, const Rect& target, int bandHeight, CLayerStack& stack,
                    COLORSAMPLEPROC sampler = nullptr);

// Printing: draws the stack's canvas over white into the target rectangle,
// each band of canvas rows stretched by the device without interpolation
// (through the DC's graphics context, or one made over a printer DC), so
// the printer gets the canvas pixels at their own resolution.
void DrawLayerStackStretched(wxDC& dc, const Rect& target, int bandHeight, CLayerStack& stack);

// Copies the part (sourceX, sourceY, width, height) of the bitmap to
// (targetX, targetY) on the DC. Nothing for a bitmap that cannot be selected.
void BitBltBitmap(wxDC& dc, const wxBitmap& bitmap, int sourceX, int sourceY, int targetX, int targetY, int width,
                  int height);

// Draws an opaque 24-bit image 1:1 with its top-left corner at (x, y).
void DrawImageUnscaled(wxDC& dc, const CRasterImage& image, int x, int y);

// True when the display has 8 bits per pixel (drawing then dithers to the
// 216-colour display palette). Tests may force it. The window system offers
// no palettised visuals to realise a palette on, so the dither is all that
// an 8-bit display gets.
bool IsEightBitDisplay();
void ForceEightBitDisplay(bool force);
