// Measures what the runner adds to an encoder run, and how much memory it needs.
//
//   build/bench/runner_bench [jobs]      (default 10)
//
// For each job: the time from starting norcel to its end report, against the same encoder
// command started directly; the overhead is the difference less norcel's fixed 220 ms wait
// before it reads the job. Also norcel's peak resident set (VmHWM), sampled while it runs.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/job_file.h"
#include "common/progress_message.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/window_messages.h"
#include "runner/runner_window.h"

namespace {

using bench::Clock;
using bench::Median;
using bench::Ms;
using bench::RunDirect;

long HighWaterKiB(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int jobs = argc > 1 ? std::atoi(argv[1]) : 10;
  char pattern[] = "/tmp/quorbit-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::string dir = pattern;
  setenv("QUORBIT_SYSTEM_DIR", (dir + "/system").c_str(), 1);

  const std::string ffmpeg = QUORBIT_FFMPEG;
  const std::string clip = dir + "/clip.flv";
  if (!RunDirect("\"" + ffmpeg +
                 "\" -nostdin -v error -f lavfi -i testsrc=size=320x240:duration=2 "
                 "-f lavfi -i sine=duration=2 -c:v flv -c:a mp3 -shortest -y \"" +
                 clip + "\"")) {
    std::fprintf(stderr, "cannot make the test clip with %s\n", ffmpeg.c_str());
    return 1;
  }
  const std::string command =
      "\"" + ffmpeg + "\" -i \"" + clip + "\" -ab 128k -ar 44100 -ac 2 -y \"" + dir + "/out.mp3\"";

  auto window = platform::MessageWindow::Open("");
  std::vector<double> overheads;
  long peakKiB = 0;
  std::printf("%4s %12s %12s %14s %10s\n", "job", "norcel ms", "direct ms", "overhead ms",
              "HWM KiB");
  for (int i = 0; i < jobs; ++i) {
    const auto directStart = Clock::now();
    RunDirect(command);
    const double direct = Ms(Clock::now() - directStart);

    if (!common::WriteJobFile(false, window->handle(), command)) return 1;
    platform::ChildProcess norcel;
    const auto start = Clock::now();
    if (!platform::StartDetached({std::string(QUORBIT_APP_DIR) + "norcel"}, &norcel)) return 1;
    bool ended = false;
    double viaRunner = 0;
    long hwm = 0;
    while (!norcel.HasEnded(nullptr)) {
      hwm = std::max(hwm, HighWaterKiB(norcel.pid()));
      pollfd p{window->fd(), POLLIN, 0};
      poll(&p, 1, 1);
      window->Dispatch([&](const platform::WindowMessage& m) {
        if (m.message == common::ProgressMessage && m.wParam == common::JOB_ENDED && !ended) {
          ended = true;
          viaRunner = Ms(Clock::now() - start);
        }
        return 0;
      });
    }
    norcel.ReapAndRelease();
    if (!ended) {
      std::fprintf(stderr, "job %d: no end report\n", i);
      return 1;
    }
    const double overhead = viaRunner - direct - runner::RunnerWindow::kJobDelayMs;
    overheads.push_back(overhead);
    peakKiB = std::max(peakKiB, hwm);
    std::printf("%4d %12.1f %12.1f %14.1f %10ld\n", i, viaRunner, direct, overhead, hwm);
  }
  std::printf("median overhead beyond the %d ms wait: %.1f ms; norcel peak RSS: %ld KiB\n",
              runner::RunnerWindow::kJobDelayMs, Median(overheads), peakKiB);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
