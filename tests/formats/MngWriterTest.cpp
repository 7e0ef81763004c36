// The MNG writer: the container's chunks checked byte by byte, every
// embedded picture decoded again, and the file read back by ImageMagick.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "formats/ImageBytes.h"
#include "formats/MngWriter.h"
#include "imaging/FrameOptimizer.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::TempDir;

struct Chunk {
  std::string name;
  std::vector<uint8_t> data;
  size_t offset;  // of the length field
};

uint32_t Dword(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The CRC of PNG chunks (ISO 3309), bit by bit: independent of zlib.
uint32_t Crc(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return crc ^ 0xFFFFFFFFu;
}

// The chunks after the signature; fails the test on a bad length or CRC.
std::vector<Chunk> SplitChunks(const std::vector<uint8_t>& bytes) {
  std::vector<Chunk> chunks;
  const uint8_t signature[8] = {0x8A, 'M', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EXPECT_GE(bytes.size(), 8u);
  EXPECT_EQ(std::memcmp(bytes.data(), signature, 8), 0);
  size_t at = 8;
  while (at + 12 <= bytes.size()) {
    const uint32_t length = Dword(&bytes[at]);
    EXPECT_LE(at + 12 + length, bytes.size());
    if (at + 12 + length > bytes.size()) break;
    Chunk chunk{std::string(reinterpret_cast<const char*>(&bytes[at + 4]), 4),
                std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(at + 8 + length)),
                at};
    EXPECT_EQ(Dword(&bytes[at + 8 + length]), Crc(&bytes[at + 4], length + 4)) << chunk.name;
    chunks.push_back(std::move(chunk));
    at += 12 + length;
  }
  EXPECT_EQ(at, bytes.size());
  return chunks;
}

// A 24-bit picture of one colour with the mask given (8-bit, 0 or 255).
CRasterImage Block(int width, int height, uint8_t r, uint8_t g, uint8_t b, bool holed = false) {
  CRasterImage image;
  image.Create(width, height, 24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.GetWritableBits() + int64_t{y} * image.GetStride();
    for (int x = 0; x < width; ++x) {
      row[3 * x] = r;
      row[3 * x + 1] = g;
      row[3 * x + 2] = b;
    }
  }
  if (holed) {
    image.CreateMask();
    for (int y = 0; y < height; ++y) {
      uint8_t* mask = image.GetWritableMaskBits() + int64_t{y} * image.GetMaskStride();
      for (int x = 0; x < width; ++x) mask[x] = (x + y) % 3 == 0 ? 0 : 255;
    }
  }
  return image;
}

CAnimFrame Frame(CRasterImage image, int left, int top, int delay, int disposal) {
  CAnimFrame frame;
  frame.m_image = std::move(image);
  frame.m_nLeft = static_cast<int16_t>(left);
  frame.m_nTop = static_cast<int16_t>(top);
  frame.m_nDelay = static_cast<uint16_t>(delay);
  frame.m_nFlags = static_cast<uint8_t>(disposal << 2);
  return frame;
}

// Three frames on 30 x 20: an opaque background that stays, a partly
// transparent block on it that is removed again (restore to background),
// and a small block in the corner.
std::vector<CAnimFrame> Animation() {
  std::vector<CAnimFrame> frames;
  frames.push_back(Frame(Block(30, 20, 200, 100, 50), 0, 0, 10, 1));
  frames.push_back(Frame(Block(12, 8, 0, 0, 255, true), 5, 6, 25, 2));
  frames.push_back(Frame(Block(4, 4, 0, 255, 0), 26, 16, 300, 0));
  return frames;
}

// The pictures a viewer shows: the expanded frames on the canvas.
std::vector<CRasterImage> Expected(const std::vector<CAnimFrame>& frames, int width, int height) {
  auto shown = ExpandFrames(frames.data(), static_cast<int>(frames.size()), width, height);
  std::vector<CRasterImage> out;
  for (size_t i = 0; i < frames.size(); ++i)
    out.push_back(testing_support::ToRgb(shown[i].Flatten(width, height, true, RGBQUAD{})));
  return out;
}

// The PNG datastreams between FRAM chunks, each with a PNG signature put in front.
std::vector<std::vector<uint8_t>> EmbeddedPngs(const std::vector<uint8_t>& bytes, const std::vector<Chunk>& chunks) {
  std::vector<std::vector<uint8_t>> pngs;
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (size_t i = 0; i < chunks.size(); ++i) {
    if (chunks[i].name != "IHDR") continue;
    size_t end = i;
    while (end < chunks.size() && chunks[end].name != "IEND") ++end;
    if (end == chunks.size()) break;
    std::vector<uint8_t> png(signature, signature + 8);
    png.insert(png.end(), bytes.begin() + static_cast<std::ptrdiff_t>(chunks[i].offset),
               bytes.begin() + static_cast<std::ptrdiff_t>(chunks[end].offset + 12));
    pngs.push_back(std::move(png));
  }
  return pngs;
}

TEST(MngWriter, ChunksInOrderWithTheDelaysAndEveryPictureDecodes) {
  const std::vector<CAnimFrame> frames = Animation();
  std::vector<uint8_t> bytes;
  ASSERT_EQ(EncodeMng(frames.data(), 3, 30, 20, 0, bytes), IMAGEIO_OK);
  const std::vector<Chunk> chunks = SplitChunks(bytes);
  std::vector<std::string> names;
  for (const Chunk& c : chunks)
    if (c.name != "IDAT") names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"MHDR", "TERM", "FRAM", "IHDR", "IEND", "FRAM", "IHDR", "IEND", "FRAM",
                                             "IHDR", "IEND", "MEND"}));
  ASSERT_EQ(chunks[0].data.size(), 28u);
  const uint8_t* mhdr = chunks[0].data.data();
  EXPECT_EQ(Dword(mhdr), 30u);
  EXPECT_EQ(Dword(mhdr + 4), 20u);
  EXPECT_EQ(Dword(mhdr + 8), 100u);        // ticks per second: delays in 1/100 s
  EXPECT_EQ(Dword(mhdr + 16), 3u);         // frames
  EXPECT_EQ(Dword(mhdr + 20), 335u);       // play time in ticks
  EXPECT_EQ(chunks[1].data, (std::vector<uint8_t>{0}));  // no loop: the last frame stays
  std::vector<uint32_t> delays;
  std::vector<int> modes;
  for (const Chunk& c : chunks)
    if (c.name == "FRAM") {
      ASSERT_EQ(c.data.size(), 14u);
      modes.push_back(c.data[0]);
      EXPECT_EQ(c.data[1], 0);  // no name, separator
      EXPECT_EQ(c.data[2], 2);  // delay for this and later frames
      EXPECT_EQ(c.data[3], 2);  // deterministic, timeout for this and later frames
      EXPECT_EQ(c.data[4], 0);  // clipping unchanged
      EXPECT_EQ(c.data[5], 0);  // sync unchanged
      delays.push_back(Dword(c.data.data() + 6));
      EXPECT_EQ(Dword(c.data.data() + 10), 0x7FFFFFFFu);
    }
  EXPECT_EQ(delays, (std::vector<uint32_t>{10, 25, 300}));
  EXPECT_EQ(modes, (std::vector<int>{3, 0, 0}));

  const auto pngs = EmbeddedPngs(bytes, chunks);
  const auto expected = Expected(frames, 30, 20);
  ASSERT_EQ(pngs.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const CRasterImage decoded = DecodePngBytes(pngs[i].data(), pngs[i].size());
    ASSERT_FALSE(decoded.IsEmpty()) << i;
    EXPECT_EQ(testing_support::CompareRgb(testing_support::ToRgb(decoded), expected[i]), "") << i;
  }
  // The second frame shows the first under its holes; the third shows the
  // background again where the second was.
  const CRasterImage second = testing_support::ToRgb(expected[1]);
  EXPECT_EQ(second.GetRow(6)[3 * 5], 200) << "a hole shows the frame beneath";
  EXPECT_EQ(second.GetRow(6)[3 * 6 + 2], 255);
  EXPECT_EQ(testing_support::ToRgb(expected[2]).GetRow(7)[3 * 7], 200);
}

TEST(MngWriter, LoopCountTable) {
  struct Case {
    uint16_t loops;
    std::vector<uint8_t> term;
  } cases[] = {
      {0, {0}},
      {1, {3, 0, 0, 0, 0, 0, 0, 0, 0, 2}},  // one repeat: two passes
      {3, {3, 0, 0, 0, 0, 0, 0, 0, 0, 4}},
      {65534, {3, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}},
      {65535, {3, 0, 0, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF}},
  };
  const std::vector<CAnimFrame> frames = Animation();
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    ASSERT_EQ(EncodeMng(frames.data(), 3, 30, 20, c.loops, bytes), IMAGEIO_OK);
    const auto chunks = SplitChunks(bytes);
    ASSERT_GE(chunks.size(), 2u);
    EXPECT_EQ(chunks[1].name, "TERM");
    EXPECT_EQ(chunks[1].data, c.term) << c.loops;
  }
}

TEST(MngWriter, RefusesWhatItCannotWriteAndStopsWhenCancelled) {
  const std::vector<CAnimFrame> frames = Animation();
  std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_EQ(EncodeMng(frames.data(), 0, 30, 20, 0, bytes), IMAGEIO_INTERNAL_ERROR);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(EncodeMng(frames.data(), 3, 0, 20, 0, bytes), IMAGEIO_INTERNAL_ERROR);
  EXPECT_EQ(EncodeMng(nullptr, 3, 30, 20, 0, bytes), IMAGEIO_INTERNAL_ERROR);
  static int calls;
  calls = 0;
  EXPECT_EQ(EncodeMng(frames.data(), 3, 30, 20, 0, bytes, [] { return ++calls > 2; }), IMAGEIO_CANCELLED);
  EXPECT_TRUE(bytes.empty());
  // Empty frames become transparent canvases.
  std::vector<CAnimFrame> empty(2);
  ASSERT_EQ(EncodeMng(empty.data(), 2, 5, 4, 0, bytes), IMAGEIO_OK);
  const auto chunks = SplitChunks(bytes);
  const auto pngs = EmbeddedPngs(bytes, chunks);
  ASSERT_EQ(pngs.size(), 2u);
  const CRasterImage decoded = DecodePngBytes(pngs[1].data(), pngs[1].size());
  ASSERT_EQ(decoded.GetWidth(), 5);
  ASSERT_TRUE(decoded.HasValidMask());
}

// Another program reads the file: ImageMagick's MNG reader (through libpng)
// finds the frames, their size, delays and the loop count, and its pixels
// match ours. That reader gives the last frame the larger of the TERM
// chunk's delay between passes (0 here) and the last delay before it, not
// the frame's own: the last delay is not compared.
TEST(MngWriter, ImageMagickReadsItBack) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("identify");
  TempDir dir;
  const std::vector<CAnimFrame> frames = Animation();
  const std::string file = (dir / "anim.mng").string();
  ASSERT_EQ(WriteMngFile(file, frames.data(), 3, 30, 20, 4), IMAGEIO_OK);
  std::string output;
  ASSERT_EQ(testing_support::RunCommand("identify -format '%m %w %h %T|' " + testing_support::ShellQuote(file), &output),
            0)
      << output;
  EXPECT_EQ(output.substr(0, output.rfind(' ')), "MNG 30 20 10|MNG 30 20 25|MNG 30 20") << output;
  struct Loop {
    uint16_t loops;
    const char* iterations;
  } loops[] = {{4, "Iterations: 5"}, {65535, "Iterations: 0"}};  // passes; 0: for ever
  for (const Loop& l : loops) {
    ASSERT_EQ(WriteMngFile(file, frames.data(), 3, 30, 20, l.loops), IMAGEIO_OK);
    ASSERT_EQ(testing_support::RunCommand("identify -verbose " + testing_support::ShellQuote(file) +
                                              " | grep -m1 -o 'Iterations: [0-9]*'",
                                          &output),
              0);
    EXPECT_EQ(output, std::string(l.iterations) + "\n");
  }
  ASSERT_EQ(testing_support::RunCommand("convert " + testing_support::ShellQuote(file) + " -alpha on " +
                                            testing_support::ShellQuote((dir / "f-%d.pam").string()),
                                        &output),
            0)
      << output;
  const auto expected = Expected(frames, 30, 20);
  for (int i = 0; i < 3; ++i) {
    const CRasterImage read = testing_support::ReadPnm(dir / ("f-" + std::to_string(i) + ".pam"));
    EXPECT_EQ(testing_support::CompareRgb(read, expected[static_cast<size_t>(i)]), "") << i;
  }
}

}  // namespace
