// Helpers shared by the test programs: private temporary folders, a private system folder,
// and waiting for a condition with a deadline instead of sleeping.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace testing_support {

// A fresh folder under the temporary folder, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path without a trailing '/'.
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets an environment variable for the lifetime of the object and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A temporary folder that is also this process's system folder (QUORBIT_SYSTEM_DIR).
class PrivateSystemFolder {
 public:
  PrivateSystemFolder();
  // The system folder with a trailing '/'.
  std::string folder() const { return dir_.path() + "/"; }

 private:
  TempDir dir_;
  ScopedEnv env_;
};

// Polls `condition` until it holds or `timeout` has passed; returns its last value.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& data);
bool FileExists(const std::string& path);

// True when pid has ended (gone, or a zombie not yet reaped by whoever adopted it).
bool ProcessGone(pid_t pid);

// Children of pid, from /proc.
std::vector<pid_t> ChildrenOf(pid_t pid);

// Descriptors open in this process.
std::vector<std::string> OpenDescriptors();

// Zombie children of this process.
int ZombieChildren();

// The text with every character other than a letter or a digit made '_', as the name of a
// table row's test must be.
std::string AsTestName(const std::string& text);

// Makes an FLV of the given length with the real encoder (160x120, with a sine tone unless
// withAudio is false); false when it could not.
bool MakeFlv(const std::string& path, double seconds, bool withAudio = true);

// Live processes other than this one whose environment holds entry ("NAME=value"); those
// already ended but not yet reaped are not counted.
std::vector<pid_t> ProcessesWithEnvironment(const std::string& entry);

}  // namespace testing_support
