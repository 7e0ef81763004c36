// A 24-megapixel photograph (6000 x 4000, 24-bit) resized from the menu
// with the Bicubic method, then Undo and Redo from the menu, each with the
// view's repaint: the undo step keeps no more than the frame it replaced
// (shared, never copied). bench/FrameEditBench.cpp times the same road.

#include <gtest/gtest.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

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
  f.Command(ID_RESIZE_IMAGE);
  window->Update();
  ASSERT_EQ(doc->GetCurrentFrame()->m_image.GetWidth(), 4000);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetHeight(), 2666);
  ASSERT_EQ(doc->GetUndoSteps().size(), 1u);
  // The step keeps the replaced frame's pixels, shared with the photograph.
  const CUndoStep& step = doc->GetUndoSteps()[0];
  EXPECT_TRUE(step.m_frames[0].m_image.SharesPixelsWith(photo));
  EXPECT_LE(step.GetOwnBytes(doc->GetFrames()), GetImageBytes(photo));

  f.Command(ID_EDIT_UNDO);
  window->Update();
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetWidth(), 6000);
  f.Command(ID_EDIT_REDO);
  window->Update();
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetWidth(), 4000);
}

}  // namespace
