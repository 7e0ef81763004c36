// The effect commands of the document: each starts its effect with a live
// preview on the current frame (editor/EffectTool.h, editor/EffectPanels.h).

#include <wx/msgdlg.h>

#include "editor/AddTextPanel.h"
#include "editor/DocumentInternals.h"
#include "editor/EffectPanels.h"
#include "editor/PictoravellDoc.h"
#include "editor/RedEyeEffect.h"

bool CPictoravellDoc::AskEditQuestion(const std::string& text) {
  if (const auto& ask = doc_detail::Prompts().askYesNo) return ask(text);
  return wxMessageBox(wxString::FromUTF8(text), "Pictoravell", wxYES_NO | wxICON_QUESTION,
                      doc_detail::DialogParent()) == wxYES;
}

void CPictoravellDoc::OnBlur() {
  StartEffect(*this, EDIT_FULL_COLOR_OR_GRAY, "Blur", [this] { return new CBlurDialog(this); });
}

void CPictoravellDoc::OnEmboss() {
  StartEffect(*this, EDIT_FULL_COLOR_OR_GRAY, "Emboss", [this] { return new CEmbossDialog(this); });
}

void CPictoravellDoc::OnBrightnessContrast() {
  StartEffect(*this, EDIT_FULL_COLOR_WITH_SELECTION, "Brightness && Contrast",
              [this] { return new CBrightnessContrastDialog(this); });
}

void CPictoravellDoc::OnSepia() {
  StartEffect(*this, EDIT_FULL_COLOR, "Sepia", [this] { return new CSepiaDialog(this); });
}

void CPictoravellDoc::OnAdjustTransparency() {
  StartEffect(*this, EDIT_FULL_COLOR_OR_GRAY, "Transparency", [this] { return new CTransparencyDialog(this); });
}

void CPictoravellDoc::OnAddText() {
  StartEffect(*this, EDIT_NO_SELECTION, "Add Text", [this] { return new CAddTextDialog(this); });
}

void CPictoravellDoc::OnRemoveRedEye() {
  StartEffect(*this, EDIT_FULL_COLOR, "Remove Red Eye", [this] { return new CRedEyeDialog(this); });
}
