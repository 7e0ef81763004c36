#pragma once
// What the task-pane pages reach of an image document. The editor's
// documents implement it; the pages get wxDocument pointers from the main
// frame and ask for this interface, so the shell never sees the editor.

#include <string>
#include <vector>

#include "imaging/AnimFrame.h"
#include "imaging/RasterImage.h"

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
};
