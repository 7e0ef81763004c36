#include "imaging/StandardPalettes.h"

#include <cstdint>

int BuildPalette8(RGBQUAD* palette) {
  for (int i = 0; i < 8; ++i)
    palette[i] = MakeRGBQuad((i & 4) ? 255 : 0, (i & 2) ? 255 : 0, (i & 1) ? 255 : 0);
  return 8;
}

int BuildPalette16(RGBQUAD* palette) {
  BuildPalette8(palette);
  static const uint8_t kExtra[8][3] = {{85, 0, 0},  {170, 0, 0},  {0, 85, 0},   {0, 170, 0},
                                       {0, 0, 85},  {0, 0, 170},  {85, 85, 85}, {170, 170, 170}};
  for (int i = 0; i < 8; ++i) palette[8 + i] = MakeRGBQuad(kExtra[i][0], kExtra[i][1], kExtra[i][2]);
  return 16;
}

int BuildCubePalette216(RGBQUAD* palette) {
  for (int i = 0; i < 216; ++i)
    palette[i] = MakeRGBQuad(static_cast<uint8_t>(51 * (i / 36)), static_cast<uint8_t>(51 * (i / 6 % 6)),
                             static_cast<uint8_t>(51 * (i % 6)));
  return 216;
}

int BuildPalette256(RGBQUAD* palette) {
  BuildCubePalette216(palette);
  static const uint8_t kLevels[10] = {17, 34, 68, 85, 119, 136, 170, 187, 221, 238};
  int n = 216;
  for (int ramp = 0; ramp < 4; ++ramp)
    for (uint8_t v : kLevels)
      palette[n++] = ramp == 0 ? MakeRGBQuad(v, 0, 0)
                   : ramp == 1 ? MakeRGBQuad(0, v, 0)
                   : ramp == 2 ? MakeRGBQuad(0, 0, v)
                               : MakeRGBQuad(v, v, v);
  return 256;
}

int BuildWebPalette(RGBQUAD* palette) { return BuildCubePalette216(palette); }

int BuildGrayPalette(RGBQUAD* palette) {
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<uint8_t>(i);
    palette[i] = MakeRGBQuad(v, v, v);
  }
  return 256;
}

const char* const kPaletteKindLabels[kPaletteKindCount] = {"Uniform", "Extended Uniform", "Web", "Adaptive",
                                                           "Load From File"};

int BuildPaletteOfKind(int kind, int count, RGBQUAD* palette) {
  switch (kind) {
    case PALETTE_UNIFORM:
    case PALETTE_WEB:
      return count <= 16 ? BuildPalette8(palette) : BuildCubePalette216(palette);
    case PALETTE_EXTENDED_UNIFORM:
      return count <= 16 ? BuildPalette16(palette) : BuildPalette256(palette);
    default:
      return 0;
  }
}
