#include "editor/RotateDialog.h"

#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "base/Profile.h"
#include "resources/ToolbarResources.h"
#include "shell/FlatToolBar.h"
#include "shell/ModalDialog.h"

namespace {

const char kSection[] = "Rotate";
const char kAngleRefusal[] = "Please enter an integer between 0 and 360.";

class CRotateDlg : public wxDialog {
 public:
  CRotateDlg(wxWindow* parent, ROTATE_VALUES& values) : wxDialog(parent, IDD_ROTATE, "Rotate"), m_values(values) {
    const int direction = GetProfileInt(kSection, "Direction", 1);
    const int angle = GetProfileInt(kSection, "Angle", 0);
    auto* directions = new wxFlexGridSizer(2, 8, 8);
    m_clockwise = new wxRadioButton(this, IDC_ROTATE_CLOCKWISE, "Clockwise", wxDefaultPosition, wxDefaultSize,
                                    wxRB_GROUP);
    m_counter = new wxRadioButton(this, IDC_ROTATE_COUNTER_CLOCKWISE, "Counter-clockwise");
    // The pictures say which way each button turns.
    directions->Add(
        new wxStaticBitmap(this, wxID_ANY, wxBitmap(MakeToolImage("object-rotate-right", TOOL_ART_ROTATE_RIGHT, 32))), 0,
        wxALIGN_CENTER_VERTICAL);
    directions->Add(m_clockwise, 0, wxALIGN_CENTER_VERTICAL);
    directions->Add(
        new wxStaticBitmap(this, wxID_ANY, wxBitmap(MakeToolImage("object-rotate-left", TOOL_ART_ROTATE_LEFT, 32))), 0,
        wxALIGN_CENTER_VERTICAL);
    directions->Add(m_counter, 0, wxALIGN_CENTER_VERTICAL);
    auto* angleRow = new wxBoxSizer(wxHORIZONTAL);
    angleRow->Add(new wxStaticText(this, wxID_ANY, "Angle:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_angle = new wxTextCtrl(this, IDC_ROTATE_ANGLE, wxString::Format("%d", angle));
    angleRow->Add(m_angle, 0, wxALIGN_CENTER_VERTICAL);
    angleRow->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("\xC2\xB0")), 0,
                  wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(directions, 0, wxALL, 10);
    column->Add(angleRow, 0, wxLEFT | wxRIGHT, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    (direction == 1 ? m_clockwise : m_counter)->SetValue(true);
    Bind(wxEVT_BUTTON, &CRotateDlg::OnOK, this, wxID_OK);
    m_angle->SetFocus();
    m_angle->SelectAll();
  }

 private:
  // OK: a refused angle keeps the dialog open and stores nothing.
  void OnOK(wxCommandEvent&) {
    long angle = 0;
    if (!m_angle->GetValue().Strip(wxString::both).ToLong(&angle) || angle < 0 || angle > 360) {
      wxMessageBox(kAngleRefusal, "Rotate", wxOK | wxICON_EXCLAMATION, this);
      m_angle->SetFocus();
      return;
    }
    const int direction = m_clockwise->GetValue() ? 1 : 0;
    WriteProfileInt(kSection, "Direction", direction);
    WriteProfileInt(kSection, "Angle", static_cast<int>(angle));
    m_values.direction = direction;
    m_values.angle = SignedRotationAngle(static_cast<int>(angle), direction);
    EndModal(wxID_OK);
  }

  ROTATE_VALUES& m_values;
  wxTextCtrl* m_angle;
  wxRadioButton* m_clockwise;
  wxRadioButton* m_counter;
};

}  // namespace

bool RunRotateDialog(wxWindow* parent, ROTATE_VALUES& values) {
  ROTATE_VALUES edited = values;
  CRotateDlg dialog(parent, edited);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = edited;
  return true;
}
