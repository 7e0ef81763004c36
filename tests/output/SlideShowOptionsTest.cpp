#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include "base/Profile.h"
#include "output/SlideShowOptionsDlg.h"

namespace {

// A fresh settings store and no hooks for each test.
class SlideShowOptionsTest : public ::testing::Test {
 protected:
  SlideShowOptionsTest() : m_previous(InstallProfileStore(MakeMemoryProfileStore())) {}
  ~SlideShowOptionsTest() override {
    SetSlideShowOptionsPrompt({});
    SetShiftKeyState({});
    InstallProfileStore(std::move(m_previous));
  }

 private:
  std::unique_ptr<IProfileStore> m_previous;
};

TEST_F(SlideShowOptionsTest, DefaultsAndClampedSettings) {
  const SLIDE_SHOW_OPTIONS d = LoadSlideShowOptions();
  EXPECT_EQ(d.nPauseTime, 5);
  EXPECT_EQ(d.bShowOnlySelected, 0);
  EXPECT_EQ(d.bTransition, 1);
  EXPECT_EQ(d.bShowWhenShiftPressed, 0);
  WriteProfileInt("Slide Show", "Pause Time", 5000);
  EXPECT_EQ(LoadSlideShowOptions().nPauseTime, 1000);
  WriteProfileInt("Slide Show", "Pause Time", -4);
  EXPECT_EQ(LoadSlideShowOptions().nPauseTime, 0);
}

TEST_F(SlideShowOptionsTest, OkStoresAllFourAndCancelNothing) {
  bool asked = false;
  SetSlideShowOptionsPrompt([&](SLIDE_SHOW_OPTIONS& o, bool hasSelection) {
    asked = true;
    EXPECT_TRUE(hasSelection);
    o.nPauseTime = 12;
    o.bShowOnlySelected = 1;
    o.bTransition = 0;
    return true;
  });
  int pause = -1, only = -1, transition = -1;
  ASSERT_TRUE(GetSlideShowOptions(&pause, &only, &transition, true));
  EXPECT_TRUE(asked);
  EXPECT_EQ(pause, 12);
  EXPECT_EQ(only, 1);
  EXPECT_EQ(transition, 0);
  EXPECT_EQ(GetProfileInt("Slide Show", "Pause Time", 0), 12);
  EXPECT_EQ(GetProfileInt("Slide Show", "Show Only Selected", 0), 1);
  EXPECT_EQ(GetProfileInt("Slide Show", "Transition", 1), 0);
  EXPECT_EQ(GetProfileInt("Slide Show", "Show When Shift Key Pressed", 7), 0);

  SetSlideShowOptionsPrompt([](SLIDE_SHOW_OPTIONS& o, bool) {
    o.nPauseTime = 99;
    return false;
  });
  pause = -1;
  EXPECT_FALSE(GetSlideShowOptions(&pause, &only, &transition, true));
  EXPECT_EQ(pause, -1);
  EXPECT_EQ(GetProfileInt("Slide Show", "Pause Time", 0), 12);
}

TEST_F(SlideShowOptionsTest, WithTheShiftOptionTheDialogShowsOnlyWhileShiftIsHeld) {
  WriteProfileInt("Slide Show", "Show When Shift Key Pressed", 1);
  WriteProfileInt("Slide Show", "Pause Time", 7);
  int asked = 0;
  SetSlideShowOptionsPrompt([&](SLIDE_SHOW_OPTIONS&, bool) { return ++asked, false; });
  bool shift = false;
  SetShiftKeyState([&] { return shift; });
  int pause = -1, only = -1, transition = -1;
  // Shift up: the stored values are used and written back unchanged.
  ASSERT_TRUE(GetSlideShowOptions(&pause, &only, &transition, false));
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(pause, 7);
  EXPECT_EQ(transition, 1);
  EXPECT_EQ(GetProfileInt("Slide Show", "Transition", -1), 1);
  EXPECT_EQ(GetProfileInt("Slide Show", "Show When Shift Key Pressed", -1), 1);
  // Shift down: the dialog asks.
  shift = true;
  EXPECT_FALSE(GetSlideShowOptions(&pause, &only, &transition, false));
  EXPECT_EQ(asked, 1);
}

TEST_F(SlideShowOptionsTest, TheDialogShowsAndChecksItsValues) {
  SLIDE_SHOW_OPTIONS o;
  o.nPauseTime = 3;
  o.bShowWhenShiftPressed = 1;
  CSlideShowOptionsDlg dialog(nullptr, o, false);
  ASSERT_TRUE(dialog.TransferDataToWindow());
  auto* pause = wxDynamicCast(dialog.FindWindow(CSlideShowOptionsDlg::IDC_PAUSE_TIME), wxTextCtrl);
  auto* only = wxDynamicCast(dialog.FindWindow(CSlideShowOptionsDlg::IDC_ONLY_SELECTED), wxCheckBox);
  auto* transition = wxDynamicCast(dialog.FindWindow(CSlideShowOptionsDlg::IDC_TRANSITION), wxCheckBox);
  auto* shift = wxDynamicCast(dialog.FindWindow(CSlideShowOptionsDlg::IDC_SHIFT_ONLY), wxCheckBox);
  ASSERT_TRUE(pause && only && transition && shift);
  EXPECT_EQ(pause->GetValue(), "3");
  EXPECT_FALSE(only->IsEnabled());  // nothing selected
  EXPECT_TRUE(transition->GetValue());
  EXPECT_TRUE(shift->GetValue());
  EXPECT_EQ(shift->GetLabel(), "Show this dialog only when 'SHIFT' key is pressed");
  pause->ChangeValue(" 1000 ");
  transition->SetValue(false);
  ASSERT_TRUE(dialog.TransferDataFromWindow());
  EXPECT_EQ(dialog.GetOptions().nPauseTime, 1000);
  EXPECT_EQ(dialog.GetOptions().bTransition, 0);
  CSlideShowOptionsDlg selected(nullptr, o, true);
  EXPECT_TRUE(wxDynamicCast(selected.FindWindow(CSlideShowOptionsDlg::IDC_ONLY_SELECTED), wxCheckBox)->IsEnabled());
}

}  // namespace
