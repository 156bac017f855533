// The input is a whole profile file; the names the programs read are looked up in it, and so
// are the first section and key the input itself names.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/profile_file.h"

namespace {

struct Name {
  std::string section;
  std::string key;
};

// The job file's values and the main window's output folder.
const std::vector<Name> kProgramNames = {
    {"Command", "C"}, {"Command", "W"}, {"Command", "M"}, {"General", "Directory"}};

// Cut values short, as callers with small buffers see them.
constexpr size_t kSmallSizes[] = {0, 1, 2, 3, 8};
constexpr size_t kLargeSize = 1 << 20;

// The text after the first open up to the next close on the same line; empty without one.
std::string Between(const std::string& text, char open, char close) {
  const size_t begin = text.find(open);
  if (begin == std::string::npos) return std::string();
  const size_t end = text.find_first_of(std::string{close, '\r', '\n'}, begin + 1);
  return text.substr(begin + 1, end == std::string::npos ? std::string::npos : end - begin - 1);
}

// The first "[section]" and the name left of the first '=' after it.
Name NamesInInput(const std::string& text) {
  Name name;
  name.section = Between(text, '[', ']');
  const size_t header = text.find('[');
  const size_t equals = text.find('=', header == std::string::npos ? 0 : header);
  if (equals != std::string::npos) {
    const size_t lineEnd = text.find_last_of("\r\n", equals);
    const size_t keyStart = lineEnd == std::string::npos ? 0 : lineEnd + 1;
    name.key = text.substr(keyStart, equals - keyStart);
  }
  return name;
}

void Check(const Name& name, const std::string& path) {
  using platform::ReadProfileInt;
  using platform::ReadProfileString;
  const std::string full = ReadProfileString(name.section, name.key, "", kLargeSize, path);
  // Lines end at CR or LF, so no value can hold one.
  FUZZ_CHECK(full.find_first_of("\r\n") == std::string::npos);
  for (size_t size : kSmallSizes) {
    const std::string cut = ReadProfileString(name.section, name.key, "", size, path);
    FUZZ_CHECK(cut.size() < std::max<size_t>(size, 1));
    FUZZ_CHECK(full.compare(0, cut.size(), cut) == 0);
  }
  // Only a key that is there makes two different defaults give the same answer; a missing
  // key or an empty value leaves the integer at its default.
  const bool found = ReadProfileString(name.section, name.key, "a", kLargeSize, path) ==
                     ReadProfileString(name.section, name.key, "b", kLargeSize, path);
  const int first = ReadProfileInt(name.section, name.key, -7, path);
  const int second = ReadProfileInt(name.section, name.key, 11, path);
  if (!found || full.empty()) {
    FUZZ_CHECK(first == -7 && second == 11);
  } else {
    FUZZ_CHECK(first == second);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputFile& file = fuzz::InputFile::Get();
  file.Write(data, size);
  for (const Name& name : kProgramNames) Check(name, file.path());
  Check(NamesInInput(std::string(reinterpret_cast<const char*>(data), size)), file.path());
  return 0;
}
