#pragma once
// The pages of the task pane: Folders (hosts the folder tree of the browse
// mode), Documents (the open image documents and the background fill colour),
// Animation (the frame toolbar and frame list of the active document), Print
// (hosts the print settings panel) and Effect (hosts the panel of the effect
// being edited). The main frame owns them, shows and hides them per mode and
// forwards the active document and document events.

#include <wx/docview.h>
#include <wx/scrolbar.h>
#include <wx/timer.h>

#include <functional>
#include <vector>

#include "imaging/ImageTypes.h"
#include "shell/EditorHost.h"
#include "shell/PaneDocument.h"
#include "shell/TaskPane.h"

class CCommandToolBar;
class CFrameListCtrl;

// --- a page whose body is one child window ---------------------------------------
class CDialogHostPage : public CTaskPanePage {
 public:
  // Attaches a child (null detaches); the child keeps its size, the page grows to hold it.
  void SetChild(wxWindow* child);
  wxWindow* GetChild() const { return m_child; }
  void PlaceChild();
  int GetExpandedHeight() const override;
  void MoveTo(int top, int height) override;

 private:
  wxWindow* m_child = nullptr;
  wxSize m_childSize;
};

class CEffectPage : public CDialogHostPage {
 public:
  wxString GetCaption() const override { return "Effect"; }
  // Opens an effect: its name goes into the header, its panel (a child of
  // this page) is hosted; close runs when the effect closes (ends effect mode).
  void SetEffect(const wxString& name, wxWindow* panel, std::function<void()> close);
  // Nothing without an open effect; else the panel goes and close runs.
  void CloseEffect();
  bool HasEffect() const { return m_panel != nullptr; }

 private:
  wxWindow* m_panel = nullptr;
  std::function<void()> m_close;
};

class CPrintPage : public CDialogHostPage {
 public:
  wxString GetCaption() const override { return "Print"; }
  // The header reads "Print (Page %d of %d)".
  void SetPageNumber(int page, int count);
  // The printable page size in 1/100 inch, as last reported.
  void SetPageSize(int width, int height) {
    m_pageWidth = width;
    m_pageHeight = height;
  }
  int GetPageWidth() const { return m_pageWidth; }
  int GetPageHeight() const { return m_pageHeight; }

 private:
  int m_pageWidth = 0, m_pageHeight = 0;
};

// --- Folders ---------------------------------------------------------------------
class CFoldersPage : public CTaskPanePage {
 public:
  wxString GetCaption() const override { return "Folders"; }
  // The folder tree (a child of this page); its height callback says how
  // high its expanded items are.
  void SetTree(wxWindow* tree, std::function<int()> itemsHeight);
  wxWindow* GetTree() const { return m_tree; }
  int GetExpandedHeight() const override;
  void MoveTo(int top, int height) override;

 private:
  static constexpr int kMinTreeSize = 48;
  wxRect TreeRect() const;
  void PlaceTree();
  wxWindow* m_tree = nullptr;
  std::function<int()> m_itemsHeight;
};

// --- Animation -------------------------------------------------------------------
class CAnimationPage : public CTaskPanePage {
 public:
  static constexpr int kToolbarHeight = 32;
  wxString GetCaption() const override { return "Animation"; }
  bool CreatePage(int x, int y, int width, int height, wxWindow* parent, bool shown) override;
  // Follows a document (null: none); shown only with more than one frame.
  void SetDocument(wxDocument* document);
  void ClearDocument() { SetDocument(nullptr); }
  wxDocument* GetDocument() const { return m_document; }
  // The document's frames changed: the list reads them again.
  void RefreshFrames();
  void ShowPage(bool shown) override;
  int GetCollapsedHeight() const override;
  int GetExpandedHeight() const override;
  void MoveTo(int top, int height) override;
  CFrameListCtrl* GetFrameList() const { return m_list; }
  CCommandToolBar* GetToolBar() const { return m_toolbar; }

 private:
  IPaneDocument* Pane() const;
  wxDocument* m_document = nullptr;
  CFrameListCtrl* m_list = nullptr;
  CCommandToolBar* m_toolbar = nullptr;
};

// --- Documents -------------------------------------------------------------------

// The close glyph of a row (8 x 8).
void DrawCloseGlyph(wxDC& dc, int x, int y, const wxColour& glyph, const wxColour& halftone);

class CDocumentListCtrl : public CPaintedWindow {
 public:
  static constexpr int kHoverMax = 10;
  CDocumentListCtrl(wxWindow* parent, wxWindowID id);
  ~CDocumentListCtrl() override;

  void AddDocument(wxDocument* document);
  void RemoveDocument(wxDocument* document);
  void SetActiveRow(int index);
  int GetActiveRow() const { return m_active; }
  void SetClosable(bool closable);
  bool IsClosable() const { return m_closable; }
  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  wxDocument* GetDocument(int index) const;
  int FindRow(const wxDocument* document) const;
  int GetRowHeight() const { return m_rowHeight; }
  int GetTotalHeight() const { return m_rowHeight * GetRowCount(); }
  int GetFirstRowHeight() const { return m_rows.empty() ? 0 : m_rowHeight; }
  int HitTestRow(const wxPoint& point) const;
  wxRect GetRowRect(int index) const;
  wxRect GetCloseRect(int index) const;
  int GetHoverLevel(int index) const { return m_rows[static_cast<std::size_t>(index)].level; }
  bool IsHoverTimerRunning() const { return m_timer.IsRunning(); }
  int GetScrollPosition() const { return m_scroll; }
  void ScrollTo(int position);
  void PageDown();

  // How a row's document is activated (set by the page).
  void SetActivateCallback(std::function<void(wxDocument*)> activate) { m_activate = std::move(activate); }

  // Input, client coordinates; public for tests.
  void MouseMove(const wxPoint& point);
  void MouseLeave();
  void MouseDown(const wxPoint& point);
  void MouseUp(const wxPoint& point);
  // One hover step; false when nothing moved (the timer stops).
  bool HoverStep();

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;

 private:
  struct Row {
    wxDocument* document;
    int level;
    int target;
  };
  void DrawRow(wxDC& dc, const Row& row, const wxRect& rect, bool active);
  void UpdateScrollBar();

  std::vector<Row> m_rows;
  int m_rowHeight = 36;
  wxTimer m_timer;
  int m_pressed = -1;
  wxDocument* m_pressedDocument = nullptr;
  int m_active = -1;
  bool m_closable = true;
  int m_scroll = 0;
  wxScrollBar* m_scrollBar = nullptr;
  std::function<void(wxDocument*)> m_activate;
};

class CDocumentsPage : public CTaskPanePage {
 public:
  static constexpr int kColorAreaHeight = 48;
  static constexpr int kSwatchSize = 28;
  wxString GetCaption() const override { return "Documents"; }
  bool CreatePage(int x, int y, int width, int height, wxWindow* parent, bool shown) override;
  int GetCollapsedHeight() const override;
  int GetExpandedHeight() const override;
  void MoveTo(int top, int height) override;
  void DrawBody(wxDC& dc) override;

  void SetActiveDocument(wxDocument* document);
  void SetPrintMode(bool printMode);
  bool IsPrintMode() const { return m_printMode; }
  void OnDocumentEvent(wxDocument* document, DOCUMENT_CHANGE event);
  CDocumentListCtrl* GetList() const { return m_list; }

  // The program-wide background fill colour (set by the editor).
  static void SetBackgroundColorAccess(std::function<RGBQUAD()> get, std::function<void(RGBQUAD)> set);
  static RGBQUAD GetBackgroundFill();
  // How a document is activated (set by the main frame).
  void SetActivateCallback(std::function<void(wxDocument*)> activate);

  wxRect GetColorAreaRect() const;
  wxRect GetListRect() const;
  wxRect GetSwatchHitRect() const;
  wxRect GetFillButtonHitRect() const;
  // Mouse on the page body, client coordinates; public for tests.
  void PageMouseDown(const wxPoint& point);
  void PageLeftDown(const wxPoint& point) override { PageMouseDown(point); }
  void PageMouseMove(const wxPoint& point);
  void PageMouseUp(const wxPoint& point);
  bool IsFillButtonPressed() const { return m_fillPressed; }

 private:
  CDocumentListCtrl* m_list = nullptr;
  bool m_printMode = false;
  bool m_fillPressed = false;
  bool m_fillInside = false;
};
