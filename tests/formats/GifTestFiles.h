#pragma once
// Reading and writing whole GIF files in the tests: through memory or a
// file, frame arrays in and out, and a plain compositor that shows the
// canvas after each frame as players do.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/GifCodec.h"
#include "formats/MemStream.h"
#include "imaging/PixelAccess.h"
#include "tests/support/TestSupport.h"

namespace gif_test {

struct GifFile {
  int result = IMAGEIO_OK;
  int counted = 0;
  int screenWidth = 0;
  int screenHeight = 0;
  int loopCount = 0;
  std::string comment;
  std::vector<CAnimFrame> frames;
};

// Counts the frames, then reads `count` of them from `first` (all when count < 0).
inline GifFile ReadGifBytes(const std::vector<uint8_t>& bytes, int first = 0, int count = -1) {
  GifFile file;
  CMemStream in(bytes.data(), static_cast<int>(bytes.size()));
  file.counted = CountGifFrames(&in);
  in.Seek(0, CBufferedFile::kBegin);
  if (count < 0) count = std::max(file.counted - first, 0);
  file.frames.resize(static_cast<size_t>(std::max(count, 1)));
  CCodecJob job;
  job.m_pStream = &in;
  job.m_pFrames = file.frames.data();
  job.m_nFrames = count;
  file.result = ReadGif(&job, first, count);
  file.frames.resize(static_cast<size_t>(count));
  file.screenWidth = job.m_nScreenWidth;
  file.screenHeight = job.m_nScreenHeight;
  file.loopCount = job.m_nLoopCount;
  file.comment = job.m_strComment;
  return file;
}

inline GifFile ReadGifPath(const std::filesystem::path& path) {
  return ReadGifBytes(testing_support::ReadFileBytes(path));
}

struct WriteRequest {
  std::vector<CAnimFrame> frames;
  int screenWidth = 0;
  int screenHeight = 0;
  int loopCount = 0;
  std::string comment;
  std::string signature;
  GIF_SAVE_OPTIONS options;
};

inline std::vector<uint8_t> WriteGifBytes(WriteRequest& request, int* result = nullptr, int first = 0,
                                          int count = -1) {
  CMemStream out;
  out.Open(nullptr, CBufferedFile::kWrite);
  CCodecJob job;
  job.m_pStream = &out;
  job.m_pFrames = request.frames.data();
  job.m_nFrames = static_cast<int>(request.frames.size());
  job.m_nScreenWidth = static_cast<int16_t>(request.screenWidth);
  job.m_nScreenHeight = static_cast<int16_t>(request.screenHeight);
  job.m_nLoopCount = static_cast<int16_t>(request.loopCount);
  job.m_strComment = request.comment;
  job.m_strSignature = request.signature;
  if (count < 0) count = static_cast<int>(request.frames.size()) - first;
  const int r = WriteGif(&job, first, count, &request.options);
  if (result) *result = r;
  return std::vector<uint8_t>(out.GetData(), out.GetData() + out.GetLength());
}

// An indexed test image: pixels from a pattern that depends on the seed, the
// first `colors` indices used; the palette (distinct colours) does not depend on the seed.
inline CRasterImage MakeIndexedImage(int width, int height, int bpp, unsigned seed = 1, int colors = 0) {
  CRasterImage image;
  EXPECT_TRUE(image.Create(width, height, bpp));
  const int n = colors > 0 ? colors : 1 << bpp;
  RGBQUAD* pal = image.GetWritablePalette();
  for (int i = 0; i < (1 << bpp); ++i)
    pal[i] = MakeRGBQuad(static_cast<uint8_t>((i * 37 + 11) & 255), static_cast<uint8_t>((i * 91 + 7) & 255),
                         static_cast<uint8_t>((255 - i * 13) & 255));
  const PIXELSETPROC set = GetPixelSetter(bpp);
  uint8_t* bits = image.GetWritableBits();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      set(bits + static_cast<int64_t>(y) * image.GetStride(), static_cast<int16_t>(x),
          static_cast<int>(((x / 3) * 7 + y * 5 + (x * y) % 11 + seed) % n));
  return image;
}

// Gives an indexed image a 1-bit mask, clear where keep(x, y) is false.
template <typename F>
void SetMask(CRasterImage& image, F keep) {
  image.RemoveMask();
  ASSERT_TRUE(image.CreateMask());
  uint8_t* mask = image.GetWritableMaskBits();
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x)
      SetPixel1(mask + static_cast<int64_t>(y) * image.GetMaskStride(), static_cast<int16_t>(x), keep(x, y) ? 1 : 0);
}

inline CAnimFrame MakeFrame(CRasterImage image, int left = 0, int top = 0, int delay = 0, int flags = 0) {
  CAnimFrame frame;
  frame.m_image = std::move(image);
  frame.m_nLeft = static_cast<int16_t>(left);
  frame.m_nTop = static_cast<int16_t>(top);
  frame.m_nDelay = static_cast<uint16_t>(delay);
  frame.m_nFlags = static_cast<uint8_t>(flags);
  return frame;
}

// The canvas after each frame, as RGBA (24-bit with an 8-bit mask): starts
// transparent; each frame's opaque pixels are drawn over it; disposal 2
// clears the frame's rectangle to transparent, 3 restores what was there.
inline std::vector<CRasterImage> ComposeFrames(const std::vector<CAnimFrame>& frames, int width, int height) {
  std::vector<CRasterImage> out;
  CRasterImage canvas;
  canvas.Create(width, height, 24);
  canvas.CreateMask();
  for (const CAnimFrame& f : frames) {
    const CRasterImage before = canvas;
    CRasterImage rgb = testing_support::ToRgb(f.m_image);
    {
      uint8_t* bits = canvas.GetWritableBits();
      uint8_t* mask = canvas.GetWritableMaskBits();
      for (int y = 0; y < rgb.GetHeight(); ++y)
        for (int x = 0; x < rgb.GetWidth(); ++x) {
          const int cx = f.m_nLeft + x, cy = f.m_nTop + y;
          if (cx < 0 || cy < 0 || cx >= width || cy >= height) continue;
          if (rgb.HasValidMask() && rgb.GetMaskRow(y)[x] == 0) continue;
          std::memcpy(bits + static_cast<int64_t>(cy) * canvas.GetStride() + 3 * cx, rgb.GetRow(y) + 3 * x, 3);
          mask[static_cast<int64_t>(cy) * canvas.GetMaskStride() + cx] = 255;
        }
    }
    CRasterImage shown = canvas;
    shown.GetWritableBits();  // a private copy
    shown.GetWritableMaskBits();
    out.push_back(shown);
    const int disposal = f.GetDisposal();
    if (disposal == 2) {
      uint8_t* bits = canvas.GetWritableBits();
      uint8_t* mask = canvas.GetWritableMaskBits();
      for (int y = 0; y < rgb.GetHeight(); ++y)
        for (int x = 0; x < rgb.GetWidth(); ++x) {
          const int cx = f.m_nLeft + x, cy = f.m_nTop + y;
          if (cx < 0 || cy < 0 || cx >= width || cy >= height) continue;
          std::memset(bits + static_cast<int64_t>(cy) * canvas.GetStride() + 3 * cx, 0, 3);
          mask[static_cast<int64_t>(cy) * canvas.GetMaskStride() + cx] = 0;
        }
    } else if (disposal == 3) {
      canvas = before;
    }
  }
  return out;
}

}  // namespace gif_test
