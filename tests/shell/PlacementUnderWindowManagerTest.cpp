// The real program under a window manager: the first start centres the main
// window on the screen, and a kept placement is restored where it was (the
// window manager would otherwise place the window itself). The program
// writes its placement as it closes; that is what is checked. The toolkit
// prints no critical error or warning while the window comes up.

#include <gtest/gtest.h>
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

// A window manager on the display for the test's lifetime.
class WindowManager {
 public:
  explicit WindowManager(const TempDir& dir) {
    m_pid = Spawn({"openbox", "--sm-disable"}, {}, (dir.path() / "openbox.err").string());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      std::string out;
      if (RunCommand("xprop -root _NET_SUPPORTING_WM_CHECK", &out) == 0 && out.find("window id") != std::string::npos) {
        m_ready = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~WindowManager() {
    kill(m_pid, SIGTERM);
    Wait(m_pid, 10);
    // Its mark on the root window goes with it.
    RunCommand("xprop -root -remove _NET_SUPPORTING_WM_CHECK");
  }
  bool Ready() const { return m_ready; }

 private:
  pid_t m_pid = -1;
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

int RunProgram(const TempDir& dir) {
  const char* program = std::getenv("PICTORAVELL_PROGRAM");
  const pid_t pid = Spawn({program},
                          {{"PICTORAVELL_INSTANCE", "placement-" + std::to_string(getpid())},
                           {"XDG_RUNTIME_DIR", dir.path().string()},
                           {"PICTORAVELL_CONFIG", (dir.path() / "settings.conf").string()},
                           {"PICTORAVELL_EXIT_AFTER_MS", "1500"}},
                          (dir.path() / "program.err").string());
  return Wait(pid, 60);
}

TEST(PlacementUnderAWindowManager, FirstStartCentresAndAKeptPlacementIsRestored) {
  if (!std::getenv("PICTORAVELL_PROGRAM")) GTEST_SKIP() << "PICTORAVELL_PROGRAM is not set";
  REQUIRE_TOOL("openbox");
  REQUIRE_TOOL("xprop");
  TempDir dir;
  WindowManager wm(dir);
  ASSERT_TRUE(wm.Ready());
  // First start: 1024 x 720 in the middle of the 1280 x 1024 screen.
  ASSERT_EQ(RunProgram(dir), 0);
  EXPECT_EQ(SavedPlacement(dir), "0,1,-1,-1,-1,-1,128,152,1152,872");
  ExpectNoToolkitComplaints(ErrorOutput(dir));
  // A kept placement comes back where it was.
  {
    std::ofstream out(dir.path() / "settings.conf");
    out << "[Main\\ Frame]\nPlacement=0,1,-1,-1,-1,-1,100,80,1000,680\n";
  }
  ASSERT_EQ(RunProgram(dir), 0);
  EXPECT_EQ(SavedPlacement(dir), "0,1,-1,-1,-1,-1,100,80,1000,680");
  ExpectNoToolkitComplaints(ErrorOutput(dir));
}

}  // namespace
