// Pictures of document windows, written as PNG files into
// $PICTORAVELL_SCREENSHOT_DIR when it is set (for looking at, not compared):
// a photograph ($PICTORAVELL_SCREENSHOT_PHOTO, else ImageMagick's rose made
// large) at best fit and magnified, and an animated GIF showing the frames
// its disposal keeps under the current one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

void Save(CMainFrame* frame, const std::string& path) {
  frame->Refresh();
  frame->Update();
  PumpFor(300);
  const wxRect r = frame->GetScreenRect();
  const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                           std::to_string(r.y);
  EXPECT_EQ(RunCommand("import -window root -crop " + crop + " " + ShellQuote(path)), 0);
}

TEST(DocumentScreenshots, PhotographAndAnimation) {
  const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!out || !*out) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  REQUIRE_TOOL("import");
  REQUIRE_TOOL("convert");
  const std::string dir = out;
  TempDir temp;
  std::string photo;
  if (const char* given = std::getenv("PICTORAVELL_SCREENSHOT_PHOTO"); given && *given) {
    photo = given;
  } else {
    photo = (temp.path() / "rose.jpg").string();
    ASSERT_EQ(RunCommand("convert rose: -resize 1400x920 -quality 92 " + ShellQuote(photo)), 0);
  }
  DocumentWindowFixture f;
  f.frame->SetSize(1100, 800);
  PumpFor(100);
  CPictoravellDoc* doc = OpenImageDocument(photo);
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(200);
  Save(f.frame, dir + "/document-photo-best-fit.png");
  view->SetZoom(3);
  view->ScrollByPixels(900, 600);
  const Point at = view->ImageToClient(Point{400, 300});
  wxMouseEvent move(wxEVT_MOTION);
  move.SetPosition(wxPoint(at.x, at.y));
  view->GetViewWindow()->ProcessWindowEvent(move);
  Save(f.frame, dir + "/document-photo-zoom3-scrolled.png");

  // The animation: white, red (kept), lime (restored to the background),
  // blue (kept), then the current yellow frame.
  const std::string gif = (temp.path() / "anim.gif").string();
  ASSERT_EQ(RunCommand("convert -dispose None -size 160x100 xc:white -size 40x40 -page +0+0 xc:red -dispose "
                       "Background -page +40+20 xc:lime -dispose None -page +80+40 xc:blue -page +110+50 xc:yellow "
                       "-loop 0 " +
                       ShellQuote(gif)),
            0);
  CPictoravellDoc* anim = OpenImageDocument(gif);
  ASSERT_TRUE(anim);
  anim->SetCurrentFrame(anim->GetFrameCount() - 1);
  f.ViewOf(anim)->SetZoom(4);
  Save(f.frame, dir + "/document-animation-last-frame.png");
}

}  // namespace
