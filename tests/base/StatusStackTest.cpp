#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/MessageReport.h"
#include "base/StatusStack.h"
#include "tests/support/TestSupport.h"

namespace {

struct FakeDisplay : IStatusDisplay {
  std::string text;
  int steps = -1;
  bool progressOn = false;
  int draws = 0;
  void ShowStatusText(const std::string& t) override { text = t; }
  void StartProgress() override { progressOn = true; steps = 0; }
  void ShowProgressSteps(int s) override { steps = s; ++draws; }
  void EndProgress() override { progressOn = false; steps = -1; }
};

struct FakePump : IEventPump {
  bool escape = false;
  bool closeDuringDispatch = false;
  int calls = 0;
  bool DispatchPending() override {
    ++calls;
    if (closeDuringDispatch) SetCloseRequested(true);
    return escape;
  }
};

class StatusStack : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStatusStack();
    SetStatusDisplay(&display);
    SetEventPump(&pump);
  }
  void TearDown() override {
    SetStatusDisplay(nullptr);
    SetEventPump(nullptr);
    ResetStatusStack();
  }
  FakeDisplay display;
  FakePump pump;
};

TEST_F(StatusStack, PopRestoresOuterTextAndPercent) {
  PushStatusMessage("A");
  EXPECT_TRUE(display.progressOn);
  ReportProgress(30, 100);
  PushStatusMessage("B");
  EXPECT_EQ(display.text, "B");
  ReportProgress(90, 100);
  PopStatusMessage();
  EXPECT_EQ(display.text, "A");
  EXPECT_EQ(display.steps, 15);
  EXPECT_EQ(GetStatusPercent(1), 30);
  PopStatusMessage();
  EXPECT_EQ(display.text, "Ready");
  EXPECT_FALSE(display.progressOn);
  EXPECT_EQ(GetStatusDepth(), 0);
  PopStatusMessage();  // an unmatched pop does nothing
  EXPECT_EQ(GetStatusDepth(), 0);
}

TEST_F(StatusStack, ProgressSteps) {
  CStatusScope scope("loading");
  struct Case { int done, total, steps; };
  for (const Case c : {Case{0, 10, 0}, Case{10, 10, 50}, Case{5, 10, 25}, Case{1, 0, 0}, Case{-5, 10, 0},
                       Case{20, 10, 50}, Case{2000000000, 2100000000, 47}}) {
    ReportProgress(c.done, c.total);
    EXPECT_EQ(display.steps, c.steps) << c.done << "/" << c.total;
  }
  // Redrawn only when the step count changes.
  ReportProgress(0, 100);
  const int draws = display.draws;
  ReportProgress(1, 100);
  EXPECT_EQ(display.draws, draws);
  ReportProgress(2, 100);
  EXPECT_EQ(display.draws, draws + 1);
}

TEST_F(StatusStack, DeepNestingIsCountedWithoutText) {
  for (int i = 0; i < 200; ++i) PushStatusMessage("level " + std::to_string(i + 1));
  EXPECT_EQ(GetStatusDepth(), 200);
  EXPECT_EQ(GetStatusText(127), "level 127");
  EXPECT_EQ(GetStatusText(128), "");
  for (int i = 0; i < 200; ++i) PopStatusMessage();
  EXPECT_EQ(display.text, "Ready");
}

TEST_F(StatusStack, AbortCheck) {
  EXPECT_FALSE(CheckUserAbort());
  EXPECT_EQ(pump.calls, 1);
  pump.escape = true;
  EXPECT_TRUE(CheckUserAbort());
  pump.escape = false;
  pump.closeDuringDispatch = true;
  EXPECT_TRUE(CheckUserAbort());  // a close requested meanwhile
  pump.closeDuringDispatch = false;
  const int calls = pump.calls;
  EXPECT_TRUE(CheckUserAbort());  // while the close is pending: at once, no pumping
  EXPECT_EQ(pump.calls, calls);
  SetCloseRequested(false);
  EXPECT_FALSE(CheckUserAbort());
}

TEST(MessageReport, KeptUntilASinkIsInstalled) {
  IMessageSink* previous = SetMessageSink(nullptr);
  ReportMessage(MESSAGE_WARNING, "early");
  {
    testing_support::RecordingMessageSink sink(true);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].second, "early");
    ReportMessage(MESSAGE_ERROR, "late");
    EXPECT_EQ(sink.messages.size(), 2u);
  }
  SetMessageSink(previous);
}

}  // namespace
