#pragma once
// The effects with their panels: Brightness && Contrast, Sepia, Adjust
// Transparency, Blur and Emboss. Each tool turns its parameters into the
// live image (imaging/Effects.h, imaging/Filters.h do the pixels); each
// panel edits only the parameters and asks its tool for previews.

#include <wx/window.h>

#include "editor/EffectTool.h"
#include "imaging/Effects.h"

class CHistogramCtrl;
class wxRadioButton;
class wxSlider;
class wxStaticText;

// Control ids of the panels.
enum EFFECT_CONTROL_ID {
  IDC_EFFECT_BRIGHTNESS = 1174,
  IDC_EFFECT_CONTRAST = 1175,
  IDC_EFFECT_RESET = 1176,
  IDC_EFFECT_TRANSPARENCY = 1177,
  IDC_EFFECT_AZIMUTH = 1178,
  IDC_EFFECT_ELEVATION = 1179,
  IDC_EFFECT_BLUR_AMOUNT = 1395,
  IDC_EFFECT_BLUR_BOTH = 1396,
  IDC_EFFECT_BLUR_HORIZONTAL = 1397,
  IDC_EFFECT_BLUR_VERTICAL = 1398,
  IDC_EFFECT_BLEND = 1417,
  IDC_EFFECT_SWATCH = 1424,
  IDC_EFFECT_HISTOGRAM = 1429,
};

// --- Brightness && Contrast -----------------------------------------------------
class CBrightnessContrastTool : public CEffectTool {
 public:
  explicit CBrightnessContrastTool(CEditHost* host) : CEffectTool(host, true) {}
  std::string GetName() const override { return "Brightness && Contrast"; }
  void UpdatePreview() override;
  BRIGHTNESS_CONTRAST_PARAMS m_params;
  uint8_t m_table[256] = {};

 protected:
  CRasterImage ComputeEffect(const CRasterImage& source, int reduce) const override;
};

class CBrightnessContrastDialog : public CEffectDialog {
 public:
  explicit CBrightnessContrastDialog(CEditHost* host);
  CBrightnessContrastTool* Tool() const { return static_cast<CBrightnessContrastTool*>(GetTool()); }
  CHistogramCtrl* GetHistogram() const { return m_histogram; }

 protected:
  void BuildControls(wxBoxSizer* sizer) override;
  void OnPreviewDone() override;

 private:
  void ReadSliders();
  wxSlider* m_brightness = nullptr;
  wxSlider* m_contrast = nullptr;
  wxStaticText* m_brightnessLabel = nullptr;
  wxStaticText* m_contrastLabel = nullptr;
  CHistogramCtrl* m_histogram = nullptr;
};

// --- Sepia ------------------------------------------------------------------------
class CSepiaTool : public CEffectTool {
 public:
  explicit CSepiaTool(CEditHost* host) : CEffectTool(host, true) {}
  std::string GetName() const override { return "Sepia"; }
  void UpdatePreview() override;
  SEPIA_PARAMS m_params;
  // How often the colourisation was computed (the blend alone reuses it).
  int m_nColorizeCount = 0;

 protected:
  CRasterImage ComputeEffect(const CRasterImage& source, int reduce) const override;

 private:
  CRasterImage m_cache;
  double m_cachedHue = -1.0;
  double m_cachedSaturation = -1.0;
};

// A hue-by-saturation field: hue across (x), saturation down (y); a press or
// a drag moves the marker and reports the change.
class CColorSwatch : public wxWindow {
 public:
  CColorSwatch(wxWindow* parent, wxWindowID id, const wxSize& size);
  void SetXValue(double value);
  void SetYValue(double value);
  void SetYRange(double minimum, double maximum);
  double GetXValue() const { return m_x; }
  double GetYValue() const { return m_y; }
  // Called on a press, a drag and a release.
  void SetOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnMouse(wxMouseEvent& event);
  void SetFromPoint(const wxPoint& point);
  double m_xMin = 0.0, m_xMax = 6.283185307179586, m_x = 0.0;
  double m_yMin = 0.0, m_yMax = 1.0, m_y = 0.0;
  bool m_bTracking = false;
  std::function<void()> m_onChange;
};

class CSepiaDialog : public CEffectDialog {
 public:
  explicit CSepiaDialog(CEditHost* host);
  CSepiaTool* Tool() const { return static_cast<CSepiaTool*>(GetTool()); }
  CColorSwatch* GetSwatch() const { return m_swatch; }

 protected:
  void BuildControls(wxBoxSizer* sizer) override;
  void LoadSettings() override;
  void SaveSettings() override;

 private:
  void UpdateLabel();
  CColorSwatch* m_swatch = nullptr;
  wxSlider* m_blend = nullptr;
  wxStaticText* m_blendLabel = nullptr;
  // The stored values, written back as read when the swatch was not touched.
  int m_nStoredHue = 40;
  int m_nStoredSaturation = 15;
  bool m_bSwatchTouched = false;
};

// --- Adjust Transparency --------------------------------------------------------
class CTransparencyTool : public CEffectTool {
 public:
  explicit CTransparencyTool(CEditHost* host) : CEffectTool(host, true) {}
  std::string GetName() const override { return "Transparency"; }
  void UpdatePreview() override;
  int m_nPosition = 64;  // 0..128, 64 unchanged
};

// The image (or selection) with its opacity scaled by the position 0..128
// (64 unchanged): empty when it becomes fully transparent. A 1-bit mask or a
// maskless non-24-bit image is first made 24-bit so partial alpha can be held.
CRasterImage ScaleTransparency(const CRasterImage& source, int position, bool* removed);

class CTransparencyDialog : public CEffectDialog {
 public:
  explicit CTransparencyDialog(CEditHost* host);
  CTransparencyTool* Tool() const { return static_cast<CTransparencyTool*>(GetTool()); }

 protected:
  void BuildControls(wxBoxSizer* sizer) override;
  bool PreviewAtStart() const override { return false; }

 private:
  void UpdateLabel();
  wxSlider* m_slider = nullptr;
  wxStaticText* m_label = nullptr;
};

// --- Blur -------------------------------------------------------------------------
class CBlurTool : public CEffectTool {
 public:
  explicit CBlurTool(CEditHost* host) : CEffectTool(host, true) {}
  std::string GetName() const override { return "Blur"; }
  void UpdatePreview() override;
  BLUR_PARAMS m_params;
  int m_nBlurCount = 0;

 protected:
  // At a reduced zoom the radius shrinks with the picture.
  CRasterImage ComputeEffect(const CRasterImage& source, int reduce) const override;
  int GetEffectMargin(int reduce) const override { return m_params.amount + 2 * reduce; }

 private:
  CRasterImage m_cache;
  int m_nCachedAmount = -1;
  int m_nCachedDirection = 3;
};

class CBlurDialog : public CEffectDialog {
 public:
  explicit CBlurDialog(CEditHost* host);
  CBlurTool* Tool() const { return static_cast<CBlurTool*>(GetTool()); }

 protected:
  void BuildControls(wxBoxSizer* sizer) override;
  void LoadSettings() override;
  void SaveSettings() override;

 private:
  void UpdateLabels();
  wxSlider* m_amount = nullptr;
  wxSlider* m_blend = nullptr;
  wxStaticText* m_amountLabel = nullptr;
  wxStaticText* m_blendLabel = nullptr;
};

// --- Emboss -----------------------------------------------------------------------
class CEmbossTool : public CEffectTool {
 public:
  explicit CEmbossTool(CEditHost* host) : CEffectTool(host, true) {}
  std::string GetName() const override { return "Emboss"; }
  void UpdatePreview() override;
  int m_nAzimuth = 0;     // degrees 0..360
  int m_nElevation = 45;  // degrees 0..90

 protected:
  CRasterImage ComputeEffect(const CRasterImage& source, int reduce) const override;
  int GetEffectMargin(int reduce) const override { return 4 * reduce; }
};

class CEmbossDialog : public CEffectDialog {
 public:
  explicit CEmbossDialog(CEditHost* host);
  CEmbossTool* Tool() const { return static_cast<CEmbossTool*>(GetTool()); }

 protected:
  void BuildControls(wxBoxSizer* sizer) override;
  void LoadSettings() override;
  void SaveSettings() override;

 private:
  void UpdateLabels();
  wxSlider* m_azimuth = nullptr;
  wxSlider* m_elevation = nullptr;
  wxStaticText* m_azimuthLabel = nullptr;
  wxStaticText* m_elevationLabel = nullptr;
};
