#pragma once
// The fills of the current frame: the floating selection filled with the
// program-wide pattern or with one colour, and a background of one colour
// put under the frame's whole content. Like the other frame edits they work
// on the copies of an undo transaction and say whether they changed
// anything; a refusal leaves the copies as they were.

#include <vector>

#include "editor/model/FrameEdits.h"
#include "imaging/AnimFrame.h"

// Whether the floating selection can take the pattern: a pattern is defined
// and the selection is full colour or gray.
bool CanFillWithPattern(const std::vector<CAnimFrame>& frames, int current);

// The floating selection blended with the pattern, tiled from canvas pixel
// (0, 0) so that neighbouring fills meet: "Fill With Pattern".
FRAME_EDIT_RESULT FillSelectionWithPattern(std::vector<CAnimFrame>& frames, int current);

// What the user picks a fill colour from: the selection merged over the
// image, or the selection alone when the frame has no image.
CRasterImage FillColorSource(const CAnimFrame& frame);

// The floating selection filled with the colour: "Fill With Color". An
// indexed selection without that colour takes it into a palette entry no
// pixel uses (of the image too, so both keep one palette); without such an
// entry the fill is refused with "Color cannot be found in the palette !".
FRAME_EDIT_RESULT FillSelectionWithColor(std::vector<CAnimFrame>& frames, int current, RGBQUAD color);

// The frame's whole content becomes the floating selection over a new image
// of the canvas size in the content's depth (24-bit when there is none),
// filled with the colour: "Add Background Fill". An indexed content without
// that colour takes the nearest palette entry; `warning` then says so.
FRAME_EDIT_RESULT AddBackgroundFill(std::vector<CAnimFrame>& frames, int current, int32_t canvasWidth,
                                    int32_t canvasHeight, RGBQUAD color, std::string* warning = nullptr);
