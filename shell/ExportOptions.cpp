#include "shell/ExportOptions.h"

#include "base/Profile.h"

JpegExportValues g_jpegExportValues;

bool GetGifSaveOptions(GIF_SAVE_OPTIONS* options, bool forceDialog) {
  GIF_SAVE_OPTIONS stored;
  ReadGifSaveOptions(stored);
  const bool useDefault = ReadGifUseDefault();
  if (!useDefault || forceDialog) {
    GifExportValues values;
    values.nSubType = stored.nSubType;
    values.nCommentOption = stored.nCommentOption;
    values.bInterlace = stored.nInterlace;
    values.bUseDefault = useDefault ? 1 : 0;
    values.bSaveSingleImage = stored.nSaveSingleImage;
    values.bColorConversion = stored.nColorConversion;
    if (!RunGifExportDialog(nullptr, values)) return false;
    stored.nSubType = static_cast<int16_t>(values.nSubType);
    stored.nInterlace = static_cast<int16_t>(values.bInterlace);
    stored.nSaveSingleImage = static_cast<int16_t>(values.bSaveSingleImage);
    stored.nColorConversion = static_cast<int16_t>(values.bColorConversion);
    stored.nCommentOption = static_cast<int16_t>(values.nCommentOption);
    stored = ClampGifSaveOptions(stored);
    WriteGifSaveOptions(stored, values.bUseDefault != 0);
    Profile().Flush();
  }
  if (options) *options = stored;
  return true;
}

bool GetJpegSaveOptions(JPEG_SAVE_OPTIONS* options, const CRasterImage* image, bool forceDialog) {
  JPEG_SAVE_OPTIONS stored;
  ReadJpegSaveOptions(stored);
  g_jpegExportValues.nQuality = stored.nQuality;
  g_jpegExportValues.bProgressive = stored.nProgressive;
  g_jpegExportValues.bColorConversion = stored.nColorConversion;
  g_jpegExportValues.nCommentOption = stored.nCommentOption;
  g_jpegExportValues.bUseDefault = ReadJpegUseDefault() ? 1 : 0;
  if (!g_jpegExportValues.bUseDefault || forceDialog) {
    JpegExportValues values = g_jpegExportValues;
    if (!RunJpegOptionsDialog(nullptr, values, image)) return false;
    g_jpegExportValues = values;
    stored.nQuality = static_cast<int16_t>(values.nQuality);
    stored.nProgressive = static_cast<int16_t>(values.bProgressive);
    stored.nColorConversion = static_cast<int16_t>(values.bColorConversion);
    stored.nCommentOption = static_cast<int16_t>(values.nCommentOption);
    stored = ClampJpegSaveOptions(stored);
    WriteJpegSaveOptions(stored, values.bUseDefault != 0);
    Profile().Flush();
  }
  if (options) *options = stored;
  return true;
}
