#include "formats/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/MessageReport.h"
#include "formats/AtomicFileWriter.h"
#include "formats/BufferedFile.h"
#include "formats/ImageFileHost.h"

namespace {

const char kReadOnlyMessage[] = "File save failed: The file may be read-only or in use by other application.";
const char kDiskFullMessage[] = "File save failed: The disk is either full or wrtie-protected.";

// How many leading bytes the signature check looks at (a PICT's version
// opcode sits after its 512-byte header).
constexpr int kSignatureBytes = 528;

// Numbered names in overwrite mode 2 stop here (IMAGEIO_FILE_EXISTS).
constexpr int kMaxRenumber = 100000;

// The name is in use: anything at all is there, a dangling link included.
// Modes that never overwrite test with this, so that nothing they cannot see
// through is taken for a free name.
bool NameTaken(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The first free "stem-i.ext" from i = first on; empty when none is left.
std::string NextFreeNumberedName(const std::string& path, int first) {
  const size_t slash = path.find_last_of('/');
  const size_t cut = path.find_last_of('.');
  const bool hasExt = cut != std::string::npos && (slash == std::string::npos || cut > slash);
  const std::string stem = hasExt ? path.substr(0, cut) : path;
  const std::string ext = hasExt ? path.substr(cut) : std::string();
  for (int i = first; i <= kMaxRenumber; ++i) {
    std::string candidate = stem + "-" + std::to_string(i) + ext;
    if (!NameTaken(candidate)) return candidate;
  }
  return {};
}

}  // namespace

// ---------------------------------------------------------------------------

int GetImageFormat(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  return ImageFormatFromExtension(dot == std::string::npos ? name : name.substr(dot + 1));
}

int GetImageFormatFromSignature(const uint8_t* data, size_t size, int nameFormat) {
  auto at = [&](size_t i) -> int { return i < size ? data[i] : -1; };
  auto starts = [&](const char* magic, size_t n) { return size >= n && std::memcmp(data, magic, n) == 0; };
  // Signatures that cannot be mistaken.
  if (starts("\x89PNG\r\n\x1a\n", 8)) return IMAGE_FORMAT_PNG;
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return IMAGE_FORMAT_GIF;
  if (at(0) == 0xFF && at(1) == 0xD8 && at(2) == 0xFF) return IMAGE_FORMAT_JPEG;
  if (starts("II*\0", 4) || starts("MM\0*", 4)) return IMAGE_FORMAT_TIFF;
  if (starts("BM", 2) && size >= 26) return IMAGE_FORMAT_BMP;
  // The formats without a real signature keep the name's word when it names them.
  if (nameFormat == IMAGE_FORMAT_PCX || nameFormat == IMAGE_FORMAT_PICT || nameFormat == IMAGE_FORMAT_TGA)
    return nameFormat;
  // PCX: manufacturer 10, a known version, RLE or none, a known depth.
  const int version = at(1);
  if (at(0) == 10 && (version == 0 || version == 2 || version == 3 || version == 4 || version == 5) &&
      (at(2) == 0 || at(2) == 1) && (at(3) == 1 || at(3) == 2 || at(3) == 4 || at(3) == 8))
    return IMAGE_FORMAT_PCX;
  // PICT: after the 512-byte header, the size and frame, then the version
  // opcode (0x1101 for version 1, 0x0011 0x02FF for version 2).
  if ((at(522) == 0x11 && at(523) == 0x01) ||
      (at(522) == 0x00 && at(523) == 0x11 && at(524) == 0x02 && at(525) == 0xFF))
    return IMAGE_FORMAT_PICT;
  if (nameFormat != IMAGE_FORMAT_UNKNOWN) return nameFormat;
  // TGA, last: a plausible header (colour map 0 or 1, a known image type and depth).
  const int mapType = at(1), type = at(2), depth = at(16);
  if (size >= 18 && (mapType == 0 || mapType == 1) &&
      (type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11) &&
      (depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32))
    return IMAGE_FORMAT_TGA;
  return IMAGE_FORMAT_UNKNOWN;
}

int GetImageFileFormat(const std::string& path) {
  const int nameFormat = GetImageFormat(path);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nameFormat;
  uint8_t head[kSignatureBytes];
  size_t got = 0;
  while (got < sizeof head) {
    const ssize_t n = ::read(fd, head + got, sizeof head - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got == 0) return nameFormat;
  return GetImageFormatFromSignature(head, got, nameFormat);
}

bool AppendImageExtension(int format, std::string& name) {
  const IMAGE_FORMAT_INFO* entry = FindImageFormat(format);
  if (!entry || name.empty()) return false;
  if (name.back() != '.') name += '.';
  name += entry->extensions[0];
  return true;
}

bool FileExists(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

int GetImageFileFrameCount(const std::string& path) {
  const IMAGE_FORMAT_INFO* entry = FindImageFormat(GetImageFileFormat(path));
  if (!entry || !entry->read) return 0;
  // TIFF pages count as one image here.
  if (entry->format != IMAGE_FORMAT_GIF) return 1;
  CBufferedFile stream;
  if (!stream.Open(path.c_str(), CBufferedFile::kRead)) return 0;
  stream.BeginBuffer();
  const int count = entry->countFrames(stream);
  stream.EndBuffer();
  stream.Close();
  return count;
}

bool ReadImageFileInfo(const std::string& path, CImageFileInfo* info) {
  if (!info) return false;
  const IMAGE_FORMAT_INFO* entry = FindImageFormat(GetImageFileFormat(path));
  if (!entry || !entry->info) return false;  // PICT and PCD have no info function
  CBufferedFile stream;
  if (!stream.Open(path.c_str(), CBufferedFile::kRead)) return false;
  return entry->info(stream, *info);
}

int ReadImageFile(CImageFileRequest* request) {
  if (!request) return IMAGEIO_INTERNAL_ERROR;
  if (request->m_strFileName.empty()) {
    std::string chosen;
    if (!ImageFileHost().RunImageFileDialog(false, chosen) || chosen.empty()) return IMAGEIO_CANCELLED;
    request->m_strFileName = chosen;
  }
  request->m_bIncomplete = false;
  if (request->m_pfnCancel && request->m_pfnCancel()) return IMAGEIO_CANCELLED;

  const IMAGE_FORMAT_INFO* entry = FindImageFormat(GetImageFileFormat(request->m_strFileName));
  CBufferedFile stream;
  // A file that cannot be opened reads as empty; the reader's checks decide.
  stream.Open(request->m_strFileName.c_str(), CBufferedFile::kRead);

  const bool multi = entry && entry->multiFrame;
  int count = 1;
  if (multi) {
    count = entry->countFrames(stream);
    stream.Seek(0, CBufferedFile::kBegin);
    stream.ClearError();
    if (count <= 0) {
      request->m_frames.clear();
      return IMAGEIO_CORRUPT;
    }
  }

  std::vector<CAnimFrame> frames(static_cast<size_t>(count));
  CCodecJob job;
  job.m_pStream = &stream;
  job.m_pfnCancel = request->m_pfnCancel;
  job.m_pfnProgress = request->m_pfnProgress;
  job.m_nXResolution = request->m_nXResolution;
  job.m_nYResolution = request->m_nYResolution;
  job.m_nFrames = count;
  job.m_pFrames = frames.data();

  // Formats without a reader give IMAGEIO_BAD_FORMAT.
  int result = entry && entry->read ? entry->read(job, count) : IMAGEIO_BAD_FORMAT;
  stream.Close();

  if (result == IMAGEIO_OK) {
    if (multi) {
      // Frames a reader left empty at the end are dropped; an empty first
      // frame means nothing usable was read.
      while (frames.size() > 1 && frames.back().IsEmpty()) frames.pop_back();
      if (frames.empty() || frames.front().IsEmpty()) result = IMAGEIO_CORRUPT;
    } else if (job.m_image.IsEmpty()) {
      result = IMAGEIO_CORRUPT;
    }
  }
  if (result != IMAGEIO_OK) {
    request->m_frames.clear();
    return result;
  }

  if (multi) {
    request->m_frames = std::move(frames);
    request->m_nWidth = job.m_nScreenWidth;
    request->m_nHeight = job.m_nScreenHeight;
    request->m_nLoopCount = job.m_nLoopCount;
  } else {
    frames.resize(1);
    CAnimFrame& frame = frames[0];
    frame.m_image = job.m_image;
    frame.m_nLeft = 0;
    frame.m_nTop = 0;
    frame.m_nDelay = 0;
    frame.m_nFlags = 0;
    request->m_frames = std::move(frames);
    request->m_nWidth = static_cast<int16_t>(job.m_image.GetWidth());
    request->m_nHeight = static_cast<int16_t>(job.m_image.GetHeight());
    request->m_nLoopCount = 0;
  }
  request->m_strComment = std::move(job.m_strComment);
  request->m_bIncomplete = job.m_bIncomplete;
  request->m_nXResolution = job.m_nXResolution;
  request->m_nYResolution = job.m_nYResolution;
  return IMAGEIO_OK;
}

int WriteImageFile(CImageFileRequest* request, int overwriteMode, const GIF_SAVE_OPTIONS* gifOptions,
                   const JPEG_SAVE_OPTIONS* jpegOptions) {
  if (!request || request->m_frames.empty()) return IMAGEIO_INTERNAL_ERROR;
  IImageFileHost& host = ImageFileHost();
  if (request->m_strFileName.empty()) {
    std::string chosen;
    if (!host.RunImageFileDialog(true, chosen) || chosen.empty()) return IMAGEIO_CANCELLED;
    request->m_strFileName = chosen;
  }
  if (request->m_pfnCancel && request->m_pfnCancel()) return IMAGEIO_CANCELLED;

  const std::string& name = request->m_strFileName;
  const IMAGE_FORMAT_INFO* entry = FindImageFormat(GetImageFormat(name));
  const int format = entry ? entry->format : IMAGE_FORMAT_UNKNOWN;
  bool oneFilePerFrame = true;
  const RGBQUAD background = host.GetBackgroundColor();
  const bool transparent = !entry || entry->keepsTransparency;

  GIF_SAVE_OPTIONS gif;
  if (format == IMAGE_FORMAT_GIF) {
    if (gifOptions)
      gif = *gifOptions;
    else if (!host.GetGifSaveOptions(gif))
      return IMAGEIO_CANCELLED;
    oneFilePerFrame = gif.nSaveSingleImage != 0;
  }

  CBufferedFile stream;
  CCodecJob job;
  job.m_pStream = &stream;
  job.m_strComment = request->m_strComment;
  job.m_strSignature = request->m_strSignature;
  job.m_pfnCancel = request->m_pfnCancel;
  job.m_pfnProgress = request->m_pfnProgress;
  job.m_nScreenWidth = request->m_nWidth;
  job.m_nScreenHeight = request->m_nHeight;
  job.m_nFrames = request->GetFrameCount();
  job.m_pFrames = request->m_frames.data();
  job.m_nLoopCount = request->m_nLoopCount;

  const size_t lastDot = name.find_last_of('.');
  const std::string ext = lastDot == std::string::npos ? std::string() : name.substr(lastDot);
  const std::string stem = lastDot == std::string::npos ? name : name.substr(0, lastDot);
  const int frameCount = request->GetFrameCount();

  int result = IMAGEIO_OK;
  for (int k = 0; k < frameCount; ++k) {
    std::string output = name;
    if (frameCount > 1 && k > 0 && oneFilePerFrame) {
      char number[16];
      std::snprintf(number, sizeof number, "%4d", k);
      output = stem + number + ext;
    }
    const bool replace = overwriteMode == OVERWRITE_REPLACE;
    const std::string wanted = output;
    if (!replace && NameTaken(output)) {
      if (overwriteMode == OVERWRITE_REFUSE) return IMAGEIO_FILE_EXISTS;
      output = NextFreeNumberedName(output, 1);
      if (output.empty()) return IMAGEIO_FILE_EXISTS;
    }
    request->m_strSavedName = output;
    if (!entry || !entry->write) return IMAGEIO_BAD_FORMAT;

    const CAnimFrame& frame = request->m_frames[static_cast<size_t>(k)];
    if (format == IMAGE_FORMAT_GIF) {
      job.m_image = frame.m_image;
    } else {
      job.m_image = FlattenFrameForWrite(frame, request->m_nWidth, request->m_nHeight, transparent, background);
      if (job.m_image.IsEmpty()) continue;  // nothing to write for this frame
    }

    CAtomicFileWriter writer(output);
    if (writer.TargetIsReadOnly()) {
      ReportMessage(MESSAGE_ERROR, kReadOnlyMessage);
      return IMAGEIO_FAILED;
    }
    if (!writer.Begin() || !stream.Open(writer.TempPath().c_str(), CBufferedFile::kWrite)) {
      ReportMessage(MESSAGE_ERROR, kDiskFullMessage);
      return IMAGEIO_FAILED;
    }

    FORMAT_WRITE_OPTIONS options;
    options.gif = &gif;
    options.jpeg = jpegOptions;
    bool lastFile = false;
    if (format == IMAGE_FORMAT_GIF) {
      options.firstFrame = oneFilePerFrame ? k : 0;
      options.frameCount = oneFilePerFrame ? 1 : frameCount;
      lastFile = !oneFilePerFrame;
    }
    job.m_nResult = IMAGEIO_OK;
    result = entry->write(job, options);
    if (result == IMAGEIO_OK && job.m_nResult != IMAGEIO_OK) result = job.m_nResult;
    stream.EndBuffer();
    stream.Close();
    const bool writeFailed = stream.GetWriteError();
    stream.ClearError();
    if (result != IMAGEIO_OK) return result;  // the writer removes its temporary file
    if (writeFailed) {
      ReportMessage(MESSAGE_ERROR, kDiskFullMessage);
      return IMAGEIO_FAILED;
    }
    ATOMIC_WRITE_STATUS status;
    if (replace) {
      status = writer.Commit();
    } else {
      // The name was free when it was chosen; whatever took it since is kept.
      int next = 1;  // numbers already taken are skipped
      while ((status = writer.CommitAsNew(output)) == ATOMIC_TARGET_EXISTS && overwriteMode == OVERWRITE_RENUMBER) {
        output = NextFreeNumberedName(wanted, next++);
        if (output.empty()) break;
      }
      if (status == ATOMIC_TARGET_EXISTS) return IMAGEIO_FILE_EXISTS;
      request->m_strSavedName = output;
    }
    switch (status) {
      case ATOMIC_OK: break;
      case ATOMIC_TARGET_BUSY: ReportMessage(MESSAGE_ERROR, kReadOnlyMessage); return IMAGEIO_FAILED;
      default: ReportMessage(MESSAGE_ERROR, kDiskFullMessage); return IMAGEIO_FAILED;
    }
    if (lastFile) break;
  }
  return result;
}

// ---------------------------------------------------------------------------

CRasterImage FlattenFrameForWrite(const CAnimFrame& frame, int width, int height, bool transparent,
                                  RGBQUAD background) {
  if (frame.IsEmpty()) return {};
  if (width <= 0 || height <= 0) {
    // A request without a canvas size takes the frame's own extent.
    const CRasterImage& ref = frame.m_image.IsEmpty() ? frame.m_selection : frame.m_image;
    width = frame.m_nLeft + ref.GetWidth();
    height = frame.m_nTop + ref.GetHeight();
    if (width <= 0 || height <= 0) return {};
  }
  return frame.Flatten(width, height, transparent, background);
}
