#pragma once
// The "Slide Show" options: pause time, only the selected pictures, the
// cross-fade, and whether the dialog shows only while Shift is held. Kept in
// the settings section "Slide Show".

#include <wx/dialog.h>

#include <functional>

class wxCheckBox;
class wxTextCtrl;

struct SLIDE_SHOW_OPTIONS {
  int nPauseTime = 5;           // seconds, 0..1000
  int bShowOnlySelected = 0;
  int bTransition = 1;
  int bShowWhenShiftPressed = 0;
};

// The four settings as stored (out-of-range values clamped).
SLIDE_SHOW_OPTIONS LoadSlideShowOptions();
void SaveSlideShowOptions(const SLIDE_SHOW_OPTIONS& options);

class CSlideShowOptionsDlg : public wxDialog {
 public:
  // Control ids of the dialog.
  enum { IDC_PAUSE_TIME = 1318, IDC_ONLY_SELECTED = 1319, IDC_TRANSITION = 1399, IDC_SHIFT_ONLY = 1400 };

  CSlideShowOptionsDlg(wxWindow* parent, const SLIDE_SHOW_OPTIONS& options, bool hasSelection);
  bool TransferDataToWindow() override;
  // False (with a message) when the pause time is not an integer in 0..1000.
  bool TransferDataFromWindow() override;
  const SLIDE_SHOW_OPTIONS& GetOptions() const { return m_options; }

 private:
  SLIDE_SHOW_OPTIONS m_options;
  bool m_bHasSelection;
  wxTextCtrl* m_pause;
  wxCheckBox* m_onlySelected;
  wxCheckBox* m_transition;
  wxCheckBox* m_shiftOnly;
};

// Reads the settings and asks with the dialog, unless the dialog is to show
// only while Shift is held and Shift is up: then the stored values count as
// accepted. On acceptance the pause, only-selected and transition values go
// to the out-arguments, all four settings are written back and the result
// is true; Cancel writes nothing and gives false.
bool GetSlideShowOptions(int* pause, int* onlySelected, int* transition, bool hasSelection);

// Test hooks: the dialog's answer (edits the options, true for OK) and the
// Shift key's state. Empty functions use the dialog and the keyboard.
void SetSlideShowOptionsPrompt(std::function<bool(SLIDE_SHOW_OPTIONS&, bool hasSelection)> prompt);
void SetShiftKeyState(std::function<bool()> isShiftDown);
