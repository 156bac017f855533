// A main window as the program has it, for the tables of faults and of bad files: its own
// system folder and program folder (norcel and the encoder package), the real runner line,
// and the checks every row ends with.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "gui_support.h"

namespace gui_testing {

// The real line to the runner, with a hook called after each job's runner has started.
class HookedRunnerLink : public quorbit::ProcessRunnerLink {
 public:
  using ProcessRunnerLink::ProcessRunnerLink;
  void StartJob(bool probe, const std::string& commandLine) override {
    ++jobs;
    ProcessRunnerLink::StartJob(probe, commandLine);
    if (afterStart) afterStart(probe);
  }
  std::function<void(bool probe)> afterStart;
  int jobs = 0;
};

class LiveWindow {
 public:
  // Creates the program folder and the window, shows it and waits for the encoder to be
  // unpacked. The caller's system folder must be set already (PrivateSystemFolder).
  // prepare, when given, is called with the program folder before the window exists.
  explicit LiveWindow(const std::function<void(const std::string& appFolder)>& prepare = nullptr);
  // Ends a batch still running; does not wait for the runner.
  ~LiveWindow();
  LiveWindow(const LiveWindow&) = delete;
  LiveWindow& operator=(const LiveWindow&) = delete;

  quorbit::TForm1& form() { return *form_; }
  FakeDialogs dialogs;
  HookedRunnerLink& link() { return *link_; }
  const testing_support::TempDir& app() const { return app_; }

  // Adds the files through the file dialog and waits until every probe has ended; false at
  // the deadline.
  bool Add(const QStringList& files, std::chrono::milliseconds timeout = std::chrono::seconds(60));

  // Presses Convert and waits until the batch has ended; false at the deadline.
  bool Convert(std::chrono::milliseconds timeout = std::chrono::seconds(60));

 private:
  testing_support::TempDir app_;
  std::unique_ptr<HookedRunnerLink> link_;
  std::unique_ptr<quorbit::TForm1> form_;
};

// The live processes (runners, encoders and whatever they started) whose environment names
// the current system folder.
std::vector<pid_t> ProcessesOfThisSystemFolder();

// The runner whose child is encoder, or 0. Runners of earlier jobs may still be tearing
// down beside it.
pid_t RunnerOf(pid_t encoder);

// The descriptors this process holds once a window has been created, shown and destroyed:
// what later rows are compared with.
std::vector<std::string> SettledDescriptors();

// What every row ends with: no runner or encoder is left (they end by themselves, the window
// still open), no child is a zombie, and once the window is destroyed the process holds the
// descriptors it held before. The failures name `what`.
void ExpectNothingLeft(std::unique_ptr<LiveWindow>* window,
                       const std::vector<std::string>& descriptorsBefore, const std::string& what);

}  // namespace gui_testing
