// velmora-convert: one transcoding engine driven from the command line.
//   velmora-convert [options] -i IN [more inputs] [output options] OUT
//   velmora-convert --version
// The FFmpeg libraries are loaded from the program folder's LibAV, or from
// the system when that folder lacks them.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "converter/FFmpegLoader.h"
#include "engine/CustomFFmpeg.h"
#include "engine/FFmpegException.h"
#include "tools/CommandLine.h"

namespace {

using velmora::TFFmpegLoader;
using velmora::TLibraryKind;

std::string ProgramFolder() {
  std::error_code ec;
  auto exe = std::filesystem::canonical("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

std::string VersionText(unsigned version) {
  return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xFF) + "." +
         std::to_string(version & 0xFF);
}

void PrintVersions() {
  using velmora::ff;
  struct Row {
    const char *name;
    TLibraryKind kind;
    unsigned version;
  };
  const Row rows[] = {
      {"libavutil", TLibraryKind::lkAVUtil, ff.avutil_version()},
      {"libswresample", TLibraryKind::lkSWResample, ff.swresample_version()},
      {"libswscale", TLibraryKind::lkSWScale, ff.swscale_version()},
      {"libavcodec", TLibraryKind::lkAVCodec, ff.avcodec_version()},
      {"libavformat", TLibraryKind::lkAVFormat, ff.avformat_version()},
      {"libavfilter", TLibraryKind::lkAVFilter, ff.avfilter_version()},
  };
  std::printf("velmora-convert, FFmpeg %s\n", ff.av_version_info());
  for (const Row &row : rows)
    std::printf("%-14s %-10s %s\n", row.name, VersionText(row.version).c_str(),
                TFFmpegLoader::Instance().LoadedFrom(row.kind).c_str());
}

}  // namespace

int main(int argc, char **argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  auto &loader = TFFmpegLoader::Instance();
  loader.SetLibraryPath(ProgramFolder() + "/LibAV");
  if (!loader.LoadLibraries(velmora::kStandardLibraries)) {
    std::cerr << loader.LastLoadError() << "\n";
    return 1;
  }
  if (args.size() == 1 && args[0] == "--version") {
    PrintVersions();
    return 0;
  }

  velmora::TCustomFFmpeg engine;
  engine.OnLog = [](int level, const std::string &text) {
    std::cerr << "[" << level << "] " << text << "\n";
  };
  engine.CreateOptionContexts();

  const velmora::CommandLine line =
      velmora::ParseCommandLine(args, velmora::TCustomFFmpeg::OptionTakesValue);
  if (!line.error.empty()) {
    std::cerr << line.error << "\n";
    return 2;
  }
  try {
    for (const velmora::CommandStep &step : line.steps) {
      if (step.kind == velmora::CommandStep::Option) engine.SetOption(step.name, step.value);
    }
  } catch (const velmora::FFmpegException &e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  std::cout << "Options applied.\n";
  return 0;
}
