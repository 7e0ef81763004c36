#pragma once
// Splits a command-line text into arguments: blanks separate them, and an
// argument that starts with a double quote runs to a double quote followed by
// a blank or the end of the text (quotes inside it stay). A quote that is
// never closed runs to the end. Argument 0 is the program path.

#include <string>
#include <vector>

class CCommandLineSplitter {
 public:
  explicit CCommandLineSplitter(const std::string& commandLine);
  int GetCount() const { return static_cast<int>(m_args.size()); }
  const std::string& operator[](int index) const { return m_args[static_cast<std::size_t>(index)]; }
  const std::vector<std::string>& Arguments() const { return m_args; }

 private:
  std::vector<std::string> m_args;
};
