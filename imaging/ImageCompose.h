#pragma once
// Composing an overlay onto a base image, extracting (or cutting out) a
// selected part, and cropping an image to its opaque area.

#include "imaging/RasterImage.h"

// One image covering both, the overlay drawn over the base at (x, y)
// relative to the base's origin. The result's origin lies at (min(x, 0),
// min(y, 0)) relative to the base's. Both empty gives empty; an empty base
// gives the overlay, an empty overlay the base. A 24-bit base composes by the
// over rule into a 24-bit image (8-bit mask only where something is not
// opaque); an indexed base takes an overlay of its own depth, read through
// the base's palette (an overlay of another depth gives an empty result).
CRasterImage ComposeImages(const CRasterImage& base, const CRasterImage& overlay, int32_t x, int32_t y);
// The two halves of ComposeImages (both inputs non-empty).
CRasterImage PasteRgbImage(const CRasterImage& base, const CRasterImage& overlay, int32_t x, int32_t y);
CRasterImage PasteIndexedImage(const CRasterImage& base, const CRasterImage& overlay, int32_t x, int32_t y);

// The selected part of the image (selection: a 1-bit mask of the image's
// size) cropped to the selection's bounds; pixels inside the bounds that are
// not selected become transparent with value 0. With cut, the selected
// pixels of the image become transparent with value 0 (the image gets a mask
// when it had none). Bounds out (when not null): the image's opaque bounds
// afterwards, or its whole rectangle when it has no mask. Empty result, the
// image and bounds untouched, when the image or the selection is empty, the
// selection has no set bit or is not of the image's size.
CRasterImage ExtractSelection(CRasterImage& image, const CRasterImage& selection, bool cut, Rect* bounds);

// The image cropped to the bounds of its mask's non-zero values (result with
// a mask); a plain copy without a mask; empty when nothing is non-zero.
CRasterImage CropToMask(const CRasterImage& image);
