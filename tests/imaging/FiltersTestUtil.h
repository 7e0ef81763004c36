#pragma once
// Helpers of the image-algorithm tests: random images of every depth, exact
// comparison, raw planes for numpy, and running a python oracle script.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/PixelAccess.h"
#include "imaging/RasterImage.h"
#include "tests/support/TestSupport.h"

namespace imaging_test {

inline uint32_t NextRandom(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

// Random pixels at any depth (random palette below 24 bits, or the gray ramp
// for gray), with a random mask (8-bit alpha of mixed values for 24-bit
// images, 1-bit otherwise) when masked.
inline CRasterImage MakeRandomImage(int width, int height, int bpp, uint32_t seed, bool masked, bool gray = false) {
  CRasterImage image;
  if (!image.Create(width, height, bpp)) return image;
  uint32_t state = seed * 7919u + 17u;
  uint8_t* bits = image.GetWritableBits();
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bits + y * image.GetStride();
    if (bpp == 24 || bpp == 8) {
      for (int i = 0; i < width * bpp / 8; ++i) row[i] = static_cast<uint8_t>(NextRandom(state));
    } else {
      const PIXELSETPROC set = GetPixelSetter(bpp);
      for (int x = 0; x < width; ++x) set(row, static_cast<int16_t>(x), static_cast<int>(NextRandom(state)));
    }
  }
  if (bpp != 24) {
    if (gray) {
      SetGrayPalette(image);
    } else {
      RGBQUAD* pal = image.GetWritablePalette();
      for (int i = 0; i < image.GetPaletteSize(); ++i)
        pal[i] = MakeRGBQuad(static_cast<uint8_t>(NextRandom(state)), static_cast<uint8_t>(NextRandom(state)),
                             static_cast<uint8_t>(NextRandom(state)));
    }
  }
  if (masked) {
    image.CreateMask();
    uint8_t* mask = image.GetWritableMaskBits();
    for (int y = 0; y < height; ++y) {
      uint8_t* row = mask + y * image.GetMaskStride();
      for (int x = 0; x < width; ++x) {
        if (bpp == 24) {
          const uint32_t r = NextRandom(state) % 4;
          row[x] = r == 0 ? 0 : r == 1 ? 255 : static_cast<uint8_t>(NextRandom(state));
        } else {
          SetPixel1(row, static_cast<int16_t>(x), NextRandom(state) % 3 != 0);
        }
      }
    }
  }
  return image;
}

// A flat 24-bit (or gray) image of one value, with a flat mask when alpha >= 0.
inline CRasterImage MakeFlatImage(int width, int height, bool gray, int value, int alpha = -1) {
  CRasterImage image;
  image.Create(width, height, gray ? 8 : 24);
  if (gray) SetGrayPalette(image);
  uint8_t* bits = image.GetWritableBits();
  for (int y = 0; y < height; ++y)
    for (int i = 0; i < image.GetStride(); ++i) bits[y * image.GetStride() + i] = static_cast<uint8_t>(value + (gray ? 0 : i % 3 * 10));
  if (alpha >= 0) {
    image.CreateMask();
    uint8_t* mask = image.GetWritableMaskBits();
    for (int y = 0; y < height; ++y) {
      uint8_t* row = mask + y * image.GetMaskStride();
      for (int x = 0; x < width; ++x) {
        if (gray)
          SetPixel1(row, static_cast<int16_t>(x), alpha != 0);
        else
          row[x] = static_cast<uint8_t>(alpha);
      }
    }
  }
  return image;
}

inline int GetSample(const CRasterImage& image, int x, int y, int c = 0) {
  const uint8_t* row = image.GetRow(y);
  switch (image.GetBitsPerPixel()) {
    case 24: return row[3 * x + c];
    case 8: return row[x];
    default: return GetPixelGetter(image.GetBitsPerPixel())(row, static_cast<int16_t>(x));
  }
}

inline int GetMaskSample(const CRasterImage& image, int x, int y) {
  if (!image.HasValidMask()) return -1;
  const uint8_t* row = image.GetMaskRow(y);
  return image.GetBitsPerPixel() == 24 ? row[x] : GetPixel1(row, static_cast<int16_t>(x));
}

// Exact equality of depth, size, pixels, palette and mask; "" when equal.
inline std::string DescribeDifference(const CRasterImage& a, const CRasterImage& b) {
  if (a.GetBitsPerPixel() != b.GetBitsPerPixel()) return "depth differs";
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
    return "size " + std::to_string(a.GetWidth()) + "x" + std::to_string(a.GetHeight()) + " vs " +
           std::to_string(b.GetWidth()) + "x" + std::to_string(b.GetHeight());
  if (a.HasValidMask() != b.HasValidMask()) return "mask presence differs";
  const int channels = a.GetBitsPerPixel() == 24 ? 3 : 1;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      for (int c = 0; c < channels; ++c)
        if (GetSample(a, x, y, c) != GetSample(b, x, y, c))
          return "pixel (" + std::to_string(x) + "," + std::to_string(y) + ") channel " + std::to_string(c) + ": " +
                 std::to_string(GetSample(a, x, y, c)) + " vs " + std::to_string(GetSample(b, x, y, c));
      if (GetMaskSample(a, x, y) != GetMaskSample(b, x, y))
        return "mask (" + std::to_string(x) + "," + std::to_string(y) + ")";
    }
  if (a.GetPaletteSize() != b.GetPaletteSize()) return "palette size differs";
  if (a.GetPaletteSize() && std::memcmp(a.GetPalette(), b.GetPalette(), a.GetPaletteSize() * 4) != 0)
    return "palette differs";
  return "";
}

// Raw bytes of the pixel plane (24-bit or 8-bit, rows unpadded) and of an
// 8-bit or 1-bit mask expanded to bytes 0/255 (1-bit) or kept (8-bit).
inline std::vector<uint8_t> PixelBytes(const CRasterImage& image) {
  const uint8_t* bits = image.GetBits();
  return std::vector<uint8_t>(bits, bits + static_cast<size_t>(image.GetStride()) * image.GetHeight());
}

inline std::vector<uint8_t> MaskBytes(const CRasterImage& image) {
  std::vector<uint8_t> out;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const int m = GetMaskSample(image, x, y);
      out.push_back(static_cast<uint8_t>(image.GetBitsPerPixel() == 24 ? m : (m ? 255 : 0)));
    }
  return out;
}

// Runs a python script (Debian's python with numpy and scipy) in dir; the
// script's stdout and stderr go to *output. Returns the exit status.
inline int RunPython(const testing_support::TempDir& dir, const std::string& script, std::string* output) {
  testing_support::WriteFileBytes(dir / "oracle.py", std::vector<uint8_t>(script.begin(), script.end()));
  return testing_support::RunCommand("cd " + testing_support::ShellQuote(dir.path().string()) + " && " +
                                         testing_support::Python() + " oracle.py",
                                     output);
}

}  // namespace imaging_test
