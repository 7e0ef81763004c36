#include "imaging/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/ImageGeometry.h"
#include "imaging/LayerStack.h"
#include "imaging/ColorConversion.h"
#include "imaging/PixelAccess.h"

namespace {

// ---- kernels --------------------------------------------------------------

double HermiteKernel(double x) {
  const double a = std::fabs(x);
  return a < 1.0 ? (2.0 * a - 3.0) * a * a + 1.0 : 0.0;
}

double BoxKernel(double x) { return (x > -0.5 && x <= 0.5) ? 1.0 : 0.0; }

double TriangleKernel(double x) {
  const double a = std::fabs(x);
  return a < 1.0 ? 1.0 - a : 0.0;
}

double BellKernel(double x) {
  const double a = std::fabs(x);
  if (a < 0.5) return 0.75 - a * a;
  if (a < 1.5) return 0.5 * (a - 1.5) * (a - 1.5);
  return 0.0;
}

double BSplineKernel(double x) {
  const double a = std::fabs(x);
  if (a < 1.0) return a * a * a / 2.0 - a * a + 2.0 / 3.0;
  if (a < 2.0) {
    const double t = 2.0 - a;
    return t * t * t / 6.0;
  }
  return 0.0;
}

double Sinc(double t) {
  if (t == 0.0) return 1.0;
  t *= 3.141592;  // the kernel's own constant, not full-precision pi
  return std::sin(t) / t;
}

double Lanczos3Kernel(double x) {
  const double a = std::fabs(x);
  return a < 3.0 ? Sinc(x) * Sinc(x / 3.0) : 0.0;
}

double MitchellKernel(double x) {
  const double a = std::fabs(x);
  if (a < 1.0) return (7.0 * a * a * a - 12.0 * a * a + 16.0 / 3.0) / 6.0;
  if (a < 2.0) return (-(7.0 / 3.0) * a * a * a + 12.0 * a * a - 20.0 * a + 32.0 / 3.0) / 6.0;
  return 0.0;
}

// ---- contribution lists ---------------------------------------------------

// For each target index the source indices and their weights, normalised to
// a sum of 1 (a target whose raw weights sum to 0 gets no entries: it
// becomes 0, as a zero denominator does).
struct ContribList {
  std::vector<int32_t> start;  // target i uses entries start[i] .. start[i + 1] - 1
  std::vector<int32_t> index;
  std::vector<float> weight;
};

void BuildContribs(int32_t sourceSize, int32_t targetSize, RESAMPLEKERNEL kernel, double support,
                   ContribList& list) {
  if (sourceSize == targetSize) {
    // An axis that keeps its size is copied as it is, whatever the kernel:
    // resizing to the same size must not blur.
    list.start.resize(static_cast<size_t>(targetSize) + 1);
    list.index.resize(static_cast<size_t>(targetSize));
    list.weight.assign(static_cast<size_t>(targetSize), 1.0f);
    for (int32_t i = 0; i <= targetSize; ++i) list.start[i] = i;
    for (int32_t i = 0; i < targetSize; ++i) list.index[i] = i;
    return;
  }
  const double scale = static_cast<double>(targetSize) / sourceSize;
  const double halfWidth = scale < 1.0 ? support / scale : support;
  const double kernelScale = scale < 1.0 ? scale : 1.0;
  // With an even kernel the second half of the targets mirrors the first:
  // their lists are the partners' lists mirrored, tap for tap in the same
  // order, so that a picture and its mirror image give bit-identical sums.
  // (The box kernel is not even at +-0.5, where it breaks ties.)
  bool even = true;
  for (int k = 0; k <= 32 && even; ++k) {
    const double x = support * k / 32;
    even = kernel(x) == kernel(-x);
  }
  const int32_t computed = even ? (targetSize + 1) / 2 : targetSize;
  list.start.assign(static_cast<size_t>(targetSize) + 1, 0);
  list.index.clear();
  list.weight.clear();
  std::vector<double> raw;
  std::vector<int32_t> rawIndex;
  for (int32_t i = 0; i < computed; ++i) {
    // Pixel centres map onto pixel centres: target i covers [i, i + 1) of
    // the target axis, whose middle lies at (i + 0.5) / scale in the source,
    // i.e. at source index (i + 0.5) / scale - 0.5.
    const double centre = (i + 0.5) / scale - 0.5;
    const double low = centre - halfWidth;
    const int64_t left = static_cast<int64_t>(low >= 0 ? std::ceil(low) : std::floor(low));
    const int64_t right = static_cast<int64_t>(centre + halfWidth);
    raw.clear();
    rawIndex.clear();
    double total = 0.0;
    for (int64_t j = left; j <= right; ++j) {
      // The kernel at the tap's offset from the centre (j - c: for the box
      // kernel a tap exactly half-way goes to the higher index).
      const double w = kernelScale * kernel(kernelScale * (static_cast<double>(j) - centre));
      if (w == 0.0) continue;
      // Taps outside the source mirror about its outer edges (-0.5 and
      // size - 0.5), the same on both sides.
      int64_t n = j;
      if (n < 0) n = -n - 1;
      if (n >= sourceSize) n = 2 * static_cast<int64_t>(sourceSize) - n - 1;
      // A kernel wider than a tiny source can still point outside it after
      // mirroring: such taps read the nearest edge pixel.
      n = std::clamp<int64_t>(n, 0, sourceSize - 1);
      raw.push_back(w);
      rawIndex.push_back(static_cast<int32_t>(n));
      total += w;
    }
    if (total != 0.0) {
      for (size_t k = 0; k < raw.size(); ++k) {
        list.index.push_back(rawIndex[k]);
        list.weight.push_back(static_cast<float>(raw[k] / total));
      }
    }
    list.start[static_cast<size_t>(i) + 1] = static_cast<int32_t>(list.index.size());
  }
  for (int32_t i = computed; i < targetSize; ++i) {
    const int32_t partner = targetSize - 1 - i;
    for (int32_t k = list.start[partner]; k < list.start[partner + 1]; ++k) {
      list.index.push_back(sourceSize - 1 - list.index[k]);
      list.weight.push_back(list.weight[k]);
    }
    list.start[static_cast<size_t>(i) + 1] = static_cast<int32_t>(list.index.size());
  }
}

// Weighted sums are truncated; a tiny allowance keeps floating-point noise
// from turning an exact value v into v - 1 (a flat area stays flat).
constexpr float kTruncateSlack = 1.0f / 512.0f;

inline uint8_t ToByte(float v) {
  if (!(v > 0.0f)) return 0;
  v += kTruncateSlack;
  if (v >= 255.0f) return 255;
  return static_cast<uint8_t>(static_cast<int>(v));
}

// ---- the two passes -------------------------------------------------------

template <int C>
void HorizontalRow(const uint8_t* source, int32_t sourceWidth, uint8_t* target, int32_t targetWidth,
                   const ContribList& list, float* scratch) {
  for (int32_t x = 0; x < sourceWidth * C; ++x) scratch[x] = source[x];
  const int32_t* start = list.start.data();
  const int32_t* index = list.index.data();
  const float* weight = list.weight.data();
  for (int32_t i = 0; i < targetWidth; ++i) {
    float acc[C] = {};
    for (int32_t k = start[i]; k < start[i + 1]; ++k) {
      const float w = weight[k];
      const float* p = scratch + static_cast<ptrdiff_t>(index[k]) * C;
      for (int c = 0; c < C; ++c) acc[c] += w * p[c];
    }
    for (int c = 0; c < C; ++c) target[i * C + c] = ToByte(acc[c]);
  }
}

#if defined(__SSE2__)
// Three channels held as four floats per pixel, so that one tap is one vector
// multiply and add. The arithmetic is the scalar one, lane by lane.
template <>
void HorizontalRow<3>(const uint8_t* source, int32_t sourceWidth, uint8_t* target, int32_t targetWidth,
                      const ContribList& list, float* scratch) {
  const __m128i zero = _mm_setzero_si128();
  for (int32_t x = 0; x < sourceWidth; ++x) {
    const uint8_t* p = source + 3 * x;
    const __m128i v = _mm_cvtsi32_si128(p[0] | (p[1] << 8) | (p[2] << 16));
    _mm_storeu_ps(scratch + 4 * x, _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(v, zero), zero)));
  }
  const int32_t* start = list.start.data();
  const int32_t* index = list.index.data();
  const float* weight = list.weight.data();
  const __m128 low = _mm_setzero_ps(), high = _mm_set1_ps(255.0f), slack = _mm_set1_ps(kTruncateSlack);
  for (int32_t i = 0; i < targetWidth; ++i) {
    __m128 sum = _mm_setzero_ps();
    for (int32_t k = start[i]; k < start[i + 1]; ++k)
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(weight[k]), _mm_loadu_ps(scratch + 4 * static_cast<ptrdiff_t>(index[k]))));
    // ToByte on the four lanes at once.
    const __m128i n = _mm_cvttps_epi32(_mm_min_ps(_mm_add_ps(_mm_max_ps(sum, low), slack), high));
    const __m128i b = _mm_packus_epi16(_mm_packs_epi32(n, n), zero);
    const uint32_t rgb = static_cast<uint32_t>(_mm_cvtsi128_si32(b));
    target[3 * i] = static_cast<uint8_t>(rgb);
    target[3 * i + 1] = static_cast<uint8_t>(rgb >> 8);
    target[3 * i + 2] = static_cast<uint8_t>(rgb >> 16);
  }
}
#endif

// The masked rows divide by sums of weight * alpha that can be small, so
// they accumulate in double precision.
inline uint8_t ToByte(double v) {
  if (!(v > 0.0)) return 0;
  v += kTruncateSlack;
  if (v >= 255.0) return 255;
  return static_cast<uint8_t>(static_cast<int>(v));
}

template <int C>
void HorizontalRowMasked(const uint8_t* source, const uint8_t* mask, int32_t sourceWidth, uint8_t* target,
                         uint8_t* targetMask, int32_t targetWidth, const ContribList& list) {
  const int32_t* start = list.start.data();
  const int32_t* index = list.index.data();
  const float* weight = list.weight.data();
  for (int32_t i = 0; i < targetWidth; ++i) {
    double alpha = 0.0;
    double acc[C] = {};
    for (int32_t k = start[i]; k < start[i + 1]; ++k) {
      const int32_t n = index[k];
      const double wm = static_cast<double>(weight[k]) * mask[n];
      alpha += wm;
      for (int c = 0; c < C; ++c) acc[c] += wm * source[n * C + c];
    }
    targetMask[i] = ToByte(alpha);
    for (int c = 0; c < C; ++c) target[i * C + c] = alpha != 0.0 ? ToByte(acc[c] / alpha) : 0;
  }
}

// One target row of the second pass: the weighted sum of taps source rows,
// each sample truncated to a byte as ToByte does.
void VerticalRow(const uint8_t* const* rows, const float* weights, int32_t taps, uint8_t* out, int32_t count) {
  int32_t x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128 low = _mm_setzero_ps(), high = _mm_set1_ps(255.0f), slack = _mm_set1_ps(kTruncateSlack);
  for (; x + 16 <= count; x += 16) {
    __m128 a0 = _mm_setzero_ps(), a1 = a0, a2 = a0, a3 = a0;
    for (int32_t k = 0; k < taps; ++k) {
      const __m128 w = _mm_set1_ps(weights[k]);
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + x));
      const __m128i lo = _mm_unpacklo_epi8(b, zero), hi = _mm_unpackhi_epi8(b, zero);
      a0 = _mm_add_ps(a0, _mm_mul_ps(w, _mm_cvtepi32_ps(_mm_unpacklo_epi16(lo, zero))));
      a1 = _mm_add_ps(a1, _mm_mul_ps(w, _mm_cvtepi32_ps(_mm_unpackhi_epi16(lo, zero))));
      a2 = _mm_add_ps(a2, _mm_mul_ps(w, _mm_cvtepi32_ps(_mm_unpacklo_epi16(hi, zero))));
      a3 = _mm_add_ps(a3, _mm_mul_ps(w, _mm_cvtepi32_ps(_mm_unpackhi_epi16(hi, zero))));
    }
    auto toInt = [&](__m128 v) {
      return _mm_cvttps_epi32(_mm_min_ps(_mm_add_ps(_mm_max_ps(v, low), slack), high));
    };
    const __m128i p01 = _mm_packs_epi32(toInt(a0), toInt(a1));
    const __m128i p23 = _mm_packs_epi32(toInt(a2), toInt(a3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(p01, p23));
  }
#endif
  for (; x < count; ++x) {
    float acc = 0.0f;
    for (int32_t k = 0; k < taps; ++k) acc += weights[k] * static_cast<float>(rows[k][x]);
    out[x] = ToByte(acc);
  }
}

}  // namespace

RESAMPLEKERNEL GetResampleKernel(int filterType, double* support) {
  double s = 0.5;
  RESAMPLEKERNEL k = BoxKernel;
  switch (filterType) {
    case FILTER_HERMITE: k = HermiteKernel, s = 1.0; break;
    case FILTER_TRIANGLE: k = TriangleKernel, s = 1.0; break;
    case FILTER_BELL: k = BellKernel, s = 1.5; break;
    case FILTER_BSPLINE: k = BSplineKernel, s = 2.0; break;
    case FILTER_LANCZOS3: k = Lanczos3Kernel, s = 3.0; break;
    case FILTER_MITCHELL: k = MitchellKernel, s = 2.0; break;
    default: break;
  }
  if (support) *support = s;
  return k;
}

bool CreateZoomImage(ZOOM_IMAGE& image, int32_t width, int32_t height, int32_t bytesPerPixel) {
  FreeZoomImage(image);
  if (bytesPerPixel != 1 && bytesPerPixel != 3) return false;
  if (CheckImageGeometry(width, height, bytesPerPixel * 8) != IMAGEIO_OK) return false;
  try {
    image.storage.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * bytesPerPixel, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  image.width = width;
  image.height = height;
  image.bytesPerPixel = bytesPerPixel;
  image.stride = width * bytesPerPixel;
  image.data = image.storage.data();
  return true;
}

void FreeZoomImage(ZOOM_IMAGE& image) {
  image.storage.clear();
  image.storage.shrink_to_fit();
  image = ZOOM_IMAGE{};
}

ZOOM_IMAGE MakeZoomView(uint8_t* bits, int32_t width, int32_t height, int32_t bytesPerPixel) {
  ZOOM_IMAGE view;
  view.width = width;
  view.height = height;
  view.bytesPerPixel = bytesPerPixel;
  view.data = bits;
  view.stride = width * bytesPerPixel;
  return view;
}

bool ZoomImage(ZOOM_IMAGE& target, const ZOOM_IMAGE& source, ZOOM_IMAGE* targetMask, const ZOOM_IMAGE* sourceMask,
               RESAMPLEKERNEL kernel, double support, CANCELPROC cancel, PROGRESSPROC progress) {
  const int32_t channels = source.bytesPerPixel;
  const bool masked = targetMask && sourceMask && targetMask->data && sourceMask->data;
  const int32_t srcW = source.width, srcH = source.height;
  const int32_t dstW = target.width, dstH = target.height;
  const int total = srcH + dstW;
  if ((channels != 1 && channels != 3) || target.bytesPerPixel != channels || srcW <= 0 || srcH <= 0 ||
      dstW <= 0 || dstH <= 0 || !source.data || !target.data)
    return false;

  // The horizontal pass fills rows of target width on demand into a ring that
  // holds just the source rows one target row needs (a few for enlarging,
  // about 2 * support / scale for shrinking), so that the cost grows with
  // the pixels and no plane of target width x source height is ever touched.
  ContribList hList, vList;
  BuildContribs(srcW, dstW, kernel, support, hList);
  BuildContribs(srcH, dstH, kernel, support, vList);
  int32_t ringRows = 1;
  {
    int32_t reach = -1;  // the highest source row needed so far
    for (int32_t y = 0; y < dstH; ++y) {
      const int32_t first = vList.start[y], last = vList.start[y + 1];
      if (first == last) continue;
      const auto [lo, hi] = std::minmax_element(vList.index.begin() + first, vList.index.begin() + last);
      reach = std::max(reach, *hi);
      ringRows = std::max(ringRows, reach - *lo + 1);
    }
    ringRows = std::min(ringRows, srcH);
  }
  const int32_t rowSamples = dstW * channels;
  const size_t ringBytes = static_cast<size_t>(ringRows) * static_cast<size_t>(rowSamples);
  std::unique_ptr<uint8_t[]> ring(new uint8_t[ringBytes]);
  std::unique_ptr<uint8_t[]> ringMask(masked ? new uint8_t[static_cast<size_t>(ringRows) * dstW] : nullptr);
  std::vector<float> scratch(static_cast<size_t>(std::max(srcW, dstW)) * 4);
  auto ringRow = [&](int32_t r) { return ring.get() + static_cast<size_t>(r % ringRows) * rowSamples; };
  auto ringMaskRow = [&](int32_t r) { return ringMask.get() + static_cast<size_t>(r % ringRows) * dstW; };

  int32_t rowsDone = 0;  // source rows through the horizontal pass
  int lastReported = 0;
  auto report = [&](int done) {
    if (progress && (done / 4 != lastReported / 4 || done == total)) progress(done, total);
    lastReported = done;
  };
  auto horizontalUpTo = [&](int32_t hi) {
    for (; rowsDone <= hi; ++rowsDone) {
      const int32_t y = rowsDone;
      const uint8_t* in = source.data + static_cast<ptrdiff_t>(y) * source.stride;
      uint8_t* out = ringRow(y);
      if (masked) {
        const uint8_t* m = sourceMask->data + static_cast<ptrdiff_t>(y) * sourceMask->stride;
        if (channels == 3)
          HorizontalRowMasked<3>(in, m, srcW, out, ringMaskRow(y), dstW, hList);
        else
          HorizontalRowMasked<1>(in, m, srcW, out, ringMaskRow(y), dstW, hList);
      } else if (channels == 3) {
        HorizontalRow<3>(in, srcW, out, dstW, hList, scratch.data());
      } else {
        HorizontalRow<1>(in, srcW, out, dstW, hList, scratch.data());
      }
      if (cancel && cancel()) return false;
    }
    return true;
  };

  // Target row by target row: the rows it needs through the first pass, then
  // the weighted sum down the columns (the same values as a column walk).
  std::vector<const uint8_t*> rowPointers;
  std::vector<double> accMask(masked ? static_cast<size_t>(dstW) : 0);
  std::vector<double> accMasked(masked ? static_cast<size_t>(rowSamples) : 0);
  for (int32_t y = 0; y < dstH; ++y) {
    const int32_t first = vList.start[y], taps = vList.start[y + 1] - first;
    if (taps > 0) {
      const int32_t hi = *std::max_element(vList.index.begin() + first, vList.index.begin() + first + taps);
      if (!horizontalUpTo(hi)) return false;
    }
    uint8_t* out = target.data + static_cast<ptrdiff_t>(y) * target.stride;
    if (!masked) {
      rowPointers.resize(static_cast<size_t>(taps));
      for (int32_t k = 0; k < taps; ++k) rowPointers[k] = ringRow(vList.index[first + k]);
      VerticalRow(rowPointers.data(), vList.weight.data() + first, taps, out, rowSamples);
    } else {
      std::fill(accMask.begin(), accMask.end(), 0.0);
      std::fill(accMasked.begin(), accMasked.end(), 0.0);
      for (int32_t k = first; k < first + taps; ++k) {
        const uint8_t* row = ringRow(vList.index[k]);
        const uint8_t* m = ringMaskRow(vList.index[k]);
        const double w = vList.weight[k];
        for (int32_t x = 0; x < dstW; ++x) {
          const double wm = w * m[x];
          accMask[x] += wm;
          for (int32_t c = 0; c < channels; ++c) accMasked[x * channels + c] += wm * row[x * channels + c];
        }
      }
      uint8_t* mo = targetMask->data + static_cast<ptrdiff_t>(y) * targetMask->stride;
      for (int32_t x = 0; x < dstW; ++x) {
        const double a = accMask[x];
        mo[x] = ToByte(a);
        for (int32_t c = 0; c < channels; ++c)
          out[x * channels + c] = a != 0.0 ? ToByte(accMasked[x * channels + c] / a) : 0;
      }
    }
    if (cancel && cancel()) return false;
    // Rows through the first pass plus columns done (the target width's
    // units); every source row counts as done once the last target row is.
    const int columns = static_cast<int>(static_cast<int64_t>(y + 1) * dstW / dstH);
    report(y + 1 == dstH ? total : rowsDone + columns);
  }
  return true;
}

namespace {

// ResampleImage with the reason of an empty result.
CRasterImage Resample(const CRasterImage& source, int32_t width, int32_t height, int filterType,
                      CANCELPROC cancel, PROGRESSPROC progress, int* status) {
  *status = IMAGEIO_INTERNAL_ERROR;
  if (source.IsEmpty()) return {};
  const int bpp = source.GetBitsPerPixel();
  const bool gray = bpp == 8 && source.IsGrayscale();
  if (bpp != 24 && !gray) {
    *status = IMAGEIO_BAD_COLOR_MODE;
    return {};
  }
  *status = CheckImageGeometry(width, height, bpp);
  if (*status != IMAGEIO_OK) return {};
  *status = IMAGEIO_NO_MEMORY;
  try {
    CRasterImage result;
    if (!result.Create(width, height, bpp)) return {};
    if (gray) SetGrayPalette(result);
    const int32_t channels = bpp == 24 ? 3 : 1;
    ZOOM_IMAGE src = MakeZoomView(const_cast<uint8_t*>(source.GetBits()), source.GetWidth(), source.GetHeight(),
                                  channels);
    ZOOM_IMAGE dst = MakeZoomView(result.GetWritableBits(), width, height, channels);
    double support = 0.5;
    const RESAMPLEKERNEL kernel = GetResampleKernel(filterType, &support);
    bool done = false;
    if (!source.HasValidMask()) {
      done = ZoomImage(dst, src, nullptr, nullptr, kernel, support, cancel, progress);
    } else if (channels == 3) {
      if (!result.CreateMask()) return {};
      ZOOM_IMAGE srcMask = MakeZoomView(const_cast<uint8_t*>(source.GetMaskBits()), source.GetWidth(),
                                        source.GetHeight(), 1);
      ZOOM_IMAGE dstMask = MakeZoomView(result.GetWritableMaskBits(), width, height, 1);
      done = ZoomImage(dst, src, &dstMask, &srcMask, kernel, support, cancel, progress);
    } else {
      // Gray images: the 1-bit mask as bytes 0/255 for the computation.
      ZOOM_IMAGE srcMask, dstMask;
      if (!CreateZoomImage(srcMask, source.GetWidth(), source.GetHeight(), 1) ||
          !CreateZoomImage(dstMask, width, height, 1) || !result.CreateMask())
        return {};
      for (int32_t y = 0; y < source.GetHeight(); ++y) {
        const uint8_t* m = source.GetMaskRow(y);
        uint8_t* out = srcMask.data + static_cast<ptrdiff_t>(y) * srcMask.stride;
        for (int32_t x = 0; x < source.GetWidth(); ++x) out[x] = GetPixel1(m, static_cast<int16_t>(x)) ? 255 : 0;
      }
      done = ZoomImage(dst, src, &dstMask, &srcMask, kernel, support, cancel, progress);
      if (done) {
        uint8_t* bits = result.GetWritableMaskBits();
        const int32_t stride = result.GetMaskStride();
        for (int32_t y = 0; y < height; ++y) {
          const uint8_t* in = dstMask.data + static_cast<ptrdiff_t>(y) * dstMask.stride;
          uint8_t* row = bits + static_cast<ptrdiff_t>(y) * stride;
          for (int32_t x = 0; x < width; ++x) SetPixel1(row, static_cast<int16_t>(x), in[x] != 0);
        }
      }
    }
    if (!done) {
      *status = IMAGEIO_CANCELLED;
      return {};
    }
    *status = IMAGEIO_OK;
    return result;
  } catch (const std::bad_alloc&) {
    *status = IMAGEIO_NO_MEMORY;
    return {};
  }
}

// One axis of the area average: for each target index the source indices
// and the 1/256-pixel lengths (1..256) of them that fall inside it.
struct AreaAxis {
  std::vector<int32_t> start;
  std::vector<int32_t> index;
  std::vector<uint32_t> part;
};

void BuildAreaAxis(int32_t sourceSize, int32_t targetSize, AreaAxis& axis) {
  axis.start.assign(static_cast<size_t>(targetSize) + 1, 0);
  axis.index.clear();
  axis.part.clear();
  if (targetSize >= sourceSize) {
    // Not a reduction on this axis: nearest neighbour.
    for (int32_t i = 0; i < targetSize; ++i) {
      axis.index.push_back(static_cast<int32_t>(static_cast<int64_t>(i) * sourceSize / targetSize));
      axis.part.push_back(256);
      axis.start[static_cast<size_t>(i) + 1] = static_cast<int32_t>(axis.index.size());
    }
    return;
  }
  const int64_t step = static_cast<int64_t>(sourceSize) * 256 / targetSize;  // >= 256
  const int64_t end = static_cast<int64_t>(sourceSize) * 256;
  for (int32_t i = 0; i < targetSize; ++i) {
    const int64_t lo = i * step;
    // The last target takes what is left over, so no source pixel is lost.
    const int64_t hi = i == targetSize - 1 ? end : lo + step;
    for (int64_t p = lo / 256; p * 256 < hi; ++p) {
      const int64_t a = std::max(lo, p * 256), b = std::min(hi, p * 256 + 256);
      if (b > a) {
        axis.index.push_back(static_cast<int32_t>(p));
        axis.part.push_back(static_cast<uint32_t>(b - a));
      }
    }
    axis.start[static_cast<size_t>(i) + 1] = static_cast<int32_t>(axis.index.size());
  }
}

// Area average of one plane of C (3 or 1) bytes per pixel, accumulating in Acc.
template <int C, typename Acc>
void ReducePlaneWith(const uint8_t* source, int32_t sourceStride, uint8_t* target, int32_t targetStride,
                     int32_t width, int32_t height, const AreaAxis& ax, const AreaAxis& ay) {
  std::vector<Acc> acc(static_cast<size_t>(width) * (C + 1));
  std::vector<uint32_t> columnWeight(ax.part.size());
  for (int32_t ty = 0; ty < height; ++ty) {
    std::fill(acc.begin(), acc.end(), 0);
    for (int32_t k = ay.start[ty]; k < ay.start[ty + 1]; ++k) {
      const uint8_t* row = source + static_cast<ptrdiff_t>(ay.index[k]) * sourceStride;
      const uint32_t wy = ay.part[k];
      // Weight of each source pixel of this row: (wx * wy) >> 8.
      for (size_t j = 0; j < columnWeight.size(); ++j) columnWeight[j] = (ax.part[j] * wy) >> 8;
      Acc* a = acc.data();
      const int32_t* start = ax.start.data();
      const int32_t* index = ax.index.data();
      const uint32_t* weight = columnWeight.data();
#if defined(__SSE2__)
      if constexpr (C == 3 && std::is_same_v<Acc, uint32_t>) {
        // Lanes red, green, blue and weight: one multiply-add per pixel.
        // Weights are at most 256, so they and the samples fit 16 bits.
        const __m128i zero = _mm_setzero_si128();
        for (int32_t tx = 0; tx < width; ++tx, a += 4) {
          __m128i sums = _mm_setzero_si128();
          for (int32_t j = start[tx]; j < start[tx + 1]; ++j) {
            const uint8_t* p = row + static_cast<ptrdiff_t>(index[j]) * 3;
            const __m128i px = _mm_cvtsi32_si128(p[0] | (p[1] << 8) | (p[2] << 16) | (1 << 24));
            const __m128i lanes = _mm_unpacklo_epi16(_mm_unpacklo_epi8(px, zero), zero);
            sums = _mm_add_epi32(sums, _mm_madd_epi16(lanes, _mm_set1_epi32(static_cast<int>(weight[j]))));
          }
          __m128i* target4 = reinterpret_cast<__m128i*>(a);
          _mm_storeu_si128(target4, _mm_add_epi32(_mm_loadu_si128(target4), sums));
        }
        continue;
      }
#endif
      for (int32_t tx = 0; tx < width; ++tx, a += C + 1) {
        // Sums in locals, so that they stay in registers.
        Acc s0 = 0, s1 = 0, s2 = 0, sw = 0;
        for (int32_t j = start[tx]; j < start[tx + 1]; ++j) {
          const Acc w = weight[j];
          const uint8_t* p = row + static_cast<ptrdiff_t>(index[j]) * C;
          s0 += w * p[0];
          if constexpr (C == 3) {
            s1 += w * p[1];
            s2 += w * p[2];
          }
          sw += w;
        }
        a[0] += s0;
        if constexpr (C == 3) {
          a[1] += s1;
          a[2] += s2;
        }
        a[C] += sw;
      }
    }
    uint8_t* out = target + static_cast<ptrdiff_t>(ty) * targetStride;
    const Acc* a = acc.data();
    for (int32_t tx = 0; tx < width; ++tx, a += C + 1)
      for (int c = 0; c < C; ++c)
        out[tx * C + c] = a[C] ? static_cast<uint8_t>(std::min<Acc>(a[c] / a[C], 255)) : 0;
  }
}

// Largest number of source pixels one target takes along an axis.
int64_t MaxSpan(const AreaAxis& axis) {
  int64_t span = 0;
  for (size_t i = 0; i + 1 < axis.start.size(); ++i) span = std::max<int64_t>(span, axis.start[i + 1] - axis.start[i]);
  return span;
}

template <int C>
void ReducePlane(const uint8_t* source, int32_t sourceStride, uint8_t* target, int32_t targetStride,
                 int32_t width, int32_t height, const AreaAxis& ax, const AreaAxis& ay) {
  // 32-bit sums suffice unless a target gathers very many source pixels.
  const int64_t bound = MaxSpan(ax) * 256 * MaxSpan(ay) * 255;
  if (bound < (int64_t{1} << 32))
    ReducePlaneWith<C, uint32_t>(source, sourceStride, target, targetStride, width, height, ax, ay);
  else
    ReducePlaneWith<C, uint64_t>(source, sourceStride, target, targetStride, width, height, ax, ay);
}

}  // namespace

CRasterImage ResampleImage(const CRasterImage& source, int32_t width, int32_t height, int filterType,
                           CANCELPROC cancel, PROGRESSPROC progress) {
  int status;
  return Resample(source, width, height, filterType, cancel, progress, &status);
}

CRasterImage ResizeNearest(const CRasterImage& source, int32_t width, int32_t height) {
  if (source.IsEmpty()) return {};
  const int bpp = source.GetBitsPerPixel();
  if (CheckImageGeometry(width, height, bpp) != IMAGEIO_OK) return {};
  try {
    CRasterImage result;
    if (!result.Create(width, height, bpp)) return {};
    if (bpp != 24) result.m_palette = source.m_palette;
    const int32_t sw = source.GetWidth(), sh = source.GetHeight();
    std::vector<int32_t> columns(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x) columns[x] = static_cast<int32_t>(static_cast<int64_t>(x) * sw / width);
    const bool masked = source.HasValidMask();
    if (masked && !result.CreateMask()) return {};
    uint8_t* bits = result.GetWritableBits();
    uint8_t* maskBits = masked ? result.GetWritableMaskBits() : nullptr;
    for (int32_t y = 0; y < height; ++y) {
      const int32_t sy = static_cast<int32_t>(static_cast<int64_t>(y) * sh / height);
      const uint8_t* in = source.GetRow(sy);
      uint8_t* out = bits + static_cast<ptrdiff_t>(y) * result.GetStride();
      if (bpp == 24) {
        for (int32_t x = 0; x < width; ++x) std::memcpy(out + 3 * x, in + 3 * columns[x], 3);
      } else if (bpp == 8) {
        for (int32_t x = 0; x < width; ++x) out[x] = in[columns[x]];
      } else {
        const PIXELGETPROC get = GetPixelGetter(bpp);
        const PIXELSETPROC set = GetPixelSetter(bpp);
        for (int32_t x = 0; x < width; ++x)
          set(out, static_cast<int16_t>(x), get(in, static_cast<int16_t>(columns[x])));
      }
      if (masked) {
        const uint8_t* m = source.GetMaskRow(sy);
        uint8_t* mo = maskBits + static_cast<ptrdiff_t>(y) * result.GetMaskStride();
        if (bpp == 24) {
          for (int32_t x = 0; x < width; ++x) mo[x] = m[columns[x]];
        } else {
          for (int32_t x = 0; x < width; ++x)
            SetPixel1(mo, static_cast<int16_t>(x), GetPixel1(m, static_cast<int16_t>(columns[x])));
        }
      }
    }
    return result;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

CRasterImage ReduceImage(const CRasterImage& source, int32_t width, int32_t height) {
  if (source.IsEmpty()) return {};
  if (CheckImageGeometry(width, height, 24) != IMAGEIO_OK) return {};
  try {
    const CRasterImage rgb = source.GetBitsPerPixel() == 24 ? source : ConvertTo24Bit(source);
    if (rgb.IsEmpty()) return {};
    CRasterImage result;
    if (!result.Create(width, height, 24)) return {};
    AreaAxis ax, ay;
    BuildAreaAxis(rgb.GetWidth(), width, ax);
    BuildAreaAxis(rgb.GetHeight(), height, ay);
    ReducePlane<3>(rgb.GetBits(), rgb.GetStride(), result.GetWritableBits(), result.GetStride(), width, height, ax,
                   ay);
    if (rgb.HasValidMask()) {
      if (!result.CreateMask()) return {};
      ReducePlane<1>(rgb.GetMaskBits(), rgb.GetMaskStride(), result.GetWritableMaskBits(), result.GetMaskStride(),
                     width, height, ax, ay);
    }
    return result;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

namespace {

int16_t ScalePosition(int32_t newSize, int32_t position, int32_t oldSize) {
  const int64_t v = static_cast<int64_t>(newSize) * position / oldSize;
  return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

int32_t ScaleSide(int32_t newSize, int32_t size, int32_t oldSize) {
  const int64_t v = static_cast<int64_t>(newSize) * size / oldSize;
  return static_cast<int32_t>(std::clamp<int64_t>(v, 1, INT32_MAX));
}

// Scales every frame into new images first and stores them only when all
// succeeded, so a failure or a cancel leaves the frames untouched.
template <typename ScaleOne>
int ScaleAllFrames(CAnimFrame* frames, int count, int32_t oldWidth, int32_t oldHeight, int32_t newWidth,
                   int32_t newHeight, ScaleOne scaleOne) {
  try {
    std::vector<CRasterImage> scaled(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      const CRasterImage& image = frames[i].m_image;
      if (image.IsEmpty()) continue;
      const int32_t w = ScaleSide(newWidth, image.GetWidth(), oldWidth);
      const int32_t h = ScaleSide(newHeight, image.GetHeight(), oldHeight);
      int status = IMAGEIO_OK;
      scaled[i] = scaleOne(image, w, h, &status);
      if (scaled[i].IsEmpty()) return status == IMAGEIO_CANCELLED ? IMAGEIO_CANCELLED : IMAGEIO_NO_MEMORY;
    }
    for (int i = 0; i < count; ++i) {
      if (scaled[i].IsEmpty()) continue;
      frames[i].m_image = std::move(scaled[i]);
      frames[i].m_nLeft = ScalePosition(newWidth, frames[i].m_nLeft, oldWidth);
      frames[i].m_nTop = ScalePosition(newHeight, frames[i].m_nTop, oldHeight);
    }
    return IMAGEIO_OK;
  } catch (const std::bad_alloc&) {
    return IMAGEIO_NO_MEMORY;
  }
}

}  // namespace

int ScaleFrames(CAnimFrame* frames, int count, int32_t oldWidth, int32_t oldHeight, int32_t newWidth,
                int32_t newHeight, int filter, CANCELPROC cancel, PROGRESSPROC progress) {
  if (!frames || count <= 0) return IMAGEIO_INTERNAL_ERROR;
  if (newWidth == oldWidth && newHeight == oldHeight) return IMAGEIO_OK;
  if (newWidth <= 0 || newHeight <= 0 || oldWidth <= 0 || oldHeight <= 0) return IMAGEIO_INTERNAL_ERROR;
  return ScaleAllFrames(frames, count, oldWidth, oldHeight, newWidth, newHeight,
                        [&](const CRasterImage& image, int32_t w, int32_t h, int* status) {
                          const bool filtered = filter != 0 && (image.GetBitsPerPixel() == 24 || image.IsGrayscale());
                          if (filtered) return Resample(image, w, h, filter + 1, cancel, progress, status);
                          *status = IMAGEIO_NO_MEMORY;
                          if (cancel && cancel()) {
                            *status = IMAGEIO_CANCELLED;
                            return CRasterImage{};
                          }
                          return ResizeNearest(image, w, h);
                        });
}

int ShrinkFrames(CAnimFrame* frames, int count, int32_t oldWidth, int32_t oldHeight, int32_t newWidth,
                 int32_t newHeight) {
  if (!frames || count <= 0) return IMAGEIO_INTERNAL_ERROR;
  if (newWidth == oldWidth && newHeight == oldHeight) return IMAGEIO_OK;
  if (newWidth <= 0 || newHeight <= 0 || oldWidth <= 0 || oldHeight <= 0) return IMAGEIO_INTERNAL_ERROR;
  if (!(newWidth < oldWidth || newHeight < oldHeight)) return IMAGEIO_OK;
  return ScaleAllFrames(frames, count, oldWidth, oldHeight, newWidth, newHeight,
                        [](const CRasterImage& image, int32_t w, int32_t h, int* status) {
                          *status = IMAGEIO_NO_MEMORY;
                          return ReduceImage(image, w, h);
                        });
}

CRasterImage ReduceImageForThumbnail(const CRasterImage& image, int width, int height) {
  CRasterImage out;
  if (image.IsEmpty() || width < 1 || height < 1 || width > 32767 || height > 32767) return out;
  if (!out.Create(width, height, 24)) return out;
  const int sw = image.GetWidth(), sh = image.GetHeight();
  CImageLayer layer(image, 0, 0);
  if (!layer.Begin()) return CRasterImage();
  uint8_t* bits = out.GetWritableBits();
  // Each target pixel averages an even grid of at most 8 x 8 of the source
  // pixels it covers, so a large picture costs no more than a small one.
  constexpr int kSamples = 8;
  for (int y = 0; y < height; ++y) {
    const int64_t y0 = int64_t{y} * sh / height;
    const int64_t rows = std::max<int64_t>(1, int64_t{y + 1} * sh / height - y0);
    const int64_t ny = std::min<int64_t>(rows, kSamples);
    for (int x = 0; x < width; ++x) {
      const int64_t x0 = int64_t{x} * sw / width;
      const int64_t cols = std::max<int64_t>(1, int64_t{x + 1} * sw / width - x0);
      const int64_t nx = std::min<int64_t>(cols, kSamples);
      uint64_t r = 0, g = 0, b = 0;
      for (int64_t j = 0; j < ny; ++j)
        for (int64_t i = 0; i < nx; ++i) {
          uint8_t pa, pr, pg, pb;
          layer.GetPixel(static_cast<int32_t>(x0 + i * cols / nx), static_cast<int32_t>(y0 + j * rows / ny), pa, pr,
                         pg, pb);
          r += pr, g += pg, b += pb;
        }
      const uint64_t n = static_cast<uint64_t>(nx * ny);
      uint8_t* p = bits + int64_t{y} * out.GetStride() + 3 * x;
      p[0] = static_cast<uint8_t>(r / n);
      p[1] = static_cast<uint8_t>(g / n);
      p[2] = static_cast<uint8_t>(b / n);
    }
  }
  layer.End();
  return out;
}
