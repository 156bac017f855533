#include "test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/process.h"

namespace testing_support {

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/quorbit-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const std::string& name, const std::optional<std::string>& value)
    : name_(name) {
  if (const char* old = getenv(name.c_str())) old_ = old;
  if (value)
    setenv(name.c_str(), value->c_str(), 1);
  else
    unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
  if (old_)
    setenv(name_.c_str(), old_->c_str(), 1);
  else
    unsetenv(name_.c_str());
}

PrivateSystemFolder::PrivateSystemFolder() : env_("QUORBIT_SYSTEM_DIR", dir_.path()) {}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteWholeFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
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
  std::vector<std::string> argv{QUORBIT_FFMPEG,
                                "-nostdin",
                                "-v",
                                "error",
                                "-y",
                                "-f",
                                "lavfi",
                                "-i",
                                "testsrc=size=160x120:rate=25:duration=" + std::to_string(seconds)};
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

std::vector<pid_t> ProcessesWithEnvironment(const std::string& entry) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  while (dirent* e = readdir(proc)) {
    char* end = nullptr;
    const long pid = strtol(e->d_name, &end, 10);
    if (*end != '\0' || pid <= 0 || pid == getpid()) continue;
    const std::string base = std::string("/proc/") + e->d_name;
    std::string stat;
    std::string environ;
    try {
      stat = ReadWholeFile(base + "/stat");
      environ = ReadWholeFile(base + "/environ");
    } catch (const std::exception&) {
      continue;  // ended meanwhile, or not ours
    }
    const size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) continue;
    const char state = stat[close + 2];
    if (state == 'Z' || state == 'X') continue;
    size_t pos = 0;
    while (pos < environ.size()) {
      const size_t next = environ.find('\0', pos);
      const std::string item = environ.substr(pos, next == std::string::npos ? next : next - pos);
      if (item == entry) {
        found.push_back(static_cast<pid_t>(pid));
        break;
      }
      if (next == std::string::npos) break;
      pos = next + 1;
    }
  }
  closedir(proc);
  return found;
}

std::string AsTestName(const std::string& text) {
  std::string name;
  for (char c : text) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

}  // namespace testing_support
