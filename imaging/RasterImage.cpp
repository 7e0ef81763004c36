#include "imaging/RasterImage.h"

#include <cstring>

#include "imaging/PixelAccess.h"

bool CRasterImage::Create(int32_t width, int32_t height, int32_t bitsPerPixel) {
  if (!m_pixels.Create(width, height, bitsPerPixel)) return false;
  if (bitsPerPixel == 24) return true;
  return m_palette.Allocate(4 << bitsPerPixel) != nullptr;
}

void CRasterImage::Free() {
  m_pixels.Release();
  m_palette.Release();
  m_mask.Release();
}

bool CRasterImage::HasValidMask() const {
  if (!HasMask()) return false;
  return m_mask.GetWidth() == GetWidth() && m_mask.GetHeight() == GetHeight() &&
         m_mask.GetBitsPerPixel() == (GetBitsPerPixel() == 24 ? 8 : 1);
}

bool CRasterImage::CreateMask() {
  if (IsEmpty()) return false;
  return m_mask.Create(GetWidth(), GetHeight(), GetBitsPerPixel() == 24 ? 8 : 1);
}

bool CRasterImage::IsGrayscale() const {
  if (GetBitsPerPixel() != 8 || GetPaletteSize() < 256) return false;
  const RGBQUAD* pal = GetPalette();
  for (int i = 0; i < 256; ++i)
    if (pal[i].rgbRed != i || pal[i].rgbGreen != i || pal[i].rgbBlue != i) return false;
  return true;
}

int CRasterImage::GetMaskState() const {
  if (m_mask.GetSize() < 1 || IsEmpty()) return 0;
  const bool alpha = m_mask.GetBitsPerPixel() == 8;
  const int32_t width = m_mask.GetWidth();
  const int32_t height = m_mask.GetHeight();
  const int32_t stride = m_mask.GetStride();
  const uint8_t* row = m_mask.GetBits();
  const int first = alpha ? GetPixel8(row, 0) : GetPixel1(row, 0);
  for (int32_t y = 0; y < height; ++y, row += stride) {
    for (int32_t x = 0; x < width; ++x) {
      const int v = alpha ? GetPixel8(row, static_cast<int16_t>(x)) : GetPixel1(row, static_cast<int16_t>(x));
      if (v != first) return 1;
    }
  }
  if (first == 0) return 3;
  if (first == (alpha ? 255 : 1)) return 2;
  return 1;
}

void CRasterImage::Clear() {
  if (uint8_t* bits = GetWritableBits())
    std::memset(bits, 0, static_cast<size_t>(GetStride()) * static_cast<size_t>(GetHeight()));
  if (HasMask()) {
    if (uint8_t* mask = GetWritableMaskBits())
      std::memset(mask, 0, static_cast<size_t>(m_mask.GetStride()) * static_cast<size_t>(m_mask.GetHeight()));
  }
}

void SetGrayPalette(CRasterImage& image) {
  if (image.GetPaletteSize() < 256) return;
  RGBQUAD* pal = image.GetWritablePalette();
  for (int i = 0; i < 256; ++i) pal[i] = MakeRGBQuad(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i));
}
