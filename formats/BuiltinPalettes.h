#pragma once
// The two palettes built into the program, kept as RIFF palette files and
// read through the palette-file reader.

#include "imaging/ImageTypes.h"

// Built-in palettes: 1 "Windows 16 Colors", 2 "Windows 256 Colors".
// Returns the number of colours read into palette (room for 256), 0 for an
// unknown number.
int LoadPaletteResource(int resource, RGBQUAD* palette);
int LoadWindows16Palette(RGBQUAD* palette);
int LoadWindows256Palette(RGBQUAD* palette);
