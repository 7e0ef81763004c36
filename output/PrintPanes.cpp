#include "output/PrintPanes.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "output/core/PrintLayout.h"
#include "shell/UiTheme.h"

namespace {

wxChoice* MakeChoice(wxWindow* parent, int id, std::initializer_list<const char*> items) {
  wxArrayString strings;
  for (const char* item : items) strings.Add(item);
  auto* choice = new wxChoice(parent, id, wxDefaultPosition, wxDefaultSize, strings);
  choice->SetSelection(0);
  // Narrow enough for the task pane; the row stretches it to the pane's width.
  choice->SetMinSize(wxSize(60, -1));
  return choice;
}

void AddRow(wxWindow* parent, wxSizer* sizer, const char* label, wxWindow* control) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(control, 1, wxALIGN_CENTER_VERTICAL);
  sizer->Add(row, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 4);
}

}  // namespace

// --- the alignment combos ----------------------------------------------------------

PrintPaneDialog::PrintPaneDialog(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
  SetBackgroundColour(ThemeColour(wxSYS_COLOUR_WINDOW));
  m_hAlign = MakeChoice(this, IDC_PRINT_HALIGN, {"Left", "Center", "Right"});
  m_vAlign = MakeChoice(this, IDC_PRINT_VALIGN, {"Top", "Center", "Bottom"});
  m_hAlign->Bind(wxEVT_CHOICE, &PrintPaneDialog::OnAlignmentChange, this);
  m_vAlign->Bind(wxEVT_CHOICE, &PrintPaneDialog::OnAlignmentChange, this);
}

void PrintPaneDialog::AddAlignment(wxSizer* sizer) {
  AddRow(this, sizer, "Horizontal:", m_hAlign);
  AddRow(this, sizer, "Vertical:", m_vAlign);
}

void PrintPaneDialog::OnAlignmentChange(wxCommandEvent&) {
  if (m_target) m_target->SetAlignment(m_hAlign->GetSelection(), m_vAlign->GetSelection());
}

void PrintPaneDialog::SetAlignment(int horizontal, int vertical) {
  m_hAlign->SetSelection(std::clamp(horizontal, 0, 2));
  m_vAlign->SetSelection(std::clamp(vertical, 0, 2));
}

// --- a single picture -----------------------------------------------------------------

CSinglePrintDlg::CSinglePrintDlg(wxWindow* parent) : PrintPaneDialog(parent) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_size = MakeChoice(this, IDC_PRINT_SIZE,
                      {"Full Page", "2 x 3", "3.5 x 5", "4 x 6", "5 x 7", "8 x 10", "Specify Below"});
  AddRow(this, sizer, "Print size:", m_size);
  auto* custom = new wxBoxSizer(wxHORIZONTAL);
  m_width = new wxTextCtrl(this, IDC_PRINT_WIDTH, "", wxDefaultPosition, wxSize(50, -1));
  m_height = new wxTextCtrl(this, IDC_PRINT_HEIGHT, "", wxDefaultPosition, wxSize(50, -1));
  m_width->SetMinSize(wxSize(40, -1));
  m_height->SetMinSize(wxSize(40, -1));
  custom->Add(new wxStaticText(this, wxID_ANY, "W:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 2);
  custom->Add(m_width, 1, wxRIGHT, 6);
  custom->Add(new wxStaticText(this, wxID_ANY, "H:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 2);
  custom->Add(m_height, 1);
  sizer->Add(custom, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 4);
  m_fit = MakeChoice(this, IDC_PRINT_FIT, {"Crop Image To Fit", "Shrink Image To Fit"});
  m_fit->SetMinSize(wxSize(60, -1));
  sizer->Add(m_fit, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 4);
  m_slider = new wxSlider(this, IDC_PRINT_CROP_OFFSET, 50, 0, 100, wxDefaultPosition, wxSize(60, -1));
  sizer->Add(m_slider, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 4);
  AddAlignment(sizer);
  m_comments = new wxCheckBox(this, IDC_PRINT_COMMENTS, "Print file comments");
  m_comments->SetValue(true);
  sizer->Add(m_comments, 0, wxLEFT | wxRIGHT | wxTOP, 4);
  m_font = MakeChoice(this, IDC_PRINT_FONT_SIZE, {"Small", "Medium", "Large"});
  m_font->SetSelection(1);
  AddRow(this, sizer, "Font size:", m_font);
  sizer->AddSpacer(6);
  SetSizerAndFit(sizer);

  m_size->Bind(wxEVT_CHOICE, &CSinglePrintDlg::OnSizeChange, this);
  m_fit->Bind(wxEVT_CHOICE, &CSinglePrintDlg::OnFitChange, this);
  m_slider->Bind(wxEVT_SLIDER, &CSinglePrintDlg::OnSlider, this);
  m_width->Bind(wxEVT_TEXT, &CSinglePrintDlg::OnSizeText, this);
  m_height->Bind(wxEVT_TEXT, &CSinglePrintDlg::OnSizeText, this);
  m_comments->Bind(wxEVT_CHECKBOX, &CSinglePrintDlg::OnComments, this);
  m_font->Bind(wxEVT_CHOICE, &CSinglePrintDlg::OnComments, this);
  // The initial state: the size and fit handlers with nothing attached.
  wxCommandEvent none;
  OnSizeChange(none);
  OnFitChange(none);
}

void CSinglePrintDlg::OnSizeChange(wxCommandEvent&) {
  m_inSize = true;
  const int item = m_size->GetSelection();
  m_width->Enable(item == 6);
  m_height->Enable(item == 6);
  if (m_target) m_target->SetPrintSize(item);
  m_inSize = false;
}

void CSinglePrintDlg::OnFitChange(wxCommandEvent&) {
  m_inFit = true;
  m_crop = m_fit->GetSelection() == 0;
  m_offset = 50;
  m_slider->Enable(m_crop);
  m_slider->SetValue(50);
  if (m_target) m_target->SetCropOptions(m_crop, 50);
  m_inFit = false;
}

void CSinglePrintDlg::OnSlider(wxCommandEvent&) {
  m_inSlider = true;
  m_offset = m_slider->GetValue();
  if (m_target) m_target->SetCropOffset(m_offset);
  m_inSlider = false;
}

void CSinglePrintDlg::OnSizeText(wxCommandEvent& event) {
  const bool width = event.GetId() == IDC_PRINT_WIDTH;
  int32_t value = 0;
  if (!ParsePrintInches((width ? m_width : m_height)->GetValue().utf8_string(), &value)) return;
  bool& guard = width ? m_inWidth : m_inHeight;
  guard = true;
  (width ? m_customWidth : m_customHeight) = value;
  if (m_target) m_target->SetCustomPrintSize(m_customWidth, m_customHeight);
  guard = false;
}

void CSinglePrintDlg::OnComments(wxCommandEvent&) {
  m_font->Enable(m_comments->GetValue());
  if (m_target) m_target->SetCaptionOptions(m_comments->GetValue(), m_font->GetSelection());
}

void CSinglePrintDlg::SetOptions(int preset, int customWidth, int customHeight, int horizontal, int vertical,
                                 bool crop, int offset, bool printComments, int textSize) {
  CDetachedTarget detached(*this);
  SetAlignment(horizontal, vertical);
  m_customWidth = customWidth;
  m_customHeight = customHeight;
  m_crop = crop;
  m_offset = offset;
  if (!m_inSize) {
    m_size->SetSelection(std::clamp(preset, 0, 6));
    m_width->Enable(m_size->GetSelection() == 6);
    m_height->Enable(m_size->GetSelection() == 6);
  }
  if (!m_inFit) m_fit->SetSelection(crop ? 0 : 1);
  if (!m_inSlider) m_slider->SetValue(std::clamp(offset, 0, 100));
  if (!m_inWidth) m_width->ChangeValue(wxString::FromUTF8(FormatPrintInches(customWidth)));
  if (!m_inHeight) m_height->ChangeValue(wxString::FromUTF8(FormatPrintInches(customHeight)));
  m_slider->Enable(crop);
  m_comments->SetValue(printComments);
  m_font->SetSelection(std::clamp(textSize, 0, 2));
  m_font->Enable(printComments);
}

// --- the frames of an animation ---------------------------------------------------------

CMultiPrintDlg::CMultiPrintDlg(wxWindow* parent) : PrintPaneDialog(parent) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_all = new wxCheckBox(this, IDC_PRINT_ALL_ON_ONE_PAGE, "Print All On One Page");
  m_all->SetValue(true);
  sizer->Add(m_all, 0, wxLEFT | wxRIGHT | wxTOP, 4);
  m_rows = new wxTextCtrl(this, IDC_PRINT_ROWS, "", wxDefaultPosition, wxSize(50, -1));
  m_columns = new wxTextCtrl(this, IDC_PRINT_COLUMNS, "", wxDefaultPosition, wxSize(50, -1));
  m_rows->SetMinSize(wxSize(40, -1));
  m_columns->SetMinSize(wxSize(40, -1));
  AddRow(this, sizer, "Rows Per Page:", m_rows);
  AddRow(this, sizer, "Columns Per Page:", m_columns);
  m_rows->Enable(false);
  m_columns->Enable(false);
  AddAlignment(sizer);
  sizer->AddSpacer(6);
  SetSizerAndFit(sizer);
  m_all->Bind(wxEVT_CHECKBOX, &CMultiPrintDlg::OnAllOnOnePage, this);
  m_rows->Bind(wxEVT_TEXT, &CMultiPrintDlg::OnGridText, this);
  m_columns->Bind(wxEVT_TEXT, &CMultiPrintDlg::OnGridText, this);
}

void CMultiPrintDlg::OnAllOnOnePage(wxCommandEvent&) {
  m_allOnOnePage = m_all->GetValue();
  m_rows->Enable(!m_allOnOnePage);
  m_columns->Enable(!m_allOnOnePage);
  if (m_target) m_target->SetAllOnOnePage(m_allOnOnePage);
}

void CMultiPrintDlg::OnGridText(wxCommandEvent& event) {
  const bool rows = event.GetId() == IDC_PRINT_ROWS;
  int value = 0;
  if (!ParseGridCount((rows ? m_rows : m_columns)->GetValue().utf8_string(), &value)) return;
  m_typing = event.GetId();
  if (m_target) {
    if (rows)
      m_target->SetRows(value);
    else
      m_target->SetColumns(value);
  }
  m_typing = 0;
}

void CMultiPrintDlg::SetOptions(bool allOnOnePage, int horizontal, int vertical, int rows, int columns) {
  CDetachedTarget detached(*this);
  SetAlignment(horizontal, vertical);
  m_allOnOnePage = allOnOnePage;
  m_all->SetValue(allOnOnePage);
  auto show = [](int value) { return value > 0 ? wxString::Format("%d", value) : wxString(); };
  if (m_typing != IDC_PRINT_ROWS) m_rows->ChangeValue(show(rows));
  if (m_typing != IDC_PRINT_COLUMNS) m_columns->ChangeValue(show(columns));
  m_rows->Enable(!allOnOnePage);
  m_columns->Enable(!allOnOnePage);
}

// --- a contact sheet ---------------------------------------------------------------------

CContactSheetDlg::CContactSheetDlg(wxWindow* parent) : PrintPaneDialog(parent) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_size = MakeChoice(this, IDC_PRINT_THUMBNAIL_SIZE,
                      {"Print All On One Page", "0.5 x 0.5 (Small)", "0.75 x 0.75", "1 x 1", "1.25 x 1.25 (Medium)",
                       "1.5 x 1.5", "1.75 x 1.75", "2 x 2 (Large)"});
  AddRow(this, sizer, "Thumbnail size:", m_size);
  AddAlignment(sizer);
  m_names = new wxCheckBox(this, IDC_PRINT_FILE_NAMES, "Print file names");
  m_folders = new wxCheckBox(this, IDC_PRINT_FOLDER_PATHS, "Print folder paths");
  m_names->SetValue(true);
  m_folders->SetValue(true);
  sizer->Add(m_names, 0, wxLEFT | wxRIGHT | wxTOP, 4);
  sizer->Add(m_folders, 0, wxLEFT | wxRIGHT | wxTOP, 4);
  m_font = MakeChoice(this, IDC_PRINT_FONT_SIZE, {"Small", "Medium", "Large"});
  m_font->SetSelection(1);
  AddRow(this, sizer, "Font size:", m_font);
  sizer->AddSpacer(6);
  SetSizerAndFit(sizer);
  m_size->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
    if (m_target) m_target->SetThumbnailSize(m_size->GetSelection());
  });
  m_names->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
    if (m_target) m_target->SetPrintFileNames(m_names->GetValue());
  });
  m_folders->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
    if (m_target) m_target->SetPrintFolderNames(m_folders->GetValue());
  });
  m_font->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
    if (m_target) m_target->SetTextSize(m_font->GetSelection());
  });
}

void CContactSheetDlg::SetOptions(int sizeIndex, int horizontal, int vertical, bool names, bool folders,
                                  int textSize) {
  CDetachedTarget detached(*this);
  m_size->SetSelection(std::clamp(sizeIndex, 0, 7));
  SetAlignment(horizontal, vertical);
  m_names->SetValue(names);
  m_folders->SetValue(folders);
  m_font->SetSelection(std::clamp(textSize, 0, 2));
}
