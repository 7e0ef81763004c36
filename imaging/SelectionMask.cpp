#include "imaging/SelectionMask.h"

#include <algorithm>
#include <cstring>

#include "imaging/PixelAccess.h"

namespace {

// First and last counting pixel of one row; false when none counts.
bool RowExtent(const uint8_t* row, int32_t width, int32_t bpp, int32_t& first, int32_t& last) {
  switch (bpp) {
    case 1: {
      const int32_t bytes = (width + 7) / 8;
      // The last byte may hold padding bits past the width: mask them.
      auto byteAt = [&](int32_t i) -> uint8_t {
        uint8_t b = row[i];
        if (i == bytes - 1 && (width & 7)) b &= static_cast<uint8_t>(0xFF << (8 - (width & 7)));
        return b;
      };
      int32_t i = 0;
      while (i < bytes && byteAt(i) == 0) ++i;
      if (i == bytes) return false;
      int32_t b = byteAt(i);
      int k = 0;
      while (!(b & (0x80 >> k))) ++k;
      first = i * 8 + k;
      int32_t j = bytes - 1;
      while (byteAt(j) == 0) --j;
      b = byteAt(j);
      k = 7;
      while (!(b & (0x80 >> k))) --k;
      last = j * 8 + k;
      return true;
    }
    case 8: {
      int32_t i = 0;
      while (i < width && row[i] == 0) ++i;
      if (i == width) return false;
      int32_t j = width - 1;
      while (row[j] == 0) --j;
      first = i;
      last = j;
      return true;
    }
    case 24: {
      const int64_t n = static_cast<int64_t>(width) * 3;
      int64_t i = 0;
      while (i < n && row[i] == 0) ++i;
      if (i == n) return false;
      int64_t j = n - 1;
      while (row[j] == 0) --j;
      first = static_cast<int32_t>(i / 3);
      last = static_cast<int32_t>(j / 3);
      return true;
    }
    default:
      return false;
  }
}

bool IsOpaqueAt(const CRasterImage& image, bool hasMask, int32_t x, int32_t y) {
  if (!hasMask) return true;
  const uint8_t* row = image.GetMaskRow(y);
  return image.GetBitsPerPixel() == 24 ? row[x] != 0 : GetPixel1(row, static_cast<int16_t>(x)) != 0;
}

}  // namespace

bool GetNonZeroBounds(const uint8_t* bits, int32_t width, int32_t height, int32_t stride, int32_t bitsPerPixel,
                      Rect* bounds) {
  Rect r{0, 0, 0, 0};
  bool any = false;
  if (bits && width > 0 && height > 0) {
    int32_t minX = width, maxX = -1, minY = -1, maxY = -1;
    const uint8_t* row = bits;
    for (int32_t y = 0; y < height; ++y, row += stride) {
      int32_t first, last;
      if (!RowExtent(row, width, bitsPerPixel, first, last)) continue;
      if (minY < 0) minY = y;
      maxY = y;
      minX = std::min(minX, first);
      maxX = std::max(maxX, last);
    }
    if (minY >= 0) {
      r = Rect{minX, minY, maxX + 1, maxY + 1};
      any = true;
    }
  }
  if (bounds) *bounds = r;
  return any;
}

bool GetMaskImageBounds(const CRasterImage& mask, Rect* bounds) {
  return GetNonZeroBounds(mask.GetBits(), mask.GetWidth(), mask.GetHeight(), mask.GetStride(),
                          mask.GetBitsPerPixel(), bounds);
}

bool IsSelectionMaskFor(const CRasterImage& mask, int32_t width, int32_t height) {
  return !mask.IsEmpty() && mask.GetBitsPerPixel() == 1 && mask.GetWidth() == width && mask.GetHeight() == height;
}

CRasterImage MakeRectSelectionMask(const CRasterImage& image, const Rect& rect, const CRasterImage* current,
                                   int mode) {
  CRasterImage result;
  if (image.IsEmpty()) return result;
  const int32_t width = image.GetWidth(), height = image.GetHeight();
  const bool useCurrent = current && !current->IsEmpty() && mode != SELECT_REPLACE;
  if (useCurrent && !IsSelectionMaskFor(*current, width, height)) return result;
  if (useCurrent) {
    result = *current;
    result.RemoveMask();
  } else if (!result.Create(width, height, 1)) {
    return CRasterImage();
  }
  const int32_t left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  const int32_t right = std::min(rect.right, width), bottom = std::min(rect.bottom, height);
  if (left >= right || top >= bottom) {
    result.GetWritableBits();  // private copy even when unchanged
    return result;
  }
  const bool clearAll = mode == SELECT_SUBTRACT && useCurrent;
  const bool hasMask = image.HasValidMask();
  uint8_t* bits = result.GetWritableBits();
  const int32_t stride = result.GetStride();
  for (int32_t y = top; y < bottom; ++y) {
    uint8_t* row = bits + static_cast<int64_t>(y) * stride;
    for (int32_t x = left; x < right; ++x)
      SetPixel1(row, static_cast<int16_t>(x), !clearAll && IsOpaqueAt(image, hasMask, x, y));
  }
  return result;
}

bool IsRunSelected(int32_t count, const uint8_t* bits, int32_t x, int32_t rows, int32_t stride) {
  if (!bits || count <= 0 || rows <= 0) return false;
  for (int32_t r = 0; r < rows; ++r, bits += stride) {
    int32_t i = 0;
    // Leading bits up to a byte edge, whole bytes, then the tail.
    while (i < count && ((x + i) & 7)) {
      if (!GetPixel1(bits, static_cast<int16_t>(x + i))) return false;
      ++i;
    }
    while (count - i >= 8) {
      if (bits[(x + i) >> 3] != 0xFF) return false;
      i += 8;
    }
    for (; i < count; ++i)
      if (!GetPixel1(bits, static_cast<int16_t>(x + i))) return false;
  }
  return true;
}

CRasterImage PlaceSelectionMask(const CRasterImage& image, const Point& offset, int32_t width, int32_t height) {
  CRasterImage result;
  if (image.IsEmpty() || !result.Create(width, height, 1)) return CRasterImage();
  const bool hasMask = image.HasValidMask();
  uint8_t* bits = result.GetWritableBits();
  const int32_t stride = result.GetStride();
  const int32_t x0 = std::max(0, -offset.x), y0 = std::max(0, -offset.y);
  const int32_t x1 = std::min(image.GetWidth(), width - offset.x);
  const int32_t y1 = std::min(image.GetHeight(), height - offset.y);
  for (int32_t y = y0; y < y1; ++y) {
    uint8_t* row = bits + static_cast<int64_t>(y + offset.y) * stride;
    for (int32_t x = x0; x < x1; ++x)
      if (IsOpaqueAt(image, hasMask, x, y)) SetPixel1(row, static_cast<int16_t>(x + offset.x), 1);
  }
  return result;
}

bool IsPointSelected(int32_t x, int32_t y, const CRasterImage& image) {
  if (image.IsEmpty() || x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) return false;
  return IsOpaqueAt(image, image.HasValidMask(), x, y);
}
