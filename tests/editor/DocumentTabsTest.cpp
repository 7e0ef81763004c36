// The document area shows its documents as tabs: the frame's title names the
// shown one, Ctrl+Tab, Ctrl+F6 and Ctrl+PgUp/PgDn typed on the X display
// switch among them, the shown view takes the keyboard focus (also after a
// close), and a tab carries the file name with the modified mark.

#include <gtest/gtest.h>
#include <wx/aui/auibook.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <string>

#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "resources/CommandIds.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

// A key typed on the X display with the pointer over the window.
void Type(wxWindow* over, int key, int modifiers) {
  wxUIActionSimulator sim;
  sim.MouseMove(over->GetScreenRect().GetPosition() + wxPoint(over->GetSize().x / 2, over->GetSize().y / 2));
  PumpFor(30);
  sim.Char(key, modifiers);
}

std::string TabText(CMainFrame* frame, int index) {
  return frame->GetDocumentTabs()->GetPageText(static_cast<size_t>(index)).utf8_string();
}

TEST(DocumentTabs, ThreeDocumentsAsTabsSwitchedByTheKeyboard) {
  DocumentWindowFixture f;
  f.frame->SetSize(1000, 700);
  TempDir dir;
  CPictoravellDoc* docs[3];
  const char* names[] = {"harbour.bmp", "meadow.bmp", "sunset.bmp"};
  const uint8_t colours[3][3] = {{30, 90, 200}, {40, 170, 60}, {230, 120, 40}};
  for (int i = 0; i < 3; ++i) {
    docs[i] = OpenImageDocument(WriteBmp(dir, names[i], SolidImage(320, 200, colours[i][0], colours[i][1], colours[i][2])));
    ASSERT_TRUE(docs[i]);
  }
  PumpFor(100);
  ASSERT_EQ(f.frame->GetDocumentWindowCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(TabText(f.frame, i), names[i]);
  // The last opened is shown, named in the title, active and focused.
  EXPECT_EQ(f.frame->GetDocumentTabs()->GetSelection(), 2);
  EXPECT_EQ(f.frame->GetTitle(), "Pictoravell - sunset.bmp");
  EXPECT_EQ(f.frame->GetActiveDocument(), docs[2]);
  EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == f.ViewOf(docs[2])->GetViewWindow(); }, 1000));

  if (const char* shots = std::getenv("PICTORAVELL_SCREENSHOT_DIR"); shots && *shots) {
    f.frame->Raise();
    PumpFor(300);
    const wxRect r = f.frame->GetScreenRect();
    testing_support::RunCommand("import -window root -crop " + std::to_string(r.width) + "x" +
                                std::to_string(r.height) + "+" + std::to_string(r.x) + "+" + std::to_string(r.y) +
                                " " + testing_support::ShellQuote(std::string(shots) + "/tabs-three-documents.png"));
  }

  wxWindow* over = f.ViewOf(docs[2])->GetViewWindow();
  const struct {
    int key, modifiers, shown;
  } steps[] = {
      {WXK_TAB, wxMOD_CONTROL, 0},                    // round to the first
      {WXK_TAB, wxMOD_CONTROL, 1},
      {WXK_TAB, wxMOD_CONTROL | wxMOD_SHIFT, 0},      // back
      {WXK_PAGEUP, wxMOD_CONTROL, 2},                 // back, round
      {WXK_PAGEDOWN, wxMOD_CONTROL, 0},
      {WXK_F6, wxMOD_CONTROL, 1},
  };
  for (const auto& s : steps) {
    Type(over, s.key, s.modifiers);
    EXPECT_TRUE(PumpUntil([&] { return f.frame->GetDocumentTabs()->GetSelection() == s.shown; }, 2000))
        << s.key << " " << s.modifiers << " shows " << f.frame->GetDocumentTabs()->GetSelection();
    EXPECT_EQ(f.frame->GetTitle(), std::string("Pictoravell - ") + names[s.shown]);
    EXPECT_EQ(f.frame->GetActiveDocument(), docs[s.shown]);
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == f.ViewOf(docs[s.shown])->GetViewWindow(); }, 1000));
    over = f.ViewOf(docs[s.shown])->GetViewWindow();
  }

  // A change marks the tab; the title names the document.
  docs[1]->Modify(true);
  EXPECT_EQ(TabText(f.frame, 1), "meadow.bmp *");
  EXPECT_EQ(f.frame->GetTitle(), "Pictoravell - meadow.bmp");
  docs[1]->Modify(false);
  EXPECT_EQ(TabText(f.frame, 1), "meadow.bmp");

  // Ctrl+W closes the shown document; the view shown then has the keys at
  // once: Ctrl+= zooms it without a click.
  Type(over, 'W', wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return f.frame->GetDocumentWindowCount() == 2; }, 2000));
  const int shown = f.frame->GetDocumentTabs()->GetSelection();
  ASSERT_NE(shown, wxNOT_FOUND);
  CPictoravellDoc* now = shown == 0 ? docs[0] : docs[2];
  EXPECT_EQ(f.frame->GetTitle(), std::string("Pictoravell - ") + (shown == 0 ? names[0] : names[2]));
  CPictoravellView* view = f.ViewOf(now);
  EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == view->GetViewWindow(); }, 1000));
  const int zoom = view->GetZoom();
  Type(view->GetViewWindow(), '=', wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return view->GetZoom() != zoom; }, 2000));

  // With the last one gone the title is the program's name again.
  f.Command(ID_CLOSE_ALL);
  f.manager->CloseDocuments(false);
  EXPECT_TRUE(PumpUntil([&] { return f.frame->GetDocumentWindowCount() == 0; }, 2000));
  EXPECT_EQ(f.frame->GetTitle(), "Pictoravell");
}

// The close button of a tab closes its document as File Close does.
TEST(DocumentTabs, TheTabCloseButtonClosesTheDocument) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* a = OpenImageDocument(WriteBmp(dir, "a.bmp", SolidImage(40, 30, 1, 2, 3)));
  CPictoravellDoc* b = OpenImageDocument(WriteBmp(dir, "b.bmp", SolidImage(40, 30, 1, 2, 3)));
  ASSERT_TRUE(a && b);
  wxAuiNotebookEvent close(wxEVT_AUINOTEBOOK_PAGE_CLOSE, f.frame->GetDocumentTabs()->GetId());
  close.SetSelection(0);
  close.SetEventObject(f.frame->GetDocumentTabs());
  f.frame->GetDocumentTabs()->GetEventHandler()->ProcessEvent(close);
  EXPECT_FALSE(close.IsAllowed());  // the frame closes it itself
  EXPECT_TRUE(PumpUntil([&] { return f.frame->GetDocumentWindowCount() == 1; }, 2000));
  EXPECT_EQ(TabText(f.frame, 0), "b.bmp");
  EXPECT_EQ(f.frame->GetTitle(), "Pictoravell - b.bmp");
}

}  // namespace
