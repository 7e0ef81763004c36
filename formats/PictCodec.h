#pragma once
// Entry points of the PICT versions 1 and 2 codec. Readers and writers return a result
// code (base/ResultCodes.h); info functions return true when the header
// was understood.

#include "formats/CodecJob.h"

int ReadPict(CCodecJob* job);
int WritePict(CCodecJob* job);
