// What the benchmarks share: timing and running a command directly.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/process.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Runs the command line to its end with no input and its output discarded; true when it
// exited with 0.
inline bool RunDirect(const std::string& command) {
  int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  platform::ChildProcess child;
  bool ok = platform::LaunchCommandLine(command, null, null, null, {}, &child, nullptr);
  close(null);
  if (!ok) return false;
  int status = 0;
  child.ReapAndRelease(&status);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace bench
