#pragma once
// Helpers for tests that open windows (see WxTestMain.cpp).

#include <wx/evtloop.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/stopwatch.h>
#include <wx/wx.h>

#include <functional>
#include <string>
#include <vector>

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

// While it lives, every message box is answered by `answer` (given the box)
// instead of being shown, and recorded: caption, text and style.
class AnswerMessageBoxes : public wxModalDialogHook {
 public:
  struct Box {
    std::string caption, message;
    long style = 0;
  };
  explicit AnswerMessageBoxes(std::function<int(const Box&)> answer) : m_answer(std::move(answer)) { Register(); }
  ~AnswerMessageBoxes() override { Unregister(); }
  std::vector<Box> boxes;

 protected:
  int Enter(wxDialog* dialog) override {
    auto* box = dynamic_cast<wxMessageDialog*>(dialog);
    if (!box) return wxID_NONE;
    boxes.push_back(Box{box->GetCaption().utf8_string(), box->GetMessage().utf8_string(), box->GetMessageDialogStyle()});
    return m_answer(boxes.back());
  }
  void Exit(wxDialog*) override {}

 private:
  std::function<int(const Box&)> m_answer;
};

}  // namespace testing_support
