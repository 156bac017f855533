#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

extern char** environ;

namespace platform {

// ---- UniqueFd ----------------------------------------------------------------------------

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.Release();
  }
  return *this;
}

int UniqueFd::Release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

bool CreatePipe(UniqueFd* readEnd, UniqueFd* writeEnd) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  *readEnd = UniqueFd(fds[0]);
  *writeEnd = UniqueFd(fds[1]);
  return true;
}

// ---- Event -------------------------------------------------------------------------------

bool Event::Create() {
  fd_ = UniqueFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  return fd_.held();
}

void Event::Set() {
  if (!fd_.held()) return;
  uint64_t one = 1;
  // The counter is never read, so the descriptor stays readable: a manual-reset event.
  ssize_t ignored = write(fd_.get(), &one, sizeof one);
  (void)ignored;
}

bool Event::IsSet() const {
  if (!fd_.held()) return false;
  pollfd p{fd_.get(), POLLIN, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

// ---- Command lines -----------------------------------------------------------------------

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> items;
  std::string current;
  bool inItem = false;
  bool quoted = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      inItem = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inItem) items.push_back(current);
      current.clear();
      inItem = false;
    } else {
      current += c;
      inItem = true;
    }
  }
  if (inItem) items.push_back(current);
  return items;
}

// ---- ChildProcess ------------------------------------------------------------------------

ChildProcess::~ChildProcess() {
  // An owner that forgets to release must not leave a zombie or a runaway child behind.
  KillAndRelease();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), pidfd_(std::move(other.pidfd_)) {
  other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    KillAndRelease();
    pid_ = other.pid_;
    pidfd_ = std::move(other.pidfd_);
    other.pid_ = -1;
  }
  return *this;
}

void ChildProcess::Adopt(pid_t pid, UniqueFd pidfd) {
  KillAndRelease();
  pid_ = pid;
  pidfd_ = std::move(pidfd);
}

bool ChildProcess::HasEnded(int* status) const {
  if (pid_ <= 0) return false;
  siginfo_t info;
  std::memset(&info, 0, sizeof info);
  if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return false;
  if (info.si_pid == 0) return false;
  if (status) {
    if (info.si_code == CLD_EXITED)
      *status = W_EXITCODE(info.si_status, 0);
    else
      *status = info.si_status;  // the terminating signal, as a wait status
  }
  return true;
}

ChildProcess::WaitResult ChildProcess::Wait(int eventFd, int timeoutMs) const {
  if (pid_ <= 0) return WaitResult::kEnded;
  if (pidfd_.held()) {
    pollfd fds[2] = {{pidfd_.get(), POLLIN, 0}, {eventFd, POLLIN, 0}};
    for (;;) {
      int n = poll(fds, eventFd >= 0 ? 2 : 1, timeoutMs);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return WaitResult::kTimeout;
      if (fds[0].revents) return WaitResult::kEnded;
      return WaitResult::kEvent;
    }
  }
  // Without a pidfd, look at the child between short waits on the event.
  int waited = 0;
  for (;;) {
    if (HasEnded(nullptr)) return WaitResult::kEnded;
    if (timeoutMs >= 0 && waited >= timeoutMs) return WaitResult::kTimeout;
    pollfd p{eventFd, POLLIN, 0};
    if (poll(&p, eventFd >= 0 ? 1 : 0, 10) > 0) return WaitResult::kEvent;
    waited += 10;
  }
}

void ChildProcess::KillAndRelease() {
  if (pid_ <= 0) return;
  // The child is not reaped yet, so its pid (and group id) cannot have been reused.
  ::kill(-pid_, SIGKILL);
  ::kill(pid_, SIGKILL);
  ReapAndRelease();
}

void ChildProcess::ReapAndRelease(int* status) {
  if (pid_ <= 0) return;
  int st = 0;
  while (waitpid(pid_, &st, 0) < 0 && errno == EINTR) {
  }
  if (status) *status = st;
  pid_ = -1;
  pidfd_.Close();
}

// ---- Launching ---------------------------------------------------------------------------

namespace {

bool IsRunnableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The path execve should get for program: itself when it holds a '/', else the first
// runnable match in PATH. Empty with *err set when there is none.
std::string ResolveProgram(const std::string& program, int* err) {
  *err = ENOENT;
  if (program.empty()) return "";
  if (program.find('/') != std::string::npos) return program;
  const char* pathVar = getenv("PATH");
  std::string path = pathVar ? pathVar : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string dir = path.substr(start, end - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
    if (IsRunnableFile(candidate)) return candidate;
    start = end + 1;
  }
  return "";
}

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

// Runs in the child between fork and exec: only async-signal-safe calls from here on.
[[noreturn]] void ExecChild(const char* path, char* const argv[], const int fds[3],
                            bool killOnParentDeath, pid_t parent, int errorFd, long maxFd) {
  for (int sig = 1; sig < NSIG; ++sig) {
    if (sig == SIGKILL || sig == SIGSTOP) continue;
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = SIG_DFL;
    sigaction(sig, &sa, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);

  int err = 0;
  if (setsid() < 0) err = errno;
  if (!err && killOnParentDeath) {
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) err = errno;
    if (!err && getppid() != parent) _exit(127);  // the parent is already gone
  }
  // Lift the three descriptors above 2 first, so that dup2 onto 0..2 cannot clobber one
  // that is still to be moved.
  int high[3];
  for (int i = 0; i < 3 && !err; ++i) {
    high[i] = fcntl(fds[i], F_DUPFD_CLOEXEC, 3);
    if (high[i] < 0) err = errno;
  }
  for (int i = 0; i < 3 && !err; ++i) {
    if (dup2(high[i], i) < 0) err = errno;
  }
  if (!err && syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (long fd = 3; fd < maxFd; ++fd) fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
  }
  if (!err) {
    execve(path, argv, environ);
    err = errno;
  }
  ssize_t ignored = write(errorFd, &err, sizeof err);
  (void)ignored;
  _exit(127);
}

}  // namespace

bool LaunchArgv(const std::vector<std::string>& argv, int stdinFd, int stdoutFd, int stderrFd,
                const LaunchOptions& options, ChildProcess* child, std::string* error) {
  auto fail = [error](int err) {
    if (error) *error = std::strerror(err);
    return false;
  };
  if (argv.empty()) return fail(ENOENT);
  int err = 0;
  std::string path = ResolveProgram(argv[0], &err);
  if (path.empty()) return fail(err);

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const int fds[3] = {stdinFd, stdoutFd, stderrFd};
  const long maxFd = sysconf(_SC_OPEN_MAX) > 0 ? sysconf(_SC_OPEN_MAX) : 1024;

  UniqueFd errorRead, errorWrite;
  if (!CreatePipe(&errorRead, &errorWrite)) return fail(errno);

  // Block every signal across fork, so that the child cannot run one of our handlers
  // before it has reset them.
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  const pid_t parent = getpid();
  pid_t pid = fork();
  if (pid == 0) {
    ExecChild(path.c_str(), args.data(), fds, options.killOnParentDeath, parent, errorWrite.get(),
              maxFd);
  }
  int forkErr = errno;
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (pid < 0) return fail(forkErr);
  errorWrite.Close();

  int childErr = 0;
  ssize_t n;
  do {
    n = read(errorRead.get(), &childErr, sizeof childErr);
  } while (n < 0 && errno == EINTR);
  if (n == static_cast<ssize_t>(sizeof childErr)) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return fail(childErr);
  }

  UniqueFd pidfd(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
  if (pidfd.held()) fcntl(pidfd.get(), F_SETFD, FD_CLOEXEC);
  child->Adopt(pid, std::move(pidfd));
  return true;
}

bool LaunchCommandLine(const std::string& commandLine, int stdinFd, int stdoutFd, int stderrFd,
                       const LaunchOptions& options, ChildProcess* child, std::string* error) {
  return LaunchArgv(SplitCommandLine(commandLine), stdinFd, stdoutFd, stderrFd, options, child,
                    error);
}

}  // namespace platform
