#include "formats/BuiltinPalettes.h"

#include <array>
#include <cstdint>

#include "formats/MemStream.h"
#include "formats/PaletteFile.h"

namespace {

// The built-in palettes are kept as RIFF palette files, built at compile
// time from their colour tables, and read back through the file reader.
struct Rgb {
  uint8_t r, g, b;
};

constexpr Rgb kWindows16[16] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

constexpr std::array<Rgb, 256> MakeWindows256() {
  std::array<Rgb, 256> colors{};
  int n = 0;
  for (const Rgb& c : kWindows16) colors[n++] = c;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        colors[n++] = {static_cast<uint8_t>(51 * r), static_cast<uint8_t>(51 * g), static_cast<uint8_t>(51 * b)};
  for (int v = 8; v <= 238; v += 10) colors[n++] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v)};
  return colors;
}

template <size_t N>
constexpr std::array<uint8_t, 24 + 4 * N> MakeRiffPalette(const Rgb* colors) {
  std::array<uint8_t, 24 + 4 * N> bytes{};
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  const char* tags = "RIFF    PAL data";
  for (size_t i = 0; i < 16; ++i) bytes[i] = static_cast<uint8_t>(tags[i]);
  put32(4, static_cast<uint32_t>(4 * N + 16));
  put32(16, static_cast<uint32_t>(4 * N + 4));
  bytes[20] = 0x00;
  bytes[21] = 0x03;
  bytes[22] = static_cast<uint8_t>(N & 0xFF);
  bytes[23] = static_cast<uint8_t>(N >> 8);
  for (size_t i = 0; i < N; ++i) {
    bytes[24 + 4 * i] = colors[i].r;
    bytes[25 + 4 * i] = colors[i].g;
    bytes[26 + 4 * i] = colors[i].b;
  }
  return bytes;
}

constexpr std::array<Rgb, 256> kWindows256 = MakeWindows256();
constexpr auto kPaletteResource1 = MakeRiffPalette<16>(kWindows16);
constexpr auto kPaletteResource2 = MakeRiffPalette<256>(kWindows256.data());

}  // namespace

int LoadPaletteResource(int resource, RGBQUAD* palette) {
  const uint8_t* data = nullptr;
  int size = 0;
  if (resource == 1) {
    data = kPaletteResource1.data();
    size = static_cast<int>(kPaletteResource1.size());
  } else if (resource == 2) {
    data = kPaletteResource2.data();
    size = static_cast<int>(kPaletteResource2.size());
  } else {
    return 0;
  }
  CMemStream stream(data, size);
  return ReadPaletteFile(palette, stream);
}

int LoadWindows16Palette(RGBQUAD* palette) { return LoadPaletteResource(1, palette); }
int LoadWindows256Palette(RGBQUAD* palette) { return LoadPaletteResource(2, palette); }
