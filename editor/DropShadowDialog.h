#pragma once
// The "Add Drop Shadow" dialog: a soft shadow under a floating selection,
// with its colour, offset, opacity and softness, shown in a preview that the
// user can pan (imaging/DropShadow.h computes it). It follows the program's
// dialog pattern (shell/ModalDialog.h): control ids below, the values in
// DROP_SHADOW_PARAMS, RunDropShadowDialog; window tests drive it through a
// CModalDialogHook.

#include <string>

#include <wx/window.h>

#include "imaging/DropShadow.h"

enum DROP_SHADOW_DIALOG_ID {
  IDD_DROP_SHADOW = 220,
  IDC_SHADOW_COLOR = 1133,
  IDC_SHADOW_RED = 1137,
  IDC_SHADOW_GREEN = 1138,
  IDC_SHADOW_BLUE = 1139,
  IDC_SHADOW_PREVIEW = 1165,
  IDC_SHADOW_OPACITY_SLIDER = 1241,
  IDC_SHADOW_SOFTNESS_SLIDER = 1242,
  IDC_SHADOW_X_SLIDER = 1243,
  IDC_SHADOW_Y_SLIDER = 1244,
  IDC_SHADOW_X_EDIT = 1254,
  IDC_SHADOW_X_SPIN = 1255,
  IDC_SHADOW_Y_EDIT = 1256,
  IDC_SHADOW_Y_SPIN = 1257,
  IDC_SHADOW_OPACITY_EDIT = 1258,
  IDC_SHADOW_OPACITY_SPIN = 1259,
  IDC_SHADOW_SOFTNESS_EDIT = 1260,
  IDC_SHADOW_SOFTNESS_SPIN = 1261,
};

// The text of a value edit read as an integer: an optional "-" (only when the
// range has negative numbers), then digits; the first other character ends
// the number. The value is clamped into the range. False ("not acceptable")
// when a character ended the number or the clamping changed it; the caller
// then writes the value back into the edit. An empty text is 0.
bool ReadIntFieldText(const std::string& text, int minimum, int maximum, int* value);

// Runs the dialog on the selection (24-bit). The settings come from "Add Drop
// Shadow" and are written there on OK. On OK: true with the result (empty
// when the shadow is invisible and nothing is to change) and the shifts of
// its top-left corner from the selection's; the values used in *used when
// given. Cancel: false.
bool RunDropShadowDialog(wxWindow* parent, const CRasterImage& source, CRasterImage& result, int& dx, int& dy,
                         DROP_SHADOW_PARAMS* used = nullptr);
