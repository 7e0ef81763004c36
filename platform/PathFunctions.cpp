#include "platform/PathFunctions.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "base/MessageReport.h"

namespace fs = std::filesystem;

std::string GetFolderPart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string GetFileNamePart(const std::string& path) { return path.substr(GetFolderPart(path).size()); }

std::string GetFileTitlePart(const std::string& path) {
  const std::string name = GetFileNamePart(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string GetFileExtension(const std::string& path) {
  const std::string name = GetFileNamePart(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string GetProgramFolder() {
  char buffer[PATH_MAX + 1];
  const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return {};
  return GetFolderPart(std::string(buffer, static_cast<std::size_t>(n)));
}

bool FolderExists(const std::string& path) {
  std::string p = path;
  if (p.size() > 1 && p.back() == '/') p.pop_back();
  if (p.empty()) return false;
  struct stat st{};
  return lstat(p.c_str(), &st) == 0;
}

bool DeleteToRecycleBin(const std::string& path) {
  if (path.empty()) return false;
  GFile* file = g_file_new_for_path(path.c_str());
  GError* error = nullptr;
  const gboolean ok = g_file_trash(file, nullptr, &error);
  if (error) g_error_free(error);
  g_object_unref(file);
  return ok != FALSE;
}

bool EmptyFolder(const std::string& folder, bool removeFolder) {
  if (folder.empty()) return false;
  std::error_code ec;
  const fs::path target = fs::absolute(folder, ec).lexically_normal();
  if (ec || target == target.root_path()) return false;
  auto stripped = [](fs::path p) {
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
  };
  if (const char* home = std::getenv("HOME"); home && *home && stripped(target) == stripped(home)) return false;
  if (!fs::is_directory(fs::symlink_status(target, ec))) return false;
  bool ok = true;
  for (fs::directory_iterator it(target, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code removeError;
    fs::remove_all(it->path(), removeError);  // removes links, never what they point to
    if (removeError) ok = false;
  }
  if (ec) ok = false;
  if (removeFolder) {
    std::error_code removeError;
    fs::remove(target, removeError);
    if (removeError) ok = false;
  }
  return ok;
}

bool RenameFile(const std::string& oldPath, const std::string& newPath, bool report) {
  bool ok = false;
  if (!oldPath.empty() && !newPath.empty()) {
    ok = renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE) == 0;
    if (!ok && (errno == EINVAL || errno == ENOSYS)) {
      // A file system without no-replace renames: a hard link fails on an
      // existing target, and the old name is dropped only once it exists.
      if (link(oldPath.c_str(), newPath.c_str()) == 0) ok = unlink(oldPath.c_str()) == 0;
    }
  }
  if (!ok && report)
    ReportMessage(MESSAGE_ERROR,
                  "Cannot rename " + GetFileTitlePart(oldPath) + ". This file may be on a read-only media.");
  return ok;
}
