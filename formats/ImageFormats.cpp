#include "formats/ImageFormats.h"

#include "formats/BmpCodec.h"
#include "formats/GifCodec.h"
#include "formats/JpegCodec.h"
#include "formats/PcxCodec.h"
#include "formats/PictCodec.h"
#include "formats/PngCodec.h"
#include "formats/TgaCodec.h"
#include "formats/TiffCodec.h"

namespace {

constexpr const char* kBmpExt[] = {"bmp", "dib"};
constexpr const char* kGifExt[] = {"gif"};
constexpr const char* kPcxExt[] = {"pcx"};
constexpr const char* kPictExt[] = {"pct", "pict"};
constexpr const char* kTiffExt[] = {"tif", "tiff"};
constexpr const char* kJpegExt[] = {"jpg", "jpeg", "jpe", "jfif"};
constexpr const char* kPngExt[] = {"png"};
constexpr const char* kTgaExt[] = {"tga"};
constexpr const char* kPcdExt[] = {"pcd"};

int ReadBmpEntry(CCodecJob& job, int) { return ReadBmp(&job); }
int ReadGifEntry(CCodecJob& job, int count) { return ReadGif(&job, 0, count); }
int ReadPcxEntry(CCodecJob& job, int) { return ReadPcx(&job); }
int ReadPictEntry(CCodecJob& job, int) { return ReadPict(&job); }
int ReadTiffEntry(CCodecJob& job, int) { return ReadTiff(&job); }
int ReadJpegEntry(CCodecJob& job, int) { return ReadJpeg(&job); }
int ReadPngEntry(CCodecJob& job, int) { return ReadPng(&job); }
int ReadTgaEntry(CCodecJob& job, int) { return ReadTga(&job); }

int WriteBmpEntry(CCodecJob& job, const FORMAT_WRITE_OPTIONS&) { return WriteBmp(&job); }
int WriteGifEntry(CCodecJob& job, const FORMAT_WRITE_OPTIONS& o) {
  return WriteGif(&job, o.firstFrame, o.frameCount, o.gif);
}
int WritePcxEntry(CCodecJob& job, const FORMAT_WRITE_OPTIONS&) { return WritePcx(&job); }
int WritePictEntry(CCodecJob& job, const FORMAT_WRITE_OPTIONS&) { return WritePict(&job); }
int WriteTiffEntry(CCodecJob& job, const FORMAT_WRITE_OPTIONS&) { return WriteTiff(&job); }
int WriteJpegEntry(CCodecJob& job, const FORMAT_WRITE_OPTIONS& o) {
  return o.jpeg ? WriteJpeg(&job, o.jpeg) : WriteJpegWithOptions(&job);
}
int WritePngEntry(CCodecJob& job, const FORMAT_WRITE_OPTIONS&) { return WritePng(&job); }
int WriteTgaEntry(CCodecJob& job, const FORMAT_WRITE_OPTIONS&) { return WriteTga(&job); }

bool BmpInfo(CBufferedFile& s, CImageFileInfo& i) { return GetBmpInfo(&s, &i); }
bool GifInfo(CBufferedFile& s, CImageFileInfo& i) { return GetGifInfo(&s, &i); }
bool PcxInfo(CBufferedFile& s, CImageFileInfo& i) { return GetPcxInfo(&s, &i); }
bool TiffInfo(CBufferedFile& s, CImageFileInfo& i) { return GetTiffInfo(&s, &i); }
bool JpegInfo(CBufferedFile& s, CImageFileInfo& i) { return GetJpegInfo(&s, &i, true); }
bool PngInfo(CBufferedFile& s, CImageFileInfo& i) { return GetPngInfo(&s, &i); }
bool TgaInfo(CBufferedFile& s, CImageFileInfo& i) { return GetTgaInfo(&s, &i); }

int GifFrames(CBufferedFile& s) { return CountGifFrames(&s); }
int TiffPages(CBufferedFile& s) { return CountTiffPages(&s); }

// The dialogs' order. PICT, PCX and JPEG have no transparency.
const IMAGE_FORMAT_INFO kFormats[] = {
    {IMAGE_FORMAT_BMP, "BMP", kBmpExt, false, true, ReadBmpEntry, WriteBmpEntry, BmpInfo, nullptr},
    {IMAGE_FORMAT_GIF, "GIF", kGifExt, true, true, ReadGifEntry, WriteGifEntry, GifInfo, GifFrames},
    {IMAGE_FORMAT_PCX, "PCX", kPcxExt, false, false, ReadPcxEntry, WritePcxEntry, PcxInfo, nullptr},
    {IMAGE_FORMAT_PICT, "PICT", kPictExt, false, false, ReadPictEntry, WritePictEntry, nullptr, nullptr},
    {IMAGE_FORMAT_TIFF, "TIFF", kTiffExt, true, true, ReadTiffEntry, WriteTiffEntry, TiffInfo, TiffPages},
    {IMAGE_FORMAT_JPEG, "JPEG", kJpegExt, false, false, ReadJpegEntry, WriteJpegEntry, JpegInfo, nullptr},
    {IMAGE_FORMAT_PNG, "PNG", kPngExt, false, true, ReadPngEntry, WritePngEntry, PngInfo, nullptr},
    {IMAGE_FORMAT_TGA, "TGA", kTgaExt, false, true, ReadTgaEntry, WriteTgaEntry, TgaInfo, nullptr},
    {IMAGE_FORMAT_PCD, "PCD", kPcdExt, false, true, nullptr, nullptr, nullptr, nullptr},
};

bool EqualsNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (x != static_cast<unsigned char>(b[i])) return false;
  }
  return i == a.size() && !b[i];
}

// A format the dialogs offer: one the program can both read and write.
bool InDialog(const IMAGE_FORMAT_INFO& f) { return f.read && f.write; }

}  // namespace

std::span<const IMAGE_FORMAT_INFO> ImageFormats() { return kFormats; }

const IMAGE_FORMAT_INFO* FindImageFormat(int format) {
  for (const auto& f : kFormats)
    if (f.format == format) return &f;
  return nullptr;
}

IMAGE_FORMAT ImageFormatFromExtension(const std::string& ext) {
  for (const auto& f : kFormats)
    for (const char* e : f.extensions)
      if (EqualsNoCase(ext, e)) return f.format;
  return IMAGE_FORMAT_UNKNOWN;
}

std::vector<IMAGE_FORMAT> DialogFormats() {
  std::vector<IMAGE_FORMAT> out;
  for (const auto& f : kFormats)
    if (InDialog(f)) out.push_back(f.format);
  return out;
}

namespace {

std::string Patterns(const IMAGE_FORMAT_INFO& f) {
  std::string out;
  for (const char* e : f.extensions) {
    if (!out.empty()) out += ';';
    out += std::string("*.") + e;
  }
  return out;
}

}  // namespace

std::string ImageFilePatterns() {
  std::string out;
  for (const auto& f : kFormats) {
    if (!InDialog(f)) continue;
    if (!out.empty()) out += ';';
    out += Patterns(f);
  }
  return out;
}

std::string ImageFileFilter() {
  std::string out = "All image files|" + ImageFilePatterns() + "|";
  for (const auto& f : kFormats)
    if (InDialog(f)) out += std::string(f.name) + " (*." + f.extensions[0] + ")|" + Patterns(f) + "|";
  return out + "All files|*";
}
