#include "formats/GifCodec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

#include "base/ImageGeometry.h"
#include "base/StatusStack.h"
#include "formats/GifLzw.h"
#include "imaging/ColorConversion.h"
#include "imaging/ImageCompose.h"
#include "imaging/PaletteFunctions.h"
#include "imaging/PixelAccess.h"
#include "imaging/PixelRect.h"
#include "imaging/Quantizer.h"
#include "imaging/SharedBuffer.h"

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;  // '!'
constexpr uint8_t kImageSeparator = 0x2C;       // ','
constexpr uint8_t kTrailer = 0x3B;              // ';'
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kCommentLabel = 0xFE;
constexpr uint8_t kApplicationLabel = 0xFF;
// The frames of one file may take this many times the one-image byte budget.
constexpr int64_t kFrameBudgetFactor = 4;

// A colour table as read from or written to a file: up to 256 entries,
// unused ones zero.
struct GifColorTable {
  RGBQUAD entries[256] = {};
  int count = 0;
};

// Depth of the image that holds pixels of a table of 2^bits entries:
// 2 and 3 become 4, 5 to 7 become 8.
int WidenDepth(int bits) { return bits <= 1 ? 1 : bits <= 4 ? 4 : 8; }

int16_t ClampToInt16(int32_t value) { return static_cast<int16_t>(std::clamp<int32_t>(value, -32768, 32767)); }

bool ReadSignature(CBufferedFile* stream) {
  char signature[6] = {};
  if (stream->Read(signature, 6) != 6) return false;
  return std::memcmp(signature, "GIF87a", 6) == 0 || std::memcmp(signature, "GIF89a", 6) == 0;
}

// Reads and drops n bytes (reading, not seeking, keeps the transfer buffer).
void SkipBytes(CBufferedFile* stream, int n) {
  uint8_t scratch[256];
  while (n > 0 && !stream->GetError()) {
    const int chunk = std::min(n, static_cast<int>(sizeof scratch));
    if (stream->Read(scratch, chunk) != chunk) return;
    n -= chunk;
  }
}

// Skips data sub-blocks up to and including the zero length byte, or until
// the data ends.
void SkipSubBlocks(CBufferedFile* stream) {
  for (;;) {
    const uint8_t length = stream->ReadByte();
    if (stream->GetError() || length == 0) return;
    SkipBytes(stream, length);
    if (stream->GetError()) return;
  }
}

bool ReadColorTable(CBufferedFile* stream, int count, GifColorTable& table) {
  uint8_t rgb[3 * 256];
  table = GifColorTable();
  if (stream->Read(rgb, 3 * count) != 3 * count) return false;
  for (int i = 0; i < count; ++i) table.entries[i] = MakeRGBQuad(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  table.count = count;
  return true;
}

// Empties a frame's image and zeroes its position, delay and flags.
void ResetGifFrame(CAnimFrame& frame) {
  frame.m_image.Free();
  frame.m_nLeft = 0;
  frame.m_nTop = 0;
  frame.m_nDelay = 0;
  frame.m_nFlags = 0;
}

// Called after the 0x21 byte. Null slots mean "not wanted": that extension
// is skipped.
void ReadGifExtension(CAnimFrame* frame, CBufferedFile* stream, std::string* comment, int16_t* loopCount,
                      int* transparentIndex) {
  const uint8_t label = stream->ReadByte();
  if (stream->GetError()) return;
  uint8_t data[256] = {};
  if (label == kGraphicControlLabel && frame) {
    const uint8_t size = stream->ReadByte();
    if (stream->GetError() || size == 0) return;
    if (stream->Read(data, size) != size) return;
    if (size >= 4) {
      frame->m_nFlags = data[0];
      frame->m_nDelay = static_cast<uint16_t>(data[1] | (data[2] << 8));
      if ((data[0] & 1) && transparentIndex) *transparentIndex = data[3];
    }
    SkipSubBlocks(stream);
  } else if (label == kCommentLabel && comment && comment->empty()) {
    std::string text;
    for (;;) {
      const uint8_t length = stream->ReadByte();
      if (stream->GetError()) return;  // cut short: no comment
      if (length == 0) break;
      if (stream->Read(data, length) != length) return;
      text.append(reinterpret_cast<const char*>(data), length);
    }
    // The comment is a C string: it ends at its first zero byte.
    text.resize(std::strlen(text.c_str()));
    *comment = std::move(text);
  } else if (label == kApplicationLabel) {
    const uint8_t size = stream->ReadByte();
    if (stream->GetError() || size == 0) return;
    if (stream->Read(data, size) != size) return;
    if (size >= 11 && std::memcmp(data, "NETSCAPE2.0", 11) == 0 && loopCount) {
      const uint8_t length = stream->ReadByte();
      if (stream->GetError() || length == 0) return;
      const uint8_t id = stream->ReadByte();
      if (stream->GetError()) return;
      if (id == 1 && length >= 3) {
        const uint16_t loops = stream->ReadWord();
        if (stream->GetError()) return;
        // 0 means endless; counts past the 16-bit signed range stay as large as it allows.
        *loopCount = loops == 0 ? static_cast<int16_t>(-1) : static_cast<int16_t>(std::min<int>(loops, 32767));
        SkipBytes(stream, length - 3);
      } else {
        SkipBytes(stream, length - 1);
      }
    }
    SkipSubBlocks(stream);
  } else {
    SkipSubBlocks(stream);
  }
}

// Skips an image after its ','. True when the descriptor, its colour table
// and the code size byte were read whole.
bool SkipGifImage(CBufferedFile* stream) {
  uint8_t d[9];
  if (stream->Read(d, 9) != 9) return false;
  if (d[8] & 0x80) SkipBytes(stream, 3 * (2 << (d[8] & 7)));
  stream->ReadByte();
  if (stream->GetError()) return false;
  SkipSubBlocks(stream);
  return true;
}

// Output row of the j-th row of data: rows in order, or the four interlace
// passes (every 8th row from 0, every 8th from 4, every 4th from 2, every
// 2nd from 1).
class CGifRowOrder {
 public:
  CGifRowOrder(int height, bool interlaced) : m_nHeight(height), m_bInterlaced(interlaced) {}
  int Next() {
    if (!m_bInterlaced) return m_nRow++;
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    if (m_bStarted) m_nRow += kStep[m_nPass];
    m_bStarted = true;
    while (m_nPass < 4 && m_nRow >= m_nHeight) {
      if (++m_nPass < 4) m_nRow = kStart[m_nPass];
    }
    return m_nPass < 4 ? m_nRow : m_nHeight;
  }

 private:
  int m_nHeight;
  bool m_bInterlaced;
  bool m_bStarted = false;
  int m_nPass = 0;
  int m_nRow = 0;
};

// Decodes one image's pixel data (code size byte, sub-blocks, zero) into the
// image. Damaged or short data leaves the rows not reached as they are; the
// next byte read afterwards is the one after the image's data.
int DecodeGifPixels(CBufferedFile* stream, CRasterImage& image, bool interlaced, CANCELPROC cancel,
                    PROGRESSPROC progress, CLzwDecoderBuffers* buffers) {
  const int codeSize = stream->ReadByte();
  if (stream->GetError()) return IMAGEIO_OK;
  if (codeSize < 1 || codeSize > 11) {
    SkipSubBlocks(stream);
    return IMAGEIO_CORRUPT;
  }
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  const int stride = image.GetStride();
  uint8_t* bits = image.GetWritableBits();
  CLzwDecoder decoder(stream, codeSize, width, image.GetBitsPerPixel(), buffers);
  CGifRowOrder order(height, interlaced);
  for (int j = 0; j < height; ++j) {
    const int y = order.Next();
    if (y >= height) break;
    decoder.DecodeRow(bits + static_cast<int64_t>(y) * stride);
    if (cancel && cancel()) return IMAGEIO_CANCELLED;
    if (progress && j % 4 == 0) progress(j, height);
    if (decoder.IsFinished() && decoder.GetResult() != IMAGEIO_OK) break;
  }
  decoder.SkipRemainingData();
  return IMAGEIO_OK;
}

// Reads one image after its ','. The frame receives the image and position;
// an image of zero width or height leaves the frame's image empty.
int ReadGifImage(CAnimFrame& frame, CBufferedFile* stream, const GifColorTable& global, int globalDepth,
                 int64_t& bytesLeft, CANCELPROC cancel, PROGRESSPROC progress, CLzwDecoderBuffers* buffers) {
  uint8_t d[9];
  if (stream->Read(d, 9) != 9) return IMAGEIO_OK;  // the block loop stops on the error flag
  const int left = d[0] | (d[1] << 8);
  const int top = d[2] | (d[3] << 8);
  const int width = d[4] | (d[5] << 8);
  const int height = d[6] | (d[7] << 8);
  const uint8_t packed = d[8];
  GifColorTable local;
  int depth = globalDepth;
  const GifColorTable* table = &global;
  if (packed & 0x80) {
    if (!ReadColorTable(stream, 2 << (packed & 7), local)) return IMAGEIO_OK;
    depth = WidenDepth((packed & 7) + 1);
    table = &local;
  }
  frame.m_nLeft = ClampToInt16(left);
  frame.m_nTop = ClampToInt16(top);
  if (width == 0 || height == 0) {
    stream->ReadByte();
    if (!stream->GetError()) SkipSubBlocks(stream);
    return IMAGEIO_OK;
  }
  const int geometry = CheckImageGeometry(width, height, depth);
  if (geometry != IMAGEIO_OK) return geometry;
  // All frames of one file together stay within a bound, so that a small
  // file cannot claim thousands of huge frames (pixels and a possible mask).
  const int64_t bytes = RowBytes(width, depth) * height + RowBytes(width, 1) * height;
  if (bytes > bytesLeft) return IMAGEIO_NO_MEMORY;
  bytesLeft -= bytes;
  CRasterImage image;
  if (!image.Create(width, height, depth) || !image.GetWritableBits()) return IMAGEIO_NO_MEMORY;
  RGBQUAD* palette = image.GetWritablePalette();
  const int entries = std::min(table->count, 1 << depth);
  std::copy(table->entries, table->entries + entries, palette);
  const int result = DecodeGifPixels(stream, image, (packed & 0x40) != 0, cancel, progress, buffers);
  if (result != IMAGEIO_OK) return result;
  frame.m_image = std::move(image);
  return IMAGEIO_OK;
}

// ---------------------------------------------------------------------------
// Writing


// Highest index among opaque pixels (-1 when there are none).
int HighestOpaqueIndex(const CRasterImage& image) {
  if (image.GetBitsPerPixel() == 8 && !image.HasValidMask()) {
    // The common case of animation frames, in one pass the compiler vectorises.
    uint8_t highest = 0;
    const int width = image.GetWidth(), height = image.GetHeight(), stride = image.GetStride();
    const uint8_t* row = image.GetBits();
    for (int y = 0; y < height; ++y, row += stride)
      for (int x = 0; x < width; ++x) highest = std::max(highest, row[x]);
    return highest;
  }
  int highest = 0, used = 0;
  GetPaletteUsage(image, &highest, &used);
  return highest;
}

// Code size (bits per table index) for pixel values up to highest.
int CodeSizeFor(int highest) {
  if (highest <= 1) return 1;
  int g = 2;
  while ((1 << g) - 1 < highest) ++g;
  return g;
}

// Transparency and code size of one image as the writer stores it.
struct GifImagePlan {
  bool transparent = false;
  bool remap = false;
  int index = 0;        // transparent index written
  int replacement = 0;  // for 8-bit images with remap: what opaque pixels of index become
  int codeSize = 1;
};

GifImagePlan PlanGifImage(const CRasterImage& image) {
  GifImagePlan plan;
  const int d = image.GetBitsPerPixel();
  int chosen = 0, remap = 0, replacement = 0;
  if (image.HasValidMask() && ChooseTransparentIndex(image, &chosen, &remap, &replacement)) {
    plan.transparent = true;
    plan.remap = remap != 0;
    plan.index = remap && d < 8 ? 1 << d : chosen;
    plan.replacement = replacement;
  }
  if (plan.remap && d == 1) {
    plan.codeSize = 2;
  } else if (plan.remap && d == 4) {
    plan.codeSize = 5;
  } else {
    int highest = HighestOpaqueIndex(image);
    if (plan.transparent) highest = std::max(highest, plan.index);
    plan.codeSize = CodeSizeFor(highest);
  }
  return plan;
}

void WriteColorTable(CBufferedFile* stream, const RGBQUAD* entries, int used, int size) {
  uint8_t rgb[3 * 256] = {};
  for (int i = 0; i < used && i < size; ++i) {
    rgb[3 * i] = entries[i].rgbRed;
    rgb[3 * i + 1] = entries[i].rgbGreen;
    rgb[3 * i + 2] = entries[i].rgbBlue;
  }
  stream->Write(rgb, 3 * size);
}

void WriteGifComment(CBufferedFile* stream, const std::string& text) {
  const size_t length = std::strlen(text.c_str());
  if (length == 0) return;
  stream->WriteByte(kExtensionIntroducer);
  stream->WriteByte(kCommentLabel);
  for (size_t pos = 0; pos < length;) {
    const size_t chunk = std::min<size_t>(length - pos, 255);
    stream->WriteByte(static_cast<uint8_t>(chunk));
    stream->Write(text.data() + pos, static_cast<int>(chunk));
    pos += chunk;
  }
  stream->WriteByte(0);
}

void WriteGifLoopExtension(CBufferedFile* stream, int loopCount) {
  static const uint8_t kHead[] = {kExtensionIntroducer, kApplicationLabel, 11, 'N', 'E', 'T', 'S', 'C', 'A',
                                  'P',                  'E',               '2', '.', '0', 3,   1};
  stream->Write(kHead, sizeof kHead);
  stream->WriteWord(static_cast<uint16_t>(loopCount < 0 ? 0 : loopCount));
  stream->WriteByte(0);
}

int WriteGifImage(CBufferedFile* stream, const CRasterImage& image, int x, int y, const GifColorTable& global,
                  bool interlaced, bool graphicControl, int delay, int flags, CANCELPROC cancel,
                  PROGRESSPROC progress) {
  const int d = image.GetBitsPerPixel();
  const GifImagePlan plan = PlanGifImage(image);
  flags = plan.transparent ? (flags | 1) : (flags & ~1);
  if (graphicControl) {
    const uint8_t gce[8] = {kExtensionIntroducer,
                            kGraphicControlLabel,
                            4,
                            static_cast<uint8_t>(flags),
                            static_cast<uint8_t>(delay & 0xFF),
                            static_cast<uint8_t>((delay >> 8) & 0xFF),
                            static_cast<uint8_t>(plan.transparent ? plan.index : 0),
                            0};
    stream->Write(gce, sizeof gce);
  }
  const int c = plan.codeSize;
  const int colors = std::min(1 << c, 1 << d);  // entries that pixels may name
  const RGBQUAD* palette = image.GetPalette();
  bool localTable = global.count < (1 << c);
  for (int i = 0; i < colors && !localTable; ++i)
    if (palette[i].rgbRed != global.entries[i].rgbRed || palette[i].rgbGreen != global.entries[i].rgbGreen ||
        palette[i].rgbBlue != global.entries[i].rgbBlue)
      localTable = true;
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  uint8_t descriptor[10] = {kImageSeparator,
                            static_cast<uint8_t>(x),
                            static_cast<uint8_t>(x >> 8),
                            static_cast<uint8_t>(y),
                            static_cast<uint8_t>(y >> 8),
                            static_cast<uint8_t>(width),
                            static_cast<uint8_t>(width >> 8),
                            static_cast<uint8_t>(height),
                            static_cast<uint8_t>(height >> 8),
                            0};
  if (localTable) descriptor[9] = static_cast<uint8_t>(0x80 | (c - 1));
  if (interlaced) descriptor[9] |= 0x40;
  stream->Write(descriptor, sizeof descriptor);
  if (localTable) WriteColorTable(stream, palette, colors, 1 << c);
  const int minimumCodeSize = std::max(c, 2);
  stream->WriteByte(static_cast<uint8_t>(minimumCodeSize));

  CLzwEncoder encoder(stream, minimumCodeSize, 8, static_cast<int64_t>(width) * height);
  std::vector<uint8_t> line(static_cast<size_t>(width));
  const PIXELGETPROC get = GetPixelGetter(d);
  const bool hasMask = image.HasValidMask();
  CGifRowOrder order(height, interlaced);
  for (int j = 0; j < height; ++j) {
    const int row = order.Next();
    const uint8_t* src = image.GetRow(row);
    if (d == 8 && !hasMask) {
      std::memcpy(line.data(), src, static_cast<size_t>(width));
    } else {
      const uint8_t* maskRow = hasMask ? image.GetMaskRow(row) : nullptr;
      for (int i = 0; i < width; ++i) {
        int v = plan.index;
        if (!maskRow || GetPixel1(maskRow, static_cast<int16_t>(i))) {
          v = get(src, static_cast<int16_t>(i));
          if (plan.remap && d == 8 && v == plan.index) v = plan.replacement;
        }
        line[static_cast<size_t>(i)] = static_cast<uint8_t>(v);
      }
    }
    encoder.EncodeBytes(line.data(), width);
    if (cancel && cancel()) return IMAGEIO_CANCELLED;
    if (progress) progress(j, height);
  }
  encoder.Finish();
  stream->WriteByte(0);
  return IMAGEIO_OK;
}

bool GifConvertCancelProc() {
  // Lets the window answer while the conversion runs; the conversion itself
  // is never stopped half-way.
  CheckUserAbort();
  return false;
}


// Counts the image descriptors of the GIF at the stream's position.
int CountGifImages(CBufferedFile* stream);

}  // namespace

// ---------------------------------------------------------------------------
// Entry points

bool GetGifInfo(CBufferedFile* stream, CImageFileInfo* info) {
  if (!stream || !info) return false;
  stream->ClearError();
  if (!ReadSignature(stream)) return false;
  uint8_t screen[7];
  if (stream->Read(screen, 7) != 7) return false;
  info->m_nWidth = screen[0] | (screen[1] << 8);
  info->m_nHeight = screen[2] | (screen[3] << 8);
  info->m_nBitsPerPixel = (screen[4] & 7) + 1;
  return true;
}

int CountGifFrames(CBufferedFile* stream) {
  if (!stream) return 0;
  stream->ClearError();
  // The walk reads every sub-block length: buffered unless the caller buffers already.
  const bool buffer = !stream->IsBuffered();
  if (buffer) stream->BeginBuffer();
  const int count = CountGifImages(stream);
  if (buffer) stream->EndBuffer();
  return count;
}

namespace {
int CountGifImages(CBufferedFile* stream) {
  if (!ReadSignature(stream)) return 0;
  uint8_t screen[7];
  if (stream->Read(screen, 7) != 7) return 0;
  if (screen[4] & 0x80) SkipBytes(stream, 3 * (2 << (screen[4] & 7)));
  int count = 0;
  while (!stream->GetError()) {
    const uint8_t b = stream->ReadByte();
    if (stream->GetError() || b == kTrailer) break;
    if (b == kExtensionIntroducer) {
      ReadGifExtension(nullptr, stream, nullptr, nullptr, nullptr);
    } else if (b == kImageSeparator) {
      if (SkipGifImage(stream)) ++count;
    }
  }
  return count;
}
}  // namespace

int ReadGif(CCodecJob* job, int first, int count) {
  if (!job || !job->m_pStream || first < 0 || count < 0 || (count > 0 && !job->m_pFrames))
    return IMAGEIO_INTERNAL_ERROR;
  CBufferedFile* stream = job->m_pStream;
  stream->ClearError();
  // A buffer the caller began stays the caller's.
  const bool buffer = !stream->IsBuffered();
  if (buffer) stream->BeginBuffer();
  int result = IMAGEIO_OK;
  int transparentIndex = 0;
  if (!ReadSignature(stream)) {
    job->m_image.Free();
    if (buffer) stream->EndBuffer();
    return IMAGEIO_BAD_FORMAT;
  }
  uint8_t screen[7] = {};
  stream->Read(screen, 7);
  int screenWidth = std::min(screen[0] | (screen[1] << 8), 32767);
  int screenHeight = std::min(screen[2] | (screen[3] << 8), 32767);
  GifColorTable global;
  int globalDepth = 8;  // without a global table, indices are kept whole
  if (screen[4] & 0x80) {
    ReadColorTable(stream, 2 << (screen[4] & 7), global);
    globalDepth = WidenDepth((screen[4] & 7) + 1);
  }
  job->m_nLoopCount = 0;
  job->m_strComment.clear();
  CAnimFrame work;
  ResetGifFrame(work);
  const int64_t last = int64_t{first} + count;
  // The frames' pixels, palettes and masks come out of a few shared chunks.
  std::optional<CBufferArenaScope> arena;
  if (count > 1) arena.emplace();
  // One decoder's tables and history serve every image in turn.
  CLzwDecoderBuffers lzwBuffers;
  int64_t bytesLeft = kFrameBudgetFactor * GetImageByteBudget();
  int64_t index = 0;
  job->m_bIncomplete = false;
  while (result == IMAGEIO_OK && !stream->GetError()) {
    const uint8_t b = stream->ReadByte();
    if (stream->GetError() || b == kTrailer) break;
    if (b == kExtensionIntroducer) {
      ReadGifExtension(&work, stream, &job->m_strComment, &job->m_nLoopCount, &transparentIndex);
      continue;
    }
    if (b != kImageSeparator) continue;  // stray bytes between blocks are passed over
    if (index < first || index >= last) {
      SkipGifImage(stream);
    } else {
      const int j = static_cast<int>(index - first);
      const int r = ReadGifImage(work, stream, global, globalDepth, bytesLeft, job->m_pfnCancel,
                                 count == 1 ? job->m_pfnProgress : nullptr, &lzwBuffers);
      if (r != IMAGEIO_OK) {
        result = r;
        for (int k = 0; k < j; ++k) ResetGifFrame(job->m_pFrames[k]);
      } else {
        // The file ended inside this image: its rows not reached stay as they are.
        if (stream->GetError()) job->m_bIncomplete = true;
        if ((work.m_nFlags & 1) && !work.m_image.IsEmpty()) MakeColorKeyMask(work.m_image, transparentIndex);
        CAnimFrame& frame = job->m_pFrames[j];
        frame.m_image = work.m_image;
        frame.m_nLeft = work.m_nLeft;
        frame.m_nTop = work.m_nTop;
        frame.m_nDelay = work.m_nDelay;
        frame.m_nFlags = work.m_nFlags;
        if (!work.m_image.IsEmpty()) {
          screenWidth = std::max(screenWidth, std::min(work.m_nLeft + work.m_image.GetWidth(), 32767));
          screenHeight = std::max(screenHeight, std::min(work.m_nTop + work.m_image.GetHeight(), 32767));
        }
        if (count > 1 && job->m_pfnProgress) job->m_pfnProgress(j + 1, count);
      }
    }
    ResetGifFrame(work);
    ++index;
  }
  job->m_nScreenWidth = static_cast<int16_t>(screenWidth);
  job->m_nScreenHeight = static_cast<int16_t>(screenHeight);
  if (buffer) stream->EndBuffer();
  job->m_nResult = result;
  return result;
}

CRasterImage ConvertToGifColors(const CRasterImage& image, int* result) {
  if (result) *result = IMAGEIO_OK;
  RGBQUAD palette[256] = {};
  int colors = 0;
  {
    CPixelSource source(1);
    source.AddImage(&image);
    colors = BuildOptimalPalette(source, palette, 256, 8);
  }
  // A wholly transparent image has no colours: one black entry stands in.
  if (colors <= 0) colors = 1;
  int status = IMAGEIO_OK;
  CRasterImage converted;
  {
    CStatusScope scope("Convert to GIF indexed colors...");
    converted = MapToPalette(image, colors, palette, true, &status, GifConvertCancelProc, ReportProgress);
  }
  if (converted.IsEmpty() && result) *result = status != IMAGEIO_OK ? status : IMAGEIO_NO_MEMORY;
  return converted;
}

CRasterImage PrepareGifFrame(const CAnimFrame& frame, int& x, int& y, int screenWidth, int screenHeight,
                             int* result) {
  if (result) *result = IMAGEIO_OK;
  const bool noImage = frame.m_image.IsEmpty();
  const bool noSelection = frame.m_selection.IsEmpty();
  CRasterImage image;
  if (noImage && noSelection) return image;
  if (noSelection) {
    image = frame.m_image;
  } else if (noImage) {
    // The selection's rectangle is relative to the frame's position.
    image = frame.m_selection;
    x += frame.m_rcSelection.left;
    y += frame.m_rcSelection.top;
  } else {
    image = ComposeImages(frame.m_image, frame.m_selection, frame.m_rcSelection.left, frame.m_rcSelection.top);
    if (image.IsEmpty()) {
      // An indexed image takes only a selection of its own depth.
      if (result) *result = frame.m_image.GetBitsPerPixel() != frame.m_selection.GetBitsPerPixel()
                                ? IMAGEIO_BAD_COLOR_MODE
                                : IMAGEIO_NO_MEMORY;
      return image;
    }
    x += std::min(frame.m_rcSelection.left, 0);
    y += std::min(frame.m_rcSelection.top, 0);
  }
  // Cut to the logical screen.
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + image.GetWidth(), screenWidth);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + image.GetHeight(), screenHeight);
  if (right <= left || bottom <= top) return CRasterImage();
  if (left != x || top != y || right - x != image.GetWidth() || bottom - y != image.GetHeight()) {
    const Rect crop{static_cast<int32_t>(left - x), static_cast<int32_t>(top - y), static_cast<int32_t>(right - x),
                    static_cast<int32_t>(bottom - y)};
    image = CropImage(image, crop);
    if (image.IsEmpty()) {
      if (result) *result = IMAGEIO_NO_MEMORY;
      return image;
    }
    x = static_cast<int>(left);
    y = static_cast<int>(top);
  }
  if (image.GetBitsPerPixel() == 24) {
    int r = IMAGEIO_OK;
    CRasterImage converted = ConvertToGifColors(image, &r);
    if (converted.IsEmpty() && result) *result = r != IMAGEIO_OK ? r : IMAGEIO_NO_MEMORY;
    return converted;
  }
  return image;
}

// Frames that are all indexed images without selections, with palettes of
// their own whose colours together fit one table: every frame becomes an
// 8-bit image on one shared palette (the colours in the order the frames
// first use them), each pixel keeping its colour. The frames then need no
// local colour tables and the shared palette can be reordered. One entry
// stays free when a frame has transparent pixels. False (frames untouched)
// when they do not qualify or already share one 8-bit palette.
static bool UnifyFramePalettes(std::vector<CAnimFrame>& frames) {
  const CRasterImage* reference = nullptr;
  bool shared = true, masked = false;
  for (const CAnimFrame& f : frames) {
    if (f.IsEmpty()) continue;
    const int bpp = f.m_image.GetBitsPerPixel();
    if (!f.m_selection.IsEmpty() || bpp > 8 || f.m_image.GetPaletteSize() != (1 << bpp)) return false;
    masked = masked || f.m_image.HasValidMask();
    if (bpp != 8) shared = false;
    if (!reference)
      reference = &f.m_image;
    else if (bpp != reference->GetBitsPerPixel() ||
             std::memcmp(f.m_image.GetPalette(), reference->GetPalette(), sizeof(RGBQUAD) << bpp) != 0)
      shared = false;
  }
  if (!reference || shared) return false;
  const int limit = masked ? 255 : 256;
  std::vector<RGBQUAD> colours;
  std::vector<std::array<uint8_t, 256>> maps(frames.size());
  std::unordered_map<int, int> indexOf;
  for (size_t n = 0; n < frames.size(); ++n) {
    const CAnimFrame& f = frames[n];
    if (f.IsEmpty()) continue;
    const CRasterImage& image = f.m_image;
    const RGBQUAD* palette = image.GetPalette();
    const PIXELGETPROC get = GetPixelGetter(image.GetBitsPerPixel());
    const bool hasMask = image.HasValidMask();
    bool used[256] = {};
    const int32_t columns = image.GetWidth(), rows = image.GetHeight();
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* row = image.GetRow(y);
      const uint8_t* mrow = hasMask ? image.GetMaskRow(y) : nullptr;
      for (int32_t x = 0; x < columns; ++x) {
        if (mrow && !GetPixel1(mrow, static_cast<int16_t>(x))) continue;
        const int i = get(row, static_cast<int16_t>(x));
        if (used[i]) continue;
        used[i] = true;
        const RGBQUAD& q = palette[i];
        const auto [it, added] =
            indexOf.emplace(q.rgbRed << 16 | q.rgbGreen << 8 | q.rgbBlue, static_cast<int>(colours.size()));
        if (added) {
          if (static_cast<int>(colours.size()) == limit) return false;
          colours.push_back(MakeRGBQuad(q.rgbRed, q.rgbGreen, q.rgbBlue));
        }
        maps[n][static_cast<size_t>(i)] = static_cast<uint8_t>(it->second);
      }
    }
  }
  RGBQUAD unified[256] = {};
  std::copy(colours.begin(), colours.end(), unified);
  for (size_t n = 0; n < frames.size(); ++n) {
    CAnimFrame& f = frames[n];
    if (f.IsEmpty()) continue;
    const CRasterImage& image = f.m_image;
    CRasterImage out;
    if (!out.Create(image.GetWidth(), image.GetHeight(), 8)) throw std::bad_alloc();
    out.m_mask = image.m_mask;  // 1 bit a pixel at either depth
    std::memcpy(out.GetWritablePalette(), unified, sizeof unified);
    const PIXELGETPROC get = GetPixelGetter(image.GetBitsPerPixel());
    const auto& map = maps[n];
    uint8_t* bits = out.GetWritableBits();
    const int32_t columns = image.GetWidth(), rows = image.GetHeight();
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* row = image.GetRow(y);
      uint8_t* target = bits + static_cast<int64_t>(y) * out.GetStride();
      for (int32_t x = 0; x < columns; ++x) target[x] = map[get(row, static_cast<int16_t>(x))];
    }
    f.m_image = std::move(out);
  }
  return true;
}

// How many codes the LZW coder writes for a frame's pixels (transparent
// pixels as one more symbol), counted up to 4096: the count does not depend
// on which index each colour has, and past 4096 codes the code widths no
// longer depend on the code size.
static int64_t CountLzwCodes(const CRasterImage& image) {
  constexpr int64_t kEnough = 4096;
  constexpr size_t kSlots = 1 << 14;
  std::vector<uint32_t> table(kSlots, 0);  // (code << 20 | prefix << 9 | symbol) + 1; 0 free
  const bool masked = image.HasValidMask();
  int64_t codes = 0;
  int next = 512, prefix = -1;
  const int32_t columns = image.GetWidth(), rows = image.GetHeight();
  for (int32_t y = 0; y < rows && codes < kEnough; ++y) {
    const uint8_t* row = image.GetRow(y);
    const uint8_t* mrow = masked ? image.GetMaskRow(y) : nullptr;
    for (int32_t x = 0; x < columns; ++x) {
      const int symbol = mrow && !GetPixel1(mrow, static_cast<int16_t>(x)) ? 256 : row[x];
      if (prefix < 0) {
        prefix = symbol;
        continue;
      }
      const uint32_t key = static_cast<uint32_t>(prefix) << 9 | static_cast<uint32_t>(symbol);
      size_t h = (key * 2654435761u) >> 18;
      for (;;) {
        const uint32_t entry = table[h];
        if (entry == 0 || ((entry - 1) & 0xFFFFF) == key) break;
        h = (h + 1) & (kSlots - 1);
      }
      if (table[h] != 0) {
        prefix = static_cast<int>((table[h] - 1) >> 20);
        continue;
      }
      table[h] = (static_cast<uint32_t>(next++) << 20 | key) + 1;
      ++codes;
      prefix = symbol;
    }
  }
  return codes + (prefix >= 0 ? 1 : 0);
}

// Bits of `codes` codes written after a clear with LZW code size m (the
// widths the coder uses as its table grows), for m = 2..8.
static int64_t LzwBits(int m, int64_t codes) {
  int width = m + 1, next = (1 << m) + 2;
  int64_t bits = 0;
  for (int64_t k = 0; k < codes; ++k) {
    bits += width;
    if (++next > (1 << width) && width < 12) ++width;
  }
  return bits;
}

// Refines an order of the shared palette (order[k]: the old index put at k)
// for the frames after the first: each frame's code size follows from the
// highest new index among its colours and its transparent index (the lowest
// index none of its colours has), and a smaller code size saves bits on its
// first codes (`bits[m]`, from the frame's code count). Colours are swapped
// between code-size ranges while that lowers the total (a local search with
// a few random restarts). Skipped when too large to search. Returns the
// total bits of the order left.
struct FramePaletteUse {
  std::vector<uint8_t> colours;  // old indices used by opaque pixels
  bool transparent = false;
  int64_t bits[9] = {};
};

static int64_t RefinePaletteOrder(std::vector<int>& order, const std::vector<FramePaletteUse>& uses) {
  // Per frame: the new indices its colours have, as a 256-bit set; its code
  // size follows from the set's highest member and (for a frame with
  // transparency) its lowest non-member.
  struct IndexSet {
    uint64_t w[4] = {};
    void Flip(int i) { w[i >> 6] ^= uint64_t{1} << (i & 63); }
  };
  auto cost = [&](const FramePaletteUse& u, const IndexSet& set) {
    int highest = 0;
    for (int k = 3; k >= 0; --k)
      if (set.w[k]) {
        highest = 64 * k + 63 - __builtin_clzll(set.w[k]);
        break;
      }
    if (u.transparent) {
      int free = 256;
      for (int k = 0; k < 4; ++k)
        if (~set.w[k]) {
          free = 64 * k + __builtin_ctzll(~set.w[k]);
          break;
        }
      highest = std::max(highest, std::min(free, 255));
    }
    return u.bits[std::max(CodeSizeFor(highest), 2)];
  };
  std::vector<std::vector<int>> framesOf(256);
  for (size_t f = 0; f < uses.size(); ++f)
    for (const uint8_t c : uses[f].colours) framesOf[c].push_back(static_cast<int>(f));
  int used = 0;  // the colours any later frame uses lie within the first `used`
  for (int k = 0; k < 256; ++k)
    if (!framesOf[static_cast<size_t>(order[static_cast<size_t>(k)])].empty()) used = k + 1;
  std::vector<int> position(256);
  for (int k = 0; k < 256; ++k) position[static_cast<size_t>(order[static_cast<size_t>(k)])] = k;
  std::vector<IndexSet> sets(uses.size());
  std::vector<int64_t> costs(uses.size());
  int64_t best = 0, bound = 0;
  for (size_t f = 0; f < uses.size(); ++f) {
    for (const uint8_t c : uses[f].colours) sets[f].Flip(position[c]);
    costs[f] = cost(uses[f], sets[f]);
    best += costs[f];
    // No order does better than the code size the number of colours (and a
    // transparent index) needs.
    const FramePaletteUse& u = uses[f];
    bound += u.bits[std::max(CodeSizeFor(static_cast<int>(u.colours.size()) + (u.transparent ? 1 : 0) - 1), 2)];
  }
  // One pass of swaps looks at about used x (colours of all frames) frames.
  int64_t work = 0;
  for (const FramePaletteUse& u : uses) work += static_cast<int64_t>(u.colours.size());
  const int64_t passWork = work * used;
  if (used < 2 || best <= bound || passWork > (int64_t{1} << 23)) return best;
  // Swapping the colours at positions i and j changes the sets of the frames
  // that have one of them but not both. Returns the change in bits; with
  // `apply`, makes the swap.
  std::vector<int> stamp(uses.size(), -1);
  int round = 0;
  std::vector<std::pair<int, IndexSet>> changed;
  auto trySwap = [&](int i, int j, bool apply) {
    const int a = order[static_cast<size_t>(i)], b = order[static_cast<size_t>(j)];
    ++round;
    changed.clear();
    for (const int f : framesOf[static_cast<size_t>(a)]) stamp[static_cast<size_t>(f)] = round;
    int64_t delta = 0;
    auto visit = [&](int f, int from, int to) {
      IndexSet set = sets[static_cast<size_t>(f)];
      set.Flip(from);
      set.Flip(to);
      delta += cost(uses[static_cast<size_t>(f)], set) - costs[static_cast<size_t>(f)];
      changed.emplace_back(f, set);
    };
    for (const int f : framesOf[static_cast<size_t>(b)]) {
      if (stamp[static_cast<size_t>(f)] == round)
        stamp[static_cast<size_t>(f)] = -round;  // has both: unchanged
      else
        visit(f, j, i);
    }
    for (const int f : framesOf[static_cast<size_t>(a)])
      if (stamp[static_cast<size_t>(f)] == round) visit(f, i, j);
    if (apply || delta < 0) {
      for (const auto& [f, set] : changed) {
        sets[static_cast<size_t>(f)] = set;
        costs[static_cast<size_t>(f)] = cost(uses[static_cast<size_t>(f)], set);
      }
      std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(j)]);
      position[static_cast<size_t>(a)] = j;
      position[static_cast<size_t>(b)] = i;
      best += delta;
      return true;
    }
    return false;
  };
  // Swaps between code-size ranges, each kept where it lowers the bits.
  auto climb = [&] {
    for (int pass = 0; pass < 8; ++pass) {
      bool improved = false;
      for (int i = 0; i < used; ++i)
        for (int j = i + 1; j < used; ++j)
          if (std::max(CodeSizeFor(i), 2) != std::max(CodeSizeFor(j), 2) && trySwap(i, j, false)) improved = true;
      if (!improved || best <= bound) break;
    }
  };
  climb();
  // Swaps one at a time stop at a local best: a few times, two random swaps
  // (a fixed sequence, so that the file written is always the same) and a
  // new climb, kept when the result is cheaper. Fewer as the search grows.
  const int64_t kicks = std::min<int64_t>(8, (int64_t{1} << 24) / std::max<int64_t>(passWork, 1));
  uint32_t seed = 12345u;
  auto randomBelow = [&](int n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
  };
  for (int64_t kick = 0; kick < kicks && best > bound; ++kick) {
    const std::vector<int> savedOrder = order;
    const int64_t before = best;
    for (int k = 0; k < 2; ++k) {
      const int i = randomBelow(used), j = randomBelow(used);
      if (i != j) trySwap(std::min(i, j), std::max(i, j), true);
    }
    climb();
    if (best >= before) {
      // Back to the order before the kick.
      for (int k = 0; k < used; ++k)
        if (order[static_cast<size_t>(k)] != savedOrder[static_cast<size_t>(k)]) {
          const int want = savedOrder[static_cast<size_t>(k)];
          trySwap(k, position[static_cast<size_t>(want)], true);
        }
    }
  }
  return best;
}

// Frames that are all 8-bit images of one palette, without selections: the
// palette is reordered so that the later frames need low indices, and so
// fewer bits per code (see RefinePaletteOrder), while every pixel keeps its
// colour. False (frames untouched)
// when the frames do not share a palette this way.
static bool ReorderSharedPalette(std::vector<CAnimFrame>& frames) {
  const CRasterImage* reference = nullptr;
  for (const CAnimFrame& f : frames) {
    if (f.IsEmpty()) continue;
    if (!f.m_selection.IsEmpty() || f.m_image.GetBitsPerPixel() != 8 || f.m_image.GetPaletteSize() != 256)
      return false;
    if (!reference)
      reference = &f.m_image;
    else if (std::memcmp(f.m_image.GetPalette(), reference->GetPalette(), 256 * sizeof(RGBQUAD)) != 0)
      return false;
  }
  if (!reference) return false;
  const RGBQUAD* palette = reference->GetPalette();
  struct Use {
    int64_t firstLater = INT64_MAX;  // the first frame after the first that uses the colour
    int64_t laterFrames = 0;
    int64_t pixels = 0;
  };
  std::vector<Use> uses(256);
  std::vector<FramePaletteUse> frameUses;
  bool firstFrame = true;
  int64_t frameNumber = -1;
  for (const CAnimFrame& f : frames) {
    ++frameNumber;
    if (f.IsEmpty()) continue;
    const CRasterImage& image = f.m_image;
    const bool masked = image.HasValidMask();
    bool seen[256] = {};
    const int32_t columns = image.GetWidth(), rows = image.GetHeight();
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* row = image.GetRow(y);
      const uint8_t* mrow = masked ? image.GetMaskRow(y) : nullptr;
      for (int32_t x = 0; x < columns; ++x) {
        if (mrow && !GetPixel1(mrow, static_cast<int16_t>(x))) continue;
        seen[row[x]] = true;
        ++uses[row[x]].pixels;
      }
    }
    if (!firstFrame) {
      FramePaletteUse use;
      for (int i = 0; i < 256; ++i)
        if (seen[i]) {
          ++uses[i].laterFrames;
          uses[i].firstLater = std::min(uses[i].firstLater, frameNumber);
          use.colours.push_back(static_cast<uint8_t>(i));
        }
      use.transparent = masked;
      const int64_t codes = CountLzwCodes(image);
      for (int m = 2; m <= 8; ++m) use.bits[m] = LzwBits(m, codes);
      frameUses.push_back(std::move(use));
    }
    firstFrame = false;
  }
  std::vector<int> order(256);
  for (int i = 0; i < 256; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    if (uses[a].laterFrames != uses[b].laterFrames) return uses[a].laterFrames > uses[b].laterFrames;
    if (uses[a].firstLater != uses[b].firstLater) return uses[a].firstLater < uses[b].firstLater;
    return uses[a].pixels > uses[b].pixels;
  });
  {
    // Two starting orders (first use, and use by most frames), each refined;
    // the cheaper wins.
    std::vector<int> other(256);
    for (int i = 0; i < 256; ++i) other[static_cast<size_t>(i)] = i;
    std::stable_sort(other.begin(), other.end(), [&](int a, int b) {
      if (uses[a].firstLater != uses[b].firstLater) return uses[a].firstLater < uses[b].firstLater;
      if (uses[a].laterFrames != uses[b].laterFrames) return uses[a].laterFrames > uses[b].laterFrames;
      return uses[a].pixels > uses[b].pixels;
    });
    if (RefinePaletteOrder(other, frameUses) < RefinePaletteOrder(order, frameUses)) order = other;
  }
  uint8_t newIndex[256];
  RGBQUAD reordered[256];
  bool identity = true;
  for (int k = 0; k < 256; ++k) {
    newIndex[order[k]] = static_cast<uint8_t>(k);
    reordered[k] = palette[order[k]];
    identity = identity && order[k] == k;
  }
  if (identity) return true;
  for (CAnimFrame& f : frames) {
    if (f.IsEmpty()) continue;
    CRasterImage& image = f.m_image;
    std::memcpy(image.GetWritablePalette(), reordered, sizeof reordered);
    uint8_t* bits = image.GetWritableBits();
    const int32_t columns = image.GetWidth(), rows = image.GetHeight();
    for (int32_t y = 0; y < rows; ++y) {
      uint8_t* row = bits + static_cast<int64_t>(y) * image.GetStride();
      for (int32_t x = 0; x < columns; ++x) row[x] = newIndex[row[x]];
    }
  }
  return true;
}

int WriteGif(CCodecJob* job, int first, int count, const GIF_SAVE_OPTIONS* options) {
  if (!job || !job->m_pStream || !options || first < 0 || count < 0 || (count > 0 && !job->m_pFrames))
    return IMAGEIO_INTERNAL_ERROR;
  const CAnimFrame* frames = job->m_pFrames;
  while (count > 0 && frames[first].IsEmpty()) {
    ++first;
    --count;
  }
  if (count == 0) return IMAGEIO_INTERNAL_ERROR;  // nothing to write
  if (!options->nColorConversion) {
    for (int n = first; n < first + count; ++n) {
      const CAnimFrame& f = frames[n];
      if (f.IsEmpty()) continue;
      const CRasterImage& shown = f.m_image.IsEmpty() ? f.m_selection : f.m_image;
      if (shown.GetBitsPerPixel() == 24) return IMAGEIO_BAD_COLOR_MODE;
    }
  }
  // The logical screen: the job's, or the smallest one that covers every frame.
  int screenWidth = job->m_nScreenWidth;
  int screenHeight = job->m_nScreenHeight;
  if (screenWidth <= 0 || screenHeight <= 0) {
    screenWidth = screenHeight = 0;
    for (int n = first; n < first + count; ++n) {
      const CAnimFrame& f = frames[n];
      if (!f.m_image.IsEmpty()) {
        screenWidth = std::max(screenWidth, f.m_nLeft + f.m_image.GetWidth());
        screenHeight = std::max(screenHeight, f.m_nTop + f.m_image.GetHeight());
      }
      if (!f.m_selection.IsEmpty()) {
        screenWidth = std::max(screenWidth, f.m_nLeft + f.m_rcSelection.left + f.m_selection.GetWidth());
        screenHeight = std::max(screenHeight, f.m_nTop + f.m_rcSelection.top + f.m_selection.GetHeight());
      }
    }
    screenWidth = std::clamp(screenWidth, 1, 32767);
    screenHeight = std::clamp(screenHeight, 1, 32767);
  }

  // An animation of 8-bit frames whose colours fit one palette is written on
  // one shared palette, reordered for smaller codes; the frames given stay as
  // they are.
  std::vector<CAnimFrame> reordered;
  bool sharedPalette = false;
  if (count > 1) {
    try {
      reordered.assign(frames + first, frames + first + count);
      UnifyFramePalettes(reordered);
      if (ReorderSharedPalette(reordered)) {
        frames = reordered.data();
        first = 0;
        sharedPalette = true;
      }
    } catch (const std::bad_alloc&) {
      return IMAGEIO_NO_MEMORY;
    }
  }

  CBufferedFile* stream = job->m_pStream;
  const bool extensions = options->nSubType == 1;
  int x = frames[first].m_nLeft, y = frames[first].m_nTop;
  int result = IMAGEIO_OK;
  CRasterImage work = PrepareGifFrame(frames[first], x, y, screenWidth, screenHeight, &result);
  if (result != IMAGEIO_OK) return result;

  const bool buffer = !stream->IsBuffered();
  if (buffer) stream->BeginBuffer();
  stream->Write(options->nSubType != 0 ? "GIF89a" : "GIF87a", 6);
  // Global table: the first frame's colours, as many as its code size needs
  // (or, for frames of one shared palette, as the largest code size of any
  // frame needs, so that none needs a local table).
  GifColorTable global;
  int g = 1;
  if (!work.IsEmpty()) {
    g = PlanGifImage(work).codeSize;
    if (sharedPalette)
      for (int n = 1; n < count; ++n)
        if (!frames[first + n].m_image.IsEmpty()) g = std::max(g, PlanGifImage(frames[first + n].m_image).codeSize);
    const int d = work.GetBitsPerPixel();
    const int used = std::min(1 << g, 1 << d);
    std::copy(work.GetPalette(), work.GetPalette() + used, global.entries);
  }
  global.count = 1 << g;
  const uint8_t screen[7] = {static_cast<uint8_t>(screenWidth),
                             static_cast<uint8_t>(screenWidth >> 8),
                             static_cast<uint8_t>(screenHeight),
                             static_cast<uint8_t>(screenHeight >> 8),
                             static_cast<uint8_t>(0x80 | ((g - 1) << 4) | (g - 1)),
                             0,
                             0};
  stream->Write(screen, 7);
  WriteColorTable(stream, global.entries, global.count, global.count);
  if (extensions) {
    if (options->nCommentOption == 1) WriteGifComment(stream, job->m_strComment);
    if (options->nCommentOption == 2) WriteGifComment(stream, job->m_strSignature);
    if (job->m_nLoopCount != 0 && count > 1) WriteGifLoopExtension(stream, job->m_nLoopCount);
  }
  for (int n = 0; n < count && result == IMAGEIO_OK; ++n) {
    const CAnimFrame& frame = frames[first + n];
    if (n > 0) {
      x = frame.m_nLeft;
      y = frame.m_nTop;
      work = PrepareGifFrame(frame, x, y, screenWidth, screenHeight, &result);
      if (result != IMAGEIO_OK) break;
    }
    // A later frame with nothing to show (an unchanged frame of an optimised
    // animation, a new empty frame) keeps its place, delay and disposal as
    // one transparent pixel.
    if (work.IsEmpty() && frame.IsEmpty() && n > 0 && extensions && work.Create(1, 1, 8) && work.CreateMask()) {
      std::copy(global.entries, global.entries + std::min(global.count, work.GetPaletteSize()),
                work.GetWritablePalette());
      x = y = 0;
    }
    if (work.IsEmpty()) continue;
    result = WriteGifImage(stream, work, x, y, global, options->nInterlace != 0, extensions, frame.m_nDelay,
                           frame.m_nFlags, job->m_pfnCancel, count < 2 ? job->m_pfnProgress : nullptr);
    if (count > 1 && job->m_pfnProgress) job->m_pfnProgress(n + 1, count);
  }
  stream->WriteByte(kTrailer);
  if (buffer) stream->EndBuffer();
  job->m_nResult = result;
  return result;
}
