#include "WizardMerge.h"

#include <filesystem>
#include <fstream>

#include "converter/FFmpegVCL.h"
#include "libav/FFmpegLoader.h"
#include "support/TestSupport.h"

namespace velmora::test {

namespace fs = std::filesystem;

TChosenOutput ChosenOutputOf(TForm1 &form) {
  const TForm1::TStateLock lock = form.Lock();
  TChosenOutput chosen;
  chosen.Settings = form.Settings;
  chosen.PresetIndex = form.suiComboBox5.ItemIndex;
  chosen.VideoBitRateText = form.suiComboBox6.Text;
  chosen.AudioQualityText = form.suiComboBox7.Text;
  chosen.FrameRateText = form.suiComboBox8.Text;
  chosen.AspectText = form.suiComboBox9.Text;
  chosen.FrameSizeText = form.suiComboBox10.Text;
  return chosen;
}

TMergeOutcome MergeWith(const TFinalEncode &encode, const std::vector<std::string> &sources,
                        const std::string &outputFolder) {
  const std::string joined = (fs::path(outputFolder) / "joined.mpg").string();
  {
    std::ofstream out(joined, std::ios::binary | std::ios::trunc);
    for (const std::string &source : sources) out << std::ifstream(source, std::ios::binary).rdbuf();
  }
  TMergeOutcome outcome;
  outcome.Output = (fs::path(outputFolder) / ("ALL_" + fs::path(sources.front()).stem().string() +
                                              encode.Extension))
                       .string();
  fs::remove(outcome.Output);
  TFFmpegVCL converter;
  converter.OnTerminate = [&](int index, bool finished, bool exception, const std::string &message) {
    if (index < 0) return;
    outcome.Made = finished && !exception;
    outcome.Error = message;
  };
  TOutputOptions options = encode.Options;
  const int task = converter.CreateTask(joined);
  if (task < 0 || !converter.SetTaskOutput(task, outcome.Output, &options)) {
    outcome.Error = converter.LastError();
    return outcome;
  }
  converter.StartTasks(0);
  fs::remove(joined);
  if (outcome.Made && !fs::exists(outcome.Output)) outcome.Made = false;
  return outcome;
}

std::string ContainerOf(const std::string &path) {
  std::string output;
  RunProgram({"ffprobe", "-v", "error", "-show_entries", "format=format_name", "-of",
              "default=nw=1:nk=1", path},
             &output);
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  return output;
}

std::string ContainerFor(const std::string &extension) {
  static const std::pair<const char *, const char *> kContainers[] = {
      {".avi", "avi"},  {".mpg", "mpeg"},   {".wmv", "asf"},   {".asf", "asf"},
      {".wma", "asf"},  {".rm", "rm"},      {".swf", "swf"},   {".flv", "flv"},
      {".mkv", "matroska,webm"},           {".mp3", "mp3"},   {".mp2", "mp3"},
      {".wav", "wav"},  {".ac3", "ac3"},    {".ogg", "ogg"},   {".flac", "flac"},
      {".amr", "amr"},
  };
  for (const auto &[ext, name] : kContainers)
    if (extension == ext) return name;
  return "mov,mp4,m4a,3gp,3g2,mj2";  // .mp4, .mov, .3gp, .3g2, .m4a
}

std::string CodecOfEncoder(const std::string &encoder, bool video) {
  if (encoder.empty()) return {};
  TFFmpeg lookUp;
  AVCodecID id;
  if (!lookUp.FindCodecByName(encoder, video ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO, true, id))
    return {};
  return ff.avcodec_get_name(id);
}

std::int64_t DurationOf(const std::string &path) {
  TFFmpegVCL probe;
  const int task = probe.CreateTask(path);
  if (task < 0) return 0;
  return probe.TaskInputContext(task)->duration;
}

}  // namespace velmora::test
