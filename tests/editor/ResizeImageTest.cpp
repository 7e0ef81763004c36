// The "Resize image" dialog and the Image Size command: the aspect ratio
// kept through width, height and scale, the methods offered by depth, the
// settings under "Resize Options" written only for accepted values, and the
// command resizing the image or the selection as one undo step.

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <string>

#include "base/Profile.h"
#include "editor/PictoravellDoc.h"
#include "editor/ResizeDialog.h"
#include "formats/ImageFile.h"
#include "resources/CommandIds.h"
#include "shell/ModalDialog.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/WxDialogScript.h"

namespace {

using namespace editor_testing;
using testing_support::TempDir;

CRasterImage Indexed(int w, int h) {
  CRasterImage image;
  image.Create(w, h, 8);
  SetGrayPalette(image);
  image.GetWritablePalette()[1].rgbRed = 200;  // not grey any more
  return image;
}

TEST(ResizeDialog, KeepingTheAspectLinksWidthHeightAndScale) {
  ScopedStore store;
  struct Case {
    int edit;
    const char* typed;
    const char* width;
    const char* height;
    const char* scale;
  } cases[] = {
      {IDC_RESIZE_WIDTH, "200", "200", "150", "50"},
      {IDC_RESIZE_SCALE, "150", "600", "450", "150"},
      {IDC_RESIZE_HEIGHT, "30", "40", "30", "10"},
  };
  for (const Case& c : cases) {
    CModalDialogHook hook([&](wxDialog& d) -> int {
      EXPECT_EQ(d.GetTitle(), "Resize image");
      Control<wxTextCtrl>(d, c.edit)->SetValue(c.typed);
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_RESIZE_WIDTH)->GetValue(), c.width);
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_RESIZE_HEIGHT)->GetValue(), c.height);
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_RESIZE_SCALE)->GetValue(), c.scale);
      return wxID_OK;
    });
    RESIZE_VALUES values;
    ASSERT_TRUE(RunResizeDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
    EXPECT_EQ(std::to_string(values.width), c.width);
    EXPECT_EQ(std::to_string(values.height), c.height);
  }
  EXPECT_EQ(GetProfileInt("Resize Options", "Maintain AspectRatio", -1), 1);
}

TEST(ResizeDialog, WithoutTheAspectTheScaleIsEmptyAndOffAndTheMethodIsStored) {
  ScopedStore store;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    auto* keep = Control<wxCheckBox>(d, IDC_RESIZE_KEEP_ASPECT);
    keep->SetValue(false);
    wxCommandEvent click(wxEVT_CHECKBOX, IDC_RESIZE_KEEP_ASPECT);
    click.SetEventObject(keep);
    keep->ProcessWindowEvent(click);
    EXPECT_EQ(Control<wxTextCtrl>(d, IDC_RESIZE_SCALE)->GetValue(), "");
    EXPECT_FALSE(Control<wxTextCtrl>(d, IDC_RESIZE_SCALE)->IsEnabled());
    Control<wxTextCtrl>(d, IDC_RESIZE_WIDTH)->SetValue("123");
    EXPECT_EQ(Control<wxTextCtrl>(d, IDC_RESIZE_HEIGHT)->GetValue(), "300");
    auto* bicubic = Control<wxRadioButton>(d, IDC_RESIZE_BICUBIC);
    bicubic->SetValue(true);
    wxCommandEvent pick(wxEVT_RADIOBUTTON, IDC_RESIZE_BICUBIC);
    pick.SetEventObject(bicubic);
    bicubic->ProcessWindowEvent(pick);
    return wxID_OK;
  });
  RESIZE_VALUES values;
  ASSERT_TRUE(RunResizeDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
  EXPECT_EQ(values.width, 123);
  EXPECT_EQ(values.height, 300);
  EXPECT_EQ(values.method, 3);
  EXPECT_EQ(GetProfileInt("Resize Options", "Maintain AspectRatio", -1), 0);
  EXPECT_EQ(GetProfileInt("Resize Options", "Interpolation Method", -1), 3);
}

TEST(ResizeDialog, IndexedImagesGetNearestNeighbourAndLeaveTheStoredMethod) {
  ScopedStore store;
  WriteProfileInt("Resize Options", "Interpolation Method", 2);
  CModalDialogHook hook([&](wxDialog& d) -> int {
    EXPECT_TRUE(Control<wxRadioButton>(d, IDC_RESIZE_NEAREST)->GetValue());
    for (int id = IDC_RESIZE_LINEAR; id <= IDC_RESIZE_NATURAL; ++id)
      EXPECT_FALSE(Control<wxRadioButton>(d, id)->IsEnabled()) << id;
    return wxID_OK;
  });
  RESIZE_VALUES values;
  values.method = 4;
  ASSERT_TRUE(RunResizeDialog(nullptr, Indexed(10, 10), values));
  EXPECT_EQ(values.method, 0);
  EXPECT_EQ(GetProfileInt("Resize Options", "Interpolation Method", -1), 2);
}

TEST(ResizeDialog, SidesOutside1To32767AreRefusedWithoutStoring) {
  for (const char* text : {"0", "32768", "-5", "abc", "65530"}) {
    ScopedStore store;
    testing_support::DialogScript script;
    script.Run([](wxDialog&) {});
    script.Answer(wxID_OK);
    CModalDialogHook hook([&](wxDialog& d) -> int {
      Control<wxCheckBox>(d, IDC_RESIZE_KEEP_ASPECT)->SetValue(false);
      Control<wxTextCtrl>(d, IDC_RESIZE_HEIGHT)->SetValue(text);
      return wxID_OK;
    });
    RESIZE_VALUES values;
    EXPECT_FALSE(RunResizeDialog(nullptr, SolidImage(40, 30, 1, 2, 3), values)) << text;
    ASSERT_EQ(script.messages().size(), 1u) << text;
    EXPECT_EQ(script.messages()[0], "Please enter an integer between 1 and 32767.");
    EXPECT_EQ(GetProfileInt("Resize Options", "Maintain AspectRatio", -1), -1);
  }
  RESIZE_VALUES values;
  EXPECT_FALSE(RunResizeDialog(nullptr, CRasterImage(), values));  // no image: no dialog
}

TEST(ResizeImage, TheMenuCommandResizesImageOrSelectionAsOneStep) {
  ScopedStore store;
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "r.bmp", SolidImage(40, 30, 9, 9, 9)));
  ASSERT_NE(doc, nullptr);
  struct Case {
    bool selection;
    bool animation;
    const char* width;
    int canvasW, canvasH, imageW, imageH, selectionW;
  } cases[] = {
      {false, false, "80", 80, 60, 80, 60, 0},    // the only frame takes the canvas along
      {true, false, "20", 40, 30, 40, 30, 20},    // the selection, from its top-left
      {false, true, "20", 40, 30, 20, 15, 0},     // a frame of an animation: the canvas stays
  };
  for (const Case& c : cases) {
    std::vector<CAnimFrame> frames{MakeFrame(SolidImage(40, 30, 9, 9, 9))};
    if (c.selection) {
      frames[0].m_selection = SolidImage(10, 8, 1, 1, 1);
      frames[0].m_rcSelection = Rect{5, 5, 15, 13};
    }
    if (c.animation) frames.push_back(MakeFrame(SolidImage(40, 30, 2, 2, 2)));
    doc->SetFrames(40, 30, frames, 0);
    doc->Modify(false);
    // Cancel (Esc) leaves no step.
    {
      CModalDialogHook hook([&](wxDialog&) -> int { return wxID_CANCEL; });
      f.Command(ID_RESIZE_IMAGE);
    }
    EXPECT_EQ(doc->GetUndoPosition(), -1);
    EXPECT_FALSE(doc->IsModified());
    bool shown = false;
    {
      CModalDialogHook hook([&](wxDialog& d) -> int {
        shown = true;
        EXPECT_EQ(doc->GetCurrentFrame()->m_bBusy, 1);  // the frame is busy while the dialog is up
        Control<wxTextCtrl>(d, IDC_RESIZE_WIDTH)->SetValue(c.width);
        return wxID_OK;
      });
      f.Command(ID_RESIZE_IMAGE);
    }
    ASSERT_TRUE(shown);
    int16_t w = 0, h = 0;
    doc->GetCanvasSize(w, h);
    EXPECT_EQ(w, c.canvasW);
    EXPECT_EQ(h, c.canvasH);
    EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetWidth(), c.imageW);
    EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetHeight(), c.imageH);
    EXPECT_EQ(doc->GetCurrentFrame()->m_selection.GetWidth(), c.selectionW);
    if (c.selection) EXPECT_EQ(doc->GetCurrentFrame()->m_rcSelection, (Rect{5, 5, 25, 21}));
    EXPECT_EQ(doc->GetCurrentFrame()->m_bBusy, 0);
    std::string label;
    doc->GetUndoLabel(label);
    EXPECT_EQ(label, "Image Size Change");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetUndoPosition(), 0);
    f.Command(ID_EDIT_UNDO);
    doc->GetCanvasSize(w, h);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetWidth(), 40);
    EXPECT_EQ(doc->GetCurrentFrame()->m_selection.GetWidth(), c.selection ? 10 : 0);
    EXPECT_FALSE(doc->IsModified());
  }
}

}  // namespace

namespace {

// The dialogs as the user sees them (only with PICTORAVELL_SCREENSHOT_DIR).
TEST(ResizeScreenshots, ResizeAndCanvasDialogs) {
  const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!out || !*out) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  REQUIRE_TOOL("import");
  ScopedStore store;
  auto shoot = [&](wxDialog& d, const std::string& name) {
    d.Refresh();
    d.Update();
    testing_support::PumpFor(300);
    const wxRect r = d.GetScreenRect();
    const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
                             std::to_string(r.x) + "+" + std::to_string(r.y);
    EXPECT_EQ(testing_support::RunCommand("import -window root -crop " + crop + " " +
                                          testing_support::ShellQuote(std::string(out) + "/" + name)),
              0);
  };
  CModalDialogHook hook([&](wxDialog& d) -> int {
    Control<wxTextCtrl>(d, IDC_RESIZE_WIDTH)->SetValue("3000");
    shoot(d, "resize-dialog.png");
    return wxID_CANCEL;
  });
  RESIZE_VALUES values;
  EXPECT_FALSE(RunResizeDialog(nullptr, SolidImage(6000, 4000, 1, 2, 3), values));
}

}  // namespace
