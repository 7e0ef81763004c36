#include "editor/FeatherDialog.h"

#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "base/Profile.h"
#include "imaging/Filters.h"
#include "imaging/RasterImage.h"
#include "shell/ModalDialog.h"

namespace {

const char kSection[] = "Feather";
const char kAmountRefusal[] = "Please enter an integer between 1 and 65535.";

class CFeatherDlg : public wxDialog {
 public:
  CFeatherDlg(wxWindow* parent, FEATHER_VALUES& values)
      : wxDialog(parent, IDD_FEATHER, "Feather Selection"), m_values(values) {
    const int amount = GetProfileInt(kSection, "Amount", 5);
    m_direction = GetProfileInt(kSection, "Direction", 3);
    if (m_direction < 1 || m_direction > 3) m_direction = 3;
    auto* amountRow = new wxBoxSizer(wxHORIZONTAL);
    amountRow->Add(new wxStaticText(this, wxID_ANY, "Feather amount:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_amount = new wxTextCtrl(this, IDC_FEATHER_AMOUNT, wxString::Format("%d", amount));
    amountRow->Add(m_amount, 0, wxALIGN_CENTER_VERTICAL);
    amountRow->Add(new wxStaticText(this, wxID_ANY, "pixels"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    auto* directions = new wxBoxSizer(wxVERTICAL);
    const struct {
      int id;
      const char* label;
      int direction;
    } buttons[] = {{IDC_FEATHER_BOTH, "Both horizontal && vertical", 3},
                   {IDC_FEATHER_HORIZONTAL, "Horizontal only", 2},
                   {IDC_FEATHER_VERTICAL, "Vertical only", 1}};
    for (const auto& b : buttons) {
      auto* radio = new wxRadioButton(this, b.id, b.label, wxDefaultPosition, wxDefaultSize,
                                      b.id == IDC_FEATHER_BOTH ? wxRB_GROUP : 0);
      radio->SetValue(b.direction == m_direction);
      const int direction = b.direction;
      radio->Bind(wxEVT_RADIOBUTTON, [this, direction](wxCommandEvent&) { m_direction = direction; });
      directions->Add(radio, 0, wxBOTTOM, 4);
    }
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(amountRow, 0, wxALL, 10);
    column->Add(directions, 0, wxLEFT | wxRIGHT, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    Bind(wxEVT_BUTTON, &CFeatherDlg::OnOK, this, wxID_OK);
    m_amount->SetFocus();
    m_amount->SelectAll();
  }

 private:
  // OK: only an accepted amount is stored and ends the dialog.
  void OnOK(wxCommandEvent&) {
    long amount = 0;
    if (!m_amount->GetValue().Strip(wxString::both).ToLong(&amount) || amount < 1 || amount > 65535) {
      wxMessageBox(kAmountRefusal, "Feather Selection", wxOK | wxICON_EXCLAMATION, this);
      m_amount->SetFocus();
      return;
    }
    m_values.amount = static_cast<int>(amount);
    m_values.direction = m_direction;
    WriteProfileInt(kSection, "Amount", m_values.amount);
    WriteProfileInt(kSection, "Direction", m_values.direction);
    EndModal(wxID_OK);
  }

  FEATHER_VALUES& m_values;
  wxTextCtrl* m_amount;
  int m_direction = 3;
};

}  // namespace

bool RunFeatherDialog(wxWindow* parent, FEATHER_VALUES& values) {
  FEATHER_VALUES edited = values;
  CFeatherDlg dialog(parent, edited);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = edited;
  return true;
}

bool FeatherSelection(wxWindow* parent, CRasterImage& image) {
  if (image.IsEmpty() || image.GetBitsPerPixel() != 24) return false;
  FEATHER_VALUES values;
  if (!RunFeatherDialog(parent, values)) return false;
  return FeatherImage(image, values.amount, values.direction);
}
