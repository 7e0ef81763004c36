// The clipboard commands through the main window: Copy of a document from
// the menu and from its key, Empty Clipboard by its rule, and in Browse and
// print preview Copy, Cut and Paste go to that mode's view, never to the
// image document hidden behind it.

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include "editor/ChildFrame.h"
#include "formats/ImageFile.h"
#include "resources/CommandIds.h"
#include "shell/ImageClipboard.h"
#include "shell/StandInViews.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

TEST(ClipboardCommands, CopyFromMenuAndKeyAndEmptyByItsRule) {
  DocumentWindowFixture f;
  TempDir dir;
  EmptyOwnClipboard();
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "c.bmp", SolidImage(12, 7, 10, 20, 30)));
  ASSERT_TRUE(doc);
  PumpFor(30);
  EXPECT_TRUE(f.IsEnabled(ID_EDIT_COPY));
  f.Command(ID_EDIT_COPY);
  ASSERT_TRUE(OwnsClipboardImage());
  EXPECT_EQ(GetOwnClipboardImage().GetWidth(), 12);
  EXPECT_TRUE(f.IsEnabled(ID_EMPTY_CLIPBOARD));
  EXPECT_TRUE(IsClipboardImageCached());  // what New From Clipboard's rule reads
  f.Command(ID_EMPTY_CLIPBOARD);
  EXPECT_FALSE(OwnsClipboardImage());
  EXPECT_FALSE(f.IsEnabled(ID_EMPTY_CLIPBOARD));
  // Ctrl+C typed on the view, as a user copies.
  EXPECT_EQ(f.frame->GetAcceleratorCommand(wxACCEL_CTRL, 'C'), ID_EDIT_COPY);
  f.ViewOf(doc)->GetViewWindow()->SetFocus();
  PumpFor(30);
  wxUIActionSimulator sim;
  sim.Char('c', wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([] { return OwnsClipboardImage(); }));
  EXPECT_EQ(GetOwnClipboardImage().GetHeight(), 7);
  EmptyOwnClipboard();
}

TEST(ClipboardCommands, InBrowseAndPreviewTheModesViewTakesThem) {
  DocumentWindowFixture f;
  TempDir dir;
  EmptyOwnClipboard();
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "h.bmp", SolidImage(9, 9, 1, 2, 3)));
  ASSERT_TRUE(doc);
  PumpFor(30);
  ASSERT_TRUE(f.IsEnabled(ID_EDIT_COPY));  // the document's, in View and Edit
  // Browse: the browse view has none of them here, and the hidden document
  // does not get them either.
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  for (const int id : {ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE}) {
    EXPECT_FALSE(f.IsEnabled(id)) << id;
    f.Command(id);
  }
  EXPECT_FALSE(OwnsClipboardImage());
  // Print preview: its view's handlers run, the document's do not.
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  ASSERT_TRUE(f.frame->SetMode(MODE_PRINT_PREVIEW));
  std::vector<int> taken;
  for (const int id : {ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE}) {
    f.frame->GetPreviewView()->Bind(wxEVT_MENU, [&taken](wxCommandEvent& e) { taken.push_back(e.GetId()); }, id);
    f.frame->GetPreviewView()->Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) { e.Enable(true); }, id);
  }
  for (const int id : {ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE}) {
    EXPECT_TRUE(f.IsEnabled(id)) << id;
    f.Command(id);
  }
  EXPECT_EQ(taken, (std::vector<int>{ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE}));
  EXPECT_FALSE(OwnsClipboardImage());
  // Back in View and Edit the document copies again.
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  f.Command(ID_EDIT_COPY);
  EXPECT_TRUE(OwnsClipboardImage());
  EmptyOwnClipboard();
}

}  // namespace
