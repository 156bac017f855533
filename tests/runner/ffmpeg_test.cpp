// norcel with the real encoder on clips the tests make themselves.
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "main/command_line.h"
#include "main/output_profile.h"
#include "runner_support.h"

namespace {

using namespace runner_testing;
using common::JOB_ENDED;
using common::JOB_PROGRESS;
using common::JOB_STARTED;
using quorbit::OutputFamily;
using testing_support::FileExists;
using testing_support::PrivateSystemFolder;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WaitUntil;

class NorcelFfmpeg : public ::testing::Test {
 protected:
  PrivateSystemFolder system;
  TempDir dir;
  MainWindow main;

  // Runs one job to its end and returns the value of its JOB_ENDED (or -100 when none).
  int32_t RunToEnd(bool probe, const std::string& command) {
    auto child = StartJob(main.handle(), probe, command);
    EXPECT_TRUE(WaitForExit(&child, &main, std::chrono::seconds(120))) << command;
    for (const Report& r : main.reports())
      if (r.code == JOB_ENDED) return r.value;
    return -100;
  }
};

TEST_F(NorcelFfmpeg, ProbeFromALongFolderReadsTheDurationAndWritesTheThumbnail) {
  // A folder name long enough that the report lies far behind the encoder's banner.
  std::string folder = dir.path();
  while (folder.size() < 340) folder += "/a folder with a rather long name";
  std::filesystem::create_directories(folder);
  const std::string clip = folder + "/three seconds.flv";
  ASSERT_TRUE(MakeFlv(clip, 3.0));
  const std::string thumb = system.folder() + "thumb.jpg";
  EXPECT_EQ(RunToEnd(true, quorbit::BuildProbeCommandLine(kFfmpeg, clip, thumb)), 3);
  EXPECT_EQ(main.reports().front(), (Report{JOB_STARTED, 0}));
  EXPECT_EQ(main.Count(JOB_PROGRESS), 0u);
  const std::string jpeg = ReadWholeFile(thumb);
  ASSERT_GE(jpeg.size(), 2u);
  EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
}

TEST_F(NorcelFfmpeg, ShortClipAndNonMediaProbeToZero) {
  const std::string clip = dir.File("half.flv");
  ASSERT_TRUE(MakeFlv(clip, 0.5));
  const std::string text = dir.File("notes.flv");
  testing_support::WriteWholeFile(text, "this is not a video\n");
  for (const std::string& source : {clip, text}) {
    main = MainWindow();
    EXPECT_EQ(RunToEnd(true, quorbit::BuildProbeCommandLine(kFfmpeg, source, dir.File("t.jpg"))), 0)
        << source;
  }
}

TEST_F(NorcelFfmpeg, ConversionReportsClockFormProgressAndSucceeds) {
  const std::string clip = dir.File("clip.flv");
  ASSERT_TRUE(MakeFlv(clip, 5.0));
  const std::string output = quorbit::OutputPathFor(OutputFamily::kMp3, dir.path() + "/", clip);
  EXPECT_EQ(RunToEnd(false, quorbit::BuildCommandLine(OutputFamily::kMp3,
                                                      quorbit::DefaultProfile(OutputFamily::kMp3),
                                                      kFfmpeg, clip, output)),
            0);
  // The last progress report comes from the encoder's final line, in clock form.
  ASSERT_GE(main.Count(JOB_PROGRESS), 1u);
  int32_t last = -1;
  for (const Report& r : main.reports())
    if (r.code == JOB_PROGRESS) last = r.value;
  EXPECT_GE(last, 4);
  EXPECT_LE(last, 5);
  EXPECT_EQ(main.reports().back(), (Report{JOB_ENDED, 0}));
  EXPECT_GT(std::filesystem::file_size(output), 0u);
}

TEST_F(NorcelFfmpeg, UnknownCodecEndsAsAFailure) {
  const std::string clip = dir.File("clip.flv");
  ASSERT_TRUE(MakeFlv(clip, 1.0));
  const std::string command = "\"" + kFfmpeg + "\" -i \"" + clip + "\" -vcodec xvid -b 500k -y \"" +
                              dir.File("clip.avi") + "\"";
  EXPECT_EQ(RunToEnd(false, command), -2);
}

TEST_F(NorcelFfmpeg, KilledRunnerLeavesNoEncoderRunning) {
  // A conversion paced at real time, so it is surely still running when the runner dies.
  const std::string command =
      "\"" + kFfmpeg + "\" -re -f lavfi -i testsrc=duration=60 -y \"" + dir.File("long.avi") + "\"";
  auto child = StartJob(main.handle(), false, command);
  ASSERT_TRUE(main.WaitFor(JOB_STARTED));
  std::vector<pid_t> encoders;
  ASSERT_TRUE(WaitUntil([&] {
    encoders = ChildrenOf(child.pid());
    return !encoders.empty();
  }));
  kill(child.pid(), SIGKILL);
  ASSERT_TRUE(WaitForExit(&child, &main));
  for (pid_t encoder : encoders) EXPECT_TRUE(WaitUntil([&] { return ProcessGone(encoder); }));
}

}  // namespace
