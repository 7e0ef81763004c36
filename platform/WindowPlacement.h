#pragma once
// The main window's placement as the settings keep it: ten decimal numbers,
// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" (flags, show command, minimised x and y,
// maximised x and y, normal left, top, right, bottom).

#include <string>

constexpr unsigned kShowNormal = 1;
constexpr unsigned kShowMinimized = 2;
constexpr unsigned kShowMaximized = 3;

struct WINDOWPLACEMENT {
  unsigned length = sizeof(WINDOWPLACEMENT);
  unsigned flags = 0;
  unsigned showCmd = kShowNormal;
  int minX = -1, minY = -1;
  int maxX = -1, maxY = -1;
  int left = 0, top = 0, right = 0, bottom = 0;
};

std::string FormatWindowPlacement(const WINDOWPLACEMENT& placement);
// True only when all ten numbers were read.
bool ParseWindowPlacement(const std::string& text, WINDOWPLACEMENT& placement);

// Through the program's settings (base/Profile.h).
bool ReadWindowPlacement(const std::string& section, const std::string& value, WINDOWPLACEMENT& placement);
void WriteWindowPlacement(const WINDOWPLACEMENT& placement, const std::string& section, const std::string& value);
