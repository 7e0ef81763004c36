#pragma once
// The option records that GIF and JPEG writers take, and their settings
// sections "GIF export" and "JPEG export". Values read from the settings are
// clamped to their ranges: a hand-edited or damaged settings file never
// reaches a writer with a quality of 300 or a comment option of 7.

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

// The comment choices of both records.
enum COMMENT_OPTION { COMMENT_NONE = 0, COMMENT_KEEP_ORIGINAL = 1, COMMENT_SIGNATURE = 2 };

// The records as stored under "GIF export" and "JPEG export", without a dialog.
void ReadGifSaveOptions(GIF_SAVE_OPTIONS& options);
void ReadJpegSaveOptions(JPEG_SAVE_OPTIONS& options);
// The "Use Default" value of each section (the dialog is skipped when set).
bool ReadGifUseDefault();
bool ReadJpegUseDefault();
// Stores a record and its "Use Default" value (clamped like the reads).
void WriteGifSaveOptions(const GIF_SAVE_OPTIONS& options, bool useDefault);
void WriteJpegSaveOptions(const JPEG_SAVE_OPTIONS& options, bool useDefault);
// The record with every field in its range and the spare field 0.
GIF_SAVE_OPTIONS ClampGifSaveOptions(const GIF_SAVE_OPTIONS& options);
JPEG_SAVE_OPTIONS ClampJpegSaveOptions(const JPEG_SAVE_OPTIONS& options);
