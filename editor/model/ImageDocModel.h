#pragma once
// CImageDocModel: what an image document is without its windows. It holds
// one image as a canvas with an array of animation frames, the current frame
// and the loop count, and around them what every editing command relies on:
// an unlimited undo history of snapshots swapped with the document's state,
// undo transactions that record a step only when the change succeeded,
// per-frame busy flags, the edit host that effect tools edit through, a small
// thumbnail, the print settings and the program-wide background colour.
//
// The model uses no toolkit and builds and tests without a display.
// CImageDocument (editor/ImageDocument.h) is the wxWidgets document around
// it: it answers the three hooks below (the modified flag, repainting the
// views, entering the main frame's effect mode).
//
// Everything runs on the user-interface thread. Commands dispatch queued
// events while they work (dialogs, the status stack's abort check), so other
// commands can run in the middle of one: the busy flags are the only guard.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/model/UndoStep.h"
#include "imaging/AnimFrame.h"
#include "imaging/RasterImage.h"

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
  // The edited frame's floating-selection rectangle (relative to the frame),
  // for a tool that draws a new floating selection; null when none is edited.
  virtual Rect* GetEditSelectionRect() { return nullptr; }
};

// How BeginEdit prepares the frame for an effect tool.
enum EDIT_TYPE {
  EDIT_FULL_COLOR = 1,                // the image must be 24-bit
  EDIT_FULL_COLOR_OR_GRAY = 2,        // 24-bit or grayscale
  EDIT_FULL_COLOR_WITH_SELECTION = 3, // as 2, checked only when image and selection are both present
  EDIT_NO_SELECTION = 4,              // the floating selection is merged first
};

// The questions of the pre-edit checks.
extern const char* const kFullColorQuestion;
extern const char* const kNoSelectionQuestion;

// The pre-edit checks: bring the frame into the form an effect of the edit
// type works on, asking before a conversion (full colour) or a merge of the
// floating selection. False when the frame is empty, the user says No or a
// conversion fails.
bool RequireFullColor(CAnimFrame& frame, bool allowGray, const std::function<bool(const std::string&)>& ask);
bool RequireNoSelection(CAnimFrame& frame, const std::function<bool(const std::string&)>& ask);
bool PrepareFrameForEdit(CAnimFrame& frame, EDIT_TYPE type, const std::function<bool(const std::string&)>& ask);

// Hints of the views' update: repaint only, or repaint with the background
// erased (the image's extent may have changed).
enum VIEW_UPDATE_HINT { HINT_REPAINT = 0, HINT_ERASE = 1 };

// Which animation properties ChangeAnimationProperties sets (bits).
enum ANIMATION_PROPERTY {
  ANIM_LOOP_COUNT = 1,  // the loop count
  ANIM_DELAY = 2,       // the delay of the selected frames
  ANIM_CONTROL = 4,     // the whole graphic-control byte of the selected frames
};

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

class CImageDocModel : public CEditHost {
 public:
  CImageDocModel();
  ~CImageDocModel() override;
  CImageDocModel(const CImageDocModel&) = delete;
  CImageDocModel& operator=(const CImageDocModel&) = delete;

  // --- the hooks of the document around the model ---
  // The modified flag (the model keeps its own until a document answers).
  virtual bool IsModelModified() const { return m_bModified; }
  virtual void SetModelModified(bool modified) { m_bModified = modified; }
  // Repaints every view of the document with the hint (none without views).
  virtual void UpdateViews(int hint) {}
  // Takes the main window into effect mode for the named tool; false when
  // it refuses (and always without a main window).
  virtual bool EnterEffectMode(const std::string& name) { return false; }
  // A Yes/No question of the pre-edit checks; true for Yes (the model
  // alone, without anybody to ask, proceeds).
  virtual bool AskEditQuestion(const std::string& text) { return true; }

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
  // Installs frames read or made elsewhere (canvas, frames, loop count); the
  // first frame becomes current. No undo step.
  void SetFrames(int16_t width, int16_t height, std::vector<CAnimFrame> frames, uint16_t loopCount);
  void FreeFrames();
  // Makes the canvas the smallest that holds every frame (sides cut at
  // 32767); true when it changed.
  bool FitCanvasToFrames();
  // Moves the selected frames to the insertion index (one undo step "Move
  // Frames"; none when no frame changes place).
  void MoveFrames(int insertAt);
  // Records an undo step under the label and installs the frames; the
  // current index is lowered to the last frame when needed.
  virtual void ReplaceFrames(std::vector<CAnimFrame> frames, const std::string& label);
  // flags: ANIMATION_PROPERTY bits. Nothing (and no step) without one of them.
  virtual void ChangeAnimationProperties(int flags, uint16_t loopCount, uint16_t delay, uint8_t packed);
  // Rebuilds the thumbnail of at most 32 x 32 pixels from frame 0.
  void UpdateThumbnail();
  const CRasterImage& GetThumbnail() const { return m_thumbnail; }

  // A command may edit the document: a current frame exists, no frame is
  // busy and no effect tool is running on it.
  bool CanEdit() const;

  // --- undo history ---
  // Records the current state before an operation named by the label.
  // Nothing while an effect tool runs. Commands that can fail record
  // through CUndoTransaction instead.
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
  // After a successful save the saved state is the one on disk: every step
  // then brings back a state that differs from the file.
  void MarkHistoryModified();

  // --- effect editing (the CEditHost side) ---
  // Saves the current frame and prepares it for an effect tool through
  // PrepareFrameForEdit. False for an empty frame, an unknown type, a
  // declined question, while a frame is busy or another edit is under way.
  bool BeginEdit(EDIT_TYPE type);
  // Puts the frame saved by BeginEdit back when no tool started after it.
  void AbandonEdit();
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
  Rect* GetEditSelectionRect() override;

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

 protected:
  friend class CUndoTransaction;
  // Swaps a step with the document's state (undo and redo alike).
  void SwapStep(CUndoStep& step);
  void LowerCurrentFrame();
  // The current state as a step named by the label (busy marks dropped).
  CUndoStep MakeStep(const std::string& label) const;
  // Drops the redo steps and appends the step.
  void AppendStep(CUndoStep step);

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

 private:
  bool m_bModified = false;
};

// One undoable change made on copies: the command takes the frames (and
// canvas and loop count) into the transaction, changes them there, and
// Commit records the step and installs the result together. A transaction
// that is never committed (the command failed, was cancelled or threw)
// leaves the document and its history as they were.
//
//   CUndoTransaction change(doc, "Rotate");
//   for (auto& frame : change.Frames()) if (!RotateFrame(frame)) return;  // nothing recorded
//   change.Commit();
class CUndoTransaction {
 public:
  CUndoTransaction(CImageDocModel& model, std::string label);
  CUndoTransaction(const CUndoTransaction&) = delete;
  CUndoTransaction& operator=(const CUndoTransaction&) = delete;

  // The copies to change (they share pixels with the document's until written).
  std::vector<CAnimFrame>& Frames() { return m_frames; }
  int16_t& CanvasWidth() { return m_nWidth; }
  int16_t& CanvasHeight() { return m_nHeight; }
  uint16_t& LoopCount() { return m_nLoopCount; }
  // Records the step of the state before, installs the copies, marks the
  // document modified and repaints its views with the hint. Once only.
  void Commit(int hint = HINT_ERASE);
  bool IsCommitted() const { return m_bCommitted; }

 private:
  CImageDocModel& m_model;
  std::string m_label;
  std::vector<CAnimFrame> m_frames;
  int16_t m_nWidth;
  int16_t m_nHeight;
  uint16_t m_nLoopCount;
  bool m_bCommitted = false;
};

// Marks a frame busy for the life of a command and, on every way out, clears
// the mark and pops a status text the command pushed.
class CFrameBusyGuard {
 public:
  explicit CFrameBusyGuard(CImageDocModel* document, int frame = -1);
  virtual ~CFrameBusyGuard();
  CFrameBusyGuard(const CFrameBusyGuard&) = delete;
  CFrameBusyGuard& operator=(const CFrameBusyGuard&) = delete;

  // Marks the frame busy (the previous one, if any, is released).
  void SetBusyFrame(int frame);
  // Pushes a status text that the guard pops when the command ends.
  void PushStatus(const std::string& text);
  void PopStatus();

 private:
  CImageDocModel* m_pDocument;
  int32_t m_bStatusPushed = 0;
  int32_t m_nFrame = -1;
};
