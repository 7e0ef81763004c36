#include "base/ImageGeometry.h"

#include "base/ResultCodes.h"

namespace {
int64_t g_byteBudget = int64_t{1} << 30;
}

int64_t RowBytes(int64_t width, int bitsPerPixel) {
  return (width * bitsPerPixel + 7) / 8;
}

int CheckImageGeometry(int64_t width, int64_t height, int bitsPerPixel) {
  if (width <= 0 || height <= 0) return IMAGEIO_CORRUPT;
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24)
    return IMAGEIO_CORRUPT;
  if (width > kMaxImageSide || height > kMaxImageSide) return IMAGEIO_NO_MEMORY;
  const int64_t bytes = RowBytes(width, bitsPerPixel) * height;
  if (bytes > g_byteBudget || bytes > INT32_MAX - 64) return IMAGEIO_NO_MEMORY;
  return IMAGEIO_OK;
}

int64_t GetImageByteBudget() { return g_byteBudget; }
void SetImageByteBudget(int64_t bytes) { g_byteBudget = bytes > 0 ? bytes : 0; }
