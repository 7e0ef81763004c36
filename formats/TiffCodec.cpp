// Placeholder until the TIFF codec is written: the format reads and
// writes as unsupported.
#include "formats/TiffCodec.h"

int CountTiffPages(CBufferedFile*) { return 0; }
int ReadTiff(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
int WriteTiff(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
bool GetTiffInfo(CBufferedFile*, CImageFileInfo*) { return false; }
