#pragma once
// The grid of the browser view, without a window: columns, row heights,
// camera-card header bands, where each cell and each thumbnail lies, and
// which item or insertion gap a point falls on. All rectangles are in view
// coordinates (the scrolled area, top-left at 0, 0); rectangles include
// their left and top edges and exclude their right and bottom ones.

#include <cstdint>
#include <string>
#include <vector>

#include "browser/core/BrowseModeSettings.h"
#include "browser/core/BrowserItemList.h"
#include "imaging/ImageTypes.h"

// One camera card in camera mode: its name, and the items of the list that
// came from it (nPhotos items from nFirst, in list order).
struct CCameraGroup {
  std::string strName;
  int nFirst = 0;
  int nPhotos = 0;
};

// The scroll extent stays below this many pixels in both directions.
constexpr int32_t kMaxScrollExtent = 0x7FFF;
constexpr int32_t kGroupHeaderHeight = 40;
extern const char* const kTooManyFilesMessage;  // "There are too many files to display in this window !"

class CBrowserLayout {
 public:
  BROWSER_CELL_METRICS m_metrics;
  bool m_bCameraMode = false;
  std::vector<CCameraGroup> m_groups;

  // Computes columns, rows and row heights for a client width. Returns false
  // when even the widened grid exceeds the scroll extent (the caller warns;
  // the layout stays as computed).
  bool Compute(const CBrowserItemList& items, int32_t clientWidth);
  // Fills the row heights; returns their sum.
  int32_t ComputeRowHeights(const CBrowserItemList& items);

  int32_t GetPitch() const { return m_metrics.nCellWidth + m_metrics.nGapX; }
  int32_t GetColumns() const { return m_nColumns; }
  int32_t GetRows() const { return m_nRows; }
  const std::vector<int32_t>& GetRowHeights() const { return m_rowHeights; }
  int32_t GetHeaderHeight() const { return m_bCameraMode ? kGroupHeaderHeight * static_cast<int32_t>(m_groups.size()) : 0; }
  // The scroll size: column pitch x columns, header height + total row height.
  int32_t GetExtentWidth() const { return GetPitch() * m_nColumns; }
  int32_t GetExtentHeight() const { return GetHeaderHeight() + m_nTotalRowHeight; }

  Rect GetCellRect(int index) const;
  // Shown size of a thumbnail of size (w, h) at a hover-zoom step.
  void GetDisplaySize(int32_t& w, int32_t& h, int step) const;
  // Where the item's thumbnail is drawn (its current zoom step); the whole
  // cell for an item without a thumbnail.
  Rect GetThumbnailRect(const CBrowserItemList& items, int index) const;
  Rect GetThumbnailRectInCell(const CBrowserItem& item, const Rect& cell) const;
  // The first item whose thumbnail rectangle holds the point, or -1.
  int HitTest(const CBrowserItemList& items, int32_t x, int32_t y) const;
  // The gap before which dropped items go (0 .. item count).
  int InsertIndexAt(const CBrowserItemList& items, int32_t x, int32_t y) const;
  // The top of a group's 40-pixel header band.
  int32_t GetGroupHeaderTop(int group) const;

 private:
  int32_t CountRows(int itemCount, int32_t columns) const;
  int m_nItems = 0;
  int32_t m_nColumns = 0;
  int32_t m_nRows = 0;
  int32_t m_nTotalRowHeight = 0;
  std::vector<int32_t> m_rowHeights;
  std::vector<int32_t> m_groupFirstRow;  // per group
};

inline bool RectContains(const Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
