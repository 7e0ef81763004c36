#pragma once
// Entry points of the PNG codec. Readers and writers return a result
// code (formats/ResultCodes.h); info functions return true when the header
// was understood.

#include "formats/CodecJob.h"

int ReadPng(CCodecJob* job);
int WritePng(CCodecJob* job);
bool GetPngInfo(CBufferedFile* stream, CImageFileInfo* info);
