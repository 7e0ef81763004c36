#pragma once
// The pattern of the program's dialogs. Each dialog has, in its own pair of
// files:
//   - a values struct (what the dialog edits, and what it needs to know);
//   - bool RunXDialog(wxWindow* parent, XValues& values): true when the user
//     accepted; the values are written back only then;
//   - its control ids as named constants (an enum beside the values);
//   - a class derived from CValuesDialog that builds the controls from the
//     values, checks them (CheckValues) before anything is stored, and
//     stores them (StoreValues, including any settings it writes).
// editor/NewImageDialog is the example.
//
// Tests drive a dialog through the test hook: with a hook installed, Run()
// shows the dialog without a modal loop and hands it to the hook, which sets
// controls by their ids (FindWindow(id)) and answers wxID_OK or wxID_CANCEL.
// An OK goes through the same CheckValues and StoreValues as the OK button;
// a refusal ends the run as cancelled and is kept for the test to read.

#include <wx/dialog.h>

#include <functional>
#include <string>

class CValuesDialog : public wxDialog {
 public:
  CValuesDialog(wxWindow* parent, int id, const wxString& title);

  // Shows the dialog modally (or hands it to the test hook); true when the
  // user accepted and the values were stored.
  bool Run();

 protected:
  // Checks the controls before anything is stored. On a refusal fills the
  // message and the control to focus, and returns false.
  virtual bool CheckValues(std::string& message, wxWindow*& focus) = 0;
  // Copies the controls into the values (and writes any settings).
  virtual void StoreValues() = 0;
  // The caption of the refusal's message box (the dialog's title).
  virtual wxString RefusalCaption() const { return GetTitle(); }

 private:
  void OnOK(wxCommandEvent& event);
};

// Called with the shown dialog instead of the modal loop; returns the button
// pressed (wxID_OK or wxID_CANCEL).
using DialogTestHook = std::function<int(CValuesDialog& dialog)>;
// Installs a hook (empty: none) and returns the previous one.
DialogTestHook SetDialogTestHook(DialogTestHook hook);
// The message of the last OK refused while a hook ran ("" after an accepted run).
const std::string& GetLastDialogRefusal();
