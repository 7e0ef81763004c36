// The image preview control: placement and panning arithmetic as tables,
// pixel colours at every depth, and the control itself: centring, frame and
// shadow, panning with its clamps (the screen checked against Render after
// each step), picking, and a dialog that uses it.

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "imaging/PixelAccess.h"
#include "shell/ImagePreviewCtrl.h"
#include "shell/ModalDialog.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using paint_testing::PixelAt;
using testing_support::PumpFor;
using testing_support::PumpUntil;

const wxColour kBlack(0, 0, 0), kWhite(255, 255, 255);

TEST(PreviewPlacement, Table) {
  const struct {
    int client, image, scroll, expected;
  } cases[] = {
      {100, 1, 0, 49},     // 1 pixel in 100: centred at 49
      {100, 99, -7, 0},    // smaller: centred whatever the scroll was
      {100, 100, 5, 0},    // as wide as the client: clamped to 0
      {100, 100, -5, 0},
      {100, 300, 10, 0},   // larger: scroll clamped to -200 .. 0
      {100, 300, -250, -200},
      {100, 300, -120, -120},
      {0, 10, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlacePreviewAxis(c.client, c.image, c.scroll), c.expected)
        << c.client << " " << c.image << " " << c.scroll;
}

TEST(PreviewPanning, Table) {
  const struct {
    int client, image, scroll, delta, expected;
  } cases[] = {
      {100, 300, 0, 30, 0},       // right past the left edge: stops at 0
      {100, 300, -10, 30, 10},
      {100, 300, 0, -150, -150},
      {100, 300, -150, -100, -50},  // left until the right edges meet
      {100, 300, -200, -1, 0},
      {100, 100, 0, -20, 0},      // as wide as the client: no panning
      {100, 50, 25, 10, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PanPreviewAxis(c.client, c.image, c.scroll, c.delta), c.expected)
        << c.client << " " << c.image << " " << c.scroll << " " << c.delta;
}

// An image of the depth whose pixel (x, y) has index (x + 3 y) mod colours,
// palette entry i = (i * 16, 255 - i, 7); 24-bit pixels (x, y, x ^ y).
CRasterImage DepthImage(int bpp, int w, int h) {
  CRasterImage image;
  image.Create(w, h, bpp);
  if (bpp == 24) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t* p = image.GetWritableBits() + y * image.GetStride() + 3 * x;
        p[0] = static_cast<uint8_t>(x);
        p[1] = static_cast<uint8_t>(y);
        p[2] = static_cast<uint8_t>(x ^ y);
      }
    return image;
  }
  const int colours = 1 << bpp;
  RGBQUAD* palette = image.GetWritablePalette();
  for (int i = 0; i < colours; ++i) palette[i] = MakeRGBQuad(static_cast<uint8_t>(i * 16), static_cast<uint8_t>(255 - i), 7);
  const PIXELSETPROC set = GetPixelSetter(bpp);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      set(image.GetWritableBits() + y * image.GetStride(), static_cast<int16_t>(x), (x + 3 * y) % colours);
  return image;
}

RGBQUAD ExpectedColour(int bpp, int x, int y) {
  if (bpp == 24) return MakeRGBQuad(static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x ^ y));
  const int i = (x + 3 * y) % (1 << bpp);
  return MakeRGBQuad(static_cast<uint8_t>(i * 16), static_cast<uint8_t>(255 - i), 7);
}

TEST(GetImagePixelColor, EveryDepthMaskAndOutside) {
  for (int bpp : {1, 4, 8, 24}) {
    CRasterImage image = DepthImage(bpp, 33, 9);
    for (int y : {0, 4, 8})
      for (int x : {0, 1, 7, 8, 9, 15, 32}) {
        RGBQUAD c;
        ASSERT_TRUE(GetImagePixelColor(image, x, y, c)) << bpp;
        EXPECT_EQ(c, ExpectedColour(bpp, x, y)) << bpp << " at " << x << "," << y;
        EXPECT_EQ(c.rgbReserved, 0);
      }
    RGBQUAD c;
    EXPECT_FALSE(GetImagePixelColor(image, -1, 0, c));
    EXPECT_FALSE(GetImagePixelColor(image, 33, 0, c));
    EXPECT_FALSE(GetImagePixelColor(image, 0, 9, c));
    // A mask: 8 bits for 24-bit images, 1 bit otherwise; 0 gives nothing.
    image.CreateMask();
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 33; ++x)
        if ((x + y) % 2) {
          uint8_t* row = image.GetWritableMaskBits() + y * image.GetMaskStride();
          if (bpp == 24) row[x] = 200;
          else SetPixel1(row, static_cast<int16_t>(x), 1);
        }
    EXPECT_FALSE(GetImagePixelColor(image, 4, 4, c)) << bpp;
    ASSERT_TRUE(GetImagePixelColor(image, 5, 4, c)) << bpp;
    EXPECT_EQ(c, ExpectedColour(bpp, 5, 4));
  }
}

class PreviewHost {
 public:
  explicit PreviewHost(const wxSize& size) {
    frame = new wxFrame(nullptr, wxID_ANY, "preview", wxPoint(0, 0), wxSize(400, 400));
    auto* panel = new wxPanel(frame);
    preview = new CImagePreviewCtrl(panel, wxID_ANY, wxPoint(10, 10), size);
    frame->Show();
    PumpUntil([this] { return preview->IsShownOnScreen(); });
  }
  ~PreviewHost() {
    frame->Destroy();
    PumpFor(20);
  }
  wxFrame* frame;
  CImagePreviewCtrl* preview;
};

TEST(ImagePreviewCtrl, OnePixelSitsAtTheCentreWithItsFrameAndShadow) {
  CFixedUiTheme theme;
  PreviewHost host(wxSize(100, 100));
  CImagePreviewCtrl* p = host.preview;
  CRasterImage one;
  one.Create(1, 1, 24);
  one.GetWritableBits()[0] = 255;  // red
  p->SetImage(&one);
  p->SetImageSize(1, 1);
  p->CenterImage();
  EXPECT_EQ(p->GetScrollX(), 49);
  EXPECT_EQ(p->GetScrollY(), 49);
  wxImage image = RenderToImage(*p);
  paint_testing::SaveForLooking(image, "preview-1x1.png");
  EXPECT_PIXEL(image, 49, 49, wxColour(255, 0, 0));
  EXPECT_PIXEL(image, 48, 48, kBlack);  // frame
  EXPECT_PIXEL(image, 50, 50, kBlack);
  EXPECT_PIXEL(image, 51, 51, kWhite);  // shadow rows start at top + 3 = 52
  EXPECT_PIXEL(image, 51, 53, kBlack);  // (51 + 53) even, parity (49 + 49) & 1 = 0
  EXPECT_PIXEL(image, 52, 53, kWhite);
  EXPECT_PIXEL(image, 10, 10, kWhite);  // window background
  // Face background: no shadow, button-face colour; no frame when off.
  p->SetFaceBackground(true);
  p->SetDrawFrame(false);
  image = RenderToImage(*p);
  EXPECT_PIXEL(image, 10, 10, wxColour(240, 240, 240));
  EXPECT_PIXEL(image, 48, 48, wxColour(240, 240, 240));
  EXPECT_PIXEL(image, 51, 53, wxColour(240, 240, 240));
  EXPECT_PIXEL(image, 49, 49, wxColour(255, 0, 0));
  // Nothing to show: only the background.
  p->SetImage(nullptr);
  image = RenderToImage(*p);
  EXPECT_EQ(paint_testing::CountColour(image, wxRect(0, 0, 100, 100), wxColour(240, 240, 240)), 100 * 100 - 0);
}

TEST(ImagePreviewCtrl, PanningClampsAtBothEndsAndTheScreenFollows) {
  CFixedUiTheme theme;
  PreviewHost host(wxSize(100, 80));
  CImagePreviewCtrl* p = host.preview;
  const CRasterImage image = DepthImage(24, 300, 200);
  p->SetImage(&image);
  p->SetImageSize(300, 200);
  p->CenterImage();  // a larger image shows its middle
  p->PlaceShownArea();
  EXPECT_EQ(p->GetScrollX(), -100);
  EXPECT_EQ(p->GetScrollY(), -60);
  struct Step {
    int dx, dy, scrollX, scrollY;
  };
  const Step steps[] = {{30, 20, -70, -40},     {100, 100, 0, 0},    {-150, -50, -150, -50},
                        {-100, -100, -200, -120}, {-5, -5, -200, -120}, {40, 7, -160, -113},
                        {500, 500, 0, 0}};
  wxPoint at(50, 40);
  p->MouseDown(at);
  for (const Step& s : steps) {
    at += wxPoint(s.dx, s.dy);
    p->MouseMove(at);
    EXPECT_EQ(p->GetScrollX(), s.scrollX) << s.dx << "," << s.dy;
    EXPECT_EQ(p->GetScrollY(), s.scrollY) << s.dx << "," << s.dy;
    // What the window shows after the scroll is the image at that place.
    p->Update();
    PumpFor(30);
    wxBitmap shot(100, 80, 24);
    {
      wxClientDC source(p);
      wxMemoryDC dc(shot);
      dc.Blit(0, 0, 100, 80, &source, 0, 0);
    }
    const wxImage shown = shot.ConvertToImage();
    int wrong = 0;
    for (int y = 0; y < 80; y += 3)
      for (int x = 0; x < 100; x += 3) {
        const RGBQUAD c = ExpectedColour(24, x - s.scrollX, y - s.scrollY);
        wrong += PixelAt(shown, x, y) != wxColour(c.rgbRed, c.rgbGreen, c.rgbBlue);
      }
    EXPECT_EQ(wrong, 0) << "after " << s.dx << "," << s.dy;
    if (wrong) paint_testing::SaveForLooking(shown, "pan-wrong.png");
  }
  p->MouseUp();
  EXPECT_FALSE(p->IsButtonDown());
  // Moves without the button pan nothing.
  p->MouseMove(wxPoint(0, 0));
  EXPECT_EQ(p->GetScrollX(), 0);
}

TEST(ImagePreviewCtrl, PickingReportsThePixelUnderThePointerAtEveryDepthAndPlace) {
  PreviewHost host(wxSize(120, 90));
  CImagePreviewCtrl* p = host.preview;
  p->SetMode(PREVIEW_MODE_PICK);
  std::vector<RGBQUAD> picked;
  p->SetColorPickCallback([&](const RGBQUAD& c) { picked.push_back(c); });
  for (int bpp : {1, 4, 8, 24}) {
    // Smaller than the control (centred), and larger and panned.
    for (const wxSize size : {wxSize(40, 30), wxSize(300, 200)}) {
      CRasterImage image = DepthImage(bpp, size.x, size.y);
      p->SetImage(&image);
      p->SetImageSize(size.x, size.y);
      p->CenterImage();
      p->PlaceShownArea();
      if (size.x > 120) {  // pan there first
        p->SetMode(PREVIEW_MODE_PAN);
        p->MouseDown(wxPoint(100, 80));
        p->MouseMove(wxPoint(100 - 37, 80 - 21));
        p->MouseUp();
        p->SetMode(PREVIEW_MODE_PICK);
        EXPECT_EQ(p->GetScrollX(), (120 - 300) / 2 - 37);
      }
      for (const wxPoint at : {wxPoint(40, 30), wxPoint(41, 30), wxPoint(47, 33), wxPoint(79, 59)}) {
        picked.clear();
        p->MouseDown(at);
        p->MouseUp();
        const int x = at.x - p->GetScrollX(), y = at.y - p->GetScrollY();
        ASSERT_EQ(picked.size(), 1u) << bpp << " at " << at.x << "," << at.y;
        EXPECT_EQ(picked[0], ExpectedColour(bpp, x, y)) << bpp << " at " << at.x << "," << at.y;
      }
      // A drag picks as it goes; outside the image nothing.
      picked.clear();
      p->MouseDown(wxPoint(45, 35));
      p->MouseMove(wxPoint(46, 35));
      p->MouseMove(wxPoint(-5, 35));
      p->MouseUp();
      EXPECT_EQ(picked.size(), size.x > 120 ? 3u : 2u);  // x = -5 lies on the panned image
      p->SetImage(nullptr);
    }
  }
  // With an offset the point is taken relative to the picked image.
  CRasterImage image = DepthImage(24, 20, 20);
  p->SetImage(&image);
  p->SetImageSize(40, 40);
  p->SetImageOffset(10, 10);
  p->CenterImage();  // the shown area at (40, 25)
  picked.clear();
  p->MouseDown(wxPoint(40 + 10 + 3, 25 + 10 + 4));
  p->MouseUp();
  ASSERT_EQ(picked.size(), 1u);
  EXPECT_EQ(picked[0], ExpectedColour(24, 3, 4));
  // A 4-bit image with a mask: the palette entry, and nothing where the mask is 0.
  CRasterImage masked = DepthImage(4, 40, 30);
  masked.CreateMask();
  SetPixel1(masked.GetWritableMaskBits() + 5 * masked.GetMaskStride(), 6, 1);
  p->SetImage(&masked);
  p->SetImageSize(40, 30);
  p->SetImageOffset(0, 0);
  p->CenterImage();  // at (40, 30)
  picked.clear();
  p->MouseDown(wxPoint(40 + 6, 30 + 5));
  p->MouseUp();
  p->MouseDown(wxPoint(40 + 7, 30 + 5));
  p->MouseUp();
  ASSERT_EQ(picked.size(), 1u);
  EXPECT_EQ(picked[0], ExpectedColour(4, 6, 5));
  // Clicks through the window's own events reach it too.
  picked.clear();
  wxMouseEvent down(wxEVT_LEFT_DOWN);
  down.SetPosition(wxPoint(46, 35));
  p->ProcessWindowEvent(down);
  wxMouseEvent up(wxEVT_LEFT_UP);
  p->ProcessWindowEvent(up);
  EXPECT_EQ(picked.size(), 1u);
}

TEST(ImagePreviewCtrl, ShowsTheCompositionOfALayerStack) {
  CFixedUiTheme theme;
  PreviewHost host(wxSize(100, 100));
  CImagePreviewCtrl* p = host.preview;
  CRasterImage image = DepthImage(24, 10, 10);
  p->SetImage(&image);
  p->SetImageOffset(3, 3);
  CLayerStack stack(40, 20);
  stack.AddColorRect(0, 0, 255, 255, 0, 0, 40, 20);  // blue canvas
  stack.AddColorRect(255, 0, 0, 255, 10, 5, 5, 5);   // a red square on it
  p->SetCanvas(&stack);
  p->CenterImage();  // (30, 40)
  const wxImage shot = RenderToImage(*p);
  EXPECT_PIXEL(shot, 30, 40, wxColour(0, 0, 255));
  EXPECT_PIXEL(shot, 69, 59, wxColour(0, 0, 255));
  EXPECT_PIXEL(shot, 40, 45, wxColour(255, 0, 0));
  EXPECT_PIXEL(shot, 29, 39, kBlack);  // frame around the canvas
  EXPECT_PIXEL(shot, 70, 60, kBlack);
  // The canvas replaced the image: picking reports nothing.
  int picks = 0;
  p->SetColorPickCallback([&](const RGBQUAD&) { ++picks; });
  p->SetMode(PREVIEW_MODE_PICK);
  p->MouseDown(wxPoint(40, 45));
  p->MouseUp();
  EXPECT_EQ(picks, 0);
}

// A dialog built around the control, as the export and colour dialogs are:
// a photograph larger than the preview, panned, and a small image centred.
TEST(ImagePreviewCtrl, DialogWithPreviewScreenshot) {
  REQUIRE_TOOL("convert");
  testing_support::TempDir dir;
  const std::string ppm = (dir / "rose.ppm").string();
  ASSERT_EQ(testing_support::RunCommand("convert rose: -scale 500% " + testing_support::ShellQuote(ppm)), 0);
  const CRasterImage photo = testing_support::ReadPnm(ppm);
  ASSERT_FALSE(photo.IsEmpty());
  CRasterImage small = testing_support::MakeTestPicture(60, 40);

  wxDialog dialog(nullptr, wxID_ANY, "Preview");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  auto* big = new CImagePreviewCtrl(&dialog, 100, wxDefaultPosition, wxSize(240, 180));
  auto* pick = new CImagePreviewCtrl(&dialog, 101, wxDefaultPosition, wxSize(160, 180));
  row->Add(big, 0, wxALL, 8);
  row->Add(pick, 0, wxALL, 8);
  sizer->Add(row);
  auto* label = new wxStaticText(&dialog, wxID_ANY, "Drag the picture; click the right one to pick a colour.");
  sizer->Add(label, 0, wxLEFT | wxRIGHT, 8);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(&dialog, wxID_OK, "OK"), 0, wxALL, 8);
  buttons->Add(new wxButton(&dialog, wxID_CANCEL, "Cancel"), 0, wxALL, 8);
  sizer->Add(buttons, 0, wxEXPAND);
  dialog.SetSizerAndFit(sizer);
  big->SetImage(&photo);
  big->SetImageSize(photo.GetWidth(), photo.GetHeight());
  big->CenterImage();
  pick->SetImage(&small);
  pick->SetImageSize(60, 40);
  pick->CenterImage();
  pick->SetMode(PREVIEW_MODE_PICK);
  pick->SetFaceBackground(false);

  CModalDialogHook hook([&](wxDialog& d) -> int {
    EXPECT_TRUE(PumpUntil([&] { return d.IsShownOnScreen(); }));
    big->MouseDown(wxPoint(100, 100));
    big->MouseMove(wxPoint(60, 80));
    big->MouseUp();
    PumpFor(300);
    const wxImage shown = paint_testing::CaptureWindow(big);
    const wxImage rendered = RenderToImage(*big);
    int differing = 0;
    for (int y = 0; y < shown.GetHeight(); ++y)
      for (int x = 0; x < shown.GetWidth(); ++x) differing += PixelAt(shown, x, y) != PixelAt(rendered, x, y);
    EXPECT_EQ(differing, 0);
    const char* out = std::getenv("PICTORAVELL_SCREENSHOT_DIR");
    if (out && *out) {
      const wxRect r = d.GetScreenRect();
      const std::string crop = std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
                               std::to_string(r.x) + "+" + std::to_string(r.y);
      EXPECT_EQ(testing_support::RunCommand("import -window root -crop " + crop + " " +
                                            testing_support::ShellQuote(std::string(out) + "/preview-dialog.png")),
                0);
    }
    return wxID_OK;
  });
  EXPECT_EQ(RunModalDialog(dialog), wxID_OK);
}

}  // namespace
