#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "base/Profile.h"
#include "resources/CommandIds.h"
#include "shell/FileConfigProfileStore.h"
#include "shell/MainFrame.h"
#include "shell/ModeTabBar.h"
#include "shell/MainStatusBar.h"
#include "shell/MessagePane.h"
#include "shell/StandInViews.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

using namespace testing_support;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(MainWindow, OpensWithTitleAndCloses) {
  auto* frame = new CMainFrame(nullptr);
  frame->Show();
  EXPECT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
  EXPECT_EQ(frame->GetTitle(), "Pictoravell");
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Ready");
  EXPECT_EQ(g_pMainFrame, frame);
  EXPECT_EQ(g_pStatusBar, frame->GetMainStatusBar());
  EXPECT_EQ(g_pMessagePane, frame->GetMessagePane());
  EXPECT_TRUE(frame->Close());
  shell_testing::DestroyFrame(frame);
  EXPECT_EQ(g_pMainFrame, nullptr);
  EXPECT_EQ(g_pStatusBar, nullptr);
  EXPECT_EQ(g_pMessagePane, nullptr);
}

TEST(MainWindow, ProgramStartsAndClosesCleanly) {
  const char* program = std::getenv("PICTORAVELL_PROGRAM");
  ASSERT_NE(program, nullptr);
  TempDir dir;
  const std::string conf = (dir / "settings.conf").string();
  const std::string env = "PICTORAVELL_INSTANCE=start-" + std::to_string(getpid()) +
                          " XDG_RUNTIME_DIR=" + ShellQuote(dir.path().string()) +
                          " PICTORAVELL_CONFIG=" + ShellQuote(conf) + " PICTORAVELL_EXIT_AFTER_MS=300 ";
  // A recent-file list of four entries from an earlier run: read at start,
  // written back at exit (a fifth entry lies beyond the list's size).
  std::ofstream(conf) << "[General]\nMRU\\ File\\ List=4\n[Recent\\ File\\ List]\nFile1=/p/one.png\n"
                         "File2=/p/two.gif\nFile5=/p/five.bmp\n";
  std::string output;
  EXPECT_EQ(RunCommand("env " + env + "timeout 60 " + ShellQuote(program), &output), 0) << output;
  const std::string text = ReadText(conf);
  EXPECT_NE(text.find("[Recent\\ File\\ List]"), std::string::npos) << text;
  EXPECT_NE(text.find("File1=/p/one.png"), std::string::npos) << text;
  EXPECT_NE(text.find("File2=/p/two.gif"), std::string::npos) << text;
  EXPECT_NE(text.find("MRU\\ File\\ List=4"), std::string::npos) << text;
  EXPECT_NE(text.find("[General]"), std::string::npos) << text;
  EXPECT_NE(text.find("Usage=1"), std::string::npos) << text;
  EXPECT_NE(text.find("[Main\\ Frame]"), std::string::npos) << text;
  EXPECT_NE(text.find("Placement="), std::string::npos) << text;
  EXPECT_NE(text.find("[Message\\ Pane]"), std::string::npos) << text;

  // The second run counts on and starts from the same settings.
  EXPECT_EQ(RunCommand("env " + env + "timeout 60 " + ShellQuote(program), &output), 0) << output;
  EXPECT_NE(ReadText(conf).find("Usage=2"), std::string::npos) << ReadText(conf);
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

  const std::string text = ReadText(path);
  EXPECT_NE(text.find("[General]"), std::string::npos) << text;
  EXPECT_NE(text.find("MRU\\ File\\ List=4"), std::string::npos) << text;
}

// The frame writes its own settings and the message pane's when it closes.
TEST(SettingsFile, FrameAndMessagePaneKeepTheirSettings) {
  TempDir dir;
  const std::string path = (dir / "settings.conf").string();
  InstallProfileStore(MakeFileConfigProfileStore(path));
  WriteProfileInt("Main Frame", "Show Toolbar", 0);
  WriteProfileInt("Main Frame", "Current Tool", 12345);  // no tool: read as none
  WriteProfileInt("Message Pane", "Height", 200);
  WriteProfileInt("Message Pane", "Visible", 0);
  auto* frame = new CMainFrame(nullptr);
  frame->Show();
  PumpUntil([&] { return frame->IsShownOnScreen(); });
  EXPECT_FALSE(frame->IsToolbarShown());
  EXPECT_FALSE(frame->GetModeTabBar()->IsShown());
  EXPECT_EQ(frame->GetCurrentTool(), -1);
  EXPECT_EQ(frame->GetMessagePane()->GetPaneHeight(), 200);  // limits apply to dragging only
  EXPECT_FALSE(frame->GetMessagePane()->IsShown());

  frame->ShowToolbar(true);
  frame->SelectTool(CommandId(32806));
  ReportMessage(MESSAGE_INFO, "shows the pane");
  EXPECT_TRUE(frame->GetMessagePane()->IsShown());
  EXPECT_TRUE(frame->Close());
  shell_testing::DestroyFrame(frame);
  InstallProfileStore(nullptr);

  const std::string text = ReadText(path);
  EXPECT_NE(text.find("[Main\\ Frame]"), std::string::npos) << text;
  EXPECT_NE(text.find("Show\\ Toolbar=1"), std::string::npos) << text;
  EXPECT_NE(text.find("Current\\ Tool=32806"), std::string::npos) << text;
  EXPECT_NE(text.find("[Message\\ Pane]"), std::string::npos) << text;
  EXPECT_NE(text.find("Height=200"), std::string::npos) << text;
  EXPECT_NE(text.find("Visible=1"), std::string::npos) << text;
}

}  // namespace
