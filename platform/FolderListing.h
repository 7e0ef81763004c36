#pragma once
// Folders as the folder tree lists them.

#include <string>
#include <vector>

// The names of the subfolders of a folder (symbolic links to folders
// included), without names starting with '.', sorted as the desktop sorts
// file names (g_utf8_collate_key_for_filename). Empty when the folder
// cannot be read.
std::vector<std::string> ListSubfolders(const std::string& folder);

// Whether a folder holds at least one subfolder that ListSubfolders lists.
bool HasSubfolders(const std::string& folder);

// Joins a folder and a name with one '/' ("/" + "usr" is "/usr").
std::string JoinFolder(const std::string& folder, const std::string& name);

// The user's special folders: home and desktop (the desktop is empty when
// the desktop has none of its own, or it is the home folder).
std::string HomeFolder();
std::string DesktopFolder();
