#include "formats/ImageFileHost.h"

#include "base/Profile.h"

namespace {
CHeadlessImageFileHost g_headlessHost;
IImageFileHost* g_pHost = nullptr;
}  // namespace

bool CHeadlessImageFileHost::RunImageFileDialog(bool, std::string&) { return false; }

bool CHeadlessImageFileHost::GetGifSaveOptions(GIF_SAVE_OPTIONS& options) {
  ReadGifSaveOptions(options);
  return true;
}

bool CHeadlessImageFileHost::GetJpegSaveOptions(JPEG_SAVE_OPTIONS& options, const CRasterImage*) {
  ReadJpegSaveOptions(options);
  return true;
}

RGBQUAD CHeadlessImageFileHost::GetBackgroundColor() {
  // Stored as red + 256 * green + 65536 * blue.
  const int value = GetProfileInt("Image Document", "Background Color", 0);
  return MakeRGBQuad(static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
                     static_cast<uint8_t>((value >> 16) & 0xFF));
}

IImageFileHost& ImageFileHost() { return g_pHost ? *g_pHost : g_headlessHost; }

IImageFileHost* SetImageFileHost(IImageFileHost* host) {
  IImageFileHost* previous = g_pHost ? g_pHost : &g_headlessHost;
  g_pHost = host;
  return previous;
}
