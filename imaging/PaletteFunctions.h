#pragma once
// Small palette functions used by the writers, the readers and the fills.

#include <vector>

#include "imaging/RasterImage.h"

// Index of the first palette entry with the colour's red, green and blue; -1
// when none or for 24-bit images.
int FindPaletteIndex(const CRasterImage& image, RGBQUAD color);
// true and the first index no pixel uses (transparent pixels count as using
// theirs); false when every index is used or for 24-bit images.
bool FindUnusedPaletteIndex(const CRasterImage& image, int* index);
// Gives an indexed image a 1-bit mask that is 0 exactly where the pixel
// equals index; false when no mask could be made.
bool MakeColorKeyMask(CRasterImage& image, int index);
// For writers that store transparency as one palette colour: the least-used
// index among opaque pixels (ties: the lower). remap = 0 when it is unused,
// else 1 with replacement = the other entry nearest to it (ties: the lower);
// the caller moves those opaque pixels there. false for images over 8 bits
// or without a mask.
bool ChooseTransparentIndex(const CRasterImage& image, int* index, int* remap, int* replacement);
// Highest index and number of distinct indices among opaque pixels (-1 and 0
// when there are none). Always true.
bool GetPaletteUsage(const CRasterImage& image, int* highest, int* count);
// New images (sharing the sources until written) with one palette re-ordered
// by use over all images, pixels rewritten to match; transparent pixels keep
// their values. All images must share depth (1, 4 or 8) and palette; empty
// vector otherwise.
std::vector<CRasterImage> SortPaletteByUsage(const CRasterImage* images, int count);
// Complements blue, green and red of count entries; a null source works in
// place. The reserved byte is left as it was.
void InvertPalette(RGBQUAD* target, const RGBQUAD* source, int count);
