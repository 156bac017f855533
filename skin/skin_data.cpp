#include "skin/skin_data.h"

#include <strings.h>
#include <cstdint>
#include <cstring>
#include <set>

namespace skin {

const char* const kColorKeys[kColorKeyCount] = {
    "SKIN2_TRANSCOLOR",
    "SKIN2_TITLEFONTCOLOR",
    "SKIN2_FORMCOLOR",
    "SKIN2_MENUBARSTARTCOLOR",
    "SKIN2_MENUBARENDCOLOR",
    "SKIN2_TOPSELECTEDMENUCOLOR",
    "SKIN2_TOPSELECTEDMENUBORDERCOLOR",
    "SKIN2_TOPSELECTEDMENUFONTCOLOR",
    "SKIN2_TOPMENUFONTCOLOR",
    "SKIN2_LEFTBARSTARTCOLOR",
    "SKIN2_LEFTBARENDCOLOR",
    "SKIN2_MENUITEMCOLOR",
    "SKIN2_MENUITEMFONTCOLOR",
    "SKIN2_SELECTEDMENUCOLOR",
    "SKIN2_SELECTEDMENUBORDERCOLOR",
    "SKIN2_SELECTEDMENUFONTCOLOR",
    "SKIN2_TOOLBARSTARTCOLOR",
    "SKIN2_TOOLBARENDCOLOR",
    "SKIN2_TOOLBARONCOLOR",
    "SKIN2_TOOLBARBORDERCOLOR",
    "SKIN2_TOOLBARDOWNCOLOR",
    "SKIN2_CONTROLCOLOR",
    "SKIN2_CONTROLBORDERCOLOR",
    "SKIN2_CONTROLFONTCOLOR",
    "SKIN2_BUTTONFONTCOLOR",
    "SKIN2_SCROLLBARCOLOR",
    "SKIN2_TABCONTROLCOLOR",
    "SKIN2_TABCONTROLBORDERCOLOR",
    "SKIN2_TABCONTROLACTIVEFONTCOLOR",
    "SKIN2_TABCONTROLINACTIVEFONTCOLOR",
    "SKIN2_SIDECHANNELCOLOR",
    "SKIN2_SIDECHANNELBORDERCOLOR",
};

const char* const kBitmapKeys[kBitmapKeyCount] = {
    "SKIN2_TITLEBAR1",
    "SKIN2_TITLEBAR2",
    "SKIN2_TITLEBAR3",
    "SKIN2_TITLEBAR4",
    "SKIN2_TITLEBAR5",
    "SKIN2_FORMLEFTBORDER",
    "SKIN2_FORMRIGHTBORDER",
    "SKIN2_FORMBOTTOMBORDER1",
    "SKIN2_FORMBOTTOMBORDER2",
    "SKIN2_FORMBOTTOMBORDER3",
    "SKIN2_MINIMIZEDTITLE",
    "SKIN2_TITLEBUTTONS",
    "SKIN2_CHECKEDMENUICON",
    "SKIN2_MENUBAR",
    "SKIN2_TOOLBAR",
    "SKIN2_BUTTON",
    "SKIN2_CHECKBOX",
    "SKIN2_CHECKBOXLIST",
    "SKIN2_RADIOBUTTON",
    "SKIN2_PROGRESSBAR1",
    "SKIN2_PROGRESSBAR2",
    "SKIN2_PROGRESSBAR3",
    "SKIN2_PROGRESSBAR4",
    "SKIN2_TRACKBAR",
    "SKIN2_TRACKBARSLIDER",
    "SKIN2_TRACKBARVSLIDER",
    "SKIN2_SCROLLBARUPBUTTON",
    "SKIN2_SCROLLBAR",
    "SKIN2_SCROLLBARDOWNBUTTON",
    "SKIN2_TABCONTROL",
    "SKIN2_TABCONTROLLINE",
    "SKIN2_SIDECHANNELBAR",
    "SKIN2_SIDECHANNELTITLE",
    "SKIN2_SCROLLBUTTON",
};

const char* const kPositionKeys[kPositionKeyCount] = {
    "SKIN2_TITLEBARICONPOSX",   "SKIN2_TITLEBARICONPOSY",   "SKIN2_TITLEBARCAPTIONTOP",
    "SKIN2_TITLEBARBUTTONPOSX", "SKIN2_TITLEBARBUTTONPOSY", "SKIN2_TITLEBARREGIONMINY",
    "SKIN2_TITLEBARREGIONMAXY", "SKIN2_BOTTOMREGIONMINY",   "SKIN2_BOTTOMREGIONMAXY",
};

const char* const kFlagKeys[kFlagKeyCount] = {
    "SKIN2_TITLEFIVESECT",          "SKIN2_BOTTOMBORDERTHREESECT", "SKIN2_TITLEBARNEEDREGION",
    "SKIN2_BOTTOMBORDERNEEDREGION", "SKIN2_TITLEBTNTRANS",         "SKIN2_BUTTONTRANS",
    "SKIN2_CHECKBOXTRANS",          "SKIN2_RADIOBUTTONTRANS",      "SKIN2_TABCONTROLTRANS",
};

namespace {

uint32_t U32(std::string_view data, size_t offset) {
  const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + offset;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// True when [offset, offset + length) lies inside the data.
bool Inside(std::string_view data, uint64_t offset, uint64_t length) {
  return offset <= data.size() && length <= data.size() - offset;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

struct Record {
  std::string name;
  unsigned char type;
  uint32_t dataOffset, dataLength, next;
};

bool ReadRecord(std::string_view data, uint32_t offset, Record* record) {
  if (!Inside(data, offset, kEntryRecordSize)) return false;
  const char* name = data.data() + offset;
  record->name.assign(name, strnlen(name, kEntryNameSize));
  record->type = static_cast<unsigned char>(data[offset + 64]);
  record->dataOffset = U32(data, offset + 65);
  record->dataLength = U32(data, offset + 69);
  record->next = U32(data, offset + 73);
  return true;
}

// Files one record's data by its type; false when the data breaks the format.
bool File(std::string_view data, const Record& r, SkinTables* tables) {
  if (r.type > static_cast<unsigned char>(EntryType::kText)) return true;  // unknown: skipped
  const auto type = static_cast<EntryType>(r.type);
  if (!Inside(data, r.dataOffset, r.dataLength)) return false;
  const std::string_view bytes = data.substr(r.dataOffset, r.dataLength);
  switch (type) {
    case EntryType::kBitmap:
      if (bytes.empty()) return false;
      tables->bitmaps.emplace_back(r.name, std::string(bytes));
      return true;
    case EntryType::kInteger: {
      if (bytes.size() > 4) return false;
      uint32_t value = 0;
      for (size_t i = 0; i < bytes.size(); ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
      tables->integers.push_back(r.name + "=" + std::to_string(static_cast<int32_t>(value)));
      return true;
    }
    case EntryType::kByte:
      if (bytes.size() != 1) return false;
      tables->bytes.push_back(r.name + "=" + std::to_string(static_cast<unsigned char>(bytes[0])));
      return true;
    case EntryType::kText:
      tables->texts.push_back(r.name + "=" + std::string(bytes));
      return true;
  }
  return true;
}

}  // namespace

bool ParseSkinData(std::string_view data, SkinTables* tables) {
  *tables = SkinTables();
  if (!Inside(data, 0, 24)) return false;
  const uint32_t headerSize = U32(data, 12);
  const uint32_t first = U32(data, 20);
  if (headerSize > data.size() || first >= headerSize) return false;

  SkinTables filed;
  std::set<uint32_t> seen;
  Record record;
  uint32_t offset = first;
  if (!ReadRecord(data, offset, &record)) return false;
  seen.insert(offset);
  while (record.next != 0) {
    if (!File(data, record, &filed)) return false;
    offset = record.next;
    if (!seen.insert(offset).second || seen.size() > kMaxEntryRecords) return false;
    if (!ReadRecord(data, offset, &record)) return false;
  }
  *tables = std::move(filed);
  return true;
}

std::optional<std::string> LineValue(const std::vector<std::string>& lines, std::string_view name) {
  for (const std::string& line : lines) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos && SameName(std::string_view(line).substr(0, eq), name))
      return line.substr(eq + 1);
  }
  return std::nullopt;
}

const std::string* FindBitmap(const SkinTables& tables, std::string_view name) {
  for (const auto& [key, bytes] : tables.bitmaps)
    if (SameName(key, name)) return &bytes;
  return nullptr;
}

}  // namespace skin
