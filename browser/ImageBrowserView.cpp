#include "browser/ImageBrowserView.h"

#include <sys/stat.h>
#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <utility>

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "browser/core/FilePaste.h"
#include "resources/CommandIds.h"
#include "shell/ProgressDialog.h"
#include "shell/UiTheme.h"

CImageBrowserView* g_pBrowserView = nullptr;

bool CheckBrowserStop() {
  if (!g_pBrowserView) return true;
  if (CheckUserAbort()) {
    if (g_pBrowserView) g_pBrowserView->SetStopFlag();
    return true;
  }
  return !g_pBrowserView || g_pBrowserView->IsStopRequested();
}

namespace {

CImageBrowserView::DRAG_RUNNER& DragRunner() {
  static CImageBrowserView::DRAG_RUNNER runner;
  return runner;
}

unsigned g_nextClipboardSerial = 0;

// The files of a copy or cut on the clipboard. The clipboard deletes it when
// it is cleared or another program takes over; the view then drops its cut
// marks (if this was the data of its cut).
class CBrowserClipboardData : public wxFileDataObject {
 public:
  explicit CBrowserClipboardData(unsigned serial) : m_serial(serial) {}
  ~CBrowserClipboardData() override {
    if (CImageBrowserView* view = g_pBrowserView) {
      const unsigned serial = m_serial;
      view->CallAfter([serial] {
        if (g_pBrowserView) g_pBrowserView->OnClipboardLost(serial);
      });
    }
  }

 private:
  unsigned m_serial;
};

// The view as the drop target of its own drag: a drop reorders.
class CViewDropTarget : public wxFileDropTarget {
 public:
  explicit CViewDropTarget(CImageBrowserView* view) : m_view(view) {}
  wxDragResult OnEnter(wxCoord x, wxCoord y, wxDragResult) override { return m_view->OnDragEnter(wxPoint(x, y)); }
  wxDragResult OnDragOver(wxCoord x, wxCoord y, wxDragResult) override { return m_view->OnDragOver(wxPoint(x, y)); }
  void OnLeave() override { m_view->OnDragLeave(); }
  // The toolkit sends a leave before the drop, which ended the marker and
  // cleared the gap: the drop point gives it again.
  bool OnDrop(wxCoord x, wxCoord y) override {
    m_view->OnDragOver(wxPoint(x, y));
    return m_view->OnDrop(wxPoint(x, y));
  }
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString&) override { return true; }

 private:
  CImageBrowserView* m_view;
};

bool SameText(const std::vector<std::string>& list, const std::string& text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

}  // namespace

void CImageBrowserView::SetDragRunner(DRAG_RUNNER runner) { DragRunner() = std::move(runner); }

CImageBrowserView::CImageBrowserView(wxWindow* parent, const std::string& cacheRoot)
    : wxScrolledCanvas(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHSCROLL | wxVSCROLL | wxWANTS_CHARS) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetScrollRate(20, 20);
  m_settings.Read();
  m_scanner = std::make_unique<CFolderScanner>(cacheRoot);
  m_fontCaption = ThemeFont();
  {
    wxScreenDC dc;
    dc.SetFont(m_fontCaption);
    m_nCaptionHeight = dc.GetCharHeight();
  }
  for (int i = 0; i < 6; ++i) m_timers[i] = std::make_unique<wxTimer>(this, TIMER_RELOAD + i);
  Bind(wxEVT_TIMER, &CImageBrowserView::OnTimer, this);
  Bind(wxEVT_PAINT, &CImageBrowserView::OnPaint, this);
  Bind(wxEVT_SIZE, &CImageBrowserView::OnSize, this);
  Bind(wxEVT_LEFT_DOWN, &CImageBrowserView::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CImageBrowserView::OnLeftUp, this);
  Bind(wxEVT_LEFT_DCLICK, &CImageBrowserView::OnLeftDouble, this);
  Bind(wxEVT_MOTION, &CImageBrowserView::OnMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, &CImageBrowserView::OnLeave, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CImageBrowserView::OnCaptureLost, this);
  Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) {
    if (event.GetModifiers() == wxMOD_CONTROL) {
      switch (event.GetKeyCode()) {
        case 'C': if (CanCopy()) OnEditCopy(); return;
        case 'X': if (CanCopy()) OnEditCut(); return;
        case 'V': OnEditPaste(); return;
        default: break;
      }
    }
    event.Skip();
  });
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { if (CanCopy()) OnEditCopy(); }, ID_EDIT_COPY);
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { if (CanCopy()) OnEditCut(); }, ID_EDIT_CUT);
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnEditPaste(); }, ID_EDIT_PASTE);
  Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(CanCopy()); }, ID_EDIT_COPY);
  Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(CanCopy()); }, ID_EDIT_CUT);
  Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Enable(CanPaste()); }, ID_EDIT_PASTE);
  g_pBrowserView = this;
  ApplyThumbnailSize();
}

CImageBrowserView::~CImageBrowserView() {
  if (g_pBrowserView == this) g_pBrowserView = nullptr;
  for (auto& timer : m_timers) timer->Stop();
  if (HasCapture()) ReleaseMouse();
  m_settings.Write();
  m_items.clear();
  m_cutFiles.clear();
  m_watcher.Close();
}

// --- timers ---------------------------------------------------------------

void CImageBrowserView::StartTimer(int id, int ms) { m_timers[id - TIMER_RELOAD]->Start(ms); }
void CImageBrowserView::StopTimer(int id) { m_timers[id - TIMER_RELOAD]->Stop(); }

void CImageBrowserView::OnTimer(wxTimerEvent& event) {
  switch (event.GetId()) {
    case TIMER_RELOAD:
      OnReloadTick();
      break;
    case TIMER_STOP:
      if (!m_bBusy) StopTimer(TIMER_STOP);
      break;
    case TIMER_CAMERA_SCAN:
      OnCameraScanTick();
      break;
    case TIMER_HOVER_ZOOM:
      OnZoomTick();
      break;
    case TIMER_CHANGE_POLL:
      OnPollTick();
      break;
    case TIMER_MARKER:
      StepMarker();
      break;
    default:
      event.Skip();
  }
}

void CImageBrowserView::PauseTimers() {
  m_bPaused = true;
  StopTimer(TIMER_HOVER_ZOOM);
  StopTimer(TIMER_MARKER);
  StopTimer(TIMER_CHANGE_POLL);
  for (CBrowserItem& item : m_items) item.m_nZoomTarget = item.m_nZoomStep = 0;
  if (m_bBusy) m_bStop = true;
}

void CImageBrowserView::ResumeTimers() {
  m_bPaused = false;
  if (m_watcher.IsOpen()) StartTimer(TIMER_CHANGE_POLL, 1000);
}

void CImageBrowserView::OnEnterBrowse() {
  ResumeTimers();
  if (!m_bEntered) {
    m_bEntered = true;
    // Nothing to wait for on the first entry: load at the next turn of the
    // event loop rather than after the usual 200 ms.
    StartTimer(TIMER_RELOAD, 10);
  }
}

void CImageBrowserView::BrowseFolder(const std::string& folder) {
  m_bEntered = true;
  SetBrowseFolder(folder);
  m_items.clear();
  m_nAnchor = -1;
  RecalcLayout(true);
  Reload(false);
}

void CImageBrowserView::SetBrowseFolder(const std::string& folder) {
  m_settings.strBrowseFolder = folder;
  m_settings.bCameraMode = false;
  m_layout.m_groups.clear();
}

void CImageBrowserView::Reload(bool purge) {
  // The purge waits for the reload itself: a run still going would write
  // its thumbnails of the old size into the purged cache as it stops.
  if (purge) m_bPurgePending = true;
  StartTimer(TIMER_RELOAD, 200);
}

void CImageBrowserView::RequestStop() {
  m_bStop = true;
  StartTimer(TIMER_STOP, 200);
}

void CImageBrowserView::PollChanges(bool poll) {
  if (poll && m_watcher.IsOpen() && !m_bPaused)
    StartTimer(TIMER_CHANGE_POLL, 1000);
  else
    StopTimer(TIMER_CHANGE_POLL);
}

void CImageBrowserView::ReopenWatcher() {
  StopTimer(TIMER_CHANGE_POLL);
  m_watcher.Close();
  if (m_settings.bCameraMode || m_settings.strBrowseFolder.empty()) return;
  if (m_watcher.Open(m_settings.strBrowseFolder, m_settings.bRecursive, m_scanner->GetCacheRoot()) && !m_bPaused)
    StartTimer(TIMER_CHANGE_POLL, 1000);
}

void CImageBrowserView::OnPollTick() {
  if (m_bBusy) return;
  if (m_watcher.IsSignalled()) {
    StopTimer(TIMER_CHANGE_POLL);
    m_watcher.Close();
    Reload(false);
  }
}

void CImageBrowserView::ThumbnailMade(int index) {
  if (index < 0 || index >= m_items.GetCount()) return;
  if (m_items[static_cast<size_t>(index)].m_nRotation != 0) {
    RecalcLayout(true);
  } else {
    InvalidateItem(index);
  }
  Update();
}

void CImageBrowserView::OnReloadTick() {
  if (m_bBusy) {
    RequestStop();  // the timer stays and ticks again
    return;
  }
  StopTimer(TIMER_RELOAD);
  if (m_settings.bCameraMode) {
    OnCameraScanTick();
    return;
  }
  m_bBusy = true;
  for (int i = 0; i < 100 && wxTheApp && wxTheApp->ProcessIdle(); ++i) {
  }
  m_bStop = false;
  const std::string folder = m_settings.strBrowseFolder;
  if (!folder.empty()) {
    m_scanner->SetRecursive(m_settings.bRecursive);
    m_scanner->SetCancel(&CheckBrowserStop);
    m_scanner->SetProgress(&ReportProgress);
    m_scanner->SetCellSize(m_layout.m_metrics.nCellWidth, m_layout.m_metrics.nCellHeight);
    const bool purge = m_bPurgePending;
    if (purge) {
      m_bPurgePending = false;
      int files = 0, folders = 0;
      m_scanner->PurgeFolderCache(folder, files, folders);
    }
    // After a purge every thumbnail is made again, the ones on screen too.
    m_scanner->Refresh(folder, m_items, !purge);
    // Thumbnails of another size (kept from before a size change) are
    // brought to this one: larger ones shrink, smaller ones are made again.
    for (CBrowserItem& item : m_items) item.FitThumbnail(m_layout.m_metrics.nCellWidth, m_layout.m_metrics.nCellHeight);
    RecalcLayout(true);
    Update();  // the cached thumbnails at once, before any picture is decoded
    SetTitle(folder);
    ReportSelection();
    m_scanner->LoadPreviews(folder, m_items, [this](int index) { ThumbnailMade(index); });
  }
  m_bBusy = false;
  ++m_nReloads;
  ReopenWatcher();
}

void CImageBrowserView::BrowseCameras(const std::vector<std::string>& roots) {
  m_cameraRoots = roots;
  std::sort(m_cameraRoots.begin(), m_cameraRoots.end());
  m_settings.bCameraMode = true;
  StartTimer(TIMER_CAMERA_SCAN, 200);
}

void CImageBrowserView::OnCameraScanTick() {
  if (m_bBusy) {
    RequestStop();
    return;
  }
  StopTimer(TIMER_CAMERA_SCAN);
  StopTimer(TIMER_RELOAD);
  m_bBusy = true;
  m_bStop = false;
  m_watcher.Close();
  StopTimer(TIMER_CHANGE_POLL);
  // Every scan reads all cards afresh, so the groups always match the list.
  CBrowserItemList found;
  std::vector<CCameraGroup> groups;
  std::vector<std::string> folders;
  m_scanner->SetRecursive(true);
  m_scanner->SetCancel(&CheckBrowserStop);
  m_scanner->SetProgress(&ReportProgress);
  for (const std::string& root : m_cameraRoots) {
    std::string base = root;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    const std::string dcim = base + "/DCIM";
    struct stat st {};
    if (::stat(dcim.c_str(), &st) != 0) continue;
    CCameraGroup group;
    group.strName = base.substr(base.find_last_of('/') + 1);
    group.nFirst = found.GetCount();
    if (S_ISDIR(st.st_mode) && !CheckBrowserStop()) {
      m_scanner->ScanFolder(dcim, found);
      folders.push_back(dcim);
    }
    group.nPhotos = found.GetCount() - group.nFirst;
    groups.push_back(group);
  }
  m_items = std::move(found);
  m_layout.m_groups = std::move(groups);
  RecalcLayout(true);
  SetTitle(m_layout.m_groups.size() > 1 ? "My Cameras" : "My Camera");
  ReportSelection();
  for (const std::string& folder : folders) {
    if (CheckBrowserStop()) break;
    m_scanner->LoadPreviews(folder, m_items, [this](int index) { ThumbnailMade(index); });
  }
  m_bBusy = false;
  ++m_nReloads;
}

// --- list commands --------------------------------------------------------

void CImageBrowserView::ClearItems() {
  m_items.clear();
  m_nAnchor = -1;
}

void CImageBrowserView::SortItems(int key) {
  m_items.Sort(key, m_settings.bReverseSort);
  RecalcLayout(true);
}

void CImageBrowserView::ReverseOrder() {
  m_settings.bReverseSort = !m_settings.bReverseSort;
  m_items.Reverse();
  RecalcLayout(true);
}

void CImageBrowserView::RotateSelected(int angle) {
  m_scanner->SetCellSize(m_layout.m_metrics.nCellWidth, m_layout.m_metrics.nCellHeight);
  m_scanner->RotateSelected(m_items, angle);
  RecalcLayout(true);
}

void CImageBrowserView::ApplyThumbnailSize() {
  m_settings.nThumbSizeIndex = std::clamp(m_settings.nThumbSizeIndex, 1, 4);
  m_layout.m_metrics = GetCellMetrics(m_settings.nThumbSizeIndex, m_settings.bShowNames, m_nCaptionHeight);
  m_scanner->SetCellSize(m_layout.m_metrics.nCellWidth, m_layout.m_metrics.nCellHeight);
  RecalcLayout(true);
}

void CImageBrowserView::SetThumbnailSize(int index) {
  index = std::clamp(index, 1, 4);
  const int old = m_settings.nThumbSizeIndex;
  if (index == old) return;
  m_settings.nThumbSizeIndex = index;
  ApplyThumbnailSize();
  Reload(index > old);
}

void CImageBrowserView::SetShowNames(bool show) {
  m_settings.bShowNames = show;
  ApplyThumbnailSize();
}

void CImageBrowserView::SetRecursive(bool recursive) {
  m_settings.bRecursive = recursive;
  Reload(false);
}

// --- layout ---------------------------------------------------------------

void CImageBrowserView::RecalcLayout(bool repaint) {
  for (CBrowserItem& item : m_items) item.m_bCut = SameText(m_cutFiles, item.GetFullPath()) ? 1 : 0;
  m_layout.m_bCameraMode = m_settings.bCameraMode;
  if (!m_layout.Compute(m_items, GetClientSize().x)) ReportMessage(MESSAGE_WARNING, kTooManyFilesMessage);
  SetVirtualSize(m_layout.GetExtentWidth(), m_layout.GetExtentHeight());
  if (repaint) Refresh(false);
}

wxPoint CImageBrowserView::ClientToView(const wxPoint& client) const { return CalcUnscrolledPosition(client); }

int CImageBrowserView::HitTest(const wxPoint& client) const {
  const wxPoint p = ClientToView(client);
  return m_layout.HitTest(m_items, p.x, p.y);
}

int CImageBrowserView::InsertIndexAt(const wxPoint& client) const {
  const wxPoint p = ClientToView(client);
  return m_layout.InsertIndexAt(m_items, p.x, p.y);
}

wxRect CImageBrowserView::GetCellClientRect(int index) const {
  const Rect r = m_layout.GetCellRect(index);
  const wxPoint p = CalcScrolledPosition(wxPoint(r.left, r.top));
  return wxRect(p.x, p.y, r.Width(), r.Height());
}

wxRect CImageBrowserView::GetThumbnailClientRect(int index) const {
  const Rect r = m_layout.GetThumbnailRect(m_items, index);
  const wxPoint p = CalcScrolledPosition(wxPoint(r.left, r.top));
  return wxRect(p.x, p.y, r.Width(), r.Height());
}

void CImageBrowserView::InvalidateItem(int index, bool erase) {
  if (index < 0 || index >= m_items.GetCount()) return;
  const wxRect cell = GetCellClientRect(index);
  if (!cell.IsEmpty()) RefreshRect(cell, erase);
}

bool CImageBrowserView::EnsureVisible(int index, bool repaint) {
  const wxRect cell = GetCellClientRect(index);
  if (cell.IsEmpty()) return false;
  const wxSize client = GetClientSize();
  int dx = 0, dy = 0;
  if (cell.x < 0) dx = cell.x;
  else if (cell.GetRight() + 1 > client.x) dx = cell.GetRight() + 1 - client.x;
  if (cell.y < 0) dy = cell.y;
  else if (cell.GetBottom() + 1 > client.y) dy = cell.GetBottom() + 1 - client.y;
  if (dx || dy) {
    int ux = 1, uy = 1;
    GetScrollPixelsPerUnit(&ux, &uy);
    const wxPoint now = CalcUnscrolledPosition(wxPoint(0, 0));
    Scroll(ux ? (now.x + dx + (dx > 0 ? ux - 1 : 0)) / ux : -1, uy ? (now.y + dy + (dy > 0 ? uy - 1 : 0)) / uy : -1);
  }
  if (repaint) InvalidateItem(index);
  return dx || dy;
}

void CImageBrowserView::OnSize(wxSizeEvent& event) {
  event.Skip();
  RecalcLayout(false);
}

// --- drawing --------------------------------------------------------------

wxBitmap CImageBrowserView::RenderCell(int index) {
  const Rect cell = m_layout.GetCellRect(index);
  const int32_t w = cell.Width(), h = cell.Height();
  if (w <= 0 || h <= 0) return wxBitmap();
  const wxColour window = ThemeColour(wxSYS_COLOUR_WINDOW);
  m_cellBuffer.Reset(w, h, window.Red(), window.Green(), window.Blue());
  const CBrowserItem& item = m_items[static_cast<size_t>(index)];
  CELL_DRAWING drawing;
  drawing.cell = Rect{0, 0, w, h};
  drawing.picture = m_layout.GetThumbnailRectInCell(item, drawing.cell);
  drawing.nMarkerSteps = m_layout.m_metrics.nMarkerSteps;
  if (!m_markerLevels.empty() && static_cast<size_t>(index) + 1 < m_markerLevels.size()) {
    drawing.bMarker = true;
    drawing.nLevelBefore = m_markerLevels[static_cast<size_t>(index)];
    drawing.nLevelAfter = m_markerLevels[static_cast<size_t>(index) + 1];
    const int shift = 2 * (drawing.nLevelBefore - drawing.nLevelAfter);
    drawing.picture.left += shift;
    drawing.picture.right += shift;
  }
  DrawCellPixels(m_cellBuffer, item, drawing);
  wxImage image(w, h, false);
  std::copy(m_cellBuffer.rgb.begin(), m_cellBuffer.rgb.end(), image.GetData());
  wxBitmap bitmap(image, 24);
  if (m_settings.bShowNames) {
    wxMemoryDC dc(bitmap);
    dc.SetFont(m_fontCaption);
    dc.SetTextForeground(ThemeColour(wxSYS_COLOUR_WINDOWTEXT));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const wxString shown = wxControl::Ellipsize(wxString::FromUTF8(item.m_strName), dc, wxELLIPSIZE_END, w);
    const wxRect band(0, h - m_nCaptionHeight, w, m_nCaptionHeight);
    dc.DrawLabel(shown, band, wxALIGN_CENTER_HORIZONTAL | wxALIGN_TOP);
  }
  return bitmap;
}

const wxBitmap& CImageBrowserView::GetCellBitmap(int index) {
  const CBrowserItem& item = m_items[static_cast<size_t>(index)];
  const Rect cell = m_layout.GetCellRect(index);
  CELL_STATE key;
  key.frames = item.m_pThumbFrames;
  key.shownFrame = item.m_nShownFrame;
  key.zoom = item.m_nZoomStep;
  key.selected = item.m_bSelected;
  key.cut = item.m_bCut;
  if (!m_markerLevels.empty() && static_cast<size_t>(index) + 1 < m_markerLevels.size()) {
    key.before = m_markerLevels[static_cast<size_t>(index)];
    key.after = m_markerLevels[static_cast<size_t>(index) + 1];
  }
  key.width = cell.Width();
  key.height = cell.Height();
  key.names = m_settings.bShowNames;
  const std::string path = item.GetFullPath();
  auto found = m_cellCache.find(path);
  if (found != m_cellCache.end() && found->second.state == key && found->second.bitmap.IsOk())
    return found->second.bitmap;
  if (found == m_cellCache.end() && m_cellCache.size() >= kMaxCachedCells) m_cellCache.clear();
  CACHED_CELL& slot = m_cellCache[path];
  slot.bitmap = RenderCell(index);
  slot.state = std::move(key);
  return slot.bitmap;
}

wxString CImageBrowserView::GetCaptionText(int index) {
  if (index < 0 || index >= m_items.GetCount()) return wxString();
  wxBitmap scratch(1, 1, 24);
  wxMemoryDC dc(scratch);
  dc.SetFont(m_fontCaption);
  return wxControl::Ellipsize(wxString::FromUTF8(m_items[static_cast<size_t>(index)].m_strName), dc, wxELLIPSIZE_END,
                              m_layout.GetCellRect(index).Width());
}

void CImageBrowserView::PaintArea(wxDC& dc, const wxRect& clientBox) {
  const wxColour window = ThemeColour(wxSYS_COLOUR_WINDOW);
  wxRegion unpainted(clientBox);
  const wxPoint origin = CalcUnscrolledPosition(wxPoint(0, 0));
  const wxSize client = GetClientSize();
  if (m_settings.bCameraMode) {
    for (size_t g = 0; g < m_layout.m_groups.size(); ++g) {
      const int top = m_layout.GetGroupHeaderTop(static_cast<int>(g)) - origin.y;
      const wxRect band(0, top, std::max(client.x, m_layout.GetExtentWidth()), kGroupHeaderHeight);
      if (!band.Intersects(clientBox)) continue;
      const CCameraGroup& group = m_layout.m_groups[g];
      dc.SetPen(*wxTRANSPARENT_PEN);
      dc.SetBrush(wxBrush(ThemeColour(wxSYS_COLOUR_HIGHLIGHT)));
      dc.DrawRectangle(band);
      wxString text = wxString::FromUTF8(group.strName);
      if (group.nPhotos > 0) text += wxString::Format("  %d Photo", group.nPhotos) + (group.nPhotos > 1 ? "s" : "");
      dc.SetFont(m_fontCaption);
      dc.SetTextForeground(ThemeColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
      dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
      dc.DrawText(text, 55, top + 14);
      unpainted.Subtract(band);
    }
  }
  const wxRect viewBox(clientBox.GetPosition() + origin, clientBox.GetSize());
  for (int i = 0; i < m_items.GetCount(); ++i) {
    const Rect cell = m_layout.GetCellRect(i);
    const wxRect cellRect(cell.left, cell.top, cell.Width(), cell.Height());
    if (cellRect.IsEmpty() || !cellRect.Intersects(viewBox)) continue;
    const wxBitmap& bitmap = GetCellBitmap(i);
    if (!bitmap.IsOk()) continue;
    const wxPoint at = cellRect.GetPosition() - origin;
    wxMemoryDC source;
    source.SelectObjectAsSource(bitmap);
    dc.Blit(at.x, at.y, cellRect.width, cellRect.height, &source, 0, 0);
    unpainted.Subtract(wxRect(at, cellRect.GetSize()));
  }
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(window));
  for (wxRegionIterator it(unpainted); it; ++it) dc.DrawRectangle(it.GetRect());
}

void CImageBrowserView::Refresh(bool eraseBackground, const wxRect* rect) {
  if (!rect) {
    m_bScreenAllDirty = true;
    m_screenDirty.Clear();
  } else if (!m_bScreenAllDirty && !rect->IsEmpty()) {
    m_screenDirty.Union(wxRect(CalcUnscrolledPosition(rect->GetPosition()), rect->GetSize()));
  }
  wxScrolledCanvas::Refresh(eraseBackground, rect);
}

void CImageBrowserView::UpdateScreenBuffer() {
  const wxSize client = GetClientSize();
  const wxPoint origin = CalcUnscrolledPosition(wxPoint(0, 0));
  if (!m_screen.IsOk() || m_screen.GetSize() != client) {
    m_screen = wxBitmap(client, 24);
    m_screenSpare = wxBitmap();
    m_bScreenAllDirty = true;
  }
  const wxRect shown(origin, client);
  if (!m_bScreenAllDirty && origin != m_screenOrigin) {
    // The pixels still on the screen move by the scroll; the rest is new.
    const wxRect kept = wxRect(m_screenOrigin, client).Intersect(shown);
    if (kept.IsEmpty()) {
      m_bScreenAllDirty = true;
    } else {
      if (!m_screenSpare.IsOk()) m_screenSpare = wxBitmap(client, 24);
      {
        wxMemoryDC from;
        from.SelectObjectAsSource(m_screen);
        wxMemoryDC to(m_screenSpare);
        to.Blit(kept.x - origin.x, kept.y - origin.y, kept.width, kept.height, &from, kept.x - m_screenOrigin.x,
                kept.y - m_screenOrigin.y);
      }
      std::swap(m_screen, m_screenSpare);
      wxRegion uncovered(shown);
      uncovered.Subtract(kept);
      m_screenDirty.Union(uncovered);
    }
  }
  m_screenOrigin = origin;
  // (Intersecting with an empty region leaves a wxRegion unchanged.)
  wxRegion dirty;
  if (m_bScreenAllDirty) {
    dirty = wxRegion(shown);
  } else if (!m_screenDirty.IsEmpty()) {
    dirty = m_screenDirty;
    dirty.Intersect(shown);
  }
  m_bScreenAllDirty = false;
  m_screenDirty.Clear();
  if (dirty.IsEmpty()) return;
  wxMemoryDC dc(m_screen);
  for (wxRegionIterator it(dirty); it; ++it) {
    const wxRect box(it.GetRect().GetPosition() - origin, it.GetRect().GetSize());
    dc.SetClippingRegion(box);
    PaintArea(dc, box);
    dc.DestroyClippingRegion();
  }
}

void CImageBrowserView::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  ++m_nPaints;
  if (GetClientSize().x <= 0 || GetClientSize().y <= 0) return;
  UpdateScreenBuffer();
  wxMemoryDC source;
  source.SelectObjectAsSource(m_screen);
  wxRegion update = GetUpdateRegion();
  if (update.IsEmpty()) update = wxRegion(wxRect(GetClientSize()));
  for (wxRegionIterator it(update); it; ++it) {
    const wxRect r = it.GetRect();
    dc.Blit(r.x, r.y, r.width, r.height, &source, r.x, r.y);
  }
}

// --- selection ------------------------------------------------------------

void CImageBrowserView::ReportSelection() { OnSelectionChanged(m_items.GetCount(), m_items.GetSelectedCount()); }

bool CImageBrowserView::SelectNone() {
  const bool any = m_items.GetSelectedCount() > 0;
  m_items.SelectNone();
  Refresh(false);
  ReportSelection();
  return any;
}

bool CImageBrowserView::SelectAll() {
  const bool changed = m_items.GetSelectedCount() < m_items.GetCount();
  m_items.SelectAll();
  Refresh(false);
  ReportSelection();
  return changed;
}

bool CImageBrowserView::InvertSelection() {
  m_items.InvertSelection();
  Refresh(false);
  ReportSelection();
  return !m_items.empty();
}

void CImageBrowserView::SelectOnly(int index) {
  m_items.SelectOnly(index);
  ReportSelection();
}

void CImageBrowserView::OnLeftDown(wxMouseEvent& event) {
  SetFocus();
  const int i = HitTest(event.GetPosition());
  m_bDragArmed = false;
  if (i < 0) {
    m_items.SelectNone();
    m_nAnchor = -1;
    Refresh(false);
  } else if (event.ShiftDown() && m_nAnchor >= 0 && m_nAnchor < m_items.GetCount()) {
    const int from = std::min(m_nAnchor, i), to = std::max(m_nAnchor, i);
    for (int k = 0; k < m_items.GetCount(); ++k) m_items[static_cast<size_t>(k)].m_bSelected = (k >= from && k <= to) ? 1 : 0;
    Refresh(false);
  } else if (m_items[static_cast<size_t>(i)].m_bSelected) {
    if (event.ControlDown()) {
      m_items[static_cast<size_t>(i)].m_bSelected = 0;
      InvalidateItem(i);
      m_nAnchor = -1;
    } else {
      m_nAnchor = i;
    }
  } else {
    if (event.ControlDown()) {
      m_items[static_cast<size_t>(i)].m_bSelected = 1;
      InvalidateItem(i);
    } else {
      m_items.SelectOnly(i);
      Refresh(false);
    }
    m_nAnchor = i;
  }
  if (i >= 0) m_bDragArmed = m_items[static_cast<size_t>(i)].m_bSelected != 0;
  ReportSelection();
  if (m_bDragArmed && !HasCapture()) CaptureMouse();
}

void CImageBrowserView::OnLeftUp(wxMouseEvent&) {
  if (m_bDragArmed) {
    if (HasCapture()) ReleaseMouse();
    m_bDragArmed = false;
  }
}

void CImageBrowserView::OnCaptureLost(wxMouseCaptureLostEvent&) { m_bDragArmed = false; }

void CImageBrowserView::OnLeftDouble(wxMouseEvent& event) {
  const int i = HitTest(event.GetPosition());
  if (i >= 0) OpenItem(i);
}

void CImageBrowserView::OnMotion(wxMouseEvent& event) {
  if (m_bDragArmed) {
    if (HasCapture()) ReleaseMouse();
    m_bDragArmed = false;
    StartDrag();
    return;
  }
  if (m_bHoverZoom) SetHoverTarget(HitTest(event.GetPosition()));
}

void CImageBrowserView::OnLeave(wxMouseEvent& event) {
  event.Skip();
  if (m_bHoverZoom) SetHoverTarget(-1);
}

// --- hover zoom -------------------------------------------------------------

void CImageBrowserView::SetHoverTarget(int index) {
  bool changed = false;
  for (int i = 0; i < m_items.GetCount(); ++i) {
    CBrowserItem& item = m_items[static_cast<size_t>(i)];
    const int target = i == index ? m_layout.m_metrics.nZoomSteps : 0;
    if (item.m_nZoomTarget != target) {
      item.m_nZoomTarget = target;
      changed = true;
    }
  }
  if (changed && !m_bPaused) StartTimer(TIMER_HOVER_ZOOM, 30);
}

void CImageBrowserView::OnZoomTick() {
  bool moved = false;
  for (int i = 0; i < m_items.GetCount(); ++i) {
    CBrowserItem& item = m_items[static_cast<size_t>(i)];
    if (item.m_nZoomStep == item.m_nZoomTarget) continue;
    item.m_nZoomStep += item.m_nZoomStep < item.m_nZoomTarget ? 1 : -1;
    InvalidateItem(i);
    moved = true;
  }
  if (moved)
    Update();
  else
    StopTimer(TIMER_HOVER_ZOOM);
}

void CImageBrowserView::EnableHoverZoom(bool enable) {
  if (enable) {
    m_bHoverZoom = true;
    return;
  }
  m_bHoverZoom = false;
  StopTimer(TIMER_HOVER_ZOOM);
  for (CBrowserItem& item : m_items) item.m_nZoomTarget = 0;
  for (int guard = 0; guard <= m_layout.m_metrics.nZoomSteps; ++guard) {
    bool moved = false;
    for (int i = 0; i < m_items.GetCount(); ++i) {
      CBrowserItem& item = m_items[static_cast<size_t>(i)];
      if (item.m_nZoomStep > 0) {
        --item.m_nZoomStep;
        InvalidateItem(i);
        moved = true;
      }
    }
    if (!moved) break;
    Update();
    wxMilliSleep(30);
  }
}

// --- drag and drop ----------------------------------------------------------

void CImageBrowserView::StartDrag() {
  const std::vector<std::string> files = m_items.CreateDropFiles();
  if (files.empty()) return;
  m_nInsertIndex = -1;
  SetDropTarget(new CViewDropTarget(this));
  if (DragRunner()) {
    DragRunner()(*this, files);
  } else {
    wxFileDataObject data;
    for (const std::string& file : files) data.AddFile(wxString::FromUTF8(file));
    wxDropSource source(data, this);
    source.DoDragDrop(wxDrag_CopyOnly);
  }
  SetDropTarget(nullptr);
  if (!m_markerLevels.empty()) EndMarker();
  m_nInsertIndex = -1;
}

wxDragResult CImageBrowserView::OnDragEnter(const wxPoint& client) {
  m_nInsertIndex = InsertIndexAt(client);
  if (m_markerLevels.empty()) {
    EnableHoverZoom(false);
    m_markerLevels.assign(static_cast<size_t>(m_items.GetCount()) + 1, 0);
    StartTimer(TIMER_MARKER, 30);
  }
  return wxDragCopy;
}

wxDragResult CImageBrowserView::OnDragOver(const wxPoint& client) {
  m_nInsertIndex = InsertIndexAt(client);
  return wxDragCopy;
}

void CImageBrowserView::OnDragLeave() { EndMarker(); }

bool CImageBrowserView::StepMarker() {
  if (m_markerLevels.empty()) return false;
  const int steps = m_layout.m_metrics.nMarkerSteps;
  bool between = false;
  for (size_t gap = 0; gap < m_markerLevels.size(); ++gap) {
    int& level = m_markerLevels[gap];
    const int old = level;
    level = static_cast<int>(gap) == m_nInsertIndex ? std::min(level + 1, steps) : std::max(level - 1, 0);
    if (level != old) {
      InvalidateItem(static_cast<int>(gap) - 1);
      InvalidateItem(static_cast<int>(gap));
    }
    if (level > 0 && level < steps) between = true;
  }
  Update();
  return between;
}

void CImageBrowserView::EndMarker() {
  m_nInsertIndex = -1;
  StopTimer(TIMER_MARKER);
  for (int guard = 0; guard <= m_layout.m_metrics.nMarkerSteps && !m_markerLevels.empty(); ++guard) {
    bool any = false;
    for (size_t gap = 0; gap < m_markerLevels.size(); ++gap) {
      if (m_markerLevels[gap] > 0) {
        --m_markerLevels[gap];
        InvalidateItem(static_cast<int>(gap) - 1);
        InvalidateItem(static_cast<int>(gap));
        any = true;
      }
    }
    if (!any) break;
    Update();
    wxMilliSleep(30);
  }
  m_markerLevels.clear();
  Refresh(false);
  EnableHoverZoom(true);
}

bool CImageBrowserView::OnDrop(const wxPoint& client) {
  const int gap = m_nInsertIndex;
  EndMarker();
  if (gap < 0) return false;
  CBrowserItemList reordered;
  reordered.reserve(m_items.size());
  const int count = m_items.GetCount();
  for (int i = 0; i < std::min(gap, count); ++i)
    if (!m_items[static_cast<size_t>(i)].m_bSelected) reordered.push_back(std::move(m_items[static_cast<size_t>(i)]));
  for (int i = 0; i < count; ++i)
    if (m_items[static_cast<size_t>(i)].m_bSelected) reordered.push_back(std::move(m_items[static_cast<size_t>(i)]));
  for (int i = gap; i < count; ++i)
    if (!m_items[static_cast<size_t>(i)].m_bSelected) reordered.push_back(std::move(m_items[static_cast<size_t>(i)]));
  m_items = std::move(reordered);
  m_nAnchor = -1;
  RecalcLayout(true);
  return true;
}

// --- clipboard --------------------------------------------------------------

void CImageBrowserView::OnEditCopy() {
  const std::vector<std::string> files = m_items.CreateDropFiles();
  if (files.empty() || !wxTheClipboard->Open()) return;
  auto* data = new CBrowserClipboardData(++g_nextClipboardSerial);
  for (const std::string& file : files) data->AddFile(wxString::FromUTF8(file));
  wxTheClipboard->SetData(data);
  wxTheClipboard->Close();
}

void CImageBrowserView::OnEditCut() {
  const std::vector<std::string> files = m_items.CreateDropFiles();
  if (files.empty() || !wxTheClipboard->Open()) return;
  const unsigned serial = ++g_nextClipboardSerial;
  auto* data = new CBrowserClipboardData(serial);
  for (const std::string& file : files) data->AddFile(wxString::FromUTF8(file));
  wxTheClipboard->SetData(data);
  wxTheClipboard->Close();
  // Taking the clipboard ended the previous cut.
  m_cutFiles.clear();
  m_nClipboardSerial = serial;
  for (CBrowserItem& item : m_items) {
    item.m_bCut = item.m_bSelected;
    if (item.m_bSelected) m_cutFiles.push_back(item.GetFullPath());
  }
  Refresh(false);
}

void CImageBrowserView::OnClipboardLost(unsigned serial) {
  if (serial != m_nClipboardSerial || m_cutFiles.empty()) return;
  m_cutFiles.clear();
  RecalcLayout(true);
}

bool CImageBrowserView::CanPaste() const {
  if (m_settings.bCameraMode || m_settings.strBrowseFolder.empty()) return false;
  return wxTheClipboard->IsSupported(wxDF_FILENAME);
}

void CImageBrowserView::OnEditPaste() {
  if (m_settings.bCameraMode || m_settings.strBrowseFolder.empty()) return;
  std::vector<std::string> files;
  if (!wxTheClipboard->Open()) return;
  if (wxTheClipboard->IsSupported(wxDF_FILENAME)) {
    wxFileDataObject data;
    if (wxTheClipboard->GetData(data))
      for (const wxString& name : data.GetFilenames()) files.push_back(name.utf8_string());
  }
  wxTheClipboard->Close();
  if (files.empty()) return;
  const bool move = !m_cutFiles.empty();
  PollChanges(false);
  PASTE_RESULT result;
  {
    CProgressDialog progress(this);
    progress.Start(move ? "Moving files..." : "Copying files...");
    auto ask = [this](const std::string& target) {
      const wxString text = wxString::Format("The folder already contains a file named \"%s\".\n\nDo you want to replace it?",
                                             wxString::FromUTF8(target.substr(target.find_last_of('/') + 1)));
      const int answer = wxMessageBox(text, "Confirm File Replace", wxYES_NO | wxCANCEL | wxICON_QUESTION, this);
      return answer == wxYES ? PASTE_REPLACE : answer == wxNO ? PASTE_SKIP : PASTE_CANCEL;
    };
    result = PasteFiles(files, m_settings.strBrowseFolder, move, ask, &ReportDialogProgress, &CheckDialogAbort);
    progress.Stop();
  }
  if (move && !result.bCancelled && result.nFailed == 0 && result.nSkipped == 0) {
    if (wxTheClipboard->Open()) {
      wxTheClipboard->Clear();
      wxTheClipboard->Close();
    }
    m_cutFiles.clear();
  }
  Reload(false);
}
