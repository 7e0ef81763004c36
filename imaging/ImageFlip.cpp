#include "imaging/ImageFlip.h"

#include <cstring>
#include <new>

#include "imaging/PixelAccess.h"

void CopyRowsMirrored(int32_t rows, const uint8_t* source, uint8_t* target, int32_t width, int32_t sourceStride,
                      int32_t bitsPerPixel, int32_t targetStride, int flags) {
  if (!source || !target || rows <= 0 || width <= 0) return;
  const bool flip = flags & 1, mirror = flags & 2;
  const int64_t rowBytes = (static_cast<int64_t>(width) * bitsPerPixel + 7) / 8;
  for (int32_t r = 0; r < rows; ++r) {
    const uint8_t* src = source + static_cast<int64_t>(r) * sourceStride;
    uint8_t* dst = target + static_cast<int64_t>(flip ? rows - 1 - r : r) * targetStride;
    if (!mirror) {
      std::memcpy(dst, src, static_cast<size_t>(rowBytes));
      continue;
    }
    switch (bitsPerPixel) {
      case 1:
        for (int32_t x = 0; x < width; ++x)
          SetPixel1(dst, static_cast<int16_t>(width - 1 - x), GetPixel1(src, static_cast<int16_t>(x)));
        break;
      case 4:
        for (int32_t x = 0; x < width; ++x)
          SetPixel4(dst, static_cast<int16_t>(width - 1 - x), GetPixel4(src, static_cast<int16_t>(x)));
        break;
      case 8:
        for (int32_t x = 0; x < width; ++x) dst[width - 1 - x] = src[x];
        break;
      case 24:
        for (int32_t x = 0; x < width; ++x) {
          const uint8_t* s = src + 3 * static_cast<int64_t>(x);
          uint8_t* d = dst + 3 * static_cast<int64_t>(width - 1 - x);
          d[0] = s[0];
          d[1] = s[1];
          d[2] = s[2];
        }
        break;
      default:
        break;
    }
  }
}

CRasterImage FlipImage(const CRasterImage& source, int flags) {
  if (source.IsEmpty() || (flags & 3) == 0) return CRasterImage();
  CRasterImage result;
  try {
    const int32_t w = source.GetWidth(), h = source.GetHeight(), bpp = source.GetBitsPerPixel();
    if (!result.Create(w, h, bpp)) return CRasterImage();
    if (bpp != 24) result.m_palette = source.m_palette;
    CopyRowsMirrored(h, source.GetBits(), result.GetWritableBits(), w, source.GetStride(), bpp, result.GetStride(),
                     flags);
    if (source.HasValidMask()) {
      if (!result.CreateMask()) return CRasterImage();
      CopyRowsMirrored(h, source.GetMaskBits(), result.GetWritableMaskBits(), w, source.GetMaskStride(),
                       source.GetMaskBitsPerPixel(), result.GetMaskStride(), flags);
    }
  } catch (const std::bad_alloc&) {
    return CRasterImage();
  }
  return result;
}
