// The image info bar: its texts as a table, its panes, repaints only on a
// change, and the Close button kept at the right end.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/sizer.h>

#include "resources/CommandIds.h"
#include "shell/ImageInfoBar.h"
#include "shell/UiTheme.h"
#include "tests/shell/PaintTestSupport.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

TEST(ImageInfoFormat, Texts) {
  struct Case {
    int width, height, mode, zoom;
    const char *size, *colour, *zoomText;
  };
  const Case cases[] = {
      {640, 480, 24, 1, "W: 640  H: 480", ": Full Color", ": x1"},
      {1, 1, 0, 0, "W: 1  H: 1", ": Grayscale", ": x1"},
      {32767, 2, 1, -1, "W: 32767  H: 2", ": Bitmap", ": x1"},
      {5, 6, 4, 3, "W: 5  H: 6", ": 16 Index", ": x3"},
      {5, 6, 8, 16, "W: 5  H: 6", ": 256 Index", ": x16"},
      {0, 0, -1, -4, "W: 0  H: 0", ": ", ": x1/4"},
      {0, 0, 32, -2, "W: 0  H: 0", ": ", ": x1/2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatInfoSize(c.width, c.height), c.size);
    EXPECT_EQ(FormatInfoColorMode(c.mode), c.colour) << c.mode;
    EXPECT_EQ(FormatInfoZoom(c.zoom), c.zoomText) << c.zoom;
  }
  struct Counter {
    int current, count;
    const char* text;
    int phase;
  };
  for (const Counter c : {Counter{0, 12, "1/12", 0}, Counter{4, 12, "5/12", 1}, Counter{2, 3, "3/3", 2},
                          Counter{0, 1, "1/1", 0}, Counter{0, 0, "1/0", 0}})
  {
    EXPECT_EQ(FormatFrameCounter(c.current, c.count), c.text);
    EXPECT_EQ(FrameCounterPhase(c.current), c.phase) << c.current;
  }
}

struct InfoBarFixture {
  CFixedUiTheme theme;
  wxFrame* frame;
  CImageInfoBar* bar;
  explicit InfoBarFixture(int scale = 1) {
    frame = new wxFrame(nullptr, wxID_ANY, "info", wxDefaultPosition, wxSize(600, 150));
    bar = new CImageInfoBar;
    bar->Create(frame, wxID_ANY, scale);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(bar, 0, wxEXPAND);
    frame->SetSizer(column);
    frame->Show();
    frame->Layout();
    PumpUntil([&] { return bar->IsShownOnScreen() && bar->GetClientSize().x > 400; });
  }
  ~InfoBarFixture() {
    frame->Destroy();
    PumpFor(10);
  }
};

TEST(ImageInfoBar, ItemsAndPanes) {
  InfoBarFixture f;
  ASSERT_EQ(f.bar->GetItemCount(), 5);
  EXPECT_EQ(f.bar->GetItem(INFO_ITEM_ZOOM_IN).id, ID_ZOOM_IN);
  EXPECT_EQ(f.bar->GetItem(INFO_ITEM_ZOOM_OUT).id, ID_ZOOM_OUT);
  EXPECT_EQ(f.bar->GetItem(INFO_ITEM_COUNTER).id, kCounterPaneId);
  EXPECT_EQ(f.bar->GetItem(INFO_ITEM_INFO).id, kInfoPaneId);
  EXPECT_EQ(f.bar->GetItem(INFO_ITEM_CLOSE).id, ID_FILE_CLOSE);
  f.bar->SetImageInfo(640, 480, 24, -4, 4, 12);
  // The counter pane: image width + text width of ": 12/12" + 10.
  EXPECT_EQ(f.bar->GetItemRect(INFO_ITEM_COUNTER).width, 16 + f.bar->GetTextWidth(": 12/12") - 6 + 10);
  const wxRect close = f.bar->GetItemRect(INFO_ITEM_CLOSE);
  EXPECT_EQ(close.GetRight() + 1, f.bar->GetClientSize().x);
  const wxImage image = RenderToImage(*f.bar);
  paint_testing::SaveForLooking(image, "infobar.png");
  // Text was drawn in the information pane.
  const wxRect info = f.bar->GetItemRect(INFO_ITEM_INFO);
  int dark = 0;
  for (int y = info.y; y < info.GetBottom(); ++y)
    for (int x = info.x + 24; x < info.x + 200; ++x) dark += paint_testing::PixelAt(image, x, y).Red() < 90;
  EXPECT_GT(dark, 40);
}

TEST(ImageInfoBar, EqualValuesRepaintNothing) {
  InfoBarFixture f;
  f.bar->SetImageInfo(640, 480, 24, 1, 0, 12);
  const int info = f.bar->GetInfoRepaints(), counter = f.bar->GetCounterRepaints();
  f.bar->SetImageInfo(640, 480, 24, 1, 0, 12);
  EXPECT_EQ(f.bar->GetInfoRepaints(), info);
  EXPECT_EQ(f.bar->GetCounterRepaints(), counter);
  f.bar->SetFrameCounter(1, 12);
  EXPECT_EQ(f.bar->GetInfoRepaints(), info);
  EXPECT_EQ(f.bar->GetCounterRepaints(), counter + 1);
  f.bar->SetImageInfo(640, 480, 24, 2, 1, 12);
  EXPECT_EQ(f.bar->GetInfoRepaints(), info + 1);
  EXPECT_EQ(f.bar->GetCounterRepaints(), counter + 1);
}

TEST(ImageInfoBar, CloseStaysAtTheRightAfterAResize) {
  InfoBarFixture f;
  f.bar->SetImageInfo(10, 10, 8, 1, 0, 1);
  for (const int width : {800, 450, 700}) {
    f.frame->SetSize(wxSize(width, 150));
    f.frame->Layout();
    PumpUntil([&] { return std::abs(f.bar->GetClientSize().x - f.frame->GetClientSize().x) == 0; });
    PumpFor(20);
    EXPECT_EQ(f.bar->GetItemRect(INFO_ITEM_CLOSE).GetRight() + 1, f.bar->GetClientSize().x) << width;
  }
}

TEST(ImageInfoBar, TheCounterIconStepsThroughItsPhases) {
  InfoBarFixture f;
  f.bar->SetImageInfo(10, 10, 8, 1, 0, 12);
  const wxRect pane = f.bar->GetItemRect(INFO_ITEM_COUNTER);
  auto icon = [&] {
    const wxImage image = RenderToImage(*f.bar);
    return image.GetSubImage(wxRect(pane.x + 4, pane.y, 16, pane.height - 2));
  };
  const wxImage p0 = icon();
  f.bar->SetFrameCounter(1, 12);
  const wxImage p1 = icon();
  f.bar->SetFrameCounter(3, 12);
  const wxImage p3 = icon();
  auto same = [](const wxImage& a, const wxImage& b) {
    return memcmp(a.GetData(), b.GetData(), static_cast<std::size_t>(a.GetWidth() * a.GetHeight() * 3)) == 0;
  };
  EXPECT_FALSE(same(p0, p1));
  EXPECT_TRUE(same(p0, p3));  // 3 mod 3 = 0
}

TEST(ImageInfoBar, IconsAtDoubleScale) {
  InfoBarFixture f(2);
  EXPECT_EQ(f.bar->GetImageScale(), 2);
  EXPECT_EQ(f.bar->GetItemRect(INFO_ITEM_ZOOM_IN).width, 32 + 14);
  f.bar->SetImageInfo(640, 480, 24, 2, 0, 3);
  paint_testing::SaveForLooking(RenderToImage(*f.bar), "infobar-200.png");
}

}  // namespace
