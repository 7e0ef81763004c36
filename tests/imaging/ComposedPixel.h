#pragma once
// A pixel as it is seen once composed (alpha and colour; colour is 0 where
// alpha is 0), and the compositor's over rule, for tests that check
// compositing results against an independent computation.

#include <ostream>

#include "imaging/PixelAccess.h"
#include "imaging/RasterImage.h"

namespace testing_support {

struct Px {
  int a, r, g, b;
  friend bool operator==(const Px&, const Px&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Px& p) {
  return os << "(a" << p.a << " " << p.r << "," << p.g << "," << p.b << ")";
}

// Pixel (x, y) of any image; outside the image and fully transparent pixels are all 0.
inline Px PixelOf(const CRasterImage& im, int x, int y) {
  if (x < 0 || y < 0 || x >= im.GetWidth() || y >= im.GetHeight()) return {0, 0, 0, 0};
  int a = 255;
  if (im.HasValidMask())
    a = im.GetBitsPerPixel() == 24 ? im.GetMaskRow(y)[x] : (GetPixel1(im.GetMaskRow(y), x) ? 255 : 0);
  if (a == 0) return {0, 0, 0, 0};
  if (im.GetBitsPerPixel() == 24) {
    const uint8_t* p = im.GetRow(y) + 3 * x;
    return {a, p[0], p[1], p[2]};
  }
  const RGBQUAD q = im.GetPalette()[GetPixelGetter(im.GetBitsPerPixel())(im.GetRow(y), x)];
  return {a, q.rgbRed, q.rgbGreen, q.rgbBlue};
}

// The over rule, top over bottom, as the compositor defines it.
inline Px Over(Px t, Px b) {
  if (b.a == 0) return t;
  if (t.a == 0) return b;
  const int tb = t.a * b.a, a = t.a + b.a - tb / 255;
  auto ch = [&](int ct, int cb) { return (ct * t.a + cb * b.a - (tb * cb) / 255) / a; };
  return {a, ch(t.r, b.r), ch(t.g, b.g), ch(t.b, b.b)};
}

}  // namespace testing_support
