#include "formats/PersonalSignature.h"

#include <cctype>

#include "base/Profile.h"

const char* const kPersonalSignatureSection = "General";
const char* const kPersonalSignatureKey = "Personal Comments";

namespace {

// Ends with the program's web site (the address the Help menu opens).
std::string DefaultSignature() {
  return "Original file name: <Filename>\r\nCreated: <Date>, <Time>\r\n\r\nApplication: Pictoravell v3.5\r\n"
         "https://dorvex.example.org/";
}

// Replaces every occurrence of `what` (ASCII case ignored) by `with`; the
// replacement itself is never searched again.
void ReplaceNoCase(std::string& text, const std::string& what, const std::string& with) {
  if (what.empty()) return;
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string needle = lower(what);
  std::string result;
  const std::string haystack = lower(text);
  size_t at = 0;
  for (size_t hit; (hit = haystack.find(needle, at)) != std::string::npos; at = hit + needle.size()) {
    result.append(text, at, hit - at);
    result += with;
  }
  result.append(text, at, std::string::npos);
  text = std::move(result);
}

std::string FormatTime(const char* format, const std::tm& tm) {
  char buffer[64];
  const size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
  return std::string(buffer, n);
}

}  // namespace

std::string GetPersonalSignature() {
  return GetProfileString(kPersonalSignatureSection, kPersonalSignatureKey, DefaultSignature());
}

void SetPersonalSignature(const std::string& text) {
  WriteProfileString(kPersonalSignatureSection, kPersonalSignatureKey, text);
}

std::string ExpandSignature(const char* signature, const std::string& fileName, std::time_t when) {
  if (!signature) return {};
  std::string text = signature;
  if (when == 0) when = std::time(nullptr);
  std::tm tm{};
  localtime_r(&when, &tm);
  ReplaceNoCase(text, "<Filename>", fileName);
  ReplaceNoCase(text, "<Date>", FormatTime("%a, %b %d, %Y", tm));
  ReplaceNoCase(text, "<Time>", FormatTime("%I:%M:%S %p", tm));
  return text;
}
