#include "editor/DuplicateFrameDialog.h"

#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "shell/ModalDialog.h"

namespace {

const char kCountRefusal[] = "Please enter an integer between 0 and 1000.";

class CDuplicateFrameDlg : public wxDialog {
 public:
  explicit CDuplicateFrameDlg(wxWindow* parent) : wxDialog(parent, IDD_DUPLICATE_FRAME, "Duplicate Frame") {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, "Number of frames to duplicate:"), 0, wxALIGN_CENTER_VERTICAL);
    m_edit = new wxTextCtrl(this, IDC_DUPLICATE_FRAME_COUNT, "0");
    row->Add(m_edit, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(row, 0, wxALL, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    Bind(wxEVT_BUTTON, &CDuplicateFrameDlg::OnOK, this, wxID_OK);
  }

  int GetCount() const { return m_count; }

 private:
  void OnOK(wxCommandEvent&) {
    long count = -1;
    if (!m_edit->GetValue().Trim().Trim(false).ToLong(&count) || count < 0 || count > kMaxDuplicateFrames) {
      wxMessageBox(kCountRefusal, "Duplicate Frame", wxOK | wxICON_EXCLAMATION, this);
      m_edit->SetFocus();
      m_edit->SelectAll();
      return;
    }
    m_count = static_cast<int>(count);
    EndModal(wxID_OK);
  }

  wxTextCtrl* m_edit;
  int m_count = 0;
};

}  // namespace

int RunDuplicateFrameDialog(wxWindow* parent) {
  CDuplicateFrameDlg dialog(parent);
  if (RunModalDialog(dialog) != wxID_OK) return 0;
  return dialog.GetCount();
}
