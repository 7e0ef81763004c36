#pragma once
// The "Feather Selection" dialog: how many pixels the edges of a 24-bit
// floating selection fade over, and in which directions; and
// FeatherSelection, which runs it and feathers the selection. Settings live
// under "Feather".

#include <wx/window.h>

class CRasterImage;

enum FEATHER_DIALOG_ID {
  IDD_FEATHER = 312,
  IDC_FEATHER_AMOUNT = 1395,
  IDC_FEATHER_BOTH = 1396,
  IDC_FEATHER_HORIZONTAL = 1397,
  IDC_FEATHER_VERTICAL = 1398,
};

struct FEATHER_VALUES {
  int amount = 5;     // 1..65535 pixels
  int direction = 3;  // 3 both, 2 horizontal only, 1 vertical only
};

// Runs the dialog from the stored "Amount" (5) and "Direction" (3; anything
// outside 1..3 counts as 3). On OK the amount is checked (1 to 65535) before
// anything is stored; then both are written. False on Cancel.
bool RunFeatherDialog(wxWindow* parent, FEATHER_VALUES& values);

// Feathers a 24-bit image (the floating selection) after asking with the
// dialog: false without a dialog for an empty image or one that is not
// 24-bit, false on Cancel; else the image's edges are feathered (an image
// without a mask is made opaque first) and true.
bool FeatherSelection(wxWindow* parent, CRasterImage& image);
