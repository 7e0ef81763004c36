#include "editor/ColorOptionsDialogs.h"

#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "base/Profile.h"
#include "imaging/ColorConversion.h"
#include "imaging/RasterImage.h"
#include "imaging/StandardPalettes.h"
#include "shell/ImagePreviewCtrl.h"
#include "shell/ModalDialog.h"

namespace {

const char kPaletteSection[] = "Index Color Option";
const char kBitmapSection[] = "Bitmap Option";
const char kCountRefusal[] = "Please enter an integer between 2 and 256.";

// The depth buttons and the count each stands for (0: depends on the kind).
struct DEPTH_BUTTON {
  int id;
  const char* label;
  int count;
};
const DEPTH_BUTTON kDepthButtons[] = {
    {IDC_PALETTE_DEPTH_2, "2 bits/pixel", 4},   {IDC_PALETTE_DEPTH_3, "3 bits/pixel", 8},
    {IDC_PALETTE_DEPTH_4, "4 bits/pixel", 0},   {IDC_PALETTE_DEPTH_5, "5 bits/pixel", 32},
    {IDC_PALETTE_DEPTH_6, "6 bits/pixel", 64},  {IDC_PALETTE_DEPTH_7, "7 bits/pixel", 128},
    {IDC_PALETTE_DEPTH_8, "8 bits/pixel", 0},   {IDC_PALETTE_CUSTOM, "", -1},
};

class CPaletteOptionsDlg : public wxDialog {
 public:
  CPaletteOptionsDlg(wxWindow* parent, const PALETTE_OPTIONS_VALUES& values)
      : wxDialog(parent, IDD_PALETTE_OPTIONS, "Palette Options"), m_values(values) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    auto* kindRow = new wxBoxSizer(wxHORIZONTAL);
    kindRow->Add(new wxStaticText(this, wxID_ANY, "Palette:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_kind = new wxChoice(this, IDC_PALETTE_KIND);
    for (const char* label : kPaletteKindLabels) m_kind->Append(label);
    kindRow->Add(m_kind, 1);
    column->Add(kindRow, 0, wxEXPAND | wxALL, 10);

    auto* depth = new wxStaticBoxSizer(wxVERTICAL, this, "Colors");
    auto* grid = new wxFlexGridSizer(2, 4, 12);
    bool first = true;
    for (const DEPTH_BUTTON& button : kDepthButtons) {
      auto* radio = new wxRadioButton(depth->GetStaticBox(), button.id, button.label, wxDefaultPosition,
                                      wxDefaultSize, first ? wxRB_GROUP : 0);
      first = false;
      radio->Bind(wxEVT_RADIOBUTTON, [this, button](wxCommandEvent&) { OnDepth(button); });
      if (button.id == IDC_PALETTE_CUSTOM) {
        auto* custom = new wxBoxSizer(wxHORIZONTAL);
        custom->Add(radio, 0, wxALIGN_CENTER_VERTICAL);
        m_count = new wxTextCtrl(depth->GetStaticBox(), IDC_PALETTE_COUNT, "");
        custom->Add(m_count, 0, wxLEFT, 4);
        grid->Add(custom);
      } else {
        grid->Add(radio);
      }
    }
    depth->Add(grid, 0, wxALL, 6);
    column->Add(depth, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);

    auto* dither = new wxStaticBoxSizer(wxHORIZONTAL, this, "Dither");
    const std::pair<int, const char*> ditherButtons[] = {
        {IDC_DITHER_NONE, "None"}, {IDC_DITHER_DIFFUSION, "Diffusion"}, {IDC_DITHER_PATTERN, "Pattern"}};
    for (int i = 0; i < 3; ++i) {
      auto* radio = new wxRadioButton(dither->GetStaticBox(), ditherButtons[i].first, ditherButtons[i].second,
                                      wxDefaultPosition, wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
      radio->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) { m_values.dither = i; });
      dither->Add(radio, 0, wxALL, 4);
    }
    column->Add(dither, 0, wxEXPAND | wxALL, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);

    m_kind->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
      m_values.kind = m_kind->GetSelection();
      ApplyKindRules();
    });
    m_count->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
      unsigned long count = 0;
      if (m_count->GetValue().ToULong(&count) && count <= 0x7fffffff) m_values.count = static_cast<int>(count);
    });
    Bind(wxEVT_BUTTON, &CPaletteOptionsDlg::OnOK, this, wxID_OK);

    // Initialisation: the depth button of the count, the kind, the rules.
    m_count->ChangeValue(wxString::Format("%d", m_values.count));
    Radio(DepthButtonOf(m_values.count))->SetValue(true);
    m_kind->SetSelection(m_values.kind);
    ApplyKindRules();
  }

  const PALETTE_OPTIONS_VALUES& Values() const { return m_values; }

 private:
  wxRadioButton* Radio(int id) { return static_cast<wxRadioButton*>(FindWindow(id)); }

  static int DepthButtonOf(int count) {
    switch (count) {
      case 4: return IDC_PALETTE_DEPTH_2;
      case 8: return IDC_PALETTE_DEPTH_3;
      case 16: return IDC_PALETTE_DEPTH_4;
      case 32: return IDC_PALETTE_DEPTH_5;
      case 64: return IDC_PALETTE_DEPTH_6;
      case 128: return IDC_PALETTE_DEPTH_7;
      case 256: return IDC_PALETTE_DEPTH_8;
      default: return IDC_PALETTE_CUSTOM;
    }
  }

  bool WideKind() const { return m_values.kind == PALETTE_ADAPTIVE || m_values.kind == PALETTE_EXTENDED_UNIFORM; }

  void OnDepth(const DEPTH_BUTTON& button) {
    if (button.count > 0) {
      m_values.count = button.count;
    } else if (button.count == 0) {
      const bool small = button.id == IDC_PALETTE_DEPTH_4;
      m_values.count = small ? (WideKind() ? 16 : 8) : (WideKind() ? 256 : 216);
    } else {
      m_values.count = std::min(m_values.count, 256);
    }
    m_count->ChangeValue(wxString::Format("%d", m_values.count));
    m_count->Enable(button.id == IDC_PALETTE_CUSTOM);
  }

  void EnableDepthButtons(std::initializer_list<int> enabled) {
    for (const DEPTH_BUTTON& button : kDepthButtons)
      Radio(button.id)->Enable(std::find(enabled.begin(), enabled.end(), button.id) != enabled.end());
  }

  void ApplyKindRules() {
    const int kind = m_values.kind;
    bool patternAllowed = false;
    bool editEnabled = false;
    if (kind == PALETTE_UNIFORM || kind == PALETTE_WEB) {
      m_values.count = (m_values.count > 16 || kind == PALETTE_WEB) ? 216 : 8;
      Radio(m_values.count == 216 ? IDC_PALETTE_DEPTH_8 : IDC_PALETTE_DEPTH_4)->SetValue(true);
      if (kind == PALETTE_WEB) EnableDepthButtons({IDC_PALETTE_DEPTH_8});
      else EnableDepthButtons({IDC_PALETTE_DEPTH_4, IDC_PALETTE_DEPTH_8});
      patternAllowed = true;
    } else if (kind == PALETTE_EXTENDED_UNIFORM) {
      m_values.count = m_values.count <= 16 ? 16 : 256;
      Radio(m_values.count == 16 ? IDC_PALETTE_DEPTH_4 : IDC_PALETTE_DEPTH_8)->SetValue(true);
      EnableDepthButtons({IDC_PALETTE_DEPTH_4, IDC_PALETTE_DEPTH_8});
    } else if (kind == PALETTE_ADAPTIVE) {
      EnableDepthButtons({IDC_PALETTE_DEPTH_2, IDC_PALETTE_DEPTH_3, IDC_PALETTE_DEPTH_4, IDC_PALETTE_DEPTH_5,
                          IDC_PALETTE_DEPTH_6, IDC_PALETTE_DEPTH_7, IDC_PALETTE_DEPTH_8, IDC_PALETTE_CUSTOM});
      if (Radio(IDC_PALETTE_DEPTH_4)->GetValue()) m_values.count = 16;
      if (Radio(IDC_PALETTE_DEPTH_8)->GetValue()) m_values.count = 256;
      editEnabled = Radio(IDC_PALETTE_CUSTOM)->GetValue();
    } else {
      EnableDepthButtons({});
    }
    m_count->ChangeValue(wxString::Format("%d", m_values.count));
    m_count->Enable(editEnabled);
    Radio(IDC_DITHER_PATTERN)->Enable(patternAllowed);
    if (!patternAllowed && m_values.dither == 2) m_values.dither = 1;
    Radio(IDC_DITHER_NONE + m_values.dither)->SetValue(true);
  }

  // OK: the count is checked before anything is stored; a refusal names the
  // range, focuses the edit and keeps the dialog up.
  void OnOK(wxCommandEvent&) {
    unsigned long count = 0;
    if (!m_count->GetValue().ToULong(&count) || count < 2 || count > 256) {
      wxMessageBox(kCountRefusal, "Palette Options", wxOK | wxICON_EXCLAMATION, this);
      m_count->SetFocus();
      return;
    }
    m_values.count = static_cast<int>(count);
    WriteProfileInt(kPaletteSection, "Palette", m_values.kind);
    WriteProfileInt(kPaletteSection, "Number Colors", m_values.count);
    WriteProfileInt(kPaletteSection, "Dither", m_values.dither);
    EndModal(wxID_OK);
  }

  PALETTE_OPTIONS_VALUES m_values;
  wxChoice* m_kind;
  wxTextCtrl* m_count = nullptr;
};

class CBitmapOptionDlg : public wxDialog {
 public:
  CBitmapOptionDlg(wxWindow* parent, const CRasterImage* source, const BITMAP_OPTIONS_VALUES& values)
      : wxDialog(parent, IDD_BITMAP_OPTIONS, "Bitmap", wxDefaultPosition, wxDefaultSize,
                 wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
        m_pSource(source),
        m_values(values) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    auto* controls = new wxBoxSizer(wxVERTICAL);
    const std::pair<int, const char*> modes[] = {
        {IDC_BITMAP_THRESHOLD, "Threshold Level:"}, {IDC_BITMAP_DIFFUSION, "Error Diffusion"},
        {IDC_BITMAP_PATTERN, "Pattern Dither"}};
    for (int i = 0; i < 3; ++i) {
      auto* radio = new wxRadioButton(this, modes[i].first, modes[i].second, wxDefaultPosition, wxDefaultSize,
                                      i == 0 ? wxRB_GROUP : 0);
      radio->SetValue(i == m_values.mode);
      radio->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) {
        m_values.mode = i;
        UpdatePreview();
      });
      controls->Add(radio, 0, wxALL, 4);
      if (i == 0) {
        auto* sliderRow = new wxBoxSizer(wxHORIZONTAL);
        sliderRow->Add(new wxStaticText(this, wxID_ANY, "Brighter"), 0, wxALIGN_CENTER_VERTICAL);
        m_slider = new wxSlider(this, IDC_BITMAP_THRESHOLD_SLIDER, m_values.threshold, 1, 254, wxDefaultPosition,
                                wxSize(160, -1));
        m_slider->SetTickFreq(16);
        sliderRow->Add(m_slider, 1, wxLEFT | wxRIGHT, 4);
        sliderRow->Add(new wxStaticText(this, wxID_ANY, "Darker"), 0, wxALIGN_CENTER_VERTICAL);
        controls->Add(sliderRow, 0, wxEXPAND | wxLEFT, 16);
        m_level = new wxStaticText(this, IDC_BITMAP_LEVEL, wxString::Format("%d", m_values.threshold));
        controls->Add(m_level, 0, wxLEFT, 24);
      }
    }
    row->Add(controls, 0, wxALL, 10);
    m_preview = new CImagePreviewCtrl(this, IDC_BITMAP_PREVIEW, wxDefaultPosition, wxSize(240, 200));
    m_preview->SetMode(1);
    row->Add(m_preview, 1, wxEXPAND | wxALL, 10);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(row, 1, wxEXPAND);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);

    // The label follows the thumb; the preview is remade only when the
    // scroll ends, not while the thumb is dragged.
    m_slider->Bind(wxEVT_SCROLL_THUMBTRACK, [this](wxScrollEvent&) { ShowLevel(); });
    m_slider->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) { ShowLevel(); });
    m_slider->Bind(wxEVT_SCROLL_CHANGED, [this](wxScrollEvent&) {
      ShowLevel();
      UpdatePreview();
    });
    Bind(wxEVT_BUTTON, &CBitmapOptionDlg::OnOK, this, wxID_OK);
    UpdatePreview();
  }

  const BITMAP_OPTIONS_VALUES& Values() const { return m_values; }
  const CRasterImage& PreviewImage() const { return m_previewImage; }

  void UpdatePreview() {
    if (!m_pSource || m_pSource->IsEmpty()) return;
    CRasterImage image = ConvertToBitmap(*m_pSource, m_values.mode, m_values.threshold);
    if (image.IsEmpty()) return;  // the previous preview stays
    m_previewImage = std::move(image);
    m_preview->SetImage(&m_previewImage);
    m_preview->SetImageSize(m_previewImage.GetWidth(), m_previewImage.GetHeight());
    m_preview->Refresh();
  }

 private:
  void ShowLevel() {
    m_values.threshold = m_slider->GetValue();
    m_level->SetLabel(wxString::Format("%d", m_values.threshold));
  }

  void OnOK(wxCommandEvent&) {
    m_values.threshold = std::clamp(m_slider->GetValue(), 1, 254);
    WriteProfileInt(kBitmapSection, "Dither", m_values.mode);
    WriteProfileInt(kBitmapSection, "Threshold", m_values.threshold);
    EndModal(wxID_OK);
  }

  const CRasterImage* m_pSource;
  BITMAP_OPTIONS_VALUES m_values;
  CRasterImage m_previewImage;
  wxSlider* m_slider = nullptr;
  wxStaticText* m_level = nullptr;
  CImagePreviewCtrl* m_preview = nullptr;
};

}  // namespace

PALETTE_OPTIONS_VALUES ReadPaletteOptions() {
  PALETTE_OPTIONS_VALUES values;
  values.kind = GetProfileInt(kPaletteSection, "Palette", PALETTE_ADAPTIVE);
  if (values.kind < 0 || values.kind >= kPaletteKindCount) values.kind = PALETTE_ADAPTIVE;
  values.count = std::clamp(GetProfileInt(kPaletteSection, "Number Colors", 256), 2, 256);
  values.dither = GetProfileInt(kPaletteSection, "Dither", 1);
  if (values.dither < 0 || values.dither > 2) values.dither = 1;
  return values;
}

bool RunPaletteOptionsDialog(wxWindow* parent, PALETTE_OPTIONS_VALUES& values) {
  CPaletteOptionsDlg dialog(parent, ReadPaletteOptions());
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = dialog.Values();
  return true;
}

bool GetPaletteOptions(PALETTE_OPTIONS_VALUES& values, bool ask, wxWindow* parent) {
  if (!ask) {
    values = ReadPaletteOptions();
    return true;
  }
  return RunPaletteOptionsDialog(parent, values);
}

BITMAP_OPTIONS_VALUES ReadBitmapOptions() {
  BITMAP_OPTIONS_VALUES values;
  values.mode = GetProfileInt(kBitmapSection, "Dither", 1);
  if (values.mode < 0 || values.mode > 2) values.mode = 1;
  values.threshold = std::clamp(GetProfileInt(kBitmapSection, "Threshold", 128), 1, 254);
  return values;
}

bool RunBitmapOptionsDialog(wxWindow* parent, const CRasterImage* source, BITMAP_OPTIONS_VALUES& values) {
  CBitmapOptionDlg dialog(parent, source, ReadBitmapOptions());
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = dialog.Values();
  return true;
}

bool GetBitmapOptions(const CRasterImage* source, BITMAP_OPTIONS_VALUES& values, bool ask, wxWindow* parent) {
  if (!ask) {
    values = ReadBitmapOptions();
    return true;
  }
  return RunBitmapOptionsDialog(parent, source, values);
}
