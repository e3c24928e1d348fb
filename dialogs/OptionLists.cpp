#include "dialogs/OptionLists.h"

#include <algorithm>
#include <iterator>

namespace velmora {

const TValueList kVE1{"Divx 5 视频压缩器", "MPEG4 视频压缩器", "XviD 视频压缩器1", "XviD 视频压缩器2",
                     "Divx 视频压缩器", "Mjpeg 视频压缩器", "H264/AVC高清视频压缩器"};
const TValueList kVE2{"MPEG4视频压缩器", "Divx 5 视频压缩器", "XviD 视频压缩器1", "XviD 视频压缩器2",
                     "H264/AVC高清视频压缩器"};
const TValueList kVE3{"MPEG4视频压缩器", "XviD 视频压缩器1", "XviD 视频压缩器2",
                     "H264/AVC高清视频压缩器", "Divx 5 视频压缩器"};
const TValueList kVE4{"MPEG4视频压缩器", "XviD 视频压缩器1", "XviD 视频压缩器2", "Divx 5 视频压缩器",
                     "H264/AVC高清视频压缩器"};
const TValueList kVE5{"MPEG4视频压缩器", "XviD 视频压缩器1", "XviD 视频压缩器2", "Divx 5 视频压缩器",
                     "H263高清视频压缩器"};
const TValueList kVE6{"RM视频压缩器1", "RM视频压缩器2"};
const TValueList kVE7{"PAL_DVD视频压缩器", "NTSC_DVD视频压缩器"};
const TValueList kVE8{"PAL_SVCD视频压缩器", "NTSC_SVCD视频压缩器"};
const TValueList kVE9{"PAL_VCD视频压缩器", "NTSC_VCD视频压缩器"};

const TValueList kAE1{"MP3音频编码器", "Flac音频编码器", "AAC音频编码器", "AC3音频编码器"};
const TValueList kAE2{"AAC音频编码器", "AMR音频编码器"};
const TValueList kAE3{"AAC音频编码器", "MP3音频编码器", "Flac音频编码器", "AC3音频编码器"};
const TValueList kAE4{"MP2音频编码器", "MP3音频编码器", "Flac音频编码器", "AAC音频编码器",
                     "AC3音频编码器"};
const TValueList kAE5{"ASF音频编码器1", "ASF音频编码器2"};

const TValueList kAB1{"16",  "24",  "32",  "40",  "48",  "56",  "64",  "80",  "96",
                     "112", "128", "144", "160", "192", "224", "256", "320"};
const TValueList kAB2{"64", "96", "128"};
const TValueList kAB3{"5", "6", "7", "8", "10", "12"};
const TValueList kAB4{"48", "56", "64", "80", "96", "112", "116", "128"};
const TValueList kAB5{"64", "80", "96", "112", "116", "128"};
const TValueList kAB6{"32", "64", "80", "96", "112", "116", "128"};
const TValueList kAB7{"64", "96", "128", "144", "160", "192", "224", "256", "320"};
const TValueList kAB8{"4.75", "5.15", "5.9", "6.7", "7.4", "7.95", "10.2", "12.2"};

const TValueList kSR1{"11025", "16000", "22050", "32000", "44100", "48000"};
const TValueList kSR2{"24000", "32000", "44100", "48000"};
const TValueList kSR3{"8000", "11025", "16000", "22050", "32000", "44100", "48000"};
const TValueList kSR4{"44100", "48000"};
const TValueList kSR5{"11025", "22050", "44100"};
const TValueList kSR6{"11025", "22050", "44100", "48000"};
const TValueList kSR7{"11025", "22050", "32000", "44100", "48000"};
const TValueList kSR8{"11025", "22050", "44100", "44100", "48000"};

const TValueList kCH1{kStereo, kMono};

namespace {

// AudioVolume is 256 times the entry's factor, rounded.
const TEntryValue kVolumes[] = {
    {"无声音", "0"},           {"音量降低90%", "26"},    {"音量降低80%", "51"},
    {"音量降低70%", "77"},     {"音量降低60%", "102"},   {"音量降低50%", "128"},
    {"音量降低40%", "154"},    {"音量降低30%", "179"},   {"音量降低20%", "205"},
    {"音量降低10%", "230"},    {"音量保持不变", "256"},  {"音量增加10%", "282"},
    {"音量增加20%", "307"},    {"音量增加30%", "333"},   {"音量增加40%", "358"},
    {"音量增加50%", "384"},    {"音量增加60%", "410"},   {"音量增加70%", "435"},
    {"音量增加80%", "461"},    {"音量增加90%", "486"},   {"音量增加1倍", "512"},
    {"音量增加1.5倍", "640"},  {"音量增加2倍", "768"},   {"音量增加3倍", "1024"},
    {"音量增加4倍", "1280"},   {"音量增加5倍", "1536"},  {"音量增加6倍", "1792"},
    {"音量增加7倍", "2048"},
};

const TEntryValue kChannels[] = {{kStereo, "2"}, {kMono, "1"}};

// clang-format off
const TVideoEncoderWrite kVideoEncoderWrites[] = {
    // entry                       codec         tag written  tag     format  disc    norm
    {"Divx 5 视频压缩器",          "mpeg4",      true,  "DX50", "",    "",     ""},
    {"Divx 视频压缩器",            "msmpeg4",    false, "",     "",    "",     ""},
    {"XviD 视频压缩器1",           "mpeg4",      true,  "XVID", "",    "",     ""},
    {"XviD 视频压缩器2",           "libxvid",    false, "",     "",    "",     ""},
    {"MPEG4 视频压缩器",           "mpeg4",      false, "",     "",    "",     ""},
    {"MPEG4视频压缩器",            "mpeg4",      false, "",     "",    "",     ""},
    {"H264/AVC高清视频压缩器",     "libx264",    false, "",     "",    "",     ""},
    {"H263高清视频压缩器",         "h263",       false, "",     "",    "",     ""},
    {"Mjpeg 视频压缩器",           "mjpeg",      false, "",     "",    "",     ""},
    {"RM视频压缩器1",              "rv10",       false, "",     "",    "",     ""},
    {"RM视频压缩器2",              "rv20",       false, "",     "",    "",     ""},
    {"WMV视频压缩器",              "wmv2",       false, "",     "",    "",     ""},
    {"MPEG视频压缩器",             "mpeg1video", false, "",     "",    "",     ""},
    {"ASF视频压缩器",              "msmpeg4",    false, "",     "asf", "",     ""},
    {"FLASH格式视频压缩器",        nullptr,      false, "",     "",    "",     ""},
    {"FLV格式视频压缩器",          nullptr,      false, "",     "",    "",     ""},
    {"QuickTime视频压缩器",        nullptr,      false, "",     "",    "",     ""},
    {kNoVideoEncoder,              nullptr,      false, "",     "",    "",     ""},
    {"PAL_DVD视频压缩器",          nullptr,      true,  "",     "",    "dvd",  "PAL"},
    {"NTSC_DVD视频压缩器",         nullptr,      true,  "",     "",    "dvd",  "NTSC"},
    {"PAL_SVCD视频压缩器",         nullptr,      true,  "",     "",    "svcd", "PAL"},
    {"NTSC_SVCD视频压缩器",        nullptr,      true,  "",     "",    "svcd", "NTSC"},
    {"PAL_VCD视频压缩器",          nullptr,      true,  "",     "",    "vcd",  "PAL"},
    {"NTSC_VCD视频压缩器",         nullptr,      true,  "",     "",    "vcd",  "NTSC"},
};

const TAudioEncoderWrite kAudioEncoderWrites[] = {
    {"MP3音频编码器",   "libmp3lame"},
    {"Flac音频编码器",  "flac"},
    {kAacEncoder,       "libfaac"},
    {"AC3音频编码器",   "ac3"},
    {kAutoAudioEncoder, "AUTO"},
    {"WMV音频编码器",   "wmav2"},
    {"WMA音频编码器",   "wmav2"},
    {"ASF音频编码器1",  "wmav2"},
    {"ASF音频编码器2",  "wmav1"},
    {"OGG音频编码器",   "libvorbis"},
    {kAmrEncoder,       "libamr_nb"},
    {"PCM音频编码器",   "pcm_u8"},
    {"WAVE音频编码器",  nullptr},
    {"RM音频编码器",    nullptr},
    {"MP2音频编码器",   nullptr},
};
// clang-format on

template <typename Row, std::size_t N>
const Row *FindEntry(const Row (&rows)[N], const std::string &entry) {
  const auto found =
      std::find_if(std::begin(rows), std::end(rows), [&](const Row &row) { return entry == row.Entry; });
  return found == std::end(rows) ? nullptr : &*found;
}

TValueList Entries(const TEntryValue *begin, const TEntryValue *end) {
  TValueList entries;
  for (const TEntryValue *row = begin; row != end; ++row) entries.emplace_back(row->Entry);
  return entries;
}

}  // namespace

const TValueList kVolumeEntries = Entries(std::begin(kVolumes), std::end(kVolumes));

const TVideoEncoderWrite *FindVideoEncoderWrite(const std::string &entry) {
  return FindEntry(kVideoEncoderWrites, entry);
}

const TAudioEncoderWrite *FindAudioEncoderWrite(const std::string &entry) {
  return FindEntry(kAudioEncoderWrites, entry);
}

const char *VolumeOf(const std::string &entry) {
  const TEntryValue *row = FindEntry(kVolumes, entry);
  return row ? row->Value : nullptr;
}

const char *ChannelsOf(const std::string &entry) {
  const TEntryValue *row = FindEntry(kChannels, entry);
  return row ? row->Value : nullptr;
}

}  // namespace velmora
