// The editing view draws its border, shadow and transparency background
// from the display options.

#include <gtest/gtest.h>
#include <wx/dcmemory.h>

#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "imaging/DisplayOptions.h"
#include "shell/UiTheme.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/shell/PaintTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::PumpFor;
using testing_support::TempDir;

const wxColour kBlack(0, 0, 0);

wxImage Draw(CPictoravellView* view) {
  const wxSize size = view->GetViewWindow()->GetClientSize();
  wxBitmap bitmap(size, 24);
  {
    wxMemoryDC dc(bitmap);
    view->OnDraw(&dc);
  }
  return bitmap.ConvertToImage();
}

TEST(ViewDisplayOptions, BorderShadowAndBackgroundFollowTheOptions) {
  CFixedUiTheme theme;
  DocumentWindowFixture f;
  TempDir dir;
  // 20 x 10: the left half opaque red, the right half transparent.
  CRasterImage image = SolidImage(20, 10, 255, 0, 0);
  image.CreateMask();
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) image.GetWritableMaskBits()[y * image.GetMaskStride() + x] = 255;
  CImageFileRequest request;
  request.m_strFileName = (dir.path() / "half.png").string();
  request.m_nWidth = 20;
  request.m_nHeight = 10;
  request.m_frames.push_back(MakeFrame(image));
  ASSERT_EQ(WriteImageFile(&request, OVERWRITE_REPLACE, nullptr, nullptr), IMAGEIO_OK);
  CPictoravellDoc* doc = OpenImageDocument(request.m_strFileName);
  ASSERT_TRUE(doc);
  CPictoravellView* view = f.ViewOf(doc);
  PumpFor(50);
  ASSERT_EQ(view->GetZoom(), 1);

  DISPLAY_OPTIONS o;
  o.nTransparency = TRANSPARENCY_SOLID;
  o.solidColor = MakeRGBQuad(10, 200, 30);
  o.windowColor = MakeRGBQuad(200, 220, 240);
  SetDisplayOptions(o);
  const wxColour around(200, 220, 240), solid(10, 200, 30);
  const Point at = view->ImageToClient(Point{0, 0});
  wxImage shot = Draw(view);
  paint_testing::SaveForLooking(shot, "view-display-options.png");
  EXPECT_PIXEL(shot, at.x + 2, at.y + 2, wxColour(255, 0, 0));
  EXPECT_PIXEL(shot, at.x + 15, at.y + 5, solid);
  EXPECT_PIXEL(shot, at.x - 1, at.y - 1, kBlack);    // border
  EXPECT_PIXEL(shot, at.x + 20, at.y + 10, kBlack);  // border's far corner
  EXPECT_PIXEL(shot, at.x - 10, at.y - 10, around);
  // The shadow: three columns right of the border from row top + 3, three
  // rows under it from column left + 3, pixels of one parity.
  const wxColour a = paint_testing::PixelAt(shot, at.x + 21, at.y + 3);
  const wxColour b = paint_testing::PixelAt(shot, at.x + 22, at.y + 3);
  EXPECT_TRUE((a == kBlack && b == around) || (a == around && b == kBlack));
  EXPECT_PIXEL(shot, at.x + 21, at.y + 2, around);  // above the strip
  EXPECT_PIXEL(shot, at.x + 24, at.y + 5, around);  // right of it
  // Under the image: columns left + 3 .. right + 3 (21 of them) in three
  // rows, every other pixel.
  int dark = 0;
  for (int y = at.y + 11; y <= at.y + 13; ++y)
    for (int x = at.x; x <= at.x + 25; ++x) dark += paint_testing::PixelAt(shot, x, y) == kBlack;
  EXPECT_TRUE(dark == 31 || dark == 32) << dark;
  for (int y = at.y + 11; y <= at.y + 13; ++y)
    for (int x = at.x; x < at.x + 3; ++x) EXPECT_PIXEL(shot, x, y, around);

  // No border, no shadow, the checkerboard behind transparent pixels.
  o.bDrawBorder = 0;
  o.bDrawShadow = 0;
  o.nTransparency = TRANSPARENCY_CHECKERBOARD;
  o.checkerColor1 = MakeRGBQuad(1, 2, 3);
  o.checkerColor2 = MakeRGBQuad(4, 5, 6);
  SetDisplayOptions(o);
  shot = Draw(view);
  EXPECT_PIXEL(shot, at.x - 1, at.y - 1, around);
  EXPECT_EQ(paint_testing::CountColour(shot, wxRect(at.x - 2, at.y - 2, 30, 20), kBlack), 0);
  EXPECT_PIXEL(shot, at.x + 15, at.y + 5, wxColour(1, 2, 3));
  // The window colour behind transparent pixels.
  o.nTransparency = TRANSPARENCY_WINDOW;
  SetDisplayOptions(o);
  EXPECT_PIXEL(Draw(view), at.x + 15, at.y + 5, around);
  SetDisplayOptions(DISPLAY_OPTIONS());
}

}  // namespace
