#pragma once
// Image filters: 5 x 5 integer convolution with four presets, a separable
// two-pass filter driven by kernel objects, a running-mean box blur, an alpha
// feather, an emboss lit from a direction, and the blend of two images.
//
// The filters work on 24-bit and gray (8-bit ramp) images and leave masks as
// they are. Plane functions do not check their buffers: callers pass planes
// of the stated size.

#include <cstdint>

#include "base/ResultCodes.h"
#include "imaging/RasterImage.h"

// Preset kernels of ApplyPresetFilter.
enum PRESET_FILTER {
  PRESET_SHARPEN = 1,       // "Sharpen"
  PRESET_SHARPEN_MORE = 2,  // "Sharpen More"
  PRESET_SMOOTH = 3,
  PRESET_SMOOTH_MORE = 4,
};

// Directions of the blur and the feather.
enum FILTER_DIRECTION {
  DIRECTION_VERTICAL = 1,
  DIRECTION_HORIZONTAL = 2,
  DIRECTION_BOTH = 3,  // horizontal first
};

// 5 x 5 convolution of one plane (channels 3 or 1, rows of stride bytes).
// With a mask (8-bit for 3 channels, 1-bit for 1 channel, rows of maskStride
// bytes) a pixel whose mask is 0 becomes 0, and a neighbour whose mask is 0
// counts with the centre pixel's value. Neighbours outside the plane are
// clamped to its edge. Each result is offset + (divisor / 2 + sum) / divisor
// (truncating), clamped to 0..255; a divisor of 0 counts as 1. cancel is
// asked after every row, then progress is told (row, height). false when
// cancelled.
bool Convolve5x5(const int kernel[25], const uint8_t* source, uint8_t* target, const uint8_t* mask, int32_t width,
                 int32_t height, int32_t stride, int channels, int32_t maskStride, int divisor, int offset,
                 PROGRESSPROC progress = nullptr, CANCELPROC cancel = nullptr);

// A copy of a 24-bit or gray image (sharing its mask and palette) with the
// convolved pixels. Empty for other images and on cancel.
CRasterImage ConvolveImage(const CRasterImage& image, const int kernel[25], int divisor, int offset,
                           PROGRESSPROC progress = nullptr, CANCELPROC cancel = nullptr);

// ConvolveImage with preset 1-4; empty for other types.
CRasterImage ApplyPresetFilter(const CRasterImage& image, int type, PROGRESSPROC progress = nullptr,
                               CANCELPROC cancel = nullptr);

// A kernel for SeparableFilter: its support width and its weight at a
// distance x.
class CFilterKernel {
 public:
  virtual ~CFilterKernel() = default;
  virtual double GetWidth() const = 0;
  virtual double Evaluate(double x) const = 0;
};

// Filters one channel (samples step bytes apart, rows stride bytes apart)
// horizontally into a temporary plane, then vertically into target (same
// layout). Taps: half = ceil((width - 1) / 2), weights Evaluate(i - half);
// each tap multiplies through a table clamped to 0..255 (negative weights add
// nothing), and the sum is divided by the sum of the weights. Edge samples
// are repeated. Source and target may be the same buffer.
void SeparableFilter(const uint8_t* source, uint8_t* target, int32_t width, int32_t height, int32_t step,
                     int32_t stride, const CFilterKernel& horizontal, const CFilterKernel& vertical);

// In-place running-mean blur over 2 * radius + 1 samples, each channel on its
// own; samples beyond the edges repeat the edge pixel or count as 0. The cost
// per pixel does not depend on the radius. Nothing for radius < 1 or an
// unknown direction.
void BoxBlur(uint8_t* pixels, int32_t width, int32_t height, int channels, int32_t stride, int radius,
             int direction, bool repeatEdges);

// BoxBlur of a 24-bit or gray image; false for empty or other images or a
// radius < 1.
bool BlurImage(CRasterImage& image, int radius, int direction, bool repeatEdges);

// In-place feather of an 8-bit alpha plane: opaque runs fade over amount
// samples at both ends and at the plane's edges. Nothing for amount < 1 or an
// unknown direction.
void FeatherMask(uint8_t* alpha, int32_t width, int32_t height, int32_t stride, int amount, int direction);

// Feathers the edges of a 24-bit image (a floating selection): an image
// without a mask of its size first gets an opaque 8-bit mask, so only its
// outer edges and its transparent parts fade; then FeatherMask. False, and
// the image unchanged, for an empty image, one that is not 24-bit, amount < 1
// or an unknown direction.
bool FeatherImage(CRasterImage& image, int amount, int direction);

// Embossed copy of source into target (separate buffers) for a light from
// azimuth and elevation in degrees; depth 0 counts as the flattest relief.
// Border pixels and flat areas take the shade of a flat surface.
void Emboss(double azimuth, double elevation, int depth, const uint8_t* source, uint8_t* target,
            int32_t sourceStride, int32_t targetStride, int32_t width, int32_t height, int channels);

// Emboss of a 24-bit or gray image in place; false for other images.
bool EmbossImage(CRasterImage& image, double azimuth, double elevation, int depth);

// target = (source * percent + target * (100 - percent)) / 100 per byte when
// both have the same size and are both gray or both 24-bit; percent >= 100
// makes target share source; percent <= 0 does nothing.
void BlendImages(const CRasterImage& source, CRasterImage& target, int percent);
