// The program's entry: the single-instance hand-over runs before the toolkit
// starts, so a later start forwards its command line and ends without ever
// opening the display.

#include <cstdio>
#include <string>
#include <vector>

#include "app/PictoravellApp.h"
#include "platform/InstanceChannel.h"

wxIMPLEMENT_APP_NO_MAIN(CPictoravellApp);

namespace {

// How long a later start waits for the running copy to take its line.
constexpr int kForwardTimeoutMs = 60000;

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  const std::string name = DefaultInstanceName();
  auto channel = std::make_unique<CInstanceChannel>();
  if (!channel->Open(name)) {
    channel.reset();  // no channel: run on our own
  } else {
    for (int attempt = 0; channel && !channel->IsFirstInstance(); ++attempt) {
      std::vector<std::string> dropped;
      const std::string line = BuildForwardedCommandLine(args, &dropped);
      for (const auto& arg : dropped)
        std::fprintf(stderr, "pictoravell: the command line is too long; %s is not passed on\n", arg.c_str());
      switch (channel->Forward(line, kForwardTimeoutMs)) {
        case CInstanceChannel::ForwardResult::Forwarded:
        case CInstanceChannel::ForwardResult::NoWindow:
          return 0;
        case CInstanceChannel::ForwardResult::TimedOut:
          std::fprintf(stderr, "pictoravell: the running copy does not answer\n");
          return 1;
        case CInstanceChannel::ForwardResult::OwnerGone:
          // The running copy ended: become the first instance, or hand over
          // to whoever did.
          if (!channel->TakeOver() && (attempt >= 5 || !channel->Open(name))) channel.reset();
          break;
        case CInstanceChannel::ForwardResult::Failed:
          channel.reset();
          break;
      }
    }
  }
  CSingleInstanceApp::SetChannel(std::move(channel));
  return wxEntry(argc, argv);
}
