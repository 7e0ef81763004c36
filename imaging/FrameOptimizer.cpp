#include "imaging/FrameOptimizer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/ColorConversion.h"
#include "imaging/ImageCompose.h"
#include "imaging/LayerStack.h"
#include "imaging/PixelAccess.h"
#include "imaging/PixelRect.h"
#include "imaging/SelectionMask.h"

namespace {

CRasterImage To24Bit(const CRasterImage& image) {
  return image.GetBitsPerPixel() == 24 ? image : ConvertTo24Bit(image);
}

int16_t ToPosition(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

// A frame's metadata for a new array: delay, selected and expanded flags,
// flags without the transparency bit; no image, no selection.
CAnimFrame NewFrameFrom(const CAnimFrame& source) {
  CAnimFrame frame;
  frame.m_nDelay = source.m_nDelay;
  frame.m_bSelected = source.m_bSelected;
  frame.m_bExpanded = source.m_bExpanded;
  frame.m_nFlags = static_cast<uint8_t>(source.m_nFlags & 0x1E);
  return frame;
}

// The frame's image and selection as one image; (x, y) receives its canvas
// position.
CRasterImage ComposeFrame(const CAnimFrame& frame, int32_t& x, int32_t& y) {
  int32_t dx = frame.m_rcSelection.left, dy = frame.m_rcSelection.top;
  CRasterImage composed = MergeFrameSelection(dx, frame.m_selection, frame.m_image, dy);
  // A mask of another size than the pixels (left by a resize) means opaque.
  if (composed.HasMask() && !composed.HasValidMask()) composed.RemoveMask();
  x = frame.m_nLeft + dx;
  y = frame.m_nTop + dy;
  return composed;
}

void AddFrameLayers(CLayerStack& stack, const CAnimFrame& frame) {
  if (!frame.m_image.IsEmpty()) stack.AddImage(frame.m_image, frame.m_nLeft, frame.m_nTop);
  if (!frame.m_selection.IsEmpty())
    stack.AddImage(frame.m_selection, frame.m_nLeft + frame.m_rcSelection.left,
                   frame.m_nTop + frame.m_rcSelection.top);
}

// Mask state 1 marks the frame transparent, 2 drops the mask, 3 the image.
void ApplyMaskState(CAnimFrame& frame) {
  switch (frame.m_image.GetMaskState()) {
    case 1:
      frame.m_nFlags |= 1;
      break;
    case 2:
      frame.m_image.RemoveMask();
      break;
    case 3:
      frame.m_image.Free();
      frame.m_image.RemoveMask();
      break;
    default:
      break;
  }
}

// The picture left on screen by the frames that stay: a 24-bit image with an
// 8-bit mask covering the union of their rectangles (inclusive `rect`).
// Composing frame after frame into it gives what a stack of all of them
// gives, and keeps the work per frame independent of the frame count.
struct ScreenPicture {
  CRasterImage image;
  LayerRect rect;
};

// Renders the stack over its bounds into a 24-bit image with an 8-bit mask.
// False when the area is too large to hold.
bool RenderStack(CLayerStack& stack, ScreenPicture& out) {
  out = ScreenPicture{};
  if (stack.GetCount() == 0) return true;
  LayerRect area;
  stack.GetBounds(&area);
  if (area.IsEmpty()) return true;
  const int64_t width = int64_t{area.right} - area.left + 1, height = int64_t{area.bottom} - area.top + 1;
  if (width > 32767 || height > 32767) return false;
  CRasterImage image;
  if (!image.Create(static_cast<int32_t>(width), static_cast<int32_t>(height), 24) || !image.CreateMask())
    return false;
  stack.Render(area, image.GetWritableBits(), image.GetStride(), image.GetWritableMaskBits(),
               image.GetMaskStride());
  out.image = std::move(image);
  out.rect = area;
  return true;
}

// The screen with the frame's layers composed over it.
bool ComposeOnto(const ScreenPicture& screen, const CAnimFrame& frame, int32_t width, int32_t height,
                 ScreenPicture& out) {
  CLayerStack stack(width, height);
  if (!screen.image.IsEmpty()) stack.AddImage(screen.image, screen.rect.left, screen.rect.top);
  AddFrameLayers(stack, frame);
  return RenderStack(stack, out);
}

// The changed pixels of F (at canvas position (px, py)) against the screen:
// one byte per pixel, non-zero where changed. A pixel is unchanged where it
// is transparent, or opaque over an opaque screen pixel of the same colour.
// With `update`, F is also composed onto the screen in the same pass (what a
// stack of the screen under F gives), provided F lies within the screen's
// rectangle; *updated tells whether that was done.
std::vector<uint8_t> ChangeMap(const CRasterImage& f, int32_t px, int32_t py, ScreenPicture& screen, bool update,
                               bool* updated) {
  const int32_t w = f.GetWidth(), h = f.GetHeight();
  std::vector<uint8_t> changed(static_cast<size_t>(w) * h, 1);
  const bool haveScreen = !screen.image.IsEmpty();
  const int32_t sw = haveScreen ? screen.image.GetWidth() : 0, sh = haveScreen ? screen.image.GetHeight() : 0;
  const int32_t ox = px - screen.rect.left, oy = py - screen.rect.top;  // F's origin on the screen image
  const bool inside = haveScreen && ox >= 0 && oy >= 0 && int64_t{ox} + w <= sw && int64_t{oy} + h <= sh;
  *updated = update && inside;
  uint8_t* bits = nullptr;
  uint8_t* alpha = nullptr;
  int64_t stride = 0, alphaStride = 0;
  if (*updated) {
    bits = screen.image.GetWritableBits();
    alpha = screen.image.GetWritableMaskBits();
  } else if (haveScreen) {
    bits = const_cast<uint8_t*>(screen.image.GetBits());
    alpha = const_cast<uint8_t*>(screen.image.GetMaskBits());
  }
  if (haveScreen) {
    stride = screen.image.GetStride();
    alphaStride = screen.image.GetMaskStride();
  }
  CImageLayer layer(f, px, py);
  layer.Begin();
  std::vector<uint8_t> argb(static_cast<size_t>(w) * 4);
  for (int32_t y = 0; y < h; ++y) {
    layer.ReadSpan(px, py + y, w, argb.data());
    const int32_t sy = oy + y;
    const bool rowOnScreen = haveScreen && sy >= 0 && sy < sh;
    uint8_t* srow = rowOnScreen ? bits + sy * stride : nullptr;
    uint8_t* arow = rowOnScreen ? alpha + sy * alphaStride : nullptr;
    uint8_t* out = &changed[static_cast<size_t>(y) * w];
    for (int32_t x = 0; x < w; ++x) {
      uint8_t* p = &argb[static_cast<size_t>(x) * 4];
      if (p[0] == 0) {
        out[x] = 0;
        continue;
      }
      const int32_t sx = ox + x;
      if (!srow || sx < 0 || sx >= sw) continue;
      uint8_t* s = srow + 3 * static_cast<int64_t>(sx);
      if (p[0] == 255 && arow[sx] == 255 && s[0] == p[1] && s[1] == p[2] && s[2] == p[3]) out[x] = 0;
      if (*updated) {
        // An opaque pixel covers the screen (what the over rule gives too).
        if (p[0] != 255) BlendUnder(p[0], p + 1, arow[sx], s);
        arow[sx] = p[0];
        s[0] = p[1], s[1] = p[2], s[2] = p[3];
      }
    }
  }
  layer.End();
  return changed;
}

// Gives the image a mask (all opaque when it had none) and makes every pixel
// transparent whose entry in the change map (of the image's size, `stride`
// bytes a row from `changed`) is zero.
bool ClearUnchanged(CRasterImage& image, const uint8_t* changed, int32_t stride) {
  const bool alpha = image.GetBitsPerPixel() == 24;
  if (!image.HasValidMask()) {
    if (!image.CreateMask()) return false;
    uint8_t* m = image.GetWritableMaskBits();
    std::memset(m, 0xFF, static_cast<size_t>(image.GetMaskStride()) * image.GetHeight());
  }
  uint8_t* mask = image.GetWritableMaskBits();
  for (int32_t y = 0; y < image.GetHeight(); ++y) {
    uint8_t* row = mask + static_cast<int64_t>(y) * image.GetMaskStride();
    const uint8_t* c = changed + static_cast<int64_t>(y) * stride;
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      if (c[x]) continue;
      if (alpha)
        row[x] = 0;
      else
        SetPixel1(row, static_cast<int16_t>(x), 0);
    }
  }
  // Bits past the width of a 1-bit mask stay as they were; the mask state
  // only looks at the pixels.
  return true;
}

// The GIF LZW coder's parse of an index stream, enough to count the bits it
// writes: the same table (cleared as soon as its last code is given out; the
// writer may keep a full table in the last stretch of a large image, which
// this count leaves out) and
// the same code widths as the writer's coder. Ask whether the current string
// extends by a pixel, then Add the pixel.
class GifCodeCounter {
 public:
  explicit GifCodeCounter(int codeSize)
      : m_clear(1 << codeSize), m_initialWidth(codeSize + 1), m_table(kSlots) {
    Reset();
    m_bits += m_width;  // the leading clear code
  }
  bool Started() const { return m_started; }
  bool Extends(int pixel) const { return m_table[Find(pixel)].code != 0; }
  void Add(int pixel) {
    if (!m_started) {
      m_prefix = pixel;
      m_started = true;
      return;
    }
    Slot& slot = m_table[Find(pixel)];
    if (slot.code != 0) {
      m_prefix = slot.code;
      return;
    }
    slot = Slot{static_cast<uint16_t>(m_next), static_cast<uint16_t>(m_prefix), static_cast<uint8_t>(pixel)};
    m_used.push_back(static_cast<uint16_t>(&slot - m_table.data()));
    m_bits += m_width;
    m_prefix = pixel;
    if (++m_next > m_limit) {
      if (++m_width > 12) {
        m_bits += 12;
        Reset();
      } else {
        m_limit = m_width == 12 ? 4095 : m_limit << 1;
      }
    }
  }
  // Bits of the whole image data: the last string and the end code included.
  int64_t Finish() const { return m_bits + (m_started ? 2 * m_width : m_width); }

 private:
  struct Slot {
    uint16_t code, prefix;
    uint8_t pixel;
  };
  static constexpr int kSlots = 16384;
  size_t Find(int pixel) const {
    const uint32_t key = (static_cast<uint32_t>(m_prefix) << 8) | static_cast<uint32_t>(pixel);
    size_t h = (key * 2654435761u) >> 18;
    for (;;) {
      const Slot& s = m_table[h];
      if (s.code == 0 || (s.prefix == m_prefix && s.pixel == pixel)) return h;
      h = (h + 1) & (kSlots - 1);
    }
  }
  void Reset() {
    for (const uint16_t i : m_used) m_table[i] = Slot{};
    m_used.clear();
    m_width = m_initialWidth;
    m_limit = 1 << m_width;
    m_next = m_clear + 2;
  }
  int m_clear, m_initialWidth;
  int m_width = 0, m_limit = 0, m_next = 0, m_prefix = 0;
  bool m_started = false;
  int64_t m_bits = 0;
  std::vector<Slot> m_table;
  std::vector<uint16_t> m_used;
};

int GifCodeSize(const CRasterImage& image) {
  int highest = 1;
  const int entries = 1 << image.GetBitsPerPixel();
  const PIXELGETPROC get = GetPixelGetter(image.GetBitsPerPixel());
  for (int32_t y = 0; y < image.GetHeight(); ++y)
    for (int32_t x = 0; x < image.GetWidth(); ++x) highest = std::max(highest, get(image.GetRow(y), static_cast<int16_t>(x)));
  int size = 2;
  while ((1 << size) <= std::min(highest + 1, entries - 1) && size < 8) ++size;
  return size;
}

// For an indexed frame in transparent mode: every unchanged pixel may show
// either its own colour or nothing (the picture beneath is the same). Six
// ways are counted as the GIF coder would code them: the frame as cropped;
// every unchanged pixel transparent; a choice pixel by pixel that walks the
// pixels as the coder does and keeps the current string going with whichever
// of the two the coder's table already has (transparent first), else starts
// the next string transparent; and three ways by runs (see below). The frame
// becomes the cheapest, so it costs at most what the cropped frame does
// (where most pixels move, transparency is left out).
// `changed` covers the image's pixels with rows of `stride` bytes.
bool ChooseTransparentPixels(CRasterImage& image, const uint8_t* changed, int32_t stride) {
  const int32_t width = image.GetWidth(), height = image.GetHeight();
  const int bpp = image.GetBitsPerPixel();
  const PIXELGETPROC get = GetPixelGetter(bpp);
  const bool ownMask = image.HasValidMask();
  // The transparent index must not be a colour of a changed pixel; among
  // those free, the colour most unchanged pixels have is best: those pixels
  // then read the same whether they show their colour or nothing.
  std::vector<int64_t> changedUse(static_cast<size_t>(1) << bpp, 0), unchangedUse(changedUse.size(), 0);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = image.GetRow(y);
    const uint8_t* m = ownMask ? image.GetMaskRow(y) : nullptr;
    const uint8_t* c = changed + static_cast<int64_t>(y) * stride;
    for (int32_t x = 0; x < width; ++x) {
      if (m && !GetPixel1(m, static_cast<int16_t>(x))) continue;
      ++(c[x] ? changedUse : unchangedUse)[static_cast<size_t>(get(row, static_cast<int16_t>(x)))];
    }
  }
  int transparent = -1;
  for (size_t i = 0; i < changedUse.size(); ++i)
    if (changedUse[i] == 0 && (transparent < 0 || unchangedUse[i] > unchangedUse[static_cast<size_t>(transparent)]))
      transparent = static_cast<int>(i);
  // Without an index to spare, transparency would cost a colour: the frame
  // stays as cropped, which looks the same.
  if (transparent < 0) return true;
  int codeSize = GifCodeSize(image);
  while ((1 << codeSize) <= transparent) ++codeSize;
  // Three ways to write the frame, counted as the coder would code them: as
  // cropped; every unchanged pixel transparent; and the choice pixel by pixel.
  GifCodeCounter opaque(codeSize), allClear(codeSize), chosen(codeSize);
  std::vector<uint8_t> keep(static_cast<size_t>(width) * height, 1);  // the choice: 1 where the pixel stays opaque
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = image.GetRow(y);
    const uint8_t* m = ownMask ? image.GetMaskRow(y) : nullptr;
    const uint8_t* c = changed + static_cast<int64_t>(y) * stride;
    for (int32_t x = 0; x < width; ++x) {
      const bool clear = m && !GetPixel1(m, static_cast<int16_t>(x));
      const int own = clear ? transparent : get(row, static_cast<int16_t>(x));
      opaque.Add(own);
      allClear.Add(c[x] ? own : transparent);
      int pixel = own;
      if (!c[x] && !clear && (!chosen.Started() || chosen.Extends(transparent) || !chosen.Extends(own))) {
        pixel = transparent;
        keep[static_cast<size_t>(y) * width + x] = 0;
      }
      chosen.Add(pixel);
    }
  }
  // More ways, by runs. Runs of one value are what the coder's strings grow
  // from, so where shapes move over a still background (text, sprites) an
  // unchanged pixel should join the run beside it: it keeps its colour where
  // that continues the run before it or, looking ahead, where it and the
  // unchanged pixels after it all have the colour of the next changed pixel;
  // else it is transparent.
  {
    const size_t n = static_cast<size_t>(width) * height;
    std::vector<int16_t> own(n);
    std::vector<uint8_t> free(n);
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* row = image.GetRow(y);
      const uint8_t* m = ownMask ? image.GetMaskRow(y) : nullptr;
      const uint8_t* c = changed + static_cast<int64_t>(y) * stride;
      for (int32_t x = 0; x < width; ++x) {
        const size_t i = static_cast<size_t>(y) * width + x;
        const bool clear = m && !GetPixel1(m, static_cast<int16_t>(x));
        own[i] = static_cast<int16_t>(clear ? transparent : get(row, static_cast<int16_t>(x)));
        // A free pixel of the transparent index's own colour always goes
        // transparent, so that index stays unused by opaque pixels.
        // 0: fixed (changed, or transparent already); 1: free; 2: free but
        // of the transparent index's colour.
        free[i] = c[x] || clear ? 0 : own[i] == transparent ? 2 : 1;
      }
    }
    // joinsNext[i]: pixel i and every free pixel after it up to the next
    // fixed pixel share that fixed pixel's colour.
    std::vector<uint8_t> joinsNext(n, 0);
    int nextFixed = -1;
    for (size_t k = n; k-- > 0;) {
      if (free[k] != 1) {
        nextFixed = free[k] == 2 ? transparent : own[k];
        continue;
      }
      const bool sameAsAfter = k + 1 == n || free[k + 1] != 1 || joinsNext[k + 1];
      joinsNext[k] = sameAsAfter && own[k] == nextFixed;
    }
    // oneColour[i]: the stretch of free pixels that pixel i lies in (from
    // one fixed pixel to the next, in the coder's order) has one colour.
    std::vector<uint8_t> oneColour(n, 0);
    for (size_t k = 0; k < n;) {
      if (free[k] == 0) {
        ++k;
        continue;
      }
      size_t end = k;
      bool single = true;
      while (end < n && free[end] != 0) {
        single = single && own[end] == own[k];
        ++end;
      }
      std::fill(oneColour.begin() + static_cast<std::ptrdiff_t>(k), oneColour.begin() + static_cast<std::ptrdiff_t>(end),
                single ? 1 : 0);
      k = end;
    }
    // Four variants: joining the run before, the run ahead, or either; and
    // keeping every stretch of free pixels of one colour (a run of its own)
    // while stretches of several colours go transparent.
    for (int v = 1; v <= 4; ++v) {
      GifCodeCounter runs(codeSize);
      std::vector<uint8_t> runKeep(n, 1);
      int previous = -1;
      for (size_t i = 0; i < n; ++i) {
        int pixel = own[i];
        if (free[i] == 2) {
          runKeep[i] = 0;
        } else if (free[i] == 1) {
          const bool join = (v & 1) && pixel == previous;
          const bool ahead = (v & 2) && joinsNext[i];
          const bool alone = v == 4 && oneColour[i];
          if (v == 4 ? !alone : (!join && !ahead)) {
            pixel = transparent;
            runKeep[i] = 0;
          }
        }
        runs.Add(pixel);
        previous = pixel;
      }
      if (runs.Finish() < chosen.Finish()) {
        chosen = runs;
        keep = std::move(runKeep);
      }
    }
  }
  const int64_t asCropped = opaque.Finish(), cleared = allClear.Finish(), mixed = chosen.Finish();
  if (asCropped <= std::min(cleared, mixed)) return true;  // the cropped frame as it is
  if (cleared <= mixed) return ClearUnchanged(image, changed, stride);
  if (!ownMask) {
    if (!image.CreateMask()) return false;
    std::memset(image.GetWritableMaskBits(), 0xFF, static_cast<size_t>(image.GetMaskStride()) * height);
  }
  uint8_t* mask = image.GetWritableMaskBits();
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* mrow = mask + static_cast<int64_t>(y) * image.GetMaskStride();
    for (int32_t x = 0; x < width; ++x)
      if (!keep[static_cast<size_t>(y) * width + x]) SetPixel1(mrow, static_cast<int16_t>(x), 0);
  }
  return true;
}

bool Cancelled(CANCELPROC cancel) { return cancel && cancel(); }

}  // namespace

CRasterImage MergeFrameSelection(int32_t& x, const CRasterImage& overlay, const CRasterImage& base, int32_t& y) {
  if (base.IsEmpty() && overlay.IsEmpty()) return {};
  if (base.IsEmpty()) return overlay;
  if (overlay.IsEmpty()) {
    x = y = 0;
    return base;
  }
  CRasterImage composed = ComposeImages(base, overlay, x, y);
  if (composed.IsEmpty() && base.GetBitsPerPixel() != overlay.GetBitsPerPixel())
    composed = ComposeImages(To24Bit(base), To24Bit(overlay), x, y);
  x = std::min(x, 0);
  y = std::min(y, 0);
  return composed;
}

std::unique_ptr<CAnimFrame[]> ReduceFramesToPalette(const CAnimFrame* frames, int count, const RGBQUAD* palette,
                                                    int colorCount, int ditherType, CANCELPROC cancel,
                                                    PROGRESSPROC progress) {
  if (count < 0 || (count > 0 && !frames)) return nullptr;
  try {
    auto result = std::make_unique<CAnimFrame[]>(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      const CAnimFrame& source = frames[i];
      CAnimFrame& frame = result[i];
      frame = source;
      frame.m_image.Free();
      frame.m_image.RemoveMask();
      frame.m_selection = CRasterImage{};
      frame.m_nLeft = frame.m_nTop = 0;
      frame.m_rcSelection = Rect{};
      frame.m_bBusy = 0;
      // An empty frame (an unchanged frame of an optimised animation) stays
      // empty: there is nothing to reduce.
      if (source.IsEmpty()) continue;
      int32_t x = 0, y = 0;
      const CRasterImage composed = ComposeFrame(source, x, y);
      if (composed.IsEmpty()) return nullptr;
      int status = IMAGEIO_OK;
      CRasterImage reduced = ReduceToPalette(composed, palette, colorCount, ditherType, &status, cancel, progress);
      if (reduced.IsEmpty()) return nullptr;
      frame.m_image = std::move(reduced);
      frame.m_nLeft = ToPosition(x);
      frame.m_nTop = ToPosition(y);
    }
    return result;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<CAnimFrame[]> OptimizeFrameDifferences(int32_t canvasHeight, const CAnimFrame* frames, int count,
                                                       int32_t canvasWidth, int mode, CANCELPROC cancel,
                                                       PROGRESSPROC progress) {
  if (count < 0 || (count > 0 && !frames)) return nullptr;
  try {
    auto result = std::make_unique<CAnimFrame[]>(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) result[i] = NewFrameFrom(frames[i]);
    ScreenPicture before;
    bool first = true;
    for (int i = 0; i < count; ++i) {
      const CAnimFrame& source = frames[i];
      CAnimFrame& frame = result[i];
      if (!source.IsEmpty()) {
        bool screenUpdated = false;
        int32_t px = 0, py = 0;
        CRasterImage f = ComposeFrame(source, px, py);
        if (f.IsEmpty()) return nullptr;
        if (first) {
          // What is on screen before the first frame is nothing: it goes
          // whole.
          frame.m_image = std::move(f);
          frame.m_nLeft = ToPosition(px);
          frame.m_nTop = ToPosition(py);
          first = false;
        } else {
          // A frame that stays and has no floating selection is composed onto
          // the screen while it is compared.
          const bool update = source.StaysUnderNext() && source.m_selection.IsEmpty();
          const std::vector<uint8_t> changed = ChangeMap(f, px, py, before, update, &screenUpdated);
          Rect bounds;
          if (GetNonZeroBounds(changed.data(), f.GetWidth(), f.GetHeight(), f.GetWidth(), 8, &bounds)) {
            const bool whole = bounds == Rect{0, 0, f.GetWidth(), f.GetHeight()};
            CRasterImage image = whole ? f : CropImage(f, bounds);
            if (image.IsEmpty()) return nullptr;
            const uint8_t* changedAt = changed.data() + static_cast<int64_t>(bounds.top) * f.GetWidth() + bounds.left;
            if (mode == OPTIMIZE_TRANSPARENT &&
                !(image.GetBitsPerPixel() <= 8 ? ChooseTransparentPixels(image, changedAt, f.GetWidth())
                                               : ClearUnchanged(image, changedAt, f.GetWidth())))
              return nullptr;
            frame.m_image = std::move(image);
            ApplyMaskState(frame);
            if (!frame.m_image.IsEmpty()) {
              frame.m_nLeft = ToPosition(int64_t{px} + bounds.left);
              frame.m_nTop = ToPosition(int64_t{py} + bounds.top);
            }
          }
        }
        if (source.StaysUnderNext() && !screenUpdated) {
          ScreenPicture next;
          if (!ComposeOnto(before, source, canvasWidth, canvasHeight, next)) return nullptr;
          before = std::move(next);
        }
      }
      if (Cancelled(cancel)) return nullptr;
      if (progress) progress(i + 1, count);
    }
    return result;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<CAnimFrame[]> ExpandFrames(const CAnimFrame* frames, int count, int32_t canvasWidth,
                                           int32_t canvasHeight, CANCELPROC cancel, PROGRESSPROC progress) {
  if (count < 0 || (count > 0 && !frames)) return nullptr;
  try {
    auto result = std::make_unique<CAnimFrame[]>(static_cast<size_t>(count));
    ScreenPicture staying;
    for (int i = 0; i < count; ++i) {
      const CAnimFrame& source = frames[i];
      CAnimFrame& frame = result[i];
      ScreenPicture shown;
      if (!ComposeOnto(staying, source, canvasWidth, canvasHeight, shown)) return nullptr;
      frame = NewFrameFrom(source);
      Rect bounds;
      if (!shown.image.IsEmpty() &&
          GetNonZeroBounds(shown.image.GetMaskBits(), shown.image.GetWidth(), shown.image.GetHeight(),
                           shown.image.GetMaskStride(), 8, &bounds)) {
        const bool whole = bounds == Rect{0, 0, shown.image.GetWidth(), shown.image.GetHeight()};
        frame.m_image = whole ? shown.image : CropImage(shown.image, bounds);
        if (frame.m_image.IsEmpty()) return nullptr;
        frame.m_nLeft = ToPosition(int64_t{shown.rect.left} + bounds.left);
        frame.m_nTop = ToPosition(int64_t{shown.rect.top} + bounds.top);
        ApplyMaskState(frame);
        if (frame.m_image.IsEmpty()) frame.m_nLeft = frame.m_nTop = 0;
      }
      if (source.StaysUnderNext()) staying = std::move(shown);
      if (Cancelled(cancel)) return nullptr;
      if (progress) progress(i + 1, count);
    }
    return result;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
