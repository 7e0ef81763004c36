#include "imaging/PixelPlane.h"

#include <cstring>

#include "base/ImageGeometry.h"
#include "base/ResultCodes.h"

bool CPixelPlane::Create(int32_t width, int32_t height, int32_t bitsPerPixel) {
  if (width <= 0 || height <= 0) return false;
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24) return false;
  Release();
  if (CheckImageGeometry(width, height, bitsPerPixel) != IMAGEIO_OK) return false;
  const int32_t stride = static_cast<int32_t>(RowBytes(width, bitsPerPixel));
  uint8_t* data = Allocate(kHeaderBytes + stride * height);
  if (!data) return false;
  const int32_t header[4] = {width, height, stride, bitsPerPixel};
  std::memcpy(data, header, sizeof header);
  return true;
}

uint8_t* CPixelPlane::GetWritableBits() {
  uint8_t* data = GetWritableData();
  return data ? data + kHeaderBytes : nullptr;
}

const uint8_t* CPixelPlane::GetBits() const {
  const uint8_t* data = GetData();
  return data ? data + kHeaderBytes : nullptr;
}

int32_t CPixelPlane::Header(int index) const {
  const uint8_t* data = GetData();
  if (!data || GetSize() < kHeaderBytes) return 0;
  int32_t value;
  std::memcpy(&value, data + index * 4, 4);
  return value;
}
