#include "base/MessageReport.h"

#include <deque>
#include <utility>

namespace {

constexpr size_t kMaxPending = 256;

IMessageSink* g_sink = nullptr;
thread_local IMessageSink* t_sink = nullptr;
std::deque<std::pair<int, std::string>>& Pending() {
  static std::deque<std::pair<int, std::string>> pending;
  return pending;
}

}  // namespace

void ReportMessage(int level, const std::string& text) {
  if (t_sink) {
    t_sink->AddMessage(level, text);
    return;
  }
  if (g_sink) {
    g_sink->AddMessage(level, text);
    return;
  }
  auto& pending = Pending();
  if (pending.size() == kMaxPending) pending.pop_front();
  pending.emplace_back(level, text);
}

IMessageSink* SetMessageSink(IMessageSink* sink) {
  IMessageSink* previous = g_sink;
  g_sink = sink;
  if (g_sink) {
    auto pending = std::move(Pending());
    Pending().clear();
    for (auto& [level, text] : pending) g_sink->AddMessage(level, text);
  }
  return previous;
}

IMessageSink* SetThreadMessageSink(IMessageSink* sink) {
  IMessageSink* previous = t_sink;
  t_sink = sink;
  return previous;
}
