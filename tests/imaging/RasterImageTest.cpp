#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/ImageGeometry.h"
#include "imaging/ImageScan.h"
#include "imaging/PixelAccess.h"
#include "imaging/PixelRect.h"
#include "imaging/RasterImage.h"
#include "imaging/SharedBuffer.h"

namespace {

TEST(PixelPlane, StrideIsUnpaddedBytesPerRow) {
  struct Case { int width, bpp, stride; };
  for (const Case c : {Case{1, 1, 1}, Case{9, 1, 2}, Case{5, 24, 15}, Case{3, 4, 2}, Case{8, 1, 1}, Case{7, 8, 7}}) {
    CPixelPlane plane;
    ASSERT_TRUE(plane.Create(c.width, 2, c.bpp));
    EXPECT_EQ(plane.GetStride(), c.stride) << c.width << "x" << c.bpp;
    EXPECT_EQ(plane.GetSize(), CPixelPlane::kHeaderBytes + 2 * c.stride);
  }
}

TEST(PixelPlane, BadCreateKeepsThePlane) {
  CPixelPlane plane;
  ASSERT_TRUE(plane.Create(10, 10, 8));
  const uint8_t* before = plane.GetBits();
  EXPECT_FALSE(plane.Create(0, 10, 8));
  EXPECT_FALSE(plane.Create(10, -1, 8));
  EXPECT_FALSE(plane.Create(10, 10, 16));
  EXPECT_EQ(plane.GetBits(), before);
  EXPECT_EQ(plane.GetWidth(), 10);
}

TEST(PixelPlane, HostileSizesAreRefusedWithoutAllocating) {
  CPixelPlane plane;
  EXPECT_FALSE(plane.Create(32768, 1, 8));
  EXPECT_FALSE(plane.Create(1, 32768, 8));
  EXPECT_FALSE(plane.Create(32767, 32767, 24));  // 3.2 GB: over the budget
  EXPECT_EQ(plane.GetSize(), 0);
  EXPECT_EQ(CheckImageGeometry(1 << 20, 1 << 20, 24), 2 /*IMAGEIO_NO_MEMORY*/);
  EXPECT_EQ(CheckImageGeometry(INT32_MAX, INT32_MAX, 24), 2);
  EXPECT_EQ(CheckImageGeometry(0, 5, 8), 5 /*IMAGEIO_CORRUPT*/);
  CRasterImage image;
  EXPECT_FALSE(image.Create(40000, 40000, 24));
  EXPECT_TRUE(image.IsEmpty());
}

TEST(PixelPlane, ByteBudgetIsAdjustable) {
  const int64_t saved = GetImageByteBudget();
  SetImageByteBudget(1000);
  CPixelPlane plane;
  EXPECT_TRUE(plane.Create(10, 100, 8));
  EXPECT_FALSE(plane.Create(10, 101, 8));
  SetImageByteBudget(saved);
}

TEST(RasterImage, CopiesShareUntilWritten) {
  CRasterImage a;
  ASSERT_TRUE(a.Create(4, 4, 8));
  a.GetWritableBits()[0] = 7;
  CRasterImage b = a;
  EXPECT_TRUE(a.SharesPixelsWith(b));
  EXPECT_EQ(a.m_pixels.GetRefCount(), 2);

  b.GetWritableBits()[0] = 9;  // the copy's write leaves the original alone
  EXPECT_FALSE(a.SharesPixelsWith(b));
  EXPECT_EQ(a.GetBits()[0], 7);
  EXPECT_EQ(b.GetBits()[0], 9);
  EXPECT_EQ(a.m_pixels.GetRefCount(), 1);

  const uint8_t* own = a.GetBits();
  EXPECT_EQ(a.GetWritableBits(), own);  // the only owner does not copy

  // Palette and mask are shared and copied the same way.
  a.CreateMask();
  CRasterImage c = a;
  c.GetWritablePalette()[3] = MakeRGBQuad(1, 2, 3);
  c.GetWritableMaskBits()[0] = 0x80;
  EXPECT_EQ(a.GetPalette()[3], RGBQUAD{});
  EXPECT_EQ(a.GetMaskBits()[0], 0);
}

// Blocks made while an arena scope lives come one after another out of one
// chunk, zero-filled; each is freed on its own, in any order, copies of them
// copy on write as before, and blocks too large for the chunks (or made after
// the scope) are allocated on their own.
TEST(SharedBuffer, ArenaCarvesZeroFilledBlocksThatLiveOnTheirOwn) {
  std::vector<CSharedBuffer> buffers(6);
  CSharedBuffer large, after;
  {
    CBufferArenaScope arena(64 << 10);
    for (size_t i = 0; i < buffers.size(); ++i) {
      uint8_t* p = buffers[i].Allocate(static_cast<int32_t>(1000 + i * 3000));
      ASSERT_NE(p, nullptr);
      for (int k = 0; k < buffers[i].GetSize(); ++k) ASSERT_EQ(p[k], 0) << i << " " << k;
      std::fill_n(p, buffers[i].GetSize(), static_cast<uint8_t>(i + 1));
    }
    // Consecutive blocks of one chunk lie one after another.
    EXPECT_LT(buffers[1].GetData() - buffers[0].GetData(), 4096);
    EXPECT_GT(buffers[1].GetData(), buffers[0].GetData());
    ASSERT_NE(large.Allocate(32 << 10), nullptr);  // over a quarter of a chunk
    EXPECT_GT(std::abs(large.GetData() - buffers[0].GetData()), 64 << 10);
  }
  ASSERT_NE(after.Allocate(100), nullptr);
  // Freed in another order than made; every block keeps its own bytes.
  buffers[2].Release();
  buffers[0].Release();
  for (size_t i : {1u, 3u, 4u, 5u})
    for (int k = 0; k < buffers[i].GetSize(); ++k) ASSERT_EQ(buffers[i].GetData()[k], i + 1) << i;
  CSharedBuffer copy = buffers[4];
  EXPECT_EQ(copy.GetRefCount(), 2);
  copy.GetWritableData()[0] = 99;  // a private copy of its own
  EXPECT_EQ(buffers[4].GetData()[0], 5);
  buffers[4].Release();
  EXPECT_EQ(copy.GetData()[1], 5);
  EXPECT_EQ(copy.GetData()[0], 99);
}

TEST(RasterImage, NewImagesAreZeroFilled) {
  CRasterImage image;
  ASSERT_TRUE(image.Create(33, 3, 24));
  for (int i = 0; i < image.GetStride() * 3; ++i) ASSERT_EQ(image.GetBits()[i], 0);
  ASSERT_TRUE(image.Create(9, 2, 4));
  EXPECT_EQ(image.GetPaletteSize(), 16);
  EXPECT_EQ(image.GetPalette()[15], RGBQUAD{});
}

TEST(RasterImage, CreateKeepsTheOldMask) {
  CRasterImage image;
  image.Create(4, 4, 24);
  image.CreateMask();
  image.Create(8, 8, 24);
  EXPECT_TRUE(image.HasMask());
  EXPECT_FALSE(image.HasValidMask());  // stale: readers treat it as none
}

TEST(RasterImage, MaskState) {
  struct Case { int bpp; int value; int state; };
  for (const Case c : {Case{24, 128, 1}, Case{24, 255, 2}, Case{24, 0, 3}, Case{8, 1, 2}, Case{8, 0, 3}}) {
    CRasterImage image;
    image.Create(9, 3, c.bpp);
    EXPECT_EQ(image.GetMaskState(), 0);
    image.CreateMask();
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 9; ++x) {
        uint8_t* row = image.GetWritableMaskBits() + y * image.GetMaskStride();
        if (c.bpp == 24) SetPixel8(row, x, c.value); else SetPixel1(row, x, c.value);
      }
    EXPECT_EQ(image.GetMaskState(), c.state) << c.bpp << "/" << c.value;
    // One different value anywhere makes it mixed.
    uint8_t* last = image.GetWritableMaskBits() + 2 * image.GetMaskStride();
    if (c.bpp == 24) SetPixel8(last, 8, c.value ^ 1); else SetPixel1(last, 8, c.value ^ 1);
    EXPECT_EQ(image.GetMaskState(), 1);
  }
}

TEST(RasterImage, Grayscale) {
  CRasterImage gray;
  gray.Create(2, 2, 8);
  SetGrayPalette(gray);
  EXPECT_TRUE(gray.IsGrayscale());
  gray.GetWritablePalette()[200].rgbGreen = 201;
  EXPECT_FALSE(gray.IsGrayscale());
  CRasterImage four;
  four.Create(2, 2, 4);
  for (int i = 0; i < 16; ++i) four.GetWritablePalette()[i] = MakeRGBQuad(i * 17, i * 17, i * 17);
  EXPECT_FALSE(four.IsGrayscale());
}

TEST(PixelAccess, PackedLayouts) {
  uint8_t row[4] = {};
  SetPixel1(row, 0, 1);
  SetPixel1(row, 9, 3);  // only bit 0 of the value counts
  EXPECT_EQ(row[0], 0x80);
  EXPECT_EQ(row[1], 0x40);
  SetPixel1(row, 0, 0);
  EXPECT_EQ(row[0], 0);
  SetPixel4(row + 2, 0, 0xA);
  SetPixel4(row + 2, 1, 0x15);
  EXPECT_EQ(row[2], 0xA5);
  EXPECT_EQ(GetPixel4(row + 2, 1), 5);
  EXPECT_EQ(GetPixel1(row, 9), 1);
  EXPECT_EQ(GetPixelGetter(4), &GetPixel4);
  EXPECT_EQ(GetPixelSetter(24), nullptr);
}

TEST(ImageScan, ReaderAndWriter) {
  CRasterImage image;
  image.Create(5, 2, 24);
  CRasterImage copy = image;
  CImageScanWriter writer(copy);
  EXPECT_EQ(writer.m_nStride, 15);
  EXPECT_EQ(writer.m_nMaskStride, 0);
  EXPECT_EQ(writer.m_pMask, nullptr);
  EXPECT_FALSE(copy.SharesPixelsWith(image));
  image.CreateMask();
  CImageScanReader reader(image);
  EXPECT_EQ(reader.m_nMaskStride, 5);
  EXPECT_EQ(reader.m_pBits, image.GetBits());
}

// Fills an image with distinct values per pixel at any depth.
CRasterImage Numbered(int width, int height, int bpp) {
  CRasterImage image;
  image.Create(width, height, bpp);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.GetWritableBits() + y * image.GetStride();
    for (int x = 0; x < width; ++x) {
      const int v = x * 7 + y * 3;
      if (bpp == 24) {
        row[3 * x] = v; row[3 * x + 1] = v + 1; row[3 * x + 2] = v + 2;
      } else {
        GetPixelSetter(bpp)(row, x, v % (1 << bpp));
      }
    }
  }
  return image;
}

int PixelAt(const CRasterImage& image, int x, int y) {
  const uint8_t* row = image.GetRow(y);
  if (image.GetBitsPerPixel() == 24) return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
  return GetPixelGetter(image.GetBitsPerPixel())(row, x);
}

TEST(CropImage, EveryDepthAcrossByteEdges) {
  for (int bpp : {1, 4, 8, 24}) {
    for (int width : {1, 7, 8, 9, 15, 33}) {
      CRasterImage source = Numbered(width, 5, bpp);
      source.CreateMask();
      for (int x = 0; x < width; x += 2) {
        uint8_t* m = source.GetWritableMaskBits() + 2 * source.GetMaskStride();
        if (bpp == 24) m[x] = 200; else SetPixel1(m, x, 1);
      }
      const Rect r{width / 3, 1, width, 4};
      CRasterImage crop = CropImage(source, r);
      ASSERT_EQ(crop.GetWidth(), r.Width());
      ASSERT_EQ(crop.GetHeight(), 3);
      ASSERT_TRUE(crop.HasValidMask());
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < r.Width(); ++x) {
          ASSERT_EQ(PixelAt(crop, x, y), PixelAt(source, x + r.left, y + 1)) << bpp << " " << width;
          const int mx = x + r.left;
          const int sm = bpp == 24 ? source.GetMaskRow(y + 1)[mx] : GetPixel1(source.GetMaskRow(y + 1), mx);
          const int cm = bpp == 24 ? crop.GetMaskRow(y)[x] : GetPixel1(crop.GetMaskRow(y), x);
          ASSERT_EQ(cm, sm);
        }
    }
  }
}

TEST(CropImage, EmptyAndOutsideRectangles) {
  CRasterImage source = Numbered(10, 10, 8);
  EXPECT_TRUE(CropImage(source, Rect{5, 0, 5, 10}).IsEmpty());
  EXPECT_TRUE(CropImage(source, Rect{6, 0, 5, 10}).IsEmpty());
  EXPECT_TRUE(CropImage(CRasterImage(), Rect{0, 0, 5, 5}).IsEmpty());

  // Partly outside: the overlap lands at its offset, the rest is zero.
  CRasterImage crop = CropImage(source, Rect{-2, -1, 3, 2});
  ASSERT_EQ(crop.GetWidth(), 5);
  EXPECT_EQ(PixelAt(crop, 0, 0), 0);
  EXPECT_EQ(PixelAt(crop, 2, 1), PixelAt(source, 0, 0));
  EXPECT_EQ(PixelAt(crop, 4, 2), PixelAt(source, 2, 1));
  // Wholly outside: the right size, all zero.
  CRasterImage far = CropImage(source, Rect{20, 20, 22, 23});
  ASSERT_EQ(far.GetHeight(), 3);
  EXPECT_EQ(PixelAt(far, 1, 2), 0);
}

TEST(CopyPixelRect, ClipsAndRefuses) {
  CRasterImage source = Numbered(9, 4, 1);
  uint8_t target[8] = {};
  EXPECT_FALSE(CopyPixelRect(9, 2, source.GetBits(), 4, 2, 1, target, -1, 0, 3, 2));
  EXPECT_FALSE(CopyPixelRect(9, 2, source.GetBits(), 4, 2, 1, target, 9, 0, 3, 2));
  EXPECT_FALSE(CopyPixelRect(9, 2, nullptr, 4, 2, 1, target, 0, 0, 3, 2));
  // 5 wide asked from x = 6 is clipped to 3.
  EXPECT_TRUE(CopyPixelRect(9, 10, source.GetBits(), 4, 2, 1, target, 6, 2, 5, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(GetPixel1(target + 2 * y, x), PixelAt(source, 6 + x, 2 + y));
}

}  // namespace
