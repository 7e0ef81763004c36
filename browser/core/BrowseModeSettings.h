#pragma once
// The browser view's settings ("Browse Mode") and the cell metrics that
// follow from the thumbnail size, without a window.

#include <cstdint>
#include <string>

// "Browse Mode" values, read when the view is made and written when it goes.
struct BROWSE_MODE_SETTINGS {
  std::string strBrowseFolder;  // "Browse Directory"; default: the current folder
  bool bReverseSort = false;    // "Reverse Sort"
  bool bRecursive = false;      // "Recursive"
  bool bCameraMode = false;     // "Browsing Camera"
  bool bShowNames = true;       // "Display Filename"
  int nThumbSizeIndex = 2;      // "Thumbnail Size", 1..4

  // Reads the section; a size above 4 reads as 4, one of 0 or less as 1.
  void Read();
  // Writes the section; in camera mode the folder value is deleted, so a
  // later start outside camera mode begins in the current folder.
  void Write() const;
};

// The box of a thumbnail size index (clamped into 1..4): 80, 100, 120 or
// 160 pixels square.
int32_t GetThumbnailBoxSize(int sizeIndex);

// Where things sit in a cell of the grid.
struct BROWSER_CELL_METRICS {
  int32_t nCellWidth = 100;  // the thumbnail box
  int32_t nCellHeight = 100;
  int32_t nMarginX = 16;     // the box's offset in the cell
  int32_t nMarginY = 16;
  int32_t nGapX = 32;        // extra width and height of a cell beyond the box
  int32_t nGapY = 20;
  int32_t nZoomGrowX = 18;   // growth of a hovered thumbnail at full zoom
  int32_t nZoomGrowY = 12;
  int32_t nZoomSteps = 6;
  int32_t nMarkerSteps = 5;  // insertion-marker fade
};

// The metrics of a size index; with names shown the vertical gap is the
// caption height plus 20.
BROWSER_CELL_METRICS GetCellMetrics(int sizeIndex, bool showNames, int32_t captionHeight);
