// The program started as separate processes on the test's X display: the
// first start runs, later starts hand their command lines over and end.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/CommandLineSplitter.h"
#include "tests/support/TestSupport.h"

namespace {

// A 1 x 1 24-bit BMP file: the program opens it as a document.
void WriteTinyBmp(const std::filesystem::path& path) {
  const unsigned char bytes[58] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                                   1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 0x20, 0x40, 0x80, 0};
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

using testing_support::TempDir;

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* program = std::getenv("PICTORAVELL_PROGRAM");
    if (!program) GTEST_SKIP() << "PICTORAVELL_PROGRAM is not set";
    m_program = program;
    m_env = {
        {"PICTORAVELL_INSTANCE", "single-" + std::to_string(getpid()) + "-" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name()},
        {"XDG_RUNTIME_DIR", m_dir.path().string()},
        {"PICTORAVELL_CONFIG", (m_dir / "settings.conf").string()},
        {"PICTORAVELL_OPEN_LOG", (m_dir / "open.log").string()},
    };
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "with space.bmp"}) WriteTinyBmp(m_dir / name);
  }

  void TearDown() override {
    for (pid_t pid : m_running) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    // A killed first instance leaves its shared block behind.
    if (!m_env.empty()) shm_unlink(("/pictoravell-" + m_env[0].second + "-" + std::to_string(getuid())).c_str());
  }

  // Starts the program in the test folder with the given arguments.
  pid_t Start(const std::vector<std::string>& args, int exitAfterMs = 60000, bool withDisplay = true) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (const auto& [name, value] : m_env) setenv(name.c_str(), value.c_str(), 1);
      if (!withDisplay) unsetenv("DISPLAY");
      setenv("PICTORAVELL_EXIT_AFTER_MS", std::to_string(exitAfterMs).c_str(), 1);
      if (chdir(m_dir.path().c_str()) != 0) _exit(126);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(m_program.c_str()));
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(m_program.c_str(), argv.data());
      _exit(127);
    }
    m_running.push_back(pid);
    return pid;
  }

  // Waits for the process to end (bounded); its exit status, or -1.
  int Wait(pid_t pid, int ms = 60000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        std::erase(m_running, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      if (std::chrono::steady_clock::now() > deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  void Kill(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::erase(m_running, pid);
  }

  std::vector<std::string> LogLines() const {
    std::ifstream in(m_dir / "open.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  bool Logged(const std::string& line) const {
    for (const auto& l : LogLines())
      if (l == line) return true;
    return false;
  }

  // Waits until the log holds the line (bounded).
  bool WaitForLog(const std::string& line, int ms = 20000) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!Logged(line)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  std::vector<std::string> ForwardedLines() const {
    std::vector<std::string> lines;
    for (const auto& l : LogLines())
      if (l.rfind("line ", 0) == 0) lines.push_back(l.substr(5));
    return lines;
  }

  std::string Path(const std::string& name) const { return (m_dir / name).string(); }

  TempDir m_dir;
  std::string m_program;
  std::vector<std::pair<std::string, std::string>> m_env;
  std::vector<pid_t> m_running;
};

TEST_F(SingleInstance, SecondStartHandsItsFileToTheFirst) {
  const pid_t first = Start({"a.bmp", "b.bmp"});
  ASSERT_TRUE(WaitForLog("open " + Path("b.bmp")));
  const auto lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "open " + Path("a.bmp"));  // in the order given
  EXPECT_EQ(lines[1], "open " + Path("b.bmp"));

  const pid_t second = Start({"c.bmp"});
  EXPECT_EQ(Wait(second), 0);
  EXPECT_TRUE(Logged("open " + Path("c.bmp")));  // handled before the second start ended
  const auto forwarded = ForwardedLines();
  ASSERT_EQ(forwarded.size(), 1u);
  CCommandLineSplitter split(forwarded[0]);
  ASSERT_EQ(split.GetCount(), 2);
  EXPECT_EQ(split[1], Path("c.bmp"));  // absolute: the first instance has another folder

  // Without arguments the first instance only comes to the front.
  const pid_t third = Start({});
  EXPECT_EQ(Wait(third), 0);
  EXPECT_EQ(ForwardedLines().size(), 2u);
  EXPECT_EQ(CCommandLineSplitter(ForwardedLines()[1]).GetCount(), 1);
  EXPECT_EQ(Wait(first, 100), -1);  // still running
}

TEST_F(SingleInstance, StartAfterTheFirstWasKilledBecomesTheFirst) {
  const pid_t first = Start({"a.bmp"});
  ASSERT_TRUE(WaitForLog("open " + Path("a.bmp")));
  Kill(first);
  const pid_t next = Start({"d.bmp"}, 1500);
  ASSERT_TRUE(WaitForLog("open " + Path("d.bmp")));
  EXPECT_TRUE(ForwardedLines().empty());  // opened on its own, not handed over
  EXPECT_EQ(Wait(next), 0);               // and ends by itself
}

TEST_F(SingleInstance, TwoLaterStartsAtOnceBothGetThroughIntact) {
  const pid_t first = Start({});
  ASSERT_TRUE(WaitForLog("ready"));
  const std::string longName = std::string(200, 'x') + ".bmp";
  WriteTinyBmp(m_dir / longName);
  const pid_t one = Start({"with space.bmp", "a.bmp"});
  const pid_t two = Start({longName, "-flag", "b.bmp"});
  EXPECT_EQ(Wait(one), 0);
  EXPECT_EQ(Wait(two), 0);
  const auto forwarded = ForwardedLines();
  ASSERT_EQ(forwarded.size(), 2u);
  std::vector<std::vector<std::string>> args;
  for (std::size_t i = 0; i < forwarded.size(); ++i) {
    CCommandLineSplitter split(forwarded[i]);
    args.emplace_back(split.Arguments().begin() + 1, split.Arguments().end());
  }
  const std::vector<std::string> expectOne = {Path("with space.bmp"), Path("a.bmp")};
  const std::vector<std::string> expectTwo = {Path(longName), "-flag", Path("b.bmp")};
  EXPECT_TRUE((args[0] == expectOne && args[1] == expectTwo) || (args[0] == expectTwo && args[1] == expectOne));
  for (const auto& name : {"with space.bmp", "a.bmp", "b.bmp"}) EXPECT_TRUE(Logged("open " + Path(name))) << name;
  EXPECT_TRUE(Logged("open " + Path(longName)));
  EXPECT_EQ(Wait(first, 100), -1);
}

TEST_F(SingleInstance, AFailingForwardedFileStopsOnlyTheRestOfItsLine) {
  const pid_t first = Start({});
  ASSERT_TRUE(WaitForLog("ready"));
  // A later start needs no display: it hands over before the toolkit starts.
  EXPECT_EQ(Wait(Start({"missing.bmp", "a.bmp"}, 60000, false)), 0);
  EXPECT_TRUE(Logged("open " + Path("missing.bmp")));
  EXPECT_FALSE(Logged("open " + Path("a.bmp")));
  EXPECT_EQ(Wait(Start({"b.bmp"})), 0);  // the program keeps running and takes the next line
  EXPECT_TRUE(Logged("open " + Path("b.bmp")));
  EXPECT_EQ(Wait(first, 100), -1);
}

TEST_F(SingleInstance, AFileThatCannotBeOpenedAtStartUpEndsTheProgram) {
  const pid_t first = Start({"missing.bmp"});
  EXPECT_NE(Wait(first), 0);
  // The channel is free again for the next start.
  const pid_t next = Start({"a.bmp"}, 1000);
  ASSERT_TRUE(WaitForLog("open " + Path("a.bmp")));
  EXPECT_EQ(Wait(next), 0);
}

}  // namespace
