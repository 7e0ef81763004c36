#include "formats/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/BmpCodec.h"
#include "formats/BufferedFile.h"
#include "formats/GifCodec.h"
#include "formats/ImageFileHost.h"
#include "formats/JpegCodec.h"
#include "formats/PcxCodec.h"
#include "formats/PictCodec.h"
#include "formats/PngCodec.h"
#include "formats/TgaCodec.h"
#include "formats/TiffCodec.h"
#include "imaging/ColorConversion.h"
#include "imaging/MessageReport.h"
#include "imaging/PixelAccess.h"

namespace {

const char* const kExtensions[] = {"", "bmp", "gif", "pct", "pcx", "tif", "jpg", "png", "tga", "pcd"};

const char kReadOnlyMessage[] = "File save failed: The file may be read-only or in use by other application.";
const char kDiskFullMessage[] = "File save failed: The disk is either full or wrtie-protected.";

// Numbered names in overwrite mode 2 stop here (IMAGEIO_FILE_EXISTS).
constexpr int kMaxRenumber = 100000;

bool EqualsNoCase(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

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

// Renames without ever replacing: fails with EEXIST when the target exists,
// also when it appeared after the name was checked.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without the flag: a hard link refuses an existing target.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

// The analogue of the read-only attribute: no write bit at all. Checked on
// the mode bits rather than with access(), which says yes to root.
bool HasNoWriteBits(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The file that saving under this name replaces: a symbolic link is
// followed, so the link stays and the file it names gets the new content.
std::string ResolveTarget(const std::string& name) {
  struct stat st;
  if (::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(name.c_str(), nullptr)) {
      std::string resolved(real);
      std::free(real);
      return resolved;
    }
  }
  return name;
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// A fresh, empty temporary file beside the target. Empty result on failure.
std::string MakeTempFile(const std::string& target) {
  const std::string folder = FolderOf(target);
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || HasNoWriteBits(st)) return {};
  std::string pattern = folder + "/~ptXXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkstemp(buffer.data());
  if (fd < 0) return {};
  ::close(fd);
  return std::string(buffer.data());
}

// Flushes a written file to the disk; false when the data may not be there.
bool SyncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int rc;
  do {
    rc = ::fsync(fd);
  } while (rc != 0 && errno == EINTR);
  const bool ok = rc == 0 || errno == EINVAL || errno == EROFS;
  ::close(fd);
  return ok;
}

// Runs the format's reader on an open job. Formats without a reader give
// IMAGEIO_BAD_FORMAT.
int RunReader(int format, CCodecJob& job, int count) {
  switch (format) {
    case IMAGE_FORMAT_BMP: return ReadBmp(&job);
    case IMAGE_FORMAT_GIF: return ReadGif(&job, 0, count);
    case IMAGE_FORMAT_PICT: return ReadPict(&job);
    case IMAGE_FORMAT_PCX: return ReadPcx(&job);
    case IMAGE_FORMAT_TIFF: return ReadTiff(&job);
    case IMAGE_FORMAT_JPEG: return ReadJpeg(&job);
    case IMAGE_FORMAT_PNG: return ReadPng(&job);
    case IMAGE_FORMAT_TGA: return ReadTga(&job);
    default: return IMAGEIO_BAD_FORMAT;
  }
}

}  // namespace

// ---------------------------------------------------------------------------

int GetImageFormat(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  const std::string ext = dot == std::string::npos ? name : name.substr(dot + 1);
  for (int code = 1; code <= IMAGE_FORMAT_PCD; ++code)
    if (EqualsNoCase(ext, kExtensions[code])) return code;
  if (EqualsNoCase(ext, "dib")) return IMAGE_FORMAT_BMP;
  return IMAGE_FORMAT_UNKNOWN;
}

bool AppendImageExtension(int format, std::string& name) {
  if (format <= 0 || format > IMAGE_FORMAT_PCD || name.empty()) return false;
  if (name.back() != '.') name += '.';
  name += kExtensions[format];
  return true;
}

bool FileExists(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

int GetImageFileFrameCount(const std::string& path) {
  const int format = GetImageFormat(path);
  if (format == IMAGE_FORMAT_UNKNOWN || format == IMAGE_FORMAT_PCD) return 0;
  if (format != IMAGE_FORMAT_GIF) return 1;
  CBufferedFile stream;
  if (!stream.Open(path.c_str(), CBufferedFile::kRead)) return 0;
  stream.BeginBuffer();
  const int count = CountGifFrames(&stream);
  stream.EndBuffer();
  stream.Close();
  return count;
}

bool ReadImageFileInfo(const std::string& path, CImageFileInfo* info) {
  if (!info) return false;
  const int format = GetImageFormat(path);
  if (format == IMAGE_FORMAT_UNKNOWN) return false;
  CBufferedFile stream;
  if (!stream.Open(path.c_str(), CBufferedFile::kRead)) return false;
  switch (format) {
    case IMAGE_FORMAT_BMP: return GetBmpInfo(&stream, info);
    case IMAGE_FORMAT_GIF: return GetGifInfo(&stream, info);
    case IMAGE_FORMAT_PCX: return GetPcxInfo(&stream, info);
    case IMAGE_FORMAT_TIFF: return GetTiffInfo(&stream, info);
    case IMAGE_FORMAT_JPEG: return GetJpegInfo(&stream, info, true);
    case IMAGE_FORMAT_PNG: return GetPngInfo(&stream, info);
    case IMAGE_FORMAT_TGA: return GetTgaInfo(&stream, info);
    default: return false;  // PICT and PCD have no info function
  }
}

int ReadImageFile(CImageFileRequest* request) {
  if (!request) return IMAGEIO_INTERNAL_ERROR;
  if (request->m_strFileName.empty()) {
    std::string chosen;
    if (!ImageFileHost().RunImageFileDialog(false, chosen) || chosen.empty()) return IMAGEIO_CANCELLED;
    request->m_strFileName = chosen;
  }
  if (request->m_pfnCancel && request->m_pfnCancel()) return IMAGEIO_CANCELLED;

  const int format = GetImageFormat(request->m_strFileName);
  CBufferedFile stream;
  // A file that cannot be opened reads as empty; the reader's checks decide.
  stream.Open(request->m_strFileName.c_str(), CBufferedFile::kRead);

  int count = 1;
  if (format == IMAGE_FORMAT_GIF || format == IMAGE_FORMAT_TIFF) {
    count = format == IMAGE_FORMAT_GIF ? CountGifFrames(&stream) : CountTiffPages(&stream);
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

  int result = RunReader(format, job, count);
  stream.Close();

  const bool multi = format == IMAGE_FORMAT_GIF || format == IMAGE_FORMAT_TIFF;
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
  const int format = GetImageFormat(name);
  bool oneFilePerFrame = true;
  const RGBQUAD background = host.GetBackgroundColor();
  const bool transparent = !(format == IMAGE_FORMAT_PICT || format == IMAGE_FORMAT_PCX || format == IMAGE_FORMAT_JPEG);

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
    if (format == IMAGE_FORMAT_UNKNOWN || format == IMAGE_FORMAT_PCD) return IMAGEIO_BAD_FORMAT;

    const CAnimFrame& frame = request->m_frames[static_cast<size_t>(k)];
    if (format == IMAGE_FORMAT_GIF) {
      job.m_image = frame.m_image;
    } else {
      job.m_image = FlattenFrameForWrite(frame, request->m_nWidth, request->m_nHeight, transparent, background);
      if (job.m_image.IsEmpty()) continue;  // nothing to write for this frame
    }

    const std::string target = replace ? ResolveTarget(output) : output;
    struct stat targetStat;
    const bool targetExists = ::stat(target.c_str(), &targetStat) == 0;
    if (targetExists && HasNoWriteBits(targetStat)) {
      ReportMessage(MESSAGE_ERROR, kReadOnlyMessage);
      return IMAGEIO_FAILED;
    }
    const std::string temp = MakeTempFile(target);
    if (temp.empty()) {
      ReportMessage(MESSAGE_ERROR, kDiskFullMessage);
      return IMAGEIO_FAILED;
    }
    if (!stream.Open(temp.c_str(), CBufferedFile::kWrite)) {
      ::unlink(temp.c_str());
      ReportMessage(MESSAGE_ERROR, kDiskFullMessage);
      return IMAGEIO_FAILED;
    }

    bool lastFile = false;
    job.m_nResult = IMAGEIO_OK;
    switch (format) {
      case IMAGE_FORMAT_BMP: result = WriteBmp(&job); break;
      case IMAGE_FORMAT_GIF:
        if (oneFilePerFrame) {
          result = WriteGif(&job, k, 1, &gif);
        } else {
          result = WriteGif(&job, 0, frameCount, &gif);
          lastFile = true;
        }
        break;
      case IMAGE_FORMAT_PICT: result = WritePict(&job); break;
      case IMAGE_FORMAT_PCX: result = WritePcx(&job); break;
      case IMAGE_FORMAT_TIFF: result = WriteTiff(&job); break;
      case IMAGE_FORMAT_JPEG:
        result = jpegOptions ? WriteJpeg(&job, jpegOptions) : WriteJpegWithOptions(&job);
        break;
      case IMAGE_FORMAT_PNG: result = WritePng(&job); break;
      case IMAGE_FORMAT_TGA: result = WriteTga(&job); break;
      default: result = IMAGEIO_BAD_FORMAT; break;
    }
    if (result == IMAGEIO_OK && job.m_nResult != IMAGEIO_OK) result = job.m_nResult;
    stream.EndBuffer();
    stream.Close();
    const bool writeFailed = stream.GetWriteError();
    stream.ClearError();
    if (result != IMAGEIO_OK) {
      ::unlink(temp.c_str());
      return result;
    }
    if (writeFailed || !SyncFile(temp)) {
      ::unlink(temp.c_str());
      ReportMessage(MESSAGE_ERROR, kDiskFullMessage);
      return IMAGEIO_FAILED;
    }
    // The new file keeps the replaced file's permissions, else the usual ones.
    const mode_t mode = targetExists ? (targetStat.st_mode & 07777) : (0666 & ~CurrentUmask());
    ::chmod(temp.c_str(), mode);
    if (!replace) {
      // The name was free when it was chosen; whatever took it since is kept.
      std::string freeName = target;
      int next = 1;  // numbers already taken are skipped
      bool renamed = false;
      while (!(renamed = RenameNoReplace(temp, freeName)) && errno == EEXIST && overwriteMode == OVERWRITE_RENUMBER) {
        freeName = NextFreeNumberedName(wanted, next++);
        if (freeName.empty()) break;
      }
      if (!renamed) {
        const bool exists = errno == EEXIST;
        ::unlink(temp.c_str());
        if (exists) return IMAGEIO_FILE_EXISTS;
        ReportMessage(MESSAGE_ERROR, kDiskFullMessage);
        return IMAGEIO_FAILED;
      }
      request->m_strSavedName = freeName;
    } else if (::rename(temp.c_str(), target.c_str()) != 0) {
      ::unlink(temp.c_str());
      ReportMessage(MESSAGE_ERROR, errno == EISDIR || errno == ENOTEMPTY || errno == EBUSY || errno == ETXTBSY
                                       ? kReadOnlyMessage
                                       : kDiskFullMessage);
      return IMAGEIO_FAILED;
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
