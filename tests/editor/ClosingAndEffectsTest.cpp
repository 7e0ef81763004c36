// Close All and closing the main window ask about every changed document
// before any closes, so a Cancel leaves them all open; leaving effect mode
// through Browse Photos or Print Preview asks whether to keep the effect
// (the effect's name as caption, the question icon) and settles it.

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <string>

#include "editor/PictoravellDoc.h"
#include "editor/PictoravellView.h"
#include "formats/ImageFile.h"
#include "resources/CommandIds.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using namespace editor_testing;
using testing_support::AnswerMessageBoxes;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::TempDir;

int OpenDocuments(const DocumentWindowFixture& f) { return static_cast<int>(f.manager->GetDocuments().size()); }

// Answers the save questions in order from a script (Yes, No or Cancel ids).
std::function<int(const AnswerMessageBoxes::Box&)> Script(std::vector<int> answers) {
  auto next = std::make_shared<size_t>(0);
  return [answers, next](const AnswerMessageBoxes::Box&) {
    return *next < answers.size() ? answers[(*next)++] : wxID_CANCEL;
  };
}

TEST(ClosingAll, ACancelAtTheSecondChangedDocumentLeavesEveryDocumentOpen) {
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* docs[3];
  for (int i = 0; i < 3; ++i) {
    docs[i] = OpenImageDocument(WriteBmp(dir, "d" + std::to_string(i) + ".bmp", SolidImage(8, 8, 9, 9, 9)));
    ASSERT_TRUE(docs[i]);
  }
  docs[0]->Modify(true);
  docs[2]->Modify(true);
  EXPECT_TRUE(f.IsEnabled(ID_CLOSE_ALL));
  {
    // No for the first changed document, Cancel for the second: nothing closes.
    AnswerMessageBoxes answers(Script({wxID_NO, wxID_CANCEL}));
    f.Command(ID_CLOSE_ALL);
    PumpFor(50);
    ASSERT_EQ(answers.boxes.size(), 2u);
    EXPECT_NE(answers.boxes[0].message.find("d0.bmp"), std::string::npos) << answers.boxes[0].message;
    EXPECT_NE(answers.boxes[1].message.find("d2.bmp"), std::string::npos) << answers.boxes[1].message;
    EXPECT_EQ(OpenDocuments(f), 3);
    EXPECT_EQ(f.frame->GetDocumentWindowCount(), 3);
  }
  {
    // Closing the main window asks the same way; Cancel keeps it and every document.
    docs[0]->Modify(true);
    AnswerMessageBoxes answers(Script({wxID_NO, wxID_CANCEL}));
    EXPECT_FALSE(f.frame->Close());
    PumpFor(50);
    EXPECT_EQ(answers.boxes.size(), 2u);
    EXPECT_EQ(OpenDocuments(f), 3);
    EXPECT_EQ(g_pMainFrame, f.frame);
  }
  {
    // No to both: all close, unasked after the questions.
    docs[0]->Modify(true);
    AnswerMessageBoxes answers(Script({wxID_NO, wxID_NO}));
    f.Command(ID_CLOSE_ALL);
    EXPECT_TRUE(PumpUntil([&] { return OpenDocuments(f) == 0; }, 2000));
    EXPECT_EQ(answers.boxes.size(), 2u);
    EXPECT_EQ(f.frame->GetDocumentWindowCount(), 0);
    EXPECT_FALSE(f.IsEnabled(ID_CLOSE_ALL));
  }
}

struct EffectCase {
  int command;
  int answer;
  int mode;
};

class LeavingEffectMode : public ::testing::TestWithParam<EffectCase> {};

TEST_P(LeavingEffectMode, AsksAndSettlesTheEffect) {
  const EffectCase c = GetParam();
  DocumentWindowFixture f;
  TempDir dir;
  CPictoravellDoc* doc = OpenImageDocument(WriteBmp(dir, "fx.bmp", SolidImage(8, 8, 5, 5, 5)));
  ASSERT_TRUE(doc);
  ASSERT_TRUE(doc->BeginEdit(EDIT_FULL_COLOR));
  ASSERT_TRUE(doc->StartEffectTool("Sepia"));
  ASSERT_EQ(f.frame->GetMode(), MODE_EFFECT);
  *doc->GetEditImage(true) = SolidImage(8, 8, 200, 100, 50);  // the live preview
  AnswerMessageBoxes answers([&](const auto&) { return c.answer; });
  if (c.command == ID_BROWSE_PHOTOS) {
    // Ctrl+` typed on the display, as a user leaves for the browser.
    wxWindow* view = f.ViewOf(doc)->GetViewWindow();
    wxUIActionSimulator sim;
    sim.MouseMove(view->GetScreenRect().GetPosition() + wxPoint(20, 20));
    PumpFor(30);
    view->SetFocus();
    sim.Char('`', wxMOD_CONTROL);
    EXPECT_TRUE(PumpUntil([&] { return f.frame->GetMode() == c.mode; }, 2000)) << f.frame->GetMode();
  } else {
    f.Command(c.command);
  }
  ASSERT_EQ(answers.boxes.size(), 1u);
  EXPECT_EQ(answers.boxes[0].caption, "Sepia");
  EXPECT_EQ(answers.boxes[0].message, "Do you want to keep the changes you have made to the image?");
  EXPECT_TRUE(answers.boxes[0].style & wxICON_QUESTION);
  EXPECT_FALSE(answers.boxes[0].style & wxICON_EXCLAMATION);
  EXPECT_EQ(f.frame->GetMode(), c.mode);
  EXPECT_FALSE(doc->IsToolRunning());
  const uint8_t red = doc->GetCurrentFrame()->m_image.GetRow(0)[0];
  if (c.answer == wxID_YES) {
    EXPECT_TRUE(doc->CanUndo());  // kept as one step
    EXPECT_EQ(red, 200);
  } else {
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_EQ(red, 5);
  }
  EXPECT_TRUE(f.frame->SetMode(MODE_VIEW_EDIT));
}

INSTANTIATE_TEST_SUITE_P(ClosingAll, LeavingEffectMode,
                         ::testing::Values(EffectCase{ID_BROWSE_PHOTOS, wxID_YES, MODE_BROWSE},
                                           EffectCase{ID_BROWSE_PHOTOS, wxID_NO, MODE_BROWSE},
                                           EffectCase{ID_FILE_PRINT_PREVIEW, wxID_YES, MODE_PRINT_PREVIEW},
                                           EffectCase{ID_FILE_PRINT_PREVIEW, wxID_NO, MODE_PRINT_PREVIEW}));

}  // namespace
