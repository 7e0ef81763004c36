#pragma once
// How any part of the program tells the user of a problem without stopping.
//
// The application installs a sink (the message pane); until it does, reports
// are kept (up to a limit) and handed to the sink when it is installed. Tests
// install a sink that records.

#include <string>
#include <utility>
#include <vector>

enum MESSAGE_LEVEL { MESSAGE_INFO = 0, MESSAGE_WARNING = 1, MESSAGE_ERROR = 2 };

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  // Shows one message; the sink sounds the warning beep for MESSAGE_ERROR.
  virtual void AddMessage(int level, const std::string& text) = 0;
};

void ReportMessage(int level, const std::string& text);

// Installs a sink (null removes it) and returns the previous one. Messages
// kept while no sink was installed go to the new sink first.
IMessageSink* SetMessageSink(IMessageSink* sink);

// Installs a sink for the calling thread only (null removes it) and returns
// the previous one. While it is set, reports made on this thread go to it
// instead of the program's sink: a worker thread collects its reader's
// messages this way and hands them to the user-interface thread.
IMessageSink* SetThreadMessageSink(IMessageSink* sink);

// Keeps the messages reported on the current thread while it lives (through
// the thread's sink), so that a job can show them later in its own order.
// Captures nest: the innermost one receives.
class CMessageCapture : public IMessageSink {
 public:
  CMessageCapture() : m_pPrevious(SetThreadMessageSink(this)) {}
  ~CMessageCapture() override { SetThreadMessageSink(m_pPrevious); }
  CMessageCapture(const CMessageCapture&) = delete;
  CMessageCapture& operator=(const CMessageCapture&) = delete;
  void AddMessage(int level, const std::string& text) override { messages.emplace_back(level, text); }
  std::vector<std::pair<int, std::string>> messages;

 private:
  IMessageSink* m_pPrevious;
};
