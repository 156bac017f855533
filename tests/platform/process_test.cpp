#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using platform::ChildProcess;
using platform::LaunchOptions;
using platform::UniqueFd;
using testing_support::FileExists;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WaitUntil;

const std::string kFake = std::string(QUORBIT_TEST_BIN_DIR) + "fake_encoder";

struct DevNull {
  UniqueFd fd{open("/dev/null", O_RDWR | O_CLOEXEC)};
};

bool Launch(const std::string& commandLine, ChildProcess* child, std::string* error = nullptr,
            LaunchOptions options = {}) {
  DevNull null;
  return platform::LaunchCommandLine(commandLine, null.fd.get(), null.fd.get(), null.fd.get(),
                                     options, child, error);
}

int WaitStatus(ChildProcess* child) {
  int status = -1;
  child->ReapAndRelease(&status);
  return status;
}

bool ProcessGone(pid_t pid) {
  if (kill(pid, 0) != 0) return true;
  // Killed but not yet reaped by whoever adopted it counts as gone too.
  std::string stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
  size_t close = stat.rfind(')');
  return close == std::string::npos || (close + 2 < stat.size() && stat[close + 2] == 'Z');
}

TEST(ProcessCommandLine, SplitsLikeTheComposedLines) {
  struct Case {
    const char* line;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"", {}},
      {"   ", {}},
      {"a b\tc", {"a", "b", "c"}},
      {"  lead  trail  ", {"lead", "trail"}},
      {"\"/sys dir/ffmpeg\" -i \"/in put/a b.flv\" -y \"/out/a b.avi\"",
       {"/sys dir/ffmpeg", "-i", "/in put/a b.flv", "-y", "/out/a b.avi"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\" x", {"", "x"}},
      {"\"unterminated run", {"unterminated run"}},
      {"back\\slash \\\"x\\\"", {"back\\slash", "\\x\\"}},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::SplitCommandLine(c.line), c.items) << c.line;
}

TEST(ProcessLaunch, FailsForWhatCannotRun) {
  TempDir dir;
  testing_support::WriteWholeFile(dir.File("plain.txt"), "#!/bin/sh\nexit 0\n");
  chmod(dir.File("plain.txt").c_str(), 0644);
  const std::string cases[] = {dir.File("missing"), dir.File("plain.txt"), dir.path(),
                               "no-such-program-anywhere", ""};
  for (const std::string& program : cases) {
    ChildProcess child;
    std::string error;
    EXPECT_FALSE(Launch("\"" + program + "\" -version", &child, &error)) << program;
    EXPECT_FALSE(child.held());
    EXPECT_FALSE(error.empty()) << program;
  }
}

TEST(ProcessLaunch, ChildGetsOnlyItsThreeStreamsACleanSignalStateAndItsOwnSession) {
  TempDir dir;
  // Descriptors and signal state the child must not inherit.
  int leaked = open("/dev/null", O_RDONLY);  // deliberately without O_CLOEXEC
  ASSERT_GE(leaked, 3);
  sigset_t block, old;
  sigemptyset(&block);
  sigaddset(&block, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &block, &old);
  struct sigaction ignore {
  }, oldPipe{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &oldPipe);

  ChildProcess child;
  ASSERT_TRUE(Launch(
      kFake + " fds:" + dir.File("fds") + " status:" + dir.File("status") + " sleep:200", &child));
  const pid_t pid = child.pid();
  EXPECT_EQ(getsid(pid), pid);
  EXPECT_EQ(getpgid(pid), pid);
  EXPECT_EQ(WaitStatus(&child), 0);

  sigaction(SIGPIPE, &oldPipe, nullptr);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  close(leaked);

  EXPECT_EQ(ReadWholeFile(dir.File("fds")), "0\n1\n2\n");
  EXPECT_EQ(ReadWholeFile(dir.File("status")),
            "SigBlk:\t0000000000000000\nSigIgn:\t0000000000000000\n");
}

TEST(ProcessLaunch, QuotedProgramAndArgumentsWithBlanksArrive) {
  TempDir dir;
  const std::string folder = dir.File("a folder with blanks");
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(kFake, folder + "/fake encoder");
  ChildProcess child;
  ASSERT_TRUE(Launch(
      "\"" + folder + "/fake encoder\" \"args:" + dir.File("args") + "\" \"err:two words\" sleep:1",
      &child));
  EXPECT_EQ(WaitStatus(&child), 0);
  EXPECT_EQ(ReadWholeFile(dir.File("args")),
            folder + "/fake encoder\nargs:" + dir.File("args") + "\nerr:two words\nsleep:1\n");
}

TEST(ProcessLaunch, ExitStatusAndSignalAreSeenWithoutReaping) {
  struct Case {
    const char* steps;
    bool exited;
    int code;
  };
  const Case cases[] = {
      {"exit:0", true, 0}, {"exit:69", true, 69}, {"signal:SEGV", false, SIGSEGV}};
  for (const Case& c : cases) {
    ChildProcess child;
    ASSERT_TRUE(Launch(kFake + " " + c.steps, &child));
    EXPECT_EQ(child.Wait(-1, 10000), ChildProcess::WaitResult::kEnded);
    int status = 0;
    ASSERT_TRUE(child.HasEnded(&status));
    EXPECT_TRUE(child.held());  // not reaped yet
    if (c.exited) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.code) << c.steps;
    } else {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.code) << c.steps;
    }
    child.ReapAndRelease();
  }
}

TEST(ProcessKill, KillsTheWholeGroupAndLeavesNoZombie) {
  TempDir dir;
  ChildProcess child;
  ASSERT_TRUE(Launch(kFake + " grandchild:60000:" + dir.File("gc") + " sleep:60000", &child));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(dir.File("gc")); }));
  const pid_t pid = child.pid();
  const pid_t grandchild = std::stoi(ReadWholeFile(dir.File("gc")));
  child.KillAndRelease();
  EXPECT_FALSE(child.held());
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);  // already reaped: no zombie of ours
  EXPECT_EQ(errno, ECHILD);
  EXPECT_TRUE(WaitUntil([&] { return ProcessGone(grandchild); }));
}

TEST(ProcessWait, EventEndsTheWaitAndStaysSet) {
  platform::Event event;
  ASSERT_TRUE(event.Create());
  EXPECT_FALSE(event.IsSet());
  ChildProcess child;
  ASSERT_TRUE(Launch(kFake + " sleep:60000", &child));
  EXPECT_EQ(child.Wait(event.fd(), 0), ChildProcess::WaitResult::kTimeout);
  event.Set();
  EXPECT_EQ(child.Wait(event.fd(), -1), ChildProcess::WaitResult::kEvent);
  EXPECT_TRUE(event.IsSet());
  child.KillAndRelease();
}

TEST(ProcessLaunch, ChildDiesWithTheThreadThatStartedIt) {
  TempDir dir;
  ChildProcess child;
  std::thread starter([&] {
    LaunchOptions options;
    options.killOnParentDeath = true;
    ASSERT_TRUE(Launch(kFake + " sleep:60000", &child, nullptr, options));
  });
  starter.join();
  EXPECT_EQ(child.Wait(-1, 10000), ChildProcess::WaitResult::kEnded);
  int status = 0;
  child.ReapAndRelease(&status);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

}  // namespace
