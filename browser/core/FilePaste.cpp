#include "browser/core/FilePaste.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

std::string NamePart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// Writes a copy of the source into a new temporary file in the folder;
// returns its path, empty on failure (nothing left behind).
std::string CopyToTemporary(const std::string& source, const std::string& folder, const std::string& name) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return std::string();
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return std::string();
  }
  std::string temp = folder + "." + name + ".XXXXXX";
  std::vector<char> pattern(temp.begin(), temp.end());
  pattern.push_back('\0');
  const int out = ::mkstemp(pattern.data());
  if (out < 0) {
    ::close(in);
    return std::string();
  }
  temp.assign(pattern.data());
  bool ok = true;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    for (ssize_t written = 0; written < n;) {
      const ssize_t w = ::write(out, buffer.data() + written, static_cast<size_t>(n - written));
      if (w < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      written += w;
    }
    if (!ok) break;
  }
  ::fchmod(out, st.st_mode & 07777);
  if (::fsync(out) != 0) ok = false;
  if (::close(out) != 0) ok = false;
  ::close(in);
  if (!ok) {
    ::unlink(temp.c_str());
    return std::string();
  }
  return temp;
}

// Puts a file at the target: over an existing one when replace, else only
// when the name is free.
bool PlaceFile(const std::string& from, const std::string& target, bool replace) {
  if (replace) return ::rename(from.c_str(), target.c_str()) == 0;
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
}

bool CopyFile(const std::string& source, const std::string& folder, const std::string& target, bool replace) {
  const std::string temp = CopyToTemporary(source, folder, NamePart(target));
  if (temp.empty()) return false;
  if (!PlaceFile(temp, target, replace)) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string MakeNumberedCopyPath(const std::string& folder, const std::string& name) {
  const std::string dir = WithSlash(folder);
  const size_t dot = name.find_last_of('.');
  const std::string title = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
  for (int n = 1;; ++n) {
    const std::string path = dir + title + "-" + std::to_string(n) + extension;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return path;
  }
}

PASTE_RESULT PasteFiles(const std::vector<std::string>& sources, const std::string& folder, bool move,
                        const PASTE_ASK_REPLACE& askReplace, PROGRESSPROC progress, CANCELPROC cancel) {
  PASTE_RESULT result;
  const std::string dir = WithSlash(folder);
  const int total = static_cast<int>(sources.size());
  for (int i = 0; i < total; ++i) {
    if (cancel && cancel()) {
      result.bCancelled = true;
      break;
    }
    const std::string& source = sources[static_cast<size_t>(i)];
    struct stat from {};
    if (::stat(source.c_str(), &from) != 0 || !S_ISREG(from.st_mode)) {
      ++result.nFailed;
      if (progress) progress(i + 1, total);
      continue;
    }
    std::string target = dir + NamePart(source);
    bool replace = false;
    struct stat to {};
    if (::stat(target.c_str(), &to) == 0) {
      if (to.st_dev == from.st_dev && to.st_ino == from.st_ino) {
        // The file itself: a move leaves it where it is; a copy gets a new name.
        if (move) {
          ++result.nDone;
          if (progress) progress(i + 1, total);
          continue;
        }
        target = MakeNumberedCopyPath(dir, NamePart(source));
      } else {
        const int answer = askReplace ? askReplace(target) : PASTE_SKIP;
        if (answer == PASTE_CANCEL) {
          result.bCancelled = true;
          break;
        }
        if (answer != PASTE_REPLACE) {
          ++result.nSkipped;
          if (progress) progress(i + 1, total);
          continue;
        }
        replace = true;
      }
    }
    bool ok = false;
    if (move) {
      ok = PlaceFile(source, target, replace);
      if (!ok && errno == EXDEV) ok = CopyFile(source, dir, target, replace) && ::unlink(source.c_str()) == 0;
    } else {
      ok = CopyFile(source, dir, target, replace);
    }
    if (ok) {
      ++result.nDone;
      result.created.push_back(target);
    } else {
      ++result.nFailed;
    }
    if (progress) progress(i + 1, total);
  }
  return result;
}
