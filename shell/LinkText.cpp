#include "shell/LinkText.h"

bool IsLinkWord(std::string_view word) { return word.starts_with("www.") || word.starts_with("http://"); }

std::string LinkTarget(std::string_view word) {
  if (word.starts_with("www.")) return "http://" + std::string(word);
  if (word.starts_with("http://")) return std::string(word);
  return {};
}

std::vector<LAYOUT_WORD> LayoutLinkText(const std::string& text, int width, const TextMeasure& measure) {
  std::vector<LAYOUT_WORD> words;
  const int space = measure(" ");
  int x = 0, line = 0;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
      x = 0;
      ++i;
      continue;
    }
    if (c == '\r') {
      ++i;
      continue;
    }
    if (c == ' ' || c == '\t') {
      x += c == '\t' ? 4 * space : space;
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' && text[end] != '\n')
      ++end;
    const std::string_view word(text.data() + i, end - i);
    LAYOUT_WORD w;
    w.begin = i;
    w.end = end;
    w.width = measure(word);
    w.link = IsLinkWord(word);
    if (width > 0 && x > 0 && x + w.width > width) {
      ++line;
      x = 0;
    }
    w.x = x;
    w.line = line;
    words.push_back(w);
    x += w.width;
    i = end;
  }
  return words;
}

int CountLayoutLines(const std::vector<LAYOUT_WORD>& words) { return words.empty() ? 0 : words.back().line + 1; }

std::string LinkAtPoint(const std::string& text, const std::vector<LAYOUT_WORD>& words, int lineHeight, int x, int y) {
  if (lineHeight <= 0 || y < 0) return {};
  const int line = y / lineHeight;
  for (const LAYOUT_WORD& w : words)
    if (w.line == line && x >= w.x && x < w.x + w.width)
      return w.link ? LinkTarget(std::string_view(text).substr(w.begin, w.end - w.begin)) : std::string();
  return {};
}
