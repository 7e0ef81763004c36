#include "editor/CropRectCtrl.h"

#include <wx/dc.h>
#include <wx/settings.h>

#include "imaging/LayerStack.h"
#include "shell/DeviceDrawing.h"

namespace {

constexpr int kBandHeight = 64;
// How dark the area outside the rectangle gets: black at this alpha.
constexpr uint8_t kShadeAlpha = 100;

}  // namespace

wxStockCursor CropCursorFor(int mode) {
  switch (mode) {
    case CROP_DRAG_TOP_LEFT:
    case CROP_DRAG_BOTTOM_RIGHT:
      return wxCURSOR_SIZENWSE;
    case CROP_DRAG_TOP:
    case CROP_DRAG_BOTTOM:
      return wxCURSOR_SIZENS;
    case CROP_DRAG_TOP_RIGHT:
    case CROP_DRAG_BOTTOM_LEFT:
      return wxCURSOR_SIZENESW;
    case CROP_DRAG_LEFT:
    case CROP_DRAG_RIGHT:
      return wxCURSOR_SIZEWE;
    case CROP_DRAG_MOVE:
      return wxCURSOR_SIZING;
    default:
      return wxCURSOR_ARROW;
  }
}

CCropRectCtrl::CCropRectCtrl(wxWindow* parent, wxWindowID id, const CRasterImage& image, const wxPoint& pos,
                             const wxSize& size)
    : CPaintedWindow(parent, id, pos, size, 0, "crop"),
      m_image(image),
      m_rect(image.GetWidth(), image.GetHeight()) {
  m_rect.SetAspect(-1.0);
  Bind(wxEVT_LEFT_DOWN, &CCropRectCtrl::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CCropRectCtrl::OnLeftUp, this);
  Bind(wxEVT_MOTION, &CCropRectCtrl::OnMotion, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CCropRectCtrl::OnCaptureLost, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    Refresh();
    event.Skip();
  });
}

void CCropRectCtrl::SetLabel(wxStaticText* label) {
  m_label = label;
  WriteSizeText();
}

void CCropRectCtrl::SetAspect(double ratio) {
  m_rect.SetAspect(ratio);
  Refresh();
  WriteSizeText();
}

Rect CCropRectCtrl::GetImageRect() const {
  const wxSize c = GetClientSize();
  return CropImageRect(c.x, c.y, m_image.GetWidth(), m_image.GetHeight());
}

wxColour CCropRectCtrl::GetPaintBackground() const { return wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE); }

void CCropRectCtrl::WriteSizeText() {
  if (m_label) m_label->SetLabel(wxString::FromUTF8(m_rect.GetSizeText()));
}

void CCropRectCtrl::Changed() {
  Refresh();
  Update();
  WriteSizeText();
}

void CCropRectCtrl::UpdateCursor(int mode) {
  if (mode == m_cursorMode) return;
  m_cursorMode = mode;
  SetCursor(wxCursor(CropCursorFor(mode)));
}

void CCropRectCtrl::MouseDown(const wxPoint& point) {
  const int mode = m_rect.HitTest(point.x, point.y, GetImageRect());
  if (mode == CROP_DRAG_NONE) return;
  m_mode = mode;
  m_last = point;
}

void CCropRectCtrl::MouseMove(const wxPoint& point) {
  if (m_mode == CROP_DRAG_NONE) {
    UpdateCursor(m_rect.HitTest(point.x, point.y, GetImageRect()));
    return;
  }
  m_rect.Drag(m_mode, point.x, point.y, m_last.x, m_last.y, GetImageRect());
  m_last = point;
  Changed();
}

void CCropRectCtrl::MouseUp() { m_mode = CROP_DRAG_NONE; }

void CCropRectCtrl::OnLeftDown(wxMouseEvent& event) {
  MouseDown(event.GetPosition());
  if (m_mode != CROP_DRAG_NONE && !HasCapture()) CaptureMouse();
}

void CCropRectCtrl::OnLeftUp(wxMouseEvent& event) {
  if (m_mode == CROP_DRAG_NONE) return;
  MouseUp();
  if (HasCapture()) ReleaseMouse();
}

void CCropRectCtrl::OnMotion(wxMouseEvent& event) { MouseMove(event.GetPosition()); }

// The drag ends where it was (the rectangle keeps its last shape).
void CCropRectCtrl::OnCaptureLost(wxMouseCaptureLostEvent&) { MouseUp(); }

void CCropRectCtrl::Render(wxDC& dc) {
  const Rect target = GetImageRect();
  const int W = m_image.GetWidth(), H = m_image.GetHeight();
  if (!target.IsEmpty() && W > 0 && H > 0) {
    // The image, with black at alpha 100 over the strips outside the
    // rectangle (in image pixels).
    const Rect r = m_rect.GetPixelRect();
    const int L = r.left, T = r.top, R = W - r.right, B = H - r.bottom;
    CLayerStack stack(W, H);
    stack.AddImage(m_image, 0, 0);
    if (L > 0) stack.AddColorRect(0, 0, 0, kShadeAlpha, 0, T, L, H - B - T);
    if (R > 0) stack.AddColorRect(0, 0, 0, kShadeAlpha, W - R, T, R, H - B - T);
    if (T > 0) stack.AddColorRect(0, 0, 0, kShadeAlpha, 0, 0, W, T);
    if (B > 0) stack.AddColorRect(0, 0, 0, kShadeAlpha, 0, H - B, W, B);
    DrawLayerStack(dc, target, kBandHeight, stack);
  }
  // The handles: black outline, white inside.
  dc.SetPen(*wxBLACK_PEN);
  dc.SetBrush(*wxWHITE_BRUSH);
  for (int mode = CROP_DRAG_TOP_LEFT; mode <= CROP_DRAG_BOTTOM_RIGHT; ++mode) {
    const Rect h = m_rect.GetHandleRect(mode, target);
    dc.DrawRectangle(h.left, h.top, h.Width(), h.Height());
  }
}
