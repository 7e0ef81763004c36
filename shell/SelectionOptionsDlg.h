#pragma once
// CSelectionOptionsDlg: the modeless Selection Options window. Its one edit
// holds the magic-wand tolerance (0 to 255), a program-wide value that starts
// at 32 and is never stored (imaging/MagicWand). Every change of the edit and
// the loss of its focus apply the text: an empty edit gives 0 without a word,
// a bad value ("300", "x") is refused with a message and counts as 0. Closing
// the window applies the text once more and stays open only on a bad value.
// At most one window exists; the main frame's Selection Option command opens
// and closes it, and the frame closes it when the frame goes.

#include <wx/dialog.h>

#include <string>

class wxTextCtrl;

// What an edit's text says as a tolerance.
enum class ToleranceText { Empty, Valid, Invalid };
// Valid: a whole number 0 to 255 (blanks around it allowed), put into value;
// otherwise value is 0.
ToleranceText ParseTolerance(const std::string& text, int& value);

class CSelectionOptionsDlg : public wxDialog {
 public:
  enum { IDC_TOLERANCE = 1108 };
  static constexpr const char* kRefusal = "Please enter an integer between 0 and 255.";

  explicit CSelectionOptionsDlg(wxWindow* parent);
  ~CSelectionOptionsDlg() override;

  // Sets the tolerance from the edit: TRUE for a valid value; an empty edit
  // sets 0 (FALSE, no message); a bad one sets 0 after the message (FALSE).
  bool ApplyTolerance();
  wxTextCtrl* GetToleranceEdit() const { return m_edit; }

 private:
  void OnClose(wxCloseEvent& event);

  wxTextCtrl* m_edit = nullptr;
  bool m_bApplying = false;  // the message box's focus change must not apply again
};

// Creates the window over parent unless it exists.
void OpenSelectionOptions(wxWindow* parent);
bool IsSelectionOptionsOpen();
// Destroys the window when it exists (the tolerance stays as it is).
void CloseSelectionOptions();
// The window while it exists, else nullptr (for tests).
CSelectionOptionsDlg* GetSelectionOptionsWindow();
