#pragma once
// Entry points of the TGA codec. Readers and writers return a result
// code (base/ResultCodes.h); info functions return true when the header
// was understood.

#include "formats/CodecJob.h"

int ReadTga(CCodecJob* job);
int WriteTga(CCodecJob* job);
bool GetTgaInfo(CBufferedFile* stream, CImageFileInfo* info);
