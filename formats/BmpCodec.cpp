#include "formats/BmpCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/ImageGeometry.h"
#include "formats/MemStream.h"
#include "imaging/PixelAccess.h"

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kV4HeaderBytes = 108;
// Larger info headers than any defined one are refused.
constexpr uint32_t kMaxHeaderBytes = 4096;

struct BmpHeader {
  uint32_t dataOffset = 0;
  uint32_t headerSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // always positive here; see topDown
  bool topDown = false;
  int bitCount = 0;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  uint32_t masksAfterHeader = 0;     // bytes of bit fields between the header and the palette
  bool core = false;                 // 12-byte header: 3-byte palette entries
};

// Ends the stream's buffering on every way out of a codec call.
class CBufferScope {
 public:
  explicit CBufferScope(CBufferedFile* stream) : m_stream(stream) { m_stream->BeginBuffer(); }
  ~CBufferScope() { m_stream->EndBuffer(); }
  CBufferScope(const CBufferScope&) = delete;
  CBufferScope& operator=(const CBufferScope&) = delete;

 private:
  CBufferedFile* m_stream;
};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// Reads the file header and the info header (any of the known sizes); the
// stream is left right after the info header. IMAGEIO_OK or a failure code.
int ReadHeaders(CBufferedFile* stream, BmpHeader& h) {
  uint8_t fh[kFileHeaderBytes + 4];
  if (stream->Read(fh, sizeof fh) != static_cast<int>(sizeof fh)) return IMAGEIO_CORRUPT;
  if (fh[0] != 'B' || fh[1] != 'M') return IMAGEIO_CORRUPT;
  h.dataOffset = Le32(fh + 10);
  h.headerSize = Le32(fh + 14);
  if (h.headerSize == 12) {
    uint8_t ch[8];
    if (stream->Read(ch, 8) != 8) return IMAGEIO_CORRUPT;
    h.core = true;
    h.width = Le16(ch);
    h.height = Le16(ch + 2);
    h.bitCount = Le16(ch + 6);
    return IMAGEIO_OK;
  }
  if (h.headerSize < kInfoHeaderBytes || h.headerSize > kMaxHeaderBytes) return IMAGEIO_CORRUPT;
  std::vector<uint8_t> ih(h.headerSize - 4);
  if (stream->Read(ih.data(), static_cast<int>(ih.size())) != static_cast<int>(ih.size())) return IMAGEIO_CORRUPT;
  h.width = static_cast<int32_t>(Le32(ih.data()));
  const int64_t height = static_cast<int32_t>(Le32(ih.data() + 4));
  h.topDown = height < 0;
  h.height = height < 0 ? -height : height;
  h.bitCount = Le16(ih.data() + 10);
  h.compression = Le32(ih.data() + 12);
  h.colorsUsed = Le32(ih.data() + 28);
  if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
    const int wanted = h.compression == kBiAlphaBitfields ? 4 : 3;
    // Masks inside the header (52 bytes and more) or right after it.
    const uint32_t inHeader = h.headerSize >= 56 ? 4 : h.headerSize >= 52 ? 3 : 0;
    for (uint32_t i = 0; i < inHeader; ++i) h.masks[i] = Le32(ih.data() + 36 + 4 * i);
    const uint32_t afterHeader = kFileHeaderBytes + h.headerSize;
    if (inHeader < static_cast<uint32_t>(wanted) && h.dataOffset != 0 &&
        h.dataOffset < afterHeader + 4 * (wanted - inHeader)) {
      // No room for the fields before the pixels (some writers leave them
      // out): the usual 5-5-5 or 8-8-8 layout.
      h.masks[0] = h.bitCount == 16 ? 0x7C00 : 0x00FF0000;
      h.masks[1] = h.bitCount == 16 ? 0x03E0 : 0x0000FF00;
      h.masks[2] = h.bitCount == 16 ? 0x001F : 0x000000FF;
    } else if (inHeader < static_cast<uint32_t>(wanted)) {
      for (int i = static_cast<int>(inHeader); i < wanted; ++i) {
        uint8_t m[4];
        if (stream->Read(m, 4) != 4) return IMAGEIO_CORRUPT;
        h.masks[i] = Le32(m);
        h.masksAfterHeader += 4;
      }
    }
  }
  return IMAGEIO_OK;
}

// A bit field: where it starts and how many bits it has.
struct BitField {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit BitField(uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  // The field scaled to 0..255.
  uint8_t Get(uint32_t v) const {
    if (!bits) return 0;
    const uint32_t value = (v & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    const uint32_t max = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
  }
};

bool ReportRow(CCodecJob* job, int done, int total) {
  if (job->m_pfnCancel && job->m_pfnCancel()) return false;
  if (job->m_pfnProgress) job->m_pfnProgress(done, total);
  return true;
}

// Uncompressed and bit-field rows.
int ReadBmpRgbRows(CCodecJob* job, const BmpHeader& h, CRasterImage& image, bool wantAlpha) {
  CBufferedFile* stream = job->m_pStream;
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  const int64_t rowBytes = (static_cast<int64_t>(width) * h.bitCount + 31) / 32 * 4;
  std::vector<uint8_t> row(static_cast<size_t>(rowBytes));

  const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
  uint32_t masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
  if (!fields) {
    if (h.bitCount == 32) {
      masks[0] = 0x00FF0000;
      masks[1] = 0x0000FF00;
      masks[2] = 0x000000FF;
      masks[3] = 0xFF000000;
    }
  }
  const BitField red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);

  bool ended = false;
  for (int i = 0; i < height; ++i) {
    if (!ended) {
      const int got = stream->Read(row.data(), static_cast<int>(rowBytes));
      if (got < rowBytes) {
        // The file ends inside the pixels: the rest of the image stays clear.
        std::fill(row.begin() + std::max(got, 0), row.end(), uint8_t{0});
        ended = true;
        if (got <= 0) break;
      }
    }
    if (!ReportRow(job, i, height)) return IMAGEIO_CANCELLED;
    const int y = h.topDown ? i : height - 1 - i;
    uint8_t* out = image.GetWritableBits() + static_cast<int64_t>(y) * image.GetStride();
    uint8_t* mask = wantAlpha ? image.GetWritableMaskBits() + static_cast<int64_t>(y) * image.GetMaskStride() : nullptr;
    const uint8_t* in = row.data();
    switch (h.bitCount) {
      case 1:
      case 4:
      case 8:
        std::memcpy(out, in, static_cast<size_t>(image.GetStride()));
        break;
      case 16:
        for (int x = 0; x < width; ++x) {
          const uint32_t v = Le16(in + 2 * x);
          if (fields) {
            out[3 * x] = red.Get(v);
            out[3 * x + 1] = green.Get(v);
            out[3 * x + 2] = blue.Get(v);
            if (mask) mask[x] = alpha.Get(v);
          } else {
            out[3 * x] = static_cast<uint8_t>((v >> 7) & 0xF8);
            out[3 * x + 1] = static_cast<uint8_t>((v >> 2) & 0xF8);
            out[3 * x + 2] = static_cast<uint8_t>((v << 3) & 0xF8);
          }
        }
        break;
      case 24:
        for (int x = 0; x < width; ++x) {
          out[3 * x] = in[3 * x + 2];
          out[3 * x + 1] = in[3 * x + 1];
          out[3 * x + 2] = in[3 * x];
        }
        break;
      case 32:
        if (!fields) {
          for (int x = 0; x < width; ++x) {
            out[3 * x] = in[4 * x + 2];
            out[3 * x + 1] = in[4 * x + 1];
            out[3 * x + 2] = in[4 * x];
            if (mask) mask[x] = in[4 * x + 3];
          }
        } else {
          for (int x = 0; x < width; ++x) {
            const uint32_t v = Le32(in + 4 * x);
            out[3 * x] = red.Get(v);
            out[3 * x + 1] = green.Get(v);
            out[3 * x + 2] = blue.Get(v);
            if (mask) mask[x] = alpha.Get(v);
          }
        }
        break;
      default:
        return IMAGEIO_BAD_COLOR_MODE;
    }
    if (ended) break;
  }
  return IMAGEIO_OK;
}

// Bytes of the stream read in blocks, for the RLE decoders' byte-by-byte
// walk. Past the end of the data it gives 0 and reports Ended.
class CByteSource {
 public:
  explicit CByteSource(CBufferedFile* stream) : m_stream(stream) {}
  uint8_t Next() {
    if (m_pos == m_len && !Fill()) return 0;
    return m_buffer[m_pos++];
  }
  bool Ended() const { return m_ended; }

 private:
  bool Fill() {
    if (m_ended) return false;
    const int got = m_stream->Read(m_buffer, static_cast<int>(sizeof m_buffer));
    m_pos = 0;
    m_len = got > 0 ? got : 0;
    if (m_len == 0) m_ended = true;
    return m_len > 0;
  }

  CBufferedFile* m_stream;
  uint8_t m_buffer[8192];
  int m_pos = 0;
  int m_len = 0;
  bool m_ended = false;
};

// RLE8 (bits 8) and RLE4 (bits 4) data, bottom-up. Runs and literals are cut
// at the row end, deltas at the image edges; the decode ends at end of
// bitmap, after the last row or where the data ends.
int ReadBmpRle(CCodecJob* job, CRasterImage& image, int bits) {
  CByteSource source(job->m_pStream);
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  const PIXELSETPROC set = GetPixelSetter(bits);
  int x = 0;
  int rowsDone = 0;
  uint8_t* row = image.GetWritableBits() + static_cast<int64_t>(height - 1) * image.GetStride();
  auto put = [&](int value) {
    if (x < width) set(row, static_cast<int16_t>(x), value);
    if (x < width) ++x;
  };
  for (;;) {
    const uint8_t n = source.Next();
    const uint8_t v = source.Next();
    if (source.Ended()) break;  // the data ends early: what was decoded stays
    if (n > 0) {
      if (bits == 8) {
        const int count = std::min<int>(n, width - x);
        std::memset(row + x, v, static_cast<size_t>(count));
        x += count;
      } else {
        for (int j = 0; j < n && x < width; ++j) put((j & 1) ? (v & 0x0F) : (v >> 4));
      }
      continue;
    }
    if (v == 0) {  // end of line
      ++rowsDone;
      if (job->m_pfnProgress) job->m_pfnProgress(rowsDone, height);
      if (job->m_pfnCancel && job->m_pfnCancel()) return IMAGEIO_CANCELLED;
      if (rowsDone >= height) break;
      x = 0;
      row = image.GetWritableBits() + static_cast<int64_t>(height - 1 - rowsDone) * image.GetStride();
    } else if (v == 1) {  // end of bitmap
      break;
    } else if (v == 2) {  // delta
      const int dx = source.Next();
      const int dy = source.Next();
      if (source.Ended()) break;
      x = std::min(x + dx, width);
      rowsDone += dy;
      if (rowsDone >= height) break;
      row = image.GetWritableBits() + static_cast<int64_t>(height - 1 - rowsDone) * image.GetStride();
    } else {  // literal of v pixels, padded to an even number of bytes
      const int count = v;
      if (bits == 8) {
        for (int j = 0; j < count; ++j) put(source.Next());
        if (count & 1) source.Next();
      } else {
        const int bytes = (count + 1) / 2;
        for (int j = 0; j < bytes; ++j) {
          const uint8_t b = source.Next();
          put(b >> 4);
          if (2 * j + 1 < count) put(b & 0x0F);
        }
        if (bytes & 1) source.Next();
      }
    }
  }
  return IMAGEIO_OK;
}

void PutLe16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// Both headers (and for 32-bit output the bit fields of a 108-byte header).
void WriteHeaders(CBufferedFile* stream, int width, int height, int bits, uint32_t colors, uint32_t fileSize,
                  uint32_t dataSize) {
  const uint32_t headerSize = bits == 32 ? kV4HeaderBytes : kInfoHeaderBytes;
  uint8_t h[kFileHeaderBytes + kV4HeaderBytes] = {};
  h[0] = 'B';
  h[1] = 'M';
  PutLe32(h + 2, fileSize);
  PutLe32(h + 10, kFileHeaderBytes + headerSize + 4 * colors);
  uint8_t* ih = h + kFileHeaderBytes;
  PutLe32(ih, headerSize);
  PutLe32(ih + 4, static_cast<uint32_t>(width));
  PutLe32(ih + 8, static_cast<uint32_t>(height));
  PutLe16(ih + 12, 1);
  PutLe16(ih + 14, static_cast<uint32_t>(bits));
  PutLe32(ih + 16, bits == 8 ? kBiRle8 : bits == 32 ? kBiBitfields : kBiRgb);
  PutLe32(ih + 20, dataSize);
  PutLe32(ih + 32, colors);
  PutLe32(ih + 36, colors);
  if (bits == 32) {
    PutLe32(ih + 40, 0x00FF0000);
    PutLe32(ih + 44, 0x0000FF00);
    PutLe32(ih + 48, 0x000000FF);
    PutLe32(ih + 52, 0xFF000000);
    std::memcpy(ih + 56, "BGRs", 4);  // LCS_sRGB, stored little-endian
  }
  stream->Write(h, static_cast<int>(kFileHeaderBytes + headerSize));
}

}  // namespace

// ---------------------------------------------------------------------------

int ReadBmp(CCodecJob* job) {
  if (!job || !job->m_pStream) return IMAGEIO_INTERNAL_ERROR;
  CBufferedFile* stream = job->m_pStream;
  CBufferScope buffering(stream);
  job->m_nResult = IMAGEIO_OK;
  job->m_image.Free();
  job->m_image.RemoveMask();

  auto fail = [job](int code) {
    job->m_image.Free();
    job->m_image.RemoveMask();
    job->m_nResult = code;
    return code;
  };

  BmpHeader h;
  int result = ReadHeaders(stream, h);
  if (result != IMAGEIO_OK) return fail(result);

  int depth = 0;
  switch (h.bitCount) {
    case 1:
    case 4:
    case 8: depth = h.bitCount; break;
    case 16:
    case 24:
    case 32: depth = 24; break;
    default: return fail(IMAGEIO_BAD_COLOR_MODE);
  }
  switch (h.compression) {
    case kBiRgb: break;
    case kBiRle8:
      if (h.bitCount != 8 || h.topDown) return fail(IMAGEIO_BAD_FORMAT);
      break;
    case kBiRle4:
      if (h.bitCount != 4 || h.topDown) return fail(IMAGEIO_BAD_FORMAT);
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (h.bitCount != 16 && h.bitCount != 32) return fail(IMAGEIO_BAD_FORMAT);
      break;
    default: return fail(IMAGEIO_BAD_FORMAT);
  }
  if (h.core && h.bitCount > 24) return fail(IMAGEIO_BAD_COLOR_MODE);

  result = CheckImageGeometry(h.width, h.height, depth);
  if (result != IMAGEIO_OK) return fail(result);
  CRasterImage& image = job->m_image;
  if (!image.Create(static_cast<int32_t>(h.width), static_cast<int32_t>(h.height), depth))
    return fail(IMAGEIO_NO_MEMORY);

  if (depth <= 8) {
    // 2^bpp entries, fewer when the header counts fewer or the pixel data
    // starts before the full table ends; missing entries stay black.
    const int64_t entrySize = h.core ? 3 : 4;
    const int64_t paletteStart = kFileHeaderBytes + h.headerSize + h.masksAfterHeader;
    int64_t entries = int64_t{1} << depth;
    if (h.colorsUsed > 0 && h.colorsUsed < entries) entries = h.colorsUsed;
    if (h.dataOffset > paletteStart) entries = std::min<int64_t>(entries, (h.dataOffset - paletteStart) / entrySize);
    std::vector<uint8_t> table(static_cast<size_t>(entries * entrySize));
    const int got = stream->Read(table.data(), static_cast<int>(table.size()));
    RGBQUAD* palette = image.GetWritablePalette();
    for (int64_t i = 0; i < entries && (i + 1) * entrySize <= got; ++i) {
      const uint8_t* e = table.data() + i * entrySize;
      palette[i] = MakeRGBQuad(e[2], e[1], e[0]);
    }
  }

  if (h.dataOffset != 0) {
    if (h.dataOffset >= stream->GetSize() && stream->GetSize() >= 0) return fail(IMAGEIO_CORRUPT);
    stream->Seek(h.dataOffset, CBufferedFile::kBegin);
  }

  const bool wantAlpha = depth == 24 && ((h.compression == kBiRgb && h.bitCount == 32) ||
                                         ((h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) &&
                                          h.masks[3] != 0));
  if (wantAlpha && !image.CreateMask()) return fail(IMAGEIO_NO_MEMORY);

  // Whether the pixel data ends early is what the stream's flag says after it.
  stream->ClearError();
  switch (h.compression) {
    case kBiRle8: result = ReadBmpRle(job, image, 8); break;
    case kBiRle4: result = ReadBmpRle(job, image, 4); break;
    default: result = ReadBmpRgbRows(job, h, image, wantAlpha); break;
  }
  if (result != IMAGEIO_OK) return fail(result);
  if (wantAlpha) {
    // All 0 is the usual unused fourth byte; all 255 says nothing either.
    const int state = image.GetMaskState();
    if (state == 2 || state == 3) image.RemoveMask();
  }
  job->m_bIncomplete = stream->GetError();
  job->m_nResult = IMAGEIO_OK;
  return IMAGEIO_OK;
}

bool GetBmpInfo(CBufferedFile* stream, CImageFileInfo* info) {
  if (!stream || !info) return false;
  BmpHeader h;
  if (ReadHeaders(stream, h) != IMAGEIO_OK) return false;
  info->m_nWidth = static_cast<int32_t>(h.width);
  info->m_nHeight = static_cast<int32_t>(std::min<int64_t>(h.height, INT32_MAX));
  info->m_nBitsPerPixel = h.bitCount;
  return true;
}

int FindRle8Run(const uint8_t* data, int remaining, bool* isRun) {
  constexpr int kLimit = 255;
  if (remaining <= 0) {
    *isRun = false;
    return 0;
  }
  if (remaining < 4) {
    bool equal = true;
    for (int i = 1; i < remaining; ++i) equal = equal && data[i] == data[0];
    *isRun = remaining > 1 && equal;
    return remaining;
  }
  *isRun = data[0] == data[1] && data[1] == data[2] && data[2] == data[3];
  int length = 1;
  if (*isRun) {
    while (length < kLimit && length < remaining && data[length] == data[length - 1]) ++length;
    return length;
  }
  int equalPairs = 0;
  while (length < kLimit && length < remaining) {
    equalPairs = data[length] == data[length - 1] ? equalPairs + 1 : 0;
    if (equalPairs == 3) {
      length -= 3;  // the four equal bytes start the next run
      break;
    }
    ++length;
  }
  return length;
}

int WriteBmpRle8Row(CBufferedFile* stream, const uint8_t* row, int length, bool last) {
  int written = 0;
  int pos = 0;
  while (pos < length) {
    bool isRun = false;
    const int n = FindRle8Run(row + pos, length - pos, &isRun);
    if (isRun) {
      stream->WriteByte(static_cast<uint8_t>(n));
      stream->WriteByte(row[pos]);
      written += 2;
    } else if (n <= 2) {
      for (int i = 0; i < n; ++i) {
        stream->WriteByte(1);
        stream->WriteByte(row[pos + i]);
      }
      written += 2 * n;
    } else {
      stream->WriteByte(0);
      stream->WriteByte(static_cast<uint8_t>(n));
      stream->Write(row + pos, n);
      written += 2 + n;
      if (n & 1) {
        stream->WriteByte(0);
        ++written;
      }
    }
    pos += n;
  }
  stream->WriteByte(0);
  stream->WriteByte(last ? 1 : 0);
  return written + 2;
}

int WriteBmp(CCodecJob* job) {
  if (!job || !job->m_pStream) return IMAGEIO_INTERNAL_ERROR;
  const CRasterImage& image = job->m_image;
  if (image.IsEmpty()) return job->m_nResult = IMAGEIO_INTERNAL_ERROR;
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  const int depth = image.GetBitsPerPixel();
  if (depth != 1 && depth != 4 && depth != 8 && depth != 24) return job->m_nResult = IMAGEIO_BAD_COLOR_MODE;
  const bool withAlpha = depth == 24 && image.HasValidMask() && image.GetMaskBitsPerPixel() == 8;
  const int bits = withAlpha ? 32 : depth;
  const uint32_t colors = depth <= 8 ? (1u << depth) : 0;

  CBufferedFile* stream = job->m_pStream;
  CBufferScope buffering(stream);
  const uint32_t headerBytes = kFileHeaderBytes + (bits == 32 ? kV4HeaderBytes : kInfoHeaderBytes) + 4 * colors;
  const int64_t rowBytes = (static_cast<int64_t>(width) * bits + 31) / 32 * 4;
  std::vector<uint8_t> buffer(static_cast<size_t>(rowBytes), 0);

  // Rows bottom-up in file order; the 8-bit ones RLE8-encoded into memory
  // first, so that the headers carry their final sizes in one pass.
  CMemStream encoded;
  encoded.Open(nullptr, CBufferedFile::kWrite);
  auto fillRow = [&](int i) -> uint8_t* {
    const int y = height - 1 - i;
    const uint8_t* in = image.GetRow(y);
    uint8_t* out = buffer.data();
    if (bits <= 8) {
      std::memcpy(out, in, static_cast<size_t>(image.GetStride()));
    } else if (bits == 24) {
      for (int x = 0; x < width; ++x) {
        out[3 * x] = in[3 * x + 2];
        out[3 * x + 1] = in[3 * x + 1];
        out[3 * x + 2] = in[3 * x];
      }
    } else {
      const uint8_t* mask = image.GetMaskRow(y);
      for (int x = 0; x < width; ++x) {
        out[4 * x] = in[3 * x + 2];
        out[4 * x + 1] = in[3 * x + 1];
        out[4 * x + 2] = in[3 * x];
        out[4 * x + 3] = mask[x];
      }
    }
    return out;
  };

  uint64_t dataSize = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height);
  if (bits == 8) {
    dataSize = 0;
    for (int i = 0; i < height; ++i) {
      // Only the image's pixels are encoded; the decoder pads the row.
      dataSize += static_cast<uint64_t>(WriteBmpRle8Row(&encoded, fillRow(i), width, i == height - 1));
      if (encoded.GetError()) return job->m_nResult = IMAGEIO_NO_MEMORY;
      if (job->m_pfnCancel && job->m_pfnCancel()) return job->m_nResult = IMAGEIO_CANCELLED;
      if (job->m_pfnProgress && i % 4 == 0) job->m_pfnProgress(i, height);
    }
  }
  const uint64_t fileSize = headerBytes + dataSize;
  if (fileSize > UINT32_MAX) return job->m_nResult = IMAGEIO_NO_MEMORY;

  WriteHeaders(stream, width, height, bits, colors, static_cast<uint32_t>(fileSize), static_cast<uint32_t>(dataSize));
  if (colors) {
    std::vector<uint8_t> table(4 * colors, 0);
    const int have = std::min<int>(image.GetPaletteSize(), static_cast<int>(colors));
    for (int i = 0; i < have; ++i) {
      const RGBQUAD& q = image.GetPalette()[i];
      table[4 * i] = q.rgbBlue;
      table[4 * i + 1] = q.rgbGreen;
      table[4 * i + 2] = q.rgbRed;
    }
    stream->Write(table.data(), static_cast<int>(table.size()));
  }
  if (bits == 8) {
    stream->Write(encoded.GetData(), encoded.GetLength());
  } else {
    for (int i = 0; i < height; ++i) {
      stream->Write(fillRow(i), static_cast<int>(rowBytes));
      if (job->m_pfnCancel && job->m_pfnCancel()) return job->m_nResult = IMAGEIO_CANCELLED;
      if (job->m_pfnProgress && i % 4 == 0) job->m_pfnProgress(i, height);
    }
  }
  job->m_nResult = IMAGEIO_OK;
  return IMAGEIO_OK;
}
