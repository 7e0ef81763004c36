#pragma once
// Entry points of the GIF 87a and 89a, still and animated codec. Readers and writers return a result
// code (base/ResultCodes.h); info functions return true when the header
// was understood.
//
// Reading: every image of the file becomes a CAnimFrame (position, delay,
// the graphic-control packed byte as m_nFlags, transparency as a 1-bit mask);
// the job receives the logical screen (grown to cover every frame read), the
// first comment and the NETSCAPE2.0 loop count (0 in the file reads as -1,
// endless). Image data that is damaged or ends early leaves the rows not
// reached at index 0; the frame is kept. The frames of one file together may
// take 4 times the one-image byte budget (base/ImageGeometry.h); past it
// the read ends with IMAGEIO_NO_MEMORY.
//
// Writing: any range of frames as one file, the first frame's colour table
// as the global table, a local table where a frame's colours differ, a
// transparent index chosen from each frame's mask, 24-bit frames reduced to
// a palette when the options allow it.

#include "formats/CodecJob.h"
#include "formats/SaveOptions.h"

// Frames in the stream (image descriptors), 0 when there are none or the
// header is not a GIF header. An image counts when its descriptor, colour
// table and code size were read whole, so a file cut inside its last image
// still shows the rows that arrived.
int CountGifFrames(CBufferedFile* stream);
// Reads `count` frames from frame `first` (0-based, file order) into
// job->m_pFrames, which holds at least `count` records.
int ReadGif(CCodecJob* job, int first, int count);
// Writes `count` frames from `first` of job->m_pFrames. A logical screen of
// 0 x 0 in the job is taken as the smallest one covering the frames.
int WriteGif(CCodecJob* job, int first, int count, const GIF_SAVE_OPTIONS* options);
bool GetGifInfo(CBufferedFile* stream, CImageFileInfo* info);

// The image WriteGif writes for a frame: the image with its floating
// selection composed in, cut to the logical screen, 24-bit results reduced
// to 8 bits. (x, y) enter as the frame's position and leave as the image's.
// Empty when nothing of the frame lies on the screen; *result is set to a
// failure code when the frame could not be prepared.
CRasterImage PrepareGifFrame(const CAnimFrame& frame, int& x, int& y, int screenWidth, int screenHeight,
                             int* result);

// Reduces a 24-bit image to an 8-bit one on an optimal palette of up to 256
// colours built from its opaque pixels, with error diffusion; the mask is
// kept as a 1-bit mask. Pushes "Convert to GIF indexed colors..." while it
// maps. Empty with *result set when it fails.
CRasterImage ConvertToGifColors(const CRasterImage& image, int* result);
