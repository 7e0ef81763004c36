// The fill commands from the keyboard and the menu: Define Pattern takes the
// floating selection as the pattern without a step, Use Pattern (Shift+F3),
// Use Color (F3, through the colour picker) and Background (Ctrl+B) each make
// one named step that Undo takes back, and Discard Pattern turns Use Pattern
// off again.

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <string>

#include "editor/ColorPickerDialog.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "imaging/ImageFill.h"
#include "resources/CommandIds.h"
#include "shell/ColorChooser.h"
#include "shell/ModalDialog.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

std::string UndoLabelOf(CPictoravellDoc& doc) {
  std::string label;
  doc.GetUndoLabel(label);
  return label;
}

TEST(FillCommands, PatternColourAndBackgroundFromKeysAndMenu) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "fill.bmp", SolidImage(6, 4, 10, 20, 30)));
  ASSERT_NE(doc, nullptr);
  for (int id : {ID_FILL_COLOR, ID_FILL_PATTERN, ID_FILL_BACKGROUND, ID_DEFINE_PATTERN, ID_DISCARD_PATTERN})
    EXPECT_NE(f.frame->GetMenuBar()->FindItem(id), nullptr) << id;
  DiscardPattern();
  // A floating selection: a red and blue 2 x 1 pattern at 1, 1.
  CAnimFrame frame = *doc->GetCurrentFrame();
  CRasterImage selection = SolidImage(2, 1, 255, 0, 0);
  selection.GetWritableBits()[3] = 0;
  selection.GetWritableBits()[5] = 255;
  frame.m_selection = selection;
  frame.m_rcSelection = Rect{1, 1, 3, 2};
  doc->SetFrames(6, 4, {frame}, 0);
  doc->Modify(false);
  EXPECT_FALSE(f.IsEnabled(ID_FILL_PATTERN));
  EXPECT_FALSE(f.IsEnabled(ID_DISCARD_PATTERN));

  // Define Pattern: no step, not modified.
  const int start = doc->GetUndoPosition();
  ASSERT_TRUE(f.IsEnabled(ID_DEFINE_PATTERN));
  f.Command(ID_DEFINE_PATTERN);
  EXPECT_TRUE(HasPattern());
  EXPECT_EQ(doc->GetUndoPosition(), start);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(f.IsEnabled(ID_DISCARD_PATTERN));
  EXPECT_TRUE(f.IsEnabled(ID_FILL_PATTERN));

  wxWindow* view = f.ViewOf(doc)->GetViewWindow();
  view->SetFocus();
  wxUIActionSimulator sim;
  sim.MouseMove(view->GetScreenRect().GetPosition() + wxPoint(view->GetSize().x / 2, view->GetSize().y / 2));
  PumpFor(50);

  // Shift+F3: the pattern fills the selection (a 1-pixel shift: the pattern
  // is tiled from the canvas origin and the selection starts at x = 1).
  sim.Char(WXK_F3, wxMOD_SHIFT);
  ASSERT_TRUE(PumpUntil([&] { return doc->GetUndoPosition() == start + 1; }, 3000));
  EXPECT_EQ(UndoLabelOf(*doc), "Fill With Pattern");
  EXPECT_TRUE(doc->IsModified());
  const uint8_t* row = doc->GetCurrentFrame()->m_selection.GetRow(0);
  EXPECT_EQ(row[0], 0);    // canvas x = 1: the pattern's blue column
  EXPECT_EQ(row[2], 255);
  EXPECT_EQ(row[3], 255);  // canvas x = 2: red
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(doc->GetCurrentFrame()->m_selection.GetRow(0)[0], 255);
  EXPECT_FALSE(doc->IsModified());

  // F3: the colour picker, answered through its Advanced... colour dialog.
  {
    CColorChooserOverride chooser([](wxWindow*, RGBQUAD& c) {
      c = RGBQUAD{7, 8, 9, 0};
      return true;
    });
    CModalDialogHook hook([&](wxDialog& d) {
      EXPECT_EQ(d.GetId(), IDD_COLOR_PICKER);
      wxCommandEvent advanced(wxEVT_BUTTON, IDC_PICKER_ADVANCED);
      advanced.SetEventObject(d.FindWindow(IDC_PICKER_ADVANCED));
      d.FindWindow(IDC_PICKER_ADVANCED)->GetEventHandler()->ProcessEvent(advanced);
      return wxID_OK;
    });
    sim.Char(WXK_F3);
    ASSERT_TRUE(PumpUntil([&] { return doc->GetUndoPosition() == start + 1; }, 3000));
  }
  EXPECT_EQ(UndoLabelOf(*doc), "Fill With Color");
  row = doc->GetCurrentFrame()->m_selection.GetRow(0);
  EXPECT_EQ(row[0], 9);
  EXPECT_EQ(row[1], 8);
  EXPECT_EQ(row[5], 7);
  f.Command(ID_EDIT_UNDO);

  // Ctrl+B: the whole content floats over a canvas of the fill colour.
  sim.Char('B', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return doc->GetUndoPosition() == start + 1; }, 3000));
  EXPECT_EQ(UndoLabelOf(*doc), "Add Background Fill");
  const CAnimFrame& filled = *doc->GetCurrentFrame();
  EXPECT_EQ(filled.m_image.GetWidth(), 6);
  EXPECT_EQ(filled.m_image.GetHeight(), 4);
  EXPECT_EQ(filled.m_selection.GetWidth(), 6);
  EXPECT_EQ(filled.m_selection.GetRow(0)[0], 10);
  const RGBQUAD background = CPictoravellDoc::GetBackgroundColor();
  EXPECT_EQ(filled.m_image.GetRow(3)[15], background.rgbRed);
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(doc->GetCurrentFrame()->m_selection.GetWidth(), 2);

  // Discard Pattern from the menu: Use Pattern is off again.
  f.Command(ID_DISCARD_PATTERN);
  EXPECT_FALSE(HasPattern());
  EXPECT_FALSE(f.IsEnabled(ID_FILL_PATTERN));
  EXPECT_FALSE(f.IsEnabled(ID_DISCARD_PATTERN));
}

}  // namespace
