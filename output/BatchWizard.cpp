#include "output/BatchWizard.h"

#include <wx/gauge.h>
#include <wx/listctrl.h>

#include "base/StatusStack.h"
#include "output/BatchScriptPages.h"
#include "shell/ModalDialog.h"
#include "output/core/ImageConverter.h"
#include "platform/PathFunctions.h"

CBatchProgressDialog* g_pBatchProgressDlg = nullptr;

namespace {

constexpr int kStartTimerId = 1001;

wxString Utf8(const std::string& text) { return wxString::FromUTF8(text); }

}  // namespace

// ---------------------------------------------------------------------------

CBatchProgressDialog::CBatchProgressDialog(wxWindow* parent, CImageConverter& job, std::vector<std::string> files)
    : wxDialog(parent, 292, "Batch Progress"), m_job(job), m_run(job, std::move(files)), m_timer(this, kStartTimerId) {
  g_pBatchProgressDlg = this;
  auto* column = new wxBoxSizer(wxVERTICAL);
  m_count = new wxStaticText(this, IDC_PROGRESS_COUNT, "", wxDefaultPosition, wxSize(360, -1));
  m_file = new wxStaticText(this, IDC_PROGRESS_FILE, "", wxDefaultPosition, wxSize(360, -1),
                            wxST_ELLIPSIZE_MIDDLE | wxST_NO_AUTORESIZE);
  m_bar = new wxGauge(this, IDC_PROGRESS_BAR, 100, wxDefaultPosition, wxSize(360, -1));
  column->Add(m_count, 0, wxLEFT | wxRIGHT | wxTOP, 12);
  column->Add(m_file, 0, wxLEFT | wxRIGHT | wxTOP, 12);
  column->Add(m_bar, 0, wxEXPAND | wxALL, 12);
  column->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALIGN_CENTER | wxBOTTOM, 12);
  SetSizerAndFit(column);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { OnCancel(); });
  Bind(wxEVT_TIMER, &CBatchProgressDialog::OnTimer, this);
  m_run.SetFileCallback([this](int k, int n, const std::string& path) {
    m_count->SetLabel(wxString::Format("Now processing %d of %d", k + 1, n));
    m_file->SetLabel(Utf8(GetFileNamePart(path)));
    m_bar->SetValue(0);
    Update();
    if (m_onFileStarted) m_onFileStarted(k);
  });
  m_timer.StartOnce(200);
}

CBatchProgressDialog::~CBatchProgressDialog() {
  m_timer.Stop();
  if (g_pBatchProgressDlg == this) g_pBatchProgressDlg = nullptr;
}

void CBatchProgressDialog::OnTimer(wxTimerEvent& event) {
  if (event.GetId() != kStartTimerId) {
    event.Skip();
    return;
  }
  m_timer.Stop();
  ProcessFiles();
}

void CBatchProgressDialog::ProcessFiles() {
  m_job.SetCallbacks(BatchProgressCallback, BatchAbortCallback);
  m_run.Run();
  m_job.SetCallbacks(nullptr, nullptr);
  if (IsModal())
    EndModal(wxID_OK);
  else
    Hide();
}

void CBatchProgressDialog::OnCancel() { m_run.RequestStop(); }

void CBatchProgressDialog::SetProgress(int done, int total) {
  if (total <= 0) return;
  if (m_bar->GetRange() != total) m_bar->SetRange(total);
  m_bar->SetValue(std::clamp(done, 0, total));
}

bool CBatchProgressDialog::Abort() {
  if (CheckUserAbort()) m_run.RequestStop();
  return m_run.IsStopRequested();
}

void BatchProgressCallback(int done, int total) {
  if (g_pBatchProgressDlg) g_pBatchProgressDlg->SetProgress(done, total);
}

bool BatchAbortCallback() { return g_pBatchProgressDlg ? g_pBatchProgressDlg->Abort() : true; }

// ---------------------------------------------------------------------------

CBatchScriptRename::CBatchScriptRename(wxWindow* parent, const std::string& name)
    : wxDialog(parent, 290, "Rename Batch Script"), m_strName(name) {
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, "New name:"), 0, wxLEFT | wxRIGHT | wxTOP, 10);
  m_edit = new wxTextCtrl(this, IDC_RENAME_EDIT, Utf8(name), wxDefaultPosition, wxSize(280, -1));
  column->Add(m_edit, 0, wxEXPAND | wxALL, 10);
  column->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(column);
  Bind(wxEVT_BUTTON, &CBatchScriptRename::OnOK, this, wxID_OK);
}

void CBatchScriptRename::OnOK(wxCommandEvent&) {
  const std::string name = m_edit->GetValue().utf8_string();
  if (!IsValidBatchScriptName(name)) {
    // An empty name would lose the script; others would reach other settings.
    wxMessageBox("Please enter a script name that does not begin with '.' and has no '/', '\\' or control "
                 "characters.",
                 "Rename Batch Script", wxOK | wxICON_EXCLAMATION, this);
    return;
  }
  m_strName = name;
  EndModal(wxID_OK);
}

// ---------------------------------------------------------------------------

CBatchWizard::CBatchWizard(wxWindow* parent, BatchSelection selection)
    : wxDialog(parent, 279, "Batch Processing Wizard", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_selection(std::move(selection)) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  auto* left = new wxBoxSizer(wxVERTICAL);
  left->Add(new wxStaticText(this, wxID_ANY, "Batch scripts:"), 0, wxBOTTOM, 4);
  m_list = new wxListBox(this, IDC_SCRIPT_LIST, wxDefaultPosition, wxSize(200, 260));
  left->Add(m_list, 1, wxEXPAND);
  row->Add(left, 0, wxEXPAND | wxALL, 10);
  auto* middle = new wxBoxSizer(wxVERTICAL);
  middle->Add(new wxStaticText(this, wxID_ANY, "Settings of the selected script:"), 0, wxBOTTOM, 4);
  m_summary = new wxListCtrl(this, IDC_SCRIPT_SUMMARY, wxDefaultPosition, wxSize(400, 260),
                             wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxLC_SINGLE_SEL);
  middle->Add(m_summary, 1, wxEXPAND);
  row->Add(middle, 1, wxEXPAND | wxTOP | wxBOTTOM, 10);
  auto* buttons = new wxBoxSizer(wxVERTICAL);
  const std::pair<int, const char*> commands[] = {
      {IDC_SCRIPT_RUN, "Run"},           {IDC_SCRIPT_NEW, "New..."},    {IDC_SCRIPT_EDIT, "Edit..."},
      {IDC_SCRIPT_COPY, "Copy"},         {IDC_SCRIPT_RENAME, "Rename..."}, {IDC_SCRIPT_DELETE, "Delete"},
  };
  for (auto [id, label] : commands) buttons->Add(new wxButton(this, id, label), 0, wxEXPAND | wxBOTTOM, 4);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(this, wxID_CANCEL, "Close"), 0, wxEXPAND);
  row->Add(buttons, 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(row);

  InitSummaryColumns(m_summary);
  for (const std::string& name : ListBatchScripts()) m_list->Append(Utf8(name));
  if (m_list->GetCount() > 0) m_list->SetSelection(0);

  m_list->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { RefreshSelection(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnNew(); }, IDC_SCRIPT_NEW);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnEdit(); }, IDC_SCRIPT_EDIT);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCopy(); }, IDC_SCRIPT_COPY);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRename(); }, IDC_SCRIPT_RENAME);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnDelete(); }, IDC_SCRIPT_DELETE);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnRun(); }, IDC_SCRIPT_RUN);
  RefreshSelection();
}

std::string CBatchWizard::SelectedName() const {
  const int selection = m_list->GetSelection();
  return selection == wxNOT_FOUND ? std::string() : m_list->GetString(selection).utf8_string();
}

void CBatchWizard::AddAndSelect(const std::string& name) {
  m_list->SetSelection(m_list->Append(Utf8(name)));
}

void CBatchWizard::RefreshSelection() {
  const std::string name = SelectedName();
  const bool selected = m_list->GetSelection() != wxNOT_FOUND;
  if (selected) {
    CBatchScript script;
    script.Load(name);
    FillSummary(m_summary, script);
  }
  for (int id : {IDC_SCRIPT_COPY, IDC_SCRIPT_EDIT, IDC_SCRIPT_RENAME, IDC_SCRIPT_DELETE}) FindWindow(id)->Enable(selected);
  FindWindow(IDC_SCRIPT_RUN)->Enable(selected && !m_selection.files.empty());
}

bool CBatchWizard::RunScriptWizard(CBatchScript& script) {
  CBatchScriptWizard wizard(this, &script);
  const bool finished = wizard.RunModal();
  return finished;
}

void CBatchWizard::OnNew() {
  CBatchScript script;
  if (RunScriptWizard(script) && script.Save()) AddAndSelect(script.m_strName);
  RefreshSelection();
}

void CBatchWizard::OnEdit() {
  const int selection = m_list->GetSelection();
  if (selection == wxNOT_FOUND) return;
  const std::string oldName = SelectedName();
  CBatchScript script;
  script.Load(oldName);
  if (RunScriptWizard(script)) {
    if (script.m_strName != oldName) {
      DeleteBatchScript(oldName);
      m_list->SetString(selection, Utf8(script.m_strName));
      m_list->SetSelection(selection);
    }
    script.Save();
  }
  RefreshSelection();
}

void CBatchWizard::OnCopy() {
  if (m_list->GetSelection() == wxNOT_FOUND) return;
  CBatchScript script;
  script.Load(SelectedName());
  script.m_strName = "Copy of " + script.m_strName;
  if (script.Save()) AddAndSelect(script.m_strName);
  RefreshSelection();
}

void CBatchWizard::OnRename() {
  const int selection = m_list->GetSelection();
  if (selection == wxNOT_FOUND) return;
  const std::string oldName = SelectedName();
  std::string newName = oldName;
  CBatchScriptRename dialog(this, oldName);
  if (RunModalDialog(dialog) == wxID_OK) {
    newName = dialog.m_strName;
    CBatchScript script;
    script.Load(oldName);
    DeleteBatchScript(oldName);
    script.m_strName = newName;
    script.Save();
    m_list->SetString(selection, Utf8(newName));
    m_list->SetSelection(selection);
  }
  RefreshSelection();
}

void CBatchWizard::OnDelete() {
  const int selection = m_list->GetSelection();
  if (selection == wxNOT_FOUND) return;
  const std::string name = SelectedName();
  if (!name.empty()) DeleteBatchScript(name);
  m_list->Delete(selection);
  if (selection > 0) m_list->SetSelection(selection - 1);
  RefreshSelection();
}

void CBatchWizard::OnRun() {
  if (m_selection.files.empty() || m_list->GetSelection() == wxNOT_FOUND) return;
  CBatchScript script;
  if (!script.Load(SelectedName())) return;
  CImageConverter job;
  script.ApplyTo(job);
  if (m_selection.beforeRun) m_selection.beforeRun();
  BatchRunCounts counts;
  {
    CBatchProgressDialog progress(this, job, m_selection.files);
    if (m_beforeProgress) m_beforeProgress(progress);
    RunModalDialog(progress);
    counts = progress.GetCounts();
  }
  if (m_selection.afterRun) m_selection.afterRun();
  wxMessageBox(Utf8(FormatBatchResults(script.m_strName, counts.processed, counts.completed, counts.failed)),
                    kBatchResultsCaption, wxOK | wxICON_INFORMATION, this);
  RefreshSelection();
}

void RunBatchWizard(wxWindow* parent, BatchSelection selection) {
  CBatchWizard wizard(parent, std::move(selection));
  RunModalDialog(wizard);
}
