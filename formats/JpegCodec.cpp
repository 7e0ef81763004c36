// Placeholder until the JPEG codec is written: the format reads and
// writes as unsupported.
#include "formats/JpegCodec.h"

int ReadJpeg(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
int WriteJpeg(CCodecJob*, const JPEG_SAVE_OPTIONS*) { return IMAGEIO_BAD_FORMAT; }
int WriteJpegWithOptions(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
bool GetJpegInfo(CBufferedFile*, CImageFileInfo*, bool) { return false; }
