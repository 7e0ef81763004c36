// The effects as a user runs them: the command enters effect mode and puts
// the panel on the Effect page; the controls, driven with injected keys and
// mouse clicks, preview on the document; OK keeps one named undo step,
// Cancel and Escape give back the untouched frame bit for bit; while an
// effect runs the other commands cannot touch the history; closing the
// document asks whether to keep the effect.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/Profile.h"
#include "editor/EffectPanels.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "imaging/ColorConversion.h"
#include "imaging/Effects.h"
#include "imaging/Filters.h"
#include "resources/CommandIds.h"
#include "shell/HistogramCtrl.h"
#include "shell/TaskPanePages.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::AnswerMessageBoxes;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;
using testing_support::MakeTestPicture;

// Every pixel byte (within the row widths) and the palette of two images agree.
bool SameImage(const CRasterImage& a, const CRasterImage& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBitsPerPixel() != b.GetBitsPerPixel() ||
      a.HasValidMask() != b.HasValidMask())
    return false;
  const int64_t rowBytes = (static_cast<int64_t>(a.GetWidth()) * a.GetBitsPerPixel() + 7) / 8;
  for (int y = 0; y < a.GetHeight(); ++y)
    if (std::memcmp(a.GetRow(y), b.GetRow(y), static_cast<size_t>(rowBytes)) != 0) return false;
  if (a.GetPaletteSize() != b.GetPaletteSize()) return false;
  return a.GetPaletteSize() == 0 ||
         std::memcmp(a.GetPalette(), b.GetPalette(), static_cast<size_t>(a.GetPaletteSize()) * 4) == 0;
}

wxPoint Centre(wxWindow* window) {
  const wxRect r = window->GetScreenRect();
  return r.GetPosition() + wxPoint(r.width / 2, r.height / 2);
}

void Click(wxWindow* window, wxPoint at = wxDefaultPosition) {
  wxUIActionSimulator sim;
  const wxPoint target = at == wxDefaultPosition ? Centre(window) : at;
  for (int attempt = 0; attempt < 5 && wxGetMousePosition() != target; ++attempt) {
    sim.MouseMove(target);
    PumpUntil([&] { return wxGetMousePosition() == target; }, 500);
  }
  EXPECT_EQ(wxGetMousePosition(), target);
  sim.MouseClick();
  PumpFor(30);
}

// Types a key into a control that has the focus.
void Key(wxWindow* window, int key) {
  window->SetFocus();
  PumpUntil([&] { return wxWindow::FindFocus() == window; }, 1000);
  wxUIActionSimulator sim;
  sim.Char(key);
}

// The task pane slides its pages into place: waits until the panel's
// buttons stay where they are.
void WaitUntilStill(wxWindow* window) {
  wxRect last = window->GetScreenRect();
  int still = 0;
  PumpUntil(
      [&] {
        PumpFor(40);
        const wxRect now = window->GetScreenRect();
        still = now == last ? still + 1 : 0;
        last = now;
        return still >= 3;
      },
      3000);
}

CEffectDialog* WaitForPanel(DocumentWindowFixture& f) {
  PumpUntil([&] { return GetRunningEffectPanel() != nullptr && f.frame->GetMode() == MODE_EFFECT; }, 2000);
  if (CEffectDialog* panel = GetRunningEffectPanel()) WaitUntilStill(panel->GetOkButton());
  return GetRunningEffectPanel();
}

bool WaitForPreviews(CEffectDialog* panel, int atLeast) {
  return PumpUntil([&] { return panel->GetTool()->GetPreviewCount() >= atLeast && !panel->IsPreviewPending(); },
                   3000);
}

struct Opened {
  CPictoravellDoc* doc = nullptr;
  CRasterImage original;
};

Opened OpenPicture(DocumentWindowFixture& f, const TempDir& dir, const CRasterImage& image) {
  Opened o;
  f.frame->Move(0, 0);
  PumpFor(50);
  o.doc = OpenImageDocument(WriteBmp(dir, "fx.bmp", image));
  if (o.doc) {
    o.original = o.doc->GetCurrentFrame()->m_image;
    PumpFor(50);
  }
  return o;
}

TEST(EffectSession, BrightnessAndContrastPreviewsLiveAndOkKeepsOneNamedStep) {
  DocumentWindowFixture f;
  TempDir dir;
  const Opened o = OpenPicture(f, dir, MakeTestPicture(64, 48, 3));
  ASSERT_TRUE(o.doc);
  ASSERT_TRUE(f.IsEnabled(ID_BRIGHTNESS_CONTRAST));
  f.Command(ID_BRIGHTNESS_CONTRAST);
  auto* panel = dynamic_cast<CBrightnessContrastDialog*>(WaitForPanel(f));
  ASSERT_TRUE(panel);
  // The panel sits on the Effect page, under the effect's name.
  EXPECT_TRUE(panel->IsShownOnScreen());
  EXPECT_EQ(panel->GetParent(), f.frame->GetEffectPage());
  EXPECT_EQ(f.frame->GetEffectPage()->GetLabel(), "Brightness & Contrast");
  EXPECT_TRUE(o.doc->IsToolRunning());
  // The first table (0, 0) is applied at once and the histogram counts the result.
  ASSERT_TRUE(WaitForPreviews(panel, 1));
  EXPECT_EQ(panel->GetHistogram()->GetCounts()[255], 0u);

  // While the effect runs, nothing else reaches the history.
  EXPECT_FALSE(f.IsEnabled(ID_EDIT_UNDO));
  EXPECT_FALSE(f.IsEnabled(ID_SEPIA));
  EXPECT_FALSE(f.IsEnabled(ID_BLUR));
  EXPECT_FALSE(f.IsEnabled(ID_INVERT_COLORS));
  f.Command(ID_SEPIA);
  PumpFor(30);
  EXPECT_EQ(GetRunningEffectPanel(), panel);

  // Brightness to the end of its range with the keyboard: +128.
  auto* brightness = dynamic_cast<wxSlider*>(panel->FindWindow(IDC_EFFECT_BRIGHTNESS));
  ASSERT_TRUE(brightness);
  const int before = panel->GetTool()->GetPreviewCount();
  Key(brightness, WXK_END);
  ASSERT_TRUE(PumpUntil([&] { return panel->Tool()->m_params.brightness == 128; }, 2000))
      << panel->Tool()->m_params.brightness;
  ASSERT_TRUE(WaitForPreviews(panel, before + 1));
  BRIGHTNESS_CONTRAST_PARAMS params;
  params.brightness = 128;
  const CRasterImage expected = BrightnessContrast(o.original, params);
  EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, expected));  // the document shows the preview
  EXPECT_TRUE(SameImage(panel->GetTool()->GetCopy(), o.original));      // the copy stays untouched

  Click(panel->GetOkButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000))
      << panel->GetOkButton()->GetScreenRect().x << "," << panel->GetOkButton()->GetScreenRect().y << " "
      << panel->GetOkButton()->IsShownOnScreen() << " " << wxGetMousePosition().x << "," << wxGetMousePosition().y
      << " running " << o.doc->IsToolRunning();
  EXPECT_EQ(GetRunningEffectPanel(), nullptr);
  EXPECT_FALSE(f.frame->GetEffectPage()->HasEffect());
  EXPECT_FALSE(o.doc->IsToolRunning());
  ASSERT_EQ(o.doc->GetUndoSteps().size(), 1u);
  std::string label;
  o.doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Brightness && Contrast");
  EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, expected));
  EXPECT_TRUE(o.doc->IsModified());
  o.doc->Undo();
  EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, o.original));
}

TEST(EffectSession, EscapeAndCancelRestoreTheUntouchedFrameBitForBit) {
  DocumentWindowFixture f;
  TempDir dir;
  const Opened o = OpenPicture(f, dir, MakeTestPicture(40, 30, 5));
  ASSERT_TRUE(o.doc);
  for (int way = 0; way < 2; ++way) {
    f.Command(ID_SEPIA);
    auto* panel = dynamic_cast<CSepiaDialog*>(WaitForPanel(f));
    ASSERT_TRUE(panel);
    EXPECT_EQ(f.frame->GetEffectPage()->GetLabel(), "Sepia");
    ASSERT_TRUE(WaitForPreviews(panel, 1));
    // A click in the swatch picks a new hue and saturation.
    const int before = panel->GetTool()->GetPreviewCount();
    Click(panel->GetSwatch(), panel->GetSwatch()->GetScreenRect().GetPosition() + wxPoint(120, 60));
    ASSERT_TRUE(WaitForPreviews(panel, before + 1));
    EXPECT_GT(panel->Tool()->m_params.hue, 3.0);
    EXPECT_FALSE(SameImage(o.doc->GetCurrentFrame()->m_image, o.original));
    if (way == 0) {
      Key(dynamic_cast<wxSlider*>(panel->FindWindow(IDC_EFFECT_BLEND)), WXK_ESCAPE);
    } else {
      Click(panel->GetCancelButton());
    }
    ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000)) << way;
    EXPECT_FALSE(o.doc->IsToolRunning());
    EXPECT_FALSE(o.doc->CanUndo());
    EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, o.original)) << way;
    EXPECT_TRUE(o.doc->GetCurrentFrame()->m_image.SharesPixelsWith(o.original));
  }
}

TEST(EffectSession, BlurFollowsItsSlidersAndReusesTheBlurForTheBlend) {
  DocumentWindowFixture f;
  TempDir dir;
  WriteProfileInt("Effects\\Blur", "Amount", 0);
  WriteProfileInt("Effects\\Blur", "Blend", 0);
  WriteProfileInt("Effects\\Blur", "Dir", 7);  // out of range: both directions
  const Opened o = OpenPicture(f, dir, MakeTestPicture(50, 40, 9));
  ASSERT_TRUE(o.doc);
  f.Command(ID_BLUR);
  auto* panel = dynamic_cast<CBlurDialog*>(WaitForPanel(f));
  ASSERT_TRUE(panel);
  ASSERT_TRUE(WaitForPreviews(panel, 1));
  EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, o.original));  // amount 0
  EXPECT_TRUE(dynamic_cast<wxRadioButton*>(panel->FindWindow(IDC_EFFECT_BLUR_BOTH))->GetValue());

  auto* amount = dynamic_cast<wxSlider*>(panel->FindWindow(IDC_EFFECT_BLUR_AMOUNT));
  Key(amount, WXK_RIGHT);
  Key(amount, WXK_RIGHT);
  Key(amount, WXK_RIGHT);
  ASSERT_TRUE(PumpUntil([&] { return panel->Tool()->m_params.amount == 3 && !panel->IsPreviewPending(); }, 2000))
      << panel->Tool()->m_params.amount;
  const int blurs = panel->Tool()->m_nBlurCount;
  auto* blend = dynamic_cast<wxSlider*>(panel->FindWindow(IDC_EFFECT_BLEND));
  const int previews = panel->GetTool()->GetPreviewCount();
  blend->SetFocus();
  Key(blend, WXK_PAGEDOWN);  // a page up the range (GTK moves by the page size)
  ASSERT_TRUE(WaitForPreviews(panel, previews + 1));
  EXPECT_GT(panel->Tool()->m_params.blend, 0);
  EXPECT_EQ(panel->Tool()->m_nBlurCount, blurs);  // the blend alone blurs nothing again

  Click(panel->FindWindow(IDC_EFFECT_BLUR_HORIZONTAL));
  ASSERT_TRUE(PumpUntil([&] { return panel->Tool()->m_params.direction == 2 && !panel->IsPreviewPending(); }, 2000));
  EXPECT_EQ(panel->Tool()->m_nBlurCount, blurs + 1);
  const BLUR_PARAMS shown = panel->Tool()->m_params;
  const CRasterImage expected = Blur(o.original, shown);
  EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, expected));

  Key(blend, WXK_RETURN);  // Enter keeps the effect
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, expected));
  std::string label;
  o.doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Blur");
  // OK wrote the settings.
  EXPECT_EQ(GetProfileInt("Effects\\Blur", "Amount", -1), 3);
  EXPECT_EQ(GetProfileInt("Effects\\Blur", "Blend", -1), shown.blend);
  EXPECT_EQ(GetProfileInt("Effects\\Blur", "Dir", -1), 2);
}

TEST(EffectSession, ClosingTheDocumentAsksWhetherToKeepTheEffect) {
  for (const int answer : {wxID_YES, wxID_NO}) {
    DocumentWindowFixture f;
    TempDir dir;
    const Opened o = OpenPicture(f, dir, MakeTestPicture(30, 20, 7));
    ASSERT_TRUE(o.doc);
    f.Command(ID_EMBOSS);
    CEffectDialog* panel = WaitForPanel(f);
    ASSERT_TRUE(panel);
    ASSERT_TRUE(WaitForPreviews(panel, 1));  // the default relief shows at once
    EXPECT_FALSE(SameImage(o.doc->GetCurrentFrame()->m_image, o.original));
    AnswerMessageBoxes answers([&](const AnswerMessageBoxes::Box& box) {
      // The save question after a kept effect is answered No.
      return box.message.find("keep the changes") != std::string::npos ? answer : wxID_NO;
    });
    EXPECT_TRUE(o.doc->Close());
    ASSERT_GE(answers.boxes.size(), 1u);
    EXPECT_EQ(answers.boxes[0].caption, "Emboss");
    EXPECT_EQ(answers.boxes[0].message, "Do you want to keep the changes you have made to the image?");
    EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
    EXPECT_EQ(GetRunningEffectPanel(), nullptr);
    EXPECT_FALSE(o.doc->IsToolRunning());
    EXPECT_EQ(o.doc->CanUndo(), answer == wxID_YES);
    EXPECT_EQ(answers.boxes.size(), answer == wxID_YES ? 2u : 1u);  // kept: the save question follows
    o.doc->Modify(false);
  }
}

TEST(EffectSession, PreEditChecksConvertOnlyWhenTheEffectNeedsIt) {
  DocumentWindowFixture f;
  TempDir dir;
  // An 8-bit gray picture.
  CRasterImage gray = ConvertToGrayscale(MakeTestPicture(32, 24, 2));
  ASSERT_TRUE(gray.IsGrayscale());
  const Opened o = OpenPicture(f, dir, gray);
  ASSERT_TRUE(o.doc);
  ASSERT_TRUE(o.doc->GetCurrentFrame()->m_image.IsGrayscale());
  std::vector<std::string> asked;
  bool yes = false;
  DOCUMENT_PROMPTS prompts;
  prompts.askYesNo = [&](const std::string& text) {
    asked.push_back(text);
    return yes;
  };
  ScopedPrompts scoped(prompts);
  // Sepia needs full colour: No starts nothing and changes nothing.
  f.Command(ID_SEPIA);
  PumpFor(50);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "This operation requires the image to be converted to full color mode.\nDo you want to proceed?");
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, o.original));
  // Blur takes a gray image as it is: no question, stays gray.
  f.Command(ID_BLUR);
  CEffectDialog* panel = WaitForPanel(f);
  ASSERT_TRUE(panel);
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_TRUE(panel->GetTool()->GetCopy().IsGrayscale());
  Click(static_cast<CBlurDialog*>(panel)->GetCancelButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  // Yes converts, and Cancel takes the conversion back too.
  yes = true;
  f.Command(ID_SEPIA);
  panel = WaitForPanel(f);
  ASSERT_TRUE(panel);
  EXPECT_EQ(o.doc->GetCurrentFrame()->m_image.GetBitsPerPixel(), 24);
  Click(panel->GetCancelButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, o.original));
  EXPECT_FALSE(o.doc->CanUndo());
}

TEST(EffectSession, TransparencyWaitsForTheSliderAndCanRemoveTheImage) {
  DocumentWindowFixture f;
  TempDir dir;
  const Opened o = OpenPicture(f, dir, MakeTestPicture(20, 20, 4));
  ASSERT_TRUE(o.doc);
  f.Command(ID_ADJUST_TRANSPARENCY);
  auto* panel = dynamic_cast<CTransparencyDialog*>(WaitForPanel(f));
  ASSERT_TRUE(panel);
  PumpFor(50);
  EXPECT_EQ(panel->GetTool()->GetPreviewCount(), 0);  // nothing until the slider moves
  auto* slider = dynamic_cast<wxSlider*>(panel->FindWindow(IDC_EFFECT_TRANSPARENCY));
  Key(slider, WXK_HOME);  // 0: the image goes
  ASSERT_TRUE(PumpUntil([&] { return panel->Tool()->m_nPosition == 0 && !panel->IsPreviewPending(); }, 2000));
  EXPECT_TRUE(o.doc->GetCurrentFrame()->m_image.IsEmpty());
  Click(panel->GetOkButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  std::string label;
  o.doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Transparency");
  o.doc->Undo();
  EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, o.original));
}

// The transparency arithmetic: an opaque image at 32 gets 127 everywhere; a
// soft mask at 128 becomes opaque where it was not 0.
TEST(EffectSession, TransparencyScalesTheMask) {
  CRasterImage opaque = MakeTestPicture(8, 4, 1);
  bool removed = false;
  CRasterImage half = ScaleTransparency(opaque, 32, &removed);
  ASSERT_TRUE(half.HasValidMask());
  EXPECT_EQ(half.GetMaskBits()[0], 127);
  EXPECT_TRUE(SameImage(ScaleTransparency(opaque, 64, &removed), opaque));
  EXPECT_TRUE(ScaleTransparency(opaque, 0, &removed).IsEmpty());
  EXPECT_TRUE(removed);

  CRasterImage soft = MakeTestPicture(8, 4, 1);
  ASSERT_TRUE(soft.CreateMask());
  for (int i = 0; i < soft.GetMaskStride() * 4; ++i) soft.GetWritableMaskBits()[i] = static_cast<uint8_t>(i * 7 % 256);
  soft.GetWritableMaskBits()[0] = 0;
  CRasterImage full = ScaleTransparency(soft, 128, &removed);
  EXPECT_FALSE(removed);
  ASSERT_TRUE(full.HasValidMask());  // pixel 0 stays transparent
  EXPECT_EQ(full.GetMaskBits()[0], 0);
  EXPECT_EQ(full.GetMaskBits()[1], 255);
  // Without any transparent pixel the mask goes.
  soft.GetWritableMaskBits()[0] = 1;
  EXPECT_FALSE(ScaleTransparency(soft, 128, &removed).HasValidMask());
  // Down: 16 of 64 is a quarter of each value.
  CRasterImage quarter = ScaleTransparency(soft, 16, &removed);
  EXPECT_EQ(quarter.GetMaskBits()[2], 63 * 14 / 255);
}

// What the view shows, drawn through its own drawing into a bitmap.
wxImage ViewPixels(CPictoravellView* view) {
  const wxSize size = view->GetViewWindow()->GetClientSize();
  wxBitmap bitmap(size);
  wxMemoryDC dc(bitmap);
  view->Render(dc, wxRect(size));
  dc.SelectObject(wxNullBitmap);
  return bitmap.ConvertToImage();
}

bool SamePixels(const wxImage& a, const wxImage& b) {
  return a.GetSize() == b.GetSize() &&
         std::memcmp(a.GetData(), b.GetData(), static_cast<size_t>(a.GetWidth()) * a.GetHeight() * 3) == 0;
}

// A large picture at a reduced zoom: a slider moved with the keyboard
// previews only what the view shows, at its zoom, without computing the
// frame; OK computes the whole frame exactly as the effect does, Cancel
// gives back the untouched frame.
TEST(EffectSession, LargePicturePreviewsAtTheViewsZoomAndOkComputesTheWholeFrame) {
  DocumentWindowFixture f;
  TempDir dir;
  WriteProfileInt("Effects\\Blur", "Amount", 0);
  WriteProfileInt("Effects\\Blur", "Blend", 0);
  WriteProfileInt("Effects\\Blur", "Dir", 3);
  const Opened o = OpenPicture(f, dir, MakeTestPicture(2000, 1400, 7));
  ASSERT_TRUE(o.doc);
  CPictoravellView* view = f.ViewOf(o.doc);
  ASSERT_TRUE(view);
  PumpFor(100);
  EXPECT_LT(view->GetZoom(), -1);  // best fit: the picture is reduced
  for (int effect = 0; effect < 2; ++effect) {
    for (int keep = 0; keep < 2; ++keep) {
      f.Command(effect == 0 ? ID_BRIGHTNESS_CONTRAST : ID_BLUR);
      CEffectDialog* panel = WaitForPanel(f);
      ASSERT_TRUE(panel);
      ASSERT_TRUE(WaitForPreviews(panel, 1));
      PumpFor(100);
      CEffectTool* tool = panel->GetTool();
      const wxImage before = ViewPixels(view);
      const int full = tool->GetFullPreviewCount();
      const int reduced = tool->GetReducedPreviewCount();
      const int previews = tool->GetPreviewCount();
      auto* slider =
          dynamic_cast<wxSlider*>(panel->FindWindow(effect == 0 ? IDC_EFFECT_BRIGHTNESS : IDC_EFFECT_BLUR_AMOUNT));
      ASSERT_TRUE(slider);
      Key(slider, WXK_END);
      ASSERT_TRUE(WaitForPreviews(panel, previews + 1)) << effect;
      PumpFor(150);  // the views repaint
      EXPECT_GT(tool->GetReducedPreviewCount(), reduced) << effect;
      EXPECT_EQ(tool->GetFullPreviewCount(), full) << effect;  // the frame was not computed
      EXPECT_TRUE(tool->IsLiveStale());
      EXPECT_FALSE(SamePixels(ViewPixels(view), before)) << effect;  // the view shows the change
      EXPECT_EQ(tool->GetFullPreviewCount(), full) << effect;
      if (!keep) {
        // The preview sits where the whole frame's result is drawn: the view
        // differs from the full computation's little, on average.
        const wxImage shown = ViewPixels(view);
        tool->MakeFull();
        EXPECT_FALSE(tool->IsLiveStale());
        EXPECT_EQ(tool->GetFullPreviewCount(), full + 1);
        const wxImage whole = ViewPixels(view);
        ASSERT_EQ(shown.GetSize(), whole.GetSize());
        const size_t bytes = static_cast<size_t>(whole.GetWidth()) * whole.GetHeight() * 3;
        double sum = 0;
        for (size_t i = 0; i < bytes; ++i) sum += std::abs(shown.GetData()[i] - whole.GetData()[i]);
        EXPECT_LT(sum / bytes, 3.0) << effect;  // 0.74 and 0.08 when written
      }

      CRasterImage expected;
      if (effect == 0) {
        const auto params = static_cast<CBrightnessContrastDialog*>(panel)->Tool()->m_params;
        EXPECT_EQ(params.brightness, 128);
        expected = BrightnessContrast(o.original, params);
      } else {
        const auto params = static_cast<CBlurDialog*>(panel)->Tool()->m_params;
        EXPECT_EQ(params.amount, 100);
        expected = Blur(o.original, params);
      }
      Click(keep ? panel->GetOkButton() : panel->GetCancelButton());
      ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 5000)) << effect << keep;
      if (keep) {
        EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, expected)) << effect;
        ASSERT_EQ(o.doc->GetUndoSteps().size(), 1u);
        o.doc->Undo();
      } else {
        EXPECT_FALSE(o.doc->CanUndo());
      }
      EXPECT_TRUE(SameImage(o.doc->GetCurrentFrame()->m_image, o.original)) << effect << keep;
      PumpFor(50);
    }
  }
}

// Screenshots of two effects in progress, for looking at (not compared).
TEST(EffectSession, Screenshots) {
  const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!out || !*out) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  REQUIRE_TOOL("import");
  REQUIRE_TOOL("convert");
  TempDir dir;
  const std::string photo = (dir.path() / "rose.jpg").string();
  ASSERT_EQ(testing_support::RunCommand("convert rose: -resize 700x460 -quality 92 " +
                                        testing_support::ShellQuote(photo)),
            0);
  DocumentWindowFixture f;
  f.frame->SetSize(1100, 800);
  f.frame->Move(0, 0);
  PumpFor(100);
  CPictoravellDoc* doc = OpenImageDocument(photo);
  ASSERT_TRUE(doc);
  PumpFor(200);
  const auto save = [&](const std::string& name) {
    f.frame->Refresh();
    f.frame->Update();
    PumpFor(300);
    const wxRect r = f.frame->GetScreenRect();
    const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) +
                             "+" + std::to_string(r.y);
    EXPECT_EQ(testing_support::RunCommand("import -window root -crop " + crop + " " +
                                          testing_support::ShellQuote(std::string(out) + "/" + name)),
              0);
  };
  f.Command(ID_BRIGHTNESS_CONTRAST);
  auto* bc = dynamic_cast<CBrightnessContrastDialog*>(WaitForPanel(f));
  ASSERT_TRUE(bc);
  auto* contrast = dynamic_cast<wxSlider*>(bc->FindWindow(IDC_EFFECT_CONTRAST));
  for (int i = 0; i < 4; ++i) Key(contrast, WXK_PAGEDOWN);
  auto* brightness = dynamic_cast<wxSlider*>(bc->FindWindow(IDC_EFFECT_BRIGHTNESS));
  Key(brightness, WXK_PAGEDOWN);
  PumpUntil([&] { return !bc->IsPreviewPending(); }, 2000);
  save("effect-brightness-contrast.png");
  Click(bc->GetCancelButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  f.Command(ID_SEPIA);
  auto* sepia = dynamic_cast<CSepiaDialog*>(WaitForPanel(f));
  ASSERT_TRUE(sepia);
  Key(dynamic_cast<wxSlider*>(sepia->FindWindow(IDC_EFFECT_BLEND)), WXK_PAGEDOWN);
  PumpUntil([&] { return !sepia->IsPreviewPending(); }, 2000);
  save("effect-sepia.png");
  Click(sepia->GetCancelButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
}

}  // namespace
