// main() of the window tests: initialises wxWidgets on the X display without
// running its main loop, so each test creates windows, pumps events for a
// bounded time and checks the result. Without a display the binary reports
// "skipped" (77). A failed wx assertion fails the test instead of opening a
// dialog; logs go to stderr. Settings, data and cache folders are private to
// the process.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/wx.h>

#include <string>

#include "tests/support/WxTestSupport.h"

namespace {

class TestApp : public wxApp {
 public:
  bool OnInit() override { return true; }  // gtest parses the arguments
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!getenv("DISPLAY")) return 77;
  testing_support::UsePrivateUserFolders();
  // The toolkit's file chooser keeps its own settings: never the user's.
  setenv("GSETTINGS_BACKEND", "memory", 1);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
  wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond,
                        const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx assertion in " << func.utf8_str().data() << ": " << cond.utf8_str().data() << " "
        << msg.utf8_str().data();
  });
  delete wxLog::SetActiveTarget(new wxLogStderr);
  wxInitAllImageHandlers();
  int rc;
  {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    rc = RUN_ALL_TESTS();
  }
  wxTheApp->OnExit();
  wxEntryCleanup();
  return rc;
}
