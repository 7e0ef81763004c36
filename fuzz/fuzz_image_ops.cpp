// Drives the selection, compositing and frame operations with images of any
// depth, size, mask and placement built from the input bytes, looking for
// out-of-bounds access and undefined behaviour.

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>

#include "imaging/AnimFrame.h"
#include "imaging/ImageCompose.h"
#include "imaging/ImageFill.h"
#include "imaging/ImageFlip.h"
#include "imaging/LayerStack.h"
#include "imaging/MagicWand.h"
#include "imaging/SelectionMask.h"

namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  int Range(int lo, int hi) { return lo + (Byte() | Byte() << 8) % (hi - lo + 1); }
  bool Bool() { return Byte() & 1; }
  size_t Pos() const { return m_pos; }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

const int kDepths[] = {1, 4, 8, 24};

CRasterImage MakeImage(Reader& in, const uint8_t* data, size_t size) {
  CRasterImage im;
  const int bpp = kDepths[in.Byte() & 3];
  const int w = in.Range(1, 40), h = in.Range(1, 40);
  if (!im.Create(w, h, bpp)) return im;
  uint8_t* bits = im.GetWritableBits();
  const size_t n = static_cast<size_t>(im.GetStride()) * h;
  for (size_t i = 0; i < n; ++i) bits[i] = size ? data[(i * 7 + in.Pos()) % size] : 0;
  if (bpp != 24) {
    RGBQUAD* pal = im.GetWritablePalette();
    for (int i = 0; i < (1 << bpp); ++i) pal[i] = MakeRGBQuad(in.Byte(), in.Byte(), in.Byte());
  }
  const int maskKind = in.Byte() % 4;  // none, valid, valid, stale (another size)
  if (maskKind == 1 || maskKind == 2) {
    im.CreateMask();
    uint8_t* m = im.GetWritableMaskBits();
    const size_t mn = static_cast<size_t>(im.GetMaskStride()) * h;
    for (size_t i = 0; i < mn; ++i) m[i] = size ? data[(i * 13 + 5) % size] : 0;
  } else if (maskKind == 3) {
    im.m_mask.Create(w + 1, h, 8);
  }
  return im;
}

CRasterImage MakeMask(Reader& in, int w, int h) {
  CRasterImage m;
  if (in.Byte() % 5 == 0) {
    w = in.Range(1, 40);  // sometimes of another size
    h = in.Range(1, 40);
  }
  if (!m.Create(w, h, 1)) return m;
  uint8_t* bits = m.GetWritableBits();
  const uint8_t pattern = in.Byte();
  for (int i = 0; i < m.GetStride() * h; ++i) bits[i] = static_cast<uint8_t>(pattern ^ (i * 37));
  return m;
}

int Sampler(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = static_cast<uint8_t>(x);
  *g = static_cast<uint8_t>(y);
  *b = 7;
  return (x ^ y) & 0xFF;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  CRasterImage base = MakeImage(in, data, size);
  CRasterImage overlay = MakeImage(in, data, size);
  const int ox = in.Range(-300, 300), oy = in.Range(-300, 300);

  CRasterImage composed = ComposeImages(base, overlay, ox, oy);
  CropToMask(composed);

  CAnimFrame frame;
  frame.m_image = in.Bool() ? base : CRasterImage();
  frame.m_selection = overlay;
  frame.m_nLeft = static_cast<int16_t>(in.Range(-32768, 32767));
  frame.m_nTop = static_cast<int16_t>(in.Range(-100, 100));
  frame.m_rcSelection = Rect{ox, oy, ox + overlay.GetWidth(), oy + overlay.GetHeight()};
  const RGBQUAD bg = MakeRGBQuad(in.Byte(), in.Byte(), in.Byte());
  const int cw = in.Range(-2, 80), ch = in.Range(-2, 80);
  const bool transparent = in.Bool();
  for (int step = 0; step < 4; ++step) {
    frame.Flatten(cw, ch, transparent, bg);
    switch (in.Byte() % 3) {
      case 0: frame.FloatImage(); break;
      case 1: frame.MergeSelection(); break;
      default: frame.SwapSelection(); break;
    }
  }

  const int mode = in.Range(-1, 3);
  const CRasterImage current = MakeMask(in, base.GetWidth(), base.GetHeight());
  SetMagicWandTolerance(in.Range(-5, 300));
  CRasterImage wand = MagicWand(base, in.Range(-3, 45), in.Range(-3, 45), in.Bool() ? &current : nullptr, mode);
  Rect r{in.Range(-50, 50), in.Range(-50, 50), in.Range(-50, 50), in.Range(-50, 50)};
  CRasterImage rectMask = MakeRectSelectionMask(base, r, &current, mode);
  PlaceSelectionMask(overlay, Point{in.Range(-50, 50), in.Range(-50, 50)}, in.Range(-1, 60), in.Range(-1, 60));
  IsPointSelected(in.Range(-3, 45), in.Range(-3, 45), base);
  Rect bounds;
  CRasterImage cutFrom = base;
  ExtractSelection(cutFrom, in.Bool() ? wand : rectMask, in.Bool(), &bounds);
  ExtractSelection(cutFrom, current, true, nullptr);

  FlipImage(base, in.Byte());
  const RGBQUAD fill = base.GetBitsPerPixel() == 24 || !base.GetPalette() ? bg : base.GetPalette()[0];
  ColorFill(base, &fill);
  SetPattern(overlay);
  PatternFill(base, in.Bool() ? nullptr : &Sampler);
  DiscardPattern();

  CLayerStack stack(cw, ch);
  const int layers = in.Range(0, 12);
  for (int i = 0; i < layers; ++i) {
    if (in.Bool())
      stack.AddImage(in.Bool() ? base : overlay, in.Range(-60, 60), in.Range(-60, 60));
    else
      stack.AddColorRect(in.Byte(), in.Byte(), in.Byte(), in.Byte(), in.Range(-60, 60), in.Range(-60, 60),
                         in.Range(-2, 60), in.Range(-2, 60));
  }
  LayerRect area;
  if (stack.GetBounds(&area) && !area.IsEmpty()) {
    area.right = std::min(area.right, area.left + 127);
    area.bottom = std::min(area.bottom, area.top + 127);
    const int w = area.right - area.left + 1, h = area.bottom - area.top + 1;
    static uint8_t rgb[128 * 128 * 3], alpha[128 * 128];
    stack.Render(area, rgb, w * 3, alpha, w);
    (void)h;
  }
  SetMagicWandTolerance(32);
  return 0;
}
