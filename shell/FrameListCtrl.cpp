#include "shell/FrameListCtrl.h"

#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>
#include <cstdio>

#include "imaging/LayerStack.h"
#include "shell/DeviceDrawing.h"
#include "shell/TaskPane.h"
#include "shell/UiTheme.h"

namespace {

// Below this the toolkit cannot fit a scroll bar's parts: the list then scrolls by wheel and keys only.
constexpr int kMinScrollBarHeight = 48;
constexpr int kMinScrollBarWidth = 16;

constexpr int kAutoScrollTimerId = 2;
constexpr int kAutoScrollMs = 80;

// Glyph patterns, one string per row.
constexpr const char* kTriangleExpanded[11] = {"...........", "...........", "...........", "XXXXXXXXXXX",
                                               ".XoooooooX.", "..XoooooX..", "...XoooX...", "....XoX....",
                                               ".....X.....", "...........", "..........."};
constexpr const char* kTriangleCollapsed[11] = {"...X.......", "...XX......", "...XoX.....", "...XooX....",
                                                "...XoooX...", "...XooooX..", "...XoooX...", "...XooX....",
                                                "...XoX.....", "...XX......", "...X......."};
constexpr const char* kClock[10] = {"...XXX...", "..X...X..", ".X..X..X.", "X...X...X", "X...X...X",
                                    "X...XXX.X", "X.......X", ".X.....X.", "..X...X..", "...XXX..."};
// Codes: . 0, X 1, a 2, b 3.
constexpr const char* kPatternA[11] = {"....X....", "a.XXXXX.a", "ab.....ba", "XbbXXXbbX", ".Xaa.aaX.", ".X.bab.X.",
                                       ".X.bab.X.", ".Xab.baX.", ".baX.Xab.", "ab.....ba", "a.XXXXX.a"};
constexpr const char* kPatternB[10] = {"XXXXXXXXXX", "X....aaaaX", "X....aaaaX", "X....aaaaX", "X....aaaaX",
                                       "Xaaaa....X", "Xaaaa....X", "Xaaaa....X", "Xaaaa....X", "XXXXXXXXXX"};

struct Palette {
  // Colour of each code character; an invalid colour leaves the pixel untouched.
  wxColour dot, x, a, b, o;
  wxColour For(char c) const {
    switch (c) {
      case 'X': return x;
      case 'a': return a;
      case 'b': return b;
      case 'o': return o;
      default: return dot;
    }
  }
};

std::string Key(const wxColour& c) { return c.IsOk() ? std::to_string(c.GetRGB()) : "-"; }

// Draws a pattern through a cached bitmap with alpha (untouched pixels transparent).
void DrawPattern(wxDC& dc, const char* const* rows, int w, int h, int x, int y, const Palette& p) {
  static std::map<std::string, wxBitmap> cache;
  const std::string key = std::to_string(reinterpret_cast<std::uintptr_t>(rows)) + Key(p.dot) + Key(p.x) +
                          Key(p.a) + Key(p.b) + Key(p.o);
  auto it = cache.find(key);
  if (it == cache.end()) {
    wxImage image(w, h);
    image.InitAlpha();
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < w; ++c) {
        const wxColour colour = p.For(rows[r][c]);
        if (colour.IsOk()) {
          image.SetRGB(c, r, colour.Red(), colour.Green(), colour.Blue());
          image.SetAlpha(c, r, 255);
        } else {
          image.SetAlpha(c, r, 0);
        }
      }
    if (cache.size() > 256) cache.clear();
    it = cache.emplace(key, wxBitmap(image, 32)).first;
  }
  dc.DrawBitmap(it->second, x, y, true);
}

// A dotted line: every second pixel from x0 (inclusive) to x1 (exclusive).
void DrawDottedLine(wxDC& dc, int x0, int x1, int y, const wxColour& colour) {
  if (x1 <= x0) return;
  static std::map<std::string, wxBitmap> cache;
  const std::string key = std::to_string(x1 - x0) + Key(colour);
  auto it = cache.find(key);
  if (it == cache.end()) {
    wxImage image(x1 - x0, 1);
    image.InitAlpha();
    for (int i = 0; i < x1 - x0; ++i) {
      image.SetRGB(i, 0, colour.Red(), colour.Green(), colour.Blue());
      image.SetAlpha(i, 0, i % 2 == 0 ? 255 : 0);
    }
    if (cache.size() > 64) cache.clear();
    it = cache.emplace(key, wxBitmap(image, 32)).first;
  }
  dc.DrawBitmap(it->second, x0, y, true);
}

void FillRect(wxDC& dc, const wxRect& r, const wxColour& colour) {
  if (r.width <= 0 || r.height <= 0) return;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(colour));
  dc.DrawRectangle(r);
}

}  // namespace

void CFrameListCtrl::DrawExpandTriangle(wxDC& dc, int x, int y, bool expanded, const wxColour& colour,
                                        bool highlighted) {
  Palette p;
  p.x = colour;
  p.o = highlighted ? wxColour(192, 192, 255) : wxColour(128, 128, 255);
  DrawPattern(dc, expanded ? kTriangleExpanded : kTriangleCollapsed, 11, 11, x, y, p);
}

void CFrameListCtrl::DrawClockGlyph(wxDC& dc, int x, int y, const wxColour& colour) {
  Palette p;
  p.x = colour;
  DrawPattern(dc, kClock, 9, 10, x, y, p);
}

void CFrameListCtrl::DrawDisposalGlyph(wxDC& dc, int type, int x, int y, const wxColour& colour) {
  Palette p;
  switch (type & 3) {
    case 0:
      for (int i = 0; i < 5; ++i) SetPixelV(dc, x + 2 * i, y + 5, colour);
      return;
    case 1:
      p.x = colour;
      p.a = p.b = wxColour(255, 0, 0);
      DrawPattern(dc, kPatternA, 9, 11, x, y, p);
      return;
    case 2:
      p.x = colour;
      p.dot = wxColour(192, 192, 255);
      p.a = *wxWHITE;
      DrawPattern(dc, kPatternB, 10, 10, x, y, p);
      return;
    default:
      p.x = p.b = colour;
      DrawPattern(dc, kPatternA, 9, 11, x, y, p);
      return;
  }
}

CFrameListCtrl::CFrameListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : m_autoScroll(this, kAutoScrollTimerId) {
  Create(parent, id, pos, size, wxWANTS_CHARS | wxCLIP_CHILDREN, "framelist");
  Bind(wxEVT_LEFT_DOWN, &CFrameListCtrl::OnLeftDown, this);
  Bind(wxEVT_MOTION, &CFrameListCtrl::OnMotion, this);
  Bind(wxEVT_LEFT_UP, &CFrameListCtrl::OnLeftUp, this);
  Bind(wxEVT_LEFT_DCLICK, &CFrameListCtrl::OnDoubleClick, this);
  Bind(wxEVT_KEY_DOWN, &CFrameListCtrl::OnKeyDown, this);
  Bind(wxEVT_MOUSEWHEEL, &CFrameListCtrl::OnWheel, this);
  Bind(wxEVT_SIZE, &CFrameListCtrl::OnSize, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CFrameListCtrl::OnCaptureLost, this);
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
    if (!AutoScrollStep()) m_autoScroll.Stop();
  }, kAutoScrollTimerId);
}

CFrameListCtrl::~CFrameListCtrl() { m_autoScroll.Stop(); }

int CFrameListCtrl::MeasureTextHeight() const {
  const wxFont font = ThemeFont();
  int w = 0, h = 0;
  GetTextExtent("Image Selection size: 1234567890x", &w, &h, nullptr, nullptr, &font);
  return h;
}

void CFrameListCtrl::SetFrames(int canvasWidth, int canvasHeight, std::vector<CAnimFrame>* frames) {
  m_autoScroll.Stop();
  if (HasCapture()) ReleaseMouse();
  m_model.SetFrames(canvasWidth, canvasHeight, frames, MeasureTextHeight());
  UpdateScrollBar();
  Refresh();
  if (m_onHeight) m_onHeight();
}

void CFrameListCtrl::FramesChanged() {
  UpdateScrollBar();
  Refresh();
  if (m_onHeight) m_onHeight();
}

wxColour CFrameListCtrl::GetPaintBackground() const { return ThemeColour(wxSYS_COLOUR_WINDOW); }

wxRect CFrameListCtrl::GetListRect() const {
  wxRect r(GetClientSize());
  if (IsScrollBarShown()) r.width -= wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
  if (r.width < 0) r.width = 0;
  return r;
}

void CFrameListCtrl::UpdateScrollBar() {
  const wxSize client = GetClientSize();
  const int barWidth = std::max(1, wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this));
  const int content = GetContentHeight();
  if (!m_scrollBar) {
    m_scrollBar = new wxScrollBar;
    m_scrollBar->Hide();  // made hidden: the toolkit must not fit it into a tiny list
    m_scrollBar->Create(this, 1, wxPoint(0, 0), wxSize(barWidth, 100), wxSB_VERTICAL);
    m_scrollBar->Bind(wxEVT_SCROLL_TOP, &CFrameListCtrl::OnScroll, this);
    m_scrollBar->Bind(wxEVT_SCROLL_BOTTOM, &CFrameListCtrl::OnScroll, this);
    m_scrollBar->Bind(wxEVT_SCROLL_LINEUP, &CFrameListCtrl::OnScroll, this);
    m_scrollBar->Bind(wxEVT_SCROLL_LINEDOWN, &CFrameListCtrl::OnScroll, this);
    m_scrollBar->Bind(wxEVT_SCROLL_PAGEUP, &CFrameListCtrl::OnScroll, this);
    m_scrollBar->Bind(wxEVT_SCROLL_PAGEDOWN, &CFrameListCtrl::OnScroll, this);
    m_scrollBar->Bind(wxEVT_SCROLL_THUMBTRACK, &CFrameListCtrl::OnScroll, this);
    m_scrollBar->Bind(wxEVT_SCROLL_THUMBRELEASE, &CFrameListCtrl::OnScroll, this);
  }
  if (client.y >= content || client.y < kMinScrollBarHeight || client.x < 2 * kMinScrollBarWidth) {
    m_scroll = 0;
    if (m_scrollBar->IsShown()) m_scrollBar->Hide();
    return;
  }
  m_scroll = std::clamp(m_scroll, 0, content - client.y);
  m_scrollBar->SetSize(client.x - barWidth, 0, barWidth, client.y);
  m_scrollBar->SetScrollbar(m_scroll, client.y, content, client.y);
  if (!m_scrollBar->IsShown()) m_scrollBar->Show();
}

void CFrameListCtrl::ScrollTo(int position) {
  const int maximum = GetContentHeight() - GetClientSize().y;
  const int pos = maximum < 0 ? 0 : std::clamp(position, 0, maximum);
  if (pos == m_scroll) return;
  m_scroll = pos;
  if (m_scrollBar && m_scrollBar->IsShown()) m_scrollBar->SetThumbPosition(pos);
  RefreshRect(GetListRect(), false);
}

void CFrameListCtrl::PageDown() {
  const int bottom = m_scroll + GetClientSize().y;
  for (int i = m_model.GetFrameCount() - 1; i >= 0; --i) {
    const int top = m_model.RowTop(i);
    if (top < bottom) {
      if (top > m_scroll) ScrollTo(top);
      return;
    }
  }
}

void CFrameListCtrl::PageUp() {
  int top = 0;
  for (int i = 0; i < m_model.GetFrameCount(); ++i) {
    const int bottom = top + m_model.RowHeight(i);
    if (bottom > m_scroll) {
      const int pos = bottom - GetClientSize().y;
      ScrollTo(pos < m_scroll ? pos : m_scroll - GetClientSize().y);
      return;
    }
    top = bottom;
  }
}

void CFrameListCtrl::EnsureVisible(int row) {
  if (row < 0 || row >= m_model.GetFrameCount()) return;
  const int top = m_model.RowTop(row), bottom = top + m_model.RowHeight(row), height = GetClientSize().y;
  if (top < m_scroll)
    ScrollTo(top);
  else if (bottom > m_scroll + height)
    ScrollTo(std::min(top, bottom - height));
}

int CFrameListCtrl::HitTestInsertion(int clientY) const {
  const int y = std::clamp(clientY, 0, std::max(0, GetClientSize().y - 1));
  return m_model.HitTestInsertion(y + m_scroll);
}

int CFrameListCtrl::GetInsertionMarkY() const {
  if (!m_model.IsDragging()) return -1;
  const int k = m_model.GetPressedRow();
  if (k < 0 || k > m_model.GetFrameCount()) return -1;
  return m_model.RowTop(k);
}

void CFrameListCtrl::RefreshMark(int index) {
  if (index < 0 || index > m_model.GetFrameCount()) return;
  const int y = m_model.RowTop(index) - m_scroll;
  const wxRect list = GetListRect();
  RefreshRect(wxRect(0, y - 2, list.width, 4), false);
}

void CFrameListCtrl::Apply(const FRAME_LIST_RESULT& result) {
  if (result.expandChanged) {
    UpdateScrollBar();
    Refresh();
    if (m_onHeight) m_onHeight();
  }
  if (result.ensureVisible >= 0) EnsureVisible(result.ensureVisible);
  if (result.selectionChanged) {
    Refresh();
    if (m_onSelection) m_onSelection(GetSelectedCount());
  }
  if (result.repaintTriangle) Refresh(false);
  if (result.moved && m_onMove) m_onMove(result.insertAt);
  if (result.activated >= 0 && m_onActivate) m_onActivate(result.activated);
}

void CFrameListCtrl::MouseDown(const wxPoint& point, bool shift, bool ctrl) {
  if (m_model.GetFrameCount() == 0 || !GetListRect().Contains(point)) return;
  m_lastPoint = point;
  const FRAME_LIST_RESULT result = m_model.Press(point.x, point.y + m_scroll, shift, ctrl);
  if (m_model.GetMouseState() == CFrameListModel::MOUSE_TRIANGLE && !HasCapture()) CaptureMouse();
  Apply(result);
}

void CFrameListCtrl::MouseMove(const wxPoint& point) {
  m_lastPoint = point;
  const int state = m_model.GetMouseState();
  if (state == CFrameListModel::MOUSE_IDLE) return;
  const int oldMark = m_model.IsDragging() ? m_model.GetPressedRow() : -1;
  const FRAME_LIST_RESULT result = m_model.Move(point.x, point.y + m_scroll, HitTestInsertion(point.y));
  if (state == CFrameListModel::MOUSE_ROW) {
    if (!HasCapture()) {
      SetCursor(wxCursor(wxCURSOR_HAND));
      CaptureMouse();
    }
    if (result.markChanged) {
      RefreshMark(oldMark);
      RefreshMark(m_model.GetPressedRow());
    }
    const int height = GetClientSize().y;
    if ((point.y >= height && m_scroll + height < GetContentHeight()) || (point.y < 0 && m_scroll > 0)) {
      AutoScrollStep();
      StartAutoScroll();
    }
  }
  Apply(result);
}

void CFrameListCtrl::StartAutoScroll() {
  if (!m_autoScroll.IsRunning()) m_autoScroll.Start(kAutoScrollMs);
}

bool CFrameListCtrl::AutoScrollStep() {
  if (!m_model.IsDragging()) return false;
  const int height = GetClientSize().y;
  const int before = m_scroll;
  if (m_lastPoint.y >= height && m_scroll + height < GetContentHeight())
    PageDown();
  else if (m_lastPoint.y < 0 && m_scroll > 0)
    PageUp();
  else
    return false;
  const int oldMark = m_model.GetPressedRow();
  m_model.Move(m_lastPoint.x, m_lastPoint.y + m_scroll, HitTestInsertion(m_lastPoint.y));
  RefreshMark(oldMark);
  RefreshMark(m_model.GetPressedRow());
  return m_scroll != before;
}

void CFrameListCtrl::MouseUp(const wxPoint& point, bool shift, bool ctrl) {
  m_autoScroll.Stop();
  const bool wasDragging = m_model.IsDragging();
  const int oldMark = m_model.GetPressedRow();
  const FRAME_LIST_RESULT result = m_model.Release(point.x, point.y + m_scroll, shift, ctrl);
  if (HasCapture()) ReleaseMouse();
  SetCursor(wxNullCursor);
  if (wasDragging) RefreshMark(oldMark);
  Apply(result);
}

void CFrameListCtrl::MouseDoubleClick(const wxPoint& point) {
  if (!GetListRect().Contains(point)) return;
  Apply(m_model.DoubleClick(point.y + m_scroll));
}

bool CFrameListCtrl::KeyDown(int keyCode, bool shift) {
  const int visibleRows = std::max(1, GetClientSize().y / std::max(1, m_model.GetRowHeight()));
  switch (keyCode) {
    case WXK_UP: Apply(m_model.Key(-1, shift)); return true;
    case WXK_DOWN: Apply(m_model.Key(1, shift)); return true;
    case WXK_PAGEUP: Apply(m_model.Key(-visibleRows, shift)); return true;
    case WXK_PAGEDOWN: Apply(m_model.Key(visibleRows, shift)); return true;
    case WXK_HOME: Apply(m_model.Key(-m_model.GetFrameCount(), shift)); return true;
    case WXK_END: Apply(m_model.Key(m_model.GetFrameCount(), shift)); return true;
    case WXK_LEFT: Apply(m_model.Expand(false)); return true;
    case WXK_RIGHT: Apply(m_model.Expand(true)); return true;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER: Apply(m_model.Activate()); return true;
    default: return false;
  }
}

void CFrameListCtrl::OnLeftDown(wxMouseEvent& event) {
  SetFocus();
  MouseDown(event.GetPosition(), event.ShiftDown(), event.ControlDown());
}

void CFrameListCtrl::OnMotion(wxMouseEvent& event) {
  if (event.LeftIsDown() || m_model.GetMouseState() != CFrameListModel::MOUSE_IDLE) MouseMove(event.GetPosition());
}

void CFrameListCtrl::OnLeftUp(wxMouseEvent& event) {
  if (m_model.GetMouseState() != CFrameListModel::MOUSE_IDLE)
    MouseUp(event.GetPosition(), event.ShiftDown(), event.ControlDown());
}

void CFrameListCtrl::OnDoubleClick(wxMouseEvent& event) {
  // The toolkit may deliver the second press of a double-click only as this
  // event: it is a press as well, so a drag can start from it.
  if (m_model.GetMouseState() == CFrameListModel::MOUSE_IDLE)
    MouseDown(event.GetPosition(), event.ShiftDown(), event.ControlDown());
  MouseDoubleClick(event.GetPosition());
}

void CFrameListCtrl::OnKeyDown(wxKeyEvent& event) {
  if (!KeyDown(event.GetKeyCode(), event.ShiftDown())) event.Skip();
}

void CFrameListCtrl::OnWheel(wxMouseEvent& event) {
  const int lines = event.GetLinesPerAction() > 0 ? event.GetLinesPerAction() : 3;
  const int notches = event.GetWheelRotation() / std::max(1, event.GetWheelDelta());
  ScrollTo(m_scroll - notches * lines * m_model.GetRowHeight());
}

void CFrameListCtrl::OnSize(wxSizeEvent& event) {
  event.Skip();
  UpdateScrollBar();
  Refresh();
}

void CFrameListCtrl::OnScroll(wxScrollEvent& event) {
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_SCROLL_LINEUP)
    ScrollTo(m_scroll - 1);
  else if (type == wxEVT_SCROLL_LINEDOWN)
    ScrollTo(m_scroll + 1);
  else if (type == wxEVT_SCROLL_PAGEUP)
    PageUp();
  else if (type == wxEVT_SCROLL_PAGEDOWN)
    PageDown();
  else if (type == wxEVT_SCROLL_TOP)
    ScrollTo(0);
  else if (type == wxEVT_SCROLL_BOTTOM)
    ScrollTo(GetContentHeight());
  else
    ScrollTo(event.GetPosition());
}

void CFrameListCtrl::OnCaptureLost(wxMouseCaptureLostEvent&) {
  m_autoScroll.Stop();
  m_model.Cancel();
  Refresh();
}

void CFrameListCtrl::Render(wxDC& dc) {
  if (m_model.GetFrameCount() == 0) return;
  const wxRect list = GetListRect();
  wxRect clip;
  dc.GetClippingBox(clip);
  if (clip.IsEmpty()) clip = list;
  dc.SetFont(ThemeFont());
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  int y = -m_scroll;
  for (int i = 0; i < m_model.GetFrameCount(); ++i) {
    const int h = m_model.RowHeight(i);
    if (y > clip.GetBottom()) break;
    if (y + h > clip.y) DrawRow(dc, i, y, list.width);
    y += h;
  }
  // The insertion mark while dragging: three pixel rows over the list's width.
  const int mark = GetInsertionMarkY();
  if (mark >= 0) FillRect(dc, wxRect(0, mark - m_scroll - 2, list.width, 3), ThemeColour(wxSYS_COLOUR_WINDOWTEXT));
}

void CFrameListCtrl::DrawRow(wxDC& dc, int index, int y, int width) {
  const CAnimFrame& frame = m_model.Frame(index);
  const int rowHeight = m_model.GetRowHeight(), extra = m_model.GetExtraHeight();
  const bool selected = frame.m_bSelected != 0, expanded = frame.m_bExpanded != 0;
  const wxColour background = ThemeColour(selected ? wxSYS_COLOUR_HIGHLIGHT : wxSYS_COLOUR_WINDOW);
  const wxColour text = ThemeColour(selected ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_WINDOWTEXT);
  const int h = rowHeight + (expanded ? extra : 0);
  FillRect(dc, wxRect(0, y, width, h), background);
  const bool hot = m_model.GetMouseState() == CFrameListModel::MOUSE_TRIANGLE &&
                   m_model.GetPressedRow() == index && m_model.IsTriangleHot();
  DrawExpandTriangle(dc, 3, y + 3, expanded, text, hot);
  dc.SetTextForeground(text);
  const wxString number = wxString::Format("%d", index + 1);
  const int th = dc.GetTextExtent(number).y;
  dc.DrawText(number, 24, y + (rowHeight - th) / 2);
  const int r = width;
  if (m_model.GetFrameCount() > 1) {
    DrawDisposalGlyph(dc, (frame.m_nFlags >> 2) & 3, r - 16, y + (rowHeight - 11) / 2, text);
    DrawClockGlyph(dc, r - 100, y + (rowHeight - 10) / 2, text);
    const wxString delay = wxString::Format("%d.%.2ds", frame.m_nDelay / 100, frame.m_nDelay % 100);
    dc.DrawText(delay, r - 80, y + (rowHeight - dc.GetTextExtent(delay).y) / 2);
  }
  if (expanded) {
    DrawDottedLine(dc, 16, r - 16, y + rowHeight - 1, text);
    const int tw = m_model.GetThumbWidth(), tth = m_model.GetThumbHeight();
    const wxRect thumb(12, y + rowHeight + (extra - tth) / 2, tw, tth);
    if (tw > 0 && tth > 0) {
      FillRect(dc, wxRect(thumb.x - 1, thumb.y - 1, tw + 2, 1), text);
      FillRect(dc, wxRect(thumb.x - 1, thumb.y + tth, tw + 2, 1), text);
      FillRect(dc, wxRect(thumb.x - 1, thumb.y, 1, tth), text);
      FillRect(dc, wxRect(thumb.x + tw, thumb.y, 1, tth), text);
      CLayerStack stack(m_model.GetCanvasWidth(), m_model.GetCanvasHeight());
      if (!frame.m_image.IsEmpty()) stack.AddImage(frame.m_image, frame.m_nLeft, frame.m_nTop);
      if (!frame.m_selection.IsEmpty())
        stack.AddImage(frame.m_selection, frame.m_rcSelection.left + frame.m_nLeft,
                       frame.m_rcSelection.top + frame.m_nTop);
      if (stack.GetCount() > 0) {
        Rect target;
        target.left = thumb.x;
        target.top = thumb.y;
        target.right = thumb.x + tw;
        target.bottom = thumb.y + tth;
        DrawLayerStack(dc, target, tth, stack);
      }
    }
    const wxString line1 = frame.m_image.IsEmpty()
                               ? wxString("Image:  n/a")
                               : wxString::Format("Image:  %d x %d", frame.m_image.GetWidth(), frame.m_image.GetHeight());
    const wxString line2 = frame.m_selection.IsEmpty() ? wxString("Selection:  n/a")
                                                       : wxString::Format("Selection:  %d x %d",
                                                                          frame.m_selection.GetWidth(),
                                                                          frame.m_selection.GetHeight());
    const int h1 = dc.GetTextExtent(line1).y, h2 = dc.GetTextExtent(line2).y;
    const int j = (extra - h1 - h2 - 2) / 2;
    const int left = 12 + std::max(tw, 0) + 12, avail = std::max(0, r - 2 - left);
    dc.DrawText(wxControl::Ellipsize(line1, dc, wxELLIPSIZE_END, avail), left, y + rowHeight + j);
    dc.DrawText(wxControl::Ellipsize(line2, dc, wxELLIPSIZE_END, avail), left, y + rowHeight + h1 + j + 3);
  }
  if (index < m_model.GetFrameCount() - 1) DrawDottedLine(dc, 0, width, y + h - 1, text);
}
