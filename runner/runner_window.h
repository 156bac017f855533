// norcel's life: one hidden message window titled "tarvik2" that reads the job 220 ms after
// it opens, hands the command to its JobReporter, answers the stop request, and ends when
// the run is over. The program ends with it.
#pragma once

#include <memory>
#include <string>

#include "platform/window_messages.h"
#include "runner/encoder_process.h"

namespace runner {

class RunnerWindow {
 public:
  // Delay between opening the window and reading the job.
  static constexpr int kJobDelayMs = 220;

  RunnerWindow() = default;
  // The window is already closed by then; the reporter's destruction stops the run.
  ~RunnerWindow() = default;

  // Opens the window and runs its loop until the window ends. Returns 0, or 1 when the
  // window could not be opened.
  int Run();

 private:
  int32_t OnMessage(const platform::WindowMessage& message);
  void OnTimer();
  // Every end of the window: it is closed at once, so that it can no longer be found and
  // the next runner is not refused while this one tears down.
  void End();

  bool probe = false;
  std::string command;
  platform::WindowHandle mainWindow = 0;
  JobReporter reporter;
  std::unique_ptr<platform::MessageWindow> window;
  bool ending = false;
};

class RunnerApp {
 public:
  // How long a new runner waits for an earlier runner's window to go before giving up.
  static constexpr int kPredecessorWaitMs = 3000;

  // The whole program: the single-instance check, then the window. Reads no arguments.
  int Run();
};

}  // namespace runner
