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

bool ProcessGone(pid_t pid) {
  if (kill(pid, 0) != 0) return true;
  std::string stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
  size_t close = stat.rfind(')');
  return close == std::string::npos || (close + 2 < stat.size() && stat[close + 2] == 'Z');
}

namespace {
// Parent pid and state from /proc/PID/stat.
bool StatOf(const std::string& pid, pid_t* parent, char* state) {
  std::string stat = ReadWholeFile("/proc/" + pid + "/stat");
  size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 4 >= stat.size()) return false;
  *state = stat[close + 2];
  *parent = static_cast<pid_t>(std::atol(stat.c_str() + close + 4));
  return true;
}

template <typename F>
void ForEachProcess(F f) {
  DIR* d = opendir("/proc");
  if (!d) return;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
    pid_t parent = 0;
    char state = 0;
    if (StatOf(e->d_name, &parent, &state))
      f(static_cast<pid_t>(std::atol(e->d_name)), parent, state);
  }
  closedir(d);
}
}  // namespace

std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::vector<pid_t> out;
  ForEachProcess([&](pid_t p, pid_t parent, char) {
    if (parent == pid) out.push_back(p);
  });
  return out;
}

int ZombieChildren() {
  int n = 0;
  ForEachProcess([&](pid_t, pid_t parent, char state) { n += parent == getpid() && state == 'Z'; });
  return n;
}

std::vector<std::string> OpenDescriptors() {
  std::vector<std::string> out;
  DIR* d = opendir("/proc/self/fd");
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.' || std::atoi(e->d_name) == dirfd(d)) continue;
    char target[512] = {};
    std::string link = std::string("/proc/self/fd/") + e->d_name;
    ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    out.push_back(std::string(e->d_name) + " -> " + (n > 0 ? std::string(target, n) : "?"));
  }
  closedir(d);
  return out;
}

bool MakeFlv(const std::string& path, double seconds, bool withAudio) {
  std::vector<std::string> argv{
      kFfmpeg, "-nostdin", "-v",
      "error", "-y",       "-f",
      "lavfi", "-i",       "testsrc=size=160x120:rate=25:duration=" + std::to_string(seconds)};
  if (withAudio) {
    argv.insert(argv.end(),
                {"-f", "lavfi", "-i",
                 "sine=frequency=440:sample_rate=22050:duration=" + std::to_string(seconds)});
  }
  argv.insert(argv.end(), {"-c:v", "flv", "-shortest"});
  if (withAudio) argv.insert(argv.end(), {"-c:a", "mp3", "-ar", "22050"});
  argv.push_back(path);
  int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  platform::ChildProcess child;
  std::string error;
  bool ok = platform::LaunchArgv(argv, null, null, null, {}, &child, &error);
  close(null);
  if (!ok) return false;
  int status = 0;
  child.ReapAndRelease(&status);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace runner_testing
