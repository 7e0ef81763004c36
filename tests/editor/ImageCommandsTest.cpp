// The current frame's transforms from the menu: Crop, Fit Canvas to Image,
// the flips and the right-angle rotations, and Delete of the selection, over
// documents with and without a floating selection, 24-bit and indexed, one
// frame and an animation. Each command makes one undo step named as the menu
// shows it, marks the document modified, and Undo brings back every frame,
// position, selection and the canvas; commands stay off while a frame is busy
// or an effect runs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include "base/Profile.h"
#include "editor/CanvasSizeDialog.h"
#include "editor/PictoravellDoc.h"
#include "shell/ModalDialog.h"
#include "tests/support/WxDialogScript.h"
#include "editor/model/FrameEdits.h"
#include "formats/ImageFile.h"
#include "imaging/ImageFlip.h"
#include "resources/CommandIds.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::TempDir;

// A 24-bit image whose pixel x, y holds x, y, seed: every flip or turn shows.
CRasterImage Gradient(int w, int h, uint8_t seed) {
  CRasterImage image;
  image.Create(w, h, 24);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = image.GetWritableBits() + int64_t{y} * image.GetStride();
    for (int x = 0; x < w; ++x) {
      row[3 * x] = static_cast<uint8_t>(x);
      row[3 * x + 1] = static_cast<uint8_t>(y);
      row[3 * x + 2] = seed;
    }
  }
  return image;
}

// An 8-bit image with a grey palette, pixel = x + 16 y.
CRasterImage Indexed(int w, int h) {
  CRasterImage image;
  image.Create(w, h, 8);
  SetGrayPalette(image);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.GetWritableBits()[int64_t{y} * image.GetStride() + x] = static_cast<uint8_t>(x + 16 * y);
  return image;
}

// Every byte that counts of a frame, to compare states.
std::string Dump(const CRasterImage& image) {
  std::string s = std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()) + "@" +
                  std::to_string(image.GetBitsPerPixel()) + ":";
  for (int y = 0; y < image.GetHeight(); ++y) {
    const int bytes = (image.GetWidth() * image.GetBitsPerPixel() + 7) / 8;
    s.append(reinterpret_cast<const char*>(image.GetRow(y)), static_cast<size_t>(bytes));
  }
  return s;
}

std::string State(CPictoravellDoc& doc) {
  int16_t w = 0, h = 0;
  doc.GetCanvasSize(w, h);
  std::string s = std::to_string(w) + "x" + std::to_string(h) + "|";
  for (int i = 0; i < doc.GetFrameCount(); ++i) {
    const CAnimFrame& f = *doc.GetFrame(i);
    s += std::to_string(f.m_nLeft) + "," + std::to_string(f.m_nTop) + "/" + Dump(f.m_image) + "/" +
         Dump(f.m_selection) + "/" + std::to_string(f.m_rcSelection.left) + "," +
         std::to_string(f.m_rcSelection.top) + "," + std::to_string(f.m_rcSelection.right) + "," +
         std::to_string(f.m_rcSelection.bottom) + "|";
  }
  return s;
}

enum Fixture { PLAIN_24, SELECTION_24, INDEXED, ANIMATION };
const char* kFixtureNames[] = {"24-bit", "24-bit with selection", "indexed", "animation"};

// Installs the fixture's frames (unmodified, no history).
void Install(CPictoravellDoc& doc, Fixture fixture) {
  std::vector<CAnimFrame> frames;
  switch (fixture) {
    case PLAIN_24:
      frames.push_back(MakeFrame(Gradient(6, 4, 1)));
      break;
    case SELECTION_24: {
      CAnimFrame frame = MakeFrame(Gradient(6, 4, 1));
      frame.m_selection = Gradient(3, 2, 7);
      frame.m_rcSelection = Rect{1, 1, 4, 3};
      frames.push_back(frame);
      break;
    }
    case INDEXED:
      frames.push_back(MakeFrame(Indexed(6, 4)));
      break;
    case ANIMATION:
      frames.push_back(MakeFrame(Gradient(6, 4, 1)));
      frames.push_back(MakeFrame(Gradient(3, 2, 2), 2, 1));
      frames.push_back(MakeFrame(Gradient(2, 2, 3), 1, 1));
      break;
  }
  doc.SetFrames(6, 4, frames, 0);
  if (fixture == ANIMATION) doc.SetCurrentFrame(1);
  doc.Modify(false);
}

struct Expect {
  int canvasW, canvasH;     // canvas after
  int imageW, imageH;       // the current frame's image after (0: none)
  int left, top;            // its position after
  int selectionW, selectionH;
};

struct Case {
  int command;
  Fixture fixture;
  const char* label;
  Expect expect;
};

TEST(ImageCommands, EachCommandFromTheMenuMakesOneStepThatUndoRestores) {
  const char* rot90 = "Rotate 90 \xC2\xB0";
  const char* rot180 = "Rotate 180 \xC2\xB0";
  const char* rot270 = "Rotate 270 \xC2\xB0";
  const Case cases[] = {
      {ID_FLIP_HORIZONTAL, PLAIN_24, "Flip Image", {6, 4, 6, 4, 0, 0, 0, 0}},
      {ID_FLIP_VERTICAL, PLAIN_24, "Flip Image", {6, 4, 6, 4, 0, 0, 0, 0}},
      {ID_FLIP_HORIZONTAL, SELECTION_24, "Flip Selection", {6, 4, 6, 4, 0, 0, 3, 2}},
      {ID_FLIP_VERTICAL, INDEXED, "Flip Image", {6, 4, 6, 4, 0, 0, 0, 0}},
      {ID_FLIP_HORIZONTAL, ANIMATION, "Flip Image", {6, 4, 3, 2, 2, 1, 0, 0}},
      // The only frame, as large as the canvas, turns the canvas with it.
      {ID_IMAGE_ROTATE_90, PLAIN_24, rot90, {4, 6, 4, 6, 0, 0, 0, 0}},
      {ID_IMAGE_ROTATE_180, PLAIN_24, rot180, {6, 4, 6, 4, 0, 0, 0, 0}},
      {ID_IMAGE_ROTATE_270, INDEXED, rot270, {4, 6, 4, 6, 0, 0, 0, 0}},
      // A selection turns about its centre; the image stays.
      {ID_IMAGE_ROTATE_90, SELECTION_24, rot90, {6, 4, 6, 4, 0, 0, 2, 3}},
      // A frame of an animation turns about its centre on the canvas:
      // 3 x 2 at 2, 1 has its centre at 3, 2, so 2 x 3 lands at 2, 1.
      {ID_IMAGE_ROTATE_90, ANIMATION, rot90, {6, 4, 2, 3, 2, 1, 0, 0}},
      {ID_CROP, SELECTION_24, "Crop", {6, 4, 0, 0, 0, 0, 3, 2}},
      {ID_EDIT_DELETE, SELECTION_24, "Delete", {6, 4, 6, 4, 0, 0, 0, 0}},
  };
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "c.bmp", SolidImage(6, 4, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  // The document's menu bar carries every command of the table.
  for (int id : {ID_RESIZE_IMAGE, ID_CANVAS_SIZE, ID_CROP, ID_FIT_CANVAS, ID_FLIP_HORIZONTAL, ID_FLIP_VERTICAL,
                 ID_IMAGE_ROTATE_90, ID_IMAGE_ROTATE_180, ID_IMAGE_ROTATE_270, ID_EDIT_DELETE})
    EXPECT_NE(f.frame->GetMenuBar()->FindItem(id), nullptr) << id;
  for (const Case& c : cases) {
    const std::string name = std::string(c.label) + " on " + kFixtureNames[c.fixture];
    Install(*doc, c.fixture);
    const std::string before = State(*doc);
    const int position = doc->GetUndoPosition();
    ASSERT_TRUE(f.IsEnabled(c.command)) << name;
    f.Command(c.command);
    EXPECT_EQ(doc->GetUndoPosition(), position + 1) << name;
    std::string label;
    doc->GetUndoLabel(label);
    EXPECT_EQ(label, c.label) << name;
    EXPECT_TRUE(doc->IsModified()) << name;
    int16_t w = 0, h = 0;
    doc->GetCanvasSize(w, h);
    EXPECT_EQ(w, c.expect.canvasW) << name;
    EXPECT_EQ(h, c.expect.canvasH) << name;
    const CAnimFrame& frame = *doc->GetCurrentFrame();
    EXPECT_EQ(frame.m_image.GetWidth(), c.expect.imageW) << name;
    EXPECT_EQ(frame.m_image.GetHeight(), c.expect.imageH) << name;
    if (c.expect.imageW) {
      EXPECT_EQ(frame.m_nLeft, c.expect.left) << name;
      EXPECT_EQ(frame.m_nTop, c.expect.top) << name;
    }
    EXPECT_EQ(frame.m_selection.GetWidth(), c.expect.selectionW) << name;
    EXPECT_EQ(frame.m_selection.GetHeight(), c.expect.selectionH) << name;
    EXPECT_EQ(frame.m_bBusy, 0) << name;
    EXPECT_NE(State(*doc), before) << name;
    f.Command(ID_EDIT_UNDO);
    EXPECT_EQ(State(*doc), before) << name;
    EXPECT_FALSE(doc->IsModified()) << name;
    f.Command(ID_EDIT_REDO);
    EXPECT_TRUE(doc->IsModified()) << name;
  }
}

TEST(ImageCommands, PixelsMatchTheTransformsOfTheImageFunctions) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "p.bmp", SolidImage(6, 4, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  // Horizontal mirror: pixel x goes to 5 - x.
  Install(*doc, PLAIN_24);
  f.Command(ID_FLIP_HORIZONTAL);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetRow(0)[0], 5);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetRow(3)[3 * 5 + 1], 3);
  // Vertical flip: row y goes to 3 - y.
  Install(*doc, PLAIN_24);
  f.Command(ID_FLIP_VERTICAL);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetRow(0)[1], 3);
  // 90 degrees clockwise: the old bottom-left corner (0, 3) comes to the top-left.
  Install(*doc, PLAIN_24);
  f.Command(ID_IMAGE_ROTATE_90);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetRow(0)[0], 0);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetRow(0)[1], 3);
  // Indexed stays indexed with its palette.
  Install(*doc, INDEXED);
  f.Command(ID_IMAGE_ROTATE_180);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetBitsPerPixel(), 8);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetPaletteSize(), 256);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetRow(0)[0], 5 + 16 * 3);
}

TEST(ImageCommands, EnableRulesFollowTheFrameAndTheSelection) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "e.bmp", SolidImage(6, 4, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  Install(*doc, PLAIN_24);
  EXPECT_TRUE(f.IsEnabled(ID_FLIP_HORIZONTAL));
  EXPECT_TRUE(f.IsEnabled(ID_IMAGE_ROTATE_90));
  EXPECT_FALSE(f.IsEnabled(ID_CROP));         // no selection
  EXPECT_FALSE(f.IsEnabled(ID_EDIT_DELETE));  // no selection
  EXPECT_FALSE(f.IsEnabled(ID_FIT_CANVAS));   // the image fills the canvas
  Install(*doc, SELECTION_24);
  EXPECT_TRUE(f.IsEnabled(ID_CROP));
  EXPECT_TRUE(f.IsEnabled(ID_EDIT_DELETE));
  Install(*doc, ANIMATION);
  EXPECT_FALSE(f.IsEnabled(ID_FIT_CANVAS));   // frame 0 covers the canvas

  // A busy frame (a command or playback under way) turns them all off, and a
  // command that arrives anyway changes nothing.
  const int commands[] = {ID_FLIP_HORIZONTAL, ID_FLIP_VERTICAL, ID_IMAGE_ROTATE_90, ID_IMAGE_ROTATE_180,
                          ID_IMAGE_ROTATE_270, ID_CROP, ID_EDIT_DELETE};
  Install(*doc, SELECTION_24);
  const std::string before = State(*doc);
  {
    CFrameBusyGuard busy(doc, 0);
    for (int id : commands) {
      EXPECT_FALSE(f.IsEnabled(id)) << id;
      f.Command(id);
    }
  }
  EXPECT_EQ(State(*doc), before);
  EXPECT_EQ(doc->GetUndoPosition(), -1);
  EXPECT_FALSE(doc->IsModified());
}

TEST(ImageCommands, FitCanvasMovesTheFramesBoxToTheCorner) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "f.bmp", SolidImage(6, 4, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  std::vector<CAnimFrame> frames;
  frames.push_back(MakeFrame(Gradient(3, 2, 1), 2, 1));
  frames.push_back(MakeFrame(Gradient(2, 2, 2), 4, 2));
  doc->SetFrames(10, 8, frames, 0);
  doc->Modify(false);
  ASSERT_TRUE(f.IsEnabled(ID_FIT_CANVAS));
  f.Command(ID_FIT_CANVAS);
  int16_t w = 0, h = 0;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 4);  // 2..6
  EXPECT_EQ(h, 3);  // 1..4
  EXPECT_EQ(doc->GetFrame(0)->m_nLeft, 0);
  EXPECT_EQ(doc->GetFrame(0)->m_nTop, 0);
  EXPECT_EQ(doc->GetFrame(1)->m_nLeft, 2);
  EXPECT_EQ(doc->GetFrame(1)->m_nTop, 1);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Canvas Size Change");
  EXPECT_FALSE(f.IsEnabled(ID_FIT_CANVAS));
  f.Command(ID_EDIT_UNDO);
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 10);
  EXPECT_EQ(doc->GetFrame(1)->m_nLeft, 4);
}

TEST(CanvasSize, TheDialogPlacesTheFramesByItsAlignmentsAsOneStep) {
  struct Case {
    int horizontal, vertical;
    const char* width;
    const char* height;
    int left, top;
  } cases[] = {
      {0, 0, "10", "8", 0, 0},
      {1, 1, "10", "8", 2, 2},
      {2, 2, "10", "8", 4, 4},
      {1, 1, "2", "2", -2, -1},
  };
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "s.bmp", SolidImage(6, 4, 1, 2, 3)));
  ASSERT_NE(doc, nullptr);
  for (const Case& c : cases) {
    ScopedStore store;
    Install(*doc, PLAIN_24);
    {
      CModalDialogHook cancel([&](wxDialog&) -> int { return wxID_CANCEL; });
      f.Command(ID_CANVAS_SIZE);
    }
    EXPECT_EQ(doc->GetUndoPosition(), -1);
    CModalDialogHook hook([&](wxDialog& d) -> int {
      EXPECT_EQ(d.GetTitle(), "Canvas Size");
      EXPECT_EQ(dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_CANVAS_WIDTH))->GetValue(), "6");
      EXPECT_EQ(dynamic_cast<wxChoice*>(d.FindWindow(IDC_CANVAS_HORIZONTAL))->GetSelection(), 1);
      dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_CANVAS_WIDTH))->SetValue(c.width);
      dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_CANVAS_HEIGHT))->SetValue(c.height);
      dynamic_cast<wxChoice*>(d.FindWindow(IDC_CANVAS_HORIZONTAL))->SetSelection(c.horizontal);
      dynamic_cast<wxChoice*>(d.FindWindow(IDC_CANVAS_VERTICAL))->SetSelection(c.vertical);
      return wxID_OK;
    });
    f.Command(ID_CANVAS_SIZE);
    int16_t w = 0, h = 0;
    doc->GetCanvasSize(w, h);
    EXPECT_EQ(w, atoi(c.width));
    EXPECT_EQ(h, atoi(c.height));
    EXPECT_EQ(doc->GetCurrentFrame()->m_nLeft, c.left);
    EXPECT_EQ(doc->GetCurrentFrame()->m_nTop, c.top);
    EXPECT_EQ(GetProfileInt("Canvas Size", "Horizontal Alignment", -1), c.horizontal);
    EXPECT_EQ(GetProfileInt("Canvas Size", "Vertical Alignment", -1), c.vertical);
    std::string label;
    doc->GetUndoLabel(label);
    EXPECT_EQ(label, "Canvas Size Change");
    EXPECT_TRUE(doc->IsModified());
    f.Command(ID_EDIT_UNDO);
    doc->GetCanvasSize(w, h);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(doc->GetCurrentFrame()->m_nLeft, 0);
    EXPECT_FALSE(doc->IsModified());
  }
}

TEST(CanvasSize, SidesOutside1To32767AreRefusedWithoutStoring) {
  for (const char* text : {"0", "32768", "65535", "x"}) {
    ScopedStore store;
    testing_support::DialogScript script;
    script.Run([](wxDialog&) {});
    script.Answer(wxID_OK);
    CModalDialogHook hook([&](wxDialog& d) -> int {
      dynamic_cast<wxTextCtrl*>(d.FindWindow(IDC_CANVAS_WIDTH))->SetValue(text);
      return wxID_OK;
    });
    CANVAS_SIZE_VALUES values;
    values.width = 6;
    EXPECT_FALSE(RunCanvasSizeDialog(nullptr, values)) << text;
    ASSERT_EQ(script.messages().size(), 1u) << text;
    EXPECT_EQ(script.messages()[0], "Please enter an integer between 1 and 32767.");
    EXPECT_EQ(values.width, 6);
    EXPECT_EQ(GetProfileInt("Canvas Size", "Horizontal Alignment", -1), -1);
  }
}

}  // namespace
