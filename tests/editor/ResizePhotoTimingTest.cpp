// A 24-megapixel photograph (6000 x 4000, 24-bit) resized from the menu
// with the Bicubic method, then Undo and Redo from the menu, each with the
// view's repaint. Prints the three times; the undo step keeps no more than
// the frame it replaced (shared, never copied). The bound checked is loose
// (other work may share the machine); bench/FrameEditBench.cpp times the
// same road without windows.

#include <gtest/gtest.h>
#include <wx/radiobut.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>

#include <cstdio>

#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "editor/ResizeDialog.h"
#include "editor/model/UndoStep.h"
#include "resources/CommandIds.h"
#include "shell/ModalDialog.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::TempDir;

TEST(ResizePhoto, TwentyFourMegapixelsFromTheMenuThenUndoAndRedo) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "p.bmp", SolidImage(8, 8, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  const CRasterImage photo = testing_support::MakeTestPicture(6000, 4000);
  doc->SetFrames(6000, 4000, {MakeFrame(photo)}, 0);
  CPictoravellView* view = f.ViewOf(doc);
  view->BestFit();
  PumpFor(100);
  wxWindow* window = view->GetViewWindow();

  CModalDialogHook hook([&](wxDialog& d) -> int {
    dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_RESIZE_WIDTH))->SetValue("4000");
    auto* bicubic = dynamic_cast<wxRadioButton*>(d.FindWindow(IDC_RESIZE_BICUBIC));
    bicubic->SetValue(true);
    wxCommandEvent pick(wxEVT_RADIOBUTTON, IDC_RESIZE_BICUBIC);
    pick.SetEventObject(bicubic);
    bicubic->ProcessWindowEvent(pick);
    return wxID_OK;
  });
  wxStopWatch watch;
  f.Command(ID_RESIZE_IMAGE);
  window->Update();
  const long resize = watch.Time();
  ASSERT_EQ(doc->GetCurrentFrame()->m_image.GetWidth(), 4000);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetHeight(), 2666);
  ASSERT_EQ(doc->GetUndoSteps().size(), 1u);
  // The step keeps the replaced frame's pixels, shared with the photograph.
  const CUndoStep& step = doc->GetUndoSteps()[0];
  EXPECT_TRUE(step.m_frames[0].m_image.SharesPixelsWith(photo));
  EXPECT_LE(step.GetOwnBytes(doc->GetFrames()), GetImageBytes(photo));

  watch.Start();
  f.Command(ID_EDIT_UNDO);
  window->Update();
  const long undo = watch.Time();
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetWidth(), 6000);
  watch.Start();
  f.Command(ID_EDIT_REDO);
  window->Update();
  const long redo = watch.Time();
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetWidth(), 4000);
  std::printf("24 MP from the menu: resize (Bicubic) %ld ms, undo %ld ms, redo %ld ms\n", resize, undo, redo);
  RecordProperty("resize_ms", static_cast<int>(resize));
  RecordProperty("undo_ms", static_cast<int>(undo));
  RecordProperty("redo_ms", static_cast<int>(redo));
  EXPECT_LT(resize, 5000);
  EXPECT_LT(undo, 5000);
  EXPECT_LT(redo, 5000);
}

}  // namespace
