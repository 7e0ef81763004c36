#pragma once
// CFolderScanner: the long operations of the thumbnail browser, without a
// window: the folder scan that merges the directory with the folder's cache
// file, the making of missing thumbnails, the refresh that keeps what the
// user did (selection, order, rotation), the cache writes, and the purges.
//
// The browser view owns one scanner and one CBrowserItemList, and calls
// these operations from its timers; they run on the calling thread (the
// user-interface thread), ask the cancel callback (CheckBrowserStop, which
// pumps events) after each file, and only the JPEG decoding of MakeThumbnails
// is spread over worker threads. Because the callback pumps events, a
// command may reorder the list meanwhile: every hand-back finds its item
// again by full path, so a thumbnail never lands on the wrong file.
//
// Folders are absolute paths; the items' folders end in '/', and the
// operations that take a folder append one when it is missing.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

#include "browser/core/BrowserItemList.h"
#include "browser/core/CacheFile.h"
#include "base/ResultCodes.h"

class CFolderScanner {
 public:
  // The cache root; by default $XDG_CACHE_HOME/pictoravell/Cache.
  explicit CFolderScanner(const std::string& cacheRoot = GetDefaultCacheRoot());
  virtual ~CFolderScanner() = default;

  // The thumbnail box of a cell (80, 100, 120 or 160 pixels square).
  void SetCellSize(int32_t width, int32_t height);
  int32_t GetCellWidth() const { return m_nCellWidth; }
  int32_t GetCellHeight() const { return m_nCellHeight; }
  // Include subfolders ("Recursive", and camera mode).
  void SetRecursive(bool recursive) { m_bRecursive = recursive; }
  bool IsRecursive() const { return m_bRecursive; }
  // Asked after every file; true ends the operation there. What was found
  // or made so far stays (and made thumbnails are saved to the cache).
  void SetCancel(CANCELPROC cancel) { m_pfnCancel = cancel; }
  void SetProgress(PROGRESSPROC progress) { m_pfnProgress = progress; }
  const std::string& GetCacheRoot() const { return m_strCacheRoot; }
  CCacheFolder& GetCacheFolder() { return m_cacheFolder; }

  // True for the cache root and every folder below it: never scanned, so
  // the cache tree is never shown and never mirrored into itself.
  bool IsInCacheTree(const std::string& folder) const;

  // Appends the folder's image files (and, when recursive, its
  // subfolders') to out, in directory order, with "Scanning <folder>" on
  // the status stack. A file whose cache record has the same last-write
  // time and size is taken from the record without being opened; any other
  // file is new and its header (and embedded thumbnail) is read. Each
  // folder is scanned once, however many links lead to it.
  void ScanFolder(const std::string& folder, CBrowserItemList& out);

  // Makes the missing thumbnails of the items of exactly this folder, in
  // list order, and saves the folder's cache when any was made. made(index)
  // is called for each thumbnail as it is attached (to draw it at once).
  // Returns the number made. The list object must outlive the call (the
  // view hides rather than destroys itself while a run is on the stack).
  using MADE_CALLBACK = std::function<void(int index)>;
  int MakeThumbnails(const std::string& folder, CBrowserItemList& items, const MADE_CALLBACK& made = nullptr);
  // MakeThumbnails of the folder and, when recursive, of its subfolders,
  // with "Loading preview images in <folder>" on the status stack.
  void LoadPreviews(const std::string& folder, CBrowserItemList& items, const MADE_CALLBACK& made = nullptr);

  // Rescans the folder into a new list that replaces items: files still
  // there keep their selection, their order and their rotation (a rotation
  // applied again is saved to the cache); new files follow in directory
  // order; files gone are dropped.
  // A file whose item in the list already holds a thumbnail, with the same
  // last-write time and size as the directory now shows, keeps that item's
  // facts and thumbnail (shared, not copied), as it would keep its cache
  // record: the list in hand is as current as the cache file, since every
  // thumbnail made and every turn is saved when it happens. A folder's cache
  // file is then read only when some file of it is not covered so; a reload
  // of an open folder reads no thumbnail from disk. keepThumbnails false
  // (after a purge of the folder's cache: every thumbnail is to be made
  // again) takes nothing from the list but selection, order and rotation.
  void Refresh(const std::string& folder, CBrowserItemList& items, bool keepThumbnails = true);

  // Adds the angle to the rotation of every selected item, then saves the
  // cache of each folder holding a selected item once.
  void RotateSelected(CBrowserItemList& items, int degrees);
  void SaveSelectedCaches(const CBrowserItemList& items);

  // Writes (replaces) the cache file of one folder from the list's items of
  // that folder that have thumbnails. False when it could not be written.
  bool SaveCache(const std::string& folder, const CBrowserItemList& items);
  // Reads the cache file of one folder into list (nothing when missing).
  void LoadCache(const std::string& folder, CBrowserItemList& list);

  // Deletes the cache of one browsed folder ("Reload All"; a larger
  // thumbnail size), with the subfolders' when recursive.
  void PurgeFolderCache(const std::string& folder, int& files, int& folders);
  // Deletes the whole cache tree, the root included.
  void PurgeAll(int& files, int& folders);

 private:
  bool Cancelled() const { return m_pfnCancel && m_pfnCancel(); }
  void ScanTree(const std::string& folder, CBrowserItemList& out);
  void PreviewTree(const std::string& folder, CBrowserItemList& items, const MADE_CALLBACK& made);
  // Subfolders of a folder that are to be visited (not in the cache tree).
  std::vector<std::string> ListSubfolders(const std::string& folder);
  // Marks a folder visited; false when it was already (a link loop).
  bool Visit(const std::string& folder);
  // Makes item (fresh from the directory) the held item of its path when
  // that one has a thumbnail and the same time and size; true when it did.
  bool TakeHeld(CBrowserItem& item);

  std::string m_strCacheRoot;
  CCacheFolder m_cacheFolder;
  int32_t m_nCellWidth = 100;
  int32_t m_nCellHeight = 100;
  bool m_bRecursive = false;
  CANCELPROC m_pfnCancel = nullptr;
  PROGRESSPROC m_pfnProgress = nullptr;
  std::set<std::pair<uint64_t, uint64_t>> m_visited;  // device and inode of the folders of one walk
  // The items with thumbnails of the list a Refresh replaces, by full path
  // (copies: the list itself may change while events are pumped).
  std::unordered_map<std::string, CBrowserItem> m_held;
};
