#pragma once
// CPixelPlane: a CSharedBuffer holding a 16-byte header (width, height,
// stride, bits per pixel) followed by the pixel rows, top-down and unpadded.
//
// stride = (width * bpp + 7) / 8. 1- and 4-bit pixels fill bytes from the most
// significant bits; 24-bit pixels are red, green, blue.

#include "imaging/SharedBuffer.h"

class CPixelPlane : public CSharedBuffer {
 public:
  static constexpr int32_t kHeaderBytes = 16;

  // New private, zero-filled plane. false with the plane unchanged for a side
  // <= 0 or a depth other than 1, 4, 8, 24; false with the plane empty when
  // the size check (base/ImageGeometry.h) or the allocation fails.
  bool Create(int32_t width, int32_t height, int32_t bitsPerPixel);

  uint8_t* GetWritableBits();
  const uint8_t* GetBits() const;
  int32_t GetWidth() const { return Header(0); }
  int32_t GetHeight() const { return Header(1); }
  int32_t GetStride() const { return Header(2); }
  int32_t GetBitsPerPixel() const { return Header(3); }

 private:
  int32_t Header(int index) const;
};
