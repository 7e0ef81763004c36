// Placeholder until the GIF 87a and 89a, still and animated codec is written: the format reads and
// writes as unsupported.
#include "formats/GifCodec.h"

int CountGifFrames(CBufferedFile*) { return 0; }
int ReadGif(CCodecJob*, int, int) { return IMAGEIO_BAD_FORMAT; }
int WriteGif(CCodecJob*, int, int, const GIF_SAVE_OPTIONS*) { return IMAGEIO_BAD_FORMAT; }
bool GetGifInfo(CBufferedFile*, CImageFileInfo*) { return false; }
