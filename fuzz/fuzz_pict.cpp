// Fuzz target: the PICT reader over arbitrary bytes.
#include "formats/PictCodec.h"
#include "fuzz/FuzzSingleImage.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  LowerImageBudgetForFuzzing();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzSingleImageReader(data, size, ReadPict, nullptr);
}
