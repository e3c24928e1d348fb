#include "dialogs/OutputTypeTable.h"

#include "dialogs/OptionLists.h"

namespace velmora {

namespace {

// The boxes that offer a single entry.
const TValueList kOnlyFlash{"FLASH格式视频压缩器"};
const TValueList kOnlyFlv{"FLV格式视频压缩器"};
const TValueList kOnlyQuickTime{"QuickTime视频压缩器"};
const TValueList kOnlyMpeg{"MPEG视频压缩器"};
const TValueList kOnlyWmv{"WMV视频压缩器"};
const TValueList kOnlyAsf{"ASF视频压缩器"};
const TValueList kOnlyMjpeg{"Mjpeg 视频压缩器"};
const TValueList kNoVideo{kNoVideoEncoder};

const TValueList kOnlyAac{kAacEncoder};
const TValueList kOnlyMp3{"MP3音频编码器"};
const TValueList kOnlyAutoEncoder{kAutoAudioEncoder};
const TValueList kOnlyWmvAudio{"WMV音频编码器"};
const TValueList kOnlyPcm{"PCM音频编码器"};
const TValueList kOnlyWma{"WMA音频编码器"};
const TValueList kOnlyWave{"WAVE音频编码器"};
const TValueList kOnlyAc3{"AC3音频编码器"};
const TValueList kOnlyOgg{"OGG音频编码器"};
const TValueList kOnlyMp2{"MP2音频编码器"};
const TValueList kOnlyFlac{"Flac音频编码器"};
const TValueList kOnlyRmAudio{"RM音频编码器"};
const TValueList kOnlyAmr{kAmrEncoder};

const TValueList kOnlyAutoBitRate{kAutoBitRate};
const TValueList kOnlyAutoSampleRate{kAutoSampleRate};
const TValueList kOnly24000{"24000"};
const TValueList kOnly8000{"8000"};
const TValueList kOnlyMono{kMono};

constexpr TListChoice Only(const TValueList &list) { return {&list, 0}; }

// The boxes most video types share: bit rate, sample rate and channels.
constexpr TListChoice kAB1Default{&kAB1, 10};
constexpr TListChoice kStereoDefault{&kCH1, 0};

}  // namespace

const TListChoice kAmrBitRates{&kAB8, 4};
const TListChoice kAmrSampleRates = Only(kOnly8000);
const TListChoice kAmrChannels = Only(kOnlyMono);

// clang-format off
const std::array<TOutputType, kOutputTypeCount> kOutputTypes{{
    {"电脑上使用的AVI/MPEG视频", 0, {0, 14, 15, 16}, 16,
     {&kVE1, 0}, {&kAE1, 0}, kAB1Default, {&kSR1, 4}, kStereoDefault, false, "", "", false},
    {"MP4机上使用的AVI/MPEG视频", 1, {4, 5, 17}, 17,
     {&kVE1, 0}, {&kAE1, 0}, kAB1Default, {&kSR1, 4}, kStereoDefault, false, "", "", false},
    {"支持MPEG4的DVD影碟机使用的AVI/MPEG视频", 2, {18}, 18,
     {&kVE1, 0}, {&kAE1, 0}, kAB1Default, {&kSR1, 4}, kStereoDefault, false, "", "", false},
    {"Sony(索尼) PSP MP4视频", 3, {19}, 19,
     {&kVE2, 0}, Only(kOnlyAac), {&kAB2, 2}, Only(kOnly24000), kStereoDefault, false, "", "", false},
    {"Sony(索尼) PS3 MP4视频", 4, {20}, 20,
     {&kVE3, 0}, Only(kOnlyAac), {&kAB2, 2}, {&kSR2, 3}, kStereoDefault, false, "", "", false},
    {"Apple(苹果) ipod video MP4视频", 5, {21}, 21,
     {&kVE4, 0}, Only(kOnlyAac), {&kAB2, 2}, {&kSR2, 3}, kStereoDefault, false, "", "", false},
    {"Apple(苹果) iPod Touch/Classic/Nano MP4视频", 6, {22}, 22,
     {&kVE4, 0}, Only(kOnlyAac), {&kAB2, 2}, {&kSR2, 3}, kStereoDefault, false, "", "", false},
    {"Apple(苹果) iPhone MP4视频", 7, {23}, 23,
     {&kVE4, 0}, Only(kOnlyAac), {&kAB2, 2}, {&kSR2, 3}, kStereoDefault, false, "", "", false},
    {"Apple(苹果) TV MP4视频", 8, {24}, 24,
     {&kVE4, 0}, Only(kOnlyAac), {&kAB2, 2}, {&kSR2, 3}, kStereoDefault, false, "", "", false},
    {"普通手机通用3gp/3GPP视频", 9, {6, 25}, 25,
     {&kVE5, 0}, {&kAE2, 0}, {&kAB3, 5}, Only(kOnly8000), Only(kOnlyMono), false, "", "", true},
    {"3G2手机视频格式", 25, {26}, 26,
     {&kVE5, 0}, {&kAE2, 0}, {&kAB4, 0}, {&kSR3, 4}, kStereoDefault, false, "", "", true},
    {"Symbian智能平台手机专用MP4视频(如诺基亚等)", 10, {27}, 27,
     {&kVE5, 0}, {&kAE2, 0}, {&kAB5, 0}, {&kSR3, 5}, kStereoDefault, false, "", "", true},
    {"手机常用MP4视频(如索爱/三星/摩托罗拉等)", 11, {28}, 28,
     {&kVE5, 0}, {&kAE2, 0}, {&kAB6, 0}, {&kSR3, 4}, kStereoDefault, false, "", "", true},
    {"SONY(索尼)M70/U50系列普通MPEG4视频", 12, {29}, 29,
     {&kVE4, 0}, {&kAE1, 0}, kAB1Default, {&kSR1, 4}, kStereoDefault, false, "", "", false},
    {"SONY(索尼)A800/M70/U50系列高清MPEG4视频", 13, {30}, 30,
     {&kVE4, 4}, {&kAE1, 0}, {&kAB7, 2}, {&kSR4, 1}, kStereoDefault, false, "", "", false},
    {"电脑上使用的MP4视频", 14, {31}, 31,
     {&kVE4, 0}, {&kAE1, 0}, kAB1Default, {&kSR1, 4}, kStereoDefault, false, "", "", false},
    {"SWF视频格式(Flash视频文件)", 15, {12}, 12,
     Only(kOnlyFlash), Only(kOnlyMp3), kAB1Default, {&kSR5, 1}, kStereoDefault, false, "", "", false},
    {"FLV视频格式(视频网站专用的FLV文件)(如土豆网)", 16, {13}, 13,
     Only(kOnlyFlv), Only(kOnlyMp3), kAB1Default, {&kSR5, 1}, kStereoDefault, false, "", "", false},
    {"RM/RMVB视频格式", 17, {11}, 11,
     {&kVE6, 0}, Only(kOnlyAutoEncoder), Only(kOnlyAutoBitRate), Only(kOnlyAutoSampleRate),
     kStereoDefault, false, "", "", false},
    {"MKV网络视频格式", 18, {32}, 32,
     {&kVE4, 0}, {&kAE1, 0}, kAB1Default, {&kSR5, 1}, kStereoDefault, false, "", "", false},
    {"MOV视频格式", 19, {33}, 33,
     Only(kOnlyQuickTime), {&kAE3, 0}, kAB1Default, {&kSR6, 1}, kStereoDefault, false, "mov", "", false},
    {"MPEG/MPG视频格式", 20, {1, 2}, 2,
     Only(kOnlyMpeg), {&kAE4, 0}, kAB1Default, {&kSR7, 3}, kStereoDefault, false, "", "", false},
    {"DVD影碟视频格式", 21, {9}, 9,
     {&kVE7, 0}, {&kAE1, 0}, kAB1Default, {&kSR8, 3}, kStereoDefault, false, "", "dvd", false},
    {"SVCD影碟视频格式", 22, {8}, 8,
     {&kVE8, 0}, {&kAE1, 0}, kAB1Default, {&kSR6, 3}, kStereoDefault, false, "", "svcd", false},
    {"VCD影碟视频格式", 23, {7}, 7,
     {&kVE9, 0}, {&kAE1, 0}, kAB1Default, {&kSR6, 3}, kStereoDefault, false, "", "vcd", false},
    {"WMV微软视频格式", 24, {3}, 3,
     Only(kOnlyWmv), Only(kOnlyWmvAudio), kAB1Default, {&kSR6, 3}, kStereoDefault, false, "", "", false},
    {"ASF视频格式", 37, {10}, 10,
     Only(kOnlyAsf), {&kAE5, 0}, kAB1Default, {&kSR6, 3}, kStereoDefault, false, "", "", false},
    {"Motion Jpeg(MJpeg)视频格式", 36, {34}, 34,
     Only(kOnlyMjpeg), Only(kOnlyPcm), {&kAB1, 8}, {&kSR6, 2}, {&kCH1, 1}, false, "", "", false},
    {"MP3音频格式", 26, {35}, 35,
     Only(kNoVideo), Only(kOnlyMp3), kAB1Default, {&kSR6, 3}, kStereoDefault, true, "", "", false},
    {"WMA音频格式", 27, {36}, 36,
     Only(kNoVideo), Only(kOnlyWma), kAB1Default, {&kSR6, 3}, kStereoDefault, true, "", "", false},
    {"CD/WAV音频格式", 32, {37}, 37,
     Only(kNoVideo), Only(kOnlyWave), kAB1Default, {&kSR6, 3}, kStereoDefault, true, "", "", false},
    {"AAC音频格式", 28, {38}, 38,
     Only(kNoVideo), Only(kOnlyAac), kAB1Default, {&kSR6, 3}, kStereoDefault, true, "", "", false},
    {"AC3音频格式", 29, {39}, 39,
     Only(kNoVideo), Only(kOnlyAc3), kAB1Default, {&kSR6, 3}, kStereoDefault, true, "", "", false},
    {"OGG音频格式", 30, {40}, 40,
     Only(kNoVideo), Only(kOnlyOgg), kAB1Default, {&kSR6, 3}, kStereoDefault, true, "", "", false},
    {"MP2音频格式", 31, {41}, 41,
     Only(kNoVideo), Only(kOnlyMp2), kAB1Default, {&kSR7, 3}, kStereoDefault, true, "", "", false},
    {"FLAC音频格式", 33, {42}, 42,
     Only(kNoVideo), Only(kOnlyFlac), kAB1Default, {&kSR6, 3}, kStereoDefault, true, "", "", false},
    {"RM音频格式", 34, {43}, 43,
     Only(kNoVideo), Only(kOnlyRmAudio), kAB1Default, {&kSR6, 3}, kStereoDefault, true, "", "", false},
    {"AMR（手机）音频格式", 35, {44}, 44,
     Only(kNoVideo), Only(kOnlyAmr), {&kAB8, 4}, Only(kOnly8000), Only(kOnlyMono), true, "", "", false},
}};
// clang-format on

const TOutputType *FindOutputType(int typeNumber) {
  if (typeNumber < 1 || typeNumber > kOutputTypeCount) return nullptr;
  return &kOutputTypes[typeNumber - 1];
}

}  // namespace velmora
