#pragma once
// The geometry of the commands that change the current frame's size, shape
// or place on the canvas: flips, right-angle and arbitrary rotations, crop
// to the floating selection, delete of the selection, and the canvas size
// with its fit to the frames. Each works on the copies of an undo
// transaction (frames, canvas size) and says whether it changed anything;
// none touches a document, so a failure leaves the transaction uncommitted.

#include <cstdint>
#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "imaging/AnimFrame.h"

// The largest canvas or image side.
constexpr int32_t kMaxCanvasSide = 32767;

// What a command made of the frames (the undo label and the view hint).
struct FRAME_EDIT_RESULT {
  bool changed = false;
  std::string label;
  int hint = 0;  // 1: the canvas or the frame's extent may have changed
  // A refusal the user should read (a result above the size limit); empty
  // when the command simply had nothing to do.
  std::string refusal;
};

// Mirrors (FLIP_HORIZONTAL) or flips (FLIP_VERTICAL) the floating selection
// in place, or the image when there is none: "Flip Selection" / "Flip Image".
FRAME_EDIT_RESULT FlipCurrentFrame(std::vector<CAnimFrame>& frames, int current, int flags);

// Turns the selection (about the centre of its rectangle) or the image
// (about its centre on the canvas) clockwise by the angle: "Rotate %d °".
// The only frame, at 0, 0 and as large as the canvas, takes the canvas with
// it.
FRAME_EDIT_RESULT RotateCurrentFrame(std::vector<CAnimFrame>& frames, int16_t& canvasWidth, int16_t& canvasHeight,
                                     int current, int angle);

// The undo label of a rotation: "Rotate 90 °" (UTF-8 degree sign).
std::string RotationLabel(int angle);

// Drops the image and keeps the floating selection where it is on the
// canvas, the frame moving to 0, 0: "Crop". Needs an image and a selection.
FRAME_EDIT_RESULT CropToSelection(std::vector<CAnimFrame>& frames, int current);

// Drops the floating selection: "Delete".
FRAME_EDIT_RESULT DeleteSelection(std::vector<CAnimFrame>& frames, int current);

// Pastes an image as the current frame's floating selection, centred where
// the old selection was (else on the image, else on the canvas; the centre
// kept on the canvas): an old selection is merged into the image first, and
// the pasted image takes the frame's mode (mapped onto an indexed image's
// palette with diffusion, or made 24-bit for a 24-bit image): "Paste".
FRAME_EDIT_RESULT PasteIntoFrame(std::vector<CAnimFrame>& frames, int current, int32_t canvasWidth,
                                 int32_t canvasHeight, const CRasterImage& pasted);

// Gives the canvas a new size, moving every frame (or the selection of a
// frame without an image) by dx, dy: "Canvas Size Change". Nothing when the
// size stays and nothing moves; refused above 32767 pixels or when a frame
// would leave the canvas's coordinate range.
FRAME_EDIT_RESULT SetFramesCanvasSize(std::vector<CAnimFrame>& frames, int16_t& canvasWidth,
                                      int16_t& canvasHeight, int32_t width, int32_t height, int32_t dx, int32_t dy);

// The box around every frame's image and floating selection on the canvas
// (right and bottom exclusive); false when there is none.
bool GetFramesBounds(const std::vector<CAnimFrame>& frames, Rect& box);

// Whether Fit Canvas to Image would change anything.
bool CanFitCanvas(const std::vector<CAnimFrame>& frames, int32_t canvasWidth, int32_t canvasHeight);

// The canvas becomes the frames' box, whose corner moves to 0, 0.
FRAME_EDIT_RESULT FitCanvasToFrames(std::vector<CAnimFrame>& frames, int16_t& canvasWidth, int16_t& canvasHeight);

// Resizes the floating selection (keeping its top-left) or else the image to
// width x height: method 0 nearest neighbour, 1..4 filtered (the resampling
// filter method + 1). The only frame, at 0, 0 and as large as the canvas,
// takes the canvas with it: "Image Size Change". Nothing for the same size,
// an empty frame or a cancel.
FRAME_EDIT_RESULT ResizeCurrentFrame(std::vector<CAnimFrame>& frames, int16_t& canvasWidth, int16_t& canvasHeight,
                                     int current, int32_t width, int32_t height, int method,
                                     CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);
