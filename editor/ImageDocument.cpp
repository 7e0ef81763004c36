#include "editor/ImageDocument.h"

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
}

bool CImageDocument::EnterEffectMode(const std::string& name) {
  IEditorHost* host = EditorHost();
  return host && host->EnterEffectMode(name);
}
