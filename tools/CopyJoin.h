#pragma once
// velmora-join --copy: sources whose streams match are joined without
// re-encoding, straight into the output by the engine's join mode with
// stream copy; no intermediates.
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// The codec libraries from the program folder's LibAV, or from the system.
bool LoadCopyJoinLibraries(std::string &error);

// Why the files cannot be joined by copying their streams into a file of
// this extension (".mp4"): the first source that differs and in what, or a
// stream the container cannot hold; empty when they can. The codec
// libraries must be loaded.
std::string CopyJoinMismatch(const std::vector<std::string> &files, const std::string &extension);

struct TCopyJoinResult {
  bool Finished = false;
  std::string Error;
  std::int64_t DurationUs = 0;  // the output's, as its container gives it
};

// Joins the files into `output` with every stream copied.
TCopyJoinResult CopyJoin(const std::vector<std::string> &files, const std::string &output);

}  // namespace velmora
