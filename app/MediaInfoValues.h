#pragma once
// What the main window keeps of a file for the media information window:
// the probe's texts, the parts cut out of its information text, and the
// records of the first audio and video streams. Rewritten by every
// information request.
#include <string>

#include "media/ProbeRecords.h"

namespace velmora {

struct TMediaInfoValues {
  std::string InfoText;
  std::string FileName;
  std::string FormatName;
  std::string FormatLongName;
  // Cut out of the information text.
  std::string VideoDescription;
  std::string AudioDescription;
  std::string SizeText;
  std::string DurationText;
  std::string BitRateText;
  // The first stream of each kind; a missing kind has no stream and a
  // record of -1 values.
  bool HasAudio = false;
  bool HasVideo = false;
  TAudioStreamInfo Audio;
  TVideoStreamInfo Video;
};

}  // namespace velmora
