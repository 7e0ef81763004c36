#include "formats/SaveOptions.h"

#include <algorithm>

#include "base/Profile.h"

namespace {

constexpr const char* kGif = "GIF export";
constexpr const char* kJpeg = "JPEG export";

int16_t Clamp(int value, int low, int high) { return static_cast<int16_t>(std::clamp(value, low, high)); }

int16_t ReadClamped(const char* section, const char* key, int fallback, int low, int high) {
  return Clamp(GetProfileInt(section, key, fallback), low, high);
}

}  // namespace

GIF_SAVE_OPTIONS ClampGifSaveOptions(const GIF_SAVE_OPTIONS& o) {
  GIF_SAVE_OPTIONS c;
  c.nSubType = Clamp(o.nSubType, 0, 1);
  c.nInterlace = Clamp(o.nInterlace, 0, 1);
  c.nSaveSingleImage = Clamp(o.nSaveSingleImage, 0, 1);
  c.nReserved = 0;
  c.nColorConversion = Clamp(o.nColorConversion, 0, 1);
  c.nCommentOption = Clamp(o.nCommentOption, COMMENT_NONE, COMMENT_SIGNATURE);
  return c;
}

JPEG_SAVE_OPTIONS ClampJpegSaveOptions(const JPEG_SAVE_OPTIONS& o) {
  JPEG_SAVE_OPTIONS c;
  c.nQuality = Clamp(o.nQuality, 0, 100);
  c.nProgressive = Clamp(o.nProgressive, 0, 1);
  c.nColorConversion = Clamp(o.nColorConversion, 0, 1);
  c.nReserved = 0;
  c.nCommentOption = Clamp(o.nCommentOption, COMMENT_NONE, COMMENT_SIGNATURE);
  return c;
}

void ReadGifSaveOptions(GIF_SAVE_OPTIONS& o) {
  o.nInterlace = ReadClamped(kGif, "Interlace", 0, 0, 1);
  o.nSubType = ReadClamped(kGif, "Sub type", 1, 0, 1);
  o.nSaveSingleImage = ReadClamped(kGif, "Save Single Image", 0, 0, 1);
  o.nReserved = 0;
  o.nColorConversion = ReadClamped(kGif, "Color Conversion", 1, 0, 1);
  o.nCommentOption = ReadClamped(kGif, "Comment Option", 2, COMMENT_NONE, COMMENT_SIGNATURE);
}

void ReadJpegSaveOptions(JPEG_SAVE_OPTIONS& o) {
  o.nQuality = ReadClamped(kJpeg, "Quality", 75, 0, 100);
  o.nProgressive = ReadClamped(kJpeg, "Progressive", 0, 0, 1);
  o.nColorConversion = ReadClamped(kJpeg, "Color Conversion", 0, 0, 1);
  o.nReserved = 0;
  o.nCommentOption = ReadClamped(kJpeg, "Comment Option", 2, COMMENT_NONE, COMMENT_SIGNATURE);
}

bool ReadGifUseDefault() { return GetProfileInt(kGif, "Use Default", 0) != 0; }
bool ReadJpegUseDefault() { return GetProfileInt(kJpeg, "Use Default", 0) != 0; }

void WriteGifSaveOptions(const GIF_SAVE_OPTIONS& options, bool useDefault) {
  const GIF_SAVE_OPTIONS o = ClampGifSaveOptions(options);
  WriteProfileInt(kGif, "Use Default", useDefault ? 1 : 0);
  WriteProfileInt(kGif, "Interlace", o.nInterlace);
  WriteProfileInt(kGif, "Sub type", o.nSubType);
  WriteProfileInt(kGif, "Save Single Image", o.nSaveSingleImage);
  WriteProfileInt(kGif, "Color Conversion", o.nColorConversion);
  WriteProfileInt(kGif, "Comment Option", o.nCommentOption);
}

void WriteJpegSaveOptions(const JPEG_SAVE_OPTIONS& options, bool useDefault) {
  const JPEG_SAVE_OPTIONS o = ClampJpegSaveOptions(options);
  WriteProfileInt(kJpeg, "Use Default", useDefault ? 1 : 0);
  WriteProfileInt(kJpeg, "Quality", o.nQuality);
  WriteProfileInt(kJpeg, "Progressive", o.nProgressive);
  WriteProfileInt(kJpeg, "Color Conversion", o.nColorConversion);
  WriteProfileInt(kJpeg, "Comment Option", o.nCommentOption);
}
