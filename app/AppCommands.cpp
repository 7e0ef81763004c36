// The application's command table and its commands: new and open, the
// recent files, Display Comments, help and the web links; and the
// rule that a menu command nobody handles is shown disabled.

#include <wx/menu.h>
#include <wx/utils.h>

#include "app/PictoravellApp.h"
#include "base/Profile.h"
#include "editor/EditCommentsDialog.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "platform/RecentFileList.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "shell/AboutDlg.h"
#include "shell/CommandTable.h"
#include "shell/GeneralSettingsDlg.h"
#include "shell/ImageClipboard.h"
#include "shell/ShellFunctions.h"

namespace {

using App = CPictoravellApp;

const COMMAND_ENTRY<App> kAppCommands[] = {
    // File
    {ID_FILE_NEW, &App::OnFileNew},
    {ID_FILE_OPEN, &App::OnFileOpen},
    {ID_FILE_SEQUENCE, &App::OnFileSequence},
    {ID_NEW_FROM_CLIPBOARD, &App::OnNewFromClipboard, &App::CanPasteNew},
    {ID_MULTIBURST, &App::OnMultiburst},
    {ID_PERSONAL_SIGNATURE, &App::OnPersonalSignature},
    // View
    {ID_DISPLAY_COMMENTS, &App::OnDisplayComments, nullptr, NEEDS_NOTHING, nullptr, &App::OnUpdateDisplayComments},
    // Help
    {ID_HELP_FINDER, &App::OnHelpFinder},
    {ID_WEB_HELP, &App::OnWebHelp},
    {ID_WEB_SITE, &App::OnWebSite},
    {ID_APP_ABOUT, &App::OnAppAbout},
    // Tools
    {ID_GENERAL_SETTINGS, &App::OnGeneralSettings},
};

}  // namespace

bool IsApplicationCommand(int id) {
  if (id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) return true;
  for (const auto& entry : kAppCommands)
    if (entry.id == id) return true;
  return false;
}

void CPictoravellApp::BindCommands() {
  BindCommandTable<App>(*this, *this, kAppCommands);
  Bind(wxEVT_MENU, &CPictoravellApp::OnRecentFile, this, ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST);
  Bind(wxEVT_UPDATE_UI, &CPictoravellApp::OnUpdateRecentFile, this, ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST);
  Bind(wxEVT_UPDATE_UI, &CPictoravellApp::OnUpdateUnhandled, this);
}

// --- File ---------------------------------------------------------------------------

void CPictoravellApp::OnFileNew() { NewDocument(NEWDOC_BLANK); }
void CPictoravellApp::OnFileOpen() { DoFileOpen({}); }
void CPictoravellApp::OnFileSequence() { NewDocument(NEWDOC_FILE_SEQUENCE); }
void CPictoravellApp::OnNewFromClipboard() { NewDocument(NEWDOC_CLIPBOARD); }
void CPictoravellApp::OnMultiburst() { NewDocument(NEWDOC_MULTIBURST); }
// The cached answer: a menu never waits on another program.
bool CPictoravellApp::CanPasteNew() const { return IsClipboardImageCached(); }

void CPictoravellApp::OnRecentFile(wxCommandEvent& event) {
  const int index = event.GetId() - ID_FILE_MRU_FIRST;
  if (m_recentFiles && index < m_recentFiles->GetCount()) OpenDocumentFile((*m_recentFiles)[index]);
}

void CPictoravellApp::OnUpdateRecentFile(wxUpdateUIEvent& event) {
  event.Enable(m_recentFiles && m_recentFiles->GetCount() > event.GetId() - ID_FILE_MRU_FIRST);
}

// --- View ---------------------------------------------------------------------------

void CPictoravellApp::OnDisplayComments() {
  g_bDisplayComments = !g_bDisplayComments;
  WriteProfileInt("General", "Display Comments", g_bDisplayComments);
  UpdateAllDocumentViews(HINT_ERASE);
}

void CPictoravellApp::OnUpdateDisplayComments(wxUpdateUIEvent& event) { event.Check(g_bDisplayComments != 0); }

// --- Personal signature --------------------------------------------------------------

// Run from the menu or from an export dialog's "Edit..." button: the dialog
// goes over whichever window is active.
void CPictoravellApp::OnPersonalSignature() {
  wxWindow* parent = wxGetActiveWindow();
  EditPersonalSignature(parent ? parent : GetTopWindow());
}

// --- Help ---------------------------------------------------------------------------

void CPictoravellApp::OnHelpFinder() { OpenReadme(); }
void CPictoravellApp::OnWebHelp() { wxLaunchDefaultBrowser(kWebHelpUrl); }
void CPictoravellApp::OnWebSite() { wxLaunchDefaultBrowser(kWebSiteUrl); }
void CPictoravellApp::OnAppAbout() { RunAboutDialog(GetTopWindow()); }

void CPictoravellApp::OnGeneralSettings() {
  int count = m_recentFiles ? m_recentFiles->GetSize() : 0;
  int autoPlay = m_bAutoPlay;
  if (RunGeneralSettingsDialog(GetTopWindow(), m_recentFiles.get(), count, autoPlay))
    ApplyGeneralSettings(count, autoPlay);
}

// --- the rest -----------------------------------------------------------------------

void CPictoravellApp::OnUpdateUnhandled(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  if (IsApplicationCommand(id)) {
    event.Skip();
    return;
  }
  if (!DisableUnhandledMenuItem(event)) event.Skip();
}

// A menu command nobody handles is shown disabled. Windows that update
// themselves (buttons, bars) are left alone, and so are the items that open
// a submenu: their own entries have their rules.
bool DisableUnhandledMenuItem(wxUpdateUIEvent& event) {
  auto* menu = dynamic_cast<wxMenu*>(event.GetEventObject());
  if (!menu) return false;
  if (wxMenuItem* item = menu->FindChildItem(event.GetId()); item && item->IsSubMenu()) return false;
  event.Enable(false);
  return true;
}
