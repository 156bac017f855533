// The runner's engine: starts one encoder command line with its standard streams on pipes,
// reads its output and error output on threads of their own, waits for its end on a third,
// and turns what it reads into notifications. JobReporter turns those into messages for
// the main window.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

#include "platform/process.h"
#include "platform/window_messages.h"

namespace runner {

class EncoderProcess {
 public:
  // Room for the error output of a probe run, terminator included. Large enough that the
  // duration report is found behind any banner and a source path of 4096 bytes; text
  // beyond it is dropped.
  static constexpr size_t kCaptureCapacity = 64 * 1024;
  // Each read takes at most this much.
  static constexpr size_t kChunkSize = 256;

  EncoderProcess() = default;
  // Stops whatever is still held.
  virtual ~EncoderProcess();
  EncoderProcess(const EncoderProcess&) = delete;
  EncoderProcess& operator=(const EncoderProcess&) = delete;

  // Starts commandLine as the child and the three worker threads; OnStarted comes before
  // any other notification. False when the child could not be created: then no thread runs
  // and nothing is notified. showConsole has no meaning here and is ignored. Call once.
  bool Start(const std::string& commandLine, bool showConsole);

  // Ends the child (its whole process group), the threads and every descriptor; no
  // notification starts after it has begun. Lasts at least 700 ms; can be called any
  // number of times.
  void Stop();

  // The error output of a probe run so far (complete once the child has ended).
  std::string Capture() const;
  // The wait status of a child that ended by itself; meaningful in OnExited.
  int exitStatus() const { return exitStatus_; }
  bool isRunning() const { return running.load() != 0; }

  platform::WindowHandle mainWindow = 0;  // receiver of the reports; set before Start
  bool probe = false;                     // a probe run: capture the error output

 protected:
  // Notifications, in this order of declaration; they run on the threads named.
  virtual void OnStarted(const std::string& commandLine);  // Start's caller
  virtual void OnOutputText(const std::string& text);      // output reader
  virtual void OnProgressText(const std::string& text);    // error reader, conversions only
  virtual void OnExited();                                 // exit waiter, natural end only

  // Creates the child with the three descriptors as its standard streams. The child gets
  // SIGKILL should the runner die, so that no encoder outlives it. Empty on failure.
  static platform::ChildProcess LaunchChild(const std::string& commandLine, int standardOutput,
                                            int standardInput, int standardError, bool showConsole);

  static int ReadOutputPipe(EncoderProcess* self);
  static int ReadErrorPipe(EncoderProcess* self);
  static int WaitForEnd(EncoderProcess* self);

  // True while a child, a thread or a descriptor is still held.
  bool HoldsAnything() const;

  // 1 while a run is in progress and its threads are to keep working.
  std::atomic<int> running{0};

 private:
  // Runs notify under the report lock, only while the run is on, so nothing is reported
  // once Stop or the end report has cleared `running`.
  template <typename F>
  void Report(F notify);
  static void Pause(int ms);

  std::string capture_;  // guarded by captureMutex_
  mutable std::mutex captureMutex_;
  std::mutex reportMutex_;
  mutable std::mutex processMutex_;
  int exitStatus_ = 0;

  platform::Event stopEvent;
  platform::Event errorPipeDone;  // the error reader has left its loop
  platform::UniqueFd childStdIn, childStdOut, childStdErr;
  platform::UniqueFd stdInWrite, stdOutRead, stdErrRead;
  std::thread outputReader, errorReader, exitWaiter;
  platform::ChildProcess process;
};

// Turns the engine's notifications into reports for the main window, and ends the
// runner's own window when the run is over.
class JobReporter : public EncoderProcess {
 public:
  ~JobReporter() override;

  platform::WindowHandle runnerWindow = 0;  // the window told to close when the run ends

 protected:
  void OnStarted(const std::string& commandLine) override;
  void OnOutputText(const std::string& text) override;
  void OnProgressText(const std::string& text) override;
  void OnExited() override;
};

}  // namespace runner
