#include "imaging/Dib.h"

#include <bit>
#include <cstring>

#include "base/ImageGeometry.h"
#include "base/ResultCodes.h"

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void Put32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8), p[2] = static_cast<uint8_t>(v >> 16),
  p[3] = static_cast<uint8_t>(v >> 24);
}
void Put16(uint8_t* p, uint16_t v) { p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8); }

// One channel of a bit-field pixel scaled to 8 bits; 0 for an empty mask.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m) {
      shift = std::countr_zero(m);
      bits = std::popcount(m);
    }
  }
  uint8_t Get(uint32_t pixel) const {
    if (!mask) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    return static_cast<uint8_t>(v << (8 - bits));
  }
};

}  // namespace

std::vector<uint8_t> ImageToDib(const CRasterImage& image) {
  if (image.IsEmpty()) return {};
  const int bpp = image.GetBitsPerPixel();
  const int32_t width = image.GetWidth(), height = image.GetHeight(), stride = image.GetStride();
  const int32_t padded = (stride + 3) & ~3;
  const int colors = bpp == 24 ? 0 : 1 << bpp;
  std::vector<uint8_t> dib(40 + static_cast<size_t>(colors) * 4 + static_cast<size_t>(padded) * height, 0);
  uint8_t* h = dib.data();
  Put32(h, 40);
  Put32(h + 4, static_cast<uint32_t>(width));
  Put32(h + 8, static_cast<uint32_t>(height));
  Put16(h + 12, 1);
  Put16(h + 14, static_cast<uint16_t>(bpp));
  Put32(h + 16, kBiRgb);
  Put32(h + 20, static_cast<uint32_t>(padded * height));
  Put32(h + 32, static_cast<uint32_t>(colors));
  Put32(h + 36, static_cast<uint32_t>(colors));
  uint8_t* table = h + 40;
  if (colors) {
    const int have = std::min(colors, image.GetPaletteSize());
    std::memcpy(table, image.GetPalette(), static_cast<size_t>(have) * 4);
    for (int i = 0; i < colors; ++i) table[4 * i + 3] = 0;
  }
  uint8_t* rows = table + colors * 4;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* src = image.GetRow(height - 1 - y);
    uint8_t* dst = rows + static_cast<size_t>(y) * padded;
    if (bpp == 24) {
      for (int32_t x = 0; x < width; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
      }
    } else {
      std::memcpy(dst, src, static_cast<size_t>(stride));
    }
  }
  return dib;
}

std::vector<uint8_t> ImageToBmpFile(const CRasterImage& image) {
  std::vector<uint8_t> dib = ImageToDib(image);
  if (dib.empty()) return {};
  std::vector<uint8_t> file(14 + dib.size());
  file[0] = 'B';
  file[1] = 'M';
  Put32(&file[2], static_cast<uint32_t>(file.size()));
  const int bpp = image.GetBitsPerPixel();
  Put32(&file[10], static_cast<uint32_t>(14 + 40 + (bpp == 24 ? 0 : (4 << bpp))));
  std::memcpy(file.data() + 14, dib.data(), dib.size());
  return file;
}

CRasterImage DibToImage(const uint8_t* data, size_t size) {
  if (!data || size < 40) return {};
  const uint32_t headerSize = Le32(data);
  if (headerSize < 40 || headerSize > size) return {};
  const int32_t width = static_cast<int32_t>(Le32(data + 4));
  const int32_t rawHeight = static_cast<int32_t>(Le32(data + 8));
  const int bits = Le16(data + 14);
  const uint32_t compression = Le32(data + 16);
  const uint32_t clrUsed = Le32(data + 32);
  if (compression != kBiRgb && compression != kBiBitfields) return {};
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return {};
  if (compression == kBiBitfields && bits != 16 && bits != 32) return {};
  if (rawHeight == INT32_MIN) return {};
  const bool topDown = rawHeight < 0;
  const int32_t height = topDown ? -rawHeight : rawHeight;
  const int depth = bits <= 8 ? bits : 24;
  if (CheckImageGeometry(width, height, depth) != IMAGEIO_OK) return {};

  size_t offset = headerSize;
  uint32_t masks[4] = {0, 0, 0, 0};
  bool alphaFromMask = false;
  if (bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
  } else if (bits == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF, masks[3] = 0xFF000000;
    alphaFromMask = compression == kBiRgb;
  }
  if (compression == kBiBitfields) {
    if (headerSize == 40) {
      if (size < 40 + 12) return {};
      offset = 52;
      for (int i = 0; i < 3; ++i) masks[i] = Le32(data + 40 + 4 * i);
      masks[3] = 0;
    } else {
      if (headerSize < 52) return {};
      for (int i = 0; i < 3; ++i) masks[i] = Le32(data + 40 + 4 * i);
      masks[3] = headerSize >= 56 ? Le32(data + 52) : 0;
      alphaFromMask = masks[3] != 0;
    }
  }

  CRasterImage image;
  if (!image.Create(width, height, depth)) return {};
  if (bits <= 8) {
    const uint32_t full = 1u << bits;
    const uint32_t entries = (clrUsed > 0 && clrUsed <= full) ? clrUsed : full;
    if (offset + size_t{entries} * 4 > size) return {};
    RGBQUAD* pal = image.GetWritablePalette();
    for (uint32_t i = 0; i < entries; ++i) {
      pal[i].rgbBlue = data[offset + 4 * i];
      pal[i].rgbGreen = data[offset + 4 * i + 1];
      pal[i].rgbRed = data[offset + 4 * i + 2];
      pal[i].rgbReserved = 0;
    }
    offset += size_t{entries} * 4;
  }
  const int64_t rowBytes = ((int64_t{width} * bits + 31) / 32) * 4;
  if (static_cast<int64_t>(offset) + rowBytes * height > static_cast<int64_t>(size)) return {};
  const bool withAlpha = bits == 32 && alphaFromMask;
  if (withAlpha && !image.CreateMask()) return {};

  const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  uint8_t* bits0 = image.GetWritableBits();
  uint8_t* mask0 = withAlpha ? image.GetWritableMaskBits() : nullptr;
  const int32_t stride = image.GetStride();
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* src = data + offset + rowBytes * r;
    const int32_t y = topDown ? r : height - 1 - r;
    uint8_t* dst = bits0 + static_cast<int64_t>(y) * stride;
    if (bits <= 8) {
      std::memcpy(dst, src, static_cast<size_t>(stride));
    } else if (bits == 24) {
      for (int32_t x = 0; x < width; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
      }
    } else {
      uint8_t* m = mask0 ? mask0 + static_cast<int64_t>(y) * image.GetMaskStride() : nullptr;
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t p = bits == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
        dst[3 * x] = red.Get(p);
        dst[3 * x + 1] = green.Get(p);
        dst[3 * x + 2] = blue.Get(p);
        if (m) m[x] = alpha.Get(p);
      }
    }
  }
  if (withAlpha && image.GetMaskState() != 1) image.RemoveMask();
  return image;
}

CRasterImage ImageFromGlobalDib(const std::vector<uint8_t>* dib) {
  if (!dib || dib->empty()) return {};
  return DibToImage(dib->data(), dib->size());
}
