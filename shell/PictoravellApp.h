#pragma once
// The application object: installs the program's settings store and message
// sink, and opens the main window.

#include <wx/app.h>
#include <wx/timer.h>

#include <memory>

class CPictoravellApp : public wxApp {
 public:
  bool OnInit() override;
  int OnExit() override;

 private:
  // Closes the main window after $PICTORAVELL_EXIT_AFTER_MS milliseconds (used
  // by start-up tests).
  std::unique_ptr<wxTimer> m_exitTimer;
};

wxDECLARE_APP(CPictoravellApp);
