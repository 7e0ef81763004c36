// The document's colour commands on the current frame: the colour modes
// (Bitmap, Indexed Color, Grayscale, RGB Full Color), Invert Colors, the two
// sharpen filters, Count Colors, Remove Unused Colors and Save Color Palette.
// Each converts the frame's image and its floating selection alike, so both
// stay in one colour mode, and records one undo step only when it changed
// the frame. The command table is in editor/DocCommands.cpp.

#include <algorithm>
#include <array>

#include "base/MessageReport.h"
#include "base/ResultCodes.h"
#include "base/StatusStack.h"
#include "editor/ColorOptionsDialogs.h"
#include "editor/DocumentInternals.h"
#include "editor/EditPaletteDialog.h"
#include "imaging/ColorConversion.h"
#include "imaging/Filters.h"
#include "imaging/PaletteFunctions.h"
#include "imaging/Quantizer.h"
#include "resources/CommandIds.h"
#include "shell/PaletteFileDialog.h"

using namespace doc_detail;

namespace {

// The picture a colour command's enable rule looks at: the image, or the
// floating selection when the image is empty; null when both are empty.
const CRasterImage* TargetOf(const CAnimFrame* frame) {
  if (!frame) return nullptr;
  if (!frame->m_image.IsEmpty()) return &frame->m_image;
  if (!frame->m_selection.IsEmpty()) return &frame->m_selection;
  return nullptr;
}

bool IsIndexed(const CRasterImage* image) {
  return image && (image->GetBitsPerPixel() == 4 || image->GetBitsPerPixel() == 8);
}

}  // namespace

// --- enable rules ----------------------------------------------------------------

const CRasterImage* CPictoravellDoc::ColorTarget() const {
  const CAnimFrame* frame = GetCurrentFrame();
  return frame && !frame->m_bBusy ? TargetOf(frame) : nullptr;
}

bool CPictoravellDoc::CanConvertToBitmap() const {
  const CRasterImage* target = ColorTarget();
  return target && target->GetBitsPerPixel() != 1;
}

bool CPictoravellDoc::CanConvertToGrayscale() const {
  const CRasterImage* target = ColorTarget();
  return target && !target->IsGrayscale();
}

bool CPictoravellDoc::CanConvertToFullColor() const {
  const CRasterImage* target = ColorTarget();
  return target && target->GetBitsPerPixel() != 24;
}

bool CPictoravellDoc::CanChangeColors() const { return ColorTarget() != nullptr; }

bool CPictoravellDoc::CanSharpen() const {
  const CAnimFrame* frame = GetCurrentFrame();
  if (!frame || frame->m_bBusy) return false;
  const CRasterImage* target = !frame->m_selection.IsEmpty() ? &frame->m_selection
                               : !frame->m_image.IsEmpty()   ? &frame->m_image
                                                             : nullptr;
  return target && (target->GetBitsPerPixel() == 24 || target->IsGrayscale());
}

bool CPictoravellDoc::CanEditPalette() const { return IsIndexed(ColorTarget()); }

// --- Bitmap and Indexed Color ------------------------------------------------------

int CPictoravellDoc::ConvertFrameToBitmap(CAnimFrame& frame, CANCELPROC cancel, PROGRESSPROC progress) {
  // The dialog previews the frame as it looks, selection included.
  CAnimFrame merged = frame;
  merged.MergeSelection();
  BITMAP_OPTIONS_VALUES options;
  if (!GetBitmapOptions(&merged.m_image, options, true, DialogParent())) return IMAGEIO_CANCELLED;
  int status = IMAGEIO_OK;
  for (CRasterImage* part : {&frame.m_image, &frame.m_selection}) {
    if (part->IsEmpty()) continue;
    CRasterImage converted = ConvertToBitmap(*part, options.mode, options.threshold, &status, cancel, progress);
    if (status != IMAGEIO_OK) return status;
    if (!converted.IsEmpty()) *part = std::move(converted);
  }
  return status;
}

int CPictoravellDoc::ConvertFrameToIndexed(CAnimFrame& frame, CANCELPROC cancel, PROGRESSPROC progress) {
  PALETTE_OPTIONS_VALUES options;
  if (!GetPaletteOptions(options, true, DialogParent())) return IMAGEIO_CANCELLED;
  int count = std::min(options.count, 256);
  int status = IMAGEIO_OK;
  if (options.dither == 2) {
    for (CRasterImage* part : {&frame.m_image, &frame.m_selection}) {
      if (part->IsEmpty()) continue;
      CRasterImage converted = count <= 16 ? ConvertTo8Colors(*part, &status, cancel, progress)
                                           : ConvertToCube216(*part, &status, cancel, progress);
      if (status != IMAGEIO_OK) return status;
      if (converted.IsEmpty()) return IMAGEIO_FAILED;
      *part = std::move(converted);
    }
    return status;
  }
  std::array<RGBQUAD, 256> palette{};
  switch (options.kind) {
    case PALETTE_ADAPTIVE: {
      CPixelSource source(2);
      source.AddImage(&frame.m_selection);
      source.AddImage(&frame.m_image);
      count = BuildOptimalPalette(source, palette.data(), count, 8);
      if (count <= 0) return IMAGEIO_FAILED;
      break;
    }
    case PALETTE_FILE: {
      const auto& ask = Prompts().loadPalette;
      const bool loaded = ask ? ask(&count, palette.data()) : LoadPaletteFileWithDialog(&count, palette.data(),
                                                                                           DialogParent());
      if (!loaded || count <= 0 || count > 256) return IMAGEIO_FAILED;
      break;
    }
    default:
      count = BuildPaletteOfKind(options.kind, count, palette.data());
      break;
  }
  for (CRasterImage* part : {&frame.m_selection, &frame.m_image}) {
    if (part->IsEmpty()) continue;
    CRasterImage converted = MapToPalette(*part, count, palette.data(), options.dither == 1, &status, cancel,
                                          progress);
    if (status != IMAGEIO_OK) return status;
    if (converted.IsEmpty()) return IMAGEIO_FAILED;
    *part = std::move(converted);
  }
  return status;
}

void CPictoravellDoc::ConvertColorMode(int kind) {
  const int index = GetCurrentFrameIndex();
  const CAnimFrame* current = GetCurrentFrame();
  if (!current || current->IsEmpty()) return;
  CFrameBusyGuard busy(this, index);
  const int id = kind == 1 ? ID_CONVERT_TO_BITMAP : ID_CONVERT_TO_INDEXED;
  CUndoTransaction change(*this, UndoLabel(id));
  CAnimFrame& frame = change.Frames()[index];
  busy.PushStatus(kind == 1 ? "Converting to bitmap" : "Converting to indexed color");
  const int result = kind == 1 ? ConvertFrameToBitmap(frame, CheckUserAbort, ReportProgress)
                               : ConvertFrameToIndexed(frame, CheckUserAbort, ReportProgress);
  busy.PopStatus();
  if (result != IMAGEIO_OK) {
    ReportResultError(result);
    return;
  }
  change.Commit(HINT_REPAINT);
}

void CPictoravellDoc::OnConvertToBitmap() { ConvertColorMode(1); }

void CPictoravellDoc::OnConvertToIndexed() { ConvertColorMode(2); }

// --- Grayscale, RGB Full Color, Invert Colors -------------------------------------

void CPictoravellDoc::ConvertFrameParts(int id, const char* statusText,
                                        CRasterImage (*convert)(const CRasterImage&, int*, CANCELPROC,
                                                                PROGRESSPROC)) {
  const int index = GetCurrentFrameIndex();
  const CAnimFrame* current = GetCurrentFrame();
  if (!current || current->IsEmpty()) return;
  CFrameBusyGuard busy(this, index);
  CUndoTransaction change(*this, UndoLabel(id));
  CAnimFrame& frame = change.Frames()[index];
  busy.PushStatus(statusText);
  int status = IMAGEIO_OK;
  for (CRasterImage* part : {&frame.m_image, &frame.m_selection}) {
    if (part->IsEmpty()) continue;
    CRasterImage converted = convert(*part, &status, CheckUserAbort, ReportProgress);
    // A part already in the target mode converts to nothing: the command
    // then changes nothing at all.
    if (status != IMAGEIO_OK || converted.IsEmpty()) return;
    *part = std::move(converted);
  }
  busy.PopStatus();
  change.Commit(HINT_REPAINT);
}

void CPictoravellDoc::OnConvertToGrayscale() {
  ConvertFrameParts(ID_CONVERT_TO_GRAYSCALE, "Converting to grayscale...",
                    [](const CRasterImage& image, int* status, CANCELPROC cancel, PROGRESSPROC progress) {
                      return ConvertToGrayscale(image, status, cancel, progress);
                    });
}

void CPictoravellDoc::OnConvertToFullColor() {
  ConvertFrameParts(ID_CONVERT_TO_FULL_COLOR, "Converting to RGB Full Color...",
                    [](const CRasterImage& image, int* status, CANCELPROC cancel, PROGRESSPROC progress) {
                      return ConvertTo24Bit(image, status, cancel, progress);
                    });
}

void CPictoravellDoc::OnInvertColors() {
  ConvertFrameParts(ID_INVERT_COLORS, "Inverting colors...",
                    [](const CRasterImage& image, int* status, CANCELPROC cancel, PROGRESSPROC progress) {
                      return InvertColors(image, status, cancel, progress);
                    });
}

// --- Sharpen ---------------------------------------------------------------------

void CPictoravellDoc::ApplySharpen(int kind, int id) {
  const int index = GetCurrentFrameIndex();
  const CAnimFrame* current = GetCurrentFrame();
  if (!current || current->IsEmpty()) return;
  CFrameBusyGuard busy(this, index);
  CUndoTransaction change(*this, UndoLabel(id));
  CAnimFrame& frame = change.Frames()[index];
  CRasterImage& target = frame.m_selection.IsEmpty() ? frame.m_image : frame.m_selection;
  busy.PushStatus("Applying filter...");
  CRasterImage result = ApplyPresetFilter(target, kind, ReportProgress, CheckUserAbort);
  busy.PopStatus();
  if (result.IsEmpty()) return;
  target = std::move(result);
  change.Commit(HINT_REPAINT);
}

void CPictoravellDoc::OnSharpen() { ApplySharpen(1, ID_SHARPEN); }

void CPictoravellDoc::OnSharpenMore() { ApplySharpen(2, ID_SHARPEN_MORE); }

// --- Count Colors, Remove Unused Colors -------------------------------------------

void CPictoravellDoc::OnCountColors() {
  const CAnimFrame* frame = GetCurrentFrame();
  if (!frame || frame->IsEmpty()) return;
  // A colour used by both the selection and the image counts once.
  CPixelSource source(2);
  source.AddImage(&frame->m_selection);
  source.AddImage(&frame->m_image);
  const int count = CountUniqueColors(source);
  ReportMessage(MESSAGE_INFO, "This image has " + std::to_string(count) + " unique colors.");
}

void CPictoravellDoc::OnRemoveUnusedColors() {
  const int index = GetCurrentFrameIndex();
  const CAnimFrame* current = GetCurrentFrame();
  if (!current || current->IsEmpty()) return;
  CFrameBusyGuard busy(this, index);
  CUndoTransaction change(*this, UndoLabel(ID_REMOVE_UNUSED_COLORS));
  CAnimFrame& frame = change.Frames()[index];
  auto highestOf = [&frame] {
    int highest = 0;
    for (const CRasterImage* part : {&frame.m_image, &frame.m_selection}) {
      int partHighest = 0, used = 0;
      if (!part->IsEmpty() && GetPaletteUsage(*part, &partHighest, &used)) highest = std::max(highest, partHighest);
    }
    return highest;
  };
  const int before = highestOf();
  std::vector<CRasterImage> parts;
  for (const CRasterImage* part : {&frame.m_image, &frame.m_selection})
    if (!part->IsEmpty()) parts.push_back(*part);
  std::vector<CRasterImage> sorted = SortPaletteByUsage(parts.data(), static_cast<int>(parts.size()));
  int after = before;
  if (sorted.size() == parts.size() && !sorted.empty()) {
    size_t next = 0;
    for (CRasterImage* part : {&frame.m_image, &frame.m_selection})
      if (!part->IsEmpty()) *part = std::move(sorted[next++]);
    after = highestOf();
    change.Commit(HINT_REPAINT);
  }
  const int removed = static_cast<int16_t>(before - after);
  if (removed == 1)
    ReportMessage(MESSAGE_INFO, "One color has been removed from the palette.");
  else if (removed != 0)
    ReportMessage(MESSAGE_INFO, std::to_string(removed) + " colors have been removed from the palette.");
  else
    ReportMessage(MESSAGE_INFO, "No color was removed from the palette.");
}

// --- Edit Color Palette ------------------------------------------------------------

void CPictoravellDoc::OnEditPalette() {
  const int index = GetCurrentFrameIndex();
  const CRasterImage* source = TargetOf(GetCurrentFrame());
  if (!IsIndexed(source)) return;
  int count = 1 << source->GetBitsPerPixel();
  std::array<RGBQUAD, 256> palette{};
  std::copy(source->GetPalette(), source->GetPalette() + std::min(count, source->GetPaletteSize()), palette.begin());
  CFrameBusyGuard busy(this, index);
  if (!RunEditPaletteDialog(DialogParent(), palette.data(), count)) return;
  CUndoTransaction change(*this, UndoLabel(ID_EDIT_PALETTE));
  CAnimFrame& frame = change.Frames()[index];
  // Image and selection share the edited colours.
  for (CRasterImage* part : {&frame.m_image, &frame.m_selection}) {
    if (part->IsEmpty() || part->GetPaletteSize() == 0) continue;
    const int n = std::min(count, part->GetPaletteSize());
    std::copy(palette.begin(), palette.begin() + n, part->GetWritablePalette());
  }
  change.Commit(HINT_REPAINT);
}

// --- Save Color Palette ------------------------------------------------------------

void CPictoravellDoc::OnSavePalette() {
  const CRasterImage* source = TargetOf(GetCurrentFrame());
  if (!IsIndexed(source)) return;
  const int count = 1 << source->GetBitsPerPixel();
  std::array<RGBQUAD, 256> palette{};
  for (int i = 0; i < count && i < source->GetPaletteSize(); ++i) palette[i] = source->GetPalette()[i];
  const auto& ask = Prompts().savePalette;
  if (ask) ask(palette.data(), count);
  else SavePaletteFileWithDialog(palette.data(), count, DialogParent());
}
