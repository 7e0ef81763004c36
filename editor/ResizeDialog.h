#pragma once
// The "Resize image" dialog: the new width and height of an image (or the
// floating selection), keeping the aspect ratio through a scale in percent,
// and the interpolation method of 24-bit and grey images. Settings live
// under "Resize Options".

#include <wx/window.h>

class CRasterImage;

enum RESIZE_DIALOG_ID {
  IDD_RESIZE = 143,
  IDC_RESIZE_WIDTH = 1039,
  IDC_RESIZE_HEIGHT = 1040,
  IDC_RESIZE_KEEP_ASPECT = 1041,
  IDC_RESIZE_NEAREST = 1042,
  IDC_RESIZE_LINEAR = 1043,
  IDC_RESIZE_BILINEAR = 1044,
  IDC_RESIZE_BICUBIC = 1045,
  IDC_RESIZE_NATURAL = 1046,
  IDC_RESIZE_SCALE = 1298,
};

struct RESIZE_VALUES {
  int width = 0;   // 1..32767
  int height = 0;  // 1..32767
  int method = 0;  // 0 nearest neighbour, 1..4 filtered
};

// The other side for a typed one while the aspect ratio is kept, in 64-bit
// arithmetic: other = typed x startOther / startTyped.
int KeepAspectSide(int typed, int startTyped, int startOther);

// Runs the dialog for the image. False for an empty image or Cancel. On OK
// the values are checked (each side 1 to 32767, a kept aspect's scale 0 to
// 65530) before anything is stored;
// "Maintain AspectRatio" is written, "Interpolation Method" only for 24-bit
// and grey images (others always get method 0).
bool RunResizeDialog(wxWindow* parent, const CRasterImage& image, RESIZE_VALUES& values);
