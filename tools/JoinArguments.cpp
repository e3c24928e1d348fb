#include "tools/JoinArguments.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace velmora {

namespace {

struct TValueOption {
  const char *Long;
  const char *Short;  // "" when none
  std::string TJoinArguments::*Field;
};
const TValueOption kValueOptions[] = {
    {"--preset", "-p", &TJoinArguments::Preset},
    {"--video-quality", "", &TJoinArguments::VideoQuality},
    {"--audio-quality", "", &TJoinArguments::AudioQuality},
    {"--frame-rate", "", &TJoinArguments::FrameRate},
    {"--aspect", "", &TJoinArguments::Aspect},
    {"--size", "", &TJoinArguments::FrameSize},
    {"--after", "", &TJoinArguments::After},
    {"--fit", "", &TJoinArguments::Fit},
    {"--jobs", "-j", &TJoinArguments::Jobs},
    {"--threads", "", &TJoinArguments::Threads},
    {"--output-folder", "-o", &TJoinArguments::OutputFolder},
};

// Options without a value.
struct TFlagOption {
  const char *Long;
  bool TJoinArguments::*Field;
};
const TFlagOption kFlagOptions[] = {
    {"--no-chapters", &TJoinArguments::NoChapters},
};

constexpr const char *kAfterChoices[] = {"none", "open", "shutdown"};
constexpr const char *kFitChoices[] = {"pad", "stretch"};

std::optional<double> NumberOf(const std::string &text) {
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

// The number an entry starts with ("528 kbps(中等质量)" 528, "25.00" 25).
std::optional<double> LeadingNumber(const std::string &entry) {
  double value = 0;
  const auto result = std::from_chars(entry.data(), entry.data() + entry.size(), value);
  if (result.ec != std::errc() || result.ptr == entry.data()) return std::nullopt;
  return value;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The only entry that holds `part`, or -1.
int UniqueEntryHolding(const std::vector<std::string> &entries, const std::string &part) {
  int found = -1;
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    if (entries[i].find(part) == std::string::npos) continue;
    if (found >= 0) return -1;
    found = i;
  }
  return found;
}

int IndexOf(const std::vector<std::string> &entries, const std::string &value) {
  const auto it = std::find(entries.begin(), entries.end(), value);
  return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
}

}  // namespace

TJoinArguments ReadJoinArguments(const std::vector<std::string> &args) {
  TJoinArguments parsed;
  bool filesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (filesOnly || arg.empty() || arg[0] != '-' || arg == "-") {
      parsed.Files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      filesOnly = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      parsed.Help = true;
      continue;
    }
    if (arg == "--list-presets") {
      parsed.ListPresets = true;
      if (i + 1 < args.size() && NumberOf(args[i + 1])) parsed.ListedPreset = args[++i];
      continue;
    }
    if (arg == "--copy" || arg == "--copy=auto") {
      parsed.Copy = arg == "--copy" ? "on" : "auto";
      continue;
    }
    const auto flag =
        std::find_if(std::begin(kFlagOptions), std::end(kFlagOptions),
                     [&](const TFlagOption &o) { return arg == o.Long; });
    if (flag != std::end(kFlagOptions)) {
      parsed.*flag->Field = true;
      continue;
    }
    const std::string name = arg.substr(0, arg.find('='));
    const auto option = std::find_if(
        std::begin(kValueOptions), std::end(kValueOptions),
        [&](const TValueOption &o) { return name == o.Long || (*o.Short && name == o.Short); });
    if (option == std::end(kValueOptions)) throw TUsageError("unknown option '" + arg + "'");
    if (name.size() < arg.size()) {
      parsed.*option->Field = arg.substr(name.size() + 1);
    } else {
      if (i + 1 >= args.size()) throw TUsageError("option '" + arg + "' needs a value");
      parsed.*option->Field = args[++i];
    }
  }
  if (parsed.Help || parsed.ListPresets) return parsed;
  if (std::find(std::begin(kAfterChoices), std::end(kAfterChoices), parsed.After) ==
      std::end(kAfterChoices))
    throw TUsageError("--after takes none, open or shutdown, not '" + parsed.After + "'");
  if (std::find(std::begin(kFitChoices), std::end(kFitChoices), parsed.Fit) ==
      std::end(kFitChoices))
    throw TUsageError("--fit takes pad or stretch, not '" + parsed.Fit + "'");
  if (!parsed.Jobs.empty()) CountOf("--jobs", parsed.Jobs);
  if (!parsed.Threads.empty()) CountOf("--threads", parsed.Threads);
  if (parsed.Files.empty()) throw TUsageError("no file to join");
  return parsed;
}

const char *JoinUsage() {
  return "usage: velmora-join [-p|--preset N|NAME] [--video-quality TEXT] [--audio-quality TEXT]\n"
         "                    [--frame-rate TEXT] [--aspect TEXT] [--size TEXT]\n"
         "                    [--after none|open|shutdown] [-o|--output-folder DIR]\n"
         "                    [--fit pad|stretch] [--no-chapters] [-j|--jobs N] [--threads N]\n"
         "                    [--copy|--copy=auto] FILE...\n"
         "       velmora-join --list-presets [N]\n"
         "Joins the files, in the order given, into one file of the chosen output type:\n"
         "ALL_ + the first file's name + the type's extension, in the output folder\n"
         "(default: the current folder). Values are the entries of the window's boxes\n"
         "(\"528 kbps(中等质量)\") or just their number (528); --list-presets N lists them.\n"
         "An mkv, mp4 or mov output gets one chapter per file, titled with its name;\n"
         "--no-chapters leaves them out. --fit pad (default) scales each picture into the\n"
         "frame size keeping its shape, with black bands; --fit stretch fills the frame.\n"
         "--jobs N converts up to N files at once (at most 10; default: the online\n"
         "processors); --threads N gives the final encode N codec threads (default: the\n"
         "processors).\n"
         "--copy joins without re-encoding when every file has the same streams with the\n"
         "same parameters (exit status 2 and nothing written when not); --copy=auto\n"
         "merges normally then.\n"
         "Exit status: 0 when the output passed its check, 1 when the merge or the check\n"
         "failed, 2 for a malformed command line, 130 when stopped with Ctrl+C.\n";
}

int CountOf(const std::string &option, const std::string &value) {
  const std::optional<double> number = NumberOf(value);
  if (!number || *number < 1 || *number != static_cast<int>(*number))
    throw TUsageError(option + " takes a whole number from 1, not '" + value + "'");
  return static_cast<int>(*number);
}

int MatchBoxEntry(const std::vector<std::string> &entries, const std::string &value) {
  if (const int exact = IndexOf(entries, value); exact >= 0) return exact;
  std::string size = value;
  std::replace(size.begin(), size.end(), 'x', '*');
  std::replace(size.begin(), size.end(), 'X', '*');
  if (const int asSize = IndexOf(entries, size); asSize >= 0) return asSize;
  if (const std::optional<double> number = NumberOf(value)) {
    bool numbered = false;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
      const std::optional<double> leading = LeadingNumber(entries[i]);
      numbered = numbered || leading.has_value();
      if (leading && *leading == *number) return i;
    }
    const int place = static_cast<int>(*number);
    if (!numbered && place == *number && place >= 1 && place <= static_cast<int>(entries.size()))
      return place - 1;
    return -1;
  }
  return UniqueEntryHolding(entries, value);
}

int MatchPreset(const std::vector<std::string> &names, const std::string &value) {
  if (const std::optional<double> number = NumberOf(value)) {
    const int index = static_cast<int>(*number);
    return index == *number && index >= 0 && index < static_cast<int>(names.size()) ? index : -1;
  }
  if (const int exact = IndexOf(names, value); exact >= 0) return exact;
  std::vector<std::string> lower;
  for (const std::string &name : names) lower.push_back(Lower(name));
  return UniqueEntryHolding(lower, Lower(value));
}

}  // namespace velmora
