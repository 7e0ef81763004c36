// Fuzz target of the RIFF palette reader: any bytes give 0 or a count of
// 1..256 colours, and a palette that was read writes back to a file that
// reads the same.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "formats/MemStream.h"
#include "formats/PaletteFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  CMemStream stream(data, static_cast<int>(size));
  RGBQUAD entries[256];
  const int count = ReadPaletteFile(entries, stream);
  if (count < 0 || count > 256) std::abort();
  if (count == 0) return 0;
  CMemStream out;
  out.SetMode(CBufferedFile::kWrite);
  if (!WritePaletteFile(entries, count, out)) std::abort();
  CMemStream again(out.GetData(), out.GetLength());
  RGBQUAD back[256];
  if (ReadPaletteFile(back, again) != count) std::abort();
  if (std::memcmp(back, entries, sizeof(RGBQUAD) * static_cast<size_t>(count)) != 0) std::abort();
  return 0;
}
