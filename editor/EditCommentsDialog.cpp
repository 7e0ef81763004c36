#include "editor/EditCommentsDialog.h"

#include <wx/artprov.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "formats/PersonalSignature.h"
#include "shell/ModalDialog.h"

namespace {

const char kLengthRefusal[] = "Please enter no more than 32768 characters.";

// The control shows LF line ends; the model keeps CR LF.
wxString ToControl(const std::string& text) {
  wxString shown = wxString::FromUTF8(text);
  shown.Replace("\r\n", "\n");
  shown.Replace("\r", "\n");
  return shown;
}

std::string FromControl(const wxString& shown) {
  std::string lf = shown.ToStdString(wxConvUTF8);
  std::string text;
  text.reserve(lf.size() + lf.size() / 16);
  for (char c : lf) {
    if (c == '\r') continue;
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}

class CEditCommentsDlg : public wxDialog {
 public:
  CEditCommentsDlg(wxWindow* parent, std::string& text)
      : wxDialog(parent, IDD_EDIT_COMMENTS, "Edit Comments", wxDefaultPosition, wxDefaultSize,
                 wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
        m_text(text) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    m_edit = new wxTextCtrl(this, IDC_COMMENT_TEXT, ToControl(text), wxDefaultPosition, wxSize(380, 160),
                            wxTE_MULTILINE | wxVSCROLL);
    column->Add(m_edit, 1, wxEXPAND | wxALL, 10);
    auto* hint = new wxBoxSizer(wxHORIZONTAL);
    hint->Add(new wxStaticBitmap(this, IDC_COMMENT_PICTURE, wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_MESSAGE_BOX)),
              0, wxRIGHT, 8);
    auto* note = new wxStaticText(
        this, wxID_ANY,
        "You can add file name, date and time into the comments by typing <Filename>, <Date> or <Time>.");
    note->Wrap(320);
    hint->Add(note, 1, wxALIGN_CENTER_VERTICAL);
    column->Add(hint, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    Bind(wxEVT_BUTTON, &CEditCommentsDlg::OnOK, this, wxID_OK);
  }

 private:
  void OnOK(wxCommandEvent&) {
    // GTK's multi-line control has no length limit of its own.
    const wxString shown = m_edit->GetValue();
    if (shown.length() > kMaxCommentLength) {
      wxMessageBox(kLengthRefusal, "Edit Comments", wxOK | wxICON_EXCLAMATION, this);
      m_edit->SetFocus();
      return;
    }
    m_text = FromControl(shown);
    EndModal(wxID_OK);
  }

  std::string& m_text;
  wxTextCtrl* m_edit;
};

}  // namespace

bool EditCommentText(wxWindow* parent, std::string& text) {
  std::string edited = text;
  CEditCommentsDlg dialog(parent, edited);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  text = std::move(edited);
  return true;
}

void EditPersonalSignature(wxWindow* parent) {
  std::string signature = GetPersonalSignature();
  if (EditCommentText(parent, signature)) SetPersonalSignature(signature);
}
