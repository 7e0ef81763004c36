// libFuzzer target: the JPEG reader and header reader over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "base/ImageGeometry.h"
#include "formats/JpegCodec.h"
#include "formats/MemStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  // Keep single inputs within the fuzzer's memory limit.
  SetImageByteBudget(int64_t{64} << 20);
  {
    CMemStream stream(data, static_cast<int>(size));
    CCodecJob job;
    job.m_pStream = &stream;
    ReadJpeg(&job);
  }
  {
    CMemStream stream(data, static_cast<int>(size));
    CImageFileInfo info;
    GetJpegInfo(&stream, &info, true);
  }
  return 0;
}
