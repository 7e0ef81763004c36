#include "browser/core/BrowseModeSettings.h"

#include <unistd.h>

#include <algorithm>
#include <climits>

#include "base/Profile.h"

namespace {

const char* const kSection = "Browse Mode";

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string("/");
}

}  // namespace

void BROWSE_MODE_SETTINGS::Read() {
  strBrowseFolder = GetProfileString(kSection, "Browse Directory", CurrentFolder());
  bReverseSort = GetProfileInt(kSection, "Reverse Sort", 0) != 0;
  bRecursive = GetProfileInt(kSection, "Recursive", 0) != 0;
  bCameraMode = GetProfileInt(kSection, "Browsing Camera", 0) != 0;
  bShowNames = GetProfileInt(kSection, "Display Filename", 1) != 0;
  const int size = GetProfileInt(kSection, "Thumbnail Size", 2);
  nThumbSizeIndex = size > 4 ? 4 : (size <= 0 ? 1 : size);
}

void BROWSE_MODE_SETTINGS::Write() const {
  if (bCameraMode)
    Profile().DeleteEntry(kSection, "Browse Directory");
  else
    WriteProfileString(kSection, "Browse Directory", strBrowseFolder);
  WriteProfileInt(kSection, "Reverse Sort", bReverseSort ? 1 : 0);
  WriteProfileInt(kSection, "Recursive", bRecursive ? 1 : 0);
  WriteProfileInt(kSection, "Browsing Camera", bCameraMode ? 1 : 0);
  WriteProfileInt(kSection, "Display Filename", bShowNames ? 1 : 0);
  WriteProfileInt(kSection, "Thumbnail Size", nThumbSizeIndex);
}

int32_t GetThumbnailBoxSize(int sizeIndex) {
  static const int32_t kBoxes[] = {80, 100, 120, 160};
  return kBoxes[std::clamp(sizeIndex, 1, 4) - 1];
}

BROWSER_CELL_METRICS GetCellMetrics(int sizeIndex, bool showNames, int32_t captionHeight) {
  BROWSER_CELL_METRICS m;
  m.nCellWidth = m.nCellHeight = GetThumbnailBoxSize(sizeIndex);
  if (showNames) m.nGapY = std::max<int32_t>(0, captionHeight) + 20;
  return m;
}
