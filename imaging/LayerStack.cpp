#include "imaging/LayerStack.h"

#include <algorithm>
#include <cstring>

#include "imaging/PixelAccess.h"

LayerRect UnionLayerRect(const LayerRect& a, const LayerRect& b) {
  if (a.IsEmpty()) return b.IsEmpty() ? LayerRect{} : b;
  if (b.IsEmpty()) return a;
  return LayerRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                   std::max(a.bottom, b.bottom)};
}

namespace {
// The inclusive rectangle of a width x height area at (left, top); sides
// that would pass the 32-bit range are cut short.
LayerRect SpanRect(int32_t left, int32_t top, int32_t width, int32_t height) {
  auto last = [](int32_t start, int32_t size) {
    const int64_t v = int64_t{start} + size - 1;
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  return LayerRect{left, top, last(left, width), last(top, height)};
}
}  // namespace

// --- CLayer -----------------------------------------------------------------

LayerRect* CLayer::GetBounds(LayerRect* out) const {
  if (out) *out = m_rect;
  return out;
}

void CLayer::ReadSpan(int32_t x, int32_t y, int32_t count, uint8_t* argb) {
  for (int32_t i = 0; i < count; ++i, argb += 4) GetPixel(x + i, y, argb[0], argb[1], argb[2], argb[3]);
}

// --- CColorLayer ------------------------------------------------------------

CColorLayer::CColorLayer(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha, int32_t left, int32_t top,
                         int32_t width, int32_t height)
    : CLayer(SpanRect(left, top, width, height)),
      m_red(red),
      m_green(green),
      m_blue(blue),
      m_alpha(alpha) {}

bool CColorLayer::GetPixel(int32_t x, int32_t y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue) {
  if (!m_rect.Contains(x, y)) {
    alpha = red = green = blue = 0;
    return false;
  }
  alpha = m_alpha;
  red = m_red;
  green = m_green;
  blue = m_blue;
  return true;
}

void CColorLayer::ReadSpan(int32_t, int32_t, int32_t count, uint8_t* argb) {
  for (int32_t i = 0; i < count; ++i, argb += 4) {
    argb[0] = m_alpha;
    argb[1] = m_red;
    argb[2] = m_green;
    argb[3] = m_blue;
  }
}

// --- CImageLayer ------------------------------------------------------------

CImageLayer::CImageLayer(const CRasterImage& image, int32_t left, int32_t top)
    : CLayer(SpanRect(left, top, image.GetWidth(), image.GetHeight())),
      m_image(image),
      m_nLeft(left),
      m_nTop(top),
      m_nStride(image.GetStride()),
      m_nBitsPerPixel(image.GetBitsPerPixel()) {}

bool CImageLayer::Begin() {
  m_pBits = m_image.GetBits();
  if (m_nBitsPerPixel != 24) {
    m_pPalette = m_image.GetPalette();
    m_nPaletteSize = m_pPalette ? m_image.GetPaletteSize() : 0;
  }
  if (m_image.HasValidMask()) {
    m_pMask = m_image.GetMaskBits();
    m_nMaskStride = m_image.GetMaskStride();
  }
  return true;
}

void CImageLayer::End() {
  m_pBits = nullptr;
  m_pPalette = nullptr;
  m_nPaletteSize = 0;
  m_pMask = nullptr;
  m_nMaskStride = 0;
}

bool CImageLayer::GetPixel(int32_t x, int32_t y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue) {
  if (!m_rect.Contains(x, y) || !m_pBits) {
    alpha = red = green = blue = 0;
    return false;
  }
  uint8_t argb[4];
  ReadSpan(x, y, 1, argb);
  alpha = argb[0];
  red = argb[1];
  green = argb[2];
  blue = argb[3];
  return true;
}

void CImageLayer::ReadSpan(int32_t x, int32_t y, int32_t count, uint8_t* argb) {
  const int32_t lx = x - m_nLeft, ly = y - m_nTop;
  if (!m_pBits) {
    std::memset(argb, 0, static_cast<size_t>(count) * 4);
    return;
  }
  const uint8_t* row = m_pBits + static_cast<int64_t>(ly) * m_nStride;
  const uint8_t* mask = m_pMask ? m_pMask + static_cast<int64_t>(ly) * m_nMaskStride : nullptr;
  const bool alphaMask = m_nBitsPerPixel == 24;
  if (m_nBitsPerPixel == 24) {
    const uint8_t* p = row + 3 * static_cast<int64_t>(lx);
    const uint8_t* m = mask ? mask + lx : nullptr;
    for (int32_t i = 0; i < count; ++i, argb += 4, p += 3) {
      const uint8_t alpha = m ? m[i] : 255;
      argb[0] = alpha;
      argb[1] = alpha ? p[0] : 0;
      argb[2] = alpha ? p[1] : 0;
      argb[3] = alpha ? p[2] : 0;
    }
    return;
  }
  for (int32_t i = 0; i < count; ++i, argb += 4) {
    const int32_t px = lx + i;
    uint8_t alpha = 255;
    if (mask) alpha = alphaMask ? mask[px] : (GetPixel1(mask, static_cast<int16_t>(px)) ? 255 : 0);
    argb[0] = alpha;
    if (alpha == 0) {
      argb[1] = argb[2] = argb[3] = 0;
      continue;
    }
    if (m_nBitsPerPixel == 24) {
      const uint8_t* p = row + 3 * static_cast<int64_t>(px);
      argb[1] = p[0];
      argb[2] = p[1];
      argb[3] = p[2];
      continue;
    }
    int index;
    switch (m_nBitsPerPixel) {
      case 1: index = GetPixel1(row, static_cast<int16_t>(px)); break;
      case 4: index = GetPixel4(row, static_cast<int16_t>(px)); break;
      default: index = row[px]; break;
    }
    if (index < m_nPaletteSize) {
      const RGBQUAD& q = m_pPalette[index];
      argb[1] = q.rgbRed;
      argb[2] = q.rgbGreen;
      argb[3] = q.rgbBlue;
    } else {
      argb[1] = argb[2] = argb[3] = 0;
    }
  }
}

// --- CLayerStack -------------------------------------------------------------

void CLayerStack::RemoveAll() {
  m_layers.clear();
  m_layers.shrink_to_fit();
  m_nCapacity = 0;
}

void CLayerStack::GetSize(int32_t* width, int32_t* height) const {
  if (width) *width = m_nWidth;
  if (height) *height = m_nHeight;
}

int CLayerStack::AddLayer(CLayer* layer) {
  if (!layer) return GetCount();
  if (GetCount() + 1 > m_nCapacity) {
    m_nCapacity += 10;
    m_layers.reserve(static_cast<size_t>(m_nCapacity));
  }
  m_layers.emplace_back(layer);
  return GetCount();
}

int CLayerStack::AddImage(const CRasterImage& image, int32_t left, int32_t top) {
  return AddLayer(new CImageLayer(image, left, top));
}

int CLayerStack::AddColorRect(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha, int32_t left, int32_t top,
                              int32_t width, int32_t height) {
  return AddLayer(new CColorLayer(red, green, blue, alpha, left, top, width, height));
}

bool CLayerStack::BeginRender() {
  if (m_layers.empty()) return false;
  for (auto& layer : m_layers) layer->Begin();
  return true;
}

void CLayerStack::EndRender() {
  for (auto& layer : m_layers) layer->End();
}

bool CLayerStack::GetPixel(int32_t x, int32_t y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue) {
  alpha = red = green = blue = 0;
  if (m_layers.empty()) return false;
  uint8_t at = 0, ct[3] = {0, 0, 0};
  m_layers.back()->GetPixel(x, y, at, ct[0], ct[1], ct[2]);
  for (size_t i = m_layers.size() - 1; i-- > 0 && at < 255;) {
    uint8_t ab, cb[3];
    if (!m_layers[i]->GetPixel(x, y, ab, cb[0], cb[1], cb[2])) continue;
    BlendUnder(at, ct, ab, cb);
  }
  alpha = at;
  red = ct[0];
  green = ct[1];
  blue = ct[2];
  return true;
}

LayerRect* CLayerStack::GetBounds(LayerRect* out) const {
  if (!out || m_layers.empty()) return out;
  LayerRect bounds = m_layers.back()->GetRect();
  for (size_t i = m_layers.size() - 1; i-- > 0;) bounds = UnionLayerRect(bounds, m_layers[i]->GetRect());
  *out = bounds;
  return out;
}

void CLayerStack::Render(const LayerRect& rect, uint8_t* colorRows, int32_t colorStride, uint8_t* alphaRows,
                         int32_t alphaStride) {
  if (rect.IsEmpty() || !colorRows) return;
  const int32_t width = rect.right - rect.left + 1;
  if (!BeginRender()) {
    // No layers: every point composes to zeros.
    for (int32_t y = rect.top; y <= rect.bottom; ++y) {
      std::memset(colorRows, 0, static_cast<size_t>(width) * 3);
      if (alphaRows) std::memset(alphaRows, 0, static_cast<size_t>(width));
      colorRows += colorStride;
      if (alphaRows) alphaRows += alphaStride;
    }
    return;
  }
  // The row is composed from the top layer down, a span per layer; a layer
  // below a row that is already opaque everywhere is not read.
  std::vector<uint8_t> composed(static_cast<size_t>(width) * 4);
  std::vector<uint8_t> lower(static_cast<size_t>(width) * 4);
  for (int32_t y = rect.top; y <= rect.bottom; ++y) {
    std::fill(composed.begin(), composed.end(), 0);
    bool top = true;
    for (size_t i = m_layers.size(); i-- > 0;) {
      const LayerRect& lr = m_layers[i]->GetRect();
      if (y < lr.top || y > lr.bottom) continue;
      const int32_t x0 = std::max(lr.left, rect.left), x1 = std::min(lr.right, rect.right);
      if (x0 > x1) continue;
      const int32_t n = x1 - x0 + 1;
      uint8_t* dst = composed.data() + static_cast<size_t>(x0 - rect.left) * 4;
      if (top) {
        m_layers[i]->ReadSpan(x0, y, n, dst);
        top = false;
      } else {
        // Skip the layer when its span is already opaque.
        int32_t j = 0;
        while (j < n && dst[4 * j] == 255) ++j;
        if (j == n) continue;
        m_layers[i]->ReadSpan(x0, y, n, lower.data());
        for (; j < n; ++j) {
          uint8_t* c = dst + 4 * j;
          const uint32_t at = c[0];
          if (at == 255) continue;
          const uint8_t* b = lower.data() + 4 * j;
          if (b[0] == 255 && at != 0) {
            // Over an opaque pixel: ((At * 255) * Cb) / 255 is At * Cb, so
            // C = (Ct * At + Cb * (255 - At)) / 255 and A = 255 exactly.
            const uint32_t s = 255 - at;
            const uint32_t r = (c[1] * at + b[1] * s) / 255, g = (c[2] * at + b[2] * s) / 255,
                           bl = (c[3] * at + b[3] * s) / 255;
            c[0] = 255;
            c[1] = static_cast<uint8_t>(r);
            c[2] = static_cast<uint8_t>(g);
            c[3] = static_cast<uint8_t>(bl);
            continue;
          }
          BlendUnder(c[0], c + 1, b[0], b + 1);
        }
      }
      // Stop when the whole row is opaque.
      bool opaque = true;
      for (int32_t k = 0; k < width && opaque; ++k) opaque = composed[4 * static_cast<size_t>(k)] == 255;
      if (opaque) break;
    }
    const uint8_t* c = composed.data();
    for (int32_t k = 0; k < width; ++k, c += 4) {
      colorRows[3 * k] = c[1];
      colorRows[3 * k + 1] = c[2];
      colorRows[3 * k + 2] = c[3];
      if (alphaRows) alphaRows[k] = c[0];
    }
    colorRows += colorStride;
    if (alphaRows) alphaRows += alphaStride;
  }
  EndRender();
}
