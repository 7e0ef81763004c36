// The gallery page (golden pages, escaping) and the album job: pictures,
// "sm-" thumbnails and the index page in a folder, names that would break
// HTML or links, GIF kept as GIF, JPEG at the chosen quality.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "output/core/GalleryPage.h"
#include "tests/output/core/OutputJobTestSupport.h"

namespace {

using namespace output_test;
using testing_support::RunCommand;
using testing_support::ShellQuote;

const std::string kHead = "<html><head><title>Photo Gallery</title></head><body><table align=\"center\">";
const std::string kFoot =
    "</table><p align=\"center\"><font size=\"1\">Updated Monday, March 1, 2004 - Powered by <a "
    "href=\"https://www.pictoravell.org/\" target=\"_blank\">Pictoravell</a></font></p></body></html>";

std::string Cell(const std::string& link, const std::string& thumb, int w, int h) {
  return "<td align=\"center\"><a href=\"" + link + "\"><img border=\"0\" src=\"" + thumb + "\" width=" +
         std::to_string(w) + " height=" + std::to_string(h) + " alt=\"" + link + "\"></a></td>";
}

TEST(GalleryPage, OnePictureGivesOneRowWithOneCell) {
  CGalleryPage page;
  page.AddEntry("a.jpg", "sm-a.jpg", 100, 75);
  std::string html;
  page.WriteHtml(html, "Monday, March 1, 2004");
  EXPECT_EQ(html, kHead + "<tr>" + Cell("a.jpg", "sm-a.jpg", 100, 75) + "</tr>" + kFoot);
}

TEST(GalleryPage, TenPicturesGiveFourColumnsAndThreeRows) {
  CGalleryPage page;
  std::string expected = kHead;
  for (int i = 1; i <= 10; ++i) {
    const std::string n = "p" + std::to_string(i);
    page.AddEntry((n + ".jpg").c_str(), ("sm-" + n + ".jpg").c_str(), 100, 60 + i);
    if ((i - 1) % 4 == 0) expected += "<tr>";
    expected += Cell(n + ".jpg", "sm-" + n + ".jpg", 100, 60 + i);
    if ((i - 1) % 4 == 3 || i == 10) expected += "</tr>";
  }
  expected += kFoot;
  std::string html;
  page.WriteHtml(html, "Monday, March 1, 2004");
  EXPECT_EQ(html, expected);
  EXPECT_EQ(html.find('\n'), std::string::npos);
}

TEST(GalleryPage, ColumnsGrowWithTheSquareRootUpToSix) {
  const std::pair<size_t, int> cases[] = {{0, 1}, {1, 1}, {2, 2},  {4, 2},  {5, 3},  {9, 3},
                                          {10, 4}, {16, 4}, {17, 5}, {25, 5}, {26, 6}, {1000, 6}};
  for (const auto& [n, c] : cases) EXPECT_EQ(GalleryColumns(n), c) << n;
}

TEST(GalleryPage, NamesAreEscapedAndEncoded) {
  EXPECT_EQ(PercentEncodeName("Plain-Name_1.jpg"), "Plain-Name_1.jpg");
  EXPECT_EQ(PercentEncodeName("a b#c%d?e&f\"g<h.jpg"), "a%20b%23c%25d%3Fe%26f%22g%3Ch.jpg");
  EXPECT_EQ(PercentEncodeName("\xC3\xA9t\xC3\xA9.jpg"), "%C3%A9t%C3%A9.jpg");
  EXPECT_EQ(HtmlEscape("a&b\"c<d>e'f"), "a&amp;b&quot;c&lt;d&gt;e&#39;f");
}

class HtmlAlbum : public ::testing::Test {
 protected:
  void SetUp() override { TrashHome(); }
  TempDir dir;
  fs::path Src(const std::string& name) { return dir / "src" / name; }
  void MakeSources() { fs::create_directories(dir / "src"); }
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(HtmlAlbum, AwkwardNamesGiveValidHtmlAndWorkingLinks) {
  REQUIRE_TOOL(testing_support::Python());
  MakeSources();
  const std::vector<std::string> names = {"a&b.png", "say \"hi\".png", "x<y>.png", "no#1.png",
                                          "100%.png", "two words.png", "caf\xC3\xA9.png"};
  std::vector<std::string> paths;
  unsigned seed = 1;
  for (const std::string& n : names) {
    WritePicture(Src(n), 60, 40, seed++);
    paths.push_back(Src(n).string());
  }
  HTML_ALBUM_OPTIONS options;
  options.strFolder = (dir / "album").string();
  options.nThumbnailSize = 30;
  HTML_ALBUM_RESULT result;
  ASSERT_TRUE(RunHtmlAlbum(paths, options, result, nullptr, nullptr, nullptr, "today"));
  EXPECT_EQ(result.nPublished, 7);
  ASSERT_TRUE(result.bIndexWritten);
  EXPECT_EQ(result.strIndexPath, (dir / "album/index.html").string());
  // A strict parse: every tag balanced, attributes quoted, no stray '<';
  // each href and src, unquoted, names a file in the album.
  const std::string script = R"PY(
import sys, html.parser, urllib.parse, os
folder = sys.argv[1]
text = open(os.path.join(folder, 'index.html'), encoding='utf-8').read()
class P(html.parser.HTMLParser):
    def __init__(s):
        super().__init__(convert_charrefs=True); s.stack=[]; s.links=[]; s.alts=[]
    def handle_starttag(s, tag, attrs):
        d = dict(attrs)
        if tag == 'a' and 'target' not in d: s.links.append(d['href'])
        if tag == 'img': s.links.append(d['src']); s.alts.append(d['alt'])
        if tag != 'img': s.stack.append(tag)
    def handle_endtag(s, tag):
        assert s.stack and s.stack.pop() == tag, 'unbalanced ' + tag
    def handle_data(s, data):
        assert '<' not in data and '>' not in data, 'stray markup: ' + data
p = P(); p.feed(text); p.close()
assert not p.stack, p.stack
for link in p.links:
    assert '#' not in link and '?' not in link and ' ' not in link, link
    path = os.path.join(folder, urllib.parse.unquote(link))
    assert os.path.isfile(path), path
for alt in p.alts: print(alt)
)PY";
  std::ofstream(dir / "check.py") << script;
  std::string out;
  ASSERT_EQ(RunCommand(testing_support::Python() + " " + ShellQuote((dir / "check.py").string()) + " " +
                           ShellQuote((dir / "album").string()) + " 2>&1",
                       &out),
            0)
      << out;
  for (const std::string& n : names) {
    const std::string jpg = n.substr(0, n.size() - 4) + ".jpg";
    EXPECT_NE(out.find(jpg + "\n"), std::string::npos) << jpg << " not among the alt texts:\n" << out;
  }
}

TEST_F(HtmlAlbum, GifStaysGifTheRestBecomesJpegAtTheChosenQuality) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("identify");
  MakeSources();
  ASSERT_EQ(RunCommand("convert -size 240x120 gradient:red-blue -colors 16 " + ShellQuote(Src("anim.gif").string())), 0);
  WritePicture(Src("photo.png"), 300, 200, 3);
  WritePicture(Src("small.jpg"), 20, 10, 4);
  HTML_ALBUM_OPTIONS options;
  options.strFolder = (dir / "album").string() + "/";
  options.nJpegQuality = 42;
  options.nThumbnailSize = 50;
  HTML_ALBUM_RESULT result;
  ASSERT_TRUE(RunHtmlAlbum({Src("anim.gif").string(), Src("photo.png").string(), Src("small.jpg").string()},
                           options, result, nullptr, nullptr, nullptr, "today"));
  EXPECT_EQ(result.nPublished, 3);
  EXPECT_EQ(result.strIndexPath, (dir / "album/index.html").string());
  const fs::path a = dir / "album";
  for (const char* f : {"anim.gif", "sm-anim.gif", "photo.jpg", "sm-photo.jpg", "small.jpg", "sm-small.jpg"})
    EXPECT_TRUE(fs::exists(a / f)) << f;
  std::string q;
  ASSERT_EQ(RunCommand("identify -format '%m %Q %w %h\\n' " + ShellQuote((a / "photo.jpg").string()) + " " +
                           ShellQuote((a / "sm-photo.jpg").string()) + " " + ShellQuote((a / "sm-anim.gif").string()) +
                           " " + ShellQuote((a / "sm-small.jpg").string()),
                       &q),
            0);
  EXPECT_EQ(q, "JPEG 42 300 200\nJPEG 42 50 33\nGIF 92 50 25\nJPEG 42 20 10\n");
  // The page gives the thumbnail sizes.
  const std::string html = ReadText(a / "index.html");
  EXPECT_NE(html.find("src=\"sm-photo.jpg\" width=50 height=33"), std::string::npos) << html;
  EXPECT_NE(html.find("src=\"sm-anim.gif\" width=50 height=25"), std::string::npos) << html;
}

TEST_F(HtmlAlbum, IndexIsReplacedInOneStepAndPicturesNeverAre) {
  MakeSources();
  WritePicture(Src("one.png"), 40, 30, 1);
  fs::create_directories(dir / "album");
  std::ofstream(dir / "album/index.html") << "old page";
  std::ofstream(dir / "album/one.jpg") << "not mine";
  struct stat before {};
  ASSERT_EQ(::stat((dir / "album/index.html").c_str(), &before), 0);
  HTML_ALBUM_OPTIONS options;
  options.strFolder = (dir / "album").string();
  HTML_ALBUM_RESULT result;
  ASSERT_TRUE(RunHtmlAlbum({Src("one.png").string()}, options, result, nullptr, nullptr, nullptr, "today"));
  struct stat after {};
  ASSERT_EQ(::stat((dir / "album/index.html").c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);  // a new file renamed over the old one
  EXPECT_EQ(ReadText(dir / "album/one.jpg"), "not mine");
  EXPECT_NE(ReadText(dir / "album/index.html").find("href=\"one-1.jpg\""), std::string::npos);
  for (const auto& e : fs::directory_iterator(dir / "album"))
    EXPECT_NE(e.path().filename().string().rfind("~pt", 0), 0u) << e.path();
}

TEST_F(HtmlAlbum, RefusesAnEmptyOrRelativeFolderAndBadIndexNames) {
  testing_support::RecordingMessageSink sink;
  HTML_ALBUM_OPTIONS options;
  HTML_ALBUM_RESULT result;
  EXPECT_FALSE(RunHtmlAlbum({"/nonexistent.png"}, options, result, nullptr, nullptr, nullptr));
  options.strFolder = "relative/album";
  EXPECT_FALSE(RunHtmlAlbum({"/nonexistent.png"}, options, result, nullptr, nullptr, nullptr));
  options.strFolder = (dir / "album").string();
  for (const char* bad : {"", ".", "..", "../x.html", "a/b.html", "a\\b.html", "x\ny.html"}) {
    options.strIndexFile = bad;
    EXPECT_FALSE(RunHtmlAlbum({"/nonexistent.png"}, options, result, nullptr, nullptr, nullptr)) << bad;
  }
  EXPECT_EQ(sink.messages.size(), 9u);
  EXPECT_FALSE(fs::exists(dir / "album"));
}

int g_cancelCalls = 0;
bool CancelAfterTwo() { return ++g_cancelCalls >= 2; }
std::vector<std::pair<int, int>> g_progress;
void RecordProgress(int done, int total) { g_progress.emplace_back(done, total); }

TEST_F(HtmlAlbum, CancelStopsAfterTheCurrentPictureAndIndexesWhatWasWritten) {
  MakeSources();
  std::vector<std::string> paths;
  for (int i = 0; i < 4; ++i) {
    WritePicture(Src("p" + std::to_string(i) + ".png"), 30, 20, static_cast<unsigned>(i + 1));
    paths.push_back(Src("p" + std::to_string(i) + ".png").string());
  }
  HTML_ALBUM_OPTIONS options;
  options.strFolder = (dir / "album").string();
  options.file.strPrefix = "Trip";
  options.file.nDigits = 1;
  HTML_ALBUM_RESULT result;
  std::vector<std::string> messages;
  g_cancelCalls = 0;
  g_progress.clear();
  ASSERT_TRUE(RunHtmlAlbum(paths, options, result, [&](const std::string& m) { messages.push_back(m); },
                           CancelAfterTwo, RecordProgress, "today"));
  EXPECT_TRUE(result.bCancelled);
  EXPECT_EQ(result.nPublished, 2);
  EXPECT_TRUE(fs::exists(dir / "album/Trip01.jpg"));
  EXPECT_TRUE(fs::exists(dir / "album/sm-Trip02.jpg"));
  EXPECT_FALSE(fs::exists(dir / "album/Trip03.jpg"));
  const std::string html = ReadText(dir / "album/index.html");
  EXPECT_NE(html.find("Trip02.jpg"), std::string::npos);
  EXPECT_EQ(messages, (std::vector<std::string>{"Generating thumbnail images...", "Writing index page..."}));
  EXPECT_EQ(g_progress, (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}}));
  EXPECT_EQ(PublishResultText(0), "No picture was published to web.");
  EXPECT_EQ(PublishResultText(1), "1 picture has been published to web successfully.");
  EXPECT_EQ(PublishResultText(2), "2 pictures have been published to web successfully.");
}

TEST_F(HtmlAlbum, ThePageOpensThroughXdgOpen) {
  fs::create_directories(dir / "bin");
  const fs::path log = dir / "open.log";
  std::ofstream(dir / "bin/xdg-open") << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" > " << ShellQuote(log.string())
                                      << ".tmp && mv " << ShellQuote(log.string()) << ".tmp " << ShellQuote(log.string())
                                      << "\n";
  fs::permissions(dir / "bin/xdg-open", fs::perms::owner_all);
  const std::string oldPath = getenv("PATH");
  setenv("PATH", ((dir / "bin").string() + ":" + oldPath).c_str(), 1);
  const std::string page = (dir / "my album/index.html").string();
  EXPECT_TRUE(OpenWithDesktop(page));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!fs::exists(log) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_EQ(ReadText(log), "1|" + page + "\n");
}

}  // namespace
