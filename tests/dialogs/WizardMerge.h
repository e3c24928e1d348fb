#pragma once
// What the tests expect of a merge's output after the wizard.
#include <string>

namespace velmora::test {

// The container an output file with this extension must have, as the ffmpeg
// tools name it ("avi", "mov,mp4,m4a,3gp,3g2,mj2").
std::string ContainerFor(const std::string &extension);
// The library's name of the codec an encoder name gives ("libmp3lame" →
// "mp3"); empty for an empty name or an encoder the library lacks.
std::string CodecOfEncoder(const std::string &encoder, bool video);

}  // namespace velmora::test
