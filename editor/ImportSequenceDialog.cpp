#include "editor/ImportSequenceDialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "base/StatusStack.h"
#include "editor/model/SequenceImport.h"
#include "shell/ModalDialog.h"

namespace {

const char kTitle[] = "Import Sequence of Files";
const char kRangeRefusal[] = "Please enter an integer between 0 and 65535.";

}  // namespace

CImportSequenceDlg::CImportSequenceDlg(wxWindow* parent, bool loopWanted)
    : CFileListDlg(parent, IDD_IMPORT_SEQUENCE, kTitle), m_bLoopWanted(loopWanted) {
  wxSizer* list = CreateListArea();

  auto* frameBox = new wxStaticBoxSizer(wxVERTICAL, this, "Single images");
  auto* grid = new wxFlexGridSizer(3, 6, 6);
  grid->Add(new wxStaticText(frameBox->GetStaticBox(), wxID_ANY, "Delay:"), 0, wxALIGN_CENTER_VERTICAL);
  m_delay = new wxTextCtrl(frameBox->GetStaticBox(), IDC_SEQUENCE_DELAY, "0", wxDefaultPosition, wxSize(70, -1));
  grid->Add(m_delay);
  grid->Add(new wxStaticText(frameBox->GetStaticBox(), wxID_ANY, "1/100 sec"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(new wxStaticText(frameBox->GetStaticBox(), wxID_ANY, "Disposal:"), 0, wxALIGN_CENTER_VERTICAL);
  const wxString disposals[] = {"No disposal specified", "Do not dispose", "Restore to background color",
                                "Restore to previous"};
  m_disposal = new wxChoice(frameBox->GetStaticBox(), IDC_SEQUENCE_DISPOSAL, wxDefaultPosition, wxDefaultSize,
                            std::size(disposals), disposals);
  m_disposal->SetSelection(0);
  grid->Add(m_disposal, 0, 0);
  grid->AddSpacer(0);
  frameBox->Add(grid, 0, wxALL, 6);

  auto* loopBox = new wxStaticBoxSizer(wxVERTICAL, this, "Loop");
  wxWindow* lb = loopBox->GetStaticBox();
  m_loopNone = new wxRadioButton(lb, IDC_SEQUENCE_LOOP_NONE, "None", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  m_loopForever = new wxRadioButton(lb, IDC_SEQUENCE_LOOP_FOREVER, "Forever");
  m_loopTimes = new wxRadioButton(lb, IDC_SEQUENCE_LOOP_TIMES, wxString());
  m_loopNumber = new wxTextCtrl(lb, IDC_SEQUENCE_LOOP_NUMBER, "0", wxDefaultPosition, wxSize(70, -1));
  auto* times = new wxBoxSizer(wxHORIZONTAL);
  times->Add(m_loopTimes, 0, wxALIGN_CENTER_VERTICAL);
  times->Add(m_loopNumber, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  times->Add(new wxStaticText(lb, wxID_ANY, "times"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
  loopBox->Add(m_loopNone, 0, wxALL, 4);
  loopBox->Add(m_loopForever, 0, wxALL, 4);
  loopBox->Add(times, 0, wxALL, 4);

  auto* options = new wxBoxSizer(wxHORIZONTAL);
  options->Add(frameBox, 1, wxEXPAND | wxRIGHT, 8);
  options->Add(loopBox, 0, wxEXPAND);

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(list, 1, wxEXPAND | wxALL, 10);
  column->Add(options, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
  column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(column);
  m_ok = FindWindow(wxID_OK);
  m_cancel = FindWindow(wxID_CANCEL);

  m_loopNone->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { OnLoopKind(0); });
  m_loopForever->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { OnLoopKind(1); });
  m_loopTimes->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { OnLoopKind(2); });
  Bind(wxEVT_BUTTON, &CImportSequenceDlg::OnOK, this, wxID_OK);

  // A loop wanted starts at "Forever" with the number off; otherwise every
  // loop control stays off.
  if (m_bLoopWanted) {
    m_loopForever->SetValue(true);
    m_loopNumber->Enable(false);
  } else {
    for (wxWindow* w : {static_cast<wxWindow*>(m_loopNone), static_cast<wxWindow*>(m_loopForever),
                        static_cast<wxWindow*>(m_loopTimes), static_cast<wxWindow*>(m_loopNumber)})
      w->Enable(false);
  }
  UpdateControls();
}

void CImportSequenceDlg::UpdateControls() {
  CFileListDlg::UpdateControls();
  if (m_ok) m_ok->Enable(!GetFiles().empty());
}

void CImportSequenceDlg::AddFile(const std::string& path) {
  m_list->Append(path);
  UpdateControls();
}

void CImportSequenceDlg::EnableControls(bool enable) {
  CFileListDlg::EnableControls(enable);
  const bool loop = enable && m_bLoopWanted;
  m_loopNone->Enable(loop);
  m_loopForever->Enable(loop);
  m_loopTimes->Enable(loop);
  m_loopNumber->Enable(loop && m_nLoopKind == 2);
  m_delay->Enable(enable);
  m_disposal->Enable(enable);
  m_cancel->Enable(enable);
  m_ok->Enable(enable && !GetFiles().empty());
}

void CImportSequenceDlg::OnLoopKind(int kind) {
  m_nLoopKind = kind;
  m_loopNumber->Enable(kind == 2);
}

uint16_t CImportSequenceDlg::GetLoopCount() const {
  if (m_nLoopKind == 0) return 0;
  if (m_nLoopKind == 1) return kLoopForever;
  return static_cast<uint16_t>(m_nLoopNumber);
}

bool CImportSequenceDlg::ReadValues() {
  for (auto [edit, value] : {std::pair{m_delay, &m_nDelay}, std::pair{m_loopNumber, &m_nLoopNumber}}) {
    long number = 0;
    if (!edit->GetValue().Trim().Trim(false).ToLong(&number) || number < 0 || number > 65535) {
      wxMessageBox(kRangeRefusal, kTitle, wxOK | wxICON_EXCLAMATION, this);
      edit->SetFocus();
      edit->SelectAll();
      return false;
    }
    *value = static_cast<int>(number);
  }
  m_nDisposal = std::max(m_disposal->GetSelection(), 0);
  return true;
}

void CImportSequenceDlg::OnOK(wxCommandEvent&) {
  if (!ReadValues()) return;
  EndModal(ImportFiles() ? wxID_OK : wxID_CANCEL);
}

bool CImportSequenceDlg::ImportFiles() {
  EnableControls(false);
  const int result =
      ImportSequenceFiles(GetFiles(), m_nDelay, m_nDisposal, m_frames, CheckUserAbort, ReportProgress);
  EnableControls(true);
  return result == IMAGEIO_OK;
}

bool RunImportSequenceDialog(wxWindow* parent, std::vector<CAnimFrame>& frames, uint16_t* loopCount) {
  CImportSequenceDlg dialog(parent, loopCount != nullptr);
  if (RunModalDialog(dialog) != wxID_OK || dialog.GetFrames().empty()) return false;
  frames = std::move(dialog.GetFrames());
  if (loopCount) *loopCount = dialog.GetLoopCount();
  return true;
}
