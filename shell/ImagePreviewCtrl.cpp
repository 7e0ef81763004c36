#include "shell/ImagePreviewCtrl.h"

#include <wx/dcclient.h>

#include <algorithm>

#include "imaging/PixelAccess.h"
#include "shell/DeviceDrawing.h"
#include "shell/DisplayDrawing.h"
#include "shell/UiTheme.h"

int PlacePreviewAxis(int client, int image, int scroll) {
  if (image < client) return (client - image) / 2;
  return std::clamp(scroll, client - image, 0);
}

int PanPreviewAxis(int client, int image, int scroll, int delta) {
  if (image <= client) return 0;
  return std::min(-scroll, std::max(client - scroll - image, delta));
}

bool GetImagePixelColor(const CRasterImage& image, int x, int y, RGBQUAD& out) {
  if (image.IsEmpty() || x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) return false;
  const int bpp = image.GetBitsPerPixel();
  if (image.HasValidMask()) {
    const uint8_t* mask = image.GetMaskRow(y);
    const bool opaque = bpp == 24 ? mask[x] != 0 : GetPixel1(mask, static_cast<int16_t>(x)) != 0;
    if (!opaque) return false;
  }
  const uint8_t* row = image.GetRow(y);
  if (bpp == 24) {
    out = MakeRGBQuad(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
    return true;
  }
  const PIXELGETPROC get = GetPixelGetter(bpp);
  if (!get) return false;
  const int index = get(row, static_cast<int16_t>(x));
  const RGBQUAD* palette = image.GetPalette();
  if (!palette || index >= image.GetPaletteSize()) return false;
  out = palette[index];
  out.rgbReserved = 0;
  return true;
}

CImagePreviewCtrl::CImagePreviewCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  Create(parent, id, pos, size);
}

bool CImagePreviewCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  if (!CPaintedWindow::Create(parent, id, pos, size, 0, "imagepreview")) return false;
  SetMode(PREVIEW_MODE_PAN);
  Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) {
    if (!HasCapture()) CaptureMouse();
    MouseDown(e.GetPosition());
    e.Skip();
  });
  Bind(wxEVT_MOTION, [this](wxMouseEvent& e) {
    MouseMove(e.GetPosition());
    e.Skip();
  });
  Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) {
    MouseUp();
    if (HasCapture()) ReleaseMouse();
    e.Skip();
  });
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { MouseUp(); });
  return true;
}

void CImagePreviewCtrl::SetImageSize(int width, int height) {
  m_nWidth = static_cast<int16_t>(width);
  m_nHeight = static_cast<int16_t>(height);
}

void CImagePreviewCtrl::SetImageOffset(int x, int y) {
  m_nOffsetX = static_cast<int16_t>(x);
  m_nOffsetY = static_cast<int16_t>(y);
}

void CImagePreviewCtrl::SetCanvas(CLayerStack* canvas) {
  m_pCanvas = canvas;
  int32_t w = 0, h = 0;
  if (canvas) canvas->GetSize(&w, &h);
  SetImageSize(w, h);
  SetImageOffset(0, 0);
  m_pImage = nullptr;
}

void CImagePreviewCtrl::CenterImage() {
  const wxSize c = GetClientSize();
  m_nScrollX = (c.x - m_nWidth) / 2;
  m_nScrollY = (c.y - m_nHeight) / 2;
}

void CImagePreviewCtrl::SetFaceBackground(bool face) {
  m_bFaceBackground = face;
  if (GetHandle()) Refresh();
}

void CImagePreviewCtrl::SetDrawFrame(bool frame) {
  m_bDrawFrame = frame;
  if (GetHandle()) Refresh();
}

void CImagePreviewCtrl::SetMode(int mode) {
  SetCursor(wxCursor(mode == PREVIEW_MODE_PAN ? wxCURSOR_HAND : wxCURSOR_CROSS));
  m_nMode = mode;
}

wxRect CImagePreviewCtrl::PlaceShownArea() {
  const wxSize c = GetClientSize();
  m_nScrollX = PlacePreviewAxis(c.x, m_nWidth, m_nScrollX);
  m_nScrollY = PlacePreviewAxis(c.y, m_nHeight, m_nScrollY);
  return wxRect(m_nScrollX, m_nScrollY, m_nWidth, m_nHeight);
}

wxColour CImagePreviewCtrl::GetPaintBackground() const {
  return ThemeColour(m_bFaceBackground ? wxSYS_COLOUR_BTNFACE : wxSYS_COLOUR_WINDOW);
}

void CImagePreviewCtrl::Render(wxDC& dc) {
  const wxSize c = GetRenderSize();
  const wxRect shown = PlaceShownArea();
  const Rect area{shown.x, shown.y, shown.x + shown.width, shown.y + shown.height};
  const Rect client{0, 0, c.x, c.y};
  // The background around the shown area.
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(GetPaintBackground()));
  const Rect parts[4] = {Rect{0, 0, c.x, area.top}, Rect{0, area.bottom, c.x, c.y},
                         Rect{0, area.top, area.left, area.bottom}, Rect{area.right, area.top, c.x, area.bottom}};
  for (Rect r : parts) {
    r = Rect{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, c.x), std::min(r.bottom, c.y)};
    if (!r.IsEmpty()) dc.DrawRectangle(r.left, r.top, r.Width(), r.Height());
  }
  if (!area.IsEmpty()) {
    if (m_bDrawFrame) {
      dc.SetPen(*wxBLACK_PEN);
      DrawRectOutline(dc, area);
    }
    if (!m_bFaceBackground) DrawStippledShadow(dc, client, area, (m_nScrollX + m_nScrollY) & 1);
  }
  // The image.
  if (!m_pImage && !m_pCanvas) return;
  dc.SetClippingRegion(0, 0, c.x, c.y);
  if (m_pCanvas) {
    DrawLayerStack(dc, area, kPreviewBandHeight, *m_pCanvas);
  } else if (!m_pImage->IsEmpty()) {
    CLayerStack stack(m_nWidth, m_nHeight);
    stack.AddImage(*m_pImage, 0, 0);
    DrawLayerStack(dc, area, kPreviewBandHeight, stack);
  }
  dc.DestroyClippingRegion();
}

void CImagePreviewCtrl::Pick(const wxPoint& point) {
  if (!m_pImage) return;
  RGBQUAD colour;
  if (GetImagePixelColor(*m_pImage, point.x - m_nScrollX - m_nOffsetX, point.y - m_nScrollY - m_nOffsetY, colour) &&
      m_callback)
    m_callback(colour);
}

void CImagePreviewCtrl::Pan(const wxPoint& point) {
  const wxSize c = GetClientSize();
  const int dx = PanPreviewAxis(c.x, m_nWidth, m_nScrollX, point.x - m_last.x);
  const int dy = PanPreviewAxis(c.y, m_nHeight, m_nScrollY, point.y - m_last.y);
  m_nScrollX += dx;
  m_nScrollY += dy;
  m_last = point;
  if ((dx || dy) && GetHandle()) {
    // The window system moves what is shown; only the uncovered strips are
    // painted anew.
    ScrollWindow(dx, dy);
  }
}

void CImagePreviewCtrl::MouseDown(const wxPoint& point) {
  m_bButtonDown = true;
  m_last = point;
  if (m_nMode == PREVIEW_MODE_PAN) SetCursor(wxCursor(wxCURSOR_SIZING));
  else Pick(point);
}

void CImagePreviewCtrl::MouseMove(const wxPoint& point) {
  if (!m_bButtonDown) return;
  if (m_nMode == PREVIEW_MODE_PICK) Pick(point);
  else Pan(point);
}

void CImagePreviewCtrl::MouseUp() {
  if (m_nMode == PREVIEW_MODE_PAN && m_bButtonDown) SetCursor(wxCursor(wxCURSOR_HAND));
  m_bButtonDown = false;
}
