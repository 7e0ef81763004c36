#pragma once
// Entry points of the PNG codec. Readers and writers return a result
// code (base/ResultCodes.h); info functions return true when the header
// was understood.
//
// Every libpng error is reported with ReportMessage at error level and the
// operation ends with IMAGEIO_FAILED (already reported); nothing the library
// allocated outlives the call.

#include "formats/CodecJob.h"

// Every colour type and depth reads as an indexed (1, 4, 8-bit), gray
// (8-bit) or 24-bit image; an alpha channel or a partly transparent palette
// becomes an 8-bit mask on a 24-bit image, a single transparent palette
// entry or gray value a 1-bit mask. Text chunks joined by "\n" become the
// comment. Gamma is corrected only for files that state it (gAMA).
int ReadPng(CCodecJob* job);
// Writes an interlaced file whose layout follows the image's depth, palette
// and mask, with the comment as a "Description" text chunk.
int WritePng(CCodecJob* job);
// Size, depth (channels x bit depth) and the text chunks as properties.
bool GetPngInfo(CBufferedFile* stream, CImageFileInfo* info);
