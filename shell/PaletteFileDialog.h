#pragma once
// The load and save dialogs of palette files ("Load Palette", "Save Palette"):
// RIFF palettes with the extension "pal". Each remembers the folder of the
// file last chosen under "Color Palette" ("Load Directory", "Save Directory",
// ending with the separator).

#include <string>

#include "imaging/ImageTypes.h"

class wxWindow;

// The dialogs' filter in the toolkit's form (load dialogs also list all files).
std::string PaletteFileFilter(bool load);

// Asks for a palette file to load or a name to save under; true when one was
// chosen, with its path. A save name gets ".pal" when it lacks it, and an
// existing file of that final name is replaced only after a Yes (No shows
// the dialog again).
bool RunPaletteFileDialog(std::string& path, bool load, wxWindow* parent = nullptr);

// Asks for a palette file and reads up to 256 colours from it; false when the
// dialog was cancelled or the file is not a readable palette (a name not
// ending with ".pal" included). *count receives the number of colours.
bool LoadPaletteFileWithDialog(int* count, RGBQUAD* entries, wxWindow* parent = nullptr);
// Asks for a name and writes the count entries there (".pal" appended when
// the name lacks it); false when cancelled or not written.
bool SavePaletteFileWithDialog(const RGBQUAD* entries, int count, wxWindow* parent = nullptr);
