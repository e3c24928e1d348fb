#include "app/MediaInfoForm.h"

#include <cstdio>
#include <filesystem>

namespace velmora {

namespace {

using V = TMediaInfoValues;

constexpr const char *kNoStream = "无";      // the file has no stream of that kind
constexpr const char *kUnknown = "N/A";      // the stream does not tell the value
constexpr const char *kKbps = "  kbps";

std::string FilePart(const std::string &path) {
  return std::filesystem::path(path).filename().string();
}

// The file name's extension with its dot ("" without one).
std::string Extension(const std::string &path) {
  const std::string name = FilePart(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

// A text cut out of the information text, shown without the blank that
// follows its label and the line break that may end it.
std::string Shown(const std::string &cut) {
  const auto first = cut.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = cut.find_last_not_of("\r\n");
  return cut.substr(first, last - first + 1);
}

std::string Number(int value) { return value > 0 ? std::to_string(value) : kUnknown; }

std::string Kbps(int bitRate) {
  return bitRate > 0 ? std::to_string(bitRate / 1000) + kKbps : kUnknown;
}

std::string Resolution(const TVideoStreamInfo &video) {
  if (video.Width <= 0 || video.Height <= 0) return kUnknown;
  return std::to_string(video.Width) + "*" + std::to_string(video.Height);
}

std::string FrameRate(const TVideoStreamInfo &video) {
  if (video.FrameRateNum <= 0 || video.FrameRateDen <= 0) return kUnknown;
  char text[32];
  std::snprintf(text, sizeof text, "%.2f",
                static_cast<double>(video.FrameRateNum) / video.FrameRateDen);
  return text;
}

std::string ChannelLabel(int channels) {
  if (channels == 1) return "单声道";
  if (channels == 2) return "立体声";
  return channels > 0 ? std::to_string(channels) + " 声道" : kUnknown;
}

// The stream a line describes; its lines show "无" when the file has none.
enum class TStreamKind { None, Video, Audio };

struct TLineSpec {
  const char *Caption;
  const char *ValueName;
  TStreamKind Stream;
  std::string (*Value)(const V &);
};

struct TGroupSpec {
  const char *Name;
  const char *Caption;
  std::vector<TLineSpec> Lines;
};

using S = TStreamKind;

const std::vector<TGroupSpec> &Layout() {
  static const std::vector<TGroupSpec> groups = {
      {"GroupBox1",
       "文件格式信息",
       {
           {"文件名：", "lblFileName", S::None, [](const V &v) { return FilePart(v.FileName); }},
           {"文件格式：", "lblFormatName", S::None, [](const V &v) { return v.FormatName; }},
           {"播放时长：", "lblDuration", S::None, [](const V &v) { return Shown(v.DurationText); }},
           {"文件大小：", "lblSize", S::None,
            [](const V &v) { return Shown(v.SizeText); }},
           {"比特率：", "lblBitRate", S::None, [](const V &v) { return Shown(v.BitRateText); }},
           {"文件格式全名：", "lblFormatLongName", S::None,
            [](const V &v) { return v.FormatLongName; }},
           {"文件扩展名：", "lblExtension", S::None,
            [](const V &v) { return Extension(v.FileName); }},
       }},
      {"GroupBox2",
       "视频格式信息",
       {
           {"视频分辨率：", "lblResolution", S::Video,
            [](const V &v) { return Resolution(v.Video); }},
           {"视频帧率：", "lblFrameRate", S::Video, [](const V &v) { return FrameRate(v.Video); }},
           {"视频比特率：", "lblVideoBitRate", S::Video,
            [](const V &v) { return Kbps(v.Video.BitRate); }},
           {"视频流信息：", "lblVideoDescription", S::Video,
            [](const V &v) { return v.VideoDescription; }},
       }},
      {"GroupBox3",
       "音频格式信息",
       {
           {"音频采样率：", "lblSampleRate", S::Audio,
            [](const V &v) { return Number(v.Audio.SampleRate); }},
           {"音频声道：", "lblChannels", S::Audio,
            [](const V &v) { return ChannelLabel(v.Audio.Channels); }},
           {"音频比特率：", "lblAudioBitRate", S::Audio,
            [](const V &v) { return Kbps(v.Audio.BitRate); }},
           {"音频流信息：", "lblAudioDescription", S::Audio,
            [](const V &v) { return v.AudioDescription; }},
       }},
  };
  return groups;
}

std::string LineValue(const TLineSpec &line, const V &values) {
  const bool missing = (line.Stream == S::Video && !values.HasVideo) ||
                       (line.Stream == S::Audio && !values.HasAudio);
  return missing ? kNoStream : line.Value(values);
}

}  // namespace

TForm9::TForm9(const TProgramFiles &files) : skins_(files) {
  int captionNumber = 1;
  for (const TGroupSpec &group : Layout()) {
    TInfoGroup built{TLabelState(group.Name, group.Caption), {}};
    for (const TLineSpec &line : group.Lines)
      built.Lines.push_back({TLabelState("Label" + std::to_string(captionNumber++), line.Caption),
                             TLabelState(line.ValueName, "")});
    Groups.push_back(std::move(built));
  }
}

void TForm9::FormShow(const TMediaInfoValues &values) {
  Button1Click();
  Button2Click(values);
}

void TForm9::Button1Click() { skins_.ApplyStored(Skin); }

void TForm9::Button2Click(const TMediaInfoValues &values) {
  const std::vector<TGroupSpec> &layout = Layout();
  for (std::size_t g = 0; g < Groups.size(); ++g)
    for (std::size_t l = 0; l < Groups[g].Lines.size(); ++l)
      Groups[g].Lines[l].Value.Caption = LineValue(layout[g].Lines[l], values);
}

const TLabelState *TForm9::ValueLabel(const std::string &name) const {
  for (const TInfoGroup &group : Groups)
    for (const TInfoLine &line : group.Lines)
      if (line.Value.Name == name) return &line.Value;
  return nullptr;
}

}  // namespace velmora
