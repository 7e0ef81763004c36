#include "imaging/ColorConversion.h"

int FindNearestPaletteColor(int count, const RGBQUAD* palette, int red, int green, int blue) {
  int best = 0;
  int bestDistance = 0x7FFFFFFF;
  for (int i = 0; i < count; ++i) {
    const int dr = red - palette[i].rgbRed, dg = green - palette[i].rgbGreen, db = blue - palette[i].rgbBlue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best;
}
