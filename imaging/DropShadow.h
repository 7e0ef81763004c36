#pragma once
// The soft shadow under a floating selection: its shape is the selection's
// opacity (or a full rectangle without a mask) placed in a margin of 55
// pixels, softened by a separable Gaussian of the softness width, scaled by
// the opacity percent and filled with the shadow colour. The result is the
// selection over its shadow moved by the offset, as one new 24-bit image
// with an alpha mask, and how far its top-left corner lies from the
// selection's (never positive).

#include <cstdint>
#include <vector>

#include "imaging/Filters.h"
#include "imaging/LayerStack.h"
#include "imaging/RasterImage.h"

struct DROP_SHADOW_PARAMS {
  int xOffset = 0;   // -100..100 pixels
  int yOffset = 0;   // -100..100 pixels
  int opacity = 50;  // 0..100 percent
  int softness = 10; // 0..55, the width of the softening kernel in pixels
  uint8_t red = 0, green = 0, blue = 0;
  void Clamp();
};

// The margin around the shape on each side, and where the layers put the
// shadow (100, 100) and the selection (155, 155).
constexpr int kShadowMargin = 55;
constexpr int kShadowLayerOrigin = 100;

// weight(x) = exp(-8 x^2 / r^2) for |x| <= r / 2, else 0; support width r.
class CGaussianKernel : public CFilterKernel {
 public:
  explicit CGaussianKernel(double width) : m_width(width) {}
  double GetWidth() const override { return m_width; }
  double Evaluate(double x) const override;

 private:
  double m_width;
};

class CDropShadow {
 public:
  // Makes the shadow image ((w + 110) x (h + 110), 24-bit with an 8-bit
  // mask) and the hard shape of a 24-bit source. False for an empty or
  // other source, or one too large for the layers (w + 310 > 32767).
  bool SetSource(const CRasterImage& source);
  bool HasSource() const { return !m_shadow.IsEmpty(); }
  // Every shadow pixel becomes the colour.
  void SetColor(uint8_t red, uint8_t green, uint8_t blue);
  // The shadow's mask from the shape: softened (softness > 0), then each
  // byte i becomes min(255, opacity * i / 100).
  void UpdateAlpha(int opacity, int softness);
  // Removes all layers, then adds the shadow at (100 + x, 100 + y) and the
  // source at (155, 155) on top.
  void BuildLayers(CLayerStack& layers, int xOffset, int yOffset) const;
  // The selection over its shadow over the union of the shadow's non-zero
  // bounds (moved by the offset) and the selection's rectangle; empty when
  // the shadow has no non-zero pixel. dx, dy: the result's top-left corner
  // relative to the selection's.
  CRasterImage BuildResult(int xOffset, int yOffset, int* dx, int* dy) const;
  // The layer stack's size: the shadow's plus 200 each way.
  int32_t GetCanvasWidth() const { return m_shadow.GetWidth() + 200; }
  int32_t GetCanvasHeight() const { return m_shadow.GetHeight() + 200; }

  const CRasterImage& GetShadow() const { return m_shadow; }
  const CRasterImage& GetSource() const { return m_source; }
  const std::vector<uint8_t>& GetBaseAlpha() const { return m_baseAlpha; }

 private:
  CRasterImage m_source;
  CRasterImage m_shadow;
  std::vector<uint8_t> m_baseAlpha;
};

// The whole computation at once (what OK of the dialog gives): empty when
// the source is refused or the shadow is invisible (opacity 0).
CRasterImage AddDropShadow(const CRasterImage& source, const DROP_SHADOW_PARAMS& params, int* dx, int* dy);
