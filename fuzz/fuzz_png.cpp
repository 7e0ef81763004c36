// libFuzzer target: the PNG reader and header reader over arbitrary bytes.
// Chunk CRCs are recomputed first, so that mutations reach the chunk
// contents instead of stopping at the checksum.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ImageGeometry.h"
#include "base/MessageReport.h"
#include "formats/MemStream.h"
#include "formats/PngCodec.h"

namespace {

class SilentSink : public IMessageSink {
 public:
  void AddMessage(int, const std::string&) override {}
};

void FixCrcs(std::vector<uint8_t>& b) {
  size_t at = 8;
  while (at + 12 <= b.size()) {
    const uint32_t length = uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
    if (length > b.size() - at - 12) break;
    const uint32_t crc = static_cast<uint32_t>(crc32(0, b.data() + at + 4, static_cast<uInt>(length + 4)));
    uint8_t* p = b.data() + at + 8 + length;
    p[0] = uint8_t(crc >> 24), p[1] = uint8_t(crc >> 16), p[2] = uint8_t(crc >> 8), p[3] = uint8_t(crc);
    at += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static SilentSink sink;
  SetMessageSink(&sink);
  SetImageByteBudget(int64_t{64} << 20);
  std::vector<uint8_t> bytes(data, data + size);
  FixCrcs(bytes);
  {
    CMemStream stream(bytes.data(), static_cast<int>(bytes.size()));
    CCodecJob job;
    job.m_pStream = &stream;
    ReadPng(&job);
  }
  {
    CMemStream stream(bytes.data(), static_cast<int>(bytes.size()));
    CImageFileInfo info;
    GetPngInfo(&stream, &info);
  }
  return 0;
}
