#include "skin/theme_archive.h"

#include <limits>
#include <memory>

#include <zip.h>
#include <zlib.h>

namespace skin {
namespace {

constexpr size_t kEndRecordSize = 22;
constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr uint32_t kCentralEntrySignature = 0x02014b50;
constexpr size_t kCentralEntrySize = 46;
constexpr size_t kEncryptionHeaderSize = 12;
constexpr uint16_t kFlagDataDescriptor = 1u << 3;

uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The general-purpose flags and the modification time of central directory entry `index`;
// libzip numbers the members in directory order but does not tell these two.
bool CentralEntry(const uint8_t* data, size_t size, uint64_t index, uint16_t* flags,
                  uint16_t* time) {
  uint64_t offset = U32(data + size - kEndRecordSize + 16);
  for (uint64_t i = 0;; ++i) {
    if (offset > size || size - offset < kCentralEntrySize) return false;
    const uint8_t* entry = data + offset;
    if (U32(entry) != kCentralEntrySignature) return false;
    if (i == index) {
      *flags = U16(entry + 8);
      *time = U16(entry + 12);
      return true;
    }
    offset += kCentralEntrySize + U16(entry + 28) + U16(entry + 30) + U16(entry + 32);
  }
}

// The traditional PKWARE stream cipher.
class TraditionalKeys {
 public:
  explicit TraditionalKeys(const std::string& password) : table_(get_crc_table()) {
    for (unsigned char c : password) Update(c);
  }
  uint8_t Decrypt(uint8_t c) {
    const uint32_t t = (k2_ | 2u) & 0xffffu;
    const uint8_t plain = static_cast<uint8_t>(c ^ static_cast<uint8_t>((t * (t ^ 1u)) >> 8));
    Update(plain);
    return plain;
  }

 private:
  uint32_t Crc(uint32_t crc, uint8_t c) const {
    return static_cast<uint32_t>(table_[(crc ^ c) & 0xffu]) ^ (crc >> 8);
  }
  void Update(uint8_t c) {
    k0_ = Crc(k0_, c);
    k1_ = (k1_ + (k0_ & 0xffu)) * 134775813u + 1u;
    k2_ = Crc(k2_, static_cast<uint8_t>(k1_ >> 24));
  }

  const z_crc_t* table_;
  uint32_t k0_ = 305419896u, k1_ = 591751049u, k2_ = 878082192u;
};

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// Inflates a raw deflate stream into exactly `expected` bytes.
ArchiveResult Inflate(const uint8_t* in, size_t inSize, uint64_t expected, uint32_t crc,
                      std::string* out) {
  if (inSize > std::numeric_limits<uInt>::max()) return ArchiveResult::kTooLarge;
  // One byte more than declared, so that a longer stream shows itself.
  out->assign(static_cast<size_t>(expected) + 1, '\0');
  z_stream zs{};
  if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) return ArchiveResult::kDamaged;
  zs.next_in = const_cast<Bytef*>(in);
  zs.avail_in = static_cast<uInt>(inSize);
  zs.next_out = reinterpret_cast<Bytef*>(out->data());
  zs.avail_out = static_cast<uInt>(out->size());
  const int rc = inflate(&zs, Z_FINISH);
  const uint64_t produced = zs.total_out;
  inflateEnd(&zs);
  ArchiveResult result = ArchiveResult::kOk;
  if (produced > expected) {
    result = ArchiveResult::kSizeMismatch;
  } else if (rc != Z_STREAM_END) {
    result = ArchiveResult::kDamaged;
  } else if (produced != expected) {
    result = ArchiveResult::kSizeMismatch;
  } else {
    out->resize(static_cast<size_t>(expected));
    if (crc32(0L, reinterpret_cast<const Bytef*>(out->data()), static_cast<uInt>(out->size())) !=
        crc)
      result = ArchiveResult::kDamaged;
  }
  if (result != ArchiveResult::kOk) out->clear();
  return result;
}

}  // namespace

ArchiveResult ExtractSkinData(const uint8_t* data, size_t size, const std::string& password,
                              std::string* member) {
  member->clear();
  // The end record must close the file: no comment, nothing after it.
  if (size < kEndRecordSize || data[0] != 'P' || data[1] != 'K')
    return ArchiveResult::kNotAnArchive;
  const uint8_t* end = data + size - kEndRecordSize;
  if (U32(end) != kEndRecordSignature || U16(end + 20) != 0) return ArchiveResult::kNotAnArchive;

  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
  if (!source) {
    zip_error_fini(&error);
    return ArchiveResult::kNotAnArchive;
  }
  std::unique_ptr<zip_t, ArchiveCloser> archive(
      zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
  zip_error_fini(&error);
  if (!archive) {
    zip_source_free(source);
    return ArchiveResult::kNotAnArchive;
  }

  const zip_int64_t index = zip_name_locate(archive.get(), kSkinDataMember, ZIP_FL_NOCASE);
  if (index < 0) return ArchiveResult::kNoMember;
  zip_stat_t st;
  zip_stat_init(&st);
  constexpr zip_uint64_t kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC |
                                   ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
  if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(index), 0, &st) != 0 ||
      (st.valid & kNeeded) != kNeeded)
    return ArchiveResult::kNotAnArchive;
  if (st.comp_method != ZIP_CM_DEFLATE) return ArchiveResult::kUnsupported;
  const bool encrypted = st.encryption_method != ZIP_EM_NONE;
  if (encrypted && st.encryption_method != ZIP_EM_TRAD_PKWARE) return ArchiveResult::kUnsupported;
  if (encrypted && password.empty()) return ArchiveResult::kNeedsPassword;
  if (st.size > kMaxSkinDataSize) return ArchiveResult::kTooLarge;
  if (st.comp_size > size) return ArchiveResult::kDamaged;

  // The member's bytes as stored; decryption and inflation follow here.
  std::string raw(static_cast<size_t>(st.comp_size), '\0');
  {
    std::unique_ptr<zip_file_t, FileCloser> file(
        zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(index),
                        encrypted ? ZIP_FL_ENCRYPTED : ZIP_FL_COMPRESSED));
    if (!file) return ArchiveResult::kDamaged;
    if (zip_fread(file.get(), raw.data(), raw.size()) != static_cast<zip_int64_t>(raw.size()))
      return ArchiveResult::kDamaged;
  }

  size_t start = 0;
  if (encrypted) {
    uint16_t flags = 0, time = 0;
    if (raw.size() < kEncryptionHeaderSize ||
        !CentralEntry(data, size, static_cast<uint64_t>(index), &flags, &time))
      return ArchiveResult::kDamaged;
    TraditionalKeys keys(password);
    for (char& c : raw) c = static_cast<char>(keys.Decrypt(static_cast<uint8_t>(c)));
    const uint8_t check = (flags & kFlagDataDescriptor) ? static_cast<uint8_t>(time >> 8)
                                                        : static_cast<uint8_t>(st.crc >> 24);
    if (static_cast<uint8_t>(raw[kEncryptionHeaderSize - 1]) != check)
      return ArchiveResult::kWrongPassword;
    start = kEncryptionHeaderSize;
  }
  return Inflate(reinterpret_cast<const uint8_t*>(raw.data()) + start, raw.size() - start, st.size,
                 st.crc, member);
}

}  // namespace skin
