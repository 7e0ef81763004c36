// General Settings (the recent-file count 0 to 10, Clear acting at once,
// Auto Play) and the About box (version, picture, links, notices, closing on
// a click), driven inside their modal loops.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <memory>
#include <string>

#include "base/Profile.h"
#include "platform/RecentFileList.h"
#include "shell/AboutDlg.h"
#include "shell/GeneralSettingsDlg.h"
#include "shell/LinkControls.h"
#include "shell/PictureStatic.h"
#include "shell/ShellFunctions.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WxTestSupport.h"
#include "tests/support/WxDialogScript.h"

namespace {

using testing_support::DialogScript;

class ScopedMemoryProfile {
 public:
  ScopedMemoryProfile() : m_previous(InstallProfileStore(MakeMemoryProfileStore())) {}
  ~ScopedMemoryProfile() { InstallProfileStore(std::move(m_previous)); }

 private:
  std::unique_ptr<IProfileStore> m_previous;
};

template <class T>
T* Control(wxWindow& dialog, int id) {
  auto* control = dynamic_cast<T*>(dialog.FindWindow(id));
  EXPECT_NE(control, nullptr) << "control " << id;
  return control;
}

void Click(wxWindow& dialog, int id) {
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(dialog.FindWindow(id));
  dialog.FindWindow(id)->GetEventHandler()->ProcessEvent(click);
}

// A picture of the dialog into $PICTORAVELL_SCREENSHOT_DIR, when set.
void Shot(wxDialog& d, const std::string& name) {
  const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!dir || !*dir) return;
  testing_support::PumpUntil([&] { return d.IsShownOnScreen(); }, 3000);
  testing_support::PumpFor(300);
  const wxRect r = d.GetScreenRect();
  testing_support::RunCommand("import -window root -crop " + std::to_string(r.width) + "x" + std::to_string(r.height) +
                              "+" + std::to_string(r.x) + "+" + std::to_string(r.y) + " " +
                              testing_support::ShellQuote(std::string(dir) + "/" + name));
}

TEST(GeneralSettings, CountIsCheckedClearActsAtOnceAndOkHandsTheValuesBack) {
  ScopedMemoryProfile profile;
  CRecentFileList list("Recent File List", "File%d", 4, 30);
  list.Add("/pictures/a.png");
  list.Add("/pictures/b.png");
  int count = 4, autoPlay = 1;
  DialogScript script;
  script.Run([&](wxDialog& d) {
    EXPECT_EQ(d.GetTitle(), "General Settings");
    auto* text = Control<wxTextCtrl>(d, CGeneralSettingsDlg::IDC_RECENT_COUNT);
    EXPECT_EQ(text->GetValue(), "4");
    EXPECT_TRUE(Control<wxCheckBox>(d, CGeneralSettingsDlg::IDC_AUTO_PLAY)->GetValue());
    auto* clear = Control<wxButton>(d, CGeneralSettingsDlg::IDC_CLEAR_RECENT);
    EXPECT_TRUE(clear->IsEnabled());
    Shot(d, "general-settings.png");
    // 11 is refused with the range message and the dialog stays.
    text->SetValue("11");
    Click(d, wxID_OK);
    EXPECT_TRUE(d.IsModal());
    // Clear empties the list at once and is then disabled.
    Click(d, CGeneralSettingsDlg::IDC_CLEAR_RECENT);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_FALSE(clear->IsEnabled());
    text->SetValue("0");
    Control<wxCheckBox>(d, CGeneralSettingsDlg::IDC_AUTO_PLAY)->SetValue(false);
    Click(d, wxID_OK);
  });
  script.Answer(wxID_OK);  // the range message
  EXPECT_TRUE(RunGeneralSettingsDialog(nullptr, &list, count, autoPlay));
  ASSERT_EQ(script.messages().size(), 1u);
  EXPECT_EQ(script.messages()[0], "Please enter an integer between 0 and 10.");
  EXPECT_EQ(count, 0);
  EXPECT_EQ(autoPlay, 0);
  // The cleared list was stored at once.
  CRecentFileList reread("Recent File List", "File%d", 4, 30);
  reread.ReadList();
  EXPECT_EQ(reread.GetCount(), 0);
}

TEST(GeneralSettings, CancelChangesNothingAndClearIsOffForAnEmptyList) {
  ScopedMemoryProfile profile;
  CRecentFileList list("Recent File List", "File%d", 4, 30);
  for (CRecentFileList* given : {&list, static_cast<CRecentFileList*>(nullptr)}) {
    int count = 7, autoPlay = 0;
    DialogScript script;
    script.Run([&](wxDialog& d) {
      EXPECT_FALSE(Control<wxButton>(d, CGeneralSettingsDlg::IDC_CLEAR_RECENT)->IsEnabled());
      Control<wxTextCtrl>(d, CGeneralSettingsDlg::IDC_RECENT_COUNT)->SetValue("2");
      Click(d, wxID_CANCEL);
    });
    EXPECT_FALSE(RunGeneralSettingsDialog(nullptr, given, count, autoPlay));
    EXPECT_EQ(count, 7);
    EXPECT_EQ(autoPlay, 0);
  }
}

TEST(AboutBox, ShowsVersionPictureLinksAndNoticesAndClosesOnAClick) {
  DialogScript script;
  script.Run([&](wxDialog& d) {
    EXPECT_EQ(d.GetTitle(), "About Pictoravell");
    EXPECT_EQ(Control<wxStaticText>(d, CAboutDlg::IDC_ABOUT_VERSION)->GetLabel(), "Version 3.5");
    auto* picture = Control<CPictureStatic>(d, CAboutDlg::IDC_ABOUT_PICTURE);
    ASSERT_TRUE(picture && picture->GetImage());
    EXPECT_EQ(picture->GetImage()->GetWidth(), 160);
    EXPECT_EQ(Control<CHyperlinkStatic>(d, CAboutDlg::IDC_ABOUT_EMAIL)->GetTarget(),
              std::string("mailto:") + kSupportEmailAddress);
    EXPECT_EQ(Control<CHyperlinkStatic>(d, CAboutDlg::IDC_ABOUT_README)->GetTarget(), GetReadmePath());
    EXPECT_FALSE(Control<CHyperlinkStatic>(d, CAboutDlg::IDC_ABOUT_WEB)->GetTarget().empty());
    bool notices = false;
    for (wxWindow* child : d.GetChildren())
      if (auto* text = dynamic_cast<wxStaticText*>(child))
        notices = notices || (text->GetLabel().Contains("Independent JPEG Group") && text->GetLabel().Contains("LZW") &&
                              text->GetLabel().Contains("libpng"));
    EXPECT_TRUE(notices);
    Shot(d, "about-box.png");
    // A press on the box's own surface closes it.
    wxMouseEvent press(wxEVT_LEFT_DOWN);
    press.SetEventObject(&d);
    press.SetPosition(wxPoint(2, 2));
    d.GetEventHandler()->ProcessEvent(press);
    EXPECT_FALSE(d.IsModal());
  });
  RunAboutDialog(nullptr);
  EXPECT_EQ(script.Remaining(), 0u);
}

}  // namespace
