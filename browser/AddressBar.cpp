#include "browser/AddressBar.h"

#include <sys/stat.h>
#include <wx/button.h>
#include <wx/dirdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "base/MessageReport.h"

CAddressBar::CAddressBar(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(new wxStaticText(this, wxID_ANY, "Browse in"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 6);
  m_combo = new wxComboBox(this, kComboId, wxEmptyString, wxDefaultPosition, wxSize(200, -1), 0, nullptr,
                           wxCB_DROPDOWN | wxTE_PROCESS_ENTER);
  sizer->Add(m_combo, 1, wxALIGN_CENTER_VERTICAL | wxTOP | wxBOTTOM, 3);
  auto* browse = new wxButton(this, kBrowseButtonId, "Browse...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  browse->SetToolTip("Choose a folder");
  sizer->Add(browse, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 6);
  SetSizer(sizer);
  m_combo->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnEnter(); });
  m_combo->Bind(wxEVT_COMBOBOX, &CAddressBar::OnSelect, this);
  browse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowse(); });
}

void CAddressBar::SetPath(const std::string& text) {
  m_path = text;
  RestoreText();
}

void CAddressBar::RestoreText() {
  m_combo->ChangeValue(wxString::FromUTF8(m_path));
  m_combo->SelectAll();
}

void CAddressBar::SetRemembered(const std::vector<std::string>& folders) {
  if (folders == m_list) return;
  m_list = folders;
  wxArrayString items;
  for (const std::string& folder : folders) items.Add(wxString::FromUTF8(folder));
  m_combo->Set(items);
  RestoreText();
}

void CAddressBar::OnEnter() {
  const std::string text = m_combo->GetValue().utf8_string();
  struct stat st {};
  if (!text.empty() && ::stat(text.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    if (m_navigate) m_navigate(text);
    return;
  }
  ReportMessage(MESSAGE_ERROR, "The path is not a valid directory");
  RestoreText();
}

void CAddressBar::OnSelect(wxCommandEvent& event) {
  const int index = event.GetSelection();
  if (index < 0 || static_cast<size_t>(index) >= m_list.size()) return;
  const std::string folder = m_list[static_cast<size_t>(index)];
  if (m_navigate) m_navigate(folder);
  // The list is rebuilt while the box still handles its choice: the text
  // is put back once it is done.
  CallAfter([this] { RestoreText(); });
}

void CAddressBar::OnBrowse() {
  wxDirDialog chooser(this, "Choose a folder", wxString::FromUTF8(m_path), wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
  if (chooser.ShowModal() != wxID_OK) return;
  const std::string folder = chooser.GetPath().utf8_string();
  if (!folder.empty() && m_navigate) m_navigate(folder);
}
