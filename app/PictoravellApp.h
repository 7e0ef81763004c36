#pragma once
// The application object: start-up (settings, recent-file list, main frame,
// window placement, the command line), forwarded command lines, the
// application-level commands, and the program-wide values the image views
// read.

#include <wx/timer.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/PictoravellDoc.h"
#include "shell/DialogImageFileHost.h"
#include "shell/EventPump.h"
#include "shell/SingleInstanceApp.h"

class CRecentFileList;
class wxDocManager;

// Whether the application's own command table (or its recent-file list)
// carries out a command: those reach it after the windows pass them on.
bool IsApplicationCommand(int id);
// The last word on a menu item's state: an item nobody else enabled is
// disabled, except one that opens a submenu. False when the event is not
// a menu item's (left to its window).
bool DisableUnhandledMenuItem(wxUpdateUIEvent& event);

class CPictoravellApp : public CSingleInstanceApp {
 public:
  CPictoravellApp();
  ~CPictoravellApp() override;

  bool OnInit() override;
  int OnExit() override;
  void OnInstanceCommandLine(const std::string& commandLine) override;

  // Runs one command-line argument: '-' starts a flag (none does anything
  // here), anything else is a file to open. False when a file failed.
  bool RunCommandLineArgument(const std::string& argument, bool last);
  // Opens a file as a document. The path is made absolute and normalised.
  bool OpenDocumentFile(const std::string& path);
  // Makes a new document of a kind (NEWDOC_...); false when refused or cancelled.
  bool NewDocument(NEW_DOCUMENT_KIND kind);
  // The documents opened so far, in order (absolute paths).
  const std::vector<std::string>& GetOpenedFiles() const { return m_openedFiles; }

  void DoFileOpen(const std::string& startFolder);
  // The end of the General Settings dialog on OK: stores the values and
  // rebuilds the recent-file list with its new size.
  void ApplyGeneralSettings(int recentFileCount, int autoPlay);
  void UpdateAllDocumentViews(int hint);

  int m_bAutoPlay = 1;

  // --- commands (the table: app/AppCommands.cpp) ---
  bool CommandAllowed(unsigned) const { return true; }
  void OnFileNew();
  void OnFileOpen();
  void OnFileSequence();
  void OnNewFromClipboard();
  void OnMultiburst();
  void OnDisplayComments();
  void OnPersonalSignature();
  void OnHelpFinder();
  void OnWebHelp();
  void OnWebSite();
  void OnAppAbout();
  void OnGeneralSettings();
  bool CanPasteNew() const;
  void OnUpdateDisplayComments(wxUpdateUIEvent& event);

 private:
  void CreateRecentFileList(int size);
  void BindCommands();
  void OnRecentFile(wxCommandEvent& event);
  void OnUpdateRecentFile(wxUpdateUIEvent& event);
  void OnUpdateUnhandled(wxUpdateUIEvent& event);
  void OnIdleClearReadout(wxIdleEvent& event);

  std::unique_ptr<CRecentFileList> m_recentFiles;
  std::vector<std::string> m_openedFiles;
  wxDocManager* m_docManager = nullptr;
  CEventPump m_pump;
  // Installed from OnInit to OnExit: writers ask through the dialogs.
  std::unique_ptr<CScopedDialogImageFileHost> m_fileHost;
  std::unique_ptr<wxTimer> m_exitTimer;
};

wxDECLARE_APP(CPictoravellApp);
