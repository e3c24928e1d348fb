#include "engine/CommandTask.h"

#include "libav/FFmpegException.h"

namespace velmora {

namespace {

// Applies the steps in order; false with `result.error` at the first file
// that cannot be opened.
bool ApplySteps(TCustomFFmpeg &engine, const CommandLine &line, bool join,
                CommandTaskResult &result) {
  for (const CommandStep &step : line.steps) {
    switch (step.kind) {
      case CommandStep::Option:
        engine.SetOption(step.name, step.value);
        break;
      case CommandStep::Input:
        if (!engine.OpenInputFile(step.value)) {
          result.error = engine.LastError();
          return false;
        }
        break;
      case CommandStep::Output:
        if (engine.OpenOutputFile(step.value, join) < 0) {
          result.error = engine.LastError();
          return false;
        }
        result.hasOutput = true;
        break;
    }
  }
  return true;
}

}  // namespace

CommandTaskResult RunCommandTask(TCustomFFmpeg &engine, const CommandLine &line, bool join) {
  CommandTaskResult result;
  try {
    engine.CreateOptionContexts();
    result.opened = ApplySteps(engine, line, join, result);
    if (result.opened && result.hasOutput) {
      engine.Transcode();
      result.finished = engine.Finished();
    }
  } catch (const FFmpegException &e) {
    result.error = e.what();
  }
  engine.CloseOpenedCodecs();
  engine.ClearEngine();
  return result;
}

}  // namespace velmora
