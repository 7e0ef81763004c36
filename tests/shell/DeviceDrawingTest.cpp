#include <gtest/gtest.h>

#include <wx/dcmemory.h>

#include <functional>
#include <vector>

#include "shell/DeviceDrawing.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

using namespace testing_support;

int Gray50(int, int, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = *g = *b = 50;
  return 255;
}

// What the core composer gives for the whole drawing rectangle.
std::vector<uint8_t> Expected(const CRasterImage& image, const Rect& drawing, const Rect& target) {
  CImageBandComposer c(image, drawing, target, Rect{0, 0, image.GetWidth(), image.GetHeight()}, drawing, &Gray50,
                       IsEightBitDisplay());
  std::vector<uint8_t> rgb(static_cast<size_t>(drawing.Width()) * drawing.Height() * 3);
  c.ComposeRows(0, drawing.Height(), rgb.data(), drawing.Width() * 3);
  return rgb;
}

void ExpectBitmapEquals(const wxBitmap& bitmap, const std::vector<uint8_t>& rgb, int x0, int y0, int w, int h) {
  const wxImage got = bitmap.ConvertToImage();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = (static_cast<size_t>(y) * w + x) * 3;
      ASSERT_EQ(got.GetRed(x0 + x, y0 + y), rgb[i]) << x << "," << y;
      ASSERT_EQ(got.GetGreen(x0 + x, y0 + y), rgb[i + 1]) << x << "," << y;
      ASSERT_EQ(got.GetBlue(x0 + x, y0 + y), rgb[i + 2]) << x << "," << y;
    }
}

// Shows a window of the given client size whose paint handler calls paint,
// waits for the first paint and returns what the window shows. The handler is
// unbound before the frame goes: deletion waits for idle time, and a late
// paint must not reach the caller's locals.
wxBitmap CaptureWindowPaint(int width, int height, const std::function<void(wxDC&)>& paint) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "drawing", wxPoint(0, 0), wxSize(width + 100, height + 90));
  auto* canvas = new wxWindow(frame, wxID_ANY, wxPoint(0, 0), wxSize(width, height));
  canvas->SetBackgroundStyle(wxBG_STYLE_PAINT);
  bool painted = false;
  auto onPaint = [&](wxPaintEvent&) {
    wxPaintDC dc(canvas);
    paint(dc);
    painted = true;
  };
  canvas->Bind(wxEVT_PAINT, onPaint);
  frame->Show();
  EXPECT_TRUE(PumpUntil([&] { return painted; }));
  PumpFor(100);
  canvas->Update();
  wxBitmap shot(width, height, 24);
  {
    wxClientDC source(canvas);
    wxMemoryDC dc(shot);
    dc.Blit(0, 0, width, height, &source, 0, 0);
  }
  canvas->Unbind(wxEVT_PAINT, onPaint);
  frame->Destroy();
  PumpFor(20);
  return shot;
}

TEST(DeviceDrawing, MemoryDcGetsTheComposedPixelsAtOneAndTwoToOne) {
  CRasterImage image = MakeTestPicture(37, 23);
  image.CreateMask();
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) image.GetWritableMaskBits()[y * image.GetMaskStride() + x] = (x * 7) & 255;
  for (int zoom : {1, 2}) {
    wxBitmap bitmap(120, 80, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    const Rect drawing{10, 5, 10 + 37 * zoom + 6, 5 + 23 * zoom + 4};
    const Rect target{3, 2, 3 + 37 * zoom, 2 + 23 * zoom};
    DrawImage(dc, drawing, target, 7, image, Rect{0, 0, 37, 23}, &Gray50);
    dc.SelectObject(wxNullBitmap);
    ExpectBitmapEquals(bitmap, Expected(image, drawing, target), 10, 5, drawing.Width(), drawing.Height());
    // Nothing outside the drawing rectangle was touched.
    EXPECT_EQ(bitmap.ConvertToImage().GetRed(9, 5), 0);
  }
}

TEST(DeviceDrawing, WindowShowsTheComposedPixels) {
  CRasterImage image = MakeTestPicture(64, 48);
  const wxBitmap shot = CaptureWindowPaint(200, 150, [&](wxDC& dc) {
    DrawImage(dc, Rect{0, 0, 200, 150}, Rect{0, 0, 128, 96}, kDrawBandHeight, image, Rect{0, 0, 64, 48}, &Gray50);
  });
  ExpectBitmapEquals(shot, Expected(image, Rect{0, 0, 200, 150}, Rect{0, 0, 128, 96}), 0, 0, 200, 150);
}

TEST(DeviceDrawing, UnscaledDrawingIsClipped) {
  const CRasterImage image = MakeTestPicture(30, 20);
  wxBitmap bitmap(25, 15, 24);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(*wxBLACK_BRUSH);
  dc.Clear();
  DrawImageUnscaled(dc, image, 5, 3);
  dc.SelectObject(wxNullBitmap);
  const wxImage got = bitmap.ConvertToImage();
  EXPECT_EQ(got.GetRed(5, 3), image.GetRow(0)[0]);
  EXPECT_EQ(got.GetBlue(24, 14), image.GetRow(11)[19 * 3 + 2]);
  EXPECT_EQ(got.GetRed(4, 3), 0);
}

// What the core composer gives for a layer stack's target rectangle.
std::vector<uint8_t> ExpectedStack(CLayerStack& stack, const Rect& target) {
  CLayerStackBandComposer c(stack, target, target, &Gray50, IsEightBitDisplay());
  std::vector<uint8_t> rgb(static_cast<size_t>(target.Width()) * target.Height() * 3);
  c.ComposeRows(0, target.Height(), rgb.data(), target.Width() * 3);
  return rgb;
}

void FillStack(CLayerStack& stack) {
  CRasterImage image = MakeTestPicture(30, 20);
  image.CreateMask();
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) image.GetWritableMaskBits()[y * image.GetMaskStride() + x] = (x * 11) & 255;
  stack.AddImage(image, 2, 1);
  stack.AddColorRect(0, 200, 0, 100, 10, 5, 8, 9);
}

TEST(DeviceDrawing, LayerStackOnAMemoryDcEqualsTheComposition) {
  for (int zoom : {1, 2}) {
    CLayerStack stack(34, 24);
    FillStack(stack);
    wxBitmap bitmap(120, 80, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    const Rect target{7, 4, 7 + 34 * zoom, 4 + 24 * zoom};
    DrawLayerStack(dc, target, 5, stack, &Gray50);
    dc.SelectObject(wxNullBitmap);
    ExpectBitmapEquals(bitmap, ExpectedStack(stack, target), 7, 4, target.Width(), target.Height());
    const wxImage got = bitmap.ConvertToImage();
    EXPECT_EQ(got.GetRed(6, 4), 0);
    EXPECT_EQ(got.GetGreen(target.right, target.top), 0);
  }
}

TEST(DeviceDrawing, LayerStackOnAnEightBitDeviceIsDitheredToTheDisplayPalette) {
  ForceEightBitDisplay(true);
  CLayerStack stack(34, 24);
  FillStack(stack);
  wxBitmap bitmap(80, 60, 24);
  wxMemoryDC dc(bitmap);
  const Rect target{3, 2, 71, 50};
  DrawLayerStack(dc, target, 7, stack, &Gray50);
  dc.SelectObject(wxNullBitmap);
  const std::vector<uint8_t> expected = ExpectedStack(stack, target);
  ForceEightBitDisplay(false);
  for (uint8_t v : expected) ASSERT_EQ(v % 51, 0);
  ExpectBitmapEquals(bitmap, expected, 3, 2, target.Width(), target.Height());
}

TEST(DeviceDrawing, LayerStackInAWindowEqualsTheComposition) {
  CLayerStack stack(34, 24);
  FillStack(stack);
  const Rect target{0, 0, 136, 96};
  const wxBitmap shot = CaptureWindowPaint(136, 96, [&](wxDC& dc) {
    DrawLayerStack(dc, target, kDrawBandHeight, stack, &Gray50);
  });
  ExpectBitmapEquals(shot, ExpectedStack(stack, target), 0, 0, 136, 96);
}

TEST(DeviceDrawing, StretchedStackOnADcWithoutGraphicsContextRepeatsPixels) {
  CLayerStack stack(4, 3);
  stack.AddColorRect(10, 20, 30, 255, 0, 0, 2, 3);
  stack.AddColorRect(200, 100, 0, 255, 2, 0, 2, 2);  // (2..3, 2) stays empty: white
  wxBitmap bitmap(40, 30, 24);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(*wxBLACK_BRUSH);
  dc.Clear();
  DrawLayerStackStretched(dc, Rect{4, 3, 36, 27}, 2, stack);  // 8 x 8 per pixel
  dc.SelectObject(wxNullBitmap);
  const wxImage got = bitmap.ConvertToImage();
  EXPECT_EQ(got.GetRed(4, 3), 10);
  EXPECT_EQ(got.GetBlue(19, 26), 30);
  EXPECT_EQ(got.GetRed(20, 3), 200);
  EXPECT_EQ(got.GetGreen(35, 18), 100);
  EXPECT_EQ(got.GetGreen(20, 19), 255);
  EXPECT_EQ(got.GetBlue(35, 26), 255);
  EXPECT_EQ(got.GetRed(3, 3), 0);
  EXPECT_EQ(got.GetRed(36, 27), 0);
}

TEST(DeviceDrawing, BitBltCopiesAPartOfABitmap) {
  wxImage pattern(20, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) pattern.SetRGB(x, y, x * 10, y * 20, 77);
  const wxBitmap source(pattern);
  wxBitmap bitmap(30, 30, 24);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(*wxBLACK_BRUSH);
  dc.Clear();
  BitBltBitmap(dc, source, 5, 2, 10, 20, 6, 4);
  BitBltBitmap(dc, wxNullBitmap, 0, 0, 0, 0, 5, 5);  // nothing
  dc.SelectObject(wxNullBitmap);
  const wxImage got = bitmap.ConvertToImage();
  EXPECT_EQ(got.GetRed(10, 20), 50);
  EXPECT_EQ(got.GetGreen(10, 20), 40);
  EXPECT_EQ(got.GetRed(15, 23), 100);
  EXPECT_EQ(got.GetGreen(15, 23), 100);
  EXPECT_EQ(got.GetBlue(16, 23), 0);
  EXPECT_EQ(got.GetBlue(0, 0), 0);
}

}  // namespace
