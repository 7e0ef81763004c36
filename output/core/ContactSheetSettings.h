#pragma once
// The contact sheet's print settings, kept under "Contact Sheet Printing Options".

#include <string>

struct CONTACT_SHEET_SETTINGS {
  int horzAlign = 0;      // 0 left, 1 centre, 2 right
  int vertAlign = 0;      // 0 top, 1 centre, 2 bottom
  int thumbnailSize = 0;  // 0 all on one page, 1..7: 0.50 .. 2.00 inch
  int printNames = 1;
  int printFolders = 1;
  int textSize = 1;       // 0 small, 1 medium, 2 large

  // Read clamps every value into its range.
  void Read();
  void Write() const;
};

inline const char* const kContactSheetSection = "Contact Sheet Printing Options";
