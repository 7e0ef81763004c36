#pragma once
// Helpers of the main-window tests: a main frame made and torn down per test.

#include <wx/app.h>

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "shell/MainFrame.h"
#include "tests/support/WxTestSupport.h"

namespace shell_testing {

// Destroys the frame and lets the deferred deletion run.
inline void DestroyFrame(CMainFrame* frame) {
  if (frame && g_pMainFrame == frame) frame->Destroy();
  testing_support::PumpUntil([] {
    wxTheApp->ProcessIdle();
    return g_pMainFrame == nullptr;
  });
}

// A shown main frame over the settings store in use, gone at the end of the scope.
class FrameFixture {
 public:
  FrameFixture() {
    ResetStatusStack();
    frame = new CMainFrame(nullptr);
    frame->Show();
    testing_support::PumpUntil([this] { return frame->IsShownOnScreen(); });
  }
  ~FrameFixture() {
    ResetStatusStack();
    DestroyFrame(frame);
  }
  CMainFrame* frame;
};

}  // namespace shell_testing
