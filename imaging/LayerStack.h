#pragma once
// The layer compositor: a small stack of layers over a canvas, composed from
// the top down by the "over" rule of alpha blending.
//
// Layer rectangles are inclusive on all four sides: right and bottom are the
// last covered column and row. The layer added last is on top.

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/RasterImage.h"

// Supplies the colour wanted at canvas point (x, y) (the background behind
// transparent pixels, the pattern of a fill): writes red, green and blue and
// returns the colour's alpha in the low byte (255 for an opaque colour).
using COLORSAMPLEPROC = int (*)(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue);

// A rectangle whose right and bottom are inclusive.
struct LayerRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = -1;
  int32_t bottom = -1;

  bool IsEmpty() const { return right < left || bottom < top; }
  bool Contains(int32_t x, int32_t y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  friend bool operator==(const LayerRect&, const LayerRect&) = default;
};

// Union of two inclusive rectangles; an empty one (right < left or bottom <
// top) adds nothing. A one-pixel-wide or -high rectangle is not empty.
LayerRect UnionLayerRect(const LayerRect& a, const LayerRect& b);

class CLayer {
 public:
  explicit CLayer(const LayerRect& rect) : m_rect(rect) {}
  virtual ~CLayer() = default;
  CLayer(const CLayer&) = delete;
  CLayer& operator=(const CLayer&) = delete;

  // Prepares for a run of GetPixel calls.
  virtual bool Begin() { return true; }
  virtual void End() {}
  // True with the layer's pixel when (x, y) lies inside the rectangle, else
  // false with all four outputs 0. Only valid inside Begin/End.
  virtual bool GetPixel(int32_t x, int32_t y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue) = 0;
  // Copies the rectangle out (nothing for null); returns the pointer.
  virtual LayerRect* GetBounds(LayerRect* out) const;

  // Pixels x .. x + count - 1 of row y (all inside the rectangle) as alpha,
  // red, green, blue quadruples. The default asks GetPixel for each.
  virtual void ReadSpan(int32_t x, int32_t y, int32_t count, uint8_t* argb);

  const LayerRect& GetRect() const { return m_rect; }

 protected:
  LayerRect m_rect;
};

// A rectangle of one colour and alpha.
class CColorLayer : public CLayer {
 public:
  CColorLayer(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha, int32_t left, int32_t top, int32_t width,
              int32_t height);
  bool GetPixel(int32_t x, int32_t y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue) override;
  void ReadSpan(int32_t x, int32_t y, int32_t count, uint8_t* argb) override;

  uint8_t m_red, m_green, m_blue, m_alpha;
};

// An image of any depth placed with its top-left corner at (left, top). The
// layer holds a share of the image's buffers, so the image may be changed or
// destroyed by its owner without affecting the layer.
class CImageLayer : public CLayer {
 public:
  CImageLayer(const CRasterImage& image, int32_t left, int32_t top);
  bool Begin() override;
  void End() override;
  bool GetPixel(int32_t x, int32_t y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue) override;
  void ReadSpan(int32_t x, int32_t y, int32_t count, uint8_t* argb) override;

 private:
  CRasterImage m_image;
  int32_t m_nLeft, m_nTop;
  int32_t m_nStride, m_nBitsPerPixel;
  // Filled by Begin, cleared by End.
  const uint8_t* m_pBits = nullptr;
  const RGBQUAD* m_pPalette = nullptr;
  int32_t m_nPaletteSize = 0;
  const uint8_t* m_pMask = nullptr;
  int32_t m_nMaskStride = 0;
};

class CLayerStack {
 public:
  CLayerStack(int32_t width, int32_t height) : m_nWidth(width), m_nHeight(height) {}
  ~CLayerStack() { RemoveAll(); }
  CLayerStack(const CLayerStack&) = delete;
  CLayerStack& operator=(const CLayerStack&) = delete;

  // Deletes every layer; capacity and count become 0.
  void RemoveAll();
  void GetSize(int32_t* width, int32_t* height) const;
  // Appends the layer on top and takes ownership; the array grows by 10
  // slots when full. Returns the new count.
  int AddLayer(CLayer* layer);
  int AddImage(const CRasterImage& image, int32_t left, int32_t top);
  int AddColorRect(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha, int32_t left, int32_t top,
                   int32_t width, int32_t height);

  int GetCount() const { return static_cast<int>(m_layers.size()); }
  int GetCapacity() const { return m_nCapacity; }
  CLayer* GetLayer(int index) const { return m_layers[static_cast<size_t>(index)].get(); }

  // False without layers; else Begin on every layer, bottom first.
  bool BeginRender();
  void EndRender();
  // The composed pixel (only valid between BeginRender and EndRender when
  // image layers are present). False with zeros without layers; points
  // outside every layer compose to alpha 0 and colour 0.
  bool GetPixel(int32_t x, int32_t y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue);
  // Union of all layer rectangles; nothing without layers or for null.
  LayerRect* GetBounds(LayerRect* out) const;
  // Composes the inclusive rectangle into rows of 3-byte red, green, blue
  // pixels and (when alphaRows is not null) rows of alpha bytes. Brackets
  // itself with BeginRender/EndRender.
  void Render(const LayerRect& rect, uint8_t* colorRows, int32_t colorStride, uint8_t* alphaRows,
              int32_t alphaStride);

 private:
  std::vector<std::unique_ptr<CLayer>> m_layers;
  int m_nCapacity = 0;
  int32_t m_nWidth, m_nHeight;
};

// The "over" rule for one pixel: the composed value (alpha at, colour ct)
// over a lower pixel (ab, cb), with truncating integer arithmetic:
// A = At + Ab - (At * Ab) / 255, C = (Ct * At + Cb * Ab - ((At * Ab) * Cb) / 255) / A.
// The numerator is never negative and never above 255 * A, so the
// arithmetic is unsigned and needs no clamp.
inline void BlendUnder(uint8_t& at, uint8_t* ct, uint8_t ab, const uint8_t* cb) {
  if (ab == 0) return;
  if (at == 0) {
    at = ab;
    ct[0] = cb[0];
    ct[1] = cb[1];
    ct[2] = cb[2];
    return;
  }
  const uint32_t t = at, b = ab, tb = t * b;
  const uint32_t a = t + b - tb / 255;
  if (a == 255) {
    // An opaque result (any opaque lower pixel): a constant divisor.
    for (int c = 0; c < 3; ++c) ct[c] = static_cast<uint8_t>((ct[c] * t + cb[c] * b - (tb * cb[c]) / 255) / 255);
  } else {
    for (int c = 0; c < 3; ++c) ct[c] = static_cast<uint8_t>((ct[c] * t + cb[c] * b - (tb * cb[c]) / 255) / a);
  }
  at = static_cast<uint8_t>(a);
}
