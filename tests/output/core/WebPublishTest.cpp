// Web publishing to a real FTP server on the loopback (pyftpdlib, started by
// each test with a user and password and stopping by itself within a
// minute), and the password scrambling.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "output/core/WebPublish.h"
#include "tests/output/core/OutputJobTestSupport.h"

namespace {

using namespace output_test;

TEST(ScramblePassword, MatchesTheStoredFormat) {
  const std::pair<const char*, const char*> vectors[] = {
      {"a", "BTUA"}, {"abcd", "BTJZTBX9UA"}, {"pass1", "4XJMBBTDT0O6UA"}, {"secret", "44JDTBTKW5W4"}, {"", ""}};
  for (const auto& [plain, scrambled] : vectors) {
    std::string text = plain;
    ASSERT_TRUE(ScramblePassword(text, kPasswordKey, true));
    EXPECT_EQ(text, scrambled) << plain;
    ASSERT_TRUE(ScramblePassword(text, kPasswordKey, false));
    EXPECT_EQ(text, plain);
  }
  // Every byte value survives the round trip.
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  std::string text = all;
  ASSERT_TRUE(ScramblePassword(text, kPasswordKey, true));
  ASSERT_TRUE(ScramblePassword(text, kPasswordKey, false));
  EXPECT_EQ(text, all);
  // Symbols outside the alphabet, or an odd count, fail and leave the text.
  for (const char* bad : {"BT#A", "BTQ", "btua", "BQ7UA"}) {
    std::string t = bad;
    EXPECT_FALSE(ScramblePassword(t, kPasswordKey, false)) << bad;
    EXPECT_EQ(t, bad);
  }
}

TEST(ScramblePassword, StoredOnlyWhenRemembered) {
  InstallProfileStore(nullptr);
  WEB_PUBLISH_OPTIONS o;
  o.strServer = "ftp.example.org";
  o.strPassword = "secret";
  o.bRememberPassword = true;
  o.Write();
  EXPECT_EQ(GetProfileString(kWebPublishSection, "Password", "none"), "44JDTBTKW5W4");
  WEB_PUBLISH_OPTIONS back;
  back.Read();
  EXPECT_EQ(back.strPassword, "secret");
  EXPECT_EQ(back.strIndexFile, "photo_album.htm");
  o.bRememberPassword = false;
  o.Write();
  EXPECT_EQ(GetProfileString(kWebPublishSection, "Password", "none"), "none");
  back.Read();
  EXPECT_EQ(back.strPassword, "");
  // A stored value that does not unscramble leaves the password empty.
  WriteProfileInt(kWebPublishSection, "Remember Password", 1);
  WriteProfileString(kWebPublishSection, "Password", "B#TU");
  back.Read();
  EXPECT_EQ(back.strPassword, "");
}

TEST(WebPublishOptions, ControlCharactersAreRefused) {
  WEB_PUBLISH_OPTIONS o;
  o.strServer = "127.0.0.1";
  EXPECT_EQ(CheckWebPublishOptions(o), "");
  for (const auto& change : std::vector<std::function<void(WEB_PUBLISH_OPTIONS&)>>{
           [](auto& x) { x.strServer = ""; }, [](auto& x) { x.strServer = "host\r\nDELE x"; },
           [](auto& x) { x.strDirectory = "a\r\nDELE b"; }, [](auto& x) { x.strUser = "me\nPASS"; },
           [](auto& x) { x.strPassword = "p\r\nQUIT"; }, [](auto& x) { x.strIndexFile = "i\r\nDELE.htm"; },
           [](auto& x) { x.strIndexFile = "../x.htm"; }, [](auto& x) { x.file.strPrefix = "a\nb"; }}) {
    WEB_PUBLISH_OPTIONS bad = o;
    change(bad);
    EXPECT_NE(CheckWebPublishOptions(bad), "");
  }
  bool absolute = false;
  EXPECT_EQ(SplitServerDirectory("photos\\2004", &absolute), (std::vector<std::string>{"photos", "2004"}));
  EXPECT_FALSE(absolute);
  EXPECT_EQ(SplitServerDirectory("/pub//x/", &absolute), (std::vector<std::string>{"pub", "x"}));
  EXPECT_TRUE(absolute);
}

// The server and a folder of pictures.
class WebPublish : public ::testing::Test {
 protected:
  void SetUp() override {
    TrashHome();
    REQUIRE_TOOL(testing_support::Python());
    ASSERT_EQ(testing_support::RunCommand(testing_support::Python() + " -c 'import pyftpdlib'"), 0)
        << "python3-pyftpdlib is missing";
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    fs::create_directories(dir / "root");
    fs::create_directories(dir / "src");
    const fs::path portFile = dir / "port";
    m_server = SpawnProgram({testing_support::Python(),
                             (testing_support::SourceDir() / "tests/fixtures/ftp/loopback_ftp_server.py").string(),
                             (dir / "root").string(), "alice", "s3cret", portFile.string(), "60"});
    ASSERT_GT(m_server, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(portFile) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(fs::exists(portFile)) << "the FTP server did not start";
    std::ifstream(portFile) >> m_port;
    options.strServer = "127.0.0.1:" + std::to_string(m_port);
    options.strUser = "alice";
    options.strPassword = "s3cret";
  }
  void TearDown() override { StopServer(); }
  void StopServer() {
    if (m_server > 0) {
      ::kill(m_server, SIGKILL);
      ::waitpid(m_server, nullptr, 0);
      m_server = -1;
    }
  }
  std::vector<std::string> Pictures(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
      const fs::path p = dir / "src" / ("pic" + std::to_string(i) + ".png");
      WritePicture(p, 240, 160, static_cast<unsigned>(i + 1));
      paths.push_back(p.string());
    }
    return paths;
  }
  TempDir dir;
  pid_t m_server = -1;
  int m_port = 0;
  WEB_PUBLISH_OPTIONS options;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(WebPublish, PicturesThumbnailsAndIndexArriveInNestedDirectories) {
  std::vector<std::string> paths = Pictures(2);
  ASSERT_EQ(testing_support::RunCommand("convert -size 50x40 xc:red " +
                                        testing_support::ShellQuote((dir / "src/anim.gif").string())),
            0);
  paths.push_back((dir / "src/anim.gif").string());
  options.strDirectory = "photos\\2004";
  options.file.strPrefix = "Trip";
  options.file.nDigits = 1;
  WEB_PUBLISH_RESULT result;
  std::vector<std::string> messages;
  ASSERT_TRUE(RunWebPublish(paths, options, result, [&](const std::string& m) { messages.push_back(m); }, nullptr,
                            nullptr, "today"));
  EXPECT_EQ(result.nPublished, 3);
  EXPECT_TRUE(result.bIndexWritten);
  const fs::path d = dir / "root/photos/2004";
  for (const char* f : {"Trip01.jpg", "Trip02.jpg", "Trip03.gif", "sm-Trip01.jpg", "sm-Trip03.gif", "photo_album.htm"})
    EXPECT_TRUE(fs::exists(d / f)) << f;
  const CImageFileRequest thumb = ReadBack(d / "sm-Trip01.jpg");
  EXPECT_EQ(thumb.m_nWidth, 100);
  EXPECT_EQ(thumb.m_nHeight, 66);
  const std::string html = ReadText(d / "photo_album.htm");
  EXPECT_NE(html.find("<a href=\"Trip02.jpg\"><img border=\"0\" src=\"sm-Trip02.jpg\" width=100 height=66"),
            std::string::npos)
      << html;
  EXPECT_EQ(messages.front(), "Uploading Trip01.jpg...");
  EXPECT_EQ(messages[1], "Uploading thumbnail image for Trip01.jpg...");
  EXPECT_EQ(messages.back(), "Writing index page...");
  // The temporary folder is gone after a completed run.
  EXPECT_FALSE(fs::exists(dir / "cache/pictoravell/Publish Temp"));
}

TEST_F(WebPublish, AnAbsoluteDirectoryStartsAtTheServerRoot) {
  options.strDirectory = "/pub/x";
  options.bGenerateIndex = false;
  WEB_PUBLISH_RESULT result;
  ASSERT_TRUE(RunWebPublish(Pictures(1), options, result, nullptr, nullptr, nullptr));
  EXPECT_EQ(result.nPublished, 1);
  EXPECT_TRUE(fs::exists(dir / "root/pub/x/pic0.jpg"));
  EXPECT_FALSE(fs::exists(dir / "root/pub/x/sm-pic0.jpg"));
  // Entering an existing directory works too.
  WEB_PUBLISH_RESULT again;
  ASSERT_TRUE(RunWebPublish(Pictures(1), options, again, nullptr, nullptr, nullptr));
  EXPECT_EQ(again.nPublished, 1);
}

TEST_F(WebPublish, AWrongPasswordGivesTheServersMessageAndNoResult) {
  options.strPassword = "wrong";
  testing_support::RecordingMessageSink sink;
  WEB_PUBLISH_RESULT result;
  EXPECT_FALSE(RunWebPublish(Pictures(1), options, result, nullptr, nullptr, nullptr));
  EXPECT_FALSE(result.bCompleted);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, MESSAGE_ERROR);
  EXPECT_EQ(sink.messages[0].second.rfind("530 ", 0), 0u) << sink.messages[0].second;
}

WebPublish* g_test = nullptr;
int g_pictureMessages = 0;

TEST_F(WebPublish, AServerStoppedMidRunEndsCleanly) {
  testing_support::RecordingMessageSink sink;
  WEB_PUBLISH_RESULT result;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunWebPublish(Pictures(3), options, result,
                             [&](const std::string& m) {
                               if (m.rfind("Uploading thumbnail", 0) == 0) StopServer();
                             },
                             nullptr, nullptr));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_FALSE(result.bCompleted);
  EXPECT_EQ(result.nPublished, 1);
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages.back().first, MESSAGE_ERROR);
}

bool g_cancel = false;
bool CancelRequested() { return g_cancel; }

TEST_F(WebPublish, CancelStopsAfterTheCurrentPictureAndIndexesWhatArrived) {
  g_cancel = false;
  WEB_PUBLISH_RESULT result;
  ASSERT_TRUE(RunWebPublish(Pictures(3), options, result,
                            [&](const std::string& m) {
                              if (m.rfind("Uploading pic1", 0) == 0) g_cancel = true;
                            },
                            CancelRequested, nullptr, "today"));
  EXPECT_TRUE(result.bCancelled);
  EXPECT_EQ(result.nPublished, 2);
  EXPECT_TRUE(fs::exists(dir / "root/sm-pic1.jpg"));
  EXPECT_FALSE(fs::exists(dir / "root/pic2.jpg"));
  const std::string html = ReadText(dir / "root/photo_album.htm");
  EXPECT_NE(html.find("href=\"pic0.jpg\""), std::string::npos);
  EXPECT_NE(html.find("href=\"pic1.jpg\""), std::string::npos);
  EXPECT_EQ(html.find("pic2"), std::string::npos);
}

TEST_F(WebPublish, ControlCharactersInNamesAreRefused) {
  const fs::path bad = dir / "src" / "evil\r\nDELE x.png";
  WritePicture(bad, 20, 20, 1);
  std::vector<std::string> paths = Pictures(1);
  paths.insert(paths.begin(), bad.string());
  testing_support::RecordingMessageSink sink;
  WEB_PUBLISH_RESULT result;
  ASSERT_TRUE(RunWebPublish(paths, options, result, nullptr, nullptr, nullptr));
  EXPECT_EQ(result.nPublished, 1);
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir / "root")) {
    ++files;
    EXPECT_EQ(e.path().filename().string().find('\r'), std::string::npos);
  }
  EXPECT_EQ(files, 3u);  // pic1, its thumbnail, the index
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_NE(sink.messages[0].second.find("Invalid file name"), std::string::npos);
}

}  // namespace
