#pragma once
// The Frame Optimization dialog of the Optimize command: whether the frames
// go on one global palette, and whether (and how) the pixel count is
// reduced. The choices are kept under "Optimization Option". The program's
// dialog pattern (shell/ModalDialog.h).

#include <wx/window.h>

enum FRAME_OPTIMIZATION_DIALOG_ID {
  IDD_FRAME_OPTIMIZATION = 216,
  IDC_OPTIMIZE_DIFFERENCING = 1198,
  IDC_OPTIMIZE_BOUNDING_RECT = 1199,
  IDC_OPTIMIZE_GLOBAL_PALETTE = 1200,
  IDC_OPTIMIZE_REDUCE_PIXELS = 1201,
};

struct FRAME_OPTIMIZATION_VALUES {
  // 0: the pixel count is not reduced; 1 frame differencing (unchanged
  // pixels transparent); 2 minimum bounding rectangle (crop only).
  int method = 1;
  bool globalPalette = true;
};

// Runs the dialog. The values in are the defaults of the stored choices
// (method 0 meaning "Reduce Pixel Count" off); OK writes the three settings
// and gives the method (0 when reducing the pixel count is off, whatever
// radio button is selected) and the flag. False on Cancel.
bool RunFrameOptimizationDialog(wxWindow* parent, FRAME_OPTIMIZATION_VALUES& values);
