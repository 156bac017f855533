// Files as a user adds them through the file dialog, good and bad, one row each, into one
// window with the real runner and encoder: each is listed with its duration or refused with
// "Failed to load: " and its path, none holds up the queue, and whatever was listed converts.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include <QFile>

#include <gtest/gtest.h>

#include "live_window_support.h"
#include "main/command_line.h"
#include "platform/profile_file.h"

namespace {

using namespace gui_testing;
using quorbit::TForm1;
using testing_support::FileExists;
using testing_support::MakeFlv;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WriteWholeFile;

// A name as the dialog hands it over: a QString decoded from the file's bytes.
QString AsChosen(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// Makes the file in folder and returns its path (bytes as on disk).
using Maker = std::function<std::string(const std::string& folder)>;

std::string Flv(const std::string& path, double seconds = 2, bool withAudio = true) {
  EXPECT_TRUE(MakeFlv(path, seconds, withAudio)) << path;
  return path;
}

// The first `bytes` bytes of a 4 s FLV.
Maker CutFlv(size_t bytes, bool half) {
  return [=](const std::string& folder) {
    const std::string whole = Flv(folder + "/whole.flv", 4);
    const std::string data = ReadWholeFile(whole);
    const std::string path = folder + "/cut.flv";
    WriteWholeFile(path, data.substr(0, half ? data.size() / 2 : bytes));
    std::filesystem::remove(whole);
    return path;
  };
}

// A path of exactly `length` bytes, under folders of 200-byte names.
std::string LongPath(const std::string& folder, size_t length) {
  std::string path = folder;
  const std::string tail = "/clip.flv";
  while (path.size() + 1 + 200 + tail.size() < length) {
    path += "/" + std::string(200, 'd');
    std::filesystem::create_directory(path);
  }
  path += "/" + std::string(length - path.size() - 1 - tail.size(), 'e');
  std::filesystem::create_directory(path);
  return path + tail;
}

struct BadFile {
  std::string name;
  Maker make;
  // The outcome: listed with this duration text, or refused when empty.
  std::string duration;
};

const std::vector<BadFile> kFiles = {
    {"blanks in the name", [](const std::string& f) { return Flv(f + "/my  holiday clip .flv"); },
     "00:00:02"},
    // The header's duration is read; the frame at one second is still there.
    {"FLV cut in half", CutFlv(0, true), "00:00:04"},
    {"FLV cut inside its first frame", CutFlv(2000, false), ""},
    {"zero-byte file",
     [](const std::string& f) {
       WriteWholeFile(f + "/empty.flv", "");
       return f + "/empty.flv";
     },
     ""},
    {"text file named .flv",
     [](const std::string& f) {
       WriteWholeFile(f + "/notes.flv", "shopping list\n- milk\n- video tapes\n");
       return f + "/notes.flv";
     },
     ""},
    {"audio-only FLV",
     [](const std::string& f) {
       // The sine tone alone: there is no picture to take a thumbnail from.
       const std::string path = f + "/sound.flv";
       const std::string command = "\"" QUORBIT_FFMPEG
                                   "\" -nostdin -v error -y -f lavfi -i "
                                   "sine=duration=3 -c:a mp3 -ar 22050 \"" +
                                   path + "\"";
       EXPECT_EQ(std::system(command.c_str()), 0);
       return path;
     },
     ""},
    {"non-UTF-8 bytes in the name",
     [](const std::string& f) { return Flv(f + "/caf\xe9 \xff\xfe latin1.flv"); }, "00:00:02"},
    {"name of 255 bytes",
     [](const std::string& f) { return Flv(f + "/" + std::string(251, 'n') + ".flv"); },
     "00:00:02"},
    {"path of 4000 bytes", [](const std::string& f) { return Flv(LongPath(f, 4000)); }, "00:00:02"},
};

TEST(BadFiles, EachIsListedOrRefusedAndTheQueueGoesOn) {
  const std::vector<std::string> descriptorsBefore = SettledDescriptors();
  testing_support::PrivateSystemFolder system;
  TempDir media, out;
  auto window = std::make_unique<LiveWindow>();
  TForm1& form = window->form();
  form.suiOutputDirectoryEdit->setText(QString::fromStdString(out.path()));

  std::vector<std::string> listed;  // the paths (bytes) expected in the list, in order
  for (size_t i = 0; i < kFiles.size(); ++i) {
    const BadFile& row = kFiles[i];
    SCOPED_TRACE(row.name);
    const std::string folder = media.File("row" + std::to_string(i));
    std::filesystem::create_directory(folder);
    const std::string path = row.make(folder);
    ASSERT_TRUE(FileExists(path)) << path;
    const size_t messagesBefore = window->dialogs.messages.size();
    ASSERT_TRUE(window->Add({AsChosen(path)})) << "the probe did not end";
    const auto rows = VisibleRows(form);
    std::vector<std::string> shown;
    for (size_t m = messagesBefore; m < window->dialogs.messages.size(); ++m)
      shown.push_back(window->dialogs.messages[m].text.toStdString());
    if (row.duration.empty()) {
      EXPECT_EQ(shown,
                std::vector<std::string>{("Failed to load: " + AsChosen(path)).toStdString()});
      EXPECT_EQ(rows.size(), listed.size());
    } else {
      EXPECT_TRUE(shown.empty()) << shown.front();
      listed.push_back(path);
      ASSERT_EQ(rows.size(), listed.size());
      EXPECT_EQ(rows.back(),
                (std::vector<std::string>{AsChosen(path).toStdString(), row.duration, "Ready"}));
      // The window keeps the file's own bytes, whatever the text it shows.
      EXPECT_EQ(form.hiddenRows().back().filepath, path);
    }
  }

  // The queue still takes a good file after all of them.
  const std::string last = Flv(media.File("last.flv"));
  ASSERT_TRUE(window->Add({AsChosen(last)}));
  listed.push_back(last);
  ASSERT_EQ(VisibleRows(form).size(), listed.size());
  EXPECT_EQ(VisibleRows(form).back()[0], last);

  // Every listed file converts, under its own name.
  form.suimp3RadioButton->click();
  ASSERT_TRUE(window->Convert(std::chrono::seconds(120)));
  EXPECT_EQ(window->dialogs.messages.back().text.toStdString(),
            "All Flv files have been converted!");
  for (size_t i = 0; i < listed.size(); ++i) {
    SCOPED_TRACE(listed[i]);
    EXPECT_EQ(VisibleRows(form)[i][2], "Done");
    const std::string output =
        quorbit::OutputPathFor(quorbit::OutputFamily::kMp3, out.path() + "/", listed[i]);
    EXPECT_TRUE(FileExists(output)) << output;
  }

  ExpectNothingLeft(&window, descriptorsBefore, "bad files");
}

// The same bytes in the output folder that options.ini names: the edit shows them as text,
// the batch writes into that very folder, and the folder is stored back unchanged.
TEST(BadFiles, OutputFolderWithNonUtf8BytesIsKept) {
  testing_support::PrivateSystemFolder system;
  TempDir media, out;
  const std::string folder = out.File(
      "v\xe9\xef"
      "deos \xff");
  std::filesystem::create_directory(folder);
  std::string options;
  auto window = std::make_unique<LiveWindow>([&](const std::string& app) {
    options = app + "/options.ini";
    platform::WriteProfileString("General", "Directory", folder, options);
  });
  TForm1& form = window->form();
  EXPECT_EQ(form.suiOutputDirectoryEdit->text(), AsChosen(folder));
  const std::string clip = Flv(media.File("clip.flv"));
  ASSERT_TRUE(window->Add({AsChosen(clip)}));
  form.suimp3RadioButton->click();
  ASSERT_TRUE(window->Convert());
  EXPECT_EQ(window->dialogs.messages.back().text.toStdString(),
            "All Flv files have been converted!");
  EXPECT_EQ(VisibleRows(form)[0][2], "Done");
  EXPECT_TRUE(FileExists(folder + "/clip.mp3"));
  EXPECT_TRUE(form.close());
  EXPECT_EQ(platform::ReadProfileString("General", "Directory", "", 4096, options), folder);
}

}  // namespace
