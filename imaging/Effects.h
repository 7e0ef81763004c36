#pragma once
// The pure functions behind the effect tools: each takes the untouched image
// read-only and a parameter struct, and returns the effect's result as a new
// image (empty on failure or when cancelled, with the reason in *result).
// Every parameter struct has Clamp(), and every function clamps again on
// entry, so nothing outside the ranges reaches the pixels. The functions poll
// `cancel` once per row (or per pass) and stop with IMAGEIO_CANCELLED.

#include <cstdint>

#include "base/ResultCodes.h"
#include "imaging/ImageTypes.h"
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

// Remove Red Eye: the pupil is a disc inside a square of 2a + 1 pixels
// (left, top inclusive; right, bottom exclusive, in image pixels). With
// m = right - left - 1, c = m / 2, o = (m - 1) / 2 (doubles), inner = (o - 1)^2
// and outer = (o + 1)^2, a pixel at row i, column j of the square at squared
// distance d = (i - c)^2 + (j - c)^2 keeps its colour for d > outer, takes the
// smallest of its three channels in all three for d <= inner, and between
// the two mixes toward it: t = 1 - (d - inner) / (outer - inner), each
// channel t * smallest + (1 - t) * channel, truncated. Only pixels inside the
// image change; the mask is kept. 24-bit only (empty otherwise, with
// IMAGEIO_BAD_COLOR_MODE).
CRasterImage RemoveRedEye(const CRasterImage& source, const Rect& pupil, int* result = nullptr);

// The zoom percent of the red-eye panel's zoom slider position 0..100:
// 10 at 0, 100 at 50, 106 at 51, 400 at 100.
int RedEyeZoomPercent(int sliderPosition);
// The pupil's size on the screen: the smaller side of the control times the
// pupil percent (clamped to 1..100) / 100.
int RedEyePupilScreenSize(int controlWidth, int controlHeight, int pupilPercent);
// The pupil square around the image pixel (centreX, centreY) for a pupil of
// screenSize pixels at zoom percent: a = screenSize * 100 / zoom,
// (centreX - a, centreY - a, centreX + a + 1, centreY + a + 1).
Rect RedEyePupilRect(int32_t centreX, int32_t centreY, int screenSize, int zoom);
