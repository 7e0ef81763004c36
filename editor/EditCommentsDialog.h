#pragma once
// The "Edit Comments" dialog: one multi-line text of at most 32768
// characters. It edits a document's file comment and the program's personal
// signature (the text with <Filename>, <Date> and <Time> written into saved
// files).

#include <wx/window.h>

#include <string>

enum EDIT_COMMENTS_DIALOG_ID {
  IDD_EDIT_COMMENTS = 242,
  IDC_COMMENT_TEXT = 1281,
  IDC_COMMENT_PICTURE = 1282,
};

// The longest text the dialog accepts.
constexpr size_t kMaxCommentLength = 32768;

// Runs the dialog on `text` (UTF-8, any line ends; CR LF in the model).
// OK copies the edited text out with CR LF line ends and returns true; a
// text longer than kMaxCommentLength is refused and keeps the dialog open.
// Cancel returns false and leaves `text` alone.
bool EditCommentText(wxWindow* parent, std::string& text);

// The personal signature through EditCommentText; stored on OK.
void EditPersonalSignature(wxWindow* parent);
