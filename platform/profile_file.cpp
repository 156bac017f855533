#include "platform/profile_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace platform {
namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr size_t kUtf8BomSize = 3;

enum class ReadResult { kOk, kMissing, kError };

// Reads the whole file; mode (when given) receives its permission bits.
ReadResult ReadFile(const std::string& path, std::string* contents, mode_t* mode = nullptr) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kError;
  if (mode) {
    struct stat st;
    if (fstat(fd, &st) != 0) {
      close(fd);
      return ReadResult::kError;
    }
    *mode = st.st_mode & 07777;
  }
  contents->clear();
  char chunk[65536];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return ReadResult::kError;
    }
    if (n == 0) break;
    contents->append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  return ReadResult::kOk;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::string Trim(const std::string& text, size_t begin, size_t end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The position of c in [begin, end), or end.
size_t FindInLine(const std::string& text, char c, size_t begin, size_t end) {
  while (begin < end && text[begin] != c) ++begin;
  return begin;
}

std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// One line of the file: its text is [begin, end), its line end [end, next).
struct Line {
  size_t begin;
  size_t end;
  size_t next;
};

std::vector<Line> SplitLines(const std::string& contents, size_t start) {
  std::vector<Line> lines;
  size_t pos = start;
  while (pos < contents.size()) {
    size_t end = pos;
    while (end < contents.size() && contents[end] != '\n' && contents[end] != '\r') ++end;
    size_t next = end;
    if (next < contents.size()) {
      if (contents[next] == '\r' && next + 1 < contents.size() && contents[next + 1] == '\n')
        next += 2;
      else
        next += 1;
    }
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

// Where a key of a section is in the file, as far as it is there.
struct Location {
  std::vector<Line> lines;
  bool sectionFound = false;
  // The last line of the section that is not blank (the header when there is none).
  size_t lastSectionLine = 0;
  bool keyFound = false;
  size_t keyLine = 0;
  std::string value;
};

Location Locate(const std::string& contents, const std::string& section, const std::string& key) {
  Location loc;
  size_t start = contents.compare(0, kUtf8BomSize, kUtf8Bom) == 0 ? kUtf8BomSize : 0;
  loc.lines = SplitLines(contents, start);
  bool inSection = false;
  for (size_t i = 0; i < loc.lines.size(); ++i) {
    const Line& line = loc.lines[i];
    size_t first = line.begin;
    while (first < line.end && IsBlank(contents[first])) ++first;
    if (first == line.end) continue;
    if (contents[first] == '[') {
      // Only the first section of the name counts, so its end is the end of the search.
      if (inSection) break;
      size_t nameEnd = FindInLine(contents, ']', first + 1, line.end);
      if (SameName(Trim(contents, first + 1, nameEnd), section)) {
        inSection = true;
        loc.sectionFound = true;
        loc.lastSectionLine = i;
      }
      continue;
    }
    if (!inSection) continue;
    loc.lastSectionLine = i;
    if (loc.keyFound || contents[first] == ';') continue;
    size_t equals = FindInLine(contents, '=', first, line.end);
    if (equals == line.end) continue;
    if (SameName(Trim(contents, first, equals), key)) {
      loc.keyFound = true;
      loc.keyLine = i;
      loc.value = Unquote(Trim(contents, equals + 1, line.end));
    }
  }
  return loc;
}

std::string Truncate(std::string text, size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  if (text.size() > bufferSize - 1) text.resize(bufferSize - 1);
  return text;
}

std::string LineEndStyle(const std::string& contents, const std::vector<Line>& lines) {
  for (const Line& line : lines)
    if (line.next > line.end) return contents.substr(line.end, line.next - line.end);
  return "\n";
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes data to a temporary file beside path and renames it over path, so that the file is
// at every moment either complete old or complete new contents, even across a crash.
bool ReplaceFile(const std::string& path, const std::string& data, mode_t mode) {
  std::string temp = path + ".tmp-XXXXXX";
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, data) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok) ok = rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  // The rename itself is only durable once the folder's entry is on disk; the new contents are
  // in place either way, so a failure here is not reported.
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return true;
}

}  // namespace

std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, size_t bufferSize,
                              const std::string& path) {
  std::string contents;
  if (ReadFile(path, &contents) != ReadResult::kOk) return Truncate(defaultValue, bufferSize);
  Location loc = Locate(contents, section, key);
  return Truncate(loc.keyFound ? loc.value : defaultValue, bufferSize);
}

int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& path) {
  std::string contents;
  if (ReadFile(path, &contents) != ReadResult::kOk) return defaultValue;
  Location loc = Locate(contents, section, key);
  if (!loc.keyFound || loc.value.empty()) return defaultValue;
  const std::string& text = loc.value;
  size_t pos = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    ++pos;
  }
  // Unsigned arithmetic wraps modulo 2^32 where signed overflow would be undefined.
  uint32_t result = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
    result = result * 10u + static_cast<uint32_t>(text[pos] - '0');
  if (negative) result = 0u - result;
  return static_cast<int32_t>(result);
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) {
  std::string contents;
  mode_t mode = S_IRUSR | S_IWUSR;
  switch (ReadFile(path, &contents, &mode)) {
    case ReadResult::kError:
      return false;
    case ReadResult::kMissing:
      contents.clear();
      break;
    case ReadResult::kOk:
      break;
  }

  Location loc = Locate(contents, section, key);
  const std::string eol = LineEndStyle(contents, loc.lines);
  const std::string entry = key + "=" + value;
  std::string result;
  if (loc.keyFound) {
    const Line& line = loc.lines[loc.keyLine];
    result = contents.substr(0, line.begin) + entry + contents.substr(line.end);
  } else if (loc.sectionFound) {
    const Line& last = loc.lines[loc.lastSectionLine];
    // The last line of the file may lack a line end; the new key must not join it.
    std::string lastEnd = last.next > last.end ? std::string() : eol;
    result = contents.substr(0, last.next) + lastEnd + entry + eol + contents.substr(last.next);
  } else {
    result = contents;
    bool needsEol = !loc.lines.empty() && loc.lines.back().next == loc.lines.back().end;
    if (needsEol) result += eol;
    result += "[" + section + "]" + eol + entry + eol;
  }
  return ReplaceFile(path, result, mode);
}

}  // namespace platform
