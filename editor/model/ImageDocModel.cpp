#include "editor/model/ImageDocModel.h"

#include <algorithm>

#include "base/ImageGeometry.h"
#include "base/Profile.h"
#include "base/StatusStack.h"
#include "imaging/LayerStack.h"
#include "imaging/ColorConversion.h"
#include "imaging/Resample.h"

namespace {

bool g_bBackgroundRead = false;
RGBQUAD g_background;

const char* const kBackgroundSection = "Image Document";
const char* const kBackgroundKey = "Background Color";

}  // namespace

const char* const kFullColorQuestion =
    "This operation requires the image to be converted to full color mode.\nDo you want to proceed?";
const char* const kNoSelectionQuestion =
    "This operation requires the image selection to be de-selected.\nDo you want to proceed?";

namespace {

}  // namespace

CImageDocModel::CImageDocModel() = default;

CImageDocModel::~CImageDocModel() {
  ClearUndoHistory();
  m_thumbnail.Free();
}

// --- frames --------------------------------------------------------------------

CAnimFrame* CImageDocModel::GetFrame(int index) {
  if (index < 0 || index >= GetFrameCount()) return nullptr;
  return &m_frames[static_cast<size_t>(index)];
}

CAnimFrame* CImageDocModel::GetCurrentFrame() { return GetFrame(m_nCurrentFrame); }

const CAnimFrame* CImageDocModel::GetCurrentFrame() const {
  return const_cast<CImageDocModel*>(this)->GetCurrentFrame();
}

bool CImageDocModel::SetCurrentFrame(int index) {
  if (index < 0 || index >= GetFrameCount()) return false;
  m_nCurrentFrame = index;
  UpdateViews(HINT_REPAINT);
  return true;
}

bool CImageDocModel::IsAnyFrameBusy() const {
  return std::any_of(m_frames.begin(), m_frames.end(), [](const CAnimFrame& f) { return f.m_bBusy != 0; });
}

int CImageDocModel::GetSelectedFrameCount() const {
  return static_cast<int>(
      std::count_if(m_frames.begin(), m_frames.end(), [](const CAnimFrame& f) { return f.m_bSelected != 0; }));
}

bool CImageDocModel::CanEdit() const { return GetCurrentFrame() && !IsAnyFrameBusy() && !m_bToolRunning; }

void CImageDocModel::LowerCurrentFrame() {
  if (m_nCurrentFrame > GetFrameCount() - 1) m_nCurrentFrame = std::max(0, GetFrameCount() - 1);
}

void CImageDocModel::FreeFrames() {
  m_frames.clear();
  m_nCurrentFrame = 0;
}

void CImageDocModel::SetFrames(int16_t width, int16_t height, std::vector<CAnimFrame> frames, uint16_t loopCount) {
  FreeFrames();
  m_frames = std::move(frames);
  m_nCanvasWidth = width;
  m_nCanvasHeight = height;
  m_nLoopCount = loopCount;
  m_nCurrentFrame = 0;
}

bool CImageDocModel::FitCanvasToFrames() {
  if (m_frames.empty()) return false;
  // A canvas side cannot pass 32767: frames reaching further are cut there.
  auto extent = [](const CAnimFrame& f, bool horizontal) {
    const int side = f.m_image.IsEmpty() ? 0 : horizontal ? f.m_image.GetWidth() : f.m_image.GetHeight();
    return static_cast<int16_t>(std::min((horizontal ? f.m_nLeft : f.m_nTop) + side, 32767));
  };
  int16_t width = extent(m_frames[0], true), height = extent(m_frames[0], false);
  for (size_t i = 1; i < m_frames.size(); ++i) {
    width = std::max(width, extent(m_frames[i], true));
    height = std::max(height, extent(m_frames[i], false));
  }
  const bool changed = width != m_nCanvasWidth || height != m_nCanvasHeight;
  m_nCanvasWidth = width;
  m_nCanvasHeight = height;
  return changed;
}

void CImageDocModel::MoveFrames(int insertAt) {
  const int count = GetFrameCount();
  std::vector<CAnimFrame> moved;
  moved.reserve(static_cast<size_t>(count));
  std::vector<int> order;
  for (int i = 0; i < count && i < insertAt; ++i)
    if (!m_frames[static_cast<size_t>(i)].m_bSelected) order.push_back(i);
  for (int i = 0; i < count; ++i)
    if (m_frames[static_cast<size_t>(i)].m_bSelected) order.push_back(i);
  for (int i = std::max(insertAt, 0); i < count; ++i)
    if (!m_frames[static_cast<size_t>(i)].m_bSelected) order.push_back(i);
  bool changed = false;
  for (int i = 0; i < count; ++i) {
    changed |= order[static_cast<size_t>(i)] != i;
    moved.push_back(m_frames[static_cast<size_t>(order[static_cast<size_t>(i)])]);
  }
  if (!changed) return;
  ReplaceFrames(std::move(moved), "Move Frames");
}

void CImageDocModel::ReplaceFrames(std::vector<CAnimFrame> frames, const std::string& label) {
  PushUndo(label);
  m_frames = std::move(frames);
  LowerCurrentFrame();
  SetModelModified(true);
  UpdateViews(HINT_REPAINT);
}

void CImageDocModel::ChangeAnimationProperties(int flags, uint16_t loopCount, uint16_t delay, uint8_t packed) {
  if ((flags & (ANIM_LOOP_COUNT | ANIM_DELAY | ANIM_CONTROL)) == 0) return;
  PushUndo("Change Animation Properties");
  if (flags & ANIM_LOOP_COUNT) m_nLoopCount = loopCount;
  for (auto& frame : m_frames) {
    if (!frame.m_bSelected) continue;
    if (flags & ANIM_DELAY) frame.m_nDelay = delay;
    if (flags & ANIM_CONTROL) frame.m_nFlags = packed;
  }
  SetModelModified(true);
  UpdateViews(HINT_REPAINT);
}

void CImageDocModel::UpdateThumbnail() {
  m_thumbnail.Free();
  if (m_frames.empty()) return;
  const CRasterImage flat = m_frames[0].Flatten(m_nCanvasWidth, m_nCanvasHeight, false, GetBackgroundColor());
  if (flat.IsEmpty()) return;
  const int w = flat.GetWidth(), h = flat.GetHeight();
  if (w <= 32 && h <= 32) {
    m_thumbnail = flat;
    return;
  }
  int tw, th;
  if (w * 32 > h * 32) {
    tw = 32;
    th = std::max(1, h * 32 / w);
  } else {
    tw = std::max(1, w * 32 / h);
    th = 32;
  }
  m_thumbnail = ReduceImageForThumbnail(flat, tw, th);
}

// --- undo ----------------------------------------------------------------------

CUndoStep CImageDocModel::MakeStep(const std::string& label) const {
  CUndoStep step;
  step.m_nWidth = m_nCanvasWidth;
  step.m_nHeight = m_nCanvasHeight;
  step.m_nLoopCount = m_nLoopCount;
  step.m_strLabel = label;
  step.m_bModified = IsModelModified() ? 1 : 0;
  step.m_frames = m_frames;
  for (auto& frame : step.m_frames) frame.m_bBusy = 0;
  return step;
}

void CImageDocModel::AppendStep(CUndoStep step) {
  while (static_cast<int>(m_undo.size()) > m_nUndoPos + 1) m_undo.pop_back();
  m_undo.push_back(std::move(step));
  ++m_nUndoPos;
}

void CImageDocModel::PushUndo(const char* label) {
  if (m_bToolRunning) return;
  AppendStep(MakeStep(label ? label : ""));
}

bool CImageDocModel::CanUndo() const { return m_nUndoPos >= 0 && m_nUndoPos < static_cast<int>(m_undo.size()); }

bool CImageDocModel::CanRedo() const {
  return m_nUndoPos + 1 >= 0 && m_nUndoPos + 1 < static_cast<int>(m_undo.size());
}

void CImageDocModel::SwapStep(CUndoStep& step) {
  const bool wasModified = IsModelModified();
  SetModelModified(step.m_bModified != 0);
  step.m_bModified = wasModified ? 1 : 0;
  std::swap(m_nCanvasWidth, step.m_nWidth);
  std::swap(m_nCanvasHeight, step.m_nHeight);
  std::swap(m_nLoopCount, step.m_nLoopCount);
  std::swap(m_frames, step.m_frames);
  // The state going into the history carries no busy mark.
  for (auto& frame : step.m_frames) frame.m_bBusy = 0;
  LowerCurrentFrame();
  UpdateViews(HINT_ERASE);
}

void CImageDocModel::Undo() {
  if (!CanUndo()) return;
  SwapStep(m_undo[static_cast<size_t>(m_nUndoPos)]);
  --m_nUndoPos;
}

void CImageDocModel::Redo() {
  if (!CanRedo()) return;
  ++m_nUndoPos;
  SwapStep(m_undo[static_cast<size_t>(m_nUndoPos)]);
}

void CImageDocModel::GetUndoLabel(std::string& label) const {
  if (CanUndo()) label = m_undo[static_cast<size_t>(m_nUndoPos)].m_strLabel;
}

void CImageDocModel::GetRedoLabel(std::string& label) const {
  if (CanRedo()) label = m_undo[static_cast<size_t>(m_nUndoPos + 1)].m_strLabel;
}

void CImageDocModel::ClearUndoHistory() {
  m_undo.clear();
  m_undo.shrink_to_fit();
  m_nUndoPos = -1;
}

int64_t CImageDocModel::GetUndoMemory() const {
  // Each buffer counted once: a step shares with the document and with its
  // neighbours, so count a buffer only the first time it is met.
  int64_t bytes = 0;
  std::vector<const CRasterImage*> seen;
  auto count = [&](const CRasterImage& image) {
    if (image.IsEmpty()) return;
    for (const auto& frame : m_frames)
      if ((!frame.m_image.IsEmpty() && image.SharesPixelsWith(frame.m_image)) ||
          (!frame.m_selection.IsEmpty() && image.SharesPixelsWith(frame.m_selection)))
        return;
    for (const CRasterImage* other : seen)
      if (image.SharesPixelsWith(*other)) return;
    seen.push_back(&image);
    bytes += GetImageBytes(image);
  };
  for (const auto& step : m_undo)
    for (const auto& frame : step.m_frames) {
      count(frame.m_image);
      count(frame.m_selection);
    }
  return bytes;
}

void CImageDocModel::MarkHistoryModified() {
  for (auto& step : m_undo) step.m_bModified = 1;
}

// --- effect editing ------------------------------------------------------------

bool RequireFullColor(CAnimFrame& frame, bool allowGray, const std::function<bool(const std::string&)>& ask) {
  if (frame.IsEmpty()) return false;
  const CRasterImage& tested = frame.m_image.IsEmpty() ? frame.m_selection : frame.m_image;
  if (allowGray && tested.IsGrayscale()) return true;
  if (tested.GetBitsPerPixel() != 24 && !ask(kFullColorQuestion)) return false;
  // Both parts end up 24-bit; a part that cannot be converted refuses the edit.
  for (CRasterImage* part : {&frame.m_image, &frame.m_selection}) {
    if (part->IsEmpty() || part->GetBitsPerPixel() == 24) continue;
    CRasterImage converted = ConvertTo24Bit(*part);
    if (converted.IsEmpty()) return false;
    *part = std::move(converted);
  }
  return true;
}

bool RequireNoSelection(CAnimFrame& frame, const std::function<bool(const std::string&)>& ask) {
  if (frame.m_selection.IsEmpty()) return true;
  if (!ask(kNoSelectionQuestion)) return false;
  frame.MergeSelection();
  return frame.m_selection.IsEmpty();
}

bool PrepareFrameForEdit(CAnimFrame& frame, EDIT_TYPE type, const std::function<bool(const std::string&)>& ask) {
  switch (type) {
    case EDIT_FULL_COLOR:
      return RequireFullColor(frame, false, ask);
    case EDIT_FULL_COLOR_OR_GRAY:
      return RequireFullColor(frame, true, ask);
    case EDIT_FULL_COLOR_WITH_SELECTION:
      if (frame.m_image.IsEmpty() || frame.m_selection.IsEmpty()) return true;
      return RequireFullColor(frame, true, ask);
    case EDIT_NO_SELECTION:
      return RequireNoSelection(frame, ask);
  }
  return true;
}

bool CImageDocModel::BeginEdit(EDIT_TYPE type) {
  CAnimFrame* frame = GetCurrentFrame();
  // One edit at a time: a second one would overwrite the saved frame.
  if (!frame || frame->IsEmpty() || IsAnyFrameBusy() || m_bToolRunning || m_nEditFrame >= 0 ||
      type < EDIT_FULL_COLOR || type > EDIT_NO_SELECTION)
    return false;
  m_saveFrame = *frame;
  m_saveFrame.m_bBusy = 0;
  m_nEditFrame = m_nCurrentFrame;
  // The frame is saved before the checks, so cancelling the effect (and the
  // undo step of a kept one) also takes back a conversion or a merge.
  const bool ready = PrepareFrameForEdit(*frame, type, [this](const std::string& text) {
    return AskEditQuestion(text);
  });
  if (!ready) {
    *frame = m_saveFrame;
    m_saveFrame = CAnimFrame();
    m_nEditFrame = -1;
    return false;
  }
  UpdateViews(HINT_REPAINT);
  return true;
}

void CImageDocModel::AbandonEdit() {
  if (m_bToolRunning || m_nEditFrame < 0) return;
  if (CAnimFrame* frame = GetFrame(m_nEditFrame)) *frame = m_saveFrame;
  m_saveFrame = CAnimFrame();
  m_nEditFrame = -1;
  UpdateViews(HINT_REPAINT);
}

bool CImageDocModel::StartEffectTool(const std::string& name) {
  if (m_nEditFrame < 0) return false;
  m_bToolRunning = 1;
  if (EnterEffectMode(name)) return true;
  // Refused: the frame goes back as it was and no tool runs.
  if (CAnimFrame* frame = GetFrame(m_nEditFrame)) *frame = m_saveFrame;
  m_saveFrame = CAnimFrame();
  m_nEditFrame = -1;
  m_bToolRunning = 0;
  UpdateViews(HINT_REPAINT);
  return false;
}

void CImageDocModel::CommitEdit(const std::string& label, const CRasterImage*, const CRasterImage*) {
  CAnimFrame* frame = GetFrame(m_nEditFrame);
  if (!frame) {
    m_bToolRunning = 0;
    return;
  }
  const CAnimFrame result = *frame;
  *frame = m_saveFrame;
  m_bToolRunning = 0;
  PushUndo(label);
  *GetFrame(m_nEditFrame) = result;
  m_saveFrame = CAnimFrame();
  m_nEditFrame = -1;
  SetModelModified(true);
  UpdateViews(HINT_REPAINT);
}

void CImageDocModel::CancelEdit() {
  if (CAnimFrame* frame = GetFrame(m_nEditFrame)) *frame = m_saveFrame;
  m_saveFrame = CAnimFrame();
  m_nEditFrame = -1;
  m_bToolRunning = 0;
  UpdateViews(HINT_REPAINT);
}

void CImageDocModel::RefreshViews() { UpdateViews(HINT_REPAINT); }

CRasterImage& CImageDocModel::CopyEditImage(CRasterImage& out, bool useSelection) {
  if (const CRasterImage* image = GetEditImage(true); useSelection && image)
    out = *image;
  else if (CAnimFrame* frame = GetFrame(m_nEditFrame))
    out = frame->m_image;
  else
    out.Free();
  return out;
}

CRasterImage* CImageDocModel::GetEditImage(bool useSelection) {
  CAnimFrame* frame = GetFrame(m_nEditFrame);
  if (!frame) return nullptr;
  if (!useSelection) return &frame->m_selection;
  return frame->m_selection.IsEmpty() ? &frame->m_image : &frame->m_selection;
}

Rect* CImageDocModel::GetEditSelectionRect() {
  CAnimFrame* frame = GetFrame(m_nEditFrame);
  return frame ? &frame->m_rcSelection : nullptr;
}

// --- background colour --------------------------------------------------

RGBQUAD CImageDocModel::GetBackgroundColor() {
  if (!g_bBackgroundRead) {
    const auto value = static_cast<uint32_t>(GetProfileInt(kBackgroundSection, kBackgroundKey, 0));
    g_background = MakeRGBQuad(static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
                               static_cast<uint8_t>((value >> 16) & 0xFF));
    g_bBackgroundRead = true;
  }
  return g_background;
}

void CImageDocModel::SetBackgroundColor(RGBQUAD color) {
  g_background = color;
  g_background.rgbReserved = 0;
  g_bBackgroundRead = true;
  WriteProfileInt(kBackgroundSection, kBackgroundKey, color.rgbRed + 256 * color.rgbGreen + 65536 * color.rgbBlue);
}

void CImageDocModel::ResetBackgroundColor() { g_bBackgroundRead = false; }

// --- undo transaction -------------------------------------------------------------

CUndoTransaction::CUndoTransaction(CImageDocModel& model, std::string label)
    : m_model(model),
      m_label(std::move(label)),
      m_frames(model.m_frames),
      m_nWidth(model.m_nCanvasWidth),
      m_nHeight(model.m_nCanvasHeight),
      m_nLoopCount(model.m_nLoopCount) {
  for (auto& frame : m_frames) frame.m_bBusy = 0;
}

void CUndoTransaction::Commit(int hint) {
  if (m_bCommitted) return;
  m_bCommitted = true;
  // A running effect tool owns the history: its commit records the step.
  if (!m_model.m_bToolRunning) m_model.AppendStep(m_model.MakeStep(m_label));
  // Busy marks of commands still running on the document stay where they are.
  for (size_t i = 0; i < m_frames.size() && i < m_model.m_frames.size(); ++i)
    m_frames[i].m_bBusy = m_model.m_frames[i].m_bBusy;
  m_model.m_frames = std::move(m_frames);
  m_model.m_nCanvasWidth = m_nWidth;
  m_model.m_nCanvasHeight = m_nHeight;
  m_model.m_nLoopCount = m_nLoopCount;
  m_model.LowerCurrentFrame();
  m_model.SetModelModified(true);
  m_model.UpdateViews(hint);
}

// --- busy guard ------------------------------------------------------------------

CFrameBusyGuard::CFrameBusyGuard(CImageDocModel* document, int frame) : m_pDocument(document) {
  if (frame >= 0) SetBusyFrame(frame);
}

CFrameBusyGuard::~CFrameBusyGuard() {
  if (m_nFrame >= 0 && m_pDocument)
    if (CAnimFrame* frame = m_pDocument->GetFrame(m_nFrame)) frame->m_bBusy = 0;
  if (m_bStatusPushed) PopStatusMessage();
}

void CFrameBusyGuard::SetBusyFrame(int index) {
  if (m_nFrame >= 0)
    if (CAnimFrame* frame = m_pDocument->GetFrame(m_nFrame)) frame->m_bBusy = 0;
  m_nFrame = -1;
  if (CAnimFrame* frame = m_pDocument ? m_pDocument->GetFrame(index) : nullptr) {
    frame->m_bBusy = 1;
    m_nFrame = index;
  }
}

void CFrameBusyGuard::PushStatus(const std::string& text) {
  if (m_bStatusPushed) PopStatusMessage();
  PushStatusMessage(text);
  m_bStatusPushed = 1;
}

void CFrameBusyGuard::PopStatus() {
  if (!m_bStatusPushed) return;
  PopStatusMessage();
  m_bStatusPushed = 0;
}
