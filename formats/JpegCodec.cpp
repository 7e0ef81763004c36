#include "formats/JpegCodec.h"

#include "formats/ImageFileHost.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <memory>
#include <new>


#include <jpeglib.h>
#include <jerror.h>

#include "base/ImageGeometry.h"
#include "formats/ExifParser.h"

// The libjpeg calls below run inside small functions that hold no C++
// objects of their own: a library error long-jumps back to the setjmp at the
// top of such a function, and everything with a destructor lives in the
// caller, which cleans up on every path.

namespace {

constexpr int kSourceBufferSize = 32768;
constexpr int kDestinationBufferSize = 4096;
constexpr int kComMarker = JPEG_COM;
constexpr int kApp1Marker = JPEG_APP0 + 1;
// A comment marker holds at most 65533 bytes after its length field.
constexpr size_t kMaxCommentBytes = 65533;
// Scans a progressive file may have before it counts as hostile: each scan
// costs a pass over the whole image, and real encoders use about ten.
constexpr int kMaxScans = 500;

// Add-on messages of the codec's own errors.
enum JpegAddonMessage { kJpegAborted = 1000, kJpegUnknownColorSpace = 1001, kJpegTooManyScans = 1002 };
const char* const kJpegAddonMessages[] = {"Operation aborted !", "Unknown color space !", "Too many scans !", nullptr};

struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// libjpeg's warnings (a file that ends early, stray bytes) are not shown.
void JpegOutputMessage(j_common_ptr) {}

void InitJpegErrorManager(JpegErrorManager* err) {
  jpeg_std_error(&err->pub);
  err->pub.error_exit = JpegErrorExit;
  err->pub.output_message = JpegOutputMessage;
  err->pub.addon_message_table = kJpegAddonMessages;
  err->pub.first_addon_message = kJpegAborted;
  err->pub.last_addon_message = kJpegTooManyScans;
}

[[noreturn]] void RaiseJpegError(j_common_ptr cinfo, int code) {
  cinfo->err->msg_code = code;
  cinfo->err->error_exit(cinfo);
  std::abort();  // error_exit never returns
}

int ResultOfJpegError(const JpegErrorManager& err) {
  return err.pub.msg_code == kJpegAborted ? IMAGEIO_CANCELLED : IMAGEIO_UNKNOWN_ERROR;
}

// ---------------------------------------------------------------------------
// Source manager over a CBufferedFile.

struct CJpegSource {
  explicit CJpegSource(CBufferedFile* stream)
      : m_pStream(stream), m_buffer(new uint8_t[kSourceBufferSize]), m_pData(m_buffer.get()) {}

  jpeg_source_mgr pub{};
  CBufferedFile* m_pStream;
  std::unique_ptr<uint8_t[]> m_buffer;
  std::string m_strComment;
  uint8_t* m_pData;
  CPropertyList* m_pProperties = nullptr;
  CRasterImage m_thumbnail;
  bool m_bWantThumbnail = false;
  bool m_bEndSupplied = false;  // the file ended before its end-of-image marker
};

CJpegSource* SourceOf(j_decompress_ptr cinfo) { return static_cast<CJpegSource*>(cinfo->client_data); }

void JpegInitSource(j_decompress_ptr) {}
void JpegTermSource(j_decompress_ptr) {}

// Never suspends: at the end of the data it supplies an end-of-image marker,
// so a truncated file ends as libjpeg sees fit instead of failing.
boolean JpegFillInputBuffer(j_decompress_ptr cinfo) {
  CJpegSource* src = SourceOf(cinfo);
  int n = src->m_pStream->Read(src->m_pData, kSourceBufferSize);
  if (n <= 0) {
    src->m_pData[0] = 0xFF;
    src->m_pData[1] = JPEG_EOI;
    n = 2;
    src->m_bEndSupplied = true;
  }
  src->pub.next_input_byte = src->m_pData;
  src->pub.bytes_in_buffer = static_cast<size_t>(n);
  return TRUE;
}

void JpegSkipInputData(j_decompress_ptr cinfo, long n) {
  if (n <= 0) return;
  CJpegSource* src = SourceOf(cinfo);
  if (static_cast<size_t>(n) < src->pub.bytes_in_buffer) {
    src->pub.next_input_byte += n;
    src->pub.bytes_in_buffer -= static_cast<size_t>(n);
    return;
  }
  int64_t rest = n - static_cast<int64_t>(src->pub.bytes_in_buffer);
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = src->m_pData;
  if (rest > 0 && src->m_pStream->Seek(rest, CBufferedFile::kCurrent) < 0) {
    // A stream that cannot seek is read forward instead.
    while (rest > 0) {
      const int got = src->m_pStream->Read(src->m_pData, static_cast<int>(std::min<int64_t>(rest, kSourceBufferSize)));
      if (got <= 0) break;
      rest -= got;
    }
  }
}

void InstallJpegSource(j_decompress_ptr cinfo, CJpegSource* src) {
  cinfo->client_data = src;
  src->pub.init_source = JpegInitSource;
  src->pub.fill_input_buffer = JpegFillInputBuffer;
  src->pub.skip_input_data = JpegSkipInputData;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = JpegTermSource;
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = nullptr;
  cinfo->src = &src->pub;
}

// A saved COM marker: its text up to the first zero byte replaces any
// earlier comment (the last COM marker wins).
void JpegComHandler(CJpegSource* src, const jpeg_marker_struct* marker) {
  const char* text = reinterpret_cast<const char*>(marker->data);
  const size_t length = marker->data ? strnlen(text, marker->data_length) : 0;
  src->m_strComment.assign(text ? text : "", length);
}

// A saved APP1 marker: EXIF properties into the attached list, and the first
// thumbnail found.
void JpegApp1Handler(CJpegSource* src, const jpeg_marker_struct* marker) {
  if (!src->m_pProperties || !marker->data) return;
  // Files repeating the block gain nothing beyond one block's worth of pairs.
  if (src->m_pProperties->size() >= static_cast<size_t>(CExifParser::kMaxPairs)) return;
  CExifParser parser(src->m_pProperties);
  CRasterImage thumbnail = parser.Parse(marker->data, static_cast<int>(marker->data_length), src->m_bWantThumbnail);
  if (src->m_thumbnail.IsEmpty() && !thumbnail.IsEmpty()) src->m_thumbnail = thumbnail;
}

// Caps the scan count of progressive files and lets the user stop the
// input pass that precedes the first row of a progressive image.
struct JpegProgress {
  jpeg_progress_mgr pub;
  CANCELPROC cancel;
  bool inputPass;  // true while jpeg_start_decompress reads ahead
};

void JpegProgressMonitor(j_common_ptr cinfo) {
  auto* progress = reinterpret_cast<JpegProgress*>(cinfo->progress);
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    RaiseJpegError(cinfo, kJpegTooManyScans);
  if (progress->inputPass && progress->cancel && progress->cancel()) RaiseJpegError(cinfo, kJpegAborted);
}

// ---------------------------------------------------------------------------
// Reader.

struct JpegReadState {
  CCodecJob* job;
  CJpegSource* src;
  JpegProgress* progress;
  int32_t maxSide;
  // Reduced-scale decoding: with a box (both sides > 0) the image is decoded
  // at the smallest scale n/8 at which it is still at least as large as
  // when fitted into the box.
  int32_t boxWidth;
  int32_t boxHeight;
  int32_t fullWidth;  // the size in the file, set once the header was read
  int32_t fullHeight;
};

// The smallest numerator n (denominator 8) at which a side of size keeps at
// least want pixels; libjpeg rounds scaled sides up.
unsigned ScaleNumeratorFor(int64_t size, int64_t want) {
  for (unsigned n = 1; n < 8; ++n)
    if ((size * n + 7) / 8 >= want) return n;
  return 8;
}

// The numerator for a picture of width x height fitted into a box (never
// enlarged): each side must keep at least its fitted length, rounded up.
unsigned ScaleNumeratorForBox(int64_t width, int64_t height, int64_t boxWidth, int64_t boxHeight) {
  const double scale = std::min({1.0, static_cast<double>(boxWidth) / static_cast<double>(width),
                                 static_cast<double>(boxHeight) / static_cast<double>(height)});
  const auto wantWidth = static_cast<int64_t>(std::ceil(static_cast<double>(width) * scale - 1e-9));
  const auto wantHeight = static_cast<int64_t>(std::ceil(static_cast<double>(height) * scale - 1e-9));
  return std::max(ScaleNumeratorFor(width, wantWidth), ScaleNumeratorFor(height, wantHeight));
}

enum JpegLayout { kLayoutGray, kLayoutRgb, kLayoutCmyk };

// Decodes into job->m_image. Returns a result code; on failure the caller
// frees the image. Holds no objects with destructors (see above).
int DecodeJpegBody(jpeg_decompress_struct* cinfo, JpegErrorManager* err, JpegReadState* st) {
  if (setjmp(err->jump)) return ResultOfJpegError(*err);

  jpeg_create_decompress(cinfo);
  InstallJpegSource(cinfo, st->src);
  cinfo->progress = &st->progress->pub;
  jpeg_save_markers(cinfo, kComMarker, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);

  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next)
    if (m->marker == kComMarker) JpegComHandler(st->src, m);

  JpegLayout layout;
  switch (cinfo->jpeg_color_space) {
    case JCS_UNKNOWN:
      RaiseJpegError(reinterpret_cast<j_common_ptr>(cinfo), kJpegUnknownColorSpace);
    case JCS_GRAYSCALE:
      layout = kLayoutGray;
      cinfo->out_color_space = JCS_GRAYSCALE;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      layout = kLayoutCmyk;
      cinfo->out_color_space = JCS_CMYK;
      break;
    default:
      layout = kLayoutRgb;
      cinfo->out_color_space = JCS_RGB;
      break;
  }

  // The size guard comes before libjpeg allocates anything for the image:
  // a progressive file keeps every coefficient of the image in memory.
  int32_t width = static_cast<int32_t>(cinfo->image_width);
  int32_t height = static_cast<int32_t>(cinfo->image_height);
  const int bpp = layout == kLayoutGray ? 8 : 24;
  if (const int code = CheckImageGeometry(width, height, bpp); code != IMAGEIO_OK) return code;
  if (width > st->maxSide || height > st->maxSide) return IMAGEIO_NO_MEMORY;
  st->fullWidth = width;
  st->fullHeight = height;
  if (st->boxWidth > 0 && st->boxHeight > 0) {
    const unsigned n = ScaleNumeratorForBox(width, height, st->boxWidth, st->boxHeight);
    if (n < 8) {
      cinfo->scale_num = n;
      cinfo->scale_denom = 8;
      // The scaled inverse transform already smooths; plain upsampling of
      // the chroma is enough at these sizes.
      cinfo->do_fancy_upsampling = FALSE;
      jpeg_calc_output_dimensions(cinfo);
      width = static_cast<int32_t>(cinfo->output_width);
      height = static_cast<int32_t>(cinfo->output_height);
    }
  }
  // Coefficients take two bytes per sample; allow that plus working room.
  const int64_t samples = static_cast<int64_t>(width) * height * cinfo->num_components;
  cinfo->mem->max_memory_to_use = static_cast<long>(2 * samples + (int64_t{64} << 20));

  st->progress->inputPass = true;
  jpeg_start_decompress(cinfo);
  st->progress->inputPass = false;
  if (static_cast<int32_t>(cinfo->output_width) != width || static_cast<int32_t>(cinfo->output_height) != height)
    RaiseJpegError(reinterpret_cast<j_common_ptr>(cinfo), JERR_IMAGE_TOO_BIG);
  if (layout == kLayoutCmyk && cinfo->output_components != 4)
    RaiseJpegError(reinterpret_cast<j_common_ptr>(cinfo), kJpegUnknownColorSpace);

  CRasterImage& image = st->job->m_image;
  if (!image.Create(width, height, bpp)) return IMAGEIO_NO_MEMORY;
  if (bpp == 8) SetGrayPalette(image);
  uint8_t* bits = image.GetWritableBits();
  if (!bits) return IMAGEIO_NO_MEMORY;
  const int64_t stride = image.GetStride();

  JSAMPROW cmykRow = nullptr;
  if (layout == kLayoutCmyk)
    cmykRow = static_cast<JSAMPROW>((*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                                static_cast<size_t>(width) * 4));

  CANCELPROC cancel = st->job->m_pfnCancel;
  PROGRESSPROC progress = st->job->m_pfnProgress;
  while (cinfo->output_scanline < cinfo->output_height) {
    const int32_t y = static_cast<int32_t>(cinfo->output_scanline);
    uint8_t* row = bits + y * stride;
    if (layout == kLayoutCmyk) {
      jpeg_read_scanlines(cinfo, &cmykRow, 1);
      const uint8_t* in = cmykRow;
      for (int32_t x = 0; x < width; ++x, in += 4, row += 3) {
        // The file's values are inverted CMYK (as Adobe writes them).
        const int k = in[3];
        row[0] = static_cast<uint8_t>(std::max(0, in[0] + k - 255));
        row[1] = static_cast<uint8_t>(std::max(0, in[1] + k - 255));
        row[2] = static_cast<uint8_t>(std::max(0, in[2] + k - 255));
      }
    } else {
      JSAMPROW target = row;
      jpeg_read_scanlines(cinfo, &target, 1);
    }
    const int32_t done = static_cast<int32_t>(cinfo->output_scanline);
    if (cancel && cancel()) RaiseJpegError(reinterpret_cast<j_common_ptr>(cinfo), kJpegAborted);
    if (progress && done % 8 == 0) progress(std::min(done + 1, height), height);
  }
  jpeg_finish_decompress(cinfo);
  return IMAGEIO_OK;
}

// Reads just the header, saving COM and APP1 markers for the caller.
int ReadJpegHeaderBody(jpeg_decompress_struct* cinfo, JpegErrorManager* err, CJpegSource* src) {
  if (setjmp(err->jump)) return IMAGEIO_UNKNOWN_ERROR;
  jpeg_create_decompress(cinfo);
  InstallJpegSource(cinfo, src);
  jpeg_save_markers(cinfo, kComMarker, 0xFFFF);
  jpeg_save_markers(cinfo, kApp1Marker, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);
  switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
      cinfo->out_color_space = JCS_GRAYSCALE;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo->out_color_space = JCS_CMYK;
      break;
    default:
      cinfo->out_color_space = JCS_RGB;
      break;
  }
  return IMAGEIO_OK;
}

// ---------------------------------------------------------------------------
// Destination manager over a CBufferedFile.

struct CJpegDestination {
  jpeg_destination_mgr pub;
  CBufferedFile* m_pStream;
  JOCTET* m_pBuffer;
};

void JpegInitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<CJpegDestination*>(cinfo->dest);
  dest->m_pBuffer = static_cast<JOCTET*>(
      (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kDestinationBufferSize));
  dest->pub.next_output_byte = dest->m_pBuffer;
  dest->pub.free_in_buffer = kDestinationBufferSize;
}

// A stream that could not take the data (a full disk) ends the work: the
// file is lost anyway, and the caller must not take it for written.
void CheckJpegWrite(j_compress_ptr cinfo, CBufferedFile* stream) {
  if (stream->GetWriteError()) RaiseJpegError(reinterpret_cast<j_common_ptr>(cinfo), JERR_FILE_WRITE);
}

boolean JpegEmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<CJpegDestination*>(cinfo->dest);
  dest->m_pStream->Write(dest->m_pBuffer, kDestinationBufferSize);
  CheckJpegWrite(cinfo, dest->m_pStream);
  dest->pub.next_output_byte = dest->m_pBuffer;
  dest->pub.free_in_buffer = kDestinationBufferSize;
  return TRUE;
}

void JpegTermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<CJpegDestination*>(cinfo->dest);
  const int pending = kDestinationBufferSize - static_cast<int>(dest->pub.free_in_buffer);
  if (pending > 0) dest->m_pStream->Write(dest->m_pBuffer, pending);
  CheckJpegWrite(cinfo, dest->m_pStream);
}

void InstallJpegDestination(j_compress_ptr cinfo, CBufferedFile* stream) {
  if (!cinfo->dest)
    cinfo->dest = static_cast<jpeg_destination_mgr*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(CJpegDestination)));
  auto* dest = reinterpret_cast<CJpegDestination*>(cinfo->dest);
  dest->pub.init_destination = JpegInitDestination;
  dest->pub.empty_output_buffer = JpegEmptyOutputBuffer;
  dest->pub.term_destination = JpegTermDestination;
  dest->m_pStream = stream;
  dest->m_pBuffer = nullptr;
}

// How the writer turns image rows into scanlines.
enum JpegSourceRows { kRowsDirect, kRowsGrayFromPalette, kRowsRgbFromPalette };

struct JpegWriteState {
  CCodecJob* job;
  const JPEG_SAVE_OPTIONS* options;
  JpegSourceRows rows;
  int components;
  const char* comment;  // null: no COM marker
  size_t commentLength;
};

int EncodeJpegBody(jpeg_compress_struct* cinfo, JpegErrorManager* err, JpegWriteState* st) {
  if (setjmp(err->jump)) return ResultOfJpegError(*err);

  const CRasterImage& image = st->job->m_image;
  const int32_t width = image.GetWidth();
  const int32_t height = image.GetHeight();

  jpeg_create_compress(cinfo);
  InstallJpegDestination(cinfo, st->job->m_pStream);
  cinfo->image_width = static_cast<JDIMENSION>(width);
  cinfo->image_height = static_cast<JDIMENSION>(height);
  cinfo->input_components = st->components;
  cinfo->in_color_space = st->components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, st->options->nQuality, TRUE);
  if (st->options->nProgressive) jpeg_simple_progression(cinfo);
  jpeg_start_compress(cinfo, TRUE);

  // After the JFIF header, before the frame header.
  if (st->comment)
    jpeg_write_marker(cinfo, kComMarker, reinterpret_cast<const JOCTET*>(st->comment),
                      static_cast<unsigned int>(st->commentLength));

  JSAMPROW buffer = nullptr;
  if (st->rows != kRowsDirect)
    buffer = static_cast<JSAMPROW>((*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                               static_cast<size_t>(width) * st->components));
  const RGBQUAD* palette = image.GetPalette();
  const int bpp = image.GetBitsPerPixel();
  CANCELPROC cancel = st->job->m_pfnCancel;
  PROGRESSPROC progress = st->job->m_pfnProgress;
  while (cinfo->next_scanline < cinfo->image_height) {
    const int32_t y = static_cast<int32_t>(cinfo->next_scanline);
    const uint8_t* src = image.GetRow(y);
    JSAMPROW row;
    if (st->rows == kRowsDirect) {
      row = const_cast<JSAMPROW>(src);
    } else {
      row = buffer;
      for (int32_t x = 0; x < width; ++x) {
        int index;
        if (bpp == 1)
          index = (src[x >> 3] >> (7 - (x & 7))) & 1;
        else if (bpp == 4)
          index = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
        else
          index = src[x];
        const RGBQUAD c = palette[index];
        if (st->rows == kRowsGrayFromPalette) {
          buffer[x] = static_cast<JSAMPLE>(GrayFromRgb(c.rgbRed, c.rgbGreen, c.rgbBlue));
        } else {
          buffer[3 * x] = c.rgbRed;
          buffer[3 * x + 1] = c.rgbGreen;
          buffer[3 * x + 2] = c.rgbBlue;
        }
      }
    }
    jpeg_write_scanlines(cinfo, &row, 1);
    const int32_t done = static_cast<int32_t>(cinfo->next_scanline);
    if (cancel && cancel()) RaiseJpegError(reinterpret_cast<j_common_ptr>(cinfo), kJpegAborted);
    if (progress && done % 4 == 0) progress(std::min(done + 1, height), height);
  }
  jpeg_finish_compress(cinfo);
  return IMAGEIO_OK;
}

}  // namespace

// ---------------------------------------------------------------------------

int ReadJpegLimited(CCodecJob* job, int32_t maxSide) { return ReadJpegScaled(job, maxSide, 0, 0, nullptr, nullptr); }

int ReadJpegScaled(CCodecJob* job, int32_t maxSide, int32_t boxWidth, int32_t boxHeight, int32_t* fullWidth,
                   int32_t* fullHeight) {
  if (fullWidth) *fullWidth = 0;
  if (fullHeight) *fullHeight = 0;
  job->m_image.Free();
  job->m_strComment.clear();
  if (!job->m_pStream) return job->m_nResult = IMAGEIO_INTERNAL_ERROR;
  JpegErrorManager err;
  InitJpegErrorManager(&err);
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = &err.pub;
  int result;
  try {
    CJpegSource src(job->m_pStream);
    JpegProgress progress{};
    progress.pub.progress_monitor = JpegProgressMonitor;
    progress.cancel = job->m_pfnCancel;
    JpegReadState state{job, &src, &progress, maxSide, boxWidth, boxHeight, 0, 0};
    result = DecodeJpegBody(&cinfo, &err, &state);
    if (result == IMAGEIO_OK) job->m_strComment = src.m_strComment;
    job->m_bIncomplete = result == IMAGEIO_OK && src.m_bEndSupplied;
    if (fullWidth) *fullWidth = state.fullWidth;
    if (fullHeight) *fullHeight = state.fullHeight;
  } catch (const std::bad_alloc&) {
    result = IMAGEIO_NO_MEMORY;
  }
  // The source and progress records are gone; destroying calls neither.
  jpeg_destroy_decompress(&cinfo);
  if (result != IMAGEIO_OK) {
    job->m_image.Free();
    job->m_strComment.clear();
  }
  return job->m_nResult = result;
}

int ReadJpeg(CCodecJob* job) { return ReadJpegLimited(job, kMaxImageSide); }

int WriteJpeg(CCodecJob* job, const JPEG_SAVE_OPTIONS* options) {
  const CRasterImage& image = job->m_image;
  if (!job->m_pStream || !options) return job->m_nResult = IMAGEIO_INTERNAL_ERROR;
  if (image.IsEmpty()) return job->m_nResult = IMAGEIO_INTERNAL_ERROR;

  JpegWriteState state{job, options, kRowsDirect, 3, nullptr, 0};
  const int bpp = image.GetBitsPerPixel();
  if (bpp == 24) {
    state.components = 3;
  } else if (bpp == 8 && image.IsGrayscale()) {
    state.components = 1;
  } else if (!options->nColorConversion) {
    return job->m_nResult = IMAGEIO_BAD_COLOR_MODE;
  } else if (bpp == 1) {
    state.components = 1;
    state.rows = kRowsGrayFromPalette;
  } else {
    state.components = 3;
    state.rows = kRowsRgbFromPalette;
  }
  if (state.rows != kRowsDirect && image.GetPaletteSize() < (1 << bpp)) return job->m_nResult = IMAGEIO_INTERNAL_ERROR;

  const std::string* comment = nullptr;
  if (options->nCommentOption == 1)
    comment = &job->m_strComment;
  else if (options->nCommentOption == 2)
    comment = &job->m_strSignature;
  if (comment && !comment->empty()) {
    state.comment = comment->data();
    state.commentLength = std::min(comment->size(), kMaxCommentBytes);
  }

  JpegErrorManager err;
  InitJpegErrorManager(&err);
  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = &err.pub;
  int result = EncodeJpegBody(&cinfo, &err, &state);
  jpeg_destroy_compress(&cinfo);
  if (result == IMAGEIO_OK && job->m_pStream->GetWriteError()) result = IMAGEIO_UNKNOWN_ERROR;
  return job->m_nResult = result;
}

int WriteJpegWithOptions(CCodecJob* job) {
  // The host fills the options: the stored ones, or the export dialog's
  // (which previews the job's image); Cancel there writes nothing.
  JPEG_SAVE_OPTIONS options;
  if (!ImageFileHost().GetJpegSaveOptions(options, job ? &job->m_image : nullptr))
    return job ? job->m_nResult = IMAGEIO_CANCELLED : IMAGEIO_CANCELLED;
  return WriteJpeg(job, &options);
}

CJpegInfo::CJpegInfo(CBufferedFile* stream, bool wantThumbnail) {
  if (!stream) return;
  JpegErrorManager err;
  InitJpegErrorManager(&err);
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = &err.pub;
  try {
    CJpegSource src(stream);
    src.m_pProperties = &m_properties;
    src.m_bWantThumbnail = wantThumbnail;
    const int result = ReadJpegHeaderBody(&cinfo, &err, &src);
    // Markers saved before a failure still count, except the comment.
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
      if (m->marker == kComMarker)
        JpegComHandler(&src, m);
      else if (m->marker == kApp1Marker)
        JpegApp1Handler(&src, m);
    }
    if (result == IMAGEIO_OK) {
      m_bValid = true;
      m_nWidth = static_cast<int32_t>(cinfo.image_width);
      m_nHeight = static_cast<int32_t>(cinfo.image_height);
      m_nBitsPerPixel = cinfo.out_color_space == JCS_GRAYSCALE ? 8 : 24;
      if (!src.m_strComment.empty()) m_properties.Add("Comments", src.m_strComment);
    }
    m_thumbnail = src.m_thumbnail;
  } catch (const std::bad_alloc&) {
    m_bValid = false;
  }
  jpeg_destroy_decompress(&cinfo);
}

CJpegInfo::~CJpegInfo() = default;

void CJpegInfo::CopyProperties(CPropertyList& target) const {
  target.insert(target.end(), m_properties.begin(), m_properties.end());
}

bool GetJpegInfo(CBufferedFile* stream, CImageFileInfo* info, bool wantThumbnail) {
  if (!info) return false;
  CJpegInfo header(stream, wantThumbnail);
  header.CopyProperties(info->m_properties);
  info->m_thumbnail = header.GetThumbnail();
  if (!header.IsValid()) return false;
  info->m_nWidth = header.GetWidth();
  info->m_nHeight = header.GetHeight();
  info->m_nBitsPerPixel = header.GetBitsPerPixel();
  return true;
}
