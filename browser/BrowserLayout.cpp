#include "browser/BrowserLayout.h"

#include <algorithm>

const char* const kTooManyFilesMessage = "There are too many files to display in this window !";

int32_t CBrowserLayout::CountRows(int itemCount, int32_t columns) const {
  if (columns <= 0) return 0;
  if (!m_bCameraMode) return (itemCount + columns - 1) / columns;
  int32_t rows = 0;
  for (const CCameraGroup& group : m_groups) {
    // A group never claims items past the end of the list.
    const int photos = std::clamp(std::min(group.nPhotos, itemCount - group.nFirst), 0, itemCount);
    rows += (photos + columns - 1) / columns;
  }
  return rows;
}

bool CBrowserLayout::Compute(const CBrowserItemList& items, int32_t clientWidth) {
  m_nItems = items.GetCount();
  const int32_t pitch = GetPitch();
  m_nColumns = std::max<int32_t>(2, pitch > 0 ? clientWidth / pitch : 2);
  m_nRows = CountRows(m_nItems, m_nColumns);
  bool fits = true;
  const int32_t rowPitch = m_metrics.nCellHeight + m_metrics.nGapY;
  const int32_t maxRows = rowPitch > 0 ? std::max<int32_t>(1, (kMaxScrollExtent - GetHeaderHeight()) / rowPitch) : 1;
  if (m_nRows > maxRows) {
    m_nColumns = std::max<int32_t>(2, (m_nItems + maxRows - 1) / maxRows);
    m_nRows = CountRows(m_nItems, m_nColumns);
    if (pitch > 0 && m_nColumns > kMaxScrollExtent / pitch) fits = false;
  }
  ComputeRowHeights(items);
  return fits;
}

int32_t CBrowserLayout::ComputeRowHeights(const CBrowserItemList& items) {
  m_rowHeights.assign(static_cast<size_t>(std::max<int32_t>(m_nRows, 0)), 0);
  m_groupFirstRow.clear();
  const int count = items.GetCount();
  auto want = [&](int index, int32_t row) {
    if (row < 0 || row >= m_nRows) return;
    int32_t w = 0, h = 0;
    items[static_cast<size_t>(index)].GetThumbnailSize(m_metrics.nCellWidth, m_metrics.nCellHeight, w, h);
    m_rowHeights[static_cast<size_t>(row)] = std::max(m_rowHeights[static_cast<size_t>(row)], h);
  };
  if (m_nColumns > 0) {
    if (!m_bCameraMode) {
      for (int i = 0; i < count; ++i) want(i, i / m_nColumns);
    } else {
      int32_t row = 0;
      for (const CCameraGroup& group : m_groups) {
        m_groupFirstRow.push_back(row);
        const int photos = std::clamp(std::min(group.nPhotos, count - group.nFirst), 0, count);
        for (int k = 0; k < photos; ++k) want(group.nFirst + k, row + k / m_nColumns);
        row += (photos + m_nColumns - 1) / m_nColumns;
      }
    }
  }
  m_nTotalRowHeight = 0;
  for (int32_t& height : m_rowHeights) {
    if (height <= 0) height = m_metrics.nCellHeight;
    height += m_metrics.nGapY;
    m_nTotalRowHeight += height;
  }
  return m_nTotalRowHeight;
}

Rect CBrowserLayout::GetCellRect(int index) const {
  if (m_nColumns <= 0 || m_nRows <= 0 || index < 0 || index >= m_nItems) return Rect{};
  const int32_t pitch = GetPitch();
  int32_t row = 0, column = 0, top = 0;
  if (!m_bCameraMode) {
    row = index / m_nColumns;
    column = index % m_nColumns;
  } else {
    int32_t rowsAbove = 0;
    bool found = false;
    for (const CCameraGroup& group : m_groups) {
      top += kGroupHeaderHeight;
      const int photos = std::clamp(std::min(group.nPhotos, m_nItems - group.nFirst), 0, m_nItems);
      if (index >= group.nFirst && index < group.nFirst + photos) {
        row = rowsAbove + (index - group.nFirst) / m_nColumns;
        column = (index - group.nFirst) % m_nColumns;
        found = true;
        break;
      }
      rowsAbove += (photos + m_nColumns - 1) / m_nColumns;
    }
    if (!found) return Rect{};
  }
  if (row >= m_nRows) return Rect{};
  for (int32_t r = 0; r < row; ++r) top += m_rowHeights[static_cast<size_t>(r)];
  return Rect{column * pitch, top, (column + 1) * pitch, top + m_rowHeights[static_cast<size_t>(row)]};
}

namespace {
// Fits (w, h) into the box keeping the aspect, enlarging or shrinking.
void FitIntoBox(int32_t& w, int32_t& h, int32_t boxWidth, int32_t boxHeight) {
  if (w <= 0 || h <= 0) return;
  if (static_cast<int64_t>(boxWidth) * h < static_cast<int64_t>(boxHeight) * w) {
    h = static_cast<int32_t>(static_cast<int64_t>(boxWidth) * h / w);
    w = boxWidth;
  } else {
    w = static_cast<int32_t>(static_cast<int64_t>(boxHeight) * w / h);
    h = boxHeight;
  }
}
}  // namespace

void CBrowserLayout::GetDisplaySize(int32_t& w, int32_t& h, int step) const {
  if (w <= 0 || h <= 0) return;
  if (w > m_metrics.nCellWidth || h > m_metrics.nCellHeight) FitIntoBox(w, h, m_metrics.nCellWidth, m_metrics.nCellHeight);
  const int steps = std::max(1, m_metrics.nZoomSteps);
  const int32_t boxWidth = w + step * m_metrics.nZoomGrowX / steps;
  const int32_t boxHeight = h + step * m_metrics.nZoomGrowY / steps;
  FitIntoBox(w, h, boxWidth, boxHeight);
}

Rect CBrowserLayout::GetThumbnailRectInCell(const CBrowserItem& item, const Rect& cell) const {
  if (!item.HasThumbnail()) return cell;
  int32_t w = item.m_nThumbWidth, h = item.m_nThumbHeight;
  GetDisplaySize(w, h, item.m_nZoomStep);
  const int32_t left = cell.left + m_metrics.nMarginX + (cell.Width() - m_metrics.nGapX - w) / 2;
  const int32_t top = cell.bottom - m_metrics.nGapY + m_metrics.nMarginY - h;
  return Rect{left, top, left + w, top + h};
}

Rect CBrowserLayout::GetThumbnailRect(const CBrowserItemList& items, int index) const {
  if (index < 0 || index >= items.GetCount()) return Rect{};
  return GetThumbnailRectInCell(items[static_cast<size_t>(index)], GetCellRect(index));
}

int CBrowserLayout::HitTest(const CBrowserItemList& items, int32_t x, int32_t y) const {
  const int count = std::min(items.GetCount(), m_nItems);
  for (int i = 0; i < count; ++i)
    if (RectContains(GetThumbnailRect(items, i), x, y)) return i;
  return -1;
}

int CBrowserLayout::InsertIndexAt(const CBrowserItemList& items, int32_t x, int32_t y) const {
  const int count = std::min(items.GetCount(), m_nItems);
  for (int i = 0; i < count; ++i) {
    const Rect cell = GetCellRect(i);
    if (RectContains(cell, x, y)) return x < (cell.left + cell.right) / 2 ? i : i + 1;
  }
  return items.GetCount();
}

int32_t CBrowserLayout::GetGroupHeaderTop(int group) const {
  if (!m_bCameraMode || group < 0 || group >= static_cast<int>(m_groups.size())) return -1;
  int32_t top = 0;
  for (int g = 0; g < group; ++g) {
    top += kGroupHeaderHeight;
    const int32_t firstRow = g < static_cast<int>(m_groupFirstRow.size()) ? m_groupFirstRow[static_cast<size_t>(g)] : 0;
    const int32_t endRow = g + 1 < static_cast<int>(m_groupFirstRow.size()) ? m_groupFirstRow[static_cast<size_t>(g + 1)] : m_nRows;
    for (int32_t r = firstRow; r < endRow && r < m_nRows; ++r) top += m_rowHeights[static_cast<size_t>(r)];
  }
  return top;
}
