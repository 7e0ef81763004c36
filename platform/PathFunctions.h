#pragma once
// Path and file helpers shared across the program. Paths use '/'; a path is
// split at its last '/' and a file name at its last '.'. All results are new
// strings.

#include <string>

// The text up to and including the last '/'; empty when there is none.
std::string GetFolderPart(const std::string& path);
// The text after the folder part (the whole path when it holds no '/').
std::string GetFileNamePart(const std::string& path);
// The file name without the text from its last '.' on.
std::string GetFileTitlePart(const std::string& path);
// The file name from its last '.' on, the '.' included; empty without a '.'.
std::string GetFileExtension(const std::string& path);
// The folder of the program file, with its trailing '/'.
std::string GetProgramFolder();

// True when an entry (file or folder) exists at the path; one trailing '/'
// is ignored, so a folder answers the same with and without it.
bool FolderExists(const std::string& path);

// Moves the file or folder to the user's Trash (freedesktop, through GIO).
// False for an empty path and where the medium has no Trash: the file is
// then left alone, never deleted for good.
bool DeleteToRecycleBin(const std::string& path);

// Deletes everything inside the folder (files and subfolders, without
// following symbolic links; nothing goes to the Trash), then the folder
// itself when asked. Refuses an empty path, '/' and the home folder.
// Returns false when anything could not be removed.
bool EmptyFolder(const std::string& folder, bool removeFolder);

// Renames a file; never replaces an existing target. On failure with report
// set, "Cannot rename %s. This file may be on a read-only media." is reported
// at MESSAGE_ERROR with the old path's file title.
bool RenameFile(const std::string& oldPath, const std::string& newPath, bool report);
