#include "base/MessageReport.h"

#include <deque>
#include <utility>

namespace {

constexpr size_t kMaxPending = 256;

IMessageSink* g_sink = nullptr;
thread_local CMessageCapture* t_pCapture = nullptr;
std::deque<std::pair<int, std::string>>& Pending() {
  static std::deque<std::pair<int, std::string>> pending;
  return pending;
}

}  // namespace

void ReportMessage(int level, const std::string& text) {
  if (t_pCapture) {
    t_pCapture->messages.emplace_back(level, text);
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

CMessageCapture::CMessageCapture() : m_pOuter(t_pCapture) { t_pCapture = this; }

CMessageCapture::~CMessageCapture() { t_pCapture = m_pOuter; }

