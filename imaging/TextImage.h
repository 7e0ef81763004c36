#pragma once
// A rendered text turned into a floating selection's image: the coverage of
// the glyphs (0 background to 255 solid ink, as drawn by the text renderer)
// becomes an image of the colour with the coverage as its transparency.
//
// On a 24-bit frame (or an empty one) every pixel is the colour and the
// 8-bit mask is the coverage itself, so the smoothed edges of the glyphs are
// partly opaque. On an indexed or gray frame the text takes one palette
// entry of the frame's palette and a 1-bit mask that is set where the
// coverage is at least half (the renderer draws such text without
// smoothing, so the coverage is already 0 or 255). The result is cropped to
// its opaque pixels; a coverage without any ink gives the whole, fully
// transparent image.

#include <cstdint>
#include <vector>

#include "imaging/RasterImage.h"

// Coverage values, row by row from the top, width values a row.
struct TEXT_COVERAGE {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> values;
  bool IsEmpty() const { return width <= 0 || height <= 0; }
};

// Whether text on a frame whose image is `frameImage` is drawn smoothed:
// only for 24-bit images and empty ones.
bool IsTextSmoothed(const CRasterImage& frameImage);

// The text's image in the colour mode of frameImage (24-bit when it is
// empty), with the frame's palette for an indexed one. nearest (when not
// null) is set when the palette has no entry of exactly the colour and the
// nearest entry was used. Empty for an empty or inconsistent coverage, or
// when memory runs out.
CRasterImage MakeTextImage(const TEXT_COVERAGE& coverage, const CRasterImage& frameImage, RGBQUAD color,
                           bool* nearest);
