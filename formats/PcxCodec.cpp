// Placeholder until the PCX codec is written: the format reads and
// writes as unsupported.
#include "formats/PcxCodec.h"

int ReadPcx(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
int WritePcx(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
bool GetPcxInfo(CBufferedFile*, CImageFileInfo*) { return false; }
