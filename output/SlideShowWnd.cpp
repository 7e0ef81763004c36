#include "output/SlideShowWnd.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/utils.h>

#include <algorithm>

#include "base/MessageReport.h"
#include "shell/DeviceDrawing.h"

CSlideShowWnd* g_pSlideShowWnd = nullptr;

namespace {

SlideShowStartHook g_startHook;


}  // namespace

SlideShowStartHook SetSlideShowStartHook(SlideShowStartHook hook) {
  SlideShowStartHook previous = std::move(g_startHook);
  g_startHook = std::move(hook);
  return previous;
}

CSlideShowWnd::CSlideShowWnd() : m_model(this), m_timer(this) {
  const wxSize screen = wxGetDisplaySize();
  m_nClientWidth = screen.x;
  m_nClientHeight = screen.y;
  Create(nullptr, wxID_ANY, "Slide Show", wxPoint(0, 0), screen, wxBORDER_NONE | wxSTAY_ON_TOP | wxFRAME_NO_TASKBAR);
  SetBackgroundColour(*wxBLACK);
  // The picture is painted on a child that takes the keyboard (a frame
  // without children gets no key events from the toolkit).
  m_canvas = new wxWindow();
  m_canvas->SetBackgroundStyle(wxBG_STYLE_PAINT);
  m_canvas->Create(this, wxID_ANY, wxPoint(0, 0), screen, wxBORDER_NONE | wxWANTS_CHARS);
  m_canvas->SetCursor(wxCursor(wxCURSOR_ARROW));
  m_canvas->Bind(wxEVT_PAINT, &CSlideShowWnd::OnPaint, this);
  Bind(wxEVT_TIMER, &CSlideShowWnd::OnTimer, this);
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) { OnKeyOrClick(event); });
  m_canvas->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) { OnKeyOrClick(event); });
  for (auto type : {wxEVT_LEFT_DOWN, wxEVT_RIGHT_DOWN, wxEVT_MIDDLE_DOWN})
    m_canvas->Bind(type, [this](wxMouseEvent& event) { OnKeyOrClick(event); });
  g_pSlideShowWnd = this;
  ShowFullScreen(true, wxFULLSCREEN_ALL);
  Raise();
  m_canvas->SetFocus();
}

CSlideShowWnd::~CSlideShowWnd() {
  m_timer.Stop();
  if (m_readAhead) m_readAhead->Stop();
  if (g_pSlideShowWnd == this) g_pSlideShowWnd = nullptr;
}

void CSlideShowWnd::SetFileList(const std::vector<SLIDE_SHOW_ITEM>& items) {
  m_readAhead = std::make_unique<CSlideReadAhead>(items, m_nClientWidth, m_nClientHeight,
                                                  [this] { return PumpMessages(); });
  m_model.SetSource(m_readAhead.get());
}

void CSlideShowWnd::SetFrames(std::vector<CAnimFrame> frames, int32_t width, int32_t height, uint16_t loopCount) {
  m_model.SetFrames(std::move(frames), width, height, loopCount);
}

void CSlideShowWnd::RunModalLoop() {
  if (m_bGone) return;
  wxGUIEventLoop loop;
  m_pLoop = &loop;
  loop.Run();
  m_pLoop = nullptr;
}

void CSlideShowWnd::StartTimer(int id, int milliseconds) {
  m_nTimerId = id;
  // The toolkit's timers need a positive time: 0 means "as soon as possible".
  m_timer.StartOnce(std::max(milliseconds, 1));
}

void CSlideShowWnd::StopTimer() {
  m_timer.Stop();
  m_nTimerId = 0;
}

void CSlideShowWnd::GetClientSize(int32_t* width, int32_t* height) {
  *width = m_nClientWidth;
  *height = m_nClientHeight;
}

void CSlideShowWnd::Invalidate(bool erase) {
  if (m_bGone) return;
  m_canvas->Refresh(erase);
  if (m_observer) m_observer(m_model.GetCurrentFrame());
}

bool CSlideShowWnd::PlayFade(const FADE_PAIR& pair) {
  m_bFading = true;
  PlayCrossFade(pair, this, this, &m_fadeStats);
  m_bFading = false;
  m_fadeBitmap = wxNullBitmap;
  return !m_model.IsClosing();
}

void CSlideShowWnd::DestroyWindow() {
  m_bGone = true;
  StopTimer();
  if (m_readAhead) m_readAhead->Stop();
  Hide();
  if (m_pLoop && m_pLoop->IsRunning()) m_pLoop->Exit();
}

void CSlideShowWnd::Report(int level, const std::string& text) { ReportMessage(level, text); }

bool CSlideShowWnd::PumpMessages() {
  for (int round = 0; round < 1000; ++round) {
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop || !loop->Pending()) {
      if (!wxTheApp || !wxTheApp->HasPendingEvents()) break;
      continue;
    }
    loop->Dispatch();
  }
  return m_model.IsClosing();
}

bool CSlideShowWnd::DrawFrame(const CPlayerFrame& frame) {
  if (m_bGone || frame.IsEmpty()) return false;
  // The image only borrows the frame's rows while the bitmap is made.
  wxImage image(frame.m_nWidth, frame.m_nHeight, const_cast<unsigned char*>(frame.m_rgb.data()), true);
  m_fadeBitmap = wxBitmap(image);
  m_canvas->Refresh(false);
  m_canvas->Update();
  if (m_nTimerFiredMs >= 0) {
    m_nLastGapMs = NowMs() - m_nTimerFiredMs;
    m_nTimerFiredMs = -1;
  }
  return true;
}

void CSlideShowWnd::OnTimer(wxTimerEvent&) {
  const int id = m_nTimerId;
  m_nTimerId = 0;
  if (id == CSlideShowModel::kSlideTimer) m_nTimerFiredMs = NowMs();
  m_model.OnTimer(id);
}

void CSlideShowWnd::OnKeyOrClick(wxEvent&) { m_model.Close(); }

void CSlideShowWnd::OnPaint(wxPaintEvent&) {
  if (!m_bActivated) {
    // Once the window is on the screen it can take the keyboard: ask for it
    // (a request made before the window is mapped goes nowhere).
    m_bActivated = true;
    CallAfter([this] {
      if (!m_bGone) {
        Raise();
        m_canvas->SetFocus();
      }
    });
  }
  wxPaintDC dc(m_canvas);
  DrawPicture(dc);
  if (!m_bFading && m_nTimerFiredMs >= 0) {
    m_nLastGapMs = NowMs() - m_nTimerFiredMs;
    m_nTimerFiredMs = -1;
  }
}

void CSlideShowWnd::DrawPicture(wxDC& dc) {
  const wxSize size = m_canvas->GetClientSize();
  dc.SetBackground(*wxBLACK_BRUSH);
  if (m_bFading) {
    // The fade's frame stays on the screen whatever asks for a repaint.
    if (!m_fadeBitmap.IsOk()) return;
    const int x = (size.x - m_fadeBitmap.GetWidth()) / 2, y = (size.y - m_fadeBitmap.GetHeight()) / 2;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(0, 0, size.x, std::max(y, 0));
    dc.DrawRectangle(0, y + m_fadeBitmap.GetHeight(), size.x, size.y);
    dc.DrawRectangle(0, 0, std::max(x, 0), size.y);
    dc.DrawRectangle(x + m_fadeBitmap.GetWidth(), 0, size.x, size.y);
    dc.DrawBitmap(m_fadeBitmap, x, y, false);
    return;
  }
  dc.Clear();
  const SLIDE_PICTURE& p = m_model.GetPicture();
  if (p.picture.IsEmpty()) return;
  const int left = (size.x - p.displayWidth) / 2, top = (size.y - p.displayHeight) / 2;
  if (p.picture.GetBitsPerPixel() == 24 && !p.picture.HasMask() && p.picture.GetWidth() == p.displayWidth &&
      p.picture.GetHeight() == p.displayHeight && !IsEightBitDisplay()) {
    DrawImageUnscaled(dc, p.picture, left, top);
    ++m_nPicturePaints;
    return;
  }
  const Rect display{left, top, left + p.displayWidth, top + p.displayHeight};
  const Rect target{p.pictureLeft, p.pictureTop, p.pictureLeft + p.picture.GetWidth(),
                    p.pictureTop + p.picture.GetHeight()};
  DrawImage(dc, display, target, p.displayHeight, p.picture, Rect{0, 0, p.picture.GetWidth(), p.picture.GetHeight()},
            BlackBackground);
  ++m_nPicturePaints;
}

void RunSlideShow(const std::vector<std::string>& paths, int seconds, bool transition) {
  std::vector<SLIDE_SHOW_ITEM> items;
  items.reserve(paths.size());
  for (const auto& path : paths) items.push_back({path, 0});
  RunSlideShow(items, seconds, transition);
}

void RunSlideShow(const std::vector<SLIDE_SHOW_ITEM>& items, int seconds, bool transition) {
  if (items.empty()) return;
  wxWindow* focus = wxWindow::FindFocus();
  wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
  auto* wnd = new CSlideShowWnd();
  {
    wxWindowDisabler disabler(wnd);
    wnd->SetFileList(items);
    wnd->SetInterval(std::max(seconds, 0));
    wnd->SetTransition(transition);
    if (g_startHook) g_startHook(wnd);
    wnd->NextSlide();
    wnd->RunModalLoop();
  }
  delete wnd;
  // Back to the window the show covered.
  if (top && top->IsShown()) top->Raise();
  if (focus) focus->SetFocus();
}

void PlayAnimationFullScreen(const CAnimFrame* frames, int count, int width, int height, uint16_t loopCount) {
  if (!frames || count <= 0) return;
  wxWindow* focus = wxWindow::FindFocus();
  wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
  auto* wnd = new CSlideShowWnd();
  {
    wxWindowDisabler disabler(wnd);
    wnd->SetFrames(std::vector<CAnimFrame>(frames, frames + count), width, height, loopCount);
    if (g_startHook) g_startHook(wnd);
    wnd->RunModalLoop();
    // The frames go back to the caller before the window goes.
    wnd->SetFrames({}, 0, 0, kLoopForever);
  }
  delete wnd;
  if (top && top->IsShown()) top->Raise();
  if (focus) focus->SetFocus();
}
