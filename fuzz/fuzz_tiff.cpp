// Fuzz target: the TIFF reader over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "formats/TiffCodec.h"
#include "fuzz/FuzzSingleImage.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  LowerImageBudgetForFuzzing();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 24)) return 0;
  CMemStream stream(data, static_cast<int>(size));
  CCodecJob job;
  job.m_pStream = &stream;
  const int pages = CountTiffPages(&stream);
  CAnimFrame frames[4];
  job.m_pFrames = frames;
  job.m_nFrames = pages < 4 ? pages : 4;
  ReadTiff(&job);
  CImageFileInfo info;
  GetTiffInfo(&stream, &info);
  return 0;
}
