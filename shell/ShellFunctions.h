#pragma once
// The shell helpers that need the toolkit: the Trash's icon, the folder
// chooser and pop-up menus from menu resources. The path and file helpers
// are in platform/PathFunctions.h.

#include <wx/icon.h>
#include <wx/menu.h>
#include <wx/window.h>

#include <functional>
#include <string>

// The icon of the user's Trash (the theme's "user-trash"); an invalid icon
// when the theme has none.
wxIcon GetRecycleBinIcon();

// Runs the folder chooser with a title, starting at folder (a trailing '/'
// is dropped). On OK folder receives the chosen folder and the result is
// true; on Cancel folder stays unchanged.
bool BrowseForFolder(wxWindow* owner, const std::string& title, std::string& folder);

// Runs the update handlers of every item of the menu (and its submenus) for
// the target window, the way the menu bar's items are updated before they
// show; an item no handler enables is disabled.
void UpdatePopupMenu(wxMenu* menu, wxWindow* target);

// Shows the first pop-up of a menu resource at a point in screen coordinates,
// with the main window running its commands.
void TrackPopupMenuResource(int resourceId, int x, int y);

// The program's handler of failed toolkit assertions: each is written to
// stderr and reported as a warning (the message pane), and the program goes
// on; no dialog is shown and the process is never stopped by one.
void InstallLoggingAssertHandler();
// The text the handler reports for an assertion.
std::string FormatAssertion(const std::string& file, int line, const std::string& function,
                            const std::string& condition, const std::string& message);

// The program's Readme: Readme.txt in the folder of the program file, or in
// share/doc/pictoravell beside that folder once installed (empty when there
// is none).
std::string GetReadmePath();
// Opens the Readme with the desktop's default application for it (Help
// Topics, the About box). Reports and returns false when it is missing or
// cannot be opened; a test may replace how a file is opened.
bool OpenReadme();
void SetOpenDocumentFunction(std::function<bool(const std::string&)> open);

class wxPrintData;
// The program's print settings (printer, paper, orientation), kept for the
// session; printing and the print preview use them.
wxPrintData& GetProgramPrintData();
// Printer Settings: the desktop's page setup dialog on the program's print
// settings; OK keeps what was chosen (true), Cancel changes nothing.
bool RunPrinterSettings(wxWindow* parent);
