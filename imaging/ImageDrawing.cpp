#include "imaging/ImageDrawing.h"

#include <algorithm>

#include "imaging/DisplayOptions.h"
#include "imaging/PixelAccess.h"

namespace {

RGBQUAD g_checker1 = MakeRGBQuad(192, 192, 255);
RGBQUAD g_checker2 = MakeRGBQuad(255, 255, 255);
RGBQUAD g_solid = MakeRGBQuad(255, 255, 255);

int Sample(const RGBQUAD& c, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = c.rgbRed;
  *g = c.rgbGreen;
  *b = c.rgbBlue;
  return 255;
}

Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

}  // namespace

const uint8_t kThresholdMatrix[16] = {0, 38, 10, 45, 25, 12, 35, 22, 6, 44, 3, 43, 32, 19, 28, 16};

int CheckerboardBackground(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) {
  return Sample(((x ^ y) & 16) ? g_checker2 : g_checker1, red, green, blue);
}

int SolidBackground(int, int, uint8_t* red, uint8_t* green, uint8_t* blue) {
  return Sample(g_solid, red, green, blue);
}

COLORSAMPLEPROC SelectBackgroundSampler() {
  DISPLAY_OPTIONS options;
  GetDisplayOptions(options);
  return SelectBackgroundSampler(options);
}

COLORSAMPLEPROC SelectBackgroundSampler(const DISPLAY_OPTIONS& options) {
  switch (options.nTransparency) {
    case TRANSPARENCY_SOLID:
      g_solid = options.solidColor;
      return &SolidBackground;
    case TRANSPARENCY_WINDOW:
      g_solid = options.windowColor;
      return &SolidBackground;
    default:
      g_checker1 = options.checkerColor1;
      g_checker2 = options.checkerColor2;
      return &CheckerboardBackground;
  }
}

uint8_t DitherToDisplayPalette(int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
  const int t = kThresholdMatrix[(x & 3) + 4 * (y & 3)];
  auto level = [t](int v) { return v / 51 + (t < v % 51 ? 1 : 0); };
  return static_cast<uint8_t>(36 * level(red) + 6 * level(green) + level(blue));
}

RGBQUAD DisplayPaletteColor(int index) {
  index = std::clamp(index, 0, 215);
  return MakeRGBQuad(static_cast<uint8_t>(51 * (index / 36)), static_cast<uint8_t>(51 * (index / 6 % 6)),
                     static_cast<uint8_t>(51 * (index % 6)));
}

CImageBandComposer::CImageBandComposer(const CRasterImage& image, const Rect& drawing, const Rect& target,
                                       const Rect& source, const Rect& clip, COLORSAMPLEPROC sampler,
                                       bool eightBitDevice)
    : m_image(image), m_drawing(drawing), m_target(target), m_source(source), m_eightBit(eightBitDevice) {
  m_sampler = sampler ? sampler : SelectBackgroundSampler();
  m_area = Intersect(clip, drawing);
  // The source must lie within the image, or nothing is read from it.
  const Rect bounds{0, 0, image.GetWidth(), image.GetHeight()};
  if (clip.IsEmpty() || drawing.IsEmpty() || m_area.IsEmpty() || source.IsEmpty() || target.IsEmpty() ||
      image.IsEmpty() || Intersect(source, bounds) != source) {
    m_area = Rect{};
    return;
  }
  m_sourceX.resize(static_cast<size_t>(m_area.Width()));
  for (int32_t i = 0; i < m_area.Width(); ++i) {
    const int64_t rx = int64_t{m_area.left} - m_drawing.left + i;
    if (rx < m_target.left || rx >= m_target.right) {
      m_sourceX[static_cast<size_t>(i)] = -1;
      continue;
    }
    m_sourceX[static_cast<size_t>(i)] =
        static_cast<int32_t>((rx - m_target.left) * m_source.Width() / m_target.Width() + m_source.left);
  }
}

void CImageBandComposer::ComposeRows(int first, int count, uint8_t* rgb, int64_t rowBytes) const {
  if (IsEmpty()) return;
  for (int r = 0; r < count; ++r) {
    const int row = first + r;
    if (row < 0 || row >= m_area.Height()) continue;
    ComposeRow(row, rgb + r * rowBytes);
  }
}

void CImageBandComposer::ComposeRow(int row, uint8_t* out) const {
  const int32_t ry = m_area.top - m_drawing.top + row;
  const bool rowInside = ry >= m_target.top && ry < m_target.bottom;
  int32_t sy = 0;
  if (rowInside)
    sy = static_cast<int32_t>((int64_t{ry} - m_target.top) * m_source.Height() / m_target.Height() + m_source.top);
  const int bpp = m_image.GetBitsPerPixel();
  const uint8_t* src = rowInside ? m_image.GetRow(sy) : nullptr;
  const bool masked = rowInside && m_image.HasValidMask();
  const uint8_t* mask = masked ? m_image.GetMaskRow(sy) : nullptr;
  const RGBQUAD* palette = m_image.GetPalette();
  const PIXELGETPROC get = GetPixelGetter(bpp);

  const int32_t width = m_area.Width();
  const int32_t rx0 = m_area.left - m_drawing.left;
  for (int32_t i = 0; i < width; ++i) {
    const int32_t rx = rx0 + i;
    const int32_t sx = m_sourceX[static_cast<size_t>(i)];
    uint8_t r, g, b;
    if (!rowInside || sx < 0) {
      m_sampler(rx, ry, &r, &g, &b);
    } else if (bpp == 24) {
      const uint8_t* p = src + 3 * sx;
      const int alpha = mask ? mask[sx] : 255;
      if (alpha == 255) {
        r = p[0], g = p[1], b = p[2];
      } else {
        uint8_t sr, sg, sb;
        m_sampler(rx, ry, &sr, &sg, &sb);
        if (alpha == 0) {
          r = sr, g = sg, b = sb;
        } else {
          const auto a = static_cast<uint8_t>(alpha);
          r = BlendChannel(p[0], sr, a);
          g = BlendChannel(p[1], sg, a);
          b = BlendChannel(p[2], sb, a);
        }
      }
    } else {
      if (mask && !GetPixel1(mask, static_cast<int16_t>(sx))) {
        m_sampler(rx, ry, &r, &g, &b);
      } else {
        const RGBQUAD q = palette[get(src, static_cast<int16_t>(sx))];
        r = q.rgbRed, g = q.rgbGreen, b = q.rgbBlue;
      }
    }
    if (m_eightBit) {
      const RGBQUAD q = DisplayPaletteColor(DitherToDisplayPalette(rx, ry, r, g, b));
      r = q.rgbRed, g = q.rgbGreen, b = q.rgbBlue;
    }
    out[3 * i] = r;
    out[3 * i + 1] = g;
    out[3 * i + 2] = b;
  }
}

namespace {

// The colour shown for a composed pixel (alpha a) over the sampler at
// (rx, ry): the sampler's colour, the pixel's, or the blend of both.
inline void OverSampler(COLORSAMPLEPROC sampler, int32_t rx, int32_t ry, uint8_t a, uint8_t& r, uint8_t& g,
                        uint8_t& b) {
  if (a == 255) return;
  uint8_t sr, sg, sb;
  sampler(rx, ry, &sr, &sg, &sb);
  if (a == 0) {
    r = sr, g = sg, b = sb;
    return;
  }
  r = BlendChannel(r, sr, a);
  g = BlendChannel(g, sg, a);
  b = BlendChannel(b, sb, a);
}

inline uint8_t OverWhite(uint8_t c, uint8_t a) { return static_cast<uint8_t>((a * (c - 255) + 65025) / 255); }

}  // namespace

CLayerStackBandComposer::CLayerStackBandComposer(CLayerStack& stack, const Rect& target, const Rect& clip,
                                                 COLORSAMPLEPROC sampler, bool eightBitDevice)
    : m_stack(stack), m_target(target), m_eightBit(eightBitDevice) {
  m_sampler = sampler ? sampler : SelectBackgroundSampler();
  stack.GetSize(&m_canvasWidth, &m_canvasHeight);
  m_area = Intersect(clip, target);
  if (clip.IsEmpty() || target.IsEmpty() || m_area.IsEmpty() || m_canvasWidth <= 0 || m_canvasHeight <= 0) {
    m_area = Rect{};
    return;
  }
  const int32_t width = m_area.Width();
  m_canvasX.resize(static_cast<size_t>(width));
  for (int32_t t = 0; t < width; ++t)
    m_canvasX[static_cast<size_t>(t)] = static_cast<int32_t>((int64_t{m_area.left} - target.left + t) *
                                                             m_canvasWidth / target.Width());
  // Rows of canvas pixels are composed as spans unless the area skips most
  // of them (a strong reduction), where single lookups are cheaper.
  const int32_t span = m_canvasX.back() - m_canvasX.front() + 1;
  m_readSpans = span <= 2 * width;
  if (m_readSpans) {
    m_spanLeft = m_canvasX.front();
    m_spanColor.resize(static_cast<size_t>(span) * 3);
    m_spanAlpha.resize(static_cast<size_t>(span));
  } else {
    m_rendering = m_stack.BeginRender();
  }
}

CLayerStackBandComposer::~CLayerStackBandComposer() {
  if (m_rendering) m_stack.EndRender();
}

void CLayerStackBandComposer::ComposeRows(int first, int count, uint8_t* rgb, int64_t rowBytes) {
  if (IsEmpty()) return;
  for (int r = 0; r < count; ++r) {
    const int row = first + r;
    if (row < 0 || row >= m_area.Height()) continue;
    ComposeRow(row, rgb + r * rowBytes);
  }
}

void CLayerStackBandComposer::ComposeRow(int row, uint8_t* out) {
  const int32_t ry = m_area.top - m_target.top + row;
  const auto cy = static_cast<int32_t>(int64_t{ry} * m_canvasHeight / m_target.Height());
  if (m_readSpans && cy != m_spanRow) {
    const auto span = static_cast<int32_t>(m_spanAlpha.size());
    m_stack.Render(LayerRect{m_spanLeft, cy, m_spanLeft + span - 1, cy}, m_spanColor.data(), span * 3,
                   m_spanAlpha.data(), span);
    m_spanRow = cy;
  }
  const int32_t width = m_area.Width();
  const int32_t rx0 = m_area.left - m_target.left;
  for (int32_t t = 0; t < width; ++t) {
    const int32_t rx = rx0 + t;
    const int32_t cx = m_canvasX[static_cast<size_t>(t)];
    uint8_t a, r, g, b;
    if (m_readSpans) {
      const size_t i = static_cast<size_t>(cx - m_spanLeft);
      a = m_spanAlpha[i];
      r = m_spanColor[3 * i], g = m_spanColor[3 * i + 1], b = m_spanColor[3 * i + 2];
    } else {
      m_stack.GetPixel(cx, cy, a, r, g, b);
    }
    OverSampler(m_sampler, rx, ry, a, r, g, b);
    if (m_eightBit) {
      const RGBQUAD q = DisplayPaletteColor(DitherToDisplayPalette(rx, ry, r, g, b));
      r = q.rgbRed, g = q.rgbGreen, b = q.rgbBlue;
    }
    out[3 * t] = r;
    out[3 * t + 1] = g;
    out[3 * t + 2] = b;
  }
}

CStretchedStackComposer::CStretchedStackComposer(CLayerStack& stack, const Rect& target, const Rect& clip)
    : m_stack(stack), m_target(target) {
  stack.GetSize(&m_canvasWidth, &m_canvasHeight);
  const Rect area = Intersect(clip, target);
  if (clip.IsEmpty() || target.IsEmpty() || area.IsEmpty() || m_canvasWidth <= 0 || m_canvasHeight <= 0) return;
  const int64_t w = m_canvasWidth, h = m_canvasHeight, tw = target.Width(), th = target.Height();
  const int64_t left = (int64_t{area.left} - target.left) * w / tw;
  const int64_t right = ((int64_t{area.right} - target.left) * w + tw - 1) / tw;
  const int64_t top = (int64_t{area.top} - target.top) * h / th;
  const int64_t bottom = ((int64_t{area.bottom} - target.top) * h + th - 1) / th;
  m_source = Rect{static_cast<int32_t>(std::clamp<int64_t>(left, 0, w)),
                  static_cast<int32_t>(std::clamp<int64_t>(top, 0, h)),
                  static_cast<int32_t>(std::clamp<int64_t>(right, 0, w)),
                  static_cast<int32_t>(std::clamp<int64_t>(bottom, 0, h))};
}

void CStretchedStackComposer::ComposeRows(int32_t first, int32_t count, uint8_t* rgb, int64_t rowBytes) {
  first = std::max(first, m_source.top);
  count = std::min(count, m_source.bottom - first);
  if (IsEmpty() || count <= 0) return;
  const int32_t width = m_source.Width();
  std::vector<uint8_t> alpha(static_cast<size_t>(width) * count);
  m_stack.Render(LayerRect{m_source.left, first, m_source.right - 1, first + count - 1}, rgb,
                 static_cast<int32_t>(rowBytes), alpha.data(), width);
  for (int32_t y = 0; y < count; ++y) {
    uint8_t* row = rgb + y * rowBytes;
    const uint8_t* a = &alpha[static_cast<size_t>(y) * width];
    for (int32_t x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) row[3 * x + c] = OverWhite(row[3 * x + c], a[x]);
  }
}

Rect CStretchedStackComposer::GetBandDestination(int32_t first, int32_t count) const {
  if (IsEmpty()) return {};
  const int64_t w = m_canvasWidth, h = m_canvasHeight, tw = m_target.Width(), th = m_target.Height();
  const int64_t x = m_target.left + m_source.left * tw / w;
  const int64_t y = m_target.top + first * th / h;
  const int64_t width = (m_source.Width() * tw + w - 1) / w;
  const int64_t height = (int64_t{count} * th + h - 1) / h;
  return Rect{static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(x + width),
              static_cast<int32_t>(y + height)};
}
