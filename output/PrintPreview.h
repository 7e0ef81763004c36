#pragma once
// The print preview (client page of the frame's modes 2 and 3): one page at
// a time drawn by the same pages as the printout (output/PrintPages), over
// the application workspace colour, with inch rulers along the top and the
// left and a scroll bar that pages. It reports its page number and settings
// to the task pane's Print page, whose panes change the settings back
// through the setters of IPrintSettingsTarget.

#include <wx/panel.h>
#include <wx/scrolbar.h>

#include <memory>

#include "output/PrintPages.h"
#include "output/PrintPanes.h"
#include "shell/PaintedWindow.h"
#include "shell/StandInViews.h"

class CMainFrame;
class CPrintPage;
class CRulerBar;
class CPrintPreviewWnd;

// Control ids of the rulers.
constexpr int IDC_PREVIEW_HRULER = 101;
constexpr int IDC_PREVIEW_VRULER = 102;

class CPreviewCanvas : public CPaintedWindow {
 public:
  CPreviewCanvas(wxWindow* parent, CPrintPreviewWnd& owner);
  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;

 private:
  CPrintPreviewWnd& m_owner;
};

class CPrintPreviewWnd : public wxPanel, public IPreviewContent, public IPrintSettingsTarget {
 public:
  // The preview resolution: the paper at this many pixels per inch.
  static constexpr int kPreviewDpi = 300;

  CPrintPreviewWnd(wxWindow* parent, CMainFrame& frame);
  ~CPrintPreviewWnd() override;

  // The files of the next contact sheet (Print Contact Sheet from Browse).
  void SetContactSheet(std::vector<PRINT_SHEET_ITEM> items,
                       std::function<CRasterImage(const std::string&, int, int)> makeThumbnail = nullptr);

  // IPreviewContent
  wxWindow* GetContentWindow() override { return this; }
  bool EnterImagePreview(wxDocument* document) override;
  bool EnterContactSheetPreview() override;
  void LeavePreview() override;
  void SetPreviewDocument(wxDocument* document) override;
  wxDocument* GetPreviewDocument() const override { return m_document; }
  void RefreshPreview() override;
  bool PrintDocument(wxDocument* document) override;

  // IPrintSettingsTarget
  void SetPrintSize(int preset) override;
  void SetCustomPrintSize(int width, int height) override;
  void SetCropOffset(int offset) override;
  void SetAlignment(int horizontal, int vertical) override;
  void SetCaptionOptions(bool printComments, int textSize) override;
  void SetAllOnOnePage(bool flag) override;
  void SetThumbnailSize(int index) override;
  void SetPrintFileNames(bool print) override;
  void SetPrintFolderNames(bool print) override;
  void SetTextSize(int size) override;
  void SetCropOptions(bool crop, int offset) override;
  void SetRows(int rows) override;
  void SetColumns(int columns) override;

  int GetPrintKind() const { return m_source.kind; }
  int GetCurrentPage() const { return m_page; }  // from 0
  int GetPageCount() const { return m_pages ? m_pages->GetPageCount() : 0; }
  void ShowPage(int page);
  const PRINT_SOURCE& GetSource() const { return m_source; }
  const CPrintPages* GetPages() const { return m_pages.get(); }
  const CONTACT_SHEET_SETTINGS& GetContactSheetSettings() const { return m_source.sheet; }
  // Where the page lies on the canvas and its scale (screen pixels per printer pixel).
  wxRect GetPageRect(double* scale = nullptr) const;
  CPreviewCanvas* GetCanvas() const { return m_canvas; }
  CRulerBar* GetHorizontalRuler() const { return m_hRuler; }
  CRulerBar* GetVerticalRuler() const { return m_vRuler; }
  wxScrollBar* GetScrollBar() const { return m_scroll; }
  CSinglePrintDlg* GetSinglePane() const { return m_single; }
  CMultiPrintDlg* GetMultiPane() const { return m_multi; }
  CContactSheetDlg* GetContactSheetPane() const { return m_contact; }
  void DrawCanvas(wxDC& dc);

  // Pages a scroll code moves to (the scroll bar's rule): line up/down by
  // one, page up/down by (max - min + 9) / 10, top, bottom, thumb to
  // position; clamped into 0..count-1.
  static int ScrollTarget(int code, int current, int count, int position);

 private:
  void ReadDocument();
  void Relayout();
  void ReportToPage();
  void UpdateRulers();
  void UpdateScrollBar();
  void MakePanes();
  void StoreDocumentSettings();
  void OnSize(wxSizeEvent& event);
  void OnScroll(wxScrollEvent& event);
  void OnKey(wxKeyEvent& event);
  void OnWheel(wxMouseEvent& event);
  void OnPrint(wxCommandEvent& event);

  CMainFrame& m_frame;
  CRulerBar* m_hRuler = nullptr;
  CRulerBar* m_vRuler = nullptr;
  CPreviewCanvas* m_canvas = nullptr;
  wxScrollBar* m_scroll = nullptr;
  CSinglePrintDlg* m_single = nullptr;
  CMultiPrintDlg* m_multi = nullptr;
  CContactSheetDlg* m_contact = nullptr;
  wxDocument* m_document = nullptr;
  PRINT_SOURCE m_source;
  std::vector<PRINT_SHEET_ITEM> m_sheetItems;
  std::function<CRasterImage(const std::string&, int, int)> m_makeThumbnail;
  std::unique_ptr<CPrintPages> m_pages;
  int m_page = 0;
  bool m_active = false;
};
