#include "editor/model/CropRect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "imaging/PixelRect.h"

namespace {

// Far below a pixel of the largest image (1 / 32767), far above the error
// of a few double operations.
constexpr double kRoundingNoise = 1e-7;

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// Keeps a dragged edge at least `gap` from the fixed one: on the side it is
// on (on `preferred`, -1 or +1, when it sits on the fixed edge), or on the
// other side when that would leave 0..1.
void KeepGap(double& moving, double fixed, double gap, int preferred) {
  if (std::abs(moving - fixed) >= gap) return;
  int side = moving > fixed ? 1 : moving < fixed ? -1 : preferred;
  double placed = fixed + side * gap;
  if (placed < 0.0 || placed > 1.0) placed = fixed - side * gap;
  moving = Clamp01(placed);
}

// A move clamped to lo..hi (none when the rectangle is wider than the image).
double ClampMove(double d, double lo, double hi) { return lo <= hi ? std::clamp(d, lo, hi) : 0.0; }

int SideOf(double moving, double fixed, int preferred) {
  return moving > fixed ? 1 : moving < fixed ? -1 : preferred;
}

// A corner handle under the constraint: the longer side (relative to the
// aspect) is cut back so that width / height = aspect.
void FitCorner(double& mx, double fx, double& my, double fy, double aspect) {
  const int sx = SideOf(mx, fx, 1), sy = SideOf(my, fy, 1);
  const double w = std::abs(mx - fx), h = std::abs(my - fy);
  if (h > 0.0 && w / h > aspect)
    mx = fx + sx * h * aspect;
  else
    my = fy + sy * w / aspect;
  // Cutting back never leaves 0..1; the clamps only guard rounding.
  mx = Clamp01(mx);
  my = Clamp01(my);
}

// A side handle under the constraint: the dragged side's length sets the
// other direction's length through `factor` (the aspect for a top or bottom
// handle, 1 / aspect for a left or right one), moving the edge `s` away from
// `sf`. When that edge would leave 0..1 it stops there and the dragged edge
// comes back to match the shorter length.
void FitSide(double& p, double pf, double& s, double sf, int sPreferred, double factor) {
  const int ps = SideOf(p, pf, 1), ss = SideOf(s, sf, sPreferred);
  s = sf + ss * std::abs(p - pf) * factor;
  if (s < 0.0 || s > 1.0) {
    s = Clamp01(s);
    p = Clamp01(pf + ps * std::abs(s - sf) / factor);
  }
}

bool FitsInt16(int64_t value) {
  return value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max();
}

Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

Rect Offset(const Rect& r, int32_t dx, int32_t dy) { return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

}  // namespace

double CropPresetRatio(int constraint, bool landscape) {
  switch (constraint) {
    case CROP_CONSTRAINT_3X5:
      return landscape ? 5.0 / 3.0 : 0.6;
    case CROP_CONSTRAINT_4X6:
      return landscape ? 1.5 : 4.0 / 6.0;
    case CROP_CONSTRAINT_5X7:
      return landscape ? 1.4 : 5.0 / 7.0;
    case CROP_CONSTRAINT_8X10:
      return landscape ? 1.25 : 0.8;
    default:
      return -1.0;
  }
}

double CropCustomRatio(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0) return -1.0;
  return static_cast<double>(width) / static_cast<double>(height);
}

Rect CropImageRect(int clientWidth, int clientHeight, int imageWidth, int imageHeight) {
  const int64_t m = kCropHandleHalfSize;
  const int64_t aw = clientWidth - 2 * m, ah = clientHeight - 2 * m;
  if (aw <= 0 || ah <= 0 || imageWidth <= 0 || imageHeight <= 0) return Rect{};
  int64_t dw, dh;
  if (int64_t{imageWidth} * ah < int64_t{imageHeight} * aw) {
    dw = int64_t{imageWidth} * ah / imageHeight;
    dh = ah;
  } else {
    dw = aw;
    dh = int64_t{imageHeight} * aw / imageWidth;
  }
  const int32_t left = static_cast<int32_t>((clientWidth - dw) / 2), top = static_cast<int32_t>((clientHeight - dh) / 2);
  return Rect{left, top, left + static_cast<int32_t>(dw), top + static_cast<int32_t>(dh)};
}

CCropRect::CCropRect(int imageWidth, int imageHeight)
    : m_width(std::max(0, imageWidth)), m_height(std::max(0, imageHeight)) {}

double CCropRect::MinWidth() const { return m_width > 0 ? 1.0 / m_width : 0.0; }

double CCropRect::MinHeight() const { return m_height > 0 ? 1.0 / m_height : 0.0; }

void CCropRect::SetAspect(double ratio) {
  m_aspect = ratio;
  if (ratio <= 0.0 || !std::isfinite(ratio)) {
    m_aspect = -1.0;
    return;
  }
  if (m_width <= 0 || m_height <= 0) {
    m_aspect = -1.0;
    return;
  }
  const double aspect = ratio * m_height / m_width;
  m_aspect = aspect;
  double w = std::max(x1, x2) - std::min(x1, x2), h = std::max(y1, y2) - std::min(y1, y2);
  w = std::max(w, MinWidth());
  h = std::max(h, MinHeight());
  const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
  double hw, hh;
  if (w / aspect > 1.0) {
    hw = aspect * h / 2;
    hh = h / 2;
  } else {
    hw = w / 2;
    hh = w / aspect / 2;
  }
  hw = std::min(hw, 0.5);
  hh = std::min(hh, 0.5);
  const double ccx = std::clamp(cx, hw, 1.0 - hw), ccy = std::clamp(cy, hh, 1.0 - hh);
  x1 = ccx - hw;
  x2 = ccx + hw;
  y1 = ccy - hh;
  y2 = ccy + hh;
}

Rect CCropRect::GetPixelRect() const {
  if (m_width <= 0 || m_height <= 0) return Rect{};
  const double W = m_width, H = m_height;
  const double minX = Clamp01(std::min(x1, x2)), maxX = Clamp01(std::max(x1, x2));
  const double minY = Clamp01(std::min(y1, y2)), maxY = Clamp01(std::max(y1, y2));
  // Truncation toward zero, after a nudge far below a pixel so that an edge
  // the mouse put on pixel 310 is not read as 309.99999999.
  const auto whole = [](double v) { return static_cast<int32_t>(v + kRoundingNoise); };
  Rect r;
  r.left = whole(minX * W);
  r.top = whole(minY * H);
  r.right = m_width - whole((1.0 - maxX) * W);
  r.bottom = m_height - whole((1.0 - maxY) * H);
  // At least one pixel, inside the image.
  r.left = std::clamp(r.left, 0, m_width - 1);
  r.top = std::clamp(r.top, 0, m_height - 1);
  r.right = std::clamp(r.right, r.left + 1, m_width);
  r.bottom = std::clamp(r.bottom, r.top + 1, m_height);
  return r;
}

std::string CCropRect::GetSizeText() const {
  const Rect r = GetPixelRect();
  char text[64];
  std::snprintf(text, sizeof text, "Width: %d  Height: %d", r.Width(), r.Height());
  return text;
}

Point CCropRect::GetHandlePoint(int mode, const Rect& imageRect) const {
  double fx = 0, fy = 0;
  switch (mode) {
    case CROP_DRAG_TOP_LEFT: fx = x1; fy = y1; break;
    case CROP_DRAG_TOP: fx = (x1 + x2) / 2; fy = y1; break;
    case CROP_DRAG_TOP_RIGHT: fx = x2; fy = y1; break;
    case CROP_DRAG_LEFT: fx = x1; fy = (y1 + y2) / 2; break;
    case CROP_DRAG_RIGHT: fx = x2; fy = (y1 + y2) / 2; break;
    case CROP_DRAG_BOTTOM_LEFT: fx = x1; fy = y2; break;
    case CROP_DRAG_BOTTOM: fx = (x1 + x2) / 2; fy = y2; break;
    case CROP_DRAG_BOTTOM_RIGHT: fx = x2; fy = y2; break;
    default: break;
  }
  return Point{imageRect.left + static_cast<int32_t>(fx * imageRect.Width()),
               imageRect.top + static_cast<int32_t>(fy * imageRect.Height())};
}

Rect CCropRect::GetHandleRect(int mode, const Rect& imageRect) const {
  const Point p = GetHandlePoint(mode, imageRect);
  const int m = kCropHandleHalfSize;
  return Rect{p.x - m, p.y - m, p.x + m, p.y + m};
}

int CCropRect::HitTest(int x, int y, const Rect& imageRect) const {
  for (int mode = CROP_DRAG_TOP_LEFT; mode <= CROP_DRAG_BOTTOM_RIGHT; ++mode) {
    const Rect r = GetHandleRect(mode, imageRect);
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return mode;
  }
  if (imageRect.Width() <= 0 || imageRect.Height() <= 0) return CROP_DRAG_NONE;
  const double px = static_cast<double>(x - imageRect.left) / imageRect.Width();
  const double py = static_cast<double>(y - imageRect.top) / imageRect.Height();
  if (std::min(x1, x2) < px && px < std::max(x1, x2) && std::min(y1, y2) < py && py < std::max(y1, y2))
    return CROP_DRAG_MOVE;
  return CROP_DRAG_NONE;
}

void CCropRect::Drag(int mode, int x, int y, int lastX, int lastY, const Rect& imageRect) {
  const int dw = imageRect.Width(), dh = imageRect.Height();
  if (mode == CROP_DRAG_MOVE) {
    const double dx = dw > 0 ? static_cast<double>(x - lastX) / dw : 0.0;
    const double dy = dh > 0 ? static_cast<double>(y - lastY) / dh : 0.0;
    const double mx = ClampMove(dx, -std::min(x1, x2), 1.0 - std::max(x1, x2));
    const double my = ClampMove(dy, -std::min(y1, y2), 1.0 - std::max(y1, y2));
    x1 += mx;
    x2 += mx;
    y1 += my;
    y2 += my;
    return;
  }
  if (mode < CROP_DRAG_TOP_LEFT || mode > CROP_DRAG_BOTTOM_RIGHT) return;
  const double px = dw > 0 ? std::min(1.0, std::max(0, x - imageRect.left) / static_cast<double>(dw)) : 0.0;
  const double py = dh > 0 ? std::min(1.0, std::max(0, y - imageRect.top) / static_cast<double>(dh)) : 0.0;

  // The edges the handle drags, the ones opposite them, and the side each
  // dragged edge normally lies on (-1 left or top, +1 right or bottom).
  double* mx = nullptr;
  double* my = nullptr;
  double* fx = nullptr;
  double* fy = nullptr;
  int sideX = 0, sideY = 0;
  if (mode == CROP_DRAG_TOP_LEFT || mode == CROP_DRAG_LEFT || mode == CROP_DRAG_BOTTOM_LEFT) {
    mx = &x1, fx = &x2, sideX = -1;
  } else if (mode == CROP_DRAG_TOP_RIGHT || mode == CROP_DRAG_RIGHT || mode == CROP_DRAG_BOTTOM_RIGHT) {
    mx = &x2, fx = &x1, sideX = 1;
  }
  if (mode == CROP_DRAG_TOP_LEFT || mode == CROP_DRAG_TOP || mode == CROP_DRAG_TOP_RIGHT) {
    my = &y1, fy = &y2, sideY = -1;
  } else if (mode == CROP_DRAG_BOTTOM_LEFT || mode == CROP_DRAG_BOTTOM || mode == CROP_DRAG_BOTTOM_RIGHT) {
    my = &y2, fy = &y1, sideY = 1;
  }
  if (mx) {
    *mx = px;
    KeepGap(*mx, *fx, MinWidth(), sideX);
  }
  if (my) {
    *my = py;
    KeepGap(*my, *fy, MinHeight(), sideY);
  }

  const double a = m_aspect;
  if (a > 0.0) {
    switch (mode) {
      case CROP_DRAG_TOP_LEFT:
      case CROP_DRAG_TOP_RIGHT:
      case CROP_DRAG_BOTTOM_LEFT:
      case CROP_DRAG_BOTTOM_RIGHT:
        FitCorner(*mx, *fx, *my, *fy, a);
        break;
      case CROP_DRAG_TOP:  // the width follows, through the left edge
        FitSide(y1, y2, x1, x2, -1, a);
        break;
      case CROP_DRAG_BOTTOM:  // through the right edge
        FitSide(y2, y1, x2, x1, 1, a);
        break;
      case CROP_DRAG_LEFT:  // the height follows, through the bottom edge
        FitSide(x1, x2, y2, y1, 1, 1.0 / a);
        break;
      case CROP_DRAG_RIGHT:  // through the top edge
        FitSide(x2, x1, y1, y2, -1, 1.0 / a);
        break;
      default:
        break;
    }
  }
}

FRAME_EDIT_RESULT CropFrameToCanvasRect(std::vector<CAnimFrame>& frames, int current, const Rect& rect) {
  FRAME_EDIT_RESULT result;
  if (current < 0 || current >= static_cast<int>(frames.size()) || rect.IsEmpty()) return result;
  CAnimFrame& frame = frames[static_cast<size_t>(current)];
  if (frame.IsEmpty()) return result;
  const int32_t left = frame.m_nLeft, top = frame.m_nTop;
  // The parts inside the rectangle, relative to the image and the selection.
  Rect inImage, inSelection;
  if (!frame.m_image.IsEmpty())
    inImage = Intersect(Offset(rect, -left, -top), Rect{0, 0, frame.m_image.GetWidth(), frame.m_image.GetHeight()});
  const Rect sel = frame.m_rcSelection;
  if (!frame.m_selection.IsEmpty())
    inSelection = Intersect(Offset(rect, -left - sel.left, -top - sel.top),
                            Rect{0, 0, frame.m_selection.GetWidth(), frame.m_selection.GetHeight()});
  // A frame without a pixel inside would be left empty: no change.
  if (inImage.IsEmpty() && inSelection.IsEmpty()) return result;
  if (!inImage.IsEmpty() && (!FitsInt16(int64_t{left} + inImage.left) || !FitsInt16(int64_t{top} + inImage.top)))
    return result;
  if (inImage.IsEmpty() && !frame.m_image.IsEmpty() &&
      (!FitsInt16(int64_t{left} + sel.left) || !FitsInt16(int64_t{top} + sel.top)))
    return result;

  CRasterImage image, selection;
  if (!inImage.IsEmpty()) {
    image = CropImage(frame.m_image, inImage);
    if (image.IsEmpty()) return result;
  }
  if (!inSelection.IsEmpty()) {
    selection = CropImage(frame.m_selection, inSelection);
    if (selection.IsEmpty()) return result;
  }

  // The image: cropped, the frame moving to the part's corner and the
  // selection's rectangle (relative to the frame) moving back by as much;
  // or dropped, the frame going to 0, 0 and the selection keeping its place.
  Rect rcSelection = sel;
  if (!frame.m_image.IsEmpty()) {
    int32_t dx, dy;
    if (!inImage.IsEmpty()) {
      dx = inImage.left;
      dy = inImage.top;
    } else {
      dx = -left;
      dy = -top;
    }
    rcSelection = Offset(rcSelection, -dx, -dy);
    frame.m_nLeft = static_cast<int16_t>(left + dx);
    frame.m_nTop = static_cast<int16_t>(top + dy);
    frame.m_image = std::move(image);
  }
  // The selection: cropped where it is, or dropped.
  if (!frame.m_selection.IsEmpty()) {
    if (!inSelection.IsEmpty()) {
      frame.m_rcSelection = Offset(inSelection, rcSelection.left, rcSelection.top);
      frame.m_selection = std::move(selection);
    } else {
      frame.m_selection = CRasterImage();
      frame.m_rcSelection = Rect{};
    }
  }
  result.changed = true;
  result.label = "Crop Special";
  result.hint = 1;
  return result;
}
