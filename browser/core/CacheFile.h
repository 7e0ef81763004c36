#pragma once
// The thumbnail cache: one file "PtBrowserCache.bcf" per browsed folder,
// kept in a tree below the cache root that mirrors the browsed folders'
// paths ($XDG_CACHE_HOME/pictoravell/Cache/home/me/Photos/ for
// /home/me/Photos/).
//
// The file, all numbers little-endian (u4, u2, s2, u1):
//   string "Pictoravell Browser Cache File v4.0"
//   { string "CELL", item record } ...
//   string "End Of File"
// A string is its length and that many bytes without terminator; the length
// is one byte below 255, else 0xFF and a u2 below 0xFFFE, else 0xFF, 0xFFFF
// and a u4. Readers also accept 0xFF 0xFFFE followed by a length (coded the
// same way) in 2-byte characters (UTF-16LE, converted to UTF-8); the writer
// never produces it.
// Item record: name, u4 size, u4+u4 last write, u4+u4 creation (FILETIME
// low, high), u4 read-only, hidden, archive, width, height, string comment,
// u4 frame count N, u4 thumbnail width, height, u4 rotation, N frame blocks.
// Frame block: s2 left, s2 top, u2 delay, u1 flags, u4 W (0: no image, the
// block ends), u4 H, u4 bits per pixel B (1, 4, 8, 24), u4 stride
// (W * B + 7) / 8, the palette (4 << B bytes, blue green red 0) unless B is
// 24, stride * H pixel bytes, u4 has-mask (0 or 1) and with a mask u4 mask
// stride M and M * H mask bytes (8-bit alpha for 24-bit images, else 1 bit).
//
// Nothing in a cache file is trusted: a record whose counts, sizes or
// strides are impossible, or reach past the end of the file, ends the usable
// data like a cut file; the records before it stay.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "browser/core/BrowserItem.h"
#include "base/ResultCodes.h"

class CBufferedFile;
class CBrowserItemList;

extern const char* const kCacheFileName;    // "PtBrowserCache.bcf"
extern const char* const kCacheFileHeader;  // "Pictoravell Browser Cache File v4.0"

// The default cache root: $XDG_CACHE_HOME/pictoravell/Cache, or
// ~/.cache/pictoravell/Cache (no trailing '/').
std::string GetDefaultCacheRoot();

// A sequential reader over a stream that knows how many bytes are left, so
// that no length read from the file makes it allocate or read past the end.
// Every failure is sticky.
class CCacheReader {
 public:
  explicit CCacheReader(CBufferedFile& file);
  ~CCacheReader();
  CCacheReader(const CCacheReader&) = delete;
  CCacheReader& operator=(const CCacheReader&) = delete;

  bool ReadU8(uint8_t& value);
  bool ReadU16(uint16_t& value);
  bool ReadU32(uint32_t& value);
  bool ReadBytes(void* target, int64_t count);
  bool ReadString(std::string& text);
  int64_t GetRemaining() const { return m_nRemaining; }
  bool Failed() const { return m_bFailed; }

 private:
  bool ReadLength(uint64_t& length, bool& wide, bool allowWide);
  bool Fail() {
    m_bFailed = true;
    return false;
  }

  CBufferedFile& m_file;
  int64_t m_nRemaining = 0;
  bool m_bFailed = false;
};

// Writes a string in the cache file's coding.
void WriteCacheString(CBufferedFile& file, const std::string& text);
// Writes one item record (its thumbnail frames as frame blocks).
void WriteBrowserItem(CBufferedFile& file, const CBrowserItem& item);
// Reads one item record into a default-constructed item; false (item's
// thumbnail left empty) on damage or the end of the data.
bool ReadBrowserItem(CCacheReader& reader, CBrowserItem& item);

// Locates the cache files: the mirror folder of a browsed folder below the
// root. Every folder on the way is created (private to the user).
class CCacheFolder {
 public:
  explicit CCacheFolder(const std::string& root = std::string()) { SetRoot(root); }
  virtual ~CCacheFolder() = default;

  // Sets the root (no trailing '/' needed) and makes it the current folder.
  virtual void SetRoot(const std::string& root);
  // Makes the mirror folder of an absolute source folder current, creating
  // it: root + the source's path. An empty source makes the root current.
  // "." and ".." are resolved first, so a mirror never leaves the root.
  virtual void SetFolder(const std::string& source);
  // Opens a file of the current folder for reading; null when it cannot.
  virtual std::unique_ptr<CBufferedFile> OpenForRead(const std::string& name);
  // Replaces a file of the current folder: write() fills a temporary file
  // in the same folder, which is flushed to disk and renamed over the file
  // only when write() returned true and nothing failed; the old file is
  // never rewritten in place. False (the old file untouched, the temporary
  // removed) on any failure.
  virtual bool ReplaceFile(const std::string& name, const std::function<bool(CBufferedFile&)>& write);

  std::string GetRoot() const { return m_strRoot; }
  std::string GetFolder() const { return m_strFolder; }

 private:
  std::string m_strRoot;
  std::string m_strFolder;  // always ends in '/'
};

// Deletes a folder of the cache tree: its files (and symbolic links, never
// what they point to), its subfolders too when withSubfolders is set, then
// the folder itself when it is empty. A folder that is not the root or
// inside it (compared exactly, after resolving "." and "..") is left alone:
// false. The counters grow by the files deleted and the folders removed (the
// folder itself included). "Removing <folder>" is on the status stack
// meanwhile; cancel is asked after each entry.
bool PurgeCacheFolder(const std::string& root, const std::string& folder, bool withSubfolders, int& files,
                      int& folders, CANCELPROC cancel);

// The report of a purge of the whole cache, as the "Purge Cache" box shows it.
std::string FormatPurgeMessage(int files, int folders, const std::string& appName);
