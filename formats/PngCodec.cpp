// Placeholder until the PNG codec is written: the format reads and
// writes as unsupported.
#include "formats/PngCodec.h"

int ReadPng(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
int WritePng(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
bool GetPngInfo(CBufferedFile*, CImageFileInfo*) { return false; }
