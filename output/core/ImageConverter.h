#pragma once
// CImageConverter: the one-file conversion job behind batch processing,
// e-mail, web publishing and the HTML album. A caller sets the job up once
// with the setters and then hands it one source file at a time: the job
// composes the output path (title, serial, folder, format), loads the source,
// resizes, rotates and converts the colour mode of every frame, writes the
// result without ever replacing an existing file and, when asked, sends the
// source to the Trash - only once the new file is safely on disk.
//
// Window-free: it reports through ReportMessage and the status stack and polls
// the callbacks it is given. Each file runs in two halves: PrepareFile (load,
// resize, rotate, colour mode; touches nothing but the request it is given and
// may run on any thread) and SaveFile (write, recycle; user-interface thread).

#include <cstdint>
#include <string>
#include <vector>

#include "formats/ImageFile.h"
#include "base/ResultCodes.h"
#include "imaging/ImageTypes.h"

// Output format indexes 0..9: the batch list's text and the extension.
constexpr int kOutputFormatCount = 10;
extern const char* const kOutputFormatTexts[kOutputFormatCount];  // "Keep Original Format", ...
extern const char* const kOutputFormatExtensions[kOutputFormatCount];  // "", "bmp", "dib", ...
// Colour modes 0..4: "Keep Original Color Mode", "Bitmap", "Indexed Color", ...
constexpr int kColorModeCount = 5;
extern const char* const kColorModeTexts[kColorModeCount];

enum CONVERTER_RESIZE { RESIZE_NONE = 0, RESIZE_LIMIT = 1, RESIZE_FIXED = 2, RESIZE_PERCENT = 3 };
enum CONVERTER_COLOR_MODE { CM_KEEP = 0, CM_BITMAP = 1, CM_INDEXED = 2, CM_GRAYSCALE = 3, CM_RGB = 4 };
enum CONVERTER_PALETTE { PAL_WINDOWS16 = 0, PAL_WINDOWS256 = 1, PAL_WEB = 2, PAL_ADAPTIVE = 3, PAL_FILE = 4 };

// The canvas size a resize mode gives a w x h canvas (mode 1 limit, 2 fixed,
// 3 percent; width/height below 0 (mode 1) or below 1 (mode 2) are not
// given). Integer arithmetic, exact in 64 bits. Returns false when the result
// has a side outside 1..32767 (nothing can be written then).
bool ComputeTargetSize(int mode, int width, int height, int percent, int w, int h, int* outWidth, int* outHeight);

// The output format index a source keeps (BMP and DIB sources give 1); 0 for
// formats without an index (PCD, unknown).
int FormatIndexFromFile(const std::string& path);

// A typed file title that stays inside its folder: not empty, no '/', no
// control character, not "." or "..".
bool IsValidFileTitle(const std::string& title);

class CImageConverter {
 public:
  CImageConverter() = default;
  CImageConverter(const CImageConverter&) = delete;
  CImageConverter& operator=(const CImageConverter&) = delete;
  virtual ~CImageConverter();

  void SetOutputFormat(int index) { m_nFormat = index; }
  void SetJpegOptions(int quality, bool progressive) {
    m_nJpegQuality = quality;
    m_bJpegProgressive = progressive;
  }
  void SetGifOptions(int subType, bool interlace, bool singleImage) {
    m_nGifSubType = subType;
    m_bGifInterlace = interlace;
    m_bGifSingleImage = singleImage;
  }
  void SetCommentOption(int option) { m_nCommentOption = option < 0 ? 0 : option > 2 ? 2 : option; }
  void SetColorMode(int mode) { m_nColorMode = mode; }
  void SetDither(bool dither) { m_bDither = dither; }
  void SetPalette(int option, int colors, const char* paletteFile);
  void SetMaxSize(int width, int height) { SetResize(RESIZE_LIMIT, width, height); }
  void SetFixedSize(int width, int height) { SetResize(RESIZE_FIXED, width, height); }
  void SetScale(int percent) {
    m_nResizeMode = RESIZE_PERCENT;
    m_nScalePercent = percent;
  }
  // 1 turns 90 degrees clockwise, 2 by 180, 3 by 90 counter-clockwise, else none.
  void SetRotation(int option) { m_nRotation = option == 1 ? 90 : option == 2 ? 180 : option == 3 ? 270 : 0; }
  void SetRecycleSource(bool recycle) { m_bRecycleSource = recycle; }
  void SetCallbacks(PROGRESSPROC progress, CANCELPROC cancel) {
    m_pfnProgress = progress;
    m_pfnCancel = cancel;
  }
  void SetOutputFolder(const char* folder) { m_strOutputFolder = folder ? folder : ""; }
  // Empties the title; a non-null title is stored with its digits (a null one
  // leaves the digits as they were).
  void SetFileTitle(const char* title, int digits);

  // Converts one file. serial < 0 appends no serial number. On success
  // outputPath holds the file written and width/height (optional) the canvas
  // size of the result; on failure neither is meaningful.
  bool ProcessFile(const char* source, std::string& outputPath, int serial, int* width, int* height);
  bool ConvertTo(const char* source, std::string& outputPath, int serial) {
    return ProcessFile(source, outputPath, serial, nullptr, nullptr);
  }
  bool Convert(const char* source, int serial) {
    std::string path;
    return ConvertTo(source, path, serial);
  }

  // The path a source is written to before any renumbering (step of
  // ProcessFile): folder (the output folder, else the source's), name (title
  // with serial, else the source's title), extension of the output format
  // (of the source's format for index 0).
  std::string MakeOutputPath(const std::string& source, int serial) const;

  // One file's halves. PrepareFile reads nothing but the job's settings and
  // the source and writes only `request` and `colors` (the number of palette
  // colours it used, -1 when it loaded none), so it may run on another thread
  // with other callbacks; its messages go through ReportMessage.
  bool PrepareFile(const std::string& source, CImageFileRequest& request, int* colors, CANCELPROC cancel,
                   PROGRESSPROC progress) const;
  // Writes the prepared request to outputPath (never replacing a file: a taken
  // name becomes "name-1.ext"...), then recycles the source when asked. On
  // success outputPath holds the name written.
  bool SaveFile(const std::string& source, CImageFileRequest& request, std::string& outputPath);

  // false, with a message, when the file title would leave its folder.
  bool CheckFileTitle() const;

  // The frames of the last file converted (kept until the next file).
  const CImageFileRequest& GetRequest() const { return m_request; }

  // The settings, as the setters left them.
  int m_nFormat = 0;
  int m_nJpegQuality = 100;
  bool m_bJpegProgressive = false;
  int m_nGifSubType = 1;
  bool m_bGifInterlace = false;
  bool m_bGifSingleImage = false;
  int m_nCommentOption = 0;
  int m_nColorMode = 0;
  int m_nPaletteOption = 3;
  int m_nColors = 256;
  std::string m_strPaletteFile;
  bool m_bDither = true;
  int m_nResizeMode = 0;
  int m_nResizeWidth = -1;
  int m_nResizeHeight = -1;
  int m_nScalePercent = 100;
  int m_nRotation = 0;
  std::string m_strOutputFolder;
  std::string m_strFileTitle;
  int m_nDigits = 1;
  bool m_bRecycleSource = false;
  PROGRESSPROC m_pfnProgress = nullptr;
  CANCELPROC m_pfnCancel = nullptr;

 private:
  void SetResize(int mode, int width, int height) {
    m_nResizeMode = mode;
    m_nResizeWidth = width;
    m_nResizeHeight = height;
  }
  bool LoadSource(const std::string& source, CImageFileRequest& request, CANCELPROC cancel,
                  PROGRESSPROC progress) const;
  bool ResizeFrames(CImageFileRequest& request) const;
  void RotateFrames(CImageFileRequest& request) const;
  bool ConvertColorMode(CImageFileRequest& request, int* colors, CANCELPROC cancel, PROGRESSPROC progress) const;

  CImageFileRequest m_request;
};
