#include <gtest/gtest.h>

#include <fstream>

#include "imaging/LayerStack.h"
#include "imaging/PixelAccess.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testing_support;

struct Argb {
  int a, r, g, b;
  friend bool operator==(const Argb&, const Argb&) = default;
};
std::ostream& operator<<(std::ostream& os, const Argb& p) {
  return os << "(a" << p.a << " " << p.r << "," << p.g << "," << p.b << ")";
}

Argb Compose(CLayerStack& stack, int x, int y) {
  uint8_t a, r, g, b;
  stack.BeginRender();
  stack.GetPixel(x, y, a, r, g, b);
  stack.EndRender();
  return Argb{a, r, g, b};
}

// Renders one pixel through Render too, so both paths are held to the table.
Argb RenderOne(CLayerStack& stack, int x, int y) {
  uint8_t rgb[3], alpha;
  stack.Render(LayerRect{x, y, x, y}, rgb, 3, &alpha, 1);
  return Argb{alpha, rgb[0], rgb[1], rgb[2]};
}

CRasterImage SolidRgb(int w, int h, uint8_t r, uint8_t g, uint8_t b, int alpha = -1) {
  CRasterImage im;
  EXPECT_TRUE(im.Create(w, h, 24));
  uint8_t* p = im.GetWritableBits();
  for (int i = 0; i < w * h; ++i) {
    p[3 * i] = r;
    p[3 * i + 1] = g;
    p[3 * i + 2] = b;
  }
  if (alpha >= 0) {
    EXPECT_TRUE(im.CreateMask());
    std::fill_n(im.GetWritableMaskBits(), w * h, static_cast<uint8_t>(alpha));
  }
  return im;
}

// The over rule written out as the compositor defines it.
Argb Over(Argb top, Argb bottom) {
  if (bottom.a == 0) return top;
  if (top.a == 0) return bottom;
  const int tb = top.a * bottom.a;
  const int a = top.a + bottom.a - tb / 255;
  auto ch = [&](int ct, int cb) { return (ct * top.a + cb * bottom.a - (tb * cb) / 255) / a; };
  return Argb{a, ch(top.r, bottom.r), ch(top.g, bottom.g), ch(top.b, bottom.b)};
}

TEST(LayerStack, CompositionTable) {
  struct Case {
    const char* name;
    Argb top, bottom, expected;
  };
  const Case cases[] = {
      {"opaque top hides the lower layer", {255, 10, 20, 30}, {255, 200, 100, 50}, {255, 10, 20, 30}},
      {"half over opaque", {128, 200, 0, 100}, {255, 0, 100, 50},
       {255, (200 * 128 + 0) / 255, (0 + 100 * 255 - (128 * 255 * 100) / 255) / 255,
        (100 * 128 + 50 * 255 - (128 * 255 * 50) / 255) / 255}},
      {"half over half gives 192", {128, 255, 0, 0}, {128, 0, 0, 255},
       {192, (255 * 128) / 192, 0, (255 * 128 - (16384 * 255) / 255) / 192}},
      {"transparent top shows the lower layer unchanged", {0, 0, 0, 0}, {77, 1, 2, 3}, {77, 1, 2, 3}},
      {"transparent lower layer is skipped", {90, 50, 60, 70}, {0, 0, 0, 0}, {90, 50, 60, 70}},
  };
  for (const Case& c : cases) {
    // Colour layers, and image layers carrying the same values.
    for (int kind = 0; kind < 2; ++kind) {
      CLayerStack stack(4, 4);
      if (kind == 0) {
        stack.AddColorRect(c.bottom.r, c.bottom.g, c.bottom.b, c.bottom.a, 0, 0, 4, 4);
        stack.AddColorRect(c.top.r, c.top.g, c.top.b, c.top.a, 0, 0, 4, 4);
      } else {
        stack.AddImage(SolidRgb(4, 4, c.bottom.r, c.bottom.g, c.bottom.b, c.bottom.a), 0, 0);
        stack.AddImage(SolidRgb(4, 4, c.top.r, c.top.g, c.top.b, c.top.a), 0, 0);
      }
      const Argb expectedColour = c.expected.a == 0 ? Argb{0, 0, 0, 0} : c.expected;
      EXPECT_EQ(Compose(stack, 1, 2), expectedColour) << c.name << " kind " << kind;
      EXPECT_EQ(RenderOne(stack, 1, 2), expectedColour) << c.name << " kind " << kind;
      EXPECT_EQ(Over(c.top, c.bottom), c.expected) << c.name;
    }
  }
}

TEST(LayerStack, MaskedOutTopLayerShowsTheLowerOneThrough) {
  // An indexed image with a 1-bit mask: bit 0 gives alpha 0 and colour 0.
  CRasterImage top;
  ASSERT_TRUE(top.Create(2, 1, 8));
  top.GetWritablePalette()[5] = MakeRGBQuad(9, 8, 7);
  top.GetWritableBits()[0] = 5;
  top.GetWritableBits()[1] = 5;
  ASSERT_TRUE(top.CreateMask());
  SetPixel1(top.GetWritableMaskBits(), 0, 1);
  CLayerStack stack(2, 1);
  stack.AddColorRect(100, 110, 120, 255, 0, 0, 2, 1);
  stack.AddImage(top, 0, 0);
  EXPECT_EQ(Compose(stack, 0, 0), (Argb{255, 9, 8, 7}));
  EXPECT_EQ(Compose(stack, 1, 0), (Argb{255, 100, 110, 120}));

  CLayerStack alone(2, 1);
  alone.AddImage(top, 0, 0);
  EXPECT_EQ(Compose(alone, 1, 0), (Argb{0, 0, 0, 0}));
}

TEST(LayerStack, ColourLayerUnderImageAndOutsidePoints) {
  CRasterImage image = MakeTestPicture(5, 4);
  CLayerStack stack(10, 10);
  stack.AddColorRect(1, 2, 3, 255, 2, 2, 6, 6);  // (2,2)-(7,7) inclusive
  stack.AddImage(image, 3, 3);                   // (3,3)-(7,6)
  const uint8_t* p = image.GetRow(1) + 3 * 2;
  EXPECT_EQ(Compose(stack, 5, 4), (Argb{255, p[0], p[1], p[2]}));
  EXPECT_EQ(Compose(stack, 2, 2), (Argb{255, 1, 2, 3}));
  EXPECT_EQ(Compose(stack, 7, 7), (Argb{255, 1, 2, 3}));
  EXPECT_EQ(Compose(stack, 8, 7), (Argb{0, 0, 0, 0}));
  EXPECT_EQ(Compose(stack, -1, 0), (Argb{0, 0, 0, 0}));

  CLayerStack empty(3, 3);
  uint8_t a = 1, r = 1, g = 1, b = 1;
  EXPECT_FALSE(empty.BeginRender());
  EXPECT_FALSE(empty.GetPixel(0, 0, a, r, g, b));
  EXPECT_EQ((Argb{a, r, g, b}), (Argb{0, 0, 0, 0}));
}

TEST(LayerStack, OneOpaqueImageRendersToItself) {
  const CRasterImage image = MakeTestPicture(33, 9);
  CLayerStack stack(40, 12);
  stack.AddImage(image, 4, 2);
  std::vector<uint8_t> rgb(40 * 12 * 3, 0xEE), alpha(40 * 12, 0xEE);
  stack.Render(LayerRect{0, 0, 39, 11}, rgb.data(), 40 * 3, alpha.data(), 40);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 4 && x < 37 && y >= 2 && y < 11;
      ASSERT_EQ(alpha[y * 40 + x], inside ? 255 : 0) << x << "," << y;
      for (int c = 0; c < 3; ++c) {
        const int want = inside ? image.GetRow(y - 2)[3 * (x - 4) + c] : 0;
        ASSERT_EQ(rgb[(y * 40 + x) * 3 + c], want) << x << "," << y;
      }
    }
}

TEST(LayerStack, ArrayGrowsByTenKeepingTheOrder) {
  CLayerStack stack(1, 1);
  for (int i = 0; i < 10; ++i) stack.AddColorRect(static_cast<uint8_t>(i), 0, 0, 255, 0, 0, 1, 1);
  EXPECT_EQ(stack.GetCapacity(), 10);
  EXPECT_EQ(stack.AddColorRect(10, 0, 0, 255, 0, 0, 1, 1), 11);
  EXPECT_EQ(stack.GetCapacity(), 20);
  for (int i = 0; i < 11; ++i) {
    uint8_t a, r, g, b;
    stack.GetLayer(i)->GetPixel(0, 0, a, r, g, b);
    EXPECT_EQ(r, i);
  }
  for (int i = 11; i < 21; ++i) stack.AddColorRect(0, 0, 0, 255, 0, 0, 1, 1);
  EXPECT_EQ(stack.GetCapacity(), 30);
  EXPECT_EQ(Compose(stack, 0, 0).r, 0);
  stack.RemoveAll();
  EXPECT_EQ(stack.GetCount(), 0);
  EXPECT_EQ(stack.GetCapacity(), 0);
}

TEST(LayerStack, BoundsOfThinLayers) {
  struct Case {
    const char* name;
    std::vector<std::array<int, 4>> layers;  // left, top, width, height (bottom first)
    LayerRect expected;
  };
  const Case cases[] = {
      {"one layer one pixel wide", {{5, 2, 1, 7}}, {5, 2, 5, 8}},
      {"one layer one pixel high", {{3, 4, 9, 1}}, {3, 4, 11, 4}},
      {"one-pixel-wide layer inside the upper one adds nothing", {{5, 3, 1, 2}, {5, 2, 1, 7}}, {5, 2, 5, 8}},
      {"two separate one-pixel-wide layers", {{0, 0, 1, 3}, {10, 5, 1, 3}}, {0, 0, 10, 7}},
      {"two separate one-pixel-high layers", {{2, 9, 4, 1}, {7, 1, 3, 1}}, {2, 1, 9, 9}},
      {"single pixels", {{-3, -4, 1, 1}, {3, 4, 1, 1}}, {-3, -4, 3, 4}},
      {"a zero-width layer adds nothing", {{0, 0, 0, 5}, {4, 4, 2, 2}}, {4, 4, 5, 5}},
  };
  for (const Case& c : cases) {
    CLayerStack stack(20, 20);
    for (const auto& l : c.layers) stack.AddColorRect(1, 1, 1, 255, l[0], l[1], l[2], l[3]);
    LayerRect bounds{99, 99, 99, 99};
    EXPECT_EQ(stack.GetBounds(&bounds), &bounds);
    EXPECT_EQ(bounds, c.expected) << c.name;
  }
  CLayerStack none(1, 1);
  LayerRect untouched{1, 2, 3, 4};
  none.GetBounds(&untouched);
  EXPECT_EQ(untouched, (LayerRect{1, 2, 3, 4}));
}

TEST(LayerStack, AgreesWithPillowAlphaComposite) {
  REQUIRE_TOOL(Python());
  TempDir dir;
  // Two 24-bit images with varied alpha, partly overlapping.
  CRasterImage bottom = MakeTestPicture(37, 23, 3), top = MakeTestPicture(37, 23, 4);
  ASSERT_TRUE(bottom.CreateMask());
  ASSERT_TRUE(top.CreateMask());
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      bottom.GetWritableMaskBits()[y * 37 + x] = static_cast<uint8_t>((x * 7 + y * 3) % 256);
      top.GetWritableMaskBits()[y * 37 + x] = static_cast<uint8_t>((x * 13 + y * 29) % 256);
    }
  WritePam(dir / "bottom.pam", bottom);
  WritePam(dir / "top.pam", top);
  CLayerStack stack(37, 23);
  stack.AddImage(bottom, 0, 0);
  stack.AddImage(top, 0, 0);
  CRasterImage ours;
  ASSERT_TRUE(ours.Create(37, 23, 24));
  ASSERT_TRUE(ours.CreateMask());
  stack.Render(LayerRect{0, 0, 36, 22}, ours.GetWritableBits(), ours.GetStride(), ours.GetWritableMaskBits(),
               ours.GetMaskStride());
  const std::string script =
      "import sys\nfrom PIL import Image\n"
      "def load(p):\n"
      "  d=open(p,'rb').read(); h,_,body=d.partition(b'ENDHDR\\n')\n"
      "  return Image.frombytes('RGBA',(37,23),body)\n"
      "out=Image.alpha_composite(load(sys.argv[1]),load(sys.argv[2]))\n"
      "open(sys.argv[3],'wb').write(b'P7\\nWIDTH 37\\nHEIGHT 23\\nDEPTH 4\\nMAXVAL 255\\nTUPLTYPE RGB_ALPHA\\nENDHDR\\n'+out.tobytes())\n";
  std::ofstream(dir / "c.py") << script;
  ASSERT_EQ(RunCommand(Python() + " " + ShellQuote((dir / "c.py").string()) + " " +
                       ShellQuote((dir / "bottom.pam").string()) + " " + ShellQuote((dir / "top.pam").string()) +
                       " " + ShellQuote((dir / "out.pam").string())),
            0);
  const CRasterImage pillow = ReadPnm(dir / "out.pam");
  // The compositor truncates (At * Ab) / 255 in the composed alpha, which
  // Pillow rounds; the colour is divided by that alpha, so the difference
  // grows as the alpha falls. Colours are compared where alpha is >= 128.
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      const int a = ours.GetMaskRow(y)[x], pa = pillow.GetMaskRow(y)[x];
      ASSERT_NEAR(a, pa, 1) << x << "," << y;
      if (a < 128) continue;
      for (int c = 0; c < 3; ++c)
        ASSERT_NEAR(ours.GetRow(y)[3 * x + c], pillow.GetRow(y)[3 * x + c], 3) << x << "," << y << " c" << c;
    }
}

}  // namespace
