#include "main/command_line.h"

namespace quorbit {

namespace {

const char* Extension(OutputFamily family) {
  switch (family) {
    case OutputFamily::kAvi:
      return ".avi";
    case OutputFamily::kMpeg:
      return ".mpg";
    case OutputFamily::kWmv:
      return ".wmv";
    case OutputFamily::kMp3:
      break;
  }
  return ".mp3";
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

const char* AviCodecOption(const std::string& videoCodec) {
  if (videoCodec == "MS MPEG-4 Video Codec V2") return " -vcodec msmpeg4v2";
  if (videoCodec == "MPEG4 (DivX/XviD compatible)") return " -vcodec mpeg4";
  if (videoCodec == "Full Uncompressed") return " -vcodec rawvideo";
  // Stored files and the runner's failure report rely on this exact name; an encoder that
  // does not know it fails the run, and the row says so.
  if (videoCodec == "XviD MPEG-4 Codec") return " -vcodec xvid";
  if (videoCodec == "H264/AVC (Advanced Video Coding)") return " -vcodec h264";
  return "";
}

const char* MpegTargetOption(const std::string& videoCodec) {
  if (videoCodec == "VCD - PAL") return " -target pal-vcd";
  if (videoCodec == "VCD - NTSC") return " -target ntsc-vcd";
  if (videoCodec == "SVCD - PAL") return " -target pal-svcd";
  if (videoCodec == "SVCD - NTSC") return " -target ntsc-svcd";
  if (videoCodec == "DVD - PAL Standard") return " -target pal-dvd -aspect 4:3";
  if (videoCodec == "DVD - PAL Widescreen") return " -target pal-dvd -aspect 16:9";
  if (videoCodec == "DVD - NTSC Standard") return " -target ntsc-dvd -aspect 4:3";
  if (videoCodec == "DVD - NTSC Widescreen") return " -target ntsc-dvd -aspect 16:9";
  return "";
}

std::string BitrateOption(const OutputProfile& p) {
  return " -b " + p.videoBitrate + "k";
}

std::string RateAndSizeOptions(const OutputProfile& p) {
  std::string options;
  if (p.frameRate != kOriginal) options += " -r " + p.frameRate;
  // The size comes from the two fields; frameSize only says whether to keep the source's.
  if (p.frameSize != kOriginal) options += " -s " + p.frameWidth + "x" + p.frameHeight;
  return options;
}

std::string AudioOptions(const OutputProfile& p) {
  return " -ab " + p.audioBitrate + "k -ar " + p.sampleRate;
}

std::string ChannelOption(const OutputProfile& p) {
  return p.channels == kMono ? " -ac 1" : " -ac 2";
}

std::string FamilyOptions(OutputFamily family, const OutputProfile& p) {
  switch (family) {
    case OutputFamily::kAvi:
      return AviCodecOption(p.videoCodec) + BitrateOption(p) + RateAndSizeOptions(p) +
             AudioOptions(p) + ChannelOption(p);
    case OutputFamily::kMpeg: {
      std::string options;
      if (p.videoCodec == "MPEG1") {
        options = " -vcodec mpeg1video" + BitrateOption(p);
      } else if (p.videoCodec == "MPEG2") {
        options = " -vcodec mpeg2video" + BitrateOption(p);
      } else {
        // A disc target fixes its own bit rate.
        options = MpegTargetOption(p.videoCodec);
      }
      return options + RateAndSizeOptions(p) + AudioOptions(p) + ChannelOption(p);
    }
    case OutputFamily::kWmv: {
      // The bit rate goes with every codec, as in AVI: the dialog edits it and the summary
      // shows it. The audio codec is tied to the video codec, so an unknown one gets neither.
      std::string codec;
      std::string audio;
      if (p.videoCodec == "Windows Media Video V7") {
        codec = " -vcodec wmv1";
        audio = " -acodec wmav1" + AudioOptions(p);
      } else if (p.videoCodec == "Windows Media Video V8") {
        codec = " -vcodec wmv2";
        audio = " -acodec wmav2" + AudioOptions(p);
      }
      return codec + BitrateOption(p) + RateAndSizeOptions(p) + audio + ChannelOption(p);
    }
    case OutputFamily::kMp3:
      break;
  }
  // The ".mp3" extension of the output selects the format, so no codec option is needed.
  return AudioOptions(p) + ChannelOption(p);
}

std::string AudioSummary(const OutputProfile& p) {
  return p.audioBitrate + " kbps, " + p.sampleRate + " Hz, " + p.channels;
}

std::string SizeSummary(const OutputProfile& p) {
  return p.frameSize != kOriginal ? p.frameWidth + "x" + p.frameHeight + ", " : "";
}

std::string RateSummary(const OutputProfile& p) {
  return p.frameRate != kOriginal ? p.frameRate + " fps, " : "";
}

}  // namespace

std::string OutputPathFor(OutputFamily family, const std::string& outputFolder,
                          const std::string& sourcePath) {
  const std::string::size_type slash = sourcePath.rfind('/');
  std::string name = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
  // Only the length is examined: "movie.mpeg" gives "movie.".
  name.resize(name.size() >= 4 ? name.size() - 4 : 0);
  return outputFolder + name + Extension(family);
}

std::string BuildCommandLine(OutputFamily family, const OutputProfile& profile,
                             const std::string& encoderPath, const std::string& sourcePath,
                             const std::string& outputPath) {
  return Quoted(encoderPath) + " -i " + Quoted(sourcePath) + FamilyOptions(family, profile) +
         " -y " + Quoted(outputPath);
}

std::string BuildProbeCommandLine(const std::string& encoderPath, const std::string& sourcePath,
                                  const std::string& thumbPath) {
  return Quoted(encoderPath) + " -i " + Quoted(sourcePath) + " -y -f image2 -ss 1 -t 0.001 " +
         Quoted(thumbPath);
}

std::string FormatSummary(OutputFamily family, const OutputProfile& p) {
  switch (family) {
    case OutputFamily::kAvi:
    case OutputFamily::kWmv:
      return p.videoCodec + ", video " + p.videoBitrate + " kbps, " + RateSummary(p) +
             SizeSummary(p) + "audio " + AudioSummary(p);
    case OutputFamily::kMpeg: {
      std::string video;
      // A disc preset shows only its name; MPEG has no "Original" rate, so none is tested.
      if (p.videoCodec == "MPEG1" || p.videoCodec == "MPEG2") {
        video = "video " + p.videoBitrate + " kbps, " + p.frameRate + " fps, " + SizeSummary(p);
      }
      return p.videoCodec + ", " + video + "audio " + AudioSummary(p);
    }
    case OutputFamily::kMp3:
      break;
  }
  return "MP3 Audio, " + AudioSummary(p);
}

}  // namespace quorbit
