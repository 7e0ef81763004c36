#pragma once
// Frames and images of the document model's tests (no toolkit).

#include <cstdint>
#include <vector>

#include "imaging/AnimFrame.h"

namespace editor_testing {

// A 24-bit image of one colour.
inline CRasterImage SolidImage(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  CRasterImage image;
  image.Create(width, height, 24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.GetWritableBits() + int64_t{y} * image.GetStride();
    for (int x = 0; x < width; ++x) {
      row[3 * x] = red;
      row[3 * x + 1] = green;
      row[3 * x + 2] = blue;
    }
  }
  return image;
}

inline CAnimFrame MakeFrame(const CRasterImage& image, int left = 0, int top = 0, int disposal = 0) {
  CAnimFrame frame;
  frame.m_image = image;
  frame.m_nLeft = static_cast<int16_t>(left);
  frame.m_nTop = static_cast<int16_t>(top);
  frame.m_nFlags = static_cast<uint8_t>(disposal << 2);
  frame.m_nDelay = 10;
  return frame;
}

// Frames 0..count-1, each a 4 x 4 image whose red value is the frame number.
inline std::vector<CAnimFrame> NumberedFrames(int count) {
  std::vector<CAnimFrame> frames;
  for (int i = 0; i < count; ++i) frames.push_back(MakeFrame(SolidImage(4, 4, static_cast<uint8_t>(i), 0, 0)));
  return frames;
}

inline int FrameNumber(const CAnimFrame& frame) { return frame.m_image.GetRow(0)[0]; }

}  // namespace editor_testing
