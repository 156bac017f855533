#include "common/encoder_reports.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace common {

namespace {

constexpr std::string_view kDurationMark = "Duration: ";
constexpr std::string_view kTimeMark = "time=";

// Offsets from the 'D' of "Duration: " of the hours, minutes and seconds fields, 2 chars each.
constexpr std::size_t kHoursOffset = 10;
constexpr std::size_t kMinutesOffset = 13;
constexpr std::size_t kSecondsOffset = 16;
constexpr std::size_t kFieldWidth = 2;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

// Decimal digits from pos on, accumulated unsigned so that an overlong number wraps instead of
// overflowing; pos ends after the last digit.
uint32_t ReadDigits(std::string_view text, std::size_t& pos) {
  uint32_t value = 0;
  while (pos < text.size() && IsDigit(text[pos]))
    value = value * 10u + static_cast<uint32_t>(text[pos++] - '0');
  return value;
}

int Field(std::string_view text, std::size_t offset) {
  if (offset >= text.size()) return 0;
  return IntegerValue(text.substr(offset, kFieldWidth));
}

}  // namespace

int IntegerValue(std::string_view text) {
  std::size_t pos = SkipBlanks(text, 0);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  const uint32_t magnitude = ReadDigits(text, pos);
  return static_cast<int>(negative ? 0u - magnitude : magnitude);
}

int DurationSeconds(std::string_view text) {
  const std::size_t at = text.find(kDurationMark);
  if (at == std::string_view::npos) return 0;
  const std::string_view report = text.substr(at);
  return Field(report, kHoursOffset) * 3600 + Field(report, kMinutesOffset) * 60 +
         Field(report, kSecondsOffset);
}

std::optional<std::string_view> ProgressTextOfChunk(std::string_view chunk) {
  const std::size_t at = chunk.find(kTimeMark);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t start = at + kTimeMark.size();
  const std::size_t dot = chunk.find('.', start);
  if (dot == std::string_view::npos) return std::nullopt;
  return chunk.substr(start, dot - start);
}

std::optional<int> ProgressSeconds(std::string_view text) {
  std::size_t pos = SkipBlanks(text, 0);
  if (pos < text.size() && text[pos] == '+') ++pos;
  // Also turns away a '-': a position before the start is no progress to report.
  if (pos >= text.size() || !IsDigit(text[pos])) return std::nullopt;
  // Clock form "h:mm:ss" folds to seconds field by field; plain seconds is the one-field case.
  uint32_t seconds = ReadDigits(text, pos);
  for (int field = 1;
       field < 3 && pos + 1 < text.size() && text[pos] == ':' && IsDigit(text[pos + 1]); ++field) {
    ++pos;
    seconds = seconds * 60u + ReadDigits(text, pos);
  }
  // A value that wrapped past int would read as negative, and a negative position means nothing.
  if (seconds > static_cast<uint32_t>(std::numeric_limits<int>::max())) return std::nullopt;
  return static_cast<int>(seconds);
}

}  // namespace common
