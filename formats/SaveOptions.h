#pragma once
// The option records that GIF and JPEG writers take.

#include <cstdint>

struct GIF_SAVE_OPTIONS {
  int16_t nSubType = 1;          // 1 GIF89a, 0 GIF87a
  int16_t nInterlace = 0;
  int16_t nSaveSingleImage = 0;  // an animation is written one file per frame
  int16_t nReserved = 0;
  int16_t nColorConversion = 1;  // full-colour images may be reduced to a palette
  int16_t nCommentOption = 2;    // 0 none, 1 the file's comment, 2 personal signature
};

struct JPEG_SAVE_OPTIONS {
  int16_t nQuality = 75;         // 0..100
  int16_t nProgressive = 0;
  int16_t nColorConversion = 0;  // palette images may be expanded
  int16_t nReserved = 0;
  int16_t nCommentOption = 2;
};

// The records as stored under "GIF export" and "JPEG export", without a dialog.
void ReadGifSaveOptions(GIF_SAVE_OPTIONS& options);
void ReadJpegSaveOptions(JPEG_SAVE_OPTIONS& options);
