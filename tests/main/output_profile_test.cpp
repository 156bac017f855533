#include "main/output_profile.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace quorbit {
namespace {

using Entries = std::vector<std::string>;

constexpr OutputFamily kAvi = OutputFamily::kAvi;
constexpr OutputFamily kMpeg = OutputFamily::kMpeg;
constexpr OutputFamily kWmv = OutputFamily::kWmv;
constexpr OutputFamily kMp3 = OutputFamily::kMp3;

// The lists as the settings lists must show them, written out entry by entry.
const Entries kNotAvailableOnly = {"Not available"};
const Entries kAviCompressors = {"MS MPEG-4 Video Codec V2", "MPEG4 (DivX/XviD compatible)",
                                 "Full Uncompressed", "XviD MPEG-4 Codec",
                                 "H264/AVC (Advanced Video Coding)"};
const Entries kMpegCompressors = {"MPEG1",
                                  "MPEG2",
                                  "VCD - PAL",
                                  "VCD - NTSC",
                                  "SVCD - PAL",
                                  "SVCD - NTSC",
                                  "DVD - PAL Standard",
                                  "DVD - PAL Widescreen",
                                  "DVD - NTSC Standard",
                                  "DVD - NTSC Widescreen"};
const Entries kWmvCompressors = {"Windows Media Video V7", "Windows Media Video V8"};
const Entries kVideoBitrates = {"100 kbps",  "150 kbps",  "200 kbps",  "250 kbps",  "300 kbps",
                                "350 kbps",  "400 kbps",  "450 kbps",  "500 kbps",  "550 kbps",
                                "600 kbps",  "750 kbps",  "800 kbps",  "850 kbps",  "900 kbps",
                                "1150 kbps", "1500 kbps", "1950 kbps", "2376 kbps", "4000 kbps"};
const Entries kAviWmvFrameRates = {"Original", "1 fps",  "2 fps",  "3 fps",  "5 fps",
                                   "10 fps",   "12 fps", "15 fps", "20 fps", "23.976 fps",
                                   "24 fps",   "25 fps", "30 fps"};
const Entries kMpegFrameRates = {"23.976 fps", "24 fps", "25 fps", "29.97 fps", "30 fps"};
const Entries kFrameSizes = {"80x60",   "96x72",   "128x96",   "160x120",  "176x120", "176x144",
                             "192x144", "240x180", "320x200",  "320x240",  "352x240", "352x288",
                             "720x480", "720x576", "Original", "Custom..."};
const Entries kAudioBitrates = {"32 kbps",  "48 kbps",  "56 kbps",  "64 kbps",  "80 kbps",
                                "96 kbps",  "112 kbps", "128 kbps", "160 kbps", "192 kbps",
                                "224 kbps", "256 kbps", "320 kbps", "384 kbps"};
const Entries kSampleRates = {"48000 Hz", "44100 Hz", "32000 Hz", "24000 Hz", "22050 Hz",
                              "16000 Hz", "12000 Hz", "11025 Hz", "8000 Hz"};
const Entries kChannelEntries = {"Mono", "Stereo"};

const char* ListName(OptionList list) {
  switch (list) {
    case OptionList::kCompressor:
      return "compressor";
    case OptionList::kVideoBitrate:
      return "video bit rate";
    case OptionList::kFrameRate:
      return "frame rate";
    case OptionList::kFrameSize:
      return "frame size";
    case OptionList::kAudioBitrate:
      return "audio bit rate";
    case OptionList::kSampleRate:
      return "frequency";
    case OptionList::kChannels:
      return "channels";
  }
  return "?";
}

const char* FamilyName(OutputFamily family) {
  switch (family) {
    case OutputFamily::kAvi:
      return "AVI";
    case OutputFamily::kMpeg:
      return "MPEG";
    case OutputFamily::kWmv:
      return "WMV";
    case OutputFamily::kMp3:
      return "MP3";
  }
  return "?";
}

// Every list of every family, the presets and the defaults against the texts written above.
TEST(OutputProfileData, EveryListPresetAndDefaultHoldsTheTextsAsWritten) {
  struct ListRow {
    OutputFamily family;
    OptionList list;
    const Entries& entries;
  };
  const ListRow lists[] = {
      {kAvi, OptionList::kCompressor, kAviCompressors},
      {kAvi, OptionList::kVideoBitrate, kVideoBitrates},
      {kAvi, OptionList::kFrameRate, kAviWmvFrameRates},
      {kAvi, OptionList::kFrameSize, kFrameSizes},
      {kAvi, OptionList::kAudioBitrate, kAudioBitrates},
      {kAvi, OptionList::kSampleRate, kSampleRates},
      {kAvi, OptionList::kChannels, kChannelEntries},
      {kMpeg, OptionList::kCompressor, kMpegCompressors},
      {kMpeg, OptionList::kVideoBitrate, kVideoBitrates},
      {kMpeg, OptionList::kFrameRate, kMpegFrameRates},
      {kMpeg, OptionList::kFrameSize, kFrameSizes},
      {kMpeg, OptionList::kAudioBitrate, kAudioBitrates},
      {kMpeg, OptionList::kSampleRate, kSampleRates},
      {kMpeg, OptionList::kChannels, kChannelEntries},
      {kWmv, OptionList::kCompressor, kWmvCompressors},
      {kWmv, OptionList::kVideoBitrate, kVideoBitrates},
      {kWmv, OptionList::kFrameRate, kAviWmvFrameRates},
      {kWmv, OptionList::kFrameSize, kFrameSizes},
      {kWmv, OptionList::kAudioBitrate, kAudioBitrates},
      {kWmv, OptionList::kSampleRate, kSampleRates},
      {kWmv, OptionList::kChannels, kChannelEntries},
      {kMp3, OptionList::kCompressor, kNotAvailableOnly},
      {kMp3, OptionList::kVideoBitrate, kNotAvailableOnly},
      {kMp3, OptionList::kFrameRate, kNotAvailableOnly},
      {kMp3, OptionList::kFrameSize, kNotAvailableOnly},
      {kMp3, OptionList::kAudioBitrate, kAudioBitrates},
      {kMp3, OptionList::kSampleRate, kSampleRates},
      {kMp3, OptionList::kChannels, kChannelEntries},
  };
  for (const ListRow& row : lists) {
    SCOPED_TRACE(std::string(FamilyName(row.family)) + " " + ListName(row.list));
    EXPECT_EQ(OptionEntries(row.family, row.list), row.entries);
  }

  const MpegTargetPreset presets[] = {
      {"VCD - PAL", "1150 kbps", "25 fps", "352x288", "352", "288"},
      {"VCD - NTSC", "1150 kbps", "29.97 fps", "352x240", "352", "240"},
      {"SVCD - PAL", "2376 kbps", "25 fps", "Custom...", "480", "576"},
      {"SVCD - NTSC", "2376 kbps", "25 fps", "Custom...", "480", "576"},
      {"DVD - PAL Standard", "4000 kbps", "25 fps", "720x576", "720", "576"},
      {"DVD - PAL Widescreen", "4000 kbps", "25 fps", "720x576", "720", "576"},
      {"DVD - NTSC Standard", "4000 kbps", "29.97 fps", "720x480", "720", "480"},
      {"DVD - NTSC Widescreen", "4000 kbps", "29.97 fps", "720x480", "720", "480"},
  };
  ASSERT_EQ(MpegTargetPresets().size(), std::size(presets));
  for (std::size_t i = 0; i < std::size(presets); ++i) {
    const MpegTargetPreset& want = presets[i];
    const MpegTargetPreset& got = MpegTargetPresets()[i];
    SCOPED_TRACE(want.compressorEntry);
    EXPECT_EQ(got.compressorEntry, want.compressorEntry);
    EXPECT_EQ(got.videoBitrateEntry, want.videoBitrateEntry);
    EXPECT_EQ(got.frameRateEntry, want.frameRateEntry);
    EXPECT_EQ(got.frameSizeEntry, want.frameSizeEntry);
    EXPECT_EQ(got.frameWidth, want.frameWidth);
    EXPECT_EQ(got.frameHeight, want.frameHeight);
    EXPECT_EQ(FindMpegTargetPreset(want.compressorEntry), &got);
  }

  struct DefaultRow {
    OutputFamily family;
    OutputProfile profile;
  };
  const DefaultRow defaults[] = {
      {kAvi,
       {"MS MPEG-4 Video Codec V2", "500", "Original", "Original", "0", "0", "128", "44100",
        "Stereo"}},
      {kMpeg, {"MPEG1", "1150", "23.976", "352x240", "352", "240", "224", "44100", "Stereo"}},
      {kWmv,
       {"Windows Media Video V8", "500", "Original", "Original", "0", "0", "192", "22050",
        "Stereo"}},
      {kMp3, {"", "", "", "", "", "", "320", "44100", "Stereo"}},
  };
  const OutputProfiles all = DefaultProfiles();
  for (const DefaultRow& row : defaults) {
    SCOPED_TRACE(FamilyName(row.family));
    EXPECT_EQ(DefaultProfile(row.family), row.profile);
    EXPECT_EQ(all.For(row.family), row.profile);
  }
  EXPECT_EQ(&all.For(kAvi), &all.aviProfile);
  EXPECT_EQ(&all.For(kMpeg), &all.mpegProfile);
  EXPECT_EQ(&all.For(kWmv), &all.wmvProfile);
  EXPECT_EQ(&all.For(kMp3), &all.mp3Profile);
}

// The presets are applied by picking list entries, so each value must exist in its MPEG list
// and the compressor list must name exactly the presets from its third entry on.
TEST(OutputProfileData, PresetsPointAtExistingMpegEntries) {
  const Entries& compressors = OptionEntries(kMpeg, OptionList::kCompressor);
  ASSERT_EQ(compressors.size(), MpegTargetPresets().size() + 2);
  for (std::size_t i = 0; i < MpegTargetPresets().size(); ++i) {
    const MpegTargetPreset& preset = MpegTargetPresets()[i];
    SCOPED_TRACE(preset.compressorEntry);
    EXPECT_EQ(compressors[i + 2], preset.compressorEntry);
    EXPECT_TRUE(FindEntry(kMpeg, OptionList::kVideoBitrate, FirstWord(preset.videoBitrateEntry)));
    EXPECT_TRUE(FindEntry(kMpeg, OptionList::kFrameRate, FirstWord(preset.frameRateEntry)));
    EXPECT_TRUE(FindEntry(kMpeg, OptionList::kFrameSize, preset.frameSizeEntry));
  }
  EXPECT_EQ(FindMpegTargetPreset("MPEG1"), nullptr);
  EXPECT_EQ(FindMpegTargetPreset("MPEG2"), nullptr);
  EXPECT_EQ(FindMpegTargetPreset("vcd - pal"), nullptr);
}

TEST(OutputProfileEntries, FirstWordAndStoredValue) {
  struct Row {
    OptionList list;
    std::string entry;
    std::string firstWord;
    std::string stored;
  };
  const Row rows[] = {
      {OptionList::kVideoBitrate, "1150 kbps", "1150", "1150"},
      {OptionList::kFrameRate, "29.97 fps", "29.97", "29.97"},
      {OptionList::kFrameRate, "Original", "Original", "Original"},
      {OptionList::kFrameSize, "Custom...", "Custom...", "Custom..."},
      {OptionList::kSampleRate, "44100 Hz", "44100", "44100"},
      {OptionList::kAudioBitrate, "128  kbps", "128", "128"},  // only up to the first space
      {OptionList::kAudioBitrate, " 128", "", ""},
      {OptionList::kAudioBitrate, "", "", ""},
      // Compressor and channel entries are stored whole, blanks included.
      {OptionList::kCompressor, "MPEG4 (DivX/XviD compatible)", "MPEG4",
       "MPEG4 (DivX/XviD compatible)"},
      {OptionList::kCompressor, "DVD - PAL Widescreen", "DVD", "DVD - PAL Widescreen"},
      {OptionList::kChannels, "Stereo", "Stereo", "Stereo"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("entry \"" + row.entry + "\"");
    EXPECT_EQ(FirstWord(row.entry), row.firstWord);
    EXPECT_EQ(StoredValue(row.list, row.entry), row.stored);
  }
}

TEST(OutputProfileEntries, FindEntryMatchesStoredValuesExactlyInListOrder) {
  struct Row {
    OutputFamily family;
    OptionList list;
    std::string value;
    std::optional<std::size_t> index;
  };
  const Row rows[] = {
      {kAvi, OptionList::kVideoBitrate, "1150", 15},
      {kAvi, OptionList::kVideoBitrate, "1150 kbps", std::nullopt},  // values are first words
      {kAvi, OptionList::kVideoBitrate, "650", std::nullopt},
      {kMpeg, OptionList::kFrameRate, "29.97", 3},
      {kWmv, OptionList::kFrameRate, "29.97", std::nullopt},
      {kAvi, OptionList::kFrameRate, "Original", 0},
      {kMpeg, OptionList::kFrameRate, "Original", std::nullopt},
      {kAvi, OptionList::kFrameRate, "23.976", 9},
      {kWmv, OptionList::kFrameSize, "176x144", 5},
      {kMpeg, OptionList::kFrameSize, "Custom...", 15},
      {kMpeg, OptionList::kFrameSize, "480x576", std::nullopt},
      {kMp3, OptionList::kSampleRate, "8000", 8},
      {kAvi, OptionList::kSampleRate, "", std::nullopt},
      {kMp3, OptionList::kAudioBitrate, "320", 12},
      {kMpeg, OptionList::kCompressor, "DVD - PAL Widescreen", 7},
      {kMpeg, OptionList::kCompressor, "DVD", std::nullopt},  // whole entries, not first words
      {kAvi, OptionList::kCompressor, "MPEG4", std::nullopt},
      {kAvi, OptionList::kCompressor, "H264/AVC (Advanced Video Coding)", 4},
      {kWmv, OptionList::kCompressor, "windows media video v8", std::nullopt},
      {kAvi, OptionList::kChannels, "Mono", 0},
      {kMp3, OptionList::kChannels, "Stereo", 1},
      {kAvi, OptionList::kChannels, "stereo", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(FamilyName(row.family)) + " " + ListName(row.list) + " \"" +
                 row.value + "\"");
    EXPECT_EQ(FindEntry(row.family, row.list, row.value), row.index);
  }
}

TEST(OutputProfileChoices, OnlyMp3AndMpegPresetsLockChoices) {
  struct Row {
    OutputFamily family;
    std::string videoCodec;
    bool compressorList;
    bool videoChoices;
  };
  std::vector<Row> rows = {
      {kAvi, "MS MPEG-4 Video Codec V2", true, true},
      {kAvi, "VCD - PAL", true, true},  // a preset name means nothing outside MPEG
      {kWmv, "Windows Media Video V7", true, true},
      {kMpeg, "MPEG1", true, true},
      {kMpeg, "MPEG2", true, true},
      {kMpeg, "MPEG4", true, true},
      {kMp3, "", false, false},
  };
  for (const MpegTargetPreset& preset : MpegTargetPresets()) {
    rows.push_back({kMpeg, preset.compressorEntry, true, false});
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(FamilyName(row.family)) + " \"" + row.videoCodec + "\"");
    const OfferedChoices choices = ChoicesOffered(row.family, row.videoCodec);
    EXPECT_EQ(choices.compressorList, row.compressorList);
    EXPECT_EQ(choices.videoChoices, row.videoChoices);
    EXPECT_TRUE(choices.audioLists);
  }
}

}  // namespace
}  // namespace quorbit
