#include "editor/RedEyeEffect.h"

#include <wx/button.h>
#include <wx/dc.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <algorithm>
#include <vector>

// --- the tool ---------------------------------------------------------------------

void CRedEyeTool::UpdatePreview() {
  if (m_pLive) {
    CRasterImage result = RemoveRedEye(m_working, m_pupil);
    *m_pLive = result.IsEmpty() ? m_working : std::move(result);
  }
  Refresh();
}

void CRedEyeTool::Apply() {
  if (m_pLive) m_working = *m_pLive;
}

// --- the picture with the mark -----------------------------------------------------

CRedEyeImageCtrl::CRedEyeImageCtrl(wxWindow* parent, wxWindowID id, const CRasterImage* image, const wxSize& size)
    : CPaintedWindow(parent, id, wxDefaultPosition, size, wxBORDER_NONE), m_pImage(image) {
  SetMinSize(size);
  if (m_pImage) {
    m_nCentreX = m_pImage->GetWidth() / 2;
    m_nCentreY = m_pImage->GetHeight() / 2;
  }
  SetCursor(wxCursor(wxCURSOR_HAND));
  Bind(wxEVT_LEFT_DOWN, &CRedEyeImageCtrl::OnMouse, this);
  Bind(wxEVT_LEFT_UP, &CRedEyeImageCtrl::OnMouse, this);
  Bind(wxEVT_MOTION, &CRedEyeImageCtrl::OnMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
    if (!m_bDragging) return;
    m_bDragging = false;
    SetCursor(wxCursor(wxCURSOR_HAND));
    if (m_onChanged) m_onChanged(GetId());
  });
}

void CRedEyeImageCtrl::SetZoom(int zoom, int pupil) {
  m_nZoom = std::max(1, zoom);
  m_nPupil = std::clamp(pupil, 1, 100);
  Refresh(false);
}

int CRedEyeImageCtrl::GetPupilScreenSize() const {
  const wxSize size = GetClientSize();
  return RedEyePupilScreenSize(size.x, size.y, m_nPupil);
}

Rect CRedEyeImageCtrl::GetPupilRect() const {
  return RedEyePupilRect(m_nCentreX, m_nCentreY, GetPupilScreenSize(), m_nZoom);
}

void CRedEyeImageCtrl::SetCentre(int x, int y) {
  if (!m_pImage || m_pImage->IsEmpty()) return;
  m_nCentreX = std::clamp(x, 0, m_pImage->GetWidth() - 1);
  m_nCentreY = std::clamp(y, 0, m_pImage->GetHeight() - 1);
  Refresh(false);
}

void CRedEyeImageCtrl::Render(wxDC& dc) {
  const wxSize size = GetRenderSize();
  if (size.x <= 0 || size.y <= 0) return;
  wxImage picture(size.x, size.y);
  unsigned char* out = picture.GetData();
  const wxColour back = GetPaintBackground();
  const int X = size.x / 2, Y = size.y / 2;
  const bool image = m_pImage && !m_pImage->IsEmpty() && m_pImage->GetBitsPerPixel() == 24;
  const int64_t iw = image ? m_pImage->GetWidth() : 0, ih = image ? m_pImage->GetHeight() : 0;
  // The image scaled to zoom percent, pixel (centre x, centre y) at the centre.
  const int64_t dw = iw * m_nZoom / 100, dh = ih * m_nZoom / 100;
  const int64_t left = X - int64_t{m_nZoom} * m_nCentreX / 100, top = Y - int64_t{m_nZoom} * m_nCentreY / 100;
  const bool masked = image && m_pImage->HasValidMask() && m_pImage->GetMaskBitsPerPixel() == 8;
  for (int y = 0; y < size.y; ++y) {
    const int64_t sy = dh > 0 ? (y - top) * ih / dh : -1;
    const bool rowIn = y >= top && y < top + dh && sy >= 0 && sy < ih;
    for (int x = 0; x < size.x; ++x, out += 3) {
      const int64_t sx = dw > 0 ? (x - left) * iw / dw : -1;
      out[0] = back.Red();
      out[1] = back.Green();
      out[2] = back.Blue();
      if (!rowIn || x < left || x >= left + dw || sx < 0 || sx >= iw) continue;
      const uint8_t* p = m_pImage->GetRow(static_cast<int32_t>(sy)) + sx * 3;
      const int a = masked ? m_pImage->GetMaskRow(static_cast<int32_t>(sy))[sx] : 255;
      out[0] = static_cast<unsigned char>((p[0] * a + out[0] * (255 - a)) / 255);
      out[1] = static_cast<unsigned char>((p[1] * a + out[1] * (255 - a)) / 255);
      out[2] = static_cast<unsigned char>((p[2] * a + out[2] * (255 - a)) / 255);
    }
  }
  // The mark, inverting what lies under it: a cross of 2l + 1 pixels and the
  // corner brackets of the square of side 4l around the centre.
  const int l = GetPupilScreenSize() / 2;
  std::vector<uint8_t> done(static_cast<size_t>(size.x) * size.y, 0);
  unsigned char* data = picture.GetData();
  const auto invert = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= size.x || y >= size.y) return;
    uint8_t& seen = done[static_cast<size_t>(y) * size.x + x];
    if (seen) return;
    seen = 1;
    unsigned char* p = data + (static_cast<size_t>(y) * size.x + x) * 3;
    p[0] = static_cast<unsigned char>(255 - p[0]);
    p[1] = static_cast<unsigned char>(255 - p[1]);
    p[2] = static_cast<unsigned char>(255 - p[2]);
  };
  const auto hline = [&](int x0, int x1, int y) {
    for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x) invert(x, y);
  };
  const auto vline = [&](int x, int y0, int y1) {
    for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y) invert(x, y);
  };
  hline(X - l, X + l, Y);
  vline(X, Y - l, Y + l);
  const int s = 2 * l;
  for (const int sxn : {-1, 1})
    for (const int syn : {-1, 1}) {
      const int cx = X + sxn * s, cy = Y + syn * s;
      hline(cx, cx - sxn * l, cy);
      vline(cx, cy, cy - syn * l);
    }
  dc.DrawBitmap(wxBitmap(picture), 0, 0);
}

void CRedEyeImageCtrl::OnMouse(wxMouseEvent& event) {
  if (event.LeftDown()) {
    m_dragStart = event.GetPosition();
    m_dragCentre = {m_nCentreX, m_nCentreY};
    m_bDragging = true;
    SetCursor(wxCursor(wxCURSOR_SIZING));
    if (!HasCapture()) CaptureMouse();
  } else if (event.Dragging() && m_bDragging) {
    const wxPoint p = event.GetPosition();
    SetCentre(m_dragCentre.x - (p.x - m_dragStart.x) * 100 / m_nZoom,
              m_dragCentre.y - (p.y - m_dragStart.y) * 100 / m_nZoom);
    Update();
    if (m_onChanging) m_onChanging(GetId());
  } else if (event.LeftUp() && m_bDragging) {
    m_bDragging = false;
    SetCursor(wxCursor(wxCURSOR_HAND));
    if (HasCapture()) ReleaseMouse();
    if (m_onChanged) m_onChanged(GetId());
  } else {
    event.Skip();
  }
}

// --- the panel --------------------------------------------------------------------

CRedEyeDialog::CRedEyeDialog(CEditHost* host) : CEffectDialog(std::make_unique<CRedEyeTool>(host)) {}

void CRedEyeDialog::BuildControls(wxBoxSizer* sizer) {
  m_image = new CRedEyeImageCtrl(this, IDC_RED_EYE_IMAGE, &Tool()->GetCopy(), wxSize(180, 180));
  sizer->Add(m_image, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 8);
  m_zoom = AddSlider(sizer, IDC_RED_EYE_ZOOM, 50, 0, 100, &m_zoomLabel);
  m_zoomLabel->SetId(IDC_RED_EYE_ZOOM_LABEL);
  m_pupil = AddSlider(sizer, IDC_RED_EYE_PUPIL, 10, 1, 100, &m_pupilLabel);
  m_pupilLabel->SetId(IDC_RED_EYE_PUPIL_LABEL);
  auto* apply = new wxButton(this, IDC_RED_EYE_APPLY, "Apply");
  sizer->Add(apply, 0, wxALIGN_RIGHT | wxRIGHT | wxTOP, 8);
  m_image->SetZoom(100, 10);
  m_image->SetListener([this](int) { Preview(); }, [this](int) { Preview(); });
  const auto changed = [this](wxCommandEvent&) {
    m_image->SetZoom(RedEyeZoomPercent(m_zoom->GetValue()), m_pupil->GetValue());
    UpdateLabels();
    Preview();
  };
  m_zoom->Bind(wxEVT_SLIDER, changed);
  m_pupil->Bind(wxEVT_SLIDER, changed);
  apply->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    Tool()->m_pupil = m_image->GetPupilRect();
    Apply();
  });
  UpdateLabels();
  Tool()->m_pupil = m_image->GetPupilRect();
}

void CRedEyeDialog::Preview() {
  Tool()->m_pupil = m_image->GetPupilRect();
  UpdatePreview();
}

void CRedEyeDialog::UpdateLabels() {
  m_zoomLabel->SetLabel(wxString::Format("Zoom factor: %d%%", m_image->GetZoom()));
  const Rect r = m_image->GetPupilRect();
  m_pupilLabel->SetLabel(wxString::Format("Pupil size: %d pixels", r.right - r.left));
}
