#pragma once
// The status-message stack: one level per nested long operation, its text
// shown in the status bar and its percent in the progress pane, with the
// progress and cancel callbacks that readers, writers and algorithms take.
//
// The stack itself has no window: the application installs a display (the
// status bar) and an event pump (the running event loop). Without them the
// stack still keeps its levels and percents, and CheckUserAbort answers only
// the close request.

#include <string>

class IStatusDisplay {
 public:
  virtual ~IStatusDisplay() = default;
  virtual void ShowStatusText(const std::string& text) = 0;
  virtual void StartProgress() = 0;
  // steps is 0..kProgressSteps; called only when the shown value changes.
  // Draws at once, since the operation does not return to the event loop.
  virtual void ShowProgressSteps(int steps) = 0;
  virtual void EndProgress() = 0;
};

class IEventPump {
 public:
  virtual ~IEventPump() = default;
  // Dispatches every pending event. Returns true when the user pressed
  // Escape (the key is swallowed) or the program was asked to quit.
  virtual bool DispatchPending() = 0;
};

constexpr int kProgressSteps = 50;
constexpr int kMaxStatusDepth = 127;
extern const char* const kIdleStatusText;  // "Ready"

void PushStatusMessage(const std::string& text);
void PopStatusMessage();
// The usual PROGRESSPROC: records the current level's percent and moves the
// bar. A total <= 0 counts as 0 %; counts are scaled in 64 bits.
void ReportProgress(int done, int total);
// The usual CANCELPROC: answers true at once while a close is pending, else
// dispatches pending events and answers true for Escape, quit or a close
// request made meanwhile.
bool CheckUserAbort();
// Kept for callers of the original interface; status texts are shown
// synchronously, so there is nothing queued to drop.
void FlushStatusMessages();

int GetStatusDepth();
// Text and percent of a level (1 = outermost); empty and 0 beyond the depth.
std::string GetStatusText(int level);
int GetStatusPercent(int level);

// Set by the main frame when it is asked to close during a long operation;
// cleared when the close goes through.
void SetCloseRequested(bool requested);
bool IsCloseRequested();

void SetStatusDisplay(IStatusDisplay* display);
void SetEventPump(IEventPump* pump);
// Empties the stack without touching the display (tests, shut-down).
void ResetStatusStack();

// Pushes on construction and pops on destruction: one pop per push on every path.
class CStatusScope {
 public:
  explicit CStatusScope(const std::string& text) { PushStatusMessage(text); }
  ~CStatusScope() { PopStatusMessage(); }
  CStatusScope(const CStatusScope&) = delete;
  CStatusScope& operator=(const CStatusScope&) = delete;
};
