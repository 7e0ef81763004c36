#pragma once
// Draws a text through the desktop's text stack (the toolkit's graphics
// context over Pango and Cairo) and measures its ink coverage.
//
// The text may hold several lines (separated by "\n"; "\r" is ignored) and
// is drawn literally (no markup, no mnemonic prefix). Each line is placed
// left, centred or right within the width of the widest line. The drawing is
// the text's width plus a side margin of the width of "WW" on either side
// (room for italic overhangs), and the lines' height. A point size becomes
// size x 96 / 72 pixels of em height.

#include <string>

#include "imaging/TextImage.h"

enum TEXT_ALIGNMENT { TEXT_ALIGN_LEFT = 0, TEXT_ALIGN_CENTER = 1, TEXT_ALIGN_RIGHT = 2 };

struct TEXT_STYLE {
  std::string faceName;  // empty: the toolkit's default face
  int pointSize = 36;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  int alignment = TEXT_ALIGN_LEFT;
  bool smoothed = true;  // anti-aliased glyphs; else every pixel is ink or not
};

enum TEXT_RENDER_RESULT {
  TEXT_RENDERED = 0,  // coverage holds the drawing
  TEXT_NOTHING = 1,   // the measured text is empty (no width or no height)
  TEXT_TOO_LARGE = 2, // the drawing would exceed 32767 pixels on a side
  TEXT_FAILED = 3,    // the toolkit could not draw
};

// Renders the text; coverage is 0 where nothing is drawn and 255 on solid ink.
TEXT_RENDER_RESULT RenderTextCoverage(const std::string& text, const TEXT_STYLE& style, TEXT_COVERAGE* coverage);
