// Packed DIBs come from other programs through the clipboard: any bytes must
// give an image or an empty result, never a crash or an over-read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/Dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so that ASan sees any read past the end.
  std::vector<uint8_t> copy(data, data + size);
  CRasterImage image = DibToImage(copy.data(), copy.size());
  if (!image.IsEmpty()) {
    std::vector<uint8_t> again = ImageToDib(image);
    (void)DibToImage(again.data(), again.size());
  }
  return 0;
}
