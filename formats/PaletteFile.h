#pragma once
// RIFF palette files ("PAL "): little-endian
//   "RIFF", size 4n + 16, "PAL ", "data", size 4n + 4, version 0x0300, n,
//   then n entries red, green, blue, flags.
// Palettes in memory are RGBQUAD arrays (blue, green, red, 0) with room for
// 256 entries.

#include <string>

#include "formats/BufferedFile.h"
#include "imaging/ImageTypes.h"

// Reads a palette at the stream's position. Returns the number of colours
// read (1..256) into entries, or 0 on any mismatch, a count above 256, a
// data size other than 4n + 4, a RIFF size below the data size + 12, or a
// short read. Entries are written only when the whole table was read.
int ReadPaletteFile(RGBQUAD* entries, CBufferedFile& stream);
// Writes count (1..256) entries; false for another count or a write error.
bool WritePaletteFile(const RGBQUAD* entries, int count, CBufferedFile& stream);

// true when text is at least as long as ending and ends with it, ignoring
// ASCII case.
bool EndsWithNoCase(const std::string& text, const std::string& ending);

// Reads the palette file at path (which must end with ".pal", any case).
// true when at least one colour was read; *count receives it.
bool LoadPaletteFile(int* count, RGBQUAD* entries, const std::string& path);
// Writes the palette to path, with ".pal" appended when the name does not
// end with it ("x." becomes "x.pal"). The file is replaced through
// CAtomicFileWriter, so a failure leaves any existing file as it was. *written (optional) receives the final path.
bool SavePaletteFile(const RGBQUAD* entries, int count, const std::string& path, std::string* written = nullptr);
