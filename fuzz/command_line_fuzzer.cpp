// The input as a job's command line: scrambled text as the runner reads it from the job file,
// unscrambled and split into the encoder's arguments; the raw input is split as well.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/text_codec.h"
#include "fuzz/fuzz_support.h"
#include "platform/process.h"

namespace {

void CheckItems(const std::string& line) {
  const std::vector<std::string> items = platform::SplitCommandLine(line);
  const bool hasQuote = line.find('"') != std::string::npos;
  size_t total = 0;
  for (const std::string& item : items) {
    // Quotes are removed, and only a quoted run keeps blanks or makes an empty item.
    FUZZ_CHECK(item.find('"') == std::string::npos);
    if (!hasQuote) FUZZ_CHECK(!item.empty() && item.find_first_of(" \t") == std::string::npos);
    total += item.size();
  }
  FUZZ_CHECK(total <= line.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckItems(input);
  const std::string plain = common::UnscrambleText(input);
  FUZZ_CHECK(plain.size() == input.size() / 2);
  CheckItems(plain);
  // What the main program writes the runner must read back byte for byte.
  const std::string scrambled = common::ScrambleText(plain);
  FUZZ_CHECK(scrambled.size() == 2 * plain.size());
  for (size_t i = 0; i < scrambled.size(); ++i)
    FUZZ_CHECK(scrambled[i] >= 'A' && scrambled[i] <= (i % 2 == 0 ? 'J' : 'Z'));
  FUZZ_CHECK(common::UnscrambleText(scrambled) == plain);
  return 0;
}
