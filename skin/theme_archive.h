// Reading the skin data out of a theme archive. Plain C++: the archive structure comes from
// libzip, the decryption and inflation are done here so that every rule is ours to check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace skin {

// How a theme archive read ended.
enum class ArchiveResult {
  kOk,
  kNotAnArchive,   // no "PK" at the start, a comment or anything after the end record, or
                   // a directory libzip cannot read
  kNoMember,       // no member named SKINDATA.SK2 (in any case)
  kUnsupported,    // not deflated, or encrypted other than the traditional way
  kNeedsPassword,  // encrypted, and no password was given
  kWrongPassword,  // the decrypted check byte does not match
  kTooLarge,       // the declared size is beyond what a theme may hold
  kDamaged,        // the deflate stream or its checksum is broken
  kSizeMismatch,   // inflated to another size than the member declares
};

// The most skin data an archive may declare; nothing larger is allocated.
constexpr uint64_t kMaxSkinDataSize = 64u << 20;

// The member every theme archive holds.
constexpr const char* kSkinDataMember = "SKINDATA.SK2";

// Extracts the skin data member from the archive bytes into *member.
ArchiveResult ExtractSkinData(const uint8_t* data, size_t size, const std::string& password,
                              std::string* member);

}  // namespace skin
