#pragma once
// CHistogramCtrl: the 256-bin luminance histogram of an image as vertical
// bars over a grey ramp. The image belongs to the owner, who calls
// Recalculate after changing it.

#include <array>
#include <cstdint>

#include "imaging/RasterImage.h"
#include "shell/PaintedWindow.h"

class CHistogramCtrl : public CPaintedWindow {
 public:
  // image: not owned; it must outlive the control or be replaced first.
  explicit CHistogramCtrl(const CRasterImage* image = nullptr) : m_image(image) {}
  CHistogramCtrl(wxWindow* parent, wxWindowID id, const CRasterImage* image, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxSize(256, 80));
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxSize(256, 80));

  void SetImage(const CRasterImage* image) { m_image = image; }
  // Counts the image's pixels into the bins and repaints.
  void Recalculate();
  const std::array<uint32_t, 256>& GetCounts() const { return m_counts; }

  // Bars in the pen colour (black), the ramp in the three bottom rows, on
  // (240, 240, 240).
  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override { return wxColour(240, 240, 240); }
  // Shows, takes no input: the keyboard passes it by.
  bool AcceptsFocus() const override { return false; }

  // The height of the bar of a bin holding `count` of `pixels` pixels in a
  // graph `graphHeight` rows high: a bin with 1/85 of the pixels reaches
  // the graph's top row; a taller bar is cut off by the control's top edge
  // (graphHeight + 1, the rows above the graph's bottom edge up to row 0).
  // 0 when there are no pixels or no rows.
  static int BarHeight(uint32_t count, int64_t pixels, int graphHeight);

 private:
  const CRasterImage* m_image = nullptr;
  std::array<uint32_t, 256> m_counts{};
};
