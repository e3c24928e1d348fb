#pragma once
// A merge of listed sources with what the main window holds after the
// wizard, and what the tests check of its output. Until the main window's
// merge command exists, the merge is made here the way it ends: the sources
// (MPEG program streams, as the intermediate files are) appended byte by
// byte, and the joined file converted by a converter component with the
// final encode's record.
#include <cstdint>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "dialogs/ChosenOutput.h"
#include "dialogs/FinalEncode.h"

namespace velmora::test {

// What the main window would hand the final encode now.
TChosenOutput ChosenOutputOf(TForm1 &form);

struct TMergeOutcome {
  bool Made = false;
  std::string Output;  // the output file
  std::string Error;   // the converter's message when the encode failed
};

// Merges `sources` into `outputFolder` ("ALL_" + the first source's name,
// with the extension of the output type).
TMergeOutcome MergeWith(const TFinalEncode &encode, const std::vector<std::string> &sources,
                        const std::string &outputFolder);

// The container the ffmpeg tool finds in a file ("avi", "mov,mp4,m4a,3gp,3g2,mj2").
std::string ContainerOf(const std::string &path);
// The container an output file with this extension must have.
std::string ContainerFor(const std::string &extension);
// The library's name of the codec an encoder name gives ("libmp3lame" → "mp3");
// empty for an empty name or an encoder the library lacks.
std::string CodecOfEncoder(const std::string &encoder, bool video);
// A source's duration in microseconds.
std::int64_t DurationOf(const std::string &path);

}  // namespace velmora::test
