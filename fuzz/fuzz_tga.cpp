// Fuzz target: the TGA reader over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "formats/TgaCodec.h"
#include "formats/MemStream.h"
#include "imaging/ImageGeometry.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Keep single images small enough that sanitizer runs stay in memory.
  SetImageByteBudget(int64_t{64} << 20);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 24)) return 0;
  CMemStream stream(data, static_cast<int>(size));
  CCodecJob job;
  job.m_pStream = &stream;
  ReadTga(&job);
  CMemStream again(data, static_cast<int>(size));
  CImageFileInfo info;
  GetTgaInfo(&again, &info);
  return 0;
}
