#include "base/StatusStack.h"

#include <algorithm>
#include <cstdint>
#include <vector>

const char* const kIdleStatusText = "Ready";

namespace {

struct Level {
  std::string text;
  int percent = 0;
};

struct StackState {
  std::vector<Level> levels;  // levels[0] is level 1
  int shownSteps = -1;
  bool closeRequested = false;
  IStatusDisplay* display = nullptr;
  IEventPump* pump = nullptr;
};

StackState& State() {
  static StackState state;
  return state;
}

void ShowSteps(int percent) {
  auto& s = State();
  const int steps = std::clamp(percent * kProgressSteps / 100, 0, kProgressSteps);
  if (steps == s.shownSteps) return;
  s.shownSteps = steps;
  if (s.display) s.display->ShowProgressSteps(steps);
}

}  // namespace

void PushStatusMessage(const std::string& text) {
  auto& s = State();
  if (s.levels.empty()) {
    s.shownSteps = 0;
    if (s.display) s.display->StartProgress();
  }
  // Levels past the deepest supported one are counted but keep no text.
  s.levels.push_back(Level{s.levels.size() < static_cast<size_t>(kMaxStatusDepth) ? text : std::string(), 0});
  if (s.levels.size() <= static_cast<size_t>(kMaxStatusDepth) && s.display) s.display->ShowStatusText(text);
}

void PopStatusMessage() {
  auto& s = State();
  if (s.levels.empty()) return;
  s.levels.pop_back();
  if (s.levels.empty()) {
    s.shownSteps = -1;
    if (s.display) {
      s.display->EndProgress();
      s.display->ShowStatusText(kIdleStatusText);
    }
    return;
  }
  const Level& top = s.levels.back();
  if (s.display) s.display->ShowStatusText(top.text);
  ShowSteps(top.percent);
}

void ReportProgress(int done, int total) {
  auto& s = State();
  int percent = 0;
  if (total > 0) percent = static_cast<int>(std::clamp<int64_t>(int64_t{done} * 100 / total, 0, 100));
  if (!s.levels.empty()) s.levels.back().percent = percent;
  ShowSteps(percent);
}

bool CheckUserAbort() {
  auto& s = State();
  if (s.closeRequested) return true;
  if (s.pump && s.pump->DispatchPending()) return true;
  return s.closeRequested;
}

void FlushStatusMessages() {}

int GetStatusDepth() { return static_cast<int>(State().levels.size()); }

std::string GetStatusText(int level) {
  auto& s = State();
  if (level < 1 || level > static_cast<int>(s.levels.size())) return {};
  return s.levels[static_cast<size_t>(level - 1)].text;
}

int GetStatusPercent(int level) {
  auto& s = State();
  if (level < 1 || level > static_cast<int>(s.levels.size())) return 0;
  return s.levels[static_cast<size_t>(level - 1)].percent;
}

void SetCloseRequested(bool requested) { State().closeRequested = requested; }
bool IsCloseRequested() { return State().closeRequested; }

void SetStatusDisplay(IStatusDisplay* display) { State().display = display; }
void SetEventPump(IEventPump* pump) { State().pump = pump; }

void ResetStatusStack() {
  auto& s = State();
  s.levels.clear();
  s.shownSteps = -1;
  s.closeRequested = false;
}
