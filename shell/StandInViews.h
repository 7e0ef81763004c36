#pragma once
// Plain windows that hold the places of the welcome page, the browse view
// and the preview view in the main frame. They enter and leave their modes
// through the frame exactly as the full windows do, so that mode switching,
// menus and accelerators work on them.

#include <wx/panel.h>
#include <wx/stattext.h>

#include <string>
#include <utility>
#include <vector>

class CMainFrame;

// --- client pages ---------------------------------------------------------
// The page of the document area shown while no document is open.
class CWelcomePage : public wxPanel {
 public:
  explicit CWelcomePage(wxWindow* parent);
};

// The browse view: enters Browse mode through the frame and leaves it again.
class COrganizeView : public wxPanel {
 public:
  explicit COrganizeView(wxWindow* parent);
  // Takes the client area: installs the browse mode record (menu
  // IDR_BROWSE, accelerators IDR_BROWSE_ACCEL, leave and folder callbacks).
  bool ActivateBrowse(CMainFrame& frame);
  // The leave operation: returns the frame to View and Edit.
  void LeaveBrowseMode(CMainFrame& frame);
  void BrowseFolder(const std::string& folder);
  const std::string& GetFolder() const { return m_folder; }
  int GetLeaveCount() const { return m_leaveCount; }

 private:
  wxStaticText* m_label = nullptr;
  std::string m_folder;
  int m_leaveCount = 0;
};

// The print preview of an image or of a contact sheet.
class CPtPreviewView : public wxPanel {
 public:
  explicit CPtPreviewView(wxWindow* parent);
  bool EnterPreview(CMainFrame& frame, bool contactSheet);
  void ClosePreview(CMainFrame& frame);
  bool IsContactSheet() const { return m_contactSheet; }

 private:
  wxStaticText* m_label = nullptr;
  bool m_contactSheet = false;
};
