#pragma once
// The shell helpers that need the toolkit: the Trash's icon, the folder
// chooser and pop-up menus from menu resources. The path and file helpers
// are in platform/PathFunctions.h.

#include <wx/icon.h>
#include <wx/menu.h>
#include <wx/window.h>

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
