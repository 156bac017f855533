#include "runner_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ostream>

#include <gtest/gtest.h>

#include "common/job_file.h"
#include "platform/shell.h"

namespace runner_testing {

using testing_support::ReadWholeFile;
using testing_support::WaitUntil;

std::ostream& operator<<(std::ostream& out, const Report& r) {
  return out << "{" << r.code << ", " << r.value << "}";
}

MainWindow::MainWindow() : window_(platform::MessageWindow::Open("")) {
  if (!window_) throw std::runtime_error("cannot open the test's main window");
}

void MainWindow::Pump() {
  window_->Dispatch([this](const platform::WindowMessage& m) {
    if (m.message == common::ProgressMessage)
      reports_.push_back({m.wParam, m.lParam});
    else
      ADD_FAILURE() << "unexpected message " << m.message << " at the main window";
    return 0;
  });
}

bool MainWindow::WaitFor(uint32_t code, std::chrono::milliseconds timeout) {
  return WaitUntil(
      [&] {
        Pump();
        return Count(code) > 0;
      },
      timeout);
}

std::vector<uint32_t> MainWindow::codes() const {
  std::vector<uint32_t> out;
  for (const Report& r : reports_) out.push_back(r.code);
  return out;
}

size_t MainWindow::Count(uint32_t code) const {
  size_t n = 0;
  for (const Report& r : reports_) n += r.code == code;
  return n;
}

platform::ChildProcess StartJob(platform::WindowHandle window, bool probe,
                                const std::string& commandLine) {
  platform::ChildProcess norcel;
  std::string error;
  if (!common::WriteJob(QUORBIT_APP_DIR, probe, window, commandLine, &norcel, &error))
    ADD_FAILURE() << error;
  return norcel;
}

platform::ChildProcess StartNorcel() {
  platform::ChildProcess norcel;
  std::string error;
  if (!platform::StartDetached({kNorcel}, &norcel, &error)) ADD_FAILURE() << error;
  return norcel;
}

bool WaitForExit(platform::ChildProcess* norcel, MainWindow* main,
                 std::chrono::milliseconds timeout) {
  bool ended = WaitUntil(
      [&] {
        if (main) main->Pump();
        return norcel->HasEnded(nullptr);
      },
      timeout);
  if (ended) norcel->ReapAndRelease();
  if (main) main->Pump();
  return ended;
}

}  // namespace runner_testing
