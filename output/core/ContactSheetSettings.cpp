#include "output/core/ContactSheetSettings.h"

#include <algorithm>

#include "base/Profile.h"

void CONTACT_SHEET_SETTINGS::Read() {
  const std::string s = kContactSheetSection;
  horzAlign = std::clamp(GetProfileInt(s, "Horizontal Alignment", 0), 0, 2);
  vertAlign = std::clamp(GetProfileInt(s, "Vertical Alignment", 0), 0, 2);
  thumbnailSize = std::clamp(GetProfileInt(s, "Thumbnail Size", 0), 0, 7);
  printNames = GetProfileInt(s, "Print File Name", 1) != 0;
  printFolders = GetProfileInt(s, "Print Folder Name", 1) != 0;
  textSize = std::clamp(GetProfileInt(s, "Text Size", 1), 0, 2);
}

void CONTACT_SHEET_SETTINGS::Write() const {
  const std::string s = kContactSheetSection;
  WriteProfileInt(s, "Horizontal Alignment", horzAlign);
  WriteProfileInt(s, "Vertical Alignment", vertAlign);
  WriteProfileInt(s, "Thumbnail Size", thumbnailSize);
  WriteProfileInt(s, "Print File Name", printNames);
  WriteProfileInt(s, "Print Folder Name", printFolders);
  WriteProfileInt(s, "Text Size", textSize);
}
