#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "imaging/Profile.h"
#include "shell/FileConfigProfileStore.h"
#include "shell/MainFrame.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

using namespace testing_support;

TEST(MainWindow, OpensWithTitleAndCloses) {
  auto* frame = new CMainFrame();
  frame->Show();
  EXPECT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
  EXPECT_EQ(frame->GetTitle(), "Pictoravell");
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Ready");
  frame->Destroy();
  PumpFor(50);
}

TEST(MainWindow, ProgramStartsAndClosesCleanly) {
  const char* program = std::getenv("PICTORAVELL_PROGRAM");
  ASSERT_NE(program, nullptr);
  std::string output;
  const int rc = RunCommand("PICTORAVELL_EXIT_AFTER_MS=300 timeout 60 " + ShellQuote(program), &output);
  EXPECT_EQ(rc, 0) << output;
}

TEST(SettingsFile, KeepsSectionsAndKeysAsSpelt) {
  TempDir dir;
  const std::string path = (dir / "sub/settings.conf").string();
  {
    auto store = MakeFileConfigProfileStore(path);
    store->WriteInt("General", "MRU File List", 4);
    store->WriteString("Recent File List", "File1", "/home/u/a b.png");
    store->WriteString("Batch Scripts\\My Script", "Format", "png");
    store->WriteBinary("Main Frame", "Placement", {0, 1, 2, 255});
  }
  auto store = MakeFileConfigProfileStore(path);
  EXPECT_EQ(store->GetInt("General", "MRU File List", 10), 4);
  EXPECT_EQ(store->GetInt("General", "Auto Play", 1), 1);
  EXPECT_EQ(store->GetString("Recent File List", "File1", ""), "/home/u/a b.png");
  EXPECT_EQ(store->GetString("Batch Scripts\\My Script", "Format", ""), "png");
  std::vector<uint8_t> placement;
  EXPECT_TRUE(store->GetBinary("Main Frame", "Placement", placement));
  EXPECT_EQ(placement, (std::vector<uint8_t>{0, 1, 2, 255}));
  EXPECT_TRUE(store->DeleteSection("Recent File List"));
  EXPECT_EQ(store->GetString("Recent File List", "File1", "none"), "none");

  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("[General]"), std::string::npos) << text;
  EXPECT_NE(text.find("MRU\\ File\\ List=4"), std::string::npos) << text;
}

}  // namespace
