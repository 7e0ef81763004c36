#pragma once
// CGifExportDlg: the "GIF Export Options" dialog. GIF87a holds no comments:
// choosing it selects "No comment" and disables the other comment choices;
// going back to GIF89a enables them again and keeps "No comment".

#include <wx/dialog.h>

#include "shell/ExportOptions.h"

class wxCheckBox;
class wxRadioButton;
class wxButton;

class CGifExportDlg : public wxDialog {
 public:
  CGifExportDlg(wxWindow* parent, const GifExportValues& values);
  const GifExportValues& GetValues() const { return m_values; }

 private:
  bool TransferDataFromWindow() override;
  void ApplySubType(int subType);
  void SetCommentOption(int option);

  GifExportValues m_values;
  wxRadioButton* m_gif87a;
  wxRadioButton* m_gif89a;
  wxCheckBox* m_interlace;
  wxCheckBox* m_singleImage;
  wxCheckBox* m_colorConversion;
  wxRadioButton* m_comment[3];
  wxButton* m_edit;
  wxCheckBox* m_useDefault;
};

// Opens the personal-signature editor (the "Edit..." buttons of the option
// dialogs): the program's "Personal Signature..." command.
void EditSignatureFromDialog(wxWindow* dialog);
