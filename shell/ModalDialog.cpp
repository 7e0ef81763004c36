#include "shell/ModalDialog.h"

#include <wx/button.h>

namespace {
CModalDialogHook* g_hook = nullptr;
}

CModalDialogHook::CModalDialogHook(ModalDialogHook hook) : m_hook(std::move(hook)), m_previous(g_hook) {
  g_hook = this;
}

CModalDialogHook::~CModalDialogHook() { g_hook = m_previous; }

int RunModalDialog(wxDialog& dialog) {
  if (CModalDialogHook* hook = g_hook) {
    dialog.CallAfter([hook, &dialog] {
      ++hook->m_calls;
      const int id = hook->m_hook(dialog);
      if (!dialog.IsModal()) return;  // the hook ended it itself
      // The button's click, so the dialog's own OK and Cancel handling runs.
      wxCommandEvent click(wxEVT_BUTTON, id);
      click.SetEventObject(dialog.FindWindow(id) ? dialog.FindWindow(id) : &dialog);
      dialog.ProcessWindowEvent(click);
      // An OK the dialog's own handler refused (values it would not store)
      // leaves the dialog up: it ends cancelled, never as accepted.
      if (dialog.IsModal()) dialog.EndModal(id == wxID_OK ? wxID_CANCEL : id);
    });
  }
  return dialog.ShowModal();
}
