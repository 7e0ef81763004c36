#pragma once
// Small pictures for the slide-show tests.

#include <cstdint>

#include "imaging/AnimFrame.h"
#include "imaging/RasterImage.h"

namespace slide_testing {

// A 24-bit image of one colour (with an 8-bit mask of one alpha when alpha >= 0).
inline CRasterImage Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b, int alpha = -1) {
  CRasterImage image;
  image.Create(w, h, 24);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = image.GetWritableBits() + y * image.GetStride();
    for (int x = 0; x < w; ++x) {
      row[3 * x] = r;
      row[3 * x + 1] = g;
      row[3 * x + 2] = b;
    }
  }
  if (alpha >= 0) {
    image.CreateMask();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image.GetWritableMaskBits()[y * image.GetMaskStride() + x] = static_cast<uint8_t>(alpha);
  }
  return image;
}

// Red, green and blue of pixel (x, y) of a 24-bit image, as 0xRRGGBB.
inline uint32_t Rgb(const CRasterImage& image, int x, int y) {
  const uint8_t* p = image.GetRow(y) + 3 * x;
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

inline CAnimFrame Frame(const CRasterImage& image, int left, int top, int delay = 10, int flags = 0) {
  CAnimFrame frame;
  frame.m_image = image;
  frame.m_nLeft = static_cast<int16_t>(left);
  frame.m_nTop = static_cast<int16_t>(top);
  frame.m_nDelay = static_cast<uint16_t>(delay);
  frame.m_nFlags = static_cast<uint8_t>(flags);
  return frame;
}

}  // namespace slide_testing
