#pragma once
// Printed pages on a device: a picture or the frames of an image document,
// or a contact sheet of browser files, laid out by CPrintLayout
// (output/core/PrintLayout.h) and drawn on any wxDC whose logical unit is
// one printer pixel: the printer's, a PDF page's, or the preview's scaled
// screen DC. CPrintPages is the one drawing used by the printout, the
// preview and the tests.

#include <wx/font.h>
#include <wx/print.h>

#include <functional>
#include <string>
#include <vector>

#include "imaging/AnimFrame.h"
#include "output/core/ContactSheetSettings.h"
#include "output/core/PrintLayout.h"
#include "shell/PaneDocument.h"

enum PRINT_KIND {
  PRINT_KIND_NONE = 0,
  PRINT_KIND_SINGLE = 1,         // a single-frame image
  PRINT_KIND_MULTI = 2,          // the frames of an animation
  PRINT_KIND_CONTACT_SHEET = 3,  // thumbnails of browser files
};

// A file of a contact sheet: its full path and its browser thumbnail.
struct PRINT_SHEET_ITEM {
  std::string path;
  CRasterImage thumbnail;
};

// What is printed.
struct PRINT_SOURCE {
  int kind = PRINT_KIND_NONE;
  // An image document (kinds 1 and 2): the frames are the document's, read
  // while a page is drawn.
  const std::vector<CAnimFrame>* frames = nullptr;
  int currentFrame = 0;
  int32_t canvasWidth = 0, canvasHeight = 0;
  PANE_PRINT_SETTINGS settings;
  std::string comment;
  // A contact sheet (kind 3).
  std::vector<PRINT_SHEET_ITEM> items;
  CONTACT_SHEET_SETTINGS sheet;
  // Makes a thumbnail of a file to fit width x height for the printer (null:
  // the items' thumbnails are printed).
  std::function<CRasterImage(const std::string& path, int width, int height)> makeThumbnail;
};

// The device a layout is made for: the printable page in pixels, pixels per inch.
struct PRINT_DEVICE {
  int pageWidth = 0, pageHeight = 0;
  int dpiX = 0, dpiY = 0;
};

// The metrics of the program's paper (GetProgramPrintData: paper size and
// orientation) at the given resolution; the preview lays out for these.
PRINT_DEVICE GetPaperDevice(int dpi = 300);

// White, opaque: what shows behind transparent pixels on paper.
int WhiteBackground(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue);

class CPrintPages {
 public:
  explicit CPrintPages(const PRINT_SOURCE& source) : m_source(source) {}
  // Lays out for the device, measuring text on dc. False (no pages) when
  // there is nothing to print.
  bool Layout(wxDC& dc, const PRINT_DEVICE& device);
  int GetPageCount() const { return m_layout.GetPageCount(); }
  // Draws page `page` (from 0). preview: the screen's drawing (browser
  // thumbnails, composed bands over white); else the printer's.
  void DrawPage(wxDC& dc, int page, bool preview);
  const CPrintLayout& GetLayout() const { return m_layout; }
  const PRINT_DEVICE& GetDevice() const { return m_device; }
  // The caption font's height the contact-sheet layout was made with.
  int GetTextHeight() const { return m_textHeight; }
  // The caption font for the layout's text size on the device; its height in
  // logical units.
  int MakeCaptionFont(wxDC& dc, wxFont& font) const;

 private:
  void DrawPicturePage(wxDC& dc, int page, bool preview);
  void DrawFramesPage(wxDC& dc, int page, bool preview);
  void DrawContactSheetPage(wxDC& dc, int page, bool preview);
  // The caption's lines broken at spaces to fit width; their extent.
  std::vector<wxString> WrapCaption(wxDC& dc, const wxString& text, int width, int& cw, int& ch) const;

  const PRINT_SOURCE& m_source;
  CPrintLayout m_layout;
  PRINT_DEVICE m_device;
  int m_textHeight = 0;
};

// The printout of a source: lays out for the printer's page in
// OnBeginPrinting and draws each page.
class CPictoravellPrintout : public wxPrintout {
 public:
  CPictoravellPrintout(const PRINT_SOURCE& source, const wxString& title);
  void OnBeginPrinting() override;
  void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;
  bool HasPage(int page) override;
  bool OnPrintPage(int page) override;
  const CPrintPages& GetPages() const { return m_pages; }

 private:
  CPrintPages m_pages;
};

// Prints the source through the desktop's print dialog; false when the
// dialog was cancelled or printing failed.
bool PrintWithDialog(wxWindow* parent, const PRINT_SOURCE& source, const wxString& title);

// Tests put something in the dialog's place (null: the desktop's dialog).
void SetPrintRunner(std::function<bool(wxWindow*, wxPrintout&)> runner);
