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
