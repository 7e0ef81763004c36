#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "formats/BufferedFile.h"
#include "formats/MemStream.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

std::vector<uint8_t> Sequence(int n) {
  std::vector<uint8_t> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 31 + 7);
  return v;
}

class FileStream : public ::testing::TestWithParam<bool> {
 protected:
  bool Buffered() const { return GetParam(); }
  void Open(CBufferedFile& f, const std::string& path, int mode) {
    ASSERT_TRUE(f.Open(path.c_str(), mode));
    if (Buffered()) f.BeginBuffer();
  }
  TempDir dir;
};

TEST_P(FileStream, ReadsValuesLittleEndianAndSeeksLogically) {
  const auto bytes = Sequence(100);
  WriteFileBytes(dir / "in.bin", bytes);
  CBufferedFile f;
  Open(f, (dir / "in.bin").string(), 1);
  EXPECT_EQ(f.ReadByte(), bytes[0]);
  EXPECT_EQ(f.ReadWord(), bytes[1] | bytes[2] << 8);
  EXPECT_EQ(f.Seek(0, 2), 3);  // the logical position, buffered or not
  EXPECT_EQ(f.ReadByte(), bytes[3]);
  EXPECT_EQ(f.Seek(10, 1), 10);
  EXPECT_EQ(f.ReadDword(), uint32_t(bytes[10] | bytes[11] << 8 | bytes[12] << 16 | uint32_t(bytes[13]) << 24));
  EXPECT_EQ(f.Seek(-2, 3), 98);
  uint8_t tail[5] = {};
  EXPECT_EQ(f.Read(tail, 5), 2);  // short read at the end
  EXPECT_TRUE(f.GetError());
  EXPECT_EQ(tail[1], bytes[99]);
}

TEST_P(FileStream, ErrorFlagIsSticky) {
  WriteFileBytes(dir / "one.bin", {42});
  CBufferedFile f;
  Open(f, (dir / "one.bin").string(), 1);
  EXPECT_EQ(f.ReadByte(), 42);
  EXPECT_FALSE(f.GetError());
  EXPECT_EQ(f.ReadByte(), 0);
  EXPECT_TRUE(f.GetError());
  f.Seek(0, 1);
  EXPECT_EQ(f.ReadByte(), 42);
  EXPECT_TRUE(f.GetError());  // a later good read leaves it set
  f.ClearError();
  EXPECT_FALSE(f.GetError());
  EXPECT_EQ(f.ReadWord(), 0);  // a partial word: flag set, value 0
  EXPECT_TRUE(f.GetError());
}

TEST_P(FileStream, WritesReachTheFileOnCloseAndDestruction) {
  const std::string path = (dir / "out.bin").string();
  {
    CBufferedFile f;
    Open(f, path, 2);
    f.Write("abcde", 5);
    f.Close();  // flushes the 5 pending bytes
    EXPECT_EQ(ReadFileBytes(path).size(), 5u);
  }
  const auto big = Sequence(3 * CBufferedFile::kBufferSize + 17);
  {
    CBufferedFile f;
    Open(f, path, 2);  // truncates
    f.WriteByte(1);
    f.WriteWord(0x0302);
    f.WriteDword(0x07060504);
    f.Write(big.data(), static_cast<int>(big.size()));
    EXPECT_FALSE(f.GetWriteError());
  }
  const auto got = ReadFileBytes(path);
  ASSERT_EQ(got.size(), 7 + big.size());
  for (int i = 0; i < 7; ++i) EXPECT_EQ(got[static_cast<size_t>(i)], i + 1);
  EXPECT_TRUE(std::equal(big.begin(), big.end(), got.begin() + 7));
}

TEST_P(FileStream, LargeAndSmallReadsInterleave) {
  const auto bytes = Sequence(5 * CBufferedFile::kBufferSize + 3);
  WriteFileBytes(dir / "big.bin", bytes);
  CBufferedFile f;
  Open(f, (dir / "big.bin").string(), 1);
  std::vector<uint8_t> got(bytes.size());
  size_t pos = 0;
  for (int chunk : {1, 3, 20000, 7, 1, 40000}) {
    const int n = std::min<int>(chunk, static_cast<int>(bytes.size() - pos));
    ASSERT_EQ(f.Read(got.data() + pos, n), n);
    pos += static_cast<size_t>(n);
  }
  ASSERT_EQ(pos, bytes.size());
  EXPECT_EQ(got, bytes);
  EXPECT_FALSE(f.GetError());
}

TEST_P(FileStream, WriteFailuresAreReported) {
  CBufferedFile f;
  ASSERT_TRUE(f.Open("/dev/full", 2));
  if (Buffered()) f.BeginBuffer();
  const auto bytes = Sequence(40000);
  f.Write(bytes.data(), static_cast<int>(bytes.size()));
  f.Close();
  EXPECT_TRUE(f.GetWriteError());
}

INSTANTIATE_TEST_SUITE_P(BufferedAndNot, FileStream, ::testing::Bool());

TEST(BufferedFile, OpenFailuresAndViews) {
  TempDir dir;
  CBufferedFile missing;
  EXPECT_FALSE(missing.Open((dir / "nope").string().c_str(), 1));
  EXPECT_EQ(missing.ReadByte(), 0);  // reads nothing, sets the flag
  EXPECT_TRUE(missing.GetError());
  EXPECT_FALSE(missing.Open(dir.path().string().c_str(), 1));  // a folder

  WriteFileBytes(dir / "empty", {});
  CBufferedFile empty;
  ASSERT_TRUE(empty.Open((dir / "empty").string().c_str(), 1));
  EXPECT_EQ(empty.MapView(nullptr), nullptr);

  CBufferedFile writer;
  ASSERT_TRUE(writer.Open((dir / "w").string().c_str(), 2));
  EXPECT_EQ(writer.MapView(nullptr), nullptr);
  EXPECT_FALSE(writer.Open((dir / "w2").string().c_str(), 2));  // already open

  WriteFileBytes(dir / "data", {1, 2, 3});
  CBufferedFile reader;
  ASSERT_TRUE(reader.Open((dir / "data").string().c_str(), 1));
  int size = 0;
  const uint8_t* view = reader.MapView(&size);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(view[2], 3);
  reader.UnmapView();
}

TEST(MemStream, WriteThenRead) {
  CMemStream m;
  m.Open(nullptr, 2);
  m.WriteByte(1);
  EXPECT_EQ(m.GetCapacity(), 32768);
  m.WriteWord(0x0302);
  m.SetMode(1);
  EXPECT_EQ(m.ReadByte(), 1);
  EXPECT_EQ(m.ReadWord(), 0x0302);
  EXPECT_EQ(m.ReadByte(), 0);  // a fourth byte: 0 and the flag
  EXPECT_TRUE(m.GetError());
  m.Seek(0, 1);
  uint8_t b[3];
  EXPECT_EQ(m.Read(b, 3), 3);
  EXPECT_FALSE(m.GetError());  // a complete read clears it
  m.SetMode(2);
  EXPECT_EQ(m.GetLength(), 0);  // entering write mode empties it
}

TEST(MemStream, SeekRules) {
  CMemStream m;
  m.Open(nullptr, 2);
  const auto bytes = Sequence(10);
  m.Write(bytes.data(), 10);
  EXPECT_EQ(m.Seek(5, 1), 10);  // write mode: nothing changes
  m.SetMode(1);
  EXPECT_EQ(m.Seek(2, 3), 8);   // counts back from the end
  EXPECT_EQ(m.Seek(5, 2), 10);  // clamped
  EXPECT_EQ(m.Seek(-50, 2), 0);
  EXPECT_EQ(m.Seek(4, 9), 0);   // unknown origin leaves it
}

TEST(MemStream, GrowthSteps) {
  CMemStream big;
  big.Open(nullptr, 2);
  const auto bytes = Sequence(40000);
  big.Write(bytes.data(), 40000);
  EXPECT_EQ(big.GetCapacity(), 40000);  // exactly its size for one large write
  CMemStream many;
  many.Open(nullptr, 2);
  for (int i = 0; i < 1 << 20; ++i) many.WriteByte(static_cast<uint8_t>(i));
  EXPECT_EQ(many.GetLength(), 1 << 20);
  EXPECT_FALSE(many.GetWriteError());
  CMemStream copy(many.GetData(), many.GetLength());
  uint8_t b[4];
  copy.Seek(1000, 1);
  ASSERT_EQ(copy.Read(b, 4), 4);
  EXPECT_EQ(b[0], static_cast<uint8_t>(1000));
}

}  // namespace
