#include "tools/ConvertArguments.h"

#include <algorithm>
#include <string_view>

#include "engine/CustomFFmpeg.h"

namespace velmora {

namespace {

// Today's spellings, each standing for exactly one engine option.
struct Alias {
  std::string_view name;
  const char *engineName;
};
constexpr Alias kAliases[] = {
    {"c:v", "vcodec"}, {"c:a", "acodec"}, {"b:v", "b"},       {"b:a", "ab"},
    {"tag:v", "vtag"}, {"vf", "vfilters"}, {"q:v", "qscale"},
};

// Switches of the tool, written alone.
enum class Switch { Overwrite, Join, Help, NoOp };
struct ToolSwitch {
  std::string_view name;
  Switch meaning;
};
constexpr ToolSwitch kSwitches[] = {
    {"y", Switch::Overwrite},     {"join", Switch::Join},  {"h", Switch::Help},
    {"-help", Switch::Help},      {"nostdin", Switch::NoOp}, {"hide_banner", Switch::NoOp},
};

const ToolSwitch *FindSwitch(std::string_view name) {
  for (const ToolSwitch &entry : kSwitches)
    if (entry.name == name) return &entry;
  return nullptr;
}

}  // namespace

ConvertArguments ReadConvertArguments(const std::vector<std::string> &args) {
  ConvertArguments result;
  result.help = args.empty();
  const auto takesValue = [](const std::string &name) {
    return !FindSwitch(name) && TCustomFFmpeg::OptionTakesValue(name);
  };
  CommandLine parsed = ParseCommandLine(args, takesValue);
  result.line.error = parsed.error;
  for (CommandStep &step : parsed.steps) {
    if (step.kind == CommandStep::Option) {
      if (const ToolSwitch *entry = FindSwitch(step.name)) {
        result.overwrite |= entry->meaning == Switch::Overwrite;
        result.join |= entry->meaning == Switch::Join;
        result.help |= entry->meaning == Switch::Help;
        continue;
      }
      for (const Alias &alias : kAliases)
        if (alias.name == step.name) step.name = alias.engineName;
    }
    result.line.steps.push_back(std::move(step));
  }
  return result;
}

const char *ConvertUsage() {
  return "usage: velmora-convert [input options] -i IN [-i IN ...] [output options] [-join] [-y] "
         "OUT\n"
         "       velmora-convert --version | -h\n"
         "Runs one conversion task of the engine. Options before an input apply to that input,\n"
         "options after the last input to the output; their names are the engine's\n"
         "(-vcodec, -acodec, -ab, -b, -s, -r, -aspect, -target, -t, -ss, ...) or today's\n"
         "spellings -c:v, -c:a, -b:v, -b:a, -tag:v, -vf, -q:v.\n"
         "  -join  feed OUT with all inputs in turn\n"
         "  -y     overwrite OUT when it exists\n"
         "Exit status: 0 when the task finished, 1 when it failed, 2 for a malformed command "
         "line.\n";
}

}  // namespace velmora
