#include "editor/ImageDocument.h"

#include "editor/EffectTool.h"
#include "shell/EditorHost.h"

int GetViewUpdateHint(const wxObject* hint) {
  if (const auto* h = dynamic_cast<const CViewUpdateHint*>(hint)) return h->m_nHint;
  return HINT_REPAINT;
}

CImageDocument::CImageDocument() = default;

CImageDocument::~CImageDocument() = default;

void CImageDocument::UpdateViews(int hint) {
  CViewUpdateHint object(hint);
  UpdateAllViews(nullptr, &object);
  OnViewsUpdated();
}

bool CImageDocument::EnterEffectMode(const std::string& name) {
  IEditorHost* host = EditorHost();
  // Asked about the effect (leaving the mode, closing), the user keeps it as
  // one step or drops it.
  const auto settle = [this, name](bool keep) {
    if (!IsToolRunning()) return;
    // The panel settles it as its OK or Cancel would (and ends the mode).
    if (CEffectDialog* panel = GetRunningEffectPanel(); panel && panel->GetTool()->GetHost() == this) {
      panel->Finish(keep);
      return;
    }
    if (keep)
      CommitEdit(name, nullptr, nullptr);
    else
      CancelEdit();
  };
  return host && host->EnterEffectMode(name, settle, this);
}

PANE_PRINT_SETTINGS CImageDocument::GetPanePrintSettings() const {
  const DOCUMENT_PRINT_SETTINGS& p = GetPrintSettings();
  PANE_PRINT_SETTINGS s;
  s.horzAlign = p.nHorzAlign;
  s.vertAlign = p.nVertAlign;
  s.printComments = p.bPrintComments;
  s.commentSize = p.nCommentSize;
  s.sizePreset = p.nSizePreset;
  s.customWidth = p.nCustomWidth;
  s.customHeight = p.nCustomHeight;
  s.crop = p.bCrop;
  s.cropOffset = p.nCropOffset;
  s.allOnOnePage = p.bAllFramesOnOnePage;
  s.rows = p.nRows;
  s.columns = p.nColumns;
  return s;
}

void CImageDocument::SetPanePrintSettings(const PANE_PRINT_SETTINGS& s) {
  DOCUMENT_PRINT_SETTINGS& p = GetPrintSettings();
  p.nHorzAlign = s.horzAlign;
  p.nVertAlign = s.vertAlign;
  p.bPrintComments = s.printComments;
  p.nCommentSize = s.commentSize;
  p.nSizePreset = s.sizePreset;
  p.nCustomWidth = s.customWidth;
  p.nCustomHeight = s.customHeight;
  p.bCrop = s.crop;
  p.nCropOffset = s.cropOffset;
  p.bAllFramesOnOnePage = s.allOnOnePage;
  p.nRows = s.rows;
  p.nColumns = s.columns;
}
