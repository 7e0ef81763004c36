// The flat toolbar: derived images, states drawn, labels, separators, tooltips,
// help text in the status bar, commands and their enable rules, icons at
// 100 % and 200 %.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

#include "resources/CommandIds.h"
#include "resources/ToolbarResources.h"
#include "shell/FlatToolBar.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"

namespace {

// Puts the pointer back where it was, for the tests that follow.
struct PointerGuard {
  wxPoint at = wxGetMousePosition();
  ~PointerGuard() {
    wxUIActionSimulator sim;
    sim.MouseMove(at);
    testing_support::PumpUntil([this] { return wxGetMousePosition() == at; }, 1000);
  }
};

using paint_testing::PixelAt;
using testing_support::PumpFor;
using testing_support::PumpUntil;

const wxColour kFace(240, 240, 240), kShadow(160, 160, 160), kLight(255, 255, 255), kBlack(0, 0, 0);

wxImage Solid(int w, int h, const wxColour& c) {
  wxImage image(w, h, false);
  image.SetRGB(wxRect(0, 0, w, h), c.Red(), c.Green(), c.Blue());
  return image;
}

TEST(ToolbarImages, DisabledImageIsTwoToneWithAnEmbossedEdge) {
  // Two button images 4 wide: a black pixel at (1,1) of each; the rest bright.
  wxImage strip = Solid(8, 4, wxColour(250, 250, 250));
  strip.SetRGB(1, 1, 0, 0, 0);
  strip.SetRGB(5, 1, 0, 0, 0);
  // The threshold: 6G + 3R + B = 1280 is light, 1279 is dark.
  strip.SetRGB(3, 3, 128, 128, 128);  // 6*128+3*128+128 = 1280
  strip.SetRGB(0, 3, 128, 127, 128);  // 1274
  const wxImage out = MakeDisabledStrip(strip, 4, kShadow, kFace, kLight);
  EXPECT_PIXEL(out, 1, 1, kShadow);
  EXPECT_PIXEL(out, 2, 2, kLight);   // the bright lower-right neighbour
  EXPECT_PIXEL(out, 6, 2, kLight);   // in the second image too
  EXPECT_PIXEL(out, 2, 1, kFace);
  EXPECT_PIXEL(out, 3, 3, kFace);
  EXPECT_PIXEL(out, 0, 3, kShadow);
  EXPECT_PIXEL(out, 1, 0, kFace);
  // The emboss stays inside its image: a dark last column of image 0 does
  // not light the first column of image 1.
  wxImage edge = Solid(8, 3, wxColour(250, 250, 250));
  edge.SetRGB(3, 0, 0, 0, 0);
  const wxImage e = MakeDisabledStrip(edge, 4, kShadow, kFace, kLight);
  EXPECT_PIXEL(e, 4, 1, kFace);
}

TEST(ToolbarImages, CheckedImageLightensFacePixelsAtOddParity) {
  wxImage strip = Solid(4, 4, kFace);
  strip.SetRGB(1, 2, 10, 20, 30);
  const wxImage out = MakeCheckedStrip(strip, kFace, kLight);
  EXPECT_PIXEL(out, 0, 1, kLight);  // odd
  EXPECT_PIXEL(out, 1, 0, kLight);
  EXPECT_PIXEL(out, 0, 0, kFace);   // even
  EXPECT_PIXEL(out, 1, 1, kFace);
  EXPECT_PIXEL(out, 1, 2, wxColour(10, 20, 30));  // not face: kept
}

TEST(ToolbarImages, KeyColourIsTransparentAndTheGreyCopyIsLightened) {
  wxImage strip = Solid(3, 1, wxColour(192, 192, 192));
  strip.SetRGB(1, 0, 192, 192, 193);
  strip.SetRGB(2, 0, 100, 50, 0);
  const wxImage color = MakeColorStrip(strip);
  ASSERT_TRUE(color.HasAlpha());
  EXPECT_EQ(color.GetAlpha(0, 0), 0);
  EXPECT_EQ(color.GetAlpha(1, 0), 255);
  EXPECT_EQ(color.GetAlpha(2, 0), 255);
  const wxImage grey = MakeGreyStrip(color);
  // luma = 0.299*100 + 0.587*50 = 59.25; 255 * sqrt(59.25/255) = 122.9
  EXPECT_EQ(grey.GetRed(2, 0), 122);
  EXPECT_EQ(grey.GetGreen(2, 0), 122);
  // Laid over the face colour, the key pixel vanishes; its neighbour stays.
  const wxImage flat = FlattenStrip(color, kFace);
  EXPECT_PIXEL(flat, 0, 0, kFace);
  EXPECT_PIXEL(flat, 1, 0, wxColour(192, 192, 193));
}

// A bar in a frame with a status bar; the frame answers the update events of
// the commands 101 (enabled), 102 (disabled) and 103 (checked), and counts
// the commands it gets.
struct BarFixture {
  CFixedUiTheme theme;
  wxFrame* frame;
  CFlatToolBar* bar;
  std::vector<int> commands;
  bool check103 = true;
  BarFixture(int scale = 1) {
    frame = new wxFrame(nullptr, wxID_ANY, "toolbar", wxDefaultPosition, wxSize(500, 200));
    frame->CreateStatusBar();
    bar = new CFlatToolBar;
    bar->Create(frame, wxID_ANY);
    // Three images 16 x 15: black squares on the face colour.
    wxImage strip = Solid(48 * scale, 15 * scale, kFace);
    for (int i = 0; i < 3; ++i) strip.SetRGB(wxRect((16 * i + 4) * scale, 4 * scale, 8 * scale, 7 * scale), 0, 0, 0);
    bar->SetImageStrip(strip, 16, 15, scale);
    bar->AddButton(101, 0, "One", "The first button");
    bar->AddSeparator();
    bar->AddButton(102, 1, "Two", "The second button");
    bar->AddButton(103, 2, "Three", "The third button");
    bar->SetButtonText(3, "Label");
    bar->AddSeparator(7, 40);  // an owner's pane
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(bar, 0, wxEXPAND);
    frame->SetSizer(column);
    frame->Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) {
      if (e.GetId() == 101) {
        e.Enable(true);
      } else if (e.GetId() == 102) {
        e.Enable(false);
      } else if (e.GetId() == 103) {
        e.Enable(true);
        e.Check(check103);
      } else {
        e.Skip();
      }
    });
    frame->Bind(wxEVT_MENU, [this](wxCommandEvent& e) { commands.push_back(e.GetId()); });
    frame->Show();
    frame->Layout();
    PumpUntil([&] { return bar->IsShownOnScreen(); });
  }
  ~BarFixture() {
    frame->Destroy();
    PumpFor(10);
  }
  void Mouse(wxEventType type, wxPoint p) {
    wxMouseEvent event(type);
    event.SetPosition(p);
    event.m_x = p.x;
    event.m_y = p.y;
    event.SetEventObject(bar);
    bar->GetEventHandler()->ProcessEvent(event);
  }
  wxPoint Centre(int index) const {
    const wxRect r = bar->GetItemRect(index);
    return {r.x + r.width / 2, r.y + r.height / 2};
  }
};

TEST(FlatToolBar, StatesFollowTheFramesUpdateHandlers) {
  BarFixture f;
  EXPECT_TRUE(f.bar->UpdateButtonStates());
  EXPECT_TRUE(f.bar->GetItem(0).enabled);
  EXPECT_FALSE(f.bar->GetItem(2).enabled);
  EXPECT_TRUE(f.bar->GetItem(3).checked);
  EXPECT_FALSE(f.bar->UpdateButtonStates());  // nothing changed
  f.check103 = false;
  EXPECT_TRUE(f.bar->UpdateButtonStates());
  EXPECT_FALSE(f.bar->GetItem(3).checked);
  // And at idle time by itself.
  f.check103 = true;
  ASSERT_TRUE(PumpUntil([&] {
    wxTheApp->ProcessIdle();
    return f.bar->GetItem(3).checked;
  }));
}

TEST(FlatToolBar, DrawsEachStateAsTheTablesSay) {
  BarFixture f;
  f.bar->UpdateButtonStates();
  const wxRect r0 = f.bar->GetItemRect(0), r2 = f.bar->GetItemRect(2), r3 = f.bar->GetItemRect(3);
  const int bottom0 = r0.GetBottom() - 2;  // frames end two pixels above the item's bottom
  // Flat: no frame at all.
  wxImage image = RenderToImage(*f.bar);
  paint_testing::SaveForLooking(image, "toolbar-flat.png");
  EXPECT_PIXEL(image, r0.x, r0.y, kFace);
  EXPECT_PIXEL(image, r0.GetRight(), bottom0, kFace);
  // The image centred: its black square.
  const int x0 = (r0.x + r0.GetRight() + 1 - 16) / 2, y0 = (r0.y + bottom0 + 1 - 15) / 2;
  EXPECT_PIXEL(image, x0 + 4, y0 + 4, kBlack);
  EXPECT_PIXEL(image, x0 + 3, y0 + 4, kFace);
  // Disabled: the square in shadow, its lower-right edge in highlight.
  const int x2 = (r2.x + r2.GetRight() + 1 - 16) / 2;
  EXPECT_PIXEL(image, x2 + 4, y0 + 4, kShadow);
  EXPECT_PIXEL(image, x2 + 12, y0 + 11, kLight);
  // Checked (with a label): sunken frame, highlight inside, image shifted by
  // one and its face pixels a checkerboard.
  const int bottom3 = r3.GetBottom() - 2;
  EXPECT_PIXEL(image, r3.x, r3.y, kShadow);
  EXPECT_PIXEL(image, r3.GetRight(), bottom3, kLight);
  EXPECT_PIXEL(image, r3.x + 1, r3.y + 1, kLight);
  const int ix = r3.x + 2 + 1, iy = (r3.y + bottom3 + 1 - 15) / 2 + 1;
  EXPECT_PIXEL(image, ix + 4, iy + 4, kBlack);
  EXPECT_NE(PixelAt(image, ix, iy), PixelAt(image, ix + 1, iy));  // the checkerboard
  // Hot: a raised frame.
  f.Mouse(wxEVT_MOTION, f.Centre(0));
  EXPECT_EQ(f.bar->GetHotItem(), 0);
  image = RenderToImage(*f.bar);
  paint_testing::SaveForLooking(image, "toolbar-hot.png");
  EXPECT_PIXEL(image, r0.x, r0.y, kLight);
  EXPECT_PIXEL(image, r0.GetRight(), bottom0, kShadow);
  EXPECT_PIXEL(image, x0 + 4, y0 + 4, kBlack);
  // Pressed: sunken, the image one pixel right and down.
  f.Mouse(wxEVT_LEFT_DOWN, f.Centre(0));
  image = RenderToImage(*f.bar);
  paint_testing::SaveForLooking(image, "toolbar-pressed.png");
  EXPECT_PIXEL(image, r0.x, r0.y, kShadow);
  EXPECT_PIXEL(image, r0.GetRight(), bottom0, kLight);
  EXPECT_PIXEL(image, x0 + 4, y0 + 4, kFace);
  EXPECT_PIXEL(image, x0 + 5, y0 + 5, kBlack);
  f.Mouse(wxEVT_LEFT_UP, f.Centre(0));
  EXPECT_EQ(f.commands, std::vector<int>{101});
  // A checked button that is hot shows the normal image on its sunken frame.
  f.Mouse(wxEVT_MOTION, f.Centre(3));
  image = RenderToImage(*f.bar);
  EXPECT_PIXEL(image, r3.x, r3.y, kShadow);
  EXPECT_PIXEL(image, ix, iy, kFace);
  EXPECT_PIXEL(image, ix + 1, iy, kFace);
}

TEST(FlatToolBar, LabelsSeparatorsAndPanes) {
  BarFixture f;
  f.bar->UpdateButtonStates();
  const wxRect r1 = f.bar->GetItemRect(1), r0 = f.bar->GetItemRect(0), r2 = f.bar->GetItemRect(2);
  EXPECT_EQ(r1.width, 3);
  // The label widens its button: image + 6 + text width + 6.
  EXPECT_EQ(f.bar->GetItemRect(3).width, 16 + 6 + f.bar->GetTextWidth("Label"));
  const wxImage image = RenderToImage(*f.bar);
  // The etched line between its neighbours.
  const int x = (r0.GetRight() + 1 + r2.x) / 2;
  EXPECT_PIXEL(image, x, r1.y + 3, kShadow);
  EXPECT_PIXEL(image, x + 1, r1.y + 3, kLight);
  // Label text in black somewhere right of the image.
  const wxRect r3 = f.bar->GetItemRect(3);
  int dark = 0;
  for (int y = r3.y; y < r3.GetBottom(); ++y)
    for (int xx = r3.x + 16 + 6; xx < r3.GetRight(); ++xx) dark += PixelAt(image, xx, y).Red() < 100;
  EXPECT_GT(dark, 20);
  // The owner's pane (a separator with an id) draws nothing; nor does one at
  // either end.
  const wxRect r4 = f.bar->GetItemRect(4);
  EXPECT_EQ(paint_testing::CountColour(image, r4, kFace), r4.width * r4.height);
  // A pressed button with a label draws its label one pixel right and down.
  f.check103 = false;
  f.bar->UpdateButtonStates();
  const wxImage before = RenderToImage(*f.bar);
  f.Mouse(wxEVT_LEFT_DOWN, f.Centre(3));
  const wxImage pressed = RenderToImage(*f.bar);
  const wxRect text(r3.x + 16 + 6, r3.y + 2, r3.width - 24, r3.height - 6);
  for (int y = text.y; y < text.GetBottom(); ++y)
    for (int xx = text.x; xx < text.GetRight(); ++xx)
      if (PixelAt(before, xx, y) == kBlack) {
        EXPECT_EQ(PixelAt(pressed, xx + 1, y + 1), kBlack) << xx << "," << y;
      }
  f.Mouse(wxEVT_LEFT_UP, wxPoint(1, 1));  // released outside: no command
  EXPECT_TRUE(f.commands.empty());
}

TEST(FlatToolBar, DisabledButtonsNeitherLightUpNorRun) {
  BarFixture f;
  f.bar->UpdateButtonStates();
  f.Mouse(wxEVT_MOTION, f.Centre(2));
  EXPECT_EQ(f.bar->GetHotItem(), -1);
  f.Mouse(wxEVT_LEFT_DOWN, f.Centre(2));
  f.Mouse(wxEVT_LEFT_UP, f.Centre(2));
  EXPECT_TRUE(f.commands.empty());
  f.Mouse(wxEVT_MOTION, f.Centre(1));  // a separator
  EXPECT_EQ(f.bar->GetHotItem(), -1);
}

TEST(FlatToolBar, TooltipAndStatusHelpFollowTheHotButton) {
  BarFixture f;
  f.bar->UpdateButtonStates();
  f.frame->SetStatusText("Ready");
  f.Mouse(wxEVT_MOTION, f.Centre(0));
  ASSERT_TRUE(f.bar->GetToolTip());
  EXPECT_EQ(f.bar->GetToolTip()->GetTip(), "One");
  EXPECT_EQ(f.frame->GetStatusBar()->GetStatusText(), "The first button");
  f.Mouse(wxEVT_MOTION, f.Centre(3));
  EXPECT_EQ(f.bar->GetToolTip()->GetTip(), "Three");
  EXPECT_EQ(f.frame->GetStatusBar()->GetStatusText(), "The third button");
  f.Mouse(wxEVT_LEAVE_WINDOW, wxPoint(-1, -1));
  EXPECT_FALSE(f.bar->GetToolTip());
  EXPECT_EQ(f.frame->GetStatusBar()->GetStatusText(), "Ready");
}

TEST(FlatToolBar, ClickedOnTheScreenLikeAUser) {
  BarFixture f;
  PumpUntil([&] {
    wxTheApp->ProcessIdle();
    return f.bar->GetItem(0).enabled;
  });
  PointerGuard pointer;
  wxUIActionSimulator sim;
  sim.MouseMove(f.bar->ClientToScreen(f.Centre(0)));
  PumpUntil([&] { return f.bar->GetHotItem() == 0; });
  EXPECT_EQ(f.bar->GetHotItem(), 0);
  sim.MouseClick();
  EXPECT_TRUE(PumpUntil([&] { return !f.commands.empty(); }));
  EXPECT_EQ(f.commands, std::vector<int>{101});
}

TEST(FlatToolBar, ImagesAtDoubleScaleKeepTheirDetail) {
  BarFixture one(1), two(2);
  one.bar->UpdateButtonStates();
  two.bar->UpdateButtonStates();
  EXPECT_EQ(two.bar->GetItemRect(0).width, 2 * one.bar->GetItemRect(0).width);
  EXPECT_EQ(two.bar->GetItemRect(0).height - 9 * 2, 30);
  const wxImage a = RenderToImage(*two.bar);
  paint_testing::SaveForLooking(a, "toolbar-200.png");
  const wxRect r = two.bar->GetItemRect(0);
  const int x0 = (r.x + r.GetRight() + 1 - 32) / 2, y0 = (r.y + r.GetBottom() - 2 + 1 - 30) / 2;
  EXPECT_PIXEL(a, x0 + 8, y0 + 8, kBlack);
  EXPECT_PIXEL(a, x0 + 7, y0 + 8, kFace);
  EXPECT_PIXEL(a, x0 + 23, y0 + 21, kBlack);
}

TEST(ToolbarArt, ThemeIconsForStandardActionsAndOwnArtElsewhere) {
  // Every button of every toolbar gets an image with something drawn on it,
  // at 100 % and 200 %.
  for (const int resource : {IDR_MAINFRAME, IDR_BROWSE_TOOLBAR, IDR_PREVIEW_TOOLBAR})
    for (const auto& b : GetToolbarResource(resource)) {
      if (b.command == 0) continue;
      for (const int size : {24, 48}) {
        const wxImage image = MakeToolImage(b.themeIcon, b.art, size);
        ASSERT_EQ(image.GetWidth(), size);
        ASSERT_TRUE(image.HasAlpha());
        int opaque = 0;
        for (int y = 0; y < size; ++y)
          for (int x = 0; x < size; ++x) opaque += image.GetAlpha(x, y) > 128;
        EXPECT_GT(opaque, size * size / 20) << b.tooltip << " " << size;
        if (!*b.themeIcon) {
          EXPECT_FALSE(LastToolImageCameFromTheme());
        }
      }
    }
  // The desktop's theme provides the standard actions here.
  MakeToolImage("document-open", TOOL_ART_NONE, 24);
  EXPECT_TRUE(LastToolImageCameFromTheme());
  // Unknown to the theme: our art.
  const wxImage own = MakeToolImage("no-such-icon-here", TOOL_ART_MOVE, 24);
  EXPECT_FALSE(LastToolImageCameFromTheme());
  EXPECT_TRUE(own.IsOk());
}

TEST(TrueColorToolBar, LoadsAModeToolbarAndDrawsTheKeyColourAsBackground) {
  CFixedUiTheme theme;
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "true colour", wxDefaultPosition, wxSize(900, 120));
  auto* bar = new CTrueColorToolBar;
  bar->Create(frame, wxID_ANY);
  ASSERT_TRUE(bar->LoadToolBar(IDR_MAINFRAME, 24, 1));
  EXPECT_FALSE(bar->LoadToolBar(12345));
  ASSERT_TRUE(bar->LoadToolBar(IDR_BROWSE_TOOLBAR, 24, 1));
  for (int i : {0, 10, 11, 12, 13}) EXPECT_FALSE(bar->GetItem(i).separator) << i;
  bar->SetButtonText(0, "Print");
  bar->SetButtonText(13, "Slide Show");
  EXPECT_EQ(bar->GetButtonText(13), "Slide Show");
  const wxImage shot = RenderToImage(*bar, bar->GetMinSize());
  paint_testing::SaveForLooking(shot, "toolbar-browse.png");
  // The key colour is never drawn, a near neighbour is.
  wxImage strip(2 * 4, 4, false);
  strip.SetRGB(wxRect(0, 0, 8, 4), 192, 192, 192);
  strip.SetRGB(wxRect(4, 0, 4, 4), 192, 192, 193);
  bar->SetItems({});
  bar->SetColorImages(strip, 4, 4, 1);
  bar->AddButton(1, 0);
  bar->AddButton(2, 1);
  const wxImage image = RenderToImage(*bar, bar->GetMinSize());
  EXPECT_EQ(paint_testing::CountColour(image, wxRect(image.GetSize()), wxColour(192, 192, 192)), 0);
  EXPECT_EQ(paint_testing::CountColour(image, wxRect(image.GetSize()), wxColour(192, 192, 193)), 16);
  frame->Destroy();
  PumpFor(10);
}

}  // namespace
