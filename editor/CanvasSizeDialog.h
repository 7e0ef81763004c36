#pragma once
// The "Canvas Size" dialog: the canvas's new width and height and where the
// frames go in it (left, centre or right; top, centre or bottom). The
// alignments are kept under "Canvas Size".

#include <wx/window.h>

enum CANVAS_SIZE_DIALOG_ID {
  IDD_CANVAS_SIZE = 192,
  IDC_CANVAS_WIDTH = 1039,
  IDC_CANVAS_HEIGHT = 1040,
  IDC_CANVAS_HORIZONTAL = 1325,
  IDC_CANVAS_VERTICAL = 1326,
};

struct CANVAS_SIZE_VALUES {
  int width = 1;       // 1..32767
  int height = 1;      // 1..32767
  int horizontal = 1;  // 0 left, 1 centre, 2 right
  int vertical = 1;    // 0 top, 1 centre, 2 bottom
};

// How far the frames move when a side of `oldSide` becomes `newSide` with
// the alignment (0: none, 1: half the difference, 2: all of it).
int CanvasOffset(int oldSide, int newSide, int alignment);

// Runs the dialog on the values (width and height in, all four out). On OK
// the sides are checked (1 to 32767) before anything is stored; then the
// alignments are written. False on Cancel.
bool RunCanvasSizeDialog(wxWindow* parent, CANVAS_SIZE_VALUES& values);
