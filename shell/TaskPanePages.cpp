#include "shell/TaskPanePages.h"

#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include <algorithm>

#include "resources/CommandIds.h"
#include "shell/ColorChooser.h"
#include "shell/CommandToolBar.h"
#include "shell/DeviceDrawing.h"
#include "shell/FrameListCtrl.h"
#include "shell/UiTheme.h"

namespace {

// Below this the toolkit cannot fit a scroll bar's parts: the list then scrolls by wheel and keys only.
constexpr int kMinScrollBarHeight = 48;
constexpr int kMinScrollBarWidth = 16;

constexpr int kHoverTimerId = 1001;
constexpr int kHoverTimerMs = 30;
constexpr int kThumbSide = 32;
constexpr int kTextLeft = kThumbSide + 2 * 4;

void FillRect(wxDC& dc, const wxRect& r, const wxColour& colour) {
  if (r.width <= 0 || r.height <= 0) return;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(colour));
  dc.DrawRectangle(r);
}

void FrameRect(wxDC& dc, const wxRect& r, const wxColour& colour) {
  FillRect(dc, wxRect(r.x, r.y, r.width, 1), colour);
  FillRect(dc, wxRect(r.x, r.GetBottom(), r.width, 1), colour);
  FillRect(dc, wxRect(r.x, r.y, 1, r.height), colour);
  FillRect(dc, wxRect(r.GetRight(), r.y, 1, r.height), colour);
}

// Sends a command to the top-level window, as a menu item would.
void SendCommand(wxWindow* from, int command) {
  wxWindow* top = from ? wxGetTopLevelParent(from) : nullptr;
  if (!top) return;
  wxCommandEvent event(wxEVT_MENU, command);
  event.SetEventObject(top);
  top->GetEventHandler()->ProcessEvent(event);
}

std::function<RGBQUAD()> g_getBackground;
std::function<void(RGBQUAD)> g_setBackground;

constexpr const char* kCloseGlyph[8] = {"12....21", "212..212", ".212212.", "..2112..",
                                        "..2112..", ".212212.", "212..212", "12....21"};

}  // namespace

// --- dialog host -----------------------------------------------------------------

void CDialogHostPage::SetChild(wxWindow* child) {
  if (m_child) {
    m_child->SetSize(0, 0, m_childSize.x, m_childSize.y);
    m_child->Hide();
  }
  m_child = child;
  m_childSize = child ? child->GetSize() : wxSize(0, 0);
  PlaceChild();
  RequestLayout();
}

void CDialogHostPage::PlaceChild() {
  if (!m_child) return;
  // The child keeps its height while the page slides open or shut (the
  // page clips it): squeezed, its controls would get negative sizes.
  wxRect area = GetChildArea();
  area.height = std::max(area.height, m_childSize.y);
  area.width = std::max(area.width, m_childSize.x);
  m_child->SetSize(area);
  m_child->Show();
}

int CDialogHostPage::GetExpandedHeight() const {
  if (!m_child) return GetCollapsedHeight();
  return kTaskPaneHeaderHeight + m_childSize.y + 2;
}

void CDialogHostPage::MoveTo(int top, int height) {
  CTaskPanePage::MoveTo(top, height);
  PlaceChild();
}

void CPrintPage::SetPageNumber(int page, int count) {
  SetHeaderText(wxString::Format("Print (Page %d of %d)", page, count));
  Refresh();
}

void CEffectPage::SetEffect(const wxString& name, wxWindow* panel, std::function<void()> close) {
  if (m_panel) CloseEffect();
  m_panel = panel;
  m_close = std::move(close);
  SetHeaderText(name);
  SetChild(panel);
}

void CEffectPage::CloseEffect() {
  if (!m_panel) return;
  wxWindow* panel = m_panel;
  m_panel = nullptr;
  SetChild(nullptr);
  panel->Destroy();
  SetHeaderText(GetCaption());
  if (auto close = std::move(m_close)) close();
}

// --- folders ---------------------------------------------------------------------

void CFoldersPage::SetTree(wxWindow* tree, std::function<int()> itemsHeight) {
  m_tree = tree;
  m_itemsHeight = std::move(itemsHeight);
  PlaceTree();
  RequestLayout();
}

// A tree too small for its scroll bars (while the page opens or closes) is
// hidden rather than squeezed.
void CFoldersPage::PlaceTree() {
  if (!m_tree) return;
  const wxRect rect = TreeRect();
  const bool fits = rect.width >= kMinTreeSize && rect.height >= kMinTreeSize;
  if (fits) m_tree->SetSize(rect);
  m_tree->Show(fits);
}

wxRect CFoldersPage::TreeRect() const {
  wxRect r = GetChildArea();
  r.y += 4;
  r.height = std::max(0, r.height - 4);
  return r;
}

int CFoldersPage::GetExpandedHeight() const {
  if (IsCollapsed()) return GetCollapsedHeight();
  const int items = m_tree && m_itemsHeight ? m_itemsHeight() : 0;
  return items + kTaskPaneHeaderHeight + 10;
}

void CFoldersPage::MoveTo(int top, int height) {
  CTaskPanePage::MoveTo(top, height);
  PlaceTree();
}

// --- animation -------------------------------------------------------------------

bool CAnimationPage::CreatePage(int x, int y, int width, int, wxWindow* parent, bool) {
  if (!CTaskPanePage::CreatePage(x, y, width, GetCollapsedHeight(), parent, false)) return false;
  const wxRect area = GetChildArea();
  m_toolbar = new CCommandToolBar(this, wxID_ANY);
  m_toolbar->SetSize(area.x, area.y, area.width, kToolbarHeight);
  m_toolbar->LoadButtons(IDR_ANIMATION_TOOLBAR);
  m_list = new CFrameListCtrl(this, 1001, wxPoint(area.x, area.y + kToolbarHeight),
                              wxSize(std::max(1, area.width), std::max(1, area.height - kToolbarHeight)));
  m_list->SetMoveCallback([this](int insertAt) {
    if (IPaneDocument* pane = Pane()) {
      pane->MovePaneFrames(insertAt);
      RefreshFrames();
    }
  });
  m_list->SetActivateCallback([this](int index) {
    SendCommand(this, ID_STOP);
    if (IPaneDocument* pane = Pane()) pane->SetPaneCurrentFrame(index);
  });
  m_list->SetHeightCallback([this] { RequestLayout(); });
  return true;
}

IPaneDocument* CAnimationPage::Pane() const { return dynamic_cast<IPaneDocument*>(m_document); }

void CAnimationPage::SetDocument(wxDocument* document) {
  if (document != m_document && m_list) m_list->SetFrames(0, 0, nullptr);
  m_document = document;
  RefreshFrames();
  IPaneDocument* pane = Pane();
  const std::vector<CAnimFrame>* frames = pane ? pane->GetPaneFrames() : nullptr;
  ShowPage(frames && frames->size() > 1);
}

void CAnimationPage::RefreshFrames() {
  if (!m_list) return;
  IPaneDocument* pane = Pane();
  if (pane) {
    int width = 0, height = 0;
    pane->GetPaneCanvasSize(width, height);
    CFrameListModel& model = m_list->GetModel();
    if (model.GetFrames() == pane->GetPaneFrames() && model.GetCanvasWidth() == width &&
        model.GetCanvasHeight() == height)
      m_list->FramesChanged();  // the same document: keep the anchor and the scroll position
    else
      m_list->SetFrames(width, height, pane->GetPaneFrames());
  } else {
    m_list->SetFrames(0, 0, nullptr);
  }
}

void CAnimationPage::ShowPage(bool shown) {
  IPaneDocument* pane = Pane();
  const std::vector<CAnimFrame>* frames = pane ? pane->GetPaneFrames() : nullptr;
  if (!frames || frames->size() <= 1) shown = false;
  CTaskPanePage::ShowPage(shown);
}

int CAnimationPage::GetCollapsedHeight() const {
  return IsPageShown() ? kTaskPaneHeaderHeight + kToolbarHeight + 2 : 0;
}

int CAnimationPage::GetExpandedHeight() const {
  const int h = m_list ? m_list->GetContentHeight() : 0;
  return h == 0 ? GetCollapsedHeight() : kTaskPaneHeaderHeight + kToolbarHeight + h + 2;
}

void CAnimationPage::MoveTo(int top, int height) {
  CTaskPanePage::MoveTo(top, height);
  const wxRect area = GetChildArea();
  if (m_toolbar) m_toolbar->SetSize(area.x, area.y, area.width, kToolbarHeight);
  if (m_list)
    m_list->SetSize(area.x, area.y + kToolbarHeight, area.width, std::max(0, area.height - kToolbarHeight));
}

// --- documents list --------------------------------------------------------------

void DrawCloseGlyph(wxDC& dc, int x, int y, const wxColour& glyph, const wxColour& halftone) {
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) {
      const char code = kCloseGlyph[r][c];
      if (code == '1')
        SetPixelV(dc, x + c, y + r, glyph);
      else if (code == '2')
        SetPixelV(dc, x + c, y + r, halftone);
    }
}

CDocumentListCtrl::CDocumentListCtrl(wxWindow* parent, wxWindowID id) : m_timer(this, kHoverTimerId) {
  Create(parent, id, wxDefaultPosition, wxDefaultSize, wxCLIP_CHILDREN, "documentlist");
  const wxFont font = ThemeFont();
  int w = 0, h = 0;
  GetTextExtent("Ag", &w, &h, nullptr, nullptr, &font);
  m_rowHeight = std::max(kThumbSide + 2 * 2, h + 6);
  Bind(wxEVT_MOTION, [this](wxMouseEvent& e) { MouseMove(e.GetPosition()); });
  Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent&) { MouseLeave(); });
  Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) { MouseDown(e.GetPosition()); });
  Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& e) { MouseDown(e.GetPosition()); });
  Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) { MouseUp(e.GetPosition()); });
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
    m_pressed = -1;
    m_pressedDocument = nullptr;
  });
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
    if (!HoverStep()) m_timer.Stop();
  }, kHoverTimerId);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    e.Skip();
    UpdateScrollBar();
    Refresh();
  });
  Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& e) {
    const int notches = e.GetWheelRotation() / std::max(1, e.GetWheelDelta());
    ScrollTo(m_scroll - notches * m_rowHeight);
  });
}

CDocumentListCtrl::~CDocumentListCtrl() { m_timer.Stop(); }

void CDocumentListCtrl::AddDocument(wxDocument* document) {
  m_rows.push_back({document, 0, 0});
  UpdateScrollBar();
  Refresh();
}

void CDocumentListCtrl::RemoveDocument(wxDocument* document) {
  const int index = FindRow(document);
  if (index < 0) return;
  m_rows.erase(m_rows.begin() + index);
  if (m_active == index)
    m_active = -1;
  else if (m_active > index)
    --m_active;
  if (m_pressedDocument == document) {
    m_pressed = -1;
    m_pressedDocument = nullptr;
  }
  UpdateScrollBar();
  Refresh();
}

void CDocumentListCtrl::SetActiveRow(int index) {
  m_active = index;
  Refresh(false);
}

void CDocumentListCtrl::SetClosable(bool closable) {
  m_closable = closable;
  Refresh(false);
}

wxDocument* CDocumentListCtrl::GetDocument(int index) const {
  if (index < 0 || index >= GetRowCount()) return nullptr;
  return m_rows[static_cast<std::size_t>(index)].document;
}

int CDocumentListCtrl::FindRow(const wxDocument* document) const {
  for (int i = 0; i < GetRowCount(); ++i)
    if (m_rows[static_cast<std::size_t>(i)].document == document) return i;
  return -1;
}

int CDocumentListCtrl::HitTestRow(const wxPoint& point) const {
  if (!wxRect(GetClientSize()).Contains(point)) return -1;
  const int index = (point.y + m_scroll) / m_rowHeight;
  return index < GetRowCount() ? index : -1;
}

wxRect CDocumentListCtrl::GetRowRect(int index) const {
  if (index < 0 || index >= GetRowCount()) return {};
  int width = GetClientSize().x;
  if (m_scrollBar && m_scrollBar->IsShown()) width -= m_scrollBar->GetSize().x;
  return wxRect(0, index * m_rowHeight - m_scroll, width, m_rowHeight);
}

wxRect CDocumentListCtrl::GetCloseRect(int index) const {
  const wxRect row = GetRowRect(index);
  if (row.IsEmpty()) return {};
  wxRect glyph(row.GetRight() + 1 - 4 - 8, row.y + (m_rowHeight - 8) / 2, 8, 8);
  return glyph.Inflate(2);
}

void CDocumentListCtrl::UpdateScrollBar() {
  const wxSize client = GetClientSize();
  const int total = GetTotalHeight();
  if (total <= client.y || client.y < kMinScrollBarHeight || client.x < 2 * kMinScrollBarWidth) {
    m_scroll = 0;
    if (m_scrollBar && m_scrollBar->IsShown()) m_scrollBar->Hide();
    return;
  }
  const int barWidth = std::max(1, wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this));
  if (!m_scrollBar) {
    m_scrollBar = new wxScrollBar;
    m_scrollBar->Hide();
    m_scrollBar->Create(this, wxID_ANY, wxPoint(0, 0), wxSize(barWidth, 100), wxSB_VERTICAL);
    m_scrollBar->Bind(wxEVT_SCROLL_CHANGED, [this](wxScrollEvent& e) { ScrollTo(e.GetPosition()); });
    m_scrollBar->Bind(wxEVT_SCROLL_THUMBTRACK, [this](wxScrollEvent& e) { ScrollTo(e.GetPosition()); });
  }
  m_scroll = std::clamp(m_scroll, 0, total - client.y);
  m_scrollBar->SetSize(client.x - barWidth, 0, barWidth, client.y);
  m_scrollBar->SetScrollbar(m_scroll, client.y, total, client.y);
  m_scrollBar->Show();
}

void CDocumentListCtrl::ScrollTo(int position) {
  const int maximum = GetTotalHeight() - GetClientSize().y;
  const int pos = maximum < 0 ? 0 : std::clamp(position, 0, maximum);
  if (pos == m_scroll) return;
  m_scroll = pos;
  if (m_scrollBar && m_scrollBar->IsShown()) m_scrollBar->SetThumbPosition(pos);
  Refresh(false);
}

void CDocumentListCtrl::PageDown() {
  const int bottom = m_scroll + GetClientSize().y;
  for (int i = GetRowCount() - 1; i >= 0; --i) {
    const int top = i * m_rowHeight;
    if (top < bottom) {
      ScrollTo(std::max(top, m_scroll));
      return;
    }
  }
}

void CDocumentListCtrl::MouseMove(const wxPoint& point) {
  const int hit = HitTestRow(point);
  bool changed = false;
  for (int i = 0; i < GetRowCount(); ++i) {
    Row& row = m_rows[static_cast<std::size_t>(i)];
    const int target = i == hit ? kHoverMax : 0;
    if (row.target != target) {
      row.target = target;
      changed = true;
    }
  }
  if (changed && !m_timer.IsRunning()) m_timer.Start(kHoverTimerMs);
}

void CDocumentListCtrl::MouseLeave() {
  if (m_pressed >= 0) return;
  MouseMove(wxPoint(-1, -1));
}

bool CDocumentListCtrl::HoverStep() {
  bool moved = false;
  for (auto& row : m_rows) {
    if (row.level < row.target) {
      ++row.level;
      moved = true;
    } else if (row.level > row.target) {
      --row.level;
      moved = true;
    }
  }
  if (moved) Refresh(false);
  return moved;
}

void CDocumentListCtrl::MouseDown(const wxPoint& point) {
  const int index = HitTestRow(point);
  if (index < 0) return;
  wxDocument* document = GetDocument(index);
  if (m_closable && GetCloseRect(index).Contains(point)) {
    auto* pane = dynamic_cast<IPaneDocument*>(document);
    if (pane && pane->IsPaneBusy()) {
      wxBell();
    } else {
      if (!HasCapture()) CaptureMouse();
      m_pressed = index;
      m_pressedDocument = document;
    }
  }
  if (m_activate) m_activate(document);
}

void CDocumentListCtrl::MouseUp(const wxPoint& point) {
  if (m_pressed < 0) return;
  wxDocument* document = m_pressedDocument;
  m_pressed = -1;
  m_pressedDocument = nullptr;
  if (HasCapture()) ReleaseMouse();
  // The row is found again by its document: rows may have shifted while the
  // button was down (a document closed meanwhile).
  const int index = FindRow(document);
  if (index < 0 || !m_closable || HitTestRow(point) != index || !GetCloseRect(index).Contains(point)) return;
  if (!document->OnSaveModified()) return;
  if (FindRow(document) < 0) return;  // gone while the question was up
  if (wxDocManager* manager = document->GetDocumentManager())
    manager->CloseDocument(document, true);
  else
    document->DeleteAllViews();
  // The document now at the same place, or the last one.
  if (FindRow(document) >= 0) return;  // not closed
  if (GetRowCount() == 0) return;
  if (m_activate) m_activate(GetDocument(std::min(index, GetRowCount() - 1)));
}

wxColour CDocumentListCtrl::GetPaintBackground() const { return ThemeColour(wxSYS_COLOUR_WINDOW); }

void CDocumentListCtrl::Render(wxDC& dc) {
  dc.SetFont(ThemeFont());
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  for (int i = 0; i < GetRowCount(); ++i) {
    const wxRect rect = GetRowRect(i);
    if (rect.GetBottom() < 0 || rect.y > GetRenderSize().y) continue;
    DrawRow(dc, m_rows[static_cast<std::size_t>(i)], rect, i == m_active);
  }
}

void CDocumentListCtrl::DrawRow(wxDC& dc, const Row& row, const wxRect& rect, bool active) {
  const wxColour window = ThemeColour(wxSYS_COLOUR_WINDOW);
  const wxColour selectedBase = BlendColor(window, ThemeColour(wxSYS_COLOUR_HIGHLIGHT), 0.8);
  wxColour fill, text, glyph;
  if (active) {
    fill = selectedBase;
    text = glyph = ThemeColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
  } else {
    fill = BlendColor(window, selectedBase, row.level / 20.0);
    text = ThemeColour(wxSYS_COLOUR_WINDOWTEXT);
    glyph = BlendColor(fill, ThemeColour(wxSYS_COLOUR_HIGHLIGHTTEXT), row.level / 10.0);
  }
  FillRect(dc, rect, fill);
  dc.SetTextForeground(text);
  const wxRect textRect(rect.x + kTextLeft, rect.y, std::max(0, rect.width - kTextLeft - 16), rect.height);
  const wxString title = row.document ? row.document->GetUserReadableName() : wxString();
  dc.DrawLabel(wxControl::Ellipsize(title, dc, wxELLIPSIZE_END, textRect.width), textRect,
               wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
  if (m_closable)
    DrawCloseGlyph(dc, rect.GetRight() + 1 - 12, rect.y + (rect.height - 8) / 2, glyph, BlendColor(fill, glyph, 0.5));
  if (auto* pane = dynamic_cast<IPaneDocument*>(row.document)) {
    const CRasterImage& thumb = pane->GetPaneThumbnail();
    if (!thumb.IsEmpty()) {
      const int w = thumb.GetWidth(), h = thumb.GetHeight();
      const int x = rect.x + 4 + (kThumbSide - w) / 2, y = rect.y + 2 + (kThumbSide - h) / 2;
      Rect drawing{x, y, x + w, y + h}, target{0, 0, w, h}, source{0, 0, w, h};
      DrawImage(dc, drawing, target, h, thumb, source);
    }
  }
}

// --- documents page --------------------------------------------------------------

void CDocumentsPage::SetBackgroundColorAccess(std::function<RGBQUAD()> get, std::function<void(RGBQUAD)> set) {
  g_getBackground = std::move(get);
  g_setBackground = std::move(set);
}

RGBQUAD CDocumentsPage::GetBackgroundFill() {
  if (g_getBackground) return g_getBackground();
  RGBQUAD white;
  white.rgbRed = white.rgbGreen = white.rgbBlue = 255;
  return white;
}

bool CDocumentsPage::CreatePage(int x, int y, int width, int height, wxWindow* parent, bool shown) {
  if (!CTaskPanePage::CreatePage(x, y, width, height, parent, shown)) return false;
  m_list = new CDocumentListCtrl(this, 1001);
  m_list->SetSize(GetListRect());
  Bind(wxEVT_MOTION, [this](wxMouseEvent& e) {
    PageMouseMove(e.GetPosition());
    e.Skip();
  });
  Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) {
    PageMouseUp(e.GetPosition());
    e.Skip();
  });
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_fillPressed = m_fillInside = false; });
  return true;
}

void CDocumentsPage::SetActivateCallback(std::function<void(wxDocument*)> activate) {
  if (m_list) m_list->SetActivateCallback(std::move(activate));
}

wxRect CDocumentsPage::GetColorAreaRect() const {
  if (m_printMode) return {};
  wxRect r(GetClientSize());
  r.Deflate(1);
  return wxRect(r.x, r.y + kTaskPaneHeaderHeight, r.width, kColorAreaHeight);
}

wxRect CDocumentsPage::GetListRect() const {
  const wxSize client = GetClientSize();
  const int top = 1 + kTaskPaneHeaderHeight + (m_printMode ? 4 : kColorAreaHeight);
  return wxRect(1, top, std::max(0, client.x - 2), std::max(0, client.y - 5 - top));
}

int CDocumentsPage::GetCollapsedHeight() const {
  int height = CTaskPanePage::GetCollapsedHeight();
  if (height > 0) {
    if (m_list && m_list->GetRowCount() > 0) height += m_list->GetRowHeight() + 4;
    height += m_printMode ? 4 : kColorAreaHeight;
  }
  return height;
}

int CDocumentsPage::GetExpandedHeight() const {
  if (!m_list || m_list->GetRowCount() == 0) return GetCollapsedHeight();
  const int total = m_list->GetTotalHeight();
  return m_printMode ? total + kTaskPaneHeaderHeight + 10 : total + kTaskPaneHeaderHeight + kColorAreaHeight + 6;
}

void CDocumentsPage::MoveTo(int top, int height) {
  CTaskPanePage::MoveTo(top, height);
  if (m_list) m_list->SetSize(GetListRect());
}

void CDocumentsPage::SetActiveDocument(wxDocument* document) {
  if (!m_list) return;
  const int index = m_list->FindRow(document);
  if (index >= 0) m_list->SetActiveRow(index);
}

void CDocumentsPage::SetPrintMode(bool printMode) {
  if (printMode == m_printMode) return;
  m_printMode = printMode;
  if (m_list) {
    m_list->SetClosable(!printMode);
    m_list->SetSize(GetListRect());
  }
  if (GetHandle()) Refresh(false);
  RequestLayout();
}

void CDocumentsPage::OnDocumentEvent(wxDocument* document, DOCUMENT_CHANGE event) {
  if (m_list) {
    switch (event) {
      case DOCUMENT_ADDED:
        if (m_list->FindRow(document) < 0) m_list->AddDocument(document);
        break;
      case DOCUMENT_CHANGED: {
        const int index = m_list->FindRow(document);
        if (index >= 0) m_list->RefreshRect(m_list->GetRowRect(index));
        break;
      }
      case DOCUMENT_REMOVED:
        m_list->RemoveDocument(document);
        break;
      default:
        break;
    }
  }
  RequestLayout();
}

wxRect CDocumentsPage::GetSwatchHitRect() const {
  const wxRect area = GetColorAreaRect();
  if (area.IsEmpty()) return {};
  return wxRect(area.x + 8, area.y + 2 + (area.GetBottom() + 1 - kSwatchSize - (area.y + 2)) / 2, kSwatchSize,
                kSwatchSize);
}

wxRect CDocumentsPage::GetFillButtonHitRect() const {
  const wxRect area = GetColorAreaRect();
  if (area.IsEmpty()) return {};
  const wxFont font = CaptionFont();
  int w = 0, h = 0;
  GetTextExtent("Background Fill Color", &w, &h, nullptr, nullptr, &font);
  if (h < 13) h = 12;
  return wxRect(area.GetRight() + 1 - 15, area.y + 5 + (h - 12) / 2, 12, 12);
}

void CDocumentsPage::PageMouseDown(const wxPoint& point) {
  if (m_printMode) {
    ClickAt(point);
    return;
  }
  if (GetSwatchHitRect().Contains(point)) {
    RGBQUAD colour = GetBackgroundFill();
    if (ChooseColor(this, colour)) {
      if (g_setBackground) g_setBackground(colour);
      Refresh(false);
    }
    return;
  }
  if (!GetFillButtonHitRect().Contains(point)) {
    ClickAt(point);
    return;
  }
  if (!m_list || m_list->GetRowCount() == 0) {
    wxBell();
    return;
  }
  m_fillPressed = m_fillInside = true;
  if (GetHandle() && !HasCapture()) CaptureMouse();
  Refresh(false);
}

void CDocumentsPage::PageMouseMove(const wxPoint& point) {
  if (!m_fillPressed) return;
  const bool inside = GetFillButtonHitRect().Contains(point);
  if (inside != m_fillInside) {
    m_fillInside = inside;
    Refresh(false);
  }
}

void CDocumentsPage::PageMouseUp(const wxPoint& point) {
  if (!m_fillPressed) return;
  if (GetHandle() && HasCapture()) ReleaseMouse();
  m_fillPressed = m_fillInside = false;
  Refresh(false);
  if (m_list && m_list->GetRowCount() > 0 && GetFillButtonHitRect().Contains(point)) SendCommand(this, ID_FILL_BACKGROUND);
}

void CDocumentsPage::DrawBody(wxDC& dc) {
  if (m_printMode) return;
  const wxRect area = GetColorAreaRect();
  const int l = area.x, t = area.y, r = area.GetRight() + 1, b = area.GetBottom() + 1;
  if (m_list && m_list->GetRowCount() > 0 && r - l > 1) {
    for (int i = 0; i < r - l; ++i) {
      const int g = (i * 128 / (r - l - 1) + 127) & 255;
      FillRect(dc, wxRect(l + i, b - 2, 1, 2), wxColour(g, g, g));
    }
  }
  const wxRect swatch(l + 8, t + (b - 2 - t - kSwatchSize) / 2, kSwatchSize, kSwatchSize);
  FrameRect(dc, swatch, ThemeColour(wxSYS_COLOUR_BTNSHADOW));
  const RGBQUAD fill = GetBackgroundFill();
  FillRect(dc, wxRect(swatch.x + 2, swatch.y + 2, kSwatchSize - 4, kSwatchSize - 4),
           wxColour(fill.rgbRed, fill.rgbGreen, fill.rgbBlue));
  dc.SetFont(CaptionFont());
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetTextForeground(ThemeColour(wxSYS_COLOUR_WINDOWTEXT));
  const int textLeft = swatch.GetRight() - 1 + 12;
  const int textRight = r - 3;
  int y = t + 3;
  const wxString line1 = "Background Fill Color";
  const int h1 = std::max(12, dc.GetTextExtent(line1).y);
  dc.DrawText(wxControl::Ellipsize(line1, dc, wxELLIPSIZE_END, std::max(0, textRight - textLeft - 16)), textLeft, y);
  // The fill button: a small paint-bucket square, pushed in while pressed and inside.
  const int shift = m_fillPressed && m_fillInside ? 1 : 0;
  const wxRect button(r - 15 + shift, y + (h1 - 12) / 2 + shift, 12, 12);
  FrameRect(dc, button, ThemeColour(wxSYS_COLOUR_BTNSHADOW));
  FillRect(dc, wxRect(button.x + 2, button.y + 6, 8, 4), wxColour(fill.rgbRed, fill.rgbGreen, fill.rgbBlue));
  FillRect(dc, wxRect(button.x + 3, button.y + 2, 6, 4), ThemeColour(wxSYS_COLOUR_BTNTEXT));
  y += h1;
  const wxString line2 = wxString::Format("RGB: (%d, %d, %d)", fill.rgbRed, fill.rgbGreen, fill.rgbBlue);
  dc.DrawText(line2, textLeft, y);
  y += dc.GetTextExtent(line2).y;
  dc.DrawText(wxString::Format("HTML: #%02X%02X%02X", fill.rgbRed, fill.rgbGreen, fill.rgbBlue), textLeft, y);
}
