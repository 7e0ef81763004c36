// Paste and Cut of images in a document window through the real clipboard:
// another program (xclip) puts a PNG there and Paste makes it the floating
// selection as one "Paste" step; Cut hands the selection to the clipboard,
// where another program reads it back identical, and drops it as one "Cut"
// step.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "editor/PictoravellDoc.h"
#include "imaging/ColorConversion.h"
#include "resources/CommandIds.h"
#include "shell/ImageClipboard.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

using testing_support::PumpUntil;
using testing_support::ReadFileBytes;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

constexpr const char* kDetached = " </dev/null >/dev/null 2>&1";

// A command run in another thread while this one serves the clipboard.
int RunServing(const std::string& command) {
  std::atomic<bool> done{false};
  int code = -1;
  std::thread worker([&] {
    code = RunCommand(command);
    done = true;
  });
  PumpUntil([&] { return done.load(); }, 20000);
  worker.join();
  return code;
}

std::vector<uint8_t> RgbOf(const std::string& path) {
  TempDir dir;
  const std::string out = (dir.path() / "out.rgb").string();
  EXPECT_EQ(RunCommand("convert " + ShellQuote(path) + " -depth 8 rgb:" + ShellQuote(out)), 0);
  return ReadFileBytes(out);
}

std::vector<uint8_t> RgbOf(const CRasterImage& source) {
  const CRasterImage image = source.GetBitsPerPixel() == 24 ? source : ConvertTo24Bit(source);
  std::vector<uint8_t> out;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const uint8_t* p = image.GetBits() + y * image.GetStride() + 3 * x;
      out.insert(out.end(), {p[0], p[1], p[2]});
    }
  return out;
}

TEST(DocumentPasteCut, PasteFromAnotherProgramThenCutBackToIt) {
  REQUIRE_TOOL("xclip");
  REQUIRE_TOOL("convert");
  StartClipboardWatch(100);
  struct StopWatch {
    ~StopWatch() {
      CRasterImage dot;
      dot.Create(1, 1, 24);
      PutImageOnClipboard(dot);
      EmptyOwnClipboard();
      StopClipboardWatch();
    }
  } stop;
  editor_testing::DocumentWindowFixture f;
  TempDir dir;
  const std::string base = (dir.path() / "base.png").string();
  const std::string clip = (dir.path() / "clip.png").string();
  ASSERT_EQ(RunCommand("convert -size 40x30 xc:gray50 -type TrueColor PNG24:" + ShellQuote(base)), 0);
  ASSERT_EQ(RunCommand("convert -size 9x7 gradient:red-blue -depth 8 -type TrueColor " + ShellQuote(clip)), 0);
  auto* doc = dynamic_cast<CPictoravellDoc*>(f.manager->CreateDocument(wxString::FromUTF8(base), wxDOC_SILENT));
  ASSERT_TRUE(doc);
  // Nothing to cut yet; another program's picture makes Paste available.
  EXPECT_FALSE(f.IsEnabled(ID_EDIT_CUT));
  ASSERT_EQ(RunCommand("xclip -selection clipboard -t image/png -i " + ShellQuote(clip) + kDetached), 0);
  ASSERT_TRUE(PumpUntil([] { return IsClipboardImageCached(); }, 5000));
  ASSERT_TRUE(PumpUntil([&] { return f.IsEnabled(ID_EDIT_PASTE); }, 5000));
  f.Command(ID_EDIT_PASTE);
  const CAnimFrame* frame = doc->GetCurrentFrame();
  ASSERT_EQ(frame->m_selection.GetWidth(), 9);
  EXPECT_EQ(RgbOf(frame->m_selection), RgbOf(clip));
  // Centred on the picture.
  EXPECT_EQ(frame->m_rcSelection.left, 20 - 4);
  EXPECT_EQ(frame->m_rcSelection.top, 15 - 3);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Paste");
  EXPECT_TRUE(doc->IsModified());
  // Cut: the selection goes to the clipboard, where another program reads it.
  ASSERT_TRUE(f.IsEnabled(ID_EDIT_CUT));
  const std::vector<uint8_t> selection = RgbOf(frame->m_selection);
  f.Command(ID_EDIT_CUT);
  EXPECT_TRUE(doc->GetCurrentFrame()->m_selection.IsEmpty());
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Cut");
  const std::string back = (dir.path() / "back.png").string();
  ASSERT_EQ(RunServing("xclip -selection clipboard -t image/png -o > " + ShellQuote(back)), 0);
  EXPECT_EQ(RgbOf(back), selection);
  // Undo brings the selection back, then the picture without it.
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(doc->GetCurrentFrame()->m_selection.GetWidth(), 9);
  f.Command(ID_EDIT_UNDO);
  EXPECT_TRUE(doc->GetCurrentFrame()->m_selection.IsEmpty());
}

}  // namespace
