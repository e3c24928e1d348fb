#pragma once
// The folder of the running program, where its settings, skins, temporary
// folder and the LibAV library folder live.
#include <filesystem>
#include <string>

namespace velmora {

// Without a trailing separator; "." when the program's path cannot be read.
inline std::string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::canonical("/proc/self/exe", error);
  return error ? std::string(".") : program.parent_path().string();
}

}  // namespace velmora
