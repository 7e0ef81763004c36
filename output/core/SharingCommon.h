#pragma once
// Pieces shared by the three sharing jobs (e-mail of pictures, the HTML album
// and web publishing): the size-limit table of their option dialogs, the
// result texts, the per-user work folders under the cache folder, typed-name
// checks, and starting a desktop helper (xdg-email, xdg-open) from an argument
// list - never through a shell.

#include <sys/types.h>

#include <string>
#include <vector>

// The size limits offered by the option dialogs: index 0..4 gives a maximum
// width x height, 5 ("Original Size") and anything else no resizing.
constexpr int kSizeLimitCount = 6;
extern const char* const kSizeLimitTexts[kSizeLimitCount];  // "320x240", ..., "Original Size"
bool GetSizeLimit(int index, int* width, int* height);

// The options every sharing dialog holds ("Size Limit", "Digits", "File Name Prefix").
struct SHARING_FILE_OPTIONS {
  int nSizeLimit = 0;  // index into kSizeLimitTexts
  int nDigits = 0;     // serial digits minus one
  std::string strPrefix;  // file title; empty keeps each file's own title
  void Read(const std::string& section);
  void Write(const std::string& section) const;
};

// The example name under the title field ("%s%.*d" with serial 1), empty without a title.
std::string MakeExampleName(const std::string& prefix, int digitsIndex);

// "No picture was published to web." or "%d picture%s been published to web successfully.".
std::string PublishResultText(int published);

// The program's folder in the user's cache: $XDG_CACHE_HOME/pictoravell/, or
// ~/.cache/pictoravell/ (with a trailing '/').
std::string GetUserCacheFolder();
// A work folder there ("Email Temp", "Publish Temp"), with a trailing '/'.
std::string GetSharingWorkFolder(const char* name);
// Empties the folder when it exists, creates it (and its parents, 0700) otherwise.
bool PrepareWorkFolder(const std::string& folder);

// A typed file name (index page) that stays inside its folder and cannot
// inject commands: not empty, no '/' or '\', no control character, not "." or "..".
bool IsValidTypedFileName(const std::string& name);

// The full path of a program found on PATH, empty when there is none.
std::string FindProgramOnPath(const std::string& name);

// Starts a program from an argument list (argv[0] is looked up on PATH) with
// no shell; returns the child's id, or -1 when it could not be started.
pid_t SpawnProgram(const std::vector<std::string>& argv);
// Starts a program and forgets it (a helper thread reaps it); false when it
// could not be started.
bool SpawnDetached(const std::vector<std::string>& argv);
// Opens a file or folder with the desktop's default application (xdg-open).
bool OpenWithDesktop(const std::string& path);
