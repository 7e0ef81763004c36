// Placeholder until the PICT versions 1 and 2 codec is written: the format reads and
// writes as unsupported.
#include "formats/PictCodec.h"

int ReadPict(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
int WritePict(CCodecJob*) { return IMAGEIO_BAD_FORMAT; }
