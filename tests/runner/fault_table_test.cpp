// What the runner reports when the encoder, the runner itself or its job goes wrong: one row
// per fault, the real norcel on a job for a stand-in main window, the fake encoder or the real
// one on a clip the test makes. After every row no runner or encoder is left, no child is a
// zombie and this process holds the descriptors it held before.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "common/job_file.h"
#include "common/text_codec.h"
#include "platform/folders.h"
#include "runner_support.h"

namespace {

using namespace runner_testing;
using common::JOB_ENDED;
using common::JOB_PROGRESS;
using common::JOB_STARTED;
using common::JOB_STOP;
using testing_support::FileExists;
using testing_support::PrivateSystemFolder;
using testing_support::ProcessesWithEnvironment;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WaitUntil;
using testing_support::WriteWholeFile;

// What happens to the runner once it has been started.
enum class Meddling {
  kNone,
  kKillRunner,           // SIGKILL once the encoder runs
  kStopBeforeJobIsRead,  // the stop request as soon as the runner's window exists
  kBlockRunner,          // a window titled like a runner stays open
};

// Whether progress reports came: none, at least one, or either.
enum class Progress { kNone, kSome, kEither };

// How the job is given.
struct Given {
  bool probe = false;
  // The command the job carries. "{fake}" is the fake encoder, which first writes its pid to
  // the marker; "{ffmpeg}" the real encoder; "{dir}" a private folder that holds "clip.flv",
  // "not executable" (a script without execute bits) and "a folder".
  std::string command;
  // When not empty, the job file as written instead of a good one: "{W}" stands for the main
  // window and "{C}" for the scrambled command.
  std::string jobFile;
  Meddling meddling = Meddling::kNone;

  Given As(const std::string& text) const {
    Given g = *this;
    g.jobFile = text;
    return g;
  }
  Given With(Meddling m) const {
    Given g = *this;
    g.meddling = m;
    return g;
  }
};
Given Run(const std::string& command) {
  return {false, command, "", Meddling::kNone};
}
Given Probe(const std::string& command) {
  return {true, command, "", Meddling::kNone};
}

// What the stand-in main window sees.
struct Expected {
  std::vector<Report> reports;  // less JOB_PROGRESS
  Progress progress = Progress::kNone;
  bool encoderRuns = false;  // checked for "{fake}" only
  bool jobStays = false;     // the job file is left for its owner

  Expected WithProgress(Progress p = Progress::kSome) const {
    Expected e = *this;
    e.progress = p;
    return e;
  }
  Expected EncoderRan() const {
    Expected e = *this;
    e.encoderRuns = true;
    return e;
  }
  Expected JobStays() const {
    Expected e = *this;
    e.jobStays = true;
    return e;
  }
};
Expected Says(std::vector<Report> reports) {
  return {std::move(reports)};
}

struct RunnerRow {
  std::string name;
  Given given;
  Expected expected;
};

std::ostream& operator<<(std::ostream& out, const RunnerRow& row) {
  return out << row.name;
}

const Report kStarted{JOB_STARTED, 0};
const Report kEndedWell{JOB_ENDED, 0};
const Report kRefused{JOB_ENDED, common::JOB_REFUSED};
const Report kFailed{JOB_ENDED, common::JOB_ENCODER_FAILED};
const std::string kHugeC(common::kMaxScrambledCommand + 2, 'B');
const std::string kGarbage = std::string("\x7f\xfe garbage ") + '\0' + "\x01[Command\nW\n=C\n\xff";

const std::vector<RunnerRow> kRows = {
    // The encoder.
    {"encoder missing", Run("\"{dir}/no such encoder\" -i x"), Says({kRefused})},
    {"encoder not executable", Run("\"{dir}/not executable\" -i x"), Says({kRefused})},
    {"encoder is a folder", Run("\"{dir}/a folder\" -i x"), Says({kRefused})},
    {"encoder crashes", Run("{fake} err:time=1.0\\r signal:SEGV"),
     Says({kStarted, kFailed}).WithProgress().EncoderRan()},
    {"encoder exits 0", Run("{fake} err:time=1.0\\r exit:0"),
     Says({kStarted, kEndedWell}).WithProgress().EncoderRan()},
    {"encoder exits 1", Run("{fake} exit:1"), Says({kStarted, kFailed}).EncoderRan()},
    {"encoder exits 69", Run("{fake} exit:69"), Says({kStarted, kFailed}).EncoderRan()},
    {"encoder exits 255", Run("{fake} exit:255"), Says({kStarted, kFailed}).EncoderRan()},
    {"encoder killed by SIGKILL", Run("{fake} signal:KILL"),
     Says({kStarted, kFailed}).EncoderRan()},
    {"encoder killed by SIGTERM", Run("{fake} signal:TERM"),
     Says({kStarted, kFailed}).EncoderRan()},
    {"8 MiB of error output without a newline", Run("{fake} bigerr:8388608 exit:0"),
     Says({kStarted, kEndedWell}).EncoderRan()},
    // A probe keeps only the start of its error output: a duration behind 8 MiB is not seen.
    {"8 MiB of error output before a probe's duration",
     Probe("{fake} bigerr:8388608 \"err:Duration: 00:01:00.00,\" exit:0"),
     Says({kStarted, kEndedWell}).EncoderRan()},
    {"grandchild holds the pipes for a minute",
     Run("{fake} grandchild:60000:{dir}/grandchild err:time=2.0\\r exit:0"),
     Says({kStarted, kEndedWell}).WithProgress().EncoderRan()},
    {"encoder writes to its output", Run("{fake} out:hello sleep:60000"),
     Says({kStarted, {JOB_STOP, 0}}).EncoderRan()},
    {"real encoder converts", Run("\"{ffmpeg}\" -nostdin -i \"{dir}/clip.flv\" -y \"{dir}/a.mp3\""),
     Says({kStarted, kEndedWell}).WithProgress(Progress::kEither)},
    {"real encoder, source missing",
     Run("\"{ffmpeg}\" -nostdin -i \"{dir}/gone.flv\" -y \"{dir}/gone.mp3\""),
     Says({kStarted, kFailed})},
    {"real encoder, output folder missing",
     Run("\"{ffmpeg}\" -nostdin -i \"{dir}/clip.flv\" -y \"{dir}/missing/a.mp3\""),
     Says({kStarted, kFailed})},
    {"real encoder probes",
     Probe(
         "\"{ffmpeg}\" -nostdin -i \"{dir}/clip.flv\" -y -f image2 -ss 1 -t 0.001 \"{dir}/t.jpg\""),
     Says({kStarted, {JOB_ENDED, 2}})},
    // The runner.
    {"runner killed mid-run", Run("{fake} sleep:60000").With(Meddling::kKillRunner),
     Says({kStarted}).EncoderRan()},
    {"runner refused at its single-instance check",
     Run("{fake} exit:0").With(Meddling::kBlockRunner), Says({}).JobStays()},
    {"stop within the first 220 ms", Run("{fake} exit:0").With(Meddling::kStopBeforeJobIsRead),
     Says({}).JobStays()},
    // The job file.
    {"job file of garbage", Run("{fake} exit:0").As(kGarbage), Says({})},
    {"job without C", Run("{fake} exit:0").As("[Command]\nM=0\nW={W}\n"), Says({kRefused})},
    {"job without W", Run("{fake} exit:0").As("[Command]\nM=0\nC={C}\n"), Says({})},
    {"job without M is a conversion",
     Run("{fake} \"err:Duration: 00:00:42.00,\" exit:0").As("[Command]\nW={W}\nC={C}\n"),
     Says({kStarted, kEndedWell}).EncoderRan()},
    {"job with a C too long", Run("{fake} exit:0").As("[Command]\nM=0\nW={W}\nC=" + kHugeC + "\n"),
     Says({kRefused})},
    {"job with a C of 8 MiB without a newline",
     Run("{fake} exit:0").As("[Command]\nM=0\nW={W}\nC=" + std::string(8 << 20, 'B')),
     Says({kRefused})},
    // Nobody hears of the run, but it runs.
    {"job whose W names no window",
     Run("{fake} exit:0").As("[Command]\nM=0\nW=2147483000\nC={C}\n"), Says({}).EncoderRan()},
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

class RunnerFaultTable : public ::testing::TestWithParam<RunnerRow> {};

TEST_P(RunnerFaultTable, RowReportsTheTruthAndLeavesNothingBehind) {
  const RunnerRow& row = GetParam();
  const std::vector<std::string> descriptorsBefore = OpenDescriptors();
  {
    PrivateSystemFolder system;
    TempDir dir;
    MainWindow main;
    const std::string marker = dir.File("encoder ran");
    WriteWholeFile(dir.File("not executable"), "#!/bin/sh\nexit 0\n");
    chmod(dir.File("not executable").c_str(), 0644);  // not even root may run it
    std::filesystem::create_directory(dir.File("a folder"));
    if (row.given.command.find("clip.flv") != std::string::npos) {
      ASSERT_TRUE(MakeFlv(dir.File("clip.flv"), 2));
    }
    std::string command =
        Replaced(row.given.command, "{fake}", "\"" + kFake + "\" \"pidfile:" + marker + "\"");
    command = Replaced(Replaced(command, "{ffmpeg}", kFfmpeg), "{dir}", dir.path());

    const std::string jobPath = common::JobFilePath(platform::SystemFolder());
    std::unique_ptr<platform::MessageWindow> blocker;
    if (row.given.meddling == Meddling::kBlockRunner) {
      blocker = platform::MessageWindow::Open(common::RunnerWindowTitle);
      ASSERT_TRUE(blocker);
    }
    platform::ChildProcess norcel;
    if (!row.given.jobFile.empty()) {
      WriteWholeFile(jobPath,
                     Replaced(Replaced(row.given.jobFile, "{W}", std::to_string(main.handle())),
                              "{C}", common::ScrambleText(command)));
      norcel = StartNorcel();
    } else {
      norcel = StartJob(main.handle(), row.given.probe, command);
    }
    ASSERT_TRUE(norcel.held());

    switch (row.given.meddling) {
      case Meddling::kKillRunner:
        ASSERT_TRUE(WaitUntil([&] { return FileExists(marker); }));
        ASSERT_EQ(kill(norcel.pid(), SIGKILL), 0);
        break;
      case Meddling::kStopBeforeJobIsRead:
        ASSERT_TRUE(
            WaitUntil([] { return platform::FindWindowByTitle(common::RunnerWindowTitle) != 0; },
                      std::chrono::seconds(10)));
        EXPECT_TRUE(common::RequestStop());
        break;
      default:
        break;
    }
    // A grandchild or a flood must not hold the runner up for long.
    ASSERT_TRUE(WaitForExit(&norcel, &main, std::chrono::seconds(30))) << "the runner did not end";
    blocker.reset();

    std::vector<Report> reports;
    int32_t lastProgress = -1;
    size_t progress = 0;
    for (const Report& r : main.reports()) {
      if (r.code != JOB_PROGRESS) {
        reports.push_back(r);
        continue;
      }
      ++progress;
      EXPECT_GE(r.value, lastProgress) << "progress went back";
      lastProgress = r.value;
    }
    EXPECT_EQ(reports, row.expected.reports);
    if (row.expected.progress != Progress::kEither) {
      EXPECT_EQ(progress > 0, row.expected.progress == Progress::kSome)
          << progress << " progress reports";
    }
    if (row.given.command.find("{fake}") != std::string::npos) {
      EXPECT_EQ(FileExists(marker), row.expected.encoderRuns) << "whether the encoder ran";
    }
    EXPECT_EQ(FileExists(jobPath), row.expected.jobStays) << "whether the job file is left";

    const std::string entry = "QUORBIT_SYSTEM_DIR=" + platform::SystemFolder().substr(
                                                          0, platform::SystemFolder().size() - 1);
    EXPECT_TRUE(WaitUntil([&] { return ProcessesWithEnvironment(entry).empty(); },
                          std::chrono::seconds(10)))
        << "an encoder or a runner is still running";
    for (pid_t pid : ProcessesWithEnvironment(entry)) kill(pid, SIGKILL);  // ours
    EXPECT_EQ(ZombieChildren(), 0);
  }
  EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
}

std::string RowName(const ::testing::TestParamInfo<RunnerRow>& info) {
  return testing_support::AsTestName(info.param.name);
}

INSTANTIATE_TEST_SUITE_P(Runner, RunnerFaultTable, ::testing::ValuesIn(kRows), RowName);

}  // namespace
