#include "formats/BufferedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>

namespace {
// Streams address files with 32-bit sizes in places (view sizes, codec
// offsets); larger files are refused.
constexpr int64_t kMaxFileSize = INT32_MAX;
}  // namespace

CBufferedFile::~CBufferedFile() {
  if (m_pBuffer) EndBuffer();
  UnmapView();
  if (m_hFile >= 0) Close();
}

bool CBufferedFile::Open(const char* path, int mode) {
  if (m_hFile >= 0 || !path) return false;
  int fd = -1;
  if (mode == kRead) {
    fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      struct stat st;
      if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || st.st_size > kMaxFileSize) {
        ::close(fd);
        return false;
      }
    }
  } else if (mode == kWrite) {
    fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } else {
    return false;
  }
  if (fd < 0) return false;
  m_hFile = fd;
  m_nMode = mode;
  m_nCount = 0;
  m_pCursor = m_pBuffer;
  return true;
}

void CBufferedFile::Close() {
  if (m_nMode == kWrite && m_pBuffer) FlushBuffer();
  UnmapView();
  if (m_hFile >= 0 && ::close(m_hFile) != 0 && m_nMode == kWrite) m_bWriteError = true;
  m_hFile = -1;
  m_nCount = 0;
  m_nMode = kClosed;
}

int64_t CBufferedFile::Seek(int64_t offset, int origin) {
  if (m_pBuffer) {
    if (m_nMode == kWrite) {
      FlushBuffer();
    } else if (m_nCount > 0 && m_hFile >= 0) {
      // Give back the unread buffered bytes so the file position is logical.
      ::lseek(m_hFile, -static_cast<off_t>(m_nCount), SEEK_CUR);
    }
    m_nCount = 0;
    m_pCursor = m_pBuffer;
  }
  if (m_hFile < 0) return -1;
  int whence = origin == kBegin ? SEEK_SET : origin == kCurrent ? SEEK_CUR : origin == kEnd ? SEEK_END : -1;
  if (whence < 0) return -1;
  const off_t pos = ::lseek(m_hFile, static_cast<off_t>(offset), whence);
  return pos < 0 ? -1 : static_cast<int64_t>(pos);
}

void CBufferedFile::BeginBuffer() {
  if (m_pBuffer) return;
  for (int size = kBufferSize; size >= 512; size -= 512) {
    auto* block = static_cast<uint8_t*>(std::calloc(1, static_cast<size_t>(size)));
    if (block) {
      m_pBuffer = block;
      m_nBufferSize = size;
      m_nCount = 0;
      m_pCursor = block;
      return;
    }
  }
}

void CBufferedFile::EndBuffer() {
  if (!m_pBuffer) return;
  if (m_nMode == kWrite && m_nCount > 0) {
    FlushBuffer();
  } else if (m_nMode == kRead && m_nCount > 0 && m_hFile >= 0) {
    ::lseek(m_hFile, -static_cast<off_t>(m_nCount), SEEK_CUR);
  }
  std::free(m_pBuffer);
  m_pBuffer = nullptr;
  m_pCursor = nullptr;
  m_nBufferSize = 0;
  m_nCount = 0;
}

const uint8_t* CBufferedFile::MapView(int* pSize) {
  if (m_nMode != kRead || m_hFile < 0) return nullptr;
  UnmapView();
  const int64_t size = GetSize();
  if (size <= 0 || size > kMaxFileSize) return nullptr;
  void* view = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, m_hFile, 0);
  if (view == MAP_FAILED) return nullptr;
  m_pView = static_cast<uint8_t*>(view);
  m_nViewSize = static_cast<size_t>(size);
  if (pSize) *pSize = static_cast<int>(size);
  return m_pView;
}

void CBufferedFile::UnmapView() {
  if (m_pView) ::munmap(m_pView, m_nViewSize);
  m_pView = nullptr;
  m_nViewSize = 0;
}

int64_t CBufferedFile::GetSize() {
  if (m_hFile < 0) return -1;
  struct stat st;
  if (fstat(m_hFile, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

int CBufferedFile::RawRead(void* buffer, int n) {
  if (m_hFile < 0 || m_nMode != kRead) {
    m_bError = true;
    return 0;
  }
  int total = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (total < n) {
    const ssize_t got = ::read(m_hFile, out + total, static_cast<size_t>(n - total));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    total += static_cast<int>(got);
  }
  if (total == 0) m_bError = true;
  return total;
}

void CBufferedFile::RawWrite(const void* buffer, int n) {
  if (m_hFile < 0 || m_nMode != kWrite) {
    m_bWriteError = true;
    return;
  }
  const auto* in = static_cast<const uint8_t*>(buffer);
  int done = 0;
  while (done < n) {
    const ssize_t put = ::write(m_hFile, in + done, static_cast<size_t>(n - done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      m_bWriteError = true;
      return;
    }
    done += static_cast<int>(put);
  }
}

void CBufferedFile::FillBuffer() {
  m_pCursor = m_pBuffer;
  m_nCount = 0;
  if (m_hFile < 0 || m_nMode != kRead) {
    m_bError = true;
    return;
  }
  for (;;) {
    const ssize_t got = ::read(m_hFile, m_pBuffer, static_cast<size_t>(m_nBufferSize));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      m_bError = true;
      return;
    }
    m_nCount = static_cast<int>(got);
    return;
  }
}

void CBufferedFile::FlushBuffer() {
  if (m_nMode == kWrite && m_nCount > 0) RawWrite(m_pBuffer, m_nCount);
  m_nCount = 0;
}

uint8_t CBufferedFile::ReadByte() {
  if (m_pBuffer && m_nMode == kRead) {
    if (m_nCount == 0) {
      FillBuffer();
      if (m_nCount == 0) return 0;
    }
    --m_nCount;
    return *m_pCursor++;
  }
  uint8_t b = 0;
  if (RawRead(&b, 1) != 1) return 0;
  return b;
}

uint16_t CBufferedFile::ReadWord() {
  uint8_t b[2] = {0, 0};
  if (Read(b, 2) != 2) {
    m_bError = true;
    return 0;
  }
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t CBufferedFile::ReadDword() {
  uint8_t b[4] = {0, 0, 0, 0};
  if (Read(b, 4) != 4) {
    m_bError = true;
    return 0;
  }
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

int CBufferedFile::Read(void* buffer, int n) {
  if (n <= 0) return 0;
  if (!m_pBuffer || m_nMode != kRead) {
    const int got = RawRead(buffer, n);
    if (got < n) m_bError = true;
    return got;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  int total = 0;
  while (total < n) {
    if (m_nCount == 0) {
      // A large remainder bypasses the drained buffer; RawRead reads until
      // it has everything or the file ends.
      const int want = n - total;
      if (want >= m_nBufferSize) {
        total += RawRead(out + total, want);
        break;
      }
      FillBuffer();
      if (m_nCount == 0) break;
    }
    const int chunk = std::min(m_nCount, n - total);
    std::memcpy(out + total, m_pCursor, static_cast<size_t>(chunk));
    m_pCursor += chunk;
    m_nCount -= chunk;
    total += chunk;
  }
  if (total < n) m_bError = true;
  return total;
}

void CBufferedFile::WriteByte(uint8_t value) {
  if (m_pBuffer && m_nMode == kWrite) {
    if (m_nCount == m_nBufferSize) FlushBuffer();
    m_pBuffer[m_nCount++] = value;
    return;
  }
  RawWrite(&value, 1);
}

void CBufferedFile::WriteWord(uint16_t value) {
  const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  Write(b, 2);
}

void CBufferedFile::WriteDword(uint32_t value) {
  const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                        static_cast<uint8_t>(value >> 24)};
  Write(b, 4);
}

void CBufferedFile::Write(const void* buffer, int n) {
  if (n <= 0) return;
  if (!m_pBuffer || m_nMode != kWrite) {
    RawWrite(buffer, n);
    return;
  }
  const auto* in = static_cast<const uint8_t*>(buffer);
  while (n > 0) {
    if (m_nCount == m_nBufferSize) FlushBuffer();
    const int chunk = std::min(m_nBufferSize - m_nCount, n);
    std::memcpy(m_pBuffer + m_nCount, in, static_cast<size_t>(chunk));
    m_nCount += chunk;
    in += chunk;
    n -= chunk;
  }
}
