#include "formats/GifLzw.h"

#include <algorithm>
#include <cstring>

#include "base/ResultCodes.h"
#include "formats/BufferedFile.h"

namespace {
constexpr int kTableSize = 4096;
constexpr int kMaxCodeWidth = 12;
// A string is at most one entry per table slot long, plus the pixel of a
// code that names the entry being defined.
constexpr int kStackSize = kTableSize + 2;

void PackRow(const uint8_t* pixels, int count, int depth, uint8_t* row) {
  if (depth == 1) {
    for (int x = 0; x < count; ++x) {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      if (pixels[x] & 1)
        row[x >> 3] |= bit;
      else
        row[x >> 3] &= static_cast<uint8_t>(~bit);
    }
  } else {
    for (int x = 0; x < count; ++x) {
      uint8_t& b = row[x >> 1];
      if (x & 1)
        b = static_cast<uint8_t>((b & 0xF0) | (pixels[x] & 0x0F));
      else
        b = static_cast<uint8_t>((b & 0x0F) | ((pixels[x] & 0x0F) << 4));
    }
  }
}

void UnpackRow(const uint8_t* row, int count, int depth, uint8_t* pixels) {
  if (depth == 1) {
    for (int x = 0; x < count; ++x) pixels[x] = static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
  } else {
    for (int x = 0; x < count; ++x)
      pixels[x] = static_cast<uint8_t>((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
  }
}

int StorageDepth(int depth) { return depth <= 1 ? 1 : depth <= 4 ? 4 : 8; }
}  // namespace

// ---------------------------------------------------------------------------
// Decoder

CLzwDecoder::CLzwDecoder(CBufferedFile* stream, int minimumCodeSize, int rowWidth, int depth)
    : m_pStream(stream), m_nRowWidth(std::max(rowWidth, 0)), m_nDepth(StorageDepth(depth)) {
  if (minimumCodeSize < 1 || minimumCodeSize > 11 || !stream) {
    // The root codes, clear and end code would not fit the 4096-entry table.
    Fail(IMAGEIO_CORRUPT);
    return;
  }
  m_prefix = std::make_unique<uint16_t[]>(kTableSize);
  m_suffix = std::make_unique<uint8_t[]>(kTableSize);
  m_stack = std::make_unique<uint8_t[]>(kStackSize);
  m_length = std::make_unique<uint16_t[]>(kTableSize);
  if (m_nDepth < 8) m_line = std::make_unique<uint8_t[]>(static_cast<size_t>(m_nRowWidth) + 1);
  m_nClearCode = 1 << minimumCodeSize;
  m_nEndCode = m_nClearCode + 1;
  m_nInitialWidth = minimumCodeSize + 1;
  ResetTable();
  if (ReadClear()) m_stack[m_nStackCount++] = static_cast<uint8_t>(m_nPrevCode);
}

CLzwDecoder::~CLzwDecoder() = default;

void CLzwDecoder::Fail(int result) {
  m_nResult = result;
  m_bFinished = true;
}

bool CLzwDecoder::LoadBlock() {
  if (m_bFinished) return false;
  const uint8_t length = m_pStream->ReadByte();
  if (m_pStream->GetError()) {
    m_bFinished = true;
    return false;
  }
  if (length == 0) {
    m_bTerminatorRead = true;
    m_bFinished = true;
    return false;
  }
  const int got = m_pStream->Read(m_block, length);
  if (got <= 0) {
    m_bFinished = true;
    return false;
  }
  m_nBlockLength = got;
  m_nBlockPos = 0;
  return true;
}

int CLzwDecoder::ReadCode() {
  if (m_bFinished) return -1;
  while (m_nBitCount < m_nWidth) {
    if (m_nBlockPos >= m_nBlockLength && !LoadBlock()) return -1;
    m_nBitBuffer |= static_cast<uint64_t>(m_block[m_nBlockPos++]) << m_nBitCount;
    m_nBitCount += 8;
  }
  const int code = static_cast<int>(m_nBitBuffer & ((1u << m_nWidth) - 1));
  m_nBitBuffer >>= m_nWidth;
  m_nBitCount -= m_nWidth;
  return code;
}

void CLzwDecoder::ResetTable() {
  m_nWidth = m_nInitialWidth;
  m_nLimit = 1 << m_nWidth;
  m_nNextCode = m_nEndCode + 1;
  for (int i = 0; i <= m_nEndCode; ++i) {
    m_suffix[i] = static_cast<uint8_t>(i);
    m_prefix[i] = 0;
    m_length[i] = 1;
  }
}

bool CLzwDecoder::ReadClear() {
  ResetTable();
  int code;
  do {
    code = ReadCode();
  } while (code == m_nClearCode);
  if (code < 0) return false;
  if (code == m_nEndCode) {
    m_bFinished = true;
    return false;
  }
  if (code > m_nEndCode) {
    // Right after a clear code only the roots are defined.
    Fail(IMAGEIO_CORRUPT);
    return false;
  }
  m_nPrevCode = code;
  m_nFirstPixel = code;
  return true;
}

int CLzwDecoder::DecodePixels(uint8_t* out, int count) {
  int n = 0;
  while (n < count && m_nStackCount > 0) out[n++] = m_stack[--m_nStackCount];
  uint16_t* const prefix = m_prefix.get();
  uint8_t* const suffix = m_suffix.get();
  uint16_t* const length = m_length.get();
  uint8_t* const stack = m_stack.get();
  const int clearCode = m_nClearCode, endCode = m_nEndCode;
  // The hot state lives in locals (stores through out could alias members);
  // Save before and Load after every call that works on the members.
  uint64_t bits = 0;
  int bitCount = 0, width = 0, limit = 0, next = 0, prev = 0, first = 0;
  auto load = [&] {
    bits = m_nBitBuffer;
    bitCount = m_nBitCount;
    width = m_nWidth;
    limit = m_nLimit;
    next = m_nNextCode;
    prev = m_nPrevCode;
    first = m_nFirstPixel;
  };
  auto save = [&] {
    m_nBitBuffer = bits;
    m_nBitCount = bitCount;
    m_nWidth = width;
    m_nLimit = limit;
    m_nNextCode = next;
    m_nPrevCode = prev;
    m_nFirstPixel = first;
  };
  load();
  while (n < count && !m_bFinished) {
    int code;
    if (bitCount < width) {
      // Refill from the current sub-block; ReadCode moves to the next one.
      while (bitCount <= 56 && m_nBlockPos < m_nBlockLength) {
        bits |= static_cast<uint64_t>(m_block[m_nBlockPos++]) << bitCount;
        bitCount += 8;
      }
    }
    if (bitCount >= width) {
      code = static_cast<int>(bits & ((1u << width) - 1));
      bits >>= width;
      bitCount -= width;
    } else {
      save();
      code = ReadCode();
      load();
      if (code < 0) break;
    }
    if (code == clearCode) {
      save();
      const bool ok = ReadClear();
      load();
      if (!ok) break;
      out[n++] = static_cast<uint8_t>(prev);
      continue;
    }
    if (code == endCode) {
      m_bFinished = true;
      break;
    }
    if (code > next) {
      Fail(IMAGEIO_CORRUPT);
      break;
    }
    const int inCode = code;
    // A code naming the entry being defined stands for the previous string
    // plus that string's own first pixel.
    const bool pending = code == next;
    if (pending) code = prev;
    const int stringLength = length[code] + (pending ? 1 : 0);
    int root;
    if (stringLength <= count - n) {
      // The whole string fits the row: write it straight from its end back.
      uint8_t* p = out + n + stringLength - 1;
      if (pending) *p-- = static_cast<uint8_t>(first);
      // Entries always point to lower codes, so this walk ends within the table.
      while (code > endCode) {
        *p-- = suffix[code];
        code = prefix[code];
      }
      *p = static_cast<uint8_t>(code);
      root = code;
      n += stringLength;
    } else {
      int sp = 0;
      if (pending) stack[sp++] = static_cast<uint8_t>(first);
      while (code > endCode) {
        stack[sp++] = suffix[code];
        code = prefix[code];
      }
      stack[sp++] = static_cast<uint8_t>(code);
      root = code;
      const int take = count - n;
      for (int i = 0; i < take; ++i) out[n++] = stack[--sp];
      m_nStackCount = sp;
    }
    first = root;
    if (next < kTableSize) {
      prefix[next] = static_cast<uint16_t>(prev);
      suffix[next] = static_cast<uint8_t>(root);
      length[next] = static_cast<uint16_t>(length[prev] + 1);
      ++next;
      if (next >= limit && width < kMaxCodeWidth) {
        ++width;
        limit <<= 1;
      }
    }
    // With a full table the stream may go on with 12-bit codes and no new
    // entries until it sends a clear code (a deferred clear).
    prev = inCode;
  }
  save();
  if (n < count && m_nResult == IMAGEIO_OK) m_nResult = IMAGEIO_CORRUPT;
  return n;
}

int CLzwDecoder::DecodeRowBytes(uint8_t* pixels) {
  if (!m_prefix) return m_nResult;
  DecodePixels(pixels, m_nRowWidth);
  return m_nResult;
}

int CLzwDecoder::DecodeRow(uint8_t* row) {
  if (!m_prefix) return m_nResult;
  if (m_nDepth == 8) {
    DecodePixels(row, m_nRowWidth);
  } else {
    const int n = DecodePixels(m_line.get(), m_nRowWidth);
    PackRow(m_line.get(), n, m_nDepth, row);
  }
  return m_nResult;
}

void CLzwDecoder::SkipRemainingData() {
  m_nBlockPos = m_nBlockLength = 0;
  m_nStackCount = 0;
  if (m_bTerminatorRead) return;
  m_bFinished = true;
  m_bTerminatorRead = true;
  if (!m_pStream) return;
  for (;;) {
    const uint8_t length = m_pStream->ReadByte();
    if (m_pStream->GetError() || length == 0) return;
    if (m_pStream->Read(m_block, length) != length) return;
  }
}

// ---------------------------------------------------------------------------
// Encoder

CLzwEncoder::CLzwEncoder(CBufferedFile* stream, int codeSize, int depth)
    : m_pStream(stream), m_nDepth(StorageDepth(depth)) {
  codeSize = std::clamp(codeSize, 2, 8);
  m_nClearCode = 1 << codeSize;
  m_nEndCode = m_nClearCode + 1;
  m_nInitialWidth = codeSize + 1;
  m_nPixelMask = m_nClearCode - 1;
  m_hash = std::make_unique<uint32_t[]>(kHashSize);
  ResetTable();
  OutputCode(m_nClearCode);
}

CLzwEncoder::~CLzwEncoder() = default;

void CLzwEncoder::ResetTable() {
  m_nNextCode = m_nEndCode + 1;
  m_nWidth = m_nOutputWidth = m_nInitialWidth;
  m_nLimit = 1 << m_nWidth;
  std::fill_n(m_hash.get(), kHashSize, 0u);
}

// A slot holds (code << 20) | (prefix << 8) | pixel; 0 is a free slot (codes
// given out are never 0). At most 4096 - 6 strings are held, so the table
// stays at most a quarter full and probes stay short.
inline int CLzwEncoder::FindSlot(int prefix, int pixel) const {
  const uint32_t key = (static_cast<uint32_t>(prefix) << 8) | static_cast<uint32_t>(pixel);
  const uint32_t* hash = m_hash.get();
  uint32_t h = (key * 2654435761u) >> (32 - kHashBits);
  for (;;) {
    const uint32_t entry = hash[h];
    if (entry == 0 || (entry & 0xFFFFF) == key) return static_cast<int>(h);
    h = (h + 1) & (kHashSize - 1);
  }
}

void CLzwEncoder::EncodeBytes(const uint8_t* pixels, int width) {
  int i = 0;
  if (!m_bStarted) {
    if (width <= 0) return;
    m_nPrefix = pixels[0] & m_nPixelMask;
    m_bStarted = true;
    i = 1;
  }
  int prefix = m_nPrefix;
  uint32_t* const hash = m_hash.get();
  for (; i < width; ++i) {
    const int p = pixels[i] & m_nPixelMask;
    const int slot = FindSlot(prefix, p);
    const uint32_t entry = hash[slot];
    if (entry != 0) {
      prefix = static_cast<int>(entry >> 20);
      continue;
    }
    hash[slot] = (static_cast<uint32_t>(m_nNextCode) << 20) | (static_cast<uint32_t>(prefix) << 8) |
                 static_cast<uint32_t>(p);
    OutputCode(prefix);
    prefix = p;
    ++m_nNextCode;
    if (m_nNextCode > m_nLimit) {
      ++m_nWidth;
      if (m_nWidth > kMaxWidth) {
        OutputCode(m_nClearCode);
        ResetTable();
      } else {
        m_nOutputWidth = m_nWidth;
        m_nLimit = m_nWidth == kMaxWidth ? 4095 : m_nLimit << 1;
      }
    }
  }
  m_nPrefix = prefix;
}

void CLzwEncoder::EncodeRow(const uint8_t* row, int width) {
  if (width <= 0) return;
  if (m_nDepth == 8) {
    EncodeBytes(row, width);
    return;
  }
  if (m_nLineSize < width) {
    m_line = std::make_unique<uint8_t[]>(static_cast<size_t>(width));
    m_nLineSize = width;
  }
  UnpackRow(row, width, m_nDepth, m_line.get());
  EncodeBytes(m_line.get(), width);
}

void CLzwEncoder::WriteBlock() {
  m_pStream->WriteByte(static_cast<uint8_t>(m_nBlockCount));
  m_pStream->Write(m_block, m_nBlockCount);
  m_nBlockCount = 0;
}

void CLzwEncoder::FlushBlock() {
  if (m_nAccumulatorBits > 0) {
    PutByte(static_cast<uint8_t>(m_nAccumulator & 0xFF));
    m_nAccumulator = 0;
    m_nAccumulatorBits = 0;
  }
  if (m_nBlockCount > 0) WriteBlock();
}

void CLzwEncoder::Finish() {
  if (m_bStarted) OutputCode(m_nPrefix);
  OutputCode(m_nEndCode);
  FlushBlock();
}
