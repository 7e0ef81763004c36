#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Profile.h"
#include "platform/CommandLineSplitter.h"
#include "platform/WindowPlacement.h"

namespace {

struct SplitCase {
  const char* name;
  std::string line;
  std::vector<std::string> args;
};

TEST(CommandLineSplitter, SplitsAtBlanksOutsideQuotes) {
  const std::vector<SplitCase> cases = {
      {"plain", "prog a.bmp b.bmp", {"prog", "a.bmp", "b.bmp"}},
      {"tabs and runs of blanks", "prog\t a \n\r b  ", {"prog", "a", "b"}},
      {"quoted with space", "prog \"/x/my file.gif\" /y/z.png", {"prog", "/x/my file.gif", "/y/z.png"}},
      {"quote inside stays", "prog \"a\"b\" c", {"prog", "a\"b", "c"}},
      {"empty quoted argument", "prog \"\" x", {"prog", "", "x"}},
      {"closing quote at the very end", "prog \"a b\"", {"prog", "a b"}},
      {"unclosed quote runs to the end", "prog \"a b c", {"prog", "a b c"}},
      {"empty text", "", {}},
      {"only blanks", "  \t ", {}},
      {"text after an embedded NUL is ignored", std::string("prog a\0b", 8), {"prog", "a"}},
  };
  for (const auto& c : cases) {
    CCommandLineSplitter split(c.line);
    EXPECT_EQ(split.Arguments(), c.args) << c.name;
    EXPECT_EQ(split.GetCount(), static_cast<int>(c.args.size())) << c.name;
  }
}

TEST(WindowPlacement, RoundTripsThroughTheSettings) {
  InstallProfileStore(MakeMemoryProfileStore());
  WINDOWPLACEMENT p;
  p.flags = 0;
  p.showCmd = kShowMaximized;
  p.minX = -1;
  p.minY = -1;
  p.maxX = -8;
  p.maxY = -30;
  p.left = 10;
  p.top = 20;
  p.right = 810;
  p.bottom = 620;
  WriteWindowPlacement(p, "Main Frame", "Placement");
  EXPECT_EQ(GetProfileString("Main Frame", "Placement"), "0,3,-1,-1,-8,-30,10,20,810,620");
  WINDOWPLACEMENT q;
  ASSERT_TRUE(ReadWindowPlacement("Main Frame", "Placement", q));
  EXPECT_EQ(FormatWindowPlacement(q), FormatWindowPlacement(p));
  InstallProfileStore(nullptr);
}

TEST(WindowPlacement, NeedsAllTenNumbers) {
  WINDOWPLACEMENT p;
  p.left = 77;
  EXPECT_FALSE(ParseWindowPlacement("0,1,-1,-1,-1,-1,10,20,30", p));
  EXPECT_FALSE(ParseWindowPlacement("", p));
  EXPECT_FALSE(ParseWindowPlacement("a,b,c", p));
  EXPECT_EQ(p.left, 77);  // untouched on failure
  EXPECT_TRUE(ParseWindowPlacement("0,1,-1,-1,-1,-1,10,20,30,40", p));
  EXPECT_EQ(p.bottom, 40);
}

}  // namespace
