// Measures what the main window and the runner add to a batch, offscreen, with the real
// runner and encoder.
//
//   build/bench/main_window_bench [clips] [seconds]     (default 10 clips of 30 s)
//
// (a) Add: from pressing Add to every clip listed, against the clips' probe commands run
//     directly one after another. (b) Convert to AVI: from pressing Convert to the end
//     message, against the conversion commands run directly. For each job the time is from
//     the previous job's end (or the press) to its own end report; its overhead is that time
//     less the clip's fastest direct run and less the runner's fixed 220 ms wait before it reads a
//     job.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "bench_support.h"
#include "common/progress_message.h"
#include "main/command_line.h"
#include "main/dialogs.h"
#include "main/main_window.h"
#include "main/runner_link.h"
#include "platform/process.h"
#include "runner/runner_window.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::Ms;
using bench::RunDirect;

class BenchDialogs : public quorbit::Dialogs {
 public:
  void ShowMessage(QWidget*, const QString& text, const QString&, Icon) override {
    messages.push_back(text);
  }
  QStringList ChooseFiles(QWidget*, const QString&, const QString&) override { return files; }
  bool BrowseForFolder(QWidget*, const QString&, QString*) override { return false; }
  void OpenInShell(const QString&) override {}
  QStringList files;
  QStringList messages;
};

// Notes when each job of the window ends.
class TimedRunner : public quorbit::ProcessRunnerLink {
 public:
  explicit TimedRunner(const std::string& appFolder) : ProcessRunnerLink(appFolder) {
    connect(this, &RunnerLink::report, this, [this](uint32_t code, int32_t) {
      if (code == common::JOB_ENDED) ends.push_back(Clock::now());
    });
  }
  std::vector<Clock::time_point> ends;
};

// Runs the event loop, idle like the program's own, until done holds.
void WaitFor(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(std::chrono::minutes(10), &loop, &QEventLoop::quit);
  check.start(20);  // per-job times come from the end reports, not from this check
  if (!done()) loop.exec();
}

// Prints the per-job table of one phase and its summary line.
void Report(const char* phase, Clock::time_point pressed,
            const std::vector<Clock::time_point>& ends, const std::vector<double>& direct,
            double totalMs) {
  std::vector<double> overheads;
  std::printf("%s\n%4s %12s %12s %14s\n", phase, "job", "window ms", "direct ms", "overhead ms");
  Clock::time_point previous = pressed;
  double directTotal = 0;
  for (size_t i = 0; i < ends.size() && i < direct.size(); ++i) {
    const double span = Ms(ends[i] - previous);
    const double overhead = span - direct[i] - runner::RunnerWindow::kJobDelayMs;
    overheads.push_back(overhead);
    directTotal += direct[i];
    std::printf("%4zu %12.1f %12.1f %14.1f\n", i, span, direct[i], overhead);
    previous = ends[i];
  }
  std::printf(
      "%s: window %.0f ms, direct %.0f ms, ratio %.2f; median overhead per job beyond "
      "the %d ms wait: %.1f ms\n\n",
      phase, totalMs, directTotal, directTotal > 0 ? totalMs / directTotal : 0.0,
      runner::RunnerWindow::kJobDelayMs, Median(overheads));
}

}  // namespace

int main(int argc, char** argv) {
  const int clips = argc > 1 ? std::atoi(argv[1]) : 10;
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char pattern[] = "/tmp/quorbit-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::string dir = pattern;
  const std::string app = dir + "/app/", media = dir + "/media/", out = dir + "/out/";
  for (const std::string& d : {app, media, out}) std::filesystem::create_directories(d);
  setenv("QUORBIT_SYSTEM_DIR", (dir + "/system").c_str(), 1);
  std::filesystem::create_symlink(std::string(QUORBIT_APP_DIR) + "norcel", app + "norcel");
  std::filesystem::copy_file(std::string(QUORBIT_APP_DIR) + "norcel.dll", app + "norcel.dll");
  QApplication qapp(argc, argv);

  const std::string ffmpeg = QUORBIT_FFMPEG;
  std::vector<std::string> sources;
  for (int i = 0; i < clips; ++i) {
    const std::string clip = media + "clip" + std::to_string(i) + ".flv";
    const std::string make =
        "\"" + ffmpeg + "\" -nostdin -v error -f lavfi -i testsrc=size=320x240:rate=25:duration=" +
        std::to_string(seconds) + " -f lavfi -i sine=duration=" + std::to_string(seconds) +
        " -c:v flv -c:a mp3 -ar 22050 -shortest -y \"" + clip + "\"";
    if (!RunDirect(make) || !std::filesystem::exists(clip)) {
      std::fprintf(stderr, "cannot make the clip %s with %s\n", clip.c_str(), ffmpeg.c_str());
      return 1;
    }
    sources.push_back(clip);
  }

  BenchDialogs dialogs;
  TimedRunner runner(app);
  quorbit::TForm1 form(&dialogs, &runner, app);
  form.show();
  // The encoder is unpacked from its package shortly after the first showing.
  WaitFor([&] { return !form.Timer1->isActive(); });
  if (!dialogs.messages.isEmpty()) {
    std::fprintf(stderr, "start-up failed: %s\n", dialogs.messages.back().toStdString().c_str());
    return 1;
  }
  form.suiOutputDirectoryEdit->setText(QString::fromStdString(out));
  form.suiopenwhendoneCheckBox->setChecked(false);

  // The direct runs go three times, before the window's; each clip's fastest run counts, so
  // that a busy moment of the machine does not pass for overhead of the window.
  std::vector<double> probeDirect(sources.size(), 1e9), convertDirect(sources.size(), 1e9);
  for (int round = 0; round < 3; ++round) {
    for (size_t i = 0; i < sources.size(); ++i) {
      auto start = Clock::now();
      RunDirect(
          quorbit::BuildProbeCommandLine(form.encoderPath, sources[i], dir + "/direct-thumb.jpg"));
      probeDirect[i] = std::min(probeDirect[i], Ms(Clock::now() - start));
      const std::string output =
          dir + "/direct-" + std::filesystem::path(sources[i]).stem().string() + ".avi";
      start = Clock::now();
      RunDirect(quorbit::BuildCommandLine(quorbit::OutputFamily::kAvi,
                                          form.profiles.For(quorbit::OutputFamily::kAvi),
                                          form.encoderPath, sources[i], output));
      convertDirect[i] = std::min(convertDirect[i], Ms(Clock::now() - start));
    }
  }

  for (const std::string& s : sources) dialogs.files << QString::fromStdString(s);
  auto pressed = Clock::now();
  form.suiaddButtonClick();
  WaitFor([&] {
    return !form.isProbing() &&
           (form.suiListView1->topLevelItemCount() == clips || !dialogs.messages.isEmpty());
  });
  const double addMs = Ms(Clock::now() - pressed);
  if (form.suiListView1->topLevelItemCount() != clips) {
    std::fprintf(stderr, "only %d of %d clips listed\n", form.suiListView1->topLevelItemCount(),
                 clips);
    return 1;
  }
  Report("(a) Add", pressed, runner.ends, probeDirect, addMs);

  runner.ends.clear();
  pressed = Clock::now();
  form.suiconvertButtonClick();
  WaitFor([&] { return !dialogs.messages.isEmpty(); });
  const double convertMs = Ms(Clock::now() - pressed);
  if (dialogs.messages.isEmpty() ||
      dialogs.messages.back() != "All Flv files have been converted!") {
    std::fprintf(stderr, "the batch did not end well: %s\n",
                 dialogs.messages.isEmpty() ? "no end message"
                                            : dialogs.messages.back().toStdString().c_str());
    return 1;
  }
  Report("(b) Convert to AVI", pressed, runner.ends, convertDirect, convertMs);

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
