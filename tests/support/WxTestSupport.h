#pragma once
// Helpers for tests that open windows (see WxTestMain.cpp).

#include <wx/evtloop.h>
#include <wx/stopwatch.h>
#include <wx/wx.h>

#include <string>

namespace testing_support {

// Points XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME and
// PICTORAVELL_CONFIG at a fresh folder of this process.
void UsePrivateUserFolders();

// Dispatches pending events until pred() holds or ms milliseconds pass;
// returns pred()'s last value.
template <class Pred>
bool PumpUntil(Pred pred, long ms = 3000) {
  wxStopWatch watch;
  while (!pred()) {
    if (watch.Time() > ms) return false;
    wxTheApp->ProcessPendingEvents();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
      while (loop->Pending()) loop->Dispatch();
    wxMilliSleep(5);
  }
  return true;
}

// Dispatches pending events for ms milliseconds.
void PumpFor(long ms);

}  // namespace testing_support
