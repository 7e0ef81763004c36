#include "editor/ResizeDialog.h"

#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "base/ImageGeometry.h"
#include "base/Profile.h"
#include "imaging/RasterImage.h"
#include "shell/ModalDialog.h"

namespace {

const char kSection[] = "Resize Options";
const char kSideRefusal[] = "Please enter an integer between 1 and 32767.";
const char kScaleRefusal[] = "Please enter an integer between 0 and 65530.";
const long kMaxScalePercent = 65530;
const char* const kMethodNames[] = {"Nearest neighbor", "Linear", "Bilinear", "Bicubic", "Natural sampling"};

class CResizeDlg : public wxDialog {
 public:
  CResizeDlg(wxWindow* parent, const CRasterImage& image, RESIZE_VALUES& values)
      : wxDialog(parent, IDD_RESIZE, "Resize image"), m_values(values) {
    m_startWidth = image.GetWidth();
    m_startHeight = image.GetHeight();
    m_interpolation = image.GetBitsPerPixel() == 24 || image.IsGrayscale();
    m_method = m_interpolation ? std::clamp(GetProfileInt(kSection, "Interpolation Method", 0), 0, 4) : 0;
    auto* grid = new wxFlexGridSizer(2, 6, 6);
    grid->Add(new wxStaticText(this, wxID_ANY, "Width:"), 0, wxALIGN_CENTER_VERTICAL);
    m_width = new wxTextCtrl(this, IDC_RESIZE_WIDTH, wxString::Format("%d", m_startWidth));
    grid->Add(m_width);
    grid->Add(new wxStaticText(this, wxID_ANY, "Height:"), 0, wxALIGN_CENTER_VERTICAL);
    m_height = new wxTextCtrl(this, IDC_RESIZE_HEIGHT, wxString::Format("%d", m_startHeight));
    grid->Add(m_height);
    grid->Add(new wxStaticText(this, wxID_ANY, "Scale (%):"), 0, wxALIGN_CENTER_VERTICAL);
    m_scale = new wxTextCtrl(this, IDC_RESIZE_SCALE, "100");
    grid->Add(m_scale);
    m_keep = new wxCheckBox(this, IDC_RESIZE_KEEP_ASPECT, "Maintain aspect ratio");
    m_keep->SetValue(GetProfileInt(kSection, "Maintain AspectRatio", 1) != 0);
    auto* methods = new wxBoxSizer(wxVERTICAL);
    for (int i = 0; i < 5; ++i) {
      m_radio[i] = new wxRadioButton(this, IDC_RESIZE_NEAREST + i, kMethodNames[i], wxDefaultPosition,
                                     wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
      m_radio[i]->Enable(i == 0 || m_interpolation);
      m_radio[i]->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) { m_method = i; });
      methods->Add(m_radio[i], 0, wxBOTTOM, 4);
    }
    m_radio[m_method]->SetValue(true);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 0, wxALL, 10);
    column->Add(m_keep, 0, wxLEFT | wxRIGHT, 10);
    column->Add(methods, 0, wxALL, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    m_keep->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { ApplyKeepAspect(); });
    m_width->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { SideChanged(m_width); });
    m_height->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { SideChanged(m_height); });
    m_scale->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { SideChanged(m_scale); });
    Bind(wxEVT_BUTTON, &CResizeDlg::OnOK, this, wxID_OK);
    ApplyKeepAspect();
  }

 private:
  // Keeping the aspect puts the starting size back with a scale of 100;
  // otherwise the scale is emptied and off.
  void ApplyKeepAspect() {
    m_updating = true;
    if (m_keep->GetValue()) {
      m_width->ChangeValue(wxString::Format("%d", m_startWidth));
      m_height->ChangeValue(wxString::Format("%d", m_startHeight));
      m_scale->ChangeValue("100");
      m_scale->Enable();
    } else {
      m_scale->ChangeValue("");
      m_scale->Disable();
    }
    m_updating = false;
  }

  void SideChanged(wxTextCtrl* edit) {
    if (m_updating || !m_keep->GetValue()) return;
    long typed = 0;
    if (!edit->GetValue().ToLong(&typed)) return;
    const int value = static_cast<int>(std::clamp<long>(typed, -1000000000L, 1000000000L));
    m_updating = true;
    if (edit == m_height) {
      m_width->ChangeValue(wxString::Format("%d", KeepAspectSide(value, m_startHeight, m_startWidth)));
      m_scale->ChangeValue(wxString::Format("%d", KeepAspectSide(value, m_startHeight, 100)));
    } else if (edit == m_width) {
      m_height->ChangeValue(wxString::Format("%d", KeepAspectSide(value, m_startWidth, m_startHeight)));
      m_scale->ChangeValue(wxString::Format("%d", KeepAspectSide(value, m_startWidth, 100)));
    } else {
      m_height->ChangeValue(wxString::Format("%d", KeepAspectSide(value, 100, m_startHeight)));
      m_width->ChangeValue(wxString::Format("%d", KeepAspectSide(value, 100, m_startWidth)));
    }
    m_updating = false;
  }

  void OnOK(wxCommandEvent&) {
    for (wxTextCtrl* side : {m_width, m_height}) {
      long value = 0;
      if (!side->GetValue().ToLong(&value) || value < 1 || value > kMaxImageSide) {
        wxMessageBox(kSideRefusal, "Resize image", wxOK | wxICON_EXCLAMATION, this);
        side->SetFocus();
        return;
      }
    }
    // The scale (kept aspect only; without it the edit is empty and off).
    long scale = 0;
    if (m_keep->GetValue() &&
        (!m_scale->GetValue().ToLong(&scale) || scale < 0 || scale > kMaxScalePercent)) {
      wxMessageBox(kScaleRefusal, "Resize image", wxOK | wxICON_EXCLAMATION, this);
      m_scale->SetFocus();
      return;
    }
    long width = 0, height = 0;
    m_width->GetValue().ToLong(&width);
    m_height->GetValue().ToLong(&height);
    m_values.width = static_cast<int>(width);
    m_values.height = static_cast<int>(height);
    m_values.method = m_interpolation ? m_method : 0;
    WriteProfileInt(kSection, "Maintain AspectRatio", m_keep->GetValue() ? 1 : 0);
    if (m_interpolation) WriteProfileInt(kSection, "Interpolation Method", m_method);
    EndModal(wxID_OK);
  }

  RESIZE_VALUES& m_values;
  int m_startWidth = 0;
  int m_startHeight = 0;
  bool m_interpolation = false;
  int m_method = 0;
  bool m_updating = false;
  wxTextCtrl* m_width;
  wxTextCtrl* m_height;
  wxTextCtrl* m_scale;
  wxCheckBox* m_keep;
  wxRadioButton* m_radio[5];
};

}  // namespace

int KeepAspectSide(int typed, int startTyped, int startOther) {
  if (startTyped == 0) return 0;
  const int64_t other = static_cast<int64_t>(typed) * startOther / startTyped;
  return static_cast<int>(std::clamp<int64_t>(other, INT32_MIN, INT32_MAX));
}

bool RunResizeDialog(wxWindow* parent, const CRasterImage& image, RESIZE_VALUES& values) {
  if (image.IsEmpty()) return false;
  RESIZE_VALUES edited = values;
  CResizeDlg dialog(parent, image, edited);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = edited;
  return true;
}
