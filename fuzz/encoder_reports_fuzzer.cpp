// The input as the encoder's error stream: once whole, as a probe's capture is, and once cut
// at its first zero byte, as the runner reads a chunk.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/encoder_reports.h"
#include "fuzz/fuzz_support.h"

namespace {

// Two characters a field: hours, minutes and seconds each lie in -9..99.
constexpr int kLongestDuration = 99 * 3600 + 99 * 60 + 99;
constexpr int kShortestDuration = -9 * 3600 - 9 * 60 - 9;

void CheckText(std::string_view text) {
  common::IntegerValue(text);
  const int duration = common::DurationSeconds(text);
  FUZZ_CHECK(duration >= kShortestDuration && duration <= kLongestDuration);
  if (auto seconds = common::ProgressSeconds(text)) FUZZ_CHECK(*seconds >= 0);
  const auto progress = common::ProgressTextOfChunk(text);
  if (!progress) return;
  FUZZ_CHECK(progress->data() >= text.data() &&
             progress->data() + progress->size() <= text.data() + text.size());
  FUZZ_CHECK(progress->find('.') == std::string_view::npos);
  common::IntegerValue(*progress);
  if (auto seconds = common::ProgressSeconds(*progress)) FUZZ_CHECK(*seconds >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckText(text);
  const void* zero = size == 0 ? nullptr : std::memchr(data, 0, size);
  if (zero) CheckText(text.substr(0, static_cast<const uint8_t*>(zero) - data));
  return 0;
}
