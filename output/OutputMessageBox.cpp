#include "output/OutputMessageBox.h"

#include <wx/msgdlg.h>

namespace {
OutputMessageHook& Hook() {
  static OutputMessageHook hook;
  return hook;
}
}  // namespace

int ShowOutputMessage(wxWindow* parent, const wxString& text, const wxString& caption, long style) {
  if (Hook()) return Hook()(text, caption, style);
  return wxMessageBox(text, caption, style, parent);
}

void SetOutputMessageHook(OutputMessageHook hook) { Hook() = std::move(hook); }
