// The main window's line to the runner: starts one runner per job and delivers that job's
// reports. A seam, so that tests can feed reports without any runner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QObject>

#include "platform/process.h"
#include "platform/window_messages.h"

class QSocketNotifier;

namespace quorbit {

class RunnerLink : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Hands the command to a new runner. Whatever happens, the job ends with either a
  // JOB_ENDED report or runnerGone(); the job started before is forgotten.
  virtual void StartJob(bool probe, const std::string& commandLine) = 0;

  // Asks the runner at work to stop; returns once it has stopped its encoder. False when no
  // runner window exists.
  virtual bool RequestStop() = 0;

  // Forgets the job in flight: none of its reports is delivered any more.
  virtual void Abandon() = 0;

 signals:
  // A ProgressMessage of the job in flight.
  void report(uint32_t code, int32_t value);
  // The job's runner could not be started, or ended without reporting the job's end.
  void runnerGone();
};

// The real line: the job file, norcel started from appFolder, and for every job a message
// window of its own, so that a late report of an earlier runner can never be taken for
// the current job's.
class ProcessRunnerLink : public RunnerLink {
  Q_OBJECT

 public:
  explicit ProcessRunnerLink(const std::string& appFolder, QObject* parent = nullptr);
  ~ProcessRunnerLink() override;

  void StartJob(bool probe, const std::string& commandLine) override;
  bool RequestStop() override;
  void Abandon() override;

 private:
  struct Job;
  void OnMessages(Job* job);
  void OnRunnerEnded(Job* job);
  void Retire(std::unique_ptr<Job> job);

  std::string appFolder_;
  std::unique_ptr<Job> current_;
  // Runners of forgotten jobs, still to be reaped when they end.
  std::vector<std::unique_ptr<Job>> retired_;
};

}  // namespace quorbit
