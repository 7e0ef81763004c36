#pragma once
// CProgressDialog: the small window with a message line, a progress bar and
// a Cancel button that a long job shows while it runs. While the window is
// up every other top-level window of the program is disabled, so the job's
// own event pumping (CheckDialogAbort) reaches only the progress window.
//
// For as long as the object exists the status stack holds one extra level
// with an empty text: the main frame defers a close request and "Close All"
// is off until the job has unwound.
//
// The current dialog is the innermost one alive: dialogs nest as a stack, and
// destroying an inner one makes the outer one current again.
//
// Typical use:
//   CProgressDialog progress(parent);
//   progress.Start("Generating thumbnail images...");
//   for (...) { ReportDialogProgress(k, n); if (CheckDialogAbort()) break; }
//   progress.Stop();

#include <memory>
#include <string>

class wxDialog;
class wxGauge;
class wxStaticText;
class wxWindow;
class wxWindowDisabler;

class CProgressDialog {
 public:
  static constexpr int kTemplateId = 299;
  static constexpr int kControlBar = 1387;
  static constexpr int kControlMessage = 1388;

  // Prepares the dialog (no window yet), makes it the current one and pushes
  // an empty status level. The window is placed over parent (or the main
  // frame when null).
  explicit CProgressDialog(wxWindow* parent = nullptr);
  // Pops the status level, leaves the stack of current dialogs and stops.
  ~CProgressDialog();
  CProgressDialog(const CProgressDialog&) = delete;
  CProgressDialog& operator=(const CProgressDialog&) = delete;

  // Disables the program's other windows, shows the window at once with the
  // message; shown = 1, cancelled = 0.
  void Start(const std::string& message);
  void SetMessage(const std::string& text);
  // Hides and destroys the window and enables the other windows again; does
  // nothing unless the window is up.
  void Stop();

  // The bar at done * 100 / total (a total <= 0 counts as 0 %).
  void SetProgress(int done, int total);
  // What the Cancel button does: the flag is set, the window stays.
  void Cancel() { m_bCancelled = 1; }

  bool IsShown() const { return m_bShown != 0; }
  bool IsCancelled() const { return m_bCancelled != 0; }
  // The bar's position (0..100); -1 without a window.
  int GetBarPosition() const;
  std::string GetMessage() const;
  wxDialog* GetWindow() const { return m_pWindow; }

 private:
  wxWindow* m_pParent;
  wxDialog* m_pWindow = nullptr;
  wxGauge* m_pBar = nullptr;
  wxStaticText* m_pMessage = nullptr;
  std::unique_ptr<wxWindowDisabler> m_disabler;
  int m_bShown = 0;
  int m_bCancelled = 0;
};

// The current progress dialog (the innermost one alive) or null.
extern CProgressDialog* g_pProgressDialog;

// PROGRESSPROC of the current progress dialog: its bar at done * 100 / total.
void ReportDialogProgress(int done, int total);
// CANCELPROC of the current progress dialog: dispatches waiting events
// (CheckUserAbort); Escape, a close request or quit count as Cancel. True
// when the dialog was cancelled, and always true without a current dialog.
bool CheckDialogAbort();
