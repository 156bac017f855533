// Child processes, pipes and a stop event: what the runner needs to start the encoder with
// redirected standard streams, wait for it, and end it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform {

// Owns one file descriptor; -1 when it holds none. Closing returns it to none, so closing
// twice is harmless.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Close(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool held() const { return fd_ >= 0; }
  int Release();
  void Close();

 private:
  int fd_ = -1;
};

// Creates an anonymous pipe whose two ends are closed on exec, so a child inherits an end
// only when it is handed over explicitly. False on failure (both ends stay none).
bool CreatePipe(UniqueFd* readEnd, UniqueFd* writeEnd);

// A manual-reset event: once set it stays set. Its descriptor becomes readable when set,
// so it can be polled beside a pipe or a child.
class Event {
 public:
  // Creates the event, not set. False on failure.
  bool Create();
  void Set();
  bool IsSet() const;
  int fd() const { return fd_.get(); }
  bool held() const { return fd_.held(); }
  void Close() { fd_.Close(); }

 private:
  UniqueFd fd_;
};

// Splits a command line into items: blanks (space, tab) separate items, a double quote
// starts or ends a quoted run in which blanks are kept, the quotes themselves are removed,
// and nothing is escaped. `a"b c"d` is one item `ab cd`; `""` is one empty item.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

struct LaunchOptions {
  // The child gets SIGKILL when the launching thread ends, so that it does not outlive a
  // runner that dies.
  bool killOnParentDeath = false;
};

// A started child: its pid and a pidfd that becomes readable when it ends. The child leads
// its own session and process group. Not copyable; the owner must Release() it.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool held() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // Readable once the child has ended; -1 when the kernel offers no pidfd.
  int pidfd() const { return pidfd_.get(); }

  enum class WaitResult { kEnded, kEvent, kTimeout };
  // Waits until the child has ended, the event (if given, may be -1) is set, or timeoutMs
  // has passed (-1: no limit). The child is not reaped, so its group stays addressable.
  WaitResult Wait(int eventFd, int timeoutMs) const;

  // True when the child has ended; *status receives its wait status. Does not reap.
  bool HasEnded(int* status) const;

  // Kills the child's whole process group, reaps the child and releases the object.
  // No zombie is left. Harmless when nothing is held.
  void KillAndRelease();

  // Reaps a child that has ended (waiting for it without a limit otherwise) and releases
  // the object; *status (if given) receives the wait status.
  void ReapAndRelease(int* status = nullptr);

  // Adopts an already started child (used by the launcher).
  void Adopt(pid_t pid, UniqueFd pidfd);

 private:
  pid_t pid_ = -1;
  UniqueFd pidfd_;
};

// Starts argv[0] (looked up in PATH when it holds no '/') with argv, the given descriptors
// as standard input, output and error, and the caller's environment. The child has an empty
// signal mask and default signal handlers, leads a new session, and inherits no other
// descriptor. A program that cannot be run (missing, not executable, a folder) makes the
// call fail with *error set to the reason; nothing is left running then.
bool LaunchArgv(const std::vector<std::string>& argv, int stdinFd, int stdoutFd, int stderrFd,
                const LaunchOptions& options, ChildProcess* child, std::string* error);

// LaunchArgv on SplitCommandLine(commandLine).
bool LaunchCommandLine(const std::string& commandLine, int stdinFd, int stdoutFd, int stderrFd,
                       const LaunchOptions& options, ChildProcess* child, std::string* error);

}  // namespace platform
