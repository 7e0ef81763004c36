#include "formats/GifLzw.h"

#include <algorithm>
#include <cstring>

#include "base/ResultCodes.h"
#include "formats/BufferedFile.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the code reader loads eight packed bytes at once");

namespace {
constexpr int kTableSize = 4096;
constexpr int kMaxCodeWidth = 12;
// The longest string: one pixel per table entry, plus the pixel of a code
// that names the entry being defined.
constexpr int kLongestString = kTableSize + 1;
// Strings are copied 16 bytes at a time and may write up to 15 bytes past
// their end (bytes that later strings overwrite).
constexpr int kCopySlack = 16;
// A place that is not in the history (entries made before a compaction).
constexpr uint32_t kNowhere = UINT32_MAX;
// The history is compacted rather than grown past this size.
constexpr int64_t kHistoryCompactAt = int64_t{4} << 20;

// Copies a string of length >= 1 that lies wholly before dst.
inline void CopyString(uint8_t* dst, const uint8_t* src, int length) {
  int i = 0;
  do {
    uint8_t chunk[16];
    std::memcpy(chunk, src + i, 16);
    std::memcpy(dst + i, chunk, 16);
    i += 16;
  } while (i < length);
}

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

CLzwDecoder::CLzwDecoder(CBufferedFile* stream, int minimumCodeSize, int rowWidth, int depth,
                         CLzwDecoderBuffers* buffers)
    : m_pStream(stream), m_pBuffers(buffers), m_nRowWidth(std::max(rowWidth, 0)), m_nDepth(StorageDepth(depth)) {
  if (minimumCodeSize < 1 || minimumCodeSize > 11 || !stream) {
    // The root codes, clear and end code would not fit the 4096-entry table.
    Fail(IMAGEIO_CORRUPT);
    return;
  }
  if (buffers && buffers->prefix) {
    // Tables as a new decoder has them (all zero); the history as it was
    // (pixels are written before they are read).
    m_prefix = std::move(buffers->prefix);
    m_suffix = std::move(buffers->suffix);
    m_length = std::move(buffers->length);
    m_place = std::move(buffers->place);
    std::fill_n(m_prefix.get(), kTableSize, uint16_t{0});
    std::fill_n(m_suffix.get(), kTableSize, uint8_t{0});
    std::fill_n(m_length.get(), kTableSize, uint16_t{0});
    std::fill_n(m_place.get(), kTableSize, 0u);
    m_history = std::move(buffers->history);
    m_nHistorySize = m_history ? buffers->historySize : 0;
  } else {
    m_prefix = std::make_unique<uint16_t[]>(kTableSize);
    m_suffix = std::make_unique<uint8_t[]>(kTableSize);
    m_length = std::make_unique<uint16_t[]>(kTableSize);
    m_place = std::make_unique<uint32_t[]>(kTableSize);
  }
  if (m_nDepth < 8) m_line = std::make_unique<uint8_t[]>(static_cast<size_t>(m_nRowWidth) + 1);
  m_nClearCode = 1 << minimumCodeSize;
  m_nEndCode = m_nClearCode + 1;
  m_nInitialWidth = minimumCodeSize + 1;
  ReserveHistory(m_nRowWidth);
  ResetTable();
  if (ReadClear()) {
    m_history[0] = static_cast<uint8_t>(m_nPrevCode);
    m_nHistoryEnd = 1;
    m_nPrevPlace = 0;
  }
}

CLzwDecoder::~CLzwDecoder() {
  if (!m_pBuffers || !m_prefix) return;
  m_pBuffers->prefix = std::move(m_prefix);
  m_pBuffers->suffix = std::move(m_suffix);
  m_pBuffers->length = std::move(m_length);
  m_pBuffers->place = std::move(m_place);
  m_pBuffers->history = std::move(m_history);
  m_pBuffers->historySize = m_nHistorySize;
}

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
    m_place[i] = kNowhere;
  }
}

void CLzwDecoder::ReserveHistory(int64_t more) {
  const int64_t need = more + kLongestString + kCopySlack;
  if (m_nHistoryEnd + need <= m_nHistorySize) return;
  const int64_t pending = m_nHistoryEnd - m_nHistoryStart;
  if (m_history && m_nHistorySize >= kHistoryCompactAt && pending + need <= m_nHistorySize) {
    // Move the pixels not yet handed out to the front; the places of the
    // strings written so far are gone (those entries walk their chains).
    std::memmove(m_history.get(), m_history.get() + m_nHistoryStart, static_cast<size_t>(pending));
    m_nHistoryStart = 0;
    m_nHistoryEnd = pending;
    std::fill_n(m_place.get(), kTableSize, kNowhere);
    m_nPrevPlace = kNowhere;
    return;
  }
  int64_t size = std::max<int64_t>(m_nHistorySize * 2, int64_t{64} << 10);
  while (size < m_nHistoryEnd + need) size *= 2;
  // Pixels are written before they are read: no need to clear them.
  std::unique_ptr<uint8_t[]> grown(new uint8_t[static_cast<size_t>(size)]);
  if (m_nHistoryEnd > 0) std::memcpy(grown.get(), m_history.get(), static_cast<size_t>(m_nHistoryEnd));
  m_history = std::move(grown);
  m_nHistorySize = size;
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
  return true;
}

int CLzwDecoder::DecodePixels(uint8_t* out, int count) {
  if (m_nHistoryEnd - m_nHistoryStart < count && !m_bFinished) {
    ReserveHistory(count - (m_nHistoryEnd - m_nHistoryStart));
    uint16_t* const prefix = m_prefix.get();
    uint8_t* const suffix = m_suffix.get();
    uint16_t* const length = m_length.get();
    uint32_t* const place = m_place.get();
    uint8_t* const history = m_history.get();
    const int clearCode = m_nClearCode, endCode = m_nEndCode;
    const int64_t target = m_nHistoryStart + count;
    // The hot state lives in locals; save before and load after every call
    // that works on the members.
    uint64_t bits = 0;
    int bitCount = 0, width = 0, limit = 0, next = 0, prev = 0, blockPos = 0, blockLength = 0;
    int64_t end = 0;
    uint32_t prevPlace = 0;
    const uint8_t* const block = m_block;
    auto load = [&] {
      blockPos = m_nBlockPos;
      blockLength = m_nBlockLength;
      bits = m_nBitBuffer;
      bitCount = m_nBitCount;
      width = m_nWidth;
      limit = m_nLimit;
      next = m_nNextCode;
      prev = m_nPrevCode;
      end = m_nHistoryEnd;
      prevPlace = m_nPrevPlace;
    };
    auto save = [&] {
      m_nBlockPos = blockPos;
      m_nBlockLength = blockLength;
      m_nBitBuffer = bits;
      m_nBitCount = bitCount;
      m_nWidth = width;
      m_nLimit = limit;
      m_nNextCode = next;
      m_nPrevCode = prev;
      m_nHistoryEnd = end;
      m_nPrevPlace = prevPlace;
    };
    load();
    while (end < target && !m_bFinished) {
      int code;
      if (bitCount < width) {
        // Refill from the current sub-block, eight bytes at once where it
        // has them; ReadCode moves to the next one.
        if (blockLength - blockPos >= 8) {
          uint64_t word;
          std::memcpy(&word, block + blockPos, 8);  // little-endian, as the codes are packed
          bits |= word << bitCount;
          const int bytes = (63 - bitCount) >> 3;
          blockPos += bytes;
          bitCount += bytes * 8;
          bits &= (uint64_t{1} << bitCount) - 1;  // bitCount <= 63: the byte left over is read again later
        } else {
          while (bitCount <= 56 && blockPos < blockLength) {
            bits |= static_cast<uint64_t>(block[blockPos++]) << bitCount;
            bitCount += 8;
          }
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
        history[end] = static_cast<uint8_t>(prev);
        prevPlace = static_cast<uint32_t>(end);
        ++end;
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
      uint8_t* const at = history + end;
      int written;
      if (code < clearCode) {
        *at = static_cast<uint8_t>(code);
        written = 1;
      } else {
        // A code naming the entry being defined stands for the previous
        // string plus that string's own first pixel.
        const bool pending = code == next;
        const int source = pending ? prev : code;
        const int stringLength = length[source];
        if (place[source] != kNowhere) {
          CopyString(at, history + place[source], stringLength);
        } else {
          // Entries always point to lower codes, so this walk ends within the table.
          uint8_t* p = at + stringLength - 1;
          int c = source;
          while (c > endCode) {
            *p-- = suffix[c];
            c = prefix[c];
          }
          *p = static_cast<uint8_t>(c);
        }
        if (pending) at[stringLength] = at[0];
        written = stringLength + (pending ? 1 : 0);
      }
      if (next < kTableSize) {
        // The new entry is the previous string and this string's first
        // pixel, which lie together in the history right where the previous
        // string was written.
        prefix[next] = static_cast<uint16_t>(prev);
        suffix[next] = *at;
        length[next] = static_cast<uint16_t>(length[prev] + 1);
        place[next] = prevPlace;
        ++next;
        if (next >= limit && width < kMaxCodeWidth) {
          ++width;
          limit <<= 1;
        }
      }
      // With a full table the stream may go on with 12-bit codes and no new
      // entries until it sends a clear code (a deferred clear).
      prev = code;
      prevPlace = static_cast<uint32_t>(end);
      end += written;
    }
    save();
  }
  const int n = static_cast<int>(std::min<int64_t>(count, m_nHistoryEnd - m_nHistoryStart));
  if (n > 0) std::memcpy(out, m_history.get() + m_nHistoryStart, static_cast<size_t>(n));
  m_nHistoryStart += n;
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
  m_nHistoryStart = m_nHistoryEnd;
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

CLzwEncoder::CLzwEncoder(CBufferedFile* stream, int codeSize, int depth, int64_t pixels)
    : m_pStream(stream), m_nDepth(StorageDepth(depth)), m_nTotal(pixels) {
  codeSize = std::clamp(codeSize, 2, 8);
  m_nClearCode = 1 << codeSize;
  m_nEndCode = m_nClearCode + 1;
  m_nInitialWidth = codeSize + 1;
  m_nPixelMask = m_nClearCode - 1;
  m_hash = std::make_unique<uint32_t[]>(kHashSize);
  m_trialHash = std::make_unique<uint32_t[]>(kHashSize);
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
  if (width <= 0) return;
  if (!m_bStarted) {
    m_nPrefix = pixels[0] & m_nPixelMask;
    m_bStarted = true;
    i = 1;
  }
  int prefix = m_nPrefix;
  uint32_t* const hash = m_hash.get();
  for (; i < width; ++i) {
    const int p = pixels[i] & m_nPixelMask;
    if (m_bFull) {
      // The table is full: code on with it while a trial coder, starting
      // from a clear, counts what clearing now would have cost.
      m_held.push_back(static_cast<uint8_t>(p));
      TrialAdd(p);
      const uint32_t entry = hash[FindSlot(prefix, p)];
      if (entry != 0) {
        prefix = static_cast<int>(entry >> 20);
      } else {
        m_heldCodes.push_back(static_cast<uint16_t>(prefix));
        prefix = p;
        m_nStringStart = m_held.size() - 1;
      }
      if (m_nTrialNext > 4095) {
        // The trial has filled a table of its own: keep whichever coded
        // the pixels since the table filled in fewer bits.
        m_nPrefix = prefix;
        Decide(false);
        prefix = m_nPrefix;
      }
      continue;
    }
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
        // Code 4095 is given out; pixel p begins the next string. Where the
        // pixels left are fewer than this table took to fill, a new table
        // would not fill before the end either: the clear is deferred, and
        // the string begun starts both the full table's coding and the
        // trial. Elsewhere the table is cleared at once.
        const int64_t at = m_nPosition + i;
        if (m_nTotal > 0 && m_nTotal - at < at - m_nGenerationStart) {
          m_nWidth = kMaxWidth;
          m_bFull = true;
          StartTrial(p);
          m_held.assign(1, static_cast<uint8_t>(p));
          m_nHeldAt = at;
          m_nStringStart = 0;
        } else {
          OutputCode(m_nClearCode);
          ResetTable();
          m_nGenerationStart = at;
        }
      } else {
        m_nOutputWidth = m_nWidth;
        m_nLimit = m_nWidth == kMaxWidth ? 4095 : m_nLimit << 1;
      }
    }
  }
  m_nPrefix = prefix;
  m_nPosition += width;
}

void CLzwEncoder::StartTrial(int pixel) {
  std::fill_n(m_trialHash.get(), kHashSize, 0u);
  m_nTrialNext = m_nEndCode + 1;
  m_nTrialWidth = m_nInitialWidth;
  m_nTrialLimit = 1 << m_nTrialWidth;
  m_nTrialBits = kMaxWidth;  // the clear code, written at the full width
  m_nTrialPrefix = pixel;
}

void CLzwEncoder::TrialAdd(int pixel) {
  uint32_t* const hash = m_trialHash.get();
  const uint32_t key = (static_cast<uint32_t>(m_nTrialPrefix) << 8) | static_cast<uint32_t>(pixel);
  uint32_t h = (key * 2654435761u) >> (32 - kHashBits);
  for (;;) {
    const uint32_t entry = hash[h];
    if (entry == 0) break;
    if ((entry & 0xFFFFF) == key) {
      m_nTrialPrefix = static_cast<int>(entry >> 20);
      return;
    }
    h = (h + 1) & (kHashSize - 1);
  }
  hash[h] = (static_cast<uint32_t>(m_nTrialNext) << 20) | key;
  m_nTrialBits += m_nTrialWidth;
  m_nTrialPrefix = pixel;
  if (++m_nTrialNext > m_nTrialLimit && m_nTrialWidth < kMaxWidth) {
    ++m_nTrialWidth;
    m_nTrialLimit = m_nTrialWidth == kMaxWidth ? 4095 : m_nTrialLimit << 1;
  }
}

bool CLzwEncoder::Decide(bool last) {
  // At the end, both still write the string being matched.
  const int64_t keptBits = (static_cast<int64_t>(m_heldCodes.size()) + (last ? 1 : 0)) * kMaxWidth;
  const int64_t clearedBits = m_nTrialBits + (last ? m_nTrialWidth : 0);
  if (keptBits <= clearedBits) {
    // The full table did as well: its codes go out, and a new trial starts
    // where the string being matched starts, so that it covers the same
    // pixels as the full table from here on.
    for (const uint16_t code : m_heldCodes) OutputCode(code);
    m_heldCodes.clear();
    if (last) return true;
    m_held.erase(m_held.begin(), m_held.begin() + static_cast<std::ptrdiff_t>(m_nStringStart));
    m_nHeldAt += static_cast<int64_t>(m_nStringStart);
    m_nStringStart = 0;
    StartTrial(m_held[0]);
    for (size_t k = 1; k < m_held.size(); ++k) TrialAdd(m_held[k]);
    return true;
  }
  // Clearing pays: the clear goes out where the table filled and the held
  // pixels are coded again from an empty table.
  std::vector<uint8_t> held = std::move(m_held);
  m_held.clear();
  m_heldCodes.clear();
  m_bFull = false;
  OutputCode(m_nClearCode);
  ResetTable();
  m_nGenerationStart = m_nHeldAt;
  m_nPrefix = held[0];
  const int64_t position = m_nPosition;
  m_nPosition = m_nHeldAt + 1;
  EncodeBytes(held.data() + 1, static_cast<int>(held.size()) - 1);
  m_nPosition = position;
  return false;
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
  // A table left full: keep it to the end or clear where it filled,
  // whichever codes the rest in fewer bits (clearing may fill it again).
  while (m_bFull && !Decide(true)) {
  }
  if (m_bStarted) OutputCode(m_nPrefix);
  OutputCode(m_nEndCode);
  FlushBlock();
}
