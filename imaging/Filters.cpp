#include "imaging/Filters.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <vector>

#include "imaging/PixelAccess.h"

namespace {

const int kPresetKernels[4][9] = {
    {0, -1, 0, -1, 8, -1, 0, -1, 0},
    {-1, -1, -1, -1, 12, -1, -1, -1, -1},
    {0, 1, 0, 1, 4, 1, 0, 1, 0},
    {1, 1, 1, 1, 2, 1, 1, 1, 1},
};
const int kPresetDivisors[4] = {4, 4, 8, 10};

bool IsFilterable(const CRasterImage& image) {
  return !image.IsEmpty() && (image.GetBitsPerPixel() == 24 || image.IsGrayscale());
}

inline uint8_t Clamp255(int64_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Exact v / d for 0 <= v and a positive d through a reciprocal.
struct FastDivider {
  explicit FastDivider(int64_t d) : divisor(d), inverse(1.0 / static_cast<double>(d)) {}
  int64_t operator()(int64_t v) const {
    int64_t q = static_cast<int64_t>(static_cast<double>(v) * inverse);
    if (q * divisor > v) --q;
    else if ((q + 1) * divisor <= v) ++q;
    return q;
  }
  int64_t divisor;
  double inverse;
};

// Running-mean of one line of samples (count samples step apart) into out
// (consecutive); samples beyond the ends repeat the edge or count 0.
void BoxLine(const uint8_t* in, ptrdiff_t step, int32_t count, uint8_t* out, int64_t radius, bool repeat,
             const FastDivider& divide) {
  auto sample = [&](int64_t i) -> int64_t {
    if (i < 0) return repeat ? in[0] : 0;
    if (i >= count) return repeat ? in[static_cast<ptrdiff_t>(count - 1) * step] : 0;
    return in[static_cast<ptrdiff_t>(i) * step];
  };
  // Window of the first output: -radius .. radius.
  int64_t sum = 0;
  if (repeat) sum += radius * in[0];
  const int64_t inside = std::min<int64_t>(radius, count - 1);
  for (int64_t i = 0; i <= inside; ++i) sum += in[static_cast<ptrdiff_t>(i) * step];
  if (repeat && radius > count - 1) sum += (radius - (count - 1)) * in[static_cast<ptrdiff_t>(count - 1) * step];
  for (int32_t x = 0; x < count; ++x) {
    out[x] = static_cast<uint8_t>(divide(sum));
    sum += sample(x + radius + 1) - sample(x - radius);
  }
}

// Vertical running mean over whole rows of a plane of rowBytes bytes per row
// (all columns at once, reading rows in order) from in to a distinct out.
void BoxColumns(const uint8_t* in, int32_t inStride, uint8_t* out, int32_t outStride, int32_t rowBytes,
                int32_t height, int64_t radius, bool repeat, const FastDivider& divide) {
  std::vector<int64_t> sums(static_cast<size_t>(rowBytes), 0);
  auto row = [&](int64_t y) -> const uint8_t* {
    if (y < 0) return repeat ? in : nullptr;
    if (y >= height) return repeat ? in + static_cast<ptrdiff_t>(height - 1) * inStride : nullptr;
    return in + static_cast<ptrdiff_t>(y) * inStride;
  };
  const int64_t inside = std::min<int64_t>(radius, height - 1);
  for (int64_t y = 0; y <= inside; ++y) {
    const uint8_t* r = row(y);
    for (int32_t x = 0; x < rowBytes; ++x) sums[x] += r[x];
  }
  if (repeat) {
    const int64_t before = radius;
    const int64_t after = radius > height - 1 ? radius - (height - 1) : 0;
    const uint8_t* first = row(0);
    const uint8_t* last = row(height - 1);
    for (int32_t x = 0; x < rowBytes; ++x) sums[x] += before * first[x] + after * last[x];
  }
  // in and out are distinct planes: rows are read after earlier ones were written.
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* o = out + static_cast<ptrdiff_t>(y) * outStride;
    for (int32_t x = 0; x < rowBytes; ++x) o[x] = static_cast<uint8_t>(divide(sums[x]));
    const uint8_t* enter = row(static_cast<int64_t>(y) + radius + 1);
    const uint8_t* leave = row(static_cast<int64_t>(y) - radius);
    if (enter)
      for (int32_t x = 0; x < rowBytes; ++x) sums[x] += enter[x];
    if (leave)
      for (int32_t x = 0; x < rowBytes; ++x) sums[x] -= leave[x];
  }
}

// Exact n / d for 0 <= n < 2^31 by a multiply and a shift.
struct MagicDivider {
  explicit MagicDivider(uint32_t d) {
    int bits = 0;
    while ((uint64_t{1} << bits) < d) ++bits;
    shift = 31 + bits;
    multiplier = ((uint64_t{1} << shift) + d - 1) / d;
  }
  uint32_t operator()(uint32_t n) const { return static_cast<uint32_t>((n * multiplier) >> shift); }
  uint64_t multiplier;
  int shift;
};

// Radii up to this keep every window sum below 2^24 (exact in float).
constexpr int kFastBoxRadius = 32000;

// Horizontal running mean of one row of interleaved channels through a
// line padded with radius + 1 samples on each side.
void BoxRowFast(const uint8_t* in, int32_t width, int channels, uint8_t* out, int radius, bool repeat,
                std::vector<uint8_t>& pad, const MagicDivider& divide) {
  const size_t padPixels = static_cast<size_t>(width) + 2 * static_cast<size_t>(radius) + 2;
  pad.resize(padPixels * channels);
  uint8_t* p = pad.data();
  for (int r = 0; r <= radius; ++r, p += channels)
    for (int c = 0; c < channels; ++c) p[c] = repeat ? in[c] : 0;
  std::memcpy(p, in, static_cast<size_t>(width) * channels);
  p += static_cast<size_t>(width) * channels;
  const uint8_t* last = in + static_cast<size_t>(width - 1) * channels;
  for (int r = 0; r <= radius; ++r, p += channels)
    for (int c = 0; c < channels; ++c) p[c] = repeat ? last[c] : 0;
  // pad[(radius + 1 + x) * channels] is sample x.
  const uint8_t* leave = pad.data() + static_cast<size_t>(1) * channels;  // sample -radius
  const uint8_t* enter = leave + static_cast<size_t>(2 * radius + 1) * channels;
  uint32_t sums[4] = {0, 0, 0, 0};
  for (int k = 0; k <= 2 * radius; ++k)
    for (int c = 0; c < channels; ++c) sums[c] += leave[static_cast<size_t>(k) * channels + c];
  const int32_t samples = width * channels;
  if (channels == 3) {
    uint32_t s0 = sums[0], s1 = sums[1], s2 = sums[2];
    for (int32_t i = 0; i < samples; i += 3) {
      out[i] = static_cast<uint8_t>(divide(s0));
      out[i + 1] = static_cast<uint8_t>(divide(s1));
      out[i + 2] = static_cast<uint8_t>(divide(s2));
      s0 += enter[i] - leave[i];
      s1 += enter[i + 1] - leave[i + 1];
      s2 += enter[i + 2] - leave[i + 2];
    }
  } else {
    for (int32_t i = 0; i < samples; ++i) {
      const int c = i % channels;
      out[i] = static_cast<uint8_t>(divide(sums[c]));
      sums[c] += enter[i] - leave[i];
    }
  }
}

// Vertical running mean over whole rows (sums below 2^24), from in into a
// distinct out.
void BoxColumnsFast(const uint8_t* in, int32_t inStride, uint8_t* out, int32_t outStride, int32_t rowBytes,
                    int32_t height, int radius, bool repeat, const MagicDivider& divide) {
  std::vector<int32_t> sums(static_cast<size_t>(rowBytes), 0);
  auto row = [&](int64_t y) -> const uint8_t* {
    if (y < 0) return repeat ? in : nullptr;
    if (y >= height) return repeat ? in + static_cast<ptrdiff_t>(height - 1) * inStride : nullptr;
    return in + static_cast<ptrdiff_t>(y) * inStride;
  };
  for (int64_t y = -radius; y <= radius; ++y)
    if (const uint8_t* r = row(y))
      for (int32_t x = 0; x < rowBytes; ++x) sums[x] += r[x];
  const int32_t d = 2 * radius + 1;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* o = out + static_cast<ptrdiff_t>(y) * outStride;
    const uint8_t* enter = row(static_cast<int64_t>(y) + radius + 1);
    const uint8_t* leave = row(static_cast<int64_t>(y) - radius);
    int32_t* s = sums.data();
    int32_t x = 0;
#if defined(__SSE2__)
    const __m128 inverse = _mm_set1_ps(1.0f / static_cast<float>(d)), divisor = _mm_set1_ps(static_cast<float>(d));
    const __m128i zero = _mm_setzero_si128();
    auto quotient = [&](__m128i n) {
      // n / d estimated in float (off by at most one), then corrected.
      const __m128 nf = _mm_cvtepi32_ps(n);
      __m128i q = _mm_cvttps_epi32(_mm_mul_ps(nf, inverse));
      const __m128 product = _mm_mul_ps(_mm_cvtepi32_ps(q), divisor);
      q = _mm_add_epi32(q, _mm_castps_si128(_mm_cmpgt_ps(product, nf)));                       // -1 when too big
      q = _mm_sub_epi32(q, _mm_castps_si128(_mm_cmple_ps(_mm_add_ps(product, divisor), nf)));  // +1 when too small
      return q;
    };
    for (; x + 16 <= rowBytes; x += 16) {
      __m128i n0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
      __m128i n1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x + 4));
      __m128i n2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x + 8));
      __m128i n3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x + 12));
      const __m128i q01 = _mm_packs_epi32(quotient(n0), quotient(n1));
      const __m128i q23 = _mm_packs_epi32(quotient(n2), quotient(n3));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + x), _mm_packus_epi16(q01, q23));
      auto widen = [&](const uint8_t* bytes, __m128i parts[4]) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + x));
        const __m128i lo = _mm_unpacklo_epi8(b, zero), hi = _mm_unpackhi_epi8(b, zero);
        parts[0] = _mm_unpacklo_epi16(lo, zero), parts[1] = _mm_unpackhi_epi16(lo, zero);
        parts[2] = _mm_unpacklo_epi16(hi, zero), parts[3] = _mm_unpackhi_epi16(hi, zero);
      };
      __m128i e[4], l[4];
      if (enter) {
        widen(enter, e);
        n0 = _mm_add_epi32(n0, e[0]), n1 = _mm_add_epi32(n1, e[1]);
        n2 = _mm_add_epi32(n2, e[2]), n3 = _mm_add_epi32(n3, e[3]);
      }
      if (leave) {
        widen(leave, l);
        n0 = _mm_sub_epi32(n0, l[0]), n1 = _mm_sub_epi32(n1, l[1]);
        n2 = _mm_sub_epi32(n2, l[2]), n3 = _mm_sub_epi32(n3, l[3]);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(s + x), n0);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(s + x + 4), n1);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(s + x + 8), n2);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(s + x + 12), n3);
    }
#endif
    for (; x < rowBytes; ++x) {
      o[x] = static_cast<uint8_t>(divide(static_cast<uint32_t>(s[x])));
      if (enter) s[x] += enter[x];
      if (leave) s[x] -= leave[x];
    }
  }
}

// The feather of one line (count samples) from in into out.
void FeatherLine(const uint8_t* in, int32_t count, uint8_t* out, int n) {
  int64_t lead = 0;
  for (int32_t i = 0; i < n && i < count; ++i) lead += in[i];
  int64_t trail = in[0] / n;
  for (int32_t x = 0; x < count; ++x) {
    out[x] = static_cast<uint8_t>(std::min(trail, lead) / n);
    // Advance both sums to x + 1.
    lead -= in[x];
    if (static_cast<int64_t>(x) + n < count) lead += in[x + n];
    if (x + 1 < count) {
      trail += in[x + 1];
      if (static_cast<int64_t>(x) + 1 - n > 0) trail -= in[x + 1 - n];
    }
  }
}

}  // namespace

bool Convolve5x5(const int kernel[25], const uint8_t* source, uint8_t* target, const uint8_t* mask, int32_t width,
                 int32_t height, int32_t stride, int channels, int32_t maskStride, int divisor, int offset,
                 PROGRESSPROC progress, CANCELPROC cancel) {
  if (divisor == 0) divisor = 1;
  const bool byteMask = channels == 3;
  auto opaque = [&](int32_t x, int32_t y) {
    const uint8_t* m = mask + static_cast<ptrdiff_t>(y) * maskStride;
    return byteMask ? m[x] != 0 : GetPixel1(m, static_cast<int16_t>(x)) != 0;
  };
  // The non-zero taps.
  struct Tap { int dx, dy, weight; };
  Tap taps[25];
  int tapCount = 0;
  for (int i = 0; i < 25; ++i)
    if (kernel[i] != 0) taps[tapCount++] = Tap{i % 5 - 2, i / 5 - 2, kernel[i]};
  const int64_t half = divisor / 2;
  // Sums stay below 2^31 in magnitude for every kernel whose weights do:
  // divide those by a multiply and a shift (truncating toward zero).
  int64_t bound = std::abs(half);
  for (int t = 0; t < tapCount; ++t) bound += 255 * std::abs(static_cast<int64_t>(taps[t].weight));
  const bool magic = bound < (int64_t{1} << 31) && divisor != INT_MIN;
  const MagicDivider divide(static_cast<uint32_t>(divisor < 0 ? -static_cast<int64_t>(divisor) : divisor));
  auto quotient = [&](int64_t n) -> int64_t {
    if (!magic) return n / divisor;
    const int64_t q = n >= 0 ? divide(static_cast<uint32_t>(n)) : -static_cast<int64_t>(divide(static_cast<uint32_t>(-n)));
    return divisor < 0 ? -q : q;
  };
  // Offsets of the taps within a row of pixels, for the inner part of a row.
  int tapOffset[25];
  for (int t = 0; t < tapCount; ++t) tapOffset[t] = taps[t].dx * channels;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = target + static_cast<ptrdiff_t>(y) * stride;
    const uint8_t* centreRow = source + static_cast<ptrdiff_t>(y) * stride;
    const uint8_t* tapRow[25];
    for (int t = 0; t < tapCount; ++t)
      tapRow[t] = source + static_cast<ptrdiff_t>(std::clamp(y + taps[t].dy, 0, height - 1)) * stride;
    for (int32_t x = 0; x < width; ++x) {
      if (!mask && x >= 2 && x < width - 2) {
        // No mask and no column clamping: the plain weighted sum.
        for (int c = 0; c < channels; ++c) {
          const int32_t at = x * channels + c;
          int64_t sum = 0;
          for (int t = 0; t < tapCount; ++t) sum += static_cast<int64_t>(taps[t].weight) * tapRow[t][at + tapOffset[t]];
          out[at] = Clamp255(offset + quotient(half + sum));
        }
        continue;
      }
      if (mask && !opaque(x, y)) {
        for (int c = 0; c < channels; ++c) out[x * channels + c] = 0;
        continue;
      }
      for (int c = 0; c < channels; ++c) {
        const int centre = centreRow[x * channels + c];
        int64_t sum = 0;
        for (int t = 0; t < tapCount; ++t) {
          const int32_t nx = std::clamp(x + taps[t].dx, 0, width - 1);
          const int32_t ny = std::clamp(y + taps[t].dy, 0, height - 1);
          int value = source[static_cast<ptrdiff_t>(ny) * stride + nx * channels + c];
          if (mask && !opaque(nx, ny)) value = centre;
          sum += static_cast<int64_t>(taps[t].weight) * value;
        }
        out[x * channels + c] = Clamp255(offset + quotient(half + sum));
      }
    }
    if (cancel && cancel()) return false;
    if (progress) progress(y, height);
  }
  return true;
}

CRasterImage ConvolveImage(const CRasterImage& image, const int kernel[25], int divisor, int offset,
                           PROGRESSPROC progress, CANCELPROC cancel) {
  if (!IsFilterable(image)) return {};
  try {
    CRasterImage result = image;
    CPixelPlane pixels;
    if (!pixels.Create(image.GetWidth(), image.GetHeight(), image.GetBitsPerPixel())) return {};
    result.m_pixels = pixels;
    const bool masked = image.HasValidMask();
    if (!Convolve5x5(kernel, image.GetBits(), result.GetWritableBits(), masked ? image.GetMaskBits() : nullptr,
                     image.GetWidth(), image.GetHeight(), image.GetStride(), image.GetBitsPerPixel() == 24 ? 3 : 1,
                     masked ? image.GetMaskStride() : 0, divisor, offset, progress, cancel))
      return {};
    return result;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

CRasterImage ApplyPresetFilter(const CRasterImage& image, int type, PROGRESSPROC progress, CANCELPROC cancel) {
  if (type < 1 || type > 4) return {};
  int kernel[25] = {};
  for (int i = 0; i < 9; ++i) kernel[(i / 3 + 1) * 5 + i % 3 + 1] = kPresetKernels[type - 1][i];
  return ConvolveImage(image, kernel, kPresetDivisors[type - 1], 0, progress, cancel);
}

void SeparableFilter(const uint8_t* source, uint8_t* target, int32_t width, int32_t height, int32_t step,
                     int32_t stride, const CFilterKernel& horizontal, const CFilterKernel& vertical) {
  if (width <= 0 || height <= 0) return;
  struct Taps {
    int half = 0;
    std::vector<uint8_t> tables;  // (2 * half + 1) tables of 256 entries
    double sum = 0;
  };
  auto build = [](const CFilterKernel& kernel, Taps& taps) {
    const double w = kernel.GetWidth();
    double half = std::ceil((w - 1.0) * 0.5);
    if (!(half > 0)) half = 0;
    taps.half = static_cast<int>(std::min(half, 32767.0));
    const int n = 2 * taps.half + 1;
    taps.tables.assign(static_cast<size_t>(n) * 256, 0);
    taps.sum = 0;
    for (int i = 0; i < n; ++i) {
      double weight = kernel.Evaluate(i - taps.half);
      if (!std::isfinite(weight)) weight = 0.0;  // a broken kernel adds nothing
      taps.sum += weight;
      for (int v = 0; v < 256; ++v) {
        const double p = v * weight;
        taps.tables[static_cast<size_t>(i) * 256 + v] = p <= 0 ? 0 : p >= 255 ? 255 : static_cast<uint8_t>(p);
      }
    }
  };
  auto finish = [](int64_t e, double sum) -> uint8_t {
    double v = static_cast<double>(e);
    if (sum != 0) v = std::trunc(v / sum);
    return static_cast<uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : v);
  };
  Taps h, v;
  build(horizontal, h);
  build(vertical, v);
  std::vector<uint8_t> temp(static_cast<size_t>(width) * height);
  const int hn = 2 * h.half + 1, vn = 2 * v.half + 1;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = source + static_cast<ptrdiff_t>(y) * stride;
    uint8_t* out = temp.data() + static_cast<ptrdiff_t>(y) * width;
    for (int32_t x = 0; x < width; ++x) {
      int64_t e = 0;
      for (int i = 0; i < hn; ++i) {
        const int32_t sx = static_cast<int32_t>(std::clamp<int64_t>(int64_t{x} - h.half + i, 0, width - 1));
        e += h.tables[static_cast<size_t>(i) * 256 + row[static_cast<ptrdiff_t>(sx) * step]];
      }
      out[x] = finish(e, h.sum);
    }
  }
  std::vector<int64_t> acc(static_cast<size_t>(width));
  for (int32_t y = 0; y < height; ++y) {
    std::fill(acc.begin(), acc.end(), 0);
    for (int i = 0; i < vn; ++i) {
      const int32_t sy = static_cast<int32_t>(std::clamp<int64_t>(int64_t{y} - v.half + i, 0, height - 1));
      const uint8_t* row = temp.data() + static_cast<ptrdiff_t>(sy) * width;
      const uint8_t* table = v.tables.data() + static_cast<size_t>(i) * 256;
      for (int32_t x = 0; x < width; ++x) acc[x] += table[row[x]];
    }
    uint8_t* out = target + static_cast<ptrdiff_t>(y) * stride;
    for (int32_t x = 0; x < width; ++x) out[static_cast<ptrdiff_t>(x) * step] = finish(acc[x], v.sum);
  }
}

void BoxBlur(uint8_t* pixels, int32_t width, int32_t height, int channels, int32_t stride, int radius,
             int direction, bool repeatEdges) {
  if (radius < 1 || width <= 0 || height <= 0 || channels < 1) return;
  if (direction != DIRECTION_VERTICAL && direction != DIRECTION_HORIZONTAL && direction != DIRECTION_BOTH) return;
  const int32_t rowBytes = width * channels;
  // Scratch plane holding all channels interleaved, as the image does; the
  // vertical pass then runs over whole rows.
  std::vector<uint8_t> scratch(static_cast<size_t>(rowBytes) * height);
  const bool fast = radius <= kFastBoxRadius && channels <= 4;
  const FastDivider divide(2 * static_cast<int64_t>(radius) + 1);
  const MagicDivider magic(static_cast<uint32_t>(2 * std::min(radius, kFastBoxRadius) + 1));
  if (direction & DIRECTION_HORIZONTAL) {
    std::vector<uint8_t> line(static_cast<size_t>(width)), pad;
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* row = pixels + static_cast<ptrdiff_t>(y) * stride;
      uint8_t* out = scratch.data() + static_cast<ptrdiff_t>(y) * rowBytes;
      if (fast) {
        BoxRowFast(row, width, channels, out, radius, repeatEdges, pad, magic);
        continue;
      }
      for (int c = 0; c < channels; ++c) {
        BoxLine(row + c, channels, width, line.data(), radius, repeatEdges, divide);
        for (int32_t x = 0; x < width; ++x) out[x * channels + c] = line[x];
      }
    }
  } else {
    for (int32_t y = 0; y < height; ++y)
      std::memcpy(scratch.data() + static_cast<ptrdiff_t>(y) * rowBytes, pixels + static_cast<ptrdiff_t>(y) * stride,
                  rowBytes);
  }
  if (direction & DIRECTION_VERTICAL) {
    if (fast)
      BoxColumnsFast(scratch.data(), rowBytes, pixels, stride, rowBytes, height, radius, repeatEdges, magic);
    else
      BoxColumns(scratch.data(), rowBytes, pixels, stride, rowBytes, height, radius, repeatEdges, divide);
  } else {
    for (int32_t y = 0; y < height; ++y)
      std::memcpy(pixels + static_cast<ptrdiff_t>(y) * stride, scratch.data() + static_cast<ptrdiff_t>(y) * rowBytes,
                  rowBytes);
  }
}

bool BlurImage(CRasterImage& image, int radius, int direction, bool repeatEdges) {
  if (!IsFilterable(image) || radius < 1) return false;
  try {
    uint8_t* bits = image.GetWritableBits();
    if (!bits) return false;
    BoxBlur(bits, image.GetWidth(), image.GetHeight(), image.GetBitsPerPixel() == 24 ? 3 : 1, image.GetStride(),
            radius, direction, repeatEdges);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void FeatherMask(uint8_t* alpha, int32_t width, int32_t height, int32_t stride, int amount, int direction) {
  if (amount < 1 || width <= 0 || height <= 0) return;
  if (direction != DIRECTION_VERTICAL && direction != DIRECTION_HORIZONTAL && direction != DIRECTION_BOTH) return;
  std::vector<uint8_t> scratch(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = alpha + static_cast<ptrdiff_t>(y) * stride;
    uint8_t* out = scratch.data() + static_cast<ptrdiff_t>(y) * width;
    if (direction & DIRECTION_HORIZONTAL)
      FeatherLine(row, width, out, amount);
    else
      std::memcpy(out, row, width);
  }
  if (direction & DIRECTION_VERTICAL) {
    // FeatherLine down every column at once, row by row.
    const int n = amount;
    auto in = [&](int64_t y) { return scratch.data() + static_cast<ptrdiff_t>(y) * width; };
    std::vector<int64_t> lead(static_cast<size_t>(width), 0), trail(static_cast<size_t>(width));
    for (int64_t y = 0; y < n && y < height; ++y)
      for (int32_t x = 0; x < width; ++x) lead[x] += in(y)[x];
    for (int32_t x = 0; x < width; ++x) trail[x] = in(0)[x] / n;
    for (int32_t y = 0; y < height; ++y) {
      uint8_t* out = alpha + static_cast<ptrdiff_t>(y) * stride;
      const uint8_t* leaving = in(y);
      const uint8_t* entering = static_cast<int64_t>(y) + n < height ? in(static_cast<int64_t>(y) + n) : nullptr;
      const uint8_t* next = y + 1 < height ? in(y + 1) : nullptr;
      const uint8_t* dropped = static_cast<int64_t>(y) + 1 - n > 0 ? in(static_cast<int64_t>(y) + 1 - n) : nullptr;
      for (int32_t x = 0; x < width; ++x) {
        out[x] = static_cast<uint8_t>(std::min(trail[x], lead[x]) / n);
        lead[x] += (entering ? entering[x] : 0) - leaving[x];
        if (next) trail[x] += next[x] - (dropped ? dropped[x] : 0);
      }
    }
  } else {
    for (int32_t y = 0; y < height; ++y)
      std::memcpy(alpha + static_cast<ptrdiff_t>(y) * stride, scratch.data() + static_cast<ptrdiff_t>(y) * width, width);
  }
}

bool FeatherImage(CRasterImage& image, int amount, int direction) {
  if (image.IsEmpty() || image.GetBitsPerPixel() != 24 || amount < 1) return false;
  if (direction != DIRECTION_VERTICAL && direction != DIRECTION_HORIZONTAL && direction != DIRECTION_BOTH) return false;
  try {
    if (!image.HasValidMask() || image.GetMaskBitsPerPixel() != 8) {
      if (!image.CreateMask()) return false;
      uint8_t* mask = image.GetWritableMaskBits();
      std::memset(mask, 255, static_cast<size_t>(image.GetMaskStride()) * image.GetHeight());
    }
    FeatherMask(image.GetWritableMaskBits(), image.GetWidth(), image.GetHeight(), image.GetMaskStride(), amount,
                direction);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void Emboss(double azimuth, double elevation, int depth, const uint8_t* source, uint8_t* target,
            int32_t sourceStride, int32_t targetStride, int32_t width, int32_t height, int channels) {
  constexpr double kDegree = 0.01745327777777778;
  if (!std::isfinite(azimuth)) azimuth = 0.0;
  if (!std::isfinite(elevation)) elevation = 0.0;
  const double a = azimuth * kDegree, e = elevation * kDegree;
  const int64_t lx = static_cast<int64_t>(std::cos(e) * std::cos(a) * 255.9);
  const int64_t ly = static_cast<int64_t>(std::cos(e) * std::sin(a) * 255.9);
  const int64_t lz = static_cast<int64_t>(std::sin(e) * 255.9);
  const int64_t nz = depth == 0 ? 3060 : 1530 / depth;
  // A light from below the surface would give a negative flat shade.
  const uint8_t flat = Clamp255(lz);
  const int32_t rowBytes = width * channels;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = target + static_cast<ptrdiff_t>(y) * targetStride;
    if (y == 0 || y == height - 1 || width < 3) {
      std::memset(out, flat, rowBytes);
      continue;
    }
    const uint8_t* above = source + static_cast<ptrdiff_t>(y - 1) * sourceStride;
    const uint8_t* row = above + sourceStride;
    const uint8_t* below = row + sourceStride;
    std::memset(out, flat, channels);
    std::memset(out + rowBytes - channels, flat, channels);
    for (int32_t x = 1; x < width - 1; ++x) {
      for (int c = 0; c < channels; ++c) {
        const int32_t l = (x - 1) * channels + c, m = x * channels + c, r = (x + 1) * channels + c;
        const int64_t nx = (above[l] + row[l] + below[l]) - (above[r] + row[r] + below[r]);
        const int64_t ny = (below[l] + below[m] + below[r]) - (above[l] + above[m] + above[r]);
        uint8_t shade = flat;
        if (nx != 0 || ny != 0) {
          const int64_t dot = nx * lx + ny * ly + nz * lz;
          shade = dot < 0 ? 0
                          : Clamp255(static_cast<int64_t>(static_cast<double>(dot) /
                                                          std::sqrt(static_cast<double>(nx * nx + ny * ny + nz * nz))));
        }
        out[m] = shade;
      }
    }
  }
}

bool EmbossImage(CRasterImage& image, double azimuth, double elevation, int depth) {
  if (!IsFilterable(image)) return false;
  try {
    const CRasterImage copy = image;  // shares the pixels; the write below copies them
    uint8_t* bits = image.GetWritableBits();
    if (!bits) return false;
    Emboss(azimuth, elevation, depth, copy.GetBits(), bits, copy.GetStride(), image.GetStride(), image.GetWidth(),
           image.GetHeight(), image.GetBitsPerPixel() == 24 ? 3 : 1);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void BlendImages(const CRasterImage& source, CRasterImage& target, int percent) {
  if (source.IsEmpty() || target.IsEmpty()) return;
  if (source.GetWidth() != target.GetWidth() || source.GetHeight() != target.GetHeight()) return;
  const bool bothRgb = source.GetBitsPerPixel() == 24 && target.GetBitsPerPixel() == 24;
  const bool bothGray = source.IsGrayscale() && target.IsGrayscale();
  if (!bothRgb && !bothGray) return;
  if (percent <= 0) return;
  if (percent >= 100) {
    target = source;
    return;
  }
  uint8_t* bits = target.GetWritableBits();
  if (!bits) return;
  const int32_t rowBytes = bothRgb ? source.GetWidth() * 3 : source.GetWidth();
  const int keep = 100 - percent;
  for (int32_t y = 0; y < source.GetHeight(); ++y) {
    const uint8_t* in = source.GetRow(y);
    uint8_t* out = bits + static_cast<ptrdiff_t>(y) * target.GetStride();
    for (int32_t x = 0; x < rowBytes; ++x) out[x] = static_cast<uint8_t>((in[x] * percent + out[x] * keep) / 100);
  }
}
