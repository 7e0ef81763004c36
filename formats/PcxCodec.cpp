// PCX reader, writer and header information.
//
// The reader takes the plane layouts the image model holds: 1 plane of 1, 4
// or 8 bits, 4 planes of 1 bit (16 colours) and 3 planes of 8 bits (24-bit
// colour). Scan lines are run-length coded as one stream of bytes per row,
// all planes together; a run an encoder carried past the end of a line is
// continued at the start of the next. The writer writes version 5 files in
// the same layouts, with the 256-colour palette appended at the end.

#include "formats/PcxCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/ImageGeometry.h"
#include "imaging/PixelAccess.h"

namespace {

constexpr int kHeaderSize = 128;

struct PcxHeader {
  uint8_t manufacturer = 0;
  uint8_t bitsPerPixel = 0;
  uint16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  uint8_t colormap[48] = {};
  uint8_t planes = 0;
  uint16_t bytesPerLine = 0;

  int Width() const { return int{xMax} - int{xMin} + 1; }
  int Height() const { return int{yMax} - int{yMin} + 1; }
  int Depth() const { return planes * bitsPerPixel; }
};

bool ReadPcxHeader(CBufferedFile* stream, PcxHeader* h) {
  uint8_t b[kHeaderSize];
  if (stream->Read(b, kHeaderSize) != kHeaderSize) return false;
  auto word = [&](int at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); };
  h->manufacturer = b[0];
  h->bitsPerPixel = b[3];
  h->xMin = word(4);
  h->yMin = word(6);
  h->xMax = word(8);
  h->yMax = word(10);
  std::memcpy(h->colormap, b + 16, 48);
  h->planes = b[65];
  h->bytesPerLine = word(66);
  return true;
}

// Run-length decoder state: a run may continue into the next scan line.
struct PcxDecoder {
  int carryCount = 0;
  uint8_t carryByte = 0;

  // Decodes n bytes of one scan line into buffer. At the end of the data the
  // rest of the line is left as it was.
  void ReadLine(uint8_t* buffer, CBufferedFile* stream, int n) {
    int i = 0;
    if (carryCount > 0) {
      const int c = std::min(carryCount, n);
      std::memset(buffer, carryByte, static_cast<size_t>(c));
      i = c;
      carryCount -= c;
      // A run longer than a whole line (only possible with lines shorter than
      // 63 bytes) keeps its rest for the next line.
    }
    while (i < n) {
      const uint8_t b = stream->ReadByte();
      if (stream->GetError()) return;
      if (b < 0xC0) {
        buffer[i++] = b;
        continue;
      }
      const int count = b & 0x3F;
      const uint8_t value = stream->ReadByte();
      if (stream->GetError()) return;
      const int c = std::min(count, n - i);
      std::memset(buffer + i, value, static_cast<size_t>(c));
      i += c;
      if (c < count) {
        carryCount = count - c;
        carryByte = value;
      }
    }
  }
};

// Run-length encodes n bytes: runs of up to 63 equal bytes, single bytes
// below 0xC0 as themselves. Returns the bytes written.
int WritePcxLine(CBufferedFile* stream, const uint8_t* data, int n) {
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(n) * 2);
  int b = 0;
  while (b < n) {
    int run = 1;
    while (run < 63 && b + run < n && data[b + run] == data[b]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(0xC0 | run));
      out.push_back(data[b]);
    } else if (data[b] >= 0xC0) {
      out.push_back(0xC1);
      out.push_back(data[b]);
    } else {
      out.push_back(data[b]);
    }
    b += run;
  }
  stream->Write(out.data(), static_cast<int>(out.size()));
  return static_cast<int>(out.size());
}

inline int Gray(const RGBQUAD& q) { return (3 * q.rgbRed + 6 * q.rgbGreen + q.rgbBlue) / 10; }

int ReadPcxImage(CCodecJob* job, CRasterImage& image) {
  CBufferedFile* stream = job->m_pStream;
  PcxHeader h;
  if (!ReadPcxHeader(stream, &h) || h.manufacturer != 10) return IMAGEIO_CORRUPT;
  const int width = h.Width();
  const int height = h.Height();
  const int planes = h.planes;
  const int bits = h.bitsPerPixel;
  const int depth = h.Depth();
  if (width <= 0 || height <= 0) return IMAGEIO_CORRUPT;
  // The layouts whose pixels map onto the image model.
  const bool onePlane = planes == 1 && (bits == 1 || bits == 4 || bits == 8);
  const bool sixteen = planes == 4 && bits == 1;
  const bool rgb = planes == 3 && bits == 8;
  if (!onePlane && !sixteen && !rgb) return IMAGEIO_BAD_COLOR_MODE;
  if (int rc = CheckImageGeometry(width, height, depth); rc != IMAGEIO_OK) return rc;
  if (!image.Create(width, height, depth)) return IMAGEIO_NO_MEMORY;

  const int bpl = h.bytesPerLine;
  const int dataLength = static_cast<int>(RowBytes(width, bits));
  const int lineLength = planes * bpl;
  // Plane k starts at k * bytes-per-line. The buffer reaches a full plane's
  // data length past the last plane's start, so that a bytes-per-line field
  // shorter than the plane leaves zeros (or the next plane's bytes) rather
  // than letting the conversion read past the line.
  std::vector<uint8_t> line(static_cast<size_t>(lineLength + dataLength));
  const int stride = image.GetStride();
  uint8_t* bits0 = image.GetWritableBits();
  PcxDecoder decoder;
  for (int i = 0; i < height; ++i) {
    std::fill(line.begin(), line.begin() + lineLength, 0);  // what a truncated file leaves out stays clear
    decoder.ReadLine(line.data(), stream, lineLength);
    uint8_t* row = bits0 + static_cast<int64_t>(i) * stride;
    const size_t planeStep = static_cast<size_t>(bpl);
    if (onePlane) {
      std::memcpy(row, line.data(), static_cast<size_t>(stride));
    } else if (sixteen) {
      std::memset(row, 0, static_cast<size_t>(stride));
      for (int x = 0; x < width; ++x) {
        const int byte = x >> 3;
        const int shift = 7 - (x & 7);
        int v = 0;
        for (int k = 0; k < 4; ++k) v |= ((line[k * planeStep + byte] >> shift) & 1) << k;
        SetPixel4(row, static_cast<int16_t>(x), v);
      }
    } else {
      for (int x = 0; x < width; ++x) {
        row[3 * x] = line[x];
        row[3 * x + 1] = line[planeStep + x];
        row[3 * x + 2] = line[2 * planeStep + x];
      }
    }
    if (job->m_pfnCancel && job->m_pfnCancel()) return IMAGEIO_CANCELLED;
    if (job->m_pfnProgress && i % 4 == 0) job->m_pfnProgress(i, height);
    if (stream->GetError()) {  // truncated file: the remaining rows stay clear
      job->m_bIncomplete = true;
      break;
    }
  }

  RGBQUAD* pal = depth == 24 ? nullptr : image.GetWritablePalette();
  if (depth == 1) {
    pal[0] = MakeRGBQuad(0, 0, 0);
    pal[1] = MakeRGBQuad(255, 255, 255);
  } else if (depth == 4) {
    for (int k = 0; k < 16; ++k)
      pal[k] = MakeRGBQuad(h.colormap[3 * k], h.colormap[3 * k + 1], h.colormap[3 * k + 2]);
  } else if (depth == 8) {
    // The last 768 bytes of the file, whatever the marker byte before them.
    const int64_t size = stream->GetSize();
    uint8_t rgb768[768] = {};
    if (size >= kHeaderSize + 768) {
      stream->ClearError();
      stream->Seek(size - 768, CBufferedFile::kBegin);
      stream->Read(rgb768, 768);
    }
    for (int k = 0; k < 256; ++k) pal[k] = MakeRGBQuad(rgb768[3 * k], rgb768[3 * k + 1], rgb768[3 * k + 2]);
  }
  return IMAGEIO_OK;
}

}  // namespace

int ReadPcx(CCodecJob* job) {
  return RunSingleImageRead(job, [job](CRasterImage& image) { return ReadPcxImage(job, image); });
}

int WritePcx(CCodecJob* job) {
  if (!job || !job->m_pStream || job->m_image.IsEmpty()) {
    if (job) job->m_nResult = IMAGEIO_INTERNAL_ERROR;
    return IMAGEIO_INTERNAL_ERROR;
  }
  const CRasterImage& image = job->m_image;
  CBufferedFile* stream = job->m_pStream;
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  const int bpp = image.GetBitsPerPixel();
  const RGBQUAD* pal = image.GetPalette();
  const int planes = bpp == 4 ? 4 : bpp == 24 ? 3 : 1;
  const int bits = (bpp == 1 || bpp == 4) ? 1 : 8;
  const int dataLength = (bits == 1) ? (width + 7) / 8 : width;
  // Bytes per line are even, except for the 16-colour layout: readers that
  // step through its four bit planes by the data length (ImageMagick,
  // Pillow) misplace the pixels of padded planes, and every reader takes the
  // unpadded form.
  const int bpl = bpp == 4 ? dataLength : (dataLength + 1) & ~1;
  // Readers take a 1-bit file as black on 0 and white on 1: a palette whose
  // first colour is the lighter one is written with its bits inverted.
  const bool invert = bpp == 1 && Gray(pal[0]) > Gray(pal[1]);

  stream->BeginBuffer();
  uint8_t hdr[kHeaderSize] = {};
  auto putWord = [&](int at, int v) {
    hdr[at] = static_cast<uint8_t>(v);
    hdr[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  hdr[0] = 10;
  hdr[1] = 5;
  hdr[2] = 1;
  hdr[3] = static_cast<uint8_t>(bits);
  putWord(8, width - 1);
  putWord(10, height - 1);
  putWord(12, 100);
  putWord(14, 100);
  if (bpp == 1 || bpp == 4) {
    const int n = 1 << bpp;
    for (int k = 0; k < n; ++k) {
      const RGBQUAD q = pal[invert ? n - 1 - k : k];
      hdr[16 + 3 * k] = q.rgbRed;
      hdr[17 + 3 * k] = q.rgbGreen;
      hdr[18 + 3 * k] = q.rgbBlue;
    }
  }
  hdr[65] = static_cast<uint8_t>(planes);
  putWord(66, bpl);
  putWord(68, 1);
  stream->Write(hdr, kHeaderSize);

  std::vector<uint8_t> line(static_cast<size_t>(planes) * bpl, 0);
  int rc = IMAGEIO_OK;
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = image.GetRow(y);
    if (bpp == 1 || bpp == 8) {
      std::memcpy(line.data(), src, static_cast<size_t>(image.GetStride()));
      if (invert)
        for (int k = 0; k < dataLength; ++k) line[k] = static_cast<uint8_t>(~line[k]);
    } else if (bpp == 4) {
      std::fill(line.begin(), line.end(), 0);
      for (int x = 0; x < width; ++x) {
        const int v = GetPixel4(src, static_cast<int16_t>(x));
        for (int k = 0; k < 4; ++k)
          if (v & (1 << k)) line[static_cast<size_t>(k) * bpl + (x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
      }
    } else {
      for (int x = 0; x < width; ++x) {
        line[x] = src[3 * x];
        line[bpl + x] = src[3 * x + 1];
        line[2 * bpl + x] = src[3 * x + 2];
      }
    }
    if (bpl > dataLength)
      for (int k = 0; k < planes; ++k) line[static_cast<size_t>(k) * bpl + dataLength] = line[static_cast<size_t>(k) * bpl + dataLength - 1];
    WritePcxLine(stream, line.data(), static_cast<int>(line.size()));
    if (job->m_pfnCancel && job->m_pfnCancel()) {
      rc = IMAGEIO_CANCELLED;
      break;
    }
    if (job->m_pfnProgress && y % 4 == 0) job->m_pfnProgress(y, height);
  }
  if (rc == IMAGEIO_OK && bpp == 8) {
    uint8_t tail[769];
    tail[0] = 0x0C;
    for (int k = 0; k < 256; ++k) {
      tail[1 + 3 * k] = pal[k].rgbRed;
      tail[2 + 3 * k] = pal[k].rgbGreen;
      tail[3 + 3 * k] = pal[k].rgbBlue;
    }
    stream->Write(tail, sizeof tail);
  }
  stream->EndBuffer();
  job->m_nResult = rc;
  return rc;
}

bool GetPcxInfo(CBufferedFile* stream, CImageFileInfo* info) {
  if (!stream || !info) return false;
  PcxHeader h;
  if (!ReadPcxHeader(stream, &h) || h.manufacturer != 10) return false;
  info->m_nWidth = h.Width();
  info->m_nHeight = h.Height();
  info->m_nBitsPerPixel = h.Depth();
  return true;
}
