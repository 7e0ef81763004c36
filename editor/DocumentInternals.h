#pragma once
// What the document's source files share (editor/PictoravellDoc.cpp and the
// command files editor/Doc*Commands.cpp); not for other code.

#include <wx/string.h>
#include <wx/window.h>

#include <string>
#include <vector>

#include "editor/PictoravellDoc.h"

namespace doc_detail {

// The prompts installed by SetDocumentPrompts.
const DOCUMENT_PROMPTS& Prompts();
// The parent of the document's dialogs: the main window, when there is one.
wxWindow* DialogParent();
// The filter of every image file dialog, from the format table.
wxString ImageFilter();
// The file name part of a path, at most 260 characters.
std::string FileTitle(const std::string& path);
// The Import Sequence of Files dialog (the prompt when one is installed):
// the frames and, when loopCount is not null, the loop count; false when
// cancelled or when the import failed. Null: no loop count is wanted (its
// controls are off), as for Insert File.
bool ImportFileSequence(std::vector<CAnimFrame>& frames, uint16_t* loopCount);
inline bool ImportFileSequence(std::vector<CAnimFrame>& frames, uint16_t& loopCount) {
  return ImportFileSequence(frames, &loopCount);
}
// A Yes/No question (the prompt when one is installed); true for Yes.
bool AskYesNo(const std::string& text);

}  // namespace doc_detail
