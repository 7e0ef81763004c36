// The Rotate and Feather Selection dialogs typed into with injected keys and
// their commands chosen from the keyboard (F8, Ctrl+F) and the menu: the
// settings under "Rotate" and "Feather" restored and stored only for
// accepted values, refusals with their messages, each command one named
// undo step that Undo takes back, Esc leaving no step; the size dialogs'
// remaining rules (the scale's range, stored alignments clamped).

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <string>

#include "base/Profile.h"
#include "editor/CanvasSizeDialog.h"
#include "editor/FeatherDialog.h"
#include "editor/PictoravellDoc.h"
#include "editor/ResizeDialog.h"
#include "editor/RotateDialog.h"
#include "editor/ViewCursors.h"
#include "editor/model/FrameEdits.h"
#include "imaging/Filters.h"
#include "imaging/Rotate.h"
#include "resources/CommandIds.h"
#include "shell/ModalDialog.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/WxDialogScript.h"

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

// Replaces an edit's text by typing: focus, select all, injected keys.
void TypeInto(wxDialog& dialog, int id, const std::string& text) {
  auto* edit = Control<wxTextCtrl>(dialog, id);
  ASSERT_NE(edit, nullptr);
  dialog.Raise();
  edit->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == edit; }, 2000));
  edit->SelectAll();
  wxUIActionSimulator sim;
  if (text.empty())
    sim.Char(WXK_BACK);
  else
    sim.Text(text.c_str());
  ASSERT_TRUE(PumpUntil([&] { return edit->GetValue() == text; }, 3000)) << edit->GetValue();
}

// Clicks a control with the injected mouse.
void ClickOn(wxWindow* control) {
  ASSERT_NE(control, nullptr);
  wxUIActionSimulator sim;
  sim.MouseMove(control->GetScreenRect().GetPosition() + wxPoint(8, control->GetSize().y / 2));
  PumpFor(30);
  sim.MouseClick();
  PumpFor(60);
}

// Enter in the dialog's edit presses its default button (OK).
void PressEnter() {
  wxUIActionSimulator sim;
  sim.Char(WXK_RETURN);
}

CRasterImage Gradient(int w, int h) {
  CRasterImage image;
  image.Create(w, h, 24);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = image.GetWritableBits() + int64_t{y} * image.GetStride();
    for (int x = 0; x < w; ++x) {
      row[3 * x] = static_cast<uint8_t>(x * 5);
      row[3 * x + 1] = static_cast<uint8_t>(y * 7);
      row[3 * x + 2] = 90;
    }
  }
  return image;
}

CRasterImage Indexed(int w, int h) {
  CRasterImage image;
  image.Create(w, h, 8);
  SetGrayPalette(image);
  image.GetWritablePalette()[1].rgbRed = 200;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.GetWritableBits()[int64_t{y} * image.GetStride() + x] = static_cast<uint8_t>(x + 16 * y);
  return image;
}

bool SameImage(const CRasterImage& a, const CRasterImage& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() ||
      a.GetBitsPerPixel() != b.GetBitsPerPixel() || a.HasMask() != b.HasMask())
    return false;
  for (int y = 0; y < a.GetHeight(); ++y) {
    if (!std::equal(a.GetRow(y), a.GetRow(y) + (a.GetWidth() * a.GetBitsPerPixel() + 7) / 8, b.GetRow(y)))
      return false;
    if (a.HasMask() &&
        !std::equal(a.GetMaskRow(y), a.GetMaskRow(y) + (a.GetWidth() * a.GetMaskBitsPerPixel() + 7) / 8,
                    b.GetMaskRow(y)))
      return false;
  }
  return true;
}

// ---- the Rotate dialog ----------------------------------------------------------------

TEST(RotateDialog, TypedAngleAndDirectionAreReturnedSignedAndRestored) {
  ScopedStore store;
  DocumentWindowFixture f;  // a shown main frame for the dialogs' parent
  {
    CModalDialogHook hook([&](wxDialog& d) -> int {
      EXPECT_EQ(d.GetId(), IDD_ROTATE);
      EXPECT_EQ(d.GetTitle(), "Rotate");
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_ROTATE_ANGLE)->GetValue(), "0");
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_ROTATE_CLOCKWISE)->GetValue());
      TypeInto(d, IDC_ROTATE_ANGLE, "90");
      ClickOn(d.FindWindow(IDC_ROTATE_COUNTER_CLOCKWISE));
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_ROTATE_COUNTER_CLOCKWISE)->GetValue());
      TypeInto(d, IDC_ROTATE_ANGLE, "90");
      PressEnter();
      PumpUntil([&] { return !d.IsModal(); }, 3000);
      return wxID_OK;
    });
    ROTATE_VALUES values;
    ASSERT_TRUE(RunRotateDialog(f.frame, values));
    EXPECT_EQ(values.angle, -90);
    EXPECT_EQ(values.direction, 0);
  }
  // The profile keeps the typed angle and the direction.
  EXPECT_EQ(GetProfileInt("Rotate", "Angle", -1), 90);
  EXPECT_EQ(GetProfileInt("Rotate", "Direction", -1), 0);
  // They come back next time; Cancel returns nothing and stores nothing.
  CModalDialogHook again([&](wxDialog& d) -> int {
    EXPECT_EQ(Control<wxTextCtrl>(d, IDC_ROTATE_ANGLE)->GetValue(), "90");
    EXPECT_TRUE(Control<wxRadioButton>(d, IDC_ROTATE_COUNTER_CLOCKWISE)->GetValue());
    TypeInto(d, IDC_ROTATE_ANGLE, "12");
    return wxID_CANCEL;
  });
  ROTATE_VALUES values;
  values.angle = 7;
  EXPECT_FALSE(RunRotateDialog(f.frame, values));
  EXPECT_EQ(values.angle, 7);
  EXPECT_EQ(GetProfileInt("Rotate", "Angle", -1), 90);
}

TEST(RotateDialog, AnglesOutside0To360AreRefusedWithoutStoring) {
  DocumentWindowFixture f;
  for (const char* text : {"361", "-1", "abc", ""}) {
    ScopedStore store;
    testing_support::DialogScript script;
    bool refusedStayedOpen = false;
    script.Run([&](wxDialog& d) {
      TypeInto(d, IDC_ROTATE_ANGLE, text);
      PressEnter();
      // The message (answered below) leaves the dialog open.
      PumpUntil([&] { return script.messages().size() == 1; }, 3000);
      refusedStayedOpen = d.IsModal();
      TypeInto(d, IDC_ROTATE_ANGLE, "360");
      PressEnter();
    });
    script.Answer(wxID_OK);
    ROTATE_VALUES values;
    EXPECT_TRUE(RunRotateDialog(f.frame, values)) << text;
    ASSERT_EQ(script.messages().size(), 1u) << text;
    EXPECT_EQ(script.messages()[0], "Please enter an integer between 0 and 360.");
    EXPECT_TRUE(refusedStayedOpen) << text;
    EXPECT_EQ(values.angle, 360);
    EXPECT_EQ(GetProfileInt("Rotate", "Angle", -1), 360);
    EXPECT_EQ(GetProfileInt("Rotate", "Direction", -1), 1);
  }
}

// ---- Rotate Arbitrary from F8 and the menu ------------------------------------------

TEST(RotateArbitrary, F8TurnsImageOrSelectionAsOneStep) {
  ScopedStore store;
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "r.bmp", Gradient(40, 30)));
  ASSERT_NE(doc, nullptr);
  ASSERT_NE(f.frame->GetMenuBar()->FindItem(ID_IMAGE_ROTATE_ARBITRARY), nullptr);
  EXPECT_EQ(f.frame->GetMenuBar()->FindItem(ID_IMAGE_ROTATE_ARBITRARY)->GetItemLabel(), "Arbitrary...\tF8");
  wxWindow* view = f.ViewOf(doc)->GetViewWindow();
  view->SetFocus();
  wxUIActionSimulator sim;
  sim.MouseMove(view->GetScreenRect().GetPosition() + wxPoint(view->GetSize().x / 2, view->GetSize().y / 2));
  PumpFor(50);

  // Esc in the dialog: no step.
  {
    testing_support::DialogScript script;
    script.Run([&](wxDialog& d) {
      TypeInto(d, IDC_ROTATE_ANGLE, "30");
      wxUIActionSimulator keys;
      keys.Char(WXK_ESCAPE);
    });
    view->SetFocus();
    sim.Char(WXK_F8);
    ASSERT_TRUE(PumpUntil([&] { return script.Remaining() == 0; }, 3000));
    PumpFor(100);
  }
  EXPECT_EQ(doc->GetUndoPosition(), -1);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(GetProfileInt("Rotate", "Angle", -1), -1);

  struct Case {
    bool selection;
    bool indexed;
    const char* angle;
    bool counter;
    int signedAngle;
  } cases[] = {
      {false, false, "90", true, -90},  // the only frame takes the canvas with it
      {false, false, "30", false, 30},
      {true, false, "45", false, 45},   // the selection, about its centre
      {true, true, "30", true, -30},    // indexed: nearest neighbour
      {false, true, "200", false, 200},
  };
  for (const Case& c : cases) {
    CAnimFrame frame;
    frame.m_image = c.indexed ? Indexed(40, 30) : Gradient(40, 30);
    if (c.selection) {
      frame.m_selection = c.indexed ? Indexed(10, 6) : Gradient(10, 6);
      frame.m_rcSelection = Rect{4, 6, 14, 12};
    }
    doc->SetFrames(40, 30, {frame}, 0);
    doc->Modify(false);
    const int start = doc->GetUndoPosition();
    ASSERT_TRUE(f.IsEnabled(ID_IMAGE_ROTATE_ARBITRARY));
    CModalDialogHook hook([&](wxDialog& d) -> int {
      TypeInto(d, IDC_ROTATE_ANGLE, c.angle);
      ClickOn(d.FindWindow(c.counter ? IDC_ROTATE_COUNTER_CLOCKWISE : IDC_ROTATE_CLOCKWISE));
      PressEnter();
      PumpUntil([&] { return !d.IsModal(); }, 3000);
      return wxID_OK;
    });
    view->SetFocus();
    sim.Char(WXK_F8);
    ASSERT_TRUE(PumpUntil([&] { return doc->GetUndoPosition() == start + 1; }, 5000)) << c.angle;
    EXPECT_EQ(UndoLabelOf(*doc), RotationLabel(c.signedAngle));
    EXPECT_TRUE(doc->IsModified());
    const CAnimFrame& turned = *doc->GetCurrentFrame();
    const CRasterImage expected = RotateImage(c.selection ? frame.m_selection : frame.m_image, c.signedAngle);
    EXPECT_TRUE(SameImage(c.selection ? turned.m_selection : turned.m_image, expected)) << c.angle;
    int16_t w = 0, h = 0;
    doc->GetCanvasSize(w, h);
    if (c.selection) {
      // Centred on the old selection's centre (9, 9).
      const Rect& r = turned.m_rcSelection;
      EXPECT_EQ(r.right - r.left, expected.GetWidth());
      EXPECT_EQ(r.left, 9 - expected.GetWidth() / 2);
      EXPECT_EQ(r.top, 9 - expected.GetHeight() / 2);
      EXPECT_EQ(w, 40);
    } else {
      EXPECT_EQ(w, expected.GetWidth());
      EXPECT_EQ(h, expected.GetHeight());
    }
    f.Command(ID_EDIT_UNDO);
    doc->GetCanvasSize(w, h);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 30);
    EXPECT_TRUE(SameImage(doc->GetCurrentFrame()->m_image, frame.m_image));
    EXPECT_TRUE(SameImage(doc->GetCurrentFrame()->m_selection, frame.m_selection));
    EXPECT_FALSE(doc->IsModified());
  }

  // From the menu, with the stored values as they were left (200 clockwise).
  CModalDialogHook menu([&](wxDialog& d) -> int {
    EXPECT_EQ(Control<wxTextCtrl>(d, IDC_ROTATE_ANGLE)->GetValue(), "200");
    return wxID_OK;
  });
  const int start = doc->GetUndoPosition();
  f.Command(ID_IMAGE_ROTATE_ARBITRARY);
  EXPECT_EQ(doc->GetUndoPosition(), start + 1);
  EXPECT_EQ(UndoLabelOf(*doc), "Rotate 200 \xC2\xB0");
}

TEST(RotateArbitrary, OffWhileAFrameIsBusyOrEmpty) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "b.bmp", Gradient(8, 8)));
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(f.IsEnabled(ID_IMAGE_ROTATE_ARBITRARY));
  {
    CFrameBusyGuard busy(doc, 0);
    EXPECT_FALSE(f.IsEnabled(ID_IMAGE_ROTATE_ARBITRARY));
    CModalDialogHook never([&](wxDialog&) -> int {
      ADD_FAILURE() << "no dialog for a busy frame";
      return wxID_CANCEL;
    });
    f.Command(ID_IMAGE_ROTATE_ARBITRARY);
    EXPECT_EQ(never.GetCalls(), 0);
  }
  doc->SetFrames(8, 8, {CAnimFrame()}, 0);
  EXPECT_FALSE(f.IsEnabled(ID_IMAGE_ROTATE_ARBITRARY));
}

// ---- the Feather Selection dialog and Ctrl+F ----------------------------------------

TEST(FeatherDialog, StoredValuesAreRestoredAndOnlyAcceptedOnesStored) {
  DocumentWindowFixture f;
  struct Case {
    int storedDirection;
    int shownButton;
  } cases[] = {{3, IDC_FEATHER_BOTH}, {2, IDC_FEATHER_HORIZONTAL}, {1, IDC_FEATHER_VERTICAL},
               {0, IDC_FEATHER_BOTH}, {7, IDC_FEATHER_BOTH}};
  for (const Case& c : cases) {
    ScopedStore store;
    WriteProfileInt("Feather", "Direction", c.storedDirection);
    CModalDialogHook hook([&](wxDialog& d) -> int {
      EXPECT_EQ(d.GetId(), IDD_FEATHER);
      EXPECT_EQ(d.GetTitle(), "Feather Selection");
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_FEATHER_AMOUNT)->GetValue(), "5");
      EXPECT_TRUE(Control<wxRadioButton>(d, c.shownButton)->GetValue()) << c.storedDirection;
      return wxID_OK;
    });
    FEATHER_VALUES values;
    ASSERT_TRUE(RunFeatherDialog(f.frame, values));
    EXPECT_EQ(values.amount, 5);
    EXPECT_EQ(values.direction, c.storedDirection >= 1 && c.storedDirection <= 3 ? c.storedDirection : 3);
  }
  for (const char* text : {"0", "65536", "-3", "x"}) {
    ScopedStore store;
    testing_support::DialogScript script;
    script.Run([&](wxDialog& d) {
      TypeInto(d, IDC_FEATHER_AMOUNT, text);
      PressEnter();
      PumpUntil([&] { return script.messages().size() == 1; }, 3000);
      EXPECT_TRUE(d.IsModal()) << text;
      wxUIActionSimulator keys;
      keys.Char(WXK_ESCAPE);
    });
    script.Answer(wxID_OK);
    FEATHER_VALUES values;
    EXPECT_FALSE(RunFeatherDialog(f.frame, values)) << text;
    ASSERT_EQ(script.messages().size(), 1u) << text;
    EXPECT_EQ(script.messages()[0], "Please enter an integer between 1 and 65535.");
    EXPECT_EQ(GetProfileInt("Feather", "Amount", -1), -1);
    EXPECT_EQ(GetProfileInt("Feather", "Direction", -1), -1);
  }
}

TEST(FeatherSelection, IndexedOrEmptyImagesGetNoDialog) {
  ScopedStore store;
  CModalDialogHook never([&](wxDialog&) -> int { return wxID_OK; });
  CRasterImage empty;
  EXPECT_FALSE(FeatherSelection(nullptr, empty));
  CRasterImage indexed = Indexed(6, 6);
  EXPECT_FALSE(FeatherSelection(nullptr, indexed));
  CRasterImage gray;
  gray.Create(6, 6, 8);
  SetGrayPalette(gray);
  EXPECT_FALSE(FeatherSelection(nullptr, gray));
  EXPECT_EQ(never.GetCalls(), 0);
  EXPECT_FALSE(indexed.HasMask());
}

TEST(Feather, CtrlFFeathersTheSelectionAsOneStep) {
  ScopedStore store;
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "f.bmp", Gradient(30, 20)));
  ASSERT_NE(doc, nullptr);
  ASSERT_NE(f.frame->GetMenuBar()->FindItem(ID_FEATHER), nullptr);
  EXPECT_EQ(f.frame->GetMenuBar()->FindItem(ID_FEATHER)->GetItemLabel(), "Feather...\tCtrl+F");
  // No selection, or an indexed one: off.
  EXPECT_FALSE(f.IsEnabled(ID_FEATHER));
  CAnimFrame frame = *doc->GetCurrentFrame();
  frame.m_selection = Indexed(12, 8);
  frame.m_rcSelection = Rect{2, 3, 14, 11};
  doc->SetFrames(30, 20, {frame}, 0);
  EXPECT_FALSE(f.IsEnabled(ID_FEATHER));
  // A 24-bit selection without a mask.
  frame.m_selection = Gradient(12, 8);
  doc->SetFrames(30, 20, {frame}, 0);
  doc->Modify(false);
  ASSERT_TRUE(f.IsEnabled(ID_FEATHER));

  wxWindow* view = f.ViewOf(doc)->GetViewWindow();
  view->SetFocus();
  wxUIActionSimulator sim;
  sim.MouseMove(view->GetScreenRect().GetPosition() + wxPoint(view->GetSize().x / 2, view->GetSize().y / 2));
  PumpFor(50);

  // Esc: no step, nothing stored.
  {
    CModalDialogHook esc([&](wxDialog& d) -> int {
      TypeInto(d, IDC_FEATHER_AMOUNT, "9");
      wxUIActionSimulator keys;
      keys.Char(WXK_ESCAPE);
      PumpUntil([&] { return !d.IsModal(); }, 3000);
      return wxID_CANCEL;
    });
    sim.Char('F', wxMOD_CONTROL);
    ASSERT_TRUE(PumpUntil([&] { return esc.GetCalls() == 1; }, 3000));
    PumpFor(100);
  }
  EXPECT_EQ(doc->GetUndoPosition(), -1);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(GetProfileInt("Feather", "Amount", -1), -1);

  CModalDialogHook hook([&](wxDialog& d) -> int {
    TypeInto(d, IDC_FEATHER_AMOUNT, "3");
    ClickOn(d.FindWindow(IDC_FEATHER_HORIZONTAL));
    EXPECT_TRUE(Control<wxRadioButton>(d, IDC_FEATHER_HORIZONTAL)->GetValue());
    TypeInto(d, IDC_FEATHER_AMOUNT, "3");
    PressEnter();
    PumpUntil([&] { return !d.IsModal(); }, 3000);
    return wxID_OK;
  });
  view->SetFocus();
  sim.Char('F', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return doc->GetUndoPosition() == 0; }, 5000));
  EXPECT_EQ(UndoLabelOf(*doc), "Feather Selection Edge");
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(GetProfileInt("Feather", "Amount", -1), 3);
  EXPECT_EQ(GetProfileInt("Feather", "Direction", -1), 2);
  CRasterImage expected = frame.m_selection;
  ASSERT_TRUE(FeatherImage(expected, 3, DIRECTION_HORIZONTAL));
  const CAnimFrame& feathered = *doc->GetCurrentFrame();
  EXPECT_TRUE(SameImage(feathered.m_selection, expected));
  EXPECT_EQ(feathered.m_selection.GetMaskRow(4)[0], 255 / 3 / 3);  // only the edges fade
  EXPECT_EQ(feathered.m_selection.GetMaskRow(4)[6], 255);
  EXPECT_EQ(feathered.m_rcSelection, (Rect{2, 3, 14, 11}));
  f.Command(ID_EDIT_UNDO);
  EXPECT_FALSE(doc->GetCurrentFrame()->m_selection.HasMask());
  EXPECT_FALSE(doc->IsModified());
}

// ---- the size dialogs' remaining rules ----------------------------------------------

TEST(ResizeDialog, AScaleOutside0To65530IsRefusedWithoutStoring) {
  DocumentWindowFixture f;
  for (const char* text : {"65531", "-1", "x"}) {
    ScopedStore store;
    testing_support::DialogScript script;
    script.Run([&](wxDialog& d) {
      EXPECT_TRUE(Control<wxCheckBox>(d, IDC_RESIZE_KEEP_ASPECT)->GetValue());
      Control<wxTextCtrl>(d, IDC_RESIZE_SCALE)->ChangeValue(text);  // the sides stay 40 x 30
      PressEnter();
      PumpUntil([&] { return script.messages().size() == 1; }, 3000);
      EXPECT_TRUE(d.IsModal());
      wxUIActionSimulator keys;
      keys.Char(WXK_ESCAPE);
    });
    script.Answer(wxID_OK);
    RESIZE_VALUES values;
    EXPECT_FALSE(RunResizeDialog(f.frame, SolidImage(40, 30, 1, 2, 3), values)) << text;
    ASSERT_EQ(script.messages().size(), 1u) << text;
    EXPECT_EQ(script.messages()[0], "Please enter an integer between 0 and 65530.");
    EXPECT_EQ(GetProfileInt("Resize Options", "Maintain AspectRatio", -1), -1);
  }
}

TEST(ResizeDialog, TypedWidthKeepsTheAspect) {
  ScopedStore store;
  DocumentWindowFixture f;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    TypeInto(d, IDC_RESIZE_WIDTH, "200");
    EXPECT_EQ(Control<wxTextCtrl>(d, IDC_RESIZE_HEIGHT)->GetValue(), "150");
    EXPECT_EQ(Control<wxTextCtrl>(d, IDC_RESIZE_SCALE)->GetValue(), "50");
    PressEnter();
    PumpUntil([&] { return !d.IsModal(); }, 3000);
    return wxID_OK;
  });
  RESIZE_VALUES values;
  ASSERT_TRUE(RunResizeDialog(f.frame, SolidImage(400, 300, 1, 2, 3), values));
  EXPECT_EQ(values.width, 200);
  EXPECT_EQ(values.height, 150);
}

TEST(CanvasSizeDialog, StoredAlignmentsAreClampedAndTypedSidesReturned) {
  ScopedStore store;
  DocumentWindowFixture f;
  WriteProfileInt("Canvas Size", "Horizontal Alignment", 5);
  WriteProfileInt("Canvas Size", "Vertical Alignment", -1);
  CModalDialogHook hook([&](wxDialog& d) -> int {
    EXPECT_EQ(Control<wxChoice>(d, IDC_CANVAS_HORIZONTAL)->GetStringSelection(), "Right");
    EXPECT_EQ(Control<wxChoice>(d, IDC_CANVAS_VERTICAL)->GetStringSelection(), "Top");
    TypeInto(d, IDC_CANVAS_WIDTH, "120");
    TypeInto(d, IDC_CANVAS_HEIGHT, "77");
    PressEnter();
    PumpUntil([&] { return !d.IsModal(); }, 3000);
    return wxID_OK;
  });
  CANVAS_SIZE_VALUES values;
  values.width = 10;
  values.height = 10;
  ASSERT_TRUE(RunCanvasSizeDialog(f.frame, values));
  EXPECT_EQ(values.width, 120);
  EXPECT_EQ(values.height, 77);
  EXPECT_EQ(values.horizontal, 2);
  EXPECT_EQ(values.vertical, 0);
  EXPECT_EQ(GetProfileInt("Canvas Size", "Horizontal Alignment", -1), 2);
  EXPECT_EQ(GetProfileInt("Canvas Size", "Vertical Alignment", -1), 0);
}

// The dialogs and the drawn cursors as the user sees them (only with
// PICTORAVELL_SCREENSHOT_DIR; for looking at, not compared).
TEST(RotateFeatherScreenshots, DialogsAndCursors) {
  const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!out || !*out) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  REQUIRE_TOOL("import");
  ScopedStore store;
  DocumentWindowFixture f;
  auto shoot = [&](wxDialog& d, const std::string& name) {
    d.Refresh();
    d.Update();
    PumpFor(300);
    const wxRect r = d.GetScreenRect();
    const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
                             std::to_string(r.x) + "+" + std::to_string(r.y);
    EXPECT_EQ(testing_support::RunCommand("import -window root -crop " + crop + " " +
                                          testing_support::ShellQuote(std::string(out) + "/" + name)),
              0);
  };
  {
    CModalDialogHook hook([&](wxDialog& d) -> int {
      shoot(d, "rotate-dialog.png");
      return wxID_CANCEL;
    });
    ROTATE_VALUES values;
    RunRotateDialog(f.frame, values);
  }
  {
    CModalDialogHook hook([&](wxDialog& d) -> int {
      shoot(d, "feather-dialog.png");
      return wxID_CANCEL;
    });
    FEATHER_VALUES values;
    RunFeatherDialog(f.frame, values);
  }
  // The drawn cursors side by side at four times their size, on grey.
  const int cursors[] = {141, 157, 158, 159, 160, 207, 208};
  wxImage sheet(7 * 136, 136);
  sheet.SetRGB(wxRect(0, 0, 7 * 136, 136), 128, 128, 128);
  for (int i = 0; i < 7; ++i) {
    const wxImage c = DrawViewCursor(cursors[i]).Scale(128, 128, wxIMAGE_QUALITY_NEAREST);
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x)
        if (c.GetAlpha(x, y)) sheet.SetRGB(i * 136 + 4 + x, 4 + y, c.GetRed(x, y), c.GetGreen(x, y), c.GetBlue(x, y));
  }
  EXPECT_TRUE(sheet.SaveFile(std::string(out) + "/view-cursors.png", wxBITMAP_TYPE_PNG));
}

}  // namespace
