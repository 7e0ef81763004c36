#pragma once
// CImageDocument: the document base of every image window, the wxWidgets
// document around CImageDocModel (editor/model/ImageDocModel.h), which holds
// the frames, canvas, undo history and edit host. This class only answers the
// model's hooks: the modified flag is the document's, views are repainted
// with a CViewUpdateHint, and effect mode is entered through the main
// window's editor interface.

#include <wx/docview.h>

#include "editor/model/ImageDocModel.h"
#include "shell/PaneDocument.h"

// The hint object views receive; null counts as HINT_REPAINT.
class CViewUpdateHint : public wxObject {
 public:
  explicit CViewUpdateHint(int hint) : m_nHint(hint) {}
  int m_nHint;
};
int GetViewUpdateHint(const wxObject* hint);

class CImageDocument : public wxDocument, public CImageDocModel, public IPaneDocument {
 public:
  CImageDocument();
  ~CImageDocument() override;

  bool IsModelModified() const override { return IsModified(); }
  void SetModelModified(bool modified) override { Modify(modified); }
  // Repaints every view with the hint, then OnViewsUpdated.
  void UpdateViews(int hint) override;
  virtual void OnViewsUpdated() {}

  // --- what the task-pane pages reach ---
  const CRasterImage& GetPaneThumbnail() const override { return GetThumbnail(); }
  bool IsPaneBusy() const override { return IsAnyFrameBusy(); }
  void GetPaneCanvasSize(int& width, int& height) const override {
    int16_t w = 0, h = 0;
    GetCanvasSize(w, h);
    width = w;
    height = h;
  }
  std::vector<CAnimFrame>* GetPaneFrames() override { return &GetFrames(); }
  // Refused while a frame is busy (a command or a playback works on them).
  void MovePaneFrames(int insertAt) override {
    if (!IsAnyFrameBusy()) MoveFrames(insertAt);
  }
  void SetPaneCurrentFrame(int index) override { SetCurrentFrame(index); }
  int GetPaneCurrentFrame() const override { return GetCurrentFrameIndex(); }
  PANE_PRINT_SETTINGS GetPanePrintSettings() const override;
  void SetPanePrintSettings(const PANE_PRINT_SETTINGS& settings) override;
  bool EnterEffectMode(const std::string& name) override;
};
