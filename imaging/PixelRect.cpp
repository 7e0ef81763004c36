#include "imaging/PixelRect.h"

#include <algorithm>
#include <cstring>

#include "imaging/PixelAccess.h"

namespace {

// Copies `count` pixels starting at source pixel sx to target pixel tx.
void CopyRowPixels(const uint8_t* src, int32_t sx, uint8_t* dst, int32_t tx, int32_t count, int32_t bpp) {
  switch (bpp) {
    case 1:
      if ((sx & 7) == 0 && (tx & 7) == 0) {
        const int32_t whole = count / 8;
        std::memcpy(dst + tx / 8, src + sx / 8, static_cast<size_t>(whole));
        for (int32_t j = whole * 8; j < count; ++j)
          SetPixel1(dst, static_cast<int16_t>(tx + j), GetPixel1(src, static_cast<int16_t>(sx + j)));
      } else {
        for (int32_t j = 0; j < count; ++j)
          SetPixel1(dst, static_cast<int16_t>(tx + j), GetPixel1(src, static_cast<int16_t>(sx + j)));
      }
      break;
    case 4:
      if ((sx & 1) == 0 && (tx & 1) == 0) {
        std::memcpy(dst + tx / 2, src + sx / 2, static_cast<size_t>(count / 2));
        if (count & 1)
          SetPixel4(dst, static_cast<int16_t>(tx + count - 1), GetPixel4(src, static_cast<int16_t>(sx + count - 1)));
      } else {
        for (int32_t j = 0; j < count; ++j)
          SetPixel4(dst, static_cast<int16_t>(tx + j), GetPixel4(src, static_cast<int16_t>(sx + j)));
      }
      break;
    case 8:
      std::memcpy(dst + tx, src + sx, static_cast<size_t>(count));
      break;
    case 24:
      std::memcpy(dst + tx * 3, src + sx * 3, static_cast<size_t>(count) * 3);
      break;
    default:
      break;
  }
}

}  // namespace

bool CopyPixelRect(int32_t sourceWidth, int32_t rows, const uint8_t* sourceBits, int32_t sourceHeight,
                   int32_t sourceStride, int32_t bitsPerPixel, uint8_t* targetBits, int32_t x, int32_t y,
                   int32_t width, int32_t targetStride) {
  width = std::max(0, std::min(width, sourceWidth - x));
  rows = std::max(0, std::min(rows, sourceHeight - y));
  if (x < 0 || y < 0 || width <= 0 || rows <= 0 || !sourceBits || !targetBits) return false;
  const uint8_t* src = sourceBits + static_cast<int64_t>(y) * sourceStride;
  for (int32_t r = 0; r < rows; ++r, src += sourceStride, targetBits += targetStride)
    CopyRowPixels(src, x, targetBits, 0, width, bitsPerPixel);
  return true;
}

CRasterImage CropImage(const CRasterImage& source, const Rect& rect) {
  CRasterImage result;
  if (rect.IsEmpty() || source.IsEmpty()) return result;
  const int32_t bpp = source.GetBitsPerPixel();
  if (!result.Create(rect.Width(), rect.Height(), bpp)) return CRasterImage();
  if (bpp <= 8) result.m_palette.CopyFrom(source.GetPalette(), source.m_palette.GetSize());
  const bool mask = source.HasValidMask();
  if (mask && !result.CreateMask()) return CRasterImage();

  // The overlap of the rectangle with the source, placed at its offset.
  const int32_t left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  const int32_t right = std::min(rect.right, source.GetWidth());
  const int32_t bottom = std::min(rect.bottom, source.GetHeight());
  if (left >= right || top >= bottom) return result;
  const int32_t dx = left - rect.left, dy = top - rect.top;

  uint8_t* dst = result.GetWritableBits() + static_cast<int64_t>(dy) * result.GetStride();
  const uint8_t* src = source.GetRow(top);
  for (int32_t y = top; y < bottom; ++y, src += source.GetStride(), dst += result.GetStride())
    CopyRowPixels(src, left, dst, dx, right - left, bpp);
  if (mask) {
    const int32_t mbpp = source.GetMaskBitsPerPixel();
    uint8_t* mdst = result.GetWritableMaskBits() + static_cast<int64_t>(dy) * result.GetMaskStride();
    const uint8_t* msrc = source.GetMaskRow(top);
    for (int32_t y = top; y < bottom; ++y, msrc += source.GetMaskStride(), mdst += result.GetMaskStride())
      CopyRowPixels(msrc, left, mdst, dx, right - left, mbpp);
  }
  return result;
}
