#pragma once
// The options of the colour conversions: the Palette Options dialog (palette
// kind, colour count and dither of the conversion to indexed colour) and the
// Bitmap dialog (threshold or dither of the conversion to black and white).
// Both follow the program's dialog pattern (shell/ModalDialog.h): a values
// struct, named control ids, a run function; window tests drive them through
// a CModalDialogHook.
//
// The stored values ("Index Color Option", "Bitmap Option") are written only
// after OK accepted them, and are clamped when read, so a value another
// program or an old version stored never reaches a conversion out of range.

#include <wx/window.h>

#include <cstdint>

#include "imaging/ImageTypes.h"
#include "imaging/StandardPalettes.h"

class CRasterImage;

enum COLOR_OPTIONS_DIALOG_ID {
  IDD_PALETTE_OPTIONS = 189,
  IDD_BITMAP_OPTIONS = 191,
  IDC_PALETTE_KIND = 1143,
  IDC_PALETTE_COUNT = 1145,
  IDC_PALETTE_DEPTH_2 = 1147,
  IDC_PALETTE_DEPTH_3 = 1148,
  IDC_PALETTE_DEPTH_4 = 1149,
  IDC_PALETTE_DEPTH_5 = 1150,
  IDC_PALETTE_DEPTH_6 = 1151,
  IDC_PALETTE_DEPTH_7 = 1152,
  IDC_PALETTE_DEPTH_8 = 1153,
  IDC_PALETTE_CUSTOM = 1154,
  IDC_DITHER_NONE = 1155,
  IDC_DITHER_DIFFUSION = 1156,
  IDC_DITHER_PATTERN = 1157,
  IDC_BITMAP_THRESHOLD_SLIDER = 1158,
  IDC_BITMAP_THRESHOLD = 1162,
  IDC_BITMAP_DIFFUSION = 1163,
  IDC_BITMAP_PATTERN = 1164,
  IDC_BITMAP_PREVIEW = 1165,
  IDC_BITMAP_LEVEL = 1166,
};

struct PALETTE_OPTIONS_VALUES {
  int kind = PALETTE_ADAPTIVE;  // PALETTE_KIND
  int count = 256;              // 2..256
  int dither = 1;               // 0 none, 1 diffusion, 2 pattern
};

// The stored "Index Color Option" values, clamped: a kind outside 0..4 is 3,
// a count outside 2..256 is taken to the nearest end, a dither outside 0..2 is 1.
PALETTE_OPTIONS_VALUES ReadPaletteOptions();
// Runs the Palette Options dialog. OK checks the count (an integer from 2 to
// 256, refused with "Please enter an integer between 2 and 256."), then
// stores and returns the values; Cancel changes nothing.
bool RunPaletteOptionsDialog(wxWindow* parent, PALETTE_OPTIONS_VALUES& values);
// Without ask: the stored values and true. With it: the dialog.
bool GetPaletteOptions(PALETTE_OPTIONS_VALUES& values, bool ask, wxWindow* parent = nullptr);

struct BITMAP_OPTIONS_VALUES {
  int mode = 1;         // 0 threshold, 1 error diffusion, 2 pattern dither
  int threshold = 128;  // 1..254
};

// The stored "Bitmap Option" values, clamped (mode outside 0..2 is 1,
// threshold into 1..254).
BITMAP_OPTIONS_VALUES ReadBitmapOptions();
// Runs the Bitmap dialog on the source image (shown converted as the options
// change, when given). OK stores and returns the values.
bool RunBitmapOptionsDialog(wxWindow* parent, const CRasterImage* source, BITMAP_OPTIONS_VALUES& values);
bool GetBitmapOptions(const CRasterImage* source, BITMAP_OPTIONS_VALUES& values, bool ask, wxWindow* parent = nullptr);
