// The four output families, their encoding profiles, and the fixed option lists and MPEG target
// presets from which every profile value is chosen.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quorbit {

// The output families, in the order of the family radio buttons.
enum class OutputFamily { kAvi, kMpeg, kWmv, kMp3 };

inline constexpr std::array<OutputFamily, 4> kOutputFamilies = {
    OutputFamily::kAvi, OutputFamily::kMpeg, OutputFamily::kWmv, OutputFamily::kMp3};

// One family's encoding choices, each held as the text the settings lists show and inserted
// verbatim into summaries and command lines. The MP3 record uses only audioBitrate, sampleRate
// and channels; its video fields stay empty.
struct OutputProfile {
  std::string videoCodec;
  std::string videoBitrate;
  std::string frameRate;
  std::string frameSize;
  std::string frameWidth;
  std::string frameHeight;
  std::string audioBitrate;
  std::string sampleRate;
  std::string channels;

  bool operator==(const OutputProfile& other) const;
  bool operator!=(const OutputProfile& other) const { return !(*this == other); }
};

// The four records the main window holds for the whole run.
struct OutputProfiles {
  OutputProfile aviProfile;
  OutputProfile mpegProfile;
  OutputProfile wmvProfile;
  OutputProfile mp3Profile;

  OutputProfile& For(OutputFamily family);
  const OutputProfile& For(OutputFamily family) const;
};

// The start values of a family's record.
OutputProfile DefaultProfile(OutputFamily family);

// All four records at their start values.
OutputProfiles DefaultProfiles();

// Fixed texts that profile values are compared with, exactly and case-sensitively.
inline constexpr char kOriginal[] = "Original";
inline constexpr char kCustomSize[] = "Custom...";
inline constexpr char kMono[] = "Mono";
inline constexpr char kNotAvailable[] = "Not available";

// The settings lists; each fills the profile field of the same name.
enum class OptionList {
  kCompressor,    // videoCodec
  kVideoBitrate,  // videoBitrate
  kFrameRate,     // frameRate
  kFrameSize,     // frameSize
  kAudioBitrate,  // audioBitrate
  kSampleRate,    // sampleRate
  kChannels,      // channels
};

inline constexpr std::array<OptionList, 7> kOptionLists = {
    OptionList::kCompressor, OptionList::kVideoBitrate, OptionList::kFrameRate,
    OptionList::kFrameSize,  OptionList::kAudioBitrate, OptionList::kSampleRate,
    OptionList::kChannels};

// The entries of one list for one family, in display order. A list the family does not offer
// holds the single entry "Not available".
const std::vector<std::string>& OptionEntries(OutputFamily family, OptionList list);

// The entry's text up to its first space; the whole entry when it has none.
std::string FirstWord(const std::string& entry);

// The value a profile stores when the entry is chosen: the whole entry for the compressor and
// channel lists, the first word for every other list.
std::string StoredValue(OptionList list, const std::string& entry);

// Index of the first entry of the list whose stored value equals value exactly; nullopt when
// no entry does.
std::optional<std::size_t> FindEntry(OutputFamily family, OptionList list,
                                     const std::string& value);

// One MPEG target preset: the video values it forces and locks. The three list values are list
// entries ("1150 kbps", "25 fps", "352x288"); width and height are what the size fields show.
struct MpegTargetPreset {
  std::string compressorEntry;
  std::string videoBitrateEntry;
  std::string frameRateEntry;
  std::string frameSizeEntry;
  std::string frameWidth;
  std::string frameHeight;
};

// The eight presets, in the order of the MPEG compressor list.
const std::vector<MpegTargetPreset>& MpegTargetPresets();

// The preset named by an MPEG videoCodec; nullptr for "MPEG1", "MPEG2" and any other value.
const MpegTargetPreset* FindMpegTargetPreset(const std::string& videoCodec);

// Which controls of the settings dialog a family offers for editing.
struct OfferedChoices {
  bool compressorList;  // otherwise it shows "Not available"
  bool videoChoices;    // video bit-rate, frame-rate and frame-size lists, width and height
  bool audioLists;      // audio bit-rate, frequency and channel lists
};

// The choices offered for a family whose compressor is videoCodec (ignored outside MPEG). In
// MPEG only a target preset locks the video choices; any other compressor value leaves them open.
OfferedChoices ChoicesOffered(OutputFamily family, const std::string& videoCodec);

}  // namespace quorbit
