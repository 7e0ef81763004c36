#include "imaging/MagicWand.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/PixelAccess.h"
#include "imaging/SelectionMask.h"

namespace {
int g_nMagicWandTolerance = 32;

struct Run {
  int32_t y, x0, x1;
};
}  // namespace

int GetMagicWandTolerance() { return g_nMagicWandTolerance; }
void SetMagicWandTolerance(int tolerance) { g_nMagicWandTolerance = tolerance; }

CMagicWand::CMagicWand(const CRasterImage& image, int tolerance, int mode)
    : m_nWidth(image.GetWidth()),
      m_nHeight(image.GetHeight()),
      m_nStride(image.GetStride()),
      m_nBitsPerPixel(image.GetBitsPerPixel()),
      m_pBits(image.GetBits()),
      m_pPalette(image.GetBitsPerPixel() == 24 ? nullptr : image.GetPalette()),
      m_pMask(image.HasValidMask() ? image.GetMaskBits() : nullptr),
      m_nMaskStride(image.HasValidMask() ? image.GetMaskStride() : 0),
      m_nMaskBits(image.GetBitsPerPixel() == 24 ? 8 : 1),
      m_nTolerance(tolerance),
      m_nMode(mode) {
  if (m_pPalette && image.GetPaletteSize() < (1 << m_nBitsPerPixel)) m_pPalette = nullptr;
}

bool CMagicWand::Matches(int32_t x, int32_t y) const {
  const uint8_t* sel = m_pSelection + static_cast<int64_t>(y) * m_nSelectionStride;
  const int bit = GetPixel1(sel, static_cast<int16_t>(x));
  if (m_nMode == 2 ? bit == 0 : bit != 0) return false;
  if (m_pMask) {
    const uint8_t* mrow = m_pMask + static_cast<int64_t>(y) * m_nMaskStride;
    if (m_nMaskBits == 8 ? mrow[x] == 0 : GetPixel1(mrow, static_cast<int16_t>(x)) == 0) return false;
  }
  const uint8_t* row = m_pBits + static_cast<int64_t>(y) * m_nStride;
  switch (m_nBitsPerPixel) {
    case 24: {
      const uint8_t* p = row + 3 * static_cast<int64_t>(x);
      return std::abs(p[0] - m_seedRed) <= m_nTolerance && std::abs(p[1] - m_seedGreen) <= m_nTolerance &&
             std::abs(p[2] - m_seedBlue) <= m_nTolerance;
    }
    case 8: return m_indexMatches[row[x]];
    case 4: return m_indexMatches[GetPixel4(row, static_cast<int16_t>(x))];
    default: return m_indexMatches[GetPixel1(row, static_cast<int16_t>(x))];
  }
}

void CMagicWand::MarkRun(int32_t y, int32_t x0, int32_t x1) {
  uint8_t* sel = m_pSelection + static_cast<int64_t>(y) * m_nSelectionStride;
  const int value = m_nMode == 2 ? 0 : 1;
  int32_t x = x0;
  for (; x <= x1 && (x & 7); ++x) SetPixel1(sel, static_cast<int16_t>(x), value);
  if (x1 - x + 1 >= 8) {
    const int32_t bytes = (x1 - x + 1) / 8;
    std::memset(sel + x / 8, value ? 0xFF : 0, static_cast<size_t>(bytes));
    x += bytes * 8;
  }
  for (; x <= x1; ++x) SetPixel1(sel, static_cast<int16_t>(x), value);
}

void CMagicWand::Fill(CRasterImage& selection, int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight || !m_pBits) return;
  m_pSelection = selection.GetWritableBits();
  m_nSelectionStride = selection.GetStride();

  // Seed colour.
  const uint8_t* row = m_pBits + static_cast<int64_t>(y) * m_nStride;
  if (m_nBitsPerPixel == 24) {
    m_seedRed = row[3 * x];
    m_seedGreen = row[3 * x + 1];
    m_seedBlue = row[3 * x + 2];
  } else {
    const int index = GetPixelGetter(m_nBitsPerPixel)(row, static_cast<int16_t>(x));
    if (m_pPalette) {
      m_seedRed = m_pPalette[index].rgbRed;
      m_seedGreen = m_pPalette[index].rgbGreen;
      m_seedBlue = m_pPalette[index].rgbBlue;
    }
    const int entries = 1 << m_nBitsPerPixel;
    for (int i = 0; i < entries; ++i) {
      const RGBQUAD q = m_pPalette ? m_pPalette[i] : RGBQUAD{};
      m_indexMatches[i] = std::abs(q.rgbRed - m_seedRed) <= m_nTolerance &&
                          std::abs(q.rgbGreen - m_seedGreen) <= m_nTolerance &&
                          std::abs(q.rgbBlue - m_seedBlue) <= m_nTolerance;
    }
  }

  // The first run: the seed extended over matching pixels, or the seed alone
  // when it is already in the wanted state.
  int32_t x0 = x, x1 = x;
  if (Matches(x, y)) {
    while (x0 > 0 && Matches(x0 - 1, y)) --x0;
    while (x1 + 1 < m_nWidth && Matches(x1 + 1, y)) ++x1;
  }
  MarkRun(y, x0, x1);
  std::vector<Run> stack;
  stack.push_back(Run{y, x0, x1});
  while (!stack.empty()) {
    const Run run = stack.back();
    stack.pop_back();
    for (const int32_t ny : {run.y - 1, run.y + 1}) {
      if (ny < 0 || ny >= m_nHeight) continue;
      int32_t cx = run.x0;
      while (cx <= run.x1) {
        if (!Matches(cx, ny)) {
          ++cx;
          continue;
        }
        int32_t l = cx, r = cx;
        while (l > 0 && Matches(l - 1, ny)) --l;
        while (r + 1 < m_nWidth && Matches(r + 1, ny)) ++r;
        MarkRun(ny, l, r);
        stack.push_back(Run{ny, l, r});
        cx = r + 2;
      }
    }
  }
  m_pSelection = nullptr;
}

CRasterImage MagicWand(const CRasterImage& image, int32_t x, int32_t y, const CRasterImage* current, int mode) {
  CRasterImage result;
  if (image.IsEmpty() || x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) return result;
  if (image.HasValidMask()) {
    const uint8_t* mrow = image.GetMaskRow(y);
    const int m = image.GetBitsPerPixel() == 24 ? mrow[x] : GetPixel1(mrow, static_cast<int16_t>(x));
    if (m == 0) return result;
  }
  const bool useCurrent = current && !current->IsEmpty();
  if (!useCurrent) mode = 0;
  if (mode < 0 || mode > 2) mode = 0;
  try {
    if (useCurrent && mode != 0) {
      if (!IsSelectionMaskFor(*current, image.GetWidth(), image.GetHeight())) return result;
      result = *current;
      result.RemoveMask();
    } else if (!result.Create(image.GetWidth(), image.GetHeight(), 1)) {
      return CRasterImage();
    }
    CMagicWand wand(image, GetMagicWandTolerance(), mode);
    wand.Fill(result, x, y);
  } catch (const std::bad_alloc&) {
    return CRasterImage();
  }
  return result;
}
