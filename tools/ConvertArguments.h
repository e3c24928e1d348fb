#pragma once
// The converter tool's reading of its command line: the engine's steps, with
// today's option spellings turned into the engine's names, and the switches
// the tool handles itself (-y, -join, -h, and the no-ops -nostdin and
// -hide_banner) taken out.
#include <string>
#include <vector>

#include "engine/CommandLine.h"

namespace velmora {

struct ConvertArguments {
  CommandLine line;        // options, inputs and the output for the engine
  bool overwrite = false;  // -y
  bool join = false;       // -join
  bool help = false;       // -h, --help, or nothing at all
};

ConvertArguments ReadConvertArguments(const std::vector<std::string> &args);

// The usage text of -h.
const char *ConvertUsage();

}  // namespace velmora
