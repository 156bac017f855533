// The main window with its runner line played by the test: layout, the file list, the probe
// queue and the batch driver's bookkeeping.
#include <QCheckBox>
#include <QLabel>
#include <QTest>

#include <filesystem>

#include <gtest/gtest.h>

#include "common/progress_message.h"
#include "gui_support.h"
#include "main/probe_text.h"
#include "platform/profile_file.h"

namespace {

using namespace gui_testing;
using common::JOB_ENDED;
using common::JOB_PROGRESS;
using quorbit::Dialogs;
using quorbit::TForm1;
using testing_support::FileExists;
using testing_support::PrivateSystemFolder;
using testing_support::TempDir;
using Rows = std::vector<std::vector<std::string>>;

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override { Create(); }

  void Create() {
    form.reset();
    InstallEncoderPackage(app.path());
    form = std::make_unique<TForm1>(&dialogs, &runner, app.path());
  }
  void Show() {
    form->show();
    QCoreApplication::processEvents();
  }
  std::string Options() const { return app.File("options.ini"); }

  // Adds files through the dialog.
  void Add(const QStringList& files) {
    dialogs.fileChoices.push_back(files);
    QTest::mouseClick(form->suiaddButton, Qt::LeftButton);
  }
  // Answers the probe in flight: a thumbnail and the duration.
  void ProbeOk(int seconds) {
    WriteJpeg(form->thumbPath, 160, 120);
    runner.Report(JOB_ENDED, seconds);
  }
  // Lists the files with the given durations.
  void List(const std::vector<std::pair<std::string, int>>& files) {
    for (const auto& [name, seconds] : files) {
      Add({QString::fromStdString(name)});
      ProbeOk(seconds);
    }
  }

  PrivateSystemFolder system;
  TempDir app, out;
  FakeDialogs dialogs;
  FakeRunner runner;
  std::unique_ptr<TForm1> form;
};

TEST_F(MainWindow, LayoutCaptionsAndTabOrder) {
  Show();
  EXPECT_EQ(form->windowTitle(), "Vexlomar");
  EXPECT_EQ(form->size(), QSize(712, 527));
  EXPECT_EQ(form->Panel1->mapTo(form.get(), QPoint(0, 0)), QPoint(0, 25));
  EXPECT_EQ(form->Panel1->size(), QSize(712, 502));
  struct Control {
    const char* name;
    QRect geometry;
    const char* caption;
  };
  const Control controls[] = {
      {"suiListView1", {64, 64, 489, 137}, nullptr},
      {"suiaddButton", {568, 64, 105, 25}, "Add..."},
      {"suiOutputDirectoryEdit", {64, 280, 489, 19}, nullptr},
      {"suimp3RadioButton", {400, 312, 42, 19}, "MP3"},
      {"suiconvertButton", {64, 376, 177, 33}, "Convert FLV files"},
      {"suiProgressBar1", {256, 383, 417, 18}, nullptr},
      {"suioverwriteCheckBox",
       {64, 424, 312, 19},
       "When output file already exists, overwrite it . (uncheck to skip)"},
      {"helpSpeedButton", {544, 432, 129, 26}, "Online Help"},
  };
  for (const Control& c : controls) {
    QWidget* w = form->Panel1->findChild<QWidget*>(c.name);
    ASSERT_TRUE(w) << c.name;
    if (qobject_cast<QCheckBox*>(w)) {
      // Widened only as far as its caption needs.
      EXPECT_EQ(w->pos(), c.geometry.topLeft()) << c.name;
      EXPECT_EQ(w->height(), c.geometry.height()) << c.name;
      EXPECT_GE(w->width(), c.geometry.width()) << c.name;
      EXPECT_LE(w->width(), std::max(c.geometry.width(), w->sizeHint().width())) << c.name;
    } else {
      EXPECT_EQ(w->geometry(), c.geometry) << c.name;
    }
    if (c.caption) {
      EXPECT_EQ(w->property("text").toString(), c.caption) << c.name;
    }
  }
  EXPECT_TRUE(form->suiaviRadioButton->isChecked());
  EXPECT_TRUE(form->suioverwriteCheckBox->isChecked());
  EXPECT_TRUE(form->suiopenwhendoneCheckBox->isChecked());
  EXPECT_TRUE(form->suiconvertButton->font().bold());
  EXPECT_EQ(form->formatLabel->text(),
            "MS MPEG-4 Video Codec V2, video 500 kbps, audio 128 kbps, 44100 Hz, Stereo");
  EXPECT_EQ(form->suiProgressBar1->caption(), "0%");
  QStringList headers;
  for (int i = 0; i < 3; ++i) headers << form->suiListView1->headerItem()->text(i);
  EXPECT_EQ(headers, QStringList({"FLV File", "Duration", "Status"}));
  EXPECT_EQ(form->suiListView1->columnWidth(0), 280);

  const QStringList expectedOrder = {
      "suiImageButton1",        "suiListView1",      "suiaddButton",
      "suidelButton",           "suiclearButton",    "suiImageButton2",
      "suiOutputDirectoryEdit", "suibrowseButton",   "suiaviRadioButton",
      "suimpegRadioButton",     "suiwmvRadioButton", "suimp3RadioButton",
      "suiadvancedButton",      "suiconvertButton",  "suioverwriteCheckBox",
      "suiopenwhendoneCheckBox"};
  QStringList order;
  QWidget* w = form->suiImageButton1;
  for (int i = 0; i < expectedOrder.size(); ++i, w = w->nextInFocusChain()) {
    while (w->focusPolicy() == Qt::NoFocus && w != form->suiImageButton1) w = w->nextInFocusChain();
    order << w->objectName();
  }
  EXPECT_EQ(order, expectedOrder);
}

TEST_F(MainWindow, RadioButtonsShowTheirFamilysSummary) {
  Show();
  const std::pair<QWidget*, const char*> cases[] = {
      {form->suimpegRadioButton,
       "MPEG1, video 1150 kbps, 23.976 fps, 352x240, audio 224 kbps, 44100 Hz, Stereo"},
      {form->suiwmvRadioButton,
       "Windows Media Video V8, video 500 kbps, audio 192 kbps, 22050 Hz, Stereo"},
      {form->suimp3RadioButton, "MP3 Audio, 320 kbps, 44100 Hz, Stereo"},
      {form->suiaviRadioButton,
       "MS MPEG-4 Video Codec V2, video 500 kbps, audio 128 kbps, 44100 Hz, Stereo"},
  };
  for (const auto& [button, summary] : cases) {
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(form->formatLabel->text(), summary);
  }
}

TEST_F(MainWindow, OutputFolderIsRememberedTrimmedAndFallsBackWhenEmptied) {
  // First start without options.ini: the default folder is made and shown.
  Show();
  const std::string fallback = app.File("OutputVideos");
  EXPECT_EQ(form->suiOutputDirectoryEdit->text().toStdString(), fallback);
  EXPECT_TRUE(std::filesystem::is_directory(fallback));
  EXPECT_TRUE(form->close());
  EXPECT_EQ(platform::ReadProfileString("General", "Directory", "?", 4096, Options()), fallback);

  // Typed with blanks: saved trimmed, shown as saved next time.
  Create();
  Show();
  form->suiOutputDirectoryEdit->setText("  " + QString::fromStdString(out.path()) + " \t");
  EXPECT_TRUE(form->close());
  EXPECT_EQ(platform::ReadProfileString("General", "Directory", "?", 4096, Options()), out.path());
  Create();
  Show();
  EXPECT_EQ(form->suiOutputDirectoryEdit->text().toStdString(), out.path());

  // Emptied: saved empty, and the next start falls back to the default.
  form->suiOutputDirectoryEdit->clear();
  EXPECT_TRUE(form->close());
  EXPECT_EQ(platform::ReadProfileString("General", "Directory", "?", 4096, Options()), "");
  Create();
  Show();
  EXPECT_EQ(form->suiOutputDirectoryEdit->text().toStdString(), fallback);

  // Showing again (as after the settings dialog) reads nothing again.
  form->suiOutputDirectoryEdit->setText("typed");
  form->hide();
  form->show();
  EXPECT_EQ(form->suiOutputDirectoryEdit->text(), "typed");
}

TEST_F(MainWindow, BrowseReplacesTheFolderOnlyWhenConfirmed) {
  Show();
  const QString before = form->suiOutputDirectoryEdit->text();
  QTest::mouseClick(form->suibrowseButton, Qt::LeftButton);
  EXPECT_EQ(dialogs.lastTitle, "Select ouput directory");
  EXPECT_EQ(form->suiOutputDirectoryEdit->text(), before);
  dialogs.folderChoice = QString::fromStdString(out.path());
  QTest::mouseClick(form->suibrowseButton, Qt::LeftButton);
  EXPECT_EQ(form->suiOutputDirectoryEdit->text().toStdString(), out.path());
}

TEST_F(MainWindow, ProbesListFilesInOrderAndRejectFailures) {
  Show();
  Add({"/in/a.flv", "/in/b.flv", "/in/c.flv", "/in/d.flv"});
  EXPECT_EQ(dialogs.lastTitle, "Add Source Video");
  EXPECT_EQ(dialogs.lastFilter, "Flash Video Files (*.flv)");
  ASSERT_EQ(runner.jobs.size(), 1u);
  EXPECT_TRUE(runner.jobs[0].probe);
  EXPECT_EQ(runner.jobs[0].command, "\"" + form->encoderPath +
                                        "\" -i \"/in/a.flv\" -y -f image2 -ss 1 -t 0.001 \"" +
                                        form->thumbPath + "\"");
  // A second Add while the probe runs queues its files but starts no second probe.
  Add({"/in/e.flv"});
  EXPECT_EQ(runner.jobs.size(), 1u);

  ProbeOk(65);                           // a: listed
  runner.Report(JOB_ENDED, 0);           // b: no duration
  WriteJpeg(form->thumbPath, 0 + 1, 1);  // c: a thumbnail, but
  runner.Report(JOB_ENDED, -1);          //    the job was refused
  runner.Gone();                         // d: the runner never reported
  ProbeOk(3725);                         // e: listed
  EXPECT_EQ(runner.jobs.size(), 5u);
  EXPECT_EQ(VisibleRows(*form),
            (Rows{{"/in/a.flv", "00:01:05", "Ready"}, {"/in/e.flv", "01:02:05", "Ready"}}));
  ASSERT_EQ(form->hiddenRows().size(), 2u);
  EXPECT_EQ(form->hiddenRows()[1].duration, 3725);
  EXPECT_EQ(form->hiddenRows()[1].width, 160);
  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[0].text, "Failed to load: /in/b.flv");
  EXPECT_EQ(dialogs.messages[0].caption, "Warning");
  EXPECT_EQ(dialogs.messages[2].text, "Failed to load: /in/d.flv");

  // A late end report with no probe in flight changes nothing.
  runner.Report(JOB_ENDED, 42);
  EXPECT_EQ(form->hiddenRows().size(), 2u);
  EXPECT_EQ(runner.jobs.size(), 5u);
}

TEST_F(MainWindow, ProbeNeedsAThumbnailOfPositiveSize) {
  Show();
  Add({"/in/a.flv"});
  runner.Report(JOB_ENDED, 10);  // no thumbnail written at all
  Add({"/in/b.flv"});
  testing_support::WriteWholeFile(form->thumbPath, "not a jpeg");
  runner.Report(JOB_ENDED, 10);
  EXPECT_TRUE(VisibleRows(*form).empty());
  EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(MainWindow, UnsafePathsAreRefusedAtAdd) {
  Show();
  Add({"/in/say \"hi\".flv", "/in/line\nbreak.flv", "/in/fine name.flv"});
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text, "Failed to load: /in/say \"hi\".flv");
  ASSERT_EQ(form->hiddenRows().size(), 1u);
  EXPECT_EQ(form->hiddenRows()[0].filepath, "/in/fine name.flv");
  ASSERT_EQ(runner.jobs.size(), 1u);
  EXPECT_NE(runner.jobs[0].command.find("-i \"/in/fine name.flv\""), std::string::npos);
}

TEST_F(MainWindow, AddCancelDeleteAndClear) {
  Show();
  Add({});  // cancelled
  EXPECT_TRUE(runner.jobs.empty());
  List({{"/in/a.flv", 10}, {"/in/a.flv", 10}, {"/in/c.flv", 30}});
  EXPECT_EQ(VisibleRows(*form).size(), 3u);  // the same file twice is listed twice

  QTest::mouseClick(form->suidelButton, Qt::LeftButton);  // nothing selected
  EXPECT_EQ(VisibleRows(*form).size(), 3u);
  form->suiListView1->setCurrentItem(form->suiListView1->topLevelItem(2));
  QTest::mouseClick(form->suidelButton, Qt::LeftButton);  // the last: selection moves up
  EXPECT_EQ(VisibleRows(*form).size(), 2u);
  EXPECT_EQ(form->suiListView1->currentItem(), form->suiListView1->topLevelItem(1));
  EXPECT_TRUE(form->suiListView1->currentItem()->isSelected());
  form->suiListView1->setCurrentItem(form->suiListView1->topLevelItem(0));
  QTest::mouseClick(form->suidelButton, Qt::LeftButton);  // the first: selection stays at 0
  EXPECT_EQ(form->suiListView1->currentItem(), form->suiListView1->topLevelItem(0));
  QTest::mouseClick(form->suidelButton, Qt::LeftButton);  // the only one: no selection
  EXPECT_TRUE(VisibleRows(*form).empty());
  EXPECT_TRUE(form->suiListView1->selectedItems().isEmpty());
  EXPECT_TRUE(form->hiddenRows().empty());

  // Clear during a probe drops the waiting files, and the late result changes nothing.
  Add({"/in/x.flv", "/in/y.flv"});
  QTest::mouseClick(form->suiclearButton, Qt::LeftButton);
  const size_t jobs = runner.jobs.size();
  ProbeOk(10);
  EXPECT_TRUE(VisibleRows(*form).empty());
  EXPECT_TRUE(form->hiddenRows().empty());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(runner.jobs.size(), jobs);
}

TEST_F(MainWindow, ConvertRefusesAnEmptyListOrAMissingFolder) {
  Show();
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  List({{"/in/a.flv", 10}});
  form->suiOutputDirectoryEdit->setText(QString::fromStdString(out.File("missing")));
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  form->suiOutputDirectoryEdit->setText("   ");
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[0].text, "No flv file added!");
  EXPECT_EQ(dialogs.messages[1].text, "The output directory does not exists!");
  EXPECT_EQ(dialogs.messages[2].text, "The output directory does not exists!");
  EXPECT_EQ(dialogs.messages[2].caption, "Warning");
  EXPECT_FALSE(form->isConverting());
}

TEST_F(MainWindow, BatchProgressStatusesAndEndMessage) {
  Show();
  List({{"/in/a.flv", 100}, {"/in/b.flv", 300}, {"/in/c.flv", 50}});
  form->suiOutputDirectoryEdit->setText(QString::fromStdString(out.path()));  // no final '/'
  testing_support::WriteWholeFile(out.File("c.avi"), "old");
  const size_t probes = runner.jobs.size();
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  EXPECT_TRUE(form->isConverting());
  EXPECT_EQ(form->suiconvertButton->text(), "Stop");
  EXPECT_FALSE(form->suiaddButton->isEnabled());
  EXPECT_FALSE(form->suimp3RadioButton->isEnabled());
  EXPECT_TRUE(form->suiconvertButton->isEnabled());
  EXPECT_EQ(form->suiProgressBar1->maximum(), 450);
  ASSERT_EQ(runner.jobs.size(), probes + 1);
  EXPECT_FALSE(runner.jobs.back().probe);
  EXPECT_NE(runner.jobs.back().command.find("\"" + out.File("a.avi") + "\""), std::string::npos);

  // A made-up runner writes the outputs the way the encoder would.
  testing_support::WriteWholeFile(out.File("a.avi"), "new");
  runner.Report(JOB_PROGRESS, 37);
  EXPECT_EQ(VisibleRows(*form)[0][2], "37%");
  runner.Report(JOB_ENDED, 0);
  EXPECT_EQ(VisibleRows(*form)[0][2], "Done");
  EXPECT_EQ(VisibleRows(*form)[1][2], "Ready");  // until its first report
  runner.Report(JOB_PROGRESS, 120);
  EXPECT_EQ(VisibleRows(*form)[1][2], "40%");
  EXPECT_EQ(form->suiProgressBar1->position(), 220);
  EXPECT_EQ(form->suiProgressBar1->caption(), "49%");
  runner.Report(JOB_PROGRESS, 360);  // beyond the file's length: nothing clamps
  EXPECT_EQ(VisibleRows(*form)[1][2], "120%");
  runner.Report(JOB_ENDED, 0);  // the encoder "succeeded" but left no b.avi
  EXPECT_EQ(VisibleRows(*form)[1][2], "Failed");
  EXPECT_FALSE(FileExists(out.File("c.avi")));  // overwrite on: the old output went first
  testing_support::WriteWholeFile(out.File("c.avi"), "new");
  runner.Report(JOB_ENDED, 0);
  EXPECT_EQ(VisibleRows(*form)[2][2], "Overwritten");

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "1 of 3 Flv files could not be converted!");
  EXPECT_EQ(dialogs.messages[0].caption, "Warning");
  EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Warning);
  EXPECT_EQ(dialogs.opened, QStringList{QString::fromStdString(out.path() + "/")});
  EXPECT_FALSE(form->isConverting());
  EXPECT_EQ(form->suiconvertButton->text(), "Convert FLV files");
  EXPECT_EQ(form->suiProgressBar1->position(), 0);
  EXPECT_TRUE(form->suiaddButton->isEnabled());

  // Reports after the batch change nothing.
  runner.Report(JOB_PROGRESS, 10);
  runner.Report(JOB_ENDED, 0);
  EXPECT_EQ(VisibleRows(*form)[2][2], "Overwritten");
  EXPECT_EQ(runner.jobs.size(), probes + 3);
}

TEST_F(MainWindow, SkippedOutputsStartNoRunner) {
  Show();
  List({{"/in/a.flv", 10}, {"/in/b.flv", 20}, {"/in/c.flv", 30}});
  form->suiOutputDirectoryEdit->setText(QString::fromStdString(out.path() + "/"));
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
    testing_support::WriteWholeFile(out.File(name), "x");
  QTest::mouseClick(form->suimp3RadioButton, Qt::LeftButton);
  form->suioverwriteCheckBox->setChecked(false);
  form->suiopenwhendoneCheckBox->setChecked(false);
  const size_t jobs = runner.jobs.size();
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  EXPECT_EQ(runner.jobs.size(), jobs);
  EXPECT_EQ(VisibleRows(*form), (Rows{{"/in/a.flv", "00:00:10", "Skipped"},
                                      {"/in/b.flv", "00:00:20", "Skipped"},
                                      {"/in/c.flv", "00:00:30", "Skipped"}}));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "All Flv files have been converted!");
  EXPECT_EQ(dialogs.messages[0].caption, "Message");
  EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Information);
  EXPECT_TRUE(dialogs.opened.isEmpty());
  EXPECT_EQ(form->suiProgressBar1->position(), 0);
}

TEST_F(MainWindow, ConvertWhileAProbeRunsWaitsForIt) {
  Show();
  List({{"/in/a.flv", 10}});
  form->suiOutputDirectoryEdit->setText(QString::fromStdString(out.path()));
  Add({"/in/b.flv", "/in/c.flv"});  // b's probe is in flight, c waits
  const size_t jobs = runner.jobs.size();
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  EXPECT_TRUE(form->isConverting());
  EXPECT_EQ(runner.jobs.size(), jobs);  // nothing yet: the probe reports first
  ProbeOk(20);                          // b is listed, outside the batch
  ASSERT_EQ(runner.jobs.size(), jobs + 1);
  EXPECT_FALSE(runner.jobs.back().probe);
  EXPECT_EQ(VisibleRows(*form).size(), 2u);
  testing_support::WriteWholeFile(out.File("a.avi"), "new");
  runner.Report(JOB_ENDED, 0);  // a done: the batch of one ends, c's probe resumes
  EXPECT_FALSE(form->isConverting());
  ASSERT_EQ(runner.jobs.size(), jobs + 2);
  EXPECT_TRUE(runner.jobs.back().probe);
  EXPECT_NE(runner.jobs.back().command.find("/in/c.flv"), std::string::npos);
  EXPECT_EQ(VisibleRows(*form)[1][2], "Ready");
}

TEST_F(MainWindow, StopAndALostRunner) {
  Show();
  List({{"/in/a.flv", 10}, {"/in/b.flv", 10}});
  form->suiOutputDirectoryEdit->setText(QString::fromStdString(out.path()));
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  runner.Gone();  // a's runner died without reporting: Failed, and the batch goes on
  EXPECT_EQ(VisibleRows(*form)[0][2], "Failed");
  EXPECT_TRUE(form->isConverting());
  runner.Report(JOB_PROGRESS, 4);
  EXPECT_EQ(VisibleRows(*form)[1][2], "40%");

  // Between two runners the click is lost.
  runner.runnerWindowExists = false;
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  EXPECT_TRUE(form->isConverting());
  runner.runnerWindowExists = true;
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  EXPECT_FALSE(form->isConverting());
  EXPECT_EQ(runner.abandoned, 1);
  EXPECT_EQ(VisibleRows(*form)[1][2], "40%");
  EXPECT_EQ(form->suiProgressBar1->position(), 0);
  EXPECT_TRUE(form->suiaddButton->isEnabled());
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindow, CloseIsRefusedWhileConverting) {
  Show();
  List({{"/in/a.flv", 10}});
  form->suiOutputDirectoryEdit->setText(QString::fromStdString(out.path()));
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  EXPECT_FALSE(form->close());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Please stop converting before exit!");
  EXPECT_FALSE(FileExists(Options()));
}

TEST_F(MainWindow, LinkButtonsOpenTheSite) {
  Show();
  QTest::mouseClick(form->helpSpeedButton, Qt::LeftButton);
  QTest::mouseClick(form->morefreeSpeedButton, Qt::LeftButton);
  ASSERT_EQ(dialogs.opened.size(), 2);
  EXPECT_TRUE(dialogs.opened[0].startsWith("https://"));
  EXPECT_EQ(dialogs.opened[1], dialogs.opened[0] + "/download.php");
}

TEST(DurationToText, WholeSecondsAsClock) {
  const std::pair<int, const char*> cases[] = {{0, "00:00:00"},
                                               {59, "00:00:59"},
                                               {65, "00:01:05"},
                                               {3725, "01:02:05"},
                                               {360000, "100:00:00"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(quorbit::DurationToText(seconds), text);
}

}  // namespace
