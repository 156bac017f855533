#include "common/job_file.h"

#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/progress_message.h"
#include "common/text_codec.h"
#include "platform/window_messages.h"
#include "support/test_support.h"

namespace {

using common::JobFilePath;
using common::kMaxScrambledCommand;
using common::ReadJob;
using common::ScrambleText;
using common::UnscrambleText;
using common::WriteJob;
using common::WriteJobFile;
using testing_support::FileExists;
using testing_support::PrivateSystemFolder;
using testing_support::ReadWholeFile;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::WaitUntil;
using testing_support::WriteWholeFile;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return 0;
  return st.st_mode & 07777;
}

// A command line as the main program composes them, padded with every byte value but NUL to
// exactly `length` bytes.
std::string CommandOfLength(size_t length) {
  std::string command = "\"/home/u/.local/state/quorbit/system/ffmpeg\" -i \"/media/a b/c.flv\" ";
  for (size_t i = 0; command.size() < length; ++i)
    command.push_back(static_cast<char>(1 + i % 255));
  command.resize(length);
  return command;
}

// A stand-in runner: copies the job file it finds into the marker "ran" in the system folder,
// so the test learns both that it started and what it was started on.
void WriteRunnerScript(const std::string& path) {
  WriteWholeFile(
      path,
      "#!/bin/sh\n"
      "cat \"$QUORBIT_SYSTEM_DIR/simplequorbitcore.ini\" > \"$QUORBIT_SYSTEM_DIR/ran.tmp\"\n"
      "mv \"$QUORBIT_SYSTEM_DIR/ran.tmp\" \"$QUORBIT_SYSTEM_DIR/ran\"\n");
  chmod(path.c_str(), 0755);
}

TEST(JobFile, WriteReplacesAnEarlierJobWithCommandMWCInOrderPrivately) {
  struct Case {
    bool probe;
    platform::WindowHandle window;
    std::string command;
    std::string m;
    std::string w;
  };
  const std::vector<Case> cases = {
      {true, 1, "\"/s/ffmpeg\" -i \"/v/a b.flv\"", "1", "1"},
      {false, 2147483647u, "\"/s/ffmpeg\" -y -i x.flv out.avi", "0", "2147483647"},
      {false, 0, "", "0", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("window " + std::to_string(c.window));
    PrivateSystemFolder system;
    const std::string path = JobFilePath(system.folder());
    // An earlier job, in another line-end style, readable by others, with keys of its own.
    WriteWholeFile(path, "[Other]\r\nX=1\r\n[Command]\r\nZ=stale\r\nC=OLD\r\nM=7\r\n");
    chmod(path.c_str(), 0644);
    chmod(system.folder().c_str(), 0755);

    ASSERT_TRUE(WriteJobFile(c.probe, c.window, c.command));

    EXPECT_EQ(ReadWholeFile(path),
              "[Command]\nM=" + c.m + "\nW=" + c.w + "\nC=" + ScrambleText(c.command) + "\n");
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(ModeOf(system.folder()), 0700u);
  }
}

TEST(JobFile, ReadTakesWCMAndDeletesTheFileWhateverItHolds) {
  struct Case {
    const char* name;
    std::string contents;
    platform::WindowHandle window;
    bool probe;
    std::string command;
  };
  const std::vector<Case> cases = {
      {"conversion", "[Command]\nM=0\nW=77\nC=ABCD\n", 77, false, "ABCD"},
      {"probe", "[Command]\nM=1\nW=77\nC=ABCD\n", 77, true, "ABCD"},
      {"any non-zero M is a probe", "[Command]\nM=2\nW=77\nC=ABCD\n", 77, true, "ABCD"},
      {"missing M is a conversion", "[Command]\nW=77\nC=ABCD\n", 77, false, "ABCD"},
      {"W without C (refused)", "[Command]\nM=0\nW=77\n", 77, false, ""},
      {"W = 0 with a command", "[Command]\nM=0\nW=0\nC=ABCD\n", 0, false, "ABCD"},
      {"largest handle", "[Command]\nM=0\nW=2147483647\nC=AB\n", 2147483647u, false, "AB"},
      {"keys in another section", "[Other]\nM=1\nW=77\nC=ABCD\n", 0, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PrivateSystemFolder system;
    const std::string path = JobFilePath(system.folder());
    WriteWholeFile(path, c.contents);

    const common::Job job = ReadJob();

    EXPECT_EQ(job.window, c.window);
    EXPECT_EQ(job.probe, c.probe);
    EXPECT_EQ(job.command, c.command);
    EXPECT_FALSE(job.commandTooLong);
    EXPECT_FALSE(FileExists(path));
  }
}

TEST(JobFile, MissingFileReadsAsAnEmptyJob) {
  PrivateSystemFolder system;
  const common::Job job = ReadJob();
  EXPECT_EQ(job.window, 0u);
  EXPECT_FALSE(job.probe);
  EXPECT_EQ(job.command, "");
  EXPECT_FALSE(job.commandTooLong);
  EXPECT_FALSE(FileExists(JobFilePath(system.folder())));
}

TEST(JobFile, LongCommandsArriveWhole) {
  // 649 bytes was the old limit; 32767 bytes is the longest whose scrambled text fits.
  for (size_t length : {649u, 650u, 651u, 1000u, 2047u, 4000u, 32767u}) {
    SCOPED_TRACE("length " + std::to_string(length));
    PrivateSystemFolder system;
    const std::string command = CommandOfLength(length);

    ASSERT_TRUE(WriteJobFile(false, 5, command));
    const common::Job job = ReadJob();

    EXPECT_FALSE(job.commandTooLong);
    EXPECT_EQ(job.window, 5u);
    EXPECT_EQ(UnscrambleText(job.command), command);
  }
}

TEST(JobFile, CommandBeyondTheBoundIsRefusedNeverCut) {
  struct Case {
    size_t length;
    bool refused;
  };
  const std::vector<Case> cases = {
      {kMaxScrambledCommand - 1, false}, {kMaxScrambledCommand, false},
      {kMaxScrambledCommand + 1, true},  {kMaxScrambledCommand + 2, true},
      {3 * kMaxScrambledCommand, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("C of " + std::to_string(c.length));
    PrivateSystemFolder system;
    const std::string path = JobFilePath(system.folder());
    const std::string scrambled(c.length, 'C');
    WriteWholeFile(path, "[Command]\nM=0\nW=9\nC=" + scrambled + "\n");

    const common::Job job = ReadJob();

    EXPECT_EQ(job.window, 9u);
    EXPECT_EQ(job.commandTooLong, c.refused);
    EXPECT_EQ(job.command, c.refused ? std::string() : scrambled);
    EXPECT_FALSE(FileExists(path));
  }
}

TEST(JobFile, WriteRefusesACommandTooLongToCarryAndWritesNothing) {
  PrivateSystemFolder system;
  const std::string command = CommandOfLength(kMaxScrambledCommand / 2 + 1);
  ASSERT_GT(ScrambleText(command).size(), kMaxScrambledCommand);

  EXPECT_FALSE(WriteJobFile(true, 5, command));
  EXPECT_FALSE(FileExists(JobFilePath(system.folder())));
}

TEST(JobFile, WriteJobStartsTheRunnerFromTheAppFolderOnTheWrittenJob) {
  PrivateSystemFolder system;
  TempDir app;
  WriteRunnerScript(app.File("norcel"));
  const std::string command = "\"/s/ffmpeg\" -i in.flv";
  platform::ChildProcess runner;
  std::string error;

  // The folder without its trailing '/': WriteJob adds it.
  ASSERT_TRUE(WriteJob(app.path(), true, 31, command, &runner, &error)) << error;
  ASSERT_TRUE(runner.held());

  ASSERT_TRUE(WaitUntil([&] { return FileExists(system.folder() + "ran"); }));
  // The runner found the complete job in place when it started.
  EXPECT_EQ(ReadWholeFile(system.folder() + "ran"),
            "[Command]\nM=1\nW=31\nC=" + ScrambleText(command) + "\n");
  int status = -1;
  runner.ReapAndRelease(&status);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(JobFile, WriteJobFailsWithAReasonWhenNoRunnerCanBeStarted) {
  enum class Runner { kMissing, kNotExecutable, kOnlyInPath, kPresent };
  struct Case {
    const char* name;
    Runner runner;
    bool emptyAppFolder;
    size_t commandLength;
    // The job is written before the runner is started and stays when the start fails; the
    // next WriteJob deletes it before writing its own.
    bool jobFileRemains;
  };
  const std::vector<Case> cases = {
      {"no norcel in the app folder", Runner::kMissing, false, 20, true},
      {"norcel not executable", Runner::kNotExecutable, false, 20, true},
      // An unknown app folder must not fall back to a "norcel" found through PATH.
      {"app folder unknown", Runner::kOnlyInPath, true, 20, false},
      {"command too long", Runner::kPresent, false, kMaxScrambledCommand, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PrivateSystemFolder system;
    TempDir app;
    TempDir pathDir;
    ScopedEnv path("PATH", pathDir.path());
    if (c.runner == Runner::kNotExecutable) {
      WriteWholeFile(app.File("norcel"), "#!/bin/sh\nexit 0\n");
      chmod(app.File("norcel").c_str(), 0644);
    } else if (c.runner == Runner::kOnlyInPath) {
      WriteRunnerScript(pathDir.File("norcel"));
    } else if (c.runner == Runner::kPresent) {
      WriteRunnerScript(app.File("norcel"));
    }
    platform::ChildProcess runner;
    std::string error;

    EXPECT_FALSE(WriteJob(c.emptyAppFolder ? std::string() : app.path(), false, 8,
                          CommandOfLength(c.commandLength), &runner, &error));

    EXPECT_FALSE(runner.held());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(FileExists(JobFilePath(system.folder())), c.jobFileRemains);
  }
}

// A message window served on a thread of its own; records what reaches it.
class RecordingWindow {
 public:
  explicit RecordingWindow(const std::string& title)
      : window_(platform::MessageWindow::Open(title)) {
    if (!window_) throw std::runtime_error("cannot open window " + title);
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd p{window_->fd(), POLLIN, 0};
        poll(&p, 1, 20);
        window_->Dispatch([this](const platform::WindowMessage& m) {
          std::lock_guard<std::mutex> lock(mutex_);
          received_.push_back(m);
          return 1;
        });
      }
    });
  }
  ~RecordingWindow() {
    stop_ = true;
    thread_.join();
  }
  std::vector<platform::WindowMessage> received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

 private:
  std::unique_ptr<platform::MessageWindow> window_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<platform::WindowMessage> received_;
  std::thread thread_;
};

TEST(JobFile, RequestStopSendsOnlyToTheRunnersWindow) {
  PrivateSystemFolder system;
  RecordingWindow nearMiss("tarvik");
  RecordingWindow otherCase("Tarvik2");

  // A send is answered before it returns, so anything sent would be recorded by now.
  EXPECT_FALSE(common::RequestStop());
  EXPECT_TRUE(nearMiss.received().empty());
  EXPECT_TRUE(otherCase.received().empty());

  RecordingWindow runner(common::RunnerWindowTitle);
  EXPECT_TRUE(common::RequestStop());
  const std::vector<platform::WindowMessage> got = runner.received();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, common::ProgressMessage);
  EXPECT_EQ(got[0].wParam, common::JOB_STOP);
  EXPECT_EQ(got[0].lParam, 0);
  EXPECT_TRUE(got[0].sent);
  EXPECT_TRUE(nearMiss.received().empty());
  EXPECT_TRUE(otherCase.received().empty());
}

}  // namespace
