#include <gtest/gtest.h>
#include <stdlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/CommandLineSplitter.h"
#include "platform/InstanceChannel.h"
#include "tests/support/TestSupport.h"

namespace {

using testing_support::TempDir;

// Each test gets its own channel name and lock folder.
class InstanceChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_RUNTIME_DIR", m_dir.path().c_str(), 1);
    m_name = "test-" + std::to_string(getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  TempDir m_dir;
  std::string m_name;
};

// Runs the owner's side on this thread until stop: answers every pending line.
void ServeLines(CInstanceChannel& owner, std::vector<std::string>& lines, const std::atomic<bool>& stop) {
  while (!stop) {
    std::string line;
    if (owner.PollCommandLine(line)) {
      lines.push_back(line);
      owner.SetReady(1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

TEST(InstanceName, IsPerUserAndDisplayAndOverridable) {
  const char* oldOverride = getenv("PICTORAVELL_INSTANCE");
  const std::string saved = oldOverride ? oldOverride : "";
  unsetenv("PICTORAVELL_INSTANCE");
  setenv("DISPLAY", ":12", 1);
  const std::string a = DefaultInstanceName();
  setenv("DISPLAY", ":13", 1);
  const std::string b = DefaultInstanceName();
  EXPECT_NE(a, b);
  EXPECT_NE(a.find(std::to_string(getuid())), std::string::npos);
  EXPECT_EQ(a.find('/'), std::string::npos);
  setenv("PICTORAVELL_INSTANCE", "mine/../x", 1);
  const std::string c = DefaultInstanceName();
  EXPECT_EQ(c.find('/'), std::string::npos);
  EXPECT_NE(c.find("mine"), std::string::npos);
  if (oldOverride) setenv("PICTORAVELL_INSTANCE", saved.c_str(), 1); else unsetenv("PICTORAVELL_INSTANCE");
}

TEST(ForwardedCommandLine, MakesFilesAbsoluteAndQuotesBlanks) {
  const std::string cwd = std::filesystem::current_path().string();
  const std::string line = BuildForwardedCommandLine({"/usr/bin/pictoravell", "a.bmp", "-flag", "sub dir/b c.gif", "/abs/../d.png"});
  CCommandLineSplitter split(line);
  ASSERT_EQ(split.GetCount(), 5) << line;
  EXPECT_EQ(split[0], "/usr/bin/pictoravell");
  EXPECT_EQ(split[1], cwd + "/a.bmp");
  EXPECT_EQ(split[2], "-flag");
  EXPECT_EQ(split[3], cwd + "/sub dir/b c.gif");
  EXPECT_EQ(split[4], "/d.png");
}

TEST(ForwardedCommandLine, KeepsWholeArgumentsWithinTheField) {
  std::vector<std::string> argv = {"/p"};
  for (int i = 0; i < 40; ++i) argv.push_back("/" + std::string(60, 'a' + (i % 26)) + std::to_string(i) + ".png");
  std::vector<std::string> dropped;
  const std::string line = BuildForwardedCommandLine(argv, &dropped);
  EXPECT_LE(line.size(), kMaxCommandLine);
  CCommandLineSplitter split(line);
  ASSERT_GT(split.GetCount(), 1);
  EXPECT_EQ(static_cast<std::size_t>(split.GetCount()) + dropped.size(), argv.size());
  for (int i = 0; i < split.GetCount(); ++i) EXPECT_EQ(split[i], argv[static_cast<std::size_t>(i)]);
}

TEST_F(InstanceChannelTest, FirstThenLater) {
  CInstanceChannel first;
  ASSERT_TRUE(first.Open(m_name));
  EXPECT_TRUE(first.IsFirstInstance());
  EXPECT_EQ(first.IsReady(), 0);
  EXPECT_EQ(first.GetAttachedCount(), 1);
  CInstanceChannel later;
  ASSERT_TRUE(later.Open(m_name));
  EXPECT_FALSE(later.IsFirstInstance());
  EXPECT_EQ(first.GetAttachedCount(), 2);
  later.Close();
  EXPECT_EQ(first.GetAttachedCount(), 1);
}

TEST_F(InstanceChannelTest, LaterInstanceWaitsForReadinessThenForwards) {
  CInstanceChannel owner;
  ASSERT_TRUE(owner.Open(m_name));
  CInstanceChannel later;
  ASSERT_TRUE(later.Open(m_name));
  // The owner is still starting up: the sender waits.
  EXPECT_EQ(later.Forward("p /a.bmp", 300), CInstanceChannel::ForwardResult::TimedOut);
  std::string line;
  EXPECT_FALSE(owner.PollCommandLine(line));

  owner.SetWindow(1);
  owner.SetReady(1);
  std::vector<std::string> lines;
  std::atomic<bool> stop{false};
  std::thread server([&] { ServeLines(owner, lines, stop); });
  EXPECT_EQ(later.Forward("p \"/x/a b.bmp\"", 10000), CInstanceChannel::ForwardResult::Forwarded);
  stop = true;
  server.join();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "p \"/x/a b.bmp\"");
  EXPECT_EQ(owner.IsReady(), 1);
}

TEST_F(InstanceChannelTest, NothingIsForwardedWithoutAMainWindow) {
  CInstanceChannel owner;
  ASSERT_TRUE(owner.Open(m_name));
  owner.SetReady(1);
  CInstanceChannel later;
  ASSERT_TRUE(later.Open(m_name));
  EXPECT_EQ(later.Forward("p /a.bmp", 2000), CInstanceChannel::ForwardResult::NoWindow);
  std::string line;
  EXPECT_FALSE(owner.PollCommandLine(line));
}

TEST_F(InstanceChannelTest, TwoSendersAtOnceBothGetThrough) {
  CInstanceChannel owner;
  ASSERT_TRUE(owner.Open(m_name));
  owner.SetWindow(1);
  owner.SetReady(1);
  std::vector<std::string> lines;
  std::atomic<bool> stop{false};
  std::thread server([&] { ServeLines(owner, lines, stop); });
  const std::string one = "p /" + std::string(1500, '1');
  const std::string two = "p /" + std::string(1800, '2');
  CInstanceChannel::ForwardResult r1{}, r2{};
  std::thread a([&] {
    CInstanceChannel c;
    if (c.Open(m_name)) r1 = c.Forward(one, 10000);
  });
  std::thread b([&] {
    CInstanceChannel c;
    if (c.Open(m_name)) r2 = c.Forward(two, 10000);
  });
  a.join();
  b.join();
  stop = true;
  server.join();
  EXPECT_EQ(r1, CInstanceChannel::ForwardResult::Forwarded);
  EXPECT_EQ(r2, CInstanceChannel::ForwardResult::Forwarded);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE((lines[0] == one && lines[1] == two) || (lines[0] == two && lines[1] == one));
}

TEST_F(InstanceChannelTest, AnOwnerThatEndsReleasesItsWaiters) {
  auto owner = std::make_unique<CInstanceChannel>();
  ASSERT_TRUE(owner->Open(m_name));
  CInstanceChannel later;
  ASSERT_TRUE(later.Open(m_name));
  std::thread closer([&] { owner.reset(); });  // ends without ever becoming ready
  EXPECT_EQ(later.Forward("p /a.bmp", 5000), CInstanceChannel::ForwardResult::NoWindow);
  closer.join();
}

TEST_F(InstanceChannelTest, LaterInstanceTakesOverWhenTheOwnerWasKilled) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    CInstanceChannel owner;
    const char ok = owner.Open(m_name) && owner.IsFirstInstance() ? 'y' : 'n';
    owner.SetWindow(1);  // published a window, then hangs up without answering
    if (write(ready[1], &ok, 1) != 1) _exit(1);
    for (;;) pause();
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');
  CInstanceChannel later;
  ASSERT_TRUE(later.Open(m_name));
  EXPECT_FALSE(later.IsFirstInstance());
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(later.Forward("p /a.bmp", 5000), CInstanceChannel::ForwardResult::OwnerGone);
  ASSERT_TRUE(later.TakeOver());
  EXPECT_TRUE(later.IsFirstInstance());
  EXPECT_EQ(later.GetWindow(), 0u);
  CInstanceChannel third;
  ASSERT_TRUE(third.Open(m_name));
  EXPECT_FALSE(third.IsFirstInstance());

  // A start after the crash, with no one waiting, becomes the first at once.
  third.Close();
  later.Close();
  CInstanceChannel fresh;
  ASSERT_TRUE(fresh.Open(m_name));
  EXPECT_TRUE(fresh.IsFirstInstance());
}

TEST_F(InstanceChannelTest, RefusesABlockOpenToOthers) {
  const std::string shm = "/" + m_name;
  const int fd = shm_open(shm.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
  ASSERT_GE(fd, 0);
  fchmod(fd, 0666);
  ASSERT_EQ(ftruncate(fd, kInstanceBlockSize), 0);
  close(fd);
  CInstanceChannel channel;
  EXPECT_FALSE(channel.Open(m_name));  // the program then runs on its own
  shm_unlink(shm.c_str());
  EXPECT_TRUE(channel.Open(m_name));
  EXPECT_TRUE(channel.IsFirstInstance());
}

TEST_F(InstanceChannelTest, TheLineIsCutToTheField) {
  CInstanceChannel owner;
  ASSERT_TRUE(owner.Open(m_name));
  owner.SetWindow(1);
  owner.SetReady(1);
  std::vector<std::string> lines;
  std::atomic<bool> stop{false};
  std::thread server([&] { ServeLines(owner, lines, stop); });
  CInstanceChannel later;
  ASSERT_TRUE(later.Open(m_name));
  EXPECT_EQ(later.Forward(std::string(3000, 'x'), 10000), CInstanceChannel::ForwardResult::Forwarded);
  stop = true;
  server.join();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), kMaxCommandLine);
}

}  // namespace
