// The Loop, Duplicate Frame and Frame Optimization dialogs, driven through
// the modal-dialog hook: what they show, what they refuse with which
// message, what they give back and store.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <string>

#include "base/Profile.h"
#include "editor/DuplicateFrameDialog.h"
#include "editor/FrameOptimizationDialog.h"
#include "editor/LoopCountDialog.h"
#include "shell/ModalDialog.h"
#include "tests/support/WxDialogScript.h"
#include "tests/support/WxTestSupport.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using editor_testing::Control;
using editor_testing::ScopedStore;

void ClickRadio(wxDialog& d, int id) {
  auto* radio = Control<wxRadioButton>(d, id);
  radio->SetValue(true);
  wxCommandEvent click(wxEVT_RADIOBUTTON, id);
  click.SetEventObject(radio);
  radio->ProcessWindowEvent(click);
}

void ClickCheck(wxDialog& d, int id, bool value) {
  auto* box = Control<wxCheckBox>(d, id);
  box->SetValue(value);
  wxCommandEvent click(wxEVT_CHECKBOX, id);
  click.SetEventObject(box);
  click.SetInt(value ? 1 : 0);
  box->ProcessWindowEvent(click);
}

TEST(LoopCountDialog, TheEditReadsLeadingDigitsUpTo65535) {
  struct Case {
    const char* text;
    bool empty;
    unsigned value;
    bool rewrite;
    const char* shown;
  } cases[] = {
      {"", true, 0, false, ""},         {"12", false, 12, false, ""},       {"12a", false, 12, true, "12"},
      {"70000", false, 65535, true, "65535"}, {"65535", false, 65535, false, ""}, {"007", false, 7, false, ""},
      {"a", false, 0, true, "0"},       {"99999999999", false, 65535, true, "65535"}, {"3 ", false, 3, true, "3"},
  };
  for (const Case& c : cases) {
    const LOOP_COUNT_EDIT edit = ParseLoopCountText(c.text);
    EXPECT_EQ(edit.empty, c.empty) << c.text;
    if (c.empty) continue;
    EXPECT_EQ(edit.value, c.value) << c.text;
    EXPECT_EQ(edit.rewrite, c.rewrite) << c.text;
    EXPECT_EQ(edit.text, c.shown) << c.text;
  }
}

TEST(LoopCountDialog, RadioButtonsEditAndOkFollowTheValue) {
  // Opened on 65535: Forever, 65535 shown, the edit disabled; Cancel keeps the value.
  {
    CModalDialogHook hook([](wxDialog& d) -> int {
      EXPECT_EQ(d.GetId(), IDD_LOOP_COUNT);
      EXPECT_EQ(d.GetTitle(), "Loop");
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_LOOP_COUNT_FOREVER)->GetValue());
      auto* edit = Control<wxTextCtrl>(d, IDC_LOOP_COUNT_EDIT);
      EXPECT_EQ(edit->GetValue(), "65535");
      EXPECT_FALSE(edit->IsEnabled());
      ClickRadio(d, IDC_LOOP_COUNT_NONE);
      EXPECT_EQ(edit->GetValue(), "0");
      return wxID_CANCEL;
    });
    uint16_t value = 65535;
    EXPECT_FALSE(RunLoopCountDialog(nullptr, value));
    EXPECT_EQ(value, 65535);
  }
  // Opened on 3: the count's button and the edit; typing follows the edit's rules.
  {
    CModalDialogHook hook([](wxDialog& d) -> int {
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_LOOP_COUNT_TIMES)->GetValue());
      auto* edit = Control<wxTextCtrl>(d, IDC_LOOP_COUNT_EDIT);
      wxWindow* ok = d.FindWindow(wxID_OK);
      EXPECT_TRUE(edit->IsEnabled());
      EXPECT_EQ(edit->GetValue(), "3");
      edit->SetValue("12a");
      EXPECT_EQ(edit->GetValue(), "12");
      edit->SetValue("70000");
      EXPECT_EQ(edit->GetValue(), "65535");
      edit->SetValue("");
      EXPECT_FALSE(ok->IsEnabled());
      edit->SetValue("9");
      EXPECT_TRUE(ok->IsEnabled());
      return wxID_OK;
    });
    uint16_t value = 3;
    EXPECT_TRUE(RunLoopCountDialog(nullptr, value));
    EXPECT_EQ(value, 9);
  }
  // Opened on none: Forever gives 65535; an emptied edit leaves OK off until None.
  {
    CModalDialogHook hook([](wxDialog& d) -> int {
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_LOOP_COUNT_NONE)->GetValue());
      auto* edit = Control<wxTextCtrl>(d, IDC_LOOP_COUNT_EDIT);
      EXPECT_FALSE(edit->IsEnabled());
      ClickRadio(d, IDC_LOOP_COUNT_TIMES);
      EXPECT_TRUE(edit->IsEnabled());
      edit->SetValue("");
      EXPECT_FALSE(d.FindWindow(wxID_OK)->IsEnabled());
      ClickRadio(d, IDC_LOOP_COUNT_FOREVER);
      EXPECT_TRUE(d.FindWindow(wxID_OK)->IsEnabled());
      EXPECT_EQ(edit->GetValue(), "65535");
      EXPECT_FALSE(edit->IsEnabled());
      return wxID_OK;
    });
    uint16_t value = 0;
    EXPECT_TRUE(RunLoopCountDialog(nullptr, value));
    EXPECT_EQ(value, 65535);
  }
}

TEST(LoopCountDialog, ARewrittenNumberIsSelected) {
  // The selection is made once the toolkit has placed its caret, so the
  // check waits for the dialog's queued calls.
  for (const char* typed : {"12a", "70000"}) {
    long from = -1, to = -1;
    wxString shown;
    testing_support::DialogScript script;
    script.Run([&](wxDialog& d) {
      auto* edit = Control<wxTextCtrl>(d, IDC_LOOP_COUNT_EDIT);
      edit->SetValue(typed);
      d.CallAfter([&, edit, dialog = &d] {
        edit->GetSelection(&from, &to);
        shown = edit->GetValue();
        dialog->EndModal(wxID_OK);
      });
    });
    uint16_t value = 3;
    EXPECT_TRUE(RunLoopCountDialog(nullptr, value)) << typed;
    EXPECT_EQ(shown, typed == std::string("12a") ? "12" : "65535");
    EXPECT_EQ(value, typed == std::string("12a") ? 12 : 65535);
    EXPECT_EQ(from, 0) << typed;
    EXPECT_EQ(to, static_cast<long>(shown.length())) << typed;
  }
}

TEST(DuplicateFrameDialog, ANumberOutside0To1000IsRefusedWithTheMessage) {
  for (const char* text : {"1001", "-1", "x", "", "2.5"}) {
    testing_support::DialogScript script;
    script.Run([](wxDialog&) {});  // the dialog itself, driven by the hook
    script.Answer(wxID_OK);        // the refusal
    CModalDialogHook hook([&](wxDialog& d) -> int {
      EXPECT_EQ(d.GetId(), IDD_DUPLICATE_FRAME);
      EXPECT_EQ(d.GetTitle(), "Duplicate Frame");
      auto* edit = Control<wxTextCtrl>(d, IDC_DUPLICATE_FRAME_COUNT);
      EXPECT_EQ(edit->GetValue(), "0");
      edit->SetValue(text);
      return wxID_OK;
    });
    EXPECT_EQ(RunDuplicateFrameDialog(nullptr), 0) << text;
    ASSERT_EQ(script.messages().size(), 1u) << text;
    EXPECT_EQ(script.messages()[0], "Please enter an integer between 0 and 1000.");
  }
  for (const char* text : {"0", "1", "1000"}) {
    CModalDialogHook hook([&](wxDialog& d) -> int {
      Control<wxTextCtrl>(d, IDC_DUPLICATE_FRAME_COUNT)->SetValue(text);
      return wxID_OK;
    });
    EXPECT_EQ(RunDuplicateFrameDialog(nullptr), std::stoi(text));
  }
  CModalDialogHook hook([](wxDialog& d) -> int {
    Control<wxTextCtrl>(d, IDC_DUPLICATE_FRAME_COUNT)->SetValue("5");
    return wxID_CANCEL;
  });
  EXPECT_EQ(RunDuplicateFrameDialog(nullptr), 0);
}

TEST(FrameOptimizationDialog, StoresItsChoicesAndGivesMethod0WithoutReducing) {
  ScopedStore store;
  // No settings: the caller's defaults (differencing, global palette).
  {
    CModalDialogHook hook([](wxDialog& d) -> int {
      EXPECT_EQ(d.GetId(), IDD_FRAME_OPTIMIZATION);
      EXPECT_EQ(d.GetTitle(), "Frame Optimization");
      EXPECT_TRUE(Control<wxCheckBox>(d, IDC_OPTIMIZE_GLOBAL_PALETTE)->GetValue());
      EXPECT_TRUE(Control<wxCheckBox>(d, IDC_OPTIMIZE_REDUCE_PIXELS)->GetValue());
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_OPTIMIZE_DIFFERENCING)->GetValue());
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_OPTIMIZE_BOUNDING_RECT)->IsEnabled());
      return wxID_CANCEL;
    });
    FRAME_OPTIMIZATION_VALUES values;
    EXPECT_FALSE(RunFrameOptimizationDialog(nullptr, values));
    EXPECT_EQ(GetProfileInt("Optimization Option", "Optimize Method", -1), -1);  // Cancel stores nothing
  }
  // A stored method other than 1 becomes 2; turning reduce off disables the
  // methods and gives method 0 whatever is selected.
  WriteProfileInt("Optimization Option", "Optimize Method", 5);
  WriteProfileInt("Optimization Option", "Use Global Palette", 0);
  {
    CModalDialogHook hook([](wxDialog& d) -> int {
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_OPTIMIZE_BOUNDING_RECT)->GetValue());
      EXPECT_FALSE(Control<wxCheckBox>(d, IDC_OPTIMIZE_GLOBAL_PALETTE)->GetValue());
      ClickCheck(d, IDC_OPTIMIZE_REDUCE_PIXELS, false);
      EXPECT_FALSE(Control<wxRadioButton>(d, IDC_OPTIMIZE_DIFFERENCING)->IsEnabled());
      EXPECT_FALSE(Control<wxRadioButton>(d, IDC_OPTIMIZE_BOUNDING_RECT)->IsEnabled());
      return wxID_OK;
    });
    FRAME_OPTIMIZATION_VALUES values;
    ASSERT_TRUE(RunFrameOptimizationDialog(nullptr, values));
    EXPECT_EQ(values.method, 0);
    EXPECT_FALSE(values.globalPalette);
    EXPECT_EQ(GetProfileInt("Optimization Option", "Reduce Pixel Count", -1), 0);
    EXPECT_EQ(GetProfileInt("Optimization Option", "Optimize Method", -1), 2);
    EXPECT_EQ(GetProfileInt("Optimization Option", "Use Global Palette", -1), 0);
  }
  // Reduce on again: the methods come back; differencing is method 1.
  {
    CModalDialogHook hook([](wxDialog& d) -> int {
      EXPECT_FALSE(Control<wxCheckBox>(d, IDC_OPTIMIZE_REDUCE_PIXELS)->GetValue());
      EXPECT_FALSE(Control<wxRadioButton>(d, IDC_OPTIMIZE_DIFFERENCING)->IsEnabled());
      ClickCheck(d, IDC_OPTIMIZE_REDUCE_PIXELS, true);
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_OPTIMIZE_DIFFERENCING)->IsEnabled());
      ClickRadio(d, IDC_OPTIMIZE_DIFFERENCING);
      ClickCheck(d, IDC_OPTIMIZE_GLOBAL_PALETTE, true);
      return wxID_OK;
    });
    FRAME_OPTIMIZATION_VALUES values;
    ASSERT_TRUE(RunFrameOptimizationDialog(nullptr, values));
    EXPECT_EQ(values.method, 1);
    EXPECT_TRUE(values.globalPalette);
    EXPECT_EQ(GetProfileInt("Optimization Option", "Reduce Pixel Count", -1), 1);
    EXPECT_EQ(GetProfileInt("Optimization Option", "Optimize Method", -1), 1);
    EXPECT_EQ(GetProfileInt("Optimization Option", "Use Global Palette", -1), 1);
  }
}

}  // namespace
