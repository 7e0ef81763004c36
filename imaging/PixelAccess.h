#pragma once
// Packed-pixel accessors on one row. x is a 16-bit signed index; these do not
// check bounds: callers clip first.

#include <cstdint>

inline void SetPixel1(uint8_t* row, int16_t x, int value) {
  const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
  if (value & 1)
    row[x >> 3] |= bit;
  else
    row[x >> 3] &= static_cast<uint8_t>(~bit);
}

inline int GetPixel1(const uint8_t* row, int16_t x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

inline void SetPixel4(uint8_t* row, int16_t x, int value) {
  uint8_t& b = row[x >> 1];
  if (x & 1)
    b = static_cast<uint8_t>((b & 0xF0) | (value & 0x0F));
  else
    b = static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
}

inline int GetPixel4(const uint8_t* row, int16_t x) {
  return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
}

inline void SetPixel8(uint8_t* row, int16_t x, int value) { row[x] = static_cast<uint8_t>(value); }

inline int GetPixel8(const uint8_t* row, int16_t x) { return row[x]; }

// The accessors in callback shape, so that a loop picks the one for its depth
// once and calls it per pixel.
using PIXELGETPROC = int (*)(const uint8_t* row, int16_t x);
using PIXELSETPROC = void (*)(uint8_t* row, int16_t x, int value);

// Getter and setter for 1, 4 or 8 bits per pixel; null for any other depth.
PIXELGETPROC GetPixelGetter(int bitsPerPixel);
PIXELSETPROC GetPixelSetter(int bitsPerPixel);
