#pragma once
// Printed pages without a device: where a single picture, the frames of an
// animation or the thumbnails of a contact sheet go on each page, in device
// pixels. The drawing side (output/PrintPages) measures text on its device,
// asks for a page's geometry here and puts the pixels there, so the preview
// and the printer share every number.
//
// Degenerate inputs never divide by zero: a layout without items, without a
// page or without an image size is refused (its Layout* returns false and
// its page count stays 0); rows, columns and cells are kept at one pixel or
// one cell at least, and a cell larger than the page is reduced to the page.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/AnimFrame.h"
#include "imaging/ImageTypes.h"
#include "imaging/LayerStack.h"

// Print size presets.
enum PRINT_SIZE_PRESET {
  PRINT_SIZE_FULL_PAGE = 0,
  PRINT_SIZE_2X3 = 1,
  PRINT_SIZE_35X5 = 2,
  PRINT_SIZE_4X6 = 3,
  PRINT_SIZE_5X7 = 4,
  PRINT_SIZE_8X10 = 5,
  PRINT_SIZE_CUSTOM = 6,
};

// The presets' short and long sides in 1/100 inch (index = preset; 0 and 6 none).
void GetPrintPresetSides(int preset, int32_t* shortSide, int32_t* longSide);

// The caption font's size in points for a text size (clamped into 0..2): 8, 12, 16.
int CaptionPointSize(int textSize);

// Contact-sheet thumbnail sizes in 1/100 inch for size index 1..7 (0: the
// automatic grid, 0 returned).
int32_t ContactSheetThumbnailSize(int index);

// The largest rectangle of width x height's aspect inside the box, centred
// in it (empty when a size is below 1).
Rect FitCentred(int32_t width, int32_t height, const Rect& box);

// Puts the composition of frame `index` on the stack: every frame from 0 to
// index that takes part (the frame itself, or an earlier one whose disposal
// leaves it on the canvas), its image at its position and its floating
// selection over it, all moved by (dx, dy).
void AddPrintComposition(CLayerStack& stack, const CAnimFrame* frames, int count, int index, int32_t dx = 0,
                         int32_t dy = 0);

// The custom size edits: a number of inches read in the C locale whatever
// the program's locale ("4.5", "4.50\"" with the inch mark, blanks around),
// as hundredths rounded to the nearest and clamped into 0..10000. False, and
// nothing stored, for text that is no such number.
bool ParsePrintInches(const std::string& text, int32_t* hundredths);
// Hundredths of an inch as the edits show them: "%d.%02d" and the inch mark.
std::string FormatPrintInches(int32_t hundredths);
// The rows and columns edits: an unsigned number (0 = not given), at most 100.
bool ParseGridCount(const std::string& text, int* count);

// One page of a single picture.
struct PRINT_PICTURE_PAGE {
  Rect source;   // the part of the canvas that is printed
  Rect picture;  // where it goes on this page (may reach past the page)
  Rect caption;  // where the caption goes (empty without one)
};

// One cell of a grid page (frames or contact sheet).
struct PRINT_GRID_CELL {
  int item = 0;    // frame index, or index among the selected files
  Rect cell;       // the cell (for a contact sheet: the thumbnail part)
  Rect picture;    // the area the picture is fitted into (margins off)
  Rect name;       // contact sheet with names: the line under the cell
};

struct PRINT_CONTACT_PAGE {
  std::vector<PRINT_GRID_CELL> cells;
  Rect folders;  // the line of folder paths (empty when not printed)
};

class CPrintLayout {
 public:
  virtual ~CPrintLayout() = default;

  // Every setter but SetAlignment makes the layout invalid.
  void SetPageSize(int32_t width, int32_t height);
  void SetResolution(int32_t x, int32_t y);
  void SetSizePreset(int preset);
  void SetCustomSize(int32_t width, int32_t height);  // 1/100 inch
  void SetImageSize(int32_t width, int32_t height);
  void SetCropOptions(bool crop, int offset);
  // Moves the crop window only (the page count stays): no new layout needed.
  void SetCropOffset(int offset);
  void SetItemCount(int count);
  void SetAutoGrid(bool automatic);
  void SetRows(int rows);
  void SetColumns(int columns);
  void SetThumbnailSize(int32_t width, int32_t height);  // 1/100 inch
  void SetAlignment(int horizontal, int vertical);       // 0 left/top, 1 centre, 2 right/bottom
  void SetTextSize(int size);
  void SetPrintFileNames(bool print);
  void SetPrintFolderNames(bool print);
  void SetCaption(const char* text);  // null empties it

  int32_t GetPageWidth() const { return m_nPageWidth; }
  int32_t GetPageHeight() const { return m_nPageHeight; }
  int32_t GetDpiX() const { return m_nDpiX; }
  int32_t GetDpiY() const { return m_nDpiY; }
  int GetTextSize() const { return m_nTextSize; }
  const std::string& GetCaption() const { return m_strCaption; }
  bool GetPrintFileNames() const { return m_bPrintNames; }
  bool GetPrintFolderNames() const { return m_bPrintFolders; }
  // The grid of the last frames or contact-sheet layout.
  int GetGridRows() const { return m_nGridRows; }
  int GetGridColumns() const { return m_nGridColumns; }
  int GetPerPage() const { return m_nPerPage; }
  int32_t GetCellWidth() const { return m_nCellWidth; }
  int32_t GetCellHeight() const { return m_nCellHeight; }
  int GetItemCount() const { return m_nItems; }
  bool IsValid() const { return m_bValid; }
  // Pages of the last layout (0 when refused or not laid out).
  int GetPageCount() const { return m_nPageCount < 0 ? 0 : m_nPageCount; }

  // The picture box of a single picture in device pixels.
  void GetPictureSize(int32_t& width, int32_t& height) const;

  // Page counts; false (nothing laid out) for degenerate inputs.
  bool LayoutPicture();
  bool LayoutFrames();
  // textHeight: the caption font's height on the device.
  bool LayoutContactSheet(int32_t textHeight);

  // Page `page` (from 0) of a single picture whose caption measures
  // captionWidth x captionHeight (0 x 0 without one). False outside the pages.
  bool GetPicturePage(int page, int32_t captionWidth, int32_t captionHeight, PRINT_PICTURE_PAGE& out) const;
  // The frames on page `page`, row by row.
  std::vector<PRINT_GRID_CELL> GetFramesPage(int page) const;
  // The files on page `page`, row by row; textHeight as for the layout.
  PRINT_CONTACT_PAGE GetContactSheetPage(int page, int32_t textHeight) const;

 private:
  bool HasPage() const { return m_nPageWidth > 0 && m_nPageHeight > 0; }
  int32_t AlignedOffset(int32_t freeSpace, int align) const;

  int32_t m_nPageWidth = 0, m_nPageHeight = 0;
  int32_t m_nDpiX = 0, m_nDpiY = 0;
  int32_t m_nImageWidth = 0, m_nImageHeight = 0;
  int m_nPageCount = -1;
  int m_nVAlign = 0, m_nHAlign = 0;
  std::string m_strCaption;
  int m_nTextSize = 1;
  int m_nSizePreset = 0;
  int32_t m_nCustomWidth = 0, m_nCustomHeight = 0;
  bool m_bCropToFit = true;
  int m_nCropOffset = 0;
  int m_nItems = 0;
  bool m_bAutoGrid = true;
  int m_nPerPage = 0;
  int m_nRows = 0, m_nColumns = 0;        // as given
  int m_nGridRows = 0, m_nGridColumns = 0;  // as laid out
  int32_t m_nCellWidth = 0, m_nCellHeight = 0;
  bool m_bPrintNames = true;
  bool m_bPrintFolders = true;
  int32_t m_nThumbWidth = 0, m_nThumbHeight = 0;
  bool m_bValid = false;
};
