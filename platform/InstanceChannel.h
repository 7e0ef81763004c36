#pragma once
// The single-instance channel: one running copy of the program per user and
// display. A later start hands its command line to the running copy through a
// shared block and ends.
//
// The block is a POSIX shared-memory object of kInstanceBlockSize bytes with
// this layout (little-endian 32-bit integers):
//   0  process id of the first instance
//   4  attached-instance count
//   8  ready flag: 0 while the first instance starts up or handles a line
//  12  main-window field: non-zero while the first instance has a main window
//  16  forwarded command line, NUL-terminated, at most kMaxCommandLine bytes
// Beside it, a lock file held by the first instance for its whole life tells
// whether the owner is alive (the lock goes with the process, also when it
// is killed), and a second lock file lets one sender at a time hand over.
//
// The first instance never waits on this channel; it polls for a pending line
// (PollCommandLine) from its own event loop.

#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kInstanceBlockSize = 2064;
constexpr std::size_t kCommandLineField = 2048;
constexpr std::size_t kMaxCommandLine = kCommandLineField - 1;
constexpr int kInstancePollMs = 200;

// The identifier string the program passes to the channel.
extern const char* const kInstanceIdentifier;

// The channel's name for this user and display: derived from the identifier,
// the user id and $DISPLAY (or $WAYLAND_DISPLAY), or from $PICTORAVELL_INSTANCE
// when set, so that tests run isolated from each other and from a user's copy.
std::string DefaultInstanceName(const std::string& identifier = kInstanceIdentifier);

// The command line a later instance forwards: the program path and each
// argument, file arguments made absolute (the running copy has another
// working folder), arguments with blanks or empty ones in double quotes.
// Whole arguments that would not fit into kMaxCommandLine bytes are left off
// and named in *dropped.
std::string BuildForwardedCommandLine(const std::vector<std::string>& argv, std::vector<std::string>* dropped = nullptr);

class CInstanceChannel {
 public:
  enum class ForwardResult {
    Forwarded,  // the first instance handled the line
    NoWindow,   // the first instance has no main window: nothing forwarded
    OwnerGone,  // the first instance ended; this process may take over
    TimedOut,   // the first instance did not answer in time
    Failed,     // no channel
  };

  CInstanceChannel() = default;
  ~CInstanceChannel();
  CInstanceChannel(const CInstanceChannel&) = delete;
  CInstanceChannel& operator=(const CInstanceChannel&) = delete;

  // Opens the channel under a name (see DefaultInstanceName). Returns false
  // when the shared block cannot be made; the caller then runs on its own as
  // if it were the first instance.
  bool Open(const std::string& name);
  bool IsOpen() const { return m_block != nullptr; }
  bool IsFirstInstance() const { return m_first; }

  // Later instance: waits (polling every kInstancePollMs) until the first
  // instance is ready, hands over the line and waits until it was handled.
  // A dead owner ends the wait with OwnerGone; timeoutMs bounds each wait.
  ForwardResult Forward(const std::string& commandLine, int timeoutMs);
  // Later instance whose owner died: tries to become the first instance.
  bool TakeOver();

  // First instance: readiness and the main-window field.
  void SetReady(int ready);
  int IsReady() const;
  void SetWindow(uint32_t window);
  uint32_t GetWindow() const;
  int GetAttachedCount() const;
  // First instance: true and the line when a later instance handed one over
  // (ready is 0 while a main window is published). Answer with SetReady(1).
  bool PollCommandLine(std::string& line) const;

  // Detaches; the first instance first releases later instances still
  // attached (bounded), and removes the block when nobody uses it.
  void Close();

 private:
  bool MapBlock(bool create);
  void InitBlock();
  bool OwnerAlive() const;
  int32_t Load(std::size_t offset) const;
  void Store(std::size_t offset, int32_t value);
  int32_t Add(std::size_t offset, int32_t delta);

  std::string m_shmName;
  int m_lockFd = -1;      // held while this process is the first instance
  int m_handoverFd = -1;  // held by the sender that is handing over
  bool m_first = false;
  bool m_attached = false;
  uint8_t* m_block = nullptr;
};
