// Start-up and shutdown: the encoder is unpacked from its package shortly after the first
// showing and the package takes its place again at close; errors of the unpacking reach
// the user and the program goes on.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <QTest>

#include <gtest/gtest.h>

#include "common/progress_message.h"
#include "gui_support.h"
#include "main/load_form.h"
#include "platform/process.h"
#include "platform/profile_file.h"

namespace {

using namespace gui_testing;
using quorbit::Dialogs;
using quorbit::TForm1;
using testing_support::FileExists;
using testing_support::MakeFlv;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WaitUntil;

const std::string kPackage = QUORBIT_APP_DIR "norcel.dll";

// True when the program at path runs and says it is the encoder.
bool Runs(const std::string& path) {
  TempDir dir;
  const std::string command = "\"" + path + "\" -version > \"" + dir.File("out") + "\" 2>&1";
  return std::system(command.c_str()) == 0 &&
         ReadWholeFile(dir.File("out")).find("ffmpeg version") != std::string::npos;
}

// Probes with the real encoder whatever the window's own encoder is, and hands every other
// job on unchanged: a file can be listed while the window has no encoder of its own.
class ProbeWithRealEncoder : public quorbit::ProcessRunnerLink {
 public:
  using ProcessRunnerLink::ProcessRunnerLink;
  std::string encoderPath;
  void StartJob(bool probe, const std::string& commandLine) override {
    std::string command = commandLine;
    const std::string quoted = "\"" + encoderPath + "\"";
    if (probe && command.rfind(quoted, 0) == 0)
      command = "\"" + std::string(QUORBIT_FFMPEG) + "\"" + command.substr(quoted.size());
    ProcessRunnerLink::StartJob(probe, command);
  }
};

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_symlink(QUORBIT_APP_DIR "norcel", app.File("norcel"));
  }
  void InstallPackage() { std::filesystem::copy_file(kPackage, app.File("norcel.dll")); }
  std::unique_ptr<TForm1> Start() {
    auto form = std::make_unique<TForm1>(&dialogs, &runner, app.path());
    runner.encoderPath = form->encoderPath;
    form->show();
    return form;
  }
  // Lists a 2 s clip and points the output at the test's folder, ready to convert.
  void ListClip(TForm1& form, const std::string& name) {
    const std::string clip = media.File(name);
    ASSERT_TRUE(MakeFlv(clip, 2));
    dialogs.fileChoices.push_back({QString::fromStdString(clip)});
    QTest::mouseClick(form.suiaddButton, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return form.suiListView1->topLevelItemCount() == 1; }));
    form.suiOutputDirectoryEdit->setText(QString::fromStdString(out.path()));
    form.suiopenwhendoneCheckBox->setChecked(false);
  }
  // Lets the one-shot start-up timer fire.
  void Settle(TForm1& form) {
    ASSERT_TRUE(WaitFor([&] { return !form.Timer1->isActive(); }, std::chrono::seconds(10)));
  }

  testing_support::PrivateSystemFolder system;
  TempDir app, media, out;
  FakeDialogs dialogs;
  ProbeWithRealEncoder runner{app.path() + "/"};
};

TEST_F(Startup, EncoderIsUnpackedAtStartAndPackedAgainAtClose) {
  InstallPackage();
  ASSERT_NE(ReadWholeFile(kPackage), ReadWholeFile(QUORBIT_FFMPEG)) << "the package is scrambled";
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    auto form = Start();
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 50);
    Settle(*form);
    EXPECT_EQ(ReadWholeFile(form->encoderPath), ReadWholeFile(QUORBIT_FFMPEG));
    EXPECT_TRUE(Runs(form->encoderPath));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(ReadWholeFile(form->encoderPath), ReadWholeFile(app.File("norcel.dll")));
    EXPECT_FALSE(Runs(form->encoderPath));
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Startup, LaterShowingsDoNoStartUpWork) {
  InstallPackage();
  auto form = Start();
  Settle(*form);
  platform::WriteProfileString("General", "Directory", "/elsewhere", app.File("options.ini"));
  const QString folder = form->suiOutputDirectoryEdit->text();
  // The way the settings dialog hides and shows the window again.
  form->hide();
  form->show();
  QCoreApplication::processEvents();
  EXPECT_FALSE(form->Timer1->isActive());
  EXPECT_EQ(form->suiOutputDirectoryEdit->text(), folder);
}

TEST_F(Startup, AMissingPackageIsReportedAndConversionsFail) {
  std::filesystem::copy_file(QUORBIT_FFMPEG, system.folder() + "norcel.dll");  // a stale one
  auto form = Start();
  Settle(*form);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  const std::string text = dialogs.messages[0].text.toStdString();
  EXPECT_EQ(text.rfind("Cannot open file \"" + form->encoderSourcePath + "\". ", 0), 0u) << text;
  EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Error);
  EXPECT_FALSE(FileExists(form->encoderPath));

  // The window stays usable; a conversion without an encoder ends as a failure.
  ASSERT_NO_FATAL_FAILURE(ListClip(*form, "a.flv"));
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return dialogs.messages.size() == 2; }));
  EXPECT_EQ(VisibleRows(*form)[0][2], "Failed");
  EXPECT_EQ(dialogs.messages[1].text, "1 of 1 Flv files could not be converted!");
  EXPECT_TRUE(form->close());
}

TEST_F(Startup, AnEncoderThatCannotBeWrittenIsReported) {
  InstallPackage();
  auto form = Start();
  // The encoder's place cannot take a file: a folder stands there (this also holds for
  // root, whom no permission bits stop).
  std::filesystem::create_directory(form->encoderPath);
  std::filesystem::create_directory(form->encoderPath + "/inside");
  Settle(*form);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  const std::string text = dialogs.messages[0].text.toStdString();
  EXPECT_EQ(text.rfind("Cannot create file \"" + form->encoderPath + "\". ", 0), 0u) << text;
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(std::filesystem::is_directory(form->encoderPath)) << "failures at close are ignored";
}

TEST_F(Startup, CloseIsRefusedWhileConvertingAndTheEncoderStays) {
  InstallPackage();
  auto form = Start();
  Settle(*form);
  ASSERT_NO_FATAL_FAILURE(ListClip(*form, "long.flv"));
  QTest::mouseClick(form->suiconvertButton, Qt::LeftButton);
  ASSERT_TRUE(form->isConverting());
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.messages.back().text, "Please stop converting before exit!");
  EXPECT_EQ(dialogs.messages.back().caption, "Warning");
  EXPECT_TRUE(Runs(form->encoderPath));
  ASSERT_TRUE(WaitFor([&] { return !form->isConverting(); }));
  EXPECT_TRUE(form->close());
}

TEST(LoadForm, HiddenWithItsTimerStoppedAndItsTickRule) {
  quorbit::TloadForm loadForm;
  EXPECT_EQ(loadForm.windowTitle(), "Loading...");
  EXPECT_FALSE(loadForm.isVisible());
  EXPECT_FALSE(loadForm.Timer1->isActive());
  EXPECT_EQ(loadForm.Timer1->interval(), 300);
  EXPECT_EQ(loadForm.size(), QSize(277, 88));
  EXPECT_EQ(loadForm.suiProgressBar1->UIStyle(), skin::TsuiUIStyle::WinXP);
  loadForm.Timer1->start();
  std::vector<int> positions;
  for (int i = 0; i < 12 && loadForm.Timer1->isActive(); ++i) {
    loadForm.Timer1Timer();
    positions.push_back(loadForm.suiProgressBar1->position());
  }
  EXPECT_EQ(positions, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
  EXPECT_FALSE(loadForm.Timer1->isActive());
  loadForm.suiProgressBar1->setPosition(95);
  loadForm.Timer1Timer();
  EXPECT_EQ(loadForm.suiProgressBar1->position(), 20);
}

}  // namespace
