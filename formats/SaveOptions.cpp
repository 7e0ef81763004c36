#include "formats/SaveOptions.h"

#include "base/Profile.h"

void ReadGifSaveOptions(GIF_SAVE_OPTIONS& o) {
  o.nInterlace = static_cast<int16_t>(GetProfileInt("GIF export", "Interlace", 0));
  o.nSubType = static_cast<int16_t>(GetProfileInt("GIF export", "Sub type", 1));
  o.nSaveSingleImage = static_cast<int16_t>(GetProfileInt("GIF export", "Save Single Image", 0));
  o.nReserved = 0;
  o.nColorConversion = static_cast<int16_t>(GetProfileInt("GIF export", "Color Conversion", 1));
  o.nCommentOption = static_cast<int16_t>(GetProfileInt("GIF export", "Comment Option", 2));
}

void ReadJpegSaveOptions(JPEG_SAVE_OPTIONS& o) {
  o.nQuality = static_cast<int16_t>(GetProfileInt("JPEG export", "Quality", 75));
  o.nProgressive = static_cast<int16_t>(GetProfileInt("JPEG export", "Progressive", 0));
  o.nColorConversion = static_cast<int16_t>(GetProfileInt("JPEG export", "Color Conversion", 0));
  o.nReserved = 0;
  o.nCommentOption = static_cast<int16_t>(GetProfileInt("JPEG export", "Comment Option", 2));
}
