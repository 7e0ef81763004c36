#include "browser/BrowserCellPainter.h"

#include <algorithm>

#include "imaging/LayerStack.h"

namespace {
const uint8_t kTopLeft[6 * 6] = {
    255, 255, 255, 254, 253, 252,  //
    255, 254, 253, 250, 247, 245,  //
    255, 253, 255, 255, 255, 255,  //
    255, 251, 255, 255, 255, 255,  //
    254, 248, 255, 255, 255, 255,  //
    253, 245, 255, 255, 255, 255,
};
const uint8_t kTopRight[6 * 8] = {
    252, 253, 254, 255, 255, 255,  //
    245, 247, 250, 253, 254, 255,  //
    230, 236, 243, 249, 253, 255,  //
    209, 219, 232, 243, 251, 255,  //
    184, 201, 219, 236, 248, 254,  //
    163, 184, 209, 230, 245, 253,  //
    148, 173, 201, 226, 243, 253,  //
    140, 167, 197, 224, 243, 253,
};
const uint8_t kBottomLeft[8 * 6] = {
    253, 245, 230, 209, 184, 163, 148, 140,  //
    254, 248, 236, 219, 201, 184, 173, 167,  //
    255, 251, 243, 232, 219, 209, 201, 197,  //
    255, 253, 249, 243, 236, 230, 226, 224,  //
    255, 254, 253, 250, 247, 245, 243, 242,  //
    255, 255, 255, 254, 253, 252, 252, 252,
};
const uint8_t kBottomRight[8 * 8] = {
    255, 255, 140, 167, 197, 224, 243, 253,  //
    255, 255, 148, 173, 201, 226, 243, 253,  //
    140, 148, 163, 184, 209, 230, 245, 253,  //
    167, 173, 184, 201, 219, 236, 248, 254,  //
    197, 201, 209, 219, 232, 243, 251, 255,  //
    224, 226, 230, 236, 243, 249, 253, 255,  //
    242, 243, 245, 247, 250, 253, 254, 255,  //
    252, 252, 252, 253, 254, 255, 255, 255,
};
const uint8_t kRightGreys[6] = {137, 164, 195, 222, 242, 252};

// Copies part of a corner piece unscaled: the piece's pixels from
// (sourceX, sourceY), width x height of them, to (x, y).
void CopyCorner(CELL_BUFFER& buffer, const SHADOW_CORNER& corner, int32_t sourceX, int32_t sourceY, int32_t x,
                int32_t y, int32_t width, int32_t height) {
  for (int32_t row = 0; row < height; ++row)
    for (int32_t col = 0; col < width; ++col) {
      const uint8_t g = corner.pGreys[(sourceY + row) * corner.nWidth + sourceX + col];
      buffer.SetPixel(x + col, y + row, g, g, g);
    }
}
}  // namespace

const SHADOW_CORNER kShadowTopLeft{6, 6, kTopLeft};
const SHADOW_CORNER kShadowTopRight{6, 8, kTopRight};
const SHADOW_CORNER kShadowBottomLeft{8, 6, kBottomLeft};
const SHADOW_CORNER kShadowBottomRight{8, 8, kBottomRight};

void CELL_BUFFER::Reset(int32_t width, int32_t height, uint8_t red, uint8_t green, uint8_t blue) {
  nWidth = std::max(width, 0);
  nHeight = std::max(height, 0);
  rgb.resize(static_cast<size_t>(nWidth) * nHeight * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = red;
    rgb[i + 1] = green;
    rgb[i + 2] = blue;
  }
}

void CELL_BUFFER::FillRect(const Rect& rect, uint8_t red, uint8_t green, uint8_t blue) {
  const int32_t left = std::max(rect.left, 0), right = std::min(rect.right, nWidth);
  const int32_t top = std::max(rect.top, 0), bottom = std::min(rect.bottom, nHeight);
  for (int32_t y = top; y < bottom; ++y) {
    uint8_t* p = &rgb[(static_cast<size_t>(y) * nWidth + left) * 3];
    for (int32_t x = left; x < right; ++x, p += 3) {
      p[0] = red;
      p[1] = green;
      p[2] = blue;
    }
  }
}

void CELL_BUFFER::SetPixel(int32_t x, int32_t y, uint8_t red, uint8_t green, uint8_t blue) {
  if (x < 0 || y < 0 || x >= nWidth || y >= nHeight) return;
  uint8_t* p = &rgb[(static_cast<size_t>(y) * nWidth + x) * 3];
  p[0] = red;
  p[1] = green;
  p[2] = blue;
}

void DrawThumbnailShadow(CELL_BUFFER& buffer, const Rect& picture) {
  const int32_t L = picture.left, T = picture.top, R = picture.right, B = picture.bottom;
  const int32_t W = R - L, H = B - T;
  if (W <= 0 || H <= 0) return;
  auto column = [&](int32_t x, uint8_t g) { buffer.FillRect(Rect{x, T, x + 1, T + H}, g, g, g); };
  auto row = [&](int32_t y, uint8_t g) { buffer.FillRect(Rect{L, y, L + W, y + 1}, g, g, g); };
  column(L - 1, 242);
  row(T - 1, 242);
  column(L - 2, 252);
  row(T - 2, 252);
  for (int i = 0; i < 6; ++i) {
    column(R + i, kRightGreys[i]);
    row(B + i, kRightGreys[i]);
  }
  CopyCorner(buffer, kShadowTopLeft, 0, 0, L - 2, T - 2, std::min(6, W + 2), std::min(6, H + 2));
  CopyCorner(buffer, kShadowTopRight, 0, 0, R, T - 2, 6, std::min(8, H + 2));
  CopyCorner(buffer, kShadowBottomLeft, 0, 0, L - 2, B, std::min(8, W + 2), 6);
  // A picture one pixel wide (or high) starts that direction one pixel
  // later, from the piece's second column (or row), seven pixels long.
  const int32_t x = W >= 2 ? R - 2 : R - 1, sx = W >= 2 ? 0 : 1, w = W >= 2 ? 8 : 7;
  const int32_t y = H >= 2 ? B - 2 : B - 1, sy = H >= 2 ? 0 : 1, h = H >= 2 ? 8 : 7;
  CopyCorner(buffer, kShadowBottomRight, sx, sy, x, y, w, h);
}

void DrawSelectionRings(CELL_BUFFER& buffer, const Rect& p) {
  auto ring = [&](const Rect& r, uint8_t red, uint8_t green, uint8_t blue) {
    if (r.IsEmpty()) return;
    buffer.FillRect(Rect{r.left, r.top, r.right, r.top + 1}, red, green, blue);
    buffer.FillRect(Rect{r.left, r.bottom - 1, r.right, r.bottom}, red, green, blue);
    buffer.FillRect(Rect{r.left, r.top, r.left + 1, r.bottom}, red, green, blue);
    buffer.FillRect(Rect{r.right - 1, r.top, r.right, r.bottom}, red, green, blue);
  };
  ring(p, 0, 0, 255);
  ring(Rect{p.left + 1, p.top + 1, p.right - 1, p.bottom - 1}, 128, 128, 255);
}

void DrawThumbnailPicture(CELL_BUFFER& buffer, const CBrowserItem& item, const Rect& picture,
                          COLORSAMPLEPROC sampler) {
  if (!item.m_pThumbFrames || item.m_pThumbFrames->empty() || picture.IsEmpty()) return;
  const auto& frames = *item.m_pThumbFrames;
  const size_t shown = static_cast<size_t>(std::clamp<int32_t>(item.m_nShownFrame, 0, static_cast<int32_t>(frames.size()) - 1));
  const int32_t width = std::max(item.m_nThumbWidth, 1), height = std::max(item.m_nThumbHeight, 1);
  CLayerStack stack(width, height);
  const CAnimFrame& frame = frames[shown];
  if (!frame.m_image.IsEmpty()) stack.AddImage(frame.m_image, frame.m_nLeft, frame.m_nTop);
  if (item.m_bCut) stack.AddColorRect(255, 255, 255, 100, 0, 0, width, height);
  const Rect clip{std::max(picture.left, 0), std::max(picture.top, 0), std::min(picture.right, buffer.nWidth),
                  std::min(picture.bottom, buffer.nHeight)};
  if (clip.IsEmpty()) return;
  CLayerStackBandComposer composer(stack, picture, clip, sampler);
  if (composer.IsEmpty()) return;
  const Rect& area = composer.GetArea();
  const int64_t rowBytes = static_cast<int64_t>(buffer.nWidth) * 3;
  uint8_t* first = &buffer.rgb[(static_cast<size_t>(area.top) * buffer.nWidth + area.left) * 3];
  composer.ComposeRows(0, area.Height(), first, rowBytes);
}

void DrawInsertionMarker(CELL_BUFFER& buffer, const Rect& cell, int levelBefore, int levelAfter, int steps) {
  const int32_t h = cell.Height();
  const int32_t top = cell.top + h / 8, bottom = cell.bottom - h / 8;
  steps = std::max(steps, 1);
  const uint8_t before = static_cast<uint8_t>(std::clamp(255 - levelBefore * 100 / steps, 0, 255));
  const uint8_t after = static_cast<uint8_t>(std::clamp(255 - levelAfter * 100 / steps, 0, 255));
  buffer.FillRect(Rect{cell.left, top, cell.left + 1, bottom}, before, before, before);
  buffer.FillRect(Rect{cell.right - 1, top, cell.right, bottom}, after, after, after);
}

void DrawCellPixels(CELL_BUFFER& buffer, const CBrowserItem& item, const CELL_DRAWING& drawing,
                    COLORSAMPLEPROC sampler) {
  if (item.HasThumbnail()) {
    DrawThumbnailShadow(buffer, drawing.picture);
    DrawThumbnailPicture(buffer, item, drawing.picture, sampler);
    if (item.m_bSelected) DrawSelectionRings(buffer, drawing.picture);
  }
  if (drawing.bMarker)
    DrawInsertionMarker(buffer, drawing.cell, drawing.nLevelBefore, drawing.nLevelAfter, drawing.nMarkerSteps);
}
