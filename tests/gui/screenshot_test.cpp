// Saves a picture of the main window mid-batch, for reviewing the look. The picture is
// build/screenshots/main-window.png.
#include <filesystem>

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "common/progress_message.h"
#include "gui_support.h"

namespace {

using namespace gui_testing;

TEST(Screenshot, MainWindowMidBatch) {
  testing_support::PrivateSystemFolder system;
  testing_support::TempDir app, out;
  FakeDialogs dialogs;
  FakeRunner runner;
  InstallEncoderPackage(app.path());
  quorbit::TForm1 form(&dialogs, &runner, app.path());
  form.show();
  QCoreApplication::processEvents();
  form.suiOutputDirectoryEdit->setText(QString::fromStdString(out.path()));
  for (auto [name, seconds] :
       {std::pair{"holiday.flv", 95}, {"lecture part 1.flv", 3725}, {"clip.flv", 12}}) {
    dialogs.fileChoices.push_back({QString::fromStdString("/videos/") + name});
    form.suiaddButtonClick();
    WriteJpeg(form.thumbPath, 160, 120);
    runner.Report(common::JOB_ENDED, seconds);
  }
  form.suiconvertButtonClick();
  runner.Report(common::JOB_PROGRESS, 40);
  ASSERT_EQ(form.suiProgressBar1->caption(), "1%");

  const QImage shot = form.grab().toImage();
  ASSERT_EQ(shot.size(), QSize(712, 527));
  std::filesystem::create_directories(QUORBIT_SCREENSHOT_DIR);
  const QString path = QUORBIT_SCREENSHOT_DIR "main-window.png";
  ASSERT_TRUE(shot.save(path)) << path.toStdString();
  EXPECT_EQ(QImage(path).size(), shot.size());
}

}  // namespace
