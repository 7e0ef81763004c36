#pragma once
// How images are shown: border, shadow, and what stands behind transparent
// pixels. One record for the whole program, kept in the profile section
// "Display options" and loaded on first use.

#include <cstdint>

#include "imaging/ImageTypes.h"

enum TRANSPARENCY_MODE { TRANSPARENCY_CHECKERBOARD = 0, TRANSPARENCY_SOLID = 1, TRANSPARENCY_WINDOW = 2 };

struct DISPLAY_OPTIONS {
  int32_t bDrawBorder = 1;
  int32_t bDrawShadow = 1;
  int32_t nTransparency = TRANSPARENCY_CHECKERBOARD;
  RGBQUAD checkerColor1 = MakeRGBQuad(192, 192, 255);
  RGBQUAD checkerColor2 = MakeRGBQuad(255, 255, 255);
  RGBQUAD solidColor = MakeRGBQuad(255, 255, 255);
  RGBQUAD windowColor = MakeRGBQuad(255, 255, 255);  // around the image, and behind it in TRANSPARENCY_WINDOW
};

// Reads the record from the profile (defaults where a value is missing).
void LoadDisplayOptions();
// Loads on first use, then copies the record.
void GetDisplayOptions(DISPLAY_OPTIONS& options);
// Replaces the record and writes all its values to the profile.
void SetDisplayOptions(const DISPLAY_OPTIONS& options);
