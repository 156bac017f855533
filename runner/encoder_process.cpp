#include "runner/encoder_process.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "common/encoder_reports.h"
#include "common/progress_message.h"

namespace runner {

namespace {
// How long the end report waits for the error output to run dry after the child has
// ended. A grandchild that keeps the pipe open cannot hold the report longer than this.
constexpr int kErrorDrainMs = 1000;

// Waits until fd is readable or the stop event is set. True when fd is readable.
bool WaitReadable(int fd, int stopFd) {
  pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
  for (;;) {
    int n = poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (fds[1].revents) return false;
    return true;  // data, end of file or an error: the read tells which
  }
}
}  // namespace

EncoderProcess::~EncoderProcess() {
  if (HoldsAnything()) Stop();
}

void EncoderProcess::OnStarted(const std::string&) {}
void EncoderProcess::OnOutputText(const std::string&) {}
void EncoderProcess::OnProgressText(const std::string&) {}
void EncoderProcess::OnExited() {}

void EncoderProcess::Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool EncoderProcess::HoldsAnything() const {
  // Only the owner's thread starts and joins the threads, so those fields need no lock;
  // the child may be released by the exit waiter meanwhile.
  if (outputReader.joinable() || errorReader.joinable() || exitWaiter.joinable()) return true;
  {
    std::lock_guard<std::mutex> lock(processMutex_);
    if (process.held()) return true;
  }
  return stopEvent.held() || errorPipeDone.held() || childStdIn.held() || childStdOut.held() ||
         childStdErr.held() || stdInWrite.held() || stdOutRead.held() || stdErrRead.held();
}

template <typename F>
void EncoderProcess::Report(F notify) {
  std::lock_guard<std::mutex> lock(reportMutex_);
  if (running.load()) notify();
}

std::string EncoderProcess::Capture() const {
  std::lock_guard<std::mutex> lock(captureMutex_);
  return capture_;
}

platform::ChildProcess EncoderProcess::LaunchChild(const std::string& commandLine,
                                                   int standardOutput, int standardInput,
                                                   int standardError, bool /*showConsole*/) {
  platform::ChildProcess child;
  platform::LaunchOptions options;
  options.killOnParentDeath = true;
  std::string error;
  if (!platform::LaunchCommandLine(commandLine, standardInput, standardOutput, standardError,
                                   options, &child, &error)) {
    return platform::ChildProcess();
  }
  return child;
}

bool EncoderProcess::Start(const std::string& commandLine, bool showConsole) {
  platform::CreatePipe(&childStdIn, &stdInWrite);
  platform::CreatePipe(&stdOutRead, &childStdOut);
  platform::CreatePipe(&stdErrRead, &childStdErr);
  running = 1;
  process =
      LaunchChild(commandLine, childStdOut.get(), childStdIn.get(), childStdErr.get(), showConsole);
  // The child holds its own copies now. Ours go at once, so that the readers see the end of
  // their pipes when the child (and anything it started) has ended.
  childStdIn.Close();
  childStdOut.Close();
  childStdErr.Close();
  if (!process.held()) return false;

  stopEvent.Create();
  errorPipeDone.Create();
  // Reported before the threads exist, so it is always the run's first report.
  OnStarted(commandLine);
  outputReader = std::thread(ReadOutputPipe, this);
  errorReader = std::thread(ReadErrorPipe, this);
  exitWaiter = std::thread(WaitForEnd, this);
  return true;
}

int EncoderProcess::ReadOutputPipe(EncoderProcess* self) {
  char buffer[kChunkSize + 4];
  while (self->running.load()) {
    if (!WaitReadable(self->stdOutRead.get(), self->stopEvent.fd())) break;
    ssize_t n = read(self->stdOutRead.get(), buffer, kChunkSize);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) break;  // every writer is gone, or the pipe failed
    buffer[n] = '\0';
    const std::string text(buffer);
    self->Report([&] { self->OnOutputText(text); });
  }
  return 0;
}

int EncoderProcess::ReadErrorPipe(EncoderProcess* self) {
  if (self->probe) {
    std::lock_guard<std::mutex> lock(self->captureMutex_);
    self->capture_.clear();
  }
  char buffer[kChunkSize + 4];
  while (self->running.load()) {
    if (!WaitReadable(self->stdErrRead.get(), self->stopEvent.fd())) break;
    ssize_t n = read(self->stdErrRead.get(), buffer, kChunkSize);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    buffer[n] = '\0';
    // Chunks are text: anything after a zero byte is not looked at.
    const std::string_view chunk(buffer, std::strlen(buffer));
    if (self->probe) {
      std::lock_guard<std::mutex> lock(self->captureMutex_);
      const size_t room = kCaptureCapacity - 1 - self->capture_.size();
      self->capture_.append(chunk.substr(0, room));
    } else if (auto text = common::ProgressTextOfChunk(chunk)) {
      const std::string value(*text);
      self->Report([&] { self->OnProgressText(value); });
    }
  }
  self->errorPipeDone.Set();
  return 0;
}

int EncoderProcess::WaitForEnd(EncoderProcess* self) {
  using Result = platform::ChildProcess::WaitResult;
  if (self->process.Wait(self->stopEvent.fd(), -1) == Result::kEnded) {
    // Let the error reader take in what the child wrote before it ended, so the capture is
    // complete and no progress report can follow the end report.
    pollfd fds[2] = {{self->errorPipeDone.fd(), POLLIN, 0}, {self->stopEvent.fd(), POLLIN, 0}};
    while (poll(fds, 2, kErrorDrainMs) < 0 && errno == EINTR) {
    }
    int status = 0;
    self->process.HasEnded(&status);
    bool reported = false;
    {
      std::lock_guard<std::mutex> lock(self->reportMutex_);
      if (self->running.load()) {
        self->exitStatus_ = status;
        self->OnExited();
        reported = true;
      }
      self->running = 0;
    }
    if (reported) {
      std::lock_guard<std::mutex> lock(self->processMutex_);
      // Also ends whatever the child left running in its group.
      self->process.KillAndRelease();
    }
  }
  self->running = 0;
  return 0;
}

void EncoderProcess::Stop() {
  {
    std::lock_guard<std::mutex> lock(reportMutex_);
    running = 0;
  }
  if (stopEvent.held()) stopEvent.Set();
  Pause(500);
  {
    // The child first, so that nothing new is written; it is reaped once the exit waiter,
    // which may still be looking at it, has ended.
    std::lock_guard<std::mutex> lock(processMutex_);
    if (process.held()) {
      ::kill(-process.pid(), SIGKILL);
      ::kill(process.pid(), SIGKILL);
    }
  }
  if (exitWaiter.joinable()) exitWaiter.join();
  {
    std::lock_guard<std::mutex> lock(processMutex_);
    process.KillAndRelease();
  }
  // The readers wake on the stop event; they are never killed.
  if (outputReader.joinable()) outputReader.join();
  if (errorReader.joinable()) errorReader.join();
  childStdIn.Close();
  childStdOut.Close();
  childStdErr.Close();
  Pause(100);
  stdInWrite.Close();
  stdOutRead.Close();
  stdErrRead.Close();
  Pause(100);
  stopEvent.Close();
  errorPipeDone.Close();
}

// ---- JobReporter -------------------------------------------------------------------------

JobReporter::~JobReporter() {
  // Here, while the notifications are still this class's: the threads must be gone before
  // the object stops being a JobReporter.
  if (HoldsAnything()) Stop();
}

void JobReporter::OnStarted(const std::string&) {
  platform::PostWindowMessage(mainWindow, common::ProgressMessage, common::JOB_STARTED, 0);
}

void JobReporter::OnOutputText(const std::string&) {
  platform::PostWindowMessage(mainWindow, common::ProgressMessage, common::JOB_STOP, 0);
  platform::PostWindowMessage(runnerWindow, common::WM_CLOSE_MESSAGE, 0, 0);
}

void JobReporter::OnProgressText(const std::string& text) {
  // A value without digits (N/A) or a negative one is no progress at all.
  if (auto seconds = common::ProgressSeconds(text)) {
    platform::PostWindowMessage(mainWindow, common::ProgressMessage, common::JOB_PROGRESS,
                                *seconds);
  }
}

void JobReporter::OnExited() {
  int32_t value;
  if (probe) {
    value = common::DurationSeconds(Capture());
  } else {
    const int status = exitStatus();
    value = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : common::JOB_ENCODER_FAILED;
  }
  platform::PostWindowMessage(mainWindow, common::ProgressMessage, common::JOB_ENDED, value);
  platform::PostWindowMessage(runnerWindow, common::WM_CLOSE_MESSAGE, 0, 0);
}

}  // namespace runner
