#include <gtest/gtest.h>

#include "imaging/Dib.h"
#include "imaging/PixelAccess.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

CRasterImage IndexedPicture(int width, int height, int bpp) {
  CRasterImage image;
  image.Create(width, height, bpp);
  const int colors = 1 << bpp;
  for (int i = 0; i < colors; ++i)
    image.GetWritablePalette()[i] = MakeRGBQuad(i * 255 / (colors - 1), (i * 37) & 255, 255 - i * 255 / (colors - 1));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      GetPixelSetter(bpp)(image.GetWritableBits() + y * image.GetStride(), x, (x + 3 * y) % colors);
  return image;
}

TEST(Dib, RoundTripEveryDepthAcrossByteEdges) {
  for (int bpp : {1, 4, 8, 24})
    for (int width : {1, 5, 7, 8, 9, 33}) {
      const CRasterImage image = bpp == 24 ? MakeTestPicture(width, 3) : IndexedPicture(width, 3, bpp);
      const std::vector<uint8_t> dib = ImageToDib(image);
      const CRasterImage back = DibToImage(dib.data(), dib.size());
      ASSERT_EQ(back.GetBitsPerPixel(), bpp);
      EXPECT_EQ(CompareRgb(image, back), "") << bpp << " bits, width " << width;
    }
}

TEST(Dib, ImageFromAMemoryBlock) {
  const CRasterImage image = MakeTestPicture(6, 4);
  const std::vector<uint8_t> dib = ImageToDib(image);
  EXPECT_EQ(CompareRgb(ImageFromGlobalDib(&dib), image), "");
  const std::vector<uint8_t> none;
  EXPECT_TRUE(ImageFromGlobalDib(&none).IsEmpty());
  EXPECT_TRUE(ImageFromGlobalDib(nullptr).IsEmpty());
}

TEST(Dib, LayoutOfA24BitImage) {
  const CRasterImage image = MakeTestPicture(5, 2);
  const std::vector<uint8_t> dib = ImageToDib(image);
  ASSERT_EQ(dib.size(), 40u + 2 * 16);  // 15 pixel bytes in a 16-byte row
  EXPECT_EQ(dib[40 + 15], 0);           // padding is zero
  EXPECT_EQ(dib[40], image.GetRow(1)[2]);  // bottom row first, blue first
  EXPECT_TRUE(ImageToDib(CRasterImage()).empty());
}

std::vector<uint8_t> Dib32(const std::vector<uint32_t>& pixels, int width, int height, int compression = 0) {
  std::vector<uint8_t> dib(40 + (compression ? 12 : 0) + pixels.size() * 4);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) dib[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, width);
  put32(8, height);
  dib[12] = 1;
  dib[14] = 32;
  put32(16, compression);
  size_t at = 40;
  if (compression) {
    put32(40, 0xFF0000), put32(44, 0xFF00), put32(48, 0xFF);
    at = 52;
  }
  for (uint32_t p : pixels) put32(at, p), at += 4;
  return dib;
}

TEST(Dib, ThirtyTwoBitAlpha) {
  // A uniform top byte, 0 or 255, means opaque: no mask.
  for (uint32_t top : {0u, 0xFF000000u}) {
    const auto dib = Dib32({top | 0x102030, top | 0x405060}, 2, 1);
    const CRasterImage image = DibToImage(dib.data(), dib.size());
    ASSERT_FALSE(image.IsEmpty());
    EXPECT_FALSE(image.HasMask());
    EXPECT_EQ(image.GetRow(0)[0], 0x10);
    EXPECT_EQ(image.GetRow(0)[5], 0x60);
  }
  const auto mixed = Dib32({0x80102030, 0x00405060}, 2, 1);
  const CRasterImage image = DibToImage(mixed.data(), mixed.size());
  ASSERT_TRUE(image.HasValidMask());
  EXPECT_EQ(image.GetMaskRow(0)[0], 0x80);
  EXPECT_EQ(image.GetMaskRow(0)[1], 0);
}

TEST(Dib, SixteenBitDefaultsAndTopDownRows) {
  std::vector<uint8_t> dib(40 + 8, 0);
  dib[0] = 40, dib[4] = 2, dib[8] = 0xFE, dib[9] = 0xFF, dib[10] = 0xFF, dib[11] = 0xFF;  // height -2
  dib[12] = 1, dib[14] = 16;
  dib[40] = 0xFF, dib[41] = 0x7F;  // top-left pixel 0x7FFF
  const CRasterImage image = DibToImage(dib.data(), dib.size());
  ASSERT_EQ(image.GetHeight(), 2);
  EXPECT_EQ(image.GetRow(0)[0], 248);
  EXPECT_EQ(image.GetRow(0)[2], 248);
  EXPECT_EQ(image.GetRow(1)[0], 0);
}

TEST(Dib, HostileHeadersGiveAnEmptyImage) {
  const CRasterImage good = IndexedPicture(9, 4, 8);
  const std::vector<uint8_t> dib = ImageToDib(good);
  auto with = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> d = dib;
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
    return d;
  };
  const std::vector<std::vector<uint8_t>> cases = {
      with(0, 39), with(0, 100000), with(4, 0), with(4, 40000), with(8, 0x80000000u), with(8, 100),
      with(16, 1 /*RLE8*/), with(14, 7 | (1u << 16)), {dib.begin(), dib.end() - 1}, {dib.begin(), dib.begin() + 39}};
  for (size_t i = 0; i < cases.size(); ++i)
    EXPECT_TRUE(DibToImage(cases[i].data(), cases[i].size()).IsEmpty()) << "case " << i;
  EXPECT_TRUE(DibToImage(nullptr, 100).IsEmpty());
  EXPECT_FALSE(DibToImage(dib.data(), dib.size()).IsEmpty());
}

// BMP files made by other programs, with their 14-byte file header removed.
TEST(Dib, ReadsWhatOtherProgramsWrite) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  const CRasterImage picture = MakeTestPicture(13, 7);
  CRasterImage withAlpha = picture;
  withAlpha.CreateMask();
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) withAlpha.GetWritableMaskBits()[y * withAlpha.GetMaskStride() + x] = (x * 20) & 255;
  WritePam(dir / "rgb.pam", picture);
  WritePam(dir / "rgba.pam", withAlpha);
  struct Case { const char* name; std::string command; const CRasterImage* expected; int tolerance; };
  const std::string in = ShellQuote((dir / "rgb.pam").string()), inA = ShellQuote((dir / "rgba.pam").string());
  const Case cases[] = {
      {"bmp3-24", "convert " + in + " BMP3:" + ShellQuote((dir / "a.bmp").string()), &picture, 0},
      {"bmp4-alpha", "convert " + inA + " -define bmp:format=bmp4 " + ShellQuote((dir / "a.bmp").string()), &withAlpha, 0},
      {"bmp5-alpha", "convert " + inA + " BMP:" + ShellQuote((dir / "a.bmp").string()), &withAlpha, 0},
      {"rgb565", "convert " + in + " -define bmp:subtype=RGB565 " + ShellQuote((dir / "a.bmp").string()), &picture,
       // 5 and 6 bits per channel, scaled by the writer and widened by shifting here
       16},
      {"pillow-24", "convert " + in + " " + ShellQuote((dir / "rgb.png").string()) + " && " + Python() +
                        " -c \"from PIL import Image; Image.open('" + (dir / "rgb.png").string() +
                        "').save('" + (dir / "a.bmp").string() + "')\"", &picture, 0},
  };
  for (const Case& c : cases) {
    std::string out;
    ASSERT_EQ(RunCommand(c.command, &out), 0) << c.name << ": " << out;
    const std::vector<uint8_t> file = ReadFileBytes(dir / "a.bmp");
    ASSERT_GT(file.size(), 54u) << c.name;
    const CRasterImage got = DibToImage(file.data() + 14, file.size() - 14);
    ASSERT_FALSE(got.IsEmpty()) << c.name;
    EXPECT_EQ(CompareRgb(*c.expected, got, c.tolerance), "") << c.name;
  }
}

TEST(Dib, OurBmpFilesReadInOtherPrograms) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  for (int bpp : {1, 4, 8, 24}) {
    const CRasterImage image = bpp == 24 ? MakeTestPicture(11, 6) : IndexedPicture(11, 6, bpp);
    WriteFileBytes(dir / "ours.bmp", ImageToBmpFile(image));
    std::string out;
    ASSERT_EQ(RunCommand("convert " + ShellQuote((dir / "ours.bmp").string()) + " -depth 8 " +
                             ShellQuote((dir / "back.pam").string()), &out), 0) << out;
    EXPECT_EQ(CompareRgb(image, ReadPnm(dir / "back.pam")), "") << bpp;
  }
}

}  // namespace
