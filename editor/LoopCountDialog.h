#pragma once
// The Loop dialog: how often an animation plays (none, forever, or a count).
// It follows the program's dialog pattern (shell/ModalDialog.h); the rules
// of its edit are the window-free ParseLoopCountText.

#include <wx/window.h>

#include <cstdint>
#include <string>

enum LOOP_COUNT_DIALOG_ID {
  IDD_LOOP_COUNT = 222,
  IDC_LOOP_COUNT_EDIT = 1081,
  IDC_LOOP_COUNT_NONE = 1082,
  IDC_LOOP_COUNT_FOREVER = 1083,
  IDC_LOOP_COUNT_TIMES = 1085,
};

// The loop values: 0 none, 65535 forever, else the count.
constexpr uint16_t kLoopNone = 0;
constexpr uint16_t kLoopForever = 65535;

// What a change of the count edit means: an empty text leaves the value and
// disables OK; otherwise the leading digits are the number (65535 at most)
// and, when a character other than a digit was met or the number was
// larger, the edit's text is replaced by the number.
struct LOOP_COUNT_EDIT {
  bool empty = false;
  uint16_t value = 0;
  bool rewrite = false;
  std::string text;  // the number as the edit shows it after a rewrite
};
LOOP_COUNT_EDIT ParseLoopCountText(const std::string& text);

// Runs the dialog on the loop value; OK stores the dialog's value and returns
// true, Cancel returns false and leaves it.
bool RunLoopCountDialog(wxWindow* parent, uint16_t& loopCount);
