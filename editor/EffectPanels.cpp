#include "editor/EffectPanels.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

#include "base/Profile.h"
#include "imaging/ColorConversion.h"
#include "imaging/ColorFunctions.h"
#include "imaging/Filters.h"
#include "shell/HistogramCtrl.h"

namespace {

constexpr double kPi = 3.141592653589793;
const char* const kSepiaSection = "Effects\\Sepia";
const char* const kBlurSection = "Effects\\Blur";
const char* const kEmbossSection = "Effects\\Emboss";

wxString Format(const char* format, int value) { return wxString::Format(wxString::FromUTF8(format), value); }

}  // namespace

// --- Brightness && Contrast -----------------------------------------------------

void CBrightnessContrastTool::UpdatePreview() {
  m_params.Clamp();
  BuildBrightnessContrastTable(m_params, m_table);
  if (!PreviewReduced()) ApplyLookupTable(m_table);
  Refresh();
}

CRasterImage CBrightnessContrastTool::ComputeEffect(const CRasterImage& source, int) const {
  return ::ApplyLookupTable(source, m_table);
}

CBrightnessContrastDialog::CBrightnessContrastDialog(CEditHost* host)
    : CEffectDialog(std::make_unique<CBrightnessContrastTool>(host)) {}

void CBrightnessContrastDialog::BuildControls(wxBoxSizer* sizer) {
  m_histogram = new CHistogramCtrl(this, IDC_EFFECT_HISTOGRAM, Tool()->GetLive(), wxDefaultPosition,
                                   wxSize(160, 80));
  sizer->Add(m_histogram, 0, wxEXPAND | wxALL, 8);
  const auto& params = Tool()->m_params;
  m_brightness = AddSlider(sizer, IDC_EFFECT_BRIGHTNESS, params.brightness, -128, 128, &m_brightnessLabel);
  m_contrast = AddSlider(sizer, IDC_EFFECT_CONTRAST, params.contrast, -128, 128, &m_contrastLabel);
  auto* reset = new wxButton(this, IDC_EFFECT_RESET, "Reset");
  sizer->Add(reset, 0, wxALIGN_RIGHT | wxRIGHT | wxTOP, 8);
  ReadSliders();
  const auto changed = [this](wxCommandEvent&) {
    ReadSliders();
    UpdatePreview();
  };
  m_brightness->Bind(wxEVT_SLIDER, changed);
  m_contrast->Bind(wxEVT_SLIDER, changed);
  reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    m_brightness->SetValue(0);
    m_contrast->SetValue(0);
    ReadSliders();
    UpdatePreview();
  });
}

void CBrightnessContrastDialog::ReadSliders() {
  auto& params = Tool()->m_params;
  params.brightness = m_brightness->GetValue();
  params.contrast = m_contrast->GetValue();
  m_brightnessLabel->SetLabel(Format("Brightness: %+d", params.brightness));
  m_contrastLabel->SetLabel(Format("Contrast: %+d", params.contrast));
}

void CBrightnessContrastDialog::OnPreviewDone() {
  if (!m_histogram) return;
  m_histogram->SetImage(Tool()->GetShownImage());
  m_histogram->Recalculate();
}

// --- Sepia ------------------------------------------------------------------------

void CSepiaTool::UpdatePreview() {
  m_params.Clamp();
  if (PreviewReduced()) {
    // the view shows the part it needs
  } else if (m_params.blend >= 100) {
    SetLive(m_copy);
  } else {
    if (m_params.hue != m_cachedHue || m_params.saturation != m_cachedSaturation || m_cache.IsEmpty()) {
      m_cache = Colorize(m_copy, m_params);
      m_cachedHue = m_params.hue;
      m_cachedSaturation = m_params.saturation;
      ++m_nColorizeCount;
    }
    CRasterImage live = m_cache;
    if (!live.IsEmpty() && m_params.blend > 0) BlendImages(m_copy, live, m_params.blend);
    SetLive(std::move(live));
  }
  Refresh();
}

CRasterImage CSepiaTool::ComputeEffect(const CRasterImage& source, int) const {
  if (m_params.blend >= 100) return source;
  CRasterImage live = Colorize(source, m_params);
  if (!live.IsEmpty() && m_params.blend > 0) BlendImages(source, live, m_params.blend);
  return live;
}

CColorSwatch::CColorSwatch(wxWindow* parent, wxWindowID id, const wxSize& size)
    : wxWindow(parent, id, wxDefaultPosition, size, wxBORDER_NONE) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetMinSize(size);
  Bind(wxEVT_PAINT, &CColorSwatch::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CColorSwatch::OnMouse, this);
  Bind(wxEVT_LEFT_UP, &CColorSwatch::OnMouse, this);
  Bind(wxEVT_MOTION, &CColorSwatch::OnMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_bTracking = false; });
}

void CColorSwatch::SetXValue(double value) {
  m_x = std::clamp(value, m_xMin, m_xMax);
  Refresh(false);
}

void CColorSwatch::SetYValue(double value) {
  m_y = std::clamp(value, m_yMin, m_yMax);
  Refresh(false);
}

void CColorSwatch::SetYRange(double minimum, double maximum) {
  m_yMin = std::clamp(minimum, 0.0, 1.0);
  m_yMax = std::clamp(maximum, 0.0, 1.0);
  m_y = std::clamp(m_y, std::min(m_yMin, m_yMax), std::max(m_yMin, m_yMax));
  Refresh(false);
}

void CColorSwatch::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  if (size.x <= 0 || size.y <= 0) return;
  wxImage field(size.x, size.y);
  unsigned char* out = field.GetData();
  for (int y = 0; y < size.y; ++y) {
    const double saturation = m_yMin + y * (m_yMax - m_yMin) / size.y;
    for (int x = 0; x < size.x; ++x) {
      const double hue = m_xMin + x * (m_xMax - m_xMin) / size.x;
      double r = 0, g = 0, b = 0;
      HsiToRgb(hue, saturation, 0.5, &r, &g, &b);
      *out++ = static_cast<unsigned char>(std::clamp(r * 255.0, 0.0, 255.0));
      *out++ = static_cast<unsigned char>(std::clamp(g * 255.0, 0.0, 255.0));
      *out++ = static_cast<unsigned char>(std::clamp(b * 255.0, 0.0, 255.0));
    }
  }
  dc.DrawBitmap(wxBitmap(field), 0, 0);
  const double xStep = (m_xMax - m_xMin) / size.x, yStep = (m_yMax - m_yMin) / size.y;
  const int mx = xStep > 0 ? static_cast<int>((m_x - m_xMin) / xStep) : 0;
  const int my = yStep > 0 ? static_cast<int>((m_y - m_yMin) / yStep) : 0;
  dc.SetPen(*wxWHITE_PEN);
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.DrawRectangle(mx - 4, my - 4, 9, 9);
}

void CColorSwatch::SetFromPoint(const wxPoint& point) {
  const wxSize size = GetClientSize();
  if (size.x <= 0 || size.y <= 0) return;
  m_x = m_xMin + (m_xMax - m_xMin) / size.x * std::clamp(point.x, 0, size.x - 1);
  m_y = m_yMin + (m_yMax - m_yMin) / size.y * std::clamp(point.y, 0, size.y - 1);
  Refresh(false);
}

void CColorSwatch::OnMouse(wxMouseEvent& event) {
  if (event.LeftDown()) {
    SetFromPoint(event.GetPosition());
    m_bTracking = true;
    if (!HasCapture()) CaptureMouse();
  } else if (event.Dragging() && m_bTracking) {
    SetFromPoint(event.GetPosition());
  } else if (event.LeftUp() && m_bTracking) {
    m_bTracking = false;
    if (HasCapture()) ReleaseMouse();
  } else {
    event.Skip();
    return;
  }
  if (m_onChange) m_onChange();
}

CSepiaDialog::CSepiaDialog(CEditHost* host) : CEffectDialog(std::make_unique<CSepiaTool>(host)) {}

void CSepiaDialog::LoadSettings() {
  auto& params = Tool()->m_params;
  m_nStoredHue = std::clamp(GetProfileInt(kSepiaSection, "Hue", 40), 0, 360);
  m_nStoredSaturation = std::clamp(GetProfileInt(kSepiaSection, "Saturation", 15), 0, 100);
  params.hue = m_nStoredHue * 0.017453292519943295;
  params.saturation = m_nStoredSaturation * 0.01;
  params.blend = std::clamp(GetProfileInt(kSepiaSection, "Blend", params.blend), 0, 100);
}

void CSepiaDialog::SaveSettings() {
  const auto& params = Tool()->m_params;
  WriteProfileInt(kSepiaSection, "Hue",
                  m_bSwatchTouched ? static_cast<int>(std::lround(params.hue * 57.29577951308232)) : m_nStoredHue);
  WriteProfileInt(kSepiaSection, "Saturation",
                  m_bSwatchTouched ? static_cast<int>(std::lround(params.saturation * 100)) : m_nStoredSaturation);
  WriteProfileInt(kSepiaSection, "Blend", params.blend);
}

void CSepiaDialog::BuildControls(wxBoxSizer* sizer) {
  auto& params = Tool()->m_params;
  m_swatch = new CColorSwatch(this, IDC_EFFECT_SWATCH, wxSize(160, 80));
  m_swatch->SetYRange(0.0, 0.3);
  m_swatch->SetXValue(params.hue);
  m_swatch->SetYValue(params.saturation);
  sizer->Add(m_swatch, 0, wxEXPAND | wxALL, 8);
  m_blend = AddSlider(sizer, IDC_EFFECT_BLEND, params.blend, 0, 100, &m_blendLabel);
  UpdateLabel();
  m_swatch->SetOnChange([this] {
    auto& p = Tool()->m_params;
    p.hue = m_swatch->GetXValue();
    p.saturation = m_swatch->GetYValue();
    m_bSwatchTouched = true;
    UpdatePreview();
  });
  m_blend->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) {
    Tool()->m_params.blend = m_blend->GetValue();
    UpdateLabel();
    UpdatePreview();
  });
}

void CSepiaDialog::UpdateLabel() { m_blendLabel->SetLabel(Format("Blend with original: %d%%", m_blend->GetValue())); }

// --- Adjust Transparency --------------------------------------------------------

CRasterImage ScaleTransparency(const CRasterImage& source, int position, bool* removed) {
  *removed = false;
  position = std::clamp(position, 0, 128);
  if (source.IsEmpty() || position == 64) return source;
  // Partial alpha needs an 8-bit mask, which only a 24-bit image carries
  // (a gray image keeps its look as 24-bit gray).
  CRasterImage out = source.GetBitsPerPixel() == 24 ? source : ConvertTo24Bit(source);
  if (out.IsEmpty()) return source;
  if (!out.HasValidMask()) {
    const int a = position * 255 / 64;
    if (a <= 0) {
      *removed = true;
      return {};
    }
    if (a >= 255) return out;
    if (!out.CreateMask()) return source;
    uint8_t* mask = out.GetWritableMaskBits();
    std::fill(mask, mask + static_cast<int64_t>(out.GetMaskStride()) * out.GetHeight(), static_cast<uint8_t>(a));
    return out;
  }
  const int base = position <= 64 ? 0 : (position - 64) * 255 / 64;
  const int top = position <= 64 ? position * 255 / 64 : 255;
  uint8_t table[256];
  table[0] = 0;
  for (int i = 1; i < 256; ++i) table[i] = static_cast<uint8_t>(std::clamp(base + (top - base) * i / 255, 0, 255));
  uint8_t* mask = out.GetWritableMaskBits();
  const int64_t bytes = static_cast<int64_t>(out.GetMaskStride()) * out.GetHeight();
  for (int64_t i = 0; i < bytes; ++i) mask[i] = table[mask[i]];
  const int state = out.GetMaskState();
  if (state == 2) out.RemoveMask();
  if (state == 3) {
    *removed = true;
    return {};
  }
  return out;
}

void CTransparencyTool::UpdatePreview() {
  bool removed = false;
  CRasterImage result = ScaleTransparency(m_copy, m_nPosition, &removed);
  if (m_pLive) {
    if (removed)
      m_pLive->Free();
    else
      SetLive(std::move(result));
  }
  Refresh();
}

CTransparencyDialog::CTransparencyDialog(CEditHost* host) : CEffectDialog(std::make_unique<CTransparencyTool>(host)) {}

void CTransparencyDialog::BuildControls(wxBoxSizer* sizer) {
  m_slider = AddSlider(sizer, IDC_EFFECT_TRANSPARENCY, 64, 0, 128, &m_label);
  m_slider->SetTickFreq(8);
  auto* reset = new wxButton(this, IDC_EFFECT_RESET, "Reset");
  sizer->Add(reset, 0, wxALIGN_RIGHT | wxRIGHT | wxTOP, 8);
  UpdateLabel();
  m_slider->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) {
    Tool()->m_nPosition = m_slider->GetValue();
    UpdatePreview();
    UpdateLabel();
  });
  reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    m_slider->SetValue(64);
    Tool()->m_nPosition = 64;
    UpdatePreview();
    UpdateLabel();
  });
}

void CTransparencyDialog::UpdateLabel() { m_label->SetLabel(Format("x %d%%", m_slider->GetValue() * 100 / 64)); }

// --- Blur -------------------------------------------------------------------------

void CBlurTool::UpdatePreview() {
  m_params.Clamp();
  if (PreviewReduced()) {
    // the view shows the part it needs
  } else if (m_params.amount == 0 || m_params.blend >= 100) {
    SetLive(m_copy);
  } else {
    if (m_params.amount != m_nCachedAmount || m_params.direction != m_nCachedDirection || m_cache.IsEmpty()) {
      m_cache = BlurOnly(m_copy, m_params);
      m_nCachedAmount = m_params.amount;
      m_nCachedDirection = m_params.direction;
      ++m_nBlurCount;
    }
    SetLive(BlendBlur(m_copy, m_cache, m_params));
  }
  Refresh();
}

CRasterImage CBlurTool::ComputeEffect(const CRasterImage& source, int reduce) const {
  BLUR_PARAMS params = m_params;
  if (params.amount == 0 || params.blend >= 100) return source;
  if (reduce > 1) params.amount = std::max(1, (params.amount + reduce / 2) / reduce);
  return BlendBlur(source, BlurOnly(source, params), params);
}

CBlurDialog::CBlurDialog(CEditHost* host) : CEffectDialog(std::make_unique<CBlurTool>(host)) {}

void CBlurDialog::LoadSettings() {
  auto& params = Tool()->m_params;
  params.amount = std::clamp(GetProfileInt(kBlurSection, "Amount", params.amount), 0, 100);
  params.blend = std::clamp(GetProfileInt(kBlurSection, "Blend", params.blend), 0, 100);
  const int direction = GetProfileInt(kBlurSection, "Dir", params.direction);
  params.direction = direction >= 1 && direction <= 3 ? direction : 3;
}

void CBlurDialog::SaveSettings() {
  const auto& params = Tool()->m_params;
  WriteProfileInt(kBlurSection, "Amount", params.amount);
  WriteProfileInt(kBlurSection, "Blend", params.blend);
  WriteProfileInt(kBlurSection, "Dir", params.direction);
}

void CBlurDialog::BuildControls(wxBoxSizer* sizer) {
  auto& params = Tool()->m_params;
  m_amount = AddSlider(sizer, IDC_EFFECT_BLUR_AMOUNT, params.amount, 0, 100, &m_amountLabel);
  m_blend = AddSlider(sizer, IDC_EFFECT_BLEND, params.blend, 0, 100, &m_blendLabel);
  const struct {
    int id, direction;
    const char* text;
  } radios[] = {{IDC_EFFECT_BLUR_BOTH, 3, "Both horizontal && vertical"},
                {IDC_EFFECT_BLUR_HORIZONTAL, 2, "Horizontal only"},
                {IDC_EFFECT_BLUR_VERTICAL, 1, "Vertical only"}};
  bool first = true;
  for (const auto& radio : radios) {
    auto* button = new wxRadioButton(this, radio.id, radio.text, wxDefaultPosition, wxDefaultSize,
                                     first ? wxRB_GROUP : 0);
    first = false;
    button->SetValue(params.direction == radio.direction);
    sizer->Add(button, 0, wxLEFT | wxRIGHT | wxTOP, 8);
    const int direction = radio.direction;
    button->Bind(wxEVT_RADIOBUTTON, [this, direction](wxCommandEvent&) {
      Tool()->m_params.direction = direction;
      UpdatePreview();
    });
  }
  UpdateLabels();
  const auto changed = [this](wxCommandEvent&) {
    Tool()->m_params.amount = m_amount->GetValue();
    Tool()->m_params.blend = m_blend->GetValue();
    UpdateLabels();
    UpdatePreview();
  };
  m_amount->Bind(wxEVT_SLIDER, changed);
  m_blend->Bind(wxEVT_SLIDER, changed);
}

void CBlurDialog::UpdateLabels() {
  m_amountLabel->SetLabel(Format("Amount: %d pixels", m_amount->GetValue()));
  m_blendLabel->SetLabel(Format("Blend with original: %d%%", m_blend->GetValue()));
}

// --- Emboss -----------------------------------------------------------------------

void CEmbossTool::UpdatePreview() {
  if (PreviewReduced()) {
    Refresh();
    return;
  }
  CRasterImage live = m_copy;
  if (!EmbossImage(live, std::clamp(m_nAzimuth, 0, 360), std::clamp(m_nElevation, 0, 90), 3)) live = m_copy;
  SetLive(std::move(live));
  Refresh();
}

CRasterImage CEmbossTool::ComputeEffect(const CRasterImage& source, int) const {
  CRasterImage live = source;
  if (!EmbossImage(live, std::clamp(m_nAzimuth, 0, 360), std::clamp(m_nElevation, 0, 90), 3)) live = source;
  return live;
}

CEmbossDialog::CEmbossDialog(CEditHost* host) : CEffectDialog(std::make_unique<CEmbossTool>(host)) {}

void CEmbossDialog::LoadSettings() {
  Tool()->m_nAzimuth = std::clamp(GetProfileInt(kEmbossSection, "Azimuth", 0), 0, 360);
  Tool()->m_nElevation = std::clamp(GetProfileInt(kEmbossSection, "Elevation", 45), 0, 90);
}

void CEmbossDialog::SaveSettings() {
  WriteProfileInt(kEmbossSection, "Azimuth", Tool()->m_nAzimuth);
  WriteProfileInt(kEmbossSection, "Elevation", Tool()->m_nElevation);
}

void CEmbossDialog::BuildControls(wxBoxSizer* sizer) {
  m_azimuth = AddSlider(sizer, IDC_EFFECT_AZIMUTH, Tool()->m_nAzimuth, 0, 360, &m_azimuthLabel);
  m_elevation = AddSlider(sizer, IDC_EFFECT_ELEVATION, Tool()->m_nElevation, 0, 90, &m_elevationLabel);
  UpdateLabels();
  const auto changed = [this](wxCommandEvent&) {
    Tool()->m_nAzimuth = m_azimuth->GetValue();
    Tool()->m_nElevation = m_elevation->GetValue();
    UpdateLabels();
    UpdatePreview();
  };
  m_azimuth->Bind(wxEVT_SLIDER, changed);
  m_elevation->Bind(wxEVT_SLIDER, changed);
}

void CEmbossDialog::UpdateLabels() {
  m_azimuthLabel->SetLabel(Format("Azimuth: %d \xC2\xB0", m_azimuth->GetValue()));
  m_elevationLabel->SetLabel(Format("Elevation: %d \xC2\xB0", m_elevation->GetValue()));
}
