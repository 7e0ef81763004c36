// The New Image dialog, driven through the modal-dialog hook.

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include <cstdlib>
#include <string>

#include "base/Profile.h"
#include "editor/NewImageDialog.h"
#include "shell/ModalDialog.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxDialogScript.h"
#include "tests/support/WxTestSupport.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using editor_testing::Control;
using editor_testing::ScopedStore;

// A fresh settings store for the test's lifetime.
TEST(NewImageDialog, ShowsTheValuesAndStoresWhatIsAccepted) {
  ScopedStore store;
  bool sawControls = false;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    auto* width = Control<wxTextCtrl>(d, IDC_NEW_IMAGE_WIDTH);
    auto* paste = Control<wxCheckBox>(d, IDC_NEW_IMAGE_PASTE);
    auto* empty = Control<wxCheckBox>(d, IDC_NEW_IMAGE_EMPTY);
    sawControls = width && paste && empty && d.GetId() == IDD_NEW_IMAGE && d.GetTitle() == "New Image";
    if (!sawControls) return wxID_CANCEL;
    EXPECT_EQ(width->GetValue(), "640");
    EXPECT_FALSE(paste->IsEnabled());  // no image on the clipboard
    width->SetValue("1024");
    empty->SetValue(true);
    return wxID_OK;
  });
  NEW_IMAGE_VALUES values;
  values.width = 640;
  values.height = 480;
  ASSERT_TRUE(RunNewImageDialog(nullptr, values));
  EXPECT_TRUE(sawControls);
  EXPECT_EQ(values.width, 1024);
  EXPECT_EQ(values.height, 480);
  EXPECT_TRUE(values.empty);
  EXPECT_FALSE(values.paste);
  EXPECT_EQ(GetProfileInt("New Image Info", "Width", 0), 1024);
  EXPECT_EQ(GetProfileInt("New Image Info", "Initially Empty", 0), 1);
  EXPECT_EQ(GetProfileInt("New Image Info", "Paste From Clipboard", -1), -1);  // not offered: not stored
}

TEST(NewImageDialog, ASideOutside1To32767IsRefusedAndNothingChanges) {
  for (const char* text : {"0", "32768", "-5", "abc", ""}) {
    ScopedStore store;
    testing_support::DialogScript script;
    script.Run([](wxDialog&) {});  // the New Image dialog itself: shown, driven by the hook
    script.Answer(wxID_OK);        // the refusal's message box
    CModalDialogHook hook([&](wxDialog& d) -> int {
      Control<wxTextCtrl>(d, IDC_NEW_IMAGE_HEIGHT)->SetValue(text);
      return wxID_OK;
    });
    NEW_IMAGE_VALUES values;
    EXPECT_FALSE(RunNewImageDialog(nullptr, values)) << text;
    ASSERT_EQ(script.messages().size(), 1u) << text;
    EXPECT_EQ(script.messages()[0], "Please enter an integer between 1 and 32767.");
    EXPECT_EQ(values.height, 300);
    EXPECT_EQ(GetProfileInt("New Image Info", "Height", -1), -1);
  }
}

TEST(NewImageDialog, PastingSkipsTheSizeAndCancelKeepsEverything) {
  ScopedStore store;
  {
    CModalDialogHook hook([](wxDialog& d) -> int {
      auto* paste = Control<wxCheckBox>(d, IDC_NEW_IMAGE_PASTE);
      EXPECT_TRUE(paste->IsEnabled());
      paste->SetValue(true);
      Control<wxTextCtrl>(d, IDC_NEW_IMAGE_WIDTH)->SetValue("0");  // ignored while pasting
      return wxID_OK;
    });
    NEW_IMAGE_VALUES values;
    values.clipboardAvailable = true;
    ASSERT_TRUE(RunNewImageDialog(nullptr, values));
    EXPECT_TRUE(values.paste);
    EXPECT_EQ(values.width, 300);
    EXPECT_EQ(GetProfileInt("New Image Info", "Paste From Clipboard", 0), 1);
    EXPECT_EQ(GetProfileInt("New Image Info", "Width", -1), -1);
  }
  CModalDialogHook hook([](wxDialog& d) -> int {
    Control<wxTextCtrl>(d, IDC_NEW_IMAGE_WIDTH)->SetValue("77");
    return wxID_CANCEL;
  });
  NEW_IMAGE_VALUES values;
  EXPECT_FALSE(RunNewImageDialog(nullptr, values));
  EXPECT_EQ(values.width, 300);
  EXPECT_EQ(GetProfileInt("New Image Info", "Width", -1), -1);
}

// A picture of the dialog, written into $PICTORAVELL_SCREENSHOT_DIR when set.
TEST(NewImageDialog, Screenshot) {
  const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  REQUIRE_TOOL("import");
  ScopedStore store;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    testing_support::PumpUntil([&] { return d.IsShownOnScreen(); });
    testing_support::PumpFor(300);
    const wxRect r = d.GetScreenRect();
    const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) +
                             "+" + std::to_string(r.y);
    std::string output;
    EXPECT_EQ(testing_support::RunCommand("import -window root -crop " + crop + " " +
                                              testing_support::ShellQuote(std::string(dir) + "/new-image-dialog.png"),
                                          &output),
              0)
        << output;
    return wxID_CANCEL;
  });
  NEW_IMAGE_VALUES values;
  values.clipboardAvailable = true;
  EXPECT_FALSE(RunNewImageDialog(nullptr, values));
}

}  // namespace
