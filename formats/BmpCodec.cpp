// Placeholder until the BMP and DIB codec is written: the format reads and
// writes as unsupported.
#include "formats/BmpCodec.h"

int ReadBmp(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
int WriteBmp(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
bool GetBmpInfo(CBufferedFile*, CImageFileInfo*) { return false; }
