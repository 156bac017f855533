#include "live_window_support.h"

#include <signal.h>
#include <stdlib.h>

#include <filesystem>

#include <QTest>

#include <gtest/gtest.h>

namespace gui_testing {

using testing_support::OpenDescriptors;
using testing_support::ProcessesWithEnvironment;
using testing_support::ReadWholeFile;
using testing_support::ZombieChildren;

LiveWindow::LiveWindow(const std::function<void(const std::string& appFolder)>& prepare) {
  std::filesystem::create_symlink(QUORBIT_APP_DIR "norcel", app_.File("norcel"));
  InstallEncoderPackage(app_.path());
  if (prepare) prepare(app_.path());
  link_ = std::make_unique<HookedRunnerLink>(app_.path() + "/");
  form_ = std::make_unique<quorbit::TForm1>(&dialogs, link_.get(), app_.path());
  form_->show();
  // The encoder is unpacked shortly after the first showing.
  if (!WaitFor([&] { return !form_->Timer1->isActive(); }, std::chrono::seconds(20)))
    ADD_FAILURE() << "the encoder was not unpacked";
  form_->suiopenwhendoneCheckBox->setChecked(false);
}

LiveWindow::~LiveWindow() {
  if (form_ && form_->isConverting()) form_->suiconvertButtonClick();
  form_.reset();
  link_.reset();
}

bool LiveWindow::Add(const QStringList& files, std::chrono::milliseconds timeout) {
  dialogs.fileChoices.push_back(files);
  QTest::mouseClick(form_->suiaddButton, Qt::LeftButton);
  return WaitFor(
      [&] {
        return !form_->isProbing() &&
               form_->hiddenRows().size() == size_t(form_->suiListView1->topLevelItemCount());
      },
      timeout);
}

bool LiveWindow::Convert(std::chrono::milliseconds timeout) {
  QTest::mouseClick(form_->suiconvertButton, Qt::LeftButton);
  return WaitFor([&] { return !form_->isConverting(); }, timeout);
}

std::vector<pid_t> ProcessesOfThisSystemFolder() {
  const char* folder = getenv("QUORBIT_SYSTEM_DIR");
  if (!folder || !*folder) {
    ADD_FAILURE() << "no private system folder is set";
    return {};
  }
  return ProcessesWithEnvironment(std::string("QUORBIT_SYSTEM_DIR=") + folder);
}

pid_t RunnerOf(pid_t encoder) {
  for (pid_t pid : ProcessesOfThisSystemFolder()) {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    if (ec || exe.filename() != "norcel") continue;
    for (pid_t child : testing_support::ChildrenOf(pid))
      if (child == encoder) return pid;
  }
  return 0;
}

std::vector<std::string> SettledDescriptors() {
  testing_support::PrivateSystemFolder system;
  testing_support::TempDir app;
  FakeDialogs dialogs;
  FakeRunner runner;
  {
    quorbit::TForm1 form(&dialogs, &runner, app.path());
    form.show();
    WaitFor([&] { return !form.Timer1->isActive(); }, std::chrono::seconds(5));
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  return OpenDescriptors();
}

namespace {
std::string Describe(const std::vector<pid_t>& pids) {
  std::string text;
  for (pid_t pid : pids) {
    std::string command = ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
    for (char& c : command)
      if (c == '\0') c = ' ';
    text += "\n  " + std::to_string(pid) + ": " + command;
  }
  return text;
}
}  // namespace

void ExpectNothingLeft(std::unique_ptr<LiveWindow>* window,
                       const std::vector<std::string>& descriptorsBefore, const std::string& what) {
  // A runner tears down for about a second after its last report.
  const bool gone =
      WaitFor([] { return ProcessesOfThisSystemFolder().empty(); }, std::chrono::seconds(20));
  if (!gone) {
    const std::vector<pid_t> left = ProcessesOfThisSystemFolder();
    ADD_FAILURE() << what << ": still running:" << Describe(left);
    for (pid_t pid : left) kill(pid, SIGKILL);  // ours: they carry our private folder
  }
  EXPECT_TRUE(WaitFor([] { return ZombieChildren() == 0; }, std::chrono::seconds(5)))
      << what << ": " << ZombieChildren() << " zombie children";
  window->reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  EXPECT_EQ(OpenDescriptors(), descriptorsBefore) << what;
}

}  // namespace gui_testing
