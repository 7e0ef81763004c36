#include "output/PrintPreview.h"

#include <wx/dcmemory.h>
#include <wx/docview.h>

#include <algorithm>

#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/RulerBar.h"
#include "shell/TaskPanePages.h"
#include "shell/UiTheme.h"

namespace {

constexpr int kVRulerWidth = 22;
constexpr int kHRulerHeight = 26;
constexpr int kPageMargin = 16;

// Scroll codes of the paging rule.
enum { SCROLL_LINEUP = 0, SCROLL_LINEDOWN, SCROLL_PAGEUP, SCROLL_PAGEDOWN, SCROLL_THUMBPOSITION, SCROLL_THUMBTRACK,
       SCROLL_TOP, SCROLL_BOTTOM, SCROLL_ENDSCROLL };

IPaneDocument* PaneOf(wxDocument* document) { return dynamic_cast<IPaneDocument*>(document); }

}  // namespace

// --- the canvas ----------------------------------------------------------------------

CPreviewCanvas::CPreviewCanvas(wxWindow* parent, CPrintPreviewWnd& owner)
    : CPaintedWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS, "preview"), m_owner(owner) {}

wxColour CPreviewCanvas::GetPaintBackground() const { return ThemeColour(wxSYS_COLOUR_APPWORKSPACE); }

void CPreviewCanvas::Render(wxDC& dc) { m_owner.DrawCanvas(dc); }

// --- the preview ---------------------------------------------------------------------

CPrintPreviewWnd::CPrintPreviewWnd(wxWindow* parent, CMainFrame& frame) : wxPanel(parent, wxID_ANY), m_frame(frame) {
  SetBackgroundColour(ThemeColour(wxSYS_COLOUR_APPWORKSPACE));
  m_source.sheet.Read();
  m_hRuler = new CRulerBar;
  m_hRuler->Create(this, IDC_PREVIEW_HRULER, false);
  m_hRuler->SetUnitMode(true);
  m_vRuler = new CRulerBar;
  m_vRuler->Create(this, IDC_PREVIEW_VRULER, true);
  m_vRuler->SetUnitMode(true);
  m_canvas = new CPreviewCanvas(this, *this);
  m_scroll = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);
  m_scroll->Hide();
  Bind(wxEVT_SIZE, &CPrintPreviewWnd::OnSize, this);
  m_scroll->Bind(wxEVT_SCROLL_LINEUP, &CPrintPreviewWnd::OnScroll, this);
  m_scroll->Bind(wxEVT_SCROLL_LINEDOWN, &CPrintPreviewWnd::OnScroll, this);
  m_scroll->Bind(wxEVT_SCROLL_PAGEUP, &CPrintPreviewWnd::OnScroll, this);
  m_scroll->Bind(wxEVT_SCROLL_PAGEDOWN, &CPrintPreviewWnd::OnScroll, this);
  m_scroll->Bind(wxEVT_SCROLL_TOP, &CPrintPreviewWnd::OnScroll, this);
  m_scroll->Bind(wxEVT_SCROLL_BOTTOM, &CPrintPreviewWnd::OnScroll, this);
  m_scroll->Bind(wxEVT_SCROLL_THUMBRELEASE, &CPrintPreviewWnd::OnScroll, this);
  m_scroll->Bind(wxEVT_SCROLL_CHANGED, &CPrintPreviewWnd::OnScroll, this);
  m_canvas->Bind(wxEVT_KEY_DOWN, &CPrintPreviewWnd::OnKey, this);
  m_canvas->Bind(wxEVT_MOUSEWHEEL, &CPrintPreviewWnd::OnWheel, this);
  m_canvas->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) {
    m_canvas->SetFocus();
    event.Skip();
  });
  Bind(wxEVT_MENU, &CPrintPreviewWnd::OnPrint, this, ID_FILE_PRINT);
  Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(GetPageCount() > 0); }, ID_FILE_PRINT);
}

CPrintPreviewWnd::~CPrintPreviewWnd() { m_source.sheet.Write(); }

void CPrintPreviewWnd::SetContactSheet(std::vector<PRINT_SHEET_ITEM> items,
                                       std::function<CRasterImage(const std::string&, int, int)> makeThumbnail) {
  m_sheetItems = std::move(items);
  m_makeThumbnail = std::move(makeThumbnail);
}

void CPrintPreviewWnd::MakePanes() {
  if (m_single) return;
  CPrintPage* page = m_frame.GetPrintPage();
  m_single = new CSinglePrintDlg(page);
  m_multi = new CMultiPrintDlg(page);
  m_contact = new CContactSheetDlg(page);
  for (wxWindow* pane : {static_cast<wxWindow*>(m_single), static_cast<wxWindow*>(m_multi),
                         static_cast<wxWindow*>(m_contact)})
    pane->Hide();
}

void CPrintPreviewWnd::ReadDocument() {
  m_source.frames = nullptr;
  m_source.kind = PRINT_KIND_NONE;
  IPaneDocument* pane = PaneOf(m_document);
  if (!pane) return;
  m_source.frames = pane->GetPaneFrames();
  const int count = m_source.frames ? static_cast<int>(m_source.frames->size()) : 0;
  m_source.kind = count > 1 ? PRINT_KIND_MULTI : PRINT_KIND_SINGLE;
  m_source.currentFrame = std::clamp(pane->GetPaneCurrentFrame(), 0, std::max(count - 1, 0));
  int w = 0, h = 0;
  pane->GetPaneCanvasSize(w, h);
  m_source.canvasWidth = w;
  m_source.canvasHeight = h;
  m_source.settings = pane->GetPanePrintSettings();
  m_source.comment = pane->GetPaneComment();
}

bool CPrintPreviewWnd::EnterImagePreview(wxDocument* document) {
  if (!PaneOf(document)) return false;
  m_document = document;
  ReadDocument();
  m_page = 0;
  m_active = true;
  MakePanes();
  Relayout();
  return true;
}

bool CPrintPreviewWnd::EnterContactSheetPreview() {
  if (m_sheetItems.empty()) return false;
  m_document = nullptr;
  const CONTACT_SHEET_SETTINGS sheet = m_source.sheet;
  m_source = PRINT_SOURCE();
  m_source.kind = PRINT_KIND_CONTACT_SHEET;
  m_source.sheet = sheet;
  m_source.items = m_sheetItems;
  m_source.makeThumbnail = m_makeThumbnail;
  m_page = 0;
  m_active = true;
  MakePanes();
  Relayout();
  return true;
}

void CPrintPreviewWnd::LeavePreview() {
  m_active = false;
  m_source.sheet.Write();
  for (PrintPaneDialog* pane : {static_cast<PrintPaneDialog*>(m_single), static_cast<PrintPaneDialog*>(m_multi),
                                static_cast<PrintPaneDialog*>(m_contact)})
    if (pane) pane->SetTarget(nullptr);
  m_document = nullptr;
  m_source.frames = nullptr;
  m_source.items.clear();
  m_pages.reset();
  m_frame.GetPrintPage()->SetHeaderText("Print");
}

void CPrintPreviewWnd::SetPreviewDocument(wxDocument* document) {
  if (!m_active || m_source.kind == PRINT_KIND_CONTACT_SHEET || !PaneOf(document)) return;
  m_document = document;
  ReadDocument();
  m_page = 0;
  Relayout();
}

void CPrintPreviewWnd::RefreshPreview() {
  if (!m_active) return;
  if (m_document) ReadDocument();
  Relayout();
}

void CPrintPreviewWnd::Relayout() {
  m_pages = std::make_unique<CPrintPages>(m_source);
  wxBitmap bitmap(1, 1);
  wxMemoryDC measure(bitmap);
  m_pages->Layout(measure, GetPaperDevice(kPreviewDpi));
  m_page = std::clamp(m_page, 0, std::max(GetPageCount() - 1, 0));
  ReportToPage();
  UpdateScrollBar();
  wxSizeEvent none;
  OnSize(none);
  m_canvas->Refresh();
}

void CPrintPreviewWnd::ReportToPage() {
  CPrintPage* page = m_frame.GetPrintPage();
  if (!page || !m_pages) return;
  const PRINT_DEVICE& device = m_pages->GetDevice();
  page->SetPageSize(device.dpiX > 0 ? device.pageWidth * 100 / device.dpiX : 0,
                    device.dpiY > 0 ? device.pageHeight * 100 / device.dpiY : 0);
  MakePanes();
  const PANE_PRINT_SETTINGS& s = m_source.settings;
  PrintPaneDialog* pane = nullptr;
  switch (m_source.kind) {
    case PRINT_KIND_SINGLE:
      m_single->SetOptions(s.sizePreset, s.customWidth, s.customHeight, s.horzAlign, s.vertAlign, s.crop != 0,
                           s.cropOffset, s.printComments != 0, s.commentSize);
      pane = m_single;
      break;
    case PRINT_KIND_MULTI:
      m_multi->SetOptions(s.allOnOnePage != 0, s.horzAlign, s.vertAlign, s.rows, s.columns);
      pane = m_multi;
      break;
    case PRINT_KIND_CONTACT_SHEET: {
      const CONTACT_SHEET_SETTINGS& c = m_source.sheet;
      m_contact->SetOptions(c.thumbnailSize, c.horzAlign, c.vertAlign, c.printNames != 0, c.printFolders != 0,
                            c.textSize);
      pane = m_contact;
      break;
    }
  }
  for (PrintPaneDialog* each : {static_cast<PrintPaneDialog*>(m_single), static_cast<PrintPaneDialog*>(m_multi),
                                static_cast<PrintPaneDialog*>(m_contact)})
    each->SetTarget(each == pane ? this : nullptr);
  if (page->GetChild() != pane) page->SetChild(pane);
  page->SetPageNumber(m_page + 1, std::max(GetPageCount(), 1));
}

void CPrintPreviewWnd::ShowPage(int page) {
  page = std::clamp(page, 0, std::max(GetPageCount() - 1, 0));
  if (page == m_page) return;
  m_page = page;
  m_scroll->SetThumbPosition(m_page);
  if (CPrintPage* printPage = m_frame.GetPrintPage()) printPage->SetPageNumber(m_page + 1, std::max(GetPageCount(), 1));
  m_canvas->Refresh();
}

int CPrintPreviewWnd::ScrollTarget(int code, int current, int count, int position) {
  const int last = std::max(count - 1, 0);
  int page = current;
  switch (code) {
    case SCROLL_LINEUP: page = current - 1; break;
    case SCROLL_LINEDOWN: page = current + 1; break;
    case SCROLL_PAGEUP: page = current - (last + 9) / 10; break;
    case SCROLL_PAGEDOWN: page = current + (last + 9) / 10; break;
    case SCROLL_THUMBPOSITION:
    case SCROLL_THUMBTRACK: page = position; break;
    case SCROLL_TOP: page = 0; break;
    case SCROLL_BOTTOM: page = last; break;
    default: break;
  }
  return std::clamp(page, 0, last);
}

void CPrintPreviewWnd::OnScroll(wxScrollEvent& event) {
  const wxEventType type = event.GetEventType();
  int code = SCROLL_ENDSCROLL;
  if (type == wxEVT_SCROLL_LINEUP) code = SCROLL_LINEUP;
  else if (type == wxEVT_SCROLL_LINEDOWN) code = SCROLL_LINEDOWN;
  else if (type == wxEVT_SCROLL_PAGEUP) code = SCROLL_PAGEUP;
  else if (type == wxEVT_SCROLL_PAGEDOWN) code = SCROLL_PAGEDOWN;
  else if (type == wxEVT_SCROLL_TOP) code = SCROLL_TOP;
  else if (type == wxEVT_SCROLL_BOTTOM) code = SCROLL_BOTTOM;
  else if (type == wxEVT_SCROLL_THUMBRELEASE || type == wxEVT_SCROLL_CHANGED) code = SCROLL_THUMBPOSITION;
  ShowPage(ScrollTarget(code, m_page, GetPageCount(), event.GetPosition()));
}

void CPrintPreviewWnd::OnKey(wxKeyEvent& event) {
  switch (event.GetKeyCode()) {
    case WXK_PAGEUP: case WXK_UP: ShowPage(ScrollTarget(SCROLL_LINEUP, m_page, GetPageCount(), 0)); break;
    case WXK_PAGEDOWN: case WXK_DOWN: ShowPage(ScrollTarget(SCROLL_LINEDOWN, m_page, GetPageCount(), 0)); break;
    case WXK_HOME: ShowPage(0); break;
    case WXK_END: ShowPage(GetPageCount() - 1); break;
    default: event.Skip();
  }
}

void CPrintPreviewWnd::OnWheel(wxMouseEvent& event) {
  if (event.GetWheelRotation() == 0) return;
  ShowPage(ScrollTarget(event.GetWheelRotation() > 0 ? SCROLL_LINEUP : SCROLL_LINEDOWN, m_page, GetPageCount(), 0));
}

void CPrintPreviewWnd::UpdateScrollBar() {
  const int count = GetPageCount();
  m_scroll->SetScrollbar(m_page, 1, std::max(count, 1), 1);
  m_scroll->Show(count > 1);
}

void CPrintPreviewWnd::OnSize(wxSizeEvent& event) {
  event.Skip();
  const wxSize size = GetClientSize();
  const int scrollWidth = m_scroll->IsShown() ? m_scroll->GetBestSize().x : 0;
  const int canvasW = std::max(size.x - kVRulerWidth - scrollWidth, 1);
  const int canvasH = std::max(size.y - kHRulerHeight, 1);
  // The horizontal ruler spans the corner too; its offsets count from the canvas's left.
  m_hRuler->SetSize(0, 0, size.x - scrollWidth, kHRulerHeight);
  m_vRuler->SetSize(0, kHRulerHeight, kVRulerWidth, canvasH);
  m_canvas->SetSize(kVRulerWidth, kHRulerHeight, canvasW, canvasH);
  if (scrollWidth) m_scroll->SetSize(size.x - scrollWidth, kHRulerHeight, scrollWidth, canvasH);
  UpdateRulers();
  m_canvas->Refresh();
}

wxRect CPrintPreviewWnd::GetPageRect(double* scale) const {
  const wxSize client = m_canvas->GetClientSize();
  const PRINT_DEVICE device = m_pages ? m_pages->GetDevice() : GetPaperDevice(kPreviewDpi);
  if (device.pageWidth <= 0 || device.pageHeight <= 0) return {};
  const double s = std::max(0.0, std::min(double(client.x - 2 * kPageMargin) / device.pageWidth,
                                          double(client.y - 2 * kPageMargin) / device.pageHeight));
  if (scale) *scale = s;
  const int w = static_cast<int>(device.pageWidth * s), h = static_cast<int>(device.pageHeight * s);
  return wxRect((client.x - w) / 2, (client.y - h) / 2, w, h);
}

void CPrintPreviewWnd::UpdateRulers() {
  if (!m_pages) return;
  const PRINT_DEVICE& device = m_pages->GetDevice();
  const wxRect page = GetPageRect();
  if (page.IsEmpty() || device.dpiX <= 0 || device.dpiY <= 0) return;
  m_hRuler->SetUnitRange(page.x, page.width, float(device.pageWidth) / float(device.dpiX));
  m_vRuler->SetUnitRange(page.y, page.height, float(device.pageHeight) / float(device.dpiY));
}

void CPrintPreviewWnd::DrawCanvas(wxDC& dc) {
  double scale = 0;
  const wxRect page = GetPageRect(&scale);
  if (!m_pages || page.IsEmpty() || scale <= 0) return;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(ThemeColour(wxSYS_COLOUR_3DDKSHADOW)));
  dc.DrawRectangle(page.x + 3, page.y + 3, page.width, page.height);
  dc.SetBrush(*wxBLACK_BRUSH);
  dc.DrawRectangle(page.x - 1, page.y - 1, page.width + 2, page.height + 2);
  wxBitmap bitmap(page.width, page.height, 24);
  {
    wxMemoryDC memory(bitmap);
    memory.SetBackground(*wxWHITE_BRUSH);
    memory.Clear();
    memory.SetUserScale(scale, scale);
    m_pages->DrawPage(memory, m_page, true);
  }
  dc.DrawBitmap(bitmap, page.x, page.y);
}

// --- printing --------------------------------------------------------------------------

void CPrintPreviewWnd::OnPrint(wxCommandEvent&) {
  if (!m_active || GetPageCount() == 0) return;
  const wxString title = m_source.kind == PRINT_KIND_CONTACT_SHEET ? wxString("Contact Sheet")
                         : m_document                             ? m_document->GetUserReadableName()
                                                                  : wxString("Picture");
  PrintWithDialog(&m_frame, m_source, title);
  RefreshPreview();  // the printer or paper may have changed
}

bool CPrintPreviewWnd::PrintDocument(wxDocument* document) {
  IPaneDocument* pane = PaneOf(document);
  if (!pane) return false;
  PRINT_SOURCE source;
  source.frames = pane->GetPaneFrames();
  const int count = source.frames ? static_cast<int>(source.frames->size()) : 0;
  if (count == 0) return false;
  source.kind = count > 1 ? PRINT_KIND_MULTI : PRINT_KIND_SINGLE;
  source.currentFrame = std::clamp(pane->GetPaneCurrentFrame(), 0, count - 1);
  int w = 0, h = 0;
  pane->GetPaneCanvasSize(w, h);
  source.canvasWidth = w;
  source.canvasHeight = h;
  source.settings = pane->GetPanePrintSettings();
  source.comment = pane->GetPaneComment();
  return PrintWithDialog(&m_frame, source, document->GetUserReadableName());
}

// --- the settings the panes change --------------------------------------------------------

void CPrintPreviewWnd::StoreDocumentSettings() {
  if (IPaneDocument* pane = PaneOf(m_document)) pane->SetPanePrintSettings(m_source.settings);
}

void CPrintPreviewWnd::SetPrintSize(int preset) {
  m_source.settings.sizePreset = std::clamp(preset, 0, 6);
  StoreDocumentSettings();
  Relayout();
}

void CPrintPreviewWnd::SetCustomPrintSize(int width, int height) {
  m_source.settings.customWidth = width;
  m_source.settings.customHeight = height;
  StoreDocumentSettings();
  Relayout();
}

void CPrintPreviewWnd::SetCropOffset(int offset) {
  m_source.settings.cropOffset = std::clamp(offset, 0, 100);
  StoreDocumentSettings();
  m_canvas->Refresh();
}

void CPrintPreviewWnd::SetAlignment(int horizontal, int vertical) {
  if (m_source.kind == PRINT_KIND_CONTACT_SHEET) {
    m_source.sheet.horzAlign = std::clamp(horizontal, 0, 2);
    m_source.sheet.vertAlign = std::clamp(vertical, 0, 2);
  } else {
    m_source.settings.horzAlign = std::clamp(horizontal, 0, 2);
    m_source.settings.vertAlign = std::clamp(vertical, 0, 2);
    StoreDocumentSettings();
  }
  m_canvas->Refresh();
}

void CPrintPreviewWnd::SetCaptionOptions(bool printComments, int textSize) {
  if (m_source.kind == PRINT_KIND_CONTACT_SHEET) return;
  m_source.settings.printComments = printComments;
  m_source.settings.commentSize = std::clamp(textSize, 0, 2);
  StoreDocumentSettings();
  Relayout();
}

void CPrintPreviewWnd::SetAllOnOnePage(bool flag) {
  if (m_source.kind == PRINT_KIND_CONTACT_SHEET) {
    if (flag) m_source.sheet.thumbnailSize = 0;
  } else {
    m_source.settings.allOnOnePage = flag;
    StoreDocumentSettings();
  }
  Relayout();
}

void CPrintPreviewWnd::SetThumbnailSize(int index) {
  m_source.sheet.thumbnailSize = std::clamp(index, 0, 7);
  Relayout();
}

void CPrintPreviewWnd::SetPrintFileNames(bool print) {
  m_source.sheet.printNames = print;
  Relayout();
}

void CPrintPreviewWnd::SetPrintFolderNames(bool print) {
  m_source.sheet.printFolders = print;
  Relayout();
}

void CPrintPreviewWnd::SetTextSize(int size) {
  m_source.sheet.textSize = std::clamp(size, 0, 2);
  if (m_source.sheet.printNames || m_source.sheet.printFolders) Relayout();
}

void CPrintPreviewWnd::SetCropOptions(bool crop, int offset) {
  m_source.settings.crop = crop;
  m_source.settings.cropOffset = std::clamp(offset, 0, 100);
  StoreDocumentSettings();
  Relayout();
}

void CPrintPreviewWnd::SetRows(int rows) {
  m_source.settings.rows = std::clamp(rows, 0, 100);
  StoreDocumentSettings();
  Relayout();
}

void CPrintPreviewWnd::SetColumns(int columns) {
  m_source.settings.columns = std::clamp(columns, 0, 100);
  StoreDocumentSettings();
  Relayout();
}
