#pragma once
// The "Batch Processing Wizard" window: the stored batch scripts with their
// summary, the commands that create, copy, edit, rename and delete them, and
// Run, which converts the browser's selected files in the "Batch Progress"
// dialog and then shows the counts.

#include <wx/timer.h>
#include <wx/wx.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output/core/BatchRun.h"
#include "output/core/BatchScript.h"

class wxGauge;
class wxListCtrl;
class CImageConverter;

enum BatchWizardControlId {
  IDC_SCRIPT_LIST = 1348,
  IDC_SCRIPT_SUMMARY = 1335,
  IDC_SCRIPT_NEW = 1350,
  IDC_SCRIPT_EDIT = 1349,
  IDC_SCRIPT_COPY = 1354,
  IDC_SCRIPT_RENAME = 1353,
  IDC_SCRIPT_DELETE = 1352,
  IDC_SCRIPT_RUN = 1351,
  IDC_RENAME_EDIT = 1363,
  IDC_PROGRESS_COUNT = 1282,
  IDC_PROGRESS_FILE = 1305,
  IDC_PROGRESS_BAR = 1372,
};

// What the wizard gets from the browser: the selected files in list order,
// and two hooks around a run (the browser stops watching its folder before a
// run and reloads it once afterwards, so a run never frees what it walks).
struct BatchSelection {
  std::vector<std::string> files;
  std::function<void()> beforeRun;
  std::function<void()> afterRun;
};

// The "Batch Progress" dialog: converts the files with the job once its
// first timer tick (200 ms after it opens) arrives, then ends by itself.
class CBatchProgressDialog : public wxDialog {
 public:
  CBatchProgressDialog(wxWindow* parent, CImageConverter& job, std::vector<std::string> files);
  ~CBatchProgressDialog() override;

  void ProcessFiles();
  // Cancel: the file being converted is abandoned and the run ends.
  void OnCancel();
  void SetProgress(int done, int total);
  bool Abort();
  const BatchRunCounts& GetCounts() const { return m_run.GetCounts(); }
  // Workers of the run (tests); the default uses every core.
  void SetWorkerCount(int workers) { m_run.SetWorkerCount(workers); }
  // Told when a file starts, after the dialog shows it (tests).
  std::function<void(int)> m_onFileStarted;

 private:
  void OnTimer(wxTimerEvent& event);
  CImageConverter& m_job;
  CBatchRun m_run;
  wxTimer m_timer;
  wxStaticText* m_count;
  wxStaticText* m_file;
  wxGauge* m_bar;
};

// The live progress dialog, or null.
extern CBatchProgressDialog* g_pBatchProgressDlg;
// The progress and cancel callbacks the job gets during a run.
void BatchProgressCallback(int done, int total);
bool BatchAbortCallback();

// "Rename Batch Script": one name; OK refuses names that cannot be stored.
class CBatchScriptRename : public wxDialog {
 public:
  CBatchScriptRename(wxWindow* parent, const std::string& name);
  std::string m_strName;

 private:
  void OnOK(wxCommandEvent& event);
  wxTextCtrl* m_edit;
};

class CBatchWizard : public wxDialog {
 public:
  CBatchWizard(wxWindow* parent, BatchSelection selection);

  // Shows the selected script's summary and enables the commands (named
  // apart from the window's own Refresh, which repaints).
  void RefreshSelection();
  void OnNew();
  void OnEdit();
  void OnCopy();
  void OnRename();
  void OnDelete();
  void OnRun();

  // Called with the progress dialog just before it runs (tests).
  std::function<void(CBatchProgressDialog&)> m_beforeProgress;

  wxListBox* m_list;
  wxListCtrl* m_summary;

 private:
  bool RunScriptWizard(CBatchScript& script);
  std::string SelectedName() const;
  void AddAndSelect(const std::string& name);
  BatchSelection m_selection;
};

// Opens the wizard over the selected files (the browser's "Batch Process..." command).
void RunBatchWizard(wxWindow* parent, BatchSelection selection);
