#include "editor/DropShadowDialog.h"

#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <memory>

#include "base/Profile.h"
#include "shell/ColorBox.h"
#include "shell/ColorChooser.h"
#include "shell/ImagePreviewCtrl.h"
#include "shell/ModalDialog.h"

bool ReadIntFieldText(const std::string& text, int minimum, int maximum, int* value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == '-' && (minimum < 0 || maximum < 0)) {
    negative = true;
    ++i;
  }
  bool acceptable = true;
  int64_t number = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      acceptable = false;
      break;
    }
    number = std::min<int64_t>(number * 10 + (text[i] - '0'), int64_t{1} << 40);
  }
  if (negative) number = -number;
  const int64_t clamped = std::clamp<int64_t>(number, minimum, maximum);
  if (clamped != number) acceptable = false;
  *value = static_cast<int>(clamped);
  return acceptable;
}

namespace {

const char kSection[] = "Add Drop Shadow";

// One value with its edit, spin button and slider.
struct FIELD {
  const char* label;
  const char* key;
  int edit, spin, slider;
  int minimum, maximum, fallback;
  bool offset;  // moving it only rebuilds the layers
};

const FIELD kFields[4] = {
    {"X Offset:", "X Offset", IDC_SHADOW_X_EDIT, IDC_SHADOW_X_SPIN, IDC_SHADOW_X_SLIDER, -100, 100, 0, true},
    {"Y Offset:", "Y Offset", IDC_SHADOW_Y_EDIT, IDC_SHADOW_Y_SPIN, IDC_SHADOW_Y_SLIDER, -100, 100, 0, true},
    {"Opacity:", "Opacity", IDC_SHADOW_OPACITY_EDIT, IDC_SHADOW_OPACITY_SPIN, IDC_SHADOW_OPACITY_SLIDER, 0, 100, 50,
     false},
    {"Softness:", "Softness", IDC_SHADOW_SOFTNESS_EDIT, IDC_SHADOW_SOFTNESS_SPIN, IDC_SHADOW_SOFTNESS_SLIDER, 0, 55,
     10, false},
};

class CDropShadowDlg : public wxDialog {
 public:
  CDropShadowDlg(wxWindow* parent, const CRasterImage& source)
      : wxDialog(parent, IDD_DROP_SHADOW, "Add Drop Shadow") {
    m_shadow.SetSource(source);
    m_layers = std::make_unique<CLayerStack>(m_shadow.GetCanvasWidth(), m_shadow.GetCanvasHeight());
    LoadSettings();

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    m_preview = new CImagePreviewCtrl(this, IDC_SHADOW_PREVIEW, wxDefaultPosition, wxSize(260, 220));
    top->Add(m_preview, 1, wxEXPAND | wxALL, 10);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxBOTTOM, 10);
    m_colorBox = new CColorBox(this, IDC_SHADOW_COLOR, wxDefaultPosition, wxSize(48, 24));
    column->Add(m_colorBox, 0, wxBOTTOM, 4);
    auto* rgb = new wxFlexGridSizer(2, 2, 8);
    const int rgbIds[3] = {IDC_SHADOW_RED, IDC_SHADOW_GREEN, IDC_SHADOW_BLUE};
    const char* rgbNames[3] = {"R:", "G:", "B:"};
    for (int i = 0; i < 3; ++i) {
      rgb->Add(new wxStaticText(this, wxID_ANY, rgbNames[i]));
      m_rgb[i] = new wxStaticText(this, rgbIds[i], "0", wxDefaultPosition, wxSize(30, -1));
      rgb->Add(m_rgb[i]);
    }
    column->Add(rgb, 0, wxBOTTOM, 6);
    top->Add(column, 0, wxTOP | wxRIGHT, 10);

    auto* rows = new wxFlexGridSizer(4, 6, 6);
    rows->AddGrowableCol(3, 1);
    for (int i = 0; i < 4; ++i) {
      const FIELD& f = kFields[i];
      rows->Add(new wxStaticText(this, wxID_ANY, f.label), 0, wxALIGN_CENTER_VERTICAL);
      m_edit[i] = new wxTextCtrl(this, f.edit, wxEmptyString, wxDefaultPosition, wxSize(56, -1));
      rows->Add(m_edit[i], 0, wxALIGN_CENTER_VERTICAL);
      m_spin[i] = new wxSpinButton(this, f.spin, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
      rows->Add(m_spin[i], 0, wxALIGN_CENTER_VERTICAL);
      auto* sliderRow = new wxBoxSizer(wxHORIZONTAL);
      m_slider[i] = new wxSlider(this, f.slider, m_values[i], f.minimum, f.maximum, wxDefaultPosition, wxSize(160, -1));
      sliderRow->Add(m_slider[i], 1, wxALIGN_CENTER_VERTICAL);
      if (i == 2) sliderRow->Add(new wxStaticText(this, wxID_ANY, "%"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
      rows->Add(sliderRow, 1, wxEXPAND);
    }
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(top, 1, wxEXPAND);
    outer->Add(rows, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(outer);

    // Initialisation: pan mode, centred; colour; the four values; the preview.
    m_preview->SetMode(PREVIEW_MODE_PAN);
    m_preview->SetCanvas(m_layers.get());
    m_preview->CenterImage();
    m_colorBox->SetColor(m_blue, m_green, m_red);
    m_colorBox->SetClickCallback([this] { ChooseShadowColor(); });
    FillColor();
    for (int i = 0; i < 4; ++i) {
      m_spin[i]->SetRange(kFields[i].minimum, kFields[i].maximum);
      m_spin[i]->SetValue(m_values[i]);
      m_edit[i]->ChangeValue(wxString::Format("%d", m_values[i]));
      m_slider[i]->SetValue(m_values[i]);
      m_edit[i]->Bind(wxEVT_TEXT, [this, i](wxCommandEvent&) { OnEditChanged(i); });
      m_edit[i]->Bind(wxEVT_KILL_FOCUS, [this, i](wxFocusEvent& event) {
        OnEditLeft(i);
        event.Skip();
      });
      m_spin[i]->Bind(wxEVT_SPIN, [this, i](wxSpinEvent&) { OnSpin(i); });
      m_slider[i]->Bind(wxEVT_SLIDER, [this, i](wxCommandEvent&) { OnSlider(i); });
    }
    UpdatePreview();
    Bind(wxEVT_BUTTON, &CDropShadowDlg::OnOK, this, wxID_OK);
  }

  CRasterImage m_result;
  int m_dx = 0, m_dy = 0;
  DROP_SHADOW_PARAMS Params() const {
    DROP_SHADOW_PARAMS p;
    p.xOffset = m_values[0];
    p.yOffset = m_values[1];
    p.opacity = m_values[2];
    p.softness = m_values[3];
    p.red = m_red;
    p.green = m_green;
    p.blue = m_blue;
    return p;
  }

 private:
  void LoadSettings() {
    m_red = static_cast<uint8_t>(std::clamp(GetProfileInt(kSection, "Red", 0), 0, 255));
    m_green = static_cast<uint8_t>(std::clamp(GetProfileInt(kSection, "Green", 0), 0, 255));
    m_blue = static_cast<uint8_t>(std::clamp(GetProfileInt(kSection, "Blue", 0), 0, 255));
    for (int i = 0; i < 4; ++i)
      m_values[i] = std::clamp(GetProfileInt(kSection, kFields[i].key, kFields[i].fallback), kFields[i].minimum,
                               kFields[i].maximum);
  }

  void SaveSettings() {
    WriteProfileInt(kSection, "Red", m_red);
    WriteProfileInt(kSection, "Green", m_green);
    WriteProfileInt(kSection, "Blue", m_blue);
    for (int i = 0; i < 4; ++i) WriteProfileInt(kSection, kFields[i].key, m_values[i]);
  }

  void FillColor() {
    m_shadow.SetColor(m_red, m_green, m_blue);
    m_rgb[0]->SetLabel(wxString::Format("%d", m_red));
    m_rgb[1]->SetLabel(wxString::Format("%d", m_green));
    m_rgb[2]->SetLabel(wxString::Format("%d", m_blue));
    RebuildLayers();
  }

  void ChooseShadowColor() {
    RGBQUAD colour{};
    colour.rgbRed = m_red;
    colour.rgbGreen = m_green;
    colour.rgbBlue = m_blue;
    if (!ChooseColor(this, colour)) return;
    m_red = colour.rgbRed;
    m_green = colour.rgbGreen;
    m_blue = colour.rgbBlue;
    m_colorBox->SetColor(colour);
    FillColor();
  }

  // Softens and scales the shape (opacity and softness changes).
  void UpdatePreview() {
    m_shadow.UpdateAlpha(m_values[2], m_values[3]);
    RebuildLayers();
  }

  // The layers with the shadow at the offset; the preview keeps its panning.
  void RebuildLayers() {
    m_shadow.BuildLayers(*m_layers, m_values[0], m_values[1]);
    m_preview->Refresh();
  }

  void OnSlider(int i) {
    if (m_bUpdating) return;
    m_bUpdating = true;
    const int v = m_slider[i]->GetValue();
    m_spin[i]->SetValue(v);
    m_edit[i]->SetValue(wxString::Format("%d", v));  // its handler applies the value
    m_bUpdating = false;
  }

  void OnSpin(int i) {
    if (m_bUpdating) return;
    m_edit[i]->SetValue(wxString::Format("%d", m_spin[i]->GetValue()));
  }

  void OnEditChanged(int i) {
    const FIELD& f = kFields[i];
    const std::string text = m_edit[i]->GetValue().ToStdString();
    int value = 0;
    if (!ReadIntFieldText(text, f.minimum, f.maximum, &value)) {
      // The rewrite sends a new change notification, which applies it.
      m_edit[i]->SetValue(wxString::Format("%d", value));
      m_edit[i]->SetSelection(-1, -1);
      m_edit[i]->ShowPosition(m_edit[i]->GetLastPosition());
      return;
    }
    if (!m_bUpdating && !text.empty() && !(f.offset && text == "-")) {
      m_bUpdating = true;
      m_slider[i]->SetValue(value);
      m_spin[i]->SetValue(value);
      m_bUpdating = false;
    }
    if (m_values[i] == value) return;
    m_values[i] = value;
    if (f.offset)
      RebuildLayers();
    else
      UpdatePreview();
  }

  void OnEditLeft(int i) {
    const std::string text = m_edit[i]->GetValue().ToStdString();
    if (m_bUpdating || text.empty() || (kFields[i].offset && text == "-")) return;
    m_spin[i]->SetValue(m_values[i]);
    m_edit[i]->ChangeValue(wxString::Format("%d", m_values[i]));
  }

  void OnOK(wxCommandEvent&) {
    SaveSettings();
    m_result = m_shadow.BuildResult(m_values[0], m_values[1], &m_dx, &m_dy);
    EndModal(wxID_OK);
  }

  CDropShadow m_shadow;
  std::unique_ptr<CLayerStack> m_layers;
  int m_values[4] = {0, 0, 50, 10};
  uint8_t m_red = 0, m_green = 0, m_blue = 0;
  bool m_bUpdating = false;
  CImagePreviewCtrl* m_preview = nullptr;
  CColorBox* m_colorBox = nullptr;
  wxStaticText* m_rgb[3] = {};
  wxTextCtrl* m_edit[4] = {};
  wxSpinButton* m_spin[4] = {};
  wxSlider* m_slider[4] = {};
};

}  // namespace

bool RunDropShadowDialog(wxWindow* parent, const CRasterImage& source, CRasterImage& result, int& dx, int& dy,
                         DROP_SHADOW_PARAMS* used) {
  CDropShadowDlg dialog(parent, source);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  result = dialog.m_result;
  dx = dialog.m_dx;
  dy = dialog.m_dy;
  if (used) *used = dialog.Params();
  return true;
}
