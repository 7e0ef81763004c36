#include "browser/core/FileCommands.h"

#include <cstdio>

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "formats/ImageFile.h"
#include "imaging/Resample.h"
#include "platform/PathFunctions.h"

bool IsValidTypedName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7F) return false;
  return true;
}

std::vector<std::string> MakeSeriesNames(const std::vector<std::string>& oldNames, const std::string& base,
                                         int digits) {
  std::vector<std::string> names;
  names.reserve(oldNames.size());
  const bool serial = oldNames.size() > 1;
  if (digits < 0) digits = 0;
  if (digits > 9) digits = 9;
  int counter = 1;
  for (const std::string& old : oldNames) {
    std::string name = base;
    if (serial) {
      char number[32];
      std::snprintf(number, sizeof number, "%.*d", digits, counter++);
      name += number;
    }
    names.push_back(name + GetFileExtension(old));
  }
  return names;
}

namespace {

int CountSelectedReadOnly(const CBrowserItemList& items) {
  int count = 0;
  for (const CBrowserItem& item : items)
    if (item.m_bSelected && item.m_bReadOnly) ++count;
  return count;
}

// Runs the read-only question for one item; true to go on with it. Sets
// *stop on Cancel.
bool AskReadOnly(const CBrowserItem& item, const std::string& newName, const CONFIRM_READ_ONLY& confirm,
                 bool offerYesToAll, bool& yesToAll, bool& stop) {
  if (!item.m_bReadOnly || yesToAll) return true;
  const READ_ONLY_ANSWER answer = confirm ? confirm(item.m_strName, newName, offerYesToAll) : ANSWER_NO;
  switch (answer) {
    case ANSWER_YES:
      return true;
    case ANSWER_YES_TO_ALL:
      yesToAll = true;
      return true;
    case ANSWER_CANCEL:
      stop = true;
      return false;
    default:
      return false;
  }
}

}  // namespace

int RenameSelectedItems(CBrowserItemList& items, const std::string& base, int digits,
                        const CONFIRM_READ_ONLY& confirm, bool* refused) {
  if (refused) *refused = false;
  std::vector<std::string> oldNames;
  for (const CBrowserItem& item : items)
    if (item.m_bSelected) oldNames.push_back(item.m_strName);
  if (oldNames.empty()) return 0;
  // An empty base for one file would leave only the extension (a hidden
  // file); names must also stay inside the folder.
  if (!IsValidTypedName(base)) {
    if (refused) *refused = true;
    return 0;
  }
  const std::vector<std::string> newNames = MakeSeriesNames(oldNames, base, digits);
  const bool offerYesToAll = CountSelectedReadOnly(items) > 1;
  bool yesToAll = false, stop = false;
  int renamed = 0;
  size_t next = 0;
  for (CBrowserItem& item : items) {
    if (!item.m_bSelected) continue;
    const std::string& newName = newNames[next++];
    if (newName == item.m_strName) continue;
    if (!AskReadOnly(item, newName, confirm, offerYesToAll, yesToAll, stop)) {
      if (stop) break;
      continue;
    }
    if (item.Rename(newName)) ++renamed;
  }
  return renamed;
}

int DeleteSelectedItems(const CBrowserItemList& items, const CONFIRM_READ_ONLY& confirm) {
  const bool offerYesToAll = CountSelectedReadOnly(items) > 1;
  bool yesToAll = false, stop = false;
  int deleted = 0;
  for (const CBrowserItem& item : items) {
    if (!item.m_bSelected) continue;
    if (!AskReadOnly(item, std::string(), confirm, offerYesToAll, yesToAll, stop)) {
      if (stop) break;
      continue;
    }
    if (DeleteToRecycleBin(item.GetFullPath()))
      ++deleted;
    else
      ReportMessage(MESSAGE_ERROR, "Cannot delete " + item.m_strName + ". This file may be on a read-only media.");
  }
  return deleted;
}

MULTI_FILE_FACTS GetMultiFileFacts(const CBrowserItemList& items) {
  MULTI_FILE_FACTS facts;
  int readOnly = 0, hidden = 0, archive = 0;
  for (const CBrowserItem& item : items) {
    if (!item.m_bSelected) continue;
    ++facts.nFiles;
    FOUND_FILE found;
    // The item keeps only the low 32 bits of the size; the disk has them all.
    facts.nTotalSize += GetFoundFile(item.GetFullPath(), found) ? found.nSize : item.m_nFileSize;
    readOnly += item.m_bReadOnly ? 1 : 0;
    hidden += item.m_bHidden ? 1 : 0;
    archive += item.m_bArchive ? 1 : 0;
  }
  auto tri = [&](int count) { return count == 0 ? TRI_NONE : count == facts.nFiles ? TRI_ALL : TRI_SOME; };
  facts.nReadOnly = tri(readOnly);
  facts.nHidden = tri(hidden);
  facts.nArchive = tri(archive);
  return facts;
}

bool ApplyMultiFileAttributes(CBrowserItemList& items, int readOnly, int hidden, int archive) {
  auto pick = [](int value, int32_t own) { return value == TRI_SOME ? own != 0 : value == TRI_ALL; };
  bool ok = true;
  for (CBrowserItem& item : items) {
    if (!item.m_bSelected) continue;
    if (!item.SetAttributes(pick(readOnly, item.m_bReadOnly), pick(hidden, item.m_bHidden),
                            pick(archive, item.m_bArchive)))
      ok = false;
  }
  return ok;
}

void FitWallpaperSize(int32_t& width, int32_t& height, int32_t screenWidth, int32_t screenHeight) {
  if (width <= 0 || height <= 0 || screenWidth <= 0 || screenHeight <= 0) return;
  if (width <= screenWidth && height <= screenHeight) return;
  if (int64_t{width} * screenHeight > int64_t{height} * screenWidth) {
    height = static_cast<int32_t>(int64_t{height} * screenWidth / width);
    width = screenWidth;
  } else {
    width = static_cast<int32_t>(int64_t{width} * screenHeight / height);
    height = screenHeight;
  }
  if (width < 1) width = 1;
  if (height < 1) height = 1;
}

bool SaveWallpaperFile(const CBrowserItem& item, int32_t screenWidth, int32_t screenHeight,
                       const std::string& path) {
  CImageFileRequest read;
  read.m_strFileName = item.GetFullPath();
  if (item.m_strName.empty()) return false;
  int result;
  {
    CStatusScope status("Reading " + GetFileTitlePart(item.m_strName));
    result = ReadImageFile(&read);
  }
  // The first frame's own picture, not turned by the item's rotation.
  if (result != IMAGEIO_OK || read.m_frames.empty() || read.m_frames[0].m_image.IsEmpty()) return false;
  CRasterImage image = read.m_frames[0].m_image;
  int32_t width = image.GetWidth(), height = image.GetHeight();
  FitWallpaperSize(width, height, screenWidth, screenHeight);
  if (width != image.GetWidth() || height != image.GetHeight()) {
    image = ReduceImage(image, width, height);
    if (image.IsEmpty()) return false;
  }
  if (width > 32767 || height > 32767) return false;
  CImageFileRequest write;
  write.m_strFileName = path;
  write.m_nWidth = static_cast<int16_t>(width);
  write.m_nHeight = static_cast<int16_t>(height);
  CAnimFrame frame;
  frame.m_image = std::move(image);
  write.m_frames.push_back(std::move(frame));
  CStatusScope status("Saving wallpaper file...");
  return WriteImageFile(&write, 1, nullptr, nullptr) == IMAGEIO_OK;
}
