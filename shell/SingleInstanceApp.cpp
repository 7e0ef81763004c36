#include "shell/SingleInstanceApp.h"

#include <wx/modalhook.h>

#include "base/StatusStack.h"
#include "platform/InstanceChannel.h"

namespace {

std::unique_ptr<CInstanceChannel>& Channel() {
  static std::unique_ptr<CInstanceChannel> channel;
  return channel;
}

// Counts the modal dialogs that are up: a forwarded line waits until they end.
class CModalCounter : public wxModalDialogHook {
 public:
  int count = 0;
  bool registered = false;

 protected:
  int Enter(wxDialog*) override {
    ++count;
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { --count; }
};

CModalCounter& ModalCounter() {
  static CModalCounter counter;
  return counter;
}

// How often the first instance looks for a forwarded line.
constexpr int kInstanceTimerMs = 100;

}  // namespace

CSingleInstanceApp::CSingleInstanceApp() {
  m_instanceTimer.Bind(wxEVT_TIMER, &CSingleInstanceApp::OnInstanceTimer, this);
}

CSingleInstanceApp::~CSingleInstanceApp() {
  m_instanceTimer.Stop();
  Channel().reset();
}

void CSingleInstanceApp::SetChannel(std::unique_ptr<CInstanceChannel> channel) { Channel() = std::move(channel); }

bool CSingleInstanceApp::IsFirstInstance() const { return !Channel() || Channel()->IsFirstInstance(); }

void CSingleInstanceApp::PublishInstanceWindow() {
  if (!Channel()) return;
  if (!ModalCounter().registered) {
    ModalCounter().Register();
    ModalCounter().registered = true;
  }
  Channel()->SetWindow(1);
  Channel()->SetReady(1);
  m_instanceTimer.Start(kInstanceTimerMs);
}

void CSingleInstanceApp::ClearInstanceWindow() {
  if (Channel()) Channel()->SetWindow(0);
}

void CSingleInstanceApp::OnInstanceTimer(wxTimerEvent&) {
  // A line is handled only at the top of the event loop: not inside a long
  // operation's event pump nor while a modal dialog runs (the sender waits).
  if (!Channel() || GetStatusDepth() > 0 || ModalCounter().count > 0) return;
  std::string line;
  if (!Channel()->PollCommandLine(line)) return;
  m_instanceTimer.Stop();  // no second line while this one is handled
  OnInstanceCommandLine(line);
  if (Channel()) {
    Channel()->SetReady(1);
    if (Channel()->GetWindow() != 0) m_instanceTimer.Start(kInstanceTimerMs);
  }
}

int CSingleInstanceApp::OnExit() {
  m_instanceTimer.Stop();
  if (Channel()) {
    if (ModalCounter().registered) {
      ModalCounter().Unregister();
      ModalCounter().registered = false;
    }
    Channel()->Close();
  }
  return wxApp::OnExit();
}
