#include "editor/model/SelectionTools.h"

#include <algorithm>

#include "imaging/ImageCompose.h"
#include "imaging/PixelRect.h"
#include "imaging/SelectionMask.h"

namespace {

bool FitsInt16(int64_t v) { return v >= -32768 && v <= 32767; }

// Reads a selection's mask: 8-bit alpha non-zero or a 1-bit set bit. A
// selection without a mask is opaque everywhere.
class CMaskReader {
 public:
  explicit CMaskReader(const CRasterImage& image)
      : m_w(image.GetWidth()), m_h(image.GetHeight()), m_has(image.HasValidMask()) {
    if (m_has) {
      m_bits = image.GetMaskBits();
      m_stride = image.GetMaskStride();
      m_bpp = image.GetMaskBitsPerPixel();
    }
  }
  bool IsSet(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= m_w || y >= m_h) return false;
    if (!m_has) return true;
    const uint8_t* row = m_bits + static_cast<int64_t>(y) * m_stride;
    if (m_bpp == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    if (m_bpp == 8) return row[x] != 0;
    return true;
  }
  bool HasMask() const { return m_has; }

 private:
  int32_t m_w, m_h;
  bool m_has;
  const uint8_t* m_bits = nullptr;
  int32_t m_stride = 0, m_bpp = 0;
};

void AddPixel(std::vector<ANTS_RUN>& runs, int32_t x, int32_t y, bool white) {
  if (!runs.empty()) {
    ANTS_RUN& last = runs.back();
    if (last.y == y && last.white == white && last.x + last.length == x) {
      ++last.length;
      return;
    }
  }
  runs.push_back(ANTS_RUN{x, y, 1, white});
}

// Selection pixel under a window offset from the shown rectangle's left/top.
int32_t ToSelection(int32_t offset, int zoom) {
  if (zoom > 1) return offset / zoom;
  if (zoom < -1) return offset * -zoom;
  return offset;
}

}  // namespace

Rect GetFrameContentRect(const CAnimFrame& frame) {
  Rect r{};
  bool any = false;
  if (!frame.m_image.IsEmpty()) {
    r = Rect{frame.m_nLeft, frame.m_nTop, frame.m_nLeft + frame.m_image.GetWidth(),
             frame.m_nTop + frame.m_image.GetHeight()};
    any = true;
  }
  if (!frame.m_selection.IsEmpty()) {
    const Rect s{frame.m_nLeft + frame.m_rcSelection.left, frame.m_nTop + frame.m_rcSelection.top,
                 frame.m_nLeft + frame.m_rcSelection.left + frame.m_selection.GetWidth(),
                 frame.m_nTop + frame.m_rcSelection.top + frame.m_selection.GetHeight()};
    r = any ? Rect{std::min(r.left, s.left), std::min(r.top, s.top), std::max(r.right, s.right),
                   std::max(r.bottom, s.bottom)}
            : s;
  }
  return r;
}

RECUT_RESULT RecutSelection(CAnimFrame& frame, const SELECTION_MASK_BUILDER& build) {
  CRasterImage content;
  Point pos{frame.m_nLeft, frame.m_nTop};
  Point oldAt{0, 0};
  const bool hadSelection = !frame.m_selection.IsEmpty();
  if (!hadSelection) {
    content = frame.m_image;
  } else if (frame.m_image.IsEmpty()) {
    content = frame.m_selection;
    pos = Point{frame.m_nLeft + frame.m_rcSelection.left, frame.m_nTop + frame.m_rcSelection.top};
  } else {
    content = ComposeImages(frame.m_image, frame.m_selection, frame.m_rcSelection.left, frame.m_rcSelection.top);
    const int ox = std::min(frame.m_rcSelection.left, 0), oy = std::min(frame.m_rcSelection.top, 0);
    pos = Point{frame.m_nLeft + ox, frame.m_nTop + oy};
    oldAt = Point{frame.m_rcSelection.left - ox, frame.m_rcSelection.top - oy};
  }
  if (content.IsEmpty()) return RECUT_NOTHING;
  CRasterImage current;
  if (hadSelection) current = PlaceSelectionMask(frame.m_selection, oldAt, content.GetWidth(), content.GetHeight());
  const CRasterImage mask = build(content, pos, hadSelection && !current.IsEmpty() ? &current : nullptr);
  Rect maskBounds;
  if (mask.IsEmpty() || !GetMaskImageBounds(mask, &maskBounds)) return RECUT_EMPTY_MASK;
  Rect rest;
  CRasterImage selection = ExtractSelection(content, mask, true, &rest);
  if (selection.IsEmpty()) return RECUT_EMPTY_MASK;
  if (!FitsInt16(int64_t{pos.x} + rest.left) || !FitsInt16(int64_t{pos.y} + rest.top)) return RECUT_EMPTY_MASK;
  const bool whole = rest.left == 0 && rest.top == 0 && rest.right == content.GetWidth() &&
                     rest.bottom == content.GetHeight();
  if (rest.IsEmpty()) {
    // No opaque pixel remains: the content's place holds only the selection.
    frame.m_image.Free();
    frame.m_nLeft = static_cast<int16_t>(pos.x);
    frame.m_nTop = static_cast<int16_t>(pos.y);
  } else {
    frame.m_image = whole ? std::move(content) : CropImage(content, rest);
    frame.m_nLeft = static_cast<int16_t>(pos.x + rest.left);
    frame.m_nTop = static_cast<int16_t>(pos.y + rest.top);
  }
  const int sx = pos.x + maskBounds.left - frame.m_nLeft, sy = pos.y + maskBounds.top - frame.m_nTop;
  frame.m_rcSelection = Rect{sx, sy, sx + selection.GetWidth(), sy + selection.GetHeight()};
  frame.m_selection = std::move(selection);
  return RECUT_CHANGED;
}

bool DeselectFrame(CAnimFrame& frame) {
  if (frame.m_selection.IsEmpty()) return false;
  const int32_t busy = frame.m_bBusy;
  frame.MergeSelection();
  frame.m_bBusy = busy;
  return frame.m_selection.IsEmpty();
}

void ClampMoveOffset(const Rect& moving, int canvasWidth, int canvasHeight, int& dx, int& dy) {
  dx = std::clamp(dx, -moving.right, canvasWidth - moving.left);
  dy = std::clamp(dy, -moving.bottom, canvasHeight - moving.top);
}

void FindAntsRuns(const CRasterImage& selection, const Rect& shown, const Rect& clip, int zoom, int phase,
                  std::vector<ANTS_RUN>& runs) {
  runs.clear();
  if (selection.IsEmpty() || clip.IsEmpty()) return;
  const CMaskReader mask(selection);
  if (!mask.HasMask()) {
    auto colour = [phase](int32_t x, int32_t y) { return ((x + y + phase) & 4) != 0; };
    if (shown.top >= clip.top && shown.top < clip.bottom)
      for (int32_t x = clip.left; x < clip.right; ++x) AddPixel(runs, x, shown.top, colour(x, shown.top));
    const int32_t yTop = std::max(clip.top, shown.top + 1), yBottom = std::min(clip.bottom, shown.bottom - 1);
    for (int32_t y = yTop; y < yBottom; ++y) {
      if (shown.left >= clip.left && shown.left < clip.right) AddPixel(runs, shown.left, y, colour(shown.left, y));
      if (shown.right - 1 >= clip.left && shown.right - 1 < clip.right && shown.right - 1 != shown.left)
        AddPixel(runs, shown.right - 1, y, colour(shown.right - 1, y));
    }
    const int32_t bottom = shown.bottom - 1;
    if (bottom != shown.top && bottom >= clip.top && bottom < clip.bottom)
      for (int32_t x = clip.left; x < clip.right; ++x) AddPixel(runs, x, bottom, colour(x, bottom));
    return;
  }
  // Column and row tables from window pixels to selection pixels.
  const int32_t w = clip.Width(), h = clip.Height();
  std::vector<int32_t> columns(w);
  for (int32_t i = 0; i < w; ++i) columns[i] = ToSelection(clip.left + i - shown.left, zoom);
  std::vector<uint8_t> edges(w);
  int32_t cachedRow = INT32_MIN;
  for (int32_t j = 0; j < h; ++j) {
    const int32_t sy = ToSelection(clip.top + j - shown.top, zoom);
    if (sy != cachedRow) {
      cachedRow = sy;
      int32_t lastColumn = INT32_MIN;
      uint8_t lastEdge = 0;
      for (int32_t i = 0; i < w; ++i) {
        const int32_t sx = columns[i];
        if (sx != lastColumn) {
          lastColumn = sx;
          lastEdge = mask.IsSet(sx, sy) && (!mask.IsSet(sx - 1, sy) || !mask.IsSet(sx + 1, sy) ||
                                            !mask.IsSet(sx, sy - 1) || !mask.IsSet(sx, sy + 1));
        }
        edges[i] = lastEdge;
      }
    }
    for (int32_t i = 0; i < w; ++i)
      if (edges[i]) AddPixel(runs, clip.left + i, clip.top + j, ((i + j + phase) & 4) != 0);
  }
}
