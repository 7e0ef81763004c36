#include "shell/RulerLayout.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Rows of each digit, five columns ('1' uses three), X = pixel set.
const char* const kDigitRows[10][7] = {
    {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."},
    {".X.", "XX.", ".X.", ".X.", ".X.", ".X.", "XXX"},
    {".XXX.", "X...X", "....X", "..XX.", ".X...", "X....", "XXXXX"},
    {".XXX.", "X...X", "....X", ".XXX.", "....X", "X...X", ".XXX."},
    {"...X.", "..XX.", ".X.X.", "X..X.", "XXXXX", "...X.", "...X."},
    {"XXXXX", "X....", "X....", "XXXX.", "....X", "X...X", ".XXX."},
    {".XXX.", "X...X", "X....", "XXXX.", "X...X", "X...X", ".XXX."},
    {"XXXXX", "X...X", "....X", "...X.", "..X..", "..X..", "..X.."},
    {".XXX.", "X...X", "X...X", ".XXX.", "X...X", "X...X", ".XXX."},
    {".XXX.", "X...X", "X...X", ".XXXX", "....X", "...X.", ".XX.."},
};

}  // namespace

RULER_RECT RulerArea(int clientWidth, int clientHeight, bool vertical) {
  if (vertical) return {1, 0, clientWidth - 3, clientHeight};
  return {kRulerLead, 5, clientWidth, clientHeight - 3};
}

RULER_RECT RulerSpan(const RULER_RECT& area, bool vertical, int offset, int length) {
  RULER_RECT s = area;
  if (vertical) {
    s.top = area.top + offset;
    s.bottom = std::min(area.bottom, s.top + length + 4);
    s.top = std::max(s.top, area.top);
  } else {
    s.left = area.left + offset - 2;
    s.right = std::min(area.right, s.left + length + 4);
    s.left = std::max(s.left, area.left);
  }
  if (s.IsEmpty()) return {};
  return s;
}

RULER_RECT RulerTickRect(const RULER_RECT& span) {
  return {span.left + 2, span.top + 2, span.right - 2, span.bottom - 2};
}

int PixelTickStep(int zoom) {
  switch (zoom) {
    case -1:
    case 1:
    case 2: return 5;
    case 3:
    case 4:
    case 5: return 6;
    default: return zoom >= 6 ? zoom : 4;
  }
}

int PixelLabelValue(int distance, int zoom) {
  if (zoom < -1) return distance * -zoom;
  if (zoom >= 2) return distance / zoom;
  return distance;
}

RULER_MARKS PixelRulerMarks(const RULER_RECT& r, bool vertical, int zoom) {
  RULER_MARKS marks;
  const int step = PixelTickStep(zoom);
  if (!vertical) {
    const int bottom = r.bottom - 3, right = r.right - 2;
    for (int k = 0;; ++k) {
      const int x = r.left + 2 + k * step;
      if (x >= right) break;
      const int from = k % 10 == 0 ? r.top + 1 : k % 5 == 0 ? bottom - 5 : bottom - 2;
      marks.ticks.push_back({x, from, bottom + 1});
      if (k % 10 == 0) marks.labels.push_back({x + 2, r.top + 4, PixelLabelValue(k * step, zoom)});
    }
  } else {
    const int right = r.right - 3, bottom = r.bottom - 2;
    for (int k = 0;; ++k) {
      const int y = r.top + 2 + k * step;
      if (y >= bottom) break;
      const int from = k % 10 == 0 ? r.left + 1 : k % 5 == 0 ? right - 5 : right - 2;
      marks.ticks.push_back({y, from, right + 1});
      if (k % 10 == 0) marks.labels.push_back({r.left + 4, y + 2, PixelLabelValue(k * step, zoom)});
    }
  }
  return marks;
}

RULER_MARKS UnitRulerMarks(const RULER_RECT& rect, bool vertical, int length, float units) {
  RULER_MARKS marks;
  // Nothing to divide: no units (the ruler's state before the owner sets
  // them) or no length.
  if (!(units > 0.0f) || length <= 0 || !std::isfinite(units)) return marks;
  RULER_RECT r = rect;
  int t, d = 6;
  if (vertical) {
    r.bottom -= 2;
    r.top += 2;
    r.right -= 3;
    t = r.left;
  } else {
    r.right -= 2;
    r.left += 2;
    r.bottom -= 3;
    t = r.top + 1;
  }
  const double L = length;
  for (int i = 0; i <= 4; ++i) {
    const double n = static_cast<double>(1 << i) * units;
    if (static_cast<long long>(L / n + 0.5) < 4) break;
    const long long count = static_cast<long long>(n);
    for (long long j = 0; j <= count; ++j) {
      const int at = static_cast<int>(static_cast<double>(j) * L / n + 0.5);
      if (vertical) {
        const int y = r.top + at;
        marks.ticks.push_back({y, t + 1, r.right + 1});
        if (i == 0) marks.labels.push_back({r.left + 4, y + 2, static_cast<int>(j)});
      } else {
        const int x = r.left + at;
        marks.ticks.push_back({x, t + 1, r.bottom + 1});
        if (i == 0) marks.labels.push_back({x + 2, r.top + 4, static_cast<int>(j)});
      }
    }
    t += d;
    d /= 2;
  }
  return marks;
}

std::vector<RULER_PIXEL> RulerNumberPixels(bool vertical, int value, int x, int y) {
  std::vector<RULER_PIXEL> pixels;
  const std::string digits = std::to_string(value < 0 ? -value : value);
  for (const char c : digits) {
    const int digit = c - '0';
    const int shift = vertical && digit == 1 ? 1 : 0;
    for (int row = 0; row < 7; ++row) {
      const char* line = kDigitRows[digit][row];
      for (int col = 0; line[col]; ++col)
        if (line[col] == 'X') pixels.push_back({x + col + shift, y + row});
    }
    if (vertical)
      y += 8;
    else
      x += digit == 1 ? 4 : 6;
  }
  return pixels;
}

bool RulerMarkerLine(int clientWidth, int clientHeight, bool vertical, int offset, int length, int marker,
                     RULER_RECT& line) {
  if (marker <= 0 || marker < offset || marker > offset + length - 1) return false;
  if (vertical) {
    const RULER_RECT clip{3, 0, clientWidth - 5, clientHeight - 2};
    const int y = marker + 2;
    if (y < clip.top || y >= clip.bottom || clip.IsEmpty()) return false;
    line = {clip.left, y, clip.right, y + 1};
  } else {
    const RULER_RECT clip{kRulerLead, 7, clientWidth - 2, clientHeight - 5};
    const int x = marker + kRulerLead;
    if (x < clip.left || x >= clip.right || clip.IsEmpty()) return false;
    line = {x, clip.top, x + 1, clip.bottom};
  }
  return true;
}
