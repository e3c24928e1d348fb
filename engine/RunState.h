#pragma once
// The state of one run of Transcode: the tables built at set-up and the
// work objects of the main loop. It lives from the start of the set-up to
// the end of the run, and is released on every path out of Transcode.
#include <vector>

#include "engine/CustomFFmpeg.h"
#include "engine/EngineRecords.h"

namespace velmora {

struct TCustomFFmpeg::RunState {
  std::vector<InputFileRecord> files;
  std::vector<InputStreamRecord> inputStreams;
  // Sized once at set-up: input stream records point into it.
  std::vector<OutputStreamRecord> outputStreams;
  int segmentSize = 0;   // streams of output entry 0 (one join segment)
  int currentInput = 0;  // join mode: the input being read
  bool loopEnded = false;
  FramePtr frame;
  PacketPtr packet;        // read from the inputs
  PacketPtr copyPacket;    // handed to the muxer by stream copy
  PacketPtr encodedPacket; // received from the encoders
  std::int64_t lastReportTime = 0;

};

}  // namespace velmora
