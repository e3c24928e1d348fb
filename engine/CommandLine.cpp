#include "engine/CommandLine.h"

namespace velmora {

CommandLine ParseCommandLine(const std::vector<std::string> &args,
                             const std::function<bool(const std::string &)> &takesValue) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      // A bare word is the output file; anything after it would be lost.
      if (i + 1 != args.size()) {
        line.error = "Unexpected argument '" + arg + "': the output file comes last";
        return line;
      }
      line.steps.push_back({CommandStep::Output, "", arg});
      continue;
    }
    const std::string name = arg.substr(1);
    const bool isInput = name == "i";
    if (!isInput && !takesValue(name)) {
      line.steps.push_back({CommandStep::Option, name, ""});
      continue;
    }
    if (i + 1 >= args.size()) {
      line.error = "Missing argument for option '" + name + "'";
      return line;
    }
    line.steps.push_back({isInput ? CommandStep::Input : CommandStep::Option, name, args[++i]});
  }
  return line;
}

}  // namespace velmora
