#include "output/core/ImageConverter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>

#include "formats/PaletteFile.h"
#include "formats/PersonalSignature.h"
#include "formats/SaveOptions.h"
#include "imaging/ColorConversion.h"
#include "base/ImageGeometry.h"
#include "base/MessageReport.h"
#include "imaging/Quantizer.h"
#include "imaging/Resample.h"
#include "imaging/Rotate.h"
#include "formats/BuiltinPalettes.h"
#include "imaging/StandardPalettes.h"
#include "base/StatusStack.h"
#include "platform/PathFunctions.h"

const char* const kOutputFormatTexts[kOutputFormatCount] = {
    "Keep Original Format",
    "Windows Bitmap (*.BMP)",
    "Windows Device Independent Bitmap (*.DIB)",
    "CompuServe (*.GIF)",
    "PC Paintbrush (*.PCX)",
    "Macintosh PICT (*.PCT)",
    "TIFF (*.TIF)",
    "JPEG (*.JPG)",
    "Portable Network Graphics (*.PNG)",
    "Truevision Targa (*.TGA)",
};

const char* const kOutputFormatExtensions[kOutputFormatCount] = {"",    "bmp", "dib", "gif", "pcx",
                                                                  "pct", "tif", "jpg", "png", "tga"};

const char* const kColorModeTexts[kColorModeCount] = {"Keep Original Color Mode", "Bitmap", "Indexed Color",
                                                      "Grayscale", "RGB Full Color"};

namespace {

constexpr int kFormatGif = 3;
constexpr int kFormatJpeg = 7;
constexpr int kMaxSide = 32767;

const char kBadTitleText[] = "The output file name is not valid: ";
const char kBadPaletteText[] = "Cannot load the palette file (it is missing or holds no colors): ";

std::string FormatSerialName(const std::string& title, int digits, int serial) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*d", std::clamp(digits, 0, 32), serial);
  return title + buffer;
}

}  // namespace

bool ComputeTargetSize(int mode, int width, int height, int percent, int w, int h, int* outWidth, int* outHeight) {
  int64_t W = w, H = h;
  switch (mode) {
    case RESIZE_LIMIT: {
      const int64_t a = width < 0 ? w : width;
      const int64_t b = height < 0 ? h : height;
      if (a < w || b < h) {
        if (a * h < b * w) {
          W = a;
          H = w > 0 ? a * h / w : 0;
        } else {
          W = h > 0 ? b * w / h : 0;
          H = b;
        }
      }
      break;
    }
    case RESIZE_FIXED:
      if (width > 0 && height > 0) {
        W = width;
        H = height;
      } else if (width > 0) {
        W = width;
        H = w > 0 ? int64_t{width} * h / w : 0;
      } else if (height > 0) {
        H = height;
        W = h > 0 ? int64_t{height} * w / h : 0;
      }
      break;
    case RESIZE_PERCENT:
      W = int64_t{w} * percent / 100;
      H = int64_t{h} * percent / 100;
      break;
    default: break;
  }
  if (outWidth) *outWidth = static_cast<int>(std::clamp<int64_t>(W, INT32_MIN, INT32_MAX));
  if (outHeight) *outHeight = static_cast<int>(std::clamp<int64_t>(H, INT32_MIN, INT32_MAX));
  return W >= 1 && H >= 1 && W <= kMaxSide && H <= kMaxSide;
}

int FormatIndexFromFile(const std::string& path) {
  switch (GetImageFormat(path)) {
    case IMAGE_FORMAT_BMP: return 1;
    case IMAGE_FORMAT_GIF: return 3;
    case IMAGE_FORMAT_PCX: return 4;
    case IMAGE_FORMAT_PICT: return 5;
    case IMAGE_FORMAT_TIFF: return 6;
    case IMAGE_FORMAT_JPEG: return 7;
    case IMAGE_FORMAT_PNG: return 8;
    case IMAGE_FORMAT_TGA: return 9;
    default: return 0;
  }
}

bool IsValidFileTitle(const std::string& title) {
  if (title.empty() || title == "." || title == "..") return false;
  for (const char c : title) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || u < 0x20 || u == 0x7f) return false;
  }
  return true;
}

CImageConverter::~CImageConverter() = default;

void CImageConverter::SetPalette(int option, int colors, const char* paletteFile) {
  m_nPaletteOption = option;
  m_nColors = colors;
  m_strPaletteFile = paletteFile ? paletteFile : "";
}

void CImageConverter::SetFileTitle(const char* title, int digits) {
  m_strFileTitle.clear();
  if (title) {
    m_strFileTitle = title;
    m_nDigits = digits;
  }
}

std::string CImageConverter::MakeOutputPath(const std::string& source, int serial) const {
  std::string folder = GetFolderPart(source);
  std::string name = GetFileTitlePart(source);
  const int sourceIndex = FormatIndexFromFile(source);
  if (!m_strFileTitle.empty())
    name = serial >= 0 && m_nDigits >= 1 ? FormatSerialName(m_strFileTitle, m_nDigits, serial) : m_strFileTitle;
  if (!m_strOutputFolder.empty()) folder = m_strOutputFolder;
  // No folder at all (a bare source name) stays in the current folder rather
  // than going to the root.
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  const int index = m_nFormat > 0 && m_nFormat < kOutputFormatCount ? m_nFormat : m_nFormat == 0 ? sourceIndex : 0;
  path += name;
  path += '.';
  path += kOutputFormatExtensions[index];
  return path;
}

bool CImageConverter::CheckFileTitle() const {
  if (m_strFileTitle.empty() || IsValidFileTitle(m_strFileTitle)) return true;
  ReportMessage(MESSAGE_ERROR, kBadTitleText + m_strFileTitle);
  return false;
}

bool CImageConverter::ProcessFile(const char* source, std::string& outputPath, int serial, int* width, int* height) {
  m_request = CImageFileRequest();
  if (!source || !*source) return false;
  const std::string sourcePath = source;
  if (!CheckFileTitle()) return false;
  std::string path = MakeOutputPath(sourcePath, serial);
  CStatusScope status("Processing " + sourcePath);
  try {
    int colors = -1;
    const bool prepared = PrepareFile(sourcePath, m_request, &colors, m_pfnCancel, m_pfnProgress);
    if (colors >= 0) m_nColors = colors;  // the loaded palette's size, also when it held none
    if (!prepared) return false;
    if (!SaveFile(sourcePath, m_request, path)) return false;
  } catch (...) {
    return false;
  }
  outputPath = path;
  if (width) *width = m_request.m_nWidth;
  if (height) *height = m_request.m_nHeight;
  return true;
}

bool CImageConverter::PrepareFile(const std::string& source, CImageFileRequest& request, int* colors, CANCELPROC cancel,
                                  PROGRESSPROC progress) const {
  request = CImageFileRequest();
  if (colors) *colors = -1;
  try {
    if (!LoadSource(source, request, cancel, progress)) return false;
    if (!ResizeFrames(request)) return false;
    RotateFrames(request);
    if (!ConvertColorMode(request, colors, cancel, progress)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool CImageConverter::LoadSource(const std::string& source, CImageFileRequest& request, CANCELPROC cancel,
                                 PROGRESSPROC progress) const {
  if (source.empty()) return false;  // an empty name would open the file dialog
  request.m_strFileName = source;
  request.m_pfnCancel = cancel;
  request.m_pfnProgress = progress;
  const int code = ReadImageFile(&request);
  ReportResultError(code);
  return code == IMAGEIO_OK && !request.m_frames.empty();
}

bool CImageConverter::ResizeFrames(CImageFileRequest& request) const {
  if (m_nResizeMode == RESIZE_NONE) return true;
  const int w = request.m_nWidth, h = request.m_nHeight;
  int W = 0, H = 0;
  if (!ComputeTargetSize(m_nResizeMode, m_nResizeWidth, m_nResizeHeight, m_nScalePercent, w, h, &W, &H)) return false;
  if (W == w && H == h) return true;
  const int count = request.GetFrameCount();
  const int code = W < w && H < h ? ShrinkFrames(request.m_frames.data(), count, w, h, W, H)
                                  : ScaleFrames(request.m_frames.data(), count, w, h, W, H, 4);
  if (code != IMAGEIO_OK) return false;
  request.m_nWidth = static_cast<int16_t>(W);
  request.m_nHeight = static_cast<int16_t>(H);
  return true;
}

void CImageConverter::RotateFrames(CImageFileRequest& request) const {
  if (m_nRotation == 0) return;
  int dx = 0, dy = 0;
  if (m_nRotation == 90 || m_nRotation == 270) {
    const int oldWidth = request.m_nWidth, oldHeight = request.m_nHeight;
    request.m_nWidth = static_cast<int16_t>(oldHeight);
    request.m_nHeight = static_cast<int16_t>(oldWidth);
    dx = (oldHeight - oldWidth) / 2;
    dy = -dx;
  }
  for (CAnimFrame& frame : request.m_frames) {
    if (frame.m_image.IsEmpty()) continue;
    CRasterImage turned = RotateImage(frame.m_image, m_nRotation);
    if (turned.IsEmpty()) continue;
    const int left = dx + frame.m_nLeft + frame.m_image.GetWidth() / 2 - turned.GetWidth() / 2;
    const int top = dy + frame.m_nTop + frame.m_image.GetHeight() / 2 - turned.GetHeight() / 2;
    frame.m_image = std::move(turned);
    frame.m_nLeft = static_cast<int16_t>(std::clamp(left, -32768, 32767));
    frame.m_nTop = static_cast<int16_t>(std::clamp(top, -32768, 32767));
  }
}

bool CImageConverter::ConvertColorMode(CImageFileRequest& request, int* colors, CANCELPROC cancel,
                                       PROGRESSPROC progress) const {
  if (m_nColorMode == CM_KEEP) return true;
  RGBQUAD palette[256] = {};
  int count = std::clamp(m_nColors, 1, 256);
  const bool adaptive = m_nPaletteOption != PAL_WINDOWS16 && m_nPaletteOption != PAL_WINDOWS256 &&
                        m_nPaletteOption != PAL_WEB && m_nPaletteOption != PAL_FILE;
  if (m_nColorMode == CM_INDEXED && !adaptive) {
    int loaded = 0;
    switch (m_nPaletteOption) {
      case PAL_WINDOWS16: loaded = LoadWindows16Palette(palette); break;
      case PAL_WINDOWS256: loaded = LoadWindows256Palette(palette); break;
      case PAL_WEB: loaded = BuildWebPalette(palette); break;
      case PAL_FILE:
        // A palette file that is missing or gives no colours fails the file:
        // mapping onto an empty palette has no meaning.
        if (!LoadPaletteFile(&loaded, palette, m_strPaletteFile)) loaded = 0;
        break;
    }
    if (colors) *colors = loaded;
    if (loaded <= 0) {
      ReportMessage(MESSAGE_ERROR, kBadPaletteText + m_strPaletteFile);
      return false;
    }
    count = loaded;
  }
  for (CAnimFrame& frame : request.m_frames) {
    const CRasterImage& image = frame.m_image;
    if (image.IsEmpty()) continue;
    int status = IMAGEIO_OK;
    CRasterImage converted;
    switch (m_nColorMode) {
      case CM_BITMAP:
        if (image.GetBitsPerPixel() != 1)
          converted = ConvertToBitmap(image, BITMAP_DIFFUSION, 128, &status, cancel, progress);
        break;
      case CM_INDEXED: {
        int used = count;
        if (adaptive) {
          CPixelSource pixels(1);
          pixels.AddImage(&image);
          used = BuildOptimalPalette(pixels, palette, count, 8);
          if (used <= 0) {  // no opaque pixel: one black entry stands in
            palette[0] = RGBQUAD{};
            used = 1;
          }
        }
        converted = MapToPalette(image, used, palette, m_bDither, &status, cancel, progress);
        if (converted.IsEmpty() && status == IMAGEIO_OK) status = IMAGEIO_NO_MEMORY;
        break;
      }
      case CM_GRAYSCALE:
        if (!image.IsGrayscale()) converted = ConvertToGrayscale(image, &status, cancel, progress);
        break;
      case CM_RGB:
        if (image.GetBitsPerPixel() != 24) converted = ConvertTo24Bit(image, &status, cancel, progress);
        break;
      default: break;
    }
    if (status != IMAGEIO_OK) return false;
    if (!converted.IsEmpty()) frame.m_image = std::move(converted);
  }
  return true;
}

bool CImageConverter::SaveFile(const std::string& source, CImageFileRequest& request, std::string& outputPath) {
  request.m_pfnCancel = m_pfnCancel;
  request.m_pfnProgress = m_pfnProgress;
  request.m_strFileName = outputPath;
  const std::string signature = GetPersonalSignature();
  request.m_strSignature =
      signature.empty() ? std::string() : ExpandSignature(signature.c_str(), GetFileNamePart(outputPath));

  GIF_SAVE_OPTIONS gif;
  JPEG_SAVE_OPTIONS jpeg;
  const GIF_SAVE_OPTIONS* gifOptions = nullptr;
  const JPEG_SAVE_OPTIONS* jpegOptions = nullptr;
  const int format = GetImageFormat(outputPath);
  if (format == IMAGE_FORMAT_GIF) {
    if (m_nFormat == kFormatGif) {
      gif.nSubType = static_cast<int16_t>(m_nGifSubType == 1 ? 1 : 0);
      gif.nInterlace = static_cast<int16_t>(m_bGifInterlace);
      gif.nSaveSingleImage = static_cast<int16_t>(m_bGifSingleImage);
      gif.nColorConversion = 1;
      gif.nCommentOption = static_cast<int16_t>(m_nCommentOption);
    } else {
      ReadGifSaveOptions(gif);
    }
    gifOptions = &gif;
  } else if (format == IMAGE_FORMAT_JPEG) {
    if (m_nFormat == kFormatJpeg) {
      jpeg.nQuality = static_cast<int16_t>(m_nJpegQuality);
      jpeg.nProgressive = static_cast<int16_t>(m_bJpegProgressive);
      jpeg.nColorConversion = 1;
      jpeg.nCommentOption = static_cast<int16_t>(m_nCommentOption);
    } else {
      ReadJpegSaveOptions(jpeg);
    }
    jpegOptions = &jpeg;
  }

  // Where the result should go, and whether that is the source itself (then
  // the writer picks a free "-1" name and the result takes the source's name
  // once the source is in the Trash).
  const std::string wanted = outputPath;
  std::error_code ec;
  const bool replacesSource = std::filesystem::equivalent(wanted, source, ec) && !ec;

  const int code = WriteImageFile(&request, OVERWRITE_RENUMBER, gifOptions, jpegOptions);
  ReportResultError(code);
  request.m_strSignature.clear();
  if (code != IMAGEIO_OK) return false;  // the source stays where it was
  outputPath = request.m_strSavedName;

  if (m_bRecycleSource) {
    const bool oneFile = request.GetFrameCount() == 1 || (format == IMAGE_FORMAT_GIF && !gif.nSaveSingleImage);
    if (DeleteToRecycleBin(source) && replacesSource && oneFile && outputPath != wanted &&
        RenameFile(outputPath, wanted, false))
      outputPath = wanted;
  }
  return true;
}
