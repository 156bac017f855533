#include "runner/runner_window.h"

#include <poll.h>

#include <chrono>
#include <thread>

#include "common/job_file.h"
#include "common/progress_message.h"
#include "common/text_codec.h"

namespace runner {

using Clock = std::chrono::steady_clock;

int RunnerApp::Run() {
  // An earlier runner may still be tearing down; give it a moment before refusing the job.
  const auto deadline = Clock::now() + std::chrono::milliseconds(kPredecessorWaitMs);
  while (platform::FindWindowByTitle(common::RunnerWindowTitle) != 0) {
    if (Clock::now() >= deadline) return 0;  // the job file stays for its owner
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  RunnerWindow runnerWindow;
  return runnerWindow.Run();
}

int RunnerWindow::Run() {
  window = platform::MessageWindow::Open(common::RunnerWindowTitle);
  if (!window) return 1;
  reporter.runnerWindow = window->handle();

  bool timerArmed = true;
  const auto timerDue = Clock::now() + std::chrono::milliseconds(kJobDelayMs);
  while (!ending) {
    int timeoutMs = -1;
    if (timerArmed) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(timerDue - Clock::now());
      timeoutMs = left.count() > 0 ? static_cast<int>(left.count()) + 1 : 0;
    }
    pollfd p{window->fd(), POLLIN, 0};
    poll(&p, 1, timeoutMs);
    // Messages first: a stop request that arrived before the timer ends the runner before
    // it has read its job.
    window->Dispatch([this](const platform::WindowMessage& m) { return OnMessage(m); });
    if (!ending && timerArmed && Clock::now() >= timerDue) {
      timerArmed = false;
      OnTimer();
    }
  }
  End();
  return 0;
}

int32_t RunnerWindow::OnMessage(const platform::WindowMessage& message) {
  if (message.message == common::ProgressMessage) {
    if (message.wParam == common::JOB_STOP) {
      reporter.Stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      End();
    }
    return 1;
  }
  if (message.message == common::WM_CLOSE_MESSAGE) End();
  return 0;
}

void RunnerWindow::OnTimer() {
  const common::Job job = common::ReadJob();
  mainWindow = job.window;
  probe = job.probe;
  command = job.command;
  reporter.mainWindow = mainWindow;
  reporter.probe = probe;
  if (mainWindow != 0 && !command.empty()) {
    command = common::UnscrambleText(command);
    if (!reporter.Start(command, false)) {
      platform::PostWindowMessage(mainWindow, common::ProgressMessage, common::JOB_ENDED,
                                  common::JOB_REFUSED);
      End();
    }
    return;
  }
  // No command (or one too long to carry): refused, when there is anyone to tell.
  if (mainWindow != 0) {
    platform::PostWindowMessage(mainWindow, common::ProgressMessage, common::JOB_ENDED,
                                common::JOB_REFUSED);
  }
  End();
}

void RunnerWindow::End() {
  ending = true;
  if (window) window->Close();
}

}  // namespace runner
