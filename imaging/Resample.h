#pragma once
// Changing an image's size: filtered two-pass resampling with seven kernels,
// nearest-neighbour resizing of any depth, area-averaging reduction, and the
// two functions that scale every frame of an animation.
//
// All functions return new images (empty on failure or cancel); masks are
// scaled with the pixels.

#include <cstdint>
#include <vector>

#include "base/ResultCodes.h"
#include "imaging/AnimFrame.h"
#include "imaging/RasterImage.h"

// Filter types of ResampleImage. Any other number (1 included) is the box.
enum RESAMPLE_FILTER {
  FILTER_HERMITE = 0,
  FILTER_BOX = 1,
  FILTER_TRIANGLE = 2,
  FILTER_BELL = 3,
  FILTER_BSPLINE = 4,
  FILTER_LANCZOS3 = 5,
  FILTER_MITCHELL = 6,
};

// A kernel: weight at distance x (in source pixels); zero beyond its support.
using RESAMPLEKERNEL = double (*)(double x);

// Kernel and support of a filter type (unknown types give the box, 0.5).
RESAMPLEKERNEL GetResampleKernel(int filterType, double* support);

// Work image of the filtered resampler: width x height samples of
// bytesPerPixel (3 or 1) bytes, rows of stride = width * bytesPerPixel bytes.
// It either owns its zero-filled storage (CreateZoomImage) or views the bits
// of an image (MakeZoomView); FreeZoomImage releases owned storage.
struct ZOOM_IMAGE {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bytesPerPixel = 0;
  uint8_t* data = nullptr;
  int32_t stride = 0;
  std::vector<uint8_t> storage;
};

// false (nothing allocated) for a bad size or when memory runs out.
bool CreateZoomImage(ZOOM_IMAGE& image, int32_t width, int32_t height, int32_t bytesPerPixel);
void FreeZoomImage(ZOOM_IMAGE& image);
ZOOM_IMAGE MakeZoomView(uint8_t* bits, int32_t width, int32_t height, int32_t bytesPerPixel);

// Two-pass scaling of source into target (both allocated by the caller, with
// the same bytes per pixel). With both masks (1 byte per pixel, the sizes of
// their images) the mask is scaled too and colours are weighted by it, so
// transparent pixels carry no colour. cancel is asked after every source row
// of the first pass and every target row of the second; progress is told
// every fourth of them with (done, source height + target width), the second
// pass counted in target columns, and at the end with the total. The passes
// interleave: the first pass keeps only the rows of target width that the
// next target rows need. Returns false when cancelled (or for work images
// without data or of different kinds); throws std::bad_alloc when its row
// buffers cannot be allocated.
bool ZoomImage(ZOOM_IMAGE& target, const ZOOM_IMAGE& source, ZOOM_IMAGE* targetMask, const ZOOM_IMAGE* sourceMask,
               RESAMPLEKERNEL kernel, double support, CANCELPROC cancel = nullptr,
               PROGRESSPROC progress = nullptr);

// Filtered resize of a 24-bit or gray 8-bit image and its mask to
// width x height. An axis whose size does not change is copied unfiltered.
// Empty for other images, an empty source, a bad size, no
// memory, or a cancel.
CRasterImage ResampleImage(const CRasterImage& source, int32_t width, int32_t height, int filterType,
                           CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);

// Nearest-neighbour resize of pixels and mask at any depth: target column x
// reads source column x * source width / width (likewise for rows). The
// palette is copied.
CRasterImage ResizeNearest(const CRasterImage& source, int32_t width, int32_t height);

// Area-averaging reduction to width x height, meant for thumbnails and
// shrinking to fit. The result is 24-bit (indexed sources are expanded
// through their palette) with an 8-bit mask when the source has one. Colours
// and mask are averaged separately, without alpha weighting, in 1/256-pixel
// fixed point; each target pixel is divided by the weight it received, so a
// flat area keeps its value. An axis whose target is not smaller than the
// source is mapped by nearest neighbour.
CRasterImage ReduceImage(const CRasterImage& source, int32_t width, int32_t height);

// The quick reduction of document thumbnails: each target pixel averages an
// even grid of at most 8 x 8 of the source pixels its whole-pixel cell covers
// (composed over black through the image's mask), so a 24-megapixel picture
// costs what a small one does (about 0.4 ms against ReduceImage's 40 ms).
// Close to ReduceImage, not equal: cells are whole pixels, not weighted
// fractions. The result is 24-bit without a mask; empty when the image is
// empty or the size is outside 1..32767.
CRasterImage ReduceImageForThumbnail(const CRasterImage& image, int width, int height);

// Scales every frame with a non-empty image from a canvas of oldWidth x
// oldHeight to one of newWidth x newHeight: frame size max(1, new * size /
// old), position new * position / old. Filter 0 is nearest neighbour; any
// other filter f resamples 24-bit and gray images with filter type f + 1 (the
// rest by nearest neighbour). Floating selections are not scaled.
// Result: IMAGEIO_OK (also when the size is unchanged), IMAGEIO_INTERNAL_ERROR
// for no frames or a zero size, IMAGEIO_NO_MEMORY, or IMAGEIO_CANCELLED. On
// any failure every frame is left as it was.
int ScaleFrames(CAnimFrame* frames, int count, int32_t oldWidth, int32_t oldHeight, int32_t newWidth,
                int32_t newHeight, int filter, CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);

// The same with ReduceImage for every image (results are 24-bit); does
// nothing (IMAGEIO_OK) unless newWidth < oldWidth or newHeight < oldHeight.
int ShrinkFrames(CAnimFrame* frames, int count, int32_t oldWidth, int32_t oldHeight, int32_t newWidth,
                 int32_t newHeight);
