#include "shell/ValuesDialog.h"

#include <wx/msgdlg.h>

namespace {

DialogTestHook g_hook;
std::string g_lastRefusal;

}  // namespace

DialogTestHook SetDialogTestHook(DialogTestHook hook) {
  std::swap(g_hook, hook);
  return hook;
}

const std::string& GetLastDialogRefusal() { return g_lastRefusal; }

CValuesDialog::CValuesDialog(wxWindow* parent, int id, const wxString& title) : wxDialog(parent, id, title) {
  Bind(wxEVT_BUTTON, &CValuesDialog::OnOK, this, wxID_OK);
}

bool CValuesDialog::Run() {
  if (!g_hook) return ShowModal() == wxID_OK;
  g_lastRefusal.clear();
  Show();
  bool accepted = false;
  if (g_hook(*this) == wxID_OK) {
    std::string message;
    wxWindow* focus = nullptr;
    if (CheckValues(message, focus)) {
      StoreValues();
      accepted = true;
    } else {
      g_lastRefusal = message;
    }
  }
  Hide();
  return accepted;
}

void CValuesDialog::OnOK(wxCommandEvent&) {
  std::string message;
  wxWindow* focus = nullptr;
  if (!CheckValues(message, focus)) {
    wxMessageBox(wxString::FromUTF8(message), RefusalCaption(), wxOK | wxICON_EXCLAMATION, this);
    if (focus) focus->SetFocus();
    return;
  }
  StoreValues();
  EndModal(wxID_OK);
}
