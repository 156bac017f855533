#include "common/encoder_reports.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using common::DurationSeconds;
using common::IntegerValue;
using common::ProgressSeconds;
using common::ProgressTextOfChunk;

TEST(EncoderReports, IntegerValue) {
  struct Case {
    std::string text;
    int value;
  };
  const std::vector<Case> cases = {
      {" 42x", 42}, {"\t 7", 7}, {"+1", 1}, {"-7", -7},   {"- 7", 0},
      {"B", 0},     {"", 0},     {"+", 0},  {"12 3", 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("\"" + c.text + "\"");
    EXPECT_EQ(IntegerValue(c.text), c.value);
  }
}

TEST(EncoderReports, DurationSeconds) {
  struct Case {
    std::string text;
    int seconds;
  };
  const std::vector<Case> cases = {
      {"Duration: 00:03:25.40, start: 0.000000", 205},
      {"Duration: 01:02:03.99, start: 0.000000, bitrate: 512 kb/s", 3723},
      {"Duration: N/A, start: 0.000000, bitrate: N/A", 0},
      {"Input #0, flv, from 'clip.flv':\n  Metadata:\n  Duration: 00:00:10.05, start: 0.0", 10},
      {"Duration: 00:00:01.00 then Duration: 00:00:09.00", 1},
      {"Duration:00:00:09.00", 0},
      {"no report at all", 0},
      {"", 0},
      {"Duration: 00:0", 0},
      {"Duration: 01:02:0", 3720},
      {"Duration: 01:02:", 3720},
      {"Duration: 1", 3600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DurationSeconds(c.text), c.seconds);
  }
}

TEST(EncoderReports, ProgressOfChunk) {
  struct Case {
    std::string chunk;
    std::optional<int> seconds;
  };
  const std::vector<Case> cases = {
      {"frame= 1250 q=5.0 size= 2048kB time=51.23 bitrate= 327.5kbits/s", 51},
      {"size=     256kB time=00:00:51.23 bitrate= 41.0kbits/s", 51},
      {"time=01:02:03.99", 3723},
      {"time=100:00:00.00", 360000},
      {"time= 7.5", 7},
      {"time=00:01:05.00 bitrate=1 time=00:09:00.00", 65},
      {"time=N/A bitrate=N/A speed=1.5x", std::nullopt},
      {"time=-00:00:00.03 bitrate=N/A", std::nullopt},
      {"time=-5.0", std::nullopt},
      {"time=.5", std::nullopt},
      {"frame= 10 q=2.0 size= 2kB time=51", std::nullopt},
      {"speed=2.0x frame= 10 tim", std::nullopt},
      {"frame= 1250 q=5.0", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chunk);
    const std::optional<std::string_view> text = ProgressTextOfChunk(c.chunk);
    const std::optional<int> seconds = text ? ProgressSeconds(*text) : std::nullopt;
    EXPECT_EQ(seconds, c.seconds);
  }
}

}  // namespace
