#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "imaging/ColorConversion.h"
#include "imaging/Quantizer.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

CRasterImage FromColors(const std::vector<RGBQUAD>& colors, int width) {
  CRasterImage image;
  const int height = static_cast<int>((colors.size() + width - 1) / width);
  EXPECT_TRUE(image.Create(width, height, 24));
  for (size_t i = 0; i < colors.size(); ++i) {
    uint8_t* p = image.GetWritableBits() + (i / width) * image.GetStride() + 3 * (i % width);
    p[0] = colors[i].rgbRed;
    p[1] = colors[i].rgbGreen;
    p[2] = colors[i].rgbBlue;
  }
  return image;
}

// Octree order: red, green, blue of bit 7, then of bit 6, and so on.
uint32_t InterleavedKey(const RGBQUAD& c) {
  uint32_t key = 0;
  for (int bit = 7; bit >= 0; --bit)
    key = (key << 3) | (((c.rgbRed >> bit) & 1u) << 2) | (((c.rgbGreen >> bit) & 1u) << 1) | ((c.rgbBlue >> bit) & 1u);
  return key;
}

TEST(Quantizer, FewColoursComeBackExactlyInOctreeOrder) {
  std::vector<RGBQUAD> colors = {MakeRGBQuad(255, 0, 0), MakeRGBQuad(0, 255, 0), MakeRGBQuad(10, 20, 30),
                                 MakeRGBQuad(0, 0, 255), MakeRGBQuad(200, 201, 202)};
  std::vector<RGBQUAD> pixels;
  for (int k = 0; k < 7; ++k) pixels.insert(pixels.end(), colors.begin(), colors.end());
  CRasterImage image = FromColors(pixels, 5);
  CPixelSource source(1);
  ASSERT_TRUE(source.AddImage(&image));
  RGBQUAD palette[256];
  ASSERT_EQ(BuildOptimalPalette(source, palette, 256, 8), 5);
  std::sort(colors.begin(), colors.end(), [](const RGBQUAD& a, const RGBQUAD& b) { return InterleavedKey(a) < InterleavedKey(b); });
  for (int i = 0; i < 5; ++i) EXPECT_EQ(palette[i], colors[static_cast<size_t>(i)]) << i;
}

TEST(Quantizer, OneEntryIsThePixelWeightedMean) {
  std::vector<RGBQUAD> pixels(3, MakeRGBQuad(0, 0, 0));
  pixels.push_back(MakeRGBQuad(200, 100, 40));
  CRasterImage image = FromColors(pixels, 2);
  CPixelSource source(1);
  ASSERT_TRUE(source.AddImage(&image));
  RGBQUAD palette[1];
  ASSERT_EQ(BuildOptimalPalette(source, palette, 1, 8), 1);
  EXPECT_EQ(palette[0], MakeRGBQuad(50, 25, 10));
}

TEST(Quantizer, RefusedArguments) {
  CRasterImage image = MakeTestPicture(8, 8);
  CPixelSource source(1);
  ASSERT_TRUE(source.AddImage(&image));
  EXPECT_FALSE(source.AddImage(&image));  // full
  CRasterImage empty;
  CPixelSource other(2);
  EXPECT_FALSE(other.AddImage(&empty));
  RGBQUAD palette[256];
  EXPECT_EQ(BuildOptimalPalette(source, palette, 256, 9), 0);
  EXPECT_EQ(BuildOptimalPalette(source, palette, 0, 8), 0);
  EXPECT_EQ(BuildOptimalPalette(source, palette, -3, 8), 0);
  EXPECT_EQ(BuildOptimalPalette(other, palette, 256, 8), 0);
}

TEST(Quantizer, NeverMoreEntriesThanAskedAndMapsWell) {
  const CRasterImage picture = MakeTestPicture(160, 120, 4);
  for (int n : {2, 16, 256}) {
    for (int depth : {4, 8}) {
      CPixelSource source(1);
      ASSERT_TRUE(source.AddImage(&picture));
      RGBQUAD palette[256];
      const int got = BuildOptimalPalette(source, palette, n, depth);
      EXPECT_GE(got, std::min(n, 2));
      EXPECT_LE(got, n);
      CRasterImage mapped = MapToPalette(picture, got, palette, false);
      if (n == 256 && depth == 8) {
        EXPECT_GT(Psnr(picture, mapped), 30.0);
      }
    }
  }
}

TEST(Quantizer, OneColourOverTwelveMegapixelsStaysExact) {
  for (const RGBQUAD color : {MakeRGBQuad(255, 255, 255), MakeRGBQuad(201, 99, 7)}) {
    CRasterImage image;
    ASSERT_TRUE(image.Create(4000, 3000, 24));
    uint8_t* bits = image.GetWritableBits();
    for (int64_t i = 0; i < int64_t{4000} * 3000; ++i) {
      bits[3 * i] = color.rgbRed;
      bits[3 * i + 1] = color.rgbGreen;
      bits[3 * i + 2] = color.rgbBlue;
    }
    CPixelSource source(1);
    ASSERT_TRUE(source.AddImage(&image));
    RGBQUAD palette[256];
    ASSERT_EQ(BuildOptimalPalette(source, palette, 256, 8), 1);
    EXPECT_EQ(palette[0], color);
    ASSERT_EQ(BuildOptimalPalette(source, palette, 256, 3), 1);  // one merged leaf
    EXPECT_EQ(palette[0], color);
  }
}

TEST(Quantizer, NodeCountStaysBoundedOverMillionsOfColours) {
  COctreeQuantizer octree(8, 264);
  // Every one of the 2^24 colours once, in raster order and scrambled.
  for (uint32_t c = 0; c < (1u << 24); ++c)
    octree.AddColor(static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c));
  EXPECT_LE(octree.GetLeafCount(), 264);
  EXPECT_LT(octree.GetPoolNodeCount(), 264 * 9 + 512);
  COctreeQuantizer scrambled(8, 264);
  for (uint32_t i = 0; i < (1u << 24); ++i) {
    const uint32_t c = i * 2654435761u >> 8;
    scrambled.AddColor(static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c));
  }
  EXPECT_LE(scrambled.GetLeafCount(), 264);
  EXPECT_LT(scrambled.GetPoolNodeCount(), 264 * 9 + 512);
  EXPECT_LE(octree.GetLeafCount(), 264);
  EXPECT_LT(octree.GetPoolNodeCount(), 264 * 9 + 512);
}

TEST(Quantizer, SeveralImagesShareOnePalette) {
  const CRasterImage reds = FromColors(std::vector<RGBQUAD>(10, MakeRGBQuad(250, 0, 0)), 5);
  const CRasterImage blues = FromColors(std::vector<RGBQUAD>(10, MakeRGBQuad(0, 0, 250)), 5);
  CPixelSource source(2);
  ASSERT_TRUE(source.AddImage(&reds));
  ASSERT_TRUE(source.AddImage(&blues));
  RGBQUAD palette[4];
  ASSERT_EQ(BuildOptimalPalette(source, palette, 4, 8), 2);
  EXPECT_EQ(palette[0], MakeRGBQuad(0, 0, 250));
  EXPECT_EQ(palette[1], MakeRGBQuad(250, 0, 0));
}

TEST(Quantizer, CountUniqueColorsIgnoresTransparentPixels) {
  CRasterImage image = FromColors({MakeRGBQuad(1, 2, 3), MakeRGBQuad(1, 2, 3), MakeRGBQuad(9, 9, 9), MakeRGBQuad(7, 7, 7)}, 2);
  CPixelSource source(1);
  ASSERT_TRUE(source.AddImage(&image));
  EXPECT_EQ(CountUniqueColors(source), 3);
  ASSERT_TRUE(image.CreateMask());
  uint8_t* mask = image.GetWritableMaskBits();
  mask[0] = 255;
  mask[1] = 255;
  mask[image.GetMaskStride()] = 1;  // (9, 9, 9) barely visible, (7, 7, 7) hidden
  CPixelSource masked(1);
  ASSERT_TRUE(masked.AddImage(&image));
  EXPECT_EQ(CountUniqueColors(masked), 2);
  uint8_t r, g, b, a;
  int seen = 0;
  while (masked.NextPixel(&r, &g, &b, &a)) {
    ++seen;
    if (r == 9) {
      EXPECT_EQ(a, 1);
    }
  }
  EXPECT_EQ(seen, 3);
}

// Photo-like pictures from ImageMagick, counted by identify and by us.
TEST(Quantizer, UniqueColourCountMatchesImageMagick) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("identify");
  TempDir dir;
  const std::vector<std::string> recipes = {
      "rose:",
      "-seed 11 -size 400x300 plasma:fractal -blur 0x2",
      "-seed 5 -size 320x240 plasma:red-blue +noise Gaussian",
      "-size 256x64 gradient:black-white",
  };
  for (size_t i = 0; i < recipes.size(); ++i) {
    const fs::path file = dir / ("picture" + std::to_string(i) + ".ppm");
    ASSERT_EQ(RunCommand("convert " + recipes[i] + " -depth 8 " + ShellQuote(file.string())), 0) << recipes[i];
    std::string out;
    ASSERT_EQ(RunCommand("identify -format %k " + ShellQuote(file.string()), &out), 0);
    const CRasterImage image = ReadPnm(file);
    ASSERT_FALSE(image.IsEmpty());
    CPixelSource source(1);
    ASSERT_TRUE(source.AddImage(&image));
    EXPECT_EQ(CountUniqueColors(source), std::stoi(out)) << recipes[i];
    RGBQUAD palette[256];
    const int n = BuildOptimalPalette(source, palette, 256, 8);
    EXPECT_EQ(n, std::min(256, std::stoi(out))) << recipes[i];
    // A picture of at most 256 colours maps onto its palette without loss.
    if (n < 256 || std::stoi(out) == 256) {
      EXPECT_EQ(CompareRgb(MapToPalette(image, n, palette, false), image), "") << recipes[i];
    }
  }
}

// The adaptive palette is at least as good as ImageMagick's -colors 256 and
// pngquant's on photo-like pictures, mapped with and without dithering.
TEST(Quantizer, QualityAtLeastImageMagicksAndPngquants) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("pngquant");
  TempDir dir;
  const fs::path input = dir / "photo.ppm";
  const fs::path inputPng = dir / "photo.png";
  ASSERT_EQ(RunCommand("convert -seed 7 -size 480x320 plasma:fractal -blur 0x3 -attenuate 0.25 +noise Gaussian "
                       "-depth 8 " + ShellQuote(input.string())), 0);
  ASSERT_EQ(RunCommand("convert " + ShellQuote(input.string()) + " " + ShellQuote(inputPng.string())), 0);
  const CRasterImage image = ReadPnm(input);
  ASSERT_FALSE(image.IsEmpty());
  CPixelSource source(1);
  ASSERT_TRUE(source.AddImage(&image));
  RGBQUAD palette[256];
  const int n = BuildOptimalPalette(source, palette, 256, 8);
  ASSERT_EQ(n, 256);
  const std::string in = ShellQuote(input.string()), inPng = ShellQuote(inputPng.string());
  const fs::path theirs = dir / "theirs.png";
  const std::string out = ShellQuote(theirs.string());
  struct Case { bool diffuse; std::string command; };
  const Case cases[] = {
      {false, "MAGICK_THREAD_LIMIT=1 convert " + in + " +dither -colors 256 " + out},
      {true, "MAGICK_THREAD_LIMIT=1 convert " + in + " -dither FloydSteinberg -colors 256 " + out},
      {false, "pngquant 256 --nofs --force --output " + out + " " + inPng},
      {true, "pngquant 256 --force --output " + out + " " + inPng},
  };
  for (const Case& c : cases) {
    fs::remove(theirs);
    ASSERT_EQ(RunCommand(c.command), 0) << c.command;
    const fs::path back = dir / "theirs.ppm";
    ASSERT_EQ(RunCommand("convert " + out + " -depth 8 " + ShellQuote(back.string())), 0);
    const double ours = Psnr(image, MapToPalette(image, n, palette, c.diffuse));
    const double reference = Psnr(image, ReadPnm(back));
    EXPECT_GE(ours, reference) << c.command;
  }
}

// Tempered diffusion still dithers: a slow gradient mapped onto a few levels
// keeps its local mean instead of breaking into bands, while a picture the
// palette holds exactly comes back unchanged.
TEST(Quantizer, DiffusionStillBreaksUpBandsOfGradients) {
  CRasterImage ramp;
  ASSERT_TRUE(ramp.Create(256, 32, 24));
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 256; ++x) {
      uint8_t* p = ramp.GetWritableBits() + static_cast<int64_t>(y) * ramp.GetStride() + 3 * x;
      p[0] = p[1] = p[2] = static_cast<uint8_t>(x);
    }
  RGBQUAD grays[5];
  for (int i = 0; i < 5; ++i) {
    const uint8_t v = static_cast<uint8_t>(i * 255 / 4);
    grays[i] = MakeRGBQuad(v, v, v);
  }
  const CRasterImage plain = ConvertTo24Bit(MapToPalette(ramp, 5, grays, false));
  const CRasterImage dithered = ConvertTo24Bit(MapToPalette(ramp, 5, grays, true));
  ASSERT_FALSE(plain.IsEmpty());
  ASSERT_FALSE(dithered.IsEmpty());
  auto columnMean = [](const CRasterImage& image, int x0) {
    double sum = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = x0; x < x0 + 16; ++x) sum += image.GetBits()[y * image.GetStride() + 3 * x];
    return sum / (32 * 16);
  };
  double plainError = 0, ditheredError = 0;
  for (int x0 = 0; x0 < 256; x0 += 16) {
    const double want = x0 + 7.5;
    plainError += std::abs(columnMean(plain, x0) - want);
    ditheredError += std::abs(columnMean(dithered, x0) - want);
  }
  EXPECT_LT(ditheredError, plainError / 4) << plainError << " " << ditheredError;
  EXPECT_LT(ditheredError / 16, 4.0);
}

}  // namespace
