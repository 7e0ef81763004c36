#pragma once
// CRasterImage: the image passed between every part of the program.
//
// Pixels (CPixelPlane of 1, 4, 8 or 24 bits), a palette of 2^bpp RGBQUAD
// entries for indexed images, and a mask of the same size: 8-bit alpha for a
// 24-bit image, 1-bit opacity for an indexed one; no mask means opaque.
// Copies share all three buffers; writable accessors copy on write.

#include "imaging/ImageTypes.h"
#include "imaging/PixelPlane.h"

class CRasterImage {
 public:
  CRasterImage() = default;
  CRasterImage(const CRasterImage&) = default;
  CRasterImage(CRasterImage&&) noexcept = default;
  CRasterImage& operator=(const CRasterImage&) = default;
  CRasterImage& operator=(CRasterImage&&) noexcept = default;
  virtual ~CRasterImage() = default;

  // New pixel plane (zero-filled) and, below 24 bits, a zeroed palette of
  // 2^bpp entries. The mask is left as it was; callers that change the size
  // remove or recreate it.
  bool Create(int32_t width, int32_t height, int32_t bitsPerPixel);
  void Free();

  bool IsEmpty() const { return m_pixels.GetSize() == 0; }
  bool HasPixels() const { return m_pixels.GetSize() > 0; }
  bool HasMask() const { return m_mask.GetSize() > 0; }
  // A mask whose size matches the pixels; a stale mask of another size (kept
  // by Create) counts as none for readers of the mask.
  bool HasValidMask() const;

  int32_t GetWidth() const { return m_pixels.GetWidth(); }
  int32_t GetHeight() const { return m_pixels.GetHeight(); }
  int32_t GetStride() const { return m_pixels.GetStride(); }
  int32_t GetBitsPerPixel() const { return m_pixels.GetBitsPerPixel(); }
  int32_t GetMaskStride() const { return m_mask.GetStride(); }
  int32_t GetMaskBitsPerPixel() const { return m_mask.GetBitsPerPixel(); }
  // Number of palette entries held (0 for 24-bit images).
  int32_t GetPaletteSize() const { return m_palette.GetSize() / 4; }

  uint8_t* GetWritableBits() { return m_pixels.GetWritableBits(); }
  RGBQUAD* GetWritablePalette() { return reinterpret_cast<RGBQUAD*>(m_palette.GetWritableData()); }
  uint8_t* GetWritableMaskBits() { return m_mask.GetWritableBits(); }
  const uint8_t* GetBits() const { return m_pixels.GetBits(); }
  const RGBQUAD* GetPalette() const { return reinterpret_cast<const RGBQUAD*>(m_palette.GetData()); }
  const uint8_t* GetMaskBits() const { return m_mask.GetBits(); }

  // Row y of the pixels or the mask (no bounds check).
  const uint8_t* GetRow(int32_t y) const { return GetBits() + static_cast<int64_t>(y) * GetStride(); }
  const uint8_t* GetMaskRow(int32_t y) const {
    return GetMaskBits() + static_cast<int64_t>(y) * GetMaskStride();
  }

  void RemoveMask() { m_mask.Release(); }
  // New zero-filled mask of the image's size: 8 bits for 24-bit images, else 1.
  bool CreateMask();

  bool IsGrayscale() const;
  // 0 no mask, 1 mixed or uniform at a partial value, 2 all opaque, 3 all 0.
  int GetMaskState() const;
  // Sets every pixel byte, and every mask byte when there is a mask, to 0.
  void Clear();

  // True when both images share the same pixel block (for tests).
  bool SharesPixelsWith(const CRasterImage& other) const { return m_pixels.SharesBlockWith(other.m_pixels); }

  CPixelPlane m_pixels;
  CSharedBuffer m_palette;
  CPixelPlane m_mask;
};

// Fills the palette of an 8-bit image with the gray ramp (entry i = i, i, i).
void SetGrayPalette(CRasterImage& image);
