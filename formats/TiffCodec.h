#pragma once
// Entry points of the TIFF codec. Readers and writers return a result
// code (base/ResultCodes.h); info functions return true when the header
// was understood.

#include "formats/CodecJob.h"

// Pages (directories) in the stream, transparency-mask directories not
// counted; 0 when it is not a readable TIFF.
int CountTiffPages(CBufferedFile* stream);
// Reads the first page into job->m_image (with the comment, resolution and
// logical screen) and, when job->m_pFrames is set, page i into frame i for
// the job->m_nFrames records the caller allocated (delay 100). A mask page
// becomes the mask of the page before it. IMAGEIO_CORRUPT when the file does
// not open, IMAGEIO_UNKNOWN_ERROR when no page has a layout the image model
// holds.
int ReadTiff(CCodecJob* job);
// Writes job->m_image uncompressed, little-endian, with job->m_strComment as
// its description when not empty; the 1-bit mask of an indexed image goes
// into a second (transparency-mask) directory, the mask of a 24-bit image is
// stored as unassociated alpha.
int WriteTiff(CCodecJob* job);
bool GetTiffInfo(CBufferedFile* stream, CImageFileInfo* info);
