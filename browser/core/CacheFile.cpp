#include "browser/core/CacheFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "browser/core/BrowserItemList.h"
#include "formats/BufferedFile.h"
#include "base/ImageGeometry.h"
#include "base/StatusStack.h"

namespace fs = std::filesystem;

const char* const kCacheFileName = "PtBrowserCache.bcf";
const char* const kCacheFileHeader = "Pictoravell Browser Cache File v4.0";

namespace {

const char* const kCellTag = "CELL";
const char* const kEndTag = "End Of File";
// The smallest frame block: left, top, delay, flags and a zero width.
constexpr int64_t kMinFrameBlock = 11;
constexpr mode_t kCacheFolderMode = 0700;

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string Utf16ToUtf8(const std::vector<uint16_t>& units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // a lone surrogate
    }
    AppendUtf8(out, c);
  }
  return out;
}

void WriteU16(CBufferedFile& file, uint16_t v) { file.WriteWord(v); }
void WriteU32(CBufferedFile& file, uint32_t v) { file.WriteDword(v); }

void WriteLarge(CBufferedFile& file, const uint8_t* data, int64_t count) {
  while (count > 0) {
    const int chunk = static_cast<int>(std::min<int64_t>(count, int64_t{1} << 30));
    file.Write(data, chunk);
    data += chunk;
    count -= chunk;
  }
}

void WriteFrameBlock(CBufferedFile& file, const CAnimFrame& frame) {
  WriteU16(file, static_cast<uint16_t>(frame.m_nLeft));
  WriteU16(file, static_cast<uint16_t>(frame.m_nTop));
  WriteU16(file, frame.m_nDelay);
  file.WriteByte(frame.m_nFlags);
  const CRasterImage& image = frame.m_image;
  if (image.IsEmpty()) {
    WriteU32(file, 0);
    return;
  }
  const int32_t width = image.GetWidth(), height = image.GetHeight(), bpp = image.GetBitsPerPixel();
  const int32_t stride = static_cast<int32_t>(RowBytes(width, bpp));
  WriteU32(file, static_cast<uint32_t>(width));
  WriteU32(file, static_cast<uint32_t>(height));
  WriteU32(file, static_cast<uint32_t>(bpp));
  WriteU32(file, static_cast<uint32_t>(stride));
  if (bpp != 24) {
    // 2^B entries, whatever the image holds (missing ones as zeros).
    const int entries = 1 << bpp;
    const int held = std::min(entries, image.GetPaletteSize());
    if (held > 0) file.Write(image.GetPalette(), held * 4);
    for (int i = held; i < entries; ++i) WriteU32(file, 0);
  }
  if (image.GetStride() == stride) {
    WriteLarge(file, image.GetBits(), int64_t{stride} * height);
  } else {
    for (int32_t y = 0; y < height; ++y) file.Write(image.GetRow(y), stride);
  }
  if (!image.HasValidMask()) {
    WriteU32(file, 0);
    return;
  }
  const int32_t maskStride = image.GetMaskStride();
  WriteU32(file, 1);
  WriteU32(file, static_cast<uint32_t>(maskStride));
  WriteLarge(file, image.GetMaskBits(), int64_t{maskStride} * height);
}

bool ReadFrameBlock(CCacheReader& reader, CAnimFrame& frame) {
  uint16_t left, top, delay;
  uint8_t flags;
  uint32_t width;
  if (!reader.ReadU16(left) || !reader.ReadU16(top) || !reader.ReadU16(delay) || !reader.ReadU8(flags) ||
      !reader.ReadU32(width))
    return false;
  frame.m_nLeft = static_cast<int16_t>(left);
  frame.m_nTop = static_cast<int16_t>(top);
  frame.m_nDelay = delay;
  frame.m_nFlags = flags;
  if (width == 0) return true;
  uint32_t height, bpp, stride;
  if (!reader.ReadU32(height) || !reader.ReadU32(bpp) || !reader.ReadU32(stride)) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return false;
  if (width > static_cast<uint32_t>(kMaxImageSide) || height > static_cast<uint32_t>(kMaxImageSide) ||
      height == 0)
    return false;
  const int b = static_cast<int>(bpp);
  if (stride != RowBytes(width, b)) return false;
  const int64_t paletteBytes = b == 24 ? 0 : (int64_t{4} << b);
  const int64_t pixelBytes = int64_t{stride} * height;
  // Nothing is allocated for data the file cannot hold.
  if (paletteBytes + pixelBytes + 4 > reader.GetRemaining()) return false;
  if (CheckImageGeometry(width, height, b) != IMAGEIO_OK) return false;
  CRasterImage image;
  if (!image.Create(static_cast<int32_t>(width), static_cast<int32_t>(height), b)) return false;
  if (paletteBytes > 0 && !reader.ReadBytes(image.GetWritablePalette(), paletteBytes)) return false;
  if (!reader.ReadBytes(image.GetWritableBits(), pixelBytes)) return false;
  uint32_t hasMask;
  if (!reader.ReadU32(hasMask) || hasMask > 1) return false;
  if (hasMask == 1) {
    uint32_t maskStride;
    if (!reader.ReadU32(maskStride)) return false;
    if (maskStride != RowBytes(width, b == 24 ? 8 : 1)) return false;
    const int64_t maskBytes = int64_t{maskStride} * height;
    if (maskBytes > reader.GetRemaining()) return false;
    if (!image.CreateMask() || image.GetMaskStride() != static_cast<int32_t>(maskStride)) return false;
    if (!reader.ReadBytes(image.GetWritableMaskBits(), maskBytes)) return false;
  }
  frame.m_image = std::move(image);
  return true;
}

// Removes trailing '/' (but keeps "/").
std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string Normalized(const std::string& path) {
  return WithoutTrailingSlash(fs::path(path).lexically_normal().string());
}

}  // namespace

std::string GetDefaultCacheRoot() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.cache";
  } else {
    base = "/tmp";
  }
  return WithoutTrailingSlash(base) + "/pictoravell/Cache";
}

// ---------------------------------------------------------------------------

CCacheReader::CCacheReader(CBufferedFile& file) : m_file(file) {
  const int64_t size = file.GetSize();
  const int64_t at = file.Seek(0, CBufferedFile::kCurrent);
  m_nRemaining = (size >= 0 && at >= 0 && at <= size) ? size - at : 0;
  m_file.BeginBuffer();
}

CCacheReader::~CCacheReader() { m_file.EndBuffer(); }

bool CCacheReader::ReadBytes(void* target, int64_t count) {
  if (m_bFailed || count < 0 || count > m_nRemaining) return Fail();
  auto* out = static_cast<uint8_t*>(target);
  while (count > 0) {
    const int chunk = static_cast<int>(std::min<int64_t>(count, int64_t{1} << 30));
    if (m_file.Read(out, chunk) != chunk) return Fail();
    out += chunk;
    count -= chunk;
    m_nRemaining -= chunk;
  }
  return true;
}

bool CCacheReader::ReadU8(uint8_t& value) { return ReadBytes(&value, 1); }

bool CCacheReader::ReadU16(uint16_t& value) {
  uint8_t b[2];
  if (!ReadBytes(b, 2)) return false;
  value = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool CCacheReader::ReadU32(uint32_t& value) {
  uint8_t b[4];
  if (!ReadBytes(b, 4)) return false;
  value = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
          (static_cast<uint32_t>(b[3]) << 24);
  return true;
}

bool CCacheReader::ReadLength(uint64_t& length, bool& wide, bool allowWide) {
  uint8_t first;
  if (!ReadU8(first)) return false;
  if (first < 0xFF) {
    length = first;
    return true;
  }
  uint16_t second;
  if (!ReadU16(second)) return false;
  if (second == 0xFFFE) {
    // The wide form: its own length follows, counting 2-byte characters.
    if (!allowWide) return Fail();
    wide = true;
    return ReadLength(length, wide, false);
  }
  if (second < 0xFFFF) {
    length = second;
    return true;
  }
  uint32_t third;
  if (!ReadU32(third)) return false;
  length = third;
  return true;
}

bool CCacheReader::ReadString(std::string& text) {
  text.clear();
  uint64_t length = 0;
  bool wide = false;
  if (!ReadLength(length, wide, true)) return false;
  const uint64_t bytes = wide ? length * 2 : length;
  if (bytes > static_cast<uint64_t>(m_nRemaining)) return Fail();
  if (!wide) {
    text.resize(length);
    return ReadBytes(text.data(), static_cast<int64_t>(length));
  }
  std::vector<uint8_t> raw(bytes);
  if (!ReadBytes(raw.data(), static_cast<int64_t>(bytes))) return false;
  std::vector<uint16_t> units(length);
  for (uint64_t i = 0; i < length; ++i) units[i] = static_cast<uint16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
  text = Utf16ToUtf8(units);
  return true;
}

// ---------------------------------------------------------------------------

void WriteCacheString(CBufferedFile& file, const std::string& text) {
  const uint64_t length = text.size();
  if (length < 0xFF) {
    file.WriteByte(static_cast<uint8_t>(length));
  } else if (length < 0xFFFE) {
    file.WriteByte(0xFF);
    WriteU16(file, static_cast<uint16_t>(length));
  } else {
    file.WriteByte(0xFF);
    WriteU16(file, 0xFFFF);
    WriteU32(file, static_cast<uint32_t>(length));
  }
  WriteLarge(file, reinterpret_cast<const uint8_t*>(text.data()), static_cast<int64_t>(length));
}

void WriteBrowserItem(CBufferedFile& file, const CBrowserItem& item) {
  WriteCacheString(file, item.m_strName);
  WriteU32(file, item.m_nFileSize);
  WriteU32(file, static_cast<uint32_t>(item.m_ftLastWrite));
  WriteU32(file, static_cast<uint32_t>(item.m_ftLastWrite >> 32));
  WriteU32(file, static_cast<uint32_t>(item.m_ftCreation));
  WriteU32(file, static_cast<uint32_t>(item.m_ftCreation >> 32));
  WriteU32(file, static_cast<uint32_t>(item.m_bReadOnly));
  WriteU32(file, static_cast<uint32_t>(item.m_bHidden));
  WriteU32(file, static_cast<uint32_t>(item.m_bArchive));
  WriteU32(file, static_cast<uint32_t>(item.m_nWidth));
  WriteU32(file, static_cast<uint32_t>(item.m_nHeight));
  WriteCacheString(file, item.m_strComment);
  // The count written is the count of frames held, so the record always
  // carries exactly the blocks it announces.
  const size_t frames = item.m_pThumbFrames ? item.m_pThumbFrames->size() : 0;
  WriteU32(file, static_cast<uint32_t>(frames));
  WriteU32(file, static_cast<uint32_t>(item.m_nThumbWidth));
  WriteU32(file, static_cast<uint32_t>(item.m_nThumbHeight));
  WriteU32(file, static_cast<uint32_t>(item.m_nRotation));
  for (size_t i = 0; i < frames; ++i) WriteFrameBlock(file, (*item.m_pThumbFrames)[i]);
}

bool ReadBrowserItem(CCacheReader& reader, CBrowserItem& item) {
  uint32_t size, lwLow, lwHigh, crLow, crHigh, readOnly, hidden, archive, width, height;
  uint32_t frameCount, thumbWidth, thumbHeight, rotation;
  if (!reader.ReadString(item.m_strName) || !reader.ReadU32(size) || !reader.ReadU32(lwLow) ||
      !reader.ReadU32(lwHigh) || !reader.ReadU32(crLow) || !reader.ReadU32(crHigh) || !reader.ReadU32(readOnly) ||
      !reader.ReadU32(hidden) || !reader.ReadU32(archive) || !reader.ReadU32(width) || !reader.ReadU32(height) ||
      !reader.ReadString(item.m_strComment) || !reader.ReadU32(frameCount) || !reader.ReadU32(thumbWidth) ||
      !reader.ReadU32(thumbHeight) || !reader.ReadU32(rotation))
    return false;
  // A thumbnail canvas is a canvas like any other; the frame count cannot
  // exceed the blocks the rest of the file could hold.
  if (thumbWidth > static_cast<uint32_t>(kMaxImageSide) || thumbHeight > static_cast<uint32_t>(kMaxImageSide))
    return false;
  if (frameCount > static_cast<uint64_t>(reader.GetRemaining() / kMinFrameBlock)) return false;
  item.m_nFileSize = size;
  item.m_ftLastWrite = (static_cast<uint64_t>(lwHigh) << 32) | lwLow;
  item.m_ftCreation = (static_cast<uint64_t>(crHigh) << 32) | crLow;
  item.m_bReadOnly = static_cast<int32_t>(readOnly);
  item.m_bHidden = static_cast<int32_t>(hidden);
  item.m_bArchive = static_cast<int32_t>(archive);
  item.m_nWidth = static_cast<int32_t>(width);
  item.m_nHeight = static_cast<int32_t>(height);
  item.m_nFrames = static_cast<int32_t>(frameCount);
  item.m_nThumbWidth = static_cast<int32_t>(thumbWidth);
  item.m_nThumbHeight = static_cast<int32_t>(thumbHeight);
  item.m_nRotation = static_cast<int32_t>(rotation);
  try {
    auto frames = std::make_shared<std::vector<CAnimFrame>>(frameCount);
    for (CAnimFrame& frame : *frames)
      if (!ReadFrameBlock(reader, frame)) return false;
    item.m_pThumbFrames = std::move(frames);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool CBrowserItemList::WriteCacheFile(const std::string& folder, CBufferedFile& file) const {
  file.BeginBuffer();
  WriteCacheString(file, kCacheFileHeader);
  for (const CBrowserItem& item : *this) {
    if (item.m_strFolder != folder || !item.m_pThumbFrames) continue;
    WriteCacheString(file, kCellTag);
    WriteBrowserItem(file, item);
  }
  WriteCacheString(file, kEndTag);
  file.EndBuffer();
  return !file.GetWriteError();
}

int CBrowserItemList::ReadCacheFile(const std::string& folder, CBufferedFile& file) {
  CCacheReader reader(file);
  std::string tag;
  if (!reader.ReadString(tag) || tag != kCacheFileHeader) return 0;
  int count = 0;
  while (reader.ReadString(tag) && tag == kCellTag) {
    CBrowserItem item;
    if (!ReadBrowserItem(reader, item)) break;
    item.SetFolder(folder);
    push_back(std::move(item));
    ++count;
  }
  return count;
}

// ---------------------------------------------------------------------------

void CCacheFolder::SetRoot(const std::string& root) {
  m_strRoot = root;
  SetFolder(std::string());
}

void CCacheFolder::SetFolder(const std::string& source) {
  std::error_code ec;
  if (!m_strRoot.empty()) fs::create_directories(m_strRoot, ec);  // errors show later, when a file cannot open
  m_strFolder = m_strRoot;
  if (m_strFolder.empty() || m_strFolder.back() != '/') m_strFolder += '/';
  if (source.empty()) return;
  const fs::path normal = fs::path(source).lexically_normal();
  for (const fs::path& part : normal) {
    const std::string level = part.string();
    if (level.empty() || level == "/" || level == "." || level == "..") continue;
    m_strFolder += level;
    mkdir(m_strFolder.c_str(), kCacheFolderMode);
    m_strFolder += '/';
  }
}

std::unique_ptr<CBufferedFile> CCacheFolder::OpenForRead(const std::string& name) {
  auto file = std::make_unique<CBufferedFile>();
  if (!file->Open((m_strFolder + name).c_str(), CBufferedFile::kRead)) return nullptr;
  return file;
}

bool CCacheFolder::ReplaceFile(const std::string& name, const std::function<bool(CBufferedFile&)>& write) {
  static std::atomic<unsigned> counter{0};
  const std::string target = m_strFolder + name;
  const std::string temporary =
      m_strFolder + "~" + name + "." + std::to_string(getpid()) + "." + std::to_string(counter++);
  bool ok;
  {
    CBufferedFile file;
    if (!file.Open(temporary.c_str(), CBufferedFile::kWrite)) return false;
    ok = write(file);
    file.Close();
    ok = ok && !file.GetWriteError();
  }
  if (ok) {
    // The data reaches the disk before the name does.
    const int fd = open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    ok = fd >= 0 && fdatasync(fd) == 0;
    if (fd >= 0) close(fd);
  }
  if (ok) ok = std::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

// ---------------------------------------------------------------------------

namespace {

void PurgeTree(const std::string& folder, bool withSubfolders, int& files, int& folders, CANCELPROC cancel) {
  CStatusScope status("Removing " + folder);
  if (DIR* dir = opendir(folder.c_str())) {
    const int dirFd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") {
        struct stat st {};
        if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
          if (S_ISDIR(st.st_mode)) {
            if (withSubfolders) PurgeTree(folder + "/" + name, true, files, folders, cancel);
          } else if (unlinkat(dirFd, name.c_str(), 0) == 0) {
            ++files;  // a symbolic link goes, never what it points to
          }
        }
      }
      if (cancel && cancel()) break;
    }
    closedir(dir);
  }
  if (rmdir(folder.c_str()) == 0) ++folders;
}

}  // namespace

bool PurgeCacheFolder(const std::string& root, const std::string& folder, bool withSubfolders, int& files,
                      int& folders, CANCELPROC cancel) {
  if (root.empty() || folder.empty()) return false;
  const std::string normalRoot = Normalized(root);
  const std::string normalFolder = Normalized(folder);
  if (normalRoot == "/" || normalRoot == ".") return false;
  const bool inside = normalFolder == normalRoot ||
                      (normalFolder.size() > normalRoot.size() &&
                       normalFolder.compare(0, normalRoot.size(), normalRoot) == 0 &&
                       normalFolder[normalRoot.size()] == '/');
  if (!inside) return false;
  // A folder that is itself a link is removed as a link, never followed.
  struct stat st {};
  if (lstat(normalFolder.c_str(), &st) != 0) return true;
  if (!S_ISDIR(st.st_mode)) {
    if (S_ISLNK(st.st_mode) && unlink(normalFolder.c_str()) == 0) ++files;
    return true;
  }
  PurgeTree(normalFolder, withSubfolders, files, folders, cancel);
  return true;
}

std::string FormatPurgeMessage(int files, int folders, const std::string& appName) {
  char text[512];
  std::snprintf(text, sizeof text, "%d file%s and %d folder%s %s been deleted in\n%s's browser cache folder.\n", files,
                files > 1 ? "s" : "", folders, folders > 1 ? "s" : "", files + folders > 1 ? "have" : "has",
                appName.c_str());
  return text;
}
