// Frame expansion and optimisation against animations other programs made:
// ImageMagick's -coalesce and gifsicle's --unoptimize show what each frame
// of their own optimised animations looks like; our expansion must agree,
// and our optimisation must not make larger files than gifsicle -O1.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/FrameOptimizer.h"
#include "tests/formats/GifTestFiles.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;
using gif_test::GifFile;
using gif_test::ReadGifPath;

// The frame's image on the canvas: 24-bit with an 8-bit mask, transparent
// where the image does not reach.
CRasterImage OnCanvas(const CAnimFrame& frame, int w, int h) {
  CRasterImage canvas;
  canvas.Create(w, h, 24);
  canvas.CreateMask();
  if (frame.m_image.IsEmpty()) return canvas;
  const CRasterImage rgb = ToRgb(frame.m_image);
  for (int y = 0; y < rgb.GetHeight(); ++y)
    for (int x = 0; x < rgb.GetWidth(); ++x) {
      const int cx = frame.m_nLeft + x, cy = frame.m_nTop + y;
      if (cx < 0 || cy < 0 || cx >= w || cy >= h) continue;
      std::memcpy(canvas.GetWritableBits() + cy * canvas.GetStride() + 3 * cx, rgb.GetRow(y) + 3 * x, 3);
      canvas.GetWritableMaskBits()[cy * canvas.GetMaskStride() + cx] =
          rgb.HasValidMask() ? rgb.GetMaskRow(y)[x] : 255;
    }
  return canvas;
}

// Frames of a small animation (gradient background, a moving square, a
// blinking bar) written as PNG files f000.png ... and as one unoptimised GIF.
fs::path MakeAnimation(const TempDir& dir, int frames, int w, int h) {
  const fs::path script = dir.path() / "gen.py";
  WriteFileBytes(script, [] {
    const std::string text = R"(import sys
import numpy as np
from PIL import Image
out = sys.argv[1]; n = int(sys.argv[2]); w = int(sys.argv[3]); h = int(sys.argv[4])
yy, xx = np.mgrid[0:h, 0:w]
for i in range(n):
    img = np.zeros((h, w, 3), np.uint8)
    img[..., 0] = (xx * 7 // w) * 36
    img[..., 1] = (yy * 5 // h) * 50
    img[..., 2] = 90
    x0 = (i * 5) % (w - 8); img[4:12, x0:x0 + 8] = (255, 255, 0)
    if i % 2: img[h - 6:h - 2, 3:w // 2] = (0, 0, 255)
    if i % 3 == 2: img[h // 2, :] = (255, 255, 255)
    Image.fromarray(img).save(f"{out}/f{i:03d}.png")
)";
    return std::vector<uint8_t>(text.begin(), text.end());
  }());
  EXPECT_EQ(RunCommand(Python() + " " + ShellQuote(script.string()) + " " + ShellQuote(dir.path().string()) + " " +
                       std::to_string(frames) + " " + std::to_string(w) + " " + std::to_string(h)),
            0);
  const fs::path full = dir.path() / "full.gif";
  EXPECT_EQ(RunCommand("convert -delay 10 -dispose none " + ShellQuote((dir.path() / "f*.png").string()) + " " +
                       ShellQuote(full.string())),
            0);
  return full;
}

void ExpectExpansionMatches(const GifFile& optimized, const std::vector<CRasterImage>& reference) {
  const int n = static_cast<int>(optimized.frames.size());
  ASSERT_EQ(static_cast<size_t>(n), reference.size());
  auto expanded = ExpandFrames(optimized.frames.data(), n, optimized.screenWidth, optimized.screenHeight);
  ASSERT_TRUE(expanded);
  for (int i = 0; i < n; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    EXPECT_EQ(CompareRgb(OnCanvas(expanded[i], optimized.screenWidth, optimized.screenHeight), reference[i]), "");
  }
}

TEST(FrameOptimizerInterop, ExpansionMatchesGifsicleUnoptimize) {
  REQUIRE_TOOL("gifsicle");
  REQUIRE_TOOL("convert");
  TempDir dir;
  const fs::path full = MakeAnimation(dir, 7, 40, 30);
  const fs::path opt = dir.path() / "opt.gif", unopt = dir.path() / "unopt.gif";
  ASSERT_EQ(RunCommand("gifsicle -O2 " + ShellQuote(full.string()) + " -o " + ShellQuote(opt.string())), 0);
  ASSERT_EQ(RunCommand("gifsicle --unoptimize " + ShellQuote(opt.string()) + " -o " + ShellQuote(unopt.string())), 0);
  const GifFile optimized = ReadGifPath(opt), whole = ReadGifPath(unopt);
  ASSERT_EQ(optimized.result, IMAGEIO_OK);
  ASSERT_EQ(whole.result, IMAGEIO_OK);
  std::vector<CRasterImage> reference;
  for (const CAnimFrame& f : whole.frames) reference.push_back(OnCanvas(f, whole.screenWidth, whole.screenHeight));
  ExpectExpansionMatches(optimized, reference);
}

TEST(FrameOptimizerInterop, ExpansionMatchesImageMagickCoalesce) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  const fs::path full = MakeAnimation(dir, 7, 40, 30);
  const fs::path opt = dir.path() / "im-opt.gif";
  // Optimize chooses disposal "previous" for some frames of this animation.
  ASSERT_EQ(RunCommand("convert " + ShellQuote(full.string()) + " -layers Optimize " + ShellQuote(opt.string())), 0);
  ASSERT_EQ(RunCommand("convert " + ShellQuote(opt.string()) + " -coalesce " +
                       ShellQuote((dir.path() / "c%03d.pam").string())),
            0);
  const GifFile optimized = ReadGifPath(opt);
  ASSERT_EQ(optimized.result, IMAGEIO_OK);
  std::vector<CRasterImage> reference;
  for (size_t i = 0; i < optimized.frames.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "c%03zu.pam", i);
    CRasterImage frame = ReadPnm(dir.path() / name);
    ASSERT_FALSE(frame.IsEmpty()) << name;
    reference.push_back(std::move(frame));
  }
  ExpectExpansionMatches(optimized, reference);
}

TEST(FrameOptimizerInterop, OptimisedFramesWrittenAsGifAreNoLargerThanGifsicleO1) {
  REQUIRE_TOOL("gifsicle");
  REQUIRE_TOOL("convert");
  TempDir dir;
  const fs::path full = MakeAnimation(dir, 12, 64, 48);
  const fs::path o1 = dir.path() / "o1.gif";
  ASSERT_EQ(RunCommand("gifsicle -O1 " + ShellQuote(full.string()) + " -o " + ShellQuote(o1.string())), 0);
  const GifFile frames = ReadGifPath(full);
  ASSERT_EQ(frames.result, IMAGEIO_OK);
  const int n = static_cast<int>(frames.frames.size());
  auto optimized = OptimizeFrameDifferences(frames.screenHeight, frames.frames.data(), n, frames.screenWidth,
                                            OPTIMIZE_TRANSPARENT);
  ASSERT_TRUE(optimized);
  gif_test::WriteRequest request;
  request.frames.assign(optimized.get(), optimized.get() + n);
  request.screenWidth = frames.screenWidth;
  request.screenHeight = frames.screenHeight;
  request.options.nCommentOption = 0;
  int result = -1;
  const std::vector<uint8_t> ours = gif_test::WriteGifBytes(request, &result);
  ASSERT_EQ(result, IMAGEIO_OK);
  EXPECT_LE(ours.size(), fs::file_size(o1));
  // What was written plays as the original frames.
  WriteFileBytes(dir.path() / "ours.gif", ours);
  const GifFile back = ReadGifPath(dir.path() / "ours.gif");
  ASSERT_EQ(back.result, IMAGEIO_OK);
  auto shown = ExpandFrames(back.frames.data(), n, back.screenWidth, back.screenHeight);
  ASSERT_TRUE(shown);
  for (int i = 0; i < n; ++i)
    EXPECT_EQ(CompareRgb(OnCanvas(shown[i], back.screenWidth, back.screenHeight),
                         OnCanvas(frames.frames[i], frames.screenWidth, frames.screenHeight)),
              "")
        << "frame " << i;
}

// Frames written as PNG files by a python snippet (numpy as np, w, h, n and
// frame(i) returning an h x w x 3 array), then one unoptimised GIF.
fs::path MakeScriptedAnimation(const TempDir& dir, const std::string& body, int n) {
  const fs::path script = dir.path() / "anim.py";
  const std::string text = "import sys\nimport numpy as np\nfrom PIL import Image\nout = sys.argv[1]\nn = " +
                           std::to_string(n) + "\n" + body +
                           "\nfor i in range(n):\n    Image.fromarray(frame(i)).save(f'{out}/f{i:03d}.png')\n";
  WriteFileBytes(script, std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(RunCommand(Python() + " " + ShellQuote(script.string()) + " " + ShellQuote(dir.path().string())), 0);
  const fs::path full = dir.path() / "full.gif";
  EXPECT_EQ(RunCommand("convert -delay 10 -dispose none " + ShellQuote((dir.path() / "f*.png").string()) + " " +
                       ShellQuote(full.string())),
            0);
  return full;
}

// Optimises, writes, reads back: the file's bytes, after checking that it
// plays as the original frames.
std::vector<uint8_t> OptimiseAndWrite(const GifFile& frames, int mode) {
  const int n = static_cast<int>(frames.frames.size());
  auto optimized = OptimizeFrameDifferences(frames.screenHeight, frames.frames.data(), n, frames.screenWidth, mode);
  EXPECT_TRUE(optimized);
  if (!optimized) return {};
  gif_test::WriteRequest request;
  request.frames.assign(optimized.get(), optimized.get() + n);
  request.screenWidth = frames.screenWidth;
  request.screenHeight = frames.screenHeight;
  request.options.nCommentOption = 0;
  int result = -1;
  const std::vector<uint8_t> bytes = gif_test::WriteGifBytes(request, &result);
  EXPECT_EQ(result, IMAGEIO_OK);
  TempDir dir;
  WriteFileBytes(dir.path() / "ours.gif", bytes);
  const GifFile back = ReadGifPath(dir.path() / "ours.gif");
  EXPECT_EQ(back.result, IMAGEIO_OK);
  auto shown = ExpandFrames(back.frames.data(), n, back.screenWidth, back.screenHeight);
  EXPECT_TRUE(shown);
  auto original = ExpandFrames(frames.frames.data(), n, frames.screenWidth, frames.screenHeight);
  for (int i = 0; shown && original && i < n; ++i)
    EXPECT_EQ(CompareRgb(OnCanvas(shown[i], back.screenWidth, back.screenHeight),
                         OnCanvas(original[i], frames.screenWidth, frames.screenHeight)),
              "")
        << "mode " << mode << " frame " << i;
  return bytes;
}

// Where most pixels move (a scrolling band), making unchanged pixels
// transparent costs more than it saves: each frame is then written as
// cropped. Where shapes move over a still background (a rolling text),
// unchanged pixels join the runs beside them or go transparent. Either way
// the file is no larger than gifsicle's -O2 nor than crop only.
// Frames whose own palettes differ (ImageMagick writes a local table per
// frame, a rolling text here) share one table when their colours fit, as
// gifsicle -O1 writes them.
TEST(FrameOptimizerInterop, TransparencyOnlyWhereItPaysAndOneTableForAll) {
  REQUIRE_TOOL("gifsicle");
  REQUIRE_TOOL("convert");
  struct Case {
    const char* name;
    const char* body;
    int frames;
  };
  const Case cases[] = {
      {"scroll",
       "h, w = 120, 160\ny, x = np.mgrid[0:h, 0:w]\n"
       "def frame(i):\n"
       "    return np.stack([((x + 8 * i) // 16 % 8) * 32, (y // 16 % 8) * 32, np.full_like(x, 128)], -1).astype(np.uint8)\n",
       12},
      {"text",
       "text = np.full((200, 150, 3), 255, np.uint8)\n"
       "for line in range(8):\n"
       "    for word in range(3):\n"
       "        x0 = 8 + word * 46 + (line * 7) % 11\n"
       "        for g in range((line + word) % 5 + 3):\n"
       "            text[line * 24 + 6:line * 24 + 18, x0 + g * 6:x0 + g * 6 + 4] = (20, 20, 60 + 10 * (line % 5))\n"
       "def frame(i):\n"
       "    f = np.full((80, 160, 3), 230, np.uint8)\n"
       "    f[5:75, 5:155] = text[2 * i:2 * i + 70]\n"
       "    return f\n",
       12},
      // The sprite of bench/compare_frame_optimize.sh: a disc moving over a
      // grid of colours and a blinking bar; the frames' colours differ, so
      // the order of the shared table sets each frame's code size.
      {"sprite",
       "h, w = 240, 320\ny, x = np.mgrid[0:h, 0:w]\n"
       "bg = np.stack([(x // 40) * 30, (y // 30) * 30, np.full_like(x, 90)], -1).astype(np.uint8)\n"
       "def frame(k):\n"
       "    f = bg.copy()\n"
       "    cx, cy = 20 + k * 4, 60 + (k * 9) % 120\n"
       "    f[(x - cx) ** 2 + (y - cy) ** 2 < 400] = (255, 220, 0)\n"
       "    if k % 6 < 3: f[200:220, 10:60] = (255, 255, 255)\n"
       "    return f\n",
       60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const fs::path full = MakeScriptedAnimation(dir, c.body, c.frames);
    const fs::path o1 = dir.path() / "o1.gif", o2 = dir.path() / "o2.gif";
    ASSERT_EQ(RunCommand("gifsicle -O1 " + ShellQuote(full.string()) + " -o " + ShellQuote(o1.string())), 0);
    ASSERT_EQ(RunCommand("gifsicle -O2 " + ShellQuote(full.string()) + " -o " + ShellQuote(o2.string())), 0);
    const GifFile frames = ReadGifPath(full);
    ASSERT_EQ(frames.result, IMAGEIO_OK);
    const std::vector<uint8_t> crop = OptimiseAndWrite(frames, OPTIMIZE_CROP);
    const std::vector<uint8_t> transparent = OptimiseAndWrite(frames, OPTIMIZE_TRANSPARENT);
    EXPECT_LE(crop.size(), fs::file_size(o1));
    EXPECT_LE(transparent.size(), crop.size());
    EXPECT_LE(transparent.size(), fs::file_size(o2));
  }
}

}  // namespace
