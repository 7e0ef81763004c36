#include "shell/WelcomeMarkup.h"

#include <algorithm>
#include <cstdio>

#include "resources/CommandIds.h"
#include "resources/Strings.h"

namespace welcome {

std::vector<MarkupToken> TokenizeMarkup(const std::string& markup) {
  std::vector<MarkupToken> tokens;
  const auto separator = [](char c) { return c == '<' || c == ' ' || c == '>'; };
  size_t i = 0;
  while (i < markup.size()) {
    if (separator(markup[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < markup.size() && !separator(markup[end])) ++end;
    MarkupToken token;
    token.text = markup.substr(i, end - i);
    token.tag = i > 0 && markup[i - 1] == '<';
    token.spaceAfter = end < markup.size() && markup[end] == ' ';
    tokens.push_back(std::move(token));
    i = end;
  }
  return tokens;
}

MarkupLayout LayOutMarkup(const std::string& markup, int width, int height, const ITextMeasurer& measure) {
  MarkupLayout layout;
  const int left = kPageMargin, top = kPageMargin, right = width - kPageMargin;
  (void)height;  // the page draws past the bottom rather than clipping words
  int tallest = 0;
  for (int f = 0; f < FONT_COUNT; ++f) tallest = std::max(tallest, measure.TextHeight(MarkupFont(f)));
  layout.lineHeight = tallest + 3;
  layout.spaceWidth = measure.TextWidth(" ", FONT_NORMAL);
  const int space = layout.spaceWidth;
  const int indent = 8 * space + 12;

  bool bold = false, link = false, listItem = false;
  std::string keyword;
  int x = left, y = top;
  const auto font = [&] { return bold ? (link ? FONT_BOLD_UNDERLINED : FONT_BOLD) : (link ? FONT_UNDERLINED : FONT_NORMAL); };
  const auto newLine = [&] {
    x = left;
    y += layout.lineHeight;
  };

  for (const MarkupToken& token : TokenizeMarkup(markup)) {
    const std::string& t = token.text;
    if (!token.tag) {
      const MarkupFont f = font();
      const int w = measure.TextWidth(t, f);
      const int lineStart = left + (listItem ? indent : 0);
      // A word too wide for any line stays where the line begins.
      if (x + w > right && x > lineStart) {
        newLine();
        if (listItem) x += indent;
      }
      LaidWord word{t, x, y, f, link};
      if (link) {
        LinkRecord record{{x, y, x + w, y + measure.TextHeight(f)}, keyword};
        if (token.spaceAfter) {
          word.text += ' ';
          record.rect.right += space;
        }
        layout.links.push_back(std::move(record));
      }
      layout.words.push_back(std::move(word));
      x += w + space;
    } else if (t == "br" || t == "ul" || t == "/ul" || t == "/li") {
      newLine();
      if (t == "/li") listItem = false;
    } else if (t == "li") {
      const int bx = x + 8 * space, by = y + (layout.lineHeight - kBulletSize) / 2;
      layout.bullets.push_back({bx, by, bx + kBulletSize, by + kBulletSize});
      listItem = true;
      x += indent;
    } else if (t == "b") {
      bold = true;
    } else if (t == "/b") {
      bold = false;
    } else if (t.rfind("cmd:", 0) == 0) {
      link = true;
      keyword = t.substr(4);
    } else if (t == "/cmd") {
      link = false;
      keyword.clear();
    } else if (t == "-") {
      x -= space;
    }
  }
  return layout;
}

const LinkRecord* HitTestLinks(const MarkupLayout& layout, int x, int y) {
  for (const LinkRecord& link : layout.links)
    if (link.rect.Contains(x, y)) return &link;
  return nullptr;
}

int CommandForKeyword(const std::string& keyword) {
  static const struct {
    const char* keyword;
    int command;
  } kTable[] = {
      {"open", ID_FILE_OPEN},          {"new", ID_FILE_NEW},         {"multiburst", ID_MULTIBURST},
      {"file_sequence", ID_FILE_SEQUENCE}, {"browse", ID_BROWSE_PHOTOS}, {"help", ID_HELP_FINDER},
      {"web_help", ID_WEB_HELP},
  };
  for (const auto& row : kTable)
    if (keyword == row.keyword) return row.command;
  return 0;
}

std::string WelcomeMarkupText() {
  char version[32];
  std::snprintf(version, sizeof version, "Version %u.%u", 3u, 5u);
  return std::string("Welcome to <b>") + kProductName + " " + version +
         "</b><->. Please click one of the following links to start:<br><ul>"
         "<li><cmd:open>Open</cmd> existing image files or GIF animations</li>"
         "<li>Create an animation by importing a <cmd:multiburst>Multiburst Image</cmd> or a "
         "<cmd:file_sequence>File Sequence</cmd></li>"
         "<li><cmd:new>Create a new image</cmd> from scratch or using the Clipboard image</li>"
         "<li><cmd:browse>Go to the Browse area</cmd> to import photos from your digital camera, view a slide "
         "show, batch process images, email or publish pictures to the Web, or print a contact sheet</li>"
         "<li>Read the <cmd:help>Online Help Topics</cmd> or visit the <cmd:web_help>" +
         kProductName + " Help Web Site</cmd></li></ul>";
}

}  // namespace welcome
