#include "editor/PictoravellView.h"

#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "editor/ChildFrame.h"
#include "editor/EffectTool.h"
#include "editor/PictoravellDoc.h"
#include "editor/ViewCursors.h"
#include "editor/model/SelectionTools.h"
#include "imaging/MagicWand.h"
#include "imaging/SelectionMask.h"
#include "imaging/DisplayOptions.h"
#include "imaging/ImageDrawing.h"
#include "imaging/LayerStack.h"
#include "resources/CommandIds.h"
#include "resources/MenuResources.h"
#include "shell/DeviceDrawing.h"
#include "shell/CommandTable.h"
#include "shell/DisplayDrawing.h"
#include "shell/EditorHost.h"
#include "shell/MainStatusBar.h"

wxIMPLEMENT_DYNAMIC_CLASS(CPictoravellView, wxView);

int g_bDisplayComments = 1;

namespace {

constexpr int kLineStep = 18;
constexpr int kPageStep = 48;

wxRect ToWx(const Rect& r) { return wxRect(r.left, r.top, r.Width(), r.Height()); }
Rect FromWx(const wxRect& r) { return Rect{r.x, r.y, r.x + r.width, r.y + r.height}; }
Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}
wxColour ToColour(const RGBQUAD& q) { return wxColour(q.rgbRed, q.rgbGreen, q.rgbBlue); }

int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void AddFrameLayers(CLayerStack& stack, const FRAME_COMPOSITE& composite, const CAnimFrame* frame,
                    int frameIndex) {
  if (!composite.image.IsEmpty()) stack.AddImage(composite.image, composite.left, composite.top);
  if (frame && frameIndex != composite.composedFrame) {
    if (!frame->m_image.IsEmpty()) stack.AddImage(frame->m_image, frame->m_nLeft, frame->m_nTop);
    if (!frame->m_selection.IsEmpty())
      stack.AddImage(frame->m_selection, frame->m_nLeft + frame->m_rcSelection.left,
                     frame->m_nTop + frame->m_rcSelection.top);
  }
}

}  // namespace

// --- the window ------------------------------------------------------------------

CImageViewWindow::CImageViewWindow(wxWindow* parent, CPictoravellView* view)
    : wxScrolledCanvas(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                       wxHSCROLL | wxVSCROLL | wxWANTS_CHARS | wxCLIP_CHILDREN | wxFULL_REPAINT_ON_RESIZE,
                       kImageViewWindowName),
      m_view(view) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetScrollRate(1, 1);
  Bind(wxEVT_PAINT, &CImageViewWindow::OnPaint, this);
  Bind(wxEVT_SIZE, &CImageViewWindow::OnSize, this);
  Bind(wxEVT_MOTION, &CImageViewWindow::OnMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, &CImageViewWindow::OnLeave, this);
  Bind(wxEVT_MOUSEWHEEL, &CImageViewWindow::OnWheel, this);
  Bind(wxEVT_CONTEXT_MENU, &CImageViewWindow::OnContextMenu, this);
  for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_DCLICK, wxEVT_LEFT_UP, wxEVT_RIGHT_DOWN})
    Bind(type, &CImageViewWindow::OnMouseButton, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CImageViewWindow::OnCaptureLost, this);
  Bind(wxEVT_KEY_DOWN, &CImageViewWindow::OnKey, this);
  Bind(wxEVT_KEY_UP, &CImageViewWindow::OnKey, this);
  for (auto type : {wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP,
                    wxEVT_SCROLLWIN_PAGEDOWN})
    Bind(type, &CImageViewWindow::OnScrollLine, this);
  for (auto type : {wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE, wxEVT_SCROLLWIN_TOP,
                    wxEVT_SCROLLWIN_BOTTOM})
    Bind(type, &CImageViewWindow::OnScrollDone, this);
}

wxPoint CImageViewWindow::GetScrollPixels() const { return CalcUnscrolledPosition(wxPoint(0, 0)); }

void CImageViewWindow::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (!m_view) return;
  wxRect area = GetUpdateRegion().GetBox();
  if (area.IsEmpty()) area = wxRect(GetClientSize());
  m_view->Render(dc, area);
}

void CImageViewWindow::OnSize(wxSizeEvent& event) {
  event.Skip();
  if (!m_view) return;
  if (m_view->m_bFitPending) {
    m_view->FitWhenReady();
    return;
  }
  m_view->OnUpdate(nullptr, nullptr);
}

void CImageViewWindow::OnMotion(wxMouseEvent& event) {
  event.Skip();
  if (!m_view) return;
  m_view->UpdatePixelReadout(event.GetPosition());
  if (m_view->IsDragging()) m_view->OnToolMotion(event.GetPosition());
  m_view->UpdateToolCursor();
}

void CImageViewWindow::OnMouseButton(wxMouseEvent& event) {
  event.Skip();
  if (!m_view) return;
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_LEFT_UP) {
    if (m_view->IsDragging()) m_view->OnToolButtonUp(event.GetPosition());
    return;
  }
  SetFocus();
  // A right click with the zoom tool zooms out instead of the context menu.
  if (m_view->OnToolButtonDown(event.GetPosition(), type == wxEVT_RIGHT_DOWN, event.GetModifiers()) &&
      type == wxEVT_RIGHT_DOWN)
    event.Skip(false);
}

void CImageViewWindow::OnCaptureLost(wxMouseCaptureLostEvent&) {
  if (m_view) m_view->OnToolCaptureLost();
}

void CImageViewWindow::OnKey(wxKeyEvent& event) {
  // Space stops a playing view.
  if (m_view && event.GetEventType() == wxEVT_KEY_DOWN && event.GetKeyCode() == WXK_SPACE &&
      event.GetModifiers() == wxMOD_NONE && m_view->IsPlaying()) {
    m_view->OnStop();
    return;
  }
  if (m_view) {
    const bool used = event.GetEventType() == wxEVT_KEY_DOWN ? m_view->OnToolKeyDown(event.GetKeyCode())
                                                             : m_view->OnToolKeyUp(event.GetKeyCode());
    // Any key may change the cursor (Ctrl turns the zoom tool's magnifier).
    m_view->UpdateToolCursor();
    if (used) return;
  }
  event.Skip();
}

void CImageViewWindow::OnLeave(wxMouseEvent& event) {
  event.Skip();
  ClearStatusPixelInfo();
}

void CImageViewWindow::OnWheel(wxMouseEvent& event) {
  // With Shift or Ctrl held the wheel does not scroll.
  if (event.ShiftDown() || event.ControlDown()) return;
  if (!m_view) return;
  // The scroll view's own wheel handling: a notch scrolls the desktop's
  // lines per notch times the line size, at once (the toolkit's fallback
  // would move three pixels). Fractions of a notch add up.
  const int delta = event.GetWheelDelta() > 0 ? event.GetWheelDelta() : 120;
  m_wheelRotation += event.GetWheelRotation();
  const int notches = m_wheelRotation / delta;
  m_wheelRotation -= notches * delta;
  if (notches == 0) return;
  const bool horizontal = event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL;
  const wxSize client = GetClientSize();
  const int step = event.IsPageScroll() ? (horizontal ? client.x : client.y)
                                        : std::max(1, event.GetLinesPerAction()) * kLineStep;
  // Turning the wheel away (positive rotation) scrolls up; tilting it right scrolls right.
  if (horizontal)
    m_view->ScrollByPixels(notches * step, 0);
  else
    m_view->ScrollByPixels(0, -notches * step);
}

void CImageViewWindow::OnContextMenu(wxContextMenuEvent& event) {
  if (!m_view) return;
  std::unique_ptr<wxMenu> menu(m_view->CreateContextMenu());
  if (!menu) return;
  wxPoint at = event.GetPosition();
  at = at == wxDefaultPosition ? wxDefaultPosition : ScreenToClient(at);
  PopupMenu(menu.get(), at);
}

void CImageViewWindow::OnScrollLine(wxScrollWinEvent& event) {
  if (!m_view) return;
  const wxEventType type = event.GetEventType();
  const bool back = type == wxEVT_SCROLLWIN_LINEUP || type == wxEVT_SCROLLWIN_PAGEUP;
  const int step = (type == wxEVT_SCROLLWIN_LINEUP || type == wxEVT_SCROLLWIN_LINEDOWN) ? kLineStep : kPageStep;
  // Smooth scrolling: a page in 16 steps, a line in 6, the remainder last,
  // at least 10 ms apart; the first step that moves nothing ends the run.
  const int steps = step == kPageStep ? 16 : 6;
  const bool horizontal = event.GetOrientation() == wxHORIZONTAL;
  wxStopWatch watch;
  long last = -10;
  for (int i = 0; i <= steps; ++i) {
    int size = i < steps ? step / steps : step - steps * (step / steps);
    if (size == 0) continue;
    if (back) size = -size;
    while (watch.Time() - last < 10) wxMilliSleep(1);
    last = watch.Time();
    const wxPoint before = GetScrollPixels();
    m_view->ScrollByPixels(horizontal ? size : 0, horizontal ? 0 : size);
    if (GetScrollPixels() == before) break;
    Update();
  }
}

void CImageViewWindow::OnScrollDone(wxScrollWinEvent& event) {
  event.Skip();
  if (m_view) CallAfter([this] {
      if (m_view) m_view->UpdateRulers();
    });
}

// --- the view ----------------------------------------------------------------------

namespace {

using View = CPictoravellView;

// The view's commands: zoom and what the view shows. The view's commands
// need nothing of the document's state (NEEDS_NOTHING), so they run while
// an effect tool runs and while frames are busy.
const COMMAND_ENTRY<View> kViewCommands[] = {
    {ID_ZOOM_IN, &View::OnZoomIn, &View::CanZoomIn},
    {ID_ZOOM_OUT, &View::OnZoomOut, &View::CanZoomOut},
    {ID_ORIGINAL_SIZE, &View::OnOriginalSize, &View::CanOriginalSize},
    {ID_BEST_FIT, &View::OnBestFit},
    {ID_CURRENT_FRAME_ONLY, &View::OnCurrentFrameOnly, &View::HasSeveralFrames, NEEDS_NOTHING, nullptr,
     &View::OnUpdateCurrentFrameOnly},
    // The selection of the current frame: steps that never mark the document modified.
    {ID_SELECT_ALL, &View::OnSelectAll, &View::CanSelectAll, NEEDS_NOTHING, "Select All"},
    {ID_SELECT_NONE, &View::OnSelectNone, &View::CanSelectNone, NEEDS_NOTHING, "Select None"},
    {ID_SELECT_INVERSE, &View::OnSelectInverse, &View::CanSelectNone, NEEDS_NOTHING, "Select Inverse"},
    {ID_TOGGLE_SELECTION_EDGES, &View::OnToggleSelectionEdges, nullptr, NEEDS_NOTHING, nullptr,
     &View::OnUpdateSelectionEdges},
    // Playback: the frames are busy while any view plays them, so the rules
    // are the view's own.
    {ID_PLAY, &View::OnPlay, &View::CanPlay},
    {ID_STOP, &View::OnStop, &View::IsPlaying},
};

}  // namespace

CPictoravellView::CPictoravellView() {
  BindCommandTable<CPictoravellView>(*this, *this, kViewCommands);
  m_antsTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { AntsTick(); });
  m_scrollTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { AutoScrollTick(); });
  m_blinkTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { BlinkTick(); });
  m_playTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { PlaybackTick(); });
}

CPictoravellView::~CPictoravellView() {
  m_antsTimer.Stop();
  m_scrollTimer.Stop();
  m_blinkTimer.Stop();
  m_playTimer.Stop();
  if (m_bPlaying)
    if (CPictoravellDoc* doc = GetImageDocument()) doc->SetPlaying(false);
  if (m_window) m_window->DetachView();
}

CPictoravellDoc* CPictoravellView::GetImageDocument() const { return dynamic_cast<CPictoravellDoc*>(GetDocument()); }

void CPictoravellView::ForgetWindows() {
  m_antsTimer.Stop();
  m_scrollTimer.Stop();
  m_blinkTimer.Stop();
  m_bAntsRunning = false;
  m_busy.reset();
  m_nDrag = DRAG_NONE;
  if (m_window) m_window->DetachView();
  m_window = nullptr;
  m_frame = nullptr;
  m_caption = nullptr;
  // The playback ends with the window.
  StopAnimation();
}

bool CPictoravellView::OnCreate(wxDocument* doc, long) {
  IEditorHost* host = EditorHost();
  if (!host) return false;
  m_frame = new CChildFrame(doc, this, host->GetDocumentParent());
  m_window = new CImageViewWindow(m_frame, this);
  m_frame->SetViewWindow(m_window);
  host->AddDocumentWindow(m_frame);
  Activate(true);
  return true;
}

bool CPictoravellView::OnClose(bool) {
  ClearStatusPixelInfo();
  StopAnimation();
  m_antsTimer.Stop();
  m_scrollTimer.Stop();
  m_blinkTimer.Stop();
  m_bAntsRunning = false;
  if (m_window && m_window->HasCapture()) m_window->ReleaseMouse();
  m_nDrag = DRAG_NONE;
  m_busy.reset();
  // The document manager closes the document; the view only goes with it.
  if (m_window) m_window->DetachView();
  return true;
}

void CPictoravellView::OnActivateView(bool activate, wxView*, wxView*) {
  IEditorHost* host = EditorHost();
  if (activate && host) host->SetActiveDocument(GetDocument());
  if (!activate) return;
  ClearStatusPixelInfo();
  UpdateWindowTitle();
  // The shown view takes the keys (zoom, arrows, pages) without a click.
  if (m_window && host && host->GetShownEditingWindow() == m_frame) m_window->SetFocus();
}

void CPictoravellView::OnChangeFilename() { UpdateWindowTitle(); }

void CPictoravellView::UpdateWindowTitle() {
  wxDocument* doc = GetDocument();
  IEditorHost* host = EditorHost();
  if (!doc || !m_frame || !host || host->IsClosingDown()) return;
  host->SetDocumentWindowTitle(m_frame, doc->GetUserReadableName().utf8_string(), doc->IsModified());
}

// --- zoom --------------------------------------------------------------------------

void CPictoravellView::SetZoom(int zoom) {
  m_nZoom = static_cast<int16_t>(std::clamp(zoom, -kMaxZoom, kMaxZoom));
  CViewUpdateHint hint(HINT_ERASE);
  OnUpdate(nullptr, &hint);
}

void CPictoravellView::ZoomIn() {
  if (m_nZoom > kMaxZoom - 1) return;
  SetZoom(ZoomInStep(m_nZoom));
}

void CPictoravellView::ZoomOut() {
  if (m_nZoom < -(kMaxZoom - 1)) return;
  SetZoom(ZoomOutStep(m_nZoom));
}

void CPictoravellView::OriginalSize() { SetZoom(1); }

bool CPictoravellView::BestFit() {
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc || !m_window) return false;
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  const wxSize area = m_window->GetSize();
  const int zoom = BestFitZoom(w, h, area.x, area.y);
  if (zoom == m_nZoom) return false;
  m_nZoom = static_cast<int16_t>(zoom);
  return true;
}

void CPictoravellView::FitWhenReady() {
  CPictoravellDoc* doc = GetImageDocument();
  if (!m_bFitPending || !doc || doc->GetFrameCount() == 0 || !m_window) return;
  const wxSize size = m_window->GetSize();
  if (size.x <= 1 || size.y <= 1) return;  // not laid out yet: the size event comes back here
  m_bFitPending = false;
  BestFit();
  CViewUpdateHint hint(HINT_ERASE);
  OnUpdate(nullptr, &hint);
}

void CPictoravellView::SetCurrentFrameOnly(bool only) {
  m_bCurrentFrameOnly = only ? 1 : 0;
  OnUpdate(nullptr, nullptr);
}

void CPictoravellView::OnZoomIn() { ZoomIn(); }
void CPictoravellView::OnZoomOut() { ZoomOut(); }
void CPictoravellView::OnOriginalSize() { OriginalSize(); }

void CPictoravellView::OnBestFit() {
  if (BestFit()) {
    CViewUpdateHint hint(HINT_ERASE);
    OnUpdate(nullptr, &hint);
  }
}

void CPictoravellView::OnCurrentFrameOnly() { SetCurrentFrameOnly(!m_bCurrentFrameOnly); }

bool CPictoravellView::CanZoomIn() const { return m_nZoom < kMaxZoom; }
bool CPictoravellView::CanZoomOut() const { return m_nZoom >= -(kMaxZoom - 1); }
bool CPictoravellView::CanOriginalSize() const { return m_nZoom != 0 && m_nZoom != 1 && m_nZoom != -1; }

bool CPictoravellView::HasSeveralFrames() const {
  CPictoravellDoc* doc = GetImageDocument();
  return doc && doc->GetFrameCount() > 1;
}

void CPictoravellView::OnUpdateCurrentFrameOnly(wxUpdateUIEvent& event) { event.Check(m_bCurrentFrameOnly != 0); }

// --- geometry ----------------------------------------------------------------------

VIEW_GEOMETRY CPictoravellView::GetGeometry() const {
  VIEW_GEOMETRY g;
  if (CPictoravellDoc* doc = GetImageDocument()) {
    int16_t w, h;
    doc->GetCanvasSize(w, h);
    g.canvasWidth = w;
    g.canvasHeight = h;
  }
  g.zoom = m_nZoom;
  if (m_window) {
    const wxSize client = m_window->GetClientSize();
    g.clientWidth = client.x;
    g.clientHeight = client.y;
    const wxPoint scroll = m_window->GetScrollPixels();
    g.scrollX = scroll.x;
    g.scrollY = scroll.y;
  }
  g.captionHeight = m_nCaptionHeight;
  return g;
}

Rect CPictoravellView::GetImageRect() const { return ::GetImageRect(GetGeometry()); }
Point CPictoravellView::ClientToImage(Point window) const { return ::ClientToImage(GetGeometry(), window); }
Point CPictoravellView::ImageToClient(Point canvas) const { return ::ImageToClient(GetGeometry(), canvas); }

void CPictoravellView::GetDisplaySize(int& width, int& height) const {
  const VIEW_GEOMETRY g = GetGeometry();
  GetZoomedSize(g.canvasWidth, g.canvasHeight, g.zoom, width, height);
}

void CPictoravellView::UpdateRulers() {
  if (!m_frame) return;
  const VIEW_GEOMETRY g = GetGeometry();
  const Rect r = ::GetImageRect(g);
  m_frame->SetRulerRange(r.left - g.scrollX, r.top - g.scrollY, r.Width(), r.Height(), m_nZoom);
}

void CPictoravellView::UpdateImageInfo() {
  CPictoravellDoc* doc = GetImageDocument();
  const CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!frame || !m_frame) return;
  const CRasterImage& image = !frame->m_image.IsEmpty() ? frame->m_image : frame->m_selection;
  const int mode = image.IsEmpty() ? -1 : image.IsGrayscale() ? 0 : image.GetBitsPerPixel();
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  m_frame->SetImageInfo(w, h, mode, m_nZoom, GetShownFrameIndex(), doc->GetFrameCount());
}

void CPictoravellView::BuildFrameComposite(bool playing) {
  m_composite = FRAME_COMPOSITE();
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc) return;
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  m_composite = ::BuildFrameComposite(doc->GetFrames(), w, h, doc->GetCurrentFrameIndex(), m_bCurrentFrameOnly != 0,
                                      playing, playing ? m_play.frame : 0);
}

void CPictoravellView::ShowCommentCaption() {
  if (!m_window) return;
  m_nCaptionHeight = 0;
  CPictoravellDoc* doc = GetImageDocument();
  if (doc && !doc->GetComment().empty() && g_bDisplayComments) {
    if (!m_caption) {
      m_caption = new wxStaticText(m_window, 4000, wxString(), wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL);
      m_caption->SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    }
    wxString text = wxString::FromUTF8(doc->GetComment());
    text.Replace("\r\n", "\n");
    const int width = std::max(40, m_window->GetClientSize().x - 24);
    m_caption->SetLabel(text);
    m_caption->Wrap(width);
    const wxSize size = m_caption->GetBestSize();
    m_nCaptionHeight = size.y + 12;
    const VIEW_GEOMETRY g = GetGeometry();
    const Rect r = ::GetImageRect(g);
    m_caption->SetSize((g.clientWidth - size.x) / 2, r.bottom - g.scrollY + 12, size.x, size.y);
  } else if (m_caption) {
    // Gone rather than hidden: scrolling the window moves every child, and
    // the toolkit refuses to place a hidden one.
    m_caption->Destroy();
    m_caption = nullptr;
  }
}

void CPictoravellView::OnUpdate(wxView*, wxObject* hint) {
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc || !m_window) return;
  UpdateWindowTitle();
  // What the readout showed may no longer be there: the next mouse move
  // over the view shows it again.
  ClearStatusPixelInfo();
  if (m_bFitPending) {
    // The first update with frames fits the canvas and comes back here.
    FitWhenReady();
    return;
  }
  if (m_bPlaying) {
    // The frames may have changed under the playback: it follows their count.
    m_play.count = doc->GetFrameCount();
    if (m_play.frame >= m_play.count) m_play.frame = std::max(0, m_play.count - 1);
  }
  if (CAnimFrame* frame = doc->GetCurrentFrame()) {
    Rect& r = frame->m_rcSelection;
    r.right = r.left + (frame->m_selection.IsEmpty() ? 0 : frame->m_selection.GetWidth());
    r.bottom = r.top + (frame->m_selection.IsEmpty() ? 0 : frame->m_selection.GetHeight());
  }
  ShowCommentCaption();
  int w, h;
  GetDisplaySize(w, h);
  m_window->SetVirtualSize(w, h + m_nCaptionHeight);
  ShowCommentCaption();  // the scroll bars may have changed the client area
  UpdateRulers();
  BuildFrameComposite(m_bPlaying != 0);
  UpdateImageInfo();
  {
    const CAnimFrame* frame = doc->GetCurrentFrame();
    EnableMarchingAnts(frame && !frame->m_selection.IsEmpty() && !m_bPlaying && m_nDrag != DRAG_RECT);
  }
  m_window->Refresh(GetViewUpdateHint(hint) != HINT_REPAINT);
  if (IEditorHost* host = EditorHost(); host && GetDocumentManager() && GetDocumentManager()->GetCurrentView() == this)
    host->SetActiveDocument(doc);
}

wxMenu* CPictoravellView::CreateContextMenu() const {
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc || doc->IsToolRunning()) return nullptr;
  return CreatePopupMenuResource(IDR_HOME_CONTEXT);
}

void CPictoravellView::ScrollByPixels(int dx, int dy) {
  if (!m_window) return;
  const wxPoint at = m_window->GetScrollPixels();
  m_window->Scroll(std::max(0, at.x + dx), std::max(0, at.y + dy));
  UpdateRulers();
}

// --- drawing -----------------------------------------------------------------------

void CPictoravellView::OnDraw(wxDC* dc) {
  if (!dc || !m_window) return;
  Render(*dc, wxRect(m_window->GetClientSize()));
}

void CPictoravellView::Render(wxDC& dc, const wxRect& wxArea) {
  DISPLAY_OPTIONS options;
  GetDisplayOptions(options);
  const VIEW_GEOMETRY g = GetGeometry();
  Rect image = ::GetImageRect(g);
  image.left -= g.scrollX;
  image.right -= g.scrollX;
  image.top -= g.scrollY;
  image.bottom -= g.scrollY;
  const Rect area = FromWx(wxArea);
  const Rect client{0, 0, g.clientWidth, g.clientHeight};

  // The background around the image.
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(ToColour(options.windowColor)));
  CPictoravellDoc* doc = GetImageDocument();
  const bool hasImage = doc && doc->GetFrameCount() > 0 && !image.IsEmpty();
  if (!hasImage) {
    dc.DrawRectangle(ToWx(Intersect(area, client)));
    return;
  }
  const Rect bands[4] = {Rect{area.left, area.top, area.right, image.top},
                         Rect{area.left, image.bottom, area.right, area.bottom},
                         Rect{area.left, image.top, image.left, image.bottom},
                         Rect{image.right, image.top, area.right, image.bottom}};
  for (const Rect& band : bands) {
    const Rect r = Intersect(band, area);
    if (!r.IsEmpty()) dc.DrawRectangle(ToWx(r));
  }
  if (options.bDrawBorder) {
    dc.SetPen(*wxBLACK_PEN);
    DrawRectOutline(dc, image);
  }
  // The stipple's parity follows the scroll position, so it stays fixed to
  // the image while it scrolls.
  if (options.bDrawShadow) DrawStippledShadow(dc, Intersect(area, client), image, (g.scrollX + g.scrollY) & 1);
  const Rect clip = Intersect(Intersect(area, image), client);
  if (!clip.IsEmpty()) DrawImageLayers(dc, image, clip);
  if (!clip.IsEmpty()) DrawSelectionEdges(dc, clip);
  if (m_nDrag == DRAG_RECT) {
    // The rectangle being dragged, dotted.
    const Point a = ImageToClient(Point{m_rcDrag.left, m_rcDrag.top});
    const Point b = ImageToClient(Point{m_rcDrag.right, m_rcDrag.bottom});
    dc.SetPen(wxPen(*wxBLACK, 1, wxPENSTYLE_DOT));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(a.x, a.y, std::max(1, b.x - a.x), std::max(1, b.y - a.y));
  }
}

void CPictoravellView::DrawImageLayers(wxDC& dc, const Rect& image, const Rect& clip) {
  CPictoravellDoc* doc = GetImageDocument();
  const int shown = GetShownFrameIndex();
  const CAnimFrame* frame = doc->GetFrame(shown);
  int16_t cw, ch;
  doc->GetCanvasSize(cw, ch);
  const int magnify = m_nZoom > 1 ? m_nZoom : 1, reduce = m_nZoom < -1 ? -m_nZoom : 1;
  dc.SetClippingRegion(ToWx(clip));
  const Rect drawing = image;

  if (m_composite.image.IsEmpty() && frame && frame->m_selection.IsEmpty() && !frame->m_image.IsEmpty()) {
    // One layer: the frame's image straight from its pixels.
    const CRasterImage& img = frame->m_image;
    const Rect target{frame->m_nLeft * magnify / reduce, frame->m_nTop * magnify / reduce,
                      (frame->m_nLeft + img.GetWidth()) * magnify / reduce,
                      (frame->m_nTop + img.GetHeight()) * magnify / reduce};
    // A running effect previews only what the view shows (in the image's
    // pixels), reduced to the view's zoom.
    const auto inImage = [&](const Rect& r) {
      const auto lo = [&](int v, int offset) { return v * reduce / magnify - offset; };
      const auto hi = [&](int v, int offset) { return (v * reduce + magnify - 1) / magnify + reduce - offset; };
      const int x0 = r.left - image.left, y0 = r.top - image.top, x1 = r.right - image.left, y1 = r.bottom - image.top;
      return Rect{std::clamp(lo(std::max(x0, 0), frame->m_nLeft), 0, img.GetWidth()),
                  std::clamp(lo(std::max(y0, 0), frame->m_nTop), 0, img.GetHeight()),
                  std::clamp(hi(std::max(x1, 0), frame->m_nLeft), 0, img.GetWidth()),
                  std::clamp(hi(std::max(y1, 0), frame->m_nTop), 0, img.GetHeight())};
    };
    const VIEW_GEOMETRY g = GetGeometry();
    NoteViewShows(&img, inImage(Intersect(image, Rect{0, 0, g.clientWidth, g.clientHeight})), reduce);
    Rect source;
    if (const CRasterImage* preview = FindReducedPreview(&img, inImage(clip), reduce, &source)) {
      const Rect part{(frame->m_nLeft + source.left) * magnify / reduce,
                      (frame->m_nTop + source.top) * magnify / reduce,
                      (frame->m_nLeft + source.right) * magnify / reduce,
                      (frame->m_nTop + source.bottom) * magnify / reduce};
      DrawImage(dc, drawing, part, kViewBandHeight, *preview, Rect{0, 0, preview->GetWidth(), preview->GetHeight()});
      dc.DestroyClippingRegion();
      return;
    }
    if (target.IsEmpty()) {
      // Too small to show: only the background.
      CRasterImage none;
      none.Create(1, 1, 24);
      none.CreateMask();
      DrawImage(dc, drawing, Rect{0, 0, image.Width(), image.Height()}, kViewBandHeight, none, Rect{0, 0, 1, 1});
    } else {
      DrawImage(dc, drawing, target, kViewBandHeight, img, Rect{0, 0, img.GetWidth(), img.GetHeight()});
    }
    dc.DestroyClippingRegion();
    return;
  }

  // Several layers (earlier frames, a floating selection, or a frame without
  // an image): the compositor, over the visible part only.
  NoteViewShows(nullptr, Rect{}, 1);
  CompleteLivePreview();
  CLayerStack stack(cw, ch);
  AddFrameLayers(stack, m_composite, frame, shown);
  DrawLayerStack(dc, image, kViewBandHeight, stack);
  dc.DestroyClippingRegion();
}

bool CPictoravellView::GetShownPixel(int x, int y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue) {
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc || doc->GetFrameCount() == 0) return false;
  int16_t cw, ch;
  doc->GetCanvasSize(cw, ch);
  if (x < 0 || y < 0 || x >= cw || y >= ch) return false;
  CompleteLivePreview();
  CLayerStack stack(cw, ch);
  const int shown = GetShownFrameIndex();
  AddFrameLayers(stack, m_composite, doc->GetFrame(shown), shown);
  alpha = red = green = blue = 0;
  if (!stack.BeginRender()) return true;
  stack.GetPixel(x, y, alpha, red, green, blue);
  stack.EndRender();
  return true;
}

void CPictoravellView::UpdatePixelReadout(const wxPoint& window) {
  if (m_frame) m_frame->SetRulerMarkers(window.x, window.y);
  const Point p = ClientToImage(Point{window.x, window.y});
  uint8_t a, r, g, b;
  if (GetShownPixel(p.x, p.y, a, r, g, b))
    SetStatusPixelInfo(p.x, p.y, r, g, b, a);
  else
    ClearStatusPixelInfo();
}

// --- the mouse tools and the selection -----------------------------------------------

namespace {

constexpr int kAutoScrollInterval = 30;  // ms between auto-scroll steps while dragging
constexpr int kAntsStartInterval = 150;  // ms between ants steps when they start

int SelectionModeOf(int modifiers) {
  if (modifiers & wxMOD_SHIFT) return SELECT_ADD;
  if (modifiers & wxMOD_CONTROL) return SELECT_SUBTRACT;
  return SELECT_REPLACE;
}

}  // namespace

int CPictoravellView::GetCurrentTool() const {
  IEditorHost* host = EditorHost();
  return host ? host->GetCurrentTool() : -1;
}

Point CPictoravellView::ClampToCanvas(Point p) const {
  const VIEW_GEOMETRY g = GetGeometry();
  return Point{std::clamp(p.x, 0, g.canvasWidth), std::clamp(p.y, 0, g.canvasHeight)};
}

bool CPictoravellView::GetSelectionRect(Rect& window) const {
  CPictoravellDoc* doc = GetImageDocument();
  const CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!frame || frame->m_selection.IsEmpty()) return false;
  const int left = frame->m_nLeft + frame->m_rcSelection.left, top = frame->m_nTop + frame->m_rcSelection.top;
  const Point a = ImageToClient(Point{left, top});
  const Point b = ImageToClient(Point{left + frame->m_selection.GetWidth(), top + frame->m_selection.GetHeight()});
  window = Rect{a.x, a.y, b.x, b.y};
  return true;
}

void CPictoravellView::EnableMarchingAnts(bool on) {
  if (on) {
    if (m_bAntsRunning || !m_bShowSelectionEdges) return;
    m_nAntsInterval = kAntsStartInterval;
    m_antsTimer.Start(m_nAntsInterval);
    m_bAntsRunning = true;
  } else if (m_bAntsRunning) {
    m_antsTimer.Stop();
    m_bAntsRunning = false;
  }
}

void CPictoravellView::AntsTick() {
  m_nAntsPhase = (m_nAntsPhase + 1) % 8;
  Rect r;
  if (!m_window || !GetSelectionRect(r)) return;
  // Only the outline changes: repaint its four sides (a masked selection's
  // outline lies anywhere inside, so all of its rectangle).
  CPictoravellDoc* doc = GetImageDocument();
  const CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  const wxRect box(r.left, r.top, std::max(1, r.Width()), std::max(1, r.Height()));
  if (frame && frame->m_selection.HasValidMask()) {
    m_window->RefreshRect(box, false);
  } else {
    m_window->RefreshRect(wxRect(box.x, box.y, box.width, 1), false);
    m_window->RefreshRect(wxRect(box.x, box.GetBottom(), box.width, 1), false);
    m_window->RefreshRect(wxRect(box.x, box.y, 1, box.height), false);
    m_window->RefreshRect(wxRect(box.GetRight(), box.y, 1, box.height), false);
  }
}

void CPictoravellView::DrawSelectionEdges(wxDC& dc, const Rect& area) {
  if (!m_bShowSelectionEdges || m_bPlaying) return;
  CPictoravellDoc* doc = GetImageDocument();
  const CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  Rect shown;
  if (!frame || !GetSelectionRect(shown)) return;
  const Rect clip = Intersect(shown, area);
  if (clip.IsEmpty()) return;
  wxStopWatch watch;
  std::vector<ANTS_RUN> runs;
  FindAntsRuns(frame->m_selection, shown, clip, m_nZoom, m_nAntsPhase, runs);
  // Runs as filled one-pixel-high rectangles: exact pixels (lines would be
  // smoothed across two rows).
  dc.SetPen(*wxTRANSPARENT_PEN);
  bool current = false;
  dc.SetBrush(*wxBLACK_BRUSH);
  for (const ANTS_RUN& run : runs) {
    if (run.white != current) {
      current = run.white;
      dc.SetBrush(current ? *wxWHITE_BRUSH : *wxBLACK_BRUSH);
    }
    dc.DrawRectangle(run.x, run.y, run.length, 1);
  }
  // Slow drawing lengthens the interval (until the ants start again).
  const int took = static_cast<int>(watch.Time());
  if (m_bAntsRunning && took + 100 > m_nAntsInterval) {
    m_nAntsInterval = took + 100;
    m_antsTimer.Start(m_nAntsInterval);
  }
}

CAnimFrame* CPictoravellView::SelectableFrame() const {
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc || doc->IsToolRunning() || m_nDrag != DRAG_NONE || m_bNudging) return nullptr;
  CAnimFrame* frame = doc->GetCurrentFrame();
  return frame && !frame->m_bBusy ? frame : nullptr;
}

bool CPictoravellView::CanSelectAll() const {
  const CAnimFrame* frame = SelectableFrame();
  return frame && !frame->m_image.IsEmpty();
}

bool CPictoravellView::CanSelectNone() const {
  const CAnimFrame* frame = SelectableFrame();
  return frame && !frame->m_selection.IsEmpty();
}

void CPictoravellView::ApplySelectionCommand(const char* label, void (CAnimFrame::*change)()) {
  CAnimFrame* frame = SelectableFrame();
  if (!frame) return;
  CAnimFrame trial = *frame;
  (trial.*change)();
  EnableMarchingAnts(false);
  GetImageDocument()->PushUndo(label);
  *frame = std::move(trial);
  AfterSelectionChange();
  EnableMarchingAnts(!frame->m_selection.IsEmpty() && !m_bPlaying);
}

void CPictoravellView::OnSelectAll() {
  if (CanSelectAll()) ApplySelectionCommand("Select All", &CAnimFrame::FloatImage);
}

void CPictoravellView::OnSelectNone() {
  if (CanSelectNone()) ApplySelectionCommand("Select None", &CAnimFrame::MergeSelection);
}

void CPictoravellView::OnSelectInverse() {
  if (CanSelectNone()) ApplySelectionCommand("Select Inverse", &CAnimFrame::SwapSelection);
}

void CPictoravellView::OnToggleSelectionEdges() {
  m_bShowSelectionEdges = !m_bShowSelectionEdges;
  CPictoravellDoc* doc = GetImageDocument();
  const CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!m_bShowSelectionEdges) EnableMarchingAnts(false);
  else EnableMarchingAnts(frame && !frame->m_selection.IsEmpty() && !m_bPlaying);
  if (m_window) m_window->Refresh(false);
}

void CPictoravellView::OnUpdateSelectionEdges(wxUpdateUIEvent& event) {
  event.SetText(m_bShowSelectionEdges ? "Hide Selection Edges\tCtrl+H" : "Show Selection Edges\tCtrl+H");
}

void CPictoravellView::AfterSelectionChange() {
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc) return;
  // Selection changes never mark the document modified.
  CViewUpdateHint hint(HINT_REPAINT);
  doc->UpdateAllViews(nullptr, &hint);
}

bool CPictoravellView::OnToolButtonDown(const wxPoint& point, bool right, int modifiers) {
  CPictoravellDoc* doc = GetImageDocument();
  CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (frame && doc->IsToolRunning()) return !right && StartEffectSelectionMove(point);
  if (!frame || !m_window || m_nDrag != DRAG_NONE || m_bNudging) return false;
  const int tool = GetCurrentTool();
  const Point canvas = ClientToImage(Point{point.x, point.y});
  const VIEW_GEOMETRY g = GetGeometry();
  const bool onCanvas = canvas.x >= 0 && canvas.y >= 0 && canvas.x < g.canvasWidth && canvas.y < g.canvasHeight;
  if (tool == ID_TOOL_ZOOM) {
    ZoomAtPoint(point, right || (modifiers & wxMOD_CONTROL));
    return true;
  }
  if (right) return false;
  if ((tool == ID_TOOL_RECT_SELECT || tool == ID_TOOL_MAGIC_WAND || tool == ID_TOOL_MOVE) && frame->m_bBusy) {
    RefuseClick();
    return true;
  }
  if (tool == ID_TOOL_RECT_SELECT) {
    EnableMarchingAnts(false);
    m_busy = std::make_unique<CFrameBusyGuard>(doc, doc->GetCurrentFrameIndex());
    m_anchor = ClampToCanvas(canvas);
    m_rcDrag = Rect{m_anchor.x, m_anchor.y, m_anchor.x, m_anchor.y};
    m_nDragMode = SelectionModeOf(modifiers);
    m_nDrag = DRAG_RECT;
  } else if (tool == ID_TOOL_MAGIC_WAND) {
    TrackMagicWand(point, modifiers);
    return true;
  } else if (tool == ID_TOOL_MOVE) {
    if (frame->IsEmpty() || !onCanvas) return true;
    const int sx = canvas.x - frame->m_nLeft - frame->m_rcSelection.left;
    const int sy = canvas.y - frame->m_nTop - frame->m_rcSelection.top;
    if (IsPointSelected(sx, sy, frame->m_selection))
      m_nDrag = DRAG_MOVE_SELECTION;
    else if (IsPointSelected(canvas.x - frame->m_nLeft, canvas.y - frame->m_nTop, frame->m_image))
      m_nDrag = DRAG_MOVE_IMAGE;
    else
      return true;
    m_rcMoveStart = frame->m_rcSelection;
    m_nMoveStartLeft = frame->m_nLeft;
    m_nMoveStartTop = frame->m_nTop;
    m_anchor = canvas;
    m_nDragDx = m_nDragDy = 0;
    // The frame is busy while it moves: Undo and the commands wait.
    m_busy = std::make_unique<CFrameBusyGuard>(doc, doc->GetCurrentFrameIndex());
  } else if (tool == ID_TOOL_FREE_SCROLL) {
    Rect image = GetImageRect();
    const Point p{point.x + g.scrollX, point.y + g.scrollY};
    if (p.x < image.left || p.y < image.top || p.x >= image.right || p.y >= image.bottom) return true;
    m_dragStartPoint = point;
    m_dragStartScroll = m_window->GetScrollPixels();
    m_nDrag = DRAG_SCROLL;
    UpdateToolCursor();
  } else {
    return false;
  }
  if (!m_window->HasCapture()) m_window->CaptureMouse();
  if (m_nDrag == DRAG_RECT || m_nDrag == DRAG_MOVE_SELECTION || m_nDrag == DRAG_MOVE_IMAGE)
    m_scrollTimer.StartOnce(kAutoScrollInterval);
  return true;
}

bool CPictoravellView::StartEffectSelectionMove(const wxPoint& point) {
  // While an effect that draws a floating selection runs (Add Text), a press
  // on that selection's rectangle drags it, whatever the tool; nothing else
  // reaches the frame.
  CPictoravellDoc* doc = GetImageDocument();
  CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  const CEffectDialog* panel = GetRunningEffectPanel();
  const CEffectTool* tool = panel ? panel->GetTool() : nullptr;
  if (!frame || !m_window || m_nDrag != DRAG_NONE || m_bNudging || !tool || !tool->MovesFloatingSelection() ||
      tool->GetHost() != static_cast<CEditHost*>(doc) || tool->GetLive() != &frame->m_selection ||
      frame->m_selection.IsEmpty())
    return false;
  const Point canvas = ClientToImage(Point{point.x, point.y});
  const int sx = canvas.x - frame->m_nLeft - frame->m_rcSelection.left;
  const int sy = canvas.y - frame->m_nTop - frame->m_rcSelection.top;
  if (sx < 0 || sy < 0 || sx >= frame->m_selection.GetWidth() || sy >= frame->m_selection.GetHeight()) return false;
  m_nDrag = DRAG_MOVE_SELECTION;
  m_rcMoveStart = frame->m_rcSelection;
  m_nMoveStartLeft = frame->m_nLeft;
  m_nMoveStartTop = frame->m_nTop;
  m_anchor = canvas;
  m_nDragDx = m_nDragDy = 0;
  if (!m_window->HasCapture()) m_window->CaptureMouse();
  m_scrollTimer.StartOnce(kAutoScrollInterval);
  return true;
}

void CPictoravellView::DragTo(const wxPoint& point) {
  CPictoravellDoc* doc = GetImageDocument();
  CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!frame || !m_window) return;
  const Point canvas = ClientToImage(Point{point.x, point.y});
  const VIEW_GEOMETRY g = GetGeometry();
  if (m_nDrag == DRAG_RECT) {
    const Point c = ClampToCanvas(canvas);
    m_rcDrag = Rect{std::min(m_anchor.x, c.x), std::min(m_anchor.y, c.y), std::max(m_anchor.x, c.x),
                    std::max(m_anchor.y, c.y)};
    m_window->Refresh(false);
  } else if (m_nDrag == DRAG_MOVE_SELECTION || m_nDrag == DRAG_MOVE_IMAGE) {
    int dx = canvas.x - m_anchor.x, dy = canvas.y - m_anchor.y;
    Rect moving;
    if (m_nDrag == DRAG_MOVE_SELECTION)
      moving = Rect{m_nMoveStartLeft + m_rcMoveStart.left, m_nMoveStartTop + m_rcMoveStart.top,
                    m_nMoveStartLeft + m_rcMoveStart.right, m_nMoveStartTop + m_rcMoveStart.bottom};
    else
      moving = Rect{m_nMoveStartLeft, m_nMoveStartTop, m_nMoveStartLeft + frame->m_image.GetWidth(),
                    m_nMoveStartTop + frame->m_image.GetHeight()};
    ClampMoveOffset(moving, g.canvasWidth, g.canvasHeight, dx, dy);
    if (m_nDrag == DRAG_MOVE_IMAGE) {
      dx = std::clamp(dx, -32768 - m_nMoveStartLeft, 32767 - m_nMoveStartLeft);
      dy = std::clamp(dy, -32768 - m_nMoveStartTop, 32767 - m_nMoveStartTop);
    }
    if (dx == m_nDragDx && dy == m_nDragDy) return;
    m_nDragDx = dx;
    m_nDragDy = dy;
    frame->m_rcSelection = m_rcMoveStart;
    frame->m_nLeft = m_nMoveStartLeft;
    frame->m_nTop = m_nMoveStartTop;
    if (m_nDrag == DRAG_MOVE_SELECTION) {
      frame->m_rcSelection.left += dx;
      frame->m_rcSelection.right += dx;
      frame->m_rcSelection.top += dy;
      frame->m_rcSelection.bottom += dy;
    } else {
      // The image moves; the selection stays where it is on the canvas.
      frame->m_nLeft = static_cast<int16_t>(m_nMoveStartLeft + dx);
      frame->m_nTop = static_cast<int16_t>(m_nMoveStartTop + dy);
      frame->m_rcSelection.left -= dx;
      frame->m_rcSelection.right -= dx;
      frame->m_rcSelection.top -= dy;
      frame->m_rcSelection.bottom -= dy;
    }
    BuildFrameComposite(false);
    m_window->Refresh(false);
  } else if (m_nDrag == DRAG_SCROLL) {
    const wxSize client = m_window->GetClientSize();
    int vw, vh;
    m_window->GetVirtualSize(&vw, &vh);
    const int x = std::clamp(m_dragStartScroll.x + m_dragStartPoint.x - point.x, 0, std::max(0, vw - client.x));
    const int y = std::clamp(m_dragStartScroll.y + m_dragStartPoint.y - point.y, 0, std::max(0, vh - client.y));
    m_window->Scroll(x, y);
    UpdateRulers();
  }
}

void CPictoravellView::OnToolMotion(const wxPoint& point) { DragTo(point); }

void CPictoravellView::AutoScrollTick() {
  if (!m_window || (m_nDrag != DRAG_RECT && m_nDrag != DRAG_MOVE_SELECTION && m_nDrag != DRAG_MOVE_IMAGE)) return;
  ScrollTowardsPointer();
  // The next tick is counted from the end of this one: a repaint slower than
  // the interval never leaves ticks queued ahead of the mouse and the
  // keyboard.
  if (m_nDrag != DRAG_NONE) m_scrollTimer.StartOnce(kAutoScrollInterval);
}

void CPictoravellView::ScrollTowardsPointer() {
  // The pointer past an edge scrolls by its distance beyond it, clamped to
  // the scroll range.
  const wxPoint p = m_window->ScreenToClient(wxGetMousePosition());
  const wxSize client = m_window->GetClientSize();
  int dx = p.x >= client.x ? p.x - client.x + 1 : p.x < 0 ? p.x : 0;
  int dy = p.y >= client.y ? p.y - client.y + 1 : p.y < 0 ? p.y : 0;
  if (dx == 0 && dy == 0) return;
  int vw, vh;
  m_window->GetVirtualSize(&vw, &vh);
  const wxPoint at = m_window->GetScrollPixels();
  const int x = std::clamp(at.x + dx, 0, std::max(0, vw - client.x));
  const int y = std::clamp(at.y + dy, 0, std::max(0, vh - client.y));
  if (x == at.x && y == at.y) return;
  m_window->Scroll(x, y);
  UpdateRulers();
  DragTo(p);
  m_window->Update();
}

void CPictoravellView::OnToolButtonUp(const wxPoint& point) {
  if (m_nDrag == DRAG_NONE) return;
  DragTo(point);
  if (m_nDrag == DRAG_RECT) FinishRect();
  if (m_nDrag == DRAG_MOVE_SELECTION || m_nDrag == DRAG_MOVE_IMAGE) FinishMove();
  EndDrag();
}

void CPictoravellView::OnToolCaptureLost() {
  // A move keeps what it moved so far, as its one step; a rectangle is dropped.
  if (m_nDrag == DRAG_MOVE_SELECTION || m_nDrag == DRAG_MOVE_IMAGE) FinishMove();
  m_nDrag = DRAG_NONE;
  EndDrag();
}

void CPictoravellView::EndDrag() {
  m_nDrag = DRAG_NONE;
  m_scrollTimer.Stop();
  m_busy.reset();
  if (m_window) {
    if (m_window->HasCapture()) m_window->ReleaseMouse();
    m_window->Refresh(false);
  }
  CPictoravellDoc* doc = GetImageDocument();
  const CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  EnableMarchingAnts(frame && !frame->m_selection.IsEmpty() && !m_bPlaying);
  UpdateToolCursor();
}

void CPictoravellView::FinishRect() {
  CPictoravellDoc* doc = GetImageDocument();
  CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!frame || frame->IsEmpty()) return;
  if (m_rcDrag.IsEmpty()) {
    // A click without a drag drops a floating selection.
    if (frame->m_selection.IsEmpty()) return;
    CAnimFrame trial = *frame;
    if (!DeselectFrame(trial)) return;
    doc->PushUndo("Selection Change");
    trial.m_bBusy = frame->m_bBusy;
    *frame = std::move(trial);
    AfterSelectionChange();
    return;
  }
  const Rect rect = m_rcDrag;
  const int mode = m_nDragMode;
  CAnimFrame trial = *frame;
  const RECUT_RESULT result =
      RecutSelection(trial, [&](const CRasterImage& content, Point at, const CRasterImage* current) {
        const Rect inContent{rect.left - at.x, rect.top - at.y, rect.right - at.x, rect.bottom - at.y};
        return MakeRectSelectionMask(content, inContent, current, mode);
      });
  if (result != RECUT_CHANGED) return;
  doc->PushUndo("Selection Change");
  trial.m_bBusy = frame->m_bBusy;
  *frame = std::move(trial);
  AfterSelectionChange();
}

void CPictoravellView::TrackMagicWand(const wxPoint& point, int modifiers) {
  CPictoravellDoc* doc = GetImageDocument();
  CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!frame || frame->IsEmpty()) return;
  CFrameBusyGuard busy(doc, doc->GetCurrentFrameIndex());
  const Point canvas = ClientToImage(Point{point.x, point.y});
  const VIEW_GEOMETRY g = GetGeometry();
  if (canvas.x < 0 || canvas.y < 0 || canvas.x >= g.canvasWidth || canvas.y >= g.canvasHeight) return;
  const bool hit = IsPointSelected(canvas.x - frame->m_nLeft - frame->m_rcSelection.left,
                                   canvas.y - frame->m_nTop - frame->m_rcSelection.top, frame->m_selection) ||
                   IsPointSelected(canvas.x - frame->m_nLeft, canvas.y - frame->m_nTop, frame->m_image);
  CAnimFrame trial = *frame;
  RECUT_RESULT result = RECUT_EMPTY_MASK;
  if (hit) {
    wxBusyCursor wait;
    const int mode = SelectionModeOf(modifiers);
    result = RecutSelection(trial, [&](const CRasterImage& content, Point at, const CRasterImage* current) {
      return MagicWand(content, canvas.x - at.x, canvas.y - at.y, current, mode);
    });
    if (result == RECUT_NOTHING) return;
  }
  if (result != RECUT_CHANGED) {
    // A click on nothing (or a wand that selects nothing) deselects, as a step.
    trial = *frame;
    DeselectFrame(trial);
    doc->PushUndo(hit ? "Selection Change" : "Select None");
  } else {
    doc->PushUndo("Selection Change");
  }
  trial.m_bBusy = frame->m_bBusy;
  *frame = std::move(trial);
  AfterSelectionChange();
}

void CPictoravellView::FinishMove() {
  CPictoravellDoc* doc = GetImageDocument();
  CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!frame) return;
  const int dx = m_nDragDx, dy = m_nDragDy;
  const bool image = m_nDrag == DRAG_MOVE_IMAGE;
  if (doc->IsToolRunning()) {
    // Inside an effect: the move belongs to the effect's own step.
    m_nDragDx = m_nDragDy = 0;
    CViewUpdateHint hint(HINT_REPAINT);
    doc->UpdateAllViews(nullptr, &hint);
    return;
  }
  // Back to where the drag began, then the whole move as one step.
  const Rect moved = frame->m_rcSelection;
  const int16_t left = frame->m_nLeft, top = frame->m_nTop;
  frame->m_rcSelection = m_rcMoveStart;
  frame->m_nLeft = m_nMoveStartLeft;
  frame->m_nTop = m_nMoveStartTop;
  m_nDragDx = m_nDragDy = 0;
  if (dx == 0 && dy == 0) return;
  doc->PushUndo(image ? "Move Image" : "Move Selection");
  frame->m_rcSelection = moved;
  frame->m_nLeft = left;
  frame->m_nTop = top;
  doc->Modify(true);
  CViewUpdateHint hint(HINT_REPAINT);
  doc->UpdateAllViews(nullptr, &hint);
}

void CPictoravellView::MoveSelection(int dx, int dy) {
  CPictoravellDoc* doc = GetImageDocument();
  CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!frame || frame->m_selection.IsEmpty() || (dx == 0 && dy == 0)) return;
  doc->PushUndo("Move Selection");
  frame->m_rcSelection.left += dx;
  frame->m_rcSelection.right += dx;
  frame->m_rcSelection.top += dy;
  frame->m_rcSelection.bottom += dy;
  doc->Modify(true);
  CViewUpdateHint hint(HINT_REPAINT);
  doc->UpdateAllViews(nullptr, &hint);
}

bool CPictoravellView::OnToolKeyDown(int key) {
  const bool arrow = key == WXK_LEFT || key == WXK_RIGHT || key == WXK_UP || key == WXK_DOWN;
  CPictoravellDoc* doc = GetImageDocument();
  CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!m_bNudging) {
    if (!arrow || !frame || frame->m_selection.IsEmpty() || m_nDrag != DRAG_NONE || frame->m_bBusy ||
        doc->IsToolRunning())
      return false;
    m_bNudging = true;
    m_rcNudgeStart = frame->m_rcSelection;
    m_busy = std::make_unique<CFrameBusyGuard>(doc, doc->GetCurrentFrameIndex());
  }
  if (!frame) return true;
  if (arrow) {
    int16_t cw, ch;
    doc->GetCanvasSize(cw, ch);
    Rect& r = frame->m_rcSelection;
    const int left = frame->m_nLeft, top = frame->m_nTop;
    int dx = 0, dy = 0;
    if (key == WXK_LEFT && left + r.right - 1 >= 0) dx = -1;
    if (key == WXK_UP && top + r.bottom - 1 >= 0) dy = -1;
    if (key == WXK_RIGHT && left + r.left + 1 <= cw) dx = 1;
    if (key == WXK_DOWN && top + r.top + 1 <= ch) dy = 1;
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
  // Other keys are taken while nudging; everything repaints.
  BuildFrameComposite(false);
  if (m_window) m_window->Refresh(false);
  return true;
}

bool CPictoravellView::OnToolKeyUp(int key) {
  if (!m_bNudging) return false;
  const bool arrow = key == WXK_LEFT || key == WXK_RIGHT || key == WXK_UP || key == WXK_DOWN;
  if (!arrow) return true;
  m_bNudging = false;
  m_busy.reset();
  CPictoravellDoc* doc = GetImageDocument();
  CAnimFrame* frame = doc ? doc->GetCurrentFrame() : nullptr;
  if (!frame) return true;
  const int dx = frame->m_rcSelection.left - m_rcNudgeStart.left, dy = frame->m_rcSelection.top - m_rcNudgeStart.top;
  frame->m_rcSelection = m_rcNudgeStart;
  MoveSelection(dx, dy);
  if (m_window) m_window->Refresh(false);
  return true;
}

void CPictoravellView::ZoomAtPoint(const wxPoint& point, bool out) {
  if (!m_window) return;
  const VIEW_GEOMETRY g = GetGeometry();
  const Rect image = GetImageRect();
  const Point p{point.x + g.scrollX, point.y + g.scrollY};
  if (p.x < image.left || p.y < image.top || p.x >= image.right || p.y >= image.bottom) return;
  const Point canvas = ClientToImage(Point{point.x, point.y});
  if (canvas.x < 0 || canvas.y < 0 || canvas.x >= g.canvasWidth || canvas.y >= g.canvasHeight) return;
  if (out)
    ZoomOut();
  else
    ZoomIn();
  const Point now = ImageToClient(canvas);
  const wxSize client = m_window->GetClientSize();
  int vw, vh;
  m_window->GetVirtualSize(&vw, &vh);
  const wxPoint at = m_window->GetScrollPixels();
  const int x = std::clamp(at.x + now.x - point.x, 0, std::max(0, vw - client.x));
  const int y = std::clamp(at.y + now.y - point.y, 0, std::max(0, vh - client.y));
  m_window->Scroll(x, y);
  UpdateRulers();
}

// --- the tool cursor ---------------------------------------------------------------

void CPictoravellView::UpdateToolCursor() {
  if (!m_window) return;
  TOOL_CURSOR_STATE state;
  state.tool = GetCurrentTool();
  state.blinkCount = m_nBlinkCount;
  state.scrolling = m_nDrag == DRAG_SCROLL;
  state.ctrlDown = wxGetKeyState(WXK_CONTROL);
  const wxPoint pointer = m_window->ScreenToClient(wxGetMousePosition());
  const VIEW_GEOMETRY g = GetGeometry();
  const Rect image = GetImageRect();
  const Point p{pointer.x + g.scrollX, pointer.y + g.scrollY};
  const wxSize client = m_window->GetClientSize();
  state.overImage = pointer.x >= 0 && pointer.y >= 0 && pointer.x < client.x && pointer.y < client.y &&
                    p.x >= image.left && p.y >= image.top && p.x < image.right && p.y < image.bottom;
  const int cursor = ChooseToolCursor(state);
  if (cursor == m_nCursor) return;
  m_nCursor = cursor;
  // The toolkit shows a window's cursor at once while the pointer is over it.
  m_window->SetCursor(GetViewCursor(cursor));
}

void CPictoravellView::RefuseClick() {
  m_nBlinkCount = 6;
  m_blinkTimer.StartOnce(100);
}

// Each tick shows the cursor of the count and lowers it; the tick that finds
// it at 0 shows the tool's cursor again and schedules no other.
void CPictoravellView::BlinkTick() {
  UpdateToolCursor();
  if (m_nBlinkCount <= 0) return;
  --m_nBlinkCount;
  m_blinkTimer.StartOnce(100);
}

// --- playback ------------------------------------------------------------------------

int CPictoravellView::GetShownFrameIndex() const {
  if (m_bPlaying) return m_play.frame;
  CPictoravellDoc* doc = GetImageDocument();
  return doc ? doc->GetCurrentFrameIndex() : 0;
}

bool CPictoravellView::CanPlay() const {
  CPictoravellDoc* doc = GetImageDocument();
  return doc && !m_bPlaying && doc->CanPlayFrames() && doc->GetFrameCount() > 1 && !doc->IsToolRunning();
}

void CPictoravellView::OnPlay() {
  if (CanPlay()) PlayAnimation();
}

void CPictoravellView::OnStop() { StopAnimation(); }

Rect CPictoravellView::GetPlaybackRect() const {
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc) return Rect{};
  int16_t cw, ch;
  doc->GetCanvasSize(cw, ch);
  const Rect c = GetPlaybackCanvasRect(doc->GetFrames(), m_play.frame, cw, ch, m_bCurrentFrameOnly != 0);
  const Point a = ImageToClient(Point{c.left, c.top});
  const Point b = ImageToClient(Point{c.right, c.bottom});
  Rect r{a.x, a.y, b.x, b.y};
  if (m_nZoom < -1) r = Rect{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
  return r;
}

void CPictoravellView::PlayAnimation() {
  CPictoravellDoc* doc = GetImageDocument();
  if (m_bPlaying || !doc || doc->GetFrameCount() < 1) return;
  EnableMarchingAnts(false);
  m_bPlaying = 1;
  StartPlayback(m_play, doc->GetCurrentFrameIndex(), doc->GetFrameCount(), NowUs());
  m_nPlayFramesShown = 1;
  BuildFrameComposite(true);
  if (m_window) {
    // The first frame shown at once, over everything the view showed.
    const Rect c = GetImageRect();
    const VIEW_GEOMETRY g = GetGeometry();
    m_window->RefreshRect(wxRect(c.left - g.scrollX, c.top - g.scrollY, c.Width(), c.Height()), false);
    m_window->Update();
  }
  m_play.lastTickUs = NowUs();
  doc->SetPlaying(true);
  if (m_frame) m_frame->SetFrameCounter(m_play.frame, m_play.count);
  m_playTimer.StartOnce(NextPlaybackTickMs(m_play, doc->GetFrames(), NowUs()));
}

void CPictoravellView::PlaybackTick() {
  CPictoravellDoc* doc = GetImageDocument();
  if (!m_bPlaying || !doc) return;
  const std::vector<CAnimFrame>& frames = doc->GetFrames();
  switch (::PlaybackTick(m_play, frames, doc->GetLoopCount(), NowUs())) {
    case PLAYBACK_FINISHED:
      StopAnimation();
      return;
    case PLAYBACK_ADVANCED: {
      ++m_nPlayFramesShown;
      if (m_play.frame == 0 && !m_composite.image.IsEmpty()) ClearComposite(m_composite);
      if (m_window) {
        // Only what changed, drawn now, without erasing.
        const Rect r = GetPlaybackRect();
        if (!r.IsEmpty()) {
          m_window->RefreshRect(wxRect(r.left, r.top, r.Width(), r.Height()), false);
          m_window->Update();
        }
      }
      if (m_frame) m_frame->SetFrameCounter(m_play.frame, m_play.count);
      int16_t cw, ch;
      doc->GetCanvasSize(cw, ch);
      if (m_play.frame < m_play.count - 1 &&
          AddFrameToComposite(m_composite, frames[static_cast<size_t>(m_play.frame)], cw, ch))
        m_composite.composedFrame = m_play.frame;
      break;
    }
    case PLAYBACK_WAIT:
      break;
  }
  // The next look is counted from the end of this one.
  if (m_bPlaying) m_playTimer.StartOnce(NextPlaybackTickMs(m_play, frames, NowUs()));
}

void CPictoravellView::StopAnimation() {
  if (!m_bPlaying) return;
  m_playTimer.Stop();
  CPictoravellDoc* doc = GetImageDocument();
  if (doc) doc->SetPlaying(false);
  const int shown = m_play.frame;
  m_bPlaying = 0;
  m_play = PLAYBACK_STATE();
  if (!doc) return;
  // The frame shown becomes the current one; every view is updated (an
  // index that no longer exists is ignored, and this view is repainted all
  // the same).
  if (!doc->SetCurrentFrame(shown)) OnUpdate(nullptr, nullptr);
}
