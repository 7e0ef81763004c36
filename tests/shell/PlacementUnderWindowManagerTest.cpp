// The real program under a window manager: the first start centres the main
// window on the screen, and a kept placement is restored where it was (the
// window manager would otherwise place the window itself). The program
// writes its placement as it closes; that is what is checked. The toolkit
// prints no critical error or warning while the window comes up.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "tests/support/TestSupport.h"

namespace {

using testing_support::RunCommand;
using testing_support::TempDir;

// Starts a process with the environment given; returns its id.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& env,
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

int Wait(pid_t pid, int seconds) {
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

std::string SavedPlacement(const TempDir& dir) {
  std::ifstream in(dir.path() / "settings.conf");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("Placement=", 0) == 0) return line.substr(10);
  return {};
}

std::string ErrorOutput(const TempDir& dir) {
  std::ifstream in(dir.path() / "program.err");
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What the toolkit must not print while the window comes up.
void ExpectNoToolkitComplaints(const std::string& err) {
  EXPECT_EQ(err.find("CRITICAL"), std::string::npos) << err;
  EXPECT_EQ(err.find("Negative content"), std::string::npos) << err;
  EXPECT_EQ(err.find("Gtk-WARNING"), std::string::npos) << err;
}

pid_t StartProgram(const TempDir& dir, const ScreenWithWindowManager& screen, int exitAfterMs) {
  const char* program = std::getenv("PICTORAVELL_PROGRAM");
  return Spawn({program},
               {{"DISPLAY", screen.Display()},
                {"PICTORAVELL_INSTANCE", "placement-" + std::to_string(getpid())},
                {"XDG_RUNTIME_DIR", dir.path().string()},
                {"PICTORAVELL_CONFIG", (dir.path() / "settings.conf").string()},
                {"PICTORAVELL_EXIT_AFTER_MS", std::to_string(exitAfterMs)}},
               (dir.path() / "program.err").string());
}

int RunProgram(const TempDir& dir, const ScreenWithWindowManager& screen) {
  return Wait(StartProgram(dir, screen, 1500), 60);
}

TEST(PlacementUnderAWindowManager, FirstStartCentresAndAKeptPlacementIsRestored) {
  if (!std::getenv("PICTORAVELL_PROGRAM")) GTEST_SKIP() << "PICTORAVELL_PROGRAM is not set";
  REQUIRE_TOOL("Xvfb");
  REQUIRE_TOOL("openbox");
  REQUIRE_TOOL("xprop");
  TempDir dir;
  ScreenWithWindowManager screen(dir);
  ASSERT_TRUE(screen.Ready());
  // First start: 1024 x 720 in the middle of the 1280 x 1024 screen.
  ASSERT_EQ(RunProgram(dir, screen), 0);
  EXPECT_EQ(SavedPlacement(dir), "0,1,-1,-1,-1,-1,128,152,1152,872");
  ExpectNoToolkitComplaints(ErrorOutput(dir));
  // A kept placement comes back where it was.
  {
    std::ofstream out(dir.path() / "settings.conf");
    out << "[Main\\ Frame]\nPlacement=0,1,-1,-1,-1,-1,100,80,1000,680\n";
  }
  ASSERT_EQ(RunProgram(dir, screen), 0);
  EXPECT_EQ(SavedPlacement(dir), "0,1,-1,-1,-1,-1,100,80,1000,680");
  ExpectNoToolkitComplaints(ErrorOutput(dir));
}

// File New in the real program, typed as a user does: the New Image dialog
// comes up without a toolkit assertion, Escape closes it, and the program
// goes on and ends normally.
TEST(PlacementUnderAWindowManager, FileNewTypedInTheRealProgram) {
  if (!std::getenv("PICTORAVELL_PROGRAM")) GTEST_SKIP() << "PICTORAVELL_PROGRAM is not set";
  REQUIRE_TOOL("Xvfb");
  REQUIRE_TOOL("openbox");
  REQUIRE_TOOL("xprop");
  REQUIRE_TOOL("xdotool");
  TempDir dir;
  ScreenWithWindowManager screen(dir);
  ASSERT_TRUE(screen.Ready());
  const pid_t pid = StartProgram(dir, screen, 6000);
  std::string window;
  ASSERT_EQ(screen.Run("timeout 10 xdotool search --sync --onlyvisible --name '^Pictoravell$' | head -1", &window), 0);
  window = window.substr(0, window.find('\n'));
  ASSERT_FALSE(window.empty());
  ASSERT_EQ(screen.Run("xdotool windowactivate --sync " + window + " key ctrl+n"), 0);
  std::string dialog;
  EXPECT_EQ(screen.Run("timeout 10 xdotool search --sync --onlyvisible --name '^New Image$'", &dialog), 0) << dialog;
  ASSERT_EQ(screen.Run("xdotool key Escape"), 0);
  // The dialog goes; the program stays until it closes itself.
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    gone = screen.Run("xdotool search --onlyvisible --name '^New Image$' >/dev/null") != 0;
    if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(gone);
  EXPECT_EQ(kill(pid, 0), 0);  // still running
  EXPECT_EQ(Wait(pid, 60), 0);
  const std::string err = ErrorOutput(dir);
  EXPECT_EQ(err.find("ssert"), std::string::npos) << err;
  ExpectNoToolkitComplaints(err);
}

}  // namespace
