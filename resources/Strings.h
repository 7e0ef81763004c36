#pragma once
// Texts of the program that several windows share.

inline constexpr const char* kProductName = "Pictoravell";  // captions, message boxes
inline constexpr const char* kCompanyName = "Dorvex Software";
inline constexpr const char* kReadyText = "Ready";  // the status bar when idle
inline constexpr const char* kRecentFileEmptyText = "Recent File";
inline constexpr const char* kKeepEffectChangesText = "Do you want to keep the changes you have made to the image?";
inline constexpr const char* kOpenFileTitle = "Open File";
// Web addresses of the Help menu (configuration values).
inline constexpr const char* kWebHelpUrl = "https://pictoravell.example.org/help/";
inline constexpr const char* kWebSiteUrl = "https://dorvex.example.org/";
