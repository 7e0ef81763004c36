#include "output/core/SharingCommon.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include "base/Profile.h"
#include "platform/PathFunctions.h"

extern char** environ;

const char* const kSizeLimitTexts[kSizeLimitCount] = {"320x240",  "640x480",  "800x600",
                                                      "1024x768", "1280x960", "Original Size"};

bool GetSizeLimit(int index, int* width, int* height) {
  static const int kSides[5][2] = {{320, 240}, {640, 480}, {800, 600}, {1024, 768}, {1280, 960}};
  if (index < 0 || index > 4) return false;
  *width = kSides[index][0];
  *height = kSides[index][1];
  return true;
}

void SHARING_FILE_OPTIONS::Read(const std::string& section) {
  nSizeLimit = GetProfileInt(section, "Size Limit", 0);
  nDigits = GetProfileInt(section, "Digits", 0);
  if (nDigits < 0 || nDigits > 9) nDigits = 0;
  strPrefix = GetProfileString(section, "File Name Prefix", "");
}

void SHARING_FILE_OPTIONS::Write(const std::string& section) const {
  WriteProfileInt(section, "Size Limit", nSizeLimit);
  WriteProfileInt(section, "Digits", nDigits);
  WriteProfileString(section, "File Name Prefix", strPrefix);
}

std::string MakeExampleName(const std::string& prefix, int digitsIndex) {
  if (prefix.empty()) return {};
  char serial[32];
  const int digits = digitsIndex < 0 ? 1 : digitsIndex > 9 ? 10 : digitsIndex + 1;
  std::snprintf(serial, sizeof serial, "%.*d", digits, 1);
  return prefix + serial;
}

std::string PublishResultText(int published) {
  if (published <= 0) return "No picture was published to web.";
  return std::to_string(published) + " picture" + (published > 1 ? "s have" : " has") +
         " been published to web successfully.";
}

std::string GetUserCacheFolder() {
  std::string root;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
    root = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
    root = std::string(home) + "/.cache";
  } else {
    root = "/tmp";
  }
  if (root.back() != '/') root += '/';
  return root + "pictoravell/";
}

std::string GetSharingWorkFolder(const char* name) { return GetUserCacheFolder() + name + "/"; }

bool PrepareWorkFolder(const std::string& folder) {
  std::error_code ec;
  if (std::filesystem::is_directory(folder, ec)) return EmptyFolder(folder, false);
  std::filesystem::create_directories(folder, ec);
  if (ec) return false;
  ::chmod(folder.c_str(), 0700);
  return true;
}

bool IsValidTypedFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 0x20 || u == 0x7f) return false;
  }
  return true;
}

std::string FindProgramOnPath(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string dir = list.substr(start, end - start);
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

pid_t SpawnProgram(const std::vector<std::string>& argv) {
  if (argv.empty()) return -1;
  const std::string program = FindProgramOnPath(argv[0]);
  if (program.empty()) return -1;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, args.data(), environ) != 0) return -1;
  return pid;
}

bool SpawnDetached(const std::vector<std::string>& argv) {
  const pid_t pid = SpawnProgram(argv);
  if (pid < 0) return false;
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

bool OpenWithDesktop(const std::string& path) { return SpawnDetached({"xdg-open", path}); }
