#pragma once
// The "Rotate" dialog: an angle of 0 to 360 degrees and its direction
// (clockwise or counter-clockwise, each shown by a picture beside its radio
// button). Settings live under "Rotate".

#include <wx/window.h>

enum ROTATE_DIALOG_ID {
  IDD_ROTATE = 210,
  IDC_ROTATE_ANGLE = 1187,
  IDC_ROTATE_CLOCKWISE = 1188,
  IDC_ROTATE_COUNTER_CLOCKWISE = 1189,
};

struct ROTATE_VALUES {
  int angle = 0;      // out: degrees, clockwise when positive
  int direction = 1;  // out: 1 clockwise, 0 counter-clockwise (as stored)
};

// The signed angle of a typed angle and a direction: negative for direction 0.
inline int SignedRotationAngle(int angle, int direction) { return direction ? angle : -angle; }

// Runs the dialog, starting from the stored "Direction" (1) and "Angle" (0).
// On OK the angle is checked (0 to 360) before anything is stored; then the
// typed angle and the direction are written and the values get the signed
// angle. False on Cancel.
bool RunRotateDialog(wxWindow* parent, ROTATE_VALUES& values);
