#pragma once
// Snapshots of an image's geometry with pointers to its first pixel and mask
// rows. The pointers are not owned and are valid while the image is neither
// changed nor destroyed.

#include "imaging/RasterImage.h"

class CImageScan {
 public:
  explicit CImageScan(const CRasterImage& image);
  virtual ~CImageScan() = default;

  int32_t m_nStride = 0;
  int32_t m_nBitsPerPixel = 0;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_nMaskStride = 0;  // 0 when the image has no (valid) mask
};

class CImageScanReader : public CImageScan {
 public:
  explicit CImageScanReader(const CRasterImage& image);
  const uint8_t* m_pBits = nullptr;
  const uint8_t* m_pMask = nullptr;
};

// Takes writable pointers: shared buffers are copied first.
class CImageScanWriter : public CImageScan {
 public:
  explicit CImageScanWriter(CRasterImage& image);
  uint8_t* m_pBits = nullptr;
  uint8_t* m_pMask = nullptr;
};
