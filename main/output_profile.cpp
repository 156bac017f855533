#include "main/output_profile.h"

namespace quorbit {

namespace {

using Entries = std::vector<std::string>;

const Entries& NotAvailableEntries() {
  static const Entries entries = {kNotAvailable};
  return entries;
}

const Entries& CompressorEntries(OutputFamily family) {
  static const Entries avi = {
      "MS MPEG-4 Video Codec V2", "MPEG4 (DivX/XviD compatible)",     "Full Uncompressed",
      "XviD MPEG-4 Codec",        "H264/AVC (Advanced Video Coding)",
  };
  static const Entries mpeg = {
      "MPEG1",
      "MPEG2",
      "VCD - PAL",
      "VCD - NTSC",
      "SVCD - PAL",
      "SVCD - NTSC",
      "DVD - PAL Standard",
      "DVD - PAL Widescreen",
      "DVD - NTSC Standard",
      "DVD - NTSC Widescreen",
  };
  static const Entries wmv = {"Windows Media Video V7", "Windows Media Video V8"};
  switch (family) {
    case OutputFamily::kAvi:
      return avi;
    case OutputFamily::kMpeg:
      return mpeg;
    case OutputFamily::kWmv:
      return wmv;
    case OutputFamily::kMp3:
      break;
  }
  return NotAvailableEntries();
}

const Entries& VideoBitrateEntries() {
  // No 650 or 700: the list steps from 600 straight to 750.
  static const Entries entries = {
      "100 kbps", "150 kbps",  "200 kbps",  "250 kbps",  "300 kbps",  "350 kbps",  "400 kbps",
      "450 kbps", "500 kbps",  "550 kbps",  "600 kbps",  "750 kbps",  "800 kbps",  "850 kbps",
      "900 kbps", "1150 kbps", "1500 kbps", "1950 kbps", "2376 kbps", "4000 kbps",
  };
  return entries;
}

const Entries& FrameRateEntries(OutputFamily family) {
  static const Entries avi_wmv = {
      "Original", "1 fps",  "2 fps",      "3 fps",  "5 fps",  "10 fps", "12 fps",
      "15 fps",   "20 fps", "23.976 fps", "24 fps", "25 fps", "30 fps",
  };
  // MPEG cannot keep the source's rate, so "Original" is absent here.
  static const Entries mpeg = {"23.976 fps", "24 fps", "25 fps", "29.97 fps", "30 fps"};
  return family == OutputFamily::kMpeg ? mpeg : avi_wmv;
}

const Entries& FrameSizeEntries() {
  // The settings dialog relies on "Custom..." being the last entry.
  static const Entries entries = {
      "80x60",   "96x72",   "128x96",  "160x120", "176x120", "176x144", "192x144", "240x180",
      "320x200", "320x240", "352x240", "352x288", "720x480", "720x576", kOriginal, kCustomSize,
  };
  return entries;
}

const Entries& AudioBitrateEntries() {
  static const Entries entries = {
      "32 kbps",  "48 kbps",  "56 kbps",  "64 kbps",  "80 kbps",  "96 kbps",  "112 kbps",
      "128 kbps", "160 kbps", "192 kbps", "224 kbps", "256 kbps", "320 kbps", "384 kbps",
  };
  return entries;
}

const Entries& SampleRateEntries() {
  static const Entries entries = {
      "48000 Hz", "44100 Hz", "32000 Hz", "24000 Hz", "22050 Hz",
      "16000 Hz", "12000 Hz", "11025 Hz", "8000 Hz",
  };
  return entries;
}

const Entries& ChannelEntries() {
  static const Entries entries = {kMono, "Stereo"};
  return entries;
}

}  // namespace

bool OutputProfile::operator==(const OutputProfile& other) const {
  return videoCodec == other.videoCodec && videoBitrate == other.videoBitrate &&
         frameRate == other.frameRate && frameSize == other.frameSize &&
         frameWidth == other.frameWidth && frameHeight == other.frameHeight &&
         audioBitrate == other.audioBitrate && sampleRate == other.sampleRate &&
         channels == other.channels;
}

OutputProfile& OutputProfiles::For(OutputFamily family) {
  return const_cast<OutputProfile&>(static_cast<const OutputProfiles&>(*this).For(family));
}

const OutputProfile& OutputProfiles::For(OutputFamily family) const {
  switch (family) {
    case OutputFamily::kAvi:
      return aviProfile;
    case OutputFamily::kMpeg:
      return mpegProfile;
    case OutputFamily::kWmv:
      return wmvProfile;
    case OutputFamily::kMp3:
      break;
  }
  return mp3Profile;
}

OutputProfile DefaultProfile(OutputFamily family) {
  switch (family) {
    case OutputFamily::kAvi:
      return {"MS MPEG-4 Video Codec V2",
              "500",
              kOriginal,
              kOriginal,
              "0",
              "0",
              "128",
              "44100",
              "Stereo"};
    case OutputFamily::kMpeg:
      return {"MPEG1", "1150", "23.976", "352x240", "352", "240", "224", "44100", "Stereo"};
    case OutputFamily::kWmv:
      return {"Windows Media Video V8",
              "500",
              kOriginal,
              kOriginal,
              "0",
              "0",
              "192",
              "22050",
              "Stereo"};
    case OutputFamily::kMp3:
      break;
  }
  return {"", "", "", "", "", "", "320", "44100", "Stereo"};
}

OutputProfiles DefaultProfiles() {
  return {DefaultProfile(OutputFamily::kAvi), DefaultProfile(OutputFamily::kMpeg),
          DefaultProfile(OutputFamily::kWmv), DefaultProfile(OutputFamily::kMp3)};
}

const std::vector<std::string>& OptionEntries(OutputFamily family, OptionList list) {
  const bool has_video = family != OutputFamily::kMp3;
  switch (list) {
    case OptionList::kCompressor:
      return CompressorEntries(family);
    case OptionList::kVideoBitrate:
      return has_video ? VideoBitrateEntries() : NotAvailableEntries();
    case OptionList::kFrameRate:
      return has_video ? FrameRateEntries(family) : NotAvailableEntries();
    case OptionList::kFrameSize:
      return has_video ? FrameSizeEntries() : NotAvailableEntries();
    case OptionList::kAudioBitrate:
      return AudioBitrateEntries();
    case OptionList::kSampleRate:
      return SampleRateEntries();
    case OptionList::kChannels:
      break;
  }
  return ChannelEntries();
}

std::string FirstWord(const std::string& entry) {
  return entry.substr(0, entry.find(' '));
}

std::string StoredValue(OptionList list, const std::string& entry) {
  // Compressor and channel entries contain blanks that are part of the value.
  if (list == OptionList::kCompressor || list == OptionList::kChannels) return entry;
  return FirstWord(entry);
}

std::optional<std::size_t> FindEntry(OutputFamily family, OptionList list,
                                     const std::string& value) {
  const Entries& entries = OptionEntries(family, list);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (StoredValue(list, entries[i]) == value) return i;
  }
  return std::nullopt;
}

const std::vector<MpegTargetPreset>& MpegTargetPresets() {
  // The SVCD - NTSC row repeats the PAL values on purpose (25 fps, 480x576).
  static const std::vector<MpegTargetPreset> presets = {
      {"VCD - PAL", "1150 kbps", "25 fps", "352x288", "352", "288"},
      {"VCD - NTSC", "1150 kbps", "29.97 fps", "352x240", "352", "240"},
      {"SVCD - PAL", "2376 kbps", "25 fps", kCustomSize, "480", "576"},
      {"SVCD - NTSC", "2376 kbps", "25 fps", kCustomSize, "480", "576"},
      {"DVD - PAL Standard", "4000 kbps", "25 fps", "720x576", "720", "576"},
      {"DVD - PAL Widescreen", "4000 kbps", "25 fps", "720x576", "720", "576"},
      {"DVD - NTSC Standard", "4000 kbps", "29.97 fps", "720x480", "720", "480"},
      {"DVD - NTSC Widescreen", "4000 kbps", "29.97 fps", "720x480", "720", "480"},
  };
  return presets;
}

const MpegTargetPreset* FindMpegTargetPreset(const std::string& videoCodec) {
  for (const MpegTargetPreset& preset : MpegTargetPresets()) {
    if (preset.compressorEntry == videoCodec) return &preset;
  }
  return nullptr;
}

OfferedChoices ChoicesOffered(OutputFamily family, const std::string& videoCodec) {
  switch (family) {
    case OutputFamily::kAvi:
    case OutputFamily::kWmv:
      return {true, true, true};
    case OutputFamily::kMpeg:
      // Only a preset locks the video values; a compressor matching no entry locks nothing,
      // so the user can still repair the record.
      return {true, FindMpegTargetPreset(videoCodec) == nullptr, true};
    case OutputFamily::kMp3:
      break;
  }
  return {false, false, true};
}

}  // namespace quorbit
