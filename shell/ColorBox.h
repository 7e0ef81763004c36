#pragma once
// CColorBox: a framed swatch of one colour, or of the application-workspace
// colour while it has none, that calls its callback when clicked.

#include <functional>

#include "imaging/ImageTypes.h"
#include "shell/PaintedWindow.h"

class CColorBox : public CPaintedWindow {
 public:
  CColorBox() = default;
  CColorBox(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
            const wxSize& size = wxSize(40, 20));
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxSize(40, 20));

  void SetColor(uint8_t blue, uint8_t green, uint8_t red);
  void SetColor(const RGBQUAD& colour) { SetColor(colour.rgbBlue, colour.rgbGreen, colour.rgbRed); }
  void ClearColor();
  // False when the box has no colour or out is null; else the colour (fourth byte 0).
  bool GetColor(RGBQUAD* out) const;
  bool HasColor() const { return m_bHasColor; }
  void SetClickCallback(std::function<void()> callback) { m_callback = std::move(callback); }

  // The frame in the window-text colour, filled with the colour.
  void Render(wxDC& dc) override;

 private:
  void OnLeftDown(wxMouseEvent& event);

  bool m_bHasColor = false;
  RGBQUAD m_color;
  std::function<void()> m_callback;
};
