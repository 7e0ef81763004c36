#include "output/EmailDialog.h"

#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "output/core/ImageConverter.h"

CEmailDialog::CEmailDialog(wxWindow* parent, const std::string& section, const wxString& title)
    : wxDialog(parent, wxID_ANY, title), m_section(section) {
  m_options.Read(m_section);
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* grid = new wxFlexGridSizer(2, 6, 6);
  grid->Add(new wxStaticText(this, wxID_ANY, "Size limit:"), 0, wxALIGN_CENTER_VERTICAL);
  m_sizeLimit = new wxChoice(this, IDC_SIZE_LIMIT);
  for (const char* text : kSizeLimitTexts) m_sizeLimit->Append(text);
  grid->Add(m_sizeLimit, 0, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, "File name:"), 0, wxALIGN_CENTER_VERTICAL);
  m_prefix = new wxTextCtrl(this, IDC_PREFIX);
  grid->Add(m_prefix, 0, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, "Digits:"), 0, wxALIGN_CENTER_VERTICAL);
  m_digits = new wxChoice(this, IDC_DIGITS);
  for (int i = 1; i <= 10; ++i) m_digits->Append(std::to_string(i));
  grid->Add(m_digits, 0, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, "Example:"), 0, wxALIGN_CENTER_VERTICAL);
  m_example = new wxStaticText(this, IDC_EXAMPLE, wxString(), wxDefaultPosition, wxSize(160, -1));
  grid->Add(m_example, 0, wxEXPAND);
  top->Add(grid, 0, wxALL, 10);
  top->Add(CreateSeparatedButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  m_digits->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { UpdateExample(); });
  m_prefix->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { UpdateExample(); });
}

bool CEmailDialog::TransferDataToWindow() {
  m_sizeLimit->SetSelection(m_options.nSizeLimit >= 0 && m_options.nSizeLimit < kSizeLimitCount ? m_options.nSizeLimit
                                                                                                : kSizeLimitCount - 1);
  m_digits->SetSelection(m_options.nDigits);
  m_prefix->ChangeValue(wxString::FromUTF8(m_options.strPrefix));
  UpdateExample();
  return true;
}

void CEmailDialog::UpdateExample() {
  m_example->SetLabel(wxString::FromUTF8(MakeExampleName(m_prefix->GetValue().utf8_string(), m_digits->GetSelection())));
}

wxString CEmailDialog::GetExample() const { return m_example->GetLabel(); }

bool CEmailDialog::TransferDataFromWindow() {
  const std::string prefix = m_prefix->GetValue().utf8_string();
  if (!prefix.empty() && !IsValidFileTitle(prefix)) {
    wxMessageBox("Invalid file name: " + wxString::FromUTF8(prefix), GetTitle(), wxOK | wxICON_EXCLAMATION, this);
    m_prefix->SetFocus();
    return false;
  }
  m_options.nSizeLimit = m_sizeLimit->GetSelection();
  m_options.nDigits = m_digits->GetSelection() < 0 ? 0 : m_digits->GetSelection();
  m_options.strPrefix = prefix;
  m_options.Write(m_section);
  return true;
}
