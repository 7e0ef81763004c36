#include "shell/PictoravellApp.h"

#include <cstdlib>

#include "imaging/Profile.h"
#include "shell/FileConfigProfileStore.h"
#include "shell/MainFrame.h"

bool CPictoravellApp::OnInit() {
  SetAppName("pictoravell");
  SetAppDisplayName("Pictoravell");
  InstallProfileStore(MakeFileConfigProfileStore());

  auto* frame = new CMainFrame();
  SetTopWindow(frame);
  frame->Show();

  if (const char* ms = std::getenv("PICTORAVELL_EXIT_AFTER_MS"); ms && std::atoi(ms) > 0) {
    m_exitTimer = std::make_unique<wxTimer>();
    m_exitTimer->Bind(wxEVT_TIMER, [frame](wxTimerEvent&) { frame->Close(true); });
    m_exitTimer->StartOnce(std::atoi(ms));
  }
  return true;
}

int CPictoravellApp::OnExit() {
  m_exitTimer.reset();
  Profile().Flush();
  InstallProfileStore(nullptr);
  return wxApp::OnExit();
}
