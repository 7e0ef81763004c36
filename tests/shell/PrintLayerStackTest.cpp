// Printing a layer stack: the page, printed to a PDF file and rasterised by
// pdftoppm, shows every canvas pixel as a solid block over white.
#include <gtest/gtest.h>

#include <cstdio>

#include "shell/DeviceDrawing.h"
#include "tests/shell/PrintToPdf.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

using namespace testing_support;

constexpr int kCanvasW = 12, kCanvasH = 8, kZoom = 20, kLeft = 72, kTop = 54;

// Every pixel its own colour; column 10 half transparent, column 11 clear.
CRasterImage CanvasPicture() {
  CRasterImage image;
  image.Create(kCanvasW, kCanvasH, 24);
  image.CreateMask();
  for (int y = 0; y < kCanvasH; ++y)
    for (int x = 0; x < kCanvasW; ++x) {
      uint8_t* p = image.GetWritableBits() + y * image.GetStride() + 3 * x;
      p[0] = static_cast<uint8_t>(x * 21);
      p[1] = static_cast<uint8_t>(y * 31);
      p[2] = static_cast<uint8_t>(((x + y) & 1) ? 220 : 40);
      image.GetWritableMaskBits()[y * image.GetMaskStride() + x] = x == 11 ? 0 : x == 10 ? 128 : 255;
    }
  return image;
}

class StackPrintout : public wxPrintout {
 public:
  // scale: the DC's user scale while drawing; the target is given in the
  // scaled units, so every scale puts the picture at the same place.
  StackPrintout(CLayerStack& stack, int band, double scale)
      : wxPrintout("stack"), m_stack(stack), m_band(band), m_scale(scale) {}
  bool HasPage(int page) override { return page == 1; }
  bool OnPrintPage(int) override {
    wxDC* dc = GetDC();
    if (!dc) return false;
    dc->SetUserScale(m_scale, m_scale);
    auto at = [this](int v) { return static_cast<int32_t>(v / m_scale); };
    DrawLayerStackStretched(*dc, Rect{at(kLeft), at(kTop), at(kLeft + kCanvasW * kZoom), at(kTop + kCanvasH * kZoom)},
                            m_band, m_stack);
    return true;
  }

 private:
  CLayerStack& m_stack;
  int m_band;
  double m_scale;
};

class PrintLayerStack : public testing::TestWithParam<double> {};

TEST_P(PrintLayerStack, PdfPageShowsTheCanvasOverWhite) {
  REQUIRE_TOOL("pdftoppm");
  REQUIRE_TOOL("convert");
  if (!print_test::Cairo().ok) GTEST_SKIP() << "cairo PDF surface not available";
  CLayerStack stack(kCanvasW, kCanvasH);
  stack.AddImage(CanvasPicture(), 0, 0);
  TempDir dir;
  const std::string pdf = (dir / "stack.pdf").string();
  StackPrintout printout(stack, 3, GetParam());  // bands of three canvas rows
  ASSERT_TRUE(print_test::PrintToPdf(printout, pdf, 400, 300));
  ASSERT_EQ(RunCommand("pdftoppm -r 72 -png -singlefile " + ShellQuote(pdf) + " " +
                       ShellQuote((dir / "page").string())),
            0);
  ASSERT_EQ(RunCommand("convert " + ShellQuote((dir / "page.png").string()) + " -alpha off " +
                       ShellQuote((dir / "page.pam").string())),
            0);
  if (const char* keep = std::getenv("PICTORAVELL_KEEP_PRINT")) fs::copy_file(dir / "page.png", keep,
                                                                                fs::copy_options::overwrite_existing);
  const CRasterImage page = ReadPnm(dir / "page.pam");
  ASSERT_EQ(page.GetWidth(), 400);
  ASSERT_EQ(page.GetHeight(), 300);
  auto pixel = [&](int x, int y) { return page.GetRow(y) + 3 * x; };
  stack.BeginRender();
  for (int cy = 0; cy < kCanvasH; ++cy)
    for (int cx = 0; cx < kCanvasW; ++cx) {
      uint8_t a, c[3];
      stack.GetPixel(cx, cy, a, c[0], c[1], c[2]);
      // Samples inside the block, away from its edges.
      for (int dy : {3, 10, 16})
        for (int dx : {3, 10, 16}) {
          const uint8_t* p = pixel(kLeft + cx * kZoom + dx, kTop + cy * kZoom + dy);
          for (int ch = 0; ch < 3; ++ch) {
            const int want = (a * (c[ch] - 255) + 65025) / 255;
            ASSERT_NEAR(p[ch], want, 2) << "canvas " << cx << "," << cy << " channel " << ch;
          }
        }
    }
  stack.EndRender();
  // White around the picture.
  for (auto [x, y] : {std::pair{10, 10}, std::pair{kLeft - 3, kTop + 20}, std::pair{390, 290}})
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(pixel(x, y)[ch], 255) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(UserScales, PrintLayerStack, testing::Values(1.0, 0.5, 2.0));

}  // namespace
