#pragma once
// The "Crop Special" dialog: the image in a resizable dialog with a crop
// rectangle (editor/CropRectCtrl) dragged by its handles or moved whole, and
// the aspect constraints: none, the print formats 3 x 5, 4 x 6, 5 x 7 and
// 8 x 10 (upright or landscape), or a custom width x height applied with
// "Apply". The constraint and the landscape flag are kept under "Crop" and
// written on OK only. It follows the program's dialog pattern
// (shell/ModalDialog.h).

#include <wx/window.h>

#include "imaging/RasterImage.h"

enum CROP_DIALOG_ID {
  IDD_CROP_SPECIAL = 316,
  IDC_CROP_SIZE_TEXT = 1282,
  IDC_CROP_APPLY = 1338,
  IDC_CROP_NONE = 1405,  // the six radio buttons: 1405 + constraint
  IDC_CROP_3X5 = 1406,
  IDC_CROP_4X6 = 1407,
  IDC_CROP_5X7 = 1408,
  IDC_CROP_8X10 = 1409,
  IDC_CROP_CUSTOM = 1410,
  IDC_CROP_CUSTOM_WIDTH = 1411,
  IDC_CROP_CUSTOM_HEIGHT = 1412,
  IDC_CROP_RECT = 1413,
  IDC_CROP_CONSTRAINTS = 1414,
  IDC_CROP_TIMES = 1415,
  IDC_CROP_LANDSCAPE = 1416,
};

struct CROP_SPECIAL_VALUES {
  // Out: the chosen rectangle in image pixels (right and bottom exclusive).
  Rect crop;
  // Out: the constraint (CROP_CONSTRAINT) and orientation as stored.
  int constraint = 0;
  bool landscape = true;
};

// The text of a refused custom width or height (not an unsigned number).
extern const char kCropCustomRefusal[];

// Runs the dialog on the image (shown, not changed). On OK the custom
// width and height are checked (unsigned numbers) before anything is
// stored; then the constraint and the landscape flag are written under
// "Crop" and the rectangle is given back. False on Cancel.
bool RunCropSpecialDialog(wxWindow* parent, const CRasterImage& image, CROP_SPECIAL_VALUES& values);
