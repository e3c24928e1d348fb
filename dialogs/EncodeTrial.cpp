#include "dialogs/EncodeTrial.h"

#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <thread>
#include <vector>

#include "converter/FFmpegLogger.h"
#include "converter/FFmpegTask.h"
#include "libav/FFmpegException.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrameRate = 25;
constexpr int kFrames = 5;
constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;

// Smooth pictures (a gradient that moves), as a real source has: noise would
// ask more of an encoder than any film does.
void WritePictures(const std::string &path) {
  std::ofstream out(path, std::ios::binary);
  std::vector<char> plane(kWidth * kHeight);
  for (int frame = 0; frame < kFrames; ++frame) {
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        plane[y * kWidth + x] = static_cast<char>(16 + (x + y + 4 * frame) % 200);
    out.write(plane.data(), static_cast<std::streamsize>(plane.size()));
    const std::vector<char> chroma(kWidth * kHeight / 4, static_cast<char>(128));
    out.write(chroma.data(), static_cast<std::streamsize>(chroma.size()));
    out.write(chroma.data(), static_cast<std::streamsize>(chroma.size()));
  }
}

// A quiet tone, 16-bit little-endian samples of both channels in turn.
void WriteSound(const std::string &path) {
  std::ofstream out(path, std::ios::binary);
  const int samples = kSampleRate * kFrames / kFrameRate;
  for (int i = 0; i < samples; ++i) {
    const auto value = static_cast<std::int16_t>(3000 * std::sin(2 * M_PI * 440.0 * i / kSampleRate));
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
    for (int channel = 0; channel < kChannels; ++channel) out.write(bytes, 2);
  }
}

// A library line without the "[muxer @ 0x...]" it begins with.
std::string WithoutContext(const std::string &line) {
  if (line[0] != '[') return line;
  const std::size_t end = line.find(']');
  if (end == std::string::npos) return line;
  const std::size_t text = line.find_first_not_of(' ', end + 1);
  return text == std::string::npos ? std::string() : line.substr(text);
}

// Keeps the first error the libraries log on this thread while it lives:
// their reason is more telling than the engine's message about the failure.
class TTrialLog : public TLogLineTarget {
 public:
  TTrialLog() {
    InstallLibraryLogCallback();
    TComponentRegistry::Instance().Add(this);
  }
  ~TTrialLog() override { TComponentRegistry::Instance().Remove(this); }
  TTrialLog(const TTrialLog &) = delete;
  TTrialLog &operator=(const TTrialLog &) = delete;

  void DeliverLibraryLine(int engineLevel, const std::string &line) override {
    // Other threads' lines are not the trial's (and must not touch its state).
    if (std::this_thread::get_id() != thread_) return;
    if (engineLevel > 0 || line.empty() || !firstError_.empty()) return;
    firstError_ = WithoutContext(line);
  }
  const std::string &FirstError() const { return firstError_; }

 private:
  const std::thread::id thread_ = std::this_thread::get_id();
  std::string firstError_;
};

fs::path MakeFolder() {
  std::string name = (fs::temp_directory_path() / "velmora-trial-XXXXXX").string();
  if (!mkdtemp(name.data())) throw FFmpegException("Cannot create a folder for the trial encode");
  return name;
}

}  // namespace

TEncodeTrial::TEncodeTrial()
    : folder_(MakeFolder()),
      pictures_((folder_ / "pictures.yuv").string()),
      sound_((folder_ / "sound.pcm").string()) {
  WritePictures(pictures_);
  WriteSound(sound_);
}

TEncodeTrial::~TEncodeTrial() {
  std::error_code error;
  fs::remove_all(folder_, error);
}

TTrialOutcome TEncodeTrial::Run(TOutputOptions options, const std::string &extension) {
  const std::string output = (folder_ / ("trial" + extension)).string();
  TTrialOutcome outcome;
  const TTrialLog log;
  TFFmpeg task;
  try {
    task.PrepareForRun();
    for (const auto &[name, value] : {std::pair{"f", "rawvideo"}, {"pix_fmt", "yuv420p"},
                                      {"s", "320x240"}, {"r", "25"}})
      task.SetOption(name, value);
    if (!task.OpenInputFile(pictures_)) throw FFmpegException(task.LastError());
    for (const auto &[name, value] : {std::pair{"f", "s16le"}, {"ar", "44100"}, {"ac", "2"}})
      task.SetOption(name, value);
    if (!task.OpenInputFile(sound_)) throw FFmpegException(task.LastError());
    const bool join = ApplyOutputOptions(task, output, &options);
    if (task.OpenOutputFile(output, join) < 0) throw FFmpegException(task.LastError());
    task.Transcode();
    outcome.Written = task.Finished();
  } catch (const FFmpegException &e) {
    outcome.Error = e.what();
  }
  task.CloseOpenedCodecs();
  task.ClearEngine();
  if (!outcome.Written && !log.FirstError().empty()) outcome.Error = log.FirstError();
  std::error_code error;
  fs::remove(output, error);
  return outcome;
}

}  // namespace velmora
