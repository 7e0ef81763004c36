#pragma once
// CChildFrame: the window of one image document inside the main frame's
// document area: the image info bar on top and the editing view below it.
// The rulers keep the values the view sets (their bars are drawn by the
// ruler control when it joins the frame).

#include <wx/docview.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include <string>

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
  std::string GetImageInfoText() const { return m_infoText; }
  static std::string FormatImageInfo(int width, int height, int colorMode, int zoom, int frame, int frameCount);

  // The rulers: the displayed image's rectangle in view coordinates and the
  // zoom, and the mouse position markers.
  void SetRulerRange(int left, int top, int width, int height, int zoom);
  void SetRulerMarkers(int x, int y);
  void GetRulerRange(int& left, int& top, int& width, int& height, int& zoom) const;

 private:
  wxStaticText* m_info = nullptr;
  wxWindow* m_viewWindow = nullptr;
  std::string m_infoText;
  int m_rulerLeft = 0, m_rulerTop = 0, m_rulerWidth = 0, m_rulerHeight = 0, m_rulerZoom = 1;
  int m_markerX = -1, m_markerY = -1;
};
