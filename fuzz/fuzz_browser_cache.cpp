// Fuzz target of the thumbnail cache file reader: any bytes give a list of
// records (possibly none) without reading past the data, and what was read
// writes back to a file that reads the same and writes identically.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "browser/core/BrowserItemList.h"
#include "formats/MemStream.h"

namespace {

std::vector<uint8_t> Write(const CBrowserItemList& list) {
  CMemStream out;
  out.SetMode(CBufferedFile::kWrite);
  if (!list.WriteCacheFile("/f/", out)) std::abort();
  return std::vector<uint8_t>(out.GetData(), out.GetData() + out.GetLength());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 22)) return 0;
  CMemStream stream(data, static_cast<int>(size));
  CBrowserItemList list;
  const int count = list.ReadCacheFile("/f/", stream);
  if (count < 0 || static_cast<size_t>(count) != list.size()) std::abort();
  for (const CBrowserItem& item : list)
    if (!item.m_pThumbFrames || item.GetFolder() != "/f/") std::abort();
  const std::vector<uint8_t> first = Write(list);
  CMemStream again(first.data(), static_cast<int>(first.size()));
  CBrowserItemList back;
  if (back.ReadCacheFile("/f/", again) != count) std::abort();
  if (Write(back) != first) std::abort();
  return 0;
}
