// The palette kinds of the indexed-colour conversion: their labels and the
// fixed palettes each builds for a colour count.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "imaging/StandardPalettes.h"

namespace {

TEST(PaletteKinds, LabelsInListOrder) {
  const char* const expected[] = {"Uniform", "Extended Uniform", "Web", "Adaptive", "Load From File"};
  for (int kind = 0; kind < kPaletteKindCount; ++kind) EXPECT_EQ(std::string(kPaletteKindLabels[kind]), expected[kind]);
  EXPECT_EQ(PALETTE_ADAPTIVE, 3);
  EXPECT_EQ(PALETTE_FILE, 4);
}

TEST(PaletteKinds, BuildersByKindAndCount) {
  struct Case {
    int kind, count, entries;
    int (*builder)(RGBQUAD*);
  };
  const Case cases[] = {
      {PALETTE_UNIFORM, 2, 8, BuildPalette8},          {PALETTE_UNIFORM, 16, 8, BuildPalette8},
      {PALETTE_UNIFORM, 17, 216, BuildCubePalette216}, {PALETTE_UNIFORM, 256, 216, BuildCubePalette216},
      {PALETTE_WEB, 8, 8, BuildPalette8},              {PALETTE_WEB, 216, 216, BuildCubePalette216},
      {PALETTE_EXTENDED_UNIFORM, 16, 16, BuildPalette16}, {PALETTE_EXTENDED_UNIFORM, 256, 256, BuildPalette256},
      {PALETTE_ADAPTIVE, 256, 0, nullptr},             {PALETTE_FILE, 256, 0, nullptr},
      {9, 256, 0, nullptr},                            {-1, 16, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.count));
    std::array<RGBQUAD, 256> built{}, expected{};
    EXPECT_EQ(BuildPaletteOfKind(c.kind, c.count, built.data()), c.entries);
    if (!c.builder) continue;
    ASSERT_EQ(c.builder(expected.data()), c.entries);
    EXPECT_EQ(std::memcmp(built.data(), expected.data(), sizeof(RGBQUAD) * c.entries), 0);
  }
}

}  // namespace
