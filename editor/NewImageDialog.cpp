#include "editor/NewImageDialog.h"

#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "base/ImageGeometry.h"
#include "base/Profile.h"
#include "shell/ModalDialog.h"

namespace {

const char kSection[] = "New Image Info";
const char kSideRefusal[] = "Please enter an integer between 1 and 32767.";

class CNewImageDlg : public wxDialog {
 public:
  CNewImageDlg(wxWindow* parent, NEW_IMAGE_VALUES& values)
      : wxDialog(parent, IDD_NEW_IMAGE, "New Image"), m_values(values) {
    auto* grid = new wxFlexGridSizer(2, 6, 6);
    grid->Add(new wxStaticText(this, wxID_ANY, "Width:"), 0, wxALIGN_CENTER_VERTICAL);
    m_width = new wxTextCtrl(this, IDC_NEW_IMAGE_WIDTH, wxString::Format("%d", values.width));
    grid->Add(m_width);
    grid->Add(new wxStaticText(this, wxID_ANY, "Height:"), 0, wxALIGN_CENTER_VERTICAL);
    m_height = new wxTextCtrl(this, IDC_NEW_IMAGE_HEIGHT, wxString::Format("%d", values.height));
    grid->Add(m_height);
    m_paste = new wxCheckBox(this, IDC_NEW_IMAGE_PASTE, "Paste From Clipboard");
    m_empty = new wxCheckBox(this, IDC_NEW_IMAGE_EMPTY, "Empty initially");
    m_empty->SetValue(values.empty);
    m_paste->SetValue(values.clipboardAvailable && values.paste);
    m_paste->Enable(values.clipboardAvailable);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 0, wxALL, 10);
    column->Add(m_paste, 0, wxLEFT | wxRIGHT, 10);
    column->Add(m_empty, 0, wxALL, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    m_paste->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { UpdateControls(); });
    Bind(wxEVT_BUTTON, &CNewImageDlg::OnOK, this, wxID_OK);
    UpdateControls();
  }

 private:
  // OK: the values are checked before anything is stored; a refused side is
  // named in a message box and takes the focus, and the dialog stays.
  void OnOK(wxCommandEvent&) {
    std::string message;
    wxWindow* focus = nullptr;
    if (!CheckValues(message, focus)) {
      wxMessageBox(message, "New Image", wxOK | wxICON_EXCLAMATION, this);
      focus->SetFocus();
      return;
    }
    StoreValues();
    EndModal(wxID_OK);
  }

  bool CheckValues(std::string& message, wxWindow*& focus) {
    if (Pasting()) return true;
    for (wxTextCtrl* side : {m_width, m_height}) {
      long value = 0;
      if (!side->GetValue().ToLong(&value) || value < 1 || value > kMaxImageSide) {
        message = kSideRefusal;
        focus = side;
        return false;
      }
    }
    return true;
  }

  void StoreValues() {
    const bool paste = Pasting();
    if (!paste) {
      long width = 0, height = 0;
      m_width->GetValue().ToLong(&width);
      m_height->GetValue().ToLong(&height);
      m_values.width = static_cast<int>(width);
      m_values.height = static_cast<int>(height);
    }
    m_values.empty = m_empty->GetValue();
    m_values.paste = paste;
    if (!paste) {
      WriteProfileInt(kSection, "Width", m_values.width);
      WriteProfileInt(kSection, "Height", m_values.height);
      WriteProfileInt(kSection, "Initially Empty", m_values.empty ? 1 : 0);
    }
    if (m_paste->IsEnabled()) WriteProfileInt(kSection, "Paste From Clipboard", m_values.paste ? 1 : 0);
  }

  bool Pasting() const { return m_paste->IsEnabled() && m_paste->GetValue(); }

  void UpdateControls() {
    const bool paste = Pasting();
    m_width->Enable(!paste);
    m_height->Enable(!paste);
    m_empty->Enable(!paste);
  }

  NEW_IMAGE_VALUES& m_values;
  wxTextCtrl* m_width;
  wxTextCtrl* m_height;
  wxCheckBox* m_paste;
  wxCheckBox* m_empty;
};

}  // namespace

bool RunNewImageDialog(wxWindow* parent, NEW_IMAGE_VALUES& values) {
  NEW_IMAGE_VALUES edited = values;
  CNewImageDlg dialog(parent, edited);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = edited;
  return true;
}
