#include "editor/ViewCursors.h"

#include <wx/image.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "resources/CommandIds.h"

namespace {

constexpr int kSize = 32;

// Shapes drawn on a 32 x 32 grid in three layers: "fill" (white, with a
// one-pixel black edge around it), then "ink" (black) and "light" (white)
// on top.
class CCursorCanvas {
 public:
  enum LAYER { FILL, INK, LIGHT };
  CCursorCanvas() : m_layer{std::vector<uint8_t>(kSize * kSize), std::vector<uint8_t>(kSize * kSize),
                            std::vector<uint8_t>(kSize * kSize)} {}

  void Disc(LAYER layer, double cx, double cy, double outer, double inner = -1) {
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        if (d <= outer && d >= inner) Set(layer, x, y);
      }
  }
  // A thick segment with round ends.
  void Line(LAYER layer, double x0, double y0, double x1, double y1, double width) {
    const double dx = x1 - x0, dy = y1 - y0, len2 = std::max(1e-9, dx * dx + dy * dy), half = width / 2;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        const double t = std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0, 1.0);
        if (std::hypot(x0 + t * dx - px, y0 + t * dy - py) <= half) Set(layer, x, y);
      }
  }
  void Box(LAYER layer, int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) Set(layer, x, y);
  }

  wxImage Image(int hotX, int hotY) const {
    wxImage image(kSize, kSize, true);
    image.InitAlpha();
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        int value = -1;  // transparent
        if (Get(FILL, x, y))
          value = 255;
        else if (Get(FILL, x - 1, y) || Get(FILL, x + 1, y) || Get(FILL, x, y - 1) || Get(FILL, x, y + 1))
          value = 0;
        if (Get(INK, x, y)) value = 0;
        if (Get(LIGHT, x, y)) value = 255;
        const auto v = static_cast<unsigned char>(value < 0 ? 0 : value);
        image.SetRGB(x, y, v, v, v);
        image.SetAlpha(x, y, value < 0 ? 0 : 255);
      }
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, hotX);
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, hotY);
    return image;
  }

 private:
  void Set(LAYER layer, int x, int y) {
    if (x >= 0 && y >= 0 && x < kSize && y < kSize) m_layer[layer][y * kSize + x] = 1;
  }
  bool Get(LAYER layer, int x, int y) const {
    return x >= 0 && y >= 0 && x < kSize && y < kSize && m_layer[layer][y * kSize + x];
  }
  std::vector<uint8_t> m_layer[3];
};

void Hand(CCursorCanvas& c, bool closed) {
  using L = CCursorCanvas;
  c.Box(L::FILL, 9, closed ? 12 : 14, 23, 26);
  c.Line(L::FILL, 10, 25, 22, 25, 4);
  if (closed) {
    for (int i = 0; i < 4; ++i) c.Disc(L::FILL, 11 + 3.5 * i, 12, 2.2);
    for (int i = 1; i < 4; ++i) c.Line(L::INK, 9.5 + 3.5 * i, 11, 9.5 + 3.5 * i, 14, 1);
    c.Line(L::FILL, 9, 17, 7, 14, 3);
  } else {
    for (int i = 0; i < 4; ++i) c.Line(L::FILL, 11 + 3.5 * i, i == 0 || i == 3 ? 8 : 5, 11 + 3.5 * i, 16, 3);
    for (int i = 1; i < 4; ++i) c.Line(L::INK, 9.25 + 3.5 * i, 6, 9.25 + 3.5 * i, 15, 1);
    c.Line(L::FILL, 9, 21, 5, 15, 3);
  }
}

void Magnifier(CCursorCanvas& c, bool plus) {
  using L = CCursorCanvas;
  c.Disc(L::FILL, 12, 12, 9);
  c.Disc(L::INK, 12, 12, 9, 7);
  c.Line(L::FILL, 19, 19, 27, 27, 5);
  c.Line(L::INK, 19.5, 19.5, 26.5, 26.5, 3);
  c.Line(L::INK, 8, 12, 16, 12, 2);
  if (plus) c.Line(L::INK, 12, 8, 12, 16, 2);
}

}  // namespace

int ChooseToolCursor(const TOOL_CURSOR_STATE& state) {
  if (state.blinkCount > 0) return state.blinkCount % 2 == 0 ? VIEW_CURSOR_REFUSED_EVEN : VIEW_CURSOR_REFUSED_ODD;
  if (!state.overImage) return VIEW_CURSOR_ARROW;
  if (state.tool == ID_TOOL_RECT_SELECT) return VIEW_CURSOR_RECT_SELECT;
  if (state.tool == ID_TOOL_MAGIC_WAND) return VIEW_CURSOR_MAGIC_WAND;
  if (state.tool == ID_TOOL_MOVE) return VIEW_CURSOR_MOVE;
  if (state.tool == ID_TOOL_FREE_SCROLL) return state.scrolling ? VIEW_CURSOR_SCROLLING : VIEW_CURSOR_FREE_SCROLL;
  if (state.tool == ID_TOOL_ZOOM) return state.ctrlDown ? VIEW_CURSOR_ZOOM_OUT : VIEW_CURSOR_ZOOM_IN;
  return VIEW_CURSOR_ARROW;
}

wxImage DrawViewCursor(int cursor) {
  using L = CCursorCanvas;
  CCursorCanvas c;
  switch (cursor) {
    case VIEW_CURSOR_MAGIC_WAND:
      c.Line(L::FILL, 11, 11, 27, 27, 4);
      c.Line(L::INK, 21, 21, 27, 27, 2);
      c.Line(L::INK, 1, 6, 11, 6, 1.5);
      c.Line(L::INK, 6, 1, 6, 11, 1.5);
      c.Line(L::INK, 3, 3, 9, 9, 1.2);
      c.Line(L::INK, 3, 9, 9, 3, 1.2);
      return c.Image(6, 6);
    case VIEW_CURSOR_FREE_SCROLL:
    case VIEW_CURSOR_SCROLLING:
      Hand(c, cursor == VIEW_CURSOR_SCROLLING);
      return c.Image(16, 16);
    case VIEW_CURSOR_ZOOM_IN:
    case VIEW_CURSOR_ZOOM_OUT:
      Magnifier(c, cursor == VIEW_CURSOR_ZOOM_IN);
      return c.Image(12, 12);
    case VIEW_CURSOR_REFUSED_EVEN:
      c.Disc(L::FILL, 15.5, 15.5, 10.6);
      c.Disc(L::INK, 15.5, 15.5, 10.6, 7.6);
      c.Line(L::INK, 9, 22, 22, 9, 3);
      return c.Image(15, 15);
    case VIEW_CURSOR_REFUSED_ODD:
      c.Disc(L::FILL, 15.5, 15.5, 10.6);
      c.Disc(L::INK, 15.5, 15.5, 10.6);
      c.Line(L::LIGHT, 9, 22, 22, 9, 3);
      return c.Image(15, 15);
    default:
      return wxImage();
  }
}

const wxCursor& GetViewCursor(int cursor) {
  // Kept for the whole run (never destroyed after the toolkit is gone).
  static auto* cursors = new std::map<int, wxCursor>;
  auto found = cursors->find(cursor);
  if (found != cursors->end()) return found->second;
  wxCursor made;
  if (cursor == VIEW_CURSOR_RECT_SELECT) {
    made = wxCursor(wxCURSOR_CROSS);
  } else if (cursor == VIEW_CURSOR_MOVE) {
    made = wxCursor(wxCURSOR_SIZING);
  } else {
    const wxImage image = DrawViewCursor(cursor);
    made = image.IsOk() ? wxCursor(image) : wxCursor(wxCURSOR_ARROW);
  }
  return cursors->emplace(cursor, made).first->second;
}
