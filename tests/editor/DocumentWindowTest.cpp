// Document windows in the main frame: opening files through the document
// template, the view's zoom commands, scrolling, the pixel readout, closing,
// undo through the menu commands, and screenshots.

#include <gtest/gtest.h>
#include <wx/dcmemory.h>

#include <cstdlib>

#include "base/MessageReport.h"
#include "editor/ChildFrame.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "platform/RecentFileList.h"
#include "resources/CommandIds.h"
#include "shell/MainStatusBar.h"
#include "shell/StandInViews.h"
#include "shell/TaskPanePages.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::RecordingMessageSink;
using testing_support::TempDir;

// The view's pixels as drawn (the whole client area).
wxImage Capture(CPictoravellView* view) {
  const wxSize size = view->GetViewWindow()->GetClientSize();
  wxBitmap bitmap(size);
  {
    wxMemoryDC dc(bitmap);
    view->OnDraw(&dc);
  }
  return bitmap.ConvertToImage();
}

TEST(DocumentWindow, OpenShowsTheImageAtBestFitAndCloseBringsTheWelcomePageBack) {
  DocumentWindowFixture f;
  TempDir dir;
  const auto path = WriteBmp(dir, "photo.bmp", testing_support::MakeTestPicture(2000, 900));
  CPictoravellDoc* doc = OpenImageDocument(path);
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  ASSERT_TRUE(view);
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 1);
  EXPECT_EQ(f.frame->GetDocumentArea()->GetSelection(), 1);
  EXPECT_EQ(f.frame->GetInstalledMenu(), IDR_DOCUMENT);
  EXPECT_EQ(f.frame->GetActiveDocument(), doc);
  EXPECT_FALSE(doc->IsModified());
  ASSERT_TRUE(PumpUntil([&] { return view->GetZoom() != 1; }));
  const wxSize area = view->GetViewWindow()->GetSize();
  EXPECT_EQ(view->GetZoom(), BestFitZoom(2000, 900, area.x, area.y));
  EXPECT_LT(view->GetZoom(), -1);
  EXPECT_NE(view->GetChildFrame()->GetImageInfoText().find("W: 2000  H: 900: Full Color: x1/"), std::string::npos)
      << view->GetChildFrame()->GetImageInfoText();

  // The same file again activates the open document.
  EXPECT_EQ(OpenImageDocument(path), doc);
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 1);

  f.Command(ID_FILE_CLOSE);
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 0);
  EXPECT_EQ(f.frame->GetDocumentArea()->GetSelection(), 0);
  EXPECT_EQ(f.frame->GetInstalledMenu(), IDR_MAINFRAME);
  EXPECT_EQ(f.frame->GetActiveDocument(), nullptr);
  EXPECT_TRUE(f.manager->GetDocuments().empty());
}

TEST(DocumentWindow, AFileThatCannotBeReadOpensNothing) {
  DocumentWindowFixture f;
  TempDir dir;
  const auto path = (dir.path() / "bad.bmp").string();
  testing_support::WriteFileBytes(path, {'B', 'M', 0, 0});
  RecordingMessageSink sink;
  EXPECT_FALSE(OpenImageDocument(path));
  EXPECT_FALSE(OpenImageDocument((dir.path() / "missing.bmp").string()));
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 0);
  EXPECT_TRUE(f.manager->GetDocuments().empty());
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].second.rfind("Failed to open bad.bmp: ", 0), 0u) << sink.messages[0].second;
  // The Documents page saw the rejected document added and removed: no row stays.
  EXPECT_EQ(f.frame->GetDocumentsPage()->GetList()->GetRowCount(), 0);
}

TEST(DocumentWindow, ZoomCommandsAndTheirEnableRules) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "small.bmp", testing_support::MakeTestPicture(40, 30)));
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  EXPECT_EQ(view->GetZoom(), 1);
  EXPECT_FALSE(f.IsEnabled(ID_ORIGINAL_SIZE));
  f.Command(ID_ZOOM_IN);
  EXPECT_EQ(view->GetZoom(), 2);
  EXPECT_TRUE(f.IsEnabled(ID_ORIGINAL_SIZE));
  for (int i = 0; i < 20; ++i) f.Command(ID_ZOOM_IN);
  EXPECT_EQ(view->GetZoom(), 16);
  EXPECT_FALSE(f.IsEnabled(ID_ZOOM_IN));
  int w, h;
  view->GetDisplaySize(w, h);
  EXPECT_EQ(w, 640);
  f.Command(ID_ORIGINAL_SIZE);
  EXPECT_EQ(view->GetZoom(), 1);
  f.Command(ID_ZOOM_OUT);
  EXPECT_EQ(view->GetZoom(), -2);
  for (int i = 0; i < 20; ++i) f.Command(ID_ZOOM_OUT);
  EXPECT_EQ(view->GetZoom(), -16);
  EXPECT_FALSE(f.IsEnabled(ID_ZOOM_OUT));
  f.Command(ID_BEST_FIT);
  EXPECT_EQ(view->GetZoom(), 1);  // never magnifies
  EXPECT_FALSE(f.IsEnabled(ID_CURRENT_FRAME_ONLY));  // one frame
  std::unique_ptr<wxMenu> menu(view->CreateContextMenu());
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->GetMenuItemCount(), 18u);
  EXPECT_EQ(menu->FindItemByPosition(0)->GetId(), ID_EDIT_CUT);
  EXPECT_EQ(menu->FindItemByPosition(17)->GetId(), ID_TOOL_MOVE);
}

TEST(DocumentWindow, DrawsThePixelsAtEachZoomAndScrolls) {
  DocumentWindowFixture f;
  TempDir dir;
  // Four quadrants of 50 x 40: red, green, blue, white.
  CRasterImage image = SolidImage(100, 80, 255, 255, 255);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x) {
      uint8_t* p = image.GetWritableBits() + y * image.GetStride() + 3 * x;
      const int q = (y >= 40) * 2 + (x >= 50);
      const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
      std::copy_n(colours[q], 3, p);
    }
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "quad.bmp", image));
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  for (int zoom : {1, 3, -2, 10}) {
    view->SetZoom(zoom);
    PumpFor(20);
    const wxImage shot = Capture(view);
    for (Point p : {Point{10, 10}, Point{60, 10}, Point{10, 50}, Point{99, 79}}) {
      const Point at = view->ImageToClient(p);
      if (at.x < 0 || at.y < 0 || at.x >= shot.GetWidth() || at.y >= shot.GetHeight()) continue;
      const uint8_t* expected = image.GetRow(p.y) + 3 * p.x;
      EXPECT_EQ(shot.GetRed(at.x, at.y), expected[0]) << zoom << " at " << p.x << "," << p.y;
      EXPECT_EQ(shot.GetGreen(at.x, at.y), expected[1]) << zoom;
      EXPECT_EQ(shot.GetBlue(at.x, at.y), expected[2]) << zoom;
    }
  }
  // At x10 the canvas is larger than the window: scrolling moves the picture.
  const Point before = view->ImageToClient(Point{60, 50});
  view->ScrollByPixels(18, 48);
  PumpFor(20);
  const Point after = view->ImageToClient(Point{60, 50});
  EXPECT_EQ(before.x - after.x, 18);
  EXPECT_EQ(before.y - after.y, 48);
  int left, top, width, height, zoom;
  view->GetChildFrame()->GetRulerRange(left, top, width, height, zoom);
  EXPECT_EQ(left, -18);
  EXPECT_EQ(zoom, 10);
}

TEST(DocumentWindow, PixelReadoutFollowsTheMouse) {
  DocumentWindowFixture f;
  TempDir dir;
  CRasterImage image = SolidImage(20, 20, 10, 20, 30);
  image.GetWritableBits()[3 * 5 + 5 * image.GetStride()] = 200;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "dot.bmp", image));
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  view->SetZoom(4);
  const Point at = view->ImageToClient(Point{5, 5});
  wxMouseEvent move(wxEVT_MOTION);
  move.SetPosition(wxPoint(at.x + 2, at.y + 3));
  view->GetViewWindow()->ProcessWindowEvent(move);
  CMainStatusBar* bar = f.frame->GetMainStatusBar();
  EXPECT_EQ(bar->GetPaneText(2), ": 5, 5");
  EXPECT_EQ(bar->GetPaneText(3), ": 200, 20, 30");
  move.SetPosition(wxPoint(at.x - 100, at.y - 100));
  view->GetViewWindow()->ProcessWindowEvent(move);
  EXPECT_EQ(bar->GetPaneText(2), ": X, Y");
}

TEST(DocumentWindow, WheelWithCtrlOrShiftIsSwallowed) {
  // The view takes every wheel event: with Ctrl or Shift held it does
  // nothing with it, else it scrolls three lines of 18 pixels a notch.
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "tall.bmp", testing_support::MakeTestPicture(50, 3000)));
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  view->SetZoom(1);
  struct Case {
    bool ctrl, shift, taken;
  } cases[] = {{true, false, true}, {false, true, true}};
  for (const auto& c : cases) {
    wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
    wheel.m_wheelRotation = -120;
    wheel.m_wheelDelta = 120;
    wheel.m_linesPerAction = 3;
    wheel.SetControlDown(c.ctrl);
    wheel.SetShiftDown(c.shift);
    EXPECT_EQ(view->GetViewWindow()->ProcessWindowEvent(wheel), c.taken) << c.ctrl << c.shift;
    EXPECT_EQ(view->GetViewWindow()->GetScrollPixels().y, 0);
  }
}

TEST(DocumentWindow, UndoRedoAndCloseThroughTheMenuCommands) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "edit.bmp", SolidImage(8, 8, 1, 2, 3)));
  ASSERT_TRUE(doc);
  EXPECT_FALSE(f.IsEnabled(ID_EDIT_UNDO));
  doc->ReplaceFrames(NumberedFrames(3), "Insert Frames");
  EXPECT_TRUE(doc->IsModified());
  EXPECT_TRUE(f.IsEnabled(ID_EDIT_UNDO));
  EXPECT_TRUE(f.IsEnabled(ID_CURRENT_FRAME_ONLY));
  {
    // The menu item names the step.
    wxMenu* menu = nullptr;
    ASSERT_TRUE(f.frame->GetMenuBar()->FindItem(ID_EDIT_UNDO, &menu));
    wxUpdateUIEvent update(ID_EDIT_UNDO);
    update.SetEventObject(menu);
    f.frame->ProcessWindowEvent(update);
    EXPECT_EQ(update.GetText(), "&Undo Insert Frames\tCtrl+Z");
  }
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(doc->GetFrameCount(), 1);
  EXPECT_FALSE(doc->IsModified());
  f.Command(ID_EDIT_REDO);
  EXPECT_EQ(doc->GetFrameCount(), 3);
  // A busy frame refuses commands, closing included.
  {
    CFrameBusyGuard guard(doc, 0);
    EXPECT_FALSE(f.IsEnabled(ID_EDIT_UNDO));
    EXPECT_FALSE(f.IsEnabled(ID_FILE_CLOSE));
    f.Command(ID_EDIT_UNDO);
    EXPECT_EQ(doc->GetFrameCount(), 3);
    f.Command(ID_FILE_CLOSE);
    EXPECT_EQ(f.frame->GetDocumentWindowCount(), 1);
    EXPECT_FALSE(f.manager->CloseDocuments(false));
  }
  doc->Modify(false);
  f.Command(ID_FILE_CLOSE);
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 0);
}

TEST(DocumentWindow, NewDocumentsOpenWindowsAndACancelledOneDoesNot) {
  DocumentWindowFixture f;
  DOCUMENT_PROMPTS p;
  bool ok = true;
  p.newImage = [&](NEW_IMAGE_VALUES& v) {
    v.width = 64, v.height = 48, v.empty = false, v.paste = false;
    return ok;
  };
  ScopedPrompts scoped(p);
  CPictoravellDoc* doc = NewImageDocument(NEWDOC_BLANK);
  ASSERT_TRUE(doc);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 1);
  ok = false;
  EXPECT_FALSE(NewImageDocument(NEWDOC_BLANK));
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 1);
  EXPECT_EQ(f.manager->GetDocuments().size(), 1u);
}

TEST(DocumentWindow, AnimationShowsTheFramesItsDisposalKeeps) {
  DocumentWindowFixture f;
  DOCUMENT_PROMPTS p;
  // Frame 0 keeps a red square, frame 1 (restore to background) a green one,
  // frame 2 (current) a blue one.
  p.fileSequence = [](std::vector<CAnimFrame>& frames, uint16_t& loops) {
    frames = {MakeFrame(SolidImage(10, 10, 255, 0, 0), 0, 0, 1), MakeFrame(SolidImage(10, 10, 0, 255, 0), 10, 0, 2),
              MakeFrame(SolidImage(10, 10, 0, 0, 255), 20, 0, 1)};
    loops = 0;
    return true;
  };
  ScopedPrompts scoped(p);
  CPictoravellDoc* doc = NewImageDocument(NEWDOC_FILE_SEQUENCE);
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  doc->SetCurrentFrame(2);
  view->SetZoom(2);
  const wxImage shot = Capture(view);
  auto colourAt = [&](int x, int y) {
    const Point at = view->ImageToClient(Point{x, y});
    return wxColour(shot.GetRed(at.x, at.y), shot.GetGreen(at.x, at.y), shot.GetBlue(at.x, at.y));
  };
  EXPECT_EQ(colourAt(5, 5), wxColour(255, 0, 0));
  EXPECT_NE(colourAt(15, 5), wxColour(0, 255, 0));  // restored to the background
  EXPECT_EQ(colourAt(25, 5), wxColour(0, 0, 255));
  view->SetCurrentFrameOnly(true);
  const wxImage only = Capture(view);
  const Point red = view->ImageToClient(Point{5, 5});
  EXPECT_NE(wxColour(only.GetRed(red.x, red.y), only.GetGreen(red.x, red.y), only.GetBlue(red.x, red.y)),
            wxColour(255, 0, 0));
  uint8_t a, r, g, b;
  view->SetCurrentFrameOnly(false);
  ASSERT_TRUE(view->GetShownPixel(5, 5, a, r, g, b));
  EXPECT_EQ(r, 255);
  EXPECT_EQ(a, 255);
}

TEST(DocumentWindow, OpeningAddsToTheRecentFileList) {
  DocumentWindowFixture f;
  TempDir dir;
  CRecentFileList list("Recent File List", "File%d", 4, 30);
  list.SetEmptyText("Recent File");
  CRecentFileList* previous = g_pRecentFileList;
  g_pRecentFileList = &list;
  const auto path = WriteBmp(dir, "recent.bmp", SolidImage(3, 3, 0, 0, 0));
  ASSERT_TRUE(OpenImageDocument(path));
  g_pRecentFileList = previous;
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list[0], path);
}

}  // namespace

namespace {

TEST(DocumentWindow, FileOpenOpensEveryChosenFileInOrder) {
  DocumentWindowFixture f;
  TempDir dir;
  const auto one = WriteBmp(dir, "one.bmp", SolidImage(5, 5, 1, 1, 1));
  const auto two = WriteBmp(dir, "two.bmp", SolidImage(6, 6, 2, 2, 2));
  DOCUMENT_PROMPTS p;
  std::string folder = "unset";
  p.openPaths = [&](const std::string& start, std::vector<std::string>& paths) {
    folder = start;
    paths = {one, two};
    return true;
  };
  ScopedPrompts scoped(p);
  std::vector<std::string> opened;
  EXPECT_TRUE(RunFileOpen(dir.path().string(), [&](const std::string& path) {
    opened.push_back(path);
    return OpenImageDocument(path) != nullptr;
  }));
  EXPECT_EQ(folder, dir.path().string());
  EXPECT_EQ(opened, (std::vector<std::string>{one, two}));
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 2);
  // The last one opened is shown and active.
  auto* active = static_cast<CPictoravellDoc*>(f.frame->GetActiveDocument());
  ASSERT_TRUE(active);
  EXPECT_EQ(active->GetFilename().utf8_string(), two);
  // Closing it shows the other.
  f.Command(ID_FILE_CLOSE);
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 1);
  auto* other = static_cast<CPictoravellDoc*>(f.frame->GetActiveDocument());
  ASSERT_TRUE(other);
  EXPECT_EQ(other->GetFilename().utf8_string(), one);
}

}  // namespace

namespace {

TEST(DocumentWindow, CommentCaptionFollowsTheDisplayCommentsSetting) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "note.bmp", SolidImage(60, 40, 9, 9, 9)));
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  const int saved = g_bDisplayComments;
  g_bDisplayComments = 1;
  doc->SetComment("Taken at dawn\r\nsecond line");
  doc->UpdateViews(HINT_ERASE);
  ASSERT_TRUE(view->GetCaption());
  EXPECT_TRUE(view->GetCaption()->IsShown());
  EXPECT_GT(view->GetCaptionHeight(), 12);
  const Rect image = view->GetImageRect();
  EXPECT_EQ(view->GetCaption()->GetPosition().y, image.bottom + 12);
  int w, h;
  view->GetDisplaySize(w, h);
  // Image and caption together are centred.
  const int client = view->GetViewWindow()->GetClientSize().y;
  EXPECT_EQ(image.top, (client - view->GetCaptionHeight() - h) / 2);
  g_bDisplayComments = 0;
  doc->UpdateViews(HINT_ERASE);
  EXPECT_TRUE(view->GetCaption() == nullptr || !view->GetCaption()->IsShown());
  EXPECT_EQ(view->GetCaptionHeight(), 0);
  g_bDisplayComments = saved;
}

}  // namespace

namespace {

TEST(DocumentWindow, ClosingDuringAnEffectSettlesTheEffectFirst) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "fx.bmp", SolidImage(8, 8, 5, 5, 5)));
  ASSERT_TRUE(doc);
  ASSERT_TRUE(doc->BeginEdit(EDIT_FULL_COLOR));
  ASSERT_TRUE(doc->StartEffectTool("Sepia"));
  EXPECT_EQ(f.frame->GetMode(), MODE_EFFECT);
  EXPECT_TRUE(doc->IsToolRunning());
  doc->PushUndo("while the tool runs");  // records nothing
  EXPECT_FALSE(doc->CanUndo());
  *doc->GetEditImage(true) = SolidImage(8, 8, 200, 100, 50);  // the live preview
  EXPECT_EQ(f.ViewOf(doc)->CreateContextMenu(), nullptr);       // no context menu meanwhile
  // No: the effect is dropped (and the document, unchanged, closes unasked).
  testing_support::AnswerMessageBoxes answers([](const auto&) { return wxID_NO; });
  f.Command(ID_FILE_CLOSE);
  ASSERT_EQ(answers.boxes.size(), 1u);
  EXPECT_EQ(answers.boxes[0].message, "Do you want to keep the changes you have made to the image?");
  EXPECT_EQ(answers.boxes[0].caption, "Sepia");
  EXPECT_TRUE(answers.boxes[0].style & wxICON_QUESTION);
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 0);
}

}  // namespace

namespace {

TEST(DocumentWindow, LineAndPageScrollsMoveEighteenAndFortyEightPixels) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "big.bmp", testing_support::MakeTestPicture(3000, 3000)));
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  view->SetZoom(1);
  PumpFor(20);
  CImageViewWindow* window = view->GetViewWindow();
  struct Case {
    wxEventType type;
    int orientation;
    wxPoint expected;
  } cases[] = {{wxEVT_SCROLLWIN_LINEDOWN, wxVERTICAL, {0, 18}},   {wxEVT_SCROLLWIN_PAGEDOWN, wxVERTICAL, {0, 66}},
               {wxEVT_SCROLLWIN_PAGEDOWN, wxHORIZONTAL, {48, 66}}, {wxEVT_SCROLLWIN_LINEUP, wxVERTICAL, {48, 48}},
               {wxEVT_SCROLLWIN_PAGEUP, wxHORIZONTAL, {0, 48}},    {wxEVT_SCROLLWIN_LINEUP, wxHORIZONTAL, {0, 48}}};
  for (const auto& c : cases) {
    wxScrollWinEvent event(c.type, 0, c.orientation);
    event.SetEventObject(window);
    window->ProcessWindowEvent(event);
    EXPECT_EQ(window->GetScrollPixels(), c.expected);
  }
}

}  // namespace

namespace {

TEST(DocumentWindow, AnimatedGifShowsTheComposedFrameItsDisposalAsksFor) {
  REQUIRE_TOOL("convert");
  DocumentWindowFixture f;
  TempDir dir;
  // White, red (kept), lime (restored to the background), blue (kept), yellow.
  const auto gif = (dir.path() / "anim.gif").string();
  ASSERT_EQ(testing_support::RunCommand(
                "convert -dispose None -size 160x100 xc:white -size 40x40 -page +0+0 xc:red -dispose Background "
                "-page +40+20 xc:lime -dispose None -page +80+40 xc:blue -page +110+50 xc:yellow -loop 0 " +
                testing_support::ShellQuote(gif)),
            0);
  CPictoravellDoc* doc = OpenImageDocument(gif);
  ASSERT_TRUE(doc);
  ASSERT_EQ(doc->GetFrameCount(), 5);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  view->SetZoom(2);
  struct Case {
    int frame, x, y;
    wxColour colour;
  } cases[] = {
      {1, 5, 5, {255, 0, 0}},       {1, 60, 30, {255, 255, 255}}, {2, 50, 30, {0, 255, 0}},
      {2, 5, 5, {255, 0, 0}},       {3, 50, 30, {255, 255, 255}},  // the lime square is gone under frame 3
      {3, 90, 50, {0, 0, 255}},     {4, 5, 5, {255, 0, 0}},       {4, 50, 30, {255, 255, 255}},
      {4, 85, 45, {0, 0, 255}},     {4, 120, 60, {255, 255, 0}},  {0, 5, 5, {255, 255, 255}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(doc->SetCurrentFrame(c.frame));
    const wxImage shot = Capture(view);
    const Point at = view->ImageToClient(Point{c.x, c.y});
    EXPECT_EQ(wxColour(shot.GetRed(at.x, at.y), shot.GetGreen(at.x, at.y), shot.GetBlue(at.x, at.y)), c.colour)
        << "frame " << c.frame << " at " << c.x << "," << c.y;
  }
}

}  // namespace

namespace {

TEST(DocumentWindow, DocumentsOutliveADestroyedMainFrameSafely) {
  auto manager = std::make_unique<wxDocManager>();
  RegisterImageDocumentTemplate(manager.get());
  auto* frame = new CMainFrame(manager.get());
  frame->Show();
  PumpUntil([&] { return frame->IsShownOnScreen(); });
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "left.bmp", SolidImage(4, 4, 1, 1, 1)));
  ASSERT_TRUE(doc);
  CPictoravellView* view = dynamic_cast<CPictoravellView*>(doc->GetFirstView());
  shell_testing::DestroyFrame(frame);  // the windows go first
  ASSERT_TRUE(view);
  EXPECT_EQ(view->GetViewWindow(), nullptr);
  doc->UpdateViews(HINT_ERASE);  // nothing to draw on, nothing breaks
  EXPECT_TRUE(manager->CloseDocuments(true));
  EXPECT_TRUE(manager->GetDocuments().empty());
}

}  // namespace
