#include "editor/model/ViewGeometry.h"

#include <algorithm>

#include "base/ImageGeometry.h"
#include "imaging/LayerStack.h"

namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The zoom as a magnification m >= 1 or a reduction r >= 1 (one of them 1).
void Factors(int zoom, int& magnify, int& reduce) {
  magnify = zoom > 1 ? zoom : 1;
  reduce = zoom < -1 ? -zoom : 1;
}

void AddKeptFrame(CLayerStack& stack, const CAnimFrame& frame) {
  if (!frame.m_image.IsEmpty()) stack.AddImage(frame.m_image, frame.m_nLeft, frame.m_nTop);
  if (!frame.m_selection.IsEmpty())
    stack.AddImage(frame.m_selection, frame.m_nLeft + frame.m_rcSelection.left, frame.m_nTop + frame.m_rcSelection.top);
}

}  // namespace

void GetZoomedSize(int width, int height, int zoom, int& displayWidth, int& displayHeight) {
  int m, r;
  Factors(zoom, m, r);
  displayWidth = width * m / r;
  displayHeight = height * m / r;
}

int ZoomInStep(int zoom) {
  if (zoom > kMaxZoom - 1) return zoom;
  if (zoom == -1 || zoom == 0) zoom = 1;
  return zoom + 1;
}

int ZoomOutStep(int zoom) {
  if (zoom < -(kMaxZoom - 1)) return zoom;
  if (zoom == 1 || zoom == 0) zoom = -1;
  return zoom - 1;
}

int BestFitZoom(int width, int height, int areaWidth, int areaHeight) {
  int zoom = -1;
  for (;;) {
    int w, h;
    GetZoomedSize(width, height, zoom, w, h);
    if ((w <= areaWidth && h <= areaHeight) || zoom <= -kMaxZoom) break;
    --zoom;
  }
  return zoom == -1 ? 1 : zoom;
}

Rect GetImageRect(const VIEW_GEOMETRY& g) {
  int w, h;
  GetZoomedSize(g.canvasWidth, g.canvasHeight, g.zoom, w, h);
  Rect r;
  r.left = w < g.clientWidth ? (g.clientWidth - w) / 2 : 0;
  r.right = r.left + w;
  r.top = g.captionHeight + h < g.clientHeight ? (g.clientHeight - g.captionHeight - h) / 2 : 0;
  r.bottom = r.top + h;
  return r;
}

Point ClientToImage(const VIEW_GEOMETRY& g, Point p) {
  const Rect r = GetImageRect(g);
  int m, red;
  Factors(g.zoom, m, red);
  const int x = p.x + g.scrollX - r.left, y = p.y + g.scrollY - r.top;
  return Point{FloorDiv(x * red, m), FloorDiv(y * red, m)};
}

Point ImageToClient(const VIEW_GEOMETRY& g, Point p) {
  const Rect r = GetImageRect(g);
  int m, red;
  Factors(g.zoom, m, red);
  return Point{p.x * m / red + r.left - g.scrollX, p.y * m / red + r.top - g.scrollY};
}

FRAME_COMPOSITE BuildFrameComposite(const std::vector<CAnimFrame>& frames, int canvasWidth, int canvasHeight,
                                    int current, bool currentOnly, bool playing, int playFrame) {
  FRAME_COMPOSITE out;
  if (currentOnly) return out;
  const int count = static_cast<int>(frames.size());
  const int end = playing ? count - 1 : std::min(current, count);
  CLayerStack stack(canvasWidth, canvasHeight);
  for (int i = 0; i < end; ++i)
    if (frames[static_cast<size_t>(i)].StaysUnderNext()) AddKeptFrame(stack, frames[static_cast<size_t>(i)]);
  if (stack.GetCount() == 0) return out;
  LayerRect box;
  stack.GetBounds(&box);
  const int width = box.right - box.left + 1, height = box.bottom - box.top + 1;
  if (CheckImageGeometry(width, height, 24) != 0 || !out.image.Create(width, height, 24) || !out.image.CreateMask()) {
    out.image.Free();
    return out;
  }
  out.left = box.left;
  out.top = box.top;
  if (playing) {
    stack.RemoveAll();
    for (int i = 0; i <= std::min(playFrame, count - 1); ++i)
      if (frames[static_cast<size_t>(i)].StaysUnderNext()) {
        AddKeptFrame(stack, frames[static_cast<size_t>(i)]);
        out.composedFrame = i;
      }
    if (stack.GetCount() == 0) return out;
  }
  stack.Render(box, out.image.GetWritableBits(), out.image.GetStride(), out.image.GetWritableMaskBits(),
               out.image.GetMaskStride());
  return out;
}
