#include "imaging/PaletteFunctions.h"

#include <algorithm>
#include <array>

#include "imaging/PixelAccess.h"

namespace {

bool IsIndexed(const CRasterImage& image) {
  const int bpp = image.GetBitsPerPixel();
  return !image.IsEmpty() && (bpp == 1 || bpp == 4 || bpp == 8);
}

// Calls visit(index, opaque) for every pixel of an indexed image.
template <typename Visit>
void ForEachIndex(const CRasterImage& image, Visit&& visit) {
  PIXELGETPROC get = GetPixelGetter(image.GetBitsPerPixel());
  const bool mask = image.HasValidMask();
  const int32_t width = image.GetWidth(), height = image.GetHeight();
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = image.GetRow(y);
    const uint8_t* maskRow = mask ? image.GetMaskRow(y) : nullptr;
    for (int32_t x = 0; x < width; ++x) {
      const auto x16 = static_cast<int16_t>(x);
      visit(get(row, x16), !maskRow || GetPixel1(maskRow, x16) != 0);
    }
  }
}

int Distance(const RGBQUAD& a, const RGBQUAD& b) {
  const int dr = a.rgbRed - b.rgbRed, dg = a.rgbGreen - b.rgbGreen, db = a.rgbBlue - b.rgbBlue;
  return dr * dr + dg * dg + db * db;
}

}  // namespace

int FindPaletteIndex(const CRasterImage& image, RGBQUAD color) {
  if (!IsIndexed(image)) return -1;
  const RGBQUAD* pal = image.GetPalette();
  for (int i = 0; i < image.GetPaletteSize(); ++i)
    if (pal[i].rgbRed == color.rgbRed && pal[i].rgbGreen == color.rgbGreen && pal[i].rgbBlue == color.rgbBlue)
      return i;
  return -1;
}

bool FindUnusedPaletteIndex(const CRasterImage& image, int* index) {
  if (!IsIndexed(image)) return false;
  std::array<bool, 256> used{};
  ForEachIndex(image, [&](int i, bool) { used[static_cast<size_t>(i)] = true; });
  const int entries = 1 << image.GetBitsPerPixel();
  for (int i = 0; i < entries; ++i) {
    if (!used[static_cast<size_t>(i)]) {
      if (index) *index = i;
      return true;
    }
  }
  return false;
}

bool MakeColorKeyMask(CRasterImage& image, int index) {
  if (!IsIndexed(image) || !image.CreateMask()) return false;
  uint8_t* mask = image.GetWritableMaskBits();
  if (!mask) return false;
  PIXELGETPROC get = GetPixelGetter(image.GetBitsPerPixel());
  const int32_t width = image.GetWidth(), height = image.GetHeight(), stride = image.GetMaskStride();
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = image.GetRow(y);
    uint8_t* out = mask + static_cast<int64_t>(y) * stride;
    for (int32_t x = 0; x < width; ++x) {
      const auto x16 = static_cast<int16_t>(x);
      if (get(row, x16) != index) SetPixel1(out, x16, 1);
    }
  }
  return true;
}

bool ChooseTransparentIndex(const CRasterImage& image, int* index, int* remap, int* replacement) {
  if (!IsIndexed(image) || !image.HasValidMask()) return false;
  std::array<int64_t, 256> counts{};
  ForEachIndex(image, [&](int i, bool opaque) {
    if (opaque) ++counts[static_cast<size_t>(i)];
  });
  const int entries = 1 << image.GetBitsPerPixel();
  int chosen = 0;
  for (int i = 1; i < entries; ++i)
    if (counts[static_cast<size_t>(i)] < counts[static_cast<size_t>(chosen)]) chosen = i;
  if (index) *index = chosen;
  if (counts[static_cast<size_t>(chosen)] == 0) {
    if (remap) *remap = 0;
    return true;
  }
  if (remap) *remap = 1;
  const RGBQUAD* pal = image.GetPalette();
  int best = -1, bestDistance = 0;
  for (int i = 0; i < entries; ++i) {
    if (i == chosen) continue;
    const int d = Distance(pal[i], pal[chosen]);
    if (best < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  if (replacement) *replacement = best;
  return true;
}

bool GetPaletteUsage(const CRasterImage& image, int* highest, int* count) {
  int high = -1, distinct = 0;
  if (IsIndexed(image)) {
    std::array<bool, 256> used{};
    ForEachIndex(image, [&](int i, bool opaque) {
      if (opaque) used[static_cast<size_t>(i)] = true;
    });
    for (int i = 0; i < 256; ++i) {
      if (used[static_cast<size_t>(i)]) {
        high = i;
        ++distinct;
      }
    }
  }
  if (highest) *highest = high;
  if (count) *count = distinct;
  return true;
}

std::vector<CRasterImage> SortPaletteByUsage(const CRasterImage* images, int count) {
  if (!images || count <= 0 || !IsIndexed(images[0])) return {};
  const int bpp = images[0].GetBitsPerPixel();
  for (int k = 1; k < count; ++k)
    if (images[k].IsEmpty() || images[k].GetBitsPerPixel() != bpp) return {};
  const int entries = 1 << bpp;
  std::array<int64_t, 256> counts{};
  for (int k = 0; k < count; ++k)
    ForEachIndex(images[k], [&](int i, bool opaque) {
      if (opaque) ++counts[static_cast<size_t>(i)];
    });
  std::array<int, 256> order{};     // new position -> old index
  std::array<int, 256> position{};  // old index -> new position
  std::array<bool, 256> placed{};
  for (int i = 0; i < entries; ++i) {
    int best = -1;
    for (int j = 0; j < entries; ++j)
      if (counts[static_cast<size_t>(j)] > 0 && (best < 0 || counts[static_cast<size_t>(j)] > counts[static_cast<size_t>(best)]))
        best = j;
    if (best < 0) {
      order[static_cast<size_t>(i)] = 0;
      continue;
    }
    order[static_cast<size_t>(i)] = best;
    counts[static_cast<size_t>(best)] = 0;
    placed[static_cast<size_t>(best)] = true;
    position[static_cast<size_t>(best)] = i;
  }
  const RGBQUAD* oldPalette = images[0].GetPalette();
  std::vector<CRasterImage> result;
  result.reserve(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    CRasterImage image = images[k];
    RGBQUAD* pal = image.GetWritablePalette();
    uint8_t* bits = image.GetWritableBits();
    if (!pal || !bits) return {};
    for (int i = 0; i < entries && i < image.GetPaletteSize(); ++i) pal[i] = oldPalette[order[static_cast<size_t>(i)]];
    PIXELGETPROC get = GetPixelGetter(bpp);
    PIXELSETPROC set = GetPixelSetter(bpp);
    const bool mask = image.HasValidMask();
    for (int32_t y = 0; y < image.GetHeight(); ++y) {
      uint8_t* row = bits + static_cast<int64_t>(y) * image.GetStride();
      const uint8_t* maskRow = mask ? image.GetMaskRow(y) : nullptr;
      for (int32_t x = 0; x < image.GetWidth(); ++x) {
        const auto x16 = static_cast<int16_t>(x);
        if (maskRow && !GetPixel1(maskRow, x16)) continue;
        const int old = get(row, x16);
        if (placed[static_cast<size_t>(old)]) set(row, x16, position[static_cast<size_t>(old)]);
      }
    }
    result.push_back(std::move(image));
  }
  return result;
}

void InvertPalette(RGBQUAD* target, const RGBQUAD* source, int count) {
  if (!target) return;
  if (!source) source = target;
  for (int i = 0; i < count; ++i) {
    target[i].rgbBlue = static_cast<uint8_t>(~source[i].rgbBlue);
    target[i].rgbGreen = static_cast<uint8_t>(~source[i].rgbGreen);
    target[i].rgbRed = static_cast<uint8_t>(~source[i].rgbRed);
    if (target != source) target[i].rgbReserved = source[i].rgbReserved;
  }
}
