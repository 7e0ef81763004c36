#pragma once
// What the task-pane pages reach of an image document. The editor's
// documents implement it; the pages get wxDocument pointers from the main
// frame and ask for this interface, so the shell never sees the editor.

#include <string>
#include <vector>

#include "imaging/AnimFrame.h"
#include "imaging/RasterImage.h"

// A document's print settings as the print panes set them.
struct PANE_PRINT_SETTINGS {
  int horzAlign = 0;       // 0 left, 1 centre, 2 right
  int vertAlign = 0;       // 0 top, 1 centre, 2 bottom
  int printComments = 1;   // the file comment as the caption
  int commentSize = 1;     // 0 small, 1 medium, 2 large
  int sizePreset = 0;      // 0 "Full Page" .. 6 "Specify Below"
  int customWidth = 0;     // 1/100 inch
  int customHeight = 0;
  int crop = 0;            // 1 crop to fit, 0 shrink to fit
  int cropOffset = 0;      // percent of the cut-off part
  int allOnOnePage = 1;    // frames: automatic grid
  int rows = 0;
  int columns = 0;
};

class IPaneDocument {
 public:
  virtual ~IPaneDocument() = default;
  // The small picture of the Documents list (at most 32 x 32; may be empty).
  virtual const CRasterImage& GetPaneThumbnail() const = 0;
  // True while a command works on one of the frames (the document must not close).
  virtual bool IsPaneBusy() const = 0;
  virtual void GetPaneCanvasSize(int& width, int& height) const = 0;
  // The frame array; the pages set only the selected and expanded flags.
  virtual std::vector<CAnimFrame>* GetPaneFrames() = 0;
  // Moves the selected frames to the insertion index (one undo step).
  virtual void MovePaneFrames(int insertAt) = 0;
  virtual void SetPaneCurrentFrame(int index) = 0;
  // The main frame's Change Frame Properties: whether it applies (several
  // frames, some selected) and running it on the selected frames.
  virtual bool CanEditFrameProperties() const { return false; }
  virtual void EditFrameProperties() {}
  virtual int GetPaneCurrentFrame() const { return 0; }
  // Printing: the settings kept with the document, and its comment (the caption).
  virtual PANE_PRINT_SETTINGS GetPanePrintSettings() const { return {}; }
  virtual void SetPanePrintSettings(const PANE_PRINT_SETTINGS& settings) {}
  virtual std::string GetPaneComment() const { return {}; }
};
