#pragma once
// Remove Red Eye: the user drags a zoomed picture of the untouched image
// until a pupil sits under the centre mark, sets the pupil size and presses
// Apply for each eye; the pupil disc loses its colour (RemoveRedEye in
// imaging/Effects.h). Apply makes the eye just previewed part of the image
// the next previews start from; OK keeps the eye under the mark too.

#include <functional>

#include "editor/EffectTool.h"
#include "imaging/Effects.h"
#include "shell/PaintedWindow.h"

class wxSlider;
class wxStaticText;

// Control ids of the panel.
enum RED_EYE_CONTROL_ID {
  IDC_RED_EYE_IMAGE = 1132,
  IDC_RED_EYE_APPLY = 1338,
  IDC_RED_EYE_ZOOM = 1425,
  IDC_RED_EYE_PUPIL = 1426,
  IDC_RED_EYE_ZOOM_LABEL = 1427,
  IDC_RED_EYE_PUPIL_LABEL = 1428,
};

class CRedEyeTool : public CEffectTool {
 public:
  explicit CRedEyeTool(CEditHost* host) : CEffectTool(host, true), m_working(m_copy) {}
  std::string GetName() const override { return "Remove Red Eye"; }
  // live = the working image with the pupil under the mark made colourless.
  void UpdatePreview() override;
  // working image = live: the eye just previewed stays fixed.
  void Apply() override;
  const CRasterImage& GetWorking() const { return m_working; }
  // The pupil square in image pixels, set by the panel.
  Rect m_pupil;

 private:
  CRasterImage m_working;
};

// The zoomed picture with the pupil mark at its centre. Dragging moves the
// picture under the fixed mark.
class CRedEyeImageCtrl : public CPaintedWindow {
 public:
  CRedEyeImageCtrl(wxWindow* parent, wxWindowID id, const CRasterImage* image, const wxSize& size);
  // Zoom percent; pupil percent of the smaller side, clamped to 1..100.
  void SetZoom(int zoom, int pupil);
  int GetZoom() const { return m_nZoom; }
  int GetPupil() const { return m_nPupil; }
  int GetPupilScreenSize() const;
  Rect GetPupilRect() const;
  wxPoint GetCentre() const { return {m_nCentreX, m_nCentreY}; }
  void SetCentre(int x, int y);
  // Called with the control's id while a drag moves the picture and when it ends.
  void SetListener(std::function<void(int)> changing, std::function<void(int)> changed) {
    m_onChanging = std::move(changing);
    m_onChanged = std::move(changed);
  }
  void Render(wxDC& dc) override;

 private:
  void OnMouse(wxMouseEvent& event);
  const CRasterImage* m_pImage;
  int m_nCentreX = 0, m_nCentreY = 0;
  int m_nZoom = 100;
  int m_nPupil = 10;
  wxPoint m_dragStart;
  wxPoint m_dragCentre;
  bool m_bDragging = false;
  std::function<void(int)> m_onChanging, m_onChanged;
};

class CRedEyeDialog : public CEffectDialog {
 public:
  explicit CRedEyeDialog(CEditHost* host);
  CRedEyeTool* Tool() const { return static_cast<CRedEyeTool*>(GetTool()); }
  CRedEyeImageCtrl* GetImageCtrl() const { return m_image; }

 protected:
  void BuildControls(wxBoxSizer* sizer) override;

 private:
  // The tool's pupil from the control, then a preview.
  void Preview();
  void UpdateLabels();
  CRedEyeImageCtrl* m_image = nullptr;
  wxSlider* m_zoom = nullptr;
  wxSlider* m_pupil = nullptr;
  wxStaticText* m_zoomLabel = nullptr;
  wxStaticText* m_pupilLabel = nullptr;
};
