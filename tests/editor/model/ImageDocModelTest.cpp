// The document model, without windows: snapshot undo and redo, the modified
// flag through edits, undos and saves, undo transactions, busy flags, frame
// operations, effect edits, thumbnail and the background colour.

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/Profile.h"
#include "base/StatusStack.h"
#include "editor/model/ImageDocModel.h"
#include "tests/editor/model/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace editor_testing;
// A model with frames installed as if loaded (unmodified).
std::unique_ptr<CImageDocModel> LoadedDocument(int frames = 1) {
  auto doc = std::make_unique<CImageDocModel>();
  doc->SetFrames(4, 4, NumberedFrames(frames), 0);
  doc->SetModelModified(false);
  return doc;
}

// What a successful save does to the model.
void Saved(CImageDocModel& doc) {
  doc.SetModelModified(false);
  doc.MarkHistoryModified();
}

// One edit as the commands make it: a step, then the change, then modified.
void Edit(CImageDocModel& doc, const std::string& label, uint8_t value) {
  doc.PushUndo(label);
  doc.GetCurrentFrame()->m_image = SolidImage(4, 4, value, 0, 0);
  doc.SetModelModified(true);
}

uint8_t Value(CImageDocModel& doc) { return doc.GetCurrentFrame()->m_image.GetRow(0)[0]; }

TEST(ImageDocModel, UndoAndRedoWalkTheHistory) {
  auto doc = LoadedDocument();
  Edit(*doc, "A", 1);
  Edit(*doc, "B", 2);
  std::string label = "none";
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "B");
  doc->Undo();
  doc->Undo();
  EXPECT_EQ(Value(*doc), 0);
  EXPECT_EQ(doc->GetUndoPosition(), -1);
  EXPECT_FALSE(doc->CanUndo());
  EXPECT_TRUE(doc->CanRedo());
  label = "kept";
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "kept");  // no step: the text stays
  doc->GetRedoLabel(label);
  EXPECT_EQ(label, "A");
  doc->Redo();
  doc->Redo();
  EXPECT_EQ(Value(*doc), 2);
  EXPECT_FALSE(doc->CanRedo());
  doc->Redo();  // nothing to redo: nothing changes
  EXPECT_EQ(Value(*doc), 2);
}

TEST(ImageDocModel, APushAfterAnUndoDropsTheRedoSteps) {
  auto doc = LoadedDocument();
  Edit(*doc, "A", 1);
  Edit(*doc, "B", 2);
  doc->Undo();
  Edit(*doc, "C", 3);
  EXPECT_FALSE(doc->CanRedo());
  EXPECT_EQ(doc->GetUndoSteps().size(), 2u);
  doc->Undo();
  EXPECT_EQ(Value(*doc), 1);
}

TEST(ImageDocModel, UndoIsUnlimited) {
  auto doc = LoadedDocument();
  for (int i = 1; i <= 300; ++i) Edit(*doc, "Step", static_cast<uint8_t>(i % 256));
  for (int i = 0; i < 300; ++i) doc->Undo();
  EXPECT_EQ(Value(*doc), 0);
  for (int i = 0; i < 300; ++i) doc->Redo();
  EXPECT_EQ(Value(*doc), 300 % 256);
}

// The modified flag after sequences of edits (e), undos (u), redos (r) and
// saves (s), starting from a loaded document.
TEST(ImageDocModel, ModifiedFlagFollowsEditsUndosSavesAndRedos) {
  struct Case {
    const char* steps;
    bool modified;
  } cases[] = {
      {"", false},       {"e", true},       {"eu", false},    {"eur", true},     {"es", false},
      {"esu", true},     {"esur", false},   {"eesuu", true},  {"eesuur", true},  {"eesuurr", false},
      {"eus", false},    {"eusr", true},    {"esesu", true},  {"esesuu", true},  {"eueu", false},
      {"esuseu", false}, {"esusr", true},   {"sueu", false},
  };
  for (const auto& c : cases) {
    auto doc = LoadedDocument();
    uint8_t value = 10;
    for (const char* p = c.steps; *p; ++p) {
      switch (*p) {
        case 'e': Edit(*doc, "Edit", value++); break;
        case 'u': doc->Undo(); break;
        case 'r': doc->Redo(); break;
        case 's': Saved(*doc); break;
      }
    }
    EXPECT_EQ(doc->IsModelModified(), c.modified) << c.steps;
  }
}

TEST(ImageDocModel, UndoLowersTheCurrentFrameToTheLastOne) {
  auto doc = LoadedDocument(2);
  doc->ReplaceFrames(NumberedFrames(5), "Insert Frames");
  ASSERT_TRUE(doc->SetCurrentFrame(4));
  doc->Undo();
  EXPECT_EQ(doc->GetFrameCount(), 2);
  EXPECT_EQ(doc->GetCurrentFrameIndex(), 1);
  EXPECT_FALSE(doc->SetCurrentFrame(2));
  EXPECT_FALSE(doc->SetCurrentFrame(-1));
}

TEST(ImageDocModel, SnapshotsCarryNoBusyFlag) {
  auto doc = LoadedDocument(2);
  {
    CFrameBusyGuard guard(doc.get(), 0);
    EXPECT_TRUE(doc->IsAnyFrameBusy());
    EXPECT_FALSE(doc->CanEdit());
    doc->PushUndo("Busy");
    EXPECT_EQ(doc->GetUndoSteps()[0].m_frames[0].m_bBusy, 0);
  }
  EXPECT_FALSE(doc->IsAnyFrameBusy());
  doc->GetFrames()[1].m_bBusy = 1;
  doc->Undo();  // the busy state goes into the step, which drops the mark
  doc->Redo();
  EXPECT_FALSE(doc->IsAnyFrameBusy());
}

TEST(ImageDocModel, BusyGuardClearsItsMarkAndStatusOnAnException) {
  ResetStatusStack();
  auto doc = LoadedDocument(1);
  try {
    CFrameBusyGuard guard(doc.get(), 0);
    guard.PushStatus("Working...");
    EXPECT_EQ(GetStatusDepth(), 1);
    throw std::runtime_error("fails");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(doc->IsAnyFrameBusy());
  EXPECT_EQ(GetStatusDepth(), 0);
}

TEST(ImageDocModel, ASnapshotSharesPixelsAndAnInPlaceWriteLeavesItAlone) {
  auto doc = LoadedDocument();
  doc->PushUndo("Invert");
  EXPECT_TRUE(doc->GetUndoSteps()[0].m_frames[0].m_image.SharesPixelsWith(doc->GetCurrentFrame()->m_image));
  EXPECT_EQ(doc->GetUndoMemory(), 0);
  doc->GetCurrentFrame()->m_image.GetWritableBits()[0] = 99;  // the writer gets its own copy
  EXPECT_EQ(doc->GetUndoMemory(), 4 * 4 * 3);
  doc->Undo();
  EXPECT_EQ(Value(*doc), 0);
}

TEST(ImageDocModel, ChangeAnimationProperties) {
  auto doc = LoadedDocument(3);
  doc->ChangeAnimationProperties(0, 5, 20, 0x08);
  EXPECT_FALSE(doc->CanUndo());  // no flag: no step
  doc->GetFrames()[1].m_bSelected = 1;
  doc->GetFrames()[0].m_nFlags = 0x03;
  doc->GetFrames()[1].m_nFlags = 0x03;
  doc->ChangeAnimationProperties(ANIM_DELAY, 5, 77, 0x08);
  EXPECT_EQ(doc->GetFrames()[0].m_nDelay, 10);
  EXPECT_EQ(doc->GetFrames()[1].m_nDelay, 77);
  EXPECT_EQ(doc->GetLoopCount(), 0);
  EXPECT_EQ(doc->GetFrames()[1].m_nFlags, 0x03);
  doc->ChangeAnimationProperties(ANIM_LOOP_COUNT | ANIM_CONTROL, 5, 0, 0x08);
  EXPECT_EQ(doc->GetLoopCount(), 5);
  EXPECT_EQ(doc->GetFrames()[1].m_nFlags, 0x08);  // the whole byte
  EXPECT_EQ(doc->GetFrames()[0].m_nFlags, 0x03);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Change Animation Properties");
  EXPECT_TRUE(doc->IsModelModified());
}

TEST(ImageDocModel, MoveFrames) {
  auto doc = LoadedDocument(5);
  doc->GetFrames()[1].m_bSelected = 1;
  doc->GetFrames()[3].m_bSelected = 1;
  doc->SetCurrentFrame(2);
  doc->MoveFrames(0);
  std::vector<int> order;
  for (const auto& f : doc->GetFrames()) order.push_back(FrameNumber(f));
  EXPECT_EQ(order, (std::vector<int>{1, 3, 0, 2, 4}));
  EXPECT_EQ(doc->GetCurrentFrameIndex(), 2);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Move Frames");

  auto still = LoadedDocument(3);
  still->GetFrames()[0].m_bSelected = 1;
  still->MoveFrames(0);  // already there
  EXPECT_FALSE(still->CanUndo());
}

TEST(ImageDocModel, EffectCommitRecordsOneStepAndCancelRestores) {
  auto doc = LoadedDocument();
  ASSERT_TRUE(doc->BeginEdit(EDIT_FULL_COLOR));
  // No main window here: the effect mode cannot be entered and nothing runs.
  EXPECT_FALSE(doc->StartEffectTool("Sepia"));
  EXPECT_FALSE(doc->IsToolRunning());
  EXPECT_EQ(doc->GetEditFrameIndex(), -1);

  ASSERT_TRUE(doc->BeginEdit(EDIT_FULL_COLOR));
  CRasterImage copy;
  doc->CopyEditImage(copy, true);
  EXPECT_TRUE(copy.SharesPixelsWith(doc->GetCurrentFrame()->m_image));
  doc->PushUndo("Before");
  const size_t steps = doc->GetUndoSteps().size();
  doc->CommitEdit("Sepia", nullptr, nullptr);  // unchanged: still one step
  EXPECT_EQ(doc->GetUndoSteps().size(), steps + 1);
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Sepia");
  EXPECT_TRUE(doc->IsModelModified());

  ASSERT_TRUE(doc->BeginEdit(EDIT_FULL_COLOR));
  *doc->GetEditImage(true) = SolidImage(4, 4, 200, 0, 0);
  doc->CancelEdit();
  EXPECT_EQ(Value(*doc), 0);
  EXPECT_EQ(doc->GetEditFrameIndex(), -1);

  CImageDocModel empty;
  std::vector<CAnimFrame> none(1);
  empty.SetFrames(4, 4, none, 0);
  EXPECT_FALSE(empty.BeginEdit(EDIT_FULL_COLOR));  // an empty frame is refused
}

TEST(ImageDocModel, ThumbnailSizes) {
  struct Case {
    int w, h, tw, th;
  } cases[] = {{100, 50, 32, 16}, {10, 10, 10, 10}, {1000, 10, 32, 1}, {50, 100, 16, 32}, {32, 32, 32, 32}};
  for (const auto& c : cases) {
    CImageDocModel doc;
    std::vector<CAnimFrame> frames{MakeFrame(SolidImage(c.w, c.h, 10, 20, 30))};
    doc.SetFrames(static_cast<int16_t>(c.w), static_cast<int16_t>(c.h), frames, 0);
    doc.UpdateThumbnail();
    EXPECT_EQ(doc.GetThumbnail().GetWidth(), c.tw) << c.w << "x" << c.h;
    EXPECT_EQ(doc.GetThumbnail().GetHeight(), c.th) << c.w << "x" << c.h;
    const uint8_t* p = doc.GetThumbnail().GetRow(0);
    if (doc.GetThumbnail().GetBitsPerPixel() == 24) { EXPECT_EQ(p[0] + 0, 10); }
  }
}

TEST(ImageDocModel, BackgroundColourIsStoredRedInTheLowByte) {
  auto previous = InstallProfileStore(MakeMemoryProfileStore());
  CImageDocModel::ResetBackgroundColor();
  EXPECT_EQ(CImageDocModel::GetBackgroundColor(), MakeRGBQuad(0, 0, 0));
  CImageDocModel::SetBackgroundColor(MakeRGBQuad(48, 32, 16));
  EXPECT_EQ(GetProfileInt("Image Document", "Background Color", -1), 48 + 32 * 256 + 16 * 65536);
  WriteProfileInt("Image Document", "Background Color", 1 + 2 * 256 + 3 * 65536);
  CImageDocModel::ResetBackgroundColor();
  EXPECT_EQ(CImageDocModel::GetBackgroundColor(), MakeRGBQuad(1, 2, 3));
  InstallProfileStore(std::move(previous));
  CImageDocModel::ResetBackgroundColor();
}

TEST(ImageDocModel, FiftyStepsOfOneFrameCostNoMoreThanTheFramesTheyKeep) {
  auto doc = std::make_unique<CImageDocModel>();
  std::vector<CAnimFrame> frames{MakeFrame(SolidImage(400, 300, 1, 2, 3))};
  doc->SetFrames(400, 300, frames, 0);
  const int64_t frameBytes = 400 * 300 * 3;
  for (int i = 0; i < 50; ++i) {
    doc->PushUndo("Brightness");
    doc->GetCurrentFrame()->m_image.GetWritableBits()[0] = static_cast<uint8_t>(i);  // copies once
  }
  EXPECT_EQ(doc->GetUndoMemory(), 50 * frameBytes);
  doc->ClearUndoHistory();
  EXPECT_EQ(doc->GetUndoMemory(), 0);
  EXPECT_FALSE(doc->CanUndo());
}

}  // namespace

namespace {

// A model whose main window accepts the effect mode, and counts repaints.
class AcceptingModel : public CImageDocModel {
 public:
  bool EnterEffectMode(const std::string& name) override {
    entered = name;
    return true;
  }
  void UpdateViews(int hint) override { hints.push_back(hint); }
  std::string entered;
  std::vector<int> hints;
};

TEST(UndoTransaction, RecordsAndInstallsOnlyWhenCommitted) {
  auto doc = LoadedDocument(2);
  {
    CUndoTransaction change(*doc, "Rotate");
    change.Frames()[0].m_image = SolidImage(4, 4, 50, 0, 0);
    change.CanvasWidth() = 9;
    // The command fails here: the transaction goes without a commit.
  }
  EXPECT_FALSE(doc->CanUndo());
  EXPECT_FALSE(doc->IsModelModified());
  EXPECT_EQ(Value(*doc), 0);
  int16_t w, h;
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 4);

  CUndoTransaction change(*doc, "Rotate");
  change.Frames()[0].m_image = SolidImage(4, 4, 50, 0, 0);
  change.Frames().pop_back();
  change.CanvasWidth() = 9;
  change.LoopCount() = 3;
  ASSERT_TRUE(doc->SetCurrentFrame(1));
  change.Commit();
  change.Commit();  // once only
  EXPECT_EQ(doc->GetUndoSteps().size(), 1u);
  EXPECT_EQ(Value(*doc), 50);
  EXPECT_EQ(doc->GetFrameCount(), 1);
  EXPECT_EQ(doc->GetCurrentFrameIndex(), 0);  // lowered to the last frame
  EXPECT_EQ(doc->GetLoopCount(), 3);
  EXPECT_TRUE(doc->IsModelModified());
  std::string label;
  doc->GetUndoLabel(label);
  EXPECT_EQ(label, "Rotate");
  doc->Undo();
  EXPECT_EQ(Value(*doc), 0);
  EXPECT_EQ(doc->GetFrameCount(), 2);
  doc->GetCanvasSize(w, h);
  EXPECT_EQ(w, 4);
  EXPECT_FALSE(doc->IsModelModified());
}

TEST(UndoTransaction, KeepsTheBusyMarksOfCommandsStillRunning) {
  auto doc = LoadedDocument(2);
  CFrameBusyGuard guard(doc.get(), 1);
  CUndoTransaction change(*doc, "Flip");
  EXPECT_EQ(change.Frames()[1].m_bBusy, 0);  // the copies carry none
  change.Commit();
  EXPECT_EQ(doc->GetFrames()[1].m_bBusy, 1);
  EXPECT_EQ(doc->GetUndoSteps()[0].m_frames[1].m_bBusy, 0);
}

TEST(ImageDocModel, AnAcceptedEffectRunsUntilItsCommit) {
  AcceptingModel doc;
  doc.SetFrames(4, 4, NumberedFrames(1), 0);
  EXPECT_FALSE(doc.BeginEdit(static_cast<EDIT_TYPE>(5)));
  ASSERT_TRUE(doc.BeginEdit(EDIT_FULL_COLOR_OR_GRAY));
  ASSERT_TRUE(doc.StartEffectTool("Blur"));
  EXPECT_EQ(doc.entered, "Blur");
  EXPECT_TRUE(doc.IsToolRunning());
  EXPECT_FALSE(doc.CanEdit());
  doc.PushUndo("Ignored while the tool runs");
  EXPECT_FALSE(doc.CanUndo());
  *doc.GetEditImage(true) = SolidImage(4, 4, 9, 0, 0);
  doc.CommitEdit("Blur", nullptr, nullptr);
  EXPECT_FALSE(doc.IsToolRunning());
  EXPECT_EQ(doc.GetUndoSteps().size(), 1u);
  EXPECT_EQ(Value(doc), 9);
  doc.Undo();
  EXPECT_EQ(Value(doc), 0);
  EXPECT_FALSE(doc.hints.empty());
}

TEST(ImageDocModel, FitCanvasToFramesHoldsEveryFrameUpTo32767) {
  CImageDocModel doc;
  std::vector<CAnimFrame> frames{MakeFrame(SolidImage(4, 4, 0, 0, 0), 10, 2), MakeFrame(SolidImage(6, 3, 0, 0, 0), 1, 20)};
  doc.SetFrames(1, 1, frames, 0);
  EXPECT_TRUE(doc.FitCanvasToFrames());
  int16_t w, h;
  doc.GetCanvasSize(w, h);
  EXPECT_EQ(w, 14);
  EXPECT_EQ(h, 23);
  EXPECT_FALSE(doc.FitCanvasToFrames());
  frames = {MakeFrame(SolidImage(10, 1, 0, 0, 0), 32760, 0)};
  doc.SetFrames(1, 1, frames, 0);
  doc.FitCanvasToFrames();
  doc.GetCanvasSize(w, h);
  EXPECT_EQ(w, 32767);
}

}  // namespace
