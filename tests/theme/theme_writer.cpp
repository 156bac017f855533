#include "theme_writer.h"

#include <stdexcept>

#include <zlib.h>

namespace theme_writer {
namespace {

void Append16(std::string* out, uint32_t v) {
  out->push_back(static_cast<char>(v & 0xff));
  out->push_back(static_cast<char>((v >> 8) & 0xff));
}
void Append32(std::string* out, uint32_t v) {
  Append16(out, v & 0xffff);
  Append16(out, v >> 16);
}

std::string Deflate(const std::string& data) {
  z_stream zs{};
  if (deflateInit2(&zs, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&zs, data.size()), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  if (deflate(&zs, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

class Keys {
 public:
  explicit Keys(const std::string& password) {
    for (unsigned char c : password) Update(c);
  }
  char Encrypt(char plain) {
    const uint32_t t = (k2_ | 2u) & 0xffffu;
    const auto cipher = static_cast<char>(static_cast<uint8_t>(plain) ^ ((t * (t ^ 1u)) >> 8));
    Update(static_cast<uint8_t>(plain));
    return cipher;
  }

 private:
  static uint32_t Crc(uint32_t crc, uint8_t c) {
    return static_cast<uint32_t>(get_crc_table()[(crc ^ c) & 0xff]) ^ (crc >> 8);
  }
  void Update(uint8_t c) {
    k0_ = Crc(k0_, c);
    k1_ = (k1_ + (k0_ & 0xff)) * 134775813u + 1;
    k2_ = Crc(k2_, static_cast<uint8_t>(k1_ >> 24));
  }
  uint32_t k0_ = 305419896u, k1_ = 591751049u, k2_ = 878082192u;
};

constexpr uint16_t kDosTime = 0x6a21;  // 13:17:02
constexpr uint16_t kDosDate = 0x5b8a;  // a day in 2025

struct Member {
  std::string name, stored;
  uint16_t flags, method;
  uint32_t crc, size;
  uint32_t offset = 0;
};

}  // namespace

Entry Integer(const std::string& name, int32_t value) {
  std::string data;
  Append32(&data, static_cast<uint32_t>(value));
  return {name, 1, data};
}
Entry Byte(const std::string& name, uint8_t value) {
  return {name, 2, std::string(1, static_cast<char>(value))};
}
Entry Text(const std::string& name, const std::string& text) {
  return {name, 3, text};
}
Entry Bitmap(const std::string& name, const std::string& bmpFile) {
  return {name, 0, bmpFile};
}

std::string SolidBmp(int width, int height, uint32_t rgb) {
  const uint32_t row = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixels = row * static_cast<uint32_t>(height);
  std::string out = "BM";
  Append32(&out, 54 + pixels);
  Append32(&out, 0);
  Append32(&out, 54);
  Append32(&out, 40);
  Append32(&out, static_cast<uint32_t>(width));
  Append32(&out, static_cast<uint32_t>(height));
  Append16(&out, 1);
  Append16(&out, 24);
  for (int i = 0; i < 6; ++i) Append32(&out, 0);
  for (int y = 0; y < height; ++y) {
    std::string line;
    for (int x = 0; x < width; ++x) {
      line.push_back(static_cast<char>(rgb & 0xff));
      line.push_back(static_cast<char>((rgb >> 8) & 0xff));
      line.push_back(static_cast<char>((rgb >> 16) & 0xff));
    }
    line.resize(row, '\0');
    out += line;
  }
  return out;
}

void Put32(std::string* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

std::string SkinData(const std::vector<Entry>& entries) {
  const size_t records = entries.size() + 1;
  const size_t header = RecordOffset(records);
  std::string out(header, '\0');
  Put32(&out, 0, 0x324b5351);  // a mark of our own; nothing reads it
  Put32(&out, 12, static_cast<uint32_t>(header));
  Put32(&out, 20, static_cast<uint32_t>(kFirstRecord));
  for (size_t i = 0; i < records; ++i) {
    const size_t at = RecordOffset(i);
    const bool last = i == entries.size();
    const std::string name = last ? "END" : entries[i].name;
    out.replace(at, std::min<size_t>(name.size(), 64), name, 0, 64);
    out[at + 64] = static_cast<char>(last ? 3 : entries[i].type);
    Put32(&out, at + 65, static_cast<uint32_t>(out.size()));
    Put32(&out, at + 69, static_cast<uint32_t>(last ? 0 : entries[i].data.size()));
    Put32(&out, at + 73, last ? 0 : static_cast<uint32_t>(RecordOffset(i + 1)));
    if (!last) out += entries[i].data;
  }
  return out;
}

std::string Zip(const std::string& member, const ZipOptions& options) {
  std::vector<Member> members;
  for (const auto& [name, data] : options.otherMembers)
    members.push_back({name, data, 0, 0,
                       static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()),
                                                   static_cast<uInt>(data.size()))),
                       static_cast<uint32_t>(data.size())});
  Member skin{options.memberName,
              options.stored ? member : Deflate(member),
              static_cast<uint16_t>(options.dataDescriptor ? 8 : 0),
              static_cast<uint16_t>(options.stored ? 0 : 8),
              static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(member.data()),
                                          static_cast<uInt>(member.size()))),
              options.declaredSize.value_or(static_cast<uint32_t>(member.size()))};
  if (!options.password.empty()) {
    skin.flags |= 1;
    Keys keys(options.password);
    std::string header;
    for (int i = 0; i < 11; ++i) header.push_back(static_cast<char>(0x5a + 7 * i));
    header.push_back(static_cast<char>(options.dataDescriptor ? kDosTime >> 8 : skin.crc >> 24));
    std::string encrypted;
    for (char c : header + skin.stored) encrypted.push_back(keys.Encrypt(c));
    skin.stored = encrypted;
  }
  members.push_back(skin);

  std::string out;
  for (Member& m : members) {
    m.offset = static_cast<uint32_t>(out.size());
    const bool descriptor = m.flags & 8;
    Append32(&out, 0x04034b50);
    Append16(&out, 20);
    Append16(&out, m.flags);
    Append16(&out, m.method);
    Append16(&out, kDosTime);
    Append16(&out, kDosDate);
    Append32(&out, descriptor ? 0 : m.crc);
    Append32(&out, descriptor ? 0 : static_cast<uint32_t>(m.stored.size()));
    Append32(&out, descriptor ? 0 : m.size);
    Append16(&out, static_cast<uint32_t>(m.name.size()));
    Append16(&out, 0);
    out += m.name;
    out += m.stored;
    if (descriptor) {
      Append32(&out, 0x08074b50);
      Append32(&out, m.crc);
      Append32(&out, static_cast<uint32_t>(m.stored.size()));
      Append32(&out, m.size);
    }
  }
  const auto directory = static_cast<uint32_t>(out.size());
  for (const Member& m : members) {
    Append32(&out, 0x02014b50);
    Append16(&out, 20);
    Append16(&out, 20);
    Append16(&out, m.flags);
    Append16(&out, m.method);
    Append16(&out, kDosTime);
    Append16(&out, kDosDate);
    Append32(&out, m.crc);
    Append32(&out, static_cast<uint32_t>(m.stored.size()));
    Append32(&out, m.size);
    Append16(&out, static_cast<uint32_t>(m.name.size()));
    Append16(&out, 0);
    Append16(&out, 0);
    Append16(&out, 0);
    Append16(&out, 0);
    Append32(&out, 0);
    Append32(&out, m.offset);
    out += m.name;
  }
  const auto directorySize = static_cast<uint32_t>(out.size()) - directory;
  Append32(&out, 0x06054b50);
  Append16(&out, 0);
  Append16(&out, 0);
  Append16(&out, static_cast<uint32_t>(members.size()));
  Append16(&out, static_cast<uint32_t>(members.size()));
  Append32(&out, directorySize);
  Append32(&out, directory);
  Append16(&out, static_cast<uint32_t>(options.comment.size()));
  out += options.comment;
  return out;
}

std::string Theme(const std::vector<Entry>& entries, const ZipOptions& options) {
  return Zip(SkinData(entries), options);
}

std::vector<Entry> OrangeEntries() {
  // Stored colours hold red in their low byte.
  auto color = [](const std::string& name, uint32_t rgb) {
    return Integer(
        name, static_cast<int32_t>(((rgb & 0xff) << 16) | (rgb & 0xff00) | ((rgb >> 16) & 0xff)));
  };
  return {
      color("SKIN2_FORMCOLOR", kOrangeForm),
      color("SKIN2_CONTROLCOLOR", 0xfffaf3),
      color("SKIN2_CONTROLBORDERCOLOR", 0xc75a00),
      color("SKIN2_CONTROLFONTCOLOR", 0x4a2300),
      color("SKIN2_BUTTONFONTCOLOR", 0x5c2a00),
      color("SKIN2_TITLEFONTCOLOR", 0xffffff),
      color("SKIN2_SELECTEDMENUCOLOR", 0xf08a1c),
      Bitmap("SKIN2_TITLEBAR1", SolidBmp(6, 25, 0xb85400)),
      Bitmap("SKIN2_TITLEBAR2", SolidBmp(4, 25, kOrangeTitle)),
      Bitmap("SKIN2_TITLEBAR3", SolidBmp(6, 25, 0xb85400)),
      Bitmap("SKIN2_PROGRESSBAR1", SolidBmp(8, 16, 0xfde3c8)),
      Bitmap("SKIN2_PROGRESSBAR2", SolidBmp(8, 16, 0xf28a16)),
      Integer("SKIN2_TITLEBARCAPTIONTOP", 6),
      Byte("SKIN2_TITLEBTNTRANS", 1),
      Text("SKIN2_AUTHOR", "quorbit tests"),
  };
}

}  // namespace theme_writer
