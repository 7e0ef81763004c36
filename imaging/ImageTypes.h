#pragma once
// Small value types shared by every image function.

#include <cstdint>

// A palette entry or colour value: bytes blue, green, red, reserved (0).
struct RGBQUAD {
  uint8_t rgbBlue = 0;
  uint8_t rgbGreen = 0;
  uint8_t rgbRed = 0;
  uint8_t rgbReserved = 0;

  friend bool operator==(const RGBQUAD&, const RGBQUAD&) = default;
};
static_assert(sizeof(RGBQUAD) == 4);

inline RGBQUAD MakeRGBQuad(uint8_t red, uint8_t green, uint8_t blue) {
  RGBQUAD q;
  q.rgbRed = red;
  q.rgbGreen = green;
  q.rgbBlue = blue;
  return q;
}

// A rectangle: left and top inclusive, right and bottom exclusive.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};
