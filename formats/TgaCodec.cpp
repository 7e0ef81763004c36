// Targa reader, writer and header information.
//
// The reader takes colour-mapped (types 1 and 9), true-colour (2 and 10) and
// gray (3 and 11) images of 8, 15, 16, 24 and 32 bits, raw or run-length
// encoded, honours both origin bits, and turns the 16-bit attribute bit or
// the 32-bit alpha into an 8-bit mask. Gray images of 16 bits are a level
// byte followed by an alpha byte: gray levels in 24 bits (the depth that
// holds an 8-bit mask) with an 8-bit mask, or 8-bit gray when the header
// declares no alpha bits. Run-length packets may cross rows (as
// files older than TGA 2.0 allow): the rest of a packet carries into the next
// row. The writer always writes run-length encoded files with a top-left
// origin.

#include "formats/TgaCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/ImageGeometry.h"
#include "imaging/PixelAccess.h"

namespace {

struct TgaHeader {
  uint8_t idLength = 0;
  uint8_t colorMapType = 0;
  uint8_t imageType = 0;
  uint16_t mapFirst = 0;
  uint16_t mapLength = 0;
  uint8_t mapEntrySize = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t depth = 0;
  uint8_t descriptor = 0;
};

bool ReadTgaHeader(CBufferedFile* stream, TgaHeader* h) {
  uint8_t b[18];
  if (stream->Read(b, 18) != 18) return false;
  h->idLength = b[0];
  h->colorMapType = b[1];
  h->imageType = b[2];
  h->mapFirst = static_cast<uint16_t>(b[3] | b[4] << 8);
  h->mapLength = static_cast<uint16_t>(b[5] | b[6] << 8);
  h->mapEntrySize = b[7];
  h->width = static_cast<uint16_t>(b[12] | b[13] << 8);
  h->height = static_cast<uint16_t>(b[14] | b[15] << 8);
  h->depth = b[16];
  h->descriptor = b[17];
  return true;
}

inline uint8_t Expand5(int c) { return static_cast<uint8_t>(c * 255 / 31); }

// Colour of a 15/16-bit value (5 bits each of red, green, blue from the high bits).
inline void Decode16(uint16_t v, uint8_t* red, uint8_t* green, uint8_t* blue) {
  *red = Expand5((v >> 10) & 31);
  *green = Expand5((v >> 5) & 31);
  *blue = Expand5(v & 31);
}

// Run-length decoding state that lives across rows: a packet may end in a
// later row than it starts.
struct TgaRleState {
  int pending = 0;       // pixels of the current packet not yet produced
  bool repeat = false;   // the current packet repeats `pixel`
  uint8_t pixel[4] = {};
};

// Decodes n pixels of b bytes each into buffer. Stops early only when the
// stream's error flag is set; the rest of the buffer is then left as it was.
void ReadTgaRlePacket(int b, CBufferedFile* stream, int n, uint8_t* buffer, TgaRleState* state) {
  int i = 0;
  while (i < n) {
    if (state->pending == 0) {
      const uint8_t h = stream->ReadByte();
      if (stream->GetError()) return;
      state->pending = (h & 0x7F) + 1;
      state->repeat = (h & 0x80) != 0;
      if (state->repeat) {
        stream->Read(state->pixel, b);
        if (stream->GetError()) {
          state->pending = 0;
          return;
        }
      }
    }
    const int count = std::min(state->pending, n - i);
    if (state->repeat) {
      for (int k = 0; k < count; ++k) std::memcpy(buffer + static_cast<size_t>(i + k) * b, state->pixel, b);
    } else {
      stream->Read(buffer + static_cast<size_t>(i) * b, count * b);
      if (stream->GetError()) {
        state->pending = 0;
        return;
      }
    }
    i += count;
    state->pending -= count;
  }
}

// The pixel value at x of a row of the given depth, for run comparisons.
uint32_t GetTgaPixel(const uint8_t* row, int depth, int x) {
  switch (depth) {
    case 8:
      return row[x];
    case 15:
      return (row[2 * x] | row[2 * x + 1] << 8) & 0x7FFFu;
    case 16:
      return row[2 * x] | row[2 * x + 1] << 8;
    case 24:
      return row[3 * x] | row[3 * x + 1] << 8 | static_cast<uint32_t>(row[3 * x + 2]) << 16;
    default:
      return row[4 * x] | row[4 * x + 1] << 8 | static_cast<uint32_t>(row[4 * x + 2]) << 16 |
             static_cast<uint32_t>(row[4 * x + 3]) << 24;
  }
}

// Length (1..limit) and kind of the next packet of a row with r pixels left
// at x. A repeat packet grows while pixels stay equal; a raw packet grows
// until three equal pixels follow and ends before them.
int FindTgaRun(const uint8_t* row, int depth, int x, int r, bool* repeat, int limit = 128) {
  r = std::min(r, limit);
  if (r == 1) {
    *repeat = false;
    return 1;
  }
  const uint32_t first = GetTgaPixel(row, depth, x);
  if (r == 2) {
    *repeat = GetTgaPixel(row, depth, x + 1) == first;
    return 2;
  }
  if (GetTgaPixel(row, depth, x + 1) == first && GetTgaPixel(row, depth, x + 2) == first) {
    *repeat = true;
    int c = 3;
    while (c < r && GetTgaPixel(row, depth, x + c) == first) ++c;
    return c;
  }
  *repeat = false;
  int c = 1;
  while (c < r) {
    if (c + 2 < r) {
      const uint32_t p = GetTgaPixel(row, depth, x + c);
      if (GetTgaPixel(row, depth, x + c + 1) == p && GetTgaPixel(row, depth, x + c + 2) == p) break;
    }
    ++c;
  }
  return c;
}

// Run-length encodes n pixels of the row into output (which holds at least
// n * bytes per pixel + n bytes); returns the output length.
int WriteTgaRleRow(const uint8_t* row, int n, int depth, uint8_t* output) {
  const int b = (depth + 7) / 8;
  int out = 0;
  int x = 0;
  while (x < n) {
    bool repeat = false;
    const int c = FindTgaRun(row, depth, x, n - x, &repeat);
    if (repeat) {
      output[out++] = static_cast<uint8_t>((c - 1) | 0x80);
      std::memcpy(output + out, row + static_cast<size_t>(x) * b, b);
      out += b;
    } else {
      output[out++] = static_cast<uint8_t>(c - 1);
      std::memcpy(output + out, row + static_cast<size_t>(x) * b, static_cast<size_t>(c) * b);
      out += c * b;
    }
    x += c;
  }
  return out;
}

int ReadTgaImage(CCodecJob* job, CRasterImage& image) {
  CBufferedFile* stream = job->m_pStream;
  TgaHeader h;
  if (!ReadTgaHeader(stream, &h)) return IMAGEIO_CORRUPT;
  const int type = h.imageType;
  if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11) return IMAGEIO_BAD_FORMAT;
  const int depth = h.depth;
  if (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32) return IMAGEIO_BAD_COLOR_MODE;
  const bool mapped = type == 1 || type == 9;
  const bool gray = type == 3 || type == 11;
  // Colour-mapped pixels are 8-bit indexes here, gray pixels 8-bit levels,
  // alone or followed by 8 bits of alpha.
  if (mapped && depth != 8) return IMAGEIO_BAD_COLOR_MODE;
  if (gray && depth != 8 && depth != 16) return IMAGEIO_BAD_COLOR_MODE;
  const bool grayAlpha = gray && depth == 16;
  // The alpha byte counts only when the header says it holds alpha bits.
  const bool grayAlphaMask = grayAlpha && (h.descriptor & 0x0F) != 0;
  if (h.colorMapType > 1) return IMAGEIO_BAD_FORMAT;
  if (mapped && (h.colorMapType != 1 || h.mapLength == 0)) return IMAGEIO_CORRUPT;
  const int mapEntry = h.mapEntrySize;
  const bool hasMap = h.colorMapType == 1 && h.mapLength > 0;
  if (mapped && mapEntry != 15 && mapEntry != 16 && mapEntry != 24 && mapEntry != 32) return IMAGEIO_CORRUPT;
  const bool rle = type >= 9;
  const int width = h.width;
  const int height = h.height;
  const int imageDepth = depth == 8 || (grayAlpha && !grayAlphaMask) ? 8 : 24;
  if (int rc = CheckImageGeometry(width, height, imageDepth); rc != IMAGEIO_OK) return rc;

  // The ID field.
  if (h.idLength > 0) {
    uint8_t id[256];
    if (stream->Read(id, h.idLength) != h.idLength) return IMAGEIO_CORRUPT;
  }
  if (!image.Create(width, height, imageDepth)) return IMAGEIO_NO_MEMORY;

  if (imageDepth == 8) {
    if (mapped) {
      const int entryBytes = (mapEntry + 7) / 8;
      RGBQUAD* pal = image.GetWritablePalette();
      for (int i = 0; i < h.mapLength; ++i) {
        uint8_t e[4] = {};
        if (stream->Read(e, entryBytes) != entryBytes) return IMAGEIO_CORRUPT;
        const int index = h.mapFirst + i;
        if (index > 255) continue;
        RGBQUAD& q = pal[index];
        if (entryBytes == 2) {
          Decode16(static_cast<uint16_t>(e[0] | e[1] << 8), &q.rgbRed, &q.rgbGreen, &q.rgbBlue);
        } else {
          q = MakeRGBQuad(e[2], e[1], e[0]);
        }
      }
    } else {
      SetGrayPalette(image);
    }
  }
  if (hasMap && !(mapped && depth == 8)) {
    // A colour map the pixels do not use: skip it so that the pixels start
    // where they are.
    const int64_t skip = int64_t{h.mapLength} * ((mapEntry + 7) / 8);
    std::vector<uint8_t> junk(static_cast<size_t>(skip));
    if (stream->Read(junk.data(), static_cast<int>(skip)) != skip) return IMAGEIO_CORRUPT;
  }

  if ((depth == 16 && (!grayAlpha || grayAlphaMask)) || depth == 32) {
    if (!image.CreateMask()) return IMAGEIO_NO_MEMORY;
  }
  const int b = (depth + 7) / 8;
  const bool topDown = (h.descriptor & 0x20) != 0;
  const bool rightToLeft = (h.descriptor & 0x10) != 0;
  std::vector<uint8_t> line(static_cast<size_t>(width) * b);
  TgaRleState state;
  uint8_t* bits = image.GetWritableBits();
  uint8_t* maskBits = image.HasMask() ? image.GetWritableMaskBits() : nullptr;
  const int stride = image.GetStride();
  const int maskStride = image.GetMaskStride();

  for (int i = 0; i < height; ++i) {
    std::fill(line.begin(), line.end(), 0);  // what a truncated file leaves out stays clear
    if (rle) {
      ReadTgaRlePacket(b, stream, width, line.data(), &state);
    } else {
      stream->Read(line.data(), width * b);
    }
    const int y = topDown ? i : height - 1 - i;
    uint8_t* row = bits + static_cast<int64_t>(y) * stride;
    uint8_t* mrow = maskBits ? maskBits + static_cast<int64_t>(y) * maskStride : nullptr;
    for (int k = 0; k < width; ++k) {
      const int x = rightToLeft ? width - 1 - k : k;
      const uint8_t* p = line.data() + static_cast<size_t>(k) * b;
      if (grayAlpha) {
        if (mrow) {
          row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = p[0];
          mrow[x] = p[1];
        } else {
          row[x] = p[0];
        }
        continue;
      }
      switch (depth) {
        case 8:
          row[x] = p[0];
          break;
        case 15:
        case 16: {
          const uint16_t v = static_cast<uint16_t>(p[0] | p[1] << 8);
          Decode16(v, &row[3 * x], &row[3 * x + 1], &row[3 * x + 2]);
          if (mrow) mrow[x] = (v & 0x8000) ? 255 : 0;
          break;
        }
        case 24:
          row[3 * x] = p[2];
          row[3 * x + 1] = p[1];
          row[3 * x + 2] = p[0];
          break;
        default:
          row[3 * x] = p[2];
          row[3 * x + 1] = p[1];
          row[3 * x + 2] = p[0];
          if (mrow) mrow[x] = p[3];
          break;
      }
    }
    if (job->m_pfnCancel && job->m_pfnCancel()) return IMAGEIO_CANCELLED;
    if (job->m_pfnProgress) job->m_pfnProgress(i, height);
    // A file that ends early keeps the rows read so far; the rest stay clear.
    if (stream->GetError()) {
      job->m_bIncomplete = true;
      break;
    }
  }
  const int state2 = image.GetMaskState();
  if (state2 == 2 || state2 == 3) image.RemoveMask();
  return IMAGEIO_OK;
}

}  // namespace

int ReadTga(CCodecJob* job) {
  return RunSingleImageRead(job, [job](CRasterImage& image) { return ReadTgaImage(job, image); });
}

int WriteTga(CCodecJob* job) {
  if (!job || !job->m_pStream || job->m_image.IsEmpty()) {
    if (job) job->m_nResult = IMAGEIO_INTERNAL_ERROR;
    return IMAGEIO_INTERNAL_ERROR;
  }
  const CRasterImage& image = job->m_image;
  CBufferedFile* stream = job->m_pStream;
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  const int bpp = image.GetBitsPerPixel();
  const bool hasMask = image.HasValidMask();
  const RGBQUAD* pal = image.GetPalette();

  int depth = 24;
  int type = 10;
  bool whiteFirst = false;
  if (!hasMask) {
    if (bpp == 24) {
      depth = 24, type = 10;
    } else if (bpp == 8 && image.IsGrayscale()) {
      depth = 8, type = 11;
    } else {
      depth = 8, type = 9;
    }
  } else if (bpp == 1 && image.GetPaletteSize() >= 2 &&
             ((pal[0] == MakeRGBQuad(0, 0, 0) && pal[1] == MakeRGBQuad(255, 255, 255)) ||
              (pal[0] == MakeRGBQuad(255, 255, 255) && pal[1] == MakeRGBQuad(0, 0, 0)))) {
    depth = 16, type = 10;
    whiteFirst = pal[0].rgbRed == 255;
  } else {
    depth = 32, type = 10;
  }

  stream->BeginBuffer();
  uint8_t hdr[18] = {};
  const int mapLength = type == 9 ? (1 << bpp) : 0;
  hdr[1] = type == 9 ? 1 : 0;
  hdr[2] = static_cast<uint8_t>(type);
  hdr[5] = static_cast<uint8_t>(mapLength);
  hdr[6] = static_cast<uint8_t>(mapLength >> 8);
  hdr[7] = type == 9 ? 24 : 0;
  hdr[12] = static_cast<uint8_t>(width);
  hdr[13] = static_cast<uint8_t>(width >> 8);
  hdr[14] = static_cast<uint8_t>(height);
  hdr[15] = static_cast<uint8_t>(height >> 8);
  hdr[16] = static_cast<uint8_t>(depth);
  hdr[17] = static_cast<uint8_t>(0x20 | (depth == 16 ? 1 : depth == 32 ? 8 : 0));
  stream->Write(hdr, 18);
  if (type == 9) {
    for (int i = 0; i < mapLength; ++i) {
      const RGBQUAD q = i < image.GetPaletteSize() ? pal[i] : RGBQUAD{};
      const uint8_t e[3] = {q.rgbBlue, q.rgbGreen, q.rgbRed};
      stream->Write(e, 3);
    }
  }

  const int b = depth / 8;
  std::vector<uint8_t> row(static_cast<size_t>(width) * b);
  std::vector<uint8_t> out(static_cast<size_t>(width) * (b + 1) + 1);
  PIXELGETPROC getPixel = GetPixelGetter(bpp);
  PIXELGETPROC getMask = GetPixelGetter(image.GetMaskBitsPerPixel());
  int rc = IMAGEIO_OK;
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = image.GetRow(y);
    const uint8_t* msrc = hasMask ? image.GetMaskRow(y) : nullptr;
    for (int x = 0; x < width; ++x) {
      const auto sx = static_cast<int16_t>(x);
      uint8_t* p = row.data() + static_cast<size_t>(x) * b;
      if (depth == 8) {
        p[0] = static_cast<uint8_t>(getPixel(src, sx));
      } else if (depth == 24) {
        p[0] = src[3 * x + 2];
        p[1] = src[3 * x + 1];
        p[2] = src[3 * x];
      } else if (depth == 16) {
        const int index = GetPixel1(src, sx);
        const bool white = whiteFirst ? index == 0 : index == 1;
        uint16_t v = white ? 0x7FFF : 0;
        if (getMask(msrc, sx)) v |= 0x8000;
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
      } else {
        RGBQUAD c;
        if (bpp == 24)
          c = MakeRGBQuad(src[3 * x], src[3 * x + 1], src[3 * x + 2]);
        else
          c = pal[getPixel(src, sx)];
        int alpha = getMask(msrc, sx);
        if (image.GetMaskBitsPerPixel() == 1) alpha = alpha ? 255 : 0;
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
        p[3] = static_cast<uint8_t>(alpha);
      }
    }
    const int n = WriteTgaRleRow(row.data(), width, depth, out.data());
    stream->Write(out.data(), n);
    if (job->m_pfnCancel && job->m_pfnCancel()) {
      rc = IMAGEIO_CANCELLED;
      break;
    }
    if (job->m_pfnProgress) job->m_pfnProgress(y, height);
  }
  stream->EndBuffer();
  job->m_nResult = rc;
  return rc;
}

bool GetTgaInfo(CBufferedFile* stream, CImageFileInfo* info) {
  if (!stream || !info) return false;
  TgaHeader h;
  if (!ReadTgaHeader(stream, &h)) return false;
  info->m_nWidth = h.width;
  info->m_nHeight = h.height;
  info->m_nBitsPerPixel = h.depth;
  return true;
}
