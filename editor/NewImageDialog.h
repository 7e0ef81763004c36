#pragma once
// The New Image dialog: the size of a blank image, whether it starts empty
// (no pixels) or white, or whether it is pasted from the clipboard instead.
// It follows the program's dialog pattern (shell/ModalDialog.h): a values
// struct, named control ids, RunNewImageDialog, and window tests drive it
// through a CModalDialogHook.

#include <wx/window.h>

// The dialog's resource id and control ids.
enum NEW_IMAGE_DIALOG_ID {
  IDD_NEW_IMAGE = 206,
  IDC_NEW_IMAGE_WIDTH = 1039,
  IDC_NEW_IMAGE_HEIGHT = 1040,
  IDC_NEW_IMAGE_PASTE = 1184,
  IDC_NEW_IMAGE_EMPTY = 1185,
};

struct NEW_IMAGE_VALUES {
  int width = 300;   // 1..32767
  int height = 300;  // 1..32767
  bool empty = false;
  bool paste = false;
  // In: whether the clipboard holds an image (Paste From Clipboard is offered only then).
  bool clipboardAvailable = false;
};

// Runs the dialog on the values. On OK the values are checked (a side is 1 to
// 32767 unless pasting), written back and stored under "New Image Info";
// Cancel changes nothing.
bool RunNewImageDialog(wxWindow* parent, NEW_IMAGE_VALUES& values);
