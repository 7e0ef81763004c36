// The Display Options dialog and its preview: the preview's pixels, the
// dialog driven through its controls, Cancel and OK, the main frame's
// command, and a screenshot.

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/radiobut.h>

#include "imaging/DisplayOptions.h"
#include "base/Profile.h"
#include "imaging/SampleBall.h"
#include "resources/CommandIds.h"
#include "shell/ColorChooser.h"
#include "shell/DisplayOptionsDlg.h"
#include "shell/ModalDialog.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using paint_testing::PixelAt;
using testing_support::PumpFor;
using testing_support::PumpUntil;

const wxColour kBlack(0, 0, 0), kWhite(255, 255, 255);
const wxColour kAround(200, 220, 240);

class DisplayOptionsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    m_previous = InstallProfileStore(MakeMemoryProfileStore());
    LoadDisplayOptions();
  }
  void TearDown() override {
    InstallProfileStore(std::move(m_previous));
    LoadDisplayOptions();
  }
  std::unique_ptr<IProfileStore> m_previous;
  CFixedUiTheme m_theme;
};

wxColour BallPixel(int size, int x, int y) {
  const CRasterImage ball = MakeSampleBallImage(size, size, true, 0);
  const uint8_t* p = ball.GetRow(y) + 3 * x;
  return wxColour(p[0], p[1], p[2]);
}

// A 160 x 160 preview: the image rectangle is 120 x 120 at (20, 20), the
// ball's radius 40 around (80, 80).
TEST_F(DisplayOptionsDialog, PreviewPixelsAtCentreRimAndOutside) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "preview");
  auto* panel = new wxPanel(frame);
  auto* preview = new CDisplayPreviewCtrl(panel, IDC_DISPLAY_PREVIEW, wxPoint(0, 0), wxSize(160, 160));
  EXPECT_EQ(CDisplayPreviewCtrl::BallRect(wxSize(160, 160)), wxRect(20, 20, 120, 120));
  EXPECT_EQ(CDisplayPreviewCtrl::BallRect(wxSize(200, 100)), wxRect(62, 12, 75, 75));
  DISPLAY_OPTIONS o;
  o.windowColor = MakeRGBQuad(kAround.Red(), kAround.Green(), kAround.Blue());
  preview->SetOptions(o);
  wxImage image = RenderToImage(*preview);
  paint_testing::SaveForLooking(image, "display-preview.png");

  EXPECT_PIXEL(image, 80, 80, BallPixel(120, 60, 60));
  EXPECT_PIXEL(image, 80, 80, wxColour(181, 255, 255));  // worked out by hand: light segment, N = 53
  EXPECT_PIXEL(image, 120, 80, BallPixel(120, 100, 60));  // on the rim (x = radius)
  // Inside the image rectangle, off the ball: the checkerboard from the
  // rectangle's corner, 16-pixel cells.
  EXPECT_PIXEL(image, 25, 25, wxColour(192, 192, 255));
  EXPECT_PIXEL(image, 20 + 16, 20, kWhite);
  EXPECT_PIXEL(image, 20 + 16, 20 + 16, wxColour(192, 192, 255));
  EXPECT_PIXEL(image, 121, 80, kWhite);  // just past the rim: cell (101 ^ 60) & 16 = 16
  // Around: window colour, the border just outside, the stipple with parity 0.
  EXPECT_PIXEL(image, 5, 5, kAround);
  EXPECT_PIXEL(image, 19, 19, kBlack);
  EXPECT_PIXEL(image, 140, 140, kBlack);
  EXPECT_PIXEL(image, 141, 23, kBlack);   // (141 + 23) even
  EXPECT_PIXEL(image, 142, 23, kAround);  // odd
  EXPECT_PIXEL(image, 141, 22, kAround);  // above the strip
  EXPECT_PIXEL(image, 23, 141, kBlack);   // the bottom strip starts at left + 3
  EXPECT_PIXEL(image, 24, 141, kAround);
  EXPECT_PIXEL(image, 21, 141, kAround);  // even, but left of the strip
  EXPECT_PIXEL(image, 144, 144, kAround);

  // Solid and window modes; no border, no shadow.
  o.nTransparency = TRANSPARENCY_SOLID;
  o.solidColor = MakeRGBQuad(10, 200, 30);
  o.bDrawBorder = o.bDrawShadow = 0;
  preview->SetOptions(o);
  image = RenderToImage(*preview);
  EXPECT_PIXEL(image, 25, 25, wxColour(10, 200, 30));
  EXPECT_PIXEL(image, 80, 80, wxColour(181, 255, 255));
  EXPECT_PIXEL(image, 19, 19, kAround);
  EXPECT_PIXEL(image, 141, 23, kAround);
  o.nTransparency = TRANSPARENCY_WINDOW;
  preview->SetOptions(o);
  EXPECT_PIXEL(RenderToImage(*preview), 25, 25, kAround);
  // A control too small for a ball is all window colour.
  EXPECT_PIXEL(RenderToImage(*preview, wxSize(1, 1)), 0, 0, kAround);

  // The animation: 5 degrees a step, wrapping at 360, driven by its timer.
  preview->SetAngle(355);
  preview->Step();
  EXPECT_EQ(preview->GetAngle(), 0);
  preview->StartAnimation();
  EXPECT_TRUE(PumpUntil([&] { return preview->GetAngle() >= 10; }, 3000));
  preview->StopAnimation();
  frame->Destroy();
  PumpFor(20);
}

void Check(wxDialog& d, int id, bool value) {
  auto* box = dynamic_cast<wxCheckBox*>(d.FindWindow(id));
  ASSERT_TRUE(box);
  box->SetValue(value);
  wxCommandEvent e(wxEVT_CHECKBOX, id);
  e.SetEventObject(box);
  e.SetInt(value);
  box->ProcessWindowEvent(e);
}

void Choose(wxDialog& d, int id) {
  auto* radio = dynamic_cast<wxRadioButton*>(d.FindWindow(id));
  ASSERT_TRUE(radio);
  radio->SetValue(true);
  wxCommandEvent e(wxEVT_RADIOBUTTON, id);
  e.SetEventObject(radio);
  e.SetInt(1);
  radio->ProcessWindowEvent(e);
}

TEST_F(DisplayOptionsDialog, ControlsShowAndEditTheRecordAndCancelKeepsTheStoredOptions) {
  DISPLAY_OPTIONS stored;
  stored.bDrawShadow = 0;
  stored.nTransparency = TRANSPARENCY_SOLID;
  stored.solidColor = MakeRGBQuad(1, 2, 3);
  SetDisplayOptions(stored);

  RGBQUAD next = MakeRGBQuad(50, 60, 70);
  CColorChooserOverride chooser([&](wxWindow*, RGBQUAD& c) {
    c = next;
    return true;
  });
  CModalDialogHook hook([&](wxDialog& dialog) -> int {
    auto& d = dynamic_cast<CDisplayOptionsDlg&>(dialog);
    EXPECT_EQ(d.GetTitle(), "Display Options");
    EXPECT_TRUE(dynamic_cast<wxCheckBox*>(d.FindWindow(IDC_SHOW_BORDER))->GetValue());
    EXPECT_FALSE(dynamic_cast<wxCheckBox*>(d.FindWindow(IDC_SHOW_SHADOW))->GetValue());
    EXPECT_TRUE(dynamic_cast<wxRadioButton*>(d.FindWindow(IDC_USE_SOLID))->GetValue());
    RGBQUAD c;
    EXPECT_TRUE(dynamic_cast<CColorBox*>(d.FindWindow(IDC_SOLID_BOX))->GetColor(&c));
    EXPECT_EQ(c, MakeRGBQuad(1, 2, 3));
    EXPECT_TRUE(d.GetPreview()->IsAnimating());

    Check(d, IDC_SHOW_BORDER, false);
    EXPECT_EQ(d.GetPreview()->GetOptions().bDrawBorder, 0);
    Choose(d, IDC_USE_CHECKERBOARD);
    EXPECT_EQ(d.GetPreview()->GetOptions().nTransparency, TRANSPARENCY_CHECKERBOARD);
    // A new solid colour while the checkerboard shows: the preview is not
    // repainted; switching to the solid colour shows it.
    const int repaints = d.GetPreview()->GetRepaintRequests();
    d.ChooseBoxColor(IDC_SOLID_BOX);
    EXPECT_EQ(d.GetPreview()->GetRepaintRequests(), repaints);
    EXPECT_EQ(d.GetValues().solidColor, next);
    Choose(d, IDC_USE_SOLID);
    EXPECT_EQ(d.GetPreview()->GetOptions().solidColor, next);
    // The window background colour always repaints.
    next = MakeRGBQuad(9, 9, 9);
    d.ChooseBoxColor(IDC_BKCOLOR_BOX);
    EXPECT_EQ(d.GetPreview()->GetRepaintRequests(), repaints + 2);
    // A click on a box runs the chooser too.
    next = MakeRGBQuad(77, 77, 77);
    wxWindow* checker1 = d.FindWindow(IDC_CHECKER1_BOX);
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    click.SetEventObject(checker1);
    checker1->ProcessWindowEvent(click);
    EXPECT_EQ(d.GetValues().checkerColor1, next);
    return wxID_CANCEL;
  });
  EXPECT_FALSE(EditDisplayOptions(nullptr));
  EXPECT_EQ(hook.GetCalls(), 1);
  DISPLAY_OPTIONS after;
  GetDisplayOptions(after);
  EXPECT_EQ(after.solidColor, MakeRGBQuad(1, 2, 3));
  EXPECT_EQ(after.bDrawBorder, 1);
  EXPECT_EQ(after.nTransparency, TRANSPARENCY_SOLID);
  EXPECT_EQ(GetProfileInt("Display options", "Solid color - red", -1), 1);
}

TEST_F(DisplayOptionsDialog, OkStoresTheEditedRecordAndDefaultRestoresTheDefaults) {
  CModalDialogHook hook([&](wxDialog& dialog) -> int {
    auto& d = dynamic_cast<CDisplayOptionsDlg&>(dialog);
    Check(d, IDC_SHOW_SHADOW, false);
    Choose(d, IDC_USE_WINDOW_COLOR);
    return wxID_OK;
  });
  EXPECT_TRUE(EditDisplayOptions(nullptr));
  DISPLAY_OPTIONS o;
  GetDisplayOptions(o);
  EXPECT_EQ(o.bDrawShadow, 0);
  EXPECT_EQ(o.nTransparency, TRANSPARENCY_WINDOW);
  EXPECT_EQ(GetProfileInt("Display options", "Draw shadow", -1), 0);
  EXPECT_EQ(GetProfileInt("Display options", "Transparency", -1), 2);

  CModalDialogHook defaults([&](wxDialog& dialog) -> int {
    auto& d = dynamic_cast<CDisplayOptionsDlg&>(dialog);
    wxCommandEvent press(wxEVT_BUTTON, IDC_DISPLAY_DEFAULT);
    press.SetEventObject(d.FindWindow(IDC_DISPLAY_DEFAULT));
    d.FindWindow(IDC_DISPLAY_DEFAULT)->ProcessWindowEvent(press);
    EXPECT_TRUE(dynamic_cast<wxCheckBox*>(d.FindWindow(IDC_SHOW_SHADOW))->GetValue());
    EXPECT_TRUE(dynamic_cast<wxRadioButton*>(d.FindWindow(IDC_USE_CHECKERBOARD))->GetValue());
    RGBQUAD c;
    dynamic_cast<CColorBox*>(d.FindWindow(IDC_CHECKER1_BOX))->GetColor(&c);
    EXPECT_EQ(c, MakeRGBQuad(192, 192, 255));
    EXPECT_EQ(d.GetPreview()->GetOptions().nTransparency, TRANSPARENCY_CHECKERBOARD);
    return wxID_OK;
  });
  EXPECT_TRUE(EditDisplayOptions(nullptr));
  GetDisplayOptions(o);
  EXPECT_EQ(o.bDrawShadow, 1);
  EXPECT_EQ(o.nTransparency, TRANSPARENCY_CHECKERBOARD);
}

TEST_F(DisplayOptionsDialog, TheMainFramesCommandRunsItAndTheScreenShowsThePreview) {
  shell_testing::FrameFixture f;
  wxUpdateUIEvent update(ID_DISPLAY_OPTIONS);
  update.SetEventObject(f.frame);
  f.frame->ProcessWindowEvent(update);
  EXPECT_TRUE(update.GetSetEnabled() && update.GetEnabled());

  CModalDialogHook hook([&](wxDialog& dialog) -> int {
    auto& d = dynamic_cast<CDisplayOptionsDlg&>(dialog);
    EXPECT_TRUE(PumpUntil([&] { return d.IsShownOnScreen(); }));
    PumpFor(300);
    // What the screen shows of the preview is what Render draws (the
    // animation stopped first so both see the same angle).
    d.GetPreview()->StopAnimation();
    d.GetPreview()->SetAngle(40);
    const wxImage shown = paint_testing::CaptureWindow(d.GetPreview());
    const wxImage rendered = RenderToImage(*d.GetPreview());
    int differing = 0;
    for (int y = 0; y < shown.GetHeight(); ++y)
      for (int x = 0; x < shown.GetWidth(); ++x) differing += PixelAt(shown, x, y) != PixelAt(rendered, x, y);
    EXPECT_EQ(differing, 0);
    const char* dir = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
    if (dir && *dir) {
      const wxRect r = d.GetScreenRect();
      const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
                               std::to_string(r.x) + "+" + std::to_string(r.y);
      EXPECT_EQ(testing_support::RunCommand("import -window root -crop " + crop + " " +
                                            testing_support::ShellQuote(std::string(dir) + "/display-options.png")),
                0);
    }
    Check(d, IDC_SHOW_BORDER, false);
    return wxID_OK;
  });
  wxCommandEvent command(wxEVT_MENU, ID_DISPLAY_OPTIONS);
  command.SetEventObject(f.frame);
  f.frame->ProcessWindowEvent(command);
  EXPECT_EQ(hook.GetCalls(), 1);
  DISPLAY_OPTIONS o;
  GetDisplayOptions(o);
  EXPECT_EQ(o.bDrawBorder, 0);
}

}  // namespace
