#include "imaging/Rotate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <vector>

#include "base/ImageGeometry.h"
#include "base/ResultCodes.h"
#include "imaging/PixelAccess.h"
#include "imaging/PixelRect.h"
#include "imaging/SelectionMask.h"

namespace {

// Source coordinates of target pixel (x, y) for a right-angle turn of a
// width x height source.
struct RightAngleMap {
  int angle;
  int32_t width, height;
  void operator()(int32_t x, int32_t y, int32_t& sx, int32_t& sy) const {
    switch (angle) {
      case 90: sx = y, sy = height - 1 - x; break;
      case 180: sx = width - 1 - x, sy = height - 1 - y; break;
      default: sx = width - 1 - y, sy = x; break;  // 270
    }
  }
};

// Rotates one plane of bytesPerPixel bytes (1 or 3) in square tiles, so that
// the column-wise side of the walk stays in cache.
void RotateBytePlane(const uint8_t* source, int32_t sourceStride, uint8_t* target, int32_t targetStride,
                     int32_t targetWidth, int32_t targetHeight, int bytesPerPixel, const RightAngleMap& map) {
  constexpr int32_t kTile = 64;
  for (int32_t ty = 0; ty < targetHeight; ty += kTile) {
    const int32_t yEnd = std::min(targetHeight, ty + kTile);
    for (int32_t tx = 0; tx < targetWidth; tx += kTile) {
      const int32_t xEnd = std::min(targetWidth, tx + kTile);
      for (int32_t y = ty; y < yEnd; ++y) {
        uint8_t* out = target + static_cast<ptrdiff_t>(y) * targetStride;
        int32_t sx, sy;
        map(tx, y, sx, sy);
        // Moving one target pixel right moves the source point by a fixed step.
        int32_t sx1, sy1;
        map(tx + 1, y, sx1, sy1);
        const ptrdiff_t step = static_cast<ptrdiff_t>(sy1 - sy) * sourceStride + (sx1 - sx) * bytesPerPixel;
        const uint8_t* in = source + static_cast<ptrdiff_t>(sy) * sourceStride + static_cast<ptrdiff_t>(sx) * bytesPerPixel;
        if (bytesPerPixel == 3) {
          for (int32_t x = tx; x < xEnd; ++x, in += step) std::memcpy(out + 3 * x, in, 3);
        } else {
          for (int32_t x = tx; x < xEnd; ++x, in += step) out[x] = *in;
        }
      }
    }
  }
}

// The same for packed 1- and 4-bit planes, pixel by pixel.
void RotatePackedPlane(const CPixelPlane& sourcePlane, uint8_t* target, int32_t targetStride, int32_t targetWidth,
                       int32_t targetHeight, int bitsPerPixel, const RightAngleMap& map) {
  const PIXELGETPROC get = GetPixelGetter(bitsPerPixel);
  const PIXELSETPROC set = GetPixelSetter(bitsPerPixel);
  const uint8_t* bits = sourcePlane.GetBits();
  const int32_t stride = sourcePlane.GetStride();
  for (int32_t y = 0; y < targetHeight; ++y) {
    uint8_t* out = target + static_cast<ptrdiff_t>(y) * targetStride;
    for (int32_t x = 0; x < targetWidth; ++x) {
      int32_t sx, sy;
      map(x, y, sx, sy);
      set(out, static_cast<int16_t>(x), get(bits + static_cast<ptrdiff_t>(sy) * stride, static_cast<int16_t>(sx)));
    }
  }
}

void RotatePlane(const CPixelPlane& source, CPixelPlane& target, const RightAngleMap& map) {
  const int bpp = source.GetBitsPerPixel();
  if (bpp == 24 || bpp == 8)
    RotateBytePlane(source.GetBits(), source.GetStride(), target.GetWritableBits(), target.GetStride(),
                    target.GetWidth(), target.GetHeight(), bpp / 8, map);
  else
    RotatePackedPlane(source, target.GetWritableBits(), target.GetStride(), target.GetWidth(), target.GetHeight(),
                      bpp, map);
}

// The four B-spline weights of offsets -1, 0, 1, 2 for a fraction f in [0, 1).
inline void BSplineWeights(double f, double w[4]) {
  const double g = 1.0 - f;
  w[0] = g * g * g / 6.0;
  w[1] = f * f * f / 2.0 - f * f + 2.0 / 3.0;
  w[2] = g * g * g / 2.0 - g * g + 2.0 / 3.0;
  w[3] = f * f * f / 6.0;
}

// Colour of an opaque 4 x 4 neighbourhood (top-left at p): the weighted sum,
// truncated, with a small allowance against rounding noise.
inline void InteriorSample(const uint8_t* p, int32_t stride, const double bx[4], const double by[4], uint8_t* out) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  __m128 acc = _mm_setzero_ps();
  for (int v = 0; v < 4; ++v, p += stride) {
    __m128 row = _mm_setzero_ps();
    for (int u = 0; u < 4; ++u) {
      const uint8_t* q = p + 3 * u;
      const __m128i px = _mm_cvtsi32_si128(q[0] | (q[1] << 8) | (q[2] << 16));
      const __m128 f = _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(px, zero), zero));
      row = _mm_add_ps(row, _mm_mul_ps(_mm_set1_ps(static_cast<float>(bx[u])), f));
    }
    acc = _mm_add_ps(acc, _mm_mul_ps(_mm_set1_ps(static_cast<float>(by[v])), row));
  }
  acc = _mm_min_ps(_mm_add_ps(_mm_max_ps(acc, _mm_setzero_ps()), _mm_set1_ps(1.0f / 512.0f)), _mm_set1_ps(255.0f));
  const __m128i n = _mm_cvttps_epi32(acc);
  const uint32_t rgb = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(n, n), zero)));
  out[0] = static_cast<uint8_t>(rgb), out[1] = static_cast<uint8_t>(rgb >> 8), out[2] = static_cast<uint8_t>(rgb >> 16);
#else
  double s[3] = {0, 0, 0};
  for (int v = 0; v < 4; ++v, p += stride)
    for (int u = 0; u < 4; ++u)
      for (int c = 0; c < 3; ++c) s[c] += bx[u] * by[v] * p[3 * u + c];
  for (int c = 0; c < 3; ++c) {
    const double x = s[c] + 1.0 / 512.0;
    out[c] = static_cast<uint8_t>(x >= 255.0 ? 255 : x <= 0 ? 0 : static_cast<int>(x));
  }
#endif
}

// Truncation that does not let rounding noise turn an exact v into v - 1.
constexpr double kTruncateSlack = 1e-7;

int64_t RoundHalfAway(double v) { return static_cast<int64_t>(std::llround(v)); }

void RotateRgb(const CRasterImage& source, CRasterImage& target, int degrees) {
  const int32_t w = source.GetWidth(), h = source.GetHeight();
  const int32_t tw = target.GetWidth(), th = target.GetHeight();
  const double phi = (360 - degrees) * 0.01745328888888889;
  const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
  const bool masked = source.HasValidMask();
  const uint8_t* bits = source.GetBits();
  const int32_t stride = source.GetStride();
  uint8_t* outBits = target.GetWritableBits();
  uint8_t* outMask = target.GetWritableMaskBits();
  const int32_t outStride = target.GetStride(), outMaskStride = target.GetMaskStride();

  for (int32_t i = 0; i < th; ++i) {
    uint8_t* out = outBits + static_cast<ptrdiff_t>(i) * outStride;
    uint8_t* mo = outMask + static_cast<ptrdiff_t>(i) * outMaskStride;
    const double dy = i - th / 2;
    const double rowX = -dy * sinPhi + w / 2, rowY = dy * cosPhi + h / 2;
    for (int32_t j = 0; j < tw; ++j) {
      const double dx = j - tw / 2;
      const double sx = dx * cosPhi + rowX;
      const double sy = dx * sinPhi + rowY;
      const double fX = std::floor(sx), fY = std::floor(sy);
      if (fX < 0 || fY < 0 || fX >= w || fY >= h) continue;
      const int32_t X = static_cast<int32_t>(fX), Y = static_cast<int32_t>(fY);
      const double fx = sx - fX, fy = sy - fY;
      double bx[4], by[4];
      BSplineWeights(fx, bx);
      BSplineWeights(fy, by);
      double a = 0, s[3] = {0, 0, 0};
      const bool interior = X - 1 >= 1 && X + 2 <= w - 2 && Y - 1 >= 1 && Y + 2 <= h - 2;
      if (interior && !masked) {
        // Opaque neighbourhood: the alpha weights sum to exactly one, so the
        // pixel is opaque and its colour the plain weighted sum.
        mo[j] = 255;
        InteriorSample(bits + static_cast<ptrdiff_t>(Y - 1) * stride + static_cast<ptrdiff_t>(X - 1) * 3, stride, bx,
                       by, out + 3 * j);
        continue;
      } else {
        for (int v = 0; v < 4; ++v) {
          const int32_t yy = Y + v - 1;
          if (yy < 1 || yy > h - 2) continue;
          const uint8_t* row = bits + static_cast<ptrdiff_t>(yy) * stride;
          const uint8_t* mrow = masked ? source.GetMaskRow(yy) : nullptr;
          for (int u = 0; u < 4; ++u) {
            const int32_t xx = X + u - 1;
            if (xx < 1 || xx > w - 2) continue;
            const double alpha = masked ? mrow[xx] : 255.0;
            const double wa = bx[u] * by[v] * alpha;
            a += wa;
            s[0] += wa * row[3 * xx];
            s[1] += wa * row[3 * xx + 1];
            s[2] += wa * row[3 * xx + 2];
          }
        }
      }
      int alpha = static_cast<int>(a + kTruncateSlack);
      if (alpha <= 0) continue;
      alpha = std::min(alpha, 255);
      mo[j] = static_cast<uint8_t>(alpha);
      for (int c = 0; c < 3; ++c) {
        const double v = s[c] / alpha + kTruncateSlack;
        out[3 * j + c] = static_cast<uint8_t>(v >= 255.0 ? 255 : v <= 0 ? 0 : static_cast<int>(v));
      }
    }
  }
}

void RotateIndexed(const CRasterImage& source, CRasterImage& target, double theta, int64_t minX, int64_t minY) {
  const int32_t w = source.GetWidth(), h = source.GetHeight();
  const int bpp = source.GetBitsPerPixel();
  const PIXELGETPROC get = GetPixelGetter(bpp);
  const PIXELSETPROC set = GetPixelSetter(bpp);
  const double cosT = std::cos(theta), sinT = std::sin(theta);
  const bool masked = source.HasValidMask();
  uint8_t* outBits = target.GetWritableBits();
  uint8_t* outMask = target.GetWritableMaskBits();
  for (int32_t i = 0; i < target.GetHeight(); ++i) {
    uint8_t* out = outBits + static_cast<ptrdiff_t>(i) * target.GetStride();
    uint8_t* mo = outMask + static_cast<ptrdiff_t>(i) * target.GetMaskStride();
    const double y = static_cast<double>(i + minY);
    for (int32_t j = 0; j < target.GetWidth(); ++j) {
      const double x = static_cast<double>(j + minX);
      const int64_t sx = RoundHalfAway(x * cosT + y * sinT);
      const int64_t sy = RoundHalfAway(y * cosT - x * sinT);
      if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
      set(out, static_cast<int16_t>(j), get(source.GetRow(static_cast<int32_t>(sy)), static_cast<int16_t>(sx)));
      const int bit = masked ? GetPixel1(source.GetMaskRow(static_cast<int32_t>(sy)), static_cast<int16_t>(sx)) : 1;
      SetPixel1(mo, static_cast<int16_t>(j), bit);
    }
  }
}

}  // namespace

int NormalizeRotationAngle(int degrees) {
  if (degrees < 0) return 359 - static_cast<int>((-static_cast<int64_t>(degrees) - 1) % 360);
  return degrees % 360;
}

CRasterImage RotateImageRightAngle(const CRasterImage& source, int degrees) {
  const int angle = NormalizeRotationAngle(degrees);
  if ((angle != 90 && angle != 180 && angle != 270) || source.IsEmpty()) return {};
  const int32_t w = source.GetWidth(), h = source.GetHeight();
  const int32_t tw = angle == 180 ? w : h, th = angle == 180 ? h : w;
  try {
    CRasterImage result;
    if (!result.Create(tw, th, source.GetBitsPerPixel())) return {};
    if (source.GetBitsPerPixel() != 24) result.m_palette = source.m_palette;
    const RightAngleMap map{angle, w, h};
    RotatePlane(source.m_pixels, result.m_pixels, map);
    if (source.HasValidMask()) {
      if (!result.CreateMask()) return {};
      RotatePlane(source.m_mask, result.m_mask, map);
    }
    return result;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

CRasterImage RotateImage(const CRasterImage& source, int degrees) {
  if (source.IsEmpty()) return {};
  const int angle = NormalizeRotationAngle(degrees);
  if (angle == 90 || angle == 180 || angle == 270) return RotateImageRightAngle(source, angle);
  const int bpp = source.GetBitsPerPixel();
  const int32_t w = source.GetWidth(), h = source.GetHeight();
  const double theta = angle * 0.01745327777777778;
  const double cosT = std::cos(theta), sinT = std::sin(theta);
  int64_t minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
  for (const auto& [cx, cy] : {std::pair<double, double>{0, 0}, {w - 1.0, 0}, {0, h - 1.0}, {w - 1.0, h - 1.0}}) {
    const int64_t x = RoundHalfAway(cx * cosT - cy * sinT);
    const int64_t y = RoundHalfAway(cx * sinT + cy * cosT);
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  const int64_t tw = maxX - minX + 1, th = maxY - minY + 1;
  if (CheckImageGeometry(tw, th, bpp) != IMAGEIO_OK) return {};
  try {
    CRasterImage result;
    if (!result.Create(static_cast<int32_t>(tw), static_cast<int32_t>(th), bpp) || !result.CreateMask()) return {};
    if (bpp == 24) {
      RotateRgb(source, result, angle);
    } else {
      result.m_palette = source.m_palette;
      RotateIndexed(source, result, theta, minX, minY);
    }
    Rect bounds;
    if (!GetNonZeroBounds(result.m_mask.GetBits(), result.m_mask.GetWidth(), result.m_mask.GetHeight(),
                          result.m_mask.GetStride(), result.m_mask.GetBitsPerPixel(), &bounds))
      return {};
    if (bounds == Rect{0, 0, result.GetWidth(), result.GetHeight()}) return result;
    return CropImage(result, bounds);
  } catch (const std::bad_alloc&) {
    return {};
  }
}
