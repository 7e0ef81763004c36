#include "output/core/PrintLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

int64_t CeilDiv(int64_t a, int64_t b) { return b <= 0 ? 0 : (a + b - 1) / b; }
int32_t AtLeastOne(int64_t v) { return v < 1 ? 1 : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); }

Rect MakeRect(int64_t left, int64_t top, int64_t width, int64_t height) {
  Rect r;
  r.left = static_cast<int32_t>(left);
  r.top = static_cast<int32_t>(top);
  r.right = static_cast<int32_t>(left + width);
  r.bottom = static_cast<int32_t>(top + height);
  return r;
}

}  // namespace

void GetPrintPresetSides(int preset, int32_t* shortSide, int32_t* longSide) {
  static const int32_t kShort[] = {0, 200, 350, 400, 500, 800, 0};
  static const int32_t kLong[] = {0, 300, 500, 600, 700, 1000, 0};
  if (preset < 0 || preset > 6) preset = 0;
  *shortSide = kShort[preset];
  *longSide = kLong[preset];
}

int CaptionPointSize(int textSize) { return textSize <= 0 ? 8 : textSize >= 2 ? 16 : 12; }

int32_t ContactSheetThumbnailSize(int index) { return index >= 1 && index <= 7 ? 25 + 25 * index : 0; }

Rect FitCentred(int32_t width, int32_t height, const Rect& box) {
  const int64_t bw = box.Width(), bh = box.Height();
  if (width < 1 || height < 1 || bw < 1 || bh < 1) return Rect{box.left, box.top, box.left, box.top};
  int64_t w = bw, h = bh;
  if (int64_t{width} * bh <= int64_t{height} * bw)
    w = std::max<int64_t>(1, int64_t{width} * bh / height);
  else
    h = std::max<int64_t>(1, int64_t{height} * bw / width);
  return MakeRect(box.left + (bw - w) / 2, box.top + (bh - h) / 2, w, h);
}

void AddPrintComposition(CLayerStack& stack, const CAnimFrame* frames, int count, int index, int32_t dx,
                         int32_t dy) {
  if (!frames || index < 0 || index >= count) return;
  for (int i = 0; i <= index; ++i) {
    const CAnimFrame& frame = frames[i];
    if (i != index && (frame.m_nFlags & 0x0C) > 4) continue;
    if (!frame.m_image.IsEmpty()) stack.AddImage(frame.m_image, frame.m_nLeft + dx, frame.m_nTop + dy);
    if (!frame.m_selection.IsEmpty())
      stack.AddImage(frame.m_selection, frame.m_nLeft + frame.m_rcSelection.left + dx,
                     frame.m_nTop + frame.m_rcSelection.top + dy);
  }
}

bool ParsePrintInches(const std::string& text, int32_t* hundredths) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return false;
  size_t end = text.find_last_not_of(" \t");
  std::string_view body(text.data() + begin, end - begin + 1);
  if (!body.empty() && body.back() == '"') body.remove_suffix(1);
  while (!body.empty() && (body.back() == ' ' || body.back() == '\t')) body.remove_suffix(1);
  if (body.empty() || body.front() == '-' || body.front() == '+') return false;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || ptr != body.data() + body.size() || !std::isfinite(value)) return false;
  *hundredths = static_cast<int32_t>(std::clamp(value * 100 + 0.5, 0.0, 10000.0));
  return true;
}

std::string FormatPrintInches(int32_t hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d\"", hundredths / 100, hundredths % 100);
  return text;
}

bool ParseGridCount(const std::string& text, int* count) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return false;
  size_t end = text.find_last_not_of(" \t");
  unsigned long long value = 0;
  const char* first = text.data() + begin;
  const char* last = text.data() + end + 1;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ptr != last || (ec != std::errc() && ec != std::errc::result_out_of_range)) return false;
  *count = ec == std::errc::result_out_of_range || value > 100 ? 100 : static_cast<int>(value);
  return true;
}

// --- setters ---------------------------------------------------------------------

void CPrintLayout::SetPageSize(int32_t width, int32_t height) {
  m_nPageWidth = width;
  m_nPageHeight = height;
  m_bValid = false;
}
void CPrintLayout::SetResolution(int32_t x, int32_t y) {
  m_nDpiX = x;
  m_nDpiY = y;
  m_bValid = false;
}
void CPrintLayout::SetSizePreset(int preset) {
  m_nSizePreset = preset;
  m_bValid = false;
}
void CPrintLayout::SetCustomSize(int32_t width, int32_t height) {
  m_nCustomWidth = width;
  m_nCustomHeight = height;
  m_bValid = false;
}
void CPrintLayout::SetImageSize(int32_t width, int32_t height) {
  m_nImageWidth = width;
  m_nImageHeight = height;
  m_bValid = false;
}
void CPrintLayout::SetCropOptions(bool crop, int offset) {
  m_bCropToFit = crop;
  m_nCropOffset = std::clamp(offset, 0, 100);
  m_bValid = false;
}
void CPrintLayout::SetCropOffset(int offset) { m_nCropOffset = std::clamp(offset, 0, 100); }
void CPrintLayout::SetItemCount(int count) {
  m_nItems = count;
  m_bValid = false;
}
void CPrintLayout::SetAutoGrid(bool automatic) {
  m_bAutoGrid = automatic;
  m_bValid = false;
}
void CPrintLayout::SetRows(int rows) {
  m_nRows = std::max(rows, 0);
  m_bValid = false;
}
void CPrintLayout::SetColumns(int columns) {
  m_nColumns = std::max(columns, 0);
  m_bValid = false;
}
void CPrintLayout::SetThumbnailSize(int32_t width, int32_t height) {
  m_nThumbWidth = width;
  m_nThumbHeight = height;
  m_bValid = false;
}
void CPrintLayout::SetAlignment(int horizontal, int vertical) {
  m_nHAlign = horizontal;
  m_nVAlign = vertical;
}
void CPrintLayout::SetTextSize(int size) {
  m_nTextSize = std::clamp(size, 0, 2);
  m_bValid = false;
}
void CPrintLayout::SetPrintFileNames(bool print) {
  m_bPrintNames = print;
  m_bValid = false;
}
void CPrintLayout::SetPrintFolderNames(bool print) {
  m_bPrintFolders = print;
  m_bValid = false;
}
void CPrintLayout::SetCaption(const char* text) {
  m_strCaption = text ? text : "";
  m_bValid = false;
}

int32_t CPrintLayout::AlignedOffset(int32_t freeSpace, int align) const {
  return align == 1 ? freeSpace / 2 : align == 2 ? freeSpace : 0;
}

// --- a single picture ------------------------------------------------------------

void CPrintLayout::GetPictureSize(int32_t& width, int32_t& height) const {
  int preset = m_nSizePreset < 0 || m_nSizePreset > 6 ? 0 : m_nSizePreset;
  width = m_nPageWidth;
  height = m_nPageHeight;
  if (preset == PRINT_SIZE_FULL_PAGE) return;
  if (preset == PRINT_SIZE_CUSTOM) {
    if (m_nCustomWidth < 1 || m_nCustomHeight < 1) return;
    width = static_cast<int32_t>(int64_t{m_nCustomWidth} * m_nDpiX / 100);
    height = static_cast<int32_t>(int64_t{m_nCustomHeight} * m_nDpiY / 100);
    return;
  }
  int32_t shortSide = 0, longSide = 0;
  GetPrintPresetSides(preset, &shortSide, &longSide);
  const bool landscape = m_nPageHeight < m_nPageWidth;
  width = static_cast<int32_t>(int64_t{landscape ? longSide : shortSide} * m_nDpiX / 100);
  height = static_cast<int32_t>(int64_t{landscape ? shortSide : longSide} * m_nDpiY / 100);
}

bool CPrintLayout::LayoutPicture() {
  m_nPageCount = 0;
  m_bValid = false;
  if (!HasPage() || m_nImageWidth < 1 || m_nImageHeight < 1) return false;
  int32_t w = 0, h = 0;
  GetPictureSize(w, h);
  if (w < 1 || h < 1) return false;
  const int64_t iw = m_nImageWidth, ih = m_nImageHeight;
  if (!m_bCropToFit && iw * h != ih * w) {
    if (iw * h <= ih * w)
      w = AtLeastOne(iw * h / ih);
    else
      h = AtLeastOne(ih * w / iw);
  }
  m_nPageCount = static_cast<int>(CeilDiv(w, m_nPageWidth) * CeilDiv(h, m_nPageHeight));
  m_bValid = true;
  return true;
}

bool CPrintLayout::GetPicturePage(int page, int32_t captionWidth, int32_t captionHeight,
                                  PRINT_PICTURE_PAGE& out) const {
  if (!HasPage() || m_nImageWidth < 1 || m_nImageHeight < 1 || page < 0) return false;
  int32_t w = 0, h = 0;
  GetPictureSize(w, h);
  if (w < 1 || h < 1) return false;
  const int64_t cw = std::max(captionWidth, 0), ch = std::max(captionHeight, 0);
  int64_t bw = w, bh = std::max<int64_t>(1, h - ch);
  const int64_t iw = m_nImageWidth, ih = m_nImageHeight;
  int64_t sx = 0, sy = 0, sw = iw, sh = ih;
  if (iw * bh != ih * bw) {
    if (m_bCropToFit) {
      if (iw * bh <= ih * bw) {
        sh = std::max<int64_t>(1, iw * bh / bw);
        sy = (ih - sh) * m_nCropOffset / 100;
      } else {
        sw = std::max<int64_t>(1, ih * bw / bh);
        sx = (iw - sw) * m_nCropOffset / 100;
      }
    } else if (iw * bh <= ih * bw) {
      bw = std::max<int64_t>(1, iw * bh / ih);
    } else {
      bh = std::max<int64_t>(1, ih * bw / iw);
    }
  }
  const int64_t contentW = std::max(bw, cw), contentH = bh + ch;
  const int64_t across = CeilDiv(contentW, m_nPageWidth), down = CeilDiv(contentH, m_nPageHeight);
  if (page >= across * down) return false;
  const int64_t areaW = across * m_nPageWidth, areaH = down * m_nPageHeight;
  const int64_t x = AlignedOffset(static_cast<int32_t>(areaW - contentW), m_nHAlign) - (page % across) * m_nPageWidth;
  const int64_t y = AlignedOffset(static_cast<int32_t>(areaH - contentH), m_nVAlign) - (page / across) * m_nPageHeight;
  out.source = MakeRect(sx, sy, sw, sh);
  out.picture = MakeRect(x + (contentW - bw) / 2, y, bw, bh);
  out.caption = ch > 0 && cw > 0 ? MakeRect(x + (contentW - cw) / 2, y + bh, cw, ch) : Rect{};
  return true;
}

// --- the frames of an animation ------------------------------------------------------

bool CPrintLayout::LayoutFrames() {
  m_nPageCount = 0;
  m_bValid = false;
  m_nPerPage = m_nGridRows = m_nGridColumns = 0;
  m_nCellWidth = m_nCellHeight = 0;
  if (!HasPage() || m_nImageWidth < 1 || m_nImageHeight < 1 || m_nItems < 1) return false;
  const int64_t pw = m_nPageWidth, ph = m_nPageHeight, iw = m_nImageWidth, ih = m_nImageHeight;
  const int n = m_nItems;
  int64_t rows = 0, columns = 0, cellW = 0, cellH = 0;
  if (m_bAutoGrid || (m_nRows < 1 && m_nColumns < 1)) {
    bool fits = false;
    for (columns = 1; columns <= n; ++columns) {
      rows = CeilDiv(n, columns);
      cellW = pw / columns;
      cellH = cellW * ih / iw;
      if (rows * cellH <= ph) {
        fits = true;
        break;
      }
    }
    if (!fits) {
      rows = 1;
      columns = n;
      cellH = ph;
      cellW = ph * iw / ih;
    }
  } else if (m_nRows >= 1 && m_nColumns >= 1) {
    rows = m_nRows;
    columns = m_nColumns;
    if ((pw / columns) * ih < iw * (ph / rows)) {
      cellW = pw / columns;
      cellH = cellW * ih / iw;
    } else {
      cellH = ph / rows;
      cellW = iw * cellH / ih;
    }
  } else if (m_nColumns >= 1) {
    columns = m_nColumns;
    cellW = pw / columns;
    cellH = cellW * ih / iw;
    rows = cellH > 0 ? ph / cellH : 0;
    if (rows == 0) {
      rows = 1;
      cellH = ph;
      cellW = iw * ph / ih;
    }
    rows = std::max<int64_t>(1, std::min<int64_t>(n / columns, rows));
  } else {
    rows = m_nRows;
    cellH = ph / rows;
    cellW = cellH * iw / ih;
    columns = cellW > 0 ? pw / cellW : 0;
    if (columns == 0) {
      columns = 1;
      cellW = pw;
      cellH = ih * pw / iw;
    }
    columns = std::max<int64_t>(1, std::min<int64_t>(n / rows, columns));
  }
  // Cells of at least one pixel, never larger than the page.
  m_nCellWidth = AtLeastOne(std::min(cellW, pw));
  m_nCellHeight = AtLeastOne(std::min(cellH, ph));
  // No more rows or columns than the page holds (only degenerate grids have more).
  m_nGridRows = AtLeastOne(std::min<int64_t>(rows, ph / m_nCellHeight));
  m_nGridColumns = AtLeastOne(std::min<int64_t>(columns, pw / m_nCellWidth));
  m_nPerPage = AtLeastOne(int64_t{m_nGridRows} * m_nGridColumns);
  m_nPageCount = static_cast<int>(CeilDiv(n, m_nPerPage));
  m_bValid = true;
  return true;
}

std::vector<PRINT_GRID_CELL> CPrintLayout::GetFramesPage(int page) const {
  std::vector<PRINT_GRID_CELL> cells;
  if (!m_bValid || m_nPerPage < 1 || page < 0 || page >= m_nPageCount) return cells;
  const int64_t gridW = int64_t{m_nGridColumns} * m_nCellWidth, gridH = int64_t{m_nGridRows} * m_nCellHeight;
  const int64_t x = AlignedOffset(static_cast<int32_t>(m_nPageWidth - gridW), m_nHAlign);
  const int64_t y = AlignedOffset(static_cast<int32_t>(m_nPageHeight - gridH), m_nVAlign);
  const int32_t mx = m_nCellWidth / 20, my = m_nCellHeight / 20;
  const int first = page * m_nPerPage;
  for (int i = 0; i < m_nPerPage && first + i < m_nItems; ++i) {
    PRINT_GRID_CELL cell;
    cell.item = first + i;
    cell.cell = MakeRect(x + int64_t{i % m_nGridColumns} * m_nCellWidth, y + int64_t{i / m_nGridColumns} * m_nCellHeight,
                         m_nCellWidth, m_nCellHeight);
    cell.picture = Rect{cell.cell.left + mx, cell.cell.top + my, cell.cell.right - mx, cell.cell.bottom - my};
    cells.push_back(cell);
  }
  return cells;
}

// --- contact sheets ---------------------------------------------------------------

bool CPrintLayout::LayoutContactSheet(int32_t textHeight) {
  m_nPageCount = 0;
  m_bValid = false;
  m_nPerPage = m_nGridRows = m_nGridColumns = 0;
  m_nCellWidth = m_nCellHeight = 0;
  const int64_t t = std::max(textHeight, 0);
  const int64_t pw = m_nPageWidth;
  const int64_t u = int64_t{m_nPageHeight} - (m_bPrintFolders ? t : 0);
  const int64_t nameT = m_bPrintNames ? t : 0;
  const int n = m_nItems;
  if (!HasPage() || n < 1 || u < 1) return false;
  int64_t rows = 1, columns = 1, cellW = 0, cellH = 0, pages = 1;
  if (m_bAutoGrid || (m_nThumbWidth < 1 && m_nThumbHeight < 1)) {
    const int64_t target = pw * 100 / u;
    int64_t best = -1;
    for (int64_t c = 1; c <= n; ++c) {
      const int64_t r = CeilDiv(n, c);
      const int64_t cellHeight = u / r;
      if (cellHeight < 1 || pw / c < 1) continue;
      const int64_t ratio = (pw / c) * 100 / cellHeight;
      const int64_t diff = ratio > target ? ratio - target : target - ratio;
      if (best < 0 || diff < best) {
        best = diff;
        columns = c;
        rows = r;
      }
    }
    if (best < 0) {  // not even one pixel a cell: one cell a page
      columns = rows = 1;
    }
    cellW = pw / columns;
    cellH = u / rows - nameT;
    pages = CeilDiv(n, rows * columns);
  } else {
    cellW = int64_t{std::max(m_nThumbWidth, 1)} * m_nDpiX / 100;
    cellH = int64_t{std::max(m_nThumbHeight, 1)} * m_nDpiY / 100;
    // A thumbnail larger than the page is reduced to the page.
    cellW = std::clamp<int64_t>(cellW, 1, pw);
    cellH = std::clamp<int64_t>(cellH, 1, std::max<int64_t>(1, u - nameT));
    columns = std::max<int64_t>(1, pw / cellW);
    rows = std::max<int64_t>(1, u / (cellH + nameT));
    pages = CeilDiv(n, rows * columns);
  }
  m_nCellWidth = AtLeastOne(cellW);
  m_nCellHeight = AtLeastOne(cellH);
  m_nGridRows = AtLeastOne(rows);
  m_nGridColumns = AtLeastOne(columns);
  m_nPerPage = AtLeastOne(rows * columns);
  m_nPageCount = static_cast<int>(std::max<int64_t>(1, pages));
  m_bValid = true;
  return true;
}

PRINT_CONTACT_PAGE CPrintLayout::GetContactSheetPage(int page, int32_t textHeight) const {
  PRINT_CONTACT_PAGE out;
  if (!m_bValid || m_nPerPage < 1 || page < 0 || page >= m_nPageCount) return out;
  const int64_t t = std::max(textHeight, 0);
  const int64_t nameT = m_bPrintNames ? t : 0;
  const int first = page * m_nPerPage;
  const int d = std::min(m_nPerPage, m_nItems - first);
  if (d <= 0) return out;
  const int64_t rowsUsed = CeilDiv(d, m_nGridColumns);
  const int64_t freeH = m_nPageHeight - rowsUsed * (m_nCellHeight + nameT) - (m_bPrintFolders ? t : 0);
  const int64_t x =
      AlignedOffset(static_cast<int32_t>(m_nPageWidth - int64_t{std::min(d, m_nGridColumns)} * m_nCellWidth), m_nHAlign);
  const int64_t y = AlignedOffset(static_cast<int32_t>(freeH), m_nVAlign);
  const int32_t mx = m_nCellWidth / 20, my = m_nCellHeight / 20;
  for (int i = 0; i < d; ++i) {
    PRINT_GRID_CELL cell;
    cell.item = first + i;
    const int64_t left = x + int64_t{i % m_nGridColumns} * m_nCellWidth;
    const int64_t top = y + int64_t{i / m_nGridColumns} * (m_nCellHeight + nameT);
    cell.cell = MakeRect(left, top, m_nCellWidth, m_nCellHeight);
    const int64_t areaW = m_nCellWidth - mx, areaH = m_nCellHeight - my;
    cell.picture = MakeRect(left + (m_nCellWidth - areaW) / 2, top + (m_nCellHeight - areaH) / 2, areaW, areaH);
    if (nameT > 0) cell.name = MakeRect(left, top + m_nCellHeight, m_nCellWidth, nameT);
    out.cells.push_back(cell);
  }
  if (m_bPrintFolders && t > 0) {
    const int64_t lineY = m_nPageHeight - t - (m_nVAlign == 1 ? freeH / 2 : m_nVAlign == 2 ? 0 : freeH);
    out.folders = MakeRect(0, lineY, m_nPageWidth, t);
  }
  return out;
}
