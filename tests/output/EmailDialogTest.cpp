// "Send E-mail": settings read into the controls, the example follows the
// title and digits, OK writes the settings back.

#include <gtest/gtest.h>

#include "base/Profile.h"
#include "output/EmailDialog.h"
#include "tests/shell/ShellTestSupport.h"

namespace {

TEST(EmailDialog, ExampleFollowsTheTitleAndOkWritesTheSettings) {
  shell_testing::FrameFixture f;
  InstallProfileStore(nullptr);
  WriteProfileInt("Email Options", "Size Limit", 2);
  WriteProfileInt("Email Options", "Digits", 2);
  WriteProfileString("Email Options", "File Name Prefix", "Holiday");
  CEmailDialog dialog(f.frame);
  dialog.TransferDataToWindow();
  EXPECT_EQ(dialog.GetExample(), "Holiday001");
  auto* prefix = static_cast<wxTextCtrl*>(dialog.FindWindow(CEmailDialog::IDC_PREFIX));
  ASSERT_NE(prefix, nullptr);
  prefix->SetValue("Trip");  // sends the change event
  EXPECT_EQ(dialog.GetExample(), "Trip001");
  prefix->SetValue("");
  EXPECT_EQ(dialog.GetExample(), "");
  prefix->SetValue("Trip");
  ASSERT_TRUE(dialog.TransferDataFromWindow());
  EXPECT_EQ(GetProfileInt("Email Options", "Size Limit", -1), 2);
  EXPECT_EQ(GetProfileInt("Email Options", "Digits", -1), 2);
  EXPECT_EQ(GetProfileString("Email Options", "File Name Prefix", ""), "Trip");
  EXPECT_EQ(dialog.GetOptions().strPrefix, "Trip");
}

}  // namespace
