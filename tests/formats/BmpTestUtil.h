#pragma once
// Hand-built BMP files for the codec tests and the fuzz seeds.

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

namespace bmp_test {

struct BmpSpec {
  int32_t width = 4;
  int32_t height = 4;  // negative: top-down
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  int64_t dataOffset = -1;  // -1: right after the palette
  uint32_t colorsUsed = 0;
  std::vector<uint32_t> masks;    // bit fields written inside the header (>= 52) or after it
  std::vector<uint8_t> palette;   // written as given (4 bytes an entry)
  std::vector<uint8_t> data;      // pixel data as given
};

inline void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  v[at] = uint8_t(x);
  v[at + 1] = uint8_t(x >> 8);
}
inline void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}

inline std::vector<uint8_t> BuildBmp(const BmpSpec& s) {
  std::vector<uint8_t> f(14 + s.headerSize, 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 14, s.headerSize);
  Put32(f, 18, uint32_t(s.width));
  Put32(f, 22, uint32_t(s.height));
  Put16(f, 26, 1);
  Put16(f, 28, s.bitCount);
  Put32(f, 30, s.compression);
  Put32(f, 34, uint32_t(s.data.size()));
  Put32(f, 46, s.colorsUsed);
  size_t inHeader = 0;
  if (s.headerSize >= 52) {
    inHeader = std::min<size_t>(s.masks.size(), s.headerSize >= 56 ? 4 : 3);
    for (size_t i = 0; i < inHeader; ++i) Put32(f, 54 + 4 * i, s.masks[i]);
  }
  for (size_t i = inHeader; i < s.masks.size(); ++i) {
    f.resize(f.size() + 4);
    Put32(f, f.size() - 4, s.masks[i]);
  }
  f.insert(f.end(), s.palette.begin(), s.palette.end());
  const uint32_t offset = s.dataOffset >= 0 ? uint32_t(s.dataOffset) : uint32_t(f.size());
  Put32(f, 10, offset);
  if (offset > f.size()) f.resize(offset, 0);
  f.insert(f.end(), s.data.begin(), s.data.end());
  Put32(f, 2, uint32_t(f.size()));
  return f;
}

// A palette of n entries with entry i = (red 16 i, green 255 - 16 i, blue 7 i).
inline std::vector<uint8_t> TestPalette(int n) {
  std::vector<uint8_t> p;
  for (int i = 0; i < n; ++i) {
    p.push_back(uint8_t(7 * i));
    p.push_back(uint8_t(255 - 16 * i));
    p.push_back(uint8_t(16 * i));
    p.push_back(0);
  }
  return p;
}

}  // namespace bmp_test
