#pragma once
// "Send E-mail": the size limit, the serial digits and a new file title with
// its example name. Kept in "Email Options"; the base of the file options of
// web publishing and the HTML album (other sections).

#include <wx/dialog.h>

#include <string>

#include "output/core/SharingCommon.h"

class wxChoice;
class wxStaticText;
class wxTextCtrl;

class CEmailDialog : public wxDialog {
 public:
  enum { IDC_DIGITS = 1304, IDC_PREFIX = 1305, IDC_EXAMPLE = 1303, IDC_SIZE_LIMIT = 1347 };
  CEmailDialog(wxWindow* parent, const std::string& section = "Email Options", const wxString& title = "Send E-mail");
  bool TransferDataToWindow() override;
  // False (with a message) for a title that would leave its folder.
  bool TransferDataFromWindow() override;
  // The example under the title, from the controls.
  void UpdateExample();
  const SHARING_FILE_OPTIONS& GetOptions() const { return m_options; }
  wxString GetExample() const;

 protected:
  std::string m_section;
  SHARING_FILE_OPTIONS m_options;
  wxChoice* m_sizeLimit;
  wxChoice* m_digits;
  wxTextCtrl* m_prefix;
  wxStaticText* m_example;
};
