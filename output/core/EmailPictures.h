#pragma once
// E-mail of pictures without windows: the pictures converted into "Email
// Temp" under the user's cache folder, then handed to the desktop's mail
// client with xdg-email (one --attach per file, started from an argument
// list, never through a shell). xdg-email returns as soon as the client has
// the message, and some clients read the files later, so the converted files
// stay until the next send or the next start of the program.

#include <sys/types.h>

#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "output/core/SharingCommon.h"

extern const char* const kEmailSection;  // "Email Options"
extern const char* const kEmailLoadFailedText;  // "Unable to load mail system support."
extern const char* const kEmailSendFailedText;  // "Send Mail failed to send message."

// $XDG_CACHE_HOME/pictoravell/Email Temp/
std::string GetEmailTempFolder();
// Removes what an earlier send left (called at start-up).
void ClearEmailTempFolder();

// Whether the command can be offered: xdg-email is on PATH (asked once and
// remembered; `refresh` asks again).
bool IsMailClientAvailable(bool refresh = false);

// Converts the pictures into the emptied "Email Temp" folder with the file
// options; returns the files written, in order (pictures that fail are left
// out with the converter's message). `cancel` is polled between pictures.
std::vector<std::string> PrepareEmailAttachments(const std::vector<std::string>& paths,
                                                 const SHARING_FILE_OPTIONS& options, CANCELPROC cancel,
                                                 PROGRESSPROC progress, bool* cancelled = nullptr);

// The argument list handed over: xdg-email --attach F1 --attach F2 ...
std::vector<std::string> MakeMailArguments(const std::vector<std::string>& files);

// The message for xdg-email's exit code: empty for 0, the send failure for
// any other code, the load failure for -1 (not started).
std::string MailExitMessage(int exitCode);

// The hand-off: starts xdg-email and lets the caller poll for its end (the
// window stays responsive meanwhile).
class CMailHandOff {
 public:
  CMailHandOff() = default;
  ~CMailHandOff();
  CMailHandOff(const CMailHandOff&) = delete;
  CMailHandOff& operator=(const CMailHandOff&) = delete;
  // False (with nothing started) when xdg-email cannot be started.
  bool Start(const std::vector<std::string>& files);
  bool Running() const { return m_pid > 0; }
  // True once the client has ended; exitCode gets its exit code (a signal gives 128+n).
  bool Poll(int* exitCode);
  // Blocks until the end (tests and shutdown); returns the exit code, -1 when nothing ran.
  int Wait();

 private:
  pid_t m_pid = -1;
};
