#pragma once
// The pure functions behind the effect tools: each takes the untouched image
// read-only and a parameter struct, and returns the effect's result as a new
// image (empty on failure or when cancelled, with the reason in *result).
// Every parameter struct has Clamp(), and every function clamps again on
// entry, so nothing outside the ranges reaches the pixels. The functions poll
// `cancel` once per row (or per pass) and stop with IMAGEIO_CANCELLED.

#include <cstdint>

#include "base/ResultCodes.h"
#include "imaging/RasterImage.h"

// Brightness && Contrast: a 256-entry table applied to every byte of a 24-bit
// or gray image, or to the palette of an indexed one.
struct BRIGHTNESS_CONTRAST_PARAMS {
  int brightness = 0;  // -128..128
  int contrast = 0;    // -128..128
  void Clamp();
};

// The table of the two values: v = i + brightness clamped to 0..255; with
// c >= 0: 0 for v <= c, 255 for v > 256 - c, else (v - c) * 255 / (256 - 2c);
// with c < 0: 2 * (128 + c) * v / 255 - c.
void BuildBrightnessContrastTable(const BRIGHTNESS_CONTRAST_PARAMS& params, uint8_t table[256]);

// The image mapped through the table: every pixel byte of a 24-bit or gray
// image, only the palette of a 1-, 4- or 8-bit indexed one; the mask is kept.
CRasterImage ApplyLookupTable(const CRasterImage& source, const uint8_t table[256], CANCELPROC cancel = nullptr,
                              int* result = nullptr);

CRasterImage BrightnessContrast(const CRasterImage& source, const BRIGHTNESS_CONTRAST_PARAMS& params,
                                CANCELPROC cancel = nullptr, int* result = nullptr);

// Blur: a box blur of `amount` pixels in the chosen direction, mixed with the
// untouched image by `blend` percent (the untouched image's share).
struct BLUR_PARAMS {
  int amount = 0;     // radius in pixels, 0..100
  int blend = 0;      // 0..100
  int direction = 3;  // 3 both, 2 horizontal only, 1 vertical only
  void Clamp();
};

// The blurred image without the blend (a copy of the source for amount 0 or
// an image kind the blur does not handle: 24-bit and gray only).
CRasterImage BlurOnly(const CRasterImage& source, const BLUR_PARAMS& params, CANCELPROC cancel = nullptr,
                      int* result = nullptr);
// `blurred` (from BlurOnly) mixed with the source by params.blend.
CRasterImage BlendBlur(const CRasterImage& source, const CRasterImage& blurred, const BLUR_PARAMS& params);
CRasterImage Blur(const CRasterImage& source, const BLUR_PARAMS& params, CANCELPROC cancel = nullptr,
                  int* result = nullptr);

// Sepia: the intensity of each pixel recoloured with one hue and saturation
// (HSI), mixed with the untouched image by `blend` percent. 24-bit only.
struct SEPIA_PARAMS {
  double hue = 0.6981317007977318;  // radians, 0..2 pi (40 degrees)
  double saturation = 0.15;         // 0..1
  int blend = 0;                    // 0..100
  void Clamp();
};

// The colourised image without the blend.
CRasterImage Colorize(const CRasterImage& source, const SEPIA_PARAMS& params, CANCELPROC cancel = nullptr,
                      int* result = nullptr);
CRasterImage Sepia(const CRasterImage& source, const SEPIA_PARAMS& params, CANCELPROC cancel = nullptr,
                   int* result = nullptr);
