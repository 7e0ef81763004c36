#pragma once
// The message boxes of the output windows (questions, input corrections and
// run summaries) go through one function, so that window tests can answer
// them without a modal box on the screen.

#include <wx/string.h>

#include <functional>

class wxWindow;

// Shows a message box (wxMessageBox styles) and returns its answer (wxOK,
// wxYES, wxNO, wxCANCEL).
int ShowOutputMessage(wxWindow* parent, const wxString& text, const wxString& caption, long style);

// While set, ShowOutputMessage calls this instead of showing a box; it
// returns the answer. Tests only.
using OutputMessageHook = std::function<int(const wxString& text, const wxString& caption, long style)>;
void SetOutputMessageHook(OutputMessageHook hook);
