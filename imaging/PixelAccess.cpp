#include "imaging/PixelAccess.h"

PIXELGETPROC GetPixelGetter(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: return &GetPixel1;
    case 4: return &GetPixel4;
    case 8: return &GetPixel8;
    default: return nullptr;
  }
}

PIXELSETPROC GetPixelSetter(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: return &SetPixel1;
    case 4: return &SetPixel4;
    case 8: return &SetPixel8;
    default: return nullptr;
  }
}
