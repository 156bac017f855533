#include "platform/window_messages.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/folders.h"

namespace platform {
namespace {

constexpr uint32_t kPacketMagic = 0x71726231;  // "qrb1"
constexpr uint32_t kKindPost = 1;
constexpr uint32_t kKindSend = 2;
constexpr size_t kMaxTitle = 100;  // keeps the title file's name below NAME_MAX
constexpr int kPostQueueFullMs = 3000;

struct Packet {
  uint32_t magic;
  uint32_t kind;
  uint32_t message;
  uint32_t wParam;
  int32_t lParam;
};

struct Reply {
  uint32_t magic;
  int32_t result;
};

std::string WindowsDir() {
  return SystemFolder() + "windows";
}

std::string SocketName(WindowHandle handle) {
  return std::to_string(handle) + ".sock";
}

std::string HexOf(const std::string& text) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : text) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

// The title file's name: the title in hex, then the handle, so find needs no file reads.
std::string TitlePrefix(const std::string& title) {
  return "t" + HexOf(title) + "-";
}

// A socket address for dir/name. Paths too long for sun_path go through the folder's
// /proc/self/fd link, which the kernel resolves like the folder itself.
struct Address {
  sockaddr_un addr;
  socklen_t length = 0;
  UniqueFd dirFd;

  bool Set(const std::string& dir, const std::string& name) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    std::string path = dir + "/" + name;
    if (path.size() >= sizeof addr.sun_path) {
      dirFd = UniqueFd(open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
      if (!dirFd.held()) return false;
      path = "/proc/self/fd/" + std::to_string(dirFd.get()) + "/" + name;
      if (path.size() >= sizeof addr.sun_path) return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return true;
  }
  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&addr); }
};

WindowHandle RandomHandle() {
  uint32_t value = 0;
  while (value == 0) {
    if (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
      value = static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                    getpid());
    }
    value &= 0x7fffffffu;
  }
  return value;
}

enum class ConnectResult { kConnected, kGone, kBusy };

// Connects a new seqpacket socket to the window. kGone: nobody listens there (any more);
// kBusy: the window's queue of connections is full.
ConnectResult ConnectTo(const std::string& dir, WindowHandle window, UniqueFd* socketOut) {
  Address address;
  if (!address.Set(dir, SocketName(window))) return ConnectResult::kGone;
  UniqueFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.held()) return ConnectResult::kGone;
  int rc;
  do {
    rc = connect(fd.get(), address.get(), address.length);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) return errno == EAGAIN ? ConnectResult::kBusy : ConnectResult::kGone;
  // Back to blocking for the packet exchange.
  fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
  *socketOut = std::move(fd);
  return ConnectResult::kConnected;
}

// Connects, waiting a bounded time while the window's queue is full.
bool ConnectWithRetry(WindowHandle window, UniqueFd* socketOut) {
  if (window == 0) return false;
  const std::string dir = WindowsDir();
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kPostQueueFullMs);
  int pauseUs = 100;
  for (;;) {
    switch (ConnectTo(dir, window, socketOut)) {
      case ConnectResult::kConnected:
        return true;
      case ConnectResult::kGone:
        return false;
      case ConnectResult::kBusy:
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
        pauseUs = std::min(pauseUs * 2, 20000);
        break;
    }
  }
}

bool SendPacket(int fd, uint32_t kind, uint32_t message, uint32_t wParam, int32_t lParam) {
  Packet p{kPacketMagic, kind, message, wParam, lParam};
  ssize_t n;
  do {
    n = send(fd, &p, sizeof p, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(sizeof p);
}

}  // namespace

// ---- MessageWindow -----------------------------------------------------------------------

std::unique_ptr<MessageWindow> MessageWindow::Open(const std::string& title, std::string* error) {
  auto fail = [error](const std::string& why) -> std::unique_ptr<MessageWindow> {
    if (error) *error = why;
    return nullptr;
  };
  if (title.size() > kMaxTitle) return fail("window title too long");
  const std::string dir = WindowsDir();
  if (!EnsurePrivateFolder(dir)) return fail("cannot create " + dir + ": " + std::strerror(errno));

  std::unique_ptr<MessageWindow> window(new MessageWindow());
  window->listener_ = UniqueFd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!window->listener_.held()) return fail(std::string("socket: ") + std::strerror(errno));

  for (int attempt = 0;; ++attempt) {
    WindowHandle handle = RandomHandle();
    Address address;
    if (!address.Set(dir, SocketName(handle))) return fail("socket path too long: " + dir);
    if (bind(window->listener_.get(), address.get(), address.length) == 0) {
      window->handle_ = handle;
      window->socketPath_ = dir + "/" + SocketName(handle);
      break;
    }
    if (errno != EADDRINUSE || attempt > 100)
      return fail(std::string("bind: ") + std::strerror(errno));
  }
  if (listen(window->listener_.get(), SOMAXCONN) != 0) {
    unlink(window->socketPath_.c_str());
    return fail(std::string("listen: ") + std::strerror(errno));
  }

  window->epoll_ = UniqueFd(epoll_create1(EPOLL_CLOEXEC));
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = window->listener_.get();
  if (!window->epoll_.held() ||
      epoll_ctl(window->epoll_.get(), EPOLL_CTL_ADD, window->listener_.get(), &ev) != 0) {
    unlink(window->socketPath_.c_str());
    return fail(std::string("epoll: ") + std::strerror(errno));
  }

  // The title appears only once the socket listens, so a title whose socket refuses
  // connections always belongs to a window that has ended.
  if (!title.empty()) {
    window->titlePath_ = dir + "/" + TitlePrefix(title) + std::to_string(window->handle_);
    int fd = open(window->titlePath_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
      unlink(window->socketPath_.c_str());
      return fail("cannot register window title: " + std::string(std::strerror(errno)));
    }
    close(fd);
  }
  return window;
}

MessageWindow::~MessageWindow() {
  dispatching_ = false;
  Close();
}

void MessageWindow::Close() {
  if (!titlePath_.empty()) unlink(titlePath_.c_str());
  if (!socketPath_.empty()) unlink(socketPath_.c_str());
  titlePath_.clear();
  socketPath_.clear();
  closed_ = true;
  // Inside Dispatch the current sender still waits for its reply; Dispatch releases the
  // sockets after it.
  if (!dispatching_) ReleaseSockets();
}

void MessageWindow::ReleaseSockets() {
  // Senders still waiting on a dropped connection see it reset and fail.
  for (const Pending& p : queue_) close(p.fd);
  queue_.clear();
  watchedFd_ = -1;
  listener_.Close();
  epoll_.Close();
}

void MessageWindow::Dispatch(const Handler& handler) {
  if (closed_ || !epoll_.held()) return;
  dispatching_ = true;
  // Bounded, so that a flood of posts cannot keep the owner's loop here for ever.
  for (int round = 0; round < 64 && !closed_; ++round) {
    epoll_event events[8];
    epoll_wait(epoll_.get(), events, 8, 0);
    const size_t before = queue_.size();
    AcceptPending();
    if (!ServeQueue(handler) || (queue_.empty() && before == 0)) break;
  }
  dispatching_ = false;
  if (closed_) ReleaseSockets();
}

void MessageWindow::AcceptPending() {
  // A bounded number per call keeps the queue's memory in check under a flood.
  for (int i = 0; i < 1024 && !closed_; ++i) {
    int fd = accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR) continue;
      return;  // EAGAIN: nothing more waiting
    }
    ucred cred{};
    socklen_t len = sizeof cred;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != getuid()) {
      close(fd);
      continue;
    }
    queue_.push_back({fd, std::chrono::steady_clock::now()});
  }
}

bool MessageWindow::ServeQueue(const Handler& handler) {
  // A connection that sends nothing for this long is given up, so that it cannot hold back
  // the others for ever.
  constexpr auto kPacketWait = std::chrono::seconds(2);
  while (!queue_.empty() && !closed_) {
    const int fd = queue_.front().fd;
    Packet p{};
    ssize_t n;
    do {
      n = recv(fd, &p, sizeof p, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
        std::chrono::steady_clock::now() - queue_.front().accepted < kPacketWait) {
      if (watchedFd_ != fd) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &ev);
        watchedFd_ = fd;
      }
      return false;
    }
    if (watchedFd_ == fd) {
      epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, fd, nullptr);
      watchedFd_ = -1;
    }
    queue_.pop_front();
    // A bare connect (someone checking that the window lives), a malformed packet, or a
    // sender that never sent.
    if (n != static_cast<ssize_t>(sizeof p) || p.magic != kPacketMagic ||
        (p.kind != kKindPost && p.kind != kKindSend)) {
      close(fd);
      continue;
    }
    WindowMessage m;
    m.message = p.message;
    m.wParam = p.wParam;
    m.lParam = p.lParam;
    m.sent = p.kind == kKindSend;
    int32_t result = handler(m);
    if (m.sent) {
      Reply r{kPacketMagic, result};
      ssize_t ignored = send(fd, &r, sizeof r, MSG_NOSIGNAL);
      (void)ignored;
    }
    close(fd);
  }
  return true;
}

// ---- Posting, sending, finding -----------------------------------------------------------

bool PostWindowMessage(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam) {
  UniqueFd fd;
  if (!ConnectWithRetry(window, &fd)) return false;
  return SendPacket(fd.get(), kKindPost, message, wParam, lParam);
}

bool SendWindowMessage(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam,
                       int32_t* result) {
  UniqueFd fd;
  if (!ConnectWithRetry(window, &fd)) return false;
  if (!SendPacket(fd.get(), kKindSend, message, wParam, lParam)) return false;
  Reply r{};
  ssize_t n;
  do {
    n = recv(fd.get(), &r, sizeof r, 0);
  } while (n < 0 && errno == EINTR);
  // End of stream or a reset: the window closed or its process ended without replying.
  if (n != static_cast<ssize_t>(sizeof r) || r.magic != kPacketMagic) return false;
  if (result) *result = r.result;
  return true;
}

WindowHandle FindWindowByTitle(const std::string& title) {
  if (title.empty() || title.size() > kMaxTitle) return 0;
  const std::string dir = WindowsDir();
  const std::string prefix = TitlePrefix(title);
  std::vector<std::string> candidates;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) == 0)
        candidates.push_back(e->d_name);
    }
    closedir(d);
  }
  for (const std::string& name : candidates) {
    char* end = nullptr;
    unsigned long value = std::strtoul(name.c_str() + prefix.size(), &end, 10);
    if (!end || *end != '\0' || value == 0 || value > 0x7fffffffUL) continue;
    const WindowHandle handle = static_cast<WindowHandle>(value);
    UniqueFd probe;
    ConnectResult r = ConnectTo(dir, handle, &probe);
    if (r != ConnectResult::kGone) return handle;
    // Left behind by a process that ended without closing its window.
    unlink((dir + "/" + name).c_str());
    unlink((dir + "/" + SocketName(handle)).c_str());
  }
  return 0;
}

}  // namespace platform
