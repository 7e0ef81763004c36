#pragma once
// Entry points of the BMP and DIB codec. Readers and writers return a result
// code (base/ResultCodes.h); info functions return true when the header
// was understood.
//
// The reader takes 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed,
// RLE8, RLE4 or with bit fields, bottom-up or top-down, behind the 12-byte
// core header or the 40-, 52-, 56-, 64-, 108- and 124-byte info headers. It
// delivers 1-, 4-, 8- or 24-bit images; alpha (the fourth byte of 32-bit
// pixels, or an alpha bit field) becomes an 8-bit mask unless it is uniformly
// 0 or 255. The writer writes 1- and 4-bit images uncompressed, 8-bit images
// RLE8-compressed, 24-bit images uncompressed and 24-bit images with a mask
// as 32-bit pixels with an alpha bit field.

#include <cstdint>

#include "formats/CodecJob.h"

int ReadBmp(CCodecJob* job);
int WriteBmp(CCodecJob* job);
bool GetBmpInfo(CBufferedFile* stream, CImageFileInfo* info);

// One RLE8 unit at the start of `data` (`remaining` bytes left, at most 255
// taken): a run of equal bytes (*isRun true) or a literal that stops before
// four equal bytes. Returns its length.
int FindRle8Run(const uint8_t* data, int remaining, bool* isRun);
// Encodes one row of pixels as RLE8, ended by end of line (0, 0) or, for the
// last row, end of bitmap (0, 1). Returns the bytes written.
int WriteBmpRle8Row(CBufferedFile* stream, const uint8_t* row, int length, bool last);
