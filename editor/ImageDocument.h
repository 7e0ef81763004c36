#pragma once
// CImageDocument: the document base of every image window. It holds one
// image as a canvas with an array of animation frames, the current frame and
// the loop count, and around them what every editing command relies on: an
// unlimited undo history of snapshots swapped with the document's state,
// per-frame busy flags, the interface effect tools edit through, a small
// thumbnail, the print settings and the program-wide background colour.
//
// Everything runs on the user-interface thread. Commands dispatch queued
// events while they work (dialogs, the status stack's abort check), so other
// commands can run in the middle of one: the busy flags are the only guard.

#include <wx/docview.h>

#include <cstdint>
#include <string>
#include <vector>

#include "editor/UndoStep.h"
#include "imaging/AnimFrame.h"
#include "imaging/RasterImage.h"
#include "shell/PaneDocument.h"

// What an effect tool reaches of the document it edits.
class CEditHost {
 public:
  virtual ~CEditHost() = default;
  // Keeps the edited frame and records one undo step named by the label.
  // The tool's untouched copy and live image are not used by the document.
  virtual void CommitEdit(const std::string& label, const CRasterImage* original, const CRasterImage* live) = 0;
  // Puts the frame saved by BeginEdit back.
  virtual void CancelEdit() = 0;
  // Repaints the views after the tool changed its live image.
  virtual void RefreshViews() = 0;
  // A shared copy of the image being edited: the floating selection when
  // useSelection is set and there is one, else the frame's image.
  virtual CRasterImage& CopyEditImage(CRasterImage& out, bool useSelection) = 0;
  // The image being edited, inside the edited frame (with useSelection as
  // above; without it, the frame's floating selection itself, empty or not).
  virtual CRasterImage* GetEditImage(bool useSelection) = 0;
};

// Hints of UpdateAllViews: repaint only, or repaint with the background
// erased (the image's extent may have changed).
enum VIEW_UPDATE_HINT { HINT_REPAINT = 0, HINT_ERASE = 1 };

// The hint object views receive; null counts as HINT_REPAINT.
class CViewUpdateHint : public wxObject {
 public:
  explicit CViewUpdateHint(int hint) : m_nHint(hint) {}
  int m_nHint;
};
int GetViewUpdateHint(const wxObject* hint);

// The print settings of one document, as the print panes set them.
struct DOCUMENT_PRINT_SETTINGS {
  int32_t nHorzAlign = 0;
  int32_t nVertAlign = 0;
  int32_t bPrintComments = 1;
  int32_t nCommentSize = 1;
  int32_t nSizePreset = 0;
  int32_t nCustomWidth = 0;
  int32_t nCustomHeight = 0;
  int32_t bCrop = 0;  // 0 shrink to fit, 1 crop to fit
  int32_t nCropOffset = 0;
  int32_t bAllFramesOnOnePage = 1;
  int32_t nRows = 0;
  int32_t nColumns = 0;
};

class CImageDocument : public wxDocument, public CEditHost, public IPaneDocument {
 public:
  CImageDocument();
  ~CImageDocument() override;

  // --- frames, canvas, current frame ---
  void GetCanvasSize(int16_t& width, int16_t& height) const {
    width = m_nCanvasWidth;
    height = m_nCanvasHeight;
  }
  int32_t GetFrameCount() const { return static_cast<int32_t>(m_frames.size()); }
  const std::vector<CAnimFrame>& GetFrames() const { return m_frames; }
  std::vector<CAnimFrame>& GetFrames() { return m_frames; }
  CAnimFrame* GetFrame(int index);
  // Null when the index is outside the frames.
  CAnimFrame* GetCurrentFrame();
  const CAnimFrame* GetCurrentFrame() const;
  int32_t GetCurrentFrameIndex() const { return m_nCurrentFrame; }
  // False for an index outside the frames; else makes it current and
  // repaints the views.
  virtual bool SetCurrentFrame(int index);
  uint16_t GetLoopCount() const { return m_nLoopCount; }
  bool IsAnyFrameBusy() const;
  int GetSelectedFrameCount() const;
  // Moves the selected frames to the insertion index (one undo step "Move
  // Frames"; none when no frame changes place).
  void MoveFrames(int insertAt);
  // Records an undo step under the label and installs the frames; the
  // current index is lowered to the last frame when needed.
  virtual void ReplaceFrames(std::vector<CAnimFrame> frames, const std::string& label);
  // flags: 1 loop count, 2 delay of the selected frames, 4 their whole
  // graphic-control byte. Nothing (and no step) without one of these bits.
  virtual void ChangeAnimationProperties(int flags, uint16_t loopCount, uint16_t delay, uint8_t packed);
  // Rebuilds the thumbnail of at most 32 x 32 pixels from frame 0.
  void UpdateThumbnail();
  const CRasterImage& GetThumbnail() const { return m_thumbnail; }

  // A command may edit the document: a current frame exists, no frame is
  // busy and no effect tool is running on it.
  bool CanEdit() const;

  // --- undo history ---
  // Records the current state before an operation named by the label.
  // Nothing while an effect tool runs.
  void PushUndo(const char* label);
  void PushUndo(const std::string& label) { PushUndo(label.c_str()); }
  bool CanUndo() const;
  bool CanRedo() const;
  void Undo();
  void Redo();
  // Out texts are left alone when there is no step.
  void GetUndoLabel(std::string& label) const;
  void GetRedoLabel(std::string& label) const;
  void ClearUndoHistory();
  int32_t GetUndoPosition() const { return m_nUndoPos; }
  const CUndoStepArray& GetUndoSteps() const { return m_undo; }
  // Bytes of image data the history alone keeps alive.
  int64_t GetUndoMemory() const;

  // --- effect editing ---
  // Saves the current frame and prepares it for an effect tool: types 1 to 3
  // edit the image (or the floating selection), type 4 first merges the
  // floating selection. False for an empty frame or while a frame is busy.
  bool BeginEdit(int type);
  // Marks the tool running and takes the main frame into effect mode. When
  // the frame refuses, the saved frame is put back and false returned.
  bool StartEffectTool(const std::string& name);
  bool IsToolRunning() const { return m_bToolRunning != 0; }
  int32_t GetEditFrameIndex() const { return m_nEditFrame; }
  void CommitEdit(const std::string& label, const CRasterImage* original, const CRasterImage* live) override;
  void CancelEdit() override;
  void RefreshViews() override;
  CRasterImage& CopyEditImage(CRasterImage& out, bool useSelection) override;
  CRasterImage* GetEditImage(bool useSelection) override;

  // --- print settings ---
  const DOCUMENT_PRINT_SETTINGS& GetPrintSettings() const { return m_print; }
  DOCUMENT_PRINT_SETTINGS& GetPrintSettings() { return m_print; }
  void SetPrintSizePreset(int preset) { m_print.nSizePreset = preset; }
  void SetPrintCustomSize(int width, int height) {
    m_print.nCustomWidth = width;
    m_print.nCustomHeight = height;
  }
  void SetPrintCropFlag(int crop) { m_print.bCrop = crop; }
  void SetPrintAlignment(int horizontal, int vertical) {
    m_print.nHorzAlign = horizontal;
    m_print.nVertAlign = vertical;
  }
  void SetPrintComments(int print, int size) {
    m_print.bPrintComments = print;
    m_print.nCommentSize = size;
  }
  void SetPrintCropOffset(int offset) { m_print.nCropOffset = offset; }
  void SetPrintRows(int rows) { m_print.nRows = rows; }
  void SetPrintColumns(int columns) { m_print.nColumns = columns; }

  // --- background fill colour (program-wide, "Image Document"/"Background Color") ---
  static RGBQUAD GetBackgroundColor();
  static void SetBackgroundColor(RGBQUAD color);
  // Forgets the value read, so the next Get reads the settings again (tests).
  static void ResetBackgroundColor();

  // Repaints every view of the document with the hint, and tells the task
  // pane (OnViewsUpdated).
  void UpdateViews(int hint);
  virtual void OnViewsUpdated() {}

  // --- what the task-pane pages reach ---
  const CRasterImage& GetPaneThumbnail() const override { return m_thumbnail; }
  bool IsPaneBusy() const override { return IsAnyFrameBusy(); }
  void GetPaneCanvasSize(int& width, int& height) const override {
    width = m_nCanvasWidth;
    height = m_nCanvasHeight;
  }
  std::vector<CAnimFrame>* GetPaneFrames() override { return &m_frames; }
  void MovePaneFrames(int insertAt) override { MoveFrames(insertAt); }
  void SetPaneCurrentFrame(int index) override { SetCurrentFrame(index); }

  // After a successful save the saved state is the one on disk: every step
  // then brings back a state that differs from the file.
  void MarkHistoryModified();

 protected:
  // Swaps a step with the document's state (undo and redo alike).
  void SwapStep(CUndoStep& step);
  void LowerCurrentFrame();

  CAnimFrame m_saveFrame;
  int32_t m_nEditFrame = -1;
  int32_t m_bToolRunning = 0;
  CUndoStepArray m_undo;
  int32_t m_nUndoPos = -1;
  int16_t m_nCanvasWidth = 0;
  int16_t m_nCanvasHeight = 0;
  std::vector<CAnimFrame> m_frames;
  int32_t m_nCurrentFrame = 0;
  uint16_t m_nLoopCount = 0;
  CRasterImage m_thumbnail;
  DOCUMENT_PRINT_SETTINGS m_print;
};

// Marks a frame busy for the life of a command and, on every way out, clears
// the mark and pops a status text the command pushed.
class CFrameBusyGuard {
 public:
  explicit CFrameBusyGuard(CImageDocument* document, int frame = -1);
  virtual ~CFrameBusyGuard();
  CFrameBusyGuard(const CFrameBusyGuard&) = delete;
  CFrameBusyGuard& operator=(const CFrameBusyGuard&) = delete;

  // Marks the frame busy (the previous one, if any, is released).
  void SetBusyFrame(int frame);
  // Pushes a status text that the guard pops when the command ends.
  void PushStatus(const std::string& text);
  void PopStatus();

 private:
  CImageDocument* m_pDocument;
  int32_t m_bStatusPushed = 0;
  int32_t m_nFrame = -1;
};

// Scales an image (any depth, with its mask) into a 24-bit image of the given
// size by averaging the source pixels each target pixel covers. Empty when
// the image is empty or the size is outside 1..32767.
CRasterImage ReduceImageForThumbnail(const CRasterImage& image, int width, int height);
