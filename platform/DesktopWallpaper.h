#pragma once
// The desktop background through GSettings (org.gnome.desktop.background),
// and where the program keeps its wallpaper file. No wxWidgets.

#include <string>

// "$XDG_DATA_HOME/pictoravell/PtWallpaper_<user>.bmp" (XDG_DATA_HOME
// defaults to ~/.local/share); the folder is made when missing. Empty when
// no folder can be had.
std::string GetWallpaperFilePath();

// True when the background schema is installed (looked up first: GSettings
// aborts on a schema it does not know).
bool HasDesktopBackgroundSettings();

// Sets the picture (picture-uri and picture-uri-dark where the schema has
// it) and its placement ("wallpaper" tiled, "centered"). False, with a
// message reported, where the desktop has no such settings.
bool SetDesktopBackground(const std::string& path, bool tiled);
