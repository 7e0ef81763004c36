// Text drawn through the toolkit (Pango and Cairo): the drawing's size and
// margins, smoothed glyphs with partial coverage against plain glyphs with
// none, alignment of the lines, styles, and literal text.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "shell/TextRendering.h"

namespace {

TEXT_STYLE Style(int size = 36, bool smoothed = true) {
  TEXT_STYLE style;
  style.faceName = "DejaVu Sans";
  style.pointSize = size;
  style.smoothed = smoothed;
  return style;
}

TEXT_COVERAGE Render(const std::string& text, const TEXT_STYLE& style) {
  TEXT_COVERAGE c;
  EXPECT_EQ(RenderTextCoverage(text, style, &c), TEXT_RENDERED) << text;
  return c;
}

int Ink(const TEXT_COVERAGE& c) {
  int n = 0;
  for (const uint8_t v : c.values) n += v > 0;
  return n;
}

// First and last inked column of the rows [top, bottom); -1 when none.
std::pair<int, int> InkColumns(const TEXT_COVERAGE& c, int top, int bottom) {
  int first = -1, last = -1;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < c.width; ++x)
      if (c.values[static_cast<size_t>(y) * c.width + x] >= 128) {
        if (first < 0 || x < first) first = x;
        last = std::max(last, x);
      }
  return {first, last};
}

std::pair<int, int> InkRows(const TEXT_COVERAGE& c) {
  int first = -1, last = -1;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      if (c.values[static_cast<size_t>(y) * c.width + x] >= 128) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

TEST(TextRendering, SmoothedGlyphsHavePartialCoverageAndPlainOnesNone) {
  const TEXT_COVERAGE smooth = Render("Quick Brown", Style(36, true));
  const TEXT_COVERAGE plain = Render("Quick Brown", Style(36, false));
  std::set<int> smoothLevels(smooth.values.begin(), smooth.values.end());
  std::set<int> plainLevels(plain.values.begin(), plain.values.end());
  EXPECT_GT(smoothLevels.size(), 20u);
  EXPECT_EQ(plainLevels, (std::set<int>{0, 255}));
  EXPECT_TRUE(smoothLevels.count(255));  // solid inside the strokes
  // Same layout either way.
  EXPECT_EQ(smooth.width, plain.width);
  EXPECT_EQ(smooth.height, plain.height);
  // The two agree on where the ink is, up to the edges.
  int differ = 0;
  for (size_t i = 0; i < plain.values.size(); ++i) differ += (smooth.values[i] >= 128) != (plain.values[i] != 0);
  EXPECT_LT(differ, Ink(plain) / 4) << differ << " of " << Ink(plain);
}

TEST(TextRendering, SizeFollowsThePointSizeAtNinetySixDotsPerInch) {
  // 36 points are 48 pixels of em height: a capital H of DejaVu Sans
  // (cap height 0.729 em) is 35 pixels high; 72 points twice that.
  for (const int size : {36, 72}) {
    const TEXT_COVERAGE c = Render("H", Style(size, false));
    const auto rows = InkRows(c);
    const int capHeight = rows.second - rows.first + 1;
    EXPECT_NEAR(capHeight, size * 96 / 72 * 0.729, 1.5) << size;
  }
  // Margins of "WW" on both sides: the drawing is wider than the ink by that.
  const TEXT_COVERAGE c = Render("I", Style(36, false));
  const auto cols = InkColumns(c, 0, c.height);
  EXPECT_GT(cols.first, 40);
  EXPECT_GT(c.width - 1 - cols.second, 40);
  // Sizes outside 1..200 are taken as the nearest end.
  EXPECT_EQ(Render("H", Style(500, false)).height, Render("H", Style(200, false)).height);
}

TEST(TextRendering, LinesAreAlignedWithinTheWidestLine) {
  const std::string text = "WW\nWWWWWW\nWWWW";
  for (const int alignment : {TEXT_ALIGN_LEFT, TEXT_ALIGN_CENTER, TEXT_ALIGN_RIGHT}) {
    TEXT_STYLE style = Style(24, false);
    style.alignment = alignment;
    const TEXT_COVERAGE c = Render(text, style);
    ASSERT_EQ(c.height % 3, 0);
    const int line = c.height / 3;
    std::pair<int, int> cols[3];
    for (int i = 0; i < 3; ++i) cols[i] = InkColumns(c, i * line, (i + 1) * line);
    for (int i = 0; i < 3; ++i) {
      if (alignment == TEXT_ALIGN_LEFT) {
        EXPECT_NEAR(cols[i].first, cols[1].first, 1) << i;
      } else if (alignment == TEXT_ALIGN_RIGHT) {
        EXPECT_NEAR(cols[i].second, cols[1].second, 1) << i;
      } else {
        EXPECT_NEAR(cols[i].first + cols[i].second, cols[1].first + cols[1].second, 2) << i;
      }
    }
    EXPECT_LT(cols[0].second - cols[0].first, cols[2].second - cols[2].first);
  }
}

TEST(TextRendering, StylesChangeTheInk) {
  const TEXT_STYLE normal = Style(36, false);
  const int base = Ink(Render("Text", normal));
  TEXT_STYLE bold = normal;
  bold.bold = true;
  EXPECT_GT(Ink(Render("Text", bold)), base * 11 / 10);
  // Underline adds ink below the baseline of letters without descenders,
  // strikeout across their middle.
  TEXT_STYLE under = normal;
  under.underline = true;
  const TEXT_COVERAGE u = Render("mm", under);
  const TEXT_COVERAGE m = Render("mm", normal);
  EXPECT_GT(InkRows(u).second, InkRows(m).second);
  TEXT_STYLE strike = normal;
  strike.strikeout = true;
  const TEXT_COVERAGE s = Render("mm", strike);
  EXPECT_GT(Ink(s), Ink(m) * 11 / 10);
  EXPECT_EQ(InkRows(s), InkRows(m));  // within the letters' height
  // Italic slants: the top of an I moves right of its foot.
  TEXT_STYLE italic = normal;
  italic.italic = true;
  const TEXT_COVERAGE i = Render("I", italic);
  const auto rows = InkRows(i);
  EXPECT_GT(InkColumns(i, rows.first, rows.first + 3).first, InkColumns(i, rows.second - 2, rows.second + 1).first + 3);
}

TEST(TextRendering, TextIsLiteralAndEmptyTextDrawsNothing) {
  const TEXT_STYLE style = Style(20, false);
  // No markup: the tags are drawn as characters.
  EXPECT_GT(Render("<b>x</b>", style).width, Render("x", style).width + 40);
  EXPECT_GT(Render("&amp;", style).width, Render("&", style).width + 20);
  TEXT_COVERAGE c;
  EXPECT_EQ(RenderTextCoverage("", style, &c), TEXT_NOTHING);
  EXPECT_TRUE(c.IsEmpty());
  EXPECT_EQ(RenderTextCoverage("\n\n", style, &c), TEXT_NOTHING);
  // Spaces have a width but no ink.
  ASSERT_EQ(RenderTextCoverage("   ", style, &c), TEXT_RENDERED);
  EXPECT_EQ(Ink(c), 0);
  // A line of 200-point text longer than a canvas can be is refused.
  EXPECT_EQ(RenderTextCoverage(std::string(400, 'W'), Style(200, false), &c), TEXT_TOO_LARGE);
}

}  // namespace
