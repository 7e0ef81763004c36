#include "shell/GifExportDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/ModalDialog.h"

using namespace export_ids;

void EditSignatureFromDialog(wxWindow* dialog) {
  wxCommandEvent command(wxEVT_MENU, ID_PERSONAL_SIGNATURE);
  command.SetEventObject(dialog);
  if (g_pMainFrame)
    g_pMainFrame->ProcessWindowEvent(command);
  else if (wxTheApp)
    wxTheApp->ProcessEvent(command);
}

CGifExportDlg::CGifExportDlg(wxWindow* parent, const GifExportValues& values)
    : wxDialog(parent, kGifTemplate, "GIF Export Options"), m_values(values) {
  const int gap = FromDIP(8);
  auto* column = new wxBoxSizer(wxVERTICAL);

  auto* version = new wxStaticBoxSizer(wxHORIZONTAL, this, "Sub-type version");
  m_gif87a = new wxRadioButton(version->GetStaticBox(), kGif87a, "GIF87a", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  m_gif89a = new wxRadioButton(version->GetStaticBox(), kGif89a, "GIF89a");
  version->Add(m_gif87a, 0, wxALL, gap / 2);
  version->Add(m_gif89a, 0, wxALL, gap / 2);
  column->Add(version, 0, wxEXPAND | wxALL, gap);

  m_interlace = new wxCheckBox(this, kInterlace, "Interlace scan lines");
  m_singleImage = new wxCheckBox(this, kSingleImage, "Always save as single-image GIF file");
  m_colorConversion = new wxCheckBox(this, kColorConversion, "Automatic color conversion when saving full color images");
  for (wxCheckBox* box : {m_interlace, m_singleImage, m_colorConversion})
    column->Add(box, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);

  auto* comments = new wxStaticBoxSizer(wxVERTICAL, this, "Comments");
  wxWindow* box = comments->GetStaticBox();
  m_comment[0] = new wxRadioButton(box, kNoComment, "No comment", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  m_comment[1] = new wxRadioButton(box, kKeepComments, "Keep original file comments");
  m_comment[2] = new wxRadioButton(box, kSignature, "Use personal signature");
  m_edit = new wxButton(box, kEditSignature, "Edit...");
  comments->Add(m_comment[0], 0, wxALL, gap / 2);
  comments->Add(m_comment[1], 0, wxALL, gap / 2);
  auto* signatureRow = new wxBoxSizer(wxHORIZONTAL);
  signatureRow->Add(m_comment[2], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
  signatureRow->Add(m_edit, 0, wxALIGN_CENTER_VERTICAL);
  comments->Add(signatureRow, 0, wxALL, gap / 2);
  column->Add(comments, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);

  m_useDefault = new wxCheckBox(this, kUseDefault, "Use these as defaults and do not ask me again");
  column->Add(m_useDefault, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
  column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, gap);
  SetSizerAndFit(column);

  // Initialisation: comment choice first, then the sub type's rules.
  m_interlace->SetValue(m_values.bInterlace != 0);
  m_singleImage->SetValue(m_values.bSaveSingleImage != 0);
  m_colorConversion->SetValue(m_values.bColorConversion != 0);
  m_useDefault->SetValue(m_values.bUseDefault != 0);
  SetCommentOption(m_values.nCommentOption);
  ApplySubType(m_values.nSubType);

  m_gif87a->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ApplySubType(0); });
  m_gif89a->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { ApplySubType(1); });
  for (int i = 0; i < 3; ++i)
    m_comment[i]->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) { SetCommentOption(i); });
  m_edit->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EditSignatureFromDialog(this); });
}

void CGifExportDlg::SetCommentOption(int option) {
  m_values.nCommentOption = option < 0 || option > 2 ? COMMENT_NONE : option;
  m_comment[m_values.nCommentOption]->SetValue(true);
  m_edit->Enable(m_values.nCommentOption == COMMENT_SIGNATURE && m_values.nSubType != 0);
}

void CGifExportDlg::ApplySubType(int subType) {
  m_values.nSubType = subType == 0 ? 0 : 1;
  if (m_values.nSubType == 0) {
    m_gif87a->SetValue(true);
    SetCommentOption(COMMENT_NONE);
    m_comment[1]->Enable(false);
    m_comment[2]->Enable(false);
    m_edit->Enable(false);
  } else {
    m_gif89a->SetValue(true);
    m_comment[1]->Enable(true);
    m_comment[2]->Enable(true);
    m_edit->Enable(m_values.nCommentOption == COMMENT_SIGNATURE);
  }
}

bool CGifExportDlg::TransferDataFromWindow() {
  m_values.bInterlace = m_interlace->GetValue() ? 1 : 0;
  m_values.bSaveSingleImage = m_singleImage->GetValue() ? 1 : 0;
  m_values.bColorConversion = m_colorConversion->GetValue() ? 1 : 0;
  m_values.bUseDefault = m_useDefault->GetValue() ? 1 : 0;
  return true;
}

bool RunGifExportDialog(wxWindow* parent, GifExportValues& values) {
  CGifExportDlg dialog(parent ? parent : static_cast<wxWindow*>(g_pMainFrame), values);
  dialog.CentreOnParent();
  if (RunModalDialog(dialog) != wxID_OK) return false;
  values = dialog.GetValues();
  return true;
}
