#pragma once
// Replaces a file in one step, so that a failed save never costs the old
// content: the new content goes to a temporary file ("~pt" and six random
// characters) in the target's own folder, reaches the disk (fsync), takes the
// replaced file's permission bits (or the usual ones under the umask for a
// new file) and is renamed over the target. A symbolic link is followed: the
// link stays and the file it names is replaced.
//
//   CAtomicFileWriter writer(path);
//   if (!writer.Begin()) ...                  // no temporary file
//   write to writer.TempPath(), check the write errors
//   if (writer.Commit() != ATOMIC_OK) ...     // the target is untouched
//
// A writer destroyed before a successful Commit removes its temporary file.
// It reports nothing itself: callers map the status to their messages.

#include <sys/types.h>

#include <string>

enum ATOMIC_WRITE_STATUS {
  ATOMIC_OK = 0,
  ATOMIC_NO_TEMPORARY,  // the folder is missing, not writable or full
  ATOMIC_SYNC_FAILED,   // the data may not have reached the disk
  ATOMIC_TARGET_BUSY,   // the target is a folder or in use
  ATOMIC_RENAME_FAILED, // any other refusal of the rename
  ATOMIC_TARGET_EXISTS, // CommitAsNew: the name is taken
};

class CAtomicFileWriter {
 public:
  explicit CAtomicFileWriter(const std::string& path);
  ~CAtomicFileWriter();
  CAtomicFileWriter(const CAtomicFileWriter&) = delete;
  CAtomicFileWriter& operator=(const CAtomicFileWriter&) = delete;

  // The file that is replaced (the path with a symbolic link resolved).
  const std::string& TargetPath() const { return m_target; }
  // True when the target exists and has no write bit at all (the analogue of
  // a read-only attribute; checked on the bits, since access() says yes to root).
  bool TargetIsReadOnly() const;

  // Makes the empty temporary file; false (ATOMIC_NO_TEMPORARY) on failure.
  bool Begin();
  const std::string& TempPath() const { return m_temp; }
  // Flushes the temporary file, gives it the permission bits and renames it
  // over the target. On failure the temporary file is removed.
  ATOMIC_WRITE_STATUS Commit();
  // As Commit, but never replaces anything: the temporary file takes the name
  // `path` (in the target's folder) only while nothing at all has it, a
  // dangling link included, also when something took it after it was
  // checked. ATOMIC_TARGET_EXISTS keeps the temporary file, so that the
  // caller can try another name.
  ATOMIC_WRITE_STATUS CommitAsNew(const std::string& path);
  // Removes the temporary file (the target is untouched).
  void Abandon();

 private:
  std::string m_target;
  std::string m_temp;
  bool m_bSynced = false;
};
