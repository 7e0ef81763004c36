#include "formats/PngCodec.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "base/ImageGeometry.h"
#include "base/MessageReport.h"
#include "imaging/PaletteFunctions.h"

// The libpng calls run inside small functions that set the library's jump
// point and hold no C++ objects of their own: an error reports its message
// and long-jumps back there. Buffers and images live in the callers, which
// free them on every path.

namespace {

constexpr double kScreenGamma = 2.2;
// libpng leaves a correction this close to 1 undone.
constexpr double kGammaThreshold = 0.05;

// An 8-bit value through the gamma exponent (in 1/100000; 0 leaves it), by
// the rule libpng corrects 8-bit samples with.
uint8_t GammaCorrect8(int value, png_fixed_point exponent) {
  if (exponent <= 0 || value <= 0 || value >= 255) return static_cast<uint8_t>(value);
  return static_cast<uint8_t>(std::floor(255 * std::pow(value / 255.0, exponent * 0.00001) + 0.5));
}

void PngReadProc(png_structp png, png_bytep data, size_t length) {
  auto* stream = static_cast<CBufferedFile*>(png_get_io_ptr(png));
  size_t done = 0;
  while (done < length) {
    const int chunk = static_cast<int>(std::min<size_t>(length - done, 1 << 30));
    const int got = stream->Read(data + done, chunk);
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  // A file that ends early is an error, not silently zero data.
  if (done < length) png_error(png, "Read Error");
}

constexpr const char* kWriteErrorText = "Write Error";

void PngWriteProc(png_structp png, png_bytep data, size_t length) {
  auto* stream = static_cast<CBufferedFile*>(png_get_io_ptr(png));
  while (length > 0) {
    const int chunk = static_cast<int>(std::min<size_t>(length, 1 << 30));
    stream->Write(data, chunk);
    data += chunk;
    length -= static_cast<size_t>(chunk);
  }
  // A full disk ends the work instead of compressing into the void.
  if (stream->GetWriteError()) png_error(png, kWriteErrorText);
}

void PngFlushProc(png_structp) {}

[[noreturn]] void PngErrorProc(png_structp png, png_const_charp message) {
  ReportMessage(MESSAGE_ERROR, message ? message : "");
  png_longjmp(png, 1);
}

void PngWarningProc(png_structp, png_const_charp) {}

// libpng reads an ancillary chunk whole into a buffer of the size the file
// declares. No block libpng needs for a picture within the size guard comes
// near this cap, so a larger request can only come from a hostile length:
// it is refused, and libpng skips that chunk or fails cleanly.
constexpr png_alloc_size_t kMaxPngAllocation = png_alloc_size_t{64} << 20;
constexpr png_alloc_size_t kMaxPngChunkBytes = png_alloc_size_t{16} << 20;
constexpr png_uint_32 kMaxPngChunkCount = 1000;

png_voidp PngMalloc(png_structp, png_alloc_size_t size) {
  return size > kMaxPngAllocation ? nullptr : std::malloc(size);
}

void PngFree(png_structp, png_voidp block) { std::free(block); }

// Caps decompressed text and profile chunks and their number.
void LimitPngChunks(png_structp png) {
  png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
  png_set_chunk_cache_max(png, kMaxPngChunkCount);
}

// Turns buffering on for the call unless the caller already has it on.
class CBufferScope {
 public:
  explicit CBufferScope(CBufferedFile* stream) : m_stream(stream), m_began(!stream->IsBuffered()) {
    if (m_began) m_stream->BeginBuffer();
  }
  ~CBufferScope() { End(); }
  void End() {
    if (m_began) m_stream->EndBuffer();
    m_began = false;
  }
  CBufferScope(const CBufferScope&) = delete;
  CBufferScope& operator=(const CBufferScope&) = delete;

 private:
  CBufferedFile* m_stream;
  bool m_began;
};

// ---------------------------------------------------------------------------
// Reader.

struct PngReadLayout {
  CBufferedFile* stream;
  // The file as declared.
  png_uint_32 width, height;
  int fileBitDepth, fileColorType;
  // Decisions taken on the declared header.
  bool paletteKey;   // one fully transparent palette entry stays a colour key
  int keyIndex;
  bool grayKey;      // a gray tRNS value becomes a colour key
  int grayKeyValue;
  // The exponent (in 1/100000) that corrects the palette entries, 0 for none:
  // libpng corrects indexed pixels it expands, but returns the file's own
  // palette for pixels it leaves indexed.
  png_fixed_point paletteGamma;
  // The layout libpng delivers.
  int passes;
  int bitDepth, colorType;
  size_t rowBytes;
};

// Returns IMAGEIO_OK, IMAGEIO_FAILED after a library error (reported), or
// the size guard's code for a picture too large to hold.
int ReadPngHeaderBody(png_structp png, png_infop info, PngReadLayout* out) {
  if (setjmp(png_jmpbuf(png))) return IMAGEIO_FAILED;
  png_set_read_fn(png, out->stream, PngReadProc);
  LimitPngChunks(png);
  png_read_info(png, info);

  int interlace;
  png_get_IHDR(png, info, &out->width, &out->height, &out->fileBitDepth, &out->fileColorType, &interlace,
               nullptr, nullptr);
  // Refused before libpng sizes its own row buffers for the picture.
  if (out->width > static_cast<png_uint_32>(kMaxImageSide) || out->height > static_cast<png_uint_32>(kMaxImageSide))
    return IMAGEIO_NO_MEMORY;
  const int depth = out->fileBitDepth;
  const int type = out->fileColorType;
  if (depth == 16) png_set_strip_16(png);

  // Gamma only where the file states it; sRGB and iCCP imply 1/2.2, which
  // needs no correction for the screen gamma used here.
  bool gammaCorrected = false;
  double fileGamma = 0;
  if (png_get_valid(png, info, PNG_INFO_gAMA) && png_get_gAMA(png, info, &fileGamma) && fileGamma > 0) {
    png_set_gamma(png, kScreenGamma, fileGamma);
    gammaCorrected = std::fabs(fileGamma * kScreenGamma - 1.0) >= kGammaThreshold;
  }
  out->paletteGamma = 0;
  png_fixed_point fileGammaFixed = 0;
  if (gammaCorrected && png_get_gAMA_fixed(png, info, &fileGammaFixed) && fileGammaFixed > 0) {
    // As libpng rounds it: 1 / (file gamma * screen gamma) in fixed point.
    const double exponent = std::floor(1e15 / (static_cast<double>(fileGammaFixed) * (kScreenGamma * 100000)) + 0.5);
    if (exponent > 0 && exponent < 2147483647.0) out->paletteGamma = static_cast<png_fixed_point>(exponent);
  }

  out->paletteKey = false;
  out->grayKey = false;
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_bytep alpha = nullptr;
    int count = 0;
    png_color_16p gray = nullptr;
    png_get_tRNS(png, info, &alpha, &count, &gray);
    if (type == PNG_COLOR_TYPE_RGB) {
      png_set_tRNS_to_alpha(png);
    } else if (type == PNG_COLOR_TYPE_PALETTE) {
      int below = 0, partial = 0, first = -1;
      for (int i = 0; i < count && alpha; ++i) {
        if (alpha[i] < 255) {
          ++below;
          if (first < 0) first = i;
        }
        if (alpha[i] > 0 && alpha[i] < 255) ++partial;
      }
      if (below > 1 || partial > 0) {
        png_set_palette_to_rgb(png);
        png_set_tRNS_to_alpha(png);
      } else if (below == 1) {
        out->paletteKey = true;
        out->keyIndex = first;
      }
    } else if (type == PNG_COLOR_TYPE_GRAY && gray) {
      // A 16-bit key or a gamma-corrected gray no longer matches after the
      // transformations: libpng turns the key into alpha exactly instead.
      if (depth == 16 || gammaCorrected) {
        png_set_tRNS_to_alpha(png);
      } else {
        const int levels = (1 << depth) - 1;
        int key = gray->gray;
        if (key > levels) key /= std::max(1, 255 / levels);
        out->grayKey = true;
        out->grayKeyValue = key;
      }
    }
  }

  out->passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  png_uint_32 w, h;
  png_get_IHDR(png, info, &w, &h, &out->bitDepth, &out->colorType, &interlace, nullptr, nullptr);
  out->rowBytes = png_get_rowbytes(png, info);
  return IMAGEIO_OK;
}

enum PngRowConversion {
  kRowsDirect,      // the image row is the PNG row
  kRowsWiden2,      // 2-bit values into 4-bit pixels
  kRowsGrayAlpha,   // gray, alpha into RGB and mask
  kRowsRgbAlpha,    // red, green, blue, alpha into RGB and mask
};

struct PngRowState {
  CRasterImage* image;
  uint8_t* bits;
  int64_t stride;
  uint8_t* mask;
  int64_t maskStride;
  PngRowConversion conversion;
  uint8_t* buffer;   // one row, or every row of an interlaced image
  bool wholeImage;
  size_t rowBytes;
  int32_t width, height;
  int passes;
  CANCELPROC cancel;
  PROGRESSPROC progress;
  int progressDone, progressTotal;
};

void ConvertPngRow(const PngRowState* st, const uint8_t* in, int32_t y) {
  uint8_t* row = st->bits + y * st->stride;
  const int32_t width = st->width;
  switch (st->conversion) {
    case kRowsDirect:
      break;
    case kRowsWiden2:
      for (int32_t x = 0; x < width; ++x) {
        const int v = (in[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        if (x & 1)
          row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | v);
        else
          row[x >> 1] = static_cast<uint8_t>(v << 4);
      }
      break;
    case kRowsGrayAlpha: {
      uint8_t* m = st->mask + y * st->maskStride;
      for (int32_t x = 0; x < width; ++x, in += 2, row += 3) {
        row[0] = row[1] = row[2] = in[0];
        m[x] = in[1];
      }
      break;
    }
    case kRowsRgbAlpha: {
      uint8_t* m = st->mask + y * st->maskStride;
      for (int32_t x = 0; x < width; ++x, in += 4, row += 3) {
        row[0] = in[0];
        row[1] = in[1];
        row[2] = in[2];
        m[x] = in[3];
      }
      break;
    }
  }
}

void ReportPngProgress(PngRowState* st) {
  ++st->progressDone;
  if (st->progress) st->progress(std::min(st->progressDone, st->progressTotal), st->progressTotal);
}

bool ReadPngRowsBody(png_structp png, PngRowState* st) {
  if (setjmp(png_jmpbuf(png))) return false;
  for (int pass = 0; pass < st->passes; ++pass) {
    for (int32_t y = 0; y < st->height; ++y) {
      uint8_t* target;
      if (st->conversion == kRowsDirect)
        target = st->bits + y * st->stride;
      else if (st->wholeImage)
        target = st->buffer + static_cast<size_t>(y) * st->rowBytes;
      else
        target = st->buffer;
      png_read_row(png, target, nullptr);
      // A single pass converts each row as it comes.
      if (!st->wholeImage && st->conversion != kRowsDirect) ConvertPngRow(st, target, y);
      if (st->cancel && st->cancel()) png_error(png, "User aborted !");
      ReportPngProgress(st);
    }
  }
  return true;
}

bool ReadPngEndBody(png_structp png) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_end(png, nullptr);
  return true;
}

struct PngReadStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngReadStructs() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};

bool CreateReadStructs(PngReadStructs& s) {
  s.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, PngErrorProc, PngWarningProc, nullptr, PngMalloc,
                                   PngFree);
  if (!s.png) return false;
  s.info = png_create_info_struct(s.png);
  return s.info != nullptr;
}

int ReadPngImage(CCodecJob* job) {
  PngReadStructs s;
  if (!CreateReadStructs(s)) return IMAGEIO_NO_MEMORY;
  CBufferScope buffering(job->m_pStream);

  PngReadLayout layout{};
  layout.stream = job->m_pStream;
  if (const int code = ReadPngHeaderBody(s.png, s.info, &layout); code != IMAGEIO_OK) return code;

  png_textp texts = nullptr;
  const int textCount = png_get_text(s.png, s.info, &texts, nullptr);
  std::string comment;
  for (int i = 0; i < textCount; ++i) {
    if (i) comment += '\n';
    if (texts[i].text) comment.append(texts[i].text, texts[i].itxt_length ? texts[i].itxt_length : texts[i].text_length);
  }

  // The image layout for what libpng delivers.
  const int32_t width = static_cast<int32_t>(std::min<png_uint_32>(layout.width, INT32_MAX));
  const int32_t height = static_cast<int32_t>(std::min<png_uint_32>(layout.height, INT32_MAX));
  int bpp;
  PngRowConversion conversion = kRowsDirect;
  bool withMask = false;
  switch (layout.colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
      if (layout.bitDepth == 2) {
        bpp = 4;
        conversion = kRowsWiden2;
      } else if (layout.bitDepth == 1 || layout.bitDepth == 4 || layout.bitDepth == 8) {
        bpp = layout.bitDepth;
      } else {
        return IMAGEIO_CORRUPT;
      }
      break;
    case PNG_COLOR_TYPE_RGB:
      bpp = 24;
      break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      bpp = 24;
      conversion = kRowsGrayAlpha;
      withMask = true;
      break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      bpp = 24;
      conversion = kRowsRgbAlpha;
      withMask = true;
      break;
    default:
      return IMAGEIO_CORRUPT;
  }
  if (layout.bitDepth != 8 && bpp == 24) return IMAGEIO_CORRUPT;
  // The size guard, before any pixel memory is taken.
  if (const int code = CheckImageGeometry(layout.width, layout.height, bpp); code != IMAGEIO_OK) return code;
  const size_t minRowBytes = static_cast<size_t>(RowBytes(width, layout.bitDepth *
      (conversion == kRowsGrayAlpha ? 2 : conversion == kRowsRgbAlpha ? 4 : bpp == 24 ? 3 : 1)));
  if (layout.rowBytes < minRowBytes) return IMAGEIO_CORRUPT;

  CRasterImage& image = job->m_image;
  if (!image.Create(width, height, bpp)) return IMAGEIO_NO_MEMORY;
  if (withMask && !image.CreateMask()) return IMAGEIO_NO_MEMORY;

  if (layout.colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(s.png, s.info, &entries, &count) && entries) {
      RGBQUAD* pal = image.GetWritablePalette();
      count = std::min(count, 1 << layout.bitDepth);
      uint8_t table[256];
      for (int v = 0; v < 256; ++v) table[v] = GammaCorrect8(v, layout.paletteGamma);
      for (int i = 0; i < count; ++i)
        pal[i] = MakeRGBQuad(table[entries[i].red], table[entries[i].green], table[entries[i].blue]);
    }
  } else if (bpp <= 8) {
    RGBQUAD* pal = image.GetWritablePalette();
    const int levels = (1 << layout.bitDepth) - 1;
    for (int i = 0; i <= levels; ++i) {
      const auto v = static_cast<uint8_t>(255 * i / levels);
      pal[i] = MakeRGBQuad(v, v, v);
    }
  }

  PngRowState st{};
  st.image = &image;
  st.bits = image.GetWritableBits();
  st.stride = image.GetStride();
  st.mask = withMask ? image.GetWritableMaskBits() : nullptr;
  st.maskStride = withMask ? image.GetMaskStride() : 0;
  st.conversion = conversion;
  st.rowBytes = layout.rowBytes;
  st.width = width;
  st.height = height;
  st.passes = layout.passes;
  st.cancel = job->m_pfnCancel;
  st.progress = job->m_pfnProgress;
  st.progressTotal = (layout.passes + 1) * height;
  st.wholeImage = conversion != kRowsDirect && layout.passes > 1;
  std::vector<uint8_t> buffer;
  if (conversion != kRowsDirect) {
    const uint64_t bytes = static_cast<uint64_t>(layout.rowBytes) * (st.wholeImage ? static_cast<uint64_t>(height) : 1);
    if (bytes > static_cast<uint64_t>(INT32_MAX)) {
      ReportMessage(MESSAGE_ERROR, "Out of memory !");
      return IMAGEIO_FAILED;
    }
    try {
      buffer.assign(static_cast<size_t>(bytes), 0);
    } catch (const std::bad_alloc&) {
      ReportMessage(MESSAGE_ERROR, "Out of memory !");
      return IMAGEIO_FAILED;
    }
    st.buffer = buffer.data();
  }
  if (!st.bits || (withMask && !st.mask)) return IMAGEIO_NO_MEMORY;

  if (!ReadPngRowsBody(s.png, &st)) return IMAGEIO_FAILED;
  if (st.wholeImage) {
    for (int32_t y = 0; y < height; ++y) {
      ConvertPngRow(&st, st.buffer + static_cast<size_t>(y) * st.rowBytes, y);
      if (st.cancel && st.cancel()) {
        ReportMessage(MESSAGE_ERROR, "User aborted !");
        return IMAGEIO_FAILED;
      }
      ReportPngProgress(&st);
    }
  } else if (st.progress) {
    st.progress(st.progressTotal, st.progressTotal);
  }
  buffer = std::vector<uint8_t>();

  if (layout.paletteKey) MakeColorKeyMask(image, layout.keyIndex);
  if (layout.grayKey) MakeColorKeyMask(image, layout.grayKeyValue);

  if (!ReadPngEndBody(s.png)) return IMAGEIO_FAILED;
  job->m_strComment = std::move(comment);
  return IMAGEIO_OK;
}

// ---------------------------------------------------------------------------
// Writer.

bool IsBlack(const RGBQUAD& c) { return c.rgbRed == 0 && c.rgbGreen == 0 && c.rgbBlue == 0; }
bool IsWhite(const RGBQUAD& c) { return c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255; }

int GetIndex(const uint8_t* row, int bpp, int32_t x) {
  if (bpp == 8) return row[x];
  if (bpp == 4) return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
  return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

bool MaskBit(const uint8_t* maskRow, int32_t x) { return (maskRow[x >> 3] >> (7 - (x & 7))) & 1; }

enum PngWriteRows {
  kWriteDirect,        // image rows as they are
  kWriteInvert1,       // 1-bit rows with every bit inverted
  kWriteMasked1,       // 1-bit pixels into 4-bit indices, 2 where transparent
  kWriteKeyed,         // 4- or 8-bit indices, transparent pixels as the key
  kWriteKeyed8From4,   // 4-bit indices widened to 8 bits, transparent as the key
  kWriteGrayAlpha,     // gray and 255 / 0 from the 1-bit mask
  kWriteRgbaFromPalette,
  kWriteRgba,          // RGB and the 8-bit mask
};

struct PngWriteLayout {
  int bitDepth = 8;
  int colorType = PNG_COLOR_TYPE_RGB;
  PngWriteRows rows = kWriteDirect;
  int key = 0;
  std::vector<png_color> palette;
  std::vector<png_byte> trans;
  size_t rowBytes = 0;
};

void ChooseWriteLayout(const CRasterImage& image, PngWriteLayout& l) {
  const int bpp = image.GetBitsPerPixel();
  const bool masked = image.HasValidMask();
  const RGBQUAD* pal = image.GetPalette();
  auto setPalette = [&](int entries) {
    l.palette.assign(static_cast<size_t>(entries), png_color{0, 0, 0});
    const int have = std::min(entries, std::min(image.GetPaletteSize(), 1 << bpp));
    for (int i = 0; i < have; ++i) l.palette[static_cast<size_t>(i)] = png_color{pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue};
  };
  if (bpp == 24) {
    l.bitDepth = 8;
    l.colorType = masked ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    l.rows = masked ? kWriteRgba : kWriteDirect;
  } else if (bpp == 1 && !masked) {
    l.bitDepth = 1;
    if (IsBlack(pal[0]) && IsWhite(pal[1])) {
      l.colorType = PNG_COLOR_TYPE_GRAY;
    } else if (IsWhite(pal[0]) && IsBlack(pal[1])) {
      l.colorType = PNG_COLOR_TYPE_GRAY;
      l.rows = kWriteInvert1;
    } else {
      l.colorType = PNG_COLOR_TYPE_PALETTE;
      setPalette(2);
    }
  } else if (bpp == 1) {
    l.bitDepth = 4;
    l.colorType = PNG_COLOR_TYPE_PALETTE;
    setPalette(16);
    l.trans = {0xFF, 0xFF, 0x00};
    l.rows = kWriteMasked1;
  } else if (bpp == 8 && image.IsGrayscale()) {
    l.bitDepth = 8;
    l.colorType = masked ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY;
    l.rows = masked ? kWriteGrayAlpha : kWriteDirect;
  } else {
    // 4- and 8-bit palette images.
    l.bitDepth = bpp;
    l.colorType = PNG_COLOR_TYPE_PALETTE;
    setPalette(1 << bpp);
    if (masked) {
      int index = 0, remap = 0, replacement = 0;
      ChooseTransparentIndex(image, &index, &remap, &replacement);
      if (!remap) {
        l.key = index;
        l.trans.assign(static_cast<size_t>(index) + 1, 0xFF);
        l.trans[static_cast<size_t>(index)] = 0;
        l.rows = kWriteKeyed;
      } else if (bpp == 4) {
        // Every index is in use: a 17th entry carries the transparency, so
        // no colour is lost.
        l.bitDepth = 8;
        setPalette(17);
        l.key = 16;
        l.trans.assign(17, 0xFF);
        l.trans[16] = 0;
        l.rows = kWriteKeyed8From4;
      } else {
        // All 256 entries in use: full colour with alpha keeps every pixel.
        l.palette.clear();
        l.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
        l.rows = kWriteRgbaFromPalette;
      }
    }
  }
  const int channels = l.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                       : l.colorType == PNG_COLOR_TYPE_RGB     ? 3
                       : l.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                  : 1;
  l.rowBytes = static_cast<size_t>(RowBytes(image.GetWidth(), l.bitDepth * channels));
}

void FillPngRow(const CRasterImage& image, const PngWriteLayout& l, int32_t y, uint8_t* out) {
  const uint8_t* row = image.GetRow(y);
  const int32_t width = image.GetWidth();
  const int bpp = image.GetBitsPerPixel();
  switch (l.rows) {
    case kWriteDirect:
      std::memcpy(out, row, l.rowBytes);
      break;
    case kWriteInvert1:
      for (size_t i = 0; i < l.rowBytes; ++i) out[i] = static_cast<uint8_t>(~row[i]);
      break;
    case kWriteMasked1: {
      const uint8_t* mask = image.GetMaskRow(y);
      std::memset(out, 0, l.rowBytes);
      for (int32_t x = 0; x < width; ++x) {
        const int v = MaskBit(mask, x) ? GetIndex(row, 1, x) : 2;
        out[x >> 1] |= static_cast<uint8_t>((x & 1) ? v : v << 4);
      }
      break;
    }
    case kWriteKeyed:
    case kWriteKeyed8From4: {
      const uint8_t* mask = image.GetMaskRow(y);
      const bool wide = l.rows == kWriteKeyed8From4 || bpp == 8;
      if (!wide) std::memset(out, 0, l.rowBytes);
      for (int32_t x = 0; x < width; ++x) {
        const int v = MaskBit(mask, x) ? GetIndex(row, bpp, x) : l.key;
        if (wide)
          out[x] = static_cast<uint8_t>(v);
        else
          out[x >> 1] |= static_cast<uint8_t>((x & 1) ? v : v << 4);
      }
      break;
    }
    case kWriteGrayAlpha: {
      const uint8_t* mask = image.GetMaskRow(y);
      for (int32_t x = 0; x < width; ++x) {
        out[2 * x] = row[x];
        out[2 * x + 1] = MaskBit(mask, x) ? 255 : 0;
      }
      break;
    }
    case kWriteRgbaFromPalette: {
      const uint8_t* mask = image.GetMaskRow(y);
      const RGBQUAD* pal = image.GetPalette();
      for (int32_t x = 0; x < width; ++x) {
        const RGBQUAD c = pal[row[x]];
        out[4 * x] = c.rgbRed;
        out[4 * x + 1] = c.rgbGreen;
        out[4 * x + 2] = c.rgbBlue;
        out[4 * x + 3] = MaskBit(mask, x) ? 255 : 0;
      }
      break;
    }
    case kWriteRgba: {
      const uint8_t* mask = image.GetMaskRow(y);
      for (int32_t x = 0; x < width; ++x) {
        out[4 * x] = row[3 * x];
        out[4 * x + 1] = row[3 * x + 1];
        out[4 * x + 2] = row[3 * x + 2];
        out[4 * x + 3] = mask[x];
      }
      break;
    }
  }
}

struct PngWriteState {
  CBufferedFile* stream;
  const CRasterImage* image;
  const PngWriteLayout* layout;
  const char* comment;  // null: no text chunk
  uint8_t* buffer;      // every row in PNG layout; null: the image rows are used
  CANCELPROC cancel;
  PROGRESSPROC progress;
};

bool WritePngBody(png_structp png, png_infop info, PngWriteState* st) {
  if (setjmp(png_jmpbuf(png))) return false;
  const CRasterImage& image = *st->image;
  const PngWriteLayout& l = *st->layout;
  const int32_t width = image.GetWidth(), height = image.GetHeight();

  png_set_write_fn(png, st->stream, PngWriteProc, PngFlushProc);
  if (st->comment) {
    png_text text{};
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = const_cast<png_charp>("Description");
    text.text = const_cast<png_charp>(st->comment);
    text.text_length = std::strlen(st->comment);
    png_set_text(png, info, &text, 1);
  }
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), l.bitDepth, l.colorType,
               PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!l.palette.empty())
    png_set_PLTE(png, info, l.palette.data(), static_cast<int>(l.palette.size()));
  if (!l.trans.empty())
    png_set_tRNS(png, info, l.trans.data(), static_cast<int>(l.trans.size()), nullptr);
  png_write_info(png, info);

  const int passes = png_set_interlace_handling(png);
  const int total = (passes + 1) * height;
  int done = 0;
  for (int32_t y = 0; y < height; ++y) {
    if (st->buffer) FillPngRow(image, l, y, st->buffer + static_cast<size_t>(y) * l.rowBytes);
    if (st->cancel && st->cancel()) png_error(png, "User aborted !");
    ++done;
    if (st->progress) st->progress(done, total);
  }
  for (int pass = 0; pass < passes; ++pass) {
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* row = st->buffer ? st->buffer + static_cast<size_t>(y) * l.rowBytes : image.GetRow(y);
      png_write_row(png, row);
      if (st->cancel && st->cancel()) png_error(png, "User aborted !");
      ++done;
      if (st->progress) st->progress(std::min(done, total), total);
    }
  }
  png_write_end(png, info);
  return true;
}

struct PngWriteStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWriteStructs() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  }
};

int WritePngImage(CCodecJob* job) {
  const CRasterImage& image = job->m_image;
  if (image.IsEmpty()) return IMAGEIO_INTERNAL_ERROR;
  const int bpp = image.GetBitsPerPixel();
  if (bpp != 24 && image.GetPaletteSize() < (1 << bpp)) return IMAGEIO_INTERNAL_ERROR;

  PngWriteStructs s;
  s.png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, nullptr, PngErrorProc, PngWarningProc, nullptr, PngMalloc,
                                    PngFree);
  if (!s.png) return IMAGEIO_NO_MEMORY;
  s.info = png_create_info_struct(s.png);
  if (!s.info) return IMAGEIO_NO_MEMORY;
  CBufferScope buffering(job->m_pStream);

  PngWriteLayout layout;
  ChooseWriteLayout(image, layout);
  std::vector<uint8_t> buffer;
  if (layout.rows != kWriteDirect) {
    const uint64_t bytes = static_cast<uint64_t>(layout.rowBytes) * static_cast<uint64_t>(image.GetHeight());
    if (bytes > static_cast<uint64_t>(INT32_MAX)) {
      ReportMessage(MESSAGE_ERROR, "Out of memory !");
      return IMAGEIO_FAILED;
    }
    try {
      buffer.assign(static_cast<size_t>(bytes), 0);
    } catch (const std::bad_alloc&) {
      ReportMessage(MESSAGE_ERROR, "Out of memory !");
      return IMAGEIO_FAILED;
    }
  }
  PngWriteState st{job->m_pStream, &image, &layout,
                   job->m_strComment.empty() ? nullptr : job->m_strComment.c_str(),
                   buffer.empty() ? nullptr : buffer.data(), job->m_pfnCancel, job->m_pfnProgress};
  if (!WritePngBody(s.png, s.info, &st)) return IMAGEIO_FAILED;
  // The tail may still sit in the stream's buffer: flush it and check.
  buffering.End();
  if (job->m_pStream->GetWriteError()) {
    ReportMessage(MESSAGE_ERROR, kWriteErrorText);
    return IMAGEIO_FAILED;
  }
  return IMAGEIO_OK;
}

struct PngInfoResult {
  CBufferedFile* stream;
  png_uint_32 width, height;
  int bitsPerPixel;
};

bool ReadPngInfoBody(png_structp png, png_infop info, PngInfoResult* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, out->stream, PngReadProc);
  LimitPngChunks(png);
  png_read_info(png, info);
  out->width = png_get_image_width(png, info);
  out->height = png_get_image_height(png, info);
  out->bitsPerPixel = png_get_channels(png, info) * png_get_bit_depth(png, info);
  return true;
}

}  // namespace

int ReadPng(CCodecJob* job) {
  job->m_image.Free();
  job->m_strComment.clear();
  if (!job->m_pStream) return job->m_nResult = IMAGEIO_INTERNAL_ERROR;
  int result;
  try {
    result = ReadPngImage(job);
  } catch (const std::bad_alloc&) {
    result = IMAGEIO_NO_MEMORY;
  }
  if (result != IMAGEIO_OK) {
    job->m_image.Free();
    job->m_strComment.clear();
  }
  return job->m_nResult = result;
}

int WritePng(CCodecJob* job) {
  if (!job->m_pStream) return job->m_nResult = IMAGEIO_INTERNAL_ERROR;
  int result;
  try {
    result = WritePngImage(job);
  } catch (const std::bad_alloc&) {
    result = IMAGEIO_NO_MEMORY;
  }
  return job->m_nResult = result;
}

bool GetPngInfo(CBufferedFile* stream, CImageFileInfo* info) {
  if (!stream || !info) return false;
  try {
    PngReadStructs s;
    if (!CreateReadStructs(s)) return false;
    PngInfoResult result{stream, 0, 0, 0};
    if (!ReadPngInfoBody(s.png, s.info, &result)) return false;
    info->m_nWidth = static_cast<int32_t>(std::min<png_uint_32>(result.width, INT32_MAX));
    info->m_nHeight = static_cast<int32_t>(std::min<png_uint_32>(result.height, INT32_MAX));
    info->m_nBitsPerPixel = result.bitsPerPixel;
    png_textp texts = nullptr;
    const int count = png_get_text(s.png, s.info, &texts, nullptr);
    for (int i = 0; i < count; ++i)
      info->m_properties.Add(texts[i].key ? texts[i].key : "",
                             texts[i].text ? std::string(texts[i].text, texts[i].itxt_length ? texts[i].itxt_length
                                                                                              : texts[i].text_length)
                                           : std::string());
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}
