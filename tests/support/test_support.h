// Helpers shared by the test programs: private temporary folders, a private system folder,
// and waiting for a condition with a deadline instead of sleeping.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

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

}  // namespace testing_support
