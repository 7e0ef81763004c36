#include "output/core/SlideShowPictures.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imaging/ColorConversion.h"
#include "imaging/ColorFunctions.h"
#include "base/ImageGeometry.h"
#include "imaging/Resample.h"

namespace {

// c * w / 255 (floor) for every c: the table of one weight.
using WeightTable = std::array<uint8_t, 256>;
WeightTable MakeWeightTable(int w) {
  WeightTable table{};
  for (int c = 0; c < 256; ++c) table[static_cast<size_t>(c)] = static_cast<uint8_t>(c * w / 255);
  return table;
}

bool Is24BitWithMask(const CRasterImage& image) { return image.HasValidMask() && image.GetMaskBitsPerPixel() == 8; }

// Adds the weighted picture into the rows (rgb, stride) at (x, y): every
// channel c (premultiplied by its alpha when the picture has a mask) adds
// table[c] to the byte below.
void AddWeighted(const CRasterImage& picture, const WeightTable& table, uint8_t* rgb, int64_t stride, int32_t x,
                 int32_t y) {
  const int32_t w = picture.GetWidth(), h = picture.GetHeight();
  const bool masked = Is24BitWithMask(picture);
  for (int32_t row = 0; row < h; ++row) {
    const uint8_t* src = picture.GetRow(row);
    uint8_t* dst = rgb + (y + row) * stride + int64_t{x} * 3;
    if (!masked) {
      for (int32_t i = 0; i < w * 3; ++i) dst[i] = static_cast<uint8_t>(dst[i] + table[src[i]]);
    } else {
      const uint8_t* alpha = picture.GetMaskRow(row);
      for (int32_t i = 0; i < w; ++i) {
        const unsigned a = alpha[i];
        for (int c = 0; c < 3; ++c) {
          const unsigned v = src[i * 3 + c] * a / 255;
          dst[i * 3 + c] = static_cast<uint8_t>(dst[i * 3 + c] + table[v]);
        }
      }
    }
  }
}

}  // namespace

int FadeWeight(int step) { return CosineRamp(step, kFadeSteps); }

int BlackBackground(int, int, uint8_t* red, uint8_t* green, uint8_t* blue) {
  *red = *green = *blue = 0;
  return 255;
}

void FitCanvas(int32_t canvasWidth, int32_t canvasHeight, int32_t clientWidth, int32_t clientHeight,
               int32_t* displayWidth, int32_t* displayHeight) {
  *displayWidth = *displayHeight = 0;
  if (canvasWidth <= 0 || canvasHeight <= 0 || clientWidth <= 0 || clientHeight <= 0) return;
  int64_t w = canvasWidth, h = canvasHeight;
  if (canvasWidth > clientWidth || canvasHeight > clientHeight) {
    if (int64_t{clientHeight} * canvasWidth > int64_t{clientWidth} * canvasHeight) {
      w = clientWidth;
      h = int64_t{canvasHeight} * clientWidth / canvasWidth;
    } else {
      w = int64_t{canvasWidth} * clientHeight / canvasHeight;
      h = clientHeight;
    }
  }
  // A sliver of a canvas still keeps one pixel.
  *displayWidth = static_cast<int32_t>(std::max<int64_t>(w, 1));
  *displayHeight = static_cast<int32_t>(std::max<int64_t>(h, 1));
}

SLIDE_PICTURE ComposeSlideFrame(const CAnimFrame* frames, int count, int current, int32_t canvasWidth,
                                int32_t canvasHeight, int32_t clientWidth, int32_t clientHeight) {
  SLIDE_PICTURE out;
  if (!frames || count <= 0 || current < 0 || current >= count) return out;
  CLayerStack stack(canvasWidth, canvasHeight);
  auto add = [&](const CAnimFrame& frame) {
    if (!frame.m_image.IsEmpty()) {
      stack.AddImage(frame.m_image, frame.m_nLeft, frame.m_nTop);
      out.picture = frame.m_image;
    }
    if (!frame.m_selection.IsEmpty()) {
      stack.AddImage(frame.m_selection, frame.m_rcSelection.left + frame.m_nLeft,
                     frame.m_rcSelection.top + frame.m_nTop);
      out.picture = frame.m_selection;
    }
  };
  for (int i = 0; i < current; ++i)
    if ((frames[i].m_nFlags & 0x0C) <= 4) add(frames[i]);
  add(frames[current]);
  if (stack.GetCount() == 0) return SLIDE_PICTURE{};

  LayerRect bounds;
  stack.GetBounds(&bounds);
  const int32_t boundsWidth = bounds.right - bounds.left + 1, boundsHeight = bounds.bottom - bounds.top + 1;
  if (stack.GetCount() >= 2) {
    CRasterImage rendered;
    if (!rendered.Create(boundsWidth, boundsHeight, 24) || !rendered.CreateMask()) return SLIDE_PICTURE{};
    stack.Render(bounds, rendered.GetWritableBits(), rendered.GetStride(), rendered.GetWritableMaskBits(),
                 rendered.GetMaskStride());
    if (rendered.GetMaskState() == 2) rendered.RemoveMask();
    out.picture = std::move(rendered);
  }

  FitCanvas(canvasWidth, canvasHeight, clientWidth, clientHeight, &out.displayWidth, &out.displayHeight);
  if (out.displayWidth == 0) {
    // No client area yet (or no canvas): show the picture as it is.
    out.displayWidth = std::max(canvasWidth, 1);
    out.displayHeight = std::max(canvasHeight, 1);
  }
  if (out.displayWidth != canvasWidth || out.displayHeight != canvasHeight) {
    const int32_t w = static_cast<int32_t>(std::max<int64_t>(1, int64_t{boundsWidth} * out.displayWidth / canvasWidth));
    const int32_t h =
        static_cast<int32_t>(std::max<int64_t>(1, int64_t{boundsHeight} * out.displayHeight / canvasHeight));
    out.picture = ReduceImage(out.picture, w, h);
    out.pictureLeft = static_cast<int32_t>(int64_t{out.displayWidth} * bounds.left / canvasWidth);
    out.pictureTop = static_cast<int32_t>(int64_t{out.displayHeight} * bounds.top / canvasHeight);
  } else {
    out.pictureLeft = bounds.left;
    out.pictureTop = bounds.top;
  }
  if (out.picture.IsEmpty()) return SLIDE_PICTURE{};
  return out;
}

CRasterImage ScaleImageByAlpha(int a, const CRasterImage& image) {
  CRasterImage copy = image;
  if (copy.IsEmpty() || copy.GetBitsPerPixel() != 24) return copy;
  const bool masked = Is24BitWithMask(copy);
  if (a == 0) {
    copy.RemoveMask();
    copy.Clear();
    return copy;
  }
  if (a < 0 || a >= 256 || (a == 255 && !masked)) return copy;
  const WeightTable table = MakeWeightTable(a);
  CRasterImage out;
  if (!out.Create(copy.GetWidth(), copy.GetHeight(), 24)) return CRasterImage{};
  AddWeighted(copy, table, out.GetWritableBits(), out.GetStride(), 0, 0);
  return out;
}

BLEND_GEOMETRY GetBlendGeometry(const CRasterImage& newPicture, const CRasterImage& oldPicture, int dx, int dy) {
  BLEND_GEOMETRY g;
  if (oldPicture.IsEmpty()) {
    g.width = newPicture.GetWidth();
    g.height = newPicture.GetHeight();
    return g;
  }
  const int64_t left = std::min(0, dx), top = std::min(0, dy);
  const int64_t right = std::max<int64_t>(newPicture.GetWidth(), int64_t{dx} + oldPicture.GetWidth());
  const int64_t bottom = std::max<int64_t>(newPicture.GetHeight(), int64_t{dy} + oldPicture.GetHeight());
  g.width = static_cast<int32_t>(std::min<int64_t>(right - left, kMaxImageSide + 1));
  g.height = static_cast<int32_t>(std::min<int64_t>(bottom - top, kMaxImageSide + 1));
  g.oldX = std::max(dx, 0);
  g.oldY = std::max(dy, 0);
  g.newX = std::max(-dx, 0);
  g.newY = std::max(-dy, 0);
  return g;
}

bool BlendPicturesInto(const CRasterImage& newPicture, const CRasterImage& oldPicture, int dx, int dy, int w,
                       uint8_t* rgb, int64_t stride) {
  if (newPicture.IsEmpty() || newPicture.GetBitsPerPixel() != 24) return false;
  if (!oldPicture.IsEmpty() && oldPicture.GetBitsPerPixel() != 24) return false;
  w = std::clamp(w, 0, 255);
  const BLEND_GEOMETRY g = GetBlendGeometry(newPicture, oldPicture, dx, dy);
  if (g.width > kMaxImageSide || g.height > kMaxImageSide) return false;
  const WeightTable newTable = MakeWeightTable(w), oldTable = MakeWeightTable(255 - w);
  const bool hasOld = !oldPicture.IsEmpty();
  if (Is24BitWithMask(newPicture) || (hasOld && Is24BitWithMask(oldPicture))) {
    // Pictures with alpha: a black base, then each picture added premultiplied.
    for (int32_t row = 0; row < g.height; ++row) std::memset(rgb + row * stride, 0, static_cast<size_t>(g.width) * 3);
    if (hasOld) AddWeighted(oldPicture, oldTable, rgb, stride, g.oldX, g.oldY);
    AddWeighted(newPicture, newTable, rgb, stride, g.newX, g.newY);
    return true;
  }
  // Opaque pictures: each row in one pass, span by span (both pictures, one
  // of them, or black).
  const int32_t ow = hasOld ? oldPicture.GetWidth() : 0, oh = hasOld ? oldPicture.GetHeight() : 0;
  const int32_t nw = newPicture.GetWidth(), nh = newPicture.GetHeight();
  for (int32_t y = 0; y < g.height; ++y) {
    uint8_t* dst = rgb + y * stride;
    const bool oldRow = hasOld && y >= g.oldY && y < g.oldY + oh;
    const bool newRow = y >= g.newY && y < g.newY + nh;
    const int32_t o0 = oldRow ? g.oldX : 0, o1 = oldRow ? g.oldX + ow : 0;
    const int32_t n0 = newRow ? g.newX : 0, n1 = newRow ? g.newX + nw : 0;
    const uint8_t* os = oldRow ? oldPicture.GetRow(y - g.oldY) - int64_t{o0} * 3 : nullptr;
    const uint8_t* ns = newRow ? newPicture.GetRow(y - g.newY) - int64_t{n0} * 3 : nullptr;
    for (int32_t x = 0; x < g.width;) {
      const bool inOld = oldRow && x >= o0 && x < o1, inNew = newRow && x >= n0 && x < n1;
      int32_t end = g.width;
      for (int32_t b : {o0, o1, n0, n1})
        if (b > x && b < end) end = b;
      const int32_t first = x * 3, last = end * 3;
      if (inOld && inNew) {
        for (int32_t i = first; i < last; ++i) dst[i] = static_cast<uint8_t>(oldTable[os[i]] + newTable[ns[i]]);
      } else if (inOld) {
        for (int32_t i = first; i < last; ++i) dst[i] = oldTable[os[i]];
      } else if (inNew) {
        for (int32_t i = first; i < last; ++i) dst[i] = newTable[ns[i]];
      } else {
        std::memset(dst + first, 0, static_cast<size_t>(last - first));
      }
      x = end;
    }
  }
  return true;
}

CRasterImage BlendPictures(const CRasterImage& newPicture, const CRasterImage& oldPicture, int dx, int dy, int w) {
  if (oldPicture.IsEmpty()) return ScaleImageByAlpha(w, newPicture);
  const BLEND_GEOMETRY g = GetBlendGeometry(newPicture, oldPicture, dx, dy);
  CRasterImage out;
  if (g.width <= 0 || g.height <= 0 || !out.Create(g.width, g.height, 24)) return out;
  if (!BlendPicturesInto(newPicture, oldPicture, dx, dy, w, out.GetWritableBits(), out.GetStride()))
    return CRasterImage{};
  return out;
}

FADE_PAIR MakeFadePair(const SLIDE_PICTURE& oldSlide, const SLIDE_PICTURE& newSlide, int32_t clientWidth,
                       int32_t clientHeight) {
  FADE_PAIR pair;
  auto to24 = [](const CRasterImage& image) {
    if (image.IsEmpty() || image.GetBitsPerPixel() == 24) return image;
    return ConvertTo24Bit(image);
  };
  pair.oldPicture = to24(oldSlide.picture);
  pair.newPicture = to24(newSlide.picture);
  const int oldLeft = oldSlide.pictureLeft + (clientWidth - oldSlide.displayWidth) / 2;
  const int oldTop = oldSlide.pictureTop + (clientHeight - oldSlide.displayHeight) / 2;
  const int newLeft = newSlide.pictureLeft + (clientWidth - newSlide.displayWidth) / 2;
  const int newTop = newSlide.pictureTop + (clientHeight - newSlide.displayHeight) / 2;
  pair.dx = oldLeft - newLeft;
  pair.dy = oldTop - newTop;
  return pair;
}
