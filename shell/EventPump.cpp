#include "shell/EventPump.h"

#include <wx/app.h>
#include <wx/evtloop.h>

CEventPump::CEventPump() = default;

CEventPump::~CEventPump() {
  if (m_filtering) wxEvtHandler::RemoveFilter(this);
  if (m_installed) SetEventPump(nullptr);
}

void CEventPump::Install() {
  SetEventPump(this);
  m_installed = true;
}

bool CEventPump::DispatchPending() {
  // Nested calls (an event handler that itself runs a long operation) share
  // the one filter.
  const bool outer = !m_filtering;
  if (outer) {
    m_escape = false;
    wxEvtHandler::AddFilter(this);
    m_filtering = true;
  }
  // Bounded: a handler that keeps queueing events cannot hold the operation.
  for (int round = 0; round < 1000 && !m_escape; ++round) {
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop || !loop->Pending()) {
      if (!wxTheApp || !wxTheApp->HasPendingEvents()) break;
      continue;
    }
    loop->Dispatch();
  }
  const bool escape = m_escape;
  if (outer) {
    wxEvtHandler::RemoveFilter(this);
    m_filtering = false;
    m_escape = false;
  }
  return escape;
}

int CEventPump::FilterEvent(wxEvent& event) {
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_CHAR_HOOK || type == wxEVT_KEY_DOWN || type == wxEVT_CHAR) {
    if (static_cast<wxKeyEvent&>(event).GetKeyCode() == WXK_ESCAPE) {
      m_escape = true;
      return Event_Processed;
    }
  }
  return Event_Skip;
}
