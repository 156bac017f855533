#include "main/runner_link.h"

#include <QSocketNotifier>
#include <QTimer>

#include "common/job_file.h"
#include "common/progress_message.h"

namespace quorbit {

struct ProcessRunnerLink::Job {
  std::unique_ptr<platform::MessageWindow> window;
  platform::ChildProcess runner;
  QSocketNotifier* messages = nullptr;
  QSocketNotifier* ended = nullptr;
  bool endReported = false;

  ~Job() {
    // Notifiers may be mid-signal when a job is forgotten; let the loop delete them. They
    // stop watching now, before the descriptors they watch are closed.
    for (QSocketNotifier* n : {messages, ended}) {
      if (!n) continue;
      n->setEnabled(false);
      n->deleteLater();
    }
  }
};

ProcessRunnerLink::ProcessRunnerLink(const std::string& appFolder, QObject* parent)
    : RunnerLink(parent), appFolder_(appFolder) {}

ProcessRunnerLink::~ProcessRunnerLink() = default;

void ProcessRunnerLink::StartJob(bool probe, const std::string& commandLine) {
  if (current_) Retire(std::move(current_));
  auto job = std::make_unique<Job>();
  Job* raw = job.get();
  job->window = platform::MessageWindow::Open("");
  bool started = false;
  if (job->window) {
    started = common::WriteJob(appFolder_, probe, job->window->handle(), commandLine, &job->runner);
  }
  current_ = std::move(job);
  if (!started) {
    // Told from the event loop, like every other outcome of a job.
    QTimer::singleShot(0, this, [this, raw] {
      if (current_.get() == raw) {
        current_.reset();
        emit runnerGone();
      }
    });
    return;
  }
  raw->messages = new QSocketNotifier(raw->window->fd(), QSocketNotifier::Read, this);
  connect(raw->messages, &QSocketNotifier::activated, this, [this, raw] { OnMessages(raw); });
  if (raw->runner.pidfd() >= 0) {
    raw->ended = new QSocketNotifier(raw->runner.pidfd(), QSocketNotifier::Read, this);
    connect(raw->ended, &QSocketNotifier::activated, this, [this, raw] { OnRunnerEnded(raw); });
  }
}

void ProcessRunnerLink::OnMessages(Job* job) {
  if (job != current_.get() || !job->window) return;
  // Collected first and delivered afterwards: a receiver may start the next job, which
  // replaces this one.
  std::vector<std::pair<uint32_t, int32_t>> reports;
  job->window->Dispatch([&](const platform::WindowMessage& m) {
    if (m.message == common::ProgressMessage) reports.emplace_back(m.wParam, m.lParam);
    return 0;
  });
  for (const auto& [code, value] : reports) {
    if (job != current_.get()) return;
    if (code == common::JOB_ENDED) {
      if (job->endReported) continue;
      job->endReported = true;
    }
    emit report(code, value);
  }
}

void ProcessRunnerLink::OnRunnerEnded(Job* job) {
  if (job->ended) job->ended->setEnabled(false);
  if (job == current_.get()) {
    // A runner posts before it ends, so whatever it reported is waiting already.
    OnMessages(job);
    if (job != current_.get()) {
      // The job was replaced while its reports were delivered; it is retired now.
    } else {
      job->runner.ReapAndRelease();
      const bool reported = job->endReported;
      if (!reported) {
        current_.reset();
        emit runnerGone();
      }
      return;
    }
  }
  for (auto it = retired_.begin(); it != retired_.end(); ++it) {
    if (it->get() == job) {
      (*it)->runner.ReapAndRelease();
      retired_.erase(it);
      return;
    }
  }
}

void ProcessRunnerLink::Retire(std::unique_ptr<Job> job) {
  if (job->messages) job->messages->setEnabled(false);
  job->window.reset();
  if (!job->runner.held()) return;
  if (job->runner.HasEnded(nullptr) || !job->ended) {
    // Ended already, or without a pidfd to watch: reap now (a live one is ended first).
    if (job->ended) job->ended->setEnabled(false);
    job->runner.KillAndRelease();
    return;
  }
  retired_.push_back(std::move(job));
}

bool ProcessRunnerLink::RequestStop() {
  return common::RequestStop();
}

void ProcessRunnerLink::Abandon() {
  if (current_) Retire(std::move(current_));
}

}  // namespace quorbit
