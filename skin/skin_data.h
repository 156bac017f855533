// The skin data inside a theme archive: a chain of named entries filed into four tables,
// and the fixed keys controls read from them. Plain C++; every offset is checked.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace skin {

// Entry types.
enum class EntryType : unsigned char { kBitmap = 0, kInteger = 1, kByte = 2, kText = 3 };

constexpr size_t kEntryRecordSize = 77;
constexpr size_t kEntryNameSize = 64;
// More records than any theme has; a longer chain is taken for a broken file.
constexpr size_t kMaxEntryRecords = 10000;

// What the skin data holds. Integers, bytes and texts are lines of name, "=" and value.
struct SkinTables {
  std::vector<std::pair<std::string, std::string>> bitmaps;  // name, bitmap file bytes
  std::vector<std::string> integers, bytes, texts;
};

// Files every entry of the chain; false (tables left empty) for data that breaks the
// format: an offset or a length outside the data, a chain that loops or runs too long,
// an integer longer than 4 bytes, a byte other than 1 byte long, an empty bitmap.
bool ParseSkinData(std::string_view data, SkinTables* tables);

// The value of the first line whose name equals `name`, ignoring case.
std::optional<std::string> LineValue(const std::vector<std::string>& lines, std::string_view name);

// The bitmap filed under `name`, ignoring case; nullptr when there is none.
const std::string* FindBitmap(const SkinTables& tables, std::string_view name);

// The fixed keys, addressed by group and index.
constexpr int kColorKeyCount = 32;
constexpr int kBitmapKeyCount = 34;
constexpr int kPositionKeyCount = 9;
constexpr int kFlagKeyCount = 9;
extern const char* const kColorKeys[kColorKeyCount];
extern const char* const kBitmapKeys[kBitmapKeyCount];
extern const char* const kPositionKeys[kPositionKeyCount];
extern const char* const kFlagKeys[kFlagKeyCount];

// Indexes of the keys the controls read.
enum ColorKey {
  kTransColor = 0,
  kTitleFontColor = 1,
  kFormColor = 2,
  kSelectedMenuColor = 13,
  kControlColor = 21,
  kControlBorderColor = 22,
  kControlFontColor = 23,
  kButtonFontColor = 24,
};
enum BitmapKey {
  kTitleBar1 = 0,
  kTitleBar2 = 1,
  kTitleBar3 = 2,
  kTitleBar4 = 3,
  kTitleBar5 = 4,
  kButtonBitmap = 15,
  kProgressBar1 = 19,
  kProgressBar2 = 20,
};
enum FlagKey { kTitleFiveSect = 0 };

}  // namespace skin
