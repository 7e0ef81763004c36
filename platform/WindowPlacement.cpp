#include "platform/WindowPlacement.h"

#include <cstdio>

#include "base/Profile.h"

std::string FormatWindowPlacement(const WINDOWPLACEMENT& p) {
  char text[160];
  std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd, p.minX, p.minY, p.maxX,
                p.maxY, p.left, p.top, p.right, p.bottom);
  return text;
}

bool ParseWindowPlacement(const std::string& text, WINDOWPLACEMENT& placement) {
  WINDOWPLACEMENT p;
  if (std::sscanf(text.c_str(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", &p.flags, &p.showCmd, &p.minX, &p.minY, &p.maxX,
                  &p.maxY, &p.left, &p.top, &p.right, &p.bottom) != 10)
    return false;
  p.length = sizeof(WINDOWPLACEMENT);
  placement = p;
  return true;
}

bool ReadWindowPlacement(const std::string& section, const std::string& value, WINDOWPLACEMENT& placement) {
  const std::string text = GetProfileString(section, value, "");
  return !text.empty() && ParseWindowPlacement(text, placement);
}

void WriteWindowPlacement(const WINDOWPLACEMENT& placement, const std::string& section, const std::string& value) {
  WriteProfileString(section, value, FormatWindowPlacement(placement));
}
