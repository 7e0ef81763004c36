// Drives the frame-array operations (optimise, expand, reduce to one
// palette) with frames of any depth, size, mask, selection, disposal and
// placement built from the input bytes, looking for out-of-bounds access,
// undefined behaviour and unbounded allocation.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ImageGeometry.h"
#include "imaging/ColorConversion.h"
#include "imaging/FrameOptimizer.h"

namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  int Range(int lo, int hi) { return lo + (Byte() | Byte() << 8) % (hi - lo + 1); }
  size_t Pos() const { return m_pos; }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

const int kDepths[] = {1, 4, 8, 24};

CRasterImage MakeImage(Reader& in, const uint8_t* data, size_t size, int bpp) {
  CRasterImage im;
  const int w = in.Range(1, 24), h = in.Range(1, 24);
  if (!im.Create(w, h, bpp)) return im;
  uint8_t* bits = im.GetWritableBits();
  const size_t n = static_cast<size_t>(im.GetStride()) * h;
  for (size_t i = 0; i < n; ++i) bits[i] = size ? data[(i * 5 + in.Pos()) % size] : 0;
  if (bpp != 24) {
    RGBQUAD* pal = im.GetWritablePalette();
    for (int i = 0; i < (1 << bpp); ++i) pal[i] = MakeRGBQuad(in.Byte(), in.Byte(), in.Byte());
  }
  switch (in.Byte() % 4) {
    case 1:
    case 2: {
      im.CreateMask();
      uint8_t* m = im.GetWritableMaskBits();
      const size_t bytes = static_cast<size_t>(im.GetMaskStride()) * h;
      for (size_t i = 0; i < bytes; ++i) m[i] = size ? data[(i * 3 + 1) % size] : 0;
      break;
    }
    case 3: {  // a stale mask of another size
      CRasterImage other;
      if (other.Create(w + 1, h, bpp) && other.CreateMask()) im.m_mask = other.m_mask;
      break;
    }
    default:
      break;
  }
  return im;
}

int16_t Position(Reader& in) {
  switch (in.Byte() % 4) {
    case 0:
      return static_cast<int16_t>(in.Range(-40, 40));
    case 1:
      return static_cast<int16_t>(in.Range(0, 65535) - 32768);  // anywhere in the 16-bit range
    default:
      return static_cast<int16_t>(in.Range(0, 30));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Frames far apart expand to pictures spanning the 16-bit range; a small
  // budget makes those fail (null) instead of filling the memory.
  SetImageByteBudget(int64_t{2} << 20);
  Reader in(data, size);
  const int count = in.Range(0, 6);
  const int canvasW = in.Range(1, 48), canvasH = in.Range(1, 48);
  std::vector<CAnimFrame> frames(static_cast<size_t>(count));
  for (CAnimFrame& f : frames) {
    const int bpp = kDepths[in.Byte() & 3];
    if (in.Byte() % 5) f.m_image = MakeImage(in, data, size, bpp);
    f.m_nLeft = Position(in);
    f.m_nTop = Position(in);
    f.m_nFlags = in.Byte();
    f.m_nDelay = in.Byte();
    if (in.Byte() % 3 == 0) {
      const int selBpp = in.Byte() % 4 ? bpp : kDepths[in.Byte() & 3];
      f.m_selection = MakeImage(in, data, size, selBpp);
      const int sx = in.Range(-30, 30), sy = in.Range(-30, 30);
      f.m_rcSelection = Rect{sx, sy, sx + f.m_selection.GetWidth(), sy + f.m_selection.GetHeight()};
    }
  }
  for (int mode : {OPTIMIZE_TRANSPARENT, OPTIMIZE_CROP}) {
    auto optimized = OptimizeFrameDifferences(canvasH, frames.data(), count, canvasW, mode);
    if (optimized) ExpandFrames(optimized.get(), count, canvasW, canvasH);
  }
  ExpandFrames(frames.data(), count, canvasW, canvasH);
  RGBQUAD palette[16];
  for (RGBQUAD& q : palette) q = MakeRGBQuad(in.Byte(), in.Byte(), in.Byte());
  const int colors = in.Range(1, 16);
  auto reduced = ReduceFramesToPalette(frames.data(), count, palette, colors, in.Byte() % 3);
  if (reduced) OptimizeFrameDifferences(canvasH, reduced.get(), count, canvasW, OPTIMIZE_TRANSPARENT);
  return 0;
}
