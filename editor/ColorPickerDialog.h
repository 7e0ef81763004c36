#pragma once
// The Color Picker dialog: a colour picked from the image with the
// eyedropper, or chosen in the colour dialog ("Advanced..."). It follows the
// program's dialog pattern (shell/ModalDialog.h); window tests drive it
// through a CModalDialogHook.

#include <wx/window.h>

#include "imaging/ImageTypes.h"

class CRasterImage;

enum COLOR_PICKER_DIALOG_ID {
  IDD_COLOR_PICKER = 183,
  IDC_PICKER_PREVIEW = 1132,
  IDC_PICKER_COLOR = 1133,
  IDC_PICKER_HAND = 1134,
  IDC_PICKER_EYEDROPPER = 1135,
  IDC_PICKER_ADVANCED = 1136,
  IDC_PICKER_RED = 1137,
  IDC_PICKER_GREEN = 1138,
  IDC_PICKER_BLUE = 1139,
};

// Whether "Advanced..." may choose any colour for the image: a 24-bit image,
// or an indexed one with a palette entry no pixel refers to.
bool ColorPickerAllowsAnyColor(const CRasterImage& image);
// Whether a chosen colour can be used on the image: any colour on a 24-bit
// image; on an indexed one, a colour of its palette or any colour when an
// entry is free for it.
bool ColorPickerAccepts(const CRasterImage& image, const RGBQUAD& colour);

// Runs the dialog on the image. True after OK with the chosen colour when the
// image can take it (ColorPickerAccepts); false otherwise.
bool RunColorPicker(wxWindow* parent, const CRasterImage& image, RGBQUAD& colour);
