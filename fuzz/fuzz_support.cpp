#include "fuzz/fuzz_support.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace fuzz {
namespace {

// A fuzz run cannot go on without its file: report the reason and stop.
[[noreturn]] void Fail(const char* what, const std::string& path) {
  std::fprintf(stderr, "fuzz input file: %s %s: %s\n", what, path.c_str(), std::strerror(errno));
  std::abort();
}

}  // namespace

InputFile& InputFile::Get() {
  static InputFile file;
  return file;
}

InputFile::InputFile() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quorbit-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) Fail("cannot make folder", pattern);
  folder_ = pattern;
  path_ = folder_ + "/input";
}

InputFile::~InputFile() {
  unlink(path_.c_str());
  rmdir(folder_.c_str());
}

void InputFile::Write(const uint8_t* data, size_t size) {
  const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) Fail("cannot open", path_);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write", path_);
    }
    done += static_cast<size_t>(n);
  }
  if (close(fd) != 0) Fail("cannot close", path_);
}

void CheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::abort();
}

}  // namespace fuzz
