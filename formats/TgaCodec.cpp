// Placeholder until the TGA codec is written: the format reads and
// writes as unsupported.
#include "formats/TgaCodec.h"

int ReadTga(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
int WriteTga(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
bool GetTgaInfo(CBufferedFile*, CImageFileInfo*) { return false; }
