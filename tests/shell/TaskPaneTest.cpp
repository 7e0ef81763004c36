// The task pane: the stacking arithmetic and the animation counter without
// windows, then a bar with pages under the display (animated collapse and
// expand, the timer stopping, the splitter) and the header's pixels.

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <vector>

#include "shell/TaskPane.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

using paint_testing::PixelAt;
using testing_support::PumpUntil;

std::vector<int> Heights(const std::vector<TASK_PANE_PLACE>& places) {
  std::vector<int> h;
  for (const auto& p : places) h.push_back(p.height);
  return h;
}
std::vector<int> Tops(const std::vector<TASK_PANE_PLACE>& places) {
  std::vector<int> t;
  for (const auto& p : places) t.push_back(p.top);
  return t;
}

struct LayoutCase {
  const char* name;
  std::vector<TASK_PANE_SLOT> slots;
  int clientHeight;
  std::vector<int> targets;
  std::vector<int> tops;  // of the last step
};

TEST(TaskPaneLayout, TargetsAndTopsTable) {
  const LayoutCase cases[] = {
      {"all hidden", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 500, {0, 0, 0}, {10, 10, 10}},
      {"hidden pages take no gap", {{0, 0, 0}, {100, 30, 0}, {0, 0, 0}}, 500, {0, 100, 0}, {10, 10, 120}},
      {"collapsed keeps its height whatever the room", {{30, 30, 0}, {62, 62, 0}}, 20, {30, 62}, {10, 50}},
      {"room enough: every page its wanted height", {{200, 30, 0}, {130, 30, 0}}, 1000, {200, 130}, {10, 220}},
      // R = 300 - 10 - 40 - 40 = 210, E = 170 + 100: 30 + 210*170/270, 30 + 210*100/270.
      {"proportional share", {{200, 30, 0}, {130, 30, 0}}, 300, {162, 107}, {10, 182}},
      // R = 60 - 10 - 80 = -30: every shown page its collapsed height, past the bottom.
      {"negative room", {{100, 30, 0}, {100, 30, 0}}, 60, {30, 30}, {10, 50}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TaskPaneTargets(c.slots, c.clientHeight), c.targets);
    const auto last = LayoutTaskPaneStep(c.slots, c.clientHeight, 0);
    EXPECT_EQ(Heights(last), c.targets);
    EXPECT_EQ(Tops(last), c.tops);
  }
}

TEST(TaskPaneLayout, EachStepMovesAGrowingPartOfTheRest) {
  // From 0 towards 100: step = ((12 - s) * |delta| + 11) / 12.
  std::vector<TASK_PANE_SLOT> slots = {{100, 30, 0}};
  std::vector<int> seen;
  for (int s = 11; s >= 0; --s) {
    const auto places = LayoutTaskPaneStep(slots, 1000, s);
    slots[0].current = places[0].height;
    seen.push_back(places[0].height);
  }
  EXPECT_EQ(seen.front(), 9);  // (100 + 11) / 12
  EXPECT_EQ(seen.back(), 100);
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i], seen[i - 1]);
  // Shrinking works the same way down.
  slots = {{30, 30, 200}};
  EXPECT_EQ(LayoutTaskPaneStep(slots, 1000, 11)[0].height, 200 - (170 + 11) / 12);
}

TEST(TaskPaneLayout, ARestartDuringTheAnimationStartsNoSecondTimer) {
  CTaskPaneAnimation animation;
  EXPECT_TRUE(animation.Request());
  EXPECT_EQ(animation.GetStepsRemaining(), 12);
  for (int i = 0; i < 5; ++i) animation.Step();
  EXPECT_EQ(animation.GetStepsRemaining(), 7);
  EXPECT_FALSE(animation.Request());  // the timer runs already
  EXPECT_EQ(animation.GetStepsRemaining(), 12);
  for (int i = 0; i < 12; ++i) animation.Step();
  EXPECT_FALSE(animation.IsRunning());
  EXPECT_TRUE(animation.Request());
}

TEST(TaskPaneLayout, SplitterWidthIsClamped) {
  EXPECT_EQ(TaskPaneSplitterWidth(220, 100, 130), 250);
  EXPECT_EQ(TaskPaneSplitterWidth(220, 100, 900), 400);
  EXPECT_EQ(TaskPaneSplitterWidth(220, 100, -500), 180);
  EXPECT_EQ(TaskPaneSplitterWidth(400, 0, 10), 400);
}

TEST(TaskPaneColours, BlendAndGradientRows) {
  EXPECT_EQ(BlendColor(wxColour(0, 0, 0), wxColour(255, 255, 255), 0.0), wxColour(0, 0, 0));
  EXPECT_EQ(BlendColor(wxColour(0, 0, 0), wxColour(255, 255, 255), 1.0), wxColour(255, 255, 255));
  EXPECT_EQ(BlendColor(wxColour(0, 100, 200), wxColour(255, 0, 100), 0.5), wxColour(127, 50, 150));
  // Row 0 lies 20% of the way to the target; the last row is the base.
  EXPECT_EQ(GradientRowColor(28, 0, wxColour(0, 0, 0), wxColour(255, 255, 255)), wxColour(51, 51, 51));
  EXPECT_EQ(GradientRowColor(28, 28, wxColour(0, 120, 215), wxColour(255, 255, 255)), wxColour(0, 120, 215));
  EXPECT_EQ(GradientRowColor(0, 0, wxColour(9, 9, 9), wxColour(255, 255, 255)), wxColour(9, 9, 9));
}

// A page whose body wants a fixed height.
class TestPage : public CTaskPanePage {
 public:
  TestPage(const wxString& caption, int body) : m_caption(caption), m_body(body) {}
  wxString GetCaption() const override { return m_caption; }
  int GetExpandedHeight() const override { return IsPageShown() ? 28 + m_body + 2 : 0; }

 private:
  wxString m_caption;
  int m_body;
};

struct PaneHost {
  PaneHost() {
    frame = new wxFrame(nullptr, wxID_ANY, "pane", wxPoint(0, 0), wxSize(400, 420));
    bar = new CTaskPaneBar;
    pages = {new TestPage("First", 100), new TestPage("Second", 60), new TestPage("Third", 40)};
    for (auto* p : pages) EXPECT_TRUE(bar->AddPage(p));
    EXPECT_TRUE(bar->CreateBar(frame, wxID_ANY));
    bar->SetSize(0, 0, 220, 400);
    frame->Show();
    PumpUntil([this] { return frame->IsShownOnScreen(); });
    PumpUntil([this] { return !bar->IsTimerRunning(); });
  }
  ~PaneHost() { frame->Destroy(); }
  // Runs the animation to its end, counting its steps.
  int Settle() {
    int steps = 0;
    while (bar->IsTimerRunning() && steps < 50) {
      bar->AnimationStep();
      ++steps;
    }
    return steps;
  }
  wxFrame* frame;
  CTaskPaneBar* bar;
  std::vector<TestPage*> pages;
};

TEST(TaskPaneBar, PagesCollapseAndExpandWithTheAnimatedLayout) {
  CFixedUiTheme theme;
  PaneHost h;
  for (auto* p : h.pages) EXPECT_EQ(p->GetHeight(), 0);  // every page hidden: nothing laid out
  h.pages[1]->ShowPage(true);
  EXPECT_TRUE(h.bar->IsTimerRunning());
  const int starts = h.bar->GetTimerStarts();
  h.bar->AnimationStep();
  EXPECT_GT(h.pages[1]->GetHeight(), 0);
  EXPECT_LT(h.pages[1]->GetHeight(), 90);
  EXPECT_EQ(h.pages[1]->GetPosition().y, 10);  // the first shown page starts at 10
  // A request in the middle restarts the count without a second timer.
  h.pages[0]->ShowPage(true);
  EXPECT_EQ(h.bar->GetStepsRemaining(), 12);
  EXPECT_EQ(h.bar->GetTimerStarts(), starts);
  h.Settle();
  EXPECT_EQ(h.pages[0]->GetHeight(), 130);
  EXPECT_EQ(h.pages[1]->GetHeight(), 90);
  EXPECT_EQ(h.pages[1]->GetPosition().y, 150);
  // Collapsing by a click on the header (only when collapsible).
  h.pages[0]->ClickAt(wxPoint(5, 5));
  EXPECT_FALSE(h.pages[0]->IsCollapsed());
  h.pages[0]->SetCollapsible(true);
  RenderToImage(*h.pages[0]);  // measures the header's hit width
  h.pages[0]->ClickAt(wxPoint(h.pages[0]->GetHeaderHitWidth() + 2, 5));  // right of the header: nothing
  EXPECT_FALSE(h.pages[0]->IsCollapsed());
  h.pages[0]->ClickAt(wxPoint(5, 5));
  EXPECT_TRUE(h.pages[0]->IsCollapsed());
  const int steps = h.Settle();
  EXPECT_LE(steps, 12);
  EXPECT_EQ(h.pages[0]->GetHeight(), 30);
  EXPECT_EQ(h.pages[1]->GetPosition().y, 50);
  h.pages[0]->Toggle();
  h.Settle();
  EXPECT_EQ(h.pages[0]->GetHeight(), 130);
}

TEST(TaskPaneBar, TheTimerStopsAsSoonAsAStepMovesNothing) {
  PaneHost h;
  h.pages[2]->ShowPage(true);
  h.Settle();
  EXPECT_FALSE(h.bar->IsTimerRunning());
  // A request with every page at its target: the first step moves nothing and ends it.
  h.bar->RequestLayout();
  ASSERT_TRUE(h.bar->IsTimerRunning());
  h.bar->AnimationStep();
  EXPECT_FALSE(h.bar->IsTimerRunning());
  EXPECT_EQ(h.bar->GetStepsRemaining(), 0);
  // Driven by the real timer, the animation ends by itself.
  h.pages[2]->ShowPage(false);
  EXPECT_TRUE(PumpUntil([&] { return !h.bar->IsTimerRunning(); }));
  EXPECT_EQ(h.pages[2]->GetHeight(), 0);
}

TEST(TaskPaneBar, AddPageAfterCreateIsRefused) {
  PaneHost h;
  auto* late = new TestPage("Late", 10);
  EXPECT_FALSE(h.bar->AddPage(late));
  EXPECT_EQ(h.bar->GetPageCount(), 3);
  delete late;
}

TEST(TaskPaneBar, SplitterDragStopsAtTheBounds) {
  PaneHost h;
  const wxRect strip = h.bar->GetSplitterRect();
  EXPECT_EQ(strip.width, 10);
  h.bar->SplitterDown(wxPoint(5, 100));  // not in the strip
  EXPECT_FALSE(h.bar->IsDragging());
  const wxPoint start(strip.x + 5, 100);
  h.bar->SplitterDown(start);
  ASSERT_TRUE(h.bar->IsDragging());
  h.bar->SplitterMove(start + wxPoint(40, 0));
  EXPECT_EQ(h.bar->GetBarWidth(), 260);
  h.bar->SplitterMove(start + wxPoint(1000, 0));
  EXPECT_EQ(h.bar->GetBarWidth(), 400);
  h.bar->SplitterMove(start + wxPoint(1100, 0));  // still beyond: nothing changes, not even the drag point
  EXPECT_EQ(h.bar->GetBarWidth(), 400);
  h.bar->SplitterMove(start + wxPoint(1000 - 20, 0));
  EXPECT_EQ(h.bar->GetBarWidth(), 380);
  h.bar->SplitterMove(start + wxPoint(-2000, 0));
  EXPECT_EQ(h.bar->GetBarWidth(), 180);
  h.bar->SplitterUp();
  EXPECT_FALSE(h.bar->IsDragging());
  h.Settle();
  h.pages[0]->ShowPage(true);
  h.Settle();
  EXPECT_EQ(h.pages[0]->GetSize().x, 160);  // page width = bar width - 20
}

TEST(TaskPaneHeader, PixelsOfTheHeaderAndBody) {
  CFixedUiTheme theme;
  PaneHost h;
  TestPage* page = h.pages[0];
  page->ShowPage(true);
  page->SetCollapsible(true);
  h.Settle();
  const wxImage image = RenderToImage(*page, wxSize(200, 130));
  paint_testing::SaveForLooking(image, "taskpane_header.png");
  const wxColour face(240, 240, 240), highlight(0, 120, 215), white(255, 255, 255);
  const int right = page->GetHeaderHitWidth();
  EXPECT_GT(right, 40);
  // Rounded top corners.
  EXPECT_PIXEL(image, 0, 0, face);
  EXPECT_PIXEL(image, 1, 0, BlendColor(face, highlight, 0.5));
  EXPECT_PIXEL(image, 0, 1, BlendColor(face, highlight, 0.5));
  EXPECT_PIXEL(image, right - 1, 0, face);
  // The gradient rows of the header tab.
  EXPECT_PIXEL(image, 4, 0 + 2, GradientRowColor(28, 2, highlight, white));
  EXPECT_PIXEL(image, 4, 20, GradientRowColor(28, 20, highlight, white));
  // Right of the tab, the top rows keep the background.
  EXPECT_PIXEL(image, right + 5, 10, face);
  // The chevron (expanded: pointing up), in the text colour.
  const int cx = right - 20, cy = (28 - 8) / 2;
  EXPECT_PIXEL(image, cx + 3, cy, white);
  EXPECT_PIXEL(image, cx, cy + 3, white);
  EXPECT_NE(PixelAt(image, cx, cy), white);
  // The body: a 4-row band and the frame in the highlight colour, the inside in the window colour.
  EXPECT_PIXEL(image, right + 5, 25, highlight);
  EXPECT_PIXEL(image, 0, 80, highlight);
  EXPECT_PIXEL(image, 199, 80, highlight);
  EXPECT_PIXEL(image, 100, 129, highlight);
  EXPECT_PIXEL(image, 100, 80, white);
  EXPECT_PIXEL(image, 100, 28, face);  // the row between band and inside
  // Collapsed: the chevron points down.
  page->SetCollapsed(true);
  const wxImage down = RenderToImage(*page, wxSize(200, 30));
  EXPECT_PIXEL(down, cx + 3, cy + 7, white);
  EXPECT_PIXEL(down, cx, cy + 4, white);
  // Below 28 pixels the header fades towards the face colour.
  page->MoveTo(10, 14);
  const wxImage small = RenderToImage(*page);
  const wxColour fill = BlendColor(face, highlight, 14 / 28.0);
  EXPECT_PIXEL(small, 4, 13, GradientRowColor(14, 13, fill, white));
}

}  // namespace
