#include "platform/FolderWatcher.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>

namespace {

constexpr uint32_t kChangeEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_MODIFY |
                                   IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// Deep trees end somewhere: a link loop is also caught by the inode set.
constexpr int kMaxDepth = 64;

std::string Normal(const std::string& path) {
  std::string s = std::filesystem::path(path).lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

bool IsAtOrBelow(const std::string& path, const std::string& top) {
  if (top.empty()) return false;
  return path == top || (path.size() > top.size() && path.compare(0, top.size(), top) == 0 && path[top.size()] == '/');
}

}  // namespace

CFolderWatcher::~CFolderWatcher() { Close(); }

void CFolderWatcher::Close() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
  m_nWatches = 0;
  m_bSignalled = false;
}

bool CFolderWatcher::Open(const std::string& folder, bool withSubfolders, const std::string& ignoreBelow) {
  Close();
  m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (m_fd < 0) return false;
  const std::string top = Normal(folder);
  const std::string ignore = ignoreBelow.empty() ? std::string() : Normal(ignoreBelow);
  if (IsAtOrBelow(top, ignore) || inotify_add_watch(m_fd, top.c_str(), kChangeEvents | IN_ONLYDIR) < 0) {
    Close();
    return false;
  }
  m_nWatches = 1;
  if (withSubfolders) AddTree(top, true, ignore, 0);
  return true;
}

void CFolderWatcher::AddTree(const std::string& folder, bool withSubfolders, const std::string& ignoreBelow,
                             int depth) {
  // Folders already watched (by device and inode), so link loops end.
  static thread_local std::set<std::pair<dev_t, ino_t>>* seen = nullptr;
  std::set<std::pair<dev_t, ino_t>> local;
  const bool outermost = seen == nullptr;
  if (outermost) {
    seen = &local;
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) seen->insert({st.st_dev, st.st_ino});
  }
  if (depth < kMaxDepth) {
    if (DIR* dir = opendir(folder.c_str())) {
      while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
        const std::string sub = folder + "/" + entry->d_name;
        struct stat st {};
        if (stat(sub.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        if (IsAtOrBelow(Normal(sub), ignoreBelow)) continue;
        if (!seen->insert({st.st_dev, st.st_ino}).second) continue;
        if (inotify_add_watch(m_fd, sub.c_str(), kChangeEvents | IN_ONLYDIR) >= 0) ++m_nWatches;
        AddTree(sub, withSubfolders, ignoreBelow, depth + 1);
      }
      closedir(dir);
    }
  }
  if (outermost) seen = nullptr;
}

bool CFolderWatcher::IsSignalled() {
  if (m_fd < 0) return false;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t n = read(m_fd, buffer, sizeof buffer);
    if (n <= 0) break;
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->mask & kChangeEvents) m_bSignalled = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return m_bSignalled;
}
