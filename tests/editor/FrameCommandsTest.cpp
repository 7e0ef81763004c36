// The document's commands on frames, animation and the undo history, run
// the way the menu and the keys run them, over one-frame pictures and
// animations in 24 bits and in indexed colour: each change is one undo step
// named as the menu shows it, Undo brings the frames back and Redo the
// change; stepping records nothing; the commands stay off while a frame is
// busy (as while the frames play) or an effect runs; Optimize and Expand
// stop at Escape without a step; Purge asks and keeps the modified flag.

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/Profile.h"
#include "base/StatusStack.h"
#include "editor/ColorOptionsDialogs.h"
#include "editor/DuplicateFrameDialog.h"
#include "editor/EffectTool.h"
#include "editor/FrameOptimizationDialog.h"
#include "editor/LoopCountDialog.h"
#include "editor/model/FrameArrayEdits.h"
#include "imaging/FrameOptimizer.h"
#include "imaging/StandardPalettes.h"
#include "resources/CommandIds.h"
#include "shell/EventPump.h"
#include "shell/ModalDialog.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/WxDialogScript.h"
#include "tests/support/WxTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

// An 8-bit image with a grey palette whose every pixel is the index.
CRasterImage IndexedSolid(int w, int h, uint8_t index) {
  CRasterImage image;
  image.Create(w, h, 8);
  SetGrayPalette(image);
  for (int y = 0; y < h; ++y) std::memset(image.GetWritableBits() + int64_t{y} * image.GetStride(), index, w);
  return image;
}

enum Fixture { ONE_24, ONE_8, ANIM_24, ANIM_8 };
const char* const kFixtureNames[] = {"one 24-bit frame", "one indexed frame", "24-bit animation",
                                     "indexed animation"};

// Frame i shows the number i in its first byte (five frames for the animations).
std::vector<CAnimFrame> FixtureFrames(Fixture fixture) {
  const int count = fixture == ONE_24 || fixture == ONE_8 ? 1 : 5;
  const bool indexed = fixture == ONE_8 || fixture == ANIM_8;
  std::vector<CAnimFrame> frames;
  for (int i = 0; i < count; ++i)
    frames.push_back(MakeFrame(indexed ? IndexedSolid(8, 6, static_cast<uint8_t>(i))
                                       : SolidImage(8, 6, static_cast<uint8_t>(i), 9, 9)));
  return frames;
}

void Install(CPictoravellDoc& doc, Fixture fixture, int current, const std::vector<int>& selected) {
  std::vector<CAnimFrame> frames = FixtureFrames(fixture);
  for (int i : selected) frames[static_cast<size_t>(i)].m_bSelected = 1;
  doc.SetFrames(8, 6, std::move(frames), 0);
  doc.SetCurrentFrame(current);
  doc.ClearUndoHistory();
  doc.Modify(false);
}

// "0,1*,N,2 loop 0": frame numbers (N an empty frame), '*' for a selected one.
std::string State(const CPictoravellDoc& doc) {
  std::string s;
  for (const CAnimFrame& frame : doc.GetFrames()) {
    if (!s.empty()) s += ",";
    s += frame.IsEmpty() ? "N" : std::to_string(FrameNumber(frame));
    if (frame.m_bSelected) s += "*";
    if (frame.m_bBusy) s += "busy";
  }
  return s + " loop " + std::to_string(doc.GetLoopCount());
}

std::string UndoLabelOf(const CPictoravellDoc& doc) {
  std::string label;
  doc.GetUndoLabel(label);
  return label;
}

// The menu text the update handler gives an item.
wxString MenuText(DocumentWindowFixture& f, int id) {
  wxMenu* menu = nullptr;
  if (!f.frame->GetMenuBar()->FindItem(id, &menu)) return "(no item)";
  wxUpdateUIEvent update(id);
  update.SetEventObject(menu);
  f.frame->ProcessWindowEvent(update);
  return update.GetText();
}

TEST(FrameCommands, EachCommandFromTheMenuOnEachFixture) {
  struct Case {
    const char* name;
    int command;
    Fixture fixture;
    int current;
    std::vector<int> selected;
    const char* typed;     // what the dialog gets (nullptr: Cancel); Insert File: any text imports 7 and 8
    bool enabled;
    const char* expected;  // the state after (nullptr: nothing changes)
    int expectedCurrent;
    const char* label;     // the step (nullptr: none)
  } cases[] = {
      {"new frame on 2 of 5", ID_NEW_FRAME, ANIM_24, 2, {0, 4}, nullptr, true, "0,1,2,N*,3,4 loop 0", 3,
       "Insert New Frame"},
      {"new frame after the only one", ID_NEW_FRAME, ONE_8, 0, {}, nullptr, true, "0,N* loop 0", 1,
       "Insert New Frame"},
      {"new frame after the last", ID_NEW_FRAME, ANIM_8, 4, {2}, nullptr, true, "0,1,2,3,4,N* loop 0", 5,
       "Insert New Frame"},
      {"insert two files on 1", ID_INSERT_FILE, ANIM_8, 1, {3}, "yes", true, "0,1,7*,8*,2,3,4 loop 0", 2,
       "Insert File"},
      {"insert file cancelled", ID_INSERT_FILE, ONE_24, 0, {}, nullptr, true, nullptr, 0, nullptr},
      {"remove 1 and 3 of 5", ID_REMOVE_FRAMES, ANIM_24, 4, {1, 3}, nullptr, true, "0,2,4 loop 0", 2,
       "Remove Frames"},
      {"remove every frame", ID_REMOVE_FRAMES, ANIM_8, 3, {0, 1, 2, 3, 4}, nullptr, true, "N loop 0", 0,
       "Remove Frames"},
      {"remove the only frame", ID_REMOVE_FRAMES, ONE_8, 0, {0}, nullptr, true, "N loop 0", 0, "Remove Frames"},
      {"remove without a selection", ID_REMOVE_FRAMES, ONE_24, 0, {}, nullptr, false, nullptr, 0, nullptr},
      {"3 duplicates of 0", ID_CREATE_DUPLICATES, ANIM_24, 0, {2}, "3", true, "0,0*,0*,0*,1,2,3,4 loop 0", 0,
       "Create Duplicates"},
      {"2 duplicates of the only frame", ID_CREATE_DUPLICATES, ONE_8, 0, {}, "2", true, "0,0*,0* loop 0", 0,
       "Create Duplicates"},
      {"0 duplicates", ID_CREATE_DUPLICATES, ANIM_8, 1, {}, "0", true, nullptr, 1, nullptr},
      {"duplicates cancelled", ID_CREATE_DUPLICATES, ONE_24, 0, {}, nullptr, true, nullptr, 0, nullptr},
      {"loop count 5", ID_LOOP_COUNT, ANIM_8, 2, {}, "5", true, "0,1,2,3,4 loop 5", 2, "Loop Count Change"},
      {"loop count unchanged", ID_LOOP_COUNT, ANIM_24, 2, {}, "0", true, nullptr, 2, nullptr},
      {"loop count cancelled", ID_LOOP_COUNT, ANIM_24, 0, {}, nullptr, true, nullptr, 0, nullptr},
      {"loop count of one frame", ID_LOOP_COUNT, ONE_24, 0, {}, "5", false, nullptr, 0, nullptr},
      {"optimize one frame", ID_OPTIMIZE_FRAMES, ONE_24, 0, {}, nullptr, false, nullptr, 0, nullptr},
      {"expand one frame", ID_EXPAND_FRAMES, ONE_8, 0, {}, nullptr, false, nullptr, 0, nullptr},
      {"step forward from 1", ID_STEP_FORWARD, ANIM_24, 1, {}, nullptr, true, nullptr, 2, nullptr},
      {"step forward on the last", ID_STEP_FORWARD, ANIM_8, 4, {}, nullptr, false, nullptr, 4, nullptr},
      {"step forward on one frame", ID_STEP_FORWARD, ONE_24, 0, {}, nullptr, false, nullptr, 0, nullptr},
      {"step backward from 3", ID_STEP_BACKWARD, ANIM_8, 3, {}, nullptr, true, nullptr, 2, nullptr},
      {"step backward on 0", ID_STEP_BACKWARD, ANIM_24, 0, {}, nullptr, false, nullptr, 0, nullptr},
  };
  ScopedStore store;
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "frames.bmp", SolidImage(8, 6, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  for (int id : {ID_STEP_FORWARD, ID_STEP_BACKWARD, ID_NEW_FRAME, ID_INSERT_FILE, ID_REMOVE_FRAMES,
                 ID_CREATE_DUPLICATES, ID_OPTIMIZE_FRAMES, ID_EXPAND_FRAMES, ID_LOOP_COUNT, ID_PURGE_UNDO})
    EXPECT_NE(f.frame->GetMenuBar()->FindItem(id), nullptr) << id;
  for (const Case& c : cases) {
    const std::string name = std::string(c.name) + " on " + kFixtureNames[c.fixture];
    Install(*doc, c.fixture, c.current, c.selected);
    const std::string before = State(*doc);
    DOCUMENT_PROMPTS prompts;
    prompts.fileSequence = [&](std::vector<CAnimFrame>& frames, uint16_t& loop) {
      if (!c.typed) return false;
      frames = FixtureFrames(ANIM_24);
      frames.resize(2);
      frames[0] = MakeFrame(SolidImage(8, 6, 7, 0, 0));
      frames[1] = MakeFrame(SolidImage(8, 6, 8, 0, 0));
      loop = 3;  // the document keeps its own
      return true;
    };
    ScopedPrompts scoped(prompts);
    CModalDialogHook hook([&](wxDialog& d) -> int {
      if (!c.typed) return wxID_CANCEL;
      if (d.GetId() == IDD_DUPLICATE_FRAME) {
        dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_DUPLICATE_FRAME_COUNT))->SetValue(c.typed);
      } else if (d.GetId() == IDD_LOOP_COUNT) {
        auto* times = dynamic_cast<wxRadioButton*>(d.FindWindow(IDC_LOOP_COUNT_TIMES));
        times->SetValue(true);
        wxCommandEvent click(wxEVT_RADIOBUTTON, IDC_LOOP_COUNT_TIMES);
        click.SetEventObject(times);
        times->ProcessWindowEvent(click);
        dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_LOOP_COUNT_EDIT))->SetValue(c.typed);
      } else {
        ADD_FAILURE() << name << ": dialog " << d.GetId();
      }
      return wxID_OK;
    });
    EXPECT_EQ(f.IsEnabled(c.command), c.enabled) << name;
    f.Command(c.command);
    const std::string after = State(*doc);
    EXPECT_EQ(after, c.expected ? c.expected : before) << name;
    EXPECT_EQ(doc->GetCurrentFrameIndex(), c.expectedCurrent) << name;
    if (!c.label) {
      EXPECT_EQ(doc->GetUndoPosition(), -1) << name;
      EXPECT_FALSE(doc->IsModified()) << name;
      continue;
    }
    EXPECT_EQ(doc->GetUndoPosition(), 0) << name;
    EXPECT_EQ(UndoLabelOf(*doc), c.label) << name;
    EXPECT_TRUE(doc->IsModified()) << name;
    EXPECT_FALSE(doc->IsAnyFrameBusy()) << name;
    // Duplicates share the copied frame's pixels.
    if (c.command == ID_CREATE_DUPLICATES) {
      EXPECT_TRUE(doc->GetFrame(1)->m_image.SharesPixelsWith(doc->GetFrame(0)->m_image)) << name;
    }
    EXPECT_EQ(MenuText(f, ID_EDIT_UNDO), wxString::FromUTF8("&Undo " + std::string(c.label) + "\tCtrl+Z")) << name;
    f.Command(ID_EDIT_UNDO);
    EXPECT_EQ(State(*doc), before) << name;
    EXPECT_FALSE(doc->IsModified()) << name;
    EXPECT_EQ(MenuText(f, ID_EDIT_REDO), wxString::FromUTF8("&Redo " + std::string(c.label) + "\tCtrl+Y")) << name;
    f.Command(ID_EDIT_REDO);
    EXPECT_EQ(State(*doc), after) << name;
    EXPECT_TRUE(doc->IsModified()) << name;
  }
}

TEST(FrameCommands, CtrlArrowKeysStepThroughTheFrames) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "keys.bmp", SolidImage(8, 6, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  Install(*doc, ANIM_24, 0, {});
  wxWindow* view = f.ViewOf(doc)->GetViewWindow();
  view->SetFocus();
  wxUIActionSimulator sim;
  sim.MouseMove(view->GetScreenRect().GetPosition() + wxPoint(view->GetSize().x / 2, view->GetSize().y / 2));
  PumpFor(50);
  struct Step {
    int key, expected;
  } steps[] = {{WXK_RIGHT, 1}, {WXK_RIGHT, 2}, {WXK_LEFT, 1}, {WXK_RIGHT, 2}, {WXK_RIGHT, 3}, {WXK_RIGHT, 4},
               {WXK_RIGHT, 4},  // the last: disabled
               {WXK_LEFT, 3}};
  for (const Step& s : steps) {
    const int was = doc->GetCurrentFrameIndex();
    sim.Char(s.key, wxMOD_CONTROL);
    if (s.expected != was) PumpUntil([&] { return doc->GetCurrentFrameIndex() != was; }, 3000);
    else PumpFor(100);
    EXPECT_EQ(doc->GetCurrentFrameIndex(), s.expected) << s.key;
  }
  EXPECT_EQ(doc->GetUndoPosition(), -1);
  EXPECT_FALSE(doc->IsModified());
}

TEST(FrameCommands, UndoAndRedoNameTheStepAndAreOffWhileTheFramesAreBusyOrAnEffectRuns) {
  ScopedStore store;
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "undo.bmp", SolidImage(8, 6, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(MenuText(f, ID_EDIT_UNDO), "&Undo\tCtrl+Z");
  EXPECT_EQ(MenuText(f, ID_EDIT_REDO), "&Redo\tCtrl+Y");
  EXPECT_FALSE(f.IsEnabled(ID_PURGE_UNDO));
  // F6 turns the picture: the menu names the step with its degree sign.
  wxWindow* view = f.ViewOf(doc)->GetViewWindow();
  view->SetFocus();
  wxUIActionSimulator sim;
  sim.MouseMove(view->GetScreenRect().GetPosition() + wxPoint(view->GetSize().x / 2, view->GetSize().y / 2));
  PumpFor(50);
  sim.Char(WXK_F6);
  ASSERT_TRUE(PumpUntil([&] { return doc->GetUndoPosition() == 0; }, 3000));
  EXPECT_EQ(MenuText(f, ID_EDIT_UNDO), wxString::FromUTF8("&Undo Rotate 90 \xC2\xB0\tCtrl+Z"));
  EXPECT_TRUE(f.IsEnabled(ID_EDIT_UNDO));
  EXPECT_FALSE(f.IsEnabled(ID_EDIT_REDO));
  sim.Char('Z', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return doc->GetUndoPosition() == -1; }, 3000));
  EXPECT_EQ(MenuText(f, ID_EDIT_UNDO), "&Undo\tCtrl+Z");
  EXPECT_EQ(MenuText(f, ID_EDIT_REDO), wxString::FromUTF8("&Redo Rotate 90 \xC2\xB0\tCtrl+Y"));
  sim.Char('Y', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return doc->GetUndoPosition() == 0; }, 3000));

  // A label with "&&" shows one ampersand in the menu.
  Install(*doc, ANIM_24, 1, {});
  doc->PushUndo("Brightness && Contrast");
  EXPECT_EQ(MenuText(f, ID_EDIT_UNDO), "&Undo Brightness && Contrast\tCtrl+Z");
  wxMenu* edit = nullptr;
  f.frame->GetMenuBar()->FindItem(ID_EDIT_UNDO, &edit);
  ASSERT_TRUE(edit);
  edit->UpdateUI(f.frame);
  EXPECT_EQ(edit->FindItem(ID_EDIT_UNDO)->GetItemLabelText(), "Undo Brightness & Contrast");

  // Every frame busy, as while a view plays them: the history and the
  // frame-replacing commands are off; stepping and the loop count stay.
  doc->GetFrame(0)->m_bSelected = 1;
  {
    CAllFramesBusyGuard playing(*doc);
    for (int id : {ID_EDIT_UNDO, ID_EDIT_REDO, ID_NEW_FRAME, ID_INSERT_FILE, ID_REMOVE_FRAMES, ID_CREATE_DUPLICATES,
                   ID_OPTIMIZE_FRAMES, ID_EXPAND_FRAMES})
      EXPECT_FALSE(f.IsEnabled(id)) << id;
    EXPECT_EQ(MenuText(f, ID_EDIT_UNDO), "&Undo Brightness && Contrast\tCtrl+Z");
    for (int id : {ID_STEP_FORWARD, ID_STEP_BACKWARD, ID_LOOP_COUNT, ID_PURGE_UNDO}) EXPECT_TRUE(f.IsEnabled(id)) << id;
    f.Command(ID_EDIT_UNDO);
    f.Command(ID_NEW_FRAME);
    EXPECT_EQ(doc->GetFrameCount(), 5);
    EXPECT_EQ(doc->GetUndoPosition(), 0);
  }
  for (int id : {ID_EDIT_UNDO, ID_NEW_FRAME, ID_REMOVE_FRAMES, ID_OPTIMIZE_FRAMES, ID_EXPAND_FRAMES})
    EXPECT_TRUE(f.IsEnabled(id)) << id;

  // An effect running on the document: every command of the history and the frames is off.
  f.Command(ID_SEPIA);
  ASSERT_TRUE(PumpUntil([] { return GetRunningEffectPanel() != nullptr; }, 3000));
  EXPECT_TRUE(doc->IsToolRunning());
  for (int id : {ID_EDIT_UNDO, ID_EDIT_REDO, ID_PURGE_UNDO, ID_NEW_FRAME, ID_INSERT_FILE, ID_REMOVE_FRAMES,
                 ID_CREATE_DUPLICATES, ID_OPTIMIZE_FRAMES, ID_EXPAND_FRAMES, ID_LOOP_COUNT, ID_STEP_FORWARD,
                 ID_STEP_BACKWARD})
    EXPECT_FALSE(f.IsEnabled(id)) << id;
  testing_support::ClickButton(GetRunningEffectPanel()->GetCancelButton());
  ASSERT_TRUE(PumpUntil([&] { return !doc->IsToolRunning() && GetRunningEffectPanel() == nullptr; }, 3000));
  EXPECT_TRUE(f.IsEnabled(ID_EDIT_UNDO));
}

TEST(FrameCommands, PurgeAsksAndKeepsTheModifiedFlag) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "purge.bmp", SolidImage(8, 6, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  Install(*doc, ANIM_8, 2, {});
  f.Command(ID_NEW_FRAME);
  f.Command(ID_NEW_FRAME);
  f.Command(ID_EDIT_UNDO);  // one step to undo, one to redo
  ASSERT_EQ(doc->GetUndoSteps().size(), 2u);
  ASSERT_TRUE(f.IsEnabled(ID_PURGE_UNDO));
  const char* question =
      "Do you want to proceed and release the memory\nused by the undo states? Once completed,\nyou will not be able "
      "to revert the image document\nback to states before this point.";
  {
    // No: every step stays.
    testing_support::DialogScript script;
    script.Answer(wxID_NO);
    f.Command(ID_PURGE_UNDO);
    ASSERT_EQ(script.messages().size(), 1u);
    EXPECT_EQ(script.messages()[0], question);
    EXPECT_EQ(doc->GetUndoSteps().size(), 2u);
    EXPECT_TRUE(f.IsEnabled(ID_EDIT_UNDO));
    EXPECT_TRUE(f.IsEnabled(ID_EDIT_REDO));
  }
  {
    // Yes: the history goes, the document stays modified.
    testing_support::DialogScript script;
    script.Answer(wxID_YES);
    f.Command(ID_PURGE_UNDO);
    EXPECT_EQ(script.messages().size(), 1u);
  }
  EXPECT_TRUE(doc->GetUndoSteps().empty());
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->GetFrameCount(), 6);
  for (int id : {ID_EDIT_UNDO, ID_EDIT_REDO, ID_PURGE_UNDO}) EXPECT_FALSE(f.IsEnabled(id)) << id;
  // An unmodified document stays unmodified.
  f.Command(ID_NEW_FRAME);
  doc->Modify(false);
  {
    testing_support::DialogScript script;
    script.Answer(wxID_YES);
    f.Command(ID_PURGE_UNDO);
  }
  EXPECT_FALSE(doc->IsModified());
  EXPECT_FALSE(f.IsEnabled(ID_PURGE_UNDO));
}

// A ball moving over a background: complete 24-bit frames.
std::vector<CAnimFrame> MovingBall(int count, int w, int h) {
  std::vector<CAnimFrame> frames;
  for (int k = 0; k < count; ++k) {
    CRasterImage image = SolidImage(w, h, 30, 60, 90);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int dx = x - (10 + 3 * k), dy = y - h / 2;
        if (dx * dx + dy * dy < 36) {
          uint8_t* p = image.GetWritableBits() + int64_t{y} * image.GetStride() + 3 * x;
          p[0] = 250, p[1] = 200, p[2] = 10;
        }
      }
    frames.push_back(MakeFrame(image));
    frames.back().m_nDelay = static_cast<uint16_t>(5 + k);
  }
  return frames;
}

std::string Pixels(const std::vector<CAnimFrame>& frames) {
  std::string s;
  for (const auto& frame : frames) {
    const CRasterImage& image = frame.m_image;
    s += std::to_string(frame.m_nLeft) + "," + std::to_string(frame.m_nTop) + " " + std::to_string(image.GetWidth()) +
         "x" + std::to_string(image.GetHeight()) + "@" + std::to_string(image.GetBitsPerPixel()) + ":";
    for (int y = 0; y < image.GetHeight(); ++y)
      s.append(reinterpret_cast<const char*>(image.GetRow(y)),
               static_cast<size_t>((image.GetWidth() * image.GetBitsPerPixel() + 7) / 8));
    if (image.HasMask())
      for (int y = 0; y < image.GetHeight(); ++y)
        s.append(reinterpret_cast<const char*>(image.GetMaskRow(y)), static_cast<size_t>(image.GetMaskStride()));
    s += std::to_string(frame.m_nDelay) + "|";
  }
  return s;
}

TEST(FrameCommands, OptimizeAndExpandFromTheMenuMatchTheFrameFunctions) {
  ScopedStore store;
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "ball.bmp", SolidImage(8, 6, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  const std::vector<CAnimFrame> frames = MovingBall(6, 48, 24);
  doc->SetFrames(48, 24, frames, 0);
  doc->Modify(false);
  ASSERT_TRUE(f.IsEnabled(ID_OPTIMIZE_FRAMES));
  ASSERT_TRUE(f.IsEnabled(ID_EXPAND_FRAMES));
  const std::string before = Pixels(doc->GetFrames());

  // Frame differencing without a palette: the dialog's defaults are the
  // differencing method with the global palette; the test turns the palette off.
  {
    CModalDialogHook hook([](wxDialog& d) -> int {
      EXPECT_EQ(d.GetId(), IDD_FRAME_OPTIMIZATION);
      auto* global = dynamic_cast<wxCheckBox*>(d.FindWindow(IDC_OPTIMIZE_GLOBAL_PALETTE));
      auto* reduce = dynamic_cast<wxCheckBox*>(d.FindWindow(IDC_OPTIMIZE_REDUCE_PIXELS));
      auto* differencing = dynamic_cast<wxRadioButton*>(d.FindWindow(IDC_OPTIMIZE_DIFFERENCING));
      EXPECT_TRUE(global->GetValue());
      EXPECT_TRUE(reduce->GetValue());
      EXPECT_TRUE(differencing->GetValue());
      global->SetValue(false);
      return wxID_OK;
    });
    f.Command(ID_OPTIMIZE_FRAMES);
  }
  const auto direct = OptimizeFrameDifferences(24, frames.data(), 6, 48, OPTIMIZE_TRANSPARENT);
  EXPECT_EQ(Pixels(doc->GetFrames()), Pixels(std::vector<CAnimFrame>(direct.get(), direct.get() + 6)));
  EXPECT_EQ(UndoLabelOf(*doc), "Optimize Frames");
  EXPECT_EQ(doc->GetUndoPosition(), 0);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_FALSE(doc->IsAnyFrameBusy());
  EXPECT_EQ(GetProfileInt("Optimization Option", "Use Global Palette", -1), 0);
  EXPECT_EQ(GetProfileInt("Optimization Option", "Reduce Pixel Count", -1), 1);
  EXPECT_EQ(GetProfileInt("Optimization Option", "Optimize Method", -1), 1);

  // Expand makes every frame the complete picture again.
  const std::vector<CAnimFrame> optimized = doc->GetFrames();
  f.Command(ID_EXPAND_FRAMES);
  const auto expanded = ExpandFrames(optimized.data(), 6, 48, 24);
  EXPECT_EQ(Pixels(doc->GetFrames()), Pixels(std::vector<CAnimFrame>(expanded.get(), expanded.get() + 6)));
  EXPECT_EQ(UndoLabelOf(*doc), "Expand Frames");
  EXPECT_EQ(doc->GetUndoPosition(), 1);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(doc->GetFrame(i)->m_image.GetWidth(), 48) << i;
  f.Command(ID_EDIT_UNDO);
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(Pixels(doc->GetFrames()), before);
  EXPECT_FALSE(doc->IsModified());

  // The global palette (stored options: Web, no dither) with the bounding
  // rectangle only: the palette options are asked too.
  WriteProfileInt("Index Color Option", "Palette", PALETTE_WEB);
  WriteProfileInt("Index Color Option", "Number Colors", 256);
  WriteProfileInt("Index Color Option", "Dither", 0);
  {
    std::vector<int> seen;
    CModalDialogHook hook([&](wxDialog& d) -> int {
      seen.push_back(d.GetId());
      if (d.GetId() == IDD_FRAME_OPTIMIZATION) {
        dynamic_cast<wxCheckBox*>(d.FindWindow(IDC_OPTIMIZE_GLOBAL_PALETTE))->SetValue(true);
        auto* bounding = dynamic_cast<wxRadioButton*>(d.FindWindow(IDC_OPTIMIZE_BOUNDING_RECT));
        bounding->SetValue(true);
        wxCommandEvent click(wxEVT_RADIOBUTTON, IDC_OPTIMIZE_BOUNDING_RECT);
        click.SetEventObject(bounding);
        bounding->ProcessWindowEvent(click);
      }
      return wxID_OK;
    });
    f.Command(ID_OPTIMIZE_FRAMES);
    EXPECT_EQ(seen, (std::vector<int>{IDD_FRAME_OPTIMIZATION, IDD_PALETTE_OPTIONS}));
  }
  RGBQUAD web[256];
  const int colors = BuildPaletteOfKind(PALETTE_WEB, 256, web);
  const auto cropped = OptimizeFrameDifferences(24, frames.data(), 6, 48, OPTIMIZE_CROP);
  const auto reduced = ReduceFramesToPalette(cropped.get(), 6, web, colors, 0);
  EXPECT_EQ(Pixels(doc->GetFrames()), Pixels(std::vector<CAnimFrame>(reduced.get(), reduced.get() + 6)));
  EXPECT_EQ(doc->GetFrame(0)->m_image.GetBitsPerPixel(), 8);
  EXPECT_EQ(GetProfileInt("Optimization Option", "Optimize Method", -1), 2);

  // Cancel in either dialog: nothing.
  const int position = doc->GetUndoPosition();
  for (int cancelAt : {0, 1}) {
    int calls = 0;
    CModalDialogHook hook([&](wxDialog&) { return calls++ == cancelAt ? wxID_CANCEL : wxID_OK; });
    f.Command(ID_OPTIMIZE_FRAMES);
    EXPECT_EQ(calls, cancelAt + 1);
    EXPECT_EQ(doc->GetUndoPosition(), position);
    EXPECT_FALSE(doc->IsAnyFrameBusy());
  }
}

// Sends Escape once the long operation shows its status text, the way the
// user presses it while the frames are worked on.
class EscapeDuringStatus : public wxTimer {
 public:
  explicit EscapeDuringStatus(wxWindow* target, std::string text) : m_target(target), m_text(std::move(text)) {
    Start(1);
  }
  void Notify() override {
    if (m_sent || GetStatusDepth() == 0 || GetStatusText(GetStatusDepth()) != m_text) return;
    m_sent = true;
    wxKeyEvent escape(wxEVT_KEY_DOWN);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(m_target);
    m_target->GetEventHandler()->ProcessEvent(escape);
  }
  bool m_sent = false;

 private:
  wxWindow* m_target;
  std::string m_text;
};

TEST(FrameCommands, EscapeStopsOptimizeAndExpandWithoutAStep) {
  ScopedStore store;
  DocumentWindowFixture f;
  CEventPump pump;
  pump.Install();
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "esc.bmp", SolidImage(8, 6, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  // Enough frames that the work outlasts the timer's first tick.
  doc->SetFrames(640, 480, MovingBall(60, 640, 480), 0);
  doc->Modify(false);
  const std::string before = Pixels(doc->GetFrames());
  wxWindow* view = f.ViewOf(doc)->GetViewWindow();
  {
    EscapeDuringStatus escape(view, "Expanding frames...");
    f.Command(ID_EXPAND_FRAMES);
    EXPECT_TRUE(escape.m_sent);
  }
  EXPECT_EQ(doc->GetUndoPosition(), -1);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_FALSE(doc->IsAnyFrameBusy());
  EXPECT_EQ(GetStatusDepth(), 0);
  {
    WriteProfileInt("Optimization Option", "Use Global Palette", 0);
    CModalDialogHook hook([](wxDialog&) { return wxID_OK; });
    EscapeDuringStatus escape(view, "Optimizing frames...");
    f.Command(ID_OPTIMIZE_FRAMES);
    EXPECT_TRUE(escape.m_sent);
  }
  EXPECT_EQ(doc->GetUndoPosition(), -1);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_FALSE(doc->IsAnyFrameBusy());
  EXPECT_EQ(Pixels(doc->GetFrames()), before);
  // Without Escape the same command goes through.
  {
    CModalDialogHook hook([](wxDialog&) { return wxID_OK; });
    f.Command(ID_OPTIMIZE_FRAMES);
  }
  EXPECT_EQ(doc->GetUndoPosition(), 0);
}

}  // namespace
