// The Import Sequence of Files dialog and the multiburst import, driven as a
// user does: the mouse on the buttons, rows and radio buttons, keys into the
// edits, the toolkit's file chooser behind "Add...".

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <memory>
#include <filesystem>
#include <string>
#include <vector>

#include "base/MessageReport.h"
#include "base/Profile.h"
#include "base/StatusStack.h"
#include "editor/ImportSequenceDialog.h"
#include "editor/PictoravellDoc.h"
#include "shell/EventPump.h"
#include "shell/ImageFileDialog.h"
#include "shell/ModalDialog.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxDialogScript.h"
#include "tests/support/WxTestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace editor_testing;
using testing_support::DialogScript;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::RecordingMessageSink;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;

class ScopedMemoryProfile {
 public:
  ScopedMemoryProfile() : m_previous(InstallProfileStore(MakeMemoryProfileStore())) {
    CImageFileDialog::ResetRememberedIndexes();
  }
  ~ScopedMemoryProfile() { InstallProfileStore(std::move(m_previous)); }

 private:
  std::unique_ptr<IProfileStore> m_previous;
};

template <class T>
T* Control(wxWindow& dialog, int id) {
  return dynamic_cast<T*>(dialog.FindWindow(id));
}

void MoveMouse(wxPoint target) {
  wxUIActionSimulator sim;
  for (int attempt = 0; attempt < 5 && wxGetMousePosition() != target; ++attempt) {
    sim.MouseMove(target);
    PumpUntil([&] { return wxGetMousePosition() == target; }, 500);
  }
  EXPECT_EQ(wxGetMousePosition(), target);
}

// A left click at the window's centre (or at a point in screen coordinates).
void Click(wxWindow* window, wxPoint at = wxDefaultPosition) {
  ASSERT_NE(window, nullptr);
  const wxRect r = window->GetScreenRect();
  MoveMouse(at == wxDefaultPosition ? r.GetPosition() + wxPoint(r.width / 2, r.height / 2) : at);
  wxUIActionSimulator sim;
  sim.MouseClick();
  PumpFor(40);
}

// A click on a row of the file list, with Ctrl held when asked.
void ClickRow(CFileListBox* list, int row, bool ctrl = false) {
  const int h = CFileListBox::RowHeight(*list);
  const wxPoint at = list->ClientToScreen(wxPoint(40, row * h + h / 2));
  MoveMouse(at);
  wxUIActionSimulator sim;
  if (ctrl) sim.KeyDown(WXK_CONTROL);
  sim.MouseClick();
  if (ctrl) sim.KeyUp(WXK_CONTROL);
  PumpFor(40);
}

// Clicks into the edit, selects its text and types over it.
void TypeInto(wxTextCtrl* edit, const std::string& text) {
  ASSERT_NE(edit, nullptr);
  Click(edit);
  PumpUntil([&] { return wxWindow::FindFocus() == edit; }, 1000);
  edit->SelectAll();
  wxUIActionSimulator sim;
  sim.Text(text.c_str());
  EXPECT_TRUE(PumpUntil([&] { return edit->GetValue() == text; }, 2000)) << edit->GetValue();
}

void PressOk(wxDialog& d) {
  wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
  ok.SetEventObject(&d);
  d.GetEventHandler()->ProcessEvent(ok);
}

// Ends a scripted dialog when a step failed, so the test goes on.
#define REQUIRE_OR_CANCEL(d, cond)         \
  do {                                     \
    if (!(cond)) {                         \
      ADD_FAILURE() << #cond;              \
      if ((d).IsModal()) (d).EndModal(wxID_CANCEL); \
      return;                              \
    }                                      \
  } while (0)

// In the "Add Files" chooser: one file.
void ChooseFile(wxDialog& d, const fs::path& file) {
  auto& chooser = dynamic_cast<wxFileDialog&>(d);
  EXPECT_EQ(chooser.GetMessage(), "Add Files");
  chooser.SetPath(file.string());
  wxArrayString paths;
  EXPECT_TRUE(PumpUntil(
      [&] {
        chooser.GetPaths(paths);
        return paths.size() == 1 && paths[0] == file.string();
      },
      3000));
  PressOk(d);
}

std::string CountLabel(wxDialog& d) { return Control<wxStaticText>(d, IDC_FILE_LIST_COUNT)->GetLabel().utf8_string(); }

bool Enabled(wxDialog& d, int id) { return d.FindWindow(id) && d.FindWindow(id)->IsEnabled(); }

std::vector<std::string> Names(const std::vector<std::string>& paths) {
  std::vector<std::string> out;
  for (const auto& p : paths) out.push_back(fs::path(p).filename().string());
  return out;
}

// Four files by ImageMagick: a three-frame GIF (delay 7, endless), a 40 x 30
// colour PNG, a 20 x 50 gray PNG and a 16-colour BMP.
void WriteSequence(const fs::path& dir) {
  std::string output;
  ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.string()) +
                           " && convert -delay 7 -size 24x24 xc:red xc:lime xc:blue -loop 0 a-anim.gif"
                           " && convert -size 40x30 gradient:red-blue b-rgb.png"
                           " && convert -size 20x50 gradient:black-white -colorspace Gray -depth 8 c-gray.png"
                           " && convert -size 16x16 xc:yellow -type Palette -colors 16 BMP3:d-pal.bmp",
                       &output),
            0)
      << output;
}

// File > New > File Sequence: the list built with "Add..." (four files, then
// one of them a second time), a row removed, delay, disposal and a loop
// count of 3 set, OK pressed: the new document holds the frames in list
// order with those values.
TEST(ImportSequenceDialog, NewFileSequenceThroughTheDialog) {
  REQUIRE_TOOL("convert");
  DocumentWindowFixture f;
  ScopedMemoryProfile profile;
  TempDir dir;
  WriteSequence(dir.path());
  std::vector<std::string> listed, afterRemove, final;
  DialogScript script;
  script.Run([&](wxDialog& d) {
    EXPECT_EQ(d.GetTitle(), "Import Sequence of Files");
    EXPECT_EQ(d.GetId(), IDD_IMPORT_SEQUENCE);
    REQUIRE_OR_CANCEL(d, PumpUntil([&] { return d.IsShownOnScreen(); }));
    PumpFor(100);
    auto* list = Control<CFileListBox>(d, IDC_FILE_LIST);
    REQUIRE_OR_CANCEL(d, list != nullptr);
    EXPECT_EQ(CountLabel(d), "0 files selected");
    EXPECT_FALSE(Enabled(d, wxID_OK));
    EXPECT_FALSE(Enabled(d, IDC_FILE_LIST_REMOVE));
    EXPECT_FALSE(Enabled(d, IDC_FILE_LIST_REMOVE_ALL));
    EXPECT_TRUE(Control<wxRadioButton>(d, IDC_SEQUENCE_LOOP_FOREVER)->GetValue());
    EXPECT_FALSE(Enabled(d, IDC_SEQUENCE_LOOP_NUMBER));
    for (size_t n = 1; n <= 4; ++n) {
      Click(d.FindWindow(IDC_FILE_LIST_ADD));
      REQUIRE_OR_CANCEL(d, PumpUntil([&] { return list->GetPaths().size() == n; }, 8000));
    }
    listed = Names(list->GetPaths());
    EXPECT_EQ(CountLabel(d), "4 files selected");
    EXPECT_TRUE(Enabled(d, wxID_OK));
    EXPECT_TRUE(Enabled(d, IDC_FILE_LIST_REMOVE_ALL));
    EXPECT_FALSE(Enabled(d, IDC_FILE_LIST_REMOVE));
    ClickRow(list, 3);  // d-pal.bmp
    EXPECT_TRUE(Enabled(d, IDC_FILE_LIST_REMOVE));
    Click(d.FindWindow(IDC_FILE_LIST_REMOVE));
    afterRemove = Names(list->GetPaths());
    EXPECT_EQ(CountLabel(d), "3 files selected");
    EXPECT_FALSE(Enabled(d, IDC_FILE_LIST_REMOVE));
    Click(d.FindWindow(IDC_FILE_LIST_ADD));  // b-rgb.png once more
    REQUIRE_OR_CANCEL(d, PumpUntil([&] { return list->GetPaths().size() == 4; }, 8000));
    final = Names(list->GetPaths());
    TypeInto(Control<wxTextCtrl>(d, IDC_SEQUENCE_DELAY), "25");
    auto* disposal = Control<wxChoice>(d, IDC_SEQUENCE_DISPOSAL);
    EXPECT_EQ(disposal->GetCount(), 4u);
    EXPECT_EQ(disposal->GetString(2), "Restore to background color");
    disposal->SetSelection(2);
    Click(d.FindWindow(IDC_SEQUENCE_LOOP_TIMES));
    EXPECT_TRUE(Control<wxRadioButton>(d, IDC_SEQUENCE_LOOP_TIMES)->GetValue());
    EXPECT_TRUE(Enabled(d, IDC_SEQUENCE_LOOP_NUMBER));
    TypeInto(Control<wxTextCtrl>(d, IDC_SEQUENCE_LOOP_NUMBER), "3");
    if (const char* shots = std::getenv("PICTORAVELL_SCREENSHOT_DIR"); shots && *shots) {
      const wxRect r = d.GetScreenRect();
      RunCommand("import -window root -crop " + std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
                 std::to_string(r.x) + "+" + std::to_string(r.y) + " " +
                 ShellQuote(std::string(shots) + "/import-sequence-dialog.png"));
    }
    Click(d.FindWindow(wxID_OK));
  });
  for (const char* name : {"a-anim.gif", "b-rgb.png", "c-gray.png", "d-pal.bmp", "b-rgb.png"})
    script.Run([&, name](wxDialog& d) { ChooseFile(d, dir / name); });
  CPictoravellDoc* doc = NewImageDocument(NEWDOC_FILE_SEQUENCE);
  EXPECT_EQ(script.Remaining(), 0u);
  EXPECT_EQ(listed, (std::vector<std::string>{"a-anim.gif", "b-rgb.png", "c-gray.png", "d-pal.bmp"}));
  EXPECT_EQ(afterRemove, (std::vector<std::string>{"a-anim.gif", "b-rgb.png", "c-gray.png"}));
  EXPECT_EQ(final, (std::vector<std::string>{"a-anim.gif", "b-rgb.png", "c-gray.png", "b-rgb.png"}));
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(doc->GetFrameCount(), 6);
  const int widths[] = {24, 24, 24, 40, 20, 40};
  const int delays[] = {7, 7, 7, 25, 25, 25};
  for (int i = 0; i < 6; ++i) {
    const CAnimFrame& frame = doc->GetFrames()[static_cast<size_t>(i)];
    EXPECT_EQ(frame.m_image.GetWidth(), widths[i]) << i;
    EXPECT_EQ(frame.m_nDelay, delays[i]) << i;
    if (i >= 3) {
      EXPECT_EQ(frame.m_nFlags, 2 << 2) << i;
    }
  }
  EXPECT_EQ(doc->GetFrames()[4].m_image.GetBitsPerPixel(), 8);
  EXPECT_EQ(doc->GetLoopCount(), 3);
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 40);
  EXPECT_EQ(h, 50);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_FALSE(doc->CanUndo());  // a new document starts its history empty
}

// A refused delay keeps the dialog up with the message; Remove All empties
// the list and turns OK off; Cancel gives nothing.
TEST(ImportSequenceDialog, RefusedValueKeepsTheDialogAndRemoveAllEmptiesTheList) {
  ScopedMemoryProfile profile;
  shell_testing::FrameFixture f;
  TempDir dir;
  const std::string one = WriteBmp(dir, "one.bmp", SolidImage(5, 5, 1, 2, 3));
  bool stillUp = false, focused = false;
  std::string label;
  bool okAfterRemoveAll = true;
  DialogScript script;
  script.Run([&](wxDialog& d) {
    REQUIRE_OR_CANCEL(d, PumpUntil([&] { return d.IsShownOnScreen(); }));
    PumpFor(100);
    Click(d.FindWindow(IDC_FILE_LIST_ADD));
    REQUIRE_OR_CANCEL(d, PumpUntil([&] { return Control<CFileListBox>(d, IDC_FILE_LIST)->GetPaths().size() == 1; }, 8000));
    TypeInto(Control<wxTextCtrl>(d, IDC_SEQUENCE_DELAY), "70000");
    Click(d.FindWindow(wxID_OK));
    PumpFor(100);
    stillUp = d.IsModal();
    focused = wxWindow::FindFocus() == d.FindWindow(IDC_SEQUENCE_DELAY);
    Click(d.FindWindow(IDC_FILE_LIST_REMOVE_ALL));
    label = CountLabel(d);
    okAfterRemoveAll = Enabled(d, wxID_OK);
    Click(d.FindWindow(wxID_CANCEL));
  });
  script.Run([&](wxDialog& d) { ChooseFile(d, one); });
  script.Answer(wxID_OK);  // the refusal
  std::vector<CAnimFrame> frames;
  uint16_t loops = 77;
  EXPECT_FALSE(RunImportSequenceDialog(f.frame, frames, &loops));
  EXPECT_EQ(script.Remaining(), 0u);
  ASSERT_EQ(script.messages().size(), 1u);
  EXPECT_EQ(script.messages()[0], "Please enter an integer between 0 and 65535.");
  EXPECT_TRUE(stillUp);
  EXPECT_TRUE(focused);
  EXPECT_EQ(label, "0 files selected");
  EXPECT_FALSE(okAfterRemoveAll);
  EXPECT_TRUE(frames.empty());
  EXPECT_EQ(loops, 77);
}

// Without a loop wanted (Insert File) the loop controls stay off; the loop
// kinds give 0, 65535 and the number.
TEST(ImportSequenceDialog, LoopControlsAndTheLoopCounts) {
  ScopedMemoryProfile profile;
  shell_testing::FrameFixture f;
  struct Case {
    bool wanted;
    int radio;
    const char* number;
    int loops;
  } cases[] = {
      {false, 0, nullptr, -1},
      {true, IDC_SEQUENCE_LOOP_NONE, nullptr, 0},
      {true, IDC_SEQUENCE_LOOP_FOREVER, nullptr, 65535},
      {true, IDC_SEQUENCE_LOOP_TIMES, "3", 3},
  };
  TempDir dir;
  const std::string one = WriteBmp(dir, "one.bmp", SolidImage(5, 5, 1, 2, 3));
  for (const Case& c : cases) {
    DialogScript script;
    script.Run([&](wxDialog& d) {
      auto& dialog = dynamic_cast<CImportSequenceDlg&>(d);
      REQUIRE_OR_CANCEL(d, PumpUntil([&] { return d.IsShownOnScreen(); }));
      PumpFor(50);
      for (int id : {IDC_SEQUENCE_LOOP_NONE, IDC_SEQUENCE_LOOP_FOREVER, IDC_SEQUENCE_LOOP_TIMES})
        EXPECT_EQ(dialog.FindWindow(id)->IsEnabled(), c.wanted) << id;
      EXPECT_FALSE(dialog.FindWindow(IDC_SEQUENCE_LOOP_NUMBER)->IsEnabled());
      if (c.wanted) {
        Click(dialog.FindWindow(c.radio));
        EXPECT_TRUE(Control<wxRadioButton>(dialog, c.radio)->GetValue()) << c.radio;
        EXPECT_EQ(dialog.FindWindow(IDC_SEQUENCE_LOOP_NUMBER)->IsEnabled(), c.number != nullptr);
        if (c.number) TypeInto(Control<wxTextCtrl>(dialog, IDC_SEQUENCE_LOOP_NUMBER), c.number);
      }
      dialog.AddFile(one);
      Click(dialog.FindWindow(wxID_OK));
    });
    std::vector<CAnimFrame> frames;
    uint16_t loops = 12345;
    ASSERT_TRUE(RunImportSequenceDialog(f.frame, frames, c.wanted ? &loops : nullptr)) << c.radio;
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_EQ(c.wanted ? static_cast<int>(loops) : -1, c.loops) << c.radio;
  }
}

// A file that cannot be read ends the import: its error goes to the
// messages, nothing is kept and the dialog ends as cancelled.
TEST(ImportSequenceDialog, AFileThatCannotBeReadEndsItAsCancelled) {
  ScopedMemoryProfile profile;
  shell_testing::FrameFixture f;
  TempDir dir;
  const std::string good = WriteBmp(dir, "good.bmp", SolidImage(5, 5, 1, 2, 3));
  std::vector<uint8_t> bad = testing_support::ReadFileBytes(good);
  bad.resize(40);  // the header promises pixels that never come
  testing_support::WriteFileBytes(dir / "bad.bmp", bad);
  RecordingMessageSink sink;
  CModalDialogHook hook([&](wxDialog& d) {
    auto& dlg = dynamic_cast<CImportSequenceDlg&>(d);
    dlg.AddFile(good);
    dlg.AddFile((dir / "bad.bmp").string());
    return wxID_OK;
  });
  std::vector<CAnimFrame> frames;
  EXPECT_FALSE(RunImportSequenceDialog(f.frame, frames, nullptr));
  EXPECT_TRUE(frames.empty());
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages.back().first, MESSAGE_ERROR);
}

// An Escape key reaching the program while a large file is read (queued to
// the focused window as the toolkit delivers it) stops the read, discards
// what was read and ends the dialog as cancelled.
TEST(ImportSequenceDialog, EscapeDuringTheReadCancels) {
  ScopedMemoryProfile profile;
  shell_testing::FrameFixture f;
  CEventPump pump;
  pump.Install();
  TempDir dir;
  const std::string small = WriteBmp(dir, "a.bmp", SolidImage(5, 5, 1, 2, 3));
  const std::string large = (dir / "b.bmp").string();
  {
    CImageFileRequest request;
    request.m_strFileName = large;
    request.m_nWidth = 4000;
    request.m_nHeight = 3000;
    request.m_frames.push_back(MakeFrame(testing_support::MakeTestPicture(4000, 3000)));
    ASSERT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  }
  RecordingMessageSink sink;
  // Escape is typed once the large file is being read (the status bar names it).
  bool typed = false;
  wxTimer watch;
  watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (typed || GetStatusText(GetStatusDepth()) != "Importing b.bmp") return;
    typed = true;
    // The key as the toolkit hands it to the focused window.
    auto* key = new wxKeyEvent(wxEVT_KEY_DOWN);
    key->m_keyCode = WXK_ESCAPE;
    wxWindow* focus = wxWindow::FindFocus() ? wxWindow::FindFocus() : f.frame;
    key->SetEventObject(focus);
    focus->GetEventHandler()->QueueEvent(key);
  });
  DialogScript script;
  script.Run([&](wxDialog& d) {
    auto& dlg = dynamic_cast<CImportSequenceDlg&>(d);
    REQUIRE_OR_CANCEL(d, PumpUntil([&] { return d.IsShownOnScreen(); }));
    dlg.AddFile(small);
    dlg.AddFile(large);
    watch.Start(2);
    Click(d.FindWindow(wxID_OK));
  });
  std::vector<CAnimFrame> frames;
  EXPECT_FALSE(RunImportSequenceDialog(f.frame, frames, nullptr));
  EXPECT_TRUE(frames.empty());
  EXPECT_TRUE(sink.messages.empty());  // a cancel says nothing
  EXPECT_TRUE(typed);
}

// File > New > Multiburst Image through the real chooser: "15 fps" chosen,
// a 400 x 300 picture written by ImageMagick cut into 16 frames of 100 x 75
// in rows, each shown 1/15 s (6/100 s); the next chooser starts at "15 fps".
wxChoice* FindChoice(wxWindow* window) {
  if (auto* choice = dynamic_cast<wxChoice*>(window)) return choice;
  for (wxWindow* child : window->GetChildren())
    if (wxChoice* found = FindChoice(child)) return found;
  return nullptr;
}

TEST(ImportSequenceDialog, MultiburstThroughTheChooser) {
  REQUIRE_TOOL("convert");
  DocumentWindowFixture f;
  ScopedMemoryProfile profile;
  TempDir dir;
  const fs::path burst = dir / "burst.png";
  std::string output;
  ASSERT_EQ(RunCommand("convert -size 400x300 plasma:fractal -seed 7 -depth 8 " + ShellQuote(burst.string()) +
                           " && convert " + ShellQuote(burst.string()) + " -crop 100x75 +repage -depth 8 " +
                           ShellQuote((dir / "tile-%d.ppm").string()),
                       &output),
            0)
      << output;
  int filter = -1;
  auto script = std::make_unique<DialogScript>();
  script->Run([&](wxDialog& d) {
    auto& chooser = dynamic_cast<wxFileDialog&>(d);
    EXPECT_EQ(chooser.GetMessage(), "Import Multiburst Image");
    filter = chooser.GetFilterIndex();
    wxChoice* speed = FindChoice(&d);
    REQUIRE_OR_CANCEL(d, speed != nullptr);
    EXPECT_EQ(speed->GetSelection(), 0);
    speed->SetSelection(1);
    wxCommandEvent pick(wxEVT_CHOICE, speed->GetId());
    pick.SetInt(1);
    pick.SetEventObject(speed);
    speed->GetEventHandler()->ProcessEvent(pick);
    chooser.SetPath(burst.string());
    EXPECT_TRUE(PumpUntil([&] { return chooser.GetPath() == burst.string(); }, 3000)) << chooser.GetPath();
    PressOk(d);
  });
  CPictoravellDoc* doc = NewImageDocument(NEWDOC_MULTIBURST);
  EXPECT_EQ(script->Remaining(), 0u);
  script.reset();
  EXPECT_EQ(filter, 6);  // the seventh filter: JPEG
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(doc->GetFrameCount(), 16);
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 75);
  for (int i = 0; i < 16; ++i) {
    const CAnimFrame& frame = doc->GetFrames()[static_cast<size_t>(i)];
    EXPECT_EQ(frame.m_nDelay, 6) << i;
    const CRasterImage tile = testing_support::ReadPnm(dir / ("tile-" + std::to_string(i) + ".ppm"));
    EXPECT_EQ(testing_support::CompareRgb(testing_support::ToRgb(frame.m_image), tile), "") << i;
  }
  EXPECT_FALSE(doc->CanUndo());
  EXPECT_EQ(GetProfileInt("Import\\Multiburst", "FPS", -1), 1);
  // The next chooser starts at "15 fps".
  int selected = -1;
  DialogScript again;
  again.Run([&](wxDialog& d) {
    if (wxChoice* speed = FindChoice(&d)) selected = speed->GetSelection();
    d.EndModal(wxID_CANCEL);
  });
  std::string path;
  int rate = 0;
  EXPECT_FALSE(RunMultiburstFileDialog(path, rate));
  EXPECT_EQ(selected, 1);
}

}  // namespace
