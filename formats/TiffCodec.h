#pragma once
// Entry points of the TIFF codec. Readers and writers return a result
// code (formats/ResultCodes.h); info functions return true when the header
// was understood.

#include "formats/CodecJob.h"

// Pages (directories) in the stream, 0 when it is not a readable TIFF.
int CountTiffPages(CBufferedFile* stream);
int ReadTiff(CCodecJob* job);
int WriteTiff(CCodecJob* job);
bool GetTiffInfo(CBufferedFile* stream, CImageFileInfo* info);
