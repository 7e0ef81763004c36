// The painting kit: the theme, the off-screen paint DC and the Render hook
// of painted controls.

#include <gtest/gtest.h>

#include <wx/dcsvg.h>
#include <wx/filename.h>

#include <fstream>
#include <sstream>

#include "shell/OffscreenPaintDC.h"
#include "shell/PaintedWindow.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"

namespace {

using paint_testing::CountColour;
using paint_testing::PixelAt;
using testing_support::PumpUntil;

const wxColour kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 128, 0), kBlack(0, 0, 0);

TEST(UiTheme, FixedColoursStandInForTheSystemsUntilReset) {
  const wxColour system = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  {
    CFixedUiTheme fixed;
    EXPECT_EQ(ThemeColour(wxSYS_COLOUR_BTNFACE), wxColour(240, 240, 240));
    EXPECT_EQ(ThemeColour(wxSYS_COLOUR_WINDOWTEXT), kBlack);
    EXPECT_EQ(ThemeFont().GetPointSize(), 9);
    GetUiTheme().SetColour(wxSYS_COLOUR_WINDOW, kRed);
    EXPECT_EQ(ThemeColour(wxSYS_COLOUR_WINDOW), kRed);
  }
  EXPECT_EQ(ThemeColour(wxSYS_COLOUR_BTNFACE), system);
  EXPECT_TRUE(ThemeFont().IsOk());
}

// Draws the same picture on a bitmap directly and through the off-screen DC
// and compares: the buffered copy lands where direct drawing would, under a
// shifted device origin and a user scale as well.
TEST(OffscreenPaintDC, BufferedDrawingLandsWhereDirectDrawingDoes) {
  struct Case {
    wxPoint deviceOrigin;
    double scale;
  };
  for (const Case c : {Case{{0, 0}, 1.0}, Case{{7, -3}, 1.0}, Case{{0, 0}, 2.0}, Case{{-5, 4}, 2.0}}) {
    auto paint = [](wxDC& dc) {
      dc.SetPen(wxPen(kBlue));
      dc.SetBrush(wxBrush(kGreen));
      dc.DrawRectangle(12, 14, 9, 6);
      dc.DrawLine(10, 10, 30, 30);
    };
    auto draw = [&](bool buffered) {
      wxBitmap bitmap(80, 80, 24);
      wxMemoryDC dc(bitmap);
      dc.SetBackground(*wxWHITE_BRUSH);
      dc.Clear();
      dc.SetDeviceOrigin(c.deviceOrigin.x, c.deviceOrigin.y);
      dc.SetUserScale(c.scale, c.scale);
      dc.SetBackground(wxBrush(kRed));
      const wxRect area(10, 10, 21, 21);
      if (buffered) {
        COffscreenPaintDC off(dc, &area);
        EXPECT_TRUE(off.IsBuffered());
        paint(off.GetDC());
      } else {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(kRed));
        dc.DrawRectangle(area);
        dc.SetClippingRegion(area);  // the buffer ends at the area too
        paint(dc);
        dc.DestroyClippingRegion();
      }
      dc.SelectObject(wxNullBitmap);
      return bitmap.ConvertToImage();
    };
    const wxImage direct = draw(false), buffered = draw(true);
    int differing = 0;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 80; ++x)
        if (PixelAt(direct, x, y) != PixelAt(buffered, x, y)) ++differing;
    EXPECT_EQ(differing, 0) << "origin " << c.deviceOrigin.x << "," << c.deviceOrigin.y << " scale " << c.scale;
  }
}

TEST(OffscreenPaintDC, WithoutRectangleCoversExactlyTheClipBox) {
  wxBitmap bitmap(50, 40, 24);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetClippingRegion(5, 6, 20, 10);
    dc.SetBackground(wxBrush(kRed));
    COffscreenPaintDC off(dc);
    EXPECT_EQ(off.GetRect(), wxRect(5, 6, 20, 10));
  }
  const wxImage image = bitmap.ConvertToImage();
  EXPECT_EQ(CountColour(image, wxRect(0, 0, 50, 40), kRed), 200);
  EXPECT_EQ(CountColour(image, wxRect(5, 6, 20, 10), kRed), 200);
}

TEST(OffscreenPaintDC, TargetUntouchedUntilTheBufferGoes) {
  wxBitmap bitmap(30, 30, 24);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  {
    const wxRect area(0, 0, 30, 30);
    COffscreenPaintDC off(dc, &area);
    off.GetDC().SetBrush(wxBrush(kBlue));
    off.GetDC().DrawRectangle(0, 0, 30, 30);
    wxColour now;
    ASSERT_TRUE(dc.GetPixel(15, 15, &now));
    EXPECT_EQ(now, *wxWHITE);
  }
  wxColour after;
  ASSERT_TRUE(dc.GetPixel(15, 15, &after));
  EXPECT_EQ(after, kBlue);
}

// A vector surface (as printing uses) is drawn on directly.
TEST(OffscreenPaintDC, DrawsDirectlyOnAVectorSurface) {
  const wxString path = wxFileName::CreateTempFileName("offscreen") + ".svg";
  {
    wxSVGFileDC svg(path, 100, 100);
    svg.SetBackground(wxBrush(kRed));
    const wxRect area(10, 10, 50, 50);
    COffscreenPaintDC off(svg, &area);
    EXPECT_FALSE(off.IsBuffered());
    EXPECT_EQ(&off.GetDC(), static_cast<wxDC*>(&svg));
    off.GetDC().SetBrush(wxBrush(kBlue));
    off.GetDC().DrawRectangle(20, 20, 10, 10);
  }
  std::ifstream in(path.utf8_string());
  std::stringstream text;
  text << in.rdbuf();
  // The fill of the area and the rectangle are vector shapes, not an image.
  EXPECT_EQ(text.str().find("<image"), std::string::npos);
  EXPECT_NE(text.str().find("#0000FF"), std::string::npos) << text.str();
  wxRemoveFile(path);
}

TEST(OffscreenPaintDC, FontHeightIsTheCharacterHeight) {
  const wxFont font(wxFontInfo(20).FaceName("DejaVu Sans"));
  wxBitmap bitmap(10, 10);
  wxMemoryDC dc(bitmap);
  dc.SetFont(font);
  EXPECT_EQ(GetFontHeight(font), dc.GetCharHeight());
  EXPECT_GT(GetFontHeight(font), GetFontHeight(wxFont(wxFontInfo(8).FaceName("DejaVu Sans"))));
}

// A control that paints a frame and a cross.
class CCrossControl : public CPaintedWindow {
 public:
  using CPaintedWindow::CPaintedWindow;
  void Render(wxDC& dc) override {
    const wxSize s = GetRenderSize();
    dc.SetPen(wxPen(kBlue));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(0, 0, s.x, s.y);
    dc.DrawLine(0, s.y / 2, s.x, s.y / 2);
    ++renders;
  }
  wxColour GetPaintBackground() const override { return kRed; }
  int renders = 0;
};

TEST(PaintedWindow, RenderHookAndTheScreenShowTheSamePixels) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "painted", wxPoint(0, 0), wxSize(200, 150));
  auto* panel = new wxPanel(frame);
  auto* control = new CCrossControl(panel, wxID_ANY, wxPoint(10, 10), wxSize(60, 40));
  frame->Show();
  ASSERT_TRUE(PumpUntil([&] { return control->renders > 0; }));
  const wxImage rendered = RenderToImage(*control);
  ASSERT_EQ(rendered.GetSize(), wxSize(60, 40));
  EXPECT_PIXEL(rendered, 5, 0, kBlue);
  EXPECT_PIXEL(rendered, 30, 20, kBlue);
  EXPECT_PIXEL(rendered, 30, 10, kRed);
  const wxImage shown = paint_testing::CaptureWindow(control);
  int differing = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      if (PixelAt(shown, x, y) != PixelAt(rendered, x, y)) ++differing;
  EXPECT_EQ(differing, 0);
  frame->Destroy();
  testing_support::PumpFor(20);
}

}  // namespace
