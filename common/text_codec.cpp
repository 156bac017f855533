#include "common/text_codec.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>

namespace common {

namespace {

// Only this prefix of a package passes through the keystream; the rest is copied as it is.
constexpr std::size_t kKeystreamBytes = 1000;
constexpr uint32_t kKeystreamMultiplier = 52845;
constexpr uint32_t kKeystreamIncrement = 22719;

uint8_t KeyByte(std::size_t index) {
  return ScrambleKey[index % ScrambleKey.size()];
}

std::string ErrorText(const char* what, const std::string& path, const std::string& reason) {
  return std::string(what) + " \"" + path + "\". " + reason;
}

[[noreturn]] void ThrowOpenError(const std::string& path, const std::string& reason) {
  throw FileError(ErrorText("Cannot open file", path, reason));
}

[[noreturn]] void ThrowCreateError(const std::string& path, int error) {
  throw FileError(ErrorText("Cannot create file", path, strerror(error)));
}

std::string ReadSource(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowOpenError(path, strerror(errno));
  std::string data;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      ThrowOpenError(path, strerror(error));
    }
    data.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (data.size() < kKeystreamBytes) {
    ThrowOpenError(path, "The file is shorter than " + std::to_string(kKeystreamBytes) + " bytes.");
  }
  return data;
}

void WriteDestination(const std::string& path, const std::string& data) {
  // Ordinary file permissions: whoever runs the result marks it executable itself.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) ThrowCreateError(path, errno);
  std::size_t done = 0;
  int error = 0;
  while (done < data.size()) {
    const ssize_t put = ::write(fd, data.data() + done, data.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    done += static_cast<std::size_t>(put);
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    // A half-written encoder must not look runnable.
    ::unlink(path.c_str());
    ThrowCreateError(path, error);
  }
}

uint16_t NextState(uint16_t state, uint8_t scrambled) {
  // In 32 bits: uint16_t arithmetic would promote to int and could overflow.
  return static_cast<uint16_t>((state + uint32_t{scrambled}) * kKeystreamMultiplier +
                               kKeystreamIncrement);
}

// Shared frame of both directions: delete, read, transform the prefix in place, write.
template <typename Transform>
void TransformFile(const std::string& sourcePath, const std::string& destinationPath,
                   Transform transform) {
  ::unlink(destinationPath.c_str());
  std::string data = ReadSource(sourcePath);
  transform(data);
  WriteDestination(destinationPath, data);
}

}  // namespace

std::string ScrambleText(const std::string& plain) {
  std::string text;
  text.reserve(plain.size() * 2);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const uint8_t s = static_cast<uint8_t>(static_cast<uint8_t>(plain[i]) + KeyByte(i));
    text.push_back(static_cast<char>('A' + s / 26));
    text.push_back(static_cast<char>('A' + s % 26));
  }
  return text;
}

std::string UnscrambleText(const std::string& text) {
  const std::size_t count = text.size() / 2;
  std::string plain;
  plain.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const int high = static_cast<uint8_t>(text[2 * i]) - 'A';
    const int low = static_cast<uint8_t>(text[2 * i + 1]) - 'A';
    // Conversion to uint8_t keeps the low 8 bits, also of the negative values that characters
    // below 'A' give.
    const uint8_t s = static_cast<uint8_t>(high * 26 + low);
    plain.push_back(static_cast<char>(static_cast<uint8_t>(s - KeyByte(i))));
  }
  return plain;
}

void UnscrambleFile(const std::string& sourcePath, const std::string& destinationPath,
                    uint16_t seed, const std::function<void()>& afterFirstByte) {
  TransformFile(sourcePath, destinationPath, [&](std::string& data) {
    uint16_t state = seed;
    for (std::size_t i = 0; i < kKeystreamBytes; ++i) {
      const uint8_t scrambled = static_cast<uint8_t>(data[i]);
      data[i] = static_cast<char>(scrambled ^ (state >> 8));
      state = NextState(state, scrambled);
      if (i == 0 && afterFirstByte) afterFirstByte();
    }
  });
}

void ScrambleFile(const std::string& sourcePath, const std::string& destinationPath,
                  uint16_t seed) {
  TransformFile(sourcePath, destinationPath, [&](std::string& data) {
    uint16_t state = seed;
    for (std::size_t i = 0; i < kKeystreamBytes; ++i) {
      const uint8_t scrambled = static_cast<uint8_t>(static_cast<uint8_t>(data[i]) ^ (state >> 8));
      data[i] = static_cast<char>(scrambled);
      // Both directions advance with the scrambled byte, so the unpacker can follow.
      state = NextState(state, scrambled);
    }
  });
}

}  // namespace common
