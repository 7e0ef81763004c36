// E-mail of pictures: conversion into "Email Temp" under the cache folder and
// the hand-off to a stub xdg-email on PATH, which checks that every
// attachment still exists after a pause and records its arguments.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/PathFunctions.h"

#include "output/core/EmailPictures.h"
#include "tests/output/core/OutputJobTestSupport.h"

namespace {

using namespace output_test;
using testing_support::ShellQuote;

class EmailPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    TrashHome();
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "src");
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    m_oldPath = getenv("PATH");
  }
  void TearDown() override { setenv("PATH", m_oldPath.c_str(), 1); }
  // The stub: waits, then fails (exit 9) unless every --attach names an existing file.
  void InstallStub(int exitCode) {
    std::ofstream(dir / "bin/xdg-email")
        << "#!/bin/sh\nsleep 0.3\nlog=" << ShellQuote((dir / "mail.log").string())
        << "\n: > \"$log\"\nwhile [ $# -gt 0 ]; do\n  printf '%s\\n' \"$1\" >> \"$log\"\n"
           "  if [ \"$1\" = --attach ]; then shift; printf '%s\\n' \"$1\" >> \"$log\"; [ -f \"$1\" ] || exit 9; fi\n"
           "  shift\ndone\nexit "
        << exitCode << "\n";
    fs::permissions(dir / "bin/xdg-email", fs::perms::owner_all);
    setenv("PATH", ((dir / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
  }
  std::vector<std::string> Log() {
    std::ifstream in(dir / "mail.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  TempDir dir;
  std::string m_oldPath;
};

TEST_F(EmailPictures, AttachmentsOutliveTheHandOffAndAreClearedAtTheNextSend) {
  InstallStub(0);
  ASSERT_TRUE(IsMailClientAvailable(true));
  WritePicture(dir / "src/a.png", 80, 60, 1);
  WritePicture(dir / "src/b.jpg", 80, 60, 2);
  WritePicture(dir / "src/c.png", 80, 60, 3);
  SHARING_FILE_OPTIONS options;
  options.strPrefix = "Holiday";
  options.nDigits = 2;
  options.nSizeLimit = 5;
  const std::string temp = (dir / "cache/pictoravell/Email Temp").string() + "/";
  EXPECT_EQ(GetEmailTempFolder(), temp);
  const auto files = PrepareEmailAttachments(
      {(dir / "src/a.png").string(), (dir / "src/b.jpg").string(), (dir / "src/c.png").string()}, options, nullptr,
      nullptr);
  ASSERT_EQ(files, (std::vector<std::string>{temp + "Holiday001.png", temp + "Holiday002.jpg", temp + "Holiday003.png"}));
  CMailHandOff handOff;
  ASSERT_TRUE(handOff.Start(files));
  EXPECT_EQ(handOff.Wait(), 0);  // the stub saw every file after its pause
  EXPECT_EQ(Log(), (std::vector<std::string>{"--attach", files[0], "--attach", files[1], "--attach", files[2]}));
  for (const auto& f : files) EXPECT_TRUE(fs::exists(f)) << f;
  EXPECT_EQ(MailExitMessage(0), "");

  // One picture: no serial; the earlier attachments are gone.
  options.nSizeLimit = 0;
  const auto one = PrepareEmailAttachments({(dir / "src/a.png").string()}, options, nullptr, nullptr);
  ASSERT_EQ(one, (std::vector<std::string>{temp + "Holiday.png"}));
  EXPECT_FALSE(fs::exists(files[1]));
  const CImageFileRequest back = ReadBack(one[0]);
  EXPECT_EQ(back.m_nWidth, 80);  // already within 320x240

  // Start-up clears what is left.
  ClearEmailTempFolder();
  EXPECT_FALSE(fs::exists(temp));
}

TEST_F(EmailPictures, SizeLimitResizesAndKeepsTheFormat) {
  WritePicture(dir / "src/big.png", 1000, 500, 1);
  SHARING_FILE_OPTIONS options;
  options.nSizeLimit = 1;  // 640x480
  const auto files = PrepareEmailAttachments({(dir / "src/big.png").string()}, options, nullptr, nullptr);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(GetFileExtension(files[0]), ".png");
  const CImageFileRequest back = ReadBack(files[0]);
  EXPECT_EQ(back.m_nWidth, 640);
  EXPECT_EQ(back.m_nHeight, 320);
}

TEST_F(EmailPictures, ExitCodesAndAMissingClientGiveTheirMessages) {
  WritePicture(dir / "src/a.png", 20, 20, 1);
  const auto files = PrepareEmailAttachments({(dir / "src/a.png").string()}, {}, nullptr, nullptr);
  ASSERT_EQ(files.size(), 1u);
  for (const int code : {1, 2, 3, 4, 5}) {
    InstallStub(code);
    CMailHandOff handOff;
    ASSERT_TRUE(handOff.Start(files));
    int exitCode = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!handOff.Poll(&exitCode) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(exitCode, code);
    EXPECT_EQ(MailExitMessage(exitCode), "Send Mail failed to send message.");
  }
  setenv("PATH", (dir / "nothing").c_str(), 1);
  EXPECT_FALSE(IsMailClientAvailable(true));
  CMailHandOff handOff;
  EXPECT_FALSE(handOff.Start(files));
  EXPECT_EQ(MailExitMessage(-1), "Unable to load mail system support.");
}

TEST_F(EmailPictures, ExampleName) {
  EXPECT_EQ(MakeExampleName("", 3), "");
  EXPECT_EQ(MakeExampleName("Holiday", 2), "Holiday001");
  EXPECT_EQ(MakeExampleName("Trip", 0), "Trip1");
  EXPECT_EQ(MakeExampleName("x", 9), "x0000000001");
}

}  // namespace
