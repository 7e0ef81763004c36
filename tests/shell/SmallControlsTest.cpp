// The small controls, each rendered into a bitmap and inspected: colour box,
// histogram, font list, link texts and picture.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <wx/fontenum.h>

#include <filesystem>
#include <fstream>

#include <algorithm>
#include <set>
#include <sstream>
#include <strings.h>

#include "imaging/Histogram.h"
#include "shell/ColorBox.h"
#include "shell/FontComboBox.h"
#include "shell/HistogramCtrl.h"
#include "shell/LinkControls.h"
#include "shell/LinkLauncher.h"
#include "shell/PictureStatic.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using paint_testing::CountColour;
using paint_testing::PixelAt;
using testing_support::PumpFor;

const wxColour kBlack(0, 0, 0), kWhite(255, 255, 255);

// Text is antialiased: classify pixels by hue rather than exact colour.
bool IsBlue(const wxColour& c) { return c.Blue() > c.Red() + 80 && c.Blue() > c.Green() + 80; }
bool IsPurple(const wxColour& c) { return c.Red() > c.Green() + 50 && c.Blue() > c.Green() + 50; }
bool IsDark(const wxColour& c) { return c.Red() < 100 && c.Green() < 100 && c.Blue() < 100; }

template <class Pred>
int CountWhere(const wxImage& image, const wxRect& r, Pred pred) {
  int n = 0;
  for (int y = r.y; y <= r.GetBottom(); ++y)
    for (int x = r.x; x <= r.GetRight(); ++x) n += pred(PixelAt(image, x, y)) ? 1 : 0;
  return n;
}

// A frame with a panel to put controls on, gone at the end of the test.
class ControlHost {
 public:
  ControlHost() {
    frame = new wxFrame(nullptr, wxID_ANY, "controls", wxPoint(0, 0), wxSize(500, 400));
    panel = new wxPanel(frame);
    panel->SetBackgroundColour(wxColour(240, 240, 240));
    frame->Show();
    testing_support::PumpUntil([this] { return frame->IsShownOnScreen(); });
  }
  ~ControlHost() {
    frame->Destroy();
    PumpFor(20);
  }
  void Click(wxWindow* w, const wxPoint& at) {
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    down.SetPosition(at);
    down.SetEventObject(w);
    w->ProcessWindowEvent(down);
  }
  wxFrame* frame;
  wxPanel* panel;
};

// --- colour box ---------------------------------------------------------------

TEST(ColorBox, EmptyShowsTheWorkspaceColourSetShowsItsColourAndClicksCallBack) {
  CFixedUiTheme theme;
  ControlHost host;
  auto* box = new CColorBox(host.panel, 1133, wxPoint(10, 10), wxSize(40, 20));
  RGBQUAD colour;
  EXPECT_FALSE(box->GetColor(&colour));
  wxImage image = RenderToImage(*box);
  EXPECT_PIXEL(image, 0, 0, kBlack);    // frame
  EXPECT_PIXEL(image, 39, 19, kBlack);  // frame
  EXPECT_PIXEL(image, 20, 10, wxColour(171, 171, 171));
  EXPECT_EQ(CountColour(image, wxRect(1, 1, 38, 18), wxColour(171, 171, 171)), 38 * 18);

  box->SetColor(30, 20, 10);  // blue, green, red
  ASSERT_TRUE(box->GetColor(&colour));
  EXPECT_EQ(colour, MakeRGBQuad(10, 20, 30));
  EXPECT_FALSE(box->GetColor(nullptr));
  image = RenderToImage(*box);
  EXPECT_EQ(CountColour(image, wxRect(1, 1, 38, 18), wxColour(10, 20, 30)), 38 * 18);
  EXPECT_EQ(CountColour(image, wxRect(0, 0, 40, 20), kBlack), 2 * 40 + 2 * 18);

  box->ClearColor();
  EXPECT_FALSE(box->GetColor(&colour));
  EXPECT_PIXEL(RenderToImage(*box), 20, 10, wxColour(171, 171, 171));

  int clicks = 0;
  box->SetClickCallback([&] { ++clicks; });
  host.Click(box, wxPoint(5, 5));
  EXPECT_EQ(clicks, 1);
}

// --- histogram ---------------------------------------------------------------

// Rows holding the bar of column x, counted from the graph's bottom edge up.
int BarRows(const wxImage& image, int x) {
  const int graphBottom = image.GetHeight() - 6;
  int h = 0;
  while (graphBottom - h >= 0 && PixelAt(image, x, graphBottom - h) == kBlack) ++h;
  return h;
}

TEST(HistogramCtrl, BarsOfARealPhotographMatchItsHistogram) {
  REQUIRE_TOOL("convert");
  testing_support::TempDir dir;
  const std::string ppm = (dir / "rose.ppm").string();
  ASSERT_EQ(testing_support::RunCommand("convert rose: " + testing_support::ShellQuote(ppm)), 0);
  const CRasterImage photo = testing_support::ReadPnm(ppm);
  ASSERT_FALSE(photo.IsEmpty());

  // Pillow and numpy count the same bins: (red + green + blue) / 3.
  std::string out;
  ASSERT_EQ(testing_support::RunCommand(
                testing_support::Python() +
                    " -c \"import sys,numpy as np; from PIL import Image; a=np.asarray(Image.open(sys.argv[1])"
                    ".convert('RGB')).astype(int); print(' '.join(map(str, np.bincount(((a[...,0]+a[...,1]"
                    "+a[...,2])//3).ravel(), minlength=256))))\" " +
                    testing_support::ShellQuote(ppm),
                &out),
            0)
      << out;
  std::istringstream in(out);
  std::vector<uint32_t> oracle(256);
  for (uint32_t& c : oracle) in >> c;

  ControlHost host;
  auto* histogram = new CHistogramCtrl(host.panel, wxID_ANY, &photo, wxPoint(0, 0), wxSize(256, 86));
  histogram->Recalculate();
  for (int i = 0; i < 256; ++i) ASSERT_EQ(histogram->GetCounts()[static_cast<size_t>(i)], oracle[static_cast<size_t>(i)]) << i;

  const wxImage image = RenderToImage(*histogram);
  paint_testing::SaveForLooking(image, "histogram-rose.png");
  const int64_t pixels = int64_t{photo.GetWidth()} * photo.GetHeight();
  int bars = 0;
  for (int i = 0; i < 256; ++i) {
    const int expected = CHistogramCtrl::BarHeight(oracle[static_cast<size_t>(i)], pixels, 80);
    EXPECT_EQ(BarRows(image, i), expected) << "bin " << i;
    bars += expected > 0;
  }
  EXPECT_GT(bars, 100);
  // The background and the ramp.
  EXPECT_PIXEL(image, 3, 77, wxColour(240, 240, 240));
  for (int x : {0, 100, 255}) {
    const int g = x * 255 / 256;
    for (int row : {83, 84, 85}) EXPECT_PIXEL(image, x, row, wxColour(g, g, g));
    EXPECT_PIXEL(image, x, 82, wxColour(240, 240, 240));
  }
}

TEST(HistogramCtrl, OneGreyShowsOneBarCutOffAndNothingForNoPixelsOrNoHeight) {
  CRasterImage grey;
  grey.Create(10, 10, 24);
  std::fill_n(grey.GetWritableBits(), grey.GetStride() * 10, uint8_t{100});
  ControlHost host;
  auto* histogram = new CHistogramCtrl(host.panel, wxID_ANY, &grey, wxPoint(0, 0), wxSize(512, 50));
  histogram->Recalculate();
  wxImage image = RenderToImage(*histogram);
  EXPECT_EQ(BarRows(image, 200), 45);  // all the way up to the top edge
  EXPECT_PIXEL(image, 200, 0, kBlack);
  paint_testing::SaveForLooking(image, "histogram-grey.png");
  EXPECT_EQ(CountColour(image, wxRect(0, 0, 512, 45), kBlack), 45);  // one column only

  // Large images: 64-bit arithmetic, no full bar for a small share.
  EXPECT_EQ(CHistogramCtrl::BarHeight(2000000, 100000000, 100), 101);  // cut off at the top
  EXPECT_EQ(CHistogramCtrl::BarHeight(500000, 100000000, 100), 42);  // a 32-bit guard made this 100
  EXPECT_EQ(CHistogramCtrl::BarHeight(5, 0, 100), 0);
  EXPECT_EQ(CHistogramCtrl::BarHeight(5, 10, 0), 0);

  CRasterImage none;
  histogram->SetImage(&none);
  histogram->Recalculate();
  image = RenderToImage(*histogram);
  EXPECT_EQ(CountColour(image, wxRect(0, 0, 512, 45), kBlack), 0);

  histogram->SetImage(&grey);
  histogram->Recalculate();
  histogram->SetSize(512, 6);  // no room for a graph
  image = RenderToImage(*histogram);
  EXPECT_EQ(CountColour(image, wxRect(0, 0, 512, 3), kBlack), 0);
}

// --- font list ---------------------------------------------------------------

TEST(FontList, DeduplicatesOnExactNamesIgnoringCase) {
  const std::vector<std::string> in = {"DejaVu Sans Mono", "Arial Black", "DejaVu Sans", "Arial",
                                       "arial",            "@Vertical",   "",            "DEJAVU SANS"};
  const std::vector<std::string> expected = {"Arial", "Arial Black", "DejaVu Sans", "DejaVu Sans Mono"};
  const std::vector<std::string> got = MergeFontFamilies(in);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(strcasecmp(got[i].c_str(), expected[i].c_str()) == 0) << got[i];
}

TEST(FontList, ListsTheInstalledFamiliesAndDrawsItems) {
  REQUIRE_TOOL("fc-list");
  CFixedUiTheme theme;
  ControlHost host;
  auto* fonts = new CFontComboBox(host.panel, wxID_ANY, wxPoint(10, 10), wxSize(250, -1));
  fonts->FillFontList();
  std::vector<std::string> listed;
  for (unsigned i = 0; i < fonts->GetCount(); ++i) listed.push_back(fonts->GetString(i).utf8_string());
  auto has = [&](const std::string& name) { return std::find(listed.begin(), listed.end(), name) != listed.end(); };
  EXPECT_TRUE(has("DejaVu Sans"));
  EXPECT_TRUE(has("DejaVu Sans Mono"));
  // Every family fontconfig knows is listed (the first name of each entry).
  std::string out;
  ASSERT_EQ(testing_support::RunCommand("fc-list : family", &out), 0);
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const std::string family = line.substr(0, line.find(','));
    if (!family.empty()) {
      EXPECT_TRUE(has(family)) << family;
    }
  }
  // No name twice, ignoring case.
  std::set<std::string> lower;
  for (std::string n : listed) {
    std::transform(n.begin(), n.end(), n.begin(), ::tolower);
    EXPECT_TRUE(lower.insert(n).second) << n;
  }

  // An item: highlight when selected, the TrueType glyph at the left, the
  // name from x 22; a raster font draws no glyph.
  const int item = static_cast<int>(std::find(listed.begin(), listed.end(), "DejaVu Sans") - listed.begin());
  const wxColour highlight(0, 120, 215);
  wxImage image = RenderToImage(wxSize(200, 20), kWhite, [&](wxDC& dc) { fonts->RenderItem(dc, wxRect(0, 0, 200, 20), item, true); });
  EXPECT_PIXEL(image, 199, 19, highlight);
  EXPECT_GT(CountColour(image, wxRect(0, 0, 16, 15), wxColour(0, 0, 160)), 10);
  EXPECT_EQ(CountColour(image, wxRect(22, 0, 178, 20), highlight) < 178 * 20, true);  // the name is there
  EXPECT_EQ(CountColour(image, wxRect(17, 0, 4, 20), highlight), 4 * 20);
  paint_testing::SaveForLooking(image, "font-item.png");

  // The list drops down and draws its items through the same member.
  fonts->SetSelection(item);
  fonts->Popup();
  testing_support::PumpFor(200);
  fonts->Dismiss();
  testing_support::PumpFor(50);
  EXPECT_EQ(fonts->GetString(static_cast<unsigned>(fonts->GetSelection())), "DejaVu Sans");

  fonts->SetFontFamilies({"Fixed"}, RASTER_FONTTYPE);
  image = RenderToImage(wxSize(200, 20), kWhite, [&](wxDC& dc) { fonts->RenderItem(dc, wxRect(0, 0, 200, 20), 0, false); });
  EXPECT_EQ(CountColour(image, wxRect(0, 0, 20, 20), kWhite), 400);
  EXPECT_LT(CountColour(image, wxRect(22, 0, 100, 20), kWhite), 2000);
}

// --- links -------------------------------------------------------------------

TEST(LinkText, WhatIsALinkAndWhatItOpens) {
  const struct {
    const char* word;
    const char* target;
  } cases[] = {
      {"www.example.com.", "http://www.example.com."},  // the full stop stays in the link
      {"http://example.com/a?b=1", "http://example.com/a?b=1"},
      {"HTTP://example.com", ""},  // capital letters: not a link
      {"WWW.example.com", ""},
      {"xwww.example.com", ""},
      {"https://example.com", ""},
      {"www.", "http://www."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LinkTarget(c.word), c.target) << c.word;
    EXPECT_EQ(IsLinkWord(c.word), *c.target != 0) << c.word;
  }
}

TEST(LinkText, LayoutWrapsAtTheWidthAndHitTestsOnWords) {
  const TextMeasure six = [](std::string_view s) { return static_cast<int>(s.size()) * 6; };
  const std::string text = "see www.a.com now\r\nhttp://b.c  end";
  const auto words = LayoutLinkText(text, 60, six);
  ASSERT_EQ(words.size(), 5u);
  // "see" at 0; "www.a.com" (54 px) does not fit after it: next line.
  EXPECT_EQ(words[0].x, 0);
  EXPECT_EQ(words[1].line, 1);
  EXPECT_EQ(words[1].x, 0);
  EXPECT_TRUE(words[1].link);
  EXPECT_EQ(words[2].line, 2);  // "now" after 54 + 6 would end at 78
  EXPECT_EQ(words[3].line, 3);  // the line feed
  EXPECT_TRUE(words[3].link);
  EXPECT_EQ(words[4].line, 4);  // "end" would start at 60 + 12
  EXPECT_EQ(CountLayoutLines(words), 5);
  EXPECT_EQ(LinkAtPoint(text, words, 10, 3, 12), "http://www.a.com");
  EXPECT_EQ(LinkAtPoint(text, words, 10, 53, 19), "http://www.a.com");
  EXPECT_EQ(LinkAtPoint(text, words, 10, 54, 15), "");  // past the word's end
  EXPECT_EQ(LinkAtPoint(text, words, 10, 2, 2), "");    // an ordinary word
  EXPECT_EQ(LinkAtPoint(text, words, 10, 5, 35), "http://b.c");
  EXPECT_EQ(LinkAtPoint(text, words, 10, 5, 45), "");  // below the text
  // No width: one line per line feed; spaces keep their widths.
  const auto unwrapped = LayoutLinkText(text, 0, six);
  EXPECT_EQ(CountLayoutLines(unwrapped), 2);
  EXPECT_EQ(unwrapped[4].x, 10 * 6 + 12);
}

TEST(LinkEdit, DrawsLinksBlueAndAClickOpensTheWholeWordInTheBrowser) {
  CFixedUiTheme theme;
  ControlHost host;
  std::vector<std::string> opened;
  CLinkLauncherOverride launcher([&](const std::string& url) {
    opened.push_back(url);
    return true;
  });
  auto* edit = new CLinkEdit(host.panel, wxID_ANY, wxPoint(0, 0), wxSize(300, 60));
  edit->SetBackgroundColour(kWhite);
  edit->SetText("Taken at www.example.com. Nice");
  const wxImage image = RenderToImage(*edit);
  paint_testing::SaveForLooking(image, "link-edit.png");
  const int line = edit->GetTextHeight(300);
  EXPECT_GT(line, 8);
  EXPECT_GT(CountWhere(image, wxRect(0, 0, 300, line), IsBlue), 20);
  EXPECT_GT(CountWhere(image, wxRect(0, 0, 300, line), IsDark), 20);
  // Find the link by hit testing across the line.
  int linkX = -1;
  for (int x = 0; x < 300 && linkX < 0; ++x)
    if (!edit->GetLinkAt(wxPoint(x, line / 2)).empty()) linkX = x;
  ASSERT_GE(linkX, 0);
  // Blue pixels only in the link's columns.
  for (int x = 0; x < linkX - 1; ++x)
    for (int y = 0; y < line; ++y) ASSERT_FALSE(IsBlue(PixelAt(image, x, y))) << x;
  host.Click(edit, wxPoint(linkX + 5, line / 2));
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "http://www.example.com.");
  host.Click(edit, wxPoint(2, line / 2));  // "Taken": nothing
  EXPECT_EQ(opened.size(), 1u);
}

TEST(HyperlinkStatic, OpensItsTargetAsOneArgumentAndThenShowsVisited) {
  CFixedUiTheme theme;
  ControlHost host;
  bool succeed = false;
  std::vector<std::string> opened;
  CLinkLauncherOverride launcher([&](const std::string& url) {
    opened.push_back(url);
    return succeed;
  });
  auto* link = new CHyperlinkStatic(host.panel, wxID_ANY, "Visit the web site", wxPoint(5, 5));
  const std::string target = "http://example.com/a?b=1;c='$(touch x)'";
  link->SetTarget(target);
  wxImage image = RenderToImage(*link);
  EXPECT_GT(CountWhere(image, wxRect(image.GetSize()), IsBlue), 20);
  // The browser fails: the link stays unvisited.
  host.Click(link, wxPoint(3, 3));
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], target);
  EXPECT_FALSE(link->IsVisited());
  succeed = true;
  host.Click(link, wxPoint(3, 3));
  EXPECT_TRUE(link->IsVisited());
  image = RenderToImage(*link);
  EXPECT_EQ(CountWhere(image, wxRect(image.GetSize()), IsBlue), 0);
  EXPECT_GT(CountWhere(image, wxRect(image.GetSize()), IsPurple), 20);
  // Without a target nothing opens.
  link->SetTarget("");
  host.Click(link, wxPoint(3, 3));
  EXPECT_EQ(opened.size(), 2u);
}

// --- picture ------------------------------------------------------------------

TEST(PictureStatic, StretchesTheImageOverTheControl) {
  CRasterImage image;
  image.Create(2, 2, 24);
  const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
  for (int i = 0; i < 4; ++i) {
    std::copy_n(colours[i], 3, image.GetWritableBits() + (i / 2) * image.GetStride() + 3 * (i % 2));
  }
  ControlHost host;
  auto* picture = new CPictureStatic(host.panel, wxID_ANY, wxPoint(0, 0), wxSize(40, 30));
  wxImage shot = RenderToImage(*picture);
  EXPECT_PIXEL(shot, 10, 10, picture->GetPaintBackground());  // no image: nothing drawn
  picture->SetImage(&image);
  shot = RenderToImage(*picture);
  EXPECT_EQ(CountColour(shot, wxRect(0, 0, 20, 15), wxColour(255, 0, 0)), 300);
  EXPECT_EQ(CountColour(shot, wxRect(20, 0, 20, 15), wxColour(0, 255, 0)), 300);
  EXPECT_EQ(CountColour(shot, wxRect(0, 15, 20, 15), wxColour(0, 0, 255)), 300);
  EXPECT_EQ(CountColour(shot, wxRect(20, 15, 20, 15), wxColour(255, 255, 0)), 300);
}

}  // namespace

namespace {

// Without a stand-in, a link goes to the desktop's opener (xdg-open) as one
// argument: a fake xdg-open first on the PATH records what it was given.
TEST(LinkLauncher, TheAddressReachesTheDesktopOpenerAsOneArgument) {
  testing_support::TempDir dir;
  const std::string log = (dir / "args.txt").string();
  const std::string fake = (dir / "xdg-open").string();
  {
    std::ofstream script(fake);
    script << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > " << testing_support::ShellQuote(log) << "\n";
  }
  chmod(fake.c_str(), 0755);
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (dir.path().string() + ":" + oldPath).c_str(), 1);
  const std::string url = "http://example.com/a?b=1;touch${IFS}x&c='$(id)'";
  const bool started = OpenLinkInBrowser(url);
  setenv("PATH", oldPath.c_str(), 1);
  ASSERT_TRUE(started);
  ASSERT_TRUE(testing_support::PumpUntil([&] { return std::filesystem::exists(log); }, 5000));
  testing_support::PumpFor(100);
  std::ifstream in(log);
  std::string count, arg;
  std::getline(in, count);
  std::getline(in, arg);
  EXPECT_EQ(count, "1");
  EXPECT_EQ(arg, url);
  EXPECT_FALSE(std::filesystem::exists(dir / "x"));
}

}  // namespace
