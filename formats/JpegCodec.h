#pragma once
// Entry points of the JPEG codec. Readers and writers return a result
// code (formats/ResultCodes.h); info functions return true when the header
// was understood.

#include "formats/CodecJob.h"
#include "formats/SaveOptions.h"

int ReadJpeg(CCodecJob* job);
int WriteJpeg(CCodecJob* job, const JPEG_SAVE_OPTIONS* options);
// Writes with the options the host supplies (stored defaults or a dialog).
int WriteJpegWithOptions(CCodecJob* job);
// Header data of a JPEG stream: size, bits per pixel, metadata properties and,
// when wanted, the embedded EXIF thumbnail. false when the header was not
// understood.
bool GetJpegInfo(CBufferedFile* stream, CImageFileInfo* info, bool wantThumbnail);
