#include "formats/MngWriter.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/ImageGeometry.h"
#include "base/MessageReport.h"
#include "formats/AtomicFileWriter.h"
#include "imaging/FrameOptimizer.h"

namespace {

constexpr uint8_t kMngSignature[8] = {0x8A, 'M', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kTicksPerSecond = 100;  // delays are in 1/100 s
constexpr uint32_t kInfinite = 0x7FFFFFFF;

void PutDword(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 24));
  out.push_back(static_cast<uint8_t>(value >> 16));
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void AppendProc(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushProc(png_structp) {}

[[noreturn]] void ErrorProc(png_structp png, png_const_charp message) {
  // A cancel is no error to report.
  if (!message || std::string(message) != "cancelled") ReportMessage(MESSAGE_ERROR, message ? message : "");
  png_longjmp(png, 1);
}

void WarningProc(png_structp, png_const_charp) {}

struct WriteStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~WriteStructs() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  }
  bool Create() {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorProc, WarningProc);
    if (!png) return false;
    info = png_create_info_struct(png);
    return info != nullptr;
  }
};

// The colour and opacity of one pixel of any depth.
void PixelAt(const CRasterImage& image, const uint8_t* row, const uint8_t* maskRow, int32_t x, uint8_t* rgba) {
  const int bpp = image.GetBitsPerPixel();
  if (bpp == 24) {
    rgba[0] = row[3 * x];
    rgba[1] = row[3 * x + 1];
    rgba[2] = row[3 * x + 2];
  } else {
    int index = 0;
    if (bpp == 8) index = row[x];
    else if (bpp == 4) index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    else if (bpp == 1) index = (row[x >> 3] >> (7 - (x & 7))) & 1;
    const RGBQUAD* pal = image.GetPalette();
    if (pal && index < image.GetPaletteSize()) {
      rgba[0] = pal[index].rgbRed;
      rgba[1] = pal[index].rgbGreen;
      rgba[2] = pal[index].rgbBlue;
    } else {
      rgba[0] = rgba[1] = rgba[2] = static_cast<uint8_t>(bpp == 8 ? index : (index ? 255 : 0));
    }
  }
  if (!maskRow) {
    rgba[3] = 255;
  } else if (image.GetMaskBitsPerPixel() == 8) {
    rgba[3] = maskRow[x];
  } else {
    rgba[3] = ((maskRow[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
  }
}

// One chunk of the MNG container (MHDR, TERM, FRAM, MEND) through libpng.
bool WriteChunk(std::vector<uint8_t>& out, const char* name, const std::vector<uint8_t>& data) {
  WriteStructs s;
  if (!s.Create()) return false;
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_set_write_fn(s.png, &out, AppendProc, FlushProc);
  png_write_chunk(s.png, reinterpret_cast<png_const_bytep>(name), data.empty() ? nullptr : data.data(), data.size());
  return true;
}

struct FrameState {
  std::vector<uint8_t>* out;
  const CRasterImage* picture;  // empty: a fully transparent canvas
  int32_t width, height;
  CANCELPROC cancel;
};

// One canvas-sized picture as a PNG datastream without the signature.
bool WriteFramePng(FrameState* st) {
  WriteStructs s;
  if (!s.Create()) return false;
  if (setjmp(png_jmpbuf(s.png))) return false;
  const CRasterImage& image = *st->picture;
  const bool empty = image.IsEmpty();
  const bool alpha = empty || image.HasValidMask();
  png_set_write_fn(s.png, st->out, AppendProc, FlushProc);
  png_set_sig_bytes(s.png, 8);  // the MNG signature stands for it
  png_set_IHDR(s.png, s.info, static_cast<png_uint_32>(st->width), static_cast<png_uint_32>(st->height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(s.png, s.info);
  const int channels = alpha ? 4 : 3;
  std::vector<uint8_t> row(static_cast<size_t>(st->width) * channels, 0);
  for (int32_t y = 0; y < st->height; ++y) {
    if (!empty) {
      const uint8_t* bits = image.GetRow(y);
      const uint8_t* mask = alpha ? image.GetMaskRow(y) : nullptr;
      uint8_t px[4];
      for (int32_t x = 0; x < st->width; ++x) {
        PixelAt(image, bits, mask, x, px);
        std::copy_n(px, channels, row.data() + static_cast<size_t>(x) * channels);
      }
    }
    png_write_row(s.png, row.data());
    if ((y & 63) == 63 && st->cancel && st->cancel()) png_error(s.png, "cancelled");
  }
  png_write_end(s.png, s.info);
  return true;
}

}  // namespace

int EncodeMng(const CAnimFrame* frames, int count, int32_t width, int32_t height, uint16_t loopCount,
              std::vector<uint8_t>& out, CANCELPROC cancel, PROGRESSPROC progress) {
  out.clear();
  if (!frames || count < 1 || width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide)
    return IMAGEIO_INTERNAL_ERROR;
  if (CheckImageGeometry(width, height, 24) != IMAGEIO_OK) return IMAGEIO_NO_MEMORY;
  try {
    // Every frame as the picture shown while it is up.
    std::unique_ptr<CAnimFrame[]> shown = ExpandFrames(frames, count, width, height, cancel, nullptr);
    if (!shown) return cancel && cancel() ? IMAGEIO_CANCELLED : IMAGEIO_NO_MEMORY;

    std::vector<uint8_t> bytes(kMngSignature, kMngSignature + 8);
    uint64_t playTime = 0;
    for (int i = 0; i < count; ++i) playTime += frames[i].m_nDelay;
    std::vector<uint8_t> mhdr;
    PutDword(mhdr, static_cast<uint32_t>(width));
    PutDword(mhdr, static_cast<uint32_t>(height));
    PutDword(mhdr, kTicksPerSecond);
    PutDword(mhdr, static_cast<uint32_t>(count));  // layers
    PutDword(mhdr, static_cast<uint32_t>(count));  // frames
    PutDword(mhdr, loopCount == kMngLoopForever ? kInfinite
                                                : static_cast<uint32_t>(std::min<uint64_t>(
                                                      playTime * std::max<uint64_t>(loopCount, 1), kInfinite - 1)));
    PutDword(mhdr, 0);  // simplicity profile: not stated
    std::vector<uint8_t> term;
    if (loopCount == 0) {
      term.push_back(0);  // show the last frame
    } else {
      term.push_back(3);  // repeat the frames after TERM
      term.push_back(0);  // then show the last frame
      PutDword(term, 0);  // no delay between the passes
      // A GIF loop count n repeats the frames n times after the first pass.
      PutDword(term, loopCount == kMngLoopForever ? kInfinite : uint32_t{loopCount} + 1);
    }
    if (!WriteChunk(bytes, "MHDR", mhdr) || !WriteChunk(bytes, "TERM", term)) return IMAGEIO_FAILED;

    for (int i = 0; i < count; ++i) {
      if (cancel && cancel()) return IMAGEIO_CANCELLED;
      std::vector<uint8_t> fram;
      fram.push_back(i == 0 ? 3 : 0);  // framing mode 3 (clear before each frame), then unchanged
      fram.push_back(0);                // no subframe name
      fram.push_back(2);                // the delay, from this frame on
      fram.push_back(2);                // deterministic ending, no timeout (some readers
                                        // take the delay only when the timeout is given)
      fram.push_back(0);                // clipping and sync unchanged
      fram.push_back(0);
      PutDword(fram, frames[i].m_nDelay);
      PutDword(fram, kInfinite);
      if (!WriteChunk(bytes, "FRAM", fram)) return IMAGEIO_FAILED;
      const CRasterImage picture = shown[static_cast<size_t>(i)].Flatten(width, height, true, RGBQUAD{});
      FrameState st{&bytes, &picture, width, height, cancel};
      if (!WriteFramePng(&st)) return cancel && cancel() ? IMAGEIO_CANCELLED : IMAGEIO_FAILED;
      if (progress) progress(i + 1, count);
    }
    if (!WriteChunk(bytes, "MEND", {})) return IMAGEIO_FAILED;
    out = std::move(bytes);
    return IMAGEIO_OK;
  } catch (const std::bad_alloc&) {
    out.clear();
    return IMAGEIO_NO_MEMORY;
  }
}

int WriteMngFile(const std::string& path, const CAnimFrame* frames, int count, int32_t width, int32_t height,
                 uint16_t loopCount, CANCELPROC cancel, PROGRESSPROC progress) {
  std::vector<uint8_t> bytes;
  const int result = EncodeMng(frames, count, width, height, loopCount, bytes, cancel, progress);
  if (result != IMAGEIO_OK) return result;
  const std::string name = path.substr(path.find_last_of('/') + 1);
  const auto fail = [&](int error) {
    ReportMessage(MESSAGE_ERROR, "Failed to save " + name + ": " + std::strerror(error));
    return IMAGEIO_FAILED;
  };
  CAtomicFileWriter writer(path);
  if (!writer.Begin()) return fail(errno ? errno : EACCES);
  std::FILE* file = std::fopen(writer.TempPath().c_str(), "wb");
  if (!file) return fail(errno);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int error = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) return fail(written ? errno : error);
  if (writer.Commit() != ATOMIC_OK) return fail(errno ? errno : EIO);
  return IMAGEIO_OK;
}
