// The main window with the real runner and the real encoder: files made by the encoder are
// probed, listed and converted in every family, stopped, and survive a runner that dies.
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include <QTest>

#include <gtest/gtest.h>

#include "gui_support.h"
#include "live_window_support.h"
#include "main/output_profile.h"

namespace {

using namespace gui_testing;
using quorbit::OutputFamily;
using quorbit::TForm1;
using testing_support::FileExists;
using testing_support::MakeFlv;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WaitUntil;
using testing_support::WriteWholeFile;
using Rows = std::vector<std::vector<std::string>>;

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_symlink(QUORBIT_APP_DIR "norcel", app.File("norcel"));
    InstallEncoderPackage(app.path());
    form = std::make_unique<TForm1>(&dialogs, &runner, app.path());
    form->show();
    // The encoder is unpacked shortly after the first showing.
    ASSERT_TRUE(WaitFor([&] { return !form->Timer1->isActive(); }));
    ASSERT_TRUE(FileExists(form->encoderPath));
    form->suiOutputDirectoryEdit->setText(QString::fromStdString(out.path()));
    form->suiopenwhendoneCheckBox->setChecked(false);
  }

  void TearDown() override {
    if (form && form->isConverting()) form->suiconvertButtonClick();
    EXPECT_TRUE(WaitUntil([&] { return Ours().empty(); }))
        << "a runner or an encoder outlived the test";
  }

  // An encoder that reads its input at its natural pace, so a conversion lasts as long as
  // the clip does.
  void UsePacedEncoder() {
    WriteWholeFile(form->encoderPath,
                   std::string("#!/bin/sh\nexec \"") + QUORBIT_FFMPEG + "\" -re \"$@\"\n");
    chmod(form->encoderPath.c_str(), 0755);
  }

  // Processes started for this test: runners and encoders.
  static std::vector<pid_t> Ours() { return ProcessesOfThisSystemFolder(); }

  std::string Media(const std::string& name, double seconds, bool withAudio = true) {
    const std::string path = media.File(name);
    EXPECT_TRUE(MakeFlv(path, seconds, withAudio)) << path;
    return path;
  }

  // Adds the files through the dialog and waits until every probe has reported.
  void Add(const std::vector<std::string>& files) {
    QStringList list;
    for (const std::string& f : files) list << QString::fromStdString(f);
    dialogs.fileChoices.push_back(list);
    QTest::mouseClick(form->suiaddButton, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] {
      return !form->isProbing() &&
             form->hiddenRows().size() == size_t(form->suiListView1->topLevelItemCount());
    }));
  }

  // Presses Convert and waits for the end message; returns the bar's position and maximum
  // as they were when the message was shown.
  std::pair<int, int> Convert() {
    std::pair<int, int> bar{-1, -1};
    const size_t before = dialogs.messages.size();
    dialogs.onMessage = [&] {
      bar = {form->suiProgressBar1->position(), form->suiProgressBar1->maximum()};
    };
    QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
    EXPECT_TRUE(
        WaitFor([&] { return dialogs.messages.size() > before; }, std::chrono::seconds(120)));
    dialogs.onMessage = nullptr;
    return bar;
  }

  // Every status text a row showed, in order, without repeats.
  void RecordStatuses() {
    QObject::connect(form->suiListView1, &QTreeWidget::itemChanged,
                     [this](QTreeWidgetItem* item, int column) {
                       if (column != 2) return;
                       auto& seen = statuses[form->suiListView1->indexOfTopLevelItem(item)];
                       const std::string text = item->text(2).toStdString();
                       if (seen.empty() || seen.back() != text) seen.push_back(text);
                     });
  }

  testing_support::PrivateSystemFolder system;
  TempDir app, media, out;
  FakeDialogs dialogs;
  HookedRunnerLink runner{app.path() + "/"};  // counts the jobs
  std::unique_ptr<TForm1> form;
  std::map<int, std::vector<std::string>> statuses;
};

TEST_F(EndToEnd, ProbeListsGoodFilesAndRefusesTheRest) {
  const std::string a = Media("a.flv", 2);
  const std::string junk = media.File("not media.flv");
  WriteWholeFile(junk, "this is a text file, not a video\n");
  const std::string b = Media("b with blanks.flv", 59.9);
  const std::string shortClip = Media("short.flv", 0.5);
  // An FLV with sound and no picture: no thumbnail can be taken.
  const std::string sound = media.File("sound.flv");
  const std::string makeSound = std::string("\"") + QUORBIT_FFMPEG +
                                "\" -nostdin -v error -y -f lavfi -i sine=duration=3 -c:a mp3 "
                                "-ar 22050 \"" +
                                sound + "\"";
  ASSERT_EQ(std::system(makeSound.c_str()), 0);
  const std::string quoted = media.File("say \"cheese\".flv");
  WriteWholeFile(quoted, ReadWholeFile(a));

  Add({a, junk, b, shortClip, sound, quoted});
  EXPECT_EQ(VisibleRows(*form), (Rows{{a, "00:00:02", "Ready"}, {b, "00:00:59", "Ready"}}));
  ASSERT_EQ(form->hiddenRows().size(), 2u);
  EXPECT_EQ(form->hiddenRows()[0].width, 160);
  EXPECT_EQ(form->hiddenRows()[0].height, 120);
  std::vector<std::string> texts;
  for (const Message& m : dialogs.messages) {
    EXPECT_EQ(m.caption, "Warning");
    texts.push_back(m.text.toStdString());
  }
  // The quoted path is refused at once; the others fail as their probes report.
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Failed to load: " + quoted, "Failed to load: " + junk,
                                      "Failed to load: " + shortClip, "Failed to load: " + sound}));
  EXPECT_EQ(runner.jobs, 5);
}

TEST_F(EndToEnd, ClearDuringAProbeLeavesBothListsEmpty) {
  const std::string a = Media("a.flv", 2);
  dialogs.fileChoices.push_back({QString::fromStdString(a)});
  QTest::mouseClick(form->suiaddButton, Qt::LeftButton);
  ASSERT_TRUE(form->isProbing());
  QTest::mouseClick(form->suiclearButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !form->isProbing(); }));
  EXPECT_TRUE(VisibleRows(*form).empty());
  EXPECT_TRUE(form->hiddenRows().empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EndToEnd, EveryFamilyConvertsWithItsDefaultProfile) {
  RecordStatuses();
  const std::string a = Media("first.flv", 4), b = Media("second one.flv", 2);
  Add({a, b});
  struct Family {
    skin::SkinRadioButton* radio;
    const char* extension;
  } families[] = {{form->suiaviRadioButton, ".avi"},
                  {form->suimpegRadioButton, ".mpg"},
                  {form->suiwmvRadioButton, ".wmv"},
                  {form->suimp3RadioButton, ".mp3"}};
  for (const Family& f : families) {
    SCOPED_TRACE(f.extension);
    statuses.clear();
    f.radio->click();
    const auto [position, maximum] = Convert();
    EXPECT_EQ(dialogs.messages.back().text, "All Flv files have been converted!");
    EXPECT_EQ(dialogs.messages.back().caption, "Message");
    EXPECT_EQ(maximum, 6);
    EXPECT_EQ(position, 6);
    EXPECT_EQ(form->suiProgressBar1->position(), 0);
    EXPECT_EQ(form->suiconvertButton->text(), "Convert FLV files");
    EXPECT_TRUE(form->suiaddButton->isEnabled());
    for (int row = 0; row < 2; ++row) {
      const std::vector<std::string>& seen = statuses[row];
      ASSERT_GE(seen.size(), 2u) << "row " << row;
      EXPECT_EQ(seen.back(), "Done") << "row " << row;
      for (size_t i = 0; i + 1 < seen.size(); ++i)
        EXPECT_EQ(seen[i].back(), '%') << "row " << row << ": " << seen[i];
    }
    for (const char* stem : {"first", "second one"}) {
      const std::string output = out.File(std::string(stem) + f.extension);
      EXPECT_GT(std::filesystem::file_size(output), 1000u) << output;
    }
  }
  EXPECT_EQ(runner.jobs, 2 + 4 * 2);
}

TEST_F(EndToEnd, ExistingOutputsAreOverwrittenOrSkipped) {
  RecordStatuses();
  const std::string a = Media("a.flv", 2);
  Add({a, a});  // the same file twice: listed and converted twice
  ASSERT_EQ(VisibleRows(*form).size(), 2u);
  form->suimp3RadioButton->click();
  const std::string output = out.File("a.mp3");
  WriteWholeFile(output, "an old file");

  Convert();
  EXPECT_EQ(VisibleRows(*form)[0][2], "Overwritten");
  EXPECT_EQ(VisibleRows(*form)[1][2], "Overwritten");
  EXPECT_NE(ReadWholeFile(output).substr(0, 11), "an old file");
  EXPECT_GT(std::filesystem::file_size(output), 1000u);

  // A second batch converts every row again.
  const int jobsBefore = runner.jobs;
  Convert();
  EXPECT_EQ(runner.jobs, jobsBefore + 2);
  EXPECT_EQ(VisibleRows(*form)[0][2], "Overwritten");

  // Overwrite off: nothing to do, and no runner is started.
  form->suioverwriteCheckBox->setChecked(false);
  const auto [position, maximum] = Convert();
  EXPECT_EQ(runner.jobs, jobsBefore + 2);
  EXPECT_EQ(VisibleRows(*form)[0][2], "Skipped");
  EXPECT_EQ(VisibleRows(*form)[1][2], "Skipped");
  EXPECT_EQ(position, maximum);
  EXPECT_EQ(dialogs.messages.back().text, "All Flv files have been converted!");
  EXPECT_EQ(form->suiProgressBar1->position(), 0);
}

TEST_F(EndToEnd, AnEncoderFailureIsCountedInTheEndMessage) {
  const std::string a = Media("a.flv", 2), b = Media("b.flv", 2);
  Add({a, b});
  // This encoder knows no codec of that name.
  form->profiles.aviProfile.videoCodec = "XviD MPEG-4 Codec";
  form->suiaviRadioButton->click();
  Convert();
  EXPECT_EQ(VisibleRows(*form)[0][2], "Failed");
  EXPECT_EQ(VisibleRows(*form)[1][2], "Failed");
  EXPECT_EQ(dialogs.messages.back().text, "2 of 2 Flv files could not be converted!");
  EXPECT_EQ(dialogs.messages.back().caption, "Warning");
}

TEST_F(EndToEnd, StopEndsTheRunAndLeavesTheRowAtItsLastPercentage) {
  const std::string a = Media("long.flv", 20);
  Add({a});
  UsePacedEncoder();
  form->suimp3RadioButton->click();
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] {
    const std::string status = VisibleRows(*form)[0][2];
    return status != "Ready" && status != "0%";
  }));
  ASSERT_FALSE(Ours().empty());
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  const std::string atStop = VisibleRows(*form)[0][2];
  EXPECT_EQ(atStop.back(), '%');
  EXPECT_FALSE(form->isConverting());
  EXPECT_EQ(form->suiconvertButton->text(), "Convert FLV files");
  EXPECT_TRUE(form->suiaddButton->isEnabled());
  EXPECT_TRUE(form->suiOutputDirectoryEdit->isEnabled());
  EXPECT_EQ(form->suiProgressBar1->position(), 0);
  EXPECT_TRUE(WaitUntil([&] { return Ours().empty(); }, std::chrono::seconds(5)))
      << "the runner and its encoder end after a stop";
  // Late reports of the stopped runner change nothing; a further stop request finds no runner.
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(VisibleRows(*form)[0][2], atStop);
  EXPECT_FALSE(runner.RequestStop());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(form->close());
}

TEST_F(EndToEnd, AKilledRunnerFailsItsRowAndTheBatchGoesOn) {
  const std::string a = Media("a.flv", 20), b = Media("b.flv", 2);
  Add({a, b});
  UsePacedEncoder();
  form->suimp3RadioButton->click();
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return VisibleRows(*form)[0][2].back() == '%'; }));
  // The conversion's runner: the one with the encoder under it. A probe's runner may still
  // be ending beside it.
  pid_t norcel = 0;
  for (pid_t pid : Ours()) {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    if (exe.filename() == "norcel" && !testing_support::ChildrenOf(pid).empty()) norcel = pid;
  }
  ASSERT_GT(norcel, 0);
  ASSERT_EQ(kill(norcel, SIGKILL), 0);
  EXPECT_TRUE(
      WaitFor([&] { return VisibleRows(*form)[0][2] == "Failed"; }, std::chrono::seconds(2)));
  ASSERT_TRUE(WaitFor([&] { return !dialogs.messages.empty(); }, std::chrono::seconds(60)));
  EXPECT_EQ(VisibleRows(*form)[1][2], "Done");
  EXPECT_EQ(dialogs.messages.back().text, "1 of 2 Flv files could not be converted!");
}

}  // namespace
