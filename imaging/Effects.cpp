#include "imaging/Effects.h"

#include <algorithm>
#include <cmath>

#include "imaging/Filters.h"

namespace {

void SetResult(int* result, int value) {
  if (result) *result = value;
}

bool Stopped(CANCELPROC cancel) { return cancel && cancel(); }

bool IsFullColorOrGray(const CRasterImage& image) {
  return image.GetBitsPerPixel() == 24 || image.IsGrayscale();
}

}  // namespace

// --- brightness and contrast ------------------------------------------------------

void BRIGHTNESS_CONTRAST_PARAMS::Clamp() {
  brightness = std::clamp(brightness, -128, 128);
  contrast = std::clamp(contrast, -128, 128);
}

void BuildBrightnessContrastTable(const BRIGHTNESS_CONTRAST_PARAMS& in, uint8_t table[256]) {
  BRIGHTNESS_CONTRAST_PARAMS params = in;
  params.Clamp();
  const int b = params.brightness;
  const int c = params.contrast;
  for (int i = 0; i < 256; ++i) {
    const int v = std::clamp(i + b, 0, 255);
    int entry;
    if (c >= 0) {
      if (v <= c)
        entry = 0;
      else if (v > 256 - c)
        entry = 255;
      else
        entry = (v - c) * 255 / (256 - 2 * c);
    } else {
      entry = 2 * (128 + c) * v / 255 - c;
    }
    table[i] = static_cast<uint8_t>(std::clamp(entry, 0, 255));
  }
}

CRasterImage ApplyLookupTable(const CRasterImage& source, const uint8_t table[256], CANCELPROC cancel, int* result) {
  SetResult(result, IMAGEIO_OK);
  if (source.IsEmpty()) {
    SetResult(result, IMAGEIO_BAD_COLOR_MODE);
    return {};
  }
  CRasterImage live = source;  // shares the buffers until written
  const int bpp = source.GetBitsPerPixel();
  if (bpp == 24 || source.IsGrayscale()) {
    const int32_t bytes = source.GetWidth() * (bpp == 24 ? 3 : 1);
    uint8_t* target = live.GetWritableBits();
    if (!target) {
      SetResult(result, IMAGEIO_NO_MEMORY);
      return {};
    }
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
      if (Stopped(cancel)) {
        SetResult(result, IMAGEIO_CANCELLED);
        return {};
      }
      const uint8_t* in = source.GetRow(y);
      uint8_t* out = target + static_cast<int64_t>(y) * live.GetStride();
      for (int32_t x = 0; x < bytes; ++x) out[x] = table[in[x]];
    }
    return live;
  }
  // Indexed colour: only the palette changes.
  const int count = std::min(source.GetPaletteSize(), bpp <= 8 ? 1 << bpp : 0);
  RGBQUAD* palette = count > 0 ? live.GetWritablePalette() : nullptr;
  const RGBQUAD* in = source.GetPalette();
  for (int i = 0; palette && i < count; ++i) {
    palette[i].rgbBlue = table[in[i].rgbBlue];
    palette[i].rgbGreen = table[in[i].rgbGreen];
    palette[i].rgbRed = table[in[i].rgbRed];
  }
  return live;
}

CRasterImage BrightnessContrast(const CRasterImage& source, const BRIGHTNESS_CONTRAST_PARAMS& params,
                                CANCELPROC cancel, int* result) {
  uint8_t table[256];
  BuildBrightnessContrastTable(params, table);
  return ApplyLookupTable(source, table, cancel, result);
}

// --- blur -----------------------------------------------------------------------

void BLUR_PARAMS::Clamp() {
  amount = std::clamp(amount, 0, 100);
  blend = std::clamp(blend, 0, 100);
  if (direction < 1 || direction > 3) direction = 3;
}

CRasterImage BlurOnly(const CRasterImage& source, const BLUR_PARAMS& in, CANCELPROC cancel, int* result) {
  SetResult(result, IMAGEIO_OK);
  BLUR_PARAMS params = in;
  params.Clamp();
  if (Stopped(cancel)) {
    SetResult(result, IMAGEIO_CANCELLED);
    return {};
  }
  CRasterImage blurred = source;
  if (params.amount > 0 && IsFullColorOrGray(source)) BlurImage(blurred, params.amount, params.direction, true);
  if (Stopped(cancel)) {
    SetResult(result, IMAGEIO_CANCELLED);
    return {};
  }
  return blurred;
}

CRasterImage BlendBlur(const CRasterImage& source, const CRasterImage& blurred, const BLUR_PARAMS& in) {
  BLUR_PARAMS params = in;
  params.Clamp();
  CRasterImage live = blurred;
  if (params.blend > 0) BlendImages(source, live, params.blend);
  return live;
}

CRasterImage Blur(const CRasterImage& source, const BLUR_PARAMS& params, CANCELPROC cancel, int* result) {
  CRasterImage blurred = BlurOnly(source, params, cancel, result);
  if (blurred.IsEmpty()) return blurred;
  return BlendBlur(source, blurred, params);
}

// --- sepia ----------------------------------------------------------------------

void SEPIA_PARAMS::Clamp() {
  constexpr double kTwoPi = 6.283185307179586;
  if (!(hue >= 0)) hue = 0;  // also NaN
  hue = std::min(hue, kTwoPi);
  if (!(saturation >= 0)) saturation = 0;
  saturation = std::min(saturation, 1.0);
  blend = std::clamp(blend, 0, 100);
}

CRasterImage Colorize(const CRasterImage& source, const SEPIA_PARAMS& in, CANCELPROC cancel, int* result) {
  SetResult(result, IMAGEIO_OK);
  SEPIA_PARAMS params = in;
  params.Clamp();
  if (source.GetBitsPerPixel() != 24) {
    SetResult(result, IMAGEIO_BAD_COLOR_MODE);
    return {};
  }
  constexpr double kPi = 3.141592653589793;
  const double H = params.hue;
  const double S = params.saturation;
  int sector = 0;
  double h = H;
  if (H > 2 * kPi / 3 && H <= 4 * kPi / 3) {
    sector = 1;
    h = H - 2 * kPi / 3;
  } else if (H > 4 * kPi / 3 && H <= 2 * kPi) {
    sector = 2;
    h = H - 4 * kPi / 3;
  }
  const double X = 1 + S * std::cos(h) / std::cos(kPi / 3 - h);
  const double Y = 1 - S;
  const double Z = 3 - (Y + X);
  const bool gray = H == 0 && S == 0;
  double f[3];  // red, green, blue factors
  if (gray) {
    f[0] = f[1] = f[2] = 1;
  } else if (sector == 0) {
    f[0] = X, f[1] = Z, f[2] = Y;
  } else if (sector == 1) {
    f[0] = Y, f[1] = X, f[2] = Z;
  } else {
    f[0] = Z, f[1] = Y, f[2] = X;
  }
  const auto level = [](double v) { return static_cast<uint8_t>(std::clamp(v * 255, 0.0, 255.0)); };
  CRasterImage live = source;
  uint8_t* bits = live.GetWritableBits();
  if (!bits) {
    SetResult(result, IMAGEIO_NO_MEMORY);
    return {};
  }
  for (int32_t y = 0; y < source.GetHeight(); ++y) {
    if (Stopped(cancel)) {
      SetResult(result, IMAGEIO_CANCELLED);
      return {};
    }
    const uint8_t* px = source.GetRow(y);
    uint8_t* out = bits + static_cast<int64_t>(y) * live.GetStride();
    for (int32_t x = 0; x < source.GetWidth(); ++x, px += 3, out += 3) {
      const double I = (px[0] / 255.0 + px[1] / 255.0 + px[2] / 255.0) / 3;
      out[0] = level(f[0] * I);
      out[1] = level(f[1] * I);
      out[2] = level(f[2] * I);
    }
  }
  return live;
}

CRasterImage Sepia(const CRasterImage& source, const SEPIA_PARAMS& in, CANCELPROC cancel, int* result) {
  SEPIA_PARAMS params = in;
  params.Clamp();
  SetResult(result, IMAGEIO_OK);
  if (params.blend >= 100) return source;
  CRasterImage live = Colorize(source, params, cancel, result);
  if (live.IsEmpty()) return live;
  if (params.blend > 0) BlendImages(source, live, params.blend);
  return live;
}

// --- remove red eye ----------------------------------------------------------------

CRasterImage RemoveRedEye(const CRasterImage& source, const Rect& pupil, int* result) {
  SetResult(result, IMAGEIO_OK);
  if (source.IsEmpty() || source.GetBitsPerPixel() != 24) {
    SetResult(result, IMAGEIO_BAD_COLOR_MODE);
    return {};
  }
  CRasterImage live = source;  // shares the buffers until written
  const int64_t side = int64_t{pupil.right} - pupil.left;
  const int64_t rows = int64_t{pupil.bottom} - pupil.top;
  if (side <= 0 || rows <= 0) return live;
  const double m = static_cast<double>(side - 1);
  const double c = m / 2;
  const double o = (m - 1) / 2;
  const double inner = (o - 1) * (o - 1);
  const double outer = (o + 1) * (o + 1);
  uint8_t* bits = nullptr;
  for (int64_t i = 0; i < rows; ++i) {
    const int64_t y = pupil.top + i;
    if (y < 0) continue;
    if (y >= source.GetHeight()) break;
    for (int64_t j = 0; j < side; ++j) {
      const int64_t x = pupil.left + j;
      if (x < 0) continue;
      if (x >= source.GetWidth()) break;
      const double d = (i - c) * (i - c) + (j - c) * (j - c);
      if (d > outer) continue;
      if (!bits) {
        bits = live.GetWritableBits();
        if (!bits) {
          SetResult(result, IMAGEIO_NO_MEMORY);
          return {};
        }
      }
      uint8_t* p = bits + y * live.GetStride() + x * 3;
      const uint8_t smallest = std::min({p[0], p[1], p[2]});
      if (d <= inner) {
        p[0] = p[1] = p[2] = smallest;
        continue;
      }
      const double t = 1 - (d - inner) / (outer - inner);
      for (int k = 0; k < 3; ++k) {
        const double v = t * smallest + (1 - t) * p[k];
        p[k] = static_cast<uint8_t>(std::clamp(std::trunc(v), 0.0, 255.0));
      }
    }
  }
  return live;
}

int RedEyeZoomPercent(int s) {
  s = std::clamp(s, 0, 100);
  return s > 50 ? 6 * s - 200 : 9 * s / 5 + 10;
}

int RedEyePupilScreenSize(int width, int height, int pupilPercent) {
  return std::max(0, std::min(width, height)) * std::clamp(pupilPercent, 1, 100) / 100;
}

Rect RedEyePupilRect(int32_t centreX, int32_t centreY, int screenSize, int zoom) {
  const int32_t a = zoom > 0 ? static_cast<int32_t>(int64_t{screenSize} * 100 / zoom) : 0;
  Rect r;
  r.left = centreX - a;
  r.top = centreY - a;
  r.right = centreX + a + 1;
  r.bottom = centreY + a + 1;
  return r;
}
