// The sharing jobs under the progress dialog: Cancel stops the album after
// the current picture, the result is reported and the page opened; e-mail
// hands over without waiting and reports a failing client when it ends.

#include <gtest/gtest.h>
#include <wx/app.h>

#include <fstream>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "output/SharingCommands.h"
#include "output/EmailDialog.h"
#include "shell/EventPump.h"
#include "shell/ModalDialog.h"
#include <wx/textctrl.h>
#include <wx/choice.h>
#include "shell/ProgressDialog.h"
#include "tests/output/core/OutputJobTestSupport.h"
#include "tests/shell/ShellTestSupport.h"

namespace {

using namespace output_test;
using shell_testing::FrameFixture;
using testing_support::PumpUntil;
using testing_support::ShellQuote;

class SharingCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "src");
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    m_oldPath = getenv("PATH");
    setenv("PATH", ((dir / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
    for (int i = 0; i < 3; ++i) {
      const fs::path p = dir / "src" / ("p" + std::to_string(i) + ".png");
      WritePicture(p, 60, 40, static_cast<unsigned>(i + 1));
      paths.push_back(p.string());
    }
  }
  void TearDown() override { setenv("PATH", m_oldPath.c_str(), 1); }
  void Stub(const char* name, const std::string& body) {
    std::ofstream(dir / "bin" / name) << "#!/bin/sh\n" << body;
    fs::permissions(dir / "bin" / name, fs::perms::owner_all);
  }
  TempDir dir;
  std::vector<std::string> paths;
  std::string m_oldPath;
};

void CancelSoon() {
  wxTheApp->CallAfter([] {
    if (g_pProgressDialog) g_pProgressDialog->Cancel();
  });
}

TEST_F(SharingCommands, AlbumCancelKeepsWhatWasWrittenReportsAndOpensThePage) {
  FrameFixture f;
  CEventPump pump;
  pump.Install();
  const fs::path log = dir / "open.log";
  Stub("xdg-open", "printf '%s\\n' \"$1\" > " + ShellQuote(log.string()) + "\n");
  testing_support::RecordingMessageSink sink;
  HTML_ALBUM_OPTIONS options;
  options.strFolder = (dir / "album").string();
  HTML_ALBUM_RESULT result;
  CancelSoon();
  ASSERT_TRUE(GenerateHtmlAlbum(f.frame, paths, options, &result));
  EXPECT_TRUE(result.bCancelled);
  EXPECT_EQ(result.nPublished, 1);
  EXPECT_EQ(g_pProgressDialog, nullptr);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], std::make_pair(static_cast<int>(MESSAGE_INFO),
                                             std::string("1 picture has been published to web successfully.")));
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(log) && fs::file_size(log) > 0; }, 10000));
  std::ifstream in(log);
  std::string opened;
  std::getline(in, opened);
  EXPECT_EQ(opened, (dir / "album/index.html").string());
}

TEST_F(SharingCommands, EmailHandsOverWithoutWaitingAndReportsAFailingClient) {
  FrameFixture f;
  CEventPump pump;
  pump.Install();
  const fs::path log = dir / "mail.log";
  const fs::path started = dir / "started";
  Stub("xdg-email", ": > " + ShellQuote(started.string()) + "\nsleep 2\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + ShellQuote(log.string()) +
                        "\nexit 4\n");
  testing_support::RecordingMessageSink sink;
  // Cancel: nothing is handed over.
  CancelSoon();
  EXPECT_FALSE(EmailPictures(f.frame, paths, {}));
  PumpUntil([] { return false; }, 300);
  EXPECT_FALSE(fs::exists(started));
  // A full run returns before the client ends; its exit code is reported later.
  ASSERT_TRUE(EmailPictures(f.frame, paths, {}));
  EXPECT_FALSE(fs::exists(log));  // the client is still running
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_TRUE(PumpUntil([&] { return !sink.messages.empty(); }, 10000));
  EXPECT_EQ(sink.messages[0].second, "Send Mail failed to send message.");
  std::ifstream in(log);
  std::vector<std::string> args;
  for (std::string line; std::getline(in, line);) args.push_back(line);
  ASSERT_EQ(args.size(), 6u);
  EXPECT_EQ(args[0], "--attach");
  EXPECT_EQ(args[1], GetEmailTempFolder() + "p0.png");
  EXPECT_TRUE(fs::exists(args[5]));
  // No client: the load failure at once.
  fs::remove(dir / "bin/xdg-email");
  sink.messages.clear();
  EXPECT_FALSE(EmailPictures(f.frame, paths, {}));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].second, "Unable to load mail system support.");
}

TEST_F(SharingCommands, SendEmailCommandAsksThenHandsTheRenamedPicturesOver) {
  FrameFixture f;
  CEventPump pump;
  pump.Install();
  InstallProfileStore(nullptr);
  const fs::path log = dir / "mail.log";
  Stub("xdg-email", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + ShellQuote(log.string()) + ".tmp && mv " +
                        ShellQuote(log.string()) + ".tmp " + ShellQuote(log.string()) + "\n");
  testing_support::RecordingMessageSink sink;
  CModalDialogHook hook([&](wxDialog& d) {
    static_cast<wxTextCtrl*>(d.FindWindow(CEmailDialog::IDC_PREFIX))->SetValue("Holiday");
    auto* digits = static_cast<wxChoice*>(d.FindWindow(CEmailDialog::IDC_DIGITS));
    digits->SetSelection(2);
    static_cast<CEmailDialog&>(d).UpdateExample();
    EXPECT_EQ(static_cast<CEmailDialog&>(d).GetExample(), "Holiday001");
    return wxID_OK;
  });
  ASSERT_TRUE(SendEmailCommand(f.frame, paths));
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(log); }, 10000));
  std::ifstream in(log);
  std::vector<std::string> args;
  for (std::string line; std::getline(in, line);) args.push_back(line);
  const std::string t = GetEmailTempFolder();
  EXPECT_EQ(args, (std::vector<std::string>{"--attach", t + "Holiday001.png", "--attach", t + "Holiday002.png",
                                            "--attach", t + "Holiday003.png"}));
  EXPECT_EQ(GetProfileString("Email Options", "File Name Prefix", ""), "Holiday");
  PumpUntil([] { return false; }, 400);  // the watch sees exit 0: no message
  EXPECT_TRUE(sink.messages.empty());
  // Cancel in the dialog: nothing happens.
  CModalDialogHook cancel([](wxDialog&) { return wxID_CANCEL; });
  EXPECT_FALSE(SendEmailCommand(f.frame, paths));
}

}  // namespace
