// The task-pane pages over real documents: the Documents list (rows, hover,
// the close glyph asking about changes and closing the right document), the
// Animation page (shown only with several frames; dragging frames is one
// undo step), the Effect and Folders host slots, and a screenshot of the main
// window with a 40-frame animation.

#include <gtest/gtest.h>
#include <wx/stattext.h>
#include <wx/tooltip.h>
#include <wx/treectrl.h>

#include <string>
#include <vector>

#include "editor/ChildFrame.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "resources/CommandIds.h"
#include "shell/ColorChooser.h"
#include "shell/CommandToolBar.h"
#include "shell/FlatToolBar.h"
#include "shell/FrameListCtrl.h"
#include "shell/ModeTabBar.h"
#include "shell/TaskPane.h"
#include "shell/TaskPanePages.h"
#include "shell/UiTheme.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/shell/PaintTestSupport.h"
#include "tests/support/WxDialogScript.h"

namespace {

using editor_testing::WriteBmp;

using editor_testing::DocumentWindowFixture;
using editor_testing::MakeFrame;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

// Makes a document an animation of count frames of a 160 x 120 canvas.
void MakeAnimation(CPictoravellDoc* doc, int count) {
  std::vector<CAnimFrame> frames;
  for (int i = 0; i < count; ++i) {
    CAnimFrame f = MakeFrame(testing_support::MakeTestPicture(160 - 2 * i, 120 - i, static_cast<unsigned>(i + 3)), i,
                             i / 2, i % 4);
    f.m_nDelay = static_cast<uint16_t>(5 + 5 * (i % 7));
    f.m_bExpanded = i % 3 == 0 ? 1 : 0;
    frames.push_back(std::move(f));
  }
  doc->SetFrames(160, 120, std::move(frames), 0);
  doc->UpdateThumbnail();
  doc->UpdateViews(HINT_ERASE);
}

void Settle(CMainFrame* frame) {
  CTaskPaneBar* bar = frame->GetTaskPane();
  for (int i = 0; i < 40 && bar->IsTimerRunning(); ++i) bar->AnimationStep();
}

struct Docs {
  Docs(DocumentWindowFixture& f, int count) {
    for (int i = 0; i < count; ++i) {
      auto* doc = OpenImageDocument(WriteBmp(dir, "doc" + std::to_string(i) + ".bmp",
                                             testing_support::MakeTestPicture(60 + 10 * i, 40, i + 1)));
      EXPECT_TRUE(doc);
      docs.push_back(doc);
    }
    PumpFor(30);
    Settle(f.frame);
  }
  TempDir dir;
  std::vector<CPictoravellDoc*> docs;
};

TEST(DocumentsPage, RowsFollowTheDocumentsAndTheActiveOne) {
  CFixedUiTheme theme;
  DocumentWindowFixture f;
  CDocumentsPage* page = f.frame->GetDocumentsPage();
  CDocumentListCtrl* list = page->GetList();
  EXPECT_EQ(list->GetRowCount(), 0);
  Docs d(f, 1);
  ASSERT_EQ(list->GetRowCount(), 1);
  const int rh = list->GetRowHeight();
  EXPECT_GE(rh, 36);
  // With one document the collapsed and expanded heights agree.
  EXPECT_EQ(page->GetCollapsedHeight(), 82 + rh);
  EXPECT_EQ(page->GetExpandedHeight(), 82 + rh);
  Docs more(f, 2);
  ASSERT_EQ(list->GetRowCount(), 3);
  EXPECT_EQ(list->GetActiveRow(), 2);  // the last opened is active
  EXPECT_EQ(page->GetExpandedHeight(), 3 * rh + 28 + 48 + 6);
  f.frame->ActivateDocument(d.docs[0]);
  PumpFor(20);
  EXPECT_EQ(list->GetActiveRow(), 0);
  // A click on a row activates its document.
  list->MouseDown(list->GetRowRect(1).GetPosition() + wxPoint(50, 5));
  list->MouseUp(list->GetRowRect(1).GetPosition() + wxPoint(50, 5));
  PumpFor(20);
  EXPECT_EQ(f.frame->GetActiveDocument(), more.docs[0]);
  EXPECT_EQ(list->GetActiveRow(), 1);
  // Print mode: no colour area, no close glyphs.
  page->SetPrintMode(true);
  EXPECT_FALSE(list->IsClosable());
  EXPECT_EQ(page->GetColorAreaRect(), wxRect());
  EXPECT_EQ(page->GetExpandedHeight(), 3 * rh + 28 + 10);
  page->SetPrintMode(false);
  EXPECT_TRUE(list->IsClosable());
}

TEST(DocumentsPage, HoverFadesInAndOut) {
  CFixedUiTheme theme;
  DocumentWindowFixture f;
  Docs d(f, 2);
  CDocumentListCtrl* list = f.frame->GetDocumentsPage()->GetList();
  list->MouseMove(list->GetRowRect(0).GetPosition() + wxPoint(20, 5));
  EXPECT_TRUE(list->IsHoverTimerRunning());
  EXPECT_TRUE(PumpUntil([&] { return list->GetHoverLevel(0) == CDocumentListCtrl::kHoverMax; }));
  EXPECT_EQ(list->GetHoverLevel(1), 0);
  EXPECT_TRUE(PumpUntil([&] { return !list->IsHoverTimerRunning(); }));
  // The close glyph is visible on the hovered, inactive row.
  const wxImage image = RenderToImage(*list);
  paint_testing::SaveForLooking(image, "documents_list_hover.png");
  const wxRect close = list->GetCloseRect(0);
  const wxColour fill = paint_testing::PixelAt(image, close.x - 6, close.y + 6);
  EXPECT_NE(paint_testing::PixelAt(image, close.x + 2, close.y + 2), fill);
  list->MouseLeave();
  EXPECT_TRUE(PumpUntil([&] { return list->GetHoverLevel(0) == 0 && !list->IsHoverTimerRunning(); }));
}

TEST(DocumentsPage, TheCloseGlyphAsksAboutChangesAndClosesTheRightDocument) {
  DocumentWindowFixture f;
  Docs d(f, 4);
  CDocumentListCtrl* list = f.frame->GetDocumentsPage()->GetList();
  auto click = [&](int row) {
    const wxPoint at = list->GetCloseRect(row).GetPosition() + wxPoint(5, 5);
    list->MouseDown(at);
    list->MouseUp(at);
  };
  // A modified document asks; Cancel keeps it and its row.
  d.docs[1]->Modify(true);
  {
    testing_support::DialogScript script;
    script.Answer(wxID_CANCEL);
    click(1);
  }
  EXPECT_EQ(list->GetRowCount(), 4);
  EXPECT_EQ(list->GetDocument(1), d.docs[1]);
  // No: the document closes unsaved, and the one now at its place is active.
  {
    testing_support::DialogScript script;
    script.Answer(wxID_NO);
    click(1);
  }
  PumpFor(20);
  ASSERT_EQ(list->GetRowCount(), 3);
  EXPECT_EQ(list->GetDocument(1), d.docs[2]);
  EXPECT_EQ(f.frame->GetActiveDocument(), d.docs[2]);
  // Rows shift while the button is down: the pressed document closes, no other.
  const wxPoint onLast = list->GetCloseRect(2).GetPosition() + wxPoint(5, 5);
  list->MouseDown(onLast);  // d.docs[3]
  d.docs[0]->Modify(false);
  f.manager->CloseDocument(d.docs[0], true);  // row 0 goes: d.docs[3] moves up to row 1
  PumpFor(20);
  ASSERT_EQ(list->GetRowCount(), 2);
  list->MouseUp(list->GetCloseRect(1).GetPosition() + wxPoint(5, 5));
  PumpFor(20);
  ASSERT_EQ(list->GetRowCount(), 1);
  EXPECT_EQ(list->GetDocument(0), d.docs[2]);
  // A busy document beeps and stays.
  {
    CFrameBusyGuard busy(d.docs[2], 0);
    click(0);
  }
  EXPECT_EQ(list->GetRowCount(), 1);
  // The last one closes; the list is empty and the fill button beeps.
  click(0);
  PumpFor(20);
  EXPECT_EQ(list->GetRowCount(), 0);
  CDocumentsPage* page = f.frame->GetDocumentsPage();
  page->PageMouseDown(page->GetFillButtonHitRect().GetPosition() + wxPoint(3, 3));
  EXPECT_FALSE(page->IsFillButtonPressed());
}

TEST(AnimationPage, ShownOnlyWithSeveralFramesWithItsToolbarAndFrames) {
  CFixedUiTheme theme;
  DocumentWindowFixture f;
  Docs d(f, 1);
  CAnimationPage* page = f.frame->GetAnimationPage();
  EXPECT_EQ(page->GetDocument(), d.docs[0]);
  EXPECT_FALSE(page->IsPageShown());
  page->ShowPage(true);  // one frame: never shown
  EXPECT_FALSE(page->IsPageShown());
  MakeAnimation(d.docs[0], 40);
  EXPECT_TRUE(page->IsPageShown());
  CFrameListCtrl* list = page->GetFrameList();
  EXPECT_EQ(list->GetModel().GetFrameCount(), 40);
  EXPECT_EQ(page->GetCollapsedHeight(), 62);
  EXPECT_EQ(page->GetExpandedHeight(), 62 + list->GetContentHeight());
  CCommandToolBar* toolbar = page->GetToolBar();
  ASSERT_EQ(toolbar->GetButtonCount(), 6);
  EXPECT_EQ(toolbar->GetButtonCommand(0), ID_PLAY);
  EXPECT_EQ(toolbar->GetButtonCommand(1), ID_STOP);
  EXPECT_EQ(toolbar->GetButtonCommand(5), ID_FRAME_PROPERTIES);
  // Collapsing keeps the header and toolbar.
  Settle(f.frame);
  page->Toggle();
  Settle(f.frame);
  EXPECT_EQ(page->GetHeight(), 62);
  page->Toggle();
  Settle(f.frame);
  EXPECT_GT(page->GetHeight(), 62);
  // Browse hides it; back in View and Edit it returns.
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  EXPECT_FALSE(page->IsPageShown());
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
  EXPECT_TRUE(page->IsPageShown());
}

TEST(AnimationPage, EveryToolbarButtonFitsThePaneAtItsDefaultWidthWithAPictureTooltipAndHelp) {
  CFixedUiTheme theme;
  DocumentWindowFixture f;
  Docs d(f, 1);
  MakeAnimation(d.docs[0], 6);
  Settle(f.frame);
  CTaskPaneBar* bar = f.frame->GetTaskPane();
  ASSERT_EQ(bar->GetBarWidth(), kTaskPaneDefaultWidth);
  CAnimationPage* page = f.frame->GetAnimationPage();
  ASSERT_TRUE(page->IsPageShown());
  CCommandToolBar* toolbar = page->GetToolBar();
  ASSERT_TRUE(toolbar->IsShownOnScreen());
  toolbar->UpdateButtons();
  ASSERT_EQ(toolbar->GetButtonCount(), 6);
  EXPECT_TRUE(toolbar->IsButtonEnabled(0));   // Play
  EXPECT_FALSE(toolbar->IsButtonEnabled(1));  // Stop: nothing plays
  // The part of the page that shows: the page inside the task pane.
  const wxRect visible = page->GetScreenRect().Intersect(bar->GetScreenRect());
  const wxImage shot = paint_testing::CaptureWindow(toolbar);
  paint_testing::SaveForLooking(shot, "animation_toolbar.png");
  const wxColour face = ThemeColour(wxSYS_COLOUR_BTNFACE);
  const std::vector<std::string> tips{"Play", "Stop", "Step Backward", "Step Forward", "", "Animation Properties"};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const wxRect r = toolbar->GetButtonRect(i);
    ASSERT_FALSE(r.IsEmpty());
    EXPECT_GE(r.x, 0);
    EXPECT_LE(r.GetRight(), toolbar->GetClientSize().x - 1);
    const wxRect onScreen(toolbar->ClientToScreen(r.GetPosition()), r.GetSize());
    EXPECT_TRUE(visible.Contains(onScreen)) << onScreen.x << "," << onScreen.GetRight() << " in " << visible.x
                                            << "," << visible.GetRight();
    if (toolbar->GetButtonCommand(i) == 0) continue;
    EXPECT_EQ(toolbar->GetButtonText(i), tips[static_cast<std::size_t>(i)]);
    EXPECT_FALSE(toolbar->GetButtonHelp(i).empty());
    // A picture with opaque pixels, drawn in the button (greyed when disabled).
    const wxImage image = toolbar->GetButtonImage(i);
    ASSERT_TRUE(image.IsOk());
    EXPECT_EQ(image.GetWidth(), toolbar->GetImageSize());
    int opaque = 0;
    for (int p = 0; p < image.GetWidth() * image.GetHeight(); ++p)
      if (image.GetAlpha()[p] > 0) ++opaque;
    EXPECT_GT(opaque, 20);
    const wxRect inside(r.x + 1, r.y + 1, r.width - 2, r.height - 2);
    const int drawn = inside.width * inside.height - paint_testing::CountColour(shot, inside, face);
    EXPECT_GT(drawn, 20);
    const wxImage grey = toolbar->GetButtonImage(i, true);
    int coloured = 0;
    for (int y = 0; y < grey.GetHeight(); ++y)
      for (int x = 0; x < grey.GetWidth(); ++x)
        if (grey.GetRed(x, y) != grey.GetGreen(x, y) || grey.GetGreen(x, y) != grey.GetBlue(x, y)) ++coloured;
    EXPECT_EQ(coloured, 0);
  }
  // Stop is disabled: its button shows the grey picture, no colour.
  const wxRect stop = toolbar->GetButtonRect(1);
  int colouredStop = 0;
  for (int y = stop.y + 1; y < stop.GetBottom(); ++y)
    for (int x = stop.x + 1; x < stop.GetRight(); ++x) {
      const wxColour c = paint_testing::PixelAt(shot, x, y);
      if (c != face && (c.Red() != c.Green() || c.Green() != c.Blue())) ++colouredStop;
    }
  EXPECT_EQ(colouredStop, 0);
  // Tooltip and status-bar help follow the mouse.
  f.frame->SetStatusText("Ready");
  auto mouse = [&](wxEventType type, const wxPoint& at) {
    wxMouseEvent event(type);
    event.SetPosition(at);
    event.SetEventObject(toolbar);
    toolbar->GetEventHandler()->ProcessEvent(event);
  };
  const wxRect props = toolbar->GetButtonRect(5);
  mouse(wxEVT_MOTION, props.GetPosition() + wxPoint(props.width / 2, props.height / 2));
  ASSERT_TRUE(toolbar->GetToolTip());
  EXPECT_EQ(toolbar->GetToolTip()->GetTip(), "Animation Properties");
  EXPECT_EQ(f.frame->GetStatusBar()->GetStatusText(), wxString::FromUTF8(toolbar->GetButtonHelp(5)));
  mouse(wxEVT_LEAVE_WINDOW, wxPoint(-1, -1));
  EXPECT_FALSE(toolbar->GetToolTip());
  EXPECT_EQ(f.frame->GetStatusBar()->GetStatusText(), "Ready");
}

TEST(AnimationPage, DraggingFramesIsOneUndoStepAndDoubleClickShowsAFrame) {
  DocumentWindowFixture f;
  Docs d(f, 1);
  CPictoravellDoc* doc = d.docs[0];
  MakeAnimation(doc, 6);
  for (auto& frame : doc->GetFrames()) frame.m_bExpanded = 0;
  CAnimationPage* page = f.frame->GetAnimationPage();
  page->RefreshFrames();
  Settle(f.frame);
  CFrameListCtrl* list = page->GetFrameList();
  const int rh = list->GetModel().GetRowHeight();
  const uint16_t firstDelay = doc->GetFrames()[0].m_nDelay;
  const auto undoBefore = doc->GetUndoSteps().size();
  // Frame 0 dragged below frame 2.
  list->MouseDown(wxPoint(60, rh / 2), false, false);
  list->MouseMove(wxPoint(60, 2 * rh + rh - 2));
  list->MouseUp(wxPoint(60, 2 * rh + rh - 2), false, false);
  EXPECT_EQ(doc->GetUndoSteps().size(), undoBefore + 1);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Move Frames");
  EXPECT_EQ(doc->GetFrames()[2].m_nDelay, firstDelay);
  EXPECT_TRUE(doc->IsModified());
  // Double-click: that frame becomes the current one.
  list->MouseDoubleClick(wxPoint(60, 4 * rh + 2));
  EXPECT_EQ(doc->GetCurrentFrameIndex(), 4);
  // Closing the document clears the page.
  doc->Modify(false);
  f.manager->CloseDocument(doc, true);
  PumpFor(20);
  EXPECT_EQ(page->GetDocument(), nullptr);
  EXPECT_FALSE(page->IsPageShown());
}

TEST(HostPages, EffectAndFoldersHoldTheirChildren) {
  DocumentWindowFixture f;
  CEffectPage* effect = f.frame->GetEffectPage();
  effect->CloseEffect();  // nothing open: nothing happens
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  ASSERT_TRUE(f.frame->EnterEffectMode("Blur"));
  auto* panel = new wxPanel(effect, wxID_ANY, wxDefaultPosition, wxSize(180, 120));
  new wxStaticText(panel, wxID_ANY, "Radius");
  bool closed = false;
  effect->SetEffect("Blur", panel, [&] {
    closed = true;
    f.frame->LeaveEffectMode();
  });
  EXPECT_TRUE(effect->IsPageShown());
  EXPECT_EQ(effect->GetLabel(), "Blur");
  EXPECT_EQ(effect->GetExpandedHeight(), 28 + 120 + 2);
  Settle(f.frame);
  EXPECT_EQ(effect->GetHeight(), 150);
  EXPECT_EQ(panel->GetPosition().y, 29);
  effect->CloseEffect();
  EXPECT_TRUE(closed);
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  EXPECT_FALSE(effect->HasEffect());
  EXPECT_EQ(effect->GetLabel(), "Effect");
  // Folders hosts the tree the browse mode fills.
  CFoldersPage* folders = f.frame->GetFoldersPage();
  auto* tree = new wxTreeCtrl(folders, 100);
  tree->AddRoot("Home");
  folders->SetTree(tree, [] { return 200; });
  EXPECT_EQ(folders->GetExpandedHeight(), 200 + 28 + 10);
  ASSERT_TRUE(f.frame->SetMode(MODE_BROWSE));
  Settle(f.frame);
  EXPECT_TRUE(folders->IsPageShown());
  EXPECT_EQ(folders->GetHeight(), 238);
  EXPECT_EQ(tree->GetPosition().y, 1 + 28 + 4);
  ASSERT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
}

TEST(TaskPaneScreenshot, MainWindowWithAFortyFrameAnimation) {
  if (!std::getenv("PICTORAVELL_SCREENSHOT_DIR")) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  DocumentWindowFixture f;
  f.frame->SetSize(1100, 800);
  Docs d(f, 3);
  MakeAnimation(d.docs[2], 40);
  d.docs[2]->GetFrames()[1].m_bSelected = 1;
  d.docs[2]->GetFrames()[2].m_bSelected = 1;
  f.frame->GetAnimationPage()->RefreshFrames();
  PumpUntil([&] { return !f.frame->GetTaskPane()->IsTimerRunning(); }, 2000);
  CFrameListCtrl* list = f.frame->GetAnimationPage()->GetFrameList();
  const int rh = list->GetModel().GetRowHeight();
  list->MouseDown(wxPoint(60, rh / 2 + list->GetModel().RowTop(5)), false, false);
  list->MouseMove(wxPoint(60, list->GetModel().RowTop(8) + 2));
  f.frame->GetDocumentsPage()->GetList()->MouseMove(wxPoint(60, 10));
  CTrueColorToolBar* toolbar = f.frame->GetModeTabBar()->GetToolBar();
  toolbar->UpdateButtonStates();
  const int zoomIn = toolbar->CommandToIndex(ID_ZOOM_IN);
  ASSERT_GE(zoomIn, 0);
  EXPECT_TRUE(toolbar->GetItem(zoomIn).enabled);  // the view's command, enabled through the frame
  PumpFor(400);
  f.frame->Refresh();
  f.frame->Update();
  PumpFor(200);
  const std::string path = std::string(std::getenv("PICTORAVELL_SCREENSHOT_DIR")) + "/main_window_task_pane.png";
  const std::string command = "import -window root " + path;
  EXPECT_EQ(std::system(command.c_str()), 0);
  list->MouseUp(wxPoint(60, list->GetModel().RowTop(5) + 2), false, false);
}

}  // namespace

namespace {

TEST(DocumentsPage, TheSwatchChoosesTheBackgroundFillColour) {
  CFixedUiTheme theme;
  DocumentWindowFixture f;
  Docs d(f, 1);
  CImageDocument::ResetBackgroundColor();
  const RGBQUAD before = CImageDocument::GetBackgroundColor();
  CDocumentsPage* page = f.frame->GetDocumentsPage();
  RGBQUAD offered{};
  CColorChooserOverride chooser([&](wxWindow*, RGBQUAD& colour) {
    offered = colour;
    colour.rgbRed = 10;
    colour.rgbGreen = 200;
    colour.rgbBlue = 30;
    return true;
  });
  page->PageMouseDown(page->GetSwatchHitRect().GetPosition() + wxPoint(5, 5));
  EXPECT_EQ(offered, before);
  const RGBQUAD after = CImageDocument::GetBackgroundColor();
  EXPECT_EQ(after.rgbRed, 10);
  EXPECT_EQ(after.rgbGreen, 200);
  EXPECT_EQ(after.rgbBlue, 30);
  // The swatch and the texts show it.
  const wxImage image = RenderToImage(*page);
  paint_testing::SaveForLooking(image, "documents_page.png");
  const wxRect swatch = page->GetSwatchHitRect();
  EXPECT_PIXEL(image, swatch.x + 10, swatch.y + 10 - 2, wxColour(10, 200, 30));
  CImageDocument::SetBackgroundColor(before);
}

}  // namespace
