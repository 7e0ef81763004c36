#include <gtest/gtest.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdlib>

#include "imaging/MagicWand.h"
#include "resources/CommandIds.h"
#include "shell/SelectionOptionsDlg.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"

namespace {

using shell_testing::FrameFixture;
using testing_support::AnswerMessageBoxes;
using testing_support::PumpFor;
using testing_support::PumpUntil;

struct ToleranceGuard {
  int saved = GetMagicWandTolerance();
  ~ToleranceGuard() { SetMagicWandTolerance(saved); }
};

void Command(CMainFrame* frame, int id) {
  wxCommandEvent event(wxEVT_MENU, id);
  frame->GetEventHandler()->ProcessEvent(event);
}

bool IsChecked(CMainFrame* frame, int id) {
  wxUpdateUIEvent event(id);
  event.SetEventObject(frame);
  frame->GetEventHandler()->ProcessEvent(event);
  return event.GetSetChecked() && event.GetChecked();
}

// Clicks into the edit (the pointer stays over it, so the keys go there).
void FocusEdit(wxTextCtrl* edit) {
  wxUIActionSimulator sim;
  const wxPoint at = edit->GetScreenRect().GetPosition() + wxPoint(edit->GetSize().x / 2, edit->GetSize().y / 2);
  sim.MouseMove(at);
  PumpUntil([&] { return wxGetMousePosition() == at; }, 1000);
  sim.MouseClick();
  PumpUntil([&] { return edit->HasFocus(); }, 1000);
}

// Empties the edit with End and Backspace, one key at a time.
void ClearEdit(wxTextCtrl* edit) {
  wxUIActionSimulator sim;
  sim.Char(WXK_END);
  PumpFor(20);
  for (int i = 0; i < 6 && !edit->IsEmpty(); ++i) {
    sim.Char(WXK_BACK);
    PumpFor(30);
  }
}

void Type(const char* text) {
  wxUIActionSimulator sim;
  for (const char* c = text; *c; ++c) {
    sim.Char(*c);
    PumpFor(20);
  }
}

TEST(SelectionOptions, ParsesTheTolerance) {
  struct Case {
    const char* text;
    ToleranceText kind;
    int value;
  } cases[] = {
      {"", ToleranceText::Empty, 0},       {"  ", ToleranceText::Empty, 0},     {"0", ToleranceText::Valid, 0},
      {"32", ToleranceText::Valid, 32},    {" 255 ", ToleranceText::Valid, 255}, {"+7", ToleranceText::Valid, 7},
      {"256", ToleranceText::Invalid, 0},  {"300", ToleranceText::Invalid, 0},  {"-1", ToleranceText::Invalid, 0},
      {"12a", ToleranceText::Invalid, 0},  {"x", ToleranceText::Invalid, 0},    {"+", ToleranceText::Invalid, 0},
      {"99999999999", ToleranceText::Invalid, 0},
  };
  for (const Case& c : cases) {
    int value = -5;
    EXPECT_EQ(ParseTolerance(c.text, value), c.kind) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(SelectionOptions, CommandOpensTypesRefusesAndCloses) {
  ToleranceGuard tolerance;
  SetMagicWandTolerance(32);
  AnswerMessageBoxes boxes([](const AnswerMessageBoxes::Box&) { return wxID_OK; });
  FrameFixture f;
  EXPECT_FALSE(IsSelectionOptionsOpen());
  EXPECT_FALSE(IsChecked(f.frame, ID_SELECTION_OPTION));

  Command(f.frame, ID_SELECTION_OPTION);
  ASSERT_TRUE(IsSelectionOptionsOpen());
  CSelectionOptionsDlg* window = GetSelectionOptionsWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->GetParent(), f.frame);
  EXPECT_EQ(window->GetTitle(), "Selection Options");
  EXPECT_TRUE(IsChecked(f.frame, ID_SELECTION_OPTION));
  wxTextCtrl* edit = window->GetToleranceEdit();
  EXPECT_EQ(edit->GetId(), 1108);
  EXPECT_EQ(edit->GetValue(), "32");
  ASSERT_TRUE(PumpUntil([&] { return window->IsShownOnScreen(); }));
  PumpFor(100);
  if (const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR"); dir && *dir) {
    const wxRect r = window->GetScreenRect();
    std::string output;
    EXPECT_EQ(testing_support::RunCommand("import -window root -crop " + std::to_string(r.width) + "x" +
                                              std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                                              std::to_string(r.y) + " " +
                                              testing_support::ShellQuote(std::string(dir) + "/selection-options.png"),
                                          &output),
              0)
        << output;
  }

  // A value typed key by key becomes the tolerance at once.
  FocusEdit(edit);
  ASSERT_TRUE(edit->HasFocus());
  ClearEdit(edit);
  EXPECT_TRUE(edit->IsEmpty());
  EXPECT_EQ(GetMagicWandTolerance(), 0);  // an empty edit is 0, silently
  EXPECT_TRUE(boxes.boxes.empty());
  Type("100");
  EXPECT_EQ(edit->GetValue(), "100");
  EXPECT_EQ(GetMagicWandTolerance(), 100);
  EXPECT_TRUE(boxes.boxes.empty());

  // 300 is refused with a message when the last digit comes, and counts as 0.
  ClearEdit(edit);
  Type("300");
  EXPECT_EQ(GetMagicWandTolerance(), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].message, CSelectionOptionsDlg::kRefusal);
  EXPECT_EQ(boxes.boxes[0].caption, "Selection Options");
  EXPECT_TRUE(boxes.boxes[0].style & wxICON_EXCLAMATION);
  // Closing the window on a bad value refuses again and keeps it open.
  EXPECT_FALSE(window->Close());
  PumpFor(50);
  EXPECT_TRUE(IsSelectionOptionsOpen());
  EXPECT_EQ(boxes.boxes.size(), 2u);
  EXPECT_TRUE(IsChecked(f.frame, ID_SELECTION_OPTION));

  // A good value again, then the command closes the window; the value stays.
  FocusEdit(edit);
  ClearEdit(edit);
  Type("7");
  EXPECT_EQ(GetMagicWandTolerance(), 7);
  const size_t boxesBefore = boxes.boxes.size();
  Command(f.frame, ID_SELECTION_OPTION);
  EXPECT_FALSE(IsSelectionOptionsOpen());
  EXPECT_EQ(GetSelectionOptionsWindow(), nullptr);
  EXPECT_FALSE(IsChecked(f.frame, ID_SELECTION_OPTION));
  PumpFor(50);
  wxTheApp->ProcessIdle();
  EXPECT_EQ(GetMagicWandTolerance(), 7);
  EXPECT_EQ(boxes.boxes.size(), boxesBefore);

  // Opened again it shows the tolerance; closing it with an empty edit takes
  // 0 and closes.
  Command(f.frame, ID_SELECTION_OPTION);
  ASSERT_TRUE(IsSelectionOptionsOpen());
  window = GetSelectionOptionsWindow();
  edit = window->GetToleranceEdit();
  EXPECT_EQ(edit->GetValue(), "7");
  ASSERT_TRUE(PumpUntil([&] { return window->IsShownOnScreen(); }));
  FocusEdit(edit);
  ClearEdit(edit);
  EXPECT_TRUE(window->Close());
  EXPECT_FALSE(IsSelectionOptionsOpen());
  EXPECT_EQ(GetMagicWandTolerance(), 0);
  EXPECT_EQ(boxes.boxes.size(), boxesBefore);
  EXPECT_FALSE(IsChecked(f.frame, ID_SELECTION_OPTION));
  PumpFor(50);
  wxTheApp->ProcessIdle();
}

TEST(SelectionOptions, FrameDestructionClosesTheWindow) {
  ToleranceGuard tolerance;
  auto* frame = new CMainFrame(nullptr);
  frame->Show();
  ASSERT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
  Command(frame, ID_SELECTION_OPTION);
  ASSERT_TRUE(IsSelectionOptionsOpen());
  wxWindowID windowId = GetSelectionOptionsWindow()->GetId();
  frame->Destroy();
  EXPECT_FALSE(IsSelectionOptionsOpen());  // at once, before the frame itself goes
  EXPECT_TRUE(PumpUntil([] {
    wxTheApp->ProcessIdle();
    return g_pMainFrame == nullptr;
  }));
  wxTheApp->ProcessIdle();
  // No Selection Options window is left among the top-level windows.
  for (wxWindow* top : wxTopLevelWindows) EXPECT_FALSE(dynamic_cast<CSelectionOptionsDlg*>(top)) << windowId;
}

}  // namespace
