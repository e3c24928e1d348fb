#include "app/OutputPresetTable.h"

namespace velmora {

const TValueList kVB1{"128 kbps(超低质量)", "288 kbps(低质量)", "528 kbps(中等质量)", "816 kbps(高质量)",
                     "1200 kbps(很高质量)", "1600 kbps(极高质量)", "1800 kbps(极高质量)",
                     "2000 kbps(极高质量)"};
const TValueList kVB2{"8 kbps",   "16 kbps",  "24 kbps",  "32 kbps",  "48 kbps",
                     "56 kbps",  "64 kbps",  "80 kbps",  "96 kbps",  "128 kbps",
                     "160 kbps", "192 kbps", "256 kbps", "320 kbps", "384 kbps"};
const TValueList kVB3{"216 kbps(超低质量)",  "384 kbps(低质量)",    "512 kbps(中等质量)",
                     "768 kbps(高质量)",    "1000 kbps(很高质量)", "1200 kbps(很高质量)",
                     "1400 kbps(很高质量)", "1500 kbps(很高质量)", "1600 kbps(极高质量)",
                     "1800 kbps(极高质量)", "2000 kbps(极高质量)", "2500 kbps(极高质量)"};
const TValueList kVB4{"192 kbps (超低质量)",  "384 kbps (低质量)",    "600 kbps (中等质量)",
                     "768 kbps (高质量)",    "1000 kbps (很高质量)", "1200 kbps (很高质量)",
                     "1500 kbps (很高质量)", "1800 kbps(极高质量)",  "2000 kbps(极高质量)"};
// The entries of kVB2 and two more.
const TValueList kVB5 = [] {
  TValueList list = kVB2;
  list.insert(list.end(), {"512 kbps", "600 kbps"});
  return list;
}();
const TValueList kVB6{"192 kbps (超低质量)",  "384 kbps (低质量)",    "528 kbps (中等质量)",
                     "600 kbps (中等质量)",  "768 kbps (高质量)",    "816 kbps (高质量)",
                     "1000 kbps (很高质量)", "1200 kbps (很高质量)", "1500 kbps (很高质量)",
                     "1800 kbps(极高质量)",  "2000 kbps(极高质量)"};
const TValueList kVB7{"128 kbps(超低质量)",  "288 kbps(低质量)",    "528 kbps(低质量)",
                     "816 kbps(低质量)",    "1200 kbps(一般质量)", "1600 kbps(一般质量)",
                     "1800 kbps(一般质量)", "2000 kbps(中等质量)", "3000 kbps(高质量)",
                     "4000 kbps(高质量)",   "5000 kbps(极高质量)", "6000 kbps(极高质量)",
                     "7000 kbps(极高质量)", "8000 kbps(极高质量)", "9000 kbps(极高质量)"};

const TValueList kFS1{"128*96",  "160*120", "176*120", "176*144",  "192*144",  "208*176",
                     "220*176", "240*180", "320*200", "320*240",  "352*240",  "352*288",
                     "480*272", "480*360", "480*480", "480*576",  "640*352",  "640*480",
                     "704*576", "720*480", "720*576", "1280*720", "1920*1080"};
const TValueList kFS2{"112*96",  "128*96",  "160*112", "160*120", "176*144", "192*144",
                     "208*176", "220*176", "320*208", "320*224", "320*240"};
const TValueList kFS3{"320*240", "320*240", "368*208", "480*272", "720*480"};
const TValueList kFS4{"320*240", "368*208",  "480*272",  "640*480",
                     "720*480", "1280*720", "1920*1080"};
const TValueList kFS5{"128*96",  "176*144", "160*120", "320*240",
                     "352*288", "368*208", "640*480"};

const TValueList kFR1{"10.00", "13.00", "15.00", "18.00", "20.00", "23.00",
                     "23.97", "24.00", "25.00", "29.97", "30.00"};
const TValueList kFR2{"1", "2", "3", "5", "10", "12", "15"};
const TValueList kFR3{"15.00", "23.98", "29.97"};
const TValueList kFR4{"20.00", "23.97", "23.98", "24.00", "25.00", "29.97", "30.00"};
const TValueList kFR5{"10", "12", "15", "20", "23.98", "24", "25", "29.97", "30"};
const TValueList kFR6{"1", "2", "3", "5", "10", "12", "15", "25"};

const TValueList kAudioQuality{"音频质量低", "音频质量一般", "音频质量好", "音频质量超好"};
const TValueList kAspect{"普通视频4:3模式", "宽屏视频16:9模式"};
const TValueList kNone{"无"};

using V = TVideoRule;
using A = TAudioRule;

// name, video rule, video codec, tag, audio rule, audio codec, target,
// container, audio only, AMR audio, video bit rate, frame size (PAL entry),
// frame size NTSC entry, frame rate.
// clang-format off
const std::array<TOutputPreset, kPresetCount> kOutputPresets{{
    {"AVI视频格式 (*.AVI)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"MPEG1视频格式 (*.MPG)", V::Set, "mpeg1video", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"MPEG2视频格式 (*.MPG)", V::Clear, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"WMV视频格式 (*.WMV)", V::Set, "wmv2", "", A::Set, "wmav2", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"MP4视频格式 (*.MP4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"H264视频格式 (*.MP4)", V::Set, "libx264", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"3GP视频格式 (*.3GP)", V::Clear, "", "", A::Set, "libfaac", "", "", false, false, {&kVB2, 9}, {&kFS2, 4}, 4, {&kFR2, 5}},
    {"VCD视频格式 (*.MPG)", V::Clear, "", "", A::Keep, "", "vcd", "", false, false, {&kVB1, 2}, {&kFS1, 11}, 10, {&kFR1, 8}},
    {"SVCD视频格式 (*.MPG)", V::Clear, "", "", A::Keep, "", "svcd", "", false, false, {&kVB1, 2}, {&kFS1, 15}, 14, {&kFR1, 8}},
    {"DVD视频格式 (*.MPG)", V::Clear, "", "", A::Keep, "", "dvd", "", false, false, {&kVB1, 4}, {&kFS1, 20}, 19, {&kFR1, 8}},
    {"ASF视频格式 (*.ASF)", V::Set, "msmpeg4", "", A::Set, "wmav2", "", "asf", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"RM视频格式 (*.RM)", V::Set, "rv10", "", A::Clear, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"Flash视频格式(*.SWF)", V::Clear, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"FLV视频格式(*.FLV)", V::Clear, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"Divx视频格式(*.AVI)", V::Set, "mpeg4", "DX50", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"Xvid视频格式(*.AVI)", V::Set, "mpeg4", "XVID", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"电脑上使用的AVI/MPEG视频 （*.avi）", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 17}, 17, {&kFR1, 8}},
    {"MP4机上使用的AVI/MPEG视频 (*.avi)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"支持MPEG4的DVD影碟机使用的AVI/MPEG视频 (*.avi)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 17}, 17, {&kFR1, 8}},
    {"Sony(索尼) PSP MP4视频 (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS3, 0}, 0, {&kFR3, 2}},
    {"Sony(索尼) PS3 MP4视频 (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB3, 3}, {&kFS4, 4}, 4, {&kFR4, 5}},
    {"Apple(苹果) ipod video MP4视频 (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB4, 2}, {&kFS5, 3}, 3, {&kFR5, 6}},
    {"Apple(苹果) iPod Touch/Classic/Nano MP4视频 (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB4, 2}, {&kFS5, 3}, 3, {&kFR5, 6}},
    {"Apple(苹果) iPhone MP4视频 (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB4, 2}, {&kFS5, 3}, 3, {&kFR5, 6}},
    {"Apple(苹果) TV MP4视频 (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB4, 2}, {&kFS5, 3}, 3, {&kFR5, 6}},
    {"普通手机通用3gp/3GPP视频 (*.3gp)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB2, 9}, {&kFS2, 4}, 4, {&kFR2, 5}},
    {"3G2手机视频格式 (*.3g2)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB2, 9}, {&kFS2, 4}, 4, {&kFR2, 5}},
    {"Symbian智能平台手机专用MP4视频(如诺基亚等) (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB5, 10}, {&kFS2, 4}, 4, {&kFR6, 6}},
    {"手机常用MP4视频(如索爱/三星/摩托罗拉等) (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB5, 10}, {&kFS2, 4}, 4, {&kFR6, 6}},
    {"SONY(索尼)M70/U50系列普通MPEG4视频 (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB6, 3}, {&kFS5, 3}, 3, {&kFR5, 6}},
    {"SONY(索尼)A800/M70/U50系列高清MPEG4视频 (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB4, 2}, {&kFS5, 3}, 3, {&kFR5, 6}},
    {"电脑上使用的MP4视频 (*.mp4)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"MKV网络视频格式 (*.mkv)", V::Fill, "", "", A::Keep, "", "", "", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"QuickTime视频格式 (*.mov)", V::Clear, "", "", A::Keep, "", "", "mov", false, false, {&kVB1, 2}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"Motion Jpeg(MJpeg)视频格式 (*.avi)", V::Set, "mjpeg", "", A::Set, "libmp3lame", "", "", false, false, {&kVB7, 8}, {&kFS1, 9}, 9, {&kFR1, 8}},
    {"MP3音频格式 (*.mp3)", V::Keep, "", "", A::Set, "libmp3lame", "", "", true, false, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
    {"WMA音频格式 (*.wma)", V::Keep, "", "", A::Set, "wmav2", "", "", true, false, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
    {"CD/WAV音频格式 (*.wav)", V::Keep, "", "", A::Clear, "", "", "", true, false, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
    {"AAC音频格式 (*.m4a)", V::Keep, "", "", A::Set, "libfaac", "", "", true, false, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
    {"AC3音频格式 (*.ac3)", V::Keep, "", "", A::Set, "ac3", "", "", true, false, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
    {"OGG音频格式 (*.ogg)", V::Keep, "", "", A::Set, "libvorbis", "", "", true, false, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
    {"MP2音频格式 (*.mp2)", V::Keep, "", "", A::Clear, "", "", "", true, false, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
    {"FLAC音频格式 (*flac)", V::Keep, "", "", A::Set, "flac", "", "", true, false, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
    {"RM音频格式 (*.rm)", V::Keep, "", "", A::Clear, "", "", "", true, false, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
    {"AMR（手机）音频格式 (*.amr)", V::Keep, "", "", A::Set, "libamr_nb", "", "", true, true, {&kNone, 0}, {&kNone, 0}, 0, {&kNone, 0}},
}};
// clang-format on

std::vector<std::string> OutputPresetNames() {
  std::vector<std::string> names;
  for (const TOutputPreset &preset : kOutputPresets) names.emplace_back(preset.Name);
  return names;
}

}  // namespace velmora
