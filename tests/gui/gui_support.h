// What the window tests share: dialogs answered by the test, a runner line the test drives,
// and a main window in a private program folder.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QStringList>

#include "main/dialogs.h"
#include "main/main_window.h"
#include "main/runner_link.h"
#include "test_support.h"

namespace gui_testing {

struct Message {
  QString text, caption;
  quorbit::Dialogs::Icon icon;
};

// Answers every dialog from what the test put in, and records what was shown.
class FakeDialogs : public quorbit::Dialogs {
 public:
  void ShowMessage(QWidget*, const QString& text, const QString& caption, Icon icon) override {
    messages.push_back({text, caption, icon});
    if (onMessage) onMessage();
  }
  QStringList ChooseFiles(QWidget*, const QString& title, const QString& filter) override {
    lastTitle = title;
    lastFilter = filter;
    if (fileChoices.empty()) return {};
    QStringList files = fileChoices.front();
    fileChoices.pop_front();
    return files;
  }
  bool BrowseForFolder(QWidget*, const QString& title, QString* folder) override {
    lastTitle = title;
    if (!folderChoice) return false;
    *folder = *folderChoice;
    return true;
  }
  void OpenInShell(const QString& target) override { opened.push_back(target); }

  std::vector<Message> messages;
  std::function<void()> onMessage;  // called as each message is shown
  std::deque<QStringList> fileChoices;
  std::optional<QString> folderChoice;
  QStringList opened;
  QString lastTitle, lastFilter;
};

// Records the jobs the window starts; the test plays the runner's part.
class FakeRunner : public quorbit::RunnerLink {
 public:
  struct Job {
    bool probe;
    std::string command;
  };
  void StartJob(bool probe, const std::string& commandLine) override {
    jobs.push_back({probe, commandLine});
  }
  bool RequestStop() override {
    ++stopRequests;
    return runnerWindowExists;
  }
  void Abandon() override { ++abandoned; }
  void Report(uint32_t code, int32_t value) { emit report(code, value); }
  void Gone() { emit runnerGone(); }

  std::vector<Job> jobs;
  int stopRequests = 0, abandoned = 0;
  bool runnerWindowExists = true;
};

// Puts the encoder package the build made into a program folder, as an installation has it.
void InstallEncoderPackage(const std::string& appFolder);

// Processes events until condition holds or the deadline passes.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Writes a small JPEG of the given size.
void WriteJpeg(const std::string& path, int width, int height);

// The visible list as rows of its three columns.
std::vector<std::vector<std::string>> VisibleRows(const quorbit::TForm1& form);

}  // namespace gui_testing
