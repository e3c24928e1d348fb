#pragma once
// Small helpers on file names and paths shared by the job list and the merge.
#include <string>

namespace velmora {

// The extension of a path's file name with its dot ("" without a dot).
std::string FileExtension(const std::string &path);
// The file name without the extension after its last dot.
std::string FileBaseName(const std::string &path);
// The path with the extension after the file name's last dot replaced by
// `extension` (a name without a dot gets it appended).
std::string WithExtension(const std::string &path, const std::string &extension);
std::string AsciiUpper(std::string text);
// A ".dat" file in any letter case: read as an MPEG program stream.
bool IsDatFile(const std::string &path);
// Both paths name the same file (also through links), or would once made.
bool SameFile(const std::string &a, const std::string &b);
bool FileExists(const std::string &path);

}  // namespace velmora
