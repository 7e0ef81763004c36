#include "editor/PictoravellView.h"

#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "editor/ChildFrame.h"
#include "editor/PictoravellDoc.h"
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
  if (m_view) m_view->UpdatePixelReadout(event.GetPosition());
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
};

}  // namespace

CPictoravellView::CPictoravellView() {
  BindCommandTable<CPictoravellView>(*this, *this, kViewCommands);
}

CPictoravellView::~CPictoravellView() {
  if (m_window) m_window->DetachView();
}

CPictoravellDoc* CPictoravellView::GetImageDocument() const { return dynamic_cast<CPictoravellDoc*>(GetDocument()); }

void CPictoravellView::ForgetWindows() {
  if (m_window) m_window->DetachView();
  m_window = nullptr;
  m_frame = nullptr;
  m_caption = nullptr;
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
  m_frame->SetImageInfo(w, h, mode, m_nZoom, doc->GetCurrentFrameIndex(), doc->GetFrameCount());
}

void CPictoravellView::BuildFrameComposite(bool playing) {
  m_composite = FRAME_COMPOSITE();
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc) return;
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  m_composite = ::BuildFrameComposite(doc->GetFrames(), w, h, doc->GetCurrentFrameIndex(), m_bCurrentFrameOnly != 0,
                                      playing, 0);
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
}

void CPictoravellView::DrawImageLayers(wxDC& dc, const Rect& image, const Rect& clip) {
  CPictoravellDoc* doc = GetImageDocument();
  const CAnimFrame* frame = doc->GetCurrentFrame();
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
  CLayerStack stack(cw, ch);
  AddFrameLayers(stack, m_composite, frame, doc->GetCurrentFrameIndex());
  DrawLayerStack(dc, image, kViewBandHeight, stack);
  dc.DestroyClippingRegion();
}

bool CPictoravellView::GetShownPixel(int x, int y, uint8_t& alpha, uint8_t& red, uint8_t& green, uint8_t& blue) {
  CPictoravellDoc* doc = GetImageDocument();
  if (!doc || doc->GetFrameCount() == 0) return false;
  int16_t cw, ch;
  doc->GetCanvasSize(cw, ch);
  if (x < 0 || y < 0 || x >= cw || y >= ch) return false;
  CLayerStack stack(cw, ch);
  AddFrameLayers(stack, m_composite, doc->GetCurrentFrame(), doc->GetCurrentFrameIndex());
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
