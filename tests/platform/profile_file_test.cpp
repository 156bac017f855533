#include "platform/profile_file.h"

#include <sys/stat.h>

#include <atomic>
#include <climits>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

using platform::ReadProfileInt;
using platform::ReadProfileString;
using platform::WriteProfileString;
using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WriteWholeFile;

constexpr size_t kLarge = 256;

struct ReadCase {
  const char* name;
  std::optional<std::string> contents;  // nullopt: no file at all
  std::string section;
  std::string key;
  std::string defaultValue;
  size_t bufferSize;
  std::string expected;
};

TEST(ProfileFile, ReadString) {
  const std::vector<ReadCase> cases = {
      {"names ignore case", "[Job]\nSource=a.flv\n", "JOB", "source", "-", kLarge, "a.flv"},
      {"section header blanks", "  [ Job ]  \nk=v\n", "job", "k", "-", kLarge, "v"},
      {"blanks and tabs trimmed", "[S]\n\t k \t=\t v w \t\n", "S", "k", "-", kLarge, "v w"},
      {"double quotes removed", "[S]\nk=\"a b\"\n", "S", "k", "-", kLarge, "a b"},
      {"single quotes removed", "[S]\nk='a b'\n", "S", "k", "-", kLarge, "a b"},
      {"quotes removed after trimming", "[S]\nk =  \"x\"  \n", "S", "k", "-", kLarge, "x"},
      {"blanks inside quotes kept", "[S]\nk=\" x \"\n", "S", "k", "-", kLarge, " x "},
      {"only one pair of quotes removed", "[S]\nk=\"\"x\"\"\n", "S", "k", "-", kLarge, "\"x\""},
      {"unmatched quotes kept", "[S]\nk=\"abc'\n", "S", "k", "-", kLarge, "\"abc'"},
      {"opening quote only kept", "[S]\nk=\"abc\n", "S", "k", "-", kLarge, "\"abc"},
      {"lone quote kept", "[S]\nk=\"\n", "S", "k", "-", kLarge, "\""},
      {"byte order mark skipped", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "-", kLarge, "v"},
      {"byte order mark only at start", "[S]\n\xEF\xBB\xBFk=v\n", "S", "k", "-", kLarge, "-"},
      {"CR LF line ends", "[S]\r\nk=v\r\nm=w\r\n", "S", "k", "-", kLarge, "v"},
      {"CR-only line ends", "[S]\rk=v\rm=w", "S", "m", "-", kLarge, "w"},
      {"last line without line end", "[S]\nk=v", "S", "k", "-", kLarge, "v"},
      {"mixed line ends", "[S]\r\na=1\rb=2\nc=3", "S", "b", "-", kLarge, "2"},
      {"value keeps later '='", "[S]\nk=a=b\n", "S", "k", "-", kLarge, "a=b"},
      {"8-bit bytes unchanged", "[S]\nk=\xE9t\xFF\n", "S", "k", "-", kLarge, "\xE9t\xFF"},
      {"truncated to size-1", "[S]\nk=abcdef\n", "S", "k", "-", 4, "abc"},
      {"size exactly fits", "[S]\nk=abcdef\n", "S", "k", "-", 7, "abcdef"},
      {"size 1 gives empty", "[S]\nk=abcdef\n", "S", "k", "-", 1, ""},
      {"size 0 gives empty", "[S]\nk=abcdef\n", "S", "k", "-", 0, ""},
      {"default truncated too", "[S]\n", "S", "k", "default", 4, "def"},
      {"missing file", std::nullopt, "S", "k", "dflt", kLarge, "dflt"},
      {"missing section", "[T]\nk=v\n", "S", "k", "dflt", kLarge, "dflt"},
      {"missing key", "[S]\nj=v\n", "S", "k", "dflt", kLarge, "dflt"},
      {"empty value is not missing", "[S]\nk=\n", "S", "k", "dflt", kLarge, ""},
      {"first duplicate key wins", "[S]\nk=1\nk=2\n", "S", "k", "-", kLarge, "1"},
      {"first duplicate section wins", "[S]\na=1\n[T]\n[S]\na=2\n", "S", "a", "-", kLarge, "1"},
      {"later duplicate section unseen", "[S]\na=1\n[S]\nb=2\n", "S", "b", "-", kLarge, "-"},
      {"comment is not a key", "[S]\n;k=v\n", "S", ";k", "-", kLarge, "-"},
      {"indented comment", "[S]\n  ;k=v\nk=w\n", "S", "k", "-", kLarge, "w"},
      {"line without '=' ignored", "[S]\nnoequals\nk=v\n", "S", "noequals", "-", kLarge, "-"},
      {"key before any section ignored", "k=v\n[S]\n", "S", "k", "-", kLarge, "-"},
      {"key of the next section unseen", "[S]\n[T]\nk=v\n", "S", "k", "-", kLarge, "-"},
  };
  TempDir dir;
  for (size_t i = 0; i < cases.size(); ++i) {
    const ReadCase& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::string path = dir.File("read" + std::to_string(i) + ".ini");
    if (c.contents) WriteWholeFile(path, *c.contents);
    EXPECT_EQ(ReadProfileString(c.section, c.key, c.defaultValue, c.bufferSize, path), c.expected);
  }
}

TEST(ProfileFile, ReadInt) {
  struct IntCase {
    const char* name;
    std::optional<std::string> line;  // nullopt: the key is missing
    int expected;
  };
  const std::vector<IntCase> cases = {
      {"digits then letter", "n=42A", 42},
      {"plus sign", "n=+1", 1},
      {"minus sign", "n=-7", -7},
      {"letter only", "n=B", 0},
      {"sign only", "n=-", 0},
      {"blanks around", "n=  12 ", 12},
      {"stops at inner blank", "n=1 2", 1},
      {"quoted", "n=\"5\"", 5},
      {"largest", "n=2147483647", INT_MAX},
      {"smallest", "n=-2147483648", INT_MIN},
      {"wraps past largest", "n=2147483648", INT_MIN},
      {"wraps modulo 2^32", "n=4294967297", 1},
      {"empty value", "n=", -99},
      {"missing key", std::nullopt, -99},
  };
  TempDir dir;
  for (size_t i = 0; i < cases.size(); ++i) {
    const IntCase& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::string path = dir.File("int" + std::to_string(i) + ".ini");
    WriteWholeFile(path, "[S]\n" + c.line.value_or("other=1") + "\n");
    EXPECT_EQ(ReadProfileInt("s", "N", -99, path), c.expected);
  }
  EXPECT_EQ(ReadProfileInt("s", "n", -99, dir.File("missing.ini")), -99);
}

struct WriteCase {
  const char* name;
  std::optional<std::string> before;  // nullopt: no file yet
  std::string section;
  std::string key;
  std::string value;
  std::string after;
};

TEST(ProfileFile, WriteString) {
  const std::vector<WriteCase> cases = {
      {"creates file and section", std::nullopt, "S", "k", "v", "[S]\nk=v\n"},
      {"adds section after last line without line end", "[A]\nx=1", "S", "k", "v",
       "[A]\nx=1\n[S]\nk=v\n"},
      {"new section takes CR LF style", "[A]\r\nx=1\r\n", "S", "k", "v",
       "[A]\r\nx=1\r\n[S]\r\nk=v\r\n"},
      {"replaces key in the middle keeping other lines",
       "; top\r\n[A]\r\nx = 1 \r\nKey = \"old\"\r\n\ty=2\r\n[B]\r\nkey=b\r\n", "a", "key", "new",
       "; top\r\n[A]\r\nx = 1 \r\nkey=new\r\n\ty=2\r\n[B]\r\nkey=b\r\n"},
      {"appends before the next section", "[A]\nx=1\n\n[B]\ny=2\n", "A", "z", "3",
       "[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
      {"appends to empty section", "[A]\n[B]\n", "A", "z", "3", "[A]\nz=3\n[B]\n"},
      {"appends after last line without line end", "[A]\nx=1", "A", "z", "3", "[A]\nx=1\nz=3\n"},
      {"appends in CR-only style", "[A]\rx=1\r", "A", "z", "3", "[A]\rx=1\rz=3\r"},
      {"replaces last line without line end", "[A]\nk=1", "A", "k", "2", "[A]\nk=2"},
      {"replaces first duplicate key", "[A]\nk=1\nk=2\n", "A", "k", "9", "[A]\nk=9\nk=2\n"},
      {"uses first duplicate section", "[A]\nx=1\n[B]\n[A]\nk=2\n", "A", "k", "9",
       "[A]\nx=1\nk=9\n[B]\n[A]\nk=2\n"},
      {"keeps byte order mark", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", "2", "\xEF\xBB\xBF[A]\nk=2\n"},
      {"comment is not replaced", "[A]\n;k=1\n", "A", "k", "2", "[A]\n;k=1\nk=2\n"},
      {"empty value", "[A]\nk=1\n", "A", "k", "", "[A]\nk=\n"},
      {"8-bit bytes kept", "[A]\nn=\xE9\xFF\nk=1\n", "A", "k", "\xFC", "[A]\nn=\xE9\xFF\nk=\xFC\n"},
  };
  TempDir dir;
  for (size_t i = 0; i < cases.size(); ++i) {
    const WriteCase& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::string path = dir.File("write" + std::to_string(i) + ".ini");
    if (c.before) WriteWholeFile(path, *c.before);
    ASSERT_TRUE(WriteProfileString(c.section, c.key, c.value, path));
    EXPECT_EQ(ReadWholeFile(path), c.after);
    EXPECT_EQ(ReadProfileString(c.section, c.key, "-", kLarge, path), c.value);
  }
}

TEST(ProfileFile, WriteFailureLeavesNothingBehind) {
  TempDir dir;
  EXPECT_FALSE(WriteProfileString("S", "k", "v", dir.File("no/such/folder.ini")));
  // A folder where the file should be cannot be read as a profile, so it is not replaced.
  const std::string folder = dir.File("folder.ini");
  std::filesystem::create_directory(folder);
  EXPECT_FALSE(WriteProfileString("S", "k", "v", folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    entries.push_back(entry.path().filename().string());
  EXPECT_EQ(entries, std::vector<std::string>{"folder.ini"});
}

TEST(ProfileFile, WriteModes) {
  TempDir dir;
  const std::string fresh = dir.File("fresh.ini");
  ASSERT_TRUE(WriteProfileString("S", "k", "v", fresh));
  struct stat st;
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);

  const std::string shared = dir.File("shared.ini");
  WriteWholeFile(shared, "[S]\nk=1\n");
  ASSERT_EQ(chmod(shared.c_str(), 0644), 0);
  ASSERT_TRUE(WriteProfileString("S", "k", "2", shared));
  ASSERT_EQ(stat(shared.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);

  // The temporary files must not outlive the writes.
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++count;
  }
  EXPECT_EQ(count, 2u);
}

TEST(ProfileFile, ReaderNeverSeesPartialWrite) {
  TempDir dir;
  const std::string path = dir.File("big.ini");
  const std::string a(200 * 1024, 'a');
  const std::string b(200 * 1024, 'b');
  ASSERT_TRUE(WriteProfileString("S", "k", a, path));

  constexpr int kWrites = 60;
  constexpr int kMaxReads = 5000;
  std::atomic<bool> writerDone{false};
  std::thread writer([&] {
    for (int i = 0; i < kWrites; ++i)
      EXPECT_TRUE(WriteProfileString("S", "k", i % 2 ? a : b, path));
    writerDone = true;
  });

  int reads = 0;
  int bad = 0;
  std::string firstBad;
  for (; reads < kMaxReads && !writerDone; ++reads) {
    std::string value = ReadProfileString("S", "k", "<default>", a.size() + 1, path);
    if (value != a && value != b) {
      if (bad++ == 0) firstBad = value.substr(0, 16) + "... (" + std::to_string(value.size()) + ")";
    }
  }
  writer.join();
  EXPECT_EQ(bad, 0) << "first bad read: " << firstBad << " in " << reads << " reads";
}

}  // namespace
