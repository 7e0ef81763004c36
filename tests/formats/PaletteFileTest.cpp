#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "formats/BuiltinPalettes.h"
#include "formats/MemStream.h"
#include "formats/PaletteFile.h"
#include "imaging/StandardPalettes.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

std::vector<uint8_t> Written(const RGBQUAD* entries, int count) {
  CMemStream stream;
  stream.SetMode(CBufferedFile::kWrite);
  EXPECT_TRUE(WritePaletteFile(entries, count, stream));
  return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetLength());
}

int ReadBack(const std::vector<uint8_t>& bytes, RGBQUAD* entries) {
  CMemStream stream(bytes.data(), static_cast<int>(bytes.size()));
  return ReadPaletteFile(entries, stream);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(PaletteFile, RoundTripAndLayout) {
  RGBQUAD pal[256];
  BuildPalette16(pal);
  const std::vector<uint8_t> bytes = Written(pal, 16);
  ASSERT_EQ(bytes.size(), 88u);
  EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
  EXPECT_EQ(bytes[4], 80);
  EXPECT_EQ(std::memcmp(bytes.data() + 8, "PAL data", 8), 0);
  EXPECT_EQ(bytes[16], 68);
  EXPECT_EQ(bytes[20], 0x00);
  EXPECT_EQ(bytes[21], 0x03);
  EXPECT_EQ(bytes[22], 16);
  // Entries are red, green, blue, 0 in the file.
  EXPECT_EQ(bytes[24 + 4 * 4], 255);
  EXPECT_EQ(bytes[24 + 4 * 4 + 2], 0);
  for (int count : {1, 16, 256}) {
    RGBQUAD source[256], back[256];
    for (int i = 0; i < 256; ++i) source[i] = MakeRGBQuad(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i));
    ASSERT_EQ(ReadBack(Written(source, count), back), count);
    for (int i = 0; i < count; ++i) EXPECT_EQ(back[i], source[i]);
  }
  CMemStream stream;
  stream.SetMode(CBufferedFile::kWrite);
  EXPECT_FALSE(WritePaletteFile(pal, 0, stream));
  EXPECT_FALSE(WritePaletteFile(pal, 257, stream));
}

TEST(PaletteFile, DamagedFilesReadAsNoColours) {
  RGBQUAD pal[256];
  BuildPalette16(pal);
  const std::vector<uint8_t> good = Written(pal, 16);
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
  };
  const std::vector<Case> cases = {
      {"count 257", [](auto& b) { b[22] = 1; b[23] = 1; Put32(b, 16, 4 * 257 + 4); Put32(b, 4, 4 * 257 + 16); b.resize(24 + 4 * 257); }},
      {"count 0", [](auto& b) { b[22] = 0; Put32(b, 16, 4); Put32(b, 4, 16); b.resize(24); }},
      {"riff size short of data + 12", [](auto& b) { Put32(b, 4, 68 + 11); }},
      {"data size too large", [](auto& b) { Put32(b, 16, 4 * 17 + 4); }},
      {"data size too small", [](auto& b) { Put32(b, 16, 4 * 15 + 4); }},
      {"colour table cut short", [](auto& b) { b.resize(b.size() - 1); }},
      {"header cut short", [](auto& b) { b.resize(20); }},
      {"count larger than the table", [](auto& b) { b[22] = 17; Put32(b, 16, 4 * 17 + 4); Put32(b, 4, 4 * 17 + 16); }},
      {"wrong version", [](auto& b) { b[21] = 0x02; }},
      {"not RIFF", [](auto& b) { b[0] = 'X'; }},
      {"not PAL", [](auto& b) { b[11] = '_'; }},
      {"not data", [](auto& b) { b[12] = 'D'; }},
      {"empty", [](auto& b) { b.clear(); }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.damage(bytes);
    RGBQUAD out[256];
    std::fill_n(out, 256, MakeRGBQuad(1, 2, 3));
    EXPECT_EQ(ReadBack(bytes, out), 0) << c.name;
    EXPECT_EQ(out[0], MakeRGBQuad(1, 2, 3)) << c.name << ": entries written on failure";
  }
  // A larger RIFF size (more chunks after the data) is fine.
  std::vector<uint8_t> bigger = good;
  Put32(bigger, 4, 5000);
  RGBQUAD out[256];
  EXPECT_EQ(ReadBack(bigger, out), 16);
}

TEST(PaletteFile, SaveAndLoadByName) {
  TempDir dir;
  RGBQUAD pal[256];
  BuildPalette16(pal);
  struct Case { std::string name, expected; };
  for (const Case& c : {Case{"test", "test.pal"}, Case{"x.", "x.pal"}, Case{"Upper.PAL", "Upper.PAL"},
                        Case{"y.pal", "y.pal"}}) {
    std::string written;
    ASSERT_TRUE(SavePaletteFile(pal, 16, (dir / c.name).string(), &written)) << c.name;
    EXPECT_EQ(written, (dir / c.expected).string());
    EXPECT_EQ(fs::file_size(written), 88u);
    int count = 0;
    RGBQUAD back[256];
    ASSERT_TRUE(LoadPaletteFile(&count, back, written)) << c.name;
    EXPECT_EQ(count, 16);
    EXPECT_EQ(back[15], pal[15]);
  }
  fs::copy_file(dir / "test.pal", dir / "test.act");
  int count = -1;
  RGBQUAD back[256];
  EXPECT_FALSE(LoadPaletteFile(&count, back, (dir / "test.act").string()));
  EXPECT_EQ(count, -1);  // refused before opening
  EXPECT_FALSE(LoadPaletteFile(&count, back, (dir / "missing.pal").string()));
  // A failed save leaves no file behind and the target untouched.
  EXPECT_FALSE(SavePaletteFile(pal, 16, (dir / "no-such-folder" / "p.pal").string()));
  EXPECT_FALSE(SavePaletteFile(pal, 0, (dir / "test.pal").string()));
  EXPECT_EQ(fs::file_size(dir / "test.pal"), 88u);
  int files = 0;
  for (auto& entry : fs::directory_iterator(dir.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 5);
}

TEST(PaletteFile, EndsWithNoCase) {
  EXPECT_TRUE(EndsWithNoCase("a.PAL", ".pal"));
  EXPECT_TRUE(EndsWithNoCase(".pal", ".PaL"));
  EXPECT_FALSE(EndsWithNoCase("pal", ".pal"));
  EXPECT_FALSE(EndsWithNoCase("a.act", ".pal"));
  EXPECT_TRUE(EndsWithNoCase("anything", ""));
}

TEST(BuiltinPalettes, BuiltInPalettesReadThroughThePaletteFileReader) {
  RGBQUAD pal[256];
  ASSERT_EQ(LoadWindows16Palette(pal), 16);
  EXPECT_EQ(pal[0], MakeRGBQuad(0, 0, 0));
  EXPECT_EQ(pal[7], MakeRGBQuad(192, 192, 192));
  EXPECT_EQ(pal[9], MakeRGBQuad(255, 0, 0));
  EXPECT_EQ(pal[15], MakeRGBQuad(255, 255, 255));
  ASSERT_EQ(LoadWindows256Palette(pal), 256);
  EXPECT_EQ(pal[1], MakeRGBQuad(128, 0, 0));
  EXPECT_EQ(pal[16], MakeRGBQuad(0, 0, 0));
  EXPECT_EQ(pal[17], MakeRGBQuad(0, 0, 51));
  EXPECT_EQ(pal[16 + 36], MakeRGBQuad(51, 0, 0));
  EXPECT_EQ(pal[231], MakeRGBQuad(255, 255, 255));
  EXPECT_EQ(pal[232], MakeRGBQuad(8, 8, 8));
  EXPECT_EQ(pal[255], MakeRGBQuad(238, 238, 238));
  EXPECT_EQ(LoadPaletteResource(3, pal), 0);
}

}  // namespace
