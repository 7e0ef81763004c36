#include "browser/core/BrowserItem.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "browser/core/ThumbnailMaker.h"
#include "formats/ImageFile.h"
#include "base/MessageReport.h"
#include "imaging/Resample.h"
#include "base/StatusStack.h"
#include "platform/PathFunctions.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochInFileTime = 11644473600;
// The longest status text of a read ("Reading " and the title).
constexpr size_t kMaxStatusText = 259;

// Cuts UTF-8 text to at most n bytes without splitting a character.
std::string CutUtf8(std::string text, size_t n) {
  if (text.size() <= n) return text;
  size_t end = n;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

}  // namespace

FILETIME64 FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds) {
  const int64_t shifted = seconds + kUnixEpochInFileTime;
  if (shifted < 0) return 0;
  return static_cast<FILETIME64>(shifted) * 10000000u + nanoseconds / 100u;
}

bool GetFoundFile(const std::string& path, FOUND_FILE& found) {
  struct statx sx {};
  if (path.empty() || statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return false;
  found.strPath = path;
  found.nSize = sx.stx_size;
  found.ftLastWrite = FileTimeFromUnix(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
  found.ftCreation = (sx.stx_mask & STATX_BTIME) ? FileTimeFromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                                                  : found.ftLastWrite;
  found.bReadOnly = (sx.stx_mode & S_IWUSR) == 0;
  const std::string name = GetFileNamePart(path);
  found.bHidden = !name.empty() && name[0] == '.';
  found.bDirectory = S_ISDIR(sx.stx_mode);
  return true;
}

void FitSizeInBox(int32_t& width, int32_t& height, int32_t boxWidth, int32_t boxHeight) {
  if (boxWidth >= width && boxHeight >= height) return;
  const int64_t w = width, h = height;
  if (w <= 0 || h <= 0) return;
  int64_t nw, nh;
  if (int64_t{boxWidth} * h < int64_t{boxHeight} * w) {
    nw = boxWidth;
    nh = int64_t{boxWidth} * h / w;
  } else {
    nh = boxHeight;
    nw = int64_t{boxHeight} * w / h;
  }
  // A very thin picture still keeps one pixel across: a side of 0 would be
  // no thumbnail at all, made again at every visit.
  width = static_cast<int32_t>(std::max<int64_t>(1, nw));
  height = static_cast<int32_t>(std::max<int64_t>(1, nh));
}

int ReduceRightAngle(int degrees) {
  int64_t angle = degrees % 360;
  if (angle < 0) angle += 360;
  return (angle == 90 || angle == 180 || angle == 270) ? static_cast<int>(angle) : 0;
}

CBrowserItem::CBrowserItem(const FOUND_FILE& found) {
  SetFolder(GetFolderPart(found.strPath));
  m_strName = GetFileNamePart(found.strPath);
  m_nFileSize = static_cast<uint32_t>(found.nSize);
  m_ftLastWrite = found.ftLastWrite;
  m_ftCreation = found.ftCreation;
  m_bReadOnly = found.bReadOnly ? 1 : 0;
  m_bHidden = found.bHidden ? 1 : 0;
  m_bArchive = 0;
}

CBrowserItem& CBrowserItem::operator=(const CBrowserItem& other) {
  if (this == &other) return *this;
  SetFolder(other.m_strFolder);
  m_strName = other.m_strName;
  m_nFileSize = other.m_nFileSize;
  m_ftLastWrite = other.m_ftLastWrite;
  m_ftCreation = other.m_ftCreation;
  m_bReadOnly = other.m_bReadOnly;
  m_bHidden = other.m_bHidden;
  m_bArchive = other.m_bArchive;
  m_nWidth = other.m_nWidth;
  m_nHeight = other.m_nHeight;
  m_strComment = other.m_strComment;
  m_nFrames = other.m_nFrames;
  m_properties = other.m_properties;
  m_nThumbWidth = other.m_nThumbWidth;
  m_nThumbHeight = other.m_nThumbHeight;
  m_pThumbFrames = other.m_pThumbFrames;
  m_nShownFrame = other.m_nShownFrame;
  m_bSelected = other.m_bSelected;
  m_bCut = other.m_bCut;
  m_nPrevIndex = other.m_nPrevIndex;
  m_nRotation = other.m_nRotation;
  m_nBitsPerPixel = other.m_nBitsPerPixel;
  return *this;
}

void CBrowserItem::SetFolder(const std::string& folder) {
  m_strFolder = folder;
  if (m_strFolder.empty() || m_strFolder.back() != '/') m_strFolder += '/';
}

void CBrowserItem::GetThumbnailSize(int32_t cellWidth, int32_t cellHeight, int32_t& width, int32_t& height) const {
  width = m_nWidth;
  height = m_nHeight;
  if (width <= 0 || height <= 0) return;
  if (m_nThumbWidth >= cellWidth || m_nThumbHeight >= cellHeight) {
    width = m_nThumbWidth;
    height = m_nThumbHeight;
    FitSizeInBox(width, height, cellWidth, cellHeight);
  } else if (cellWidth < width || cellHeight < height) {
    FitSizeInBox(width, height, cellWidth, cellHeight);
  }
}

void CBrowserItem::DropThumbnail() {
  m_pThumbFrames.reset();
  m_nThumbWidth = 0;
  m_nThumbHeight = 0;
}

void CBrowserItem::FitThumbnail(int32_t cellWidth, int32_t cellHeight) {
  if (!m_pThumbFrames || m_nThumbWidth <= 0 || m_nThumbHeight <= 0) return;
  if (cellWidth <= 0 || cellHeight <= 0 || m_nWidth <= 0 || m_nHeight <= 0) return;
  int32_t w, h;
  GetThumbnailSize(cellWidth, cellHeight, w, h);
  if (m_nThumbWidth > w || m_nThumbHeight > h) {
    auto frames = std::make_shared<std::vector<CAnimFrame>>(*m_pThumbFrames);
    const int result = frames->empty() ? IMAGEIO_INTERNAL_ERROR
                                       : ShrinkFrames(frames->data(), static_cast<int>(frames->size()),
                                                      m_nThumbWidth, m_nThumbHeight, w, h);
    if (result == IMAGEIO_OK) {
      m_pThumbFrames = std::move(frames);
      m_nThumbWidth = w;
      m_nThumbHeight = h;
    } else {
      DropThumbnail();
    }
  } else if (m_nThumbWidth < w || m_nThumbHeight < h) {
    DropThumbnail();
  }
}

int CBrowserItem::RotateThumbnail(int degrees) {
  if (!m_pThumbFrames || m_pThumbFrames->empty()) return ReduceRightAngle(degrees);
  CMultiFrameImage image(m_nThumbWidth, m_nThumbHeight, *m_pThumbFrames);
  const int turned = image.Rotate(degrees);
  if (turned != 0) {
    m_nThumbWidth = image.m_nWidth;
    m_nThumbHeight = image.m_nHeight;
    m_pThumbFrames = std::make_shared<const std::vector<CAnimFrame>>(std::move(image.m_frames));
  }
  return turned;
}

bool CBrowserItem::SetRotation(int degrees) {
  // The difference is reduced first so that no sum of turns can overflow.
  int64_t difference = (int64_t{degrees} - m_nRotation) % 360;
  if (difference < 0) difference += 360;
  const int turned = RotateThumbnail(static_cast<int>(difference));
  m_nRotation = static_cast<int32_t>(static_cast<uint32_t>(m_nRotation) + static_cast<uint32_t>(turned));
  return turned > 0;
}

int CBrowserItem::ReadFrames(CMultiFrameImage& out, PROGRESSPROC progress, CANCELPROC cancel) const {
  if (m_strName.empty()) return IMAGEIO_INTERNAL_ERROR;  // an empty path would open the file dialog
  CImageFileRequest request;
  request.m_strFileName = GetFullPath();
  request.m_pfnProgress = progress;
  request.m_pfnCancel = cancel;
  int result;
  {
    CStatusScope status(CutUtf8("Reading " + m_strName, kMaxStatusText));
    result = ReadImageFile(&request);
  }
  if (result == IMAGEIO_OK && !request.m_frames.empty()) {
    out.m_nWidth = request.m_nWidth;
    out.m_nHeight = request.m_nHeight;
    out.m_frames = std::move(request.m_frames);
    out.m_nLoopCount = static_cast<uint16_t>(request.m_nLoopCount);
    out.m_strComment = std::move(request.m_strComment);
    out.Rotate(m_nRotation);
  }
  return result;
}

bool CBrowserItem::TakeThumbnail(THUMBNAIL_DATA&& data, int32_t cellWidth, int32_t cellHeight) {
  if (!data.frames) {
    DropThumbnail();
    m_nFrames = 0;
    m_nShownFrame = 0;
    m_strComment.clear();
    return false;
  }
  m_pThumbFrames = std::move(data.frames);
  m_nWidth = data.nWidth;
  m_nHeight = data.nHeight;
  m_nThumbWidth = data.nThumbWidth;
  m_nThumbHeight = data.nThumbHeight;
  m_nFrames = data.nFrames;
  m_nShownFrame = 0;
  m_strComment = std::move(data.strComment);
  FitThumbnail(cellWidth, cellHeight);
  return m_pThumbFrames && m_nThumbWidth != 0 && m_nThumbHeight != 0;
}

bool CBrowserItem::MakeThumbnail(int32_t cellWidth, int32_t cellHeight, PROGRESSPROC progress, CANCELPROC cancel) {
  THUMBNAIL_DATA data;
  int result = IMAGEIO_INTERNAL_ERROR;
  if (!m_strName.empty()) {
    CStatusScope status(CutUtf8("Reading " + m_strName, kMaxStatusText));
    result = DecodeThumbnail(GetFullPath(), m_nRotation, cellWidth, cellHeight, cancel, progress, data);
  }
  if (result != IMAGEIO_OK) data.frames.reset();
  return TakeThumbnail(std::move(data), cellWidth, cellHeight);
}

void CBrowserItem::ReadFileInfo(int32_t cellWidth, int32_t cellHeight) {
  if (m_strName.empty()) return;
  CImageFileInfo info;
  if (!ReadImageFileInfo(GetFullPath(), &info)) return;
  m_nWidth = info.m_nWidth;
  m_nHeight = info.m_nHeight;
  m_nBitsPerPixel = info.m_nBitsPerPixel;
  m_nFrames = 1;
  m_nShownFrame = 0;
  m_properties = std::move(info.m_properties);
  FitThumbnail(cellWidth, cellHeight);
  if (!m_pThumbFrames && !info.m_thumbnail.IsEmpty()) {
    std::vector<CAnimFrame> frames(1);
    frames[0].m_image = info.m_thumbnail;
    m_nThumbWidth = info.m_thumbnail.GetWidth();
    m_nThumbHeight = info.m_thumbnail.GetHeight();
    m_pThumbFrames = std::make_shared<const std::vector<CAnimFrame>>(std::move(frames));
    FitThumbnail(cellWidth, cellHeight);
    RotateThumbnail(m_nRotation);
  }
}

bool CBrowserItem::SetAttributes(bool readOnly, bool hidden, bool archive) {
  if (readOnly == (m_bReadOnly != 0) && hidden == (m_bHidden != 0) && archive == (m_bArchive != 0)) return true;
  const std::string path = GetFullPath();
  struct stat st {};
  if (m_strName.empty() || stat(path.c_str(), &st) != 0) return false;
  if (readOnly == (m_bReadOnly != 0)) return true;  // hidden and archive are not ours to set
  mode_t mode = st.st_mode & 07777;
  mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  if (chmod(path.c_str(), mode) != 0) {
    ReportMessage(MESSAGE_ERROR, "Failed to change attributes of " + m_strName);
    return false;
  }
  m_bReadOnly = readOnly ? 1 : 0;
  return true;
}

bool CBrowserItem::Rename(const std::string& newName) {
  if (newName == m_strName) return true;
  // A name never leaves the folder.
  if (newName.empty() || newName == "." || newName == ".." || newName.find('/') != std::string::npos ||
      newName.find('\0') != std::string::npos)
    return false;
  if (!RenameFile(GetFullPath(), m_strFolder + newName, true)) return false;
  m_strName = newName;
  return true;
}
