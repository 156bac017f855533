// Writes theme archives of our own for the tests and the fuzzing seeds: skin data records
// deflated into a ZIP archive, optionally encrypted the traditional way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace theme_writer {

struct Entry {
  std::string name;
  unsigned char type;  // 0 bitmap, 1 integer, 2 byte, 3 text
  std::string data;
};

Entry Integer(const std::string& name, int32_t value);
Entry Byte(const std::string& name, uint8_t value);
Entry Text(const std::string& name, const std::string& text);
Entry Bitmap(const std::string& name, const std::string& bmpFile);

// A Windows bitmap file of one colour (0xRRGGBB), 24 bits per pixel.
std::string SolidBmp(int width, int height, uint32_t rgb);

// Where the records of SkinData lie: the first at kFirstRecord, each 77 bytes after the one
// before; the entries are followed by a terminating record.
constexpr size_t kFirstRecord = 24;
constexpr size_t kRecordSize = 77;
constexpr size_t RecordOffset(size_t i) {
  return kFirstRecord + i * kRecordSize;
}

// Skin data: the header, one record per entry chained in order, the terminating record,
// then the entries' data.
std::string SkinData(const std::vector<Entry>& entries);

// Overwrites four little-endian bytes at offset.
void Put32(std::string* bytes, size_t offset, uint32_t value);

struct ZipOptions {
  std::string memberName = "SKINDATA.SK2";
  std::string password;         // non-empty: traditional encryption
  bool dataDescriptor = false;  // sizes and checksum after the data (flag bit 3)
  bool stored = false;          // no compression instead of deflate
  std::string comment;
  std::optional<uint32_t> declaredSize;  // an uncompressed size other than the true one
  std::vector<std::pair<std::string, std::string>> otherMembers;  // stored before the member
};

// A ZIP archive holding `member` as options say.
std::string Zip(const std::string& member, const ZipOptions& options = {});

// A complete theme: the given entries' skin data in an archive.
std::string Theme(const std::vector<Entry>& entries, const ZipOptions& options = {});

// An orange theme with the colours, title bar and progress bar pieces the controls draw,
// a position and a flag.
std::vector<Entry> OrangeEntries();

// The theme colours of OrangeEntries (0xRRGGBB).
constexpr uint32_t kOrangeForm = 0xfff1e0;
constexpr uint32_t kOrangeTitle = 0xe8730c;

}  // namespace theme_writer
