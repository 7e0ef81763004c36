#pragma once
// The pictures of the slide show and the full-screen player, without a
// window: composing a frame of an animation with the frames its disposal
// keeps, fitting it to the screen, and the cross-fade's blends.
//
// Nothing here copies or releases the images it is given except where a
// function returns an image: the fade's worker thread reads the pictures of
// the user-interface thread through const references while neither side
// changes them (the images' reference counts are not atomic).

#include <cstdint>

#include "imaging/AnimFrame.h"
#include "imaging/LayerStack.h"
#include "imaging/RasterImage.h"

// The cross-fade: 24 steps of 33 ms, weighted by the cosine ramp.
constexpr int kFadeSteps = 24;
constexpr int kFadeFrameMs = 33;
// The weight of the new picture at step 1..kFadeSteps (CosineRamp(step, 24)).
int FadeWeight(int step);

// The COLORSAMPLEPROC of the show: black, alpha 255.
int BlackBackground(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue);

// A composed frame as the show draws it: the picture (already reduced to the
// screen), the canvas size after fitting and where the picture lies inside
// that fitted canvas.
struct SLIDE_PICTURE {
  CRasterImage picture;
  int32_t displayWidth = 0;
  int32_t displayHeight = 0;
  int32_t pictureLeft = 0;
  int32_t pictureTop = 0;
};

// The fitted canvas: the canvas itself when it fits into the client area,
// else reduced to it keeping its aspect (the side that limits takes the
// client's size). Sizes below 1 give 0 x 0.
void FitCanvas(int32_t canvasWidth, int32_t canvasHeight, int32_t clientWidth, int32_t clientHeight,
               int32_t* displayWidth, int32_t* displayHeight);

// Composes frame `current` over the earlier frames whose disposal leaves
// them on the canvas ((flags & 0x0C) <= 4), each image with its floating
// selection, and fits the result to the client area. With one layer the
// picture is that layer's image itself (shared); with more it is rendered
// into a 24-bit image of the layers' bounds (mask removed when opaque). An
// empty picture when nothing is to be drawn or memory is short.
SLIDE_PICTURE ComposeSlideFrame(const CAnimFrame* frames, int count, int current, int32_t canvasWidth,
                                int32_t canvasHeight, int32_t clientWidth, int32_t clientHeight);

// Copy of a 24-bit image with every channel c made c * a / 255 (with a mask:
// (c * alpha / 255) * a / 255, and the mask removed). a = 0 gives black
// without a mask; a < 0, a >= 256, and a = 255 without a mask leave the copy
// unchanged. Other depths are returned unchanged.
CRasterImage ScaleImageByAlpha(int a, const CRasterImage& image);

// Where a blend of new and old lies: the union of new's rectangle at (0, 0)
// and old's at (dx, dy), given by its size; new lands at newX/newY in it and
// old at oldX/oldY.
struct BLEND_GEOMETRY {
  int32_t width = 0;
  int32_t height = 0;
  int32_t newX = 0, newY = 0;
  int32_t oldX = 0, oldY = 0;
};
BLEND_GEOMETRY GetBlendGeometry(const CRasterImage& newPicture, const CRasterImage& oldPicture, int dx, int dy);

// One step of the cross-fade from old to new (both 24-bit; masks are taken as
// premultiplying alpha), new weighted by w (0..255), old by 255 - w, old
// shifted by (dx, dy) against new. An empty old picture fades new in from
// black. Every product divided by 255 is a floor division looked up in a
// table made for the weight, so the sum never exceeds 255. The result is
// 24-bit without a mask (empty when memory is short).
CRasterImage BlendPictures(const CRasterImage& newPicture, const CRasterImage& oldPicture, int dx, int dy, int w);

// The same blend written into rows of red, green, blue bytes of the
// geometry's size (the caller's buffer, stride bytes apart); it touches no
// reference count, so a worker thread can run it on pictures that the
// user-interface thread keeps. False when a picture is not 24-bit.
bool BlendPicturesInto(const CRasterImage& newPicture, const CRasterImage& oldPicture, int dx, int dy, int w,
                       uint8_t* rgb, int64_t stride);

// The pair of pictures a cross-fade runs between, as TransitionToFrame
// prepares it: both 24-bit, with old's offset against new on the screen
// (each picture centred by its fitted canvas in a client area of the size
// given).
struct FADE_PAIR {
  CRasterImage newPicture;
  CRasterImage oldPicture;
  int dx = 0;
  int dy = 0;
};
FADE_PAIR MakeFadePair(const SLIDE_PICTURE& oldSlide, const SLIDE_PICTURE& newSlide, int32_t clientWidth,
                       int32_t clientHeight);
