// norcel end to end with the fake encoder: the reports of each kind of run, the job cases,
// the stop request and the single-instance rule.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>

#include <gtest/gtest.h>

#include "common/job_file.h"
#include "common/text_codec.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile_file.h"
#include "runner_support.h"

namespace {

using namespace runner_testing;
using common::JOB_ENDED;
using common::JOB_PROGRESS;
using common::JOB_STARTED;
using common::JOB_STOP;
using testing_support::FileExists;
using testing_support::PrivateSystemFolder;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WaitUntil;
using Clock = std::chrono::steady_clock;

std::string Fake(const std::string& steps) {
  return "\"" + kFake + "\" " + steps;
}

std::string JobPath() {
  return common::JobFilePath(platform::SystemFolder());
}

class Norcel : public ::testing::Test {
 protected:
  PrivateSystemFolder system;
  TempDir dir;
  MainWindow main;
};

TEST_F(Norcel, ConversionReportsProgressInOrderThenItsEnd) {
  // Each step is its own write, a pause apart, so each arrives as its own chunk.
  auto child =
      StartJob(main.handle(), false,
               Fake("\"err:frame= 1250 q=5.0 size= 2048kB time=51.23 bitrate= 327\\r\" sleep:100 "
                    "err:time=00:01:02.50\\r sleep:100 "
                    "\"err:time=70.1 and time=99.9\\r\" sleep:100 "
                    "err:time=75 sleep:100 err:.5\\r sleep:100 "  // the dot in the next chunk
                    "err:tim sleep:100 err:e=80.0\\r sleep:100 "  // "time=" split
                    "err:time=N/A\\r sleep:100 err:time=-00:00:00.04\\r sleep:100 "
                    "err:time=01:02:03.99\\r"));
  ASSERT_TRUE(WaitForExit(&child, &main));
  const std::vector<Report> expected = {{JOB_STARTED, 0},     {JOB_PROGRESS, 51},
                                        {JOB_PROGRESS, 62},   {JOB_PROGRESS, 70},
                                        {JOB_PROGRESS, 3723}, {JOB_ENDED, 0}};
  EXPECT_EQ(main.reports(), expected);
  EXPECT_FALSE(FileExists(JobPath()));
}

TEST_F(Norcel, EndReportTellsHowTheEncoderEnded) {
  struct Case {
    std::string command;
    bool probe;
    std::vector<Report> reports;
  };
  const std::string missing = dir.File("no such encoder");
  const Case cases[] = {
      {Fake("exit:0"), false, {{JOB_STARTED, 0}, {JOB_ENDED, 0}}},
      {Fake("exit:1"), false, {{JOB_STARTED, 0}, {JOB_ENDED, -2}}},
      {Fake("exit:255"), false, {{JOB_STARTED, 0}, {JOB_ENDED, -2}}},
      {Fake("signal:SEGV"), false, {{JOB_STARTED, 0}, {JOB_ENDED, -2}}},
      {"\"" + missing + "\" -i x", false, {{JOB_ENDED, -1}}},
      {"\"" + dir.path() + "\" -i x", true, {{JOB_ENDED, -1}}},
      // A probe reports the duration it read, whatever the exit status.
      {Fake("\"err:  Duration: 00:03:25.40, start: 0.000000\\n\" exit:1"),
       true,
       {{JOB_STARTED, 0}, {JOB_ENDED, 205}}},
      {Fake("\"err:  Duration: N/A, start\\n\""), true, {{JOB_STARTED, 0}, {JOB_ENDED, 0}}},
      // The report written just before the end is still read.
      {Fake("bigerr:60000 \"err:Duration: 01:02:03.99,\" exit:0"),
       true,
       {{JOB_STARTED, 0}, {JOB_ENDED, 3723}}},
  };
  for (const Case& c : cases) {
    MainWindow receiver;
    auto child = StartJob(receiver.handle(), c.probe, c.command);
    ASSERT_TRUE(WaitForExit(&child, &receiver)) << c.command;
    EXPECT_EQ(receiver.reports(), c.reports) << c.command;
  }
}

TEST_F(Norcel, OutputTextStopsTheRunWithoutAnEndReport) {
  auto child = StartJob(
      main.handle(), false,
      Fake("err:time=3.0 sleep:100 out:hello pidfile:" + dir.File("pid") + " sleep:60000"));
  ASSERT_TRUE(WaitForExit(&child, &main));
  EXPECT_EQ(main.reports().front(), (Report{JOB_STARTED, 0}));
  EXPECT_GE(main.Count(JOB_STOP), 1u);
  EXPECT_EQ(main.Count(JOB_ENDED), 0u);
  ASSERT_TRUE(FileExists(dir.File("pid")));
  EXPECT_TRUE(ProcessGone(std::stoi(ReadWholeFile(dir.File("pid")))));
}

TEST_F(Norcel, FloodOfErrorOutputNeitherBlocksNorOverruns) {
  // 8 MiB without a newline, for a conversion and for a probe (whose capture is bounded).
  for (bool probe : {false, true}) {
    MainWindow receiver;
    auto child = StartJob(receiver.handle(), probe, Fake("bigerr:8388608 \"err:time=5.0 \""));
    ASSERT_TRUE(WaitForExit(&child, &receiver, std::chrono::seconds(60))) << probe;
    ASSERT_FALSE(receiver.reports().empty());
    EXPECT_EQ(receiver.reports().back(), (Report{JOB_ENDED, 0})) << probe;
  }
}

TEST_F(Norcel, GrandchildHoldingThePipesDoesNotHoldTheEndReport) {
  const auto started = Clock::now();
  auto child = StartJob(main.handle(), false,
                        Fake("grandchild:60000:" + dir.File("gc") + " err:time=2.0\\r exit:0"));
  ASSERT_TRUE(main.WaitFor(JOB_ENDED, std::chrono::seconds(20)));
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));
  ASSERT_TRUE(WaitForExit(&child, &main));
  EXPECT_EQ(main.reports().back(), (Report{JOB_ENDED, 0}));
  // The grandchild went with the encoder's process group.
  ASSERT_TRUE(FileExists(dir.File("gc")));
  EXPECT_TRUE(WaitUntil([&] { return ProcessGone(std::stoi(ReadWholeFile(dir.File("gc")))); }));
}

TEST_F(Norcel, StopRequestEndsTheEncoderAndTheRunner) {
  auto child = StartJob(main.handle(), false,
                        Fake("pidfile:" + dir.File("pid") + " err:time=1.0\\r sleep:60000"));
  ASSERT_TRUE(main.WaitFor(JOB_PROGRESS));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(dir.File("pid")); }));
  const pid_t encoder = std::stoi(ReadWholeFile(dir.File("pid")));

  // Any other code is answered 1 and changes nothing.
  const platform::WindowHandle runner = platform::FindWindowByTitle("tarvik2");
  ASSERT_NE(runner, 0u);
  int32_t reply = 0;
  ASSERT_TRUE(
      platform::SendWindowMessage(runner, common::ProgressMessage, JOB_PROGRESS, 0, &reply));
  EXPECT_EQ(reply, 1);
  EXPECT_FALSE(ProcessGone(encoder));

  const auto before = Clock::now();
  EXPECT_TRUE(common::RequestStop());
  EXPECT_GE(Clock::now() - before, std::chrono::milliseconds(1200));
  EXPECT_EQ(platform::FindWindowByTitle("tarvik2"), 0u);
  EXPECT_TRUE(ProcessGone(encoder));
  ASSERT_TRUE(WaitForExit(&child, &main));
  EXPECT_EQ(main.Count(JOB_ENDED), 0u);
}

TEST_F(Norcel, StopBeforeTheJobIsReadLeavesTheJobAlone) {
  ASSERT_TRUE(common::WriteJobFile(false, main.handle(), Fake("pidfile:" + dir.File("pid"))));
  auto child = StartNorcel();
  ASSERT_TRUE(WaitUntil([] { return platform::FindWindowByTitle("tarvik2") != 0; },
                        std::chrono::milliseconds(150)));
  EXPECT_TRUE(common::RequestStop());
  ASSERT_TRUE(WaitForExit(&child, &main));
  EXPECT_TRUE(FileExists(JobPath()));
  EXPECT_FALSE(FileExists(dir.File("pid")));
  EXPECT_TRUE(main.reports().empty());
}

TEST_F(Norcel, JobCases) {
  struct Case {
    const char* name;
    const char* m;  // nullptr: key missing
    bool withWindow;
    bool withCommand;
    std::vector<Report> reports;
    bool encoderRuns;
  };
  const Case cases[] = {
      {"no window", "0", false, true, {}, false},
      {"window without command", "0", true, false, {{JOB_ENDED, -1}}, false},
      {"M of 2 is a probe", "2", true, true, {{JOB_STARTED, 0}, {JOB_ENDED, 42}}, true},
      {"missing M is a conversion", nullptr, true, true, {{JOB_STARTED, 0}, {JOB_ENDED, 0}}, true},
  };
  for (const Case& c : cases) {
    MainWindow receiver;
    const std::string marker = dir.File(std::string("ran-") + c.name);
    const std::string path = JobPath();
    if (c.m) platform::WriteProfileString("Command", "M", c.m, path);
    platform::WriteProfileString("Command", "W",
                                 c.withWindow ? std::to_string(receiver.handle()) : "0", path);
    if (c.withCommand) {
      platform::WriteProfileString(
          "Command", "C",
          common::ScrambleText(Fake("\"pidfile:" + marker + "\" \"err:Duration: 00:00:42.00\"")),
          path);
    }
    auto child = StartNorcel();
    ASSERT_TRUE(WaitForExit(&child, &receiver)) << c.name;
    EXPECT_EQ(receiver.reports(), c.reports) << c.name;
    EXPECT_EQ(FileExists(marker), c.encoderRuns) << c.name;
    EXPECT_FALSE(FileExists(path)) << c.name;
  }
}

TEST_F(Norcel, CommandTooLongForTheJobIsRefusedWhole) {
  platform::WriteProfileString("Command", "W", std::to_string(main.handle()), JobPath());
  platform::WriteProfileString("Command", "C", std::string(common::kMaxScrambledCommand + 2, 'B'),
                               JobPath());
  auto child = StartNorcel();
  ASSERT_TRUE(WaitForExit(&child, &main));
  EXPECT_EQ(main.reports(), (std::vector<Report>{{JOB_ENDED, -1}}));
}

TEST_F(Norcel, SecondRunnerWaitsForTheFirstThenGivesUp) {
  // A window titled like a runner that never goes away: the new runner gives up and the
  // job stays for its owner.
  auto blocker = platform::MessageWindow::Open("tarvik2");
  ASSERT_TRUE(blocker);
  ASSERT_TRUE(common::WriteJobFile(false, main.handle(), Fake("exit:0")));
  auto child = StartNorcel();
  ASSERT_TRUE(WaitForExit(&child, &main));
  EXPECT_TRUE(FileExists(JobPath()));
  EXPECT_TRUE(main.reports().empty());

  // One that goes away within the wait: the job runs. The blocker is closed once the new
  // runner has been seen looking at it.
  blocker->Dispatch([](const platform::WindowMessage&) { return 0; });
  child = StartNorcel();
  pollfd looked{blocker->fd(), POLLIN, 0};
  ASSERT_EQ(poll(&looked, 1, 10000), 1);
  blocker->Close();
  ASSERT_TRUE(WaitForExit(&child, &main));
  EXPECT_EQ(main.reports(), (std::vector<Report>{{JOB_STARTED, 0}, {JOB_ENDED, 0}}));
}

TEST_F(Norcel, KilledRunnerTakesItsEncoderAlong) {
  auto child = StartJob(main.handle(), false, Fake("pidfile:" + dir.File("pid") + " sleep:60000"));
  ASSERT_TRUE(main.WaitFor(JOB_STARTED));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(dir.File("pid")); }));
  const pid_t encoder = std::stoi(ReadWholeFile(dir.File("pid")));
  kill(child.pid(), SIGKILL);
  ASSERT_TRUE(WaitForExit(&child, &main));
  EXPECT_TRUE(WaitUntil([&] { return ProcessGone(encoder); }));
}

TEST_F(Norcel, ManyRefusedJobsLeaveNoZombieNorDescriptor) {
  const std::vector<std::string> before = OpenDescriptors();
  for (int i = 0; i < 200; ++i) {
    auto child = StartJob(main.handle(), false, "");
    // As the main program does: the next job as soon as this one has reported its end.
    ASSERT_TRUE(WaitUntil([&] {
      main.Pump();
      return main.Count(JOB_ENDED) == static_cast<size_t>(i + 1);
    })) << i;
    ASSERT_TRUE(WaitForExit(&child, nullptr)) << i;
  }
  EXPECT_EQ(main.reports(), std::vector<Report>(200, Report{JOB_ENDED, -1}));
  EXPECT_EQ(ZombieChildren(), 0);
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
