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

// Keeps the messages reported on the current thread while it lives, instead
// of showing them; a worker thread preparing a file for a job uses one so that
// the job can show the messages later, in its own order. Captures nest: the
// innermost one receives.
class CMessageCapture {
 public:
  CMessageCapture();
  ~CMessageCapture();
  CMessageCapture(const CMessageCapture&) = delete;
  CMessageCapture& operator=(const CMessageCapture&) = delete;
  std::vector<std::pair<int, std::string>> messages;

 private:
  CMessageCapture* m_pOuter;
};
