#pragma once
// Web publishing without windows: the pictures converted for the web (GIF
// stays GIF, the rest becomes JPEG), uploaded by FTP (libcurl, passive mode)
// with a "sm-" thumbnail of each and the gallery index page.
//
// Also the password scrambling of the remembered "Web Publish Options". It is
// obfuscation only: the settings file is kept readable by its owner alone.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/ResultCodes.h"
#include "output/core/SharingCommon.h"

extern const char* const kWebPublishSection;  // "Web Publish Options"
extern const char* const kPasswordKey;        // the scrambling key
extern const char* const kScrambleAlphabet;   // 36 symbols: 0..30 data, 31..35 filler

// Scrambles (true) or unscrambles (false) the text in place; false leaves it unchanged.
bool ScramblePassword(std::string& text, const char* key, bool scramble);

struct WEB_PUBLISH_OPTIONS {
  SHARING_FILE_OPTIONS file;
  std::string strServer;     // "Server Name": host, or host:port
  std::string strDirectory;  // "Server Directory": '\' or '/' separated; a leading '/' is the server root
  std::string strUser;       // "User Name"
  std::string strPassword;   // "Password" (scrambled, kept only when remembered)
  std::string strIndexFile = "photo_album.htm";  // "Index File Name"
  bool bRememberPassword = false;  // "Remember Password"
  bool bGenerateIndex = true;      // "Generate Index Page"
  void Read();
  void Write() const;
};

// The message refusing the options, empty when they are fine: a server name,
// and no control character in any of the texts (they would reach FTP commands).
std::string CheckWebPublishOptions(const WEB_PUBLISH_OPTIONS& options);

// The directory's parts as they are entered: '\' becomes '/', empty parts are
// skipped; *absolute tells whether it starts at the server root.
std::vector<std::string> SplitServerDirectory(const std::string& directory, bool* absolute);

// One FTP session (libcurl easy handle, passive mode, bounded waits).
class CFtpSession {
 public:
  CFtpSession();
  ~CFtpSession();
  CFtpSession(const CFtpSession&) = delete;
  CFtpSession& operator=(const CFtpSession&) = delete;

  // Logs on; false with LastError() (the server's reply when it gave one).
  bool Open(const std::string& server, const std::string& user, const std::string& password);
  // Enters the directory, creating each missing level.
  bool ChangeDirectoryPath(const std::string& path);
  // Stores a local file (or a text) under `name` in the current directory.
  // progress gets (done, total) scaled into int; cancel is polled after each
  // block and latched (see CancelRequested) without stopping the transfer.
  bool UploadFile(const std::string& localPath, const std::string& name, PROGRESSPROC progress, CANCELPROC cancel);
  bool UploadText(const std::string& text, const std::string& name);
  // After a failure: whether the session itself broke (connection, log-on,
  // time-out) rather than the server refusing one file.
  bool LastFailureIsFatal() const { return m_fatal; }
  const std::string& LastError() const { return m_error; }
  bool CancelRequested() const { return m_cancelled; }

  struct Impl;

 private:
  bool Perform(const std::string& url, bool fatalOnly);
  std::string DirectoryUrl() const;
  std::unique_ptr<Impl> m;
  std::string m_base;
  std::vector<std::string> m_parts;
  bool m_absolute = false;
  std::string m_error;
  bool m_fatal = false;
  bool m_cancelled = false;
};

struct WEB_PUBLISH_RESULT {
  int nPublished = 0;
  bool bCancelled = false;
  bool bIndexWritten = false;
  // True when the run reached its result (then show PublishResultText);
  // false when it stopped with an error, already reported.
  bool bCompleted = false;
  std::vector<std::string> uploaded;  // remote names of the pictures, in order
};

// The publishing job. `message` gets "Uploading %s...", "Uploading thumbnail
// image for %s..." and "Writing index page..."; `cancel` stops after the
// current picture (the index then lists what arrived). Errors are reported
// through ReportMessage; returns result.bCompleted.
bool RunWebPublish(const std::vector<std::string>& paths, const WEB_PUBLISH_OPTIONS& options,
                   WEB_PUBLISH_RESULT& result, const std::function<void(const std::string&)>& message,
                   CANCELPROC cancel, PROGRESSPROC progress, const std::string& date = std::string());
