#pragma once
// The variable-length-code LZW coding of GIF image data.
//
// Codes are packed least significant bit first into data sub-blocks (a length
// byte 1..255 and that many bytes; a zero length ends the sequence). The code
// width starts at minimum code size + 1 and grows to at most 12 bits; code
// 2^size is the clear code and 2^size + 1 the end code.
//
// One coder lives for one image: the GIF codec creates it right after the
// minimum code size byte and destroys it after the last row.

#include <cstdint>
#include <memory>
#include <vector>

class CBufferedFile;

// Turns the data sub-blocks of one image into rows of 1-, 4- or 8-bit
// pixels (depth 2 and 3 store as 4 bits, 5 to 7 as 8). Strings carry over
// from one row to the next.
//
// Every decoded pixel goes to a history buffer first, and each table entry
// remembers where its string was last written there: a code's string is then
// copied whole from that place instead of being spelt out by walking its
// chain of prefixes (the chain is walked only for entries whose place was
// dropped when the history was compacted). Rows are copied out of the
// history, which keeps at most a few megabytes.
//
// Damaged data never reads outside the tables and never loops: a code beyond
// the next free code, a non-root code right after a clear code, or data that
// ends before the image is full end the decoding; the rows not reached keep
// what they held. GetResult() tells which.
// What a decoder allocates: its tables and its history buffer. A reader of
// many images passes one to each decoder in turn, so that the buffers are
// allocated (and their pages first touched) once rather than per image.
struct CLzwDecoderBuffers {
  std::unique_ptr<uint16_t[]> prefix;
  std::unique_ptr<uint8_t[]> suffix;
  std::unique_ptr<uint16_t[]> length;
  std::unique_ptr<uint32_t[]> place;
  std::unique_ptr<uint8_t[]> history;
  int64_t historySize = 0;
};

class CLzwDecoder {
 public:
  // Reads codes up to the first one after the leading clear code(s).
  // Minimum code sizes 1 to 11 are decoded; any other gives IMAGEIO_CORRUPT
  // from GetResult() and every row is left alone.
  // With `buffers`, the decoder uses (and grows) those and hands them back
  // when destroyed.
  CLzwDecoder(CBufferedFile* stream, int minimumCodeSize, int rowWidth, int depth,
              CLzwDecoderBuffers* buffers = nullptr);
  ~CLzwDecoder();
  CLzwDecoder(const CLzwDecoder&) = delete;
  CLzwDecoder& operator=(const CLzwDecoder&) = delete;

  // Fills one packed row of the depth given at construction (rowWidth
  // pixels). Returns GetResult().
  int DecodeRow(uint8_t* row);
  // Fills rowWidth pixels, one byte each.
  int DecodeRowBytes(uint8_t* pixels);

  // IMAGEIO_OK while the data is sound (also after the end code, once the
  // image is full); IMAGEIO_CORRUPT after an invalid code or a bad minimum
  // code size; IMAGEIO_CORRUPT too when the data ended (end code, zero-length
  // sub-block or end of stream) while pixels were still asked for.
  int GetResult() const { return m_nResult; }
  // True once the data has ended or failed: no more codes are read.
  bool IsFinished() const { return m_bFinished; }
  // True when the zero-length sub-block that ends the image data has been read.
  bool HasReadTerminator() const { return m_bTerminatorRead; }
  // Skips what is left of the image data: the rest of the current sub-block
  // and every following one up to and including the zero-length one (unless
  // it has already been read), so that the next byte is a block introducer.
  void SkipRemainingData();

  // Next code, or -1 at the end of the data (sticky: every later call gives -1 too).
  int ReadCode();

 private:
  bool LoadBlock();
  void ResetTable();
  // Reads the first code after clear code(s); false when the data ended or
  // the code is not a root.
  bool ReadClear();
  void Fail(int result);
  // Makes room for `more` pixels after the history's end (plus the longest
  // string and the copy slack), compacting or growing the history.
  void ReserveHistory(int64_t more);
  // Decodes until count pixels are ready, then copies them to out; returns
  // how many were written.
  int DecodePixels(uint8_t* out, int count);

  CBufferedFile* m_pStream;
  CLzwDecoderBuffers* m_pBuffers;
  int m_nRowWidth;
  int m_nDepth;
  int m_nResult = 0;
  bool m_bFinished = false;
  bool m_bTerminatorRead = false;

  // Bit input.
  uint64_t m_nBitBuffer = 0;
  int m_nBitCount = 0;
  int m_nBlockPos = 0;
  int m_nBlockLength = 0;
  uint8_t m_block[256] = {};

  // Table.
  int m_nInitialWidth = 0;
  int m_nWidth = 0;
  int m_nNextCode = 0;
  int m_nLimit = 0;
  int m_nPrevCode = 0;
  int m_nClearCode = 0;
  int m_nEndCode = 0;
  std::unique_ptr<uint16_t[]> m_prefix;
  std::unique_ptr<uint8_t[]> m_suffix;
  std::unique_ptr<uint16_t[]> m_length;  // pixels in each entry's string
  std::unique_ptr<uint32_t[]> m_place;   // where the string lies in the history, or kNowhere

  // History: pixels [m_nHistoryStart, m_nHistoryEnd) are decoded and not yet
  // handed out; m_nPrevPlace is where the previous code's string was written.
  std::unique_ptr<uint8_t[]> m_history;
  int64_t m_nHistorySize = 0;
  int64_t m_nHistoryStart = 0;
  int64_t m_nHistoryEnd = 0;
  uint32_t m_nPrevPlace = 0;
  std::unique_ptr<uint8_t[]> m_line;  // byte row for depths below 8
};

// Turns rows of 1-, 4- or 8-bit pixels into data sub-blocks. Strings are
// found through an open-addressed table of 16384 slots, kept at most a
// quarter full. When code 4095 has been given out the table is cleared (and
// the clear code written) at once, except near the end of the pixels: where
// fewer pixels are left than the full table took to fill (so a new table
// would not fill either), and the pixel count was given, the clear is
// deferred (as the format allows). Coding then goes on with the full table
// while a second, counting coder codes the same pixels from a cleared table;
// at the end (or if that one fills its table after all) the cheaper wins:
// the full table's codes are written, or the clear code is written where the
// table filled and the pixels since are coded again from an empty table. The
// tail of a picture that the full table still fits so costs no clear and no
// short codes of a fresh table.
class CLzwEncoder {
 public:
  // codeSize below 2 is raised to 2. Writes the clear code. `pixels`: how
  // many pixels will be encoded (0: unknown; the table is then always
  // cleared as soon as it is full).
  CLzwEncoder(CBufferedFile* stream, int codeSize, int depth, int64_t pixels = 0);
  ~CLzwEncoder();
  CLzwEncoder(const CLzwEncoder&) = delete;
  CLzwEncoder& operator=(const CLzwEncoder&) = delete;

  // Encodes width pixels of a packed row of the depth given at construction.
  // Pixel values are taken modulo 2^codeSize.
  void EncodeRow(const uint8_t* row, int width);
  // Encodes width pixels of one byte each.
  void EncodeBytes(const uint8_t* pixels, int width);
  // Writes the pending string, the end code and the last sub-block. The
  // caller writes the terminating zero-length sub-block.
  void Finish();

 private:
  static constexpr int kHashBits = 14;
  static constexpr int kHashSize = 1 << kHashBits;
  static constexpr int kMaxWidth = 12;

  void ResetTable();
  int FindSlot(int prefix, int pixel) const;
  // The counting coder of the deferred clear: starts from a cleared table
  // with `pixel` as its first string, then takes one pixel at a time.
  void StartTrial(int pixel);
  void TrialAdd(int pixel);
  // Keeps the full table (true) or clears and codes the held pixels again
  // (false). `last`: the pixels have ended.
  bool Decide(bool last);
  void OutputCode(int code) {
    m_nAccumulator |= static_cast<uint32_t>(code) << m_nAccumulatorBits;
    m_nAccumulatorBits += m_nOutputWidth;
    while (m_nAccumulatorBits >= 8) {
      PutByte(static_cast<uint8_t>(m_nAccumulator & 0xFF));
      m_nAccumulator >>= 8;
      m_nAccumulatorBits -= 8;
    }
  }
  void PutByte(uint8_t value) {
    m_block[m_nBlockCount++] = value;
    if (m_nBlockCount == 255) WriteBlock();
  }
  void WriteBlock();
  void FlushBlock();

  CBufferedFile* m_pStream;
  int m_nDepth;
  bool m_bStarted = false;
  int m_nClearCode;
  int m_nEndCode;
  int m_nInitialWidth;
  int m_nWidth = 0;
  int m_nNextCode = 0;
  int m_nLimit = 0;
  int m_nPrefix = 0;
  int m_nOutputWidth = 0;
  int m_nPixelMask;
  std::unique_ptr<uint32_t[]> m_hash;  // code, prefix and pixel of each slot
  // Deferred clear: while m_bFull, the pixels since the table filled (from
  // the start of the string the trial began with) and the codes the full
  // table gave them, not yet written; m_nStringStart is where in m_held the
  // string being matched starts.
  bool m_bFull = false;
  std::vector<uint8_t> m_held;
  std::vector<uint16_t> m_heldCodes;
  size_t m_nStringStart = 0;
  int64_t m_nHeldAt = 0;  // the position of m_held[0] among the pixels
  int64_t m_nTotal;       // pixels to be encoded, 0 if unknown
  int64_t m_nPosition = 0;         // pixels taken before the current EncodeBytes call
  int64_t m_nGenerationStart = 0;  // the position where the table was last cleared
  std::unique_ptr<uint32_t[]> m_trialHash;
  int m_nTrialNext = 0;
  int m_nTrialWidth = 0;
  int m_nTrialLimit = 0;
  int m_nTrialPrefix = 0;
  int64_t m_nTrialBits = 0;
  std::unique_ptr<uint8_t[]> m_line;
  int m_nLineSize = 0;
  uint8_t m_block[255] = {};
  int m_nBlockCount = 0;
  uint32_t m_nAccumulator = 0;
  int m_nAccumulatorBits = 0;
};
