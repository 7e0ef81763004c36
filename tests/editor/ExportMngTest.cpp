// File > Export > MNG...: offered for two or more frames while no frame is
// busy; the save chooser adds the extension, and the file written holds the
// frames with their delays and the loop count (read back by ImageMagick).

#include <gtest/gtest.h>
#include <wx/filedlg.h>

#include <string>

#include "base/Profile.h"
#include "editor/PictoravellDoc.h"
#include "resources/CommandIds.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxDialogScript.h"
#include "tests/support/WxTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::DialogScript;
using testing_support::PumpUntil;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

TEST(ExportMng, OfferedForAnimationsAndWritesTheFramesDelaysAndLoopCount) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("identify");
  DocumentWindowFixture f;
  auto store = InstallProfileStore(MakeMemoryProfileStore());
  TempDir dir;
  const std::string gif = (dir / "anim.gif").string();
  const std::string single = (dir / "single.gif").string();
  ASSERT_EQ(RunCommand("convert -delay 7 -size 24x16 xc:red -delay 30 xc:lime xc:blue -loop 3 " + ShellQuote(gif) +
                       " && convert -size 8x8 xc:red " + ShellQuote(single)),
            0);
  CPictoravellDoc* one = OpenImageDocument(single);
  ASSERT_NE(one, nullptr);
  EXPECT_FALSE(f.IsEnabled(ID_EXPORT_MNG));  // one frame
  CPictoravellDoc* doc = OpenImageDocument(gif);
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(doc->GetFrameCount(), 3);
  EXPECT_TRUE(f.IsEnabled(ID_EXPORT_MNG));
  doc->GetFrames()[1].m_bBusy = 1;
  EXPECT_FALSE(f.IsEnabled(ID_EXPORT_MNG));  // a frame is busy
  doc->GetFrames()[1].m_bBusy = 0;

  DialogScript script;
  script.Run([&](wxDialog& d) {
    auto& chooser = dynamic_cast<wxFileDialog&>(d);
    EXPECT_EQ(chooser.GetMessage(), "Export MNG");
    EXPECT_TRUE(chooser.HasFlag(wxFD_SAVE));
    chooser.SetDirectory(dir.path().string());
    chooser.SetFilename("moving");
    EXPECT_TRUE(PumpUntil([&] { return chooser.GetPath() == (dir / "moving").string(); }, 3000)) << chooser.GetPath();
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    ok.SetEventObject(&d);
    d.GetEventHandler()->ProcessEvent(ok);
  });
  f.Command(ID_EXPORT_MNG);
  EXPECT_EQ(script.Remaining(), 0u);
  const std::string mng = (dir / "moving.mng").string();
  std::string output;
  ASSERT_EQ(RunCommand("identify -format '%m %w %h %T|' " + ShellQuote(mng), &output), 0) << output;
  // ImageMagick gives the last frame the delay before it (its rule for MNG).
  EXPECT_EQ(output, "MNG 24 16 7|MNG 24 16 30|MNG 24 16 30|");
  ASSERT_EQ(RunCommand("identify -verbose " + ShellQuote(mng) + " | grep -m1 -o 'Iterations: [0-9]*'", &output), 0);
  EXPECT_EQ(doc->GetLoopCount(), 2);  // ImageMagick's "-loop 3" is two repeats in the GIF
  EXPECT_EQ(output, "Iterations: 3\n");
  EXPECT_EQ(GetProfileString("File Dialog", "Save Path", ""), dir.path().string());
  InstallProfileStore(std::move(store));
}

}  // namespace
