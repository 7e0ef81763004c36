// The Drop Shadow command and its dialog as a user runs them: a floating
// selection, the command, values typed into the edits (refused text put
// right), the colour picked through the colour box, the preview showing the
// shadow where the computation puts it, OK replacing the selection by the
// selection over its shadow as one undo step.

#include <gtest/gtest.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/Profile.h"
#include "editor/DropShadowDialog.h"
#include "editor/PictoravellDoc.h"
#include "imaging/DropShadow.h"
#include "resources/CommandIds.h"
#include "shell/ColorBox.h"
#include "shell/ColorChooser.h"
#include "shell/ImagePreviewCtrl.h"
#include "shell/ModalDialog.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

bool SameBytes(const CRasterImage& a, const CRasterImage& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBitsPerPixel() != b.GetBitsPerPixel() ||
      a.HasValidMask() != b.HasValidMask())
    return false;
  for (int y = 0; y < a.GetHeight(); ++y) {
    if (std::memcmp(a.GetRow(y), b.GetRow(y), static_cast<size_t>(a.GetWidth()) * 3) != 0) return false;
    if (a.HasValidMask() && std::memcmp(a.GetMaskRow(y), b.GetMaskRow(y), static_cast<size_t>(a.GetWidth())) != 0)
      return false;
  }
  return true;
}

TEST(DropShadowDialog, ReadIntFieldText) {
  const struct {
    const char* text;
    int minimum, maximum;
    bool acceptable;
    int value;
  } cases[] = {
      {"150", -100, 100, false, 100}, {"12a", -100, 100, false, 12}, {"-", -100, 100, true, 0},
      {"", 0, 100, true, 0},          {"-5", 0, 100, false, 0},      {"-30", -100, 100, true, -30},
      {"-150", -100, 100, false, -100}, {"55", 0, 55, true, 55},     {"56", 0, 55, false, 55},
      {"007", 0, 100, true, 7},       {"99999999999999", 0, 100, false, 100},
  };
  for (const auto& c : cases) {
    int value = -999;
    EXPECT_EQ(ReadIntFieldText(c.text, c.minimum, c.maximum, &value), c.acceptable) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

// Types into an edit the way a user does: focus, select all, the text.
void Type(wxTextCtrl* edit, const std::string& text) {
  wxUIActionSimulator sim;
  const wxRect r = edit->GetScreenRect();
  const wxPoint at = r.GetPosition() + wxPoint(r.width / 2, r.height / 2);
  sim.MouseMove(at);
  PumpUntil([&] { return wxGetMousePosition() == at; }, 1000);
  sim.MouseClick();
  PumpUntil([&] { return wxWindow::FindFocus() == edit; }, 1000);
  edit->SelectAll();
  sim.Text(text.c_str());
  PumpFor(80);
}

TEST(DropShadowDialog, CommandPreviewAndResultAgreeWithTheComputation) {
  // A fresh settings store: the defaults are read.
  struct FreshProfile {
    std::unique_ptr<IProfileStore> previous = InstallProfileStore(MakeMemoryProfileStore());
    ~FreshProfile() { InstallProfileStore(std::move(previous)); }
  } fresh;
  WriteProfileInt("Add Drop Shadow", "Softness", 99);  // out of range: 55
  DocumentWindowFixture f;
  TempDir dir;
  const wxPoint pointer = wxGetMousePosition();
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "s.bmp", testing_support::MakeTestPicture(40, 30, 2)));
  ASSERT_TRUE(doc);
  PumpFor(50);
  wxMenuItem* item = f.frame->GetMenuBar()->FindItem(ID_DROP_SHADOW);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetItemLabel(), "Drop Shadow...\tF4");
  EXPECT_FALSE(f.IsEnabled(ID_DROP_SHADOW));  // no floating selection yet
  f.Command(ID_SELECT_ALL);
  CAnimFrame& frame = *doc->GetCurrentFrame();
  ASSERT_EQ(frame.m_selection.GetBitsPerPixel(), 24);
  ASSERT_TRUE(f.IsEnabled(ID_DROP_SHADOW));
  const CRasterImage selection = frame.m_selection;
  const Rect rect = frame.m_rcSelection;
  const int steps = static_cast<int>(doc->GetUndoSteps().size());

  // Cancel changes nothing.
  {
    CModalDialogHook hook([](wxDialog&) { return wxID_CANCEL; });
    f.Command(ID_DROP_SHADOW);
    EXPECT_EQ(hook.GetCalls(), 1);
  }
  EXPECT_EQ(static_cast<int>(doc->GetUndoSteps().size()), steps);
  EXPECT_EQ(GetProfileInt("Add Drop Shadow", "Opacity", -1), -1);

  CColorChooserOverride chooser([](wxWindow*, RGBQUAD& colour) {
    colour.rgbRed = 30;
    colour.rgbGreen = 60;
    colour.rgbBlue = 200;
    return true;
  });
  DROP_SHADOW_PARAMS expected;
  bool previewAgrees = false;
  std::string texts;
  CModalDialogHook hook([&](wxDialog& dialog) {
    EXPECT_EQ(dialog.GetTitle(), "Add Drop Shadow");
    auto* x = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(IDC_SHADOW_X_EDIT));
    auto* y = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(IDC_SHADOW_Y_EDIT));
    auto* opacity = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(IDC_SHADOW_OPACITY_EDIT));
    auto* softness = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(IDC_SHADOW_SOFTNESS_EDIT));
    auto* xSlider = dynamic_cast<wxSlider*>(dialog.FindWindow(IDC_SHADOW_X_SLIDER));
    if (!x || !y || !opacity || !softness || !xSlider) return wxID_CANCEL;
    texts += opacity->GetValue() + " " + softness->GetValue() + " " + x->GetValue() + ";";  // the defaults
    Type(x, "150");
    texts += x->GetValue() + ";";
    Type(x, "12a");
    texts += x->GetValue() + " " + std::to_string(xSlider->GetValue()) + ";";
    Type(x, "-");
    texts += std::to_string(xSlider->GetValue()) + ";";  // a lone "-" leaves the slider
    Type(x, "8");
    Type(y, "6");
    Type(opacity, "100");
    Type(softness, "0");
    texts += std::to_string(xSlider->GetValue()) + ";";
    // The colour box asks for the colour; the labels show it.
    auto* box = dynamic_cast<CColorBox*>(dialog.FindWindow(IDC_SHADOW_COLOR));
    wxUIActionSimulator sim;
    const wxRect br = box->GetScreenRect();
    sim.MouseMove(br.GetPosition() + wxPoint(br.width / 2, br.height / 2));
    PumpFor(50);
    sim.MouseClick();
    PumpFor(80);
    texts += dynamic_cast<wxStaticText*>(dialog.FindWindow(IDC_SHADOW_RED))->GetLabel() + " " +
             dynamic_cast<wxStaticText*>(dialog.FindWindow(IDC_SHADOW_BLUE))->GetLabel();
    // The preview shows the selection over its hard shadow as the computation places it.
    expected.xOffset = 8;
    expected.yOffset = 6;
    expected.opacity = 100;
    expected.softness = 0;
    expected.red = 30;
    expected.green = 60;
    expected.blue = 200;
    int dx = 0, dy = 0;
    const CRasterImage result = AddDropShadow(selection, expected, &dx, &dy);
    auto* preview = dynamic_cast<CImagePreviewCtrl*>(dialog.FindWindow(IDC_SHADOW_PREVIEW));
    const wxRect area = preview->PlaceShownArea();
    const wxImage shown = RenderToImage(*preview);
    int compared = 0, wrong = 0;
    for (int ry = 0; ry < result.GetHeight(); ++ry)
      for (int rx = 0; rx < result.GetWidth(); ++rx) {
        if (result.GetMaskRow(ry)[rx] != 255) continue;
        const int px = area.x + 155 + dx + rx, py = area.y + 155 + dy + ry;
        if (px < 0 || py < 0 || px >= shown.GetWidth() || py >= shown.GetHeight()) continue;
        const uint8_t* p = result.GetRow(ry) + 3 * rx;
        ++compared;
        if (shown.GetRed(px, py) != p[0] || shown.GetGreen(px, py) != p[1] || shown.GetBlue(px, py) != p[2]) {
          if (wrong < 3)
            texts += " [" + std::to_string(rx) + "," + std::to_string(ry) + " at " + std::to_string(px) + "," +
                     std::to_string(py) + ": " + std::to_string(shown.GetRed(px, py)) + " " +
                     std::to_string(shown.GetGreen(px, py)) + " " + std::to_string(shown.GetBlue(px, py)) + " want " +
                     std::to_string(p[0]) + " " + std::to_string(p[1]) + " " + std::to_string(p[2]) + "]";
          ++wrong;
        }
      }
    previewAgrees = compared > 500 && wrong == 0;
    texts += " compared " + std::to_string(compared) + " wrong " + std::to_string(wrong) + " area " +
             std::to_string(area.x) + "," + std::to_string(area.y) + " " + std::to_string(shown.GetWidth());
    if (const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR"); out && *out) {
      Type(softness, "12");
      Type(opacity, "70");
      PumpFor(100);
      const wxRect s = dialog.GetScreenRect();
      testing_support::RunCommand("import -window root -crop " + std::to_string(s.width) + "x" +
                                  std::to_string(s.height) + "+" + std::to_string(s.x) + "+" + std::to_string(s.y) +
                                  " " + testing_support::ShellQuote(std::string(out) + "/drop-shadow-dialog.png"));
      Type(softness, "0");
      Type(opacity, "100");
    }
    return wxID_OK;
  });
  f.Command(ID_DROP_SHADOW);
  ASSERT_EQ(hook.GetCalls(), 1);
  EXPECT_EQ(texts, "50 55 0;100;12 12;12;8;30 200 compared " + texts.substr(texts.find("compared ") + 9)) << texts;
  EXPECT_TRUE(previewAgrees) << texts;
  int dx = 0, dy = 0;
  const CRasterImage result = AddDropShadow(selection, expected, &dx, &dy);
  ASSERT_EQ(static_cast<int>(doc->GetUndoSteps().size()), steps + 1);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Add Drop Shadow");
  const CAnimFrame& after = *doc->GetCurrentFrame();
  EXPECT_TRUE(SameBytes(after.m_selection, result));
  EXPECT_EQ(after.m_selection.GetWidth(), 48);
  EXPECT_EQ(after.m_selection.GetHeight(), 36);
  EXPECT_EQ(after.m_rcSelection.left, rect.left + dx);
  EXPECT_EQ(after.m_rcSelection.right, rect.left + dx + 48);
  EXPECT_EQ(after.m_rcSelection.bottom, rect.top + dy + 36);
  // OK stored the values.
  EXPECT_EQ(GetProfileInt("Add Drop Shadow", "X Offset", 0), 8);
  EXPECT_EQ(GetProfileInt("Add Drop Shadow", "Y Offset", 0), 6);
  EXPECT_EQ(GetProfileInt("Add Drop Shadow", "Opacity", 0), 100);
  EXPECT_EQ(GetProfileInt("Add Drop Shadow", "Softness", -1), 0);
  EXPECT_EQ(GetProfileInt("Add Drop Shadow", "Blue", 0), 200);

  // A soft shadow up and left: the selection grows and moves by the shifts.
  doc->Undo();
  WriteProfileInt("Add Drop Shadow", "X Offset", -10);
  WriteProfileInt("Add Drop Shadow", "Y Offset", -10);
  WriteProfileInt("Add Drop Shadow", "Opacity", 60);
  WriteProfileInt("Add Drop Shadow", "Softness", 12);
  {
    CModalDialogHook ok([](wxDialog&) { return wxID_OK; });
    f.Command(ID_DROP_SHADOW);
  }
  expected.xOffset = expected.yOffset = -10;
  expected.opacity = 60;
  expected.softness = 12;
  const CRasterImage soft = AddDropShadow(selection, expected, &dx, &dy);
  EXPECT_LT(dx, -10);
  EXPECT_TRUE(SameBytes(doc->GetCurrentFrame()->m_selection, soft));
  EXPECT_EQ(doc->GetCurrentFrame()->m_rcSelection.left, rect.left + dx);
  EXPECT_EQ(doc->GetCurrentFrame()->m_rcSelection.top, rect.top + dy);

  // Opacity 0: OK changes nothing.
  const int before = static_cast<int>(doc->GetUndoSteps().size());
  WriteProfileInt("Add Drop Shadow", "Opacity", 0);
  {
    CModalDialogHook ok([](wxDialog&) { return wxID_OK; });
    f.Command(ID_DROP_SHADOW);
  }
  EXPECT_EQ(static_cast<int>(doc->GetUndoSteps().size()), before);
  wxUIActionSimulator().MouseMove(pointer);
}

}  // namespace
