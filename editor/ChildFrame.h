#pragma once
// CChildFrame: the window of one image document inside the main frame's
// document area: the image info bar on top, a horizontal ruler below it, a
// vertical ruler at the left and the editing view. The view passes its
// state through SetImageInfo, SetFrameCounter, SetRulerRange and
// SetRulerMarkers; the frame hands it on to the bars.

#include <wx/docview.h>
#include <wx/panel.h>

#include <string>

class CImageInfoBar;
class CRulerBar;
class wxBoxSizer;

class CChildFrame : public wxPanel, public wxDocChildFrameAnyBase {
 public:
  CChildFrame(wxDocument* document, wxView* view, wxWindow* parent);
  ~CChildFrame() override;

  // Places the view's window under the info bar.
  void SetViewWindow(wxWindow* window);
  wxWindow* GetViewWindow() const { return m_viewWindow; }

  // The info bar: canvas size, colour mode (-1 none, 0 grayscale, else bits
  // per pixel), zoom, current frame and frame count.
  void SetImageInfo(int width, int height, int colorMode, int zoom, int frame, int frameCount);
  void SetFrameCounter(int current, int count);
  // The info bar's texts in one line (size, colour mode, zoom, counter).
  std::string GetImageInfoText() const;
  static std::string FormatImageInfo(int width, int height, int colorMode, int zoom, int frame, int frameCount);

  // The rulers: the displayed image's rectangle in view coordinates and the
  // zoom, and the mouse position markers.
  void SetRulerRange(int left, int top, int width, int height, int zoom);
  void SetRulerMarkers(int x, int y);
  void GetRulerRange(int& left, int& top, int& width, int& height, int& zoom) const;

  CImageInfoBar* GetInfoBar() const { return m_infoBar; }
  CRulerBar* GetHorizontalRuler() const { return m_hRuler; }
  CRulerBar* GetVerticalRuler() const { return m_vRuler; }

 private:
  CImageInfoBar* m_infoBar = nullptr;
  CRulerBar* m_hRuler = nullptr;
  CRulerBar* m_vRuler = nullptr;
  wxBoxSizer* m_viewRow = nullptr;
  wxWindow* m_viewWindow = nullptr;
};
