#include "common/text_codec.h"

#include <signal.h>
#include <string.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using common::FileError;
using common::ScrambleFile;
using common::ScrambleText;
using common::UnpackSeed;
using common::UnscrambleFile;
using common::UnscrambleText;
using testing_support::FileExists;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WriteWholeFile;

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(TextCodec, RoundTripsEveryByteAtEveryKeyPositionAndLength) {
  for (std::size_t length = 0; length <= 9; ++length) {
    for (int first = 0; first < 256; ++first) {
      std::string plain;
      for (std::size_t i = 0; i < length; ++i) plain.push_back(static_cast<char>(first + i));
      const std::string text = ScrambleText(plain);
      SCOPED_TRACE("length " + std::to_string(length) + ", first byte " + std::to_string(first));
      ASSERT_EQ(text.size(), 2 * length);
      for (std::size_t i = 0; i < text.size(); ++i) {
        ASSERT_GE(text[i], 'A');
        ASSERT_LE(text[i], i % 2 == 0 ? 'J' : 'Z');
      }
      ASSERT_EQ(UnscrambleText(text), plain);
    }
  }
}

TEST(TextCodec, KnownAnswers) {
  // "A" at key byte 0: 65 + 3 = 68 = 2 * 26 + 16 -> 'C', 'Q'.
  // "B" at key byte 1: 66 + 45 = 111 = 4 * 26 + 7 -> 'E', 'H'. The fifth byte reuses key byte 0.
  // 0xFF + 3 wraps to 2 -> "AC"; 252 + 3 = 255 = 9 * 26 + 21 -> "JV", the largest pair.
  struct Case {
    std::string plain;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {"A", "CQ"},
      {"ABCDE", "CQEHGYGTCU"},
      {Bytes({0xFF}), "AC"},
      {Bytes({252}), "JV"},
      {Bytes({0x00, 0xFE}), "ADBR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ScrambleText(c.plain), c.text);
    EXPECT_EQ(UnscrambleText(c.text), c.plain);
  }
}

TEST(TextCodec, UnscramblesAnyTextByThePairFormula) {
  struct Case {
    std::string text;
    std::string plain;
  };
  const std::vector<Case> cases = {
      {"C", ""},     // a lone character has no partner
      {"CQx", "A"},  // nor has an odd last one
      {"CQEHGYGTC", "ABCD"},
      {"ZZ", Bytes({163 - 3})},            // 25 * 26 + 25 = 675, low 8 bits 163
      {"ab", "^"},                         // 32 * 26 + 33 = 865 -> 97, minus 3
      {"09", ";"},                         // -17 * 26 - 8 = -450 -> 62, minus 3
      {Bytes({0xC0, 'A'}), Bytes({227})},  // 127 * 26 = 3302 -> 230, minus 3
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(UnscrambleText(c.text), c.plain);
  }
}

TEST(TextCodec, EveryCallStartsAtKeyByteZero) {
  const std::string whole = "ABCDEFGHIJ";
  // With an empty second piece the pieces always equal the whole, so that split is left out.
  for (std::size_t split = 0; split < whole.size(); ++split) {
    SCOPED_TRACE("split at " + std::to_string(split));
    const std::string pieces =
        ScrambleText(whole.substr(0, split)) + ScrambleText(whole.substr(split));
    if (split % 4 == 0)
      EXPECT_EQ(pieces, ScrambleText(whole));
    else
      EXPECT_NE(pieces, ScrambleText(whole));
  }
}

// 5000 bytes in which every byte value occurs, in no simple order.
std::string PackageContent(std::size_t size = 5000) {
  std::string data;
  for (std::size_t i = 0; i < size; ++i)
    data.push_back(static_cast<char>((i * 131 + i / 256) & 0xFF));
  return data;
}

TEST(TextCodec, UnscrambleFileKnownKeystream) {
  // Zero input shows the keystream itself: byte 0 is the high byte of 2879 = 0x0B3F, then
  // (2879 + 0) * 52845 + 22719 = 152163474 = 54418 mod 65536 = 0xD492 gives 212.
  // The counting input shows that the state advances with the scrambled byte.
  struct Case {
    std::string name;
    std::string source;
    std::string expectedStart;
  };
  std::string zeros(1200, '\0');
  std::string counting;
  for (int i = 0; i < 1200; ++i) counting.push_back(static_cast<char>(i & 0xFF));
  const std::vector<Case> cases = {
      {"zeros", zeros, Bytes({11, 212, 86, 215})},
      {"counting", counting, Bytes({11, 213, 39, 12})},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteWholeFile(dir.File("package"), c.source);
    UnscrambleFile(dir.File("package"), dir.File("encoder"), UnpackSeed);
    const std::string out = ReadWholeFile(dir.File("encoder"));
    ASSERT_EQ(out.size(), c.source.size());
    EXPECT_EQ(out.substr(0, 4), c.expectedStart);
    EXPECT_EQ(out.substr(1000), c.source.substr(1000));
  }
}

TEST(TextCodec, ScrambleFileThenUnscrambleFileGivesTheFileBack) {
  TempDir dir;
  const std::string plain = PackageContent();
  WriteWholeFile(dir.File("encoder"), plain);
  ScrambleFile(dir.File("encoder"), dir.File("package"), UnpackSeed);
  const std::string package = ReadWholeFile(dir.File("package"));
  ASSERT_EQ(package.size(), plain.size());
  EXPECT_NE(package.substr(0, 1000), plain.substr(0, 1000));
  EXPECT_EQ(package.substr(1000), plain.substr(1000));

  WriteWholeFile(dir.File("restored"), "an older copy that must be replaced");
  int calls = 0;
  UnscrambleFile(dir.File("package"), dir.File("restored"), UnpackSeed, [&] { ++calls; });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ReadWholeFile(dir.File("restored")), plain);

  UnscrambleFile(dir.File("package"), dir.File("other"), UnpackSeed + 1);
  const std::string other = ReadWholeFile(dir.File("other"));
  ASSERT_EQ(other.size(), plain.size());
  EXPECT_NE(other.substr(0, 1000), plain.substr(0, 1000));
  EXPECT_EQ(other.substr(1000), plain.substr(1000));
}

TEST(TextCodec, SourceOfExactly1000BytesRoundTrips) {
  TempDir dir;
  const std::string plain = PackageContent(1000);
  WriteWholeFile(dir.File("encoder"), plain);
  ScrambleFile(dir.File("encoder"), dir.File("package"), 7);
  UnscrambleFile(dir.File("package"), dir.File("restored"), 7);
  EXPECT_EQ(ReadWholeFile(dir.File("restored")), plain);
}

using FileTransform = void (*)(const std::string&, const std::string&, uint16_t);
const std::vector<std::pair<std::string, FileTransform>> kBothDirections = {
    {"UnscrambleFile",
     [](const std::string& s, const std::string& d, uint16_t seed) { UnscrambleFile(s, d, seed); }},
    {"ScrambleFile", ScrambleFile},
};

std::string MessageOf(FileTransform transform, const std::string& source,
                      const std::string& destination) {
  try {
    transform(source, destination, UnpackSeed);
  } catch (const FileError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(TextCodec, UnusableSourceDeletesTheDestinationAndRaisesTheOpenError) {
  TempDir dir;
  WriteWholeFile(dir.File("short"), PackageContent(999));
  struct Case {
    std::string name;
    std::string source;
    std::string reasonStart;
  };
  const std::vector<Case> cases = {
      {"missing", dir.File("missing"), strerror(ENOENT)},
      {"folder", dir.path(), strerror(EISDIR)},
      {"999 bytes", dir.File("short"), ""},
  };
  for (const auto& [direction, transform] : kBothDirections) {
    for (const Case& c : cases) {
      SCOPED_TRACE(direction + ", " + c.name);
      WriteWholeFile(dir.File("encoder"), "left from an earlier run");
      const std::string message = MessageOf(transform, c.source, dir.File("encoder"));
      EXPECT_EQ(message.rfind("Cannot open file \"" + c.source + "\". " + c.reasonStart, 0), 0u)
          << message;
      EXPECT_FALSE(FileExists(dir.File("encoder")));
    }
  }
}

TEST(TextCodec, UncreatableDestinationRaisesTheCreateError) {
  TempDir dir;
  WriteWholeFile(dir.File("package"), PackageContent());
  const std::string destination = dir.File("missing-folder/encoder");
  for (const auto& [direction, transform] : kBothDirections) {
    SCOPED_TRACE(direction);
    EXPECT_EQ(MessageOf(transform, dir.File("package"), destination),
              "Cannot create file \"" + destination + "\". " + strerror(ENOENT));
    EXPECT_FALSE(FileExists(destination));
  }
}

// Files this process writes may grow to `bytes`; a longer write fails with EFBIG, not a signal.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  sighandler_t oldHandler_;
};

TEST(TextCodec, FailedWriteRemovesThePartialDestination) {
  TempDir dir;
  WriteWholeFile(dir.File("package"), PackageContent());
  std::string message;
  {
    FileSizeLimit limit(2000);
    message = MessageOf(kBothDirections[0].second, dir.File("package"), dir.File("encoder"));
  }
  EXPECT_EQ(message, "Cannot create file \"" + dir.File("encoder") + "\". " + strerror(EFBIG));
  EXPECT_FALSE(FileExists(dir.File("encoder")));
}

}  // namespace
