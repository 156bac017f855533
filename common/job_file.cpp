#include "common/job_file.h"

#include "common/progress_message.h"
#include "common/text_codec.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile_file.h"
#include "platform/shell.h"

namespace common {

namespace {
constexpr const char* kSection = "Command";
}

std::string JobFilePath(const std::string& systemFolder) {
  return platform::WithTrailingSlash(systemFolder) + "simplequorbitcore.ini";
}

Job ReadJob() {
  const std::string path = JobFilePath(platform::SystemFolder());
  Job job;
  job.window =
      static_cast<platform::WindowHandle>(platform::ReadProfileInt(kSection, "W", 0, path));
  // One byte more than the bound tells a C that fits from one that would have been cut.
  job.command = platform::ReadProfileString(kSection, "C", "", kMaxScrambledCommand + 2, path);
  if (job.command.size() > kMaxScrambledCommand) {
    job.commandTooLong = true;
    job.command.clear();
  }
  job.probe = platform::ReadProfileInt(kSection, "M", 0, path) != 0;
  platform::DeleteFile(path);
  return job;
}

bool WriteJobFile(bool probe, platform::WindowHandle window, const std::string& commandLine) {
  const std::string scrambled = ScrambleText(commandLine);
  if (scrambled.size() > kMaxScrambledCommand) return false;
  const std::string path = JobFilePath(platform::SystemFolder());
  platform::DeleteFile(path);
  if (platform::WriteProfileString(kSection, "M", probe ? "1" : "0", path) &&
      platform::WriteProfileString(kSection, "W", std::to_string(window), path) &&
      platform::WriteProfileString(kSection, "C", scrambled, path))
    return true;
  // A job that stopped after M or W would still be picked up by the next runner.
  platform::DeleteFile(path);
  return false;
}

bool WriteJob(const std::string& appFolder, bool probe, platform::WindowHandle window,
              const std::string& commandLine, platform::ChildProcess* runner, std::string* error) {
  // Without a folder, "norcel" would be looked up in PATH and whatever is found there would
  // be handed the job.
  if (appFolder.empty()) {
    if (error) *error = "the program's folder is not known";
    return false;
  }
  if (!WriteJobFile(probe, window, commandLine)) {
    if (error) *error = "the job could not be written";
    return false;
  }
  std::string why;
  if (!platform::StartDetached({platform::WithTrailingSlash(appFolder) + "norcel"}, runner, &why)) {
    if (error) *error = "the runner could not be started: " + why;
    return false;
  }
  return true;
}

bool RequestStop() {
  const platform::WindowHandle runner = platform::FindWindowByTitle(RunnerWindowTitle);
  if (runner == 0) return false;
  int32_t reply = 0;
  return platform::SendWindowMessage(runner, ProgressMessage, JOB_STOP, 0, &reply);
}

}  // namespace common
