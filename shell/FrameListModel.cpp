#include "shell/FrameListModel.h"

#include <algorithm>
#include <cstdint>

void FitFrameThumbnail(int canvasWidth, int canvasHeight, int& width, int& height) {
  if (canvasWidth <= 0 || canvasHeight <= 0) {
    width = height = 0;
    return;
  }
  if (canvasWidth <= 64 && canvasHeight <= 48) {
    width = canvasWidth;
    height = canvasHeight;
  } else if (static_cast<std::int64_t>(canvasHeight) * 64 < static_cast<std::int64_t>(canvasWidth) * 48) {
    width = 64;
    height = static_cast<int>(static_cast<std::int64_t>(canvasHeight) * 64 / canvasWidth);
  } else {
    width = static_cast<int>(static_cast<std::int64_t>(canvasWidth) * 48 / canvasHeight);
    height = 48;
  }
}

void CFrameListModel::SetFrames(int canvasWidth, int canvasHeight, std::vector<CAnimFrame>* frames, int textHeight) {
  m_canvasWidth = canvasWidth;
  m_canvasHeight = canvasHeight;
  m_frames = frames;
  if (frames) {
    FitFrameThumbnail(canvasWidth, canvasHeight, m_thumbWidth, m_thumbHeight);
    m_rowHeight = textHeight < 12 ? 16 : textHeight + 5;
    m_extraHeight = std::max(m_thumbHeight, 2 * textHeight + 3) + 9;
  }
  m_anchorRow = -1;
  m_caretRow = -1;
  m_pressedRow = -1;
  m_mouseState = MOUSE_IDLE;
  m_dragging = false;
  m_triangleHot = false;
}

int CFrameListModel::RowHeight(int i) const {
  return m_rowHeight + (Frame(i).m_bExpanded ? m_extraHeight : 0);
}

int CFrameListModel::RowTop(int i) const {
  int y = 0;
  for (int k = 0; k < i && k < GetFrameCount(); ++k) y += RowHeight(k);
  return y;
}

int CFrameListModel::GetContentHeight() const { return RowTop(GetFrameCount()); }

int CFrameListModel::RowAt(int y) const {
  if (y < 0) return -1;
  int top = 0;
  for (int i = 0; i < GetFrameCount(); ++i) {
    const int h = RowHeight(i);
    if (y < top + h) return i;
    top += h;
  }
  return -1;
}

int CFrameListModel::HitTestInsertion(int y) const {
  int s = 0;
  for (int i = 0; i < GetFrameCount(); ++i) {
    const int h = RowHeight(i);
    if (s <= y && y < s + h / 2) return i;
    if (y >= s + h / 2 && y < s + h) return i + 1;
    s += h;
  }
  return y < 0 ? 0 : GetFrameCount();
}

int CFrameListModel::GetSelectedCount() const {
  int n = 0;
  for (int i = 0; i < GetFrameCount(); ++i)
    if (Frame(i).m_bSelected) ++n;
  return n;
}

int CFrameListModel::FirstSelected() const {
  for (int i = 0; i < GetFrameCount(); ++i)
    if (Frame(i).m_bSelected) return i;
  return -1;
}

void CFrameListModel::SelectOnly(int row) {
  for (int i = 0; i < GetFrameCount(); ++i) Frame(i).m_bSelected = i == row;
}

void CFrameListModel::SelectRange(int from, int to) {
  if (from > to) std::swap(from, to);
  for (int i = 0; i < GetFrameCount(); ++i) Frame(i).m_bSelected = i >= from && i <= to;
}

bool CFrameListModel::InExpandBox(int x, int y) const {
  return x >= m_boxLeft && x < m_boxRight && y >= m_boxTop && y < m_boxBottom;
}

FRAME_LIST_RESULT CFrameListModel::Press(int x, int y, bool shift, bool ctrl) {
  FRAME_LIST_RESULT result;
  if (GetFrameCount() == 0 || m_mouseState != MOUSE_IDLE) return result;
  const int row = RowAt(y);
  if (row < 0) {
    // Below the last row: clears the selection.
    if (GetSelectedCount() > 0) {
      SelectOnly(-1);
      result.selectionChanged = true;
    }
    return result;
  }
  const int d = RowTop(row);
  if (y - d > 3 && y - d < 14 && x > 3 && x < 14) {
    m_mouseState = MOUSE_TRIANGLE;
    m_boxLeft = 3;
    m_boxTop = d + 3;
    m_boxRight = 14;
    m_boxBottom = d + 14;
    m_pressedRow = row;
    m_triangleHot = true;
    result.repaintTriangle = true;
    return result;
  }
  if (shift) {
    if (m_anchorRow < 0 || m_anchorRow >= GetFrameCount()) {
      SelectOnly(row);
      m_anchorRow = row;
    } else {
      SelectRange(m_anchorRow, row);
    }
    m_caretRow = row;
    result.selectionChanged = true;
    return result;
  }
  if (ctrl) {
    Frame(row).m_bSelected = !Frame(row).m_bSelected;
    if (row == m_anchorRow) m_anchorRow = -1;
    m_caretRow = row;
    result.selectionChanged = true;
    return result;
  }
  if (!Frame(row).m_bSelected) {
    SelectOnly(row);
    result.selectionChanged = true;
  }
  m_mouseState = MOUSE_ROW;
  m_dragging = false;
  m_pressedRow = -1;
  m_anchorRow = row;
  m_caretRow = row;
  return result;
}

FRAME_LIST_RESULT CFrameListModel::Move(int x, int y, int insertion) {
  FRAME_LIST_RESULT result;
  if (m_mouseState == MOUSE_TRIANGLE) {
    const bool hot = InExpandBox(x, y);
    if (hot != m_triangleHot) {
      m_triangleHot = hot;
      result.repaintTriangle = true;
    }
  } else if (m_mouseState == MOUSE_ROW) {
    m_dragging = true;
    if (insertion != m_pressedRow) {
      m_pressedRow = insertion;
      result.markChanged = true;
    }
  }
  return result;
}

FRAME_LIST_RESULT CFrameListModel::Release(int x, int y, bool shift, bool ctrl) {
  FRAME_LIST_RESULT result;
  if (m_mouseState == MOUSE_TRIANGLE) {
    if (InExpandBox(x, y) && m_pressedRow >= 0 && m_pressedRow < GetFrameCount()) {
      const int old = Frame(m_pressedRow).m_bExpanded;
      if (shift || ctrl) {
        for (int i = 0; i < GetFrameCount(); ++i) Frame(i).m_bExpanded = !old;
      } else {
        Frame(m_pressedRow).m_bExpanded = !old;
      }
      result.expandChanged = true;
    }
    m_boxLeft = m_boxTop = m_boxRight = m_boxBottom = 0;
    m_triangleHot = false;
    result.repaintTriangle = true;
    m_pressedRow = -1;
  } else if (m_mouseState == MOUSE_ROW) {
    if (m_dragging) {
      m_dragging = false;
      result.moved = true;
      result.insertAt = m_pressedRow;
      result.markChanged = true;
      m_pressedRow = -1;
      m_anchorRow = FirstSelected();
      m_caretRow = m_anchorRow;
    } else {
      if (m_anchorRow >= 0 && m_anchorRow < GetFrameCount()) SelectOnly(m_anchorRow);
      result.selectionChanged = true;
    }
  }
  m_mouseState = MOUSE_IDLE;
  return result;
}

FRAME_LIST_RESULT CFrameListModel::DoubleClick(int y) {
  FRAME_LIST_RESULT result;
  if (GetFrameCount() == 0) return result;
  const int row = RowAt(y);
  if (row < 0) return result;
  result.activated = row;
  m_anchorRow = row;
  m_caretRow = row;
  return result;
}

void CFrameListModel::Cancel() {
  m_mouseState = MOUSE_IDLE;
  m_dragging = false;
  m_pressedRow = -1;
  m_triangleHot = false;
}

FRAME_LIST_RESULT CFrameListModel::Key(int delta, bool shift) {
  FRAME_LIST_RESULT result;
  const int count = GetFrameCount();
  if (count == 0 || m_mouseState != MOUSE_IDLE) return result;
  int from = m_caretRow >= 0 && m_caretRow < count ? m_caretRow : FirstSelected();
  int row;
  if (from < 0)
    row = delta < 0 ? count - 1 : 0;
  else
    row = static_cast<int>(std::clamp<long long>(static_cast<long long>(from) + delta, 0, count - 1));
  if (shift && m_anchorRow >= 0 && m_anchorRow < count) {
    SelectRange(m_anchorRow, row);
  } else {
    SelectOnly(row);
    m_anchorRow = row;
  }
  m_caretRow = row;
  result.selectionChanged = true;
  result.ensureVisible = row;
  return result;
}

FRAME_LIST_RESULT CFrameListModel::Activate() {
  FRAME_LIST_RESULT result;
  const int count = GetFrameCount();
  if (count == 0) return result;
  const int row = m_caretRow >= 0 && m_caretRow < count ? m_caretRow : FirstSelected();
  if (row >= 0) result.activated = row;
  return result;
}

FRAME_LIST_RESULT CFrameListModel::Expand(bool expand) {
  FRAME_LIST_RESULT result;
  const int count = GetFrameCount();
  const int row = m_caretRow >= 0 && m_caretRow < count ? m_caretRow : FirstSelected();
  if (row < 0 || (Frame(row).m_bExpanded != 0) == expand) return result;
  Frame(row).m_bExpanded = expand ? 1 : 0;
  result.expandChanged = true;
  result.ensureVisible = row;
  return result;
}
