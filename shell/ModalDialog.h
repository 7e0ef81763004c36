#pragma once
// How the program's dialogs are run modally, with a hook for window tests.
//
// Dialog pattern: a values struct, a free function
//   bool RunXDialog(wxWindow* parent, XValues& values)
// that builds the dialog on the stack from the values, runs it through
// RunModalDialog and copies the values out only when it ended with OK; the
// controls carry named ids (constants in the dialog's header) so tests find
// them with FindWindow.
//
// A test installs a CModalDialogHook: when the dialog is up (shown, in its
// modal loop) the hook gets it, may look at it, change controls and take
// screenshots, and returns the button that ends it (wxID_OK, wxID_CANCEL...);
// that button's click then goes through the dialog's own handlers. An OK
// those handlers refuse ends the dialog with wxID_CANCEL.

#include <wx/dialog.h>

#include <functional>

using ModalDialogHook = std::function<int(wxDialog&)>;

// Installs the hook for the dialogs run while it lives (one at a time).
class CModalDialogHook {
 public:
  explicit CModalDialogHook(ModalDialogHook hook);
  ~CModalDialogHook();
  CModalDialogHook(const CModalDialogHook&) = delete;
  CModalDialogHook& operator=(const CModalDialogHook&) = delete;
  // How many dialogs the hook was given.
  int GetCalls() const { return m_calls; }

 private:
  friend int RunModalDialog(wxDialog& dialog);
  ModalDialogHook m_hook;
  CModalDialogHook* m_previous;
  int m_calls = 0;
};

// ShowModal, with the installed hook driving the dialog; returns the id the
// dialog ended with.
int RunModalDialog(wxDialog& dialog);
