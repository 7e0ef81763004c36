// The ruler: its tick generator without a window, its pixels, and the marker
// that follows the mouse.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/sizer.h>

#include <limits>

#include "shell/RulerBar.h"
#include "shell/RulerLayout.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

std::vector<int> Positions(const RULER_MARKS& m) {
  std::vector<int> out;
  for (const auto& t : m.ticks) out.push_back(t.pos);
  return out;
}
std::vector<int> LabelValues(const RULER_MARKS& m) {
  std::vector<int> out;
  for (const auto& l : m.labels) out.push_back(l.value);
  return out;
}

TEST(RulerTicks, StepAndLabelsFollowTheZoom) {
  struct Case {
    int zoom, step;
    std::vector<int> labels;  // the first three
  };
  const Case cases[] = {
      {1, 5, {0, 50, 100}},   {-1, 5, {0, 50, 100}}, {0, 4, {0, 40, 80}},     {2, 5, {0, 25, 50}},
      {3, 6, {0, 20, 40}},    {4, 6, {0, 15, 30}},   {5, 6, {0, 12, 24}},     {6, 6, {0, 10, 20}},
      {8, 8, {0, 10, 20}},    {16, 16, {0, 10, 20}}, {-2, 4, {0, 80, 160}},   {-4, 4, {0, 160, 320}},
  };
  const RULER_RECT r{30, 7, 400, 21};
  for (const Case& c : cases) {
    EXPECT_EQ(PixelTickStep(c.zoom), c.step) << c.zoom;
    const RULER_MARKS m = PixelRulerMarks(r, false, c.zoom);
    ASSERT_GE(m.ticks.size(), 2u) << c.zoom;
    EXPECT_EQ(m.ticks[0].pos, r.left + 2);
    EXPECT_EQ(m.ticks[1].pos - m.ticks[0].pos, c.step) << c.zoom;
    EXPECT_LT(m.ticks.back().pos, r.right - 2);
    std::vector<int> labels = LabelValues(m);
    labels.resize(std::min<std::size_t>(3, labels.size()));
    if (labels.size() == 3) EXPECT_EQ(labels, c.labels) << c.zoom;
  }
}

TEST(RulerTicks, TickLengthsMarkFivesAndTens) {
  const RULER_RECT r{0, 0, 200, 20};
  const RULER_MARKS m = PixelRulerMarks(r, false, 1);
  const int bottom = r.bottom - 3;
  ASSERT_GE(m.ticks.size(), 11u);
  for (std::size_t k = 0; k < 11; ++k) {
    const int expected = k % 10 == 0 ? bottom - r.top : k % 5 == 0 ? 6 : 3;
    EXPECT_EQ(m.ticks[k].to - m.ticks[k].from, expected) << k;
    EXPECT_EQ(m.ticks[k].to, bottom + 1);
  }
  // Labels sit right of every tenth tick.
  ASSERT_EQ(m.labels.size(), 4u);
  EXPECT_EQ(m.labels[1].x, m.ticks[10].pos + 2);
  EXPECT_EQ(m.labels[1].y, r.top + 4);
  // The vertical ruler mirrors it.
  const RULER_MARKS v = PixelRulerMarks({0, 0, 20, 200}, true, 1);
  ASSERT_GE(v.ticks.size(), 11u);
  EXPECT_EQ(v.ticks[0].pos, 2);
  EXPECT_EQ(v.ticks[5].to - v.ticks[5].from, 6);
  EXPECT_EQ(v.labels[1].x, 4);
  EXPECT_EQ(v.labels[1].y, v.ticks[10].pos + 2);
}

TEST(RulerTicks, UnitModeSubdividesWhileTicksStayFourPixelsApart) {
  // 10 units over 100 pixels: the units and the halves; quarters would be 2.5 apart.
  const RULER_RECT r{0, 0, 104, 20};
  const RULER_MARKS m = UnitRulerMarks(r, false, 100, 10.0f);
  ASSERT_EQ(m.ticks.size(), 11u + 21u);
  EXPECT_EQ(m.ticks[1].pos - m.ticks[0].pos, 10);
  EXPECT_EQ(m.ticks[12].pos - m.ticks[11].pos, 5);
  EXPECT_EQ(LabelValues(m), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  // Tick tops step down by 6, 3, 1, 0 with each level.
  EXPECT_EQ(m.ticks[0].from, r.top + 2);
  EXPECT_EQ(m.ticks[11].from, r.top + 8);
  // One unit over 160 pixels reaches sixteenths (10 pixels apart) and stops there.
  const RULER_MARKS fine = UnitRulerMarks({0, 0, 170, 20}, false, 160, 1.0f);
  EXPECT_EQ(fine.ticks.size(), 2u + 3u + 5u + 9u + 17u);
}

TEST(RulerTicks, NoUnitsOrNoLengthDrawNothing) {
  const RULER_RECT r{0, 0, 100, 20};
  for (const float units : {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
    EXPECT_TRUE(UnitRulerMarks(r, false, 100, units).ticks.empty()) << units;
  EXPECT_TRUE(UnitRulerMarks(r, true, 0, 5.0f).ticks.empty());
  EXPECT_TRUE(UnitRulerMarks(r, true, -10, 5.0f).ticks.empty());
}

TEST(RulerDigits, TheFontAndItsAdvance) {
  // "100": digits at x, x + 4 and x + 10; 15 pixels wide in all.
  const auto pixels = RulerNumberPixels(false, 100, 10, 0);
  int minX = 1000, maxX = -1;
  for (const auto& p : pixels) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
  }
  EXPECT_EQ(minX, 10);
  EXPECT_EQ(maxX - minX + 1, 15);
  auto has = [&](int x, int y) {
    return std::any_of(pixels.begin(), pixels.end(), [&](const RULER_PIXEL& p) { return p.x == x && p.y == y; });
  };
  EXPECT_TRUE(has(11, 0));   // the 1's top
  EXPECT_TRUE(has(10, 6));   // the 1's foot, three wide
  EXPECT_TRUE(has(12, 6));
  EXPECT_TRUE(has(15, 0));   // the first 0 starts at x + 4 (".XXX.")
  EXPECT_FALSE(has(14, 0));
  EXPECT_TRUE(has(14, 1));
  EXPECT_TRUE(has(20, 1));   // the second 0 at x + 10
  // Every digit has the table's pixel count.
  const int counts[10] = {16, 10, 15, 15, 14, 17, 17, 12, 17, 15};
  for (int d = 0; d < 10; ++d) EXPECT_EQ(RulerNumberPixels(false, d, 0, 0).size(), static_cast<std::size_t>(counts[d])) << d;
  // Vertical labels stack the digits 8 apart, a 1 one pixel to the right.
  const auto v = RulerNumberPixels(true, 10, 0, 0);
  int minY1 = 1000, minX1 = 1000;
  for (const auto& p : v)
    if (p.y < 7) {
      minX1 = std::min(minX1, p.x);
      minY1 = std::min(minY1, p.y);
    }
  EXPECT_EQ(minX1, 1);
  EXPECT_TRUE(std::any_of(v.begin(), v.end(), [](const RULER_PIXEL& p) { return p.y == 8 + 6; }));
}

TEST(RulerMarker, ShowsOnlyInsideTheImage) {
  RULER_RECT line;
  struct Case {
    int marker;
    bool shown;
  };
  // offset 10, length 100: markers 10..109 show; 0 never.
  for (const Case c : {Case{0, false}, Case{-1, false}, Case{9, false}, Case{10, true}, Case{109, true},
                       Case{110, false}}) {
    EXPECT_EQ(RulerMarkerLine(600, kHorizontalRulerHeight, false, 10, 100, c.marker, line), c.shown) << c.marker;
    if (c.shown) {
      EXPECT_EQ(line.left, c.marker + kRulerLead);
      EXPECT_EQ(line.Width(), 1);
      EXPECT_EQ(line.top, 7);
      EXPECT_EQ(line.bottom, kHorizontalRulerHeight - 5);
    }
  }
  ASSERT_TRUE(RulerMarkerLine(kVerticalRulerWidth, 400, true, 0, 300, 50, line));
  EXPECT_EQ(line.top, 52);
  EXPECT_EQ(line.Height(), 1);
  EXPECT_EQ(line.left, 3);
  EXPECT_EQ(line.right, kVerticalRulerWidth - 5);
  // An offset of 0 with marker 0 (the image's first column) is not drawn either.
  EXPECT_FALSE(RulerMarkerLine(600, 26, false, 0, 100, 0, line));
}

// A ruler in a frame, shown.
struct RulerFixture {
  CFixedUiTheme theme;
  wxFrame* frame;
  CRulerBar* h;
  CRulerBar* v;
  RulerFixture() {
    frame = new wxFrame(nullptr, wxID_ANY, "rulers", wxDefaultPosition, wxSize(400, 300));
    h = new CRulerBar;
    h->Create(frame, wxID_ANY, false);
    v = new CRulerBar;
    v->Create(frame, wxID_ANY, true);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(h, 0, wxEXPAND);
    column->Add(v, 1);
    frame->SetSizer(column);
    frame->Show();
    frame->Layout();
    PumpUntil([&] { return h->IsShownOnScreen() && h->GetClientSize().x > 100; });
  }
  ~RulerFixture() {
    frame->Destroy();
    PumpFor(10);
  }
};

TEST(RulerBar, SizesAndPixels) {
  RulerFixture f;
  EXPECT_EQ(f.h->GetSize().y, kHorizontalRulerHeight);
  EXPECT_EQ(f.v->GetSize().x, kVerticalRulerWidth);
  f.h->SetPixelRange(0, 300, 3);
  const wxImage image = RenderToImage(*f.h);
  paint_testing::SaveForLooking(image, "ruler-x3.png");
  const RULER_RECT area = RulerArea(image.GetWidth(), image.GetHeight(), false);
  const RULER_RECT r = RulerTickRect(RulerSpan(area, false, 0, 300));
  const RULER_MARKS m = PixelRulerMarks(r, false, 3);
  // Every tick is black at its bottom pixel; between ticks the track colour.
  for (const auto& t : m.ticks) EXPECT_PIXEL(image, t.pos, t.to - 1, wxColour(0, 0, 0));
  EXPECT_PIXEL(image, m.ticks[0].pos + 3, m.ticks[0].to - 1, wxColour(200, 200, 200));
  // Left of the area: the face colour.
  EXPECT_PIXEL(image, 5, 12, wxColour(240, 240, 240));
  // The label 20 of the tenth tick: the 2's top row starts one pixel in.
  EXPECT_PIXEL(image, m.labels[1].x + 1, m.labels[1].y, wxColour(0, 0, 0));
  // Unit mode with no units yet: the span without a tick.
  f.h->SetUnitMode(true);
  f.h->SetUnitRange(0, 300, 0.0f);
  const wxImage empty = RenderToImage(*f.h);
  EXPECT_EQ(paint_testing::CountColour(empty, wxRect(r.left, r.top, r.Width(), r.Height()), wxColour(0, 0, 0)), 0);
  f.h->SetUnitRange(0, 300, 3.0f);
  const wxImage units = RenderToImage(*f.h);
  paint_testing::SaveForLooking(units, "ruler-units.png");
  EXPECT_GT(paint_testing::CountColour(units, wxRect(r.left, r.top, r.Width(), r.Height()), wxColour(0, 0, 0)), 40);
}

TEST(RulerBar, RepaintsOnlyOnAChangeOrAfterAResize) {
  RulerFixture f;
  f.h->SetPixelRange(10, 200, 1);
  const int before = f.h->GetRepaintRequests();
  f.h->SetPixelRange(10, 200, 1);
  EXPECT_EQ(f.h->GetRepaintRequests(), before);
  f.h->SetPixelRange(11, 200, 1);
  EXPECT_EQ(f.h->GetRepaintRequests(), before + 1);
  f.frame->SetSize(wxSize(500, 300));
  f.frame->Layout();
  PumpUntil([&] { return f.h->GetClientSize().x > 450; });
  f.h->SetPixelRange(11, 200, 1);
  EXPECT_EQ(f.h->GetRepaintRequests(), before + 2);
}

TEST(RulerBar, TheMarkerFollowsTheMouse) {
  RulerFixture f;
  f.h->SetPixelRange(0, 300, 1);
  f.v->SetPixelRange(0, 200, 1);
  const int dark = [&] {
    const wxImage image = RenderToImage(*f.h);
    return paint_testing::CountColour(image, wxRect(0, 0, image.GetWidth(), image.GetHeight()), wxColour(0, 0, 0));
  }();
  for (const int x : {40, 41, 157}) {
    f.h->SetMarker(x);
    const wxImage image = RenderToImage(*f.h);
    // The dotted line at marker + 24: every other pixel down the ruler is dark.
    int dots = 0;
    for (int y = 7; y < kHorizontalRulerHeight - 5; ++y)
      if (paint_testing::PixelAt(image, x + kRulerLead, y) == wxColour(0, 0, 0)) ++dots;
    EXPECT_GE(dots, 6) << x;
    EXPECT_GT(paint_testing::CountColour(image, wxRect(0, 0, image.GetWidth(), image.GetHeight()), wxColour(0, 0, 0)),
              dark - 1);
  }
  // Off the image: no line.
  f.h->SetMarker(0);
  const wxImage none = RenderToImage(*f.h);
  EXPECT_EQ(paint_testing::CountColour(none, wxRect(0, 0, none.GetWidth(), none.GetHeight()), wxColour(0, 0, 0)), dark);
  f.v->SetMarker(30);
  const wxImage vimage = RenderToImage(*f.v);
  int dots = 0;
  for (int x = 3; x < kVerticalRulerWidth - 5; ++x)
    if (paint_testing::PixelAt(vimage, x, 32) == wxColour(0, 0, 0)) ++dots;
  EXPECT_GE(dots, 3);
}

}  // namespace
