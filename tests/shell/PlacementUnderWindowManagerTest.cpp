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

#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::RunCommand;
using testing_support::TempDir;
using program_testing::ScreenWithWindowManager;
using program_testing::Spawn;
using program_testing::Wait;

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
