#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "resources/CommandIds.h"
#include "shell/MainFrame.h"
#include "shell/WelcomeMarkup.h"
#include "shell/WelcomePage.h"
#include "tests/shell/ShellTestSupport.h"

namespace {

using namespace welcome;
using shell_testing::FrameFixture;
using testing_support::PumpFor;
using testing_support::PumpUntil;

// Every character 10 pixels wide; plain text 12 pixels high, bold 14.
class FixedMeasurer : public ITextMeasurer {
 public:
  int TextWidth(const std::string& text, MarkupFont) const override { return 10 * static_cast<int>(text.size()); }
  int TextHeight(MarkupFont font) const override { return font == FONT_BOLD || font == FONT_BOLD_UNDERLINED ? 14 : 12; }
};

const LaidWord* FindWord(const MarkupLayout& layout, const std::string& text) {
  for (const LaidWord& word : layout.words)
    if (word.text == text) return &word;
  return nullptr;
}

TEST(WelcomeMarkup, TokensSplitAtAngleBracketsAndSpaces) {
  const std::vector<MarkupToken> tokens = TokenizeMarkup("Hi  <b>there</b><->. <cmd:open>Open it</cmd>");
  const std::vector<MarkupToken> expected = {
      {"Hi", false, true},    {"b", true, false},        {"there", false, false}, {"/b", true, false},
      {"-", true, false},     {".", false, true},        {"cmd:open", true, false}, {"Open", false, true},
      {"it", false, false},   {"/cmd", true, false},
  };
  EXPECT_EQ(tokens, expected);
}

// Word placement for a table of small texts in a 220-pixel-wide page (the
// box ends at x = 200); line height 14 + 3, space 10, list indent 8 * 10 + 12.
TEST(WelcomeMarkup, LayoutTable) {
  struct Row {
    const char* markup;
    const char* word;
    int x, y;
    MarkupFont font;
  } rows[] = {
      {"one two", "two", 60, 20, FONT_NORMAL},
      {"aaaaaaaaa bbbbbbbbb", "bbbbbbbbb", 20, 37, FONT_NORMAL}, // wraps by words
      {"x<br>y", "y", 20, 37, FONT_NORMAL},                              // line break
      {"<ul><li>aaa bbb ccc</li></ul>", "aaa", 112, 37, FONT_NORMAL},   // item text after the bullet
      {"<ul><li>aaa bbb ccc ddd</li></ul>", "ccc", 112, 54, FONT_NORMAL},  // a wrapped item line is indented
      {"<ul><li>a</li>zz</ul>", "zz", 20, 54, FONT_NORMAL},             // after the item: box left
      {"<b>bold</b><->.", ".", 60, 20, FONT_NORMAL},                     // no space before the full stop
      {"<b>bold</b> x", "bold", 20, 20, FONT_BOLD},
      {"<b>a <cmd:k>bc</cmd></b>", "bc", 40, 20, FONT_BOLD_UNDERLINED},
      {"<cmd:k>bc</cmd>", "bc", 20, 20, FONT_UNDERLINED},
      {"<i>a</i> <unknown>b", "b", 40, 20, FONT_NORMAL},                 // other tags are ignored
      {"wwwwwwwwwwwwwwwwwwwwwwww", "wwwwwwwwwwwwwwwwwwwwwwww", 20, 20, FONT_NORMAL},  // too wide: stays put
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.markup);
    const MarkupLayout layout = LayOutMarkup(row.markup, 220, 300, FixedMeasurer());
    EXPECT_EQ(layout.lineHeight, 17);
    EXPECT_EQ(layout.spaceWidth, 10);
    const LaidWord* word = FindWord(layout, row.word);
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->x, row.x);
    EXPECT_EQ(word->y, row.y);
    EXPECT_EQ(word->font, row.font);
  }
}

TEST(WelcomeMarkup, BulletSitsEightSpacesInAndMidLine) {
  const MarkupLayout layout = LayOutMarkup("<ul><li>a</li><li>b</li></ul>", 400, 300, FixedMeasurer());
  ASSERT_EQ(layout.bullets.size(), 2u);
  EXPECT_EQ(layout.bullets[0], (LinkRect{100, 37 + 5, 106, 48}));
  EXPECT_EQ(layout.bullets[1], (LinkRect{100, 54 + 5, 106, 65}));
}

TEST(WelcomeMarkup, LinkWordsAndTheSpacesBetweenThemAreClickableButNotBeyondTheLastWord) {
  const MarkupLayout layout = LayOutMarkup("go <cmd:browse>to the area</cmd> now", 400, 300, FixedMeasurer());
  ASSERT_EQ(layout.links.size(), 3u);
  EXPECT_EQ(layout.links[0].rect, (LinkRect{50, 20, 80, 32}));   // "to" and its space
  EXPECT_EQ(layout.links[1].rect, (LinkRect{80, 20, 120, 32}));  // "the" and its space
  EXPECT_EQ(layout.links[2].rect, (LinkRect{120, 20, 160, 32})); // "area": no space
  EXPECT_EQ(FindWord(layout, "to ")->link, true);
  EXPECT_EQ(FindWord(layout, "area")->link, true);
  EXPECT_EQ(FindWord(layout, "now")->link, false);
  for (int x : {50, 79, 80, 119, 159}) {
    const LinkRecord* hit = HitTestLinks(layout, x, 25);
    ASSERT_NE(hit, nullptr) << x;
    EXPECT_EQ(hit->keyword, "browse");
  }
  EXPECT_EQ(HitTestLinks(layout, 160, 25), nullptr);
  EXPECT_EQ(HitTestLinks(layout, 49, 25), nullptr);
  EXPECT_EQ(HitTestLinks(layout, 60, 32), nullptr);
}

TEST(WelcomeMarkup, KeywordsSendTheirCommands) {
  EXPECT_EQ(CommandForKeyword("open"), ID_FILE_OPEN);
  EXPECT_EQ(CommandForKeyword("new"), ID_FILE_NEW);
  EXPECT_EQ(CommandForKeyword("multiburst"), ID_MULTIBURST);
  EXPECT_EQ(CommandForKeyword("file_sequence"), ID_FILE_SEQUENCE);
  EXPECT_EQ(CommandForKeyword("browse"), ID_BROWSE_PHOTOS);
  EXPECT_EQ(CommandForKeyword("help"), ID_HELP_FINDER);
  EXPECT_EQ(CommandForKeyword("web_help"), ID_WEB_HELP);
  EXPECT_EQ(CommandForKeyword("print"), 0);
}

TEST(WelcomeMarkup, ThePageTextHasTheBoldHeadingAndSevenLinks) {
  const std::string text = WelcomeMarkupText();
  const MarkupLayout layout = LayOutMarkup(text, 1200, 800, FixedMeasurer());
  const LaidWord* version = FindWord(layout, "3.5");
  const LaidWord* stop = FindWord(layout, ".");
  ASSERT_TRUE(version && stop);
  EXPECT_EQ(FindWord(layout, "Pictoravell")->font, FONT_BOLD);
  EXPECT_EQ(version->font, FONT_BOLD);
  EXPECT_EQ(stop->x, version->x + 30);
  EXPECT_EQ(stop->font, FONT_NORMAL);
  std::vector<std::string> keywords;
  for (const LinkRecord& link : layout.links)
    if (keywords.empty() || keywords.back() != link.keyword) keywords.push_back(link.keyword);
  EXPECT_EQ(keywords, (std::vector<std::string>{"open", "multiburst", "file_sequence", "new", "browse", "help",
                                                "web_help"}));
  EXPECT_EQ(layout.bullets.size(), 5u);
  // At 600 pixels every word ends inside the box, and the browse item's
  // wrapped lines start at the indentation.
  const MarkupLayout narrow = LayOutMarkup(text, 600, 800, FixedMeasurer());
  for (const LaidWord& word : narrow.words) EXPECT_LE(word.x + 10 * static_cast<int>(word.text.size()), 580 + 10) << word.text;
  const LaidWord* camera = FindWord(narrow, "camera,");
  ASSERT_NE(camera, nullptr);
  const LaidWord* browse = FindWord(narrow, "Go ");
  ASSERT_NE(browse, nullptr);
  EXPECT_GT(narrow.words.back().y, browse->y);
  int wrappedLines = 0;
  for (const LaidWord& word : narrow.words)
    if (word.y > browse->y && word.y < FindWord(narrow, "Read")->y && word.x == 20 + 92) ++wrappedLines;
  EXPECT_GE(wrappedLines, 1);
}

// --- the page in the main frame ---------------------------------------------

wxPoint LinkCentre(CWelcomePage* page, const std::string& keyword) {
  for (const LinkRecord& link : page->GetLayout().links)
    if (link.keyword == keyword)
      return page->ClientToScreen(wxPoint((link.rect.left + link.rect.right) / 2, (link.rect.top + link.rect.bottom) / 2));
  ADD_FAILURE() << "no link " << keyword;
  return wxPoint();
}

void MoveMouse(const wxPoint& target) {
  wxUIActionSimulator sim;
  for (int attempt = 0; attempt < 5 && wxGetMousePosition() != target; ++attempt) {
    sim.MouseMove(target);
    PumpUntil([&] { return wxGetMousePosition() == target; }, 500);
  }
  ASSERT_EQ(wxGetMousePosition(), target);
  PumpFor(50);
}

bool ShowsLinkCursor(CWelcomePage* page) {
  return page->GetCursor().IsOk() && page->GetCursor().GetRefData() == page->GetLinkCursor().GetRefData();
}

TEST(WelcomePage, HandOverLinksAndTheBrowseLinkSwitchesToBrowseMode) {
  FrameFixture f;
  CWelcomePage* page = f.frame->GetWelcomePage();
  ASSERT_NE(page, nullptr);
  f.frame->Raise();
  ASSERT_TRUE(PumpUntil([&] { return page->IsShownOnScreen() && page->GetPaintCount() > 0; }));
  ASSERT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);

  MoveMouse(LinkCentre(page, "browse"));
  EXPECT_TRUE(PumpUntil([&] { return ShowsLinkCursor(page); }, 1000));
  MoveMouse(page->ClientToScreen(wxPoint(5, page->GetClientSize().y - 5)));
  EXPECT_TRUE(PumpUntil([&] { return !ShowsLinkCursor(page); }, 1000));

  MoveMouse(LinkCentre(page, "browse"));
  wxUIActionSimulator().MouseClick();
  EXPECT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_BROWSE; }));
}

TEST(WelcomePage, TheOpenLinkSendsTheOpenCommandToTheFrame) {
  FrameFixture f;
  CWelcomePage* page = f.frame->GetWelcomePage();
  f.frame->Raise();
  ASSERT_TRUE(PumpUntil([&] { return page->IsShownOnScreen() && page->GetPaintCount() > 0; }));
  std::vector<int> commands;
  f.frame->Bind(wxEVT_MENU, [&](wxCommandEvent& event) { commands.push_back(event.GetId()); }, ID_FILE_OPEN);
  f.frame->Bind(wxEVT_MENU, [&](wxCommandEvent& event) { commands.push_back(event.GetId()); }, ID_FILE_NEW);
  MoveMouse(LinkCentre(page, "open"));
  wxUIActionSimulator().MouseClick();
  EXPECT_TRUE(PumpUntil([&] { return commands.size() == 1; }));
  EXPECT_EQ(commands, std::vector<int>{ID_FILE_OPEN});
  // Between the lines nothing is sent.
  EXPECT_FALSE(page->ClickAt(wxPoint(5, 5)));
  EXPECT_EQ(commands.size(), 1u);
}

// The painted page: white, blue link text, bullets in the caption colour.
TEST(WelcomePage, PaintsBlueLinksOnWhite) {
  FrameFixture f;
  CWelcomePage* page = f.frame->GetWelcomePage();
  ASSERT_TRUE(PumpUntil([&] { return page->IsShownOnScreen(); }));
  const wxImage image = RenderToImage(*page);
  ASSERT_TRUE(image.IsOk());
  EXPECT_EQ(wxColour(image.GetRed(2, 2), image.GetGreen(2, 2), image.GetBlue(2, 2)), *wxWHITE);
  int blue = 0;
  const LinkRect r = page->GetLayout().links.front().rect;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (image.GetRed(x, y) < 80 && image.GetGreen(x, y) < 80 && image.GetBlue(x, y) > 200) ++blue;
  EXPECT_GT(blue, 10);
  if (const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR")) image.SaveFile(std::string(dir) + "/welcome-page.png", wxBITMAP_TYPE_PNG);
}

}  // namespace
