#include "imaging/ImageCompose.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/ImageGeometry.h"
#include "imaging/LayerStack.h"
#include "imaging/PixelAccess.h"
#include "imaging/PixelRect.h"
#include "imaging/SelectionMask.h"

namespace {

struct Span {
  int32_t baseX, baseY, overlayX, overlayY, width, height;
};

bool SpanOf(const CRasterImage& base, const CRasterImage& overlay, int32_t x, int32_t y, Span& s) {
  s.baseX = std::max(-x, 0);
  s.baseY = std::max(-y, 0);
  s.overlayX = std::max(x, 0);
  s.overlayY = std::max(y, 0);
  const int64_t w = std::max<int64_t>(int64_t{s.overlayX} + overlay.GetWidth(), int64_t{s.baseX} + base.GetWidth());
  const int64_t h =
      std::max<int64_t>(int64_t{s.overlayY} + overlay.GetHeight(), int64_t{s.baseY} + base.GetHeight());
  if (w > kMaxImageSide || h > kMaxImageSide) return false;
  s.width = static_cast<int32_t>(w);
  s.height = static_cast<int32_t>(h);
  return true;
}

// Fills a freshly created mask with "opaque".
void FillMaskOpaque(CRasterImage& image) {
  uint8_t* m = image.GetWritableMaskBits();
  std::memset(m, 0xFF, static_cast<size_t>(image.GetMaskStride()) * static_cast<size_t>(image.GetHeight()));
}

bool EnsureOpaqueMask(CRasterImage& image) {
  if (image.HasValidMask()) return true;
  if (!image.CreateMask()) return false;
  FillMaskOpaque(image);
  return true;
}

// Copies the opaque pixels of an indexed image into the target at (ox, oy),
// setting the target's mask bits.
void CopyOpaqueIndexed(const CRasterImage& src, CRasterImage& dst, int32_t ox, int32_t oy) {
  const int32_t bpp = src.GetBitsPerPixel();
  const PIXELGETPROC get = GetPixelGetter(bpp);
  const PIXELSETPROC set = GetPixelSetter(bpp);
  const bool hasMask = src.HasValidMask();
  uint8_t* dbits = dst.GetWritableBits();
  uint8_t* dmask = dst.GetWritableMaskBits();
  for (int32_t y = 0; y < src.GetHeight(); ++y) {
    const uint8_t* srow = src.GetRow(y);
    const uint8_t* smask = hasMask ? src.GetMaskRow(y) : nullptr;
    uint8_t* drow = dbits + static_cast<int64_t>(y + oy) * dst.GetStride();
    uint8_t* mrow = dmask + static_cast<int64_t>(y + oy) * dst.GetMaskStride();
    for (int32_t x = 0; x < src.GetWidth(); ++x) {
      if (smask && !GetPixel1(smask, static_cast<int16_t>(x))) continue;
      set(drow, static_cast<int16_t>(x + ox), get(srow, static_cast<int16_t>(x)));
      SetPixel1(mrow, static_cast<int16_t>(x + ox), 1);
    }
  }
}

// Value 0 for pixel x of a row at any depth.
void ClearPixel(uint8_t* row, int32_t x, int32_t bpp) {
  switch (bpp) {
    case 1: SetPixel1(row, static_cast<int16_t>(x), 0); break;
    case 4: SetPixel4(row, static_cast<int16_t>(x), 0); break;
    case 8: row[x] = 0; break;
    default: std::memset(row + 3 * static_cast<int64_t>(x), 0, 3); break;
  }
}

void ClearMaskAt(uint8_t* row, int32_t x, int32_t maskBpp) {
  if (maskBpp == 8)
    row[x] = 0;
  else
    SetPixel1(row, static_cast<int16_t>(x), 0);
}

}  // namespace

CRasterImage PasteRgbImage(const CRasterImage& base, const CRasterImage& overlay, int32_t x, int32_t y) {
  Span s;
  CRasterImage result;
  if (base.IsEmpty() || overlay.IsEmpty() || !SpanOf(base, overlay, x, y, s)) return result;
  try {
    if (!result.Create(s.width, s.height, 24) || !result.CreateMask()) return CRasterImage();
    CLayerStack stack(s.width, s.height);
    stack.AddImage(base, s.baseX, s.baseY);
    stack.AddImage(overlay, s.overlayX, s.overlayY);
    stack.Render(LayerRect{0, 0, s.width - 1, s.height - 1}, result.GetWritableBits(), result.GetStride(),
                 result.GetWritableMaskBits(), result.GetMaskStride());
    if (result.GetMaskState() == 2) result.RemoveMask();
  } catch (const std::bad_alloc&) {
    return CRasterImage();
  }
  return result;
}

CRasterImage PasteIndexedImage(const CRasterImage& base, const CRasterImage& overlay, int32_t x, int32_t y) {
  Span s;
  CRasterImage result;
  const int32_t bpp = base.GetBitsPerPixel();
  if (base.IsEmpty() || overlay.IsEmpty() || bpp == 24 || overlay.GetBitsPerPixel() != bpp ||
      !SpanOf(base, overlay, x, y, s))
    return result;
  try {
    if (!result.Create(s.width, s.height, bpp) || !result.CreateMask()) return CRasterImage();
    result.m_palette.CopyFrom(base.GetPalette(), base.m_palette.GetSize());
    CopyOpaqueIndexed(base, result, s.baseX, s.baseY);
    CopyOpaqueIndexed(overlay, result, s.overlayX, s.overlayY);
    if (result.GetMaskState() == 2) result.RemoveMask();
  } catch (const std::bad_alloc&) {
    return CRasterImage();
  }
  return result;
}

CRasterImage ComposeImages(const CRasterImage& base, const CRasterImage& overlay, int32_t x, int32_t y) {
  if (base.IsEmpty()) return overlay;
  if (overlay.IsEmpty()) return base;
  if (base.GetBitsPerPixel() == 24) return PasteRgbImage(base, overlay, x, y);
  return PasteIndexedImage(base, overlay, x, y);
}

CRasterImage ExtractSelection(CRasterImage& image, const CRasterImage& selection, bool cut, Rect* bounds) {
  CRasterImage result;
  if (image.IsEmpty() || !IsSelectionMaskFor(selection, image.GetWidth(), image.GetHeight())) return result;
  Rect b;
  if (!GetMaskImageBounds(selection, &b)) return result;
  try {
    result = CropImage(image, b);
    if (result.IsEmpty()) return result;
    const int32_t bpp = image.GetBitsPerPixel();
    const uint8_t* sel = selection.GetBits();
    const int32_t selStride = selection.GetStride();
    if (!IsRunSelected(b.Width(), sel + static_cast<int64_t>(b.top) * selStride, b.left, b.Height(), selStride)) {
      if (!EnsureOpaqueMask(result)) return CRasterImage();
      const int32_t mbpp = result.GetMaskBitsPerPixel();
      uint8_t* bits = result.GetWritableBits();
      uint8_t* mask = result.GetWritableMaskBits();
      for (int32_t y = 0; y < b.Height(); ++y) {
        const uint8_t* srow = sel + static_cast<int64_t>(y + b.top) * selStride;
        uint8_t* row = bits + static_cast<int64_t>(y) * result.GetStride();
        uint8_t* mrow = mask + static_cast<int64_t>(y) * result.GetMaskStride();
        for (int32_t x = 0; x < b.Width(); ++x) {
          if (GetPixel1(srow, static_cast<int16_t>(x + b.left))) continue;
          ClearMaskAt(mrow, x, mbpp);
          ClearPixel(row, x, bpp);
        }
      }
    }
    if (cut) {
      if (!EnsureOpaqueMask(image)) return CRasterImage();
      const int32_t mbpp = image.GetMaskBitsPerPixel();
      uint8_t* bits = image.GetWritableBits();
      uint8_t* mask = image.GetWritableMaskBits();
      for (int32_t y = b.top; y < b.bottom; ++y) {
        const uint8_t* srow = sel + static_cast<int64_t>(y) * selStride;
        uint8_t* row = bits + static_cast<int64_t>(y) * image.GetStride();
        uint8_t* mrow = mask + static_cast<int64_t>(y) * image.GetMaskStride();
        for (int32_t x = b.left; x < b.right; ++x) {
          if (!GetPixel1(srow, static_cast<int16_t>(x))) continue;
          ClearMaskAt(mrow, x, mbpp);
          ClearPixel(row, x, bpp);
        }
      }
    }
  } catch (const std::bad_alloc&) {
    return CRasterImage();
  }
  if (bounds) {
    if (!image.HasValidMask())
      *bounds = Rect{0, 0, image.GetWidth(), image.GetHeight()};
    else
      GetNonZeroBounds(image.GetMaskBits(), image.GetWidth(), image.GetHeight(), image.GetMaskStride(),
                       image.GetMaskBitsPerPixel(), bounds);
  }
  return result;
}

CRasterImage CropToMask(const CRasterImage& image) {
  if (image.IsEmpty()) return CRasterImage();
  if (!image.HasValidMask()) return image;
  Rect b;
  if (!GetNonZeroBounds(image.GetMaskBits(), image.GetWidth(), image.GetHeight(), image.GetMaskStride(),
                        image.GetMaskBitsPerPixel(), &b))
    return CRasterImage();
  try {
    return CropImage(image, b);
  } catch (const std::bad_alloc&) {
    return CRasterImage();
  }
}
