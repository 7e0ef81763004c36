#pragma once
// Operations on a whole array of animation frames, each returning a new
// array (null when cancelled or when something could not be made; the input
// is never changed):
// - ReduceFramesToPalette: every frame on one common palette;
// - OptimizeFrameDifferences: every frame keeps only what changed against
//   what is already on screen;
// - ExpandFrames: every frame becomes the complete picture shown at its time.
//
// A frame stays under the following frames when its disposal is none or keep
// (CAnimFrame::StaysUnderNext); otherwise it vanishes before the next one and
// the earlier picture shows again.
//
// New frames copy the delay, the selected and expanded flags and the flags
// without the transparency bit; bit 0 is set again where the new image has a
// mask with both opaque and transparent pixels.

#include <memory>

#include "base/ResultCodes.h"
#include "imaging/AnimFrame.h"

// The base image with the overlay composed in at (x, y) relative to the
// base. Both empty: empty. Empty base: the overlay, (x, y) unchanged. Empty
// overlay: the base, (x, y) = (0, 0). Otherwise (x, y) becomes (min(x, 0),
// min(y, 0)), the offset of the result's origin from the base's. An overlay
// of another depth than an indexed base is composed in 24 bits.
CRasterImage MergeFrameSelection(int32_t& x, const CRasterImage& overlay, const CRasterImage& base, int32_t& y);

// Every frame's image and selection composed and reduced with
// ReduceToPalette to the palette (count entries, dither type as there).
// Empty frames stay empty. Cancel and progress go to each frame's reduction.
std::unique_ptr<CAnimFrame[]> ReduceFramesToPalette(const CAnimFrame* frames, int count, const RGBQUAD* palette,
                                                    int colorCount, int ditherType, CANCELPROC cancel = nullptr,
                                                    PROGRESSPROC progress = nullptr);

enum FrameOptimizeMode {
  OPTIMIZE_TRANSPARENT = 1,  // crop to the changes and make unchanged pixels transparent
  OPTIMIZE_CROP = 2,         // only crop to the changes
};

// The first non-empty frame is kept whole (composed with its selection);
// every later frame is cropped to the pixels that differ from the picture
// left on screen by the frames before it (empty when nothing differs). A
// pixel counts as unchanged when it is transparent, or opaque and equal to
// the opaque pixel beneath. Cancel is asked once per frame; progress is
// (frames done, count). All frames empty: an array of empty frames.
std::unique_ptr<CAnimFrame[]> OptimizeFrameDifferences(int32_t canvasHeight, const CAnimFrame* frames, int count,
                                                       int32_t canvasWidth, int mode, CANCELPROC cancel = nullptr,
                                                       PROGRESSPROC progress = nullptr);

// Every frame as the 24-bit picture shown while it is on screen (the frames
// before it that stay, then the frame itself), cropped to its opaque part:
// 8-bit mask only where something is transparent; empty frames at (0, 0)
// where nothing is opaque. The pictures may reach beyond the canvas. Cancel
// and progress as in OptimizeFrameDifferences.
std::unique_ptr<CAnimFrame[]> ExpandFrames(const CAnimFrame* frames, int count, int32_t canvasWidth,
                                           int32_t canvasHeight, CANCELPROC cancel = nullptr,
                                           PROGRESSPROC progress = nullptr);
