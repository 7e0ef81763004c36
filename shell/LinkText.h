#pragma once
// Window-free layout of a read-only text whose words beginning with "www."
// or "http://" are links: words are cut at carriage return, line feed, space
// and tab, placed left to right and wrapped at the width; a line feed starts
// a new line. The link controls paint the layout and hit-test on it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A word is a link when it begins with "www." or "http://" (case matters).
bool IsLinkWord(std::string_view word);
// What a click on the word opens: "http://" + word for "www." words, the
// word itself for "http://" words, else "".
std::string LinkTarget(std::string_view word);

struct LAYOUT_WORD {
  size_t begin = 0, end = 0;  // byte range in the text
  int x = 0, line = 0, width = 0;
  bool link = false;
};

// Measures a piece of text in pixels.
using TextMeasure = std::function<int(std::string_view)>;

// The words of the text with their places for a width (0 or less: no
// wrapping). A word wider than the width gets a line of its own.
std::vector<LAYOUT_WORD> LayoutLinkText(const std::string& text, int width, const TextMeasure& measure);
// The number of lines the layout uses (at least 1 for a non-empty text).
int CountLayoutLines(const std::vector<LAYOUT_WORD>& words);
// The link under a point of the layout (lines lineHeight apart), or "".
std::string LinkAtPoint(const std::string& text, const std::vector<LAYOUT_WORD>& words, int lineHeight, int x, int y);
