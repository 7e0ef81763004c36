#pragma once
// Entry points of the PCX codec. Readers and writers return a result
// code (base/ResultCodes.h); info functions return true when the header
// was understood.

#include "formats/CodecJob.h"

int ReadPcx(CCodecJob* job);
int WritePcx(CCodecJob* job);
bool GetPcxInfo(CBufferedFile* stream, CImageFileInfo* info);
