#include "imaging/ColorConversion.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/PaletteFunctions.h"
#include "imaging/PixelAccess.h"
#include "imaging/StandardPalettes.h"

const uint8_t kDitherMatrix4x4[16] = {0, 38, 10, 45, 25, 12, 35, 22, 6, 44, 3, 43, 32, 19, 28, 16};

const uint8_t kBayerMatrix8x8[64] = {
    0,   192, 48,  240, 12,  204, 60,  252,  //
    128, 64,  176, 112, 140, 76,  188, 124,  //
    32,  224, 16,  208, 44,  236, 28,  220,  //
    160, 96,  144, 80,  172, 108, 156, 92,   //
    8,   200, 56,  248, 4,   196, 52,  244,  //
    136, 72,  184, 120, 132, 68,  180, 116,  //
    40,  232, 24,  216, 36,  228, 20,  212,  //
    168, 104, 152, 88,  164, 100, 148, 84,
};

namespace {

void SetStatus(int* status, int code) {
  if (status) *status = code;
}

// Asked after every row: true (status set) when the operation is to stop.
bool RowDone(int row, int rows, int* status, CANCELPROC cancel, PROGRESSPROC progress) {
  if (cancel && cancel()) {
    SetStatus(status, IMAGEIO_CANCELLED);
    return true;
  }
  if (progress) progress(row + 1, rows);
  return false;
}

// Writes the red, green, blue bytes of row y of any image into rgb (3 bytes
// per pixel).
void ExpandRowToRgb(const CRasterImage& image, int32_t y, uint8_t* rgb) {
  const int32_t width = image.GetWidth();
  const uint8_t* row = image.GetRow(y);
  const int bpp = image.GetBitsPerPixel();
  if (bpp == 24) {
    std::memcpy(rgb, row, static_cast<size_t>(width) * 3);
    return;
  }
  const RGBQUAD* pal = image.GetPalette();
  const int entries = image.GetPaletteSize();
  for (int32_t x = 0; x < width; ++x) {
    int index;
    if (bpp == 8)
      index = row[x];
    else if (bpp == 4)
      index = GetPixel4(row, static_cast<int16_t>(x));
    else
      index = GetPixel1(row, static_cast<int16_t>(x));
    const RGBQUAD c = index < entries ? pal[index] : RGBQUAD{};
    rgb[3 * x] = c.rgbRed;
    rgb[3 * x + 1] = c.rgbGreen;
    rgb[3 * x + 2] = c.rgbBlue;
  }
}

// Non-zero when the source's mask (8-bit or 1-bit) marks (x, y) opaque.
inline int MaskValue(const uint8_t* maskRow, bool alpha, int32_t x) {
  return alpha ? maskRow[x] : GetPixel1(maskRow, static_cast<int16_t>(x));
}

// Creates the target; false with *status = IMAGEIO_NO_MEMORY on failure.
bool CreateTarget(CRasterImage& target, int32_t width, int32_t height, int bpp, int* status) {
  if (!target.Create(width, height, bpp)) {
    target.Free();
    SetStatus(status, IMAGEIO_NO_MEMORY);
    return false;
  }
  return true;
}

// Carries the source's mask over; empties the target when that fails.
CRasterImage FinishWithMask(const CRasterImage& source, CRasterImage& target, int* status, CANCELPROC cancel,
                            PROGRESSPROC progress) {
  if (!CopyMaskForConversion(source, target, status, cancel, progress)) return {};
  SetStatus(status, IMAGEIO_OK);
  return std::move(target);
}

}  // namespace

int FindNearestPaletteColor(int count, const RGBQUAD* palette, int red, int green, int blue) {
  int best = 0;
  int bestDistance = 0x7FFFFFFF;
  for (int i = 0; i < count; ++i) {
    const int dr = red - palette[i].rgbRed, dg = green - palette[i].rgbGreen, db = blue - palette[i].rgbBlue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best;
}

// ---------------------------------------------------------------------------
// Nearest-colour caches

CColorLookupTree::CColorLookupTree() = default;
CColorLookupTree::~CColorLookupTree() = default;

uint16_t CColorLookupTree::Find(int red, int green, int blue) const {
  const uint32_t key = (static_cast<uint32_t>(red) << 16) | (static_cast<uint32_t>(green) << 8) | static_cast<uint32_t>(blue);
  const uint16_t* block = m_blocks[key >> 12].get();
  if (!block) return kNotFound;
  return block[key & 0xFFF];
}

bool CColorLookupTree::Insert(int red, int green, int blue, uint16_t index) {
  const uint32_t key = (static_cast<uint32_t>(red) << 16) | (static_cast<uint32_t>(green) << 8) | static_cast<uint32_t>(blue);
  std::unique_ptr<uint16_t[]>& block = m_blocks[key >> 12];
  if (!block) {
    block.reset(new (std::nothrow) uint16_t[4096]);
    if (!block) return false;
    std::fill_n(block.get(), 4096, kNotFound);
  }
  block[key & 0xFFF] = index;
  return true;
}

CNearestColorFinder::CNearestColorFinder(int count, const RGBQUAD* palette, int cellBits)
    : m_count(std::clamp(count, 0, 256)), m_cellBits(std::clamp(cellBits, 3, 6)) {
  std::copy_n(palette, m_count, m_palette);
  m_cellStart.assign(size_t{1} << (3 * m_cellBits), -1);
  m_cellSize.assign(size_t{1} << (3 * m_cellBits), 0);
}

void CNearestColorFinder::BuildCell(int cell) {
  // The cell covers [lo, lo + side - 1] on each channel. An entry can be the
  // nearest for some colour of the cell only when its least distance to the
  // cell is at most the smallest greatest distance of any entry; every such
  // entry is kept, in index order, so ties resolve as in the full scan.
  const int bits = m_cellBits, shift = 8 - bits, mask = (1 << bits) - 1, side = 1 << shift;
  const int lo[3] = {(cell >> (2 * bits)) << shift, ((cell >> bits) & mask) << shift, (cell & mask) << shift};
  int minDist[256];
  int bestMax = 0x7FFFFFFF;
  for (int i = 0; i < m_count; ++i) {
    const int v[3] = {m_palette[i].rgbRed, m_palette[i].rgbGreen, m_palette[i].rgbBlue};
    int dmin = 0, dmax = 0;
    for (int c = 0; c < 3; ++c) {
      const int a = lo[c], b = lo[c] + side - 1;
      const int near = v[c] < a ? a - v[c] : (v[c] > b ? v[c] - b : 0);
      const int far = std::max(v[c] - a, b - v[c]);
      dmin += near * near;
      dmax += far * far;
    }
    minDist[i] = dmin;
    bestMax = std::min(bestMax, dmax);
  }
  int n = 0;
  for (int i = 0; i < m_count; ++i)
    if (minDist[i] <= bestMax) ++n;
  if (m_used + n > m_capacity) {
    const int32_t capacity = std::max(m_capacity * 2, m_used + n + 4096);
    std::unique_ptr<uint8_t[]> grown(new uint8_t[static_cast<size_t>(capacity)]);
    if (m_used) std::memcpy(grown.get(), m_candidates.get(), static_cast<size_t>(m_used));
    m_candidates = std::move(grown);
    m_capacity = capacity;
  }
  uint8_t* out = m_candidates.get() + m_used;
  for (int i = 0; i < m_count; ++i)
    if (minDist[i] <= bestMax) *out++ = static_cast<uint8_t>(i);
  m_cellStart[static_cast<size_t>(cell)] = m_used;
  m_cellSize[static_cast<size_t>(cell)] = static_cast<uint16_t>(n);
  m_used += n;
}

int CNearestColorFinder::Find(int red, int green, int blue) {
  if (m_count <= 0) return 0;
  const int bits = m_cellBits, shift = 8 - bits;
  const int cell = ((red >> shift) << (2 * bits)) | ((green >> shift) << bits) | (blue >> shift);
  if (m_cellStart[static_cast<size_t>(cell)] < 0) BuildCell(cell);
  const uint8_t* candidates = m_candidates.get() + m_cellStart[static_cast<size_t>(cell)];
  const int n = m_cellSize[static_cast<size_t>(cell)];
  int best = candidates[0];
  int bestDistance = 0x7FFFFFFF;
  for (int k = 0; k < n; ++k) {
    const RGBQUAD& e = m_palette[candidates[k]];
    const int dr = red - e.rgbRed, dg = green - e.rgbGreen, db = blue - e.rgbBlue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      best = candidates[k];
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best;
}

// ---------------------------------------------------------------------------
// Masks

bool CopyMaskForConversion(const CRasterImage& source, CRasterImage& target, int* status, CANCELPROC cancel,
                           PROGRESSPROC progress) {
  if (!source.HasValidMask() || target.IsEmpty()) return true;
  if (target.GetWidth() != source.GetWidth() || target.GetHeight() != source.GetHeight()) return true;
  if (source.GetBitsPerPixel() == 24 && target.GetBitsPerPixel() != 24)
    return AlphaToBitMask(source, target, status, cancel, progress);
  if (!target.CreateMask()) {
    target.Free();
    SetStatus(status, IMAGEIO_NO_MEMORY);
    return false;
  }
  const bool sourceAlpha = source.GetMaskBitsPerPixel() == 8;
  const bool targetAlpha = target.GetBitsPerPixel() == 24;
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  uint8_t* bits = target.GetWritableMaskBits();
  const int32_t stride = target.GetMaskStride();
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = source.GetMaskRow(y);
    uint8_t* out = bits + static_cast<int64_t>(y) * stride;
    for (int32_t x = 0; x < width; ++x) {
      const bool opaque = MaskValue(in, sourceAlpha, x) != 0;
      if (targetAlpha)
        out[x] = opaque ? 255 : 0;
      else if (opaque)
        SetPixel1(out, static_cast<int16_t>(x), 1);
    }
    if (RowDone(y, height, status, cancel, progress)) {
      target.RemoveMask();
      return false;
    }
  }
  return true;
}

bool AlphaToBitMask(const CRasterImage& source, CRasterImage& target, int* status, CANCELPROC cancel,
                    PROGRESSPROC progress) {
  if (!source.HasValidMask() || source.GetMaskBitsPerPixel() != 8) return true;
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  CRasterImage alpha;
  if (!CreateTarget(alpha, width, height, 8, status)) return false;
  SetGrayPalette(alpha);
  uint8_t* bits = alpha.GetWritableBits();
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(bits + static_cast<int64_t>(y) * alpha.GetStride(), source.GetMaskRow(y), static_cast<size_t>(width));
  const RGBQUAD blackWhite[2] = {MakeRGBQuad(0, 0, 0), MakeRGBQuad(255, 255, 255)};
  int mapStatus = IMAGEIO_OK;
  CRasterImage bitmap = MapToPalette(alpha, 2, blackWhite, true, &mapStatus, cancel, progress);
  if (bitmap.IsEmpty()) {
    target.RemoveMask();
    SetStatus(status, mapStatus == IMAGEIO_OK ? IMAGEIO_NO_MEMORY : mapStatus);
    return false;
  }
  if (!target.CreateMask()) {
    SetStatus(status, IMAGEIO_NO_MEMORY);
    return false;
  }
  uint8_t* mask = target.GetWritableMaskBits();
  const size_t rowBytes = static_cast<size_t>(std::min(target.GetMaskStride(), bitmap.GetStride()));
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(mask + static_cast<int64_t>(y) * target.GetMaskStride(), bitmap.GetRow(y), rowBytes);
  return true;
}

// ---------------------------------------------------------------------------
// Conversions

CRasterImage ConvertTo24Bit(const CRasterImage& source, int* status, CANCELPROC cancel, PROGRESSPROC progress) {
  SetStatus(status, IMAGEIO_OK);
  if (source.IsEmpty() || source.GetBitsPerPixel() == 24) return {};
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  CRasterImage target;
  if (!CreateTarget(target, width, height, 24, status)) return {};
  uint8_t* bits = target.GetWritableBits();
  for (int32_t y = 0; y < height; ++y) {
    ExpandRowToRgb(source, y, bits + static_cast<int64_t>(y) * target.GetStride());
    if (RowDone(y, height, status, cancel, progress)) return {};
  }
  return FinishWithMask(source, target, status, cancel, progress);
}

CRasterImage ConvertToGrayscale(const CRasterImage& source, int* status, CANCELPROC cancel, PROGRESSPROC progress) {
  SetStatus(status, IMAGEIO_OK);
  if (source.IsEmpty() || source.IsGrayscale()) return {};
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  CRasterImage target;
  if (!CreateTarget(target, width, height, 8, status)) return {};
  SetGrayPalette(target);
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
  uint8_t* bits = target.GetWritableBits();
  for (int32_t y = 0; y < height; ++y) {
    ExpandRowToRgb(source, y, rgb.data());
    uint8_t* out = bits + static_cast<int64_t>(y) * target.GetStride();
    for (int32_t x = 0; x < width; ++x)
      out[x] = static_cast<uint8_t>(GrayValue(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]));
    if (RowDone(y, height, status, cancel, progress)) return {};
  }
  return FinishWithMask(source, target, status, cancel, progress);
}

namespace {

// Copies the pixels of a 1- or 4-bit source into a target of at least that
// depth, index for index, and the source palette into the target's.
CRasterImage CopyIndexedInto(const CRasterImage& source, int targetBpp, int* status, CANCELPROC cancel,
                             PROGRESSPROC progress) {
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  const int sourceBpp = source.GetBitsPerPixel();
  CRasterImage target;
  if (!CreateTarget(target, width, height, targetBpp, status)) return {};
  std::copy_n(source.GetPalette(), std::min(source.GetPaletteSize(), target.GetPaletteSize()),
              target.GetWritablePalette());
  PIXELGETPROC get = GetPixelGetter(sourceBpp);
  PIXELSETPROC set = GetPixelSetter(targetBpp);
  uint8_t* bits = target.GetWritableBits();
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = source.GetRow(y);
    uint8_t* out = bits + static_cast<int64_t>(y) * target.GetStride();
    if (sourceBpp == targetBpp)
      std::memcpy(out, in, static_cast<size_t>(target.GetStride()));
    else
      for (int32_t x = 0; x < width; ++x) set(out, static_cast<int16_t>(x), get(in, static_cast<int16_t>(x)));
    if (RowDone(y, height, status, cancel, progress)) return {};
  }
  return FinishWithMask(source, target, status, cancel, progress);
}

}  // namespace

CRasterImage ConvertToCube216(const CRasterImage& source, int* status, CANCELPROC cancel, PROGRESSPROC progress) {
  SetStatus(status, IMAGEIO_OK);
  if (source.IsEmpty()) return {};
  const int bpp = source.GetBitsPerPixel();
  if (bpp == 1 || bpp == 4) return CopyIndexedInto(source, 8, status, cancel, progress);
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  CRasterImage target;
  if (!CreateTarget(target, width, height, 8, status)) return {};
  BuildCubePalette216(target.GetWritablePalette());
  // Per channel value and threshold: v / 51 + (T < v mod 51).
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
  uint8_t* bits = target.GetWritableBits();
  for (int32_t y = 0; y < height; ++y) {
    ExpandRowToRgb(source, y, rgb.data());
    uint8_t* out = bits + static_cast<int64_t>(y) * target.GetStride();
    const uint8_t* thresholds = kDitherMatrix4x4 + 4 * (y & 3);
    for (int32_t x = 0; x < width; ++x) {
      const int t = thresholds[x & 3];
      int level[3];
      for (int c = 0; c < 3; ++c) {
        const int v = rgb[3 * x + c];
        level[c] = v / 51 + (t < v % 51 ? 1 : 0);
      }
      out[x] = static_cast<uint8_t>(36 * level[0] + 6 * level[1] + level[2]);
    }
    if (RowDone(y, height, status, cancel, progress)) return {};
  }
  return FinishWithMask(source, target, status, cancel, progress);
}

CRasterImage ConvertTo8Colors(const CRasterImage& source, int* status, CANCELPROC cancel, PROGRESSPROC progress) {
  SetStatus(status, IMAGEIO_OK);
  if (source.IsEmpty()) return {};
  if (source.GetBitsPerPixel() == 1) return CopyIndexedInto(source, 4, status, cancel, progress);
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  CRasterImage target;
  if (!CreateTarget(target, width, height, 4, status)) return {};
  BuildPalette8(target.GetWritablePalette());
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
  uint8_t* bits = target.GetWritableBits();
  for (int32_t y = 0; y < height; ++y) {
    ExpandRowToRgb(source, y, rgb.data());
    uint8_t* out = bits + static_cast<int64_t>(y) * target.GetStride();
    const uint8_t* thresholds = kBayerMatrix8x8 + 8 * (y & 7);
    for (int32_t x = 0; x < width; ++x) {
      const int t = thresholds[x & 7];
      const int index = (t < rgb[3 * x] ? 4 : 0) | (t < rgb[3 * x + 1] ? 2 : 0) | (t < rgb[3 * x + 2] ? 1 : 0);
      SetPixel4(out, static_cast<int16_t>(x), index);
    }
    if (RowDone(y, height, status, cancel, progress)) return {};
  }
  return FinishWithMask(source, target, status, cancel, progress);
}

CRasterImage ReduceToPalette(const CRasterImage& source, const RGBQUAD* palette, int count, int ditherType,
                             int* status, CANCELPROC cancel, PROGRESSPROC progress) {
  if (count > 256) return {};
  if (ditherType == DITHER_ORDERED)
    return count <= 16 ? ConvertTo8Colors(source, status, cancel, progress)
                       : ConvertToCube216(source, status, cancel, progress);
  return MapToPalette(source, count, palette, ditherType == DITHER_DIFFUSION, status, cancel, progress);
}

namespace {

// Mean squared distance (summed over red, green and blue) from the pixels to
// their nearest palette entries, measured on a spread of at most ~64K pixels.
// Diffusion uses it to tell ordinary quantisation error from a spike.
double EstimatePaletteError(const CRasterImage& source, int count, const RGBQUAD* palette,
                            CNearestColorFinder* finder) {
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  const int64_t pixels = static_cast<int64_t>(width) * height;
  const int step = static_cast<int>(std::max<int64_t>(1, pixels / 65536));
  const int rowStep = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(step))));
  const int colStep = std::max(1, step / rowStep);
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
  double sum = 0;
  int64_t n = 0;
  for (int32_t y = rowStep / 2; y < height; y += rowStep) {
    ExpandRowToRgb(source, y, rgb.data());
    for (int32_t x = (y / rowStep) % colStep; x < width; x += colStep) {
      const int r = rgb[3 * x], g = rgb[3 * x + 1], b = rgb[3 * x + 2];
      const int index = finder ? finder->Find(r, g, b) : FindNearestPaletteColor(count, palette, r, g, b);
      const RGBQUAD& e = palette[index];
      const int dr = r - e.rgbRed, dg = g - e.rgbGreen, db = b - e.rgbBlue;
      sum += dr * dr + dg * dg + db * db;
      ++n;
    }
  }
  return n ? sum / static_cast<double>(n) : 0.0;
}

// Median squared distance from a palette entry to its nearest other entry
// (0 for palettes too large to measure quickly). A carried error of half that
// distance is what it takes to move a pixel to a neighbouring entry, so it
// never counts as a spike: sparse palettes (black and white, a few grays) need
// it to dither at all.
double TypicalPaletteSpacing(int count, const RGBQUAD* palette) {
  if (count < 2 || count > 256) return 0.0;
  std::vector<int> nearest(static_cast<size_t>(count), INT32_MAX);
  for (int i = 0; i < count; ++i)
    for (int j = i + 1; j < count; ++j) {
      const int dr = palette[i].rgbRed - palette[j].rgbRed, dg = palette[i].rgbGreen - palette[j].rgbGreen,
                db = palette[i].rgbBlue - palette[j].rgbBlue;
      const int d = dr * dr + dg * dg + db * db;
      if (d == 0) continue;  // repeated entries say nothing about spacing
      nearest[i] = std::min(nearest[i], d);
      nearest[j] = std::min(nearest[j], d);
    }
  std::erase(nearest, INT32_MAX);
  if (nearest.empty()) return 0.0;
  std::nth_element(nearest.begin(), nearest.begin() + nearest.size() / 2, nearest.end());
  return nearest[nearest.size() / 2];
}

}  // namespace

CRasterImage MapToPalette(const CRasterImage& source, int count, const RGBQUAD* palette, bool diffuse, int* status,
                          CANCELPROC cancel, PROGRESSPROC progress) {
  SetStatus(status, IMAGEIO_OK);
  if (count <= 0 || !palette || source.IsEmpty()) return {};
  // Indices travel as 16-bit values with 0xFFFF meaning "not cached".
  count = std::min(count, 0xFFFE);
  const int targetBpp = count <= 2 ? 1 : count <= 16 ? 4 : count <= 256 ? 8 : 24;
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  CRasterImage target;
  if (!CreateTarget(target, width, height, targetBpp, status)) return {};
  if (targetBpp != 24) std::copy_n(palette, count, target.GetWritablePalette());

  try {
    CColorLookupTree cache;
    std::unique_ptr<CNearestColorFinder> finder;
    if (count <= 256) finder = std::make_unique<CNearestColorFinder>(count, palette);
    const bool hasMask = source.HasValidMask();
    const bool alphaMask = hasMask && source.GetMaskBitsPerPixel() == 8;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
    // Two rolling rows of diffused error (red, green, blue), in sixteenths.
    std::vector<float> errors(diffuse ? static_cast<size_t>(width) * 6 : 0, 0.0f);
    float* current = diffuse ? errors.data() : nullptr;
    float* next = diffuse ? errors.data() + static_cast<size_t>(width) * 3 : nullptr;
    // Floyd-Steinberg, tempered: the carried error is applied at 15/16 so
    // small errors do not pile up into noise; carried or passed-on errors far
    // above the palette's typical error (a colour the palette lacks) are
    // damped instead of spreading as streaks of wrong colour; and a carried
    // error too small to matter is not applied. Pictures the palette holds
    // exactly see no error at all and map unchanged.
    float spike = 0.0f;
    if (diffuse)
      spike = static_cast<float>(std::max({2.4 * EstimatePaletteError(source, count, palette, finder.get()),
                                           TypicalPaletteSpacing(count, palette) / 4.0, 12.0}));
    constexpr float kCarry = 15.0f / 16.0f / 16.0f;
    // Nearest entries without diffusion for the rows around the current one:
    // where they already vary from pixel to pixel (texture, noise, edges) the
    // picture hides its quantisation error and diffusion would only add
    // noise; where they form flat patches (gradients that would band) the
    // error is diffused in full.
    std::vector<uint16_t> plain(diffuse ? static_cast<size_t>(width) * 3 : 0);
    auto nearest = [&](int r, int g, int b) {
      int index = cache.Find(r, g, b);
      if (index == CColorLookupTree::kNotFound) {
        index = finder ? finder->Find(r, g, b) : FindNearestPaletteColor(count, palette, r, g, b);
        cache.Insert(r, g, b, static_cast<uint16_t>(index));
      }
      return index;
    };
    std::vector<uint8_t> plainRgb(diffuse ? static_cast<size_t>(width) * 3 : 0);
    auto mapPlainRow = [&](int32_t row) {
      uint16_t* dst = plain.data() + static_cast<size_t>(row % 3) * width;
      ExpandRowToRgb(source, row, plainRgb.data());
      for (int32_t x = 0; x < width; ++x)
        dst[x] = static_cast<uint16_t>(nearest(plainRgb[3 * x], plainRgb[3 * x + 1], plainRgb[3 * x + 2]));
    };
    if (diffuse) {
      mapPlainRow(0);
      if (height > 1) mapPlainRow(1);
    }
    PIXELSETPROC set = targetBpp == 24 ? nullptr : GetPixelSetter(targetBpp);
    uint8_t* bits = target.GetWritableBits();

    for (int32_t y = 0; y < height; ++y) {
      ExpandRowToRgb(source, y, rgb.data());
      const uint8_t* maskRow = hasMask ? source.GetMaskRow(y) : nullptr;
      uint8_t* out = bits + static_cast<int64_t>(y) * target.GetStride();
      const uint16_t* above = nullptr, *here = nullptr, *below = nullptr;
      if (diffuse) {
        if (y + 2 < height) mapPlainRow(y + 2);  // replaces row y - 1, no longer needed after this row
        here = plain.data() + static_cast<size_t>(y % 3) * width;
        above = y > 0 ? plain.data() + static_cast<size_t>((y + 2) % 3) * width : here;
        below = y + 1 < height ? plain.data() + static_cast<size_t>((y + 1) % 3) * width : here;
      }
      for (int32_t x = 0; x < width; ++x) {
        if (maskRow && MaskValue(maskRow, alphaMask, x) == 0) continue;
        int c[3] = {rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]};
        float wanted[3] = {float(c[0]), float(c[1]), float(c[2])};
        if (diffuse) {
          // Share of the eight neighbours mapped as this pixel is, squared.
          const uint16_t centre = here[x];
          const int32_t l = x > 0 ? x - 1 : x, r = x + 1 < width ? x + 1 : x;
          const int same = (above[l] == centre) + (above[x] == centre) + (above[r] == centre) + (here[l] == centre) +
                           (here[r] == centre) + (below[l] == centre) + (below[x] == centre) + (below[r] == centre);
          const float weight = static_cast<float>(same * same) / 64.0f;
          float s[3] = {current[3 * x] * kCarry * weight, current[3 * x + 1] * kCarry * weight,
                        current[3 * x + 2] * kCarry * weight};
          const float size = s[0] * s[0] + s[1] * s[1] + s[2] * s[2];
          if (size >= 2.0f) {
            const float ratio = size > spike ? 0.8f : 1.0f;
            for (int k = 0; k < 3; ++k) {
              wanted[k] = std::clamp(wanted[k] + s[k] * ratio, 0.0f, 255.0f);
              c[k] = static_cast<int>(wanted[k] + 0.5f);
            }
          }
        }
        const int index = nearest(c[0], c[1], c[2]);
        const RGBQUAD& entry = palette[index];
        if (targetBpp == 24) {
          out[3 * x] = entry.rgbRed;
          out[3 * x + 1] = entry.rgbGreen;
          out[3 * x + 2] = entry.rgbBlue;
        } else if (targetBpp == 8) {
          out[x] = static_cast<uint8_t>(index);
        } else {
          set(out, static_cast<int16_t>(x), index);
        }
        if (!diffuse) continue;
        float e[3] = {wanted[0] - entry.rgbRed, wanted[1] - entry.rgbGreen, wanted[2] - entry.rgbBlue};
        if (e[0] * e[0] + e[1] * e[1] + e[2] * e[2] > spike)
          for (float& v : e) v *= 0.75f;
        // Shares that would fall outside the row are given to the neighbours
        // that exist.
        const bool hasRight = x + 1 < width;
        for (int k = 0; k < 3; ++k) {
          if (x == 0) {
            next[k] += 6 * e[k];
            if (hasRight) {
              current[3 + k] += 8 * e[k];
              next[3 + k] += 2 * e[k];
            }
          } else if (!hasRight) {
            next[3 * x + k] += 9 * e[k];
            next[3 * (x - 1) + k] += 7 * e[k];
          } else {
            current[3 * (x + 1) + k] += 7 * e[k];
            next[3 * (x - 1) + k] += 3 * e[k];
            next[3 * x + k] += 5 * e[k];
            next[3 * (x + 1) + k] += e[k];
          }
        }
      }
      if (diffuse) {
        std::swap(current, next);
        std::fill_n(next, static_cast<size_t>(width) * 3, 0.0f);
      }
      if (RowDone(y, height, status, cancel, progress)) return {};
    }
  } catch (const std::bad_alloc&) {
    SetStatus(status, IMAGEIO_NO_MEMORY);
    return {};
  }
  return FinishWithMask(source, target, status, cancel, progress);
}

void GetBitmapLevels(int level, int* high, int* low) {
  level = std::clamp(level, 0, 255);
  int h, l;
  if (level < 128) {
    l = 0;
    h = (255 * level) >> 7;
  } else {
    h = 255;
    l = (255 * level - 32640) / 127;
  }
  if (high) *high = h;
  if (low) *low = l;
}

CRasterImage ConvertToBitmapThreshold(const CRasterImage& source, bool fixed, int level, int* status,
                                      CANCELPROC cancel, PROGRESSPROC progress) {
  SetStatus(status, IMAGEIO_OK);
  if (source.IsEmpty() || source.GetBitsPerPixel() == 1) return {};
  const int32_t width = source.GetWidth(), height = source.GetHeight();
  CRasterImage target;
  if (!CreateTarget(target, width, height, 1, status)) return {};
  RGBQUAD* pal = target.GetWritablePalette();
  pal[0] = MakeRGBQuad(0, 0, 0);
  pal[1] = MakeRGBQuad(255, 255, 255);
  int table[64];
  if (fixed) {
    std::fill_n(table, 64, std::clamp(level, 0, 255));
  } else {
    int high, low;
    GetBitmapLevels(level, &high, &low);
    for (int i = 0; i < 64; ++i) table[i] = (kBayerMatrix8x8[i] * (high - low)) / 255 + low;
  }
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
  uint8_t* bits = target.GetWritableBits();
  for (int32_t y = 0; y < height; ++y) {
    ExpandRowToRgb(source, y, rgb.data());
    uint8_t* out = bits + static_cast<int64_t>(y) * target.GetStride();
    const int* thresholds = table + 8 * (y & 7);
    for (int32_t x = 0; x < width; ++x)
      if (thresholds[x & 7] < GrayValue(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]))
        SetPixel1(out, static_cast<int16_t>(x), 1);
    if (RowDone(y, height, status, cancel, progress)) return {};
  }
  return FinishWithMask(source, target, status, cancel, progress);
}

CRasterImage ConvertToBitmap(const CRasterImage& source, int mode, int level, int* status, CANCELPROC cancel,
                             PROGRESSPROC progress) {
  if (mode == BITMAP_ORDERED) return ConvertToBitmapThreshold(source, false, level, status, cancel, progress);
  if (mode != BITMAP_DIFFUSION) return ConvertToBitmapThreshold(source, true, level, status, cancel, progress);
  SetStatus(status, IMAGEIO_OK);
  if (source.IsEmpty()) return {};
  int high, low;
  GetBitmapLevels(level, &high, &low);
  CRasterImage gray;
  const CRasterImage* input = &source;
  if (source.GetBitsPerPixel() == 24) {
    int grayStatus = IMAGEIO_OK;
    gray = ConvertToGrayscale(source, &grayStatus, cancel, progress);
    if (gray.IsEmpty()) {
      SetStatus(status, grayStatus == IMAGEIO_OK ? IMAGEIO_NO_MEMORY : grayStatus);
      return {};
    }
    input = &gray;
  }
  const RGBQUAD levels[2] = {MakeRGBQuad(static_cast<uint8_t>(low), static_cast<uint8_t>(low), static_cast<uint8_t>(low)),
                             MakeRGBQuad(static_cast<uint8_t>(high), static_cast<uint8_t>(high), static_cast<uint8_t>(high))};
  CRasterImage result = MapToPalette(*input, 2, levels, true, status, cancel, progress);
  if (result.IsEmpty()) return {};
  RGBQUAD* pal = result.GetWritablePalette();
  pal[0] = MakeRGBQuad(0, 0, 0);
  pal[1] = MakeRGBQuad(255, 255, 255);
  return result;
}

void InvertRow(int bitsPerPixel, uint8_t* target, const uint8_t* source, int count) {
  if (!target || count <= 0) return;
  if (!source) source = target;
  if (bitsPerPixel == 1) {
    const int full = count / 8;
    for (int i = 0; i < full; ++i) target[i] = static_cast<uint8_t>(~source[i]);
    if (const int rest = count % 8) {
      const uint8_t bits = static_cast<uint8_t>(0xFF00 >> rest);
      target[full] = static_cast<uint8_t>((source[full] & ~bits) | (~source[full] & bits));
    }
  } else if (bitsPerPixel == 8 || bitsPerPixel == 24) {
    const int64_t n = static_cast<int64_t>(count) * (bitsPerPixel / 8);
    for (int64_t i = 0; i < n; ++i) target[i] = static_cast<uint8_t>(~source[i]);
  }
}

CRasterImage InvertColors(const CRasterImage& source, int* status, CANCELPROC cancel, PROGRESSPROC progress) {
  SetStatus(status, IMAGEIO_OK);
  if (source.IsEmpty()) return {};
  CRasterImage target = source;
  const int bpp = source.GetBitsPerPixel();
  if (bpp == 4 || (bpp == 8 && !source.IsGrayscale())) {
    RGBQUAD* pal = target.GetWritablePalette();
    if (!pal) {
      SetStatus(status, IMAGEIO_NO_MEMORY);
      return {};
    }
    InvertPalette(pal, nullptr, target.GetPaletteSize());
    return target;
  }
  uint8_t* bits = target.GetWritableBits();
  if (!bits) {
    SetStatus(status, IMAGEIO_NO_MEMORY);
    return {};
  }
  const int32_t height = target.GetHeight();
  for (int32_t y = 0; y < height; ++y) {
    InvertRow(bpp, bits + static_cast<int64_t>(y) * target.GetStride(), nullptr, target.GetWidth());
    if (RowDone(y, height, status, cancel, progress)) return {};
  }
  return target;
}
