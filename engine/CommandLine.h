#pragma once
// Splits a command line of the converter tool into the steps it runs in
// order: options ("-name value", or "-name" alone for options without a
// value), inputs ("-i FILE") and the output (the bare last argument).
#include <functional>
#include <string>
#include <vector>

namespace velmora {

struct CommandStep {
  enum Kind { Option, Input, Output } kind;
  std::string name;   // option name without "-"
  std::string value;  // option value or file name
};

struct CommandLine {
  std::vector<CommandStep> steps;
  std::string error;  // empty when the line was understood
};

// `takesValue` tells whether an option name is followed by a value.
CommandLine ParseCommandLine(const std::vector<std::string> &args,
                             const std::function<bool(const std::string &)> &takesValue);

}  // namespace velmora
