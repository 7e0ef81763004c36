#pragma once
// The task pane: a bar on the left edge of the main window that stacks a
// fixed set of pages (Folders, Documents, Animation, Print, Effect) from top
// to bottom. Each page has a coloured caption header; a collapsible page
// folds to its header when the header is clicked. Whenever the heights the
// pages want change, the bar re-stacks them in a short animation (twelve
// steps of 36 ms, each moving every page a growing part of the way to its
// target). A splitter strip on the bar's right edge changes its width.
//
// The stacking arithmetic is the window-free LayoutTaskPaneStep; the
// animation counter is CTaskPaneAnimation; both are tested without windows.

#include <wx/timer.h>

#include <vector>

#include "shell/PaintedWindow.h"

// Colour a blended towards b by t (0: a, 1: b), channel by channel, truncated.
wxColour BlendColor(const wxColour& a, const wxColour& b, double t);
// The cosine-ramped gradient of header rows: at row 0, 20% of the way from
// base towards target, falling to base at the last row.
wxColour GradientRowColor(int rows, int row, const wxColour& base, const wxColour& target);
// Sets one pixel (a filled 1 x 1 rectangle, so no antialiasing touches it).
void SetPixelV(wxDC& dc, int x, int y, const wxColour& colour);

// --- layout arithmetic ----------------------------------------------------------

constexpr int kTaskPaneHeaderHeight = 28;
constexpr int kTaskPaneMargin = 10;
constexpr int kTaskPaneDefaultWidth = 220;
constexpr int kTaskPaneMinWidth = 180;
constexpr int kTaskPaneMaxWidth = 400;
constexpr int kTaskPaneSteps = 12;
constexpr int kTaskPaneTimerMs = 36;

// What one page wants, and how high it is now.
struct TASK_PANE_SLOT {
  int wanted = 0;     // 0 when hidden
  int collapsed = 0;  // 0 when hidden
  int current = 0;
};
// Where one page goes in this step.
struct TASK_PANE_PLACE {
  int top = 0;
  int height = 0;
};

// One step of the layout with stepsRemaining left after it (0: the last
// step, which reaches every target). The room beyond the collapsed heights
// is shared in proportion to what each page wants beyond its collapsed
// height, never more than it wants; with negative room every page gets its
// collapsed height and the stack runs past the bottom.
std::vector<TASK_PANE_PLACE> LayoutTaskPaneStep(const std::vector<TASK_PANE_SLOT>& slots, int clientHeight,
                                                int stepsRemaining);
// The target height of each page (what the last step gives).
std::vector<int> TaskPaneTargets(const std::vector<TASK_PANE_SLOT>& slots, int clientHeight);

// The animation counter: a request starts the timer only when none runs and
// always restarts the twelve steps.
class CTaskPaneAnimation {
 public:
  // True when the caller must start the timer.
  bool Request() {
    const bool start = m_steps == 0;
    m_steps = kTaskPaneSteps;
    return start;
  }
  // Counts one step down; returns the steps remaining after it.
  int Step() { return m_steps > 0 ? --m_steps : 0; }
  void Stop() { m_steps = 0; }
  int GetStepsRemaining() const { return m_steps; }
  bool IsRunning() const { return m_steps > 0; }

 private:
  int m_steps = 0;
};

// The splitter: the new width for a drag to x, or the old one when the
// clamped candidate equals it (then the drag point stays too).
int TaskPaneSplitterWidth(int width, int lastX, int x);

// --- pages --------------------------------------------------------------------

// How a page asks its bar to lay out again.
class CTaskPaneLayoutRequest {
 public:
  virtual ~CTaskPaneLayoutRequest() = default;
  virtual void RequestLayout() = 0;
};

class CTaskPanePage : public CPaintedWindow {
 public:
  CTaskPanePage();
  ~CTaskPanePage() override;

  virtual void SetCollapsed(bool collapsed);
  virtual void ShowPage(bool shown);
  virtual void SetCollapsible(bool collapsible);
  // Made by the bar, hidden (height 0) at first.
  virtual bool CreatePage(int x, int y, int width, int height, wxWindow* parent, bool shown);
  int GetHeight() const { return GetSize().y; }
  virtual int GetWantedHeight() const;
  virtual int GetExpandedHeight() const { return GetCollapsedHeight(); }
  virtual int GetCollapsedHeight() const { return m_shown ? kTaskPaneHeaderHeight + 2 : 0; }
  virtual void MoveTo(int top, int height);
  void SetWidth(int width);
  virtual wxString GetCaption() const = 0;
  virtual wxColour GetBodyColor() const;
  virtual void DrawBody(wxDC&) {}
  void Toggle();

  void SetLayoutRequest(CTaskPaneLayoutRequest* request) { m_layout = request; }
  void RequestLayout() {
    if (m_layout) m_layout->RequestLayout();
  }
  bool IsCollapsed() const { return m_collapsed; }
  bool IsPageShown() const { return m_shown; }
  bool IsCollapsible() const { return m_collapsible; }
  int GetHeaderHitWidth() const { return m_hitWidth; }
  static int GetHeaderHeight() { return kTaskPaneHeaderHeight; }
  // The window text shown in the header (the caption unless a page changes it).
  void SetHeaderText(const wxString& text);

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;
  void DrawHeader(wxDC& dc);
  static void DrawChevron(wxDC& dc, int x, int y, const wxColour& colour, bool up);
  // The header click: toggles when the point lies in the header hit area.
  void ClickAt(const wxPoint& point);
  // A press on the page (pages with clickable bodies take it over).
  virtual void PageLeftDown(const wxPoint& point) { ClickAt(point); }

 protected:
  // The child area below the header: the client rectangle deflated by 1 with top + 28.
  wxRect GetChildArea() const;
  wxFont CaptionFont() const;

 private:
  void OnLeftDown(wxMouseEvent& event);

  int m_hitWidth = 0;
  CTaskPaneLayoutRequest* m_layout = nullptr;
  bool m_collapsed = false;
  bool m_shown = false;
  bool m_collapsible = false;
};

class CTaskPaneBar : public CPaintedWindow, private CTaskPaneLayoutRequest {
 public:
  CTaskPaneBar();
  ~CTaskPaneBar() override;
  // False, and nothing added, once the bar's window exists.
  bool AddPage(CTaskPanePage* page);
  bool CreateBar(wxWindow* parent, wxWindowID id);

  CTaskPaneLayoutRequest& GetLayoutRequest() { return *this; }
  void RequestLayout() override;
  // One animation step (the timer's work); public for tests.
  void AnimationStep();
  void LayoutPages();
  // Lays out at once, without the animation.
  void FinishLayout();

  int GetBarWidth() const { return m_width; }
  int GetStepsRemaining() const { return m_animation.GetStepsRemaining(); }
  bool IsTimerRunning() const { return m_timer.IsRunning(); }
  int GetTimerStarts() const { return m_timerStarts; }
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CTaskPanePage* GetPage(int i) const { return m_pages[static_cast<std::size_t>(i)]; }
  bool IsDragging() const { return m_dragging; }
  wxRect GetSplitterRect() const;

  // The splitter, as the mouse drives it (client coordinates).
  void SplitterDown(const wxPoint& point);
  void SplitterMove(const wxPoint& point);
  void SplitterUp();

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;
  static void DrawSplitterGripper(wxDC& dc, const wxRect& strip);

 private:
  void OnTimer(wxTimerEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);

  CTaskPaneAnimation m_animation;
  std::vector<CTaskPanePage*> m_pages;
  bool m_dragging = false;
  wxPoint m_lastDrag;
  int m_width = kTaskPaneDefaultWidth;
  wxTimer m_timer;
  int m_timerStarts = 0;
};
