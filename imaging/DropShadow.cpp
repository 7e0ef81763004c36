#include "imaging/DropShadow.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/PixelAccess.h"
#include "imaging/SelectionMask.h"

void DROP_SHADOW_PARAMS::Clamp() {
  xOffset = std::clamp(xOffset, -100, 100);
  yOffset = std::clamp(yOffset, -100, 100);
  opacity = std::clamp(opacity, 0, 100);
  softness = std::clamp(softness, 0, 55);
}

double CGaussianKernel::Evaluate(double x) const {
  const double half = m_width / 2;
  if (std::fabs(x) > half || half <= 0) return 0.0;
  const double q = x / half;
  return std::exp(-q * q) * std::exp(-q * q);
}

bool CDropShadow::SetSource(const CRasterImage& source) {
  m_source = {};
  m_shadow = {};
  m_baseAlpha.clear();
  if (source.IsEmpty() || source.GetBitsPerPixel() != 24) return false;
  const int32_t w = source.GetWidth(), h = source.GetHeight();
  if (w + 2 * kShadowMargin + 2 * kShadowLayerOrigin > 32767 || h + 2 * kShadowMargin + 2 * kShadowLayerOrigin > 32767)
    return false;
  CRasterImage shadow;
  if (!shadow.Create(w + 2 * kShadowMargin, h + 2 * kShadowMargin, 24) || !shadow.CreateMask()) return false;
  const int32_t stride = shadow.GetMaskStride();
  m_baseAlpha.assign(static_cast<size_t>(stride) * shadow.GetHeight(), 0);
  const bool masked = source.HasValidMask();
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* out = m_baseAlpha.data() + static_cast<size_t>(y + kShadowMargin) * stride + kShadowMargin;
    if (!masked) {
      std::memset(out, 255, static_cast<size_t>(w));
    } else if (source.GetMaskBitsPerPixel() == 8) {
      std::memcpy(out, source.GetMaskRow(y), static_cast<size_t>(w));
    } else {
      const uint8_t* row = source.GetMaskRow(y);
      for (int32_t x = 0; x < w; ++x) out[x] = GetPixel1(row, static_cast<int16_t>(x)) ? 255 : 0;
    }
  }
  std::memcpy(shadow.GetWritableMaskBits(), m_baseAlpha.data(), m_baseAlpha.size());
  m_source = source;
  m_shadow = std::move(shadow);
  return true;
}

void CDropShadow::SetColor(uint8_t red, uint8_t green, uint8_t blue) {
  if (m_shadow.IsEmpty()) return;
  uint8_t* bits = m_shadow.GetWritableBits();
  for (int32_t y = 0; y < m_shadow.GetHeight(); ++y) {
    uint8_t* p = bits + static_cast<int64_t>(y) * m_shadow.GetStride();
    for (int32_t x = 0; x < m_shadow.GetWidth(); ++x, p += 3) {
      p[0] = red;
      p[1] = green;
      p[2] = blue;
    }
  }
}

void CDropShadow::UpdateAlpha(int opacity, int softness) {
  if (m_shadow.IsEmpty() || m_baseAlpha.empty()) return;
  opacity = std::clamp(opacity, 0, 100);
  softness = std::clamp(softness, 0, 55);
  uint8_t* mask = m_shadow.GetWritableMaskBits();
  const int32_t stride = m_shadow.GetMaskStride();
  if (softness > 0) {
    const CGaussianKernel kernel(softness);
    SeparableFilter(m_baseAlpha.data(), mask, m_shadow.GetWidth(), m_shadow.GetHeight(), 1, stride, kernel, kernel);
  } else {
    std::memcpy(mask, m_baseAlpha.data(), m_baseAlpha.size());
  }
  uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(std::min(255, opacity * i / 100));
  for (size_t i = 0; i < m_baseAlpha.size(); ++i) mask[i] = table[mask[i]];
}

void CDropShadow::BuildLayers(CLayerStack& layers, int xOffset, int yOffset) const {
  layers.RemoveAll();
  if (m_shadow.IsEmpty()) return;
  layers.AddImage(m_shadow, kShadowLayerOrigin + xOffset, kShadowLayerOrigin + yOffset);
  layers.AddImage(m_source, kShadowLayerOrigin + kShadowMargin, kShadowLayerOrigin + kShadowMargin);
}

CRasterImage CDropShadow::BuildResult(int xOffset, int yOffset, int* dx, int* dy) const {
  if (dx) *dx = 0;
  if (dy) *dy = 0;
  if (m_shadow.IsEmpty()) return {};
  Rect bounds;
  if (!GetNonZeroBounds(m_shadow.GetMaskBits(), m_shadow.GetWidth(), m_shadow.GetHeight(), m_shadow.GetMaskStride(), 8,
                        &bounds))
    return {};
  constexpr int32_t at = kShadowLayerOrigin + kShadowMargin;
  const int32_t left = std::min(bounds.left + kShadowLayerOrigin + xOffset, at);
  const int32_t top = std::min(bounds.top + kShadowLayerOrigin + yOffset, at);
  const int32_t right = std::max(bounds.right + kShadowLayerOrigin + xOffset, at + m_source.GetWidth());
  const int32_t bottom = std::max(bounds.bottom + kShadowLayerOrigin + yOffset, at + m_source.GetHeight());
  CRasterImage result;
  if (!result.Create(right - left, bottom - top, 24) || !result.CreateMask()) return {};
  CLayerStack layers(GetCanvasWidth(), GetCanvasHeight());
  BuildLayers(layers, xOffset, yOffset);
  layers.Render(LayerRect{left, top, right - 1, bottom - 1}, result.GetWritableBits(), result.GetStride(),
                result.GetWritableMaskBits(), result.GetMaskStride());
  if (dx) *dx = left - at;
  if (dy) *dy = top - at;
  return result;
}

CRasterImage AddDropShadow(const CRasterImage& source, const DROP_SHADOW_PARAMS& in, int* dx, int* dy) {
  if (dx) *dx = 0;
  if (dy) *dy = 0;
  DROP_SHADOW_PARAMS params = in;
  params.Clamp();
  CDropShadow shadow;
  if (!shadow.SetSource(source)) return {};
  shadow.SetColor(params.red, params.green, params.blue);
  shadow.UpdateAlpha(params.opacity, params.softness);
  return shadow.BuildResult(params.xOffset, params.yOffset, dx, dy);
}
