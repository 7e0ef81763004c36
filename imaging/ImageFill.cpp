#include "imaging/ImageFill.h"

#include <algorithm>
#include <new>

#include "base/MessageReport.h"
#include "imaging/PixelAccess.h"

namespace {

CRasterImage& Pattern() {
  static CRasterImage pattern;
  return pattern;
}

int FloorMod(int v, int n) {
  const int r = v % n;
  return r < 0 ? r + n : r;
}

bool MaskIsZero(const uint8_t* maskRow, int32_t x, bool alphaMask) {
  return alphaMask ? maskRow[x] == 0 : GetPixel1(maskRow, static_cast<int16_t>(x)) == 0;
}

// First palette entry of exactly this colour, or -1.
int FindExactPaletteEntry(const CRasterImage& image, const RGBQUAD& color) {
  const RGBQUAD* pal = image.GetPalette();
  const int n = std::min(image.GetPaletteSize(), 1 << image.GetBitsPerPixel());
  for (int i = 0; i < n; ++i)
    if (pal[i].rgbRed == color.rgbRed && pal[i].rgbGreen == color.rgbGreen && pal[i].rgbBlue == color.rgbBlue)
      return i;
  return -1;
}

}  // namespace

bool HasPattern() { return !Pattern().IsEmpty(); }
void SetPattern(const CRasterImage& pattern) { Pattern() = pattern; }
void DiscardPattern() { Pattern().Free(); }

int SamplePattern(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) {
  const CRasterImage& p = Pattern();
  uint8_t r = 0, g = 0, b = 0;
  int alpha = 0;
  if (!p.IsEmpty()) {
    const int32_t px = FloorMod(x, p.GetWidth()), py = FloorMod(y, p.GetHeight());
    const uint8_t* row = p.GetRow(py);
    if (p.GetBitsPerPixel() == 24) {
      r = row[3 * px];
      g = row[3 * px + 1];
      b = row[3 * px + 2];
    } else {
      const int index = GetPixelGetter(p.GetBitsPerPixel())(row, static_cast<int16_t>(px));
      if (index < p.GetPaletteSize()) {
        const RGBQUAD q = p.GetPalette()[index];
        r = q.rgbRed;
        g = q.rgbGreen;
        b = q.rgbBlue;
      }
    }
    alpha = 255;
    if (p.HasValidMask()) {
      const uint8_t* mrow = p.GetMaskRow(py);
      alpha = p.GetBitsPerPixel() == 24 ? mrow[px] : (GetPixel1(mrow, static_cast<int16_t>(px)) ? 255 : 0);
    }
  }
  if (red) *red = r;
  if (green) *green = g;
  if (blue) *blue = b;
  return alpha;
}

CRasterImage PatternFill(const CRasterImage& source, COLORSAMPLEPROC sampler) {
  if (source.IsEmpty() || (!sampler && !HasPattern())) {
    ReportMessage(MESSAGE_ERROR, "Pattern Fill: Invalid parameters !");
    return CRasterImage();
  }
  const bool rgb = source.GetBitsPerPixel() == 24;
  if (!rgb && !source.IsGrayscale()) {
    ReportMessage(MESSAGE_ERROR, "Pattern Fill: Works only on full color or gray level images !");
    return CRasterImage();
  }
  if (!sampler) sampler = &SamplePattern;
  CRasterImage result = source;
  try {
    const bool hasMask = source.HasValidMask();
    if (!hasMask) result.RemoveMask();
    uint8_t* bits = result.GetWritableBits();
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
      uint8_t* row = bits + static_cast<int64_t>(y) * result.GetStride();
      const uint8_t* mrow = hasMask ? source.GetMaskRow(y) : nullptr;
      for (int32_t x = 0; x < source.GetWidth(); ++x) {
        if (mrow && MaskIsZero(mrow, x, rgb)) continue;
        uint8_t s[3] = {0, 0, 0};
        const int a = sampler(x, y, &s[0], &s[1], &s[2]) & 0xFF;
        if (rgb) {
          uint8_t* p = row + 3 * static_cast<int64_t>(x);
          for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((s[c] * a + p[c] * (255 - a)) / 255);
        } else {
          const int gray = (3 * s[0] + 6 * s[1] + s[2]) / 10;
          row[x] = static_cast<uint8_t>((gray * a + row[x] * (255 - a)) / 255);
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return CRasterImage();
  }
  return result;
}

CRasterImage ColorFill(const CRasterImage& source, const RGBQUAD* color) {
  if (source.IsEmpty() || !color) {
    ReportMessage(MESSAGE_ERROR, "Color Fill: Invalid parameters !");
    return CRasterImage();
  }
  const int32_t bpp = source.GetBitsPerPixel();
  int index = 0;
  if (bpp != 24) {
    index = FindExactPaletteEntry(source, *color);
    if (index < 0) {
      ReportMessage(MESSAGE_ERROR, "Color Fill: Cannot find the color in the palette !");
      return CRasterImage();
    }
  }
  CRasterImage result = source;
  try {
    const bool hasMask = source.HasValidMask();
    if (!hasMask) result.RemoveMask();
    uint8_t* bits = result.GetWritableBits();
    const PIXELSETPROC set = GetPixelSetter(bpp);
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
      uint8_t* row = bits + static_cast<int64_t>(y) * result.GetStride();
      const uint8_t* mrow = hasMask ? source.GetMaskRow(y) : nullptr;
      for (int32_t x = 0; x < source.GetWidth(); ++x) {
        const bool clear = mrow && MaskIsZero(mrow, x, bpp == 24);
        if (bpp == 24) {
          uint8_t* p = row + 3 * static_cast<int64_t>(x);
          p[0] = clear ? 0 : color->rgbRed;
          p[1] = clear ? 0 : color->rgbGreen;
          p[2] = clear ? 0 : color->rgbBlue;
        } else {
          set(row, static_cast<int16_t>(x), clear ? 0 : index);
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return CRasterImage();
  }
  return result;
}
