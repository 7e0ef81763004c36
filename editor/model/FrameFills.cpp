#include "editor/model/FrameFills.h"

#include <algorithm>

#include "imaging/ColorConversion.h"
#include "imaging/ImageCompose.h"
#include "imaging/ImageFill.h"
#include "imaging/PaletteFunctions.h"

namespace {

CAnimFrame* FrameAt(std::vector<CAnimFrame>& frames, int current) {
  if (current < 0 || current >= static_cast<int>(frames.size())) return nullptr;
  return &frames[static_cast<std::size_t>(current)];
}

// The pattern sampled in canvas coordinates: PatternFill asks for the
// selection's own pixels, so the selection's place on the canvas is added.
thread_local int32_t t_patternDx = 0, t_patternDy = 0;

int SamplePatternOnCanvas(int x, int y, uint8_t* red, uint8_t* green, uint8_t* blue) {
  return SamplePattern(x + t_patternDx, y + t_patternDy, red, green, blue);
}

}  // namespace

bool CanFillWithPattern(const std::vector<CAnimFrame>& frames, int current) {
  if (current < 0 || current >= static_cast<int>(frames.size()) || !HasPattern()) return false;
  const CRasterImage& selection = frames[static_cast<std::size_t>(current)].m_selection;
  return !selection.IsEmpty() && (selection.GetBitsPerPixel() == 24 || selection.IsGrayscale());
}

FRAME_EDIT_RESULT FillSelectionWithPattern(std::vector<CAnimFrame>& frames, int current) {
  FRAME_EDIT_RESULT result;
  if (!CanFillWithPattern(frames, current)) return result;
  CAnimFrame& frame = frames[static_cast<std::size_t>(current)];
  t_patternDx = int32_t{frame.m_nLeft} + frame.m_rcSelection.left;
  t_patternDy = int32_t{frame.m_nTop} + frame.m_rcSelection.top;
  CRasterImage filled = PatternFill(frame.m_selection, &SamplePatternOnCanvas);
  if (filled.IsEmpty()) return result;
  frame.m_selection = std::move(filled);
  result.changed = true;
  result.label = "Fill With Pattern";
  return result;
}

CRasterImage FillColorSource(const CAnimFrame& frame) {
  if (frame.m_selection.IsEmpty()) return CRasterImage();
  if (frame.m_image.IsEmpty()) return frame.m_selection;
  CRasterImage merged =
      ComposeImages(frame.m_image, frame.m_selection, frame.m_rcSelection.left, frame.m_rcSelection.top);
  return merged.IsEmpty() ? frame.m_selection : merged;
}

FRAME_EDIT_RESULT FillSelectionWithColor(std::vector<CAnimFrame>& frames, int current, RGBQUAD color) {
  FRAME_EDIT_RESULT result;
  CAnimFrame* frame = FrameAt(frames, current);
  if (!frame || frame->m_selection.IsEmpty()) return result;
  CRasterImage selection = frame->m_selection;
  CRasterImage image = frame->m_image;
  if (selection.GetBitsPerPixel() <= 8 && FindPaletteIndex(selection, color) < 0) {
    // A palette entry that no pixel of the selection or the image uses takes
    // the colour in both palettes.
    int index = -1;
    const CRasterImage source = FillColorSource(*frame);
    if (!FindUnusedPaletteIndex(source, &index) || index < 0 || index >= selection.GetPaletteSize()) {
      result.refusal = "Color cannot be found in the palette !";
      return result;
    }
    color.rgbReserved = 0;
    selection.GetWritablePalette()[index] = color;
    if (!image.IsEmpty() && image.GetBitsPerPixel() == selection.GetBitsPerPixel() && index < image.GetPaletteSize())
      image.GetWritablePalette()[index] = color;
  }
  CRasterImage filled = ColorFill(selection, &color);
  if (filled.IsEmpty()) return result;
  frame->m_selection = std::move(filled);
  frame->m_image = std::move(image);
  result.changed = true;
  result.label = "Fill With Color";
  return result;
}

FRAME_EDIT_RESULT AddBackgroundFill(std::vector<CAnimFrame>& frames, int current, int32_t canvasWidth,
                                    int32_t canvasHeight, RGBQUAD color, std::string* warning) {
  FRAME_EDIT_RESULT result;
  CAnimFrame* frame = FrameAt(frames, current);
  if (!frame || canvasWidth < 1 || canvasHeight < 1) return result;
  CAnimFrame edited = *frame;
  edited.FloatImage();
  const CRasterImage& content = edited.m_selection;
  const int bits = content.IsEmpty() ? 24 : content.GetBitsPerPixel();
  CRasterImage background;
  if (!background.Create(canvasWidth, canvasHeight, bits)) return result;
  if (bits <= 8) {
    const int entries = std::min(background.GetPaletteSize(), content.GetPaletteSize());
    std::copy_n(content.GetPalette(), entries, background.GetWritablePalette());
    if (FindPaletteIndex(background, color) < 0) {
      const int nearest = FindNearestPaletteColor(background.GetPaletteSize(), background.GetPalette(), color.rgbRed,
                                                  color.rgbGreen, color.rgbBlue);
      if (nearest < 0) return result;
      color = background.GetPalette()[nearest];
      if (warning) *warning = "The palette does not contain the fill color, use the nearest color instead.";
    }
  }
  CRasterImage filled = ColorFill(background, &color);
  if (filled.IsEmpty()) return result;
  edited.m_image = std::move(filled);
  // A frame with a selection but no image was not floated: its selection
  // keeps its place on the canvas as the frame moves to 0, 0.
  const int32_t dx = edited.m_nLeft, dy = edited.m_nTop;
  if (!edited.m_selection.IsEmpty() && (dx || dy)) {
    edited.m_rcSelection.left += dx;
    edited.m_rcSelection.right += dx;
    edited.m_rcSelection.top += dy;
    edited.m_rcSelection.bottom += dy;
  }
  edited.m_nLeft = 0;
  edited.m_nTop = 0;
  *frame = std::move(edited);
  result.changed = true;
  result.label = "Add Background Fill";
  result.hint = 1;
  return result;
}
