#pragma once
// CFolderWatcher: tells whether the files of a folder changed on disk, for a
// browser that reloads the folder a moment after its files change.
//
// Built on inotify: a watch on the folder (and, when asked, on every folder
// below it) for files created, deleted, renamed, written or touched. The
// watcher is polled (IsSignalled), never waited on, and is not re-armed: a
// reload opens a new one. Folders at or below an ignored folder (the
// thumbnail cache, when it lies inside the browsed tree) are not watched, so
// writing the cache never looks like a change of the pictures.

#include <string>

class CFolderWatcher {
 public:
  CFolderWatcher() = default;
  ~CFolderWatcher();
  CFolderWatcher(const CFolderWatcher&) = delete;
  CFolderWatcher& operator=(const CFolderWatcher&) = delete;

  // Starts watching (closing any earlier watch). False when the folder
  // could not be watched: nothing is ever signalled then. Subfolders that
  // cannot be watched (the system's watch limit) are passed over.
  bool Open(const std::string& folder, bool withSubfolders, const std::string& ignoreBelow = std::string());
  void Close();
  bool IsOpen() const { return m_fd >= 0; }
  // True once a change was seen since Open; reads the pending events
  // without waiting.
  bool IsSignalled();
  // Folders watched (for tests).
  int GetWatchCount() const { return m_nWatches; }
  // The descriptor that becomes readable on a change (for an event loop).
  int GetDescriptor() const { return m_fd; }

 private:
  void AddTree(const std::string& folder, bool withSubfolders, const std::string& ignoreBelow, int depth);

  int m_fd = -1;
  int m_nWatches = 0;
  bool m_bSignalled = false;
};
