#pragma once
// The event pump of long operations (CheckUserAbort): dispatches every event
// pending in the running event loop, so the window repaints and takes input
// while the operation runs on the user-interface thread. While it dispatches,
// an event filter swallows the Escape key and records it.

#include <wx/event.h>

#include "base/StatusStack.h"

class CEventPump : public IEventPump, public wxEventFilter {
 public:
  CEventPump();
  ~CEventPump() override;
  // Installs this pump into the status stack (and removes it on destruction).
  void Install();

  bool DispatchPending() override;
  int FilterEvent(wxEvent& event) override;

 private:
  bool m_installed = false;
  bool m_filtering = false;
  bool m_escape = false;
};
