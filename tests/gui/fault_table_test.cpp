// What the batch shows when the encoder, the runner, the job file, the output folder or a
// source goes wrong: one row per fault, each through the main window with the real runner.
// The encoder is the real one, or a small script in its place that writes the output and
// hands over to the fake encoder. After every row no runner or encoder is left, no child is
// a zombie and no descriptor is left open.
//
// A folder that refuses files even to root (CI runs as root, whom permission bits do not
// stop) is made immutable (FS_IMMUTABLE_FL); a folder standing where the output file goes
// cannot be written over either.
#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>

#include <QTest>

#include <gtest/gtest.h>

#include "common/job_file.h"
#include "common/progress_message.h"
#include "common/text_codec.h"
#include "live_window_support.h"
#include "platform/folders.h"
#include "platform/profile_file.h"
#include "platform/window_messages.h"

namespace {

using namespace gui_testing;
using quorbit::TForm1;
using testing_support::FileExists;
using testing_support::MakeFlv;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WriteWholeFile;

const std::string kFake = QUORBIT_TEST_BIN_DIR "fake_encoder";
const std::string kAllDone = "All Flv files have been converted!";
const std::string kNoFolder = "The output directory does not exists!";
std::string Failures(int failed, int of) {
  return std::to_string(failed) + " of " + std::to_string(of) +
         " Flv files could not be converted!";
}

// What stands at the encoder's place in the system folder.
enum class Encoder { kReal, kFake, kMissing, kNotExecutable, kFolder };
// What the output folder edit names.
enum class Output { kFolder, kMissingFolder, kFileAsFolder, kImmutableFolder, kFolderAtOutput };
// What happens once Convert has been pressed.
enum class During {
  kNothing,
  kKillRunner,           // SIGKILL to the runner once the encoder runs
  kStopBeforeJobIsRead,  // Stop as soon as the runner's window exists
  kBlockRunner,          // a window titled like a runner stays open: the runner gives up
  kRewriteJob,           // the job file is replaced before the runner reads it
  kRemoveOutputFolder,   // the output folder goes once the first row is done
  kRemoveFirstSource,    // the first source goes before Convert
};

struct Situation {
  Encoder encoder = Encoder::kReal;
  std::vector<std::string> steps;  // the fake encoder's; "{dir}" is a private folder
  bool writesOutput = true;        // the script writes the output before the steps
  Output output = Output::kFolder;
  During during = During::kNothing;
  // kRewriteJob: the job file the runner reads; "{W}" and "{C}" stand for the values the
  // window wrote.
  std::string job;
  int sources = 1;

  Situation With(Output o) const {
    Situation s = *this;
    s.output = o;
    return s;
  }
  Situation With(During d) const {
    Situation s = *this;
    s.during = d;
    return s;
  }
  Situation Sources(int n) const {
    Situation s = *this;
    s.sources = n;
    return s;
  }
  Situation Job(const std::string& text) const {
    Situation s = With(During::kRewriteJob);
    s.job = text;
    return s;
  }
};

Situation Real() {
  return {};
}
Situation Placed(Encoder e) {
  Situation s;
  s.encoder = e;
  return s;
}
Situation Fake(std::vector<std::string> steps) {
  Situation s;
  s.encoder = Encoder::kFake;
  s.steps = std::move(steps);
  return s;
}
Situation FakeWithoutOutput(std::vector<std::string> steps) {
  Situation s = Fake(std::move(steps));
  s.writesOutput = false;
  return s;
}

struct Outcome {
  std::vector<std::string> statuses;  // as the list shows them once the batch is over
  std::string message;                // the one message shown by Convert ("" for none)
  bool encoderRuns = true;            // checked for the fake encoder only
};

struct Row {
  std::string name;
  Situation situation;
  Outcome outcome;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << row.name;
}

// The outcome of a row whose fake encoder must not be started.
constexpr bool kNeverRuns = false;

const std::string kScrambledHuge(common::kMaxScrambledCommand + 2, 'B');

const std::vector<Row> kRows = {
    // The encoder.
    {"real encoder converts", Real(), {{"Done"}, kAllDone}},
    {"encoder missing", Placed(Encoder::kMissing), {{"Failed"}, Failures(1, 1)}},
    {"encoder not executable", Placed(Encoder::kNotExecutable), {{"Failed"}, Failures(1, 1)}},
    {"encoder is a folder", Placed(Encoder::kFolder), {{"Failed"}, Failures(1, 1)}},
    {"encoder crashes", Fake({"err:time=1.0\\r", "signal:SEGV"}), {{"Failed"}, Failures(1, 1)}},
    {"encoder exits 0", Fake({"err:time=1.0\\r", "exit:0"}), {{"Done"}, kAllDone}},
    {"encoder exits 0 without an output",
     FakeWithoutOutput({"exit:0"}),
     {{"Failed"}, Failures(1, 1)}},
    {"encoder exits 1", Fake({"exit:1"}), {{"Failed"}, Failures(1, 1)}},
    {"encoder exits 69", Fake({"exit:69"}), {{"Failed"}, Failures(1, 1)}},
    {"encoder exits 255", Fake({"exit:255"}), {{"Failed"}, Failures(1, 1)}},
    {"encoder killed by SIGKILL", Fake({"signal:KILL"}), {{"Failed"}, Failures(1, 1)}},
    {"encoder killed by SIGTERM", Fake({"signal:TERM"}), {{"Failed"}, Failures(1, 1)}},
    {"8 MiB of error output without a newline",
     Fake({"bigerr:8388608", "err:time=1.0\\r", "exit:0"}),
     {{"Done"}, kAllDone}},
    {"grandchild holds the pipes for a minute",
     Fake({"grandchild:60000:{dir}/grandchild", "err:time=1.0\\r", "exit:0"}),
     {{"Done"}, kAllDone}},
    {"encoder writes to its output",
     Fake({"out:hello", "sleep:60000"}),
     {{"Failed"}, Failures(1, 1)}},
    // The runner.
    {"runner killed mid-run",
     Fake({"sleep:60000"}).With(During::kKillRunner),
     {{"Failed"}, Failures(1, 1)}},
    {"runner refused at its single-instance check",
     Fake({"exit:0"}).With(During::kBlockRunner),
     {{"Failed"}, Failures(1, 1), kNeverRuns}},
    {"stop within the first 220 ms",
     Fake({"exit:0"}).With(During::kStopBeforeJobIsRead),
     {{"Ready"}, "", kNeverRuns}},
    // The job file.
    {"job file of garbage",
     Fake({"exit:0"}).Job(std::string("\x7f\xfe garbage ") + '\0' + "\x01[Command\nW\n=C\n\xff"),
     {{"Failed"}, Failures(1, 1), kNeverRuns}},
    {"job without C",
     Fake({"exit:0"}).Job("[Command]\nM=0\nW={W}\n"),
     {{"Failed"}, Failures(1, 1), kNeverRuns}},
    {"job without W",
     Fake({"exit:0"}).Job("[Command]\nM=0\nC={C}\n"),
     {{"Failed"}, Failures(1, 1), kNeverRuns}},
    {"job without M converts",
     Fake({"exit:0"}).Job("[Command]\nW={W}\nC={C}\n"),
     {{"Done"}, kAllDone}},
    {"job with a C too long",
     Fake({"exit:0"}).Job("[Command]\nM=0\nW={W}\nC=" + kScrambledHuge + "\n"),
     {{"Failed"}, Failures(1, 1), kNeverRuns}},
    {"job with a C of 8 MiB without a newline",
     Fake({"exit:0"}).Job("[Command]\nM=0\nW={W}\nC=" + std::string(8 << 20, 'B')),
     {{"Failed"}, Failures(1, 1), kNeverRuns}},
    // The output folder and the sources.
    {"output folder missing", Real().With(Output::kMissingFolder), {{"Ready"}, kNoFolder}},
    {"output folder is a file", Real().With(Output::kFileAsFolder), {{"Ready"}, kNoFolder}},
    {"output folder read-only",
     Real().With(Output::kImmutableFolder),
     {{"Failed"}, Failures(1, 1)}},
    {"a folder where the output goes",
     Real().With(Output::kFolderAtOutput),
     {{"Failed"}, Failures(1, 1)}},
    {"output folder removed during the batch",
     Real().Sources(2).With(During::kRemoveOutputFolder),
     {{"Done", "Failed"}, Failures(1, 2)}},
    {"source removed between probe and conversion",
     Real().Sources(2).With(During::kRemoveFirstSource),
     {{"Failed", "Done"}, Failures(1, 2)}},
};

std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Makes a folder immutable for as long as the object lives: no file can be created in it,
// not even by root. False from set() when the file system or the process cannot do it.
class ImmutableFolder {
 public:
  bool set(const std::string& path) {
    set_ = Flag(path, true);
    if (set_) path_ = path;
    return set_;
  }
  ~ImmutableFolder() {
    if (set_) Flag(path_, false);
  }

 private:
  static bool Flag(const std::string& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
      flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
      done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
  }

  std::string path_;
  bool set_ = false;
};

class BatchFaultTable : public ::testing::TestWithParam<Row> {};

TEST_P(BatchFaultTable, RowShowsTheTruthAndLeavesNothingBehind) {
  const Row& row = GetParam();
  const Situation& setup = row.situation;
  const std::vector<std::string> descriptorsBefore = SettledDescriptors();
  testing_support::PrivateSystemFolder system;
  TempDir media, out, dir;
  ImmutableFolder immutable;
  auto window = std::make_unique<LiveWindow>();
  TForm1& form = window->form();
  form.suimp3RadioButton->click();

  QStringList sources;
  for (int i = 0; i < setup.sources; ++i) {
    const std::string path = media.File(std::string(1, char('a' + i)) + ".flv");
    ASSERT_TRUE(MakeFlv(path, 2)) << path;
    sources << QString::fromStdString(path);
  }
  ASSERT_TRUE(window->Add(sources));
  ASSERT_EQ(form.suiListView1->topLevelItemCount(), setup.sources);
  ASSERT_TRUE(window->dialogs.messages.empty());

  // The encoder.
  const std::string marker = dir.File("encoder ran");
  switch (setup.encoder) {
    case Encoder::kReal:
      break;
    case Encoder::kMissing:
      ASSERT_TRUE(std::filesystem::remove(form.encoderPath));
      break;
    case Encoder::kFolder:
      ASSERT_TRUE(std::filesystem::remove(form.encoderPath));
      std::filesystem::create_directory(form.encoderPath);
      break;
    case Encoder::kFake:
    case Encoder::kNotExecutable: {
      std::string script = "#!/bin/sh\n";
      if (setup.writesOutput)
        script += "for last; do :; done\nprintf 'what the encoder wrote' > \"$last\"\n";
      script += "exec " + ShellQuoted(kFake) + " " + ShellQuoted("pidfile:" + marker);
      for (const std::string& step : setup.steps)
        script += " " + ShellQuoted(Replaced(step, "{dir}", dir.path()));
      WriteWholeFile(form.encoderPath, script + "\n");
      // Without any execute bit not even root may run it.
      chmod(form.encoderPath.c_str(), setup.encoder == Encoder::kFake ? 0755 : 0644);
      break;
    }
  }

  // The output folder.
  std::string folder = out.path();
  switch (setup.output) {
    case Output::kFolder:
      break;
    case Output::kMissingFolder:
      folder = out.File("missing");
      break;
    case Output::kFileAsFolder:
      folder = out.File("a file");
      WriteWholeFile(folder, "not a folder");
      break;
    case Output::kImmutableFolder:
      folder = out.File("locked");
      std::filesystem::create_directory(folder);
      if (!immutable.set(folder)) {
        // CI runs as root on a disk that can: there the row must not pass unseen.
        if (getenv("CI")) FAIL() << "cannot make a folder immutable here";
        GTEST_SKIP() << "this file system or process cannot make a folder immutable";
      }
      break;
    case Output::kFolderAtOutput:
      std::filesystem::create_directories(out.File("a.mp3/inside"));
      break;
  }
  form.suiOutputDirectoryEdit->setText(QString::fromStdString(folder));

  // What happens during the batch.
  std::unique_ptr<platform::MessageWindow> blocker;
  if (setup.during == During::kBlockRunner || setup.during == During::kRewriteJob) {
    blocker = platform::MessageWindow::Open(common::RunnerWindowTitle);
    ASSERT_TRUE(blocker);
  }
  if (setup.during == During::kRewriteJob) {
    // The runner is held at its single-instance check until the job has been replaced.
    window->link().afterStart = [&](bool probe) {
      if (probe) return;
      const std::string path = common::JobFilePath(platform::SystemFolder());
      const std::string w = platform::ReadProfileString("Command", "W", "", 64, path);
      const std::string c =
          platform::ReadProfileString("Command", "C", "", common::kMaxScrambledCommand + 2, path);
      ASSERT_FALSE(w.empty());
      ASSERT_FALSE(c.empty());
      WriteWholeFile(path, Replaced(Replaced(setup.job, "{W}", w), "{C}", c));
      blocker.reset();
    };
  }
  if (setup.during == During::kRemoveFirstSource) {
    ASSERT_TRUE(std::filesystem::remove(sources[0].toStdString()));
  }
  if (setup.during == During::kRemoveOutputFolder) {
    QObject::connect(form.suiListView1, &QTreeWidget::itemChanged,
                     [&](QTreeWidgetItem* item, int column) {
                       if (column == 2 && form.suiListView1->indexOfTopLevelItem(item) == 0 &&
                           item->text(2) == "Done")
                         std::filesystem::remove_all(folder);
                     });
  }

  const size_t messagesBefore = window->dialogs.messages.size();
  QTest::mouseClick(form.suiconvertButton, Qt::LeftButton);
  switch (setup.during) {
    case During::kKillRunner: {
      ASSERT_TRUE(WaitFor([&] { return FileExists(marker); }, std::chrono::seconds(20)));
      const pid_t runner = RunnerOf(std::stoi(ReadWholeFile(marker)));
      ASSERT_GT(runner, 0);
      ASSERT_EQ(kill(runner, SIGKILL), 0);
      break;
    }
    case During::kStopBeforeJobIsRead: {
      ASSERT_TRUE(
          WaitFor([] { return platform::FindWindowByTitle(common::RunnerWindowTitle) != 0; },
                  std::chrono::seconds(10)));
      QTest::mouseClick(form.suiconvertButton, Qt::LeftButton);
      break;
    }
    default:
      break;
  }
  ASSERT_TRUE(WaitFor([&] { return !form.isConverting(); }, std::chrono::seconds(60)))
      << "the batch did not end";
  blocker.reset();

  // The outcome, as the window shows it.
  std::vector<std::string> statuses;
  for (const auto& visible : VisibleRows(form)) statuses.push_back(visible[2]);
  EXPECT_EQ(statuses, row.outcome.statuses);
  std::vector<std::string> shown;
  for (size_t i = messagesBefore; i < window->dialogs.messages.size(); ++i)
    shown.push_back(window->dialogs.messages[i].text.toStdString());
  EXPECT_EQ(shown, row.outcome.message.empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{row.outcome.message});
  EXPECT_EQ(form.suiconvertButton->text(), "Convert FLV files");
  EXPECT_TRUE(form.suiaddButton->isEnabled());
  if (setup.encoder == Encoder::kFake) {
    EXPECT_EQ(FileExists(marker), row.outcome.encoderRuns) << "whether the encoder ran";
  }

  ExpectNothingLeft(&window, descriptorsBefore, row.name);
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return testing_support::AsTestName(info.param.name);
}

INSTANTIATE_TEST_SUITE_P(Batch, BatchFaultTable, ::testing::ValuesIn(kRows), RowName);

}  // namespace
