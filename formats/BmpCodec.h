#pragma once
// Entry points of the BMP and DIB codec. Readers and writers return a result
// code (formats/ResultCodes.h); info functions return true when the header
// was understood.

#include "formats/CodecJob.h"

int ReadBmp(CCodecJob* job);
int WriteBmp(CCodecJob* job);
bool GetBmpInfo(CBufferedFile* stream, CImageFileInfo* info);
