#include "shell/ProgressDialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/StatusStack.h"
#include "shell/MainFrame.h"

CProgressDialog* g_pProgressDialog = nullptr;

namespace {

// Every progress dialog alive, innermost last.
std::vector<CProgressDialog*>& Alive() {
  static std::vector<CProgressDialog*> alive;
  return alive;
}

int Percent(int done, int total) {
  if (total <= 0) return 0;
  return static_cast<int>(std::clamp<int64_t>(int64_t{done} * 100 / total, 0, 100));
}

// The window of a progress dialog. Cancel and the window manager's close
// button only set the owner's flag: the job decides when the window goes.
class CProgressWindow : public wxDialog {
 public:
  CProgressWindow(wxWindow* parent, CProgressDialog* owner)
      : wxDialog(parent, CProgressDialog::kTemplateId, "Progress", wxDefaultPosition, wxDefaultSize, wxCAPTION),
        m_owner(owner) {
    auto* column = new wxBoxSizer(wxVERTICAL);
    message = new wxStaticText(this, CProgressDialog::kControlMessage, "Progress Message", wxDefaultPosition,
                               wxSize(FromDIP(320), -1), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    column->Add(message, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(10));
    bar = new wxGauge(this, CProgressDialog::kControlBar, 100, wxDefaultPosition, wxSize(FromDIP(320), -1));
    column->Add(bar, 0, wxEXPAND | wxALL, FromDIP(10));
    column->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(10));
    SetSizerAndFit(column);
    SetEscapeId(wxID_CANCEL);
    Bind(wxEVT_BUTTON, &CProgressWindow::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CProgressWindow::OnClose, this);
  }
  // The owner is gone (the window may outlive it until deferred deletion).
  void Detach() { m_owner = nullptr; }

  wxStaticText* message;
  wxGauge* bar;

 private:
  void OnCancel(wxCommandEvent&) {
    if (m_owner) m_owner->Cancel();
  }
  void OnClose(wxCloseEvent& event) {
    if (m_owner) m_owner->Cancel();
    if (event.CanVeto()) event.Veto();
  }
  CProgressDialog* m_owner;
};

}  // namespace

CProgressDialog::CProgressDialog(wxWindow* parent) : m_pParent(parent) {
  Alive().push_back(this);
  g_pProgressDialog = this;
  PushStatusMessage(std::string());
}

CProgressDialog::~CProgressDialog() {
  PopStatusMessage();
  auto& alive = Alive();
  alive.erase(std::remove(alive.begin(), alive.end(), this), alive.end());
  g_pProgressDialog = alive.empty() ? nullptr : alive.back();
  Stop();
}

void CProgressDialog::Start(const std::string& message) {
  if (m_pWindow) Stop();
  wxWindow* parent = m_pParent ? m_pParent : static_cast<wxWindow*>(g_pMainFrame);
  auto* window = new CProgressWindow(parent, this);
  m_pWindow = window;
  m_pBar = window->bar;
  m_pMessage = window->message;
  m_disabler = std::make_unique<wxWindowDisabler>(window);
  if (parent) window->CentreOnParent();
  window->Show();
  window->Update();
  SetMessage(message);
  m_bShown = 1;
  m_bCancelled = 0;
}

void CProgressDialog::SetMessage(const std::string& text) {
  if (!m_pMessage) return;
  m_pMessage->SetLabel(wxString::FromUTF8(text));
  m_pMessage->Update();
}

void CProgressDialog::Stop() {
  if (!m_bShown || !m_pWindow) return;
  m_bShown = 0;
  auto* window = static_cast<CProgressWindow*>(m_pWindow);
  window->Detach();
  window->Hide();
  m_disabler.reset();
  m_pWindow = nullptr;
  m_pBar = nullptr;
  m_pMessage = nullptr;
  window->Destroy();
}

void CProgressDialog::SetProgress(int done, int total) {
  if (!m_pBar) return;
  m_pBar->SetRange(100);
  m_pBar->SetValue(Percent(done, total));
  m_pBar->Update();
}

int CProgressDialog::GetBarPosition() const { return m_pBar ? m_pBar->GetValue() : -1; }

std::string CProgressDialog::GetMessage() const {
  return m_pMessage ? m_pMessage->GetLabel().utf8_string() : std::string();
}

void ReportDialogProgress(int done, int total) {
  if (g_pProgressDialog) g_pProgressDialog->SetProgress(done, total);
}

bool CheckDialogAbort() {
  CProgressDialog* dialog = g_pProgressDialog;
  if (!dialog) return true;
  const bool abort = CheckUserAbort();
  // What the pump dispatched may have ended the dialog: then the job stops.
  const auto& alive = Alive();
  if (std::find(alive.begin(), alive.end(), dialog) == alive.end()) return true;
  if (abort) dialog->Cancel();
  return dialog->IsCancelled();
}
