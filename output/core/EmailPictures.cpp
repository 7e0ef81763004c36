#include "output/core/EmailPictures.h"

#include <sys/wait.h>

#include <cerrno>

#include "output/core/ImageConverter.h"
#include "platform/PathFunctions.h"

const char* const kEmailSection = "Email Options";
const char* const kEmailLoadFailedText = "Unable to load mail system support.";
const char* const kEmailSendFailedText = "Send Mail failed to send message.";

std::string GetEmailTempFolder() { return GetSharingWorkFolder("Email Temp"); }

void ClearEmailTempFolder() {
  const std::string folder = GetEmailTempFolder();
  if (FolderExists(folder)) EmptyFolder(folder, true);
}

bool IsMailClientAvailable(bool refresh) {
  static int known = -1;
  if (known < 0 || refresh) known = FindProgramOnPath("xdg-email").empty() ? 0 : 1;
  return known == 1;
}

std::vector<std::string> PrepareEmailAttachments(const std::vector<std::string>& paths,
                                                 const SHARING_FILE_OPTIONS& options, CANCELPROC cancel,
                                                 PROGRESSPROC progress, bool* cancelled) {
  std::vector<std::string> files;
  if (cancelled) *cancelled = false;
  if (paths.empty()) return files;
  const std::string folder = GetEmailTempFolder();
  if (!PrepareWorkFolder(folder)) return files;
  CImageConverter converter;
  int w = 0, h = 0;
  if (GetSizeLimit(options.nSizeLimit, &w, &h)) converter.SetMaxSize(w, h);
  converter.SetOutputFolder(folder.c_str());
  if (!options.strPrefix.empty()) converter.SetFileTitle(options.strPrefix.c_str(), options.nDigits + 1);
  const int n = static_cast<int>(paths.size());
  for (int i = 1; i <= n; ++i) {
    if (i > 1 && cancel && cancel()) {
      if (cancelled) *cancelled = true;
      break;
    }
    std::string output;
    if (converter.ConvertTo(paths[static_cast<size_t>(i - 1)].c_str(), output, n < 2 ? -1 : i))
      files.push_back(output);
    if (progress) progress(i, n);
  }
  return files;
}

std::vector<std::string> MakeMailArguments(const std::vector<std::string>& files) {
  std::vector<std::string> argv{"xdg-email"};
  for (const std::string& f : files) {
    argv.push_back("--attach");
    argv.push_back(f);
  }
  return argv;
}

std::string MailExitMessage(int exitCode) {
  if (exitCode == 0) return {};
  if (exitCode < 0) return kEmailLoadFailedText;
  return kEmailSendFailedText;
}

CMailHandOff::~CMailHandOff() {
  // The client outlives the program when it must; only the zombie is avoided.
  if (m_pid > 0) ::waitpid(m_pid, nullptr, WNOHANG);
}

bool CMailHandOff::Start(const std::vector<std::string>& files) {
  if (m_pid > 0 || files.empty()) return false;
  m_pid = SpawnProgram(MakeMailArguments(files));
  return m_pid > 0;
}

static int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 1;
}

bool CMailHandOff::Poll(int* exitCode) {
  if (m_pid <= 0) return false;
  int status = 0;
  const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
  if (r == 0 || (r < 0 && errno == EINTR)) return false;
  m_pid = -1;
  if (exitCode) *exitCode = r < 0 ? 1 : ExitCodeOf(status);
  return true;
}

int CMailHandOff::Wait() {
  if (m_pid <= 0) return -1;
  int status = 0;
  pid_t r;
  while ((r = ::waitpid(m_pid, &status, 0)) < 0 && errno == EINTR) {
  }
  m_pid = -1;
  return r < 0 ? 1 : ExitCodeOf(status);
}
