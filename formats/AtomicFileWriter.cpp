#include "formats/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool HasNoWriteBits(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

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

}  // namespace

CAtomicFileWriter::CAtomicFileWriter(const std::string& path) : m_target(ResolveTarget(path)) {}

CAtomicFileWriter::~CAtomicFileWriter() { Abandon(); }

bool CAtomicFileWriter::TargetIsReadOnly() const {
  struct stat st;
  return ::stat(m_target.c_str(), &st) == 0 && HasNoWriteBits(st);
}

bool CAtomicFileWriter::Begin() {
  Abandon();
  m_bSynced = false;
  const std::string folder = FolderOf(m_target);
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || HasNoWriteBits(st)) return false;
  const std::string pattern = folder + "/~ptXXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkstemp(buffer.data());
  if (fd < 0) return false;
  ::close(fd);
  m_temp = buffer.data();
  return true;
}

ATOMIC_WRITE_STATUS CAtomicFileWriter::Commit() {
  if (m_temp.empty()) return ATOMIC_NO_TEMPORARY;
  if (!SyncFile(m_temp)) {
    Abandon();
    return ATOMIC_SYNC_FAILED;
  }
  // The new file keeps the replaced file's permissions, else the usual ones.
  struct stat st;
  const mode_t mode = ::stat(m_target.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
  ::chmod(m_temp.c_str(), mode);
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    const int error = errno;
    Abandon();
    return error == EISDIR || error == ENOTEMPTY || error == EBUSY || error == ETXTBSY ? ATOMIC_TARGET_BUSY
                                                                                       : ATOMIC_RENAME_FAILED;
  }
  m_temp.clear();
  return ATOMIC_OK;
}

ATOMIC_WRITE_STATUS CAtomicFileWriter::CommitAsNew(const std::string& path) {
  if (m_temp.empty()) return ATOMIC_NO_TEMPORARY;
  if (!m_bSynced) {
    if (!SyncFile(m_temp)) {
      Abandon();
      return ATOMIC_SYNC_FAILED;
    }
    ::chmod(m_temp.c_str(), 0666 & ~CurrentUmask());
    m_bSynced = true;
  }
  int error = 0;
  if (::renameat2(AT_FDCWD, m_temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
    error = errno;
    if (error == EINVAL || error == ENOSYS) {
      // File systems without the flag: a hard link refuses an existing name.
      error = ::link(m_temp.c_str(), path.c_str()) == 0 ? 0 : errno;
      if (error == 0) ::unlink(m_temp.c_str());
    }
  }
  if (error == EEXIST) return ATOMIC_TARGET_EXISTS;
  if (error != 0) {
    Abandon();
    return error == EISDIR || error == EBUSY ? ATOMIC_TARGET_BUSY : ATOMIC_RENAME_FAILED;
  }
  m_temp.clear();
  m_target = path;
  return ATOMIC_OK;
}

void CAtomicFileWriter::Abandon() {
  if (m_temp.empty()) return;
  ::unlink(m_temp.c_str());
  m_temp.clear();
}
