#pragma once
// Fixed palettes and the two built-in ones. Each builder writes its entries
// (blue, green, red, 0) and returns their number.

#include "imaging/ImageTypes.h"

int BuildPalette8(RGBQUAD* palette);        // 8: entry 4r + 2g + b = (255r, 255g, 255b)
int BuildPalette16(RGBQUAD* palette);       // 16: the 8 corners, then 8 darker tones
int BuildCubePalette216(RGBQUAD* palette);  // 216: entry 36r + 6g + b = (51r, 51g, 51b)
int BuildPalette256(RGBQUAD* palette);      // 256: the cube, then red, green, blue and gray ramps
int BuildWebPalette(RGBQUAD* palette);      // 216: the cube
int BuildGrayPalette(RGBQUAD* palette);     // 256: entry i = (i, i, i)

// Kinds of palette offered by the palette options.
enum PaletteKind {
  PALETTE_UNIFORM = 0,
  PALETTE_EXTENDED_UNIFORM = 1,
  PALETTE_WEB = 2,
  PALETTE_ADAPTIVE = 3,
  PALETTE_FILE = 4,
};
constexpr int kPaletteKindCount = 5;
// The kinds' labels, by kind: "Uniform", "Extended Uniform", "Web",
// "Adaptive", "Load From File".
extern const char* const kPaletteKindLabels[kPaletteKindCount];

// The fixed palette of a kind for a colour count: Uniform and Web give the 8
// corner colours for at most 16 colours, else the 216-colour cube; Extended
// Uniform gives BuildPalette16 or BuildPalette256. Returns the number of
// entries written; 0 for the kinds built elsewhere (Adaptive from the
// pixels, Load From File from a palette file) and unknown kinds.
int BuildPaletteOfKind(int kind, int count, RGBQUAD* palette);
