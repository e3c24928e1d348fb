// velmora-probe: the media probe on the command line.
//   velmora-probe [--records] FILE   (or FILE --records)
// Prints the probe's information text of FILE; with --records also the file
// record and the records of the first audio and the first video stream. The
// FFmpeg libraries are loaded from the program folder's LibAV, or from the
// system when that folder lacks them. Exits with 1 and the probe's error
// text when the file cannot be described.
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "libav/FFmpegException.h"
#include "libav/FFmpegLoader.h"
#include "libav/ProgramFolder.h"
#include "media/AVProbe.h"

namespace {

using velmora::TAudioStreamInfo;
using velmora::TFileStreamInfo;
using velmora::TVideoStreamInfo;

void Field(const char *name, std::int64_t value) { std::printf("%s=%" PRId64 "\n", name, value); }
void Field(const char *name, const std::string &value) {
  std::printf("%s=%s\n", name, value.c_str());
}

void PrintRecords(velmora::TAVProbe &probe) {
  TFileStreamInfo file;
  probe.GetFileStreamInfo(file);
  std::printf("[File]\n");
  Field("StartTime", file.StartTime);
  Field("Duration", file.Duration);
  Field("BitRate", file.BitRate);
  Field("Timestamp", file.Timestamp);
  Field("Year", file.Year);
  Field("Track", file.Track);
  Field("Title", file.Title);
  Field("Author", file.Author);
  Field("Copyright", file.Copyright);
  Field("Comment", file.Comment);
  Field("Album", file.Album);
  Field("Genre", file.Genre);

  // A missing stream kind is logged on stderr: keep it after what came before.
  std::fflush(stdout);
  TAudioStreamInfo audio;
  probe.GetAudioStreamInfo(-1, audio);
  std::printf("[Audio #%d]\n", probe.FirstAudioStreamIndex());
  Field("Language", audio.Language);
  Field("CodecName", audio.CodecName);
  Field("StartTimeRaw", audio.StartTimeRaw);
  Field("StartTime", audio.StartTime);
  Field("DurationRaw", audio.DurationRaw);
  Field("Duration", audio.Duration);
  Field("BitRate", audio.BitRate);
  Field("Channels", audio.Channels);
  Field("SampleRate", audio.SampleRate);
  Field("SampleFormat", audio.SampleFormat);

  std::fflush(stdout);
  TVideoStreamInfo video;
  probe.GetVideoStreamInfo(-1, video);
  std::printf("[Video #%d]\n", probe.FirstVideoStreamIndex());
  Field("Language", video.Language);
  Field("CodecName", video.CodecName);
  Field("StartTimeRaw", video.StartTimeRaw);
  Field("StartTime", video.StartTime);
  Field("DurationRaw", video.DurationRaw);
  Field("Duration", video.Duration);
  Field("BitRate", video.BitRate);
  Field("Height", video.Height);
  Field("Width", video.Width);
  std::printf("DisplayAspect=%.4f\n", static_cast<double>(video.DisplayAspect));
  Field("PixelFormat", video.PixelFormat);
  Field("FrameRateNum", video.FrameRateNum);
  Field("FrameRateDen", video.FrameRateDen);
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // --records may stand before or after the file name.
  const bool records = std::erase(args, std::string("--records")) > 0;
  if (args.size() != 1) {
    std::cerr << "usage: velmora-probe [--records] FILE\n";
    return 2;
  }

  auto &loader = velmora::TFFmpegLoader::Instance();
  loader.SetLibraryPath(velmora::ProgramFolder() + "/LibAV");
  if (!loader.LoadLibraries(velmora::kStandardLibraries)) {
    std::cerr << loader.LastLoadError() << "\n";
    return 1;
  }
  // Only the library's errors go to the terminal.
  velmora::ff.av_log_set_level(AV_LOG_ERROR);

  try {
    velmora::TAVProbe probe;
    if (!probe.LoadFile(args.front())) {
      std::cerr << probe.LastError() << "\n";
      return 1;
    }
    const std::string text = probe.InfoText();
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (records) PrintRecords(probe);
  } catch (const velmora::FFmpegException &error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
