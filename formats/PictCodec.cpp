// Macintosh PICT (versions 1 and 2) reader and writer.
//
// Only the bitmaps of a picture are read: the reader walks the opcode
// stream, skips every opcode whose length it knows, collects the images of
// PackBitsRect and DirectBitsRect opcodes and stacks several of them top to
// bottom. Every length read from the file is bounded by the file's size, so
// a length that points backwards or past the end stops the walk instead of
// looping or overrunning. The writer writes one bitmap: a version 1 BitMap
// for 1-bit images, a version 2 PixMap with a colour table for 4- and 8-bit
// images, and a version 2 DirectBitsRect of three packed colour planes for
// 24-bit images. Multi-byte values are big-endian.

#include "formats/PictCodec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "base/ImageGeometry.h"
#include "imaging/PixelAccess.h"

namespace {

constexpr int kPictHeaderSize = 512;

// A reading cursor that knows the stream's size: no read or skip goes past
// the end, and a failed one leaves `failed` set.
class PictInput {
 public:
  explicit PictInput(CBufferedFile* stream) : m_stream(stream), m_size(stream->GetSize()) {}

  bool Read(void* out, int64_t n) {
    if (m_failed || n < 0 || n > m_size - m_pos) {
      m_failed = true;
      return false;
    }
    if (n == 0) return true;
    const int got = m_stream->Read(out, static_cast<int>(n));
    m_pos += got;
    if (got != n) m_failed = true;
    return !m_failed;
  }
  bool Skip(int64_t n) {
    uint8_t scratch[4096];
    while (n > 0 && !m_failed) {
      const int64_t chunk = std::min<int64_t>(n, sizeof scratch);
      if (!Read(scratch, chunk)) return false;
      n -= chunk;
    }
    return !m_failed;
  }
  uint8_t Byte() {
    uint8_t b = 0;
    Read(&b, 1);
    return b;
  }
  uint16_t Word() {
    uint8_t b[2] = {};
    Read(b, 2);
    return static_cast<uint16_t>(b[0] << 8 | b[1]);
  }
  uint32_t Long() {
    uint8_t b[4] = {};
    Read(b, 4);
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[2]) << 8 | b[3];
  }
  bool Failed() const { return m_failed; }
  int64_t Position() const { return m_pos; }
  void SetPosition(int64_t pos) { m_pos = pos; }

 private:
  CBufferedFile* m_stream;
  int64_t m_size;
  int64_t m_pos = 0;
  bool m_failed = false;
};

// PackBits over bytes: a count byte n of 0..127 brings n + 1 literal bytes,
// 0x81..0xFF one byte repeated 1 - n times, 0x80 nothing. Output beyond
// `outLength` is dropped; returns the bytes produced.
int UnpackBits8(const uint8_t* in, int inLength, uint8_t* out, int outLength) {
  int i = 0, o = 0;
  while (i < inLength && o < outLength) {
    const int n = static_cast<int8_t>(in[i++]);
    if (n >= 0) {
      const int count = std::min({n + 1, inLength - i, outLength - o});
      std::memcpy(out + o, in + i, static_cast<size_t>(count));
      i += n + 1;
      o += count;
    } else if (n != -128) {
      if (i >= inLength) break;
      const int count = std::min(1 - n, outLength - o);
      std::memset(out + o, in[i++], static_cast<size_t>(count));
      o += count;
    }
  }
  return o;
}

// PackBits over 16-bit big-endian units into `out` (outLength units).
int UnpackBits16(const uint8_t* in, int inLength, uint16_t* out, int outLength) {
  int i = 0, o = 0;
  while (i < inLength && o < outLength) {
    const int n = static_cast<int8_t>(in[i++]);
    if (n >= 0) {
      for (int k = 0; k <= n && i + 1 < inLength && o < outLength; ++k, i += 2) out[o++] = static_cast<uint16_t>(in[i] << 8 | in[i + 1]);
      if (o >= outLength) break;
    } else if (n != -128) {
      if (i + 1 >= inLength) break;
      const auto v = static_cast<uint16_t>(in[i] << 8 | in[i + 1]);
      i += 2;
      for (int k = 0; k < 1 - n && o < outLength; ++k) out[o++] = v;
    }
  }
  return o;
}

inline void Put16(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, static_cast<int>(v >> 16));
  Put16(out, static_cast<int>(v & 0xFFFF));
}

// Length (1..128) and kind of the next PackBits item of the r bytes at p. A
// run grows while bytes stay equal; a literal grows until three equal bytes
// follow and ends before them.
int FindPackBitsRun(const uint8_t* p, int r, bool* run) {
  r = std::min(r, 128);
  if (r == 1) {
    *run = false;
    return 1;
  }
  if (r == 2) {
    *run = p[0] == p[1];
    return 2;
  }
  if (p[1] == p[0] && p[2] == p[0]) {
    *run = true;
    int c = 3;
    while (c < r && p[c] == p[0]) ++c;
    return c;
  }
  *run = false;
  int c = 1;
  while (c < r && !(c + 2 < r && p[c + 1] == p[c] && p[c + 2] == p[c])) ++c;
  return c;
}

// PackBits-encodes n bytes, appending to out; returns the bytes added.
int PackBitsRow(const uint8_t* row, int n, std::vector<uint8_t>& out) {
  const size_t start = out.size();
  int x = 0;
  while (x < n) {
    bool run = false;
    const int c = FindPackBitsRun(row + x, n - x, &run);
    if (run) {
      out.push_back(static_cast<uint8_t>(1 - c));
      out.push_back(row[x]);
    } else {
      out.push_back(static_cast<uint8_t>(c - 1));
      out.insert(out.end(), row + x, row + x + c);
    }
    x += c;
  }
  return static_cast<int>(out.size() - start);
}

void InvertBits(uint8_t* row, int n) {
  for (int i = 0; i < n; ++i) row[i] = static_cast<uint8_t>(~row[i]);
}

struct PictRect {
  int top = 0, left = 0, bottom = 0, right = 0;
};

PictRect ReadRect(PictInput& in) {
  PictRect r;
  r.top = static_cast<int16_t>(in.Word());
  r.left = static_cast<int16_t>(in.Word());
  r.bottom = static_cast<int16_t>(in.Word());
  r.right = static_cast<int16_t>(in.Word());
  return r;
}

// Reads one row's packed (or raw) bytes into `packed`. Returns false at the
// end of the data.
bool ReadPictRowData(PictInput& in, int rowBytes, bool raw, int rawLength, std::vector<uint8_t>& packed, int* length) {
  int n;
  if (raw) {
    n = rawLength;
  } else {
    n = rowBytes > 250 ? in.Word() : in.Byte();
  }
  if (in.Failed()) return false;
  if (packed.size() < static_cast<size_t>(n)) packed.resize(static_cast<size_t>(n));
  if (!in.Read(packed.data(), n)) return false;
  *length = n;
  return true;
}

struct PictContext {
  CCodecJob* job;
  PictInput* in;
};

bool Cancelled(const PictContext& ctx, int row, int total) {
  if (ctx.job->m_pfnCancel && ctx.job->m_pfnCancel()) return true;
  if (ctx.job->m_pfnProgress) ctx.job->m_pfnProgress(row, total);
  return false;
}

// A version 1 BitMap whose row bytes have been read: set bits are black.
int ReadPictBitmap(const PictContext& ctx, int rowBytes, CRasterImage& image) {
  PictInput& in = *ctx.in;
  const PictRect bounds = ReadRect(in);
  if (!in.Skip(18) || in.Failed()) return IMAGEIO_CORRUPT;
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (int rc = CheckImageGeometry(width, height, 1); rc != IMAGEIO_OK) return rc;
  if (!image.Create(width, height, 1)) return IMAGEIO_NO_MEMORY;
  RGBQUAD* pal = image.GetWritablePalette();
  pal[0] = MakeRGBQuad(0, 0, 0);
  pal[1] = MakeRGBQuad(255, 255, 255);
  const int stride = image.GetStride();
  std::vector<uint8_t> packed, line(static_cast<size_t>(std::max(rowBytes, stride)));
  const bool raw = rowBytes < 8;
  uint8_t* bits = image.GetWritableBits();
  for (int y = 0; y < height; ++y) {
    int n = 0;
    if (!ReadPictRowData(in, rowBytes, raw, rowBytes, packed, &n)) break;
    std::fill(line.begin(), line.end(), 0);
    if (raw && n > 0)
      std::memcpy(line.data(), packed.data(), static_cast<size_t>(n));
    else if (!raw)
      UnpackBits8(packed.data(), n, line.data(), rowBytes);
    uint8_t* row = bits + static_cast<int64_t>(y) * stride;
    std::memcpy(row, line.data(), static_cast<size_t>(std::min(rowBytes, stride)));
    InvertBits(row, stride);
    if (width & 7) row[stride - 1] &= static_cast<uint8_t>(0xFF << (8 - (width & 7)));  // padding bits stay 0
    if (Cancelled(ctx, y, height - 1)) return IMAGEIO_CANCELLED;
  }
  return IMAGEIO_OK;
}

// A version 2 PixMap whose row bytes (high bit set) have been read.
int ReadPictPixMap(const PictContext& ctx, int rowBytes, CRasterImage& image) {
  PictInput& in = *ctx.in;
  const PictRect bounds = ReadRect(in);
  in.Word();  // version
  const int packType = in.Word();
  in.Long();  // pack size
  in.Long();  // resolutions
  in.Long();
  in.Word();  // pixel type
  const int pixelSize = in.Word();
  in.Word();  // component count
  in.Word();  // component size
  in.Skip(12);  // plane bytes, table handle, reserved
  if (in.Failed()) return IMAGEIO_CORRUPT;
  int depth;
  switch (pixelSize) {
    case 1: depth = 1; break;
    case 2:
    case 4: depth = 4; break;
    case 8: depth = 8; break;
    case 16:
    case 32: depth = 24; break;
    default: return IMAGEIO_CORRUPT;
  }
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (int rc = CheckImageGeometry(width, height, depth); rc != IMAGEIO_OK) return rc;
  if (!image.Create(width, height, depth)) return IMAGEIO_NO_MEMORY;
  if (pixelSize == 32 && !image.CreateMask()) return IMAGEIO_NO_MEMORY;
  if (pixelSize <= 8) {
    in.Long();  // seed
    in.Word();  // flags
    const int entries = in.Word() + 1;
    RGBQUAD* pal = image.GetWritablePalette();
    const int held = image.GetPaletteSize();
    for (int i = 0; i < entries && !in.Failed(); ++i) {
      in.Word();  // value
      const int r = in.Word() >> 8, g = in.Word() >> 8, b = in.Word() >> 8;
      if (i < held) pal[i] = MakeRGBQuad(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
    }
  }
  if (!in.Skip(18) || in.Failed()) return IMAGEIO_CORRUPT;

  // Pack types: 1 no packing; 2 (32-bit) three bytes per pixel, no packing;
  // 3 PackBits over 16-bit units; 4 component planes; 0 the default of the
  // pixel size. Rows below 8 bytes are never packed.
  const bool raw = rowBytes < 8 || packType == 1 || (pixelSize == 32 && packType == 2);
  const int rawLength = (pixelSize == 32 && packType == 2 && rowBytes >= 8) ? 3 * width : rowBytes;
  const int stride = image.GetStride();
  const int maskStride = image.GetMaskStride();
  uint8_t* bits = image.GetWritableBits();
  uint8_t* maskBits = image.HasMask() ? image.GetWritableMaskBits() : nullptr;
  const int lineLength = std::max({rowBytes, stride, 4 * width});
  std::vector<uint8_t> packed, line(static_cast<size_t>(lineLength));
  std::vector<uint16_t> words(static_cast<size_t>(width));
  for (int y = 0; y < height; ++y) {
    int n = 0;
    if (!ReadPictRowData(in, rowBytes, raw, rawLength, packed, &n)) break;
    uint8_t* row = bits + static_cast<int64_t>(y) * stride;
    uint8_t* mrow = maskBits ? maskBits + static_cast<int64_t>(y) * maskStride : nullptr;
    std::fill(line.begin(), line.end(), 0);
    if (pixelSize <= 8) {
      if (raw && n > 0)
        std::memcpy(line.data(), packed.data(), static_cast<size_t>(std::min(n, lineLength)));
      else
        UnpackBits8(packed.data(), n, line.data(), rowBytes);
      if (pixelSize == 2) {
        for (int x = 0; x < width; ++x)
          SetPixel4(row, static_cast<int16_t>(x), (line[x >> 2] >> (6 - 2 * (x & 3))) & 3);
      } else {
        std::memcpy(row, line.data(), static_cast<size_t>(stride));
      }
    } else if (pixelSize == 16) {
      std::fill(words.begin(), words.end(), 0);
      if (raw) {
        for (int x = 0; x < width && 2 * x + 1 < n; ++x) words[x] = static_cast<uint16_t>(packed[2 * x] << 8 | packed[2 * x + 1]);
      } else {
        UnpackBits16(packed.data(), n, words.data(), width);
      }
      for (int x = 0; x < width; ++x) {
        const int v = words[x];
        row[3 * x] = static_cast<uint8_t>((v >> 7) & 0xF8);
        row[3 * x + 1] = static_cast<uint8_t>((v >> 2) & 0xF8);
        row[3 * x + 2] = static_cast<uint8_t>((v & 0x1F) << 3);
      }
    } else if (raw) {
      const int step = rawLength == 3 * width && packType == 2 ? 3 : 4;
      const int skip = step == 4 ? 1 : 0;
      for (int x = 0; x < width && (x + 1) * step <= n; ++x) {
        row[3 * x] = packed[x * step + skip];
        row[3 * x + 1] = packed[x * step + skip + 1];
        row[3 * x + 2] = packed[x * step + skip + 2];
      }
    } else {
      // Component planes: one more plane each time width bytes are complete.
      const int produced = UnpackBits8(packed.data(), n, line.data(), 4 * width);
      const int planes = width > 0 ? produced / width : 0;
      const uint8_t* p = line.data();
      if (planes >= 4) {
        if (mrow) std::memcpy(mrow, p, static_cast<size_t>(width));
        p += width;
      }
      for (int x = 0; x < width; ++x) {
        row[3 * x] = p[x];
        row[3 * x + 1] = p[width + x];
        row[3 * x + 2] = p[2 * width + x];
      }
    }
    if (Cancelled(ctx, y, height - 1)) return IMAGEIO_CANCELLED;
  }
  const int state = image.GetMaskState();
  if (state == 2 || state == 3) image.RemoveMask();
  return IMAGEIO_OK;
}

RGBQUAD BandColor(const CRasterImage& band, const uint8_t* row, int x) {
  if (band.GetBitsPerPixel() == 24) return MakeRGBQuad(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
  return band.GetPalette()[GetPixelGetter(band.GetBitsPerPixel())(row, static_cast<int16_t>(x))];
}

bool PictBandsMatch(const std::vector<CRasterImage>& bands) {
  const CRasterImage& first = bands.front();
  const int depth = first.GetBitsPerPixel();
  for (const CRasterImage& band : bands) {
    if (band.GetBitsPerPixel() != depth) return false;
    if (depth < 24 && std::memcmp(band.GetPalette(), first.GetPalette(), sizeof(RGBQUAD) << depth) != 0) return false;
  }
  return true;
}

// Stacks the bands top to bottom, at their common depth and palette when they
// match, else as 24-bit colour. Pixels right of a narrower band are 0 and,
// when the result has a mask, transparent.
int StackPictBands(const std::vector<CRasterImage>& bands, CRasterImage& result) {
  int64_t width = 0, height = 0;
  bool anyMask = false;
  for (const CRasterImage& band : bands) {
    width = std::max<int64_t>(width, band.GetWidth());
    height += band.GetHeight();
    anyMask = anyMask || band.HasValidMask();
  }
  const bool same = PictBandsMatch(bands);
  const int depth = same ? bands.front().GetBitsPerPixel() : 24;
  if (int rc = CheckImageGeometry(width, height, depth); rc != IMAGEIO_OK) return rc;
  if (!result.Create(static_cast<int32_t>(width), static_cast<int32_t>(height), depth)) return IMAGEIO_NO_MEMORY;
  if (anyMask && !result.CreateMask()) return IMAGEIO_NO_MEMORY;
  if (depth < 24) std::memcpy(result.GetWritablePalette(), bands.front().GetPalette(), sizeof(RGBQUAD) << depth);
  uint8_t* bits = result.GetWritableBits();
  uint8_t* mask = anyMask ? result.GetWritableMaskBits() : nullptr;
  const int stride = result.GetStride(), maskStride = result.GetMaskStride();
  const int maskDepth = result.GetMaskBitsPerPixel();
  int y0 = 0;
  for (const CRasterImage& band : bands) {
    const int w = band.GetWidth();
    const bool bandMask = band.HasValidMask();
    PIXELGETPROC getMask = bandMask ? GetPixelGetter(band.GetMaskBitsPerPixel()) : nullptr;
    for (int y = 0; y < band.GetHeight(); ++y) {
      uint8_t* row = bits + static_cast<int64_t>(y0 + y) * stride;
      const uint8_t* src = band.GetRow(y);
      if (same) {
        std::memcpy(row, src, static_cast<size_t>(std::min(band.GetStride(), stride)));
      } else {
        for (int x = 0; x < w; ++x) {
          const RGBQUAD c = BandColor(band, src, x);
          row[3 * x] = c.rgbRed;
          row[3 * x + 1] = c.rgbGreen;
          row[3 * x + 2] = c.rgbBlue;
        }
      }
      if (mask) {
        uint8_t* mrow = mask + static_cast<int64_t>(y0 + y) * maskStride;
        PIXELSETPROC setMask = GetPixelSetter(maskDepth);
        const int opaque = maskDepth == 8 ? 255 : 1;
        for (int x = 0; x < w; ++x) {
          int v = opaque;
          if (bandMask) {
            v = getMask(band.GetMaskRow(y), static_cast<int16_t>(x));
            if (band.GetMaskBitsPerPixel() == 1 && maskDepth == 8) v = v ? 255 : 0;
            if (band.GetMaskBitsPerPixel() == 8 && maskDepth == 1) v = v >= 128;
          }
          setMask(mrow, static_cast<int16_t>(x), v);
        }
      }
    }
    y0 += band.GetHeight();
  }
  return IMAGEIO_OK;
}

int ReadPictImage(CCodecJob* job, PictInput& in, CRasterImage& result) {
  in.Word();  // picture size
  in.Skip(8);  // frame
  if (in.Failed()) return IMAGEIO_BAD_FORMAT;
  int version;
  const uint8_t first = in.Byte(), second = in.Byte();
  if (first == 0x11 && second == 0x01) {
    version = 1;
  } else if (first == 0x00 && second == 0x11 && in.Byte() == 0x02 && in.Byte() == 0xFF) {
    version = 2;
  } else {
    return IMAGEIO_BAD_FORMAT;
  }
  PictContext ctx{job, &in};
  std::vector<CRasterImage> bands;
  int rc = IMAGEIO_OK;
  for (;;) {
    // Version 2 opcodes start on even offsets.
    if (version == 2 && (in.Position() & 1)) in.Skip(1);
    const int op = version == 1 ? in.Byte() : in.Word();
    if (in.Failed()) break;
    auto skipLength16 = [&] { in.Skip(in.Word()); };
    if (op == (version == 1 ? 0xFF : 0x00FF)) break;
    if (op == 0x00 || op == 0x1E || (op >= 0x3D && op <= 0x3F) || (op >= 0x4D && op <= 0x4F) ||
        (op >= 0x5D && op <= 0x5F) || (op >= 0x7D && op <= 0x7F) || (op >= 0x8D && op <= 0x8F) ||
        (op >= 0xB0 && op <= 0xCF) || (op >= 0x8000 && op <= 0x80FF)) {
      // no data
    } else if (op == 0x01 || (op >= 0x75 && op <= 0x77)) {
      const int size = in.Word();  // counts itself
      in.Skip(std::max(0, size - 2));
    } else if ((op >= 0x24 && op <= 0x27) || op == 0x2F || (op >= 0x92 && op <= 0x97) || (op >= 0x9C && op <= 0x9F) ||
               (op >= 0xA2 && op <= 0xAF)) {
      skipLength16();
    } else if ((op >= 0x35 && op <= 0x37) || (op >= 0x45 && op <= 0x47) || (op >= 0x55 && op <= 0x57)) {
      in.Skip(8);
    } else if (op >= 0x65 && op <= 0x67) {
      in.Skip(12);
    } else if (op >= 0x6D && op <= 0x6F) {
      in.Skip(4);
    } else if (op == 0xA0) {
      in.Skip(2);
    } else if (op == 0xA1) {
      in.Skip(2);
      skipLength16();
    } else if ((op >= 0xD0 && op <= 0xFE) || (op >= 0x8100 && op <= 0x8201) || op == 0xFFFF) {
      in.Skip(in.Long());
    } else if (version == 2 && op >= 0x0100 && op <= 0x7FFF) {
      in.Skip(2 * (op >> 8));
    } else if (op == 0x98 || op == 0x9A) {
      if (op == 0x9A) in.Skip(4);
      const int rowField = in.Word();
      if (in.Failed()) break;
      const int rowBytes = rowField & 0x3FFF;
      CRasterImage band;
      rc = (rowField & 0x8000) ? ReadPictPixMap(ctx, rowBytes, band) : ReadPictBitmap(ctx, rowBytes, band);
      if (rc != IMAGEIO_OK) break;
      bands.push_back(std::move(band));
    } else {
      rc = IMAGEIO_CORRUPT;
      break;
    }
  }
  if (rc != IMAGEIO_OK) return rc;
  if (bands.empty()) return IMAGEIO_CORRUPT;
  // The data ran out before the end-of-picture opcode: what was read shows.
  job->m_bIncomplete = in.Failed();
  if (bands.size() == 1) {
    result = std::move(bands.front());
    return IMAGEIO_OK;
  }
  return StackPictBands(bands, result);
}

void PutRect(std::vector<uint8_t>& out, int height, int width) {
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, height);
  Put16(out, width);
}

// Appends one row's count and packed bytes (or the raw row below 8 bytes).
void PutPictRow(std::vector<uint8_t>& out, const uint8_t* row, int rowBytes, int countLimit, std::vector<uint8_t>& scratch) {
  if (rowBytes < 8) {
    out.insert(out.end(), row, row + rowBytes);
    return;
  }
  scratch.clear();
  const int n = PackBitsRow(row, rowBytes, scratch);
  if (rowBytes <= countLimit)
    out.push_back(static_cast<uint8_t>(n));
  else
    Put16(out, n);
  out.insert(out.end(), scratch.begin(), scratch.end());
}

inline int Gray(const RGBQUAD& q) { return (3 * q.rgbRed + 6 * q.rgbGreen + q.rgbBlue) / 10; }

int WritePictBitmap(CCodecJob* job, const CRasterImage& image, std::vector<uint8_t>& out) {
  const int width = image.GetWidth(), height = image.GetHeight(), stride = image.GetStride();
  const int rowBytes = (stride + 3) & ~3;
  Put16(out, rowBytes);
  PutRect(out, height, width);
  PutRect(out, height, width);
  PutRect(out, height, width);
  Put16(out, 0);
  // Set bits are black: the darker colour of the palette becomes the set bit.
  const RGBQUAD* pal = image.GetPalette();
  const bool invert = Gray(pal[0]) < Gray(pal[1]);
  std::vector<uint8_t> line(static_cast<size_t>(rowBytes)), scratch;
  const size_t start = out.size();
  for (int y = 0; y < height; ++y) {
    std::fill(line.begin(), line.end(), 0);
    std::memcpy(line.data(), image.GetRow(y), static_cast<size_t>(stride));
    if (invert) {
      InvertBits(line.data(), stride);
      if (width & 7) line[stride - 1] &= static_cast<uint8_t>(0xFF << (8 - (width & 7)));
    }
    PutPictRow(out, line.data(), rowBytes, 251, scratch);
    if (job->m_pfnCancel && job->m_pfnCancel()) return IMAGEIO_CANCELLED;
    if (job->m_pfnProgress) job->m_pfnProgress(y, height);
  }
  if ((out.size() - start) & 1) out.push_back(0);
  return IMAGEIO_OK;
}

int WritePictPixMap(CCodecJob* job, const CRasterImage& image, std::vector<uint8_t>& out) {
  const int width = image.GetWidth(), height = image.GetHeight(), stride = image.GetStride();
  const int bpp = image.GetBitsPerPixel();
  const bool direct = bpp == 24;
  const int rowBytes = direct ? 4 * width : (stride + 3) & ~3;
  Put16(out, rowBytes | 0x8000);
  PutRect(out, height, width);
  Put16(out, 0);                                        // version
  Put16(out, rowBytes < 8 ? 1 : direct ? 4 : 0);        // pack type
  Put32(out, 0);                                        // pack size
  Put32(out, 0x00480000);                               // 72 dpi
  Put32(out, 0x00480000);
  Put16(out, direct ? 16 : 0);                          // pixel type
  Put16(out, direct ? 32 : bpp);                        // pixel size
  Put16(out, direct ? 3 : 1);                           // component count
  Put16(out, direct ? 8 : bpp);                         // component size
  Put32(out, 0);                                        // plane bytes
  Put32(out, 0);                                        // table handle
  Put32(out, 0);                                        // reserved
  if (!direct) {
    const int entries = 1 << bpp;
    Put32(out, 0);
    Put16(out, 0x8000);
    Put16(out, entries - 1);
    const RGBQUAD* pal = image.GetPalette();
    for (int i = 0; i < entries; ++i) {
      Put16(out, i);
      Put16(out, pal[i].rgbRed * 257);
      Put16(out, pal[i].rgbGreen * 257);
      Put16(out, pal[i].rgbBlue * 257);
    }
  }
  PutRect(out, height, width);
  PutRect(out, height, width);
  Put16(out, 0);
  std::vector<uint8_t> line(static_cast<size_t>(rowBytes)), scratch;
  const size_t start = out.size();
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = image.GetRow(y);
    std::fill(line.begin(), line.end(), 0);
    if (!direct) {
      std::memcpy(line.data(), src, static_cast<size_t>(stride));
    } else if (rowBytes < 8) {
      for (int x = 0; x < width; ++x) {
        line[4 * x + 1] = src[3 * x];
        line[4 * x + 2] = src[3 * x + 1];
        line[4 * x + 3] = src[3 * x + 2];
      }
    } else {
      for (int x = 0; x < width; ++x) {
        line[x] = src[3 * x];
        line[width + x] = src[3 * x + 1];
        line[2 * width + x] = src[3 * x + 2];
      }
    }
    if (direct && rowBytes >= 8) {
      // Three planes of width bytes, packed together.
      scratch.clear();
      const int n = PackBitsRow(line.data(), 3 * width, scratch);
      if (rowBytes <= 250)
        out.push_back(static_cast<uint8_t>(n));
      else
        Put16(out, n);
      out.insert(out.end(), scratch.begin(), scratch.end());
    } else {
      PutPictRow(out, line.data(), rowBytes, 250, scratch);
    }
    if (job->m_pfnCancel && job->m_pfnCancel()) return IMAGEIO_CANCELLED;
    if (job->m_pfnProgress) job->m_pfnProgress(y, height);
  }
  if ((out.size() - start) & 1) out.push_back(0);
  return IMAGEIO_OK;
}

}  // namespace

int ReadPict(CCodecJob* job) {
  if (!job || !job->m_pStream) return IMAGEIO_INTERNAL_ERROR;
  CBufferedFile* stream = job->m_pStream;
  CRasterImage image;
  int rc;
  if (stream->Seek(kPictHeaderSize, CBufferedFile::kBegin) != kPictHeaderSize) {
    rc = IMAGEIO_BAD_FORMAT;
  } else {
    stream->BeginBuffer();
    PictInput in(stream);
    in.SetPosition(kPictHeaderSize);
    try {
      rc = ReadPictImage(job, in, image);
    } catch (const std::bad_alloc&) {
      rc = IMAGEIO_NO_MEMORY;
    }
    stream->EndBuffer();
  }
  return FinishReadJob(job, rc, std::move(image));
}

int WritePict(CCodecJob* job) {
  if (!job || !job->m_pStream || job->m_image.IsEmpty()) {
    if (job) job->m_nResult = IMAGEIO_INTERNAL_ERROR;
    return IMAGEIO_INTERNAL_ERROR;
  }
  const CRasterImage& image = job->m_image;
  const int width = image.GetWidth(), height = image.GetHeight(), bpp = image.GetBitsPerPixel();
  // The picture is built in memory, so that the size word can be filled in
  // before anything reaches the stream (which need not seek).
  std::vector<uint8_t> out(kPictHeaderSize, 0);
  int rc;
  try {
    Put16(out, 0);  // picture size, filled in below
    PutRect(out, height, width);
    if (bpp == 1) {
      out.push_back(0x11);
      out.push_back(0x01);
    } else {
      Put16(out, 0x0011);
      Put16(out, 0x02FF);
      Put16(out, 0x0C00);
      Put16(out, 0xFFFE);
      Put16(out, 0);
      Put32(out, 0x00480000);
      Put32(out, 0x00480000);
      PutRect(out, height, width);
      Put32(out, 0);
    }
    Put16(out, 0x0001);  // clip region
    Put16(out, 10);
    PutRect(out, height, width);
    if (bpp == 1) {
      Put16(out, 0x0098);
      rc = WritePictBitmap(job, image, out);
    } else if (bpp == 24) {
      Put16(out, 0x009A);
      Put32(out, 0x000000FF);
      rc = WritePictPixMap(job, image, out);
    } else {
      Put16(out, 0x0098);
      rc = WritePictPixMap(job, image, out);
    }
    if (bpp == 1)
      out.push_back(0xFF);
    else
      Put16(out, 0x00FF);
  } catch (const std::bad_alloc&) {
    rc = IMAGEIO_NO_MEMORY;
  }
  if (rc == IMAGEIO_OK) {
    const size_t size = out.size() - kPictHeaderSize;
    out[kPictHeaderSize] = static_cast<uint8_t>(size >> 8);
    out[kPictHeaderSize + 1] = static_cast<uint8_t>(size);
    WriteBytes(job->m_pStream, out);
  }
  job->m_nResult = rc;
  return rc;
}
