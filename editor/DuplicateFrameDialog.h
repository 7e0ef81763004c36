#pragma once
// The Duplicate Frame dialog: how many copies of the current frame the
// Create Duplicates command inserts (0 to 1000). The program's dialog
// pattern (shell/ModalDialog.h).

#include <wx/window.h>

enum DUPLICATE_FRAME_DIALOG_ID {
  IDD_DUPLICATE_FRAME = 209,
  IDC_DUPLICATE_FRAME_COUNT = 1186,
};

constexpr int kMaxDuplicateFrames = 1000;

// Runs the dialog (the edit starts at 0). OK checks the number (an integer
// from 0 to 1000, else "Please enter an integer between 0 and 1000." and the
// dialog stays) and returns it; Cancel returns 0.
int RunDuplicateFrameDialog(wxWindow* parent);
