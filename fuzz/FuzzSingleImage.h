#pragma once
// The body shared by the fuzz targets of single-image readers: the image
// budget is lowered so that sanitizer runs stay in memory, and every input
// goes through the reader and, where the format has one, the header reader.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "base/ImageGeometry.h"
#include "formats/CodecJob.h"
#include "formats/MemStream.h"

inline void LowerImageBudgetForFuzzing() { SetImageByteBudget(int64_t{64} << 20); }

template <class Read, class Info>
int FuzzSingleImageReader(const uint8_t* data, size_t size, Read read, Info info) {
  if (size > (1u << 24)) return 0;
  {
    CMemStream stream(data, static_cast<int>(size));
    CCodecJob job;
    job.m_pStream = &stream;
    read(&job);
  }
  if constexpr (!std::is_same_v<Info, std::nullptr_t>) {
    CMemStream stream(data, static_cast<int>(size));
    CImageFileInfo fileInfo;
    info(&stream, &fileInfo);
  }
  return 0;
}
