// What the runner tests share: a stand-in main window that collects reports, and norcel
// started on a job the way quorbit starts it.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/progress_message.h"
#include "platform/process.h"
#include "platform/window_messages.h"
#include "test_support.h"

namespace runner_testing {

const std::string kFake = std::string(QUORBIT_TEST_BIN_DIR) + "fake_encoder";
const std::string kNorcel = std::string(QUORBIT_APP_DIR) + "norcel";
const std::string kFfmpeg = QUORBIT_FFMPEG;

struct Report {
  uint32_t code;
  int32_t value;
  bool operator==(const Report& o) const { return code == o.code && value == o.value; }
};
std::ostream& operator<<(std::ostream& out, const Report& r);

// A message window standing in for quorbit's main window.
class MainWindow {
 public:
  MainWindow();
  platform::WindowHandle handle() const { return window_->handle(); }
  // Takes in whatever has arrived, without waiting.
  void Pump();
  // Pumps until a report with this code has arrived or the deadline has passed.
  bool WaitFor(uint32_t code, std::chrono::milliseconds timeout = std::chrono::seconds(30));
  const std::vector<Report>& reports() const { return reports_; }
  std::vector<uint32_t> codes() const;
  size_t Count(uint32_t code) const;

 private:
  std::unique_ptr<platform::MessageWindow> window_;
  std::vector<Report> reports_;
};

// Writes a job for window with the command line and starts norcel on it.
platform::ChildProcess StartJob(platform::WindowHandle window, bool probe,
                                const std::string& commandLine);

// Starts norcel without writing a job.
platform::ChildProcess StartNorcel();

// Waits for norcel to end, pumping the main window meanwhile; false at the deadline.
bool WaitForExit(platform::ChildProcess* norcel, MainWindow* main,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));

using testing_support::ChildrenOf;
using testing_support::MakeFlv;
using testing_support::OpenDescriptors;
using testing_support::ProcessGone;
using testing_support::ZombieChildren;

}  // namespace runner_testing
