#pragma once
// The editing view's arithmetic: zoom steps, display size, the image
// rectangle in the window, point conversion, best fit, and the composite of
// the earlier frames that their disposal keeps. Plain values only, so all of
// it is testable without a window.
//
// Zoom factor z: 2..16 shows every canvas pixel as z x z screen pixels;
// -2..-16 shows every |z|-th pixel; 1, 0 and -1 mean actual size. The steps in
// order are -16 ... -2, actual size, 2 ... 16.

#include <cstdint>
#include <vector>

#include "imaging/AnimFrame.h"
#include "imaging/ImageTypes.h"
#include "imaging/RasterImage.h"

constexpr int kMaxZoom = 16;

// Canvas size at the zoom (w / |z| truncated when reducing).
void GetZoomedSize(int width, int height, int zoom, int& displayWidth, int& displayHeight);
// One step in (out); the factor does not move past 16 (-16).
int ZoomInStep(int zoom);
int ZoomOutStep(int zoom);
// The largest reduction that fits the canvas into the area, never
// magnifying; 1 when it fits at actual size, -16 at most.
int BestFitZoom(int width, int height, int areaWidth, int areaHeight);

struct VIEW_GEOMETRY {
  int canvasWidth = 0;
  int canvasHeight = 0;
  int zoom = 1;
  int clientWidth = 0;
  int clientHeight = 0;
  int captionHeight = 0;
  int scrollX = 0;  // scroll position in pixels
  int scrollY = 0;
};

// The displayed canvas in scroll coordinates (centred while smaller than
// the client area; with a caption, image and caption are centred together).
Rect GetImageRect(const VIEW_GEOMETRY& g);
// Window point to canvas pixel. Points left of or above the image give
// negative pixels (the division rounds towards minus infinity).
Point ClientToImage(const VIEW_GEOMETRY& g, Point window);
// Canvas pixel to window point (the pixel's top-left corner).
Point ImageToClient(const VIEW_GEOMETRY& g, Point canvas);

// The earlier frames that their disposal keeps under later ones, composed:
// a 24-bit image with an 8-bit alpha mask and its canvas position.
struct FRAME_COMPOSITE {
  CRasterImage image;
  int left = 0;
  int top = 0;
  int composedFrame = -1;  // during playback: the last frame drawn into it
};

// Without playing: the kept frames before `current`. Playing: the box covers
// every kept frame but the last, and the image holds the kept frames from 0
// up to and including `playFrame`. Empty with currentOnly set or when no
// frame is kept.
FRAME_COMPOSITE BuildFrameComposite(const std::vector<CAnimFrame>& frames, int canvasWidth, int canvasHeight,
                                    int current, bool currentOnly, bool playing, int playFrame);
