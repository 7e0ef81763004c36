// Add Text as a user runs it: the command from the menu puts the panel on
// the Effect page, typed keys draw the text as a floating selection at the
// frame's top-left corner, the mouse drags it before it is kept, OK keeps it
// as the one step "Add Text" and Undo takes it away; Escape gives the frame
// back bit for bit. Also the size field's limits, the stored settings and a
// frame with a palette.

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/Profile.h"
#include "editor/AddTextPanel.h"
#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "imaging/PixelAccess.h"
#include "resources/CommandIds.h"
#include "shell/ColorBox.h"
#include "shell/ColorChooser.h"
#include "shell/FontComboBox.h"
#include "shell/TaskPanePages.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::RunCommand;
using testing_support::ShellQuote;
using testing_support::TempDir;
using testing_support::MakeTestPicture;

bool SameBits(const CRasterImage& a, const CRasterImage& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBitsPerPixel() != b.GetBitsPerPixel() ||
      a.HasValidMask() != b.HasValidMask() || a.GetPaletteSize() != b.GetPaletteSize())
    return false;
  const size_t rowBytes = (static_cast<size_t>(a.GetWidth()) * a.GetBitsPerPixel() + 7) / 8;
  for (int y = 0; y < a.GetHeight(); ++y)
    if (std::memcmp(a.GetRow(y), b.GetRow(y), rowBytes) != 0) return false;
  return a.GetPaletteSize() == 0 ||
         std::memcmp(a.GetPalette(), b.GetPalette(), static_cast<size_t>(a.GetPaletteSize()) * 4) == 0;
}

struct PointerGuard {
  wxPoint at = wxGetMousePosition();
  ~PointerGuard() {
    wxUIActionSimulator sim;
    sim.MouseMove(at);
    PumpUntil([this] { return wxGetMousePosition() == at; }, 1000);
  }
};

class AddText : public ::testing::Test {
 protected:
  void SetUp() override {
    // A known font and no text left from another test.
    WriteProfileString(kAddTextSection, "Text", "");
    WriteProfileString(kAddTextSection, "Font name", "DejaVu Sans");
    WriteProfileInt(kAddTextSection, "Font size", 36);
    WriteProfileInt(kAddTextSection, "Color", 0x0000FF);  // red
    WriteProfileInt(kAddTextSection, "Alignment", 0);
    for (const char* key : {"Bold", "Italic", "Underline", "Strikeout"}) WriteProfileInt(kAddTextSection, key, 0);
  }
  void Open(const CRasterImage& image) {
    f.frame->Move(0, 0);
    PumpFor(50);
    doc = OpenImageDocument(WriteBmp(dir, "text.bmp", image));
    ASSERT_TRUE(doc);
    view = f.ViewOf(doc);
    ASSERT_TRUE(view);
    PumpFor(100);
    view->SetZoom(1);
    PumpFor(100);
    original = doc->GetCurrentFrame()->m_image;
  }
  CAddTextDialog* Start() {
    f.Command(ID_ADD_TEXT);
    return editor_testing::WaitForEffectPanel<CAddTextDialog>(f.frame);
  }
  // Types text into the focused control, one key at a time, and waits for
  // the preview of the last key.
  void Type(CAddTextDialog* panel, wxTextCtrl* ctrl, const std::string& text) {
    if (wxWindow::FindFocus() != ctrl) {
      ctrl->SetFocus();
      PumpUntil([&] { return wxWindow::FindFocus() == ctrl; }, 1000);
    }
    for (const char c : text) {
      const wxString before = ctrl->GetValue();
      if (c == '\n')
        sim.Char(WXK_RETURN);
      else
        sim.Char(c, c >= 'A' && c <= 'Z' ? wxMOD_SHIFT : wxMOD_NONE);
      PumpUntil([&] { return ctrl->GetValue() != before; }, 1000);
    }
    PumpUntil([&] { return !panel->IsPreviewPending(); }, 2000);
    PumpFor(30);
  }
  wxPoint Screen(int x, int y) const {
    const Point at = view->ImageToClient(Point{x, y});
    return view->GetViewWindow()->ClientToScreen(wxPoint(at.x, at.y));
  }
  void MoveTo(const wxPoint& screen) {
    sim.MouseMove(screen);
    PumpUntil([&] { return wxGetMousePosition() == screen; }, 1000);
    PumpFor(30);
  }
  void Click(wxWindow* window) {
    const wxRect r = window->GetScreenRect();
    MoveTo(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
    sim.MouseClick();
    PumpFor(30);
  }
  CAnimFrame& Frame() { return *doc->GetCurrentFrame(); }

  DocumentWindowFixture f;
  PointerGuard pointer;  // put back while the window still exists
  TempDir dir;
  wxUIActionSimulator sim;
  CPictoravellDoc* doc = nullptr;
  CPictoravellView* view = nullptr;
  CRasterImage original;
};

TEST_F(AddText, TypedTextFloatsIsDraggedAndKeptAsOneStep) {
  Open(SolidImage(320, 200, 255, 255, 255));
  // The command is on the Colors menu under its name and shortcut.
  wxMenuItem* item = f.frame->GetMenuBar()->FindItem(ID_ADD_TEXT);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->GetItemLabel(), "Add Text...\tCtrl+T");
  ASSERT_TRUE(f.IsEnabled(ID_ADD_TEXT));
  CAddTextDialog* panel = Start();
  ASSERT_TRUE(panel);
  EXPECT_EQ(panel->GetParent(), f.frame->GetEffectPage());
  EXPECT_EQ(f.frame->GetEffectPage()->GetLabel(), "Add Text");
  EXPECT_TRUE(doc->IsToolRunning());
  EXPECT_FALSE(f.IsEnabled(ID_EDIT_UNDO));
  EXPECT_FALSE(f.IsEnabled(ID_ADD_TEXT));
  // No text yet: no floating selection. The text box has the focus.
  EXPECT_TRUE(Frame().m_selection.IsEmpty());
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == panel->GetTextCtrl(); }, 2000));
  EXPECT_EQ(panel->GetFontList()->GetString(static_cast<unsigned>(panel->GetFontList()->GetSelection())), "DejaVu Sans");

  // Typing draws the text at the frame's top-left corner, a preview a key.
  const int before = panel->GetTool()->GetPreviewCount();
  Type(panel, panel->GetTextCtrl(), "Hi");
  EXPECT_GE(panel->GetTool()->GetPreviewCount(), before + 2);
  const CRasterImage oneLine = Frame().m_selection;
  ASSERT_FALSE(oneLine.IsEmpty());
  EXPECT_EQ(oneLine.GetBitsPerPixel(), 24);
  EXPECT_EQ(Frame().m_rcSelection.left, Frame().m_rcSelection.right - oneLine.GetWidth());
  EXPECT_EQ(Frame().m_rcSelection.right - Frame().m_rcSelection.left, oneLine.GetWidth());
  EXPECT_EQ(Frame().m_rcSelection.bottom - Frame().m_rcSelection.top, oneLine.GetHeight());
  // Cropped to the ink, which starts a margin ("WW") in: the rectangle's
  // top-left stays (0, 0), the ink's size is that of the selection.
  EXPECT_EQ(Frame().m_rcSelection.left, 0);
  EXPECT_EQ(Frame().m_rcSelection.top, 0);
  // Red, opaque inside the strokes, smoothed at their edges.
  std::set<int> alpha;
  for (int y = 0; y < oneLine.GetHeight(); ++y)
    for (int x = 0; x < oneLine.GetWidth(); ++x) {
      const uint8_t* p = oneLine.GetRow(y) + 3 * x;
      ASSERT_TRUE(p[0] == 255 && p[1] == 0 && p[2] == 0);
      alpha.insert(oneLine.GetMaskRow(y)[x]);
    }
  EXPECT_TRUE(alpha.count(255));
  EXPECT_TRUE(alpha.count(0));
  EXPECT_GT(alpha.size(), 5u);
  EXPECT_TRUE(SameBits(Frame().m_image, original));  // the image itself untouched

  // Enter makes a second line rather than ending the effect.
  Type(panel, panel->GetTextCtrl(), "\nthere");
  EXPECT_EQ(f.frame->GetMode(), MODE_EFFECT);
  EXPECT_EQ(panel->GetTextCtrl()->GetValue(), "Hi\nthere");
  EXPECT_GT(Frame().m_selection.GetHeight(), oneLine.GetHeight() + 30);

  // The mouse drags the floating text 60 pixels right and 40 down.
  const int w = Frame().m_selection.GetWidth(), h = Frame().m_selection.GetHeight();
  const wxPoint from = Screen(w / 2, h / 2), to = Screen(w / 2 + 60, h / 2 + 40);
  MoveTo(from);
  sim.MouseDown();
  PumpFor(50);
  MoveTo(Screen(w / 2 + 30, h / 2 + 20));
  MoveTo(to);
  sim.MouseUp();
  ASSERT_TRUE(PumpUntil([&] { return !view->IsDragging(); }, 2000));
  PumpFor(50);
  EXPECT_EQ(Frame().m_rcSelection.left, 60);
  EXPECT_EQ(Frame().m_rcSelection.top, 40);
  EXPECT_EQ(doc->GetUndoSteps().size(), 0u);  // the move is part of the effect
  // A further key keeps the text where it was dragged.
  Type(panel, panel->GetTextCtrl(), ".");
  EXPECT_EQ(Frame().m_rcSelection.left, 60);
  EXPECT_EQ(Frame().m_rcSelection.top, 40);
  EXPECT_EQ(Frame().m_rcSelection.right, 60 + Frame().m_selection.GetWidth());
  const CAnimFrame shown = Frame();

  // OK keeps the text, still floating, as one step.
  Click(panel->GetOkButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  EXPECT_FALSE(doc->IsToolRunning());
  ASSERT_EQ(doc->GetUndoSteps().size(), 1u);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Add Text");
  EXPECT_TRUE(SameBits(Frame().m_selection, shown.m_selection));
  EXPECT_EQ(Frame().m_rcSelection.left, 60);
  EXPECT_TRUE(SameBits(Frame().m_image, original));
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(GetProfileString(kAddTextSection, "Text", ""), "Hi\nthere.");
  EXPECT_EQ(GetProfileInt(kAddTextSection, "Color", -1), 0x0000FF);

  // Undo: the frame as before the command; Redo brings the text back.
  ASSERT_TRUE(f.IsEnabled(ID_EDIT_UNDO));
  f.Command(ID_EDIT_UNDO);
  PumpFor(30);
  EXPECT_TRUE(Frame().m_selection.IsEmpty());
  EXPECT_EQ(Frame().m_rcSelection.left, 0);
  EXPECT_EQ(Frame().m_rcSelection.right, 0);
  EXPECT_TRUE(SameBits(Frame().m_image, original));
  f.Command(ID_EDIT_REDO);
  PumpFor(30);
  EXPECT_TRUE(SameBits(Frame().m_selection, shown.m_selection));
  EXPECT_EQ(Frame().m_rcSelection.top, 40);
}

TEST_F(AddText, EscapeGivesTheFrameBackBitForBitAndKeepsTheSettings) {
  Open(MakeTestPicture(120, 80, 4));
  const CAnimFrame before = Frame();
  CAddTextDialog* panel = Start();
  ASSERT_TRUE(panel);
  Type(panel, panel->GetTextCtrl(), "Gone");
  ASSERT_FALSE(Frame().m_selection.IsEmpty());
  sim.Char(WXK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  EXPECT_TRUE(Frame().m_selection.IsEmpty());
  EXPECT_TRUE(SameBits(Frame().m_image, before.m_image));
  EXPECT_EQ(Frame().m_rcSelection.left, before.m_rcSelection.left);
  EXPECT_EQ(Frame().m_rcSelection.right, before.m_rcSelection.right);
  EXPECT_EQ(Frame().m_nLeft, before.m_nLeft);
  EXPECT_FALSE(doc->CanUndo());
  EXPECT_EQ(GetProfileString(kAddTextSection, "Text", "x"), "");  // not saved on Cancel
}

TEST_F(AddText, SizeFieldKeepsItsLimits) {
  Open(SolidImage(200, 100, 255, 255, 255));
  CAddTextDialog* panel = Start();
  ASSERT_TRUE(panel);
  Type(panel, panel->GetTextCtrl(), "A");
  wxTextCtrl* size = panel->GetSizeCtrl();
  EXPECT_EQ(size->GetValue(), "36");
  const int height36 = Frame().m_selection.GetHeight();
  size->SetFocus();
  PumpUntil([&] { return wxWindow::FindFocus() == size; }, 1000);
  size->SelectAll();
  Type(panel, size, "201");  // 2, 20, then 201 becomes 200
  EXPECT_EQ(size->GetValue(), "200");
  EXPECT_EQ(panel->Tool()->m_style.pointSize, 200);
  EXPECT_GT(Frame().m_selection.GetHeight(), height36 * 4);
  size->SelectAll();
  Type(panel, size, "0");
  EXPECT_EQ(size->GetValue(), "1");
  EXPECT_EQ(panel->Tool()->m_style.pointSize, 1);
  size->SelectAll();
  Type(panel, size, "x");
  EXPECT_EQ(size->GetValue(), "1");
  size->SelectAll();
  Type(panel, size, "48");
  EXPECT_EQ(panel->Tool()->m_style.pointSize, 48);
  // Emptied and left: "1".
  size->ChangeValue("");
  panel->GetTextCtrl()->SetFocus();
  PumpUntil([&] { return size->GetValue() == "1"; }, 1000);
  EXPECT_EQ(size->GetValue(), "1");
  // The colour box opens the colour dialog at the current colour.
  RGBQUAD offered;
  CColorChooserOverride chooser([&](wxWindow*, RGBQUAD& colour) {
    offered = colour;
    colour = MakeRGBQuad(0, 128, 0);
    return true;
  });
  Click(panel->GetColorBox());
  ASSERT_TRUE(PumpUntil([&] { return panel->Tool()->m_color.rgbGreen == 128; }, 1000));
  EXPECT_EQ(offered.rgbRed, 255);
  EXPECT_EQ(offered.rgbBlue, 0);
  PumpUntil([&] { return !panel->IsPreviewPending(); }, 1000);
  PumpFor(30);
  ASSERT_FALSE(Frame().m_selection.IsEmpty());
  const uint8_t* pixel = Frame().m_selection.GetRow(0);
  EXPECT_TRUE(pixel[0] == 0 && pixel[1] == 128 && pixel[2] == 0);
  RGBQUAD boxColour;
  ASSERT_TRUE(panel->GetColorBox()->GetColor(&boxColour));
  EXPECT_EQ(boxColour.rgbGreen, 128);
  // Bold from its check box, by the mouse.
  auto* bold = dynamic_cast<wxCheckBox*>(panel->FindWindow(IDC_ADD_TEXT_BOLD));
  ASSERT_TRUE(bold);
  Click(bold);
  EXPECT_TRUE(PumpUntil([&] { return panel->Tool()->m_style.bold; }, 1000));
  Click(panel->GetOkButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  EXPECT_EQ(GetProfileInt(kAddTextSection, "Font size", -1), 1);
  EXPECT_EQ(GetProfileInt(kAddTextSection, "Bold", -1), 1);
  EXPECT_EQ(GetProfileInt(kAddTextSection, "Color", -1), 0x008000);
}

TEST_F(AddText, AMissingFontSelectsTheFirstAndKeepsTheStoredName) {
  WriteProfileString(kAddTextSection, "Font name", "No Such Font Anywhere");
  WriteProfileInt(kAddTextSection, "Alignment", 7);
  WriteProfileInt(kAddTextSection, "Font size", 900);
  Open(SolidImage(100, 60, 255, 255, 255));
  CAddTextDialog* panel = Start();
  ASSERT_TRUE(panel);
  EXPECT_GT(panel->GetFontList()->GetCount(), 0u);
  EXPECT_EQ(panel->GetFontList()->GetSelection(), 0);
  EXPECT_EQ(panel->GetFontName(), "No Such Font Anywhere");
  EXPECT_EQ(panel->Tool()->m_style.alignment, 0);
  EXPECT_EQ(panel->GetSizeCtrl()->GetValue(), "200");
  Click(panel->GetOkButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  EXPECT_EQ(GetProfileString(kAddTextSection, "Font name", ""), "No Such Font Anywhere");
  // Empty text: OK still records the step, without a floating selection.
  EXPECT_TRUE(Frame().m_selection.IsEmpty());
  EXPECT_EQ(doc->GetUndoSteps().size(), 1u);
}

TEST_F(AddText, APaletteFrameGetsAOneBitMaskAndTheNearestColour) {
  // A 4-bit picture whose palette has no pure red.
  CRasterImage image;
  ASSERT_TRUE(image.Create(160, 90, 4));
  RGBQUAD* palette = image.GetWritablePalette();
  for (int i = 0; i < 16; ++i)
    palette[i] = MakeRGBQuad(static_cast<uint8_t>(i * 16), static_cast<uint8_t>(i * 16), static_cast<uint8_t>(i * 16));
  palette[9] = MakeRGBQuad(240, 10, 10);
  for (int y = 0; y < 90; ++y) std::memset(image.GetWritableBits() + y * image.GetStride(), 0xFF, image.GetStride());
  Open(image);
  ASSERT_EQ(Frame().m_image.GetBitsPerPixel(), 4);
  testing_support::RecordingMessageSink messages;
  CAddTextDialog* panel = Start();
  ASSERT_TRUE(panel);
  Type(panel, panel->GetTextCtrl(), "Ab");
  const CRasterImage& text = Frame().m_selection;
  ASSERT_FALSE(text.IsEmpty());
  EXPECT_EQ(text.GetBitsPerPixel(), 4);
  std::set<int> indices, mask;
  for (int y = 0; y < text.GetHeight(); ++y)
    for (int x = 0; x < text.GetWidth(); ++x) {
      indices.insert(GetPixel4(text.GetRow(y), static_cast<int16_t>(x)));
      mask.insert(GetPixel1(text.GetMaskRow(y), static_cast<int16_t>(x)));
    }
  EXPECT_EQ(indices, std::set<int>{9});
  EXPECT_EQ(mask, (std::set<int>{0, 1}));
  // The warning comes with every preview.
  int warnings = 0;
  for (const auto& m : messages.messages) warnings += m.first == MESSAGE_WARNING && m.second == kPaletteColorWarning;
  EXPECT_GE(warnings, 2);
  Click(panel->GetOkButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
}

TEST_F(AddText, AFloatingSelectionIsMergedFirstOnlyWhenTheUserAgrees) {
  Open(MakeTestPicture(90, 60, 8));
  f.Command(ID_SELECT_ALL);
  PumpFor(30);
  ASSERT_FALSE(Frame().m_selection.IsEmpty());
  const CAnimFrame floating = Frame();
  const size_t steps = doc->GetUndoSteps().size();
  std::vector<std::string> asked;
  bool yes = false;
  DOCUMENT_PROMPTS prompts;
  prompts.askYesNo = [&](const std::string& text) {
    asked.push_back(text);
    return yes;
  };
  ScopedPrompts scoped(prompts);
  // No: nothing starts, nothing changes.
  f.Command(ID_ADD_TEXT);
  PumpFor(50);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "This operation requires the image selection to be de-selected.\nDo you want to proceed?");
  EXPECT_EQ(f.frame->GetMode(), MODE_VIEW_EDIT);
  EXPECT_TRUE(SameBits(Frame().m_selection, floating.m_selection));
  // Yes: merged, and the text floats alone; Cancel gives the old selection back.
  yes = true;
  CAddTextDialog* panel = Start();
  ASSERT_TRUE(panel);
  EXPECT_TRUE(panel->Tool()->GetCopy().GetWidth() == 90);
  Type(panel, panel->GetTextCtrl(), "Z");
  EXPECT_EQ(Frame().m_rcSelection.left, 0);
  EXPECT_LT(Frame().m_selection.GetWidth(), 60);
  Click(panel->GetCancelButton());
  ASSERT_TRUE(PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000));
  EXPECT_TRUE(SameBits(Frame().m_selection, floating.m_selection));
  EXPECT_TRUE(SameBits(Frame().m_image, floating.m_image));
  EXPECT_EQ(Frame().m_rcSelection.right, floating.m_rcSelection.right);
  EXPECT_EQ(doc->GetUndoSteps().size(), steps);
}

// The panel as the user sees it, with a text dragged into place (only with
// PICTORAVELL_SCREENSHOT_DIR).
TEST_F(AddText, Screenshot) {
  const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!out || !*out) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  REQUIRE_TOOL("import");
  WriteProfileInt(kAddTextSection, "Color", 0x2060E0);
  WriteProfileInt(kAddTextSection, "Bold", 1);
  WriteProfileInt(kAddTextSection, "Alignment", 1);
  Open(MakeTestPicture(420, 300, 6));
  CAddTextDialog* panel = Start();
  ASSERT_TRUE(panel);
  Type(panel, panel->GetTextCtrl(), "Pictoravell\nAdd Text");
  const int w = Frame().m_selection.GetWidth(), h = Frame().m_selection.GetHeight();
  MoveTo(Screen(w / 2, h / 2));
  sim.MouseDown();
  PumpFor(50);
  MoveTo(Screen(w / 2 + 50, h / 2 + 80));
  sim.MouseUp();
  PumpUntil([&] { return !view->IsDragging(); }, 2000);
  f.frame->Refresh();
  f.frame->Update();
  PumpFor(400);
  const wxRect r = f.frame->GetScreenRect();
  const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                           std::to_string(r.y);
  EXPECT_EQ(RunCommand("import -window root -crop " + crop + " " + ShellQuote(std::string(out) + "/add-text.png")), 0);
  Click(panel->GetCancelButton());
  PumpUntil([&] { return f.frame->GetMode() == MODE_VIEW_EDIT; }, 2000);
}

}  // namespace
