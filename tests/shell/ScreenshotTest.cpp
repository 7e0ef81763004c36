// Pictures of the main window in each mode, written as PNG files into
// $PICTORAVELL_SCREENSHOT_DIR when it is set (for looking at, not compared).

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "shell/MainFrame.h"
#include "shell/MainStatusBar.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using shell_testing::FrameFixture;
using testing_support::PumpFor;

// The X server's picture of the frame (ImageMagick's import reads the screen).
void Save(CMainFrame* frame, const std::string& path) {
  frame->Refresh();
  frame->Update();
  PumpFor(300);
  const wxRect r = frame->GetScreenRect();
  const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                           std::to_string(r.y);
  std::string output;
  EXPECT_EQ(testing_support::RunCommand("import -window root -crop " + crop + " " + testing_support::ShellQuote(path),
                                        &output),
            0)
      << output;
}

TEST(Screenshots, MainWindowInEachMode) {
  const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  REQUIRE_TOOL("import");
  FrameFixture f;
  f.frame->SetSize(1000, 700);
  ReportMessage(MESSAGE_INFO, "Information row");
  ReportMessage(MESSAGE_WARNING, "Warning row");
  ReportMessage(MESSAGE_ERROR, "Failed to open /tmp/x.gif: No such file or directory");
  {
    CStatusScope scope("Reading big.tif...");
    ReportProgress(3, 5);
    Save(f.frame, std::string(dir) + "/mode0-progress.png");
  }
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  SetStatusFileCounts(12, 2);
  Save(f.frame, std::string(dir) + "/mode1-browse.png");
  ASSERT_TRUE(f.frame->SetMode(MODE_CONTACT_SHEET));
  Save(f.frame, std::string(dir) + "/mode3-contact-sheet.png");
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  ASSERT_TRUE(f.frame->EnterEffectMode("Blur"));
  Save(f.frame, std::string(dir) + "/mode4-effect.png");
  f.frame->LeaveEffectMode();
}

}  // namespace
