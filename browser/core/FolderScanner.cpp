#include "browser/core/FolderScanner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <unordered_map>

#include "browser/core/ThumbnailMaker.h"
#include "formats/ImageFile.h"
#include "base/StatusStack.h"

namespace fs = std::filesystem;

namespace {

std::string WithSlash(const std::string& folder) {
  return (folder.empty() || folder.back() != '/') ? folder + '/' : folder;
}

std::string NormalFolder(const std::string& folder) {
  std::string s = fs::path(folder).lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

// The facts of an entry of an open folder, following links.
bool StatAt(int dirFd, const char* name, const std::string& folder, FOUND_FILE& found) {
  struct statx sx {};
  if (statx(dirFd, name, 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return false;
  found.strPath = folder + name;
  found.nSize = sx.stx_size;
  found.ftLastWrite = FileTimeFromUnix(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
  found.ftCreation = (sx.stx_mask & STATX_BTIME) ? FileTimeFromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                                                  : found.ftLastWrite;
  found.bReadOnly = (sx.stx_mode & S_IWUSR) == 0;
  found.bHidden = name[0] == '.';
  found.bDirectory = S_ISDIR(sx.stx_mode);
  return true;
}

}  // namespace

CFolderScanner::CFolderScanner(const std::string& cacheRoot)
    : m_strCacheRoot(NormalFolder(cacheRoot)), m_cacheFolder(m_strCacheRoot) {}

void CFolderScanner::SetCellSize(int32_t width, int32_t height) {
  m_nCellWidth = std::max(1, width);
  m_nCellHeight = std::max(1, height);
}

bool CFolderScanner::IsInCacheTree(const std::string& folder) const {
  const std::string f = NormalFolder(folder);
  if (f == m_strCacheRoot) return true;
  if (f.size() > m_strCacheRoot.size() && f.compare(0, m_strCacheRoot.size(), m_strCacheRoot) == 0 &&
      f[m_strCacheRoot.size()] == '/')
    return true;
  // Reached under another name (a link to it)?
  struct stat a {}, b {};
  return stat(f.c_str(), &a) == 0 && stat(m_strCacheRoot.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

bool CFolderScanner::Visit(const std::string& folder) {
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0) return false;
  return m_visited.insert({static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)}).second;
}

void CFolderScanner::ScanFolder(const std::string& folder, CBrowserItemList& out) {
  m_visited.clear();
  ScanTree(folder, out);
  m_visited.clear();
}

void CFolderScanner::ScanTree(const std::string& folderGiven, CBrowserItemList& out) {
  const std::string folder = WithSlash(folderGiven);
  if (IsInCacheTree(folder) || !Visit(folder)) return;
  CStatusScope status("Scanning " + folderGiven);

  // The cache file is read at the first file that the held items of a
  // Refresh do not cover (at once when there are none).
  CBrowserItemList cached;
  // Records by name; a name met twice takes the last record first.
  std::unordered_map<std::string, std::vector<size_t>> byName;
  bool cacheRead = false;
  auto readCache = [&] {
    if (cacheRead) return;
    cacheRead = true;
    LoadCache(folder, cached);
    for (size_t i = 0; i < cached.size(); ++i) byName[cached[i].m_strName].push_back(i);
  };

  CBrowserItemList found;
  std::vector<std::string> subfolders;
  if (DIR* dir = opendir(folder.c_str())) {
    const int dirFd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      const bool maybeFolder = entry->d_type == DT_DIR || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
      const bool image = GetImageFormat(name) != IMAGE_FORMAT_UNKNOWN;
      if (!image && !maybeFolder) continue;
      FOUND_FILE facts;
      if (!StatAt(dirFd, name, folder, facts)) continue;
      if (facts.bDirectory) {
        if (m_bRecursive) subfolders.push_back(facts.strPath);
        continue;
      }
      if (!image) continue;
      CBrowserItem item(facts);
      bool trusted = TakeHeld(item);
      if (!trusted) readCache();
      if (auto it = trusted ? byName.end() : byName.find(item.m_strName); it != byName.end() && !it->second.empty()) {
        CBrowserItem& record = cached[it->second.back()];
        it->second.pop_back();
        // Same time and same size: a copy that kept an old time is not
        // mistaken for the file the record was made from.
        if (record.m_ftLastWrite == item.m_ftLastWrite && record.m_nFileSize == item.m_nFileSize) {
          record.SetFolder(folder);
          item = std::move(record);
          trusted = true;
        } else {
          record.DropThumbnail();
        }
      }
      if (!trusted) item.ReadFileInfo(m_nCellWidth, m_nCellHeight);
      found.push_back(std::move(item));
      if (Cancelled()) break;
    }
    closedir(dir);
  }
  for (CBrowserItem& item : found) out.push_back(std::move(item));
  cached.clear();  // records of files gone or changed

  if (m_bRecursive) {
    for (const std::string& sub : subfolders) {
      if (Cancelled()) break;
      ScanTree(sub, out);
    }
  }
}

bool CFolderScanner::TakeHeld(CBrowserItem& item) {
  if (m_held.empty()) return false;
  auto it = m_held.find(item.GetFullPath());
  if (it == m_held.end()) return false;
  CBrowserItem& held = it->second;
  // The trust of a cache record: same time and same size.
  if (held.m_ftLastWrite != item.m_ftLastWrite || held.m_nFileSize != item.m_nFileSize) return false;
  item = std::move(held);
  m_held.erase(it);
  // Only the file's facts and thumbnail carry over, as from a record; the
  // display state starts afresh (Refresh restores selection and order).
  const CBrowserItem fresh;
  item.m_nShownFrame = fresh.m_nShownFrame;
  item.m_bSelected = fresh.m_bSelected;
  item.m_nZoomTarget = fresh.m_nZoomTarget;
  item.m_nZoomStep = fresh.m_nZoomStep;
  item.m_bCut = fresh.m_bCut;
  item.m_nPrevIndex = fresh.m_nPrevIndex;
  return true;
}

std::vector<std::string> CFolderScanner::ListSubfolders(const std::string& folder) {
  std::vector<std::string> subfolders;
  if (DIR* dir = opendir(folder.c_str())) {
    const int dirFd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
      FOUND_FILE facts;
      if (StatAt(dirFd, name, folder, facts) && facts.bDirectory) subfolders.push_back(facts.strPath);
    }
    closedir(dir);
  }
  return subfolders;
}

int CFolderScanner::MakeThumbnails(const std::string& folderGiven, CBrowserItemList& items,
                                   const MADE_CALLBACK& made) {
  if (Cancelled()) return 0;
  const std::string folder = WithSlash(folderGiven);
  std::vector<THUMBNAIL_JOB> jobs;
  std::vector<int> where;  // the index of each job's item when the run began
  for (int i = 0; i < items.GetCount(); ++i) {
    const CBrowserItem& item = items[static_cast<size_t>(i)];
    if (item.m_strFolder != folder || item.HasThumbnail()) continue;
    jobs.push_back({item.GetFullPath(), item.m_nRotation});
    where.push_back(i);
  }
  int count = 0;
  MakeThumbnailsInOrder(jobs, m_nCellWidth, m_nCellHeight, m_pfnCancel, m_pfnProgress,
                        [&](size_t job, int result, THUMBNAIL_DATA&& data) {
                          // The list may have changed while events were pumped.
                          int index = where[job];
                          if (index >= items.GetCount() ||
                              items[static_cast<size_t>(index)].GetFullPath() != jobs[job].strPath) {
                            index = -1;
                            for (int i = 0; i < items.GetCount(); ++i)
                              if (items[static_cast<size_t>(i)].GetFullPath() == jobs[job].strPath) {
                                index = i;
                                break;
                              }
                          }
                          if (index < 0) return;
                          CBrowserItem& item = items[static_cast<size_t>(index)];
                          // Turned or given a thumbnail meanwhile: the next pass decides.
                          if (item.HasThumbnail() || item.m_nRotation != jobs[job].nRotation) return;
                          if (result != IMAGEIO_OK) data.frames.reset();
                          if (item.TakeThumbnail(std::move(data), m_nCellWidth, m_nCellHeight)) {
                            ++count;
                            if (made) made(index);
                          }
                        });
  if (count > 0) SaveCache(folder, items);
  return count;
}

void CFolderScanner::LoadPreviews(const std::string& folder, CBrowserItemList& items, const MADE_CALLBACK& made) {
  m_visited.clear();
  PreviewTree(folder, items, made);
  m_visited.clear();
}

void CFolderScanner::PreviewTree(const std::string& folderGiven, CBrowserItemList& items,
                                 const MADE_CALLBACK& made) {
  const std::string folder = WithSlash(folderGiven);
  if (IsInCacheTree(folder) || !Visit(folder)) return;
  CStatusScope status("Loading preview images in " + folderGiven);
  MakeThumbnails(folder, items, made);
  if (!m_bRecursive) return;
  for (const std::string& sub : ListSubfolders(folder)) {
    if (Cancelled()) break;
    PreviewTree(sub, items, made);
  }
}

void CFolderScanner::Refresh(const std::string& folder, CBrowserItemList& items, bool keepThumbnails) {
  struct Kept {
    int32_t selected;
    int32_t position;
    int32_t rotation;
  };
  std::unordered_map<std::string, Kept> kept;
  for (int i = 0; i < items.GetCount(); ++i) {
    const CBrowserItem& item = items[static_cast<size_t>(i)];
    kept[item.GetFullPath()] = Kept{item.m_bSelected, i, item.m_nRotation};
  }
  m_held.clear();
  if (keepThumbnails)
    for (const CBrowserItem& item : items)
      if (item.HasThumbnail()) m_held.emplace(item.GetFullPath(), item);
  CBrowserItemList fresh;
  ScanFolder(folder, fresh);
  m_held.clear();
  std::set<std::string> toSave;
  for (CBrowserItem& item : fresh) {
    auto it = kept.find(item.GetFullPath());
    if (it == kept.end()) continue;
    item.m_bSelected = it->second.selected;
    item.m_nPrevIndex = it->second.position;
    if (item.SetRotation(it->second.rotation)) toSave.insert(item.m_strFolder);
    kept.erase(it);
  }
  fresh.Sort(SORT_BY_PREVIOUS_INDEX, false);
  items = std::move(fresh);
  for (const std::string& f : toSave) SaveCache(f, items);
}

void CFolderScanner::RotateSelected(CBrowserItemList& items, int degrees) {
  const int turn = static_cast<int>(((int64_t{degrees} % 360) + 360) % 360);
  for (CBrowserItem& item : items)
    if (item.m_bSelected == 1)
      item.SetRotation(static_cast<int>(static_cast<uint32_t>(item.m_nRotation) + static_cast<uint32_t>(turn)));
  SaveSelectedCaches(items);
}

void CFolderScanner::SaveSelectedCaches(const CBrowserItemList& items) {
  std::set<std::string> folders;
  for (const CBrowserItem& item : items)
    if (item.m_bSelected == 1) folders.insert(item.m_strFolder);
  for (const std::string& folder : folders) SaveCache(folder, items);
}

bool CFolderScanner::SaveCache(const std::string& folderGiven, const CBrowserItemList& items) {
  const std::string folder = WithSlash(folderGiven);
  if (IsInCacheTree(folder)) return false;
  m_cacheFolder.SetFolder(folder);
  return m_cacheFolder.ReplaceFile(kCacheFileName,
                                   [&](CBufferedFile& file) { return items.WriteCacheFile(folder, file); });
}

void CFolderScanner::LoadCache(const std::string& folderGiven, CBrowserItemList& list) {
  const std::string folder = WithSlash(folderGiven);
  m_cacheFolder.SetFolder(folder);
  if (auto file = m_cacheFolder.OpenForRead(kCacheFileName)) list.ReadCacheFile(folder, *file);
}

void CFolderScanner::PurgeFolderCache(const std::string& folder, int& files, int& folders) {
  m_cacheFolder.SetFolder(folder);
  PurgeCacheFolder(m_strCacheRoot, m_cacheFolder.GetFolder(), m_bRecursive, files, folders, m_pfnCancel);
}

void CFolderScanner::PurgeAll(int& files, int& folders) {
  PurgeCacheFolder(m_strCacheRoot, m_strCacheRoot, true, files, folders, m_pfnCancel);
}
