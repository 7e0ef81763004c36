// TIFF reader (through libtiff, over the program's streams) and the program's
// own writer.
//
// Reading: one frame per page. Pages of up to 8 bits per pixel (bilevel,
// gray, palette) keep their indexes through a put routine that stores raw
// samples; everything else goes through libtiff's RGBA interface, except that
// unassociated alpha is delivered without premultiplying and 16-bit gray
// becomes 8-bit gray. A page whose
// photometric interpretation is "transparency mask" becomes the mask of the
// page before it. libtiff never shows messages: its handlers are silenced,
// and its single allocations are bounded by the image byte budget.
//
// Writing: little-endian, uncompressed strips, with a second directory that
// carries the 1-bit transparency mask of indexed images. The file is laid out
// before it is written, so the writer never seeks.

#include "formats/TiffCodec.h"

#include <tiffio.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "base/ImageGeometry.h"
#include "formats/MemStream.h"
#include "imaging/PixelAccess.h"

namespace {

// ---- client procedures over a CBufferedFile ------------------------------

tmsize_t TiffReadProc(thandle_t handle, void* buffer, tmsize_t size) {
  auto* stream = static_cast<CBufferedFile*>(handle);
  tmsize_t total = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (total < size) {
    const int chunk = static_cast<int>(std::min<tmsize_t>(size - total, 1 << 30));
    const int got = stream->Read(out + total, chunk);
    if (got <= 0) break;
    total += got;
    if (got < chunk) break;
  }
  return total;
}

tmsize_t TiffWriteProc(thandle_t handle, void* buffer, tmsize_t size) {
  auto* stream = static_cast<CBufferedFile*>(handle);
  if (size < 0 || size > INT_MAX) return -1;
  stream->Write(buffer, static_cast<int>(size));
  return size;
}

// Streams address at most 2 GiB; offsets beyond fail, so BigTIFF files with
// large offsets fail cleanly.
toff_t TiffSeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* stream = static_cast<CBufferedFile*>(handle);
  int64_t base = 0;
  if (whence == SEEK_CUR) {
    base = stream->Seek(0, CBufferedFile::kCurrent);
  } else if (whence == SEEK_END) {
    base = stream->GetSize();
  } else if (whence != SEEK_SET) {
    return static_cast<toff_t>(-1);
  }
  if (base < 0) return static_cast<toff_t>(-1);
  // toff_t is unsigned; relative seeks may carry a negative value.
  const int64_t target = base + static_cast<int64_t>(offset);
  if (target < 0 || target > INT32_MAX) return static_cast<toff_t>(-1);
  const int64_t pos = stream->Seek(target, CBufferedFile::kBegin);
  if (pos < 0) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(pos);
}

int TiffCloseProc(thandle_t) { return 0; }

toff_t TiffSizeProc(thandle_t handle) {
  const int64_t size = static_cast<CBufferedFile*>(handle)->GetSize();
  return size < 0 ? 0 : static_cast<toff_t>(size);
}

// "Mapping": libtiff reads pages from memory when the client maps the file,
// and libtiff 4.5 can read uncompressed tiles only that way. A memory stream
// lends its bytes; a file up to kMaxMappedCopy bytes is copied to the heap
// (a real mapping would end the program if another process truncated the
// file); larger files are read through the procedures above.
constexpr int64_t kMaxMappedCopy = int64_t{256} << 20;

int TiffMapProc(thandle_t handle, void** base, toff_t* size) {
  auto* stream = static_cast<CBufferedFile*>(handle);
  if (auto* mem = dynamic_cast<CMemStream*>(stream)) {
    if (mem->GetLength() <= 0) return 0;
    *base = const_cast<uint8_t*>(mem->GetData());
    *size = static_cast<toff_t>(mem->GetLength());
    return 1;
  }
  const int64_t length = stream->GetSize();
  if (length <= 0 || length > kMaxMappedCopy) return 0;
  auto* copy = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length)));
  if (!copy) return 0;
  const int64_t pos = stream->Seek(0, CBufferedFile::kCurrent);
  stream->Seek(0, CBufferedFile::kBegin);
  const bool complete = stream->Read(copy, static_cast<int>(length)) == length;
  stream->Seek(pos < 0 ? 0 : pos, CBufferedFile::kBegin);
  stream->ClearError();
  if (!complete) {
    std::free(copy);
    return 0;
  }
  *base = copy;
  *size = static_cast<toff_t>(length);
  return 1;
}

void TiffUnmapProc(thandle_t handle, void* base, toff_t) {
  if (!dynamic_cast<CMemStream*>(static_cast<CBufferedFile*>(handle))) std::free(base);
}

int TiffQuietHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* tif) const {
    if (tif) TIFFClose(tif);
  }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Opens the stream for reading; `pixels` allows the in-memory view that page
// decoding wants (header-only callers go without it).
TiffHandle OpenTiff(CBufferedFile* stream, bool pixels) {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  if (!stream) return nullptr;
  stream->Seek(0, CBufferedFile::kBegin);
  stream->ClearError();
  TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
  if (!opts) return nullptr;
  const int64_t limit = std::max<int64_t>(GetImageByteBudget(), 64 << 20);
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts, static_cast<tmsize_t>(limit));
  TIFFOpenOptionsSetErrorHandlerExtR(opts, TiffQuietHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(opts, TiffQuietHandler, nullptr);
  TIFF* tif = TIFFClientOpenExt("", pixels ? "r" : "rm", stream, TiffReadProc, TiffWriteProc, TiffSeekProc, TiffCloseProc,
                                TiffSizeProc, TiffMapProc, TiffUnmapProc, opts);
  TIFFOpenOptionsFree(opts);
  return TiffHandle(tif);
}

// ---- reading --------------------------------------------------------------

int GetColormapBits(int n, const uint16_t* red, const uint16_t* green, const uint16_t* blue) {
  for (int i = 0; i < n; ++i)
    if (red[i] >= 256 || green[i] >= 256 || blue[i] >= 256) return 16;
  return 8;
}

void MakeTiffPalette(TIFF* tif, int photometric, int bitsPerSample, CRasterImage& image) {
  const int n = 1 << bitsPerSample;
  RGBQUAD* pal = image.GetWritablePalette();
  const int held = image.GetPaletteSize();
  if (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK) {
    const int step = 255 / (n - 1);
    for (int i = 0; i < n && i < held; ++i) {
      int v = (i * step) & 0xFF;
      if (photometric == PHOTOMETRIC_MINISWHITE) v = 255 - v;
      pal[i] = MakeRGBQuad(static_cast<uint8_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v));
    }
  } else if (photometric == PHOTOMETRIC_PALETTE) {
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) return;
    // 16-bit maps keep their high byte, which is exact both for maps written
    // as value * 257 and as value << 8.
    const int shift = GetColormapBits(n, red, green, blue) == 16 ? 8 : 0;
    for (int i = 0; i < n && i < held; ++i)
      pal[i] = MakeRGBQuad(static_cast<uint8_t>(red[i] >> shift), static_cast<uint8_t>(green[i] >> shift),
                           static_cast<uint8_t>(blue[i] >> shift));
  } else if (photometric == PHOTOMETRIC_MASK) {
    pal[0] = MakeRGBQuad(0, 0, 0);
    pal[1] = MakeRGBQuad(255, 255, 255);
  }
}

// Put routine of the indexed path: each buffer row receives the raw samples
// packed as the image stores them, at the pixel's x within the row (2-bit
// samples widened to one 4-bit pixel each).
void TiffPutIndexedProc(TIFFRGBAImage* img, uint32_t* cp, uint32_t x, uint32_t, uint32_t w, uint32_t h,
                        int32_t fromskew, int32_t toskew, unsigned char* pp) {
  const int bps = img->bitspersample;
  const size_t inRow = (static_cast<size_t>(w + fromskew) * bps + 7) / 8;
  for (uint32_t r = 0; r < h; ++r) {
    auto* out = reinterpret_cast<uint8_t*>(cp - x);  // start of the buffer row
    if (bps == 2) {
      for (uint32_t i = 0; i < w; ++i)
        SetPixel4(out, static_cast<int16_t>(x + i), (pp[i >> 2] >> (6 - 2 * (i & 3))) & 3);
    } else {
      std::memcpy(out + static_cast<size_t>(x) * bps / 8, pp, (static_cast<size_t>(w) * bps + 7) / 8);
    }
    pp += inRow;
    cp += static_cast<ptrdiff_t>(w) + toskew;  // toskew is negative for bottom-up pages
  }
}

inline uint8_t Narrow16(uint16_t v) { return static_cast<uint8_t>((v * 255u + 32767u) / 65535u); }

// 16-bit gray levels rounded to 8 bits (as 16-bit colour is read; libtiff's
// own routine keeps the high byte), white-is-zero pages inverted.
void TiffPutGray16(TIFFRGBAImage* img, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h, int32_t fromskew,
                   int32_t toskew, unsigned char* pp) {
  const bool invert = img->photometric == PHOTOMETRIC_MINISWHITE;
  auto* wp = reinterpret_cast<uint16_t*>(pp);
  for (uint32_t r = 0; r < h; ++r) {
    for (uint32_t i = 0; i < w; ++i) {
      const uint8_t level = Narrow16(*wp++);
      *cp++ = invert ? 255u - level : level;
    }
    cp += toskew;
    wp += fromskew;
  }
}

// Unassociated alpha, delivered as stored (libtiff's own routines
// premultiply the colour by it).
void TiffPutStraightAlpha8(TIFFRGBAImage* img, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h,
                           int32_t fromskew, int32_t toskew, unsigned char* pp) {
  const int spp = img->samplesperpixel;
  for (uint32_t r = 0; r < h; ++r) {
    for (uint32_t i = 0; i < w; ++i, pp += spp)
      *cp++ = pp[0] | pp[1] << 8 | static_cast<uint32_t>(pp[2]) << 16 | static_cast<uint32_t>(pp[3]) << 24;
    cp += toskew;
    pp += static_cast<ptrdiff_t>(fromskew) * spp;
  }
}

void TiffPutStraightAlpha16(TIFFRGBAImage* img, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h,
                            int32_t fromskew, int32_t toskew, unsigned char* pp) {
  const int spp = img->samplesperpixel;
  auto* wp = reinterpret_cast<uint16_t*>(pp);
  for (uint32_t r = 0; r < h; ++r) {
    for (uint32_t i = 0; i < w; ++i, wp += spp)
      *cp++ = Narrow16(wp[0]) | Narrow16(wp[1]) << 8 | static_cast<uint32_t>(Narrow16(wp[2])) << 16 |
              static_cast<uint32_t>(Narrow16(wp[3])) << 24;
    cp += toskew;
    wp += static_cast<ptrdiff_t>(fromskew) * spp;
  }
}

void TiffPutStraightAlphaSeparate8(TIFFRGBAImage*, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h,
                                   int32_t fromskew, int32_t toskew, unsigned char* r, unsigned char* g,
                                   unsigned char* b, unsigned char* a) {
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t i = 0; i < w; ++i)
      *cp++ = *r++ | *g++ << 8 | static_cast<uint32_t>(*b++) << 16 | static_cast<uint32_t>(*a++) << 24;
    r += fromskew, g += fromskew, b += fromskew, a += fromskew;
    cp += toskew;
  }
}

void TiffPutStraightAlphaSeparate16(TIFFRGBAImage*, uint32_t* cp, uint32_t, uint32_t, uint32_t w, uint32_t h,
                                    int32_t fromskew, int32_t toskew, unsigned char* r8, unsigned char* g8,
                                    unsigned char* b8, unsigned char* a8) {
  auto *r = reinterpret_cast<uint16_t*>(r8), *g = reinterpret_cast<uint16_t*>(g8);
  auto *b = reinterpret_cast<uint16_t*>(b8), *a = reinterpret_cast<uint16_t*>(a8);
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t i = 0; i < w; ++i)
      *cp++ = Narrow16(*r++) | Narrow16(*g++) << 8 | static_cast<uint32_t>(Narrow16(*b++)) << 16 |
              static_cast<uint32_t>(Narrow16(*a++)) << 24;
    r += fromskew, g += fromskew, b += fromskew, a += fromskew;
    cp += toskew;
  }
}

// Rows fetched per TIFFRGBAImageGet call: whole strips or tile rows, grouped
// to a few megabytes, never more than the image has (an absent RowsPerStrip
// means one strip for the whole image) and never a buffer above 256 MB or the
// image byte budget. Each strip is decoded once when blocks hold whole strips.
int RowsPerBlock(TIFF* tif, int width, int height) {
  uint32_t unit = 0;
  if (TIFFIsTiled(tif))
    TIFFGetFieldDefaulted(tif, TIFFTAG_TILELENGTH, &unit);
  else
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
  int64_t rows = std::clamp<int64_t>(unit, 1, height);
  const int64_t rowBytes = int64_t{width} * 4;
  constexpr int64_t kGroup = 4 << 20;
  if (rows * rowBytes < kGroup) rows = std::min<int64_t>(height, rows * std::max<int64_t>(1, kGroup / (rows * rowBytes)));
  const int64_t cap = std::min<int64_t>(int64_t{256} << 20, std::max<int64_t>(GetImageByteBudget(), 16 << 20));
  if (rows * rowBytes > cap) rows = std::max<int64_t>(1, cap / rowBytes);
  return static_cast<int>(rows);
}

enum class TiffPath { Indexed, Rgba };

// Fetches the page through the RGBA interface block by block and hands each
// buffer row to `store`. A page libtiff refuses, or whose block buffer cannot
// be had, keeps its cleared content; the result is IMAGEIO_CANCELLED when the
// user cancelled, else IMAGEIO_OK.
template <typename Store>
int FetchTiffBlocks(TIFF* tif, CCodecJob* job, TiffPath path, int width, int height, Store store) {
  char emsg[1024] = "";
  if (!TIFFRGBAImageOK(tif, emsg)) return IMAGEIO_OK;
  TIFFRGBAImage img;
  std::memset(&img, 0, sizeof img);
  if (!TIFFRGBAImageBegin(&img, tif, 0, emsg)) return IMAGEIO_OK;
  img.req_orientation = ORIENTATION_TOPLEFT;
  if (path == TiffPath::Indexed) {
    img.put.contig = TiffPutIndexedProc;
  } else if ((img.photometric == PHOTOMETRIC_MINISBLACK || img.photometric == PHOTOMETRIC_MINISWHITE) &&
             img.bitspersample == 16 && img.samplesperpixel == 1 && img.isContig) {
    img.put.contig = TiffPutGray16;
  } else if (img.photometric == PHOTOMETRIC_RGB && img.alpha == EXTRASAMPLE_UNASSALPHA && img.samplesperpixel >= 4) {
    if (img.isContig) {
      if (img.bitspersample == 8) img.put.contig = TiffPutStraightAlpha8;
      if (img.bitspersample == 16) img.put.contig = TiffPutStraightAlpha16;
    } else {
      if (img.bitspersample == 8) img.put.separate = TiffPutStraightAlphaSeparate8;
      if (img.bitspersample == 16) img.put.separate = TiffPutStraightAlphaSeparate16;
    }
  }
  const int rowsPerBlock = RowsPerBlock(tif, width, height);
  std::vector<uint32_t> buffer;
  int rc = IMAGEIO_OK;
  try {
    buffer.assign(static_cast<size_t>(width) * rowsPerBlock, 0);
  } catch (const std::bad_alloc&) {
    TIFFRGBAImageEnd(&img);
    return IMAGEIO_OK;  // the page keeps its cleared content
  }
  for (int row = 0; row < height; row += rowsPerBlock) {
    const int rows = std::min(rowsPerBlock, height - row);
    img.row_offset = row;
    img.col_offset = 0;
    std::fill(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(width) * rows, 0u);
    TIFFRGBAImageGet(&img, buffer.data(), static_cast<uint32_t>(width), static_cast<uint32_t>(rows));
    for (int r = 0; r < rows; ++r) store(row + r, buffer.data() + static_cast<size_t>(r) * width);
    if (job && job->m_pfnCancel && job->m_pfnCancel()) {
      rc = IMAGEIO_CANCELLED;
      break;
    }
    if (job && job->m_pfnProgress) job->m_pfnProgress(row + rows, height);
  }
  TIFFRGBAImageEnd(&img);
  return rc;
}

int ReadTiffIndexed(TIFF* tif, CCodecJob* job, CRasterImage& image) {
  const int stride = image.GetStride();
  uint8_t* bits = image.GetWritableBits();
  return FetchTiffBlocks(tif, job, TiffPath::Indexed, image.GetWidth(), image.GetHeight(),
                         [&](int y, const uint32_t* words) {
                           std::memcpy(bits + static_cast<int64_t>(y) * stride, words, static_cast<size_t>(stride));
                         });
}

int ReadTiffRgba(TIFF* tif, CCodecJob* job, CRasterImage& image) {
  const int stride = image.GetStride();
  const int width = image.GetWidth();
  uint8_t* bits = image.GetWritableBits();
  uint8_t* mask = image.HasMask() ? image.GetWritableMaskBits() : nullptr;
  const int maskStride = image.GetMaskStride();
  const bool gray = image.GetBitsPerPixel() == 8;  // 8-bit gray: the red channel is the level
  return FetchTiffBlocks(tif, job, TiffPath::Rgba, width, image.GetHeight(), [&](int y, const uint32_t* words) {
    uint8_t* row = bits + static_cast<int64_t>(y) * stride;
    if (gray) {
      for (int x = 0; x < width; ++x) row[x] = static_cast<uint8_t>(words[x]);
      return;
    }
    for (int x = 0; x < width; ++x) {
      const uint32_t p = words[x];
      row[3 * x] = static_cast<uint8_t>(p);
      row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(p >> 16);
    }
    if (mask) {
      uint8_t* mrow = mask + static_cast<int64_t>(y) * maskStride;
      for (int x = 0; x < width; ++x) mrow[x] = static_cast<uint8_t>(words[x] >> 24);
    }
  });
}

// Reads the current directory. An empty image means the page has no layout
// the image model holds (or no memory); the result is non-zero only when the
// user cancelled.
int ReadTiffDirectory(TIFF* tif, CCodecJob* job, CRasterImage& image) {
  uint32_t width = 0, length = 0;
  uint16_t bps = 1, spp = 1, photometric = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &length);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  // CCITT pages keep the photometric interpretation they are tagged with.
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  if (spp == 0) spp = 1;
  if (width > INT32_MAX || length > INT32_MAX) return IMAGEIO_OK;

  int b = spp * bps;
  TiffPath path = TiffPath::Rgba;
  // libtiff mirrors right-to-left pages as whole 32-bit pixels, which only
  // the RGBA path can take.
  uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  const bool mirrored = orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT ||
                        orientation == ORIENTATION_RIGHTTOP || orientation == ORIENTATION_RIGHTBOT;
  if (photometric <= PHOTOMETRIC_PALETTE) {
    // Indexed when the samples are one index or level of up to 8 bits.
    if (b <= 23 && spp == 1 && !mirrored) path = TiffPath::Indexed;
    if (b == 2) b = 4;
  } else if (photometric == PHOTOMETRIC_MASK) {
    if (bps != 1 || spp != 1) return IMAGEIO_OK;
    // Read as a bilevel page; its palette stays black and white.
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    path = TiffPath::Indexed;
    b = 1;
  }
  if (photometric <= PHOTOMETRIC_MINISBLACK && spp == 1 && bps == 16) {
    // 16-bit gray: 8-bit gray, each level rounded (TiffPutGray16).
    if (CheckImageGeometry(width, length, 8) != IMAGEIO_OK) return IMAGEIO_OK;
    if (!image.Create(static_cast<int32_t>(width), static_cast<int32_t>(length), 8)) return IMAGEIO_OK;
    SetGrayPalette(image);
    return ReadTiffRgba(tif, job, image);
  }
  if (path == TiffPath::Indexed) {
    if (CheckImageGeometry(width, length, b) != IMAGEIO_OK) return IMAGEIO_OK;
    if (!image.Create(static_cast<int32_t>(width), static_cast<int32_t>(length), b)) return IMAGEIO_OK;
    MakeTiffPalette(tif, photometric, bps, image);
    return ReadTiffIndexed(tif, job, image);
  }
  if (CheckImageGeometry(width, length, 24) != IMAGEIO_OK) return IMAGEIO_OK;
  if (!image.Create(static_cast<int32_t>(width), static_cast<int32_t>(length), 24)) return IMAGEIO_OK;
  // Alpha: 32 bits of RGBA or an extra sample marked as alpha (16-bit RGBA
  // too), or gray with an extra sample.
  uint16_t extraCount = 0;
  uint16_t* extraTypes = nullptr;
  const bool alphaSample = TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraCount > 0 &&
                           extraTypes && (extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA);
  const bool alpha = (photometric <= PHOTOMETRIC_PALETTE && (b == 32 || alphaSample)) ||
                     (photometric <= PHOTOMETRIC_MINISBLACK && spp == 2);
  if (alpha && !image.CreateMask()) {
    image.Free();
    return IMAGEIO_OK;
  }
  return ReadTiffRgba(tif, job, image);
}

// Makes the 1-bit mask page the mask of the image (8-bit for 24-bit images).
void MergeTiffMask(CRasterImage& image, const CRasterImage& maskImage) {
  if (!image.CreateMask()) return;
  uint8_t* mask = image.GetWritableMaskBits();
  const int rows = std::min(maskImage.GetHeight(), image.GetHeight());
  const int maskStride = image.GetMaskStride();
  if (image.GetMaskBitsPerPixel() == 1) {
    const int n = std::min(maskImage.GetStride(), maskStride);
    for (int y = 0; y < rows; ++y) std::memcpy(mask + static_cast<int64_t>(y) * maskStride, maskImage.GetRow(y), static_cast<size_t>(n));
  } else {
    const int w = std::min(maskImage.GetWidth(), image.GetWidth());
    for (int y = 0; y < rows; ++y) {
      uint8_t* mrow = mask + static_cast<int64_t>(y) * maskStride;
      for (int x = 0; x < w; ++x) mrow[x] = GetPixel1(maskImage.GetRow(y), static_cast<int16_t>(x)) ? 255 : 0;
    }
  }
}

int ReadTiffPages(CCodecJob* job, TIFF* tif, std::vector<CRasterImage>& pages) {
  char* text = nullptr;
  if (TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &text) && text) job->m_strComment = text;
  float xres = 0, yres = 0;
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) && xres > 0 && xres < 1e9f) job->m_nXResolution = static_cast<int32_t>(xres);
  if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) && yres > 0 && yres < 1e9f) job->m_nYResolution = static_cast<int32_t>(yres);
  // Pages beyond the frames the caller holds are not decoded (but the mask
  // page that follows the last wanted page is).
  const size_t wanted = static_cast<size_t>(std::max(1, job->m_pFrames ? job->m_nFrames : 1));
  do {
    uint16_t photometric = 0;
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    if (photometric != PHOTOMETRIC_MASK && pages.size() >= wanted) break;
    CRasterImage image;
    const int rc = ReadTiffDirectory(tif, job, image);
    if (rc != IMAGEIO_OK) return rc;
    if (image.IsEmpty()) break;
    if (photometric == PHOTOMETRIC_MASK) {
      if (!pages.empty()) MergeTiffMask(pages.back(), image);
    } else {
      pages.push_back(std::move(image));
    }
  } while (TIFFReadDirectory(tif));
  return IMAGEIO_OK;
}

void AddTiffTagText(TIFF* tif, uint32_t tag, const char* name, CPropertyList& list) {
  char* text = nullptr;
  if (TIFFGetField(tif, tag, &text) && text) list.Add(name, text);
}

// ---- writing --------------------------------------------------------------

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void WriteTiffEntry(std::vector<uint8_t>& out, int tag, int type, uint32_t count, uint32_t value) {
  Put16(out, static_cast<uint32_t>(tag));
  Put16(out, static_cast<uint32_t>(type));
  Put32(out, count);
  if (type == TIFF_SHORT && count == 1) {
    Put16(out, value);
    Put16(out, 0);
  } else {
    Put32(out, value);
  }
}

void PadTo(std::vector<uint8_t>& out, size_t multiple) {
  while (out.size() % multiple) out.push_back(0);
}

struct StripLayout {
  int rowBytes = 0;
  int rowsPerStrip = 0;
  int strips = 0;
};

StripLayout MakeStripLayout(int rowBytes, int height) {
  StripLayout s;
  s.rowBytes = rowBytes;
  s.rowsPerStrip = std::max(1, 8000 / std::max(1, rowBytes));
  s.strips = (height + s.rowsPerStrip - 1) / s.rowsPerStrip;
  return s;
}

// Appends the strips (rows from rowOf), then, for 2 strips or more, the offset
// and count arrays. *offsetsField and *countsField receive what goes into the
// StripOffsets and StripByteCounts entries.
template <typename RowOf>
void PutStrips(std::vector<uint8_t>& out, const StripLayout& s, int height, RowOf rowOf, std::vector<uint32_t>& offsets,
               std::vector<uint32_t>& counts) {
  offsets.clear();
  counts.clear();
  for (int strip = 0; strip < s.strips; ++strip) {
    const int first = strip * s.rowsPerStrip;
    const int rows = std::min(s.rowsPerStrip, height - first);
    offsets.push_back(static_cast<uint32_t>(out.size()));
    counts.push_back(static_cast<uint32_t>(rows) * static_cast<uint32_t>(s.rowBytes));
    for (int y = first; y < first + rows; ++y) {
      const size_t at = out.size();
      out.resize(at + static_cast<size_t>(s.rowBytes));
      rowOf(y, out.data() + at);
    }
  }
}

void PutStripArrays(std::vector<uint8_t>& out, const std::vector<uint32_t>& offsets, const std::vector<uint32_t>& counts,
                    uint32_t* offsetsField, uint32_t* countsField) {
  if (offsets.size() == 1) {
    *offsetsField = offsets[0];
    *countsField = counts[0];
    return;
  }
  *offsetsField = static_cast<uint32_t>(out.size());
  for (uint32_t v : offsets) Put32(out, v);
  *countsField = static_cast<uint32_t>(out.size());
  for (uint32_t v : counts) Put32(out, v);
}

// The mask strips, their arrays and the 10-entry mask directory, linked from
// the next-directory field at position fieldPos.
void WriteTiffMaskIfd(std::vector<uint8_t>& out, size_t fieldPos, const CRasterImage& image) {
  const int width = image.GetWidth(), height = image.GetHeight();
  const int maskStride = image.GetMaskStride();
  const StripLayout s = MakeStripLayout((width + 7) / 8, height);
  std::vector<uint32_t> offsets, counts;
  PutStrips(out, s, height,
            [&](int y, uint8_t* dst) { std::memcpy(dst, image.GetMaskRow(y), static_cast<size_t>(std::min(s.rowBytes, maskStride))); },
            offsets, counts);
  PadTo(out, 2);
  uint32_t offsetsField = 0, countsField = 0;
  PutStripArrays(out, offsets, counts, &offsetsField, &countsField);
  PadTo(out, 4);
  const auto m = static_cast<uint32_t>(out.size());
  std::memcpy(out.data() + fieldPos, &m, 4);  // little-endian host
  const auto n = static_cast<uint32_t>(s.strips);
  Put16(out, 10);
  WriteTiffEntry(out, TIFFTAG_SUBFILETYPE, TIFF_LONG, 1, FILETYPE_MASK);
  WriteTiffEntry(out, TIFFTAG_IMAGEWIDTH, TIFF_LONG, 1, static_cast<uint32_t>(width));
  WriteTiffEntry(out, TIFFTAG_IMAGELENGTH, TIFF_LONG, 1, static_cast<uint32_t>(height));
  WriteTiffEntry(out, TIFFTAG_BITSPERSAMPLE, TIFF_SHORT, 1, 1);
  WriteTiffEntry(out, TIFFTAG_COMPRESSION, TIFF_SHORT, 1, COMPRESSION_NONE);
  WriteTiffEntry(out, TIFFTAG_PHOTOMETRIC, TIFF_SHORT, 1, PHOTOMETRIC_MASK);
  WriteTiffEntry(out, TIFFTAG_STRIPOFFSETS, TIFF_LONG, n, offsetsField);
  WriteTiffEntry(out, TIFFTAG_SAMPLESPERPIXEL, TIFF_SHORT, 1, 1);
  WriteTiffEntry(out, TIFFTAG_ROWSPERSTRIP, TIFF_LONG, 1, static_cast<uint32_t>(s.rowsPerStrip));
  WriteTiffEntry(out, TIFFTAG_STRIPBYTECOUNTS, TIFF_LONG, n, countsField);
}

bool IsBlackWhite(const CRasterImage& image) {
  const RGBQUAD* pal = image.GetPalette();
  return pal[0] == MakeRGBQuad(0, 0, 0) && pal[1] == MakeRGBQuad(255, 255, 255);
}

int BuildTiff(const CCodecJob* job, std::vector<uint8_t>& out) {
  const CRasterImage& image = job->m_image;
  const int width = image.GetWidth(), height = image.GetHeight(), bpp = image.GetBitsPerPixel();
  const bool hasMask = image.HasValidMask();
  const bool rgba = bpp == 24 && hasMask;
  const int samples = bpp == 24 ? (hasMask ? 4 : 3) : 1;
  // Photometric: RGB; black-is-zero for black-and-white and gray images;
  // palette otherwise (1-bit images with other colours keep them that way).
  int photometric = PHOTOMETRIC_PALETTE;
  if (bpp == 24)
    photometric = PHOTOMETRIC_RGB;
  else if ((bpp == 1 && IsBlackWhite(image)) || (bpp == 8 && image.IsGrayscale()))
    photometric = PHOTOMETRIC_MINISBLACK;
  const bool colormap = photometric == PHOTOMETRIC_PALETTE;

  out.clear();
  out.insert(out.end(), {'I', 'I', 42, 0, 0, 0, 0, 0});
  const StripLayout s = MakeStripLayout(rgba ? 4 * width : static_cast<int>(RowBytes(width, bpp)), height);
  std::vector<uint32_t> offsets, counts;
  const int maskBits = image.GetMaskBitsPerPixel();
  PutStrips(out, s, height,
            [&](int y, uint8_t* dst) {
              const uint8_t* src = image.GetRow(y);
              if (rgba) {
                const uint8_t* m = image.GetMaskRow(y);
                for (int x = 0; x < width; ++x) {
                  dst[4 * x] = src[3 * x];
                  dst[4 * x + 1] = src[3 * x + 1];
                  dst[4 * x + 2] = src[3 * x + 2];
                  dst[4 * x + 3] = maskBits == 8 ? m[x] : (GetPixel1(m, static_cast<int16_t>(x)) ? 255 : 0);
                }
              } else {
                std::memcpy(dst, src, static_cast<size_t>(s.rowBytes));
              }
            },
            offsets, counts);
  // Values start on even offsets.
  PadTo(out, 2);
  uint32_t bpsField = static_cast<uint32_t>(bpp == 24 ? 8 : bpp);
  if (samples > 1) {
    bpsField = static_cast<uint32_t>(out.size());
    for (int k = 0; k < samples; ++k) Put16(out, 8);
  }
  uint32_t colormapField = 0;
  if (colormap) {
    colormapField = static_cast<uint32_t>(out.size());
    const RGBQUAD* pal = image.GetPalette();
    const int n = 1 << bpp;
    // value * 257 spans the whole 16-bit range, so that readers that scale
    // by 65535 and readers that keep the high byte agree.
    for (int i = 0; i < n; ++i) Put16(out, pal[i].rgbRed * 257u);
    for (int i = 0; i < n; ++i) Put16(out, pal[i].rgbGreen * 257u);
    for (int i = 0; i < n; ++i) Put16(out, pal[i].rgbBlue * 257u);
  }
  const std::string& comment = job->m_strComment;
  const bool hasComment = !comment.empty();
  uint32_t commentCount = 0, commentField = 0;
  if (hasComment) {
    if (comment.size() <= 4) {
      commentCount = static_cast<uint32_t>(comment.size());
      for (size_t i = 0; i < comment.size(); ++i) commentField |= static_cast<uint32_t>(static_cast<uint8_t>(comment[i])) << (8 * i);
    } else {
      commentCount = static_cast<uint32_t>(comment.size() + 1);
      commentField = static_cast<uint32_t>(out.size());
      out.insert(out.end(), comment.begin(), comment.end());
      out.push_back(0);
      PadTo(out, 2);
    }
  }
  uint32_t offsetsField = 0, countsField = 0;
  PutStripArrays(out, offsets, counts, &offsetsField, &countsField);
  PadTo(out, 4);
  const auto d = static_cast<uint32_t>(out.size());
  std::memcpy(out.data() + 4, &d, 4);

  const int entries = 10 + ((colormap || rgba) ? 1 : 0) + (hasComment ? 1 : 0);
  const auto n = static_cast<uint32_t>(s.strips);
  Put16(out, static_cast<uint32_t>(entries));
  WriteTiffEntry(out, TIFFTAG_SUBFILETYPE, TIFF_LONG, 1, 0);
  WriteTiffEntry(out, TIFFTAG_IMAGEWIDTH, TIFF_LONG, 1, static_cast<uint32_t>(width));
  WriteTiffEntry(out, TIFFTAG_IMAGELENGTH, TIFF_LONG, 1, static_cast<uint32_t>(height));
  if (samples > 1)
    WriteTiffEntry(out, TIFFTAG_BITSPERSAMPLE, TIFF_SHORT, static_cast<uint32_t>(samples), bpsField);
  else
    WriteTiffEntry(out, TIFFTAG_BITSPERSAMPLE, TIFF_SHORT, 1, bpsField);
  WriteTiffEntry(out, TIFFTAG_COMPRESSION, TIFF_SHORT, 1, COMPRESSION_NONE);
  WriteTiffEntry(out, TIFFTAG_PHOTOMETRIC, TIFF_SHORT, 1, static_cast<uint32_t>(photometric));
  if (hasComment) WriteTiffEntry(out, TIFFTAG_IMAGEDESCRIPTION, TIFF_ASCII, commentCount, commentField);
  WriteTiffEntry(out, TIFFTAG_STRIPOFFSETS, TIFF_LONG, n, offsetsField);
  WriteTiffEntry(out, TIFFTAG_SAMPLESPERPIXEL, TIFF_SHORT, 1, static_cast<uint32_t>(samples));
  WriteTiffEntry(out, TIFFTAG_ROWSPERSTRIP, TIFF_LONG, 1, static_cast<uint32_t>(s.rowsPerStrip));
  WriteTiffEntry(out, TIFFTAG_STRIPBYTECOUNTS, TIFF_LONG, n, countsField);
  if (colormap) WriteTiffEntry(out, TIFFTAG_COLORMAP, TIFF_SHORT, 3u << bpp, colormapField);
  // Straight (unassociated) alpha: the mask is not premultiplied into the colour.
  if (rgba) WriteTiffEntry(out, TIFFTAG_EXTRASAMPLES, TIFF_SHORT, 1, EXTRASAMPLE_UNASSALPHA);
  const size_t nextField = out.size();
  Put32(out, 0);
  if (bpp != 24 && hasMask) {
    WriteTiffMaskIfd(out, nextField, image);
    Put32(out, 0);  // the mask directory is the last
  }
  if (out.size() > UINT32_MAX) return IMAGEIO_NO_MEMORY;
  return IMAGEIO_OK;
}

}  // namespace

int CountTiffPages(CBufferedFile* stream) {
  TiffHandle tif = OpenTiff(stream, false);
  if (!tif) return 0;
  int pages = 0;
  do {
    uint16_t photometric = 0;
    TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    if (photometric != PHOTOMETRIC_MASK) ++pages;
  } while (pages < 65536 && TIFFReadDirectory(tif.get()));
  return pages;
}

int ReadTiff(CCodecJob* job) {
  if (!job || !job->m_pStream) return IMAGEIO_INTERNAL_ERROR;
  int rc = IMAGEIO_OK;
  std::vector<CRasterImage> pages;
  try {
    TiffHandle tif = OpenTiff(job->m_pStream, true);
    if (!tif) {
      rc = IMAGEIO_CORRUPT;
    } else {
      rc = ReadTiffPages(job, tif.get(), pages);
      if (rc == IMAGEIO_OK && pages.empty()) rc = IMAGEIO_UNKNOWN_ERROR;
    }
  } catch (...) {
    rc = IMAGEIO_UNKNOWN_ERROR;
  }
  if (rc == IMAGEIO_OK) {
    job->m_image = pages.front();
    job->m_nScreenWidth = static_cast<int16_t>(job->m_image.GetWidth());
    job->m_nScreenHeight = static_cast<int16_t>(job->m_image.GetHeight());
    // Frames without a page stay as the caller made them.
    for (int i = 0; job->m_pFrames && i < job->m_nFrames && static_cast<size_t>(i) < pages.size(); ++i) {
      CAnimFrame& frame = job->m_pFrames[i];
      frame.m_image = pages[static_cast<size_t>(i)];
      frame.m_nDelay = 100;
      frame.m_nFlags = 0;
    }
  } else {
    job->m_image.Free();
  }
  job->m_nResult = rc;
  return rc;
}

int WriteTiff(CCodecJob* job) {
  if (!job || !job->m_pStream || job->m_image.IsEmpty()) {
    if (job) job->m_nResult = IMAGEIO_INTERNAL_ERROR;
    return IMAGEIO_INTERNAL_ERROR;
  }
  std::vector<uint8_t> out;
  int rc;
  try {
    rc = BuildTiff(job, out);
  } catch (const std::bad_alloc&) {
    rc = IMAGEIO_NO_MEMORY;
  }
  if (rc == IMAGEIO_OK) {
    WriteBytes(job->m_pStream, out);
  }
  job->m_nResult = rc;
  return rc;
}

bool GetTiffInfo(CBufferedFile* stream, CImageFileInfo* info) {
  if (!info) return false;
  TiffHandle tif = OpenTiff(stream, false);
  if (!tif) return false;
  uint32_t width = 0, length = 0;
  uint16_t bps = 1, spp = 1;
  TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &length);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bps);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &spp);
  info->m_nWidth = static_cast<int32_t>(std::min<uint32_t>(width, INT32_MAX));
  info->m_nHeight = static_cast<int32_t>(std::min<uint32_t>(length, INT32_MAX));
  info->m_nBitsPerPixel = (spp == 0 ? 1 : spp) * bps;
  AddTiffTagText(tif.get(), TIFFTAG_IMAGEDESCRIPTION, "Image Description", info->m_properties);
  AddTiffTagText(tif.get(), TIFFTAG_MAKE, "Make", info->m_properties);
  AddTiffTagText(tif.get(), TIFFTAG_MODEL, "Model", info->m_properties);
  AddTiffTagText(tif.get(), TIFFTAG_SOFTWARE, "Software", info->m_properties);
  AddTiffTagText(tif.get(), TIFFTAG_DATETIME, "Date Time", info->m_properties);
  AddTiffTagText(tif.get(), TIFFTAG_ARTIST, "Artist", info->m_properties);
  AddTiffTagText(tif.get(), TIFFTAG_HOSTCOMPUTER, "Computer", info->m_properties);
  return true;
}
