// Remove Red Eye as a user runs it: a rectangle selected around two red
// pupils, the command from the Colors menu, the picture in the panel dragged
// until each pupil sits under the mark, Apply for the first, OK for the
// second. One undo step named after the effect; only the selection changed.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "editor/RedEyeEffect.h"
#include "imaging/ColorConversion.h"
#include "imaging/Effects.h"
#include "resources/CommandIds.h"
#include "shell/TaskPanePages.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

struct PointerGuard {
  wxPoint at = wxGetMousePosition();
  ~PointerGuard() {
    wxUIActionSimulator sim;
    sim.MouseMove(at);
    PumpUntil([this] { return wxGetMousePosition() == at; }, 1000);
  }
};

bool SameBytes(const CRasterImage& a, const CRasterImage& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBitsPerPixel() != b.GetBitsPerPixel())
    return false;
  const size_t rowBytes = static_cast<size_t>((int64_t{a.GetWidth()} * a.GetBitsPerPixel() + 7) / 8);
  for (int y = 0; y < a.GetHeight(); ++y)
    if (std::memcmp(a.GetRow(y), b.GetRow(y), rowBytes) != 0) return false;
  return true;
}

// A light face with two red pupils of radius 6 at (40, 45) and (80, 45).
CRasterImage TwoEyes() {
  CRasterImage image;
  image.Create(120, 90, 24);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) {
      uint8_t* p = image.GetWritableBits() + int64_t{y} * image.GetStride() + 3 * x;
      const bool eye = (x - 40) * (x - 40) + (y - 45) * (y - 45) <= 36 || (x - 80) * (x - 80) + (y - 45) * (y - 45) <= 36;
      p[0] = eye ? 210 : 200;  // red
      p[1] = eye ? 30 : 160;   // green
      p[2] = eye ? 40 : 120;   // blue
    }
  return image;
}

class RedEyeEffect : public ::testing::Test {
 protected:
  void MoveTo(const wxPoint& screen) {
    for (int attempt = 0; attempt < 5 && wxGetMousePosition() != screen; ++attempt) {
      sim.MouseMove(screen);
      PumpUntil([&] { return wxGetMousePosition() == screen; }, 500);
    }
    PumpFor(30);
  }
  void Drag(const wxPoint& from, const wxPoint& to) {
    PumpFor(200);
    MoveTo(from);
    sim.MouseDown();
    PumpFor(50);
    for (int step = 1; step <= 4; ++step)
      MoveTo(wxPoint(from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4));
    sim.MouseUp();
    PumpFor(80);
  }
  void Click(wxWindow* window) {
    const wxRect r = window->GetScreenRect();
    MoveTo(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
    sim.MouseClick();
    PumpFor(50);
  }
  void Key(wxWindow* window, int key) {
    window->SetFocus();
    PumpUntil([&] { return wxWindow::FindFocus() == window; }, 1000);
    sim.Char(key);
    PumpFor(30);
  }
  wxPoint Screen(int x, int y) const {
    const Point at = view->ImageToClient(Point{x, y});
    return view->GetViewWindow()->ClientToScreen(wxPoint(at.x, at.y));
  }
  CRedEyeDialog* WaitForPanel() {
    return editor_testing::WaitForEffectPanel<CRedEyeDialog>(f.frame);
  }
  bool Settled(CRedEyeDialog* panel) {
    return PumpUntil([&] { return !panel->IsPreviewPending(); }, 2000);
  }

  DocumentWindowFixture f;
  TempDir dir;
  PointerGuard pointer;
  wxUIActionSimulator sim;
  CPictoravellDoc* doc = nullptr;
  CPictoravellView* view = nullptr;
};

TEST_F(RedEyeEffect, FromTheMenuOnASelectionApplyThenOk) {
  f.frame->Move(0, 0);
  PumpFor(50);
  doc = OpenImageDocument(WriteBmp(dir, "eyes.bmp", TwoEyes()));
  ASSERT_TRUE(doc);
  view = f.ViewOf(doc);
  PumpFor(100);
  view->SetZoom(1);
  PumpFor(100);
  // The command sits in the Colors menu under its name.
  wxMenuItem* item = f.frame->GetMenuBar()->FindItem(ID_REMOVE_RED_EYE);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetItemLabelText(), "Remove Red Eye...");
  // A rectangle around both eyes: the selection floats 80 x 50 at (20, 20).
  f.frame->SelectTool(ID_TOOL_RECT_SELECT);
  Drag(Screen(20, 20), Screen(100, 70));
  CAnimFrame& frame = *doc->GetCurrentFrame();
  ASSERT_EQ(frame.m_selection.GetWidth(), 80);
  ASSERT_EQ(frame.m_selection.GetHeight(), 50);
  const CRasterImage imageBefore = frame.m_image;
  const CRasterImage selectionBefore = frame.m_selection;
  const int steps = static_cast<int>(doc->GetUndoSteps().size());

  // Enabled on an editable frame, off while the frame is busy.
  frame.m_bBusy = 1;
  EXPECT_FALSE(f.IsEnabled(ID_REMOVE_RED_EYE));
  frame.m_bBusy = 0;
  ASSERT_TRUE(f.IsEnabled(ID_REMOVE_RED_EYE));
  f.Command(ID_REMOVE_RED_EYE);
  CRedEyeDialog* panel = WaitForPanel();
  ASSERT_TRUE(panel);
  EXPECT_EQ(f.frame->GetEffectPage()->GetLabel(), "Remove Red Eye");
  EXPECT_FALSE(f.IsEnabled(ID_REMOVE_RED_EYE));  // an effect runs
  EXPECT_FALSE(f.IsEnabled(ID_EDIT_UNDO));
  // The tool works on the selection; the picture starts at its middle.
  EXPECT_TRUE(SameBytes(panel->GetTool()->GetCopy(), selectionBefore));
  CRedEyeImageCtrl* picture = panel->GetImageCtrl();
  EXPECT_EQ(picture->GetCentre(), wxPoint(40, 25));
  auto* zoomLabel = dynamic_cast<wxStaticText*>(panel->FindWindow(IDC_RED_EYE_ZOOM_LABEL));
  ASSERT_TRUE(zoomLabel);
  EXPECT_EQ(zoomLabel->GetLabel(), "Zoom factor: 100%");

  // A smaller pupil: 4 % of the picture's smaller side.
  auto* pupil = dynamic_cast<wxSlider*>(panel->FindWindow(IDC_RED_EYE_PUPIL));
  ASSERT_TRUE(pupil);
  Key(pupil, WXK_HOME);
  for (int i = 0; i < 3; ++i) Key(pupil, WXK_RIGHT);
  ASSERT_TRUE(PumpUntil([&] { return picture->GetPupil() == 4; }, 2000)) << picture->GetPupil();
  const int a = picture->GetPupilScreenSize();
  ASSERT_GE(a, 6);
  auto* pupilLabel = dynamic_cast<wxStaticText*>(panel->FindWindow(IDC_RED_EYE_PUPIL_LABEL));
  EXPECT_EQ(pupilLabel->GetLabel(), wxString::Format("Pupil size: %d pixels", 2 * a + 1));

  // Drag the picture 20 pixels right: the left eye (20, 25) comes under the mark.
  const wxRect r = picture->GetScreenRect();
  const wxPoint mid = r.GetPosition() + wxPoint(r.width / 2, r.height / 2);
  Drag(mid, mid + wxPoint(20, 0));
  ASSERT_EQ(picture->GetCentre(), wxPoint(20, 25));
  ASSERT_TRUE(Settled(panel));
  const Rect first = picture->GetPupilRect();
  const CRasterImage once = RemoveRedEye(selectionBefore, first);
  EXPECT_TRUE(SameBytes(frame.m_selection, once));
  Click(panel->FindWindow(IDC_RED_EYE_APPLY));
  EXPECT_TRUE(SameBytes(panel->Tool()->GetWorking(), once));

  // Then 40 pixels left: the right eye (60, 25); the first stays fixed.
  Drag(mid, mid - wxPoint(40, 0));
  ASSERT_EQ(picture->GetCentre(), wxPoint(60, 25));
  ASSERT_TRUE(Settled(panel));
  const CRasterImage twice = RemoveRedEye(once, picture->GetPupilRect());
  EXPECT_TRUE(SameBytes(frame.m_selection, twice));
  // Both pupils are gray now: the smallest channel everywhere in them.
  for (const int x : {20, 60}) {
    const uint8_t* p = frame.m_selection.GetRow(25) + 3 * x;
    EXPECT_TRUE(p[0] == 30 && p[1] == 30 && p[2] == 30) << x;
  }
  if (const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR"); out && *out) {
    view->SetZoom(4);
    f.frame->Refresh();
    f.frame->Update();
    PumpFor(300);
    const wxRect shot = f.frame->GetScreenRect();
    testing_support::RunCommand("import -window root -crop " + std::to_string(shot.width) + "x" +
                                std::to_string(shot.height) + "+" + std::to_string(shot.x) + "+" +
                                std::to_string(shot.y) + " " +
                                testing_support::ShellQuote(std::string(out) + "/effect-red-eye.png"));
  }

  // Dragging far past the edge stops the centre at the last pixel.
  Drag(mid, mid - wxPoint(85, 85));
  EXPECT_EQ(picture->GetCentre(), wxPoint(79, 49));
  Drag(mid, mid + wxPoint(40, 40));  // back onto the right eye
  ASSERT_EQ(picture->GetCentre(), wxPoint(39, 9));
  Drag(mid, mid - wxPoint(21, 16));
  ASSERT_EQ(picture->GetCentre(), wxPoint(60, 25));
  ASSERT_TRUE(Settled(panel));

  Click(panel->GetOkButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  EXPECT_FALSE(doc->IsToolRunning());
  ASSERT_EQ(static_cast<int>(doc->GetUndoSteps().size()), steps + 1);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Remove Red Eye");
  EXPECT_TRUE(SameBytes(doc->GetCurrentFrame()->m_selection, twice));
  // Only the selection changed: the image under it is the same bytes.
  EXPECT_TRUE(SameBytes(doc->GetCurrentFrame()->m_image, imageBefore));
  EXPECT_TRUE(doc->IsModified());
  doc->Undo();
  EXPECT_TRUE(SameBytes(doc->GetCurrentFrame()->m_selection, selectionBefore));
}

// A type 1 effect: an indexed picture is converted to full colour after Yes;
// No starts nothing.
TEST_F(RedEyeEffect, AsksToConvertAnIndexedPicture) {
  const CRasterImage indexed = ConvertTo8Colors(TwoEyes());
  ASSERT_EQ(indexed.GetBitsPerPixel(), 4);
  doc = OpenImageDocument(WriteBmp(dir, "eyes4.bmp", indexed));
  ASSERT_TRUE(doc);
  PumpFor(50);
  int asked = 0;
  bool yes = false;
  DOCUMENT_PROMPTS prompts;
  prompts.askYesNo = [&](const std::string&) {
    ++asked;
    return yes;
  };
  ScopedPrompts scoped(prompts);
  f.Command(ID_REMOVE_RED_EYE);
  PumpFor(50);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetBitsPerPixel(), 4);
  yes = true;
  f.Command(ID_REMOVE_RED_EYE);
  CRedEyeDialog* panel = WaitForPanel();
  ASSERT_TRUE(panel);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetBitsPerPixel(), 24);
  Click(panel->GetCancelButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetBitsPerPixel(), 4);
  EXPECT_FALSE(doc->CanUndo());
}

}  // namespace
