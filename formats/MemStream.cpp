#include "formats/MemStream.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kMinGrowth = 32768;
}

CMemStream::CMemStream(const void* data, int size) {
  SetMode(kWrite);
  if (size > 0) Write(data, size);
  SetMode(kRead);
}

CMemStream::~CMemStream() { std::free(m_pData); }

bool CMemStream::Open(const char*, int mode) {
  SetMode(mode);
  return true;
}

void CMemStream::Close() { SetMode(kClosed); }

void CMemStream::SetMode(int mode) {
  m_nMode = mode;
  m_nPos = 0;
  if (mode == kWrite) m_nLength = 0;
}

int64_t CMemStream::Seek(int64_t offset, int origin) {
  if (m_nMode != kRead) return m_nPos;
  int64_t pos = m_nPos;
  if (origin == kBegin)
    pos = offset;
  else if (origin == kCurrent)
    pos += offset;
  else if (origin == kEnd)
    pos = m_nLength - offset;
  m_nPos = static_cast<int>(std::clamp<int64_t>(pos, 0, m_nLength));
  return m_nPos;
}

bool CMemStream::Grow(int n) {
  // At least 32 KB, and at least doubling after the first step, so that a
  // stream built by many small writes is copied a logarithmic number of times.
  int64_t add = std::max(n, kMinGrowth);
  if (m_nCapacity > 0) add = std::max<int64_t>(add, m_nCapacity);
  int64_t capacity = int64_t{m_nCapacity} + add;
  if (capacity > INT_MAX) capacity = INT_MAX;
  if (capacity - m_nCapacity < n) return false;
  auto* block = static_cast<uint8_t*>(std::realloc(m_pData, static_cast<size_t>(capacity)));
  if (!block) return false;
  m_pData = block;
  m_nCapacity = static_cast<int>(capacity);
  return true;
}

bool CMemStream::Reserve(int n) {
  if (n < 0 || int64_t{m_nPos} + n > INT_MAX) {
    m_bError = m_bWriteError = true;
    return false;
  }
  if (m_nPos + n > m_nCapacity && !Grow(m_nPos + n - m_nCapacity)) {
    m_bError = m_bWriteError = true;
    return false;
  }
  return true;
}

void CMemStream::Put(const void* data, int n) {
  if (m_nMode != kWrite || n <= 0 || !Reserve(n)) return;
  std::memcpy(m_pData + m_nPos, data, static_cast<size_t>(n));
  m_nPos += n;
  m_nLength = std::max(m_nLength, m_nPos);
}

bool CMemStream::Take(void* out, int n) {
  if (m_nLength - m_nPos < n || m_nMode != kRead) {
    m_bError = true;
    return false;
  }
  std::memcpy(out, m_pData + m_nPos, static_cast<size_t>(n));
  m_nPos += n;
  return true;
}

uint8_t CMemStream::ReadByte() {
  uint8_t b = 0;
  return Take(&b, 1) ? b : 0;
}

uint16_t CMemStream::ReadWord() {
  uint8_t b[2];
  if (!Take(b, 2)) return 0;
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t CMemStream::ReadDword() {
  uint8_t b[4];
  if (!Take(b, 4)) return 0;
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

int CMemStream::Read(void* buffer, int n) {
  if (n < 0) n = 0;
  const int k = m_nMode == kRead ? std::min(n, m_nLength - m_nPos) : 0;
  m_bError = (k != n);
  if (k > 0) {
    std::memcpy(buffer, m_pData + m_nPos, static_cast<size_t>(k));
    m_nPos += k;
  }
  return k;
}

void CMemStream::WriteByte(uint8_t value) { Put(&value, 1); }

void CMemStream::WriteWord(uint16_t value) {
  const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  Put(b, 2);
}

void CMemStream::WriteDword(uint32_t value) {
  const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                        static_cast<uint8_t>(value >> 24)};
  Put(b, 4);
}

void CMemStream::Write(const void* buffer, int n) { Put(buffer, n); }
