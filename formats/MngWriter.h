#pragma once
// Writing the frames of an animation as an MNG file: the MNG signature, an
// MHDR chunk (canvas size, 100 ticks per second, frame count and play
// time), a TERM chunk for the loop count, then per frame a FRAM chunk with
// its delay (and an infinite timeout, the default restated) and the complete picture shown at that time as an embedded PNG
// datastream (IHDR ... IEND, 8-bit RGB, or RGBA where something is
// transparent), and MEND. The chunks and the pictures go through libpng.
//
// Each frame's picture is what a viewer shows while the frame is up (the
// frames before it that stay, then the frame itself, cut to the canvas), so
// the file needs no disposal: framing mode 3 clears to the background before
// every frame. The loop count is a GIF's: 0 plays once and keeps the last
// frame, 65535 repeats for ever, n repeats n times after the first pass (an
// iteration count of n + 1).

#include <cstdint>
#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "imaging/AnimFrame.h"

// The loop count that means "for ever".
inline constexpr uint16_t kMngLoopForever = 65535;

// The MNG bytes of the frames on a canvas of width x height (1..32767).
// Cancel is asked once per frame and row block; progress is (frames done,
// count). A result code; `out` is empty unless IMAGEIO_OK.
int EncodeMng(const CAnimFrame* frames, int count, int32_t width, int32_t height, uint16_t loopCount,
              std::vector<uint8_t>& out, CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);

// EncodeMng into a file, replaced in one step (formats/AtomicFileWriter.h).
int WriteMngFile(const std::string& path, const CAnimFrame* frames, int count, int32_t width, int32_t height,
                 uint16_t loopCount, CANCELPROC cancel = nullptr, PROGRESSPROC progress = nullptr);
