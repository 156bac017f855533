// Saves pictures of the main window mid-batch, for reviewing the look: in DeepBlue,
// build/screenshots/main-window.png, and in a generated theme, main-window-theme.png.
#include <filesystem>

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "common/progress_message.h"
#include "gui_support.h"
#include "theme_writer.h"

namespace {

using namespace gui_testing;

// The window mid-batch, saved under `name` in the screenshot folder.
QImage MidBatchShot(const testing_support::TempDir& app, const QString& name) {
  testing_support::TempDir out;
  FakeDialogs dialogs;
  FakeRunner runner;
  InstallEncoderPackage(app.path());
  quorbit::TForm1 form(&dialogs, &runner, app.path());
  form.show();
  QCoreApplication::processEvents();
  form.suiOutputDirectoryEdit->setText(QString::fromStdString(out.path()));
  for (auto [file, seconds] :
       {std::pair{"holiday.flv", 95}, {"lecture part 1.flv", 3725}, {"clip.flv", 12}}) {
    dialogs.fileChoices.push_back({QString::fromStdString("/videos/") + file});
    form.suiaddButtonClick();
    WriteJpeg(form.thumbPath, 160, 120);
    runner.Report(common::JOB_ENDED, seconds);
  }
  form.suiconvertButtonClick();
  runner.Report(common::JOB_PROGRESS, 40);
  EXPECT_EQ(form.suiProgressBar1->caption(), "1%");

  const QImage shot = form.grab().toImage();
  EXPECT_EQ(shot.size(), QSize(712, 527));
  std::filesystem::create_directories(QUORBIT_SCREENSHOT_DIR);
  const QString path = QUORBIT_SCREENSHOT_DIR + name;
  EXPECT_TRUE(shot.save(path)) << path.toStdString();
  EXPECT_EQ(QImage(path).size(), shot.size());
  return shot;
}

TEST(Screenshot, MainWindowMidBatchInDeepBlueAndInAGeneratedTheme) {
  testing_support::PrivateSystemFolder system;
  testing_support::TempDir plainApp, themedApp;
  const QImage deepBlue = MidBatchShot(plainApp, "main-window.png");
  testing_support::WriteWholeFile(themedApp.File("OneOrange.ssk"),
                                  theme_writer::Theme(theme_writer::OrangeEntries()));
  const QImage themed = MidBatchShot(themedApp, "main-window-theme.png");
  // The title bar and the form take the theme's colours.
  EXPECT_EQ(themed.pixelColor(400, 12), QColor(QRgb(theme_writer::kOrangeTitle)));
  EXPECT_NE(deepBlue.pixelColor(400, 12), themed.pixelColor(400, 12));
  EXPECT_EQ(themed.pixelColor(8, 520), QColor(QRgb(theme_writer::kOrangeForm)));
}

}  // namespace
