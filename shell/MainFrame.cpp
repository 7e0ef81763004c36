#include "shell/MainFrame.h"

#include <wx/sizer.h>
#include <wx/statusbr.h>

CMainFrame::CMainFrame() : wxFrame(nullptr, wxID_ANY, "Pictoravell", wxDefaultPosition, wxSize(1024, 720)) {
  CreateStatusBar(1);
  SetStatusText("Ready");
}
