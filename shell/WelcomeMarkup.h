#pragma once
// The welcome page's small markup language and its layout, free of any
// window: words laid out with word wrap, bold text, bulleted list items with
// indented follow-on lines, and command links whose words become clickable
// rectangles. Text sizes come from a measurer, so tests can use a fixed-width
// one.
//
// Markup: the text splits into tokens at '<', ' ' and '>'; a token right
// after '<' is a tag, any other a word. Tags: b, /b (bold on, off); br, ul,
// /ul (line break); li (bullet, item begins), /li (line break, item ends);
// cmd:KEYWORD, /cmd (link begins, ends); "-" (takes back the space after the
// previous word). Other tags are ignored.

#include <string>
#include <vector>

namespace welcome {

// The four fonts of the page.
enum MarkupFont { FONT_NORMAL, FONT_UNDERLINED, FONT_BOLD, FONT_BOLD_UNDERLINED, FONT_COUNT };

class ITextMeasurer {
 public:
  virtual ~ITextMeasurer() = default;
  virtual int TextWidth(const std::string& text, MarkupFont font) const = 0;
  virtual int TextHeight(MarkupFont font) const = 0;
};

struct MarkupToken {
  std::string text;
  bool tag = false;
  bool spaceAfter = false;  // the character right after the token is ' '
  bool operator==(const MarkupToken&) const = default;
};

std::vector<MarkupToken> TokenizeMarkup(const std::string& markup);

// A rectangle in client coordinates; right and bottom are outside it.
struct LinkRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const LinkRect&) const = default;
};

struct LaidWord {
  std::string text;   // with a trailing " " when the space is drawn too (inside a link)
  int x = 0, y = 0;
  MarkupFont font = FONT_NORMAL;
  bool link = false;  // drawn blue
};

struct LinkRecord {
  LinkRect rect;
  std::string keyword;
};

struct MarkupLayout {
  int lineHeight = 0;
  int spaceWidth = 0;
  std::vector<LaidWord> words;
  std::vector<LinkRect> bullets;  // 6 x 6 filled circles
  std::vector<LinkRecord> links;
};

constexpr int kPageMargin = 20;
constexpr int kBulletSize = 6;

// Lays the markup out in a client area of the given width and height.
MarkupLayout LayOutMarkup(const std::string& markup, int width, int height, const ITextMeasurer& measure);

// The first link whose rectangle holds the point, or null.
const LinkRecord* HitTestLinks(const MarkupLayout& layout, int x, int y);

// The command id a link keyword sends, or 0 for a keyword without a command.
int CommandForKeyword(const std::string& keyword);

// The page's text.
std::string WelcomeMarkupText();

}  // namespace welcome
