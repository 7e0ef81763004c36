#include "formats/GifLzw.h"

#include <algorithm>
#include <cstring>

#include "formats/BufferedFile.h"
#include "formats/ResultCodes.h"

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
    m_nBitBuffer |= static_cast<uint32_t>(m_block[m_nBlockPos++]) << m_nBitCount;
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
  uint8_t* const stack = m_stack.get();
  while (n < count) {
    int code = ReadCode();
    if (code < 0) break;
    if (code == m_nClearCode) {
      if (!ReadClear()) break;
      out[n++] = static_cast<uint8_t>(m_nPrevCode);
      continue;
    }
    if (code == m_nEndCode) {
      m_bFinished = true;
      break;
    }
    if (code > m_nNextCode) {
      Fail(IMAGEIO_CORRUPT);
      break;
    }
    const int inCode = code;
    int sp = 0;
    if (code == m_nNextCode) {
      // The string being defined: the previous string plus its own first pixel.
      stack[sp++] = static_cast<uint8_t>(m_nFirstPixel);
      code = m_nPrevCode;
    }
    // Entries always point to lower codes, so this walk ends within the table.
    while (code > m_nEndCode) {
      stack[sp++] = suffix[code];
      code = prefix[code];
    }
    stack[sp++] = static_cast<uint8_t>(code);
    m_nFirstPixel = code;
    if (m_nNextCode < kTableSize) {
      prefix[m_nNextCode] = static_cast<uint16_t>(m_nPrevCode);
      suffix[m_nNextCode] = static_cast<uint8_t>(code);
      ++m_nNextCode;
      if (m_nNextCode >= m_nLimit && m_nWidth < kMaxCodeWidth) {
        ++m_nWidth;
        m_nLimit <<= 1;
      }
    }
    // With a full table the stream may go on with 12-bit codes and no new
    // entries until it sends a clear code (a deferred clear).
    m_nPrevCode = inCode;
    const int take = std::min(sp, count - n);
    for (int i = 0; i < take; ++i) out[n++] = stack[--sp];
    m_nStackCount = sp;
  }
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
  m_hashCode = std::make_unique<int16_t[]>(kHashSize);
  m_hashPrefix = std::make_unique<int16_t[]>(kHashSize);
  m_hashSuffix = std::make_unique<uint8_t[]>(kHashSize);
  ResetTable();
  OutputCode(m_nClearCode);
}

CLzwEncoder::~CLzwEncoder() = default;

void CLzwEncoder::ResetTable() {
  m_nNextCode = m_nEndCode + 1;
  m_nWidth = m_nOutputWidth = m_nInitialWidth;
  m_nLimit = 1 << m_nWidth;
  std::fill_n(m_hashCode.get(), kHashSize, static_cast<int16_t>(-1));
}

int CLzwEncoder::FindSlot(int prefix, int pixel) const {
  // prefix < 4096 and pixel < 256, so h < 4096 < kHashSize.
  int h = prefix ^ (pixel << 4);
  const int step = h == 0 ? 1 : kHashSize - h;
  for (;;) {
    if (m_hashCode[h] < 0) return h;
    if (m_hashPrefix[h] == prefix && m_hashSuffix[h] == pixel) return h;
    h -= step;
    if (h < 0) h += kHashSize;
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
  for (; i < width; ++i) {
    const int p = pixels[i] & m_nPixelMask;
    const int slot = FindSlot(prefix, p);
    if (m_hashCode[slot] >= 0) {
      prefix = m_hashCode[slot];
      continue;
    }
    m_hashCode[slot] = static_cast<int16_t>(m_nNextCode);
    m_hashPrefix[slot] = static_cast<int16_t>(prefix);
    m_hashSuffix[slot] = static_cast<uint8_t>(p);
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

void CLzwEncoder::OutputCode(int code) {
  m_nAccumulator |= static_cast<uint32_t>(code) << m_nAccumulatorBits;
  m_nAccumulatorBits += m_nOutputWidth;
  while (m_nAccumulatorBits >= 8) {
    PutByte(static_cast<uint8_t>(m_nAccumulator & 0xFF));
    m_nAccumulator >>= 8;
    m_nAccumulatorBits -= 8;
  }
}

void CLzwEncoder::PutByte(uint8_t value) {
  m_block[m_nBlockCount++] = value;
  if (m_nBlockCount == 255) {
    m_pStream->WriteByte(255);
    m_pStream->Write(m_block, 255);
    m_nBlockCount = 0;
  }
}

void CLzwEncoder::FlushBlock() {
  if (m_nAccumulatorBits > 0) {
    PutByte(static_cast<uint8_t>(m_nAccumulator & 0xFF));
    m_nAccumulator = 0;
    m_nAccumulatorBits = 0;
  }
  if (m_nBlockCount > 0) {
    m_pStream->WriteByte(static_cast<uint8_t>(m_nBlockCount));
    m_pStream->Write(m_block, m_nBlockCount);
    m_nBlockCount = 0;
  }
}

void CLzwEncoder::Finish() {
  if (m_bStarted) OutputCode(m_nPrefix);
  OutputCode(m_nEndCode);
  FlushBlock();
}
