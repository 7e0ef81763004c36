// The image clipboard with other programs: what Copy offers is read back by
// another process (xclip) identical, as PNG and as BMP; Paste takes what
// another process offers (PNG, and BMP files with the larger headers); the
// cached "is there an image" follows without blocking; Empty drops ours.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/clipbrd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "formats/ImageBytes.h"
#include "imaging/ColorConversion.h"
#include "shell/ImageClipboard.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::ReadFileBytes;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

// xclip stays behind to serve what it put on the clipboard: its output must
// not hold the test's pipe open.
constexpr const char* kDetached = " </dev/null >/dev/null 2>&1";

// Runs a command in another thread while this one keeps serving the
// clipboard (the other program asks us for the data), and returns its exit
// code and output.
int RunServing(const std::string& command, std::string* output = nullptr) {
  std::atomic<bool> done{false};
  int code = -1;
  std::string out;
  std::thread worker([&] {
    code = RunCommand(command, &out);
    done = true;
  });
  PumpUntil([&] { return done.load(); }, 20000);
  worker.join();
  if (output) *output = out;
  return code;
}

// A 24-bit picture with a different colour in every pixel.
CRasterImage Picture(int w, int h) {
  CRasterImage image;
  EXPECT_TRUE(image.Create(w, h, 24));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = image.GetWritableBits() + y * image.GetStride() + 3 * x;
      p[0] = static_cast<uint8_t>(x * 7);
      p[1] = static_cast<uint8_t>(y * 11);
      p[2] = static_cast<uint8_t>((x + y) * 5);
    }
  return image;
}

// The RGB bytes of a file as ImageMagick reads it.
std::vector<uint8_t> RgbOf(const std::string& path) {
  TempDir dir;
  const std::string out = (dir.path() / "out.rgb").string();
  EXPECT_EQ(RunCommand("convert " + ShellQuote(path) + " -depth 8 rgb:" + ShellQuote(out)), 0);
  return ReadFileBytes(out);
}

std::vector<uint8_t> RgbOf(const CRasterImage& source) {
  const CRasterImage image = source.GetBitsPerPixel() == 24 ? source : ConvertTo24Bit(source);
  std::vector<uint8_t> out;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const uint8_t* p = image.GetBits() + y * image.GetStride() + 3 * x;
      out.insert(out.end(), {p[0], p[1], p[2]});
    }
  return out;
}

std::string Targets() {
  std::string out;
  RunServing("xclip -selection clipboard -t TARGETS -o 2>/dev/null", &out);
  return out;
}

struct ClipboardFixture {
  ClipboardFixture() { StartClipboardWatch(100); }
  ~ClipboardFixture() {
    // Take the clipboard back from any xclip left serving it, then drop it.
    CRasterImage dot;
    dot.Create(1, 1, 24);
    PutImageOnClipboard(dot);
    EmptyOwnClipboard();
    StopClipboardWatch();
  }
};

TEST(ImageClipboard, CopyOffersPngAndBmpThatAnotherProgramReadsBackIdentical) {
  REQUIRE_TOOL("xclip");
  REQUIRE_TOOL("convert");
  ClipboardFixture f;
  TempDir dir;
  const CRasterImage image = Picture(37, 23);
  ASSERT_TRUE(PutImageOnClipboard(image));
  EXPECT_TRUE(OwnsClipboardImage());
  EXPECT_TRUE(IsClipboardImageCached());
  const std::string targets = Targets();
  EXPECT_NE(targets.find("image/png"), std::string::npos) << targets;
  EXPECT_NE(targets.find("image/bmp"), std::string::npos) << targets;
  const std::string png = (dir.path() / "got.png").string(), bmp = (dir.path() / "got.bmp").string();
  ASSERT_EQ(RunServing("xclip -selection clipboard -t image/png -o > " + ShellQuote(png)), 0);
  ASSERT_EQ(RunServing("xclip -selection clipboard -t image/bmp -o > " + ShellQuote(bmp)), 0);
  const auto pngBytes = ReadFileBytes(png), bmpBytes = ReadFileBytes(bmp);
  ASSERT_GT(pngBytes.size(), 8u);
  EXPECT_EQ(std::string(pngBytes.begin() + 1, pngBytes.begin() + 4), "PNG");
  ASSERT_GT(bmpBytes.size(), 54u);
  EXPECT_EQ(bmpBytes[0], 'B');
  EXPECT_EQ(bmpBytes[1], 'M');
  EXPECT_EQ(RgbOf(png), RgbOf(image));
  EXPECT_EQ(RgbOf(bmp), RgbOf(image));
  // Our own Paste takes our image without a round trip.
  EXPECT_EQ(RgbOf(ReadClipboardImage()), RgbOf(image));
}

TEST(ImageClipboard, PasteTakesPngAndBmpFromAnotherProgram) {
  REQUIRE_TOOL("xclip");
  REQUIRE_TOOL("convert");
  ClipboardFixture f;
  TempDir dir;
  struct Case {
    const char *name, *write, *type;
    int headerSize;  // of the BMP info header; 0 for PNG
  };
  const Case cases[] = {
      {"p.png", "png:", "image/png", 0},
      {"v5.bmp", "bmp:", "image/bmp", 124},    // ImageMagick's default BMP: the 124-byte header
      {"v3.bmp", "bmp3:", "image/bmp", 40},
      {"x.bmp", "bmp:", "image/x-bmp", 124},
  };
  for (const Case& c : cases) {
    const std::string path = (dir.path() / c.name).string();
    ASSERT_EQ(RunCommand("convert -size 29x13 gradient:red-blue -depth 8 -type TrueColor " + std::string(c.write) +
                         ShellQuote(path)),
              0);
    if (c.headerSize) EXPECT_EQ(ReadFileBytes(path)[14], c.headerSize) << c.name;
    // Another program owns the clipboard now (xclip stays to serve it).
    ASSERT_EQ(RunCommand("xclip -selection clipboard -t " + std::string(c.type) + " -i " + ShellQuote(path) + kDetached), 0);
    ASSERT_TRUE(PumpUntil([] { return !OwnsClipboardImage(); }));
    // The cached answer follows without anyone waiting on it.
    ASSERT_TRUE(PumpUntil([] { return IsClipboardImageCached(); }, 5000)) << c.name;
    const CRasterImage pasted = ReadClipboardImage();
    ASSERT_FALSE(pasted.IsEmpty()) << c.name;
    EXPECT_EQ(pasted.GetWidth(), 29);
    EXPECT_EQ(pasted.GetHeight(), 13);
    EXPECT_EQ(RgbOf(pasted), RgbOf(path)) << c.name;
    // Clear it for the next case: another program's text is no image.
    ASSERT_EQ(RunCommand("printf text | xclip -selection clipboard -i" + std::string(kDetached)), 0);
    ASSERT_TRUE(PumpUntil([] { return !IsClipboardImageCached(); }, 5000)) << c.name;
    EXPECT_TRUE(ReadClipboardImage().IsEmpty());
  }
}

TEST(ImageClipboard, EmptyClipboardDropsWhatWeOwn) {
  REQUIRE_TOOL("xclip");
  ClipboardFixture f;
  ASSERT_TRUE(PutImageOnClipboard(Picture(5, 5)));
  EXPECT_NE(Targets().find("image/png"), std::string::npos);
  EXPECT_TRUE(EmptyOwnClipboard());
  EXPECT_FALSE(OwnsClipboardImage());
  EXPECT_FALSE(IsClipboardImageCached());
  EXPECT_EQ(Targets().find("image/png"), std::string::npos);
  EXPECT_FALSE(QueryClipboardImage());
  // Nothing of ours left to drop.
  EXPECT_FALSE(EmptyOwnClipboard());
}

TEST(ImageClipboard, EncodesOnlyWhenAskedAndOnce) {
  CImageDataObject data(Picture(4, 3));
  EXPECT_EQ(data.GetEncodeCount(), 0);
  const size_t size = data.GetDataSize(PngClipboardFormat());
  std::vector<uint8_t> buffer(size);
  EXPECT_TRUE(data.GetDataHere(PngClipboardFormat(), buffer.data()));
  EXPECT_EQ(data.GetEncodeCount(), 1);
  EXPECT_EQ(RgbOf(DecodePngBytes(buffer.data(), buffer.size())), RgbOf(Picture(4, 3)));
  std::vector<uint8_t> bmp(data.GetDataSize(BmpClipboardFormat()));
  EXPECT_TRUE(data.GetDataHere(BmpClipboardFormat(), bmp.data()));
  EXPECT_EQ(data.GetEncodeCount(), 2);
  EXPECT_EQ(RgbOf(DecodeBmpBytes(bmp.data(), bmp.size())), RgbOf(Picture(4, 3)));
  // Without the file header (a packed DIB) it reads too; rubbish does not.
  EXPECT_EQ(RgbOf(DecodeBmpBytes(bmp.data() + 14, bmp.size() - 14)), RgbOf(Picture(4, 3)));
  const uint8_t junk[] = {'B', 'M', 1, 2, 3};
  EXPECT_TRUE(DecodeBmpBytes(junk, sizeof junk).IsEmpty());
  EXPECT_TRUE(DecodePngBytes(junk, sizeof junk).IsEmpty());
  EXPECT_TRUE(DecodePngBytes(nullptr, 0).IsEmpty());
}

}  // namespace
