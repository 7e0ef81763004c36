// libFuzzer target: the BMP reader and header-info function over arbitrary
// bytes. Every input must end with a result code, never a crash, a hang or
// an allocation beyond the (lowered) image budget.

#include <cstddef>
#include <cstdint>

#include "base/ImageGeometry.h"
#include "formats/BmpCodec.h"
#include "formats/MemStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool init = [] {
    SetImageByteBudget(int64_t{16} << 20);
    return true;
  }();
  (void)init;
  if (size > (1u << 20)) return 0;
  {
    CMemStream stream(data, static_cast<int>(size));
    CCodecJob job;
    job.m_pStream = &stream;
    const int rc = ReadBmp(&job);
    if (rc == IMAGEIO_OK && job.m_image.IsEmpty()) __builtin_trap();
    if (rc != IMAGEIO_OK && !job.m_image.IsEmpty()) __builtin_trap();
    if (rc == IMAGEIO_OK) {
      // What was read can be written again.
      CMemStream out;
      out.Open(nullptr, CBufferedFile::kWrite);
      CCodecJob write;
      write.m_pStream = &out;
      write.m_image = job.m_image;
      if (WriteBmp(&write) != IMAGEIO_OK) __builtin_trap();
    }
  }
  {
    CMemStream stream(data, static_cast<int>(size));
    CImageFileInfo info;
    GetBmpInfo(&stream, &info);
  }
  return 0;
}
