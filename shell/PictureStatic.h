#pragma once
// CPictureStatic: an image stretched over the control's client area (the
// About box's picture). The image belongs to the owner.

#include "imaging/RasterImage.h"
#include "shell/PaintedWindow.h"

class CPictureStatic : public CPaintedWindow {
 public:
  CPictureStatic() = default;
  CPictureStatic(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize);
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);

  // Not owned; null shows nothing. The owner refreshes after a change.
  void SetImage(const CRasterImage* image) { m_image = image; }
  const CRasterImage* GetImage() const { return m_image; }

  void Render(wxDC& dc) override;

 private:
  const CRasterImage* m_image = nullptr;
};
