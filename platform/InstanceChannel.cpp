#include "platform/InstanceChannel.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

const char* const kInstanceIdentifier = "{F732A1B0-D587-4F51-B7D1-CCBC3D228072}";

namespace {

constexpr std::size_t kPidOffset = 0;
constexpr std::size_t kCountOffset = 4;
constexpr std::size_t kReadyOffset = 8;
constexpr std::size_t kWindowOffset = 12;
constexpr std::size_t kLineOffset = 16;

std::string Sanitize(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '_' || c == '.';
    out += keep ? c : '_';
  }
  return out.substr(0, 180);
}

std::string LockFolder() {
  if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir) {
    struct stat st{};
    if (stat(dir, &st) == 0 && S_ISDIR(st.st_mode) && access(dir, W_OK) == 0) return dir;
  }
  return "/tmp";
}

// Open-file-description locks: owned by the open file, so two channels in one
// process exclude each other too, and released when the process dies.
bool TryLock(int fd) {
  struct flock fl{};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

bool IsLockedByOther(int fd) {
  struct flock fl{};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

void Unlock(int fd) {
  struct flock fl{};
  fl.l_type = F_UNLCK;
  fl.l_whence = SEEK_SET;
  fcntl(fd, F_OFD_SETLK, &fl);
}

// Files of the channel must be this user's own and closed to others: a
// block or lock prepared by someone else is refused.
bool IsPrivate(int fd) {
  struct stat st{};
  return fstat(fd, &st) == 0 && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

int OpenLockFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd >= 0 && !IsPrivate(fd)) {
    close(fd);
    return -1;
  }
  return fd;
}

bool NeedsQuotes(const std::string& arg) {
  if (arg.empty()) return true;
  for (char c : arg)
    if (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') return true;
  return false;
}

}  // namespace

std::string DefaultInstanceName(const std::string& identifier) {
  const std::string uid = std::to_string(static_cast<unsigned long>(getuid()));
  if (const char* over = std::getenv("PICTORAVELL_INSTANCE"); over && *over)
    return "pictoravell-" + Sanitize(over) + "-" + uid;
  std::string display;
  if (const char* d = std::getenv("DISPLAY"); d && *d)
    display = d;
  else if (const char* w = std::getenv("WAYLAND_DISPLAY"); w && *w)
    display = w;
  return "pictoravell-" + Sanitize(identifier) + "-" + uid + "-" + Sanitize(display);
}

std::string BuildForwardedCommandLine(const std::vector<std::string>& argv, std::vector<std::string>* dropped) {
  std::string line;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    std::string arg = argv[i];
    if (i > 0 && !arg.empty() && arg[0] != '-') {
      std::error_code ec;
      const auto absolute = std::filesystem::absolute(arg, ec);
      if (!ec) arg = absolute.lexically_normal().string();
    }
    if (NeedsQuotes(arg)) arg = "\"" + arg + "\"";
    const std::string piece = line.empty() ? arg : " " + arg;
    if (line.size() + piece.size() > kMaxCommandLine) {
      if (dropped) dropped->push_back(argv[i]);
      continue;
    }
    line += piece;
  }
  return line;
}

CInstanceChannel::~CInstanceChannel() { Close(); }

int32_t CInstanceChannel::Load(std::size_t offset) const {
  return std::atomic_ref<int32_t>(*reinterpret_cast<int32_t*>(m_block + offset)).load(std::memory_order_acquire);
}

void CInstanceChannel::Store(std::size_t offset, int32_t value) {
  std::atomic_ref<int32_t>(*reinterpret_cast<int32_t*>(m_block + offset)).store(value, std::memory_order_release);
}

int32_t CInstanceChannel::Add(std::size_t offset, int32_t delta) {
  return std::atomic_ref<int32_t>(*reinterpret_cast<int32_t*>(m_block + offset)).fetch_add(delta) + delta;
}

bool CInstanceChannel::MapBlock(bool create) {
  const int fd = shm_open(m_shmName.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
  if (fd < 0) return false;
  struct stat st{};
  bool ok = IsPrivate(fd) && fstat(fd, &st) == 0;
  if (ok && static_cast<std::size_t>(st.st_size) < kInstanceBlockSize)
    ok = create && ftruncate(fd, kInstanceBlockSize) == 0;
  void* view = ok ? mmap(nullptr, kInstanceBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
  close(fd);
  if (view == MAP_FAILED) return false;
  m_block = static_cast<uint8_t*>(view);
  return true;
}

void CInstanceChannel::InitBlock() {
  // The process id goes in last: a later instance takes a zero there as a
  // block that is still being set up.
  Store(kPidOffset, 0);
  Store(kReadyOffset, 0);
  Store(kWindowOffset, 0);
  std::memset(m_block + kLineOffset, 0, kCommandLineField);
  Store(kCountOffset, 1);
  Store(kPidOffset, static_cast<int32_t>(getpid()));
}

bool CInstanceChannel::Open(const std::string& name) {
  Close();
  m_shmName = "/" + name;
  const std::string base = LockFolder() + "/" + name;
  m_lockFd = OpenLockFile(base + ".lock");
  m_handoverFd = OpenLockFile(base + ".handover");
  if (m_lockFd < 0 || m_handoverFd < 0) {
    Close();
    return false;
  }
  // Someone holds the owner lock or we take it; a block that is still being
  // set up by a new owner is waited for (bounded).
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (TryLock(m_lockFd)) {
      if (!MapBlock(true)) {
        Close();
        return false;
      }
      m_first = true;
      m_attached = true;
      InitBlock();
      return true;
    }
    if (MapBlock(false)) {
      if (Load(kPidOffset) != 0) {
        m_first = false;
        m_attached = true;
        Add(kCountOffset, 1);
        return true;
      }
      munmap(m_block, kInstanceBlockSize);
      m_block = nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  Close();
  return false;
}

bool CInstanceChannel::OwnerAlive() const { return m_lockFd >= 0 && IsLockedByOther(m_lockFd); }

bool CInstanceChannel::TakeOver() {
  if (!m_block || m_first) return m_first;
  if (!TryLock(m_lockFd)) return false;
  // The dead owner may have removed the block already: map it afresh so that
  // later starts find the same one.
  munmap(m_block, kInstanceBlockSize);
  m_block = nullptr;
  if (!MapBlock(true)) {
    Unlock(m_lockFd);
    m_attached = false;
    return false;
  }
  m_first = true;
  InitBlock();
  return true;
}

CInstanceChannel::ForwardResult CInstanceChannel::Forward(const std::string& commandLine, int timeoutMs) {
  if (!m_block || m_first) return ForwardResult::Failed;
  using Clock = std::chrono::steady_clock;
  // Polls pred every kInstancePollMs; stops early when the owner is gone.
  auto waitFor = [&](auto pred) -> ForwardResult {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      if (pred()) return ForwardResult::Forwarded;
      if (!OwnerAlive()) return ForwardResult::OwnerGone;
      if (Clock::now() >= deadline) return ForwardResult::TimedOut;
      std::this_thread::sleep_for(std::chrono::milliseconds(kInstancePollMs));
    }
  };
  // One sender at a time: the hand-over lock is taken by polling as well, so
  // a hung sender cannot hold the others forever.
  ForwardResult r = waitFor([&] { return TryLock(m_handoverFd); });
  if (r != ForwardResult::Forwarded) return r;
  struct Release {
    int fd;
    ~Release() { Unlock(fd); }
  } release{m_handoverFd};

  r = waitFor([&] { return Load(kReadyOffset) != 0; });
  if (r != ForwardResult::Forwarded) return r;
  if (Load(kWindowOffset) == 0) return ForwardResult::NoWindow;

  std::string line = commandLine.substr(0, kMaxCommandLine);
  std::memset(m_block + kLineOffset, 0, kCommandLineField);
  std::memcpy(m_block + kLineOffset, line.data(), line.size());
  Store(kReadyOffset, 0);  // wakes the owner's poll
  return waitFor([&] { return Load(kReadyOffset) != 0; });
}

void CInstanceChannel::SetReady(int ready) {
  if (m_block) Store(kReadyOffset, ready);
}

int CInstanceChannel::IsReady() const { return m_block ? Load(kReadyOffset) : 0; }

void CInstanceChannel::SetWindow(uint32_t window) {
  if (m_block) Store(kWindowOffset, static_cast<int32_t>(window));
}

uint32_t CInstanceChannel::GetWindow() const { return m_block ? static_cast<uint32_t>(Load(kWindowOffset)) : 0; }

int CInstanceChannel::GetAttachedCount() const { return m_block ? Load(kCountOffset) : 0; }

bool CInstanceChannel::PollCommandLine(std::string& line) const {
  if (!m_block || !m_first) return false;
  if (Load(kWindowOffset) == 0 || Load(kReadyOffset) != 0) return false;
  const char* text = reinterpret_cast<const char*>(m_block + kLineOffset);
  line.assign(text, strnlen(text, kCommandLineField));
  return true;
}

void CInstanceChannel::Close() {
  if (m_block) {
    const int remaining = m_attached ? Add(kCountOffset, -1) : Load(kCountOffset);
    if (m_first) {
      Store(kWindowOffset, 0);
      // Later instances still waiting for readiness are released so they can
      // end; an instance that died attached is not waited for beyond the bound.
      for (int i = 0; i < 10 && Load(kCountOffset) > 0; ++i) {
        Store(kReadyOffset, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(kInstancePollMs));
      }
      if (remaining <= 0 || Load(kCountOffset) <= 0) shm_unlink(m_shmName.c_str());
    }
    munmap(m_block, kInstanceBlockSize);
    m_block = nullptr;
  }
  if (m_lockFd >= 0) {
    if (m_first) Unlock(m_lockFd);
    close(m_lockFd);
  }
  if (m_handoverFd >= 0) close(m_handoverFd);
  m_lockFd = m_handoverFd = -1;
  m_first = m_attached = false;
}
