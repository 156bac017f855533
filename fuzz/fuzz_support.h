// What the fuzz targets share: a private file for the parsers that read a path, and a check
// that stops the run the way a crash does, so that libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// A file of its own in a folder made once per process under $TMPDIR (or /tmp), mode 0700.
// Write replaces the file's contents; folder and file are removed when the process exits.
class InputFile {
 public:
  static InputFile& Get();
  const std::string& path() const { return path_; }
  void Write(const uint8_t* data, size_t size);

 private:
  InputFile();
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::string folder_;
  std::string path_;
};

[[noreturn]] void CheckFailed(const char* condition, const char* file, int line);

}  // namespace fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::fuzz::CheckFailed(#condition, __FILE__, __LINE__))
