#include "imaging/AnimFrame.h"

#include <algorithm>
#include <new>

#include "base/ImageGeometry.h"
#include "imaging/ColorConversion.h"
#include "imaging/ImageCompose.h"
#include "imaging/LayerStack.h"
#include "imaging/PixelAccess.h"
#include "imaging/Rotate.h"

namespace {

bool FitsInt16(int32_t v) { return v >= INT16_MIN && v <= INT16_MAX; }

// Marks the frame busy for the length of a selection operation.
class CBusyScope {
 public:
  explicit CBusyScope(CAnimFrame& frame) : m_frame(frame) { m_frame.m_bBusy = 1; }
  ~CBusyScope() { m_frame.m_bBusy = 0; }
  CBusyScope(const CBusyScope&) = delete;
  CBusyScope& operator=(const CBusyScope&) = delete;

 private:
  CAnimFrame& m_frame;
};

}  // namespace

void CAnimFrame::FloatImage() {
  if (IsEmpty() || m_image.IsEmpty()) return;
  CBusyScope busy(*this);
  CRasterImage result = m_image;
  int32_t x = m_nLeft, y = m_nTop;
  if (!m_selection.IsEmpty()) {
    result = ComposeImages(m_image, m_selection, m_rcSelection.left, m_rcSelection.top);
    x += std::min(m_rcSelection.left, 0);
    y += std::min(m_rcSelection.top, 0);
  }
  if (result.IsEmpty()) return;
  m_image.Free();
  m_selection = std::move(result);
  m_rcSelection = Rect{x, y, x + m_selection.GetWidth(), y + m_selection.GetHeight()};
  m_nLeft = 0;
  m_nTop = 0;
}

void CAnimFrame::MergeSelection() {
  if (IsEmpty() || m_selection.IsEmpty()) return;
  CBusyScope busy(*this);
  const bool imageWasEmpty = m_image.IsEmpty();
  int32_t x, y;
  if (imageWasEmpty) {
    x = int32_t{m_nLeft} + m_rcSelection.left;
    y = int32_t{m_nTop} + m_rcSelection.top;
  } else {
    x = int32_t{m_nLeft} + std::min(m_rcSelection.left, 0);
    y = int32_t{m_nTop} + std::min(m_rcSelection.top, 0);
  }
  if (!FitsInt16(x) || !FitsInt16(y)) return;
  CRasterImage result = ComposeImages(m_image, m_selection, m_rcSelection.left, m_rcSelection.top);
  if (result.IsEmpty()) return;
  m_image = std::move(result);
  m_nLeft = static_cast<int16_t>(x);
  m_nTop = static_cast<int16_t>(y);
  m_selection.Free();
  m_rcSelection = Rect{};
}

void CAnimFrame::SwapSelection() {
  if (IsEmpty()) return;
  if (m_selection.IsEmpty()) {
    FloatImage();
    return;
  }
  if (m_image.IsEmpty()) {
    MergeSelection();
    return;
  }
  const int32_t x = int32_t{m_nLeft} + m_rcSelection.left, y = int32_t{m_nTop} + m_rcSelection.top;
  if (!FitsInt16(x) || !FitsInt16(y)) return;
  CBusyScope busy(*this);
  const int32_t oldLeft = m_rcSelection.left, oldTop = m_rcSelection.top;
  std::swap(m_image, m_selection);
  m_nLeft = static_cast<int16_t>(x);
  m_nTop = static_cast<int16_t>(y);
  m_rcSelection = Rect{-oldLeft, -oldTop, -oldLeft + m_selection.GetWidth(), -oldTop + m_selection.GetHeight()};
}

CRasterImage CAnimFrame::Flatten(int32_t width, int32_t height, bool transparent, RGBQUAD background) const {
  CRasterImage canvas;
  if (IsEmpty() || width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return canvas;
  // A 24-bit image that is the whole canvas composes to itself: share it,
  // which also keeps the colours under fully transparent pixels.
  if (m_selection.IsEmpty() && m_image.GetBitsPerPixel() == 24 && m_nLeft == 0 && m_nTop == 0 &&
      m_image.GetWidth() == width && m_image.GetHeight() == height &&
      (transparent || !m_image.HasMask() || m_image.GetMaskState() == 2)) {
    CRasterImage same = m_image;
    if (same.HasMask() && (!same.HasValidMask() || same.GetMaskState() == 2)) same.RemoveMask();
    return same;
  }
  try {
    int32_t depth = m_image.IsEmpty() ? m_selection.GetBitsPerPixel() : m_image.GetBitsPerPixel();
    // An indexed frame whose selection has another depth cannot be merged
    // without conversion: it is composed in 24 bits instead.
    if (depth != 24 && !m_image.IsEmpty() && !m_selection.IsEmpty() && m_selection.GetBitsPerPixel() != depth)
      depth = 24;
    if (!canvas.Create(width, height, depth) || !canvas.CreateMask()) return CRasterImage();

    if (depth == 24) {
      CLayerStack stack(width, height);
      if (!transparent)
        stack.AddColorRect(background.rgbRed, background.rgbGreen, background.rgbBlue, 255, 0, 0, width, height);
      if (!m_image.IsEmpty()) stack.AddImage(m_image, m_nLeft, m_nTop);
      if (!m_selection.IsEmpty())
        stack.AddImage(m_selection, m_nLeft + m_rcSelection.left, m_nTop + m_rcSelection.top);
      stack.Render(LayerRect{0, 0, width - 1, height - 1}, canvas.GetWritableBits(), canvas.GetStride(),
                   canvas.GetWritableMaskBits(), canvas.GetMaskStride());
    } else {
      CAnimFrame merged = *this;
      merged.MergeSelection();
      const CRasterImage& image = merged.m_image;
      if (image.IsEmpty()) return CRasterImage();
      const int entries = 1 << depth;
      canvas.m_palette.CopyFrom(image.GetPalette(), std::min(image.m_palette.GetSize(), entries * 4));
      const int bg = FindNearestPaletteColor(std::min(image.GetPaletteSize(), entries), canvas.GetPalette(),
                                             background.rgbRed, background.rgbGreen, background.rgbBlue);
      const PIXELGETPROC get = GetPixelGetter(depth);
      const PIXELSETPROC set = GetPixelSetter(depth);
      const bool hasMask = image.HasValidMask();
      const int32_t left = merged.m_nLeft, top = merged.m_nTop;
      uint8_t* bits = canvas.GetWritableBits();
      uint8_t* mask = canvas.GetWritableMaskBits();
      for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bits + static_cast<int64_t>(y) * canvas.GetStride();
        uint8_t* mrow = mask + static_cast<int64_t>(y) * canvas.GetMaskStride();
        const int32_t iy = y - top;
        const bool rowInside = iy >= 0 && iy < image.GetHeight();
        const uint8_t* irow = rowInside ? image.GetRow(iy) : nullptr;
        const uint8_t* imrow = rowInside && hasMask ? image.GetMaskRow(iy) : nullptr;
        for (int32_t x = 0; x < width; ++x) {
          const int32_t ix = x - left;
          int m = 0, value = bg;
          if (irow && ix >= 0 && ix < image.GetWidth()) {
            m = imrow ? GetPixel1(imrow, static_cast<int16_t>(ix)) : 1;
            if (m) value = get(irow, static_cast<int16_t>(ix));
          }
          set(row, static_cast<int16_t>(x), value);
          SetPixel1(mrow, static_cast<int16_t>(x), m);
        }
      }
    }
    if (canvas.GetMaskState() == 2) canvas.RemoveMask();
  } catch (const std::bad_alloc&) {
    return CRasterImage();
  }
  return canvas;
}

int CMultiFrameImage::Rotate(int degrees) {
  int angle = degrees;
  if (angle < 0)
    angle = 359 - ((-(int64_t{angle}) - 1) % 360);
  else if (angle > 360)
    angle = (angle - 361) % 360 + 1;
  if (angle != 90 && angle != 180 && angle != 270) return 0;
  if (m_frames.empty()) return 0;
  const int32_t W = m_nWidth, H = m_nHeight;
  for (CAnimFrame& frame : m_frames) {
    if (frame.m_image.IsEmpty()) continue;
    CRasterImage turned = RotateImage(frame.m_image, angle);
    if (turned.IsEmpty()) continue;
    const int32_t x = frame.m_nLeft, y = frame.m_nTop;
    const int32_t w = frame.m_image.GetWidth(), h = frame.m_image.GetHeight();
    int32_t nx, ny;
    switch (angle) {
      case 90: nx = H - y - h, ny = x; break;
      case 180: nx = W - x - w, ny = H - y - h; break;
      default: nx = y, ny = W - x - w; break;
    }
    if (nx < INT16_MIN || nx > INT16_MAX || ny < INT16_MIN || ny > INT16_MAX) continue;
    frame.m_image = std::move(turned);
    frame.m_nLeft = static_cast<int16_t>(nx);
    frame.m_nTop = static_cast<int16_t>(ny);
  }
  if (angle != 180) std::swap(m_nWidth, m_nHeight);
  return angle;
}
