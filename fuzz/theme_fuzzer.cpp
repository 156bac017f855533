// The theme loader: the archive with its members, decryption and inflation, then the skin
// data chain. The skin data parser also takes the input directly, so that its checks are
// reached without getting through deflate first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "skin/skin_data.h"
#include "skin/theme_archive.h"

namespace {

void Lookups(const skin::SkinTables& tables) {
  for (const char* key : skin::kColorKeys) skin::LineValue(tables.integers, key);
  for (const char* key : skin::kFlagKeys) skin::LineValue(tables.bytes, key);
  for (const char* key : skin::kBitmapKeys) skin::FindBitmap(tables, key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The seeds' encrypted themes use this password.
  for (const char* password : {"", "orange"}) {
    std::string member;
    if (skin::ExtractSkinData(data, size, password, &member) == skin::ArchiveResult::kOk) {
      skin::SkinTables tables;
      if (skin::ParseSkinData(member, &tables)) Lookups(tables);
    }
  }
  skin::SkinTables tables;
  if (skin::ParseSkinData(std::string_view(reinterpret_cast<const char*>(data), size), &tables))
    Lookups(tables);
  return 0;
}
