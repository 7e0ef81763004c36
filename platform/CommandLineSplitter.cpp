#include "platform/CommandLineSplitter.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

CCommandLineSplitter::CCommandLineSplitter(const std::string& commandLine) {
  // Scanning stops at the end of the text (or an embedded NUL) in every
  // branch, also right after a closing quote at the very end.
  const std::string text = commandLine.substr(0, commandLine.find('\0'));
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (;;) {
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n) break;
    if (text[i] == '"') {
      const std::size_t start = ++i;
      std::size_t end = n;
      for (std::size_t j = start; j < n; ++j) {
        if (text[j] == '"' && (j + 1 == n || IsBlank(text[j + 1]))) {
          end = j;
          break;
        }
      }
      m_args.push_back(text.substr(start, end - start));
      i = end + 2;  // past the quote and the blank after it
    } else {
      const std::size_t start = i;
      while (i < n && !IsBlank(text[i])) ++i;
      m_args.push_back(text.substr(start, i - start));
      ++i;
    }
  }
}
