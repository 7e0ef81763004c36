#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "base/ResultCodes.h"
#include "formats/GifLzw.h"
#include "formats/MemStream.h"
#include "tests/formats/GifTestStreams.h"

namespace {

using gif_test::CodeWriter;
using gif_test::Pack;
using gif_test::Unpack;

std::vector<uint8_t> Encode(int codeSize, int depth, const std::vector<std::vector<uint8_t>>& rows, int width) {
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  {
    CLzwEncoder encoder(&out, codeSize, depth);
    for (const auto& r : rows) {
      const std::vector<uint8_t> packed = Pack(r, depth);
      encoder.EncodeRow(packed.data(), width);
    }
    encoder.Finish();
  }
  out.WriteByte(0);
  return std::vector<uint8_t>(out.GetData(), out.GetData() + out.GetLength());
}

struct Decoded {
  std::vector<std::vector<uint8_t>> rows;
  int result = IMAGEIO_OK;
  int afterByte = -1;  // the byte following the data, -1 at the end of the stream
};

Decoded Decode(const std::vector<uint8_t>& data, int codeSize, int depth, int width, int height,
               uint8_t fill = 0) {
  std::vector<uint8_t> bytes = data;
  bytes.push_back(0x3B);
  CMemStream in(bytes.data(), static_cast<int>(bytes.size()));
  Decoded d;
  {
    CLzwDecoder decoder(&in, codeSize, width, depth);
    for (int y = 0; y < height; ++y) {
      std::vector<uint8_t> packed = Pack(std::vector<uint8_t>(static_cast<size_t>(width), fill), depth);
      decoder.DecodeRow(packed.data());
      d.rows.push_back(Unpack(packed, depth, width));
    }
    d.result = decoder.GetResult();
    decoder.SkipRemainingData();
  }
  const uint8_t next = in.ReadByte();
  d.afterByte = in.GetError() ? -1 : next;
  return d;
}

TEST(GifLzw, TwoZeroPixelsAtCodeSizeTwoGiveTheKnownBytes) {
  // Codes 4 (clear), 0, 0, 5 (end) at 3 bits, least significant bit first.
  EXPECT_EQ(Encode(2, 8, {{0, 0}}, 2), (std::vector<uint8_t>{0x02, 0x04, 0x0A, 0x00}));
}

TEST(GifLzw, CodeSizeOneIsRaisedToTwo) {
  // Clear code 4 at 3 bits, then pixel 1, then end 5.
  EXPECT_EQ(Encode(1, 1, {{1}}, 1), (std::vector<uint8_t>{0x02, 0x4C, 0x01, 0x00}));
}

struct RoundTripCase {
  int codeSize;
  int depth;
  int width;
  int height;
  bool runs;  // long runs (few codes, long strings) rather than noise
};

class GifLzwRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(GifLzwRoundTrip, DecodingGivesTheRowsBack) {
  const RoundTripCase c = GetParam();
  std::mt19937 rng(static_cast<unsigned>(c.codeSize * 1000 + c.width));
  const int values = std::min(1 << c.codeSize, 1 << c.depth);
  std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(c.height));
  int run = 0, value = 0;
  for (auto& r : rows) {
    r.resize(static_cast<size_t>(c.width));
    for (auto& p : r) {
      if (c.runs) {
        if (run-- <= 0) {
          run = static_cast<int>(rng() % 40);
          value = static_cast<int>(rng() % values);
        }
        p = static_cast<uint8_t>(value);
      } else {
        p = static_cast<uint8_t>(rng() % values);
      }
    }
  }
  const auto data = Encode(c.codeSize, c.depth, rows, c.width);
  const int minimum = std::max(c.codeSize, 2);
  const Decoded d = Decode(data, minimum, c.depth, c.width, c.height);
  EXPECT_EQ(d.result, IMAGEIO_OK);
  EXPECT_EQ(d.afterByte, 0x3B);
  ASSERT_EQ(d.rows.size(), rows.size());
  for (size_t y = 0; y < rows.size(); ++y) ASSERT_EQ(d.rows[y], rows[y]) << "row " << y;
}

std::vector<RoundTripCase> RoundTripCases() {
  std::vector<RoundTripCase> cases;
  for (int codeSize = 1; codeSize <= 8; ++codeSize) {
    const int depth = codeSize == 1 ? 1 : codeSize <= 4 ? 4 : 8;
    // Noise fills the table many times over (width changes and the clear
    // after code 4095); odd widths cross byte edges of packed rows.
    cases.push_back({codeSize, depth, 1, 7, false});
    cases.push_back({codeSize, depth, 33, 9, false});
    cases.push_back({codeSize, depth, 301, 211, false});
    cases.push_back({codeSize, depth, 257, 150, true});
    if (depth == 8) cases.push_back({codeSize, 8, 640, 480, false});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllCodeSizes, GifLzwRoundTrip, ::testing::ValuesIn(RoundTripCases()),
                         [](const auto& info) {
                           const auto& c = info.param;
                           return "size" + std::to_string(c.codeSize) + "_depth" + std::to_string(c.depth) + "_" +
                                  std::to_string(c.width) + "x" + std::to_string(c.height) +
                                  (c.runs ? "_runs" : "_noise");
                         });

TEST(GifLzw, StreamThatNeverClearsAFullTableIsRead) {
  // An encoder that keeps sending 12-bit codes once the table is full,
  // clearing only much later (a deferred clear).
  std::mt19937 rng(7);
  std::vector<uint8_t> pixels(60000);
  for (auto& p : pixels) p = static_cast<uint8_t>(rng() % 16);
  const auto data = gif_test::EncodeDeferredClear(pixels, 4, 20000);
  const int width = 200;
  const Decoded d = Decode(data, 4, 8, width, 300);
  EXPECT_EQ(d.result, IMAGEIO_OK);
  for (int y = 0; y < 300; ++y)
    ASSERT_EQ(d.rows[static_cast<size_t>(y)],
              std::vector<uint8_t>(pixels.begin() + y * width, pixels.begin() + (y + 1) * width))
        << "row " << y;
}

// Decoded pixels go through a history of a few megabytes that is compacted
// when full: strings of entries made before that are spelt out from the
// table instead of copied. A stream that never clears its full table keeps
// using such entries long after.
TEST(GifLzw, LongImagesReadAcrossHistoryCompactions) {
  std::mt19937 rng(11);
  const int width = 1000, height = 5200;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size();) {
    const uint8_t value = static_cast<uint8_t>(rng() % 16);
    const size_t run = 1 + rng() % 6;
    for (size_t k = 0; k < run && i < pixels.size(); ++k) pixels[i++] = value;
  }
  for (const int fullRunCodes : {1 << 30, 5000}) {
    const auto data = gif_test::EncodeDeferredClear(pixels, 4, fullRunCodes);
    const Decoded d = Decode(data, 4, 8, width, height);
    EXPECT_EQ(d.result, IMAGEIO_OK);
    for (int y = 0; y < height; ++y)
      ASSERT_EQ(d.rows[static_cast<size_t>(y)],
                std::vector<uint8_t>(pixels.begin() + y * width, pixels.begin() + (y + 1) * width))
          << "row " << y << " full-table run " << fullRunCodes;
  }
}

TEST(GifLzw, CodeBeyondTheNextFreeCodeStopsTheRowAndIsCorrupt) {
  CodeWriter w;
  w.Put(4, 3);  // clear
  w.Put(1, 3);
  w.Put(7, 3);  // the next free code is 6 here: 7 is beyond it
  w.Put(1, 3);
  w.Put(5, 3);
  const Decoded d = Decode(w.Finish(), 2, 8, 5, 2, 9);
  EXPECT_EQ(d.result, IMAGEIO_CORRUPT);
  EXPECT_EQ(d.rows[0], (std::vector<uint8_t>{1, 9, 9, 9, 9}));
  EXPECT_EQ(d.rows[1], (std::vector<uint8_t>{9, 9, 9, 9, 9}));
  EXPECT_EQ(d.afterByte, 0x3B);
}

TEST(GifLzw, NonRootCodeRightAfterClearIsCorrupt) {
  CodeWriter w;
  w.Put(4, 3);
  w.Put(6, 3);
  w.Put(5, 3);
  const Decoded d = Decode(w.Finish(), 2, 8, 3, 1, 9);
  EXPECT_EQ(d.result, IMAGEIO_CORRUPT);
  EXPECT_EQ(d.rows[0], (std::vector<uint8_t>{9, 9, 9}));
}

TEST(GifLzw, CodeSizesOutsideOneToElevenAreRefused) {
  for (int size : {0, 12, 13, 255}) {
    const Decoded d = Decode({0x02, 0xFF, 0xFF, 0x00}, size, 8, 4, 2, 9);
    EXPECT_EQ(d.result, IMAGEIO_CORRUPT) << size;
    EXPECT_EQ(d.rows[0], (std::vector<uint8_t>{9, 9, 9, 9})) << size;
    EXPECT_EQ(d.afterByte, 0x3B) << size;
  }
}

TEST(GifLzw, StringLongerThanThePixelsLeftFillsTheImageOnly) {
  // Ten 1s encoded, two rows of three asked for: the rest is dropped.
  const auto data = Encode(2, 8, {std::vector<uint8_t>(10, 1)}, 10);
  const Decoded d = Decode(data, 2, 8, 3, 2);
  EXPECT_EQ(d.result, IMAGEIO_OK);
  EXPECT_EQ(d.rows[0], (std::vector<uint8_t>{1, 1, 1}));
  EXPECT_EQ(d.rows[1], (std::vector<uint8_t>{1, 1, 1}));
  EXPECT_EQ(d.afterByte, 0x3B);
}

TEST(GifLzw, StringsContinueAcrossRows) {
  const std::vector<std::vector<uint8_t>> rows = {{1, 2, 1}, {2, 1, 2}, {1, 2, 1}};
  const auto data = Encode(2, 4, rows, 3);
  const Decoded d = Decode(data, 2, 4, 3, 3);
  EXPECT_EQ(d.rows, rows);
}

TEST(GifLzw, DataEndingEarlyLeavesTheLaterRowsAndIsCorrupt) {
  const auto data = Encode(8, 8, {std::vector<uint8_t>(4, 7)}, 4);  // one row of four
  const Decoded d = Decode(data, 8, 8, 4, 3, 9);
  EXPECT_EQ(d.result, IMAGEIO_CORRUPT);
  EXPECT_EQ(d.rows[0], (std::vector<uint8_t>{7, 7, 7, 7}));
  EXPECT_EQ(d.rows[1], (std::vector<uint8_t>{9, 9, 9, 9}));
  // After the end code the rest of the data, up to its zero-length sub-block, is skipped.
  EXPECT_EQ(d.afterByte, 0x3B);
}

TEST(GifLzw, TruncatedStreamsEndWithoutHanging) {
  std::mt19937 rng(3);
  std::vector<std::vector<uint8_t>> rows(40, std::vector<uint8_t>(50));
  for (auto& r : rows)
    for (auto& p : r) p = static_cast<uint8_t>(rng() % 256);
  const auto data = Encode(8, 8, rows, 50);
  for (size_t cut = 0; cut < data.size(); cut += 37) {
    std::vector<uint8_t> part(data.begin(), data.begin() + static_cast<long>(cut));
    CMemStream in(part.data(), static_cast<int>(part.size()));
    CLzwDecoder decoder(&in, 8, 50, 8);
    std::vector<uint8_t> row(50);
    for (int y = 0; y < 40; ++y) decoder.DecodeRow(row.data());
    EXPECT_EQ(decoder.GetResult(), IMAGEIO_CORRUPT) << cut;
    decoder.SkipRemainingData();
  }
}

TEST(GifLzw, ZeroLengthSubBlockEndsTheDataForGood) {
  // One code then a terminator, then more sub-blocks that belong to the next
  // block of the file: the decoder must not read them as image data.
  CodeWriter w;
  w.Put(4, 3);
  w.Put(1, 3);
  std::vector<uint8_t> data = w.Finish();  // ends with 00
  data.push_back(0x21);
  const Decoded d = Decode(data, 2, 8, 4, 2, 9);
  EXPECT_EQ(d.result, IMAGEIO_CORRUPT);
  EXPECT_EQ(d.rows[0], (std::vector<uint8_t>{1, 9, 9, 9}));
  EXPECT_EQ(d.afterByte, 0x21);
}

TEST(GifLzw, RandomBytesNeverHang) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<uint8_t> data(rng() % 600);
    for (auto& b : data) b = static_cast<uint8_t>(rng());
    CMemStream in(data.data(), static_cast<int>(data.size()));
    const int size = 1 + static_cast<int>(rng() % 11);
    CLzwDecoder decoder(&in, size, 37, 8);
    std::vector<uint8_t> row(37);
    for (int y = 0; y < 30; ++y) decoder.DecodeRow(row.data());
    decoder.SkipRemainingData();
  }
}

}  // namespace
