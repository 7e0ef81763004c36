#pragma once
// The real program on a screen of its own: a private Xvfb with a window
// manager, the program started with its settings, instance and runtime
// folder inside a test folder, and the processes waited for with a limit.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"

namespace program_testing {

using testing_support::RunCommand;
using testing_support::TempDir;

// Starts a process with the environment given; returns its id.
inline pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env,
            const std::string& errorFile) {
  const pid_t pid = fork();
  if (pid == 0) {
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    if (FILE* err = std::fopen(errorFile.c_str(), "w")) dup2(fileno(err), 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

inline int Wait(pid_t pid, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// A screen of its own (a private Xvfb, 1280 x 1024) with a window manager,
// for the test's lifetime: what the window manager does to focus and to the
// root window stays away from the display the other window tests share.
class ScreenWithWindowManager {
 public:
  explicit ScreenWithWindowManager(const TempDir& dir) {
    int fds[2];
    if (pipe(fds) != 0) return;
    m_server = fork();
    if (m_server == 0) {
      close(fds[0]);
      if (FILE* err = std::fopen((dir.path() / "xvfb.err").c_str(), "w")) dup2(fileno(err), 2);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
      char c[16];
      const ssize_t n = read(fds[0], c, sizeof c);
      if (n <= 0) break;
      number.append(c, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) return;
    m_display = ":" + number.substr(0, number.find('\n'));
    m_wm = Spawn({"openbox", "--sm-disable"}, {{"DISPLAY", m_display}}, (dir.path() / "openbox.err").string());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      std::string out;
      if (Run("xprop -root _NET_SUPPORTING_WM_CHECK", &out) == 0 && out.find("window id") != std::string::npos) {
        m_ready = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~ScreenWithWindowManager() {
    for (pid_t pid : {m_wm, m_server}) {
      if (pid <= 0) continue;
      kill(pid, SIGTERM);
      Wait(pid, 10);
    }
  }
  bool Ready() const { return m_ready; }
  const std::string& Display() const { return m_display; }
  // A command on this screen.
  int Run(const std::string& command, std::string* output = nullptr) const {
    return RunCommand("DISPLAY=" + m_display + " " + command, output);
  }

 private:
  pid_t m_server = -1;
  pid_t m_wm = -1;
  std::string m_display;
  bool m_ready = false;
};

}  // namespace program_testing
