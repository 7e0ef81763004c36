// An animation written by ImageMagick goes through the frame commands and
// comes back out as a GIF that other readers see exactly as it was edited:
// frames moved (as the frame list's drag moves them), removed, duplicated,
// their delays and disposal changed (as the Animation Properties dialog
// changes them), the loop count set and the frames optimised from the menu;
// then gifsicle --info and Pillow read the file. Pillow also draws every
// frame of the optimised file and of the same frames saved before the
// optimisation: the pictures must be the same.

#include <gtest/gtest.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/Profile.h"
#include "editor/DuplicateFrameDialog.h"
#include "editor/FrameOptimizationDialog.h"
#include "editor/LoopCountDialog.h"
#include "imaging/StandardPalettes.h"
#include "resources/CommandIds.h"
#include "shell/ModalDialog.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace editor_testing;
using namespace testing_support;

// Six frames of 96 x 64 in a few colours: a background of bands, a square
// at a place of its own in each frame, and the frame's number as a bar.
const char kMakeFrames[] = R"PY(import sys
import numpy as np
from PIL import Image
out = sys.argv[1]
yy, xx = np.mgrid[0:64, 0:96]
for i in range(6):
    img = np.zeros((64, 96, 3), np.uint8)
    img[..., 0] = (xx // 24) * 60
    img[..., 1] = 40
    img[..., 2] = (yy // 16) * 50
    img[10:26, 8 + 12 * i:24 + 12 * i] = (255, 255, 0)
    img[56:60, 0:8 * (i + 1)] = (255, 255, 255)
    Image.fromarray(img).save(f"{out}/f{i}.png")
)PY";

// What gifsicle and Pillow read of a GIF, one "key value" per line:
// frames, then per frame "delay", "disposal" (Pillow) and "gdelay",
// "gdisposal" (gifsicle), the loop counts and a digest of every drawn frame.
const char kReadBack[] = R"PY(import sys, re, subprocess, hashlib
import numpy as np
from PIL import Image
path = sys.argv[1]
im = Image.open(path)
print("frames", im.n_frames)
print("loop", im.info.get("loop", "none"))
for i in range(im.n_frames):
    im.seek(i)
    print("delay", im.info.get("duration", 0) // 10)
    print("disposal", getattr(im, "disposal_method", 0))
    rgba = np.array(im.convert("RGBA"))
    rgba[rgba[..., 3] == 0] = 0
    print("picture", hashlib.md5(rgba.tobytes()).hexdigest())
info = subprocess.run(["gifsicle", "--info", path], capture_output=True, text=True).stdout
m = re.search(r"loop (forever|count (\d+))", info)
print("gloop", "none" if not m else ("forever" if m.group(1) == "forever" else m.group(2)))
print("gframes", len(re.findall(r"\+ image #", info)))
for block in re.split(r"\+ image #", info)[1:]:
    d = re.search(r"delay (\d+(?:\.\d+)?)s", block)
    print("gdelay", round(float(d.group(1)) * 100) if d else 0)
    p = re.search(r"disposal (\w+)", block)
    print("gdisposal", p.group(1) if p else "none")
)PY";

std::vector<std::pair<std::string, std::string>> ReadBack(const TempDir& dir, const fs::path& gif) {
  const fs::path script = dir.path() / "readback.py";
  WriteFileBytes(script, std::vector<uint8_t>(kReadBack, kReadBack + sizeof(kReadBack) - 1));
  std::string out;
  EXPECT_EQ(RunCommand(Python() + " " + ShellQuote(script.string()) + " " + ShellQuote(gif.string()), &out), 0) << out;
  std::vector<std::pair<std::string, std::string>> lines;
  std::istringstream in(out);
  std::string key, value;
  while (in >> key >> value) lines.emplace_back(key, value);
  return lines;
}

std::vector<std::string> ValuesOf(const std::vector<std::pair<std::string, std::string>>& lines, const char* key) {
  std::vector<std::string> values;
  for (const auto& [k, v] : lines)
    if (k == key) values.push_back(v);
  return values;
}

void SelectOnly(CPictoravellDoc& doc, std::vector<int> frames) {
  for (auto& frame : doc.GetFrames()) frame.m_bSelected = 0;
  for (int i : frames) doc.GetFrame(i)->m_bSelected = 1;
}

TEST(FrameRoundTrip, AnEditedAnimationReadsBackInGifsicleAndPillowAsEdited) {
  REQUIRE_TOOL("gifsicle");
  REQUIRE_TOOL("convert");
  ScopedStore store;
  DocumentWindowFixture f;
  TempDir dir;
  const fs::path maker = dir.path() / "make.py";
  WriteFileBytes(maker, std::vector<uint8_t>(kMakeFrames, kMakeFrames + sizeof(kMakeFrames) - 1));
  ASSERT_EQ(RunCommand(Python() + " " + ShellQuote(maker.string()) + " " + ShellQuote(dir.path().string())), 0);
  const fs::path source = dir.path() / "source.gif";
  ASSERT_EQ(RunCommand("convert -delay 10 -dispose none -loop 0 " + ShellQuote((dir.path() / "f*.png").string()) +
                       " " + ShellQuote(source.string())),
            0);
  CPictoravellDoc* doc = OpenImageDocument(source.string());
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(doc->GetFrameCount(), 6);
  EXPECT_EQ(doc->GetLoopCount(), 65535);  // forever
  // Frame i shows its number as a bar of 8 (i + 1) white pixels in row 57.
  auto number = [&](int index) {
    const CAnimFrame& frame = *doc->GetFrame(index);
    int bar = 0;
    for (int x = 0; x < 96; ++x) {
      const CRasterImage& image = frame.m_image;
      const uint8_t* row = image.GetRow(57 - frame.m_nTop);
      const int bpp = image.GetBitsPerPixel();
      RGBQUAD c = bpp == 24 ? MakeRGBQuad(row[3 * x + 2], row[3 * x + 1], row[3 * x]) : image.GetPalette()[row[x]];
      bar += c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255;
    }
    return bar / 8 - 1;
  };
  auto order = [&] {
    std::string s;
    for (int i = 0; i < doc->GetFrameCount(); ++i) s += std::to_string(number(i));
    return s;
  };
  ASSERT_EQ(order(), "012345");

  // Frames 4 and 5 dragged before frame 1; then the frame at 3 (frame 1) removed.
  SelectOnly(*doc, {4, 5});
  doc->MoveFrames(1);
  EXPECT_EQ(order(), "045123");
  SelectOnly(*doc, {3});
  f.Command(ID_REMOVE_FRAMES);
  EXPECT_EQ(order(), "04523");
  // Two copies of frame 2 (now at 3) after it.
  doc->SetCurrentFrame(3);
  {
    CModalDialogHook hook([](wxDialog& d) {
      dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_DUPLICATE_FRAME_COUNT))->SetValue("2");
      return wxID_OK;
    });
    f.Command(ID_CREATE_DUPLICATES);
  }
  EXPECT_EQ(order(), "0452223");
  // Delays and disposal of two groups of frames, as the properties dialog sets them.
  SelectOnly(*doc, {0, 1, 2});
  doc->ChangeAnimationProperties(ANIM_DELAY | ANIM_CONTROL, 0, 7, 2 << 2);
  SelectOnly(*doc, {3, 4, 5, 6});
  doc->ChangeAnimationProperties(ANIM_DELAY | ANIM_CONTROL, 0, 25, 1 << 2);
  SelectOnly(*doc, {});
  // Three loops.
  {
    CModalDialogHook hook([](wxDialog& d) {
      auto* times = dynamic_cast<wxRadioButton*>(d.FindWindow(IDC_LOOP_COUNT_TIMES));
      times->SetValue(true);
      wxCommandEvent click(wxEVT_RADIOBUTTON, IDC_LOOP_COUNT_TIMES);
      click.SetEventObject(times);
      times->ProcessWindowEvent(click);
      dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_LOOP_COUNT_EDIT))->SetValue("3");
      return wxID_OK;
    });
    f.Command(ID_LOOP_COUNT);
  }
  EXPECT_EQ(doc->GetLoopCount(), 3);
  const fs::path before = dir.path() / "before.gif";
  ASSERT_TRUE(doc->SaveCopyAs(before.string()));

  // Optimise: frame differencing on one adaptive palette without dither.
  WriteProfileInt("Index Color Option", "Palette", PALETTE_ADAPTIVE);
  WriteProfileInt("Index Color Option", "Number Colors", 256);
  WriteProfileInt("Index Color Option", "Dither", 0);
  {
    CModalDialogHook hook([](wxDialog&) { return wxID_OK; });
    f.Command(ID_OPTIMIZE_FRAMES);
  }
  std::string label;
  doc->GetUndoLabel(label);
  ASSERT_EQ(label, "Optimize Frames");
  int smaller = 0;
  for (int i = 1; i < doc->GetFrameCount(); ++i) smaller += doc->GetFrame(i)->m_image.GetWidth() < 96;
  EXPECT_GT(smaller, 0);  // unchanged parts were cut away
  const fs::path after = dir.path() / "after.gif";
  ASSERT_TRUE(doc->SaveCopyAs(after.string()));

  const auto lines = ReadBack(dir, after);
  const std::vector<std::string> delays = {"7", "7", "7", "25", "25", "25", "25"};
  EXPECT_EQ(ValuesOf(lines, "frames"), std::vector<std::string>{"7"});
  EXPECT_EQ(ValuesOf(lines, "gframes"), std::vector<std::string>{"7"});
  EXPECT_EQ(ValuesOf(lines, "delay"), delays);
  EXPECT_EQ(ValuesOf(lines, "gdelay"), delays);
  EXPECT_EQ(ValuesOf(lines, "disposal"), (std::vector<std::string>{"2", "2", "2", "1", "1", "1", "1"}));
  EXPECT_EQ(ValuesOf(lines, "gdisposal"), (std::vector<std::string>{"background", "background", "background",
                                                                     "asis", "asis", "asis", "asis"}));
  EXPECT_EQ(ValuesOf(lines, "loop"), std::vector<std::string>{"3"});
  EXPECT_EQ(ValuesOf(lines, "gloop"), std::vector<std::string>{"3"});
  // Every frame draws as it did before the optimisation.
  const auto unoptimized = ReadBack(dir, before);
  EXPECT_EQ(ValuesOf(unoptimized, "delay"), delays);
  EXPECT_EQ(ValuesOf(lines, "picture"), ValuesOf(unoptimized, "picture"));
  EXPECT_LT(fs::file_size(after), fs::file_size(before));
}

}  // namespace
