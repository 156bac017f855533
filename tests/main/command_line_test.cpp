#include "main/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace quorbit {
namespace {

constexpr OutputFamily kAvi = OutputFamily::kAvi;
constexpr OutputFamily kMpeg = OutputFamily::kMpeg;
constexpr OutputFamily kWmv = OutputFamily::kWmv;
constexpr OutputFamily kMp3 = OutputFamily::kMp3;

using Edit = void (*)(OutputProfile&);

OutputProfile Edited(OutputFamily family, Edit edit) {
  OutputProfile profile = DefaultProfile(family);
  if (edit != nullptr) edit(profile);
  return profile;
}

// The default profiles with the system folder /windows/system32/, the program folder /app/,
// the source /in/clip.flv and the output folder /out/.
TEST(CommandLine, DefaultProfilesGiveTheReferenceLines) {
  const std::string encoder = "/windows/system32/norcel.dll";
  const std::string source = "/in/clip.flv";
  struct Row {
    OutputFamily family;
    std::string line;
  };
  const Row rows[] = {
      {kAvi,
       R"("/windows/system32/norcel.dll" -i "/in/clip.flv" -vcodec msmpeg4v2 -b 500k -ab 128k -ar 44100 -ac 2 -y "/out/clip.avi")"},
      {kMpeg,
       R"("/windows/system32/norcel.dll" -i "/in/clip.flv" -vcodec mpeg1video -b 1150k -r 23.976 -s 352x240 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      // The WMV video bit rate follows the codec option, as in AVI.
      {kWmv,
       R"("/windows/system32/norcel.dll" -i "/in/clip.flv" -vcodec wmv2 -b 500k -acodec wmav2 -ab 192k -ar 22050 -ac 2 -y "/out/clip.wmv")"},
      {kMp3,
       R"("/windows/system32/norcel.dll" -i "/in/clip.flv" -ab 320k -ar 44100 -ac 2 -y "/out/clip.mp3")"},
  };
  const OutputProfiles profiles = DefaultProfiles();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(BuildCommandLine(row.family, profiles.For(row.family), encoder, source,
                               OutputPathFor(row.family, "/out/", source)),
              row.line);
  }
  EXPECT_EQ(
      BuildProbeCommandLine(encoder, source, "/app/thumb.jpg"),
      R"("/windows/system32/norcel.dll" -i "/in/clip.flv" -y -f image2 -ss 1 -t 0.001 "/app/thumb.jpg")");
}

// Each row edits the family's default profile, composes the output path under folder and the
// command with the encoder /s/norcel.dll, and compares the whole line.
TEST(CommandLine, ProfileValuesAndPathsGiveExactlyTheirOptions) {
  struct Row {
    const char* name;
    OutputFamily family;
    Edit edit;
    std::string folder;
    std::string source;
    std::string line;
  };
  const Row rows[] = {
      {"AVI Original rate and size add neither -r nor -s, whatever width and height hold", kAvi,
       [](OutputProfile& p) {
         p.frameWidth = "640";
         p.frameHeight = "480";
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec msmpeg4v2 -b 500k -ab 128k -ar 44100 -ac 2 -y "/out/clip.avi")"},
      {"AVI rate and listed size", kAvi,
       [](OutputProfile& p) {
         p.videoCodec = "MPEG4 (DivX/XviD compatible)";
         p.frameRate = "25";
         p.frameSize = "320x240";
         p.frameWidth = "320";
         p.frameHeight = "240";
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec mpeg4 -b 500k -r 25 -s 320x240 -ab 128k -ar 44100 -ac 2 -y "/out/clip.avi")"},
      {"AVI custom size comes from width and height", kAvi,
       [](OutputProfile& p) {
         p.videoCodec = "Full Uncompressed";
         p.frameRate = "23.976";
         p.frameSize = "Custom...";
         p.frameWidth = "400";
         p.frameHeight = "300";
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec rawvideo -b 500k -r 23.976 -s 400x300 -ab 128k -ar 44100 -ac 2 -y "/out/clip.avi")"},
      {"AVI Xvid uses the encoder name Debian's ffmpeg knows", kAvi,
       [](OutputProfile& p) { p.videoCodec = "XviD MPEG-4 Codec"; }, "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec xvid -b 500k -ab 128k -ar 44100 -ac 2 -y "/out/clip.avi")"},
      {"AVI H264", kAvi,
       [](OutputProfile& p) { p.videoCodec = "H264/AVC (Advanced Video Coding)"; }, "/out/",
       "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec h264 -b 500k -ab 128k -ar 44100 -ac 2 -y "/out/clip.avi")"},
      {"AVI unknown codec drops only -vcodec", kAvi,
       [](OutputProfile& p) { p.videoCodec = "ms mpeg-4 video codec v2"; }, "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -b 500k -ab 128k -ar 44100 -ac 2 -y "/out/clip.avi")"},
      {"AVI Mono", kAvi, [](OutputProfile& p) { p.channels = "Mono"; }, "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec msmpeg4v2 -b 500k -ab 128k -ar 44100 -ac 1 -y "/out/clip.avi")"},
      {"AVI other channels value", kAvi, [](OutputProfile& p) { p.channels = "mono"; }, "/out/",
       "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec msmpeg4v2 -b 500k -ab 128k -ar 44100 -ac 2 -y "/out/clip.avi")"},
      {"AVI empty videoBitrate", kAvi, [](OutputProfile& p) { p.videoBitrate = ""; }, "/out/",
       "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec msmpeg4v2 -b k -ab 128k -ar 44100 -ac 2 -y "/out/clip.avi")"},

      {"MPEG2 with Original size", kMpeg,
       [](OutputProfile& p) {
         p.videoCodec = "MPEG2";
         p.frameSize = "Original";
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec mpeg2video -b 1150k -r 23.976 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG VCD - PAL as the dialog stores it", kMpeg,
       [](OutputProfile& p) {
         p = {"VCD - PAL", "1150", "25", "352x288", "352", "288", "224", "44100", "Stereo"};
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -target pal-vcd -r 25 -s 352x288 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG VCD - NTSC has no -b", kMpeg,
       [](OutputProfile& p) {
         p = {"VCD - NTSC", "1150", "29.97", "352x240", "352", "240", "224", "44100", "Stereo"};
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -target ntsc-vcd -r 29.97 -s 352x240 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG SVCD - PAL", kMpeg,
       [](OutputProfile& p) {
         p = {"SVCD - PAL", "2376", "25", "Custom...", "480", "576", "224", "44100", "Stereo"};
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -target pal-svcd -r 25 -s 480x576 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG SVCD - NTSC", kMpeg,
       [](OutputProfile& p) {
         p = {"SVCD - NTSC", "2376", "25", "Custom...", "480", "576", "224", "44100", "Stereo"};
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -target ntsc-svcd -r 25 -s 480x576 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG DVD - PAL Standard", kMpeg,
       [](OutputProfile& p) {
         p = {
             "DVD - PAL Standard", "4000", "25", "720x576", "720", "576", "224", "44100", "Stereo"};
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -target pal-dvd -aspect 4:3 -r 25 -s 720x576 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG DVD - PAL Widescreen with a custom size", kMpeg,
       [](OutputProfile& p) {
         p = {"DVD - PAL Widescreen",
              "4000",
              "25",
              "Custom...",
              "640",
              "360",
              "224",
              "44100",
              "Stereo"};
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -target pal-dvd -aspect 16:9 -r 25 -s 640x360 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG DVD - NTSC Standard", kMpeg,
       [](OutputProfile& p) {
         p = {"DVD - NTSC Standard",
              "4000",
              "29.97",
              "720x480",
              "720",
              "480",
              "224",
              "44100",
              "Stereo"};
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -target ntsc-dvd -aspect 4:3 -r 29.97 -s 720x480 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG DVD - NTSC Widescreen", kMpeg,
       [](OutputProfile& p) {
         p = {"DVD - NTSC Widescreen",
              "4000",
              "29.97",
              "720x480",
              "720",
              "480",
              "224",
              "44100",
              "Stereo"};
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -target ntsc-dvd -aspect 16:9 -r 29.97 -s 720x480 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG unknown type has neither codec nor bit rate", kMpeg,
       [](OutputProfile& p) { p.videoCodec = "MPEG4"; }, "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -r 23.976 -s 352x240 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG Mono", kMpeg, [](OutputProfile& p) { p.channels = "Mono"; }, "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec mpeg1video -b 1150k -r 23.976 -s 352x240 -ab 224k -ar 44100 -ac 1 -y "/out/clip.mpg")"},
      {"MPEG other channels value", kMpeg, [](OutputProfile& p) { p.channels = ""; }, "/out/",
       "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec mpeg1video -b 1150k -r 23.976 -s 352x240 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},
      {"MPEG empty videoBitrate", kMpeg, [](OutputProfile& p) { p.videoBitrate = ""; }, "/out/",
       "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec mpeg1video -b k -r 23.976 -s 352x240 -ab 224k -ar 44100 -ac 2 -y "/out/clip.mpg")"},

      {"WMV V7 with rate and size", kWmv,
       [](OutputProfile& p) {
         p.videoCodec = "Windows Media Video V7";
         p.frameRate = "15";
         p.frameSize = "320x240";
         p.frameWidth = "320";
         p.frameHeight = "240";
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec wmv1 -b 500k -r 15 -s 320x240 -acodec wmav1 -ab 192k -ar 22050 -ac 2 -y "/out/clip.wmv")"},
      {"WMV carries the edited video bit rate", kWmv,
       [](OutputProfile& p) { p.videoBitrate = "1500"; }, "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec wmv2 -b 1500k -acodec wmav2 -ab 192k -ar 22050 -ac 2 -y "/out/clip.wmv")"},
      {"WMV unknown codec: no -vcodec, no audio options, still -b and -ac", kWmv,
       [](OutputProfile& p) { p.videoCodec = "Windows Media Video V9"; }, "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -b 500k -ac 2 -y "/out/clip.wmv")"},
      {"WMV Mono", kWmv, [](OutputProfile& p) { p.channels = "Mono"; }, "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec wmv2 -b 500k -acodec wmav2 -ab 192k -ar 22050 -ac 1 -y "/out/clip.wmv")"},
      {"WMV other channels value", kWmv, [](OutputProfile& p) { p.channels = "2"; }, "/out/",
       "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec wmv2 -b 500k -acodec wmav2 -ab 192k -ar 22050 -ac 2 -y "/out/clip.wmv")"},
      {"WMV empty videoBitrate", kWmv, [](OutputProfile& p) { p.videoBitrate = ""; }, "/out/",
       "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -vcodec wmv2 -b k -acodec wmav2 -ab 192k -ar 22050 -ac 2 -y "/out/clip.wmv")"},

      {"MP3 ignores video fields", kMp3,
       [](OutputProfile& p) {
         p.videoCodec = "MPEG1";
         p.videoBitrate = "1150";
         p.frameRate = "25";
         p.frameSize = "320x240";
         p.frameWidth = "320";
         p.frameHeight = "240";
       },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -ab 320k -ar 44100 -ac 2 -y "/out/clip.mp3")"},
      {"MP3 Mono", kMp3, [](OutputProfile& p) { p.channels = "Mono"; }, "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -ab 320k -ar 44100 -ac 1 -y "/out/clip.mp3")"},
      {"MP3 other channels value", kMp3, [](OutputProfile& p) { p.channels = "Joint Stereo"; },
       "/out/", "/in/clip.flv",
       R"("/s/norcel.dll" -i "/in/clip.flv" -ab 320k -ar 44100 -ac 2 -y "/out/clip.mp3")"},

      {"a.b.flv keeps its inner dot", kAvi, nullptr, "/out/", "/in/a.b.flv",
       R"("/s/norcel.dll" -i "/in/a.b.flv" -vcodec msmpeg4v2 -b 500k -ab 128k -ar 44100 -ac 2 -y "/out/a.b.avi")"},
      {"movie.mpeg loses exactly four characters", kMpeg, nullptr, "/out/", "/in/movie.mpeg",
       R"("/s/norcel.dll" -i "/in/movie.mpeg" -vcodec mpeg1video -b 1150k -r 23.976 -s 352x240 -ab 224k -ar 44100 -ac 2 -y "/out/movie..mpg")"},
      {"paths with blanks stay whole in their quotes", kWmv, nullptr, "/home/me/Out Dir/",
       "/home/me/My Videos/holiday clip.flv",
       R"("/s/norcel.dll" -i "/home/me/My Videos/holiday clip.flv" -vcodec wmv2 -b 500k -acodec wmav2 -ab 192k -ar 22050 -ac 2 -y "/home/me/Out Dir/holiday clip.wmv")"},
      {"dots in the folder do not count", kMp3, nullptr, "/out/", "/in.v2/clip.flv",
       R"("/s/norcel.dll" -i "/in.v2/clip.flv" -ab 320k -ar 44100 -ac 2 -y "/out/clip.mp3")"},
      {"a source without a folder is all file name", kMp3, nullptr, "/out/", "clip.flv",
       R"("/s/norcel.dll" -i "clip.flv" -ab 320k -ar 44100 -ac 2 -y "/out/clip.mp3")"},
      {"a name shorter than four characters leaves no base", kMp3, nullptr, "/out/", "/in/.fl",
       R"("/s/norcel.dll" -i "/in/.fl" -ab 320k -ar 44100 -ac 2 -y "/out/.mp3")"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string output = OutputPathFor(row.family, row.folder, row.source);
    EXPECT_EQ(BuildCommandLine(row.family, Edited(row.family, row.edit), "/s/norcel.dll",
                               row.source, output),
              row.line);
  }
}

TEST(FormatSummary, ShowsTheFamilysChoicesInOneLine) {
  struct Row {
    OutputFamily family;
    Edit edit;
    std::string summary;
  };
  const Row rows[] = {
      // The defaults, then the preset "VCD - PAL" with 224 kbps audio.
      {kAvi, nullptr, "MS MPEG-4 Video Codec V2, video 500 kbps, audio 128 kbps, 44100 Hz, Stereo"},
      {kMpeg, nullptr,
       "MPEG1, video 1150 kbps, 23.976 fps, 352x240, audio 224 kbps, 44100 Hz, Stereo"},
      {kWmv, nullptr, "Windows Media Video V8, video 500 kbps, audio 192 kbps, 22050 Hz, Stereo"},
      {kMp3, nullptr, "MP3 Audio, 320 kbps, 44100 Hz, Stereo"},
      {kMpeg,
       [](OutputProfile& p) {
         p = {"VCD - PAL", "1150", "25", "352x288", "352", "288", "224", "44100", "Stereo"};
       },
       "VCD - PAL, audio 224 kbps, 44100 Hz, Stereo"},

      {kAvi,
       [](OutputProfile& p) {
         p.frameRate = "25";
         p.frameSize = "320x240";
         p.frameWidth = "320";
         p.frameHeight = "240";
       },
       "MS MPEG-4 Video Codec V2, video 500 kbps, 25 fps, 320x240, audio 128 kbps, 44100 Hz, "
       "Stereo"},
      {kWmv,
       [](OutputProfile& p) {
         p.frameSize = "Custom...";
         p.frameWidth = "400";
         p.frameHeight = "300";
         p.channels = "Mono";
       },
       "Windows Media Video V8, video 500 kbps, 400x300, audio 192 kbps, 22050 Hz, Mono"},
      {kMpeg,
       [](OutputProfile& p) {
         p.videoCodec = "MPEG2";
         p.frameSize = "Original";
       },
       "MPEG2, video 1150 kbps, 23.976 fps, audio 224 kbps, 44100 Hz, Stereo"},
      {kMpeg,
       [](OutputProfile& p) {
         p = {"DVD - PAL Widescreen",
              "4000",
              "25",
              "Custom...",
              "640",
              "360",
              "224",
              "44100",
              "Stereo"};
       },
       "DVD - PAL Widescreen, audio 224 kbps, 44100 Hz, Stereo"},
      {kMpeg, [](OutputProfile& p) { p.videoCodec = "MPEG4"; },
       "MPEG4, audio 224 kbps, 44100 Hz, Stereo"},
      {kMp3, [](OutputProfile& p) { p.channels = "Mono"; }, "MP3 Audio, 320 kbps, 44100 Hz, Mono"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.summary);
    EXPECT_EQ(FormatSummary(row.family, Edited(row.family, row.edit)), row.summary);
  }
}

}  // namespace
}  // namespace quorbit
