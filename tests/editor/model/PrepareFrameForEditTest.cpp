// The pre-edit checks of the effects: which edit types ask, what Yes
// converts or merges, and that No changes nothing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/model/ImageDocModel.h"
#include "imaging/ColorConversion.h"
#include "tests/editor/model/ModelTestSupport.h"

namespace {

using namespace editor_testing;

enum PART { NONE, FULL, GRAY, INDEXED };

CRasterImage Part(PART kind) {
  const CRasterImage full = SolidImage(6, 4, 200, 100, 50);
  switch (kind) {
    case FULL:
      return full;
    case GRAY:
      return ConvertToGrayscale(full);
    case INDEXED:
      return ConvertTo8Colors(full);
    case NONE:
      break;
  }
  return {};
}

struct Case {
  EDIT_TYPE type;
  PART image, selection;
  bool answer;
  int questions;   // how many questions were asked
  bool ready;      // what PrepareFrameForEdit returns
  int imageBits;   // the image's depth after (0: empty)
  bool selectionLeft;  // a floating selection is left
};

class PrepareFrame : public ::testing::TestWithParam<Case> {};

TEST_P(PrepareFrame, AsksConvertsOrMergesAsTheEditTypeNeeds) {
  const Case c = GetParam();
  CAnimFrame frame;
  frame.m_image = Part(c.image);
  frame.m_selection = Part(c.selection);
  const CRasterImage image = frame.m_image;
  std::vector<std::string> asked;
  const bool ready = PrepareFrameForEdit(frame, c.type, [&](const std::string& text) {
    asked.push_back(text);
    return c.answer;
  });
  EXPECT_EQ(ready, c.ready);
  EXPECT_EQ(static_cast<int>(asked.size()), c.questions);
  EXPECT_EQ(frame.m_image.IsEmpty() ? 0 : frame.m_image.GetBitsPerPixel(), c.imageBits);
  EXPECT_EQ(!frame.m_selection.IsEmpty(), c.selectionLeft);
  if (!c.answer && c.questions) EXPECT_TRUE(frame.m_image.SharesPixelsWith(image));  // No changes nothing
  if (c.ready && c.imageBits == 24 && c.type != EDIT_NO_SELECTION && !frame.m_selection.IsEmpty())
    EXPECT_EQ(frame.m_selection.GetBitsPerPixel(), 24);  // both parts in the same mode
  for (const auto& text : asked)
    EXPECT_TRUE(text == kFullColorQuestion || text == kNoSelectionQuestion) << text;
}

INSTANTIATE_TEST_SUITE_P(
    EditTypes, PrepareFrame,
    ::testing::Values(
        // Full colour only: a gray image asks; Yes converts, No refuses.
        Case{EDIT_FULL_COLOR, GRAY, NONE, true, 1, true, 24, false},
        Case{EDIT_FULL_COLOR, GRAY, NONE, false, 1, false, 8, false},
        Case{EDIT_FULL_COLOR, FULL, NONE, false, 0, true, 24, false},
        // Full colour or gray: gray passes unasked and stays gray; indexed asks.
        Case{EDIT_FULL_COLOR_OR_GRAY, GRAY, NONE, false, 0, true, 8, false},
        Case{EDIT_FULL_COLOR_OR_GRAY, INDEXED, NONE, true, 1, true, 24, false},
        // Only the selection is not 24-bit: converted without a question.
        Case{EDIT_FULL_COLOR_OR_GRAY, FULL, INDEXED, false, 0, true, 24, true},
        // With selection: an indexed image alone is taken as it is (palette edits)...
        Case{EDIT_FULL_COLOR_WITH_SELECTION, INDEXED, NONE, false, 0, true, 4, false},
        // ... but with a floating selection too it asks.
        Case{EDIT_FULL_COLOR_WITH_SELECTION, INDEXED, FULL, true, 1, true, 24, true},
        // No selection: asks to merge; Yes merges, No refuses; none asks nothing.
        Case{EDIT_NO_SELECTION, FULL, FULL, true, 1, true, 24, false},
        Case{EDIT_NO_SELECTION, FULL, FULL, false, 1, false, 24, true},
        Case{EDIT_NO_SELECTION, FULL, NONE, false, 0, true, 24, false},
        // An empty frame never starts, unasked.
        Case{EDIT_FULL_COLOR, NONE, NONE, true, 0, false, 0, false}));

// BeginEdit saves the frame before the checks, so cancelling takes a
// conversion back; a second BeginEdit before the first ends is refused.
TEST(PrepareFrame, CancelTakesTheConversionBackAndEditsDoNotNest) {
  struct AskingModel : CImageDocModel {
    bool AskEditQuestion(const std::string&) override { return true; }
  } doc;
  std::vector<CAnimFrame> frames{MakeFrame(Part(GRAY))};
  doc.SetFrames(6, 4, frames, 0);
  const CRasterImage gray = doc.GetCurrentFrame()->m_image;
  ASSERT_TRUE(doc.BeginEdit(EDIT_FULL_COLOR));
  EXPECT_EQ(doc.GetCurrentFrame()->m_image.GetBitsPerPixel(), 24);
  EXPECT_FALSE(doc.BeginEdit(EDIT_FULL_COLOR_OR_GRAY));  // the saved frame is kept
  doc.CancelEdit();
  EXPECT_TRUE(doc.GetCurrentFrame()->m_image.SharesPixelsWith(gray));
  EXPECT_FALSE(doc.CanUndo());
}

}  // namespace
