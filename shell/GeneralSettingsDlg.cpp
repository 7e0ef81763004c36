#include "shell/GeneralSettingsDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <charconv>
#include <string>

#include "platform/RecentFileList.h"
#include "shell/ModalDialog.h"

namespace {

bool HasEntries(const CRecentFileList* list) {
  if (!list) return false;
  for (int i = 0; i < list->GetCount(); ++i)
    if (!(*list)[i].empty()) return true;
  return false;
}

}  // namespace

CGeneralSettingsDlg::CGeneralSettingsDlg(wxWindow* parent, CRecentFileList* list, int recentCount, int autoPlay)
    : wxDialog(parent, wxID_ANY, "General Settings"), m_pList(list), m_nRecentCount(recentCount), m_nAutoPlay(autoPlay) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(this, wxID_ANY, "Number of recently used file list:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  m_count = new wxTextCtrl(this, IDC_RECENT_COUNT, wxString(), wxDefaultPosition, wxSize(48, -1));
  row->Add(m_count, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  row->Add(new wxStaticText(this, wxID_ANY, "(0...10)"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  m_clear = new wxButton(this, IDC_CLEAR_RECENT, "Clear");
  row->Add(m_clear, 0, wxALIGN_CENTER_VERTICAL);
  top->Add(row, 0, wxALL, 10);
  m_autoPlay = new wxCheckBox(this, IDC_AUTO_PLAY, "Play animation when it is opened or imported");
  top->Add(m_autoPlay, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  top->Add(CreateSeparatedButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  m_clear->Enable(HasEntries(m_pList));
  m_clear->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnClear(); });
}

bool CGeneralSettingsDlg::TransferDataToWindow() {
  m_count->ChangeValue(wxString::Format("%d", m_nRecentCount));
  m_autoPlay->SetValue(m_nAutoPlay != 0);
  return true;
}

bool CGeneralSettingsDlg::TransferDataFromWindow() {
  const std::string text = m_count->GetValue().Strip(wxString::both).utf8_string();
  int value = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 || value > 10) {
    wxMessageBox("Please enter an integer between 0 and 10.", GetTitle(), wxOK | wxICON_EXCLAMATION, this);
    m_count->SetFocus();
    m_count->SelectAll();
    return false;
  }
  m_nRecentCount = value;
  m_nAutoPlay = m_autoPlay->GetValue() ? 1 : 0;
  return true;
}

void CGeneralSettingsDlg::OnClear() {
  if (!m_pList) return;
  // From the last entry to the first; stored at once.
  for (int i = m_pList->GetCount() - 1; i >= 0; --i)
    if (!(*m_pList)[i].empty()) m_pList->Remove(i);
  m_pList->WriteList();
  m_clear->Enable(false);
}

bool RunGeneralSettingsDialog(wxWindow* parent, CRecentFileList* list, int& recentCount, int& autoPlay) {
  CGeneralSettingsDlg dialog(parent, list, recentCount, autoPlay);
  if (RunModalDialog(dialog) != wxID_OK) return false;
  recentCount = dialog.GetRecentCount();
  autoPlay = dialog.GetAutoPlay();
  return true;
}
