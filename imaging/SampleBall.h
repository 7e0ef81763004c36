#pragma once
// The sample picture of the Display Options preview: a shaded ball with a
// checker of 20-degree segments that turns with the angle, on a transparent
// (mask 0) white background.

#include "imaging/RasterImage.h"

// A 24-bit image of the size; with a mask, 255 on the ball and 0 around it.
// The ball's radius is min(width, height) / 3, centred at (width / 2,
// height / 2); angle in degrees (0..359). Empty for a size the image guard
// refuses.
CRasterImage MakeSampleBallImage(int width, int height, bool withMask, int angle);
