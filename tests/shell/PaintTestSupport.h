#pragma once
// Helpers of the painted-control and dialog tests: pixel checks on wxImage,
// what a shown window has on the screen, and a PNG for looking at.

#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/wx.h>

#include <cstdlib>
#include <string>

#include "tests/support/WxTestSupport.h"

namespace paint_testing {

inline wxColour PixelAt(const wxImage& image, int x, int y) {
  return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

inline std::string Describe(const wxColour& c) {
  return "(" + std::to_string(c.Red()) + ", " + std::to_string(c.Green()) + ", " + std::to_string(c.Blue()) + ")";
}

#define EXPECT_PIXEL(image, x, y, colour)                                                             \
  EXPECT_EQ(paint_testing::Describe(paint_testing::PixelAt(image, x, y)), paint_testing::Describe(colour)) \
      << "at " << (x) << "," << (y)

// Counts the pixels of a rectangle that have the colour.
inline int CountColour(const wxImage& image, const wxRect& r, const wxColour& c) {
  int n = 0;
  for (int y = r.y; y < r.GetBottom() + 1; ++y)
    for (int x = r.x; x < r.GetRight() + 1; ++x)
      if (PixelAt(image, x, y) == c) ++n;
  return n;
}

// What the window shows on the screen now (after a repaint).
inline wxImage CaptureWindow(wxWindow* window) {
  window->Refresh();
  window->Update();
  testing_support::PumpFor(50);
  const wxSize size = window->GetClientSize();
  wxBitmap shot(size.x, size.y, 24);
  {
    wxClientDC source(window);
    wxMemoryDC dc(shot);
    dc.Blit(0, 0, size.x, size.y, &source, 0, 0);
  }
  return shot.ConvertToImage();
}

// Writes the image into $PICTORAVELL_SCREENSHOT_DIR when that is set.
inline void SaveForLooking(const wxImage& image, const std::string& name) {
  const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (dir && *dir) image.SaveFile(std::string(dir) + "/" + name, wxBITMAP_TYPE_PNG);
}

}  // namespace paint_testing
