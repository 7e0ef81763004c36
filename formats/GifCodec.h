#pragma once
// Entry points of the GIF 87a and 89a, still and animated codec. Readers and writers return a result
// code (formats/ResultCodes.h); info functions return true when the header
// was understood.

#include "formats/CodecJob.h"
#include "formats/SaveOptions.h"

// Frames in the stream (image descriptors), 0 when there are none.
int CountGifFrames(CBufferedFile* stream);
// Reads `count` frames from frame `first` into job->m_pFrames.
int ReadGif(CCodecJob* job, int first, int count);
// Writes `count` frames from `first` of job->m_pFrames.
int WriteGif(CCodecJob* job, int first, int count, const GIF_SAVE_OPTIONS* options);
bool GetGifInfo(CBufferedFile* stream, CImageFileInfo* info);
