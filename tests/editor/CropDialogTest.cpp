// The "Crop Special" dialog and its crop rectangle driven like a user would:
// handles dragged and the rectangle moved with the real pointer, constraints
// clicked, custom sizes typed, Enter and Esc; the settings under "Crop"
// restored and written on OK only, refused custom values named without
// storing anything; and the Crop Special command cropping a document's frame
// as one undo step.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <string>

#include "base/Profile.h"
#include "editor/CropDialog.h"
#include "editor/CropRectCtrl.h"
#include "editor/PictoravellDoc.h"
#include "resources/CommandIds.h"
#include "shell/ModalDialog.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/WxDialogScript.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

// Puts the pointer back where it was, while a window is still up to move
// it over (declared after the window's fixture).
struct PointerGuard {
  wxPoint at = wxGetMousePosition();
  ~PointerGuard() {
    wxUIActionSimulator sim;
    sim.MouseMove(at);
    PumpUntil([this] { return wxGetMousePosition() == at; }, 1000);
  }
};

CCropRectCtrl* CropCtrl(wxDialog& d) { return Control<CCropRectCtrl>(d, IDC_CROP_RECT); }

std::string SizeText(wxDialog& d) { return Control<wxStaticText>(d, IDC_CROP_SIZE_TEXT)->GetLabel().utf8_string(); }

std::string TextOf(const Rect& r) {
  return "Width: " + std::to_string(r.Width()) + "  Height: " + std::to_string(r.Height());
}

// Each pixel tells where it came from: blue x, green y (low bytes), red the
// high bits of both.
CRasterImage Coordinates(int w, int h) {
  CRasterImage image = SolidImage(w, h, 0, 0, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = image.GetWritableBits() + int64_t{y} * image.GetStride() + 3 * x;
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(y);
      p[2] = static_cast<uint8_t>((x >> 8) | ((y >> 8) << 4));
    }
  return image;
}

bool CameFrom(const CRasterImage& image, int x0, int y0) {
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const uint8_t* p = image.GetRow(y) + 3 * x;
      const int sx = x + x0, sy = y + y0;
      if (p[0] != (sx & 255) || p[1] != (sy & 255) || p[2] != ((sx >> 8) | ((sy >> 8) << 4))) return false;
    }
  return true;
}

// The real pointer and keyboard over one dialog.
class User {
 public:
  // Back to where the pointer was when the user came (call while the dialog
  // is still up).
  void Leave() { MoveTo(m_start); }
  void MoveTo(const wxPoint& screen) {
    sim.MouseMove(screen);
    PumpUntil([&] { return wxGetMousePosition() == screen; }, 1000);
    PumpFor(20);
  }
  void Click(wxWindow* window) {
    MoveTo(window->GetScreenRect().GetPosition() + window->GetSize() / 2);
    sim.MouseClick();
    PumpFor(80);
  }
  // A drag in the crop control between two client points.
  void Drag(CCropRectCtrl* ctrl, const wxPoint& from, const wxPoint& to) {
    MoveTo(ctrl->ClientToScreen(from));
    sim.MouseDown();
    PumpUntil([&] { return ctrl->GetDragMode() != CROP_DRAG_NONE; }, 1000);
    for (int i = 1; i <= 4; ++i) MoveTo(ctrl->ClientToScreen(from + (to - from) * i / 4));
    sim.MouseUp();
    PumpUntil([&] { return ctrl->GetDragMode() == CROP_DRAG_NONE; }, 1000);
    PumpFor(30);
  }
  void Key(int key) {
    sim.Char(key);
    PumpFor(50);
  }
  void Type(const char* text) {
    sim.Text(text);
    PumpFor(80);
  }
  wxUIActionSimulator sim;

 private:
  wxPoint m_start = wxGetMousePosition();
};

// The client point over an image pixel.
wxPoint ClientOf(CCropRectCtrl* ctrl, int x, int y) {
  const Rect r = ctrl->GetImageRect();
  const CCropRect& c = ctrl->GetCropRect();
  return wxPoint(r.left + x * r.Width() / c.GetImageWidth(), r.top + y * r.Height() / c.GetImageHeight());
}

wxPoint HandleOf(CCropRectCtrl* ctrl, int mode) {
  const Point p = ctrl->GetCropRect().GetHandlePoint(mode, ctrl->GetImageRect());
  return wxPoint(p.x, p.y);
}

void WaitShown(wxDialog& d) {
  d.Raise();
  PumpUntil([&] { return d.IsShownOnScreen() && CropCtrl(d)->GetClientSize().x > 50; }, 2000);
  PumpFor(100);
}

// A crop control filling a shown frame's client area.
struct CtrlHost {
  explicit CtrlHost(const CRasterImage& picture) : image(picture) {
    frame = new wxFrame(nullptr, wxID_ANY, "crop");
    ctrl = new CCropRectCtrl(frame, IDC_CROP_RECT, image);
    frame->SetClientSize(408, 308);
    frame->Show();
    PumpUntil([&] { return frame->IsShownOnScreen() && ctrl->GetClientSize().x > 100; });
  }
  ~CtrlHost() {
    // At once: a frame left for the idle time could still paint the control
    // after the picture it shows is gone.
    delete frame;
  }
  CRasterImage image;
  wxFrame* frame;
  CCropRectCtrl* ctrl;
};

TEST(CropRectCtrl, PaintsTheImageDarkensTheOutsideAndDrawsEightHandles) {
  CtrlHost h(SolidImage(400, 300, 90, 90, 90));
  CCropRect& c = h.ctrl->GetCropRect();
  c.x1 = 0.25, c.x2 = 0.75, c.y1 = 0.25, c.y2 = 0.75;
  const Rect r = h.ctrl->GetImageRect();
  ASSERT_GT(r.Width(), 100);
  const wxImage shot = RenderToImage(*h.ctrl);
  auto grey = [&](int x, int y) { return int(shot.GetRed(x, y)); };
  EXPECT_EQ(grey((r.left + r.right) / 2, (r.top + r.bottom) / 2), 90);  // inside: the image
  // Outside: black at alpha 100 over 90 = 90 x 155 / 255.
  for (const wxPoint& p : {wxPoint(r.left + 2, r.top + 2), wxPoint(r.right - 3, r.bottom - 3),
                           wxPoint((r.left + r.right) / 2, r.top + 3), wxPoint(r.left + 3, (r.top + r.bottom) / 2)})
    EXPECT_NEAR(grey(p.x, p.y), 54, 1) << p.x << "," << p.y;
  for (int mode = 1; mode <= 8; ++mode) {
    const Rect hr = c.GetHandleRect(mode, r);
    EXPECT_EQ(grey(hr.left + 3, hr.top + 3), 255) << mode;  // white inside
    EXPECT_EQ(grey(hr.left, hr.top + 3), 0) << mode;        // black outline
    EXPECT_EQ(grey(hr.right - 1, hr.top + 3), 0) << mode;
  }
  // No outline along the rectangle between the handles.
  EXPECT_EQ(grey(r.left + r.Width() * 3 / 8, r.top + r.Height() / 4 + 1), 90);
  if (r.left >= 2) {
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    EXPECT_EQ(shot.GetRed(1, 1), face.Red());
    EXPECT_EQ(shot.GetBlue(1, 1), face.Blue());
  }
}

TEST(CropRectCtrl, TheCursorNamesThePartAndALostCaptureEndsTheDrag) {
  struct Case {
    int mode;
    wxStockCursor cursor;
  } cases[] = {
      {1, wxCURSOR_SIZENWSE}, {2, wxCURSOR_SIZENS}, {3, wxCURSOR_SIZENESW}, {4, wxCURSOR_SIZEWE},
      {5, wxCURSOR_SIZEWE},   {6, wxCURSOR_SIZENESW}, {7, wxCURSOR_SIZENS}, {8, wxCURSOR_SIZENWSE},
      {9, wxCURSOR_SIZING},   {0, wxCURSOR_ARROW},
  };
  for (const Case& k : cases) EXPECT_EQ(CropCursorFor(k.mode), k.cursor) << k.mode;
  CtrlHost h(SolidImage(400, 300, 90, 90, 90));
  CCropRectCtrl* ctrl = h.ctrl;
  const Rect r = ctrl->GetImageRect();
  for (int mode = 1; mode <= 8; ++mode) {
    ctrl->MouseMove(HandleOf(ctrl, mode));
    EXPECT_EQ(ctrl->GetCursorMode(), mode);
  }
  ctrl->GetCropRect().x1 = 0.25;
  ctrl->MouseMove(wxPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  EXPECT_EQ(ctrl->GetCursorMode(), CROP_DRAG_MOVE);
  ctrl->MouseMove(wxPoint(r.left + 10, (r.top + r.bottom) / 2 + 20));  // left of the rectangle
  EXPECT_EQ(ctrl->GetCursorMode(), CROP_DRAG_NONE);
  // A press outside starts nothing; a press on a handle starts its drag,
  // which a lost capture ends where it was.
  ctrl->MouseDown(wxPoint(r.left + 10, r.top + 40));
  EXPECT_EQ(ctrl->GetDragMode(), CROP_DRAG_NONE);
  ctrl->MouseDown(HandleOf(ctrl, CROP_DRAG_BOTTOM_RIGHT));
  EXPECT_EQ(ctrl->GetDragMode(), CROP_DRAG_BOTTOM_RIGHT);
  ctrl->MouseMove(ClientOf(ctrl, 300, 200));
  const Rect dragged = ctrl->GetPixelRect();
  EXPECT_NEAR(dragged.right, 300, 2);
  wxMouseCaptureLostEvent lost(ctrl->GetId());
  lost.SetEventObject(ctrl);
  ctrl->ProcessWindowEvent(lost);
  EXPECT_EQ(ctrl->GetDragMode(), CROP_DRAG_NONE);
  ctrl->MouseMove(ClientOf(ctrl, 100, 100));
  EXPECT_EQ(ctrl->GetPixelRect(), dragged);
}

TEST(CropSpecialDialog, StoredSettingsComeBackAndOnlyOKWritesThem) {
  ScopedStore store;
  struct Case {
    int storedConstraint, storedLandscape;
    int radio;
    bool landscape, landscapeEnabled, customEnabled;
    const char* size;
  } cases[] = {
      {-1, -1, IDC_CROP_NONE, true, false, false, "Width: 400  Height: 300"},        // defaults: None, landscape
      {2, 0, IDC_CROP_4X6, false, true, false, "Width: 200  Height: 300"},           // 4 x 6 upright
      {2, 1, IDC_CROP_4X6, true, true, false, "Width: 400  Height: 268"},            // 4 x 6 landscape
      {4, 0, IDC_CROP_8X10, false, true, false, "Width: 240  Height: 300"},          // 8 x 10 upright
      {5, 1, IDC_CROP_CUSTOM, true, false, true, "Width: 400  Height: 300"},         // custom = the image's size
      {7, 1, IDC_CROP_NONE, true, false, false, "Width: 400  Height: 300"},          // unknown: None
      {0, 0, IDC_CROP_NONE, false, false, false, "Width: 400  Height: 300"},
  };
  for (const Case& c : cases) {
    ScopedStore fresh;
    if (c.storedConstraint >= 0) WriteProfileInt("Crop", "Constraint", c.storedConstraint);
    if (c.storedLandscape >= 0) WriteProfileInt("Crop", "Landscape", c.storedLandscape);
    CModalDialogHook hook([&](wxDialog& d) -> int {
      EXPECT_EQ(d.GetTitle(), "Crop Special");
      EXPECT_TRUE(Control<wxRadioButton>(d, c.radio)->GetValue()) << c.storedConstraint;
      EXPECT_EQ(Control<wxCheckBox>(d, IDC_CROP_LANDSCAPE)->GetValue(), c.landscape) << c.storedConstraint;
      EXPECT_EQ(Control<wxCheckBox>(d, IDC_CROP_LANDSCAPE)->IsEnabled(), c.landscapeEnabled) << c.storedConstraint;
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_CROP_CUSTOM_WIDTH)->IsEnabled(), c.customEnabled);
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_CROP_CUSTOM_HEIGHT)->IsEnabled(), c.customEnabled);
      EXPECT_FALSE(Control<wxButton>(d, IDC_CROP_APPLY)->IsEnabled());
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_CROP_CUSTOM_WIDTH)->GetValue(), "400");
      EXPECT_EQ(Control<wxTextCtrl>(d, IDC_CROP_CUSTOM_HEIGHT)->GetValue(), "300");
      EXPECT_EQ(SizeText(d), c.size) << c.storedConstraint;
      return wxID_CANCEL;
    });
    CROP_SPECIAL_VALUES values;
    EXPECT_FALSE(RunCropSpecialDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
    // Cancel writes nothing.
    EXPECT_EQ(GetProfileInt("Crop", "Constraint", -1), c.storedConstraint);
    EXPECT_EQ(GetProfileInt("Crop", "Landscape", -1), c.storedLandscape);
  }

  // OK writes both, as chosen.
  User user;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    WaitShown(d);
    user.Click(Control<wxRadioButton>(d, IDC_CROP_5X7));
    EXPECT_TRUE(Control<wxCheckBox>(d, IDC_CROP_LANDSCAPE)->IsEnabled());
    EXPECT_EQ(SizeText(d), "Width: 400  Height: 286");  // 1.4 x 300 / 400 = 1.05
    user.Click(Control<wxCheckBox>(d, IDC_CROP_LANDSCAPE));
    EXPECT_FALSE(Control<wxCheckBox>(d, IDC_CROP_LANDSCAPE)->GetValue());
    EXPECT_EQ(SizeText(d), TextOf(CropCtrl(d)->GetPixelRect()));
    EXPECT_NEAR(CropCtrl(d)->GetPixelRect().Width(), 214.0 * 286 / 300, 3.0);  // upright 5 x 7 inside 400 x 286
    user.Leave();
    return wxID_OK;
  });
  CROP_SPECIAL_VALUES values;
  ASSERT_TRUE(RunCropSpecialDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
  EXPECT_EQ(GetProfileInt("Crop", "Constraint", -1), 3);
  EXPECT_EQ(GetProfileInt("Crop", "Landscape", -1), 0);
  EXPECT_EQ(values.constraint, 3);
  EXPECT_FALSE(values.landscape);
}

TEST(CropSpecialDialog, TheWorkedExamplesAndNoneFreesTheHandles) {
  ScopedStore store;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    auto pick = [&](int id) {
      auto* radio = Control<wxRadioButton>(d, id);
      radio->SetValue(true);
      wxCommandEvent event(wxEVT_RADIOBUTTON, id);
      event.SetEventObject(radio);
      radio->ProcessWindowEvent(event);
    };
    // Upright first (under None the box changes no rectangle), then 4 x 6
    // from the whole image.
    auto* landscape = Control<wxCheckBox>(d, IDC_CROP_LANDSCAPE);
    landscape->SetValue(false);
    wxCommandEvent toggle(wxEVT_CHECKBOX, IDC_CROP_LANDSCAPE);
    toggle.SetEventObject(landscape);
    landscape->ProcessWindowEvent(toggle);
    EXPECT_EQ(CropCtrl(d)->GetPixelRect(), (Rect{0, 0, 400, 300}));
    pick(IDC_CROP_4X6);
    EXPECT_EQ(CropCtrl(d)->GetPixelRect(), (Rect{100, 0, 300, 300}));
    EXPECT_EQ(SizeText(d), "Width: 200  Height: 300");
    landscape->SetValue(true);
    landscape->ProcessWindowEvent(toggle);
    // From 200 x 300 the width stays 200 and the height becomes 200 / 1.5.
    EXPECT_NEAR(CropCtrl(d)->GetPixelRect().Height(), 200 / 1.5, 2.0);
    pick(IDC_CROP_NONE);
    const Rect kept = CropCtrl(d)->GetPixelRect();
    EXPECT_EQ(CropCtrl(d)->GetCropRect().GetAspect(), -1.0);
    EXPECT_FALSE(landscape->IsEnabled());
    EXPECT_EQ(CropCtrl(d)->GetPixelRect(), kept);
    return wxID_OK;
  });
  CROP_SPECIAL_VALUES values;
  ASSERT_TRUE(RunCropSpecialDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
  EXPECT_EQ(values.constraint, 0);
  EXPECT_EQ(GetProfileInt("Crop", "Constraint", -1), 0);
  EXPECT_EQ(GetProfileInt("Crop", "Landscape", -1), 1);
}

TEST(CropSpecialDialog, BadCustomSizesAreRefusedWithTheMessageAndNothingIsStored) {
  for (const char* typed : {"12a", "", "-5", "4294967296", "1.5", "x"}) {
    ScopedStore store;
    testing_support::DialogScript script;
    script.Run([](wxDialog&) {});  // the Crop Special dialog itself
    script.Answer(wxID_OK);        // the message of Apply with the bad width
    script.Answer(wxID_OK);        // the message of OK with the bad width
    WriteProfileInt("Crop", "Constraint", 5);
    CModalDialogHook hook([&](wxDialog& d) -> int {
      EXPECT_TRUE(Control<wxRadioButton>(d, IDC_CROP_CUSTOM)->GetValue());
      const double before = CropCtrl(d)->GetCropRect().GetAspect();
      Control<wxTextCtrl>(d, IDC_CROP_CUSTOM_WIDTH)->SetValue(typed);
      EXPECT_TRUE(Control<wxButton>(d, IDC_CROP_APPLY)->IsEnabled());
      wxCommandEvent apply(wxEVT_BUTTON, IDC_CROP_APPLY);
      apply.SetEventObject(d.FindWindow(IDC_CROP_APPLY));
      d.FindWindow(IDC_CROP_APPLY)->ProcessWindowEvent(apply);
      EXPECT_EQ(CropCtrl(d)->GetCropRect().GetAspect(), before) << typed;
      return wxID_OK;
    });
    CROP_SPECIAL_VALUES values;
    EXPECT_FALSE(RunCropSpecialDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values)) << typed;
    ASSERT_EQ(script.messages().size(), 2u) << typed;
    EXPECT_EQ(script.messages()[0], "Please enter a positive integer.");
    EXPECT_EQ(script.messages()[1], "Please enter a positive integer.");
    EXPECT_EQ(GetProfileInt("Crop", "Landscape", -1), -1) << typed;  // OK refused: nothing written
  }
  // A custom 0 is no constraint (nothing divided by 0).
  for (const auto& size : {std::pair{"0", "5"}, std::pair{"5", "0"}}) {
    const char* w = size.first;
    const char* h = size.second;
    ScopedStore store;
    CModalDialogHook hook([&](wxDialog& d) -> int {
      auto* radio = Control<wxRadioButton>(d, IDC_CROP_CUSTOM);
      radio->SetValue(true);
      wxCommandEvent pick(wxEVT_RADIOBUTTON, IDC_CROP_CUSTOM);
      pick.SetEventObject(radio);
      radio->ProcessWindowEvent(pick);
      Control<wxTextCtrl>(d, IDC_CROP_CUSTOM_WIDTH)->SetValue(w);
      Control<wxTextCtrl>(d, IDC_CROP_CUSTOM_HEIGHT)->SetValue(h);
      wxCommandEvent apply(wxEVT_BUTTON, IDC_CROP_APPLY);
      apply.SetEventObject(d.FindWindow(IDC_CROP_APPLY));
      d.FindWindow(IDC_CROP_APPLY)->ProcessWindowEvent(apply);
      EXPECT_EQ(CropCtrl(d)->GetCropRect().GetAspect(), -1.0);
      EXPECT_FALSE(Control<wxButton>(d, IDC_CROP_APPLY)->IsEnabled());
      EXPECT_EQ(SizeText(d), "Width: 400  Height: 300");
      return wxID_OK;
    });
    CROP_SPECIAL_VALUES values;
    ASSERT_TRUE(RunCropSpecialDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
    EXPECT_EQ(values.crop, (Rect{0, 0, 400, 300}));
    EXPECT_EQ(GetProfileInt("Crop", "Constraint", -1), 5);
  }
}

TEST(CropSpecialDialog, HandlesDraggedAndTheRectangleMovedWithThePointer) {
  ScopedStore store;
  User user;
  Rect chosen;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    WaitShown(d);
    CCropRectCtrl* ctrl = CropCtrl(d);
    // The cursor tells what a press would do.
    user.MoveTo(ctrl->ClientToScreen(HandleOf(ctrl, CROP_DRAG_TOP_LEFT)));
    EXPECT_TRUE(ctrl->GetCursor().IsOk());
    // Top-left to pixel (100, 60), bottom-right to (300, 240).
    user.Drag(ctrl, HandleOf(ctrl, CROP_DRAG_TOP_LEFT), ClientOf(ctrl, 100, 60));
    user.Drag(ctrl, HandleOf(ctrl, CROP_DRAG_BOTTOM_RIGHT), ClientOf(ctrl, 300, 240));
    Rect r = ctrl->GetPixelRect();
    EXPECT_NEAR(r.left, 100, 2);
    EXPECT_NEAR(r.top, 60, 2);
    EXPECT_NEAR(r.right, 300, 2);
    EXPECT_NEAR(r.bottom, 240, 2);
    EXPECT_EQ(SizeText(d), TextOf(r));
    // The bottom-middle handle up by 40 pixels, then the whole rectangle
    // moved far left: it stops at the edge, its size kept.
    user.Drag(ctrl, HandleOf(ctrl, CROP_DRAG_BOTTOM), ClientOf(ctrl, 200, 200));
    EXPECT_NEAR(ctrl->GetPixelRect().bottom, 200, 2);
    r = ctrl->GetPixelRect();
    const wxPoint inside = ClientOf(ctrl, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    user.Drag(ctrl, inside, inside - wxPoint(600, 0));
    const Rect moved = ctrl->GetPixelRect();
    EXPECT_EQ(moved.left, 0);
    EXPECT_NEAR(moved.Width(), r.Width(), 1);
    EXPECT_NEAR(moved.Height(), r.Height(), 1);
    EXPECT_EQ(moved.top, r.top);
    // A handle across the opposite one: still an ordered, non-empty rectangle.
    user.Drag(ctrl, HandleOf(ctrl, CROP_DRAG_TOP_LEFT), ClientOf(ctrl, moved.right + 50, moved.bottom + 30));
    const Rect crossed = ctrl->GetPixelRect();
    EXPECT_GT(crossed.Width(), 0);
    EXPECT_GT(crossed.Height(), 0);
    EXPECT_NEAR(crossed.left, moved.right, 2);
    EXPECT_NEAR(crossed.right, moved.right + 50, 2);
    // With 4 x 6 landscape, the bottom-right handle keeps the ratio.
    user.Click(Control<wxRadioButton>(d, IDC_CROP_4X6));
    user.Drag(ctrl, HandleOf(ctrl, CROP_DRAG_BOTTOM_RIGHT), ClientOf(ctrl, 390, 290));
    r = ctrl->GetPixelRect();
    EXPECT_NEAR(static_cast<double>(r.Width()) / r.Height(), 1.5, 0.05) << r.Width() << "x" << r.Height();
    chosen = r;
    EXPECT_EQ(SizeText(d), TextOf(r));
    user.Leave();
    return wxID_OK;
  });
  CROP_SPECIAL_VALUES values;
  ASSERT_TRUE(RunCropSpecialDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
  EXPECT_EQ(values.crop, chosen);
  EXPECT_EQ(GetProfileInt("Crop", "Constraint", -1), 2);
}

TEST(CropSpecialDialog, TypedCustomSizeEnterAndEsc) {
  ScopedStore store;
  User user;
  // Typed: digits only reach the edits; Apply takes 3 x 2; Enter in an edit is OK.
  CModalDialogHook hook([&](wxDialog& d) -> int {
    WaitShown(d);
    user.Click(Control<wxRadioButton>(d, IDC_CROP_CUSTOM));
    auto* width = Control<wxTextCtrl>(d, IDC_CROP_CUSTOM_WIDTH);
    auto* height = Control<wxTextCtrl>(d, IDC_CROP_CUSTOM_HEIGHT);
    EXPECT_TRUE(width->IsEnabled());
    EXPECT_FALSE(Control<wxCheckBox>(d, IDC_CROP_LANDSCAPE)->IsEnabled());
    user.Click(width);
    width->SelectAll();
    user.Type("a3b");
    EXPECT_EQ(width->GetValue(), "3");
    EXPECT_TRUE(Control<wxButton>(d, IDC_CROP_APPLY)->IsEnabled());
    user.Key(WXK_TAB);
    EXPECT_EQ(wxWindow::FindFocus(), height);
    height->SelectAll();
    user.Type("2");
    EXPECT_EQ(height->GetValue(), "2");
    user.Click(Control<wxButton>(d, IDC_CROP_APPLY));
    EXPECT_FALSE(Control<wxButton>(d, IDC_CROP_APPLY)->IsEnabled());
    EXPECT_EQ(SizeText(d), "Width: 400  Height: 268");
    user.Click(height);
    user.Key(WXK_RETURN);
    user.Leave();
    EXPECT_TRUE(PumpUntil([&] { return !d.IsModal(); }, 2000));
    return wxID_OK;
  });
  CROP_SPECIAL_VALUES values;
  ASSERT_TRUE(RunCropSpecialDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
  EXPECT_EQ(values.crop, (Rect{0, 16, 400, 284}));
  EXPECT_EQ(GetProfileInt("Crop", "Constraint", -1), 5);

  // Esc: cancelled, nothing written.
  ScopedStore fresh;
  CModalDialogHook esc([&](wxDialog& d) -> int {
    WaitShown(d);
    user.Click(Control<wxRadioButton>(d, IDC_CROP_3X5));
    user.Key(WXK_ESCAPE);
    user.Leave();
    EXPECT_TRUE(PumpUntil([&] { return !d.IsModal(); }, 2000));
    return wxID_CANCEL;
  });
  EXPECT_FALSE(RunCropSpecialDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
  EXPECT_EQ(GetProfileInt("Crop", "Constraint", -1), -1);
}

TEST(CropSpecialDialog, ResizingTheDialogGrowsThePicture) {
  ScopedStore store;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    WaitShown(d);
    CCropRectCtrl* ctrl = CropCtrl(d);
    const wxSize before = ctrl->GetSize();
    const wxPoint ok = d.FindWindow(wxID_OK)->GetPosition();
    const Rect crop = ctrl->GetPixelRect();
    d.SetSize(d.GetSize() + wxSize(200, 150));
    PumpUntil([&] { return ctrl->GetSize() == before + wxSize(200, 150); }, 2000);
    EXPECT_EQ(ctrl->GetSize(), before + wxSize(200, 150));
    EXPECT_EQ(d.FindWindow(wxID_OK)->GetPosition(), ok + wxPoint(0, 150));  // left and bottom
    EXPECT_EQ(ctrl->GetPixelRect(), crop);
    EXPECT_GT(ctrl->GetImageRect().Width(), 400);
    return wxID_CANCEL;
  });
  CROP_SPECIAL_VALUES values;
  EXPECT_FALSE(RunCropSpecialDialog(nullptr, SolidImage(400, 300, 1, 2, 3), values));
}

TEST(CropSpecialCommand, TheMenuCommandCropsTheFrameAsOneStep) {
  ScopedStore store;
  DocumentWindowFixture f;
  PointerGuard pointer;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "crop.bmp", Coordinates(400, 300)));
  ASSERT_NE(doc, nullptr);
  PumpFor(100);
  EXPECT_TRUE(f.IsEnabled(ID_CROP_SPECIAL));
  // Off while a frame is busy.
  doc->GetCurrentFrame()->m_bBusy = 1;
  EXPECT_FALSE(f.IsEnabled(ID_CROP_SPECIAL));
  doc->GetCurrentFrame()->m_bBusy = 0;
  EXPECT_TRUE(f.IsEnabled(ID_CROP_SPECIAL));
  // Cancel (and Esc) leave no step.
  {
    CModalDialogHook hook([&](wxDialog&) -> int { return wxID_CANCEL; });
    f.Command(ID_CROP_SPECIAL);
    EXPECT_EQ(hook.GetCalls(), 1);
  }
  EXPECT_EQ(doc->GetUndoPosition(), -1);
  EXPECT_FALSE(doc->IsModified());

  User user;
  Rect chosen;
  {
    CModalDialogHook hook([&](wxDialog& d) -> int {
      EXPECT_EQ(doc->GetCurrentFrame()->m_bBusy, 1);  // the frame is busy while the dialog is up
      WaitShown(d);
      CCropRectCtrl* ctrl = CropCtrl(d);
      user.Drag(ctrl, HandleOf(ctrl, CROP_DRAG_TOP_LEFT), ClientOf(ctrl, 120, 70));
      user.Drag(ctrl, HandleOf(ctrl, CROP_DRAG_BOTTOM_RIGHT), ClientOf(ctrl, 330, 260));
      chosen = ctrl->GetPixelRect();
      return wxID_OK;
    });
    f.Command(ID_CROP_SPECIAL);
  }
  ASSERT_FALSE(chosen.IsEmpty());
  const CAnimFrame& frame = *doc->GetCurrentFrame();
  EXPECT_EQ(frame.m_image.GetWidth(), chosen.Width());
  EXPECT_EQ(frame.m_image.GetHeight(), chosen.Height());
  EXPECT_EQ(frame.m_nLeft, chosen.left);
  EXPECT_EQ(frame.m_nTop, chosen.top);
  EXPECT_TRUE(CameFrom(frame.m_image, chosen.left, chosen.top));
  EXPECT_EQ(frame.m_bBusy, 0);
  int16_t w = 0, h = 0;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 400);  // the canvas keeps its size
  EXPECT_EQ(h, 300);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Crop Special");
  EXPECT_EQ(doc->GetUndoPosition(), 0);
  EXPECT_TRUE(doc->IsModified());
  f.Command(ID_EDIT_UNDO);
  EXPECT_EQ(doc->GetCurrentFrame()->m_image.GetWidth(), 400);
  EXPECT_EQ(doc->GetCurrentFrame()->m_nLeft, 0);
  EXPECT_TRUE(CameFrom(doc->GetCurrentFrame()->m_image, 0, 0));
  EXPECT_FALSE(doc->IsModified());
}

TEST(CropSpecialCommand, TheDialogShowsTheFrameWithItsSelectionMerged) {
  ScopedStore store;
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "sel.bmp", Coordinates(200, 150)));
  ASSERT_NE(doc, nullptr);
  // A selection hanging over the right and bottom edges.
  std::vector<CAnimFrame> frames{MakeFrame(Coordinates(200, 150), 10, 5)};
  frames[0].m_selection = SolidImage(100, 100, 7, 7, 7);
  frames[0].m_rcSelection = Rect{150, 100, 250, 200};
  doc->SetFrames(400, 300, frames, 0);
  doc->Modify(false);
  WriteProfileInt("Crop", "Constraint", 2);  // 4 x 6, landscape
  {
    CModalDialogHook hook([&](wxDialog& d) -> int {
      const CCropRect& c = CropCtrl(d)->GetCropRect();
      EXPECT_EQ(c.GetImageWidth(), 250);  // image and selection together
      EXPECT_EQ(c.GetImageHeight(), 200);
      return wxID_OK;
    });
    f.Command(ID_CROP_SPECIAL);
  }
  // 4 x 6 landscape on 250 x 200: the width stays, the height is 250 / 1.5
  // centred: rows 16..183 of the merged picture (canvas 21..188).
  const CAnimFrame& frame = *doc->GetCurrentFrame();
  EXPECT_EQ(frame.m_image.GetWidth(), 200);
  EXPECT_EQ(frame.m_nLeft, 10);
  EXPECT_EQ(frame.m_nTop, 5 + 16);
  EXPECT_EQ(frame.m_image.GetHeight(), 150 - 16);
  EXPECT_TRUE(CameFrom(frame.m_image, 0, 16));
  ASSERT_FALSE(frame.m_selection.IsEmpty());
  EXPECT_EQ(frame.m_nTop + frame.m_rcSelection.top, 5 + 100);  // where it was on the canvas
  EXPECT_EQ(frame.m_nTop + frame.m_rcSelection.bottom, 5 + 184);
  EXPECT_EQ(frame.m_nLeft + frame.m_rcSelection.left, 10 + 150);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Crop Special");
}

// The dialog over a photograph (only with PICTORAVELL_SCREENSHOT_DIR).
TEST(CropSpecialScreenshots, DialogOverAPhotograph) {
  const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
  if (!out || !*out) GTEST_SKIP() << "PICTORAVELL_SCREENSHOT_DIR is not set";
  REQUIRE_TOOL("import");
  REQUIRE_TOOL("convert");
  ScopedStore store;
  TempDir temp;
  std::string photo;
  if (const char* given = std::getenv("PICTORAVELL_SCREENSHOT_PHOTO"); given && *given) {
    photo = given;
  } else {
    photo = (temp.path() / "rose.jpg").string();
    ASSERT_EQ(testing_support::RunCommand("convert rose: -resize 900x600 -quality 92 " +
                                          testing_support::ShellQuote(photo)),
              0);
  }
  DocumentWindowFixture f;
  PointerGuard pointer;
  f.frame->SetSize(1100, 800);
  CPictoravellDoc* doc = OpenImageDocument(photo);
  ASSERT_NE(doc, nullptr);
  PumpFor(200);
  WriteProfileInt("Crop", "Constraint", 3);  // 5 x 7
  WriteProfileInt("Crop", "Landscape", 0);
  User user;
  CModalDialogHook hook([&](wxDialog& d) -> int {
    WaitShown(d);
    d.Move(f.frame->GetScreenPosition() + wxPoint(120, 80));
    PumpFor(200);
    CCropRectCtrl* ctrl = CropCtrl(d);
    // Smaller, from the bottom-right handle, then moved a little left.
    const CCropRect& c = ctrl->GetCropRect();
    user.Drag(ctrl, HandleOf(ctrl, CROP_DRAG_BOTTOM_RIGHT),
              ClientOf(ctrl, c.GetImageWidth() * 3 / 4, c.GetImageHeight() * 17 / 20));
    const Point centre = c.GetHandlePoint(CROP_DRAG_TOP, ctrl->GetImageRect());
    user.Drag(ctrl, wxPoint(centre.x, centre.y + 40), wxPoint(centre.x - 60, centre.y + 40));
    user.MoveTo(ctrl->ClientToScreen(HandleOf(ctrl, CROP_DRAG_RIGHT)));
    d.Refresh();
    d.Update();
    PumpFor(300);
    const wxRect r = d.GetScreenRect();
    const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) +
                             "+" + std::to_string(r.y);
    EXPECT_EQ(testing_support::RunCommand("import -window root -crop " + crop + " " +
                                          testing_support::ShellQuote(std::string(out) + "/crop-special.png")),
              0);
    return wxID_CANCEL;
  });
  f.Command(ID_CROP_SPECIAL);
}

}  // namespace
