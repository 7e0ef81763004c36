#include "editor/model/FrameEdits.h"

#include <algorithm>
#include <limits>

#include "imaging/ColorConversion.h"
#include "imaging/ImageFlip.h"
#include "imaging/Resample.h"
#include "imaging/Rotate.h"

namespace {

const char kTooLarge[] = "The result would be larger than 32767 pixels.";

CAnimFrame* FrameAt(std::vector<CAnimFrame>& frames, int current) {
  if (current < 0 || current >= static_cast<int>(frames.size())) return nullptr;
  return &frames[static_cast<size_t>(current)];
}

bool FitsInt16(int64_t value) {
  return value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max();
}

FRAME_EDIT_RESULT Refused() {
  FRAME_EDIT_RESULT result;
  result.refusal = kTooLarge;
  return result;
}

}  // namespace

std::string RotationLabel(int angle) { return "Rotate " + std::to_string(angle) + " \xC2\xB0"; }

FRAME_EDIT_RESULT FlipCurrentFrame(std::vector<CAnimFrame>& frames, int current, int flags) {
  FRAME_EDIT_RESULT result;
  CAnimFrame* frame = FrameAt(frames, current);
  if (!frame) return result;
  if (!frame->m_selection.IsEmpty()) {
    CRasterImage flipped = FlipImage(frame->m_selection, flags);
    if (flipped.IsEmpty()) return result;
    frame->m_selection = std::move(flipped);
    result.label = "Flip Selection";
  } else if (!frame->m_image.IsEmpty()) {
    CRasterImage flipped = FlipImage(frame->m_image, flags);
    if (flipped.IsEmpty()) return result;
    frame->m_image = std::move(flipped);
    result.label = "Flip Image";
  } else {
    return result;
  }
  result.changed = true;
  result.hint = 0;
  return result;
}

FRAME_EDIT_RESULT RotateCurrentFrame(std::vector<CAnimFrame>& frames, int16_t& canvasWidth, int16_t& canvasHeight,
                                     int current, int angle) {
  FRAME_EDIT_RESULT result;
  CAnimFrame* frame = FrameAt(frames, current);
  if (!frame || frame->IsEmpty()) return result;
  const bool selection = !frame->m_selection.IsEmpty();
  const CRasterImage& target = selection ? frame->m_selection : frame->m_image;
  CRasterImage turned = RotateImage(target, angle);
  if (turned.IsEmpty()) {
    // An image that turns into nothing opaque is no change; one whose turned
    // box passes the size limit is refused.
    const int64_t w = target.GetWidth(), h = target.GetHeight();
    if (w + h > kMaxCanvasSide) return Refused();
    return result;
  }
  const int32_t rw = turned.GetWidth(), rh = turned.GetHeight();
  result.label = RotationLabel(angle);
  if (selection) {
    const Rect& r = frame->m_rcSelection;
    const int64_t cx = (static_cast<int64_t>(r.left) + r.right) / 2;
    const int64_t cy = (static_cast<int64_t>(r.top) + r.bottom) / 2;
    Rect moved{static_cast<int32_t>(cx - rw / 2), static_cast<int32_t>(cy - rh / 2), 0, 0};
    moved.right = moved.left + rw;
    moved.bottom = moved.top + rh;
    frame->m_selection = std::move(turned);
    frame->m_rcSelection = moved;
    result.hint = 0;
  } else if (frames.size() == 1 && frame->m_nLeft == 0 && frame->m_nTop == 0 &&
             frame->m_image.GetWidth() == canvasWidth && frame->m_image.GetHeight() == canvasHeight) {
    canvasWidth = static_cast<int16_t>(rw);
    canvasHeight = static_cast<int16_t>(rh);
    frame->m_image = std::move(turned);
    result.hint = 1;
  } else {
    const int64_t cx = frame->m_nLeft + frame->m_image.GetWidth() / 2;
    const int64_t cy = frame->m_nTop + frame->m_image.GetHeight() / 2;
    const int64_t left = cx - rw / 2, top = cy - rh / 2;
    if (!FitsInt16(left) || !FitsInt16(top)) return Refused();
    // The selection keeps its place on the canvas.
    const int32_t shiftX = frame->m_nLeft - static_cast<int32_t>(left);
    const int32_t shiftY = frame->m_nTop - static_cast<int32_t>(top);
    frame->m_rcSelection.left += shiftX;
    frame->m_rcSelection.right += shiftX;
    frame->m_rcSelection.top += shiftY;
    frame->m_rcSelection.bottom += shiftY;
    frame->m_nLeft = static_cast<int16_t>(left);
    frame->m_nTop = static_cast<int16_t>(top);
    frame->m_image = std::move(turned);
    result.hint = 0;
  }
  result.changed = true;
  return result;
}

FRAME_EDIT_RESULT CropToSelection(std::vector<CAnimFrame>& frames, int current) {
  FRAME_EDIT_RESULT result;
  CAnimFrame* frame = FrameAt(frames, current);
  if (!frame || frame->m_image.IsEmpty() || frame->m_selection.IsEmpty()) return result;
  frame->m_image = CRasterImage();
  frame->m_rcSelection.left += frame->m_nLeft;
  frame->m_rcSelection.right += frame->m_nLeft;
  frame->m_rcSelection.top += frame->m_nTop;
  frame->m_rcSelection.bottom += frame->m_nTop;
  frame->m_nLeft = 0;
  frame->m_nTop = 0;
  result.changed = true;
  result.label = "Crop";
  result.hint = 1;
  return result;
}

FRAME_EDIT_RESULT DeleteSelection(std::vector<CAnimFrame>& frames, int current) {
  FRAME_EDIT_RESULT result;
  CAnimFrame* frame = FrameAt(frames, current);
  if (!frame || frame->m_selection.IsEmpty()) return result;
  frame->m_selection = CRasterImage();
  frame->m_rcSelection = Rect{};
  result.changed = true;
  result.label = "Delete";
  result.hint = 0;
  return result;
}

FRAME_EDIT_RESULT PasteIntoFrame(std::vector<CAnimFrame>& frames, int current, int32_t canvasWidth,
                                 int32_t canvasHeight, const CRasterImage& pasted) {
  FRAME_EDIT_RESULT result;
  CAnimFrame* frame = FrameAt(frames, current);
  if (!frame || pasted.IsEmpty() || canvasWidth < 1 || canvasHeight < 1) return result;
  // The centre, in canvas coordinates.
  int64_t cx = canvasWidth / 2, cy = canvasHeight / 2;
  if (!frame->m_selection.IsEmpty()) {
    cx = int64_t{frame->m_nLeft} + frame->m_rcSelection.left + frame->m_selection.GetWidth() / 2;
    cy = int64_t{frame->m_nTop} + frame->m_rcSelection.top + frame->m_selection.GetHeight() / 2;
  } else if (!frame->m_image.IsEmpty()) {
    cx = int64_t{frame->m_nLeft} + frame->m_image.GetWidth() / 2;
    cy = int64_t{frame->m_nTop} + frame->m_image.GetHeight() / 2;
  }
  if (!frame->m_selection.IsEmpty()) {
    frame->MergeSelection();
    // A selection that could not be merged would be lost under the paste.
    if (!frame->m_selection.IsEmpty()) return result;
  }
  CRasterImage selection = pasted;
  if (!frame->m_image.IsEmpty()) {
    const int bits = frame->m_image.GetBitsPerPixel();
    if (bits <= 8)
      selection = MapToPalette(pasted, 1 << bits, frame->m_image.GetPalette(), true);
    else if (pasted.GetBitsPerPixel() != 24)
      selection = ConvertTo24Bit(pasted);
    if (selection.IsEmpty()) return result;
  }
  cx = std::clamp<int64_t>(cx, 0, canvasWidth - 1);
  cy = std::clamp<int64_t>(cy, 0, canvasHeight - 1);
  const int64_t left = cx - selection.GetWidth() / 2 - frame->m_nLeft;
  const int64_t top = cy - selection.GetHeight() / 2 - frame->m_nTop;
  if (!FitsInt16(left) || !FitsInt16(top)) return result;
  frame->m_rcSelection = Rect{static_cast<int32_t>(left), static_cast<int32_t>(top),
                              static_cast<int32_t>(left + selection.GetWidth()),
                              static_cast<int32_t>(top + selection.GetHeight())};
  frame->m_selection = std::move(selection);
  result.changed = true;
  result.label = "Paste";
  result.hint = 0;
  return result;
}

FRAME_EDIT_RESULT SetFramesCanvasSize(std::vector<CAnimFrame>& frames, int16_t& canvasWidth,
                                      int16_t& canvasHeight, int32_t width, int32_t height, int32_t dx, int32_t dy) {
  FRAME_EDIT_RESULT result;
  if (width == canvasWidth && height == canvasHeight && dx == 0 && dy == 0) return result;
  if (width < 1 || height < 1 || width > kMaxCanvasSide || height > kMaxCanvasSide) return Refused();
  for (const CAnimFrame& frame : frames) {
    if (!frame.m_image.IsEmpty()) {
      if (!FitsInt16(static_cast<int64_t>(frame.m_nLeft) + dx) || !FitsInt16(static_cast<int64_t>(frame.m_nTop) + dy))
        return Refused();
    }
  }
  for (CAnimFrame& frame : frames) {
    if (!frame.m_image.IsEmpty()) {
      frame.m_nLeft = static_cast<int16_t>(frame.m_nLeft + dx);
      frame.m_nTop = static_cast<int16_t>(frame.m_nTop + dy);
    } else if (!frame.m_selection.IsEmpty()) {
      frame.m_rcSelection.left += dx;
      frame.m_rcSelection.right += dx;
      frame.m_rcSelection.top += dy;
      frame.m_rcSelection.bottom += dy;
    }
  }
  canvasWidth = static_cast<int16_t>(width);
  canvasHeight = static_cast<int16_t>(height);
  result.changed = true;
  result.label = "Canvas Size Change";
  result.hint = 1;
  return result;
}

bool GetFramesBounds(const std::vector<CAnimFrame>& frames, Rect& box) {
  bool any = false;
  auto add = [&](int64_t l, int64_t t, int64_t w, int64_t h) {
    if (w <= 0 || h <= 0) return;
    const Rect r{static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(l + w),
                 static_cast<int32_t>(t + h)};
    if (!any) {
      box = r;
      any = true;
      return;
    }
    box.left = std::min(box.left, r.left);
    box.top = std::min(box.top, r.top);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
  };
  for (const CAnimFrame& frame : frames) {
    if (!frame.m_image.IsEmpty())
      add(frame.m_nLeft, frame.m_nTop, frame.m_image.GetWidth(), frame.m_image.GetHeight());
    if (!frame.m_selection.IsEmpty())
      add(static_cast<int64_t>(frame.m_nLeft) + frame.m_rcSelection.left,
          static_cast<int64_t>(frame.m_nTop) + frame.m_rcSelection.top, frame.m_selection.GetWidth(),
          frame.m_selection.GetHeight());
  }
  return any;
}

bool CanFitCanvas(const std::vector<CAnimFrame>& frames, int32_t canvasWidth, int32_t canvasHeight) {
  Rect box;
  if (!GetFramesBounds(frames, box)) return false;
  return box.left != 0 || box.top != 0 || box.Width() != canvasWidth || box.Height() != canvasHeight;
}

FRAME_EDIT_RESULT FitCanvasToFrames(std::vector<CAnimFrame>& frames, int16_t& canvasWidth, int16_t& canvasHeight) {
  Rect box;
  if (!GetFramesBounds(frames, box)) return {};
  return SetFramesCanvasSize(frames, canvasWidth, canvasHeight, box.Width(), box.Height(), -box.left, -box.top);
}

FRAME_EDIT_RESULT ResizeCurrentFrame(std::vector<CAnimFrame>& frames, int16_t& canvasWidth, int16_t& canvasHeight,
                                     int current, int32_t width, int32_t height, int method, CANCELPROC cancel,
                                     PROGRESSPROC progress) {
  FRAME_EDIT_RESULT result;
  CAnimFrame* frame = FrameAt(frames, current);
  if (!frame || frame->IsEmpty()) return result;
  if (width < 1 || height < 1 || width > kMaxCanvasSide || height > kMaxCanvasSide) return Refused();
  const bool selection = !frame->m_selection.IsEmpty();
  const CRasterImage& target = selection ? frame->m_selection : frame->m_image;
  if (target.GetWidth() == width && target.GetHeight() == height) return result;
  CRasterImage resized = method == 0 ? ResizeNearest(target, width, height)
                                     : ResampleImage(target, width, height, method + 1, cancel, progress);
  if (resized.IsEmpty()) return result;
  result.label = "Image Size Change";
  result.hint = 1;
  result.changed = true;
  if (selection) {
    frame->m_selection = std::move(resized);
    frame->m_rcSelection.right = frame->m_rcSelection.left + width;
    frame->m_rcSelection.bottom = frame->m_rcSelection.top + height;
    return result;
  }
  if (frames.size() == 1 && frame->m_nLeft == 0 && frame->m_nTop == 0 &&
      frame->m_image.GetWidth() == canvasWidth && frame->m_image.GetHeight() == canvasHeight) {
    canvasWidth = static_cast<int16_t>(width);
    canvasHeight = static_cast<int16_t>(height);
  }
  frame->m_image = std::move(resized);
  return result;
}
