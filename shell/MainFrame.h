#pragma once
// The main window of the program.

#include <wx/frame.h>

class CMainFrame : public wxFrame {
 public:
  CMainFrame();
};
