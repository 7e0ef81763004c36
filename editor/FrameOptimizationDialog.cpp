#include "editor/FrameOptimizationDialog.h"

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "base/Profile.h"
#include "shell/ModalDialog.h"

namespace {

const char kSection[] = "Optimization Option";

class CFrameOptimizationDlg : public wxDialog {
 public:
  CFrameOptimizationDlg(wxWindow* parent, const FRAME_OPTIMIZATION_VALUES& defaults)
      : wxDialog(parent, IDD_FRAME_OPTIMIZATION, "Frame Optimization") {
    const bool global = GetProfileInt(kSection, "Use Global Palette", defaults.globalPalette ? 1 : 0) != 0;
    const bool reduce = GetProfileInt(kSection, "Reduce Pixel Count", defaults.method != 0 ? 1 : 0) != 0;
    // Any stored method but 1 becomes 2.
    m_method = GetProfileInt(kSection, "Optimize Method", defaults.method != 0 ? defaults.method : 1) == 1 ? 1 : 2;
    m_global = new wxCheckBox(this, IDC_OPTIMIZE_GLOBAL_PALETTE, "Use global palette");
    m_reduce = new wxCheckBox(this, IDC_OPTIMIZE_REDUCE_PIXELS, "Reduce pixel count");
    m_differencing = new wxRadioButton(this, IDC_OPTIMIZE_DIFFERENCING, "Frame differencing", wxDefaultPosition,
                                       wxDefaultSize, wxRB_GROUP);
    m_bounding = new wxRadioButton(this, IDC_OPTIMIZE_BOUNDING_RECT, "Minimum bounding rectangle");
    m_global->SetValue(global);
    m_reduce->SetValue(reduce);
    (m_method == 1 ? m_differencing : m_bounding)->SetValue(true);
    auto* methods = new wxBoxSizer(wxVERTICAL);
    methods->Add(m_differencing, 0, wxBOTTOM, 4);
    methods->Add(m_bounding, 0);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_global, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    column->Add(m_reduce, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    column->Add(methods, 0, wxLEFT | wxTOP, 30);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    EnableMethods();
    m_reduce->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { EnableMethods(); });
    m_differencing->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_method = 1; });
    m_bounding->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_method = 2; });
    Bind(wxEVT_BUTTON, &CFrameOptimizationDlg::OnOK, this, wxID_OK);
  }

  FRAME_OPTIMIZATION_VALUES GetValues() const {
    FRAME_OPTIMIZATION_VALUES values;
    values.method = m_reduce->GetValue() ? m_method : 0;
    values.globalPalette = m_global->GetValue();
    return values;
  }

 private:
  void EnableMethods() {
    m_differencing->Enable(m_reduce->GetValue());
    m_bounding->Enable(m_reduce->GetValue());
  }

  void OnOK(wxCommandEvent&) {
    WriteProfileInt(kSection, "Use Global Palette", m_global->GetValue() ? 1 : 0);
    WriteProfileInt(kSection, "Reduce Pixel Count", m_reduce->GetValue() ? 1 : 0);
    WriteProfileInt(kSection, "Optimize Method", m_method);
    EndModal(wxID_OK);
  }

  int m_method;
  wxCheckBox* m_global;
  wxCheckBox* m_reduce;
  wxRadioButton* m_differencing;
  wxRadioButton* m_bounding;
};

}  // namespace

bool RunFrameOptimizationDialog(wxWindow* parent, FRAME_OPTIMIZATION_VALUES& values) {
  CFrameOptimizationDlg dialog(parent, values);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = dialog.GetValues();
  return true;
}
