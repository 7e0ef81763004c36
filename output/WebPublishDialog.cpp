#include "output/WebPublishDialog.h"

#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "output/SharingCommands.h"
#include "shell/ModalDialog.h"

CWebPublishDialog::CWebPublishDialog(wxWindow* parent)
    : CEmailDialog(parent, kWebPublishSection, "Publish To Web") {
  m_publish.Read();
  auto* grid = new wxFlexGridSizer(2, 6, 6);
  grid->AddGrowableCol(1);
  auto add = [&](wxWindow* label, wxWindow* field) {
    grid->Add(label, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(field, 1, wxEXPAND);
  };
  m_server = new wxTextCtrl(this, IDC_WEB_SERVER, wxString(), wxDefaultPosition, wxSize(240, -1));
  add(new wxStaticText(this, wxID_ANY, "FTP server name:"), m_server);
  m_directory = new wxTextCtrl(this, IDC_WEB_DIRECTORY);
  add(new wxStaticText(this, wxID_ANY, "Server directory:"), m_directory);
  m_user = new wxTextCtrl(this, IDC_WEB_USER);
  add(new wxStaticText(this, wxID_ANY, "User name:"), m_user);
  m_password = new wxTextCtrl(this, IDC_WEB_PASSWORD, wxString(), wxDefaultPosition, wxDefaultSize, wxTE_PASSWORD);
  add(new wxStaticText(this, wxID_ANY, "Password:"), m_password);
  grid->AddSpacer(0);
  m_remember = new wxCheckBox(this, IDC_WEB_REMEMBER, "Remember Password");
  grid->Add(m_remember);
  m_generateIndex = new wxCheckBox(this, IDC_WEB_GENERATE_INDEX, "Generate index page:");
  m_index = new wxTextCtrl(this, IDC_WEB_INDEX);
  add(m_generateIndex, m_index);
  GetSizer()->Insert(0, grid, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
  GetSizer()->SetSizeHints(this);
  // The index name can be edited only while an index page is wanted.
  m_generateIndex->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { m_index->Enable(m_generateIndex->GetValue()); });
}

bool CWebPublishDialog::TransferDataToWindow() {
  m_server->ChangeValue(wxString::FromUTF8(m_publish.strServer));
  m_directory->ChangeValue(wxString::FromUTF8(m_publish.strDirectory));
  m_user->ChangeValue(wxString::FromUTF8(m_publish.strUser));
  m_password->ChangeValue(wxString::FromUTF8(m_publish.bRememberPassword ? m_publish.strPassword : std::string()));
  m_remember->SetValue(m_publish.bRememberPassword);
  m_generateIndex->SetValue(m_publish.bGenerateIndex);
  m_index->ChangeValue(wxString::FromUTF8(m_publish.strIndexFile));
  m_index->Enable(m_publish.bGenerateIndex);
  return CEmailDialog::TransferDataToWindow();
}

bool CWebPublishDialog::TransferDataFromWindow() {
  WEB_PUBLISH_OPTIONS publish = m_publish;
  publish.strServer = m_server->GetValue().Strip(wxString::both).utf8_string();
  publish.strDirectory = m_directory->GetValue().Strip(wxString::both).utf8_string();
  publish.strUser = m_user->GetValue().utf8_string();
  publish.strPassword = m_password->GetValue().utf8_string();
  publish.bRememberPassword = m_remember->GetValue();
  publish.bGenerateIndex = m_generateIndex->GetValue();
  publish.strIndexFile = m_index->GetValue().Strip(wxString::both).utf8_string();
  publish.file.strPrefix = m_prefix->GetValue().utf8_string();
  if (const std::string refusal = CheckWebPublishOptions(publish); !refusal.empty()) {
    wxMessageBox(wxString::FromUTF8(refusal), GetTitle(), wxOK | wxICON_EXCLAMATION, this);
    m_server->SetFocus();
    return false;
  }
  if (!CEmailDialog::TransferDataFromWindow()) return false;
  publish.file = GetOptions();
  m_publish = publish;
  m_publish.Write();
  return true;
}

bool PublishToWebCommand(wxWindow* parent, const std::vector<std::string>& paths) {
  if (paths.empty()) return false;
  WEB_PUBLISH_OPTIONS options;
  {
    CWebPublishDialog dialog(parent);
    if (RunModalDialog(dialog) != wxID_OK) return false;
    options = dialog.GetPublishOptions();
  }
  return PublishPicturesToWeb(parent, paths, options);
}
