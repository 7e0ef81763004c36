#pragma once
// The GIF and JPEG export options: the functions that fill a writer's record
// from the settings ("GIF export", "JPEG export"), showing the options dialog
// first unless its "Use these as defaults and do not ask me again" box was
// ticked, and the two dialogs.
//
// GetGifSaveOptions / GetJpegSaveOptions return false when the dialog was
// cancelled: the caller then writes nothing.

#include "formats/SaveOptions.h"

class CRasterImage;
class wxWindow;

// What the GIF Export Options dialog edits.
struct GifExportValues {
  int nSubType = 1;        // 1 GIF89a, 0 GIF87a (which holds no comments)
  int nCommentOption = 2;  // COMMENT_OPTION
  int bInterlace = 0;
  int bUseDefault = 0;
  int bSaveSingleImage = 0;
  int bColorConversion = 1;
};

// What the JPEG options dialog edits.
struct JpegExportValues {
  int nQuality = 75;  // 0..100
  int bProgressive = 0;
  int bColorConversion = 0;
  int nCommentOption = 2;
  int bUseDefault = 0;
};

// The JPEG values read last (program-wide); the JPEG dialog starts from them.
extern JpegExportValues g_jpegExportValues;

// Runs the GIF Export Options dialog. OK copies the values out and returns
// true; Cancel changes nothing.
bool RunGifExportDialog(wxWindow* parent, GifExportValues& values);
// Runs the JPEG options dialog, previewing `image` (may be null) compressed
// with the chosen settings. OK copies the values out and returns true.
bool RunJpegOptionsDialog(wxWindow* parent, JpegExportValues& values, const CRasterImage* image);

// Fills `options` (may be null) from "GIF export"; the dialog runs first when
// "Use Default" is 0 or `forceDialog` is set, and its OK stores all values.
bool GetGifSaveOptions(GIF_SAVE_OPTIONS* options, bool forceDialog);
// The same for "JPEG export", the dialog previewing `image` (may be null).
bool GetJpegSaveOptions(JPEG_SAVE_OPTIONS* options, const CRasterImage* image, bool forceDialog);

// The control ids of the two dialogs.
namespace export_ids {
constexpr int kGifTemplate = 132;
constexpr int kJpegTemplate = 131;
constexpr int kUseDefault = 1005;
constexpr int kQualitySlider = 1006;
constexpr int kProgressive = 1008;
constexpr int kInterlace = 1016;
constexpr int kColorConversion = 1038;
constexpr int kGif87a = 1089;
constexpr int kGif89a = 1090;
constexpr int kSingleImage = 1091;
constexpr int kPreview = 1165;
constexpr int kWarningPicture = 1266;
constexpr int kNoComment = 1283;
constexpr int kKeepComments = 1284;
constexpr int kSignature = 1285;
constexpr int kEditSignature = 1286;
constexpr int kQualitySpin = 1287;
constexpr int kQualityEdit = 1288;
constexpr int kFileSize = 1289;
constexpr int kDownloadTime = 1290;
constexpr int kWarningText = 1291;
constexpr int kBlinkTimer = 1001;
}  // namespace export_ids
