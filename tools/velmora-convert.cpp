// velmora-convert: one transcoding engine driven from the command line.
//   velmora-convert [input options] -i IN [more inputs] [output options] [-join] [-y] OUT
//   velmora-convert --version | -h
// Options before an input apply to that input, options after the last input
// to the output. -join feeds the output with all inputs in turn; an existing
// output is overwritten only with -y (or when the user agrees). The task
// runs on the calling thread; its progress goes to stderr. Exit status 0
// when the task finished.
// The FFmpeg libraries are loaded from the program folder's LibAV, or from
// the system when that folder lacks them.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "engine/CommandTask.h"
#include "libav/FFmpegLoader.h"
#include "libav/LibraryVersions.h"
#include "libav/ProgramFolder.h"
#include "tools/ConvertArguments.h"

namespace {

using velmora::TFFmpegLoader;

void PrintVersions() {
  std::printf("velmora-convert, FFmpeg %s\n", velmora::ff.av_version_info());
  for (const velmora::TBoundLibrary &library : velmora::BoundLibraries())
    std::printf("%-14s %-10s %s\n", library.Name.c_str(), library.Version.c_str(),
                library.LoadedFrom.c_str());
}

// A report line stays on its terminal line until something else is printed.
bool gProgressShown = false;

void EndProgressLine() {
  if (gProgressShown) std::fputc('\n', stderr);
  gProgressShown = false;
}

// The report line from the values of a progress notification.
void PrintProgress(int frame, int fps, int durationMs, float quality, float bitRate,
                   std::int64_t size) {
  gProgressShown = true;
  if (frame >= 0) std::fprintf(stderr, "frame=%5d fps=%3d q=%3.1f ", frame, fps, quality);
  std::fprintf(stderr, "size=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s\r", size / 1024.0,
               durationMs / 1000.0, bitRate);
  std::fflush(stderr);
}

// From the program folder's LibAV, or from the system; says why not.
bool LoadLibraries() {
  auto &loader = TFFmpegLoader::Instance();
  loader.SetLibraryPath(velmora::ProgramFolder() + "/LibAV");
  if (loader.LoadLibraries(velmora::kStandardLibraries)) return true;
  std::cerr << loader.LastLoadError() << "\n";
  return false;
}

// An existing output is kept unless -y was given or the user agrees on a terminal.
bool MayWriteOutput(const velmora::ConvertArguments &arguments) {
  if (arguments.overwrite) return true;
  for (const velmora::CommandStep &step : arguments.line.steps) {
    std::error_code error;
    if (step.kind != velmora::CommandStep::Output || !std::filesystem::exists(step.value, error))
      continue;
    if (!isatty(STDIN_FILENO)) {
      std::cerr << "File '" << step.value << "' already exists; give -y to overwrite it.\n";
      return false;
    }
    std::cerr << "File '" << step.value << "' already exists. Overwrite? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    if (answer != "y" && answer != "Y") {
      std::cerr << "Not overwriting - exiting\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--version") {
    if (!LoadLibraries()) return 1;
    PrintVersions();
    return 0;
  }
  const velmora::ConvertArguments arguments = velmora::ReadConvertArguments(args);
  if (!arguments.line.error.empty()) {
    std::cerr << arguments.line.error << "\n";
    return 2;
  }
  if (arguments.help) {
    std::cout << velmora::ConvertUsage();
    return 0;
  }
  if (!LoadLibraries()) return 1;

  velmora::TCustomFFmpeg engine;
  // The engine's messages up to the -v level (errors always).
  engine.OnLog = [&engine](int level, const std::string &text) {
    if (level > std::max(0, engine.Options().verbose)) return;
    EndProgressLine();
    std::cerr << "[" << level << "] " << text << "\n";
  };
  engine.OnProgress = [](int frame, int fps, int durationMs, float quality, float bitRate,
                         std::int64_t size, int) {
    PrintProgress(frame, fps, durationMs, quality, bitRate, size);
  };
  // The engine drops names it does not know; a command line refuses them.
  engine.CreateOptionContexts();
  for (const velmora::CommandStep &step : arguments.line.steps)
    if (step.kind == velmora::CommandStep::Option && !engine.KnowsOption(step.name)) {
      std::cerr << "Unrecognized option '" << step.name << "'.\n";
      return 1;
    }
  if (!MayWriteOutput(arguments)) return 1;

  const velmora::CommandTaskResult result =
      velmora::RunCommandTask(engine, arguments.line, arguments.join);
  EndProgressLine();
  if (!result.error.empty()) std::cerr << result.error << "\n";
  if (!result.opened || !result.error.empty()) return 1;
  if (!result.hasOutput) {
    std::cout << "Options applied.\n";
    return 0;
  }
  return result.finished ? 0 : 1;
}
