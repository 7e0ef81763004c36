#include "formats/PaletteFile.h"

#include <cstdio>
#include <cstring>

#include "formats/AtomicFileWriter.h"

namespace {

uint32_t Dword(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

int ReadPaletteFile(RGBQUAD* entries, CBufferedFile& stream) {
  if (!entries) return 0;
  uint8_t header[24];
  if (stream.Read(header, 24) != 24) return 0;
  if (std::memcmp(header, "RIFF", 4) != 0) return 0;
  const uint32_t riffSize = Dword(header + 4);
  if (std::memcmp(header + 8, "PAL ", 4) != 0 || std::memcmp(header + 12, "data", 4) != 0) return 0;
  const uint32_t dataSize = Dword(header + 16);
  const uint16_t version = Word(header + 20);
  const uint16_t count = Word(header + 22);
  if (version != 0x0300 || count > 256) return 0;
  if (dataSize != 4u * count + 4u) return 0;
  if (riffSize < dataSize + 12u) return 0;
  if (count == 0) return 0;
  uint8_t table[4 * 256];
  if (stream.Read(table, 4 * count) != 4 * count) return 0;
  for (int i = 0; i < count; ++i) entries[i] = MakeRGBQuad(table[4 * i], table[4 * i + 1], table[4 * i + 2]);
  return count;
}

bool WritePaletteFile(const RGBQUAD* entries, int count, CBufferedFile& stream) {
  if (!entries || count < 1 || count > 256) return false;
  stream.Write("RIFF", 4);
  stream.WriteDword(static_cast<uint32_t>(4 * count + 16));
  stream.Write("PAL ", 4);
  stream.Write("data", 4);
  stream.WriteDword(static_cast<uint32_t>(4 * count + 4));
  stream.WriteWord(0x0300);
  stream.WriteWord(static_cast<uint16_t>(count));
  for (int i = 0; i < count; ++i) {
    const uint8_t entry[4] = {entries[i].rgbRed, entries[i].rgbGreen, entries[i].rgbBlue, 0};
    stream.Write(entry, 4);
  }
  return !stream.GetWriteError();
}

bool EndsWithNoCase(const std::string& text, const std::string& ending) {
  if (text.size() < ending.size()) return false;
  const size_t offset = text.size() - ending.size();
  for (size_t i = 0; i < ending.size(); ++i) {
    char a = text[offset + i], b = ending[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

bool LoadPaletteFile(int* count, RGBQUAD* entries, const std::string& path) {
  if (!EndsWithNoCase(path, ".pal")) return false;
  CBufferedFile file;
  if (!file.Open(path.c_str(), CBufferedFile::kRead)) return false;
  const int n = ReadPaletteFile(entries, file);
  file.Close();
  if (count) *count = n;
  return n > 0;
}

bool SavePaletteFile(const RGBQUAD* entries, int count, const std::string& path, std::string* written) {
  if (!entries || count < 1 || count > 256 || path.empty()) return false;
  std::string target = path;
  if (!EndsWithNoCase(target, ".pal")) {
    if (target.back() != '.') target += '.';
    target += "pal";
  }
  CAtomicFileWriter writer(target);
  if (!writer.Begin()) return false;
  {
    CBufferedFile file;
    if (!file.Open(writer.TempPath().c_str(), CBufferedFile::kWrite)) return false;
    const bool ok = WritePaletteFile(entries, count, file);
    file.Close();
    if (!ok || file.GetWriteError()) return false;
  }
  if (writer.Commit() != ATOMIC_OK) return false;
  if (written) *written = target;
  return true;
}
