#pragma once
// CImagePreviewCtrl: the preview area of dialogs. It shows an image, or the
// composition of a layer stack, at 1:1: centred on a plain background with a
// one-pixel frame and a stippled shadow when smaller than the control,
// dragged around with the mouse when larger (pan mode). In colour-pick mode
// a click or drag reports the colour of the image pixel under the mouse.
// The control shows the owner's image or stack; it never owns or changes it.
//
// The placement and panning arithmetic is window-free (PlacePreviewAxis,
// PanPreviewAxis) and the pixel lookup is GetImagePixelColor.

#include <functional>

#include "imaging/LayerStack.h"
#include "imaging/RasterImage.h"
#include "shell/PaintedWindow.h"

enum PREVIEW_MODE { PREVIEW_MODE_PICK = 0, PREVIEW_MODE_PAN = 1 };

// One direction of the shown area's placement for a client extent and an
// image extent: centred ((client - image) / 2) when the image is smaller,
// else the scroll position clamped to client - image .. 0. Returns the new
// scroll position (the shown area starts there).
int PlacePreviewAxis(int client, int image, int scroll);
// One direction of a pan step: how far the image moves for a mouse move of
// `delta`, so that no gap opens at either edge (0 unless the image is larger
// than the client).
int PanPreviewAxis(int client, int image, int scroll, int delta);

// The colour of pixel (x, y) as blue, green, red, 0: palette entry of an
// indexed pixel, the pixel itself for 24 bits. False outside the image or
// where its mask is 0 (8-bit mask for 24-bit images, 1-bit otherwise).
bool GetImagePixelColor(const CRasterImage& image, int x, int y, RGBQUAD& out);

class CImagePreviewCtrl : public CPaintedWindow {
 public:
  using ColorPickCallback = std::function<void(const RGBQUAD&)>;

  CImagePreviewCtrl() = default;
  CImagePreviewCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxDefaultSize);
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);

  // The image shown (not owned; null for none). Its size is set apart.
  void SetImage(const CRasterImage* image) { m_pImage = image; }
  void SetImageSize(int width, int height);
  // Where the picked image lies inside the shown area.
  void SetImageOffset(int x, int y);
  // Shows a layer stack instead: the size becomes the stack's canvas size,
  // the offset (0, 0), the image none.
  void SetCanvas(CLayerStack* canvas);
  void CenterImage();
  void SetColorPickCallback(ColorPickCallback callback) { m_callback = std::move(callback); }
  void SetFaceBackground(bool face);
  void SetDrawFrame(bool frame);
  void SetMode(int mode);
  int GetMode() const { return m_nMode; }
  int GetScrollX() const { return m_nScrollX; }
  int GetScrollY() const { return m_nScrollY; }
  bool IsButtonDown() const { return m_bButtonDown; }

  // The shown area for the present client size (updates the scroll position).
  wxRect PlaceShownArea();
  // The mouse, as the window's events give it (tests call these directly).
  void MouseDown(const wxPoint& point);
  void MouseMove(const wxPoint& point);
  void MouseUp();

  void Render(wxDC& dc) override;
  wxColour GetPaintBackground() const override;

 private:
  void Pick(const wxPoint& point);
  void Pan(const wxPoint& point);

  const CRasterImage* m_pImage = nullptr;
  int16_t m_nOffsetX = 0, m_nOffsetY = 0;
  int16_t m_nWidth = 0, m_nHeight = 0;
  CLayerStack* m_pCanvas = nullptr;
  int m_nMode = PREVIEW_MODE_PAN;
  bool m_bButtonDown = false;
  int m_nScrollX = 0, m_nScrollY = 0;
  wxPoint m_last;
  ColorPickCallback m_callback;
  bool m_bFaceBackground = false;
  bool m_bDrawFrame = true;
};

// Band height of the preview's drawing, in rows.
constexpr int kPreviewBandHeight = 128;
