// What a new user meets first, driven through the real windows with keys and
// the mouse on the X display: File New and New From Clipboard with the real
// clipboard, the program's assertion handler, zooming from the main keyboard,
// the mouse wheel, and Help Topics.

#include <gtest/gtest.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/menu.h>
#include <wx/cmndata.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <filesystem>

#include "editor/ChildFrame.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "base/MessageReport.h"
#include "resources/CommandIds.h"
#include "shell/MainStatusBar.h"
#include "shell/MessagePane.h"
#include "app/PictoravellApp.h"
#include "shell/ShellFunctions.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::RecordingMessageSink;
using testing_support::RunCommand;
using testing_support::TempDir;

void EmptyClipboard() {
  ASSERT_TRUE(wxTheClipboard->Open());
  wxTheClipboard->Clear();
  wxTheClipboard->Close();
}

// The modal dialog shown now, if any.
wxDialog* ModalDialog() {
  for (wxWindow* w : wxTopLevelWindows)
    if (auto* dialog = dynamic_cast<wxDialog*>(w); dialog && dialog->IsModal() && dialog->IsShown()) return dialog;
  return nullptr;
}

// Presses a key on the X display with the pointer over a window (without a
// window manager the key goes to the window under the pointer).
void PressOver(wxWindow* window, int key, int modifiers = wxMOD_NONE) {
  wxUIActionSimulator sim;
  sim.MouseMove(window->GetScreenRect().GetPosition() + wxPoint(window->GetSize().x / 2, window->GetSize().y / 2));
  PumpFor(30);
  sim.Char(key, modifiers);
}

// While a modal dialog runs, `act` is called on it once it shows.
class WhenModal {
 public:
  explicit WhenModal(std::function<void(wxDialog*)> act) : m_act(std::move(act)) {
    m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
      if (m_done) return;
      if (wxDialog* dialog = ModalDialog(); dialog && dialog->IsShownOnScreen()) {
        m_done = true;
        m_title = dialog->GetTitle().utf8_string();
        m_act(dialog);
      }
    });
    m_timer.Start(50);
  }
  bool Done() const { return m_done; }
  const std::string& Title() const { return m_title; }

 private:
  std::function<void(wxDialog*)> m_act;
  wxTimer m_timer;
  bool m_done = false;
  std::string m_title;
};

TEST(FirstUse, FileNewRunsItsDialogWithAnEmptyClipboardAndEscapeCancelsIt) {
  DocumentWindowFixture f;
  EmptyClipboard();
  RecordingMessageSink sink;
  // Escape, typed on the dialog, cancels it; the toolkit asserts nothing
  // (an assertion fails this test).
  WhenModal escape([](wxDialog* dialog) { PressOver(dialog, WXK_ESCAPE); });
  EXPECT_EQ(NewImageDocument(NEWDOC_BLANK), nullptr);
  EXPECT_TRUE(escape.Done());
  EXPECT_EQ(escape.Title(), "New Image");
  EXPECT_EQ(f.frame->GetDocumentWindowCount(), 0);
  EXPECT_TRUE(sink.messages.empty());
}

TEST(FirstUse, NewFromClipboardFollowsTheRealClipboard) {
  DocumentWindowFixture f;
  EmptyClipboard();
  EXPECT_FALSE(IsClipboardImageAvailable());
  {
    RecordingMessageSink sink;
    EXPECT_EQ(NewImageDocument(NEWDOC_CLIPBOARD), nullptr);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].second, "Failed to import image from the clipboard !");
  }
  // An image on the clipboard (as another program puts it there).
  wxImage picture(23, 17);
  picture.SetRGB(wxRect(0, 0, 23, 17), 10, 200, 30);
  ASSERT_TRUE(wxTheClipboard->Open());
  ASSERT_TRUE(wxTheClipboard->SetData(new wxBitmapDataObject(wxBitmap(picture))));
  wxTheClipboard->Close();
  EXPECT_TRUE(IsClipboardImageAvailable());
  CPictoravellDoc* doc = NewImageDocument(NEWDOC_CLIPBOARD);
  ASSERT_TRUE(doc);
  int16_t w = 0, h = 0;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 23);
  EXPECT_EQ(h, 17);
  EmptyClipboard();
  EXPECT_FALSE(IsClipboardImageAvailable());
}

TEST(FirstUse, TheProgramsAssertHandlerLogsToThePaneAndGoesOn) {
  DocumentWindowFixture f;
  RecordingMessageSink sink;
  const auto previous = wxSetAssertHandler(nullptr);
  InstallLoggingAssertHandler();
  wxFAIL_MSG("checked by the test");
  wxDataFormat bad(static_cast<wxDataFormatId>(99));  // the toolkit's own assertion
  wxSetAssertHandler(previous);
  ASSERT_GE(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].first, MESSAGE_WARNING);
  EXPECT_NE(sink.messages[0].second.find("checked by the test"), std::string::npos) << sink.messages[0].second;
  EXPECT_EQ(ModalDialog(), nullptr);
}

// Ctrl+=, Ctrl++ and Ctrl+- typed on the main keyboard zoom like the keypad's keys.
TEST(FirstUse, ZoomFromTheMainKeyboard) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "small.bmp", testing_support::MakeTestPicture(40, 30)));
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  view->SetZoom(1);
  wxWindow* window = view->GetViewWindow();
  window->SetFocus();
  PressOver(window, '=', wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return view->GetZoom() == 2; }, 2000)) << view->GetZoom();
  PressOver(window, '+', wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return view->GetZoom() == 3; }, 2000)) << view->GetZoom();
  PressOver(window, '-', wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return view->GetZoom() == 2; }, 2000)) << view->GetZoom();
  PressOver(window, WXK_NUMPAD_SUBTRACT, wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return view->GetZoom() == 1; }, 2000)) << view->GetZoom();
  // The menu shows the shortcut.
  wxMenuItem* item = f.frame->GetMenuBar()->FindItem(ID_ZOOM_IN);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetItemLabel().AfterFirst('\t'), "Ctrl+=");
  item = f.frame->GetMenuBar()->FindItem(ID_ZOOM_OUT);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetItemLabel().AfterFirst('\t'), "Ctrl+-");
}

// A notch of the wheel, turned on the X display, scrolls three lines of 18 pixels.
TEST(FirstUse, TheWheelScrollsLinesPerNotch) {
  REQUIRE_TOOL("xdotool");
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "tall.bmp", testing_support::MakeTestPicture(50, 3000)));
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  view->SetZoom(1);
  PumpFor(50);
  CImageViewWindow* window = view->GetViewWindow();
  const wxPoint centre = window->GetScreenRect().GetPosition() + wxPoint(20, 20);
  wxUIActionSimulator sim;
  sim.MouseMove(centre);
  PumpFor(30);
  ASSERT_EQ(RunCommand("xdotool click 5"), 0);  // one notch down
  EXPECT_TRUE(PumpUntil([&] { return window->GetScrollPixels().y != 0; }, 2000));
  EXPECT_EQ(window->GetScrollPixels().y, 3 * 18);
  ASSERT_EQ(RunCommand("xdotool click 5 click 5"), 0);
  EXPECT_TRUE(PumpUntil([&] { return window->GetScrollPixels().y == 3 * 3 * 18; }, 2000))
      << window->GetScrollPixels().y;
  ASSERT_EQ(RunCommand("xdotool click 4"), 0);  // one notch up
  EXPECT_TRUE(PumpUntil([&] { return window->GetScrollPixels().y == 2 * 3 * 18; }, 2000))
      << window->GetScrollPixels().y;
  // With Ctrl held it does not scroll.
  ASSERT_EQ(RunCommand("xdotool keydown ctrl click 5 keyup ctrl"), 0);
  PumpFor(200);
  EXPECT_EQ(window->GetScrollPixels().y, 2 * 3 * 18);
}

// Help Topics opens the Readme beside the program file, never a web address.
TEST(FirstUse, HelpTopicsOpensTheReadme) {
  std::string opened;
  SetOpenDocumentFunction([&](const std::string& path) {
    opened = path;
    return true;
  });
  const bool ok = OpenReadme();
  SetOpenDocumentFunction(nullptr);
  ASSERT_TRUE(ok);
  EXPECT_EQ(std::filesystem::path(opened).filename(), "Readme.txt");
  EXPECT_TRUE(std::filesystem::is_regular_file(opened));
  EXPECT_EQ(opened, GetReadmePath());
}

// A JPEG cut short opens (the rest grey, as the decoder leaves it) and the
// message pane says it is incomplete; a whole one opens without a word.
TEST(FirstUse, AJpegCutShortOpensWithAWarning) {
  REQUIRE_TOOL("convert");
  DocumentWindowFixture f;
  TempDir dir;
  const auto whole = (dir.path() / "whole.jpg").string();
  ASSERT_EQ(RunCommand("convert -size 200x150 plasma:fractal -quality 90 " + testing_support::ShellQuote(whole)), 0);
  const auto bytes = testing_support::ReadFileBytes(whole);
  const auto cut = dir.path() / "cut.jpg";
  testing_support::WriteFileBytes(cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(bytes.size() / 2)));
  {
    RecordingMessageSink sink;
    ASSERT_TRUE(OpenImageDocument(whole));
    EXPECT_TRUE(sink.messages.empty());
  }
  RecordingMessageSink sink;
  CPictoravellDoc* doc = OpenImageDocument(cut.string());
  ASSERT_TRUE(doc);
  int16_t w = 0, h = 0;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 150);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, MESSAGE_WARNING);
  EXPECT_NE(sink.messages[0].second.find("cut.jpg is incomplete"), std::string::npos) << sink.messages[0].second;
}

// The X,Y and R,G,B readouts, set by the mouse over a view, are cleared when
// a document opens, changes, is switched to or closes.
TEST(FirstUse, ReadoutsAreClearedWhenDocumentsOpenChangeOrClose) {
  DocumentWindowFixture f;
  TempDir dir;
  CMainStatusBar* bar = f.frame->GetMainStatusBar();
  CPictoravellDoc* a = OpenImageDocument(WriteBmp(dir, "a.bmp", SolidImage(300, 200, 10, 20, 30)));
  ASSERT_TRUE(a);
  PumpFor(50);
  wxUIActionSimulator sim;
  auto pointAt = [&](CPictoravellDoc* doc) {
    wxWindow* window = f.ViewOf(doc)->GetViewWindow();
    const wxPoint centre = window->GetScreenRect().GetPosition() + wxPoint(window->GetSize().x / 2, window->GetSize().y / 2);
    sim.MouseMove(centre + wxPoint(3, 0));
    PumpFor(20);
    sim.MouseMove(centre);
    return PumpUntil([&] { return bar->IsReadoutValid(); }, 2000);
  };
  ASSERT_TRUE(pointAt(a));
  EXPECT_EQ(bar->GetPaneText(3), ": 10, 20, 30");
  CPictoravellDoc* b = OpenImageDocument(WriteBmp(dir, "b.bmp", SolidImage(300, 200, 40, 50, 60)));
  ASSERT_TRUE(b);
  EXPECT_FALSE(bar->IsReadoutValid());  // opened
  EXPECT_EQ(bar->GetPaneText(3), ": R, G, B");
  ASSERT_TRUE(pointAt(b));
  b->GetCurrentFrame()->m_image = SolidImage(300, 200, 1, 1, 1);
  b->UpdateAllViews();
  EXPECT_FALSE(bar->IsReadoutValid());  // changed
  ASSERT_TRUE(pointAt(b));
  EXPECT_TRUE(f.frame->SwitchDocumentWindow(1));
  EXPECT_FALSE(bar->IsReadoutValid());  // another one shown
  ASSERT_TRUE(pointAt(a));
  b->Modify(false);
  a->Modify(false);
  f.Command(ID_FILE_CLOSE);
  EXPECT_TRUE(PumpUntil([&] { return f.frame->GetDocumentWindowCount() == 1; }, 2000));
  EXPECT_FALSE(bar->IsReadoutValid());  // closed
}

// Clicks into the toolkit's own dialog named `title` once it shows: each
// point is relative to the dialog's top left (negative: to its right or
// bottom edge).
class ClickIntoNativeDialog {
 public:
  ClickIntoNativeDialog(const std::string& title, std::vector<wxPoint> points) {
    m_timer.Bind(wxEVT_TIMER, [this, title, points](wxTimerEvent&) {
      if (m_done) return;
      std::string geometry;
      if (RunCommand("xdotool search --onlyvisible --name " + testing_support::ShellQuote("^" + title + "$") +
                         " getwindowgeometry --shell",
                     &geometry) != 0 ||
          geometry.find("WIDTH=") == std::string::npos)
        return;
      m_done = true;
      auto value = [&](const std::string& name) {
        const size_t at = geometry.find("\n" + name + "=");
        return at == std::string::npos ? 0 : std::atoi(geometry.c_str() + at + name.size() + 2);
      };
      const int x = value("X"), y = value("Y"), w = value("WIDTH"), h = value("HEIGHT");
      for (const wxPoint& p : points) {
        const int px = p.x < 0 ? x + w + p.x : x + p.x, py = p.y < 0 ? y + h + p.y : y + p.y;
        RunCommand("xdotool mousemove " + std::to_string(px) + " " + std::to_string(py) + " sleep 0.3 click 1 sleep 0.2");
      }
    });
    m_timer.Start(100);
  }
  bool Done() const { return m_done; }

 private:
  wxTimer m_timer;
  bool m_done = false;
};

// Printer Settings opens the desktop's page setup dialog on the program's
// print settings: Cancel changes nothing, Landscape and Apply keep it.
TEST(FirstUse, PrinterSettingsRunsThePageSetupDialog) {
  REQUIRE_TOOL("xdotool");
  DocumentWindowFixture f;
  EXPECT_TRUE(f.IsEnabled(ID_FILE_PRINT_SETUP));
  GetProgramPrintData().SetOrientation(wxPORTRAIT);
  const wxPoint cancel(-141, -25), apply(-51, -25), landscape(112, -61);
  {
    ClickIntoNativeDialog click("Page Setup", {landscape, cancel});
    f.Command(ID_FILE_PRINT_SETUP);  // as the menu item does
    EXPECT_TRUE(click.Done());
    EXPECT_EQ(GetProgramPrintData().GetOrientation(), wxPORTRAIT);
  }
  {
    ClickIntoNativeDialog click("Page Setup", {landscape, apply});
    EXPECT_TRUE(RunPrinterSettings(f.frame));
    EXPECT_TRUE(click.Done());
    EXPECT_EQ(GetProgramPrintData().GetOrientation(), wxLANDSCAPE);
  }
}

}  // namespace
