#pragma once
// One conversion task given as a command line of the converter tool, run the
// way the converter component runs a task: the options in order, the inputs
// and the output opened, the transcode, then the engine's codecs closed and
// its state cleared.
#include <string>

#include "engine/CommandLine.h"
#include "engine/CustomFFmpeg.h"

namespace velmora {

struct CommandTaskResult {
  bool opened = false;     // every input and the output were opened
  bool hasOutput = false;  // the line named an output; otherwise only options were applied
  bool finished = false;   // the transcode ran to its end
  std::string error;       // LastError of a failed open, or the engine's exception text
};

// With `join`, the output is fed by all inputs in turn.
CommandTaskResult RunCommandTask(TCustomFFmpeg &engine, const CommandLine &line, bool join);

}  // namespace velmora
