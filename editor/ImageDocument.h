#pragma once
// CImageDocument: the document base of every image window, the wxWidgets
// document around CImageDocModel (editor/model/ImageDocModel.h), which holds
// the frames, canvas, undo history and edit host. This class only answers the
// model's hooks: the modified flag is the document's, views are repainted
// with a CViewUpdateHint, and effect mode is entered through the main
// window's editor interface.

#include <wx/docview.h>

#include "editor/model/ImageDocModel.h"

// The hint object views receive; null counts as HINT_REPAINT.
class CViewUpdateHint : public wxObject {
 public:
  explicit CViewUpdateHint(int hint) : m_nHint(hint) {}
  int m_nHint;
};
int GetViewUpdateHint(const wxObject* hint);

class CImageDocument : public wxDocument, public CImageDocModel {
 public:
  CImageDocument();
  ~CImageDocument() override;

  bool IsModelModified() const override { return IsModified(); }
  void SetModelModified(bool modified) override { Modify(modified); }
  void UpdateViews(int hint) override;
  bool EnterEffectMode(const std::string& name) override;
};
