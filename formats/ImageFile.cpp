#include "formats/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "base/MessageReport.h"
#include "formats/AtomicFileWriter.h"
#include "formats/BufferedFile.h"
#include "formats/ImageFileHost.h"

namespace {

const char kReadOnlyMessage[] = "File save failed: The file may be read-only or in use by other application.";
const char kDiskFullMessage[] = "File save failed: The disk is either full or wrtie-protected.";

// Numbered names in overwrite mode 2 stop here (IMAGEIO_FILE_EXISTS).
constexpr int kMaxRenumber = 100000;

// Something (a file, a folder, a dangling link's target aside) exists under the name.
bool PathExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------

int GetImageFormat(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  return ImageFormatFromExtension(dot == std::string::npos ? name : name.substr(dot + 1));
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
  const IMAGE_FORMAT_INFO* entry = FindImageFormat(GetImageFormat(path));
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
  const IMAGE_FORMAT_INFO* entry = FindImageFormat(GetImageFormat(path));
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
  if (request->m_pfnCancel && request->m_pfnCancel()) return IMAGEIO_CANCELLED;

  const IMAGE_FORMAT_INFO* entry = FindImageFormat(GetImageFormat(request->m_strFileName));
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
    if (PathExists(output)) {
      if (overwriteMode == OVERWRITE_REFUSE) return IMAGEIO_FILE_EXISTS;
      if (overwriteMode == OVERWRITE_RENUMBER) {
        const size_t cut = output.find_last_of('.');
        const std::string outStem = cut == std::string::npos ? output : output.substr(0, cut);
        const std::string outExt = cut == std::string::npos ? std::string() : output.substr(cut);
        int i = 1;
        for (; i <= kMaxRenumber; ++i) {
          std::string candidate = outStem + "-" + std::to_string(i) + outExt;
          if (!PathExists(candidate)) {
            output = std::move(candidate);
            break;
          }
        }
        if (i > kMaxRenumber) return IMAGEIO_FILE_EXISTS;
      }
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
    switch (writer.Commit()) {
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
