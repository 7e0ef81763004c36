// libFuzzer target: the EXIF parser over arbitrary APP1 payloads.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/ImageGeometry.h"
#include "formats/ExifParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An APP1 marker holds at most 65533 bytes.
  if (size > 65533) return 0;
  SetImageByteBudget(int64_t{64} << 20);
  CPropertyList list;
  CExifParser parser(&list);
  parser.Parse(data, static_cast<int>(size), true);
  // The same bytes behind the EXIF signature, so that mutations of the TIFF
  // structure are reached even when the signature is lost.
  if (size + 6 <= 65533) {
    std::vector<uint8_t> block = {'E', 'x', 'i', 'f', 0, 0};
    block.insert(block.end(), data, data + size);
    CPropertyList more;
    CExifParser second(&more);
    second.Parse(block.data(), static_cast<int>(block.size()), true);
  }
  return 0;
}
